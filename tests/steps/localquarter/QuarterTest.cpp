#include "steps/localquarter/QuarterFill.h"
#include "steps/localquarter/QuarterInfo.h"
#include "steps/localquarter/QuarterStatement.h"

#include "common/LastError.h"
#include "db/QueryFunctions.h"
#include "tests/steps/localquarter/QuarterTestData.h"
#include "valuation/Check.h"
#include "valuation/Schema.h"

using namespace QuarterGrid;

namespace {

QStringList Row(const StringGrid& grid, int row, int upToCol) {
    return grid.rowTexts(row).mid(0, upToCol + 1);
}

} // namespace

TEST(QuarterStatement, RowCommandsRenumberWithoutGaps) {
    StringGrid grid = MakeQuarterGrid(2);
    grid.setRowCount(4);
    for (int row = 1; row < 4; ++row)
        grid.setRowTexts(row, {QString(), QString::number(row), QStringLiteral("д%1").arg(row)});
    RenumberRows(grid);
    DeleteStatementRow(grid, 2);
    EXPECT_EQ(grid.colTexts(0).mid(1), (QStringList{"1", "2"}));
    EXPECT_EQ(grid.colTexts(2).mid(1), (QStringList{"д1", "д3"}));
    AddStatementRow(grid, 1);
    EXPECT_EQ(grid.colTexts(0).mid(1), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(grid.colTexts(2).mid(1), (QStringList{"", "д1", "д3"}));
    const QStringList copied = grid.rowTexts(3);
    PasteStatementRow(grid, 1, copied);
    EXPECT_EQ(grid.rowTexts(1), (QStringList{"1", "3", "д3", "", "", "", "", ""}));
    ClearStatementRow(grid, 3);
    EXPECT_EQ(grid.rowTexts(3), (QStringList{"3", "", "", "", "", "", "", ""}));
    DeleteStatementRow(grid, 1);
    DeleteStatementRow(grid, 1);
    DeleteStatementRow(grid, 1); // the only row is emptied, and numbered again
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.rowTexts(1), (QStringList{"1", "", "", "", "", "", "", ""}));
}

// More rows than the grid opens with are shown and stored whole; factors beyond the
// catalogue's stay NULL; every numbered row is stored, also an empty one.
TEST_F(QuarterDbTest, StatementOf150RowsRoundTrips) {
    valuation::UpgradeSettlementDatabase(project);
    StringGrid empty = MakeQuarterGrid(17);
    ASSERT_TRUE(LoadQuarterStatement(project, empty, nullptr));
    EXPECT_EQ(empty.rowCount(), 1 + OpeningRows);
    EXPECT_EQ(empty.at(100, 0), QStringLiteral("100"));

    StringGrid grid = MakeQuarterGrid(17);
    grid.setRowCount(151);
    RenumberRows(grid);
    for (int row = 1; row < 151; ++row)
        if (row != 77)
            grid.setRowTexts(row, {grid.at(row, 0), QStringLiteral("1"), QString::number(row),
                                   QStringLiteral("к-%1").arg(row), QStringLiteral("it's"),
                                   QStringLiteral("1.00")});
    grid.set(150, factorCol(17), QStringLiteral("0.95"));
    QString error;
    ASSERT_TRUE(StoreQuarterStatement(project, grid, &error)) << error.toStdString();
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM відомість_кварталів")),
              QStringList{"150"});
    EXPECT_EQ(column(QStringLiteral("SELECT квартали FROM відомість_кварталів WHERE id=77")),
              QStringList{""});
    EXPECT_EQ(column(QStringLiteral("SELECT лок_17 || '|' || ifnull(лок_18, 'NULL') FROM "
                                    "відомість_кварталів WHERE id=150")),
              QStringList{"0.95|NULL"});

    StringGrid back = MakeQuarterGrid(17);
    ASSERT_TRUE(LoadQuarterStatement(project, back, nullptr));
    ASSERT_EQ(back.rowCount(), 151);
    EXPECT_EQ(Row(back, 150, factorCol(17)), Row(grid, 150, factorCol(17)));
    EXPECT_EQ(back.at(3, NameCol), QStringLiteral("it's"));
}

