// The markup of the shipped documents and the layout of the shipped workbooks.
#include "office/Document.h"
#include "office/OfficeError.h"
#include "office/Workbook.h"
#include "tools/make_documents/SheetLayout.h"
#include "tools/make_documents/WordMarkup.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<WordDocument> Parsed(const QString& markup) {
    WordMarkup m;
    QString error;
    EXPECT_TRUE(m.parse(markup, &error)) << qPrintable(error);
    return WordDocument::openFromMemory(m.package(true, QStringLiteral("t")));
}

TEST(WordMarkup, TablesJoinCellsAcrossAndDownAndCompleteShortRows) {
    auto doc = Parsed(QStringLiteral("# Розділ\n"
                                     "Текст з **жирним** і [[NP|закладкою]].\n"
                                     "@table 2 3:r 3:c\n"
                                     "|# Заголовок таблиці\n"
                                     "|! Зона | Вартість | <\n"
                                     "|! ^ | 1 | 2\n"
                                     "| 1 |\n"
                                     "\n"
                                     "@table 1 1\n"
                                     "|\n"));
    ASSERT_EQ(doc->tableCount(), 2);
    WordTable t = doc->table(1);
    EXPECT_EQ(t.columnCount(), 3);
    EXPECT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.cellText(1, 1), QStringLiteral("Заголовок таблиці"));
    EXPECT_THROW(t.cellText(1, 2), OfficeError); // the title spans the table
    EXPECT_EQ(t.cellText(2, 2), QStringLiteral("Вартість"));
    EXPECT_THROW(t.cellText(2, 3), OfficeError); // joined to its left neighbour
    EXPECT_TRUE(t.cellBold(2, 1));
    EXPECT_EQ(t.cellText(3, 1), QString()); // continues the cell above
    EXPECT_EQ(t.cellText(3, 3), QStringLiteral("2"));
    EXPECT_EQ(t.cellText(4, 1), QStringLiteral("1"));
    EXPECT_EQ(t.cellText(4, 3), QString()); // completed with empty cells
    EXPECT_FALSE(t.cellBold(4, 1));
    EXPECT_EQ(doc->table(2).cellText(1, 2), QString());
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("NP")), QStringLiteral("закладкою"));
    const QByteArray xml = doc->package().partData(QStringLiteral("word/document.xml"));
    EXPECT_TRUE(xml.contains("w:vMerge w:val=\"restart\""));
    EXPECT_TRUE(xml.contains("<w:gridSpan w:val=\"2\"/>"));
}

TEST(WordMarkup, ContentsListTheHeadingsAndSectionsTurnThePage) {
    WordMarkup m;
    QString error;
    ASSERT_TRUE(m.parse(QStringLiteral("@toc\n# Перший\n## Другий\n@page landscape\nТекст\n"
                                       "@page portrait\n"),
                        &error));
    auto doc = WordDocument::openFromMemory(m.package(false, QStringLiteral("t")));
    const QString xml =
        QString::fromUtf8(doc->package().partData(QStringLiteral("word/document.xml")));
    EXPECT_TRUE(xml.contains(QStringLiteral("TOC \\o")));
    EXPECT_TRUE(xml.contains(QStringLiteral("w:anchor=\"_Toc000002\"")));
    EXPECT_EQ(xml.count(QStringLiteral("<w:sectPr>")), 3);
    EXPECT_EQ(xml.count(QStringLiteral("w:orient=\"landscape\"")), 1);
    EXPECT_TRUE(doc->package()
                    .contentType(QStringLiteral("word/document.xml"))
                    .endsWith(QStringLiteral("document.main+xml")));
}

TEST(WordMarkup, MalformedLinesAreRefusedWithTheirNumber) {
    struct Case {
        const char* markup;
        const char* error;
    };
    for (const Case& c :
         {Case{"Текст\n@невідома\n", "рядок 2"}, Case{"@table 2 x\n| a\n", "рядок 1"},
          Case{"@table\n", "рядок 1"}, Case{"@table 2 2\n| a | b | c\n", "рядок 2"},
          Case{"| a | b\n", "рядок 1"}}) {
        WordMarkup m;
        QString error;
        EXPECT_FALSE(m.parse(QString::fromUtf8(c.markup), &error)) << c.markup;
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.error))) << qPrintable(error);
    }
}

TEST(SheetLayout, HeadsFactorColumnsFromTheNamesGivenAndNumbersEveryColumn) {
    SheetLayout layout;
    QString error;
    ASSERT_TRUE(layout.parse(QStringLiteral("title Книга\nname 5\nheading 3 5\n"
                                            "col 1 7 code Район\n"
                                            "group 2 4 Фактори\nfactors 2 3 5 money\n"
                                            "col 5 9 area Площа\n"),
                             {QStringLiteral("Перший"), QStringLiteral("Другий")}, &error))
        << qPrintable(error);
    EXPECT_EQ(layout.lastColumn(), 5);
    EXPECT_EQ(layout.numberingRow(), 6);
    auto book = Workbook::openFromMemory(layout.package(true, QStringLiteral("t")));
    Worksheet& s = book->worksheet(1);
    EXPECT_EQ(s.cellText(1, 1), QStringLiteral("Книга "));
    EXPECT_EQ(s.cellText(3, 1), QStringLiteral("Район"));
    EXPECT_EQ(s.cellText(3, 2), QStringLiteral("Фактори"));
    EXPECT_EQ(s.cellText(4, 2), QStringLiteral("Перший"));
    EXPECT_EQ(s.cellText(4, 4), QStringLiteral("Фактор 3"));
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(s.cellText(6, c), QString::number(c));
    EXPECT_DOUBLE_EQ(s.columnWidth(5), 9);
    const QByteArray sheet = book->package().partData(QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("<f>\"Книга \"&amp;E1</f>"));
    EXPECT_TRUE(sheet.contains("orientation=\"landscape\""));

    SheetLayout bad;
    EXPECT_FALSE(bad.parse(QStringLiteral("col 1 7\n"), {}, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("рядок 1")));
    EXPECT_FALSE(bad.parse(QStringLiteral("title Т\nрядок\n"), {}, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("рядок 2")));
}

} // namespace
