// "Aufgabe bearbeiten": every control and its text, loading and storing each field, the
// exact bytes of untouched texts, the answer-count rule, the refusal of points outside 0
// to 8 with the dialog staying open, cancelling, the file choosers, and editing and
// adding tasks through the real view down to the file on disk.

#include "practice/ui/TaskEditDlg.h"

#include "data/Task.h"
#include "practice/EditorDialogs.h"
#include "practice/ui/ViewTestSupport.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace viewtest;

namespace {

const std::string kPointsMessage =
    W("Die Punktzahl muss eine ganze Zahl von 0 bis 8 sein. Bitte korrigieren Sie das Feld "
      "\"Punkte\".");

template <class T> T* Ctl(QWidget& dlg, int id) {
    return dlg.findChild<T*>(QStringLiteral("ctl%1").arg(id));
}

// Types text key by key, umlauts included.
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

QStringList ComboEntries(QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

// What a control shows: its text, the current entry, or "x" when ticked.
QString Shown(QWidget& dlg, int id) {
    QWidget* control = Ctl<QWidget>(dlg, id);
    if (auto* line = qobject_cast<QLineEdit*>(control))
        return line->text();
    if (auto* multi = qobject_cast<QPlainTextEdit*>(control))
        return multi->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    return qobject_cast<QAbstractButton*>(control)->isChecked() ? "x" : "";
}

QStringList LabelTexts(QWidget& dlg) {
    QStringList list;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        list << label->text();
    return list;
}

// Every field of a task that the file stores, by name.
QMap<QString, QByteArray> Fields(const cTask& t) {
    QMap<QString, QByteArray> m;
    const auto num = [](int v) { return QByteArray::number(v); };
    const auto str = [](const std::string& v) { return QByteArray::fromStdString(v); };
    m["type"] = num(t.m_nType);
    m["question"] = str(t.m_strQuestion);
    m["solution"] = str(t.m_strSolution);
    m["taskNo"] = str(t.m_strTaskNo);
    m["category"] = str(t.m_strCategory);
    m["sound"] = str(t.m_strSound);
    m["picture"] = str(t.m_strPicture);
    m["size"] = num(t.m_nPictureSize);
    m["place"] = num(t.m_nPicturePlace);
    m["points"] = num(t.m_nPoints);
    m["patterns"] = num(t.m_nPatternCount);
    m["choices"] = num(t.m_nChoiceCount);
    m["choiceValue"] = num(t.m_nChoiceValue);
    m["choiceFlag"] = num(t.m_bChoiceFlag);
    m["self"] = num(t.m_bSelfAssess);
    for (int i = 0; i < kTaskSlots; ++i) {
        m["choice" + QString::number(i)] = str(t.m_strChoice[i]);
        m["extra" + QString::number(i)] = str(t.m_strChoiceExtra[i]);
        m["right" + QString::number(i)] = num(t.m_bChoiceRight[i]);
        m["pattern" + QString::number(i)] = str(t.m_strPattern[i]);
        m["stats" + QString::number(i)] = num(int(t.m_nStats[i]));
    }
    return m;
}

// All fields as one byte string, for whole-task comparisons.
QByteArray Dump(const cTask& t) {
    QByteArray out;
    const QMap<QString, QByteArray> m = Fields(t);
    for (auto it = m.begin(); it != m.end(); ++it)
        out += it.key().toLatin1() + '=' + it.value() + ';';
    return out;
}

// A task with every field the editor shows set, and slots it must not touch.
cTask FullTask() {
    cTask t = TextTask("17", W("Welche Städte liegen am Rhein?"), W("Köln, Bonn"), 3);
    t.m_nType = TaskTypeMultipleChoice;
    t.m_strCategory = "Erdkunde";
    t.m_strPattern[0] = "unused";
    t.m_strPattern[1] = "Koeln|Bonn";
    t.m_strPattern[2] = "kept";
    t.m_nPatternCount = 3;
    t.m_strSound = "rhein.wav";
    t.m_strPicture = "karten\\rhein.png";
    t.m_nPictureSize = 2;
    t.m_nPicturePlace = 1;
    t.m_nChoiceCount = 5;
    t.m_strChoice = {W("Köln"), "Bonn", "Berlin", "Mainz", "Dresden", "Basel", "Hamburg", "", "", ""};
    t.m_bChoiceRight = {true, true, false, true, false, true, false, false, false, false};
    t.m_strChoiceExtra[0] = "x";
    t.m_bSelfAssess = true;
    t.m_nStats = {1, 2, 3, 4};
    return t;
}

// Texts that an edit cannot give back as they are: mixed line breaks, a tab, control
// characters and bytes without a character.
cTask OddTask() {
    cTask t = TextTask(" 7 ", "eins\r\nzwei\ndrei\rvier", "x\ty", 0);
    t.m_strCategory = std::string("\x80\x81\x9f\x01", 4);
    t.m_strChoice[0] = "a\r\nb";
    t.m_nChoiceCount = 1;
    t.m_strSound = std::string("s\0.wav", 6);
    return t;
}

} // namespace

Q_DECLARE_METATYPE(cTask)

class tst_TaskEditDlg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void controlsHaveTheirTexts();
    void loadShowsTheTask();
    void untouchedDialogKeepsEveryByte_data();
    void untouchedDialogKeepsEveryByte();
    void typedFieldsAreStored_data();
    void typedFieldsAreStored();
    void valuesWithoutEntryStoreNoSelection();
    void answerCountFollowsTheLastAnswer_data();
    void answerCountFollowsTheLastAnswer();
    void pointsOutsideRangeAreRefused_data();
    void pointsOutsideRangeAreRefused();
    void cancelLeavesTheTaskUntouched();
    void fileChoosersNameFilesRelatively();
    void editInViewIsWrittenOnClose();
    void newTaskInViewGoesToFileAndAllTasks();
    void windowCommandsOpenTheEditors();
    void screenshot();

private:
    QTemporaryDir m_programDir;
};

