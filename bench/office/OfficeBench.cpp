#include "office/Document.h"
#include "office/Package.h"
#include "office/Statement.h"
#include "office/Workbook.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

/** A document whose only table has a title row, a header row and one data row of 10 cells. */
QString makeReportTemplate(const QTemporaryDir& dir) {
    auto doc = WordDocument::createBlank();
    QByteArray rows;
    auto row = [](const char* text, const char* rPr) {
        QByteArray r = "<w:tr><w:trPr><w:trHeight w:val=\"300\"/></w:trPr>";
        for (int c = 0; c < 10; ++c)
            r += QByteArray(
                     "<w:tc><w:tcPr><w:tcW w:w=\"900\" w:type=\"dxa\"/></w:tcPr><w:p><w:pPr><w:jc "
                     "w:val=\"center\"/></w:pPr><w:r><w:rPr>") +
                 rPr + "</w:rPr><w:t>" + text + "</w:t></w:r></w:p></w:tc>";
        return r + "</w:tr>";
    };
    rows += row("Заголовок", "<w:b/>");
    rows += row("Колонка", "<w:i/>");
    rows += row("0", "<w:sz w:val=\"20\"/>");
    QByteArray grid;
    for (int c = 0; c < 10; ++c)
        grid += "<w:gridCol w:w=\"900\"/>";
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/"
        "main\"><w:body><w:tbl><w:tblPr>"
        "<w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid>" +
        grid + "</w:tblGrid>" + rows + "</w:tbl><w:p/><w:sectPr/></w:body></w:document>";
    doc->package().setPartData(doc->mainPart(), xml);
    const QString path = dir.filePath(QStringLiteral("report.dotx"));
    doc->package().save(path);
    return path;
}

void BM_FillDocumentTable10000x10AndSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString templatePath = makeReportTemplate(dir);
    const QString out = dir.filePath(QStringLiteral("report.docx"));
    for (auto _ : state) {
        auto doc = WordDocument::open(templatePath);
        WordTable t = doc->table(1);
        doc->selectCell(t, 3, 1);
        doc->insertRowsBelow(9999);
        for (int r = 3; r < 3 + 10000; ++r)
            for (int c = 1; c <= 10; ++c)
                t.setCellText(r, c, QString::number(r * 10 + c) + QStringLiteral(".25"));
        doc->saveAs(out);
    }
}
BENCHMARK(BM_FillDocumentTable10000x10AndSave)->Unit(benchmark::kMillisecond);

void BM_FillWorkbook10000x40AndSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("book.xltx"));
    PackFolder(QStringLiteral(OFFICE_TEMPLATES "/book"), templatePath);
    const QString out = dir.filePath(QStringLiteral("book.xlsx"));
    for (auto _ : state) {
        auto book = Workbook::open(templatePath);
        Worksheet& s = book->worksheet(1);
        for (int r = 7; r < 7 + 10000; ++r) {
            s.setCellValue(r, 1, QString::number(r % 40));
            s.setCellValue(r, 2, QStringLiteral("ЗЕМЛІ ЖИТЛОВОЇ ЗАБУДОВИ"));
            for (int c = 3; c <= 40; ++c)
                s.setCellValue(r, c, QString::number((r * c) % 997) + QStringLiteral(".50"));
            if (r % 50 == 0)
                s.setCellBold(r, 2, true);
        }
        for (int c = 8; c <= 39; c += 3)
            s.setColumnWidth(c, 0);
        book->saveCopyAs(out);
    }
}
BENCHMARK(BM_FillWorkbook10000x40AndSave)->Unit(benchmark::kMillisecond);

void BM_ReadStatement10000x40(benchmark::State& state) {
    QTemporaryDir dir;
    auto book = Workbook::createBlank();
    for (int r = 1; r <= 10000; ++r)
        for (int c = 1; c <= 40; ++c)
            book->worksheet(1).setCellValue(r, c, QString::number(r + c) + QStringLiteral(".125"));
    const QString path = dir.filePath(QStringLiteral("statement.xlsx"));
    book->saveCopyAs(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadStatement(path).size());
}
BENCHMARK(BM_ReadStatement10000x40)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
