// The main window end to end: menus with every entry and shortcut, the tool bar, the
// status bar, opening files (command line, dialog, recent list, drop), child windows and
// titles, new/save/save as/close, quitting, the settings, help and about commands.

#include "shell/ui/MainFrame.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "common/WindowTest.h"
#include "data/Document.h"
#include "data/ui/SaveConflict.h"
#include "data/ui/VendrillDoc.h"
#include "practice/Query.h"
#include "practice/ui/VendrillView.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"
#include "ui/Text.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <numeric>

#include <sys/stat.h>

using testfiles::Hex;
using testfiles::ReadBytes;
using testfiles::ToHex;
using windowtest::Ctl;
using windowtest::U;

namespace {

// No two entries of a menu (and no two menus of the bar) share their Alt letter, and
// every entry has one (the recent-file placeholder aside).
void ExpectUniqueAltLetters(const QMenuBar* bar) {
    auto letter = [](const QString& text) {
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            if (text[i] == '&' && text[i + 1] != '&')
                return text[i + 1].toLower();
            if (text[i] == '&')
                ++i;
        }
        return QChar();
    };
    QSet<QChar> titles;
    for (QAction* menuAction : bar->actions()) {
        QVERIFY2(!letter(menuAction->text()).isNull(), qPrintable(menuAction->text()));
        QVERIFY2(!titles.contains(letter(menuAction->text())), qPrintable(menuAction->text()));
        titles.insert(letter(menuAction->text()));
        QSet<QChar> used;
        for (QAction* a : menuAction->menu()->actions()) {
            if (a->isSeparator() || !a->isVisible() || a->text() == QStringLiteral("Letzte Datei"))
                continue;
            const QChar c = letter(a->text());
            QVERIFY2(!c.isNull() && !used.contains(c), qPrintable(a->text()));
            used.insert(c);
        }
    }
}

// The visible entries of a menu or of the menu bar, "-" for a separator.
QStringList Entries(const QWidget* menu) {
    QStringList list;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            list << QStringLiteral("-");
        else if (a->isVisible())
            list << a->text();
    }
    return list;
}

QMenu* MenuNamed(const QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

// The first counter of a task as the file holds it (0 when it cannot be read).
unsigned Counter(const QString& file, int task = 0, int counter = 0) {
    cTrainingData back;
    return back.ReadTrainingFile(file.toStdString()) == 0 ? back.m_aTasks[task].m_nStats[counter] : 0u;
}

} // namespace

// Receives the help file request instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

class tst_MainFrame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void menusToolBarAndStatusBar();
    void commandTexts();
    void openFilesGetWindowsAndTitles();
    void openFromDialogDropAndRecentList();
    void missingFileIsReported();
    void secondWindowOnTheSameFile();
    void newDocumentCloseAsks_data();
    void newDocumentCloseAsks();
    void saveOfNewDocumentAsksForName();
    void damagedFileIsNeverWrittenBack_data();
    void damagedFileIsNeverWrittenBack();
    void failedCloseAsksBeforeLosingData();
    void changedFileIsNeverOverwrittenSilently_data();
    void changedFileIsNeverOverwrittenSilently();
    void readOnlyFileOffersSaveAs();
    void quittingClosesEveryFileUnlessCancelled();
    void settingsHelpAndAbout();
    void printAndPreviewWithTheSharedPrinter();
    void viewCommandsFollowTheView();

private:
    QString CopySample(const QString& name) const { return windowtest::CopySample(m_work->path(), name); }
    std::unique_ptr<CMainFrame> MakeFrame();
    /// Where the window and the command-line tool keep the program settings.
    QString SettingsFile() const { return m_config.filePath(QStringLiteral("Quorvant/settings_vdr.dat")); }

    QTemporaryDir m_programDir;
    QTemporaryDir m_config; // the user's configuration folder
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<RecordingPresenter> m_boxes;
    QStringList m_chosen; // answers of the file dialogs, in order
    QList<CMainFrame::FileChoice> m_asked;
};

