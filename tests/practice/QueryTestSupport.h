#pragma once
// A query over a real training file: the data is written by the program's writer, opened
// as a document and driven through cQuery with a fake host, player, clock and random
// source. Message boxes are recorded and answered through RecordingPresenter.

#include "common/FakeSoundPlayer.h"
#include "common/RecordingPresenter.h"
#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "data/Document.h"
#include "practice/Query.h"
#include "base/Settings.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace querytest {

class FakeHost : public cQueryHost {
public:
    void Changed(unsigned what) override { changes |= what; }
    void RowChanged(int) override {}
    void Beep() override { ++beeps; }
    unsigned changes = 0;
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
    d.m_strQuestionTemplate = "Frage: {frage}"; d.m_strRightTemplate = "Richtig: {antwort}";
    d.m_strWrongTemplate = "Falsch, richtig ist: {antwort}";
    d.m_nMaxWords = 0;
    d.m_aTasks = tasks;
    d.m_aQuestionnaires.resize(lists.size() + 1);
    for (std::size_t i = 0; i < lists.size(); ++i) {
        cQuestionnaire& q = d.m_aQuestionnaires[i];
        q.m_strTitle = "Fragebogen " + std::to_string(i + 1);
        q.m_aTaskIndex = lists[i];
        if (i < examSeconds.size())
            q.m_nExamSeconds = examSeconds[i];
    }
    d.m_aQuestionnaires.back().m_strTitle = kAllTasksTitle;
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
    void Ask(int row, int questionnaire = 0) { query->OpenQuestionnaire(questionnaire); query->StartAt(row); }
    /// Types an answer and presses OK.
    void Answer(const std::string& text) { query->SetAnswerText(text); query->OnAnswerOk(); }

    /// Closes the document (which writes the file) and reads the file back.
    cTrainingData CloseAndRead() {
        query.reset();
        EXPECT_EQ(doc.Close(), 0);
        cTrainingData back;
        EXPECT_EQ(back.ReadTrainingFile(path), 0);
        return back;
    }

    /// The view mode and the current row in one comparable text, such as "question 1".
    std::string Where() const {
        static const char* const modes[] = {"none", "-", "overview", "list", "question", "result", "rating"};
        const int mode = query->Mode();
        return (mode >= 0 && mode <= 6 ? modes[mode] : "mode?") + (" " + std::to_string(query->CurrentRow()));
    }

    /// The exam's state in one comparable text, such as "exam q1 list 0 bar can-end".
    std::string Exam() const {
        const std::string evaluation = query->EvaluationActive() ? "evaluation " : "";
        return (query->ExamActive() ? "exam " : "") + evaluation + "q" +
               std::to_string(query->CurrentQuestionnaire()) + " " + Where() +
               (query->Screen().examBar ? " bar" : "") + (query->CanExamStart() ? " can-start" : "") +
               (query->CanExamEnd() ? " can-end" : "");
    }

    /// A row's first cell and its image, such as " 1 /  0 #1".
    std::string Row(int row) { return query->CellText(row, 0) + " #" + std::to_string(query->RowImage(row)); }

    testfiles::TempDir dir;
    RecordingPresenter presenter;
    cDocument doc;
    cSettings settings;
    FakeHost host;
    FakePlayer player;
    cLocalTime now;
    std::deque<int> randoms; // drawn in turn; 0 once they are used up
    int draws = 0;
    std::string path;
    std::unique_ptr<cQuery> query;
};

/// The counters 0..points of a task.
inline std::vector<std::uint32_t> Stats(const cTask& t) {
    return std::vector<std::uint32_t>(t.m_nStats.begin(), t.m_nStats.begin() + t.m_nPoints + 1);
}
using Counts = std::vector<std::uint32_t>;

/// Every questionnaire's title and task list, such as "Neu: 2 0 | Alle Aufgaben: 0 1 | ".
inline std::string Lists(const cTrainingData& d) {
    std::string text;
    for (const cQuestionnaire& q : d.m_aQuestionnaires) {
        text += q.m_strTitle + ":";
        for (const std::uint32_t task : q.m_aTaskIndex)
            text += " " + std::to_string(task);
        text += " | ";
    }
    return text;
}

/// The counters 0..points of every task.
inline std::vector<Counts> AllStats(const cTrainingData& d) {
    std::vector<Counts> all;
    for (const cTask& t : d.m_aTasks)
        all.push_back(Stats(t));
    return all;
}

} // namespace querytest
