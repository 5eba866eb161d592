#pragma once
// Shared by the text readers of the exchange formats: decoding the file's bytes to UTF-8,
// places as "Zeile L, Spalte C", the check for characters that Windows-1252 lacks, and a
// record reader for separated values with RFC 4180 quoting.

#include "exchange/Exchange.h"

#include <string>
#include <string_view>
#include <vector>

/// Turns bytes in the given (or detected) encoding into UTF-8 without byte order mark.
/// False with failure and message set when forced UTF-8 is malformed.
bool DecodeText(std::string_view bytes, TextEncoding encoding, std::string& utf8,
                cImportResult& result);

/// Decodes the bytes and refuses binary data or unmappable text (unless replacing is
/// allowed): the first steps of every text import. kind names the format in the refusal
/// ("CSV-Datei"). False with result's failure and message set.
bool PrepareImportText(std::string_view bytes, const cImportOptions& options, const char* kind,
                       std::string& text, cImportResult& result);

/// ASCII letters in lower case; other bytes unchanged (for keys and names).
std::string AsciiLower(std::string_view s);

/// "Zeile L, Spalte C" of a byte offset in UTF-8 text (lines and characters from 1).
std::string PlaceText(std::string_view text, std::size_t offset);

/// Finds characters without a Windows-1252 byte. With replace they become '?' in text;
/// otherwise the first is reported with its place and the import refused. The place is
/// counted in file from base on, when text is a piece of a larger file.
bool CheckMappable(std::string& text, bool replace, cImportResult& result,
                   std::string_view file = {}, std::size_t base = 0);

/// Windows-1252 bytes of UTF-8 text known to be mappable (see CheckMappable).
std::string ToCp1252Bytes(std::string_view utf8);

/// Refuses the record at offset when tasks are full (kMaxImportTasks); false then.
bool RoomForTask(const std::vector<cImportedTask>& tasks, std::string_view text,
                 std::size_t offset, cImportResult& result);

/// True when the text shows nothing: only blanks, line breaks and control characters
/// (which the exports write as blanks).
bool IsBlankText(std::string_view text);

/// True when the text holds what no text file has: NUL, or more than a tenth control
/// characters.
bool LooksBinary(std::string_view text);

/// Reads records of separated values: fields split at the separator, line ends (LF,
/// CR LF or CR) end a record, a field in double quotes may hold separators, doubled
/// quotes and line breaks (which become CR LF).
class cRecordReader {
public:
    /// Reads text from the byte offset start on.
    cRecordReader(std::string_view text, char separator, std::size_t start = 0)
        : m_text(text), m_sep(separator), m_pos(start)
    {
    }

    /// The next record; false at the end or on an error (failure and message set).
    bool Next(std::vector<std::string>& fields, cImportResult& result);
    /// Byte offset where field i of the last record starts.
    [[nodiscard]] std::size_t FieldOffset(std::size_t i) const { return m_offsets[i]; }
    /// Byte offset where the last record starts.
    [[nodiscard]] std::size_t RecordOffset() const { return m_recordStart; }

private:
    bool Fail(std::size_t offset, const std::string& what, cImportResult& result);

    std::string_view m_text;
    char m_sep;
    std::size_t m_pos = 0;
    std::size_t m_recordStart = 0;
    std::vector<std::size_t> m_offsets;
};

/// The separator that splits the first lines most consistently: tab, semicolon or comma;
/// 0 when none of them occurs outside quotes.
char DetectSeparator(std::string_view text);

/// Appends one field, quoted when it holds the separator, a quote or a line break, or
/// when always is set; other control characters become blanks.
void AppendField(std::string& out, std::string_view utf8, char separator, bool always = false);
