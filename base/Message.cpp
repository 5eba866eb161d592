#include "base/Message.h"

#include "base/Cp1252.h"
#include "base/Number.h"
#include "base/StreamPresenter.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>

namespace {

constexpr std::uint32_t kError = StyleIconError;
constexpr std::uint32_t kWarning = StyleIconWarning;
constexpr std::uint32_t kInfo = StyleIconInfo;
constexpr std::uint32_t kQuestionHelp = StyleYesNo | StyleIconQuestion | StyleHelp;

// The whole catalogue, in table order. Texts are UTF-8 here and leave as Windows-1252.
constexpr cMessageRecord kCatalogue[] = {
    {1, 1, "Fehler", "{PARAM}", "#Allgemeiner Fehler - Muss später angepasst werden#", kError},
    {101, 2, "Fehler", "Aufgabennummer nicht gefunden: {PARAM}", "", kError},
    {102, 3, "Fehler", "Fehler: Unbekannter Viewmodus ({PARAM})", "", kError},
    {103, 4, "Fehler", "Unbekannte Druckoption: {PARAM}", "", kError},
    {104, 5, "Fehler", "Fehler beim Öffnen der Datei", "", kError},
    {105, 6, "Fehler", "Datei konnte nicht gespeichert werden", "", kError},
    {106, 7, "Fehler", "Falsche FileID ({PARAM}).\r\n'TesterFile' Erwartet.", "", kError},
    {107, 8, "Fehler", "Die Datei ({PARAM}) enthält keine Daten.", "", kError},
    {108, 9, "Fehler", "Index der Aufgabe konnte nicht ermittelt werden", "", kError},
    {109, 10, "Fehler", "Index der Aufgabe ({PARAM}) konnte nicht ermittelt werden", "", kError},
    {2, 1, "Warnung", "{PARAM}", "#Allgemeine Warnung - Muss später angepasst werden#", kWarning},
    {3, 1, "Info", "{PARAM}", "#Allgemeine Information - Muss später angepasst werden#", kInfo},
    {301, 2, "Prüfungssimulation starten",
     "Klicken Sie auf OK, wenn Sie bereit sind, die Prüfungssimulation zu starten. Es wird "
     "dann zufällig ein Fragebogen ausgewählt, den Sie in der vorgegebenen Zeit bearbeiten "
     "können.",
     "", kInfo},
    {302, 3, "Prüfungssimulation beendet",
     "Die Zeit ist abgelaufen. Bewerten Sie jetzt Ihre Antworten.", "", kInfo},
    {303, 4, "Prüfungssimulation nicht möglich",
     "Bei diesem Fragebogen ist keine Prüfungssimulation möglich.", "", kInfo},
    {304, 5, "Fragebogen nicht wechselbar",
     "Sie können während der Prüfungssimulation keinen anderen Fragebogen auswählen. Beenden "
     "Sie zuerst die Prüfungssimulation und dann die Prüfungsauswertung.",
     "", kInfo},
    {305, 6, "Fragebogen nicht wechselbar",
     "Sie können während der Prüfungsauswertung keinen anderen Fragebogen auswählen. Beenden "
     "Sie zuerst die Prüfungsauswertung.",
     "", kInfo},
    {306, 7, "Keine passende Aufgabe mehr",
     "Es konnte keine passende Aufgabe mehr gefunden werden", "", kInfo},
    {4, 1, "Frage", "{PARAM}", "#Allgemeine Frage - Muss später angepasst werden#",
     StyleYesNo | StyleIconQuestion},
    {401, 2, "Statistik zurücksetzen?",
     "Soll die Statistik wirklich zurückgesetzt werden? Die Anzahl der richtigen und der "
     "falschen Beantwortungen wird dann zurückgesetzt.",
     "Bei jeder Beantwortung wird gespeichert, ob richtig, falsch (oder evtl. auch teilrichtig) "
     "geantwortet wurde. Diese Statistik wird mit dieser Funktion zurückgesetzt. Klicken Sie "
     "auf 'Nein', wenn Sie die Statistikwerte beibehalten möchten.",
     kQuestionHelp},
    {402, 3, "Aufgabe löschen?",
     "Soll die aktuelle Aufgabe wirklich aus allen Fragebögen gelöscht werden?",
     "Möchten Sie wirklich die momentan angezeigte Aufgabe unwiderruflich löschen? Die Aufgabe "
     "wird dann auch aus allen Fragebögen entfernt, in denen Sie vorkommt.",
     kQuestionHelp},
    {403, 4, "Prüfungssimulation beenden?", "Soll die Prüfungssimulation beendet werden?",
     "Eine Prüfungssimulation ist zur Zeit aktiv. Wenn Sie sie abbrechen, gelangen Sie zur "
     "Prüfungsauswertung und können Ihre Antworten bewerten.",
     kQuestionHelp},
    {404, 5, "Prüfungsauswertung beenden?", "Soll die Prüfungsauswertung beendet werden?",
     "Eine Prüfungsauswertung ist zur Zeit aktiv. Wenn Sie sie abbrechen, wird Ihr "
     "Prüfungsergebnis angezeigt",
     kQuestionHelp},
    {405, 6, "Prüfungsauswertung beenden?",
     "Es wurden noch nicht alle Aufgaben bewertet. Sollen die fehlenden Aufgaben als falsch "
     "gewertet werden? Klicken Sie auf 'Nein', um die unbewerteten Aufgaben als richtig zu "
     "werten. Klicken Sie auf 'Abbrechen', um zur Bewertung zurückzukehren.",
     "Eine Prüfungsauswertung ist zur Zeit aktiv, es wurden jedoch noch nicht alle Aufgaben von "
     "Ihnen bewertet.\r\nSie können auf 'Ja' klicken, um die restlichen (unbewerteten) Aufgaben "
     "als Falsch zu werten.\r\nSie können auf 'Nein' klicken, um die restlichen (unbewerteten) "
     "Aufgaben als richtig zu werten.\r\nSie können auf 'Abbrechen' klicken, um die restlichen "
     "(unbewerteten) Aufgaben selbst zu bewerten.",
     StyleYesNoCancel | StyleIconQuestion | StyleHelp},
};

cStreamPresenter& DefaultPresenter()
{
    static cStreamPresenter presenter(std::cerr);
    return presenter;
}

cMessagePresenter* g_presenter = nullptr;
int g_currentMessageId = 0;

// Replaces every occurrence of from, never looking into text already inserted.
std::string ReplaceEvery(std::string text, const std::string& from, const std::string& to)
{
    std::string::size_type pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

} // namespace

void SetMessagePresenter(cMessagePresenter* presenter)
{
    g_presenter = presenter;
}

cMessagePresenter& MessagePresenter()
{
    if (g_presenter)
        return *g_presenter;
    return DefaultPresenter();
}

const cMessageRecord* FindMessageRecord(int id)
{
    const auto it = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                                 [id](const cMessageRecord& r) { return r.id == id; });
    return it == std::end(kCatalogue) ? nullptr : &*it;
}

