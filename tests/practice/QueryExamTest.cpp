// The exam simulation and evaluation end to end, with a simulated clock.

#include "practice/QueryTestSupport.h"
#include "practice/TaskList.h"

#include <tuple>

using namespace querytest;

namespace {

cLocalTime At(int month, int day, int hour, int min, int sec) { return {month, day, hour, min, sec}; }

// Questionnaire 0 has no exam, 1 is timed (600 s), 2 has no time limit.
cTrainingData ExamData() {
    cTrainingData d = MakeData({TextTask("1", "a", "x", 2), TextTask("2", "b", "y", 3),
                                TextTask("3", "c", "z", 5), ChoiceTask("4", {"r", "w"}, {true, false}, 2)},
                               {{0}, {0, 1, 2, 3}, {1, 2}}, {-1, 600, 0});
    d.m_aQuestionnaires[1].m_nPassPoints = 10; d.m_aQuestionnaires[1].m_nRetakePoints = 6;
    return d;
}

// Starts the exam on questionnaire 1 at the given time.
void StartTimedExam(Rig& rig, cLocalTime start) {
    rig.now = start; rig.randoms = {4}; // 4 mod 2 = 0: the first timed questionnaire
    rig.Q().OnExamStart();
}

} // namespace

TEST(ExamRules, TimeStampAndElapsedSeconds) {
    EXPECT_EQ(ExamTimeStamp(At(12, 31, 23, 59, 59)), 123186399);
    EXPECT_EQ(ExamTimeStamp(At(1, 5, 0, 0, 0)), 10500000);
    const std::int32_t start = ExamTimeStamp(At(3, 5, 23, 59, 30));
    EXPECT_EQ(ExamElapsedSeconds(start, ExamTimeStamp(At(3, 6, 0, 0, 30))), 60);
    EXPECT_EQ(ExamElapsedSeconds(start, ExamTimeStamp(At(3, 5, 23, 59, 45))), 15);
    // Only the day of month is compared: the same day of the next month counts as the same day.
    EXPECT_EQ(ExamElapsedSeconds(start, ExamTimeStamp(At(4, 5, 23, 59, 40))), 10);
}

struct Tick { std::int32_t limit; int elapsed; const char* text; std::uint32_t colour; int upper, pos; };
void PrintTo(const Tick& c, std::ostream* os) { *os << c.limit << "s after " << c.elapsed; }
class Countdown : public ::testing::TestWithParam<Tick> {};

TEST_P(Countdown, ShowsRemainingTimeAndColour) {
    const Tick& c = GetParam();
    cExamBar bar;
    CountdownBar(c.limit, c.elapsed, bar);
    EXPECT_EQ(std::tuple(bar.text, bar.barColour, bar.textColour, bar.textColourOnBar, bar.lower, bar.upper,
                         bar.pos),
              std::tuple(c.text, c.colour, kColourBlack, kColourBlack, 0, c.upper, c.pos));
}

INSTANTIATE_TEST_SUITE_P(Bars, Countdown, ::testing::Values(
    Tick{600, 0, "10:00", kColourGreen, 600, 600}, Tick{600, 419, "3:01", kColourGreen, 600, 181},
    Tick{600, 420, "3:00", kColourYellow, 600, 180}, Tick{600, 540, "1:00", kColourRed, 600, 60},
    Tick{600, 595, "0:05", kColourRed, 600, 5}, Tick{900, 146, "12:34", kColourGreen, 900, 754},
    Tick{600, 700, "0:00", kColourRed, 600, 0},
    Tick{0, 5000, "keine Zeitbegrenzung", kColourLightGreen, 1, 1}));

struct Verdict { std::int32_t achieved, pass, retake; const char* caption; std::string tail; };
void PrintTo(const Verdict& c, std::ostream* os) { *os << c.achieved << " of " << c.pass << "/" << c.retake; }
class ExamVerdicts : public ::testing::TestWithParam<Verdict> {};

TEST_P(ExamVerdicts, BuildsCaptionAndText) {
    const Verdict& c = GetParam();
    const cExamVerdict v = ExamVerdict(c.achieved, c.pass, c.retake);
    EXPECT_EQ(v.caption, W(c.caption));
    EXPECT_EQ(v.text, W("Ihr Prüfungsergebnis:\r\n\r\nErreicht: ") + std::to_string(c.achieved) +
                          W(" Punkte\r\nBenötigt: ") + std::to_string(c.pass) + " Punkte\r\n" +
                          W(c.tail.c_str()));
}

