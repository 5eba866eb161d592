// Files beside an import or an export: the media a notes text names, and the side record
// that keeps the languages of an imported KVTML file for its export.

#include "exchange/Exchange.h"

#include "base/Cp1252.h"
#include "exchange/TextInput.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

std::vector<std::string> CopyImportMedia(const std::vector<cImportedTask>& tasks,
                                         const std::string& source, const std::string& targetDir)
{
    std::set<std::string> names;
    for (const cImportedTask& t : tasks)
        for (const std::string* name : {&t.picture, &t.sound})
            if (!name->empty())
                names.insert(Cp1252ToUtf8(*name));
    const fs::path from = fs::path(source).parent_path();
    std::string missing;
    std::string failed;
    for (const std::string& name : names) {
        // Addresses are left as they are; a full path is only checked; a relative one must
        // not reach out of the folder.
        const fs::path relative(name);
        std::error_code ec;
        if (name.find("://") != std::string::npos)
            continue;
        if (relative.has_root_path() || name.find("..") != std::string::npos) {
            if (!relative.has_root_path() || !fs::exists(relative, ec))
                missing += (missing.empty() ? "" : ", ") + name;
            continue;
        }
        const fs::path file = from / relative;
        if (!fs::is_regular_file(file, ec)) {
            missing += (missing.empty() ? "" : ", ") + name;
            continue;
        }
        if (targetDir.empty() || fs::equivalent(from, fs::path(targetDir), ec))
            continue;
        const fs::path target = fs::path(targetDir) / relative;
        if (fs::exists(target, ec))
            continue;
        fs::create_directories(target.parent_path(), ec);
        if (!fs::copy_file(file, target, ec))
            failed += (failed.empty() ? "" : ", ") + name;
    }
    std::vector<std::string> notes;
    if (!missing.empty())
        notes.push_back("Diese Mediendateien fehlen neben der importierten Datei: " + missing);
    if (!failed.empty())
        notes.push_back("Diese Mediendateien konnten nicht kopiert werden: " + failed);
    return notes;
}

bool LanguagesFromText(std::string_view text, std::vector<cLanguage>& out)
{
    std::vector<cLanguage> languages;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        const std::size_t colon = item.rfind(':');
        cLanguage& l = languages.emplace_back();
        l.locale = std::string(colon == std::string_view::npos ? item : item.substr(colon + 1));
        l.name = colon == std::string_view::npos ? l.locale : std::string(item.substr(0, colon));
        if (l.locale.empty() || l.name.empty() ||
            l.locale.find_first_of(" \t<>&\"") != std::string::npos)
            return false;
        start = comma + 1;
    }
    if (languages.size() != 2)
        return false;
    out = std::move(languages);
    return true;
}

std::string LanguageRecordPath(const std::string& trainingFile)
{
    return trainingFile + ".languages";
}

bool WriteLanguageRecord(const std::string& trainingFile, const std::vector<cLanguage>& languages)
{
    std::ofstream file(LanguageRecordPath(trainingFile), std::ios::binary | std::ios::trunc);
    for (const cLanguage& l : languages)
        file << l.locale << '\t' << l.name << '\n';
    file.flush();
    return static_cast<bool>(file);
}

std::vector<cLanguage> ReadLanguageRecord(const std::string& trainingFile)
{
    std::vector<cLanguage> languages;
    std::ifstream file(LanguageRecordPath(trainingFile), std::ios::binary);
    std::string line;
    while (languages.size() < 2 && std::getline(file, line)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || line.size() > 200)
            return {};
        languages.push_back({line.substr(tab + 1), line.substr(0, tab)});
    }
    return languages.size() == 2 ? languages : std::vector<cLanguage>();
}