std::string MessageKindWord(std::uint32_t style)
{
    std::string word;
    if (style & 0x20)
        word = "Frage";
    if (style & 0x10)
        word = "Fehler";
    if (style & 0x40)
        word = "Meldung";
    if ((style & 0x30) == 0x30)
        word = "Warnung";
    return word;
}

int CurrentMessageId()
{
    return g_currentMessageId;
}

int ShowMessage(int id, std::string param)
{
    const cMessageRecord* record = FindMessageRecord(id);
    if (!record) {
        g_currentMessageId = id;
        const int result = MessagePresenter().Present(
            "Fehler #" + FormatNumber(id, 0), "Unbekannter Fehler\r\n" + param, StyleIconError);
        g_currentMessageId = 0;
        return result;
    }
    const std::string text = ReplaceEvery(Cp1252FromUtf8(record->text), "{PARAM}", param);
    const std::string caption = Cp1252FromUtf8(record->title) + "   (" +
                                MessageKindWord(record->style) + " #" +
                                FormatNumber(record->number, 0) + ")";
    g_currentMessageId = id;
    const int result = MessagePresenter().Present(caption, text, record->style);
    g_currentMessageId = 0;
    return result;
}

void ShowQuickHelp()
{
    // Quick help does not offer quick help: F1 inside its box does nothing more.
    static bool showing = false;
    const cMessageRecord* record = FindMessageRecord(g_currentMessageId);
    if (showing || !record || record->helpText[0] == '\0')
        return;
    const std::string heading =
        MessageKindWord(record->style) + " #" + FormatNumber(record->number, 0);
    showing = true;
    (void)MessagePresenter().Present("Schnellhilfe zu " + heading,
                                     "Schnellhilfe zu  " + heading + "\r\n\r\n" +
                                         Cp1252FromUtf8(record->helpText),
                                     StyleIconInfo);
    showing = false;
}
