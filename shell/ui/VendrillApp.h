#pragma once
// Start-up of the window program: one program per user, the main window, the files named
// on the command line.

#include <QString>
#include <QStringList>

/// The training files named on a command line (arguments after the program name), as
/// absolute paths relative to currentDir; options starting with "-" are skipped and
/// file URLs are turned into paths.
QStringList CommandLineFiles(const QStringList& arguments, const QString& currentDir);

/// Runs the program; returns its exit status.
int RunQuorvant(int& argc, char** argv);
