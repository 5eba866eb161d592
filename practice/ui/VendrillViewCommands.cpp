// The training view's commands: one table row per command that the frame routes to the
// view (id, handler, enabled rule, what the other windows on the file learn), and the
// slots behind them.

#include "practice/ui/VendrillView.h"

#include "data/Document.h"
#include "data/ui/VendrillDoc.h"
#include "practice/Query.h"
#include "practice/ui/ListModels.h"
#include "practice/ui/SearchBar.h"

#include <QListView>
#include <QPlainTextEdit>
#include <QTableView>

#include <algorithm>
#include <iterator>

namespace {

bool Shown(const CVendrillView& view)
{
    return view.ViewMode() != ModeNone;
}

bool BelowOverview(const CVendrillView& view)
{
    return view.ViewMode() >= ModeTaskList;
}

bool Never(const CVendrillView&)
{
    return false;
}

} // namespace

// Defined in the class's scope, so the rules may read the view's own state.
const CVendrillView::Command CVendrillView::kCommands[] = {
    {cmd::kResetStatistics, &CVendrillView::OnResetStatistics, Shown, Others::Statistics},
    {cmd::kDetailView, &CVendrillView::OnDetailView, Shown, Others::Nothing},
    {cmd::kMiniatureView, &CVendrillView::OnMiniatureView, Shown, Others::Nothing},
    {cmd::kToggleView, &CVendrillView::OnToggleView, Shown, Others::Nothing},
    {cmd::kEscape, &CVendrillView::OnBack, BelowOverview, Others::Nothing},
    {cmd::kOverview, &CVendrillView::OnBack, BelowOverview, Others::Nothing},
    {cmd::kNewQuestionnaire, &CVendrillView::OnNewQuestionnaire, Shown, Others::Structure},
    {cmd::kNewTask, &CVendrillView::OnNewTask,
     [](const CVendrillView& v) { return bool(v.m_taskEditor) && v.m_query->HasCurrentQuestionnaire(); },
     Others::Structure},
    {cmd::kDeleteTask, &CVendrillView::OnDeleteTask,
     [](const CVendrillView& v) { return v.m_query->CurrentRow() >= 0; }, Others::Structure},
    {cmd::kDeleteQuestionnaire, &CVendrillView::OnDeleteQuestionnaire,
     [](const CVendrillView& v) { return v.m_query->HasCurrentQuestionnaire(); },
     Others::Structure},
    {cmd::kSplitQuestionnaire, &CVendrillView::OnSplitQuestionnaire,
     [](const CVendrillView& v) { return bool(v.m_splitEditor) && v.m_query->HasCurrentQuestionnaire(); },
     Others::Structure},
    {cmd::kExamStart, &CVendrillView::OnExamStart,
     [](const CVendrillView& v) { return v.m_query->CanExamStart(); }, Others::Statistics},
    {cmd::kExamEnd, &CVendrillView::OnExamEnd,
     [](const CVendrillView& v) { return v.m_query->CanExamEnd(); }, Others::Nothing},
    {cmd::kEvaluationEnd, &CVendrillView::OnEvaluationEnd,
     [](const CVendrillView& v) { return v.m_query->CanEvaluationEnd(); }, Others::Nothing},
    // The Del key has a place among the accelerators but no behaviour of its own.
    {cmd::kDelete, nullptr, Never, Others::Nothing},
};

std::span<const CVendrillView::Command> CVendrillView::Commands()
{
    return kCommands;
}

const CVendrillView::Command* CVendrillView::FindCommand(int id)
{
    const auto* row = std::find_if(std::begin(kCommands), std::end(kCommands),
                                   [id](const Command& c) { return c.id == id; });
    return row == std::end(kCommands) ? nullptr : row;
}

bool CVendrillView::HandlesCommand(int id) const
{
    return FindCommand(id) != nullptr;
}

bool CVendrillView::IsCommandEnabled(int id) const
{
    const Command* command = FindCommand(id);
    return m_bReady && command && command->enabled(*this);
}

bool CVendrillView::ExecuteCommand(int id)
{
    const Command* command = FindCommand(id);
    if (!command)
        return false;
    if (!m_bReady)
        return true;
    if (command->run)
        (this->*command->run)();
    switch (command->others) {
    case Others::Structure:
        m_doc.UpdateAllViews(this, true);
        break;
    case Others::Statistics:
        NotifyOtherViews();
        break;
    case Others::Nothing:
        break;
    }
    return true;
}

