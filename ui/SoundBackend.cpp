#include "ui/SoundBackend.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace {

bool HasOutputDevice()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

class cMediaSoundPlayer : public cSoundBackend {
public:
    ~cMediaSoundPlayer() override { Close(); }

    bool Open(const std::string& path) override
    {
        Close();
        const QString name = QString::fromStdString(path);
        // A fresh back end per file, so views without sounds stay light.
        m_output = std::make_unique<QAudioOutput>();
        m_output->setVolume(static_cast<float>(m_nVolume) / 1000.0f);
        m_player = std::make_unique<QMediaPlayer>();
        m_player->setAudioOutput(m_output.get());
        m_player->setSource(name.startsWith(QLatin1String(":/"))
                                ? QUrl(QLatin1String("qrc") + name)
                                : QUrl::fromLocalFile(name));
        return true;
    }

    void Close() override
    {
        if (m_player) {
            m_player->stop();
            m_player->setSource(QUrl());
        }
        m_player.reset();
        m_output.reset();
    }

    void Play() override
    {
        if (CanPlay())
            m_player->play();
    }

    void Pause() override
    {
        // Pausing a stopped player starts its output too.
        if (CanPlay())
            m_player->pause();
    }

    void Stop() override
    {
        if (m_player) {
            m_player->stop();
            m_player->setPosition(0);
        }
    }

    void SetVolume(int volume) override
    {
        m_nVolume = std::clamp(volume, 0, 1000);
        if (m_output)
            m_output->setVolume(static_cast<float>(m_nVolume) / 1000.0f);
    }

    bool CanPlay() const override
    {
        // Without an output device the FFmpeg back end writes its samples to a sink that
        // was never opened and brings the whole program down; such a sound stays silent.
        // The device is asked anew each time, so one plugged in later is used.
        return m_player && m_player->mediaStatus() != QMediaPlayer::InvalidMedia &&
               m_player->error() == QMediaPlayer::NoError && HasOutputDevice();
    }

    QMediaPlayer* Player() const override { return m_player.get(); }

private:
    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
    int m_nVolume = 1000;
};

cSoundBackend* Create()
{
    return new cMediaSoundPlayer;
}

} // namespace

extern "C" Q_DECL_EXPORT const cSoundModule* QuorvantSoundModule()
{
    static constexpr cSoundModule module{kSoundModuleVersion, &Create, &HasOutputDevice};
    return &module;
}
