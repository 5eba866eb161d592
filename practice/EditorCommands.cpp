// The editor commands on the open document: new and deleted tasks and questionnaires,
// and the questionnaire dialog. Each is one undo step.

#include "practice/Query.h"

#include "base/Cp1252.h"
#include "data/Document.h"
#include "practice/QueryBatch.h"
#include "base/Message.h"

#include <algorithm>

namespace {

// A file without questionnaires gets the automatic one over every task first, so that
// a new task or questionnaire has somewhere to be listed.
void AddAllTasksQuestionnaireIfNone(cTrainingData& data)
{
    if (!data.m_aQuestionnaires.empty())
        return;
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    for (std::uint32_t i = 0; i < data.m_aTasks.size(); ++i)
        all.m_aTaskIndex.push_back(i);
    data.m_aQuestionnaires.push_back(all);
}

} // namespace

cTask cQuery::NewTaskProposal() const
{
    return ::NewTaskProposal(Data());
}

void cQuery::ShowTaskAgainOrList(int shownTask)
{
    if (m_nMode < ModeQuestion || m_nMode > ModeRating)
        return;
    // The rows were rebuilt; a question screen whose row now holds another task would
    // check the answer against the wrong task, so it goes back to the list then.
    if (shownTask < 0 || TaskOfRow(m_nCurrentRow) != shownTask)
        SetViewMode(ModeTaskList);
}

void cQuery::AddNewTask(const cTask& task)
{
    cBatch batch(*this);
    cTrainingData& data = Data();
    m_doc.BeginEdit();
    AddAllTasksQuestionnaireIfNone(data);
    data.m_aTasks.push_back(task);
    data.m_aQuestionnaires.back().m_aTaskIndex.push_back(
        static_cast<std::uint32_t>(data.m_aTasks.size() - 1));
    m_doc.CommitEdit("Aufgabe " + task.m_strTaskNo + " anlegen");
    Notify(ChangeQuestionnaires);
    if (HasCurrentQuestionnaire()) {
        const int shown = TaskOfRow(m_nCurrentRow);
        LoadQuestionnaire(m_doc.m_nCurQuestionnaire);
        ShowTaskAgainOrList(shown);
        // Loading names the questionnaire in the heading; the overview keeps its own.
        if (m_nMode == ModeOverview)
            LayOut();
    }
}

void cQuery::OnDeleteTask()
{
    if (!CurrentTask())
        return;
    cBatch batch(*this);
    if (Ask(402, std::string()) != ResultYes)
        return;
    cTask* task = TaskPtr(m_nSelectionMark);
    if (!task) {
        (void)Ask(108, std::string());
        return;
    }
    const std::uint32_t deleted = m_rows.Tasks()[m_nSelectionMark];
    m_doc.BeginEdit();
    const std::string label = "Aufgabe " + task->m_strTaskNo + Cp1252FromUtf8(" löschen");
    Data().DeleteTask(task);
    m_doc.CommitEdit(label);

    // Rows refer to tasks by index: every row of the deleted task goes, later tasks
    // move up by one. The current position stays where it was in the list.
    const int removedBefore = m_rows.RemoveTask(deleted, m_nCurrentRow);
    const int count = RowCount();
    m_nCurrentRow = count == 0 ? -1 : std::max(0, m_nCurrentRow - removedBefore);
    if (m_nCurrentRow >= count)
        m_nCurrentRow = count == 0 ? -1 : 0;
    m_nSelectionMark = m_nCurrentRow;
    Notify(ChangeRows | ChangeRow);
    if (m_nMode >= ModeQuestion && m_nMode <= ModeRating) {
        if (count == 0)
            SetViewMode(ModeTaskList);
        else
            SelectTask(m_nCurrentRow);
    }
}

