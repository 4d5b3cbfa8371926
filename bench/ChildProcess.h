#pragma once

// Peak memory measured in processes of their own. The kernel carries a process's peak over
// into a child it starts (fork, or spawn sharing its memory), so a big benchmark process
// cannot read a child's peak from getrusage: a fresh, small process of the benchmark does
// the measuring and prints what it found.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

/** This process's peak resident set in MB (the high-water mark of its own memory). */
inline double OwnPeakMb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    double peak = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            peak = std::atof(line + 6) / 1024.0;
    std::fclose(status);
    return peak;
}

/** Runs this program again with `arguments`; what it printed, or false when it failed. */
inline bool RunSelf(const std::vector<std::string>& arguments, std::string& output) {
    std::string self = "/proc/self/exe";
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv{self.data()};
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(self.c_str(), argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    output.clear();
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

/**
 * In the small process RunSelf started: runs `argv` (the program first, its output
 * discarded) and prints "PEAK_MB CPU_MS STATUS" of it. Its peak is its own unless it stays
 * below this process's, which is printed as well (the 4th number).
 */
inline int MeasureProgram(char** argv) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return 1;
    const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    std::printf("%.1f %.1f %d %.1f\n", usage.ru_maxrss / 1024.0, cpu, WEXITSTATUS(status),
                OwnPeakMb());
    return 0;
}

} // namespace bench
