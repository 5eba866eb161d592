#pragma once
// Where a task's sound and picture files are found.

#include <string>

/// The sound name of a task's sound text: the part before the first "/", without blanks
/// and without "-".
[[nodiscard]] std::string SoundFileName(const std::string& soundText);

/// Full path (UTF-8) of a media file named in a task (Windows-1252, "\" or "/" as
/// separators), relative to the program directory (UTF-8, with a trailing "/").
[[nodiscard]] std::string MediaPath(const std::string& programDir, const std::string& name);

/// The directory of the running executable with a trailing "/", or "./" when unknown.
[[nodiscard]] std::string ProgramDirectory();

/// Whether the file at this path can be opened for reading.
[[nodiscard]] bool FileReadable(const std::string& path);
