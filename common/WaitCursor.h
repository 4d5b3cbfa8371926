#pragma once

#include <functional>

/**
 * The hourglass while an object of this class lives: shown on construction, restored on
 * destruction whatever way the scope is left; nests. Data code uses it without knowing the
 * windows: the program installs the handler that really changes the cursor.
 */
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

/** Installs what shows (true) and restores (false) the hourglass; none by default. */
void SetWaitCursorHandler(std::function<void(bool wait)> handler);
