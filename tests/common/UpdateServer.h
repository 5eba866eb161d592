#pragma once
// A real update server for tests: tests/update/update_server.py on 127.0.0.1 and a free
// port, serving the folder UpdateDir() under the base URL ".../update/". HTTPS uses a
// certificate made at start, trusted through QUORVANT_TEST_UPDATE_CA. The server ends
// with the object.

#include "common/TestFiles.h"

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace testfiles {

class UpdateServer {
public:
    enum class Mode { Http, Https, Stall };

    /// options: more options for the script ("--cut NAME", "--redirect URL").
    explicit UpdateServer(Mode mode = Mode::Http, const std::string& options = "")
        : m_bTls(mode == Mode::Https) {
        // Proxies of the machine must not stand between the tests and 127.0.0.1.
        for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(name);
        std::filesystem::create_directories(UpdateDir());
        const std::string command =
            "exec python3 " QUORVANT_SOURCE_DIR "/tests/update/update_server.py " + m_root.Dir() +
            " " + Log() + (m_bTls ? " --tls " + m_root.Dir() : "") +
            (mode == Mode::Stall ? " --stall " : " ") + options;
        m_pipe = popen(command.c_str(), "r");
        if (!m_pipe || std::fscanf(m_pipe, "%d %d", &m_port, &m_pid) != 2)
            throw std::runtime_error("the update server did not start");
        if (m_bTls)
            setenv("QUORVANT_TEST_UPDATE_CA", m_root.Path("cert.pem").c_str(), 1);
    }
    ~UpdateServer() {
        if (m_pid > 0)
            kill(m_pid, SIGKILL);
        pclose(m_pipe);
        if (m_bTls)
            unsetenv("QUORVANT_TEST_UPDATE_CA");
    }
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    [[nodiscard]] int Port() const { return m_port; }
    /// The base URL, ending in "update/".
    [[nodiscard]] std::string BaseUrl() const {
        return (m_bTls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port) + "/update/";
    }
    [[nodiscard]] std::string UpdateDir() const { return m_root.Path("update"); }
    /// Puts a file into the served update folder.
    void Publish(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path path = UpdateDir() + "/" + name;
        std::filesystem::create_directories(path.parent_path());
        WriteBytes(path.string(), bytes);
    }
    /// One line per request: path, user agent and Cache-Control, tab-separated.
    [[nodiscard]] std::string Requests() const { return ReadBytes(Log()); }

private:
    [[nodiscard]] std::string Log() const { return m_root.Path("requests.log"); }

    TempDir m_root;
    bool m_bTls;
    FILE* m_pipe = nullptr;
    int m_port = 0;
    int m_pid = 0;
};

} // namespace testfiles
