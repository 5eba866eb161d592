// The answer history at scale: 1,000,000 answers over 100,000 tasks of one file. Measures
// opening the file (every task's state found and its recall computed), storing one
// answer, and the bytes the database takes per answer.

#include "data/Document.h"
#include "learning/History.h"
#include "learning/Learner.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

constexpr int kTasks = 100'000;
constexpr int kAnswersPerTask = 10;
constexpr std::int64_t kStart = 1'800'000'000;

struct cScale {
    std::string dir = std::filesystem::temp_directory_path() / "quorvant-history-bench";
    std::string db = dir + "/verlauf.sqlite";
    cDocument doc;
    double bytesPerAnswer = 0;
    cHistory history; // the store benchmark's, flushed outside the timed loop

    cScale() {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        doc.m_data.m_strPath = dir + "/kurs.vdr";
        doc.m_data.m_aTasks.resize(kTasks);
        for (int i = 0; i < kTasks; ++i) {
            cTask& t = doc.m_data.m_aTasks[static_cast<std::size_t>(i)];
            t.m_strTaskNo = std::to_string(i + 1);
            t.m_strQuestion = "Frage " + std::to_string(i) + " mit etwas Text davor und danach";
            t.m_strSolution = "Antwort " + std::to_string(i);
        }
        cHistory h;
        if (!h.Open(db))
            throw std::runtime_error("cannot open the history");
        sqlite3* raw = nullptr;
        const std::int64_t file = h.AddFile(std::filesystem::weakly_canonical(doc.Path()).string());
        h.Close();
        sqlite3_open(db.c_str(), &raw);
        cFsrs fsrs;
        // One writer for the whole set-up (a second connection would wait for its lock).
        h.Close();
        std::vector<cStoredTask> tasks(kTasks);
        for (int i = 0; i < kTasks; ++i)
            tasks[i].key = TaskKeyOf(doc.m_data.m_aTasks[static_cast<std::size_t>(i)]);
        sqlite3_exec(raw, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        const auto before = std::filesystem::file_size(db);
        // Answers in time order, a day apart per round, interleaved over the tasks.
        sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(raw, "INSERT INTO answer(file, task, at, kind, grade, points, max, ms) "
                                "VALUES(?1, ?2, ?3, 0, ?4, ?5, 1, ?6)", -1, &insert, nullptr);
        for (int round = 0; round < kAnswersPerTask; ++round)
            for (int i = 0; i < kTasks; ++i) {
                const std::int64_t at = kStart + round * 86400 + i;
                const int grade = (i + round) % 5 == 0 ? 0 : 2;
                tasks[i].state = fsrs.Review(tasks[i].state, RatingOfGrade(grade), at);
                if (round == 0)
                    tasks[i].firstAt = at, tasks[i].firstGrade = grade;
                sqlite3_bind_int64(insert, 1, file);
                sqlite3_bind_int64(insert, 2, i + 1);
                sqlite3_bind_int64(insert, 3, at);
                sqlite3_bind_int(insert, 4, grade);
                sqlite3_bind_int(insert, 5, grade == 0 ? 0 : 1);
                sqlite3_bind_int(insert, 6, 2000 + i % 9000);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
        sqlite3_finalize(insert);
        sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_exec(raw, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        const auto afterAnswers = std::filesystem::file_size(db);
        sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(raw, "INSERT INTO task(id, file, number, qh, sh, s, d, last, reps, "
                                "lapses, first_at, first_grade) VALUES(?1, ?2, ?3, ?4, ?5, ?6, "
                                "?7, ?8, ?9, ?10, ?11, ?12)", -1, &insert, nullptr);
        for (int i = 0; i < kTasks; ++i) {
            const cStoredTask& t = tasks[i];
            sqlite3_bind_int64(insert, 1, i + 1);
            sqlite3_bind_int64(insert, 2, file);
            sqlite3_bind_blob(insert, 3, t.key.number.data(), int(t.key.number.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(insert, 4, static_cast<std::int64_t>(t.key.question));
            sqlite3_bind_int64(insert, 5, static_cast<std::int64_t>(t.key.solution));
            sqlite3_bind_double(insert, 6, t.state.stability);
            sqlite3_bind_double(insert, 7, t.state.difficulty);
            sqlite3_bind_int64(insert, 8, t.state.last);
            sqlite3_bind_int(insert, 9, t.state.reps);
            sqlite3_bind_int(insert, 10, t.state.lapses);
            sqlite3_bind_int64(insert, 11, t.firstAt);
            sqlite3_bind_int(insert, 12, t.firstGrade);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        // The writer sums each batch into the per-slot counts as it stores it; these rows
        // went in directly, so the sums are brought up to date once here.
        if (h.Open(db))
            (void)h.AnswerSlots(file, 0);
        h.Close();
        bytesPerAnswer = static_cast<double>(afterAnswers - before) /
                         (double(kTasks) * kAnswersPerTask);
    }
};

cScale& Scale() {
    static cScale scale;
    return scale;
}

// Opening the file: the history found, every task matched and its recall computed.
void BM_OpenEveryTaskState(benchmark::State& state) {
    cScale& s = Scale();
    for (auto _ : state) {
        cHistory h;
        h.Open(s.db);
        cLearner learner(s.doc, &h);
        learner.SetClock([] { return kStart + 20 * 86400; });
        learner.Bind();
        double sum = 0;
        for (int i = 0; i < kTasks; ++i)
            sum += cFsrs::RecallAt(learner.StateOf(i), learner.Now());
        benchmark::DoNotOptimize(sum);
    }
    state.counters["bytes_per_answer"] = s.bytesPerAnswer;
}
BENCHMARK(BM_OpenEveryTaskState)->Unit(benchmark::kMillisecond)->Iterations(5);

// One answer as the window stores it: the state updated and the answer queued for the
// history's writer thread (the time the window waits). land_ms: after the last answer,
// until the writer has committed every queued one (in batches).
void BM_StoreOneAnswer(benchmark::State& state) {
    cScale& s = Scale();
    cHistory& h = s.history;
    h.Open(s.db);
    cLearner learner(s.doc, &h);
    std::int64_t now = kStart + 30 * 86400;
    learner.SetClock([&now] { return now; });
    learner.Bind();
    int task = 0;
    for (auto _ : state) {
        learner.OnAnswer(cAnswerEvent{task, GradeRight, 1, 1, 1500, AnswerKind::Practice});
        task = (task + 7919) % kTasks;
        ++now;
    }
    const auto start = std::chrono::steady_clock::now();
    s.history.Flush();
    state.counters["land_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
BENCHMARK(BM_StoreOneAnswer)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace
