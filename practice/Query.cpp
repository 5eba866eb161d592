#include "practice/Query.h"

#include "data/Cp1252.h"
#include "data/Document.h"
#include "data/Number.h"
#include "practice/Media.h"
#include "practice/QueryBatch.h"
#include "practice/TaskList.h"
#include "practice/Verdict.h"
#include "shell/Message.h"
#include "shell/Settings.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <ctime>
#include <numeric>
#include <random>
#include <string_view>

namespace {

const std::string& OverviewHeading()
{
    static const std::string heading = Cp1252FromUtf8(
        "Fragebogenübersicht (Doppelklicken Sie mit der linken Maustaste auf einen "
        "Fragebogen, um ihn zu öffnen)");
    return heading;
}

std::string FillTemplate(const std::string& pattern, const cTask& task, bool questionFirst)
{
    if (questionFirst)
        return ReplaceAll(ReplaceAll(pattern, "{frage}", task.m_strQuestion), "{antwort}",
                          task.m_strSolution);
    return ReplaceAll(ReplaceAll(pattern, "{antwort}", task.m_strSolution), "{frage}",
                      task.m_strQuestion);
}

// The counter slot of a point value; values beyond the last slot use the last one.
int Slot(int points)
{
    return std::clamp(points, 0, kTaskSlots - 1);
}

cLocalTime SystemNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    cLocalTime t;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    return t;
}

} // namespace

cQuery::cQuery(cDocument& doc, const cSettings& settings, cQueryHost& host)
    : m_doc(doc), m_settings(settings), m_host(host), m_strProgramDir(ProgramDirectory()),
      m_clock(SystemNow)
{
    const auto seed = static_cast<std::uint_fast32_t>(
        std::chrono::system_clock::now().time_since_epoch().count());
    m_random = [engine = std::minstd_rand(seed)]() mutable {
        return static_cast<int>(engine() & 0x7FFFFFFF);
    };
}

cQuery::~cQuery()
{
    if (m_pPlayer && m_bSoundOpen) {
        m_pPlayer->Stop();
        m_pPlayer->Close();
    }
}

void cQuery::SetSoundPlayer(cSoundPlayer* player)
{
    CloseSound();
    m_pPlayer = player;
}

void cQuery::SetProgramDir(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    m_strProgramDir = std::move(dir);
}

void cQuery::SetClock(std::function<cLocalTime()> clock)
{
    m_clock = clock ? std::move(clock) : std::function<cLocalTime()>(SystemNow);
}

void cQuery::SetRandom(std::function<int()> random)
{
    if (random)
        m_random = std::move(random);
}

// --- helpers ---------------------------------------------------------------------------

cTrainingData& cQuery::Data()
{
    return m_doc.m_data;
}

const cTrainingData& cQuery::Data() const
{
    return m_doc.m_data;
}

cTask* cQuery::TaskPtr(int row)
{
    if (row < 0 || row >= static_cast<int>(m_aRows.size()))
        return nullptr;
    const std::uint32_t index = m_aRows[row];
    return index < Data().m_aTasks.size() ? &Data().m_aTasks[index] : nullptr;
}

const cTask* cQuery::TaskPtr(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_aRows.size()))
        return nullptr;
    const std::uint32_t index = m_aRows[row];
    return index < Data().m_aTasks.size() ? &Data().m_aTasks[index] : nullptr;
}

void cQuery::Notify(unsigned what)
{
    m_nPending |= what;
    if (m_nBatchDepth == 0)
        Flush();
}

void cQuery::Flush()
{
    while (m_nPending != 0 || !m_aPendingRows.empty()) {
        const unsigned what = m_nPending;
        std::vector<int> rows;
        rows.swap(m_aPendingRows);
        m_nPending = 0;
        if ((what & ChangeRows) == 0) {
            std::sort(rows.begin(), rows.end());
            rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
            for (const int row : rows)
                m_host.RowChanged(row);
        }
        if (what != 0)
            m_host.Changed(what);
    }
}

int cQuery::Ask(int id, const std::string& param)
{
    // The window behind the box shows the state the question is about.
    Flush();
    return ShowMessage(id, param);
}

bool cQuery::QuestionnaireValid(int k) const
{
    return k >= 0 && k < static_cast<int>(Data().m_aQuestionnaires.size());
}

int cQuery::Random()
{
    const int value = m_random();
    return value < 0 ? -(value + 1) : value;
}

cLocalTime cQuery::Now() const
{
    return m_clock();
}

int cQuery::CurrentQuestionnaire() const
{
    return m_doc.m_nCurQuestionnaire;
}

bool cQuery::HasCurrentQuestionnaire() const
{
    return QuestionnaireValid(m_doc.m_nCurQuestionnaire);
}

cTask* cQuery::CurrentTask()
{
    return TaskPtr(m_nCurrentRow);
}

const cTask* cQuery::CurrentTask() const
{
    return TaskPtr(m_nCurrentRow);
}

// --- start-up and opening --------------------------------------------------------------

