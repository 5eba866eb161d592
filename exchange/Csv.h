#pragma once
// CSV and tab-separated text: one task per line (question, solution, then optional
// pattern, category, task number, points), an optional header line naming the columns.

#include "exchange/Exchange.h"

#include <string>

/// Parses CSV bytes into imported entries.
cImportResult ParseCsv(std::string_view bytes, const cImportOptions& options);
/// The CSV export of all tasks: UTF-8 with byte order mark, a German header line, CR LF.
std::string WriteCsv(const cTrainingData& data, char separator);
