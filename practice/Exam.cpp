#include "practice/Exam.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <cstdio>

std::int32_t ExamTimeStamp(const cLocalTime& t)
{
    return (t.month * 100 + t.day) * 100000 + t.hour * 3600 + t.minute * 60 + t.second;
}

int ExamElapsedSeconds(std::int32_t start, std::int32_t now)
{
    int elapsed = now % 100000 - start % 100000;
    if ((now / 100000) % 100 != (start / 100000) % 100)
        elapsed += 86400;
    return elapsed;
}

void PrepareExamBar(std::int32_t timeLimit, cExamBar& bar)
{
    bar.lower = 0;
    if (timeLimit > 0) {
        bar.upper = timeLimit;
        bar.pos = timeLimit;
    } else {
        bar.upper = 1;
        bar.pos = 1;
    }
}

void CountdownBar(std::int32_t timeLimit, int elapsed, cExamBar& bar)
{
    bar.textColour = kColourBlack;
    bar.textColourOnBar = kColourBlack;
    if (timeLimit > 0) {
        // A tick that arrives late (a suspended machine) must not show a negative time.
        const int remaining = std::max(0, timeLimit - elapsed);
        char text[32];
        std::snprintf(text, sizeof text, "%d:%.2d", remaining / 60, remaining % 60);
        bar.text = text;
        const double ratio = static_cast<double>(elapsed) / timeLimit;
        bar.barColour = ratio >= 0.9 ? kColourRed : ratio >= 0.7 ? kColourYellow : kColourGreen;
        bar.lower = 0;
        bar.upper = timeLimit;
        bar.pos = remaining;
    } else {
        bar.text = "keine Zeitbegrenzung";
        bar.barColour = kColourLightGreen;
        bar.lower = 0;
        bar.upper = 1;
        bar.pos = 1;
    }
}

cExamVerdict ExamVerdict(std::int32_t achieved, std::int32_t pass, std::int32_t retake)
{
    const std::string a = std::to_string(achieved);
    const std::string p = std::to_string(pass);
    const std::string n = std::to_string(retake);
    std::string text = Cp1252FromUtf8("Ihr Prüfungsergebnis:\r\n\r\nErreicht: ") + a +
                       Cp1252FromUtf8(" Punkte\r\nBenötigt: ") + p;
    const std::string retakeLine =
        Cp1252FromUtf8(" Punkte\r\nNachprüfung möglich ab: ") + n + " Punkten.\r\n";
    cExamVerdict verdict;
    if (retake == pass) {
        if (achieved >= pass) {
            text += Cp1252FromUtf8(" Punkte\r\nSie haben die Prüfung BESTANDEN!!");
            verdict.caption = Cp1252FromUtf8("Prüfung bestanden");
        } else {
            text += " Punkte\r\nDie haben die erforderliche Punktzahl nicht erreicht.";
            verdict.caption = Cp1252FromUtf8("Prüfung nicht bestanden");
        }
    } else if (achieved >= pass) {
        text += retakeLine + Cp1252FromUtf8("Sie haben die Prüfung BESTANDEN!!");
        verdict.caption = Cp1252FromUtf8("Prüfung bestanden");
    } else if (achieved >= retake) {
        text += retakeLine + Cp1252FromUtf8("Die haben die erforderliche Punktzahl nicht "
                                            "erreicht. Eine Nachprüfung ist aber möglich.");
        verdict.caption = Cp1252FromUtf8("Nachprüfung nötig");
    } else {
        text += retakeLine + "Sie haben leider NICHT BESTANDEN.";
        verdict.caption = Cp1252FromUtf8("Prüfung nicht bestanden!");
    }
    verdict.text = text;
    return verdict;
}
