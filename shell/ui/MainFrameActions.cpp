// The main window's commands: the table of every action (text, status prompt, keys),
// the menus and the tool bar built from it, the status bar, and which actions are enabled
// for the window now active. The training view's commands run through its own table.

#include "shell/ui/MainFrame.h"

#include "data/Document.h"
#include "data/ui/FileSettingsDlg.h"
#include "data/ui/VendrillDoc.h"
#include "exchange/ui/ExchangeDlg.h"
#include "learning/ui/ProgressWindow.h"
#include "practice/Query.h"
#include "practice/ui/ExamSheetDlg.h"
#include "practice/ui/VendrillView.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/Icons.h"
#include "ui/Text.h"
#include "update/ui/UpdateMenuCommand.h"
#include "update/ui/WaitDialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

struct ActionDef {
    int id;
    const char* text;   // menu text; "\t" and the shortcut as the menu shows it
    const char* prompt; // status-bar prompt, "\n", tool tip
    std::initializer_list<QKeySequence> keys;
};

// Every command of the menus, the tool bar and the accelerator table.
const ActionDef kActions[] = {
    {cmd::kFileNew, "&Neu\tStrg+N", "Erstellt eine neue Trainingsdatei\nNeu",
     {QKeySequence(Qt::CTRL | Qt::Key_N)}},
    {cmd::kFileOpen, "Ö&ffnen...\tStrg+O", "Öffnet eine vorhandene Trainingsdatei\nÖffnen",
     {QKeySequence(Qt::CTRL | Qt::Key_O)}},
    // The child window's system menu is never shown while the files fill the main window,
    // so its Ctrl+F4 would never fire: the command carries the key itself.
    {cmd::kFileClose, "&Schließen\tStrg+F4", "Schließt die aktive Trainingsdatei\nSchließen",
     {QKeySequence(Qt::CTRL | Qt::Key_F4)}},
    {cmd::kFileSave, "S&peichern\tStrg+S", "Speichert die aktive Trainingsdatei\nSpeichern",
     {QKeySequence(Qt::CTRL | Qt::Key_S)}},
    {cmd::kFileSaveAs, "Speichern &unter...",
     "Speichert die aktive Trainingsdatei unter einem neuen Namen\nSpeichern unter", {}},
    {cmd::kImport, "&Importieren...",
     "Liest Aufgaben aus einer CSV-, KVTML-, Anki-Text- oder JSON-Datei\nImportieren", {}},
    {cmd::kExport, "E&xportieren...",
     "Schreibt die Aufgaben als CSV-, KVTML-, Anki-Text- oder JSON-Datei\nExportieren", {}},
    {cmd::kPrint, "&Drucken...\tStrg+P", "Druckt die Aufgaben des geöffneten Fragebogens\nDrucken",
     {QKeySequence(Qt::CTRL | Qt::Key_P)}},
    {cmd::kPrintPreview, "Sei&tenansicht", "Zeigt die Druckseiten vor dem Drucken an\nSeitenansicht",
     {}},
    {cmd::kExamSheet, "P&rüfungsbogen drucken...",
     "Druckt den geöffneten Fragebogen als Prüfungsbogen mit Antwortraum und Lösungsbogen\n"
     "Prüfungsbogen drucken",
     {}},
    {cmd::kPrintSetup, "Drucker&einrichtung...",
     "Wählt den Drucker und seine Einstellungen\nDruckereinrichtung", {}},
    {cmd::kRecentFile, "Letzte Datei", "Öffnet eine zuletzt benutzte Datei", {}},
    {cmd::kExit, "&Beenden", "Beendet das Programm und speichert die geöffneten Dateien\nBeenden",
     {}},
    {cmd::kUpdate, "Auf neuere &Version testen", "Update\nUpdate", {}},
    {cmd::kEditUndo, "&Rückgängig\tStrg+Z", "Macht die letzte Änderung rückgängig\nRückgängig",
     {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
    {cmd::kEditRedo, "&Wiederholen\tStrg+Y", "Stellt die zuletzt rückgängig gemachte Änderung wieder her\nWiederholen",
     {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}},
    // Ctrl+A stays the list's view switch; text fields take it for themselves.
    {cmd::kEditSelectAll, "Alles &markieren\tStrg+A", "Markiert den ganzen Text des Eingabefelds\nAlles markieren",
     {}},
    {cmd::kEditFind, "&Suchen...\tStrg+F", "Sucht Aufgaben nach Nummer, Frage, Lösung, Muster oder Kategorie\nSuchen",
     {QKeySequence(Qt::CTRL | Qt::Key_F)}},
    {cmd::kEditCut, "&Ausschneiden\tStrg+X",
     "Schneidet die Markierung aus und legt sie in die Zwischenablage\nAusschneiden",
     {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
    {cmd::kEditCopy, "&Kopieren\tStrg+C", "Kopiert die Markierung in die Zwischenablage\nKopieren",
     {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
    {cmd::kEditPaste, "E&infügen\tStrg+V", "Fügt den Inhalt der Zwischenablage ein\nEinfügen",
     {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
    {cmd::kExamStart, "Prüfungssimulation &starten",
     "Startet die Prüfungssimulation\nStartet die Prüfungssimulation", {}},
    {cmd::kExamEnd, "Prüfungssimulation b&eenden", "Prüfungssimulation beenden", {}},
    {cmd::kEvaluationEnd, "Prüfungs&auswertung beenden", "Prüfungsauswertung beenden", {}},
    {cmd::kToolBar, "&Symbolleiste", "Blendet die Symbolleiste ein oder aus\nSymbolleiste", {}},
    {cmd::kStatusBar, "S&tatusleiste", "Blendet die Statusleiste ein oder aus\nStatusleiste", {}},
    {cmd::kOverview, "Zur &Übersicht", "Zur Übersicht\nZur Übersicht", {}},
    {cmd::kDetailView, "&Detailansicht", "Zeigt die Aufgabenliste mit allen Spalten\nDetailansicht",
     {}},
    {cmd::kMiniatureView, "&Miniaturansicht",
     "Zeigt die Aufgabenliste als kleine Symbole\nMiniaturansicht", {}},
    {cmd::kSettings, "&Einstellungen", "Einstellungen\nEinstellungen", {}},
    {cmd::kFileSettings, "&Dateieinstellungen",
     "Eigenschaften der aktuellen Datei einstellen\nDateieigenschaften ", {}},
    {cmd::kExamDate, "&Prüfungstermin...",
     "Legt den Prüfungstermin der aktiven Trainingsdatei fest oder löscht ihn\nPrüfungstermin", {}},
    {cmd::kResetStatistics, "&Statistik zurücksetzen",
     "Statistik zurücksetzen\nStatistik zurücksetzen", {}},
    {cmd::kNewWindow, "Neues &Fenster",
     "Öffnet ein weiteres Fenster für die aktive Datei\nNeues Fenster", {}},
    {cmd::kCascade, "Über&lappend", "Ordnet die Fenster überlappend an\nÜberlappend", {}},
    {cmd::kTile, "&Nebeneinander", "Ordnet die Fenster nebeneinander an\nNebeneinander", {}},
    {cmd::kArrangeIcons, "&Symbole anordnen",
     "Ordnet die verkleinerten Fenster am unteren Rand an\nSymbole anordnen", {}},
    {cmd::kNewQuestionnaire, "&Neuen Fragebogen", "Legt einen neuen Fragebogen an\nNeuer Fragebogen",
     {}},
    {cmd::kDeleteQuestionnaire, "Fragebogen &löschen",
     "Löscht den geöffneten Fragebogen\nFragebogen löschen", {}},
    {cmd::kNewTask, "Neue &Aufgabe", "Legt eine neue Aufgabe an\nNeue Aufgabe", {}},
    {cmd::kDeleteTask, "Aufgabe Lö&schen", "Löscht die angezeigte Aufgabe\nAufgabe löschen", {}},
    {cmd::kSplitQuestionnaire, "Fragebogenauf&teilung",
     "Legt fest, welche Aufgaben zum Fragebogen gehören\nFragebogenaufteilung", {}},
    {cmd::kProgress, "&Lernfortschritt...\tStrg+L",
     "Zeigt den Lernfortschritt der aktiven Trainingsdatei in Diagrammen\nLernfortschritt",
     {QKeySequence(Qt::CTRL | Qt::Key_L)}},
    {cmd::kAbout, "Inf&o über das Programm...",
     "Zeigt den Namen und die Version des Programms an\nInfo", {}},
    {cmd::kHelp, "Hilfe", "Öffnet die Hilfedatei\nHilfe", {QKeySequence()}},
    // Accelerators without a menu entry.
    {cmd::kToggleView, "Listenansicht wechseln", "Wechselt die Ansicht der Aufgabenliste",
     {QKeySequence(Qt::CTRL | Qt::Key_A)}},
    {cmd::kEscape, "Zurück", "Geht eine Ansicht zurück", {QKeySequence(Qt::Key_Escape)}},
    {cmd::kDelete, "Entfernen", "Entfernen", {QKeySequence(Qt::Key_Delete)}},
    {cmd::kNextPane, "Nächster Bereich", "Wechselt zum nächsten Fenster",
     {QKeySequence(Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::Key_Tab)}},
    {cmd::kPrevPane, "Vorheriger Bereich", "Wechselt zum vorherigen Fenster",
     {QKeySequence(Qt::SHIFT | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)}},
};

constexpr int kSeparator = 0;

struct MenuDef {
    const char* title;
    std::initializer_list<int> items; // command ids; kSeparator; kRecentFile is the list
};

const MenuDef kMenusNoFile[] = {
    {"&Datei",
     {cmd::kFileNew, cmd::kFileOpen, cmd::kImport, kSeparator, cmd::kPrintSetup, kSeparator,
      cmd::kRecentFile, kSeparator, cmd::kUpdate, cmd::kExit}},
    {"&Ansicht", {cmd::kToolBar, cmd::kStatusBar}},
    {"&?", {cmd::kAbout}},
};

const MenuDef kMenusFile[] = {
    {"&Datei",
     {cmd::kFileNew, cmd::kFileOpen, cmd::kFileClose, cmd::kFileSave, cmd::kFileSaveAs,
      kSeparator, cmd::kImport, cmd::kExport, kSeparator, cmd::kPrint, cmd::kPrintPreview,
      cmd::kExamSheet, cmd::kPrintSetup, kSeparator, cmd::kRecentFile, kSeparator, cmd::kExit, cmd::kUpdate}},
    {"&Bearbeiten",
     {cmd::kEditUndo, cmd::kEditRedo, kSeparator, cmd::kEditCut, cmd::kEditCopy,
      cmd::kEditPaste, cmd::kEditSelectAll, kSeparator, cmd::kEditFind}},
    {"&Prüfungssimulation", {cmd::kExamStart, cmd::kExamEnd, cmd::kEvaluationEnd}},
    {"&Ansicht",
     {cmd::kToolBar, cmd::kStatusBar, kSeparator, cmd::kOverview, kSeparator, cmd::kDetailView,
      cmd::kMiniatureView, kSeparator, cmd::kProgress}},
    {"E&xtra",
     {cmd::kSettings, cmd::kFileSettings, cmd::kExamDate, kSeparator, cmd::kResetStatistics}},
    {"&Fenster", {cmd::kNewWindow, cmd::kCascade, cmd::kTile, cmd::kArrangeIcons}},
    {"&Editor",
     {cmd::kNewQuestionnaire, cmd::kDeleteQuestionnaire, kSeparator, cmd::kNewTask,
      cmd::kDeleteTask, kSeparator, cmd::kSplitQuestionnaire}},
    {"&?", {cmd::kAbout}},
};

const int kToolBarItems[] = {
    cmd::kFileNew,  cmd::kFileOpen,     cmd::kFileSave,     kSeparator, cmd::kPrint,
    cmd::kExamSheet, cmd::kPrintPreview, kSeparator,     cmd::kSettings,     cmd::kFileSettings, kSeparator,
    cmd::kOverview, cmd::kProgress,     kSeparator,         cmd::kAbout,        cmd::kHelp,
};

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Whether a keyboard lock light is on, from the kernel's LED class (false when unknown).
bool LockLightOn(const QString& suffix)
{
    const QDir leds(QStringLiteral("/sys/class/leds"));
    const QStringList names = leds.entryList({QStringLiteral("*::") + suffix}, QDir::Dirs);
    for (const QString& name : names) {
        QFile brightness(leds.filePath(name + QStringLiteral("/brightness")));
        if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed() != "0")
            return true;
    }
    return false;
}

} // namespace

void CMainFrame::CreateActions()
{
    for (const ActionDef& def : kActions) {
        auto* action = new QAction(U(def.text), this);
        action->setObjectName(QStringLiteral("action%1").arg(def.id));
        action->setData(def.id);
        const QString prompt = U(def.prompt);
        const qsizetype nl = prompt.indexOf(QLatin1Char('\n'));
        action->setStatusTip(nl < 0 ? prompt : prompt.left(nl));
        action->setToolTip(nl < 0 ? prompt : prompt.mid(nl + 1));
        QList<QKeySequence> keys;
        for (const QKeySequence& key : def.keys)
            if (!key.isEmpty())
                keys.append(key);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const QIcon icon = CommandIcon(def.id);
        if (!icon.isNull())
            action->setIcon(icon);
        m_actions.insert(def.id, action);
    }

    auto on = [this](int id, auto slot) {
        connect(m_actions.value(id), &QAction::triggered, this, slot);
    };
    on(cmd::kFileNew, &CMainFrame::OnFileNew);
    on(cmd::kFileOpen, &CMainFrame::OnFileOpen);
    on(cmd::kFileClose, &CMainFrame::OnFileClose);
    on(cmd::kFileSave, &CMainFrame::OnFileSave);
    on(cmd::kFileSaveAs, &CMainFrame::OnFileSaveAs);
    on(cmd::kPrintSetup, &CMainFrame::OnPrintSetup);
    on(cmd::kImport, &CMainFrame::OnImport);
    on(cmd::kExport, [this] {
        if (CChildFrame* child = ActiveChild())
            ExportFromWindow(this, child->Document());
    });
    on(cmd::kPrint, &CMainFrame::OnPrint);
    on(cmd::kPrintPreview, &CMainFrame::OnPrintPreview);
    on(cmd::kExamSheet, [this] {
        if (CVendrillView* view = ActiveView())
            RunExamSheetCommand(Printer(), view->Query(), this);
    });
    on(cmd::kExit, &QWidget::close);
    on(cmd::kAbout, &CMainFrame::OnAppAbout);
    on(cmd::kHelp, &CMainFrame::OnHelp);
    on(cmd::kSettings, &CMainFrame::OnSettings);
    on(cmd::kUpdate, [this] { OnCheckForUpdate(this, WaitDialog(), m_strProgramDir); });
    on(cmd::kFileSettings, [this] {
        QPointer<CChildFrame> child = ActiveChild();
        if (!child)
            return;
        // "Statistik zurücksetzen" in the dialog is the view's command, run while the
        // dialog stays open.
        QPointer<CVendrillView> view = child->View();
        cDocument& core = child->Document().Core();
        core.BeginEdit();
        (void)CFileSettingsDlg::Run(child->Document(), this, [this, view] {
            if (view)
                view->ExecuteCommand(cmd::kResetStatistics);
            UpdateActions();
        });
        core.CommitEdit("Dateieinstellungen");
        // The extended properties apply even when the dialog was cancelled afterwards.
        if (view)
            view->FileSettingsChanged();
        UpdateActions();
    });
    on(cmd::kProgress, [this] {
        if (CChildFrame* child = ActiveChild())
            CProgressWindow::ShowFor(child->Document(), this);
    });
    on(cmd::kExamDate, &CMainFrame::OnExamDate);
    on(cmd::kNewWindow, &CMainFrame::OnNewWindow);
    on(cmd::kCascade, [this] { m_mdi->cascadeSubWindows(); });
    on(cmd::kTile, [this] { m_mdi->tileSubWindows(); });
    on(cmd::kArrangeIcons, &CMainFrame::ArrangeIcons);
    on(cmd::kNextPane, [this] { m_mdi->activateNextSubWindow(); });
    on(cmd::kPrevPane, [this] { m_mdi->activatePreviousSubWindow(); });
    on(cmd::kEditUndo, [this] { UndoEdit(false); });
    on(cmd::kEditRedo, [this] { UndoEdit(true); });
    on(cmd::kEditSelectAll, [this] { RouteToFocus("selectAll"); });
    on(cmd::kEditFind, [this] {
        if (CVendrillView* view = ActiveView())
            view->OpenSearch();
        UpdateActions();
    });
    on(cmd::kEditCut, [this] { RouteToFocus("cut"); });
    on(cmd::kEditCopy, [this] { RouteToFocus("copy"); });
    on(cmd::kEditPaste, [this] { RouteToFocus("paste"); });
    // The training view's commands run in the active view, as its command table says.
    for (const CVendrillView::Command& command : CVendrillView::Commands())
        on(command.id, [this, id = command.id] { RouteToView(id); });

    QAction* toolBar = m_actions.value(cmd::kToolBar);
    toolBar->setCheckable(true);
    toolBar->setChecked(true);
    connect(toolBar, &QAction::toggled, this, [this](bool on) { m_toolBar->setVisible(on); });
    QAction* status = m_actions.value(cmd::kStatusBar);
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    // The places of the recent-file list in the file menus.
    for (int i = 0; i < cRecentFiles::kMaxFiles; ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("actionRecent%1").arg(i + 1));
        action->setStatusTip(U("Öffnet diese zuletzt benutzte Datei"));
        connect(action, &QAction::triggered, this, [this, i] {
            const QStringList files = m_recent.Files();
            if (i < files.size())
                OpenDocumentFile(files[i]);
        });
        m_recentActions.append(action);
    }

    // Accelerators without a menu entry still need a place in the window.
    for (int id : {cmd::kToggleView, cmd::kEscape, cmd::kDelete, cmd::kNextPane, cmd::kPrevPane})
        addAction(m_actions.value(id));
}

void CMainFrame::CreateMenus()
{
    auto build = [this](const MenuDef* defs, std::size_t count, QList<QMenu*>& menus,
                        const QString& suffix) {
        for (std::size_t m = 0; m < count; ++m) {
            auto* menu = new QMenu(U(defs[m].title), this);
            menu->setObjectName(QStringLiteral("menu%1_%2").arg(suffix).arg(m));
            for (int id : defs[m].items) {
                if (id == kSeparator) {
                    menu->addSeparator();
                } else if (id == cmd::kRecentFile) {
                    menu->addAction(m_actions.value(cmd::kRecentFile));
                    menu->addActions(m_recentActions);
                } else {
                    menu->addAction(m_actions.value(id));
                }
            }
            menus.append(menu);
        }
    };
    build(kMenusNoFile, std::size(kMenusNoFile), m_menusNoFile, QStringLiteral("128"));
    build(kMenusFile, std::size(kMenusFile), m_menusFile, QStringLiteral("129"));
    // The window menu ends with the list of open windows, as in any multi-window
    // program: with every file maximized it is the way to switch between them.
    for (QMenu* menu : std::as_const(m_menusFile))
        if (menu->title() == QStringLiteral("&Fenster"))
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(*menu); });
    m_bFileMenus = true; // forces the first ShowMenuSet to build the bar
    ShowMenuSet(false);
}

void CMainFrame::FillWindowList(QMenu& menu)
{
    const char* const kEntry = "windowListEntry";
    const QList<QAction*> old = menu.actions();
    for (QAction* action : old)
        if (action->property(kEntry).toBool()) {
            menu.removeAction(action);
            delete action;
        }
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    if (windows.isEmpty())
        return;
    menu.addSeparator()->setProperty(kEntry, true);
    QMdiSubWindow* active = ActiveChild();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QString title = window->windowTitle();
        title.replace(QStringLiteral("[*]"), window->isWindowModified() ? QStringLiteral("*") : QString());
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu.addAction(
            i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title)
                  : QStringLiteral("%1 %2").arg(i + 1).arg(title));
        action->setProperty(kEntry, true);
        action->setCheckable(true);
        action->setChecked(window == active);
        action->setStatusTip(QString::fromUtf8("Aktiviert dieses Fenster"));
        connect(action, &QAction::triggered, this, [this, w = QPointer<QMdiSubWindow>(window)] {
            if (!w)
                return;
            w->showMaximized();
            m_mdi->setActiveSubWindow(w);
        });
    }
}

void CMainFrame::ShowMenuSet(bool fileActive)
{
    if (fileActive == m_bFileMenus)
        return;
    m_bFileMenus = fileActive;
    menuBar()->clear();
    for (QMenu* menu : fileActive ? m_menusFile : m_menusNoFile)
        menuBar()->addMenu(menu);
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(QStringLiteral("Symbolleiste"), this);
    m_toolBar->setObjectName(QStringLiteral("toolBar128"));
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setMovable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : kToolBarItems) {
        if (id == kSeparator)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_actions.value(id));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_toolBar, &QToolBar::visibilityChanged, this, [this](bool visible) {
        if (!isMinimized())
            m_actions.value(cmd::kToolBar)->setChecked(visible);
    });
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    // The idle text; status prompts cover it while they are shown.
    m_ready = new QLabel(QStringLiteral("Bereit"), bar);
    m_ready->setObjectName(QStringLiteral("statusReady"));
    bar->addWidget(m_ready, 1);
    m_readiness = new QLabel(bar);
    m_readiness->setObjectName(QStringLiteral("statusReadiness"));
    m_readiness->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_readiness->hide();
    bar->addPermanentWidget(m_readiness);
    const char* const texts[3] = {"UF", "NUM", "RF"};
    for (int i = 0; i < 3; ++i) {
        m_lockLabels[i] = new QLabel(QString::fromLatin1(texts[i]), bar);
        m_lockLabels[i]->setObjectName(QStringLiteral("statusLock%1").arg(59137 + i));
        m_lockLabels[i]->setAlignment(Qt::AlignCenter);
        m_lockLabels[i]->setMinimumWidth(m_lockLabels[i]->fontMetrics().horizontalAdvance(
                                             QStringLiteral("NUM")) +
                                         12);
        m_lockLabels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(m_lockLabels[i]);
    }
    UpdateLockIndicators();
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CMainFrame::UpdateLockIndicators);
    timer->start(1000);
}

