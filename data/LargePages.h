#pragma once
// Large pages for the task array of a big file or import.

#include <cstddef>

/// Asks for large pages over [begin, begin + bytes): the array is one big block filled
/// front to back, and large pages spare tens of thousands of page faults while it is
/// first touched. Small blocks are left alone.
void AdviseLargePages(const void* begin, std::size_t bytes);

/// Called first in main(): starts the program once more, in the same process, with the
/// C library told to back its heap with large pages, unless that is already so, the
/// user set it, the kernel has no large pages or the allocator is a sanitizer's.
/// Returns normally in the restarted program (whose environment is the user's again)
/// and wherever the restart is not possible.
void RestartWithLargeHeapPages(char** argv);
