#include "MapTestUtil.h"

#include "map/ConvexClip.h"
#include "map/FeatureFactory.h"
#include "map/Overlay.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>
#include <ogr_geometry.h>

namespace {

// A star-shaped polygon around (cx, cy): simple, often concave, sometimes with a hole. Its
// angles step by less than half a turn, so the centre is inside.
Feature RandomRegion(QRandomGenerator& rng, double cx, double cy, double radius) {
    const int n = 3 + rng.bounded(9);
    const bool hole = n >= 6 && rng.bounded(3) == 0;
    std::vector<QPointF> outer;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * (i + rng.generateDouble() * 0.8) / n;
        // With a hole, vertices stay far enough out for the ring to hold it.
        const double r =
            radius * (hole ? 0.5 + 0.5 * rng.generateDouble() : 0.3 + 0.7 * rng.generateDouble());
        outer.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    std::vector<std::vector<QPointF>> rings{outer};
    if (hole) {
        const double h = radius * 0.1;
        rings.push_back({{cx - h, cy - h}, {cx + h, cy - h}, {cx + h, cy + h}, {cx - h, cy + h}});
    }
    return FeatureFactory::createRegion(rings);
}

// A rectangle turned by a random angle: convex, so the overlay clips against it.
Feature RandomRectangle(QRandomGenerator& rng, double cx, double cy, double size) {
    const double a = rng.generateDouble() * std::numbers::pi;
    const double w = size * (0.3 + rng.generateDouble()), h = size * (0.3 + rng.generateDouble());
    const double c = std::cos(a), s = std::sin(a);
    std::vector<QPointF> ring;
    for (const auto& [u, v] : {std::pair{-w, -h}, {w, -h}, {w, h}, {-w, h}})
        ring.emplace_back(cx + u * c - v * s, cy + u * s + v * c);
    return FeatureFactory::createRegion({ring});
}

// Two separate squares as one object.
Feature TwoPartRegion(double x, double y, double side) {
    auto multi = std::make_unique<OGRMultiPolygon>();
    for (const double dx : {0.0, 3 * side}) {
        OGRLinearRing ring;
        ring.addPoint(x + dx, y);
        ring.addPoint(x + dx + side, y);
        ring.addPoint(x + dx + side, y + side);
        ring.addPoint(x + dx, y + side);
        ring.closeRings();
        OGRPolygon polygon;
        polygon.addRing(&ring);
        multi->addGeometry(&polygon);
    }
    Feature f;
    f.setGeometry(std::make_shared<const Geometry>(std::move(multi)));
    return f;
}

std::unique_ptr<Layer> WriteAndOpen(const QTemporaryDir& dir, const QString& name,
                                    const std::vector<std::pair<Feature, QStringList>>& items) {
    const QString path = dir.filePath(name + ".tab");
    WriteTable(path, {"Code"}, items);
    QString error;
    auto layer = OpenOverlayLayer(path, &error);
    EXPECT_TRUE(layer) << error.toStdString();
    return layer;
}

// Every pair tried the slow way, in the same order as the engine reports them.
std::vector<OverlayPair> AllPairs(const Layer& base, const std::vector<const Layer*>& layers,
                                  OverlayTest test) {
    std::vector<OverlayPair> out;
    for (size_t b = 0; b < base.features().size(); ++b) {
        const Feature& d = base.features()[b];
        for (size_t l = 0; l < layers.size(); ++l) {
            for (size_t r = 0; r < layers[l]->features().size(); ++r) {
                const Feature& f = layers[l]->features()[r];
                if (!d.isRegion() || !f.isRegion())
                    continue;
                OverlayPair pair{static_cast<int>(b), static_cast<int>(l), static_cast<int>(r)};
                if (test == OverlayTest::Touch) {
                    if (d.geometry()->ogr()->Intersects(f.geometry()->ogr()))
                        out.push_back(pair);
                    continue;
                }
                Feature part;
                if (FeatureFactory::intersect(d, f, part, nullptr) != GeometryResult::Ok)
                    continue;
                if (test == OverlayTest::Area) {
                    pair.area = part.areaSquareMetres();
                    if (!(pair.area > 0))
                        continue;
                }
                out.push_back(pair);
            }
        }
    }
    return out;
}

void ExpectSamePairs(const std::vector<OverlayPair>& got, const std::vector<OverlayPair>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].base, want[i].base) << i;
        EXPECT_EQ(got[i].layer, want[i].layer) << i;
        EXPECT_EQ(got[i].region, want[i].region) << i;
        EXPECT_NEAR(got[i].area, want[i].area, 1e-6 * std::max(1.0, want[i].area)) << i;
    }
}

