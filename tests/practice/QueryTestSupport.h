#pragma once
// A query over a real training file: the data is written by the program's writer, opened
// as a document and driven through cQuery with a fake host, player, clock and random
// source. Message boxes are recorded and answered through RecordingPresenter.

#include "common/RecordingPresenter.h"
#include "common/FakeSoundPlayer.h"
#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"
#include "data/Document.h"
#include "practice/Query.h"
#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace querytest {

class FakeHost : public cQueryHost {
public:
    void Changed(unsigned what) override { changes |= what; }
    void RowChanged(int row) override { rowsChanged.push_back(row); }
    void Beep() override { ++beeps; }

    unsigned changes = 0;
    std::vector<int> rowsChanged;
    int beeps = 0;
};

using testdata::FakePlayer;

using testdata::TextTask;
using testdata::W;


/// A multiple-choice task with the given answers; right names the right ones.
inline cTask ChoiceTask(const std::string& no, const std::vector<std::string>& answers,
                        const std::vector<bool>& right, int points = 1) {
    cTask t = TextTask(no, "Welche stimmen?", "", points);
    t.m_nType = TaskTypeMultipleChoice;
    t.m_nChoiceCount = static_cast<std::uint8_t>(answers.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
        t.m_strChoice[i] = answers[i];
        t.m_bChoiceRight[i] = right[i];
    }
    return t;
}

/// Training data with these tasks and questionnaires (lists of task indices); the
/// automatic questionnaire is appended as the reader would.
inline cTrainingData MakeData(const std::vector<cTask>& tasks,
                              const std::vector<std::vector<std::uint32_t>>& lists,
                              const std::vector<std::int32_t>& examSeconds = {}) {
    cTrainingData d;
    d.m_strQuestionTemplate = "Frage: {frage}";
    d.m_strRightTemplate = "Richtig: {antwort}";
    d.m_strWrongTemplate = "Falsch, richtig ist: {antwort}";
    d.m_nMaxWords = 0;
    d.m_aTasks = tasks;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        cQuestionnaire q;
        q.m_strTitle = "Fragebogen " + std::to_string(i + 1);
        q.m_aTaskIndex = lists[i];
        if (i < examSeconds.size())
            q.m_nExamSeconds = examSeconds[i];
        d.m_aQuestionnaires.push_back(q);
    }
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    d.m_aQuestionnaires.push_back(all);
    return d;
}

/// One open training file with a query on it.
class Rig {
public:
    explicit Rig(const cTrainingData& data, bool nextOnRight = false) {
        settings.m_bNextOnRight = nextOnRight ? 1 : 0;
        path = dir.Path("training.vdr");
        cTrainingData copy = data;
        EXPECT_EQ(copy.WriteTrainingFile(path), 0);
        EXPECT_EQ(doc.Open(path), 0);
        query = std::make_unique<cQuery>(doc, settings, host);
        query->SetProgramDir(dir.Dir() + "/");
        query->SetSoundPlayer(&player);
        query->SetClock([this] { return now; });
        query->SetRandom([this] {
            ++draws;
            if (randoms.empty())
                return 0;
            const int value = randoms.front();
            randoms.pop_front();
            return value;
        });
        query->InitialUpdate();
    }

    cTask& Task(int index) { return doc.m_data.m_aTasks.at(static_cast<std::size_t>(index)); }
    cQuery& Q() { return *query; }

    /// Opens a questionnaire and asks one of its rows.
    void Ask(int row, int questionnaire = 0) {
        query->OpenQuestionnaire(questionnaire);
        query->StartAt(row);
    }

    /// Types an answer and presses OK.
    void Answer(const std::string& text) {
        query->SetAnswerText(text);
        query->OnAnswerOk();
    }

    /// Closes the document (which writes the file) and reads the file back.
    cTrainingData CloseAndRead() {
        query.reset();
        EXPECT_EQ(doc.Close(), 0);
        cTrainingData back;
        EXPECT_EQ(back.ReadTrainingFile(path), 0);
        return back;
    }

    /// Captions of the recorded message boxes.
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const RecordedBox& box : presenter.boxes)
            captions.push_back(box.caption);
        return captions;
    }

    testfiles::TempDir dir;
    RecordingPresenter presenter;
    cDocument doc;
    cSettings settings;
    FakeHost host;
    FakePlayer player;
    cLocalTime now;
    std::deque<int> randoms;
    int draws = 0;
    std::string path;
    std::unique_ptr<cQuery> query;
};

/// The counters 0..points of a task.
inline std::vector<std::uint32_t> Stats(const cTask& t) {
    return std::vector<std::uint32_t>(t.m_nStats.begin(), t.m_nStats.begin() + t.m_nPoints + 1);
}

} // namespace querytest