void CVendrillView::ToQuery(void (cQuery::*operation)())
{
    if (m_bReady)
        (m_query.get()->*operation)();
}

void CVendrillView::OnBack()
{
    if (m_bReady && !m_pSearchBar->HandleEscape())
        m_query->OnBack();
}
void CVendrillView::OnResetStatistics() { ToQuery(&cQuery::OnResetStatistics); }
void CVendrillView::OnExamStart() { ToQuery(&cQuery::OnExamStart); }
void CVendrillView::OnExamEnd() { ToQuery(&cQuery::OnExamEnd); }
void CVendrillView::OnEvaluationEnd() { ToQuery(&cQuery::OnEvaluationEnd); }
void CVendrillView::OnPlaySound() { ToQuery(&cQuery::OnPlaySound); }
void CVendrillView::OnAnswerOk() { ToQuery(&cQuery::OnAnswerOk); }
void CVendrillView::OnSkip() { ToQuery(&cQuery::OnSkip); }
void CVendrillView::OnShowSolution() { ToQuery(&cQuery::OnShowSolution); }
void CVendrillView::OnNewQuestionnaire() { ToQuery(&cQuery::OnNewQuestionnaire); }
void CVendrillView::OnDeleteTask() { ToQuery(&cQuery::OnDeleteTask); }
void CVendrillView::OnDeleteQuestionnaire()
{
    if (!m_bReady)
        return;
    // In the overview the highlighted row is meant.
    const QModelIndexList selected = m_pQuestionnaireList->selectionModel()->selectedIndexes();
    m_query->OnDeleteQuestionnaire(selected.isEmpty() ? -1 : selected.first().row());
}

void CVendrillView::OnTimer()
{
    if (!m_bReady)
        return;
    // The countdown runs on this window's questionnaire, also while another is active.
    OnOwnQuestionnaire([this] { m_query->OnTimer(); });
    // While a message box is open the query holds its notifications back; the bar moves on.
    if (m_query->ExamActive())
        ApplyExamBar();
}

void CVendrillView::OnPauseSound()
{
    if (!m_bReady)
        return;
    m_query->OnPauseSound();
    if (m_pAnswer->isVisible())
        m_pAnswer->setFocus();
}

void CVendrillView::OnShowPicture()
{
    if (!m_bReady)
        return;
    const std::string path = m_query->PicturePath();
    if (path.empty() || !m_pictureShower)
        return;
    m_pictureShower(QString::fromStdString(path), this);
}

void CVendrillView::OnEditTask()
{
    if (!m_bReady || !m_taskEditor)
        return;
    cTask* task = m_query->CurrentTask();
    if (!task)
        return;
    m_query->Document().BeginEdit(); // the editor stores into the task itself
    if (m_taskEditor(*task, this))
        m_query->OnEditTaskAccepted();
    emit CommandStateChanged(); // the undo entry names the edit
}

void CVendrillView::OnNewTask()
{
    if (!m_bReady || !m_taskEditor || !m_query->HasCurrentQuestionnaire())
        return;
    cTask task = m_query->NewTaskProposal();
    if (m_taskEditor(task, this))
        m_query->AddNewTask(task);
    emit CommandStateChanged();
}

void CVendrillView::OnSplitQuestionnaire()
{
    if (!m_bReady || !m_splitEditor)
        return;
    cSplitTexts texts;
    if (!m_query->SplitDialogTexts(texts))
        return;
    if (m_splitEditor(texts, this))
        m_query->ApplySplitDialog(texts);
    emit CommandStateChanged();
}

void CVendrillView::OnDetailView()
{
    m_bDetailView = true;
    ApplyListStyle();
}

void CVendrillView::OnMiniatureView()
{
    m_bDetailView = false;
    ApplyListStyle();
}

void CVendrillView::OnToggleView()
{
    m_bDetailView = !m_bDetailView;
    ApplyListStyle();
}

void CVendrillView::ApplyListStyle()
{
    // Either style sets column 0 back to 100 pixels.
    if (m_pTaskModel->columnCount() > 0)
        m_pTaskList->setColumnWidth(0, 100);
    if (m_bReady)
        LayOut();
    if (QAbstractItemView* list = ActiveTaskView(); list && list->isVisible()) {
        list->setFocus();
        if (list->currentIndex().isValid())
            list->scrollTo(list->currentIndex());
    }
}

QAbstractItemView* CVendrillView::ActiveTaskView() const
{
    if (m_bDetailView)
        return m_pTaskList;
    return m_pTaskIcons;
}

