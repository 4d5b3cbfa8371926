#pragma once

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>

class WaitCursor;

/**
 * Long work a core does on the user-interface thread, reporting its progress through a
 * callback (done, total) that answers whether to go on: the hourglass shows at once, the
 * progress window with its "Стоп" once the work has run for half a second, until the object
 * is gone. Pressing "Стоп" (or Escape) makes the callback answer false.
 */
class LongWork {
public:
    explicit LongWork(const QString& info);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    /** The callback to hand to the core; valid while this object lives. */
    std::function<bool(qint64 done, qint64 total)> callback();
    /** Whether "Стоп" was pressed. */
    bool stopped() const { return m_stopped; }
    /** Whether the progress window was shown. */
    bool shown() const { return m_shown; }

    /** How long work runs before the window shows, in milliseconds (500; tests set 0). */
    static void SetShowDelay(int milliseconds);

private:
    bool step(qint64 done, qint64 total);

    QString m_info;
    QElapsedTimer m_clock;
    qint64 m_lastEvents = -1;
    bool m_shown = false;
    bool m_stopped = false;
    std::unique_ptr<WaitCursor> m_cursor;
};