void tst_TaskEditDlg::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    SetProgramDirPath(m_programDir.path());
}

void tst_TaskEditDlg::controlsHaveTheirTexts() {
    CTaskEditDlg dlg;
    dlg.show();
    QCOMPARE(dlg.objectName(), QStringLiteral("dlg134"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Aufgabe bearbeiten"));
    QCOMPARE(ComboEntries(Ctl<QComboBox>(dlg, 1014)),
             QStringList({"-", "Multiple Choice", "Textaufgabe", "Zahleneingabe", "Anklickbild"}));
    QCOMPARE(ComboEntries(Ctl<QComboBox>(dlg, 1044)),
             QStringList({"Als Button anzeigen", QString::fromUtf8("In Normaler Größe anzeigen"),
                          "Verkleinert anzeigen"}));
    QCOMPARE(ComboEntries(Ctl<QComboBox>(dlg, 1047)),
             QStringList({QString::fromUtf8("Über der Aufgabe anzeigen"),
                          "Unter der Aufgabe anzeigen"}));
    const QStringList labels = LabelTexts(dlg);
    for (const char* text : {"Aufgabentyp", "Aufgabentext", "Lösung", "Pattern", "Punkte",
                             "AufgabenNr", "Kategorie"})
        QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    QStringList groups;
    for (QGroupBox* g : dlg.findChildren<QGroupBox*>())
        groups << g->title();
    QVERIFY(groups.contains(QStringLiteral("Sounddatei")));
    QVERIFY(groups.contains(QStringLiteral("Bilddatei in der Aufgabe")));
    const std::pair<int, const char*> buttons[] = {
        {1068, "Selbstbewertung"}, {1018, "Groß-/Kleinschreibung berücksichtigen"},
        {1045, "Automatisch abspielen"}, {1046, "Button zum Abspielen anzeigen"},
        {1040, "..."}, {1041, "..."}, {1, "OK"}, {2, "Abbrechen"}};
    for (const auto& [id, text] : buttons)
        QCOMPARE(Ctl<QAbstractButton>(dlg, id)->text(), QString::fromUtf8(text));
}

void tst_TaskEditDlg::loadShowsTheTask() {
    CTaskEditDlg dlg;
    dlg.Load(FullTask());
    dlg.show();
    QCOMPARE(dlg.TypeIndex(), 1);
    const std::pair<int, const char*> shown[] = {
        {1014, "Multiple Choice"}, {1001, "Welche Städte liegen am Rhein?"},
        {1015, "Köln, Bonn"}, {1016, "Koeln|Bonn"}, {1017, "rhein.wav"},
        {1019, "karten\\rhein.png"}, {1044, "Verkleinert anzeigen"},
        {1047, "Unter der Aufgabe anzeigen"}, {1054, "3"}, {1055, "17"}, {1056, "Erdkunde"},
        {1075, "Köln"}, {1076, "Bonn"}, {1077, "Berlin"}, {1078, "Mainz"}, {1079, "Dresden"},
        {1074, "x"}, {1080, "x"}, {1081, ""}, {1082, "x"}, {1083, ""}, {1068, "x"}};
    for (const auto& [id, text] : shown)
        QCOMPARE(Shown(dlg, id), QString::fromUtf8(text));

    // Odd texts: every kind of line break shows as one in the multi-line edits.
    CTaskEditDlg odd;
    odd.Load(OddTask());
    QCOMPARE(Ctl<QPlainTextEdit>(odd, 1001)->toPlainText(), QStringLiteral("eins\nzwei\ndrei\nvier"));
    QCOMPARE(Ctl<QComboBox>(odd, 1014)->currentIndex(), 2);
    QCOMPARE(Ctl<QLineEdit>(odd, 1054)->text(), QStringLiteral("0"));
}

void tst_TaskEditDlg::untouchedDialogKeepsEveryByte_data() {
    QTest::addColumn<cTask>("task");
    QTest::newRow("every field") << FullTask();
    QTest::newRow("odd bytes") << OddTask();
    QTest::newRow("new task") << cTask();
    cTask eight = TextTask("8", "q", "a", 8);
    eight.m_nChoiceCount = 0;
    QTest::newRow("eight points, no answers") << eight;
}

void tst_TaskEditDlg::untouchedDialogKeepsEveryByte() {
    QFETCH(cTask, task);
    CTaskEditDlg dlg;
    dlg.Load(task);
    dlg.show();
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    cTask stored = task;
    stored.m_strQuestion = "overwritten";
    dlg.Store(stored);
    // The pattern count is rewritten from the pattern text (2 with text, else 0).
    cTask expected = task;
    expected.m_nPatternCount = task.m_strPattern[1].empty() ? 0 : 2;
    QCOMPARE(Dump(stored), Dump(expected));
}

void tst_TaskEditDlg::typedFieldsAreStored_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("typed"); // a combo takes the index, a check box "toggle"
    QTest::addColumn<QStringList>("fields"); // every field that changes, with its bytes
    QTest::addColumn<QList<QByteArray>>("stored");
    using B = QList<QByteArray>;
    const auto bytes = [](const char* utf8) { return QByteArray::fromStdString(W(utf8)); };
    QTest::newRow("question") << 1001 << "Neue Frage" << QStringList{"question"} << B{"Neue Frage"};
    QTest::newRow("question lines") << 1001 << "Zeile 1\nZeile 2" << QStringList{"question"}
                                    << B{"Zeile 1\r\nZeile 2"};
    QTest::newRow("solution umlaut") << 1015 << "Lösung" << QStringList{"solution"}
                                     << B{bytes("Lösung")};
    QTest::newRow("pattern set") << 1016 << "a|b" << QStringList{"pattern1"} << B{"a|b"};
    QTest::newRow("pattern cleared") << 1016 << "" << QStringList{"pattern1", "patterns"}
                                     << B{"", "0"};
    QTest::newRow("sound") << 1017 << "neu.wav" << QStringList{"sound"} << B{"neu.wav"};
    QTest::newRow("picture") << 1019 << "b\\c.png" << QStringList{"picture"} << B{"b\\c.png"};
    // Full marks move to the new top counter.
    QTest::newRow("points") << 1054 << "5" << QStringList{"points", "stats3", "stats5"}
                            << B{"5", "0", "4"};
    QTest::newRow("number") << 1055 << "A7" << QStringList{"taskNo"} << B{"A7"};
    QTest::newRow("number empty") << 1055 << "" << QStringList{"taskNo"} << B{""};
    QTest::newRow("category") << 1056 << "Größen" << QStringList{"category"} << B{bytes("Größen")};
    QTest::newRow("type") << 1014 << "4" << QStringList{"type"} << B{"4"};
    QTest::newRow("type none") << 1014 << "0" << QStringList{"type"} << B{"0"};
    QTest::newRow("size") << 1044 << "0" << QStringList{"size"} << B{"0"};
    QTest::newRow("place") << 1047 << "0" << QStringList{"place"} << B{"0"};
    QTest::newRow("self-assessment") << 1068 << "toggle" << QStringList{"self"} << B{"0"};
    // Each answer box marks its own answer only.
    const int boxes[] = {1074, 1080, 1081, 1082, 1083};
    for (int i = 0; i < 5; ++i)
        QTest::addRow("answer box %d", i + 1)
            << boxes[i] << "toggle" << QStringList{"right" + QString::number(i)}
            << B{FullTask().m_bChoiceRight[i] ? "0" : "1"};
}

void tst_TaskEditDlg::typedFieldsAreStored() {
    QFETCH(int, id);
    QFETCH(QString, typed);
    QFETCH(QStringList, fields);
    QFETCH(QList<QByteArray>, stored);
    cTask original = FullTask();
    original.m_nPatternCount = 2; // what an untouched pattern stores
    CTaskEditDlg dlg;
    dlg.Load(original);
    dlg.show();
    QWidget* control = Ctl<QWidget>(dlg, id);
    QVERIFY(control);
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->clear();
        TypeText(line, typed);
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(control)) {
        multi->clear();
        const QStringList lines = typed.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(multi, Qt::Key_Return);
            TypeText(multi, lines[i]);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setCurrentIndex(typed.toInt());
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
    }
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    cTask task = original;
    dlg.Store(task);
    // The named fields have the typed value, and nothing else moved.
    const QMap<QString, QByteArray> before = Fields(original);
    const QMap<QString, QByteArray> after = Fields(task);
    QStringList changed;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value())
            changed << it.key();
    if (fields.size() == 1 && before.value(fields[0]) == stored[0])
        changed << fields[0]; // typed what was there already
    QCOMPARE(changed, fields);
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(after.value(fields[i]), stored[i]);
}

