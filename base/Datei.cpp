#include "base/Datei.h"

#include "base/Cp1252.h"
#include "base/SafeSave.h"
#include "base/Message.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Big enough that a whole training file of a few thousand tasks is one system call.
constexpr std::size_t kChunk = 256 * 1024;

void ShowTypeError(const std::string& caption, const std::string& text)
{
    MessagePresenter().Present(caption, text, StyleIconError);
}

const std::string& LoadUFNumberText()
{
    static const std::string text =
        Cp1252FromUtf8("Datei.h:LoadUFNumber(...) -  Typ nicht unterstützt!!");
    return text;
}

const std::string& LoadUFText()
{
    static const std::string text = Cp1252FromUtf8("Datei.h:LoadUF(...) -  Typ nicht unterstützt!!");
    return text;
}

// Every output LoadUF may fill, for readers that want only one of them.
struct LoadUFOutputs {
    std::string str;
    std::int32_t nInt = 0;
    bool b = false;
    std::uint8_t byte = 0;
    std::uint16_t word = 0;
    double d = 0;
    std::int8_t ch = 0;
    std::int32_t nInt2 = 0;
    std::int32_t nInt3 = 0;
};

int LoadUFInto(cDatei& file, LoadUFOutputs& out)
{
    return file.LoadUF(out.str, out.nInt, out.b, out.byte, out.word, out.d, out.ch, out.nInt2,
                       out.nInt3);
}

} // namespace

cDatei::cDatei() = default;

cDatei::~cDatei()
{
    Close();
}

bool cDatei::Open(const std::string& path, bool forReading)
{
    if (path.size() > kMaxDateiPath)
        return false;
    return OpenFile(path, forReading ? "rb" : "wb", forReading);
}

bool cDatei::OpenNew(const std::string& path)
{
    // "x": fail when the name exists, so a temporary name never clobbers a file.
    return OpenFile(path, "wbx", false);
}

bool cDatei::OpenFile(const std::string& path, const char* mode, bool forReading)
{
    Close();
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    if (!forReading) {
        std::FILE* file = std::fopen(path.c_str(), mode);
        return file && Adopt(file, false, 0);
    }
    // Anything but a regular file is refused before it is opened: opening a FIFO or a
    // device for reading may block or have effects of its own.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // The name may have been replaced between the check and the open; the shared lock
    // keeps a careful writer from changing the file while it is read.
    std::FILE* file = nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 || !LockFile(fd, false) ||
        !(file = fdopen(fd, "rb"))) {
        ::close(fd);
        return false;
    }
    return Adopt(file, true, static_cast<std::uint64_t>(st.st_size));
}

bool cDatei::OpenForWriting(int fd)
{
    Close();
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return false;
    std::FILE* file = fdopen(copy, "wb");
    if (!file) {
        ::close(copy);
        return false;
    }
    return Adopt(file, false, 0);
}

int cDatei::Fd() const
{
    return m_file ? fileno(m_file) : -1;
}

bool cDatei::OpenBytes(std::string bytes)
{
    Close();
    m_memory = std::move(bytes);
    m_bMemory = true;
    const bool ok = Start(true, m_memory.size());
    // The whole content is the read buffer, so it is never refilled.
    m_pIn = reinterpret_cast<const std::uint8_t*>(m_memory.data());
    m_nBufEnd = m_memory.size();
    return ok;
}

bool cDatei::OpenBuffer()
{
    Close();
    m_memory.clear();
    m_bMemory = true;
    return Start(false, 0);
}

bool cDatei::Adopt(std::FILE* file, bool forReading, std::uint64_t size)
{
    // Our own buffer does all the buffering.
    std::setvbuf(file, nullptr, _IONBF, 0);
    m_file = file;
    std::string().swap(m_memory);
    return Start(forReading, size);
}

bool cDatei::Start(bool forReading, std::uint64_t size)
{
    m_bReading = forReading;
    m_bWriteFailed = false;
    m_nFileSize = size;
    m_nConsumed = 0;
    if (!(m_bMemory && forReading))
        m_buffer.resize(kChunk);
    m_pIn = m_buffer.data();
    m_nBufPos = 0;
    m_nBufEnd = 0;
    return true;
}

