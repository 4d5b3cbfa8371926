#include "common/ui/LongWork.h"

#include "common/WaitCursor.h"
#include "common/ui/Wait.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

int& ShowDelay() {
    static int delay = 500;
    return delay;
}

// How often pending window messages run while the window shows: often enough for "Стоп",
// seldom enough not to slow the work.
constexpr qint64 kEventsEveryMs = 40;

} // namespace

LongWork::LongWork(const QString& info) : m_info(info), m_cursor(std::make_unique<WaitCursor>()) {
    m_clock.start();
}

LongWork::~LongWork() {
    if (m_shown)
        FormWait().EndOutsideWork();
}

void LongWork::SetShowDelay(int milliseconds) {
    ShowDelay() = std::max(0, milliseconds);
}

std::function<bool(qint64, qint64)> LongWork::callback() {
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

bool LongWork::step(qint64 done, qint64 total) {
    if (m_stopped)
        return false;
    const qint64 now = m_clock.elapsed();
    if (!m_shown) {
        if (now < ShowDelay())
            return true;
        m_shown = true;
        FormWait().BeginOutsideWork(m_info);
    }
    TFormWait& wait = FormWait();
    const int scale = total > 1000000 ? static_cast<int>(total / 1000000) + 1 : 1;
    wait.setProgress(static_cast<int>(total / scale), static_cast<int>(done / scale));
    if (m_lastEvents < 0 || now - m_lastEvents >= kEventsEveryMs) {
        m_lastEvents = now;
        QCoreApplication::processEvents();
    }
    m_stopped = wait.stopRequested();
    return !m_stopped;
}
