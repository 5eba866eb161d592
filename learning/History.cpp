#include "learning/History.h"
#include "learning/HistoryStatement.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <locale>
#include <sstream>
#include <system_error>
#include <unordered_map>

using namespace history_detail;

namespace {

// The tables. Answers are a plain rowid table written in time order, so pages fill up
// completely; the state of every task is kept beside it, so opening a file reads one row
// per task instead of replaying every answer.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS file(id INTEGER PRIMARY KEY, path BLOB NOT NULL, "
    "exam_day INTEGER);"
    "CREATE INDEX IF NOT EXISTS file_path ON file(path);"
    "CREATE TABLE IF NOT EXISTS task(id INTEGER PRIMARY KEY, file INTEGER NOT NULL, "
    "number BLOB, qh INTEGER, sh INTEGER, s REAL, d REAL, last INTEGER, reps INTEGER, "
    "lapses INTEGER, first_at INTEGER, first_grade INTEGER);"
    "CREATE INDEX IF NOT EXISTS task_file ON task(file);"
    "CREATE TABLE IF NOT EXISTS answer(file INTEGER, task INTEGER, at INTEGER, kind INTEGER, "
    "grade INTEGER, points INTEGER, max INTEGER, ms INTEGER);"
    // The charts replay only the exam tasks, so they find a task's answers by its id.
    "CREATE INDEX IF NOT EXISTS answer_task ON answer(task);"
    // Counted answers per file and quarter of an hour, summed up to answer row 'last'; the
    // rows after it are added by whoever next writes or reads the sums, so answers from
    // any writer are counted exactly once.
    "CREATE TABLE IF NOT EXISTS answer_slot(file INTEGER, slot INTEGER, n_right INTEGER, "
    "n_partly INTEGER, n_wrong INTEGER, PRIMARY KEY(file, slot)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS slot_mark(id INTEGER PRIMARY KEY, last INTEGER);"
    // The model's weights fitted to this learner's answers, when they predict better.
    "CREATE TABLE IF NOT EXISTS model(id INTEGER PRIMARY KEY CHECK(id = 1), weights TEXT NOT NULL);";

// The memory model the stored task states follow. 1: an answer on the same calendar day
// (not merely within 24 hours) changes the memory by the short-term rule, and a lapse is
// bounded by S / e^(w17 w18). States stored by an older version are computed again.
constexpr std::int64_t kModelVersion = 1;

// The answer rows of a statement that selects task, at, kind, grade, points, max, ms.
void ReadAnswers(cStatement& st, std::vector<cStoredAnswer>& answers)
{
    while (st.Step() == SQLITE_ROW) {
        cStoredAnswer& a = answers.emplace_back();
        a.task = st.Int(0);
        a.at = SaneTime(st.Int(1));
        a.kind = static_cast<AnswerKind>(st.Int(2));
        a.grade = static_cast<int>(st.Int(3));
        a.points = static_cast<int>(st.Int(4));
        a.maxPoints = static_cast<int>(st.Int(5));
        a.ms = static_cast<int>(st.Int(6));
    }
}

} // namespace

std::string HistoryFailureText(HistoryFailure failure)
{
    switch (failure) {
    case HistoryFailure::None: return "";
    case HistoryFailure::Folder: return "Der Ordner des Lernverlaufs kann nicht angelegt werden.";
    case HistoryFailure::Locked:
        return "Die Datenbank des Lernverlaufs ist von einem anderen Programm gesperrt.";
    case HistoryFailure::ReadOnly: return "Die Datenbank des Lernverlaufs ist schreibgeschützt.";
    case HistoryFailure::Damaged: return "Die Datenbank des Lernverlaufs ist beschädigt.";
    case HistoryFailure::Full: return "Der Datenträger des Lernverlaufs ist voll.";
    case HistoryFailure::Other: return "Die Datenbank des Lernverlaufs kann nicht benutzt werden.";
    }
    return "";
}

