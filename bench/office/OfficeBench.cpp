#include "bench/ChildProcess.h"
#include "office/Document.h"
#include "office/Package.h"
#include "office/Statement.h"
#include "office/Workbook.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

/** Opens the workbook template, writes 10,000 rows of 40 values and saves a copy. */
void fillWorkbook10000x40(const QString& templatePath, const QString& out) {
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

void BM_FillWorkbook10000x40AndSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("book.xltx"));
    PackFolder(QStringLiteral(OFFICE_TEMPLATES "/book"), templatePath);
    const QString out = dir.filePath(QStringLiteral("book.xlsx"));
    for (auto _ : state)
        fillWorkbook10000x40(templatePath, out);
}
BENCHMARK(BM_FillWorkbook10000x40AndSave)->Unit(benchmark::kMillisecond);

/** Runs this program again with `arguments` and returns the peak it prints; -1 on failure. */
double childPeakMb(const std::vector<std::string>& arguments) {
    std::string printed;
    return bench::RunSelf(arguments, printed) ? std::atof(printed.c_str()) : -1;
}

/**
 * The peak memory of the same fill and save, measured in a fresh process of this program so
 * that nothing this process holds counts; idle_MB is the peak of a child that only starts.
 */
void BM_FillWorkbook10000x40PeakMemory(benchmark::State& state) {
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("book.xltx"));
    PackFolder(QStringLiteral(OFFICE_TEMPLATES "/book"), templatePath);
    const QString out = dir.filePath(QStringLiteral("book.xlsx"));
    double peak = 0;
    for (auto _ : state) {
        peak = childPeakMb({"--fill-workbook-once", templatePath.toStdString(), out.toStdString()});
        if (peak < 0) {
            state.SkipWithError("the measuring child failed");
            return;
        }
    }
    state.counters["peak_MB"] = peak;
    state.counters["idle_MB"] = childPeakMb({"--idle"});
}
BENCHMARK(BM_FillWorkbook10000x40PeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

/**
 * A report of 10,000 paragraphs of prose with 500 bookmarks spread through them, every
 * bookmark in its own paragraph between two runs.
 */
QString makeBookmarkTemplate(const QTemporaryDir& dir) {
    auto doc = WordDocument::createBlank();
    QByteArray body;
    body.reserve(2 << 20);
    for (int i = 0; i < 10000; ++i) {
        if (i % 20 == 10) {
            const QByteArray n = QByteArray::number(i / 20);
            body += "<w:p><w:r><w:t xml:space=\"preserve\">Показник " + n +
                    ": </w:t></w:r><w:bookmarkStart w:id=\"" + n + "\" w:name=\"B" + n +
                    "\"/><w:r><w:rPr><w:b/></w:rPr><w:t>значення</w:t></w:r><w:bookmarkEnd "
                    "w:id=\"" +
                    n + "\"/><w:r><w:t>.</w:t></w:r></w:p>";
        } else {
            body += "<w:p><w:pPr><w:jc w:val=\"both\"/></w:pPr><w:r><w:t>Текст звіту, абзац " +
                    QByteArray::number(i) + ".</w:t></w:r></w:p>";
        }
    }
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/"
        "main\"><w:body>" +
        body + "<w:sectPr/></w:body></w:document>";
    doc->package().setPartData(doc->mainPart(), xml);
    const QString path = dir.filePath(QStringLiteral("bookmarks.dotx"));
    doc->package().save(path);
    return path;
}

void BM_Fill500BookmarksAndSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString templatePath = makeBookmarkTemplate(dir);
    const QString out = dir.filePath(QStringLiteral("bookmarks.docx"));
    for (auto _ : state) {
        auto doc = WordDocument::open(templatePath);
        for (int i = 0; i < 500; ++i) {
            const QString name = QStringLiteral("B") + QString::number(i);
            doc->setBookmarkText(name, QString::number(i * 3) + QStringLiteral(".25 грн"));
            benchmark::DoNotOptimize(doc->bookmarkText(name).size());
        }
        doc->saveAs(out);
    }
}
BENCHMARK(BM_Fill500BookmarksAndSave)->Unit(benchmark::kMillisecond);

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

int main(int argc, char** argv) {
    // The child runs of the memory benchmark.
    if (argc == 4 && std::strcmp(argv[1], "--fill-workbook-once") == 0) {
        fillWorkbook10000x40(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        std::printf("%.1f\n", bench::OwnPeakMb());
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--idle") == 0) {
        std::printf("%.1f\n", bench::OwnPeakMb());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
