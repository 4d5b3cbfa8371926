#include "office/PartDeflater.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

/** Inflates raw deflate data whose unpacked size is known. */
QByteArray Inflate(const QByteArray& packed, qsizetype size) {
    QByteArray out(size, Qt::Uninitialized);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return rc == Z_STREAM_END && z.total_out == static_cast<uLong>(size) ? out : QByteArray();
}

/** Text like a sheet's rows, `rows` of them. */
QByteArray SheetLike(int rows) {
    QByteArray text;
    for (int r = 0; r < rows; ++r)
        text += "<row r=\"" + QByteArray::number(r) + "\"><c t=\"s\"><v>" +
                QByteArray::number(r * 7919 % 1000) + "</v></c></row>";
    return text;
}

// Small parts are packed inline, large ones on the packing thread: either way the bytes,
// their CRC and their size come out as one raw deflate stream of what was written.
TEST(PartDeflaterTest, SmallAndLargePartsUnpackToWhatWasWritten) {
    // Written in the small pieces the XML writer hands over, and in pieces larger than the
    // blocks the packing thread takes (split across them).
    for (const qsizetype piece : {qsizetype(1000), qsizetype(3500000)})
        for (const int rows : {0, 10, 200000}) {
            const QByteArray text = SheetLike(rows);
            PartDeflater deflater;
            for (qsizetype at = 0; at < text.size(); at += piece)
                deflater.write(text.constData() + at,
                               static_cast<size_t>(std::min<qsizetype>(piece, text.size() - at)));
            ASSERT_TRUE(deflater.finish()) << rows;
            EXPECT_EQ(deflater.size(), text.size());
            EXPECT_EQ(deflater.crc(), static_cast<quint32>(
                                          crc32(0, reinterpret_cast<const Bytef*>(text.constData()),
                                                static_cast<uInt>(text.size()))));
            EXPECT_EQ(Inflate(deflater.takeOutput(), text.size()), text) << rows;
        }
}

// A part whose writing is cut short (the serialiser threw) ends its packing thread.
TEST(PartDeflaterTest, AWritingCutShortEndsWithoutFinishing) {
    const QByteArray text = SheetLike(200000);
    PartDeflater deflater;
    deflater.write(text.constData(), static_cast<size_t>(text.size()));
    SUCCEED();
}

} // namespace