void tst_MainFrame::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    SetProgramDirPath(m_programDir.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void tst_MainFrame::init() {
    m_work = std::make_unique<QTemporaryDir>();
    m_boxes = std::make_unique<RecordingPresenter>();
    m_chosen.clear();
    m_asked.clear();
    QFile::remove(SettingsFile());
}

void tst_MainFrame::cleanup() {
    m_boxes.reset();
    m_work.reset();
}

std::unique_ptr<CMainFrame> tst_MainFrame::MakeFrame() {
    auto frame = windowtest::ShowFrame(m_work->path());
    frame->SetFileChooser([this](CMainFrame::FileChoice choice, const QString&) {
        m_asked << choice;
        return m_chosen.isEmpty() ? QString() : m_chosen.takeFirst();
    });
    return frame;
}

void tst_MainFrame::menusToolBarAndStatusBar() {
    auto frame = MakeFrame();
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvant"));
    QVERIFY(frame->Children().isEmpty() && !frame->ActiveChild());
    const QMenuBar* bar = frame->menuBar();
    const QStringList shortBar{"&Datei", "&Ansicht", "&?"};
    const QStringList help{U("Inf&o über das Programm...")};
    QCOMPARE(Entries(bar), shortBar);
    QCOMPARE(Entries(MenuNamed(bar, "&Datei")),
             QStringList({"&Neu\tStrg+N", U("Ö&ffnen...\tStrg+O"), "&Importieren...", "-",
                          "Drucker&einrichtung...", "-", "Letzte Datei", "-",
                          "Auf neuere &Version testen", "&Beenden"}));
    QCOMPARE(Entries(MenuNamed(bar, "&Ansicht")), QStringList({"&Symbolleiste", "S&tatusleiste"}));
    QCOMPARE(Entries(MenuNamed(bar, "&?")), help);
    ExpectUniqueAltLetters(bar);
    QVERIFY(!frame->Action(cmd::kRecentFile)->isEnabled());
    QStringList status;
    for (const char* name : {"statusReady", "statusLock59137", "statusLock59138", "statusLock59139"})
        status << frame->statusBar()->findChild<QLabel*>(QLatin1String(name))->text();
    QCOMPARE(status, QStringList({"Bereit", "UF", "NUM", "RF"}));
    QVERIFY(frame->statusBar()->findChild<QLabel*>(QStringLiteral("statusReady"))->isVisible());

    auto* tools = frame->findChild<QToolBar*>(QStringLiteral("toolBar128"));
    QVERIFY(tools);
    QCOMPARE(tools->iconSize(), QSize(32, 32));
    QList<int> order;
    for (QAction* a : tools->actions()) {
        order << (a->isSeparator() ? 0 : a->data().toInt());
        QVERIFY(a->isSeparator() || !a->icon().isNull());
    }
    QCOMPARE(order, QList<int>({57600, 57601, 57603, 0, 57607, 57609, 0, 32782, 32777, 0, 32785, 0,
                                57664, 32773}));
    // Hiding the tool bar through the menu and back.
    frame->Action(cmd::kToolBar)->trigger();
    QVERIFY(!tools->isVisible());
    frame->Action(cmd::kToolBar)->trigger();
    QVERIFY(tools->isVisible());
    frame->Action(cmd::kStatusBar)->trigger();
    QVERIFY(!frame->statusBar()->isVisible());

    // An active file shows the full menu, with every file command usable.
    QVERIFY(frame->OpenDocumentFile(CopySample(QStringLiteral("beispiel.vdr"))));
    QCOMPARE(Entries(bar), QStringList({"&Datei", "&Bearbeiten", U("&Prüfungssimulation"),
                                        "&Ansicht", "E&xtra", "&Fenster", "&Editor", "&?"}));
    ExpectUniqueAltLetters(bar);
    QCOMPARE(Entries(MenuNamed(bar, "&Datei")),
             QStringList({"&Neu\tStrg+N", U("Ö&ffnen...\tStrg+O"), U("&Schließen\tStrg+F4"),
                          "S&peichern\tStrg+S", "Speichern &unter...", "-", "&Importieren...",
                          "E&xportieren...", "-", "&Drucken...\tStrg+P", "Sei&tenansicht",
                          "Drucker&einrichtung...", "-",
                          "&1 " + QDir::toNativeSeparators(m_work->filePath("beispiel.vdr")), "-",
                          "&Beenden", "Auf neuere &Version testen"}));
    QCOMPARE(Entries(MenuNamed(bar, "&Bearbeiten")),
             QStringList({U("&Rückgängig\tStrg+Z"), "&Wiederholen\tStrg+Y", "-",
                          "&Ausschneiden\tStrg+X", "&Kopieren\tStrg+C", U("E&infügen\tStrg+V"),
                          "Alles &markieren\tStrg+A", "-", "&Suchen...\tStrg+F"}));
    QCOMPARE(Entries(MenuNamed(bar, U("&Prüfungssimulation"))),
             QStringList({U("Prüfungssimulation &starten"), U("Prüfungssimulation b&eenden"),
                          U("Prüfungs&auswertung beenden")}));
    QCOMPARE(Entries(MenuNamed(bar, "&Ansicht")),
             QStringList({"&Symbolleiste", "S&tatusleiste", "-", U("Zur &Übersicht"), "-",
                          "&Detailansicht", "&Miniaturansicht"}));
    QCOMPARE(Entries(MenuNamed(bar, "E&xtra")),
             QStringList({"&Einstellungen", "&Dateieinstellungen", "-", U("&Statistik zurücksetzen")}));
    QCOMPARE(Entries(MenuNamed(bar, "&Fenster")),
             QStringList({"Neues &Fenster", U("Über&lappend"), "&Nebeneinander", "&Symbole anordnen"}));
    QCOMPARE(Entries(MenuNamed(bar, "&Editor")),
             QStringList({"&Neuen Fragebogen", U("Fragebogen &löschen"), "-", "Neue &Aufgabe",
                          U("Aufgabe Lö&schen"), "-", "Fragebogenauf&teilung"}));
    QCOMPARE(Entries(MenuNamed(bar, "&?")), help);
    for (int id : {cmd::kPrint, cmd::kPrintPreview, cmd::kFileNew, cmd::kFileOpen, cmd::kFileClose,
                   cmd::kFileSave, cmd::kUpdate, cmd::kFileSaveAs, cmd::kPrintSetup, cmd::kExit,
                   cmd::kSettings, cmd::kNewWindow, cmd::kFileSettings, cmd::kAbout, cmd::kHelp,
                   cmd::kCascade, cmd::kTile})
        QVERIFY2(frame->Action(id)->isEnabled(), qPrintable(QString::number(id)));

    // Closing the last file brings the short menu back.
    frame->Action(cmd::kFileClose)->trigger();
    QTRY_VERIFY(frame->Children().isEmpty());
    QTRY_COMPARE(Entries(bar), shortBar);
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvant"));
    QVERIFY(m_boxes->boxes.empty());
}

void tst_MainFrame::commandTexts() {
    // Shortcuts ("" none, nullptr not checked; Ctrl+F4 is the child window's own, select
    // all the fields' own), and the status bar prompt with the tool tip where given.
    const struct {
        int id;
        const char* keys;
        const char* status;
        const char* tip;
    } rows[] = {
        {57600, "Ctrl+N", "Erstellt eine neue Trainingsdatei", "Neu"},
        {cmd::kFileOpen, "Ctrl+O", nullptr, nullptr},
        {cmd::kFileSave, "Ctrl+S", nullptr, nullptr},
        {cmd::kPrint, "Ctrl+P", nullptr, nullptr},
        {cmd::kEditCopy, "Ctrl+C; Ctrl+Ins", nullptr, nullptr},
        {cmd::kEditPaste, "Ctrl+V; Shift+Ins", nullptr, nullptr},
        {cmd::kEditUndo, "Ctrl+Z; Alt+Backspace", nullptr, nullptr},
        {cmd::kEditCut, "Ctrl+X; Shift+Del", nullptr, nullptr},
        {cmd::kToggleView, "Ctrl+A", nullptr, nullptr},
        {cmd::kDelete, "Del", nullptr, nullptr},
        {cmd::kEscape, "Esc", nullptr, nullptr},
        {cmd::kEditRedo, "Ctrl+Y; Ctrl+Shift+Z", nullptr, nullptr},
        {cmd::kEditFind, "Ctrl+F", nullptr, nullptr},
        {cmd::kEditSelectAll, "", nullptr, nullptr},
        {cmd::kNextPane, "F6; Ctrl+Tab", nullptr, nullptr},
        {cmd::kPrevPane, "Shift+F6; Ctrl+Shift+Backtab", nullptr, nullptr},
        {cmd::kFileClose, "", nullptr, nullptr},
        {cmd::kAbout, "", nullptr, nullptr},
        {32773, nullptr, "Öffnet die Hilfedatei", "Hilfe"},
        {32782, nullptr, "Einstellungen", "Einstellungen"},
        {32786, nullptr, "Update", "Update"},
        {32777, nullptr, "Eigenschaften der aktuellen Datei einstellen", "Dateieigenschaften "},
        {32775, nullptr, "Statistik zurücksetzen", "Statistik zurücksetzen"},
        {32785, nullptr, "Zur Übersicht", "Zur Übersicht"},
        {32793, nullptr, "Startet die Prüfungssimulation", "Startet die Prüfungssimulation"},
        {32794, nullptr, "Prüfungssimulation beenden", "Prüfungssimulation beenden"},
        {32795, nullptr, "Prüfungsauswertung beenden", "Prüfungsauswertung beenden"},
    };
    auto frame = MakeFrame();
    for (const auto& row : rows) {
        QAction* action = frame->Action(row.id);
        QVERIFY2(action, qPrintable(QString::number(row.id)));
        if (row.keys) {
            QStringList texts;
            for (const QKeySequence& k : action->shortcuts())
                texts << k.toString(QKeySequence::PortableText);
            QCOMPARE(texts.join(QStringLiteral("; ")), QString::fromLatin1(row.keys));
            QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);
            // Every accelerator has a place in the window, so it works from anywhere in it.
            QVERIFY(!*row.keys || !action->associatedObjects().isEmpty());
        }
        if (row.status) {
            QCOMPARE(action->statusTip(), U(row.status));
            QCOMPARE(action->toolTip(), U(row.tip));
        }
    }
}