// Random districts under two random overlay layers (with holes, a two-part region, objects
// that are not regions): the index and prepared tests give exactly the all-pairs result.
TEST(Overlay, MatchesAllPairsOnRandomPolygons) {
    QTemporaryDir dir;
    QRandomGenerator rng(20260214);
    std::vector<std::pair<Feature, QStringList>> districts, first, second;
    for (int i = 0; i < 40; ++i) {
        const double x = rng.bounded(1000.0), y = rng.bounded(1000.0);
        districts.push_back(
            {i % 3 == 0 ? RandomRectangle(rng, x, y, 100) : RandomRegion(rng, x, y, 120),
             {QString::number(i + 1)}});
    }
    for (int i = 0; i < 250; ++i) {
        const double x = rng.bounded(1000.0), y = rng.bounded(1000.0);
        first.push_back({i % 2 == 0 ? RandomRectangle(rng, x, y, 30) : RandomRegion(rng, x, y, 40),
                         {QStringLiteral("Ж")}});
    }
    // Squares on a grid sharing edges with each other and with a square district: contact
    // that clipping alone cannot tell from overlap.
    for (int i = 0; i < 16; ++i)
        first.push_back({Square(600 + (i % 4) * 25, 600 + (i / 4) * 25, 25), {"К"}});
    districts.push_back({Square(625, 625, 50), {"41"}});
    for (int i = 0; i < 60; ++i)
        second.push_back({RandomRegion(rng, rng.bounded(1000.0), rng.bounded(1000.0), 200),
                          {QStringLiteral("1.05")}});
    second.push_back({TwoPartRegion(100, 100, 60), {"0.95"}});
    second.push_back(
        {FeatureFactory::createText(MapDocument(), {500, 500}, "t", TextStyle{}), {"1.10"}});
    const auto base = WriteAndOpen(dir, QStringLiteral("райони"), districts);
    const auto a = WriteAndOpen(dir, QStringLiteral("функціональне"), first);
    const auto b = WriteAndOpen(dir, QStringLiteral("лок07"), second);
    ASSERT_TRUE(base && a && b);
    EXPECT_EQ(base->name(), QStringLiteral("райони"));
    const std::vector<const Layer*> layers{a.get(), b.get()};

    for (const OverlayTest test : {OverlayTest::Area, OverlayTest::Overlap, OverlayTest::Touch}) {
        SCOPED_TRACE(static_cast<int>(test));
        OverlayStats stats;
        const auto got = OverlayPairs(*base, layers, test, &stats);
        const auto want = AllPairs(*base, layers, test);
        ExpectSamePairs(got, want);
        EXPECT_EQ(stats.failed, 0);
        EXPECT_EQ(stats.pairs, static_cast<qint64>(got.size()));
        EXPECT_GT(got.size(), 100u);
        // The index spares most of the 41 x 328 pairs.
        EXPECT_LT(stats.candidates, 41 * 328 / 4);
    }
}

