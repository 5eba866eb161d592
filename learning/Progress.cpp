#include "learning/Progress.h"

#include "base/Cp1252.h"
#include "data/TrainingData.h"
#include "learning/Learner.h"
#include "learning/Readiness.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <functional>

namespace {

std::string Percent(double p)
{
    return std::to_string(static_cast<int>(std::lround(p * 100))) + " %";
}

// "TT.MM." of a local day number.
std::string ShortDate(std::int64_t day)
{
    const std::int64_t z = day + 719468; // civil date from days since 1970
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.", d, m);
    return text;
}

} // namespace

std::int64_t HistoryFileOf(cHistory& history, const std::string& path)
{
    if (!history.IsOpen() || path.empty())
        return 0;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::weakly_canonical(path, error);
    return history.FindFile(error ? path : absolute.string());
}

cProgress::cProgress(const cTrainingData& data, double retention)
    : m_data(data), m_retention(retention)
{
}

int cProgress::DayIndex(std::int64_t at) const
{
    const auto it = std::upper_bound(m_bounds.begin(), m_bounds.end(), at);
    return static_cast<int>(it - m_bounds.begin()) - 1;
}

int cProgress::DueIndex(const cMemoryState& s) const
{
    if (s.IsNew())
        return -1;
    const int day = DayIndex(m_rule.DueAt(s, m_now)) - (kDays - 1);
    if (day >= kForecastDays)
        return -1;
    return std::max(day, 0);
}

void cProgress::AddDue(const cMemoryState& s, int delta)
{
    if (const int i = DueIndex(s); i >= 0)
        m_dueCount[static_cast<std::size_t>(i)] += delta;
}

std::vector<int> cProgress::Forecast() const
{
    return m_dueCount;
}

double cProgress::NewRate() const
{
    return m_firstAnswers == 0 ? 0.0 : static_cast<double>(m_firstRecalled) / m_firstAnswers;
}

double cProgress::Pass(int questionnaire, std::int64_t at, const std::vector<cMemoryState>& states,
                       double newRate) const
{
    const auto& q = m_data.m_aQuestionnaires[static_cast<std::size_t>(questionnaire)];
    std::vector<cExamTask> tasks;
    tasks.reserve(q.m_aTaskIndex.size());
    for (const std::uint32_t index : q.m_aTaskIndex) {
        if (index >= states.size())
            continue;
        const cMemoryState& s = states[index];
        tasks.push_back({m_data.m_aTasks[index].m_nPoints,
                         s.IsNew() ? newRate : cFsrs::RecallAt(s, at)});
    }
    return ExamReadiness(tasks, q.m_nPassPoints, q.m_nRetakePoints).pass;
}

int cProgress::StateOf(int taskIndex, std::int64_t now) const
{
    const cMemoryState& s = m_state[static_cast<std::size_t>(taskIndex)];
    if (s.IsNew())
        return 0;
    return cFsrs::RecallAt(s, now) >= kKnownRecall ? 2 : 1;
}

// Readiness at the end of every past day of the window. A task's memory changes only on
// the days it was answered, so each exam task is replayed once (its answers in the order
// stored) into the days it changed, and one sweep over the days applies the changes and
// takes the points distribution once per day and exam questionnaire.
void cProgress::Replay(const std::vector<cStoredAnswer>& answers,
                       const std::vector<std::pair<std::int64_t, int>>& examTasks,
                       const std::vector<int>& firsts, const std::vector<int>& recalled,
                       int firstsBefore, int recalledBefore)
{
    struct cChange {
        int day;
        int index;
        cMemoryState state;
    };
    const std::size_t count = m_data.m_aTasks.size();
    std::vector<cMemoryState> memory(count); // the exam tasks' memory back then
    std::vector<cChange> changes;
    std::size_t next = 0;
    for (const auto& [id, index] : examTasks) {
        cMemoryState s;
        for (; next < answers.size() && answers[next].task == id; ++next) {
            const cStoredAnswer& a = answers[next];
            s = m_fsrs.Review(s, RatingOfGrade(a.grade), a.at);
            const int day = DayIndex(a.at);
            if (day < 0)
                memory[static_cast<std::size_t>(index)] = s;
            else if (day < kDays - 1) // today is taken from the stored memory
                changes.push_back({day, index, s});
        }
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const cChange& a, const cChange& b) { return a.day < b.day; });
    std::size_t c = 0;
    int firstsUpTo = 0;
    int recalledUpTo = 0;
    for (int d = 0; d < kDays - 1; ++d) {
        for (; c < changes.size() && changes[c].day == d; ++c)
            memory[static_cast<std::size_t>(changes[c].index)] = changes[c].state;
        firstsUpTo += firsts[static_cast<std::size_t>(d)];
        recalledUpTo += recalled[static_cast<std::size_t>(d)];
        const int all = firstsBefore + firstsUpTo;
        const double newRate = all == 0 ? 0.0 : double(recalledBefore + recalledUpTo) / all;
        for (cReadinessCurve& curve : m_curves)
            curve.past[static_cast<std::size_t>(d)] =
                Pass(curve.questionnaire, m_bounds[static_cast<std::size_t>(d) + 1] - 1, memory,
                     newRate);
    }
}

