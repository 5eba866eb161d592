#pragma once
// KVTML, the XML vocabulary format. Version 2: entries with translations, lessons as
// (nested) containers of entry references; version 1 (read only): <e> with <o> and <t>.

#include "exchange/Exchange.h"

#include <string>

/// Parses KVTML bytes into imported entries and lists.
cImportResult ParseKvtml(const std::string& bytes, const cImportOptions& options);
/// The KVTML export: every task an entry, every questionnaire but the automatic one a lesson.
/// languages names the identifiers of question and solution (two, or none for the defaults).
std::string WriteKvtml(const cTrainingData& data, const std::string& title,
                       const std::vector<cLanguage>& languages);
