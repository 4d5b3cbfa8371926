#include "common/FileUtils.h"
#include "db/QueryFunctions.h"
#include "map/MapGlobal.h"
#include "steps/zonal/ZonalStore.h"
#include "tests/steps/support/StepTestSupport.h"
#include "tests/steps/zonal/ZonalTestData.h"
#include "tools/demo/DemoSettlement.h"

#include <QFileInfo>

// The demonstration settlement opens in either zonal step with a complete structuring, and
// its zone layer agrees with what the step stored.
TEST(DemoZonal, EitherStepOpensTheDemonstrationWithAFullStructuring) {
    if (!QFileInfo::exists(JoinPath(BuiltAppDir(), QStringLiteral("baza.sqlite"))))
        GTEST_SKIP() << "the program folder is not built";
    TempAppDir app(true);
    QString error;
    ASSERT_TRUE(WriteDemoProject(app.path(), DemoSize{}, &error)) << error.toStdString();
    const QString folder =
        JoinPath(JoinPath(JoinPath(app.path(), QStringLiteral("Проекти")), demo::projectName()),
                 SafeFileName(demo::settlementName()));
    Connection db;
    ASSERT_TRUE(db.open(JoinPath(folder, QStringLiteral("data.sqlite"))));

    ZonalSettlement settlement;
    QString message;
    ASSERT_EQ(ReadZonalSettlement(db, settlement, &message), ZonalOpening::Ready)
        << message.toStdString();
    ASSERT_EQ(settlement.districts.size(), 12u);
    EXPECT_EQ(settlement.zoneCount, 3);
    for (const ZonalVariant variant : {ZonalVariant::Weighted, ZonalVariant::Grouped}) {
        ZonalTables tables;
        QString failed;
        ASSERT_TRUE(LoadZonalTables(db, variant, settlement, tables, &failed))
            << failed.toStdString();
        EXPECT_TRUE(tables.indices.warning.isEmpty());
        int checked = 0;
        for (const WorkingItem& item : tables.factors)
            checked += item.checked ? 1 : 0;
        EXPECT_EQ(checked, 8);
        EXPECT_EQ(AnketaFactorRows(tables.anketa), 8);
        for (int row = 1; row < tables.anketa.rowCount(); ++row)
            EXPECT_FALSE(tables.anketa.rowTexts(row).contains(QString())) << row;
        const ResultColumns cols = ResultColumnsOf(variant);
        for (int row = 1; row < tables.result.rowCount(); ++row) {
            EXPECT_FALSE(tables.result.at(row, cols.ii).isEmpty()) << row;
            EXPECT_FALSE(tables.result.at(row, cols.zone).isEmpty()) << row;
        }
        ASSERT_EQ(tables.zones.rowCount(), 4);
        for (int row = 1; row < 4; ++row)
            EXPECT_FALSE(tables.zones.at(row, ZoneDescriptionCol).isEmpty());
    }

    // The zone layer carries what was stored: one object per zone with its Km2.
    Query q(&db);
    ASSERT_TRUE(
        RunQuery(q, QStringLiteral("SELECT DISTINCT зона, км2 FROM км2 ORDER BY зона"), true));
    QStringList stored;
    for (q.first(); !q.eof(); q.next())
        stored << q.text(0) + u'=' + q.text(1);
    MapDocument map;
    Layer* zones = AddLayer(map, JoinPath(folder, QStringLiteral("зони.tab")), true);
    ASSERT_TRUE(zones);
    const Dataset data(zones);
    QStringList onMap;
    for (const Feature& f : zones->features())
        onMap << FeatureValue(&data, f, QStringLiteral("Zona")) + u'=' +
                     FeatureValue(&data, f, QStringLiteral("Km2"));
    EXPECT_EQ(onMap, stored);
    EXPECT_EQ(stored.size(), 3);
}
