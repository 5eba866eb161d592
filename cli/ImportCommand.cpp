#include "cli/Commands.h"
#include "cli/TrainingJson.h"
#include "data/Document.h"

#include <filesystem>
#include <fstream>
#include <ostream>

namespace {

constexpr const char* kUsage = "import DATEI.json ZIEL.vdr";

} // namespace

int RunImportCommand(cCliContext& ctx)
{
    if (ctx.args.size() != 2)
        return UsageError(ctx, kUsage);
    const std::string& source = ctx.args[0];
    const std::string& target = ctx.args[1];

    // The JSON streams from the file or from standard input for "-".
    std::ifstream file;
    std::error_code ec;
    if (source != "-" && !std::filesystem::is_directory(source, ec))
        file.open(source, std::ios::binary);
    if (source != "-" && !file.is_open()) {
        ctx.err << "Die Datei " << source << " kann nicht gelesen werden.\n";
        return kExitFailed;
    }

    // Everything is checked before anything is written, so a refused document leaves
    // the target as it was (or absent).
    cDocument document;
    cJsonRefusal refusal;
    if (!ReadTrainingJson(source == "-" ? ctx.in : file, document.m_data, refusal)) {
        if (refusal.syntaxByte != 0)
            ctx.err << "Import abgelehnt: " << source << " ist kein gültiges JSON (Fehler bei Byte "
                    << refusal.syntaxByte << ").\n";
        else
            ctx.err << "Import abgelehnt: " << refusal.message << ".\n";
        return kExitRefused;
    }
    if (document.SaveAs(target) != 0)
        return kExitFailed; // message 105 is on standard error; the old file is untouched
    return kExitOk;
}
