#include "exchange/TrainingJsonReader.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace {

constexpr std::size_t kChunkSize = 1u << 16;
// Beyond this many keys an object checks for duplicates through a hash set.
constexpr std::size_t kFewKeys = 16;

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

int HexDigit(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes a \u escape adds to a text: a surrogate is half of a four-byte character.
std::size_t EscapedLength(int code)
{
    if (code < 0x80)
        return 1;
    if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))
        return 2;
    return 3;
}

} // namespace

cTrainingJsonReader::cTrainingJsonReader(std::streambuf* in) : m_in(in), m_chunk(kChunkSize) {}

bool cTrainingJsonReader::Fill()
{
    m_base += m_len;
    m_pos = 0;
    const std::streamsize got =
        m_in ? m_in->sgetn(m_chunk.data(), static_cast<std::streamsize>(m_chunk.size())) : 0;
    m_len = got > 0 ? static_cast<std::size_t>(got) : 0;
    return m_len > 0;
}

// Positions follow one rule: a token that is not wanted where it stands is named by its
// last byte, a malformed one by the byte where it went wrong, the end of the input by
// the byte after the last (all 1-based).
cTrainingJsonReader::Token cTrainingJsonReader::BadHere()
{
    m_tokenEnd = Index() + 1;
    return Token::Bad;
}

cTrainingJsonReader::Token cTrainingJsonReader::BadAt(std::uint64_t position)
{
    m_tokenEnd = position;
    return Token::Bad;
}

cTrainingJsonReader::Token cTrainingJsonReader::Single(Token token)
{
    Skip();
    m_tokenEnd = Index();
    return token;
}

bool cTrainingJsonReader::SkipByteOrderMark()
{
    if (Peek() != 0xEF)
        return true;
    Skip();
    for (const int expected : {0xBB, 0xBF}) {
        if (Peek() != expected) {
            m_refusal.syntaxByte = Index() + 1;
            return false;
        }
        Skip();
    }
    return true;
}

cTrainingJsonReader::Token cTrainingJsonReader::Lex()
{
    int c = Peek();
    while (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        Skip();
        c = Peek();
    }
    switch (c) {
    case '{': return Single(Token::BeginObject);
    case '}': return Single(Token::EndObject);
    case '[': return Single(Token::BeginArray);
    case ']': return Single(Token::EndArray);
    case ':': return Single(Token::Colon);
    case ',': return Single(Token::Comma);
    case 't': return Literal("true", Token::True);
    case 'f': return Literal("false", Token::False);
    case 'n': return Literal("null", Token::Null);
    case '"':
        Skip();
        return String();
    case kEnd:
        m_tokenEnd = Index() + 1;
        return Token::End;
    default:
        if (c == '-' || IsDigit(c))
            return Number();
        return BadHere();
    }
}

cTrainingJsonReader::Token cTrainingJsonReader::Literal(const char* text, Token token)
{
    Skip();
    for (const char* p = text + 1; *p; ++p) {
        if (Peek() != static_cast<unsigned char>(*p))
            return BadHere();
        Skip();
    }
    m_tokenEnd = Index();
    return token;
}

cTrainingJsonReader::Token cTrainingJsonReader::Number()
{
    m_number.clear();
    const auto take = [this](int c) {
        m_number += static_cast<char>(c);
        Skip();
        return Peek();
    };
    int c = Peek();
    if (c == '-') {
        c = take(c);
        if (!IsDigit(c))
            return BadHere();
    }
    if (c == '0') {
        c = take(c);
    } else {
        while (IsDigit(c))
            c = take(c);
    }
    bool whole = true;
    if (c == '.') {
        whole = false;
        c = take(c);
        if (!IsDigit(c))
            return BadHere();
        while (IsDigit(c))
            c = take(c);
    }
    if (c == 'e' || c == 'E') {
        whole = false;
        c = take(c);
        if (c == '+' || c == '-')
            c = take(c);
        if (!IsDigit(c))
            return BadHere();
        while (IsDigit(c))
            c = take(c);
    }
    m_tokenEnd = Index();

    // A whole number that fits 64 bits stays exact; any other is a floating-point number.
    m_bOverflow = false;
    if (whole) {
        const bool negative = m_number[0] == '-';
        constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
        const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : kMax;
        std::uint64_t value = 0;
        bool fits = true;
        for (std::size_t i = negative ? 1 : 0; i < m_number.size() && fits; ++i) {
            const auto digit = static_cast<std::uint64_t>(m_number[i] - '0');
            fits = value <= (limit - digit) / 10;
            value = value * 10 + digit;
        }
        if (fits && !negative) {
            m_unsigned = value;
            return Token::Unsigned;
        }
        if (fits) {
            m_integer = value == limit ? std::numeric_limits<std::int64_t>::min()
                                       : -static_cast<std::int64_t>(value);
            return Token::Integer;
        }
    }
    m_bOverflow = NumberOverflows();
    return Token::Float;
}

