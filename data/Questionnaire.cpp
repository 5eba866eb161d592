#include "data/Questionnaire.h"

void cQuestionnaire::Reset()
{
    std::vector<std::uint32_t>().swap(m_aTaskIndex); // also gives the storage back
    m_strTitle.clear();
    m_nExamSeconds = -1;
    m_nPassPoints = 0;
    m_nRetakePoints = 0;
    m_nIcon = 0;
}
