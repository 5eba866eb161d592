#include "update/UpdateCommand.h"

#include "base/Cp1252.h"
#include "base/Message.h"
#include "update/AutoUpdate.h"

#include <cstdlib>

namespace {

int Box(cUpdateHost& host, const char* caption, const std::string& text, std::uint32_t style)
{
    return host.Box(Cp1252FromUtf8(caption), text, style);
}

int Box(cUpdateHost& host, const char* caption, const char* text, std::uint32_t style)
{
    return Box(host, caption, Cp1252FromUtf8(text), style);
}

UpdateOutcome Download(cAutoUpdate& update, cUpdateHost& host)
{
    int result = DownloadDone;
    host.RunWaiting("Update wird heruntergeladen.\r\nBitte warten...",
                    [&] { result = update.DownloadUpdate(); });
    if (result == DownloadDone) {
        Box(host, "Update heruntergeladen",
            "Das Update wurde heruntergeladen. Die Änderungen sind beim nächsten "
            "Programmstart aktiv.",
            StyleIconInfo);
        return UpdateOutcome::Updated;
    }
    if (result == DownloadNotWritable) {
        std::string dir = update.ProgramDir();
        if (dir.size() > 1)
            dir.pop_back();
        Box(host, "Update nicht möglich",
            Cp1252FromUtf8("Das Update braucht Schreibrechte im Programmverzeichnis " + dir +
                           ".\r\nBitte führen Sie es mit den Rechten der Installation aus "
                           "oder aktualisieren Sie das Programm über die Paketverwaltung. "
                           "Es wurde nichts verändert."),
            StyleIconError);
        return UpdateOutcome::Failed;
    }
    Box(host, "Fehler beim Herunterladen", "Das Update wurde NICHT durchgeführt", StyleIconError);
    return UpdateOutcome::Failed;
}

} // namespace

UpdateOutcome RunUpdateFlow(cAutoUpdate& update, const std::string& baseUrl, cUpdateHost& host)
{
    int result = CheckNoConfig;
    host.RunWaiting("Suche nach Updates...\r\nBitte warten...",
                    [&] { result = update.CheckForUpdate(baseUrl, kUpdateQuery); });
    switch (result) {
    case CheckNewer:
        if (Box(host, "Update verfügbar",
                "Ein neues Update steht zum Download bereit. Möchten Sie es jetzt "
                "herunterladen?",
                StyleYesNo | StyleIconInfo) == ResultYes)
            return Download(update, host);
        Box(host, "Update abgebrochen", "Das Update wurde nicht heruntergeladen.", StyleIconInfo);
        return UpdateOutcome::Declined;
    case CheckNoConnection:
    case CheckUrlNotOpened:
        Box(host, "Fehler", "Fehler bei der Internetverbindung", StyleIconError);
        return UpdateOutcome::Failed;
    case CheckNotNewer:
        Box(host, "Keine neuere Version verfügbar",
            "Sie haben bereits die aktuellste Version. Ein Update wird daher nicht benötigt.",
            StyleIconInfo);
        return UpdateOutcome::NotNewer;
    default:
        Box(host, "Fehler: Update nicht durchgeführt", "Das Update wurde NICHT durchgeführt",
            StyleIconInfo);
        return result == CheckNoConfig ? UpdateOutcome::Refused : UpdateOutcome::Failed;
    }
}

std::string UpdateBaseUrl()
{
    const char* env = std::getenv("QUORVANT_UPDATE_URL");
    std::string url = env && *env ? env : QUORVANT_UPDATE_BASE_URL;
    if (url.back() != '/')
        url += '/';
    return url;
}
