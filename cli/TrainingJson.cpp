#include "cli/TrainingJson.h"

#include "data/Cp1252.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <iterator>
#include <limits>
#include <ostream>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::int64_t kMaxByte = 255;
constexpr std::int64_t kMaxUnsigned32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kMinSigned32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMaxSigned32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMaxPoints = 8;

std::string Member(const std::string& place, const char* key)
{
    return place.empty() ? std::string(key) : place + "." + key;
}

std::string Element(const std::string& place, std::size_t index)
{
    return place + "[" + std::to_string(index) + "]";
}

// Code point of the index-th character of UTF-8 text, or -1 where the bytes are malformed.
long CodePointAt(const std::string& utf8, std::size_t index)
{
    std::size_t pos = 0;
    for (std::size_t i = 0; pos < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[pos]);
        const std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2
                                 : (lead & 0xF0) == 0xE0              ? 3
                                 : (lead & 0xF8) == 0xF0              ? 4
                                                                      : 1;
        if (i == index) {
            if (length == 1)
                return lead < 0x80 ? lead : -1;
            if (pos + length > utf8.size())
                return -1;
            long cp = lead & (0x7F >> length);
            for (std::size_t k = 1; k < length; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[pos + k]) & 0x3F);
            return cp;
        }
        pos += length;
    }
    return -1;
}

// Walks a JSON document and collects the first refusal with its place.
class cJsonChecker {
public:
    std::string error;

    bool Fail(const std::string& place, const std::string& reason)
    {
        if (error.empty())
            error = (place.empty() ? std::string("Dokument") : place) + ": " + reason;
        return false;
    }

    // Each getter leaves out untouched when the key is missing (the record's default).
    bool Bool(const OrderedJson& obj, const char* key, const std::string& place, bool& out)
    {
        const auto it = obj.find(key);
        if (it == obj.end())
            return true;
        if (!it->is_boolean())
            return Fail(Member(place, key), "Wahrheitswert (true oder false) erwartet");
        out = it->get<bool>();
        return true;
    }

    template <typename T>
    bool Int(const OrderedJson& obj, const char* key, const std::string& place, std::int64_t min,
             std::int64_t max, T& out)
    {
        const auto it = obj.find(key);
        if (it == obj.end())
            return true;
        std::int64_t value = 0;
        if (!Number(*it, Member(place, key), min, max, value))
            return false;
        out = static_cast<T>(value);
        return true;
    }

    bool Number(const OrderedJson& value, const std::string& place, std::int64_t min,
                std::int64_t max, std::int64_t& out)
    {
        const std::string range =
            "ganze Zahl von " + std::to_string(min) + " bis " + std::to_string(max) + " erwartet";
        if (!value.is_number_integer())
            return Fail(place, range);
        if (value.is_number_unsigned()) {
            const auto u = value.get<std::uint64_t>();
            if (max < 0 || u > static_cast<std::uint64_t>(max))
                return Fail(place, range);
            out = static_cast<std::int64_t>(u);
        } else {
            out = value.get<std::int64_t>();
        }
        if (out < min || out > max)
            return Fail(place, range);
        return true;
    }

    bool Text(const OrderedJson& obj, const char* key, const std::string& place, std::string& out)
    {
        const auto it = obj.find(key);
        if (it == obj.end())
            return true;
        return TextValue(*it, Member(place, key), out);
    }

    bool TextValue(const OrderedJson& value, const std::string& place, std::string& out)
    {
        if (!value.is_string())
            return Fail(place, "Text erwartet");
        const auto& utf8 = value.get_ref<const std::string&>();
        std::string bytes;
        std::size_t bad = 0;
        if (!Utf8ToCp1252(utf8, bytes, &bad)) {
            const long cp = CodePointAt(utf8, bad);
            if (cp < 0)
                return Fail(place, "ungültiges UTF-8 an Zeichen " + std::to_string(bad + 1));
            char hex[24];
            std::snprintf(hex, sizeof hex, "U+%04lX", static_cast<unsigned long>(cp));
            return Fail(place, "das Zeichen " + std::string(hex) + " an Stelle " +
                                   std::to_string(bad + 1) +
                                   " hat kein Zeichen in Windows-1252");
        }
        out = std::move(bytes);
        return true;
    }

