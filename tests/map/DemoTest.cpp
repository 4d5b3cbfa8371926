#include "MapTestUtil.h"

#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "map/MapGlobal.h"
#include "office/Statement.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>

namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double TotalArea(MapDocument& map, const QString& layer) {
    double sum = 0;
    const auto features = GetLayerFeatures(map, layer);
    for (const Feature& f : *features)
        sum += FeatureArea(f, map, AreaSquareMetre);
    return sum;
}

class Demo : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(WriteDemoLayers(dir.path(), DemoSize{}, &error)) << error.toStdString();
        SetNumericCoordSys(map);
        for (const QString& name :
             {QStringLiteral("межі"), QStringLiteral("зони"), QStringLiteral("райони"),
              QStringLiteral("функціональне"), QStringLiteral("грунти"), QStringLiteral("лок01"),
              QStringLiteral("лок05"), QStringLiteral("лок12")})
            ASSERT_TRUE(AddLayer(map, dir.filePath(name + ".tab"), true))
                << name.toStdString() << LastError().toStdString();
    }
    QTemporaryDir dir;
    MapDocument map;
};

TEST_F(Demo, LayersCoverTheSettlementConsistently) {
    const double boundary = TotalArea(map, QStringLiteral("межі"));
    // A village of a few hundred hectares; the parts add up to it within what the table
    // files keep of coordinates (a few millimetres per vertex).
    EXPECT_GT(boundary, 2e6);
    EXPECT_LT(boundary, 8e6);
    EXPECT_EQ(GetLayer(map, QStringLiteral("райони"))->featureCount(), 12);
    EXPECT_NEAR(TotalArea(map, QStringLiteral("райони")), boundary, boundary * 1e-5);
    EXPECT_EQ(GetLayer(map, QStringLiteral("зони"))->featureCount(), 3);
    EXPECT_NEAR(TotalArea(map, QStringLiteral("зони")), boundary, boundary * 1e-5);
    EXPECT_EQ(GetLayer(map, QStringLiteral("функціональне"))->featureCount(), 60);
    EXPECT_NEAR(TotalArea(map, QStringLiteral("функціональне")), boundary, boundary * 1e-5);
    EXPECT_NEAR(TotalArea(map, QStringLiteral("грунти")), boundary, boundary * 1e-5);

    const auto districts = GetLayerDataset(map, QStringLiteral("райони"));
    EXPECT_EQ(districts->fieldNames(), (QStringList{"Raion", "Zona", "Km3_sr"}));
    const auto zones = GetLayerDataset(map, QStringLiteral("зони"));
    EXPECT_EQ(zones->fieldNames(), (QStringList{"Zona", "Cena_1m2", "Km2"}));
    const auto functional = GetLayerDataset(map, QStringLiteral("функціональне"));
    const QStringList codes = demo::functionalCodes();
    ASSERT_EQ(codes.size(), 17);
    for (const Feature& f : GetLayer(map, QStringLiteral("функціональне"))->features())
        EXPECT_TRUE(codes.contains(FeatureValue(&*functional, f, "Code")));
    const auto lok = GetLayerDataset(map, QStringLiteral("лок05"));
    EXPECT_EQ(FeatureValue(&*lok, lok->layer()->features()[1], "Km3"), "0.90");
}

