// The exam simulation: the start on a timed questionnaire chosen at random, the
// countdown, the end by the user or the clock, and the evaluation that rates each task.

#include "practice/Query.h"

#include "base/Cp1252.h"
#include "data/Document.h"
#include "practice/QueryBatch.h"
#include "base/Message.h"

#include <algorithm>
#include <climits>

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
        else
            ReportAnswer(*task, GradeOfPoints(task->m_nResult, task->m_nPoints), task->m_nResult,
                         AnswerKind::Exam);
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

bool cQuery::KeepExamAfterChangeElsewhere()
{
    if (!m_bExamActive && !m_bEvaluationActive)
        return false;
    const int k = m_doc.m_nCurQuestionnaire;
    if (QuestionnaireValid(k) && Data().m_aQuestionnaires[k].m_strTitle == m_strLoadedTitle) {
        // The rows may be sorted; the exam goes on while they are still the same tasks.
        std::vector<std::uint32_t> listed = m_rows.Tasks();
        std::vector<std::uint32_t> now = Data().m_aQuestionnaires[k].m_aTaskIndex;
        std::sort(listed.begin(), listed.end());
        std::sort(now.begin(), now.end());
        if (listed == now) {
            RefreshAllRows();
            return true;
        }
    }
    cBatch batch(*this);
    const bool exam = m_bExamActive;
    m_bExamActive = false;
    m_bEvaluationActive = false;
    Notify(ChangeExamState | ChangeExamBar | ChangeMode);
    (void)Ask(3, Cp1252FromUtf8(exam ? "Die Prüfungssimulation wurde beendet: "
                                     : "Die Prüfungsauswertung wurde beendet: ") +
                     Cp1252FromUtf8("In einem anderen Fenster wurden Aufgaben oder Fragebögen "
                                    "dieser Datei geändert."));
    return false;
}