void tst_MainFrame::openFilesGetWindowsAndTitles() {
    auto frame = MakeFrame();
    CChildFrame* first = frame->OpenDocumentFile(CopySample(QStringLiteral("a.vdr")));
    QVERIFY(first && first->isMaximized());
    QCOMPARE(first->windowTitle(), QStringLiteral("a.vdr"));
    QCOMPARE(first->Document().Data().m_aTasks.size(), std::size_t(17));
    QCOMPARE(first->View()->ViewMode(), 2);
    CChildFrame* second = frame->OpenDocumentFile(CopySample(QStringLiteral("b&c.vdr")));
    QVERIFY(second && first != second && second->isMaximized());
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvant - [b&c.vdr]"));

    // The window menu lists the files and checks the active one.
    QMenu* menu = MenuNamed(frame->menuBar(), "&Fenster");
    QVERIFY(menu);
    auto listed = [menu] {
        emit menu->aboutToShow();
        QStringList list = Entries(menu).mid(4);
        for (QAction* a : menu->actions())
            if (a->isChecked())
                list << "checked " + a->text();
        return list;
    };
    QCOMPARE(listed(), QStringList({"-", "&1 a.vdr", "&2 b&&c.vdr", "checked &2 b&&c.vdr"}));
    // Choosing an entry brings that file's window to the front, maximized; shown again,
    // the list is rebuilt, not appended to.
    menu->actions().at(5)->trigger();
    QCOMPARE(frame->ActiveChild(), first);
    QVERIFY(first->isMaximized());
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvant - [a.vdr]"));
    QCOMPARE(listed(), QStringList({"-", "&1 a.vdr", "&2 b&&c.vdr", "checked &1 a.vdr"}));

    // The same file again (even written differently) brings its window back.
    QCOMPARE(frame->OpenDocumentFile(m_work->path() + QStringLiteral("/./x/../b&c.vdr")), second);
    QCOMPARE(frame->Children().size(), 2);
    QCOMPARE(frame->ActiveChild(), second);
    QVERIFY(second->isMaximized());
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvant - [b&c.vdr]"));
    QVERIFY(second->close());
    QTRY_COMPARE(frame->Children().size(), 1);
    QCOMPARE(listed(), QStringList({"-", "&1 a.vdr", "checked &1 a.vdr"}));
    QVERIFY(m_boxes->boxes.empty());
}

