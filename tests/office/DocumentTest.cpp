#include "office/Document.h"
#include "OfficeTestUtil.h"
#include "office/OfficeError.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <random>

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
    /** The main part of `document` saved under `name`. */
    QByteArray savedMainPart(WordDocument& document, const QString& name) {
        const QString path = dir.filePath(name);
        document.saveAs(path);
        return PartOf(path, QStringLiteral("word/document.xml"));
    }
    /**
     * Fills this document with rows kept aside and a second one with its rows in the tree;
     * both must save alike. Returns the second, and its main part in `expected`.
     */
    std::unique_ptr<WordDocument>
    fillBothWays(const std::function<void(WordDocument&, bool inTree)>& fill,
                 QByteArray& expected) {
        fill(*doc, false);
        auto tree = WordDocument::open(templatePath);
        fill(*tree, true);
        expected = savedMainPart(*tree, QStringLiteral("tree.docx"));
        EXPECT_EQ(savedMainPart(*doc, QStringLiteral("kept.docx")), expected);
        return tree;
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

// Inserted rows whose cells are only written are kept out of the XML tree: the saved document
// is the same, byte for byte, as when the rows are in the tree, and so is the tree they go
// into when something else is asked of them.
TEST_F(DocumentTest, InsertedRowsKeptAsideSaveAsTheTreeWould) {
    const QString texts[] = {QString(),
                             QStringLiteral("12.5"),
                             QStringLiteral("a & <b> \"c\""),
                             QStringLiteral("рядок\rдругий\r\nтретій"),
                             QStringLiteral("таб\tі\vрозрив"),
                             QStringLiteral("кінець\r\a")};
    auto fill = [&texts](WordDocument& document, bool inTree) {
        WordTable t = document.table(1);
        document.selectCell(t, 3, 1);
        document.insertRowsBelow(40);
        EXPECT_THROW(t.setCellText(5, 4, QStringLiteral("x")), OfficeError);
        if (inTree)
            (void)document.package(); // puts the inserted rows into the tree
        std::mt19937 random(7);
        for (int step = 0; step < 400; ++step) {
            const int row = 4 + static_cast<int>(random() % 40);
            const int column = 1 + static_cast<int>(random() % 3);
            if (random() % 3 == 0)
                t.setCellBold(row, column, random() % 2 == 0);
            else
                t.setCellText(row, column, texts[random() % std::size(texts)]);
        }
        EXPECT_EQ(t.rowCount(), 44);
    };
    QByteArray expected;
    auto tree = fillBothWays(fill, expected);

    WordTable t = doc->table(1);
    EXPECT_EQ(t.cellText(7, 2), tree->table(1).cellText(7, 2)); // into the tree now
    EXPECT_EQ(t.cellBold(9, 3), tree->table(1).cellBold(9, 3));
    EXPECT_EQ(savedMainPart(*doc, QStringLiteral("kept.docx")), expected);
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

// Pasted blocks are kept out of the tree as inserted rows are: written with texts, empty
// texts over the pattern's own and bold, they save byte for byte as the tree would have them.
TEST_F(DocumentTest, PastedBlocksKeptAsideSaveAsTheTreeWould) {
    auto fill = [](WordDocument& document, bool inTree) {
        WordTable q = document.table(2);
        const int h = q.rowCount();
        document.selectTable(q);
        document.copy();
        for (int i = 0; i < 4; ++i)
            document.paste();
        EXPECT_EQ(q.rowCount(), 5 * h);
        if (inTree)
            (void)document.package();
        // Block 2: its headers emptied; block 3: bold, then text; block 4: text, then bold.
        for (int column = 1; column <= 3; ++column) {
            q.setCellText(h + 2, column, QString());
            q.setCellBold(2 * h + 2, column, true);
            q.setCellText(2 * h + 2, column, QStringLiteral("№ %1").arg(column));
            q.setCellText(3 * h + 3, column, QStringLiteral("a & <b>\rдругий"));
            q.setCellBold(3 * h + 3, column, true);
        }
        q.setCellText(4 * h + 1, 1, QStringLiteral("Анкета (продовження)"));
        std::mt19937 random(11);
        for (int step = 0; step < 100; ++step) {
            const int block = 1 + static_cast<int>(random() % 4);
            q.setCellText(block * h + 3, 1 + static_cast<int>(random() % 3),
                          QString::number(random() % 100));
        }
    };
    QByteArray expected;
    fillBothWays(fill, expected);

    // A new copy (of the five blocks) pastes as a run of its own.
    WordTable q = doc->table(2);
    const int h = q.rowCount() / 5;
    doc->copy();
    doc->paste();
    q.setCellText(9 * h + 2, 3, QStringLiteral("нова"));
    auto again = roundTrip();
    ASSERT_EQ(again->table(2).rowCount(), 10 * h);
    EXPECT_EQ(again->table(2).cellText(9 * h + 2, 3), QStringLiteral("нова"));
    EXPECT_EQ(again->table(2).cellText(6 * h + 2, 1), QString()); // block 2 again
    EXPECT_EQ(again->table(2).cellText(7 * h + 2, 1), QStringLiteral("№ 1"));
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

/**
 * A document of bookmarks: in a paragraph, in a table's title cell and data row, an outer
 * range over three paragraphs with an inner one, a name used twice (first in a cell) and a
 * bookmark whose end is missing.
 */
class BookmarkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        auto p = [](const QByteArray& inner) { return "<w:p>" + inner + "</w:p>"; };
        auto mark = [](int id, const char* name, const char* text) {
            return QByteArray("<w:bookmarkStart w:id=\"") + QByteArray::number(id) +
                   "\" w:name=\"" + name + "\"/><w:r><w:t>" + text +
                   "</w:t></w:r><w:bookmarkEnd w:id=\"" + QByteArray::number(id) + "\"/>";
        };
        auto cell = [](const QByteArray& inner) { return "<w:tc>" + inner + "</w:tc>"; };
        const QByteArray body =
            p("<w:r><w:t xml:space=\"preserve\">Вступ </w:t></w:r>" + mark(1, "A", "a")) +
            "<w:tbl><w:tblGrid><w:gridCol/><w:gridCol/></w:tblGrid><w:tr>" +
            cell(p("<w:r><w:t>Заголовок</w:t></w:r>")) + cell(p(mark(2, "CELL", "c"))) +
            "</w:tr><w:tr>" + cell(p(mark(3, "ROW", "r"))) + cell(p(mark(7, "DUP", "d1"))) +
            "</w:tr></w:tbl>" +
            p("<w:bookmarkStart w:id=\"4\" w:name=\"OUTER\"/><w:r><w:t>o1</w:t></w:r>") +
            p(mark(5, "INNER", "i")) + p("<w:r><w:t>o2</w:t></w:r><w:bookmarkEnd w:id=\"4\"/>") +
            p(mark(8, "DUP", "d2")) +
            p("<w:r><w:t xml:space=\"preserve\">до </w:t></w:r><w:bookmarkStart w:id=\"6\" "
              "w:name=\"OPEN\"/><w:r><w:t>після</w:t></w:r>") +
            p("<w:r><w:t>кінець</w:t></w:r>");
        auto blank = WordDocument::createBlank();
        blank->package().setPartData(
            blank->mainPart(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
            "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
                body + "<w:sectPr/></w:body></w:document>");
        blank->package().save(dir.filePath(QStringLiteral("закладки.dotx")));
        doc = WordDocument::open(dir.filePath(QStringLiteral("закладки.dotx")));
    }
    std::unique_ptr<WordDocument> roundTrip() {
        out = dir.filePath(QStringLiteral("закладки.docx"));
        doc->saveAs(out);
        return WordDocument::open(out);
    }
    QTemporaryDir dir;
    QString out;
    std::unique_ptr<WordDocument> doc;
};

TEST_F(BookmarkTest, IndexStaysRightAfterInsertedRowsAndCopiedTables) {
    const QStringList names = {QStringLiteral("A"),     QStringLiteral("CELL"),
                               QStringLiteral("ROW"),   QStringLiteral("DUP"),
                               QStringLiteral("OUTER"), QStringLiteral("INNER"),
                               QStringLiteral("DUP"),   QStringLiteral("OPEN")};
    EXPECT_EQ(doc->bookmarkNames(), names);
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("ROW")), QStringLiteral("r"));
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("DUP")), QStringLiteral("d1")); // the first
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("OUTER")), QStringLiteral("o1\ri\ro2"));

    // Rows copied below the bookmarked row, then the whole table pasted below itself.
    WordTable t = doc->table(1);
    doc->selectCell(t, 2, 1);
    doc->insertRowsBelow(2);
    doc->selectTable(t);
    doc->copy();
    doc->paste();
    ASSERT_EQ(t.rowCount(), 8);
    EXPECT_EQ(doc->bookmarkNames(), names); // copies carry no bookmarks
    doc->setBookmarkText(QStringLiteral("ROW"), QStringLiteral("рядок"));
    doc->setBookmarkText(QStringLiteral("CELL"), QStringLiteral("клітинка"));
    doc->setBookmarkText(QStringLiteral("A"), QStringLiteral("перша"));
    EXPECT_EQ(t.cellText(2, 1), QStringLiteral("рядок"));
    EXPECT_EQ(t.cellText(3, 1), QString());
    EXPECT_EQ(t.cellText(6, 1), QStringLiteral("r"));
    EXPECT_EQ(t.cellText(1, 2), QStringLiteral("клітинка"));
    EXPECT_EQ(t.cellText(5, 2), QStringLiteral("c"));

    auto again = roundTrip();
    EXPECT_EQ(again->bookmarkNames(), names);
    EXPECT_EQ(again->bookmarkText(QStringLiteral("ROW")), QStringLiteral("рядок"));
    EXPECT_EQ(again->bookmarkText(QStringLiteral("CELL")), QStringLiteral("клітинка"));
    EXPECT_EQ(again->bookmarkText(QStringLiteral("A")), QStringLiteral("перша"));
    EXPECT_EQ(again->table(1).cellText(5, 2), QStringLiteral("c"));
}

