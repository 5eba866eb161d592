// The query's frame: construction, change notifications, opening a questionnaire, the
// view modes and what each screen shows. The other parts live in the files Query.h names.

#include "practice/Query.h"

#include "base/Cp1252.h"
#include "data/Document.h"
#include "base/Number.h"
#include "practice/Media.h"
#include "practice/QueryBatch.h"
#include "practice/TaskList.h"
#include "practice/Verdict.h"
#include "base/Message.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>

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
      m_clock(SystemNow), m_rows(doc.m_data)
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
    return m_rows.Task(row) ? &Data().m_aTasks[m_rows.Tasks()[row]] : nullptr;
}

const cTask* cQuery::TaskPtr(int row) const
{
    return m_rows.Task(row);
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
    m_rows.Load(q);
    if (m_bSearching)
        RebaseSearch();
    Notify(ChangeRows); // the whole list is new; no single-row notifications
    for (int row = 0; row < RowCount(); ++row)
        UpdateTaskRow(row);
    const int rows = RowCount();
    if (m_nCurrentRow >= rows)
        m_nCurrentRow = rows > 0 ? 0 : -1;
    if (m_nSelectionMark >= rows)
        m_nSelectionMark = m_nCurrentRow;
    // The heading follows the rule of the mode shown, never the questionnaire alone.
    SetModeHeading();
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
    m_nCurrentRow = RowCount() == 0 ? -1 : 0;
    m_nSelectionMark = m_nCurrentRow;
    Notify(ChangeRow);
}

void cQuery::OpenFromOverview(int k)
{
    if (!QuestionnaireValid(k))
        return;
    if (k != m_doc.m_nCurQuestionnaire)
        m_rows.SetSortAscending(false);
    OpenQuestionnaire(k);
    // With the learning plan, opening a questionnaire starts asking its due tasks.
    if (PlanChooses() && m_nMode == ModeTaskList && m_doc.m_nCurQuestionnaire == k)
        StartQuery();
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
    if (m_nCurrentRow < 0) // the learning plan has nothing left for today
        return;
    SetViewMode(m_bEvaluationActive ? ModeRating : ModeQuestion);
    if (m_bSoundOpen)
        StartSound();
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
        SetModeHeading();
        m_strAnswerText.clear();
        return;
    case ModeTaskList:
        m_presetKey.fill(0);
        SetModeHeading();
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
    m_strHeading = TaskHeading(*task);
    if (m_nMode == ModeQuestion || m_nMode == ModeRating)
        m_strResultText = filled;
    m_nSelectionMark = m_nCurrentRow;
}

std::string cQuery::TaskHeading(const cTask& task) const
{
    std::string pointsText;
    const int k = m_doc.m_nCurQuestionnaire;
    if (QuestionnaireValid(k) && Data().m_aQuestionnaires[k].m_nExamSeconds >= 0) {
        if (task.m_nPoints == 1)
            pointsText = "     (1 Punkt)";
        else if (task.m_nPoints > 1)
            pointsText = "     ( " + std::to_string(task.m_nPoints) + " Punkte)";
    }
    return "Aufgabe Nr.: " + task.m_strTaskNo + std::string(25, ' ') + task.m_strCategory +
           pointsText;
}

void cQuery::SetModeHeading()
{
    switch (m_nMode) {
    case ModeOverview:
        m_strHeading = OverviewHeading();
        break;
    case ModeTaskList:
        m_strHeading = "Fragebogen '" + m_strLoadedTitle +
                       "' (Doppelklicken Sie auf eine Zeile, um die Abfrage an dieser Stelle "
                       "zu starten)";
        break;
    case ModeQuestion:
    case ModeResult:
    case ModeRating:
        if (const cTask* task = CurrentTask())
            m_strHeading = TaskHeading(*task);
        break;
    default:
        // Before the first layout the questionnaire loaded names the screen.
        m_strHeading = "Fragebogen '" + m_strLoadedTitle + "'";
        break;
    }
    Notify(ChangeTexts);
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
