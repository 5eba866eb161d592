// The progress window on the sample file with a history written into a real database
// under a test XDG_DATA_HOME: the charts show that history, follow a new answer, and
// export one A4 landscape page.

#include "common/WindowTest.h"
#include "data/Document.h"
#include "data/ui/VendrillDoc.h"
#include "learning/Learner.h"
#include "learning/ui/ProgressExport.h"
#include "learning/ui/ProgressWindow.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QDateTimeAxis>
#include <QChartView>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QProcess>
#include <QStackedBarSeries>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

#include <filesystem>

namespace {

struct Given {
    int task;
    int dayBack;
    int grade;
};

// Three tasks over the last week; task 0 again today.
constexpr Given kGiven[] = {{0, 6, GradeRight}, {1, 6, GradeWrong}, {1, 6, GradePartly},
                            {2, 2, GradeRight}, {0, 2, GradeWrong}, {0, 0, GradeRight}};

template <class T> T* SeriesOf(QChartView* view)
{
    for (QAbstractSeries* s : view->chart()->series())
        if (auto* t = qobject_cast<T*>(s))
            return t;
    return nullptr;
}

// Every bar value and line point of a chart, series by series.
QList<qreal> ValuesOf(QChart* chart)
{
    QList<qreal> values;
    for (QAbstractSeries* s : chart->series()) {
        if (auto* bars = qobject_cast<QAbstractBarSeries*>(s)) {
            for (QBarSet* set : bars->barSets())
                for (int i = 0; i < set->count(); ++i)
                    values << set->at(i);
        } else if (auto* line = qobject_cast<QXYSeries*>(s)) {
            for (const QPointF& p : line->points())
                values << p.x() << p.y();
        }
    }
    return values;
}

} // namespace

class tst_ProgressWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void showsTheHistory();
    void followsANewAnswer();
    void exportsOnePage_data();
    void exportsOnePage();

private:
    QTemporaryDir m_dir;
    CVendrillDoc m_doc;
    std::unique_ptr<cLearner> m_learner; // records the answers, as the view does
    std::int64_t m_today = 0;
    std::int64_t m_now = 0;
    std::unique_ptr<CProgressWindow> m_window;
};

