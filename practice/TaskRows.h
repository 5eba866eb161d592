#pragma once
// The rows of the open questionnaire's task list: which task each row shows, the texts
// and images of its cells, and the order a click on a column header sorts them in. It
// needs the training data alone, so a list can be shown and sorted without a query.

#include "data/TrainingData.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// What the statistics column of the task list shows: the counters while practising,
/// nothing (and the answered/unanswered images) during the exam, the ratings during
/// the evaluation.
enum class RowPhase { Practice, Exam, Evaluation };

class cTaskRows {
public:
    explicit cTaskRows(const cTrainingData& data) : m_pData(&data) {}

    // --- content ---------------------------------------------------------------------
    /// The tasks of the questionnaire in its order; indices past the task list are left
    /// out. No row shows the reset text.
    void Load(const cQuestionnaire& questionnaire);
    /// Replaces the rows: the task of each row, and whether each row shows the reset
    /// text (empty: none does).
    void Assign(std::vector<std::uint32_t> tasks, std::vector<bool> resetMarks);
    /// Keeps the rows whose task passes, in their order and with their reset marks.
    void Keep(const std::function<bool(std::uint32_t)>& passes);
    /// After task `deleted` left the file: its rows go, and the rows of later tasks follow
    /// their tasks' move up by one. Returns how many removed rows stood before row `before`.
    int RemoveTask(std::uint32_t deleted, int before);

    [[nodiscard]] int Count() const { return static_cast<int>(m_aTasks.size()); }
    /// Task index (into m_aTasks of the data) of a row, -1 for no such row.
    [[nodiscard]] int TaskOf(int row) const;
    /// The task indices of all rows, in list order.
    [[nodiscard]] const std::vector<std::uint32_t>& Tasks() const { return m_aTasks; }
    /// Which rows show the reset text (empty when none does).
    [[nodiscard]] const std::vector<bool>& ResetMarks() const { return m_aResetMarks; }
    /// The task of a row, nullptr for no such row or a task index past the task list.
    [[nodiscard]] const cTask* Task(int row) const;

    // --- statistics reset ------------------------------------------------------------
    /// After the statistics were reset, a first column of statistics reads " 0 /  0 /  0"
    /// in every row until the row is refreshed; another first column keeps its text.
    void MarkAllReset();
    [[nodiscard]] bool ShowsReset(int row) const;
    /// The row was refreshed: it shows its counters again.
    void ClearReset(int row);

    // --- columns and cells -----------------------------------------------------------
    [[nodiscard]] int ColumnCount() const;
    [[nodiscard]] std::string ColumnTitle(int column) const;
    [[nodiscard]] int ColumnWidth(int column) const;
    /// ColumnKind of a column, UINT32_MAX for no such column.
    [[nodiscard]] std::uint32_t ColumnKind(int column) const;
    /// Text of a cell as the list shows it.
    [[nodiscard]] std::string CellText(int row, int column,
                                       RowPhase phase = RowPhase::Practice) const;
    /// Image of a row: statistics 0..66, or the exam states 67/68 and 0/1/56/66.
    [[nodiscard]] int Image(int row, RowPhase phase = RowPhase::Practice) const;

    // --- sort order ------------------------------------------------------------------
    /// Header click: the same column again flips the direction, another sorts ascending.
    /// Returns the reordering as Sort does.
    std::vector<int> Click(int column, RowPhase phase = RowPhase::Practice);
    /// Sorts the rows by one column; equal cells keep their order. Returns, for each new
    /// position, the row it came from; empty (and nothing changes) for no such column.
    /// The column clicked last stays as it is.
    std::vector<int> Sort(int column, bool ascending, RowPhase phase = RowPhase::Practice);
    /// The column clicked last (-1 none) and its direction.
    [[nodiscard]] int SortColumn() const { return m_nSortColumn; }
    [[nodiscard]] bool SortAscending() const { return m_bSortAscending; }
    /// Sets the direction the next click on the same column flips.
    void SetSortAscending(bool ascending) { m_bSortAscending = ascending; }

private:
    const cTrainingData* m_pData;
    std::vector<std::uint32_t> m_aTasks; // task index of each row
    std::vector<bool> m_aResetMarks;     // rows not refreshed since the statistics reset
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
};