    // The array under key, or nullptr when the key is missing; refuses other types.
    bool Array(const OrderedJson& obj, const char* key, const std::string& place,
               std::size_t maxSize, const OrderedJson*& out)
    {
        out = nullptr;
        const auto it = obj.find(key);
        if (it == obj.end())
            return true;
        if (!it->is_array())
            return Fail(Member(place, key), "Liste erwartet");
        if (it->size() > maxSize)
            return Fail(Member(place, key), "höchstens " + std::to_string(maxSize) +
                                                " Einträge erlaubt, " +
                                                std::to_string(it->size()) + " gefunden");
        out = &*it;
        return true;
    }

    bool Object(const OrderedJson& value, const std::string& place)
    {
        return value.is_object() || Fail(place, "Objekt erwartet");
    }

    bool Column(const OrderedJson& j, const std::string& place, cTrainingData& data)
    {
        if (!Object(j, place))
            return false;
        std::string title;
        std::uint32_t width = 0;
        std::uint32_t kind = 0;
        if (!Text(j, "title", place, title) || !Int(j, "width", place, 0, kMaxUnsigned32, width) ||
            !Int(j, "kind", place, 0, kMaxUnsigned32, kind))
            return false;
        data.m_aColumnTitle.push_back(std::move(title));
        data.m_aColumnWidth.push_back(width);
        data.m_aColumnKind.push_back(kind);
        return true;
    }

    bool Task(const OrderedJson& j, const std::string& place, cTask& t)
    {
        if (!Object(j, place))
            return false;
        if (!Text(j, "taskNo", place, t.m_strTaskNo) ||
            !Text(j, "category", place, t.m_strCategory) ||
            !Int(j, "type", place, 0, kMaxByte, t.m_nType) ||
            !Text(j, "question", place, t.m_strQuestion) ||
            !Text(j, "solution", place, t.m_strSolution) ||
            !Bool(j, "selfAssess", place, t.m_bSelfAssess) ||
            !Int(j, "points", place, 0, kMaxPoints, t.m_nPoints))
            return false;

        const OrderedJson* stats = nullptr;
        if (!Array(j, "stats", place, std::numeric_limits<std::size_t>::max(), stats))
            return false;
        if (stats) {
            const std::size_t expected = t.m_nPoints + 1u;
            if (stats->size() != expected)
                return Fail(Member(place, "stats"),
                            std::to_string(expected) + " Werte erwartet (points + 1), " +
                                std::to_string(stats->size()) + " gefunden");
            for (std::size_t k = 0; k < expected; ++k) {
                std::int64_t count = 0;
                if (!Number((*stats)[k], Element(Member(place, "stats"), k), 0, kMaxUnsigned32,
                            count))
                    return false;
                t.m_nStats[k] = static_cast<std::uint32_t>(count);
            }
        }

        if (!Bool(j, "choiceFlag", place, t.m_bChoiceFlag) ||
            !Int(j, "choiceValue", place, 0, kMaxByte, t.m_nChoiceValue))
            return false;

        const OrderedJson* choices = nullptr;
        if (!Array(j, "choices", place, kTaskSlots, choices))
            return false;
        if (choices) {
            for (std::size_t i = 0; i < choices->size(); ++i) {
                const std::string at = Element(Member(place, "choices"), i);
                const OrderedJson& c = (*choices)[i];
                if (!Object(c, at) || !Text(c, "text", at, t.m_strChoice[i]) ||
                    !Bool(c, "right", at, t.m_bChoiceRight[i]) ||
                    !Text(c, "extra", at, t.m_strChoiceExtra[i]))
                    return false;
            }
            t.m_nChoiceCount = static_cast<std::uint8_t>(choices->size());
        }

        const OrderedJson* patterns = nullptr;
        if (!Array(j, "patterns", place, kTaskSlots, patterns))
            return false;
        if (patterns) {
            for (std::size_t i = 0; i < patterns->size(); ++i)
                if (!TextValue((*patterns)[i], Element(Member(place, "patterns"), i),
                               t.m_strPattern[i]))
                    return false;
            t.m_nPatternCount = static_cast<std::uint8_t>(patterns->size());
        }

        return Text(j, "sound", place, t.m_strSound) &&
               Text(j, "picture", place, t.m_strPicture) &&
               Int(j, "pictureSize", place, 0, kMaxByte, t.m_nPictureSize) &&
               Int(j, "picturePlace", place, 0, kMaxByte, t.m_nPicturePlace);
    }

