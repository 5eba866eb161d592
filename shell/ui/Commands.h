#pragma once
// Command ids of the menus, tool bar and accelerators. They keep their resource numbers
// so that the code can be followed next to the program's description of its commands.
// The training view's own commands come with the view.

#include "practice/ui/ViewCommands.h"

namespace cmd {
inline constexpr int kHelp = 32773;
inline constexpr int kFileSettings = 32777;
inline constexpr int kSettings = 32782;
inline constexpr int kUpdate = 32786;
inline constexpr int kImport = 32810;
inline constexpr int kExport = 32811;
inline constexpr int kExamSheet = 32812;
inline constexpr int kProgress = 32813; // "Lernfortschritt..."
inline constexpr int kExamDate = 32814; // "Prüfungstermin..."

inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kPrintSetup = 57606;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kRecentFile = 57616;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditFind = 57636;
inline constexpr int kEditSelectAll = 57642;
inline constexpr int kEditRedo = 57644;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
inline constexpr int kNewWindow = 57648;
inline constexpr int kArrangeIcons = 57649;
inline constexpr int kCascade = 57650;
inline constexpr int kTile = 57651;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
inline constexpr int kToolBar = 59392;
inline constexpr int kStatusBar = 59393;
} // namespace cmd
