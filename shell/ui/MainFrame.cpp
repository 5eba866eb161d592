#include "shell/ui/MainFrame.h"

#include "data/Document.h"
#include "data/ui/FileSettingsDlg.h"
#include "data/ui/SaveConflict.h"
#include "data/ui/VendrillDoc.h"
#include "exchange/ui/ExchangeDlg.h"
#include "practice/Query.h"
#include "practice/ui/PrintView.h"
#include "practice/ui/VendrillView.h"
#include "shell/Message.h"
#include "shell/ui/AboutDlg.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/Icons.h"
#include "shell/ui/PrintRequest.h"
#include "ui/ProgramDir.h"
#include "shell/ui/SettingsDlg.h"
#include "ui/Text.h"
#include "update/ui/UpdateMenuCommand.h"
#include "update/ui/WaitDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace {

const char* const kFileFilter = "Dateityp Training (*.vdr);;Alle Dateien (*)";

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
    // Ctrl+F4 is the child window's own key (its system menu); the entry only shows it.
    {cmd::kFileClose, "&Schließen\tStrg+F4", "Schließt die aktive Trainingsdatei\nSchließen", {}},
    {cmd::kFileSave, "S&peichern\tStrg+S", "Speichert die aktive Trainingsdatei\nSpeichern",
     {QKeySequence(Qt::CTRL | Qt::Key_S)}},
    {cmd::kFileSaveAs, "Speichern &unter...",
     "Speichert die aktive Trainingsdatei unter einem neuen Namen\nSpeichern unter", {}},
    {cmd::kImport, "&Importieren...",
     "Liest Aufgaben aus einer CSV-, KVTML- oder Anki-Textdatei\nImportieren", {}},
    {cmd::kExport, "E&xportieren...",
     "Schreibt die Aufgaben als CSV-, KVTML- oder Anki-Textdatei\nExportieren", {}},
    {cmd::kPrint, "&Drucken...\tStrg+P", "Druckt die Aufgaben des geöffneten Fragebogens\nDrucken",
     {QKeySequence(Qt::CTRL | Qt::Key_P)}},
    {cmd::kPrintPreview, "Sei&tenansicht", "Zeigt die Druckseiten vor dem Drucken an\nSeitenansicht",
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
      cmd::kPrintSetup, kSeparator, cmd::kRecentFile, kSeparator, cmd::kExit, cmd::kUpdate}},
    {"&Bearbeiten",
     {cmd::kEditUndo, cmd::kEditRedo, kSeparator, cmd::kEditCut, cmd::kEditCopy,
      cmd::kEditPaste, cmd::kEditSelectAll, kSeparator, cmd::kEditFind}},
    {"&Prüfungssimulation", {cmd::kExamStart, cmd::kExamEnd, cmd::kEvaluationEnd}},
    {"&Ansicht",
     {cmd::kToolBar, cmd::kStatusBar, kSeparator, cmd::kOverview, kSeparator, cmd::kDetailView,
      cmd::kMiniatureView}},
    {"E&xtra", {cmd::kSettings, cmd::kFileSettings, kSeparator, cmd::kResetStatistics}},
    {"&Fenster", {cmd::kNewWindow, cmd::kCascade, cmd::kTile, cmd::kArrangeIcons}},
    {"&Editor",
     {cmd::kNewQuestionnaire, cmd::kDeleteQuestionnaire, kSeparator, cmd::kNewTask,
      cmd::kDeleteTask, kSeparator, cmd::kSplitQuestionnaire}},
    {"&?", {cmd::kAbout}},
};

const int kToolBarItems[] = {
    cmd::kFileNew,  cmd::kFileOpen,     cmd::kFileSave,     kSeparator, cmd::kPrint,
    cmd::kPrintPreview, kSeparator,     cmd::kSettings,     cmd::kFileSettings, kSeparator,
    cmd::kOverview, kSeparator,         cmd::kAbout,        cmd::kHelp,
};

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString CleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
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

void CMainFrame::SetFileChooser(FileChooser chooser)
{
    m_chooser = std::move(chooser);
}

QString CMainFrame::ChooseFile(FileChoice choice, const QString& suggestion)
{
    if (m_chooser)
        return m_chooser(choice, suggestion);
    if (choice == FileChoice::Open)
        return QFileDialog::getOpenFileName(this, U("Öffnen"), suggestion, U(kFileFilter));
    return QFileDialog::getSaveFileName(this, U("Speichern unter"), suggestion, U(kFileFilter));
}

