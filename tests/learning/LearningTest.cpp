#include "learning/Fit.h"
#include "learning/Fsrs.h"
#include "learning/History.h"
#include "learning/Learner.h"
#include "learning/Progress.h"
#include "learning/Readiness.h"

#include "practice/QueryTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numeric>
#include <random>
#include <thread>

#include <sqlite3.h>
#include <sys/stat.h>

using querytest::MakeData;
using querytest::Rig;
using querytest::TextTask;
using querytest::W;

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kStart = 1'800'000'000; // a fixed moment, seconds since 1970

// The published FSRS-5 values that follow from the default weights alone.
TEST(Fsrs, PublishedDefaultsAndCurve) {
    const cFsrs fsrs;
    EXPECT_DOUBLE_EQ(fsrs.InitialStability(Rating::Again), 0.40255);
    EXPECT_DOUBLE_EQ(fsrs.InitialStability(Rating::Hard), 1.18385);
    EXPECT_DOUBLE_EQ(fsrs.InitialStability(Rating::Good), 3.173);
    EXPECT_DOUBLE_EQ(fsrs.InitialStability(Rating::Easy), 15.69105);
    // D0(G) = w4 - e^(w5 (G - 1)) + 1
    EXPECT_NEAR(fsrs.InitialDifficulty(Rating::Again), 7.1949, 1e-12);
    EXPECT_NEAR(fsrs.InitialDifficulty(Rating::Good), 5.28243, 1e-5);
    // The curve passes 90 % after one stability, and the 90 % interval is the stability.
    EXPECT_NEAR(cFsrs::Recall(10, 10), 0.9, 1e-12);
    EXPECT_NEAR(cFsrs::Recall(0, 10), 1.0, 1e-12);
    EXPECT_NEAR(cFsrs::IntervalDays(7.5, 0.9), 7.5, 1e-9);
    EXPECT_NEAR(cFsrs::Recall(cFsrs::IntervalDays(4, 0.8), 4), 0.8, 1e-9);
}

// Reviews: a success after the interval grows the stability, a lapse shrinks it and
// raises the difficulty; the same day changes it by the short-term rule.
TEST(Fsrs, ReviewMovesStabilityAndDifficulty) {
    const cFsrs fsrs;
    const cMemoryState first = fsrs.Review({}, Rating::Good, kStart);
    EXPECT_EQ(first.reps, 1);
    EXPECT_DOUBLE_EQ(first.stability, 3.173);
    const std::int64_t later = kStart + 3 * kDay;
    const cMemoryState good = fsrs.Review(first, Rating::Good, later);
    const cMemoryState hard = fsrs.Review(first, Rating::Hard, later);
    const cMemoryState again = fsrs.Review(first, Rating::Again, later);
    EXPECT_GT(good.stability, hard.stability);
    EXPECT_GT(hard.stability, first.stability);
    EXPECT_LT(again.stability, first.stability);
    EXPECT_GT(again.difficulty, first.difficulty);
    EXPECT_EQ(again.lapses, 1);
    // Short-term: S * e^(w17 (G - 3 + w18)), on the same calendar day only.
    const cMemoryState sameDay = fsrs.Review(first, Rating::Good, kStart + 600);
    EXPECT_NEAR(sameDay.stability, 3.173 * std::exp(0.51655 * 0.6621), 1e-9);
    // An evening answer and the next morning's, twelve hours apart: a review by the recall
    // formula S (1 + e^w8 (11 - D) S^-w9 (e^(w10 (1 - R)) - 1)).
    const std::int64_t evening = LocalDayStart(LocalDay(kStart)) + 20 * 3600;
    const cMemoryState late = fsrs.Review({}, Rating::Good, evening);
    const double r = cFsrs::Recall(0.5, 3.173);
    EXPECT_NEAR(fsrs.Review(late, Rating::Good, evening + 12 * 3600).stability,
                3.173 * (1 + std::exp(1.54575) * (11 - late.difficulty) * std::pow(3.173, -0.1192) *
                                 (std::exp(1.01925 * (1 - r)) - 1)),
                1e-9);
    // A lapse long after a first "Again" is bounded by S / e^(w17 w18).
    const cMemoryState lapse =
        fsrs.Review(fsrs.Review({}, Rating::Again, kStart), Rating::Again, kStart + 30 * kDay);
    EXPECT_NEAR(lapse.stability, 0.40255 / std::exp(0.51655 * 0.6621), 1e-9);
}

