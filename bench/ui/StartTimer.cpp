// Starts a window program on the X display of $DISPLAY and reports how long it took to
// come up and settle:
//
//   StartTimer PROGRAM [ARGS...]     prints: <ms to idle> <CPU ms to idle> <ms to map>
//
// "Idle" is the moment the program last used the processor before a pause of 150 ms
// that follows the mapping of its first top-level window (its own threads' CPU time from
// /proc, in nanoseconds). The program is then ended with SIGTERM.

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// CPU time of every thread of the process so far.
long long CpuNanoseconds(pid_t pid)
{
    long long total = 0;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* tasks = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(tasks)) {
            std::ifstream in(dir + "/" + entry->d_name + "/schedstat");
            long long onCpu = 0;
            if (entry->d_name[0] != '.' && in >> onCpu)
                total += onCpu;
        }
        closedir(tasks);
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: StartTimer PROGRAM [ARGS...]\n");
        return 2;
    }
    // The server may still be taking the previous round's program down: try for a while.
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    for (int tries = 0; xcb_connection_has_error(x) && tries < 50; ++tries) {
        xcb_disconnect(x);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        x = xcb_connect(nullptr, nullptr);
    }
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    Clock::time_point mapped{};
    while (mapped == Clock::time_point{}) {
        xcb_generic_event_t* event = xcb_wait_for_event(x);
        if (!event)
            return 1;
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY)
            mapped = Clock::now();
        std::free(event);
    }
    long long cpu = CpuNanoseconds(pid);
    Clock::time_point lastBusy = mapped;
    for (Clock::time_point now = mapped; now - lastBusy < std::chrono::milliseconds(150);) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        now = Clock::now();
        if (const long long next = CpuNanoseconds(pid); next != cpu) {
            cpu = next;
            lastBusy = now;
        }
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    xcb_disconnect(x);
    std::printf("%.1f %.1f %.1f\n", Ms(lastBusy - start), double(cpu) / 1e6, Ms(mapped - start));
    return 0;
}
