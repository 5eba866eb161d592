#include "cli/Commands.h"
#include "base/FileVersion.h"
#include "base/Message.h"
#include "base/StreamPresenter.h"
#include "update/AutoUpdate.h"
#include "update/UpdateCommand.h"

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace {

const char* const kUsage = "update [--yes] [--program-dir DIR]";

// Prints every text the window would show and answers the question from --yes.
class cCliUpdateHost : public cUpdateHost {
public:
    cCliUpdateHost(std::ostream& out, bool yes) : m_out(out), m_bYes(yes) {}

    void RunWaiting(const std::string& text, const std::function<void()>& work) override
    {
        m_out << ConsoleText(text) << '\n' << std::flush;
        work();
    }
    int Box(const std::string& caption, const std::string& text, std::uint32_t style) override
    {
        m_out << ConsoleText(caption) << '\n' << ConsoleText(text) << '\n' << std::flush;
        if ((style & 0xF) == StyleYesNo)
            return m_bYes ? ResultYes : ResultNo;
        return ResultOk;
    }

private:
    std::ostream& m_out;
    bool m_bYes;
};

// The folder of the installed window program: beside this tool (bin/quorvant is a link
// into the program folder), the installed program folder, or the build tree.
std::string WindowProgramDir()
{
    std::error_code ec;
    const fs::path here = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& candidate : {here / kUpdateProgramName,
                                      here / "../lib/quorvant" / kUpdateProgramName,
                                      here / "../shell" / kUpdateProgramName}) {
        const fs::path program = fs::canonical(candidate, ec);
        if (!ec && fs::is_regular_file(program, ec))
            return program.parent_path().string();
    }
    return {};
}

} // namespace

int RunUpdateCommand(cCliContext& ctx)
{
    bool yes = false;
    std::string dir;
    for (std::size_t i = 0; i < ctx.args.size(); ++i) {
        if (ctx.args[i] == "--yes")
            yes = true;
        else if (ctx.args[i] == "--program-dir" && i + 1 < ctx.args.size())
            dir = ctx.args[++i];
        else if (ctx.args[i] != "--" || i + 1 != ctx.args.size()) // update takes no file
            return UsageError(ctx, kUsage);
    }
    if (dir.empty())
        dir = WindowProgramDir();
    std::error_code ec;
    if (dir.empty() || !fs::is_directory(dir, ec)) {
        ctx.err << (dir.empty() ? "Das Programmverzeichnis wurde nicht gefunden."
                                : "Das Programmverzeichnis " + dir + " gibt es nicht.")
                << " Bitte mit --program-dir angeben.\n";
        return kExitRefused;
    }

    cAutoUpdate update;
    update.SetProgramDir(dir);
    // The window program is what gets updated, so its version counts, not this tool's.
    update.SetOwnVersion(GetFileVersionText(update.ProgramDir() + kUpdateProgramName));
    cCliUpdateHost host(ctx.out, yes);
    switch (RunUpdateFlow(update, UpdateBaseUrl(), host)) {
    case UpdateOutcome::Updated:
    case UpdateOutcome::NotNewer:
    case UpdateOutcome::Declined:
        return kExitOk;
    case UpdateOutcome::Refused:
        return kExitRefused;
    case UpdateOutcome::Failed:
        break;
    }
    return kExitFailed;
}