void tst_MainFrame::openFromDialogDropAndRecentList() {
    const QString a = CopySample(QStringLiteral("a.vdr"));
    const QString b = CopySample(QStringLiteral("b.vdr"));
    {
        auto frame = MakeFrame();
        m_chosen << QString() << a; // the first time the user cancels
        frame->Action(cmd::kFileOpen)->trigger();
        QVERIFY(frame->Children().isEmpty());
        frame->Action(cmd::kFileOpen)->trigger();
        QCOMPARE(m_asked, QList<CMainFrame::FileChoice>({CMainFrame::FileChoice::Open,
                                                         CMainFrame::FileChoice::Open}));
        QCOMPARE(frame->ActiveChild()->Document().PathName(), a);

        // Only local files may be dropped.
        QMimeData remote;
        remote.setUrls({QUrl(QStringLiteral("https://example.org/x.vdr"))});
        QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &remote, Qt::LeftButton, {});
        QApplication::sendEvent(frame.get(), &refused);
        QVERIFY(!refused.isAccepted());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(b)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(frame.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(frame.get(), &drop);
        QTRY_COMPARE(frame->Children().size(), 2);
        QCOMPARE(frame->ActiveChild()->Document().PathName(), b);
        QVERIFY(frame->ActiveChild()->isMaximized());

        const QStringList file = Entries(MenuNamed(frame->menuBar(), "&Datei"));
        QVERIFY(!file.contains(QStringLiteral("Letzte Datei")));
        QVERIFY(file.contains("&1 " + QDir::toNativeSeparators(b)));
        QVERIFY(file.contains("&2 " + QDir::toNativeSeparators(a)));
        QVERIFY(frame->close());
    }
    // After a restart the list is there; choosing an entry opens the file.
    auto frame = MakeFrame();
    QCOMPARE(frame->RecentFiles().Files(), QStringList({b, a}));
    auto* second = frame->findChild<QAction*>(QStringLiteral("actionRecent2"));
    QVERIFY(second && second->isVisible());
    QCOMPARE(second->text(), "&2 " + QDir::toNativeSeparators(a));
    second->trigger();
    QCOMPARE(frame->Children().size(), 1);
    QCOMPARE(frame->ActiveChild()->Document().PathName(), a);
    QCOMPARE(frame->RecentFiles().Files(), QStringList({a, b}));
}

