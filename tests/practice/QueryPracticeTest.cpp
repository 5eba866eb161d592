// Practising a questionnaire end to end on real training files.

#include "practice/QueryTestSupport.h"
#include "practice/TaskList.h"

#include <algorithm>
#include <functional>
#include <tuple>

using namespace querytest;

namespace {

cTrainingData Vocabulary() {
    cTask door = TextTask("3", W("Tür"), "door");
    door.m_nPatternCount = 2; door.m_strPattern[1] = "door|gate";
    cTrainingData d = MakeData({TextTask("1", "Haus", "house"), TextTask("2", "Baum", "tree", 3), door},
                               {{0, 1, 2}, {2}});
    d.m_bAllowSwap = true;
    return d;
}

const char* const kOverview = "Fragebogenübersicht (Doppelklicken Sie mit der linken Maustaste "
                              "auf einen Fragebogen, um ihn zu öffnen)";
const char* const kListHint = "' (Doppelklicken Sie auf eine Zeile, um die Abfrage an dieser "
                              "Stelle zu starten)";
std::string Heading(const char* no) { return "Aufgabe Nr.: " + (no + std::string(25, ' ')) + "Vokabeln"; }

} // namespace

TEST(QueryPractice, HeadingFollowsEveryStep) {
    Rig rig(Vocabulary());
    // The overview comes first, with the first questionnaire already loaded.
    // "Alle Aufgaben" is hidden without m_bShowAll.
    EXPECT_EQ(std::tuple(rig.Q().CurrentQuestionnaire(), rig.Q().RowCount(), rig.Q().OverviewCount()),
              std::tuple(0, 3, 2));
    EXPECT_TRUE(rig.Q().Screen().questionnaireList && !rig.Q().Screen().taskList);
    const std::string task2 = Heading("2"), list1 = "Fragebogen 'Fragebogen 1" + std::string(kListHint);
    const std::string list2 = "Fragebogen 'Fragebogen 2" + std::string(kListHint);
    struct Step { const char* what; std::function<void()> act; int mode; std::string heading; };
    const std::vector<Step> steps = {
        {"start-up", [] {}, ModeOverview, W(kOverview)},
        {"open 2", [&] { rig.Q().OpenQuestionnaire(1); }, ModeTaskList, list2},
        {"back", [&] { rig.Q().OnBack(); }, ModeOverview, W(kOverview)},
        {"open 1", [&] { rig.Q().OpenQuestionnaire(0); }, ModeTaskList, list1},
        {"start", [&] { rig.Q().StartAt(1); }, ModeQuestion, task2},
        {"answer", [&] { rig.Answer("tree"); }, ModeResult, task2},
        {"solution", [&] { rig.Q().OnAnswerOk(); rig.Q().OnBack(); rig.Q().StartAt(1);
                           rig.Q().OnShowSolution(); }, ModeResult, task2},
        {"back to list", [&] { rig.Q().OnBack(); }, ModeTaskList, list1},
        {"reload in place", [&] { rig.Q().LoadQuestionnaire(1); }, ModeTaskList, list2},
        {"resize", [&] { rig.Q().SetViewMode(ModeTaskList, true); }, ModeTaskList, list2},
        {"back again", [&] { rig.Q().OnBack(); }, ModeOverview, W(kOverview)},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(rig.Q().Mode(), step.mode) << step.what;
        EXPECT_EQ(rig.Q().Heading(), step.heading) << step.what;
    }
    // Going back from an answered task leaves no answer behind and asks nothing.
    EXPECT_EQ(rig.Q().AnswerText(), "");
    EXPECT_TRUE(rig.presenter.boxes.empty());
    // Questionnaire 2 is still loaded.
    EXPECT_EQ(std::tuple(rig.Q().RowCount(), rig.Q().ColumnTitle(0), rig.Q().CellText(0, 1)),
              std::tuple(1, "Statistik", W("Tür")));
    // Editing the questionnaires keeps the heading of the mode shown: a new one from a list
    // opens its own list, and deleting it (in the overview the highlighted row) leaves the overview.
    rig.Q().OpenQuestionnaire(0);
    rig.Q().OnNewQuestionnaire();
    EXPECT_EQ(std::tuple(rig.Q().Mode(), rig.Q().Heading(), rig.Q().RowCount()),
              std::tuple(ModeTaskList, "Fragebogen 'Neuer Fragebogen" + std::string(kListHint), 0));
    rig.Q().OnBack();
    rig.presenter.answers = {ResultYes};
    rig.Q().OnDeleteQuestionnaire(0);
    EXPECT_EQ(std::tuple(rig.Q().Mode(), rig.Q().Heading(), rig.doc.m_data.m_aQuestionnaires[0].m_strTitle),
              std::tuple(ModeOverview, W(kOverview), "Fragebogen 2"));
}