// Whether the number in m_number is too large for a double: its leading digit stands
// beyond the largest power of ten a double reaches.
bool cTrainingJsonReader::NumberOverflows() const
{
    constexpr long long kSaturated = 1'000'000'000;
    long long lead = 0; // power of ten of the leading nonzero digit, before the exponent
    bool found = false;
    std::size_t i = m_number[0] == '-' ? 1 : 0;
    for (; i < m_number.size() && IsDigit(m_number[i]); ++i) {
        if (found)
            lead = std::min(lead + 1, kSaturated);
        else if (m_number[i] != '0')
            found = true;
    }
    if (i < m_number.size() && m_number[i] == '.') {
        for (++i; i < m_number.size() && IsDigit(m_number[i]); ++i) {
            if (!found) {
                --lead;
                found = m_number[i] != '0';
            }
        }
    }
    if (!found)
        return false; // zero
    long long exponent = 0;
    if (i < m_number.size()) { // 'e' or 'E'
        ++i;
        const bool negative = m_number[i] == '-';
        if (m_number[i] == '-' || m_number[i] == '+')
            ++i;
        for (; i < m_number.size(); ++i)
            exponent = std::min(exponent * 10 + (m_number[i] - '0'), kSaturated);
        if (negative)
            exponent = -exponent;
    }
    const long long power = lead + exponent;
    constexpr long long kMaxPower = std::numeric_limits<double>::max_exponent10; // 308
    if (power != kMaxPower)
        return power > kMaxPower;
    // At the very edge only the conversion itself can tell.
    double value = 0;
    const auto result = std::from_chars(m_number.data(), m_number.data() + m_number.size(), value);
    return result.ec == std::errc::result_out_of_range;
}

// Counts one byte of the current text toward the limit; false when it goes beyond.
bool cTrainingJsonReader::CountTextByte()
{
    return ++m_textLength <= kMaxJsonText;
}

cTrainingJsonReader::Token cTrainingJsonReader::String()
{
    m_text.clear();
    m_textLength = 0;
    for (;;) {
        // Plain characters go over in runs.
        if (m_pos < m_len) {
            std::size_t end = m_pos;
            while (end < m_len) {
                const auto b = static_cast<unsigned char>(m_chunk[end]);
                if (b < 0x20 || b >= 0x80 || b == '"' || b == '\\')
                    break;
                ++end;
            }
            if (end > m_pos) {
                m_textLength += end - m_pos;
                if (m_textLength > kMaxJsonText)
                    return Token::TooLong;
                m_text.append(m_chunk.data() + m_pos, end - m_pos);
                m_pos = end;
            }
        }
        const int c = Peek();
        if (c == kEnd)
            return BadHere();
        Skip();
        if (c == '"') {
            m_tokenEnd = Index();
            return Token::String;
        }
        if (c == '\\') {
            const int e = Peek();
            if (e == kEnd)
                return BadHere();
            Skip();
            if (e == 'u') {
                const Token t = Unicode();
                if (t != Token::String)
                    return t;
                continue;
            }
            if (!CountTextByte())
                return Token::TooLong;
            switch (e) {
            case '"': m_text += '"'; break;
            case '\\': m_text += '\\'; break;
            case '/': m_text += '/'; break;
            case 'b': m_text += '\b'; break;
            case 'f': m_text += '\f'; break;
            case 'n': m_text += '\n'; break;
            case 'r': m_text += '\r'; break;
            case 't': m_text += '\t'; break;
            default: return BadAt(Index());
            }
            continue;
        }
        if (!CountTextByte())
            return Token::TooLong;
        if (c < 0x20)
            return BadAt(Index());
        m_text += static_cast<char>(c);
        if (c < 0x80)
            continue;
        // The ranges of well-formed UTF-8 for the bytes after each lead byte.
        int ranges[3][2] = {{0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}};
        int follow = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            if (c == 0xE0)
                ranges[0][0] = 0xA0;
            else if (c == 0xED)
                ranges[0][1] = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            if (c == 0xF0)
                ranges[0][0] = 0x90;
            else if (c == 0xF4)
                ranges[0][1] = 0x8F;
        } else {
            return BadAt(Index());
        }
        for (int k = 0; k < follow; ++k) {
            const int d = Peek();
            if (d == kEnd)
                return BadHere();
            Skip();
            if (!CountTextByte())
                return Token::TooLong;
            if (d < ranges[k][0] || d > ranges[k][1])
                return BadAt(Index());
            m_text += static_cast<char>(d);
        }
    }
}

