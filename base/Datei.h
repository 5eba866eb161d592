#pragma once
// cDatei: a file read or written as a sequence of tagged values. Every value is one tag
// byte followed by a payload whose layout the tag fixes; integers are big-endian, texts
// are Windows-1252 bytes with a length prefix. Every byte that passes the stream can be
// XOR-scrambled with a key stream of the stream's own generator.
//
// The same stream reads from bytes in memory and writes into a buffer, byte for byte as
// it does with a file.
//
// The stream treats its input as hostile: it never reads past the end of the file, and a
// length prefix larger than what remains in the file is a failed read that allocates
// nothing and leaves the output unchanged.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

/// Value tags of the stream.
enum DateiTag : int {
    TYP_BOOL = 1,
    TYP_BYTE = 2,
    TYP_WORD = 3,
    TYP_LONG = 4,
    TYP_LSTRING = 5, // 4-byte length, then the bytes
    TYP_DOUBLE = 6,  // little-endian IEEE-754, only read by LoadUF
    TYP_CHAR = 7,
    TYP_SHORT = 8,
    TYP_WORD2 = 9,
    TYP_INT64 = 10,
    TYP_SSTRING = 12, // 1-byte length, then the bytes
    TYP_FAIL = 99,    // never stored: the tag byte itself could not be read
};

/// Whether LoadUFNumber took a number with this tag.
constexpr bool IsNumberTag(int tag)
{
    return tag == TYP_BOOL || tag == TYP_BYTE || tag == TYP_WORD || tag == TYP_LONG ||
           tag == TYP_CHAR || tag == TYP_SHORT || tag == TYP_WORD2 || tag == TYP_INT64;
}

/// What ReadString returns when it found a string tag but its length or bytes could not
/// be read (end of file, or a length beyond the end of the file).
inline constexpr int kStringPayloadFailed = 255;

/// Longest path Open accepts, in bytes.
inline constexpr std::size_t kMaxDateiPath = 498;

/// Seed of the key generator that training files use after their CRY block.
inline constexpr std::uint32_t kScrambleSeed = 0x5D1C39A7u;

class cDatei {
public:
    cDatei();
    ~cDatei();
    cDatei(const cDatei&) = delete;
    cDatei& operator=(const cDatei&) = delete;

    /// Opens path for reading (must exist and be a regular file, which is checked before
    /// it is opened; a shared lock is held until Close) or writing (created or
    /// truncated). Refuses paths longer than kMaxDateiPath bytes. True when usable.
    [[nodiscard]] bool Open(const std::string& path, bool forReading);
    /// Creates path for writing only when no file of that name exists yet.
    [[nodiscard]] bool OpenNew(const std::string& path);
    /// Writes through a copy of the open descriptor fd (from its current position).
    [[nodiscard]] bool OpenForWriting(int fd);
    /// Reads from bytes in memory exactly as Open reads a file of that content.
    [[nodiscard]] bool OpenBytes(std::string bytes);
    /// Writes into memory exactly what Open would write into a file; the bytes are
    /// complete in Written() after Close or Finish.
    [[nodiscard]] bool OpenBuffer();
    /// The bytes written into memory since OpenBuffer.
    [[nodiscard]] const std::string& Written() const { return m_memory; }
    /// Descriptor of the open file, -1 when closed or in memory.
    [[nodiscard]] int Fd() const;
    /// Closes the file; pending written bytes are flushed first.
    void Close();
    /// Flushes, syncs to disk (when sync is set) and closes a written file; true when
    /// every byte ever written reached the file.
    [[nodiscard]] bool Finish(bool sync);
    /// True while a file or memory is open.
    [[nodiscard]] bool IsOpen() const { return m_file != nullptr || m_bMemory; }
    /// Size of the file open for reading, 0 when writing or closed.
    [[nodiscard]] std::uint64_t GetFileSize() const;
    /// Bytes of the file open for reading that have not been consumed yet.
    [[nodiscard]] std::uint64_t Remaining() const;

    /// Switches scrambling on, with the key generator seeded by seed.
    void StartScrambling(std::uint32_t seed);
    /// XORs one byte with the next key byte when scrambling is on.
    std::uint8_t Scramble(std::uint8_t byte);

