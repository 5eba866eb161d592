#pragma once
// The learning plan's rules, shared by the learner (window and terminal) and the simulated
// learners of the benchmark: when a task that was answered before is due, and how many new
// tasks a day brings. Without an exam date a task is due when its recall falls below the
// desired retention. With one, the plan aims at that retention on the exam day and spends
// few answers on the way: a task just learned or just forgotten is asked again the next
// day or so, otherwise its recall may sink to 40 % (a review at low recall strengthens the
// memory most) until the last weeks, when each task is asked once more at a recall where one
// right answer carries it to the exam, early enough to catch a wrong one.

#include "learning/Fsrs.h"

#include <cstdint>

class cPlanRule {
public:
    double retention = 0.9;    // desired recall: now, or on the exam day when there is one
    std::int64_t examTime = 0; // when the exam is taken (seconds since 1970), 0 for none

    /// A memory weaker than this many days (a task just learned or forgotten) is asked
    /// again once its recall falls below kFreshRecall.
    static constexpr double kFreshStability = 0.5;
    static constexpr double kFreshRecall = 0.75;
    /// Recall below which any task is asked again on the way to the exam.
    static constexpr double kExamWayRecall = 0.4;
    /// The last days before the exam in which every task below the retention is asked
    /// once more, and the last two weeks and a half in which each task gets its final
    /// answer: when its recall fell below kStretchRecall or when one right answer keeps it
    /// above the retention for kExamMargin times the time left (a margin for a memory that
    /// differs from the model's defaults).
    static constexpr int kExamSweepDays = 2;
    static constexpr int kExamStretchDays = 17;
    static constexpr double kStretchRecall = 0.45;
    static constexpr double kExamMargin = 2.5;
    /// Share of the days left that stays free of new tasks before the exam: new tasks
    /// come in the first half, so that each can be consolidated before the last weeks.
    static constexpr double kExamReserve = 0.5;

    /// Whether task state s (not new) is due at time now.
    [[nodiscard]] bool IsDue(const cMemoryState& s, std::int64_t now) const;
    /// The earliest time from now on at which state s is due without another answer (now
    /// when it is due); 0 for a new task.
    [[nodiscard]] std::int64_t DueAt(const cMemoryState& s, std::int64_t now) const;
    /// New tasks for a day: the setting without an exam date; with one, enough to reach
    /// newLeft (new tasks at the start of the day) in time, daysLeft counting today but not
    /// the exam day.
    [[nodiscard]] int NewPerDay(int setting, int newLeft, std::int64_t daysLeft) const;
    /// The model's weights the rules predict with (the defaults unless fitted).
    void UseWeights(const cFsrsWeights& weights) { m_fsrs = cFsrs(weights); }
    /// Whether the plan works towards an exam at time now.
    [[nodiscard]] bool AimsAtExam(std::int64_t now) const { return examTime > now; }

private:
    // Day bounds that depend only on the exam time and on now, kept for the many tasks
    // whose due time one screen asks for: a day's start goes through mktime, which reads
    // the time zone again each time. Not shared between threads.
    struct cBounds {
        std::int64_t exam = -1, now = -1;
        std::int64_t examDay = 0, sweep = 0, stretch = 0, today = 0, tomorrow = 0;
    };
    const cBounds& Bounds(std::int64_t now) const;

    cFsrs m_fsrs;
    mutable cBounds m_bounds;
};

/// Local midday of a local day number: the time an exam on that day is taken at.
[[nodiscard]] std::int64_t ExamTime(std::int64_t day);
