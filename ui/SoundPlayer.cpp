#include "ui/SoundPlayer.h"

#include "practice/Media.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include <algorithm>

// The resources live in a static library: the linker keeps them only when referred to.
// (Q_INIT_RESOURCE cannot be used inside a namespace.)
static void InitSoundResources()
{
    Q_INIT_RESOURCE(sounds);
}

std::string WarningTonePath()
{
    static const bool initialised = (InitSoundResources(), true);
    (void)initialised;
    return ":/sounds/warning-tone.wav";
}

void ChooseMediaBackend()
{
    // The GStreamer back end crashes while it is created when GStreamer's own plugins are
    // missing (a plain Debian system); the FFmpeg back end needs nothing more. A back end
    // chosen by the user through the environment is kept.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}

cQtSoundPlayer::cQtSoundPlayer(QObject* parent) : QObject(parent)
{
    ChooseMediaBackend();
}

cQtSoundPlayer::~cQtSoundPlayer()
{
    Close();
}

bool cQtSoundPlayer::Open(const std::string& path)
{
    Close();
    const QString name = QString::fromStdString(path);
    const bool resource = name.startsWith(QLatin1String(":/"));
    if (resource ? !QFile::exists(name) : !FileReadable(path))
        return false;
    // The back end is created on first use, so views without sounds stay light.
    m_output = std::make_unique<QAudioOutput>();
    m_output->setVolume(static_cast<float>(m_nVolume) / 1000.0f);
    m_player = std::make_unique<QMediaPlayer>();
    m_player->setAudioOutput(m_output.get());
    m_player->setSource(resource ? QUrl(QLatin1String("qrc") + name) : QUrl::fromLocalFile(name));
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
    // Pausing a stopped player starts its output too.
    if (CanPlay())
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

bool HasAudioOutput()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

bool cQtSoundPlayer::CanPlay() const
{
    // Without an output device the FFmpeg back end writes its samples to a sink that
    // was never opened and brings the whole program down; such a sound stays silent.
    // The device is asked anew each time, so one plugged in later is used.
    return m_player && m_player->mediaStatus() != QMediaPlayer::InvalidMedia &&
           m_player->error() == QMediaPlayer::NoError && HasAudioOutput();
}