void tst_TaskEditDlg::valuesWithoutEntryStoreNoSelection() {
    // A value that names no entry shows none; confirming stores the 8-bit "no selection".
    cTask task = FullTask();
    task.m_nType = 9;
    task.m_nPictureSize = 3;
    task.m_nPicturePlace = 200;
    CTaskEditDlg dlg;
    dlg.Load(task);
    dlg.show();
    for (int id : {1014, 1044, 1047})
        QCOMPARE(Ctl<QComboBox>(dlg, id)->currentIndex(), -1);
    QCOMPARE(dlg.TypeIndex(), -1);
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1), Qt::LeftButton);
    dlg.Store(task);
    QCOMPARE(int(task.m_nType), 255);
    QCOMPARE(int(task.m_nPictureSize), 255);
    QCOMPARE(int(task.m_nPicturePlace), 255);
}

void tst_TaskEditDlg::answerCountFollowsTheLastAnswer_data() {
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("all cleared keeps the count") << QStringList{"", "", "", "", ""} << 3 << 3;
    QTest::newRow("first only") << QStringList{"a", "", "", "", ""} << 5 << 1;
    QTest::newRow("gap counts up to the last") << QStringList{"a", "", "c", "", ""} << 1 << 3;
    QTest::newRow("fifth only") << QStringList{"", "", "", "", "e"} << 0 << 5;
    QTest::newRow("blank is text") << QStringList{"a", " ", "", "", ""} << 0 << 2;
    QTest::newRow("more than five before") << QStringList{"a", "b", "", "", ""} << 7 << 2;
}

