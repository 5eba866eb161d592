#pragma once
// The German wording of the exam readiness, one rule for the terminal and the window.

#include "learning/Learner.h"

#include <string>
#include <vector>

/// A probability as a rounded German percentage: "42 %".
[[nodiscard]] std::string PercentText(double p);

/// Everything about one exam questionnaire: "Bestehen heute 42 %, Nachprüfung heute 61 %"
/// and, with an exam date, "; am Prüfungstermin 80 %, Nachprüfung 93 %" (UTF-8).
[[nodiscard]] std::string ReadinessLine(const cExamReadiness& r, bool examDate);

/// The pass chance alone, for a row of the overview: "Bestehen heute 42 %" and, with an
/// exam date, ", am Prüfungstermin 80 %" (UTF-8).
[[nodiscard]] std::string ReadinessNote(const cExamReadiness& r, bool examDate);

/// The file's readiness (the mean over its exam questionnaires): "Prüfungsbereitschaft
/// heute: 42 %" and, with an exam date, ", am Prüfungstermin: 80 %"; empty without an
/// exam questionnaire (UTF-8).
[[nodiscard]] std::string FileReadinessLine(const std::vector<cExamReadiness>& r, bool examDate);
