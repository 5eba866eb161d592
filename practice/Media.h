#pragma once
// Where a task's sound and picture files are found. A training file comes from anybody:
// the names in it reach only regular files below the training file's folder or the
// program folder.

#include <cstddef>
#include <string>
#include <vector>

/// Largest picture file the window reads (it reads the whole file on its own thread).
inline constexpr std::size_t kMaxPictureFile = 64u << 20;

/// The sound name of a task's sound text: the part before the first "/", without blanks
/// and without "-".
[[nodiscard]] std::string SoundFileName(const std::string& soundText);

/// Full path (UTF-8) of a media file named in a task (Windows-1252, "\" or "/" as
/// separators), relative to the program directory (UTF-8, with a trailing "/").
[[nodiscard]] std::string MediaPath(const std::string& programDir, const std::string& name);

/// The folders media are looked up in, in order: the training file's folder, then the
/// program folder (UTF-8).
[[nodiscard]] std::vector<std::string> MediaFolders(const std::string& trainingFile,
                                                    const std::string& programDir);

/// The path (links resolved) of the regular file that a media name (Windows-1252, "\"
/// or "/") names in the first of folders that has one; empty when none has. Absolute
/// names, names leaving their folder through ".." or a link, FIFOs, devices and folders
/// are never found.
[[nodiscard]] std::string FindMediaFile(const std::vector<std::string>& folders, const std::string& name);

/// Where a media name would be in the first folder when nothing is there and the name is
/// one FindMediaFile may find (for messages about a missing file); empty otherwise.
[[nodiscard]] std::string ExpectedMediaPath(const std::vector<std::string>& folders, const std::string& name);

/// Reads a regular file of at most limit bytes without blocking on FIFOs or devices.
/// False for anything else.
[[nodiscard]] bool ReadMediaFile(const std::string& path, std::size_t limit, std::string& bytes);

/// The directory of the running executable with a trailing "/", or "./" when unknown.
[[nodiscard]] std::string ProgramDirectory();

/// Whether the path names a regular file that can be opened for reading (never blocks).
[[nodiscard]] bool FileReadable(const std::string& path);
