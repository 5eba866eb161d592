#include "learning/ui/ProgressCharts.h"

#include "data/TrainingData.h"
#include "learning/Progress.h"
#include "ui/Text.h"

#include <QBarCategoryAxis>
#include <QCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHorizontalStackedBarSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLocale>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QBarSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <set>

namespace progress {

namespace {

// Okabe-Ito: apart for every kind of colour blindness; ordered dark to light where it
// matters for grey-scale print.
const QColor kBlue(0x00, 0x72, 0xB2);
const QColor kVermillion(0xD5, 0x5E, 0x00);
const QColor kYellow(0xF0, 0xE4, 0x42);
const QColor kOrange(0xE6, 0x9F, 0x00);
const QColor kSkyBlue(0x56, 0xB4, 0xE9);
const QColor kGreen(0x00, 0x9E, 0x73);
const QColor kPurple(0xCC, 0x79, 0xA7);
const QColor kLineColours[] = {kBlue, kVermillion, kGreen, kPurple, kOrange, kSkyBlue, Qt::black};
const Qt::PenStyle kLineStyles[] = {Qt::SolidLine, Qt::DashDotLine, Qt::DotLine, Qt::DashDotDotLine};

QDate DateOf(qint64 day)
{
    return QDate(1970, 1, 1).addDays(day);
}

QString GermanDay(qint64 day)
{
    return QLocale(QLocale::German).toString(DateOf(day), QStringLiteral("ddd dd.MM."));
}

qreal MidDay(qint64 day)
{
    return static_cast<qreal>(QDateTime(DateOf(day), QTime(12, 0)).toMSecsSinceEpoch());
}

QString QuestionnaireTitle(const cTrainingData& data, int k)
{
    return ToQString(data.m_aQuestionnaires[static_cast<std::size_t>(k)].m_strTitle);
}

QBarSet* MakeSet(const QString& name, const QColor& colour, Qt::BrushStyle style = Qt::SolidPattern)
{
    auto* set = new QBarSet(name);
    set->setBrush(QBrush(colour, style));
    set->setPen(QPen(colour.darker(150), 0.5));
    set->setLabelColor(Qt::black);
    return set;
}

QChart* NewChart(Chart chart)
{
    auto* c = new QChart;
    c->setTitle(Title(chart));
    c->setAnimationOptions(QChart::NoAnimation);
    c->legend()->setAlignment(Qt::AlignBottom);
    c->setMargins(QMargins(4, 4, 4, 4));
    QFont title = c->titleFont();
    title.setBold(true);
    c->setTitleFont(title);
    return c;
}

QValueAxis* CountAxis(const QString& title, int maximum)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setRange(0, std::max(maximum, 4));
    axis->applyNiceNumbers();
    return axis;
}

// Days under bars: the bars sit on a hidden category axis, their dates on a category axis
// of values beside it, each label under the middle of its bar. Counted back from the last
// bar, so today (or the last day forecast) always carries its date.
void AddDayAxes(QChart* c, QAbstractSeries* bars, qint64 firstDay, int days,
                const QString& title, QValueAxis* y)
{
    QStringList names;
    for (int d = 0; d < days; ++d)
        names << QString::number(d);
    auto* categories = new QBarCategoryAxis;
    categories->append(names);
    categories->setVisible(false);
    c->addAxis(categories, Qt::AlignBottom);
    auto* dates = new QCategoryAxis;
    dates->setTitleText(title);
    dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    dates->setGridLineVisible(false);
    dates->setRange(-0.5, days - 0.5);
    dates->setStartValue(-0.5);
    const int step = days <= 7 ? 1 : (days + 5) / 6;
    for (int d = (days - 1) % step; d < days; d += step)
        dates->append(DateOf(firstDay + d).toString(QStringLiteral("dd.MM.")), d);
    // Room for the half of the last date that reaches past the last bar.
    c->setMargins(c->margins() + QMargins(0, 0, 14, 0));
    c->addAxis(dates, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);
    bars->attachAxis(categories);
    bars->attachAxis(y);
}

void ShowTip(bool on, const QString& text)
{
    if (on)
        QToolTip::showText(QCursor::pos(), text);
    else
        QToolTip::hideText();
}

QChart* AnswersChart(const cProgress& p, const cTrainingData& data)
{
    QChart* c = NewChart(Answers);
    auto* right = MakeSet(QStringLiteral("Richtig"), kBlue);
    auto* partly = MakeSet(QStringLiteral("Teilweise"), kYellow);
    auto* wrong = MakeSet(QStringLiteral("Falsch"), kVermillion, Qt::Dense3Pattern);
    auto* fresh = new QLineSeries;
    fresh->setName(QStringLiteral("Neu"));
    fresh->setPen(QPen(Qt::black, 2, Qt::DashLine));
    int most = 0;
    const auto& perDay = p.PerDay();
    for (std::size_t d = 0; d < perDay.size(); ++d) {
        *right << perDay[d].right;
        *partly << perDay[d].partly;
        *wrong << perDay[d].wrong;
        fresh->append(static_cast<qreal>(d), perDay[d].fresh);
        most = std::max(most, perDay[d].Total());
    }
    auto* bars = new QStackedBarSeries;
    bars->append({right, partly, wrong});
    bars->setBarWidth(0.9);
    for (QBarSet* set : bars->barSets())
        QObject::connect(set, &QBarSet::hovered, c, [&p, &data](bool on, int index) {
            ShowTip(on, BarToolTip(Answers, p, data, index));
        });
    c->addSeries(bars);
    c->addSeries(fresh);
    QValueAxis* y = CountAxis(QStringLiteral("Antworten"), most);
    AddDayAxes(c, bars, p.FirstDay(), static_cast<int>(perDay.size()), QStringLiteral("Tag"), y);
    fresh->attachAxis(c->axes(Qt::Horizontal).first());
    fresh->attachAxis(y);
    QObject::connect(fresh, &QLineSeries::hovered, c, [&p, &data](const QPointF& at, bool on) {
        ShowTip(on, BarToolTip(Answers, p, data, static_cast<int>(std::lround(at.x()))));
    });
    return c;
}

QChart* ForecastChart(const cProgress& p, const cTrainingData& data)
{
    QChart* c = NewChart(Forecast);
    const std::vector<int> due = p.Forecast();
    auto* set = MakeSet(QStringLiteral("Fällige Aufgaben"), kSkyBlue);
    int most = 0;
    for (const int n : due) {
        *set << n;
        most = std::max(most, n);
    }
    auto* bars = new QBarSeries;
    bars->append(set);
    bars->setBarWidth(0.8);
    QObject::connect(set, &QBarSet::hovered, c, [&p, &data](bool on, int index) {
        ShowTip(on, BarToolTip(Forecast, p, data, index));
    });
    c->addSeries(bars);
    QValueAxis* y = CountAxis(QStringLiteral("Aufgaben"), most);
    AddDayAxes(c, bars, p.Today(), static_cast<int>(due.size()), QStringLiteral("Tag"), y);
    const qint64 exam = p.ExamDayNumber() - p.Today();
    if (p.ExamDayNumber() >= 0 && exam >= 0 && exam < static_cast<qint64>(due.size())) {
        auto* marker = new QLineSeries;
        marker->setName(QStringLiteral("Prüfungstermin ") + DayText(p.ExamDayNumber()));
        marker->setPen(QPen(Qt::black, 2, Qt::DashLine));
        marker->append(static_cast<qreal>(exam), 0);
        marker->append(static_cast<qreal>(exam), y->max());
        c->addSeries(marker);
        marker->attachAxis(c->axes(Qt::Horizontal).first());
        marker->attachAxis(y);
    } else if (p.ExamDayNumber() >= 0) {
        c->setTitle(Title(Forecast) + QStringLiteral(" – Prüfungstermin ") + DayText(p.ExamDayNumber()));
    }
    return c;
}

QChart* ReadinessChart(const cProgress& p, const cTrainingData& data)
{
    QChart* c = NewChart(Readiness);
    auto* x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("dd.MM."));
    x->setTitleText(QStringLiteral("Tag"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Bestehen (%)"));
    y->setRange(0, 100);
    y->setLabelFormat(QStringLiteral("%d"));
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);
    qint64 last = p.Today();
    const auto& curves = p.Curves();
    for (std::size_t i = 0; i < curves.size(); ++i) {
        const cReadinessCurve& curve = curves[i];
        const QString name = QuestionnaireTitle(data, curve.questionnaire);
        QPen pen(kLineColours[i % std::size(kLineColours)], 2,
                 kLineStyles[(i / std::size(kLineColours)) % std::size(kLineStyles)]);
        auto* past = new QLineSeries;
        past->setName(name);
        past->setPen(pen);
        for (std::size_t d = 0; d < curve.past.size(); ++d)
            past->append(MidDay(p.FirstDay() + static_cast<qint64>(d)), curve.past[d] * 100);
        c->addSeries(past);
        past->attachAxis(x);
        past->attachAxis(y);
        auto tip = [name](const QPointF& at, bool on) {
            const QDate date = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(at.x())).date();
            ShowTip(on, name + QStringLiteral(", ") + date.toString(QStringLiteral("dd.MM.yyyy")) +
                            QStringLiteral(": Bestehen ") + QString::number(std::lround(at.y())) +
                            QStringLiteral(" %"));
        };
        QObject::connect(past, &QLineSeries::hovered, c, tip);
        if (curve.projected.empty())
            continue;
        auto* ahead = new QLineSeries;
        ahead->setName(name + QStringLiteral(" (Prognose ohne Übung)"));
        pen.setStyle(Qt::DashLine);
        pen.setWidthF(1.5);
        ahead->setPen(pen);
        c->addSeries(ahead);
        // The dashed continuation needs no legend entry of its own.
        for (QLegendMarker* marker : c->legend()->markers(ahead))
            marker->setVisible(false);
        ahead->append(past->points().constLast());
        for (std::size_t d = 0; d < curve.projected.size(); ++d)
            ahead->append(MidDay(p.Today() + 1 + static_cast<qint64>(d)), curve.projected[d] * 100);
        last = std::max<qint64>(last, p.Today() + static_cast<qint64>(curve.projected.size()));
        ahead->attachAxis(x);
        ahead->attachAxis(y);
        QObject::connect(ahead, &QLineSeries::hovered, c, tip);
    }
    // From the first day's point to the last one's, so the last label is the last day shown;
    // ticks a whole number of days apart when the span allows.
    const qint64 span = last - p.FirstDay();
    int parts = 6;
    for (const int n : {6, 5, 7, 4, 8})
        if (span > 0 && span % n == 0) {
            parts = n;
            break;
        }
    x->setTickCount(parts + 1);
    x->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(MidDay(p.FirstDay()))),
                QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(MidDay(last))));
    if (curves.empty())
        c->setTitle(Title(Readiness) + QStringLiteral(" – kein Prüfungsfragebogen"));
    return c;
}

