#include "OfficeTestUtil.h"
#include "office/Document.h"
#include "office/Workbook.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** Converts a file to PDF with LibreOffice; returns the error, or "" on success. */
QString convertToPdf(const QString& file, const QString& outDir) {
    QProcess soffice;
    soffice.start(
        QStandardPaths::findExecutable(QStringLiteral("soffice")),
        {QStringLiteral("-env:UserInstallation=file://") + outDir + QStringLiteral("/profile"),
         QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
         QStringLiteral("--outdir"), outDir, file});
    if (!soffice.waitForFinished(180000))
        return QStringLiteral("soffice did not finish");
    const QString pdf = outDir + u'/' + QFileInfo(file).completeBaseName() + QStringLiteral(".pdf");
    if (soffice.exitCode() != 0 || !QFileInfo(pdf).isFile() || QFileInfo(pdf).size() < 500)
        return QString::fromLocal8Bit(soffice.readAllStandardError() +
                                      soffice.readAllStandardOutput());
    return QString();
}

// Labelled "libreoffice" in CTest; skipped where LibreOffice is not installed.
TEST(LibreOfficeConversion, FilledDocumentAndWorkbookConvertToPdf) {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    auto doc = WordDocument::open(
        PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("t.dotx"))));
    doc->setBookmarkText(QStringLiteral("NP"), QStringLiteral("с. Тамберон"));
    WordTable t = doc->table(1);
    doc->selectCell(t, 3, 1);
    doc->insertRowsBelow(20);
    for (int r = 3; r <= 23; ++r) {
        t.setCellText(r, 1, QString::number(r - 2));
        t.setCellText(r, 3, QStringLiteral("опис\rдругий рядок"));
    }
    t.setCellBold(3, 1, true);
    WordTable q = doc->table(2);
    doc->selectTable(q);
    doc->copy();
    doc->paste();
    doc->paste();
    const QString docx = dir.filePath(QStringLiteral("report.docx"));
    doc->saveAs(docx);

    auto book = Workbook::open(
        PackTemplate(QStringLiteral("book"), dir.filePath(QStringLiteral("b.xltx"))));
    Worksheet& s = book->worksheet(1);
    for (int r = 7; r < 50; ++r)
        for (int c = 1; c <= 12; ++c)
            s.setCellValue(r, c,
                           c == 2 ? QStringLiteral("текст")
                                  : QString::number(r * c) + QStringLiteral(".25"));
    s.setCellBold(7, 2, true);
    s.setColumnWidth(9, 0);
    const QString xlsx = dir.filePath(QStringLiteral("book.xlsx"));
    book->saveCopyAs(xlsx);

    EXPECT_EQ(convertToPdf(docx, dir.path()), QString());
    EXPECT_EQ(convertToPdf(xlsx, dir.path()), QString());
}

} // namespace
