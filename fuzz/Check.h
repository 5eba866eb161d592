#pragma once
// A broken invariant ends the fuzz run like a crash, so the input is kept.

#include <cstdio>
#include <cstdlib>

inline void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}
