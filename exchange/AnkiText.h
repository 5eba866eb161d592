#pragma once
// Anki's plain-text notes: "#key:value" header lines ("#separator:", "#html:",
// "#tags column:" and the column headers for guid, note type and deck), then one note per
// line: front, back and optional tags.

#include "exchange/Exchange.h"

#include <string>

/// Parses Anki text bytes into imported entries; tags become the category.
cImportResult ParseAnkiText(std::string_view bytes, const cImportOptions& options);
/// The Anki text export: tab-separated front, back and tags (category, blanks as "_").
std::string WriteAnkiText(const cTrainingData& data);
