#pragma once
// The program-wide preferences, stored in "settings_vdr.dat" in the user's configuration
// folder as values of the tagged value stream: version 2, two flags and the print choice,
// then the learning plan's flag and its new tasks per day (older programs stop reading
// after the print choice, so the file stays readable for them).

#include <cstdint>
#include <string>

/// File name of the program settings.
inline constexpr const char* kSettingsFileName = "settings_vdr.dat";

/// Where the window and quorvant-cli alike find the program settings: in the user's
/// configuration folder, $XDG_CONFIG_HOME/Quorvant/ (by default ~/.config/Quorvant/), beside
/// the recent-file list. The two programs live in different folders (and an installed
/// program's folder is not writable), so their own folders cannot be the meeting place;
/// programDir (with a trailing "/") serves only when the user has no home folder.
[[nodiscard]] std::string SettingsFilePath(const std::string& programDir);

/// Which tasks printing includes.
enum PrintSelection : std::int32_t {
    PrintAll = 0,
    PrintWrongOnce = 1,
    PrintMostlyWrong = 2,
};

struct cSettings {
    /// Back to the defaults, then the file's values where it can be read; a missing or
    /// damaged file is not reported.
    void LoadSettings(const std::string& path);
    /// Writes the values (creating the folder), replacing the file only when all were
    /// written; a failure is not reported (the values stay in memory).
    void SaveSettings(const std::string& path) const;

    std::int32_t m_bBeepOnWrong = 1;    // non-zero: beep after a wrong answer
    std::int32_t m_bNextOnRight = 1;    // non-zero: next task at once after a right answer
    std::int32_t m_nPrintSelection = 0; // PrintSelection
    std::int32_t m_bPlan = 0;           // non-zero: "Nach Lernplan üben"
    std::int32_t m_nNewPerDay = 20;     // new tasks per day in the plan, 0..9999
};

/// Bounds of the new tasks per day.
inline constexpr std::int32_t kMaxNewPerDay = 9999;
