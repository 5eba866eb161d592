#include "shell/ui/StartOptions.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The call forms; the print requests are those between the first and the last.
const std::vector<std::string> kCallForms = {
    "[DATEI.vdr ...]",
    "--pdf AUSGABE.pdf DATEI.vdr [--questionnaire N]",
    "--print DATEI.vdr",
    "--print-to DRUCKER DATEI.vdr",
    "--exam-sheet AUSGABE.pdf DATEI.vdr [--questionnaire N] [--tasks N] [--variants N] "
    "[--seed S] [--shuffle] [--key LOESUNG.pdf | --no-key]",
    "--help | --version",
};

constexpr cHelpItem kOptions[] = {
    {"DATEI.vdr ...", "Trainingsdateien im Fenster öffnen (läuft Quorvant schon, öffnet sie "
                      "das laufende Programm)"},
    {"--pdf AUSGABE.pdf DATEI.vdr", "einen Fragebogen als PDF (A4) schreiben, ohne Fenster "
                                    "und ohne Bildschirm"},
    {"--questionnaire N", "mit --pdf oder --exam-sheet: Fragebogen N, ab 0 gezählt wie in quorvant-cli info "
                          "(Vorgabe 0)"},
    {"--print DATEI.vdr", "den ersten Fragebogen mit dem Druckdialog drucken"},
    {"--print-to DRUCKER DATEI.vdr", "den ersten Fragebogen ohne Dialog auf DRUCKER drucken"},
    {"--exam-sheet AUSGABE.pdf DATEI.vdr", "einen Prüfungsbogen als PDF schreiben, ohne "
                                           "Fenster und ohne Bildschirm"},
    {"--tasks N", "mit --exam-sheet: N Aufgaben zufällig ziehen (Vorgabe: alle)"},
    {"--variants N", "mit --exam-sheet: N Gruppen (1 bis 6), jede anders gemischt"},
    {"--seed S", "mit --exam-sheet: Startwert der Mischung, um einen Bogen genau wieder "
                 "zu drucken"},
    {"--shuffle", "mit --exam-sheet: die Aufgaben mischen"},
    {"--key LOESUNG.pdf", "mit --exam-sheet: den Lösungsbogen in eine eigene PDF-Datei"},
    {"--no-key", "mit --exam-sheet: keinen Lösungsbogen drucken"},
    {"--help", "diese Hilfe zeigen"},
    {"--version", "die Version zeigen"},
};

constexpr const char* kCounting =
    "Fragebögen werden ab 0 gezählt, in der Reihenfolge der Datei; die letzte Nummer ist "
    "\"Alle Aufgaben\".";

std::string CallLines(std::size_t from, std::size_t to)
{
    std::string text;
    for (std::size_t i = from; i < to; ++i)
        text += std::string(i == from ? "Aufruf: " : "        ") + "quorvant " + kCallForms[i] + '\n';
    return text;
}

bool Connects(const std::string& path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    close(fd);
    return connected;
}

// A local X display (":N", ":N.S", "unix:N") answers on its socket; others are left to Qt.
bool XDisplayAnswers(const std::string& display)
{
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos)
        return false;
    const std::string host = display.substr(0, colon);
    if (!host.empty() && host != "unix")
        return true;
    const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const std::string socketPath = "/tmp/.X11-unix/X" + number;
    return Connects(socketPath, true) || Connects(socketPath, false);
}

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::span<const cHelpItem> StartOptions()
{
    return kOptions;
}

std::string StartHelpText()
{
    return CallLines(0, kCallForms.size()) + "Optionen:\n" + HelpItemLines(kOptions, 32) +
           kCounting + '\n';
}

std::string PrintUsageLines()
{
    return CallLines(1, kCallForms.size() - 1);
}

std::string StartManPage()
{
    cManPageText page;
    page.program = "quorvant";
    page.summary = "Lerntrainer für Prüfungsfragen und Vokabeln";
    page.synopsis = kCallForms;
    page.description =
        "Quorvant öffnet Trainingsdateien (*.vdr) mit Aufgaben und Fragebögen, fragt sie ab "
        "(getippte Antworten mit Fehlertoleranz oder Selbsteinschätzung), simuliert Prüfungen "
        "mit Zeitlimit und bearbeitet Aufgaben und Fragebögen. Ohne Datei startet es mit "
        "einem leeren Hauptfenster.\n\n"
        "Die Druckaufträge (--pdf, --print, --print-to) zeigen kein Hauptfenster; --pdf und "
        "--print-to brauchen keinen Bildschirm. Ohne Bildschirm endet ein Start, der ein "
        "Fenster öffnen soll, mit einer Meldung und dem Status 1.\n\n" + std::string(kCounting);
    page.itemsHeading = "OPTIONEN";
    page.items = kOptions;
    page.exitStatus = "0: erledigt.\n\n"
                      "1: Die Trainingsdatei konnte nicht gelesen oder die PDF-Datei nicht "
                      "geschrieben werden, der Druck wurde abgebrochen, oder es gibt keinen "
                      "Bildschirm.\n\n"
                      "2: Falscher Aufruf oder ein Fragebogen, den die Datei nicht hat.";
    page.seeAlso = "quorvant-cli(1)";
    return ManPage(page, QUORVANT_VERSION);
}

std::optional<int> RunInfoOptions(int argc, char** argv, std::ostream& out)
{
    if (argc == 2 && std::strcmp(argv[1], "--man-page") == 0) {
        out << StartManPage();
        return out.flush() ? 0 : 1;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--help" || arg == "-h")
            out << StartHelpText();
        else if (arg == "--version")
            out << "Quorvant " << QUORVANT_VERSION << '\n';
        else
            continue;
        return out.flush() ? 0 : 1;
    }
    return std::nullopt;
}

bool DisplayAvailable()
{
    const std::string platform = Env("QT_QPA_PLATFORM");
    if (!platform.empty() && platform.rfind("xcb", 0) != 0)
        return true;
    if (platform.empty() && !Env("WAYLAND_DISPLAY").empty())
        return true;
    const std::string display = Env("DISPLAY");
    return !display.empty() && XDisplayAnswers(display);
}
