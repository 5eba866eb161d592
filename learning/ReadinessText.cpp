#include "learning/ReadinessText.h"

#include <cmath>

std::string PercentText(double p)
{
    return std::to_string(static_cast<int>(std::lround(p * 100))) + " %";
}

std::string ReadinessLine(const cExamReadiness& r, bool examDate)
{
    std::string text = "Bestehen heute " + PercentText(r.now.pass) + ", Nachprüfung heute " +
                       PercentText(r.now.retake);
    if (examDate)
        text += "; am Prüfungstermin " + PercentText(r.onExamDay.pass) + ", Nachprüfung " +
                PercentText(r.onExamDay.retake);
    return text;
}

std::string ReadinessNote(const cExamReadiness& r, bool examDate)
{
    std::string text = "Bestehen heute " + PercentText(r.now.pass);
    if (examDate)
        text += ", am Prüfungstermin " + PercentText(r.onExamDay.pass);
    return text;
}

std::string FileReadinessLine(const std::vector<cExamReadiness>& r, bool examDate)
{
    if (r.empty())
        return std::string();
    std::string text =
        "Prüfungsbereitschaft heute: " + PercentText(cLearner::FileReadiness(r, false));
    if (examDate)
        text += ", am Prüfungstermin: " + PercentText(cLearner::FileReadiness(r, true));
    return text;
}
