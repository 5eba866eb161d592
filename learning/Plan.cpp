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

const cPlanRule::cBounds& cPlanRule::Bounds(std::int64_t now) const
{
    if (m_bounds.exam != examTime) {
        m_bounds.exam = examTime;
        m_bounds.examDay = LocalDay(examTime);
        m_bounds.sweep = LocalDayStart(m_bounds.examDay - kExamSweepDays);
        m_bounds.stretch = LocalDayStart(m_bounds.examDay - kExamStretchDays);
    }
    if (m_bounds.now != now) {
        m_bounds.now = now;
        m_bounds.today = LocalDay(now);
        m_bounds.tomorrow = LocalDayStart(m_bounds.today + 1);
    }
    return m_bounds;
}

std::int64_t ExamTime(std::int64_t day)
{
    return LocalDayStart(day) + 12 * 3600;
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
    // A second after the recall reached a level it is below it.
    const auto below = [&](double level) { return cFsrs::DueAt(s, level) + 1; };
    const std::int64_t usual = std::max(now, below(retention));
    if (!AimsAtExam(now))
        return usual;
    const std::int64_t afterExam = std::max(examTime, usual);
    if (cFsrs::RecallAt(s, examTime) >= retention)
        return afterExam;
    // Each rule's first moment, from the next morning on when the task was answered today.
    const cBounds& b = Bounds(now);
    const std::int64_t from = LocalDay(s.last) == b.today ? b.tomorrow : now;
    const std::int64_t sweep = std::max(from, b.sweep);
    std::int64_t due = std::min(sweep, std::max(from, below(kExamWayRecall)));
    if (s.stability < kFreshStability)
        due = std::min(due, std::max(from, below(kFreshRecall)));
    const std::int64_t stretch = std::max(from, b.stretch);
    if (stretch < due) {
        due = std::min(due, std::max(stretch, below(kStretchRecall)));
        // The margin rule holds from some moment on: find it by halving.
        if (IsDue(s, stretch)) {
            due = stretch;
        } else if (IsDue(s, due - 1)) {
            std::int64_t low = stretch, high = due - 1; // due at high, not at low
            while (high - low > 60) {
                const std::int64_t mid = low + (high - low) / 2;
                (IsDue(s, mid) ? high : low) = mid;
            }
            due = high;
        }
    }
    return due < examTime ? due : afterExam;
}