void cDatei::Close()
{
    if (!IsOpen())
        return;
    if (!m_bReading)
        FlushOut();
    if (m_file && std::fclose(m_file) != 0 && !m_bReading)
        m_bWriteFailed = true;
    m_file = nullptr;
    // Bytes written into memory stay for Written(); bytes read from memory are done.
    if (m_bReading)
        std::string().swap(m_memory);
    m_bMemory = false;
    m_pIn = nullptr;
    m_nFileSize = 0;
    m_nBufPos = m_nBufEnd = 0;
    std::vector<std::uint8_t>().swap(m_buffer);
}

bool cDatei::Finish(bool sync)
{
    if (!IsOpen())
        return false;
    if (m_bReading) {
        Close();
        return true;
    }
    FlushOut();
    if (m_file && std::fflush(m_file) != 0)
        m_bWriteFailed = true;
    if (m_file && sync && fsync(fileno(m_file)) != 0)
        m_bWriteFailed = true;
    Close();
    return !m_bWriteFailed;
}

std::uint64_t cDatei::GetFileSize() const
{
    return (IsOpen() && m_bReading) ? m_nFileSize : 0;
}

std::uint64_t cDatei::Remaining() const
{
    if (!IsOpen() || !m_bReading || m_nConsumed >= m_nFileSize)
        return 0;
    return m_nFileSize - m_nConsumed;
}

void cDatei::StartScrambling(std::uint32_t seed)
{
    m_bScramble = true;
    m_nScrambleState = seed;
}

namespace {

// One step of the key generator: the runtime's rand() formula, re-seeded with its output.
inline std::uint32_t NextKeyState(std::uint32_t x)
{
    return ((x * 214013u + 2531011u) >> 16) & 0x7FFFu;
}

} // namespace

std::uint8_t cDatei::Scramble(std::uint8_t byte)
{
    if (!m_bScramble)
        return byte;
    m_nScrambleState = NextKeyState(m_nScrambleState);
    return static_cast<std::uint8_t>(byte ^ (m_nScrambleState & 0xFFu));
}

void cDatei::ScrambleBytes(const std::uint8_t* src, std::uint8_t* dst, std::size_t n)
{
    // The state stays in a register: stores through dst could otherwise alias it.
    std::uint32_t x = m_nScrambleState;
    for (std::size_t i = 0; i < n; ++i) {
        x = NextKeyState(x);
        dst[i] = static_cast<std::uint8_t>(src[i] ^ (x & 0xFFu));
    }
    m_nScrambleState = x;
}

// ---- reading -------------------------------------------------------------------------

bool cDatei::Need(std::uint64_t n)
{
    return n <= Remaining();
}

bool cDatei::ReadRaw(std::uint8_t* dst, std::size_t n)
{
    while (n > 0) {
        if (m_nBufPos == m_nBufEnd) {
            if (!m_file)
                return false;
            const std::size_t got = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
            if (got == 0)
                return false;
            m_nBufPos = 0;
            m_nBufEnd = got;
        }
        const std::size_t k = std::min(n, m_nBufEnd - m_nBufPos);
        std::memcpy(dst, m_pIn + m_nBufPos, k);
        m_nBufPos += k;
        m_nConsumed += k;
        dst += k;
        n -= k;
    }
    return true;
}

bool cDatei::ReadPayload(std::uint8_t* dst, std::size_t n)
{
    if (!Need(n))
        return false;
    if (m_nBufEnd - m_nBufPos >= n) {
        // Most values lie wholly inside the buffer.
        std::memcpy(dst, m_pIn + m_nBufPos, n);
        m_nBufPos += n;
        m_nConsumed += n;
    } else if (!ReadRaw(dst, n)) {
        return false;
    }
    if (m_bScramble)
        ScrambleBytes(dst, dst, n);
    return true;
}

bool cDatei::ReadTagByte(std::uint8_t& tag)
{
    return ReadPayload(&tag, 1);
}

