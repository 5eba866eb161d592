#pragma once
// One entry of the answer history and how it grades the memory. The query reports every
// counted answer, every rated exam answer and every statistics reset through
// cAnswerObserver; the learning plan picks the next task through the same interface.

#include "learning/Fsrs.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

/// What an entry of the history records.
enum class AnswerKind : int { Practice = 0, Exam = 1, Reset = 2 };

/// How well an answer went: wrong, accepted with a tolerance or partly right, right.
enum AnswerGrade : int { GradeWrong = 0, GradePartly = 1, GradeRight = 2 };

/// The model's rating of a grade: wrong -> Again, partly -> Hard, right -> Good.
[[nodiscard]] inline Rating RatingOfGrade(int grade)
{
    return grade <= GradeWrong ? Rating::Again : grade == GradePartly ? Rating::Hard : Rating::Good;
}

/// The answers of one task in time order: time (seconds since 1970) and grade.
using cTaskAnswers = std::vector<std::pair<std::int64_t, int>>;

/// The memory state after a task's answers, from a new one.
[[nodiscard]] inline cMemoryState Replay(const cFsrs& fsrs, const cTaskAnswers& answers)
{
    cMemoryState s;
    for (const auto& [at, grade] : answers)
        s = fsrs.Review(s, RatingOfGrade(grade), at);
    return s;
}

/// The grade of points out of maxPoints (self-assessment and exam rating).
[[nodiscard]] inline int GradeOfPoints(int points, int maxPoints)
{
    if (points <= 0 && maxPoints > 0)
        return GradeWrong;
    return points >= maxPoints ? GradeRight : GradePartly;
}

/// One answer as the query reports it.
struct cAnswerEvent {
    int taskIndex = -1;     // into cTrainingData::m_aTasks
    int grade = GradeWrong; // AnswerGrade
    int points = 0;         // points awarded (verdicts: the task's points or 0)
    int maxPoints = 0;      // the task's points
    int ms = 0;             // time from showing the task to the answer
    AnswerKind kind = AnswerKind::Practice;
};

/// What the query tells the learning side, and what it asks it.
class cAnswerObserver {
public:
    virtual ~cAnswerObserver() = default;
    /// A counted answer or a rated exam answer.
    virtual void OnAnswer(const cAnswerEvent& event) = 0;
    /// "Statistik zurücksetzen" cleared the file's counters.
    virtual void OnStatisticsReset() = 0;
    /// Whether the plan chooses the tasks (outside the exam).
    [[nodiscard]] virtual bool PlanActive() const { return false; }
    /// The plan's next task among these task indices, -1 when nothing is left for today.
    [[nodiscard]] virtual int NextPlannedTask(const std::vector<std::uint32_t>& tasks)
    {
        (void)tasks;
        return -1;
    }
    /// What the overview adds to questionnaire k's title ("" for nothing; UTF-8).
    [[nodiscard]] virtual std::string OverviewNote(int questionnaire)
    {
        (void)questionnaire;
        return std::string();
    }
    /// The plan has nothing left for today among these task indices: say so.
    virtual void OnPlanDone(const std::vector<std::uint32_t>& tasks) { (void)tasks; }
};
