#pragma once
// KVTML 2.0, the XML vocabulary format: entries with translations, lessons as
// (nested) containers of entry references.

#include "exchange/Exchange.h"

#include <string>

/// Parses KVTML bytes into imported entries and lists.
cImportResult ParseKvtml(const std::string& bytes, const cImportOptions& options);
/// The KVTML export: every task an entry, every questionnaire but the automatic one a lesson.
std::string WriteKvtml(const cTrainingData& data, const std::string& title);