    bool Questionnaire(const OrderedJson& j, const std::string& place, std::size_t taskCount,
                       cQuestionnaire& q)
    {
        if (!Object(j, place))
            return false;
        if (!Text(j, "title", place, q.m_strTitle) ||
            !Int(j, "examSeconds", place, kMinSigned32, kMaxSigned32, q.m_nExamSeconds) ||
            !Int(j, "passPoints", place, 0, kMaxUnsigned32, q.m_nPassPoints) ||
            !Int(j, "retakePoints", place, 0, kMaxUnsigned32, q.m_nRetakePoints) ||
            !Int(j, "icon", place, kMinSigned32, kMaxSigned32, q.m_nIcon))
            return false;
        const OrderedJson* tasks = nullptr;
        if (!Array(j, "tasks", place, std::numeric_limits<std::size_t>::max(), tasks))
            return false;
        if (!tasks)
            return true;
        for (std::size_t i = 0; i < tasks->size(); ++i) {
            const std::string at = Element(Member(place, "tasks"), i);
            const OrderedJson& value = (*tasks)[i];
            if (!value.is_number_integer())
                return Fail(at, "Aufgabenindex (ganze Zahl) erwartet");
            const bool negative = value.is_number_integer() && !value.is_number_unsigned() &&
                                  value.get<std::int64_t>() < 0;
            if (negative || value.get<std::uint64_t>() >= taskCount) {
                if (taskCount == 0)
                    return Fail(at, "verweist auf keine Aufgabe (tasks ist leer)");
                return Fail(at, "Aufgabenindex von 0 bis " + std::to_string(taskCount - 1) +
                                    " erwartet");
            }
            q.m_aTaskIndex.push_back(static_cast<std::uint32_t>(value.get<std::uint64_t>()));
        }
        return true;
    }

    bool Document(const OrderedJson& doc, cTrainingData& data)
    {
        if (!doc.is_object())
            return Fail("", "JSON-Objekt erwartet");
        const auto format = doc.find("format");
        if (format != doc.end() &&
            (!format->is_string() || format->get_ref<const std::string&>() != kJsonFormatName))
            return Fail("format", std::string("\"") + kJsonFormatName + "\" erwartet");
        const auto version = doc.find("version");
        if (version != doc.end() &&
            (!version->is_number_integer() || version->get<std::int64_t>() != kJsonFormatVersion))
            return Fail("version", "nur Version " + std::to_string(kJsonFormatVersion) +
                                       " wird unterstützt");

        if (!Int(doc, "crypt", "", 0, kMaxByte, data.m_nCrypt) ||
            !Bool(doc, "showAll", "", data.m_bShowAll) ||
            !Bool(doc, "random", "", data.m_bRandom) ||
            !Int(doc, "minPercent", "", 0, kMaxByte, data.m_nMinPercent) ||
            !Int(doc, "minRight", "", 0, kMaxByte, data.m_nMinRight) ||
            !Int(doc, "maxWords", "", 0, kMaxByte, data.m_nMaxWords) ||
            !Bool(doc, "allowMissing", "", data.m_bAllowMissing) ||
            !Bool(doc, "allowExtra", "", data.m_bAllowExtra) ||
            !Bool(doc, "allowSwap", "", data.m_bAllowSwap) ||
            !Text(doc, "questionTemplate", "", data.m_strQuestionTemplate) ||
            !Text(doc, "rightTemplate", "", data.m_strRightTemplate) ||
            !Text(doc, "wrongTemplate", "", data.m_strWrongTemplate))
            return false;

        constexpr auto kUnbounded = std::numeric_limits<std::size_t>::max();
        const OrderedJson* columns = nullptr;
        if (!Array(doc, "columns", "", kUnbounded, columns))
            return false;
        if (columns)
            for (std::size_t i = 0; i < columns->size(); ++i)
                if (!Column((*columns)[i], Element("columns", i), data))
                    return false;

        const OrderedJson* tasks = nullptr;
        if (!Array(doc, "tasks", "", kUnbounded, tasks))
            return false;
        if (tasks) {
            data.m_aTasks.reserve(tasks->size());
            for (std::size_t i = 0; i < tasks->size(); ++i) {
                cTask task;
                if (!Task((*tasks)[i], Element("tasks", i), task))
                    return false;
                data.m_aTasks.push_back(std::move(task));
            }
        }

        const OrderedJson* questionnaires = nullptr;
        if (!Array(doc, "questionnaires", "", kUnbounded, questionnaires))
            return false;
        if (questionnaires) {
            for (std::size_t i = 0; i < questionnaires->size(); ++i) {
                cQuestionnaire q;
                if (!Questionnaire((*questionnaires)[i], Element("questionnaires", i),
                                   data.m_aTasks.size(), q))
                    return false;
                data.m_aQuestionnaires.push_back(std::move(q));
            }
        }
        return true;
    }
};

} // namespace