// Districts are numbered 1..n in feature order, of uneven size and shape, and each zone
// holds some of them.
TEST_F(Demo, DistrictsAreIrregularBlocksNumberedInOrder) {
    const auto data = GetLayerDataset(map, QStringLiteral("райони"));
    const FeatureList& districts = GetLayer(map, QStringLiteral("райони"))->features();
    double smallest = 1e300, largest = 0;
    std::map<QString, int> perZone;
    bool someNotFourSided = false;
    for (size_t i = 0; i < districts.size(); ++i) {
        EXPECT_EQ(FeatureValue(&*data, districts[i], "Raion"), QString::number(i + 1));
        ++perZone[FeatureValue(&*data, districts[i], "Zona")];
        const double area = FeatureArea(districts[i], map, AreaSquareMetre);
        smallest = std::min(smallest, area);
        largest = std::max(largest, area);
        someNotFourSided |= districts[i].pointCount(0) != 5;
    }
    EXPECT_TRUE(someNotFourSided);
    EXPECT_GT(largest / smallest, 1.1);
    EXPECT_EQ(perZone.size(), 3u);
    for (const auto& [zone, count] : perZone)
        EXPECT_GT(count, 0) << zone.toStdString();
}

// Each local-factor region lies inside one district, as the local-factor step expects of a
// region drawn along the streets.
TEST_F(Demo, LocalFactorRegionsKeepInsideOneDistrict) {
    const auto districts = GetLayerFeatures(map, QStringLiteral("райони"));
    for (const QString& name : demo::localLayers()) {
        const auto regions = GetLayerFeatures(map, name);
        ASSERT_EQ(regions->size(), 3u) << name.toStdString();
        for (const Feature& region : *regions) {
            int touched = 0;
            for (const Feature& d : *districts) {
                Feature part;
                if (FeatureFactory::intersect(region, d, part, nullptr) == GeometryResult::Ok &&
                    FeatureArea(part, map, AreaSquareMetre) > 1)
                    ++touched;
            }
            EXPECT_EQ(touched, 1) << name.toStdString();
        }
    }
}

// The same size gives the same map; other sizes keep their counts.
TEST(DemoLayers, AreDeterministicAndSizedAsAsked) {
    QTemporaryDir a, b;
    QString error;
    ASSERT_TRUE(WriteDemoLayers(a.path(), DemoSize{30, 90}, &error)) << error.toStdString();
    ASSERT_TRUE(WriteDemoLayers(b.path(), DemoSize{30, 90}, &error)) << error.toStdString();
    for (const char* file : {"райони.tab", "функціональне.map", "райони.map", "лок12.map"})
        EXPECT_EQ(ReadBytes(a.filePath(QString::fromUtf8(file))),
                  ReadBytes(b.filePath(QString::fromUtf8(file))))
            << file;
    for (const DemoSize& size :
         {DemoSize{1, 1}, DemoSize{2, 1}, DemoSize{7, 3}, DemoSize{30, 90}}) {
        QTemporaryDir dir;
        ASSERT_TRUE(WriteDemoLayers(dir.path(), size, &error)) << error.toStdString();
        MapDocument m;
        SetNumericCoordSys(m);
        for (const char* name : {"межі", "райони", "функціональне"})
            ASSERT_TRUE(AddLayer(m, dir.filePath(QString::fromUtf8(name) + ".tab"), true));
        EXPECT_EQ(GetLayer(m, QStringLiteral("райони"))->featureCount(), size.districts);
        EXPECT_EQ(GetLayer(m, QStringLiteral("функціональне"))->featureCount(), size.functional);
        const double whole = TotalArea(m, QStringLiteral("межі"));
        EXPECT_NEAR(TotalArea(m, QStringLiteral("райони")), whole, whole * 1e-5) << size.districts;
        EXPECT_NEAR(TotalArea(m, QStringLiteral("функціональне")), whole, whole * 1e-5)
            << size.districts;
    }
}

