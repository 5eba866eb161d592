// The query's search of the task list and its refresh after undo and redo.

#include "data/Document.h"
#include "practice/Query.h"
#include "practice/QueryBatch.h"

#include <algorithm>

void cQuery::SetSearchText(const std::string& text)
{
    cBatch batch(*this);
    cSearchKey folded = FoldForSearch(text);
    m_strSearchText = text;
    if (!m_bSearching) {
        m_bSearching = true;
        m_searchKey = std::move(folded);
        RebaseSearch();
    } else {
        // A longer text only narrows the rows, so the ones shown (in their sorted order)
        // are enough; otherwise the rows from before the search are filtered again.
        const bool narrowing = folded.Narrows(m_searchKey);
        m_searchKey = std::move(folded);
        ApplySearch(narrowing);
    }
    Notify(ChangeRows | ChangeRow);
}

void cQuery::RebaseSearch()
{
    m_aSearchBase = m_rows.Tasks();
    m_aSearchBaseReset = m_rows.ResetMarks();
    m_nSearchTaskCount = Data().m_aTasks.size();
    m_search.Index(Data());
    ApplySearch(false);
}

void cQuery::ApplySearch(bool narrowing)
{
    const int currentTask = TaskOfRow(m_nCurrentRow);
    const int markTask = TaskOfRow(m_nSelectionMark);
    if (!narrowing)
        m_rows.Assign(m_aSearchBase, m_aSearchBaseReset);
    if (!m_searchKey.empty())
        m_rows.Keep([this](std::uint32_t task) { return m_search.Matches(task, m_searchKey); });
    const std::vector<std::uint32_t>& rows = m_rows.Tasks();
    auto rowOf = [&rows](int task) {
        const auto it = std::find(rows.begin(), rows.end(), static_cast<std::uint32_t>(task));
        return task < 0 || it == rows.end() ? (rows.empty() ? -1 : 0)
                                            : static_cast<int>(it - rows.begin());
    };
    m_nCurrentRow = rowOf(currentTask);
    m_nSelectionMark = markTask == currentTask ? m_nCurrentRow : rowOf(markTask);
}

void cQuery::EndSearch()
{
    if (!m_bSearching)
        return;
    cBatch batch(*this);
    m_bSearching = false;
    const int currentTask = TaskOfRow(m_nCurrentRow);
    // Deleting a task renumbers the tasks after it; the old rows are only good without.
    if (m_nSearchTaskCount == Data().m_aTasks.size()) {
        m_rows.Assign(std::move(m_aSearchBase), std::move(m_aSearchBaseReset));
    } else if (HasCurrentQuestionnaire()) {
        LoadQuestionnaire(m_doc.m_nCurQuestionnaire);
    }
    m_aSearchBase.clear();
    m_aSearchBaseReset.clear();
    m_searchKey = cSearchKey();
    m_strSearchText.clear();
    const std::vector<std::uint32_t>& rows = m_rows.Tasks();
    const auto it = std::find(rows.begin(), rows.end(), static_cast<std::uint32_t>(currentTask));
    m_nCurrentRow = currentTask >= 0 && it != rows.end() ? static_cast<int>(it - rows.begin())
                    : rows.empty()                     ? -1
                                                       : 0;
    m_nSelectionMark = m_nCurrentRow;
    for (int row = 0; row < RowCount(); ++row)
        UpdateTaskRow(row);
    Notify(ChangeRows | ChangeRow);
}

void cQuery::StepSearch(int direction)
{
    if (!m_bSearching || RowCount() == 0 || m_nMode < ModeTaskList || m_nMode > ModeRating ||
        m_bExamActive || m_bEvaluationActive)
        return;
    const int rows = RowCount();
    // From the list of found tasks the step goes to the one highlighted.
    if (m_nMode == ModeTaskList) {
        StartAt(std::clamp(m_nSelectionMark, 0, rows - 1));
        return;
    }
    StartAt(((m_nCurrentRow + (direction < 0 ? -1 : 1)) % rows + rows) % rows);
}

void cQuery::OnContentRestored()
{
    cBatch batch(*this);
    const int count = static_cast<int>(Data().m_aQuestionnaires.size());
    Notify(ChangeQuestionnaires | ChangeColumns | ChangeExamState | ChangeTexts);
    if (count == 0)
        return;
    int k = m_doc.m_nCurQuestionnaire;
    // The open questionnaire went away or another one took its place: back to the overview.
    const bool same = k >= 0 && k < count && Data().m_aQuestionnaires[k].m_strTitle == m_strLoadedTitle;
    if (!same) {
        k = std::clamp(k, 0, count - 1);
        if (m_nMode >= ModeTaskList)
            SetViewMode(ModeOverview);
    }
    const int shown = TaskOfRow(m_nCurrentRow);
    const bool shownAlive = shown >= 0 && shown < static_cast<int>(Data().m_aTasks.size());
    LoadQuestionnaire(k);
    if (m_nMode >= ModeQuestion && m_nMode <= ModeRating) {
        if (shownAlive && TaskOfRow(m_nCurrentRow) == shown)
            SelectTask(m_nCurrentRow);
        else
            SetViewMode(ModeTaskList);
    }
}
