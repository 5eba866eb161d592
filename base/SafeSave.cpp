#include "base/SafeSave.h"

#include "base/Datei.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// How long a save or a read waits for another program's lock before it gives up.
constexpr auto kLockPatience = std::chrono::seconds(10);
// More links than this in a row count as a loop, as the system itself counts them.
constexpr int kMaxLinkHops = 40;
constexpr const char* kTempPrefix = ".quorvant-";
constexpr const char* kTempSuffix = ".tmp";

// Closes a descriptor when it goes out of scope.
class cFd {
public:
    explicit cFd(int fd = -1) : m_fd(fd) {}
    ~cFd() { Reset(); }
    cFd(const cFd&) = delete;
    cFd& operator=(const cFd&) = delete;
    void Reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    [[nodiscard]] int Get() const { return m_fd; }

private:
    int m_fd;
};

std::string DirOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

enum class Resolve { Ok, Loop, Failed };

// Follows symbolic links to the name that is really written; a dangling link yields the
// name it points to, so saving creates that file instead of replacing the link.
Resolve ResolveLinks(const std::string& path, std::string& target)
{
    target = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? Resolve::Ok : (errno == ELOOP ? Resolve::Loop : Resolve::Failed);
        if (!S_ISLNK(st.st_mode))
            return Resolve::Ok;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = readlink(target.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size())
            return Resolve::Failed;
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        if (link.empty())
            return Resolve::Failed;
        target = link.front() == '/' ? link : DirOf(target) + "/" + link;
    }
    return Resolve::Loop;
}

// The file under target, opened and exclusively locked, so that no other careful
// program reads or writes it meanwhile; -1 in fd when there is none. A file replaced
// while we waited for its lock is opened again.
bool OpenLocked(const std::string& target, cFd& fd, struct stat& st)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        int raw = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (raw < 0 && errno == EACCES)
            raw = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (raw < 0) {
            fd.Reset();
            return errno == ENOENT;
        }
        fd.Reset(raw);
        if (fstat(raw, &st) != 0 || !S_ISREG(st.st_mode) || !LockFile(raw, true))
            return false;
        struct stat now {};
        if (stat(target.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
            return fstat(raw, &st) == 0;
    }
    return false;
}

bool SameFile(const struct stat& st, const cFileStamp& stamp)
{
    return stamp.device == st.st_dev && stamp.inode == st.st_ino &&
           stamp.size == static_cast<std::uint64_t>(st.st_size) &&
           stamp.mtimeSec == st.st_mtim.tv_sec && stamp.mtimeNsec == st.st_mtim.tv_nsec;
}

// A file without any write permission bit is read-only for everybody, root included:
// whoever took the bits away did not want it changed.
bool MayWrite(const std::string& target, const struct stat& st)
{
    return (st.st_mode & 0222) != 0 && access(target.c_str(), W_OK) == 0;
}

std::string TempName(const std::string& dir, int attempt)
{
    return dir + "/" + kTempPrefix + std::to_string(getpid()) + "-" + std::to_string(attempt) +
           kTempSuffix;
}

// Gives the new file the old one's owner, group, mode and extended attributes, as far
// as this process may set them.
void CopyIdentity(int from, const struct stat& st, int to)
{
    if (fchown(to, st.st_uid, st.st_gid) != 0)
        (void)fchown(to, static_cast<uid_t>(-1), st.st_gid); // a group we belong to
    (void)fchmod(to, st.st_mode & 07777);
    if (from < 0)
        return;
    const ssize_t size = flistxattr(from, nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = flistxattr(from, names.data(), names.size());
    std::vector<char> value;
    for (ssize_t i = 0; i < got; i += static_cast<ssize_t>(std::strlen(names.data() + i)) + 1) {
        const char* name = names.data() + i;
        const ssize_t length = fgetxattr(from, name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(static_cast<std::size_t>(length));
        const ssize_t read = fgetxattr(from, name, value.data(), value.size());
        if (read >= 0)
            (void)fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0);
    }
}

// A new file in dir that appears under a name only when it is linked in: an anonymous
// file where the file system has them, else a hidden temporary name (in tempName).
int CreateTemporary(const std::string& dir, std::string& tempName)
{
    tempName.clear();
    const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0)
        return fd;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
        return -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TempName(dir, attempt);
        const int named = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (named >= 0) {
            tempName = name;
            return named;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

// Gives the anonymous file a name in dir (its temporary name from then on).
bool LinkTemporary(int fd, const std::string& dir, std::string& tempName)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TempName(dir, attempt);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
            tempName = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

void SyncDirectory(const std::string& dir)
{
    const cFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0)
        (void)fsync(fd.Get());
}

// Runs writer on fd and syncs; true when every byte reached the disk.
bool WriteAll(int fd, const std::function<void(cDatei&)>& writer)
{
    cDatei out;
    if (!out.OpenForWriting(fd))
        return false;
    writer(out);
    return out.Finish(true);
}

} // namespace

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool LockFile(int fd, bool exclusive)
{
    const int op = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    while (flock(fd, op) != 0) {
        if (errno == EINTR)
            continue;
        // File systems without locks cannot coordinate anyway.
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS)
            return true;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool StampOpenFile(int fd, cFileStamp& stamp)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.mtimeSec = st.st_mtim.tv_sec;
    stamp.mtimeNsec = st.st_mtim.tv_nsec;
    // Enough to notice a change that kept size and time. Four FNV-style lanes over
    // 8-byte words keep the multiply chains short: a byte-wise hash took a tenth of the
    // time to open a large file. Buffers are filled completely, so the words fall at the
    // same places however the kernel splits the reads.
    constexpr std::uint64_t kPrime = 1099511628211ull;
    std::uint64_t lane[4] = {1469598103934665603ull, 1, 2, 3};
    std::vector<unsigned char> buffer(256 * 1024);
    off_t offset = 0;
    bool end = false;
    while (!end) {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            const ssize_t n = pread(fd, buffer.data() + filled, buffer.size() - filled, offset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return false;
            if (n == 0) {
                end = true;
                break;
            }
            filled += static_cast<std::size_t>(n);
            offset += n;
        }
        std::size_t i = 0;
        for (; i + 32 <= filled; i += 32)
            for (int k = 0; k < 4; ++k) {
                std::uint64_t word;
                std::memcpy(&word, buffer.data() + i + 8 * k, sizeof word);
                lane[k] = (lane[k] ^ word) * kPrime;
            }
        for (; i < filled; ++i)
            lane[0] = (lane[0] ^ buffer[i]) * kPrime;
    }
    std::uint64_t hash = lane[0];
    for (int k = 1; k < 4; ++k)
        hash = (hash ^ lane[k]) * kPrime;
    stamp.hash = hash;
    stamp.valid = true;
    return true;
}