CChildFrame* CMainFrame::FindChild(const QString& path) const
{
    const QString wanted = CleanAbsolute(path);
    const QList<CChildFrame*> children = Children();
    for (CChildFrame* child : children) {
        const QString own = child->Document().PathName();
        if (!own.isEmpty() && !child->Document().IsClosed() && CleanAbsolute(own) == wanted)
            return child;
    }
    return nullptr;
}

CChildFrame* CMainFrame::AddChild(std::shared_ptr<CVendrillDoc> doc)
{
    auto* child = new CChildFrame(std::move(doc), m_settings);
    child->View()->SetProgramDir(m_strProgramDir);
    child->SetCloseCheck([this](CChildFrame& c) { return CanCloseChild(c); });
    connect(child->View(), &CVendrillView::CommandStateChanged, this, &CMainFrame::UpdateActions);
    connect(child, &QObject::destroyed, this, [this, doc = std::weak_ptr(child->SharedDocument())] {
        // The window is gone once the event loop runs again.
        QTimer::singleShot(0, this, [this, doc] {
            if (const auto shared = doc.lock())
                NumberViews(*shared);
            UpdateActions();
        });
    });
    m_mdi->addSubWindow(child);
    // Every training file fills the main window's client area.
    child->showMaximized();
    m_mdi->setActiveSubWindow(child);
    child->View()->InitialUpdate();
    UpdateActions();
    return child;
}

CChildFrame* CMainFrame::OpenDocumentFile(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    const QString absolute = CleanAbsolute(path);
    if (CChildFrame* open = FindChild(absolute)) {
        open->showMaximized();
        m_mdi->setActiveSubWindow(open);
        return open;
    }
    const QFileInfo info(absolute);
    // A FIFO, folder or device is refused before anything tries to read it.
    if (info.exists() && !IsRegularFile(QFile::encodeName(absolute).toStdString())) {
        (void)ShowMessage(kMsgOpenFailed, "");
        return nullptr;
    }
    if (!info.isFile() || !info.isReadable()) {
        MessagePresenter().Present(
            "Quorvant",
            ToCp1252(U("Die Datei \"%1\" konnte nicht geöffnet werden.\r\n"
                       "Sie ist nicht vorhanden oder nicht lesbar.")
                         .arg(QDir::toNativeSeparators(absolute))),
            StyleIconWarning);
        m_recent.Remove(absolute);
        UpdateRecentActions();
        return nullptr;
    }
    auto doc = std::make_shared<CVendrillDoc>();
    doc->SetPathName(absolute);
    const QPointer<CChildFrame> before = ActiveChild();
    QPointer<CChildFrame> child = AddChild(std::move(doc));
    if (!child)
        return nullptr;
    if (!child->Document().ReadFailed()) {
        m_recent.Add(absolute);
        UpdateRecentActions();
        return child;
    }
    // A file that failed to read is not offered again, and a window without a single
    // task of it is of no use: it closes, writing nothing.
    m_recent.Remove(absolute);
    UpdateRecentActions();
    if (!child->Document().Data().m_aTasks.empty())
        return child;
    child->Document().Discard();
    delete child.data();
    // The window that was in front before fills the main window again.
    if (before) {
        before->showMaximized();
        m_mdi->setActiveSubWindow(before);
    }
    UpdateActions();
    return nullptr;
}

CChildFrame* CMainFrame::NewDocument()
{
    auto doc = std::make_shared<CVendrillDoc>();
    doc->NewDocument();
    return AddChild(std::move(doc));
}

void CMainFrame::OnNewWindow()
{
    // A second view on the open document, not a second read of its file.
    if (CChildFrame* active = ActiveChild()) {
        AddChild(active->SharedDocument());
        NumberViews(active->Document());
    }
}

void CMainFrame::NumberViews(const CVendrillDoc& doc)
{
    QList<CChildFrame*> views;
    const QList<CChildFrame*> children = Children();
    for (CChildFrame* child : children)
        if (&child->Document() == &doc)
            views.append(child);
    for (int i = 0; i < views.size(); ++i)
        views[i]->SetViewNumber(views.size() > 1 ? i + 1 : 0);
}

