#include "cli/ChartCommand.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The window program: beside this tool (bin/quorvant links into the program folder), the
// installed program folder, or the build tree.
std::string WindowProgram()
{
    std::error_code ec;
    const fs::path here = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& candidate :
         {here / "quorvant", here / "../lib/quorvant/quorvant", here / "../shell/quorvant"}) {
        const fs::path program = fs::canonical(candidate, ec);
        if (!ec && fs::is_regular_file(program, ec))
            return program.string();
    }
    return {};
}

} // namespace

int RunChartWriter(cCliContext& ctx, const std::string& file, const std::string& out)
{
    const std::string program = WindowProgram();
    if (program.empty()) {
        ctx.err << "Das Fensterprogramm quorvant, das die Diagramme zeichnet, wurde nicht "
                   "gefunden.\n";
        return kExitFailed;
    }
    std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string chart = "--chart";
    std::string outArg = out;
    std::string fileArg = file;
    std::string name = program;
    char* argv[] = {name.data(), chart.data(), outArg.data(), fileArg.data(), nullptr};
    ctx.out.flush();
    pid_t pid = 0;
    if (const int rc = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()); rc != 0) {
        ctx.err << "quorvant kann nicht gestartet werden: " << std::strerror(rc) << '\n';
        return kExitFailed;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return kExitOk;
    return WIFEXITED(status) && WEXITSTATUS(status) == 2 ? kExitRefused : kExitFailed;
}
