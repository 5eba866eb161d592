#pragma once
// Finding tasks by text: a task matches when its number, question, solution, one of its
// patterns or its category contains the searched text, ignoring letter case and the
// spelling of umlauts ("ae" finds "ä" and "ä" finds "ae", likewise ö/oe, ü/ue, ß/ss).

#include "data/TrainingData.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// The search form of a Windows-1252 text: lower case, with ä, ö, ü and ß spelt ae, oe,
/// ue and ss.
[[nodiscard]] std::string FoldForSearch(std::string_view text);

/// The folded texts of every task of a file, made once so that each keystroke of a
/// search only compares.
class cTaskSearch {
public:
    /// Folds the searchable texts of every task of data.
    void Index(const cTrainingData& data);
    /// Whether task (an index into the indexed file's tasks) contains text.
    [[nodiscard]] bool Matches(std::uint32_t task, std::string_view foldedText) const;
    /// The entries of rows (task indices) whose task contains text (not folded yet), in
    /// their order; an empty text keeps every row.
    [[nodiscard]] std::vector<std::uint32_t> Filter(const std::vector<std::uint32_t>& rows,
                                                    std::string_view text) const;

private:
    std::string m_strFolded;               // every task's texts, one after the other
    std::vector<std::size_t> m_aStart;     // where each task's texts begin; one more at the end
};
