#include "data/Task.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// Blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr const char* kWhiteSpace = " \t\n\v\f\r";

void RemoveAll(std::string& text, char c)
{
    text.erase(std::remove(text.begin(), text.end(), c), text.end());
}

void Trim(std::string& text)
{
    const auto first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    const auto last = text.find_last_not_of(kWhiteSpace);
    text = text.substr(first, last - first + 1);
}

} // namespace

const std::string& DefaultSeparators()
{
    static const std::string separators(
        "\x2E\x2C\x2D\x3B\x3A\x3F\x21\x22\x24\x25\x26\x2F\x28\x29\x3D\x2B\x2A\x27\x23"
        "\xB0\x5E\x7E\xB4\x60\x40\x80");
    return separators;
}

int SplitString(const std::string& text, std::vector<std::string>& out, char separator)
{
    out.clear();
    std::string::size_type start = 0;
    for (;;) {
        const auto pos = text.find(separator, start);
        if (pos == std::string::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    return static_cast<int>(out.size());
}

cTask::cTask()
{
    ResetTask();
}

void cTask::ResetTask()
{
    m_strAnswer.clear();
    m_nResult = -1;
    m_strQuestion.clear();
    m_nType = TaskTypeNone;
    m_bChoiceFlag = false;
    m_nChoiceCount = 0;
    m_nChoiceValue = 1;
    m_strChoice.fill(std::string());
    m_strChoiceExtra.fill(std::string());
    m_bChoiceRight.fill(false);
    m_bChoiceTicked.fill(false);
    m_bSelfAssess = false;
    m_nPoints = 1;
    m_nPatternCount = 0;
    m_strPattern.fill(std::string());
    m_bCaseSensitive = false;
    m_strSeparators = DefaultSeparators();
    m_nPicturePlace = 0;
    m_nPictureSize = 0;
    m_strPicture.clear();
    m_strSound.clear();
    m_strSolution.clear();
    m_nStats.fill(0);
}

int cTask::Classify(std::int16_t level) const
{
    if (level == static_cast<std::int16_t>(m_nPoints))
        return 3;
    if (level >= 1)
        return 2;
    // Any negative level means "not rated"; keeping the class within 0..3 protects
    // callers that use it as an image or text index.
    return level == 0 ? 1 : 0;
}

int cTask::ClassifyResult() const
{
    return Classify(m_nResult);
}

std::string cTask::StatsText() const
{
    char buffer[96];
    if (m_nPoints == 1) {
        std::snprintf(buffer, sizeof buffer, "%2u / %2u", static_cast<unsigned>(m_nStats[1]),
                      static_cast<unsigned>(m_nStats[0]));
        return buffer;
    }
    // Points above the last slot have no counter of their own; the sum is kept wide so
    // that large counters do not wrap.
    const int points = m_nPoints;
    const unsigned long long right = points < kTaskSlots ? m_nStats[points] : 0;
    unsigned long long partly = 0;
    for (int k = 1; k < points && k < kTaskSlots; ++k)
        partly += m_nStats[k];
    std::snprintf(buffer, sizeof buffer, "%2llu / %2llu / %2u", right, partly,
                  static_cast<unsigned>(m_nStats[0]));
    return buffer;
}

int cTask::CheckAnswer(bool allowMissing, bool allowExtra, bool allowSwapped) const
{
    if (m_nType == TaskTypeMultipleChoice) {
        const int count = std::min<int>(m_nChoiceCount, kTaskSlots);
        for (int i = 0; i < count; ++i)
            if (m_bChoiceTicked[i] != m_bChoiceRight[i])
                return VerdictWrong;
        return VerdictRight;
    }

    std::string answer = m_strAnswer;
    std::string solution = m_strSolution;
    for (char separator : m_strSeparators) {
        RemoveAll(answer, separator);
        RemoveAll(solution, separator);
    }
    Trim(answer);
    Trim(solution);
    if (!m_bCaseSensitive) {
        answer = LowerCp1252(answer);
        solution = LowerCp1252(solution);
    }

    if (m_nPatternCount == 0)
        return answer == solution ? VerdictRight : VerdictWrong;

    // Entry 0 is never consulted; the highest entry in use is decided first.
    std::vector<std::string> alternatives;
    for (int entry = std::min<int>(m_nPatternCount, kTaskSlots) - 1; entry >= 1; --entry) {
        const std::string pattern =
            m_bCaseSensitive ? m_strPattern[entry] : LowerCp1252(m_strPattern[entry]);
        SplitString(pattern, alternatives, '|');
        for (const std::string& alternative : alternatives)
            if (CompareWithTolerance(answer, alternative, false, false, false) == VerdictRight)
                return VerdictRight;
        for (const std::string& alternative : alternatives) {
            const int verdict =
                CompareWithTolerance(answer, alternative, allowMissing, allowExtra, allowSwapped);
            if (verdict != VerdictWrong)
                return verdict;
        }
    }
    return VerdictWrong;
}

int cTask::CompareWithTolerance(std::string answer, std::string candidate, bool allowMissing,
                                bool allowExtra, bool allowSwapped) const
{
    if (answer == candidate)
        return VerdictRight;
    const auto lengthA = static_cast<long long>(answer.size());
    const auto lengthK = static_cast<long long>(candidate.size());
    const long long difference = lengthA - lengthK;

    if (allowMissing && difference == -1 && !candidate.empty()) {
        // Inserting the candidate's i-th letter into the answer at i restores the candidate.
        for (std::size_t i = 0; i < candidate.size(); ++i) {
            std::string rebuilt = answer.substr(0, i);
            rebuilt += candidate[i];
            rebuilt += answer.substr(i);
            if (rebuilt == candidate)
                return VerdictLetterMissing;
        }
    }
    if (allowExtra && difference == 1 && !answer.empty()) {
        for (std::size_t i = 0; i < answer.size(); ++i) {
            std::string rebuilt = candidate.substr(0, i);
            rebuilt += answer[i];
            rebuilt += candidate.substr(i);
            if (rebuilt == answer)
                return VerdictLetterExtra;
        }
    }
    if (allowSwapped && difference == 0 && !answer.empty()) {
        std::size_t differing[2] = {0, 0};
        int count = 0;
        for (std::size_t i = 0; i < answer.size() && count <= 2; ++i) {
            if (answer[i] != candidate[i]) {
                if (count < 2)
                    differing[count] = i;
                ++count;
            }
        }
        if (count == 2) {
            const std::size_t p = differing[0];
            const std::size_t q = differing[1];
            if (answer[p] == candidate[q] && answer[q] == candidate[p])
                return VerdictLettersSwapped;
        }
    }
    return VerdictWrong;
}

void RescaleStatistics(cTask& task, int newPoints)
{
    const int from = std::clamp<int>(task.m_nPoints, 0, kTaskSlots - 1);
    const int to = std::clamp(newPoints, 0, kTaskSlots - 1);
    if (from == to)
        return;
    std::array<std::uint64_t, kTaskSlots> sums{};
    sums[0] = task.m_nStats[0];
    // A task of 0 points counts every answer in its one slot, which stays where it is.
    if (from > 0) {
        sums[static_cast<std::size_t>(to)] += task.m_nStats[static_cast<std::size_t>(from)];
        // Partial counters that no longer fit go to the highest partial slot; a task of
        // 0 or 1 points has none, so they are dropped rather than counted right or wrong.
        if (to >= 2)
            for (int k = 1; k < from; ++k)
                sums[static_cast<std::size_t>(std::min(k, to - 1))] +=
                    task.m_nStats[static_cast<std::size_t>(k)];
    }
    for (std::size_t k = 0; k < sums.size(); ++k)
        task.m_nStats[k] = static_cast<std::uint32_t>(std::min<std::uint64_t>(sums[k], UINT32_MAX));
}
