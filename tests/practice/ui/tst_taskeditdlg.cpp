// "Aufgabe bearbeiten": the dialog's texts, each field from the task into its control and
// back byte for byte, typed values reaching their field, the answer count, the refusal of
// points outside 0 to 8 with the dialog kept open, cancelling, the file choosers, and
// editing and adding tasks through the real view and main window down to the file.

#include "practice/ui/TaskEditDlg.h"

#include "common/SameTrainingData.h"
#include "common/WindowTest.h"
#include "data/Task.h"
#include "practice/EditorDialogs.h"
#include "practice/ui/ViewTestSupport.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QtWidgets>

#include <functional>

using namespace viewtest;
using windowtest::Ctl;

namespace {

const std::string kPointsMessage =
    W("Die Punktzahl muss eine ganze Zahl von 0 bis 8 sein. Bitte korrigieren Sie das Feld "
      "\"Punkte\".");

// Replaces the text of an edit key by key, umlauts included, "\n" as the Return key.
void Retype(QWidget* edit, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(edit))
        line->clear();
    else
        qobject_cast<QPlainTextEdit*>(edit)->clear();
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\n'))
            QTest::keyClick(edit, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// What a control shows: its text, the current entry, or "x" when ticked.
QString Shown(const QWidget& dlg, int id) {
    QWidget* control = Ctl<QWidget>(dlg, id);
    if (auto* line = qobject_cast<QLineEdit*>(control))
        return line->text();
    if (auto* multi = qobject_cast<QPlainTextEdit*>(control))
        return multi->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    return qobject_cast<QAbstractButton*>(control)->isChecked() ? "x" : "";
}

bool Same(const cTask& a, const cTask& b) {
    return testfiles::StoredTaskFields(a) == testfiles::StoredTaskFields(b);
}

void ClickOk(QWidget& dlg) { QTest::mouseClick(Ctl<QPushButton>(dlg, 1), Qt::LeftButton); }

// A task with every field the editor shows set, and slots it must not touch.
cTask FullTask() {
    cTask t = TextTask("17", W("Welche Städte liegen am Rhein?"), W("Köln, Bonn"), 3);
    t.m_nType = TaskTypeMultipleChoice; t.m_strCategory = "Erdkunde";
    t.m_strPattern[0] = "unused"; t.m_strPattern[1] = "Koeln|Bonn"; t.m_strPattern[2] = "kept";
    t.m_nPatternCount = 3;
    t.m_strSound = "rhein.wav"; t.m_strPicture = "karten\\rhein.png";
    t.m_nPictureSize = 2; t.m_nPicturePlace = 1; t.m_nChoiceCount = 5;
    t.m_strChoice = {W("Köln"), "Bonn", "Berlin", "Mainz", "Dresden", "Basel", "Hamburg", "", "", ""};
    t.m_bChoiceRight = {true, true, false, true, false, true, false, false, false, false};
    t.m_strChoiceExtra[0] = "x"; t.m_bSelfAssess = true; t.m_nStats = {1, 2, 3, 4};
    return t;
}

// Texts that an edit cannot give back as they are: mixed line breaks, a tab, control
// characters and bytes without a character.
cTask OddTask() {
    cTask t = TextTask(" 7 ", "eins\r\nzwei\ndrei\rvier", "x\ty", 0);
    t.m_strCategory = std::string("\x80\x81\x9f\x01", 4);
    t.m_strChoice[0] = "a\r\nb"; t.m_nChoiceCount = 1;
    t.m_strSound = std::string("s\0.wav", 6);
    return t;
}

} // namespace

class tst_TaskEditDlg : public QObject {
    Q_OBJECT
    QTemporaryDir m_programDir;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        SetProgramDirPath(m_programDir.path());
    }

