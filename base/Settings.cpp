#include "base/Settings.h"

#include "base/Datei.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::int64_t kSettingsVersion = 2;

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string SettingsFilePath(const std::string& programDir)
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') {
        const std::string home = Environment("HOME");
        if (home.empty())
            return programDir + kSettingsFileName;
        config = home + "/.config";
    }
    return config + "/Quorvant/" + kSettingsFileName;
}

void cSettings::LoadSettings(const std::string& path)
{
    *this = cSettings();
    cDatei in;
    if (!in.Open(path, true))
        return;
    std::int64_t version = 0;
    const int tag = in.LoadUFNumber(version);
    if (!IsNumberTag(tag))
        return;
    // A file that ends early keeps the defaults for what is missing, without the
    // stream's type-error boxes for reads past the end.
    bool flag = m_bBeepOnWrong != 0;
    if (in.Remaining() == 0)
        return;
    in.ReadBool(flag);
    m_bBeepOnWrong = flag ? 1 : 0;
    if (in.Remaining() == 0)
        return;
    flag = m_bNextOnRight != 0;
    in.ReadBool(flag);
    m_bNextOnRight = flag ? 1 : 0;
    if (in.Remaining() == 0)
        return;
    std::int64_t selection = m_nPrintSelection;
    if (IsNumberTag(in.LoadUFNumber(selection)))
        m_nPrintSelection = static_cast<std::int32_t>(selection);
    if (in.Remaining() == 0)
        return;
    flag = m_bPlan != 0;
    in.ReadBool(flag);
    m_bPlan = flag ? 1 : 0;
    if (in.Remaining() == 0)
        return;
    std::int64_t perDay = m_nNewPerDay;
    if (IsNumberTag(in.LoadUFNumber(perDay)) && perDay >= 0 && perDay <= kMaxNewPerDay)
        m_nNewPerDay = static_cast<std::int32_t>(perDay);
}

void cSettings::SaveSettings(const std::string& path) const
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const bool written = WriteFileAtomically(path, [this](cDatei& out) {
        out.WriteNumber(kSettingsVersion);
        out.WriteBool(m_bBeepOnWrong == 1);
        out.WriteBool(m_bNextOnRight == 1);
        out.WriteNumber(m_nPrintSelection);
        out.WriteBool(m_bPlan == 1);
        out.WriteNumber(m_nNewPerDay);
    });
    (void)written;
}