// The cases the steps rely on, with known answers.
TEST(Overlay, SharedEdgesHolesAndRegionsOverTwoDistricts) {
    QTemporaryDir dir;
    // Two districts side by side; the second has a hole (40..60)^2 + (100, 0).
    Feature withHole = FeatureFactory::createRegion({{{100, 0}, {200, 0}, {200, 100}, {100, 100}},
                                                     {{140, 40}, {160, 40}, {160, 60}, {140, 60}}});
    const auto districts = WriteAndOpen(dir, "d", {{Square(0, 0, 100), {"1"}}, {withHole, {"2"}}});
    const auto regions = WriteAndOpen(dir, "r",
                                      {
                                          {Square(50, 10, 100), {"across both"}}, // 0
                                          {Square(0, 100, 100), {"edge of 1"}},   // 1
                                          {Square(145, 45, 10), {"in the hole"}}, // 2
                                          {Square(140, 40, 20), {"fills hole"}},  // 3
                                          {Square(-50, -50, 300), {"covers all"}} // 4
                                      });
    ASSERT_TRUE(districts && regions);
    const std::vector<const Layer*> layers{regions.get()};

    const auto areas = OverlayPairs(*districts, layers, OverlayTest::Area);
    ASSERT_EQ(areas.size(), 4u);
    // District 1: half of the straddling square, and all of itself under the big one.
    EXPECT_EQ(areas[0].base, 0);
    EXPECT_EQ(areas[0].region, 0);
    EXPECT_DOUBLE_EQ(areas[0].area, 50 * 90);
    EXPECT_EQ(areas[1].region, 4);
    EXPECT_DOUBLE_EQ(areas[1].area, 100 * 100);
    // District 2: the other half less nothing (the hole is above y = 40 and inside x 140..160:
    // the square 100..150 x 10..110 meets the hole on 140..150 x 40..60).
    EXPECT_EQ(areas[2].base, 1);
    EXPECT_EQ(areas[2].region, 0);
    EXPECT_NEAR(areas[2].area, 50 * 90 - 10 * 20, 1e-9);
    EXPECT_EQ(areas[3].region, 4);
    EXPECT_NEAR(areas[3].area, 100 * 100 - 20 * 20, 1e-9);

    auto regionsOf = [](const std::vector<OverlayPair>& pairs, int base) {
        std::vector<int> out;
        for (const OverlayPair& p : pairs)
            if (p.base == base)
                out.push_back(p.region);
        return out;
    };
    const auto overlaps = OverlayPairs(*districts, layers, OverlayTest::Overlap);
    EXPECT_EQ(regionsOf(overlaps, 0), (std::vector<int>{0, 4}));
    EXPECT_EQ(regionsOf(overlaps, 1), (std::vector<int>{0, 4}));
    // Contact counts only for Touch: the square on district 1's edge, the one filling the hole.
    const auto touches = OverlayPairs(*districts, layers, OverlayTest::Touch);
    EXPECT_EQ(regionsOf(touches, 0), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(regionsOf(touches, 1), (std::vector<int>{0, 1, 3, 4}));
}

// What a step's accumulator sees: both objects with their values, pair by pair.
TEST(Overlay, VisitorGetsBothObjectsInLoopOrder) {
    QTemporaryDir dir;
    const auto districts =
        WriteAndOpen(dir, "d", {{Square(0, 0, 100), {"1"}}, {Square(100, 0, 100), {"2"}}});
    const auto k1 = WriteAndOpen(dir, "k1", {{Square(90, 0, 20), {"1.10"}}});
    const auto k2 = WriteAndOpen(dir, "k2", {{Square(10, 10, 10), {"0.95"}}});
    ASSERT_TRUE(districts && k1 && k2);
    QStringList seen;
    const OverlayStats stats =
        Overlay(*districts, {k1.get(), k2.get()}, OverlayTest::Overlap,
                [&seen](const OverlayPair& p, const Feature& district, const Feature& region) {
                    QString d, v;
                    district.value("Code", &d);
                    region.value("code", &v);
                    seen << QStringLiteral("%1:%2:%3").arg(d).arg(p.layer).arg(v);
                });
    EXPECT_EQ(seen, (QStringList{"1:0:1.10", "1:1:0.95", "2:0:1.10"}));
    EXPECT_EQ(stats.pairs, 3);
    // An empty list of layers or an empty base gives nothing.
    EXPECT_TRUE(OverlayPairs(*districts, {}, OverlayTest::Area).empty());
    EXPECT_EQ(OpenOverlayLayer(dir.filePath("missing.tab"), nullptr), nullptr);
}

// A region drawn crossing itself (a bow-tie) and a district with a loose hole are measured
// in their repaired form: the pair gets the area the repair encloses, the repair is named
// with its layer, object number and place; the files stay as they were.
TEST(Overlay, InvalidRegionsAreRepairedAndNamed) {
    QTemporaryDir dir;
    // Two triangles of 25 m² meeting at (5, 5).
    const Feature bowTie = FeatureFactory::createRegion({{{0, 0}, {10, 10}, {10, 0}, {0, 10}}});
    // A square with a "hole" lying outside it.
    const Feature looseHole = FeatureFactory::createRegion(
        {{{20, 0}, {30, 0}, {30, 10}, {20, 10}}, {{40, 2}, {42, 2}, {42, 4}, {40, 4}}});
    const auto districts = WriteAndOpen(
        dir, "d", {{Square(0, 0, 10), {"1"}}, {Square(-5, -5, 10), {"2"}}, {looseHole, {"3"}}});
    const auto functional = WriteAndOpen(dir, "f", {{bowTie, {"Ж"}}, {Square(20, 0, 5), {"Г"}}});
    ASSERT_TRUE(districts && functional);
    OverlayStats stats;
    const auto pairs = OverlayPairs(*districts, {functional.get()}, OverlayTest::Area, &stats);
    EXPECT_EQ(stats.failed, 0);
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_NEAR(pairs[0].area, 50, 1e-6);   // the whole bow-tie in district 1
    EXPECT_NEAR(pairs[1].area, 12.5, 1e-6); // its lower half of the lower triangle in 2
    EXPECT_NEAR(pairs[2].area, 25, 1e-6);   // the square in district 3, hole dropped
    ASSERT_EQ(stats.repairs.size(), 2u);
    EXPECT_EQ(stats.repairs[0].layer, QStringLiteral("f"));
    EXPECT_EQ(stats.repairs[0].fid, functional->features()[0].fid());
    EXPECT_EQ(stats.repairs[0].reason, QStringLiteral("самоперетин у точці (5; 5)"));
    EXPECT_EQ(stats.repairs[1].layer, QStringLiteral("d"));
    EXPECT_EQ(stats.repairs[1].fid, districts->features()[2].fid());
    const QString text = OverlayRepairsText(stats.repairs);
    EXPECT_TRUE(text.contains(QStringLiteral("шар \"f\", об'єкт № 1: самоперетин у точці (5; 5)")))
        << text.toStdString();
    EXPECT_TRUE(OverlayRepairsText({}).isEmpty());
}

// The progress is told between base objects and may stop the run: nothing more is visited
// and the stats say it stopped; a run to its end is told its end.
TEST(Overlay, ProgressCanStopTheRun) {
    QTemporaryDir dir;
    const auto districts = WriteAndOpen(
        dir, "d",
        {{Square(0, 0, 10), {"1"}}, {Square(10, 0, 10), {"2"}}, {Square(20, 0, 10), {"3"}}});
    const auto functional = WriteAndOpen(dir, "f", {{Square(5, 5, 20), {"Ж"}}});
    ASSERT_TRUE(districts && functional);
    std::vector<std::pair<qint64, qint64>> told;
    int visited = 0;
    auto visit = [&visited](const OverlayPair&, const Feature&, const Feature&) { ++visited; };
    OverlayStats stats = Overlay(*districts, {functional.get()}, OverlayTest::Area, visit,
                                 [&told](qint64 done, qint64 total) {
                                     told.emplace_back(done, total);
                                     return done < 1;
                                 });
    EXPECT_TRUE(stats.stopped);
    EXPECT_EQ(visited, 1);
    EXPECT_EQ(told.back(), std::make_pair(qint64(1), qint64(3)));
    told.clear();
    visited = 0;
    stats = Overlay(*districts, {functional.get()}, OverlayTest::Area, visit,
                    [&told](qint64 done, qint64 total) {
                        told.emplace_back(done, total);
                        return true;
                    });
    EXPECT_FALSE(stats.stopped);
    EXPECT_EQ(visited, 3);
    EXPECT_EQ(told.back(), std::make_pair(qint64(3), qint64(3)));
}

} // namespace

