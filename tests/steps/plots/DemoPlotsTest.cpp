#include "steps/agricultural/AgriculturalStep.h"
#include "steps/plots/PlotsStep.h"
#include "tools/demo/DemoAgriculture.h"

#include "common/LastError.h"
#include "tests/steps/support/StepTestSupport.h"

#include <algorithm>

namespace {

using DemoPlotsTest = StepDbTest;

} // namespace

TEST_F(DemoPlotsTest, TheDemonstrationFillsBothStepsWithCatalogueSoilsAndRealDistricts) {
    setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("150.00"));
    exec(QStringLiteral("INSERT INTO км2 (район,км2) VALUES ('12','0.90')"));
    QString error;
    ASSERT_TRUE(WriteDemoAgriculture(project, &error)) << error.toStdString();
    ASSERT_TRUE(WriteDemoPlots(project, 12, &error)) << error.toStdString();

    AgriculturalData soils;
    ASSERT_TRUE(LoadAgricultural(project, soils, nullptr));
    QStringList catalogueSoils;
    ASSERT_TRUE(LoadSoilCatalogue(catalogue, catalogueSoils));
    for (const QString& code : soils.workingCodes) {
        const QString item = code + QStringLiteral(" - ");
        EXPECT_TRUE(std::any_of(catalogueSoils.begin(), catalogueSoils.end(),
                                [&item](const QString& soil) { return soil.startsWith(item); }))
            << code.toStdString();
    }
    for (int kind : {1, 4}) {
        const StringGrid& grid = soils.kinds[static_cast<size_t>(kind - 1)].grid;
        ASSERT_GT(grid.rowCount(), 2);
        for (int row = 1; row < grid.rowCount(); ++row)
            EXPECT_FALSE(grid.at(row, ColSoilValue).isEmpty());
    }

    PlotsData plots;
    ASSERT_TRUE(LoadPlots(project, plots, nullptr));
    EXPECT_EQ(plots.plot(1).district, QStringLiteral("1"));
    EXPECT_EQ(plots.plot(2).district, QStringLiteral("6"));
    EXPECT_EQ(plots.plot(3).district, QStringLiteral("12"));
    // Plot 1 is 150 x 2.50 with no Km2 or Km3 stored for its district.
    EXPECT_EQ(plots.plot(1).valuePerSqM, QStringLiteral("375.00"));
    const Plot& house = plots.plot(3);
    EXPECT_EQ(house.km2, QStringLiteral("0.90"));
    EXPECT_EQ(house.valuePerSqM, QStringLiteral("135.00"));
    EXPECT_FALSE(house.parts[0].valuePerHa.isEmpty());
    EXPECT_FALSE(house.parts[3].valuePerHa.isEmpty());
    EXPECT_EQ(house.totalArea, QStringLiteral("0.7500"));
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM ділянки")),
              QStringList({QStringLiteral("8")}));
}