void tst_MainFrame::missingFileIsReported() {
    auto frame = MakeFrame();
    const QString path = m_work->filePath(QStringLiteral("fehlt.vdr"));
    frame->RecentFiles().Add(path);
    QVERIFY(!frame->OpenDocumentFile(path));
    QCOMPARE(m_boxes->boxes.size(), std::size_t(1));
    QCOMPARE(m_boxes->boxes[0].caption, std::string("Quorvant"));
    QCOMPARE(ToQString(m_boxes->boxes[0].text), U("Die Datei \"%1\" konnte nicht geöffnet werden.\r\n"
                                                  "Sie ist nicht vorhanden oder nicht lesbar.")
                                                    .arg(path));
    QCOMPARE(m_boxes->boxes[0].style, std::uint32_t(0x30));
    QVERIFY(frame->RecentFiles().Files().isEmpty());

    // A folder or a FIFO is not a training file either: 104, before anything reads it.
    const QString fifo = m_work->filePath(QStringLiteral("fifo.vdr"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!frame->OpenDocumentFile(m_work->path()));
    QVERIFY(!frame->OpenDocumentFile(fifo));
    QCOMPARE(m_boxes->boxes.size(), std::size_t(3));
    QCOMPARE(m_boxes->boxes[1].currentId, 104);
    QCOMPARE(m_boxes->boxes[2].currentId, 104);
    QVERIFY(frame->Children().isEmpty());
}

void tst_MainFrame::secondWindowOnTheSameFile() {
    auto frame = MakeFrame();
    const QString path = CopySample(QStringLiteral("zwei.vdr"));
    const std::string before = ReadBytes(path.toStdString());
    CChildFrame* first = frame->OpenDocumentFile(path);
    QVERIFY(first);
    // The statistics cell of row 0 as a window's task list shows it.
    auto cell = [](CChildFrame* child) {
        const QAbstractItemModel* model =
            child->findChild<QTableView*>(QStringLiteral("ctl1002"))->model();
        for (int column = 0; column < model->columnCount(); ++column)
            if (model->headerData(column, Qt::Horizontal).toString() == QStringLiteral("Statistik"))
                return model->index(0, column).data().toString();
        return QString();
    };
    auto answerRow0 = [](CChildFrame* child) {
        cQuery& query = child->View()->Query();
        query.OpenQuestionnaire(0);
        query.StartAt(0);
        query.SetAnswerText("gewiss falsch");
        query.OnAnswerOk();
        query.OnBack();
    };
    first->View()->Query().OpenQuestionnaire(0);
    const QString unanswered = cell(first);
    answerRow0(first); // in memory only so far
    const QString once = cell(first);
    QVERIFY(once != unanswered);

    frame->Action(cmd::kNewWindow)->trigger();
    QCOMPARE(frame->Children().size(), 2);
    CChildFrame* second = frame->ActiveChild();
    QCOMPARE(&second->Document(), &first->Document());
    QCOMPARE(first->windowTitle(), QStringLiteral("zwei.vdr:1"));
    QCOMPARE(second->windowTitle(), QStringLiteral("zwei.vdr:2"));
    second->View()->Query().OpenQuestionnaire(0);
    QCOMPARE(cell(second), once); // not read again
    answerRow0(second);
    QVERIFY(cell(second) != once);
    QTRY_COMPARE(cell(first), cell(second));

    // The first window to close writes nothing; the last one writes both answers.
    QVERIFY(second->close());
    QTRY_COMPARE(frame->Children().size(), 1);
    QTRY_COMPARE(first->windowTitle(), QStringLiteral("zwei.vdr"));
    QCOMPARE(ReadBytes(path.toStdString()), before);
    const int task = first->View()->Query().TaskOfRow(0);
    const auto counted = [task](const cTrainingData& d) {
        const auto& stats = d.m_aTasks[task].m_nStats;
        return std::accumulate(stats.begin(), stats.end(), 0u);
    };
    cTrainingData old;
    QCOMPARE(old.ReadTrainingFile(path.toStdString()), 0);
    QVERIFY(first->close());
    cTrainingData back;
    QCOMPARE(back.ReadTrainingFile(path.toStdString()), 0);
    QCOMPARE(counted(back), counted(old) + 2);
    QVERIFY(m_boxes->boxes.empty());
}

void tst_MainFrame::newDocumentCloseAsks_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("written");
    QTest::newRow("unchanged: no question") << false << 0 << true << false;
    QTest::newRow("cancel keeps it") << true << int(ResultCancel) << false << false;
    QTest::newRow("no drops it") << true << int(ResultNo) << true << false;
    QTest::newRow("yes saves it") << true << int(ResultYes) << true << true;
}

void tst_MainFrame::newDocumentCloseAsks() {
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(bool, written);
    auto frame = MakeFrame();
    frame->Action(cmd::kFileNew)->trigger();
    CChildFrame* child = frame->ActiveChild();
    QVERIFY(child);
    const QString title = child->Document().Title();
    QVERIFY(title.startsWith(U("Übung")));
    QCOMPARE(child->windowTitle(), title);
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvant - [") + title + QStringLiteral("]"));
    child->Document().SetModifiedFlag(modified);
    if (answer != 0)
        m_boxes->answers.push_back(answer);
    const QString target = m_work->filePath(QStringLiteral("neu.vdr"));
    m_chosen << target;

    frame->Action(cmd::kFileClose)->trigger();
    QTRY_COMPARE(frame->Children().isEmpty(), closed);
    QCOMPARE(m_boxes->boxes.size(), std::size_t(modified ? 1 : 0));
    if (modified) {
        QCOMPARE(ToQString(m_boxes->boxes[0].text),
                 U("Sollen die Änderungen an %1 gespeichert werden?").arg(title));
        QCOMPARE(m_boxes->boxes[0].style, std::uint32_t(0x23));
    }
    QCOMPARE(QFileInfo::exists(target), written);
    if (!closed) {
        child->Document().SetModifiedFlag(false);
        QVERIFY(frame->close());
    }
}

void tst_MainFrame::saveOfNewDocumentAsksForName() {
    auto frame = MakeFrame();
    const QString other = CopySample(QStringLiteral("a.vdr"));
    const std::string otherBytes = ReadBytes(other.toStdString());
    frame->OpenDocumentFile(other);
    frame->Action(cmd::kFileNew)->trigger();
    // A file open in another window is refused as the name; then a name without ending.
    m_chosen << other << m_work->filePath(QStringLiteral("ohne_endung"));
    frame->Action(cmd::kFileSave)->trigger();
    QCOMPARE(m_boxes->boxes.size(), std::size_t(1));
    QVERIFY(ToQString(m_boxes->boxes[0].text).contains(U("ist bereits in einem anderen Fenster geöffnet")));
    QVERIFY(frame->ActiveChild()->Document().PathName().isEmpty());
    QCOMPARE(ReadBytes(other.toStdString()), otherBytes);
    frame->Action(cmd::kFileSave)->trigger();
    QCOMPARE(m_asked, QList<CMainFrame::FileChoice>({CMainFrame::FileChoice::SaveAs,
                                                     CMainFrame::FileChoice::SaveAs}));
    const QString saved = m_work->filePath(QStringLiteral("ohne_endung.vdr"));
    QVERIFY(QFileInfo::exists(saved));
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvant - [ohne_endung.vdr]"));
    QCOMPARE(frame->ActiveChild()->windowTitle(), QStringLiteral("ohne_endung.vdr"));
    QCOMPARE(frame->RecentFiles().Files().value(0), saved);

    // Now the document has a name: saving writes without asking.
    frame->ActiveChild()->Document().Data().m_aTasks.push_back(cTask());
    frame->Action(cmd::kFileSave)->trigger();
    QCOMPARE(m_asked.size(), 2);
    cTrainingData back;
    QCOMPARE(back.ReadTrainingFile(saved.toStdString()), 0);
    QCOMPARE(back.m_aTasks.size(), std::size_t(1));
    QCOMPARE(m_boxes->boxes.size(), std::size_t(1));
}

