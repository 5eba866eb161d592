#include "base/FileVersion.h"

#include <array>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

// The marker the executable carries: the prefix, the dotted version, a zero byte.
// make-update.sh reads the same marker from an installed tree.
extern const char kFileVersionMarker[];
[[gnu::used]] const char kFileVersionMarker[] = "QUORVANT-FILE-VERSION:" QUORVANT_VERSION;

namespace {

constexpr std::size_t kMaxVersionLength = 24;

bool IsDottedVersion(std::string_view text)
{
    if (text.empty() || text.size() > kMaxVersionLength)
        return false;
    for (const char c : text)
        if ((c < '0' || c > '9') && c != '.')
            return false;
    return text.front() != '.' && text.back() != '.';
}

} // namespace

std::string FileVersionText(const std::string& version)
{
    std::array<unsigned, 4> v{};
    std::size_t part = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(version.find('.', start), version.size());
        const std::string_view piece(version.data() + start, end - start);
        if (part >= v.size() || piece.empty() || piece.size() > 5)
            return {};
        unsigned n = 0;
        for (const char c : piece) {
            if (c < '0' || c > '9')
                return {};
            n = n * 10 + unsigned(c - '0');
        }
        if (n > 0xFFFF)
            return {};
        v[part++] = n;
        if (end == version.size())
            break;
        start = end + 1;
    }
    auto join = [&v](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += (i ? "." : "") + std::to_string(v[i]);
        return text;
    };
    if (v[2] != 0 || v[3] != 0)
        return join(4);
    if (v[0] != 0 || v[1] != 0)
        return join(2);
    return {};
}

std::string ProgramVersionText()
{
    return FileVersionText(QUORVANT_VERSION);
}

std::string GetFileVersionText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    // The prefix is looked for without the marker's own text, and a hit counts only when
    // a dotted version and a zero byte follow, so the search text itself never matches.
    const std::string_view prefix(kFileVersionMarker, std::strlen(kFileVersionMarker) -
                                                          std::strlen(QUORVANT_VERSION));
    std::vector<char> buffer(1 << 16);
    std::string window;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        window.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
        for (std::size_t at = window.find(prefix); at != std::string::npos;
             at = window.find(prefix, at + 1)) {
            const std::size_t from = at + prefix.size();
            const std::size_t zero = window.find('\0', from);
            if (zero == std::string::npos) {
                if (window.size() - from <= kMaxVersionLength)
                    break; // the rest may come with the next read
                continue;
            }
            const std::string_view version(window.data() + from, zero - from);
            if (IsDottedVersion(version))
                return FileVersionText(std::string(version));
        }
        // Keep a tail long enough for a marker that straddles two reads.
        const std::size_t keep = prefix.size() + kMaxVersionLength + 1;
        if (window.size() > keep)
            window.erase(0, window.size() - keep);
    }
    return {};
}