namespace {

// Only a simple convex ring is clipped against: a pentagram turns one way at every corner
// but goes round twice; dents and holes are left to GEOS.
TEST(ConvexClip, KnowsConvexRingsAndClipsHoles) {
    std::vector<QPointF> star;
    for (int i = 0; i < 5; ++i) {
        const double a = std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        star.emplace_back(100 * std::cos(a), 100 * std::sin(a));
    }
    const Feature pentagram = FeatureFactory::createRegion({star});
    const Feature ell =
        FeatureFactory::createRegion({{{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}}});
    const Feature clockwise = FeatureFactory::createRegion({{{0, 0}, {0, 10}, {10, 10}, {10, 0}}});
    const Feature straightOn =
        FeatureFactory::createRegion({{{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}});
    const Feature holed = FeatureFactory::createRegion(
        {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{2, 2}, {4, 2}, {4, 4}, {2, 4}}});
    EXPECT_FALSE(ConvexRingOf(pentagram.geometry()->ogr()));
    EXPECT_FALSE(ConvexRingOf(ell.geometry()->ogr()));
    EXPECT_FALSE(ConvexRingOf(holed.geometry()->ogr()));
    ASSERT_TRUE(ConvexRingOf(straightOn.geometry()->ogr()));
    const auto ring = ConvexRingOf(clockwise.geometry()->ogr());
    ASSERT_TRUE(ring);
    EXPECT_DOUBLE_EQ(ring->area, 100);
    // The holed square over the clockwise one: 100 less the 4 of the hole.
    EXPECT_DOUBLE_EQ(ClippedArea(holed.geometry()->ogr(), *ring), 96);
    // Half of the L lies in the square (0..10 x 0..10).
    EXPECT_DOUBLE_EQ(ClippedArea(ell.geometry()->ogr(), *ring), 100);
    const auto shifted = ConvexRingOf(Square(5, 5, 10).geometry()->ogr());
    ASSERT_TRUE(shifted);
    EXPECT_DOUBLE_EQ(ClippedArea(ell.geometry()->ogr(), *shifted), 75);
}

} // namespace

