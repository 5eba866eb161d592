#pragma once
// The document of one training file's child window. It wraps the core document: the
// file's content, the questionnaire the view has selected, the modified flag and the
// rules for reading and writing the file.

#include "base/SafeSave.h"
#include "data/TrainingData.h"

#include <QObject>
#include <QString>

#include <memory>

class cDocument;

class CVendrillDoc : public QObject {
    Q_OBJECT
public:
    explicit CVendrillDoc(QObject* parent = nullptr);
    /// Closes the document if that has not happened yet (writes the file when it has a path).
    ~CVendrillDoc() override;
    CVendrillDoc(const CVendrillDoc&) = delete;
    CVendrillDoc& operator=(const CVendrillDoc&) = delete;

    /// The training data of this file (m_data).
    [[nodiscard]] cTrainingData& Data();
    [[nodiscard]] const cTrainingData& Data() const;
    /// The core document behind this one.
    [[nodiscard]] cDocument& Core();

    /// Index of the questionnaire the view has selected (m_nCurQuestionnaire), -1 for none.
    [[nodiscard]] int CurQuestionnaire() const;
    void SetCurQuestionnaire(int index);

    [[nodiscard]] bool IsModified() const;
    /// Undoes (or redoes) the last edit of the content; every view shows it anew. False
    /// when there was nothing to undo (redo).
    bool Undo(bool redo = false);
    void SetModifiedFlag(bool modified = true);

    /// Remembers the file this document stands for; the view reads it in its initial update.
    void SetPathName(const QString& path);
    /// Full path of the file, empty for a new document.
    [[nodiscard]] QString PathName() const;
    /// What the window title shows: the file name, or "Übung1", "Übung2", ... when new.
    [[nodiscard]] QString Title() const;
    /// The name an untitled document shows (a file opened by import shows its source).
    void SetUntitledTitle(const QString& title);

    /// Reads the file at PathName(). 0 read, 1 failed ("Fehler beim Öffnen der Datei" shown).
    [[nodiscard]] int ReadFile();
    /// Whether ReadFile() ran: a further window on this document does not read again.
    [[nodiscard]] bool WasRead() const { return m_bRead; }
    /// Makes this a new, untitled document with the automatic questionnaire and default columns.
    void NewDocument();
    /// Writes the file to its path. False when it failed (message shown), has no path, or
    /// the file changed on disk since it was read (nothing written, no message, unless
    /// overwrite is set; see LastSaveOutcome).
    bool Save(bool overwrite = false);
    /// Writes the file to path and makes it the document's path. False when it failed.
    bool SaveAs(const QString& path);
    /// The close-time write: writes the file when it has a path (never over a file that
    /// failed to read) and marks the document closed. False when the write failed
    /// (message shown) or the file changed on disk (overwrite as with Save); the document
    /// then stays open.
    bool Close(bool overwrite = false);
    /// How the last write of Save, SaveAs or Close ended (Changed, ReadOnly, ...).
    [[nodiscard]] SaveOutcome LastSaveOutcome() const;
    /// Marks the document closed without writing (the user gave up a failed write).
    void Discard();
    [[nodiscard]] bool IsClosed() const;
    /// True when reading the file failed; such a document never writes back over it.
    [[nodiscard]] bool ReadFailed() const;

    /// One window changed the data: every other window on this document shows it anew.
    /// structure: tasks or questionnaires were added, removed or recomposed.
    void UpdateAllViews(QObject* sender, bool structure);

signals:
    /// The path or title changed (open, save as).
    void TitleChanged();
    /// The modified flag changed through this document's own functions.
    void ModifiedChanged(bool modified);
    /// Undo or redo replaced the content; the views show it anew.
    void ContentRestored();
    /// See UpdateAllViews().
    void ViewsToUpdate(QObject* sender, bool structure);

private:
    std::unique_ptr<cDocument> m_core;
    QString m_strUntitled;
    bool m_bClosed = false;
    bool m_bRead = false;
};
