#pragma once
// The memory model: FSRS version 5 with its published default parameters. A task's
// memory is its stability (days until recall falls to 90 %) and difficulty (1..10); each
// answer moves both by its rating, and recall falls with the time since the last answer.

#include <array>
#include <cstdint>
#include <utility>

/// The four grades of the model; this program gives Again, Hard and Good.
enum class Rating : int { Again = 1, Hard = 2, Good = 3, Easy = 4 };

/// The 19 weights of FSRS-5.
using cFsrsWeights = std::array<double, 19>;

/// The published default weights of FSRS-5.
inline constexpr cFsrsWeights kFsrsDefaultWeights = {
    0.40255, 1.18385, 3.173,   15.69105, 7.1949, 0.5345, 1.4604, 0.0046, 1.54575, 0.1192,
    1.01925, 1.9395,  0.11,    0.29605,  2.2698, 0.2315, 2.9898, 0.51655, 0.6621};

/// The ranges the published model keeps its weights in.
inline constexpr std::array<std::pair<double, double>, 19> kFsrsWeightRange = {{
    {0.01, 100}, {0.01, 100}, {0.01, 100}, {0.01, 100}, {1, 10}, {0.001, 4}, {0.001, 4},
    {0.001, 0.75}, {0, 4.5}, {0, 0.8}, {0.001, 3.5}, {0.001, 5}, {0.001, 0.25}, {0.001, 0.9},
    {0, 4}, {0, 1}, {1, 6}, {0, 2}, {0, 2},
}};

inline constexpr double kSecondsPerDay = 86400.0;
/// The latest time the history knows (the end of the year 9999, UTC); stored times are
/// kept between 0 and this, so sums and differences of them never overflow.
inline constexpr std::int64_t kLatestTime = 253402300799;

/// The memory of one task; reps == 0 is a task never answered ("new").
struct cMemoryState {
    double stability = 0;   // days
    double difficulty = 0;  // 1..10
    std::int64_t last = 0;  // time of the last answer, seconds since 1970 (UTC)
    std::int32_t reps = 0;  // answers counted into the state
    std::int32_t lapses = 0; // answers rated Again after the first one
    [[nodiscard]] bool IsNew() const { return reps == 0; }
    bool operator==(const cMemoryState&) const = default;
};

/// The state within the model's ranges (stability, difficulty, times, counts); what a
/// damaged or edited history holds cannot upset the formulas. A state without answers
/// is new.
[[nodiscard]] cMemoryState SaneState(const cMemoryState& s);
/// The weights within the published ranges (the defaults for a weight that is no number).
[[nodiscard]] cFsrsWeights SaneWeights(const cFsrsWeights& w);
/// A stored time within 0 and kLatestTime.
[[nodiscard]] std::int64_t SaneTime(std::int64_t at);

class cFsrs {
public:
    explicit cFsrs(const cFsrsWeights& w = kFsrsDefaultWeights) : m_w(w) {}

    /// Probability of recall after elapsedDays at this stability.
    [[nodiscard]] static double Recall(double elapsedDays, double stability);
    /// Probability of recall of the state at time now (seconds); 0 for a new task.
    [[nodiscard]] static double RecallAt(const cMemoryState& s, std::int64_t now);
    /// Days after the last answer at which recall falls to retention.
    [[nodiscard]] static double IntervalDays(double stability, double retention);
    /// Time (seconds) at which the task falls to retention; 0 for a new task.
    [[nodiscard]] static std::int64_t DueAt(const cMemoryState& s, double retention);

    /// The state after an answer with this rating at time now (seconds).
    [[nodiscard]] cMemoryState Review(const cMemoryState& s, Rating rating, std::int64_t now) const;
    /// The new stability and difficulty of a state that was answered before, elapsedDays
    /// after its last answer, on the same calendar day or not (what Review decides from
    /// the times; fitting the weights replays the same answers many times).
    void Step(cMemoryState& s, Rating rating, double elapsedDays, bool sameDay) const;
    /// Whether two times fall on the same local calendar day.
    [[nodiscard]] static bool SameDay(std::int64_t a, std::int64_t b);

    [[nodiscard]] double InitialStability(Rating r) const;
    [[nodiscard]] double InitialDifficulty(Rating r) const;
    [[nodiscard]] const cFsrsWeights& Weights() const { return m_w; }

private:
    [[nodiscard]] double NextDifficulty(double d, Rating r) const;
    [[nodiscard]] double RecallStability(double d, double s, double r, Rating g) const;
    [[nodiscard]] double ForgetStability(double d, double s, double r) const;
    [[nodiscard]] double ShortTermStability(double s, Rating g) const;

    cFsrsWeights m_w;
};
