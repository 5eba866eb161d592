#include "base/Settings.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include <sys/stat.h>

using testfiles::Hex;
using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::ToHex;
using testfiles::WriteBytes;

namespace {

cSettings Make(int beep, int next, int print) {
    cSettings s;
    s.m_bBeepOnWrong = beep; s.m_bNextOnRight = next; s.m_nPrintSelection = print;
    return s;
}

TEST(SettingsSave, WritesEveryValue) {
    struct Case { const char* name; cSettings settings; std::string bytes; };
    const Case cases[] = {
        {"defaults", cSettings{}, Hex({7, 2, 1, 1, 1, 1, 7, 0, 1, 0, 7, 20})},
        {"cleared, third radio", Make(0, 0, 2), Hex({7, 2, 1, 0, 1, 0, 7, 2, 1, 0, 7, 20})},
        {"beep only", Make(1, 0, 1), Hex({7, 2, 1, 1, 1, 0, 7, 1, 1, 0, 7, 20})},
        // Only exactly 1 counts as set when writing.
        {"flag value 5", Make(5, -1, 0), Hex({7, 2, 1, 0, 1, 0, 7, 0, 1, 0, 7, 20})},
        {"large print choice", Make(1, 1, 300), Hex({7, 2, 1, 1, 1, 1, 8, 1, 0x2C, 1, 0, 7, 20})},
        {"plan on, 300 new per day", [] { cSettings s; s.m_bPlan = 1; s.m_nNewPerDay = 300;
                                            return s; }(), Hex({7, 2, 1, 1, 1, 1, 7, 0, 1, 1, 8, 1, 0x2C})},
        {"negative print choice", Make(1, 1, -1), Hex({7, 2, 1, 1, 1, 1, 7, 0xFF, 1, 0, 7, 20})}};
    TempDir dir;
    const std::string path = dir.Path(kSettingsFileName);
    for (const Case& c : cases) {
        c.settings.SaveSettings(path);
        EXPECT_EQ(ToHex(ReadBytes(path)), ToHex(c.bytes)) << c.name;
    }
}

TEST(SettingsLoad, ReadsWhatTheFileHolds) {
    struct Case {
        const char* name; std::string bytes; int beep, next, print;
        int plan = 0, perDay = 20;
        bool missing = false; // no file at all
        bool quiet = true;    // false: boxes not checked (the reader reports a wrong first value)
    };
    const Case cases[] = {
        {"defaults file", Hex({7, 2, 1, 1, 1, 1, 7, 0}), 1, 1, 0},
        {"cleared", Hex({7, 2, 1, 0, 1, 0, 7, 2}), 0, 0, 2},
        {"empty file", "", 1, 1, 0},
        {"only the version", Hex({7, 2}), 1, 1, 0},
        {"ends after beep", Hex({7, 2, 1, 0}), 0, 1, 0},
        {"ends after next", Hex({7, 2, 1, 0, 1, 0}), 0, 0, 0},
        {"ends inside print choice", Hex({7, 2, 1, 0, 1, 0, 8, 1}), 0, 0, 0},
        {"version not checked", Hex({7, 9, 1, 0, 1, 1, 7, 1}), 0, 1, 1},
        {"wide print choice", Hex({7, 2, 1, 1, 1, 1, 4, 0, 1, 0, 0}), 1, 1, 65536},
        {"non-zero bool byte", Hex({7, 2, 1, 7, 1, 0, 7, 0}), 1, 0, 0},
        {"first value truncated", Hex({8, 0}), 1, 1, 0},
        {"plan and 5 per day", Hex({7, 2, 1, 1, 1, 1, 7, 0, 1, 1, 7, 5}), 1, 1, 0, 1, 5},
        {"per day out of range", Hex({7, 2, 1, 1, 1, 1, 7, 0, 1, 1, 4, 0, 1, 0, 0}), 1, 1, 0, 1, 20},
        {"first value no number", Hex({12, 1, 0, 1, 0, 7, 2}), 1, 1, 0, 0, 20, false, false},
        {"missing file", "", 1, 1, 0, 0, 20, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.Path(kSettingsFileName);
        if (!c.missing)
            WriteBytes(path, c.bytes);
        RecordingPresenter boxes;
        cSettings s = Make(0, 0, 2); // whatever was there before is replaced
        s.LoadSettings(path);
        EXPECT_EQ(std::tie(s.m_bBeepOnWrong, s.m_bNextOnRight, s.m_nPrintSelection, s.m_bPlan,
                           s.m_nNewPerDay),
                  std::tie(c.beep, c.next, c.print, c.plan, c.perDay));
        // A short or damaged settings file is not worth a message at start-up.
        EXPECT_TRUE(boxes.boxes.empty() || !c.quiet);
    }
}

// Saving creates the folder and replaces an older file without leftovers.
TEST(SettingsSave, CreatesTheFolderAndReplaces) {
    TempDir dir;
    const std::string path = dir.Path("neu/Quorvant/settings_vdr.dat");
    Make(0, 1, 2).SaveSettings(path);
    EXPECT_EQ(ToHex(ReadBytes(path)), ToHex(Hex({7, 2, 1, 0, 1, 1, 7, 2, 1, 0, 7, 20})));
    Make(1, 0, 1).SaveSettings(path);
    cSettings s;
    s.LoadSettings(path);
    EXPECT_EQ(std::tie(s.m_bBeepOnWrong, s.m_bNextOnRight, s.m_nPrintSelection), std::make_tuple(1, 0, 1));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path("neu/Quorvant")), {}), 1);
}

TEST(SettingsSave, FailureIsSilentAndHarmless) {
    TempDir dir;
    mkdir(dir.Path(kSettingsFileName).c_str(), 0700);
    RecordingPresenter boxes;
    cSettings{}.SaveSettings(dir.Path(kSettingsFileName));
    WriteBytes(dir.Path("datei"), "x"); // a file where the folder would have to be
    cSettings{}.SaveSettings(dir.Path("datei/settings_vdr.dat"));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"datei", kSettingsFileName}));
}

} // namespace

// The one rule by which the window and quorvant-cli find the settings file.
TEST(SettingsFilePath, IsInTheUsersConfigurationFolder) {
    struct Case {
        const char* config; const char* home; // XDG_CONFIG_HOME and HOME, nullptr: unset
        std::string path;
    };
    const Case cases[] = {
        {"/cfg", "/home/anna", "/cfg/Quorvant/settings_vdr.dat"},
        {nullptr, "/home/anna", "/home/anna/.config/Quorvant/settings_vdr.dat"},
        {"", "/home/anna", "/home/anna/.config/Quorvant/settings_vdr.dat"},
        {"relativ", "/home/anna", "/home/anna/.config/Quorvant/settings_vdr.dat"},
        {nullptr, nullptr, "/opt/quorvant/settings_vdr.dat"},
    };
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string oldConfig = savedConfig ? savedConfig : "";
    const std::string oldHome = savedHome ? savedHome : "";
    auto set = [](const char* name, const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
    };
    for (const Case& c : cases) {
        set("XDG_CONFIG_HOME", c.config);
        set("HOME", c.home);
        EXPECT_EQ(SettingsFilePath("/opt/quorvant/"), c.path) << (c.config ? c.config : "-");
    }
    set("XDG_CONFIG_HOME", savedConfig ? oldConfig.c_str() : nullptr);
    set("HOME", savedHome ? oldHome.c_str() : nullptr);
}