TEST_F(BookmarkTest, TextWrittenOverABookmarkRemovesIt) {
    ASSERT_EQ(doc->bookmarkText(QStringLiteral("CELL")), QStringLiteral("c")); // indexed now
    WordTable t = doc->table(1);
    t.setCellText(1, 2, QStringLiteral("нове"));
    EXPECT_FALSE(doc->hasBookmark(QStringLiteral("CELL")));
    EXPECT_THROW(doc->setBookmarkText(QStringLiteral("CELL"), QStringLiteral("x")), OfficeError);
    EXPECT_EQ(t.cellText(1, 2), QStringLiteral("нове"));

    // Of a name used twice, the later bookmark is found once the first is gone.
    t.setCellText(2, 2, QStringLiteral("друге"));
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("DUP")), QStringLiteral("d2"));
    doc->setBookmarkText(QStringLiteral("DUP"), QStringLiteral("дубль"));

    // The inner bookmark lay in a paragraph the outer text replaced.
    doc->setBookmarkText(QStringLiteral("OUTER"), QStringLiteral("зовнішній"));
    EXPECT_FALSE(doc->hasBookmark(QStringLiteral("INNER")));
    EXPECT_THROW(doc->bookmarkText(QStringLiteral("INNER")), OfficeError);
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("OUTER")), QStringLiteral("зовнішній"));
    doc->setBookmarkText(QStringLiteral("A"), QStringLiteral("далі"));

    auto again = roundTrip();
    EXPECT_EQ(again->bookmarkNames(),
              (QStringList{QStringLiteral("A"), QStringLiteral("ROW"), QStringLiteral("OUTER"),
                           QStringLiteral("DUP"), QStringLiteral("OPEN")}));
    EXPECT_EQ(again->bookmarkText(QStringLiteral("DUP")), QStringLiteral("дубль"));
    EXPECT_EQ(again->bookmarkText(QStringLiteral("A")), QStringLiteral("далі"));
    EXPECT_EQ(again->table(1).cellText(2, 2), QStringLiteral("друге"));
}

TEST_F(BookmarkTest, BookmarkWithoutEndLosesNothingAfterIt) {
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("OPEN")), QString());
    doc->setBookmarkText(QStringLiteral("OPEN"), QStringLiteral("значення"));
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("OPEN")), QStringLiteral("значення"));
    auto again = roundTrip();
    EXPECT_EQ(again->bookmarkText(QStringLiteral("OPEN")), QStringLiteral("значення"));
    const QByteArray xml = PartOf(out, QStringLiteral("word/document.xml"));
    EXPECT_TRUE(xml.contains(QStringLiteral("після").toUtf8()));
    EXPECT_TRUE(xml.contains(QStringLiteral("кінець").toUtf8()));
    EXPECT_EQ(xml.count("<w:bookmarkEnd w:id=\"6\""), 1);
}

} // namespace
