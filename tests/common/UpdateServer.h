#pragma once
// A real update server for tests: tests/update/update_server.py on 127.0.0.1 and a free
// port, serving the folder root() + "/update/" as the base URL. HTTPS uses a certificate
// made at start, trusted through QUORVANT_TEST_UPDATE_CA. The server ends with the object.

#include "common/TestFiles.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testfiles {

class UpdateServer {
public:
    enum class Mode { Http, Https, Stall };

    /// extra: more options for the script (--cut NAME, --redirect URL).
    explicit UpdateServer(Mode mode = Mode::Http, std::vector<std::string> extra = {})
        : m_bTls(mode == Mode::Https)
    {
        // Proxies of the machine must not stand between the tests and 127.0.0.1.
        for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy",
                                 "ALL_PROXY"})
            unsetenv(name);
        std::filesystem::create_directories(m_root.Path("update"));
        std::vector<std::string> args{"python3", QUORVANT_SOURCE_DIR "/tests/update/update_server.py",
                                      m_root.Dir(), Log()};
        if (mode == Mode::Https)
            args.insert(args.end(), {"--tls", m_root.Dir()});
        if (mode == Mode::Stall)
            args.push_back("--stall");
        args.insert(args.end(), extra.begin(), extra.end());
        Start(args);
        if (m_bTls)
            setenv("QUORVANT_TEST_UPDATE_CA", m_root.Path("cert.pem").c_str(), 1);
    }
    ~UpdateServer()
    {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        if (m_bTls)
            unsetenv("QUORVANT_TEST_UPDATE_CA");
    }
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    /// The base URL, ending in "update/".
    [[nodiscard]] std::string BaseUrl() const
    {
        return std::string(m_bTls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port) +
               "/update/";
    }
    [[nodiscard]] int Port() const { return m_port; }
    /// Puts a file into the served update folder.
    void Publish(const std::string& name, const std::string& bytes) const
    {
        const std::filesystem::path path = m_root.Path("update/" + name);
        std::filesystem::create_directories(path.parent_path());
        WriteBytes(path.string(), bytes);
    }
    /// One line per request: path, user agent and Cache-Control, tab-separated.
    [[nodiscard]] std::string Requests() const { return ReadBytes(Log()); }
    [[nodiscard]] std::string UpdateDir() const { return m_root.Path("update"); }

private:
    [[nodiscard]] std::string Log() const { return m_root.Path("requests.log"); }

    void Start(const std::vector<std::string>& args)
    {
        int out[2];
        if (pipe(out) != 0)
            throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int failed = posix_spawnp(&m_pid, "python3", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string line;
        pollfd pfd{out[0], POLLIN, 0};
        char c = 0;
        while (!failed && poll(&pfd, 1, 20000) > 0 && read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        m_port = line.empty() ? 0 : std::atoi(line.c_str());
        if (failed || m_port <= 0)
            throw std::runtime_error("the update server did not start");
    }

    TempDir m_root;
    bool m_bTls;
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace testfiles
