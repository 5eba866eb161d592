#include "base/SafeSave.h"

#include "base/Datei.h"

#include <algorithm>
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

bool WriteFully(int fd, const char* data, std::size_t size, std::int64_t offset)
{
    while (size > 0) {
        const ssize_t n = offset < 0 ? write(fd, data, size)
                                     : pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
        if (offset >= 0)
            offset += n;
    }
    return true;
}

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

namespace {

// Hash of the first length bytes of fd (fewer when it is shorter).
bool HashOpenFile(int fd, std::uint64_t length, std::uint64_t& hash)
{
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
        while (filled < buffer.size() && static_cast<std::uint64_t>(offset) < length) {
            const std::uint64_t want =
                std::min<std::uint64_t>(buffer.size() - filled, length - static_cast<std::uint64_t>(offset));
            const ssize_t n = pread(fd, buffer.data() + filled, want, offset);
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
        end = end || static_cast<std::uint64_t>(offset) >= length;
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
    hash = lane[0];
    for (int k = 1; k < 4; ++k)
        hash = (hash ^ lane[k]) * kPrime;
    return true;
}

} // namespace

bool StampOpenFile(int fd, cFileStamp& stamp)
{
    struct stat st {};
    if (fstat(fd, &st) != 0 || !HashOpenFile(fd, UINT64_MAX, stamp.hash))
        return false;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.mtimeSec = st.st_mtim.tv_sec;
    stamp.mtimeNsec = st.st_mtim.tv_nsec;
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

namespace {

// A save in place first writes the whole new content into a journal beside the file,
// then this trailer, and syncs both; only then is the file itself overwritten. The next
// open finishes an interrupted overwrite from a complete journal and drops an incomplete
// one (the file was not yet touched then).
struct cJournalTrailer {
    char magic[8];
    std::uint64_t size;
    std::uint64_t device;
    std::uint64_t inode;
    std::uint64_t hash;
};
constexpr char kJournalMagic[8] = {'Q', 'V', 'J', 'R', 'N', 'L', '0', '1'};

// Named after the file's inode, so that every name of a hard-linked file in this
// folder finds it.
std::string JournalName(const std::string& dir, const struct stat& st)
{
    return dir + "/" + kTempPrefix + std::to_string(st.st_ino) + ".journal";
}


// Overwrites to with the first size bytes of from, cuts it there and syncs it.
bool CopyContent(int from, int to, std::uint64_t size)
{
    std::vector<char> buffer(1 << 20);
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - done));
        const ssize_t n = pread(from, buffer.data(), want, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || !WriteFully(to, buffer.data(), static_cast<std::size_t>(n), static_cast<std::int64_t>(done)))
            return false;
        done += static_cast<std::uint64_t>(n);
    }
    return ftruncate(to, static_cast<off_t>(size)) == 0 && fsync(to) == 0;
}

// Writes the journal for the file st; false when there is none (the folder refuses new
// files, the disk is full).
bool WriteJournal(const std::string& name, const struct stat& st,
                  const std::function<void(cDatei&)>& writer, cFd& journal)
{
    journal.Reset(::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    cJournalTrailer trailer {};
    std::memcpy(trailer.magic, kJournalMagic, sizeof trailer.magic);
    trailer.device = st.st_dev;
    trailer.inode = st.st_ino;
    struct stat js {};
    const bool ok = journal.Get() >= 0 && WriteAll(journal.Get(), writer) && fstat(journal.Get(), &js) == 0 &&
                    HashOpenFile(journal.Get(), static_cast<std::uint64_t>(js.st_size), trailer.hash) &&
                    (trailer.size = static_cast<std::uint64_t>(js.st_size),
                     WriteFully(journal.Get(), reinterpret_cast<const char*>(&trailer), sizeof trailer, js.st_size)) &&
                    fsync(journal.Get()) == 0;
    if (!ok && journal.Get() >= 0)
        (void)unlink(name.c_str());
    return ok;
}

// With fd the locked file st: finishes an overwrite that a complete journal describes,
// then drops the journal. False when a journal was found but could not be applied.
bool ApplyJournal(const std::string& dir, int fd, const struct stat& st)
{
    const std::string name = JournalName(dir, st);
    const cFd journal(::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat js {};
    if (journal.Get() < 0 || fstat(journal.Get(), &js) != 0 || !S_ISREG(js.st_mode) ||
        (js.st_uid != geteuid() && js.st_uid != st.st_uid))
        return true;
    cJournalTrailer trailer {};
    std::uint64_t hash = 0;
    const auto size = static_cast<std::uint64_t>(js.st_size);
    const bool complete =
        size >= sizeof trailer &&
        pread(journal.Get(), &trailer, sizeof trailer, static_cast<off_t>(size - sizeof trailer)) ==
            static_cast<ssize_t>(sizeof trailer) &&
        std::memcmp(trailer.magic, kJournalMagic, sizeof trailer.magic) == 0 &&
        trailer.size == size - sizeof trailer && trailer.device == st.st_dev && trailer.inode == st.st_ino &&
        HashOpenFile(journal.Get(), trailer.size, hash) && hash == trailer.hash;
    if (complete && !CopyContent(journal.Get(), fd, trailer.size))
        return false;
    (void)unlink(name.c_str());
    SyncDirectory(dir);
    return true;
}

// With locked the exclusively locked file target: applies its journal, if any, and
// gives st the file as it is then.
bool FinishLocked(const std::string& target, int locked, struct stat& st)
{
    struct stat journal {};
    if (lstat(JournalName(DirOf(target), st).c_str(), &journal) != 0)
        return true;
    const cFd fd(::open(target.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    struct stat same {};
    return fd.Get() >= 0 && fstat(fd.Get(), &same) == 0 && same.st_ino == st.st_ino &&
           same.st_dev == st.st_dev && ApplyJournal(DirOf(target), fd.Get(), st) &&
           fstat(locked, &st) == 0;
}

} // namespace

void FinishInterruptedSave(const std::string& path)
{
    std::string target;
    cFd fd;
    struct stat st {};
    struct stat journal {};
    // Most files have no journal: only then is the file locked.
    if (ResolveLinks(path, target) == Resolve::Ok && stat(target.c_str(), &st) == 0 &&
        lstat(JournalName(DirOf(target), st).c_str(), &journal) == 0 && OpenLocked(target, fd, st) &&
        fd.Get() >= 0)
        (void)FinishLocked(target, fd.Get(), st);
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
    if (exists && !FinishLocked(target, old.Get(), st))
        return SaveOutcome::Failed;
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
        // A killed save leaves its journal, from which the next open finishes it. A folder
        // that refuses the journal gets the overwrite without one.
        const std::string journalName = JournalName(dir, same);
        cFd journal;
        const bool journaled = WriteJournal(journalName, same, writer, journal);
        if (journaled)
            SyncDirectory(dir);
        struct stat js {};
        const bool copied = journaled ? fstat(journal.Get(), &js) == 0 &&
                                            CopyContent(journal.Get(), out.Get(),
                                                        static_cast<std::uint64_t>(js.st_size) - sizeof(cJournalTrailer))
                                      : ftruncate(out.Get(), 0) == 0 && WriteAll(out.Get(), writer);
        if (!copied) {
            // Nothing can be swapped in here, so the old content goes back where it was.
            if (ftruncate(out.Get(), 0) == 0 && WriteFully(out.Get(), before.data(), before.size(), 0) &&
                fsync(out.Get()) == 0 && journaled)
                (void)unlink(journalName.c_str());
            return SaveOutcome::Failed;
        }
        if (journaled) {
            (void)unlink(journalName.c_str());
            SyncDirectory(dir);
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