// A catalogue of more than 30 factors: all shown, the first 30 stored.
TEST_F(QuarterDbTest, OnlyThirtyFactorsHaveColumns) {
    valuation::UpgradeSettlementDatabase(project);
    QStringList columns{QStringLiteral("id INT")};
    for (const char* name : {"зона", "район", "квартали", "назва", "функ"})
        columns << QString::fromUtf8(name) + QStringLiteral(" nvarchar (50)");
    for (int k = 1; k <= 30; ++k)
        columns << QStringLiteral("лок_%1 nvarchar (10)").arg(k);
    EXPECT_EQ(column(QStringLiteral("SELECT name || ' ' || type FROM "
                                    "pragma_table_info('відомість_кварталів')")),
              columns);
    StringGrid grid = MakeQuarterGrid(32);
    grid.setRowTexts(1, {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")});
    grid.set(1, factorCol(30), QStringLiteral("1.05"));
    grid.set(1, factorCol(31), QStringLiteral("1.06"));
    QString error;
    ASSERT_TRUE(StoreQuarterStatement(project, grid, &error)) << error.toStdString();
    EXPECT_EQ(column(QStringLiteral("SELECT лок_30 FROM відомість_кварталів")),
              QStringList{"1.05"});
    StringGrid back = MakeQuarterGrid(32);
    ASSERT_TRUE(LoadQuarterStatement(project, back, nullptr));
    EXPECT_EQ(back.at(1, factorCol(30)), QStringLiteral("1.05"));
    EXPECT_EQ(back.at(1, factorCol(31)), QString());
    EXPECT_FALSE(QuarterTooManyFactorsText(32).isEmpty());
}

// Commercial and housing land give two rows, forest only gives housing, a district without
// functional use gives housing, a district of two zones is under both, a zero area is none.
TEST_F(QuarterDbTest, FillFromDistrictsBuildsARowPerZoneDistrictAndCategory) {
    StringGrid grid = MakeQuarterGrid(17);
    const QuarterFillResult result = FillStatementFromDistricts(project, grid);
    ASSERT_TRUE(result.ok) << result.missing.toStdString();
    EXPECT_EQ(result.rows, 5);
    ASSERT_EQ(grid.rowCount(), 6);
    const int last = FunctionalCol;
    EXPECT_EQ(Row(grid, 1, last),
              (QStringList{"1", "1", "1", "", "землі комерційного використання", "2.50"}));
    EXPECT_EQ(Row(grid, 2, last),
              (QStringList{"2", "1", "1", "", "землі житлової забудови", "1.00"}));
    EXPECT_EQ(Row(grid, 3, last),
              (QStringList{"3", "1", "2", "", "землі житлової забудови", "1.00"}));
    EXPECT_EQ(Row(grid, 4, last),
              (QStringList{"4", "2", "2", "", "землі житлової забудови", "1.00"}));
    EXPECT_EQ(Row(grid, 5, last),
              (QStringList{"5", "2", "3", "", "землі житлової забудови", "1.00"}));
    EXPECT_EQ(grid.at(1, factorCol(2)), QStringLiteral("0.95"));
    EXPECT_EQ(grid.at(2, factorCol(2)), QStringLiteral("0.95"));
    EXPECT_EQ(grid.at(3, factorCol(12)), QStringLiteral("1.07"));
    EXPECT_EQ(grid.at(3, factorCol(2)), QString());
    EXPECT_EQ(grid.at(5, factorCol(12)), QString());
}

TEST_F(QuarterDbTest, FillNamesWhatIsMissingAndKeepsTheStatement) {
    StringGrid grid = MakeQuarterGrid(17);
    grid.set(1, 0, QStringLiteral("1"));
    grid.set(1, QuartersCol, QStringLiteral("12-14"));
    const StringGrid before = grid;
    exec(QStringLiteral("DELETE FROM локальні"));
    QuarterFillResult result = FillStatementFromDistricts(project, grid);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.missing.contains(QStringLiteral("локальні фактори")));
    EXPECT_EQ(grid.rowTexts(1), before.rowTexts(1));
    setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("0"));
    result = FillStatementFromDistricts(project, grid);
    EXPECT_TRUE(result.missing.contains(QStringLiteral("середня вартість")));
    setIndicator(QStringLiteral("Кількість зон"), QString());
    setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("1"));
    result = FillStatementFromDistricts(project, grid);
    EXPECT_TRUE(result.missing.contains(QStringLiteral("зони")));
    EXPECT_EQ(grid.rowTexts(1), before.rowTexts(1));
}

