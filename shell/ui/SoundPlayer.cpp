#include "shell/ui/SoundPlayer.h"

#include "practice/Media.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

#include <algorithm>

cQtSoundPlayer::cQtSoundPlayer(QObject* parent) : QObject(parent) {}

cQtSoundPlayer::~cQtSoundPlayer()
{
    Close();
}

bool cQtSoundPlayer::Open(const std::string& path)
{
    Close();
    if (!FileReadable(path))
        return false;
    // The back end is created on first use, so views without sounds stay light.
    m_output = std::make_unique<QAudioOutput>();
    m_output->setVolume(static_cast<float>(m_nVolume) / 1000.0f);
    m_player = std::make_unique<QMediaPlayer>();
    m_player->setAudioOutput(m_output.get());
    m_player->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    return true;
}

void cQtSoundPlayer::Close()
{
    if (m_player) {
        m_player->stop();
        m_player->setSource(QUrl());
    }
    m_player.reset();
    m_output.reset();
}

void cQtSoundPlayer::Play()
{
    if (CanPlay())
        m_player->play();
}

void cQtSoundPlayer::Pause()
{
    if (m_player)
        m_player->pause();
}

void cQtSoundPlayer::Stop()
{
    if (m_player) {
        m_player->stop();
        m_player->setPosition(0);
    }
}

void cQtSoundPlayer::SetVolume(int volume)
{
    m_nVolume = std::clamp(volume, 0, 1000);
    if (m_output)
        m_output->setVolume(static_cast<float>(m_nVolume) / 1000.0f);
}

bool cQtSoundPlayer::CanPlay() const
{
    return m_player && m_player->mediaStatus() != QMediaPlayer::InvalidMedia &&
           m_player->error() == QMediaPlayer::NoError;
}