// The plan's rules with and without an exam date, one state at a time.
TEST(Plan, DueRulesTowardsTheExam) {
    const cFsrs fsrs;
    const std::int64_t day0 = LocalDay(kStart);
    auto at = [&](int day, int hour) { return LocalDayStart(day0 + day) + hour * 3600; };
    const cMemoryState good = fsrs.Review({}, Rating::Good, at(0, 9));   // S 3.2 days
    const cMemoryState again = fsrs.Review({}, Rating::Again, at(0, 9)); // S 0.4 days
    const cMemoryState strong = {200, 5, at(0, 9), 4, 0};
    const cMemoryState half = {0.5, 7, at(0, 9), 2, 1};      // recall 40 % after 11.2 days
    const cMemoryState weak = {0.6, 7, at(28, 9), 3, 1};     // recall 85 % a day later
    struct Case { const char* name; cMemoryState s; std::int64_t now; bool exam; bool due; };
    const Case cases[] = {
        {"no exam: recall 90 % after 3 days", good, at(3, 9), false, false},
        {"no exam: recall below 90 % after 4 days", good, at(4, 9), false, true},
        {"exam: recall 76 %, weeks before the last ones", good, at(10, 9), true, false},
        {"exam: 14 days left, one right answer falls short of the margin", good, at(16, 9), true, false},
        {"exam: 12 days left, one right answer carries it to the exam", good, at(18, 9), true, true},
        {"exam: a fresh memory at 80 %", again, at(1, 9), true, false},
        {"exam: a fresh memory at 68 %", again, at(2, 9), true, true},
        {"exam: recall 40 % on the way", half, at(11, 9), true, false},
        {"exam: recall 39 % on the way", half, at(12, 9), true, true},
        {"exam: answered today", again, at(0, 20), true, false},
        {"exam: 10 days left, a weak memory at 85 %", {0.6, 7, at(19, 9), 3, 1}, at(20, 9), true, false},
        {"exam: the day before the exam", weak, at(29, 9), true, true},
        {"exam: recall on the exam day above 90 %", strong, at(29, 9), true, false},
        {"after the exam: the usual rule", good, at(40, 9), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cPlanRule rule;
        rule.examTime = c.exam ? at(30, 12) : 0;
        EXPECT_EQ(rule.IsDue(c.s, c.now), c.due);
        // The due time agrees with the rule: due there and not a minute before.
        const std::int64_t dueAt = rule.DueAt(c.s, c.now);
        EXPECT_TRUE(rule.IsDue(c.s, dueAt));
        EXPECT_EQ(dueAt == c.now, c.due);
        if (dueAt > c.now + 60) {
            EXPECT_FALSE(rule.IsDue(c.s, dueAt - 61));
        }
    }
    // The due time against scanning every ten minutes, for memories of all kinds.
    std::mt19937 random(11);
    cPlanRule scan;
    scan.examTime = at(30, 12);
    for (int round = 0; round < 60; ++round) {
        const double stability = std::exp(std::uniform_real_distribution<double>(-2, 4)(random));
        const int last = static_cast<int>(random() % 30);
        const cMemoryState s{stability, 5, at(last, 8 + static_cast<int>(random() % 12)), 3, 0};
        const std::int64_t now = s.last + static_cast<std::int64_t>(random() % (3 * 86400));
        SCOPED_TRACE(testing::Message() << "S " << stability << " last day " << last);
        std::int64_t first = now;
        while (first < scan.examTime && !scan.IsDue(s, first))
            first += 600;
        const std::int64_t dueAt = scan.DueAt(s, now);
        if (first < scan.examTime) {
            EXPECT_LE(dueAt, first);
            EXPECT_GT(dueAt, first == now ? now - 1 : first - 600);
        } else {
            EXPECT_GE(dueAt, scan.examTime);
        }
    }
    // New tasks a day: the setting, or enough to reach every task in the first half of the
    // days left.
    cPlanRule rule;
    EXPECT_EQ(rule.NewPerDay(20, 1000, 60), 20);
    rule.examTime = at(60, 12);
    const int perDay[][4] = {{20, 1000, 60, 34}, {10, 1000, 60, 34}, {5, 100, 10, 20},
                             {20, 100, 10, 20}, {5, 7, 1, 7}, {5, 7, 0, 5}};
    for (const auto& [setting, left, days, want] : perDay)
        EXPECT_EQ(rule.NewPerDay(setting, left, days), want) << setting << " " << left << " " << days;
}

// The exact distribution against enumerating every outcome of small random exams.
TEST(Readiness, MatchesBruteForce) {
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const int n = 1 + round % 10;
        std::vector<cExamTask> tasks;
        int total = 0;
        for (int i = 0; i < n; ++i) {
            tasks.push_back({static_cast<int>(random() % 9),
                             std::uniform_real_distribution<double>(0, 1)(random)});
            total += tasks.back().points;
        }
        const int pass = total == 0 ? 0 : static_cast<int>(random() % (total + 1));
        const int retake = static_cast<int>(random() % (pass + 1));
        double wantPass = 0, wantRetake = 0;
        for (unsigned mask = 0; mask < (1u << n); ++mask) {
            double p = 1;
            int sum = 0;
            for (int i = 0; i < n; ++i) {
                const bool right = mask >> i & 1u;
                p *= right ? tasks[i].recall : 1 - tasks[i].recall;
                sum += right ? tasks[i].points : 0;
            }
            wantPass += sum >= pass ? p : 0;
            wantRetake += sum >= retake ? p : 0;
        }
        const cReadiness got = ExamReadiness(tasks, pass, retake);
        EXPECT_NEAR(got.pass, wantPass, 1e-12);
        EXPECT_NEAR(got.retake, wantRetake, 1e-12);
    }
}