void tst_MainFrame::damagedFileIsNeverWrittenBack_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("keepsWindow"); // some tasks were read before the damage
    QFile sample(QStringLiteral(QUORVANT_SOURCE_DIR "/resources/beispiel.vdr"));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QByteArray full = sample.readAll();
    QTest::newRow("picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("cut off after some tasks") << full.left(full.size() * 2 / 3) << true;
}

void tst_MainFrame::damagedFileIsNeverWrittenBack() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, keepsWindow);
    auto frame = MakeFrame();
    const QString bad = m_work->filePath(QStringLiteral("kaputt.vdr"));
    const QString copy = m_work->filePath(QStringLiteral("gerettet.vdr"));
    testfiles::WriteBytes(bad.toStdString(), bytes.toStdString());

    CChildFrame* good = frame->OpenDocumentFile(CopySample(QStringLiteral("gut.vdr")));
    CChildFrame* child = frame->OpenDocumentFile(bad);
    QCOMPARE(child != nullptr, keepsWindow);
    QCOMPARE(frame->Children().size(), keepsWindow ? 2 : 1);
    // The window in front before fills the main window again.
    QCOMPARE(frame->ActiveChild(), keepsWindow ? child : good);
    QVERIFY(frame->ActiveChild()->isMaximized());
    QCOMPARE(frame->RecentFiles().Files(), QStringList{good->Document().PathName()});
    if (keepsWindow) {
        // "Speichern" asks for a name; the damaged file's own name is refused.
        const std::size_t boxes = m_boxes->boxes.size();
        m_chosen << bad << copy;
        frame->Action(cmd::kFileSave)->trigger();
        QCOMPARE(m_boxes->boxes.size(), boxes + 1);
        QVERIFY(ToQString(m_boxes->boxes.back().text).contains(U("wird nicht überschrieben")));
        frame->Action(cmd::kFileSaveAs)->trigger();
        QCOMPARE(m_asked, (QList<CMainFrame::FileChoice>{CMainFrame::FileChoice::SaveAs,
                                                         CMainFrame::FileChoice::SaveAs}));
        QCOMPARE(child->Document().PathName(), copy);
        QVERIFY(QFileInfo(copy).size() > 0);
        QVERIFY(child->close());
    }
    QCOMPARE(QByteArray::fromStdString(ReadBytes(bad.toStdString())), bytes);
}

void tst_MainFrame::failedCloseAsksBeforeLosingData() {
    auto frame = MakeFrame();
    const QString path = CopySample(QStringLiteral("ordner/datei.vdr"));
    QVERIFY(frame->OpenDocumentFile(path));
    QVERIFY(QDir(m_work->filePath(QStringLiteral("ordner"))).removeRecursively());

    // 105, then "close anyway?" answered No: the window stays.
    m_boxes->answers = {ResultOk, ResultNo};
    frame->Action(cmd::kFileClose)->trigger();
    QCOMPARE(frame->Children().size(), 1);
    QCOMPARE(m_boxes->boxes.size(), std::size_t(2));
    QCOMPARE(m_boxes->boxes[0].currentId, 105);
    QCOMPARE(m_boxes->boxes[1].currentId, 4);
    QCOMPARE(m_boxes->boxes[1].style, std::uint32_t(0x24));
    QVERIFY(ToQString(m_boxes->boxes[1].text).contains(QStringLiteral("datei.vdr")));

    // Answered Yes: the window closes without writing.
    m_boxes->answers = {ResultOk, ResultYes};
    frame->Action(cmd::kFileClose)->trigger();
    QTRY_VERIFY(frame->Children().isEmpty());
    QVERIFY(!QFileInfo::exists(path));
}

void tst_MainFrame::changedFileIsNeverOverwrittenSilently_data() {
    QTest::addColumn<bool>("viaSave"); // Ctrl+S instead of closing the window
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("windowOpen"); // the window that asked stays open
    QTest::addColumn<unsigned>("onDisk");  // the counter in the original file afterwards
    QTest::addColumn<unsigned>("inCopy");  // ... in the file chosen for "save as", 0 none
    QTest::newRow("cancel") << false << int(SaveConflictChoice::Cancel) << true << 7u << 0u;
    QTest::newRow("overwrite") << false << int(SaveConflictChoice::Overwrite) << false << 5u << 0u;
    QTest::newRow("save as") << false << int(SaveConflictChoice::SaveAs) << false << 7u << 5u;
    QTest::newRow("discard") << false << int(SaveConflictChoice::Discard) << false << 7u << 0u;
    QTest::newRow("save, overwrite") << true << int(SaveConflictChoice::Overwrite) << true << 5u << 0u;
    QTest::newRow("save, discard reopens") << true << int(SaveConflictChoice::Discard) << false << 7u << 0u;
}

