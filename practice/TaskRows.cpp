#include "practice/TaskRows.h"

#include "practice/TaskList.h"

#include <algorithm>
#include <climits>
#include <string_view>

void cTaskRows::Load(const cQuestionnaire& questionnaire)
{
    m_aTasks.clear();
    m_aResetMarks.clear();
    m_aTasks.reserve(questionnaire.m_aTaskIndex.size());
    const std::size_t taskCount = m_pData->m_aTasks.size();
    for (const std::uint32_t index : questionnaire.m_aTaskIndex)
        if (index < taskCount)
            m_aTasks.push_back(index);
}

void cTaskRows::Assign(std::vector<std::uint32_t> tasks, std::vector<bool> resetMarks)
{
    m_aTasks = std::move(tasks);
    m_aResetMarks = std::move(resetMarks);
}

void cTaskRows::Keep(const std::function<bool(std::uint32_t)>& passes)
{
    const bool marks = !m_aResetMarks.empty();
    if (marks) // a row without a mark of its own shows its counters
        m_aResetMarks.resize(m_aTasks.size(), false);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_aTasks.size(); ++i) {
        if (!passes(m_aTasks[i]))
            continue;
        if (marks)
            m_aResetMarks[kept] = m_aResetMarks[i];
        m_aTasks[kept++] = m_aTasks[i];
    }
    m_aTasks.resize(kept);
    if (marks)
        m_aResetMarks.resize(kept);
}

int cTaskRows::RemoveTask(std::uint32_t deleted, int before)
{
    std::vector<std::uint32_t> tasks;
    std::vector<bool> resetMarks;
    tasks.reserve(m_aTasks.size());
    int removedBefore = 0;
    for (int row = 0; row < Count(); ++row) {
        const std::uint32_t index = m_aTasks[row];
        if (index == deleted) {
            if (row < before)
                ++removedBefore;
            continue;
        }
        tasks.push_back(index > deleted ? index - 1 : index);
        if (!m_aResetMarks.empty())
            resetMarks.push_back(ShowsReset(row));
    }
    m_aTasks.swap(tasks);
    m_aResetMarks.swap(resetMarks);
    return removedBefore;
}

int cTaskRows::TaskOf(int row) const
{
    if (row < 0 || row >= Count())
        return -1;
    return static_cast<int>(m_aTasks[row]);
}

const cTask* cTaskRows::Task(int row) const
{
    if (row < 0 || row >= Count())
        return nullptr;
    const std::uint32_t index = m_aTasks[row];
    return index < m_pData->m_aTasks.size() ? &m_pData->m_aTasks[index] : nullptr;
}

void cTaskRows::MarkAllReset()
{
    if (ColumnKind(0) == ColumnStatistics)
        m_aResetMarks.assign(m_aTasks.size(), true);
}

bool cTaskRows::ShowsReset(int row) const
{
    return row >= 0 && row < static_cast<int>(m_aResetMarks.size()) && m_aResetMarks[row];
}

void cTaskRows::ClearReset(int row)
{
    if (ShowsReset(row))
        m_aResetMarks[row] = false;
}

int cTaskRows::ColumnCount() const
{
    const cTrainingData& data = *m_pData;
    return static_cast<int>(std::min({data.m_aColumnTitle.size(), data.m_aColumnWidth.size(),
                                      data.m_aColumnKind.size(), kMaxListColumns}));
}

std::string cTaskRows::ColumnTitle(int column) const
{
    return column >= 0 && column < ColumnCount() ? m_pData->m_aColumnTitle[column]
                                                 : std::string();
}

int cTaskRows::ColumnWidth(int column) const
{
    if (column < 0 || column >= ColumnCount())
        return 0;
    return static_cast<int>(std::min<std::uint32_t>(m_pData->m_aColumnWidth[column], INT_MAX));
}

std::uint32_t cTaskRows::ColumnKind(int column) const
{
    return column >= 0 && column < ColumnCount() ? m_pData->m_aColumnKind[column] : UINT32_MAX;
}

std::string cTaskRows::CellText(int row, int column, RowPhase phase) const
{
    const cTask* task = Task(row);
    if (!task)
        return std::string();
    const std::uint32_t kind = ColumnKind(column);
    if (kind == ColumnStatistics) {
        if (phase == RowPhase::Evaluation)
            return EvaluationText(*task);
        if (phase == RowPhase::Exam)
            return std::string();
        if (column == 0 && ShowsReset(row))
            return " 0 /  0 /  0";
    }
    return TaskCellText(*task, kind);
}

