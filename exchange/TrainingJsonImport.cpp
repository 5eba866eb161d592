// The JSON import: one pass of the pull reader straight into the records.
//
// The reader's refusals (syntax, limits) win over any refusal of a value, and among
// the values the one reported is the first in the layout's order, not in the order of
// the text: the keys may come in any order, and a task's stats are checked against its
// points, a questionnaire's task indices against the number of tasks, which may both
// come later. So a value that does not fit only notes its refusal with its rank in
// that order, the pass goes on to the end, and the lowest rank is reported.

#include "exchange/TrainingJson.h"
#include "exchange/TrainingJsonReader.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <limits>
#include <new>
#include <string_view>

namespace {

using Ev = JsonEvent;

constexpr std::int64_t kMaxByte = 255;
constexpr std::int64_t kMaxUnsigned32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kMinSigned32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMaxSigned32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMaxPoints = 8;
// Stands for a task index that no task can have, until the number of tasks is known.
constexpr std::uint32_t kNoTaskIndex = std::numeric_limits<std::uint32_t>::max();

// The keys of each object in the layout's order: their index is their rank.
constexpr std::string_view kDocumentKeys[] = {
    "format", "version", "crypt", "showAll", "random", "minPercent", "minRight", "maxWords",
    "allowMissing", "allowExtra", "allowSwap", "questionTemplate", "rightTemplate",
    "wrongTemplate", "columns", "tasks", "questionnaires"};
constexpr std::string_view kColumnKeys[] = {"title", "width", "kind"};
constexpr std::string_view kTaskKeys[] = {
    "taskNo", "category", "type", "question", "solution", "selfAssess", "points", "stats",
    "choiceFlag", "choiceValue", "choices", "patterns", "sound", "picture", "pictureSize",
    "picturePlace"};
constexpr std::string_view kChoiceKeys[] = {"text", "right", "extra"};
constexpr std::string_view kQuestionnaireKeys[] = {"title", "examSeconds", "passPoints",
                                                   "retakePoints", "icon", "tasks"};

enum DocumentKey { kColumns = 14, kTasks = 15, kQuestionnaires = 16 };
enum TaskKey { kStats = 7, kChoices = 10, kPatterns = 11 };
enum QuestionnaireKey { kTaskIndices = 5 };

// The place of a value as ranks: document key, item, key in the item, item in that, key
// in that; -1 where the place ends. Compared as a tuple it gives the order of checking.
using cRank = std::array<std::int64_t, 5>;

cRank Rank(std::int64_t a, std::int64_t b = -1, std::int64_t c = -1, std::int64_t d = -1,
           std::int64_t e = -1)
{
    return {a, b, c, d, e};
}

std::string RangeText(std::int64_t min, std::int64_t max)
{
    return "ganze Zahl von " + std::to_string(min) + " bis " + std::to_string(max) + " erwartet";
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

// Index of key among names, trying the one after the previous key first (the usual
// order); -1 for a key the layout does not know, which is ignored.
template <std::size_t N>
int KeyIndex(const std::string& key, const std::string_view (&names)[N], std::size_t& next)
{
    for (std::size_t n = 0; n < N; ++n) {
        const std::size_t i = (next + n) % N;
        if (names[i] == key) {
            next = i + 1;
            return static_cast<int>(i);
        }
    }
    return -1;
}

class cImporter {
public:
    explicit cImporter(std::streambuf* in) : m_reader(in) {}

    // False on refusal: the reader's, or else the first value that does not fit.
    bool Run(cTrainingData& data, cJsonRefusal& refusal)
    {
        if (!Document(data)) {
            refusal = m_reader.Refusal();
            return false;
        }
        CheckTaskIndices(data);
        if (m_bRefused) {
            refusal.message = PlaceOf(m_errorRank) + ": " + m_error;
            refusal.unmappable = m_bUnmappable;
            return false;
        }
        return true;
    }

private:
    void Note(const cRank& rank, std::string reason, bool unmappable = false)
    {
        if (m_bRefused && !(rank < m_errorRank))
            return;
        m_bRefused = true;
        m_errorRank = rank;
        m_error = std::move(reason);
        m_bUnmappable = unmappable;
    }

    static std::string PlaceOf(const cRank& rank)
    {
        if (rank[0] < 0)
            return "Dokument";
        std::string place(kDocumentKeys[rank[0]]);
        if (rank[1] < 0)
            return place;
        place += "[" + std::to_string(rank[1]) + "]";
        if (rank[2] < 0)
            return place;
        const auto field = static_cast<std::size_t>(rank[2]);
        place += ".";
        place += rank[0] == kColumns ? kColumnKeys[field]
                 : rank[0] == kTasks ? kTaskKeys[field]
                                     : kQuestionnaireKeys[field];
        if (rank[3] < 0)
            return place;
        place += "[" + std::to_string(rank[3]) + "]";
        if (rank[4] >= 0) {
            place += ".";
            place += kChoiceKeys[rank[4]];
        }
        return place;
    }

    bool Next(Ev& ev) { return m_reader.Next(ev); }

    // Reads past the rest of a value that began with ev.
    bool Skip(Ev ev)
    {
        std::size_t depth = ev == Ev::ObjectStart || ev == Ev::ArrayStart ? 1 : 0;
        while (depth > 0) {
            if (!Next(ev))
                return false;
            if (ev == Ev::ObjectStart || ev == Ev::ArrayStart)
                ++depth;
            else if (ev == Ev::ObjectEnd || ev == Ev::ArrayEnd)
                --depth;
        }
        return true;
    }

    // A value that does not fit: noted, and read past.
    bool Refuse(Ev ev, const cRank& rank, std::string reason)
    {
        Note(rank, std::move(reason));
        return Skip(ev);
    }

    bool WholeIn(Ev ev, std::int64_t min, std::int64_t max, std::int64_t& out) const
    {
        if (ev == Ev::Unsigned) {
            const std::uint64_t u = m_reader.UnsignedValue();
            if (max < 0 || u > static_cast<std::uint64_t>(max))
                return false;
            out = static_cast<std::int64_t>(u);
        } else if (ev == Ev::Integer) {
            out = m_reader.IntegerValue();
        } else {
            return false;
        }
        return out >= min && out <= max;
    }

    bool Bool(Ev ev, const cRank& rank, bool& out)
    {
        if (ev != Ev::True && ev != Ev::False)
            return Refuse(ev, rank, "Wahrheitswert (true oder false) erwartet");
        out = ev == Ev::True;
        return true;
    }

    template <typename T>
    bool Int(Ev ev, const cRank& rank, std::int64_t min, std::int64_t max, T& out)
    {
        std::int64_t value = 0;
        if (!WholeIn(ev, min, max, value))
            return Refuse(ev, rank, RangeText(min, max));
        out = static_cast<T>(value);
        return true;
    }

    bool Text(Ev ev, const cRank& rank, std::string& out)
    {
        if (ev != Ev::String)
            return Refuse(ev, rank, "Text erwartet");
        const std::string& utf8 = m_reader.Text();
        std::size_t bad = 0;
        if (Utf8ToCp1252(utf8, out, &bad))
            return true;
        const long cp = CodePointAt(utf8, bad);
        if (cp < 0) {
            Note(rank, "ungültiges UTF-8 an Zeichen " + std::to_string(bad + 1));
            return true;
        }
        char hex[24];
        std::snprintf(hex, sizeof hex, "U+%04lX", static_cast<unsigned long>(cp));
        Note(rank, "das Zeichen " + std::string(hex) + " an Stelle " + std::to_string(bad + 1) +
                       " hat kein Zeichen in Windows-1252",
             true);
        return true;
    }

    // A text for one of a task's slots, which stays unwritten (and costs nothing) while
    // empty.
    bool SlotText(Ev ev, const cRank& rank, cTextSlots& slots, std::size_t i)
    {
        if (!Text(ev, rank, m_scratch))
            return false;
        if (!m_scratch.empty() && i < slots.size())
            slots[i] = m_scratch;
        return true;
    }

    // Calls member(key index, first event of the value) for each member of the object
    // that ev opened; keys the layout does not know are read past.
    template <std::size_t N, typename F>
    bool Members(const std::string_view (&names)[N], F member)
    {
        std::size_t next = 0;
        Ev ev;
        for (;;) {
            if (!Next(ev))
                return false;
            if (ev == Ev::ObjectEnd)
                return true;
            const int key = KeyIndex(m_reader.Text(), names, next);
            if (!Next(ev))
                return false;
            if (!(key < 0 ? Skip(ev) : member(key, ev)))
                return false;
        }
    }

    // Calls item(index, first event of the item) for each item of the array that ev
    // opened, or refuses another value with "Liste erwartet". Counts the items.
    template <typename F>
    bool Items(Ev ev, const cRank& rank, std::size_t& count, F item)
    {
        count = 0;
        if (ev != Ev::ArrayStart)
            return Refuse(ev, rank, "Liste erwartet");
        for (;;) {
            if (!Next(ev))
                return false;
            if (ev == Ev::ArrayEnd)
                return true;
            if (!item(count++, ev))
                return false;
        }
    }

    bool Document(cTrainingData& d)
    {
        Ev ev;
        if (!Next(ev))
            return false;
        if (ev != Ev::ObjectStart) {
            if (!Refuse(ev, Rank(-1), "JSON-Objekt erwartet"))
                return false;
        } else if (!Members(kDocumentKeys, [&](int key, Ev value) {
                       return DocumentMember(key, value, d);
                   })) {
            return false;
        }
        return Next(ev); // the end of the input, or the reader's refusal
    }

    bool DocumentMember(int key, Ev ev, cTrainingData& d)
    {
        const cRank rank = Rank(key);
        std::size_t count = 0;
        switch (key) {
        case 0:
            if (ev != Ev::String || m_reader.Text() != kJsonFormatName)
                return Refuse(ev, rank, std::string("\"") + kJsonFormatName + "\" erwartet");
            return true;
        case 1: {
            std::int64_t version = 0;
            if (!WholeIn(ev, kJsonFormatVersion, kJsonFormatVersion, version))
                return Refuse(ev, rank, "nur Version " + std::to_string(kJsonFormatVersion) +
                                            " wird unterstützt");
            return true;
        }
        case 2: return Int(ev, rank, 0, kMaxByte, d.m_nCrypt);
        case 3: return Bool(ev, rank, d.m_bShowAll);
        case 4: return Bool(ev, rank, d.m_bRandom);
        case 5: return Int(ev, rank, 0, kMaxByte, d.m_nMinPercent);
        case 6: return Int(ev, rank, 0, kMaxByte, d.m_nMinRight);
        case 7: return Int(ev, rank, 0, kMaxByte, d.m_nMaxWords);
        case 8: return Bool(ev, rank, d.m_bAllowMissing);
        case 9: return Bool(ev, rank, d.m_bAllowExtra);
        case 10: return Bool(ev, rank, d.m_bAllowSwap);
        case 11: return Text(ev, rank, d.m_strQuestionTemplate);
        case 12: return Text(ev, rank, d.m_strRightTemplate);
        case 13: return Text(ev, rank, d.m_strWrongTemplate);
        case kColumns:
            return Items(ev, rank, count, [&](std::size_t i, Ev item) {
                return Column(static_cast<std::int64_t>(i), item, d);
            });
        case kTasks:
            return Items(ev, rank, count, [&](std::size_t i, Ev item) {
                d.m_aTasks.emplace_back();
                return Task(static_cast<std::int64_t>(i), item, d.m_aTasks.back());
            });
        default:
            return Items(ev, rank, count, [&](std::size_t i, Ev item) {
                d.m_aQuestionnaires.emplace_back();
                return Questionnaire(static_cast<std::int64_t>(i), item,
                                     d.m_aQuestionnaires.back());
            });
        }
    }

    bool Column(std::int64_t i, Ev ev, cTrainingData& d)
    {
        if (ev != Ev::ObjectStart)
            return Refuse(ev, Rank(kColumns, i), "Objekt erwartet");
        std::string title;
        std::uint32_t width = 0;
        std::uint32_t kind = 0;
        const bool read = Members(kColumnKeys, [&](int key, Ev value) {
            const cRank rank = Rank(kColumns, i, key);
            if (key == 0)
                return Text(value, rank, title);
            return Int(value, rank, 0, kMaxUnsigned32, key == 1 ? width : kind);
        });
        d.m_aColumnTitle.push_back(std::move(title));
        d.m_aColumnWidth.push_back(width);
        d.m_aColumnKind.push_back(kind);
        return read;
    }

    bool Task(std::int64_t i, Ev ev, cTask& t)
    {
        if (ev != Ev::ObjectStart)
            return Refuse(ev, Rank(kTasks, i), "Objekt erwartet");
        std::array<std::uint32_t, kTaskSlots> stats{};
        bool hasStats = false;
        std::size_t statCount = 0;
        const bool read = Members(kTaskKeys, [&](int key, Ev value) {
            const cRank rank = Rank(kTasks, i, key);
            std::size_t count = 0;
            switch (key) {
            case 0: return Text(value, rank, t.m_strTaskNo);
            case 1: return Text(value, rank, t.m_strCategory);
            case 2: return Int(value, rank, 0, kMaxByte, t.m_nType);
            case 3: return Text(value, rank, t.m_strQuestion);
            case 4: return Text(value, rank, t.m_strSolution);
            case 5: return Bool(value, rank, t.m_bSelfAssess);
            case 6: return Int(value, rank, 0, kMaxPoints, t.m_nPoints);
            case kStats:
                hasStats = value == Ev::ArrayStart;
                return Items(value, rank, statCount, [&](std::size_t k, Ev item) {
                    std::int64_t n = 0;
                    if (!WholeIn(item, 0, kMaxUnsigned32, n))
                        return Refuse(item, Rank(kTasks, i, kStats, static_cast<std::int64_t>(k)),
                                      RangeText(0, kMaxUnsigned32));
                    if (k < stats.size())
                        stats[k] = static_cast<std::uint32_t>(n);
                    return true;
                });
            case 8: return Bool(value, rank, t.m_bChoiceFlag);
            case 9: return Int(value, rank, 0, kMaxByte, t.m_nChoiceValue);
            case kChoices:
                if (!Items(value, rank, count, [&](std::size_t k, Ev item) {
                        return Choice(i, static_cast<std::int64_t>(k), item, t);
                    }))
                    return false;
                if (!SlotCount(rank, count, t.m_nChoiceCount))
                    t.m_nChoiceCount = 0;
                return true;
            case kPatterns:
                if (!Items(value, rank, count, [&](std::size_t k, Ev item) {
                        return SlotText(item,
                                        Rank(kTasks, i, kPatterns, static_cast<std::int64_t>(k)),
                                        t.m_strPattern, k);
                    }))
                    return false;
                if (!SlotCount(rank, count, t.m_nPatternCount))
                    t.m_nPatternCount = 0;
                return true;
            case 12: return Text(value, rank, t.m_strSound);
            case 13: return Text(value, rank, t.m_strPicture);
            case 14: return Int(value, rank, 0, kMaxByte, t.m_nPictureSize);
            default: return Int(value, rank, 0, kMaxByte, t.m_nPicturePlace);
            }
        });
        if (!read)
            return false;
        // The stats follow the points, wherever these stand.
        if (hasStats) {
            const std::size_t expected = t.m_nPoints + 1u;
            if (statCount != expected)
                Note(Rank(kTasks, i, kStats),
                     std::to_string(expected) + " Werte erwartet (points + 1), " +
                         std::to_string(statCount) + " gefunden");
            else
                std::copy_n(stats.begin(), expected, t.m_nStats.begin());
        }
        return true;
    }

    // Takes the number of items of a slot list; false (noted) beyond the ten slots.
    bool SlotCount(const cRank& rank, std::size_t count, std::uint8_t& out)
    {
        if (count > static_cast<std::size_t>(kTaskSlots)) {
            Note(rank, "höchstens " + std::to_string(kTaskSlots) + " Einträge erlaubt, " +
                           std::to_string(count) + " gefunden");
            return false;
        }
        out = static_cast<std::uint8_t>(count);
        return true;
    }

    bool Choice(std::int64_t i, std::int64_t k, Ev ev, cTask& t)
    {
        if (ev != Ev::ObjectStart)
            return Refuse(ev, Rank(kTasks, i, kChoices, k), "Objekt erwartet");
        const auto slot = static_cast<std::size_t>(k);
        return Members(kChoiceKeys, [&](int key, Ev value) {
            const cRank rank = Rank(kTasks, i, kChoices, k, key);
            if (key == 0)
                return SlotText(value, rank, t.m_strChoice, slot);
            if (key == 2)
                return SlotText(value, rank, t.m_strChoiceExtra, slot);
            bool right = false;
            if (!Bool(value, rank, right))
                return false;
            if (slot < t.m_bChoiceRight.size())
                t.m_bChoiceRight[slot] = right;
            return true;
        });
    }

    bool Questionnaire(std::int64_t i, Ev ev, cQuestionnaire& q)
    {
        if (ev != Ev::ObjectStart)
            return Refuse(ev, Rank(kQuestionnaires, i), "Objekt erwartet");
        return Members(kQuestionnaireKeys, [&](int key, Ev value) {
            const cRank rank = Rank(kQuestionnaires, i, key);
            std::size_t count = 0;
            switch (key) {
            case 0: return Text(value, rank, q.m_strTitle);
            case 1: return Int(value, rank, kMinSigned32, kMaxSigned32, q.m_nExamSeconds);
            case 2: return Int(value, rank, 0, kMaxUnsigned32, q.m_nPassPoints);
            case 3: return Int(value, rank, 0, kMaxUnsigned32, q.m_nRetakePoints);
            case 4: return Int(value, rank, kMinSigned32, kMaxSigned32, q.m_nIcon);
            default:
                // Checked against the number of tasks at the end.
                return Items(value, rank, count, [&](std::size_t k, Ev item) {
                    std::int64_t n = 0;
                    q.m_aTaskIndex.push_back(WholeIn(item, 0, kMaxUnsigned32, n)
                                                 ? static_cast<std::uint32_t>(n)
                                                 : kNoTaskIndex);
                    if (item == Ev::Unsigned || item == Ev::Integer)
                        return true;
                    return Refuse(item,
                                  Rank(kQuestionnaires, i, kTaskIndices,
                                       static_cast<std::int64_t>(k)),
                                  "Aufgabenindex (ganze Zahl) erwartet");
                });
            }
        });
    }

    void CheckTaskIndices(const cTrainingData& d)
    {
        if (m_bRefused && m_errorRank[0] < kQuestionnaires)
            return;
        const std::size_t taskCount = d.m_aTasks.size();
        for (std::size_t i = 0; i < d.m_aQuestionnaires.size(); ++i) {
            const auto& indices = d.m_aQuestionnaires[i].m_aTaskIndex;
            const auto bad = std::find_if(indices.begin(), indices.end(),
                                          [&](std::uint32_t n) { return n >= taskCount; });
            if (bad == indices.end())
                continue;
            Note(Rank(kQuestionnaires, static_cast<std::int64_t>(i), kTaskIndices,
                      bad - indices.begin()),
                 taskCount == 0 ? std::string("verweist auf keine Aufgabe (tasks ist leer)")
                                : "Aufgabenindex von 0 bis " + std::to_string(taskCount - 1) +
                                      " erwartet");
            return; // a later questionnaire ranks behind this one
        }
    }

    cTrainingJsonReader m_reader;
    bool m_bRefused = false;
    bool m_bUnmappable = false; // the noted refusal is a character without a Windows-1252 byte
    cRank m_errorRank{};
    std::string m_error;
    std::string m_scratch;
};

// Bytes from the reading position to the end, or 0 where the stream cannot tell (a pipe).
std::size_t BytesLeft(std::streambuf& buf)
{
    const auto here = buf.pubseekoff(0, std::ios::cur, std::ios::in);
    if (here == std::streampos(-1))
        return 0;
    const auto end = buf.pubseekoff(0, std::ios::end, std::ios::in);
    buf.pubseekpos(here, std::ios::in);
    return end == std::streampos(-1) || end < here ? 0 : static_cast<std::size_t>(end - here);
}

// A task as written takes several hundred bytes of JSON, so a quarter of a kilobyte each
// is a generous guess from the file's size. Reserving once spares the moves of a growing
// array; capacity not filled is never touched and costs no memory. A guess too small
// only means the array grows as usual.
void ReserveTasks(cTrainingData& data, std::size_t jsonBytes)
{
    const std::size_t guess = jsonBytes / 256;
    if (guess < 4096)
        return;
    try {
        data.m_aTasks.reserve(guess);
    } catch (const std::bad_alloc&) {
    }
}

} // namespace

bool ReadTrainingJson(std::istream& in, cTrainingData& data, cJsonRefusal& refusal)
{
    refusal = cJsonRefusal();
    cTrainingData built;
    ReserveTasks(built, BytesLeft(*in.rdbuf()));
    cImporter importer(in.rdbuf());
    if (!importer.Run(built, refusal))
        return false;
    // The automatic questionnaire goes last, as after reading; the writer leaves it out.
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    all.m_aTaskIndex.resize(built.m_aTasks.size());
    for (std::size_t i = 0; i < built.m_aTasks.size(); ++i)
        all.m_aTaskIndex[i] = static_cast<std::uint32_t>(i);
    built.m_aQuestionnaires.push_back(std::move(all));
    built.m_nTimedCount = static_cast<std::int32_t>(
        std::count_if(built.m_aQuestionnaires.begin(), built.m_aQuestionnaires.end(),
                      [](const cQuestionnaire& q) { return q.m_nExamSeconds >= 0; }));
    data = std::move(built);
    return true;
}

std::string ReplaceUnmappableJson(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    bool inString = false;
    const auto hex4 = [&](std::size_t at, unsigned& value) {
        if (at + 4 > text.size())
            return false;
        value = 0;
        for (std::size_t k = at; k < at + 4; ++k) {
            const char c = text[k];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return true;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (inString && c == '\\' && i + 1 < text.size() && text[i + 1] == 'u') {
            unsigned unit = 0;
            std::size_t length = 6;
            char32_t cp = 0;
            if (hex4(i + 2, unit)) {
                cp = unit;
                unsigned low = 0;
                if (unit >= 0xD800 && unit <= 0xDBFF && text.compare(i + 6, 2, "\\u") == 0 &&
                    hex4(i + 8, low) && low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    length = 12;
                }
                if (UnicodeToCp1252(cp) < 0) {
                    out += '?';
                    i += length;
                    continue;
                }
            }
            out.append(text, i, 2);
            i += 2;
            continue;
        }
        if (inString && c == '\\' && i + 1 < text.size()) {
            out.append(text, i, 2);
            i += 2;
            continue;
        }
        if (c == '"')
            inString = !inString;
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
        const std::string piece = text.substr(i, length);
        std::string mapped;
        out += Utf8ToCp1252(piece, mapped) ? piece : std::string("?");
        i += length;
    }
    return out;
}
