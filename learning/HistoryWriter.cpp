// The history's writer thread, which lands queued answers in batched transactions, and the
// per-file sums of answers by quarter of an hour that the charts read.
#include "learning/History.h"
#include "learning/HistoryStatement.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <unordered_map>

using namespace history_detail;

// The writer thread ----------------------------------------------------------------------

void cHistory::AppendLater(std::int64_t file, const cStoredAnswer& answer, const cStoredTask* task)
{
    if (!m_db || Failure() != HistoryFailure::None)
        return;
    std::lock_guard lock(m_mutex);
    if (!m_writer.joinable()) {
        m_stop = false;
        m_writer = std::thread([this] { WriterLoop(); });
    }
    cPending& p = m_queue.emplace_back();
    p.file = file;
    p.answer = answer;
    p.hasTask = task != nullptr;
    if (task)
        p.task = *task;
    p.weights = m_weights; // what the learners computed the state with
    m_wake.notify_one();
}

void cHistory::Flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_writing; });
}

void cHistory::StopWriter()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_writer.joinable())
            return;
        m_stop = true;
        m_wake.notify_one();
    }
    m_writer.join(); // the loop writes what is queued before it ends
    std::lock_guard lock(m_mutex);
    m_realIds.clear();
}

std::int64_t cHistory::RealTaskId(std::int64_t id)
{
    if (id >= 0)
        return id;
    std::lock_guard lock(m_mutex);
    const auto it = m_realIds.find(id);
    return it == m_realIds.end() ? 0 : it->second;
}

void cHistory::WriterLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
            break; // stopped, and nothing left to write
        std::vector<cPending> batch(std::make_move_iterator(m_queue.begin()),
                                    std::make_move_iterator(m_queue.end()));
        m_queue.clear();
        m_writing = true;
        lock.unlock();
        const bool ok = WriteBatch(batch);
        lock.lock();
        m_writing = false;
        if (!ok)
            m_queue.clear(); // the history is off after a failure
        m_idle.notify_all();
    }
    lock.unlock();
    sqlite3_close_v2(m_writerDb);
    m_writerDb = nullptr;
}

