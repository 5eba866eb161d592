#include "update/AutoUpdate.h"

#include "base/FileVersion.h"
#include "base/SafeSave.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

#ifdef QUORVANT_UPDATE_ALLOW_HTTP
constexpr bool kAllowPlainHttp = true;
#else
constexpr bool kAllowPlainHttp = false;
#endif

constexpr std::size_t kConfigBytes = 4096;
constexpr long kMaxFiles = 1000;
constexpr std::size_t kMaxUrl = 1023;
constexpr std::size_t kMaxVersionDigits = 9; // more would not fit the comparison's numbers

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The pieces of text between separator characters, empty ones kept.
std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        pieces.push_back(text.substr(start, at - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

// Up to four numbers of a dotted version; false when it is malformed.
bool ParseVersion(const std::string& text, long (&numbers)[4])
{
    int count = 0;
    for (const std::string& piece : Split(text, '.')) {
        if (piece.empty())
            continue;
        if (count == 4 || piece.size() > kMaxVersionDigits ||
            piece.find_first_not_of("0123456789") != std::string::npos)
            return false;
        numbers[count++] = std::atol(piece.c_str());
    }
    return count > 0;
}

// Decimal as atol reads it, without its overflow: leading blanks, a sign, digits.
long ReadCount(const std::string& text)
{
    errno = 0;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    return errno == ERANGE ? LONG_MAX : n;
}

// Every byte a URL path may not hold as it is, including the ones that would end the path.
std::string EncodePath(const std::string& name)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
            std::strchr("-._~/!$&'()*+,;=:@", c))
            out += c;
        else
            out += {'%', hex[b >> 4], hex[b & 15]};
    }
    return out;
}

bool Writable(const std::string& path)
{
    return faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// Staging folders are named by mkdtemp: ".update-" and six characters.
constexpr const char* kStagingPrefix = ".update-";
constexpr std::size_t kStagingNameSize = 14;

// Holds a shared flock on the program folder while an update stages files there. Whoever
// gets it exclusively knows that no update runs, so every staging folder left is stale
// (one of an update that was interrupted) and is removed.
class cUpdateLock {
public:
    explicit cUpdateLock(const std::string& dir)
        : m_fd(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd < 0)
            return;
        if (flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            RemoveStaleStaging(dir);
        // No staging folder of ours exists yet, so the moment between the two locks is harmless.
        (void)flock(m_fd, LOCK_SH);
    }
    ~cUpdateLock()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    cUpdateLock(const cUpdateLock&) = delete;
    cUpdateLock& operator=(const cUpdateLock&) = delete;

private:
    static void RemoveStaleStaging(const std::string& dir)
    {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.size() == kStagingNameSize && name.starts_with(kStagingPrefix) &&
                entry.is_directory(ec) && !entry.is_symlink(ec))
                fs::remove_all(entry.path(), ec);
        }
    }

    int m_fd;
};

} // namespace

bool IsAllowedUpdateUrl(const std::string& url, bool allowPlainHttp)
{
    const std::size_t colon = url.find("://");
    if (colon == std::string::npos)
        return false;
    const std::string scheme = Lower(url.substr(0, colon));
    if (scheme == "https")
        return true;
    if (scheme != "http")
        return false;
    if (allowPlainHttp)
        return true;
    std::string authority = url.substr(colon + 3, url.find_first_of("/?#", colon + 3) - colon - 3);
    if (authority.find('@') != std::string::npos)
        return false; // no user names: they hide the real host from a reader
    const std::size_t port = authority.rfind(':');
    if (port != std::string::npos && authority.find(']', port) == std::string::npos)
        authority.resize(port);
    authority = Lower(authority);
    return authority == "127.0.0.1" || authority == "localhost" || authority == "[::1]";
}

std::string CanonicalUrl(const std::string& url)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    bool inPath = true;
    for (const char c : url) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            return {};
        if (c == '?' || c == '#')
            inPath = false;
        if (inPath && (b >= 0x80 || std::strchr(" \"<>\\^`{|}", c)))
            out += {'%', hex[b >> 4], hex[b & 15]};
        else
            out += c;
    }
    return out.size() <= kMaxUrl ? out : std::string();
}

bool IsAcceptableUpdateName(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos ||
        name.find('\\') != std::string::npos)
        return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    for (const std::string& piece : Split(name, '/'))
        if (piece.empty() || piece == ".")
            return false;
    const std::string lower = Lower(name);
    const std::string base = lower.substr(lower.rfind('/') + 1);
    return base != "settings_vdr.dat" && !EndsWith(lower, ".vdr") && !EndsWith(lower, ".bak");
}

