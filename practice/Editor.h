#pragma once
// The store rules of the task editor and the questionnaire dialog, without the dialogs.

#include "data/Questionnaire.h"
#include "data/Task.h"
#include "data/TrainingData.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

/// Entries of the editor's type list (1014), in order.
[[nodiscard]] const std::vector<std::string>& TaskTypeEntries();
/// Entries of the picture size list (1044), in their sorted order.
[[nodiscard]] const std::vector<std::string>& PictureSizeEntries();
/// Entries of the picture placement list (1047), in their sorted order.
[[nodiscard]] const std::vector<std::string>& PicturePlaceEntries();

/// Number of answer edits of the task editor.
inline constexpr int kEditorChoices = 5;

/// What the task editor shows and takes back. Combo positions are -1 without selection.
struct cTaskEditTexts {
    int type = 0;
    std::string question;
    std::string solution;
    std::string pattern;
    std::string sound;
    std::string picture;
    int pictureSize = 0;
    int picturePlace = 0;
    std::string points;
    std::string taskNo;
    std::string category;
    std::array<std::string, kEditorChoices> choices;
    std::array<bool, kEditorChoices> choiceRight{};
    bool selfAssess = false;
};

/// The editor's texts for a task.
[[nodiscard]] cTaskEditTexts TaskEditTexts(const cTask& task);

/// 0 when the editor's texts can be stored; 1 when they are refused (points, read as
/// atol reads them, outside 0 to 8), after a message to the user. The dialog then stays open.
[[nodiscard]] int CheckTaskEditTexts(const cTaskEditTexts& texts);

/// Stores the editor's texts into the task (pattern count, answer count, combo
/// positions as 8 bits, points as their low 8 bits).
void StoreTaskEditTexts(const cTaskEditTexts& texts, cTask& task);

/// A new task for "Neue Aufgabe": defaults, the last task's category, and the last task's
/// number plus one ("1" and an empty category in a file without tasks).
[[nodiscard]] cTask NewTaskProposal(const cTrainingData& data);

/// The six texts of the questionnaire dialog.
struct cSplitTexts {
    std::string taskList;     // task numbers joined with ","
    std::string name;
    std::string time;         // minutes
    std::string passPoints;
    std::string retakePoints;
    std::string totalPoints;  // read-only
};

/// The dialog's texts for a questionnaire of data.
[[nodiscard]] cSplitTexts SplitTexts(const cQuestionnaire& q, const cTrainingData& data);

/// Applies the dialog's texts to the questionnaire; shows message 101 for every task
/// number that matches no task. Returns the number of such pieces.
int ApplySplitTexts(const cSplitTexts& texts, cQuestionnaire& q, const cTrainingData& data);
