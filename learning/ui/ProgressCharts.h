#pragma once
// The four progress charts built from the numbers of cProgress: answers per day, the due
// forecast, the exam readiness over time and the tasks by state. The window and the
// exported page use the same charts. Colours come from a palette that stays apart for
// red-green colour blindness, with lightness steps and a pattern for grey-scale print.

#include <QString>

class cProgress;
class cTrainingData;
class QChart;

namespace progress {

enum Chart : int { Answers = 0, Forecast = 1, Readiness = 2, States = 3, ChartCount = 4 };

/// A new chart of this kind (owned by the caller); hovered bars and points show their
/// numbers as a tool tip.
[[nodiscard]] QChart* BuildChart(Chart chart, const cProgress& p, const cTrainingData& data);

/// Brings a chart that BuildChart made to the numbers of p in place: only values that
/// changed are set, so following one answer costs no new chart objects. False when the
/// chart's make-up no longer fits (other series or categories): build it again then.
bool UpdateChart(Chart chart, QChart* c, const cProgress& p);

/// The German title and the screen-reader summary of a chart.
[[nodiscard]] QString Title(Chart chart);
[[nodiscard]] QString Summary(Chart chart, const cProgress& p);

/// The tool tip of bar index in the chart's bar set (Answers, Forecast, States).
[[nodiscard]] QString BarToolTip(Chart chart, const cProgress& p, const cTrainingData& data,
                                 int index);

/// "TT.MM." of a local day number.
[[nodiscard]] QString DayText(qint64 day);

} // namespace progress
