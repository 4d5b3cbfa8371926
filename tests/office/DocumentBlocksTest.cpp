// Paragraphs and pictures added to a document, and the look of rows copied from an empty row.
#include "OfficeTestUtil.h"
#include "office/Document.h"
#include "office/OfficeError.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** A tiny PNG (a 1x1 picture is enough: the package only carries the bytes). */
QByteArray SomePng(char shade) {
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, shade);
}

class DocumentBlocks : public ::testing::Test {
protected:
    void SetUp() override {
        doc = WordDocument::open(
            PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("звіт.dotx"))));
    }
    QString save() {
        const QString out = dir.filePath(QStringLiteral("Технічний звіт.docx"));
        doc->saveAs(out);
        return out;
    }
    QTemporaryDir dir;
    std::unique_ptr<WordDocument> doc;
};

TEST_F(DocumentBlocks, PicturesReplaceTheBookmarkParagraphAsPartsWithRelationships) {
    const QString first = doc->addPicture(SomePng('a'));
    const QString second = doc->addPicture(SomePng('b'));
    EXPECT_NE(first, second);
    WordParagraph heading;
    heading.text = QStringLiteral("Додаток А");
    heading.bold = true;
    heading.alignRight = true;
    heading.pageBreakBefore = true;
    WordParagraph picture;
    picture.text = QStringLiteral("Карта-схема & <зони>");
    picture.pictureId = first;
    picture.pictureMm = QSizeF(165, 238);
    WordParagraph another = picture;
    another.pictureId = second;
    doc->replaceBookmarkParagraph(QStringLiteral("NP"), {heading, picture, another});
    EXPECT_FALSE(doc->hasBookmark(QStringLiteral("NP")));
    const QString path = save();

    EXPECT_EQ(PartOf(path, QStringLiteral("word/media/image1.png")), SomePng('a'));
    EXPECT_EQ(PartOf(path, QStringLiteral("word/media/image2.png")), SomePng('b'));
    EXPECT_TRUE(PartOf(path, QStringLiteral("[Content_Types].xml"))
                    .contains("<Default Extension=\"png\" ContentType=\"image/png\""));
    const QByteArray rels = PartOf(path, QStringLiteral("word/_rels/document.xml.rels"));
    EXPECT_TRUE(rels.contains("Id=\"" + first.toUtf8() + "\""));
    EXPECT_TRUE(rels.contains("relationships/image\" Target=\"media/image1.png\""));

    const QString xml =
        QString::fromUtf8(PartOf(path, QStringLiteral("word/document.xml"))).remove(u' ');
    // The paragraph went with its text; the pictures refer to their parts at their size.
    EXPECT_FALSE(xml.contains(QStringLiteral("Населенийпункт")));
    EXPECT_TRUE(xml.contains(QStringLiteral("xmlns:wp=")));
    EXPECT_TRUE(xml.contains(QStringLiteral("xmlns:pic=")));
    EXPECT_TRUE(xml.contains(QStringLiteral("r:embed=\"") + first + u'"'));
    EXPECT_TRUE(xml.contains(QStringLiteral("r:embed=\"") + second + u'"'));
    EXPECT_EQ(xml.count(QStringLiteral("<wp:extentcx=\"5940000\"cy=\"8568000\"")), 2);
    EXPECT_TRUE(xml.contains(QStringLiteral("<w:pageBreakBefore/><w:jcw:val=\"right\"/>")));
    // Drawing ids are unique in the document.
    const QRegularExpression ids(QStringLiteral("<wp:docPrid=\"(\\d+)\""));
    QStringList seen;
    for (auto it = ids.globalMatch(xml); it.hasNext();)
        seen << it.next().captured(1);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_NE(seen[0], seen[1]);

    // The document reads back whole, its tables where they were.
    const auto again = WordDocument::open(path);
    EXPECT_EQ(again->tableCount(), 2);
    EXPECT_EQ(again->table(1).cellText(2, 2), QStringLiteral("Площа"));
}