// A training file on disk with a learner on a history of its own.
struct LearnRig {
    explicit LearnRig(const cTrainingData& data) : rig(data) {
        EXPECT_TRUE(history.Open(rig.dir.Path("verlauf.sqlite")));
        Attach();
    }
    void Attach() {
        learner = std::make_unique<cLearner>(rig.doc, &history);
        learner->SetClock([this] { return now; });
        learner->Bind();
        rig.Q().SetAnswerObserver(learner.get());
    }
    // Answers task index i (of questionnaire 0's rows) with a verdict by text.
    void AnswerTask(int task, const std::string& text) {
        const auto& rows = rig.Q().RowTasks();
        rig.Q().StartAt(static_cast<int>(std::find(rows.begin(), rows.end(), task) - rows.begin()));
        rig.Answer(text);
    }
    Rig rig;
    cHistory history;
    std::int64_t now = kStart;
    std::unique_ptr<cLearner> learner;
};

cTrainingData FiveTasks() {
    std::vector<cTask> tasks;
    for (int i = 1; i <= 5; ++i)
        tasks.push_back(TextTask(std::to_string(i), "Frage " + std::to_string(i),
                                 "antwort" + std::to_string(i)));
    return MakeData(tasks, {{0, 1, 2, 3, 4}});
}

// Identity: answers reach the history; the tasks keep their states through an edit of
// the question, reordering, a new and a deleted task, "Speichern unter" and a rename
// outside the program; another file sees none of it.
TEST(TaskIdentity, FollowsEditsSaveAsAndRename) {
    LearnRig r(FiveTasks());
    r.rig.Q().OpenQuestionnaire(0);
    r.AnswerTask(0, "antwort1");
    r.AnswerTask(1, "falsch");
    r.AnswerTask(2, "antwort3");
    const cMemoryState s0 = r.learner->StateOf(0), s1 = r.learner->StateOf(1);
    ASSERT_EQ(s0.reps, 1);
    EXPECT_GT(s0.stability, s1.stability);

    // Edit task 1's question, move task 3 (index 2) to the end, delete task 4, add task 6.
    auto& tasks = r.rig.doc.m_data.m_aTasks;
    tasks[0].m_strQuestion = "Frage 1, neu formuliert";
    std::rotate(tasks.begin() + 2, tasks.begin() + 3, tasks.end()); // 1 2 4 5 3
    tasks.erase(tasks.begin() + 2);                                 // 1 2 5 3
    tasks.push_back(TextTask("6", "Frage 6", "antwort6"));
    const std::string copy = r.rig.dir.Path("kopie.vdr");
    ASSERT_EQ(r.rig.doc.SaveAs(copy), 0);
    r.AnswerTask(0, "antwort1"); // recorded under the new name
    std::filesystem::rename(copy, r.rig.dir.Path("umbenannt.vdr"));

    cDocument moved;
    ASSERT_EQ(moved.Open(r.rig.dir.Path("umbenannt.vdr")), 0);
    cLearner again(moved, &r.history);
    again.Bind();
    EXPECT_EQ(again.FileId(), r.learner->FileId());
    EXPECT_EQ(again.StateOf(0).reps, 2);         // edited, answered twice
    EXPECT_EQ(again.StateOf(1), s1);             // unchanged
    EXPECT_EQ(again.StateOf(3).reps, 1);         // task 3, moved
    EXPECT_TRUE(again.StateOf(2).IsNew());       // task 5
    EXPECT_TRUE(again.StateOf(4).IsNew());       // task 6, new
    EXPECT_EQ(r.history.Answers(again.FileId()).size(), 4u);

    // A file with other content at a new path starts without history, even when a
    // stored file's path is gone.
    cTrainingData other = FiveTasks();
    for (cTask& t : other.m_aTasks)
        t.m_strSolution += "x", t.m_strQuestion += "?";
    ASSERT_EQ(other.WriteTrainingFile(r.rig.dir.Path("andere.vdr")), 0);
    std::filesystem::remove(r.rig.dir.Path("umbenannt.vdr"));
    cDocument third;
    ASSERT_EQ(third.Open(r.rig.dir.Path("andere.vdr")), 0);
    cLearner stranger(third, &r.history);
    stranger.Bind();
    EXPECT_EQ(stranger.FileId(), 0);
    EXPECT_TRUE(stranger.StateOf(0).IsNew());
}

