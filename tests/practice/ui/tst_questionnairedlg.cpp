// "Fragebogenaufteilung": the six texts and their labels, loading and storing them, and
// the dialog on the real view: what it shows for a questionnaire, message 101 for every
// unknown task number, the stored values down to the file, and what OK without changes
// and cancelling leave.

#include "practice/ui/QuestionnaireDlg.h"

#include "practice/Editor.h"
#include "practice/ui/ViewTestSupport.h"
#include "shell/ui/ModalScript.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace viewtest;

namespace {

QLineEdit* Edit(QWidget& dlg, int id) {
    return dlg.findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id));
}

// The six texts in the order name, task list, time, pass, retake, total.
QStringList Shown(QWidget& dlg) {
    QStringList list;
    for (int id : {1058, 1057, 1059, 1054, 1061, 1062})
        list << Edit(dlg, id)->text();
    return list;
}

void SetTexts(QWidget& dlg, const QStringList& texts) {
    const int ids[] = {1058, 1057, 1059, 1054, 1061};
    for (int i = 0; i < 5; ++i)
        Edit(dlg, ids[i])->setText(texts[i]);
}

QStringList Texts(const cSplitTexts& t) {
    return {ToQString(t.name), ToQString(t.taskList), ToQString(t.time),
            ToQString(t.passPoints), ToQString(t.retakePoints), ToQString(t.totalPoints)};
}

} // namespace

class tst_QuestionnaireDlg : public QObject {
    Q_OBJECT
private slots:
    void controlsHaveTheirTexts();
    void loadAndStore_data();
    void loadAndStore();
    void untouchedTextsKeepTheirBytes();
    void dialogShowsTheQuestionnaire_data();
    void dialogShowsTheQuestionnaire();
    void unknownNumbersAreReportedAndSkipped();
    void screenshot();
};

void tst_QuestionnaireDlg::controlsHaveTheirTexts() {
    CSplitDlg dlg;
    dlg.show();
    QCOMPARE(dlg.objectName(), QStringLiteral("dlg146"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Fragebogenaufteilung"));
    QStringList labels;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        labels << label->text();
    // The units behind the edits; the captions are checked with their buddies below.
    for (const char* text : {"Minuten", "Punkten"})
        QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    // Each edit has its label as buddy, so Alt+letter and screen readers find it.
    const QList<QPair<int, const char*>> buddies = {
        {1057, "Fragen dieses Fragebogens (durch Komma getrennt)"}, {1058, "Name des Fragebogens"},
        {1059, "Zeit"}, {1054, "Zu erreichende Punkte"}, {1061, "Nachprüfung ab"},
        {1062, "Gesamtpunkte"}};
    for (const auto& [id, text] : buddies) {
        bool found = false;
        for (QLabel* label : dlg.findChildren<QLabel*>())
            found = found || (label->buddy() == Edit(dlg, id) && label->text() == QString::fromUtf8(text));
        QVERIFY2(found, text);
    }
    for (int id : {1057, 1058, 1059, 1054, 1061})
        QVERIFY(!Edit(dlg, id)->isReadOnly());
    QVERIFY(Edit(dlg, 1062)->isReadOnly());
    QCOMPARE(dlg.findChild<QPushButton*>(QStringLiteral("ctl1"))->text(), QStringLiteral("OK"));
    QCOMPARE(dlg.findChild<QPushButton*>(QStringLiteral("ctl2"))->text(),
             QStringLiteral("Abbrechen"));
}

void tst_QuestionnaireDlg::loadAndStore_data() {
    QTest::addColumn<QStringList>("loaded"); // name, list, time, pass, retake, total
    QTest::addColumn<QStringList>("typed");  // name, list, time, pass, retake; empty: none
    QTest::addColumn<QStringList>("stored");
    const QStringList exam = {QString::fromUtf8("Prüfung"), "1,7", "10", "3", "2", "4"};
    QTest::newRow("unchanged") << exam << QStringList() << exam;
    QTest::newRow("all typed")
        << exam << QStringList{"Klausur", "1, 2,", "x", "-5", ""}
        << QStringList{"Klausur", "1, 2,", "x", "-5", "", "4"};
    QTest::newRow("empty questionnaire")
        << QStringList{"", "", "0", "0", "0", "0"} << QStringList{QString::fromUtf8("Übung"), "3", "1", "2", "1"}
        << QStringList{QString::fromUtf8("Übung"), "3", "1", "2", "1", "0"};
}

void tst_QuestionnaireDlg::loadAndStore() {
    QFETCH(QStringList, loaded);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, stored);
    cSplitTexts texts{ToCp1252(loaded[1]), ToCp1252(loaded[0]), ToCp1252(loaded[2]),
                      ToCp1252(loaded[3]), ToCp1252(loaded[4]), ToCp1252(loaded[5])};
    CSplitDlg dlg;
    dlg.Load(texts);
    dlg.show();
    QCOMPARE(Shown(dlg), loaded);
    if (!typed.isEmpty())
        SetTexts(dlg, typed);
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("ctl1")), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    cSplitTexts out = texts;
    dlg.Store(out);
    QCOMPARE(Texts(out), stored);
}

