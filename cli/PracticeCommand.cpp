// quorvant-cli practice: works through a questionnaire in the terminal with the same
// query the window uses. Terminal texts are UTF-8 literals; file texts pass ConsoleText.

#include "cli/Commands.h"
#include "base/Cp1252.h"
#include "data/Document.h"
#include "learning/Learner.h"
#include "practice/Media.h"
#include "practice/Query.h"
#include "base/Settings.h"
#include "base/StreamPresenter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <sstream>

namespace {

constexpr const char* kPracticeUsage = "practice DATEI.vdr [--questionnaire N] [--plan]";
// Longest answer line taken, in bytes; no answer to a task comes near it.
constexpr std::size_t kMaxAnswerLine = 65536;

// A small whole number (no sign, at most nine digits), or -1.
int ParseIndex(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The terminal shows the query; the warning tone only reaches a real terminal.
class cTerminalHost : public cQueryHost {
public:
    cTerminalHost(std::ostream& out, bool interactive) : m_out(out), m_bInteractive(interactive) {}
    void Beep() override
    {
        if (m_bInteractive)
            m_out << '\a' << std::flush;
    }

private:
    std::ostream& m_out;
    bool m_bInteractive;
};

// The learning side in the terminal: the plan's end is a line of the transcript.
class cTerminalLearner : public cLearner {
public:
    cTerminalLearner(cDocument& doc, cHistory* history, const cLearnerOptions& options,
                     std::ostream& out)
        : cLearner(doc, history, options), m_out(out)
    {
    }
    // The end of the plan comes while the last answer is still being checked: it is
    // printed after that answer's verdict.
    void OnPlanDone(const std::vector<std::uint32_t>& tasks) override
    {
        m_strDone = PlanDoneText(tasks);
    }
    void PrintDone()
    {
        if (!m_strDone.empty())
            m_out << '\n' << m_strDone << '\n';
        m_strDone.clear();
    }

private:
    std::string m_strDone;
    std::ostream& m_out;
};

class cPracticeSession {
public:
    cPracticeSession(cCliContext& ctx, cQuery& query, bool interactive)
        : m_ctx(ctx), m_query(query), m_bInteractive(interactive)
    {
    }

    void Run()
    {
        m_query.StartQuery();
        while (true) {
            const int mode = m_query.Mode();
            if (mode == ModeResult) {
                m_query.OnAnswerOk(); // on to the next task
                continue;
            }
            if (mode == ModeRating) {
                if (!Rate())
                    return;
                continue;
            }
            if (mode != ModeQuestion || !Ask())
                return;
        }
    }

private:
    bool ReadLine(const char* prompt, std::string& line)
    {
        m_ctx.out << prompt << std::flush;
        // Nobody sees the questions any more: end the session and keep what was answered.
        if (!m_ctx.out)
            return false;
        // A line without end must not fill the memory: a longer one is read to its end,
        // refused, and asked for again.
        for (;;) {
            line.clear();
            std::streambuf* in = m_ctx.in.rdbuf();
            std::size_t length = 0;
            int c = std::char_traits<char>::eof();
            while ((c = in->sbumpc()) != std::char_traits<char>::eof() && c != '\n')
                if (++length <= kMaxAnswerLine)
                    line += static_cast<char>(c);
            if (c == std::char_traits<char>::eof() && length == 0) {
                m_ctx.out << '\n';
                return false;
            }
            if (length <= kMaxAnswerLine)
                break;
            m_ctx.out << (m_bInteractive ? "" : "\n") << "Die Eingabe ist länger als " << kMaxAnswerLine
                      << " Bytes und wird nicht angenommen.\n" << prompt << std::flush;
            if (c == std::char_traits<char>::eof())
                return false;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // A piped script does not echo; repeating the line keeps the transcript readable.
        if (!m_bInteractive)
            m_ctx.out << line << '\n';
        return true;
    }

    void PrintTask()
    {
        m_ctx.out << '\n' << ConsoleText(m_query.Heading()) << '\n'
                  << ConsoleText(m_query.ResultText()) << '\n';
        const cTask* task = m_query.CurrentTask();
        if (task && task->m_nType == TaskTypeMultipleChoice)
            for (int i = 0; i < std::min<int>(task->m_nChoiceCount, kTaskSlots); ++i)
                m_ctx.out << "  " << i + 1 << ") " << ConsoleText(m_query.ChoiceText(i)) << '\n';
    }

    void PrintHelp()
    {
        m_ctx.out << "Geben Sie die Antwort ein und drücken Sie Enter; bei Multiple "
                     "Choice die Nummern der richtigen Antworten, z. B. \"1 3\".\n"
                     "Befehle: :s überspringen, :l Lösung anzeigen, :q "
                     "beenden (das Ende der Eingabe beendet ebenfalls).\n";
    }

    // Ticks from "1 3" (numbers of the answers, blanks or commas between them).
    bool ParseTicks(const std::string& line, int count, unsigned& mask)
    {
        std::string spaced = line;
        for (char& c : spaced)
            if (c == ',' || c == ';')
                c = ' ';
        std::istringstream words(spaced);
        std::string word;
        mask = 0;
        while (words >> word) {
            const int number = ParseIndex(word);
            if (number < 1 || number > count)
                return false;
            mask |= 1u << (number - 1);
        }
        return true;
    }

    bool Ask()
    {
        PrintTask();
        const cTask* task = m_query.CurrentTask();
        const bool choice = task && task->m_nType == TaskTypeMultipleChoice;
        std::string line;
        if (!ReadLine(choice ? "Antwort (Nummern)> " : "Antwort> ", line))
            return false;
        if (line == ":q")
            return false;
        if (line == ":s") {
            m_query.OnSkip();
            return true;
        }
        if (line == ":l") {
            m_query.OnShowSolution();
            m_ctx.out << ConsoleText(m_query.ResultText()) << '\n';
            return true;
        }
        if (line == ":h" || line == "?") {
            PrintHelp();
            return true;
        }
        if (choice) {
            unsigned mask = 0;
            const int count = std::min<int>(task->m_nChoiceCount, kTaskSlots);
            if (!ParseTicks(line, count, mask)) {
                m_ctx.out << "Bitte die Nummern der richtigen Antworten (1 bis " << count
                          << ") durch Leerzeichen getrennt eingeben.\n";
                return true;
            }
            m_query.SetTicks(mask);
        } else {
            std::string answer;
            if (!Utf8ToCp1252(line, answer))
                m_ctx.out << "Hinweis: Zeichen ohne Entsprechung in Windows-1252 wurden "
                             "weggelassen.\n";
            m_query.SetAnswerText(answer);
        }
        const int checks = m_query.CheckCount();
        m_query.OnAnswerOk();
        if (m_query.CheckCount() != checks)
            m_ctx.out << ConsoleText(m_query.LastVerdictText()) << '\n';
        return true;
    }

    // The letter that stands for the preset choice. A task of 0 or 1 point has no
    // "Teilrichtig"; its preset counts as right, so it is offered as "r".
    static const char* ChoiceName(int choice, int points)
    {
        switch (choice) {
        case AssessRight: return "r";
        case AssessPartly: return points > 1 ? "t" : "r";
        case AssessWrong: return "f";
        default: return "keiner";
        }
    }

    bool Rate()
    {
        const cTask* task = m_query.CurrentTask();
        if (!task)
            return false;
        if (task->m_nType == TaskTypeMultipleChoice) {
            m_query.OnAnswerOk(); // the ticks rate themselves
            return true;
        }
        const int points = task->m_nPoints;
        std::ostringstream prompt;
        prompt << "Selbstbewertung: r = Richtig (volle Punktzahl), f = Falsch (0 Punkte)";
        if (points > 1)
            prompt << ", t N = Teilrichtig mit N Punkten (1 bis " << points - 1 << ")";
        prompt << "; Enter übernimmt den Vorschlag ("
               << ChoiceName(m_query.AssessChoiceValue(), points) << ")\nBewertung> ";
        std::string line;
        if (!ReadLine(prompt.str().c_str(), line) || line == ":q")
            return false;
        std::istringstream words(line);
        std::string word;
        std::string number;
        words >> word >> number;
        if (word == "r" || word == "R") {
            m_query.SetAssessChoice(AssessRight);
        } else if (word == "f" || word == "F") {
            m_query.SetAssessChoice(AssessWrong);
        } else if ((word == "t" || word == "T") && points > 1) {
            const int partly = number.empty() ? 1 : ParseIndex(number);
            if (partly < 1 || partly >= points) {
                m_ctx.out << "Teilrichtig braucht eine Punktzahl von 1 bis " << points - 1 << ".\n";
                return true;
            }
            m_query.OnPartialPoints(partly - 1);
        } else if (!word.empty()) {
            m_ctx.out << "Bitte r, f" << (points > 1 ? " oder t N" : "") << " eingeben.\n";
            return true;
        }
        m_query.OnAnswerOk();
        return true;
    }

    cCliContext& m_ctx;
    cQuery& m_query;
    bool m_bInteractive;
};

// "name.vdr" -> "name.konflikt.vdr" beside it; "name.konflikt-2.vdr" and so on when
// that is taken. The name is claimed by creating the file exclusively, so neither an
// earlier conflict file nor one that another program is writing now is overwritten.
// "" when no name could be claimed.
std::string ClaimConflictPath(const std::string& path)
{
    std::string stem = path;
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".vdr") == 0)
        stem.resize(stem.size() - 4);
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate =
            stem + ".konflikt" + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".vdr";
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Another program changed the file during the session: its content stays, and this
// session's statistics go to a file of their own.
int SaveBeside(cCliContext& ctx, cDocument& doc)
{
    const std::string original = doc.Path();
    const std::string conflict = ClaimConflictPath(original);
    ctx.err << "Die Datei " << original
            << " wurde während der Übung von einem anderen Programm geändert und bleibt "
               "unverändert.\n";
    if (doc.SaveAs(conflict) != 0) {
        if (!conflict.empty())
            unlink(conflict.c_str());
        return kExitFailed;
    }
    ctx.err << "Die Statistik dieser Übung ist in " << conflict << " gespeichert.\n";
    return kExitFailed;
}

} // namespace

bool ParseQueryOptions(cCliContext& ctx, bool allowSort, const char* usage, cQueryOptions& out)
{
    const auto& args = ctx.args;
    bool options = true; // "--" ends them
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && arg == "--") {
            options = false;
            continue;
        }
        auto value = [&](const char* name, int& target) {
            if (i + 1 >= args.size() || (target = ParseIndex(args[i + 1])) < 0) {
                ctx.err << name << " braucht eine Zahl ab 0.\n";
                return false;
            }
            ++i;
            return true;
        };
        if (!options) {
            if (!out.path.empty()) {
                ctx.err << "Nur eine Trainingsdatei angeben.\n";
                return UsageError(ctx, usage), false;
            }
            out.path = arg;
        } else if (arg == "--questionnaire") {
            if (!value("--questionnaire", out.questionnaire))
                return UsageError(ctx, usage), false;
        } else if (allowSort && arg == "--sort") {
            if (!value("--sort", out.sort))
                return UsageError(ctx, usage), false;
        } else if (allowSort && arg == "--descending") {
            out.descending = true;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            ctx.err << "Unbekannte Option: " << arg << '\n';
            return UsageError(ctx, usage), false;
        } else if (out.path.empty()) {
            out.path = arg;
        } else {
            ctx.err << "Nur eine Trainingsdatei angeben.\n";
            return UsageError(ctx, usage), false;
        }
    }
    if (out.path.empty())
        return UsageError(ctx, usage), false;
    if (out.descending && out.sort < 0) {
        ctx.err << "--descending gilt nur zusammen mit --sort.\n";
        return UsageError(ctx, usage), false;
    }
    return true;
}