// The plan asks due tasks by lowest recall, then new tasks up to the day's limit, then
// says it is done for today and when the next task falls due.
TEST(Plan, OrderAndDoneForToday) {
    LearnRig r(FiveTasks());
    r.rig.settings.m_bPlan = 1;
    r.rig.settings.m_nNewPerDay = 3;
    r.learner->FollowSettings(&r.rig.settings);
    // An exam tomorrow raises the day's new tasks to all that are left; without it, the setting.
    EXPECT_TRUE(r.learner->SetExamDay(LocalDay(r.now) + 1));
    EXPECT_EQ(r.learner->NewAllowance(), 5);
    EXPECT_TRUE(r.learner->SetExamDay(-1));
    EXPECT_EQ(r.learner->NewAllowance(), 3);
    r.rig.Q().OpenQuestionnaire(0);
    r.AnswerTask(0, "antwort1"); // Good: S 3.2 days
    r.AnswerTask(1, "antwort2");
    r.AnswerTask(2, "falsch");   // Again: S 0.4 days
    EXPECT_EQ(r.learner->Counts(0), (cPlanCounts{0, 2}));
    r.now += 5 * kDay;           // all three due; 3 new a day allowed again
    EXPECT_EQ(r.learner->Counts(0), (cPlanCounts{3, 2}));

    std::vector<int> asked;
    r.rig.Q().StartQuery();
    while (r.rig.Q().Mode() == ModeQuestion && asked.size() < 10) {
        asked.push_back(r.rig.Q().TaskOfRow(r.rig.Q().CurrentRow()));
        r.rig.Answer("antwort" + std::to_string(asked.back() + 1));
        r.rig.Q().OnAnswerOk(); // on from the result screen
    }
    EXPECT_EQ(asked, (std::vector<int>{2, 0, 1, 3, 4}));
    EXPECT_EQ(r.rig.Q().Mode(), ModeTaskList);
    const std::string done = r.learner->PlanDoneText(r.rig.Q().RowTasks());
    EXPECT_EQ(done.rfind("Für heute fertig: keine fälligen Aufgaben mehr.\nNächste fällige Aufgabe: ", 0), 0u)
        << done;
    ASSERT_FALSE(r.rig.presenter.boxes.empty());
    EXPECT_NE(r.rig.presenter.boxes.back().text.find(W("Für heute fertig")), std::string::npos);
}

