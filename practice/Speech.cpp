#include "practice/Speech.h"

#include "practice/Query.h"
#include "practice/TaskList.h"

namespace {

std::string Remaining(int seconds)
{
    const int minutes = seconds / 60;
    const int rest = seconds % 60;
    std::string text = "Noch ";
    if (minutes > 0)
        text += std::to_string(minutes) + (minutes == 1 ? " Minute" : " Minuten");
    if (rest > 0 || minutes == 0)
        text += (minutes > 0 ? " " : "") + std::to_string(rest) +
                (rest == 1 ? " Sekunde" : " Sekunden");
    return text;
}

// Whether the elapsed share reached percent with this tick.
bool Reached(int timeLimit, int previous, int elapsed, int percent)
{
    const long long mark = static_cast<long long>(timeLimit) * percent;
    return static_cast<long long>(previous) * 100 < mark &&
           static_cast<long long>(elapsed) * 100 >= mark;
}

} // namespace

std::string RowImageSpeech(const cTask& task, int image, bool exam, bool evaluation)
{
    if (evaluation) {
        switch (image) {
        case ImageAllRight: return "bewertet: richtig";
        case ImagePartlyRight: return "bewertet: teilweise richtig";
        case ImageAllWrong: return "bewertet: falsch";
        default: return "noch nicht bewertet";
        }
    }
    if (exam)
        return image == ImageExamAnswered ? "beantwortet" : "noch nicht beantwortet";
    const int points = task.m_nPoints;
    const unsigned long long right = points < kTaskSlots ? task.m_nStats[points] : 0;
    unsigned long long partly = 0;
    for (int k = 1; k < points && k < kTaskSlots; ++k)
        partly += task.m_nStats[k];
    std::string text = std::to_string(right) + " richtig, ";
    if (points > 1)
        text += std::to_string(partly) + " teilweise, ";
    return text + std::to_string(task.m_nStats[0]) + " falsch";
}

std::string TickSpeech(int tickIcon)
{
    switch (tickIcon) {
    case TickIconOn: return "angekreuzt";
    case TickIconTickedRight: return "angekreuzt, richtig";
    case TickIconTickedWrong: return "angekreuzt, falsch";
    case TickIconMissed: return "nicht angekreuzt, falsch";
    case TickIconNeither: return "nicht angekreuzt, richtig";
    default: return "nicht angekreuzt";
    }
}

std::string CountdownSpeech(int timeLimit, int previous, int elapsed)
{
    if (timeLimit <= 0 || elapsed <= previous)
        return {};
    const int remaining = timeLimit - elapsed;
    if (remaining <= 0)
        return previous < timeLimit ? "Die Zeit ist abgelaufen" : std::string();
    std::string note;
    if (Reached(timeLimit, previous, elapsed, 90))
        note = "90 Prozent der Zeit sind vergangen. ";
    else if (Reached(timeLimit, previous, elapsed, 70))
        note = "70 Prozent der Zeit sind vergangen. ";
    if (note.empty() && elapsed / 60 == previous / 60)
        return {};
    return note + Remaining(remaining);
}
