#pragma once
// The program's file dialogs: Qt's own file dialog, wide enough for all of its columns,
// naming training files as such; the other types in German through Qt's translations and
// the German locale the program sets.

#include <QString>

class QFileDialog;
class QWidget;

/// A file to open; "" when cancelled. selectedFilter, when given, is preset and set.
QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& dir,
                       const QString& filter, QString* selectedFilter = nullptr);
/// A file to write (asks before replacing one); "" when cancelled.
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& dir,
                       const QString& filter, QString* selectedFilter = nullptr);
/// Sizes a file dialog for its columns and names its file types (tests look at it).
void PrepareFileDialog(QFileDialog& dialog);
