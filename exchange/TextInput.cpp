#include "exchange/TextInput.h"

#include "base/Cp1252.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace {

// Length of the well-formed UTF-8 sequence at pos with its code point, 0 when malformed.
std::size_t Utf8Sequence(std::string_view s, std::size_t pos, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        cp = b0 & 0x1F, length = 2, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F, length = 3, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        cp = b0 & 0x07, length = 4, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// Offset of the first malformed UTF-8 sequence, or npos.
std::size_t FirstMalformed(std::string_view s)
{
    std::size_t pos = 0;
    char32_t cp = 0;
    while (pos < s.size()) {
        // ASCII runs are the common case; skip them eight bytes at a time.
        while (pos + 8 <= s.size()) {
            std::uint64_t word;
            std::memcpy(&word, s.data() + pos, 8);
            if (word & 0x8080808080808080ull)
                break;
            pos += 8;
        }
        if (pos >= s.size())
            break;
        const std::size_t n = Utf8Sequence(s, pos, cp);
        if (n == 0)
            return pos;
        pos += n;
    }
    return std::string_view::npos;
}

bool Utf16ToUtf8(std::string_view bytes, bool littleEndian, std::string& out)
{
    out.clear();
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(littleEndian ? (a | b << 8) : (a << 8 | b));
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        AppendUtf8(out, cp);
    }
    return true;
}

std::string CharacterText(char32_t cp)
{
    std::string shown;
    AppendUtf8(shown, cp);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    return "\"" + shown + "\" (" + code + ")";
}

} // namespace

bool DecodeText(std::string_view bytes, TextEncoding encoding, std::string& utf8,
                cImportResult& result)
{
    const auto starts = [&](const char* bom) { return bytes.substr(0, std::strlen(bom)) == bom; };
    if (encoding == TextEncoding::Cp1252) {
        utf8 = Cp1252ToUtf8(bytes);
        return true;
    }
    if (encoding == TextEncoding::Detect && (starts("\xFF\xFE") || starts("\xFE\xFF")))
        return Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFF', utf8);
    if (starts("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    const std::size_t bad = FirstMalformed(bytes);
    if (bad == std::string_view::npos) {
        utf8.assign(bytes);
        return true;
    }
    if (encoding == TextEncoding::Detect) {
        utf8 = Cp1252ToUtf8(bytes);
        return true;
    }
    result.failure = ImportFailure::Damaged;
    // The place is counted in the valid text before the bad byte.
    result.message = PlaceText(bytes.substr(0, bad), bad) +
                     ": Die Datei ist nicht in UTF-8 geschrieben (ungültiges Byte)";
    return false;
}

std::string PlaceText(std::string_view text, std::size_t offset)
{
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    std::size_t column = 1;
    for (std::size_t i = lineStart; i < offset && i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++column;
    return "Zeile " + std::to_string(line) + ", Spalte " + std::to_string(column);
}

bool CheckMappable(std::string& text, bool replace, cImportResult& result,
                   std::string_view file, std::size_t base)
{
    std::size_t first = std::string::npos;
    char32_t firstCp = 0;
    std::size_t count = 0;
    std::string replaced;
    std::size_t copied = 0;
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t n = Utf8Sequence(text, pos, cp);
        if (n == 0 && !replace) {
            result.failure = ImportFailure::Damaged;
            result.message = PlaceText(file.empty() ? text : file, base + pos) +
                             ": Die Datei ist nicht in UTF-8 geschrieben (ungültiges Byte)";
            return false;
        }
        if (n == 0) {
            cp = 0xFFFD;
        } else if (UnicodeToCp1252(cp) >= 0) {
            pos += n;
            continue;
        }
        if (count++ == 0) {
            first = pos;
            firstCp = cp;
        }
        if (replace) {
            replaced.append(text, copied, pos - copied);
            replaced += '?';
            copied = pos + (n ? n : 1);
        }
        pos += n ? n : 1;
    }
    if (count == 0)
        return true;
    if (replace) {
        replaced.append(text, copied, std::string::npos);
        text.swap(replaced);
        return true;
    }
    result.failure = ImportFailure::Unmappable;
    result.message = PlaceText(file.empty() ? text : file, base + first) + ": Das Zeichen " + CharacterText(firstCp) +
                     " gibt es in Windows-1252 nicht";
    if (count > 1)
        result.message += " (insgesamt " + std::to_string(count) + " solche Zeichen)";
    return false;
}

std::string ToCp1252Bytes(std::string_view utf8)
{
    return Cp1252FromUtf8(utf8);
}

bool RoomForTask(const std::vector<cImportedTask>& tasks, std::string_view text,
                 std::size_t offset, cImportResult& result)
{
    if (tasks.size() < kMaxImportTasks)
        return true;
    result.failure = ImportFailure::Damaged;
    result.message = PlaceText(text, offset) + ": Mehr als " + std::to_string(kMaxImportTasks) +
                     " Aufgaben in einer Datei werden nicht importiert";
    return false;
}

bool IsBlankText(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    return true;
}

bool LooksBinary(std::string_view text)
{
    // Counted in characters, so replacing or re-encoding characters keeps the verdict.
    const std::string_view head = text.substr(0, 65536);
    std::size_t controls = 0;
    std::size_t characters = 0;
    for (const char c : head) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0)
            return true;
        characters += (b & 0xC0) != 0x80;
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1A)
            ++controls;
    }
    return controls * 10 > characters;
}