bool cDatei::ReadStringBytes(std::string& text, std::uint64_t length)
{
    // The length comes from the file: check it against what is left before allocating.
    if (!Need(length))
        return false;
    const auto n = static_cast<std::size_t>(length);
    if (m_nBufEnd - m_nBufPos >= n) {
        // Wholly buffered: nothing can fail any more, so fill the output in place.
        text.assign(reinterpret_cast<const char*>(m_pIn + m_nBufPos), n);
        m_nBufPos += n;
        m_nConsumed += n;
        if (m_bScramble) {
            auto* bytes = reinterpret_cast<std::uint8_t*>(text.data());
            ScrambleBytes(bytes, bytes, n);
        }
        return true;
    }
    std::string bytes(n, '\0');
    if (!ReadPayload(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()))
        return false;
    text = std::move(bytes);
    return true;
}

std::uint64_t cDatei::ReadBigEndian(const std::uint8_t* bytes, std::size_t n) const
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v = (v << 8) | bytes[i];
    return v;
}

bool cDatei::ReadBigEndianPayload(std::size_t n, std::uint64_t& value)
{
    std::uint8_t b[8];
    if (!ReadPayload(b, n))
        return false;
    value = ReadBigEndian(b, n);
    return true;
}

int cDatei::LoadUFNumber(std::int64_t& value)
{
    std::uint8_t tag = 0;
    if (!ReadTagByte(tag))
        return TYP_FAIL;
    std::uint64_t v = 0;
    switch (tag) {
    case TYP_BOOL:
        if (!ReadBigEndianPayload(1, v))
            return TYP_FAIL;
        value = v != 0 ? 1 : 0;
        return tag;
    case TYP_BYTE:
        if (!ReadBigEndianPayload(1, v))
            return TYP_FAIL;
        value = static_cast<std::uint8_t>(v);
        return tag;
    case TYP_CHAR:
        if (!ReadBigEndianPayload(1, v))
            return TYP_FAIL;
        value = static_cast<std::int8_t>(v);
        return tag;
    case TYP_WORD:
    case TYP_WORD2:
        if (!ReadBigEndianPayload(2, v))
            return TYP_FAIL;
        value = static_cast<std::uint16_t>(v);
        return tag;
    case TYP_SHORT:
        if (!ReadBigEndianPayload(2, v))
            return TYP_FAIL;
        value = static_cast<std::int16_t>(v);
        return tag;
    case TYP_LONG:
        if (!ReadBigEndianPayload(4, v))
            return TYP_FAIL;
        value = static_cast<std::int32_t>(v);
        return tag;
    case TYP_INT64:
        // Only the low half carries the value; the high half is read and ignored.
        if (!ReadBigEndianPayload(8, v))
            return TYP_FAIL;
        value = static_cast<std::int32_t>(v);
        return tag;
    case TYP_FAIL:
        // A stored 99 means the same as a failed read: returned without a box.
        return tag;
    default:
        ShowTypeError("FEHLER", LoadUFNumberText());
        return tag;
    }
}

