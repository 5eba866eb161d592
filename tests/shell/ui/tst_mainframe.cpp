// The main window end to end: menus, shortcuts, tool bar and its images, status bar, opening
// files (dialog, recent list, drop), child windows and titles, new/save/save as/close, quitting,
// settings, help and about; the recent-file list, settings dialog and version line on their own.

#include "shell/ui/MainFrame.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "common/WindowTest.h"
#include "data/ui/SaveConflict.h"
#include "data/ui/VendrillDoc.h"
#include "practice/Query.h"
#include "practice/ui/VendrillView.h"
#include "shell/ui/AboutDlg.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/Icons.h"
#include "shell/ui/ModalScript.h"
#include "shell/ui/SettingsDlg.h"
#include "ui/FileDialog.h"
#include "ui/ProgramDir.h"
#include "ui/Text.h"

#include <QtWidgets>
#include <QtPrintSupport>
#include <QtTest>

#include <numeric>

#include <sys/stat.h>

using testfiles::Hex;
using testfiles::ReadBytes;
using testfiles::ToHex;
using windowtest::Ctl;

namespace {

// No two entries of a menu (and no two menus of the bar) share their Alt letter, and
// every entry has one (the recent-file placeholder aside).
void ExpectUniqueAltLetters(const QMenuBar* bar) {
    QSet<QKeySequence> titles;
    for (QAction* menuAction : bar->actions()) {
        const QKeySequence title = QKeySequence::mnemonic(menuAction->text());
        QVERIFY2(!title.isEmpty() && !titles.contains(title), qPrintable(menuAction->text()));
        titles.insert(title);
        QSet<QKeySequence> used;
        for (QAction* a : menuAction->menu()->actions()) {
            if (a->isSeparator() || !a->isVisible() || a->text() == QStringLiteral("Letzte Datei"))
                continue;
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            QVERIFY2(!key.isEmpty() && !used.contains(key), qPrintable(a->text()));
            used.insert(key);
        }
    }
}

// The visible entries of a menu or of the menu bar, "-" for a separator.
QStringList Entries(const QWidget* menu) {
    QStringList list;
    for (QAction* a : menu->actions())
        if (a->isSeparator() || a->isVisible())
            list << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}

QMenu* MenuNamed(const QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

// The whole menu bar as the user sees it: one line per menu, its entries after the title.
QString Menus(const QMenuBar* bar) {
    QStringList lines;
    for (QAction* a : bar->actions())
        if (a->isVisible())
            lines << a->text() + ": " + Entries(a->menu()).join(" | ");
    return lines.join('\n');
}

int CheckedRadio(QWidget& dlg) {
    for (int i = 0; i < 3; ++i)
        if (Ctl<QRadioButton>(dlg, 1050 + i)->isChecked())
            return i;
    return -1;
}

// The first counter of a task as the file holds it (0 when it cannot be read).
unsigned Counter(const QString& file, int task = 0, int counter = 0) {
    cTrainingData back;
    return back.ReadTrainingFile(file.toStdString()) == 0 ? back.m_aTasks[task].m_nStats[counter] : 0u;
}

// A window's title as shown: "[*]" becomes the modified mark.
QString Title(const QWidget* window) {
    return window->windowTitle().replace(QStringLiteral("[*]"), window->isWindowModified() ? "*" : "");
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
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true); SetProgramDirPath(m_programDir.path());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void init() {
        m_work = std::make_unique<QTemporaryDir>(); m_boxes = std::make_unique<RecordingPresenter>();
        m_chosen.clear(); m_asked.clear();
        QFile::remove(SettingsFile());
    }

    void cleanup() { m_boxes.reset(); m_work.reset(); }

    void menusToolBarAndStatusBar() {
        auto frame = MakeFrame();
        QCOMPARE(Title(frame.get()), QStringLiteral("Quorvant"));
        QVERIFY(frame->Children().isEmpty() && !frame->ActiveChild());
        const QMenuBar* bar = frame->menuBar();
        const QString shortMenus = "&Datei: &Neu\tStrg+N | Ö&ffnen...\tStrg+O | &Importieren... | - | "
                                   "Drucker&einrichtung... | - | Letzte Datei | - | "
                                   "Auf neuere &Version testen | &Beenden\n"
                                   "&Ansicht: &Symbolleiste | S&tatusleiste\n&?: Inf&o über das Programm...";
        QCOMPARE(Menus(bar), shortMenus);
        ExpectUniqueAltLetters(bar);
        QVERIFY(!frame->Action(cmd::kRecentFile)->isEnabled());
        QStringList status;
        for (const char* name : {"statusReady", "statusLock59137", "statusLock59138", "statusLock59139"})
            status << frame->statusBar()->findChild<QLabel*>(QLatin1String(name))->text();
        QCOMPARE(status, QStringList({"Bereit", "UF", "NUM", "RF"}));
        QVERIFY(frame->statusBar()->findChild<QLabel*>(QStringLiteral("statusReady"))->isVisible());

        auto* tools = frame->findChild<QToolBar*>(QStringLiteral("toolBar128"));
        QVERIFY(tools && tools->iconSize() == QSize(32, 32));
        QList<int> order;
        QList<QImage> images;
        for (QAction* a : tools->actions()) {
            order << (a->isSeparator() ? 0 : a->data().toInt());
            if (a->isSeparator())
                continue;
            QVERIFY(!a->icon().isNull() && !CommandIcon(order.last()).isNull());
            // Each image is clearly drawn (a good part of the square, but not all of it, has
            // paint), comes in both sizes, and no two are alike.
            const QImage image =
                DrawCommandImage(order.last()).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image.size(), QSize(32, 32));
            QCOMPARE(DrawCommandImage(order.last(), 16).size(), QSize(16, 16));
            int opaque = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    opaque += qAlpha(image.pixel(x, y)) > 0;
            QVERIFY2(opaque > 256 && opaque < 973, qPrintable(QString::number(opaque))); // 25 % to 95 %
            QVERIFY(!images.contains(image));
            images << image;
            // The action's icon draws each size when asked, the same image; greyed when disabled.
            const QIcon icon = a->icon();
            QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}}));
            QCOMPARE(icon.pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32), image);
            QVERIFY(icon.pixmap(32, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32) != image);
        }
        QCOMPARE(order, QList<int>({57600, 57601, 57603, 0, 57607, 32812, 57609, 0, 32782, 32777, 0, 32785, 32813, 0,
                                    57664, 32773}));
        // Hiding the tool bar through the menu and back, then the status bar.
        frame->Action(cmd::kToolBar)->trigger();
        QVERIFY(!tools->isVisible());
        frame->Action(cmd::kToolBar)->trigger(); frame->Action(cmd::kStatusBar)->trigger();
        QVERIFY(tools->isVisible() && !frame->statusBar()->isVisible());

        // An active file shows the full menu, with every file command usable.
        QVERIFY(frame->OpenDocumentFile(CopySample(QStringLiteral("beispiel.vdr"))));
        ExpectUniqueAltLetters(bar);
        const QString recent = "&1 " + QDir::toNativeSeparators(m_work->filePath("beispiel.vdr"));
        QCOMPARE(Menus(bar),
                 "&Datei: &Neu\tStrg+N | Ö&ffnen...\tStrg+O | &Schließen\tStrg+F4 | S&peichern\tStrg+S | "
                 "Speichern &unter... | - | &Importieren... | E&xportieren... | - | &Drucken...\tStrg+P | "
                 "Sei&tenansicht | P&rüfungsbogen drucken... | Drucker&einrichtung... | - | " + recent +
                 " | - | &Beenden | Auf neuere &Version testen\n"
                 "&Bearbeiten: &Rückgängig\tStrg+Z | &Wiederholen\tStrg+Y | - | &Ausschneiden\tStrg+X | "
                 "&Kopieren\tStrg+C | E&infügen\tStrg+V | Alles &markieren\tStrg+A | - | "
                 "&Suchen...\tStrg+F\n"
                 "&Prüfungssimulation: Prüfungssimulation &starten | Prüfungssimulation b&eenden | "
                 "Prüfungs&auswertung beenden\n"
                 "&Ansicht: &Symbolleiste | S&tatusleiste | - | Zur &Übersicht | - | &Detailansicht | "
                 "&Miniaturansicht | - | &Lernfortschritt...\tStrg+L\n"
                 "E&xtra: &Einstellungen | &Dateieinstellungen | &Prüfungstermin... | - | &Statistik zurücksetzen\n"
                 "&Fenster: Neues &Fenster | Über&lappend | &Nebeneinander | &Symbole anordnen\n"
                 "&Editor: &Neuen Fragebogen | Fragebogen &löschen | - | Neue &Aufgabe | "
                 "Aufgabe Lö&schen | - | Fragebogenauf&teilung\n&?: Inf&o über das Programm...");
        for (int id : {cmd::kPrint, cmd::kPrintPreview, cmd::kExamSheet, cmd::kFileNew, cmd::kFileOpen, cmd::kFileClose,
                       cmd::kFileSave, cmd::kUpdate, cmd::kFileSaveAs, cmd::kPrintSetup, cmd::kExit,
                       cmd::kSettings, cmd::kNewWindow, cmd::kFileSettings, cmd::kAbout, cmd::kHelp,
                       cmd::kCascade, cmd::kTile})
            QVERIFY2(frame->Action(id)->isEnabled(), qPrintable(QString::number(id)));

        // Closing the last file brings the short menu back, now with the file in the list.
        frame->Action(cmd::kFileClose)->trigger();
        QTRY_VERIFY(frame->Children().isEmpty());
        QTRY_COMPARE(Menus(bar), QString(shortMenus).replace("Letzte Datei", recent));
        QCOMPARE(Title(frame.get()), QStringLiteral("Quorvant"));
        QVERIFY(m_boxes->boxes.empty());
    }

    void commandTexts() {
        // Shortcuts ("" none; select all is the fields' own).
        const std::pair<int, const char*> keys[] = {
            {cmd::kFileNew, "Ctrl+N"}, {cmd::kFileOpen, "Ctrl+O"}, {cmd::kFileSave, "Ctrl+S"},
            {cmd::kPrint, "Ctrl+P"}, {cmd::kEditCopy, "Ctrl+C; Ctrl+Ins"},
            {cmd::kEditPaste, "Ctrl+V; Shift+Ins"},
            {cmd::kEditUndo, "Ctrl+Z; Alt+Backspace"}, {cmd::kEditCut, "Ctrl+X; Shift+Del"},
            {cmd::kToggleView, "Ctrl+A"}, {cmd::kDelete, "Del"}, {cmd::kEscape, "Esc"},
            {cmd::kEditRedo, "Ctrl+Y; Ctrl+Shift+Z"}, {cmd::kEditFind, "Ctrl+F"}, {cmd::kEditSelectAll, ""},
            {cmd::kNextPane, "F6; Ctrl+Tab"}, {cmd::kPrevPane, "Shift+F6; Ctrl+Shift+Backtab"},
            {cmd::kFileClose, "Ctrl+F4"}, {cmd::kAbout, ""}};
        // The status bar prompt and the tool tip (nullptr: the same text).
        const std::tuple<int, const char*, const char*> tips[] = {
            {57600, "Erstellt eine neue Trainingsdatei", "Neu"}, {32773, "Öffnet die Hilfedatei", "Hilfe"},
            {32782, "Einstellungen", nullptr}, {32786, "Update", nullptr}, {32785, "Zur Übersicht", nullptr},
            {32777, "Eigenschaften der aktuellen Datei einstellen", "Dateieigenschaften "},
            {32775, "Statistik zurücksetzen", nullptr}, {32793, "Startet die Prüfungssimulation", nullptr},
            {32794, "Prüfungssimulation beenden", nullptr}, {32795, "Prüfungsauswertung beenden", nullptr}};
        auto frame = MakeFrame();
        for (const auto& [id, text] : keys) {
            QAction* action = frame->Action(id);
            QVERIFY2(action, qPrintable(QString::number(id)));
            QCOMPARE(QKeySequence::listToString(action->shortcuts(), QKeySequence::PortableText), text);
            QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);
            // Every accelerator has a place in the window, so it works from anywhere in it.
            QVERIFY(!*text || !action->associatedObjects().isEmpty());
        }
        for (const auto& [id, status, tip] : tips) {
            QVERIFY2(frame->Action(id), qPrintable(QString::number(id)));
            QCOMPARE(frame->Action(id)->statusTip(), status);
            QCOMPARE(frame->Action(id)->toolTip(), tip ? tip : status);
        }
    }

    void openFilesGetWindowsAndTitles() {
        auto frame = MakeFrame();
        CChildFrame* first = frame->OpenDocumentFile(CopySample(QStringLiteral("a.vdr")));
        QVERIFY(first && first->isMaximized());
        QCOMPARE(Title(first), QStringLiteral("a.vdr"));
        QCOMPARE(first->Document().Data().m_aTasks.size(), std::size_t(17));
        QCOMPARE(first->View()->ViewMode(), 2);
        CChildFrame* second = frame->OpenDocumentFile(CopySample(QStringLiteral("b&c.vdr")));
        QVERIFY(second && first != second && second->isMaximized());
        QCOMPARE(Title(frame.get()), QStringLiteral("Quorvant - [b&c.vdr]"));

        // The window menu lists the files and checks the active one.
        QMenu* menu = MenuNamed(frame->menuBar(), "&Fenster"); QVERIFY(menu);
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
        QVERIFY(frame->ActiveChild() == first && first->isMaximized());
        QCOMPARE(Title(frame.get()), QStringLiteral("Quorvant - [a.vdr]"));
        QCOMPARE(listed(), QStringList({"-", "&1 a.vdr", "&2 b&&c.vdr", "checked &1 a.vdr"}));

        // The same file again (even written differently) brings its window back.
        QCOMPARE(frame->OpenDocumentFile(m_work->path() + QStringLiteral("/./x/../b&c.vdr")), second);
        QCOMPARE(frame->Children().size(), 2);
        QVERIFY(frame->ActiveChild() == second && second->isMaximized());
        QCOMPARE(Title(frame.get()), QStringLiteral("Quorvant - [b&c.vdr]"));
        QVERIFY(second->close());
        QTRY_COMPARE(frame->Children().size(), 1);
        QCOMPARE(listed(), QStringList({"-", "&1 a.vdr", "checked &1 a.vdr"}));
        QVERIFY(m_boxes->boxes.empty());
    }

    void openFromDialogDropAndRecentList() {
        const QString a = CopySample(QStringLiteral("a.vdr")), b = CopySample(QStringLiteral("b.vdr"));
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
            QMimeData remote, data;
            remote.setUrls({QUrl(QStringLiteral("https://example.org/x.vdr"))});
            data.setUrls({QUrl::fromLocalFile(b)});
            QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &remote, Qt::LeftButton, {});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
            QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(frame.get(), &refused);
            QApplication::sendEvent(frame.get(), &enter);
            QVERIFY(!refused.isAccepted() && enter.isAccepted());
            QApplication::sendEvent(frame.get(), &drop);
            QTRY_COMPARE(frame->Children().size(), 2);
            QCOMPARE(frame->ActiveChild()->Document().PathName(), b);
            QVERIFY(frame->ActiveChild()->isMaximized());

            const QStringList file = Entries(MenuNamed(frame->menuBar(), "&Datei"));
            QVERIFY(!file.contains("Letzte Datei") && file.contains("&1 " + QDir::toNativeSeparators(b)) &&
                    file.contains("&2 " + QDir::toNativeSeparators(a)));
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

    void missingFileIsReported() {
        auto frame = MakeFrame();
        const QString path = m_work->filePath(QStringLiteral("fehlt.vdr"));
        frame->RecentFiles().Add(path);
        QVERIFY(!frame->OpenDocumentFile(path));
        QCOMPARE(m_boxes->boxes.size(), std::size_t(1));
        QCOMPARE(ToQString(m_boxes->boxes[0].caption + "|" + m_boxes->boxes[0].text),
                 QString("Quorvant|Die Datei \"%1\" konnte nicht geöffnet werden.\r\nSie ist nicht vorhanden "
                         "oder nicht lesbar.").arg(path));
        QCOMPARE(m_boxes->boxes[0].style, std::uint32_t(0x30));
        QVERIFY(frame->RecentFiles().Files().isEmpty());

        // A folder or a FIFO is not a training file either: 104, before anything reads it.
        const QString fifo = m_work->filePath(QStringLiteral("fifo.vdr"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!frame->OpenDocumentFile(m_work->path()) && !frame->OpenDocumentFile(fifo));
        QCOMPARE(m_boxes->boxes.size(), std::size_t(3));
        QVERIFY(m_boxes->boxes[1].currentId == 104 && m_boxes->boxes[2].currentId == 104);
        QVERIFY(frame->Children().isEmpty());
    }

    void secondWindowOnTheSameFile() {
        auto frame = MakeFrame();
        const QString path = CopySample(QStringLiteral("zwei.vdr"));
        const std::string before = ReadBytes(path.toStdString());
        CChildFrame* first = frame->OpenDocumentFile(path); QVERIFY(first);
        // The statistics cell of row 0 as a window's task list shows it.
        auto cell = [](CChildFrame* child) {
            const QAbstractItemModel* model = Ctl<QTableView>(*child, 1002)->model();
            for (int column = 0; column < model->columnCount(); ++column)
                if (model->headerData(column, Qt::Horizontal).toString() == QStringLiteral("Statistik"))
                    return model->index(0, column).data().toString();
            return QString();
        };
        auto answerRow0 = [](CChildFrame* child) {
            cQuery& query = child->View()->Query();
            query.OpenQuestionnaire(0); query.StartAt(0);
            query.SetAnswerText("gewiss falsch"); query.OnAnswerOk(); query.OnBack();
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
        QCOMPARE(QStringList({Title(first), Title(second)}),
                 QStringList({"zwei.vdr:1", "zwei.vdr:2"}));
        second->View()->Query().OpenQuestionnaire(0);
        QCOMPARE(cell(second), once); // not read again
        answerRow0(second);
        QVERIFY(cell(second) != once);
        QTRY_COMPARE(cell(first), cell(second));

        // The first window to close writes nothing; the last one writes both answers.
        QVERIFY(second->close());
        QTRY_COMPARE(frame->Children().size(), 1);
        QTRY_COMPARE(Title(first), QStringLiteral("zwei.vdr"));
        QCOMPARE(ReadBytes(path.toStdString()), before);
        const int task = first->View()->Query().TaskOfRow(0);
        const auto counted = [&] {
            cTrainingData d;
            const auto& stats = d.ReadTrainingFile(path.toStdString()) == 0 ? d.m_aTasks[task].m_nStats
                                                                             : cTask().m_nStats;
            return std::accumulate(stats.begin(), stats.end(), 0u);
        };
        const unsigned old = counted();
        QVERIFY(first->close());
        QCOMPARE(counted(), old + 2);
        QVERIFY(m_boxes->boxes.empty());
    }

    void newDocumentCloseAsks_data() {
        QTest::addColumn<bool>("modified"); QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed"); QTest::addColumn<bool>("written");
        QTest::newRow("unchanged: no question") << false << 0 << true << false;
        QTest::newRow("cancel keeps it") << true << int(ResultCancel) << false << false;
        QTest::newRow("no drops it") << true << int(ResultNo) << true << false;
        QTest::newRow("yes saves it") << true << int(ResultYes) << true << true;
    }

    void newDocumentCloseAsks() {
        QFETCH(bool, modified); QFETCH(int, answer); QFETCH(bool, closed); QFETCH(bool, written);
        auto frame = MakeFrame();
        frame->Action(cmd::kFileNew)->trigger();
        CChildFrame* child = frame->ActiveChild(); QVERIFY(child);
        const QString title = child->Document().Title();
        QVERIFY(title.startsWith("Übung"));
        QCOMPARE(Title(frame.get()) + " " + Title(child), "Quorvant - [" + title + "] " + title);
        child->Document().SetModifiedFlag(modified);
        // Unsaved changes are marked the usual way, in the child's and the main window's title.
        QCOMPARE(Title(frame.get()), "Quorvant - [" + title + (modified ? "*]" : "]"));
        if (answer != 0)
            m_boxes->answers.push_back(answer);
        const QString target = m_work->filePath(QStringLiteral("neu.vdr"));
        m_chosen << target;

        frame->Action(cmd::kFileClose)->trigger();
        QTRY_COMPARE(frame->Children().isEmpty(), closed);
        QCOMPARE(m_boxes->boxes.size(), std::size_t(modified ? 1 : 0));
        if (modified) {
            QCOMPARE(ToQString(m_boxes->boxes[0].text),
                     QString("Sollen die Änderungen an %1 gespeichert werden?").arg(title));
            QCOMPARE(m_boxes->boxes[0].style, std::uint32_t(0x23));
        }
        QCOMPARE(QFileInfo::exists(target), written);
        if (!closed) {
            child->Document().SetModifiedFlag(false);
            QVERIFY(frame->close());
        }
    }

    void saveOfNewDocumentAsksForName() {
        auto frame = MakeFrame();
        const QString other = CopySample(QStringLiteral("a.vdr"));
        const std::string otherBytes = ReadBytes(other.toStdString());
        frame->OpenDocumentFile(other);
        frame->Action(cmd::kFileNew)->trigger();
        // A file open in another window is refused as the name; then a name without ending.
        m_chosen << other << m_work->filePath(QStringLiteral("ohne_endung"));
        frame->Action(cmd::kFileSave)->trigger();
        QCOMPARE(m_boxes->boxes.size(), std::size_t(1));
        QVERIFY(ToQString(m_boxes->boxes[0].text).contains("ist bereits in einem anderen Fenster geöffnet"));
        QVERIFY(frame->ActiveChild()->Document().PathName().isEmpty());
        QCOMPARE(ReadBytes(other.toStdString()), otherBytes);
        frame->Action(cmd::kFileSave)->trigger();
        QCOMPARE(m_asked, QList<CMainFrame::FileChoice>({CMainFrame::FileChoice::SaveAs,
                                                         CMainFrame::FileChoice::SaveAs}));
        const QString saved = m_work->filePath(QStringLiteral("ohne_endung.vdr"));
        QVERIFY(QFileInfo::exists(saved));
        QCOMPARE(Title(frame.get()) + " " + Title(frame->ActiveChild()),
                 "Quorvant - [ohne_endung.vdr] ohne_endung.vdr");
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

    void damagedFileIsNeverWrittenBack_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("keepsWindow"); // some tasks were read before the damage
        const QByteArray full =
            QByteArray::fromStdString(ReadBytes(QUORVANT_SOURCE_DIR "/resources/beispiel.vdr"));
        QTest::newRow("picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("cut off after some tasks") << full.left(full.size() * 2 / 3) << true;
    }

    void damagedFileIsNeverWrittenBack() {
        QFETCH(QByteArray, bytes); QFETCH(bool, keepsWindow);
        auto frame = MakeFrame();
        const QString bad = m_work->filePath("kaputt.vdr"), copy = m_work->filePath("gerettet.vdr");
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
            // An answer counted in it: closing asks first, and Cancel keeps the window.
            child->Document().Data().m_aTasks[0].m_nStats[1] += 1;
            m_boxes->answers = {ResultCancel};
            QVERIFY(!child->close());
            QVERIFY(ToQString(m_boxes->boxes.back().text).contains("nicht vollständig gelesen"));
            const std::size_t boxes = m_boxes->boxes.size();
            m_chosen << bad << copy;
            frame->Action(cmd::kFileSave)->trigger();
            QCOMPARE(m_boxes->boxes.size(), boxes + 1);
            QVERIFY(ToQString(m_boxes->boxes.back().text).contains("wird nicht überschrieben"));
            frame->Action(cmd::kFileSaveAs)->trigger();
            QCOMPARE(m_asked, (QList<CMainFrame::FileChoice>{CMainFrame::FileChoice::SaveAs,
                                                             CMainFrame::FileChoice::SaveAs}));
            QCOMPARE(child->Document().PathName(), copy);
            QVERIFY(QFileInfo(copy).size() > 0);
            QVERIFY(child->close());
        }
        QCOMPARE(QByteArray::fromStdString(ReadBytes(bad.toStdString())), bytes);
    }

    void changedFileIsNeverOverwrittenSilently_data() {
        // Ctrl+S instead of closing the window; the choice; whether the window that asked
        // stays open; the counter in the original file afterwards and in the file chosen for
        // "save as" (0 none).
        QTest::addColumn<bool>("viaSave"); QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("windowOpen"); QTest::addColumn<unsigned>("onDisk");
        QTest::addColumn<unsigned>("inCopy");
        using C = SaveConflictChoice;
        QTest::newRow("cancel") << false << int(C::Cancel) << true << 7u << 0u;
        QTest::newRow("overwrite") << false << int(C::Overwrite) << false << 5u << 0u;
        QTest::newRow("save as") << false << int(C::SaveAs) << false << 7u << 5u;
        QTest::newRow("discard") << false << int(C::Discard) << false << 7u << 0u;
        QTest::newRow("save, overwrite") << true << int(C::Overwrite) << true << 5u << 0u;
        QTest::newRow("save, discard reopens") << true << int(C::Discard) << false << 7u << 0u;
        QTest::newRow("merge") << false << int(C::Merge) << false << 12u << 0u;
        QTest::newRow("save, merge") << true << int(C::Merge) << true << 12u << 0u;
    }

    void changedFileIsNeverOverwrittenSilently() {
        QFETCH(bool, viaSave); QFETCH(int, choice); QFETCH(bool, windowOpen);
        QFETCH(unsigned, onDisk); QFETCH(unsigned, inCopy);
        auto frame = MakeFrame();
        const QString path = CopySample("geteilt.vdr"), copy = m_work->filePath("kopie.vdr");
        m_chosen = {copy};
        CChildFrame* child = frame->OpenDocumentFile(path); QVERIFY(child);
        child->Document().Data().m_aTasks[0].m_nStats[0] = 5;
        // Another program saves the file meanwhile.
        cTrainingData other;
        QCOMPARE(other.ReadTrainingFile(path.toStdString()), 0);
        other.m_aTasks[0].m_nStats[0] = 7;
        QCOMPARE(other.WriteTrainingFile(""), 0);

        QStringList asked;
        SetSaveConflictAsker([&](const QString& name, const QString& whyNoMerge) {
            asked << name + whyNoMerge; return SaveConflictChoice(choice);
        });
        frame->Action(viaSave ? cmd::kFileSave : cmd::kFileClose)->trigger();
        SetSaveConflictAsker({});
        QCOMPARE(asked, QStringList{QStringLiteral("geteilt.vdr")});
        QTRY_COMPARE(frame->Children().contains(child), windowOpen);
        QVERIFY(m_boxes->boxes.empty());
        QCOMPARE(QList<unsigned>({Counter(path), Counter(copy)}), QList<unsigned>({onDisk, inCopy}));
        // Discarding on "Speichern" shows the file as the other program left it.
        if (viaSave && !windowOpen) {
            QCOMPARE(frame->Children().size(), 1);
            QCOMPARE(frame->Children()[0]->Document().Data().m_aTasks[0].m_nStats[0], 7u);
        }
    }

    void mergeOnlyWhileTasksMatchAndCountersGrow() {
        auto frame = MakeFrame();
        const QString path = CopySample("geteilt.vdr");
        auto change = [&](const std::function<void(cTrainingData&)>& how) {
            cTrainingData other;
            QCOMPARE(other.ReadTrainingFile(path.toStdString()), 0);
            how(other);
            QCOMPARE(other.WriteTrainingFile(""), 0);
        };
        change([](cTrainingData& d) { d.m_aTasks[0].m_nStats[0] = 3; });
        // What changes here and there; why merging is refused ("" offered, and the default).
        struct Case { std::function<void(cTrainingData&)> here, there; const char* why; };
        const Case cases[] = {
            {[](cTrainingData& d) { d.m_aTasks[0].m_nStats[0] = 1; },
             [](cTrainingData& d) { ++d.m_aTasks[2].m_nStats[0]; },
             "In diesem Fenster wurden Aufgaben, Fragebögen oder Einstellungen geändert oder die "
             "Statistik zurückgesetzt."},
            {{}, [](cTrainingData& d) { d.m_aTasks[1].m_strSolution += "x"; },
             "Das andere Programm hat Aufgaben, Fragebögen oder Einstellungen geändert."},
            {{}, [](cTrainingData& d) { d.ResetStatistics(); },
             "Das andere Programm hat die Statistik zurückgesetzt."},
            {{}, [](cTrainingData& d) { d.m_aTasks[3].m_nStats[0] = 4; }, ""}};
        for (const Case& c : cases) {
            CChildFrame* child = frame->OpenDocumentFile(path); QVERIFY(child);
            ++child->Document().Data().m_aTasks[3].m_nStats[0];
            if (c.here)
                c.here(child->Document().Data());
            change(c.there);
            const std::string there = ReadBytes(path.toStdString());
            // Closing meets the real box: Enter where merging is offered, else discard.
            QString text;
            bool mergeIsDefault = true;
            QVERIFY(ModalScript::Run({[&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                if (!box)
                    return false;
                text = box->text();
                auto* merge = box->findChild<QPushButton*>("conflictMerge");
                mergeIsDefault = merge == nullptr || merge == box->defaultButton();
                ModalScript::Click(merge ? merge : box->findChild<QPushButton*>("conflictDiscard"));
                return true;
            }}, [&] { frame->Action(cmd::kFileClose)->trigger(); }));
            QTRY_VERIFY(frame->Children().isEmpty());
            QVERIFY(mergeIsDefault);
            const QString why = QString::fromUtf8(c.why);
            QVERIFY(text.contains(why.isEmpty() ? QString::fromUtf8("„Zusammenführen“: Die Datei")
                                                : QString::fromUtf8("nicht möglich: ") + why));
            for (const char* choice : {"Überschreiben", "Speichern unter...", "Änderungen verwerfen"})
                QVERIFY(text.contains(QString::fromUtf8("„%1“: ").arg(QString::fromUtf8(choice))));
            if (!why.isEmpty())
                QVERIFY(ReadBytes(path.toStdString()) == there);
        }
        QCOMPARE(Counter(path, 3), 5u); // 4 from the other program, 1 from this window
    }

    void failedWritesAskBeforeLosingData() {
        auto frame = MakeFrame();
        const QString gone = CopySample("ordner/datei.vdr"), path = CopySample("nurlesen.vdr");
        QFile(path).setPermissions(QFile::ReadOwner | QFile::ReadGroup);
        const std::string before = ReadBytes(path.toStdString());
        QVERIFY(frame->OpenDocumentFile(gone));
        QVERIFY(QDir(m_work->filePath("ordner")).removeRecursively());
        // Its folder gone: 105, then "close anyway?" answered No (the window stays), then Yes
        // (it closes without writing).
        m_boxes->answers = {ResultOk, ResultNo, ResultOk, ResultYes};
        frame->Action(cmd::kFileClose)->trigger();
        QCOMPARE(frame->Children().size(), 1);
        frame->Action(cmd::kFileClose)->trigger();
        QTRY_VERIFY(frame->Children().isEmpty());
        QVERIFY(!QFileInfo::exists(gone));
        QVERIFY(ToQString(m_boxes->boxes[1].text).contains("datei.vdr"));

        // Read-only: "Speichern" shows 105 and the offer of "Speichern unter", declined; closing
        // shows them again, and the offer is taken.
        CChildFrame* child = frame->OpenDocumentFile(path); QVERIFY(child);
        child->Document().Data().m_aTasks[0].m_nStats[0] = 9;
        const QString copy = m_work->filePath(QStringLiteral("gerettet.vdr"));
        m_chosen = {copy};
        m_boxes->answers = {ResultOk, ResultNo, ResultOk, ResultYes};
        frame->Action(cmd::kFileSave)->trigger(); frame->Action(cmd::kFileClose)->trigger();
        QTRY_VERIFY(frame->Children().isEmpty());
        QStringList shown;
        for (const RecordedBox& box : m_boxes->boxes)
            shown << QStringLiteral("%1 %2").arg(box.currentId).arg(box.style, 0, 16);
        QCOMPARE(shown, QStringList({"105 10", "4 24", "105 10", "4 24", "105 10", "0 24", "105 10", "0 23"}));
        QVERIFY(ToQString(m_boxes->boxes[5].text).contains("nurlesen.vdr ist schreibgeschützt"));
        QCOMPARE(ReadBytes(path.toStdString()), before);
        QCOMPARE(Counter(copy), 9u);
    }

    void quittingClosesEveryFileUnlessCancelled() {
        auto frame = MakeFrame();
        const QString a = CopySample(QStringLiteral("a.vdr")), b = CopySample(QStringLiteral("b.vdr"));
        frame->OpenDocumentFile(a)->Document().Data().m_aTasks[0].m_nStats[0] = 11;
        frame->OpenDocumentFile(b)->Document().Data().m_aTasks[0].m_nStats[0] = 22;
        frame->Action(cmd::kFileNew)->trigger();
        CVendrillDoc& fresh = frame->ActiveChild()->Document(); fresh.SetModifiedFlag(true);
        m_boxes->answers = {ResultCancel};
        QVERIFY(!frame->close());
        QVERIFY(frame->isVisible() && frame->Children().contains(frame->ActiveChild()));
        fresh.SetModifiedFlag(false);
        frame->Action(cmd::kExit)->trigger();
        QVERIFY(!frame->isVisible());
        QCOMPARE(QList<unsigned>({Counter(a), Counter(b)}), QList<unsigned>({11, 22}));
    }

    void settingsHelpAndAbout() {
        // The settings file is read at the start.
        QVERIFY(QDir().mkpath(QFileInfo(SettingsFile()).path()));
        const std::string start = Hex({7, 2, 1, 0, 1, 1, 7, 1});
        testfiles::WriteBytes(SettingsFile().toStdString(), start);
        auto frame = MakeFrame();
        QCOMPARE(frame->SettingsPath(), SettingsFile());
        const auto shown = [&] {
            const cSettings& s = frame->Settings();
            return QList<int>{s.m_bBeepOnWrong, s.m_bNextOnRight, s.m_nPrintSelection};
        };
        QCOMPARE(shown(), QList<int>({0, 1, 1}));

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
        QCOMPARE(shown(), QList<int>({0, 1, 1}));
        QVERIFY(settings(1));
        QCOMPARE(ToHex(ReadBytes(SettingsFile().toStdString())), ToHex(Hex({7, 2, 1, 1, 1, 0, 7, 2, 1, 0, 7, 20})));
        QCOMPARE(shown(), QList<int>({1, 0, 2}));

        // Help opens inside the program: links are followed there, back and forward walk
        // them, and "Extern öffnen" hands the page to the desktop.
        const QUrl page = QUrl::fromLocalFile(m_programDir.filePath(QStringLiteral("hilfe_vdr.html")));
        QVERIFY(QFile::copy(QUORVANT_SOURCE_DIR "/resources/hilfe_vdr.html", page.toLocalFile()));
        frame->Action(cmd::kHelp)->trigger();
        QWidget* help = frame->findChild<QWidget*>(QStringLiteral("helpWindow"));
        QVERIFY(help && help->isVisible());
        auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
        QCOMPARE(browser->source(), page);
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Prüfungssimulation")));
        browser->setSource(page.resolved(QUrl(QStringLiteral("#pruefung")))); // a click on the link
        const auto button = [help](const char* name) {
            return help->findChild<QPushButton*>(QString::fromLatin1(name));
        };
        QVERIFY(button("helpBack")->isEnabled() && !button("helpForward")->isEnabled());
        button("helpBack")->click();
        QCOMPARE(browser->source(), page);
        QVERIFY(button("helpForward")->isEnabled());
        button("helpForward")->click();
        QCOMPARE(browser->source().fragment(), QStringLiteral("pruefung"));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        button("helpExternal")->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls.value(0).toLocalFile(), page.toLocalFile());

        // The about box: the build's version 1.0.0 is shown as 1.0.
        QStringList about;
        QVERIFY(ModalScript::Run({ModalScript::On(QStringLiteral("dlg100"), [&](QWidget& dlg) {
                                      about << dlg.windowTitle() << Ctl<QLabel>(dlg, 1085)->text()
                                            << Ctl<QPushButton>(dlg, 1)->text();
                                      QVERIFY(!dlg.findChild<QLabel*>("appIcon")->pixmap().isNull());
                                  }, 1)},
                                 [&] { frame->Action(cmd::kAbout)->trigger(); }));
        QCOMPARE(about, QStringList({"Info über das Programm", "Quorvant Version 1.0", "OK"}));
        QVERIFY(m_boxes->boxes.empty());
    }

    void fileDialogNamesTypesAndFitsItsColumns() {
        CopySample(QStringLiteral("a.vdr"));
        QFileDialog dialog(nullptr, QStringLiteral("Öffnen"), m_work->path());
        PrepareFileDialog(dialog);
        dialog.show();
        auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(tree);
        const auto type = [tree] {
            const QModelIndexList rows = tree->model()->match(tree->rootIndex().isValid()
                ? tree->model()->index(0, 0, tree->rootIndex()) : QModelIndex(), Qt::DisplayRole, "a.vdr");
            return rows.isEmpty() ? QString() : rows[0].siblingAtColumn(2).data().toString();
        };
        QTRY_COMPARE(type(), QStringLiteral("Trainingsdatei"));
        QVERIFY(tree->header()->length() <= tree->viewport()->width());
        for (int column = 1; column < 4; ++column)
            QVERIFY(tree->header()->sectionSize(column) >= tree->header()->sectionSizeHint(column));
    }

    void printAndPreviewWithTheSharedPrinter() {
        auto frame = MakeFrame();
        frame->OpenDocumentFile(CopySample(QStringLiteral("a.vdr")));
        const int pages = frame->ActiveView()->Query().PrintPageCount();
        QPrinter& printer = frame->Printer();
        const QString pdf = m_work->filePath(QStringLiteral("druck.pdf"));
        printer.setOutputFormat(QPrinter::PdfFormat); printer.setOutputFileName(pdf);

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

    void viewCommandsFollowTheView() {
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

    // The recent-file list on its own: order, duplicates, the limit of 16, storage and
    // menu texts.
    void recentListNewestFirstSixteenAndStored() {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("recent.ini"));
        {
            cRecentFiles recent(ini);
            QVERIFY(recent.Files().isEmpty());
            for (int i = 1; i <= 20; ++i)
                recent.Add(QStringLiteral("/d/%1.vdr").arg(i));
            QCOMPARE(recent.Files().size(), 16);
            QVERIFY(recent.Files().first() == "/d/20.vdr" && recent.Files().last() == "/d/5.vdr");
            recent.Add(QString::fromUtf8("/übung/ä.vdr"));
            recent.Add(QStringLiteral("/daten/zwei.vdr"));
            recent.Add(QStringLiteral("/d/./unter/../19.vdr")); // a listed file again moves up
            recent.Add(QString());
            recent.Remove(QStringLiteral("/d/20.vdr")); recent.Remove(QStringLiteral("/x/nie.vdr"));
        }
        // After a restart: the same list.
        const QStringList files = cRecentFiles(ini).Files();
        QCOMPARE(files.size(), 15);
        QCOMPARE(files.mid(0, 4), QStringList({"/d/19.vdr", "/daten/zwei.vdr", "/übung/ä.vdr", "/d/18.vdr"}));
        QCOMPARE(files.last(), QStringLiteral("/d/7.vdr"));
    }

    void recentListMenuText() {
        const QString longPath = "/" + QString(40, 'x') + "/" + QString(40, 'y') + ".vdr";
        const std::tuple<int, QString, QString> rows[] = {
            {0, "/a/b.vdr", "&1 /a/b.vdr"}, {8, "/a/b.vdr", "&9 /a/b.vdr"}, {9, "/a/b.vdr", "1&0 /a/b.vdr"},
            {10, "/a/b.vdr", "11 /a/b.vdr"}, {1, "/a/A&B.vdr", "&2 /a/A&&B.vdr"},
            {0, longPath, "&1 " + longPath.left(33) + "..." + longPath.right(33)}};
        for (const auto& [index, path, text] : rows)
            QCOMPARE(cRecentFiles::MenuText(index, path), text);
    }

    // "Einstellungen" on its own: the controls, and the three settings from the record into
    // the dialog and from clicks back into the record.
    void settingsDialogTexts() {
        CSettingsDlg dlg;
        dlg.show();
        QStringList texts{dlg.windowTitle(), dlg.findChild<QGroupBox*>()->title()};
        for (int id : {1030, 1031, 1074, 1050, 1051, 1052, 1, 2})
            texts << Ctl<QAbstractButton>(dlg, id)->text();
        QCOMPARE(texts, QStringList({"Einstellungen", "Drucken", "Hinweiston bei falscher Antwort",
                                     "Direkt zur nächsten Aufgabe springen bei richtiger Antwort",
                                     "Direkt zur nächsten Aufgabe nach Anklicken der Selbstbewertung",
                                     "Alle Aufgaben drucken",
                                     "Nur Aufgaben drucken, die min. einmal falsch beantwortet wurden",
                                     "Nur Aufgaben drucken, die häufiger falsch beantwortet wurden",
                                     "OK", "Abbrechen"}));
        QVERIFY(!Ctl<QCheckBox>(dlg, 1074)->isVisible() && Ctl<QCheckBox>(dlg, 1030)->isVisible());
    }

    void settingsDialogLoadsAndStores_data() {
        // The loaded beep and next flags and print choice; what the dialog shows (flags checked,
        // radio button); then the boxes clicked (1 each) and the radio button clicked.
        QTest::addColumn<QList<int>>("loaded"); QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QList<int>>("clicks");
        using L = QList<int>;
        QTest::newRow("defaults") << L{1, 1, 0} << L{1, 1, 0} << L{0, 0, 0};
        QTest::newRow("all off, third") << L{0, 0, 2} << L{0, 0, 2} << L{1, 1, 2};
        QTest::newRow("second") << L{1, 0, 1} << L{1, 0, 1} << L{1, 0, 1};
        // Any non-zero flag counts as set; a print value no button stands for shows the first.
        QTest::newRow("odd flag") << L{7, -1, 0} << L{1, 1, 0} << L{0, 0, 0};
        QTest::newRow("print too big") << L{0, 1, 3} << L{0, 1, 0} << L{0, 1, 2};
        QTest::newRow("print negative") << L{0, 1, -1} << L{0, 1, 0} << L{0, 0, 1};
    }

    void settingsDialogLoadsAndStores() {
        QFETCH(QList<int>, loaded); QFETCH(QList<int>, shown); QFETCH(QList<int>, clicks);
        cSettings settings;
        settings.m_bBeepOnWrong = loaded[0]; settings.m_bNextOnRight = loaded[1];
        settings.m_nPrintSelection = loaded[2];
        CSettingsDlg dlg;
        dlg.Load(settings);
        QCOMPARE(QList<int>({Ctl<QCheckBox>(dlg, 1030)->isChecked(), Ctl<QCheckBox>(dlg, 1031)->isChecked(),
                             CheckedRadio(dlg)}), shown);
        // Click on the box itself, at the left end of the control.
        const auto click = [&dlg](int id) {
            auto* b = Ctl<QAbstractButton>(dlg, id);
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
        };
        ModalScript script({[&](QWidget* modal) {
            if (modal != &dlg)
                return false;
            if (clicks[0])
                click(1030);
            if (clicks[1])
                click(1031);
            click(1050 + clicks[2]);
            ModalScript::Click(Ctl<QPushButton>(dlg, 1));
            return true;
        }});
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        settings.m_nPrintSelection = 99;
        dlg.Store(settings);
        QCOMPARE(QList<int>({settings.m_bBeepOnWrong, settings.m_bNextOnRight, settings.m_nPrintSelection}),
                 QList<int>({shown[0] ^ clicks[0], shown[1] ^ clicks[1], clicks[2]}));
    }

    void versionText_data() {
        QTest::addColumn<QString>("version"); QTest::addColumn<QString>("text");
        const std::pair<const char*, const char*> rows[] = {
            {"1.0.0", "1.0"}, {"1.0.0.0", "1.0"}, {"2.5", "2.5"}, {"1.2.0.7", "1.2.0.7"}, // build number
            {"1.2.3", "1.2.3.0"}, {"0.0.0.0", ""}, {"0.3", "0.3"}, {"0.0.1", "0.0.1.0"},
            {"65535.65535.65535.65535", "65535.65535.65535.65535"}, {"1.65536", ""}, // largest, too large
            {"1.2.3.4.5", ""}, {"1.x", ""}, {"", ""}, {"1.-2", ""}};
        for (const auto& [version, text] : rows)
            QTest::newRow(*version ? version : "empty") << QString(version) << QString(text);
    }

    void versionText() {
        QFETCH(QString, version); QFETCH(QString, text);
        QCOMPARE(FileVersionText(version), text);
    }

private:
    QString CopySample(const QString& name) const { return windowtest::CopySample(m_work->path(), name); }

    std::unique_ptr<CMainFrame> MakeFrame() {
        auto frame = windowtest::ShowFrame(m_work->path());
        frame->SetFileChooser([this](CMainFrame::FileChoice choice, const QString&) {
            m_asked << choice;
            return m_chosen.isEmpty() ? QString() : m_chosen.takeFirst();
        });
        return frame;
    }
    /// Where the window and the command-line tool keep the program settings.
    QString SettingsFile() const { return m_config.filePath(QStringLiteral("Quorvant/settings_vdr.dat")); }

    QTemporaryDir m_programDir;
    QTemporaryDir m_config; // the user's configuration folder
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<RecordingPresenter> m_boxes;
    QStringList m_chosen; // answers of the file dialogs, in order
    QList<CMainFrame::FileChoice> m_asked;
};

QTEST_MAIN(tst_MainFrame)
#include "tst_mainframe.moc"
