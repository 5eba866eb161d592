// Editor operations: the dialogs' store rules and their effect on every questionnaire.

#include "data/Number.h"
#include "practice/QueryTestSupport.h"

#include <gtest/gtest.h>

using namespace querytest;

TEST(AtolSemantics, ReadsLeadingNumber) {
    const std::pair<const char*, long long> cases[] = {
        {"41", 41}, {"  -12x", -12}, {"+7", 7}, {"A7", 0}, {"", 0}, {"- 3", 0}, {"\t\n9", 9},
        {"99999999999999999999", 9223372036854775807LL},
        {"-99999999999999999999", -9223372036854775807LL - 1}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(AtolValue(text), value) << '"' << text << '"';
}

TEST(NewTask, ProposalFollowsTheLastTaskNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"41", "42"}, {"A7", "1"}, {"", "1"}, {" 9b", "10"}, {"-3", "-2"},
        {"9223372036854775807", "9223372036854775807"}};
    for (const auto& [last, proposed] : cases) {
        cTrainingData d;
        d.m_aTasks.push_back(TextTask("999", "q", "a"));
        d.m_aTasks.push_back(TextTask(last, "q", "a"));
        d.m_aTasks.back().m_strCategory = "Recht";
        const cTask t = NewTaskProposal(d);
        EXPECT_EQ(t.m_strTaskNo, proposed) << '"' << last << '"';
        EXPECT_EQ(t.m_strCategory, "Recht");
        EXPECT_EQ(t.m_strQuestion, "");
        EXPECT_EQ(t.m_nPoints, 1);
    }
}

struct Points {
    const char* text;
    bool accepted;
};
void PrintTo(const Points& c, std::ostream* os) { *os << '"' << c.text << '"'; }
class PointsCheck : public ::testing::TestWithParam<Points> {};

TEST_P(PointsCheck, RefusesAllButZeroToEight) {
    RecordingPresenter presenter;
    cTaskEditTexts texts = TaskEditTexts(cTask());
    texts.points = GetParam().text;
    EXPECT_EQ(CheckTaskEditTexts(texts), GetParam().accepted ? 0 : 1);
    if (GetParam().accepted) {
        EXPECT_TRUE(presenter.boxes.empty());
        return;
    }
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].caption, "Warnung   (Warnung #1)");
    EXPECT_EQ(presenter.boxes[0].text, W("Die Punktzahl muss eine ganze Zahl von 0 bis 8 sein. "
                                         "Bitte korrigieren Sie das Feld \"Punkte\"."));
}

// The field is read as atol reads it (text after the number is ignored, no number is 0);
// only values outside 0 to 8 are refused. 256 would otherwise be stored as 0.
INSTANTIATE_TEST_SUITE_P(Texts, PointsCheck, ::testing::Values(
    Points{"0", true}, Points{"8", true}, Points{" 3 ", true}, Points{"9", false},
    Points{"300", false}, Points{"256", false}, Points{"-1", false}, Points{" -0", true},
    Points{"x", true}, Points{"", true}, Points{"2.5", true}, Points{"3 Punkte", true},
    Points{"0008", true}, Points{"+8", true}, Points{"99999999999999999999", false}));

TEST(TaskEditor, NewPointsKeepTheStatisticsMeaning) {
    using Slots = std::array<std::uint32_t, kTaskSlots>;
    struct Case { int from; Slots stats; int to; Slots expected; };
    const Case cases[] = {
        {1, {0, 1}, 2, {0, 0, 1}}, {3, {2, 1, 4, 5}, 2, {2, 5, 5}}, {3, {2, 1, 4, 5}, 1, {2, 5}},
        {3, {2, 1, 4, 5}, 0, {7}}, {2, {1, 3, 4}, 5, {1, 3, 0, 0, 0, 4}}, {0, {6}, 2, {6}},
        {2, {1, 3, 4, 9}, 2, {1, 3, 4, 9}}};
    for (const Case& c : cases) {
        cTask t = TextTask("1", "q", "a", c.from);
        t.m_nStats = c.stats;
        cTaskEditTexts texts = TaskEditTexts(t);
        texts.points = std::to_string(c.to);
        StoreTaskEditTexts(texts, t);
        EXPECT_EQ(t.m_nStats, c.expected) << c.from << " -> " << c.to;
    }
}

