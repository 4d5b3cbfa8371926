#include "steps/costs/CostsStep.h"

#include "common/LastError.h"
#include "db/QueryFunctions.h"
#include "tests/steps/support/StepTestSupport.h"

namespace {

const QString kWater = QStringLiteral("Водопостачання");
const QString kRoads = QStringLiteral("Вулично-дорожня мережа");
const QString kSewerage = QStringLiteral("Каналізація");

/** A sheet whose full list holds the items (category, name, initial, restored, quantity). */
CostsSheet Sheet(const std::vector<QStringList>& items, const QString& area = "100",
                 const QString& coefficient = "* 1.064   - 2008") {
    CostsSheet sheet;
    ClearGrid(sheet.full, static_cast<int>(items.size()));
    int row = 1;
    for (const QStringList& item : items) {
        sheet.full.setRowTexts(row, {QString::number(row), item.value(0), item.value(1),
                                     QStringLiteral("км"), item.value(2), item.value(3),
                                     item.value(4), item.value(5)});
        ++row;
    }
    sheet.lastNumber = static_cast<int>(items.size());
    sheet.area = area;
    sheet.coefficient = coefficient;
    return sheet;
}

/** Edits a visible cell the way the window does: current cell first, then the edit. */
void Edit(CostsSheet& sheet, int row, int col, const QString& text) {
    sheet.visible.setCurrent(row, col);
    sheet.visible.set(row, col, text);
    CostCellEdited(sheet, row, col);
}

class CostsDbTest : public StepDbTest {
protected:
    QStringList storedItems() {
        return column("SELECT категорія || '|' || назва || '|' || од_виміру || '|' || первісна || "
                      "'|' || відновлена || '|' || кількість || '|' || всього FROM витрати ORDER "
                      "BY id");
    }
};

} // namespace

TEST(CostsCalcTest, RestoredCostIsInitialTimesTheLinesCoefficient) {
    CostsSheet sheet = Sheet({{kWater, "труби", "2", "", "3"}});
    SelectCostSection(sheet, kWater);
    RecalcCosts(sheet, -1, -1);
    EXPECT_EQ(sheet.full.rowTexts(1).mid(4),
              QStringList({"2", "2.1280", "3", "6.3840"})); // k = 1.064
    EXPECT_EQ(sheet.total, QStringLiteral("6.3840"));

    sheet = Sheet({{kWater, "труби", "2", "", "3"}}, "100", "abc");
    SelectCostSection(sheet, kWater);
    RecalcCosts(sheet, -1, -1);
    EXPECT_EQ(sheet.full.at(1, ColCostRestored), QStringLiteral("2.0000")); // k = 1
}

TEST(CostsCalcTest, AHandTypedRestoredCostStaysUntilTheInitialCostChanges) {
    CostsSheet sheet = Sheet({{kWater, "труби", "2", "5", "2"}});
    SelectCostSection(sheet, kWater);
    RecalcCosts(sheet, -1, -1);
    EXPECT_EQ(sheet.visible.at(1, ColCostTotal), QStringLiteral("10.0000"));
    Edit(sheet, 1, ColCostInitial, "2"); // the same initial cost
    EXPECT_EQ(sheet.visible.at(1, ColCostRestored), QStringLiteral("5"));
    Edit(sheet, 1, ColCostInitial, "3"); // a changed one
    EXPECT_EQ(sheet.visible.at(1, ColCostRestored), QStringLiteral("3.1920"));
    EXPECT_EQ(sheet.full.rowTexts(1).mid(4), QStringList({"3", "3.1920", "2", "6.3840"}));
    // Editing the quantity takes the restored cost as it stands.
    Edit(sheet, 1, ColCostQuantity, "10");
    EXPECT_EQ(sheet.full.at(1, ColCostTotal), QStringLiteral("31.9200"));
    // A quantity that is not a number, or none, leaves no total: the item counts 0 in В.
    Edit(sheet, 1, ColCostQuantity, "-");
    EXPECT_EQ(sheet.full.at(1, ColCostTotal), QString());
    EXPECT_EQ(sheet.full.at(1, ColCostQuantity), QStringLiteral("-"));
    Edit(sheet, 1, ColCostQuantity, "");
    EXPECT_EQ(sheet.full.at(1, ColCostTotal), QString());
    EXPECT_EQ(sheet.total, QStringLiteral("0.0000"));
}

