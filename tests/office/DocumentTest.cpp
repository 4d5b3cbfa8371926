#include "office/Document.h"
#include "OfficeTestUtil.h"
#include "office/OfficeError.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        templatePath =
            PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("звіт.dotx")));
        doc = WordDocument::open(templatePath);
    }
    /** Saves, reopens with our reader and returns the reopened document. */
    std::unique_ptr<WordDocument> roundTrip() {
        const QString out = dir.filePath(QStringLiteral("Технічний звіт.docx"));
        doc->saveAs(out);
        return WordDocument::open(out);
    }
    QTemporaryDir dir;
    QString templatePath;
    std::unique_ptr<WordDocument> doc;
};

TEST_F(DocumentTest, BookmarkTextReplacedKeepingSurroundingRunsAndLook) {
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("NP")), QStringLiteral("назва"));
    doc->setBookmarkText(QStringLiteral("NP"), QStringLiteral("с. Тамберон"));
    auto again = roundTrip();
    EXPECT_EQ(again->bookmarkText(QStringLiteral("NP")), QStringLiteral("с. Тамберон"));
    const QByteArray xml = PartOf(dir.filePath(QStringLiteral("Технічний звіт.docx")),
                                  QStringLiteral("word/document.xml"));
    // The text before and after the bookmark stays; the new text keeps the italic red look.
    EXPECT_TRUE(xml.contains("Населений пункт: "));
    EXPECT_TRUE(xml.contains(", область."));
    EXPECT_TRUE(
        xml.contains(QStringLiteral("<w:r><w:rPr><w:i /><w:color w:val=\"C00000\" /></w:rPr>"
                                    "<w:t xml:space=\"preserve\">с. Тамберон</w:t>")
                         .toUtf8()) ||
        xml.contains(QStringLiteral("<w:r><w:rPr><w:i/><w:color w:val=\"C00000\"/></w:rPr>"
                                    "<w:t xml:space=\"preserve\">с. Тамберон</w:t>")
                         .toUtf8()));
    EXPECT_FALSE(xml.contains("назва"));
}

TEST_F(DocumentTest, MissingBookmarkTableOrCellThrows) {
    EXPECT_THROW(doc->setBookmarkText(QStringLiteral("NONE"), QStringLiteral("x")), OfficeError);
    EXPECT_THROW(doc->table(3), OfficeError);
    EXPECT_THROW(doc->table(0), OfficeError);
    WordTable t = doc->table(1);
    EXPECT_THROW(t.cellText(5, 1), OfficeError);
    EXPECT_THROW(t.setCellText(2, 4, QStringLiteral("x")), OfficeError);
    EXPECT_THROW(doc->insertRowsBelow(1), OfficeError); // nothing selected
    EXPECT_THROW(doc->paste(), OfficeError);            // nothing copied
}

TEST_F(DocumentTest, TablesCountsAndCellText) {
    ASSERT_EQ(doc->tableCount(), 2);
    WordTable t = doc->table(1);
    EXPECT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.columnCount(), 3);
    EXPECT_EQ(t.cellText(1, 1), QStringLiteral("Опис та склад районів NP"));
    EXPECT_EQ(t.cellText(2, 2), QStringLiteral("Площа"));
    EXPECT_EQ(doc->table(2).columnCount(), 5);

    t.setCellText(1, 1, QStringLiteral("Опис та склад районів с. Тамберон"));
    t.setCellText(3, 3, QStringLiteral("перший рядок\rдругий рядок\r\nтретій"));
    t.setCellText(3, 2, QStringLiteral("  12.5 & <x> \"q\"  "));
    auto again = roundTrip();
    WordTable a = again->table(1);
    EXPECT_EQ(a.cellText(1, 1), QStringLiteral("Опис та склад районів с. Тамберон"));
    EXPECT_EQ(a.cellText(3, 3), QStringLiteral("перший рядок\rдругий рядок\rтретій"));
    EXPECT_EQ(a.cellText(3, 2), QStringLiteral("  12.5 & <x> \"q\"  "));
}

TEST_F(DocumentTest, BoldOfCellText) {
    WordTable t = doc->table(1);
    EXPECT_FALSE(t.cellBold(3, 1));
    EXPECT_TRUE(t.cellBold(2, 1));
    t.setCellText(3, 1, QStringLiteral("Категорія:"));
    t.setCellBold(3, 1, true);
    t.setCellBold(2, 1, false);
    auto again = roundTrip();
    EXPECT_TRUE(again->table(1).cellBold(3, 1));
    EXPECT_FALSE(again->table(1).cellBold(2, 1));
    // Bold joins the run's other properties in their schema order (after fonts, before colour).
    const QByteArray xml = PartOf(dir.filePath(QStringLiteral("Технічний звіт.docx")),
                                  QStringLiteral("word/document.xml"));
    EXPECT_TRUE(xml.contains("<w:rPr><w:b /><w:color w:val=\"FF0000\" />") ||
                xml.contains("<w:rPr><w:b/><w:color w:val=\"FF0000\"/>"));
}

