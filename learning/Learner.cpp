#include "learning/Learner.h"

#include "base/Cp1252.h"
#include "base/Message.h"
#include "base/Settings.h"
#include "data/Document.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <system_error>

namespace {

bool g_failureReported = false;
cHistory g_shared;
bool g_sharedTried = false;

std::uint64_t TextHash(const std::string& text)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (const unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

} // namespace

cTaskKey TaskKeyOf(const cTask& task)
{
    return cTaskKey{task.m_strTaskNo, TextHash(task.m_strQuestion), TextHash(task.m_strSolution)};
}

cHistory& SharedHistory()
{
    if (!g_sharedTried) {
        g_sharedTried = true;
        if (!g_shared.Open(HistoryFilePath()))
            ReportHistoryFailure(g_shared.Failure());
    }
    return g_shared;
}

void CloseSharedHistory()
{
    g_shared.Close();
    g_sharedTried = false;
}

void ReportHistoryFailure(HistoryFailure failure)
{
    if (failure == HistoryFailure::None || g_failureReported)
        return;
    g_failureReported = true;
    (void)ShowMessage(2, Cp1252FromUtf8(HistoryFailureText(failure) +
                                        "\r\nDie Übung geht weiter; die Statistik in der "
                                        "Trainingsdatei zählt wie bisher, der Lernverlauf "
                                        "wird in dieser Sitzung nicht gespeichert."));
}

bool HistoryFailureReported()
{
    return g_failureReported;
}

void ResetHistoryFailureReport()
{
    g_failureReported = false;
}

cLearner::cLearner(cDocument& doc, cHistory* history, cLearnerOptions options)
    : m_doc(doc), m_history(history), m_options(options)
{
}

cLearner::~cLearner()
{
    // The file closes: what it answered is in the database before it is gone.
    if (m_history)
        m_history->Flush();
}

void cLearner::Finish()
{
    if (!m_history)
        return;
    m_history->Flush();
    CheckFailure();
}

cLearnerOptions cLearner::Options() const
{
    cLearnerOptions options = m_options;
    if (m_pSettings) {
        options.plan = m_pSettings->m_bPlan != 0;
        options.newPerDay = m_pSettings->m_nNewPerDay;
    }
    return options;
}

std::string cLearner::OverviewNote(int questionnaire)
{
    if (!PlanActive())
        return std::string();
    const cPlanCounts counts = Counts(questionnaire);
    return "fällig " + std::to_string(counts.due) + ", neu " + std::to_string(counts.fresh);
}

std::int64_t cLearner::Now() const
{
    if (m_clock)
        return m_clock();
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string cLearner::CurrentPath() const
{
    const std::string& path = m_doc.Path();
    if (path.empty())
        return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::weakly_canonical(path, error);
    return error ? path : absolute.string();
}

void cLearner::CheckFailure()
{
    if (m_history && m_history->Failure() != HistoryFailure::None)
        ReportHistoryFailure(m_history->Failure());
}

void cLearner::Bind()
{
    m_entries.clear();
    m_entryOfTask.clear();
    m_fileId = 0;
    m_strBoundPath = CurrentPath();
    // The weights fitted to the learner's answers, when there are.
    m_fsrs = cFsrs(m_history && m_history->IsOpen() ? m_history->ReadWeights() : kFsrsDefaultWeights);
    if (!m_history || !m_history->IsOpen() || m_strBoundPath.empty()) {
        Rematch();
        return;
    }
    m_fileId = m_history->FindFile(m_strBoundPath);
    if (m_fileId == 0) {
        // A path never seen: the file may have been renamed or moved outside the program.
        // Take the stored file whose path is gone and that holds most of these tasks
        // (at least half of them, with number, question and solution unchanged).
        std::vector<cTaskKey> keys;
        for (const cTask& task : m_doc.m_data.m_aTasks)
            keys.push_back(TaskKeyOf(task));
        std::size_t best = 0;
        for (const auto& [id, path] : m_history->Files()) {
            std::error_code error;
            if (std::filesystem::exists(path, error) || error)
                continue;
            std::map<std::tuple<std::string, std::uint64_t, std::uint64_t>, int> stored;
            for (const cStoredTask& t : m_history->Tasks(id))
                ++stored[{t.key.number, t.key.question, t.key.solution}];
            std::size_t same = 0;
            for (const cTaskKey& k : keys)
                if (auto it = stored.find({k.number, k.question, k.solution});
                    it != stored.end() && it->second-- > 0)
                    ++same;
            if (same > best && same * 2 >= keys.size()) {
                best = same;
                m_fileId = id;
            }
        }
        if (m_fileId != 0)
            (void)m_history->SetFilePath(m_fileId, m_strBoundPath);
    }
    if (m_fileId != 0)
        m_entries = m_history->Tasks(m_fileId);
    Rematch();
    // Edited texts become the stored fingerprint, so the next edit is followed as well.
    for (std::size_t i = 0; i < m_entryOfTask.size(); ++i) {
        const int e = m_entryOfTask[i];
        if (e < 0)
            continue;
        const cTaskKey& key = m_keys[i];
        if (!(m_entries[e].key == key)) {
            m_entries[e].key = key;
            (void)m_history->UpdateTask(m_entries[e]);
        }
    }
    CheckFailure();
}

// "quorvant-cli fit" may have fitted the weights while this file was open; it computed
// every stored state again with them, so the states are read again as well.
void cLearner::FollowFittedWeights()
{
    if (!m_history || !m_history->IsOpen() || m_history->Failure() != HistoryFailure::None ||
        m_history->ReadWeights() == m_fsrs.Weights())
        return;
    m_fsrs = cFsrs(m_history->Weights());
    if (m_fileId != 0) {
        m_entries = m_history->Tasks(m_fileId);
        Rematch();
    }
}

void cLearner::Rematch()
{
    const auto& tasks = m_doc.m_data.m_aTasks;
    m_entryOfTask.assign(tasks.size(), -1);
    m_keys.resize(tasks.size());
    for (std::size_t i = 0; i < tasks.size(); ++i)
        m_keys[i] = TaskKeyOf(tasks[i]);
    std::vector<bool> claimed(m_entries.size(), false);
    // Stored entries sorted by a number of their task number and of their texts (each
    // entry once per list, in stored order among equal numbers): two flat arrays instead
    // of a map with a list per key, which is what opening a large file spent its time on.
    using cOrder = std::vector<std::pair<std::uint64_t, int>>;
    auto numberOf = [](const cTaskKey& k) { return std::hash<std::string>{}(k.number); };
    auto textsOf = [](const cTaskKey& k) {
        return k.question ^ (k.solution * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL);
    };
    cOrder byNumber(m_entries.size());
    cOrder byTexts(m_entries.size());
    for (std::size_t e = 0; e < m_entries.size(); ++e) {
        byNumber[e] = {numberOf(m_entries[e].key), static_cast<int>(e)};
        byTexts[e] = {textsOf(m_entries[e].key), static_cast<int>(e)};
    }
    std::sort(byNumber.begin(), byNumber.end());
    std::sort(byTexts.begin(), byTexts.end());
    // Three passes, strongest first: the same number and texts; the same number and the
    // same question or solution (an edit of one of them); the same texts (renumbered).
    auto pass = [&](const cOrder& order, auto numberOfKey, auto fits) {
        for (std::size_t i = 0; i < m_keys.size(); ++i) {
            if (m_entryOfTask[i] >= 0)
                continue;
            const std::uint64_t n = numberOfKey(m_keys[i]);
            for (auto it = std::lower_bound(order.begin(), order.end(), std::pair{n, -1});
                 it != order.end() && it->first == n; ++it) {
                const int e = it->second;
                if (!claimed[e] && fits(m_keys[i], m_entries[e].key)) {
                    claimed[e] = true;
                    m_entryOfTask[i] = e;
                    break;
                }
            }
        }
    };
    pass(byNumber, numberOf, [](const cTaskKey& a, const cTaskKey& b) { return a == b; });
    pass(byNumber, numberOf, [](const cTaskKey& a, const cTaskKey& b) {
        return a.number == b.number && (a.question == b.question || a.solution == b.solution);
    });
    pass(byTexts, textsOf, [](const cTaskKey& a, const cTaskKey& b) {
        return a.question == b.question && a.solution == b.solution;
    });
}

int cLearner::EntryOf(int taskIndex)
{
    const auto& tasks = m_doc.m_data.m_aTasks;
    if (taskIndex < 0 || static_cast<std::size_t>(taskIndex) >= tasks.size())
        return -1;
    if (m_entryOfTask.size() != tasks.size()) {
        Rematch();
    } else if (const int e = m_entryOfTask[taskIndex]; e >= 0) {
        if (m_entries[e].key == TaskKeyOf(tasks[taskIndex]))
            return e;
        Rematch();
    }
    return m_entryOfTask[taskIndex];
}

bool cLearner::EnsureFile()
{
    // After a failure the history stays off for the program run: one message, and no
    // answer waits for a database that has already failed.
    if (!m_history || !m_history->IsOpen() || m_history->Failure() != HistoryFailure::None)
        return false;
    const std::string path = CurrentPath();
    if (path.empty())
        return false;
    if (m_fileId == 0) {
        m_fileId = m_history->FindFile(path);
        if (m_fileId == 0)
            m_fileId = m_history->AddFile(path);
        if (m_fileId != 0 && m_examDay >= 0)
            (void)m_history->SetExamDay(m_fileId, m_examDay);
    } else if (path != m_strBoundPath) {
        // "Speichern unter": the history goes on under the new name.
        (void)m_history->SetFilePath(m_fileId, path);
    }
    m_strBoundPath = path;
    return m_fileId != 0;
}

void cLearner::OnAnswer(const cAnswerEvent& event)
{
    FollowFittedWeights();
    int e = EntryOf(event.taskIndex);
    if (event.taskIndex < 0 || static_cast<std::size_t>(event.taskIndex) >= m_entryOfTask.size())
        return;
    const cTaskKey key = TaskKeyOf(m_doc.m_data.m_aTasks[event.taskIndex]);
    if (e < 0) {
        e = static_cast<int>(m_entries.size());
        m_entries.push_back(cStoredTask{0, key, {}, 0, -1});
        m_entryOfTask[event.taskIndex] = e;
    }
    cStoredTask& entry = m_entries[e];
    const std::int64_t now = Now();
    entry.key = key;
    if (entry.firstAt == 0) {
        entry.firstAt = now;
        entry.firstGrade = event.grade;
    }
    entry.state = m_fsrs.Review(entry.state, RatingOfGrade(event.grade), now);
    if (!EnsureFile()) {
        CheckFailure();
        return;
    }
    // Stored by the history's writer thread: the window never waits for the database.
    if (entry.id == 0)
        entry.id = m_history->ProvisionalTaskId();
    const cStoredAnswer answer{entry.id, now,          event.kind,      event.grade,
                               event.points, event.maxPoints, event.ms};
    m_history->AppendLater(m_fileId, answer, &entry);
    CheckFailure();
    if (m_answerHook)
        m_answerHook(event, now);
}

void cLearner::OnStatisticsReset()
{
    // The counters in the file start again; what the learner remembers does not.
    if (EnsureFile())
        m_history->AppendLater(m_fileId, cStoredAnswer{0, Now(), AnswerKind::Reset}, nullptr);
    CheckFailure();
}

cMemoryState cLearner::StateOf(int taskIndex)
{
    const int e = EntryOf(taskIndex);
    return e >= 0 ? m_entries[e].state : cMemoryState{};
}

cPlanRule cLearner::PlanRule() const
{
    cPlanRule rule;
    rule.UseWeights(m_fsrs.Weights());
    rule.retention = Options().retention;
    if (m_examDay >= 0)
        rule.examTime = ExamTime(m_examDay);
    return rule;
}

bool cLearner::IsDue(const cMemoryState& s, std::int64_t now) const
{
    return PlanRule().IsDue(s, now);
}

int cLearner::NewAllowance()
{
    const std::int64_t now = Now();
    const int today = NewToday();
    int fresh = 0;
    for (std::size_t i = 0; i < m_doc.m_data.m_aTasks.size(); ++i)
        if (StateOf(static_cast<int>(i)).IsNew())
            ++fresh;
    const std::int64_t daysLeft = m_examDay >= 0 ? m_examDay - LocalDay(now) : 0;
    return PlanRule().NewPerDay(Options().newPerDay, fresh + today, daysLeft);
}

int cLearner::NewToday()
{
    const std::int64_t start = LocalDayStart(LocalDay(Now()));
    int count = 0;
    for (const cStoredTask& t : m_entries)
        if (t.firstAt >= start)
            ++count;
    return count;
}

int cLearner::NextPlannedTask(const std::vector<std::uint32_t>& tasks)
{
    FollowFittedWeights();
    (void)ExamDay();
    const std::int64_t now = Now();
    int best = -1;
    double bestRecall = 2.0;
    int firstNew = -1;
    for (const std::uint32_t index : tasks) {
        const cMemoryState s = StateOf(static_cast<int>(index));
        if (s.IsNew()) {
            if (firstNew < 0)
                firstNew = static_cast<int>(index);
            continue;
        }
        if (!IsDue(s, now))
            continue;
        const double recall = cFsrs::RecallAt(s, now);
        if (recall < bestRecall) {
            bestRecall = recall;
            best = static_cast<int>(index);
        }
    }
    if (best >= 0)
        return best;
    return firstNew >= 0 && NewToday() < NewAllowance() ? firstNew : -1;
}

std::int64_t cLearner::NextDueTime(const std::vector<std::uint32_t>& tasks)
{
    (void)ExamDay();
    const cPlanRule rule = PlanRule();
    const std::int64_t now = Now();
    std::int64_t next = 0;
    bool anyNew = false;
    for (const std::uint32_t index : tasks) {
        const cMemoryState s = StateOf(static_cast<int>(index));
        if (s.IsNew()) {
            anyNew = true;
            continue;
        }
        const std::int64_t due = rule.DueAt(s, now);
        if (due > 0 && (next == 0 || due < next))
            next = due;
    }
    // New tasks come again with the next day's allowance.
    const std::int64_t tomorrow = LocalDayStart(LocalDay(now) + 1);
    if (anyNew && (next == 0 || tomorrow < next))
        next = tomorrow;
    return next;
}

std::string cLearner::PlanDoneText(const std::vector<std::uint32_t>& tasks)
{
    std::string text = "Für heute fertig: keine fälligen Aufgaben mehr.";
    if (const std::int64_t next = NextDueTime(tasks); next > 0) {
        const std::time_t t = static_cast<std::time_t>(std::max(next, Now()));
        std::tm local{};
        localtime_r(&t, &local);
        char when[64];
        std::snprintf(when, sizeof when, "%02d.%02d.%04d %02d:%02d", local.tm_mday,
                      local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min);
        text += std::string("\nNächste fällige Aufgabe: ") + when;
    }
    return text;
}

void cLearner::OnPlanDone(const std::vector<std::uint32_t>& tasks)
{
    std::string text = PlanDoneText(tasks);
    if (const auto nl = text.find('\n'); nl != std::string::npos)
        text.replace(nl, 1, "\r\n");
    (void)ShowMessage(3, Cp1252FromUtf8(text));
}

cPlanCounts cLearner::Counts(int questionnaire)
{
    cPlanCounts counts;
    const auto& qs = m_doc.m_data.m_aQuestionnaires;
    if (questionnaire < 0 || static_cast<std::size_t>(questionnaire) >= qs.size())
        return counts;
    FollowFittedWeights();
    (void)ExamDay();
    const std::int64_t now = Now();
    for (const std::uint32_t index : qs[questionnaire].m_aTaskIndex) {
        const cMemoryState s = StateOf(static_cast<int>(index));
        if (s.IsNew())
            ++counts.fresh;
        else if (IsDue(s, now))
            ++counts.due;
    }
    return counts;
}

double cLearner::NewRecallRate() const
{
    int first = 0;
    int recalled = 0;
    for (const cStoredTask& t : m_entries) {
        if (t.firstGrade < 0)
            continue;
        ++first;
        if (t.firstGrade > GradeWrong)
            ++recalled;
    }
    return first == 0 ? 0.0 : static_cast<double>(recalled) / first;
}

cReadiness cLearner::ReadinessAt(int questionnaire, std::int64_t at)
{
    const auto& q = m_doc.m_data.m_aQuestionnaires.at(static_cast<std::size_t>(questionnaire));
    const double newRate = NewRecallRate();
    std::vector<cExamTask> tasks;
    for (const std::uint32_t index : q.m_aTaskIndex) {
        if (index >= m_doc.m_data.m_aTasks.size())
            continue;
        const cMemoryState s = StateOf(static_cast<int>(index));
        tasks.push_back({m_doc.m_data.m_aTasks[index].m_nPoints,
                         s.IsNew() ? newRate : cFsrs::RecallAt(s, at)});
    }
    return ExamReadiness(tasks, q.m_nPassPoints, q.m_nRetakePoints);
}

std::vector<cExamReadiness> cLearner::Readiness()
{
    FollowFittedWeights();
    std::vector<cExamReadiness> result;
    const std::int64_t now = Now();
    const std::int64_t day = ExamDay();
    const auto& qs = m_doc.m_data.m_aQuestionnaires;
    for (std::size_t k = 0; k < qs.size(); ++k) {
        if (qs[k].m_nExamSeconds < 0)
            continue;
        cExamReadiness r;
        r.questionnaire = static_cast<int>(k);
        r.now = ReadinessAt(r.questionnaire, now);
        r.onExamDay = day >= 0 ? ReadinessAt(r.questionnaire, std::max(now, ExamTime(day))) : r.now;
        result.push_back(r);
    }
    return result;
}

double cLearner::FileReadiness(const std::vector<cExamReadiness>& r, bool examDay)
{
    if (r.empty())
        return -1;
    double sum = 0;
    for (const cExamReadiness& e : r)
        sum += examDay ? e.onExamDay.pass : e.now.pass;
    return sum / static_cast<double>(r.size());
}

std::vector<int> cLearner::DueForecast(int days)
{
    std::vector<int> counts(static_cast<std::size_t>(std::max(days, 0)), 0);
    if (days <= 0)
        return counts;
    const std::int64_t today = LocalDay(Now());
    for (std::size_t i = 0; i < m_doc.m_data.m_aTasks.size(); ++i) {
        const cMemoryState s = StateOf(static_cast<int>(i));
        if (s.IsNew())
            continue;
        const std::int64_t day =
            std::max(LocalDay(cFsrs::DueAt(s, Options().retention)), today) - today;
        if (day < days)
            ++counts[static_cast<std::size_t>(day)];
    }
    return counts;
}

std::int64_t cLearner::ExamDay()
{
    if (m_history && m_history->IsOpen() && m_fileId != 0 && !m_bExamDayUnsaved)
        m_examDay = m_history->ExamDay(m_fileId);
    return m_examDay;
}

bool cLearner::SetExamDay(std::int64_t day)
{
    m_examDay = day < 0 ? -1 : day;
    if (!EnsureFile()) {
        m_bExamDayUnsaved = true;
        CheckFailure();
        return false;
    }
    const bool ok = m_history->SetExamDay(m_fileId, m_examDay);
    m_bExamDayUnsaved = !ok;
    CheckFailure();
    return ok;
}