std::string HistoryFilePath()
{
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string dir = data ? data : "";
    if (dir.empty() || dir.front() != '/') {
        const char* home = std::getenv("HOME");
        dir = std::string(home ? home : "") + "/.local/share";
    }
    return dir + "/Quorvant/" + kHistoryFileName;
}

std::int64_t LocalDay(std::int64_t at)
{
    const std::time_t t = static_cast<std::time_t>(at);
    std::tm local{};
    localtime_r(&t, &local);
    return (at + local.tm_gmtoff) / 86400 - ((at + local.tm_gmtoff) % 86400 < 0 ? 1 : 0);
}

std::int64_t LocalDayStart(std::int64_t day)
{
    std::tm local{};
    const std::time_t noon = static_cast<std::time_t>(day * 86400 + 43200);
    gmtime_r(&noon, &local);
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

cHistory::~cHistory()
{
    Close();
}

void cHistory::Fail(int code)
{
    HistoryFailure failure = HistoryFailure::Other;
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: failure = HistoryFailure::Locked; break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: failure = HistoryFailure::ReadOnly; break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: failure = HistoryFailure::Damaged; break;
    case SQLITE_FULL: failure = HistoryFailure::Full; break;
    case SQLITE_CANTOPEN: failure = HistoryFailure::ReadOnly; break;
    default: break;
    }
    // The first failure stays, whichever thread saw it.
    HistoryFailure none = HistoryFailure::None;
    (void)m_failure.compare_exchange_strong(none, failure);
}

void cHistory::Fail(sqlite3* db)
{
    Fail(sqlite3_extended_errcode(db));
}

bool cHistory::Exec(const char* sql)
{
    if (!m_db)
        return false;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        Fail(sqlite3_extended_errcode(m_db));
        return false;
    }
    return true;
}