void cQuery::InitialUpdate()
{
    cBatch batch(*this);
    Notify(ChangeColumns | ChangeQuestionnaires);
    SetViewMode(ModeOverview, true);
    if (QuestionnaireValid(0))
        LoadQuestionnaire(0);
}

void cQuery::LoadQuestionnaire(int k)
{
    if (!QuestionnaireValid(k))
        return;
    cBatch batch(*this);
    m_doc.m_nCurQuestionnaire = k;
    const cQuestionnaire& q = Data().m_aQuestionnaires[k];
    m_strLoadedTitle = q.m_strTitle;
    m_aRows.clear();
    m_aResetRows.clear();
    m_aRows.reserve(q.m_aTaskIndex.size());
    for (const std::uint32_t index : q.m_aTaskIndex)
        if (index < Data().m_aTasks.size())
            m_aRows.push_back(index);
    if (m_bSearching)
        RebaseSearch();
    Notify(ChangeRows); // the whole list is new; no single-row notifications
    for (int row = 0; row < static_cast<int>(m_aRows.size()); ++row)
        UpdateTaskRow(row);
    const int rows = RowCount();
    if (m_nCurrentRow >= rows)
        m_nCurrentRow = rows > 0 ? 0 : -1;
    if (m_nSelectionMark >= rows)
        m_nSelectionMark = m_nCurrentRow;
    // Loading names the questionnaire in the heading without laying the view out; the
    // next change of mode puts that mode's heading in place.
    m_strHeading = "Fragebogen '" + q.m_strTitle + "'";
    Notify(ChangeRows | ChangeRow | ChangeQuestionnaires | ChangeTexts);
}

void cQuery::OpenQuestionnaire(int k)
{
    if (!QuestionnaireValid(k))
        return;
    cBatch batch(*this);
    if (k != m_doc.m_nCurQuestionnaire && (m_bExamActive || m_bEvaluationActive)) {
        (void)Ask(m_bExamActive ? 304 : 305, std::string());
        return;
    }
    LoadQuestionnaire(k);
    SetViewMode(ModeTaskList);
    m_nCurrentRow = m_aRows.empty() ? -1 : 0;
    m_nSelectionMark = m_nCurrentRow;
    Notify(ChangeRow);
}

void cQuery::OpenFromOverview(int k)
{
    if (!QuestionnaireValid(k))
        return;
    if (k != m_doc.m_nCurQuestionnaire)
        m_bSortAscending = false;
    OpenQuestionnaire(k);
}

void cQuery::StartAt(int row)
{
    if (row < 0 || row >= RowCount())
        return;
    cBatch batch(*this);
    SelectTask(row);
    SetViewMode(m_bEvaluationActive ? ModeRating : ModeQuestion);
    // Changing the mode stops the sound that SelectTask has just started; a task opened
    // from the list plays its sound like every other task.
    if (m_bSoundOpen)
        StartSound();
}

void cQuery::StartQuery()
{
    if (RowCount() == 0)
        return;
    cBatch batch(*this);
    m_nCurrentRow = -1;
    SelectTask(-1);
    SetViewMode(m_bEvaluationActive ? ModeRating : ModeQuestion);
    if (m_bSoundOpen)
        StartSound();
}

// --- task selection --------------------------------------------------------------------

