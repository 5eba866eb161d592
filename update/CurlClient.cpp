// The update's transfers over libcurl, which is loaded on the first transfer: linked, it
// and the thirty libraries it needs were loaded at every start of both programs, for a
// command that is rarely used.

#include "update/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>

#include <dlfcn.h>

cTransferLimits cTransferLimits::FromEnvironment()
{
    cTransferLimits limits;
    if (const char* text = std::getenv("QUORVANT_TEST_UPDATE_TIMEOUT_MS")) {
        const long ms = std::strtol(text, nullptr, 10);
        if (ms > 0) {
            limits.connectMs = limits.requestMs = limits.fileMs = ms;
            limits.lowSpeedSeconds = std::max(1L, ms / 1000);
        }
    }
    return limits;
}

namespace {

// The few functions of libcurl the transfers use; all null when it cannot be loaded.
struct cCurlApi {
    CURLcode (*global_init)(long) = nullptr;
    CURL* (*easy_init)() = nullptr;
    void (*easy_cleanup)(CURL*) = nullptr;
    void (*easy_reset)(CURL*) = nullptr;
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...) = nullptr;
    CURLcode (*easy_perform)(CURL*) = nullptr;
    curl_slist* (*slist_append)(curl_slist*, const char*) = nullptr;
    void (*slist_free_all)(curl_slist*) = nullptr;

    [[nodiscard]] bool Loaded() const { return slist_free_all != nullptr; }
};

template <typename F>
bool Find(void* library, const char* name, F& function)
{
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

const cCurlApi& Curl()
{
    static const cCurlApi api = [] {
        cCurlApi a;
        void* lib = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!lib || !Find(lib, "curl_global_init", a.global_init) ||
            !Find(lib, "curl_easy_init", a.easy_init) ||
            !Find(lib, "curl_easy_cleanup", a.easy_cleanup) ||
            !Find(lib, "curl_easy_reset", a.easy_reset) ||
            !Find(lib, "curl_easy_setopt", a.easy_setopt) ||
            !Find(lib, "curl_easy_getinfo", a.easy_getinfo) ||
            !Find(lib, "curl_easy_perform", a.easy_perform) ||
            !Find(lib, "curl_slist_append", a.slist_append) ||
            !Find(lib, "curl_slist_free_all", a.slist_free_all))
            return cCurlApi{};
        a.global_init(CURL_GLOBAL_DEFAULT);
        return a;
    }();
    return api;
}

class cCurlClient : public cHttpClient {
public:
    explicit cCurlClient(const cTransferLimits& limits) : m_limits(limits), m_api(Curl())
    {
        if (!m_api.Loaded())
            return; // no connection can be made: every transfer says so
        m_curl = m_api.easy_init();
        m_headers = m_api.slist_append(m_headers, "Cache-Control: no-cache");
        m_headers = m_api.slist_append(m_headers, "Pragma: no-cache");
    }
    ~cCurlClient() override
    {
        if (m_headers)
            m_api.slist_free_all(m_headers);
        if (m_curl)
            m_api.easy_cleanup(m_curl);
    }
    cCurlClient(const cCurlClient&) = delete;
    cCurlClient& operator=(const cCurlClient&) = delete;

    bool IsOpen() const override { return m_curl != nullptr && m_headers != nullptr; }

    HttpOutcome Get(const std::string& url, long totalMs, const HttpSink& sink) override
    {
        if (!IsOpen())
            return HttpOutcome::NoConnection;
        cTransfer transfer{m_curl, &sink, &m_api};
        m_api.easy_reset(m_curl);
        const auto set = m_api.easy_setopt;
        set(m_curl, CURLOPT_URL, url.c_str());
        set(m_curl, CURLOPT_PROTOCOLS_STR, "http,https");
        set(m_curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
        set(m_curl, CURLOPT_FOLLOWLOCATION, 1L);
        set(m_curl, CURLOPT_MAXREDIRS, 5L);
        set(m_curl, CURLOPT_USERAGENT, "AutoUpdateAgent");
        set(m_curl, CURLOPT_HTTPHEADER, m_headers);
        set(m_curl, CURLOPT_NOSIGNAL, 1L);
        set(m_curl, CURLOPT_CONNECTTIMEOUT_MS, m_limits.connectMs);
        set(m_curl, CURLOPT_LOW_SPEED_LIMIT, m_limits.lowSpeedBytes);
        set(m_curl, CURLOPT_LOW_SPEED_TIME, m_limits.lowSpeedSeconds);
        set(m_curl, CURLOPT_TIMEOUT_MS, totalMs);
        if (const char* ca = std::getenv("QUORVANT_TEST_UPDATE_CA"); ca && *ca)
            set(m_curl, CURLOPT_CAINFO, ca);
        set(m_curl, CURLOPT_WRITEFUNCTION, &cCurlClient::Write);
        set(m_curl, CURLOPT_WRITEDATA, &transfer);

        const CURLcode code = m_api.easy_perform(m_curl);
        long status = 0;
        m_api.easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &status);
        if (transfer.badStatus)
            return HttpOutcome::NotOpened;
        if (transfer.stopped)
            return HttpOutcome::Stopped;
        if (code == CURLE_OK)
            return status >= 200 && status < 300 ? HttpOutcome::Done : HttpOutcome::NotOpened;
        if (transfer.bodyStarted)
            return HttpOutcome::Broken;
        curl_off_t connected = 0;
        m_api.easy_getinfo(m_curl, CURLINFO_CONNECT_TIME_T, &connected);
        switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            return HttpOutcome::NoConnection;
        case CURLE_OPERATION_TIMEDOUT:
            return connected > 0 ? HttpOutcome::NotOpened : HttpOutcome::NoConnection;
        default:
            return HttpOutcome::NotOpened;
        }
    }

private:
    struct cTransfer {
        CURL* curl;
        const HttpSink* sink;
        const cCurlApi* api;
        bool bodyStarted = false;
        bool badStatus = false;
        bool stopped = false;
    };

    static std::size_t Write(char* data, std::size_t size, std::size_t count, void* user)
    {
        auto& t = *static_cast<cTransfer*>(user);
        const std::size_t bytes = size * count;
        if (!t.bodyStarted) {
            // An error page must never reach the caller as if it were the file.
            long status = 0;
            t.api->easy_getinfo(t.curl, CURLINFO_RESPONSE_CODE, &status);
            if (status < 200 || status >= 300) {
                t.badStatus = true;
                return 0;
            }
            t.bodyStarted = true;
        }
        if (!(*t.sink)(data, bytes)) {
            t.stopped = true;
            return 0;
        }
        return bytes;
    }

    cTransferLimits m_limits;
    const cCurlApi& m_api;
    CURL* m_curl = nullptr;
    curl_slist* m_headers = nullptr;
};

} // namespace

std::unique_ptr<cHttpClient> MakeCurlClient(const cTransferLimits& limits)
{
    return std::make_unique<cCurlClient>(limits);
}
