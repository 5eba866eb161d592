// import and export in every exchange format. JSON keeps its own commands (the complete
// training file); the other formats go through the exchange core.

#include "cli/Commands.h"
#include "data/Document.h"
#include "exchange/Exchange.h"
#include "exchange/TrainingJson.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

namespace {

constexpr const char* kImportUsage =
    "import DATEI ZIEL.vdr [--format F] [--separator S] [--encoding E] [--columns SPALTEN] "
    "[--replace-unmappable]";
constexpr const char* kExportUsage =
    "export DATEI.vdr [--format F] [--separator S] [--encoding E] [--languages L1,L2]";

struct cExchangeArgs {
    std::vector<std::string> files;
    ExchangeFormat format = ExchangeFormat::None;
    cImportOptions options;
    cExportOptions exportOptions;
};

// Splits files from options; false after a message and the usage.
bool ParseExchangeArgs(cCliContext& ctx, bool import, cExchangeArgs& out)
{
    const char* usage = import ? kImportUsage : kExportUsage;
    bool options = true; // "--" ends them
    for (std::size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& arg = ctx.args[i];
        const bool hasValue = i + 1 < ctx.args.size();
        if (!options) {
            out.files.push_back(arg);
        } else if (arg == "--") {
            options = false;
        } else if (arg == "--format" && hasValue) {
            out.format = FormatFromName(ctx.args[++i]);
            if (out.format == ExchangeFormat::None) {
                ctx.err << "Unbekanntes Format: " << ctx.args[i] << " (json, csv, kvtml oder anki)\n";
                return UsageError(ctx, usage), false;
            }
        } else if (arg == "--separator" && hasValue) {
            out.options.separator = out.exportOptions.separator = SeparatorFromName(ctx.args[++i]);
            if (!out.options.separator) {
                ctx.err << "Unbekanntes Trennzeichen: " << ctx.args[i] << " (, ; oder tab)\n";
                return UsageError(ctx, usage), false;
            }
        } else if (arg == "--encoding" && hasValue) {
            if (!EncodingFromName(ctx.args[++i], out.options.encoding)) {
                ctx.err << "Unbekannte Kodierung: " << ctx.args[i] << " (utf-8 oder windows-1252)\n";
                return UsageError(ctx, usage), false;
            }
            out.exportOptions.encoding = out.options.encoding;
        } else if (import && arg == "--columns" && hasValue) {
            if (!ColumnsFromText(ctx.args[++i], out.options.columns)) {
                ctx.err << "Unbekannte Spaltenfolge: " << ctx.args[i]
                        << " (question,solution,pattern,category,number,points; - überspringt eine Spalte)\n";
                return UsageError(ctx, usage), false;
            }
        } else if (!import && arg == "--languages" && hasValue) {
            if (!LanguagesFromText(ctx.args[++i], out.exportOptions.languages)) {
                ctx.err << "Unbekannte Sprachen: " << ctx.args[i] << " (zwei, z. B. de,en)\n";
                return UsageError(ctx, usage), false;
            }
        } else if (import && arg == "--replace-unmappable") {
            out.options.replaceUnmappable = true;
        } else if (arg.size() > 1 && arg.rfind("--", 0) == 0) {
            ctx.err << "Unbekannte Option: " << arg << '\n';
            return UsageError(ctx, usage), false;
        } else {
            out.files.push_back(arg);
        }
    }
    if (out.files.size() != (import ? 2u : 1u))
        return UsageError(ctx, usage), false;
    return true;
}

int ImportJson(cCliContext& ctx, const cExchangeArgs& a)
{
    if (!a.options.replaceUnmappable) {
        cCliContext json{{a.files[0], a.files[1]}, ctx.in, ctx.out, ctx.err};
        return RunImportCommand(json);
    }
    std::ifstream file;
    if (!OpenImportSource(ctx, a.files[0], file))
        return kExitFailed;
    std::string text;
    if (!ReadImportSource(a.files[0] == "-" ? ctx.in : file, text))
        return JsonTooLarge(ctx, a.files[0]);
    if (!nlohmann::json::accept(text)) {
        ctx.err << "Import abgelehnt: " << a.files[0] << " ist kein gültiges JSON.\n";
        return kExitRefused;
    }
    std::istringstream replaced(ReplaceUnmappableJson(text));
    cCliContext json{{"-", a.files[1]}, replaced, ctx.out, ctx.err};
    return RunImportCommand(json);
}

} // namespace

int RunExchangeImport(cCliContext& ctx)
{
    cExchangeArgs a;
    if (!ParseExchangeArgs(ctx, true, a))
        return kExitRefused;
    const std::string& source = a.files[0];
    // Without a known extension the source is JSON, as import has always read it.
    if (a.format == ExchangeFormat::None)
        a.format = FormatFromPath(source);
    if (a.format == ExchangeFormat::None)
        a.format = ExchangeFormat::Json;
    if (a.format == ExchangeFormat::Json)
        return ImportJson(ctx, a);

    cImportResult imported = ReadImportFile(source, a.format, a.options);
    if (imported.failure == ImportFailure::Unreadable) {
        ctx.err << "Die Datei " << source << " kann nicht gelesen werden.\n";
        return kExitFailed;
    }
    if (!imported.Ok()) {
        ctx.err << "Import abgelehnt: " << source << ": " << imported.message << ".\n";
        if (imported.failure == ImportFailure::Unmappable)
            ctx.err << "Mit --replace-unmappable werden solche Zeichen durch \"?\" ersetzt.\n";
        return kExitRefused;
    }
    // Nothing is written before the whole file was read.
    cDocument document;
    document.NewDocument();
    std::vector<std::string> notes = std::move(imported.notes);
    const std::string targetDir = std::filesystem::absolute(a.files[1]).parent_path().string();
    for (std::string& note : CopyImportMedia(imported.tasks, source, targetDir))
        notes.push_back(std::move(note));
    (void)AppendImport(document.m_data, std::move(imported.tasks), imported.lists, imported.title);
    if (document.SaveAs(a.files[1]) != 0)
        return kExitFailed; // message 105 is on standard error
    // The languages of a KVTML file wait beside the training file for its export.
    if (!imported.languages.empty() && !WriteLanguageRecord(a.files[1], imported.languages))
        notes.push_back("Die Sprachen konnten nicht in " + LanguageRecordPath(a.files[1]) +
                        " gespeichert werden");
    for (const std::string& note : notes)
        ctx.err << "Hinweis: " << note << ".\n";
    return kExitOk;
}

int RunExchangeExport(cCliContext& ctx)
{
    cExchangeArgs a;
    if (!ParseExchangeArgs(ctx, false, a))
        return kExitRefused;
    if (a.format == ExchangeFormat::None || a.format == ExchangeFormat::Json) {
        cCliContext json{{a.files[0]}, ctx.in, ctx.out, ctx.err};
        return RunExportCommand(json);
    }
    cDocument document;
    if (document.Open(a.files[0]) != 0)
        return kExitFailed; // the reader's messages and message 104 are on standard error
    if (a.exportOptions.languages.empty())
        a.exportOptions.languages = ReadLanguageRecord(a.files[0]);
    ctx.out << ExportText(document.m_data, a.format, a.exportOptions);
    // A full disk or a closed pipe is reported once, for every command alike, by RunCli.
    return kExitOk;
}
