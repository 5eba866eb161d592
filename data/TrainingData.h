#pragma once
// The whole content of one training file: tasks, questionnaires and per-file settings.

#include "data/Questionnaire.h"
#include "data/Task.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct cFileStamp;

/// Title of the automatic questionnaire appended after reading; it is never stored.
inline constexpr const char* kAllTasksTitle = "Alle Aufgaben";
/// A training file with more tasks (or questionnaires) than this is not read: twice the
/// largest import, far beyond any real file, and still within a few gigabytes.
inline constexpr std::size_t kMaxTrainingTasks = 2000000;

class cTrainingData {
public:
    cTrainingData();
    cTrainingData(const cTrainingData&) = default;
    cTrainingData(cTrainingData&&) noexcept = default;
    cTrainingData& operator=(const cTrainingData&) = default;
    cTrainingData& operator=(cTrainingData&&) noexcept = default;
    virtual ~cTrainingData() = default;

    /// Back to an empty file with default settings (m_bShowAll, m_nTimedCount and
    /// m_bSelfAssessAll keep their values).
    void ResetTrainingData();

    /// Writes the training file; an empty path means m_strPath. 0 written, 1 failed.
    [[nodiscard]] int WriteTrainingFile(const std::string& path);
    /// Reads the training file at path. 0 read, 1 failed (messages already shown). With
    /// stamp set, it receives the identity of the file as read (for the save check).
    [[nodiscard]] int ReadTrainingFile(const std::string& path, cFileStamp* stamp = nullptr);

    /// Removes the task at this address from m_aTasks and from every questionnaire.
    void DeleteTask(const cTask* task);
    /// Index of the last task whose number equals text exactly, or -1.
    [[nodiscard]] int FindTaskByNumber(const std::string& text) const;
    /// Sets all counters of every task to 0.
    void ResetStatistics();

    std::vector<cTask> m_aTasks;
    std::vector<cQuestionnaire> m_aQuestionnaires;
    std::string m_strPath;
    bool m_bShowAll = false;
    std::int32_t m_nTimedCount = 0;
    std::vector<std::string> m_aColumnTitle;
    std::vector<std::uint32_t> m_aColumnWidth;
    std::vector<std::uint32_t> m_aColumnKind;
    std::string m_strQuestionTemplate;
    std::string m_strRightTemplate;
    std::string m_strWrongTemplate;
    std::uint8_t m_nCrypt = 0;
    bool m_bRandom = false;
    std::uint8_t m_nMinPercent = 0;
    std::uint8_t m_nMinRight = 0;
    std::uint8_t m_nMaxWords = 5;
    bool m_bAllowMissing = false;
    bool m_bAllowExtra = false;
    bool m_bAllowSwap = false;
    bool m_bSelfAssessAll = false;
};
