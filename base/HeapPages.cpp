// Compiled into both programs (not into the libraries or tests), which allocate through
// mimalloc. A large training file fills hundreds of megabytes with millions of small
// blocks (the task texts); on 4 KB pages the kernel faults in and zeroes every page of
// them, about half the time of opening a million tasks. Large (2 MB) pages for the
// allocator's segments spare most of that; a setting the user made in the environment
// (MIMALLOC_LARGE_OS_PAGES) is left as it is.

#include <mimalloc.h>

#include <cstdlib>

namespace {

// Before the program's own constructors, so that nearly the whole heap is on large pages.
[[gnu::constructor(101)]] void UseLargeHeapPages()
{
    if (!std::getenv("MIMALLOC_LARGE_OS_PAGES"))
        mi_option_enable(mi_option_large_os_pages);
}

} // namespace