const std::string kRetake6 = "Nachprüfung möglich ab: 6 Punkten.\r\n";
const std::string kPassed = "Sie haben die Prüfung BESTANDEN!!";
const std::string kMissed = "Die haben die erforderliche Punktzahl nicht erreicht.";
const std::string kFailed = "Sie haben leider NICHT BESTANDEN.";
INSTANTIATE_TEST_SUITE_P(Cases, ExamVerdicts, ::testing::Values(
    Verdict{10, 6, 6, "Prüfung bestanden", kPassed}, Verdict{2, 6, 6, "Prüfung nicht bestanden", kMissed},
    Verdict{10, 10, 6, "Prüfung bestanden", kRetake6 + kPassed},
    Verdict{7, 10, 6, "Nachprüfung nötig", kRetake6 + kMissed + " Eine Nachprüfung ist aber möglich."},
    Verdict{5, 10, 6, "Prüfung nicht bestanden!", kRetake6 + kFailed},
    Verdict{-3, 0, -1, "Prüfung nicht bestanden!", "Nachprüfung möglich ab: -1 Punkten.\r\n" + kFailed}));

TEST(ExamSimulation, PicksAmongTimedQuestionnairesAndRunsWithoutLimit) {
    Rig rig(ExamData());
    ASSERT_EQ(rig.doc.m_data.m_nTimedCount, 2);
    EXPECT_EQ(rig.Exam(), "q0 overview -1 can-start");
    rig.randoms = {5}; // 5 mod 2 = 1: the second timed questionnaire, without a time limit
    rig.Q().OnExamStart();
    ASSERT_EQ(rig.presenter.boxes.size(), 1u);
    EXPECT_EQ(rig.presenter.boxes[0].caption, W("Prüfungssimulation starten   (Meldung #2)"));
    EXPECT_EQ(rig.Exam(), "exam q2 list -1 bar can-end");
    EXPECT_EQ(rig.Q().RowCount(), 2);
    rig.now = At(1, 2, 0, 0, 0); rig.Q().OnTimer(); // days later
    EXPECT_EQ(std::tuple(rig.Q().ExamBar().text, rig.Q().ExamBar().barColour),
              std::tuple("keine Zeitbegrenzung", kColourLightGreen));
    EXPECT_EQ(rig.Exam(), "exam q2 list -1 bar can-end");
}

TEST(ExamSimulation, NoTimedQuestionnaireMeansNoExam) {
    Rig rig(MakeData({TextTask("1", "a", "x")}, {{0}}));
    EXPECT_FALSE(rig.Q().CanExamStart());
    // A time entered later does not enable it while the file stays open.
    cSplitTexts texts;
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    texts.time = "10"; rig.Q().ApplySplitDialog(texts);
    rig.Q().OnExamStart();
    EXPECT_EQ(rig.Exam(), "q0 overview -1");
    EXPECT_TRUE(rig.presenter.boxes.empty());
}

TEST(ExamSimulation, NegativeTimeOpensForPracticeWith303) {
    Rig rig(ExamData());
    rig.doc.m_data.m_aQuestionnaires[1].m_nExamSeconds = -60; // after editing
    StartTimedExam(rig, At(1, 1, 10, 0, 0));
    ASSERT_EQ(rig.presenter.boxes.size(), 1u);
    EXPECT_EQ(rig.presenter.boxes[0].caption, W("Prüfungssimulation nicht möglich   (Meldung #4)"));
    EXPECT_EQ(rig.Exam(), "q1 list -1 can-start");
}

TEST(ExamSimulation, CountdownCrossesMidnightAndExpiresIntoTheEvaluation) {
    Rig rig(ExamData());
    rig.doc.m_data.m_aQuestionnaires[1].m_nExamSeconds = 120;
    StartTimedExam(rig, At(3, 5, 23, 59, 30));
    ASSERT_TRUE(rig.Q().ExamActive());
    EXPECT_EQ(rig.Q().ExamStart(), ExamTimeStamp(At(3, 5, 23, 59, 30)));
    rig.Q().StartAt(0); rig.Q().SetAnswerText("halb getippt");
    rig.now = At(3, 6, 0, 0, 30); rig.Q().OnTimer();
    EXPECT_EQ(std::tuple(rig.Q().ExamBar().text, rig.Q().ExamBar().barColour),
              std::tuple("1:00", kColourGreen));
    EXPECT_EQ(rig.Exam(), "exam q1 question 0 bar can-end");
    rig.now = At(3, 6, 0, 1, 30); rig.Q().OnTimer();
    EXPECT_EQ(rig.Exam(), "evaluation q1 question 0");
    ASSERT_EQ(rig.presenter.boxes.size(), 2u);
    EXPECT_EQ(std::tuple(rig.presenter.boxes[1].caption, rig.presenter.boxes[1].text),
              std::tuple(W("Prüfungssimulation beendet   (Meldung #3)"),
                         "Die Zeit ist abgelaufen. Bewerten Sie jetzt Ihre Antworten."));
    EXPECT_EQ(rig.Task(0).m_strAnswer, "halb getippt"); // the typed text is not lost
    rig.Q().OnTimer(); // no more ticks
    EXPECT_EQ(rig.presenter.boxes.size(), 2u);
    // The multiple-choice task (nothing ticked) was rated at once.
    EXPECT_EQ(std::tuple(int(rig.Task(3).m_nResult), rig.Q().CellText(3, 0)), std::tuple(0, "Falsch"));
}

