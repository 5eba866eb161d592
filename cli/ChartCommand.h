#pragma once
// "stats FILE --chart OUT.png|OUT.pdf": the progress charts as one page. The tool has no
// Qt, so it runs the window program's chart writer ("quorvant --chart OUT FILE") on the
// offscreen platform, which needs no display.

#include "cli/Commands.h"

#include <string>

/// Writes the chart page of file to out; the exit code (messages on ctx.err).
[[nodiscard]] int RunChartWriter(cCliContext& ctx, const std::string& file, const std::string& out);
