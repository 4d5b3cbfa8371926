#include "map/RunDeflate.h"

#include <QImage>
#include <array>
#include <cstring>
#include <zlib.h>

namespace {

/** Bits of the deflate stream, least significant first, as the format packs them. */
class BitWriter {
public:
    explicit BitWriter(qsizetype reserve) { m_out.reserve(reserve); }

    void put(quint32 bits, int count) {
        m_buffer |= static_cast<quint64>(bits) << m_count;
        m_count += count;
        while (m_count >= 8) {
            m_out.append(static_cast<char>(m_buffer & 0xff));
            m_buffer >>= 8;
            m_count -= 8;
        }
    }
    void flushByte() {
        if (m_count > 0)
            put(0, 8 - m_count);
    }
    QByteArray& bytes() { return m_out; }

private:
    QByteArray m_out;
    quint64 m_buffer = 0;
    int m_count = 0;
};

/** A code as it goes into the stream: its bits reversed (codes are read from their top). */
quint32 Reversed(quint32 code, int length) {
    quint32 r = 0;
    for (int i = 0; i < length; ++i)
        r |= ((code >> i) & 1u) << (length - 1 - i);
    return r;
}

struct Bits {
    quint32 value = 0;
    int count = 0;
};

/** The fixed literal/length code of a symbol 0 to 287. */
Bits FixedCode(int symbol) {
    if (symbol < 144)
        return {Reversed(0x30 + symbol, 8), 8};
    if (symbol < 256)
        return {Reversed(0x190 + symbol - 144, 9), 9};
    if (symbol < 280)
        return {Reversed(symbol - 256, 7), 7};
    return {Reversed(0xc0 + symbol - 280, 8), 8};
}

/** The codes of the fixed block, made once: every byte, every length 3 to 258 with its extra bits.
 */
struct FixedTables {
    std::array<Bits, 256> literal{};
    std::array<Bits, 259> length{};

    FixedTables() {
        for (int b = 0; b < 256; ++b)
            literal[static_cast<size_t>(b)] = FixedCode(b);
        static constexpr int kBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                          15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                          67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr int kExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        for (int code = 0; code < 29; ++code) {
            const int last = code == 28 ? 258 : kBase[code] + (1 << kExtra[code]) - 1;
            for (int len = kBase[code]; len <= last && len <= 258; ++len) {
                // Length 258 has a code of its own, not the longest of code 284.
                if (len == 258 && code != 28)
                    continue;
                const Bits c = FixedCode(257 + code);
                length[static_cast<size_t>(len)] = {
                    c.value | (static_cast<quint32>(len - kBase[code]) << c.count),
                    c.count + kExtra[code]};
            }
        }
    }
};

const FixedTables& Tables() {
    static const FixedTables tables;
    return tables;
}

/** The distance code with its extra bits, for a distance 1 to 32,768. */
Bits DistanceBits(int distance) {
    int code = 0;
    int base = 1;
    int extra = 0;
    // Codes come in pairs of one size: 1, 2, 3, 4, then 5-6, 7-8, 9-12, 13-16...
    while (true) {
        const int size = 1 << extra;
        if (distance < base + size) {
            break;
        }
        base += size;
        ++code;
        if (code >= 4 && code % 2 == 0)
            ++extra;
    }
    return {Reversed(static_cast<quint32>(code), 5) | (static_cast<quint32>(distance - base) << 5),
            5 + extra};
}

/** A copy of `bytes` bytes (at least 3) from `distance` back. */
void PutCopy(BitWriter& out, qsizetype bytes, const Bits& distance) {
    const FixedTables& t = Tables();
    while (bytes > 0) {
        qsizetype part = std::min<qsizetype>(bytes, 258);
        // Never leave fewer than three bytes for the last copy.
        if (bytes - part > 0 && bytes - part < 3)
            part = bytes - 3;
        const Bits& len = t.length[static_cast<size_t>(part)];
        out.put(len.value, len.count);
        out.put(distance.value, distance.count);
        bytes -= part;
    }
}

void PutLiteral(BitWriter& out, uchar byte) {
    const Bits& b = Tables().literal[byte];
    out.put(b.value, b.count);
}

} // namespace

QByteArray DeflateRgbRowsByRuns(const QImage& source) {
    const int width = source.width();
    const int height = source.height();
    const qsizetype rowBytes = 3 * static_cast<qsizetype>(width) + 1;
    if (source.isNull() || rowBytes > 32768)
        return QByteArray();
    const QImage image =
        source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
    const Bits up = DistanceBits(static_cast<int>(rowBytes));
    const Bits left = DistanceBits(3);

    BitWriter out(rowBytes * height / 8 + 1024);
    out.bytes().append("\x78\x01", 2); // deflate, 32 KB window, fastest
    out.put(1, 1);                     // the last block
    out.put(1, 2);                     // of the fixed codes
    QByteArray row(rowBytes, Qt::Uninitialized);
    uLong adler = adler32(0, nullptr, 0);
    uLong rowAdler = 0;
    const QRgb* above = nullptr;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // The same pixels as above: the same bytes, the row before's sum again.
        if (above && std::memcmp(line, above, sizeof(QRgb) * static_cast<size_t>(width)) == 0) {
            PutCopy(out, rowBytes, up);
            adler = adler32_combine(adler, rowAdler, rowBytes);
            above = line;
            continue;
        }
        char* at = row.data();
        *at++ = 0;
        for (int x = 0; x < width; ++x) {
            *at++ = static_cast<char>(qRed(line[x]));
            *at++ = static_cast<char>(qGreen(line[x]));
            *at++ = static_cast<char>(qBlue(line[x]));
        }
        rowAdler = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(row.constData()),
                           static_cast<uInt>(rowBytes));
        adler = adler32_combine(adler, rowAdler, rowBytes);
        PutLiteral(out, 0);
        for (int x = 0; x < width;) {
            int same = 0;
            int sameLeft = 0;
            if (above) {
                while (x + same < width && (line[x + same] ^ above[x + same]) << 8 == 0)
                    ++same;
            }
            if (x > 0) {
                const QRgb previous = line[x - 1];
                while (x + sameLeft < width && (line[x + sameLeft] ^ previous) << 8 == 0)
                    ++sameLeft;
            }
            if (same == 0 && sameLeft == 0) {
                const uchar* pixel = reinterpret_cast<const uchar*>(row.constData()) + 1 + 3 * x;
                PutLiteral(out, pixel[0]);
                PutLiteral(out, pixel[1]);
                PutLiteral(out, pixel[2]);
                ++x;
                continue;
            }
            const bool fromAbove = same >= sameLeft;
            const int run = fromAbove ? same : sameLeft;
            PutCopy(out, 3 * static_cast<qsizetype>(run), fromAbove ? up : left);
            x += run;
        }
        above = line;
    }
    out.put(0, 7); // the end of the block
    out.flushByte();
    const char sum[4] = {static_cast<char>(adler >> 24), static_cast<char>(adler >> 16),
                         static_cast<char>(adler >> 8), static_cast<char>(adler)};
    out.bytes().append(sum, 4);
    return std::move(out.bytes());
}