// What the functional-use step does: intersect every district with every functional
// region and add up the areas per code. The parts add up to the whole settlement.
TEST_F(Demo, OverlayOfFunctionalUseOnDistrictsAddsUpToTheBoundary) {
    const auto districts = GetLayerFeatures(map, QStringLiteral("райони"));
    const auto functional = GetLayerFeatures(map, QStringLiteral("функціональне"));
    const auto codes = GetLayerDataset(map, QStringLiteral("функціональне"));
    std::map<QString, double> byCode;
    double total = 0;
    for (const Feature& d : *districts) {
        for (const Feature& f : *functional) {
            Feature part;
            QString error;
            const GeometryResult r = FeatureFactory::intersect(d, f, part, &error);
            ASSERT_NE(r, GeometryResult::Failed) << error.toStdString();
            if (r == GeometryResult::Empty)
                continue;
            const double area = FeatureArea(part, map, AreaSquareMetre);
            byCode[FeatureValue(&*codes, f, "Code")] += area;
            total += area;
        }
    }
    const double boundary = TotalArea(map, QStringLiteral("межі"));
    EXPECT_NEAR(total, boundary, boundary * 1e-5);
    EXPECT_GT(byCode.size(), 5u);
}

// What the zonal steps do: empty "зони", rebuild each zone as the union of its districts
// with its values and style, and find it all again after reopening the file.
TEST_F(Demo, ZoneRebuildIsWrittenToTheZoneTable) {
    Layer* zones = GetLayer(map, QStringLiteral("зони"));
    Layer* districtLayer = GetLayer(map, QStringLiteral("райони"));
    const auto districtData = GetLayerDataset(map, QStringLiteral("райони"));
    const auto zoneData = GetLayerDataset(map, QStringLiteral("зони"));
    for (const Feature& f : zones->allFeatures())
        ASSERT_TRUE(zones->deleteFeature(f, nullptr));
    // Two zones: districts 1-6 and 7-12.
    std::optional<Feature> zone[2];
    double firstHalf = 0;
    for (Feature d : districtLayer->allFeatures()) {
        const int number = FeatureValue(&*districtData, d, "Raion").toInt();
        const int z = number <= 6 ? 0 : 1;
        if (z == 0)
            firstHalf += FeatureArea(d, map, AreaSquareMetre);
        ASSERT_TRUE(districtData->setValue(d, "Zona", QString::number(z + 1)));
        ASSERT_TRUE(districtLayer->updateFeature(d, nullptr));
        if (!zone[z]) {
            zone[z] = zones->addFeature(d, nullptr);
            ASSERT_TRUE(zone[z]);
            continue;
        }
        Feature merged;
        ASSERT_EQ(FeatureFactory::combine(*zone[z], d, merged, nullptr), GeometryResult::Ok);
        zone[z] = merged; // still the zone's object in its table
    }
    for (int z = 0; z < 2; ++z) {
        ASSERT_TRUE(zoneData->setValue(*zone[z], "Zona", QString::number(z + 1)));
        ASSERT_TRUE(zoneData->setValue(*zone[z], "Km2", z == 0 ? "1.35" : "0.85"));
        RegionStyle style;
        style.regionColor = 255;
        style.regionPattern = 2;
        zone[z]->setRegionStyle(style);
        QString error;
        ASSERT_TRUE(zones->updateFeature(*zone[z], &error)) << error.toStdString();
    }
    MapDocument reopened;
    Layer* back = AddLayer(reopened, dir.filePath(QStringLiteral("зони.tab")), true);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->featureCount(), 2);
    Dataset data(back);
    EXPECT_EQ(FeatureValue(&data, back->features()[1], "Km2"), "0.85");
    EXPECT_NEAR(FeatureArea(back->features()[0], reopened, AreaSquareMetre), firstHalf, 1);
    EXPECT_EQ(back->features()[0].regionStyle().regionColor, 255);
    Layer* districtsBack = AddLayer(reopened, dir.filePath(QStringLiteral("райони.tab")), true);
    Dataset dd(districtsBack);
    EXPECT_EQ(FeatureValue(&dd, districtsBack->features()[11], "Zona"), "2");
}

