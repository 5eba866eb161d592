#include "practice/EditorDialogs.h"

#include "base/Cp1252.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Symbolic links resolved where they exist, so that a file reached through a linked
// folder still counts as inside the program directory.
fs::path Resolved(const std::string& text)
{
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::path(text), error);
    if (error)
        path = fs::path(text).lexically_normal();
    if (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return path;
}

} // namespace

int MediaNameForFile(const std::string& programDir, const std::string& file, bool sound,
                     std::string& name)
{
    if (programDir.empty() || file.empty())
        return MediaNameOutside;
    const fs::path relative = Resolved(file).lexically_relative(Resolved(programDir));
    std::vector<std::string> parts;
    for (const fs::path& part : relative)
        parts.push_back(part.string());
    if (parts.empty() || parts.front() == "." || parts.front() == ".." || parts.back().empty())
        return MediaNameOutside;

    std::string joined;
    for (const std::string& part : parts) {
        // A backslash would be read back as a folder separator.
        if (part.find('\\') != std::string::npos)
            return MediaNameUnusable;
        if (!joined.empty())
            joined += '\\';
        joined += part;
    }
    if (sound && (parts.size() != 1 || joined.find_first_of(" -") != std::string::npos))
        return MediaNameUnusable;

    std::string bytes;
    if (!Utf8ToCp1252(joined, bytes))
        return MediaNameNotCp1252;
    name.swap(bytes);
    return MediaNameOk;
}

std::string MediaNameMessage(int result, bool sound)
{
    switch (result) {
    case MediaNameOutside:
        return Cp1252FromUtf8("Die Datei liegt nicht im Programmverzeichnis. Kopieren Sie sie "
                              "in das Programmverzeichnis oder in einen seiner Unterordner und "
                              "wählen Sie sie dort aus.");
    case MediaNameUnusable:
        return sound ? Cp1252FromUtf8("Eine Sounddatei muss direkt im Programmverzeichnis "
                                      "liegen, und ihr Name darf weder Leerzeichen noch "
                                      "Bindestriche enthalten.")
                     : Cp1252FromUtf8("Der Pfad der Bilddatei darf keinen umgekehrten "
                                      "Schrägstrich (\\) enthalten.");
    case MediaNameNotCp1252:
        return Cp1252FromUtf8("Der Dateiname enthält Zeichen, die in der Trainingsdatei nicht "
                              "gespeichert werden können.");
    default:
        return std::string();
    }
}
