#include "exchange/AnkiText.h"

#include "base/Cp1252.h"
#include "exchange/TextInput.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace {

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The separator of a "#separator:" header: a name or the character itself; 0 if unknown.
char SeparatorOfHeader(std::string_view value)
{
    const std::string name = AsciiLower(value);
    if (name == "tab")
        return '\t';
    if (name == "comma")
        return ',';
    if (name == "semicolon")
        return ';';
    if (name == "space")
        return ' ';
    if (name == "pipe")
        return '|';
    if (name == "colon")
        return ':';
    return value.size() == 1 && value[0] != '"' && value[0] != '\r' && value[0] != '\n' ? value[0] : 0;
}

// Text of an HTML field: <br> and the edges of <div> and <p> blocks become CR LF, other
// tags go, the common entities are decoded.
std::string HtmlToText(std::string_view html)
{
    std::string out;
    out.reserve(html.size());
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<') {
            const std::size_t end = html.find('>', i);
            if (end == std::string_view::npos) {
                out += html.substr(i);
                break;
            }
            const std::string tag = AsciiLower(Trimmed(html.substr(i + 1, end - i - 1)));
            const bool closing = !tag.empty() && tag[0] == '/';
            std::string name = tag.substr(closing ? 1 : 0);
            name = name.substr(0, name.find_first_of(" /\t\r\n"));
            const bool endsLine = out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0;
            // A block starts and ends on a line of its own.
            if (name == "br" || ((name == "div" || name == "p") && !out.empty() && !endsLine))
                out += "\r\n";
            i = end;
        } else if (c == '&') {
            const std::size_t end = html.find(';', i);
            const std::string_view entity = end == std::string_view::npos || end - i > 10 ? std::string_view() : html.substr(i + 1, end - i - 1);
            char32_t cp = 0;
            if (entity == "amp") cp = '&';
            else if (entity == "lt") cp = '<';
            else if (entity == "gt") cp = '>';
            else if (entity == "quot") cp = '"';
            else if (entity == "apos") cp = '\'';
            else if (entity == "nbsp") cp = 0xA0;
            else if (entity.size() > 1 && entity[0] == '#') {
                const bool hex = entity[1] == 'x' || entity[1] == 'X';
                const std::string_view digits = entity.substr(hex ? 2 : 1);
                unsigned value = 0;
                const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
                if (ec == std::errc() && ptr == digits.data() + digits.size() && value > 0 && value <= 0x10FFFF)
                    cp = value;
            }
            if (cp == 0) {
                out += c;
                continue;
            }
            const int byte = UnicodeToCp1252(cp);
            out += byte < 0 ? '?' : static_cast<char>(byte);
            i = end;
        } else {
            out += c;
        }
    }
    while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0)
        out.resize(out.size() - 2);
    return out;
}

} // namespace

