#pragma once
// One task ("Aufgabe") of a training file. All texts are Windows-1252 bytes.

#include "data/SharedText.h"
#include "data/TextSlots.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

/// Verdict of an answer check; callers compare with VerdictWrong or VerdictRight only.
enum AnswerVerdict : int {
    VerdictWrong = 0,
    VerdictLetterMissing = 1,
    VerdictLetterExtra = 2,
    VerdictLettersSwapped = 3,
    VerdictRight = 99,
};

/// Number of slots of every per-task array (answers, patterns, counters).
inline constexpr int kTaskSlots = 10;
static_assert(cTextSlots::kCount == kTaskSlots);

/// Task types, the index of the editor's type list.
enum TaskType : std::uint8_t {
    TaskTypeNone = 0,
    TaskTypeMultipleChoice = 1,
    TaskTypeText = 2,
    TaskTypeNumber = 3,
    TaskTypeClickPicture = 4,
};

/// The default separator set removed from answer and solution before comparing.
const std::string& DefaultSeparators();

class cTask {
public:
    cTask();
    cTask(const cTask&) = default;
    cTask(cTask&&) noexcept = default;
    cTask& operator=(const cTask&) = default;
    cTask& operator=(cTask&&) noexcept = default;
    virtual ~cTask() = default;

    /// Sets every field to its default; task number and category keep their values.
    void ResetTask();
    /// 3 right (level equals the points), 2 partly right, 1 wrong, 0 not asked.
    [[nodiscard]] int Classify(std::int16_t level) const;
    /// Classify applied to the exam rating m_nResult.
    [[nodiscard]] int ClassifyResult() const;
    /// Statistics text of the task list: "%2d / %2d" or "%2d / %2d / %2d".
    [[nodiscard]] std::string StatsText() const;

    /// Checks m_strAnswer (or the ticks of a multiple-choice task) against the solution.
    [[nodiscard]] int CheckAnswer(bool allowMissing, bool allowExtra, bool allowSwapped) const;
    /// Compares two normalised texts with the enabled tolerances: 0, 1, 2, 3 or 99.
    [[nodiscard]] int CompareWithTolerance(std::string answer, std::string candidate,
                                           bool allowMissing, bool allowExtra,
                                           bool allowSwapped) const;

    // Members are ordered by size so that the record, held a million times in large
    // files, carries no padding; the slot texts cost nothing while empty.
    // Not stored in the file.
    std::string m_strAnswer;

    std::string m_strQuestion;
    std::string m_strTaskNo;
    std::string m_strCategory;
    std::string m_strPicture;
    std::string m_strSound;
    std::string m_strSolution;
    cTextSlots m_strChoice;
    cTextSlots m_strChoiceExtra;
    cTextSlots m_strPattern;
    cSharedText<DefaultSeparators> m_strSeparators; // not stored
    std::array<std::uint32_t, kTaskSlots> m_nStats{};
    std::int16_t m_nResult = -1; // not stored
    std::uint8_t m_nType = 0;
    bool m_bChoiceFlag = false;
    std::uint8_t m_nChoiceCount = 0;
    std::uint8_t m_nChoiceValue = 1;
    bool m_bSelfAssess = false;
    std::uint8_t m_nPoints = 1;
    std::uint8_t m_nPatternCount = 0;
    bool m_bCaseSensitive = false; // not stored
    std::uint8_t m_nPicturePlace = 0;
    std::uint8_t m_nPictureSize = 0;
    std::array<bool, kTaskSlots> m_bChoiceRight{};
    std::array<bool, kTaskSlots> m_bChoiceTicked{}; // not stored
};

/// Moves the counters of a task to new points so that they keep their meaning: wrong
/// answers stay in slot 0, full marks go to the new top slot, partial counters beyond it
/// fold into the highest partial slot (dropped when the new points are 0 or 1).
void RescaleStatistics(cTask& task, int newPoints);

/// Splits text at every separator into out (emptied first), keeping empty pieces.
/// Returns the number of pieces.
int SplitString(const std::string& text, std::vector<std::string>& out, char separator);