namespace {

// Writes the export's layout as it goes: two blanks of indent per level, "key": value,
// an empty array as [], texts escaped as JSON requires (quote, backslash, the control
// characters; \b \f \n \r \t by name, the others as \u00xx). The output collects in a
// buffer that is handed to the stream in large pieces.
class cJsonWriter {
public:
    explicit cJsonWriter(std::ostream& out) : m_out(out) { m_buf.reserve(kFlushSize + 4096); }

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }

    void Key(std::string_view key)
    {
        Item();
        m_buf += '"';
        m_buf += key;
        m_buf += "\": ";
        m_bAfterKey = true;
    }

    void Text(const std::string& cp1252)
    {
        Item();
        m_buf += '"';
        for (const char c : cp1252)
            m_buf += Escaped(static_cast<unsigned char>(c));
        m_buf += '"';
        Flush(false);
    }

    void Bool(bool value)
    {
        Item();
        m_buf += value ? "true" : "false";
    }

    void Number(std::int64_t value)
    {
        Item();
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        m_buf.append(digits, end);
    }

    void Finish()
    {
        m_buf += '\n';
        Flush(true);
    }

private:
    static constexpr std::size_t kFlushSize = 1u << 16;

    // The JSON text of one Windows-1252 byte inside a string, made once per byte value.
    static const std::string& Escaped(unsigned char byte)
    {
        static const std::array<std::string, 256> table = [] {
            std::array<std::string, 256> t;
            for (int b = 0; b < 256; ++b) {
                const char32_t cp = Cp1252ToUnicode(static_cast<unsigned char>(b));
                switch (cp) {
                case '"': t[b] = "\\\""; break;
                case '\\': t[b] = "\\\\"; break;
                case '\b': t[b] = "\\b"; break;
                case '\f': t[b] = "\\f"; break;
                case '\n': t[b] = "\\n"; break;
                case '\r': t[b] = "\\r"; break;
                case '\t': t[b] = "\\t"; break;
                default:
                    if (cp < 0x20) {
                        char hex[8];
                        std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned>(cp));
                        t[b] = hex;
                    } else {
                        AppendUtf8(t[b], cp);
                    }
                }
            }
            return t;
        }();
        return table[byte];
    }

    // Starts a value: after a key on the same line, else on a line of its own.
    void Item()
    {
        if (m_bAfterKey) {
            m_bAfterKey = false;
            return;
        }
        if (m_levels.empty())
            return;
        m_buf += m_levels.back() ? "\n" : ",\n";
        m_levels.back() = false;
        m_buf.append(2 * m_levels.size(), ' ');
    }

    void Open(char bracket)
    {
        Item();
        m_buf += bracket;
        m_levels.push_back(true);
    }

    void Close(char bracket)
    {
        const bool empty = m_levels.back();
        m_levels.pop_back();
        if (!empty) {
            m_buf += '\n';
            m_buf.append(2 * m_levels.size(), ' ');
        }
        m_buf += bracket;
        Flush(false);
    }

    void Flush(bool always)
    {
        if (always || m_buf.size() >= kFlushSize) {
            m_out.write(m_buf.data(), static_cast<std::streamsize>(m_buf.size()));
            m_buf.clear();
        }
    }

    std::ostream& m_out;
    std::string m_buf;
    std::vector<bool> m_levels; // per open level: nothing written in it yet
    bool m_bAfterKey = false;
};

