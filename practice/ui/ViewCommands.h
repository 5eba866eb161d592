#pragma once
// Command ids of the training view's own commands, which the main frame routes to the
// active view from its menus, tool bar and accelerators. They keep their resource numbers
// so that the code can be followed next to the program's description of its commands.
// The view's command table (VendrillViewCommands.cpp) gives each its handler and enabled
// rule; the frame's other commands are in shell/ui/Commands.h, which includes this file.

namespace cmd {
inline constexpr int kResetStatistics = 32775;
inline constexpr int kDetailView = 32779;
inline constexpr int kMiniatureView = 32780;
inline constexpr int kToggleView = 32781; // Ctrl+A
inline constexpr int kEscape = 32784;     // Esc
inline constexpr int kOverview = 32785;   // "Zur Übersicht"
inline constexpr int kNewQuestionnaire = 32787;
inline constexpr int kNewTask = 32788;
inline constexpr int kDeleteTask = 32789;
inline constexpr int kDeleteQuestionnaire = 32790;
inline constexpr int kSplitQuestionnaire = 32792;
inline constexpr int kExamStart = 32793;
inline constexpr int kExamEnd = 32794;
inline constexpr int kEvaluationEnd = 32795;
inline constexpr int kDelete = 32796; // Del key: no behaviour of its own
} // namespace cmd
