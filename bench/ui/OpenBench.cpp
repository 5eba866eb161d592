// Opens one training file in the training view, as the program does, and reports the
// time until the overview has painted and the process's peak memory (getrusage):
//
//   OpenBench FILE.vdr        prints: <open ms> <open CPU ms> <peak MB>
//
// One open per process, so the peak belongs to this open alone. Runs offscreen, with
// the program's allocator and its settings.

#include "data/ui/VendrillDoc.h"
#include "practice/ui/VendrillView.h"
#include "base/Message.h"
#include "base/Settings.h"
#include "bench/ui/CpuTime.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>

namespace {

// A benchmark must never wait for a click: every message box answers itself.
class SilentPresenter : public cMessagePresenter {
public:
    int Present(const std::string&, const std::string&, std::uint32_t style) override
    {
        return (style & 0xF) == StyleOk ? ResultOk : ResultYes;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: OpenBench FILE.vdr\n");
        return 2;
    }
    SilentPresenter presenter;
    SetMessagePresenter(&presenter);
    cSettings settings;

    const double cpuStart = CpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    auto doc = std::make_unique<CVendrillDoc>();
    doc->SetPathName(QString::fromLocal8Bit(argv[1]));
    auto view = std::make_unique<CVendrillView>(*doc, settings);
    view->resize(1200, 800);
    view->InitialUpdate();
    view->show();
    QCoreApplication::processEvents();
    view->repaint();
    QCoreApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1.0e6;
    const double cpuMs = CpuMilliseconds() - cpuStart;

    auto* overview = view->findChild<QAbstractItemView*>(QStringLiteral("ctl1009"));
    if (!overview || overview->model()->rowCount() < 1 || view->ViewMode() != 2) {
        std::fprintf(stderr, "the overview did not open\n");
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.1f %.1f %.1f\n", ms, cpuMs, double(usage.ru_maxrss) * 1024.0 / 1.0e6);
    view.reset();
    doc->Discard(); // the benchmark file is not written back
    SetMessagePresenter(nullptr);
    return 0;
}
