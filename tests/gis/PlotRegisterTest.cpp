// Plots read from the cadastre's exchange files (made by our generator) and from vector files.
#include "gis/PlotRegister.h"
#include "map/CoordinateSystems.h"
#include "tests/gis/ExchangeFiles.h"
#include "tests/gis/SourceFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ogr_geometry.h>

namespace {

double areaOf(const RegisterPlot& p) {
    return p.geometry ? p.geometry->toPolygon()->get_Area() : 0;
}

const RegisterPlot* find(const std::vector<RegisterPlot>& plots, const QString& cadastral) {
    for (const RegisterPlot& p : plots)
        if (p.cadastral == cadastral)
            return &p;
    return nullptr;
}

/** Every text a plot carries, for the check that no personal data came along. */
QString allTexts(const std::vector<RegisterPlot>& plots) {
    QStringList out;
    for (const RegisterPlot& p : plots)
        out << p.cadastral << p.purpose << p.address << p.source << p.reason << p.notes;
    return out.join(u'\n');
}

class Exchange : public ::testing::Test {
protected:
    QString write(const ExFile& file, const QString& name) {
        const QString path = QDir(m_dir.path()).filePath(name);
        WriteExchangeFile(path, file);
        return path;
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(Exchange, ParcelsAreAssembledFromSharedLinesWithHolesAndBrokenOnesAreNamed) {
    for (const bool cp1251 : {false, true}) {
        SCOPED_TRACE(cp1251 ? "windows-1251" : "UTF-8");
        ExFile file = SampleExchange(0, 0);
        file.cp1251 = cp1251;
        const QString path =
            write(file, cp1251 ? QStringLiteral("a1251.xml") : QStringLiteral("utf8.xml"));
        ASSERT_TRUE(IsExchangeFile(path));
        std::vector<RegisterPlot> plots;
        QString error;
        ASSERT_TRUE(ReadExchangePlots(path, {}, plots, &error)) << error.toStdString();
        ASSERT_EQ(plots.size(), 5u);

        const RegisterPlot* first = find(plots, QStringLiteral("1234567890:01:002:0001"));
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(first->reason.isEmpty()) << first->reason.toStdString();
        EXPECT_DOUBLE_EQ(areaOf(*first), 10000 - 400); // the hole is cut out
        EXPECT_EQ(first->geometry->toPolygon()->getNumInteriorRings(), 1);
        EXPECT_EQ(first->purpose, QStringLiteral("02.01"));
        EXPECT_DOUBLE_EQ(first->statedHa, 0.96);
        EXPECT_EQ(first->address, QStringLiteral("с. Демонстраційне, вул. Шевченка 12"));
        // X is the northing: the squares lie side by side along the easting.
        OGREnvelope e;
        first->geometry->getEnvelope(&e);
        EXPECT_EQ(e.MaxX, 100);
        EXPECT_EQ(e.MaxY, 100);

        const RegisterPlot* second = find(plots, QStringLiteral("1234567890:01:002:0002"));
        ASSERT_NE(second, nullptr);
        EXPECT_DOUBLE_EQ(areaOf(*second), 10000); // lines out of order, one backwards
        EXPECT_DOUBLE_EQ(second->statedHa, 1.0);  // "1,0000"
        EXPECT_EQ(second->address, QStringLiteral("с. Демонстраційне, вул. Їжакова 3а"));

        const RegisterPlot* missingLine = find(plots, QStringLiteral("1234567890:01:002:0003"));
        ASSERT_NE(missingLine, nullptr);
        EXPECT_FALSE(missingLine->geometry);
        EXPECT_TRUE(missingLine->reason.contains(QStringLiteral("лінії 42")))
            << missingLine->reason.toStdString();
        const RegisterPlot* brokenPoint = find(plots, QStringLiteral("1234567890:01:002:0004"));
        ASSERT_NE(brokenPoint, nullptr);
        EXPECT_FALSE(brokenPoint->geometry);
        EXPECT_TRUE(brokenPoint->reason.contains(QStringLiteral("точки 99")))
            << brokenPoint->reason.toStdString();

        const RegisterPlot* part = find(plots, QStringLiteral("1234567890:01:002:0005"));
        ASSERT_NE(part, nullptr);
        EXPECT_DOUBLE_EQ(areaOf(*part), 10000) << part->reason.toStdString();

        const QString texts = allTexts(plots);
        EXPECT_FALSE(texts.contains(ExOwnerName()));
        EXPECT_FALSE(texts.contains(ExOwnerTaxNumber()));
        EXPECT_FALSE(texts.contains(QStringLiteral("987654")));
    }
}

TEST_F(Exchange, TheFilesSystemIsMovedIntoTheSettlementsOrAskedFor) {
    QString settlement;
    ASSERT_TRUE(Crs::parse(QStringLiteral("EPSG:28405"), &settlement, nullptr));
    // Pulkovo 1942, zone 5 (the easting carries the zone number): the settlement's own system.
    ExFile sc42 = SampleExchange(5500000, 5400000);
    std::vector<RegisterPlot> plots;
    QString error;
    ASSERT_TRUE(
        ReadExchangePlots(write(sc42, QStringLiteral("sc42.xml")), {settlement, {}}, plots, &error))
        << error.toStdString();
    ASSERT_TRUE(plots[0].geometry);
    OGREnvelope e;
    plots[0].geometry->getEnvelope(&e);
    EXPECT_DOUBLE_EQ(e.MinX, 5400000);
    EXPECT_DOUBLE_EQ(e.MinY, 5500000);

    // UCS-2000 in 3-degree zone 10: moved into Pulkovo's zone 5, about the same area.
    ExFile usc = SampleExchange(5500000, 10400000);
    usc.system = QStringLiteral("USC2000");
    plots.clear();
    ASSERT_TRUE(
        ReadExchangePlots(write(usc, QStringLiteral("usc.xml")), {settlement, {}}, plots, &error))
        << error.toStdString();
    ASSERT_TRUE(plots[1].geometry) << plots[1].reason.toStdString();
    EXPECT_NEAR(areaOf(plots[1]), 10000, 10);
    plots[1].geometry->getEnvelope(&e);
    EXPECT_GT(e.MinX, 5000000); // now with zone 5's easting
    EXPECT_LT(e.MinX, 6000000);
    EXPECT_FALSE(plots[1].notes.isEmpty());

    // A local system the program cannot know: asked for, then taken from --crs.
    ExFile local = SampleExchange(5500000, 5400000);
    local.system = QStringLiteral("Local");
    const QString localPath = write(local, QStringLiteral("local.xml"));
    plots.clear();
    ASSERT_TRUE(ReadExchangePlots(localPath, {settlement, {}}, plots, &error));
    EXPECT_FALSE(plots[0].geometry);
    EXPECT_TRUE(plots[0].reason.contains(QStringLiteral("--crs"))) << plots[0].reason.toStdString();
    plots.clear();
    ASSERT_TRUE(ReadExchangePlots(localPath, {settlement, settlement}, plots, &error));
    EXPECT_TRUE(plots[0].geometry) << plots[0].reason.toStdString();
}

TEST_F(Exchange, AFolderIsReadWholeAndWhatCannotBeReadIsOneLineEach) {
    QDir(m_dir.path()).mkdir(QStringLiteral("files"));
    write(SampleExchange(0, 0), QStringLiteral("files/a.xml"));
    ExFile other = SampleExchange(0, 1000);
    other.quarter = QStringLiteral("3");
    other.cp1251 = true;
    write(other, QStringLiteral("files/b.xml"));
    QFile broken(QDir(m_dir.path()).filePath(QStringLiteral("broken.xml")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<UkrainianCadastralExchangeFile><InfoPart>");
    broken.close();

    std::vector<RegisterPlot> plots;
    ReadPlotSources({QDir(m_dir.path()).filePath(QStringLiteral("files")), broken.fileName(),
                     QDir(m_dir.path()).filePath(QStringLiteral("empty"))},
                    QString(), {}, {}, plots);
    ASSERT_EQ(plots.size(), 12u);
    int readable = 0;
    for (const RegisterPlot& p : plots) {
        readable += p.geometry ? 1 : 0;
        EXPECT_EQ(p.reason.count(u'\n'), 0);
        EXPECT_EQ(p.geometry == nullptr, !p.reason.isEmpty()) << p.source.toStdString();
    }
    EXPECT_EQ(readable, 6);
    EXPECT_TRUE(find(plots, QStringLiteral("1234567890:01:003:0002")));
    EXPECT_TRUE(plots[10].reason.contains(QStringLiteral("XML"))) << plots[10].reason.toStdString();
    EXPECT_EQ(plots[10].source, QStringLiteral("broken.xml"));
}

TEST(VectorPlots, GeoPackageAndShapefileFieldsAreMappedOrGuessed) {
    QTemporaryDir dir;
    const std::vector<TestField> fields = {{QStringLiteral("CADNUM"), QStringLiteral("text")},
                                           {QStringLiteral("KVCPZ"), QStringLiteral("text")},
                                           {QStringLiteral("AREA"), QStringLiteral("real")},
                                           {QStringLiteral("ADR"), QStringLiteral("text")}};
    const std::vector<TestObject> objects = {
        {SquareWkt(0, 0, 50),
         {QStringLiteral("1234567890:01:002:0007"), QStringLiteral("02.01"), QStringLiteral("0.25"),
          QStringLiteral("вул. Лісова, 4")}},
        {QStringLiteral("POLYGON ((0 0, 10 0, 20 0, 0 0))"),
         {QStringLiteral("1234567890:01:002:0008"), QStringLiteral("02.01"), QString(), QString()}},
        {QStringLiteral("POLYGON ((0 0, 10 10, 10 0, 0 10, 0 0))"),
         {QStringLiteral("1234567890:01:002:0009"), QStringLiteral("03.07"), QString(),
          QString()}}};
    for (const auto& [driver, name] :
         {std::pair{QStringLiteral("GPKG"), QStringLiteral("plots.gpkg")},
          std::pair{QStringLiteral("ESRI Shapefile"), QStringLiteral("plots.shp")}}) {
        SCOPED_TRACE(driver.toStdString());
        const QString path = QDir(dir.path()).filePath(name);
        WriteSourceFile(path, driver, QStringLiteral("plots"), QString(), fields, objects);
        std::vector<RegisterPlot> plots;
        QString error;
        PlotFields mapping;
        mapping.address = QStringLiteral("adr"); // the rest guessed
        ASSERT_TRUE(ReadVectorPlots(path, QString(), mapping, {}, plots, &error))
            << error.toStdString();
        ASSERT_EQ(plots.size(), 3u);
        EXPECT_EQ(plots[0].cadastral, QStringLiteral("1234567890:01:002:0007"));
        EXPECT_EQ(plots[0].purpose, QStringLiteral("02.01"));
        EXPECT_DOUBLE_EQ(plots[0].statedHa, 0.25);
        if (driver == QLatin1String("GPKG")) { // our test writer's Shapefile keeps Latin only
            EXPECT_EQ(plots[0].address, QStringLiteral("вул. Лісова, 4"));
        }
        EXPECT_DOUBLE_EQ(areaOf(plots[0]), 2500);
        EXPECT_FALSE(plots[1].geometry); // a flat ring has no area
        EXPECT_FALSE(plots[1].reason.isEmpty());
        EXPECT_TRUE(plots[2].geometry) << plots[2].reason.toStdString(); // a bow tie, repaired
        EXPECT_FALSE(plots[2].notes.isEmpty());

        // A field named that the file does not have is a wrong call, not blank plots.
        mapping.purpose = QStringLiteral("NOSUCH");
        plots.clear();
        EXPECT_FALSE(ReadVectorPlots(path, QString(), mapping, {}, plots, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("NOSUCH"))) << error.toStdString();
        EXPECT_TRUE(plots.empty());
    }
    PlotFields parsed;
    QString error;
    EXPECT_TRUE(ParsePlotField(QStringLiteral("area=S_HA"), parsed, &error));
    EXPECT_EQ(parsed.area, QStringLiteral("S_HA"));
    EXPECT_FALSE(ParsePlotField(QStringLiteral("owner=NAME"), parsed, &error));
}

TEST(VectorPlots, AFileInDegreesIsMovedIntoTheSettlementsSystemOrRefused) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("wgs.gpkg"));
    WriteSourceFile(path, QStringLiteral("GPKG"), QStringLiteral("plots"),
                    QStringLiteral("EPSG:4326"), {},
                    {{QStringLiteral("POLYGON ((27 50, 27.001 50, 27.001 50.001, 27 50.001, "
                                     "27 50))"),
                      {}}});
    QString settlement;
    ASSERT_TRUE(Crs::parse(QStringLiteral("EPSG:28405"), &settlement, nullptr));
    std::vector<RegisterPlot> plots;
    QString error;
    ASSERT_TRUE(ReadVectorPlots(path, QString(), {}, {settlement, {}}, plots, &error))
        << error.toStdString();
    ASSERT_EQ(plots.size(), 1u);
    ASSERT_TRUE(plots[0].geometry) << plots[0].reason.toStdString();
    OGREnvelope e;
    plots[0].geometry->getEnvelope(&e);
    EXPECT_NEAR(e.MinX, 5500000, 1000); // zone 5's central meridian is 27° E
    EXPECT_NEAR(areaOf(plots[0]), 71.6 * 111.2, 200);
    EXPECT_FALSE(plots[0].notes.isEmpty());

    // A settlement on the numeric plane cannot take degrees.
    plots.clear();
    ASSERT_TRUE(ReadVectorPlots(path, QString(), {}, {}, plots, &error));
    EXPECT_FALSE(plots[0].geometry);
    EXPECT_TRUE(plots[0].reason.contains(QStringLiteral("не в метрах")))
        << plots[0].reason.toStdString();
}
