#include "shell/ui/ExamSheetRequest.h"

#include "base/Message.h"
#include "base/StreamPresenter.h"
#include "data/Document.h"
#include "practice/Query.h"
#include "practice/ui/ExamSheetPrint.h"
#include "shell/ui/PrintRequest.h"
#include "ui/ProgramDir.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <filesystem>
#include <iostream>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The same file under both names: the same path, or one file through links.
bool SameTarget(const QString& a, const QString& b)
{
    std::error_code error;
    return QDir::cleanPath(a) == QDir::cleanPath(b) ||
           std::filesystem::equivalent(QFile::encodeName(a).toStdString(),
                                       QFile::encodeName(b).toStdString(), error);
}

ExamSheetOption Refuse(cStartRequest& request, const QString& error)
{
    request.error = error;
    return ExamSheetOption::Refused;
}

// A whole number from min to max as the value of an option.
bool NumberValue(const QStringList& arguments, qsizetype& i, qulonglong min, qulonglong max,
                 qulonglong& value)
{
    if (i + 1 >= arguments.size())
        return false;
    bool ok = false;
    const QString& text = arguments[++i];
    value = text.toULongLong(&ok);
    return ok && !text.startsWith(QLatin1Char('+')) && value >= min && value <= max;
}

} // namespace

ExamSheetOption ReadExamSheetOption(const QStringList& arguments, qsizetype& i,
                                    const QString& currentDir, cStartRequest& request)
{
    const QString& arg = arguments[i];
    const bool hasValue = i + 1 < arguments.size() && !arguments[i + 1].isEmpty();
    cExamSheetRequest& exam = request.exam;
    qulonglong value = 0;
    if (arg == QStringLiteral("--exam-sheet")) {
        if (!hasValue)
            return Refuse(request, U("--exam-sheet braucht den Namen der PDF-Datei."));
        request.kind = cStartRequest::Kind::ExamSheet;
        request.pdfPath = QDir::cleanPath(QDir(currentDir).absoluteFilePath(arguments[++i]));
        return ExamSheetOption::Mode;
    }
    if (arg == QStringLiteral("--tasks")) {
        if (!NumberValue(arguments, i, 1, 1000000000, value))
            return Refuse(request, U("--tasks braucht eine Zahl ab 1."));
        exam.tasks = static_cast<int>(value);
    } else if (arg == QStringLiteral("--variants")) {
        if (!NumberValue(arguments, i, 1, kExamSheetMaxVariants, value))
            return Refuse(request, U("--variants braucht eine Zahl von 1 bis 6."));
        exam.variants = static_cast<int>(value);
    } else if (arg == QStringLiteral("--seed")) {
        if (!NumberValue(arguments, i, 0, 4294967295ull, value))
            return Refuse(request, U("--seed braucht eine Zahl von 0 bis 4294967295."));
        exam.seed = static_cast<std::uint32_t>(value);
        exam.seedGiven = true;
    } else if (arg == QStringLiteral("--key")) {
        if (!hasValue)
            return Refuse(request, U("--key braucht den Namen der PDF-Datei."));
        exam.keyPath = QDir::cleanPath(QDir(currentDir).absoluteFilePath(arguments[++i]));
    } else if (arg == QStringLiteral("--shuffle")) {
        exam.shuffle = true;
    } else if (arg == QStringLiteral("--no-key")) {
        exam.noKey = true;
    } else {
        return ExamSheetOption::None;
    }
    exam.optionsGiven = true;
    return ExamSheetOption::Option;
}

QString ExamSheetRequestError(const cStartRequest& request)
{
    const cExamSheetRequest& exam = request.exam;
    if (request.kind != cStartRequest::Kind::ExamSheet)
        return exam.optionsGiven ? U("--tasks, --variants, --seed, --shuffle, --key und --no-key "
                                     "gelten nur zusammen mit --exam-sheet.")
                                 : QString();
    if (exam.noKey && !exam.keyPath.isEmpty())
        return U("Nur eine der Optionen --key und --no-key angeben.");
    if (exam.keyPath.isEmpty())
        return QString();
    if (SameTarget(exam.keyPath, request.file))
        return U("Die PDF-Datei darf nicht die Trainingsdatei sein.");
    if (SameTarget(exam.keyPath, request.pdfPath))
        return U("Prüfungsbogen und Lösungsbogen brauchen zwei verschiedene Dateien.");
    return QString();
}

int RunExamSheetRequest(const cStartRequest& request, const cSettings& settings)
{
    const cMessagesToStderr messages;
    cPrintSource source(settings);
    QString error;
    int status = source.Open(request.file, request.questionnaire, error);
    if (status == kPrintExitOk) {
        const cExamSheetRequest& exam = request.exam;
        const cTrainingData& data = source.Query().Document().m_data;
        cExamSheetOptions options;
        options.m_strTitle = data.m_aQuestionnaires[static_cast<std::size_t>(request.questionnaire)].m_strTitle;
        options.m_nTaskCount = exam.tasks;
        options.m_bShuffle = exam.shuffle;
        options.m_nVariants = exam.variants;
        options.m_nSeed = exam.seedGiven ? exam.seed : QRandomGenerator::global()->bounded(1u, 1000000u);
        options.m_nKey = exam.noKey ? ExamKeyNone : exam.keyPath.isEmpty() ? ExamKeyAppended : ExamKeySeparate;
        cExamSheetJob job;
        job.data = &data;
        job.programDir = ProgramDirPath();
        QString failed;
        if (!MakeExamSheet(data, request.questionnaire, options, job.sheet)) {
            error = U("Der Fragebogen %1 enthält keine Aufgaben.").arg(request.questionnaire);
            status = kPrintExitUsage;
        } else if (const int written = WriteExamSheetPdf(job, request.pdfPath, exam.keyPath, &failed);
                   written == ExamPdfTrainingFile) {
            error = U("Die PDF-Datei darf nicht die Trainingsdatei sein.");
            status = kPrintExitUsage;
        } else if (written != ExamPdfWritten) {
            error = U("Die PDF-Datei \"%1\" konnte nicht geschrieben werden.")
                        .arg(QDir::toNativeSeparators(failed));
            status = kPrintExitFailed;
        }
    }
    if (!error.isEmpty())
        std::cerr << error.toStdString() << '\n';
    return status;
}
