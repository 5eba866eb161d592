#pragma once
// Training data as JSON and back, for quorvant-cli export and import. JSON texts are
// UTF-8; the records hold Windows-1252 bytes, converted through data/Cp1252.h.

#include "data/TrainingData.h"

#include <nlohmann/json.hpp>

#include <string>

using OrderedJson = nlohmann::ordered_json;

/// Identifier in the "format" key and the layout version in "version".
inline constexpr const char* kJsonFormatName = "quorvant-training";
inline constexpr int kJsonFormatVersion = 1;

/// The data as the JSON document of the export, keys in their documented order. Like
/// the file writer it leaves out the last questionnaire, the automatic one.
OrderedJson TrainingToJson(const cTrainingData& data);

/// Checks the whole document and builds the data from it, with the automatic
/// questionnaire appended as reading would. On refusal returns false, leaves data
/// unchanged and sets error to the place and the reason, e.g.
/// "tasks[3].points: ganze Zahl von 0 bis 8 erwartet".
[[nodiscard]] bool TrainingFromJson(const OrderedJson& doc, cTrainingData& data,
                                    std::string& error);