int cTaskRows::Image(int row, RowPhase phase) const
{
    const cTask* task = Task(row);
    if (!task)
        return ImageUnanswered;
    if (phase == RowPhase::Evaluation)
        return EvaluationImage(*task);
    if (phase == RowPhase::Exam)
        return HasExamAnswer(*task) ? ImageExamAnswered : ImageExamUnanswered;
    return StatisticsImage(*task);
}

std::vector<int> cTaskRows::Click(int column, RowPhase phase)
{
    if (column < 0 || column >= ColumnCount())
        return {};
    if (column == m_nSortColumn) {
        m_bSortAscending = !m_bSortAscending;
    } else {
        m_nSortColumn = column;
        m_bSortAscending = true;
    }
    return Sort(column, m_bSortAscending, phase);
}

std::vector<int> cTaskRows::Sort(int column, bool ascending, RowPhase phase)
{
    if (column < 0 || column >= ColumnCount())
        return {};
    const std::uint32_t kind = ColumnKind(column);
    const int rows = Count();

    // All keys go into one buffer. Keys often begin alike (a question template, padded
    // numbers), so each entry carries the eight bytes that follow the prefix common to all
    // keys as a big-endian number (zero-padded): when those differ they order the keys
    // exactly as a byte-wise comparison would, so most comparisons never touch the buffer.
    struct cEntry {
        std::uint64_t head;
        std::uint32_t offset;
        std::uint32_t length;
        int row;
    };
    std::string buffer;
    buffer.reserve(static_cast<std::size_t>(rows) * 16);
    std::vector<cEntry> entries(static_cast<std::size_t>(rows));
    const bool fieldKind = kind == ColumnTaskNo || kind == ColumnQuestion ||
                           kind == ColumnSolution || kind == ColumnPattern ||
                           kind == ColumnCategory;
    for (int row = 0; row < rows; ++row) {
        const std::size_t offset = buffer.size();
        const cTask* task = Task(row);
        if (fieldKind && task) // the cell is the field itself; no copy of the text
            AppendSortKey(FieldText(*task, kind), kind, ascending, buffer);
        else
            AppendSortKey(CellText(row, column, phase), kind, ascending, buffer);
        entries[row] = {0, static_cast<std::uint32_t>(offset),
                        static_cast<std::uint32_t>(buffer.size() - offset), row};
    }
    auto key = [&buffer](const cEntry& entry) {
        return std::string_view(buffer.data() + entry.offset, entry.length);
    };
    std::size_t common = entries.empty() ? 0 : entries[0].length;
    for (const cEntry& entry : entries) {
        const std::string_view first = key(entries[0]);
        const std::string_view other = key(entry);
        std::size_t k = 0;
        const std::size_t limit = std::min(common, other.size());
        while (k < limit && first[k] == other[k])
            ++k;
        common = k;
    }
    for (cEntry& entry : entries) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data() + entry.offset);
        for (std::size_t k = common; k < common + 8; ++k)
            entry.head = entry.head << 8 | (k < entry.length ? bytes[k] : 0u);
    }
    // Equal keys keep their order (the row position breaks ties).
    std::sort(entries.begin(), entries.end(), [&](const cEntry& a, const cEntry& b) {
        int c = a.head < b.head   ? -1
                : a.head > b.head ? 1
                                  : key(a).substr(common).compare(key(b).substr(common));
        if (c != 0)
            return ascending ? c < 0 : c > 0;
        return a.row < b.row;
    });
    std::vector<int> order(static_cast<std::size_t>(rows));
    std::vector<std::uint32_t> sorted(static_cast<std::size_t>(rows));
    std::vector<bool> resetMarks(m_aResetMarks.empty() ? 0 : rows);
    for (int pos = 0; pos < rows; ++pos) {
        order[pos] = entries[pos].row;
        sorted[pos] = m_aTasks[order[pos]];
        if (!resetMarks.empty())
            resetMarks[pos] = ShowsReset(order[pos]);
    }
    m_aTasks.swap(sorted);
    m_aResetMarks.swap(resetMarks);
    return order;
}
