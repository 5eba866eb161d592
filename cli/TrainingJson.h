#pragma once
// Training data as JSON and back, for quorvant-cli export and import. JSON texts are
// UTF-8; the records hold Windows-1252 bytes, converted through data/Cp1252.h.

#include "data/TrainingData.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <iosfwd>
#include <string>

using OrderedJson = nlohmann::ordered_json;

/// Identifier in the "format" key and the layout version in "version".
inline constexpr const char* kJsonFormatName = "quorvant-training";
inline constexpr int kJsonFormatVersion = 1;

/// Writes the data as the JSON document of the export, keys in their documented order,
/// indented by two blanks per level, with a line feed at the end, while it walks the
/// records. Like the file writer it leaves out the last questionnaire, the automatic one.
void WriteTrainingJson(const cTrainingData& data, std::ostream& out);

/// Checks the whole document and builds the data from it, with the automatic
/// questionnaire appended as reading would. On refusal returns false, leaves data
/// unchanged and sets error to the place and the reason, e.g.
/// "tasks[3].points: ganze Zahl von 0 bis 8 erwartet".
[[nodiscard]] bool TrainingFromJson(const OrderedJson& doc, cTrainingData& data,
                                    std::string& error);

/// Deepest nesting of arrays and objects that import accepts (the layout needs five).
inline constexpr std::size_t kMaxJsonDepth = 64;
/// Longest text (one string or key, in UTF-8 bytes) that import accepts: 16 MiB.
inline constexpr std::size_t kMaxJsonText = 16u * 1024u * 1024u;

/// Why ParseTrainingJson refused its input.
struct cJsonRefusal {
    std::size_t syntaxByte = 0; // the byte of a syntax error, else 0
    std::string message;        // place and reason for the others, e.g. "a.b: ..."
};

/// Parses one JSON value from in without ever holding more than one text of at most
/// kMaxJsonText bytes beyond the document: refuses nesting deeper than kMaxJsonDepth,
/// longer texts, numbers that overflow, duplicate keys and anything but white space
/// after the value, naming the place. False on refusal (or when in failed: refusal
/// stays empty).
[[nodiscard]] bool ParseTrainingJson(std::istream& in, OrderedJson& doc, cJsonRefusal& refusal);
