#include "valuation/PurposeBook.h"
#include "db/Database.h"
#include "tests/support/QueryRows.h"
#include "tests/support/TestSupport.h"
#include "valuation/LandUse.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** The functional-use category of a code, or the reason it has none. */
QString useOrReason(const PurposeBook& book, const QString& code) {
    QString use;
    QString reason;
    if (UseForPurpose(book, code, &use, &reason)) {
        EXPECT_TRUE(reason.isEmpty());
        return use;
    }
    EXPECT_TRUE(use.isEmpty());
    return reason;
}

PurposeBook smallBook() {
    PurposeBook book;
    book.add({QStringLiteral("02.01"), QStringLiteral("Присадибна ділянка"), QStringLiteral("Ж")});
    book.add({QStringLiteral("03.07"), QStringLiteral("Торгівля"), QStringLiteral(" к ")});
    book.add({QStringLiteral("02.09"), QStringLiteral("Паркінги"), QString()});
    book.add({QStringLiteral("05"), QStringLiteral("Природоохоронні"), QStringLiteral("X")});
    book.add({QStringLiteral("01.03"), QStringLiteral("ОСГ"), QStringLiteral("рі")});
    return book;
}

} // namespace

TEST(PurposeCode, IsBroughtToTheClassifiersFormOrRefused) {
    EXPECT_EQ(NormalPurposeCode(QStringLiteral("02.01")), QStringLiteral("02.01"));
    EXPECT_EQ(NormalPurposeCode(QStringLiteral(" 2,01 ")), QStringLiteral("02.01"));
    EXPECT_EQ(NormalPurposeCode(QStringLiteral("16")), QStringLiteral("16.00"));
    EXPECT_EQ(NormalPurposeCode(QStringLiteral("03.07 Для будівництва торгівлі")),
              QStringLiteral("03.07"));
    // A kind of one digit could be 02.01 or 02.10: not guessed.
    for (const char* bad : {"02.1", "", "ж", "00.01", "123.01", "02.011", "02-01", "02.01а"})
        EXPECT_TRUE(NormalPurposeCode(QString::fromUtf8(bad)).isEmpty()) << bad;
}

TEST(PurposeBook, GivesTheCategoryOfAMappedCodeAndAReasonForEveryOther) {
    const PurposeBook book = smallBook();
    EXPECT_EQ(useOrReason(book, QStringLiteral("02.01")), QStringLiteral("Ж"));
    EXPECT_EQ(useOrReason(book, QStringLiteral("2.01")), QStringLiteral("Ж"));
    // The category is written as the Кф table writes it, whatever the book's letter case.
    EXPECT_EQ(useOrReason(book, QStringLiteral("03.07")), QStringLiteral("К"));
    EXPECT_EQ(useOrReason(book, QStringLiteral("01.03")), QStringLiteral("Рі"));

    EXPECT_EQ(useOrReason(book, QStringLiteral("")),
              QStringLiteral("Цільове призначення ділянки не вказано."));
    EXPECT_EQ(useOrReason(book, QStringLiteral("житло")),
              QStringLiteral("«житло» не є кодом цільового призначення земель (має бути як "
                             "«02.01»)."));
    EXPECT_EQ(useOrReason(book, QStringLiteral("11.02")),
              QStringLiteral("Коду цільового призначення «11.02» немає в довіднику "
                             "«призначення»."));
    EXPECT_EQ(useOrReason(book, QStringLiteral("02.09")),
              QStringLiteral("Для цільового призначення 02.09 «Паркінги» категорію "
                             "функціонального використання в довіднику «призначення» не "
                             "встановлено."));
    EXPECT_TRUE(useOrReason(book, QStringLiteral("05.00"))
                    .startsWith(QStringLiteral("Цільовому призначенню 05.00 у довіднику "
                                               "«призначення» відповідає категорія «X», якої "
                                               "немає серед категорій")));
}

TEST(PurposeBook, ALaterRowOfTheSameCodeReplacesTheEarlier) {
    PurposeBook book = smallBook();
    book.add({QStringLiteral("2.01"), QStringLiteral("Інша назва"), QStringLiteral("К")});
    EXPECT_EQ(book.size(), 5);
    ASSERT_TRUE(book.find(QStringLiteral("02.01")));
    EXPECT_EQ(book.find(QStringLiteral("02.01"))->name, QStringLiteral("Інша назва"));
    EXPECT_EQ(useOrReason(book, QStringLiteral("02.01")), QStringLiteral("К"));
}

TEST(PurposeBook, IsReadFromTheCatalogueOrSaysWhyNot) {
    QTemporaryDir dir;
    Connection db;
    ASSERT_TRUE(db.create(dir.filePath(QStringLiteral("baza.sqlite"))));
    PurposeBook book;
    QString error;
    EXPECT_FALSE(LoadPurposeBook(db, book, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Вибірка із бази \"призначення\"")));
    ExecSql(db, QStringLiteral("CREATE TABLE призначення (id AUTOINCREMENT, код nvarchar (10), "
                               "назва nvarchar (255), категорія nvarchar (10))"));
    ExecSql(db, QStringLiteral("INSERT INTO призначення (код, назва, категорія) VALUES "
                               "('11.02', 'Промисловість', 'П'), ('12.01', 'Залізниця', NULL)"));
    ASSERT_TRUE(LoadPurposeBook(db, book, &error)) << error.toStdString();
    EXPECT_EQ(book.size(), 2);
    EXPECT_EQ(useOrReason(book, QStringLiteral("11.02")), QStringLiteral("П"));
    EXPECT_TRUE(useOrReason(book, QStringLiteral("12.01")).startsWith(QStringLiteral("Для ")));
}

TEST(PurposeBook, ShipsTheClassifierFilledInTheCatalogue) {
    TempAppDir app(true);
    Connection db;
    ASSERT_TRUE(db.open(app.file(QStringLiteral("baza.sqlite"))));
    PurposeBook book;
    QString error;
    ASSERT_TRUE(LoadPurposeBook(db, book, &error)) << error.toStdString();
    EXPECT_GT(book.size(), 120);
    EXPECT_EQ(useOrReason(book, QStringLiteral("02.01")), QStringLiteral("Ж"));
    EXPECT_EQ(useOrReason(book, QStringLiteral("03.07")), QStringLiteral("К"));
    EXPECT_EQ(useOrReason(book, QStringLiteral("11.02")), QStringLiteral("П"));
    // Every section 01..19 is there; every category set carries a Кф.
    for (int section = 1; section <= 19; ++section)
        EXPECT_TRUE(book.find(QString::number(section))) << section;
    const QStringList rows =
        QueryRows(db, QStringLiteral("SELECT код, категорія FROM призначення"));
    QStringList codes;
    for (const QString& row : rows) {
        const QString code = row.section(u'|', 0, 0);
        const QString category = row.section(u'|', 1);
        EXPECT_EQ(NormalPurposeCode(code), code);
        EXPECT_FALSE(codes.contains(code)) << code.toStdString();
        codes << code;
        if (category.isEmpty())
            continue;
        bool hasKf = false;
        for (const LandUseCategory& c : LandUseCategories())
            hasKf = hasKf || c.column == FunctionalCategoryOf(category);
        EXPECT_TRUE(hasKf) << code.toStdString();
    }
}
