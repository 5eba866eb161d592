#pragma once
// CSV and tab-separated text: one task per line (question, solution, then optional
// pattern, category, task number, points), an optional header line naming the columns.

#include "exchange/Exchange.h"

#include <string>

/// Parses CSV bytes into imported entries.
cImportResult ParseCsv(std::string_view bytes, const cImportOptions& options);
/// True when the first line of the text names the question and solution columns.
bool IsCsvWithHeader(std::string_view bytes, const cImportOptions& options);
/// The CSV export of all tasks: a German header line, CR LF, UTF-8 with byte order mark
/// unless another encoding is chosen.
std::string WriteCsv(const cTrainingData& data, const cExportOptions& options);