void cProgress::Project()
{
    const std::int64_t today = Today();
    const int days = m_examDay > today
                         ? static_cast<int>(std::min<std::int64_t>(m_examDay - today, kMaxProjection))
                         : 0;
    const double newRate = NewRate();
    for (cReadinessCurve& c : m_curves) {
        c.past[kDays - 1] = Pass(c.questionnaire, m_now, m_state, newRate);
        c.projected.assign(static_cast<std::size_t>(days), 0.0);
        // Midday of each day, the time the learner takes the readiness on the exam date.
        for (int d = 0; d < days; ++d)
            c.projected[static_cast<std::size_t>(d)] =
                Pass(c.questionnaire, LocalDayStart(today + 1 + d) + 12 * 3600, m_state, newRate);
    }
}

namespace {

// One number for a fingerprint to sort by; equal fingerprints give equal numbers.
std::uint64_t KeyNumber(const cTaskKey& k)
{
    std::uint64_t h = std::hash<std::string>{}(k.number);
    h ^= k.question + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
    h ^= k.solution * 0xFF51AFD7ED558CCDULL;
    return h;
}

} // namespace

void cProgress::Load(cHistory& history, std::int64_t file, std::int64_t now, std::int64_t examDay)
{
    const bool stored = history.IsOpen() && file != 0;
    m_now = now;
    m_examDay = examDay;
    m_fsrs = cFsrs(history.IsOpen() ? history.ReadWeights() : kFsrsDefaultWeights);
    m_rule.UseWeights(m_fsrs.Weights());
    m_rule.retention = m_retention;
    m_rule.examTime = examDay >= 0 ? ExamTime(examDay) : 0;
    m_first = LocalDay(now) - (kDays - 1);
    m_bounds.resize(kDays + kForecastDays + 1);
    for (std::size_t i = 0; i < m_bounds.size(); ++i)
        m_bounds[i] = LocalDayStart(m_first + static_cast<std::int64_t>(i));
    m_perDay.assign(kDays, cDayAnswers{});
    const std::size_t count = m_data.m_aTasks.size();
    m_state.assign(count, cMemoryState{});
    m_answeredTask.assign(count, false);

    std::vector<bool> inExam(count, false);
    m_inFrom.assign(count + 1, 0);
    m_curves.clear();
    const auto& qs = m_data.m_aQuestionnaires;
    for (std::size_t k = 0; k < qs.size(); ++k) {
        for (const std::uint32_t index : qs[k].m_aTaskIndex)
            if (index < count) {
                ++m_inFrom[index + 1];
                inExam[index] = inExam[index] || qs[k].m_nExamSeconds >= 0;
            }
        if (qs[k].m_nExamSeconds >= 0)
            m_curves.push_back({static_cast<int>(k), std::vector<double>(kDays, 0.0), {}});
    }
    for (std::size_t i = 0; i < count; ++i)
        m_inFrom[i + 1] += m_inFrom[i];
    m_inQuestionnaire.assign(static_cast<std::size_t>(m_inFrom[count]), 0);
    {
        std::vector<int> fill(m_inFrom.begin(), m_inFrom.end() - 1);
        for (std::size_t k = 0; k < qs.size(); ++k)
            for (const std::uint32_t index : qs[k].m_aTaskIndex)
                if (index < count)
                    m_inQuestionnaire[static_cast<std::size_t>(fill[index]++)] = static_cast<int>(k);
    }

    // Stored tasks find their task in the file by their fingerprint, which the learner
    // keeps up to date through edits (equal fingerprints: the next free one). Their
    // stored memory is the current one; the first answers give the new tasks per day and
    // the recall rate of new tasks.
    std::vector<cTaskKey> keys(count);
    for (std::size_t i = 0; i < count; ++i)
        keys[i] = TaskKeyOf(m_data.m_aTasks[i]);
    std::vector<std::pair<std::uint64_t, int>> byKey; // sorted, made at the first miss
    std::vector<bool> taken(count, false);
    std::vector<std::pair<std::int64_t, int>> examTasks; // stored id, task index
    std::vector<int> firsts(kDays, 0);
    std::vector<int> recalled(kDays, 0);
    int firstsBefore = 0;
    int recalledBefore = 0;
    m_firstAnswers = 0;
    m_firstRecalled = 0;
    std::size_t guess = 0; // stored tasks mostly come in the file's order: try the next one
    for (const cStoredTask& t : stored ? history.Tasks(file) : std::vector<cStoredTask>{}) {
        int found = -1;
        if (guess < count && !taken[guess] && keys[guess] == t.key) {
            found = static_cast<int>(guess);
        } else {
            if (byKey.empty() && count > 0) {
                byKey.resize(count);
                for (std::size_t i = 0; i < count; ++i)
                    byKey[i] = {KeyNumber(keys[i]), static_cast<int>(i)};
                std::sort(byKey.begin(), byKey.end());
            }
            const std::uint64_t number = KeyNumber(t.key);
            for (auto it = std::lower_bound(byKey.begin(), byKey.end(), std::pair{number, -1});
                 it != byKey.end() && it->first == number && found < 0; ++it)
                if (!taken[static_cast<std::size_t>(it->second)] &&
                    keys[static_cast<std::size_t>(it->second)] == t.key)
                    found = it->second;
        }
        if (found >= 0) {
            const std::size_t index = static_cast<std::size_t>(found);
            taken[index] = true;
            guess = index + 1;
            m_state[index] = t.state;
            m_answeredTask[index] = t.firstGrade >= 0;
            if (inExam[index])
                examTasks.emplace_back(t.id, found);
        }
        if (t.firstGrade < 0)
            continue;
        ++m_firstAnswers;
        m_firstRecalled += t.firstGrade > GradeWrong;
        const int day = DayIndex(t.firstAt);
        if (day < 0) {
            ++firstsBefore;
            recalledBefore += t.firstGrade > GradeWrong;
        } else if (day < kDays) {
            ++m_perDay[static_cast<std::size_t>(day)].fresh;
            ++firsts[static_cast<std::size_t>(day)];
            recalled[static_cast<std::size_t>(day)] += t.firstGrade > GradeWrong;
        }
    }

    // Answers per day from the slot sums, and the exam tasks' own answers for the replay.
    if (stored) {
        for (const cAnswerSlot& slot : history.AnswerSlots(file, m_bounds.front())) {
            const int day = DayIndex(slot.slot * kSlotSeconds);
            if (day < 0 || day >= kDays)
                continue;
            cDayAnswers& d = m_perDay[static_cast<std::size_t>(day)];
            d.right += slot.right;
            d.partly += slot.partly;
            d.wrong += slot.wrong;
        }
    }
    std::vector<std::int64_t> ids;
    ids.reserve(examTasks.size());
    for (const auto& [id, index] : examTasks)
        ids.push_back(id);
    Replay(stored ? history.TaskAnswers(ids) : std::vector<cStoredAnswer>{}, examTasks, firsts,
           recalled, firstsBefore, recalledBefore);

    m_dueCount.assign(kForecastDays, 0);
    for (const cMemoryState& s : m_state)
        AddDue(s, 1);
    m_states.clear();
    for (std::size_t k = 0; k < m_data.m_aQuestionnaires.size(); ++k) {
        cStateCounts c;
        c.questionnaire = static_cast<int>(k);
        for (const std::uint32_t index : m_data.m_aQuestionnaires[k].m_aTaskIndex) {
            if (index >= count)
                continue;
            const int state = StateOf(static_cast<int>(index), now);
            (state == 0 ? c.fresh : state == 1 ? c.learning : c.known)++;
        }
        m_states.push_back(c);
    }
    Project();
}

