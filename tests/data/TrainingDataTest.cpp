#include "data/TrainingData.h"

#include "common/RecordingPresenter.h"
#include "common/SameTrainingData.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

using Indices = std::vector<std::uint32_t>;

cTrainingData WithTasks(int count) {
    cTrainingData data;
    for (int i = 0; i < count; ++i) {
        cTask task;
        task.m_strTaskNo = std::to_string(i);
        data.m_aTasks.push_back(task);
    }
    return data;
}

cQuestionnaire WithList(Indices list) {
    cQuestionnaire q;
    q.m_aTaskIndex = std::move(list);
    return q;
}

// A new record is empty with default settings; a reset brings every field back to that
// but the three flags reading sets.
TEST(TrainingDataDefaults, NewAndResetDataAreEmptyWithDefaultSettings) {
    const auto cleared = [](const cTrainingData& d) {
        return std::tuple_cat(std::make_tuple(d.m_aTasks.size(), d.m_aQuestionnaires.size(),
                                              d.m_strPath),
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
    data.m_bShowAll = true;
    data.m_nTimedCount = 4;
    data.m_aColumnTitle = {"Frage"};
    data.m_aColumnWidth = {450};
    data.m_aColumnKind = {2};
    data.m_strQuestionTemplate = "q";
    data.m_strRightTemplate = "r";
    data.m_strWrongTemplate = "w";
    data.m_nCrypt = 1;
    data.m_bRandom = true;
    data.m_nMinPercent = 50;
    data.m_nMinRight = 2;
    data.m_nMaxWords = 9;
    data.m_bAllowMissing = data.m_bAllowExtra = data.m_bAllowSwap = true;
    data.m_bSelfAssessAll = true;
    data.ResetTrainingData();
    auto kept = defaults;
    std::get<4>(kept) = true; // show all
    EXPECT_EQ(cleared(data), std::tuple_cat(kept, std::make_tuple(4)));
    EXPECT_TRUE(data.m_bSelfAssessAll);
}

TEST(QuestionnaireReset, HasNoExamAndAnEmptyList) {
    cQuestionnaire q = WithList({3, 1, 2});
    q.m_strTitle = "Kapitel";
    q.m_nExamSeconds = 600;
    q.m_nPassPoints = 10;
    q.m_nRetakePoints = 5;
    q.m_nIcon = 2;
    q.Reset();
    const auto defaults = std::make_tuple("", -1, 0u, 0u, 0, Indices{});
    EXPECT_EQ(testfiles::QuestionnaireFields(q), defaults);
    EXPECT_EQ(q.m_aTaskIndex.capacity(), 0u);
    EXPECT_EQ(testfiles::QuestionnaireFields(cQuestionnaire()), defaults);
}

struct DeleteCase {
    const char* name;
    int taskCount;
    int deleted;
    Indices before;
    Indices after;
};
void PrintTo(const DeleteCase& c, std::ostream* os) {
    *os << c.name;
}
class DeleteTask : public ::testing::TestWithParam<DeleteCase> {};
TEST_P(DeleteTask, RemovesReferencesAndRenumbers) {
    const DeleteCase& c = GetParam();
    RecordingPresenter boxes;
    cTrainingData data = WithTasks(c.taskCount);
    data.m_aQuestionnaires.push_back(WithList(c.before));
    Indices all;
    for (int i = 0; i < c.taskCount; ++i)
        all.push_back(static_cast<std::uint32_t>(i));
    data.m_aQuestionnaires.push_back(WithList(all));

    data.DeleteTask(&data.m_aTasks[static_cast<std::size_t>(c.deleted)]);

    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(data.m_aQuestionnaires[0].m_aTaskIndex, c.after);
    Indices allAfter;
    for (int i = 0; i + 1 < c.taskCount; ++i)
        allAfter.push_back(static_cast<std::uint32_t>(i));
    EXPECT_EQ(data.m_aQuestionnaires[1].m_aTaskIndex, allAfter);
    ASSERT_EQ(data.m_aTasks.size(), static_cast<std::size_t>(c.taskCount - 1));
    for (int i = 0; i < c.taskCount - 1; ++i)
        EXPECT_EQ(data.m_aTasks[static_cast<std::size_t>(i)].m_strTaskNo,
                  std::to_string(i < c.deleted ? i : i + 1));
}
INSTANTIATE_TEST_SUITE_P(Lists, DeleteTask, ::testing::Values(
    DeleteCase{"middle_twice", 5, 2, {1, 2, 3, 2, 4}, {1, 2, 3}},
    DeleteCase{"last", 5, 4, {4, 0, 3, 4}, {0, 3}},
    DeleteCase{"first", 3, 0, {0, 0, 1, 2}, {0, 1}},
    DeleteCase{"unreferenced", 4, 1, {3, 2, 0}, {2, 1, 0}},
    DeleteCase{"only", 1, 0, {0, 0}, {}},
    DeleteCase{"empty_list", 2, 1, {}, {}}));

TEST(DeleteTaskRefusal, ForeignTaskShowsMessage108AndChangesNothing) {
    RecordingPresenter boxes;
    cTrainingData data = WithTasks(3);
    data.m_aQuestionnaires.push_back(WithList({2, 1, 0}));
    const cTask stranger = data.m_aTasks[1]; // equal content, other address

    data.DeleteTask(&stranger);
    data.DeleteTask(nullptr);

    ASSERT_EQ(boxes.boxes.size(), 2u);
    for (const RecordedBox& box : boxes.boxes) {
        EXPECT_EQ(box.caption, "Fehler   (Fehler #9)");
        EXPECT_EQ(box.text, "Index der Aufgabe konnte nicht ermittelt werden");
        EXPECT_EQ(box.style, 0x10u);
        EXPECT_EQ(box.currentId, 108);
    }
    EXPECT_EQ(data.m_aTasks.size(), 3u);
    EXPECT_EQ(data.m_aQuestionnaires[0].m_aTaskIndex, (Indices{2, 1, 0}));
}

TEST(FindTaskByNumber, TakesTheLastExactMatch) {
    cTrainingData data;
    for (const char* number : {"1", "2", "a", "2", "A", " 2", ""}) {
        cTask task;
        task.m_strTaskNo = number;
        data.m_aTasks.push_back(task);
    }
    EXPECT_EQ(data.FindTaskByNumber("2"), 3);
    EXPECT_EQ(data.FindTaskByNumber("1"), 0);
    EXPECT_EQ(data.FindTaskByNumber("a"), 2);
    EXPECT_EQ(data.FindTaskByNumber("A"), 4);
    EXPECT_EQ(data.FindTaskByNumber(" 2"), 5);
    EXPECT_EQ(data.FindTaskByNumber(""), 6);
    EXPECT_EQ(data.FindTaskByNumber("2 "), -1);
    EXPECT_EQ(data.FindTaskByNumber("3"), -1);
    EXPECT_EQ(cTrainingData().FindTaskByNumber(""), -1);
}

TEST(ResetStatistics, ZeroesEveryCounterOfEveryTask) {
    cTrainingData data = WithTasks(3);
    for (cTask& task : data.m_aTasks)
        for (int k = 0; k < kTaskSlots; ++k)
            task.m_nStats[k] = static_cast<std::uint32_t>(k + 1);
    data.m_aTasks[2].m_nResult = 1;
    data.ResetStatistics();
    for (const cTask& task : data.m_aTasks)
        for (int k = 0; k < kTaskSlots; ++k)
            EXPECT_EQ(task.m_nStats[k], 0u);
    EXPECT_EQ(data.m_aTasks[2].m_nResult, 1);
}

} // namespace
