#pragma once
// The progress charts on one A4 landscape page with title and date, as PNG or PDF, for
// "Exportieren..." in the window and for "quorvant --chart OUT FILE" (which
// "quorvant-cli stats FILE --chart OUT" runs on the offscreen platform).

#include <QString>

class cProgress;
class cTrainingData;

/// Writes the page to path: PDF when it ends in ".pdf", else PNG. False when it failed.
[[nodiscard]] bool WriteProgressPage(const cProgress& p, const cTrainingData& data,
                                     const QString& fileTitle, const QString& path);

/// Whether the command line asks for "--chart OUT FILE".
[[nodiscard]] bool IsChartCommandLine(int argc, char** argv);
/// Runs "--chart OUT FILE" without a window (its own application on the offscreen
/// platform): 0 written, 1 the file could not be read or the page not written, 2 usage.
[[nodiscard]] int RunChartCommandLine(int argc, char** argv);
