#pragma once
// The commands of quorvant-cli. Each takes the arguments after its name and the three
// streams, and returns the exit status; cli/Cli.cpp dispatches to them by name.

#include <iosfwd>
#include <string>
#include <vector>

/// Exit statuses of quorvant-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a file could not be read or written
inline constexpr int kExitRefused = 2; // wrong command line or refused input

/// What every command says when its standard output could not be written.
inline constexpr const char* kOutputFailed = "Die Ausgabe konnte nicht geschrieben werden.";

struct cCliContext {
    std::vector<std::string> args; // the arguments after the command name
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

/// export FILE.vdr: the training file as JSON on standard output.
int RunExportCommand(cCliContext& ctx);
/// import FILE.json OUT.vdr: writes OUT.vdr from the JSON ("-" reads standard input).
int RunImportCommand(cCliContext& ctx);
/// export FILE.vdr [--format F]: JSON as export, or CSV, KVTML or Anki text.
int RunExchangeExport(cCliContext& ctx);
/// import FILE OUT.vdr [--format F] [--separator S] [--encoding E] [--replace-unmappable]:
/// JSON as import, or the tasks of a CSV, KVTML or Anki text file in a new training file.
int RunExchangeImport(cCliContext& ctx);
/// info FILE.vdr: a short German summary of the training file.
int RunInfoCommand(cCliContext& ctx);

/// practice FILE.vdr [--questionnaire N]: asks the questionnaire's tasks in the terminal
/// and writes the statistics back when the input ends.
int RunPracticeCommand(cCliContext& ctx);
/// fit [--reset]: fits the memory model's weights to the learner's answer history.
int RunFitCommand(cCliContext& ctx);
/// stats FILE.vdr [--json] [--exam-date DATE]: due and new tasks, exam readiness and
/// answers per day from the answer history.
int RunStatsCommand(cCliContext& ctx);
/// list FILE.vdr [--questionnaire N] [--sort K] [--descending]: the questionnaire's task
/// list, one tab-separated line per row, sorted as a click on column K sorts.
int RunListCommand(cCliContext& ctx);

/// update [--yes] [--program-dir DIR]: asks the update server for a newer version of the
/// window program; with --yes downloads it and puts it in place.
int RunUpdateCommand(cCliContext& ctx);

/// The file and options of practice and list.
struct cQueryOptions {
    std::string path;
    int questionnaire = 0;
    int sort = -1; // column to sort by, -1 none
    bool descending = false;
};
/// Parses practice/list arguments (--sort and --descending only with allowSort); false
/// after a message and the usage on err.
bool ParseQueryOptions(cCliContext& ctx, bool allowSort, const char* usage, cQueryOptions& out);
class cDocument;
/// Opens the training file of options into doc and checks the questionnaire number;
/// kExitOk, or the exit status after a message on err.
int OpenQueryDocument(cCliContext& ctx, const cQueryOptions& options, cDocument& doc);

/// Opens an import source into file ("-": standard input, left alone); only regular
/// files are opened. False after a message on err.
bool OpenImportSource(cCliContext& ctx, const std::string& source, std::ifstream& file);
/// Reads an import source whole into text, at most as much as any import file may hold
/// (512 MiB); false when there was more.
bool ReadImportSource(std::istream& in, std::string& text);
/// Says that the import source exceeds 512 MiB; returns kExitRefused.
int JsonTooLarge(cCliContext& ctx, const std::string& source);

/// Prints "Aufruf: quorvant-cli " + usage to err and returns kExitRefused.
int UsageError(cCliContext& ctx, const char* usage);

class cTrainingData;
/// The summary printed by info (UTF-8): tasks, questionnaires with task counts and exam
/// times, and the file's settings. data is as read, the automatic questionnaire last.
std::string InfoText(const cTrainingData& data, const std::string& shownPath);
