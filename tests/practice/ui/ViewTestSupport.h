#pragma once
// A training view over a real training file, for the window tests:
// the file is written by the program's writer into a temporary folder, opened through
// the Qt document and shown offscreen. Message boxes are answered by RecordingPresenter.

#include "common/RecordingPresenter.h"
#include "common/FakeSoundPlayer.h"
#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "base/Cp1252.h"
#include "data/TrainingData.h"
#include "data/ui/VendrillDoc.h"
#include "practice/Query.h"
#include "practice/ui/ListModels.h"
#include "practice/ui/VendrillView.h"
#include "base/Settings.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <string>
#include <vector>

namespace viewtest {

using testdata::TextTask;
using testdata::W;
using testdata::FakePlayer;

/// A dialog's texts in child order, one golden list per dialog: labels (with the control
/// they name as "->ctlN"), group titles, button texts and combo-box entries.
inline QStringList DialogTexts(const QWidget& dlg) {
    QStringList out;
    for (const QWidget* w : dlg.findChildren<QWidget*>()) {
        if (auto* l = qobject_cast<const QLabel*>(w); l && !l->text().isEmpty())
            out << l->text() + (l->buddy() ? "->" + l->buddy()->objectName() : QString());
        else if (auto* g = qobject_cast<const QGroupBox*>(w))
            out << g->title();
        else if (auto* b = qobject_cast<const QAbstractButton*>(w); b && !b->text().isEmpty())
            out << b->objectName() + ":" + b->text();
        else if (auto* c = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                out << c->objectName() + ":" + c->itemText(i);
    }
    return out;
}

inline cTask ChoiceTask(const std::string& no, const std::vector<std::string>& answers,
                        const std::vector<bool>& right) {
    cTask t = TextTask(no, W("Welche Antworten stimmen?"), "");
    t.m_nType = TaskTypeMultipleChoice;
    t.m_nChoiceCount = static_cast<std::uint8_t>(answers.size());
    for (std::size_t i = 0; i < answers.size(); ++i)
        t.m_strChoice[i] = answers[i], t.m_bChoiceRight[i] = right[i];
    return t;
}

// Task indices of the sample file.
enum SampleTask {
    TaskHouse, TaskTree, TaskStreet, TaskColours, TaskCapital, TaskFourChoices, TaskChair
};
// Questionnaire indices of the sample file ("Alle Aufgaben" is appended when read).
enum SampleQuestionnaire { QVocabulary, QMixed, QExam, QAll };

/// A small file: three vocabulary tasks (one with sound and picture, one with counters
/// already), self-assessed tasks of 3 points and of 1 point, multiple-choice tasks with
/// 2 and 4 answers, and an exam questionnaire of 600 seconds.
inline cTrainingData SampleData() {
    cTrainingData d;
    d.m_bShowAll = d.m_bAllowMissing = d.m_bAllowExtra = d.m_bAllowSwap = true;
    d.m_nMaxWords = 0;
    d.m_strQuestionTemplate = W("Übersetzen Sie: {frage}");
    d.m_strRightTemplate = W("Die Lösung zu »{frage}« lautet: {antwort}");
    d.m_strWrongTemplate = W("Richtig wäre: {antwort}");
    d.m_aColumnTitle = {"Nr", "Statistik", "Frage", "Punkte"};
    d.m_aColumnWidth = {60, 100, 300, 60};
    d.m_aColumnKind = {0, 6, 2, 1};

    cTask house = TextTask("1", "Haus", "house");
    house.m_nPatternCount = 2; // typing errors are tolerated against the pattern
    house.m_strPattern[1] = "house|a house";
    cTask tree = TextTask("2", "Baum", "tree");
    tree.m_nStats[0] = 1; tree.m_nStats[1] = 2;
    cTask street = TextTask("12", W("Straße"), "street");
    street.m_strSound = "ton.wav"; street.m_strPicture = "bilder\\strasse.png";
    cTask colours = TextTask("7", W("Nennen Sie drei Grundfarben."), W("rot, grün, blau"), 3);
    colours.m_bSelfAssess = true; colours.m_strCategory = "Allgemeinwissen";
    cTask chair = TextTask("21", "Stuhl", "chair");
    chair.m_bSelfAssess = true;
    d.m_aTasks = {house, tree, street, colours, ChoiceTask("", {"Berlin", "Paris"}, {true, false}),
                  ChoiceTask("20", {"eins", "zwei", "drei", "vier"}, {true, false, true, false}), chair};

    cQuestionnaire vocabulary, mixed, exam, all;
    vocabulary.m_strTitle = "Vokabeln"; vocabulary.m_nIcon = 1;
    vocabulary.m_aTaskIndex = {TaskHouse, TaskTree, TaskStreet};
    mixed.m_strTitle = "Gemischt"; mixed.m_nIcon = 2;
    mixed.m_aTaskIndex = {TaskColours, TaskCapital, TaskFourChoices, TaskChair};
    exam.m_strTitle = W("Prüfung"); exam.m_nIcon = 3;
    exam.m_aTaskIndex = {TaskHouse, TaskColours};
    exam.m_nExamSeconds = 600; exam.m_nPassPoints = 3; exam.m_nRetakePoints = 2;
    all.m_strTitle = kAllTasksTitle;
    d.m_aQuestionnaires = {vocabulary, mixed, exam, all};
    return d;
}

using Where = std::pair<int, int>;         // view mode, row
using StatsCell = std::pair<QString, int>; // statistics text and image of a row

/// One training file in a temporary folder, its document and its view, shown offscreen.
class ViewFixture {
public:
    explicit ViewFixture(const cTrainingData& data = SampleData(), bool nextOnRight = false) {
        path = dir.Path("training.vdr");
        cTrainingData copy = data;
        if (copy.WriteTrainingFile(path) != 0)
            qFatal("could not write the test file");
        // The sound of task "12" must exist to be opened; its content is the player's.
        testfiles::WriteBytes(dir.Path("ton.wav"), "RIFF");
        settings.m_bBeepOnWrong = 0; settings.m_bNextOnRight = nextOnRight ? 1 : 0;
        Open();
    }

    void Open() {
        doc = std::make_unique<CVendrillDoc>();
        doc->SetPathName(QString::fromStdString(path));
        view = std::make_unique<CVendrillView>(*doc, settings);
        view->SetProgramDir(QString::fromStdString(dir.Dir()));
        view->SetSoundPlayer(&player);
        view->SetPictureShower([this](const QString& picture, QWidget*) { pictures.push_back(picture); });
        view->resize(900, 700);
        view->InitialUpdate();
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qWarning("view not exposed");
    }

    /// Closes the window the way the child frame does: view first, then the document,
    /// which writes the file.
    void Close() { view.reset(); doc.reset(); }

    /// Closes the window and reads the file it wrote.
    cTrainingData Closed() { Close(); return Reread(); }
    /// The file as it is on disk now.
    cTrainingData Reread() const {
        cTrainingData d;
        if (d.ReadTrainingFile(path) != 0)
            qWarning("could not read the test file back");
        return d;
    }

    template <class T> T* Ctl(int id) const { return view->findChild<T*>(QStringLiteral("ctl%1").arg(id)); }
    QWidget* Widget(int id) const { return Ctl<QWidget>(id); }
    QTableView* TaskList() const { return Ctl<QTableView>(1002); }
    QAbstractItemView* Overview() const { return Ctl<QAbstractItemView>(1009); }
    QPlainTextEdit* Answer() const { return Ctl<QPlainTextEdit>(1000); }
    cQuery& Query() const { return view->Query(); }
    int Mode() const { return view->ViewMode(); }
    /// The screen shown and the row asked.
    std::pair<int, int> At() const { return {Mode(), Query().CurrentRow()}; }
    /// The whole heading (a narrow window shows it shortened, with the whole as tool tip).
    QString Heading() const {
        const QLabel* label = Ctl<QLabel>(1064);
        return label->toolTip().isEmpty() ? label->text() : label->toolTip();
    }
    QString ResultText() const { return Ctl<QLabel>(1010)->text(); }

    static QPoint RowCentre(QAbstractItemView* list, int row) {
        return list->visualRect(list->model()->index(row, 0)).center();
    }
    /// A real double click: press and release, then the double click and its release.
    static void DoubleClickRow(QAbstractItemView* list, int row) {
        const QPoint at = RowCentre(list, row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    /// Presses the left button on a row and moves far enough to start a drag.
    static void DragRow(QAbstractItemView* list, int row) {
        const QPoint start = RowCentre(list, row);
        QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, start);
        const QPoint end = start + QPoint(QApplication::startDragDistance() + 10, 0);
        QMouseEvent move(QEvent::MouseMove, end, list->viewport()->mapToGlobal(end),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, end);
    }
    void Click(int id) const { QTest::mouseClick(Ctl<QAbstractButton>(id), Qt::LeftButton); }
    /// Types an answer and confirms it with OK.
    void Submit(const QString& text) const { Type(text); Click(1003); }
    void OpenQuestionnaire(int row) const { DoubleClickRow(Overview(), row); }
    void StartAtRow(int row) const { DoubleClickRow(TaskList(), row); }
    void Ask(int questionnaire, int row) const { OpenQuestionnaire(questionnaire); StartAtRow(row); }
    /// Types text key by key into the answer field (umlauts included, "\n" as Return).
    void Type(const QString& text) const {
        Answer()->setFocus();
        for (const QChar ch : text) {
            if (ch == QLatin1Char('\n'))
                QTest::keyClick(Answer(), Qt::Key_Return);
            else
                QTest::sendKeyEvent(QTest::Click, Answer(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
    /// Statistics text and image of a task-list row (column 1 is the statistics column).
    QString RowStats(int row) const { return TaskList()->model()->index(row, 1).data().toString(); }
    int RowImage(int row) const {
        return TaskList()->model()->index(row, 1).data(CTaskListModel::RowImageRole).toInt();
    }
    std::pair<QString, int> Row(int row) const { return {RowStats(row), RowImage(row)}; }

    testfiles::TempDir dir;
    std::string path;
    RecordingPresenter boxes;
    cSettings settings;
    FakePlayer player;
    std::vector<QString> pictures;
    std::unique_ptr<CVendrillDoc> doc;
    std::unique_ptr<CVendrillView> view;
};

} // namespace viewtest
