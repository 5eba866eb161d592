#pragma once
// What a screen reader says for the view's pictures and changing states: the statistics
// image of a task list row, a multiple-choice tick, the exam countdown. Plain German
// text (ASCII and Windows-1252 bytes), for the window's accessible names.

#include "data/Task.h"

#include <string>

/// The image of a task list row as words: the counters ("3 richtig, 1 teilweise,
/// 2 falsch"; without "teilweise" for one-point tasks), or the exam state of the row.
[[nodiscard]] std::string RowImageSpeech(const cTask& task, int image, bool exam,
                                         bool evaluation);

/// A multiple-choice tick icon as words ("angekreuzt, richtig" ...).
[[nodiscard]] std::string TickSpeech(int tickIcon);

/// What the countdown says after a tick that moved the elapsed time from previous to
/// elapsed seconds: the remaining time when a whole minute has passed, with a note when
/// 70 % or 90 % of the time were reached; "" when nothing is to be said (and always
/// without a time limit).
[[nodiscard]] std::string CountdownSpeech(int timeLimit, int previous, int elapsed);
