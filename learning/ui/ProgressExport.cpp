#include "learning/ui/ProgressExport.h"

#include "data/Document.h"
#include "learning/Learner.h"
#include "learning/Progress.h"
#include "learning/ui/ProgressCharts.h"

#include <QApplication>
#include <QChart>
#include <QDateTime>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The page is laid out at 96 dots per inch: A4 landscape less 10 mm margins.
constexpr double kDpi = 96.0;
constexpr int kPageWidth = 1047;  // (297 - 20) mm
constexpr int kPageHeight = 718;  // (210 - 20) mm
constexpr int kPngDpi = 150;

void PaintPage(QPainter& painter, const cProgress& p, const cTrainingData& data, const QString& fileTitle)
{
    QFont title = QApplication::font();
    title.setPointSizeF(16);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::black);
    const QRect head(0, 0, kPageWidth, 34);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Lernfortschritt – ") + fileTitle);
    QFont small = QApplication::font();
    small.setPointSizeF(10);
    painter.setFont(small);
    painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Stand: ") +
                         QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")));

    QGraphicsScene scene;
    const int top = head.bottom() + 6;
    const qreal w = kPageWidth / 2.0;
    const qreal h = (kPageHeight - top) / 2.0;
    for (int i = 0; i < progress::ChartCount; ++i) {
        QChart* chart = progress::BuildChart(static_cast<progress::Chart>(i), p, data);
        scene.addItem(chart);
        chart->setGeometry(QRectF((i % 2) * w, (i / 2) * h, w, h));
    }
    const QRectF all(0, 0, kPageWidth, kPageHeight - top);
    scene.render(&painter, all.translated(0, top), all);
}

} // namespace

bool WriteProgressPage(const cProgress& p, const cTrainingData& data, const QString& fileTitle,
                       const QString& path)
{
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QPdfWriter writer(path);
        writer.setResolution(static_cast<int>(kDpi));
        writer.setTitle(QStringLiteral("Lernfortschritt – ") + fileTitle);
        writer.setCreator(QStringLiteral("Quorvant"));
        if (!writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                              QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter)))
            return false;
        QPainter painter;
        if (!painter.begin(&writer))
            return false;
        painter.setRenderHint(QPainter::Antialiasing);
        PaintPage(painter, p, data, fileTitle);
        return painter.end();
    }
    // PNG: the same page at 150 dpi, margins included, on white.
    const double scale = kPngDpi / kDpi;
    const int margin = static_cast<int>(10 / 25.4 * kDpi);
    QImage image(static_cast<int>((kPageWidth + 2 * margin) * scale),
                 static_cast<int>((kPageHeight + 2 * margin) * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMeter = static_cast<int>(kDpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter); // fonts are sized for the 96-dpi layout
    image.setDotsPerMeterY(dotsPerMeter);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        painter.translate(margin, margin);
        PaintPage(painter, p, data, fileTitle);
    }
    image.setDotsPerMeterX(static_cast<int>(kPngDpi / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(kPngDpi / 0.0254));
    return image.save(path, "PNG");
}

bool IsChartCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--chart") == 0)
            return true;
    return false;
}

int RunChartCommandLine(int argc, char** argv)
{
    QString out;
    QString file;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--chart") == 0 && i + 1 < argc && out.isEmpty())
            out = QString::fromLocal8Bit(argv[++i]);
        else if (file.isEmpty() && argv[i][0] != '-')
            file = QString::fromLocal8Bit(argv[i]);
        else
            file.clear(), out.clear(), i = argc;
    }
    if (out.isEmpty() || file.isEmpty()) {
        std::fputs("Aufruf: quorvant --chart AUSGABE.png|AUSGABE.pdf DATEI.vdr\n", stderr);
        return 2;
    }
    // The page needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cDocument doc;
    if (doc.Open(file.toStdString()) != 0) {
        std::fprintf(stderr, "Die Datei %s kann nicht gelesen werden.\n", qPrintable(file));
        return 1;
    }
    cHistory& history = SharedHistory();
    const std::int64_t id = HistoryFileOf(history, doc.Path());
    cProgress progress(doc.m_data);
    progress.Load(history, id, QDateTime::currentSecsSinceEpoch(), id ? history.ExamDay(id) : -1);
    if (!WriteProgressPage(progress, doc.m_data, QFileInfo(file).fileName(), out)) {
        std::fprintf(stderr, "Die Datei %s konnte nicht geschrieben werden.\n", qPrintable(out));
        return 1;
    }
    return 0;
}
