// The update's transfers over libcurl.

#include "update/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

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

class cCurlClient : public cHttpClient {
public:
    explicit cCurlClient(const cTransferLimits& limits) : m_limits(limits)
    {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        m_curl = curl_easy_init();
        m_headers = curl_slist_append(m_headers, "Cache-Control: no-cache");
        m_headers = curl_slist_append(m_headers, "Pragma: no-cache");
    }
    ~cCurlClient() override
    {
        curl_slist_free_all(m_headers);
        if (m_curl)
            curl_easy_cleanup(m_curl);
    }
    cCurlClient(const cCurlClient&) = delete;
    cCurlClient& operator=(const cCurlClient&) = delete;

    bool IsOpen() const override { return m_curl != nullptr && m_headers != nullptr; }

    HttpOutcome Get(const std::string& url, long totalMs, const HttpSink& sink) override
    {
        if (!IsOpen())
            return HttpOutcome::NoConnection;
        cTransfer transfer{m_curl, &sink};
        curl_easy_reset(m_curl);
        curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
        curl_easy_setopt(m_curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_curl, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(m_curl, CURLOPT_USERAGENT, "AutoUpdateAgent");
        curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, m_headers);
        curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT_MS, m_limits.connectMs);
        curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, m_limits.lowSpeedBytes);
        curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, m_limits.lowSpeedSeconds);
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, totalMs);
        if (const char* ca = std::getenv("QUORVANT_TEST_UPDATE_CA"); ca && *ca)
            curl_easy_setopt(m_curl, CURLOPT_CAINFO, ca);
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, &cCurlClient::Write);
        curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &transfer);

        const CURLcode code = curl_easy_perform(m_curl);
        long status = 0;
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &status);
        if (transfer.badStatus)
            return HttpOutcome::NotOpened;
        if (transfer.stopped)
            return HttpOutcome::Stopped;
        if (code == CURLE_OK)
            return status >= 200 && status < 300 ? HttpOutcome::Done : HttpOutcome::NotOpened;
        if (transfer.bodyStarted)
            return HttpOutcome::Broken;
        curl_off_t connected = 0;
        curl_easy_getinfo(m_curl, CURLINFO_CONNECT_TIME_T, &connected);
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
            curl_easy_getinfo(t.curl, CURLINFO_RESPONSE_CODE, &status);
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
    CURL* m_curl = nullptr;
    curl_slist* m_headers = nullptr;
};

} // namespace

std::unique_ptr<cHttpClient> MakeCurlClient(const cTransferLimits& limits)
{
    return std::make_unique<cCurlClient>(limits);
}
