#pragma once
// "--exam-sheet OUT.pdf FILE.vdr [--questionnaire N] [--tasks N] [--variants N] [--seed S]
// [--shuffle] [--key KEY.pdf | --no-key]": exam sheets of a questionnaire as PDF, written
// without a window through the same pages as the window's.

#include <QString>
#include <QStringList>

#include <cstdint>

struct cSettings;
struct cStartRequest;

/// The exam-sheet part of a command line.
struct cExamSheetRequest {
    bool optionsGiven = false; // any of the options below
    int tasks = 0;             // 0: all
    int variants = 1;
    std::uint32_t seed = 0;
    bool seedGiven = false;
    bool shuffle = false;
    bool noKey = false;
    QString keyPath; // absolute; empty: the key follows the sheets
};

/// What ReadExamSheetOption made of arguments[i].
enum class ExamSheetOption { None, Mode, Option, Refused };

/// Reads "--exam-sheet OUT" (Mode: the request becomes an exam-sheet request) or one of
/// its options at arguments[i], moving i past a value; Refused sets request.error.
[[nodiscard]] ExamSheetOption ReadExamSheetOption(const QStringList& arguments, qsizetype& i,
                                                  const QString& currentDir, cStartRequest& request);

/// What is wrong with the exam-sheet parts of a complete request, or "".
[[nodiscard]] QString ExamSheetRequestError(const cStartRequest& request);

/// Runs "--exam-sheet" for a parsed request: messages on standard error. 0 written,
/// 1 the training file could not be read or a PDF not written, 2 refused.
int RunExamSheetRequest(const cStartRequest& request, const cSettings& settings);
