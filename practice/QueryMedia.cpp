// The query's sound and picture of the current task.

#include "practice/Query.h"

#include "data/Document.h"
#include "practice/Media.h"

void cQuery::CloseSound()
{
    if (m_pPlayer && m_bSoundOpen) {
        m_pPlayer->Stop();
        m_pPlayer->Close();
    }
    m_bSoundOpen = false;
    m_bSoundPaused = false;
}

void cQuery::OpenSound(const std::string& soundText)
{
    CloseSound();
    if (!m_pPlayer)
        return;
    const std::string name = SoundFileName(soundText);
    if (name.empty())
        return;
    const std::string path = FindMediaFile(MediaFolders(m_doc.Path(), m_strProgramDir), name);
    if (path.empty())
        return;
    m_bSoundOpen = m_pPlayer->Open(path);
}

void cQuery::StartSound()
{
    if (!m_pPlayer || !m_bSoundOpen)
        return;
    if (!m_bSoundPaused) {
        m_pPlayer->Stop();
        m_pPlayer->SetVolume(1000);
    } else {
        m_bSoundPaused = false;
    }
    if (m_pPlayer->CanPlay())
        m_pPlayer->Play();
}

void cQuery::StopSound()
{
    if (m_pPlayer && m_bSoundOpen)
        m_pPlayer->Stop();
    m_bSoundPaused = false;
}

void cQuery::OnPlaySound()
{
    StartSound();
}

void cQuery::OnPauseSound()
{
    if (!m_pPlayer || !m_bSoundOpen)
        return;
    if (m_bSoundPaused) {
        if (m_pPlayer->CanPlay())
            m_pPlayer->Play();
    } else {
        m_pPlayer->Pause();
    }
    m_bSoundPaused = !m_bSoundPaused;
}

std::string cQuery::PicturePath() const
{
    const cTask* task = CurrentTask();
    if (!task || task->m_strPicture.empty())
        return std::string();
    const std::vector<std::string> folders = MediaFolders(m_doc.Path(), m_strProgramDir);
    const std::string path = FindMediaFile(folders, task->m_strPicture);
    // A missing picture is reported under the name it would have beside the file.
    return path.empty() ? ExpectedMediaPath(folders, task->m_strPicture) : path;
}
