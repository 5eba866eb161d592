#pragma once
// The memory model: FSRS version 5 with its published default parameters. A task's
// memory is its stability (days until recall falls to 90 %) and difficulty (1..10); each
// answer moves both by its rating, and recall falls with the time since the last answer.

#include <array>
#include <cstdint>

/// The four grades of the model; this program gives Again, Hard and Good.
enum class Rating : int { Again = 1, Hard = 2, Good = 3, Easy = 4 };

/// The 19 weights of FSRS-5.
using cFsrsWeights = std::array<double, 19>;

/// The published default weights of FSRS-5.
inline constexpr cFsrsWeights kFsrsDefaultWeights = {
    0.40255, 1.18385, 3.173,   15.69105, 7.1949, 0.5345, 1.4604, 0.0046, 1.54575, 0.1192,
    1.01925, 1.9395,  0.11,    0.29605,  2.2698, 0.2315, 2.9898, 0.51655, 0.6621};

inline constexpr double kSecondsPerDay = 86400.0;

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
