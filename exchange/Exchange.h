#pragma once
// Exchange with other trainers: tasks in and out of CSV / tab-separated text, KVTML 2.0
// and Anki's plain-text notes, and our own complete JSON layout in (TrainingJson.h). Readers turn a file's bytes into plain imported entries;
// AppendImport applies the import rules to a training file's data; the writers give the
// bytes of an export. Messages are German UTF-8 without a final full stop, because they
// may quote characters that Windows-1252 lacks.

#include "data/TrainingData.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// The exchange formats; Json is our own complete layout of a training file.
enum class ExchangeFormat { None, Json, Csv, Kvtml, Anki };

/// The format named by "json", "csv", "kvtml" or "anki" (any case); None for others.
ExchangeFormat FormatFromName(std::string_view name);
/// The format a file name's extension suggests: .json, .csv/.tsv, .kvtml, .txt (Anki text).
ExchangeFormat FormatFromPath(std::string_view path);

/// The encoding of a text import; Detect takes a byte order mark, else UTF-8 when the
/// bytes are valid UTF-8, else Windows-1252.
enum class TextEncoding { Detect, Utf8, Cp1252 };

/// The encoding named by "utf-8"/"utf8" or "windows-1252"/"cp1252"; false for others.
/// (Detect stands for UTF-8 with byte order mark when exporting.)
bool EncodingFromName(std::string_view name, TextEncoding& out);
/// The separator named by ",", ";", "tab" (or a tab), "comma", "semicolon"; 0 for others.
char SeparatorFromName(std::string_view name);

/// What a column of a CSV file holds; Skip for a column that is not read.
enum ImportColumn : int { ColSkip = -1, ColQuestion, ColSolution, ColPattern, ColCategory, ColNumber, ColPoints, ColCount };

/// Columns named as for --columns: "question,solution,pattern,category,number,points" in
/// any order, "-" for a column to skip; each at most once, question and solution needed.
/// False (out unchanged) for anything else.
bool ColumnsFromText(std::string_view text, std::vector<int>& out);

struct cImportOptions {
    char separator = 0; // 0: detect
    TextEncoding encoding = TextEncoding::Detect;
    bool replaceUnmappable = false; // characters without a Windows-1252 byte become '?'
    std::vector<int> columns; // CSV: what field i holds (ImportColumn); empty: header or first two
};

/// A language of a KVTML file: its identifier's name and locale (UTF-8).
struct cLanguage {
    std::string name;
    std::string locale;
};

/// Why an import was refused.
enum class ImportFailure { None, Unreadable, WrongFormat, Damaged, Unmappable };

/// One entry of an imported file; texts are Windows-1252 bytes, empty when not given.
struct cImportedTask {
    std::string question;
    std::string solution;
    std::string pattern;
    std::string category;
    std::string taskNo;
    std::string picture;
    std::string sound;
    int points = -1; // -1: the default of a new task
};

/// A group of imported entries that becomes a questionnaire (a KVTML lesson).
struct cImportedList {
    std::string title; // Windows-1252
    std::vector<std::uint32_t> entries;
};

struct cImportResult {
    std::vector<cImportedTask> tasks;
    std::vector<cImportedList> lists;
    ImportFailure failure = ImportFailure::None;
    std::string message; // German UTF-8, e.g. "Zeile 3, Spalte 7: ..."
    std::vector<std::string> notes; // German UTF-8: what was skipped, ignored or replaced
    std::vector<cLanguage> languages; // KVTML: the identifiers of question and solution
    std::string title; // Windows-1252: the questionnaire name ReadImportFile gives
    /// JSON: the whole training file, completed as reading one from disk does (tasks and
    /// lists stay empty); see AppendTraining and AdoptTraining.
    std::shared_ptr<cTrainingData> training;

    [[nodiscard]] bool Ok() const { return failure == ImportFailure::None; }
};

