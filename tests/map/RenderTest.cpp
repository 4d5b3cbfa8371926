#include "MapTestUtil.h"

#include "db/QueryFunctions.h"
#include "map/MapGlobal.h"
#include "map/MapRenderer.h"
#include "tests/support/TestSupport.h"

#include "tests/support/TestApplication.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <ogr_geometry.h>

namespace {

class Render : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }
    void SetUp() override {
        map.setViewportSize({200, 200});
        map.setBounds({0, 0, 200, 200}); // one unit per pixel
    }
    QImage draw() {
        QImage image(200, 200, QImage::Format_ARGB32);
        QPainter painter(&image);
        RenderMap(map, painter);
        return image;
    }
    QColor at(const QImage& image, double x, double y) {
        const QPointF p = map.toScreen({x, y});
        return image.pixelColor(static_cast<int>(p.x()), static_cast<int>(p.y()));
    }

    QTemporaryDir dir;
    MapDocument map;
};

TEST_F(Render, MixedLayerIsDrawnRegionsInTheirStyle) {
    Feature region = Square(20, 20, 60);
    RegionStyle red;
    red.regionColor = 0x0000FF; // red in the lowest byte
    red.regionPattern = 2;
    region.setRegionStyle(red);
    Feature line;
    auto ls = std::make_unique<OGRLineString>();
    ls->addPoint(100, 150);
    ls->addPoint(190, 150);
    line.setGeometry(std::make_shared<const Geometry>(std::move(ls)));
    Feature point;
    point.setGeometry(std::make_shared<const Geometry>(std::make_unique<OGRPoint>(150, 50)));
    TextStyle style;
    style.pointSize = 20;
    const Feature text = FeatureFactory::createText(map, {110, 100}, QStringLiteral("Ж"), style);
    WriteTable(dir.filePath("mixed.tab"), {"a"},
               {{region, {"r"}}, {line, {"l"}}, {point, {"p"}}, {text, {"t"}}});
    Layer* layer = AddLayer(map, dir.filePath("mixed.tab"), true);
    ASSERT_TRUE(layer);
    ASSERT_EQ(layer->featureCount(), 4);
    EXPECT_EQ(layer->features()[1].kind(), FeatureKind::Line);
    EXPECT_EQ(layer->features()[2].kind(), FeatureKind::Point);
    EXPECT_EQ(layer->features()[3].kind(), FeatureKind::Text);

    QImage image = draw();
    EXPECT_EQ(at(image, 50, 50), QColor(Qt::red));
    EXPECT_EQ(at(image, 150, 150), QColor(Qt::black)); // the line
    EXPECT_NE(at(image, 150, 50), QColor(Qt::white));  // the point's dot
    EXPECT_EQ(at(image, 10, 10), QColor(Qt::white));

    // Selected: the region is drawn differently; hidden: not at all.
    layer->setSelection({layer->features()[0].fid()});
    image = draw();
    EXPECT_NE(at(image, 50, 50), QColor(Qt::red));
    layer->setVisible(false);
    image = draw();
    EXPECT_EQ(at(image, 50, 50), QColor(Qt::white));

    // Only regions have an area and take part in overlays.
    EXPECT_EQ(FeatureArea(layer->features()[1], map, AreaSquareMetre), 0.0);
    Feature result;
    EXPECT_EQ(
        FeatureFactory::intersect(layer->features()[0], layer->features()[1], result, nullptr),
        GeometryResult::Failed);
}

TEST_F(Render, NewestLayerIsDrawnOnTop) {
    Feature bottom = Square(0, 0, 100);
    RegionStyle blue;
    blue.regionColor = 0xFF0000;
    bottom.setRegionStyle(blue);
    Feature top = Square(0, 0, 100);
    RegionStyle green;
    green.regionColor = 0x00FF00;
    top.setRegionStyle(green);
    WriteTable(dir.filePath("bottom.tab"), {"a"}, {{bottom, {}}});
    WriteTable(dir.filePath("top.tab"), {"a"}, {{top, {}}});
    AddLayer(map, dir.filePath("bottom.tab"), true);
    AddLayer(map, dir.filePath("top.tab"), true);
    EXPECT_EQ(at(draw(), 50, 50), QColor(Qt::green));
}

TEST_F(Render, BrokenStandardLayerGivesNoLayerAndNoMessage) {
    WriteTextFile(dir.filePath(QStringLiteral("зони.tab")), "!table\n!version 300\ngarbage");
    RecordingMessages messages;
    SetLastError(QString());
    EXPECT_EQ(AddLayer(map, dir.filePath(QStringLiteral("зони.tab")), true), nullptr);
    EXPECT_FALSE(LastError().isEmpty());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(map.layerCount(), 0);
}

} // namespace
