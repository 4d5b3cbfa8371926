// The settlement map's labels: which objects carry which text, and zones before districts.
#include "gis/MapLabels.h"
#include "map/MapGlobal.h"
#include "tests/map/MapTestUtil.h"
#include "tests/support/TestApplication.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

namespace {

TEST(MapLabels, ZonesAndDistrictsCarryTheirNumbersAndOtherLayersNone) {
    const FeatureList zones =
        WithValues({"Zona"}, {{Square(0, 0, 1), {" 2 "}}, {Square(0, 0, 1), {"  "}}});
    EXPECT_EQ(SettlementLabel(QStringLiteral("зони"), zones[0]), QStringLiteral("Зона 2"));
    EXPECT_EQ(SettlementLabel(QStringLiteral("ЗОНИ"), zones[0]), QStringLiteral("Зона 2"));
    EXPECT_EQ(SettlementLabel(QStringLiteral("зони"), zones[1]), QString());
    const FeatureList districts = WithValues({"Raion", "Zona"}, {{Square(0, 0, 1), {"14 ", "3"}}});
    EXPECT_EQ(SettlementLabel(QStringLiteral("райони"), districts[0]), QStringLiteral("14"));
    // A layer of another name shows nothing, whatever fields it has.
    EXPECT_EQ(SettlementLabel(QStringLiteral("грунти"), districts[0]), QString());
    EXPECT_EQ(SettlementLabel(QStringLiteral("райони"), zones[0]), QString());
}

class SettlementMap : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }
    void SetUp() override {
        WriteTable(dir.filePath(QStringLiteral("зони.tab")), {"Zona"},
                   {{Square(0, 0, 200), {"7"}}});
        WriteTable(dir.filePath(QStringLiteral("райони.tab")), {"Raion"},
                   {{Square(0, 0, 200), {"555"}}});
        map.setViewportSize({200, 200});
        map.setBounds({0, 0, 200, 200});
        ASSERT_TRUE(AddLayer(map, dir.filePath(QStringLiteral("зони.tab")), true));
        ASSERT_TRUE(AddLayer(map, dir.filePath(QStringLiteral("райони.tab")), true));
    }
    /** Pixels of the zone labels' dark red and of the district labels' black in the middle. */
    std::pair<int, int> middlePixels() {
        QImage image(200, 200, QImage::Format_ARGB32);
        QPainter painter(&image);
        RenderMap(map, painter, SettlementMapLabels());
        painter.end();
        int red = 0, black = 0;
        for (int y = 85; y < 115; ++y)
            for (int x = 70; x < 130; ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 60 && c.red() > c.green() + 40;
                black += c.red() < 60 && c.green() < 60 && c.blue() < 60;
            }
        return {red, black};
    }
    Layer* layer(const QString& name) {
        for (int i = 0; i < map.layerCount(); ++i)
            if (map.layerAt(i)->name() == name)
                return map.layerAt(i);
        return nullptr;
    }

    QTemporaryDir dir;
    MapDocument map;
};

TEST_F(SettlementMap, TheZoneNumberTakesTheMiddleAndAHiddenLayerIsNotLabelled) {
    ASSERT_TRUE(layer(QStringLiteral("зони")) && layer(QStringLiteral("райони")));
    // Both labels want the middle of the square: the zone's is placed first and gets it.
    const auto [zoneRed, zoneBlack] = middlePixels();
    EXPECT_GT(zoneRed, 20);
    EXPECT_EQ(zoneBlack, 0);
    // With the zones hidden the district's number takes it.
    layer(QStringLiteral("зони"))->setVisible(false);
    const auto [districtRed, districtBlack] = middlePixels();
    EXPECT_EQ(districtRed, 0);
    EXPECT_GT(districtBlack, 10);
    // Neither shows when both are hidden.
    layer(QStringLiteral("райони"))->setVisible(false);
    EXPECT_EQ(middlePixels(), std::make_pair(0, 0));
}

} // namespace
