// The chart series against a history written through cHistory into a real database.

#include "learning/Progress.h"

#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "data/TrainingData.h"
#include "learning/Learner.h"
#include "learning/Readiness.h"

#include <gtest/gtest.h>

#include <map>

#include <sqlite3.h>

namespace {

using testdata::TextTask;

struct Given {
    int task; // index into the data, 3 = a task deleted from the file since
    int dayBack;
    int hour;
    int grade;
};

// Four tasks; questionnaire 0 holds them all, questionnaire 1 is an exam over 0..2.
cTrainingData MakeData()
{
    cTrainingData d;
    for (int i = 0; i < 4; ++i)
        d.m_aTasks.push_back(TextTask(std::to_string(i + 1), "Frage " + std::to_string(i),
                                      "Antwort " + std::to_string(i), i == 2 ? 2 : 1));
    d.m_aQuestionnaires.resize(2);
    d.m_aQuestionnaires[0].m_strTitle = "Alle";
    d.m_aQuestionnaires[0].m_aTaskIndex = {0, 1, 2, 3};
    d.m_aQuestionnaires[1].m_strTitle = "Pr\xFC" "fung";
    d.m_aQuestionnaires[1].m_aTaskIndex = {0, 1, 2};
    d.m_aQuestionnaires[1].m_nExamSeconds = 0;
    d.m_aQuestionnaires[1].m_nPassPoints = 3;
    d.m_aQuestionnaires[1].m_nRetakePoints = 2;
    return d;
}

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(history.Open(dir.Path("verlauf.sqlite")));
        file = history.AddFile("/tmp/kurs.vdr");
        // Stored in the reverse of the file's order, so the window's match cannot rely
        // on the order.
        stored.resize(4);
        for (int i = 3; i >= 0; --i) {
            cTaskKey key = TaskKeyOf(data.m_aTasks[static_cast<std::size_t>(i)]);
            if (i == 3)
                key.number = "99"; // no longer in the file
            stored[static_cast<std::size_t>(i)] = {history.AddTask(file, key), key, {}, 0, -1};
        }
        today = LocalDay(1765000000);
        now = LocalDayStart(today) + 15 * 3600;
    }
    std::int64_t At(int dayBack, int hour) const { return LocalDayStart(today - dayBack) + hour * 3600; }
    // As the learner records an answer: the answer and the task's new memory.
    void Give(const Given& g)
    {
        cStoredTask& t = stored[static_cast<std::size_t>(g.task)];
        const std::int64_t at = At(g.dayBack, g.hour);
        if (t.firstGrade < 0)
            t.firstAt = at, t.firstGrade = g.grade;
        t.state = cFsrs().Review(t.state, RatingOfGrade(g.grade), at);
        ASSERT_TRUE(history.Append(file, {t.id, at, AnswerKind::Practice, g.grade, 0, 1, 900}, &t));
    }

    testfiles::TempDir dir;
    cHistory history;
    cTrainingData data = MakeData();
    std::int64_t file = 0;
    std::vector<cStoredTask> stored;
    std::int64_t today = 0;
    std::int64_t now = 0;
};

constexpr Given kHistory[] = {
    {0, 100, 9, GradeRight}, // before the window: counts for the memory only
    {0, 5, 8, GradeRight},   {1, 5, 9, GradeWrong}, {1, 5, 20, GradePartly},
    {2, 1, 10, GradeRight},  {3, 1, 11, GradeWrong}, {1, 0, 7, GradeRight},
};

} // namespace

