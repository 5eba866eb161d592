// How few answers any schedule could need in LearnerSimulation's setting: 1,000 tasks,
// at most 80 answers a day, the exam on day 60, a task never learned known with
// probability 0.3. Every task is planned by dynamic programming over the memory model as
// if the learner's memory followed the default weights exactly, so each answer's chance
// is known: on which days to ask it and how often to repeat it the same day. New tasks
// come in evenly over the first days (45 by default). The objective is answers minus lambda times the recall on the exam day; the
// daily limit enters as a price per answer on each day, raised where the planned answers
// exceed it (a Lagrangian relaxation), and ties between days are spread by a soft
// minimum. The result is an estimate of the best recall for a number of answers, not a
// proof: the grid is coarse and some days may stay above the limit (reported).
//
//     PlanOptimum [DAYS_OF_NEW_TASKS [LAMBDA ...]]   # 45, and 7 8 9 by default
//
// With PLAN_OPTIMUM_DAYS set it also prints the planned answers of every day.

#include "learning/Fsrs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr int kTasks = 1000, kDays = 60, kPerDay = 80, kMaxRepeats = 6, kIterations = 40;
constexpr double kFirstRight = 0.3, kSoftness = 0.1;
// Stability on a log grid whose step is an eighth of a same-day repeat's gain, so that a
// repeat moves exactly eight cells; difficulty in quarters.
const double kRepeatGain = kFsrsDefaultWeights[17] * kFsrsDefaultWeights[18];
const double kStep = kRepeatGain / 8, kLowest = std::log(0.01);
constexpr int kCells = 300, kLevels = 37;

std::int64_t At(int day) { return std::int64_t{day} * 86400 + 9 * 3600; }

struct cPoint { float s, d; }; // fractional grid coordinates

cPoint ToGrid(const cMemoryState& m)
{
    return {static_cast<float>(std::clamp((std::log(m.stability) - kLowest) / kStep, 0.0, kCells - 1.001)),
            static_cast<float>(std::clamp((m.difficulty - 1) / 0.25, 0.0, kLevels - 1.001))};
}

// What an answer after a gap of g days does to the state in cell (s, d).
struct cStep { float recall; cPoint right, wrong; };

class cPlanner {
public:
    cPlanner(int newDays, double lambda) : m_newDays(newDays), m_lambda(lambda), m_price(kDays, 0.0)
    {
        const cFsrs fsrs;
        m_steps.resize(std::size_t{kCells} * kLevels * kDays);
        for (int s = 0; s < kCells; ++s)
            for (int d = 0; d < kLevels; ++d)
                for (int g = 1; g < kDays; ++g) {
                    const cMemoryState m{Stability(s), 1 + d * 0.25, At(0), 2, 0};
                    m_steps[Index(s, d, g)] = {static_cast<float>(cFsrs::RecallAt(m, At(g))),
                                               ToGrid(fsrs.Review(m, Rating::Good, At(g))),
                                               ToGrid(fsrs.Review(m, Rating::Again, At(g)))};
                }
        m_firstRight = ToGrid(fsrs.Review({}, Rating::Good, At(0)));
        m_firstWrong = ToGrid(fsrs.Review({}, Rating::Again, At(0)));
        m_wait.resize(std::size_t{kCells} * kLevels * (kDays + 1));
        m_after.resize(m_wait.size());
    }

    // Prices the days, plans, and walks sampled tasks through the plan.
    void Run()
    {
        for (int round = 0; round < kIterations; ++round) {
            Solve();
            Walk();
            for (int t = 0; t < kDays; ++t)
                m_price[t] = std::max(0.0, m_price[t] + 0.2 * (m_load[t] - kPerDay) / kPerDay);
        }
        double over = 0;
        for (const double l : m_load)
            over += std::max(0.0, l - kPerDay);
        std::printf("lambda %5.1f: recall %5.1f%%, answers %5.0f, above the daily limit %4.0f\n",
                    m_lambda, m_recall * 100, m_answers, over);
        if (std::getenv("PLAN_OPTIMUM_DAYS"))
            for (int t = 0; t < kDays; ++t)
                std::printf("%d:%.0f%c", t, m_load[t], t + 1 < kDays ? ' ' : '\n');
    }

private:
    static double Stability(int s) { return std::exp(kLowest + s * kStep); }
    static std::size_t Index(int s, int d, int t) { return (static_cast<std::size_t>(t) * kCells + s) * kLevels + d; }