void CMainFrame::UpdateLockIndicators()
{
    const QString suffixes[3] = {QStringLiteral("capslock"), QStringLiteral("numlock"),
                                 QStringLiteral("scrolllock")};
    for (int i = 0; i < 3; ++i)
        m_lockLabels[i]->setEnabled(LockLightOn(suffixes[i]));
}

void CMainFrame::UpdateRecentActions()
{
    const QStringList files = m_recent.Files();
    m_actions.value(cmd::kRecentFile)->setVisible(files.isEmpty());
    m_actions.value(cmd::kRecentFile)->setEnabled(false);
    for (int i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        if (i < files.size()) {
            action->setText(cRecentFiles::MenuText(i, files[i]));
            action->setToolTip(files[i]);
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
}

void CMainFrame::UpdateActions()
{
    CChildFrame* child = ActiveChild();
    CVendrillView* view = child ? child->View() : nullptr;
    ShowMenuSet(child != nullptr);
    // Unsaved changes show as "*" in the titles; the main window's title holds the
    // maximized child's.
    const QList<CChildFrame*> children = Children();
    for (CChildFrame* each : children)
        each->setWindowModified(each->Document().IsModified());
    setWindowModified(child && child->isWindowModified());

    for (int id : {cmd::kFileClose, cmd::kFileSave, cmd::kFileSaveAs, cmd::kExport, cmd::kProgress})
        m_actions.value(id)->setEnabled(child != nullptr);
    m_actions.value(cmd::kExamDate)->setEnabled(view != nullptr);
    const QString readiness = view ? view->ReadinessText() : QString();
    m_readiness->setText(readiness);
    m_readiness->setVisible(!readiness.isEmpty());
    for (const CVendrillView::Command& command : CVendrillView::Commands())
        m_actions.value(command.id)->setEnabled(view && view->IsCommandEnabled(command.id));
    m_actions.value(cmd::kFileSettings)->setEnabled(child != nullptr);
    m_actions.value(cmd::kNewWindow)->setEnabled(child != nullptr);
    for (int id : {cmd::kPrint, cmd::kPrintPreview, cmd::kExamSheet})
        m_actions.value(id)->setEnabled(view != nullptr);
    const bool windows = !m_mdi->subWindowList().isEmpty();
    for (int id : {cmd::kCascade, cmd::kTile, cmd::kArrangeIcons, cmd::kNextPane, cmd::kPrevPane})
        m_actions.value(id)->setEnabled(windows);

    // The edit commands work on the text field that has the keyboard focus.
    QWidget* focus = QApplication::focusWidget();
    const bool text = child && focus && child->isAncestorOf(focus) &&
                      focus->metaObject()->indexOfSlot("copy()") >= 0;
    for (int id : {cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste, cmd::kEditSelectAll})
        m_actions.value(id)->setEnabled(text);
    UpdateUndoActions(child, view);
}

void CMainFrame::UpdateUndoActions(CChildFrame* child, CVendrillView* view)
{
    // The exam works on the content as it was when it began; no undo under it.
    const bool exam = view && (view->Query().ExamActive() || view->Query().EvaluationActive());
    const cUndoHistory* history = child && !exam ? &child->Document().Core().History() : nullptr;
    auto set = [this](int id, const char* text, bool enabled, const std::string& label) {
        QString entry = U(text);
        if (enabled && !label.empty()) {
            QString name = ToQString(label);
            name.replace(QLatin1Char('&'), QStringLiteral("&&"));
            entry.insert(entry.indexOf(QLatin1Char('\t')), QStringLiteral(": ") + name);
        }
        m_actions.value(id)->setText(entry);
        m_actions.value(id)->setEnabled(enabled);
    };
    set(cmd::kEditUndo, "&Rückgängig\tStrg+Z", history && history->CanUndo(),
        history ? history->UndoLabel() : std::string());
    set(cmd::kEditRedo, "&Wiederholen\tStrg+Y", history && history->CanRedo(),
        history ? history->RedoLabel() : std::string());
    m_actions.value(cmd::kEditFind)
        ->setEnabled(view && !exam && view->ViewMode() >= ModeOverview);
}

void CMainFrame::UndoEdit(bool redo)
{
    if (CChildFrame* child = ActiveChild()) {
        child->Document().Undo(redo);
        if (CVendrillView* view = child->View())
            view->Activated(); // its questionnaire is the document's current one
    }
    UpdateActions();
}

void CMainFrame::RouteToView(int id)
{
    if (CVendrillView* view = ActiveView(); view && view->HandlesCommand(id))
        view->ExecuteCommand(id);
    UpdateActions();
}

void CMainFrame::RouteToFocus(const char* slot)
{
    if (QWidget* focus = QApplication::focusWidget())
        QMetaObject::invokeMethod(focus, slot);
}
