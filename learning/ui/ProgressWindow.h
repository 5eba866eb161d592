#pragma once
// "Lernfortschritt": the four progress charts of one open training file in a window of
// its own. It follows the file as it is practised: whoever records an answer in the
// history tells AnswerNotifier(), and every progress window of that file updates.

#include "learning/Progress.h"
#include "learning/ui/ProgressCharts.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class CVendrillDoc;
class cDocument;
class QChartView;
class QLabel;

/// Tells the progress windows that an answer went into the history.
class CAnswerNotifier : public QObject {
    Q_OBJECT
signals:
    /// taskIndex into the document's tasks, grade an AnswerGrade, at in seconds (UTC).
    void AnswerRecorded(const cDocument* doc, int taskIndex, int grade, qint64 at);
    /// The exam date of the file was set or cleared.
    void ExamDateChanged(const cDocument* doc);
};

/// The one notifier of the program.
[[nodiscard]] CAnswerNotifier& AnswerNotifier();

class CProgressWindow : public QWidget {
    Q_OBJECT
public:
    /// Shows the progress window of doc, making it when there is none yet.
    static CProgressWindow* ShowFor(CVendrillDoc& doc, QWidget* parent = nullptr);

    explicit CProgressWindow(CVendrillDoc& doc, QWidget* parent = nullptr);
    ~CProgressWindow() override;

    /// Clock in seconds since 1970 (tests); loads again.
    void SetClock(std::function<qint64()> clock);
    [[nodiscard]] const cProgress& Progress() const { return *m_progress; }
    [[nodiscard]] QChartView* ChartView(progress::Chart chart) const { return m_views[chart]; }

public slots:
    /// Reads the file's whole history again.
    void Reload();
    /// One new answer of this file: the charts follow without reading the history again.
    void AddAnswer(int taskIndex, int grade, qint64 at);
    /// "Exportieren...": asks for a PNG or PDF file and writes the page.
    void OnExport();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Builds the charts anew, or with inPlace changes the values of those shown.
    void ShowCharts(bool inPlace = false);
    void ElideSummaries();
    [[nodiscard]] qint64 Now() const;

    CVendrillDoc& m_doc;
    std::unique_ptr<cProgress> m_progress;
    std::function<qint64()> m_clock;
    QChartView* m_views[progress::ChartCount] = {};
    QLabel* m_summaries[progress::ChartCount] = {};
};