QChart* StatesChart(const cProgress& p, const cTrainingData& data)
{
    QChart* c = NewChart(States);
    auto* fresh = MakeSet(QStringLiteral("Neu"), kYellow);
    auto* learning = MakeSet(QStringLiteral("Im Lernen"), kOrange, Qt::Dense2Pattern);
    auto* known = MakeSet(QStringLiteral("Gelernt (≥ 90 % heute)"), kBlue);
    QStringList names;
    std::set<QString> used;
    int most = 0;
    for (const cStateCounts& s : p.States()) {
        // Long titles are cut, so the bars keep their room at 800 x 600.
        QString name = QuestionnaireTitle(data, s.questionnaire);
        if (name.size() > 16)
            name = name.left(15) + QChar(0x2026);
        // Category names must differ: equal titles get their number.
        if (!used.insert(name).second)
            name += QStringLiteral(" (%1)").arg(s.questionnaire + 1);
        used.insert(name);
        names << name;
        *fresh << s.fresh;
        *learning << s.learning;
        *known << s.known;
        most = std::max(most, s.fresh + s.learning + s.known);
    }
    auto* bars = new QHorizontalStackedBarSeries;
    bars->append({fresh, learning, known});
    bars->setBarWidth(0.7);
    for (QBarSet* set : bars->barSets())
        QObject::connect(set, &QBarSet::hovered, c, [&p, &data](bool on, int index) {
            ShowTip(on, BarToolTip(States, p, data, index));
        });
    c->addSeries(bars);
    auto* y = new QBarCategoryAxis;
    y->append(names);
    y->setTitleText(QStringLiteral("Fragebogen"));
    QValueAxis* x = CountAxis(QStringLiteral("Aufgaben"), most);
    c->addAxis(y, Qt::AlignLeft);
    c->addAxis(x, Qt::AlignBottom);
    bars->attachAxis(y);
    bars->attachAxis(x);
    return c;
}

