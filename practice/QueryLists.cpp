// The query's task list (kept in a cTaskRows, shown as the exam state demands) and the
// questionnaire overview.

#include "practice/Query.h"

#include "data/Document.h"
#include "practice/QueryBatch.h"

int cQuery::RowCount() const
{
    return m_rows.Count();
}

int cQuery::TaskOfRow(int row) const
{
    return m_rows.TaskOf(row);
}

const std::vector<std::uint32_t>& cQuery::RowTasks() const
{
    return m_rows.Tasks();
}

int cQuery::ColumnCount() const
{
    return m_rows.ColumnCount();
}

std::string cQuery::ColumnTitle(int column) const
{
    return m_rows.ColumnTitle(column);
}

int cQuery::ColumnWidth(int column) const
{
    return m_rows.ColumnWidth(column);
}

std::uint32_t cQuery::ColumnKind(int column) const
{
    return m_rows.ColumnKind(column);
}

RowPhase cQuery::Phase() const
{
    return m_bEvaluationActive ? RowPhase::Evaluation
           : m_bExamActive     ? RowPhase::Exam
                               : RowPhase::Practice;
}

std::string cQuery::CellText(int row, int column) const
{
    return m_rows.CellText(row, column, Phase());
}

int cQuery::RowImage(int row) const
{
    return m_rows.Image(row, Phase());
}

void cQuery::UpdateTaskRow(int row)
{
    cTask* task = TaskPtr(row);
    if (!task)
        return;
    if (m_bEvaluationActive && task->m_nType == TaskTypeMultipleChoice)
        task->m_nResult = static_cast<std::int16_t>(task->CheckAnswer(false, false, false) *
                                                    task->m_nPoints / VerdictRight);
    m_rows.ClearReset(row);
    if ((m_nPending & ChangeRows) == 0)
        m_aPendingRows.push_back(row);
    if (m_nBatchDepth == 0)
        Flush();
}

void cQuery::OnColumnClick(int column)
{
    if (column < 0 || column >= ColumnCount())
        return;
    cBatch batch(*this);
    FollowOrder(m_rows.Click(column, Phase()));
}

void cQuery::SortTaskList(int column, bool ascending)
{
    if (column < 0 || column >= ColumnCount())
        return;
    cBatch batch(*this);
    FollowOrder(m_rows.Sort(column, ascending, Phase()));
}

void cQuery::FollowOrder(const std::vector<int>& order)
{
    const int rows = static_cast<int>(order.size());
    int current = -1;
    int mark = -1;
    for (int pos = 0; pos < rows; ++pos) {
        if (order[pos] == m_nCurrentRow)
            current = pos;
        if (order[pos] == m_nSelectionMark)
            mark = pos;
    }
    if (m_nCurrentRow >= 0 && m_nCurrentRow < rows)
        m_nCurrentRow = current;
    if (m_nSelectionMark >= 0 && m_nSelectionMark < rows)
        m_nSelectionMark = mark;
    Notify(ChangeRows | ChangeRow);
}

int cQuery::OverviewCount() const
{
    const int count = static_cast<int>(Data().m_aQuestionnaires.size());
    if (count == 0)
        return 0;
    return Data().m_bShowAll ? count : count - 1;
}

std::string cQuery::OverviewTitle(int row) const
{
    return row >= 0 && row < OverviewCount() ? Data().m_aQuestionnaires[row].m_strTitle
                                              : std::string();
}

std::string cQuery::OverviewNote(int row) const
{
    return m_pObserver && row >= 0 && row < OverviewCount() ? m_pObserver->OverviewNote(row)
                                                            : std::string();
}

int cQuery::OverviewIcon(int row) const
{
    return row >= 0 && row < OverviewCount() ? Data().m_aQuestionnaires[row].m_nIcon : 0;
}