bool cProgress::AddAnswer(int taskIndex, int grade, std::int64_t at)
{
    const int day = DayIndex(at);
    if (day != kDays - 1 || taskIndex < 0 || static_cast<std::size_t>(taskIndex) >= m_state.size())
        return false;
    m_now = std::max(m_now, at);
    const std::size_t i = static_cast<std::size_t>(taskIndex);
    cDayAnswers& today = m_perDay[kDays - 1];
    (grade >= GradeRight ? today.right : grade == GradePartly ? today.partly : today.wrong)++;
    if (!m_answeredTask[i]) {
        m_answeredTask[i] = true;
        ++today.fresh;
        ++m_firstAnswers;
        if (grade > GradeWrong)
            ++m_firstRecalled;
    }
    const int before = StateOf(taskIndex, at);
    AddDue(m_state[i], -1);
    m_state[i] = m_fsrs.Review(m_state[i], RatingOfGrade(grade), at);
    AddDue(m_state[i], 1);
    const int after = StateOf(taskIndex, at);
    auto bucket = [](cStateCounts& c, int state) -> int& {
        return state == 0 ? c.fresh : state == 1 ? c.learning : c.known;
    };
    for (int j = m_inFrom[i]; j < m_inFrom[i + 1]; ++j) {
        const int k = m_inQuestionnaire[static_cast<std::size_t>(j)];
        --bucket(m_states[static_cast<std::size_t>(k)], before);
        ++bucket(m_states[static_cast<std::size_t>(k)], after);
    }
    Project();
    return true;
}

