#include "MapTestUtil.h"

#include "map/MapGlobal.h"

namespace {

TEST(FeatureFactory, UnionAndIntersectionAreasMatchHandComputedPolygons) {
    // Two 10x10 squares overlapping in a 4x10 strip.
    const Feature a = Square(0, 0, 10);
    const Feature b = Square(6, 0, 10);
    Feature u, i;
    QString error;
    ASSERT_EQ(FeatureFactory::combine(a, b, u, &error), GeometryResult::Ok);
    EXPECT_DOUBLE_EQ(u.areaSquareMetres(), 160.0);
    EXPECT_TRUE(u.isRegion());
    ASSERT_EQ(FeatureFactory::intersect(a, b, i, &error), GeometryResult::Ok);
    EXPECT_DOUBLE_EQ(i.areaSquareMetres(), 40.0);

    // A triangle over a square: the intersection is the part of the triangle inside.
    const Feature tri = FeatureFactory::createRegion({{{0, 0}, {20, 0}, {0, 20}}});
    ASSERT_EQ(FeatureFactory::intersect(tri, a, i, &error), GeometryResult::Ok);
    EXPECT_DOUBLE_EQ(i.areaSquareMetres(), 100.0); // the square lies below x + y = 20
    const Feature shifted = Square(5, 5, 10);
    ASSERT_EQ(FeatureFactory::intersect(tri, shifted, i, &error), GeometryResult::Ok);
    // Square 5..15 cut by x + y <= 20: a right triangle with legs 10 -> 50.
    EXPECT_DOUBLE_EQ(i.areaSquareMetres(), 50.0);

    // Disjoint union keeps both parts.
    ASSERT_EQ(FeatureFactory::combine(a, Square(100, 100, 1), u, &error), GeometryResult::Ok);
    EXPECT_DOUBLE_EQ(u.areaSquareMetres(), 101.0);
    EXPECT_EQ(u.partCount(), 2);
}

TEST(FeatureFactory, EmptyIntersectionsAreRecognisable) {
    Feature r;
    QString error;
    EXPECT_EQ(FeatureFactory::intersect(Square(0, 0, 1), Square(5, 5, 1), r, nullptr),
              GeometryResult::Empty);
    // Touching along an edge shares no area.
    EXPECT_EQ(FeatureFactory::intersect(Square(0, 0, 1), Square(1, 0, 1), r, &error),
              GeometryResult::Empty);
    EXPECT_EQ(r.areaSquareMetres(), 0.0);
}

TEST(FeatureFactory, FailuresCarryAReason) {
    MapDocument map;
    const Feature text = FeatureFactory::createText(map, {0, 0}, "t", TextStyle{});
    Feature r;
    QString error;
    EXPECT_EQ(FeatureFactory::combine(Square(0, 0, 1), text, r, &error), GeometryResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    // A self-crossing "bow tie" either fails with a reason or yields a valid area.
    const Feature bowtie = FeatureFactory::createRegion({{{0, 0}, {10, 10}, {10, 0}, {0, 10}}});
    error.clear();
    const GeometryResult res = FeatureFactory::combine(bowtie, Square(0, 0, 2), r, &error);
    if (res == GeometryResult::Failed) {
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(FeatureFactory, TextHeightFollowsTheMapScale) {
    MapDocument map;
    map.setViewportSize({960, 960});
    map.setBounds({0, 0, 960, 960}); // one unit per pixel
    TextStyle style;
    style.pointSize = 12; // 16 pixels at 96 dpi
    const Feature t = FeatureFactory::createText(map, {3, 4}, QStringLiteral("№ 5"), style);
    EXPECT_NEAR(t.textHeight(), 16.0, 1e-9);
    EXPECT_EQ(t.centre(), QPointF(3, 4));
    EXPECT_EQ(t.text(), QStringLiteral("№ 5"));
}

} // namespace
