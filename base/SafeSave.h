#pragma once
// Saving a file without losing anything: the file on disk is compared with the one that
// was read, saves of several programs never interleave (advisory locks), owner, group,
// mode, extended attributes and hard links survive, and an interrupted save leaves
// either the old or the new file.

#include <cstdint>
#include <functional>
#include <string>

class cDatei;

/// Identity of a file as it was read or written: device, inode, size, modification
/// time and a hash of the content (which decides when all the others are equal).
struct cFileStamp {
    bool valid = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t mtimeSec = 0;
    std::int64_t mtimeNsec = 0;
    std::uint64_t hash = 0;
    bool operator==(const cFileStamp&) const = default;
};

/// Stamp of the regular file open as fd (its content read with pread). False on error.
[[nodiscard]] bool StampOpenFile(int fd, cFileStamp& stamp);

/// Writes all of data at offset, or at the file position when offset < 0, going on after
/// interrupted and short writes. False on an error (errno tells).
[[nodiscard]] bool WriteFully(int fd, const char* data, std::size_t size, std::int64_t offset = -1);

/// Whether path names a regular file (after links); FIFOs, folders and devices are not.
[[nodiscard]] bool IsRegularFile(const std::string& path);

/// Takes a shared or exclusive flock on fd, waiting at most a few seconds for another
/// program to release it. False when it stayed locked.
[[nodiscard]] bool LockFile(int fd, bool exclusive);

enum class SaveOutcome {
    Saved,
    Failed,   // could not be written; the old file is untouched (or none was there)
    Changed,  // the file on disk is no longer the one that was read; nothing written
    ReadOnly, // the file may not be written; nothing written
    LinkLoop, // the path is a symbolic link that points in a circle
};

/// Writes path with writer. A symbolic link is followed (a dangling one creates the
/// file it points to). With expected set, a file that differs from that stamp is left
/// alone (Changed). The file is replaced atomically through an anonymous temporary file
/// in its directory; it is written in place (truncated, written, synced) when it has
/// more than one link or its directory refuses new files. written receives the stamp
/// of the file as saved.
[[nodiscard]] SaveOutcome SaveFileSafely(const std::string& path,
                                         const std::function<void(cDatei&)>& writer,
                                         const cFileStamp* expected, cFileStamp* written);

/// Whether writer would write exactly the bytes of the file behind stamp (same size and
/// content hash), found without touching that file.
[[nodiscard]] bool WritesSameAs(const std::function<void(cDatei&)>& writer, const cFileStamp& stamp);

/// Finishes a save in place of path that was killed half-way (hard-linked files and
/// files in folders that refuse new files are written in place), from the journal that
/// save left beside the file; drops a journal that was not complete. Call before reading.
void FinishInterruptedSave(const std::string& path);
/// Removes temporary files ".quorvant-PID-N.tmp" in dir whose process no longer runs.
void RemoveStaleTemporaries(const std::string& dir);
