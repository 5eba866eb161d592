// The query's asking and answering: which task comes next, the answer check, the
// self-assessment and the exam rating, and the input controls of a question screen.

#include "practice/Query.h"

#include "base/Cp1252.h"
#include "data/Document.h"
#include "practice/QueryBatch.h"
#include "practice/Verdict.h"
#include "base/Message.h"
#include "base/Settings.h"

#include <algorithm>
#include <cstring>

// --- task selection --------------------------------------------------------------------

namespace {

// The counter slot of a point value; values beyond the last slot use the last one.
int Slot(int points)
{
    return std::clamp(points, 0, kTaskSlots - 1);
}

// The file's selection filter, read once per search.
struct cSelectionFilter {
    std::uint32_t maxWords = 0;   // 0: no word limit
    std::uint32_t minRight = 0;   // 0: no limit
    std::uint32_t minPercent = 0; // 0: no limit
};

// Whether the text has more words than maxWords, counting every blank as a word break
// (so blanks + 1 words). Reads eight bytes at a time and stops at the eight bytes that
// hold the deciding blank, so a long text costs little more than its first words.
bool MoreWordsThan(const std::string& text, std::uint32_t maxWords)
{
    constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const char* at = text.data();
    std::size_t left = text.size();
    std::uint32_t blanks = 0;
    while (left >= 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, at, 8);
        // Bytes equal to a blank become zero; each zero byte then gets a 1 in its lowest
        // bit (exact, no false positives), and one multiplication adds the eight bytes up.
        const std::uint64_t x = chunk ^ kBlanks;
        const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7) >> 7;
        blanks += static_cast<std::uint32_t>(zero * 0x0101010101010101ULL >> 56);
        if (blanks >= maxWords)
            return true;
        at += 8;
        left -= 8;
    }
    for (; left > 0; ++at, --left)
        if (*at == ' ' && ++blanks >= maxWords)
            return true;
    return false;
}

// The two counter rules of the filter.
bool PassesCounters(const cTask& task, const cSelectionFilter& filter)
{
    const int q = Slot(task.m_nPoints == 0 ? 1 : task.m_nPoints);
    const std::uint64_t right = task.m_nStats[q];
    if (filter.minRight != 0 && right >= filter.minRight)
        return false;
    if (filter.minPercent != 0) {
        std::uint64_t total = 0;
        for (int k = 0; k <= q; ++k)
            total += task.m_nStats[k];
        // right * 100 / total >= minPercent, without the division (exact for whole
        // numbers; no product comes near the 64-bit limit).
        if (total > 0 && right * 100 >= std::uint64_t{filter.minPercent} * total)
            return false;
    }
    return true;
}

} // namespace

