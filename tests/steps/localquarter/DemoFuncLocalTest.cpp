#include "tools/demo/DemoFuncLocal.h"

#include "map/Layer.h"
#include "steps/localquarter/QuarterStatement.h"
#include "tests/steps/support/StepTestSupport.h"
#include "tools/demo/DemoSettlement.h"
#include "valuation/Check.h"

namespace {

using DemoFuncLocalTest = StepDbTest;

} // namespace

// On the village's map, without the earlier steps' demonstration data: each district gets
// its measured functional use, the three factors of the "лок" layers and rows of the
// statement with quarter numbers; Km3 reaches the district map.
TEST_F(DemoFuncLocalTest, TheDemonstrationFillsTheThreeSteps) {
    QString error;
    ASSERT_TRUE(WriteDemoLayers(context.folder, DemoSize{}, &error)) << error.toStdString();
    ASSERT_TRUE(WriteDemoFunctionalLocal(app.path(), context.folder, project, &error))
        << error.toStdString();

    EXPECT_EQ(indicator(QStringLiteral("Кількість районів")), QStringLiteral("12"));
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM функціональне")), QStringList{"12"});
    EXPECT_GT(column(QStringLiteral("SELECT count(*) FROM функціональне WHERE ф_2 IS NOT NULL"))
                  .value(0)
                  .toInt(),
              4);
    EXPECT_EQ(column(QStringLiteral("SELECT DISTINCT фактор FROM локальні ORDER BY cint(фактор)")),
              (QStringList{"1", "5", "12"}));
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM локальні")), QStringList{"36"});
    const QStringList districts = column(
        QStringLiteral("SELECT DISTINCT район FROM відомість_кварталів ORDER BY cint(район)"));
    EXPECT_EQ(districts.size(), 12);
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM відомість_кварталів WHERE квартали = '' "
                                    "OR назва = '' OR функ = ''")),
              QStringList{"0"});
    EXPECT_EQ(column(QStringLiteral("SELECT квартали FROM відомість_кварталів WHERE id=1")),
              QStringList{"1-3"});
    // The zonal data it wrote in place of the zonal step are the model's: each district has
    // its Іі, and a check finds nothing the zonal step or a recalculation would change.
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM км2 WHERE іі = '' OR іі IS NULL")),
              QStringList{"0"});
    valuation::CheckResult check;
    ASSERT_TRUE(valuation::CheckSettlement(project, check));
    for (const valuation::StaleValue& v : check.stale)
        ADD_FAILURE() << valuation::StaleLine(v).toStdString();
    EXPECT_FALSE(check.isStale(valuation::Step::ZonalWeighted));

    QString reason;
    const auto map =
        Layer::open(context.file(QStringLiteral("райони.tab")), QStringLiteral("райони"), &reason);
    ASSERT_TRUE(map) << reason.toStdString();
    int withKm3 = 0;
    for (const Feature& f : map->features()) {
        QString km3;
        f.value(QStringLiteral("Km3_sr"), &km3);
        withKm3 += km3.isEmpty() ? 0 : 1;
    }
    EXPECT_GT(withKm3, 0);
}
