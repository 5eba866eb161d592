#pragma once
// Rules of the task editor's file choosers: how a sound or picture file that the user
// picks is named in the task, so that the view finds it again.

#include <string>

/// Results of MediaNameForFile.
enum MediaNameResult : int {
    MediaNameOk = 0,
    MediaNameOutside = 1,    // not inside the program directory
    MediaNameUnusable = 2,   // a name the view would read differently
    MediaNameNotCp1252 = 3,  // a character the training file cannot hold
};

/// The text a task stores for a chosen file: its path relative to programDir (UTF-8,
/// trailing "/" optional), folders separated by "\", as Windows-1252 bytes. A sound must
/// lie in the program directory itself and its name must have no blank and no "-",
/// because the view cuts a sound text at the first "/" and drops blanks and dashes.
/// Returns a MediaNameResult; name is set only with MediaNameOk.
[[nodiscard]] int MediaNameForFile(const std::string& programDir, const std::string& file,
                                   bool sound, std::string& name);

/// The German text (Windows-1252) that tells the user why a chosen file cannot be used;
/// empty for MediaNameOk.
[[nodiscard]] std::string MediaNameMessage(int result, bool sound);
