#include "shell/ui/ChildFrame.h"

#include "data/ui/VendrillDoc.h"
#include "practice/ui/QuestionnaireDlg.h"
#include "practice/ui/TaskEditDlg.h"
#include "practice/ui/VendrillView.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>

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
    // Ctrl+F4 is the main window's "Schließen", which works wherever the focus is; the
    // system menu's own would make the key ambiguous.
    if (QMenu* menu = systemMenu())
        for (QAction* action : menu->actions())
            if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4))) {
                QList<QKeySequence> keys = action->shortcuts();
                keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_F4));
                action->setShortcuts(keys);
            }
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
    // "[*]" shows the modified mark, the usual way (set by the main window's action update).
    QString title = m_doc->Title();
    title.replace(QStringLiteral("[*]"), QStringLiteral("[**]"));
    if (m_nViewNumber > 0)
        title += QStringLiteral(":%1").arg(m_nViewNumber);
    setWindowTitle(title + QStringLiteral("[*]"));
}