TEST(CostsCalcTest, AnotherYearRecomputesTheComputedRestoredCostsOnly) {
    // Item 1 computed from its initial cost at k 1.064; item 2's restored cost was typed.
    CostsSheet sheet = Sheet({{kWater, "труби", "2", "2.1280", "3", "6.3840"},
                              {kWater, "насос", "2", "5", "1", "5.0000"}});
    SelectCostSection(sheet, kWater);
    ChangeCostCoefficient(sheet, QStringLiteral("* 1.250   - 2015"));
    EXPECT_EQ(sheet.full.rowTexts(1).mid(4), QStringList({"2", "2.5000", "3", "7.5000"}));
    EXPECT_EQ(sheet.full.rowTexts(2).mid(4), QStringList({"2", "5", "1", "5.0000"}));
    EXPECT_EQ(sheet.visible.at(1, ColCostTotal), QStringLiteral("7.5000"));
    EXPECT_EQ(sheet.total, QStringLiteral("12.5000"));
    EXPECT_EQ(sheet.coefficient, QStringLiteral("* 1.250   - 2015"));
}

TEST(CostsCalcTest, CostPerSquareMetreNeedsAnAssessedTerritory) {
    // The total counts every item of the full list, not only those of the shown section.
    CostsSheet sheet =
        Sheet({{kWater, "а", "", "6000", "1", "6000.0000"}, {kRoads, "б", "", "384", "1"}});
    SelectCostSection(sheet, kRoads);
    RecalcCosts(sheet, -1, -1);
    EXPECT_EQ(sheet.total, QStringLiteral("6384.0000"));
    EXPECT_EQ(sheet.perSquareMetre, QStringLiteral("6.38"));
    for (const char* area : {"0", "x", ""}) {
        sheet.area = QString::fromLatin1(area);
        RecalcCosts(sheet, -1, -1);
        EXPECT_EQ(sheet.total, QStringLiteral("6384.0000"));
        EXPECT_EQ(sheet.perSquareMetre, QString()) << area;
    }
}

TEST(CostsCalcTest, SectionsShowTheirItemsAndEditsReachTheFullList) {
    CostsSheet sheet = Sheet({{kWater, "перше", "1", "", "1"},
                              {kRoads, "дорога", "1", "", "1"},
                              {kWater, "друге", "1", "", "1"}});
    EXPECT_EQ(SelectCostSection(sheet, kWater), 2);
    EXPECT_EQ(sheet.visible.colTexts(ColCostNumber).mid(1), QStringList({"1", "3"}));
    EXPECT_EQ(sheet.visible.currentRow(), 1);
    Edit(sheet, 2, ColCostName, QStringLiteral("третє"));
    EXPECT_EQ(sheet.full.at(3, ColCostName), QStringLiteral("третє"));
    EXPECT_EQ(SelectCostSection(sheet, QStringLiteral("Кладовища")), 0);
    EXPECT_TRUE(GridIsEmpty(sheet.visible));
    // A cell of a row without an item is cleared again.
    Edit(sheet, 1, ColCostName, QStringLiteral("нічиє"));
    EXPECT_EQ(sheet.visible.at(1, ColCostName), QString());
}