int cDatei::LoadUF(std::string& str, std::int32_t& nInt, bool& bValue, std::uint8_t& byte,
                   std::uint16_t& word, double& d, std::int8_t& ch, std::int32_t& nInt2,
                   std::int32_t& nInt3)
{
    std::uint8_t tag = 0;
    if (!ReadTagByte(tag)) {
        ShowTypeError("FEHLER", LoadUFText());
        return TYP_FAIL;
    }
    std::uint8_t b[8];
    std::uint64_t v = 0;
    switch (tag) {
    case TYP_BOOL:
        if (!ReadPayload(b, 1))
            return TYP_FAIL;
        bValue = b[0] != 0;
        return tag;
    case TYP_BYTE:
        if (!ReadPayload(b, 1))
            return TYP_FAIL;
        byte = b[0];
        ch = static_cast<std::int8_t>(b[0]);
        nInt = b[0];
        str.assign(1, static_cast<char>(b[0]));
        return tag;
    case TYP_CHAR:
        if (!ReadPayload(b, 1))
            return TYP_FAIL;
        ch = static_cast<std::int8_t>(b[0]);
        byte = b[0];
        nInt = static_cast<std::int8_t>(b[0]);
        str.assign(1, static_cast<char>(b[0]));
        return tag;
    case TYP_WORD:
        if (!ReadBigEndianPayload(2, v))
            return TYP_FAIL;
        word = static_cast<std::uint16_t>(v);
        return tag;
    case TYP_LONG:
        if (!ReadBigEndianPayload(4, v))
            return TYP_FAIL;
        nInt = static_cast<std::int32_t>(v);
        return tag;
    case TYP_LSTRING:
        if (!ReadBigEndianPayload(4, v) || !ReadStringBytes(str, v))
            return TYP_FAIL;
        return tag;
    case TYP_DOUBLE: {
        if (!ReadPayload(b, 8))
            return TYP_FAIL;
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | b[i];
        d = std::bit_cast<double>(bits);
        return tag;
    }
    case TYP_SHORT:
        if (!ReadBigEndianPayload(2, v))
            return TYP_FAIL;
        nInt2 = nInt3 = static_cast<std::int16_t>(v);
        return tag;
    case TYP_WORD2:
        if (!ReadBigEndianPayload(2, v))
            return TYP_FAIL;
        nInt2 = nInt3 = static_cast<std::uint16_t>(v);
        return tag;
    default:
        ShowTypeError("FEHLER", LoadUFText());
        return tag;
    }
}

int cDatei::ReadString(std::string& text)
{
    std::uint8_t tag = 0;
    if (!ReadTagByte(tag))
        tag = TYP_FAIL;
    std::uint64_t length = 0;
    switch (tag) {
    case TYP_SSTRING:
        if (!ReadBigEndianPayload(1, length) || !ReadStringBytes(text, length))
            return kStringPayloadFailed;
        return tag;
    case TYP_LSTRING:
        if (!ReadBigEndianPayload(4, length) || !ReadStringBytes(text, length))
            return kStringPayloadFailed;
        return tag;
    default:
        ShowTypeError("", "Falscher Datentyp (" + std::to_string(tag) +
                              ")beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)");
        return tag;
    }
}

int cDatei::ReadLongString(std::string& text)
{
    LoadUFOutputs out;
    const int tag = LoadUFInto(*this, out);
    if (tag == TYP_LSTRING)
        text = std::move(out.str);
    else
        ShowTypeError("", "Falscher Datentyp beim Einlesen der Datei. (String erwartet)");
    return tag;
}

int cDatei::ReadBool(bool& value)
{
    LoadUFOutputs out;
    const int tag = LoadUFInto(*this, out);
    if (tag == TYP_BOOL)
        value = out.b;
    return tag;
}

int cDatei::ReadByte(std::uint8_t& value)
{
    LoadUFOutputs out;
    const int tag = LoadUFInto(*this, out);
    if (tag == TYP_BYTE || tag == TYP_CHAR)
        value = out.byte;
    return tag;
}

int cDatei::Skip()
{
    LoadUFOutputs out;
    return LoadUFInto(*this, out);
}

bool cDatei::DiscardPayload(std::uint64_t n)
{
    if (!Need(n))
        return false;
    std::uint8_t scratch[512];
    while (n > 0) {
        const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(n, sizeof scratch));
        if (!ReadPayload(scratch, k))
            return false;
        n -= k;
    }
    return true;
}

int cDatei::SkipValue()
{
    std::uint8_t tag = 0;
    if (!ReadTagByte(tag))
        return TYP_FAIL;
    std::uint64_t length = 0;
    bool ok = false;
    switch (tag) {
    case TYP_BOOL: case TYP_BYTE: case TYP_CHAR:
        ok = DiscardPayload(1);
        break;
    case TYP_WORD: case TYP_SHORT: case TYP_WORD2:
        ok = DiscardPayload(2);
        break;
    case TYP_LONG:
        ok = DiscardPayload(4);
        break;
    case TYP_DOUBLE: case TYP_INT64:
        ok = DiscardPayload(8);
        break;
    case TYP_SSTRING:
        ok = ReadBigEndianPayload(1, length) && DiscardPayload(length);
        break;
    case TYP_LSTRING:
        ok = ReadBigEndianPayload(4, length) && DiscardPayload(length);
        break;
    default:
        ShowTypeError("FEHLER", LoadUFText());
        return tag;
    }
    return ok ? int(tag) : int(TYP_FAIL);
}

