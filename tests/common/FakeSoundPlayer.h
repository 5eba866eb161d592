#pragma once
// A sound player for tests: records every call instead of playing.

#include "practice/QueryHost.h"

#include <string>
#include <vector>

namespace testdata {

class FakePlayer : public cSoundPlayer {
public:
    bool Open(const std::string& path) override {
        log.push_back("open " + path);
        return true;
    }
    void Close() override { log.push_back("close"); }
    void Play() override { log.push_back("play"); }
    void Pause() override { log.push_back("pause"); }
    void Stop() override { log.push_back("stop"); }
    void SetVolume(int volume) override { log.push_back("volume " + std::to_string(volume)); }

    std::vector<std::string> log;
};

} // namespace testdata
