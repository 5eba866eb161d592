#include "data/Task.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

TEST(TaskDefaults, NewTaskHasEveryDefault)
{
    const cTask task;
    EXPECT_EQ(task.m_strAnswer, "");
    EXPECT_EQ(task.m_nResult, -1);
    EXPECT_EQ(task.m_strTaskNo, "");
    EXPECT_EQ(task.m_strCategory, "");
    EXPECT_EQ(task.m_nType, 0);
    EXPECT_FALSE(task.m_bChoiceFlag);
    EXPECT_EQ(task.m_nChoiceCount, 0);
    EXPECT_EQ(task.m_nChoiceValue, 1);
    EXPECT_FALSE(task.m_bSelfAssess);
    EXPECT_EQ(task.m_nPoints, 1);
    EXPECT_EQ(task.m_nPatternCount, 0);
    EXPECT_FALSE(task.m_bCaseSensitive);
    EXPECT_EQ(task.m_nPicturePlace, 0);
    EXPECT_EQ(task.m_nPictureSize, 0);
    for (int i = 0; i < kTaskSlots; ++i) {
        EXPECT_EQ(task.m_nStats[i], 0u);
        EXPECT_FALSE(task.m_bChoiceRight[i]);
        EXPECT_FALSE(task.m_bChoiceTicked[i]);
    }
    EXPECT_EQ(task.StatsText(), " 0 /  0");
}

TEST(TaskDefaults, SeparatorsAreTheTwentySixBytesInOrder)
{
    const unsigned char expected[] = {0x2E, 0x2C, 0x2D, 0x3B, 0x3A, 0x3F, 0x21, 0x22, 0x24,
                                      0x25, 0x26, 0x2F, 0x28, 0x29, 0x3D, 0x2B, 0x2A, 0x27,
                                      0x23, 0xB0, 0x5E, 0x7E, 0xB4, 0x60, 0x40, 0x80};
    const std::string& separators = DefaultSeparators();
    ASSERT_EQ(separators.size(), sizeof expected);
    for (std::size_t i = 0; i < sizeof expected; ++i)
        EXPECT_EQ(static_cast<unsigned char>(separators[i]), expected[i]) << "position " << i;
    EXPECT_EQ(separators.find(' '), std::string::npos);
    EXPECT_EQ(cTask().m_strSeparators, separators);
}

TEST(TaskDefaults, ResetKeepsNumberAndCategoryOnly)
{
    cTask task;
    task.m_strTaskNo = "12a";
    task.m_strCategory = "Recht";
    task.m_strAnswer = "x";
    task.m_nResult = 3;
    task.m_strQuestion = "Q";
    task.m_nType = TaskTypeMultipleChoice;
    task.m_bChoiceFlag = true;
    task.m_nChoiceCount = 4;
    task.m_nChoiceValue = 9;
    task.m_strChoice[3] = "c";
    task.m_strChoiceExtra[9] = "e";
    task.m_bChoiceRight[2] = true;
    task.m_bChoiceTicked[1] = true;
    task.m_bSelfAssess = true;
    task.m_nPoints = 5;
    task.m_nPatternCount = 2;
    task.m_strPattern[1] = "a|b";
    task.m_bCaseSensitive = true;
    task.m_strSeparators = ";";
    task.m_nPicturePlace = 1;
    task.m_nPictureSize = 2;
    task.m_strPicture = "p.bmp";
    task.m_strSound = "s.wav";
    task.m_strSolution = "S";
    task.m_nStats[7] = 4;

    task.ResetTask();

    cTask expected;
    expected.m_strTaskNo = "12a";
    expected.m_strCategory = "Recht";
    EXPECT_EQ(task.m_strTaskNo, "12a");
    EXPECT_EQ(task.m_strCategory, "Recht");
    EXPECT_EQ(task.m_strAnswer, expected.m_strAnswer);
    EXPECT_EQ(task.m_nResult, -1);
    EXPECT_EQ(task.m_strQuestion, "");
    EXPECT_EQ(task.m_nType, 0);
    EXPECT_FALSE(task.m_bChoiceFlag);
    EXPECT_EQ(task.m_nChoiceCount, 0);
    EXPECT_EQ(task.m_nChoiceValue, 1);
    EXPECT_EQ(task.m_strChoice, expected.m_strChoice);
    EXPECT_EQ(task.m_strChoiceExtra, expected.m_strChoiceExtra);
    EXPECT_EQ(task.m_bChoiceRight, expected.m_bChoiceRight);
    EXPECT_EQ(task.m_bChoiceTicked, expected.m_bChoiceTicked);
    EXPECT_FALSE(task.m_bSelfAssess);
    EXPECT_EQ(task.m_nPoints, 1);
    EXPECT_EQ(task.m_nPatternCount, 0);
    EXPECT_EQ(task.m_strPattern, expected.m_strPattern);
    EXPECT_FALSE(task.m_bCaseSensitive);
    EXPECT_EQ(task.m_strSeparators, DefaultSeparators());
    EXPECT_EQ(task.m_nPicturePlace, 0);
    EXPECT_EQ(task.m_nPictureSize, 0);
    EXPECT_EQ(task.m_strPicture, "");
    EXPECT_EQ(task.m_strSound, "");
    EXPECT_EQ(task.m_strSolution, "");
    EXPECT_EQ(task.m_nStats, expected.m_nStats);
}

