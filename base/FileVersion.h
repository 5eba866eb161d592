#pragma once
// The program's file version. The version is compiled into every executable as a marker
// text, so the version of another installed executable can be read from its file (the
// command-line tool reads the window program's) the way a version resource is read.

#include <string>

/// The version text of a dotted version "a.b.c.d" (missing parts 0): all four parts
/// when c or d is not 0, else "a.b" when a or b is not 0, else "". Parts above 65535 or
/// text that is no version give "".
std::string FileVersionText(const std::string& version);
/// The version text of the running program.
std::string ProgramVersionText();
/// The version text of the executable at path, from its compiled-in marker; "" when the
/// file cannot be read or holds no marker.
std::string GetFileVersionText(const std::string& path);
