#pragma once
// The text shown after an answer check, shared by the window and the command-line tool.

#include "data/Task.h"
#include "data/TrainingData.h"

#include <string>

/// Result text after a check: "'" + typed answer + verdict line + the right- or
/// wrong-answer template with "{frage}" and then "{antwort}" filled in.
std::string VerdictText(int verdict, const std::string& typedAnswer, const cTask& task,
                        const cTrainingData& data);

/// What a multiple-choice answer says in the verdict text: the ticked choices, separated
/// by ", ", or "nichts angekreuzt".
[[nodiscard]] std::string TickedChoicesText(const cTask& task);

/// The last-verdict value that presets the self-assessment: 2 exact, 1 tolerated, 0 wrong.
[[nodiscard]] int LastVerdictFor(int verdict);

/// The line put between the quoted answer and the template for this verdict.
const std::string& VerdictLine(int verdict);

/// text with every occurrence of from replaced by to; inserted text is not searched again.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);