TEST(ExamEvaluation, StoresAnswersUncheckedThenRatesThemAndEndsWithTheVerdict) {
    Rig rig(ExamData());
    StartTimedExam(rig, At(1, 1, 8, 0, 0));
    rig.Q().StartAt(0);
    EXPECT_FALSE(rig.Q().Screen().showSolution || rig.Q().Screen().edit);
    rig.Q().OnShowSolution();
    EXPECT_EQ(rig.Where(), "question 0");
    rig.Answer("x");
    EXPECT_EQ(rig.Where(), "question 1");
    EXPECT_EQ(std::tuple(rig.Q().CheckCount(), rig.Task(0).m_strAnswer, Stats(rig.Task(0))),
              std::tuple(0, "x", Counts({0, 0, 0})));
    EXPECT_EQ(rig.Row(0), " #" + std::to_string(ImageExamAnswered));
    EXPECT_EQ(rig.Q().RowImage(1), ImageExamUnanswered);
    rig.Q().OnBack(); rig.Q().OnBack(); // refused: 304
    EXPECT_EQ(rig.Q().Mode(), ModeTaskList);
    EXPECT_EQ(rig.presenter.boxes.back().caption, W("Fragebogen nicht wechselbar   (Meldung #5)"));
    rig.Q().StartAt(0); // revisiting shows the stored answer for revision
    EXPECT_EQ(std::tuple(rig.Q().AnswerText(), rig.Q().AnswerReadOnly()), std::tuple("x", false));

    rig.Q().OnBack(); rig.Q().StartAt(3); rig.Q().OnTickRow(0); rig.Q().OnAnswerOk();
    rig.presenter.answers = {ResultNo}; rig.Q().OnExamEnd();
    EXPECT_TRUE(rig.Q().ExamActive());
    rig.presenter.answers = {ResultYes}; rig.Q().OnExamEnd();
    ASSERT_EQ(rig.Exam(), "evaluation q1 list 0");
    // Multiple choice is rated right automatically.
    EXPECT_EQ(std::tuple(int(rig.Task(3).m_nResult), rig.Row(3), rig.Q().CellText(0, 0)),
              std::tuple(2, "Richtig #1", ""));

    rig.Q().OnBack(); // refused: 305
    EXPECT_EQ(rig.presenter.boxes.back().text,
              W("Sie können während der Prüfungsauswertung keinen anderen Fragebogen auswählen. "
                "Beenden Sie zuerst die Prüfungsauswertung."));

    rig.Q().StartAt(1); // the 3-point task, rated "Teilrichtig" with 2 points
    EXPECT_EQ(std::tuple(rig.Where(), rig.Q().AssessChoiceValue(), rig.Q().PointsEntries()),
              std::tuple("rating 1", AssessNone, std::vector<std::string>{"1 Punkt", "2 Punkte"}));
    rig.Q().OnPartialPoints(1); rig.Q().OnAnswerOk();
    EXPECT_EQ(std::tuple(int(rig.Task(1).m_nResult), rig.Where(), rig.Row(1)),
              std::tuple(2, "rating 2", "Teils #56"));
    rig.Q().SetAssessChoice(AssessWrong); rig.Q().OnAnswerOk();
    EXPECT_EQ(std::tuple(int(rig.Task(2).m_nResult), rig.Q().RowImage(2)), std::tuple(0, 66));
    rig.Q().OnBack(); rig.Q().StartAt(1); // opened again: the rating is shown
    EXPECT_EQ(rig.Q().AssessChoiceValue(), AssessPartly);
    rig.Q().SetAssessChoice(AssessRight); rig.Q().SetViewMode(ModeRating, true); // a resized window keeps it
    EXPECT_EQ(rig.Q().AssessChoiceValue(), AssessRight);
    rig.Q().OnBack(); rig.Q().StartAt(1); // but reopening shows the stored rating again
    EXPECT_EQ(std::tuple(rig.Q().AssessChoiceValue(), rig.Q().PointsSelection(), rig.Q().AnswerReadOnly()),
              std::tuple(AssessPartly, 1, true));

    // Task 0 (2 points) is unrated: 405, "Abbrechen" goes back to rating.
    rig.presenter.answers = {ResultCancel}; rig.Q().OnEvaluationEnd();
    EXPECT_EQ(std::tuple(rig.Q().EvaluationActive(), rig.presenter.boxes.back().caption),
              std::tuple(true, W("Prüfungsauswertung beenden?   (Frage #6)")));
    rig.presenter.answers = {ResultNo}; rig.Q().OnEvaluationEnd(); // unrated counts as right: 2+2+0+2
    EXPECT_EQ(rig.Exam(), "q1 overview 1 can-start");
    const RecordedBox& verdict = rig.presenter.boxes.back();
    // The texts themselves are checked by ExamVerdicts.
    EXPECT_EQ(std::tuple(verdict.caption, verdict.style, verdict.text),
              std::tuple(W("Nachprüfung nötig"), 0u, ExamVerdict(6, 10, 6).text));
    EXPECT_EQ(rig.Task(0).m_nResult, 2);

    // Nothing of the exam reaches the statistics or the file.
    EXPECT_FALSE(rig.doc.IsModified());
    const cTrainingData back = rig.CloseAndRead();
    for (const cTask& t : back.m_aTasks) {
        EXPECT_EQ(t.m_nResult, -1);
        EXPECT_EQ(t.m_nStats, (std::array<std::uint32_t, kTaskSlots>{}));
    }
}

