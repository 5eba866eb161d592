#include "exchange/TrainingJson.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string_view>
#include <vector>

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
