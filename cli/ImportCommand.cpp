#include "cli/Commands.h"
#include "cli/TrainingJson.h"
#include "data/Document.h"

#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace {

constexpr const char* kUsage = "import DATEI.json ZIEL.vdr";

// The whole JSON text from a file, or from the input stream for "-".
bool ReadSource(const std::string& source, std::istream& in, std::string& text)
{
    std::ostringstream buffer;
    if (source == "-") {
        buffer << in.rdbuf();
        text = buffer.str();
        return !in.bad();
    }
    std::error_code ec;
    if (std::filesystem::is_directory(source, ec))
        return false;
    std::ifstream file(source, std::ios::binary);
    if (!file)
        return false;
    buffer << file.rdbuf();
    if (file.bad())
        return false;
    text = buffer.str();
    return true;
}

} // namespace

int RunImportCommand(cCliContext& ctx)
{
    if (ctx.args.size() != 2)
        return UsageError(ctx, kUsage);
    const std::string& source = ctx.args[0];
    const std::string& target = ctx.args[1];

    std::string text;
    if (!ReadSource(source, ctx.in, text)) {
        ctx.err << "Die Datei " << source << " kann nicht gelesen werden.\n";
        return kExitFailed;
    }

    // Everything is checked before anything is written, so a refused document leaves
    // the target as it was (or absent).
    OrderedJson doc;
    try {
        doc = OrderedJson::parse(text);
    } catch (const nlohmann::json::exception& e) {
        const auto* parse = dynamic_cast<const nlohmann::json::parse_error*>(&e);
        ctx.err << "Import abgelehnt: " << source << " ist kein gültiges JSON";
        if (parse)
            ctx.err << " (Fehler bei Byte " << parse->byte << ")";
        ctx.err << ".\n";
        return kExitRefused;
    }
    cDocument document;
    std::string error;
    if (!TrainingFromJson(doc, document.m_data, error)) {
        ctx.err << "Import abgelehnt: " << error << ".\n";
        return kExitRefused;
    }
    if (document.SaveAs(target) != 0)
        return kExitFailed; // message 105 is on standard error; the old file is untouched
    return kExitOk;
}