cImportResult ParseAnkiText(std::string_view bytes, const cImportOptions& options)
{
    cImportResult result;
    std::string text;
    if (!PrepareImportText(bytes, options, "Anki-Textdatei", text, result))
        return result;

    // Header lines come first; each is "#key:value".
    char separator = options.separator;
    bool html = false;
    std::set<int> skipped; // 0-based columns that hold no note field
    int tagsColumn = -1;
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == '#') {
        const std::size_t eol = std::min(text.find('\n', pos), text.size());
        const std::string_view line = Trimmed(std::string_view(text).substr(pos + 1, eol - pos - 1));
        const std::size_t colon = line.find(':');
        const std::string key = AsciiLower(Trimmed(line.substr(0, colon)));
        const std::string_view value = colon == std::string_view::npos ? std::string_view() : Trimmed(line.substr(colon + 1));
        const auto column = [&](int& out) {
            int n = 0;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
            if (ec != std::errc() || ptr != value.data() + value.size() || n < 1 || n > 1000) {
                result.failure = ImportFailure::Damaged;
                result.message = PlaceText(text, pos) + ": Spaltennummer ab 1 erwartet, gefunden \"" +
                                 std::string(value.substr(0, 40)) + "\"";
                return false;
            }
            out = n - 1;
            return true;
        };
        if (key == "separator") {
            const char named = SeparatorOfHeader(value);
            if (!named) {
                result.failure = ImportFailure::Damaged;
                result.message = PlaceText(text, pos) + ": Unbekanntes Trennzeichen \"" +
                                 std::string(value.substr(0, 40)) + "\"";
                return result;
            }
            if (!options.separator)
                separator = named;
        } else if (key == "html") {
            html = AsciiLower(value) == "true";
        } else if (key == "tags column") {
            if (!column(tagsColumn))
                return result;
        } else if (key == "guid column" || key == "notetype column" || key == "deck column") {
            int n = 0;
            if (!column(n))
                return result;
            skipped.insert(n);
        }
        pos = eol < text.size() ? eol + 1 : eol;
    }
    if (tagsColumn >= 0)
        skipped.insert(tagsColumn);
    const std::string_view body = std::string_view(text).substr(pos);
    if (!separator)
        separator = DetectSeparator(body);
    if (!separator) {
        result.failure = ImportFailure::WrongFormat;
        result.message = "Die Datei ist keine Anki-Textdatei: Keine Zeile trennt Vorder- und "
                         "Rückseite (kein \"#separator:\" und kein Tabulator, Semikolon oder Komma)";
        return result;
    }

    cRecordReader reader(text, separator, pos);
    std::vector<std::string> fields;
    std::vector<std::size_t> noteFields;
    while (reader.Next(fields, result)) {
        if (std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); }))
            continue;
        noteFields.clear();
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (!skipped.count(static_cast<int>(i)))
                noteFields.push_back(i);
        if (noteFields.size() < 2) {
            const bool nothingYet = result.tasks.empty();
            result.failure = nothingYet ? ImportFailure::WrongFormat : ImportFailure::Damaged;
            result.message = std::string(nothingYet ? "Die Datei ist keine Anki-Textdatei: " : "") +
                             PlaceText(text, reader.RecordOffset()) +
                             ": Die Notiz hat keine Rückseite";
            return result;
        }
        if (!RoomForTask(result.tasks, text, reader.RecordOffset(), result))
            return result;
        cImportedTask& task = result.tasks.emplace_back();
        const auto field = [&](std::size_t i) {
            std::string value = ToCp1252Bytes(fields[i]);
            return html ? HtmlToText(value) : value;
        };
        task.question = field(noteFields[0]);
        task.solution = field(noteFields[1]);
        if (tagsColumn >= 0 && static_cast<std::size_t>(tagsColumn) < fields.size()) {
            // The export writes blanks of a category as "_"; several tags join with blanks.
            std::string tags = ToCp1252Bytes(Trimmed(fields[static_cast<std::size_t>(tagsColumn)]));
            std::replace(tags.begin(), tags.end(), '_', ' ');
            task.category = std::move(tags);
        }
    }
    if (!result.Ok())
        result.tasks.clear();
    return result;
}

std::string WriteAnkiText(const cTrainingData& data)
{
    std::string out = "#separator:tab\n#html:false\n#tags column:3\n";
    for (const cTask& t : data.m_aTasks) {
        // A line that starts with "#" would be read as a header line.
        AppendField(out, Cp1252ToUtf8(t.m_strQuestion), '\t',
                    !t.m_strQuestion.empty() && t.m_strQuestion[0] == '#');
        out += '\t';
        AppendField(out, Cp1252ToUtf8(t.m_strSolution), '\t');
        out += '\t';
        std::string tags = t.m_strCategory;
        std::replace(tags.begin(), tags.end(), ' ', '_');
        AppendField(out, Cp1252ToUtf8(tags), '\t');
        out += '\n';
    }
    return out;
}
