#include "data/Task.h"

#include "common/SameTrainingData.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

using namespace testfiles;

namespace {

// Every field of a new task at its default, and a reset task equal to a new one but for
// the number and category it keeps.
TEST(TaskDefaults, NewAndResetTasksHaveEveryDefault) {
    const cTextSlots none;
    const std::array<bool, kTaskSlots> noFlags{};
    const auto defaults = [&](const char* no, const char* category) {
        return std::make_tuple(no, category, 0, "", "", false, 1, std::array<std::uint32_t, kTaskSlots>{},
                               false, 1, 0, none, none, noFlags, 0, none, "", "", 0, 0, "",
                               DefaultSeparators(), -1, false, noFlags);
    };
    EXPECT_EQ(AllTaskFields(cTask()), defaults("", "")); EXPECT_EQ(cTask().StatsText(), " 0 /  0");

    cTask task;
    task.m_strTaskNo = "12a"; task.m_strCategory = "Recht";
    task.m_strAnswer = "x"; task.m_nResult = 3; task.m_strQuestion = "Q"; task.m_strSolution = "S";
    task.m_nType = TaskTypeMultipleChoice; task.m_bChoiceFlag = true;
    task.m_nChoiceCount = 4; task.m_nChoiceValue = 9;
    task.m_strChoice[3] = "c"; task.m_strChoiceExtra[9] = "e";
    task.m_bChoiceRight[2] = true; task.m_bChoiceTicked[1] = true;
    task.m_bSelfAssess = true; task.m_nPoints = 5; task.m_nStats[7] = 4;
    task.m_nPatternCount = 2; task.m_strPattern[1] = "a|b";
    task.m_bCaseSensitive = true; task.m_strSeparators = ";";
    task.m_nPicturePlace = 1; task.m_nPictureSize = 2; task.m_strPicture = "p.bmp"; task.m_strSound = "s.wav";
    task.ResetTask();
    EXPECT_EQ(AllTaskFields(task), defaults("12a", "Recht"));
}

TEST(TaskDefaults, SeparatorsAreTheTwentySixBytesInOrder) {
    EXPECT_EQ(ToHex(DefaultSeparators()), "2E 2C 2D 3B 3A 3F 21 22 24 25 26 2F 28 29 3D 2B 2A 27 "
                                          "23 B0 5E 7E B4 60 40 80");
}

TEST(TaskClassify, GivesClassOfLevelAndPoints) {
    const struct { int points, level, expected; } cases[] = {
        {1, 1, 3}, {1, 0, 1}, {1, -1, 0}, {3, 3, 3}, {3, 2, 2}, {3, 1, 2}, {3, 0, 1}, {3, -1, 0},
        {3, 5, 2}, {0, 0, 3}, {0, -1, 0}, {0, 1, 2}, {8, 8, 3}, {8, 7, 2}, {2, -7, 0}, {255, 255, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " of " << c.points << " points");
        cTask task; task.m_nPoints = std::uint8_t(c.points);
        EXPECT_EQ(task.Classify(std::int16_t(c.level)), c.expected);
        task.m_nResult = std::int16_t(c.level);
        EXPECT_EQ(task.ClassifyResult(), c.expected);
    }
}

TEST(TaskStatsText, FormatsCounters) {
    const struct { int points; std::vector<std::uint32_t> counters; const char* expected; } cases[] = {
        {1, {}, " 0 /  0"}, {1, {4, 7}, " 7 /  4"}, {1, {123, 4567}, "4567 / 123"},
        {3, {2, 1, 4, 5}, " 5 /  5 /  2"}, {0, {6}, " 6 /  0 /  6"}, {2, {1, 2, 3, 99}, " 3 /  2 /  1"},
        {8, {1, 1, 1, 1, 1, 1, 1, 1, 9, 50}, " 9 /  7 /  1"},
        // Counters are unsigned 32-bit and the partial sum must not wrap.
        {1, {4294967295u, 3000000000u}, "3000000000 / 4294967295"},
        {3, {0, 4294967295u, 4294967295u, 1}, " 1 / 8589934590 /  0"},
        // Points past the last counter slot: no counter to show as right, no slot read twice.
        {12, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, " 0 /  9 /  1"}};
    for (const auto& c : cases) {
        cTask task; task.m_nPoints = std::uint8_t(c.points);
        for (std::size_t k = 0; k < c.counters.size(); ++k) task.m_nStats[k] = c.counters[k];
        EXPECT_EQ(task.StatsText(), c.expected) << c.points << " points";
    }
}

TEST(TaskSplitString, KeepsEmptyPieces) {
    const struct { const char* text; std::vector<std::string> pieces; } cases[] = {
        {"a|b", {"a", "b"}}, {"a||b", {"a", "", "b"}}, {"a|", {"a", ""}}, {"|a", {"", "a"}},
        {"abc", {"abc"}}, {"", {""}}, {"|", {"", ""}}, {" a | b ", {" a ", " b "}}};
    for (const auto& c : cases) {
        std::vector<std::string> out{"stale", "entries"};
        EXPECT_EQ(SplitString(c.text, out, '|'), int(c.pieces.size())) << c.text;
        EXPECT_EQ(out, c.pieces) << c.text;
    }
}

} // namespace
