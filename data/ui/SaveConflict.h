#pragma once
// The question asked when a training file changed on disk since it was read: another
// program's changes are never overwritten without the user's word.

#include "data/Document.h"

#include <QString>

#include <functional>

class QWidget;

enum class SaveConflictChoice { Overwrite, SaveAs, Discard, Cancel, Merge };
/// whyNoMerge is empty when "Zusammenführen" is offered, else the reason it is not.
using SaveConflictAsker =
    std::function<SaveConflictChoice(const QString& fileName, const QString& whyNoMerge)>;

/// Why a merge is not offered, in German; empty for MergeBlock::None.
[[nodiscard]] QString MergeBlockText(MergeBlock block);
/// Asks whether to merge this window's answers into the file (the default, offered when
/// whyNoMerge is empty), overwrite it, save under another name or discard these changes
/// ("Abbrechen" and Esc do none of these); the box says what each choice does.
SaveConflictChoice AskSaveConflict(QWidget* parent, const QString& fileName,
                                   const QString& whyNoMerge);
/// Replaces the question (tests); an empty asker restores the message box.
void SetSaveConflictAsker(SaveConflictAsker asker);
