#include "exchange/Csv.h"

#include "base/Cp1252.h"
#include "exchange/TextInput.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Header names, matched without regard to case (Windows-1252 folding) and outer blanks.
struct cColumnName {
    const char* utf8;
    ImportColumn column;
};
constexpr cColumnName kColumnNames[] = {
    {"frage", ColQuestion},     {"question", ColQuestion}, {"lösung", ColSolution},
    {"antwort", ColSolution},   {"solution", ColSolution}, {"answer", ColSolution},
    {"pattern", ColPattern},    {"kategorie", ColCategory}, {"category", ColCategory},
    {"lektion", ColCategory},   {"kapitel", ColCategory},  {"thema", ColCategory},
    {"aufgabennr", ColNumber},  {"nr", ColNumber},         {"number", ColNumber},
    {"punkte", ColPoints},      {"points", ColPoints},
};

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

int ColumnOfName(std::string_view cell)
{
    const std::string folded = LowerCp1252(ToCp1252Bytes(Trimmed(cell)));
    for (const cColumnName& name : kColumnNames)
        if (folded == Cp1252FromUtf8(name.utf8))
            return name.column;
    return ColSkip;
}

const char* SeparatorName(char separator)
{
    return separator == '\t' ? "Tabulator" : separator == ';' ? "Semikolon" : separator == ',' ? "Komma" : "Trennzeichen";
}

bool AllEmpty(const std::vector<std::string>& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return Trimmed(f).empty(); });
}

// The columns a header line names (field index to column), or empty when the line does not
// name both question and solution. A column named twice is refused with its place.
std::vector<int> HeaderColumns(const std::vector<std::string>& fields, const cRecordReader& reader,
                               std::string_view text, cImportResult& result)
{
    std::vector<int> columns(fields.size(), ColSkip);
    std::array<bool, ColCount> seen{};
    std::size_t twice = std::string::npos;
    bool onlyNames = true;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int column = ColumnOfName(fields[i]);
        onlyNames = onlyNames && (column != ColSkip || Trimmed(fields[i]).empty());
        if (column == ColSkip)
            continue;
        if (seen[static_cast<std::size_t>(column)] && twice == std::string::npos)
            twice = i;
        seen[static_cast<std::size_t>(column)] = true;
        columns[i] = column;
    }
    if ((!seen[ColQuestion] || !seen[ColSolution]) && onlyNames) {
        // Known names only, but not both needed: a header that lacks a column.
        result.failure = ImportFailure::Damaged;
        result.message = PlaceText(text, reader.RecordOffset()) +
                         ": Die Kopfzeile braucht die Spalten \"Frage\" und \"Lösung\"";
        return {};
    }
    if (!seen[ColQuestion] || !seen[ColSolution])
        return {};
    if (twice != std::string::npos) {
        result.failure = ImportFailure::Damaged;
        result.message = PlaceText(text, reader.FieldOffset(twice)) + ": Die Kopfzeile nennt die Spalte \"" +
                         std::string(Trimmed(fields[twice])) + "\" ein zweites Mal";
    }
    return columns;
}

// A preamble line of a vocabulary trainer's CSV export: "Title:" or "Author:" and a value.
bool IsPreamble(const std::vector<std::string>& fields)
{
    const std::string first = AsciiLower(Trimmed(fields.front()));
    for (const char* key : {"title:", "author:", "titel:", "autor:"})
        if (first.rfind(key, 0) == 0)
            return true;
    return false;
}

// A spreadsheet's first line "sep=;" names the separator; its length, 0 when there is none.
std::size_t SepLine(std::string_view text, char& separator)
{
    if (text.size() < 5 || AsciiLower(text.substr(0, 4)) != "sep=" || text[4] == '\r' || text[4] == '\n')
        return 0;
    separator = text[4];
    std::size_t end = 5;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    if (end < text.size() && text[end] == '\r')
        ++end;
    if (end < text.size() && text[end] == '\n')
        ++end;
    return end;
}