// Two programs on one database file both land every answer: one writes each answer in
// its own transaction, the other queues them for its writer thread (a new task with a
// provisional id among them) and closes without waiting; the slot sums count each once.
TEST(History, TwoWritersLandEveryAnswer) {
    testfiles::TempDir dir;
    const std::string path = dir.Path("verlauf.sqlite");
    cHistory setup;
    ASSERT_TRUE(setup.Open(path));
    const std::int64_t file = setup.AddFile("/kurs.vdr");
    const std::int64_t task = setup.AddTask(file, cTaskKey{"1", 1, 2});
    constexpr int kEach = 300;
    std::thread direct([&] {
        cHistory h;
        ASSERT_TRUE(h.Open(path));
        for (int i = 0; i < kEach; ++i)
            ASSERT_TRUE(h.Append(file, cStoredAnswer{task, kStart + i, AnswerKind::Practice, 0}, nullptr));
    });
    std::thread queued([&] {
        cHistory h;
        ASSERT_TRUE(h.Open(path));
        cStoredTask fresh{h.ProvisionalTaskId(), cTaskKey{"2", 3, 4}, {}, 0, -1};
        for (int i = 0; i < kEach; ++i) {
            fresh.state.reps = (i + 1) / 2; // its own answers so far
            const std::int64_t id = i % 2 ? fresh.id : task;
            h.AppendLater(file, cStoredAnswer{id, kStart + i, AnswerKind::Practice, 2}, i % 2 ? &fresh : nullptr);
        }
        h.Close(); // lands what is queued
        EXPECT_EQ(h.Failure(), HistoryFailure::None);
    });
    direct.join();
    queued.join();
    const auto answers = setup.Answers(file);
    EXPECT_EQ(answers.size(), 2u * kEach);
    EXPECT_EQ(std::count_if(answers.begin(), answers.end(), [](auto& x) { return x.grade == 2; }), kEach);
    const auto tasks = setup.Tasks(file);
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[1].key, (cTaskKey{"2", 3, 4}));
    EXPECT_EQ(tasks[1].state.reps, kEach / 2);
    EXPECT_EQ(setup.TaskAnswers({tasks[1].id}).size(), kEach / 2u);
    int right = 0, wrong = 0;
    for (const cAnswerSlot& slot : setup.AnswerSlots(file, 0))
        right += slot.right, wrong += slot.wrong;
    EXPECT_EQ(right, kEach);
    EXPECT_EQ(wrong, kEach);
}

// Another program answers a task while this one has it open: this program's next answer
// to it stores the state of all three answers, not one that misses the other's.
TEST(History, AnswersOfAnotherProgramStayInTheState) {
    LearnRig r(FiveTasks());
    r.rig.Q().OpenQuestionnaire(0);
    r.AnswerTask(0, "antwort1");
    r.history.Flush();
    {
        cHistory other;
        ASSERT_TRUE(other.Open(r.rig.dir.Path("verlauf.sqlite")));
        cStoredTask theirs = other.Tasks(r.learner->FileId())[0];
        theirs.state = cFsrs().Review(theirs.state, Rating::Again, kStart + 3600);
        ASSERT_TRUE(other.Append(r.learner->FileId(),
                                 cStoredAnswer{theirs.id, kStart + 3600, AnswerKind::Practice, GradeWrong}, &theirs));
    }
    r.now = kStart + 2 * kDay;
    r.AnswerTask(0, "antwort1");
    r.history.Flush();
    const cFsrs fsrs;
    cMemoryState all;
    for (const auto& [at, rating] : {std::pair{kStart, Rating::Good}, {kStart + 3600, Rating::Again},
                                     {kStart + 2 * kDay, Rating::Good}})
        all = fsrs.Review(all, rating, at);
    EXPECT_EQ(r.history.Tasks(r.learner->FileId())[0].state, all);
}

// A database another program locks past the busy time-out while answers wait in the
// queue: the answer returns at once, the next one shows the one message, practice and
// the file's counters go on. Closing the file right after such an answer shows it too.
TEST(History, FailureOnTheWriterIsReportedOnce) {
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closing the file" : "answering on");
        LearnRig r(FiveTasks());
        ResetHistoryFailureReport();
        auto counted = [&r] {
            unsigned sum = 0;
            for (const cTask& t : r.rig.doc.m_data.m_aTasks)
                sum += std::accumulate(t.m_nStats.begin(), t.m_nStats.end(), 0u);
            return sum;
        };
        const unsigned before = counted();
        auto historyBoxes = [&r] {
            return std::count_if(r.rig.presenter.boxes.begin(), r.rig.presenter.boxes.end(),
                                 [](auto& box) { return box.text.find("Lernverlauf") != std::string::npos; });
        };
        r.rig.Q().OpenQuestionnaire(0);
        r.AnswerTask(0, "antwort1"); // the file is known to the history from here on
        r.history.Flush();
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(r.rig.dir.Path("verlauf.sqlite").c_str(), &other), SQLITE_OK);
        sqlite3_busy_timeout(other, 5000);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        r.AnswerTask(1, "antwort2");
        if (closing) {
            r.learner->Finish();
            EXPECT_EQ(historyBoxes(), 1);
            sqlite3_close(other);
            continue;
        }
        r.history.Flush();
        EXPECT_EQ(r.history.Failure(), HistoryFailure::Locked);
        EXPECT_EQ(historyBoxes(), 0);
        for (int task = 2; task < 4; ++task)
            r.AnswerTask(task, "antwort" + std::to_string(task + 1));
        sqlite3_close(other);
        EXPECT_EQ(historyBoxes(), 1);
        EXPECT_EQ(r.learner->StateOf(3).reps, 1); // the memory goes on for the session
        EXPECT_EQ(counted(), before + 4);
    }
    ResetHistoryFailureReport();
}

