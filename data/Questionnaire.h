#pragma once
// A questionnaire ("Fragebogen"): a named, ordered selection of tasks.

#include <cstdint>
#include <string>
#include <vector>

class cQuestionnaire {
public:
    cQuestionnaire() = default;
    cQuestionnaire(const cQuestionnaire&) = default;
    cQuestionnaire(cQuestionnaire&&) noexcept = default;
    cQuestionnaire& operator=(const cQuestionnaire&) = default;
    cQuestionnaire& operator=(cQuestionnaire&&) noexcept = default;
    virtual ~cQuestionnaire() = default;

    /// Empties the task list and sets title "", exam time -1 and the other numbers 0.
    void Reset();

    std::vector<std::uint32_t> m_aTaskIndex; // indices into cTrainingData::m_aTasks
    std::string m_strTitle;
    std::int32_t m_nExamSeconds = -1; // -1 no exam, 0 exam without time limit
    std::uint32_t m_nPassPoints = 0;
    std::uint32_t m_nRetakePoints = 0;
    std::int32_t m_nIcon = 0;
};
