#include "tests/map/TilingScene.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <ogr_geometry.h>

#include <memory>
#include <vector>

namespace {

std::unique_ptr<OGRPolygon> Box(double x0, double y0, double x1, double y1) {
    return Polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

bool Inside(const QPointF& p, double x0, double y0, double x1, double y1) {
    return p.x() > x0 && p.x() < x1 && p.y() > y0 && p.y() < y1;
}

} // namespace

TEST(LayerTiling, OverlapFoundWithItsAreaPlaceAndBothLabels) {
    Scene scene;
    scene.bound(Box(0, 0, 190, 100));
    scene.region("1", Box(0, 0, 100, 100));
    scene.region("2", Box(90, 0, 190, 100));
    const auto found = scene.check();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].fault, TilingFault::Overlap);
    EXPECT_EQ(found[0].regions, (std::vector<int>{0, 1}));
    EXPECT_EQ(found[0].labels, (QStringList{"1", "2"}));
    EXPECT_NEAR(found[0].area, 1000.0, 1e-6);
    EXPECT_TRUE(Inside(found[0].point, 90, 0, 100, 100));
    ASSERT_TRUE(found[0].piece);
    EXPECT_FALSE(found[0].piece->isEmpty());
}

TEST(LayerTiling, AnOverlapDoesNotHideAGapOfTheSameArea) {
    // The areas add up to the boundary's: only the overlap tells that something is open.
    Scene scene;
    scene.bound(Box(0, 0, 300, 100));
    scene.region("1", Box(0, 0, 110, 100));
    scene.region("2", Box(100, 0, 200, 100));
    scene.region("3", Box(210, 0, 300, 100));
    const auto found = scene.check();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].fault, TilingFault::Overlap);
    EXPECT_NEAR(found[0].area, 1000.0, 1e-6);
    EXPECT_EQ(found[1].fault, TilingFault::Gap);
    EXPECT_EQ(found[1].labels, (QStringList{"2", "3"}));
    EXPECT_NEAR(found[1].area, 1000.0, 1e-6);
}

TEST(LayerTiling, GapFoundBetweenTheRegionsThatBorderIt) {
    Scene scene;
    scene.bound(Box(0, 0, 300, 100));
    scene.region("1", Box(0, 0, 100, 100));
    scene.region("2", Box(105, 0, 300, 100));
    const auto found = scene.check();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].fault, TilingFault::Gap);
    EXPECT_EQ(found[0].labels, (QStringList{"1", "2"}));
    EXPECT_NEAR(found[0].area, 500.0, 1e-6);
    EXPECT_TRUE(Inside(found[0].point, 100, 0, 105, 100));
}

TEST(LayerTiling, RegionOutsideTheBoundaryAndHolesInTheCover) {
    Scene scene;
    scene.bound(Box(0, 0, 200, 100));
    scene.region("1", Box(0, 0, 100, 120)); // 20 m over the northern edge
    // Region 2 has a hole of 10 × 10 nobody fills.
    auto holed = Box(100, 0, 200, 100);
    OGRLinearRing hole;
    for (const auto& [x, y] : {std::pair{140, 40}, {150, 40}, {150, 50}, {140, 50}})
        hole.addPoint(x, y);
    hole.closeRings();
    holed->addRing(&hole);
    scene.region("2", std::move(holed));
    const auto found = scene.check();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].fault, TilingFault::Outside);
    EXPECT_EQ(found[0].labels, QStringList{"1"});
    EXPECT_NEAR(found[0].area, 2000.0, 1e-6);
    EXPECT_TRUE(Inside(found[0].point, 0, 100, 100, 120));
    EXPECT_EQ(found[1].fault, TilingFault::Gap);
    EXPECT_EQ(found[1].labels, QStringList{"2"});
    EXPECT_NEAR(found[1].area, 100.0, 1e-6);
    EXPECT_TRUE(Inside(found[1].point, 140, 40, 150, 50));
}

