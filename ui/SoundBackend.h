#pragma once
// The boundary between the window and its sound module (quorvant-sound.so). The module
// holds everything of Qt Multimedia, whose libraries and codecs would otherwise be loaded
// at every start; the window loads it on the first sound only (see SoundPlayer.cpp).

#include "practice/QueryHost.h"

class QMediaPlayer;

/// The player inside the module. Open expects a file that exists and can be read.
class cSoundBackend : public cSoundPlayer {
public:
    /// The media player while a file is open, else nullptr.
    [[nodiscard]] virtual QMediaPlayer* Player() const = 0;
};

/// What the module hands out; the version guards against a module from another build.
struct cSoundModule {
    int version;
    cSoundBackend* (*create)();
    bool (*hasAudioOutput)();
};
inline constexpr int kSoundModuleVersion = 1;

/// The one symbol the module exports.
extern "C" const cSoundModule* QuorvantSoundModule();
