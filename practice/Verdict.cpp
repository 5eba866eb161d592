#include "practice/Verdict.h"

#include <algorithm>
#include <utility>

namespace {

bool IsTolerated(int verdict)
{
    return verdict == VerdictLetterMissing || verdict == VerdictLetterExtra ||
           verdict == VerdictLettersSwapped;
}

} // namespace

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    std::string::size_type pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

const std::string& VerdictLine(int verdict)
{
    static const std::string right = "'  ist Richtig!!!\r\n\r\n";
    static const std::string missing = "'  ist fast Richtig (Ein Buchstabe fehlte)!!!\r\n";
    static const std::string extra = "'  ist fast Richtig (Ein Buchstabe war zuviel)!!!\r\n";
    static const std::string swapped =
        "'  ist fast Richtig (Zwei Buchstaben waren vertauscht)!!!\r\n";
    static const std::string wrong = "'  ist Falsch!!\r\n";
    switch (verdict) {
    case VerdictWrong: return wrong;
    case VerdictLetterMissing: return missing;
    case VerdictLetterExtra: return extra;
    case VerdictLettersSwapped: return swapped;
    default: return right;
    }
}

std::string VerdictText(int verdict, const std::string& typedAnswer, const cTask& task,
                        const cTrainingData& data)
{
    std::string filled =
        verdict != VerdictWrong ? data.m_strRightTemplate : data.m_strWrongTemplate;
    filled = ReplaceAll(std::move(filled), "{frage}", task.m_strQuestion);
    filled = ReplaceAll(std::move(filled), "{antwort}", task.m_strSolution);
    return "'" + typedAnswer + VerdictLine(verdict) + filled;
}

std::string TickedChoicesText(const cTask& task)
{
    std::string text;
    const int count = std::min<int>(task.m_nChoiceCount, kTaskSlots);
    for (int i = 0; i < count; ++i) {
        if (!task.m_bChoiceTicked[i])
            continue;
        if (!text.empty())
            text += ", ";
        text += task.m_strChoice[i];
    }
    return text.empty() ? std::string("nichts angekreuzt") : text;
}

int LastVerdictFor(int verdict)
{
    if (verdict == VerdictWrong)
        return 0;
    return IsTolerated(verdict) ? 1 : 2;
}
