#include "base/Cp1252.h"

namespace {

// Code points of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char32_t kHighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};


// Decodes one UTF-8 sequence at pos; returns false for malformed input.
bool DecodeUtf8(std::string_view s, std::size_t& pos, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    char32_t min = 0;
    if (b0 < 0x80) { cp = b0; ++pos; return true; }
    if ((b0 & 0xE0) == 0xC0) { cp = b0 & 0x1F; extra = 1; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { cp = b0 & 0x0F; extra = 2; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { cp = b0 & 0x07; extra = 3; min = 0x10000; }
    else { ++pos; return false; }
    if (pos + extra >= s.size()) { pos = s.size(); return false; }
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) { pos += i; return false; }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += extra + 1;
    return cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

} // namespace

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t Cp1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHighTable[byte - 0x80];
    return byte;
}

int UnicodeToCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHighTable[i] == cp)
            return 0x80 + i;
    return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes)
        AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out, std::size_t* badIndex)
{
    out.clear();
    out.reserve(utf8.size());
    bool ok = true;
    std::size_t pos = 0;
    std::size_t index = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        const bool decoded = DecodeUtf8(utf8, pos, cp);
        const int byte = decoded ? UnicodeToCp1252(cp) : -1;
        if (byte < 0) {
            if (ok && badIndex)
                *badIndex = index;
            ok = false;
        } else {
            out += static_cast<char>(byte);
        }
        ++index;
    }
    return ok;
}

std::string Cp1252FromUtf8(std::string_view utf8)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        const bool decoded = DecodeUtf8(utf8, pos, cp);
        const int byte = decoded ? UnicodeToCp1252(cp) : -1;
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

unsigned char LowerCp1252(unsigned char b)
{
    if (b >= 'A' && b <= 'Z')
        return static_cast<unsigned char>(b + 0x20);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7)
        return static_cast<unsigned char>(b + 0x20);
    switch (b) {
    case 0x8A: return 0x9A; // S caron
    case 0x8C: return 0x9C; // OE
    case 0x8E: return 0x9E; // Z caron
    case 0x9F: return 0xFF; // Y diaeresis
    default: return b;
    }
}

std::string LowerCp1252(std::string_view bytes)
{
    std::string out(bytes);
    for (char& c : out)
        c = static_cast<char>(LowerCp1252(static_cast<unsigned char>(c)));
    return out;
}
