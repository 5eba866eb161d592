#include "learning/Fit.h"

#include "learning/Answer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The search works on at most this many answers; more cost time and change little.
constexpr int kMaxTrainingAnswers = 40000;

struct cEvent {
    double elapsedDays;
    bool sameDay;
    int grade;
};

struct cSequence {
    int firstGrade;
    std::vector<cEvent> rest;
};

// Mean log loss of the recall predicted for every answer on a later day than the one before.
double Loss(const cFsrs& fsrs, const std::vector<const cSequence*>& sequences)
{
    double sum = 0;
    int count = 0;
    for (const cSequence* q : sequences) {
        cMemoryState s;
        const Rating first = RatingOfGrade(q->firstGrade);
        s.stability = fsrs.InitialStability(first);
        s.difficulty = std::clamp(fsrs.InitialDifficulty(first), 1.0, 10.0);
        for (const cEvent& e : q->rest) {
            if (!e.sameDay) {
                const double p = std::clamp(cFsrs::Recall(e.elapsedDays, s.stability), 1e-4, 1 - 1e-4);
                sum -= std::log(e.grade == GradeWrong ? 1 - p : p);
                ++count;
            }
            fsrs.Step(s, RatingOfGrade(e.grade), e.elapsedDays, e.sameDay);
        }
    }
    return count ? sum / count : 0;
}

} // namespace

cFitResult FitWeights(const std::vector<cTaskAnswers>& tasks)
{
    cFitResult result;
    std::vector<cSequence> sequences;
    std::vector<const cSequence*> training, heldOut;
    sequences.reserve(tasks.size());
    for (const cTaskAnswers& answers : tasks) {
        if (answers.empty())
            continue;
        cSequence& q = sequences.emplace_back(cSequence{answers.front().second, {}});
        for (std::size_t i = 1; i < answers.size(); ++i) {
            const double elapsed = static_cast<double>(answers[i].first - answers[i - 1].first) / kSecondsPerDay;
            const bool sameDay = elapsed < 1.0 && cFsrs::SameDay(answers[i].first, answers[i - 1].first);
            q.rest.push_back({std::max(elapsed, 0.0), sameDay, answers[i].second});
            result.reviews += sameDay ? 0 : 1;
        }
    }
    int trainingAnswers = 0;
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        const auto reviews = std::count_if(sequences[i].rest.begin(), sequences[i].rest.end(),
                                           [](const cEvent& e) { return !e.sameDay; });
        if (i % 5 == 4) {
            heldOut.push_back(&sequences[i]);
            result.heldOut += static_cast<int>(reviews);
        } else {
            training.push_back(&sequences[i]);
            trainingAnswers += static_cast<int>(reviews);
        }
    }
    if (!result.Enough())
        return result;
    // A large history is searched on an even sample of its training tasks.
    if (trainingAnswers > kMaxTrainingAnswers) {
        const std::size_t keep = training.size() * kMaxTrainingAnswers / trainingAnswers;
        std::vector<const cSequence*> sample;
        for (std::size_t k = 0; k < keep; ++k)
            sample.push_back(training[k * training.size() / keep]);
        training.swap(sample);
    }
    cFsrsWeights w = kFsrsDefaultWeights;
    double best = Loss(cFsrs(w), training);
    // Each weight is moved by a factor up and down while that lowers the loss, with
    // smaller factors once no weight moves any more.
    for (double step = 0.25; step > 0.01; step /= 2) {
        for (int round = 0; round < 8; ++round) {
            bool moved = false;
            for (std::size_t i = 0; i < w.size(); ++i)
                for (const double factor : {std::exp(step), std::exp(-step)}) {
                    cFsrsWeights trial = w;
                    trial[i] = std::clamp(w[i] * factor, kFsrsWeightRange[i].first, kFsrsWeightRange[i].second);
                    if (trial[i] == w[i])
                        continue;
                    if (const double loss = Loss(cFsrs(trial), training); loss < best) {
                        best = loss;
                        w = trial;
                        moved = true;
                    }
                }
            if (!moved)
                break;
        }
    }
    result.weights = w;
    result.lossDefault = Loss(cFsrs(), heldOut);
    result.lossFitted = Loss(cFsrs(w), heldOut);
    return result;
}
