#include "gis/LayerImport.h"
#include "gis/SettlementLayers.h"
#include "map/CoordinateSystems.h"
#include "map/TabFile.h"
#include "tests/gis/SourceFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** A settlement folder and a folder of sources, both temporary. */
class Import : public ::testing::Test {
protected:
    QString folder() const { return m_dir.filePath(QStringLiteral("село")); }
    QString source(const QString& name) const { return m_dir.filePath(name); }
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }

    /** Prepares and, when the layer can serve, writes it. */
    ImportResult run(ImportRequest request, bool replace = false) {
        request.folder = folder();
        ImportResult result;
        QString error;
        EXPECT_TRUE(PrepareImport(request, result, &error)) << error.toStdString();
        if (result.ok()) {
            EXPECT_TRUE(WriteImport(result, replace, m_dir.filePath(QStringLiteral("копії")),
                                    nullptr, &error))
                << error.toStdString();
        }
        return result;
    }

    static ImportRequest request(const QString& path, const QString& kind) {
        ImportRequest r;
        r.source = path;
        EXPECT_TRUE(ParseLayerTarget(kind, r.target, nullptr));
        return r;
    }

    TableContent readLayer(const QString& name) const {
        TableContent content;
        QString error;
        EXPECT_TRUE(TabFile::read(SettlementLayerPath(folder(), name), content, &error))
            << error.toStdString();
        return content;
    }

    static QStringList values(const TableContent& table, const QString& field) {
        QStringList out;
        for (const Feature& f : table.features) {
            QString v;
            f.value(field, &v);
            out << v;
        }
        return out;
    }

    /** Three districts of 100 m squares, numbered 1..3 in an integer field "NOMER". */
    static std::vector<TestObject> districts() {
        return {{SquareWkt(1000, 1000, 100), {QStringLiteral("1"), QStringLiteral("центр")}},
                {SquareWkt(1100, 1000, 100), {QStringLiteral("2"), QStringLiteral("схід")}},
                {SquareWkt(1000, 1100, 100), {QStringLiteral("3"), QStringLiteral("північ")}}};
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(Import, EveryFormatGdalWritesComesBackAsTheSameDistricts) {
    const std::vector<TestField> fields{{QStringLiteral("NOMER"), QStringLiteral("int")},
                                        {QStringLiteral("OPYS"), QStringLiteral("text")}};
    struct Format {
        const char* driver;
        const char* file;
        const char* crs;
        bool mif;
    };
    // The system of the first is the settlement's: the others in the same system (kept
    // exactly beside the table) are not moved. MapInfo keeps no name of it, so names none.
    for (const Format& format :
         {Format{"ESRI Shapefile", "r.shp", "EPSG:6384", false},
          Format{"GPKG", "r.gpkg", "EPSG:6384", false},
          Format{"GeoJSON", "r.geojson", "EPSG:6384", false},
          Format{"MapInfo File", "r.mif", "", true}, Format{"MapInfo File", "r.tab", "", false}}) {
        SCOPED_TRACE(format.driver);
        const QString path = source(QString::fromLatin1(format.file));
        WriteSourceFile(path, QString::fromLatin1(format.driver), QStringLiteral("r"),
                        QString::fromLatin1(format.crs), fields, districts(), format.mif);
        const ImportResult result = run(request(path, QStringLiteral("райони")), true);
        ASSERT_TRUE(result.ok()) << result.refusals.join(u'\n').toStdString();
        EXPECT_EQ(result.mapping.at(QStringLiteral("Raion")), QStringLiteral("NOMER"));
        const TableContent back = readLayer(QStringLiteral("райони"));
        ASSERT_EQ(back.features.size(), 3u);
        EXPECT_EQ(values(back, QStringLiteral("Raion")),
                  (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        EXPECT_NEAR(back.features[1].areaSquareMetres(), 10000, 0.5);
        EXPECT_NEAR(back.features[1].bounds().xMin, 1100, 0.01);
        QString wkt;
        ASSERT_TRUE(TabFile::coordinateSystem(
            SettlementLayerPath(folder(), QStringLiteral("райони")), &wkt, nullptr));
        EXPECT_EQ(Crs::code(wkt), QStringLiteral("EPSG:6384"));
    }
}

TEST_F(Import, ClosedPolylinesOfADrawingBecomeRegionsAndItsLayerNamesCanFillAField) {
    // CAD keeps no attributes: the drawing's layer names carry the land-use codes.
    const QString path = source(QStringLiteral("план.dxf"));
    WriteSourceFile(
        path, QStringLiteral("DXF"), QStringLiteral("entities"), QString(),
        {{QStringLiteral("Layer"), QStringLiteral("text")}},
        {{QStringLiteral("LINESTRING (0 0, 50 0, 50 40, 0 40, 0 0)"), {QStringLiteral("K")}},
         {QStringLiteral("LINESTRING (50 0, 90 0, 90 40, 50 40, 50 0)"), {QStringLiteral("P")}},
         {QStringLiteral("LINESTRING (0 50, 30 60)"), {QStringLiteral("P")}}});
    ImportRequest r = request(path, QStringLiteral("функціональне"));
    r.mapping[QStringLiteral("Code")] = QStringLiteral("Layer");
    const ImportResult result = run(r);
    ASSERT_TRUE(result.ok()) << result.refusals.join(u'\n').toStdString();
    const TableContent back = readLayer(QStringLiteral("функціональне"));
    ASSERT_EQ(back.features.size(), 2u);
    EXPECT_TRUE(back.features[0].isRegion());
    EXPECT_NEAR(back.features[0].areaSquareMetres(), 2000, 1e-6);
    EXPECT_EQ(values(back, QStringLiteral("Code")),
              (QStringList{QStringLiteral("K"), QStringLiteral("P")}));
    // The open line is named as left out; Latin codes are not the categories' letters.
    EXPECT_TRUE(result.warnings.join(u'\n').contains(QStringLiteral("без площі (точки, лінії): 3")))
        << result.warnings.join(u'\n').toStdString();
    EXPECT_TRUE(result.warnings.join(u'\n').contains(QStringLiteral("K, P")));
}

TEST_F(Import, DegreesAreReprojectedIntoTheSettlementsSystem) {
    // A point on the central meridian of UTM zone 36 at 50° N: x 500000, y 5538630.7.
    const QString geo = source(QStringLiteral("межі.geojson"));
    const double side = 0.001;
    WriteSourceFile(geo, QStringLiteral("GeoJSON"), QStringLiteral("b"),
                    QStringLiteral("EPSG:4326"), {{QStringLiteral("name"), QStringLiteral("text")}},
                    {{SquareWkt(33, 50, side), {QStringLiteral("Село")}}});

    // Without a system of its own the settlement cannot take degrees.
    ImportResult refused = run(request(geo, QStringLiteral("межі")));
    ASSERT_EQ(refused.refusals.size(), 1);
    EXPECT_TRUE(refused.refusals[0].contains(QStringLiteral("вкажіть її")))
        << refused.refusals[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(SettlementLayerPath(folder(), QStringLiteral("межі"))));

    ImportRequest asked = request(geo, QStringLiteral("межі"));
    asked.crs = QStringLiteral("EPSG:32636");
    ImportResult result = run(asked);
    ASSERT_TRUE(result.ok()) << result.refusals.join(u'\n').toStdString();
    EXPECT_EQ(result.mapping.at(QStringLiteral("Nazva")), QStringLiteral("name"));
    TableContent back = readLayer(QStringLiteral("межі"));
    ASSERT_EQ(back.features.size(), 1u);
    EXPECT_NEAR(back.features[0].bounds().xMin, 500000, 0.05);
    EXPECT_NEAR(back.features[0].bounds().yMin, 5538630.7, 1.0);
    EXPECT_EQ(Crs::code(SettlementCrs(folder())), QStringLiteral("EPSG:32636"));

    // The next layer in degrees follows the settlement's system without being asked.
    const QString zones = source(QStringLiteral("зони.gpkg"));
    WriteSourceFile(zones, QStringLiteral("GPKG"), QStringLiteral("z"), QStringLiteral("EPSG:4326"),
                    {{QStringLiteral("ZONE"), QStringLiteral("int")}},
                    {{SquareWkt(33, 50, side), {QStringLiteral("1")}}});
    result = run(request(zones, QStringLiteral("зони")));
    ASSERT_TRUE(result.ok()) << result.refusals.join(u'\n').toStdString();
    back = readLayer(QStringLiteral("зони"));
    EXPECT_NEAR(back.features[0].bounds().xMin, 500000, 0.05);
    // KML, in degrees by definition, the same way; its own fields (Name, Description...)
    // stand beside the source's.
    const QString kml = source(QStringLiteral("функціональне.kml"));
    WriteSourceFile(kml, QStringLiteral("KML"), QStringLiteral("f"), QStringLiteral("EPSG:4326"),
                    {{QStringLiteral("Code"), QStringLiteral("text")}},
                    {{SquareWkt(33, 50, side), {QStringLiteral("Ж")}}});
    result = run(request(kml, QStringLiteral("функціональне")));
    ASSERT_TRUE(result.ok()) << result.refusals.join(u'\n').toStdString();
    back = readLayer(QStringLiteral("функціональне"));
    ASSERT_EQ(back.features.size(), 1u);
    EXPECT_EQ(values(back, QStringLiteral("Code")), QStringList{QStringLiteral("Ж")});
    EXPECT_NEAR(back.features[0].bounds().xMin, 500000, 0.05);
    EXPECT_NEAR(back.features[0].areaSquareMetres(), 71.6 * 111.2, 200);
    // A different system for a settlement that has one is refused.
    ImportRequest other = request(zones, QStringLiteral("зони"));
    other.crs = QStringLiteral("EPSG:6384");
    EXPECT_EQ(run(other, true).refusals.size(), 1);
}

TEST_F(Import, FieldsAreGuessedByNameAndTypeAndCanBeGivenOrRefused) {
    const QString path = source(QStringLiteral("лок.shp"));
    WriteSourceFile(path, QStringLiteral("ESRI Shapefile"), QStringLiteral("l"), QString(),
                    {{QStringLiteral("ID"), QStringLiteral("int")},
                     {QStringLiteral("VAL"), QStringLiteral("real")}},
                    {{SquareWkt(0, 0, 10), {QStringLiteral("1"), QStringLiteral("1.05")}}});
    // "Km3" has no namesake: the only real field fills it.
    ImportResult result = run(request(path, QStringLiteral("лок 7")));
    ASSERT_TRUE(result.ok()) << result.refusals.join(u'\n').toStdString();
    EXPECT_EQ(result.mapping.at(QStringLiteral("Km3")), QStringLiteral("VAL"));
    EXPECT_TRUE(QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("лок07.tab"))));
    EXPECT_EQ(values(readLayer(QStringLiteral("лок07")), QStringLiteral("Km3")),
              QStringList{QStringLiteral("1.05")});

    ImportRequest wrong = request(path, QStringLiteral("лок07"));
    wrong.mapping[QStringLiteral("km3")] = QStringLiteral("id"); // letter case ignored
    wrong.mapping[QStringLiteral("Raion")] = QStringLiteral("ID");
    wrong.mapping[QStringLiteral("Km3")] = QStringLiteral("ID");
    result = run(wrong, true);
    EXPECT_EQ(result.refusals,
              QStringList{QStringLiteral("Шар «лок» не має поля «Raion» (є: Km3).")});

    ImportRequest missing = request(path, QStringLiteral("зони"));
    missing.mapping[QStringLiteral("Zona")] = QStringLiteral("NOMER");
    result = run(missing);
    ASSERT_EQ(result.refusals.size(), 1);
    EXPECT_TRUE(result.refusals[0].startsWith(QStringLiteral("У джерелі немає поля «NOMER»")));
    EXPECT_FALSE(QFileInfo::exists(SettlementLayerPath(folder(), QStringLiteral("зони"))));
}

TEST_F(Import, WhatCannotServeIsRefusedLineByLineAndNothingIsWritten) {
    const std::vector<TestField> fields{{QStringLiteral("Raion"), QStringLiteral("text")}};
    const QString points = source(QStringLiteral("точки.geojson"));
    WriteSourceFile(points, QStringLiteral("GeoJSON"), QStringLiteral("p"), QString(), fields,
                    {{QStringLiteral("POINT (1 1)"), {QStringLiteral("1")}}});
    ImportResult result = run(request(points, QStringLiteral("райони")));
    // GeoJSON is in degrees, which the settlement cannot take yet: both reasons are told.
    ASSERT_EQ(result.refusals.size(), 2);
    EXPECT_TRUE(result.refusals[0].contains(QStringLiteral("вкажіть її")));
    EXPECT_TRUE(result.refusals[1].contains(QStringLiteral("немає жодного полігону")));

    const QString bad = source(QStringLiteral("райони.gpkg")); // no system: metres as they are
    WriteSourceFile(bad, QStringLiteral("GPKG"), QStringLiteral("r"), QString(), fields,
                    {{SquareWkt(0, 0, 10), {QStringLiteral("12.5")}},
                     {SquareWkt(10, 0, 10), {QStringLiteral("4")}},
                     {SquareWkt(20, 0, 10), {QStringLiteral("004")}},
                     {SquareWkt(30, 0, 10), {QString()}},
                     {SquareWkt(40, 0, 10), {QStringLiteral("7.0")}}});
    result = run(request(bad, QStringLiteral("райони")));
    EXPECT_EQ(
        result.refusals,
        (QStringList{QStringLiteral("Об'єкт 1: номер району «12.5» не є цілим додатним числом."),
                     QStringLiteral("Номер району 4 повторюється: об'єкти 2 і 3."),
                     QStringLiteral("Об'єкт 4: немає значення «Raion» (номер району).")}));
    EXPECT_TRUE(result.features.empty());
    EXPECT_FALSE(QFileInfo::exists(SettlementLayerPath(folder(), QStringLiteral("райони"))));

    const QString factors = source(QStringLiteral("лок.gpkg"));
    WriteSourceFile(factors, QStringLiteral("GPKG"), QStringLiteral("l"), QString(),
                    {{QStringLiteral("Km3"), QStringLiteral("text")}},
                    {{SquareWkt(0, 0, 10), {QStringLiteral("0")}},
                     {SquareWkt(10, 0, 10), {QStringLiteral("1,05")}},
                     {SquareWkt(20, 0, 10), {QStringLiteral("висока")}}});
    result = run(request(factors, QStringLiteral("лок01")));
    EXPECT_EQ(
        result.refusals,
        (QStringList{QStringLiteral("Об'єкт 1: коефіцієнт фактора «0» має бути більшим за 0."),
                     QStringLiteral("Об'єкт 3: коефіцієнт фактора «висока» не є числом.")}));
}

TEST_F(Import, AnInvalidRegionIsRepairedAndNamedAndAReplacementKeepsACopy) {
    const QString path = source(QStringLiteral("зони.shp"));
    const std::vector<TestField> fields{{QStringLiteral("ZONA"), QStringLiteral("int")},
                                        {QStringLiteral("KM2"), QStringLiteral("real")}};
    WriteSourceFile(path, QStringLiteral("ESRI Shapefile"), QStringLiteral("z"), QString(), fields,
                    {{SquareWkt(0, 0, 10), {QStringLiteral("1"), QStringLiteral("1.2")}},
                     // A bow tie: its ring crosses itself.
                     {QStringLiteral("POLYGON ((20 0, 30 10, 30 0, 20 10, 20 0))"),
                      {QStringLiteral("2"), QStringLiteral("0.9")}}});
    ImportResult result = run(request(path, QStringLiteral("зони")));
    ASSERT_TRUE(result.ok()) << result.refusals.join(u'\n').toStdString();
    EXPECT_EQ(result.warnings,
              QStringList{QStringLiteral("Виправлено геометрію: об'єкт 2 (самоперетин у точці "
                                         "(25; 5)).")});
    TableContent back = readLayer(QStringLiteral("зони"));
    ASSERT_EQ(back.features.size(), 2u);
    EXPECT_NEAR(back.features[1].areaSquareMetres(), 50, 1e-6);
    EXPECT_EQ(values(back, QStringLiteral("Km2")),
              (QStringList{QStringLiteral("1.2"), QStringLiteral("0.9")}));

    // The layer is there now: it is replaced only when asked, after a copy of its files.
    WriteSourceFile(source(QStringLiteral("нові.shp")), QStringLiteral("ESRI Shapefile"),
                    QStringLiteral("z"), QString(), fields,
                    {{SquareWkt(0, 0, 20), {QStringLiteral("5"), QString()}}});
    ImportRequest again = request(source(QStringLiteral("нові.shp")), QStringLiteral("зони"));
    again.folder = folder();
    QString error, copied;
    ASSERT_TRUE(PrepareImport(again, result, &error));
    EXPECT_TRUE(result.exists);
    EXPECT_FALSE(
        WriteImport(result, false, m_dir.filePath(QStringLiteral("копії")), &copied, &error));
    EXPECT_EQ(readLayer(QStringLiteral("зони")).features.size(), 2u);
    // What a copy killed midway left: never a copy, removed by the next one.
    const QString copies = m_dir.filePath(QStringLiteral("копії"));
    const QString cut = QDir(copies).filePath(QStringLiteral(".~зони 2001-01-01 00-00-00"));
    ASSERT_TRUE(QDir().mkpath(cut));
    ASSERT_TRUE(QFile::copy(SettlementLayerPath(folder(), QStringLiteral("зони")),
                            QDir(cut).filePath(QStringLiteral("зони.tab"))));
    ASSERT_TRUE(WriteImport(result, true, copies, &copied, &error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(cut));
    EXPECT_EQ(QDir(copies).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QFileInfo(copied).fileName()});
    EXPECT_EQ(values(readLayer(QStringLiteral("зони")), QStringLiteral("Zona")),
              QStringList{QStringLiteral("5")});
    TableContent old;
    ASSERT_TRUE(TabFile::read(QDir(copied).filePath(QStringLiteral("зони.tab")), old, &error));
    EXPECT_EQ(old.features.size(), 2u);
}

TEST(LayerKinds, KindsAreReadAsTypedAndNamedAsTheirFiles) {
    LayerTarget t;
    ASSERT_TRUE(ParseLayerTarget(QStringLiteral(" Райони "), t, nullptr));
    EXPECT_EQ(t.kind, LayerKind::Districts);
    ASSERT_TRUE(ParseLayerTarget(QStringLiteral("ґрунти"), t, nullptr));
    EXPECT_EQ(LayerFileBase(t), QStringLiteral("грунти"));
    ASSERT_TRUE(ParseLayerTarget(QStringLiteral("лок5"), t, nullptr));
    EXPECT_EQ(LayerFileBase(t), QStringLiteral("лок05"));
    QString error;
    EXPECT_FALSE(ParseLayerTarget(QStringLiteral("лок0"), t, &error));
    EXPECT_FALSE(ParseLayerTarget(QStringLiteral("квартали"), t, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Невідомий вид шару \"квартали\"")));
    EXPECT_EQ(LayerTargetOf(QStringLiteral("лок12"))->factor, 12);
    EXPECT_EQ(LayerTargetOf(QStringLiteral("лок7"))->factor, 7);
    EXPECT_FALSE(LayerTargetOf(QStringLiteral("підписи")).has_value());
}
