// Runs a command several times and reports its wall time and peak memory, the latter
// as the kernel counted it for the finished process (getrusage through wait4):
//
//   Measure RUNS OUTFILE COMMAND [ARGS...]
//
// The command's standard output goes to OUTFILE (/dev/null to drop it). Prints one line:
//   <min s> <median s> <max s> <median CPU s> <peak MB (10^6 bytes)>
// The CPU time (user + system) is given beside the wall time: on a machine busy with
// other work it shows what the command itself costs. Exits 1 when any run failed.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: Measure RUNS OUTFILE COMMAND [ARGS...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<double> seconds;
    std::vector<double> cpu;
    long peakKb = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child < 0) {
            std::perror("fork");
            return 1;
        }
        if (child == 0) {
            const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || dup2(out, STDOUT_FILENO) < 0)
                _exit(127);
            execvp(argv[3], argv + 3);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) != child) {
            std::perror("wait4");
            return 1;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed (status %d)\n", argv[3], status);
            return 1;
        }
        seconds.push_back(took.count());
        cpu.push_back(static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    std::sort(seconds.begin(), seconds.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%.3f %.3f %.3f %.3f %.1f\n", seconds.front(), seconds[seconds.size() / 2],
                seconds.back(), cpu[cpu.size() / 2],
                static_cast<double>(peakKb) * 1024.0 / 1.0e6);
    return 0;
}
