#pragma once
// The menu command "Auf neuere Version testen" of the main window.

#include <QString>

class QWidget;
class cWaitDialog;

/// Checks for a newer version and, when the user agrees, downloads it into programDir.
/// The transfers run on a worker thread while wait shows; the boxes belong to owner.
void OnCheckForUpdate(QWidget* owner, cWaitDialog& wait, const QString& programDir);