int cQuery::FindFilteredRow()
{
    const int rows = RowCount();
    const cTrainingData& data = Data();
    cSelectionFilter filter;
    filter.maxWords = data.m_nMaxWords;
    filter.minRight = data.m_nMinRight;
    filter.minPercent = data.m_nMinPercent;
    const std::uint32_t* const rowTask = m_rows.Tasks().data();
    const cTask* const tasks = data.m_aTasks.data();
    const std::size_t taskCount = data.m_aTasks.size();
    auto taskAt = [&](int row) -> const cTask* {
        const std::uint32_t index = rowTask[row];
        return index < taskCount ? tasks + index : nullptr;
    };
    // A row passes unless its counters or its solution's words exclude it. The counters
    // are tested first: the result is the same, and a row they exclude never touches its
    // solution text.
    //
    // Rows are visited in order, and every visit waits for memory on a large list. The
    // counters (and, with a word limit, the solution's record) of the row 2 * kAhead
    // further on are fetched early; kAhead rows before its turn, when its counters are at
    // hand, a row that the counters let through has its solution text fetched as well.
    // The counter test made for that early fetch is kept for the row's turn (the rows
    // visited are consecutive, so attempt a meets the row tested at attempt a - kAhead).
    constexpr int kAhead = 8;
    const bool words = filter.maxWords != 0;
    auto wrap = [rows](int row) { return row >= rows ? row % rows : row; };
    std::array<bool, kAhead> countersAhead{};

    int i = m_nCurrentRow;
    for (int attempt = 0; attempt < rows; ++attempt) {
        if (data.m_bRandom && attempt == 0) {
            i = Random() % rows;
        } else {
            ++i;
            if (i >= rows || i < 0)
                i = 0;
        }
        const cTask* task = taskAt(i);
        if (!words) {
            if (const cTask* ahead = taskAt(wrap(i + kAhead)))
                __builtin_prefetch(&ahead->m_nStats);
            if (task && PassesCounters(*task, filter))
                return i;
            continue;
        }
        bool& slot = countersAhead[static_cast<std::size_t>(attempt % kAhead)];
        const bool counters = attempt >= kAhead ? slot : task && PassesCounters(*task, filter);
        if (const cTask* further = taskAt(wrap(i + 2 * kAhead))) {
            __builtin_prefetch(&further->m_nStats);
            __builtin_prefetch(&further->m_strSolution);
        }
        const cTask* ahead = taskAt(wrap(i + kAhead));
        slot = ahead && PassesCounters(*ahead, filter);
        if (slot)
            __builtin_prefetch(ahead->m_strSolution.data());
        if (counters && task && !MoreWordsThan(task->m_strSolution, filter.maxWords))
            return i;
    }
    return -1;
}

void cQuery::SelectTask(int start)
{
    const int rows = RowCount();
    if (rows == 0)
        return;
    cBatch batch(*this);
    int candidate = start;
    if (start == -1 && PlanChooses()) {
        const std::vector<std::uint32_t>& tasks = m_rows.Tasks();
        // The task just shown is not asked again at once (after a skip it would be).
        std::vector<std::uint32_t> others = tasks;
        if (const int shown = TaskOfRow(m_nCurrentRow); shown >= 0)
            std::erase(others, static_cast<std::uint32_t>(shown));
        const int planned = m_pObserver->NextPlannedTask(others);
        const auto at = std::find(tasks.begin(), tasks.end(), static_cast<std::uint32_t>(planned));
        if (planned < 0 || at == tasks.end()) {
            Flush();
            m_pObserver->OnPlanDone(tasks);
            SetViewMode(ModeTaskList);
            return;
        }
        candidate = static_cast<int>(at - tasks.begin());
    } else if (start == -1) {
        candidate = FindFilteredRow();
        if (candidate < 0) {
            (void)Ask(306, std::string());
            candidate = 0;
        }
    }
    cTask* task = TaskPtr(candidate);
    if (!task)
        return;
    m_nCurrentRow = candidate;
    m_nSelectionMark = candidate;
    m_shownAt = std::chrono::steady_clock::now();
    m_bTicks.fill(false);
    if (m_bExamActive || m_bEvaluationActive) {
        m_strAnswerText = task->m_strAnswer;
        m_bTicks = task->m_bChoiceTicked;
    } else {
        m_strAnswerText.clear();
    }
    OpenSound(task->m_strSound);
    if (m_bSoundOpen)
        StartSound();
    LayOut();
    Notify(ChangeRow | ChangeTexts | ChangeTicks);
}

// --- answering -------------------------------------------------------------------------

void cQuery::StoreAnswerInTask(cTask& task)
{
    task.m_strAnswer = m_strAnswerText;
    task.m_bChoiceTicked = m_bTicks;
}

void cQuery::CountAnswer(cTask& task, int points)
{
    ++task.m_nStats[Slot(points)];
}

void cQuery::ReportAnswer(const cTask& task, int grade, int points, AnswerKind kind)
{
    if (!m_pObserver)
        return;
    cAnswerEvent event;
    event.taskIndex = static_cast<int>(&task - Data().m_aTasks.data());
    event.grade = grade;
    event.points = points;
    event.maxPoints = task.m_nPoints;
    event.kind = kind;
    const auto elapsed = std::chrono::steady_clock::now() - m_shownAt;
    event.ms = static_cast<int>(std::clamp<long long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 0, INT32_MAX));
    m_pObserver->OnAnswer(event);
}