bool CMainFrame::SaveDocumentAs(CVendrillDoc& doc)
{
    QString suggestion = doc.PathName();
    if (suggestion.isEmpty())
        suggestion = QDir::home().filePath(doc.Title() + QStringLiteral(".vdr"));
    else if (doc.ReadFailed())
        suggestion = QFileInfo(suggestion).dir().filePath(
            QFileInfo(suggestion).completeBaseName() + U(" (Kopie).vdr"));
    QString path = ChooseFile(FileChoice::SaveAs, suggestion);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".vdr");
    path = CleanAbsolute(path);
    // What was read of a damaged file is saved under a new name, never over that file.
    if (doc.ReadFailed() && path == CleanAbsolute(doc.PathName())) {
        MessagePresenter().Present(
            "Quorvant",
            ToCp1252(U("Die Datei \"%1\" konnte nicht vollständig gelesen werden und wird "
                       "nicht überschrieben.\r\nWählen Sie einen anderen Namen.")
                         .arg(QDir::toNativeSeparators(path))),
            StyleIconWarning);
        return false;
    }
    // Two windows on one file would overwrite each other's statistics.
    if (CChildFrame* other = FindChild(path); other && &other->Document() != &doc) {
        MessagePresenter().Present(
            "Quorvant",
            ToCp1252(U("Die Datei \"%1\" ist bereits in einem anderen Fenster geöffnet.\r\n"
                       "Schließen Sie dieses Fenster zuerst oder wählen Sie einen anderen "
                       "Namen.")
                         .arg(QDir::toNativeSeparators(path))),
            StyleIconWarning);
        return false;
    }
    if (!doc.SaveAs(path))
        return false;
    m_recent.Add(path);
    UpdateRecentActions();
    return true;
}

bool CMainFrame::CanCloseChild(CChildFrame& child)
{
    CVendrillDoc& doc = child.Document();
    // Another window still shows the file: it stays open and nothing is written yet.
    if (child.SharedDocument().use_count() > 1)
        return true;
    // Changes to a new document, or to what was read of a damaged file, exist only here.
    if ((doc.PathName().isEmpty() || doc.ReadFailed()) && doc.IsModified()) {
        const int answer = MessagePresenter().Present(
            "Quorvant",
            ToCp1252(U("Sollen die Änderungen an %1 gespeichert werden?").arg(doc.Title())),
            StyleYesNoCancel | StyleIconQuestion);
        if (answer == ResultCancel)
            return false;
        if (answer == ResultYes && !SaveDocumentAs(doc))
            return false;
    }
    if (doc.Close())
        return true;
    if (doc.LastSaveOutcome() == SaveOutcome::Changed ||
        doc.LastSaveOutcome() == SaveOutcome::ReadOnly)
        return HandleFailedSave(child, true);
    // The file could not be written: closing now would lose the changes and statistics.
    const int answer = ShowMessage(
        4, ToCp1252(U("Die Datei %1 konnte nicht gespeichert werden. Soll das "
                                "Fenster trotzdem geschlossen werden? Die Änderungen und "
                                "die Statistik gehen dann verloren.")
                                  .arg(doc.Title())));
    if (answer != ResultYes)
        return false;
    doc.Discard();
    return true;
}

