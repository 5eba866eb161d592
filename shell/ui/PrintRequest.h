#pragma once
// Print requests of the command line and the desktop: "--print FILE", "--print-to
// PRINTER FILE" and "--pdf OUT.pdf FILE [--questionnaire N]". They print a training
// file's questionnaire without its window, either in a program of their own or, handed
// over, in the program that is already running.

#include "base/StreamPresenter.h"
#include "data/Document.h"
#include "practice/QueryHost.h"
#include "shell/ui/ExamSheetRequest.h"

#include <QString>
#include <QStringList>

#include <iostream>
#include <memory>

class cQuery;
struct cSettings;
class QPrinter;
class QWidget;

/// Exit statuses of a print request.
inline constexpr int kPrintExitOk = 0;
inline constexpr int kPrintExitFailed = 1;  // file not readable, PDF or printer not usable
inline constexpr int kPrintExitUsage = 2;   // wrong command line

/// What a command line asks for.
struct cStartRequest {
    enum class Kind { Open, Print, PrintTo, Pdf, ExamSheet, Invalid };
    Kind kind = Kind::Open;
    QString file;          // the training file of a print request (absolute)
    QString printer;       // PrintTo
    QString pdfPath;       // Pdf, ExamSheet (absolute)
    int questionnaire = 0; // Pdf, ExamSheet
    cExamSheetRequest exam; // ExamSheet
    QString error;         // Invalid: what is wrong, in German
};

/// Whether the raw arguments ask to print (decided before the application exists, which
/// then may need the offscreen platform).
[[nodiscard]] bool IsPrintCommandLine(int argc, char** argv);

/// Reads the print options of a command line (arguments after the program name); one
/// without them is an Open request.
[[nodiscard]] cStartRequest ParseStartRequest(const QStringList& arguments,
                                              const QString& currentDir);

/// The usage lines of the print requests.
[[nodiscard]] QString PrintUsageText();

/// A training file read for printing one of its questionnaires; nothing is written back.
/// Sends the program's messages to standard error while it lives (requests without a
/// window), and gives the previous presenter back afterwards.
class cMessagesToStderr {
public:
    cMessagesToStderr() { SetMessagePresenter(&m_stream); }
    ~cMessagesToStderr() { SetMessagePresenter(&m_previous); }
    cMessagesToStderr(const cMessagesToStderr&) = delete;
    cMessagesToStderr& operator=(const cMessagesToStderr&) = delete;

private:
    cStreamPresenter m_stream{std::cerr};
    cMessagePresenter& m_previous = MessagePresenter();
};

class cPrintSource {
public:
    explicit cPrintSource(const cSettings& settings);
    ~cPrintSource();
    cPrintSource(const cPrintSource&) = delete;
    cPrintSource& operator=(const cPrintSource&) = delete;

    /// Reads the file (the reading messages are shown on failure) and loads questionnaire
    /// n. kPrintExitOk, kPrintExitFailed, or kPrintExitUsage when there is no questionnaire n
    /// (error then says so).
    int Open(const QString& path, int n, QString& error);
    [[nodiscard]] cQuery& Query() { return *m_query; }

private:
    const cSettings& m_settings;
    cDocument m_doc;
    cQueryHost m_host;
    std::unique_ptr<cQuery> m_query;
};

/// Prints the source to the named printer without a dialog, or through the print dialog
/// with sharedPrinter when printerName is empty. Messages are shown on failure.
int PrintSource(cPrintSource& source, const QString& printerName, QPrinter& sharedPrinter,
                QWidget* parent);

/// Reads file and prints its first questionnaire as PrintSource does (the running program's
/// side of a handed-over print request).
int PrintTrainingFile(const QString& file, const QString& printerName, const cSettings& settings,
                      QPrinter& sharedPrinter, QWidget* parent);

/// Runs "--pdf" for a parsed request: messages on standard error.
int RunPdfRequest(const cStartRequest& request, const cSettings& settings);

/// Runs a print request of the command line (not Open): a wrong command line is reported
/// on standard error; a print request reads its file first and then hands itself to the
/// running program, or prints here when none runs. Returns the exit status.
int RunStartRequest(const cStartRequest& request);
