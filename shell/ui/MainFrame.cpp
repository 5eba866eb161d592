// The main window itself: construction, the active child window, the program-wide
// commands (about, help, settings, exam date) and the window's own events (close, drop).

#include "shell/ui/MainFrame.h"

#include "data/ui/VendrillDoc.h"
#include "learning/History.h"
#include "learning/Learner.h"
#include "learning/ui/ExamDateDlg.h"
#include "learning/ui/ProgressWindow.h"
#include "practice/ui/VendrillView.h"
#include "shell/ui/AboutDlg.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/HelpWindow.h"
#include "shell/ui/Icons.h"
#include "shell/ui/SettingsDlg.h"
#include "ui/ProgramDir.h"
#include "update/ui/WaitDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPrinter>
#include <QTimer>
#include <QUrl>

CMainFrame::CMainFrame(const QString& recentIni, QWidget* parent)
    : QMainWindow(parent), m_recent(recentIni)
{
    setObjectName(QStringLiteral("mainFrame"));
    // The settings are in force before the window exists.
    m_strProgramDir = ProgramDirPath();
    m_strSettingsPath = QFile::decodeName(QByteArray::fromStdString(
        SettingsFilePath(QFile::encodeName(m_strProgramDir).toStdString())));
    m_settings.LoadSettings(QFile::encodeName(m_strSettingsPath).toStdString());

    setWindowTitle(QStringLiteral("Quorvant"));
    setWindowIcon(AppIcon());
    setAcceptDrops(true);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    UpdateRecentActions();
    UpdateActions();

    // Focus moves between controls, so the edit commands' state follows it.
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
}

CMainFrame::~CMainFrame()
{
    // Nothing may call back into this window while it is being taken apart.
    disconnect(qApp, nullptr, this, nullptr);
    // Children that are still open (the window was never closed) write their files now.
    const QList<CChildFrame*> children = Children();
    for (CChildFrame* child : children) {
        disconnect(child, nullptr, this, nullptr);
        if (child->View())
            disconnect(child->View(), nullptr, this, nullptr);
        child->SetCloseCheck({});
        delete child;
    }
}

cWaitDialog& CMainFrame::WaitDialog()
{
    if (!m_waitDialog)
        m_waitDialog = std::make_unique<cWaitDialog>();
    return *m_waitDialog;
}

QPrinter& CMainFrame::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

CChildFrame* CMainFrame::ActiveChild() const
{
    if (auto* child = qobject_cast<CChildFrame*>(m_mdi->activeSubWindow()))
        return child;
    // While the main window itself is inactive, the child shown on top still counts.
    const QList<QMdiSubWindow*> list = m_mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (auto* child = qobject_cast<CChildFrame*>(*it))
            return child;
    return nullptr;
}

QList<CChildFrame*> CMainFrame::Children() const
{
    QList<CChildFrame*> children;
    const QList<QMdiSubWindow*> list = m_mdi->subWindowList();
    for (QMdiSubWindow* sub : list)
        if (auto* child = qobject_cast<CChildFrame*>(sub))
            children.append(child);
    return children;
}

CVendrillView* CMainFrame::ActiveView() const
{
    CChildFrame* child = ActiveChild();
    return child ? child->View() : nullptr;
}

void CMainFrame::OpenHandedFiles(const QStringList& files)
{
    if (isMinimized())
        showMaximized();
    raise();
    activateWindow();
    for (const QString& file : files)
        OpenDocumentFile(file);
}

void CMainFrame::OnSubWindowActivated()
{
    if (CVendrillView* view = ActiveView())
        view->Activated();
    // The title needs nothing here: a maximized child adds " - [its title]" to "Quorvant".
    UpdateActions();
}

void CMainFrame::ArrangeIcons()
{
    // Minimized windows line up along the bottom edge, left to right.
    int x = 0;
    const QList<QMdiSubWindow*> list = m_mdi->subWindowList();
    for (QMdiSubWindow* sub : list) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        sub->move(x, m_mdi->viewport()->height() - size.height());
        x += size.width();
    }
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::OnHelp()
{
    // Inside the program, as not every desktop has a browser to hand the page to.
    if (!m_helpWindow)
        m_helpWindow = new CHelpWindow(m_strProgramDir + QStringLiteral("hilfe_vdr.html"), this);
    m_helpWindow->ShowHelp();
}

void CMainFrame::OnSettings()
{
    CSettingsDlg dialog(this);
    dialog.Load(m_settings);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.Store(m_settings);
    m_settings.SaveSettings(QFile::encodeName(m_strSettingsPath).toStdString());
}

void CMainFrame::OnExamDate()
{
    CVendrillView* view = ActiveView();
    if (!view)
        return;
    cLearner& learner = view->Learner();
    CExamDateDlg dialog(this);
    dialog.Load(learner.ExamDay(), LocalDay(learner.Now()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Every window on the file learns the date, so it holds in each even when the
    // history cannot store it (its failure is reported once by the core).
    CVendrillDoc& doc = view->Document();
    const QList<CChildFrame*> children = Children();
    for (CChildFrame* child : children)
        if (&child->Document() == &doc && child->View())
            (void)child->View()->SetExamDay(dialog.Day());
    emit AnswerNotifier().ExamDateChanged(&doc.Core());
    UpdateActions();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    const QList<CChildFrame*> children = Children();
    for (CChildFrame* child : children) {
        m_mdi->setActiveSubWindow(child);
        if (!child->close()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls)
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    QStringList files;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Open after the drop has finished, so message boxes do not run inside the drag.
    QTimer::singleShot(0, this, [this, files] {
        for (const QString& file : files)
            OpenDocumentFile(file);
    });
}