bool WritesSameAs(const std::function<void(cDatei&)>& writer, const cFileStamp& stamp)
{
    if (!stamp.valid)
        return false;
    const cFd memory(memfd_create("quorvant-compare", MFD_CLOEXEC));
    cFileStamp written;
    if (memory.Get() < 0 || !WriteAll(memory.Get(), writer) || !StampOpenFile(memory.Get(), written))
        return false;
    return written.size == stamp.size && written.hash == stamp.hash;
}

void RemoveStaleTemporaries(const std::string& dir)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return;
    const std::string prefix = kTempPrefix;
    const std::string suffix = kTempSuffix;
    while (const dirent* entry = readdir(d)) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::size_t dash = name.find('-', prefix.size());
        if (dash == std::string::npos || dash == prefix.size())
            continue;
        long pid = 0;
        bool digits = true;
        for (std::size_t i = prefix.size(); i < dash && digits; ++i) {
            digits = name[i] >= '0' && name[i] <= '9' && pid < 100000000;
            pid = pid * 10 + (name[i] - '0');
        }
        if (!digits || pid <= 0)
            continue;
        if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            (void)unlinkat(dirfd(d), name.c_str(), 0);
    }
    closedir(d);
}

SaveOutcome SaveFileSafely(const std::string& path, const std::function<void(cDatei&)>& writer,
                           const cFileStamp* expected, cFileStamp* written)
{
    if (path.empty() || path.size() > kMaxDateiPath || path.find('\0') != std::string::npos)
        return SaveOutcome::Failed;
    std::string target;
    switch (ResolveLinks(path, target)) {
    case Resolve::Loop: return SaveOutcome::LinkLoop;
    case Resolve::Failed: return SaveOutcome::Failed;
    case Resolve::Ok: break;
    }
    const std::string dir = DirOf(target);

    // Held until the new file is in place: a second saver waits and then sees the change.
    cFd old;
    struct stat st {};
    if (!OpenLocked(target, old, st))
        return SaveOutcome::Failed;
    const bool exists = old.Get() >= 0;
    if (exists && expected && expected->valid) {
        cFileStamp now;
        if (!SameFile(st, *expected) || !StampOpenFile(old.Get(), now) || now.hash != expected->hash)
            return SaveOutcome::Changed;
    }
    if (exists && !MayWrite(target, st))
        return SaveOutcome::ReadOnly;

    RemoveStaleTemporaries(dir);
    std::string tempName;
    cFd temp;
    // A hard-link partner must see the new content, so such a file is written in place.
    bool inPlace = exists && st.st_nlink > 1;
    if (!inPlace) {
        temp.Reset(CreateTemporary(dir, tempName));
        // A directory that refuses new files still lets a writable file be rewritten.
        if (temp.Get() < 0) {
            if (!exists || (errno != EACCES && errno != EPERM))
                return SaveOutcome::Failed;
            inPlace = true;
        }
    }

    if (inPlace) {
        const cFd out(::open(target.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
        struct stat same {};
        std::string before(static_cast<std::size_t>(st.st_size), '\0');
        if (out.Get() < 0 || fstat(out.Get(), &same) != 0 || same.st_ino != st.st_ino ||
            same.st_dev != st.st_dev ||
            pread(out.Get(), before.data(), before.size(), 0) != static_cast<ssize_t>(before.size()))
            return SaveOutcome::Failed;
        if (ftruncate(out.Get(), 0) != 0 || !WriteAll(out.Get(), writer)) {
            // Nothing can be swapped in here, so the old content goes back where it was.
            if (ftruncate(out.Get(), 0) == 0 &&
                pwrite(out.Get(), before.data(), before.size(), 0) == static_cast<ssize_t>(before.size()))
                (void)fsync(out.Get());
            return SaveOutcome::Failed;
        }
        if (written)
            (void)StampOpenFile(out.Get(), *written);
        return SaveOutcome::Saved;
    }

    auto fail = [&tempName] {
        if (!tempName.empty())
            (void)unlink(tempName.c_str());
        return SaveOutcome::Failed;
    };
    if (exists)
        CopyIdentity(old.Get(), st, temp.Get());
    if (!WriteAll(temp.Get(), writer))
        return fail();
    cFileStamp stamp;
    if (written)
        (void)StampOpenFile(temp.Get(), stamp);
    if (tempName.empty() && !LinkTemporary(temp.Get(), dir, tempName))
        return fail();
    if (std::rename(tempName.c_str(), target.c_str()) != 0)
        return fail();
    // Make the rename itself durable.
    SyncDirectory(dir);
    if (written)
        *written = stamp;
    return SaveOutcome::Saved;
}
