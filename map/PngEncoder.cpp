#include "map/PngEncoder.h"

#include "map/RunDeflate.h"

#include <QHash>
#include <QImage>
#include <QSet>
#include <algorithm>
#include <vector>
#include <zlib.h>

namespace {

void AppendBigEndian(QByteArray& out, quint32 value) {
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    out.append(bytes, 4);
}

/** A chunk: its length, type, data and the CRC of type and data. */
void AppendChunk(QByteArray& out, const char* type, const QByteArray& data) {
    AppendBigEndian(out, static_cast<quint32>(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* typed = reinterpret_cast<const Bytef*>(out.constData() + start);
    AppendBigEndian(out, static_cast<quint32>(crc32(0, typed, static_cast<uInt>(4 + data.size()))));
}

/**
 * The picture's colours when there are at most 256 of them, each pixel as its index; false
 * when there are more. Runs of one colour, which flat maps are made of, skip the look-up.
 */
bool PaletteOf(const QImage& image, std::vector<QRgb>& palette, QByteArray& indices) {
    QHash<QRgb, uchar> index;
    palette.clear();
    const int width = image.width();
    indices.resize(static_cast<qsizetype>(image.height()) * (width + 1));
    char* at = indices.data();
    QRgb last = 0;
    uchar lastIndex = 0;
    bool any = false;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        *at++ = 0; // filter type 0 (none)
        for (int x = 0; x < width; ++x) {
            const QRgb colour = line[x] & 0xffffffu;
            if (!any || colour != last) {
                auto found = index.constFind(colour);
                if (found == index.constEnd()) {
                    if (palette.size() == 256)
                        return false;
                    found = index.insert(colour, static_cast<uchar>(palette.size()));
                    palette.push_back(colour);
                }
                last = colour;
                lastIndex = found.value();
                any = true;
            }
            *at++ = static_cast<char>(lastIndex);
        }
    }
    return true;
}

/**
 * Whether every 16th row holds at most 256 colours: a picture with more (an antialiased one)
 * goes straight to RGB without a whole pass that would fail late.
 */
bool FewColoursLikely(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 16) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb last = ~line[0];
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == last)
                continue;
            last = line[x];
            seen.insert(last & 0xffffffu);
            if (seen.size() > 256)
                return false;
        }
    }
    return true;
}

/** Deflates rows as they come, at the fastest level, into a buffer that grows as it fills. */
class RowDeflater {
public:
    RowDeflater() { m_ok = deflateInit(&m_z, Z_BEST_SPEED) == Z_OK; }
    ~RowDeflater() {
        if (m_ok)
            deflateEnd(&m_z);
    }
    RowDeflater(const RowDeflater&) = delete;
    RowDeflater& operator=(const RowDeflater&) = delete;

    bool add(const char* bytes, qsizetype size, bool last) {
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        m_z.avail_in = static_cast<uInt>(size);
        int status = Z_OK;
        do {
            if (m_out.size() - static_cast<qsizetype>(m_z.total_out) < 4096)
                m_out.resize(std::max<qsizetype>(m_out.size() * 2, 1 << 18));
            m_z.next_out = reinterpret_cast<Bytef*>(m_out.data() + m_z.total_out);
            m_z.avail_out = static_cast<uInt>(m_out.size() - static_cast<qsizetype>(m_z.total_out));
            status = deflate(&m_z, last ? Z_FINISH : Z_NO_FLUSH);
            if (status == Z_STREAM_ERROR)
                m_ok = false;
        } while (m_ok &&
                 (m_z.avail_in > 0 || m_z.avail_out == 0 || (last && status != Z_STREAM_END)));
        return m_ok;
    }
    /** The deflated bytes, once the last row is added; empty on a failure. */
    QByteArray take() {
        if (!m_ok)
            return QByteArray();
        m_out.truncate(static_cast<qsizetype>(m_z.total_out));
        return std::move(m_out);
    }

private:
    z_stream m_z{};
    QByteArray m_out;
    bool m_ok = false;
};

/**
 * Rows of filter type 0 (none) and red, green, blue bytes, deflated a row at a time: a page
 * of pixels never exists a second time as bytes to pack.
 */
QByteArray DeflateRgbRows(const QImage& image) {
    const int width = image.width();
    QByteArray row(3 * static_cast<qsizetype>(width) + 1, Qt::Uninitialized);
    RowDeflater deflater;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        char* at = row.data();
        *at++ = 0;
        for (int x = 0; x < width; ++x) {
            *at++ = static_cast<char>(qRed(line[x]));
            *at++ = static_cast<char>(qGreen(line[x]));
            *at++ = static_cast<char>(qBlue(line[x]));
        }
        if (!deflater.add(row.constData(), row.size(), y + 1 == image.height()))
            return QByteArray();
    }
    return deflater.take();
}

} // namespace

QByteArray EncodeFlatPng(const QImage& source) {
    if (source.isNull())
        return QByteArray();
    const QImage image =
        source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    // A page of flat colours goes as a palette: a third of the bytes to pack.
    std::vector<QRgb> palette;
    QByteArray indices;
    const bool indexed = FewColoursLikely(image) && PaletteOf(image, palette, indices);
    QByteArray packed;
    if (indexed) {
        RowDeflater deflater;
        if (deflater.add(indices.constData(), indices.size(), true))
            packed = deflater.take();
        indices = QByteArray();
    } else {
        packed = DeflateRgbRowsByRuns(image);
        if (packed.isEmpty())
            packed = DeflateRgbRows(image);
    }
    if (packed.isEmpty())
        return QByteArray();

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    AppendBigEndian(header, static_cast<quint32>(width));
    AppendBigEndian(header, static_cast<quint32>(height));
    // 8 bits, palette or RGB, deflate, no filter, no interlace.
    header.append(indexed ? "\x08\x03\x00\x00\x00" : "\x08\x02\x00\x00\x00", 5);
    AppendChunk(png, "IHDR", header);
    if (indexed) {
        QByteArray colours;
        for (QRgb c : palette) {
            colours.append(static_cast<char>(qRed(c)));
            colours.append(static_cast<char>(qGreen(c)));
            colours.append(static_cast<char>(qBlue(c)));
        }
        AppendChunk(png, "PLTE", colours);
    }
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        QByteArray resolution;
        AppendBigEndian(resolution, static_cast<quint32>(image.dotsPerMeterX()));
        AppendBigEndian(resolution, static_cast<quint32>(image.dotsPerMeterY()));
        resolution.append('\x01'); // per metre
        AppendChunk(png, "pHYs", resolution);
    }
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", QByteArray());
    return png;
}
