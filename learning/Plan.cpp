#include "learning/Plan.h"

#include "learning/History.h"

#include <algorithm>
#include <cmath>

bool cPlanRule::IsDue(const cMemoryState& s, std::int64_t now) const
{
    if (s.IsNew())
        return false;
    const double recall = cFsrs::RecallAt(s, now);
    if (!AimsAtExam(now))
        return recall < retention;
    // Towards the exam a task is asked at most once a day: the short-term gain of asking
    // it again the same day is small against a review on another day.
    if (cFsrs::RecallAt(s, examTime) >= retention || LocalDay(s.last) == LocalDay(now))
        return false;
    if ((s.stability < kFreshStability && recall < kFreshRecall) || recall < kExamWayRecall)
        return true;
    const std::int64_t daysLeft = LocalDay(examTime) - LocalDay(now);
    if (daysLeft <= kExamSweepDays)
        return true;
    if (daysLeft > kExamStretchDays)
        return false;
    if (recall < kStretchRecall)
        return true;
    const double daysToExam = static_cast<double>(examTime - now) / kSecondsPerDay;
    const cMemoryState right = m_fsrs.Review(s, Rating::Good, now);
    return cFsrs::IntervalDays(right.stability, retention) >= kExamMargin * daysToExam;
}

int cPlanRule::NewPerDay(int setting, int newLeft, std::int64_t daysLeft) const
{
    if (examTime == 0 || daysLeft <= 0)
        return setting;
    const double open = std::max(1.0, std::floor(static_cast<double>(daysLeft) * (1.0 - kExamReserve)));
    return std::max(setting, static_cast<int>(std::ceil(newLeft / open)));
}

std::int64_t cPlanRule::DueAt(const cMemoryState& s, std::int64_t now) const
{
    if (s.IsNew())
        return 0;
    // A second after the recall reached the retention it is below it.
    const std::int64_t usual = std::max(now, cFsrs::DueAt(s, retention) + 1);
    if (!AimsAtExam(now))
        return usual;
    if (IsDue(s, now))
        return now;
    // Once a day is over the rules hold from the next morning on and, within a day, stay
    // true once they hold: find the first such day, then the moment by halving.
    const std::int64_t today = LocalDay(now);
    for (std::int64_t day = today; ; ++day) {
        const std::int64_t from = day == today ? now : LocalDayStart(day);
        if (from >= examTime)
            break;
        const std::int64_t to = std::min(LocalDayStart(day + 1), examTime) - 1;
        if (!IsDue(s, to))
            continue;
        if (IsDue(s, from))
            return from;
        std::int64_t low = from, high = to; // due at high, not at low
        while (high - low > 60) {
            const std::int64_t mid = low + (high - low) / 2;
            (IsDue(s, mid) ? high : low) = mid;
        }
        return high;
    }
    return std::max(examTime, usual);
}
