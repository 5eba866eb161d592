// Which tasks go on each variant of an exam sheet, in which order, and the texts that
// the sheets and the key share.

#include "practice/ExamSheet.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <numeric>

namespace {

// A generator of our own (splitmix64), so that a seed printed on a key gives the same
// sheets with any standard library, on any machine, in any later version.
class cSheetRandom {
public:
    cSheetRandom(std::uint32_t seed, std::uint32_t stream)
        : m_state((static_cast<std::uint64_t>(stream) << 32) | seed)
    {
    }

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in 0 .. n-1 (n > 0), without the bias of a plain remainder.
    std::size_t Below(std::size_t n)
    {
        const std::uint64_t range = n;
        const std::uint64_t limit = UINT64_MAX - UINT64_MAX % range;
        std::uint64_t x = Next();
        while (x >= limit)
            x = Next();
        return static_cast<std::size_t>(x % range);
    }

    template <class T> void Shuffle(std::vector<T>& items)
    {
        for (std::size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[Below(i)]);
    }

private:
    std::uint64_t m_state;
};

// Stream 0 draws the tasks; stream k + 1 orders variant k.
constexpr std::uint32_t kDrawStream = 0;

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string TotalLine(const cQuestionnaire& q, int total)
{
    const std::string sum = std::to_string(total);
    if (q.m_nExamSeconds < 0)
        return "Insgesamt " + sum + (total == 1 ? " Punkt" : " Punkte");
    std::string line = "Bestanden ab " + std::to_string(q.m_nPassPoints) + " von " + sum + " Punkten";
    // A threshold at or above the pass mark grants nothing beyond passing.
    if (q.m_nRetakePoints < q.m_nPassPoints)
        line += Cp1252FromUtf8(", Nachprüfung ab ") + std::to_string(q.m_nRetakePoints) + " Punkten";
    return line;
}

bool IsChoiceTask(const cTask& task)
{
    return task.m_nType == TaskTypeMultipleChoice && task.m_nChoiceCount > 0;
}

} // namespace

bool MakeExamSheet(const cTrainingData& data, int q, const cExamSheetOptions& options,
                   cExamSheet& out)
{
    out = cExamSheet();
    out.options = options;
    out.options.m_nVariants = std::clamp(options.m_nVariants, 1, kExamSheetMaxVariants);
    if (q < 0 || q >= static_cast<int>(data.m_aQuestionnaires.size()))
        return false;
    const cQuestionnaire& questionnaire = data.m_aQuestionnaires[q];
    out.questionnaireTitle = questionnaire.m_strTitle;

    std::vector<std::uint32_t> tasks;
    for (const std::uint32_t index : questionnaire.m_aTaskIndex)
        if (index < data.m_aTasks.size())
            tasks.push_back(index);
    if (tasks.empty())
        return false;

    if (options.m_nTaskCount > 0 && static_cast<std::size_t>(options.m_nTaskCount) < tasks.size()) {
        // The drawn tasks keep their list order; ordering them is the variants' part.
        std::vector<std::size_t> places(tasks.size());
        std::iota(places.begin(), places.end(), std::size_t(0));
        cSheetRandom draw(options.m_nSeed, kDrawStream);
        for (std::size_t i = 0; i < static_cast<std::size_t>(options.m_nTaskCount); ++i)
            std::swap(places[i], places[i + draw.Below(places.size() - i)]);
        places.resize(static_cast<std::size_t>(options.m_nTaskCount));
        std::sort(places.begin(), places.end());
        std::vector<std::uint32_t> drawn;
        drawn.reserve(places.size());
        for (const std::size_t place : places)
            drawn.push_back(tasks[place]);
        tasks = std::move(drawn);
    }

    for (const std::uint32_t index : tasks)
        out.totalPoints += data.m_aTasks[index].m_nPoints;
    if (options.m_bPoints)
        out.totalLine = TotalLine(questionnaire, out.totalPoints);

    // Identical variants would help nobody: more than one is always shuffled.
    const bool shuffle = options.m_bShuffle || out.options.m_nVariants > 1;
    for (int v = 0; v < out.options.m_nVariants; ++v) {
        cExamVariant variant;
        if (out.options.m_nVariants > 1)
            variant.name = std::string("Gruppe ") + static_cast<char>('A' + v);
        cSheetRandom random(options.m_nSeed, static_cast<std::uint32_t>(v + 1));
        std::vector<std::uint32_t> order = tasks;
        if (shuffle)
            random.Shuffle(order);
        for (const std::uint32_t index : order) {
            cExamEntry entry;
            entry.task = index;
            const cTask& task = data.m_aTasks[index];
            if (IsChoiceTask(task)) {
                entry.choices.resize(std::min<int>(task.m_nChoiceCount, kTaskSlots));
                std::iota(entry.choices.begin(), entry.choices.end(), 0);
                if (shuffle)
                    random.Shuffle(entry.choices);
            }
            variant.entries.push_back(std::move(entry));
        }
        out.variants.push_back(std::move(variant));
    }
    return true;
}

int ExamRuleCount(const std::string& solution)
{
    int rules = 0;
    std::size_t start = 0;
    while (start <= solution.size()) {
        std::size_t end = solution.find('\n', start);
        if (end == std::string::npos)
            end = solution.size();
        const int length = static_cast<int>(Trimmed(solution.substr(start, end - start)).size());
        rules += (length + kExamRuleChars - 1) / kExamRuleChars;
        start = end + 1;
    }
    return std::max(2, rules);
}

std::string ExamPointsText(int points)
{
    return "(" + std::to_string(points) + (points == 1 ? " Punkt)" : " Punkte)");
}

std::vector<std::string> ExamAlternatives(const cTask& task)
{
    std::vector<std::string> out;
    std::vector<std::string> seen{LowerCp1252(Trimmed(task.m_strSolution))};
    std::vector<std::string> pieces;
    // Slot 0 is never consulted when answers are checked, so it is no alternative.
    for (int slot = 1; slot < std::min<int>(task.m_nPatternCount, kTaskSlots); ++slot) {
        SplitString(task.m_strPattern[slot], pieces, '|');
        for (const std::string& piece : pieces) {
            std::string alternative = Trimmed(piece);
            const std::string folded = LowerCp1252(alternative);
            if (alternative.empty() || std::find(seen.begin(), seen.end(), folded) != seen.end())
                continue;
            seen.push_back(folded);
            out.push_back(std::move(alternative));
        }
    }
    return out;
}