TEST_F(DocumentBlocks, NoParagraphsRemoveTheBookmarkParagraphAndAMissingBookmarkThrows) {
    doc->replaceBookmarkParagraph(QStringLiteral("NP"), {});
    const QString xml = QString::fromUtf8(PartOf(save(), QStringLiteral("word/document.xml")));
    EXPECT_FALSE(xml.contains(QStringLiteral("Населений пункт")));
    EXPECT_THROW(doc->replaceBookmarkParagraph(QStringLiteral("NP"), {}), OfficeError);
}

// A first data row with no text carries its size on the paragraph mark: rows copied from it
// keep that size, so the whole table has one size.
TEST(DocumentRows, RowsCopiedFromAnEmptyRowKeepItsSize) {
    QTemporaryDir dir;
    auto doc = WordDocument::createBlank();
    const QByteArray cell =
        "<w:tc><w:p><w:pPr><w:rPr><w:sz w:val=\"14\"/></w:rPr></w:pPr></w:p></w:tc>";
    doc->package().setPartData(
        doc->mainPart(),
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body><w:tbl><w:tblGrid><w:gridCol w:w=\"900\"/></w:tblGrid><w:tr>" +
            cell + "</w:tr></w:tbl><w:sectPr/></w:body></w:document>");
    const QString path = dir.filePath(QStringLiteral("t.docx"));
    doc->package().save(path);
    doc = WordDocument::open(path);
    WordTable t = doc->table(1);
    doc->selectCell(t, 1, 1);
    doc->insertRowsBelow(2);
    for (int r = 1; r <= 3; ++r)
        t.setCellText(r, 1, QStringLiteral("рядок %1").arg(r));
    doc->saveAs(path);
    const QString xml = QString::fromUtf8(PartOf(path, QStringLiteral("word/document.xml")));
    EXPECT_EQ(xml.count(QRegularExpression(QStringLiteral("<w:r><w:rPr><w:sz w:val=\"14\" ?/>"
                                                          "</w:rPr><w:t[^>]*>рядок"))),
              3);
}

// Rows inserted and not yet written into the tree lose the removed columns and take the widths
// too: every row of the saved table has the same cells.
TEST(DocumentRows, ColumnsRemovedAfterInsertedRowsGoFromEveryRow) {
    QTemporaryDir dir;
    auto doc = WordDocument::createBlank();
    QByteArray grid = "<w:tblGrid>";
    QByteArray row = "<w:tr>";
    for (int c = 0; c < 5; ++c) {
        grid += "<w:gridCol w:w=\"1000\"/>";
        row += "<w:tc><w:tcPr><w:tcW w:w=\"1000\" w:type=\"dxa\"/></w:tcPr><w:p/></w:tc>";
    }
    grid += "</w:tblGrid>";
    row += "</w:tr>";
    doc->package().setPartData(
        doc->mainPart(),
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body><w:tbl>" +
            grid + row + "</w:tbl><w:sectPr/></w:body></w:document>");
    const QString path = dir.filePath(QStringLiteral("t.docx"));
    doc->package().save(path);
    doc = WordDocument::open(path);
    WordTable t = doc->table(1);
    doc->selectCell(t, 1, 1);
    doc->insertRowsBelow(3);
    t.setCellText(4, 2, QStringLiteral("вставлений"));
    t.removeColumns(4, 5);
    t.setGridWidths({1500, 1500, 1500});
    EXPECT_EQ(t.columnCount(), 3);
    EXPECT_EQ(t.cellText(4, 2), QStringLiteral("вставлений"));
    doc->saveAs(path);
    const QString xml = QString::fromUtf8(PartOf(path, QStringLiteral("word/document.xml")));
    EXPECT_EQ(xml.count(QStringLiteral("<w:tr>")), 4);
    EXPECT_EQ(xml.count(QRegularExpression(QStringLiteral("<w:tc>"))), 12);
    EXPECT_EQ(xml.count(QStringLiteral("w:w=\"1500\"")), 3 + 12);
}

} // namespace
