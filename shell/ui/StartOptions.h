#pragma once
// The window program's command line as one table: it gives "--help", the manual page
// and the usage lines of the print requests. A new option is a new row here (and its
// handling in ParseStartRequest or RunStartOptions).

#include "base/ManPage.h"

#include <iosfwd>
#include <optional>
#include <string>

/// The options of quorvant, as "--help" lists them.
[[nodiscard]] std::span<const cHelpItem> StartOptions();

/// "Aufruf: quorvant ..." with every call form, the options table and how the
/// questionnaires are counted.
[[nodiscard]] std::string StartHelpText();

/// The usage lines of the print requests alone (shown after a wrong print command line).
[[nodiscard]] std::string PrintUsageLines();

/// quorvant(1) in man(7) markup.
[[nodiscard]] std::string StartManPage();

/// Answers "--help", "--version" and "--man-page" before anything of Qt exists, so they
/// need no display; returns the exit status, or nothing when the program is to start.
[[nodiscard]] std::optional<int> RunInfoOptions(int argc, char** argv, std::ostream& out);

/// Whether a window could be shown: the platform named by QT_QPA_PLATFORM, a Wayland
/// session, or an X display whose local server answers.
[[nodiscard]] bool DisplayAvailable();

/// What a start without a display says (one line, German).
inline constexpr const char* kNoDisplayText =
    "Quorvant kann kein Fenster öffnen: Es ist kein Bildschirm erreichbar "
    "(DISPLAY ist leer oder der X-Server antwortet nicht).";
