// Undo and redo of every kind of edit, the search bar, the Tab order of the screens and
// the accessible names, in the real main window over real training files.

#include "shell/ui/MainFrame.h"

#include "common/WindowTest.h"
#include "data/ui/FilePropsDlg.h"
#include "data/ui/FileSettingsDlg.h"
#include "practice/TaskSearch.h"
#include "practice/ui/QuestionnaireDlg.h"
#include "practice/ui/SearchBar.h"
#include "practice/ui/TaskEditDlg.h"
#include "practice/ui/ViewAccessibility.h"
#include "practice/ui/ViewTestSupport.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"
#include "shell/ui/SettingsDlg.h"
#include "ui/Text.h"

#include <QtWidgets>
#include <QtTest>

#include <functional>
#include <numeric>

namespace {

// The file the writer makes of a document's records.
QByteArray Bytes(const cTrainingData& data) {
    testfiles::TempDir dir;
    cTrainingData copy = data;
    const bool written = copy.WriteTrainingFile(dir.Path("r.vdr")) == 0;
    return written ? QByteArray::fromStdString(testfiles::ReadBytes(dir.Path("r.vdr"))) : QByteArray();
}

// Focusable controls that a screen reader could not name.
QStringList Nameless(QAccessibleInterface* iface, int depth = 0) {
    QStringList out;
    if (!iface || depth > 40)
        return out;
    const QAccessible::State state = iface->state();
    if (state.focusable && !state.invisible && iface->text(QAccessible::Name).trimmed().isEmpty()) {
        const QObject* o = iface->object();
        out << (o ? QStringLiteral("%1 %2").arg(o->metaObject()->className(), o->objectName()) : "item");
    }
    for (int i = 0; i < iface->childCount(); ++i)
        out += Nameless(iface->child(i), depth + 1);
    return out;
}

QStringList Nameless(QWidget* root) { return Nameless(QAccessible::queryAccessibleInterface(root)); }

} // namespace

