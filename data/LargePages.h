#pragma once
// Large pages for the task array of a big file or import.

#include <cstddef>

/// Asks for large pages over [begin, begin + bytes): the array is one big block filled
/// front to back, and large pages spare tens of thousands of page faults while it is
/// first touched. Small blocks are left alone.
void AdviseLargePages(const void* begin, std::size_t bytes);
