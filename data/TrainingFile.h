#pragma once
// Helpers around reading a training file that the document shares with the reader.

#include "data/SafeSave.h"
#include "data/TrainingData.h"

/// Removes every questionnaire entry that names no task, so each index is valid.
void DropInvalidTaskIndices(cTrainingData& data);

/// What reading adds after the last block: the automatic questionnaire "Alle Aufgaben"
/// over all tasks, exam times normalised (negative = -1), m_nTimedCount, and the
/// default columns "Statistik" and "Frage" when there are none.
void CompleteTrainingData(cTrainingData& data);

/// Writes data to path (empty: data.m_strPath, else path becomes it) through
/// SaveFileSafely: with expected set, a file that changed since it was read is left alone.
[[nodiscard]] SaveOutcome SaveTrainingFile(cTrainingData& data, const std::string& path,
                                           const cFileStamp* expected, cFileStamp* written);

/// Whether writing data would give exactly the file behind stamp.
[[nodiscard]] bool TrainingFileMatches(const cTrainingData& data, const cFileStamp& stamp);
