#pragma once

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <pugixml.hpp>
#include <thread>
#include <utility>
#include <zlib.h>

/**
 * Deflates what is written to it as it comes, as the zip would (raw deflate, level 1), with
 * the CRC and the size of the bytes written: a part of tens of megabytes of XML never exists
 * whole, only its compressed bytes. Past the first blocks the CRC and the deflating go to a
 * thread of their own, so a large part is written out on one core while it is packed on the
 * other; only a few blocks ever wait between the two.
 */
class PartDeflater final : public pugi::xml_writer {
public:
    PartDeflater();
    ~PartDeflater() override;
    PartDeflater(const PartDeflater&) = delete;
    PartDeflater& operator=(const PartDeflater&) = delete;

    void write(const void* data, size_t length) override;
    /** Ends the stream; false when deflating failed. */
    bool finish();

    /** The deflated bytes, once finished. */
    QByteArray takeOutput() { return std::move(m_out); }
    quint32 crc() const { return m_crc; }
    qint64 size() const { return m_size; }

private:
    /** A block of bytes written, and whether it is the stream's last. */
    using Block = std::pair<QByteArray, bool>;

    void hand(QByteArray block, bool last);
    void packLoop();
    void pack(const QByteArray& block, bool last);
    void run(const Bytef* data, uInt length, int flush);

    z_stream m_stream{};
    QByteArray m_out;
    QByteArray m_block;
    quint32 m_crc = 0;
    qint64 m_size = 0;
    bool m_ok = false;
    bool m_finished = false;

    std::thread m_packer;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_waiting;
};
