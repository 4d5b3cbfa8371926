#include "tests/support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

/** Waits until this process runs on its own thread alone: a thread of earlier work that is
 * still ending may hold a library's lock (GLib's allocator, say), which a child would inherit
 * held for ever. Gives up after ten seconds, for a thread that never ends. */
void AwaitOneThread() {
    const auto threads = [] {
        std::error_code ec;
        int count = 0;
        for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; !ec && it != end;
             it.increment(ec))
            ++count;
        return count;
    };
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (threads() > 1 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

ChildOutcome RunInChild(const std::function<int()>& body, long long fileSizeLimit,
                        OverLimit overLimit) {
    AwaitOneThread();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (fileSizeLimit >= 0) {
            std::signal(SIGXFSZ, overLimit == OverLimit::Fail ? SIG_IGN : SIG_DFL);
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                               static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        int status = 125;
        try {
            status = body();
        } catch (...) {
            status = 126;
        }
        _exit(status);
    }
    ChildOutcome outcome;
    int wstatus = 0;
    if (pid < 0 || waitpid(pid, &wstatus, 0) != pid)
        return outcome;
    if (WIFEXITED(wstatus)) {
        outcome.exited = true;
        outcome.status = WEXITSTATUS(wstatus);
    } else if (WIFSIGNALED(wstatus)) {
        outcome.signal = WTERMSIG(wstatus);
    }
    return outcome;
}

void KillSelf() {
    kill(getpid(), SIGKILL);
    for (;;)
        pause();
}
