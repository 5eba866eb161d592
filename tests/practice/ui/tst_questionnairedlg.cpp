// "Fragebogenaufteilung": the texts and their labels, untouched texts kept byte for byte,
// and the dialog on the real view: what it shows for a questionnaire, message 101 for
// every unknown task number, the typed values down to the file, and what OK without
// changes and cancelling leave.

#include "practice/ui/QuestionnaireDlg.h"

#include "common/WindowTest.h"
#include "practice/Editor.h"
#include "practice/ui/ViewTestSupport.h"
#include "shell/ui/ModalScript.h"

#include <QtWidgets>

using namespace viewtest;
using windowtest::Ctl;

namespace {

// The six texts in the order name, task list, time, pass, retake, total.
QStringList Shown(const QWidget& dlg) {
    QStringList list;
    for (int id : {1058, 1057, 1059, 1054, 1061, 1062})
        list << Ctl<QLineEdit>(dlg, id)->text();
    return list;
}

void SetTexts(QWidget& dlg, const QStringList& texts) {
    const int ids[] = {1058, 1057, 1059, 1054, 1061};
    for (int i = 0; i < 5; ++i)
        Ctl<QLineEdit>(dlg, ids[i])->setText(texts[i]);
}

} // namespace

class tst_QuestionnaireDlg : public QObject {
    Q_OBJECT
private slots:
    void controlsHaveTheirTexts() {
        CSplitDlg dlg; dlg.show();
        QCOMPARE(dlg.objectName(), QStringLiteral("dlg146"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Fragebogenaufteilung"));
        // Each edit has its label as buddy, so Alt+letter and screen readers find it.
        QCOMPARE(DialogTexts(dlg), QStringList({
            "Name des Fragebogens->ctl1058", "Fragen dieses Fragebogens (durch Komma getrennt)->ctl1057",
            "Zeit->ctl1059", "Minuten", "Zu erreichende Punkte->ctl1054", "Nachprüfung ab->ctl1061",
            "Punkten", "Gesamtpunkte->ctl1062", "ctl1:OK", "ctl2:Abbrechen"}));
        // Only the total is computed, not typed.
        for (int id : {1057, 1058, 1059, 1054, 1061, 1062})
            QCOMPARE(Ctl<QLineEdit>(dlg, id)->isReadOnly(), id == 1062);
    }

    void untouchedTextsKeepTheirBytes() {
        // Bytes without a character of their own, and a control character.
        const std::string name("Name\x81\x01", 6), list("1,\x8d", 3);
        CSplitDlg dlg; dlg.Load(cSplitTexts{list, name, "0", "0", "0", "0"});
        cSplitTexts out;
        dlg.Store(out);
        QCOMPARE(QByteArray::fromStdString(out.name), QByteArray::fromStdString(name));
        QCOMPARE(QByteArray::fromStdString(out.taskList), QByteArray::fromStdString(list));
    }

    void dialogShowsTheQuestionnaire() {
        // OK untouched, or texts typed and cancelled: the questionnaire stays as it was.
        struct Case { int questionnaire; QStringList shown; bool confirm; };
        const Case cases[] = {
            {QExam, {QString::fromUtf8("Prüfung"), "1,7", "10", "3", "2", "4"}, false},
            {QVocabulary, {"Vokabeln", "1,2,12", "", "0", "0", "3"}, true}, // no exam: no time
            {QMixed, {"Gemischt", "7,,20,21", "", "0", "0", "6"}, false}};  // one without number
        for (const Case& c : cases) {
            const cQuestionnaire original = SampleData().m_aQuestionnaires[c.questionnaire];
            ViewFixture f;
            f.view->SetSplitEditor(&CSplitDlg::Edit);
            f.OpenQuestionnaire(c.questionnaire);
            QStringList seen;
            QVERIFY(ModalScript::Run({ModalScript::On("dlg146", [&](QWidget& dlg) {
                seen = Shown(dlg);
                if (!c.confirm)
                    SetTexts(dlg, {"weg", "99", "", "", ""});
            }, c.confirm ? 1 : 2)}, [&] { QVERIFY(f.view->ExecuteCommand(cmd::kSplitQuestionnaire)); }));
            QCOMPARE(seen, c.shown);
            QVERIFY(f.boxes.boxes.empty());
            QVERIFY(c.confirm || !f.doc->IsModified());
            // Unchanged in the document and, after closing, in the file.
            for (const cTrainingData& d : {f.doc->Data(), f.Closed()}) {
                const cQuestionnaire& q = d.m_aQuestionnaires[c.questionnaire];
                QCOMPARE(q.m_strTitle, original.m_strTitle);
                QCOMPARE(q.m_aTaskIndex, original.m_aTaskIndex);
                QCOMPARE(q.m_nExamSeconds, original.m_nExamSeconds);
            }
        }
    }

    void unknownNumbersAreReportedAndSkipped() {
        // Every task has a number here, so an empty piece matches none.
        cTrainingData data = SampleData();
        data.m_aTasks[TaskCapital].m_strTaskNo = "30";
        ViewFixture f(data);
        f.view->SetSplitEditor(&CSplitDlg::Edit);
        f.OpenQuestionnaire(QExam);
        QVERIFY(ModalScript::Run({ModalScript::On("dlg146", [](QWidget& dlg) {
            SetTexts(dlg, {"Klausur", "12, 2,1,", "1", "5", "x"});
        }, 1)}, [&] { QVERIFY(f.view->ExecuteCommand(cmd::kSplitQuestionnaire)); }));
        // " 2" (blank included) and the empty piece behind the trailing comma are unknown.
        QCOMPARE(f.boxes.boxes.size(), std::size_t(2));
        QVERIFY(f.boxes.boxes[0].currentId == 101 && f.boxes.boxes[1].currentId == 101);
        QCOMPARE(f.boxes.boxes[0].caption, std::string("Fehler   (Fehler #2)"));
        QCOMPARE(f.boxes.boxes[0].text, std::string("Aufgabennummer nicht gefunden:  2"));
        QCOMPARE(f.boxes.boxes[1].text, std::string("Aufgabennummer nicht gefunden: "));
        QVERIFY(f.doc->IsModified());
        // The overview and the open task list show the change at once.
        QCOMPARE(f.Overview()->model()->index(QExam, 0).data().toString(), QStringLiteral("Klausur"));
        QCOMPARE(f.TaskList()->model()->rowCount(), 2);
        QVERIFY(f.Heading().contains(QStringLiteral("Klausur")));
        f.Close();
        const cQuestionnaire r = f.Reread().m_aQuestionnaires[QExam];
        QCOMPARE(r.m_strTitle, std::string("Klausur"));
        QCOMPARE(r.m_aTaskIndex, std::vector<std::uint32_t>({TaskStreet, TaskHouse}));
        QCOMPARE(r.m_nExamSeconds, 60);
        QCOMPARE(int(r.m_nPassPoints), 5);
        QCOMPARE(int(r.m_nRetakePoints), 0);
    }
};

QTEST_MAIN(tst_QuestionnaireDlg)
#include "tst_questionnairedlg.moc"