TEST(QueryPractice, CountsRightWrongAndToleratedAnswersIntoTheFile) {
    Rig rig(Vocabulary());
    rig.Q().OpenQuestionnaire(0);
    rig.Q().StartQuery(); // in list order without a current row: row 0, nothing drawn
    EXPECT_EQ(std::tuple(rig.draws, rig.Q().Heading(), rig.Q().ResultText()),
              std::tuple(0, Heading("1"), "Frage: Haus"));
    EXPECT_FALSE(rig.Q().AnswerReadOnly());
    // Each answer: verdict text and mark, the row's statistics text and image, beeps so far.
    struct Step { const char *typed, *text; int verdict; const char* row; int beeps; };
    const Step steps[] = {
        {"House!", "'House!'  ist Richtig!!!\r\n\r\nRichtig: house", 2, " 1 /  0 #1", 0},
        {"three", "'three'  ist Falsch!!\r\nFalsch, richtig ist: tree", 0, " 0 /  0 /  1 #66", 1},
        // "gate" with two letters swapped: counts as fully right
        {"gaet", "'gaet'  ist fast Richtig (Zwei Buchstaben waren vertauscht)!!!\r\nRichtig: door", 1,
         " 1 /  0 #1", 1}};
    for (int row = 0; row < 3; ++row) {
        const Step& s = steps[row];
        ASSERT_EQ(rig.Where(), "question " + std::to_string(row));
        EXPECT_EQ(rig.Q().AnswerText(), "");
        rig.Answer(s.typed);
        EXPECT_EQ(rig.Where(), "result " + std::to_string(row));
        EXPECT_EQ(std::tuple(rig.Q().ResultText(), rig.Q().LastVerdict()), std::tuple(s.text, s.verdict));
        EXPECT_EQ(rig.Q().Screen().rightMark, s.verdict > 0);
        EXPECT_EQ(rig.Q().Screen().wrongMark, s.verdict == 0);
        EXPECT_TRUE(rig.Q().AnswerReadOnly());
        EXPECT_EQ(rig.Row(row), s.row);
        EXPECT_EQ(rig.host.beeps, s.beeps);
        rig.Q().OnAnswerOk(); // the next task; after the last one row 0 again
    }
    EXPECT_EQ(rig.Where(), "question 0");

    // Skipping and showing the solution never count.
    rig.Q().OnSkip(); rig.Q().OnShowSolution();
    EXPECT_EQ(rig.Where(), "result 1");
    EXPECT_EQ(std::tuple(rig.Q().LastVerdict(), rig.Q().ResultText()), std::tuple(-1, "Richtig: tree"));
    EXPECT_FALSE(rig.Q().Screen().rightMark || rig.Q().Screen().wrongMark);
    rig.Q().OnAnswerOk();
    EXPECT_EQ(rig.Q().CurrentRow(), 2);
    rig.Q().OnSkip();
    EXPECT_EQ(rig.Q().CurrentRow(), 0);

    EXPECT_EQ(AllStats(rig.CloseAndRead()), (std::vector<Counts>{{0, 1}, {1, 0, 0, 0}, {0, 1}}));
}

