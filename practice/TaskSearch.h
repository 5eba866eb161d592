#pragma once
// Finding tasks by text: a task matches when its number, question, solution, one of its
// patterns or its category contains the searched text, ignoring letter case and the
// spelling of umlauts ("ae" finds "ä" and "ä" finds "ae", likewise ö/oe, ü/ue, ß/ss; a
// text typed without umlauts also finds them as the bare vowel: "schlussel" finds
// "Schlüssel").

#include "data/TrainingData.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A searched text in the form the index compares.
struct cSearchKey {
    std::string text;       // lower case, with ä, ö, ü and ß spelt ae, oe, ue and ss
    bool bareVowels = true; // typed without umlauts: a, o, u also stand for ä, ö, ü
    [[nodiscard]] bool empty() const { return text.empty(); }
    /// Whether every task this key finds is also found by shorter (typing on narrows).
    [[nodiscard]] bool Narrows(const cSearchKey& shorter) const;
};

/// The search key of a Windows-1252 text.
[[nodiscard]] cSearchKey FoldForSearch(std::string_view text);

class cTaskSearch {
public:
    /// Folds the searchable texts of every task of data.
    void Index(const cTrainingData& data);
    /// Whether task (an index into the indexed file's tasks) contains the key's text.
    [[nodiscard]] bool Matches(std::uint32_t task, const cSearchKey& key) const;
    /// The entries of rows (task indices) whose task contains text (not folded yet), in
    /// their order; an empty text keeps every row.
    [[nodiscard]] std::vector<std::uint32_t> Filter(const std::vector<std::uint32_t>& rows,
                                                    std::string_view text) const;

private:
    std::string m_strFolded;               // every task's texts, one after the other
    std::vector<std::size_t> m_aStart;     // where each task's texts begin; one more at the end
    std::string m_strBare;                 // the same with ä, ö, ü as a, o, u
    std::vector<std::size_t> m_aBareStart;
};