TEST_F(ProgressTest, SeriesFollowTheHistory)
{
    for (const Given& g : kHistory)
        if (g.task != 3)
            Give(g);
    // The deleted task's answer comes last, from a program that keeps no slot sums: the
    // sums take it in when they are read.
    stored[3].firstAt = At(1, 11);
    stored[3].firstGrade = GradeWrong;
    ASSERT_TRUE(history.UpdateTask(stored[3]));
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(dir.Path("verlauf.sqlite").c_str(), &raw), SQLITE_OK);
    const std::string insert = "INSERT INTO answer(file, task, at, kind, grade) VALUES(" +
                               std::to_string(file) + ", " + std::to_string(stored[3].id) + ", " +
                               std::to_string(At(1, 11)) + ", 0, 0)";
    ASSERT_EQ(sqlite3_exec(raw, insert.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    // First while that program holds the write lock (the sums cannot be stored), then after.
    ASSERT_EQ(sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    cProgress progress(data);
    const std::map<int, cDayAnswers> expected{{84, {1, 1, 1, 1}}, {88, {1, 0, 1, 2}}, {89, {1, 0, 0, 0}}};
    for (const bool locked : {true, false}) {
        progress.Load(history, file, now, today + 3);
        sqlite3_close(raw);
        raw = nullptr;
        ASSERT_EQ(progress.FirstDay(), today - 89);
        for (int d = 0; d < cProgress::kDays; ++d)
            EXPECT_EQ(progress.PerDay()[d], expected.contains(d) ? expected.at(d) : cDayAnswers{})
                << "day " << d << (locked ? ", locked" : "");
    }
    EXPECT_EQ(progress.AnswersSummary(7), "Letzte 7 Tage: 6 Antworten, 50 % richtig, 3 neue Aufgaben");

    // The memory replayed by hand, task by task.
    const cFsrs fsrs;
    std::vector<cMemoryState> s(3);
    auto give = [&](int t, const Given& g) { s[t] = fsrs.Review(s[t], RatingOfGrade(g.grade), At(g.dayBack, g.hour)); };
    auto exam = [&](std::int64_t at, double newRate) {
        std::vector<cExamTask> tasks;
        for (int t = 0; t < 3; ++t)
            tasks.push_back({t == 2 ? 2 : 1, s[t].IsNew() ? newRate : cFsrs::RecallAt(s[t], at)});
        return ExamReadiness(tasks, 3, 2).pass;
    };
    ASSERT_EQ(progress.Curves().size(), 1u);
    const cReadinessCurve& curve = progress.Curves()[0];
    EXPECT_EQ(curve.questionnaire, 1);
    give(0, kHistory[0]);
    EXPECT_NEAR(curve.past[83], exam(At(5, 0) - 1, 1.0), 1e-12); // only task 0 first, right
    for (int i = 1; i < 4; ++i)
        give(kHistory[i].task, kHistory[i]);
    EXPECT_NEAR(curve.past[84], exam(At(4, 0) - 1, 0.5), 1e-12); // task 1 first, wrong
    give(2, kHistory[4]);
    give(1, kHistory[6]);
    EXPECT_NEAR(curve.past[89], exam(now, 0.5), 1e-12); // 2 of 4 first answers recalled
    ASSERT_EQ(curve.projected.size(), 3u);
    EXPECT_NEAR(curve.projected[2], exam(LocalDayStart(today + 3) + 12 * 3600, 0.5), 1e-12);

    // With the exam three days ahead the forecast follows the plan's rules towards it,
    // as the overview's due counts do, not the plain 90 % rule.
    cPlanRule rule;
    rule.examTime = ExamTime(today + 3);
    std::vector<int> due(cProgress::kForecastDays, 0), plain = due;
    for (const cMemoryState& m : s) {
        if (const std::int64_t d = std::max(LocalDay(rule.DueAt(m, now)), today) - today; d < 30)
            ++due[static_cast<std::size_t>(d)];
        if (const std::int64_t d = std::max(LocalDay(cFsrs::DueAt(m, 0.9)), today) - today; d < 30)
            ++plain[static_cast<std::size_t>(d)];
    }
    EXPECT_EQ(progress.Forecast(), due);
    EXPECT_NE(due, plain);

    std::vector<cStateCounts> states(2);
    for (int k = 0; k < 2; ++k) {
        states[k].questionnaire = k;
        for (int t = 0; t < 3; ++t)
            (cFsrs::RecallAt(s[t], now) >= 0.9 ? states[k].known : states[k].learning)++;
    }
    states[0].fresh = 1; // task 3 of the file was never answered (its history is the deleted one's)
    EXPECT_EQ(progress.States(), states);
}

TEST_F(ProgressTest, NewAnswerGivesWhatLoadingAgainGives)
{
    for (const Given& g : kHistory)
        Give(g);
    cProgress progress(data);
    progress.Load(history, file, now, today + 3);
    for (const Given& g : {Given{3, 0, 16, GradePartly}, Given{2, 0, 17, GradeWrong}}) {
        // Task 3 of the file is not the deleted one: its first answer makes a new entry.
        if (g.task == 3)
            stored[3] = {history.AddTask(file, TaskKeyOf(data.m_aTasks[3])), TaskKeyOf(data.m_aTasks[3]), {}, 0, -1};
        Give(g);
        ASSERT_TRUE(progress.AddAnswer(g.task, g.grade, At(g.dayBack, g.hour)));
        cProgress loaded(data);
        loaded.Load(history, file, At(g.dayBack, g.hour), today + 3);
        EXPECT_EQ(progress.PerDay(), loaded.PerDay());
        EXPECT_EQ(progress.Forecast(), loaded.Forecast());
        EXPECT_EQ(progress.States(), loaded.States());
        EXPECT_NEAR(progress.Curves()[0].past.back(), loaded.Curves()[0].past.back(), 1e-12);
        EXPECT_EQ(progress.Curves()[0].projected, loaded.Curves()[0].projected);
    }
    EXPECT_EQ(progress.PerDay().back(), (cDayAnswers{1, 1, 1, 1}));
    // Tomorrow's answer needs the window moved: the caller loads again.
    EXPECT_FALSE(progress.AddAnswer(0, GradeRight, LocalDayStart(today + 1) + 60));
}

TEST_F(ProgressTest, EmptyHistoryAndNoExam)
{
    data.m_aQuestionnaires[1].m_nExamSeconds = -1;
    cProgress progress(data);
    progress.Load(history, file, now, -1);
    EXPECT_EQ(progress.AnswersSummary(7), "Letzte 7 Tage: keine Antworten");
    EXPECT_EQ(progress.ReadinessSummary(), "Kein Prüfungsfragebogen");
    EXPECT_EQ(progress.Forecast(), std::vector<int>(30, 0));
    EXPECT_EQ(progress.StatesSummary(), "Alle: 4 neu, 0 im Lernen, 0 gelernt; Prüfung: 3 neu, 0 im Lernen, 0 gelernt");
}
