#include "cli/Cli.h"

#include "cli/Commands.h"
#include "base/ManPage.h"
#include "base/Message.h"
#include "base/StreamPresenter.h"

#include <array>
#include <exception>
#include <ostream>
#include <string>

namespace {

struct cCommand {
    const char* name;
    const char* usage;
    const char* purpose;
    int (*run)(cCliContext&);
};

// One line per command; the usage text and the manual page are built from this table.
constexpr cCommand kCommands[] = {
    {"export", "export DATEI.vdr [--format F] [--separator S] [--encoding E] [--languages L1,L2]",
     "Trainingsdatei als JSON (oder csv, kvtml, anki) ausgeben", RunExchangeExport},
    {"import",
     "import DATEI ZIEL.vdr [--format F] [--separator S] [--encoding E] [--columns SPALTEN] "
     "[--replace-unmappable]",
     "Trainingsdatei aus JSON, CSV, KVTML oder Anki-Text schreiben (- liest JSON von stdin)",
     RunExchangeImport},
    {"info", "info DATEI.vdr", "Kurzer Überblick über eine Trainingsdatei", RunInfoCommand},
    {"practice", "practice DATEI.vdr [--questionnaire N] [--plan]", "Fragebogen im Terminal üben",
     RunPracticeCommand},
    {"stats", "stats DATEI.vdr [--json] [--exam-date JJJJ-MM-TT|keiner] [--chart AUSGABE.png|AUSGABE.pdf]",
     "Lernstand: fällige und neue Aufgaben, Prüfungsbereitschaft", RunStatsCommand},
    {"fit", "fit [--reset]", "Gedächtnismodell an den eigenen Lernverlauf anpassen", RunFitCommand},
    {"list", "list DATEI.vdr [--questionnaire N] [--sort K] [--descending] [--find TEXT]",
     "Aufgabenliste ausgeben (Tabulator-getrennt)", RunListCommand},
    {"update", "update [--yes] [--program-dir DIR]",
     "Auf neuere Version testen (--yes: herunterladen und ersetzen)", RunUpdateCommand},
};

std::array<cHelpItem, std::size(kCommands)> HelpItems()
{
    std::array<cHelpItem, std::size(kCommands)> items{};
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i] = {kCommands[i].usage, kCommands[i].purpose};
    return items;
}

void PrintUsage(std::ostream& os)
{
    os << "Aufruf: quorvant-cli BEFEHL ...\nBefehle:\n" << HelpItemLines(HelpItems(), 30);
}

// Written into the build by the option "--man-page" and installed as quorvant-cli(1).
std::string CliManPage()
{
    const auto items = HelpItems();
    cManPageText page;
    page.program = "quorvant-cli";
    page.summary = "Trainingsdateien von Quorvant im Terminal zeigen, umwandeln und üben";
    page.synopsis = {"BEFEHL [ARGUMENTE]", "--help"};
    page.description =
        "quorvant-cli arbeitet ohne Fenster mit den Trainingsdateien (*.vdr) von Quorvant: "
        "es gibt sie als JSON, CSV, KVTML oder Anki-Text aus, schreibt sie aus diesen Formaten, "
        "zeigt einen Überblick und die Aufgabenliste und fragt einen Fragebogen im "
        "Terminal ab.\n\n"
        "Fragebögen werden ab 0 gezählt, in der Reihenfolge der Datei; "
        "info zeigt diese Nummern, und --questionnaire N (auch bei quorvant --pdf) meint "
        "dieselben. Die letzte Nummer ist \"Alle Aufgaben\".";
    page.itemsHeading = "BEFEHLE";
    page.items = items;
    page.exitStatus = "0: erledigt.\n\n"
                      "1: Eine Datei konnte nicht gelesen oder geschrieben werden.\n\n"
                      "2: Falscher Aufruf oder abgelehnte Eingabe; es wird nichts geschrieben.";
    page.seeAlso = "quorvant(1)";
    return ManPage(page, QUORVANT_VERSION);
}

// Routes catalogue messages to the command's error stream while it runs.
class cPresenterScope {
public:
    explicit cPresenterScope(std::ostream& err) : m_presenter(err), m_previous(&MessagePresenter())
    {
        SetMessagePresenter(&m_presenter);
    }
    ~cPresenterScope() { SetMessagePresenter(m_previous); }
    cPresenterScope(const cPresenterScope&) = delete;
    cPresenterScope& operator=(const cPresenterScope&) = delete;

private:
    cStreamPresenter m_presenter;
    cMessagePresenter* m_previous;
};

// Every command's output is checked once at the end: a full disk or a closed pipe must
// not pass for a complete result.
int CheckOutput(int status, std::ostream& out, std::ostream& err)
{
    out.flush();
    if (out)
        return status;
    err << kOutputFailed << '\n';
    return status == kExitOk ? kExitFailed : status;
}

} // namespace

int UsageError(cCliContext& ctx, const char* usage)
{
    ctx.err << "Aufruf: quorvant-cli " << usage << '\n';
    return kExitRefused;
}

int RunCli(int argc, const char* const argv[], std::istream& in, std::ostream& out,
           std::ostream& err)
{
    if (argc < 2 || !argv || !argv[1]) {
        PrintUsage(err);
        return kExitRefused;
    }
    const std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        PrintUsage(out);
        return CheckOutput(kExitOk, out, err);
    }
    if (name == "--man-page" && argc == 2) {
        out << CliManPage();
        return CheckOutput(kExitOk, out, err);
    }
    for (const cCommand& command : kCommands) {
        if (name != command.name)
            continue;
        cCliContext ctx{{}, in, out, err};
        for (int i = 2; i < argc; ++i)
            ctx.args.emplace_back(argv[i] ? argv[i] : "");
        cPresenterScope presenter(err);
        try {
            return CheckOutput(command.run(ctx), out, err);
        } catch (const std::exception& e) {
            // Nothing may escape the tool as a crash; out of memory is the likely cause.
            err << "Interner Fehler: " << e.what() << '\n';
            return kExitFailed;
        }
    }
    err << "Unbekannter Befehl: " << name << '\n';
    PrintUsage(err);
    return kExitRefused;
}
