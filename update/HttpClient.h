#pragma once
// The transfers of the update behind one small interface, so that the update logic never
// sees the HTTP library. One GET at a time; the body arrives in pieces.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

/// How one GET ended.
enum class HttpOutcome {
    Done,         // a 2xx reply was received completely
    Stopped,      // the sink asked to stop (it has what it wants)
    NoConnection, // the server could not be reached (name, connect, proxy)
    NotOpened,    // no 2xx reply: refused URL or scheme, certificate, status, time-out before the body
    Broken,       // the body broke off: time-out, closed connection, size cap, or the sink failed
};

/// Time-outs and size caps of the transfers.
struct cTransferLimits {
    long connectMs = 15000;         // to establish the connection (TLS included)
    long lowSpeedBytes = 1;         // a transfer slower than this per second...
    long lowSpeedSeconds = 20;      // ...for this long is stalled
    long requestMs = 25000;         // whole configuration request
    long fileMs = 10 * 60 * 1000;   // whole download of one file
    std::uint64_t maxFileBytes = 256ull << 20;  // one file
    std::uint64_t maxTotalBytes = 1024ull << 20; // all files of one update

    /// The defaults; QUORVANT_TEST_UPDATE_TIMEOUT_MS (tests only) replaces every time-out.
    static cTransferLimits FromEnvironment();
};

/// Receives body bytes; returns false to stop the transfer.
using HttpSink = std::function<bool(const char* data, std::size_t size)>;

class cHttpClient {
public:
    virtual ~cHttpClient() = default;
    /// False when the library could not be set up (no transfer is possible).
    [[nodiscard]] virtual bool IsOpen() const = 0;
    /// One GET of url, never answered from a cache; totalMs caps the whole request.
    [[nodiscard]] virtual HttpOutcome Get(const std::string& url, long totalMs,
                                          const HttpSink& sink) = 0;
};

/// The libcurl client: agent "AutoUpdateAgent", "Cache-Control: no-cache", proxies from
/// the usual *_proxy variables, certificates checked, http and https only and redirects
/// only to https (which base URLs may be plain http is the caller's rule).
/// QUORVANT_TEST_UPDATE_CA (tests only) names the CA file to trust instead of the system's.
std::unique_ptr<cHttpClient> MakeCurlClient(const cTransferLimits& limits);
