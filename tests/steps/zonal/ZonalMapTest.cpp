#include "steps/zonal/ZonalMap.h"
#include "common/FileUtils.h"
#include "map/FeatureFactory.h"
#include "map/MapGlobal.h"
#include "map/TabFile.h"
#include "tests/steps/support/StepTestSupport.h"
#include "tests/steps/zonal/ZonalTestData.h"
#include "tools/demo/DemoSettlement.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

const ResultColumns Cols = ResultColumnsOf(ZonalVariant::Weighted);

/** The demonstration village's twelve districts on the map, in zones by the grid. */
class ZonalMapTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        QString error;
        ASSERT_TRUE(WriteDemoLayers(context.folder, DemoSize{12, 20}, &error))
            << error.toStdString();
        SetNumericCoordSys(map);
        ASSERT_TRUE(AddLayer(map, context.file(QStringLiteral("зони.tab")), true));
        ASSERT_TRUE(AddLayer(map, context.file(QStringLiteral("райони.tab")), true));
        result = MakeResultGrid(ZonalVariant::Weighted,
                                TestDistricts(QStringList(12, QStringLiteral("1"))));
        // Districts 1-4 in zone 1, 5-8 in zone 2 (7 without a value), 9-12 in zone 3.
        for (int row = 1; row <= 12; ++row) {
            const int zone = (row - 1) / 4 + 1;
            result.set(row, Cols.zone, QString::number(zone));
            if (row != 5) {
                result.set(row, Cols.ii, QStringLiteral("1.00"));
                result.set(row, Cols.km2, QString::number(zone) + QStringLiteral(".10"));
                result.set(row, Cols.value, QString::number(zone * 10) + QStringLiteral(".50"));
            }
        }
    }

    double districtArea(int fromNumber, int toNumber) {
        Layer* districts = GetLayer(map, QStringLiteral("райони"));
        const Dataset data(districts);
        double area = 0;
        for (const Feature& f : districts->features()) {
            const int number = FeatureValue(&data, f, QStringLiteral("Raion")).toInt();
            if (number >= fromNumber && number <= toNumber)
                area += f.areaSquareMetres();
        }
        return area;
    }

    StringGrid result;
};

} // namespace

TEST_F(ZonalMapTest, ZonesAreRebuiltAsUnionsOfTheirDistrictsAndReadBackByOgr) {
    const double zone2 = districtArea(5, 8);
    const MapOutcome out = RebuildZoneLayer(&map, result, Cols);
    ASSERT_TRUE(out.written);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages.back().text, QStringLiteral("Завершено."));

    TableContent zones;
    QString error;
    ASSERT_TRUE(TabFile::read(context.file(QStringLiteral("зони.tab")), zones, &error));
    ASSERT_EQ(zones.features.size(), 3u);
    QString value;
    zones.features[1].value(QStringLiteral("Zona"), &value);
    EXPECT_EQ(value, QStringLiteral("2"));
    // The zone's values come from its first district with a Km2.
    zones.features[1].value(QStringLiteral("Km2"), &value);
    EXPECT_EQ(value, QStringLiteral("2.10"));
    zones.features[1].value(QStringLiteral("Cena_1m2"), &value);
    EXPECT_EQ(value, QStringLiteral("20.50"));
    EXPECT_NEAR(zones.features[1].areaSquareMetres(), zone2, zone2 * 1e-6);
    EXPECT_NE(zones.features[0].regionStyle().regionColor,
              zones.features[1].regionStyle().regionColor);

    TableContent districts;
    ASSERT_TRUE(TabFile::read(context.file(QStringLiteral("райони.tab")), districts, &error));
    for (const Feature& d : districts.features) {
        QString number, zone;
        d.value(QStringLiteral("Raion"), &number);
        d.value(QStringLiteral("Zona"), &zone);
        EXPECT_EQ(zone, QString::number((number.toInt() - 1) / 4 + 1)) << number.toStdString();
    }

    if (QProcess::execute(QStringLiteral("ogrinfo"), {QStringLiteral("--version")}) != 0)
        GTEST_SKIP() << "ogrinfo is not installed";
    QProcess ogr;
    ogr.start(QStringLiteral("ogrinfo"), {QStringLiteral("-al"), QStringLiteral("-ro"),
                                          context.file(QStringLiteral("зони.tab"))});
    ASSERT_TRUE(ogr.waitForFinished(30000));
    const QString text = QString::fromUtf8(ogr.readAllStandardOutput());
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("OGRFeature\\(зони\\):\\d+"))), 3)
        << text.left(2000).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Zona (String) = 3")));
    EXPECT_TRUE(text.contains(QStringLiteral("Km2 (String) = 3.10")));
    EXPECT_TRUE(text.contains(QStringLiteral("Cena_1m2 (String) = 30.50")));
}