struct ClassifyCase {
    int points;
    int level;
    int expected;
};
void PrintTo(const ClassifyCase& c, std::ostream* os)
{
    *os << "level " << c.level << " of " << c.points << " points";
}
class Classify : public ::testing::TestWithParam<ClassifyCase> {};
TEST_P(Classify, GivesClass)
{
    const ClassifyCase& c = GetParam();
    cTask task;
    task.m_nPoints = static_cast<std::uint8_t>(c.points);
    EXPECT_EQ(task.Classify(static_cast<std::int16_t>(c.level)), c.expected);
    task.m_nResult = static_cast<std::int16_t>(c.level);
    EXPECT_EQ(task.ClassifyResult(), c.expected);
}
INSTANTIATE_TEST_SUITE_P(Levels, Classify, ::testing::Values(
    ClassifyCase{1, 1, 3}, ClassifyCase{1, 0, 1}, ClassifyCase{1, -1, 0},
    ClassifyCase{3, 3, 3}, ClassifyCase{3, 2, 2}, ClassifyCase{3, 1, 2},
    ClassifyCase{3, 0, 1}, ClassifyCase{3, -1, 0}, ClassifyCase{3, 5, 2},
    ClassifyCase{0, 0, 3}, ClassifyCase{0, -1, 0}, ClassifyCase{0, 1, 2},
    ClassifyCase{8, 8, 3}, ClassifyCase{8, 7, 2}, ClassifyCase{2, -7, 0},
    ClassifyCase{255, 255, 3}));

struct StatsCase {
    int points;
    std::vector<std::uint32_t> counters; // from slot 0
    const char* expected;
};
void PrintTo(const StatsCase& c, std::ostream* os)
{
    *os << c.points << " points -> \"" << c.expected << "\"";
}
class StatsText : public ::testing::TestWithParam<StatsCase> {};
TEST_P(StatsText, FormatsCounters)
{
    const StatsCase& c = GetParam();
    cTask task;
    task.m_nPoints = static_cast<std::uint8_t>(c.points);
    for (std::size_t k = 0; k < c.counters.size(); ++k)
        task.m_nStats[k] = c.counters[k];
    EXPECT_EQ(task.StatsText(), c.expected);
}
INSTANTIATE_TEST_SUITE_P(Counters, StatsText, ::testing::Values(
    StatsCase{1, {}, " 0 /  0"},
    StatsCase{1, {4, 7}, " 7 /  4"},
    StatsCase{1, {123, 4567}, "4567 / 123"},
    StatsCase{3, {2, 1, 4, 5}, " 5 /  5 /  2"},
    StatsCase{0, {6}, " 6 /  0 /  6"},
    StatsCase{2, {1, 2, 3, 99}, " 3 /  2 /  1"},
    StatsCase{8, {1, 1, 1, 1, 1, 1, 1, 1, 9, 50}, " 9 /  7 /  1"},
    // Counters are unsigned 32-bit and the partial sum must not wrap.
    StatsCase{1, {4294967295u, 3000000000u}, "3000000000 / 4294967295"},
    StatsCase{3, {0, 4294967295u, 4294967295u, 1}, " 1 / 8589934590 /  0"},
    // Points past the last counter slot: no counter to show as right, no slot read twice.
    StatsCase{12, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, " 0 /  9 /  1"}));

struct SplitCase {
    const char* text;
    std::vector<std::string> pieces;
};
void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << "\"" << c.text << "\"";
}
class SplitString : public ::testing::TestWithParam<SplitCase> {};
TEST_P(SplitString, KeepsEmptyPieces)
{
    const SplitCase& c = GetParam();
    std::vector<std::string> out{"stale", "entries"};
    EXPECT_EQ(::SplitString(c.text, out, '|'), static_cast<int>(c.pieces.size()));
    EXPECT_EQ(out, c.pieces);
}
INSTANTIATE_TEST_SUITE_P(Pieces, SplitString, ::testing::Values(
    SplitCase{"a|b", {"a", "b"}}, SplitCase{"a||b", {"a", "", "b"}},
    SplitCase{"a|", {"a", ""}}, SplitCase{"|a", {"", "a"}}, SplitCase{"abc", {"abc"}},
    SplitCase{"", {""}}, SplitCase{"|", {"", ""}}, SplitCase{" a | b ", {" a ", " b "}}));

} // namespace