TEST(CostsCalcTest, ItemNumbersStayTheRowsOfTheFullList) {
    CostsSheet sheet = Sheet({});
    EXPECT_EQ(AddCostRow(sheet), -1); // no section
    SelectCostSection(sheet, kWater);
    EXPECT_EQ(AddCostRow(sheet), 1);
    EXPECT_EQ(sheet.full.rowCount(), 2);
    EXPECT_EQ(sheet.full.rowTexts(1).mid(0, 2), QStringList({"1", kWater}));
    EXPECT_EQ(sheet.visible.currentCol(), ColCostName);
    // The only item removed, then a new one: it takes a new row under its own number.
    sheet.visible.setCurrent(1, ColCostName);
    ASSERT_TRUE(RemoveCostRow(sheet));
    EXPECT_TRUE(GridIsEmpty(sheet.visible));
    EXPECT_EQ(AddCostRow(sheet), 1);
    EXPECT_EQ(sheet.visible.at(1, ColCostNumber), QStringLiteral("2"));
    EXPECT_EQ(AddCostRow(sheet), 2);
    EXPECT_EQ(sheet.visible.at(2, ColCostNumber), QStringLiteral("3"));
    for (int row = 1; row < sheet.full.rowCount(); ++row) {
        if (!sheet.full.at(row, ColCostNumber).isEmpty()) {
            EXPECT_EQ(sheet.full.at(row, ColCostNumber), QString::number(row));
        }
    }
    // After clearing everything the numbering starts again.
    ClearAllCosts(sheet);
    EXPECT_TRUE(GridIsEmpty(sheet.full));
    SelectCostSection(sheet, kRoads);
    EXPECT_EQ(AddCostRow(sheet), 1);
    EXPECT_EQ(sheet.full.rowTexts(1).mid(0, 2), QStringList({"1", kRoads}));
    EXPECT_EQ(sheet.full.rowCount(), 2);
}

TEST(CostsCalcTest, ARemovedItemIsNotCountedButKeepsItsRow) {
    CostsSheet sheet = Sheet({{kWater, "а", "", "10", "1"}, {kWater, "б", "", "5", "1"}});
    SelectCostSection(sheet, kWater);
    RecalcCosts(sheet, -1, -1);
    EXPECT_EQ(sheet.total, QStringLiteral("15.0000"));
    sheet.visible.setCurrent(1, ColCostName);
    ASSERT_TRUE(RemoveCostRow(sheet));
    EXPECT_EQ(sheet.total, QStringLiteral("5.0000"));
    EXPECT_EQ(sheet.full.rowCount(), 3);
    EXPECT_EQ(sheet.full.rowTexts(1), QStringList({"", kWater, "а", "км", "", "10", "1", ""}));
    EXPECT_EQ(sheet.visible.colTexts(ColCostNumber).mid(1), QStringList({"2"}));
}

TEST(CostsCalcTest, CatalogPriceAndRecalculatedRestoredCost) {
    CostsSheet sheet = Sheet({{kWater, "а", "4", "9", "2"}});
    SelectCostSection(sheet, kWater);
    EXPECT_FALSE(CanPutCatalogPrice(sheet, false));
    EXPECT_TRUE(CanPutCatalogPrice(sheet, true));
    sheet.visible.setCurrent(1, ColCostName);
    ASSERT_TRUE(PutCatalogPrice(
        sheet, {QStringLiteral("Водогін"), QStringLiteral("км"), QStringLiteral("1.5000")}));
    // A named item keeps its name and unit.
    EXPECT_EQ(sheet.full.rowTexts(1).mid(2), QStringList({"а", "км", "", "1.5000", "2", "3.0000"}));
    // A catalogue item without a price gives nothing to a named item, its name to a new one.
    EXPECT_FALSE(PutCatalogPrice(sheet, {QStringLiteral("Водогін"), QStringLiteral("км"), {}}));
    sheet.visible.set(1, ColCostName, QString());
    ASSERT_TRUE(PutCatalogPrice(sheet, {QStringLiteral("Водогін"), QStringLiteral("км"), {}}));
    EXPECT_EQ(sheet.full.rowTexts(1).mid(2),
              QStringList({"Водогін", "км", "", "1.5000", "2", "3.0000"}));
    sheet.visible.set(1, ColCostInitial, QStringLiteral("1"));
    ASSERT_TRUE(RecalcRestoredCost(sheet));
    EXPECT_EQ(sheet.full.rowTexts(1).mid(4), QStringList({"1", "1.0640", "2", "2.1280"}));
}