struct Ending {
    const char* name;
    int answer; // button for 405, or for 404 when every task is rated
    std::int32_t pass, retake;
    bool rateAll;        // the other tasks rated wrong, else left unrated
    const char* caption; // of the last message
    bool goesOn;         // the evaluation goes on
};
void PrintTo(const Ending& c, std::ostream* os) { *os << c.name; }
class EvaluationEnd : public ::testing::TestWithParam<Ending> {};

// Tasks worth 2, 3 and 5 points; the 2-point task is rated right. "Nein" and "Abbrechen" to
// unrated tasks are walked through in StoresAnswersUncheckedThenRatesThemAndEndsWithTheVerdict.
TEST_P(EvaluationEnd, UnratedTasksCountAsChosen) {
    const Ending& c = GetParam();
    cTrainingData d = MakeData({TextTask("1", "a", "x", 2), TextTask("2", "b", "y", 3),
                                TextTask("3", "c", "z", 5)}, {{0, 1, 2}}, {300});
    d.m_aQuestionnaires[0].m_nPassPoints = static_cast<std::uint32_t>(c.pass);
    d.m_aQuestionnaires[0].m_nRetakePoints = static_cast<std::uint32_t>(c.retake);
    Rig rig(d);
    rig.randoms = {0}; rig.Q().OnExamStart();
    rig.presenter.answers = {ResultYes}; rig.Q().OnExamEnd();
    rig.Q().StartAt(0); rig.Q().SetAssessChoice(AssessRight); rig.Q().OnAnswerOk();
    for (int row = 1; c.rateAll && row < 3; ++row) {
        rig.Q().SetAssessChoice(AssessWrong); rig.Q().OnAnswerOk();
    }
    rig.presenter.answers = {c.answer}; rig.Q().OnEvaluationEnd();
    EXPECT_EQ(rig.Q().EvaluationActive(), c.goesOn);
    EXPECT_EQ(rig.Q().CanExamStart(), !c.goesOn);
    EXPECT_EQ(rig.presenter.boxes.back().caption, W(c.caption));
}

const char* const kAsk405 = "Prüfungsauswertung beenden?   (Frage #6)";
INSTANTIATE_TEST_SUITE_P(Answers, EvaluationEnd, ::testing::Values(
    Ending{"YesCountsWrong", ResultYes, 6, 6, false, "Prüfung nicht bestanden", false},
    Ending{"OkGoesOn", ResultOk, 6, 6, false, kAsk405, true},
    Ending{"YesFailsBelowRetake", ResultYes, 10, 6, false, "Prüfung nicht bestanden!", false},
    Ending{"AllRatedNoGoesOn", ResultNo, 2, 2, true, "Prüfungsauswertung beenden?   (Frage #5)",
           true},
    Ending{"AllRatedYesEnds", ResultYes, 2, 2, true, "Prüfung bestanden", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExamSimulation, StartsWithoutEarlierAnswersTicksOrRatings) {
    Rig rig(MakeData({TextTask("1", "a", "x", 2), ChoiceTask("2", {"r", "w"}, {true, false})},
                     {{0, 1}}, {300}));
    // Practice stores a typed answer and ticks; an earlier exam left a rating.
    rig.Ask(0); rig.Answer("geübt");
    rig.Q().StartAt(1); rig.Q().OnTickRow(0); rig.Q().OnAnswerOk();
    rig.Task(0).m_nResult = 2;
    rig.Q().OnExamStart();
    ASSERT_TRUE(rig.Q().ExamActive());
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(rig.Q().RowImage(row), ImageExamUnanswered);
        EXPECT_EQ(rig.Task(row).m_nResult, -1);
    }
    rig.Q().StartAt(1);
    EXPECT_FALSE(rig.Q().Tick(0));
    rig.Q().StartAt(0);
    EXPECT_EQ(rig.Q().AnswerText(), "");
}
