// A simulated learner for the learning plan: 1,000 tasks, 20 minutes a day (80 answers of
// 15 s) for 60 days, an exam of 50 random tasks on day 60. Each learner's memory follows
// FSRS-5 with hidden weights drawn around the defaults; the schedules only know the
// defaults. Three schedules run on the same learners: random order (the file's filter as
// it is by default), Leitner boxes (intervals 1, 2, 4, 8, 16 days) and the plan with the
// exam date set (the program's own rules, cPlanRule). Reports the mean recall on exam
// day, the answers given, and how well the readiness predicted the pass rate (by decile
// of the prediction, and the Brier score).
//
//     LearnerSimulation [LEARNERS [DAYS [SEED]]]

#include "learning/Fsrs.h"
#include "learning/Plan.h"
#include "learning/Readiness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr int kTasks = 1000, kPerDay = 80, kExamTasks = 50, kPass = 35, kRetake = 30;
constexpr int kNewPerDay = 20;
int g_days = 60; // the exam day; the second argument changes it
constexpr double kFirstRight = 0.3; // chance of knowing a task before ever learning it
constexpr std::int64_t kDaySec = 86400;

struct cRun { double recall = 0; long answers = 0; double predicted = 0; bool passed = false; };

struct cLearnerSim {
    cFsrs truth;
    std::mt19937_64 random;
    std::vector<cMemoryState> real;  // the learner's memory, hidden weights
    std::vector<cMemoryState> model; // what the program believes, default weights
    int firstAnswers = 0, firstRight = 0;
    long answers = 0;

    cLearnerSim(const cFsrsWeights& w, std::uint64_t seed)
        : truth(w), random(seed), real(kTasks), model(kTasks) {}

    // The learner answers task i at time t; returns whether right.
    bool Answer(int i, std::int64_t t) {
        static const cFsrs defaults;
        const double p = real[i].IsNew() ? kFirstRight : cFsrs::RecallAt(real[i], t);
        const bool right = std::uniform_real_distribution<double>(0, 1)(random) < p;
        const Rating r = right ? Rating::Good : Rating::Again;
        if (model[i].IsNew()) { ++firstAnswers; firstRight += right ? 1 : 0; }
        real[i] = truth.Review(real[i], r, t);
        model[i] = defaults.Review(model[i], r, t);
        ++answers;
        return right;
    }
};

cRun Finish(cLearnerSim& s, const std::vector<int>& exam, std::int64_t examTime) {
    cRun run;
    for (int i = 0; i < kTasks; ++i)
        run.recall += s.real[i].IsNew() ? kFirstRight : cFsrs::RecallAt(s.real[i], examTime);
    run.recall /= kTasks;
    run.answers = s.answers;
    std::vector<cExamTask> predicted;
    const double newRate = s.firstAnswers ? double(s.firstRight) / s.firstAnswers : 0;
    int points = 0;
    for (const int i : exam) {
        predicted.push_back({1, s.model[i].IsNew() ? newRate : cFsrs::RecallAt(s.model[i], examTime)});
        const double p = s.real[i].IsNew() ? kFirstRight : cFsrs::RecallAt(s.real[i], examTime);
        points += std::uniform_real_distribution<double>(0, 1)(s.random) < p ? 1 : 0;
    }
    run.predicted = ExamReadiness(predicted, kPass, kRetake).pass;
    run.passed = points >= kPass;
    return run;
}

std::int64_t DayTime(int day, int k) { return day * kDaySec + 9 * 3600 + k * 15; }

cRun RandomOrder(cLearnerSim s, const std::vector<int>& exam) {
    for (int day = 0; day < g_days; ++day)
        for (int k = 0; k < kPerDay; ++k)
            s.Answer(static_cast<int>(s.random() % kTasks), DayTime(day, k));
    return Finish(s, exam, DayTime(g_days, 0));
}

cRun Leitner(cLearnerSim s, const std::vector<int>& exam) {
    static constexpr std::array<int, 5> kInterval = {1, 2, 4, 8, 16};
    std::vector<int> box(kTasks, -1), due(kTasks, 0);
    int next = 0;
    for (int day = 0; day < g_days; ++day) {
        int k = 0;
        for (int i = 0; i < kTasks && k < kPerDay; ++i)
            if (box[i] >= 0 && due[i] <= day) {
                box[i] = s.Answer(i, DayTime(day, k++)) ? std::min(box[i] + 1, 4) : 0;
                due[i] = day + kInterval[box[i]];
            }
        for (int fresh = 0; k < kPerDay && fresh < kNewPerDay && next < kTasks; ++fresh, ++next) {
            box[next] = s.Answer(next, DayTime(day, k++)) ? 1 : 0;
            due[next] = day + kInterval[box[next]];
        }
    }
    return Finish(s, exam, DayTime(g_days, 0));
}

