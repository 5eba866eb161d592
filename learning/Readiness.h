#pragma once
// Exam readiness: the exact distribution of the points sum of an exam when each task is
// answered right (all its points) with its own probability, independently of the others.

#include <cstdint>
#include <vector>

/// One exam task: its points and the probability of answering it right.
struct cExamTask {
    int points = 0;
    double recall = 0;
};

struct cReadiness {
    double pass = 0;   // probability of reaching the pass points
    double retake = 0; // probability of reaching the re-examination points
};

/// Probability of each points sum 0..(sum of all points).
[[nodiscard]] std::vector<double> PointsDistribution(const std::vector<cExamTask>& tasks);

/// Probabilities of reaching passPoints and retakePoints (a retake threshold above the
/// pass points counts as the pass points, as the exam verdict has it).
[[nodiscard]] cReadiness ExamReadiness(const std::vector<cExamTask>& tasks, std::int64_t passPoints,
                                       std::int64_t retakePoints);
