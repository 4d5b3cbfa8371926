// The repair of invalid regions within its budget: a self-crossing outline is repaired; one
// past the budget (too many vertices, or stopped by GEOS's interruption) is left as it was and
// told as too complex, never repaired at any cost.
#include "map/GeometryRepair.h"

#include <gtest/gtest.h>
#include <ogr_geometry.h>

#include <cmath>
#include <memory>

namespace {

/** A closed zigzag of `teeth` teeth whose last edge crosses all of them: self-crossing. */
std::unique_ptr<OGRGeometry> Zigzag(int teeth) {
    auto ring = std::make_unique<OGRLinearRing>();
    for (int i = 0; i <= teeth; ++i)
        ring->addPoint(i * 10.0, (i % 2) ? 100.0 : 0.0);
    ring->addPoint(teeth * 10.0, 50.0);
    ring->addPoint(0.0, 50.0 + (teeth % 2 ? 1.0 : -1.0));
    ring->closeRings();
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(ring.release());
    return polygon;
}

/** A ring of `n` random points (the same every time): it crosses itself everywhere. */
std::unique_ptr<OGRGeometry> Scribble(int n) {
    OGRLinearRing ring;
    unsigned state = 7;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<double>((state >> 8) % 10000);
    };
    for (int i = 0; i < n; ++i)
        ring.addPoint(next(), next());
    ring.closeRings();
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRing(&ring);
    return polygon;
}

/** Restores the budget the test changed. */
struct BudgetScope {
    explicit BudgetScope(const RepairBudget& budget) : previous(SetRepairBudget(budget)) {}
    ~BudgetScope() { SetRepairBudget(previous); }
    RepairBudget previous;
};

} // namespace

TEST(GeometryRepair, ASelfCrossingRegionIsRepairedWithinTheBudgetOnly) {
    std::unique_ptr<OGRGeometry> region = Zigzag(20);
    ASSERT_FALSE(region->IsValid());
    QString reason;
    EXPECT_EQ(RepairRegion(region, &reason), RegionRepair::Repaired);
    EXPECT_TRUE(region->IsValid());
    EXPECT_TRUE(reason.startsWith(QStringLiteral("самоперетин"))) << reason.toStdString();

    // More vertices than the budget allows: not tried, left as it was.
    {
        BudgetScope scope({3000, 512ll * 1024 * 1024, 30, 20000});
        region = Zigzag(40);
        const std::unique_ptr<OGRGeometry> before(region->clone());
        EXPECT_EQ(RepairRegion(region, &reason), RegionRepair::TooComplex);
        EXPECT_TRUE(region->Equals(before.get()));
    }
    // No time at all: stopped before it begins, left as it was.
    {
        BudgetScope scope({0, 512ll * 1024 * 1024, 100000, 20000});
        region = Zigzag(20);
        EXPECT_EQ(RepairRegion(region, &reason), RegionRepair::TooComplex);
        EXPECT_FALSE(region->IsValid());
    }
    // A thousand vertices crossing themselves everywhere (once 8 s and 250 MB of work):
    // refused from a sample of its edges before any work, left as it was.
    region = Scribble(1000);
    const std::unique_ptr<OGRGeometry> scribble(region->clone());
    EXPECT_EQ(RepairRegion(region, &reason), RegionRepair::TooComplex);
    EXPECT_TRUE(region->Equals(scribble.get()));
    // A valid region needs no budget.
    {
        BudgetScope scope({0, 0, 3, 0});
        OGRPolygon square;
        OGRLinearRing ring;
        for (auto [x, y] : {std::pair{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}})
            ring.addPoint(x, y);
        ring.closeRings();
        square.addRing(&ring);
        std::unique_ptr<OGRGeometry> valid(square.clone());
        EXPECT_EQ(RepairRegion(valid), RegionRepair::Valid);
    }
}
