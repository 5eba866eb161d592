#include "cli/Commands.h"
#include "base/Cp1252.h"
#include "data/Document.h"

#include <ostream>
#include <sstream>

namespace {

const char* YesNo(bool value)
{
    return value ? "ja" : "nein";
}

std::string Plural(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string ExamText(std::int32_t seconds)
{
    if (seconds < 0)
        return "keine Prüfung";
    if (seconds == 0)
        return "Prüfung ohne Zeitlimit";
    if (seconds % 60 == 0)
        return "Prüfungszeit " + Plural(static_cast<std::uint64_t>(seconds / 60), "Minute", "Minuten");
    return "Prüfungszeit " + Plural(static_cast<std::uint64_t>(seconds), "Sekunde", "Sekunden");
}

std::string CryptText(std::uint8_t crypt)
{
    switch (crypt) {
    case 0: return "Keine Verschlüsselung";
    case 1: return "Standardverschlüsselung";
    default: return "unbekannter Modus " + std::to_string(crypt);
    }
}

} // namespace

// Control characters (a line break in a file name or title) shown as "?": one entry
// stays one line.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            c = '?';
    return text;
}

std::string InfoText(const cTrainingData& data, const std::string& shownPath)
{
    std::ostringstream os;
    os << "Datei: " << OneLine(shownPath) << '\n';
    os << "Aufgaben: " << data.m_aTasks.size() << '\n';
    const std::size_t stored = data.m_aQuestionnaires.empty() ? 0 : data.m_aQuestionnaires.size() - 1;
    os << "Fragebögen: " << stored << '\n';
    // Numbered as --questionnaire N counts (here and in the window's --pdf), "Alle
    // Aufgaben" last.
    for (std::size_t i = 0; i < data.m_aQuestionnaires.size(); ++i) {
        const cQuestionnaire& q = data.m_aQuestionnaires[i];
        os << "  " << i << ". \"" << OneLine(Cp1252ToUtf8(q.m_strTitle)) << "\": "
           << Plural(q.m_aTaskIndex.size(), "Aufgabe", "Aufgaben") << ", "
           << ExamText(q.m_nExamSeconds);
        if (q.m_nPassPoints != 0)
            os << ", zu erreichende Punkte " << q.m_nPassPoints << ", Nachprüfung ab "
               << q.m_nRetakePoints << " Punkten";
        os << '\n';
    }
    os << "Extrafragebogen mit allen Fragen anzeigen: " << YesNo(data.m_bShowAll) << '\n';
    os << "Verschlüsselung: " << CryptText(data.m_nCrypt) << '\n';
    os << "Zufällige Abfrage: " << YesNo(data.m_bRandom) << '\n';
    os << "Auswahl: noch nicht zu mindestens " << unsigned(data.m_nMinPercent)
       << " % richtig, noch nicht mindestens " << unsigned(data.m_nMinRight)
       << "-mal richtig, Antwort aus maximal " << unsigned(data.m_nMaxWords) << " Wörtern\n";
    os << "Fehlertoleranz: fehlender Buchstabe " << YesNo(data.m_bAllowMissing)
       << ", zusätzlicher Buchstabe " << YesNo(data.m_bAllowExtra)
       << ", 2 vertauschte Buchstaben " << YesNo(data.m_bAllowSwap) << '\n';
    return os.str();
}

int RunInfoCommand(cCliContext& ctx)
{
    // info has no options; "--" before the file is allowed as everywhere.
    std::vector<std::string>& args = ctx.args;
    if (!args.empty() && args[0] == "--")
        args.erase(args.begin());
    if (args.size() != 1)
        return UsageError(ctx, "info DATEI.vdr");
    cDocument document;
    if (document.Open(args[0]) != 0)
        return kExitFailed;
    ctx.out << InfoText(document.m_data, args[0]);
    return kExitOk;
}
