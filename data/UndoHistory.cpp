#include "data/UndoHistory.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

namespace {

auto StoredFields(const cTask& t)
{
    return std::tie(t.m_strQuestion, t.m_strTaskNo, t.m_strCategory, t.m_nType, t.m_bChoiceFlag,
                    t.m_nChoiceCount, t.m_nChoiceValue, t.m_strChoice, t.m_strChoiceExtra,
                    t.m_bChoiceRight, t.m_bSelfAssess, t.m_nPoints, t.m_nPatternCount,
                    t.m_strPattern, t.m_nPicturePlace, t.m_nPictureSize, t.m_strPicture,
                    t.m_strSound, t.m_strSolution);
}

bool SameQuestionnaire(const cQuestionnaire& a, const cQuestionnaire& b)
{
    return a.m_aTaskIndex == b.m_aTaskIndex && a.m_strTitle == b.m_strTitle &&
           a.m_nExamSeconds == b.m_nExamSeconds && a.m_nPassPoints == b.m_nPassPoints &&
           a.m_nRetakePoints == b.m_nRetakePoints && a.m_nIcon == b.m_nIcon;
}

// The file-wide settings: everything but the two arrays and the path.
template <class Data>
auto Settings(Data& d)
{
    return std::tie(d.m_bShowAll, d.m_nTimedCount, d.m_aColumnTitle, d.m_aColumnWidth,
                    d.m_aColumnKind, d.m_strQuestionTemplate, d.m_strRightTemplate,
                    d.m_strWrongTemplate, d.m_nCrypt, d.m_bRandom, d.m_nMinPercent,
                    d.m_nMinRight, d.m_nMaxWords, d.m_bAllowMissing, d.m_bAllowExtra,
                    d.m_bAllowSwap, d.m_bSelfAssessAll);
}

// A run of elements that a step replaces: count elements at `at` now, items the other side.
template <class T>
struct cRun {
    std::size_t at = 0;
    std::size_t count = 0;
    std::vector<T> items;
    bool used = false;

    template <class Same>
    void Diff(const std::vector<T>& before, const std::vector<T>& after, Same same)
    {
        std::size_t prefix = 0;
        const std::size_t shorter = std::min(before.size(), after.size());
        while (prefix < shorter && same(before[prefix], after[prefix]))
            ++prefix;
        std::size_t suffix = 0;
        while (suffix < shorter - prefix &&
               same(before[before.size() - 1 - suffix], after[after.size() - 1 - suffix]))
            ++suffix;
        used = prefix + suffix < before.size() || prefix + suffix < after.size();
        at = prefix;
        count = after.size() - prefix - suffix;
        items.assign(before.begin() + static_cast<std::ptrdiff_t>(prefix),
                     before.end() - static_cast<std::ptrdiff_t>(suffix));
    }

    // Puts items in place of the run and keeps what was there for the way back.
    template <class Carry>
    void Swap(std::vector<T>& now, Carry carry)
    {
        if (!used)
            return;
        const std::size_t from = std::min(at, now.size());
        const std::size_t to = std::min(from + count, now.size());
        std::vector<T> out(std::make_move_iterator(now.begin() + static_cast<std::ptrdiff_t>(from)),
                           std::make_move_iterator(now.begin() + static_cast<std::ptrdiff_t>(to)));
        if (out.size() == items.size())
            for (std::size_t i = 0; i < out.size(); ++i)
                carry(out[i], items[i]);
        now.erase(now.begin() + static_cast<std::ptrdiff_t>(from),
                  now.begin() + static_cast<std::ptrdiff_t>(to));
        now.insert(now.begin() + static_cast<std::ptrdiff_t>(from),
                   std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
        count = items.size();
        items = std::move(out);
    }
};

// A task put back in place of another keeps what answering gave the one it replaces; its
// counters move to the points of the task put back by the same rule as an edit of points.
void CarryAnswers(const cTask& from, cTask& to)
{
    const std::uint8_t points = to.m_nPoints;
    to.m_nStats = from.m_nStats;
    to.m_nPoints = from.m_nPoints;
    RescaleStatistics(to, points);
    to.m_nPoints = points;
    to.m_strAnswer = from.m_strAnswer;
    to.m_nResult = from.m_nResult;
    to.m_bChoiceTicked = from.m_bChoiceTicked;
}

} // namespace

bool SameTaskContent(const cTask& a, const cTask& b)
{
    return StoredFields(a) == StoredFields(b);
}

bool SameContentButCounters(const cTrainingData& a, const cTrainingData& b)
{
    return std::equal(a.m_aTasks.begin(), a.m_aTasks.end(), b.m_aTasks.begin(), b.m_aTasks.end(),
                      SameTaskContent) &&
           std::equal(a.m_aQuestionnaires.begin(), a.m_aQuestionnaires.end(),
                      b.m_aQuestionnaires.begin(), b.m_aQuestionnaires.end(), SameQuestionnaire) &&
           Settings(a) == Settings(b);
}

struct cUndoHistory::cStep {
    std::string label;
    cRun<cTask> tasks;
    cRun<cQuestionnaire> questionnaires;
    bool settingsUsed = false;
    cTrainingData settings; // the other side's settings; its arrays stay empty
    bool statistics = false;
    bool undone = false;
    std::vector<std::array<std::uint32_t, kTaskSlots>> counters;