int OpenQueryDocument(cCliContext& ctx, const cQueryOptions& options, cDocument& doc)
{
    if (doc.Open(options.path) != 0)
        return kExitFailed;
    const int count = static_cast<int>(doc.m_data.m_aQuestionnaires.size());
    if (options.questionnaire >= count) {
        ctx.err << "Fragebogen " << options.questionnaire << " gibt es nicht; die Datei hat die "
                << "Fragebögen 0 bis " << count - 1 << ".\n";
        return kExitRefused;
    }
    return kExitOk;
}

int RunPracticeCommand(cCliContext& ctx)
{
    // --plan belongs to practice alone; the shared options never see it.
    const auto planArg = std::find(ctx.args.begin(), ctx.args.end(), "--plan");
    const bool planWanted = planArg != ctx.args.end();
    if (planWanted)
        ctx.args.erase(planArg);
    cQueryOptions options;
    if (!ParseQueryOptions(ctx, false, kPracticeUsage, options))
        return kExitRefused;
    cDocument doc;
    if (const int status = OpenQueryDocument(ctx, options, doc); status != kExitOk)
        return status;

    const bool interactive = &ctx.in == &std::cin && isatty(STDIN_FILENO) != 0;
    cSettings settings;
    settings.LoadSettings(SettingsFilePath(ProgramDirectory()));
    cTerminalHost host(ctx.out, interactive);
    {
        cLearnerOptions learning;
        learning.plan = planWanted || settings.m_bPlan != 0;
        learning.newPerDay = settings.m_nNewPerDay;
        cTerminalLearner learner(doc, &SharedHistory(), learning, ctx.out);
        learner.Bind();
        cQuery query(doc, settings, host);
        query.SetAnswerObserver(&learner);
        query.InitialUpdate();
        query.OpenQuestionnaire(options.questionnaire);
        const std::string title =
            ConsoleText(doc.m_data.m_aQuestionnaires[options.questionnaire].m_strTitle);
        if (query.RowCount() == 0) {
            ctx.out << "Der Fragebogen '" << title << "' enthält keine Aufgaben.\n";
            return kExitOk;
        }
        ctx.out << "Fragebogen '" << title << "': " << query.RowCount()
                << (query.RowCount() == 1 ? " Aufgabe" : " Aufgaben") << '\n'
                << "Befehle: :s überspringen, :l Lösung anzeigen, :h Hilfe, "
                   ":q beenden\n";
        cPracticeSession session(ctx, query, interactive);
        session.Run();
        learner.Finish();
        learner.PrintDone();
    }
    // Closing writes the statistics back, as closing the window does.
    const int closed = doc.Close();
    if (closed == kSaveChanged)
        return SaveBeside(ctx, doc);
    if (closed != 0) {
        if (doc.LastSaveOutcome() == SaveOutcome::ReadOnly)
            ctx.err << "Die Datei " << options.path
                    << " ist schreibgeschützt; die Statistik dieser Übung wurde nicht "
                       "gespeichert.\n";
        return kExitFailed;
    }
    ctx.out << "Die Statistik ist gespeichert.\n";
    return kExitOk;
}
