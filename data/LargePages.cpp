#include "data/LargePages.h"

#include <cstdint>

#include <sys/mman.h>

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