bool cHistory::Open(const std::string& path)
{
    Close();
    m_failure = HistoryFailure::None;
    m_strPath = path;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error) {
        m_failure = HistoryFailure::Folder;
        return false;
    }
    // A file without any write bit is read-only, even for a user the system lets write.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 &&
        ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)) {
        m_failure = HistoryFailure::ReadOnly;
        return false;
    }
    // Each connection is used by one thread only (this one, the writer its own), so
    // SQLite need not lock a mutex around every call.
    const int rc = sqlite3_open_v2(path.c_str(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    if (rc != SQLITE_OK) {
        Fail(m_db ? sqlite3_extended_errcode(m_db) : rc);
        Close();
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // The log makes readers and a writer independent; NORMAL syncs at checkpoints only,
    // which loses no committed answer on a program crash.
    if (!Exec("PRAGMA journal_mode=WAL;") || !Exec("PRAGMA synchronous=NORMAL;") ||
        !Exec(kSchema)) {
        Close();
        return false;
    }
    m_weights = kFsrsDefaultWeights;
    ReadWeights();
    UpgradeStates();
    return true;
}

bool history_detail::StoredWeights(sqlite3* db, cFsrsWeights& w)
{
    cStatement st(db, "SELECT weights FROM model WHERE id=1");
    const int rc = st ? st.Step() : SQLITE_ERROR;
    w = kFsrsDefaultWeights; // none fitted, or forgotten since
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE;
    std::istringstream text(st.Blob(0));
    text.imbue(std::locale::classic()); // written with a decimal point whatever the locale
    cFsrsWeights stored{};
    for (double& x : stored)
        if (!(text >> x) || !std::isfinite(x))
            return true; // not what this version writes: the defaults
    w = SaneWeights(stored);
    return true;
}

const cFsrsWeights& cHistory::ReadWeights()
{
    // Unreadable just now: the weights in use stay.
    if (cFsrsWeights w; StoredWeights(m_db, w))
        m_weights = w;
    return m_weights;
}

bool cHistory::SetWeights(const cFsrsWeights& weights)
{
    Flush();
    if (!m_db || !Exec("BEGIN IMMEDIATE"))
        return false;
    bool ok = false;
    if (weights == kFsrsDefaultWeights) {
        ok = Exec("DELETE FROM model");
    } else {
        std::ostringstream text;
        text.imbue(std::locale::classic());
        text.precision(17);
        for (const double x : weights)
            text << x << ' ';
        cStatement st(m_db, "INSERT OR REPLACE INTO model(id, weights) VALUES(1, ?1)");
        ok = st && st.Bind(1, text.str()).Step() == SQLITE_DONE;
    }
    // Every stored state follows the weights in use.
    ok = ok && RecomputeStates(cFsrs(weights));
    if (ok && Exec("COMMIT")) {
        m_weights = weights;
        return true;
    }
    Fail(m_db);
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

std::vector<cTaskAnswers> cHistory::AllTaskAnswers()
{
    Flush();
    std::vector<cTaskAnswers> tasks;
    (void)EachTaskAnswers([&tasks](std::int64_t, const cTaskAnswers& answers) {
        tasks.push_back(answers);
        return true;
    });
    return tasks;
}

bool cHistory::EachTaskAnswers(const std::function<bool(std::int64_t, const cTaskAnswers&)>& take)
{
    cStatement st(m_db, "SELECT task, at, grade FROM answer WHERE task != 0 ORDER BY task, at, rowid");
    if (!st)
        return false;
    std::int64_t task = 0;
    cTaskAnswers answers;
    int rc = SQLITE_DONE;
    while ((rc = st.Step()) == SQLITE_ROW) {
        if (st.Int(0) != task) {
            if (task != 0 && !take(task, answers))
                return false;
            task = st.Int(0);
            answers.clear();
        }
        answers.emplace_back(SaneTime(st.Int(1)), static_cast<int>(st.Int(2)));
    }
    return rc == SQLITE_DONE && (task == 0 || take(task, answers));
}

void cHistory::UpgradeStates()
{
    {
        cStatement version(m_db, "PRAGMA user_version");
        if (!version || version.Step() != SQLITE_ROW || version.Int(0) >= kModelVersion)
            return;
    }
    // Busy or read-only: the states stay as they are until a later start can write.
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return;
    const bool ok = RecomputeStates(cFsrs(m_weights)) &&
                    sqlite3_exec(m_db, ("PRAGMA user_version=" + std::to_string(kModelVersion)).c_str(),
                                 nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_exec(m_db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
}

bool cHistory::RecomputeStates(const cFsrs& fsrs)
{
    cStatement write(m_db, "UPDATE task SET s=?2, d=?3, last=?4, reps=?5, lapses=?6 WHERE id=?1");
    return write && EachTaskAnswers([&](std::int64_t task, const cTaskAnswers& answers) {
        const cMemoryState s = Replay(fsrs, answers);
        write.Reset();
        write.Bind(1, task).Bind(2, s.stability).Bind(3, s.difficulty).Bind(4, s.last);
        write.Bind(5, std::int64_t{s.reps}).Bind(6, std::int64_t{s.lapses});
        return write.Step() == SQLITE_DONE;
    });
}

void cHistory::Close()
{
    StopWriter();
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

std::int64_t cHistory::FindFile(const std::string& path)
{
    cStatement st(m_db, "SELECT id FROM file WHERE path=?1 ORDER BY id LIMIT 1");
    if (!st)
        return 0;
    st.Bind(1, path);
    return st.Step() == SQLITE_ROW ? st.Int(0) : 0;
}

std::vector<std::pair<std::int64_t, std::string>> cHistory::Files()
{
    std::vector<std::pair<std::int64_t, std::string>> files;
    cStatement st(m_db, "SELECT id, path FROM file ORDER BY id");
    while (st && st.Step() == SQLITE_ROW)
        files.emplace_back(st.Int(0), st.Blob(1));
    return files;
}

std::int64_t cHistory::AddFile(const std::string& path)
{
    cStatement st(m_db, "INSERT INTO file(path) VALUES(?1)");
    if (!st)
        return 0;
    st.Bind(1, path);
    if (st.Step() != SQLITE_DONE) {
        Fail(sqlite3_extended_errcode(m_db));
        return 0;
    }
    return sqlite3_last_insert_rowid(m_db);
}

bool cHistory::SetFilePath(std::int64_t file, const std::string& path)
{
    Flush();
    cStatement st(m_db, "UPDATE file SET path=?2 WHERE id=?1");
    if (!st)
        return false;
    st.Bind(1, file).Bind(2, path);
    if (st.Step() != SQLITE_DONE) {
        Fail(sqlite3_extended_errcode(m_db));
        return false;
    }
    return true;
}

std::int64_t cHistory::ExamDay(std::int64_t file)
{
    cStatement st(m_db, "SELECT exam_day FROM file WHERE id=?1");
    if (!st)
        return -1;
    st.Bind(1, file);
    if (st.Step() != SQLITE_ROW || st.Null(0))
        return -1;
    const std::int64_t day = st.Int(0);
    return day >= 0 && day <= kLatestTime / 86400 ? day : -1;
}

bool cHistory::SetExamDay(std::int64_t file, std::int64_t day)
{
    Flush(); // the writer thread must not hold the write lock against this connection
    cStatement st(m_db, day < 0 ? "UPDATE file SET exam_day=NULL WHERE id=?1"
                                : "UPDATE file SET exam_day=?2 WHERE id=?1");
    if (!st)
        return false;
    st.Bind(1, file);
    if (day >= 0)
        st.Bind(2, day);
    if (st.Step() != SQLITE_DONE) {
        Fail(sqlite3_extended_errcode(m_db));
        return false;
    }
    return true;
}

std::vector<cStoredTask> cHistory::Tasks(std::int64_t file)
{
    Flush();
    std::vector<cStoredTask> tasks;
    // Sized once: a large file's tasks would otherwise be moved a dozen times.
    if (cStatement count(m_db, "SELECT count(*) FROM task WHERE file=?1");
        count && count.Bind(1, file).Step() == SQLITE_ROW)
        tasks.reserve(static_cast<std::size_t>(count.Int(0)));
    cStatement st(m_db, "SELECT id, number, qh, sh, s, d, last, reps, lapses, first_at, "
                        "first_grade FROM task WHERE file=?1");
    if (!st)
        return tasks;
    st.Bind(1, file);
    int rc;
    while ((rc = st.Step()) == SQLITE_ROW) {
        cStoredTask& t = tasks.emplace_back();
        t.id = st.Int(0);
        t.key.number = st.Blob(1);
        t.key.question = static_cast<std::uint64_t>(st.Int(2));
        t.key.solution = static_cast<std::uint64_t>(st.Int(3));
        t.state.stability = st.Real(4);
        t.state.difficulty = st.Real(5);
        t.state.last = st.Int(6);
        t.state.reps = static_cast<std::int32_t>(st.Int(7));
        t.state.lapses = static_cast<std::int32_t>(st.Int(8));
        t.state = SaneState(t.state); // whatever another program or a damaged page left
        t.firstAt = SaneTime(st.Int(9));
        t.firstGrade = st.Null(10) ? -1 : static_cast<int>(st.Int(10));
    }
    if (rc != SQLITE_DONE)
        Fail(sqlite3_extended_errcode(m_db));
    return tasks;
}

std::int64_t cHistory::AddTask(std::int64_t file, const cTaskKey& key)
{
    Flush();
    cStatement st(m_db, "INSERT INTO task(file, number, qh, sh, s, d, last, reps, lapses, "
                        "first_at) VALUES(?1, ?2, ?3, ?4, 0, 0, 0, 0, 0, 0)");
    if (!st)
        return 0;
    st.Bind(1, file).Bind(2, key.number);
    st.Bind(3, static_cast<std::int64_t>(key.question));
    st.Bind(4, static_cast<std::int64_t>(key.solution));
    if (st.Step() != SQLITE_DONE) {
        Fail(sqlite3_extended_errcode(m_db));
        return 0;
    }
    return sqlite3_last_insert_rowid(m_db);
}

bool cHistory::UpdateTask(const cStoredTask& given)
{
    Flush();
    cStoredTask t = given;
    t.id = RealTaskId(t.id);
    cStatement st(m_db, "UPDATE task SET number=?2, qh=?3, sh=?4, s=?5, d=?6, last=?7, "
                        "reps=?8, lapses=?9, first_at=?10, first_grade=?11 WHERE id=?1");
    if (!st)
        return false;
    st.Bind(1, t.id).Bind(2, t.key.number);
    st.Bind(3, static_cast<std::int64_t>(t.key.question));
    st.Bind(4, static_cast<std::int64_t>(t.key.solution));
    st.Bind(5, t.state.stability).Bind(6, t.state.difficulty).Bind(7, t.state.last);
    st.Bind(8, std::int64_t{t.state.reps}).Bind(9, std::int64_t{t.state.lapses});
    st.Bind(10, t.firstAt).Bind(11, std::int64_t{t.firstGrade});
    if (st.Step() != SQLITE_DONE) {
        Fail(sqlite3_extended_errcode(m_db));
        return false;
    }
    return true;
}

bool cHistory::Append(std::int64_t file, const cStoredAnswer& a, const cStoredTask* task)
{
    Flush();
    if (!m_db || !Exec("BEGIN IMMEDIATE"))
        return false;
    cStatement st(m_db, "INSERT INTO answer(file, task, at, kind, grade, points, max, ms) "
                        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    bool ok = static_cast<bool>(st);
    if (ok) {
        st.Bind(1, file).Bind(2, a.task).Bind(3, a.at);
        st.Bind(4, std::int64_t{static_cast<int>(a.kind)}).Bind(5, std::int64_t{a.grade});
        st.Bind(6, std::int64_t{a.points}).Bind(7, std::int64_t{a.maxPoints});
        st.Bind(8, std::int64_t{a.ms});
        ok = st.Step() == SQLITE_DONE;
        if (!ok)
            Fail(sqlite3_extended_errcode(m_db));
    }
    if (ok && task)
        ok = UpdateTask(*task);
    if (ok)
        ok = SumSlots(m_db);
    if (ok)
        return Exec("COMMIT");
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

std::vector<cStoredAnswer> cHistory::Answers(std::int64_t file, std::int64_t until)
{
    Flush();
    std::vector<cStoredAnswer> answers;
    cStatement st(m_db, "SELECT task, at, kind, grade, points, max, ms FROM answer "
                        "WHERE file=?1 AND at<=?2 ORDER BY rowid");
    if (!st)
        return answers;
    st.Bind(1, file).Bind(2, until);
    ReadAnswers(st, answers);
    return answers;
}

std::vector<int> cHistory::AnswersPerDay(std::int64_t file, std::int64_t first, int days)
{
    Flush();
    std::vector<int> counts(static_cast<std::size_t>(std::max(days, 0)), 0);
    if (days <= 0)
        return counts;
    cStatement st(m_db, "SELECT at FROM answer WHERE file=?1 AND kind!=2 AND at>=?2");
    if (!st)
        return counts;
    st.Bind(1, file).Bind(2, LocalDayStart(first));
    while (st.Step() == SQLITE_ROW) {
        const std::int64_t day = LocalDay(SaneTime(st.Int(0))) - first;
        if (day >= 0 && day < days)
            ++counts[static_cast<std::size_t>(day)];
    }
    return counts;
}

std::vector<cStoredAnswer> cHistory::TaskAnswers(const std::vector<std::int64_t>& tasks)
{
    Flush();
    std::vector<cStoredAnswer> answers;
    cStatement st(m_db, "SELECT task, at, kind, grade, points, max, ms FROM answer "
                        "WHERE task=?1 AND kind!=2 ORDER BY rowid");
    if (!st)
        return answers;
    for (const std::int64_t task : tasks) {
        st.Reset();
        st.Bind(1, task);
        ReadAnswers(st, answers);
    }
    return answers;
}
