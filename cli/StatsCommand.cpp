// quorvant-cli stats: what the answer history says about a training file: due and new
// tasks per questionnaire, the exam readiness and the answers per day of the last 30 days.
// Reads the training file only; the exam date option writes the history, never the file.

#include "cli/Commands.h"
#include "cli/ChartCommand.h"
#include "base/StreamPresenter.h"
#include "data/Document.h"
#include "learning/Learner.h"
#include "learning/ReadinessText.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <ostream>

namespace {

constexpr const char* kStatsUsage = "stats DATEI.vdr [--json] [--exam-date JJJJ-MM-TT|keiner] [--chart AUSGABE.png|AUSGABE.pdf]";
constexpr int kDays = 30;

// "YYYY-MM-DD" of a local day number.
std::string DayText(std::int64_t day)
{
    const std::time_t t = static_cast<std::time_t>(day * 86400 + 43200);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday);
    return text;
}

// The local day number of "YYYY-MM-DD", -1 when the text is no valid date.
std::int64_t ParseDay(const std::string& text)
{
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3 ||
        m < 1 || m > 12 || d < 1 || d > 31 || y < 1970 || y > 9999)
        return -1;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    const std::time_t t = timegm(&tm);
    const std::int64_t day = static_cast<std::int64_t>(t) / 86400;
    return DayText(day) == text ? day : -1; // 31 February and the like
}

double Round4(double p)
{
    return std::round(p * 10000) / 10000;
}

} // namespace

int RunStatsCommand(cCliContext& ctx)
{
    std::string path;
    bool json = false;
    std::string examDate;
    bool examDateGiven = false; // an empty date given is refused, not ignored
    std::string chart;
    for (std::size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& arg = ctx.args[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--exam-date") {
            if (i + 1 >= ctx.args.size()) {
                ctx.err << "--exam-date braucht ein Datum (JJJJ-MM-TT) oder \"keiner\".\n";
                return UsageError(ctx, kStatsUsage);
            }
            examDate = ctx.args[++i];
            examDateGiven = true;
        } else if (arg == "--chart" && i + 1 < ctx.args.size()) {
            chart = ctx.args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            ctx.err << "Unbekannte Option: " << arg << '\n';
            return UsageError(ctx, kStatsUsage);
        } else if (path.empty()) {
            path = arg;
        } else {
            ctx.err << "Nur eine Trainingsdatei angeben.\n";
            return UsageError(ctx, kStatsUsage);
        }
    }
    if (path.empty())
        return UsageError(ctx, kStatsUsage);
    std::int64_t newExamDay = -2; // -2: unchanged
    if (examDateGiven) {
        newExamDay = examDate == "keiner" ? -1 : ParseDay(examDate);
        if (newExamDay == -1 && examDate != "keiner") {
            ctx.err << "Ungültiges Datum: " << examDate << " (erwartet JJJJ-MM-TT).\n";
            return UsageError(ctx, kStatsUsage);
        }
    }
    cDocument doc;
    if (doc.Open(path) != 0)
        return kExitFailed;
    cLearner learner(doc, &SharedHistory());
    learner.Bind();
    if (newExamDay != -2 && !learner.SetExamDay(newExamDay)) {
        ctx.err << "Der Prüfungstermin konnte nicht gespeichert werden.\n";
        return kExitFailed;
    }
    if (!chart.empty())
        return RunChartWriter(ctx, path, chart);
    const std::int64_t examDay = learner.ExamDay();
    const std::vector<cExamReadiness> readiness = learner.Readiness();
    const std::int64_t today = LocalDay(learner.Now());
    std::vector<int> perDay(kDays, 0);
    if (cHistory* history = learner.History(); history && history->IsOpen() && learner.FileId())
        perDay = history->AnswersPerDay(learner.FileId(), today - kDays + 1, kDays);
    const auto& qs = doc.m_data.m_aQuestionnaires;
    auto findReadiness = [&](int k) -> const cExamReadiness* {
        for (const cExamReadiness& r : readiness)
            if (r.questionnaire == k)
                return &r;
        return nullptr;
    };

    if (json) {
        nlohmann::ordered_json root;
        root["file"] = path;
        root["examDate"] = examDay >= 0 ? nlohmann::ordered_json(DayText(examDay)) : nullptr;
        root["retention"] = learner.Options().retention;
        root["questionnaires"] = nlohmann::ordered_json::array();
        for (std::size_t k = 0; k < qs.size(); ++k) {
            const cPlanCounts counts = learner.Counts(static_cast<int>(k));
            nlohmann::ordered_json q;
            q["index"] = k;
            q["title"] = ConsoleText(qs[k].m_strTitle);
            q["tasks"] = qs[k].m_aTaskIndex.size();
            q["due"] = counts.due;
            q["new"] = counts.fresh;
            if (const cExamReadiness* r = findReadiness(static_cast<int>(k))) {
                q["exam"] = {{"passPoints", qs[k].m_nPassPoints},
                             {"retakePoints", qs[k].m_nRetakePoints},
                             {"passToday", Round4(r->now.pass)},
                             {"retakeToday", Round4(r->now.retake)},
                             {"passOnExamDate", Round4(r->onExamDay.pass)},
                             {"retakeOnExamDate", Round4(r->onExamDay.retake)}};
            } else {
                q["exam"] = nullptr;
            }
            root["questionnaires"].push_back(q);
        }
        if (readiness.empty())
            root["readiness"] = nullptr;
        else
            root["readiness"] = {{"today", Round4(cLearner::FileReadiness(readiness, false))},
                                 {"onExamDate", Round4(cLearner::FileReadiness(readiness, true))}};
        root["answersPerDay"] = nlohmann::ordered_json::array();
        for (int d = 0; d < kDays; ++d)
            root["answersPerDay"].push_back(
                {{"date", DayText(today - kDays + 1 + d)}, {"answers", perDay[d]}});
        ctx.out << root.dump(2) << '\n';
        return kExitOk;
    }

    ctx.out << "Prüfungstermin: " << (examDay >= 0 ? DayText(examDay) : "keiner") << '\n';
    for (std::size_t k = 0; k < qs.size(); ++k) {
        const cPlanCounts counts = learner.Counts(static_cast<int>(k));
        ctx.out << "Fragebogen " << k << " '" << ConsoleText(qs[k].m_strTitle)
                << "': fällig " << counts.due << ", neu " << counts.fresh << '\n';
        if (const cExamReadiness* r = findReadiness(static_cast<int>(k))) {
            ctx.out << "  " << ReadinessLine(*r, examDay >= 0) << '\n';
        }
    }
    if (!readiness.empty()) {
        ctx.out << FileReadinessLine(readiness, examDay >= 0) << '\n';
    }
    ctx.out << "Antworten pro Tag (letzte " << kDays << " Tage):\n";
    for (int d = 0; d < kDays; ++d)
        ctx.out << "  " << DayText(today - kDays + 1 + d) << "  " << perDay[d] << '\n';
    return kExitOk;
}
