#pragma once

#include "common/Messages.h"

#include <memory>

class TFormMain;

/**
 * The mode that leaves the program as soon as its main window is up, so a script can prove
 * that the program starts (TAMBERON_EXIT_AFTER_START=1). Nobody is there to press a button, so
 * in this mode messages go to the error stream and every question gets its cancelling answer.
 */
class StartProbe {
public:
    explicit StartProbe(bool active);
    ~StartProbe();

    /** True when the environment asks for the mode. */
    static bool Requested();

    bool active() const { return m_active; }
    /** The messages of the mode: written to the error stream, counted. */
    Messages& messages();
    /** Once the event loop has run, notes whether the window is up and leaves the loop. */
    void watch(TFormMain& window);
    /**
     * The program's exit code: unchanged outside the mode; in it 0 only when the main window
     * was reached with no error or warning on the way, otherwise non-zero.
     */
    int exitCode(int code) const;

private:
    class ConsoleMessages;
    bool m_active = false;
    bool m_reached = false;
    std::unique_ptr<ConsoleMessages> m_messages;
};
