#include "data/Document.h"

#include "common/TestFiles.h"
#include "data/TrainingFile.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testfiles;

namespace {

void Apply(cDocument& doc, const char* label, const std::function<void(cTrainingData&)>& change) {
    doc.BeginEdit(); change(doc.m_data); doc.CommitEdit(label);
}

void Load(cDocument& doc, int tasks) {
    doc.m_data = MakeTrainingData(tasks); CompleteTrainingData(doc.m_data);
}

} // namespace

// Answering is no edit: counters survive undo and redo, and undoing a reset adds what was
// counted since to the old counters.
TEST(UndoHistory, KeepsTheAnswersCountedSince) {
    cDocument doc; Load(doc, 3);
    doc.m_data.m_aTasks[0].m_nStats = {};
    Apply(doc, "Aufgabe 1 bearbeiten", [](cTrainingData& d) { d.m_aTasks[0].m_strSolution = "x"; });
    doc.m_data.m_aTasks[0].m_nStats[1] = 4; // answered right four times
    const std::string solution = MakeTrainingData(3).m_aTasks[0].m_strSolution;
    const auto task = [&doc]() -> const cTask& { return doc.m_data.m_aTasks[0]; }; // undo may replace it
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(task().m_strSolution, solution); EXPECT_EQ(task().m_nStats[1], 4u);
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(task().m_strSolution, "x"); EXPECT_EQ(task().m_nStats[1], 4u);

    doc.RecordStatisticsReset("Statistik zurücksetzen");
    doc.m_data.ResetStatistics();
    doc.m_data.m_aTasks[0].m_nStats[0] = 1; // one wrong answer after the reset
    ASSERT_TRUE(doc.Undo()); EXPECT_EQ(task().m_nStats[1], 4u); EXPECT_EQ(task().m_nStats[0], 1u);
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_nStats, (std::array<std::uint32_t, kTaskSlots>{}));

    // Points 1 -> 3 and back: the counters follow the points rule both ways, and an answer
    // given in between stays counted.
    using Slots = std::array<std::uint32_t, kTaskSlots>;
    doc.m_data.m_aTasks[1].m_nPoints = 1; doc.m_data.m_aTasks[1].m_nStats = {2, 1};
    Apply(doc, "Aufgabe 2 bearbeiten", [](cTrainingData& d) {
        RescaleStatistics(d.m_aTasks[1], 3); d.m_aTasks[1].m_nPoints = 3;
    });
    EXPECT_EQ(doc.m_data.m_aTasks[1].m_nStats, (Slots{2, 0, 0, 1}));
    doc.m_data.m_aTasks[1].m_nStats[3] += 1; doc.m_data.m_aTasks[1].m_nStats[2] += 1;
    ASSERT_TRUE(doc.Undo()); EXPECT_EQ(doc.m_data.m_aTasks[1].m_nStats, (Slots{2, 2}));
    ASSERT_TRUE(doc.Redo()); EXPECT_EQ(doc.m_data.m_aTasks[1].m_nStats, (Slots{2, 0, 0, 2}));
}

// A hundred steps are kept; the modified flag is clear exactly at the saved content, which
// is gone with the oldest step; a new edit after undo drops the steps that could be redone.
TEST(UndoHistory, KeepsAHundredStepsAndFollowsTheSavedContent) {
    cDocument doc; Load(doc, 2);
    for (int i = 0; i < cUndoHistory::kMaxSteps + 5; ++i) {
        Apply(doc, "Dateieinstellungen", [i](cTrainingData& d) { d.m_strRightTemplate = std::to_string(i); });
        if (i == 60) doc.SetModifiedFlag(false); // saved
    }
    EXPECT_EQ(doc.History().UndoCount(), cUndoHistory::kMaxSteps);
    for (int i = 104; i > 60; --i) ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.IsModified());
    ASSERT_TRUE(doc.Undo()); EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.History().RedoLabel(), "Dateieinstellungen");
    while (doc.Undo()) continue;
    EXPECT_EQ(doc.m_data.m_strRightTemplate, "4"); EXPECT_TRUE(doc.IsModified());
    Apply(doc, "Fragebogenaufteilung", [](cTrainingData& d) { d.m_aQuestionnaires[0].m_aTaskIndex = {1}; });
    EXPECT_FALSE(doc.History().CanRedo());
    Apply(doc, "nichts", [](cTrainingData&) {});
    EXPECT_EQ(doc.History().UndoLabel(), "Fragebogenaufteilung");
}
