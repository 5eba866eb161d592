#include "learning/Fsrs.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

// The forgetting curve R = (1 + kFactor * t / S)^kDecay, with kFactor chosen so that
// R(S, S) = 0.9.
constexpr double kDecay = -0.5;
constexpr double kFactor = 19.0 / 81.0;
constexpr double kMinStability = 0.01;
constexpr double kMaxStability = 36500.0;

double ClampDifficulty(double d)
{
    return std::clamp(d, 1.0, 10.0);
}

// Local calendar day of a time. Replaying a long history asks for many days in a row, so
// the offset from UTC is looked up once per hour of time, not per answer.
std::int64_t CalendarDay(std::int64_t at)
{
    thread_local std::int64_t cachedHour = -1;
    thread_local std::int64_t offset = 0;
    const std::int64_t hour = at / 3600;
    if (hour != cachedHour) {
        const std::time_t t = static_cast<std::time_t>(at);
        std::tm local{};
        localtime_r(&t, &local);
        offset = local.tm_gmtoff;
        cachedHour = hour;
    }
    const std::int64_t shifted = at + offset;
    return shifted / 86400 - (shifted % 86400 < 0 ? 1 : 0);
}

} // namespace

cMemoryState SaneState(const cMemoryState& s)
{
    if (s.reps <= 0)
        return cMemoryState{};
    const auto within = [](double x, double low, double high) {
        return std::isfinite(x) ? std::clamp(x, low, high) : low;
    };
    cMemoryState sane = s;
    sane.stability = within(s.stability, kMinStability, kMaxStability);
    sane.difficulty = within(s.difficulty, 1.0, 10.0);
    sane.last = SaneTime(s.last);
    // Far more answers than anyone gives one task, and room to count on.
    sane.reps = std::min(s.reps, 1 << 24);
    sane.lapses = std::clamp(s.lapses, 0, sane.reps);
    return sane;
}

cFsrsWeights SaneWeights(const cFsrsWeights& w)
{
    cFsrsWeights sane = w;
    for (std::size_t i = 0; i < sane.size(); ++i) {
        const auto [low, high] = kFsrsWeightRange[i];
        sane[i] = std::isfinite(w[i]) ? std::clamp(w[i], low, high) : kFsrsDefaultWeights[i];
    }
    return sane;
}

std::int64_t SaneTime(std::int64_t at)
{
    return std::clamp<std::int64_t>(at, 0, kLatestTime);
}

double cFsrs::Recall(double elapsedDays, double stability)
{
    if (stability <= 0)
        return 0;
    return std::pow(1.0 + kFactor * std::max(elapsedDays, 0.0) / stability, kDecay);
}

double cFsrs::RecallAt(const cMemoryState& s, std::int64_t now)
{
    if (s.IsNew())
        return 0;
    return Recall(static_cast<double>(now - s.last) / kSecondsPerDay, s.stability);
}

double cFsrs::IntervalDays(double stability, double retention)
{
    retention = std::clamp(retention, 0.01, 0.99);
    return stability / kFactor * (std::pow(retention, 1.0 / kDecay) - 1.0);
}

std::int64_t cFsrs::DueAt(const cMemoryState& s, double retention)
{
    if (s.IsNew())
        return 0;
    return s.last + static_cast<std::int64_t>(std::llround(IntervalDays(s.stability, retention) *
                                                           kSecondsPerDay));
}

double cFsrs::InitialStability(Rating r) const
{
    return std::max(m_w[static_cast<int>(r) - 1], kMinStability);
}

double cFsrs::InitialDifficulty(Rating r) const
{
    return m_w[4] - std::exp(m_w[5] * (static_cast<int>(r) - 1)) + 1.0;
}

double cFsrs::NextDifficulty(double d, Rating r) const
{
    const double delta = -m_w[6] * (static_cast<int>(r) - 3);
    // Linear damping: the closer to 10, the smaller the step up.
    const double damped = d + delta * (10.0 - d) / 9.0;
    // Mean reversion towards the initial difficulty of an easy answer.
    const double reverted = m_w[7] * InitialDifficulty(Rating::Easy) + (1.0 - m_w[7]) * damped;
    return ClampDifficulty(reverted);
}

double cFsrs::RecallStability(double d, double s, double r, Rating g) const
{
    const double hard = g == Rating::Hard ? m_w[15] : 1.0;
    const double easy = g == Rating::Easy ? m_w[16] : 1.0;
    return s * (1.0 + std::exp(m_w[8]) * (11.0 - d) * std::pow(s, -m_w[9]) *
                          (std::exp(m_w[10] * (1.0 - r)) - 1.0) * hard * easy);
}

double cFsrs::ForgetStability(double d, double s, double r) const
{
    const double forget = m_w[11] * std::pow(d, -m_w[12]) * (std::pow(s + 1.0, m_w[13]) - 1.0) *
                          std::exp(m_w[14] * (1.0 - r));
    // The published bound: after a lapse the stability stays below the old one divided by
    // the short-term gain of a "Good", so relearning the same day cannot undo the lapse.
    return std::min(forget, s / std::exp(m_w[17] * m_w[18]));
}

double cFsrs::ShortTermStability(double s, Rating g) const
{
    return s * std::exp(m_w[17] * (static_cast<int>(g) - 3 + m_w[18]));
}

cMemoryState cFsrs::Review(const cMemoryState& s, Rating rating, std::int64_t now) const
{
    cMemoryState next = s;
    next.last = std::max(now, s.last);
    ++next.reps;
    if (s.IsNew()) {
        next.stability = InitialStability(rating);
        next.difficulty = ClampDifficulty(InitialDifficulty(rating));
        return next;
    }
    const double elapsedDays = static_cast<double>(now - s.last) / kSecondsPerDay;
    Step(next, rating, elapsedDays, elapsedDays < 1.0 && SameDay(now, s.last));
    return next;
}

bool cFsrs::SameDay(std::int64_t a, std::int64_t b)
{
    return CalendarDay(a) == CalendarDay(b);
}

void cFsrs::Step(cMemoryState& s, Rating rating, double elapsedDays, bool sameDay) const
{
    if (rating == Rating::Again)
        ++s.lapses;
    // Answers on the same calendar day change the memory by the short-term rule; the next
    // morning's answer is a review even when less than 24 hours have passed.
    double stability = 0;
    if (sameDay) {
        stability = ShortTermStability(s.stability, rating);
    } else {
        const double r = Recall(elapsedDays, s.stability);
        stability = rating == Rating::Again ? ForgetStability(s.difficulty, s.stability, r)
                                            : RecallStability(s.difficulty, s.stability, r, rating);
    }
    s.stability = std::clamp(stability, kMinStability, kMaxStability);
    s.difficulty = NextDifficulty(s.difficulty, rating);
}
