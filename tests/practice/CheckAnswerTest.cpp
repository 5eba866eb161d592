// Checking an answer and the verdict text shown for it.

#include "base/Cp1252.h"
#include "data/Task.h"
#include "practice/Verdict.h"

#include <gtest/gtest.h>

namespace {

struct Tol { const char *answer, *candidate; bool missing, extra, swap; int verdict; };
void PrintTo(const Tol& c, std::ostream* os) {
    *os << "\"" << c.answer << "\"~\"" << c.candidate << "\" " << c.missing << c.extra << c.swap;
}
class CompareWithTolerance : public ::testing::TestWithParam<Tol> {};
TEST_P(CompareWithTolerance, GivesVerdict) {
    const Tol& c = GetParam();
    EXPECT_EQ(cTask().CompareWithTolerance(c.answer, c.candidate, c.missing, c.extra, c.swap), c.verdict);
}
INSTANTIATE_TEST_SUITE_P(Rules, CompareWithTolerance, ::testing::Values(
    Tol{"haus", "haus", 0, 0, 0, 99}, Tol{"", "", 1, 1, 1, 99},
    // one letter missing, at every position
    Tol{"aus", "haus", 1, 0, 0, 1}, Tol{"hus", "haus", 1, 0, 0, 1}, Tol{"has", "haus", 1, 0, 0, 1},
    Tol{"hau", "haus", 1, 0, 0, 1}, Tol{"hus", "haus", 0, 1, 1, 0}, Tol{"hs", "haus", 1, 1, 1, 0},
    Tol{"hxs", "haus", 1, 0, 0, 0}, Tol{"", "h", 1, 0, 0, 1}, Tol{"", "h", 0, 1, 1, 0},
    Tol{"", "ha", 1, 1, 1, 0},
    // one letter too many, at every position
    Tol{"xhaus", "haus", 0, 1, 0, 2}, Tol{"hxaus", "haus", 0, 1, 0, 2}, Tol{"hausx", "haus", 0, 1, 0, 2},
    Tol{"hause", "haus", 0, 1, 0, 2}, Tol{"hause", "haus", 1, 0, 1, 0}, Tol{"hauses", "haus", 1, 1, 1, 0},
    Tol{"hxus", "hus", 0, 1, 0, 2}, Tol{"hxyus", "haus", 0, 1, 0, 0}, Tol{"h", "", 0, 1, 0, 2},
    Tol{"h", "", 1, 0, 1, 0},
    // two letters exchanged, adjacent or not
    Tol{"huas", "haus", 0, 0, 1, 3}, Tol{"hasu", "haus", 0, 0, 1, 3}, Tol{"hsua", "haus", 0, 0, 1, 3},
    Tol{"shua", "haus", 0, 0, 1, 0}, Tol{"hsau", "haus", 0, 0, 1, 0}, Tol{"tsar", "rast", 0, 0, 1, 0},
    Tol{"huas", "haus", 1, 1, 0, 0}, Tol{"hbus", "haus", 0, 0, 1, 0}, Tol{"hbcs", "haus", 0, 0, 1, 0},
    Tol{"ab", "ba", 0, 0, 1, 3}, Tol{"suah", "haus", 0, 0, 1, 0}));

struct Check {
    const char *answer, *solution, *pattern; // UTF-8, converted to Windows-1252; pattern: slot 1
    bool missing, extra, swap;
    int verdict;
};
void PrintTo(const Check& c, std::ostream* os) {
    *os << c.answer << "~" << c.solution << "|" << (c.pattern ? c.pattern : "-") << c.missing << c.extra
        << c.swap;
}
class CheckText : public ::testing::TestWithParam<Check> {};
TEST_P(CheckText, GivesVerdict) {
    const Check& c = GetParam();
    cTask task;
    task.m_nType = TaskTypeText;
    task.m_strAnswer = Cp1252FromUtf8(c.answer); task.m_strSolution = Cp1252FromUtf8(c.solution);
    if (c.pattern) {
        task.m_nPatternCount = 2; task.m_strPattern[1] = Cp1252FromUtf8(c.pattern);
    }
    const cTask before = task;
    EXPECT_EQ(task.CheckAnswer(c.missing, c.extra, c.swap), c.verdict);
    // The check works on copies: nothing stored in the task changes.
    EXPECT_EQ(task.m_strAnswer, before.m_strAnswer);
    EXPECT_EQ(task.m_strSolution, before.m_strSolution);
    EXPECT_EQ(task.m_strPattern, before.m_strPattern);
}
INSTANTIATE_TEST_SUITE_P(Answers, CheckText, ::testing::Values(
    // Case and umlauts fold; ß and accents stay; separators and outer blanks go, inner blanks stay.
    Check{"Das Haus", "das haus", nullptr, 0, 0, 0, 99}, Check{"ÄÖÜ", "äöü", nullptr, 0, 0, 0, 99},
    Check{"SS", "ß", nullptr, 0, 0, 0, 0}, Check{"e", "é", nullptr, 0, 0, 0, 0},
    Check{"ÉTÉ", "été", nullptr, 0, 0, 0, 99}, Check{"Haus!", "Haus", nullptr, 0, 0, 0, 99},
    Check{" Haus ", "Haus", nullptr, 0, 0, 0, 99}, Check{"Ha us", "Haus", nullptr, 1, 1, 1, 0},
    Check{"das  Haus", "das Haus", nullptr, 0, 0, 0, 0}, Check{"Haus\r\n", "Haus", nullptr, 0, 0, 0, 99},
    Check{"Ha\r\nus", "Haus", nullptr, 0, 0, 0, 0}, Check{"\t\v\fHaus\n", "Haus", nullptr, 0, 0, 0, 99},
    Check{"z B", "z. B.", nullptr, 0, 0, 0, 99},
    Check{".,-;:?!\"$%&/()=+*'#°^~´`@€a", "A", nullptr, 0, 0, 0, 99},
    Check{"Haus-tür", "Haustür", nullptr, 0, 0, 0, 99}, Check{"Haus !", "Haus", nullptr, 0, 0, 0, 99},
    Check{"", "", nullptr, 0, 0, 0, 99}, Check{"...", "", nullptr, 0, 0, 0, 99},
    Check{"", "Haus", nullptr, 1, 1, 1, 0}, Check{"Hasu", "Haus", nullptr, 1, 1, 1, 0},
    // A pattern replaces the solution; its entries are tried as they are, exact ones first.
    Check{"Gebäude", "Haus", "Haus|Gebäude", 0, 0, 1, 99},
    Check{"GEBÄUDE", "x", "Haus|Gebäude", 0, 0, 0, 99}, Check{"Hasu", "Haus", "Haus|Gebäude", 0, 0, 1, 3},
    Check{"Hause", "Haus", "Haus|Gebäude", 0, 0, 1, 0}, Check{"Hause", "Haus", "Haus|Gebäude", 0, 1, 1, 2},
    Check{"Gebude", "Haus", "Haus|Gebäude", 1, 0, 0, 1}, Check{"Haus", "x", "Hause|Haus", 1, 0, 0, 99},
    Check{"Hau", "x", "Hause|Haus", 1, 0, 0, 1}, Check{"Haus", "Haus", "Gebäude", 0, 0, 0, 0},
    Check{"z B", "z B", "z. B.", 1, 1, 1, 0}, Check{"Haus", "x", " Haus", 0, 0, 0, 0},
    Check{"Haus", "x", " Haus", 1, 0, 0, 1}, Check{"", "x", "Haus|", 0, 0, 0, 99},
    Check{"?", "x", "Haus|", 0, 0, 0, 99}, Check{"", "x", "", 0, 0, 0, 99},
    Check{"Baum", "Baum", "Haus|Gebäude", 1, 1, 1, 0}));

TEST(CheckTextFlags, CaseSensitiveTaskAndOwnSeparators) {
    cTask task;
    task.m_bCaseSensitive = true; task.m_strAnswer = "Das Haus"; task.m_strSolution = "das haus";
    EXPECT_EQ(task.CheckAnswer(false, false, false), 0);
    task.m_strSolution = "Das Haus.";
    EXPECT_EQ(task.CheckAnswer(false, false, false), 99);
    task.m_nPatternCount = 2; task.m_strPattern[1] = "haus|Hus"; task.m_strAnswer = "Haus";
    EXPECT_EQ(task.CheckAnswer(true, true, true), 2);

    cTask own;
    own.m_strSeparators = "x"; own.m_strAnswer = "Hxaus."; own.m_strSolution = "Haus.";
    EXPECT_EQ(own.CheckAnswer(false, false, false), 99);
    own.m_strAnswer = "Haus";
    EXPECT_EQ(own.CheckAnswer(false, false, false), 0);
}

TEST(CheckPatternEntries, HigherEntryIsDecidedFirstAndEntryZeroIsSkipped) {
    cTask task;
    task.m_strAnswer = "Hasu"; task.m_strSolution = "Hasu"; task.m_nPatternCount = 3;
    task.m_strPattern[0] = "hasu"; task.m_strPattern[1] = "Hasu"; task.m_strPattern[2] = "Haus";
    // Entry 2 accepts with a swap before entry 1 could match exactly.
    EXPECT_EQ(task.CheckAnswer(false, false, true), 3);
    EXPECT_EQ(task.CheckAnswer(false, false, false), 99);
    task.m_nPatternCount = 1; // only entry 0, which is never consulted
    EXPECT_EQ(task.CheckAnswer(true, true, true), 0);
    task.m_nPatternCount = 10; task.m_strPattern[2].clear(); task.m_strPattern[9] = "Haus";
    EXPECT_EQ(task.CheckAnswer(false, false, true), 3);
    task.m_nPatternCount = 200; // more than the slots: the last slot is still decided first
    EXPECT_EQ(task.CheckAnswer(false, false, true), 3);
}

// Ticks decide alone: text and tolerances play no part.
TEST(CheckChoice, ComparesTicks) {
    struct Choice { const char* name; int count; std::vector<bool> right, ticked; int verdict; };
    const Choice cases[] = {
        {"all_match", 3, {1, 0, 1}, {1, 0, 1}, 99}, {"one_extra_tick", 3, {1, 0, 1}, {1, 1, 1}, 0},
        {"one_missing_tick", 3, {1, 0, 1}, {1, 0, 0}, 0},
        {"none_ticked_none_right", 3, {0, 0, 0}, {0, 0, 0}, 99},
        {"no_answers", 0, {1}, {0}, 99}, {"beyond_count_ignored", 2, {1, 0, 1}, {1, 0, 0}, 99},
        {"ten_answers_last_differs", 10, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"ten_answers_match", 10, {1, 0, 1, 0, 1, 0, 1, 0, 1, 1}, {1, 0, 1, 0, 1, 0, 1, 0, 1, 1}, 99},
        {"count_above_slots", 250, {1, 1}, {1, 1}, 99}};
    for (const Choice& c : cases) {
        SCOPED_TRACE(c.name);
        cTask task;
        task.m_nType = TaskTypeMultipleChoice;
        task.m_nChoiceCount = static_cast<std::uint8_t>(c.count);
        std::copy(c.right.begin(), c.right.end(), task.m_bChoiceRight.begin());
        std::copy(c.ticked.begin(), c.ticked.end(), task.m_bChoiceTicked.begin());
        task.m_strAnswer = "irrelevant"; task.m_strSolution = "other";
        EXPECT_EQ(task.CheckAnswer(false, false, false), c.verdict);
        EXPECT_EQ(task.CheckAnswer(true, true, true), c.verdict);
    }
}

TEST(VerdictText, BuildsTheTextByteForByteForEveryVerdict) {
    cTask task;
    task.m_strQuestion = "Haus"; task.m_strSolution = "house";
    cTrainingData data;
    data.m_strRightTemplate = "R: {frage} = {antwort}"; data.m_strWrongTemplate = "F: {antwort} ({frage})";
    const std::string almost = "'hose'  ist fast Richtig (";
    const std::string right = ")!!!\r\nR: Haus = house";
    EXPECT_EQ(VerdictText(99, "hose", task, data), "'hose'  ist Richtig!!!\r\n\r\nR: Haus = house");
    EXPECT_EQ(VerdictText(1, "hose", task, data), almost + "Ein Buchstabe fehlte" + right);
    EXPECT_EQ(VerdictText(2, "hose", task, data), almost + "Ein Buchstabe war zuviel" + right);
    EXPECT_EQ(VerdictText(3, "hose", task, data), almost + "Zwei Buchstaben waren vertauscht" + right);
    EXPECT_EQ(VerdictText(0, "hose", task, data), "'hose'  ist Falsch!!\r\nF: house (Haus)");
    std::string last;
    for (const int verdict : {99, 1, 2, 3, 0})
        last += std::to_string(LastVerdictFor(verdict));
    EXPECT_EQ(last, "21110");
}

// {frage} is filled in first, then {antwort}: the solution put in by the second step is not
// searched for "{frage}" again, and the question's own "{antwort}" receives the solution. A
// placeholder inside its own replacement does not loop; the typed text stays as it is.
TEST(VerdictTextTemplates, QuestionFirstThenAnswerOnce) {
    struct Case { const char *question, *solution, *right, *wrong; int verdict; const char *typed, *text; };
    const Case cases[] = {
        {"Was heißt {antwort}?", "{frage}", "{frage}|{antwort}|{frage}", "", 99, "",
         "''  ist Richtig!!!\r\n\r\nWas heißt {frage}?|{frage}|Was heißt {frage}?"},
        {"", "", "", "", 0, "  Größe {frage}\r\n", "'  Größe {frage}\r\n'  ist Falsch!!\r\n"},
        {"{frage}{frage}", "{antwort}", "", "{frage}/{antwort}", 0, "a",
         "'a'  ist Falsch!!\r\n{frage}{frage}/{antwort}"}};
    for (const Case& c : cases) {
        cTask task;
        task.m_strQuestion = Cp1252FromUtf8(c.question); task.m_strSolution = c.solution;
        cTrainingData data;
        data.m_strRightTemplate = c.right; data.m_strWrongTemplate = c.wrong;
        EXPECT_EQ(VerdictText(c.verdict, Cp1252FromUtf8(c.typed), task, data), Cp1252FromUtf8(c.text));
    }
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce) {
    EXPECT_EQ(ReplaceAll("aXbXX", "X", "YY") + "|" + ReplaceAll("abc", "", "z"), "aYYbYYYY|abc");
    EXPECT_EQ(ReplaceAll("{a}{a}", "{a}", "") + "|" + ReplaceAll("xx", "x", "xx"), "|xxxx");
}

} // namespace