bool cQuery::PlanChooses() const
{
    return m_pObserver && m_pObserver->PlanActive() && !m_bExamActive && !m_bEvaluationActive;
}

int cQuery::RatedPoints(const cTask& task) const
{
    const int p = task.m_nPoints;
    // Ticks decide alone: a multiple-choice check is either wrong or right.
    if (task.m_nType == TaskTypeMultipleChoice)
        return task.CheckAnswer(false, false, false) != VerdictWrong ? p : 0;
    switch (m_nAssessChoice) {
    case AssessRight: return p;
    case AssessWrong: return 0;
    case AssessPartly: {
        // Without a points list (tasks of 0 or 1 point) "Teilrichtig" can only be a
        // preset after a tolerated answer; it counts as right.
        const int entries = static_cast<int>(m_aPointsEntries.size());
        const int partly = p <= 1         ? p
                           : entries == 0 ? 1
                                          : std::clamp(m_nPointsSelection, 0, entries - 1) + 1;
        return std::min(partly, p);
    }
    default: return -1;
    }
}

void cQuery::OnAnswerOk()
{
    cTask* task = CurrentTask();
    if (!task)
        return;
    cBatch batch(*this);
    const int row = m_nCurrentRow;
    const int p = task->m_nPoints;
    switch (m_nMode) {
    case ModeQuestion: {
        StoreAnswerInTask(*task);
        if ((m_strAnswerText.empty() && task->m_nType == TaskTypeText) || m_bExamActive) {
            UpdateTaskRow(row);
            OnSkip();
            return;
        }
        const cTrainingData& data = Data();
        const int verdict =
            task->CheckAnswer(data.m_bAllowMissing, data.m_bAllowExtra, data.m_bAllowSwap);
        ++m_nCheckCount;
        // A multiple-choice answer is its ticks; the text field is not shown for it.
        m_strVerdictText = VerdictText(
            verdict,
            task->m_nType == TaskTypeMultipleChoice ? TickedChoicesText(*task) : m_strAnswerText,
            *task, data);
        m_strResultText = m_strVerdictText;
        m_nLastVerdict = LastVerdictFor(verdict);
        if (task->m_bSelfAssess) {
            SetViewMode(ModeRating);
        } else if (verdict != VerdictWrong) {
            CountAnswer(*task, p);
            ReportAnswer(*task, verdict == VerdictRight ? GradeRight : GradePartly, p,
                         AnswerKind::Practice);
            SetViewMode(ModeResult);
        } else {
            if (m_settings.m_bBeepOnWrong != 0)
                m_host.Beep();
            CountAnswer(*task, 0);
            ReportAnswer(*task, GradeWrong, 0, AnswerKind::Practice);
            SetViewMode(ModeResult);
        }
        LayOut();
        UpdateTaskRow(row);
        if (verdict != VerdictWrong && m_settings.m_bNextOnRight != 0)
            OnAnswerOk();
        return;
    }
    case ModeResult:
        SetViewMode(ModeQuestion);
        SelectTask(-1);
        return;
    case ModeRating: {
        const int rating = RatedPoints(*task);
        if (m_bEvaluationActive) {
            task->m_nResult = static_cast<std::int16_t>(rating);
            UpdateTaskRow(row);
            SetViewMode(ModeRating, true);
            SelectTask(-1);
            return;
        }
        if (rating >= 0) {
            CountAnswer(*task, rating);
            const int grade = task->m_nType == TaskTypeMultipleChoice ? GradeOfPoints(rating, p)
                              : m_nAssessChoice == AssessRight        ? GradeRight
                              : m_nAssessChoice == AssessWrong        ? GradeWrong
                                                                      : GradePartly;
            ReportAnswer(*task, grade, rating, AnswerKind::Practice);
        }
        LayOut();
        UpdateTaskRow(row);
        SetViewMode(ModeQuestion);
        SelectTask(-1);
        return;
    }
    default: return;
    }
}

