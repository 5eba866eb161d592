#include "data/Document.h"

#include "common/TestFiles.h"
#include "data/TrainingFile.h"

#include <gtest/gtest.h>

#include <functional>

using testfiles::MakeTrainingData;
using testfiles::ReadBytes;
using testfiles::TempDir;

namespace {

// The file the writer makes of the content.
std::string Bytes(cTrainingData data)
{
    TempDir dir;
    EXPECT_EQ(data.WriteTrainingFile(dir.Path("t.vdr")), 0);
    return ReadBytes(dir.Path("t.vdr"));
}

struct Edit {
    const char* label;
    std::function<void(cTrainingData&)> change;
};

void Apply(cDocument& doc, const Edit& edit)
{
    doc.BeginEdit();
    edit.change(doc.m_data);
    doc.CommitEdit(edit.label);
}

void Load(cDocument& doc, int tasks)
{
    doc.m_data = MakeTrainingData(tasks);
    CompleteTrainingData(doc.m_data);
}

} // namespace

// Every kind of edit, undone back to the start and redone to the end: the file's bytes at
// each step are those before and after the edit, the entries name the edits, and the
// modified flag is clear exactly at the saved content.
TEST(UndoHistory, WalksBackAndForthThroughEveryKindOfEdit)
{
    cDocument doc;
    Load(doc, 12);
    const std::vector<Edit> edits = {
        {"Aufgabe 3 bearbeiten", [](cTrainingData& d) { d.m_aTasks[2].m_strQuestion = "neu"; }},
        {"Aufgabe 13 anlegen",
         [](cTrainingData& d) {
             d.m_aTasks.push_back(d.m_aTasks[0]);
             d.m_aQuestionnaires.back().m_aTaskIndex.push_back(12);
         }},
        {"Aufgabe 5 löschen", [](cTrainingData& d) { d.DeleteTask(&d.m_aTasks[4]); }},
        {"Neuer Fragebogen",
         [](cTrainingData& d) {
             cQuestionnaire q;
             q.m_strTitle = "Neuer Fragebogen";
             d.m_aQuestionnaires.insert(d.m_aQuestionnaires.end() - 1, q);
         }},
        {"Fragebogenaufteilung",
         [](cTrainingData& d) { d.m_aQuestionnaires[0].m_aTaskIndex = {3, 1}; }},
        {"Fragebogen löschen", [](cTrainingData& d) { d.m_aQuestionnaires.erase(d.m_aQuestionnaires.begin()); }},
        {"Dateieinstellungen",
         [](cTrainingData& d) {
             d.m_nMaxWords = 9;
             d.m_strQuestionTemplate = "{frage}?";
             d.m_aColumnTitle[0] = "Nummer";
         }},
    };
    std::vector<std::string> states = {Bytes(doc.m_data)};
    for (const Edit& edit : edits) {
        Apply(doc, edit);
        states.push_back(Bytes(doc.m_data));
        ASSERT_NE(states.back(), states[states.size() - 2]) << edit.label;
        if (states.size() == 3)
            doc.SetModifiedFlag(false); // saved after the second edit
    }
    doc.RecordStatisticsReset("Statistik zurücksetzen");
    doc.m_data.ResetStatistics();
    states.push_back(Bytes(doc.m_data));

    const cUndoHistory& history = doc.History();
    for (std::size_t step = states.size() - 1; step > 0; --step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(history.UndoLabel(), step > edits.size() ? "Statistik zurücksetzen"
                                                           : edits[step - 1].label);
        ASSERT_TRUE(doc.Undo());
        EXPECT_EQ(Bytes(doc.m_data), states[step - 1]);
        EXPECT_EQ(doc.IsModified(), step - 1 != 2);
    }
    EXPECT_FALSE(doc.Undo());
    for (std::size_t step = 1; step < states.size(); ++step) {
        ASSERT_TRUE(doc.Redo());
        EXPECT_EQ(Bytes(doc.m_data), states[step]) << step;
    }
    EXPECT_FALSE(doc.Redo());
    EXPECT_EQ(history.UndoCount(), static_cast<int>(states.size()) - 1);
}

// Answering is no edit: counters survive undo and redo, and undoing a reset adds what was
// counted since to the old counters.
TEST(UndoHistory, KeepsTheAnswersCountedSince)
{
    cDocument doc;
    Load(doc, 3);
    doc.m_data.m_aTasks[0].m_nStats = {};
    Apply(doc, {"Aufgabe 1 bearbeiten", [](cTrainingData& d) { d.m_aTasks[0].m_strSolution = "x"; }});
    doc.m_data.m_aTasks[0].m_nStats[1] = 4; // answered right four times
    const std::string solution = MakeTrainingData(3).m_aTasks[0].m_strSolution;
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_strSolution, solution);
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_nStats[1], 4u);
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_strSolution, "x");
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_nStats[1], 4u);

    doc.RecordStatisticsReset("Statistik zurücksetzen");
    doc.m_data.ResetStatistics();
    doc.m_data.m_aTasks[0].m_nStats[0] = 1; // one wrong answer after the reset
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_nStats[1], 4u);
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_nStats[0], 1u);
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_nStats, (std::array<std::uint32_t, kTaskSlots>{}));
}

// A hundred steps are kept; the saved content at the start is gone with the oldest step,
// and a new edit after undo drops the steps that could be redone.
TEST(UndoHistory, KeepsAHundredStepsAndDropsTheRedoBranch)
{
    cDocument doc;
    Load(doc, 2);
    for (int i = 0; i < cUndoHistory::kMaxSteps + 5; ++i)
        Apply(doc, {"Dateieinstellungen",
                    [i](cTrainingData& d) { d.m_strRightTemplate = std::to_string(i); }});
    EXPECT_EQ(doc.History().UndoCount(), cUndoHistory::kMaxSteps);
    while (doc.Undo()) {
    }
    EXPECT_EQ(doc.m_data.m_strRightTemplate, "4");
    EXPECT_TRUE(doc.IsModified());
    Apply(doc, {"Dateieinstellungen", [](cTrainingData& d) { d.m_nMinRight = 7; }});
    EXPECT_FALSE(doc.History().CanRedo());
    Apply(doc, {"nichts", [](cTrainingData&) {}});
    EXPECT_EQ(doc.History().UndoLabel(), "Dateieinstellungen");
}