cAutoUpdate::cAutoUpdate() : cAutoUpdate(nullptr, cTransferLimits::FromEnvironment())
{
    m_client = MakeCurlClient(m_limits);
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        SetProgramDir(exe.parent_path().string());
    m_strOwnVersion = ProgramVersionText();
}

cAutoUpdate::cAutoUpdate(std::unique_ptr<cHttpClient> client, const cTransferLimits& limits)
    : m_client(std::move(client)), m_limits(limits)
{
}

cAutoUpdate::~cAutoUpdate() = default;

void cAutoUpdate::SetProgramDir(const std::string& dir)
{
    m_strProgramDir = dir;
    if (m_strProgramDir.empty() || m_strProgramDir.back() != '/')
        m_strProgramDir += '/';
}

int cAutoUpdate::CompareVersions(const std::string& a, const std::string& b)
{
    long va[4] = {};
    long vb[4] = {};
    if (!ParseVersion(a, va))
        return -21;
    if (!ParseVersion(b, vb))
        return -22;
    for (int i = 0; i < 4; ++i)
        if (va[i] != vb[i])
            return va[i] > vb[i] ? 1 : -1;
    return 0;
}

int cAutoUpdate::CheckForUpdate(const std::string& baseUrl, const std::string& query)
{
    m_strBaseUrl = baseUrl;
    if (!m_client || !m_client->IsOpen())
        return CheckNoConnection;
    const std::string url = CanonicalUrl(baseUrl + EncodePath(std::string(kUpdateProgramName) + ".php") + query);
    if (url.empty() || !IsAllowedUpdateUrl(url, kAllowPlainHttp))
        return CheckUrlNotOpened;

    std::string reply;
    const HttpOutcome outcome =
        m_client->Get(url, m_limits.requestMs, [&reply](const char* data, std::size_t size) {
            reply.append(data, std::min(size, kConfigBytes - reply.size()));
            return reply.size() < kConfigBytes; // the first 4096 bytes are all that count
        });
    if (outcome == HttpOutcome::NoConnection)
        return CheckNoConnection;
    if (outcome != HttpOutcome::Done && outcome != HttpOutcome::Stopped)
        return CheckUrlNotOpened;
    if (reply.empty())
        return CheckNoConfig;
    if (m_strOwnVersion.empty())
        return CheckNoOwnVersion;

    reply.resize(std::min(reply.find('\0'), reply.size()));
    std::vector<std::string> lines = Split(reply, '\r');
    for (std::string& line : lines)
        std::erase(line, '\n');
    if (reply.compare(0, 16, "UpdateConfigFile") != 0 || lines.size() < 2)
        return CheckNoConfig;
    if (CompareVersions(lines[1], m_strOwnVersion) != 1)
        return CheckNotNewer;

    m_aFiles.clear();
    const long count = lines.size() < 3 ? 0 : ReadCount(lines[2]);
    if (count < 1 || count > kMaxFiles || static_cast<std::size_t>(count) > lines.size() - 3)
        return CheckNoConfig;
    if (!AcceptFiles({lines.begin() + 3, lines.begin() + 3 + count}))
        return CheckNoConfig;
    return CheckNewer;
}

bool cAutoUpdate::AcceptFiles(std::vector<std::string> names)
{
    std::error_code ec;
    const fs::path root = fs::weakly_canonical(fs::path(m_strProgramDir).parent_path(), ec);
    if (ec)
        return false;
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (!IsAcceptableUpdateName(name) || !seen.insert(name).second)
            return false;
        // A folder on the way that is a link must not lead out of the program directory.
        const fs::path folder = fs::weakly_canonical(root / fs::path(name).parent_path(), ec);
        const auto [end, _] = std::mismatch(root.begin(), root.end(), folder.begin(), folder.end());
        if (ec || end != root.end())
            return false;
    }
    m_aFiles = std::move(names);
    return true;
}

int cAutoUpdate::CheckTargets() const
{
    if (!Writable(m_strProgramDir))
        return DownloadNotWritable;
    for (const std::string& name : m_aFiles) {
        const fs::path target = m_strProgramDir + name;
        std::error_code ec;
        if (fs::is_directory(fs::symlink_status(target, ec)))
            return DownloadNotMoved;
        fs::path folder = target.parent_path();
        while (!fs::exists(fs::symlink_status(folder, ec)))
            folder = folder.parent_path();
        if (!fs::is_directory(folder, ec))
            return DownloadNotMoved;
        if (!Writable(folder.string()))
            return DownloadNotWritable;
    }
    return DownloadDone;
}

