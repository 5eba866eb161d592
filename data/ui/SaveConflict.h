#pragma once
// The question asked when a training file changed on disk since it was read: another
// program's changes are never overwritten without the user's word.

#include <QString>

#include <functional>

class QWidget;

enum class SaveConflictChoice { Overwrite, SaveAs, Discard, Cancel };
using SaveConflictAsker = std::function<SaveConflictChoice(const QString& fileName)>;

/// Asks whether to overwrite the file, save under another name or discard these changes
/// ("Abbrechen" and Esc do none of these).
SaveConflictChoice AskSaveConflict(QWidget* parent, const QString& fileName);
/// Replaces the question (tests); an empty asker restores the message box.
void SetSaveConflictAsker(SaveConflictAsker asker);
