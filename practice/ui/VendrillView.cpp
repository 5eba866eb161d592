#include "practice/ui/VendrillView.h"

CVendrillView::CVendrillView(CVendrillDoc& doc, const cSettings& settings, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_settings(settings)
{
    setObjectName(QStringLiteral("ctl101"));
}

CVendrillView::~CVendrillView() = default;

void CVendrillView::InitialUpdate() {}

bool CVendrillView::HandlesCommand(int id) const
{
    switch (id) {
    case kCmdResetStatistics: case kCmdDetailView: case kCmdMiniatureView:
    case kCmdToggleView: case kCmdEscape: case kCmdOverview: case kCmdNewQuestionnaire:
    case kCmdNewTask: case kCmdDeleteTask: case kCmdDeleteQuestionnaire:
    case kCmdSplitQuestionnaire: case kCmdExamStart: case kCmdExamEnd:
    case kCmdEvaluationEnd: case kCmdDelete:
        return true;
    default:
        return false;
    }
}

bool CVendrillView::IsCommandEnabled(int id) const
{
    return HandlesCommand(id) && m_nViewMode != 0;
}

bool CVendrillView::ExecuteCommand(int id)
{
    return HandlesCommand(id);
}

int CVendrillView::ViewMode() const { return m_nViewMode; }

void CVendrillView::OnBack() {}
void CVendrillView::OnResetStatistics() {}
void CVendrillView::OnExamStart() {}
void CVendrillView::OnExamEnd() {}
void CVendrillView::OnEvaluationEnd() {}
void CVendrillView::OnDetailView() {}
void CVendrillView::OnMiniatureView() {}
void CVendrillView::OnToggleView() {}
void CVendrillView::OnPlaySound() {}
void CVendrillView::OnPauseSound() {}
void CVendrillView::OnShowPicture() {}
void CVendrillView::OnEditTask() {}