class tst_UndoFind : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true); SetProgramDirPath(m_programDir.path());
        QAccessible::setActive(true);
    }

    void init() {
        m_frame.reset();
        m_boxes.reset(); // before the next one installs itself
        m_work = std::make_unique<QTemporaryDir>(); m_boxes = std::make_unique<RecordingPresenter>();
    }

    void undoAndRedoEveryEdit() {
        m_frame = Open(viewtest::SampleData());
        CVendrillView* view = View();
        cQuery& query = view->Query(); CVendrillDoc& doc = view->Document();
        // The editors stand for the user's input in their dialogs.
        view->SetTaskEditor([](cTask& task, QWidget*) { task.m_strQuestion += " (neu)"; return true; });
        view->SetSplitEditor([](cSplitTexts& texts, QWidget*) { texts.taskList = "7,2"; return true; });
        const auto yes = [&](int id) { m_boxes->answers = {ResultYes}; Trigger(id); };
        const auto nine = [](QWidget& dlg) { windowtest::Ctl<QLineEdit>(dlg, 1019)->setText("9"); };
        const auto fileSettings = [&] { Trigger(cmd::kFileSettings); };
        const std::pair<const char*, std::function<void()>> steps[] = {
            {"Aufgabe 2 bearbeiten",
             [&] { query.OpenQuestionnaire(0); query.StartAt(1); view->OnEditTask(); }},
            {"Aufgabe 22 anlegen", [&] { Trigger(cmd::kNewTask); }},
            {"Aufgabe 1 löschen", [&] { query.OpenQuestionnaire(0); yes(cmd::kDeleteTask); }},
            {"Neuer Fragebogen", [&] { Trigger(cmd::kNewQuestionnaire); }},
            {"Fragebogenaufteilung", [&] { query.OpenQuestionnaire(1); Trigger(cmd::kSplitQuestionnaire); }},
            {"Fragebogen löschen", [&] { yes(cmd::kDeleteQuestionnaire); }},
            {"Dateieinstellungen",
             [&] { QVERIFY(ModalScript::Run({ModalScript::On("dlg137", nine, 1)}, fileSettings)); }},
            {"Statistik zurücksetzen", [&] { yes(cmd::kResetStatistics); }},
        };
        const QByteArray initial = Bytes(doc.Data());
        QVERIFY(!doc.IsModified() && !m_frame->Action(cmd::kEditUndo)->isEnabled());
        for (const auto& [label, edit] : steps) {
            const QByteArray before = Bytes(doc.Data());
            edit();
            const QByteArray after = Bytes(doc.Data());
            QVERIFY2(after != before, label);
            QCOMPARE(m_frame->Action(cmd::kEditUndo)->text(), QString("&Rückgängig: %1\tStrg+Z").arg(label));
            QVERIFY(doc.IsModified());
            Trigger(cmd::kEditUndo);
            QCOMPARE(Bytes(doc.Data()), before);
            QCOMPARE(m_frame->Action(cmd::kEditRedo)->text(), QString("&Wiederholen: %1\tStrg+Y").arg(label));
            Trigger(cmd::kEditRedo);
            QCOMPARE(Bytes(doc.Data()), after);
        }
        // Back to the content as read: the modified flag goes with it.
        while (m_frame->Action(cmd::kEditUndo)->isEnabled())
            Trigger(cmd::kEditUndo);
        QCOMPARE(Bytes(doc.Data()), initial);
        QVERIFY(!doc.IsModified());
        QCOMPARE(m_frame->Action(cmd::kEditUndo)->text(), "&Rückgängig\tStrg+Z");
        QCOMPARE(view->ViewMode(), int(ModeOverview)); // the open questionnaire is gone again
    }

    void searchBarFiltersAndRestores() {
        m_frame = Open(testfiles::MakeTrainingData(300));
        CVendrillView* view = View();
        cQuery& query = view->Query(); const cTrainingData& data = view->Document().Data();
        cTaskSearch index; index.Index(data);
        std::vector<std::uint32_t> all(data.m_aTasks.size()); std::iota(all.begin(), all.end(), 0u);
        const std::vector<std::uint32_t> found = index.Filter(all, "ae");
        QVERIFY(!found.empty() && found.size() < all.size());

        // From the overview the search runs over all tasks.
        Trigger(cmd::kEditFind);
        QLineEdit* field = view->SearchBar()->Field();
        QVERIFY(view->SearchBar()->isVisible() && QApplication::focusWidget() == field);
        QCOMPARE(query.RowCount(), int(all.size()));
        QTest::keyClicks(field, "Ä");
        QCOMPARE(query.RowTasks(), found);
        auto* table = view->findChild<QTableView*>(QStringLiteral("ctl1002"));
        QCOMPARE(table->model()->rowCount(), int(found.size()));
        // Enter in the field goes to the highlighted found task, as F3 does; Esc comes back.
        const int highlighted = query.TaskOfRow(query.SelectionMark());
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(std::pair(view->ViewMode(), query.TaskOfRow(query.CurrentRow())),
                 std::pair(int(ModeQuestion), highlighted));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);

        // A double click starts there; F3 and Shift+F3 step through the found tasks.
        viewtest::ViewFixture::DoubleClickRow(table, 1);
        QCOMPARE(view->ViewMode(), int(ModeQuestion));
        QCOMPARE(query.TaskOfRow(query.CurrentRow()), int(found[1]));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QCOMPARE(query.TaskOfRow(query.CurrentRow()), int(found[2]));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(query.TaskOfRow(query.CurrentRow()), int(found[0]));

        // Esc goes back to the found tasks, then ends the search where it began.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(view->ViewMode(), int(ModeTaskList));
        QCOMPARE(query.RowCount(), int(found.size()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!view->SearchBar()->isVisible() && view->ViewMode() == ModeOverview);

        // On a task list the close button gives back its rows in their order.
        query.OpenQuestionnaire(0);
        const std::vector<std::uint32_t> rows = query.RowTasks();
        Trigger(cmd::kEditFind);
        QTest::keyClicks(field, QStringLiteral("zzzz"));
        QCOMPARE(query.RowCount(), 0);
        view->SearchBar()->findChild<QToolButton*>(QStringLiteral("searchClose"))->click();
        QVERIFY(query.RowTasks() == rows && view->ViewMode() == ModeTaskList);
    }

    void tabOrderOfEachScreen_data() {
        // Questionnaire (-1 overview), row (-1 task list), OK pressed first, the Tab order.
        QTest::addColumn<int>("questionnaire"); QTest::addColumn<int>("row");
        QTest::addColumn<bool>("answer"); QTest::addColumn<QStringList>("order");
        QTest::newRow("overview") << -1 << -1 << false << QStringList{"ctl1009"};
        QTest::newRow("task list") << 0 << -1 << false << QStringList{"ctl1002"};
        // "Bearbeiten" is disabled here (no task editor), so Tab passes it by.
        QTest::newRow("question") << 0 << 2 << false
                                  << QStringList{"ctl1000", "ctl1003", "ctl1004", "ctl1014", "ctl1006",
                                                 "ctl1073", "ctl1007"};
        QTest::newRow("multiple choice")
            << 1 << 1 << false << QStringList{"ctl1077", "ctl1078", "ctl1003", "ctl1004", "ctl1014"};
        // The radio group is one stop (arrow keys choose within it), as everywhere.
        QTest::newRow("self-assessment")
            << 1 << 0 << true << QStringList{"ctl1000", "ctl1071", "ctl1076", "ctl1003"};
    }

    void tabOrderOfEachScreen() {
        QFETCH(int, questionnaire); QFETCH(int, row); QFETCH(bool, answer); QFETCH(QStringList, order);
        viewtest::ViewFixture f;
        if (questionnaire >= 0)
            f.Query().OpenQuestionnaire(questionnaire);
        if (row >= 0)
            f.Query().StartAt(row);
        if (answer) { f.Query().SetAnswerText("rot"); f.Query().OnAnswerOk(); }
        f.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
        QWidget* first = f.view->findChild<QWidget*>(order.first());
        first->setFocus(Qt::TabFocusReason);
        QStringList seen;
        for (int i = 0; i < order.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            seen << focus->objectName();
            QVERIFY(focus->hasFocus() && focus->isVisible()); // what has the focus shows it
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(seen, order);
        QCOMPARE(QApplication::focusWidget(), first); // round
    }

    void everyControlHasAName() {
        m_frame = Open(viewtest::SampleData());
        cQuery& query = View()->Query();
        QCOMPARE(Nameless(m_frame.get()), QStringList()); // overview
        query.OpenQuestionnaire(0);
        Trigger(cmd::kEditFind);
        QCOMPARE(Nameless(m_frame.get()), QStringList()); // task list with the search bar
        // The statistics image of "Baum" speaks its counters.
        const QAbstractItemModel* model = View()->findChild<QTableView*>(QStringLiteral("ctl1002"))->model();
        QCOMPARE(model->index(1, 1).data(Qt::AccessibleTextRole).toString(), "2 richtig, 1 falsch");
        View()->SearchBar()->Close();

        // The answer field names its task, and the verdict is announced.
        query.StartAt(0);
        QCOMPARE(View()->findChild<QWidget*>(QStringLiteral("ctl1000"))->accessibleName(),
                 QStringLiteral("Antwort zu Aufgabe 1"));
        auto* speech = View()->findChild<CViewAccessibility*>();
        QSignalSpy announced(speech, &CViewAccessibility::Announced);
        query.SetAnswerText("house"); query.OnAnswerOk();
        QCOMPARE(announced.count(), 1);
        QCOMPARE(speech->LastAnnouncement(), ToQString(query.LastVerdictText()));

        query.OpenQuestionnaire(1); query.StartAt(1); query.OnTickRow(0);
        QCOMPARE(Nameless(m_frame.get()), QStringList()); // multiple choice
        QCOMPARE(View()->findChild<QWidget*>(QStringLiteral("ctl1077"))->accessibleName(),
                 QStringLiteral("Antwort 1: Berlin, angekreuzt"));
        query.StartAt(0); query.OnAnswerOk();
        QCOMPARE(Nameless(m_frame.get()), QStringList()); // self-assessment
        m_boxes->answers = {ResultYes, ResultYes};
        Trigger(cmd::kExamStart);
        QCOMPARE(Nameless(m_frame.get()), QStringList()); // exam

        CTaskEditDlg task; CSplitDlg split; CFileSettingsDlg settings;
        CFilePropsDlg props; CSettingsDlg program;
        for (QDialog* dialog : std::initializer_list<QDialog*>{&task, &split, &settings, &props, &program}) {
            dialog->show();
            QCOMPARE(Nameless(dialog), QStringList());
        }
    }

    // Ctrl+Tab / Ctrl+Shift+Tab switch between the open files, Ctrl+F4 closes the active one;
    // Ctrl+A marks the text of a field and switches the task list's style elsewhere.
    void keysSwitchAndCloseDocuments() {
        m_frame = Open(viewtest::SampleData());
        const QString second = m_work->filePath(QStringLiteral("zweite.vdr"));
        QVERIFY(QFile::copy(m_work->filePath("training.vdr"), second) && m_frame->OpenDocumentFile(second));
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        CChildFrame* last = m_frame->ActiveChild();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(m_frame->ActiveChild() != last);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(m_frame->ActiveChild(), last);

        cQuery& query = View()->Query();
        query.OpenQuestionnaire(0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(!View()->IsDetailView());
        query.StartAt(0);
        auto* answer = View()->findChild<QPlainTextEdit*>(QStringLiteral("ctl1000"));
        QCOMPARE(QApplication::focusWidget(), answer);
        QTest::keyClicks(answer, QStringLiteral("house"));
        QTest::keyClick(answer, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(answer->textCursor().selectedText(), QStringLiteral("house"));
        QVERIFY(!View()->IsDetailView());
        answer->moveCursor(QTextCursor::End);
        QVERIFY(m_frame->Action(cmd::kEditSelectAll)->isEnabled());
        m_frame->Action(cmd::kEditSelectAll)->trigger();
        QCOMPARE(answer->textCursor().selectedText(), QStringLiteral("house"));

        // Home and End, with or without Ctrl, go to the first and the last task of the list.
        query.OpenQuestionnaire(1);
        auto* icons = View()->findChild<QListView*>(QStringLiteral("ctl1002Icons"));
        QCOMPARE(QApplication::focusWidget(), icons);
        for (const Qt::KeyboardModifier ctrl : {Qt::NoModifier, Qt::ControlModifier}) {
            QTest::keyClick(icons, Qt::Key_End, ctrl);
            QCOMPARE(query.SelectionMark(), query.RowCount() - 1);
            QTest::keyClick(icons, Qt::Key_Home, ctrl);
            QCOMPARE(query.SelectionMark(), 0);
        }
        View()->OnDetailView();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QCOMPARE(query.SelectionMark(), query.RowCount() - 1);

        // Ctrl+F4 closes the active file from the list and from the overview.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(m_frame->Children().size(), 1);
        QCOMPARE(View()->ViewMode(), int(ModeOverview));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(m_frame->Children().size(), 0);
    }

    // Two windows on one file: "Fragebogen löschen" takes the highlighted overview row, a
    // dialog leaves its window in front, and an exam ends (saying why) once the other window
    // changes its tasks.
    void windowsOnOneFile() {
        m_frame = Open(viewtest::SampleData());
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        CChildFrame* first = m_frame->ActiveChild();
        auto* overview = View()->findChild<QListView*>(QStringLiteral("ctl1009"));
        QTest::keyClick(overview, Qt::Key_Down);
        m_boxes->answers = {ResultYes};
        Trigger(cmd::kDeleteQuestionnaire);
        QVERIFY(ToQString(m_boxes->boxes.back().text).contains(QStringLiteral("\"Gemischt\"")));
        QCOMPARE(ToQString(View()->Query().OverviewTitle(1)), QStringLiteral("Prüfung"));
        QCOMPARE(View()->findChild<QLabel*>(QStringLiteral("ctl1064"))->text(),
                 QStringLiteral("Fragebogenübersicht (Doppelklicken Sie mit der linken Maustaste auf "
                                "einen Fragebogen, um ihn zu öffnen)"));

        Trigger(cmd::kNewWindow);
        CChildFrame* second = m_frame->ActiveChild();
        m_frame->MdiArea()->setActiveSubWindow(first);
        cQuery& exam = first->View()->Query();
        exam.SetRandom([] { return 0; });
        Trigger(cmd::kExamStart);
        QVERIFY(exam.ExamActive());
        const auto settings = [&] { Trigger(cmd::kFileSettings); };
        QVERIFY(ModalScript::Run({ModalScript::On("dlg137", {}, 2)}, settings));
        QCOMPARE(m_frame->ActiveChild(), first);
        QVERIFY(exam.ExamActive()); // the exam's tasks are still the same

        m_frame->MdiArea()->setActiveSubWindow(second);
        second->View()->Query().OpenQuestionnaire(0);
        m_boxes->answers = {ResultYes};
        Trigger(cmd::kDeleteTask);
        QVERIFY(!exam.ExamActive() && !exam.EvaluationActive());
        QCOMPARE(first->View()->ViewMode(), int(ModeOverview));
        QCOMPARE(ToQString(m_boxes->boxes.back().text),
                 QStringLiteral("Die Prüfungssimulation wurde beendet: In einem anderen Fenster wurden "
                                "Aufgaben oder Fragebögen dieser Datei geändert."));
    }

private:
    std::unique_ptr<CMainFrame> Open(const cTrainingData& data) {
        const QString path = m_work->filePath(QStringLiteral("training.vdr"));
        cTrainingData copy = data;
        auto frame = windowtest::ShowFrame(m_work->path());
        if (copy.WriteTrainingFile(path.toStdString()) != 0 || !frame->OpenDocumentFile(path))
            qFatal("could not open the training file");
        return frame;
    }
    CVendrillView* View() const { return m_frame->ActiveView(); }
    void Trigger(int id) { m_frame->Action(id)->trigger(); }

    QTemporaryDir m_programDir;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<RecordingPresenter> m_boxes;
    std::unique_ptr<CMainFrame> m_frame;
};

QTEST_MAIN(tst_UndoFind)
#include "tst_undofind.moc"
