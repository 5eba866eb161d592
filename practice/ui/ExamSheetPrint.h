#pragma once
// Exam sheets on paper: the fonts and measuring of an output device, the drawing of the
// core's pages, and the outputs: print preview, printer and PDF. The window and the
// command line both write their PDF through WriteExamSheetPdf, so both give the same pages.

#include "practice/ExamSheet.h"

#include <QString>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

/// One job: the file's tasks, its sheet, and where the task pictures are found.
struct cExamSheetJob {
    const cTrainingData* data = nullptr;
    cExamSheet sheet;
    QString programDir; // with a trailing "/"
};

/// Results of WriteExamSheetPdf.
enum ExamPdfResult : int {
    ExamPdfWritten = 0,
    ExamPdfNotWritten = 1,   // a file could not be written (nothing was replaced)
    ExamPdfTrainingFile = 2, // a target is the training file itself (under any name)
};

/// Writes the sheets as an A4 PDF at 600 dpi to path; the key follows on new pages, or
/// goes to keyPath when the sheet's key is separate. Each file is written beside its
/// target and renamed into place only when all of them were written; failed names the
/// file that could not be written.
[[nodiscard]] int WriteExamSheetPdf(const cExamSheetJob& job, const QString& path,
                                    const QString& keyPath = QString(), QString* failed = nullptr);

/// Lays the job out for device (metrics in its pixels) and paints the sheets, the key's
/// pages, or both, as one job. False when the device could not be painted on.
bool PrintExamSheet(QPagedPaintDevice& device, const cPrintDevice& metrics, const cExamSheetJob& job,
                    bool sheets, bool key);

/// The print preview of the sheets and, unless there is none, the key.
void RunExamSheetPreview(QPrinter& printer, const cExamSheetJob& job, QWidget* parent);

/// The print dialog, then the sheets; a separate key is a second job (a PDF printer
/// writes it to "NAME-Lösungsbogen.pdf"). True when printed; a failure is reported.
bool RunExamSheetPrintDialog(QPrinter& printer, const cExamSheetJob& job, QWidget* parent);

/// The name of a separate key beside the sheets' PDF: "NAME-Lösungsbogen.pdf".
[[nodiscard]] QString ExamKeyPdfPath(const QString& sheetPath);
