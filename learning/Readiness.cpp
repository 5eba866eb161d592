#include "learning/Readiness.h"

#include <algorithm>

std::vector<double> PointsDistribution(const std::vector<cExamTask>& tasks)
{
    std::size_t total = 0;
    for (const cExamTask& t : tasks)
        total += static_cast<std::size_t>(std::max(t.points, 0));
    std::vector<double> p(total + 1, 0.0);
    p[0] = 1.0;
    std::size_t reached = 0; // highest sum possible so far
    for (const cExamTask& t : tasks) {
        const std::size_t points = static_cast<std::size_t>(std::max(t.points, 0));
        const double right = std::clamp(t.recall, 0.0, 1.0);
        if (points == 0)
            continue;
        // Walk downwards so every sum is moved once per task.
        for (std::size_t s = reached + 1; s-- > 0;) {
            const double mass = p[s];
            p[s + points] += mass * right;
            p[s] = mass * (1.0 - right);
        }
        reached += points;
    }
    return p;
}

cReadiness ExamReadiness(const std::vector<cExamTask>& tasks, std::int64_t passPoints,
                         std::int64_t retakePoints)
{
    const std::vector<double> p = PointsDistribution(tasks);
    auto atLeast = [&p](std::int64_t threshold) {
        double sum = 0;
        for (std::size_t s = static_cast<std::size_t>(std::max<std::int64_t>(threshold, 0));
             s < p.size(); ++s)
            sum += p[s];
        return std::min(sum, 1.0);
    };
    cReadiness r;
    r.pass = atLeast(passPoints);
    r.retake = atLeast(std::min(retakePoints, passPoints));
    return r;
}
