// Map pages packed by runs must unpack, through zlib itself and through a PNG reader, to
// exactly their pixels, whatever the widths and runs that meet the copies' limits.
#include "map/RunDeflate.h"
#include "map/PngEncoder.h"

#include <QImage>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

/** The rows as a PNG holds them before packing: filter byte 0, then red, green, blue. */
QByteArray RawRows(const QImage& image) {
    QByteArray raw;
    for (int y = 0; y < image.height(); ++y) {
        raw.append('\0');
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            raw.append(static_cast<char>(qRed(c)));
            raw.append(static_cast<char>(qGreen(c)));
            raw.append(static_cast<char>(qBlue(c)));
        }
    }
    return raw;
}

/** zlib's own unpacking, which checks the stream's sum; empty when it refuses. */
QByteArray Inflated(const QByteArray& packed, qsizetype size) {
    QByteArray out(size + 16, '\0');
    uLongf length = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                   reinterpret_cast<const Bytef*>(packed.constData()),
                   static_cast<uLong>(packed.size())) != Z_OK)
        return QByteArray();
    out.truncate(static_cast<qsizetype>(length));
    return out;
}

/** A page like a printed map: flat areas, rows repeated, edges, a little noise and text-like
 * specks. */
QImage MapLike(int width, int height, quint32 seed) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QRandomGenerator random(seed);
    for (int band = 0; band < 6; ++band) {
        const QRgb colour = qRgb(random.bounded(256), random.bounded(256), random.bounded(256));
        const int x0 = random.bounded(width), y0 = random.bounded(height);
        for (int y = y0; y < std::min(height, y0 + random.bounded(1, height + 1)); ++y)
            for (int x = x0 + (y - y0) % 5; x < std::min(width, x0 + 1 + random.bounded(width));
                 ++x)
                image.setPixel(x, y, colour);
    }
    for (int i = 0; i < width * height / 50; ++i)
        image.setPixel(random.bounded(width), random.bounded(height),
                       random.generate() | 0xff000000u);
    return image;
}

} // namespace

TEST(RunDeflate, PagesUnpackToTheirPixelsAtEveryEdgeOfTheCopies) {
    // Widths around a full copy (86 pixels, 258 bytes) and rows of 259 and 517 bytes, whose
    // last copy would be too short if cut naively; a single pixel; a page as wide as a map's.
    for (int width : {1, 2, 3, 85, 86, 87, 172, 173, 500, 1299}) {
        for (int height : {1, 2, 7, 90}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            for (const QImage& image :
                 {MapLike(width, height, static_cast<quint32>(width * 131 + height)), [&] {
                      QImage flat(width, height, QImage::Format_RGB32);
                      flat.fill(qRgb(12, 200, 7));
                      return flat;
                  }()}) {
                const QByteArray raw = RawRows(image);
                const QByteArray packed = DeflateRgbRowsByRuns(image);
                ASSERT_FALSE(packed.isEmpty());
                ASSERT_EQ(Inflated(packed, raw.size()), raw);
            }
        }
    }
}

TEST(RunDeflate, AFlatPageIsSmallAndAPngReaderReadsThePageBack) {
    QImage page = MapLike(1299, 1874, 7);
    const QByteArray png = EncodeFlatPng(page);
    const QImage back = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(back.size(), page.size());
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            ASSERT_EQ(back.pixel(x, y) & 0xffffffu, page.pixel(x, y) & 0xffffffu) << x << "," << y;
    // A white page is a copy or two a row.
    QImage white(1299, 1874, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_LT(DeflateRgbRowsByRuns(white).size(), 1874 * 64);
}

TEST(RunDeflate, APageTooWideForACopyIsLeftToTheGeneralPacker) {
    QImage wide(11000, 2, QImage::Format_RGB32);
    wide.fill(Qt::white);
    EXPECT_TRUE(DeflateRgbRowsByRuns(wide).isEmpty());
    const QImage back = QImage::fromData(EncodeFlatPng(wide), "PNG");
    EXPECT_EQ(back.size(), wide.size());
    EXPECT_TRUE(DeflateRgbRowsByRuns(QImage()).isEmpty());
}
