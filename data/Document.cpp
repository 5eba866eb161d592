#include "data/Document.h"

#include "data/TrainingFile.h"
#include "shell/Message.h"

int cDocument::Open(const std::string& path)
{
    m_nCurQuestionnaire = -1;
    m_bModified = false;
    m_bClosed = false;
    m_bReadFailed = m_data.ReadTrainingFile(path) != 0;
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
}

int cDocument::Save()
{
    // What was read of a file that failed to read never replaces that file.
    if (m_data.m_strPath.empty() || m_bReadFailed || m_data.WriteTrainingFile("") != 0) {
        (void)ShowMessage(kMsgSaveFailed, "");
        return 1;
    }
    // The file now holds exactly what is in memory.
    m_bModified = false;
    return 0;
}

int cDocument::SaveAs(const std::string& path)
{
    const std::string oldPath = m_data.m_strPath;
    if (path.empty() || (m_bReadFailed && path == oldPath) ||
        m_data.WriteTrainingFile(path) != 0) {
        m_data.m_strPath = oldPath;
        (void)ShowMessage(kMsgSaveFailed, "");
        return 1;
    }
    m_bModified = false;
    m_bReadFailed = false;
    return 0;
}

int cDocument::Close()
{
    if (m_bClosed)
        return 0;
    m_bClosed = true;
    if (m_data.m_strPath.empty() || m_bReadFailed)
        return 0;
    if (m_data.WriteTrainingFile("") != 0) {
        (void)ShowMessage(kMsgSaveFailed, "");
        return 1;
    }
    m_bModified = false;
    return 0;
}
