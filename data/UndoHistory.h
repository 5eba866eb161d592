#pragma once
// cUndoHistory: the undo and redo steps of one document's content edits. A step keeps
// only what an edit changed (a run of tasks, a run of questionnaires, the file-wide
// settings), so a hundred steps over a large file stay small. Statistics counted by
// answering are never part of a step: undoing an edit keeps every answer counted since.

#include "data/TrainingData.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class cUndoHistory {
public:
    /// Steps kept; the oldest goes when a new one would exceed this.
    static constexpr int kMaxSteps = 100;

    cUndoHistory();
    ~cUndoHistory();
    cUndoHistory(const cUndoHistory&) = delete;
    cUndoHistory& operator=(const cUndoHistory&) = delete;

    /// Forgets every step (a file was opened or a new document begun).
    void Clear();
    /// Remembers the content before an edit; CommitEdit stores what changed since.
    void BeginEdit(const cTrainingData& data);
    /// Stores the change since BeginEdit as a step named label (Windows-1252) and drops
    /// the redo steps. False (and nothing stored) when the content did not change.
    bool CommitEdit(const cTrainingData& data, std::string label);
    /// Whether BeginEdit was called and its edit not committed yet.
    [[nodiscard]] bool EditPending() const { return m_pBefore != nullptr; }
    /// Call before the counters are set to 0: stores them as a step named label.
    void RecordStatisticsReset(const cTrainingData& data, std::string label);

    /// Undoes the last step; false when there is none.
    bool Undo(cTrainingData& data);
    /// Redoes the last undone step; false when there is none.
    bool Redo(cTrainingData& data);
    [[nodiscard]] bool CanUndo() const { return m_nPos > 0; }
    [[nodiscard]] bool CanRedo() const { return m_nPos < static_cast<int>(m_aSteps.size()); }
    /// Name of the step Undo would undo, "" without one.
    [[nodiscard]] std::string UndoLabel() const;
    /// Name of the step Redo would redo, "" without one.
    [[nodiscard]] std::string RedoLabel() const;
    /// Number of steps that can be undone.
    [[nodiscard]] int UndoCount() const { return m_nPos; }

    /// The content now is the one in the file.
    void MarkSaved() { m_nSaved = m_nPos; }
    /// Whether undo and redo led back to the content last marked saved.
    [[nodiscard]] bool AtSaved() const { return m_nSaved == m_nPos; }

private:
    struct cStep;
    void Push(std::unique_ptr<cStep> step);

    std::vector<std::unique_ptr<cStep>> m_aSteps;
    std::unique_ptr<cTrainingData> m_pBefore; // content at BeginEdit, without counters
    int m_nPos = 0;   // steps before this index are done
    int m_nSaved = 0; // position of the saved content; -1 when it can no longer be reached
};

/// Whether two tasks hold the same stored content, counters aside.
[[nodiscard]] bool SameTaskContent(const cTask& a, const cTask& b);
/// Whether two training files hold the same tasks, questionnaires and settings, counters aside.
[[nodiscard]] bool SameContentButCounters(const cTrainingData& a, const cTrainingData& b);