// The information grid: districts as stored, one column per used factor of the catalogue.
TEST_F(QuarterDbTest, DistrictFactorGridShowsTheUsedFactors) {
    std::vector<LocalFactor> factors;
    ASSERT_TRUE(ReadLocalCatalogue(catalogue, factors));
    exec(QStringLiteral("INSERT INTO локальні (район,фактор,коефіціент) VALUES ('1','40','2')"));
    std::vector<int> used;
    ASSERT_TRUE(ReadUsedFactors(project, used, nullptr));
    EXPECT_EQ(used, (std::vector<int>{2, 12, 40}));
    StringGrid grid;
    ASSERT_TRUE(LoadDistrictFactorGrid(project, {"3", "1", "2"}, factors, used, grid, nullptr));
    EXPECT_EQ(grid.rowTexts(0), (QStringList{"№", "№ району", "Ґрунтові води", "Рекреаційна"}));
    EXPECT_EQ(grid.rowTexts(2), (QStringList{"2", "1", "0.95", ""}));
    EXPECT_EQ(grid.rowTexts(3), (QStringList{"3", "2", "", "1.07"}));
}

TEST_F(QuarterDbTest, TheStatementFollowsItsDistrictsButKeepsWhatWasTyped) {
    valuation::UpgradeSettlementDatabase(project);
    StringGrid grid = MakeQuarterGrid(17);
    ASSERT_TRUE(FillStatementFromDistricts(project, grid).ok);
    // The valuer types a quarter's own value in row 2; the store records it as typed.
    grid.set(2, factorCol(2), QStringLiteral("0.80"));
    QString error;
    ASSERT_TRUE(StoreQuarterStatement(project, grid, &error)) << error.toStdString();
    // District 1's factor 2 changes.
    exec(QStringLiteral("UPDATE локальні SET коефіціент='0.90' WHERE район='1' AND фактор='2'"));
    StringGrid loaded = MakeQuarterGrid(17);
    ASSERT_TRUE(LoadQuarterStatement(project, loaded, nullptr));
    StatementRefresh refresh;
    ASSERT_TRUE(RefreshStatementFromDistricts(project, loaded, false, refresh, nullptr));
    EXPECT_EQ(loaded.at(1, factorCol(2)), QStringLiteral("0.90"));
    EXPECT_EQ(loaded.at(2, factorCol(2)), QStringLiteral("0.80")); // typed: kept
    EXPECT_EQ(refresh.changed, QStringList{QStringLiteral("рядок 1, лок_2: 0.95 → 0.90")});
    EXPECT_EQ(refresh.typed, QStringList{QStringLiteral("рядок 2, лок_2: 0.80 → 0.90")});
    // Replacing what was typed, when the valuer agrees.
    ASSERT_TRUE(RefreshStatementFromDistricts(project, loaded, true, refresh, nullptr));
    EXPECT_EQ(loaded.at(2, factorCol(2)), QStringLiteral("0.90"));
}

TEST_F(QuarterDbTest, TypedCellsAreAskedAboutOnlyWhenTheirDistrictChangedSinceTyping) {
    StringGrid grid = MakeQuarterGrid(17);
    ASSERT_TRUE(FillStatementFromDistricts(project, grid).ok);
    grid.set(2, factorCol(2), QStringLiteral("0.80"));
    QString error;
    ASSERT_TRUE(StoreQuarterStatement(project, grid, &error)) << error.toStdString();
    // Opened again with nothing changed: nothing to ask, the typed value stays.
    StringGrid loaded = MakeQuarterGrid(17);
    ASSERT_TRUE(LoadQuarterStatement(project, loaded, nullptr));
    StatementRefresh refresh;
    ASSERT_TRUE(RefreshStatementFromDistricts(project, loaded, false, refresh, nullptr));
    EXPECT_TRUE(refresh.typed.isEmpty()) << refresh.typed.join(u'\n').toStdString();
    EXPECT_TRUE(refresh.changed.isEmpty());
    EXPECT_EQ(loaded.at(2, factorCol(2)), QStringLiteral("0.80"));
    // Even a "replace" keeps it: its district's value is the one it was typed over.
    ASSERT_TRUE(RefreshStatementFromDistricts(project, loaded, true, refresh, nullptr));
    EXPECT_EQ(loaded.at(2, factorCol(2)), QStringLiteral("0.80"));

    // The check lists it as typed, with the district's value beside it, and no finding.
    valuation::CheckResult check;
    ASSERT_TRUE(valuation::CheckSettlement(project, check));
    ASSERT_EQ(check.typed.size(), 1u);
    EXPECT_FALSE(check.typed[0].changed);
    EXPECT_EQ(check.typed[0].computedNow, QStringLiteral("0.95"));
    // District 1's factor changes: now the check has a finding and the step asks.
    exec(QStringLiteral("UPDATE локальні SET коефіціент='0.90' WHERE район='1' AND фактор='2'"));
    ASSERT_TRUE(valuation::CheckSettlement(project, check));
    EXPECT_TRUE(check.typedChanged());
    ASSERT_TRUE(RefreshStatementFromDistricts(project, loaded, false, refresh, nullptr));
    EXPECT_EQ(refresh.typed, QStringList{QStringLiteral("рядок 2, лок_2: 0.80 → 0.90")});
}