// The plan as the program runs it: the rules of cPlanRule, due tasks by lowest recall,
// then the day's new tasks, and the day ends when nothing is due ("Für heute fertig") or
// the 20 minutes are used.
cRun Plan(cLearnerSim s, const std::vector<int>& exam) {
    const std::int64_t examTime = DayTime(g_days, 0);
    cPlanRule rule;
    rule.examTime = examTime;
    int next = 0;
    for (int day = 0; day < g_days; ++day) {
        const int fresh = rule.NewPerDay(kNewPerDay, kTasks - next, g_days - day);
        const std::int64_t now = DayTime(day, 0);
        std::vector<std::pair<double, int>> due;
        for (int i = 0; i < next; ++i)
            if (rule.IsDue(s.model[i], now))
                due.push_back({cFsrs::RecallAt(s.model[i], now), i});
        std::sort(due.begin(), due.end());
        int k = 0;
        for (const auto& [r, i] : due)
            if (k < kPerDay)
                s.Answer(i, DayTime(day, k++));
        for (int n = 0; n < fresh && k < kPerDay && next < kTasks; ++n)
            s.Answer(next++, DayTime(day, k++));
    }
    return Finish(s, exam, examTime);
}

} // namespace

int main(int argc, char** argv) {
    // Days are counted in UTC, as the simulated times are.
    setenv("TZ", "UTC", 1);
    tzset();
    const int learners = argc > 1 ? std::atoi(argv[1]) : 200;
    g_days = argc > 2 ? std::max(1, std::atoi(argv[2])) : g_days;
    std::mt19937_64 seeds(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 2026);
    std::array<double, 3> recall{}, answers{};
    std::vector<std::pair<double, bool>> calibration;
    for (int l = 0; l < learners; ++l) {
        cFsrsWeights w = kFsrsDefaultWeights;
        std::lognormal_distribution<double> spread(0, 0.15);
        for (double& x : w)
            x *= spread(seeds);
        std::vector<int> exam(kTasks);
        for (int i = 0; i < kTasks; ++i) exam[i] = i;
        std::shuffle(exam.begin(), exam.end(), seeds);
        exam.resize(kExamTasks);
        const cLearnerSim learner(w, seeds());
        const cRun runs[3] = {RandomOrder(learner, exam), Leitner(learner, exam), Plan(learner, exam)};
        for (int k = 0; k < 3; ++k) {
            recall[k] += runs[k].recall / learners;
            answers[k] += double(runs[k].answers) / learners;
            calibration.push_back({runs[k].predicted, runs[k].passed});
        }
    }
    const char* names[3] = {"random order", "Leitner boxes", "plan"};
    std::printf("%d learners, %d tasks, %d days, %d answers a day at most\n", learners, kTasks, g_days, kPerDay);
    std::printf("%-14s %12s %10s %22s\n", "schedule", "exam recall", "answers", "recall per 1000 answers");
    for (int k = 0; k < 3; ++k)
        std::printf("%-14s %11.1f%% %10.0f %22.3f\n", names[k], recall[k] * 100, answers[k],
                    recall[k] * 1000 / answers[k]);
    std::printf("plan vs Leitner: %+.1f%% answers\n", (answers[2] / answers[1] - 1) * 100);
    double brier = 0;
    std::array<int, 10> n{}; std::array<double, 10> predicted{}, passed{};
    for (const auto& [p, pass] : calibration) {
        brier += (p - pass) * (p - pass);
        const int d = std::min(9, static_cast<int>(p * 10));
        ++n[d]; predicted[d] += p; passed[d] += pass;
    }
    std::printf("readiness calibration over %zu exams, Brier score %.4f\n", calibration.size(),
                brier / calibration.size());
    std::printf("%-8s %8s %10s %10s\n", "decile", "exams", "predicted", "passed");
    for (int d = 0; d < 10; ++d)
        if (n[d])
            std::printf("%3d-%3d%% %8d %9.1f%% %9.1f%%\n", d * 10, d * 10 + 10, n[d],
                        predicted[d] / n[d] * 100, passed[d] / n[d] * 100);
    return 0;
}
