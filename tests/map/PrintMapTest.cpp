// Maps printed as pages: their scale, their size and their labels that never meet.
#include "MapTestUtil.h"

#include "map/LabelPlacer.h"
#include "map/PngEncoder.h"
#include "map/PrintMap.h"
#include "tests/support/TestApplication.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintMap, ScalesAreRoundAndPrintedWithThousandsApart) {
    EXPECT_EQ(RoundScale(10), 500);
    EXPECT_EQ(RoundScale(1000), 1000);
    EXPECT_EQ(RoundScale(1001), 2000);
    EXPECT_EQ(RoundScale(2100), 2500);
    EXPECT_EQ(RoundScale(2600), 5000);
    EXPECT_EQ(RoundScale(7300), 10000);
    EXPECT_EQ(RoundScale(12000), 20000);
    EXPECT_EQ(ScaleText(5000), QStringLiteral("1:5 000"));
    EXPECT_EQ(ScaleText(25000), QStringLiteral("1:25 000"));
    EXPECT_EQ(ScaleText(1000000), QStringLiteral("1:1 000 000"));
}

TEST(PrintMap, ALabelOfABentRegionStaysInsideIt) {
    // A "C" whose centroid falls in its gap.
    const Feature c = FeatureFactory::createRegion(
        {{{0, 0}, {100, 0}, {100, 20}, {20, 20}, {20, 80}, {100, 80}, {100, 100}, {0, 100}}});
    EXPECT_FALSE(c.geometry()->path().contains(c.centre()));
    EXPECT_TRUE(c.geometry()->path().contains(c.labelPoint()));
    const Feature square = Square(0, 0, 10);
    EXPECT_EQ(square.labelPoint(), square.centre());
}

TEST(LabelPlacer, ALabelMovesBesideATakenPlaceAndStaysOutWhenAllAreTaken) {
    LabelPlacer placer(QRectF(0, 0, 200, 200), 16);
    const auto places = LabelPlacer::around({100, 100}, {20, 10});
    EXPECT_EQ(places.front(), QRectF(90, 95, 20, 10));
    EXPECT_EQ(placer.place(places), 0);
    EXPECT_EQ(placer.place(places), 1); // the same label again goes above the first
    placer.block(QRectF(0, 0, 200, 200));
    EXPECT_EQ(placer.place(LabelPlacer::around({50, 50}, {5, 5})), -1);
    // Outside the area nothing is placed.
    LabelPlacer edge(QRectF(0, 0, 100, 100));
    EXPECT_FALSE(edge.isFree(QRectF(95, 10, 10, 10)));
}

class PrintMapPages : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }
};

TEST_F(PrintMapPages, APageHasItsPaperSizeAScaleAndItsMapDrawn) {
    FeatureList squares;
    for (int i = 0; i < 3; ++i)
        squares.push_back(Square(i * 400.0, 0, 400));
    PrintMapPage page;
    page.title = QStringLiteral("Карта-схема зон");
    page.paperMm = QSizeF(100, 150);
    page.dpi = 200;
    PrintLayer layer;
    layer.features = &squares;
    layer.symbol = [](const Feature&) {
        PrintSymbol s;
        s.fill = QColor(200, 40, 40);
        return s;
    };
    layer.label = [](const Feature&) { return QStringLiteral("Зона 1\n180.00 грн/м²"); };
    page.layers.push_back(layer);
    page.legend.push_back({PrintSymbol{}, QStringLiteral("Зона 1")});
    const PrintedMap printed = RenderPrintMap(page);
    // 100 x 150 mm at 200 dpi.
    EXPECT_EQ(printed.image.size(), QSize(787, 1181));
    EXPECT_NEAR(printed.image.dotsPerMeterX(), 200 / 0.0254, 1);
    // 1200 m across about 94 mm of frame: 1:12 766 rounds up to 1:20 000.
    EXPECT_EQ(printed.scale, 20000);
    EXPECT_EQ(printed.labelsPlaced, 3);
    // The squares are drawn in their colour in the middle of the page.
    int red = 0;
    for (int y = 0; y < printed.image.height(); y += 4)
        for (int x = 0; x < printed.image.width(); x += 4)
            red += printed.image.pixelColor(x, y) == QColor(200, 40, 40);
    EXPECT_GT(red, 500);
}

TEST_F(PrintMapPages, CrowdedLabelsAreLeftOutRatherThanPrintedOverEachOther) {
    FeatureList tiny;
    for (int i = 0; i < 200; ++i)
        tiny.push_back(Square((i % 20) * 10.0, (i / 20) * 10.0, 10));
    tiny.push_back(Square(0, 0, 5000)); // sets the extent: the little squares crowd together
    PrintMapPage page;
    page.paperMm = QSizeF(100, 100);
    PrintLayer layer;
    layer.features = &tiny;
    layer.label = [](const Feature& f) { return QString::number(f.bounds().xMin); };
    page.layers.push_back(layer);
    const PrintedMap printed = RenderPrintMap(page);
    EXPECT_GT(printed.labelsPlaced, 0);
    EXPECT_GT(printed.labelsLeftOut, 100);
    EXPECT_EQ(printed.labelsPlaced + printed.labelsLeftOut, 201);
}

TEST_F(PrintMapPages, NothingToDrawGivesAPageWithoutScale) {
    PrintMapPage page;
    page.paperMm = QSizeF(50, 50);
    const PrintedMap printed = RenderPrintMap(page);
    EXPECT_EQ(printed.scale, 0);
    EXPECT_FALSE(printed.image.isNull());
}

} // namespace

TEST(PngEncoder, APictureReadsBackPixelForPixelWithItsResolution) {
    // An odd size, every pixel its own colour, and a picture not in 32-bit RGB.
    QImage image(37, 23, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) % 256));
    image.setDotsPerMeterX(7874); // 200 dpi
    image.setDotsPerMeterY(7874);
    QImage read;
    ASSERT_TRUE(read.loadFromData(EncodeFlatPng(image), "PNG"));
    ASSERT_EQ(read.size(), image.size());
    EXPECT_EQ(read.dotsPerMeterX(), 7874);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(read.pixel(x, y), image.pixel(x, y)) << x << ',' << y;
    EXPECT_TRUE(EncodeFlatPng(QImage()).isEmpty());
}

TEST(PngEncoder, AFlatPictureGoesWithAPaletteAndReadsBackTheSame) {
    // Bands of 256 colours: the most a palette holds; one more colour makes it RGB.
    QImage image(300, 40, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, 255 - x % 256, 10));
    const QByteArray png = EncodeFlatPng(image);
    ASSERT_GT(png.size(), 26);
    EXPECT_EQ(png[25], '\x03'); // the colour type of IHDR: a palette
    QImage read;
    ASSERT_TRUE(read.loadFromData(png, "PNG"));
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(read.pixel(x, y), image.pixel(x, y)) << x << ',' << y;

    image.setPixel(299, 39, qRgb(1, 2, 3));
    const QByteArray rgb = EncodeFlatPng(image);
    EXPECT_EQ(rgb[25], '\x02');
    ASSERT_TRUE(read.loadFromData(rgb, "PNG"));
    EXPECT_EQ(read.pixel(299, 39), qRgb(1, 2, 3));
    EXPECT_EQ(read.pixel(0, 0), image.pixel(0, 0));
}