void tst_TaskEditDlg::answerCountFollowsTheLastAnswer() {
    QFETCH(QStringList, answers);
    QFETCH(int, before);
    QFETCH(int, after);
    cTask task = FullTask();
    task.m_nChoiceCount = static_cast<std::uint8_t>(before);
    CTaskEditDlg dlg;
    dlg.Load(task);
    dlg.show();
    const int ids[] = {1075, 1076, 1077, 1078, 1079};
    for (int i = 0; i < 5; ++i) {
        Ctl<QLineEdit>(dlg, ids[i])->clear();
        TypeText(Ctl<QLineEdit>(dlg, ids[i]), answers[i]);
    }
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1), Qt::LeftButton);
    dlg.Store(task);
    QCOMPARE(int(task.m_nChoiceCount), after);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(QString::fromStdString(task.m_strChoice[i]), answers[i]);
    // Slots 6 to 10 are neither shown nor changed.
    QCOMPARE(task.m_strChoice[5], std::string("Basel"));
    QCOMPARE(task.m_strChoice[6], std::string("Hamburg"));
    QVERIFY(task.m_bChoiceRight[5]);
}

void tst_TaskEditDlg::pointsOutsideRangeAreRefused_data() {
    // The field is read as atol reads it; only values outside 0 to 8 are refused.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored"); // -1: refused
    QTest::newRow("9") << "9" << -1;
    QTest::newRow("256 would wrap to 0") << "256" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("8") << "8" << 8;
    QTest::newRow("blanks around") << "  4 " << 4;
    QTest::newRow("letters read as 0") << "drei" << 0;
    QTest::newRow("number then text") << "3 Punkte" << 3;
}

