#pragma once
// The program directory as the window sees it.

#include <QString>

/// Directory of the running executable with a trailing "/".
QString ProgramDirPath();
/// Overrides ProgramDirPath() (tests); an empty text restores the real one.
void SetProgramDirPath(const QString& dir);
