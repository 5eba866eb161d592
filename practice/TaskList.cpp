#include "practice/TaskList.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <cstdint>

namespace {

// Points above the last counter slot have no counter of their own; such a task is
// treated as if its points were the last slot, so no read leaves the array.
int PointsSlot(const cTask& task)
{
    return std::min<int>(task.m_nPoints, kTaskSlots - 1);
}

} // namespace

int StatisticsImage(const cTask& task)
{
    const int p = PointsSlot(task);
    std::uint64_t total = 0;
    for (int k = 0; k <= p; ++k)
        total += task.m_nStats[k];
    if (total == 0)
        return ImageUnanswered;
    const auto wrong = static_cast<int>(std::uint64_t{task.m_nStats[0]} * 10 / total);
    const int right = task.m_nPoints == 1
                          ? 10 - wrong
                          : static_cast<int>(std::uint64_t{task.m_nStats[p]} * 10 / total);
    return (11 - right) * (10 - right) / 2 + wrong + 1;
}

const std::string& FieldText(const cTask& task, std::uint32_t kind)
{
    static const std::string none;
    switch (kind) {
    case ColumnTaskNo: return task.m_strTaskNo;
    case ColumnQuestion: return task.m_strQuestion;
    case ColumnSolution: return task.m_strSolution;
    case ColumnPattern: return task.m_strPattern[1];
    case ColumnCategory: return task.m_strCategory;
    default: return none;
    }
}

std::string TaskCellText(const cTask& task, std::uint32_t kind)
{
    switch (kind) {
    case ColumnPoints: return std::to_string(task.m_nPoints);
    case ColumnStatistics: return task.StatsText();
    default: return FieldText(task, kind);
    }
}

bool HasExamAnswer(const cTask& task)
{
    if (task.m_nType == TaskTypeMultipleChoice) {
        const int count = std::min<int>(task.m_nChoiceCount, kTaskSlots);
        return std::any_of(task.m_bChoiceTicked.begin(), task.m_bChoiceTicked.begin() + count,
                           [](bool ticked) { return ticked; });
    }
    return !task.m_strAnswer.empty();
}

std::string EvaluationText(const cTask& task)
{
    switch (task.ClassifyResult()) {
    case 1: return "Falsch";
    case 2: return "Teils";
    case 3: return "Richtig";
    default: return std::string();
    }
}

int EvaluationImage(const cTask& task)
{
    switch (task.ClassifyResult()) {
    case 1: return ImageAllWrong;
    case 2: return ImagePartlyRight;
    case 3: return ImageAllRight;
    default: return ImageUnanswered;
    }
}

namespace {

// Appends text with umlauts and sharp s spelled out, lower-cased, in one pass.
void AppendFolded(const std::string& text, std::string& out)
{
    for (const char c : text) {
        switch (static_cast<unsigned char>(c)) {
        case 0xC4: case 0xE4: out += "ae"; break;
        case 0xD6: case 0xF6: out += "oe"; break;
        case 0xDC: case 0xFC: out += "ue"; break;
        case 0xDF: out += "ss"; break;
        default: out += static_cast<char>(LowerCp1252(static_cast<unsigned char>(c))); break;
        }
    }
}

} // namespace

std::string FoldForSort(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 4);
    AppendFolded(text, out);
    return out;
}

void AppendSortKey(const std::string& cellText, std::uint32_t kind, bool ascending,
                   std::string& out)
{
    if (kind == ColumnTaskNo) {
        // Numbers sort by value once padded; tasks without a number come last either way.
        static const std::string noNumber = "9999999999";
        const std::string& number = cellText.empty() && ascending ? noNumber : cellText;
        if (!number.empty() && number.size() < 11)
            out.append(11 - number.size(), '0');
        AppendFolded(number, out);
        return;
    }
    AppendFolded(cellText, out);
}

std::string SortKey(const std::string& cellText, std::uint32_t kind, bool ascending)
{
    std::string key;
    key.reserve(std::max<std::size_t>(cellText.size(), 11) + 4);
    AppendSortKey(cellText, kind, ascending, key);
    return key;
}

std::string PointsEntryText(int points)
{
    return std::to_string(points) + (points == 1 ? " Punkt" : " Punkte");
}