TEST(TaskEditor, StoresFieldsByTheDialogsRules) {
    cTask t = ChoiceTask("5", {"a", "b", "c"}, {true, false, true});
    t.m_strChoice[6] = "slot seven";
    cTaskEditTexts texts = TaskEditTexts(t);
    EXPECT_EQ(texts.type, 1);
    EXPECT_EQ(texts.points, "1");
    EXPECT_EQ(texts.choices[2], "c");
    texts.choices = {"", "", "", "", ""}; // clearing all five keeps the count
    texts.pattern = "x|y";
    texts.pictureSize = -1;
    texts.picturePlace = 1;
    texts.points = "300"; // stored as its low 8 bits when a caller skips the check
    texts.selfAssess = true;
    StoreTaskEditTexts(texts, t);
    EXPECT_EQ(t.m_nChoiceCount, 3);
    EXPECT_EQ(t.m_strChoice[0], "");
    EXPECT_EQ(t.m_strChoice[6], "slot seven");
    EXPECT_EQ(t.m_nPatternCount, 2);
    EXPECT_EQ(t.m_strPattern[1], "x|y");
    EXPECT_EQ(t.m_nPictureSize, 255);
    EXPECT_EQ(t.m_nPicturePlace, 1);
    EXPECT_EQ(t.m_nPoints, 44);
    EXPECT_TRUE(t.m_bSelfAssess);

    texts.choices = {"a", "", "", "d", ""};
    texts.pattern.clear();
    StoreTaskEditTexts(texts, t);
    EXPECT_EQ(t.m_nChoiceCount, 4);
    EXPECT_EQ(t.m_nPatternCount, 0);
    EXPECT_EQ(TaskEditTexts(t).pictureSize, -1);
}

TEST(TaskEditor, NewTaskGoesToAllTasksOnly) {
    Rig rig(MakeData({TextTask("41", "a", "x")}, {{0}}));
    rig.Q().OpenQuestionnaire(0);
    cTask t = rig.Q().NewTaskProposal();
    EXPECT_EQ(t.m_strTaskNo, "42");
    t.m_strQuestion = "neu";
    rig.Q().AddNewTask(t);
    EXPECT_TRUE(rig.doc.IsModified());
    EXPECT_EQ(rig.Q().RowCount(), 1); // the open user questionnaire does not list it
    EXPECT_EQ(rig.doc.m_data.m_aQuestionnaires[1].m_aTaskIndex, (std::vector<std::uint32_t>{0, 1}));
    const cTrainingData back = rig.CloseAndRead();
    ASSERT_EQ(back.m_aTasks.size(), 2u);
    EXPECT_EQ(back.m_aTasks[1].m_strQuestion, "neu");
    EXPECT_EQ(back.m_aQuestionnaires[0].m_aTaskIndex, (std::vector<std::uint32_t>{0}));
}