int cAutoUpdate::DownloadUpdate()
{
    // Nothing is fetched when it could not be put in place anyway.
    if (const int targets = CheckTargets(); targets != DownloadDone)
        return targets;
    const cUpdateLock lock(m_strProgramDir);
    // Staged inside the program directory: a rename from elsewhere could cross file systems.
    std::string staging = m_strProgramDir + kStagingPrefix + "XXXXXX";
    if (!mkdtemp(staging.data()))
        return DownloadNotSaved;
    m_nDownloaded = 0;
    int result = DownloadDone;
    for (std::size_t i = 0; i < m_aFiles.size() && result == DownloadDone; ++i) {
        const std::string url = CanonicalUrl(m_strBaseUrl + EncodePath(m_aFiles[i]));
        result = url.empty() ? DownloadUrlNotOpened
                             : SaveUrlToFile(url, staging + "/" + std::to_string(i));
    }
    if (result == DownloadDone)
        result = PutInPlace(staging);
    std::error_code ec;
    fs::remove_all(staging, ec);
    return result;
}

int cAutoUpdate::SaveUrlToFile(const std::string& url, const std::string& path)
{
    if (!m_client || !IsAllowedUpdateUrl(url, kAllowPlainHttp))
        return DownloadUrlNotOpened;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return DownloadNotSaved;
    std::uint64_t size = 0;
    const HttpOutcome outcome =
        m_client->Get(url, m_limits.fileMs, [&](const char* data, std::size_t bytes) {
            size += bytes;
            m_nDownloaded += bytes;
            return size <= m_limits.maxFileBytes && m_nDownloaded <= m_limits.maxTotalBytes &&
                   WriteFully(fd, data, bytes);
        });
    const bool saved = outcome == HttpOutcome::Done && fsync(fd) == 0;
    if (close(fd) != 0 || !saved) {
        unlink(path.c_str());
        return outcome == HttpOutcome::NoConnection || outcome == HttpOutcome::NotOpened
                   ? DownloadUrlNotOpened
                   : DownloadNotSaved;
    }
    return DownloadDone;
}

bool cAutoUpdate::ReplaceFile(const std::string& target, const std::string& source, bool)
{
    const std::string backup = target + ".bak";
    unlink(backup.c_str());
    struct stat old {};
    const bool existed = lstat(target.c_str(), &old) == 0;
    if (existed) {
        struct stat followed {};
        if (stat(target.c_str(), &followed) == 0)
            old = followed;
        if (link(target.c_str(), backup.c_str()) != 0)
            return false;
        if (chmod(source.c_str(), old.st_mode & 07777) != 0) {
            unlink(backup.c_str());
            return false;
        }
    }
    if (rename(source.c_str(), target.c_str()) != 0) {
        if (existed)
            unlink(backup.c_str());
        return false;
    }
    return true;
}

int cAutoUpdate::PutInPlace(const std::string& staging)
{
    struct cDone {
        std::string target;
        bool hadOld;
    };
    std::vector<cDone> done;
    std::vector<std::string> madeFolders;
    // The backups of the update before stay until this one has fully succeeded: they wait
    // in the staging folder (removed with it) and come back on a rollback.
    std::vector<std::pair<std::string, std::string>> keptBackups; // backup, where it waits
    bool ok = true;
    for (std::size_t i = 0; i < m_aFiles.size() && ok; ++i) {
        const std::string backup = m_strProgramDir + m_aFiles[i] + ".bak";
        const std::string aside = staging + "/" + std::to_string(i) + ".bak";
        struct stat st {};
        if (lstat(backup.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        ok = rename(backup.c_str(), aside.c_str()) == 0;
        if (ok)
            keptBackups.emplace_back(backup, aside);
    }
    for (std::size_t i = 0; i < m_aFiles.size() && ok; ++i) {
        const std::string target = m_strProgramDir + m_aFiles[i];
        // Folders the new version brings are made on the way, and removed on a rollback.
        for (std::size_t slash = m_aFiles[i].find('/'); ok && slash != std::string::npos;
             slash = m_aFiles[i].find('/', slash + 1)) {
            const std::string folder = m_strProgramDir + m_aFiles[i].substr(0, slash);
            if (mkdir(folder.c_str(), 0777) == 0)
                madeFolders.push_back(folder);
            else
                ok = errno == EEXIST;
        }
        struct stat old {};
        const bool hadOld = lstat(target.c_str(), &old) == 0;
        ok = ok && ReplaceFile(target, staging + "/" + std::to_string(i), false);
        if (ok)
            done.push_back({target, hadOld});
    }
    if (ok)
        return DownloadDone;
    // One failed: every file already moved goes back, so the old version stays whole.
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        if (it->hadOld)
            rename((it->target + ".bak").c_str(), it->target.c_str());
        else
            unlink(it->target.c_str());
    }
    for (auto it = madeFolders.rbegin(); it != madeFolders.rend(); ++it)
        rmdir(it->c_str());
    for (const auto& [backup, aside] : keptBackups)
        rename(aside.c_str(), backup.c_str());
    return DownloadNotMoved;
}