void tst_MainFrame::changedFileIsNeverOverwrittenSilently() {
    QFETCH(bool, viaSave);
    QFETCH(int, choice);
    QFETCH(bool, windowOpen);
    QFETCH(unsigned, onDisk);
    QFETCH(unsigned, inCopy);
    auto frame = MakeFrame();
    const QString path = CopySample(QStringLiteral("geteilt.vdr"));
    const QString copy = m_work->filePath(QStringLiteral("kopie.vdr"));
    m_chosen = {copy};
    CChildFrame* child = frame->OpenDocumentFile(path);
    QVERIFY(child);
    child->Document().Data().m_aTasks[0].m_nStats[0] = 5;
    // Another program saves the file meanwhile.
    cTrainingData other;
    QCOMPARE(other.ReadTrainingFile(path.toStdString()), 0);
    other.m_aTasks[0].m_nStats[0] = 7;
    QCOMPARE(other.WriteTrainingFile(""), 0);

    QStringList asked;
    SetSaveConflictAsker([&](const QString& name) {
        asked << name;
        return SaveConflictChoice(choice);
    });
    frame->Action(viaSave ? cmd::kFileSave : cmd::kFileClose)->trigger();
    SetSaveConflictAsker({});
    QCOMPARE(asked, QStringList{QStringLiteral("geteilt.vdr")});
    QTRY_COMPARE(frame->Children().contains(child), windowOpen);
    QVERIFY(m_boxes->boxes.empty());
    QCOMPARE(Counter(path), onDisk);
    QCOMPARE(Counter(copy), inCopy);
    // Discarding on "Speichern" shows the file as the other program left it.
    if (viaSave && !windowOpen) {
        QCOMPARE(frame->Children().size(), 1);
        QCOMPARE(frame->Children()[0]->Document().Data().m_aTasks[0].m_nStats[0], 7u);
    }
}

void tst_MainFrame::readOnlyFileOffersSaveAs() {
    auto frame = MakeFrame();
    const QString path = CopySample(QStringLiteral("nurlesen.vdr"));
    QFile(path).setPermissions(QFile::ReadOwner | QFile::ReadGroup);
    const std::string before = ReadBytes(path.toStdString());
    CChildFrame* child = frame->OpenDocumentFile(path);
    QVERIFY(child);
    child->Document().Data().m_aTasks[0].m_nStats[0] = 9;
    // Speichern: 105 and the offer, declined; closing: 105 and the offer, taken.
    const QString copy = m_work->filePath(QStringLiteral("gerettet.vdr"));
    m_chosen = {copy};
    m_boxes->answers = {ResultOk, ResultNo, ResultOk, ResultYes};
    frame->Action(cmd::kFileSave)->trigger();
    frame->Action(cmd::kFileClose)->trigger();
    QTRY_VERIFY(frame->Children().isEmpty());
    std::vector<std::pair<int, std::uint32_t>> shown;
    for (const RecordedBox& box : m_boxes->boxes)
        shown.emplace_back(box.currentId, box.style);
    QCOMPARE(shown, (std::vector<std::pair<int, std::uint32_t>>{{105, 0x10}, {0, 0x24}, {105, 0x10}, {0, 0x23}}));
    QVERIFY(ToQString(m_boxes->boxes[1].text).contains(U("nurlesen.vdr ist schreibgeschützt")));
    QCOMPARE(ReadBytes(path.toStdString()), before);
    QCOMPARE(Counter(copy), 9u);
}

void tst_MainFrame::quittingClosesEveryFileUnlessCancelled() {
    auto frame = MakeFrame();
    const QString a = CopySample(QStringLiteral("a.vdr"));
    const QString b = CopySample(QStringLiteral("b.vdr"));
    frame->OpenDocumentFile(a)->Document().Data().m_aTasks[0].m_nStats[0] = 11;
    frame->OpenDocumentFile(b)->Document().Data().m_aTasks[0].m_nStats[0] = 22;
    frame->Action(cmd::kFileNew)->trigger();
    CVendrillDoc& fresh = frame->ActiveChild()->Document();
    fresh.SetModifiedFlag(true);
    m_boxes->answers = {ResultCancel};
    QVERIFY(!frame->close());
    QVERIFY(frame->isVisible());
    QVERIFY(frame->Children().contains(frame->ActiveChild()));
    fresh.SetModifiedFlag(false);
    frame->Action(cmd::kExit)->trigger();
    QVERIFY(!frame->isVisible());
    QCOMPARE(Counter(a), 11u);
    QCOMPARE(Counter(b), 22u);
}