void tst_TaskEditDlg::pointsOutsideRangeAreRefused() {
    QFETCH(QString, typed);
    QFETCH(int, stored);
    RecordingPresenter boxes;
    CTaskEditDlg dlg;
    dlg.Load(FullTask());
    dlg.show();
    QLineEdit* points = Ctl<QLineEdit>(dlg, 1054);
    points->clear();
    TypeText(points, typed);
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1), Qt::LeftButton);
    cTask task = FullTask();
    if (stored >= 0) {
        QVERIFY(boxes.boxes.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        dlg.Store(task);
        QCOMPARE(int(task.m_nPoints), stored);
        return;
    }
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    QCOMPARE(boxes.boxes[0].currentId, 2);
    QCOMPARE(QByteArray::fromStdString(boxes.boxes[0].caption),
             QByteArrayLiteral("Warnung   (Warnung #1)"));
    QCOMPARE(QByteArray::fromStdString(boxes.boxes[0].text),
             QByteArray::fromStdString(kPointsMessage));
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(points->text(), typed);
    QCOMPARE(points->selectedText(), typed);
    // Corrected, the same dialog is accepted.
    points->setText(QStringLiteral("2"));
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    dlg.Store(task);
    QCOMPARE(int(task.m_nPoints), 2);
}

void tst_TaskEditDlg::cancelLeavesTheTaskUntouched() {
    for (const char* how : {"button", "escape"}) {
        cTask task = FullTask();
        const QByteArray before = Dump(task);
        ModalScript script({[how](QWidget* modal) {
            if (modal->objectName() != QStringLiteral("dlg134"))
                return false;
            Ctl<QPlainTextEdit>(*modal, 1001)->setPlainText(QStringLiteral("geändert"));
            Ctl<QLineEdit>(*modal, 1054)->setText(QStringLiteral("2"));
            Ctl<QCheckBox>(*modal, 1074)->setChecked(false);
            Ctl<QComboBox>(*modal, 1014)->setCurrentIndex(3);
            if (QByteArray(how) == "button")
                ModalScript::Click(Ctl<QPushButton>(*modal, 2));
            else
                QTimer::singleShot(0, modal, [modal] { QTest::keyClick(modal, Qt::Key_Escape); });
            return true;
        }});
        QVERIFY(!CTaskEditDlg::Edit(task, nullptr));
        QVERIFY(script.Done());
        QCOMPARE(Dump(task), before);
    }
}