bool cRecordReader::Fail(std::size_t offset, const std::string& what, cImportResult& result)
{
    result.failure = ImportFailure::Damaged;
    result.message = PlaceText(m_text, offset) + ": " + what;
    return false;
}

bool cRecordReader::Next(std::vector<std::string>& fields, cImportResult& result)
{
    fields.clear();
    m_offsets.clear();
    const std::size_t n = m_text.size();
    if (m_pos >= n)
        return false;
    m_recordStart = m_pos;
    const char* const text = m_text.data();
    while (true) {
        m_offsets.push_back(m_pos);
        std::string& field = fields.emplace_back();
        if (m_pos < n && text[m_pos] == '"') {
            const std::size_t open = m_pos++;
            while (true) {
                const char* quote = static_cast<const char*>(std::memchr(text + m_pos, '"', n - m_pos));
                if (!quote)
                    return Fail(open, "Das Anführungszeichen wird nicht geschlossen", result);
                const std::size_t end = static_cast<std::size_t>(quote - text);
                // Line breaks inside quotes become CR LF, the line end of task texts.
                for (std::size_t i = m_pos; i < end; ++i) {
                    const char c = text[i];
                    if (c == '\r' || c == '\n') {
                        field += "\r\n";
                        if (c == '\r' && i + 1 < end && text[i + 1] == '\n')
                            ++i;
                    } else {
                        field += c;
                    }
                }
                m_pos = end + 1;
                if (m_pos < n && text[m_pos] == '"') {
                    field += '"';
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (m_pos < n && text[m_pos] != m_sep && text[m_pos] != '\r' && text[m_pos] != '\n')
                return Fail(m_pos,
                            "Nach dem schließenden Anführungszeichen muss ein Trennzeichen "
                            "oder das Zeilenende folgen",
                            result);
        } else {
            std::size_t end = m_pos;
            while (end < n && text[end] != m_sep && text[end] != '\r' && text[end] != '\n')
                ++end;
            field.assign(text + m_pos, end - m_pos);
            m_pos = end;
        }
        if (m_pos - m_recordStart > kMaxImportText)
            return Fail(m_recordStart, "Die Zeile ist länger als 1 MiB", result);
        if (m_pos < n && text[m_pos] == m_sep) {
            ++m_pos;
            continue;
        }
        if (m_pos < n && text[m_pos] == '\r')
            ++m_pos;
        if (m_pos < n && text[m_pos] == '\n')
            ++m_pos;
        break;
    }
    return true;
}

char DetectSeparator(std::string_view text)
{
    constexpr std::array<char, 3> kCandidates = {'\t', ';', ','};
    constexpr int kLines = 20;
    std::array<std::vector<int>, 3> counts;
    std::array<int, 3> current{};
    bool quoted = false;
    int lines = 0;
    // As far as a record may reach: a first record with one long quoted field still
    // gives its separators.
    const std::string_view head = text.substr(0, kMaxImportText + 2);
    for (std::size_t i = 0; i <= head.size() && lines < kLines; ++i) {
        const char c = i < head.size() ? head[i] : '\n';
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            if (current != std::array<int, 3>{}) {
                for (std::size_t k = 0; k < 3; ++k)
                    counts[k].push_back(current[k]);
                ++lines;
            }
            current = {};
        } else if (!quoted) {
            for (std::size_t k = 0; k < 3; ++k)
                current[k] += c == kCandidates[k];
        }
    }
    // A separator that splits every line into the same number of fields wins; else the
    // most frequent one. Ties go to the earlier candidate.
    int best = -1;
    bool bestSteady = false;
    long bestTotal = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        long total = 0;
        bool steady = !counts[k].empty();
        for (const int count : counts[k]) {
            total += count;
            steady = steady && count > 0 && count == counts[k].front();
        }
        if (total == 0)
            continue;
        if (best < 0 || (steady && !bestSteady) || (steady == bestSteady && total > bestTotal)) {
            best = static_cast<int>(k);
            bestSteady = steady;
            bestTotal = total;
        }
    }
    return best < 0 ? 0 : kCandidates[static_cast<std::size_t>(best)];
}

void AppendField(std::string& out, std::string_view utf8, char separator, bool always)
{
    // Control characters other than tab and line breaks become blanks: other programs
    // (and this one) take a file holding them for binary data.
    const auto put = [&out](char c) {
        const auto b = static_cast<unsigned char>(c);
        out += b < 0x20 && c != '\t' && c != '\r' && c != '\n' ? ' ' : c;
    };
    if (!always && utf8.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos) {
        for (const char c : utf8)
            put(c);
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        put(c);
    }
    out += '"';
}

bool PrepareImportText(std::string_view bytes, const cImportOptions& options, const char* kind,
                       std::string& text, cImportResult& result)
{
    if (!DecodeText(bytes, options.encoding, text, result))
        return false;
    if (LooksBinary(text)) {
        result.failure = ImportFailure::WrongFormat;
        result.message = std::string("Die Datei ist keine ") + kind +
                         ": Sie enthält Binärdaten statt Text";
        return false;
    }
    return CheckMappable(text, options.replaceUnmappable, result);
}

std::string AsciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}