TEST(CostsCalcTest, MenuCommandsNeedASectionAndAnItem) {
    CostsSheet sheet = Sheet({{kWater, "а", "1", "", "1"}});
    EXPECT_FALSE(CanAddCostRow(sheet));
    EXPECT_FALSE(CanRemoveCostRow(sheet, 1, 2));
    SelectCostSection(sheet, kRoads);
    EXPECT_TRUE(CanAddCostRow(sheet));
    EXPECT_FALSE(CanRemoveCostRow(sheet, 1, 2)); // the section has no item
    SelectCostSection(sheet, kWater);
    EXPECT_TRUE(CanRemoveCostRow(sheet, 1, 2));
    EXPECT_FALSE(CanRemoveCostRow(sheet, 1, ColCostCategory));
    EXPECT_FALSE(CanRemoveCostRow(sheet, 0, 3));
}

TEST(CostsCalcTest, NegativeNumbersOfKeptItemsAreRefused) {
    CostsSheet sheet = Sheet({{kWater, "а", "1", "", "-2"}, {kWater, "б", "1", "", "1"}});
    sheet.full.set(2, ColCostTotal, QStringLiteral("-"));
    const StepCheck issue = CheckCosts(sheet);
    ASSERT_TRUE(issue);
    EXPECT_EQ(issue->row, 1);
    EXPECT_EQ(issue->col, ColCostQuantity);
    sheet.full.set(1, ColCostNumber, QString()); // removed: not stored, not checked
    EXPECT_FALSE(CheckCosts(sheet));
}

TEST(CostsCalcTest, CoefficientLinesAndCatalogueFactor) {
    const TDinArryOfKoef table = {{2005, 1.0, 1.1}, {2006, 1.0, 0.0}, {2007, 1.0, 1.2}};
    EXPECT_EQ(CostCoefficientLines(table, 2008),
              QStringList({"* 1.320   - 2005", "* 1.200   - 2007"}));
    EXPECT_DOUBLE_EQ(CatalogueFactor(table, 2008), 1.32);
    EXPECT_DOUBLE_EQ(CatalogueFactor(table, 2008, 2007), 1.2);
    EXPECT_TRUE(CostCoefficientLines({}, 2008).isEmpty());
    EXPECT_DOUBLE_EQ(CatalogueFactor({}, 2026), 1.0);
    EXPECT_EQ(DefaultCoefficientLine(2026), QStringLiteral("* 1.000   - 2026"));
}

TEST_F(CostsDbTest, PricesAreBroughtFromTheYearOfTheirRowAndShownBySection) {
    const TDinArryOfKoef table = {{2005, 1.0, 1.5}, {2020, 1.0, 1.2}, {2021, 1.0, 0}};
    Query q(&catalogue);
    ASSERT_TRUE(RunQuery(q, "DELETE FROM збірник_цін", false));
    StringGrid prices = MakePriceGrid();
    LoadPriceList(catalogue, table, 2022, prices);
    EXPECT_EQ(prices.rowCount(), 1);
    EXPECT_EQ(PriceListCaption(prices),
              QStringLiteral("Укрупнені показники витрат, станом на 01.01.2005:"));
    ASSERT_TRUE(RunQuery(q,
                         "INSERT INTO збірник_цін (категорія,назва,од_виміру,вартість,рік) VALUES "
                         "('Водопостачання','Водогін','км','120.5',''),"
                         "('','Невідомо','шт','ціна',''),"
                         "('Каналізація','Колектор','км','10','2020'),"
                         "('Каналізація','Насосна','шт','','')",
                         false));
    LoadPriceList(catalogue, table, 2022, prices);
    ASSERT_EQ(prices.rowCount(), 5);
    EXPECT_EQ(prices.rowTexts(1),
              QStringList({"Водогін", "км", "120.5", "216.9000", "2005", "Водопостачання"}));
    EXPECT_EQ(prices.rowTexts(2), QStringList({"Невідомо", "шт", "ціна", "0.0000", "2005", ""}));
    EXPECT_EQ(prices.rowTexts(3),
              QStringList({"Колектор", "км", "10", "12.0000", "2020", "Каналізація"}));
    // An item named without a price has no restored price either.
    EXPECT_EQ(prices.rowTexts(4), QStringList({"Насосна", "шт", "", "", "2005", "Каналізація"}));
    EXPECT_EQ(PriceListCaption(prices),
              QStringLiteral("Укрупнені показники витрат (ціни року, вказаного в рядку):"));
    const StringGrid sewerage = PricesOfSection(prices, kSewerage);
    EXPECT_EQ(sewerage.colTexts(ColPriceName).mid(1),
              QStringList({"Невідомо", "Колектор", "Насосна"}));
    EXPECT_EQ(PricesOfSection(prices, QString()).rowCount(), 5);
}