TEST(QueryPractice, NextOnRightGoesOnAtOnceButStopsAfterWrongAnswers) {
    cTrainingData d = Vocabulary();
    d.m_bAllowSwap = false;
    d.m_bAllowMissing = true; // "huse" is tolerated against the pattern, and goes on
    d.m_aTasks[0].m_nPatternCount = 2; d.m_aTasks[0].m_strPattern[1] = "house";
    cTask self = TextTask("4", "q", "a", 2);
    self.m_bSelfAssess = true;
    d.m_aTasks.push_back(self);
    d.m_aQuestionnaires[0].m_aTaskIndex.push_back(3);
    Rig rig(d, true);
    rig.Ask(0); rig.Answer("huse");
    EXPECT_EQ(rig.Where(), "question 1");
    EXPECT_EQ(rig.Q().LastVerdictText(),
              "'huse'  ist fast Richtig (Ein Buchstabe fehlte)!!!\r\nRichtig: house");
    EXPECT_EQ(rig.Q().CheckCount(), 1);
    rig.Answer("wood");
    EXPECT_EQ(rig.Where(), "result 1");
    // A self-assessed answer is counted by its preset and goes on at once.
    rig.Q().OnBack(); rig.Q().StartAt(3); rig.Answer("a");
    EXPECT_EQ(rig.Where(), "question 0");
    EXPECT_EQ(Stats(rig.Task(3)), Counts({0, 0, 1}));
}

TEST(QueryPractice, EmptyAnswerSkipsOnlyTextTasks) {
    cTask plain = TextTask("2", "b", "y");
    plain.m_nType = TaskTypeNone;
    Rig rig(MakeData({TextTask("1", "a", "x"), plain}, {{0, 1}}));
    rig.Ask(0); rig.Answer("");
    EXPECT_EQ(rig.Where(), "question 1");
    EXPECT_EQ(rig.Q().CheckCount(), 0);
    rig.Answer("");
    EXPECT_EQ(rig.Where(), "result 1");
    EXPECT_EQ(AllStats(rig.doc.m_data), (std::vector<Counts>{{0, 0}, {1, 0}}));
}

TEST(QueryPractice, SolutionTemplateFillsAnswerBeforeQuestionAndEmptyTemplatesShowTheTexts) {
    cTrainingData d = MakeData({TextTask("1", "Q{antwort}", "S{frage}")}, {{0}});
    d.m_strRightTemplate = "[{frage}|{antwort}]";
    Rig rig(d);
    rig.Ask(0); rig.Q().OnShowSolution();
    // {antwort} first: the inserted solution's "{frage}" is filled in afterwards.
    EXPECT_EQ(rig.Q().ResultText(), "[Q{antwort}|SQ{antwort}]");
    d = MakeData({TextTask("1", "Hund", "dog")}, {{0}});
    d.m_strQuestionTemplate.clear(); d.m_strRightTemplate.clear();
    Rig empty(d);
    empty.Ask(0);
    const std::string question = empty.Q().ResultText();
    empty.Q().OnShowSolution();
    EXPECT_EQ(question + "|" + empty.Q().ResultText(), "Hund|dog");
}