    void Apply(cTrainingData& data)
    {
        if (statistics) {
            ApplyStatistics(data);
        } else {
            tasks.Swap(data.m_aTasks, CarryAnswers);
            questionnaires.Swap(data.m_aQuestionnaires, [](const auto&, auto&) {});
            if (settingsUsed) {
                auto now = Settings(data);
                auto other = Settings(settings);
                now.swap(other);
            }
        }
        undone = !undone;
    }

    // Undoing a reset gives back the old counters plus what was counted since; redoing
    // it clears them again.
    void ApplyStatistics(cTrainingData& data)
    {
        const std::size_t n = std::min(counters.size(), data.m_aTasks.size());
        for (std::size_t i = 0; i < n; ++i) {
            auto& now = data.m_aTasks[i].m_nStats;
            if (!undone) {
                constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
                for (int s = 0; s < kTaskSlots; ++s)
                    now[s] = counters[i][s] > kMax - now[s] ? kMax : now[s] + counters[i][s];
            } else {
                counters[i] = now;
                now.fill(0);
            }
        }
    }
};

cUndoHistory::cUndoHistory() = default;
cUndoHistory::~cUndoHistory() = default;

void cUndoHistory::Clear()
{
    m_aSteps.clear();
    m_pBefore.reset();
    m_nPos = 0;
    m_nSaved = 0;
}

void cUndoHistory::BeginEdit(const cTrainingData& data)
{
    m_pBefore = std::make_unique<cTrainingData>(data);
}

bool cUndoHistory::CommitEdit(const cTrainingData& data, std::string label)
{
    if (!m_pBefore)
        return false;
    auto step = std::make_unique<cStep>();
    step->label = std::move(label);
    cTrainingData& before = *m_pBefore;
    step->tasks.Diff(before.m_aTasks, data.m_aTasks, SameTaskContent);
    step->questionnaires.Diff(before.m_aQuestionnaires, data.m_aQuestionnaires,
                              SameQuestionnaire);
    step->settingsUsed = Settings(before) != Settings(data);
    if (step->settingsUsed)
        Settings(step->settings) = Settings(before);
    m_pBefore.reset();
    if (!step->tasks.used && !step->questionnaires.used && !step->settingsUsed)
        return false;
    Push(std::move(step));
    return true;
}

void cUndoHistory::RecordStatisticsReset(const cTrainingData& data, std::string label)
{
    auto step = std::make_unique<cStep>();
    step->label = std::move(label);
    step->statistics = true;
    step->counters.reserve(data.m_aTasks.size());
    for (const cTask& task : data.m_aTasks)
        step->counters.push_back(task.m_nStats);
    Push(std::move(step));
}

void cUndoHistory::Push(std::unique_ptr<cStep> step)
{
    if (m_nSaved > m_nPos)
        m_nSaved = -1; // the saved content was on the redo branch that goes now
    m_aSteps.resize(static_cast<std::size_t>(m_nPos));
    m_aSteps.push_back(std::move(step));
    ++m_nPos;
    if (m_nPos > kMaxSteps) {
        m_aSteps.erase(m_aSteps.begin());
        --m_nPos;
        m_nSaved = m_nSaved > 0 ? m_nSaved - 1 : -1;
    }
}

bool cUndoHistory::Undo(cTrainingData& data)
{
    if (!CanUndo())
        return false;
    m_aSteps[static_cast<std::size_t>(--m_nPos)]->Apply(data);
    return true;
}

bool cUndoHistory::Redo(cTrainingData& data)
{
    if (!CanRedo())
        return false;
    m_aSteps[static_cast<std::size_t>(m_nPos++)]->Apply(data);
    return true;
}

std::string cUndoHistory::UndoLabel() const
{
    return CanUndo() ? m_aSteps[static_cast<std::size_t>(m_nPos - 1)]->label : std::string();
}

std::string cUndoHistory::RedoLabel() const
{
    return CanRedo() ? m_aSteps[static_cast<std::size_t>(m_nPos)]->label : std::string();
}
