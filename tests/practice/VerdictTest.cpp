#include "practice/Verdict.h"

#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct TextCase {
    int verdict;
    const char* expected;
    int last;
};
void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << "verdict " << c.verdict;
}
class VerdictTextFor : public ::testing::TestWithParam<TextCase> {};
TEST_P(VerdictTextFor, BuildsTheTextByteForByte)
{
    const TextCase& c = GetParam();
    cTask task;
    task.m_strQuestion = "Haus";
    task.m_strSolution = "house";
    cTrainingData data;
    data.m_strRightTemplate = "R: {frage} = {antwort}";
    data.m_strWrongTemplate = "F: {antwort} ({frage})";
    EXPECT_EQ(VerdictText(c.verdict, "hose", task, data), c.expected);
    EXPECT_EQ(LastVerdictFor(c.verdict), c.last);
}
INSTANTIATE_TEST_SUITE_P(Verdicts, VerdictTextFor, ::testing::Values(
    TextCase{99, "'hose'  ist Richtig!!!\r\n\r\nR: Haus = house", 2},
    TextCase{1, "'hose'  ist fast Richtig (Ein Buchstabe fehlte)!!!\r\nR: Haus = house", 1},
    TextCase{2, "'hose'  ist fast Richtig (Ein Buchstabe war zuviel)!!!\r\nR: Haus = house", 1},
    TextCase{3,
             "'hose'  ist fast Richtig (Zwei Buchstaben waren vertauscht)!!!\r\nR: Haus = house",
             1},
    TextCase{0, "'hose'  ist Falsch!!\r\nF: house (Haus)", 0}));

TEST(VerdictTextTemplates, QuestionFirstThenAnswerEverywhere)
{
    cTask task;
    task.m_strQuestion = "Was heißt {antwort}?";
    task.m_strSolution = "{frage}";
    cTrainingData data;
    data.m_strRightTemplate = "{frage}|{antwort}|{frage}";
    // The solution put in by the second step is not searched for "{frage}" again, and the
    // question's own "{antwort}" receives the solution.
    EXPECT_EQ(VerdictText(99, "", task, data),
              "''  ist Richtig!!!\r\n\r\nWas heißt {frage}?|{frage}|Was heißt {frage}?");
}

TEST(VerdictTextTemplates, EmptyTemplatesAndTypedTextAsIs)
{
    const cTask task;
    const cTrainingData data;
    const std::string typed = Cp1252FromUtf8("  Größe {frage}\r\n");
    EXPECT_EQ(VerdictText(0, typed, task, data), "'" + typed + "'  ist Falsch!!\r\n");
}

TEST(VerdictTextTemplates, PlaceholderInsideItsOwnReplacementDoesNotLoop)
{
    cTask task;
    task.m_strQuestion = "{frage}{frage}";
    task.m_strSolution = "{antwort}";
    cTrainingData data;
    data.m_strWrongTemplate = "{frage}/{antwort}";
    EXPECT_EQ(VerdictText(0, "a", task, data), "'a'  ist Falsch!!\r\n{frage}{frage}/{antwort}");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce)
{
    EXPECT_EQ(ReplaceAll("aXbXX", "X", "YY"), "aYYbYYYY");
    EXPECT_EQ(ReplaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(ReplaceAll("{a}{a}", "{a}", ""), "");
    EXPECT_EQ(ReplaceAll("xx", "x", "xx"), "xxxx");
}

} // namespace
