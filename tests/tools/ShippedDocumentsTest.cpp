// The documents the build writes into the program folder, read back with our own engine at
// the places the fill procedures and the statement reader address.
#include "common/FileUtils.h"
#include "office/Document.h"
#include "office/OfficeError.h"
#include "office/Statement.h"
#include "office/Workbook.h"
#include "tests/support/TestSupport.h"

#include "office/Package.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Shipped(const QString& relative) {
    return JoinPath(BuiltAppDir(), relative);
}

#define REQUIRE_BUILT(path)                                                                        \
    if (!QFileInfo::exists(path))                                                                  \
    GTEST_SKIP() << "not built: " << qPrintable(path)

/** The bytes of one part of a package file. */
QByteArray PartOfPackage(const QString& path, const QString& part) {
    OoxmlPackage package;
    package.load(path);
    return package.partData(part);
}

/** Short names of the shipped local-factor catalogue, in factor order. */
QStringList FactorShortNames() {
    QFile file(JoinPath(qEnvironmentVariable("TAMBERON_SOURCE"),
                        QStringLiteral("data/reference/локальні.csv")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    const qsizetype column =
        lines.takeFirst().trimmed().split(u';').indexOf(QStringLiteral("назва_коротко"));
    QStringList names;
    for (const QString& line : lines)
        names << line.trimmed().split(u';').value(column);
    return names;
}

/** A data table of the report: its title, first data row, and the row count it is made with. */
struct ReportTable {
    const char* title;
    int firstDataRow; ///< 0 for tables of fixed rows only
    int rows;
    int columns;
};

// The titles the fill looks for, in its order of testing.
const ReportTable kReportTables[] = {
    {"Загальні дані про населений пункт", 3, 3, 2},
    {"Витрати на освоєння та облаштування земель", 4, 6, 5}, // then the total and В
    {"Структура земель населеного пункту", 0, 22, 2},
    {"Опис та склад районів", 3, 3, 3},
    {"Анкета експертної оцінки населеного пункту", 3, 3, 25},
    {"Розрахунок комплексного Іі", 3, 4, 4},
    {"Результати пофакторної оцінки ", 3, 3, 6},
    {"Визначення зонального коефіцієнта Км2", 3, 3, 5},
    {"Локальні фактори та значення коефіцієнту Км3", 3, 3, 2},
    {"Грошова оцінка земель різного функціонального призначення", 5, 5, 10},
    {"Опис меж економіко-планувальних зон", 3, 3, 3},
    {"Бали бонітетів агровиробничих груп ґрунтів", 4, 5, 5},
    {"Нормативна грошова оцінка сільськогосподарських угідь", 4, 4, 5},
    {"Грошова оцінка окремих земельних ділянок", 0, 10, 8},
};

TEST(ShippedReportTemplate, HasTheBookmarkAndTheFourteenTablesWhereTheFillLooks) {
    const QString path = Shipped(QStringLiteral("Шаблон/Технічний звіт.dotx"));
    REQUIRE_BUILT(path);
    auto doc = WordDocument::open(path);
    ASSERT_TRUE(doc->hasBookmark(QStringLiteral("NP")));
    // Every table is one of the data tables, and each title names exactly one table.
    ASSERT_EQ(doc->tableCount(), 14);
    for (const ReportTable& expected : kReportTables) {
        const QString title = QString::fromUtf8(expected.title);
        int found = 0;
        for (int i = 1; i <= doc->tableCount(); ++i) {
            WordTable t = doc->table(i);
            const QString first = t.cellText(1, 1);
            if (!first.contains(title))
                continue;
            ++found;
            SCOPED_TRACE(expected.title);
            EXPECT_EQ(t.rowCount(), expected.rows);
            EXPECT_EQ(t.columnCount(), expected.columns);
            if (expected.firstDataRow > 0) {
                // Heading rows above the first data row, an empty data row at it.
                bool headed = false;
                for (int c = 1; c <= expected.columns; ++c)
                    headed |= !t.cellText(expected.firstDataRow - 1, c).isEmpty();
                EXPECT_TRUE(headed);
                for (int c = 1; c <= expected.columns; ++c)
                    EXPECT_TRUE(t.cellText(expected.firstDataRow, c).isEmpty()) << c;
            }
        }
        EXPECT_EQ(found, 1) << expected.title;
    }
    // No table answers to two titles, so each is filled once.
    for (int i = 1; i <= doc->tableCount(); ++i) {
        int titles = 0;
        for (const ReportTable& expected : kReportTables)
            titles += doc->table(i).cellText(1, 1).contains(QString::fromUtf8(expected.title));
        EXPECT_EQ(titles, 1) << qPrintable(doc->table(i).cellText(1, 1));
    }
}

WordTable TableTitled(WordDocument& doc, const char* title) {
    for (int i = 1; i <= doc.tableCount(); ++i)
        if (doc.table(i).cellText(1, 1).contains(QString::fromUtf8(title)))
            return doc.table(i);
    throw OfficeError(QStringLiteral("no table ") + QString::fromUtf8(title));
}

// The fixed rows the fill writes in place: their labels are there and their values empty.
TEST(ShippedReportTemplate, FixedRowsAreLabelledAndTheQuestionnaireHasRoomFor23Districts) {
    const QString path = Shipped(QStringLiteral("Шаблон/Технічний звіт.dotx"));
    REQUIRE_BUILT(path);
    auto doc = WordDocument::open(path);
    WordTable structure = TableTitled(*doc, "Структура земель населеного пункту");
    for (int r = 3; r <= 22; ++r) {
        EXPECT_FALSE(structure.cellText(r, 1).isEmpty()) << r;
        EXPECT_TRUE(structure.cellText(r, 2).isEmpty()) << r;
    }
    EXPECT_TRUE(structure.cellText(3, 1).contains(QStringLiteral("Загальна площа")));
    EXPECT_TRUE(structure.cellText(22, 1).contains(QStringLiteral("аеропорт")));

    WordTable plots = TableTitled(*doc, "Грошова оцінка окремих земельних ділянок");
    EXPECT_EQ(plots.cellText(3, 2), QStringLiteral("Ділянка № 1"));
    EXPECT_EQ(plots.cellText(10, 2), QStringLiteral("пасовища"));
    for (int r = 3; r <= 10; ++r)
        for (int c = 3; c <= 8; ++c)
            EXPECT_TRUE(plots.cellText(r, c).isEmpty()) << r << "," << c;

    WordTable index = TableTitled(*doc, "Розрахунок комплексного Іі");
    EXPECT_TRUE(index.cellText(4, 1).contains(QStringLiteral("Середньозважений")));
    EXPECT_TRUE(index.cellText(4, 2).isEmpty());
    WordTable soils = TableTitled(*doc, "Бали бонітетів агровиробничих груп ґрунтів");
    EXPECT_TRUE(soils.cellText(soils.rowCount(), 1).contains(QStringLiteral("Середній бал")));

    // Row 2 of the questionnaire has a cell for each of 23 districts.
    WordTable survey = TableTitled(*doc, "Анкета експертної оцінки населеного пункту");
    for (int c = 3; c <= 25; ++c)
        EXPECT_NO_THROW(survey.cellText(2, c)) << c;
    EXPECT_THROW(survey.cellText(2, 26), OfficeError);
}

// What the fill does, on the shipped template: the name, inserted rows, a copied table.
TEST(ShippedReportTemplate, TakesTheFillOperationsAndSavesAsADocument) {
    const QString path = Shipped(QStringLiteral("Шаблон/Технічний звіт.dotx"));
    REQUIRE_BUILT(path);
    QTemporaryDir dir;
    auto doc = WordDocument::open(path);
    doc->setBookmarkText(QStringLiteral("NP"), QStringLiteral("с. Демонстраційне"));
    WordTable districts = TableTitled(*doc, "Опис та склад районів");
    doc->selectCell(districts, 3, 1);
    doc->insertRowsBelow(11);
    for (int r = 3; r <= 14; ++r)
        districts.setCellText(r, 1, QString::number(r - 2));
    WordTable survey = TableTitled(*doc, "Анкета експертної оцінки населеного пункту");
    doc->selectTable(survey);
    doc->copy();
    doc->paste();
    const QString out = dir.filePath(QStringLiteral("Технічний звіт.docx"));
    doc->saveAs(out);

    auto back = WordDocument::open(out);
    EXPECT_EQ(back->bookmarkText(QStringLiteral("NP")), QStringLiteral("с. Демонстраційне"));
    EXPECT_EQ(TableTitled(*back, "Опис та склад районів").rowCount(), 14);
    EXPECT_EQ(TableTitled(*back, "Опис та склад районів").cellText(14, 1), QStringLiteral("12"));
    EXPECT_EQ(TableTitled(*back, "Анкета експертної оцінки населеного пункту").rowCount(), 6);
}

struct BookSpec {
    const char* file;
    int nameColumn;
    int firstFactor;
    int lastColumn;
};

const BookSpec kBooks[] = {
    {"Шаблон/Розрахунок грошової оцінки.xltx", 13, 8, 41}, // with the area and the value
    {"Шаблон/Розрахунок грошової оцінки з кварталами.xltx", 14, 9, 40},
};

TEST(ShippedWorkbookTemplates, NumberTheirColumnsAndHeadTheFactorsFromTheCatalogue) {
    const QStringList factors = FactorShortNames();
    ASSERT_GE(factors.size(), 1);
    for (const BookSpec& expected : kBooks) {
        SCOPED_TRACE(expected.file);
        const QString path = Shipped(QString::fromUtf8(expected.file));
        REQUIRE_BUILT(path);
        auto book = Workbook::open(path);
        Worksheet& sheet = book->worksheet(1);
        EXPECT_TRUE(sheet.cellText(1, 1).startsWith(QStringLiteral("Розрахунок нормативної")));
        EXPECT_TRUE(sheet.cellText(1, expected.nameColumn).isEmpty());
        for (int c = 1; c <= expected.lastColumn; ++c) {
            EXPECT_EQ(sheet.cellText(6, c), QString::number(c)) << c;
            EXPECT_GT(sheet.columnWidth(c), 0) << c;
        }
        EXPECT_TRUE(sheet.cellText(6, expected.lastColumn + 1).isEmpty());
        // Factor headings in the row under the group heading, in factor order.
        EXPECT_FALSE(sheet.cellText(3, expected.firstFactor).isEmpty());
        for (int n = 1; n <= 30; ++n)
            EXPECT_EQ(sheet.cellText(4, expected.firstFactor + n - 1),
                      n <= factors.size() ? factors[n - 1] : QStringLiteral("Фактор %1").arg(n))
                << n;
        // Rows below the numbering are free for the data.
        EXPECT_TRUE(sheet.cellText(7, 1).isEmpty());
    }
}

TEST(ShippedWorkbookTemplates, TakeTheFillAndKeepTheNumberFormats) {
    const QString path = Shipped(QStringLiteral("Шаблон/Розрахунок грошової оцінки.xltx"));
    REQUIRE_BUILT(path);
    QTemporaryDir dir;
    auto book = Workbook::open(path);
    Worksheet& sheet = book->worksheet(1);
    sheet.setCellValue(1, 13, QStringLiteral("с. Демонстраційне"));
    sheet.setCellValue(7, 2, QStringLiteral("1 ЕКОНОМІКО-ПЛАНУВАЛЬНА ЗОНА"));
    sheet.setCellBold(7, 2, true);
    sheet.setCellValue(8, 1, QStringLiteral("1"));
    sheet.setCellValue(8, 3, QStringLiteral("61.24"));
    sheet.setColumnWidth(20, 0);
    const QString out = dir.filePath(QStringLiteral("Розрахунок грошової оцінки.xlsx"));
    book->saveCopyAs(out);
    auto back = Workbook::open(out);
    Worksheet& s = back->worksheet(1);
    EXPECT_EQ(s.cellText(1, 13), QStringLiteral("с. Демонстраційне"));
    EXPECT_EQ(s.cellText(8, 3), QStringLiteral("61.24"));
    EXPECT_TRUE(s.cellBold(7, 2));
    EXPECT_EQ(s.columnWidth(20), 0);
    // New data cells take their column's format: money with two decimals.
    const QByteArray sheetXml = PartOfPackage(out, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QByteArray styles = PartOfPackage(out, QStringLiteral("xl/styles.xml"));
    EXPECT_TRUE(styles.contains("formatCode=\"0.00\""));
    EXPECT_TRUE(sheetXml.contains("r=\"C8\""));
}

TEST(ShippedLandStatement, IsReadAsAnEmptyStatementWithItsTotalsRowAt11) {
    const QString path = Shipped(QStringLiteral("Шаблон/наспункт/Склад земель.xlsx"));
    REQUIRE_BUILT(path);
    auto book = Workbook::open(path);
    Worksheet& sheet = book->worksheet(1);
    EXPECT_EQ(sheet.cellText(11, 2), QStringLiteral("Разом"));
    for (int c = 4; c <= 74; ++c)
        EXPECT_EQ(sheet.cellText(11, c), QStringLiteral("0")) << c;
    EXPECT_TRUE(sheet.cellText(12, 4).isEmpty());
    EXPECT_EQ(sheet.cellText(10, 74), QStringLiteral("74"));
    // The columns the areas step reads are named for what they hold.
    EXPECT_EQ(sheet.cellText(3, 4), QStringLiteral("Загальна площа земель"));
    EXPECT_EQ(sheet.cellText(3, 39), QStringLiteral("Землі промисловості"));
    EXPECT_EQ(sheet.cellText(3, 74), QStringLiteral("Внутрішні води"));
    EXPECT_EQ(sheet.cellText(3, 6), QStringLiteral("Графа 6"));
    const SheetCells values = ReadStatement(path);
    EXPECT_EQ(values.text(11, 4), QStringLiteral("0"));
}

TEST(ShippedHelpDocuments, OpenAndSayWhatTheyShould) {
    const QString manual = Shipped(QStringLiteral("руководство.docx"));
    const QString description = Shipped(QStringLiteral("описание.docx"));
    REQUIRE_BUILT(manual);
    REQUIRE_BUILT(description);
    const QByteArray manualText = PartOfPackage(manual, QStringLiteral("word/document.xml"));
    for (const char* step :
         {"Інформація", "Визначення площ", "Витрати на освоювання", "Середня вартість",
          "Функціональне використання", "Локальні фактори поквартально", "Вартість с/г земель",
          "Оцінка ділянок", "Заповнити звіт", "с. Демонстраційне"})
        EXPECT_TRUE(manualText.contains(step)) << step;
    const QByteArray descriptionText =
        PartOfPackage(description, QStringLiteral("word/document.xml"));
    for (const char* phrase :
         {"tamberon report ПАПКА", "baza.sqlite", "Склад земель.xlsx", "карта.gwp"})
        EXPECT_TRUE(descriptionText.contains(phrase)) << phrase;
    EXPECT_NO_THROW(WordDocument::open(manual));
    EXPECT_NO_THROW(WordDocument::open(description));
}

TEST(ShippedSettlementTemplate, HoldsTheStandardMapTablesAndTheWorkspace) {
    const QString folder = Shipped(QStringLiteral("Шаблон/наспункт"));
    REQUIRE_BUILT(JoinPath(folder, QStringLiteral("карта.gwp")));
    for (const char* base : {"межі", "зони", "райони"})
        for (const char* ext : {".tab", ".dat", ".map", ".id"})
            EXPECT_TRUE(QFileInfo::exists(
                JoinPath(folder, QString::fromUtf8(base) + QString::fromLatin1(ext))))
                << base << ext;
    EXPECT_EQ(ReadTextFile(JoinPath(folder, QStringLiteral("карта.gwp"))),
              QStringLiteral("!version 1\n!LAYER 1\n/LAYER File=межі.tab\n!LAYER 2\n"
                             "/LAYER File=зони.tab\n!LAYER 3\n/LAYER File=райони.tab\n"));
}

} // namespace