void tst_QuestionnaireDlg::untouchedTextsKeepTheirBytes() {
    // Bytes without a character of their own, and a control character.
    const std::string name("Name\x81\x01", 6);
    const std::string list("1,\x8d", 3);
    cSplitTexts texts{list, name, "0", "0", "0", "0"};
    CSplitDlg dlg;
    dlg.Load(texts);
    cSplitTexts out;
    dlg.Store(out);
    QCOMPARE(QByteArray::fromStdString(out.name), QByteArray::fromStdString(name));
    QCOMPARE(QByteArray::fromStdString(out.taskList), QByteArray::fromStdString(list));
}

void tst_QuestionnaireDlg::dialogShowsTheQuestionnaire_data() {
    QTest::addColumn<int>("questionnaire");
    QTest::addColumn<int>("seconds"); // written into the file before opening; -2 keeps it
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("confirm"); // OK untouched, else texts typed and cancelled
    QTest::newRow("exam") << int(QExam) << -2
                          << QStringList{QString::fromUtf8("Prüfung"), "1,7", "10", "3", "2", "4"}
                          << false;
    QTest::newRow("no exam shows no time and stays without")
        << int(QVocabulary) << -2 << QStringList{"Vokabeln", "1,2,12", "", "0", "0", "3"} << true;
    QTest::newRow("90 seconds show 1 minute")
        << int(QVocabulary) << 90 << QStringList{"Vokabeln", "1,2,12", "1", "0", "0", "3"}
        << false;
    QTest::newRow("without number, 3 points")
        << int(QMixed) << -2 << QStringList{"Gemischt", "7,,20,21", "", "0", "0", "6"} << false;
}

void tst_QuestionnaireDlg::dialogShowsTheQuestionnaire() {
    QFETCH(int, questionnaire);
    QFETCH(int, seconds);
    QFETCH(QStringList, shown);
    QFETCH(bool, confirm);
    cTrainingData data = SampleData();
    if (seconds != -2)
        data.m_aQuestionnaires[questionnaire].m_nExamSeconds = seconds;
    ViewFixture f(data);
    f.view->SetSplitEditor(&CSplitDlg::Edit);
    f.OpenQuestionnaire(questionnaire);
    QStringList seen;
    ModalScript script({[&](QWidget* modal) {
        if (modal->objectName() != QStringLiteral("dlg146"))
            return false;
        seen = Shown(*modal);
        if (!confirm)
            SetTexts(*modal, {"weg", "99", "", "", ""});
        ModalScript::Click(modal->findChild<QPushButton*>(confirm ? "ctl1" : "ctl2"));
        return true;
    }});
    QVERIFY(f.view->ExecuteCommand(cmd::kSplitQuestionnaire));
    QVERIFY(script.Done());
    QCOMPARE(seen, shown);
    QVERIFY(f.boxes.boxes.empty());
    if (!confirm)
        QVERIFY(!f.doc->IsModified());
    // Unchanged in the document and, after closing, in the file.
    const cQuestionnaire& original = data.m_aQuestionnaires[questionnaire];
    const cTrainingData open = f.doc->Data();
    f.Close();
    for (const cTrainingData& d : {open, f.Reread()}) {
        const cQuestionnaire& q = d.m_aQuestionnaires[questionnaire];
        QCOMPARE(q.m_strTitle, original.m_strTitle);
        QCOMPARE(q.m_aTaskIndex, original.m_aTaskIndex);
        QCOMPARE(q.m_nExamSeconds, original.m_nExamSeconds);
    }
}