// Sets a bar only when its value changed (each change repaints the series).
void SetBar(QBarSet* set, int index, qreal value)
{
    if (set->at(index) != value)
        set->replace(index, value);
}

void SetPoint(QXYSeries* series, int index, const QPointF& point)
{
    if (series->at(index) != point)
        series->replace(index, point);
}

// Widens the count axis when the highest bar outgrew it (it never shrinks while shown).
void FitCountAxis(QChart* c, Qt::Orientation orientation, int most)
{
    const QList<QAbstractAxis*> axes = c->axes(orientation);
    for (QAbstractAxis* axis : axes)
        if (auto* value = qobject_cast<QValueAxis*>(axis); value && value->max() < most) {
            value->setRange(0, std::max(most, 4));
            value->applyNiceNumbers();
        }
}

bool UpdateAnswers(QChart* c, const cProgress& p)
{
    const QList<QAbstractSeries*> series = c->series();
    auto* bars = series.size() == 2 ? qobject_cast<QStackedBarSeries*>(series[0]) : nullptr;
    auto* fresh = series.size() == 2 ? qobject_cast<QLineSeries*>(series[1]) : nullptr;
    const auto& perDay = p.PerDay();
    const int days = static_cast<int>(perDay.size());
    if (!bars || !fresh || bars->count() != 3 || fresh->count() != days ||
        bars->barSets()[0]->count() != days)
        return false;
    const QList<QBarSet*> sets = bars->barSets();
    int most = 0;
    for (int d = 0; d < days; ++d) {
        const cDayAnswers& a = perDay[static_cast<std::size_t>(d)];
        SetBar(sets[0], d, a.right);
        SetBar(sets[1], d, a.partly);
        SetBar(sets[2], d, a.wrong);
        SetPoint(fresh, d, QPointF(d, a.fresh));
        most = std::max(most, a.Total());
    }
    FitCountAxis(c, Qt::Vertical, most);
    return true;
}

