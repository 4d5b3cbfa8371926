#include "office/PartDeflater.h"

#include <algorithm>

namespace {

/** The bytes handed over at a time, and how many such blocks may wait to be packed. */
constexpr qsizetype kBlock = 1 << 20;
constexpr size_t kWaiting = 3;

} // namespace

PartDeflater::PartDeflater() {
    m_ok = deflateInit2(&m_stream, 1, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) == Z_OK;
    m_crc = static_cast<quint32>(crc32(0, nullptr, 0));
    m_block.reserve(kBlock);
}

PartDeflater::~PartDeflater() {
    // Cut short (the writing threw): the packer ends with what it has.
    if (m_packer.joinable()) {
        hand(QByteArray(), true);
        m_packer.join();
    }
    deflateEnd(&m_stream);
}

void PartDeflater::write(const void* data, size_t length) {
    m_size += static_cast<qint64>(length);
    const char* bytes = static_cast<const char*>(data);
    auto left = static_cast<qsizetype>(length);
    // Blocks are filled to their size exactly: one grown past it would take twice the memory.
    while (left > 0) {
        const qsizetype taken = std::min(left, kBlock - m_block.size());
        m_block.append(bytes, taken);
        bytes += taken;
        left -= taken;
        if (m_block.size() < kBlock)
            return;
        // A part this large is packed beside its writing.
        if (!m_packer.joinable())
            m_packer = std::thread([this] { packLoop(); });
        QByteArray full = std::move(m_block);
        m_block = QByteArray();
        m_block.reserve(kBlock);
        hand(std::move(full), false);
    }
}

bool PartDeflater::finish() {
    if (m_finished)
        return m_ok;
    m_finished = true;
    if (m_packer.joinable()) {
        hand(std::move(m_block), true);
        m_packer.join();
    } else {
        pack(m_block, true);
    }
    m_block = QByteArray();
    return m_ok;
}

void PartDeflater::hand(QByteArray block, bool last) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.size() < kWaiting; });
    m_waiting.emplace_back(std::move(block), last);
    m_changed.notify_all();
}

void PartDeflater::packLoop() {
    for (;;) {
        Block block;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_waiting.empty(); });
            block = std::move(m_waiting.front());
            m_waiting.pop_front();
            m_changed.notify_all();
        }
        pack(block.first, block.second);
        if (block.second)
            return;
    }
}

void PartDeflater::pack(const QByteArray& block, bool last) {
    const auto* bytes = reinterpret_cast<const Bytef*>(block.constData());
    qsizetype left = block.size();
    // zlib counts in 32 bits.
    while (left > 0) {
        const auto piece = static_cast<uInt>(std::min<qsizetype>(left, 1 << 30));
        m_crc = static_cast<quint32>(crc32(m_crc, bytes, piece));
        run(bytes, piece, Z_NO_FLUSH);
        bytes += piece;
        left -= piece;
    }
    if (last)
        run(nullptr, 0, Z_FINISH);
}

void PartDeflater::run(const Bytef* data, uInt length, int flush) {
    if (!m_ok)
        return;
    m_stream.next_in = const_cast<Bytef*>(data);
    m_stream.avail_in = length;
    int rc = Z_OK;
    do {
        if (m_out.capacity() - m_out.size() < 4096)
            m_out.reserve(std::max<qsizetype>(m_out.capacity() * 2, 1 << 16));
        const qsizetype at = m_out.size();
        const qsizetype room = m_out.capacity() - at;
        m_out.resize(m_out.capacity());
        m_stream.next_out = reinterpret_cast<Bytef*>(m_out.data() + at);
        m_stream.avail_out = static_cast<uInt>(std::min<qsizetype>(room, 1 << 30));
        rc = deflate(&m_stream, flush);
        m_out.resize(at + (room - static_cast<qsizetype>(m_stream.avail_out)));
        if (rc == Z_STREAM_ERROR) {
            m_ok = false;
            return;
        }
    } while (m_stream.avail_in > 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
}