    /// Tag 1 and the value as 0 or 1.
    void WriteBool(bool value);
    /// Tag 2 and the byte.
    void WriteByte(std::uint8_t value);
    /// The value in the smallest of the tags 7, 2, 8, 3, 4, 10 that holds it.
    void WriteNumber(std::int64_t value);
    /// Tag 12 with a 1-byte length up to 255 bytes, else tag 5 with a 4-byte length.
    void WriteString(const std::string& text);
    /// Always tag 5 with a 4-byte length.
    void WriteLongString(const std::string& text);

    /// Reads a number of tag 1, 2, 3, 4, 7, 8, 9 or 10 into value and returns the tag;
    /// 99 when nothing could be read or the tag byte is 99 (value untouched, no box);
    /// other tags are reported and returned without consuming their payload.
    [[nodiscard]] int LoadUFNumber(std::int64_t& value);
    /// General reader for tags 1 to 9; outputs not named by the tag keep their values.
    [[nodiscard]] int LoadUF(std::string& str, std::int32_t& nInt, bool& b,
                             std::uint8_t& byte, std::uint16_t& word, double& d,
                             std::int8_t& ch, std::int32_t& nInt2, std::int32_t& nInt3);
    /// Reads a string of tag 12 or 5 into text and returns the tag; any other tag is
    /// reported and returned, kStringPayloadFailed when the bytes are missing.
    [[nodiscard]] int ReadString(std::string& text);
    /// Reads a value through LoadUF and takes it when it is a long string (tag 5).
    int ReadLongString(std::string& text);
    /// Reads a value through LoadUF and takes it when it is a bool (tag 1).
    int ReadBool(bool& value);
    /// Reads a value through LoadUF and takes it when it is a byte (tag 2 or 7).
    int ReadByte(std::uint8_t& value);
    /// Reads one value of any tag LoadUF knows and discards it; returns its tag.
    int Skip();
    /// Discards one value of any stored tag (1 to 10 and 12) without allocating; returns
    /// its tag, TYP_FAIL at the end of the file. Other tags are reported like LoadUF does.
    int SkipValue();

    bool m_bScramble = false;              ///< scrambling on
    std::uint32_t m_nScrambleState = 0;    ///< key generator state

private:
    bool OpenFile(const std::string& path, const char* mode, bool forReading);
    bool Adopt(std::FILE* file, bool forReading, std::uint64_t size);
    bool Start(bool forReading, std::uint64_t size);
    bool Need(std::uint64_t n);
    bool ReadRaw(std::uint8_t* dst, std::size_t n);
    bool ReadPayload(std::uint8_t* dst, std::size_t n);
    bool ReadTagByte(std::uint8_t& tag);
    bool ReadStringBytes(std::string& text, std::uint64_t length);
    bool DiscardPayload(std::uint64_t n);
    std::uint64_t ReadBigEndian(const std::uint8_t* bytes, std::size_t n) const;
    bool ReadBigEndianPayload(std::size_t n, std::uint64_t& value);
    void Put(std::uint8_t byte);
    void PutBigEndian(std::uint64_t value, std::size_t n);
    void PutBytes(const std::string& text);
    bool FlushOut();
    void ScrambleBytes(const std::uint8_t* src, std::uint8_t* dst, std::size_t n);

    std::FILE* m_file = nullptr;
    bool m_bMemory = false;         // reading from or writing into m_memory
    std::string m_memory;
    const std::uint8_t* m_pIn = nullptr; // bytes being read: m_buffer or m_memory
    bool m_bReading = true;
    bool m_bWriteFailed = false;
    std::uint64_t m_nFileSize = 0;  // size when opened for reading
    std::uint64_t m_nConsumed = 0;  // bytes handed out to readers
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_nBufPos = 0;      // next unread byte (reading)
    std::size_t m_nBufEnd = 0;      // end of valid bytes (reading) / of pending bytes (writing)
};

/// Writes path through a temporary file beside it: writer fills the stream, and only when
/// every byte was written and synced does the temporary file replace path (keeping the
/// old file's owner, permissions and attributes; see SaveFileSafely). On any failure path
/// is left untouched and false is returned.
[[nodiscard]] bool WriteFileAtomically(const std::string& path,
                                       const std::function<void(cDatei&)>& writer);