void tst_TaskEditDlg::fileChoosersNameFilesRelatively() {
    RecordingPresenter boxes;
    testfiles::TempDir program;
    testfiles::TempDir elsewhere;
    QDir(QString::fromStdString(program.Dir())).mkpath(QStringLiteral("bilder"));
    testfiles::WriteBytes(program.Path("ton.wav"), "RIFF");
    testfiles::WriteBytes(program.Path("bilder/karte.png"), "x");
    testfiles::WriteBytes(elsewhere.Path("fremd.png"), "x");

    CTaskEditDlg dlg;
    dlg.SetProgramDir(QString::fromStdString(program.Dir()) + QLatin1Char('/'));
    dlg.Load(FullTask());
    dlg.show();
    QStringList answers;
    QStringList asked;
    dlg.SetFileChooser([&](const QString& caption, const QString& dir, const QString&) {
        asked << caption + QLatin1Char('|') + dir;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    });
    QLineEdit* sound = Ctl<QLineEdit>(dlg, 1017);
    QLineEdit* picture = Ctl<QLineEdit>(dlg, 1019);

    answers << QString::fromStdString(program.Path("ton.wav"));
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1040), Qt::LeftButton);
    QCOMPARE(sound->text(), QStringLiteral("ton.wav"));
    answers << QString::fromStdString(program.Path("bilder/karte.png"));
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1041), Qt::LeftButton);
    QCOMPARE(picture->text(), QStringLiteral("bilder\\karte.png"));
    QCOMPARE(asked, QStringList({QString::fromUtf8("Sounddatei auswählen|") +
                                     QString::fromStdString(program.Dir()) + "/",
                                 QString::fromUtf8("Bilddatei auswählen|") +
                                     QString::fromStdString(program.Dir()) + "/"}));
    QVERIFY(boxes.boxes.empty());

    // Outside the program directory, or a sound in a sub-folder: a warning, no change.
    answers << QString::fromStdString(elsewhere.Path("fremd.png"));
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1041), Qt::LeftButton);
    answers << QString::fromStdString(program.Path("bilder/karte.png"));
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1040), Qt::LeftButton);
    QCOMPARE(picture->text(), QStringLiteral("bilder\\karte.png"));
    QCOMPARE(sound->text(), QStringLiteral("ton.wav"));
    QCOMPARE(boxes.boxes.size(), std::size_t(2));
    QCOMPARE(boxes.boxes[0].currentId, 2);
    QCOMPARE(boxes.boxes[0].text, MediaNameMessage(MediaNameOutside, false));
    QCOMPARE(boxes.boxes[1].text, MediaNameMessage(MediaNameUnusable, true));

    // A cancelled chooser changes nothing.
    QTest::mouseClick(Ctl<QPushButton>(dlg, 1041), Qt::LeftButton);
    QCOMPARE(picture->text(), QStringLiteral("bilder\\karte.png"));
    QCOMPARE(boxes.boxes.size(), std::size_t(2));

    QTest::mouseClick(Ctl<QPushButton>(dlg, 1), Qt::LeftButton);
    cTask task;
    dlg.Store(task);
    QCOMPARE(task.m_strSound, std::string("ton.wav"));
    QCOMPARE(task.m_strPicture, std::string("bilder\\karte.png"));
}