// An exam date the history cannot store (another program holds the write lock) still
// holds for the session instead of falling back to the stored one.
TEST(History, UnstoredExamDateHoldsForTheSession) {
    LearnRig r(FiveTasks());
    r.rig.Q().OpenQuestionnaire(0);
    r.AnswerTask(0, "antwort1"); // the file is in the history now
    ASSERT_TRUE(r.learner->SetExamDay(kStart / kDay + 30));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(r.rig.dir.Path("verlauf.sqlite").c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 5000); // a checkpoint may still be finishing
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(r.learner->SetExamDay(-1));
    EXPECT_EQ(r.learner->ExamDay(), -1);
    sqlite3_close(other);
    EXPECT_EQ(r.history.Failure(), HistoryFailure::Locked);
    EXPECT_TRUE(HistoryFailureReported()); // the one message of the session
    ResetHistoryFailureReport();
}

// States stored under an older memory model (which took an answer within 24 hours as one
// of the same day) are computed again from the answers, once.
TEST(History, StatesOfAnOlderModelAreComputedAgain) {
    testfiles::TempDir dir;
    const std::string path = dir.Path("verlauf.sqlite");
    const std::int64_t evening = LocalDayStart(LocalDay(kStart)) + 20 * 3600;
    const std::int64_t at[] = {evening, evening + 12 * 3600, evening + 3 * 86400};
    const int grades[] = {GradeRight, GradeWrong, GradeRight};
    std::int64_t file = 0, task = 0;
    {
        cHistory h;
        ASSERT_TRUE(h.Open(path));
        file = h.AddFile("/kurs.vdr");
        task = h.AddTask(file, cTaskKey{"1", 1, 2});
        cStoredTask stale{task, cTaskKey{"1", 1, 2}, {9, 9, at[2], 3, 0}, at[0], GradeRight};
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(h.Append(file, cStoredAnswer{task, at[i], AnswerKind::Practice, grades[i]}, &stale));
    }
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "PRAGMA user_version=0", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    const cFsrs fsrs;
    cMemoryState want;
    for (int i = 0; i < 3; ++i)
        want = fsrs.Review(want, RatingOfGrade(grades[i]), at[i]);
    cHistory h;
    ASSERT_TRUE(h.Open(path));
    ASSERT_EQ(h.Tasks(file).size(), 1u);
    EXPECT_EQ(h.Tasks(file)[0].state, want);
    EXPECT_EQ(h.Tasks(file)[0].firstAt, at[0]);
    // Computed once: a state written afterwards stays.
    cStoredTask later{task, cTaskKey{"1", 1, 2}, {7, 7, at[2], 3, 0}, at[0], GradeRight};
    ASSERT_TRUE(h.UpdateTask(later));
    h.Close();
    ASSERT_TRUE(h.Open(path));
    EXPECT_EQ(h.Tasks(file)[0].state, later.state);
}