void cQuery::OnNewQuestionnaire()
{
    cBatch batch(*this);
    // The exam runs on the current questionnaire; it must not change under it.
    if (m_bExamActive || m_bEvaluationActive) {
        (void)Ask(m_bExamActive ? 304 : 305, std::string());
        return;
    }
    cTrainingData& data = Data();
    m_doc.BeginEdit();
    AddAllTasksQuestionnaireIfNone(data);
    cQuestionnaire q;
    q.Reset();
    q.m_strTitle = "Neuer Fragebogen";
    q.m_nIcon = 0;
    data.m_aQuestionnaires.insert(data.m_aQuestionnaires.end() - 1, q);
    m_doc.CommitEdit("Neuer Fragebogen");
    Notify(ChangeQuestionnaires);
    // The new questionnaire is shown at once: highlighted in the overview, else its (empty)
    // task list.
    LoadQuestionnaire(static_cast<int>(data.m_aQuestionnaires.size()) - 2);
    if (m_nMode > ModeTaskList)
        SetViewMode(ModeTaskList);
    m_nCurrentRow = RowCount() == 0 ? -1 : 0;
    m_nSelectionMark = m_nCurrentRow;
}

void cQuery::OnDeleteQuestionnaire(int overviewRow)
{
    cBatch batch(*this);
    if (m_bExamActive || m_bEvaluationActive) {
        if (HasCurrentQuestionnaire())
            (void)Ask(m_bExamActive ? 304 : 305, std::string());
        return;
    }
    // In the overview the highlighted row is the one meant, as in the task list.
    if (m_nMode == ModeOverview && overviewRow >= 0 && overviewRow < OverviewCount() &&
        overviewRow != m_doc.m_nCurQuestionnaire)
        LoadQuestionnaire(overviewRow);
    if (!HasCurrentQuestionnaire())
        return;
    cTrainingData& data = Data();
    const int k = m_doc.m_nCurQuestionnaire;
    if (k == static_cast<int>(data.m_aQuestionnaires.size()) - 1) {
        (void)Ask(3, Cp1252FromUtf8("Der Fragebogen \"") + data.m_aQuestionnaires[k].m_strTitle +
                         Cp1252FromUtf8("\" enthält alle Aufgaben der Datei und kann nicht "
                                        "gelöscht werden."));
        return;
    }
    const std::string question =
        Cp1252FromUtf8("Soll der Fragebogen \"") + data.m_aQuestionnaires[k].m_strTitle +
        Cp1252FromUtf8("\" wirklich gelöscht werden? Die Aufgaben bleiben in der Datei "
                       "erhalten.");
    if (Ask(4, question) != ResultYes)
        return;
    m_doc.BeginEdit();
    if (data.m_aQuestionnaires[k].m_nExamSeconds >= 0 && data.m_nTimedCount > 0)
        --data.m_nTimedCount;
    data.m_aQuestionnaires.erase(data.m_aQuestionnaires.begin() + k);
    m_doc.CommitEdit(Cp1252FromUtf8("Fragebogen löschen"));
    Notify(ChangeQuestionnaires | ChangeExamState);
    SetViewMode(ModeOverview);
    m_nCurrentRow = -1;
    m_nSelectionMark = -1;
    LoadQuestionnaire(std::min(k, static_cast<int>(data.m_aQuestionnaires.size()) - 1));
    m_nCurrentRow = RowCount() == 0 ? -1 : 0;
    m_nSelectionMark = m_nCurrentRow;
}

bool cQuery::SplitDialogTexts(cSplitTexts& out) const
{
    if (!HasCurrentQuestionnaire())
        return false;
    out = SplitTexts(Data().m_aQuestionnaires[m_doc.m_nCurQuestionnaire], Data());
    return true;
}

void cQuery::ApplySplitDialog(const cSplitTexts& texts)
{
    if (!HasCurrentQuestionnaire())
        return;
    cBatch batch(*this);
    const int k = m_doc.m_nCurQuestionnaire;
    m_doc.BeginEdit();
    (void)ApplySplitTexts(texts, Data().m_aQuestionnaires[k], Data());
    m_doc.CommitEdit("Fragebogenaufteilung");
    Notify(ChangeQuestionnaires);
    const int shown = TaskOfRow(m_nCurrentRow);
    LoadQuestionnaire(k);
    ShowTaskAgainOrList(shown);
}
