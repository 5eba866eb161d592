#include "shell/ui/ChildFrame.h"

#include "data/ui/VendrillDoc.h"
#include "practice/ui/QuestionnaireDlg.h"
#include "practice/ui/TaskEditDlg.h"
#include "practice/ui/VendrillView.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(std::shared_ptr<CVendrillDoc> doc, const cSettings& settings,
                         QWidget* parent)
    : QMdiSubWindow(parent), m_doc(std::move(doc))
{
    setObjectName(QStringLiteral("childFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new CVendrillView(*m_doc, settings, this);
    m_view->SetTaskEditor(&CTaskEditDlg::Edit);
    m_view->SetSplitEditor(&CSplitDlg::Edit);
    setWidget(m_view);
    connect(m_doc.get(), &CVendrillDoc::TitleChanged, this, &CChildFrame::UpdateTitle);
    UpdateTitle();
}

CChildFrame::~CChildFrame()
{
    // The view refers to the document: it goes first.
    delete m_view;
    m_view = nullptr;
}

void CChildFrame::SetCloseCheck(std::function<bool(CChildFrame&)> check)
{
    m_closeCheck = std::move(check);
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    // Another window on the file keeps the document open; the last one closes it.
    if (!m_closeCheck) {
        if (m_doc.use_count() == 1)
            (void)m_doc->Close();
    }
    else if (!m_closeCheck(*this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::SetViewNumber(int number)
{
    m_nViewNumber = number;
    UpdateTitle();
}

void CChildFrame::UpdateTitle()
{
    setWindowTitle(m_nViewNumber > 0 ? m_doc->Title() + QStringLiteral(":%1").arg(m_nViewNumber)
                                     : m_doc->Title());
}
