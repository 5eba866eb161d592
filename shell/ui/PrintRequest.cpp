#include "shell/ui/PrintRequest.h"

#include "practice/Query.h"
#include "practice/ui/PrintView.h"
#include "base/Message.h"
#include "base/Settings.h"
#include "base/StreamPresenter.h"
#include "ui/MessageBoxPresenter.h"
#include "ui/ProgramDir.h"
#include "shell/ui/SingleInstance.h"
#include "shell/ui/StartOptions.h"
#include "ui/Text.h"
#include "shell/ui/VendrillApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>

#include <cerrno>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

cStartRequest Refused(const QString& error)
{
    cStartRequest request;
    request.kind = cStartRequest::Kind::Invalid;
    request.error = error;
    return request;
}

// The same file under any name: device and inode, so hard and symbolic links count too.
bool SameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    if (stat(QFile::encodeName(a).constData(), &first) == 0 &&
        stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

// The PDF is written beside its target under a hidden name and renamed into place: the
// target is never opened, and a failed print leaves an existing PDF as it was.
bool WritePdfBeside(const QString& path, cQuery& query)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    const QFileInfo targetInfo(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString temp = targetInfo.dir().filePath(
            QStringLiteral(".%1.%2-%3.tmp")
                .arg(targetInfo.fileName(), QString::number(QCoreApplication::applicationPid()),
                     QString::number(attempt)));
        const QByteArray name = QFile::encodeName(temp);
        const int fd = open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        close(fd);
        if (WritePrintPdf(temp, query) &&
            rename(name.constData(), QFile::encodeName(target).constData()) == 0)
            return true;
        unlink(name.constData());
        return false;
    }
    return false;
}

// Says so when there is no printer of that name.
bool PrinterExists(const QString& name)
{
    if (!QPrinterInfo::printerInfo(name).isNull())
        return true;
    (void)MessagePresenter().Present(
        "Quorvant", ToCp1252(U("Den Drucker \"%1\" gibt es nicht.").arg(name)), StyleIconWarning);
    return false;
}

} // namespace

bool IsPrintCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--pdf", "--print", "--print-to", "--exam-sheet"})
            if (argv[i] && std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

cStartRequest ParseStartRequest(const QStringList& arguments, const QString& currentDir)
{
    cStartRequest request;
    int modes = 0;
    bool questionnaireGiven = false;
    QStringList positional;
    QString unknown;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == QStringLiteral("--print")) {
            ++modes;
            request.kind = cStartRequest::Kind::Print;
        } else if (arg == QStringLiteral("--print-to")) {
            ++modes;
            request.kind = cStartRequest::Kind::PrintTo;
            if (!hasValue || arguments[i + 1].isEmpty())
                return Refused(U("--print-to braucht den Namen eines Druckers."));
            request.printer = arguments[++i];
        } else if (arg == QStringLiteral("--pdf")) {
            ++modes;
            request.kind = cStartRequest::Kind::Pdf;
            if (!hasValue || arguments[i + 1].isEmpty())
                return Refused(U("--pdf braucht den Namen der PDF-Datei."));
            request.pdfPath = QDir::cleanPath(QDir(currentDir).absoluteFilePath(arguments[++i]));
        } else if (const ExamSheetOption exam = ReadExamSheetOption(arguments, i, currentDir, request);
                   exam != ExamSheetOption::None) {
            if (exam == ExamSheetOption::Refused)
                return Refused(request.error);
            modes += exam == ExamSheetOption::Mode;
        } else if (arg == QStringLiteral("--questionnaire")) {
            questionnaireGiven = true;
            bool ok = false;
            request.questionnaire = hasValue ? arguments[++i].toInt(&ok) : -1;
            if (!ok || request.questionnaire < 0)
                return Refused(U("--questionnaire braucht eine Zahl ab 0."));
        } else if (arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            if (unknown.isEmpty())
                unknown = arg;
        } else {
            positional.append(arg);
        }
    }
    if (modes == 0)
        return cStartRequest{}; // opening files; options of other kinds are skipped there
    if (modes > 1)
        return Refused(arguments.contains(QStringLiteral("--exam-sheet"))
                           ? U("Nur eine der Optionen --print, --print-to, --pdf und --exam-sheet angeben.")
                           : U("Nur eine der Optionen --print, --print-to und --pdf angeben."));
    if (!unknown.isEmpty())
        return Refused(U("Unbekannte Option: ") + unknown);
    if (questionnaireGiven && request.kind != cStartRequest::Kind::Pdf &&
        request.kind != cStartRequest::Kind::ExamSheet)
        return Refused(U("--questionnaire gilt nur zusammen mit --pdf oder --exam-sheet."));
    if (positional.size() != 1)
        return Refused(positional.isEmpty() ? U("Keine Trainingsdatei angegeben.")
                                            : U("Nur eine Trainingsdatei angeben."));
    const QStringList files = CommandLineFiles({QString(), positional.first()}, currentDir);
    if (files.isEmpty())
        return Refused(U("Die Trainingsdatei muss eine lokale Datei sein."));
    request.file = files.first();
    // Writing the PDF over the training file would destroy it.
    if ((request.kind == cStartRequest::Kind::Pdf || request.kind == cStartRequest::Kind::ExamSheet) &&
        SameFile(request.pdfPath, request.file))
        return Refused(U("Die PDF-Datei darf nicht die Trainingsdatei sein."));
    if (const QString error = ExamSheetRequestError(request); !error.isEmpty())
        return Refused(error);
    return request;
}

