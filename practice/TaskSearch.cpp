#include "practice/TaskSearch.h"

#include "base/Cp1252.h"

namespace {

// Between two fields, so that a match never spans them.
constexpr char kFieldBreak = '\x01';

void AppendFolded(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (LowerCp1252(static_cast<unsigned char>(c))) {
        case 0xE4: out += "ae"; break; // ä
        case 0xF6: out += "oe"; break; // ö
        case 0xFC: out += "ue"; break; // ü
        case 0xDF: out += "ss"; break; // ß
        case kFieldBreak: break;       // a searched text never spans two fields
        default: out += static_cast<char>(LowerCp1252(static_cast<unsigned char>(c)));
        }
    }
}

} // namespace

std::string FoldForSearch(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendFolded(out, text);
    return out;
}

void cTaskSearch::Index(const cTrainingData& data)
{
    m_strFolded.clear();
    m_aStart.clear();
    m_aStart.reserve(data.m_aTasks.size() + 1);
    for (const cTask& task : data.m_aTasks) {
        m_aStart.push_back(m_strFolded.size());
        for (const std::string* field : {&task.m_strTaskNo, &task.m_strQuestion,
                                         &task.m_strSolution, &task.m_strCategory}) {
            AppendFolded(m_strFolded, *field);
            m_strFolded += kFieldBreak;
        }
        for (int i = 0; i < task.m_nPatternCount && i < kTaskSlots; ++i) {
            AppendFolded(m_strFolded, task.m_strPattern[i]);
            m_strFolded += kFieldBreak;
        }
    }
    m_aStart.push_back(m_strFolded.size());
}

bool cTaskSearch::Matches(std::uint32_t task, std::string_view foldedText) const
{
    if (task + 1 >= m_aStart.size())
        return false;
    const std::string_view texts(m_strFolded.data() + m_aStart[task],
                                 m_aStart[task + 1] - m_aStart[task]);
    return texts.find(foldedText) != std::string_view::npos;
}

std::vector<std::uint32_t> cTaskSearch::Filter(const std::vector<std::uint32_t>& rows,
                                               std::string_view text) const
{
    const std::string folded = FoldForSearch(text);
    if (folded.empty())
        return rows;
    std::vector<std::uint32_t> found;
    for (const std::uint32_t task : rows)
        if (Matches(task, folded))
            found.push_back(task);
    return found;
}
