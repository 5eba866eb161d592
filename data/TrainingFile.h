#pragma once
// Reading and writing a training file over a value stream (a file or memory), and the
// helpers around reading that the document shares with the reader.

#include "base/SafeSave.h"
#include "data/TrainingData.h"

class cDatei;

/// Reads a training file from in (open for reading: a file or bytes in memory) into data
/// exactly as ReadTrainingFile does once the file is open; data.m_strPath is kept, and
/// the empty-file message names it. 0 read, 1 failed (messages already shown).
[[nodiscard]] int ReadTrainingData(cTrainingData& data, cDatei& in);

/// Writes data as a training file into out (open for writing: a file or a buffer).
void WriteTrainingData(const cTrainingData& data, cDatei& out);

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
