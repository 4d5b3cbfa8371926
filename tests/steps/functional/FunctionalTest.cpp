#include "steps/functional/FunctionalOverlay.h"
#include "steps/functional/FunctionalStep.h"

#include "common/LastError.h"
#include "db/QueryFunctions.h"
#include "tests/map/MapTestUtil.h"
#include "tests/steps/support/StepTestSupport.h"
#include "valuation/Schema.h"

#include <QTemporaryDir>

namespace {

class FunctionalDbTest : public StepDbTest {
protected:
    QStringList storedRow(const QString& district) {
        QStringList row;
        Query q(&project);
        EXPECT_TRUE(RunQuery(
            q, QStringLiteral("SELECT * FROM функціональне WHERE район='") + district + u'\'',
            true));
        for (int k = 1; k <= 20; ++k) {
            const QString field = QStringLiteral("ф_%1").arg(k);
            row << (q.isNull(field) ? QStringLiteral("NULL") : q.text(field));
        }
        return row;
    }
};

// Two districts side by side, 100 x 100 m each, and the functional regions over them.
void WriteSettlementMap(const QString& folder,
                        const std::vector<std::pair<Feature, QStringList>>& regions) {
    WriteTable(
        folder + QStringLiteral("/райони.tab"), {QStringLiteral("Raion")},
        {{Square(0, 0, 100), {QStringLiteral("1")}}, {Square(100, 0, 100), {QStringLiteral("2")}}});
    WriteTable(folder + QStringLiteral("/функціональне.tab"), {QStringLiteral("Code")}, regions);
}

} // namespace

TEST(FunctionalCategories, CodesIgnoreLetterCaseAndBlanks) {
    ASSERT_EQ(FunctionalCategoryCount(), 17);
    EXPECT_EQ(FunctionalCategoryOf(QStringLiteral("Рі")), 14);
    EXPECT_EQ(FunctionalCategoryOf(QStringLiteral("рі")), 14);
    EXPECT_EQ(FunctionalCategoryOf(QStringLiteral("РІ")), 14);
    EXPECT_EQ(FunctionalCategoryOf(QStringLiteral(" к ")), 1);
    EXPECT_EQ(FunctionalCategoryOf(QStringLiteral("па")), 17);
    EXPECT_EQ(FunctionalCategoryOf(QStringLiteral("X")), 0);
    EXPECT_EQ(FunctionalCategoryOf(QString()), 0);
    EXPECT_EQ(FunctionalCategories()[9].caption, QStringLiteral("    Ліси                  (Л)"));
}

TEST(FunctionalCheck, NegativeAreasAreRefusedAndADistrictOverfilledIsNamed) {
    StringGrid grid = MakeFunctionalGrid({QStringLiteral("1"), QStringLiteral("2")}, 2);
    grid.set(1, 1, QStringLiteral("30"));
    grid.set(1, 2, QStringLiteral("35.69"));
    grid.set(2, 1, QStringLiteral("1"));
    EXPECT_FALSE(CheckFunctional(grid));
    const std::vector<District> districts = {{"1", "37.15", "", ""}, {"2", "", "", ""}};
    EXPECT_EQ(OversizedDistricts(grid, districts),
              QStringList{"район 1: сума 65.6900 га, площа району 37.1500 га"});
    grid.set(2, 3, QStringLiteral("-2"));
    ASSERT_TRUE(CheckFunctional(grid));
    EXPECT_EQ(std::make_pair(CheckFunctional(grid)->row, CheckFunctional(grid)->col),
              std::make_pair(2, 3));
}

TEST_F(FunctionalDbTest, TableIsCreatedOnceWithTheDistrictAndTwentyUses) {
    valuation::UpgradeSettlementDatabase(project);
    QStringList columns{"id INTEGER key", "район nvarchar (50)"};
    for (int k = 1; k <= 20; ++k)
        columns << QStringLiteral("ф_%1 nvarchar (50)").arg(k);
    EXPECT_EQ(column(QStringLiteral("SELECT name || ' ' || type || iif(pk, ' key', '') FROM "
                                    "pragma_table_info('функціональне')")),
              columns);
    exec(QStringLiteral("INSERT INTO функціональне (район) VALUES ('1')"));
    valuation::UpgradeSettlementDatabase(project);
    EXPECT_EQ(column(QStringLiteral("SELECT район FROM функціональне")), QStringList{"1"});
}

