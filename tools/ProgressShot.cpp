// Developer tool for the README: a copy of the sample file with 60 days of generated
// practice in a history of its own, and the progress window on it grabbed as PNG.
//
//   quorvant-progress-shot OUT.png [WIDTH HEIGHT]     (run by scripts/screenshots.sh)
//
// The learner practises every day what has fallen below 90 % recall and a few new tasks;
// each answer is right with the model's recall probability, so the charts look lived-in.

#include "base/Message.h"
#include "data/Document.h"
#include "data/ui/VendrillDoc.h"
#include "learning/Learner.h"
#include "learning/ui/ProgressWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <random>

namespace {

class SilentPresenter : public cMessagePresenter {
public:
    int Present(const std::string&, const std::string&, std::uint32_t) override { return ResultOk; }
};

void Practise(cDocument& doc, cLearner& learner, std::int64_t today)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::int64_t now = 0;
    learner.SetClock([&now] { return now; });
    const int tasks = static_cast<int>(doc.m_data.m_aTasks.size());
    int introduced = 0;
    for (std::int64_t day = today - 59; day <= today; ++day) {
        if (chance(rng) < 0.15 && day != today)
            continue; // a day off now and then
        now = LocalDayStart(day) + 18 * 3600;
        for (int round = 0; round < 2; ++round)
            for (int t = 0; t < tasks; ++t) {
                const cMemoryState s = learner.StateOf(t);
                const bool fresh = s.IsNew();
                if (fresh ? (round == 1 || t >= introduced + 3) : cFsrs::RecallAt(s, now) >= 0.9)
                    continue;
                const double p = fresh ? 0.55 : cFsrs::RecallAt(s, now);
                const double roll = chance(rng);
                const int grade = roll < p ? GradeRight : roll < p + 0.12 ? GradePartly : GradeWrong;
                learner.OnAnswer({t, grade, grade == GradeRight, 1, 4000, AnswerKind::Practice});
                now += 40;
                if (fresh)
                    introduced = std::max(introduced, t + 1);
            }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: quorvant-progress-shot OUT.png [WIDTH HEIGHT]\n");
        return 2;
    }
    SilentPresenter presenter;
    SetMessagePresenter(&presenter);
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    const QString vdr = dir.filePath(QStringLiteral("beispiel.vdr"));
    QFile::copy(QStringLiteral(QUORVANT_SOURCE_DIR "/resources/beispiel.vdr"), vdr);
    QFile(vdr).setPermissions(QFile::ReadOwner | QFile::WriteOwner);

    CVendrillDoc doc;
    doc.SetPathName(vdr);
    if (doc.ReadFile() != 0)
        return 1;
    const std::int64_t today = LocalDay(QDateTime::currentSecsSinceEpoch());
    {
        cLearner learner(doc.Core(), &SharedHistory());
        learner.Bind();
        Practise(doc.Core(), learner, today);
        (void)learner.SetExamDay(today + 21);
    }
    CProgressWindow window(doc);
    const QSize size = argc == 4 ? QSize(std::atoi(argv[2]), std::atoi(argv[3])) : QSize(800, 600);
    window.resize(size);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    QTest::qWait(300);
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]));
    doc.Discard();
    SetMessagePresenter(nullptr);
    return saved ? 0 : 1;
}
