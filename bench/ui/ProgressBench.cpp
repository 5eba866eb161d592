// The progress window on a large history: 1,000,000 answers over 100,000 tasks, spread
// over 400 days, in a real history database under a temporary XDG_DATA_HOME. Reports the
// time from making the window to its first paint (history read, series and the readiness
// curve over 90 days computed, four charts built) and the time to follow one new answer.
//
//   ProgressBench [DIR]      prints: <open ms> <follow ms> <open CPU ms> <follow CPU ms>
//                            (goals: 300 and 20; on a shared machine the CPU times count)
//
// DIR keeps the generated file and history between runs (made when missing). With
// PROGRESS_BENCH_PARTS set it also prints the CPU time of reading the tasks, of the
// series alone and of a reload with its paint.

#include "data/Document.h"
#include "data/TrainingData.h"
#include "data/ui/VendrillDoc.h"
#include "learning/Learner.h"
#include "learning/ui/ProgressWindow.h"
#include "base/Message.h"
#include "common/TestFiles.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <vector>

namespace {

constexpr int kTasks = 100000;
constexpr int kAnswers = 1000000;
constexpr int kSpanDays = 400;

// CPU time of this process (all its threads) in ms.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

class SilentPresenter : public cMessagePresenter {
public:
    int Present(const std::string&, const std::string&, std::uint32_t) override { return ResultOk; }
};

// Writes the history in one transaction straight into the tables (appending a million
// answers one by one would take minutes and measure nothing of the window).
bool MakeHistory(const cTrainingData& data, const std::string& vdr, std::int64_t now)
{
    cHistory history;
    if (!history.Open(HistoryFilePath()))
        return false;
    const std::int64_t file = history.AddFile(std::filesystem::weakly_canonical(vdr).string());
    history.Close();
    sqlite3* db = nullptr;
    if (sqlite3_open(HistoryFilePath().c_str(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    // The answers, and each task's memory as the learner would have stored it.
    std::vector<cStoredTask> tasks(kTasks);
    const cFsrs fsrs;
    sqlite3_stmt* answer = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO answer(file, task, at, kind, grade, points, max, ms) "
                           "VALUES(?1, ?2, ?3, 0, ?4, ?5, 1, 4000)", -1, &answer, nullptr);
    std::mt19937 rng(7);
    const std::int64_t start = now - std::int64_t{kSpanDays} * 86400;
    for (int a = 0; a < kAnswers; ++a) {
        const int grade = static_cast<int>(rng() % 10) < 7 ? 2 : static_cast<int>(rng() % 2);
        const int t = static_cast<int>(rng() % kTasks);
        const std::int64_t at = start + std::int64_t{a} * kSpanDays * 86400 / kAnswers;
        sqlite3_bind_int64(answer, 1, file);
        sqlite3_bind_int64(answer, 2, t + 1);
        sqlite3_bind_int64(answer, 3, at);
        sqlite3_bind_int64(answer, 4, grade);
        sqlite3_bind_int64(answer, 5, grade == 2);
        sqlite3_step(answer);
        sqlite3_reset(answer);
        cStoredTask& task = tasks[static_cast<std::size_t>(t)];
        if (task.firstGrade < 0)
            task.firstAt = at, task.firstGrade = grade;
        task.state = fsrs.Review(task.state, RatingOfGrade(grade), at);
    }
    sqlite3_finalize(answer);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO task(id, file, number, qh, sh, s, d, last, reps, lapses, "
                           "first_at, first_grade) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, 0, ?10, ?11)",
                       -1, &insert, nullptr);
    for (int i = 0; i < kTasks; ++i) {
        const cTaskKey key = TaskKeyOf(data.m_aTasks[static_cast<std::size_t>(i)]);
        const cStoredTask& t = tasks[static_cast<std::size_t>(i)];
        sqlite3_bind_int64(insert, 1, i + 1);
        sqlite3_bind_int64(insert, 2, file);
        sqlite3_bind_blob(insert, 3, key.number.data(), static_cast<int>(key.number.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 4, static_cast<std::int64_t>(key.question));
        sqlite3_bind_int64(insert, 5, static_cast<std::int64_t>(key.solution));
        sqlite3_bind_double(insert, 6, t.state.stability);
        sqlite3_bind_double(insert, 7, t.state.difficulty);
        sqlite3_bind_int64(insert, 8, t.state.last);
        sqlite3_bind_int64(insert, 9, t.state.reps);
        sqlite3_bind_int64(insert, 10, t.firstAt);
        if (t.firstGrade < 0)
            sqlite3_bind_null(insert, 11);
        else
            sqlite3_bind_int64(insert, 11, t.firstGrade);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    // The writer sums each batch into the per-slot counts as it stores it; here the rows
    // went in directly, so the sums are brought up to date once, before the measurement.
    if (!history.Open(HistoryFilePath()))
        return false;
    (void)history.AnswerSlots(file, 0);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentPresenter presenter;
    SetMessagePresenter(&presenter);
    QTemporaryDir temp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    QDir().mkpath(dir);
    qputenv("XDG_DATA_HOME", QDir(dir).filePath(QStringLiteral("data")).toLocal8Bit());
    const QString vdr = QDir(dir).filePath(QStringLiteral("gross.vdr"));
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    if (!QFile::exists(vdr)) {
        cTrainingData data = testfiles::MakeTrainingData(kTasks);
        if (data.WriteTrainingFile(vdr.toStdString()) != 0 ||
            !MakeHistory(data, vdr.toStdString(), now - 3600)) {
            std::fprintf(stderr, "cannot write the benchmark file and history in %s\n", qPrintable(dir));
            return 1;
        }
    }
    CVendrillDoc doc;
    doc.SetPathName(vdr);
    if (doc.ReadFile() != 0)
        return 1;
    (void)SharedHistory(); // opened once per program run, before any window

    QElapsedTimer timer;
    timer.start();
    double cpu = CpuMs();
    auto window = std::make_unique<CProgressWindow>(doc);
    window->resize(1200, 800);
    window->show();
    QCoreApplication::processEvents();
    window->repaint();
    QCoreApplication::processEvents();
    const double openMs = double(timer.nsecsElapsed()) / 1.0e6;
    const double openCpu = CpuMs() - cpu;
    if (window->Progress().Curves().empty()) {
        std::fprintf(stderr, "no readiness curve\n");
        return 1;
    }

    // Following an answer: the learner has stored it, the window is told.
    timer.restart();
    cpu = CpuMs();
    emit AnswerNotifier().AnswerRecorded(&doc.Core(), 12345, GradeRight, QDateTime::currentSecsSinceEpoch());
    window->repaint();
    QCoreApplication::processEvents();
    const double followMs = double(timer.nsecsElapsed()) / 1.0e6;
    std::printf("%.1f %.1f %.1f %.1f\n", openMs, followMs, openCpu, CpuMs() - cpu);
    if (qEnvironmentVariableIsSet("PROGRESS_BENCH_PARTS")) {
        cpu = CpuMs();
        cProgress p(doc.Data());
        cHistory& h = SharedHistory();
        const std::int64_t file = HistoryFileOf(h, doc.Core().Path());
        const double a = CpuMs();
        auto tasks = h.Tasks(file);
        const double b = CpuMs();
        p.Load(h, file, QDateTime::currentSecsSinceEpoch(), -1);
        const double c = CpuMs();
        window->Reload();
        window->repaint();
        std::printf("parts: tasks %.1f load %.1f reload+paint %.1f\n", b - a, c - b, CpuMs() - c);
    }
    window.reset();
    doc.Discard();
    SetMessagePresenter(nullptr);
    return 0;
}