    static double Value(const std::vector<double>& v, int t, cPoint p)
    {
        const int s = static_cast<int>(p.s), d = static_cast<int>(p.d);
        const double a = p.s - s, b = p.d - d;
        return v[Index(s, d, t)] * (1 - a) * (1 - b) + v[Index(s + 1, d, t)] * a * (1 - b) +
               v[Index(s, d + 1, t)] * (1 - a) * b + v[Index(s + 1, d + 1, t)] * a * b;
    }
    // Cost of answering on day t2 a task last answered on day t, then planning on.
    double Ask(int t, int t2, int s, int d) const
    {
        const cStep& x = m_steps[Index(s, d, t2 - t)];
        return 1 + m_price[t2] + x.recall * Value(m_after, t2, x.right) +
               (1 - x.recall) * Value(m_after, t2, x.wrong);
    }
    double Stop(int t, int s) const { return -m_lambda * cFsrs::Recall(kDays - t, Stability(s)); }
    // Value on day t right after an answer: repeat it k times the same day, or not.
    double Repeat(int t, int s, int d, int* best = nullptr) const
    {
        double v = m_wait[Index(s, d, t)];
        for (int k = 1; k <= kMaxRepeats && s + 8 * k < kCells; ++k)
            if (const double w = m_wait[Index(s + 8 * k, d, t)] + k * (1 + m_price[t]); w < v) {
                v = w;
                if (best) *best = k;
            }
        return v;
    }

    void Solve()
    {
        for (int t = kDays - 1; t >= 0; --t) {
            for (int s = 0; s < kCells; ++s)
                for (int d = 0; d < kLevels; ++d) {
                    double v = Stop(t, s);
                    for (int t2 = t + 1; t2 < kDays; ++t2)
                        v = std::min(v, Ask(t, t2, s, d));
                    m_wait[Index(s, d, t)] = v;
                }
            for (int s = 0; s < kCells; ++s)
                for (int d = 0; d < kLevels; ++d)
                    m_after[Index(s, d, t)] = Repeat(t, s, d);
        }
    }

    // A choice among values by a soft minimum, so that equal tasks spread over equal days.
    int Choose(const std::vector<double>& v)
    {
        const double low = *std::min_element(v.begin(), v.end());
        double sum = 0;
        for (const double x : v) sum += std::exp(-(x - low) / kSoftness);
        double u = std::uniform_real_distribution<double>(0, sum)(m_random);
        for (std::size_t i = 0; i < v.size(); ++i)
            if ((u -= std::exp(-(v[i] - low) / kSoftness)) <= 0) return static_cast<int>(i);
        return static_cast<int>(v.size()) - 1;
    }

    void Walk()
    {
        constexpr int kSamples = 4000;
        const double weight = double(kTasks) / kSamples;
        m_load.assign(kDays, 0);
        m_recall = m_answers = 0;
        std::uniform_real_distribution<double> chance(0, 1);
        std::vector<double> options;
        for (int n = 0; n < kSamples; ++n) {
            int t = n * m_newDays / kSamples;
            cPoint p = chance(m_random) < kFirstRight ? m_firstRight : m_firstWrong;
            m_load[t] += weight;
            m_answers += weight;
            for (;;) {
                int s = static_cast<int>(std::lround(p.s)), d = static_cast<int>(std::lround(p.d));
                int repeats = 0;
                Repeat(t, s, d, &repeats);
                s = std::min(s + 8 * repeats, kCells - 1);
                m_load[t] += repeats * weight;
                m_answers += repeats * weight;
                options.assign(1, Stop(t, s));
                for (int t2 = t + 1; t2 < kDays; ++t2) options.push_back(Ask(t, t2, s, d));
                const int next = Choose(options);
                if (next == 0) { m_recall += cFsrs::Recall(kDays - t, Stability(s)) / kSamples; break; }
                const cStep& x = m_steps[Index(s, d, next)];
                p = chance(m_random) < x.recall ? x.right : x.wrong;
                t += next;
                m_load[t] += weight;
                m_answers += weight;
            }
        }
    }

    int m_newDays;
    double m_lambda;
    std::vector<double> m_price, m_load, m_wait, m_after;
    std::vector<cStep> m_steps;
    cPoint m_firstRight{}, m_firstWrong{};
    double m_recall = 0, m_answers = 0;
    std::mt19937_64 m_random{2026};
};

} // namespace

int main(int argc, char** argv)
{
    // Days are counted in UTC, as the simulated times are.
    setenv("TZ", "UTC", 1);
    tzset();
    const int newDays = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, kDays) : 45;
    std::vector<double> lambdas;
    for (int i = 2; i < argc; ++i) lambdas.push_back(std::atof(argv[i]));
    if (lambdas.empty()) lambdas = {7, 8, 9};
    std::printf("%d tasks coming in over %d days, %d answers a day at most, exam on day %d\n",
                kTasks, newDays, kPerDay, kDays);
    for (const double lambda : lambdas)
        cPlanner(newDays, lambda).Run();
    return 0;
}