namespace {

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
    const std::uint32_t* const rowTask = m_aRows.data();
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
    if (start == -1) {
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

// --- modes and layout ------------------------------------------------------------------

void cQuery::SetViewMode(int mode, bool force)
{
    if (mode == ModeNone)
        return;
    if (mode == m_nMode && !force)
        return;
    cBatch batch(*this);
    if (mode < ModeOverview || mode > ModeRating) {
        (void)Ask(102, FormatNumber(mode, 0));
        return;
    }
    if (mode != m_nMode)
        StopSound();
    m_nMode = mode;
    LayOut();
    Notify(ChangeMode);
}

void cQuery::FillPointsList(const cTask& task)
{
    m_aPointsEntries.clear();
    if (task.m_nType != TaskTypeMultipleChoice && task.m_nPoints > 1)
        for (int k = 1; k < task.m_nPoints; ++k)
            m_aPointsEntries.push_back(PointsEntryText(k));
    m_nPointsSelection = m_aPointsEntries.empty() ? -1 : 0;
}

void cQuery::LayOut()
{
    cBatch batch(*this);
    Notify(ChangeMode | ChangeTexts | ChangeAssessment | ChangeTicks | ChangeRow);
    switch (m_nMode) {
    case ModeOverview:
        m_presetKey.fill(0);
        m_strHeading = OverviewHeading();
        m_strAnswerText.clear();
        return;
    case ModeTaskList:
        m_presetKey.fill(0);
        m_strHeading = "Fragebogen '" + m_strLoadedTitle +
                       "' (Doppelklicken Sie auf eine Zeile, um die Abfrage an dieser Stelle "
                       "zu starten)";
        return;
    case ModeQuestion:
    case ModeResult:
    case ModeRating: {
        if (m_nCurrentRow < 0 || RowCount() == 0) {
            (void)Ask(109, "-1");
            return;
        }
        if (m_nCurrentRow >= RowCount())
            m_nCurrentRow = 0;
        // A repeated layout of the same screen (a resized window) keeps what the user
        // has chosen; only a new task, mode or check presets the rating controls again.
        const std::array<int, 5> presetKey = {m_nCurrentRow, m_nMode, m_nCheckCount,
                                              m_bEvaluationActive ? 1 : 0,
                                              TaskOfRow(m_nCurrentRow)};
        m_bPresetDue = presetKey != m_presetKey;
        m_presetKey = presetKey;
        if (m_nMode == ModeRating && m_bPresetDue)
            FillPointsList(*CurrentTask());
        ShowQuestion();
        return;
    }
    default:
        (void)Ask(102, FormatNumber(m_nMode, 0));
        return;
    }
}

void cQuery::ShowQuestion()
{
    if (m_nCurrentRow >= RowCount())
        m_nCurrentRow = 0;
    const cTask* task = CurrentTask();
    if (!task)
        return;
    const cTrainingData& data = Data();
    const bool asking = m_nMode == ModeQuestion;
    std::string pattern = asking ? data.m_strQuestionTemplate : data.m_strRightTemplate;
    // An empty template would leave the screen blank: show the question, or the solution.
    if (pattern.empty())
        pattern = asking ? "{frage}" : "{antwort}";

    if ((m_nMode == ModeResult || m_nMode == ModeRating) && m_bPresetDue) {
        if (m_bEvaluationActive) {
            const int r = task->m_nResult;
            const int p = task->m_nPoints;
            if (r == p) {
                m_nAssessChoice = AssessRight;
            } else if (r == 0) {
                m_nAssessChoice = AssessWrong;
            } else if (r >= 1 && r < p) {
                m_nAssessChoice = AssessPartly;
                if (r - 1 < static_cast<int>(m_aPointsEntries.size()))
                    m_nPointsSelection = r - 1;
            } else {
                m_nAssessChoice = AssessNone;
            }
        } else if (m_nLastVerdict == 2) {
            m_nAssessChoice = AssessRight;
        } else if (m_nLastVerdict == 1) {
            m_nAssessChoice = AssessPartly;
        } else if (m_nLastVerdict == 0) {
            m_nAssessChoice = AssessWrong;
        }
    }

    const std::string filled = FillTemplate(pattern, *task, true);
    std::string pointsText;
    const int k = m_doc.m_nCurQuestionnaire;
    if (QuestionnaireValid(k) && data.m_aQuestionnaires[k].m_nExamSeconds >= 0) {
        if (task->m_nPoints == 1)
            pointsText = "     (1 Punkt)";
        else if (task->m_nPoints > 1)
            pointsText = "     ( " + std::to_string(task->m_nPoints) + " Punkte)";
    }
    m_strHeading = "Aufgabe Nr.: " + task->m_strTaskNo + std::string(25, ' ') +
                   task->m_strCategory + pointsText;
    if (m_nMode == ModeQuestion || m_nMode == ModeRating)
        m_strResultText = filled;
    m_nSelectionMark = m_nCurrentRow;
}

bool cQuery::AnswerReadOnly() const
{
    return m_nMode != ModeQuestion;
}

bool cQuery::Tick(int i) const
{
    return i >= 0 && i < kTaskSlots && m_bTicks[i];
}

std::string cQuery::ChoiceText(int i) const
{
    const cTask* task = CurrentTask();
    if (!task || i < 0 || i >= std::min<int>(task->m_nChoiceCount, kTaskSlots))
        return std::string();
    return task->m_strChoice[i];
}

cScreen cQuery::Screen() const
{
    cScreen s;
    s.heading = m_nMode >= ModeOverview && m_nMode <= ModeRating;
    s.examBar = m_bExamActive;
    if (m_nMode == ModeOverview) {
        s.questionnaireList = true;
        return s;
    }
    if (m_nMode == ModeTaskList) {
        s.taskList = true;
        return s;
    }
    const cTask* task = CurrentTask();
    if (m_nMode < ModeQuestion || m_nMode > ModeRating || !task)
        return s;
    s.resultText = true;
    s.ok = true;
    s.edit = !m_bExamActive;
    s.play = s.pause = !task->m_strSound.empty();
    s.picture = !task->m_strPicture.empty();
    if (task->m_nChoiceCount >= 1 && task->m_nChoiceCount <= kViewChoiceRows) {
        s.choiceRows = task->m_nChoiceCount;
        const bool answering = m_nMode == ModeQuestion && !m_bEvaluationActive;
        for (int i = 0; i < s.choiceRows; ++i) {
            if (answering) {
                s.tickIcon[i] = m_bTicks[i] ? TickIconOn : TickIconOff;
            } else {
                const bool ticked = task->m_bChoiceTicked[i];
                const bool right = task->m_bChoiceRight[i];
                s.tickIcon[i] = ticked && right ? TickIconTickedRight
                                : ticked       ? TickIconTickedWrong
                                : right        ? TickIconMissed
                                               : TickIconNeither;
            }
        }
    } else {
        s.answerField = true;
    }
    s.answerReadOnly = m_nMode != ModeQuestion;
    switch (m_nMode) {
    case ModeQuestion:
        s.skip = true;
        s.showSolution = !m_bExamActive;
        break;
    case ModeResult:
        s.rightMark = m_nLastVerdict == 1 || m_nLastVerdict == 2;
        s.wrongMark = m_nLastVerdict == 0;
        break;
    case ModeRating:
        if (task->m_nType == TaskTypeMultipleChoice) {
            const bool right = task->CheckAnswer(false, false, false) != VerdictWrong;
            s.rightMark = right;
            s.wrongMark = !right;
        } else {
            s.radioRight = true;
            s.radioWrong = true;
            s.radioPartly = s.pointsList = task->m_nPoints > 1;
        }
        break;
    default: break;
    }
    return s;
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
        m_strVerdictText = VerdictText(verdict, m_strAnswerText, *task, data);
        m_strResultText = m_strVerdictText;
        m_nLastVerdict = LastVerdictFor(verdict);
        if (task->m_bSelfAssess) {
            SetViewMode(ModeRating);
        } else if (verdict != VerdictWrong) {
            CountAnswer(*task, p);
            SetViewMode(ModeResult);
        } else {
            if (m_settings.m_bBeepOnWrong != 0)
                m_host.Beep();
            CountAnswer(*task, 0);
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
        if (rating >= 0)
            CountAnswer(*task, rating);
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

void cQuery::OnShowSolution()
{
    const cTask* task = CurrentTask();
    if (!task || m_nMode != ModeQuestion || m_bExamActive)
        return;
    cBatch batch(*this);
    m_nLastVerdict = -1;
    SetViewMode(ModeResult);
    const std::string& pattern = Data().m_strRightTemplate;
    m_strResultText = FillTemplate(pattern.empty() ? std::string("{antwort}") : pattern, *task, false);
    LayOut();
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
    RefreshAllRows();
    // Every row's first column reads " 0 /  0 /  0" until the row is refreshed again; only
    // a statistics column takes that text, any other first column keeps its own.
    if (ColumnKind(0) == ColumnStatistics)
        m_aResetRows.assign(m_aRows.size(), true);
}

bool cQuery::RowShowsReset(int row) const
{
    return row >= 0 && row < static_cast<int>(m_aResetRows.size()) && m_aResetRows[row];
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

// --- sound and picture -----------------------------------------------------------------

void cQuery::CloseSound()
{
    if (m_pPlayer && m_bSoundOpen) {
        m_pPlayer->Stop();
        m_pPlayer->Close();
    }
    m_bSoundOpen = false;
    m_bSoundPaused = false;
}

void cQuery::OpenSound(const std::string& soundText)
{
    CloseSound();
    if (!m_pPlayer)
        return;
    const std::string name = SoundFileName(soundText);
    if (name.empty())
        return;
    const std::string path = MediaPath(m_strProgramDir, name);
    if (!FileReadable(path))
        return;
    m_bSoundOpen = m_pPlayer->Open(path);
}

void cQuery::StartSound()
{
    if (!m_pPlayer || !m_bSoundOpen)
        return;
    if (!m_bSoundPaused) {
        m_pPlayer->Stop();
        m_pPlayer->SetVolume(1000);
    } else {
        m_bSoundPaused = false;
    }
    if (m_pPlayer->CanPlay())
        m_pPlayer->Play();
}

void cQuery::StopSound()
{
    if (m_pPlayer && m_bSoundOpen)
        m_pPlayer->Stop();
    m_bSoundPaused = false;
}

void cQuery::OnPlaySound()
{
    StartSound();
}

void cQuery::OnPauseSound()
{
    if (!m_pPlayer || !m_bSoundOpen)
        return;
    if (m_bSoundPaused) {
        if (m_pPlayer->CanPlay())
            m_pPlayer->Play();
    } else {
        m_pPlayer->Pause();
    }
    m_bSoundPaused = !m_bSoundPaused;
}

std::string cQuery::PicturePath() const
{
    const cTask* task = CurrentTask();
    if (!task || task->m_strPicture.empty())
        return std::string();
    return MediaPath(m_strProgramDir, task->m_strPicture);
}

// --- exam ------------------------------------------------------------------------------

bool cQuery::CanExamStart() const
{
    return Data().m_nTimedCount != 0 && !m_bExamActive && !m_bEvaluationActive;
}

bool cQuery::CanExamEnd() const
{
    return Data().m_nTimedCount != 0 && m_bExamActive;
}

bool cQuery::CanEvaluationEnd() const
{
    return Data().m_nTimedCount != 0 && m_bEvaluationActive;
}

void cQuery::OnExamStart()
{
    if (!CanExamStart())
        return;
    cBatch batch(*this);
    std::vector<int> candidates;
    const auto& questionnaires = Data().m_aQuestionnaires;
    for (int i = 0; i < static_cast<int>(questionnaires.size()); ++i)
        if (questionnaires[i].m_nExamSeconds != -1)
            candidates.push_back(i);
    if (candidates.empty()) {
        // The count of timed questionnaires is taken when the file is read; after the
        // editor removed them there is nothing left to examine.
        (void)Ask(303, std::string());
        return;
    }
    int n = Random() % std::max(1, static_cast<int>(Data().m_nTimedCount));
    if (n >= static_cast<int>(candidates.size()))
        n %= static_cast<int>(candidates.size());
    const int chosen = candidates[n];
    m_doc.m_nCurQuestionnaire = chosen;
    Notify(ChangeQuestionnaires);
    const std::int32_t limit = questionnaires[chosen].m_nExamSeconds;
    if (limit < 0) {
        (void)Ask(303, std::string());
    } else {
        m_examBar = cExamBar();
        PrepareExamBar(limit, m_examBar);
        Notify(ChangeExamBar);
        (void)Ask(301, std::string());
        // An exam starts blank: answers, ticks and ratings left from practice or an
        // earlier exam would count without anything typed now.
        for (const std::uint32_t index : questionnaires[chosen].m_aTaskIndex) {
            if (index >= Data().m_aTasks.size())
                continue;
            cTask& task = Data().m_aTasks[index];
            task.m_strAnswer.clear();
            task.m_bChoiceTicked.fill(false);
            task.m_nResult = -1;
        }
        m_nExamStart = ExamTimeStamp(Now());
        m_bExamActive = true;
        Notify(ChangeExamState | ChangeExamBar | ChangeMode);
    }
    LoadQuestionnaire(chosen);
    SetViewMode(ModeTaskList);
}

void cQuery::ExpireExam()
{
    // What is typed in the answer field when the time runs out is the answer given.
    if (m_nMode == ModeQuestion)
        if (cTask* task = CurrentTask())
            StoreAnswerInTask(*task);
    m_bExamActive = false;
    m_bEvaluationActive = true;
    Notify(ChangeExamState | ChangeMode);
    // Every row shows its rating from now on; multiple-choice tasks are rated at once.
    RefreshAllRows();
    (void)Ask(302, std::string());
    LayOut();
    SetViewMode(m_nMode, true);
}

void cQuery::OnTimer()
{
    if (!m_bExamActive)
        return;
    const int k = m_doc.m_nCurQuestionnaire;
    if (!QuestionnaireValid(k))
        return;
    cBatch batch(*this);
    const int elapsed = ExamElapsedSeconds(m_nExamStart, ExamTimeStamp(Now()));
    const std::int32_t limit = Data().m_aQuestionnaires[k].m_nExamSeconds;
    CountdownBar(limit, elapsed, m_examBar);
    Notify(ChangeExamBar);
    if (limit > 0 && elapsed >= limit)
        ExpireExam();
}

void cQuery::OnExamEnd()
{
    if (!m_bExamActive)
        return;
    cBatch batch(*this);
    if (Ask(403, std::string()) != ResultYes)
        return;
    if (m_bExamActive && m_nMode == ModeQuestion)
        if (cTask* task = CurrentTask())
            StoreAnswerInTask(*task);
    m_bExamActive = false;
    m_bEvaluationActive = true;
    Notify(ChangeExamState | ChangeMode);
    SetViewMode(ModeTaskList);
    LoadQuestionnaire(m_doc.m_nCurQuestionnaire);
}

void cQuery::OnEvaluationEnd()
{
    if (!m_bEvaluationActive)
        return;
    cBatch batch(*this);
    bool allRated = true;
    for (int row = 0; row < RowCount(); ++row)
        if (const cTask* task = TaskPtr(row); task && task->m_nResult == -1)
            allRated = false;
    int answer = ResultYes;
    if (allRated) {
        if (Ask(404, std::string()) != ResultYes)
            return;
    } else {
        answer = Ask(405, std::string());
        if (answer != ResultYes && answer != ResultNo)
            return;
    }
    m_bExamActive = false;
    m_bEvaluationActive = false;
    Notify(ChangeExamState | ChangeMode);
    SetViewMode(ModeOverview);
    long long achieved = 0;
    for (int row = 0; row < RowCount(); ++row) {
        cTask* task = TaskPtr(row);
        if (!task)
            continue;
        if (task->m_nResult == -1)
            task->m_nResult = answer == ResultYes ? 0 : static_cast<std::int16_t>(task->m_nPoints);
        achieved += task->m_nResult;
    }
    RefreshAllRows();
    std::int32_t pass = 0;
    std::int32_t retake = 0;
    if (HasCurrentQuestionnaire()) {
        const cQuestionnaire& q = Data().m_aQuestionnaires[m_doc.m_nCurQuestionnaire];
        pass = static_cast<std::int32_t>(q.m_nPassPoints);
        retake = static_cast<std::int32_t>(q.m_nRetakePoints);
    }
    m_examVerdict = ExamVerdict(
        static_cast<std::int32_t>(std::clamp<long long>(achieved, INT32_MIN, INT32_MAX)), pass,
        retake);
    Flush();
    (void)MessagePresenter().Present(m_examVerdict.caption, m_examVerdict.text, StyleOk);
}

// --- lists -----------------------------------------------------------------------------

int cQuery::RowCount() const
{
    return static_cast<int>(m_aRows.size());
}

int cQuery::TaskOfRow(int row) const
{
    if (row < 0 || row >= RowCount())
        return -1;
    return static_cast<int>(m_aRows[row]);
}

const std::vector<std::uint32_t>& cQuery::RowTasks() const
{
    return m_aRows;
}

int cQuery::ColumnCount() const
{
    const cTrainingData& data = Data();
    return static_cast<int>(std::min({data.m_aColumnTitle.size(), data.m_aColumnWidth.size(),
                                      data.m_aColumnKind.size()}));
}

std::string cQuery::ColumnTitle(int column) const
{
    return column >= 0 && column < ColumnCount() ? Data().m_aColumnTitle[column] : std::string();
}

int cQuery::ColumnWidth(int column) const
{
    if (column < 0 || column >= ColumnCount())
        return 0;
    return static_cast<int>(std::min<std::uint32_t>(Data().m_aColumnWidth[column], INT_MAX));
}

std::uint32_t cQuery::ColumnKind(int column) const
{
    return column >= 0 && column < ColumnCount() ? Data().m_aColumnKind[column] : UINT32_MAX;
}

std::string cQuery::CellText(int row, int column) const
{
    const cTask* task = TaskPtr(row);
    if (!task)
        return std::string();
    const std::uint32_t kind = ColumnKind(column);
    if (kind == ColumnStatistics) {
        if (m_bEvaluationActive)
            return EvaluationText(*task);
        if (m_bExamActive)
            return std::string();
        if (column == 0 && RowShowsReset(row))
            return " 0 /  0 /  0";
    }
    return TaskCellText(*task, kind);
}

int cQuery::RowImage(int row) const
{
    const cTask* task = TaskPtr(row);
    if (!task)
        return ImageUnanswered;
    if (m_bEvaluationActive)
        return EvaluationImage(*task);
    if (m_bExamActive)
        return HasExamAnswer(*task) ? ImageExamAnswered : ImageExamUnanswered;
    return StatisticsImage(*task);
}

void cQuery::UpdateTaskRow(int row)
{
    cTask* task = TaskPtr(row);
    if (!task)
        return;
    if (m_bEvaluationActive && task->m_nType == TaskTypeMultipleChoice)
        task->m_nResult = static_cast<std::int16_t>(task->CheckAnswer(false, false, false) *
                                                    task->m_nPoints / VerdictRight);
    if (RowShowsReset(row))
        m_aResetRows[row] = false;
    if ((m_nPending & ChangeRows) == 0)
        m_aPendingRows.push_back(row);
    if (m_nBatchDepth == 0)
        Flush();
}

void cQuery::OnColumnClick(int column)
{
    if (column < 0 || column >= ColumnCount())
        return;
    if (column == m_nSortColumn) {
        m_bSortAscending = !m_bSortAscending;
    } else {
        m_nSortColumn = column;
        m_bSortAscending = true;
    }
    SortTaskList(column, m_bSortAscending);
}

void cQuery::SortTaskList(int column, bool ascending)
{
    if (column < 0 || column >= ColumnCount())
        return;
    cBatch batch(*this);
    const std::uint32_t kind = ColumnKind(column);
    const int rows = RowCount();

    // All keys go into one buffer. Keys often begin alike (a question template, padded
    // numbers), so each entry carries the eight bytes that follow the prefix common to all
    // keys as a big-endian number (zero-padded): when those differ they order the keys
    // exactly as a byte-wise comparison would, so most comparisons never touch the buffer.
    struct cEntry {
        std::uint64_t head;
        std::uint32_t offset;
        std::uint32_t length;
        int row;
    };
    std::string buffer;
    buffer.reserve(static_cast<std::size_t>(rows) * 16);
    std::vector<cEntry> entries(static_cast<std::size_t>(rows));
    const bool fieldKind = kind == ColumnTaskNo || kind == ColumnQuestion ||
                           kind == ColumnSolution || kind == ColumnPattern ||
                           kind == ColumnCategory;
    for (int row = 0; row < rows; ++row) {
        const std::size_t offset = buffer.size();
        const cTask* task = TaskPtr(row);
        if (fieldKind && task) // the cell is the field itself; no copy of the text
            AppendSortKey(FieldText(*task, kind), kind, ascending, buffer);
        else
            AppendSortKey(CellText(row, column), kind, ascending, buffer);
        entries[row] = {0, static_cast<std::uint32_t>(offset),
                        static_cast<std::uint32_t>(buffer.size() - offset), row};
    }
    auto key = [&buffer](const cEntry& entry) {
        return std::string_view(buffer.data() + entry.offset, entry.length);
    };
    std::size_t common = entries.empty() ? 0 : entries[0].length;
    for (const cEntry& entry : entries) {
        const std::string_view first = key(entries[0]);
        const std::string_view other = key(entry);
        std::size_t k = 0;
        const std::size_t limit = std::min(common, other.size());
        while (k < limit && first[k] == other[k])
            ++k;
        common = k;
    }
    for (cEntry& entry : entries) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data() + entry.offset);
        for (std::size_t k = common; k < common + 8; ++k)
            entry.head = entry.head << 8 | (k < entry.length ? bytes[k] : 0u);
    }
    // Equal keys keep their order (the row position breaks ties).
    std::sort(entries.begin(), entries.end(), [&](const cEntry& a, const cEntry& b) {
        int c = a.head < b.head   ? -1
                : a.head > b.head ? 1
                                  : key(a).substr(common).compare(key(b).substr(common));
        if (c != 0)
            return ascending ? c < 0 : c > 0;
        return a.row < b.row;
    });
    std::vector<int> order(static_cast<std::size_t>(rows));
    for (int pos = 0; pos < rows; ++pos)
        order[pos] = entries[pos].row;
    std::vector<std::uint32_t> sorted(rows);
    std::vector<bool> resetRows(m_aResetRows.empty() ? 0 : rows);
    int current = -1;
    int mark = -1;
    for (int pos = 0; pos < rows; ++pos) {
        sorted[pos] = m_aRows[order[pos]];
        if (!resetRows.empty())
            resetRows[pos] = RowShowsReset(order[pos]);
        if (order[pos] == m_nCurrentRow)
            current = pos;
        if (order[pos] == m_nSelectionMark)
            mark = pos;
    }
    m_aRows.swap(sorted);
    m_aResetRows.swap(resetRows);
    if (m_nCurrentRow >= 0 && m_nCurrentRow < rows)
        m_nCurrentRow = current;
    if (m_nSelectionMark >= 0 && m_nSelectionMark < rows)
        m_nSelectionMark = mark;
    Notify(ChangeRows | ChangeRow);
}

int cQuery::OverviewCount() const
{
    const int count = static_cast<int>(Data().m_aQuestionnaires.size());
    if (count == 0)
        return 0;
    return Data().m_bShowAll ? count : count - 1;
}

std::string cQuery::OverviewTitle(int row) const
{
    return row >= 0 && row < OverviewCount() ? Data().m_aQuestionnaires[row].m_strTitle
                                              : std::string();
}

int cQuery::OverviewIcon(int row) const
{
    return row >= 0 && row < OverviewCount() ? Data().m_aQuestionnaires[row].m_nIcon : 0;
}

// --- editor ----------------------------------------------------------------------------

cTask cQuery::NewTaskProposal() const
{
    return ::NewTaskProposal(Data());
}

void cQuery::ShowTaskAgainOrList(int shownTask)
{
    if (m_nMode < ModeQuestion || m_nMode > ModeRating)
        return;
    // The rows were rebuilt; a question screen whose row now holds another task would
    // check the answer against the wrong task, so it goes back to the list then.
    if (shownTask < 0 || TaskOfRow(m_nCurrentRow) != shownTask)
        SetViewMode(ModeTaskList);
}

void cQuery::AddNewTask(const cTask& task)
{
    cBatch batch(*this);
    cTrainingData& data = Data();
    m_doc.BeginEdit();
    if (data.m_aQuestionnaires.empty()) {
        cQuestionnaire all;
        all.m_strTitle = kAllTasksTitle;
        for (std::uint32_t i = 0; i < data.m_aTasks.size(); ++i)
            all.m_aTaskIndex.push_back(i);
        data.m_aQuestionnaires.push_back(all);
    }
    data.m_aTasks.push_back(task);
    data.m_aQuestionnaires.back().m_aTaskIndex.push_back(
        static_cast<std::uint32_t>(data.m_aTasks.size() - 1));
    m_doc.CommitEdit("Aufgabe " + task.m_strTaskNo + " anlegen");
    Notify(ChangeQuestionnaires);
    if (HasCurrentQuestionnaire()) {
        const int shown = TaskOfRow(m_nCurrentRow);
        LoadQuestionnaire(m_doc.m_nCurQuestionnaire);
        ShowTaskAgainOrList(shown);
        // Loading names the questionnaire in the heading; the overview keeps its own.
        if (m_nMode == ModeOverview)
            LayOut();
    }
}

void cQuery::OnDeleteTask()
{
    if (!CurrentTask())
        return;
    cBatch batch(*this);
    if (Ask(402, std::string()) != ResultYes)
        return;
    cTask* task = TaskPtr(m_nSelectionMark);
    if (!task) {
        (void)Ask(108, std::string());
        return;
    }
    const std::uint32_t deleted = m_aRows[m_nSelectionMark];
    m_doc.BeginEdit();
    const std::string label = "Aufgabe " + task->m_strTaskNo + Cp1252FromUtf8(" löschen");
    Data().DeleteTask(task);
    m_doc.CommitEdit(label);

    // Rows refer to tasks by index: every row of the deleted task goes, later tasks
    // move up by one. The current position stays where it was in the list.
    std::vector<std::uint32_t> rows;
    std::vector<bool> resetRows;
    rows.reserve(m_aRows.size());
    int removedBefore = 0;
    for (int row = 0; row < RowCount(); ++row) {
        const std::uint32_t index = m_aRows[row];
        if (index == deleted) {
            if (row < m_nCurrentRow)
                ++removedBefore;
            continue;
        }
        rows.push_back(index > deleted ? index - 1 : index);
        if (!m_aResetRows.empty())
            resetRows.push_back(RowShowsReset(row));
    }
    m_aRows.swap(rows);
    m_aResetRows.swap(resetRows);
    const int count = RowCount();
    m_nCurrentRow = count == 0 ? -1 : std::max(0, m_nCurrentRow - removedBefore);
    if (m_nCurrentRow >= count)
        m_nCurrentRow = count == 0 ? -1 : 0;
    m_nSelectionMark = m_nCurrentRow;
    Notify(ChangeRows | ChangeRow);
    if (m_nMode >= ModeQuestion && m_nMode <= ModeRating) {
        if (count == 0)
            SetViewMode(ModeTaskList);
        else
            SelectTask(m_nCurrentRow);
    }
}

void cQuery::OnNewQuestionnaire()
{
    cBatch batch(*this);
    // The exam runs on the current questionnaire; it must not change under it.
    if (m_bExamActive || m_bEvaluationActive) {
        (void)Ask(m_bExamActive ? 304 : 305, std::string());
        return;
    }
    cTrainingData& data = Data();
    m_doc.BeginEdit();
    if (data.m_aQuestionnaires.empty()) {
        cQuestionnaire all;
        all.m_strTitle = kAllTasksTitle;
        for (std::uint32_t i = 0; i < data.m_aTasks.size(); ++i)
            all.m_aTaskIndex.push_back(i);
        data.m_aQuestionnaires.push_back(all);
    }
    cQuestionnaire q;
    q.Reset();
    q.m_strTitle = "Neuer Fragebogen";
    q.m_nIcon = 0;
    data.m_aQuestionnaires.insert(data.m_aQuestionnaires.end() - 1, q);
    m_doc.CommitEdit("Neuer Fragebogen");
    m_doc.m_nCurQuestionnaire = static_cast<int>(data.m_aQuestionnaires.size()) - 2;
    Notify(ChangeQuestionnaires);
}

void cQuery::OnDeleteQuestionnaire()
{
    if (!HasCurrentQuestionnaire())
        return;
    cBatch batch(*this);
    if (m_bExamActive || m_bEvaluationActive) {
        (void)Ask(m_bExamActive ? 304 : 305, std::string());
        return;
    }
    cTrainingData& data = Data();
    const int k = m_doc.m_nCurQuestionnaire;
    if (k == static_cast<int>(data.m_aQuestionnaires.size()) - 1) {
        (void)Ask(3, Cp1252FromUtf8("Der Fragebogen \"") + data.m_aQuestionnaires[k].m_strTitle +
                         Cp1252FromUtf8("\" enthält alle Aufgaben der Datei und kann nicht "
                                        "gelöscht werden."));
        return;
    }
    const std::string question =
        Cp1252FromUtf8("Soll der Fragebogen \"") + data.m_aQuestionnaires[k].m_strTitle +
        Cp1252FromUtf8("\" wirklich gelöscht werden? Die Aufgaben bleiben in der Datei "
                       "erhalten.");
    if (Ask(4, question) != ResultYes)
        return;
    m_doc.BeginEdit();
    if (data.m_aQuestionnaires[k].m_nExamSeconds >= 0 && data.m_nTimedCount > 0)
        --data.m_nTimedCount;
    data.m_aQuestionnaires.erase(data.m_aQuestionnaires.begin() + k);
    m_doc.CommitEdit(Cp1252FromUtf8("Fragebogen löschen"));
    Notify(ChangeQuestionnaires | ChangeExamState);
    SetViewMode(ModeOverview);
    m_nCurrentRow = -1;
    m_nSelectionMark = -1;
    LoadQuestionnaire(std::min(k, static_cast<int>(data.m_aQuestionnaires.size()) - 1));
    m_nCurrentRow = m_aRows.empty() ? -1 : 0;
    m_nSelectionMark = m_nCurrentRow;
}

bool cQuery::SplitDialogTexts(cSplitTexts& out) const
{
    if (!HasCurrentQuestionnaire())
        return false;
    out = SplitTexts(Data().m_aQuestionnaires[m_doc.m_nCurQuestionnaire], Data());
    return true;
}

void cQuery::ApplySplitDialog(const cSplitTexts& texts)
{
    if (!HasCurrentQuestionnaire())
        return;
    cBatch batch(*this);
    const int k = m_doc.m_nCurQuestionnaire;
    m_doc.BeginEdit();
    (void)ApplySplitTexts(texts, Data().m_aQuestionnaires[k], Data());
    m_doc.CommitEdit("Fragebogenaufteilung");
    Notify(ChangeQuestionnaires);
    const int shown = TaskOfRow(m_nCurrentRow);
    LoadQuestionnaire(k);
    ShowTaskAgainOrList(shown);
}

// --- printing --------------------------------------------------------------------------

int cQuery::PrintPageCount() const
{
    if (!HasCurrentQuestionnaire())
        return 0;
    return ::PrintPageCount(Data(), m_aRows, m_settings.m_nPrintSelection);
}

cPrintPage cQuery::LayoutPrintPage(const cPrintRect& rect, int page,
                                   const cTextMeasure& measure) const
{
    return ::LayoutPrintPage(Data(), m_aRows, m_strLoadedTitle, m_settings.m_nPrintSelection,
                             rect, page, measure);
}