// One transaction for everything that queued up while the last one was written.
bool cHistory::WriteBatch(const std::vector<cPending>& batch)
{
    if (Failure() != HistoryFailure::None)
        return false;
    if (!m_writerDb) {
        // Its own connection: the window's reads never wait for a write in progress.
        const int rc = sqlite3_open_v2(m_strPath.c_str(), &m_writerDb,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            Fail(m_writerDb ? sqlite3_extended_errcode(m_writerDb) : rc);
            sqlite3_close_v2(m_writerDb);
            m_writerDb = nullptr;
            return false;
        }
        sqlite3_busy_timeout(m_writerDb, kBusyTimeoutMs);
    }
    sqlite3* db = m_writerDb;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(db);
        return false;
    }
    cStatement insertTask(db, "INSERT INTO task(file, number, qh, sh, s, d, last, reps, "
                              "lapses, first_at) VALUES(?1, ?2, ?3, ?4, 0, 0, 0, 0, 0, 0)");
    cStatement insertAnswer(db, "INSERT INTO answer(file, task, at, kind, grade, points, max, "
                                "ms) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    cStatement updateTask(db, "UPDATE task SET number=?2, qh=?3, sh=?4, s=?5, d=?6, last=?7, "
                              "reps=?8, lapses=?9, first_at=?10, first_grade=?11 WHERE id=?1");
    cStatement taskAnswers(db, "SELECT at, grade FROM answer WHERE task=?1 ORDER BY at, rowid");
    cStatement countAnswers(db, "SELECT count(*) FROM answer WHERE task=?1");
    bool ok = insertTask && insertAnswer && updateTask && taskAnswers && countAnswers;
    // A state counts every answer of its task. When another program stored answers to the
    // task since this one read it, or fitted new weights (and computed every state again
    // with them), the state is replayed from all the stored answers instead.
    auto missesAnswers = [&](std::int64_t task, const cMemoryState& s) {
        countAnswers.Reset();
        countAnswers.Bind(1, task);
        return countAnswers.Step() == SQLITE_ROW && countAnswers.Int(0) != s.reps;
    };
    cFsrsWeights stored;
    const bool knowStored = StoredWeights(db, stored);
    auto replayed = [&](std::int64_t task, const cFsrsWeights& weights) {
        cTaskAnswers answers;
        taskAnswers.Reset();
        taskAnswers.Bind(1, task);
        while (taskAnswers.Step() == SQLITE_ROW)
            answers.emplace_back(SaneTime(taskAnswers.Int(0)), static_cast<int>(taskAnswers.Int(1)));
        return Replay(cFsrs(weights), answers);
    };
    std::unordered_map<std::int64_t, std::int64_t> added; // provisional ids of this batch
    auto realId = [&](std::int64_t id) {
        if (id >= 0)
            return id;
        if (const auto it = added.find(id); it != added.end())
            return it->second;
        return RealTaskId(id);
    };
    for (const cPending& p : batch) {
        if (!ok)
            break;
        std::int64_t task = realId(p.hasTask ? p.task.id : p.answer.task);
        if (p.hasTask && task == 0) {
            insertTask.Reset();
            insertTask.Bind(1, p.file).Bind(2, p.task.key.number);
            insertTask.Bind(3, static_cast<std::int64_t>(p.task.key.question));
            insertTask.Bind(4, static_cast<std::int64_t>(p.task.key.solution));
            ok = insertTask.Step() == SQLITE_DONE;
            task = sqlite3_last_insert_rowid(db);
            added[p.task.id] = task;
        }
        if (ok) {
            const cStoredAnswer& a = p.answer;
            insertAnswer.Reset();
            insertAnswer.Bind(1, p.file).Bind(2, p.hasTask ? task : a.task).Bind(3, a.at);
            insertAnswer.Bind(4, std::int64_t{static_cast<int>(a.kind)});
            insertAnswer.Bind(5, std::int64_t{a.grade}).Bind(6, std::int64_t{a.points});
            insertAnswer.Bind(7, std::int64_t{a.maxPoints}).Bind(8, std::int64_t{a.ms});
            ok = insertAnswer.Step() == SQLITE_DONE;
        }
        if (ok && p.hasTask) {
            cStoredTask t = p.task;
            if ((knowStored && p.weights != stored) || missesAnswers(task, t.state))
                t.state = replayed(task, knowStored ? stored : p.weights);
            updateTask.Reset();
            updateTask.Bind(1, task).Bind(2, t.key.number);
            updateTask.Bind(3, static_cast<std::int64_t>(t.key.question));
            updateTask.Bind(4, static_cast<std::int64_t>(t.key.solution));
            updateTask.Bind(5, t.state.stability).Bind(6, t.state.difficulty).Bind(7, t.state.last);
            updateTask.Bind(8, std::int64_t{t.state.reps}).Bind(9, std::int64_t{t.state.lapses});
            updateTask.Bind(10, t.firstAt).Bind(11, std::int64_t{t.firstGrade});
            ok = updateTask.Step() == SQLITE_DONE;
        }
    }
    if (ok)
        ok = SumSlots(db);
    if (ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
        if (!added.empty()) {
            std::lock_guard lock(m_mutex);
            m_realIds.insert(added.begin(), added.end());
        }
        return true;
    }
    Fail(db);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

// The slot sums ----------------------------------------------------------------------------

namespace {

using cSlotSums = std::unordered_map<std::int64_t, std::unordered_map<std::int64_t, cAnswerSlot>>;

// More answers than anyone gives in a quarter of an hour; larger stored sums are damage.
constexpr std::int64_t kMaxSlotCount = 1 << 20;

std::int64_t SlotOf(std::int64_t at)
{
    return at / kSlotSeconds - (at % kSlotSeconds < 0 ? 1 : 0);
}

// Sums per file and slot of the counted answers stored after the mark; newest is the last
// answer row read. False when they could not be read.
bool SumsAfterMark(sqlite3* db, cSlotSums& sums, std::int64_t& mark, std::int64_t& newest)
{
    cStatement last(db, "SELECT coalesce((SELECT last FROM slot_mark WHERE id=0), 0)");
    if (!last || last.Step() != SQLITE_ROW)
        return false;
    mark = newest = last.Int(0);
    cStatement rows(db, "SELECT rowid, file, at, grade, kind FROM answer WHERE rowid>?1 "
                        "ORDER BY rowid");
    if (!rows)
        return false;
    rows.Bind(1, mark);
    int rc;
    while ((rc = rows.Step()) == SQLITE_ROW) {
        newest = rows.Int(0);
        if (rows.Int(4) == static_cast<int>(AnswerKind::Reset))
            continue;
        cAnswerSlot& sum = sums[rows.Int(1)][SlotOf(SaneTime(rows.Int(2)))];
        const int grade = static_cast<int>(rows.Int(3));
        (grade >= GradeRight ? sum.right : grade == GradePartly ? sum.partly : sum.wrong)++;
    }
    return rc == SQLITE_DONE;
}

} // namespace