TEST_F(CostsDbTest, ItemsAndIndicatorsAreStoredAndReadBack) {
    setIndicator("Оціночна територія", "100");
    CostsSheet sheet;
    ASSERT_TRUE(LoadCosts(project, 2026, sheet, nullptr));
    EXPECT_EQ(sheet.coefficient, QStringLiteral("* 1.000   - 2026"));
    EXPECT_EQ(sheet.area, QStringLiteral("100"));
    EXPECT_TRUE(GridIsEmpty(sheet.full));
    sheet.coefficient = QStringLiteral("* 1.064   - 2008");
    SelectCostSection(sheet, kWater);
    AddCostRow(sheet);
    AddCostRow(sheet);
    AddCostRow(sheet);
    sheet.visible.setRowTexts(1, {"1", kWater, "Труби 'ПЕ'", "км", "2", "", "3", ""});
    sheet.visible.setRowTexts(3, {"3", kWater, "Колодязі", "шт", "", "1", "4", ""});
    sheet.visible.setCurrent(2, ColCostName);
    RemoveCostRow(sheet);
    EXPECT_EQ(sheet.perSquareMetre, QStringLiteral("0.01")); // 10.384 thousand over 100 ha
    QString error;
    ASSERT_TRUE(StoreCosts(project, sheet, &error)) << error.toStdString();
    EXPECT_EQ(storedItems(), QStringList({kWater + "|Труби 'ПЕ'|км|2|2.1280|3|6.3840",
                                          kWater + "|Колодязі|шт||1|4|4.0000"}));
    EXPECT_EQ(indicator("Витрати на освоювання"), QStringLiteral("0.01"));
    EXPECT_EQ(indicator("Коефіціент для відновленої вартості"), QStringLiteral("* 1.064   - 2008"));

    CostsSheet back;
    ASSERT_TRUE(LoadCosts(project, 2026, back, nullptr));
    EXPECT_EQ(back.lastNumber, 2);
    EXPECT_EQ(back.full.rowTexts(2),
              QStringList({"2", kWater, "Колодязі", "шт", "", "1", "4", "4.0000"}));
    EXPECT_EQ(back.coefficient, QStringLiteral("* 1.064   - 2008"));
}

TEST_F(CostsDbTest, AStoreFailingHalfWayChangesNothing) {
    exec("INSERT INTO витрати (категорія,назва,од_виміру,первісна,відновлена,кількість,всього) "
         "VALUES ('Кладовища','старе','','','','','')");
    setIndicator("Витрати на освоювання", "1.00");
    exec("CREATE TRIGGER refuse BEFORE INSERT ON витрати WHEN NEW.назва = 'зламане' BEGIN "
         "SELECT RAISE(ABORT, 'відмовлено'); END");
    CostsSheet sheet;
    ASSERT_TRUE(LoadCosts(project, 2026, sheet, nullptr));
    SelectCostSection(sheet, kWater);
    AddCostRow(sheet);
    sheet.visible.set(1, ColCostName, QStringLiteral("зламане"));
    RecalcCosts(sheet, -1, -1);
    sheet.perSquareMetre = QStringLiteral("9.99");
    QString error;
    EXPECT_FALSE(StoreCosts(project, sheet, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("відмовлено")));
    EXPECT_EQ(storedItems(), QStringList({"Кладовища|старе|||||"}));
    EXPECT_EQ(indicator("Витрати на освоювання"), QStringLiteral("1.00"));
}

TEST_F(CostsDbTest, AMissingTableIsAFailedRead) {
    exec("DROP TABLE витрати");
    CostsSheet sheet;
    QString error;
    EXPECT_FALSE(LoadCosts(project, 2026, sheet, &error));
    EXPECT_FALSE(error.isEmpty());
}
