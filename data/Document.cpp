#include "data/Document.h"

#include "base/Cp1252.h"
#include "data/TrainingFile.h"
#include "base/Message.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMsgText = 1;

} // namespace

int cDocument::Open(const std::string& path)
{
    m_nCurQuestionnaire = -1;
    m_bModified = false;
    m_bClosed = false;
    m_undo.Clear();
    m_bReadFailed = m_data.ReadTrainingFile(path, &m_stamp) != 0;
    if (!m_bReadFailed)
        return 0;
    // The view and the editor expect the automatic questionnaire as the last entry.
    CompleteTrainingData(m_data);
    (void)ShowMessage(kMsgOpenFailed, "");
    return 1;
}

void cDocument::NewDocument()
{
    m_data.ResetTrainingData();
    m_undo.Clear();
    CompleteTrainingData(m_data);
    // "Alle Aufgaben" is the only place a new file's tasks are listed.
    m_data.m_bShowAll = true;
    m_data.m_strQuestionTemplate = "{frage}";
    m_data.m_strRightTemplate = "{antwort}";
    m_data.m_strWrongTemplate = "{antwort}";
    m_nCurQuestionnaire = -1;
    m_bModified = false;
    m_bReadFailed = false;
    m_bClosed = false;
    m_stamp = cFileStamp();
}

int cDocument::Write(const std::string& path, bool check)
{
    const std::string oldPath = m_data.m_strPath;
    m_lastOutcome = SaveOutcome::Failed;
    // What was read of a file that failed to read never replaces that file.
    const bool overFailedRead = m_bReadFailed && (path.empty() || path == oldPath);
    if ((!path.empty() || !oldPath.empty()) && !overFailedRead)
        m_lastOutcome = SaveTrainingFile(m_data, path, check ? &m_stamp : nullptr, &m_stamp);
    switch (m_lastOutcome) {
    case SaveOutcome::Saved:
        // The file now holds exactly what is in memory.
        m_bModified = false;
        m_bReadFailed = false;
        return 0;
    case SaveOutcome::Changed:
        return kSaveChanged;
    case SaveOutcome::LinkLoop:
        m_data.m_strPath = oldPath;
        (void)ShowMessage(kMsgText, Cp1252FromUtf8("Datei konnte nicht gespeichert werden: Die "
                                                   "Verknüpfung ") +
                                        (path.empty() ? oldPath : path) +
                                        Cp1252FromUtf8(" verweist im Kreis auf sich selbst."));
        return 1;
    default:
        m_data.m_strPath = oldPath;
        (void)ShowMessage(kMsgSaveFailed, "");
        return 1;
    }
}

int cDocument::Save(bool overwrite)
{
    return Write("", !overwrite);
}

int cDocument::SaveAs(const std::string& path)
{
    // The user chose this name; whatever is there is replaced.
    if (path.empty()) {
        m_lastOutcome = SaveOutcome::Failed;
        (void)ShowMessage(kMsgSaveFailed, "");
        return 1;
    }
    return Write(path, false);
}

int cDocument::Close(bool overwrite)
{
    if (m_bClosed)
        return 0;
    if (m_data.m_strPath.empty() || m_bReadFailed) {
        m_bClosed = true;
        return 0;
    }
    // A read-only file needs no write when it would get the bytes it has.
    struct stat st {};
    const int result = stat(m_data.m_strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                               ((st.st_mode & 0222) == 0 ||
                                access(m_data.m_strPath.c_str(), W_OK) != 0) &&
                               TrainingFileMatches(m_data, m_stamp)
                           ? 0
                           : Write("", !overwrite);
    m_bClosed = result == 0;
    return result;
}

// An unmodified document holds what its file holds, so the history's current position is
// the saved one; saving clears the flag without telling the history.
void cDocument::NoteSavedState()
{
    if (!m_bModified)
        m_undo.MarkSaved();
}

void cDocument::BeginEdit()
{
    NoteSavedState();
    m_undo.BeginEdit(m_data);
}

void cDocument::CommitEdit(const std::string& label)
{
    // Without BeginEdit nothing is known of the change: no step, but still a change.
    const bool pending = m_undo.EditPending();
    if (m_undo.CommitEdit(m_data, label))
        m_bModified = !m_undo.AtSaved();
    else if (!pending)
        m_bModified = true;
}

void cDocument::RecordStatisticsReset(const std::string& label)
{
    NoteSavedState();
    m_undo.RecordStatisticsReset(m_data, label);
    m_bModified = true;
}

bool cDocument::Undo()
{
    NoteSavedState();
    if (!m_undo.Undo(m_data))
        return false;
    m_bModified = !m_undo.AtSaved();
    return true;
}

bool cDocument::Redo()
{
    NoteSavedState();
    if (!m_undo.Redo(m_data))
        return false;
    m_bModified = !m_undo.AtSaved();
    return true;
}
