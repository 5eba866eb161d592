#include "data/LargePages.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

void AdviseLargePages(const void* begin, std::size_t bytes)
{
    constexpr std::uintptr_t kLarge = 2u << 20;
    if (bytes < 4 * kLarge)
        return;
    const auto from = (reinterpret_cast<std::uintptr_t>(begin) + kLarge - 1) & ~(kLarge - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(begin) + bytes) & ~(kLarge - 1);
    if (to > from)
        (void)madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

namespace {

constexpr const char* kTunables = "GLIBC_TUNABLES";
constexpr const char* kHeapPages = "glibc.malloc.hugetlb";
// The user's GLIBC_TUNABLES before the restart ("-" when there was none).
constexpr const char* kSaved = "QUORVANT_SAVED_TUNABLES";

std::optional<std::string> Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnv(const char* name, const std::optional<std::string>& value)
{
    if (value)
        (void)setenv(name, value->c_str(), 1);
    else
        (void)unsetenv(name);
}

bool KernelHasLargePages()
{
    std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    return std::getline(in, modes) && modes.find("[never]") == std::string::npos;
}

} // namespace

// A large training file fills hundreds of megabytes with small blocks (the task texts).
// On small pages the kernel faults in and zeroes every 4 KB of them, which took half the
// time of opening a million tasks; the C library backs its heap with large pages only
// when told so before the program starts.
void RestartWithLargeHeapPages(char** argv)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    (void)argv;
    return; // the sanitizer brings its own allocator
#else
    if (const auto saved = Env(kSaved)) {
        // Restarted: the C library has read the setting; programs started from here
        // (help browser, the restarted program after an update) get the user's own.
        SetEnv(kTunables, *saved == "-" ? std::nullopt : saved);
        (void)unsetenv(kSaved);
        return;
    }
    const auto tunables = Env(kTunables);
    if ((tunables && tunables->find(kHeapPages) != std::string::npos) || !KernelHasLargePages())
        return;
    const std::string setting = std::string(kHeapPages) + "=1";
    SetEnv(kSaved, tunables ? tunables : std::optional<std::string>("-"));
    SetEnv(kTunables, tunables && !tunables->empty() ? *tunables + ":" + setting : setting);
    (void)execv("/proc/self/exe", argv);
    // Not restarted (no /proc, or the program file is gone): go on as we are.
    SetEnv(kTunables, tunables);
    (void)unsetenv(kSaved);
#endif
}