void tst_MainFrame::settingsHelpAndAbout() {
    // The settings file is read at the start.
    QVERIFY(QDir().mkpath(QFileInfo(SettingsFile()).path()));
    const std::string start = Hex({7, 2, 1, 0, 1, 1, 7, 1});
    testfiles::WriteBytes(SettingsFile().toStdString(), start);
    auto frame = MakeFrame();
    QCOMPARE(frame->SettingsPath(), SettingsFile());
    QCOMPARE(frame->Settings().m_bBeepOnWrong, 0);
    QCOMPARE(frame->Settings().m_bNextOnRight, 1);
    QCOMPARE(frame->Settings().m_nPrintSelection, 1);

    // Cancel changes nothing; OK stores the dialog and writes the file at once.
    const auto settings = [&](int button) {
        return ModalScript::Run({ModalScript::On(QStringLiteral("dlg141"), [](QWidget& dlg) {
                                     Ctl<QCheckBox>(dlg, 1030)->setChecked(true);
                                     Ctl<QCheckBox>(dlg, 1031)->setChecked(false);
                                     Ctl<QRadioButton>(dlg, 1052)->setChecked(true);
                                 }, button)},
                                [&] { frame->Action(cmd::kSettings)->trigger(); });
    };
    QVERIFY(settings(2));
    QCOMPARE(ToHex(ReadBytes(SettingsFile().toStdString())), ToHex(start));
    QCOMPARE(frame->Settings().m_bBeepOnWrong, 0);
    QVERIFY(settings(1));
    QCOMPARE(ToHex(ReadBytes(SettingsFile().toStdString())), ToHex(Hex({7, 2, 1, 1, 1, 0, 7, 2})));
    QCOMPARE(frame->Settings().m_bBeepOnWrong, 1);
    QCOMPARE(frame->Settings().m_nPrintSelection, 2);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    frame->Action(cmd::kHelp)->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls,
             QList<QUrl>({QUrl::fromLocalFile(m_programDir.filePath(QStringLiteral("hilfe_vdr.html")))}));

    QString line;
    QVERIFY(ModalScript::Run({ModalScript::On(QStringLiteral("dlg100"), [&](QWidget& about) {
                                  line = Ctl<QLabel>(about, 1085)->text();
                              }, 1)},
                             [&] { frame->Action(cmd::kAbout)->trigger(); }));
    QCOMPARE(line, QStringLiteral("Quorvant Version 1.0"));
    QVERIFY(m_boxes->boxes.empty());
}

void tst_MainFrame::printAndPreviewWithTheSharedPrinter() {
    auto frame = MakeFrame();
    frame->OpenDocumentFile(CopySample(QStringLiteral("a.vdr")));
    const int pages = frame->ActiveView()->Query().PrintPageCount();
    QPrinter& printer = frame->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = m_work->filePath(QStringLiteral("druck.pdf"));
    printer.setOutputFileName(pdf);

    // The print dialog and the preview work on the one printer with the same page count;
    // Cancel in the print dialog prints nothing, OK prints (here to a PDF file).
    QList<int> seen;
    for (const int id : {cmd::kPrint, cmd::kPrint, cmd::kPrintPreview}) {
        const bool ok = seen.size() == 1;
        ModalScript script({[&](QWidget* modal) {
            auto* print = qobject_cast<QPrintDialog*>(modal);
            auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
            if (!print && !preview)
                return false;
            seen << ((print ? print->printer() : preview->printer()) != &printer ? -1
                     : print ? print->maxPage()
                             : preview->findChild<QPrintPreviewWidget*>()->pageCount());
            QMetaObject::invokeMethod(modal, ok ? "accept" : "reject", Qt::QueuedConnection);
            return true;
        }});
        frame->Action(id)->trigger();
        QVERIFY(script.Done());
        QCOMPARE(QFileInfo::exists(pdf), seen.size() > 1);
    }
    QCOMPARE(seen, QList<int>({pages, pages, pages}));
}

void tst_MainFrame::viewCommandsFollowTheView() {
    auto frame = MakeFrame();
    for (int id : {cmd::kEscape, cmd::kOverview, cmd::kResetStatistics, cmd::kExamStart})
        QVERIFY(!frame->Action(id)->isEnabled()); // no file: nothing to route to
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    CChildFrame* child = frame->OpenDocumentFile(CopySample(QStringLiteral("a.vdr")));
    CVendrillView* view = child->View();
    const auto check = [&] {
        for (int id : {cmd::kResetStatistics, cmd::kDetailView, cmd::kMiniatureView,
                       cmd::kToggleView, cmd::kEscape, cmd::kOverview, cmd::kExamStart,
                       cmd::kExamEnd, cmd::kEvaluationEnd, cmd::kNewTask, cmd::kDelete})
            QCOMPARE(frame->Action(id)->isEnabled(),
                     view->HandlesCommand(id) && view->IsCommandEnabled(id));
    };
    check();
    view->Query().OpenQuestionnaire(0);
    QCOMPARE(view->ViewMode(), 3);
    QTRY_VERIFY(frame->Action(cmd::kOverview)->isEnabled());
    check();
    frame->Action(cmd::kOverview)->trigger();
    QCOMPARE(view->ViewMode(), 2);
    check();
    // Esc from wherever the focus is goes back as well.
    view->Query().OpenQuestionnaire(0);
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus && child->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_Escape);
    QCOMPARE(view->ViewMode(), 2);
}

QTEST_MAIN(tst_MainFrame)
#include "tst_mainframe.moc"
