#include "practice/Media.h"

#include "base/Cp1252.h"

#include <fstream>
#include <system_error>
#include <filesystem>

std::string SoundFileName(const std::string& soundText)
{
    const std::string head = soundText.substr(0, soundText.find('/'));
    std::string name;
    for (const char c : head)
        if (c != ' ' && c != '-')
            name += c;
    return name;
}

std::string MediaPath(const std::string& programDir, const std::string& name)
{
    std::string path = Cp1252ToUtf8(name);
    // Files made on other systems may name sub-folders with backslashes.
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return programDir + path;
}

std::string ProgramDirectory()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.empty())
        return "./";
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

bool FileReadable(const std::string& path)
{
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}
