// Exam sheets of a large questionnaire: TASKS tasks (2,000 by default) as 6 variants with
// their key, written as two PDF files as "quorvant --exam-sheet ... --key ..." writes them:
//
//   ExamSheetBench [TASKS] [RUNS]    prints one line per run and the median:
//                                    <wall ms> <CPU ms> <sheet pages> <key pages>
//
// Goal: under 3 s for 2,000 tasks. Runs offscreen.

#include "bench/ui/CpuTime.h"
#include "common/TestFiles.h"
#include "practice/ui/ExamSheetPrint.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Pages of a PDF as pdfinfo counts them (0 when it is missing).
int Pages(const QString& pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(60000))
        return 0;
    for (const QByteArray& line : info.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int tasks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    // Exam questions of a realistic length: a sentence of context and a longer solution.
    cTrainingData data = testfiles::MakeTrainingData(tasks);
    for (cTask& task : data.m_aTasks) {
        task.m_strQuestion += " Begr\xFCnden Sie Ihre Antwort kurz und nennen Sie ein Beispiel aus der Praxis.";
        task.m_strSolution += " - mit einer kurzen Begr\xFCndung und einem passenden Beispiel";
    }
    cExamSheetOptions options;
    options.m_strTitle = "Abschlusspr\xFC" "fung";
    options.m_nVariants = 6;
    options.m_nSeed = 2026;
    options.m_nKey = ExamKeySeparate;
    cExamSheetJob job;
    job.data = &data;
    job.programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    QTemporaryDir dir;
    const QString sheets = dir.filePath(QStringLiteral("bogen.pdf"));
    const QString key = dir.filePath(QStringLiteral("loesung.pdf"));
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double cpuStart = CpuMilliseconds();
        QElapsedTimer timer;
        timer.start();
        const bool made = MakeExamSheet(data, int(data.m_aQuestionnaires.size()) - 1, options, job.sheet);
        if (!made || WriteExamSheetPdf(job, sheets, key) != ExamPdfWritten) {
            std::fprintf(stderr, "the exam sheet was not written\n");
            return 1;
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        std::printf("%.0f %.0f %d %d\n", times.back(), CpuMilliseconds() - cpuStart, Pages(sheets), Pages(key));
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("median %.0f ms for %d tasks, 6 variants and key (goal < 3000 ms: %s)\n", median, tasks,
                median < 3000 ? "met" : "missed");
    return 0;
}