TEST_F(QuarterDbTest, TheCheckComparesTheStatementsZonesAndRowsWithTheZoning) {
    // Each district in one zone.
    exec(QStringLiteral("UPDATE зони SET райони='3' WHERE зона='2'"));
    StringGrid grid = MakeQuarterGrid(17);
    ASSERT_TRUE(FillStatementFromDistricts(project, grid).ok);
    QString error;
    ASSERT_TRUE(StoreQuarterStatement(project, grid, &error)) << error.toStdString();
    valuation::CheckResult check;
    ASSERT_TRUE(valuation::CheckSettlement(project, check));
    const auto has = [&](const QString& text) {
        return valuation::CheckLines(check).join(u'\n').contains(text);
    };
    EXPECT_FALSE(has(QStringLiteral("відомість_кварталів")))
        << valuation::CheckLines(check).join(u'\n').toStdString();
    // District 3 is re-zoned into zone 1: its rows still say zone 2.
    exec(QStringLiteral("UPDATE зони SET райони='1, 2, 3' WHERE зона='1'"));
    exec(QStringLiteral("UPDATE зони SET райони='' WHERE зона='2'"));
    // A row of a district that is gone, and district 2 left without rows.
    exec(QStringLiteral("UPDATE відомість_кварталів SET район='9' WHERE район='2'"));
    ASSERT_TRUE(valuation::CheckSettlement(project, check));
    EXPECT_TRUE(has(QStringLiteral(", район 3: зона: збережено 2, перераховано 1")))
        << valuation::CheckLines(check).join(u'\n').toStdString();
    EXPECT_TRUE(has(QStringLiteral("відомість_кварталів, район 9: рядки району, якого немає")));
    EXPECT_TRUE(has(QStringLiteral("відомість_кварталів, район 2: район не має рядків")));
    // Recalc writes the current zone.
    ASSERT_TRUE(valuation::WriteRecalculated(project, check));
    EXPECT_EQ(column(QStringLiteral("SELECT DISTINCT зона FROM відомість_кварталів WHERE "
                                    "район='3'")),
              QStringList{QStringLiteral("1")});
}

TEST_F(QuarterDbTest, ACoefficientThatIsNoNumberIsNotCarriedIntoTheStatement) {
    valuation::UpgradeSettlementDatabase(project);
    StringGrid grid = MakeQuarterGrid(17);
    ASSERT_TRUE(FillStatementFromDistricts(project, grid).ok);
    ASSERT_EQ(grid.at(1, factorCol(2)), QStringLiteral("0.95"));
    QString error;
    ASSERT_TRUE(StoreQuarterStatement(project, grid, &error)) << error.toStdString();
    // A coefficient stored before such were refused: Км3 leaves it out, and so does the
    // statement, which keeps the value it has (the check names the coefficient itself).
    exec(QStringLiteral("UPDATE локальні SET коефіціент='abc' WHERE район='1' AND фактор='2'"));
    StringGrid loaded = MakeQuarterGrid(17);
    ASSERT_TRUE(LoadQuarterStatement(project, loaded, nullptr));
    StatementRefresh refresh;
    ASSERT_TRUE(RefreshStatementFromDistricts(project, loaded, true, refresh, nullptr));
    EXPECT_TRUE(refresh.changed.isEmpty()) << refresh.changed.join(u'\n').toStdString();
    EXPECT_EQ(loaded.at(1, factorCol(2)), QStringLiteral("0.95"));
    valuation::CheckResult check;
    ASSERT_TRUE(valuation::CheckSettlement(project, check));
    const QString lines = valuation::CheckLines(check).join(u'\n');
    EXPECT_FALSE(lines.contains(QStringLiteral("лок_2"))) << lines.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("коефіцієнт \"abc\" не є числом")))
        << lines.toStdString();
    ASSERT_TRUE(valuation::WriteRecalculated(project, check));
    ASSERT_TRUE(LoadQuarterStatement(project, loaded, nullptr));
    EXPECT_EQ(loaded.at(1, factorCol(2)), QStringLiteral("0.95"));
    // A new statement leaves the cell empty rather than copy the text.
    ASSERT_TRUE(FillStatementFromDistricts(project, grid).ok);
    EXPECT_EQ(grid.at(1, factorCol(2)), QString());
}
