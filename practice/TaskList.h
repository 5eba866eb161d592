#pragma once
// Texts, images and sort keys of the task list, computed from the task records.

#include "data/Task.h"

#include <cstddef>
#include <cstdint>
#include <string>

/// Column kinds of the task list.
enum ColumnKind : std::uint32_t {
    ColumnTaskNo = 0,
    ColumnPoints = 1,
    ColumnQuestion = 2,
    ColumnSolution = 3,
    ColumnPattern = 4,
    ColumnCategory = 5,
    ColumnStatistics = 6,
};
/// The list shows at most this many columns, one per field it can show; the file keeps
/// any further ones.
inline constexpr std::size_t kMaxListColumns = 7;

/// Image indices of the task list beyond the statistics triangle 0..66.
enum RowImage : int {
    ImageUnanswered = 0,
    ImageAllRight = 1,
    ImagePartlyRight = 56,
    ImageAllWrong = 66,
    ImageExamAnswered = 67,
    ImageExamUnanswered = 68,
};

/// Image 0..66 of a task's statistics: 0 never answered, 1 all right, 66 all wrong.
[[nodiscard]] int StatisticsImage(const cTask& task);

/// The task's own text that a column of this kind shows (kinds 0, 2, 3, 4 and 5); an
/// empty text for the other kinds.
[[nodiscard]] const std::string& FieldText(const cTask& task, std::uint32_t kind);

/// Cell text of a task for a column kind outside the exam (kind 6: the statistics text).
[[nodiscard]] std::string TaskCellText(const cTask& task, std::uint32_t kind);

/// Whether a task has an answer during the exam simulation (text or ticks).
[[nodiscard]] bool HasExamAnswer(const cTask& task);

/// Text of the statistics column during the exam evaluation: "", "Falsch", "Teils", "Richtig".
[[nodiscard]] std::string EvaluationText(const cTask& task);
/// Image of a task during the exam evaluation: 0, 66, 56 or 1.
[[nodiscard]] int EvaluationImage(const cTask& task);

/// Sort key of a cell: task numbers padded to 11 places with "0" (an empty one becomes
/// "9999999999" when ascending), then umlauts spelled out and lower-cased.
[[nodiscard]] std::string SortKey(const std::string& cellText, std::uint32_t kind, bool ascending);

/// SortKey appended to out (many keys share one buffer when a list is sorted).
void AppendSortKey(const std::string& cellText, std::uint32_t kind, bool ascending,
                   std::string& out);

/// Replaces umlauts and sharp s by two letters and lower-cases (Windows-1252).
[[nodiscard]] std::string FoldForSort(const std::string& text);

/// Entry k of the points list: "1 Punkt", "2 Punkte", ... (Windows-1252).
[[nodiscard]] std::string PointsEntryText(int points);