void tst_TaskEditDlg::editInViewIsWrittenOnClose() {
    ViewFixture f;
    f.view->SetTaskEditor(&CTaskEditDlg::Edit);
    f.OpenQuestionnaire(QVocabulary);
    f.StartAtRow(1);
    QCOMPARE(f.Mode(), 4);
    QVERIFY(f.Widget(1013)->isVisible());
    QVERIFY(f.Widget(1013)->isEnabled());
    f.Type(QStringLiteral("tr"));
    QString shownQuestion;
    ModalScript script({[&](QWidget* modal) {
        if (modal->objectName() != QStringLiteral("dlg134"))
            return false;
        shownQuestion = Ctl<QPlainTextEdit>(*modal, 1001)->toPlainText();
        Ctl<QPlainTextEdit>(*modal, 1001)->setPlainText(QStringLiteral("Baum (Pflanze)"));
        Ctl<QLineEdit>(*modal, 1054)->setText(QStringLiteral("2"));
        Ctl<QLineEdit>(*modal, 1056)->setText(QStringLiteral("Natur"));
        ModalScript::Click(Ctl<QPushButton>(*modal, 1));
        return true;
    }});
    f.Click(1013);
    QVERIFY(script.Done());
    QCOMPARE(shownQuestion, QStringLiteral("Baum"));
    QVERIFY(f.doc->IsModified());
    QCOMPARE(f.TaskList()->model()->index(1, 2).data().toString(), QStringLiteral("Baum (Pflanze)"));
    // The question screen shows the edited task at once, the answer typed so far kept.
    QCOMPARE(f.Mode(), 4);
    QCOMPARE(f.ResultText(), QStringLiteral("Übersetzen Sie: Baum (Pflanze)"));
    QCOMPARE(f.Answer()->toPlainText(), QStringLiteral("tr"));

    f.Close();
    const cTrainingData d = f.Reread();
    cTrainingData expected = SampleData();
    expected.m_aTasks[TaskTree].m_strQuestion = "Baum (Pflanze)";
    expected.m_aTasks[TaskTree].m_nPoints = 2;
    expected.m_aTasks[TaskTree].m_nStats = {1, 0, 2};
    expected.m_aTasks[TaskTree].m_strCategory = "Natur";
    QCOMPARE(d.m_aTasks.size(), expected.m_aTasks.size());
    for (std::size_t i = 0; i < d.m_aTasks.size(); ++i)
        QCOMPARE(Dump(d.m_aTasks[i]), Dump(expected.m_aTasks[i]));
}

