#include "OfficeTestUtil.h"
#include "office/Document.h"
#include "office/Workbook.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Labelled "libreoffice" in CTest; skipped where LibreOffice is not installed.
TEST(LibreOfficeConversion, FilledDocumentAndWorkbookConvertToPdf) {
    if (Soffice().isEmpty())
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

    EXPECT_EQ(ConvertToPdf(docx, dir.path()), QString());
    EXPECT_EQ(ConvertToPdf(xlsx, dir.path()), QString());
}

} // namespace
