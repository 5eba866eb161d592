#include "data/TrainingData.h"

#include "base/Message.h"

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