std::string NumberList(const std::vector<std::size_t>& numbers)
{
    std::string out;
    for (std::size_t i = 0; i < numbers.size() && i < 50; ++i)
        out += (i ? ", " : "") + std::to_string(numbers[i]);
    if (numbers.size() > 50)
        out += ", ...";
    return out;
}

} // namespace

bool IsCsvWithHeader(std::string_view bytes, const cImportOptions& options)
{
    cImportResult ignored;
    std::string text;
    // The head up to a line end, so no UTF-8 sequence is cut (UTF-16 keeps an even length).
    std::string_view head = bytes.substr(0, 8192);
    const bool utf16 = head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF";
    if (!utf16 && head.size() < bytes.size())
        head = head.substr(0, head.rfind('\n') + 1);
    if (!DecodeText(head, options.encoding, text, ignored) || text.empty() || text[0] == '#')
        return false;
    char separator = options.separator ? options.separator : DetectSeparator(text);
    if (!separator)
        return false;
    cRecordReader reader(text, separator);
    std::vector<std::string> fields;
    while (reader.Next(fields, ignored))
        if (!AllEmpty(fields))
            return !HeaderColumns(fields, reader, text, ignored).empty();
    return false;
}

cImportResult ParseCsv(std::string_view bytes, const cImportOptions& options)
{
    cImportResult result;
    std::string text;
    if (!PrepareImportText(bytes, options, "CSV-Datei", text, result))
        return result;
    char named = 0;
    const std::size_t start = SepLine(text, named);
    const char separator = options.separator ? options.separator : named ? named : DetectSeparator(std::string_view(text).substr(start));
    if (!separator) {
        result.failure = ImportFailure::WrongFormat;
        result.message = "Die Datei ist keine CSV-Datei: Keine Zeile enthält ein Trennzeichen "
                         "(Komma, Semikolon oder Tabulator)";
        return result;
    }

    // Without a header (and without chosen columns) only question and solution are read.
    std::vector<int> fieldOf = options.columns.empty() ? std::vector<int>{ColQuestion, ColSolution} : options.columns;
    cRecordReader reader(text, separator, start);
    std::vector<std::string> fields;
    bool first = true;
    bool preamble = false;
    bool header = false;
    std::vector<std::string> ignoredNames;
    std::size_t widest = 0;
    std::vector<std::size_t> halfFilled;
    std::size_t skipped = 0;
    // Line numbers counted on from the last one asked for, as the reader only goes forward.
    std::size_t counted = 0;
    std::size_t line = 1;
    const auto lineAt = [&](std::size_t offset) {
        for (; counted < offset; ++counted)
            line += text[counted] == '\n' || (text[counted] == '\r' && text[counted + 1] != '\n');
        return line;
    };
    result.tasks.reserve(std::min(text.size() / 32, kMaxImportTasks));
    while (reader.Next(fields, result)) {
        if (AllEmpty(fields))
            continue;
        if (first && IsPreamble(fields)) {
            preamble = true;
            continue;
        }
        if (first) {
            first = false;
            const std::vector<int> named = HeaderColumns(fields, reader, text, result);
            if (!result.Ok())
                return result;
            if (!named.empty() || preamble) {
                // After a trainer's preamble the first line names the languages.
                header = true;
                if (options.columns.empty() && !named.empty()) {
                    fieldOf = named;
                    for (std::size_t i = 0; i < fields.size(); ++i)
                        if (named[i] == ColSkip && !Trimmed(fields[i]).empty())
                            ignoredNames.push_back("\"" + std::string(Trimmed(fields[i])) + "\"");
                }
                continue;
            }
        }
        if (fields.size() < 2) {
            const bool nothingYet = result.tasks.empty();
            result.failure = nothingYet ? ImportFailure::WrongFormat : ImportFailure::Damaged;
            result.message = (nothingYet ? "Die Datei ist keine CSV-Datei: " : "") +
                             PlaceText(text, reader.RecordOffset()) + ": Nach der Frage fehlt " +
                             "die Lösung (kein " + SeparatorName(separator) + " in der Zeile)";
            return result;
        }
        std::array<std::size_t, ColCount> at;
        at.fill(std::string::npos);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i < fieldOf.size() && fieldOf[i] != ColSkip)
                at[static_cast<std::size_t>(fieldOf[i])] = i;
            else if (!Trimmed(fields[i]).empty())
                widest = std::max(widest, i + 1);
        }
        const auto cell = [&](int c) -> std::string_view {
            const std::size_t i = at[static_cast<std::size_t>(c)];
            return i == std::string::npos ? std::string_view() : std::string_view(fields[i]);
        };
        const bool noQuestion = IsBlankText(cell(ColQuestion));
        const bool noSolution = IsBlankText(cell(ColSolution));
        // A row without question and solution is padding, never a task.
        if (noQuestion && noSolution) {
            ++skipped;
            continue;
        }
        if (noQuestion || noSolution)
            halfFilled.push_back(lineAt(reader.RecordOffset()));
        if (!RoomForTask(result.tasks, text, reader.RecordOffset(), result))
            return result;
        cImportedTask& task = result.tasks.emplace_back();
        task.question = ToCp1252Bytes(cell(ColQuestion));
        task.solution = ToCp1252Bytes(cell(ColSolution));
        task.pattern = ToCp1252Bytes(cell(ColPattern));
        task.category = ToCp1252Bytes(cell(ColCategory));
        task.taskNo = ToCp1252Bytes(Trimmed(cell(ColNumber)));
        const std::string_view points = Trimmed(cell(ColPoints));
        if (!points.empty()) {
            if (points.size() != 1 || points[0] < '0' || points[0] > '8') {
                result.failure = ImportFailure::Damaged;
                result.message = PlaceText(text, reader.FieldOffset(at[ColPoints])) +
                                 ": Punkte von 0 bis 8 erwartet, gefunden \"" +
                                 std::string(points.substr(0, 40)) + "\"";
                return result;
            }
            task.points = points[0] - '0';
        }
    }
    if (!result.Ok()) {
        result.tasks.clear();
        return result;
    }
    if (!ignoredNames.empty()) {
        std::string list;
        for (const std::string& name : ignoredNames)
            list += (list.empty() ? "" : ", ") + name;
        result.notes.push_back("Nicht übernommene Spalten: " + list);
    } else if (widest > 0) {
        std::vector<std::size_t> unused;
        for (std::size_t i = 0; i < widest; ++i)
            if (i >= fieldOf.size() || fieldOf[i] == ColSkip)
                unused.push_back(i + 1);
        result.notes.push_back("Nicht übernommene Spalten: " + NumberList(unused) +
                               (header || !options.columns.empty() ? "" : " (die Spalten sind wählbar)"));
    }
    if (skipped)
        result.notes.push_back(std::to_string(skipped) + " Zeilen ohne Frage und Lösung übersprungen");
    if (!halfFilled.empty())
        result.notes.push_back("Nur eine Seite ausgefüllt (im Editor ergänzen), Zeilen " + NumberList(halfFilled));
    return result;
}

std::string WriteCsv(const cTrainingData& data, const cExportOptions& options)
{
    const char separator = options.separator ? options.separator : ',';
    std::string out = options.encoding == TextEncoding::Detect ? "\xEF\xBB\xBF" : "";
    const char* const header[] = {"Frage", "Lösung", "Pattern", "Kategorie", "AufgabenNr", "Punkte"};
    for (std::size_t i = 0; i < std::size(header); ++i) {
        if (i)
            out += separator;
        out += header[i];
    }
    out += "\r\n";
    const std::string none;
    for (const cTask& t : data.m_aTasks) {
        // Slot 1 holds the editor's pattern when the task has one.
        const std::string& pattern = t.m_nPatternCount > 1 ? t.m_strPattern[1] : none;
        for (const std::string* text : {&t.m_strQuestion, &t.m_strSolution, &pattern,
                                        &t.m_strCategory, &t.m_strTaskNo}) {
            AppendField(out, Cp1252ToUtf8(*text), separator);
            out += separator;
        }
        out += std::to_string(t.m_nPoints);
        out += "\r\n";
    }
    // Every text came from Windows-1252, so the way back loses nothing.
    return options.encoding == TextEncoding::Cp1252 ? Cp1252FromUtf8(out) : out;
}
