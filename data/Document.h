#pragma once
// cDocument: one open training file. It owns the file's content, knows its path and
// decides when the file is read and written. The window's document wraps it; the
// command-line tool uses it directly.

#include "data/TrainingData.h"

#include <cstdint>
#include <string>

/// Catalogue messages of the document.
inline constexpr int kMsgOpenFailed = 104;
inline constexpr int kMsgSaveFailed = 105;

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
    /// Writes the file to its path. On failure (no path, a file that failed to read, or
    /// the write failed) shows message 105 and keeps the modified flag; on success clears
    /// it. 0 saved, 1 failed.
    [[nodiscard]] int Save();
    /// Writes the file to path, which becomes the document's path on success. On
    /// failure (also: path is the file that failed to read) shows message 105 and keeps
    /// the old path. 0 saved, 1 failed.
    [[nodiscard]] int SaveAs(const std::string& path);
    /// The close-time write: writes the file when the document has a path, except when
    /// its file failed to read (the partial content never replaces the file). Shows
    /// message 105 when the write fails. Later calls do nothing. 0 fine, 1 write failed.
    [[nodiscard]] int Close();

    /// Whether the content was changed since it was read or saved.
    [[nodiscard]] bool IsModified() const { return m_bModified; }
    /// Marks the content changed (or unchanged).
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    /// Whether the document's file failed to read (so it is not written back on close).
    [[nodiscard]] bool ReadFailed() const { return m_bReadFailed; }
    /// Full path of the training file; empty for a new document.
    [[nodiscard]] const std::string& Path() const { return m_data.m_strPath; }

    cTrainingData m_data;
    std::int32_t m_nCurQuestionnaire = -1; // index in m_aQuestionnaires, -1 none

private:
    bool m_bModified = false;
    bool m_bReadFailed = false;
    bool m_bClosed = false;
};