TEST_F(DocumentTest, InsertedRowsAreEmptyCopiesKeepingTheRowLook) {
    WordTable t = doc->table(1);
    doc->selectCell(t, 3, 1);
    doc->insertRowsBelow(3);
    EXPECT_EQ(t.rowCount(), 7);
    EXPECT_EQ(t.cellText(7, 1), QStringLiteral("Разом")); // the summary row moved down
    for (int r = 4; r <= 6; ++r) {
        EXPECT_EQ(t.cellText(r, 1), QString());
        t.setCellText(r, 1, QString::number(r));
    }
    EXPECT_EQ(t.cellText(3, 1), QStringLiteral("0")); // the source row keeps its text
    auto again = roundTrip();
    const QByteArray xml = PartOf(dir.filePath(QStringLiteral("Технічний звіт.docx")),
                                  QStringLiteral("word/document.xml"));
    // Four rows carry the data row's height, and every written number its red 14 pt look.
    EXPECT_EQ(xml.count("<w:trHeight w:val=\"400\""), 4);
    for (int r = 4; r <= 6; ++r) {
        const QByteArray run = "<w:sz w:val=\"28\" /></w:rPr><w:t xml:space=\"preserve\">" +
                               QByteArray::number(r) + "</w:t>";
        const QByteArray compact = QByteArray(run).replace(" />", "/>");
        EXPECT_TRUE(xml.contains(run) || xml.contains(compact)) << r;
    }
    // Copies never duplicate paragraph ids.
    EXPECT_EQ(xml.count("w14:paraId=\"10000009\""), 1);
    EXPECT_EQ(again->table(1).rowCount(), 7);
}

TEST_F(DocumentTest, TableCopiedTwiceGivesThreeBlocks) {
    WordTable q = doc->table(2);
    const int h = q.rowCount();
    q.setCellText(2, 3, QString());
    doc->selectTable(q);
    doc->copy();
    doc->paste();
    doc->paste();
    EXPECT_EQ(q.rowCount(), 3 * h);
    // Cells of the pasted blocks are addressed by block offset, as the questionnaire does.
    q.setCellText(h + 2, 3, QStringLiteral("24"));
    q.setCellText(2 * h + 2, 3, QStringLiteral("47"));
    EXPECT_EQ(q.cellText(h + 1, 1), QStringLiteral("Анкета експертної оцінки населеного пункту"));
    auto again = roundTrip();
    WordTable a = again->table(2);
    ASSERT_EQ(a.rowCount(), 9);
    EXPECT_EQ(a.cellText(2, 3), QString());
    EXPECT_EQ(a.cellText(5, 3), QStringLiteral("24"));
    EXPECT_EQ(a.cellText(8, 3), QStringLiteral("47"));
    EXPECT_EQ(a.cellText(8, 4), QStringLiteral("2"));
    EXPECT_EQ(again->tableCount(), 2);
}

TEST_F(DocumentTest, SavedAsDocumentContentTypeAndTemplateUntouched) {
    const QString out = dir.filePath(QStringLiteral("out.docx"));
    doc->saveAs(out);
    const QByteArray types = PartOf(out, QStringLiteral("[Content_Types].xml"));
    EXPECT_TRUE(types.contains("wordprocessingml.document.main+xml"));
    EXPECT_FALSE(types.contains("template.main+xml"));
    EXPECT_TRUE(
        PartOf(templatePath, QStringLiteral("[Content_Types].xml")).contains("template.main+xml"));
    EXPECT_EQ(doc->savedPath(), out);
    // A document with a blank start saves and reopens too.
    auto blank = WordDocument::createBlank();
    blank->saveAs(dir.filePath(QStringLiteral("blank.docx")));
    EXPECT_EQ(WordDocument::open(dir.filePath(QStringLiteral("blank.docx")))->tableCount(), 0);
}

TEST_F(DocumentTest, FailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile) {
    const QString out = dir.filePath(QStringLiteral("kept.docx"));
    WriteBytes(out, "old");
    EXPECT_THROW(doc->saveAs(dir.filePath(QStringLiteral("missing/folder/x.docx"))), OfficeError);
    QDir folder(dir.path());
    EXPECT_TRUE(folder.entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden).isEmpty());
    QFile kept(out);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old"));
}

} // namespace