// Empty cells stay NULL; a district without any area keeps a row of its number only; the
// rows come back to their districts whatever the stored order.
TEST_F(FunctionalDbTest, StoreKeepsEmptyCellsNullAndLoadFindsTheDistricts) {
    valuation::UpgradeSettlementDatabase(project);
    StringGrid grid = MakeFunctionalGrid({"3", "1", "2"}, 4);
    ASSERT_EQ(grid.rowCount(), 5);
    grid.set(1, 1, QStringLiteral("2.5000"));
    grid.set(1, 17, QStringLiteral("0"));
    grid.set(3, 14, QStringLiteral("it's"));
    grid.set(4, 2, QStringLiteral("9")); // a row without a district is not stored
    QString error;
    ASSERT_TRUE(StoreFunctional(project, grid, &error)) << error.toStdString();
    EXPECT_EQ(column(QStringLiteral("SELECT район FROM функціональне ORDER BY id")),
              (QStringList{"3", "1", "2"}));
    QStringList three(20, QStringLiteral("NULL"));
    three[0] = QStringLiteral("2.5000");
    three[16] = QStringLiteral("0");
    EXPECT_EQ(storedRow("3"), three);
    EXPECT_EQ(storedRow("1"), QStringList(20, QStringLiteral("NULL")));

    StringGrid back = MakeFunctionalGrid({"1", "2", "3"}, 3);
    ASSERT_TRUE(LoadFunctional(project, back, nullptr));
    EXPECT_EQ(back.at(3, 1), QStringLiteral("2.5000"));
    EXPECT_EQ(back.at(3, 17), QStringLiteral("0"));
    EXPECT_EQ(back.at(2, 14), QStringLiteral("it's"));
    EXPECT_EQ(back.rowTexts(1), QStringList({"1"}) + QStringList(17, QString()));
}

TEST_F(FunctionalDbTest, FailedStoreKeepsTheFormerTable) {
    valuation::UpgradeSettlementDatabase(project);
    exec(QStringLiteral("INSERT INTO функціональне (район, ф_1) VALUES ('1', '5')"));
    StringGrid grid = MakeFunctionalGrid({"1", "2"}, 2);
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON функціональне WHEN NEW.район = '2' "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    QString error;
    EXPECT_FALSE(StoreFunctional(project, grid, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("refused")));
    EXPECT_EQ(column(QStringLiteral("SELECT ф_1 FROM функціональне")), QStringList{"5"});
}

// The parts' cases through real tables: "рі" and "РІ" are one category, "X" and empty codes
// count nowhere, a region over two districts counts in each, and old values are replaced.
TEST(FunctionalOverlay, SumsCommonAreasPerDistrictAndCategory) {
    QTemporaryDir dir;
    WriteSettlementMap(dir.path(), {
                                       {Square(50, 0, 100), {QStringLiteral("рі")}}, // 50/50
                                       {Square(0, 50, 20), {QStringLiteral("РІ")}},  // in 1
                                       {Square(120, 10, 30), {QStringLiteral("К")}}, // in 2
                                       {Square(10, 10, 10), {QStringLiteral("X")}},
                                       {Square(30, 30, 10), {QString()}},
                                       {Square(300, 0, 50), {QStringLiteral("Ж")}}, // nowhere
                                       {Square(0, 100, 50), {QStringLiteral("Ж")}}, // edge only
                                   });
    const FunctionalOverlayResult result = MeasureFunctionalAreas(dir.path());
    ASSERT_TRUE(result.ok) << result.error.toStdString();

    StringGrid grid = MakeFunctionalGrid({"1", "2", "3"}, 3);
    grid.set(3, 2, QStringLiteral("7.0000")); // district 3 is not on the map: emptied
    ASSERT_TRUE(ApplyFunctionalAreas(grid, result.areas));
    // District 1: 50 x 100 + 20 x 20 of arable land = 0.54 ha.
    EXPECT_EQ(grid.at(1, 14), QStringLiteral("0.5400"));
    EXPECT_EQ(grid.at(2, 14), QStringLiteral("0.5000"));
    EXPECT_EQ(grid.at(2, 1), QStringLiteral("0.0900"));
    EXPECT_EQ(grid.at(1, 1), QString());
    EXPECT_EQ(grid.at(1, 2), QString());
    EXPECT_EQ(grid.at(3, 2), QString());
    int filled = 0;
    for (int row = 1; row < grid.rowCount(); ++row)
        for (int col = 1; col < grid.colCount(); ++col)
            filled += grid.at(row, col).isEmpty() ? 0 : 1;
    EXPECT_EQ(filled, 3);
}

TEST(FunctionalOverlay, NoOverlapKeepsTheTypedCellsAndMissingTablesAreNamed) {
    QTemporaryDir dir;
    WriteSettlementMap(dir.path(), {{Square(500, 500, 10), {QStringLiteral("К")}}});
    const FunctionalOverlayResult result = MeasureFunctionalAreas(dir.path());
    ASSERT_TRUE(result.ok);
    StringGrid grid = MakeFunctionalGrid({"1"}, 1);
    grid.set(1, 5, QStringLiteral("1.0000"));
    EXPECT_TRUE(HasFunctionalAreas(grid));
    EXPECT_FALSE(ApplyFunctionalAreas(grid, result.areas));
    EXPECT_EQ(grid.at(1, 5), QStringLiteral("1.0000"));
    EXPECT_EQ(grid.at(1, 0), QStringLiteral("1"));

    QTemporaryDir empty;
    FunctionalOverlayResult missing = MeasureFunctionalAreas(empty.path());
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(
        missing.error.startsWith(QStringLiteral("Відкривання карти функціональне.tab. Помилка: ")));
    WriteTable(empty.filePath(QStringLiteral("функціональне.tab")), {QStringLiteral("Code")}, {});
    missing = MeasureFunctionalAreas(empty.path());
    EXPECT_TRUE(
        missing.error.startsWith(QStringLiteral("Відкривання карти райони.tab. Помилка: ")));
}