void cQuery::OnSkip()
{
    if (m_nMode < ModeQuestion || m_nMode > ModeRating || !CurrentTask())
        return;
    cBatch batch(*this);
    SetViewMode(ModeQuestion);
    SelectTask(-1);
}

void cQuery::RefreshAllRows()
{
    for (int row = 0; row < RowCount(); ++row)
        UpdateTaskRow(row);
    Notify(ChangeRows);
}

void cQuery::OnResetStatistics()
{
    cBatch batch(*this);
    if (Ask(401, std::string()) != ResultYes)
        return;
    m_doc.RecordStatisticsReset(Cp1252FromUtf8("Statistik zurücksetzen"));
    Data().ResetStatistics();
    if (m_pObserver)
        m_pObserver->OnStatisticsReset();
    RefreshAllRows();
    m_rows.MarkAllReset();
}

void cQuery::OnBack()
{
    cBatch batch(*this);
    switch (m_nMode) {
    case ModeQuestion:
    case ModeResult:
    case ModeRating:
        SetViewMode(ModeTaskList);
        return;
    case ModeTaskList:
        if (m_bExamActive)
            (void)Ask(304, std::string());
        else if (m_bEvaluationActive)
            (void)Ask(305, std::string());
        else
            SetViewMode(ModeOverview);
        return;
    default: return;
    }
}

void cQuery::OnEditTaskAccepted()
{
    const cTask* task = CurrentTask();
    if (!task)
        return;
    cBatch batch(*this);
    m_doc.CommitEdit("Aufgabe " + task->m_strTaskNo + " bearbeiten");
    if (m_bSearching)
        m_search.Index(Data());
    UpdateTaskRow(m_nCurrentRow);
    if (m_nMode < ModeQuestion || m_nMode > ModeRating)
        return;
    // The screen shows the edited task at once, in the same mode; the answer typed so far
    // and the rating chosen stay, unless the points list no longer fits the task.
    if (m_nMode == ModeRating) {
        const std::vector<std::string> entries = m_aPointsEntries;
        const int selection = m_nPointsSelection;
        FillPointsList(*task);
        if (m_aPointsEntries == entries)
            m_nPointsSelection = selection;
    }
    LayOut();
}

// --- input -----------------------------------------------------------------------------

void cQuery::SetAnswerText(std::string text)
{
    m_strAnswerText = std::move(text);
}

void cQuery::OnTickRow(int i)
{
    if (m_nMode != ModeQuestion || m_bEvaluationActive || i < 0 || i >= kTaskSlots)
        return;
    cBatch batch(*this);
    m_bTicks[i] = !m_bTicks[i];
    Notify(ChangeTicks);
}

void cQuery::SetTicks(unsigned mask)
{
    if (m_nMode != ModeQuestion || m_bEvaluationActive)
        return;
    cBatch batch(*this);
    for (int i = 0; i < kTaskSlots; ++i)
        m_bTicks[i] = (mask >> i & 1u) != 0;
    Notify(ChangeTicks);
}

void cQuery::SetAssessChoice(int choice)
{
    if (choice < AssessNone || choice > AssessWrong)
        return;
    cBatch batch(*this);
    m_nAssessChoice = choice;
    Notify(ChangeAssessment);
}

void cQuery::OnPartialPoints(int entry)
{
    if (entry < 0 || entry >= static_cast<int>(m_aPointsEntries.size()))
        return;
    cBatch batch(*this);
    m_nPointsSelection = entry;
    m_nAssessChoice = AssessPartly;
    Notify(ChangeAssessment);
}

void cQuery::SetSelectionMark(int row)
{
    m_nSelectionMark = row >= 0 && row < RowCount() ? row : -1;
}
