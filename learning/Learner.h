#pragma once
// The learning side of one open training file: it finds the file and its tasks in the
// answer history, keeps every task's memory state, records the answers the query reports,
// picks the plan's next task and computes the exam readiness. The training file itself is
// never changed. Without a usable history everything works in memory for the session.

#include "learning/Answer.h"
#include "learning/Fsrs.h"
#include "learning/History.h"
#include "learning/Plan.h"
#include "learning/Readiness.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class cDocument;
class cTask;
struct cSettings;

struct cLearnerOptions {
    bool plan = false;      // "Nach Lernplan üben"
    int newPerDay = 20;     // new tasks per day in the plan
    double retention = 0.9; // desired probability of recall
};

/// Due and new tasks of a questionnaire.
struct cPlanCounts {
    int due = 0;
    int fresh = 0;
    bool operator==(const cPlanCounts&) const = default;
};

/// Readiness of one exam questionnaire.
struct cExamReadiness {
    int questionnaire = -1;
    cReadiness now;
    cReadiness onExamDay; // equal to now without an exam date
};

/// The fingerprint of a task (number and hashes of question and solution).
[[nodiscard]] cTaskKey TaskKeyOf(const cTask& task);

/// The history of this program run, opened at HistoryFilePath() on first use (a failure
/// is reported once; the history then stays closed and the learner works in memory).
[[nodiscard]] cHistory& SharedHistory();
/// Closes the shared history; the next SharedHistory() opens it again (tests).
void CloseSharedHistory();

/// Shows the history's failure as one German message, once per program run.
void ReportHistoryFailure(HistoryFailure failure);
/// Whether the failure message was shown in this program run (tests).
[[nodiscard]] bool HistoryFailureReported();
/// Lets the next failure be reported again (tests).
void ResetHistoryFailureReport();

class cLearner : public cAnswerObserver {
public:
    /// history may be nullptr (no history: memory states for this session only).
    cLearner(cDocument& doc, cHistory* history, cLearnerOptions options = {});
    ~cLearner() override;
    cLearner(const cLearner&) = delete;
    cLearner& operator=(const cLearner&) = delete;

    /// The file closes: lands what is queued and shows the one message when that failed
    /// (the destructor lands it too, but shows nothing).
    void Finish();

    /// Clock in seconds since 1970 (default: the system clock).
    void SetClock(std::function<std::int64_t()> clock) { m_clock = std::move(clock); }
    /// Called after each answer was taken into the memory model (and stored when the
    /// history works), with the time it was given: lets windows that show the history follow.
    void SetAnswerHook(std::function<void(const cAnswerEvent&, std::int64_t)> hook)
    {
        m_answerHook = std::move(hook);
    }
    void SetOptions(const cLearnerOptions& options) { m_options = options; }
    /// Takes the plan's switch and new tasks per day from these program settings each
    /// time they are needed, so a change in "Einstellungen" applies at once.
    void FollowSettings(const cSettings* settings) { m_pSettings = settings; }
    [[nodiscard]] cLearnerOptions Options() const;

    /// Finds the file and its tasks in the history; call after the document was read.
    void Bind();

    // cAnswerObserver
    void OnAnswer(const cAnswerEvent& event) override;
    void OnStatisticsReset() override;
    [[nodiscard]] bool PlanActive() const override { return Options().plan; }
    /// "fällig N, neu M" while the plan is on.
    [[nodiscard]] std::string OverviewNote(int questionnaire) override;
    [[nodiscard]] int NextPlannedTask(const std::vector<std::uint32_t>& tasks) override;
    /// Shows PlanDoneText as a message.
    void OnPlanDone(const std::vector<std::uint32_t>& tasks) override;
    /// "Für heute fertig: keine fälligen Aufgaben mehr." and the next due time (UTF-8).
    [[nodiscard]] std::string PlanDoneText(const std::vector<std::uint32_t>& tasks);

    /// The memory state of task index i (a new state when never answered).
    [[nodiscard]] cMemoryState StateOf(int taskIndex);
    /// Whether a state is due at time now under the plan's rule.
    [[nodiscard]] bool IsDue(const cMemoryState& s, std::int64_t now) const;
    /// Due and new tasks of questionnaire k.
    [[nodiscard]] cPlanCounts Counts(int questionnaire);
    /// Earliest time a task of these becomes due (0: none will).
    [[nodiscard]] std::int64_t NextDueTime(const std::vector<std::uint32_t>& tasks);
    /// New tasks first answered today.
    [[nodiscard]] int NewToday();
    /// New tasks allowed today: "Neue Aufgaben pro Tag", or more when an exam date needs
    /// them to reach every task in time.
    [[nodiscard]] int NewAllowance();
    /// The plan's rules with the options and the exam date as last read.
    [[nodiscard]] cPlanRule PlanRule() const;
    /// Share of first answers that were right or partly right (0 without any).
    [[nodiscard]] double NewRecallRate() const;
    /// Readiness of every exam questionnaire at time now (and on the exam day).
    [[nodiscard]] std::vector<cExamReadiness> Readiness();
    /// Mean pass probability over the exam questionnaires (-1 without one).
    [[nodiscard]] static double FileReadiness(const std::vector<cExamReadiness>& r, bool examDay);
    /// Readiness of questionnaire k with every task's recall taken at time at.
    [[nodiscard]] cReadiness ReadinessAt(int questionnaire, std::int64_t at);
    /// Due tasks per local day from today on, days entries (overdue ones count today).
    [[nodiscard]] std::vector<int> DueForecast(int days);

    /// The exam date (local days since 1970), -1 for none.
    [[nodiscard]] std::int64_t ExamDay();
    /// Sets (or with -1 clears) the exam date; false when the history cannot store it.
    bool SetExamDay(std::int64_t day);

    [[nodiscard]] std::int64_t Now() const;
    [[nodiscard]] std::int64_t FileId() const { return m_fileId; }
    [[nodiscard]] cHistory* History() const { return m_history; }

private:
    void FollowFittedWeights();
    void Rematch();
    int EntryOf(int taskIndex);
    bool EnsureFile();
    void CheckFailure();
    std::string CurrentPath() const;

    cDocument& m_doc;
    cHistory* m_history;
    cLearnerOptions m_options;
    const cSettings* m_pSettings = nullptr;
    cFsrs m_fsrs;
    std::function<std::int64_t()> m_clock;
    std::function<void(const cAnswerEvent&, std::int64_t)> m_answerHook;
    std::int64_t m_fileId = 0;
    std::string m_strBoundPath;
    std::int64_t m_examDay = -1; // kept for a session without history
    bool m_bExamDayUnsaved = false; // set here but not stored: the history must not undo it
    std::vector<cStoredTask> m_entries;
    std::vector<int> m_entryOfTask; // task index -> entry, -1 none
    std::vector<cTaskKey> m_keys;   // task index -> fingerprint at the last match
};
