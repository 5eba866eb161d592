// How fast the training view opens a large training file, shows "Alle Aufgaben" and
// sorts it. Runs offscreen (no display needed) and prints one line per step:
//
//   ViewBench [TASKS] [RUNS]      (defaults: 100000 tasks, 5 runs)
//
// Each step is timed from the user's action until the window has painted the result.
// Goal on the development machine: every step under 0.5 s with 100,000 tasks.

#include "common/TestFiles.h"
#include "data/ui/VendrillDoc.h"
#include "practice/Query.h"
#include "practice/ui/VendrillView.h"
#include "base/Message.h"
#include "base/Settings.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Benchmarks must never wait for a click: every message box answers itself.
class SilentPresenter : public cMessagePresenter {
public:
    int Present(const std::string&, const std::string&, std::uint32_t style) override
    {
        ++shown;
        return (style & 0xF) == StyleOk ? ResultOk : ResultYes;
    }
    int shown = 0;
};

void Settle(QWidget& widget)
{
    QCoreApplication::processEvents();
    widget.repaint();
    QCoreApplication::processEvents();
}

double Milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1.0e6;
}

void ClickHeader(QTableView* list, int column)
{
    QHeaderView* header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int tasks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    SilentPresenter presenter;
    SetMessagePresenter(&presenter);
    testfiles::TempDir dir;
    const std::string path = dir.Path("gross.vdr");
    {
        cTrainingData data = testfiles::MakeTrainingData(tasks, 7);
        data.m_bShowAll = true;
        if (data.WriteTrainingFile(path) != 0) {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            return 1;
        }
    }

    std::map<std::string, std::vector<double>> times;
    const std::vector<std::string> steps = {"open file until overview", "open Alle Aufgaben",
                                            "sort by number", "sort by question",
                                            "sort by statistics", "sort descending",
                                            "small-icon style", "report style"};
    cSettings settings;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        auto doc = std::make_unique<CVendrillDoc>();
        doc->SetPathName(QString::fromStdString(path));
        auto view = std::make_unique<CVendrillView>(*doc, settings);
        view->resize(1200, 800);
        view->InitialUpdate();
        view->show();
        Settle(*view);
        times[steps[0]].push_back(Milliseconds(timer));

        auto* overview = view->findChild<QAbstractItemView*>(QStringLiteral("ctl1009"));
        auto* list = view->findChild<QTableView*>(QStringLiteral("ctl1002"));
        const int all = overview->model()->rowCount() - 1;
        timer.restart();
        overview->setCurrentIndex(overview->model()->index(all, 0));
        QTest::keyClick(overview, Qt::Key_Return);
        Settle(*view);
        times[steps[1]].push_back(Milliseconds(timer));
        if (view->ViewMode() != 3 || list->model()->rowCount() != tasks) {
            std::fprintf(stderr, "the task list did not open (%d rows)\n",
                         list->model()->rowCount());
            return 1;
        }

        // Columns of the generated file: number, statistics, question, answer.
        const int columns[] = {0, 2, 1};
        for (int i = 0; i < 3; ++i) {
            timer.restart();
            ClickHeader(list, columns[i]);
            Settle(*view);
            times[steps[2 + std::size_t(i)]].push_back(Milliseconds(timer));
        }
        timer.restart();
        ClickHeader(list, 1);
        Settle(*view);
        times[steps[5]].push_back(Milliseconds(timer));

        // Ctrl+A switches the 100,000 rows to small icons and back.
        for (int i = 0; i < 2; ++i) {
            timer.restart();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            Settle(*view);
            times[steps[6 + std::size_t(i)]].push_back(Milliseconds(timer));
        }
        if (!view->IsDetailView()) {
            std::fprintf(stderr, "Ctrl+A did not switch back to the report style\n");
            return 1;
        }

        view.reset();
        doc->Discard(); // the benchmark file is not written back
        doc.reset();
    }

    std::printf("ViewBench: %d tasks, %d runs (offscreen)\n", tasks, runs);
    std::printf("%-28s %10s %10s %10s\n", "step", "min ms", "median ms", "max ms");
    bool fast = true;
    for (const std::string& step : steps) {
        std::vector<double> t = times[step];
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        fast = fast && median < 500.0;
        std::printf("%-28s %10.1f %10.1f %10.1f\n", step.c_str(), t.front(), median, t.back());
    }
    std::printf("goal (each median < 500 ms): %s\n", fast ? "met" : "MISSED");
    SetMessagePresenter(nullptr);
    return 0;
}