bool UpdateForecast(QChart* c, const cProgress& p)
{
    const QList<QAbstractSeries*> series = c->series();
    auto* bars = series.isEmpty() ? nullptr : qobject_cast<QBarSeries*>(series[0]);
    const std::vector<int> due = p.Forecast();
    if (!bars || bars->count() != 1 || bars->barSets()[0]->count() != static_cast<int>(due.size()))
        return false;
    int most = 0;
    for (std::size_t d = 0; d < due.size(); ++d) {
        SetBar(bars->barSets()[0], static_cast<int>(d), due[d]);
        most = std::max(most, due[d]);
    }
    FitCountAxis(c, Qt::Vertical, most);
    // The exam marker reaches the top of the axis.
    if (series.size() == 2)
        if (auto* marker = qobject_cast<QLineSeries*>(series[1]); marker && marker->count() == 2)
            for (QAbstractAxis* axis : c->axes(Qt::Vertical))
                if (auto* y = qobject_cast<QValueAxis*>(axis))
                    SetPoint(marker, 1, QPointF(marker->at(1).x(), y->max()));
    return true;
}

bool UpdateReadiness(QChart* c, const cProgress& p)
{
    const QList<QAbstractSeries*> series = c->series();
    int s = 0;
    for (const cReadinessCurve& curve : p.Curves()) {
        auto* past = s < series.size() ? qobject_cast<QLineSeries*>(series[s++]) : nullptr;
        if (!past || past->count() != static_cast<int>(curve.past.size()))
            return false;
        for (std::size_t d = 0; d < curve.past.size(); ++d)
            SetPoint(past, static_cast<int>(d),
                     QPointF(past->at(static_cast<int>(d)).x(), curve.past[d] * 100));
        if (curve.projected.empty())
            continue;
        auto* ahead = s < series.size() ? qobject_cast<QLineSeries*>(series[s++]) : nullptr;
        if (!ahead || ahead->count() != static_cast<int>(curve.projected.size()) + 1)
            return false;
        // The whole projection moves with today's memory: one replace for all points.
        QList<QPointF> points = ahead->points();
        points[0] = past->points().constLast();
        for (std::size_t d = 0; d < curve.projected.size(); ++d)
            points[static_cast<qsizetype>(d) + 1].setY(curve.projected[d] * 100);
        if (points != ahead->points())
            ahead->replace(points);
    }
    return s == series.size();
}

