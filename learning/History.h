#pragma once
// The answer history: one SQLite database under $XDG_DATA_HOME/Quorvant/ that every
// program of the user shares (write-ahead log and a busy time-out, so two programs
// practising at once both land every answer). It keeps, per training file, its tasks
// with their memory state and every answer given. It never touches the training file,
// and a database that cannot be used only switches the history off (see Failure()).

#include "learning/Answer.h"
#include "learning/Fit.h"
#include "learning/Fsrs.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

struct sqlite3;

/// Why the history is not available.
enum class HistoryFailure : int { None = 0, Folder, Locked, ReadOnly, Damaged, Full, Other };

/// The German sentence that names a failure.
[[nodiscard]] std::string HistoryFailureText(HistoryFailure failure);

/// File name of the history database.
inline constexpr const char* kHistoryFileName = "verlauf.sqlite";

/// $XDG_DATA_HOME/Quorvant/verlauf.sqlite (by default ~/.local/share/Quorvant/...).
[[nodiscard]] std::string HistoryFilePath();

/// The fingerprint of a task that finds it again in the history.
struct cTaskKey {
    std::string number;         // task number (Windows-1252)
    std::uint64_t question = 0; // hash of the question text
    std::uint64_t solution = 0; // hash of the solution text
    bool operator==(const cTaskKey&) const = default;
};

/// One stored task of a file.
struct cStoredTask {
    std::int64_t id = 0;
    cTaskKey key;
    cMemoryState state;
    std::int64_t firstAt = 0; // time of the first answer, 0 never answered
    int firstGrade = -1;      // grade of the first answer
};

/// One stored answer.
struct cStoredAnswer {
    std::int64_t task = 0;  // 0 for a statistics reset
    std::int64_t at = 0;    // seconds since 1970, UTC
    AnswerKind kind = AnswerKind::Practice;
    int grade = 0;
    int points = 0;
    int maxPoints = 0;
    int ms = 0;
};

/// Counted answers of one file in one time slot, by grade.
struct cAnswerSlot {
    std::int64_t slot = 0; // start time / kSlotSeconds
    int right = 0;
    int partly = 0;
    int wrong = 0;
};

/// Width of a slot: a quarter of an hour divides every time zone's offset, so the slots
/// add up to local days in any zone.
inline constexpr std::int64_t kSlotSeconds = 900;

class cHistory {
public:
    cHistory() = default;
    cHistory(const cHistory&) = delete;
    cHistory& operator=(const cHistory&) = delete;
    ~cHistory();

