#include "data/Document.h"

#include "base/Cp1252.h"
#include "data/TrainingFile.h"
#include "base/Message.h"

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMsgText = 1;

// Answers every box with OK, unseen, while it lives; the presenter before comes back.
class cSilentPresenter : public cMessagePresenter {
public:
    cSilentPresenter() : m_previous(MessagePresenter()) { SetMessagePresenter(this); }
    ~cSilentPresenter() override { SetMessagePresenter(&m_previous); }
    cSilentPresenter(const cSilentPresenter&) = delete;
    cSilentPresenter& operator=(const cSilentPresenter&) = delete;
    int Present(const std::string&, const std::string&, std::uint32_t) override { return ResultOk; }

private:
    cMessagePresenter& m_previous;
};

} // namespace

int cDocument::Open(const std::string& path)
{
    m_nCurQuestionnaire = -1;
    m_bModified = false;
    m_bClosed = false;
    m_undo.Clear();
    m_bReadFailed = m_data.ReadTrainingFile(path, &m_stamp) != 0;
    NoteFileCounters();
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
    NoteFileCounters();
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
        NoteFileCounters();
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

void cDocument::NoteFileCounters()
{
    m_aFileCounters.clear();
    m_aFileCounters.reserve(m_data.m_aTasks.size());
    for (const cTask& task : m_data.m_aTasks)
        m_aFileCounters.push_back(task.m_nStats);
}

bool cDocument::CountedSinceRead() const
{
    if (m_aFileCounters.size() != m_data.m_aTasks.size())
        return true;
    for (std::size_t i = 0; i < m_aFileCounters.size(); ++i)
        if (m_aFileCounters[i] != m_data.m_aTasks[i].m_nStats)
            return true;
    return false;
}

MergeBlock cDocument::MergeWithFile(bool apply)
{
    // Counters only grow between resets, so what was counted here is the difference to
    // the file as read; any other change here could not be added to the other file.
    const std::size_t n = m_data.m_aTasks.size();
    if (m_bModified || m_bReadFailed || m_aFileCounters.size() != n)
        return MergeBlock::ChangedHere;
    for (std::size_t i = 0; i < n; ++i)
        for (int s = 0; s < kTaskSlots; ++s)
            if (m_data.m_aTasks[i].m_nStats[s] < m_aFileCounters[i][s])
                return MergeBlock::ChangedHere;

    cTrainingData disk;
    cFileStamp stamp;
    {
        // A damaged file says so in the question that follows, not in boxes of its own.
        cSilentPresenter silent;
        if (disk.ReadTrainingFile(m_data.m_strPath, &stamp) != 0)
            return MergeBlock::Unreadable;
    }
    if (!SameContentButCounters(disk, m_data))
        return MergeBlock::ChangedThere;
    for (std::size_t i = 0; i < n; ++i)
        for (int s = 0; s < kTaskSlots; ++s)
            if (disk.m_aTasks[i].m_nStats[s] < m_aFileCounters[i][s])
                return MergeBlock::ResetThere;
    if (!apply)
        return MergeBlock::None;

    constexpr std::uint64_t kMax = UINT32_MAX;
    for (std::size_t i = 0; i < n; ++i) {
        Counters& now = m_data.m_aTasks[i].m_nStats;
        const Counters& there = disk.m_aTasks[i].m_nStats;
        for (int s = 0; s < kTaskSlots; ++s)
            now[s] = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(kMax, std::uint64_t(there[s]) + now[s] - m_aFileCounters[i][s]));
        m_aFileCounters[i] = there;
    }
    m_stamp = stamp;
    return MergeBlock::None;
}