// A history that cannot be used names the reason; the learner still works in memory.
TEST(History, BrokenDatabaseNamesTheReason) {
    testfiles::TempDir dir;
    struct Case { const char* name; HistoryFailure want; std::function<std::string()> make; };
    const Case cases[] = {
        {"damaged", HistoryFailure::Damaged, [&] {
             testfiles::WriteBytes(dir.Path("kaputt.sqlite"), std::string(4096, 'x'));
             return dir.Path("kaputt.sqlite"); }},
        {"folder is a file", HistoryFailure::Folder, [&] {
             testfiles::WriteBytes(dir.Path("datei"), "x");
             return dir.Path("datei/verlauf.sqlite"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cHistory h;
        EXPECT_FALSE(h.Open(c.make()));
        EXPECT_EQ(h.Failure(), c.want);
    }
}

// Values that no version of the program writes (another program's edit, a damaged page)
// are taken within the model's ranges: the plan, the readiness, the charts' numbers and
// the fitting compute with them without overflow, and practice goes on.
TEST(History, StrayValuesAreTakenWithinRange) {
    LearnRig r(FiveTasks());
    r.rig.Q().OpenQuestionnaire(0);
    for (int t = 0; t < 4; ++t)
        r.AnswerTask(t, t % 2 ? "falsch" : "antwort" + std::to_string(t + 1));
    r.learner->Finish();
    const std::string file = std::to_string(r.learner->FileId());
    const std::string stray[] = {
        "UPDATE task SET s=-5, d=1e308, last=-9223372036854775808, reps=-3 WHERE number=CAST('1' AS BLOB)",
        "UPDATE task SET s=1e308, d=-1e308, last=9223372036854775807, reps=2147483647, lapses=-7, "
        "first_at=-9223372036854775808 WHERE number=CAST('2' AS BLOB)",
        "UPDATE task SET s=0, d=0, last=0, first_at=9223372036854775807 WHERE number=CAST('3' AS BLOB)",
        "UPDATE answer SET at=9223372036854775807 WHERE rowid=1",
        "UPDATE answer SET at=-9223372036854775808 WHERE rowid=2",
        "UPDATE file SET exam_day=9223372036854775807",
        "INSERT OR REPLACE INTO answer_slot VALUES(" + file + ", 9223372036854775807, 2147483647, -5, 1)",
        "INSERT OR REPLACE INTO answer_slot VALUES(" + file + ", " + std::to_string(kStart / 900) +
            ", 2147483647, 2147483647, 2147483647)",
        "INSERT OR REPLACE INTO model VALUES(1, '1e300 -1e300 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0')",
    };
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(r.rig.dir.Path("verlauf.sqlite").c_str(), &raw), SQLITE_OK);
    for (const std::string& sql : stray)
        EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(raw);
    r.history.Close();
    ASSERT_TRUE(r.history.Open(r.rig.dir.Path("verlauf.sqlite")));
    r.Attach();

    for (std::size_t i = 0; i < r.history.Weights().size(); ++i) {
        EXPECT_GE(r.history.Weights()[i], kFsrsWeightRange[i].first);
        EXPECT_LE(r.history.Weights()[i], kFsrsWeightRange[i].second);
    }
    EXPECT_TRUE(r.learner->StateOf(0).IsNew()); // no answers counted into it
    EXPECT_EQ(r.learner->StateOf(1).last, kLatestTime);
    EXPECT_EQ(r.learner->StateOf(1).lapses, 0);
    EXPECT_EQ(r.learner->StateOf(1).reps, 1 << 24);
    EXPECT_EQ(r.learner->StateOf(2).stability, 0.01);
    EXPECT_EQ(r.learner->StateOf(2).difficulty, 1.0);
    EXPECT_EQ(r.learner->ExamDay(), -1);
    const cPlanCounts counts = r.learner->Counts(0);
    EXPECT_EQ(counts.fresh, 2); // tasks 1 and 5
    for (const cExamReadiness& e : r.learner->Readiness())
        EXPECT_TRUE(e.now.pass >= 0 && e.now.pass <= 1);
    cProgress progress(r.rig.doc.m_data);
    progress.Load(r.history, r.learner->FileId(), r.now, r.learner->ExamDay());
    int answers = 0;
    for (const cDayAnswers& day : progress.PerDay())
        answers += day.right + day.partly + day.wrong;
    EXPECT_GT(answers, 4); // the stray sums count, capped, without overflowing
    const cFitResult fit = FitWeights(r.history.AllTaskAnswers());
    EXPECT_FALSE(fit.Better()); // far too few answers

    r.AnswerTask(4, "antwort5");
    r.AnswerTask(1, "antwort2");
    r.history.Flush();
    EXPECT_EQ(r.history.Failure(), HistoryFailure::None);
    EXPECT_EQ(r.learner->StateOf(4).reps, 1);
    const std::vector<cStoredTask> stored = r.history.Tasks(r.learner->FileId());
    ASSERT_EQ(stored.size(), 5u);
}

} // namespace
