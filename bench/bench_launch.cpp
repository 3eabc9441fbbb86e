// bench_launch RUNS PROGRAM [ARGS...]
//
// Starts PROGRAM RUNS times, one after the other, with
// TESSURI_BENCH_FIRST_PAINT=1, and measures the time from just before the
// exec to the "first-paint <CLOCK_MONOTONIC ns>" line the program prints to
// stderr on its first paint. Each run is ended with SIGTERM (SIGKILL after
// 3 s) before the next starts. Prints one line per run and then
// "median-ms <value>".
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

bool Exited(pid_t pid, int wait_ms) {
    for (int waited = 0; waited <= wait_ms; waited += 10) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
        usleep(10000);
    }
    return false;
}

// One start; returns milliseconds to the first paint, or a negative value.
double OneRun(char** argv) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    const long long start = MonotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDERR_FILENO);
        setenv("TESSURI_BENCH_FIRST_PAINT", "1", 1);
        execv(argv[0], argv);
        _exit(127);
    }
    close(fds[1]);
    std::string seen;
    long long painted = -1;
    const long long deadline = start + 20'000'000'000LL;
    while (painted < 0 && MonotonicNs() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buf[4096];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        seen.append(buf, static_cast<size_t>(n));
        const auto at = seen.find("first-paint ");
        if (at != std::string::npos && seen.find('\n', at) != std::string::npos)
            painted = std::atoll(seen.c_str() + at + 12);
    }
    kill(pid, SIGTERM);
    if (!Exited(pid, 3000)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(fds[0]);
    if (painted < 0) {
        std::fprintf(stderr, "bench_launch: no first-paint line from %s; it printed:\n%s\n", argv[0], seen.c_str());
        return -1;
    }
    return static_cast<double>(painted - start) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_launch RUNS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double t = OneRun(argv + 2);
        if (t < 0) return 1;
        std::printf("run %d %.2f ms\n", i + 1, t);
        ms.push_back(t);
        usleep(200000);  // let the window manager forget the last window
    }
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("median-ms %.2f\n", median);
    return 0;
}
