#include "practice/Media.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The name as a relative path with "/" separators and no "." or ".." left; empty when
// it is absolute or climbs above its folder.
std::string CleanName(const std::string& name)
{
    std::string path = Cp1252ToUtf8(name);
    // Files made on other systems may name sub-folders with backslashes.
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.empty() || path.front() == '/')
        return std::string();
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, slash - start);
        start = slash + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.empty())
                return std::string();
            parts.pop_back();
        } else {
            parts.push_back(part);
        }
    }
    std::string clean;
    for (const std::string& part : parts)
        clean += (clean.empty() ? "" : "/") + part;
    return clean;
}

std::string RealPath(const std::string& path)
{
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

// Opens a regular file for reading; -1 for anything else. O_NONBLOCK keeps a FIFO
// without writer from blocking the open.
int OpenRegular(const std::string& path, struct stat& st)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::string SoundFileName(const std::string& soundText)
{
    const std::string head = soundText.substr(0, soundText.find('/'));
    std::string name;
    for (const char c : head)
        if (c != ' ' && c != '-')
            name += c;
    return name;
}

std::string MediaPath(const std::string& programDir, const std::string& name)
{
    std::string path = Cp1252ToUtf8(name);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return programDir + path;
}

std::vector<std::string> MediaFolders(const std::string& trainingFile, const std::string& programDir)
{
    std::vector<std::string> folders;
    const std::size_t slash = trainingFile.rfind('/');
    if (!trainingFile.empty())
        folders.push_back(slash == std::string::npos ? std::string(".") : trainingFile.substr(0, slash + 1));
    if (!programDir.empty())
        folders.push_back(programDir);
    return folders;
}

std::string FindMediaFile(const std::vector<std::string>& folders, const std::string& name)
{
    const std::string clean = CleanName(name);
    if (clean.empty())
        return std::string();
    for (const std::string& folder : folders) {
        const std::string root = RealPath(folder);
        if (root.empty())
            continue;
        const std::string path = RealPath(root + "/" + clean);
        // After links are resolved the file must still lie below its folder.
        if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0 ||
            (root != "/" && path[root.size()] != '/'))
            continue;
        struct stat st {};
        const int fd = OpenRegular(path, st);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
    }
    return std::string();
}

std::string ExpectedMediaPath(const std::vector<std::string>& folders, const std::string& name)
{
    const std::string clean = CleanName(name);
    if (clean.empty() || folders.empty())
        return std::string();
    std::string folder = folders.front();
    if (folder.back() != '/')
        folder += '/';
    // Only for a file that is missing: a name that leads to a link, FIFO or folder is
    // refused, not missing.
    struct stat st {};
    return lstat((folder + clean).c_str(), &st) != 0 && errno == ENOENT ? folder + clean : std::string();
}

bool ReadMediaFile(const std::string& path, std::size_t limit, std::string& bytes)
{
    bytes.clear();
    struct stat st {};
    const int fd = OpenRegular(path, st);
    if (fd < 0)
        return false;
    bool ok = static_cast<std::uint64_t>(st.st_size) <= limit;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            done += ok ? static_cast<std::size_t>(n) : 0;
        }
    }
    ::close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

std::string ProgramDirectory()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.empty())
        return "./";
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

bool FileReadable(const std::string& path)
{
    struct stat st {};
    const int fd = path.empty() ? -1 : OpenRegular(path, st);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}
