#pragma once
// Exam simulation rules that need no state: time stamps, the countdown bar and the
// verdict text of the evaluation.

#include "practice/QueryHost.h"

#include <cstdint>
#include <string>

/// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kColourBlack = 0x000000;
inline constexpr std::uint32_t kColourRed = 0xFF0000;
inline constexpr std::uint32_t kColourYellow = 0xFFFF00;
inline constexpr std::uint32_t kColourGreen = 0x00FF00;
inline constexpr std::uint32_t kColourLightGreen = 0x32FF32;

/// (month * 100 + day) * 100000 + second of the day.
[[nodiscard]] std::int32_t ExamTimeStamp(const cLocalTime& t);

/// Seconds between two stamps; one change of the day of month counts 86400 more.
[[nodiscard]] int ExamElapsedSeconds(std::int32_t start, std::int32_t now);

/// What the exam time bar shows.
struct cExamBar {
    std::string text;
    std::uint32_t barColour = kColourGreen;
    std::uint32_t textColour = kColourBlack;
    std::uint32_t textColourOnBar = kColourBlack;
    int lower = 0;
    int upper = 1;
    int pos = 1;
};

/// Bar before the first tick: range 0..T at T, or 0..1 at 1 without a time limit.
void PrepareExamBar(std::int32_t timeLimit, cExamBar& bar);

/// Bar after one countdown tick: "%d:%.2d" of the remaining time and the colour by the
/// elapsed share (red from 0.9, yellow from 0.7, else green); "keine Zeitbegrenzung"
/// on light green for a time limit of 0.
void CountdownBar(std::int32_t timeLimit, int elapsed, cExamBar& bar);

/// Caption and text of the verdict box at the end of the evaluation.
struct cExamVerdict {
    std::string caption;
    std::string text;
};

/// Verdict for achieved points against the pass and re-examination thresholds.
[[nodiscard]] cExamVerdict ExamVerdict(std::int32_t achieved, std::int32_t pass,
                                       std::int32_t retake);