void WriteTask(cJsonWriter& w, const cTask& task)
{
    w.BeginObject();
    w.Key("taskNo");
    w.Text(task.m_strTaskNo);
    w.Key("category");
    w.Text(task.m_strCategory);
    w.Key("type");
    w.Number(task.m_nType);
    w.Key("question");
    w.Text(task.m_strQuestion);
    w.Key("solution");
    w.Text(task.m_strSolution);
    w.Key("selfAssess");
    w.Bool(task.m_bSelfAssess);
    w.Key("points");
    w.Number(task.m_nPoints);
    w.Key("stats");
    w.BeginArray();
    for (int k = 0; k <= task.m_nPoints && k < kTaskSlots; ++k)
        w.Number(task.m_nStats[k]);
    w.EndArray();
    w.Key("choiceFlag");
    w.Bool(task.m_bChoiceFlag);
    w.Key("choiceValue");
    w.Number(task.m_nChoiceValue);
    w.Key("choices");
    w.BeginArray();
    const cTask& t = task; // const access reads empty slots without creating them
    for (int i = 0; i < std::min<int>(t.m_nChoiceCount, kTaskSlots); ++i) {
        w.BeginObject();
        w.Key("text");
        w.Text(t.m_strChoice[i]);
        w.Key("right");
        w.Bool(t.m_bChoiceRight[i]);
        w.Key("extra");
        w.Text(t.m_strChoiceExtra[i]);
        w.EndObject();
    }
    w.EndArray();
    w.Key("patterns");
    w.BeginArray();
    for (int i = 0; i < std::min<int>(t.m_nPatternCount, kTaskSlots); ++i)
        w.Text(t.m_strPattern[i]);
    w.EndArray();
    w.Key("sound");
    w.Text(task.m_strSound);
    w.Key("picture");
    w.Text(task.m_strPicture);
    w.Key("pictureSize");
    w.Number(task.m_nPictureSize);
    w.Key("picturePlace");
    w.Number(task.m_nPicturePlace);
    w.EndObject();
}

void WriteQuestionnaire(cJsonWriter& w, const cQuestionnaire& q)
{
    w.BeginObject();
    w.Key("title");
    w.Text(q.m_strTitle);
    w.Key("examSeconds");
    w.Number(q.m_nExamSeconds);
    w.Key("passPoints");
    w.Number(q.m_nPassPoints);
    w.Key("retakePoints");
    w.Number(q.m_nRetakePoints);
    w.Key("icon");
    w.Number(q.m_nIcon);
    w.Key("tasks");
    w.BeginArray();
    for (std::uint32_t index : q.m_aTaskIndex)
        w.Number(index);
    w.EndArray();
    w.EndObject();
}

} // namespace

void WriteTrainingJson(const cTrainingData& data, std::ostream& out)
{
    cJsonWriter w(out);
    w.BeginObject();
    w.Key("format");
    w.Text(kJsonFormatName);
    w.Key("version");
    w.Number(kJsonFormatVersion);
    w.Key("crypt");
    w.Number(data.m_nCrypt);
    w.Key("showAll");
    w.Bool(data.m_bShowAll);
    w.Key("random");
    w.Bool(data.m_bRandom);
    w.Key("minPercent");
    w.Number(data.m_nMinPercent);
    w.Key("minRight");
    w.Number(data.m_nMinRight);
    w.Key("maxWords");
    w.Number(data.m_nMaxWords);
    w.Key("allowMissing");
    w.Bool(data.m_bAllowMissing);
    w.Key("allowExtra");
    w.Bool(data.m_bAllowExtra);
    w.Key("allowSwap");
    w.Bool(data.m_bAllowSwap);
    w.Key("questionTemplate");
    w.Text(data.m_strQuestionTemplate);
    w.Key("rightTemplate");
    w.Text(data.m_strRightTemplate);
    w.Key("wrongTemplate");
    w.Text(data.m_strWrongTemplate);

    w.Key("columns");
    w.BeginArray();
    const std::size_t columnCount = std::min(
        {data.m_aColumnTitle.size(), data.m_aColumnWidth.size(), data.m_aColumnKind.size()});
    for (std::size_t i = 0; i < columnCount; ++i) {
        w.BeginObject();
        w.Key("title");
        w.Text(data.m_aColumnTitle[i]);
        w.Key("width");
        w.Number(data.m_aColumnWidth[i]);
        w.Key("kind");
        w.Number(data.m_aColumnKind[i]);
        w.EndObject();
    }
    w.EndArray();

    w.Key("tasks");
    w.BeginArray();
    for (const cTask& task : data.m_aTasks)
        WriteTask(w, task);
    w.EndArray();

    w.Key("questionnaires");
    w.BeginArray();
    for (std::size_t i = 0; i + 1 < data.m_aQuestionnaires.size(); ++i)
        WriteQuestionnaire(w, data.m_aQuestionnaires[i]);
    w.EndArray();
    w.EndObject();
    w.Finish();
}

