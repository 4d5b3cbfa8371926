#include "gis/PlaceLayers.h"
#include "tests/gis/SourceFiles.h"
#include "tests/map/MapTestUtil.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ogr_geometry.h>

namespace {

/**
 * Two districts side by side (1: x 0..100, 2: x 100..200, y 0..100) inside the boundary, a
 * factor 3 region over both (x 50..150, y 0..50) and a factor 12 region in district 2 only.
 */
class Place : public ::testing::Test {
protected:
    void SetUp() override {
        const QDir d(m_dir.path());
        WriteTable(d.filePath(QStringLiteral("межі.tab")), {QStringLiteral("Nazva")},
                   {{FeatureFactory::createRegion({{{0, 0}, {200, 0}, {200, 100}, {0, 100}}}),
                     {QStringLiteral("Село")}}});
        WriteTable(d.filePath(QStringLiteral("райони.tab")),
                   {QStringLiteral("Raion"), QStringLiteral("Zona")},
                   {{Square(0, 0, 100), {QStringLiteral("1"), QStringLiteral("1")}},
                    {Square(100, 0, 100), {QStringLiteral("2"), QStringLiteral("2")}}});
        WriteTable(d.filePath(QStringLiteral("лок03.tab")), {QStringLiteral("Km3")},
                   {{FeatureFactory::createRegion({{{50, 0}, {150, 0}, {150, 50}, {50, 50}}}),
                     {QStringLiteral("1.10")}}});
        WriteTable(d.filePath(QStringLiteral("лок12.tab")), {QStringLiteral("Km3")},
                   {{Square(160, 60, 30), {QStringLiteral("0.95")}}});
        QString error;
        ASSERT_TRUE(m_layers.load(m_dir.path(), &error)) << error.toStdString();
    }

    QTemporaryDir m_dir;
    PlaceLayers m_layers;
};

QStringList factorsOf(const std::vector<FactorHit>& hits) {
    QStringList out;
    for (const FactorHit& h : hits)
        out << QStringLiteral("%1=%2").arg(h.factor).arg(h.value);
    return out;
}

} // namespace

TEST_F(Place, APointFindsItsDistrictAndEveryFactorRegionOverIt) {
    PlaceHit hit = m_layers.at({120, 20});
    EXPECT_FALSE(hit.outsideBoundary);
    EXPECT_EQ(hit.district, QStringLiteral("2"));
    EXPECT_EQ(factorsOf(hit.factors), QStringList{QStringLiteral("3=1.10")});

    hit = m_layers.at({170, 70});
    EXPECT_EQ(factorsOf(hit.factors), QStringList{QStringLiteral("12=0.95")});
    hit = m_layers.at({10, 90});
    EXPECT_EQ(hit.district, QStringLiteral("1"));
    EXPECT_TRUE(hit.factors.empty());

    hit = m_layers.at({250, 50});
    EXPECT_TRUE(hit.outsideBoundary);
    EXPECT_TRUE(hit.district.isEmpty());
}

TEST_F(Place, APlotIsCutAlongDistrictsAndFactorRegions) {
    // x 40..160, y 20..80: 60 x 60 m in each district, the lower 30 m strip of x 50..150
    // under factor 3, and the corner x 160..190 of factor 12 only touched.
    std::unique_ptr<OGRGeometry> owned;
    const QString wkt = QStringLiteral("POLYGON ((40 20, 160 20, 160 80, 40 80, 40 20))");
    OGRGeometry* g = nullptr;
    ASSERT_EQ(OGRGeometryFactory::createFromWkt(wkt.toUtf8().constData(), nullptr, &g),
              OGRERR_NONE);
    owned.reset(g);
    const PlotSplit split = m_layers.split(*owned);
    EXPECT_DOUBLE_EQ(split.areaM2, 7200);
    EXPECT_DOUBLE_EQ(split.outsideM2, 0);
    EXPECT_DOUBLE_EQ(split.outsideBoundaryM2, 0);
    ASSERT_EQ(split.pieces.size(), 4u);
    QStringList pieces;
    for (const PlotPiece& p : split.pieces)
        pieces << QStringLiteral("%1 [%2] %3")
                      .arg(p.district, factorsOf(p.factors).join(u' '))
                      .arg(p.areaM2, 0, 'f', 3);
    pieces.sort();
    EXPECT_EQ(pieces, (QStringList{
                          QStringLiteral("1 [3=1.10] 1500.000"), QStringLiteral("1 [] 2100.000"),
                          QStringLiteral("2 [3=1.10] 1500.000"), QStringLiteral("2 [] 2100.000")}));

    // A plot reaching past the boundary and the districts says how much.
    ASSERT_EQ(OGRGeometryFactory::createFromWkt(
                  "POLYGON ((180 10, 220 10, 220 30, 180 30, 180 10))", nullptr, &g),
              OGRERR_NONE);
    owned.reset(g);
    const PlotSplit outside = m_layers.split(*owned);
    EXPECT_DOUBLE_EQ(outside.outsideM2, 400);
    EXPECT_DOUBLE_EQ(outside.outsideBoundaryM2, 400);
}

TEST(PlaceLayers, ASettlementWithoutDistrictsIsNamed) {
    QTemporaryDir dir;
    PlaceLayers layers;
    QString error;
    EXPECT_FALSE(layers.load(dir.path(), &error));
    EXPECT_EQ(error, QStringLiteral("У населеного пункту немає карти районів «райони»."));
}