bool UpdateStates(QChart* c, const cProgress& p)
{
    const QList<QAbstractSeries*> series = c->series();
    auto* bars = series.size() == 1 ? qobject_cast<QHorizontalStackedBarSeries*>(series[0]) : nullptr;
    const auto& states = p.States();
    if (!bars || bars->count() != 3 || bars->barSets()[0]->count() != static_cast<int>(states.size()))
        return false;
    const QList<QBarSet*> sets = bars->barSets();
    int most = 0;
    for (std::size_t k = 0; k < states.size(); ++k) {
        const cStateCounts& st = states[k];
        SetBar(sets[0], static_cast<int>(k), st.fresh);
        SetBar(sets[1], static_cast<int>(k), st.learning);
        SetBar(sets[2], static_cast<int>(k), st.known);
        most = std::max(most, st.fresh + st.learning + st.known);
    }
    FitCountAxis(c, Qt::Horizontal, most);
    return true;
}

} // namespace

bool UpdateChart(Chart chart, QChart* c, const cProgress& p)
{
    if (!c)
        return false;
    switch (chart) {
    case Answers: return UpdateAnswers(c, p);
    case Forecast: return UpdateForecast(c, p);
    case Readiness: return UpdateReadiness(c, p);
    case States: return UpdateStates(c, p);
    case ChartCount: break;
    }
    return false;
}

QString DayText(qint64 day)
{
    return DateOf(day).toString(QStringLiteral("dd.MM."));
}

QString Title(Chart chart)
{
    switch (chart) {
    case Answers: return QStringLiteral("Antworten pro Tag (letzte 90 Tage)");
    case Forecast: return QStringLiteral("Fällige Aufgaben (nächste 30 Tage)");
    case Readiness: return QStringLiteral("Prüfungsbereitschaft");
    case States: return QStringLiteral("Aufgaben nach Stand");
    case ChartCount: break;
    }
    return {};
}

QString Summary(Chart chart, const cProgress& p)
{
    switch (chart) {
    case Answers: return QString::fromStdString(p.AnswersSummary(7));
    case Forecast: return QString::fromStdString(p.ForecastSummary());
    case Readiness: return QString::fromStdString(p.ReadinessSummary());
    case States: return QString::fromStdString(p.StatesSummary());
    case ChartCount: break;
    }
    return {};
}

QString BarToolTip(Chart chart, const cProgress& p, const cTrainingData& data, int index)
{
    if (index < 0)
        return {};
    const auto i = static_cast<std::size_t>(index);
    if (chart == Answers && i < p.PerDay().size()) {
        const cDayAnswers& a = p.PerDay()[i];
        return GermanDay(p.FirstDay() + index) +
               QStringLiteral(": %1 Antworten (%2 richtig, %3 toleriert oder teilweise, "
                              "%4 falsch), %5 neue Aufgaben")
                   .arg(a.Total())
                   .arg(a.right)
                   .arg(a.partly)
                   .arg(a.wrong)
                   .arg(a.fresh);
    }
    if (chart == Forecast && i < p.Forecast().size())
        return GermanDay(p.Today() + index) +
               QStringLiteral(": %1 fällige Aufgaben").arg(p.Forecast()[i]);
    if (chart == States && i < p.States().size()) {
        const cStateCounts& s = p.States()[i];
        return QuestionnaireTitle(data, s.questionnaire) +
               QStringLiteral(": %1 neu, %2 im Lernen, %3 gelernt").arg(s.fresh).arg(s.learning).arg(s.known);
    }
    return {};
}

QChart* BuildChart(Chart chart, const cProgress& p, const cTrainingData& data)
{
    switch (chart) {
    case Answers: return AnswersChart(p, data);
    case Forecast: return ForecastChart(p, data);
    case Readiness: return ReadinessChart(p, data);
    case States: return StatesChart(p, data);
    case ChartCount: break;
    }
    return nullptr;
}

} // namespace progress
