#include "tests/support/ChildProcess.h"

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

ChildOutcome RunInChild(const std::function<int()>& body, long long fileSizeLimit,
                        OverLimit overLimit) {
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
