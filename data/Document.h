#pragma once
// cDocument: one open training file. It owns the file's content, knows its path and
// decides when the file is read and written. The window's document wraps it; the
// command-line tool uses it directly.

#include "base/SafeSave.h"
#include "data/TrainingData.h"
#include "data/UndoHistory.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

/// Catalogue messages of the document.
inline constexpr int kMsgOpenFailed = 104;
inline constexpr int kMsgSaveFailed = 105;

/// Result of Save and Close when the file on disk changed since it was read: nothing was
/// written and no message shown; the caller decides (overwrite, save elsewhere, discard).
inline constexpr int kSaveChanged = 2;

/// Why this document's answers cannot be added to the file that another program saved.
enum class MergeBlock {
    None,         // they can: the tasks still match and no counter went down
    ChangedHere,  // this document changed tasks, questionnaires or settings, or reset counters
    ChangedThere, // the file on disk has other tasks, questionnaires or settings
    ResetThere,   // a counter in the file on disk went down: its statistics were reset
    Unreadable,   // the file on disk cannot be read
};

class cDocument {
public:
    cDocument() = default;
    /// Destroying writes nothing; call Close() for the close-time write.
    virtual ~cDocument() = default;
    cDocument(const cDocument&) = delete;
    cDocument& operator=(const cDocument&) = delete;

    /// Reads the training file at path. On failure shows message 104, keeps what was
    /// read (made safe to show: the automatic questionnaire and default columns are
    /// added) and remembers that the file must not be written back on close.
    /// 0 read, 1 failed.
    [[nodiscard]] int Open(const std::string& path);
    /// An empty document without path: the automatic questionnaire "Alle Aufgaben"
    /// (shown in the overview), the default columns, and the templates "{frage}" and
    /// "{antwort}".
    void NewDocument();
    /// Writes the file to its path. On failure (no path, a file that failed to read, the
    /// file read-only, or the write failed) shows message 105 (a link loop its own
    /// message) and keeps the modified flag; on success clears it. 0 saved, 1 failed,
    /// kSaveChanged when the file on disk is no longer the one read or last saved
    /// (nothing written, unless overwrite is set).
    [[nodiscard]] int Save(bool overwrite = false);
    /// Writes the file to path, which becomes the document's path on success. On
    /// failure (also: path is the file that failed to read) shows message 105 and keeps
    /// the old path. 0 saved, 1 failed.
    [[nodiscard]] int SaveAs(const std::string& path);
    /// The close-time write: writes the file when the document has a path, except when
    /// its file failed to read (the partial content never replaces the file) or is
    /// read-only while nothing changed. Shows message 105 when the write fails. Calls
    /// after a successful close do nothing. 0 fine, 1 write failed, kSaveChanged as with
    /// Save (overwrite as there).
    [[nodiscard]] int Close(bool overwrite = false);
    /// Whether a merge with the file on disk is safe (see MergeBlock). With apply set and
    /// None returned, the document's counters become those of the file on disk plus what
    /// was counted here since the file was read or last saved, and the file on disk
    /// becomes the one read, so that Save or Close writes the merged statistics (unless
    /// the file changes once more).
    [[nodiscard]] MergeBlock MergeWithFile(bool apply);
    /// Whether answers were counted since the file was read or last saved.
    [[nodiscard]] bool CountedSinceRead() const;
    /// How the last Save, SaveAs or Close write ended.
    [[nodiscard]] SaveOutcome LastSaveOutcome() const { return m_lastOutcome; }

    /// Whether the content was changed since it was read or saved.
    [[nodiscard]] bool IsModified() const { return m_bModified; }
    /// Marks the content changed (or unchanged).
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    /// Whether the document's file failed to read (so it is not written back on close).
    [[nodiscard]] bool ReadFailed() const { return m_bReadFailed; }
    /// Full path of the training file; empty for a new document.
    [[nodiscard]] const std::string& Path() const { return m_data.m_strPath; }

    /// Remembers the content before an edit (see CommitEdit).
    void BeginEdit();
    /// Records the edit since BeginEdit as an undo step named label and marks the
    /// document modified when it changed anything.
    void CommitEdit(const std::string& label);
    /// Records a statistics reset (call before the counters are cleared).
    void RecordStatisticsReset(const std::string& label);
    /// Undoes or redoes one step; the modified flag follows (back at the saved content
    /// it is clear). False when there was nothing to undo or redo.
    bool Undo();
    bool Redo();
    /// The undo steps of this document; they end with it.
    [[nodiscard]] const cUndoHistory& History() const { return m_undo; }

    cTrainingData m_data;
    std::int32_t m_nCurQuestionnaire = -1; // index in m_aQuestionnaires, -1 none

private:
    int Write(const std::string& path, bool check);
    void NoteSavedState();

    using Counters = std::array<std::uint32_t, kTaskSlots>;
    void NoteFileCounters();

    cFileStamp m_stamp; // the file as read or last saved
    std::vector<Counters> m_aFileCounters; // the counters in that file
    SaveOutcome m_lastOutcome = SaveOutcome::Saved;
    bool m_bModified = false;
    cUndoHistory m_undo;
    bool m_bReadFailed = false;
    bool m_bClosed = false;
};
