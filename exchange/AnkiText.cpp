#include "exchange/AnkiText.h"

#include "base/Cp1252.h"
#include "exchange/TextInput.h"

#include <algorithm>
#include <charconv>
#include <iterator>
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

struct cEntity {
    const char* name;
    const char* utf8;
};
constexpr cEntity kEntities[] = {
#include "exchange/HtmlEntities.inc"
};

// The UTF-8 text of a named character reference, nullptr for an unknown name.
const char* EntityText(std::string_view name)
{
    const auto found = std::lower_bound(std::begin(kEntities), std::end(kEntities), name,
                                        [](const cEntity& e, std::string_view n) { return std::string_view(e.name) < n; });
    return found != std::end(kEntities) && name == found->name ? found->utf8 : nullptr;
}

// The value of an attribute in the text of a tag ("img src=\"a.jpg\""), empty when missing.
std::string AttributeOf(std::string_view tag, std::string_view name)
{
    const std::string lower = AsciiLower(tag);
    for (std::size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
        std::size_t i = at + name.size();
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        if (at == 0 || lower[at - 1] != ' ' || i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        const char quote = i < tag.size() && (tag[i] == '"' || tag[i] == '\'') ? tag[i] : 0;
        const std::size_t from = i + (quote ? 1 : 0);
        const std::size_t end = quote ? tag.find(quote, from) : tag.find_first_of(" \t", from);
        return std::string(tag.substr(from, (end == std::string_view::npos ? tag.size() : end) - from));
    }
    return std::string();
}

// Text of an HTML field (UTF-8): <br> and the edges of <div> and <p> blocks become CR LF
// (a raw line break right after <br> is the same break), the first <img> gives picture,
// other tags go, entities are decoded, a non-breaking space becomes a blank.
std::string HtmlToText(std::string_view html, std::string& picture)
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
            const std::string_view inside = Trimmed(html.substr(i + 1, end - i - 1));
            const std::string tag = AsciiLower(inside);
            const bool closing = !tag.empty() && tag[0] == '/';
            std::string name = tag.substr(closing ? 1 : 0);
            name = name.substr(0, name.find_first_of(" /\t\r\n"));
            const bool endsLine = out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0;
            // A block starts and ends on a line of its own.
            if (name == "br" || ((name == "div" || name == "p") && !out.empty() && !endsLine))
                out += "\r\n";
            if (name == "img" && picture.empty())
                picture = AttributeOf(inside, "src");
            i = end;
            if (name == "br" && html.substr(i + 1, 2) == "\r\n")
                i += 2;
            else if (name == "br" && html.substr(i + 1, 1) == "\n")
                i += 1;
        } else if (c == '&') {
            const std::size_t end = html.find(';', i);
            const std::string_view entity = end == std::string_view::npos || end - i > 40 ? std::string_view() : html.substr(i + 1, end - i - 1);
            char32_t cp = 0;
            const char* named = entity.empty() || entity[0] == '#' ? nullptr : EntityText(entity);
            if (entity.size() > 1 && entity[0] == '#') {
                const bool hex = entity[1] == 'x' || entity[1] == 'X';
                const std::string_view digits = entity.substr(hex ? 2 : 1);
                unsigned value = 0;
                const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
                if (ec == std::errc() && ptr == digits.data() + digits.size() && value > 0 && value <= 0x10FFFF &&
                    (value < 0xD800 || value > 0xDFFF))
                    cp = value;
            }
            if (cp == 0 && !named) {
                out += c;
                continue;
            }
            if (cp == 0xA0 || entity == "nbsp")
                out += ' ';
            else if (named)
                out += named;
            else
                AppendUtf8(out, cp);
            i = end;
        } else if (c == '\xC2' && i + 1 < html.size() && html[i + 1] == '\xA0') {
            out += ' ';
            ++i;
        } else {
            out += c;
        }
    }
    // Blanks and breaks at the edges show nothing in HTML.
    const std::size_t first = out.find_first_not_of(" \r\n");
    if (first == std::string::npos)
        return std::string();
    return out.substr(first, out.find_last_not_of(" \r\n") + 1 - first);
}