// Four hex digits after \u, or -1 (failure set). The text counts the escape after its
// fourth character, before that character is checked.
int cTrainingJsonReader::Hex4(Token& failure)
{
    int code = 0;
    int counted = 0;
    for (int k = 0; k < 4; ++k) {
        const int c = Peek();
        if (c == kEnd) {
            failure = BadHere();
            return -1;
        }
        Skip();
        const int digit = HexDigit(c);
        counted = counted * 16 + std::max(digit, 0);
        if (k == 3) {
            m_textLength += EscapedLength(counted);
            if (m_textLength > kMaxJsonText) {
                failure = Token::TooLong;
                return -1;
            }
        }
        if (digit < 0) {
            failure = BadAt(Index());
            return -1;
        }
        code = code * 16 + digit;
    }
    return code;
}

// After "\u": one character, or a surrogate pair written as two escapes.
cTrainingJsonReader::Token cTrainingJsonReader::Unicode()
{
    Token failure = Token::Bad;
    const int high = Hex4(failure);
    if (high < 0)
        return failure;
    char32_t cp = static_cast<char32_t>(high);
    if (high >= 0xDC00 && high <= 0xDFFF)
        return BadAt(Index());
    if (high >= 0xD800 && high <= 0xDBFF) {
        for (const int expected : {'\\', 'u'}) {
            const int c = Peek();
            if (c == kEnd)
                return BadHere();
            Skip();
            if (c == expected)
                continue;
            // Any other character is part of the text (a quote would end it).
            if (!(expected == '\\' && c == '"') && !CountTextByte())
                return Token::TooLong;
            return BadAt(Index());
        }
        const int low = Hex4(failure);
        if (low < 0)
            return failure;
        if (low < 0xDC00 || low > 0xDFFF)
            return BadAt(Index());
        cp = 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
             (static_cast<char32_t>(low) - 0xDC00);
    }
    AppendUtf8(m_text, cp);
    return Token::String;
}

bool cTrainingJsonReader::Next(JsonEvent& event)
{
    if (m_bRootDone) {
        const Token token = Lex();
        if (token == Token::End) {
            event = JsonEvent::End;
            return true;
        }
        if (token == Token::TooLong)
            return Fail(token);
        return Refuse("nach dem JSON-Wert folgen weitere Zeichen (ab Byte " +
                      std::to_string(m_tokenEnd) + ")");
    }
    if (m_depth == 0) {
        if (m_bStarted)
            return false; // refused before
        m_bStarted = true;
        return SkipByteOrderMark() && Value(Lex(), event);
    }
    Frame& frame = m_frames[m_depth - 1];
    Token token = Lex();
    if (frame.array) {
        if (frame.index > 0) {
            if (token == Token::EndArray)
                return Close(event);
            if (token != Token::Comma)
                return Fail(token);
            token = Lex();
        } else if (token == Token::EndArray) {
            return Close(event);
        }
        return Value(token, event);
    }
    if (!frame.expectKey) {
        if (token != Token::Colon)
            return Fail(token);
        return Value(Lex(), event);
    }
    if (token == Token::EndObject)
        return Close(event);
    if (frame.index > 0) {
        if (token != Token::Comma)
            return Fail(token);
        token = Lex();
    }
    if (token != Token::String)
        return Fail(token);
    return Key(event);
}

