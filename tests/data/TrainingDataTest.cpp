#include "data/TrainingData.h"

#include "common/RecordingPresenter.h"
#include "common/SameTrainingData.h"

#include <gtest/gtest.h>

namespace {

using Indices = std::vector<std::uint32_t>;

cTrainingData WithTasks(int count) {
    cTrainingData data;
    for (int i = 0; i < count; ++i) data.m_aTasks.emplace_back().m_strTaskNo = std::to_string(i);
    return data;
}

cQuestionnaire WithList(Indices list) { cQuestionnaire q; q.m_aTaskIndex = std::move(list); return q; }

// A new record is empty with default settings; a reset brings every field back to that
// but the three flags reading sets.
TEST(TrainingDataDefaults, NewAndResetDataAreEmptyWithDefaultSettings) {
    const auto cleared = [](const cTrainingData& d) {
        return std::tuple_cat(std::make_tuple(d.m_aTasks.size(), d.m_aQuestionnaires.size(), d.m_strPath),
                              testfiles::SettingsFields(d));
    };
    const std::vector<std::string> noTitles;
    const Indices none;
    const auto defaults = std::make_tuple(0u, 0u, "", 0, false, false, 0, 0, 5, false, false, false,
                                          "", "", "", noTitles, none, none);
    const cTrainingData fresh;
    EXPECT_EQ(cleared(fresh), std::tuple_cat(defaults, std::make_tuple(0)));
    EXPECT_FALSE(fresh.m_bSelfAssessAll);

    cTrainingData data = WithTasks(3);
    data.m_aQuestionnaires.push_back(WithList({0, 1}));
    data.m_strPath = "/tmp/x.vdr";
    data.m_bShowAll = data.m_bRandom = data.m_bSelfAssessAll = true;
    data.m_nTimedCount = 4;
    data.m_aColumnTitle = {"Frage"}; data.m_aColumnWidth = {450}; data.m_aColumnKind = {2};
    data.m_strQuestionTemplate = "q"; data.m_strRightTemplate = "r"; data.m_strWrongTemplate = "w";
    data.m_nCrypt = 1; data.m_nMinPercent = 50; data.m_nMinRight = 2; data.m_nMaxWords = 9;
    data.m_bAllowMissing = data.m_bAllowExtra = data.m_bAllowSwap = true;
    data.ResetTrainingData();
    auto kept = defaults;
    std::get<4>(kept) = true; // show all
    EXPECT_EQ(cleared(data), std::tuple_cat(kept, std::make_tuple(4)));
    EXPECT_TRUE(data.m_bSelfAssessAll);
}

TEST(QuestionnaireReset, HasNoExamAndAnEmptyList) {
    cQuestionnaire q = WithList({3, 1, 2});
    q.m_strTitle = "Kapitel";
    q.m_nExamSeconds = 600; q.m_nPassPoints = 10; q.m_nRetakePoints = 5; q.m_nIcon = 2;
    q.Reset();
    const auto defaults = std::make_tuple("", -1, 0u, 0u, 0, Indices{});
    EXPECT_EQ(testfiles::QuestionnaireFields(q), defaults);
    EXPECT_EQ(q.m_aTaskIndex.capacity(), 0u);
    EXPECT_EQ(testfiles::QuestionnaireFields(cQuestionnaire()), defaults);
}

// Deleting removes every reference and renumbers the rest, in a list and in the list of all.
TEST(DeleteTask, RemovesReferencesAndRenumbers) {
    const struct { const char* name; int taskCount, deleted; Indices before, after; } cases[] = {
        {"middle twice", 5, 2, {1, 2, 3, 2, 4}, {1, 2, 3}}, {"last", 5, 4, {4, 0, 3, 4}, {0, 3}},
        {"first", 3, 0, {0, 0, 1, 2}, {0, 1}}, {"unreferenced", 4, 1, {3, 2, 0}, {2, 1, 0}},
        {"only", 1, 0, {0, 0}, {}}, {"empty list", 2, 1, {}, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPresenter boxes;
        cTrainingData data = WithTasks(c.taskCount);
        Indices all, allAfter, numbers;
        for (int i = 0; i < c.taskCount; ++i) all.push_back(std::uint32_t(i));
        data.m_aQuestionnaires = {WithList(c.before), WithList(all)};
        data.DeleteTask(&data.m_aTasks[std::size_t(c.deleted)]);
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_EQ(data.m_aQuestionnaires[0].m_aTaskIndex, c.after);
        all.pop_back();
        EXPECT_EQ(data.m_aQuestionnaires[1].m_aTaskIndex, all);
        for (const cTask& t : data.m_aTasks) numbers.push_back(std::uint32_t(std::stoi(t.m_strTaskNo)));
        for (std::uint32_t i = 0; i + 1 < std::uint32_t(c.taskCount); ++i)
            allAfter.push_back(i < std::uint32_t(c.deleted) ? i : i + 1);
        EXPECT_EQ(numbers, allAfter);
    }
}

TEST(DeleteTaskRefusal, ForeignTaskShowsMessage108AndChangesNothing) {
    RecordingPresenter boxes;
    cTrainingData data = WithTasks(3);
    data.m_aQuestionnaires.push_back(WithList({2, 1, 0}));
    const cTask stranger = data.m_aTasks[1]; // equal content, other address
    data.DeleteTask(&stranger); data.DeleteTask(nullptr);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    for (const RecordedBox& box : boxes.boxes)
        EXPECT_EQ(std::tie(box.caption, box.text, box.style, box.currentId),
                  std::make_tuple("Fehler   (Fehler #9)", "Index der Aufgabe konnte nicht ermittelt werden",
                                  0x10u, 108));
    EXPECT_EQ(data.m_aTasks.size(), 3u);
    EXPECT_EQ(data.m_aQuestionnaires[0].m_aTaskIndex, (Indices{2, 1, 0}));
}

TEST(FindTaskByNumber, TakesTheLastExactMatch) {
    cTrainingData data;
    for (const char* number : {"1", "2", "a", "2", "A", " 2", ""})
        data.m_aTasks.emplace_back().m_strTaskNo = number;
    const std::pair<const char*, int> cases[] = {{"2", 3}, {"1", 0}, {"a", 2}, {"A", 4}, {" 2", 5},
                                                 {"", 6}, {"2 ", -1}, {"3", -1}};
    for (const auto& [number, index] : cases) EXPECT_EQ(data.FindTaskByNumber(number), index) << number;
    EXPECT_EQ(cTrainingData().FindTaskByNumber(""), -1);
}

TEST(ResetStatistics, ZeroesEveryCounterOfEveryTask) {
    cTrainingData data = WithTasks(3);
    for (cTask& task : data.m_aTasks)
        for (int k = 0; k < kTaskSlots; ++k) task.m_nStats[k] = std::uint32_t(k + 1);
    data.m_aTasks[2].m_nResult = 1;
    data.ResetStatistics();
    for (const cTask& task : data.m_aTasks) EXPECT_EQ(task.m_nStats, decltype(task.m_nStats){});
    EXPECT_EQ(data.m_aTasks[2].m_nResult, 1);
}

} // namespace
