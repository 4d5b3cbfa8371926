#pragma once

#include <functional>

/** How a child process ended. */
struct ChildOutcome {
    bool exited = false; ///< ended by itself; `status` is its exit status
    int status = -1;
    int signal = 0; ///< the signal that ended it, when it did not end by itself
};

/** What a write past the child's file-size limit does. */
enum class OverLimit {
    Fail, ///< the write fails, as on a full disk
    Kill, ///< the child is killed there (SIGXFSZ), in the middle of its writing
};

/**
 * Runs `body` in a forked child process; its return value becomes the exit status. With a
 * `fileSizeLimit` (bytes) no file of the child grows beyond it. Fault-injection tests also
 * kill the child from inside at a chosen moment with KillSelf().
 */
ChildOutcome RunInChild(const std::function<int()>& body, long long fileSizeLimit = -1,
                        OverLimit overLimit = OverLimit::Fail);

/** Ends the calling process at once with SIGKILL: no clean-up, no destructors. */
[[noreturn]] void KillSelf();
