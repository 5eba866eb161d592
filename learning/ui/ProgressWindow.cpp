#include "learning/ui/ProgressWindow.h"

#include "data/Document.h"
#include "data/ui/VendrillDoc.h"
#include "learning/Learner.h"
#include "learning/ui/ProgressExport.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <QHash>

namespace {

// The open progress window of each document.
QHash<const CVendrillDoc*, QPointer<CProgressWindow>>& OpenWindows()
{
    static QHash<const CVendrillDoc*, QPointer<CProgressWindow>> windows;
    return windows;
}

} // namespace

CAnswerNotifier& AnswerNotifier()
{
    static CAnswerNotifier notifier;
    return notifier;
}

CProgressWindow* CProgressWindow::ShowFor(CVendrillDoc& doc, QWidget* parent)
{
    QPointer<CProgressWindow>& window = OpenWindows()[&doc];
    if (!window) {
        window = new CProgressWindow(doc, parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

CProgressWindow::CProgressWindow(CVendrillDoc& doc, QWidget* parent)
    : QWidget(parent, Qt::Window), m_doc(doc), m_progress(std::make_unique<cProgress>(doc.Data()))
{
    setObjectName(QStringLiteral("progressWindow"));
    setWindowTitle(QStringLiteral("Lernfortschritt – ") + doc.Title());
    auto* grid = new QGridLayout;
    for (int i = 0; i < progress::ChartCount; ++i) {
        const auto chart = static_cast<progress::Chart>(i);
        auto* view = new QChartView(this);
        view->setObjectName(QStringLiteral("progressChart%1").arg(i));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(360, 230);
        view->setAccessibleName(progress::Title(chart));
        view->setFocusPolicy(Qt::StrongFocus);
        auto* summary = new QLabel(this);
        summary->setObjectName(QStringLiteral("progressSummary%1").arg(i));
        summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        summary->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
        auto* cell = new QVBoxLayout;
        cell->setSpacing(2);
        cell->addWidget(view, 1);
        cell->addWidget(summary);
        grid->addLayout(cell, i / 2, i % 2);
        m_views[i] = view;
        m_summaries[i] = summary;
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* exportButton = buttons->addButton(QStringLiteral("&Exportieren..."),
                                                   QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("progressExport"));
    QPushButton* closeButton = buttons->addButton(QDialogButtonBox::Close);
    closeButton->setText(QStringLiteral("&Schließen"));
    connect(exportButton, &QPushButton::clicked, this, &CProgressWindow::OnExport);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(buttons);
    resize(1000, 720);

    connect(&AnswerNotifier(), &CAnswerNotifier::AnswerRecorded, this,
            [this](const cDocument* doc, int taskIndex, int grade, qint64 at) {
                if (doc == &m_doc.Core())
                    AddAnswer(taskIndex, grade, at);
            });
    connect(&AnswerNotifier(), &CAnswerNotifier::ExamDateChanged, this, [this](const cDocument* doc) {
        if (doc == &m_doc.Core())
            Reload();
    });
    // The window goes with its file.
    connect(&doc, &QObject::destroyed, this, &QWidget::close);
    // "Speichern unter" moves the history along with the file.
    connect(&doc, &CVendrillDoc::TitleChanged, this, [this] {
        setWindowTitle(QStringLiteral("Lernfortschritt – ") + m_doc.Title());
        Reload();
    });
    Reload();
}

CProgressWindow::~CProgressWindow()
{
    // Delete the charts before the numbers their tool tips read.
    for (QChartView* view : m_views)
        delete view;
}

void CProgressWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

qint64 CProgressWindow::Now() const
{
    return m_clock ? m_clock() : QDateTime::currentSecsSinceEpoch();
}

void CProgressWindow::SetClock(std::function<qint64()> clock)
{
    m_clock = std::move(clock);
    Reload();
}

void CProgressWindow::Reload()
{
    cHistory& history = SharedHistory();
    const std::int64_t file = HistoryFileOf(history, m_doc.Core().Path());
    const std::int64_t examDay = file != 0 ? history.ExamDay(file) : -1;
    m_progress->Load(history, file, Now(), examDay);
    ShowCharts();
}

void CProgressWindow::AddAnswer(int taskIndex, int grade, qint64 at)
{
    if (!m_progress->AddAnswer(taskIndex, grade, at)) {
        Reload();
        return;
    }
    ShowCharts(true);
}

void CProgressWindow::ShowCharts(bool inPlace)
{
    for (int i = 0; i < progress::ChartCount; ++i) {
        const auto chart = static_cast<progress::Chart>(i);
        if (!inPlace || !progress::UpdateChart(chart, m_views[i]->chart(), *m_progress)) {
            QChart* old = m_views[i]->chart();
            m_views[i]->setChart(progress::BuildChart(chart, *m_progress, m_doc.Data()));
            delete old;
        }
        const QString summary = progress::Summary(chart, *m_progress);
        m_views[i]->setAccessibleDescription(summary);
        m_summaries[i]->setToolTip(summary);
    }
    ElideSummaries();
}

// One line under each chart; the whole text is its tool tip and the chart's description.
void CProgressWindow::ElideSummaries()
{
    for (QLabel* label : m_summaries)
        label->setText(label->fontMetrics().elidedText(label->toolTip(), Qt::ElideRight,
                                                       std::max(label->width(), 100)));
}

void CProgressWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ElideSummaries();
}

void CProgressWindow::OnExport()
{
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Lernfortschritt exportieren"),
        QFileInfo(m_doc.PathName()).completeBaseName() + QStringLiteral("-fortschritt.pdf"),
        QStringLiteral("PDF-Dokument (*.pdf);;PNG-Bild (*.png)"));
    if (path.isEmpty())
        return;
    if (!WriteProgressPage(*m_progress, m_doc.Data(), m_doc.Title(), path))
        QMessageBox::warning(this, QStringLiteral("Lernfortschritt"),
                             QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden.").arg(path));
}