// ---- writing -------------------------------------------------------------------------

bool cDatei::FlushOut()
{
    if (!IsOpen() || m_bReading || m_nBufEnd == 0)
        return !m_bWriteFailed;
    if (m_bMemory) {
        try {
            m_memory.append(reinterpret_cast<const char*>(m_buffer.data()), m_nBufEnd);
        } catch (const std::bad_alloc&) {
            m_bWriteFailed = true; // as a full disk would
        }
    } else if (std::fwrite(m_buffer.data(), 1, m_nBufEnd, m_file) != m_nBufEnd) {
        m_bWriteFailed = true;
    }
    m_nBufEnd = 0;
    return !m_bWriteFailed;
}

void cDatei::Put(std::uint8_t byte)
{
    if (!IsOpen() || m_bReading) {
        m_bWriteFailed = true;
        return;
    }
    if (m_nBufEnd == m_buffer.size())
        FlushOut();
    m_buffer[m_nBufEnd++] = Scramble(byte);
}

void cDatei::PutBigEndian(std::uint64_t value, std::size_t n)
{
    for (std::size_t i = n; i-- > 0;)
        Put(static_cast<std::uint8_t>(value >> (8 * i)));
}

void cDatei::PutBytes(const std::string& text)
{
    if (!IsOpen() || m_bReading) {
        m_bWriteFailed = true;
        return;
    }
    const auto* src = reinterpret_cast<const std::uint8_t*>(text.data());
    std::size_t n = text.size();
    while (n > 0) {
        if (m_nBufEnd == m_buffer.size())
            FlushOut();
        const std::size_t k = std::min(n, m_buffer.size() - m_nBufEnd);
        std::uint8_t* dst = m_buffer.data() + m_nBufEnd;
        if (m_bScramble)
            ScrambleBytes(src, dst, k);
        else
            std::memcpy(dst, src, k);
        m_nBufEnd += k;
        src += k;
        n -= k;
    }
}

void cDatei::WriteBool(bool value)
{
    Put(TYP_BOOL);
    Put(value ? 1 : 0);
}

void cDatei::WriteByte(std::uint8_t value)
{
    Put(TYP_BYTE);
    Put(value);
}

void cDatei::WriteNumber(std::int64_t value)
{
    const auto u = static_cast<std::uint64_t>(value);
    if (value >= -128 && value <= 127) {
        Put(TYP_CHAR);
        PutBigEndian(u, 1);
    } else if (value >= 0 && value <= 255) {
        Put(TYP_BYTE);
        PutBigEndian(u, 1);
    } else if (value >= -32768 && value <= 32767) {
        Put(TYP_SHORT);
        PutBigEndian(u, 2);
    } else if (value >= 0 && value <= 65535) {
        Put(TYP_WORD);
        PutBigEndian(u, 2);
    } else if (value >= std::numeric_limits<std::int32_t>::min() &&
               value <= std::numeric_limits<std::int32_t>::max()) {
        Put(TYP_LONG);
        PutBigEndian(u, 4);
    } else {
        Put(TYP_INT64);
        PutBigEndian(u, 8);
    }
}

void cDatei::WriteString(const std::string& text)
{
    if (text.size() <= 255) {
        Put(TYP_SSTRING);
        Put(static_cast<std::uint8_t>(text.size()));
        PutBytes(text);
    } else {
        WriteLongString(text);
    }
}

void cDatei::WriteLongString(const std::string& text)
{
    // A 4-byte length cannot describe a longer text; writing a cut length would
    // corrupt everything behind it.
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        m_bWriteFailed = true;
        return;
    }
    Put(TYP_LSTRING);
    PutBigEndian(text.size(), 4);
    PutBytes(text);
}

// ---- atomic replacement --------------------------------------------------------------

bool WriteFileAtomically(const std::string& path, const std::function<void(cDatei&)>& writer)
{
    return SaveFileSafely(path, writer, nullptr, nullptr) == SaveOutcome::Saved;
}
