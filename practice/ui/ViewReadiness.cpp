// The training view's exam readiness: computed once per change (answers, exam date,
// content) and read from there by the overview's rows and the main window's status bar.
// It shows once the learner asked for planning (the plan switched on or an exam date
// set), so that without either the window looks as it always did.

#include "practice/ui/VendrillView.h"

#include "learning/Learner.h"
#include "learning/ReadinessText.h"
#include "practice/ui/ListModels.h"

void CVendrillView::UpdateReadiness()
{
    m_readiness = m_learner->Readiness();
    m_bExamDate = m_learner->ExamDay() >= 0;
}

void CVendrillView::RefreshReadiness()
{
    if (!m_bReady || m_bClosing)
        return;
    UpdateReadiness();
    m_pQuestionnaireModel->NotesChanged();
    emit CommandStateChanged(); // the status bar shows the file's readiness
}

bool CVendrillView::SetExamDay(std::int64_t day)
{
    const bool stored = m_learner->SetExamDay(day);
    RefreshReadiness();
    return stored;
}

bool CVendrillView::ReadinessShown() const
{
    return m_bExamDate || m_learner->PlanActive();
}

QString CVendrillView::ReadinessText() const
{
    if (!ReadinessShown())
        return QString();
    return QString::fromStdString(FileReadinessLine(m_readiness, m_bExamDate));
}

std::string CVendrillView::ReadinessNoteOf(int row) const
{
    if (!ReadinessShown())
        return std::string();
    for (const cExamReadiness& r : m_readiness)
        if (r.questionnaire == row)
            return ReadinessNote(r, m_bExamDate);
    return std::string();
}