namespace {

// A region beyond one edge of a convex ring, touching it or not, has no area in common with
// it; one reaching inside by more than rounding has.
TEST(ConvexClip, SeparationBeyondAnEdgeAllowsContactOnly) {
    const auto ring = ConvexRingOf(Square(0, 0, 100).geometry()->ogr());
    ASSERT_TRUE(ring);
    EXPECT_TRUE(SeparatedFrom(Square(100, 20, 50).geometry()->ogr(), *ring)); // shares x = 100
    EXPECT_TRUE(SeparatedFrom(Square(300, 300, 5).geometry()->ogr(), *ring));
    EXPECT_FALSE(SeparatedFrom(Square(99.999, 20, 50).geometry()->ogr(), *ring));
    // Past the corner diagonally: beyond no single edge, left to the exact test.
    const Feature diamond = FeatureFactory::createRegion({{{90, 115}, {115, 90}, {120, 120}}});
    EXPECT_FALSE(SeparatedFrom(diamond.geometry()->ogr(), *ring));
    EXPECT_FALSE(SeparatedFrom(TwoPartRegion(-50, 10, 20).geometry()->ogr(), *ring));
    EXPECT_TRUE(SeparatedFrom(TwoPartRegion(-200, 10, 20).geometry()->ogr(), *ring));
}

} // namespace
