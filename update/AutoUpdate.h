#pragma once
// Asking the update server for a newer version, downloading the files it lists and
// putting them in place of the old ones for the next start.

#include "update/HttpClient.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// Result codes of CheckForUpdate.
enum CheckResult : int {
    CheckNewer = 0,       // a newer version exists; the file list is filled
    CheckNoConnection = 1,
    CheckUrlNotOpened = 2,
    CheckNoConfig = 3,    // empty reply, not a configuration, or a refused file list
    CheckNoOwnVersion = 5,
    CheckNotNewer = 6,    // also when either version is malformed
};

/// Result codes of DownloadUpdate.
enum DownloadResult : int {
    DownloadDone = 0,
    DownloadUrlNotOpened = 2,
    DownloadNotSaved = 4,
    DownloadNotWritable = 8, // the program directory needs other rights; nothing was fetched
    DownloadNotMoved = 9,    // a file could not be put in place; earlier ones were rolled back
};

class cAutoUpdate {
public:
    /// The running program's directory and version, transfers over libcurl.
    cAutoUpdate();
    /// Transfers over client (tests, other transports).
    cAutoUpdate(std::unique_ptr<cHttpClient> client, const cTransferLimits& limits);
    ~cAutoUpdate();
    cAutoUpdate(const cAutoUpdate&) = delete;
    cAutoUpdate& operator=(const cAutoUpdate&) = delete;

    /// Asks baseUrl + "quorvant.php" + query for the update configuration.
    [[nodiscard]] int CheckForUpdate(const std::string& baseUrl, const std::string& query);
    /// Downloads every listed file, then puts them all in place (after a check gave 0).
    [[nodiscard]] int DownloadUpdate();
    /// 1 when a is newer, -1 when older, 0 when equal; -21 / -22 when a / b is malformed.
    [[nodiscard]] static int CompareVersions(const std::string& a, const std::string& b);
    /// Saves the reply to url in a new file at path: 0, 2 (no 2xx reply) or 4 (not saved;
    /// the file is removed again).
    [[nodiscard]] int SaveUrlToFile(const std::string& url, const std::string& path);
    /// Puts source in place of target: the old target stays as target + ".bak" (a hard
    /// link) and lends its permissions to the new file, which is renamed over it, so the
    /// target is never missing and a running executable is never written into. atReboot
    /// changes nothing here: a rename is safe while the old file is in use.
    [[nodiscard]] static bool ReplaceFile(const std::string& target, const std::string& source,
                                          bool atReboot);

    /// The directory the files go to (a trailing "/" is added).
    void SetProgramDir(const std::string& dir);
    [[nodiscard]] const std::string& ProgramDir() const { return m_strProgramDir; }
    /// The version the server's is compared with ("" gives result 5).
    void SetOwnVersion(const std::string& version) { m_strOwnVersion = version; }
    /// The files of the last successful check.
    [[nodiscard]] const std::vector<std::string>& Files() const { return m_aFiles; }

private:
    [[nodiscard]] bool AcceptFiles(std::vector<std::string> names);
    [[nodiscard]] int CheckTargets() const;
    [[nodiscard]] int PutInPlace(const std::string& staging);

    std::vector<std::string> m_aFiles;
    std::string m_strBaseUrl;
    std::string m_strProgramDir;
    std::unique_ptr<cHttpClient> m_client; // the internet handle
    std::string m_strOwnVersion;
    cTransferLimits m_limits;
    std::uint64_t m_nDownloaded = 0;
};

/// The name the configuration request and the targets use for the window program.
inline constexpr const char* kUpdateProgramName = "quorvant";

/// Whether an update may be fetched from url: https, or plain http to this machine
/// (127.0.0.1, localhost, [::1]) or when allowPlainHttp is set.
[[nodiscard]] bool IsAllowedUpdateUrl(const std::string& url, bool allowPlainHttp);
/// url with the bytes a URL may not hold percent-encoded before any "?" or "#"; "" when
/// it holds a control character or the result would not fit 1023 characters.
[[nodiscard]] std::string CanonicalUrl(const std::string& url);
/// Whether a file name from the server may be downloaded: relative, no "..", no
/// backslash or control character, no empty or "." piece, no user data (settings_vdr.dat,
/// *.vdr) and no ".bak" copy.
[[nodiscard]] bool IsAcceptableUpdateName(const std::string& name);