void tst_ProgressWindow::initTestCase()
{
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
    m_doc.SetPathName(windowtest::CopySample(m_dir.path(), QStringLiteral("kurs.vdr")));
    QCOMPARE(m_doc.ReadFile(), 0);
    QVERIFY(SharedHistory().IsOpen());
    m_learner = std::make_unique<cLearner>(m_doc.Core(), &SharedHistory());
    m_learner->Bind();
    m_now = QDateTime::currentSecsSinceEpoch();
    m_today = LocalDay(m_now);
    std::int64_t at = 0;
    m_learner->SetClock([&at] { return at; });
    for (const Given& g : kGiven) {
        at = std::min(LocalDayStart(m_today - g.dayBack) + 3600 + at % 60 + 1, m_now);
        m_learner->OnAnswer({g.task, g.grade, g.grade == GradeRight, 1, 500, AnswerKind::Practice});
    }
    QVERIFY(m_learner->FileId() != 0);
    m_learner->SetClock([this] { return m_now; });
    m_window = std::make_unique<CProgressWindow>(m_doc);
    m_window->SetClock([this] { return m_now; });
    m_window->resize(800, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_ProgressWindow::showsTheHistory()
{
    auto* answers = SeriesOf<QStackedBarSeries>(m_window->ChartView(progress::Answers));
    QVERIFY(answers && answers->barSets().size() == 3);
    // right, partly, wrong per day back, and the new tasks of that day
    const QList<QList<int>> expected = {{1, 0, 0, 0}, {1, 0, 1, 1}, {1, 1, 1, 2}};
    for (const auto& [dayBack, values] : {std::pair{0, expected[0]}, {2, expected[1]}, {6, expected[2]}}) {
        const int index = 89 - dayBack;
        QList<int> shown;
        for (QBarSet* set : answers->barSets())
            shown << static_cast<int>(set->at(index));
        auto* fresh = SeriesOf<QLineSeries>(m_window->ChartView(progress::Answers));
        shown << static_cast<int>(fresh->at(index).y());
        QCOMPARE(shown, values);
    }
    QCOMPARE(answers->barSets()[0]->sum() + answers->barSets()[1]->sum() + answers->barSets()[2]->sum(), 6.0);
    QCOMPARE(m_window->ChartView(progress::Answers)->accessibleDescription(),
             windowtest::U("Letzte 7 Tage: 6 Antworten, 50 % richtig, 3 neue Aufgaben"));
    QCOMPARE(m_window->ChartView(progress::Answers)->accessibleName(),
             windowtest::U("Antworten pro Tag (letzte 90 Tage)"));

    // The last bar of each day chart carries its own date: today, and the last day forecast.
    for (const auto& [chart, lastDay] : {std::pair{progress::Answers, m_today}, {progress::Forecast, m_today + 29}}) {
        QCategoryAxis* dates = nullptr;
        for (QAbstractAxis* axis : m_window->ChartView(chart)->chart()->axes(Qt::Horizontal))
            dates = dates ? dates : qobject_cast<QCategoryAxis*>(axis);
        QVERIFY(dates);
        QCOMPARE(dates->categoriesLabels().constLast(),
                 QDate(1970, 1, 1).addDays(lastDay).toString(QStringLiteral("dd.MM.")));
    }

    // Hovering a bar shows its numbers.
    emit answers->barSets()[2]->hovered(true, 89 - 6);
    QVERIFY(QToolTip::text().endsWith(
        windowtest::U(": 3 Antworten (1 richtig, 1 toleriert oder teilweise, 1 falsch), 2 neue Aufgaben")));

    // The forecast and today's readiness as the learner computes them from its states.
    auto* due = SeriesOf<QBarSeries>(m_window->ChartView(progress::Forecast));
    QList<int> bars;
    for (int d = 0; d < due->barSets()[0]->count(); ++d)
        bars << static_cast<int>(due->barSets()[0]->at(d));
    const std::vector<int> forecast = m_learner->DueForecast(30);
    QCOMPARE(bars, QList<int>(forecast.begin(), forecast.end()));
    auto* states = SeriesOf<QHorizontalStackedBarSeries>(m_window->ChartView(progress::States));
    const auto& qs = m_doc.Data().m_aQuestionnaires;
    QCOMPARE(states->barSets()[0]->count(), static_cast<int>(qs.size()));
    for (int k = 0; k < static_cast<int>(qs.size()); ++k) {
        int answered = 0;
        for (const std::uint32_t t : qs[k].m_aTaskIndex)
            answered += t < 3;
        QCOMPARE(states->barSets()[1]->at(k) + states->barSets()[2]->at(k), double(answered));
        QCOMPARE(states->barSets()[0]->at(k), double(qs[k].m_aTaskIndex.size() - answered));
    }
    // One readiness line per exam questionnaire over the 90 days.
    const std::vector<cExamReadiness> readiness = m_learner->Readiness();
    const auto lines = m_window->ChartView(progress::Readiness)->chart()->series();
    QVERIFY(!readiness.empty());
    QCOMPARE(lines.size(), static_cast<int>(readiness.size()));
    for (int i = 0; i < lines.size(); ++i) {
        auto* line = qobject_cast<QLineSeries*>(lines[i]);
        QCOMPARE(line->count(), 90);
        QCOMPARE(line->at(89).y(), readiness[i].now.pass * 100);
    }
    // Its date axis ends on the last day drawn (today: no exam date, so no projection).
    auto* days = qobject_cast<QDateTimeAxis*>(m_window->ChartView(progress::Readiness)->chart()->axes(Qt::Horizontal).first());
    QVERIFY(days);
    QCOMPARE(days->max().date(), QDate(1970, 1, 1).addDays(m_today));
}

void tst_ProgressWindow::followsANewAnswer()
{
    QList<QChart*> shownCharts;
    for (int i = 0; i < progress::ChartCount; ++i)
        shownCharts << m_window->ChartView(progress::Chart(i))->chart();
    m_now += 60;
    m_learner->OnAnswer({2, GradePartly, 0, 1, 500, AnswerKind::Practice});
    emit AnswerNotifier().AnswerRecorded(&m_doc.Core(), 2, GradePartly, m_now);
    auto* answers = SeriesOf<QStackedBarSeries>(m_window->ChartView(progress::Answers));
    QCOMPARE(answers->barSets()[1]->at(89), 1.0);
    QCOMPARE(m_window->ChartView(progress::Answers)->accessibleDescription(),
             windowtest::U("Letzte 7 Tage: 7 Antworten, 43 % richtig, 3 neue Aufgaben"));
    // The charts followed in place and show what reading the whole history again shows.
    QList<QList<qreal>> followed;
    for (int i = 0; i < progress::ChartCount; ++i) {
        QCOMPARE(m_window->ChartView(progress::Chart(i))->chart(), shownCharts[i]);
        followed << ValuesOf(shownCharts[i]);
    }
    m_window->Reload();
    for (int i = 0; i < progress::ChartCount; ++i) {
        const QList<qreal> loaded = ValuesOf(m_window->ChartView(progress::Chart(i))->chart());
        QCOMPARE(loaded.size(), followed[i].size());
        for (int v = 0; v < loaded.size(); ++v)
            QVERIFY2(qAbs(loaded[v] - followed[i][v]) < 1e-9,
                     qPrintable(QStringLiteral("chart %1 value %2").arg(i).arg(v)));
    }
    // Another file's answer is not this window's.
    cDocument other;
    emit AnswerNotifier().AnswerRecorded(&other, 2, GradeRight, m_now);
    QCOMPARE(SeriesOf<QStackedBarSeries>(m_window->ChartView(progress::Answers))->barSets()[0]->at(89), 1.0);
    // One window per file; Esc closes it.
    CProgressWindow* shown = CProgressWindow::ShowFor(m_doc);
    QCOMPARE(CProgressWindow::ShowFor(m_doc), shown);
    QTest::keyClick(shown, Qt::Key_Escape);
    QTRY_VERIFY(!shown->isVisible());
}

void tst_ProgressWindow::exportsOnePage_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("png") << "seite.png";
    QTest::newRow("pdf") << "seite.pdf";
}

void tst_ProgressWindow::exportsOnePage()
{
    QFETCH(QString, name);
    const QString path = m_dir.filePath(name);
    QVERIFY(WriteProgressPage(m_window->Progress(), m_doc.Data(), QStringLiteral("kurs.vdr"), path));
    if (name.endsWith(QStringLiteral(".png"))) {
        const QImage image(path);
        QCOMPARE(image.size(), QSize(1751, 1237)); // A4 landscape at 150 dpi
        return;
    }
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    QVERIFY(info.waitForFinished());
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Page size:\\s+84[12](\\.\\d+)? x 595(\\.\\d+)? pts \\(A4\\)"))),
             qPrintable(text));
}

QTEST_MAIN(tst_ProgressWindow)
#include "tst_progresswindow.moc"
