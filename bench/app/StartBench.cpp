// The program started as the valuer starts it, in a process of its own: the time until its
// main window is up (the start probe's line) and until the process has ended. Needs a
// printer, as the program does. Run: QT_QPA_PLATFORM=offscreen build/bench/app/bench_app
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/** One start: false when the program did not reach its window or failed. */
bool StartOnce(double& window, double& ended) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        setenv("TAMBERON_EXIT_AFTER_START", "1", 1);
        execl(TAMBERON_PROGRAM, TAMBERON_PROGRAM, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string printed;
    window = -1;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        printed.append(buffer, static_cast<size_t>(n));
        if (window < 0 && printed.find("відкрито") != std::string::npos)
            window = MsSince(start);
    }
    close(pipeEnds[0]);
    int status = 0;
    const bool exited = child > 0 && waitpid(child, &status, 0) == child;
    ended = MsSince(start);
    return exited && WIFEXITED(status) && WEXITSTATUS(status) == 0 && window >= 0;
}

void BM_StartToMainWindow(benchmark::State& state) {
    double window = 0, ended = 0;
    for (auto _ : state) {
        double w = 0, e = 0;
        if (!StartOnce(w, e)) {
            state.SkipWithError("the program did not reach its main window (a printer?)");
            return;
        }
        state.SetIterationTime(w / 1000.0);
        window += w;
        ended += e;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["window_ms"] = window / n;
    state.counters["process_ended_ms"] = ended / n;
}
BENCHMARK(BM_StartToMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