TEST_F(ZonalMapTest, MissingLayersAreReportedAndAZoneTableGetsTheFieldsItLacks) {
    MapDocument empty;
    MapOutcome out = RebuildZoneLayer(&empty, result, Cols);
    EXPECT_FALSE(out.written);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, QStringLiteral("На мапі не знайдено районів."));
    EXPECT_EQ(RebuildZoneLayer(nullptr, result, Cols).messages[0].text,
              QStringLiteral("На мапі не знайдено районів."));

    map.removeLayer(GetLayer(map, QStringLiteral("зони")));
    out = RebuildZoneLayer(&map, result, Cols);
    EXPECT_EQ(out.messages.at(0).kind, MapMessage::Warning);
    EXPECT_EQ(out.messages.at(0).text, QStringLiteral("Не знайдено мапи \"зони\"."));

    // An older zone table with only "Zona".
    QString error;
    ASSERT_TRUE(TabFile::create(context.file(QStringLiteral("зони.tab")),
                                {FieldDef{QStringLiteral("Zona"), FieldKind::Char, 10, 0, false}},
                                CoordSys{}, true, QString(), &error));
    ASSERT_TRUE(AddLayer(map, context.file(QStringLiteral("зони.tab")), true));
    ASSERT_TRUE(RebuildZoneLayer(&map, result, Cols).written);
    EXPECT_EQ(GetLayer(map, QStringLiteral("зони"))->fieldNames(), ZoneLayerFields());
}

TEST_F(ZonalMapTest, AFailedUnionIsReportedAndTheZoneKeepsItsDistrictsInPieces) {
    // District 2 becomes a bow tie, which no union accepts.
    Layer* districts = GetLayer(map, QStringLiteral("райони"));
    Feature bowTie = districts->features()[1];
    const MapRect b = bowTie.bounds();
    bowTie.setGeometry(
        FeatureFactory::createRegion(
            {{{b.xMin, b.yMin}, {b.xMax, b.yMax}, {b.xMax, b.yMin}, {b.xMin, b.yMax}}})
            .geometry());
    QString error;
    ASSERT_TRUE(districts->updateFeature(bowTie, &error)) << error.toStdString();
    Feature probe;
    if (FeatureFactory::combine(districts->features()[0], bowTie, probe, nullptr) !=
        GeometryResult::Failed)
        GTEST_SKIP() << "this GEOS joins self-crossing rings";

    const MapOutcome out = RebuildZoneLayer(&map, result, Cols);
    ASSERT_TRUE(out.written);
    ASSERT_GE(out.messages.size(), 2u);
    EXPECT_EQ(out.messages[0].kind, MapMessage::Error);
    EXPECT_TRUE(out.messages[0].text.startsWith(
        QStringLiteral("Об`єднання районів у зони.\rРайон № 2 залишено у зоні № ")))
        << out.messages[0].text.toStdString();
    EXPECT_TRUE(out.messages[0].text.contains(QStringLiteral(" окремою частиною.\rПодробиці: ")));
    EXPECT_EQ(out.messages.back().text, QStringLiteral("Завершено."));
    // Zone 1 is written in two pieces (the failed district beside the rest); zones 2 and 3
    // whole.
    EXPECT_EQ(GetLayer(map, QStringLiteral("зони"))->featureCount(), 4);
}

TEST_F(ZonalMapTest, NoMatchingDistrictLeavesTheZoneLayerAsItWas) {
    ASSERT_TRUE(RebuildZoneLayer(&map, result, Cols).written);
    const int zones = GetLayer(map, QStringLiteral("зони"))->featureCount();
    ASSERT_GT(zones, 0);
    StringGrid other = result;
    for (int row = other.fixedRows(); row < other.rowCount(); ++row)
        other.set(row, 0, QStringLiteral("9") + other.at(row, 0));
    const MapOutcome out = RebuildZoneLayer(&map, other, Cols);
    EXPECT_FALSE(out.written);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].kind, MapMessage::Warning);
    EXPECT_TRUE(out.messages[0].text.contains(QStringLiteral("не збігається")));
    EXPECT_EQ(GetLayer(map, QStringLiteral("зони"))->featureCount(), zones);
}

TEST_F(ZonalMapTest, IndexLabelsAndThePreviewWorkspaceAreWritten) {
    map.setZoom(123);
    map.setCentre(QPointF(5, 6));
    QString written;
    const MapOutcome out = BuildIndexLabels(&map, context.folder, result, Cols, &written);
    ASSERT_TRUE(out.written);
    EXPECT_TRUE(out.messages.empty());
    const QString workspace = context.file(QStringLiteral("просмотр.gwp"));
    EXPECT_EQ(written, workspace);
    EXPECT_EQ(ReadTextFile(workspace),
              QStringLiteral("!version 1\n!LAYER 1\n/LAYER File=райони.tab\n!LAYER 2\n"
                             "/LAYER File=підписи.tab\n"));
    EXPECT_DOUBLE_EQ(map.zoom(), 123);
    EXPECT_EQ(map.centre(), QPointF(5, 6));

    TableContent labels;
    QString error;
    ASSERT_TRUE(TabFile::read(context.file(QStringLiteral("підписи.tab")), labels, &error));
    // Eleven districts have an Іі: a number and an index each.
    ASSERT_EQ(labels.features.size(), 22u);
    const Feature& number = labels.features[0];
    const Feature& index = labels.features[1];
    EXPECT_EQ(number.kind(), FeatureKind::Text);
    EXPECT_EQ(number.textStyle().color, 16711680);
    EXPECT_TRUE(number.textStyle().bold);
    EXPECT_TRUE(index.textStyle().italic);
    EXPECT_EQ(index.text(), QStringLiteral("1.00"));
    QString info;
    index.value(QStringLiteral("info"), &info);
    EXPECT_EQ(info, QStringLiteral("1.00"));
    EXPECT_LT(index.centre().y(), number.centre().y());

    // A second preview replaces the labels rather than adding to them.
    ASSERT_TRUE(BuildIndexLabels(&map, context.folder, result, Cols, nullptr).written);
    EXPECT_EQ(GetLayer(map, QStringLiteral("підписи"))->featureCount(), 22);
}