bool cTrainingJsonReader::Value(Token token, JsonEvent& event)
{
    switch (token) {
    case Token::BeginObject: return Open(false, event);
    case Token::BeginArray: return Open(true, event);
    case Token::String: event = JsonEvent::String; break;
    case Token::Unsigned: event = JsonEvent::Unsigned; break;
    case Token::Integer: event = JsonEvent::Integer; break;
    case Token::Float:
        if (m_bOverflow)
            return Refuse("Zahl außerhalb des darstellbaren Bereichs");
        event = JsonEvent::Float;
        break;
    case Token::True: event = JsonEvent::True; break;
    case Token::False: event = JsonEvent::False; break;
    case Token::Null: event = JsonEvent::Null; break;
    default: return Fail(token);
    }
    Done();
    return true;
}

bool cTrainingJsonReader::Open(bool array, JsonEvent& event)
{
    if (m_depth >= kMaxJsonDepth)
        return Refuse("mehr als " + std::to_string(kMaxJsonDepth) +
                      " Ebenen ineinander verschachtelt");
    if (m_frames.size() == m_depth)
        m_frames.emplace_back();
    Frame& frame = m_frames[m_depth++];
    frame.array = array;
    frame.expectKey = true;
    frame.hasKey = false;
    frame.index = 0;
    frame.keys.clear();
    frame.manyKeys.clear();
    event = array ? JsonEvent::ArrayStart : JsonEvent::ObjectStart;
    return true;
}

bool cTrainingJsonReader::Close(JsonEvent& event)
{
    event = m_frames[m_depth - 1].array ? JsonEvent::ArrayEnd : JsonEvent::ObjectEnd;
    --m_depth;
    Done();
    return true;
}

bool cTrainingJsonReader::Key(JsonEvent& event)
{
    Frame& frame = m_frames[m_depth - 1];
    frame.key = m_text;
    frame.hasKey = true;
    frame.expectKey = false;
    bool fresh = false;
    if (frame.manyKeys.empty()) {
        fresh = std::find(frame.keys.begin(), frame.keys.end(), m_text) == frame.keys.end();
        if (fresh)
            frame.keys.push_back(m_text);
        if (frame.keys.size() > kFewKeys) {
            frame.manyKeys.insert(frame.keys.begin(), frame.keys.end());
            frame.keys.clear();
        }
    } else {
        fresh = frame.manyKeys.insert(m_text).second;
    }
    if (!fresh)
        return Refuse("Schlüssel kommt doppelt vor");
    event = JsonEvent::Key;
    return true;
}

// One value is complete: the next one in its array gets the next index.
void cTrainingJsonReader::Done()
{
    if (m_depth == 0) {
        m_bRootDone = true;
        return;
    }
    Frame& frame = m_frames[m_depth - 1];
    ++frame.index;
    frame.expectKey = true;
}

bool cTrainingJsonReader::Fail(Token token)
{
    if (token == Token::TooLong) {
        const bool key = m_depth > 0 && !m_frames[m_depth - 1].array &&
                         m_frames[m_depth - 1].expectKey;
        return Refuse(std::string(key ? "Schlüssel" : "Text") + " länger als 16 MiB (" +
                      std::to_string(kMaxJsonText) + " Bytes)");
    }
    m_refusal.syntaxByte = m_tokenEnd;
    return false;
}

bool cTrainingJsonReader::Refuse(const std::string& reason)
{
    m_refusal.message = Place() + ": " + reason;
    return false;
}

std::string cTrainingJsonReader::Place() const
{
    std::string place;
    for (std::size_t i = 0; i < m_depth; ++i) {
        const Frame& frame = m_frames[i];
        if (frame.array)
            place += "[" + std::to_string(frame.index) + "]";
        else if (frame.hasKey && !(i + 1 == m_depth && frame.expectKey))
            place += (place.empty() ? "" : ".") + frame.key;
    }
    return place.empty() ? std::string("Dokument") : place;
}