bool TrainingFromJson(const OrderedJson& doc, cTrainingData& data, std::string& error)
{
    cJsonChecker checker;
    cTrainingData built;
    if (!checker.Document(doc, built)) {
        error = checker.error;
        return false;
    }
    // The automatic questionnaire goes last, as after reading; the writer leaves it out.
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    for (std::size_t i = 0; i < built.m_aTasks.size(); ++i)
        all.m_aTaskIndex.push_back(static_cast<std::uint32_t>(i));
    built.m_aQuestionnaires.push_back(std::move(all));
    built.m_nTimedCount = static_cast<std::int32_t>(
        std::count_if(built.m_aQuestionnaires.begin(), built.m_aQuestionnaires.end(),
                      [](const cQuestionnaire& q) { return q.m_nExamSeconds >= 0; }));
    data = std::move(built);
    error.clear();
    return true;
}

namespace {

// The input of the parser, byte by byte from a stream buffer. It follows the strings of
// the text and counts the bytes each one decodes to, so a huge text is stopped while it
// streams in, before the parser has collected it. A NUL byte, which the parser would
// take for the end of the input, is handed on as a byte it refuses.
class cGuardedInput {
public:
    explicit cGuardedInput(std::streambuf* buf) : m_buf(buf) {}

    [[nodiscard]] bool AtEnd() const
    {
        return m_bTooLong || !m_buf || m_buf->sgetc() == std::char_traits<char>::eof();
    }
    [[nodiscard]] char Current() const
    {
        const int c = m_buf->sgetc();
        return c == 0 ? '\x01' : static_cast<char>(c);
    }
    void Advance() { Feed(m_buf->sbumpc()); }
    [[nodiscard]] bool TooLong() const { return m_bTooLong; }

private:
    static int HexValue(int c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return 0;
    }

    void Feed(int c)
    {
        if (!m_bInString) {
            if (c == '"') {
                m_bInString = true;
                m_nLength = 0;
            }
            return;
        }
        if (m_nHexLeft > 0) {
            m_nCode = m_nCode * 16 + HexValue(c);
            if (--m_nHexLeft > 0)
                return;
            // A surrogate is half of a four-byte character.
            m_nLength += m_nCode < 0x80 ? 1 : m_nCode < 0x800 ? 2
                       : (m_nCode >= 0xD800 && m_nCode <= 0xDFFF) ? 2 : 3;
        } else if (m_bEscape) {
            m_bEscape = false;
            if (c == 'u') {
                m_nHexLeft = 4;
                m_nCode = 0;
                return;
            }
            ++m_nLength;
        } else if (c == '\\') {
            m_bEscape = true;
            return;
        } else if (c == '"') {
            m_bInString = false;
            return;
        } else {
            ++m_nLength;
        }
        if (m_nLength > kMaxJsonText)
            m_bTooLong = true;
    }

    std::streambuf* m_buf;
    bool m_bInString = false;
    bool m_bEscape = false;
    int m_nHexLeft = 0;
    long m_nCode = 0;
    std::size_t m_nLength = 0;
    bool m_bTooLong = false;
};

// An input iterator over cGuardedInput for the parser's iterator input.
class cGuardedIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    explicit cGuardedIterator(cGuardedInput* input = nullptr) : m_input(input) {}
    char operator*() const { return m_input->Current(); }
    cGuardedIterator& operator++()
    {
        m_input->Advance();
        return *this;
    }
    bool operator==(const cGuardedIterator& other) const { return AtEnd() == other.AtEnd(); }
    bool operator!=(const cGuardedIterator& other) const { return !(*this == other); }

private:
    [[nodiscard]] bool AtEnd() const { return !m_input || m_input->AtEnd(); }
    cGuardedInput* m_input;
};

// Builds the document through the library's own builder and checks every event on the
// way, knowing the place of each value.
class cCheckingSax {
public:
    using number_integer_t = OrderedJson::number_integer_t;
    using number_unsigned_t = OrderedJson::number_unsigned_t;
    using number_float_t = OrderedJson::number_float_t;
    using string_t = OrderedJson::string_t;
    using binary_t = OrderedJson::binary_t;

    cCheckingSax(OrderedJson& doc, const cGuardedInput& input, cJsonRefusal& refusal)
        : m_dom(doc, false), m_input(input), m_refusal(refusal)
    {
    }