// Takes "[sound:name]" out of text; the first name goes to sound.
void TakeSounds(std::string& text, std::string& sound)
{
    for (std::size_t at = text.find("[sound:"); at != std::string::npos; at = text.find("[sound:", at)) {
        const std::size_t end = text.find(']', at);
        if (end == std::string::npos)
            break;
        if (sound.empty())
            sound = text.substr(at + 7, end - at - 7);
        text.erase(at, end + 1 - at);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
}

// The cloze deletions of a text: "{{c1::Berlin}}" or "{{c1::Berlin::Hauptstadt}}".
struct cCloze {
    std::size_t begin, end; // the whole "{{...}}"
    int number;
    std::string answer, hint;
};

std::vector<cCloze> Clozes(std::string_view text)
{
    std::vector<cCloze> clozes;
    for (std::size_t at = text.find("{{c"); at != std::string_view::npos; at = text.find("{{c", at + 1)) {
        int number = 0;
        const char* digits = text.data() + at + 3;
        const auto [ptr, ec] = std::from_chars(digits, text.data() + text.size(), number);
        const std::size_t body = static_cast<std::size_t>(ptr - text.data());
        const std::size_t end = text.find("}}", body);
        if (ec != std::errc() || number < 1 || text.substr(body, 2) != "::" || end == std::string_view::npos)
            continue;
        const std::string_view inner = text.substr(body + 2, end - body - 2);
        const std::size_t split = inner.find("::");
        clozes.push_back({at, end + 2, number, std::string(inner.substr(0, split)),
                          split == std::string_view::npos ? std::string() : std::string(inner.substr(split + 2))});
        at = end;
    }
    return clozes;
}

// The question of cloze number n: its deletions shown as "[...]" (or "[hint]"), the others
// as their text; the answers of n, joined, are the solution.
void ClozeTask(std::string_view text, const std::vector<cCloze>& clozes, int n, std::string& question,
               std::string& solution)
{
    std::size_t copied = 0;
    for (const cCloze& c : clozes) {
        question.append(text.substr(copied, c.begin - copied));
        if (c.number == n) {
            question += "[" + (c.hint.empty() ? std::string("...") : c.hint) + "]";
            solution += (solution.empty() ? "" : ", ") + c.answer;
        } else {
            question += c.answer;
        }
        copied = c.end;
    }
    question.append(text.substr(copied));
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
    int deckColumn = -1;
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
        } else if (key == "deck column") {
            if (!column(deckColumn))
                return result;
            skipped.insert(deckColumn);
        } else if (key == "guid column" || key == "notetype column") {
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
        cImportedTask note;
        const auto field = [&](std::size_t i, std::string& out) {
            out = html ? HtmlToText(fields[i], note.picture) : fields[i];
            TakeSounds(out, note.sound);
            // Entities may name characters that Windows-1252 lacks.
            return !html || CheckMappable(out, options.replaceUnmappable, result, text, reader.FieldOffset(i));
        };
        std::string front;
        std::string back;
        if (!field(noteFields[0], front) || !field(noteFields[1], back))
            return result;
        if (tagsColumn >= 0 && static_cast<std::size_t>(tagsColumn) < fields.size()) {
            // Tags are separated by blanks; the export writes blanks inside one as "_".
            // Several tags stay apart in the category, joined by ", ".
            const std::string& tags = fields[static_cast<std::size_t>(tagsColumn)];
            std::string category;
            for (std::size_t at = tags.find_first_not_of(" \t"); at != std::string::npos;) {
                const std::size_t end = std::min(tags.find_first_of(" \t", at), tags.size());
                std::string tag = tags.substr(at, end - at);
                std::replace(tag.begin(), tag.end(), '_', ' ');
                category += (category.empty() ? "" : ", ") + tag;
                at = tags.find_first_not_of(" \t", end);
            }
            note.category = ToCp1252Bytes(category);
        } else if (deckColumn >= 0 && static_cast<std::size_t>(deckColumn) < fields.size()) {
            note.category = ToCp1252Bytes(Trimmed(fields[static_cast<std::size_t>(deckColumn)]));
        }
        note.picture = ToCp1252Bytes(note.picture);
        note.sound = ToCp1252Bytes(note.sound);
        const std::vector<cCloze> clozes = Clozes(front);
        std::set<int> numbers;
        for (const cCloze& c : clozes)
            numbers.insert(c.number);
        // A note without text is padding, never a task.
        if (numbers.empty() && IsBlankText(front) && IsBlankText(back))
            continue;
        if (numbers.empty()) {
            note.question = ToCp1252Bytes(front);
            note.solution = ToCp1252Bytes(back);
        }
        // A cloze note gives one task per cloze number.
        for (std::size_t k = 0; k < std::max<std::size_t>(numbers.size(), 1); ++k) {
            if (!RoomForTask(result.tasks, text, reader.RecordOffset(), result))
                return result;
            cImportedTask& task = result.tasks.emplace_back(note);
            if (!numbers.empty()) {
                std::string question;
                std::string solution;
                ClozeTask(front, clozes, *std::next(numbers.begin(), static_cast<long>(k)), question, solution);
                task.question = ToCp1252Bytes(question);
                task.solution = ToCp1252Bytes(solution);
            }
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
        // One tag per part of the category before ", ", its blanks written as "_".
        std::string tags;
        const std::string& category = t.m_strCategory;
        for (std::size_t at = 0; at <= category.size();) {
            const std::size_t end = std::min(category.find(", ", at), category.size());
            std::string tag = category.substr(at, end - at);
            std::replace(tag.begin(), tag.end(), ' ', '_');
            tags += (at ? " " : "") + tag;
            at = end + 2;
        }
        AppendField(out, Cp1252ToUtf8(tags), '\t');
        out += '\n';
    }
    return out;
}