    void controlsHaveTheirTexts() {
        CTaskEditDlg dlg; dlg.show();
        QCOMPARE(dlg.objectName(), QStringLiteral("dlg134"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Aufgabe bearbeiten"));
        QCOMPARE(DialogTexts(dlg), QStringList({
            "ctl1014:-", "ctl1014:Multiple Choice", "ctl1014:Textaufgabe", "ctl1014:Zahleneingabe",
            "ctl1014:Anklickbild", "Aufgabentyp->ctl1014", "AufgabenNr->ctl1055", "Kategorie->ctl1056",
            "Punkte->ctl1054", "Aufgabentext->ctl1001", "Lösung->ctl1015", "Pattern->ctl1016",
            "Multiple-Choice-Antworten", "ctl1068:Selbstbewertung",
            "ctl1018:Groß-/Kleinschreibung berücksichtigen", "Sounddatei", "ctl1040:...",
            "ctl1045:Automatisch abspielen", "ctl1046:Button zum Abspielen anzeigen",
            "Bilddatei in der Aufgabe", "ctl1041:...", "ctl1044:Als Button anzeigen",
            "ctl1044:In Normaler Größe anzeigen", "ctl1044:Verkleinert anzeigen",
            "ctl1047:Über der Aufgabe anzeigen", "ctl1047:Unter der Aufgabe anzeigen", "ctl1:OK",
            "ctl2:Abbrechen"}));
    }

    void loadShowsTheTask() {
        CTaskEditDlg dlg; dlg.Load(FullTask()); dlg.show();
        QCOMPARE(dlg.TypeIndex(), 1);
        const std::pair<int, const char*> shown[] = {
            {1014, "Multiple Choice"}, {1001, "Welche Städte liegen am Rhein?"}, {1015, "Köln, Bonn"},
            {1016, "Koeln|Bonn"}, {1017, "rhein.wav"}, {1019, "karten\\rhein.png"},
            {1044, "Verkleinert anzeigen"}, {1047, "Unter der Aufgabe anzeigen"}, {1054, "3"},
            {1055, "17"}, {1056, "Erdkunde"}, {1075, "Köln"}, {1076, "Bonn"}, {1077, "Berlin"},
            {1078, "Mainz"}, {1079, "Dresden"}, {1074, "x"}, {1080, "x"}, {1081, ""}, {1082, "x"},
            {1083, ""}, {1068, "x"}};
        for (const auto& [id, text] : shown)
            QCOMPARE(Shown(dlg, id), QString::fromUtf8(text));
        // Odd texts: every kind of line break shows as one in the multi-line edits.
        CTaskEditDlg odd; odd.Load(OddTask());
        QCOMPARE(Shown(odd, 1001), QStringLiteral("eins\nzwei\ndrei\nvier"));
        QCOMPARE(Ctl<QComboBox>(odd, 1014)->currentIndex(), 2);
        QCOMPARE(Shown(odd, 1054), QStringLiteral("0"));
    }

    void untouchedDialogKeepsEveryByte() {
        cTask eight = TextTask("8", "q", "a", 8); eight.m_nChoiceCount = 0;
        // A value that names no entry shows none; confirming stores the 8-bit "no selection".
        cTask noEntry = FullTask();
        noEntry.m_nType = 9; noEntry.m_nPictureSize = 3; noEntry.m_nPicturePlace = 200;
        cTask noneStored = noEntry;
        noneStored.m_nType = noneStored.m_nPictureSize = noneStored.m_nPicturePlace = 255;
        const std::pair<cTask, cTask> cases[] = {
            {FullTask(), FullTask()}, {OddTask(), OddTask()}, {cTask(), cTask()}, {eight, eight},
            {noEntry, noneStored}};
        for (const auto& [task, result] : cases) {
            CTaskEditDlg dlg; dlg.Load(task); dlg.show();
            if (task.m_nType == 9) {
                for (int id : {1014, 1044, 1047})
                    QCOMPARE(Ctl<QComboBox>(dlg, id)->currentIndex(), -1);
                QCOMPARE(dlg.TypeIndex(), -1);
            }
            ClickOk(dlg);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            cTask stored = task; stored.m_strQuestion = "overwritten";
            dlg.Store(stored);
            // The pattern count is rewritten from the pattern text (2 with text, else 0).
            cTask expected = result; expected.m_nPatternCount = task.m_strPattern[1].empty() ? 0 : 2;
            QVERIFY2(Same(stored, expected), task.m_strQuestion.c_str());
        }
    }

    void typedFieldsAreStored() {
        // A combo takes the index, a check box "toggle"; change is all that may differ.
        struct Case { int id; const char* typed; std::function<void(cTask&)> change; };
        const Case cases[] = {
            {1001, "Neue Frage", [](cTask& t) { t.m_strQuestion = "Neue Frage"; }},
            {1001, "Zeile 1\nZeile 2", [](cTask& t) { t.m_strQuestion = "Zeile 1\r\nZeile 2"; }},
            {1015, "Lösung", [](cTask& t) { t.m_strSolution = W("Lösung"); }},
            {1016, "a|b", [](cTask& t) { t.m_strPattern[1] = "a|b"; }},
            {1016, "", [](cTask& t) { t.m_strPattern[1] = ""; t.m_nPatternCount = 0; }},
            {1017, "neu.wav", [](cTask& t) { t.m_strSound = "neu.wav"; }},
            {1019, "b\\c.png", [](cTask& t) { t.m_strPicture = "b\\c.png"; }},
            // Full marks move to the new top counter.
            {1054, "5", [](cTask& t) { t.m_nPoints = 5; t.m_nStats[3] = 0; t.m_nStats[5] = 4; }},
            {1055, "A7", [](cTask& t) { t.m_strTaskNo = "A7"; }},
            {1055, "", [](cTask& t) { t.m_strTaskNo = ""; }},
            {1056, "Größen", [](cTask& t) { t.m_strCategory = W("Größen"); }},
            {1014, "4", [](cTask& t) { t.m_nType = 4; }},
            {1014, "0", [](cTask& t) { t.m_nType = 0; }},
            {1044, "0", [](cTask& t) { t.m_nPictureSize = 0; }},
            {1047, "0", [](cTask& t) { t.m_nPicturePlace = 0; }},
            {1068, "toggle", [](cTask& t) { t.m_bSelfAssess = false; }},
            // Each answer box marks its own answer only.
            {1074, "toggle", [](cTask& t) { t.m_bChoiceRight[0] = false; }},
            {1080, "toggle", [](cTask& t) { t.m_bChoiceRight[1] = false; }},
            {1081, "toggle", [](cTask& t) { t.m_bChoiceRight[2] = true; }},
            {1082, "toggle", [](cTask& t) { t.m_bChoiceRight[3] = false; }},
            {1083, "toggle", [](cTask& t) { t.m_bChoiceRight[4] = true; }}};
        for (const Case& c : cases) {
            const QString typed = QString::fromUtf8(c.typed);
            cTask original = FullTask();
            original.m_nPatternCount = 2; // what an untouched pattern stores
            CTaskEditDlg dlg; dlg.Load(original); dlg.show();
            QWidget* control = Ctl<QWidget>(dlg, c.id);
            if (auto* combo = qobject_cast<QComboBox*>(control))
                combo->setCurrentIndex(typed.toInt());
            else if (auto* box = qobject_cast<QCheckBox*>(control))
                QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
            else
                Retype(control, typed);
            ClickOk(dlg);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            cTask stored = original, expected = original;
            dlg.Store(stored); c.change(expected);
            QVERIFY2(Same(stored, expected), qPrintable(QString::number(c.id) + " " + typed));
        }
    }

    void answerCountFollowsTheLastAnswer() {
        struct Case { QStringList answers; int before, after; };
        const Case cases[] = {
            {{"", "", "", "", ""}, 3, 3},  // all cleared keeps the count
            {{"a", "", "", "", ""}, 5, 1}, {{"a", "", "c", "", ""}, 1, 3}, {{"", "", "", "", "e"}, 0, 5},
            {{"a", " ", "", "", ""}, 0, 2}, // a blank is text
            {{"a", "b", "", "", ""}, 7, 2}};
        for (const Case& c : cases) {
            cTask task = FullTask();
            task.m_nChoiceCount = static_cast<std::uint8_t>(c.before);
            CTaskEditDlg dlg; dlg.Load(task); dlg.show();
            // Slots 6 to 10 are neither shown nor changed.
            cTask expected = task;
            expected.m_nChoiceCount = static_cast<std::uint8_t>(c.after); expected.m_nPatternCount = 2;
            for (int i = 0; i < 5; ++i) {
                Retype(Ctl<QLineEdit>(dlg, 1075 + i), c.answers[i]);
                expected.m_strChoice[i] = c.answers[i].toStdString();
            }
            ClickOk(dlg);
            dlg.Store(task);
            QVERIFY2(Same(task, expected), qPrintable(c.answers.join('|')));
        }
    }

    void pointsOutsideRangeAreRefused() {
        // The field is read as atol reads it; only values outside 0 to 8 are refused (-1).
        const std::pair<const char*, int> cases[] = {
            {"9", -1}, {"256", -1}, {"-1", -1}, {"8", 8}, {"  4 ", 4}, {"drei", 0}, {"3 Punkte", 3}};
        for (const auto& [typed, stored] : cases) {
            RecordingPresenter boxes;
            CTaskEditDlg dlg; dlg.Load(FullTask()); dlg.show();
            QLineEdit* points = Ctl<QLineEdit>(dlg, 1054);
            Retype(points, typed);
            ClickOk(dlg);
            cTask task = FullTask();
            if (stored < 0) {
                QCOMPARE(boxes.boxes.size(), std::size_t(1));
                QCOMPARE(boxes.boxes[0].currentId, 2);
                QCOMPARE(boxes.boxes[0].caption, std::string("Warnung   (Warnung #1)"));
                QCOMPARE(boxes.boxes[0].text, kPointsMessage);
                QVERIFY(dlg.isVisible() && dlg.result() == QDialog::Rejected);
                QCOMPARE(points->selectedText(), QString(typed));
                // Corrected, the same dialog is accepted.
                points->setText(QStringLiteral("2"));
                ClickOk(dlg);
            }
            QCOMPARE(boxes.boxes.size(), std::size_t(stored < 0 ? 1 : 0));
            QVERIFY(!dlg.isVisible() && dlg.result() == QDialog::Accepted);
            dlg.Store(task);
            QCOMPARE(int(task.m_nPoints), stored < 0 ? 2 : stored);
        }
    }

    void cancelLeavesTheTaskUntouched() {
        for (const bool button : {true, false}) {
            cTask task = FullTask();
            ModalScript script({[button](QWidget* modal) {
                if (modal->objectName() != QStringLiteral("dlg134"))
                    return false;
                Ctl<QPlainTextEdit>(*modal, 1001)->setPlainText(QStringLiteral("geändert"));
                Ctl<QLineEdit>(*modal, 1054)->setText(QStringLiteral("2"));
                Ctl<QCheckBox>(*modal, 1074)->setChecked(false);
                Ctl<QComboBox>(*modal, 1014)->setCurrentIndex(3);
                if (button)
                    ModalScript::Click(Ctl<QPushButton>(*modal, 2));
                else
                    QTimer::singleShot(0, modal, [modal] { QTest::keyClick(modal, Qt::Key_Escape); });
                return true;
            }});
            QVERIFY(!CTaskEditDlg::Edit(task, nullptr));
            QVERIFY(script.Done());
            QVERIFY(Same(task, FullTask()));
        }
    }

    void fileChoosersNameFilesRelatively() {
        RecordingPresenter boxes;
        testfiles::TempDir program, elsewhere;
        const QString dir = QString::fromStdString(program.Dir()) + QLatin1Char('/');
        QDir(dir).mkpath(QStringLiteral("bilder"));
        testfiles::WriteBytes(program.Path("ton.wav"), "RIFF");
        testfiles::WriteBytes(program.Path("bilder/karte.png"), "x");
        testfiles::WriteBytes(elsewhere.Path("fremd.png"), "x");
        CTaskEditDlg dlg; dlg.SetProgramDir(dir); dlg.Load(FullTask()); dlg.show();
        QStringList answers, asked;
        dlg.SetFileChooser([&](const QString& caption, const QString& folder, const QString&) {
            asked << caption + QLatin1Char('|') + folder;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
        const auto choose = [&](int button, const std::string& file) {
            if (!file.empty())
                answers << QString::fromStdString(file);
            QTest::mouseClick(Ctl<QPushButton>(dlg, button), Qt::LeftButton);
        };
        choose(1040, program.Path("ton.wav"));
        choose(1041, program.Path("bilder/karte.png"));
        QCOMPARE(asked, QStringList({"Sounddatei auswählen|" + dir, "Bilddatei auswählen|" + dir}));
        QVERIFY(boxes.boxes.empty());
        // Outside the program directory, or a sound in a sub-folder: a warning, no change;
        // a cancelled chooser changes nothing either.
        choose(1041, elsewhere.Path("fremd.png"));
        choose(1040, program.Path("bilder/karte.png"));
        choose(1041, "");
        QCOMPARE(boxes.boxes.size(), std::size_t(2));
        QCOMPARE(boxes.boxes[0].currentId, 2);
        QCOMPARE(boxes.boxes[0].text, MediaNameMessage(MediaNameOutside, false));
        QCOMPARE(boxes.boxes[1].text, MediaNameMessage(MediaNameUnusable, true));
        // The chosen files, relative to the program directory, and nothing of the refused.
        ClickOk(dlg);
        cTask task;
        dlg.Store(task);
        QCOMPARE(task.m_strSound, std::string("ton.wav"));
        QCOMPARE(task.m_strPicture, std::string("bilder\\karte.png"));
    }

    void editAndAddInViewReachTheFile() {
        ViewFixture f;
        f.view->SetTaskEditor(&CTaskEditDlg::Edit);
        f.Ask(QVocabulary, 1);
        QVERIFY(f.Widget(1013)->isVisible() && f.Widget(1013)->isEnabled());
        f.Type(QStringLiteral("tr"));
        QString shownQuestion;
        QVERIFY(ModalScript::Run({ModalScript::On("dlg134", [&](QWidget& dlg) {
            shownQuestion = Shown(dlg, 1001);
            Ctl<QPlainTextEdit>(dlg, 1001)->setPlainText(QStringLiteral("Baum (Pflanze)"));
            Ctl<QLineEdit>(dlg, 1054)->setText(QStringLiteral("2"));
            Ctl<QLineEdit>(dlg, 1056)->setText(QStringLiteral("Natur"));
        }, 1)}, [&] { f.Click(1013); }));
        QCOMPARE(shownQuestion, QStringLiteral("Baum"));
        QVERIFY(f.doc->IsModified());
        QCOMPARE(f.TaskList()->model()->index(1, 2).data().toString(), QStringLiteral("Baum (Pflanze)"));
        // The question screen shows the edited task at once, the answer typed so far kept.
        QCOMPARE(f.Mode(), 4);
        QCOMPARE(f.ResultText(), QStringLiteral("Übersetzen Sie: Baum (Pflanze)"));
        QCOMPARE(f.Answer()->toPlainText(), QStringLiteral("tr"));

        // A new task takes the proposed number after the last one ("21") and its category;
        // it joins "Alle Aufgaben" only.
        QTest::keyClick(f.Answer(), Qt::Key_Escape); QTest::keyClick(f.TaskList(), Qt::Key_Escape);
        f.OpenQuestionnaire(QAll);
        const int rowsBefore = f.TaskList()->model()->rowCount();
        QVERIFY(f.view->IsCommandEnabled(cmd::kNewTask));
        QVERIFY(ModalScript::Run({ModalScript::On("dlg134", [&](QWidget& dlg) {
            Ctl<QComboBox>(dlg, 1014)->setCurrentIndex(TaskTypeText);
            Ctl<QPlainTextEdit>(dlg, 1001)->setPlainText(QStringLiteral("Tisch"));
            Ctl<QPlainTextEdit>(dlg, 1015)->setPlainText(QStringLiteral("table"));
        }, 1)}, [&] { QVERIFY(f.view->ExecuteCommand(cmd::kNewTask)); }));
        QCOMPARE(f.TaskList()->model()->rowCount(), rowsBefore + 1);

        const cTrainingData d = f.Closed();
        cTrainingData expected = SampleData();
        cTask& tree = expected.m_aTasks[TaskTree];
        tree.m_strQuestion = "Baum (Pflanze)"; tree.m_nPoints = 2; tree.m_nStats = {1, 0, 2};
        tree.m_strCategory = "Natur";
        expected.m_aTasks.push_back(TextTask("22", "Tisch", "table"));
        QCOMPARE(d.m_aTasks.size(), expected.m_aTasks.size());
        for (std::size_t i = 0; i < d.m_aTasks.size(); ++i)
            QVERIFY2(Same(d.m_aTasks[i], expected.m_aTasks[i]), qPrintable(QString::number(i)));
        QCOMPARE(d.m_aQuestionnaires.back().m_aTaskIndex.back(), std::uint32_t(d.m_aTasks.size() - 1));
        QCOMPARE(d.m_aQuestionnaires[QVocabulary].m_aTaskIndex,
                 SampleData().m_aQuestionnaires[QVocabulary].m_aTaskIndex);
    }

    void windowCommandsOpenTheEditors() {
        // Every child window comes with both editors: the menu commands and "Bearbeiten".
        testfiles::TempDir work;
        const std::string path = work.Path("datei.vdr");
        cTrainingData data = SampleData();
        QCOMPARE(data.WriteTrainingFile(path), 0);
        RecordingPresenter boxes;
        auto frame = windowtest::ShowFrame(QString::fromStdString(work.Dir()));
        CChildFrame* child = frame->OpenDocumentFile(QString::fromStdString(path));
        QVERIFY(child);
        CVendrillView* view = child->View();
        view->Query().OpenQuestionnaire(QVocabulary); // proposals: number "22" in "Vokabeln"
        QTRY_VERIFY(frame->Action(cmd::kNewTask)->isEnabled());
        QVERIFY(frame->Action(cmd::kSplitQuestionnaire)->isEnabled());
        QStringList seen;
        const auto cancel = [&seen](const char* dialog, int shownId) {
            return ModalScript::On(dialog, [&seen, shownId](QWidget& d) { seen << Shown(d, shownId); }, 2);
        };
        const auto editors = {cancel("dlg134", 1055), cancel("dlg146", 1058), cancel("dlg134", 1001)};
        QVERIFY(ModalScript::Run(editors, [&] {
            frame->Action(cmd::kNewTask)->trigger();
            frame->Action(cmd::kSplitQuestionnaire)->trigger();
            view->Query().StartAt(0);
            QTest::mouseClick(Ctl<QPushButton>(*view, 1013), Qt::LeftButton);
        }));
        QCOMPARE(seen, QStringList({"22", "Vokabeln", "Haus"}));
        QVERIFY(!child->Document().IsModified());
        QCOMPARE(child->Document().Data().m_aTasks.size(), data.m_aTasks.size());
    }
};

QTEST_MAIN(tst_TaskEditDlg)
#include "tst_taskeditdlg.moc"