TEST(DemoProject, IsRegisteredOnceHoweverOftenItIsWritten) {
    if (!QFileInfo::exists(JoinPath(BuiltAppDir(), QStringLiteral("baza.sqlite"))))
        GTEST_SKIP() << "the program folder is not built";
    TempAppDir app(true);
    QString error;
    DemoSize small{4, 8};
    ASSERT_TRUE(WriteDemoProject(app.path(), small, &error)) << error.toStdString();
    ASSERT_TRUE(WriteDemoProject(app.path(), small, &error)) << error.toStdString();
    Connection c;
    ASSERT_TRUE(c.open(app.file(QStringLiteral("baza.sqlite"))));
    Query q(&c);
    ASSERT_TRUE(RunQuery(q,
                         QStringLiteral("SELECT * FROM projects WHERE named='%1' OR named='%2'")
                             .arg(demo::projectName(), demo::settlementName()),
                         true));
    // Kept relative to the projects root, so a copied program folder finds it.
    int ours = 0;
    for (q.first(); !q.eof(); q.next())
        ours += q.text(QStringLiteral("pathname")).startsWith(demo::projectName()) ? 1 : 0;
    EXPECT_EQ(ours, 2);
    const QString settlement = app.file(QStringLiteral("Проекти/Демонстраційний проект/") +
                                        SafeFileName(demo::settlementName()));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(settlement, QStringLiteral("райони.tab"))));

    // The land statement: owners from row 11, then the totals row, as the areas step reads
    // it; its total is the area inside the boundary and its columns add up.
    const SheetCells statement =
        ReadStatement(JoinPath(settlement, QStringLiteral("Склад земель.xlsx")));
    int totals = 10;
    while (!statement.text(totals + 1, 4).isEmpty())
        ++totals;
    ASSERT_EQ(totals, 16);
    EXPECT_EQ(statement.text(totals, 2), QStringLiteral("Разом"));
    MapDocument map;
    SetNumericCoordSys(map);
    ASSERT_TRUE(AddLayer(map, JoinPath(settlement, QStringLiteral("межі.tab")), true));
    const double hectares = TotalArea(map, QStringLiteral("межі")) / 10000;
    EXPECT_NEAR(statement.text(totals, 4).toDouble(), hectares, 0.00011);
    auto cell = [&statement](int row, int column) {
        return statement.text(row, column).toDouble();
    };
    for (int c = 4; c <= 74; ++c) {
        double sum = 0;
        for (int r = 11; r < totals; ++r)
            sum += cell(r, c);
        EXPECT_NEAR(sum, cell(totals, c), 1e-6) << c;
    }
    for (int r = 11; r <= totals; ++r) {
        // Each owner's total is the sum of its disjoint columns.
        const double parts = cell(r, 5) + cell(r, 23) + cell(r, 37) + cell(r, 38) + cell(r, 39) +
                             cell(r, 40) + cell(r, 44) + cell(r, 45) + cell(r, 46) + cell(r, 47) +
                             cell(r, 50) + cell(r, 52) + cell(r, 57) + cell(r, 65) + cell(r, 68) +
                             cell(r, 69) + cell(r, 74);
        EXPECT_NEAR(parts, cell(r, 4), 1e-6) << r;
        EXPECT_GE(cell(r, 5) + 1e-9, cell(r, 16) + cell(r, 17)) << r;
        EXPECT_GE(cell(r, 47) + 1e-9, cell(r, 49) + cell(r, 50)) << r;
        EXPECT_GE(cell(r, 57) + 1e-9, cell(r, 63) + cell(r, 64)) << r;
    }
    // The settlement's information carries the same total area.
    Connection db;
    ASSERT_TRUE(db.open(JoinPath(settlement, QStringLiteral("data.sqlite"))));
    Query facts(&db);
    ASSERT_TRUE(RunQuery(
        facts, QStringLiteral("SELECT * FROM показники WHERE показник='Загальна площа, га'"),
        true));
    EXPECT_EQ(facts.text(QStringLiteral("значення")), statement.text(totals, 4));
    EXPECT_FALSE(WriteDemoLayers(settlement, DemoSize{1000, 1}, &error));
}

} // namespace
