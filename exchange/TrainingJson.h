#pragma once
// Training data as JSON and back: the complete layout of quorvant-cli export and import,
// which the window imports too. JSON texts are UTF-8; the records hold Windows-1252
// bytes, converted through base/Cp1252.h. Both directions stream: export writes while it
// walks the records, import fills the records while it reads, so neither holds the
// document as a whole.

#include "data/TrainingData.h"

#include <cstddef>
#include <iosfwd>
#include <string>

/// Identifier in the "format" key and the layout version in "version".
inline constexpr const char* kJsonFormatName = "quorvant-training";
inline constexpr int kJsonFormatVersion = 1;

/// Writes the data as the JSON document of the export, keys in their documented order,
/// indented by two blanks per level, with a line feed at the end. Like the file writer
/// it leaves out the last questionnaire, the automatic one.
void WriteTrainingJson(const cTrainingData& data, std::ostream& out);

/// Deepest nesting of arrays and objects that import accepts (the layout needs five).
inline constexpr std::size_t kMaxJsonDepth = 64;
/// Longest text (one string or key, in UTF-8 bytes) that import accepts: 16 MiB.
inline constexpr std::size_t kMaxJsonText = 16u * 1024u * 1024u;

/// Why ReadTrainingJson refused its input.
struct cJsonRefusal {
    std::size_t syntaxByte = 0; // the byte of a syntax error (1-based), else 0
    std::string message;        // place and reason for the others, e.g. "a.b: ..."
    bool unmappable = false;    // message names a character without a Windows-1252 byte
};

/// Reads one JSON document from in, in one pass, straight into data, with the
/// automatic questionnaire appended as reading a file would. Never holds more than one
/// text of at most kMaxJsonText bytes beyond the records. Refuses, naming the place:
/// malformed JSON (by its byte), nesting deeper than kMaxJsonDepth, longer texts,
/// numbers that overflow, duplicate keys, anything but white space after the value, and
/// then a document whose values do not fit the layout, e.g.
/// "tasks[3].points: ganze Zahl von 0 bis 8 erwartet". On refusal returns false and
/// leaves data unchanged.
[[nodiscard]] bool ReadTrainingJson(std::istream& in, cTrainingData& data, cJsonRefusal& refusal);

/// Replaces characters without a Windows-1252 byte by '?' in JSON text: raw UTF-8
/// characters (and malformed bytes) and \u escapes inside strings. Everything else stays
/// byte for byte, so the import checks the document as written.
std::string ReplaceUnmappableJson(const std::string& text);
