#pragma once
// The numbers behind the progress charts, computed from a file's answer history in one
// pass over its answers: answers per day, the due forecast, the exam readiness as it stood
// at the end of each past day (and projected to the exam date), and the tasks of each
// questionnaire by state. A new answer updates them in place, without another pass.

#include "learning/Answer.h"
#include "learning/Fsrs.h"
#include "learning/History.h"
#include "learning/Plan.h"

#include <cstdint>
#include <string>
#include <vector>

class cTrainingData;

/// Counted answers of one day by grade, and the tasks answered for the first time.
struct cDayAnswers {
    int right = 0;
    int partly = 0; // accepted with a tolerance or partly right
    int wrong = 0;
    int fresh = 0;  // new tasks
    [[nodiscard]] int Total() const { return right + partly + wrong; }
    bool operator==(const cDayAnswers&) const = default;
};

/// The pass probability of one exam questionnaire over time.
struct cReadinessCurve {
    int questionnaire = -1;
    std::vector<double> past;      // one per day of the window, the last one is today (now)
    std::vector<double> projected; // days after today up to the exam date, without practice
};

/// Tasks of a questionnaire by state today.
struct cStateCounts {
    int questionnaire = -1;
    int fresh = 0;    // never answered
    int learning = 0; // answered, recall below kKnownRecall now
    int known = 0;    // recall at least kKnownRecall now
    bool operator==(const cStateCounts&) const = default;
};

/// The history's id of the training file at path (made absolute as the learner does), 0
/// when the history does not know it.
[[nodiscard]] std::int64_t HistoryFileOf(cHistory& history, const std::string& path);

class cProgress {
public:
    static constexpr int kDays = 90;          // answers and readiness: this many days up to today
    static constexpr int kForecastDays = 30;  // due forecast: today and the days after
    static constexpr int kMaxProjection = 366;
    static constexpr double kKnownRecall = 0.9;

    /// data must outlive this object; retention decides when a task falls due.
    explicit cProgress(const cTrainingData& data, double retention = 0.9);

    /// Reads the file's tasks, its answers per slot and the exam tasks' answers from the
    /// history and computes every series at time now; examDay is a local day number or -1.
    void Load(cHistory& history, std::int64_t file, std::int64_t now, std::int64_t examDay);
    /// Adds one new answer to task index taskIndex at time at (not before the last one).
    /// A new local day starts the window again from the stored history: false then, and
    /// the caller loads again.
    bool AddAnswer(int taskIndex, int grade, std::int64_t at);

    /// Local day number of the first day of the window (the last one is today).
    [[nodiscard]] std::int64_t FirstDay() const { return m_first; }
    [[nodiscard]] std::int64_t Today() const { return m_first + kDays - 1; }
    [[nodiscard]] std::int64_t ExamDayNumber() const { return m_examDay; }
    [[nodiscard]] const std::vector<cDayAnswers>& PerDay() const { return m_perDay; }
    /// Tasks due per day from today on (overdue ones count today), kForecastDays entries.
    [[nodiscard]] std::vector<int> Forecast() const;
    [[nodiscard]] const std::vector<cReadinessCurve>& Curves() const { return m_curves; }
    [[nodiscard]] const std::vector<cStateCounts>& States() const { return m_states; }

    /// Text summaries for screen readers (UTF-8).
    [[nodiscard]] std::string AnswersSummary(int lastDays) const;
    [[nodiscard]] std::string ForecastSummary() const;
    [[nodiscard]] std::string ReadinessSummary() const;
    [[nodiscard]] std::string StatesSummary() const;

private:
    int DayIndex(std::int64_t at) const; // relative to m_first, -1 before the window
    int DueIndex(const cMemoryState& s) const;
    void AddDue(const cMemoryState& s, int delta);
    double NewRate() const;
    double Pass(int questionnaire, std::int64_t at, const std::vector<cMemoryState>& states,
                double newRate) const;
    int StateOf(int taskIndex, std::int64_t now) const; // 0 new, 1 learning, 2 known
    void Replay(const std::vector<cStoredAnswer>& answers,
                const std::vector<std::pair<std::int64_t, int>>& examTasks,
                const std::vector<int>& firsts, const std::vector<int>& recalled,
                int firstsBefore, int recalledBefore);
    void Project();

    const cTrainingData& m_data;
    double m_retention;
    cFsrs m_fsrs;
    cPlanRule m_rule; // when a task falls due: towards the exam date by the plan's rules
    std::int64_t m_now = 0;
    std::int64_t m_first = 0;
    std::int64_t m_examDay = -1;
    std::vector<std::int64_t> m_bounds; // start of day m_first + i
    std::vector<cDayAnswers> m_perDay;
    std::vector<cMemoryState> m_state;  // per task index: the memory now, as stored
    // Questionnaires of each task index: those of task i are m_inQuestionnaire[
    // m_inFrom[i] .. m_inFrom[i + 1]) (one flat array, not a list per task).
    std::vector<int> m_inFrom;
    std::vector<int> m_inQuestionnaire;
    std::vector<bool> m_answeredTask; // per task index: answered before
    int m_firstAnswers = 0;  // tasks answered at least once
    int m_firstRecalled = 0; // of them, first answered right or partly right
    std::vector<int> m_dueCount; // [0] today or overdue, [d] d days after today
    std::vector<cReadinessCurve> m_curves;
    std::vector<cStateCounts> m_states;
};