struct Assess {
    const char* name;
    int points;
    const char* answer;
    int pick, entry;  // -2 keep the preset, else the AssessChoice to set; "Teilrichtig" entry or -1
    int presetChoice; // expected preset after the check
    int countedSlot;  // counter that grows, -1 none
};
void PrintTo(const Assess& c, std::ostream* os) { *os << c.name; }
class SelfAssessment : public ::testing::TestWithParam<Assess> {};
TEST_P(SelfAssessment, CountsTheRating) {
    const Assess& c = GetParam();
    cTask t = TextTask("1", "Haus", "house", c.points);
    t.m_bSelfAssess = true; t.m_nPatternCount = 2; t.m_strPattern[1] = "house";
    cTrainingData d = MakeData({t, TextTask("2", "b", "b")}, {{0, 1}});
    d.m_bAllowExtra = true;
    Rig rig(d);
    rig.Ask(0); rig.Answer(c.answer);
    ASSERT_EQ(rig.Q().Mode(), ModeRating);
    // No beep; the rating screen shows the solution and offers "Teilrichtig" above one point.
    const bool partly = rig.Q().Screen().radioPartly;
    EXPECT_EQ(std::tuple(rig.host.beeps, rig.Q().AssessChoiceValue(), rig.Q().ResultText(), partly),
              std::tuple(0, c.presetChoice, "Richtig: house", c.points > 1));
    // The points list offers one entry per partial value, the first one chosen.
    const std::vector<std::string> entries = {"1 Punkt", "2 Punkte", "3 Punkte"};
    EXPECT_EQ(rig.Q().PointsEntries(),
              std::vector<std::string>(entries.begin(), entries.begin() + c.points - 1));
    EXPECT_EQ(rig.Q().PointsSelection(), c.points > 1 ? 0 : -1);
    if (c.pick != -2)
        rig.Q().SetAssessChoice(c.pick);
    if (c.entry >= 0)
        rig.Q().OnPartialPoints(c.entry);
    std::vector<std::uint32_t> expected(c.points + 1, 0);
    EXPECT_EQ(Stats(rig.Task(0)), expected); // not yet
    rig.Q().OnAnswerOk();
    EXPECT_EQ(rig.Where(), "question 1");
    if (c.countedSlot >= 0)
        expected[c.countedSlot] = 1;
    EXPECT_EQ(Stats(rig.Task(0)), expected);
}
INSTANTIATE_TEST_SUITE_P(Ratings, SelfAssessment, ::testing::Values(
    Assess{"RightPresetCountsFull", 3, "house", -2, -1, AssessRight, 3},
    Assess{"WrongPresetCountsZero", 3, "tree", -2, -1, AssessWrong, 0},
    Assess{"PartlyTwoPoints", 3, "tree", -2, 1, AssessWrong, 2},
    Assess{"PartlyOnePoint", 3, "tree", AssessPartly, -1, AssessWrong, 1},
    Assess{"FourPointsPartlyThree", 4, "tree", -2, 2, AssessWrong, 3},
    Assess{"ToleratedPresetsPartly", 3, "houses", -2, -1, AssessPartly, 1},
    Assess{"OnePointPartlyCountsRight", 1, "houses", -2, -1, AssessPartly, 1},
    Assess{"NoChoiceCountsNothing", 2, "tree", AssessNone, -1, AssessWrong, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QueryPractice, MultipleChoiceTicksDecideAndShowTheirIcons) {
    Rig rig(MakeData({ChoiceTask("1", {"a", "b", "c"}, {true, false, true}),
                      ChoiceTask("2", {"a", "b", "c", "d"}, {true, false, false, false})}, {{0, 1}}));
    rig.Ask(0);
    EXPECT_TRUE(rig.Q().Screen().choiceRows == 3 && !rig.Q().Screen().answerField);
    EXPECT_EQ(rig.Q().ChoiceText(2), "c");
    rig.Q().OnTickRow(0); rig.Q().OnTickRow(1);
    EXPECT_EQ(rig.Q().Screen().tickIcon, (std::array<int, 3>{TickIconOn, TickIconOn, TickIconOff}));
    rig.Q().OnAnswerOk();
    EXPECT_EQ(rig.Q().LastVerdict(), 0);
    EXPECT_EQ(rig.Q().Screen().tickIcon,
              (std::array<int, 3>{TickIconTickedRight, TickIconTickedWrong, TickIconMissed}));
    rig.Q().OnTickRow(2); // no ticking outside the question screen
    EXPECT_FALSE(rig.Q().Tick(2));
    rig.Q().OnAnswerOk();
    EXPECT_EQ(rig.Q().CurrentRow(), 1);
    EXPECT_TRUE(rig.Q().Screen().choiceRows == 0 && rig.Q().Screen().answerField); // four answers
    rig.Q().SetTicks(1u); rig.Q().OnAnswerOk();
    EXPECT_EQ(rig.Q().LastVerdict(), 2);
    EXPECT_EQ(AllStats(rig.doc.m_data), (std::vector<Counts>{{1, 0}, {0, 1}}));
}

struct Filter {
    int maxWords, minRight, minPercent;
    std::string solution;
    int points;
    Counts stats;
    bool excluded;
};
void PrintTo(const Filter& c, std::ostream* os) {
    *os << c.maxWords << '/' << c.minRight << '/' << c.minPercent << " \"" << c.solution << '"';
}
class SelectionFilter : public ::testing::TestWithParam<Filter> {};
TEST_P(SelectionFilter, ExcludesOrAsks) {
    const Filter& c = GetParam();
    cTask candidate = TextTask("2", "q", c.solution, c.points);
    std::copy(c.stats.begin(), c.stats.end(), candidate.m_nStats.begin());
    cTrainingData d = MakeData({TextTask("1", "p", "x"), candidate}, {{0, 1}});
    d.m_nMaxWords = static_cast<std::uint8_t>(c.maxWords);
    d.m_nMinRight = static_cast<std::uint8_t>(c.minRight);
    d.m_nMinPercent = static_cast<std::uint8_t>(c.minPercent);
    Rig rig(d);
    rig.Q().OpenQuestionnaire(0); rig.Q().SelectTask(-1); // row 0 current: row 1 is tried first
    EXPECT_EQ(rig.Q().CurrentRow(), c.excluded ? 0 : 1);
    EXPECT_TRUE(rig.presenter.boxes.empty());
}
// Words are counted by blanks; a share of right answers is rounded down.
INSTANTIATE_TEST_SUITE_P(Rules, SelectionFilter, ::testing::Values(
    Filter{1, 0, 0, "das Haus", 1, {}, true}, Filter{1, 0, 0, "Haus ", 1, {}, true},
    Filter{1, 0, 0, "Haus", 1, {}, false}, Filter{2, 0, 0, "a  b", 1, {}, true},
    Filter{0, 0, 0, "a b c d e f g", 1, {}, false}, Filter{1, 0, 0, " Haus", 1, {}, true},
    Filter{1, 0, 0, "", 1, {}, false},
    Filter{1, 0, 0, "Donaudampfschifffahrtsgesellschaftskapitaensmuetzenabzeichenherstellung", 1, {}, false},
    Filter{8, 0, 0, "a b c d e f g h i", 1, {}, true}, Filter{9, 0, 0, "a b c d e f g h i", 1, {}, false},
    Filter{1, 0, 0, "abcdefgh i", 1, {}, true}, Filter{1, 0, 0, "abcdefghijklmnopqrstuvw ", 1, {}, true},
    Filter{1, 0, 0, "Stra\xDF" "e\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0", 1, {}, false}, // no blanks
    Filter{200, 0, 0, std::string(200, ' '), 1, {}, true},
    Filter{0, 2, 0, "x", 1, {0, 2}, true}, Filter{0, 2, 0, "x", 1, {0, 1}, false},
    Filter{0, 1, 0, "x", 0, {3}, false}, Filter{0, 0, 75, "x", 1, {1, 3}, true},
    Filter{0, 0, 75, "x", 1, {101, 299}, false}, Filter{0, 0, 1, "x", 1, {100, 1}, false},
    Filter{0, 0, 1, "x", 1, {99, 1}, true}, Filter{0, 0, 1, "x", 1, {0, 0}, false},
    Filter{0, 0, 50, "x", 3, {0, 5, 0, 1}, false})); // partly right is not right

struct Search {
    const char* name;
    int rows, current;       // current: the row asked before the search
    std::vector<int> pass;   // rows that pass the filter
    int expected;
    bool byCounters = false; // the others are excluded by their counters, else by two words
};
void PrintTo(const Search& c, std::ostream* os) { *os << c.name; }
class SequentialSearch : public ::testing::TestWithParam<Search> {};
TEST_P(SequentialSearch, FindsTheNextPassingRowAroundTheEnd) {
    const Search& c = GetParam();
    std::vector<cTask> tasks;
    std::vector<std::uint32_t> list;
    for (int i = 0; i < c.rows; ++i) {
        const bool passes = std::find(c.pass.begin(), c.pass.end(), i) != c.pass.end();
        const char* solution = passes && !c.byCounters ? "eins" : "zwei Worte";
        tasks.push_back(TextTask(std::to_string(i + 1), "q", solution));
        if (c.byCounters)
            tasks.back().m_nStats[1] = passes ? 1 : 2;
        list.push_back(static_cast<std::uint32_t>(i));
    }
    cTrainingData d = MakeData(tasks, {list});
    d.m_nMaxWords = c.byCounters ? 0 : 1;
    d.m_nMinRight = c.byCounters ? 2 : 0;
    Rig rig(d);
    rig.Ask(c.current); rig.Q().OnSkip();
    EXPECT_EQ(rig.Q().CurrentRow(), c.expected);
    // When every row is excluded, one message says so and row 0 is asked.
    ASSERT_EQ(rig.presenter.boxes.size(), c.pass.empty() ? 1u : 0u);
    if (c.pass.empty()) {
        EXPECT_EQ(rig.presenter.boxes[0].caption, "Keine passende Aufgabe mehr   (Meldung #7)");
        EXPECT_EQ(rig.presenter.boxes[0].text, "Es konnte keine passende Aufgabe mehr gefunden werden");
    }
}
INSTANTIATE_TEST_SUITE_P(Rows, SequentialSearch, ::testing::Values(
    Search{"OneRowPasses", 1, 0, {0}, 0}, Search{"OneRowExcluded", 1, 0, {}, 0},
    Search{"NextRow", 2, 0, {1}, 1}, Search{"ItselfAfterAFullRound", 2, 1, {1}, 1},
    Search{"NoneOfTwoFromTheLastRow", 2, 1, {}, 0}, Search{"WrapsFromTheLastRow", 17, 16, {3}, 3},
    Search{"FarAheadInALongList", 40, 2, {37}, 37}, Search{"NearestOfSeveral", 40, 30, {5, 31, 35}, 31},
    Search{"NoneInALongList", 40, 12, {}, 0},
    Search{"CountersNearestOfSeveral", 40, 30, {5, 31, 35}, 31, true},
    Search{"CountersNoneInALongList", 40, 12, {}, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuerySelection, RandomOrderDrawsOnlyTheFirstCandidate) {
    std::vector<cTask> tasks;
    for (int i = 0; i < 4; ++i)
        tasks.push_back(TextTask(std::to_string(i + 1), "q", i == 1 ? "x y" : "x"));
    cTrainingData d = MakeData(tasks, {{0, 1, 2, 3}});
    d.m_bRandom = true;
    d.m_nMaxWords = 1; // row 1 is excluded
    Rig rig(d);
    rig.Q().OpenQuestionnaire(0); rig.randoms = {6, 5, 7};
    rig.Q().StartQuery();
    EXPECT_EQ(rig.Q().CurrentRow(), 2); // 6 mod 4
    rig.Q().OnSkip();                   // 5 mod 4 = 1 is excluded, the search runs on
    EXPECT_EQ(rig.Q().CurrentRow(), 2);
    EXPECT_EQ(rig.draws, 2);
    rig.Q().OnSkip(); // 7 mod 4
    EXPECT_EQ(rig.Q().CurrentRow(), 3);
}

TEST(QueryPractice, ResetStatisticsAsksAndClearsEveryTask) {
    cTask a = TextTask("1", "a", "x", 3), b = TextTask("2", "b", "y"), c = TextTask("3", "a", "z");
    a.m_nStats = {1, 2, 3, 4}; b.m_nStats = {5, 6}; c.m_nStats = {0, 1};
    Rig rig(MakeData({a, b, c}, {{1, 2}}));
    rig.Q().OpenQuestionnaire(0); rig.presenter.answers = {ResultNo, ResultYes};
    rig.Q().OnResetStatistics();
    EXPECT_EQ(rig.Task(1).m_nStats[0], 5u);
    EXPECT_EQ(rig.Q().CellText(0, 0), " 6 /  5");
    EXPECT_EQ(rig.presenter.boxes.at(0).caption, W("Statistik zurücksetzen?   (Frage #2)"));
    EXPECT_EQ(rig.presenter.boxes.at(0).text,
              W("Soll die Statistik wirklich zurückgesetzt werden? Die Anzahl der richtigen und "
                "der falschen Beantwortungen wird dann zurückgesetzt."));
    rig.host.changes = 0;
    rig.Q().OnResetStatistics();
    // Every task of the file, not only those of the open questionnaire.
    EXPECT_EQ(AllStats(rig.doc.m_data), (std::vector<Counts>{{0, 0, 0, 0}, {0, 0}, {0, 0}}));
    EXPECT_NE(rig.host.changes & ChangeRows, 0u);
    // The first column of every row reads " 0 /  0 /  0", the one-point task's too.
    EXPECT_EQ(rig.Row(0) + "|" + rig.Row(1), " 0 /  0 /  0 #0| 0 /  0 /  0 #0");
    rig.Q().OnColumnClick(1); // sorted by question: "a" (task 2) first; the text moves along
    EXPECT_EQ(rig.Q().RowTasks(), Counts({2, 1}));
    EXPECT_EQ(rig.Q().CellText(1, 0), " 0 /  0 /  0");
    rig.Q().StartAt(1); rig.Answer("y"); // refreshing the row shows its own statistics text again
    EXPECT_EQ(rig.Row(1), " 1 /  0 #1");
    EXPECT_EQ(rig.Q().CellText(0, 0), " 0 /  0 /  0");
    rig.Q().OnBack(); rig.Q().OpenQuestionnaire(0); // reloading refreshes every row
    EXPECT_EQ(rig.Q().CellText(1, 0), " 0 /  0");
}

TEST(QueryPractice, ResetKeepsAFirstColumnOfAnotherKind) {
    cTask a = TextTask("7", "a", "x");
    a.m_nStats = {2, 1};
    cTrainingData d = MakeData({a}, {{0}});
    d.m_aColumnTitle = {"Nr", "Statistik"}; d.m_aColumnWidth = {40, 100};
    d.m_aColumnKind = {ColumnTaskNo, ColumnStatistics};
    Rig rig(d);
    rig.Q().OpenQuestionnaire(0); rig.presenter.answers = {ResultYes};
    rig.Q().OnResetStatistics();
    EXPECT_EQ(rig.Q().CellText(0, 0), "7");
    EXPECT_EQ(rig.Q().CellText(0, 1) + " #" + std::to_string(rig.Q().RowImage(0)), " 0 /  0 #0");
}

TEST(QueryPractice, SoundPlaysWhenATaskIsShownAndResumesAfterPause) {
    cTask withSound = TextTask("1", "a", "x"), missing = TextTask("2", "b", "y");
    withSound.m_strSound = "mein ton-1.wav/ignored"; missing.m_strSound = "fehlt.wav";
    Rig rig(MakeData({withSound, missing}, {{0, 1}}));
    testfiles::WriteBytes(rig.dir.Path("meinton1.wav"), "RIFF");
    rig.Q().OpenQuestionnaire(0); rig.player.log.clear();
    rig.Q().StartAt(0);
    ASSERT_GE(rig.player.log.size(), 1u);
    EXPECT_EQ(rig.player.log.front(), "open " + rig.dir.Dir() + "/meinton1.wav");
    EXPECT_EQ(rig.player.log.back(), "play");
    EXPECT_TRUE(rig.Q().Screen().play);
    rig.player.log.clear(); rig.Q().OnPauseSound(); rig.Q().OnPlaySound();
    EXPECT_EQ(rig.player.log, (std::vector<std::string>{"pause", "play"}));
    rig.player.log.clear(); rig.Q().OnSkip();
    EXPECT_FALSE(rig.Q().SoundOpen()); // the second task's file does not exist
    EXPECT_EQ(rig.player.log, (std::vector<std::string>{"stop", "close"}));
    EXPECT_TRUE(rig.Q().Screen().play); // the buttons depend on the task's text only
}

TEST(QueryPractice, HeadingShowsPointsOnlyInTimedQuestionnaires) {
    Rig rig(MakeData({TextTask("7", "a", "x", 3), TextTask("8", "b", "y", 1), TextTask("9", "c", "z", 0)},
                     {{0, 1, 2}, {0}}, {600, -1}));
    rig.Ask(0);
    EXPECT_EQ(rig.Q().Heading(), Heading("7") + "     ( 3 Punkte)");
    rig.Q().OnSkip();
    EXPECT_EQ(rig.Q().Heading(), Heading("8") + "     (1 Punkt)");
    rig.Q().OnSkip();
    EXPECT_EQ(rig.Q().Heading(), Heading("9"));
    rig.Q().OnBack(); rig.Q().OnBack(); rig.Ask(0, 1);
    EXPECT_EQ(rig.Q().Heading(), Heading("7"));
}