// A save that must not or cannot replace the file: another program changed it since it
// was read, or it is read-only. Nothing is lost without the user's word. True when the
// document's content was dealt with (for closing: the window may close).
bool CMainFrame::HandleFailedSave(CChildFrame& child, bool closing)
{
    CVendrillDoc& doc = child.Document();
    if (doc.LastSaveOutcome() == SaveOutcome::ReadOnly) {
        // Message 105 is on screen already; the way out is another name.
        QString text = U("Die Datei %1 ist schreibgeschützt. Sollen die Änderungen und die "
                         "Statistik unter einem anderen Namen gespeichert werden?")
                           .arg(doc.Title());
        if (closing)
            text += U("\r\nMit „Nein“ wird das Fenster ohne Speichern geschlossen.");
        const int answer = MessagePresenter().Present(
            "Quorvant", ToCp1252(text),
            (closing ? StyleYesNoCancel : StyleYesNo) | StyleIconQuestion);
        if (answer == ResultYes)
            return SaveDocumentAs(doc) && (!closing || doc.Close());
        if (answer == ResultNo && closing)
            doc.Discard();
        return answer == ResultNo && closing;
    }
    switch (AskSaveConflict(this, doc.Title())) {
    case SaveConflictChoice::Overwrite:
        return closing ? doc.Close(true) : doc.Save(true);
    case SaveConflictChoice::SaveAs:
        return SaveDocumentAs(doc) && (!closing || doc.Close());
    case SaveConflictChoice::Discard:
        doc.Discard();
        // Saving was asked for: the window shows the file as the other program left it.
        if (!closing) {
            const QString path = doc.PathName();
            for (CChildFrame* view : Children())
                if (&view->Document() == &doc)
                    view->close();
            OpenDocumentFile(path);
        }
        return true;
    case SaveConflictChoice::Cancel:
        break;
    }
    return false;
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

void CMainFrame::UpdateActions()
{
    CChildFrame* child = ActiveChild();
    CVendrillView* view = child ? child->View() : nullptr;
    ShowMenuSet(child != nullptr);

    for (int id : {cmd::kFileClose, cmd::kFileSave, cmd::kFileSaveAs, cmd::kExport})
        m_actions.value(id)->setEnabled(child != nullptr);
    for (const CVendrillView::Command& command : CVendrillView::Commands())
        m_actions.value(command.id)->setEnabled(view && view->IsCommandEnabled(command.id));
    m_actions.value(cmd::kFileSettings)->setEnabled(child != nullptr);
    m_actions.value(cmd::kNewWindow)->setEnabled(child != nullptr);
    for (int id : {cmd::kPrint, cmd::kPrintPreview})
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

void CMainFrame::OnFileNew()
{
    NewDocument();
}

void CMainFrame::OnFileOpen()
{
    QString dir;
    if (CChildFrame* child = ActiveChild(); child && !child->Document().PathName().isEmpty())
        dir = QFileInfo(child->Document().PathName()).absolutePath();
    else if (!m_recent.Files().isEmpty())
        dir = QFileInfo(m_recent.Files().first()).absolutePath();
    const QString path = ChooseFile(FileChoice::Open, dir);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CMainFrame::OnFileClose()
{
    if (CChildFrame* child = ActiveChild())
        child->close();
}

void CMainFrame::OnFileSave()
{
    CChildFrame* child = ActiveChild();
    if (!child)
        return;
    // A new document has no name yet, and a file that failed to read is never written
    // back: saving asks for a name.
    if (child->Document().PathName().isEmpty() || child->Document().ReadFailed())
        SaveDocumentAs(child->Document());
    else if (!child->Document().Save())
        (void)HandleFailedSave(*child, false);
}

void CMainFrame::OnFileSaveAs()
{
    if (CChildFrame* child = ActiveChild())
        SaveDocumentAs(child->Document());
}

void CMainFrame::OnPrintSetup()
{
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

void CMainFrame::OnImport()
{
    CChildFrame* active = ActiveChild();
    CChildFrame* target = active;
    cExchangeTarget exchange;
    exchange.parent = this;
    exchange.active = active ? &active->Document() : nullptr;
    exchange.newDocument = [this, &target]() -> CVendrillDoc* {
        target = NewDocument();
        return target ? &target->Document() : nullptr;
    };
    exchange.imported = [this, &target](CVendrillDoc&) {
        if (CVendrillView* view = target->View()) {
            view->FileSettingsChanged();
            if (view->HandlesCommand(cmd::kOverview) && view->IsCommandEnabled(cmd::kOverview))
                view->ExecuteCommand(cmd::kOverview);
        }
        UpdateActions();
    };
    ImportIntoWindow(exchange);
}

void CMainFrame::OnPrint()
{
    if (CVendrillView* view = ActiveView())
        (void)RunPrintDialog(Printer(), view->Query(), this);
}

void CMainFrame::OnPrintPreview()
{
    if (CVendrillView* view = ActiveView())
        RunPrintPreview(Printer(), view->Query(), this);
}

void CMainFrame::PrintHandedFiles(const QStringList& files, const QString& printer)
{
    if (isMinimized())
        showMaximized();
    raise();
    activateWindow();
    // After the hand-over has been answered: the print dialog is modal.
    QTimer::singleShot(0, this, [this, files, printer] {
        for (const QString& file : files)
            (void)PrintTrainingFile(file, printer, m_settings, Printer(), this);
    });
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::OnHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_strProgramDir + QStringLiteral("hilfe_vdr.html")));
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
