#pragma once
// The sound player of the training view: plays a task's sound file through the sound
// module, which brings Qt Multimedia along and is loaded on the first sound (a start
// without sounds stays light).

#include "practice/QueryHost.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

/// Picks the media back end before the first player exists (see SoundPlayer.cpp).
void ChooseMediaBackend();
/// True when the system has an audio output device to play on (loads the sound module).
[[nodiscard]] bool HasAudioOutput();
/// The warning tone built into the program, as a resource path that cQtSoundPlayer opens.
[[nodiscard]] std::string WarningTonePath();
/// Where the sound module is looked for, in order: $QUORVANT_SOUND_MODULE when set, beside
/// the program (installed), then in the build tree.
[[nodiscard]] QStringList SoundModulePaths();

class QMediaPlayer;
class cSoundBackend;

class cQtSoundPlayer : public QObject, public cSoundPlayer {
    Q_OBJECT
public:
    explicit cQtSoundPlayer(QObject* parent = nullptr);
    ~cQtSoundPlayer() override;

    /// Opens the file at this full path (UTF-8) or resource path (":/..."); false when it
    /// cannot be read or the sound module is missing (said once per run).
    bool Open(const std::string& path) override;
    void Close() override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    /// Volume from 0 to 1000.
    void SetVolume(int volume) override;
    /// True while a file is open that the media back end has not refused and an audio
    /// output device exists.
    bool CanPlay() const override;

    /// The media player while a file is open, else nullptr (tests look at its state).
    [[nodiscard]] QMediaPlayer* Player() const;

private:
    std::unique_ptr<cSoundBackend> m_backend;
    int m_nVolume = 1000;
};