void tst_TaskEditDlg::newTaskInViewGoesToFileAndAllTasks() {
    ViewFixture f;
    f.view->SetTaskEditor(&CTaskEditDlg::Edit);
    f.OpenQuestionnaire(QAll);
    const int rowsBefore = f.TaskList()->model()->rowCount();
    QVERIFY(f.view->IsCommandEnabled(cmd::kNewTask));
    QString proposedNo, proposedCategory;
    ModalScript script({[&](QWidget* modal) {
        if (modal->objectName() != QStringLiteral("dlg134"))
            return false;
        proposedNo = Ctl<QLineEdit>(*modal, 1055)->text();
        proposedCategory = Ctl<QLineEdit>(*modal, 1056)->text();
        Ctl<QComboBox>(*modal, 1014)->setCurrentIndex(TaskTypeText);
        Ctl<QPlainTextEdit>(*modal, 1001)->setPlainText(QStringLiteral("Tisch"));
        Ctl<QPlainTextEdit>(*modal, 1015)->setPlainText(QStringLiteral("table"));
        ModalScript::Click(Ctl<QPushButton>(*modal, 1));
        return true;
    }});
    QVERIFY(f.view->ExecuteCommand(cmd::kNewTask));
    QVERIFY(script.Done());
    // The last task of the sample is "21" in "Vokabeln".
    QCOMPARE(proposedNo, QStringLiteral("22"));
    QCOMPARE(proposedCategory, QStringLiteral("Vokabeln"));
    QVERIFY(f.doc->IsModified());
    QCOMPARE(f.TaskList()->model()->rowCount(), rowsBefore + 1);
    QCOMPARE(f.doc->Data().m_aQuestionnaires[QVocabulary].m_aTaskIndex.size(), std::size_t(3));

    f.Close();
    const cTrainingData d = f.Reread();
    QCOMPARE(d.m_aTasks.size(), SampleData().m_aTasks.size() + 1);
    cTask expected = TextTask("22", "Tisch", "table");
    QCOMPARE(Dump(d.m_aTasks.back()), Dump(expected));
    QCOMPARE(d.m_aQuestionnaires.back().m_aTaskIndex.back(),
             std::uint32_t(d.m_aTasks.size() - 1));
    QCOMPARE(d.m_aQuestionnaires[QVocabulary].m_aTaskIndex,
             SampleData().m_aQuestionnaires[QVocabulary].m_aTaskIndex);
}

void tst_TaskEditDlg::windowCommandsOpenTheEditors() {
    // Every child window comes with both editors: the menu commands and "Bearbeiten".
    testfiles::TempDir work;
    const std::string path = work.Path("datei.vdr");
    cTrainingData data = SampleData();
    QCOMPARE(data.WriteTrainingFile(path), 0);
    RecordingPresenter boxes;
    CMainFrame frame(QString::fromStdString(work.Path("recent.ini")));
    frame.show();
    CChildFrame* child = frame.OpenDocumentFile(QString::fromStdString(path));
    QVERIFY(child);
    CVendrillView* view = child->View();
    view->Query().OpenQuestionnaire(QVocabulary);
    QTRY_VERIFY(frame.Action(cmd::kNewTask)->isEnabled());
    QVERIFY(frame.Action(cmd::kSplitQuestionnaire)->isEnabled());
    QStringList seen;
    const auto cancel = [&seen](const char* dialog, int shownId) {
        return [&seen, dialog, shownId](QWidget* modal) {
            if (modal->objectName() != QLatin1String(dialog))
                return false;
            seen << Shown(*modal, shownId);
            ModalScript::Click(Ctl<QPushButton>(*modal, 2));
            return true;
        };
    };
    ModalScript script({cancel("dlg134", 1055), cancel("dlg146", 1058), cancel("dlg134", 1001)});
    frame.Action(cmd::kNewTask)->trigger();
    frame.Action(cmd::kSplitQuestionnaire)->trigger();
    view->Query().StartAt(0);
    QTest::mouseClick(view->findChild<QPushButton*>(QStringLiteral("ctl1013")), Qt::LeftButton);
    QVERIFY(script.Done());
    QCOMPARE(seen, QStringList({"22", "Vokabeln", "Haus"}));
    QVERIFY(!child->Document().IsModified());
    QCOMPARE(child->Document().Data().m_aTasks.size(), data.m_aTasks.size());
}

void tst_TaskEditDlg::screenshot() {
    // Written only on request: QUORVANT_SCREENSHOT_DIR names the folder.
    const QString out = qEnvironmentVariable("QUORVANT_SCREENSHOT_DIR");
    if (out.isEmpty())
        QSKIP("QUORVANT_SCREENSHOT_DIR not set");
    QDir().mkpath(out);
    CTaskEditDlg dlg;
    dlg.Load(FullTask());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.grab().save(QDir(out).filePath(QStringLiteral("dialog-taskedit.png"))));
}

QTEST_MAIN(tst_TaskEditDlg)
#include "tst_taskeditdlg.moc"