void tst_QuestionnaireDlg::unknownNumbersAreReportedAndSkipped() {
    // Every task has a number here, so an empty piece matches none.
    cTrainingData data = SampleData();
    data.m_aTasks[TaskCapital].m_strTaskNo = "30";
    ViewFixture f(data);
    f.view->SetSplitEditor(&CSplitDlg::Edit);
    f.OpenQuestionnaire(QExam);
    ModalScript script({[](QWidget* modal) {
        if (modal->objectName() != QStringLiteral("dlg146"))
            return false;
        SetTexts(*modal, {"Klausur", "12, 2,1,", "1", "5", "x"});
        ModalScript::Click(modal->findChild<QPushButton*>(QStringLiteral("ctl1")));
        return true;
    }});
    QVERIFY(f.view->ExecuteCommand(cmd::kSplitQuestionnaire));
    QVERIFY(script.Done());

    // " 2" (blank included) and the empty piece behind the trailing comma are unknown.
    QCOMPARE(f.boxes.boxes.size(), std::size_t(2));
    QCOMPARE(f.boxes.boxes[0].currentId, 101);
    QCOMPARE(QByteArray::fromStdString(f.boxes.boxes[0].caption),
             QByteArrayLiteral("Fehler   (Fehler #2)"));
    QCOMPARE(QByteArray::fromStdString(f.boxes.boxes[0].text),
             QByteArrayLiteral("Aufgabennummer nicht gefunden:  2"));
    QCOMPARE(f.boxes.boxes[1].currentId, 101);
    QCOMPARE(QByteArray::fromStdString(f.boxes.boxes[1].text),
             QByteArrayLiteral("Aufgabennummer nicht gefunden: "));

    const cQuestionnaire& q = f.doc->Data().m_aQuestionnaires[QExam];
    QCOMPARE(q.m_aTaskIndex, std::vector<std::uint32_t>({TaskStreet, TaskHouse}));
    QVERIFY(f.doc->IsModified());
    // The overview and the open task list show the change at once.
    QCOMPARE(f.Overview()->model()->index(QExam, 0).data().toString(), QStringLiteral("Klausur"));
    QCOMPARE(f.TaskList()->model()->rowCount(), 2);
    QVERIFY(f.Heading().contains(QStringLiteral("Klausur")));

    f.Close();
    const cTrainingData d = f.Reread();
    const cQuestionnaire& r = d.m_aQuestionnaires[QExam];
    QCOMPARE(QString::fromStdString(r.m_strTitle), QStringLiteral("Klausur"));
    QCOMPARE(r.m_aTaskIndex, std::vector<std::uint32_t>({TaskStreet, TaskHouse}));
    QCOMPARE(r.m_nExamSeconds, 60);
    QCOMPARE(int(r.m_nPassPoints), 5);
    QCOMPARE(int(r.m_nRetakePoints), 0);
}

void tst_QuestionnaireDlg::screenshot() {
    // Written only on request: QUORVANT_SCREENSHOT_DIR names the folder.
    const QString out = qEnvironmentVariable("QUORVANT_SCREENSHOT_DIR");
    if (out.isEmpty())
        QSKIP("QUORVANT_SCREENSHOT_DIR not set");
    QDir().mkpath(out);
    CSplitDlg dlg;
    dlg.Load(cSplitTexts{"1,7,12,20", W("Prüfung"), "10", "3", "2", "6"});
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.grab().save(QDir(out).filePath(QStringLiteral("dialog-questionnaire.png"))));
}

QTEST_MAIN(tst_QuestionnaireDlg)
#include "tst_questionnairedlg.moc"
