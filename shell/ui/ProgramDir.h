#pragma once
// The program directory as the window sees it, and where the settings file lives.

#include <QString>

/// Directory of the running executable with a trailing "/".
QString ProgramDirPath();
/// Overrides ProgramDirPath() (tests); an empty text restores the real one.
void SetProgramDirPath(const QString& dir);

/// Where "settings_vdr.dat" lives: in programDir when that directory is writable, else in
/// the user's configuration directory (an installed program), which is created if needed.
QString SettingsFilePath(const QString& programDir);