// Adds the answers stored after the mark to the slot sums; inside a write transaction.
bool cHistory::SumSlots(sqlite3* db)
{
    cSlotSums sums;
    std::int64_t mark = 0, newest = 0;
    if (!SumsAfterMark(db, sums, mark, newest))
        return false;
    if (newest == mark)
        return true;
    cStatement add(db, "INSERT INTO answer_slot(file, slot, n_right, n_partly, n_wrong) "
                       "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(file, slot) DO UPDATE SET "
                       "n_right=n_right+?3, n_partly=n_partly+?4, n_wrong=n_wrong+?5");
    if (!add)
        return false;
    for (const auto& [file, slots] : sums)
        for (const auto& [slot, sum] : slots) {
            add.Reset();
            add.Bind(1, file).Bind(2, slot).Bind(3, std::int64_t{sum.right});
            add.Bind(4, std::int64_t{sum.partly}).Bind(5, std::int64_t{sum.wrong});
            if (add.Step() != SQLITE_DONE)
                return false;
        }
    cStatement move(db, "INSERT OR REPLACE INTO slot_mark(id, last) VALUES(0, ?1)");
    return move && move.Bind(1, newest).Step() == SQLITE_DONE;
}

std::vector<cAnswerSlot> cHistory::AnswerSlots(std::int64_t file, std::int64_t from)
{
    Flush();
    std::vector<cAnswerSlot> slots;
    if (!m_db)
        return slots;
    // Answers that another program (or an older version) stored since are summed first;
    // when the sums cannot be written now, they are added for this reading only.
    cSlotSums unstored;
    {
        cStatement behind(m_db, "SELECT coalesce((SELECT max(rowid) FROM answer), 0) > "
                                "coalesce((SELECT last FROM slot_mark WHERE id=0), 0)");
        if (behind && behind.Step() == SQLITE_ROW && behind.Int(0) != 0) {
            bool ok = false;
            if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
                ok = SumSlots(m_db);
                sqlite3_exec(m_db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
            }
            std::int64_t mark = 0, newest = 0;
            if (!ok)
                (void)SumsAfterMark(m_db, unstored, mark, newest);
        }
    }
    cStatement st(m_db, "SELECT slot, n_right, n_partly, n_wrong FROM answer_slot WHERE file=?1 "
                        "AND slot>=?2 ORDER BY slot");
    if (!st)
        return slots;
    const std::int64_t first = SlotOf(from);
    st.Bind(1, file).Bind(2, first);
    std::map<std::int64_t, cAnswerSlot> merged;
    // Sums from the database are taken within what any real history can hold.
    const auto count = [&st](int i) {
        return static_cast<int>(std::clamp<std::int64_t>(st.Int(i), 0, kMaxSlotCount));
    };
    while (st.Step() == SQLITE_ROW) {
        const std::int64_t slot = std::clamp<std::int64_t>(st.Int(0), 0, kLatestTime / kSlotSeconds);
        merged[slot] = {slot, count(1), count(2), count(3)};
    }
    for (const auto& [slot, sum] : unstored[file]) {
        if (slot < first)
            continue;
        cAnswerSlot& to = merged[slot];
        to.slot = slot;
        to.right += sum.right, to.partly += sum.partly, to.wrong += sum.wrong;
    }
    for (const auto& [slot, sum] : merged)
        slots.push_back(sum);
    return slots;
}
