// The step cores on a damaged settlement: each failure says in `error` what failed.
#include "common/LastError.h"
#include "steps/agricultural/AgriculturalStep.h"
#include "steps/areas/AreasStep.h"
#include "steps/average/AverageStep.h"
#include "steps/common/StepStore.h"
#include "steps/costs/CostsStep.h"
#include "steps/functional/FunctionalStep.h"
#include "steps/localquarter/QuarterStatement.h"
#include "steps/plots/PlotsStep.h"
#include "steps/zonal/ZonalStore.h"
#include "tests/steps/support/StepDbTest.h"
#include "valuation/Names.h"
#include "valuation/Schema.h"

namespace {

class StepErrorsTest : public StepDbTest {
protected:
    /** The error names the table and carries the provider's reason after it. */
    static void ExpectReadFailed(const QString& error, const QString& table) {
        EXPECT_TRUE(error.startsWith(LoadFailedText(table))) << error.toStdString();
        EXPECT_GT(error.size(), LoadFailedText(table).size()) << error.toStdString();
    }
};

} // namespace

TEST_F(StepErrorsTest, EachLoadOfADamagedSettlementNamesTheTableItCouldNotRead) {
    const QString indicators = names::table::Indicators();
    exec(QStringLiteral("ALTER TABLE характеристика RENAME TO характеристика_стара"));
    QString error;
    AreasData areas;
    EXPECT_FALSE(LoadAreas(project, areas, &error));
    ExpectReadFailed(error, indicators);

    AverageData average;
    EXPECT_FALSE(LoadAverage(project, average, &error));
    ExpectReadFailed(error, indicators);

    // The items are read first; the indicators after them fail.
    CostsSheet costs;
    EXPECT_FALSE(LoadCosts(project, 2026, costs, &error));
    ExpectReadFailed(error, indicators);

    ZonalSettlement settlement;
    EXPECT_EQ(ReadZonalSettlement(project, settlement, &error), ZonalOpening::Failed);
    ExpectReadFailed(error, indicators);

    // The reason travels in `error` alone: nothing is left to read elsewhere.
    ClearLastError();
    EXPECT_FALSE(LoadAreas(project, areas, &error));
    ClearLastError();
    ExpectReadFailed(error, indicators);
    exec(QStringLiteral("ALTER TABLE характеристика_стара RENAME TO характеристика"));

    exec(QStringLiteral("DROP TABLE IF EXISTS ") + names::table::Functional());
    StringGrid functional = MakeFunctionalGrid({QStringLiteral("1")}, 1);
    EXPECT_FALSE(LoadFunctional(project, functional, &error));
    ExpectReadFailed(error, names::table::Functional());

    exec(QStringLiteral("DROP TABLE IF EXISTS відомість_кварталів"));
    StringGrid statement = MakeQuarterGrid(3);
    EXPECT_FALSE(LoadQuarterStatement(project, statement, &error));
    ExpectReadFailed(error, QStringLiteral("відомість_кварталів"));

    exec(QStringLiteral("DROP TABLE IF EXISTS угіддя"));
    AgriculturalData soils;
    EXPECT_FALSE(LoadAgricultural(project, soils, &error));
    ExpectReadFailed(error, QStringLiteral("угіддя"));
    PlotsData plots;
    EXPECT_FALSE(LoadPlots(project, plots, &error));
    ExpectReadFailed(error, QStringLiteral("угіддя"));
}

TEST_F(StepErrorsTest, AFailedStoreSaysWhyAndKeepsTheTablesAsTheyWere) {
    ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project));
    const QString table = names::table::Functional();
    exec(QStringLiteral("DELETE FROM ") + table);
    exec(QStringLiteral("INSERT INTO ") + table +
         QStringLiteral(" (район, ф_1) VALUES ('1', '5')"));
    StringGrid grid = MakeFunctionalGrid({QStringLiteral("1")}, 1);
    grid.set(1, 1, QStringLiteral("7"));

    // A write of the step's own table that fails.
    breakTable(table);
    QString error;
    EXPECT_FALSE(StoreFunctional(project, grid, &error));
    EXPECT_TRUE(error.startsWith(StoreFailedText() + QStringLiteral("зламано")))
        << error.toStdString();
    EXPECT_EQ(column(QStringLiteral("SELECT ф_1 FROM ") + table), QStringList{"5"});
    for (const char* when : {"INSERT", "UPDATE", "DELETE"})
        exec(QStringLiteral("DROP TRIGGER break_%1_%2")
                 .arg(QString::number(qHash(table)), QString::fromUtf8(when)));

    // A write the store makes through the model (the layers the areas were taken from).
    breakTable(QStringLiteral("шари_кроків"));
    error.clear();
    const std::vector<valuation::LayerUse> layers{
        {QStringLiteral("функціональне"), {QStringLiteral("Code")}, QStringLiteral("f1")}};
    EXPECT_FALSE(StoreFunctional(project, grid, &error, {}, layers));
    EXPECT_TRUE(error.startsWith(StoreFailedText() + QStringLiteral("зламано")))
        << error.toStdString();
    EXPECT_EQ(column(QStringLiteral("SELECT ф_1 FROM ") + table), QStringList{"5"});
    EXPECT_FALSE(project.inTransaction());
}
