#include "practice/TaskSearch.h"

#include "base/Cp1252.h"

namespace {

// Between two fields, so that a match never spans them.
constexpr char kFieldBreak = '\x01';

void AppendFolded(std::string& out, std::string_view text, bool bare)
{
    for (const char c : text) {
        switch (LowerCp1252(static_cast<unsigned char>(c))) {
        case 0xE4: out += bare ? "a" : "ae"; break; // ä
        case 0xF6: out += bare ? "o" : "oe"; break; // ö
        case 0xFC: out += bare ? "u" : "ue"; break; // ü
        case 0xDF: out += "ss"; break;              // ß
        case kFieldBreak: break;       // a searched text never spans two fields
        default: out += static_cast<char>(LowerCp1252(static_cast<unsigned char>(c)));
        }
    }
}

void IndexTexts(const cTrainingData& data, bool bare, std::string& out,
                std::vector<std::size_t>& start)
{
    out.clear();
    start.clear();
    start.reserve(data.m_aTasks.size() + 1);
    for (const cTask& task : data.m_aTasks) {
        start.push_back(out.size());
        for (const std::string* field : {&task.m_strTaskNo, &task.m_strQuestion,
                                         &task.m_strSolution, &task.m_strCategory}) {
            AppendFolded(out, *field, bare);
            out += kFieldBreak;
        }
        for (int i = 0; i < task.m_nPatternCount && i < kTaskSlots; ++i) {
            AppendFolded(out, task.m_strPattern[i], bare);
            out += kFieldBreak;
        }
    }
    start.push_back(out.size());
}

bool Contains(const std::string& texts, const std::vector<std::size_t>& start,
              std::uint32_t task, std::string_view text)
{
    if (task + 1 >= start.size())
        return false;
    return std::string_view(texts.data() + start[task], start[task + 1] - start[task])
               .find(text) != std::string_view::npos;
}

} // namespace

bool cSearchKey::Narrows(const cSearchKey& shorter) const
{
    // A key with umlauts finds fewer spellings than one without.
    return text.find(shorter.text) != std::string::npos && (shorter.bareVowels || !bareVowels);
}

cSearchKey FoldForSearch(std::string_view text)
{
    cSearchKey key;
    key.text.reserve(text.size());
    AppendFolded(key.text, text, false);
    key.bareVowels = text.find_first_of("\xC4\xD6\xDC\xE4\xF6\xFC\xDF") == std::string_view::npos;
    return key;
}

void cTaskSearch::Index(const cTrainingData& data)
{
    IndexTexts(data, false, m_strFolded, m_aStart);
    IndexTexts(data, true, m_strBare, m_aBareStart);
}

bool cTaskSearch::Matches(std::uint32_t task, const cSearchKey& key) const
{
    // Without umlauts the key is its own bare form, compared with the tasks' bare form.
    return Contains(m_strFolded, m_aStart, task, key.text) ||
           (key.bareVowels && Contains(m_strBare, m_aBareStart, task, key.text));
}

std::vector<std::uint32_t> cTaskSearch::Filter(const std::vector<std::uint32_t>& rows,
                                               std::string_view text) const
{
    const cSearchKey key = FoldForSearch(text);
    if (key.empty())
        return rows;
    std::vector<std::uint32_t> found;
    for (const std::uint32_t task : rows)
        if (Matches(task, key))
            found.push_back(task);
    return found;
}