std::string cProgress::AnswersSummary(int lastDays) const
{
    lastDays = std::clamp(lastDays, 1, kDays);
    cDayAnswers sum;
    for (int d = kDays - lastDays; d < kDays; ++d) {
        const cDayAnswers& a = m_perDay[static_cast<std::size_t>(d)];
        sum.right += a.right;
        sum.partly += a.partly;
        sum.wrong += a.wrong;
        sum.fresh += a.fresh;
    }
    std::string text = "Letzte " + std::to_string(lastDays) + " Tage: ";
    if (sum.Total() == 0)
        return text + "keine Antworten";
    return text + std::to_string(sum.Total()) + " Antworten, " +
           Percent(static_cast<double>(sum.right) / sum.Total()) + " richtig, " +
           std::to_string(sum.fresh) + " neue Aufgaben";
}

std::string cProgress::ForecastSummary() const
{
    int total = 0;
    for (const int n : m_dueCount)
        total += n;
    std::string text = "Nächste " + std::to_string(kForecastDays) + " Tage: " +
                       std::to_string(total) + " fällige Aufgaben, heute " +
                       std::to_string(m_dueCount.empty() ? 0 : m_dueCount[0]);
    if (m_examDay >= 0)
        text += "; Prüfungstermin " + ShortDate(m_examDay);
    return text;
}

std::string cProgress::ReadinessSummary() const
{
    if (m_curves.empty())
        return "Kein Prüfungsfragebogen";
    std::string text = "Bestehenswahrscheinlichkeit heute: ";
    for (std::size_t i = 0; i < m_curves.size(); ++i) {
        const cReadinessCurve& c = m_curves[i];
        text += (i ? "; " : "") +
                Cp1252ToUtf8(m_data.m_aQuestionnaires[static_cast<std::size_t>(c.questionnaire)]
                                 .m_strTitle) +
                " " + Percent(c.past.back());
        if (!c.projected.empty())
            text += ", am Prüfungstermin " + Percent(c.projected.back());
    }
    return text;
}

std::string cProgress::StatesSummary() const
{
    std::string text;
    for (const cStateCounts& c : m_states) {
        if (!text.empty())
            text += "; ";
        text += Cp1252ToUtf8(m_data.m_aQuestionnaires[static_cast<std::size_t>(c.questionnaire)]
                                 .m_strTitle) +
                ": " + std::to_string(c.fresh) + " neu, " + std::to_string(c.learning) +
                " im Lernen, " + std::to_string(c.known) + " gelernt";
    }
    return text.empty() ? "Keine Fragebögen" : text;
}