    /// Opens (creating when missing) the database at path; false after a failure.
    bool Open(const std::string& path);
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_db != nullptr; }
    /// The first failure since Open (None while everything worked); the writer thread
    /// may set it at any time.
    [[nodiscard]] HistoryFailure Failure() const { return m_failure.load(); }

    /// The file stored under this path, 0 for none.
    [[nodiscard]] std::int64_t FindFile(const std::string& path);
    /// Every stored file: id and path.
    [[nodiscard]] std::vector<std::pair<std::int64_t, std::string>> Files();
    /// Adds a file; its id, 0 after a failure.
    std::int64_t AddFile(const std::string& path);
    /// Moves a stored file to a new path.
    bool SetFilePath(std::int64_t file, const std::string& path);
    /// The exam date of a file (days since 1970), -1 for none.
    [[nodiscard]] std::int64_t ExamDay(std::int64_t file);
    bool SetExamDay(std::int64_t file, std::int64_t day);

    /// Every stored task of a file.
    [[nodiscard]] std::vector<cStoredTask> Tasks(std::int64_t file);
    /// Adds a task; its id, 0 after a failure.
    std::int64_t AddTask(std::int64_t file, const cTaskKey& key);
    /// Writes a task's key (after an edit) and state.
    bool UpdateTask(const cStoredTask& task);
    /// Appends an answer and writes the task's new state, both or neither.
    bool Append(std::int64_t file, const cStoredAnswer& answer, const cStoredTask* task);
    /// The same without waiting: the answer is queued for the writer thread, which stores
    /// whatever has queued up in one transaction. A task without a row yet carries an id
    /// from ProvisionalTaskId(); the writer adds its row first. Reading the answers or
    /// tasks, any other write and Close() wait for the queue.
    void AppendLater(std::int64_t file, const cStoredAnswer& answer, const cStoredTask* task);
    /// A provisional (negative) id for a task that AppendLater adds.
    [[nodiscard]] std::int64_t ProvisionalTaskId() { return --m_lastProvisional; }
    /// Waits until every queued answer is stored (or dropped after a failure).
    void Flush();

    /// The answers of a file in the order given, optionally only up to time until.
    [[nodiscard]] std::vector<cStoredAnswer> Answers(std::int64_t file,
                                                     std::int64_t until = INT64_MAX);
    /// The answers of these tasks (statistics resets left out), task by task in the
    /// order given, each task's in the order stored.
    [[nodiscard]] std::vector<cStoredAnswer> TaskAnswers(const std::vector<std::int64_t>& tasks);
    /// Counted answers of a file per slot from time from on, in time order. The sums are
    /// kept in the database and brought up to date here with the answers stored since.
    [[nodiscard]] std::vector<cAnswerSlot> AnswerSlots(std::int64_t file, std::int64_t from);
    /// Counted answers per local day from day first on (days since 1970), days entries.
    [[nodiscard]] std::vector<int> AnswersPerDay(std::int64_t file, std::int64_t first, int days);

    /// The model's weights in use: fitted to this learner's answers, or the defaults.
    [[nodiscard]] const cFsrsWeights& Weights() const { return m_weights; }
    /// Reads the weights again and uses them: another program may have fitted them since
    /// this one opened the history.
    const cFsrsWeights& ReadWeights();
    /// Uses these weights from now on (the defaults: forgets fitted ones) and computes
    /// every stored task state again with them; false when that could not be stored.
    bool SetWeights(const cFsrsWeights& weights);
    /// The answers of every task of every file, each task's in time order.
    [[nodiscard]] std::vector<cTaskAnswers> AllTaskAnswers();

private:
    // Computes the stored task states again when they follow an older memory model.
    void UpgradeStates();
    bool RecomputeStates(const cFsrs& fsrs);
    // Hands every task's answers in time order to take, one task at a time; stops when
    // take says false. False when that happened or the answers could not be read.
    bool EachTaskAnswers(const std::function<bool(std::int64_t, const cTaskAnswers&)>& take);
    // One queued answer with the task's new state and the weights it was computed with.
    struct cPending {
        std::int64_t file = 0;
        cStoredAnswer answer;
        bool hasTask = false;
        cStoredTask task;
        cFsrsWeights weights = kFsrsDefaultWeights;
    };

    bool Exec(const char* sql);
    void Fail(int code);
    void Fail(sqlite3* db);
    void WriterLoop();
    bool WriteBatch(const std::vector<cPending>& batch);
    std::int64_t RealTaskId(std::int64_t id);
    void StopWriter();
    bool SumSlots(sqlite3* db);

    sqlite3* m_db = nullptr;
    cFsrsWeights m_weights = kFsrsDefaultWeights;
    std::string m_strPath;
    std::atomic<HistoryFailure> m_failure{HistoryFailure::None};
    std::int64_t m_lastProvisional = 0;

    // The writer thread and its queue; m_mutex guards the queue, m_writing and the map of
    // provisional task ids.
    std::thread m_writer;
    std::mutex m_mutex;
    std::condition_variable m_wake; // something queued, or stop
    std::condition_variable m_idle; // queue empty and nothing being written
    std::deque<cPending> m_queue;
    bool m_writing = false;
    bool m_stop = false;
    std::unordered_map<std::int64_t, std::int64_t> m_realIds; // provisional -> row id
    sqlite3* m_writerDb = nullptr; // the writer thread's own connection
};

/// Local day number (days since 1970 in the local time zone) of a time in seconds.
[[nodiscard]] std::int64_t LocalDay(std::int64_t at);
/// The time (seconds) at which a local day begins.
[[nodiscard]] std::int64_t LocalDayStart(std::int64_t day);
