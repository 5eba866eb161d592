#pragma once
// The learning plan's rules, shared by the learner (window and terminal) and the simulated
// learners of the benchmark: when a task that was answered before is due, and how many new
// tasks a day brings. Without an exam date a task is due when its recall falls below the
// desired retention. With one, the plan aims at that retention on the exam day: it lets
// recall sink further in between (reviews at lower recall strengthen the memory more) and
// asks each task once more when one right answer will carry it to the exam with a margin.

#include "learning/Fsrs.h"

#include <cstdint>

class cPlanRule {
public:
    double retention = 0.9;    // desired recall: now, or on the exam day when there is one
    std::int64_t examTime = 0; // when the exam is taken (seconds since 1970), 0 for none

    /// Recall below which a task is asked again on the way to the exam.
    static constexpr double kExamWayRecall = 0.65;
    /// A right answer must keep the task above the retention for this many times the days
    /// left to the exam: a margin for a memory that differs from the model's defaults.
    static constexpr double kExamMargin = 1.5;
    /// Share of the days left that stays free of new tasks before the exam.
    static constexpr double kExamReserve = 0.15;

    /// Whether task state s (not new) is due at time now.
    [[nodiscard]] bool IsDue(const cMemoryState& s, std::int64_t now) const;
    /// The earliest time from now on at which state s is due without another answer (now
    /// when it is due); 0 for a new task.
    [[nodiscard]] std::int64_t DueAt(const cMemoryState& s, std::int64_t now) const;
    /// New tasks for a day: the setting without an exam date; with one, enough to reach
    /// newLeft (new tasks at the start of the day) in time, daysLeft counting today but not
    /// the exam day.
    [[nodiscard]] int NewPerDay(int setting, int newLeft, std::int64_t daysLeft) const;
    /// Whether the plan works towards an exam at time now.
    [[nodiscard]] bool AimsAtExam(std::int64_t now) const { return examTime > now; }

private:
    cFsrs m_fsrs;
};
