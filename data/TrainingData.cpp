#include "data/TrainingData.h"

#include "base/Message.h"
#include "data/TrainingFile.h"

#include <algorithm>

cTrainingData::cTrainingData()
{
    ResetTrainingData();
}

void cTrainingData::ResetTrainingData()
{
    m_nCrypt = 0;
    m_bRandom = false;
    m_nMinPercent = 0;
    m_nMinRight = 0;
    m_nMaxWords = 5;
    m_bAllowMissing = false;
    m_bAllowExtra = false;
    m_bAllowSwap = false;
    m_strQuestionTemplate.clear();
    m_strRightTemplate.clear();
    m_strWrongTemplate.clear();
    m_strPath.clear();
    m_aTasks.clear();
    m_aQuestionnaires.clear();
    m_aColumnTitle.clear();
    m_aColumnWidth.clear();
    m_aColumnKind.clear();
}

void cTrainingData::DeleteTask(const cTask* task)
{
    int found = -1;
    for (std::size_t i = 0; i < m_aTasks.size(); ++i)
        if (&m_aTasks[i] == task)
            found = static_cast<int>(i);
    if (found < 0) {
        (void)ShowMessage(108, std::string());
        return;
    }
    const auto deleted = static_cast<std::uint32_t>(found);
    for (cQuestionnaire& questionnaire : m_aQuestionnaires) {
        auto& list = questionnaire.m_aTaskIndex;
        for (std::size_t i = list.size(); i-- > 0;) {
            if (list[i] == deleted)
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            else if (list[i] > deleted)
                --list[i];
        }
    }
    m_aTasks.erase(m_aTasks.begin() + found);
}

int cTrainingData::FindTaskByNumber(const std::string& text) const
{
    for (std::size_t i = m_aTasks.size(); i-- > 0;)
        if (m_aTasks[i].m_strTaskNo == text)
            return static_cast<int>(i);
    return -1;
}

void cTrainingData::ResetStatistics()
{
    for (cTask& task : m_aTasks)
        task.m_nStats.fill(0);
}

void DropInvalidTaskIndices(cTrainingData& data)
{
    const std::size_t taskCount = data.m_aTasks.size();
    for (cQuestionnaire& q : data.m_aQuestionnaires)
        std::erase_if(q.m_aTaskIndex, [taskCount](std::uint32_t i) { return i >= taskCount; });
}

void CompleteTrainingData(cTrainingData& data)
{
    // Every index must name a task, so nothing later reaches outside m_aTasks.
    DropInvalidTaskIndices(data);

    const std::size_t taskCount = data.m_aTasks.size();
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    all.m_aTaskIndex.resize(taskCount);
    for (std::size_t i = 0; i < taskCount; ++i)
        all.m_aTaskIndex[i] = static_cast<std::uint32_t>(i);
    data.m_aQuestionnaires.push_back(std::move(all));

    data.m_nTimedCount = 0;
    for (cQuestionnaire& q : data.m_aQuestionnaires) {
        if (q.m_nExamSeconds < 0)
            q.m_nExamSeconds = -1;
        else
            ++data.m_nTimedCount;
    }

    if (data.m_aColumnTitle.empty()) {
        data.m_aColumnTitle = {"Statistik", "Frage"};
        data.m_aColumnWidth = {100, 450};
        data.m_aColumnKind = {6, 2};
    }
}