TEST(TaskEditor, NewDocumentTakesItsFirstTask) {
    RecordingPresenter presenter;
    cDocument doc;
    doc.NewDocument();
    cSettings settings;
    FakeHost host;
    cQuery q(doc, settings, host);
    // Before any questionnaire is current the editor commands do nothing.
    cSplitTexts texts;
    EXPECT_FALSE(q.SplitDialogTexts(texts));
    q.ApplySplitDialog(texts);
    q.OnDeleteQuestionnaire();
    q.OnDeleteTask();
    q.OnAnswerOk();
    q.OnShowSolution();
    EXPECT_EQ(q.PrintPageCount(), 0);
    EXPECT_EQ(doc.m_data.m_aQuestionnaires.size(), 1u);
    EXPECT_FALSE(doc.IsModified());

    q.InitialUpdate();
    cTask t = q.NewTaskProposal(); // "1" in no category
    EXPECT_EQ(t.m_strTaskNo, "1");
    EXPECT_EQ(t.m_strCategory, "");
    t.m_strQuestion = "Hund";
    t.m_strSolution = "dog";
    q.AddNewTask(t);
    // The overview shows "Alle Aufgaben" under its own heading.
    EXPECT_EQ(q.OverviewCount(), 1);
    EXPECT_EQ(q.Heading().substr(0, 19), W("Fragebogenübersicht"));
    EXPECT_EQ(doc.m_data.m_aQuestionnaires.back().m_aTaskIndex, (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(q.RowCount(), 1); // the open questionnaire is "Alle Aufgaben" itself
    q.OpenQuestionnaire(0);
    q.StartAt(0);
    EXPECT_EQ(q.ResultText(), "Hund"); // the new document's template "{frage}"
    q.OnShowSolution();
    EXPECT_EQ(q.ResultText(), "dog");
    EXPECT_TRUE(presenter.boxes.empty());
}

TEST(TaskEditor, DeletingATaskUpdatesEveryQuestionnaireAndTheList) {
    std::vector<cTask> tasks;
    for (int i = 0; i < 4; ++i)
        tasks.push_back(TextTask(std::to_string(i), "q" + std::to_string(i), "a"));
    Rig rig(MakeData(tasks, {{1, 2, 3}, {3, 2, 0, 2}}));
    rig.Ask(1, 1); // task 2
    rig.presenter.answers = {ResultNo};
    rig.Q().OnDeleteTask();
    EXPECT_EQ(rig.doc.m_data.m_aTasks.size(), 4u);
    rig.presenter.answers = {ResultYes};
    rig.Q().OnDeleteTask();
    EXPECT_EQ(rig.presenter.boxes.back().caption, W("Aufgabe löschen?   (Frage #3)"));
    const auto& qs = rig.doc.m_data.m_aQuestionnaires;
    EXPECT_EQ(qs[0].m_aTaskIndex, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(qs[1].m_aTaskIndex, (std::vector<std::uint32_t>{2, 0}));
    EXPECT_EQ(qs[2].m_aTaskIndex, (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(rig.Q().RowTasks(), (std::vector<std::uint32_t>{2, 0}));
    EXPECT_EQ(rig.Q().CurrentRow(), 1); // the following entry
    EXPECT_EQ(rig.Q().Mode(), ModeQuestion);
    EXPECT_EQ(rig.Q().ResultText(), "Frage: q0");
    EXPECT_TRUE(rig.doc.IsModified());
    const cTrainingData back = rig.CloseAndRead();
    EXPECT_EQ(back.m_aTasks.size(), 3u);
    EXPECT_EQ(back.m_aQuestionnaires[1].m_aTaskIndex, (std::vector<std::uint32_t>{2, 0}));
}

TEST(TaskEditor, DeletingTheLastRowGoesBackToTheList) {
    Rig rig(MakeData({TextTask("1", "a", "x"), TextTask("2", "b", "y")}, {{1}}));
    rig.Ask(0);
    rig.presenter.answers = {ResultYes};
    rig.Q().OnDeleteTask();
    EXPECT_EQ(rig.Q().RowCount(), 0);
    EXPECT_EQ(rig.Q().CurrentRow(), -1);
    EXPECT_EQ(rig.Q().Mode(), ModeTaskList);
    EXPECT_EQ(rig.presenter.boxes.size(), 1u); // no message 109
}

TEST(QuestionnaireEditor, DialogTextsAndTheirEffect) {
    cTask a = TextTask("1", "a", "x", 2);
    cTask b = TextTask("2", "b", "y", 3);
    cTask b2 = TextTask("2", "b2", "y", 1); // the same number again: the last one counts
    cTrainingData d = MakeData({a, b, b2}, {{0, 1, 0}, {1}}, {-1, 90});
    d.m_aQuestionnaires[0].m_nPassPoints = 5;
    d.m_aQuestionnaires[0].m_nRetakePoints = 3;
    Rig rig(d);
    rig.Q().OpenQuestionnaire(1);
    cSplitTexts texts;
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    EXPECT_EQ(texts.time, "1"); // 90 s shows 1 minute
    rig.Q().OnBack();
    rig.Q().OpenQuestionnaire(0);
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    EXPECT_EQ(texts.taskList, "1,2,1");
    EXPECT_EQ(texts.name, "Fragebogen 1");
    EXPECT_EQ(texts.time, ""); // no exam
    EXPECT_EQ(texts.passPoints, "5");
    EXPECT_EQ(texts.retakePoints, "3");
    EXPECT_EQ(texts.totalPoints, "7");

    texts.taskList = "2,1, 2,,";
    texts.name = "Neu";
    texts.time = "";
    texts.passPoints = "12abc";
    texts.retakePoints = "-4";
    rig.Q().ApplySplitDialog(texts);
    std::vector<std::string> missing;
    for (const RecordedBox& box : rig.presenter.boxes)
        missing.push_back(box.text);
    EXPECT_EQ(missing, (std::vector<std::string>{"Aufgabennummer nicht gefunden:  2",
                                                 "Aufgabennummer nicht gefunden: ",
                                                 "Aufgabennummer nicht gefunden: "}));
    const cQuestionnaire& q = rig.doc.m_data.m_aQuestionnaires[0];
    EXPECT_EQ(q.m_aTaskIndex, (std::vector<std::uint32_t>{2, 0}));
    EXPECT_EQ(q.m_strTitle, "Neu");
    EXPECT_EQ(q.m_nExamSeconds, -1); // left empty: still no exam
    EXPECT_EQ(q.m_nPassPoints, 12u);
    EXPECT_EQ(static_cast<std::int32_t>(q.m_nRetakePoints), -4);
    EXPECT_EQ(rig.Q().RowTasks(), (std::vector<std::uint32_t>{2, 0}));
    EXPECT_EQ(rig.Q().Heading(), "Fragebogen 'Neu'"); // reloaded in place, not laid out
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    EXPECT_EQ(texts.retakePoints, "-4");

    rig.presenter.boxes.clear();
    texts.taskList = "";
    const std::pair<const char*, int> times[] = {{"2", 120}, {"0", 0}, {"  ", -1}};
    for (const auto& [time, seconds] : times) {
        texts.time = time;
        rig.Q().ApplySplitDialog(texts); // an empty list leaves the tasks as they are
        EXPECT_EQ(q.m_aTaskIndex, (std::vector<std::uint32_t>{2, 0}));
        EXPECT_EQ(q.m_nExamSeconds, seconds) << '"' << time << '"';
    }
    EXPECT_TRUE(rig.presenter.boxes.empty());
}

TEST(QuestionnaireEditor, ChangedListSendsTheQuestionScreenBackToTheList) {
    Rig rig(MakeData({TextTask("1", "a", "x"), TextTask("2", "b", "y")}, {{0, 1}}));
    rig.Ask(1);
    cSplitTexts texts;
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    texts.name = "Umbenannt";
    rig.Q().ApplySplitDialog(texts);
    EXPECT_EQ(rig.Q().Mode(), ModeQuestion); // same task in the same row
    texts.taskList = "2,1";
    rig.Q().ApplySplitDialog(texts);
    EXPECT_EQ(rig.Q().Mode(), ModeTaskList); // row 1 now holds another task
}

TEST(QuestionnaireEditor, NewAndDeletedQuestionnaires) {
    Rig rig(MakeData({TextTask("1", "a", "x")}, {{0}, {0}}, {-1, 300}));
    ASSERT_EQ(rig.doc.m_data.m_nTimedCount, 1);
    rig.Q().OnNewQuestionnaire();
    const auto& qs = rig.doc.m_data.m_aQuestionnaires;
    ASSERT_EQ(qs.size(), 4u);
    EXPECT_EQ(qs[2].m_strTitle, "Neuer Fragebogen");
    EXPECT_EQ(qs[2].m_nExamSeconds, -1);
    EXPECT_EQ(qs[3].m_strTitle, kAllTasksTitle);
    EXPECT_EQ(rig.Q().CurrentQuestionnaire(), 2);
    EXPECT_EQ(rig.Q().Mode(), ModeOverview);
    EXPECT_TRUE(rig.doc.IsModified());

    rig.doc.m_nCurQuestionnaire = 3; // "Alle Aufgaben" cannot be deleted
    rig.Q().OnDeleteQuestionnaire();
    EXPECT_EQ(qs.size(), 4u);
    EXPECT_EQ(rig.presenter.boxes.back().caption, "Info   (Meldung #1)");

    rig.doc.m_nCurQuestionnaire = 1;
    rig.presenter.answers = {ResultNo};
    rig.Q().OnDeleteQuestionnaire();
    EXPECT_EQ(qs.size(), 4u);
    EXPECT_EQ(rig.presenter.boxes.back().caption, "Frage   (Frage #1)");
    EXPECT_EQ(rig.presenter.boxes.back().text,
              W("Soll der Fragebogen \"Fragebogen 2\" wirklich gelöscht werden? Die Aufgaben "
                "bleiben in der Datei erhalten."));
    rig.presenter.answers = {ResultYes};
    rig.Q().OnDeleteQuestionnaire();
    ASSERT_EQ(qs.size(), 3u);
    EXPECT_EQ(qs[1].m_strTitle, "Neuer Fragebogen");
    EXPECT_EQ(rig.doc.m_data.m_nTimedCount, 0); // the only timed questionnaire is gone
    EXPECT_FALSE(rig.Q().CanExamStart());
    EXPECT_EQ(rig.Q().CurrentQuestionnaire(), 1);

    const cTrainingData back = rig.CloseAndRead();
    ASSERT_EQ(back.m_aQuestionnaires.size(), 3u);
    EXPECT_EQ(back.m_aQuestionnaires[0].m_strTitle, "Fragebogen 1");
    EXPECT_EQ(back.m_aQuestionnaires[1].m_strTitle, "Neuer Fragebogen");
}
