#include "practice/Verdict.h"

#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(VerdictText, BuildsTheTextByteForByteForEveryVerdict) {
    cTask task;
    task.m_strQuestion = "Haus";
    task.m_strSolution = "house";
    cTrainingData data;
    data.m_strRightTemplate = "R: {frage} = {antwort}";
    data.m_strWrongTemplate = "F: {antwort} ({frage})";
    const std::string almost = "'hose'  ist fast Richtig (";
    const std::string right = ")!!!\r\nR: Haus = house";
    EXPECT_EQ(VerdictText(99, "hose", task, data), "'hose'  ist Richtig!!!\r\n\r\nR: Haus = house");
    EXPECT_EQ(VerdictText(1, "hose", task, data), almost + "Ein Buchstabe fehlte" + right);
    EXPECT_EQ(VerdictText(2, "hose", task, data), almost + "Ein Buchstabe war zuviel" + right);
    EXPECT_EQ(VerdictText(3, "hose", task, data),
              almost + "Zwei Buchstaben waren vertauscht" + right);
    EXPECT_EQ(VerdictText(0, "hose", task, data), "'hose'  ist Falsch!!\r\nF: house (Haus)");
    EXPECT_EQ(LastVerdictFor(99), 2);
    for (int tolerated : {1, 2, 3})
        EXPECT_EQ(LastVerdictFor(tolerated), 1);
    EXPECT_EQ(LastVerdictFor(0), 0);
}

TEST(VerdictTextTemplates, QuestionFirstThenAnswerEverywhere) {
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

TEST(VerdictTextTemplates, EmptyTemplatesAndTypedTextAsIs) {
    const cTask task;
    const cTrainingData data;
    const std::string typed = Cp1252FromUtf8("  Größe {frage}\r\n");
    EXPECT_EQ(VerdictText(0, typed, task, data), "'" + typed + "'  ist Falsch!!\r\n");
}

TEST(VerdictTextTemplates, PlaceholderInsideItsOwnReplacementDoesNotLoop) {
    cTask task;
    task.m_strQuestion = "{frage}{frage}";
    task.m_strSolution = "{antwort}";
    cTrainingData data;
    data.m_strWrongTemplate = "{frage}/{antwort}";
    EXPECT_EQ(VerdictText(0, "a", task, data), "'a'  ist Falsch!!\r\n{frage}{frage}/{antwort}");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce) {
    EXPECT_EQ(ReplaceAll("aXbXX", "X", "YY"), "aYYbYYYY");
    EXPECT_EQ(ReplaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(ReplaceAll("{a}{a}", "{a}", ""), "");
    EXPECT_EQ(ReplaceAll("xx", "x", "xx"), "xxxx");
}

} // namespace
