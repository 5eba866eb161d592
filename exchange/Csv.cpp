#include "exchange/Csv.h"

#include "base/Cp1252.h"
#include "exchange/TextInput.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

enum Column : int { ColQuestion, ColSolution, ColPattern, ColCategory, ColNumber, ColPoints, ColCount };

// Header names, matched without regard to case (Windows-1252 folding) and outer blanks.
struct cColumnName {
    const char* utf8;
    Column column;
};
constexpr cColumnName kColumnNames[] = {
    {"frage", ColQuestion},     {"question", ColQuestion}, {"lösung", ColSolution},
    {"antwort", ColSolution},   {"solution", ColSolution}, {"answer", ColSolution},
    {"pattern", ColPattern},    {"kategorie", ColCategory}, {"category", ColCategory},
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
    return -1;
}

const char* SeparatorName(char separator)
{
    return separator == '\t' ? "Tabulator" : separator == ';' ? "Semikolon" : separator == ',' ? "Komma" : "Trennzeichen";
}

} // namespace

cImportResult ParseCsv(std::string_view bytes, const cImportOptions& options)
{
    cImportResult result;
    std::string text;
    if (!PrepareImportText(bytes, options, "CSV-Datei", text, result))
        return result;
    const char separator = options.separator ? options.separator : DetectSeparator(text);
    if (!separator) {
        result.failure = ImportFailure::WrongFormat;
        result.message = "Die Datei ist keine CSV-Datei: Keine Zeile enthält ein Trennzeichen "
                         "(Komma, Semikolon oder Tabulator)";
        return result;
    }

    std::array<int, ColCount> fieldOf{0, 1, 2, 3, 4, 5}; // field index of each column, -1 none
    cRecordReader reader(text, separator);
    std::vector<std::string> fields;
    bool first = true;
    result.tasks.reserve(std::min(text.size() / 32, kMaxImportTasks));
    while (reader.Next(fields, result)) {
        bool empty = true;
        for (const std::string& f : fields)
            empty = empty && f.empty();
        if (empty)
            continue;
        if (first) {
            first = false;
            std::array<int, ColCount> named;
            named.fill(-1);
            bool header = true;
            bool anyName = false;
            for (std::size_t i = 0; i < fields.size() && header; ++i) {
                if (Trimmed(fields[i]).empty())
                    continue;
                const int column = ColumnOfName(fields[i]);
                header = column >= 0;
                if (!header)
                    break;
                anyName = true;
                if (named[static_cast<std::size_t>(column)] >= 0) {
                    result.failure = ImportFailure::Damaged;
                    result.message = PlaceText(text, reader.FieldOffset(i)) +
                                     ": Die Kopfzeile nennt die Spalte \"" +
                                     std::string(Trimmed(fields[i])) + "\" ein zweites Mal";
                    return result;
                }
                named[static_cast<std::size_t>(column)] = static_cast<int>(i);
            }
            if (header && anyName) {
                if (named[ColQuestion] < 0 || named[ColSolution] < 0) {
                    result.failure = ImportFailure::Damaged;
                    result.message = PlaceText(text, reader.RecordOffset()) +
                                     ": Die Kopfzeile braucht die Spalten \"Frage\" und \"Lösung\"";
                    return result;
                }
                fieldOf = named;
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
        const auto cell = [&](Column c) -> std::string_view {
            const int i = fieldOf[c];
            return i >= 0 && static_cast<std::size_t>(i) < fields.size() ? std::string_view(fields[static_cast<std::size_t>(i)]) : std::string_view();
        };
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
                result.message = PlaceText(text, reader.FieldOffset(static_cast<std::size_t>(fieldOf[ColPoints]))) +
                                 ": Punkte von 0 bis 8 erwartet, gefunden \"" +
                                 std::string(points.substr(0, 40)) + "\"";
                return result;
            }
            task.points = points[0] - '0';
        }
    }
    if (!result.Ok())
        result.tasks.clear();
    return result;
}

std::string WriteCsv(const cTrainingData& data, char separator)
{
    if (!separator)
        separator = ',';
    std::string out = "\xEF\xBB\xBF";
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
    return out;
}
