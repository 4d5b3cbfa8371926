#include "common/FileUtils.h"
#include "db/Database.h"
#include "steps/areas/AreasStep.h"
#include "steps/average/AverageStep.h"
#include "steps/costs/CostsStep.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"

#include <gtest/gtest.h>

TEST(DemoStepsTest, TheDemonstrationSettlementOpensWithItsFirstStepsFilled) {
    TempAppDir app(true);
    QString error;
    ASSERT_TRUE(WriteDemoProject(app.path(), DemoSize{}, &error)) << error.toStdString();
    Connection db;
    ASSERT_TRUE(
        db.open(JoinPath(app.file(QStringLiteral("Проекти/") + demo::projectName()),
                         SafeFileName(demo::settlementName()) + QStringLiteral("/data.sqlite"))));
    AreasData areas;
    ASSERT_TRUE(LoadAreas(db, areas, nullptr));
    EXPECT_EQ(areas.value("ERaions"), QStringLiteral("12"));
    // The districts tile the settlement: their map areas add up to its total area (each
    // district rounded to 4 decimals).
    EXPECT_NEAR(DistrictSums(areas.districts).second.toDouble(), areas.value("EZagalna").toDouble(),
                0.0001 * 12);
    EXPECT_FALSE(CheckAreas(areas));
    EXPECT_EQ(ComputedAssessedTerritory(areas.value("EZagalna"), areas.value("EZabudovana"),
                                        areas.value("EOsg"), areas.value("EInshi")),
              areas.value("EOcinochna"));

    CostsSheet costs;
    ASSERT_TRUE(LoadCosts(db, 2025, costs, nullptr));
    EXPECT_EQ(costs.lastNumber, 8);
    SelectCostSection(costs, CostSections().first());
    RecalcCosts(costs, -1, -1);
    AverageData average;
    ASSERT_TRUE(LoadAverage(db, average, nullptr));
    EXPECT_EQ(average.developmentCost, costs.perSquareMetre);
    EXPECT_EQ(average.km1, QStringLiteral("1.200"));
    EXPECT_EQ(average.averageValue, AverageValue(average.developmentCost, average.km1));
    EXPECT_GT(average.averageValue.toDouble(), 10.0);
}
