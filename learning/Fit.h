#pragma once
// Fitting the memory model's weights to the learner's own answers: the weights that best
// predict whether an answer on a later day was right (by log loss), found by a coordinate
// search within the ranges the published model allows. Every fifth task is held out of
// the search to measure what the fitted weights gain on answers they have not seen.

#include "learning/Answer.h"
#include "learning/Fsrs.h"

#include <vector>

struct cFitResult {
    /// Fewer predicted answers than this leave the defaults as they are.
    static constexpr int kMinReviews = 1000;

    cFsrsWeights weights = kFsrsDefaultWeights;
    int reviews = 0;          // answers predicted: on a later day than the task's previous one
    int heldOut = 0;          // of them, in held-out tasks
    double lossDefault = 0;   // log loss of the default weights on the held-out answers
    double lossFitted = 0;    // of the fitted weights
    [[nodiscard]] bool Enough() const { return reviews >= kMinReviews && heldOut > 0; }
    /// Whether the fitted weights predict the held-out answers better than the defaults.
    [[nodiscard]] bool Better() const { return Enough() && lossFitted < lossDefault; }
};

[[nodiscard]] cFitResult FitWeights(const std::vector<cTaskAnswers>& tasks);