    bool null() { return m_dom.null() && Done(); }
    bool boolean(bool value) { return m_dom.boolean(value) && Done(); }
    bool number_integer(number_integer_t value) { return m_dom.number_integer(value) && Done(); }
    bool number_unsigned(number_unsigned_t value) { return m_dom.number_unsigned(value) && Done(); }
    bool number_float(number_float_t value, const string_t& text)
    {
        return m_dom.number_float(value, text) && Done();
    }
    bool string(string_t& value) { return Fits(value) && m_dom.string(value) && Done(); }
    bool binary(binary_t& value) { return m_dom.binary(value) && Done(); }

    bool start_object(std::size_t size) { return Open(false) && m_dom.start_object(size); }
    bool key(string_t& name)
    {
        if (!Fits(name))
            return false;
        Frame& frame = m_frames.back();
        frame.key = name;
        frame.hasKey = true;
        frame.expectKey = false;
        if (!frame.keys.insert(name).second)
            return Refuse("Schlüssel kommt doppelt vor");
        return m_dom.key(name);
    }
    bool end_object() { return m_dom.end_object() && Close(); }
    bool start_array(std::size_t size) { return Open(true) && m_dom.start_array(size); }
    bool end_array() { return m_dom.end_array() && Close(); }

    bool parse_error(std::size_t position, const std::string& /*token*/,
                     const nlohmann::json::exception& error)
    {
        if (m_input.TooLong())
            return Refuse(std::string(ExpectsKey() ? "Schlüssel" : "Text") + " länger als 16 MiB (" +
                          std::to_string(kMaxJsonText) + " Bytes)");
        if (error.id == 406)
            return Refuse("Zahl außerhalb des darstellbaren Bereichs");
        if (m_bRootDone) {
            m_frames.clear();
            return Refuse("nach dem JSON-Wert folgen weitere Zeichen (ab Byte " +
                          std::to_string(position) + ")");
        }
        m_refusal.syntaxByte = position;
        return false;
    }

private:
    struct Frame {
        bool array = false;
        std::size_t index = 0;
        bool hasKey = false;
        bool expectKey = true; // in an object: between a value and the next key
        std::string key;
        std::unordered_set<std::string> keys;
    };

    [[nodiscard]] bool ExpectsKey() const
    {
        return !m_frames.empty() && !m_frames.back().array && m_frames.back().expectKey;
    }

    [[nodiscard]] std::string Place() const
    {
        std::string place;
        for (const Frame& frame : m_frames) {
            if (frame.array)
                place += "[" + std::to_string(frame.index) + "]";
            else if (frame.hasKey && !(&frame == &m_frames.back() && frame.expectKey))
                place += (place.empty() ? "" : ".") + frame.key;
        }
        return place.empty() ? std::string("Dokument") : place;
    }

    bool Refuse(const std::string& reason)
    {
        m_refusal.message = Place() + ": " + reason;
        return false;
    }

    bool Fits(const std::string& text)
    {
        return text.size() <= kMaxJsonText ||
               Refuse(std::string(ExpectsKey() ? "Schlüssel" : "Text") + " länger als 16 MiB (" +
                      std::to_string(kMaxJsonText) + " Bytes)");
    }

    bool Open(bool array)
    {
        if (m_frames.size() >= kMaxJsonDepth)
            return Refuse("mehr als " + std::to_string(kMaxJsonDepth) +
                          " Ebenen ineinander verschachtelt");
        m_frames.push_back(Frame{array, 0, false, true, {}, {}});
        return true;
    }

    bool Close()
    {
        m_frames.pop_back();
        return Done();
    }

    // One value is complete: the next one in its array gets the next index.
    bool Done()
    {
        if (m_frames.empty())
            m_bRootDone = true;
        else if (m_frames.back().array)
            ++m_frames.back().index;
        else
            m_frames.back().expectKey = true;
        return true;
    }

    nlohmann::detail::json_sax_dom_parser<OrderedJson> m_dom;
    const cGuardedInput& m_input;
    cJsonRefusal& m_refusal;
    std::vector<Frame> m_frames;
    bool m_bRootDone = false;
};

} // namespace

bool ParseTrainingJson(std::istream& in, OrderedJson& doc, cJsonRefusal& refusal)
{
    refusal = cJsonRefusal();
    cGuardedInput input(in.rdbuf());
    cCheckingSax sax(doc, input, refusal);
    const bool parsed = OrderedJson::sax_parse(cGuardedIterator(&input), cGuardedIterator(), &sax);
    return parsed && refusal.message.empty() && refusal.syntaxByte == 0;
}