QString PrintUsageText()
{
    return QString::fromStdString(PrintUsageLines());
}

cPrintSource::cPrintSource(const cSettings& settings) : m_settings(settings) {}

cPrintSource::~cPrintSource() = default;

int cPrintSource::Open(const QString& path, int n, QString& error)
{
    if (m_doc.Open(QFile::encodeName(path).toStdString()) != 0)
        return kPrintExitFailed;
    const int count = static_cast<int>(m_doc.m_data.m_aQuestionnaires.size());
    if (n < 0 || n >= count) {
        error = U("Fragebogen %1 gibt es nicht; die Datei hat die Fragebögen 0 bis %2.")
                    .arg(n)
                    .arg(count - 1);
        return kPrintExitUsage;
    }
    m_query = std::make_unique<cQuery>(m_doc, m_settings, m_host);
    m_query->LoadQuestionnaire(n);
    return kPrintExitOk;
}

int PrintSource(cPrintSource& source, const QString& printerName, QPrinter& sharedPrinter,
                QWidget* parent)
{
    if (printerName.isEmpty())
        return RunPrintDialog(sharedPrinter, source.Query(), parent) ? kPrintExitOk
                                                                     : kPrintExitFailed;
    if (!PrinterExists(printerName))
        return kPrintExitFailed;
    QPrinter printer(QPrinterInfo::printerInfo(printerName), QPrinter::HighResolution);
    return PrintWithoutDialog(printer, source.Query()) ? kPrintExitOk : kPrintExitFailed;
}

int PrintTrainingFile(const QString& file, const QString& printerName, const cSettings& settings,
                      QPrinter& sharedPrinter, QWidget* parent)
{
    cPrintSource source(settings);
    QString error;
    if (const int status = source.Open(file, 0, error); status != kPrintExitOk)
        return status;
    return PrintSource(source, printerName, sharedPrinter, parent);
}

int RunPdfRequest(const cStartRequest& request, const cSettings& settings)
{
    const cMessagesToStderr messages;
    cPrintSource source(settings);
    QString error;
    int status = source.Open(request.file, request.questionnaire, error);
    if (status != kPrintExitOk) {
        if (!error.isEmpty())
            std::cerr << error.toStdString() << '\n';
    } else if (!WritePdfBeside(request.pdfPath, source.Query())) {
        std::cerr << U("Die PDF-Datei \"%1\" konnte nicht geschrieben werden.\n")
                         .arg(QDir::toNativeSeparators(request.pdfPath))
                         .toStdString();
        status = kPrintExitFailed;
    }
    return status;
}

int RunStartRequest(const cStartRequest& request)
{
    if (request.kind == cStartRequest::Kind::Invalid) {
        std::cerr << request.error.toStdString() << '\n' << PrintUsageText().toStdString();
        return kPrintExitUsage;
    }
    cSettings settings;
    settings.LoadSettings(SettingsFilePath(QFile::encodeName(ProgramDirPath()).toStdString()));
    if (request.kind == cStartRequest::Kind::Pdf)
        return RunPdfRequest(request, settings);
    if (request.kind == cStartRequest::Kind::ExamSheet)
        return RunExamSheetRequest(request, settings);

    // Message boxes where someone can see them, standard error where nobody could.
    const QString platform = QGuiApplication::platformName();
    const bool unattended =
        platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal");
    cStreamPresenter stream(std::cerr);
    cMessageBoxPresenter boxes;
    SetMessagePresenter(unattended ? static_cast<cMessagePresenter*>(&stream) : &boxes);
    cPrintSource source(settings);
    QString error;
    // Read here first, so that a file that cannot be read fails this start with the
    // reading messages even when the running program is to print it.
    int status = source.Open(request.file, 0, error);
    if (status == kPrintExitOk && !request.printer.isEmpty() && !PrinterExists(request.printer))
        status = kPrintExitFailed;
    if (status == kPrintExitOk &&
        !SendPrintToRunningInstance(InstanceServerName(ProgramDirPath()), {request.file},
                                    request.printer)) {
        QPrinter printer(QPrinter::HighResolution);
        if (unattended && request.printer.isEmpty()) {
            // Nobody could answer a print dialog here.
            (void)MessagePresenter().Present(
                "Quorvant",
                ToCp1252(U("Ohne Bildschirm kann der Druckdialog nicht gezeigt werden.\r\n"
                           "Verwenden Sie --print-to DRUCKER oder --pdf AUSGABE.pdf.")),
                StyleIconWarning);
            status = kPrintExitFailed;
        } else {
            status = PrintSource(source, request.printer, printer, nullptr);
        }
    }
    SetMessagePresenter(nullptr);
    return status;
}