/// Longest text of one task field, and longest CSV record, that an import accepts.
inline constexpr std::size_t kMaxImportText = 1u << 20;
/// Most tasks one import takes: each costs about 1.3 KB in memory, whatever its size in
/// the file.
inline constexpr std::size_t kMaxImportTasks = 1000000;
/// Largest file an import reads.
inline constexpr std::uintmax_t kMaxImportFile = 512u << 20;

/// Parses the bytes of a CSV, KVTML, Anki text or JSON file. bytes may be changed in the
/// process (the XML parser works in place).
cImportResult ParseImport(ExchangeFormat format, std::string& bytes,
                          const cImportOptions& options);
/// Reads and parses the file at path and sets the title (ImportTitle). The title follows
/// the rule of the texts: unmappable characters refuse the import or become '?' (noted).
/// Pictures and sounds of notes text are not looked up here (see CopyImportMedia).
cImportResult ReadImportFile(const std::string& path, ExchangeFormat format,
                             const cImportOptions& options);

/// The name of the questionnaire an import of path creates: the file name without its
/// extension, as Windows-1252.
std::string ImportTitle(const std::string& path);

/// Appends the imported entries to data as new tasks with the defaults of a new task;
/// entries without a task number (or with one the data already uses) continue the
/// numbering after the last task. One new questionnaire titled title holds all of them,
/// each imported list becomes a questionnaire too, and the automatic questionnaire gets
/// the new tasks; all new questionnaires go before the automatic one, which stays last.
/// Returns the number of questionnaires inserted (at the old position of the last one).
int AppendImport(cTrainingData& data, std::vector<cImportedTask>&& tasks,
                 const std::vector<cImportedList>& lists, const std::string& title);

/// Appends a whole imported training file (JSON) to data under the rules of AppendImport:
/// the tasks keep every field and their statistics (numbers only change where data
/// already uses them), the file's own questionnaires follow the one titled title, the
/// automatic one gets the new tasks. Returns the number of questionnaires inserted.
int AppendTraining(cTrainingData& data, cTrainingData&& imported, const std::string& title);
/// Makes data the imported training file (JSON) as opening it would: its settings, tasks
/// and questionnaires; data's path and the self-assessment setting stay.
void AdoptTraining(cTrainingData& data, cTrainingData&& imported);

/// Looks the pictures and sounds named by the tasks up in the folder of source and copies
/// them into targetDir (a file there already is kept). Returns German notes of the files
/// that are missing or could not be copied. An empty targetDir only checks.
std::vector<std::string> CopyImportMedia(const std::vector<cImportedTask>& tasks,
                                         const std::string& source, const std::string& targetDir);

struct cExportOptions {
    char separator = 0; // CSV: ',' unless given
    TextEncoding encoding = TextEncoding::Detect; // CSV: UTF-8 with byte order mark, or as given
    std::vector<cLanguage> languages; // KVTML: the two identifiers; empty: "Frage"/"Lösung", "de"
};

/// The bytes of an export of data's tasks: CSV (header line, CR LF), KVTML 2.0 (UTF-8),
/// Anki text (UTF-8), or the whole training file as JSON.
std::string ExportText(const cTrainingData& data, ExchangeFormat format, const cExportOptions& options);
/// The same with only a separator chosen.
std::string ExportText(const cTrainingData& data, ExchangeFormat format, char separator = 0);

/// The languages "de,en" or "Deutsch:de,Englisch:en" name; false for other text.
bool LanguagesFromText(std::string_view text, std::vector<cLanguage>& out);
/// The side record of a training file that keeps the languages of an imported KVTML file
/// for its export: path + ".languages", one "locale<TAB>name" line per language.
std::string LanguageRecordPath(const std::string& trainingFile);
/// Writes the side record; false when it cannot be written.
bool WriteLanguageRecord(const std::string& trainingFile, const std::vector<cLanguage>& languages);
/// The languages of the side record; empty when there is none.
std::vector<cLanguage> ReadLanguageRecord(const std::string& trainingFile);