TEST(LayerTiling, SliversUnderTheToleranceAreLeftOut) {
    EXPECT_DOUBLE_EQ(TilingTolerance(100), 1.0);
    EXPECT_DOUBLE_EQ(TilingTolerance(2e6), 200.0);
    // Two squares of 1 km²: 0.01 % is 100 m². A 0.05 m wide overlap (50 m²) is a sliver,
    // a 0.2 m one (200 m²) is not.
    for (const auto& [width, kept] : {std::pair{0.05, false}, {0.2, true}}) {
        Scene scene;
        scene.bound(Box(0, 0, 2000, 1000));
        scene.region("1", Box(0, 0, 1000 + width, 1000));
        scene.region("2", Box(1000, 0, 2000, 1000));
        const auto found = scene.check();
        EXPECT_EQ(found.size(), kept ? 1u : 0u) << width;
    }
    // Small regions: the floor of 1 m² holds (a gap of 0.5 m² is left out, one of 2 m² kept).
    for (const auto& [gap, kept] : {std::pair{0.05, false}, {0.2, true}}) {
        Scene scene;
        scene.bound(Box(0, 0, 20, 10));
        scene.region("1", Box(0, 0, 10, 10));
        scene.region("2", Box(10 + gap, 0, 20, 10));
        const auto found = scene.check();
        ASSERT_EQ(found.size(), kept ? 1u : 0u) << gap;
        if (kept) {
            EXPECT_EQ(found[0].fault, TilingFault::Gap);
        }
    }
}

TEST(LayerTiling, WithoutBoundaryOnlyOverlapsAndOnlyWhatIsAsked) {
    Scene scene;
    scene.region("1", Box(0, 0, 100, 100));
    scene.region("2", Box(50, 50, 150, 150));
    scene.region("3", Box(500, 500, 600, 600)); // far from the others: no gap without a boundary
    auto found = scene.check();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].area, 2500.0, 1e-6);

    scene.bound(Box(0, 0, 150, 150));
    TilingChecks noOverlaps;
    noOverlaps.overlaps = false;
    found = scene.check(noOverlaps);
    ASSERT_EQ(found.size(), 3u); // region 3 outside, two gaps at the free corners
    EXPECT_EQ(found[0].fault, TilingFault::Outside);
    EXPECT_EQ(found[0].labels, QStringList{"3"});
    EXPECT_EQ(found[1].fault, TilingFault::Gap);
    EXPECT_EQ(found[2].fault, TilingFault::Gap);
    EXPECT_LT(found[1].point.x(), found[2].point.x()); // west to east
}

TEST(LayerTiling, InvalidAndEmptyRegionsDoNotStopTheCheck) {
    Scene scene;
    scene.bound(Box(0, 0, 200, 100));
    // A bow tie over the first square: repaired into two triangles, which overlap region 2.
    scene.region("1", Polygon({{0, 0}, {100, 100}, {100, 0}, {0, 100}}));
    scene.region("2", Box(0, 0, 100, 100));
    scene.region("3", std::make_unique<OGRPolygon>());
    scene.region("4", nullptr);
    scene.regions.push_back({nullptr, "5"});
    scene.region("6", Box(100, 0, 200, 100));
    TilingStats stats;
    const auto found = FindTilingFaults(scene.boundary, scene.regions, {}, &stats);
    EXPECT_EQ(stats.repaired, 1);
    EXPECT_EQ(stats.failed, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].labels, (QStringList{"1", "2"}));
    EXPECT_NEAR(found[0].area, 5000.0, 1e-6);
}

TEST(LayerTiling, JitteredGridTilesAndAGrownCellOverlapsOnlyItsNeighbours) {
    Scene grid = JitteredGrid(12, 15, 100, 7);
    TilingStats stats;
    EXPECT_TRUE(FindTilingFaults(grid.boundary, grid.regions, {}, &stats).empty());
    // Pairs come from the index: neighbours only, far fewer than all pairs.
    EXPECT_LT(stats.candidates, 180 * 10);

    // Cell 50 grown by 5 m all round: overlaps with its 8 neighbours, nothing else.
    const OGRGeometry* cell = grid.regions[49].shape;
    std::unique_ptr<OGRGeometry> grown(cell->Buffer(5));
    grid.regions[49].shape = grown.get();
    const auto found = grid.check();
    ASSERT_EQ(found.size(), 8u);
    for (const TilingFinding& f : found) {
        EXPECT_EQ(f.fault, TilingFault::Overlap);
        EXPECT_TRUE(f.labels.contains("50"));
        EXPECT_GT(f.area, 1.0);
    }
}
