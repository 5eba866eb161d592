#include "practice/ui/ExamSheetPrint.h"

#include "practice/Media.h"
#include "practice/ui/PrintView.h"
#include "ui/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>

#include <filesystem>
#include <memory>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int kPdfDpi = 600;

// The PDF engine builds every page in a buffer of its own and frees it at the page's end.
// Left alone, the C library hands that memory back to the system each time and faults
// it in again for the next page, which doubled the time of a long job. While a job
// paints, the heap keeps what it has; afterwards it gives back what is free, once.
class cKeepHeap {
public:
#ifdef __GLIBC__
    cKeepHeap()
    {
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
    }
    ~cKeepHeap()
    {
        mallopt(M_MMAP_THRESHOLD, 128 << 10); // the library's defaults
        mallopt(M_TRIM_THRESHOLD, 128 << 10);
        malloc_trim(0);
    }
#else
    cKeepHeap() = default;
#endif
    cKeepHeap(const cKeepHeap&) = delete;
    cKeepHeap& operator=(const cKeepHeap&) = delete;
};

// The three fonts of a sheet on one device, measuring through a cache: a long
// questionnaire repeats the same words thousands of times.
class cSheetFonts : public cSheetMeasure {
public:
    cSheetFonts(const QPaintDevice* device, int dpiY, const QString& programDir)
        : m_strProgramDir(programDir)
    {
        const int points[3] = {11, 11, 16};
        for (int style = 0; style < 3; ++style) {
            m_fonts[style] = PrintFont(points[style] * dpiY / 72);
            m_fonts[style].setBold(style != cSheetItem::Normal);
            m_metrics[style] = std::make_unique<QFontMetrics>(m_fonts[style], device);
        }
    }

    const QFont& Font(cSheetItem::Style style) const { return m_fonts[style]; }

    int TextWidth(const std::string& text, cSheetItem::Style style) const override
    {
        const QByteArray key = QByteArray::fromStdString(text);
        auto found = m_widths[style].constFind(key);
        if (found != m_widths[style].cend())
            return *found;
        const int width = m_metrics[style]->horizontalAdvance(ToQString(text));
        m_widths[style].insert(key, width);
        return width;
    }

    int LineHeight(cSheetItem::Style style) const override { return m_metrics[style]->lineSpacing(); }

    std::pair<int, int> PictureSize(const std::string& picture) const override
    {
        const QByteArray key = QByteArray::fromStdString(picture);
        auto found = m_sizes.constFind(key);
        if (found == m_sizes.cend())
            found = m_sizes.insert(key, QImageReader(Path(picture)).size());
        return found->isValid() ? std::pair(found->width(), found->height()) : std::pair(0, 0);
    }

    // Each picture is read once per job, however many variants show it.
    const QImage& Image(const std::string& picture) const
    {
        const QByteArray key = QByteArray::fromStdString(picture);
        auto found = m_images.find(key);
        if (found == m_images.end())
            found = m_images.insert(key, QImage(Path(picture)));
        return *found;
    }

private:
    QString Path(const std::string& picture) const
    {
        return QFile::decodeName(
            QByteArray::fromStdString(MediaPath(QFile::encodeName(m_strProgramDir).toStdString(), picture)));
    }

    QString m_strProgramDir;
    QFont m_fonts[3];
    std::unique_ptr<QFontMetrics> m_metrics[3];
    mutable QHash<QByteArray, int> m_widths[3];
    mutable QHash<QByteArray, QSize> m_sizes;
    mutable QHash<QByteArray, QImage> m_images;
};

QRect ToQRect(const cPrintRect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

void DrawItem(QPainter& painter, const cSheetItem& item, const cSheetFonts& fonts, int dpi)
{
    switch (item.kind) {
    case cSheetItem::Text: {
        if (item.text.empty())
            return;
        const int align = item.align == cSheetItem::Centre ? Qt::AlignHCenter
                          : item.align == cSheetItem::Right ? Qt::AlignRight
                                                            : Qt::AlignLeft;
        painter.setFont(fonts.Font(item.style));
        painter.drawText(ToQRect(item.box), align | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                         ToQString(item.text));
        return;
    }
    case cSheetItem::Rule:
        painter.setPen(QPen(QColor(90, 90, 90), std::max(1, dpi / 200)));
        painter.drawLine(item.box.left, item.box.top, item.box.right, item.box.bottom);
        break;
    case cSheetItem::Box:
        painter.setPen(QPen(Qt::black, std::max(1, dpi / 150)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(ToQRect(item.box));
        break;
    case cSheetItem::Tick: {
        // A cross that fills the box, as a pen would tick it.
        const QRect box = ToQRect(item.box).adjusted(dpi / 60, dpi / 60, -dpi / 60, -dpi / 60);
        painter.setPen(QPen(Qt::black, std::max(1, dpi / 80)));
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.bottomLeft(), box.topRight());
        break;
    }
    case cSheetItem::Picture: {
        const QImage& image = fonts.Image(item.text);
        if (!image.isNull())
            painter.drawImage(ToQRect(item.box), image);
        return;
    }
    }
    painter.setPen(Qt::black);
}

// Paints pages from first to last (excluding) of doc; false when a page could not be begun.
bool DrawPages(QPainter& painter, QPagedPaintDevice& device, const cSheetDocument& doc,
               std::size_t first, std::size_t last, const cSheetFonts& fonts, int dpi)
{
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t p = first; p < last; ++p) {
        if (p > first && !device.newPage())
            return false;
        for (const cSheetItem& item : doc.pages[p].items)
            DrawItem(painter, item, fonts, dpi);
    }
    return true;
}

cSheetDocument Layout(const cExamSheetJob& job, const cPrintDevice& metrics, const cSheetFonts& fonts)
{
    return LayoutExamSheet(*job.data, job.sheet, PrintRectangle(metrics), fonts);
}

QString JobName(const cExamSheetJob& job)
{
    return ToQString(job.sheet.options.m_strTitle.empty() ? job.sheet.questionnaireTitle
                                                          : job.sheet.options.m_strTitle);
}

// Whether path names the training file itself, through any link.
bool IsTrainingFile(const cExamSheetJob& job, const QString& path)
{
    std::error_code error;
    return !job.data->m_strPath.empty() &&
           std::filesystem::equivalent(QFile::encodeName(path).toStdString(), job.data->m_strPath, error);
}

struct cPdfTarget {
    std::unique_ptr<QSaveFile> file;
    std::unique_ptr<QPdfWriter> writer;
};

bool OpenPdf(cPdfTarget& target, const QString& path, const QString& title)
{
    target.file = std::make_unique<QSaveFile>(path);
    if (!target.file->open(QIODevice::WriteOnly))
        return false;
    target.writer = std::make_unique<QPdfWriter>(target.file.get());
    target.writer->setResolution(kPdfDpi);
    target.writer->setPageSize(QPageSize(QPageSize::A4));
    target.writer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    target.writer->setCreator(QStringLiteral("Quorvant"));
    target.writer->setTitle(title);
    return true;
}

bool PaintPdf(cPdfTarget& target, const cSheetDocument& doc, std::size_t first, std::size_t last,
              const cSheetFonts& fonts)
{
    QPainter painter;
    if (!painter.begin(target.writer.get()))
        return false;
    const bool drawn = DrawPages(painter, *target.writer, doc, first, last, fonts, kPdfDpi);
    return painter.end() && drawn;
}

} // namespace

QString ExamKeyPdfPath(const QString& sheetPath)
{
    const QFileInfo info(sheetPath);
    return info.dir().filePath(info.completeBaseName() + QString::fromUtf8("-Lösungsbogen.pdf"));
}

int WriteExamSheetPdf(const cExamSheetJob& job, const QString& path, const QString& keyPath,
                      QString* failed)
{
    const bool separate = job.sheet.options.m_nKey == ExamKeySeparate;
    const QString key = separate ? (keyPath.isEmpty() ? ExamKeyPdfPath(path) : keyPath) : QString();
    if (IsTrainingFile(job, path) || (separate && IsTrainingFile(job, key)))
        return ExamPdfTrainingFile;
    const cKeepHeap heap;
    QString ignored;
    QString& which = failed ? *failed : ignored;
    cPdfTarget sheets;
    cPdfTarget answers;
    which = path;
    if (!OpenPdf(sheets, path, JobName(job)))
        return ExamPdfNotWritten;
    which = key;
    if (separate && !OpenPdf(answers, key, QString::fromUtf8("Lösungsbogen: ") + JobName(job)))
        return ExamPdfNotWritten;
    cPrintDevice metrics;
    metrics.dpiX = metrics.dpiY = kPdfDpi;
    metrics.physicalWidth = sheets.writer->width();
    metrics.physicalHeight = sheets.writer->height();
    const cSheetFonts fonts(sheets.writer.get(), kPdfDpi, job.programDir);
    const cSheetDocument doc = Layout(job, metrics, fonts);
    which = path;
    if (!PaintPdf(sheets, doc, 0, separate ? doc.keyPage : doc.pages.size(), fonts))
        return ExamPdfNotWritten;
    which = key;
    if (separate && !PaintPdf(answers, doc, doc.keyPage, doc.pages.size(), fonts))
        return ExamPdfNotWritten;
    // Both files are complete before either takes its place.
    which = path;
    if (!sheets.file->commit())
        return ExamPdfNotWritten;
    which = key;
    if (separate && !answers.file->commit())
        return ExamPdfNotWritten;
    which.clear();
    return ExamPdfWritten;
}

bool PrintExamSheet(QPagedPaintDevice& device, const cPrintDevice& metrics, const cExamSheetJob& job,
                    bool sheets, bool key)
{
    const cKeepHeap heap;
    const cSheetFonts fonts(&device, metrics.dpiY, job.programDir);
    const cSheetDocument doc = Layout(job, metrics, fonts);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const bool drawn = DrawPages(painter, device, doc, sheets ? 0 : doc.keyPage,
                                 key ? doc.pages.size() : doc.keyPage, fonts, metrics.dpiY);
    return painter.end() && drawn;
}

void RunExamSheetPreview(QPrinter& printer, const cExamSheetJob& job, QWidget* parent)
{
    printer.setPrintRange(QPrinter::AllPages);
    printer.setDocName(JobName(job));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("examSheetPreview"));
    dialog.setWindowTitle(QString::fromUtf8("Seitenansicht: Prüfungsbogen"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&job](QPrinter* target) {
        (void)PrintExamSheet(*target, PrintDeviceOf(*target), job, true, true);
    });
    dialog.exec();
}

bool RunExamSheetPrintDialog(QPrinter& printer, const cExamSheetJob& job, QWidget* parent)
{
    printer.setPrintRange(QPrinter::AllPages);
    printer.setDocName(JobName(job));
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("examSheetPrintDialog"));
    dialog.setWindowTitle(QString::fromUtf8("Prüfungsbogen drucken"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const bool separate = job.sheet.options.m_nKey == ExamKeySeparate;
    bool printed = PrintExamSheet(printer, PrintDeviceOf(printer), job, true, !separate);
    if (printed && separate) {
        printer.setDocName(QString::fromUtf8("Lösungsbogen: ") + JobName(job));
        if (printer.outputFormat() == QPrinter::PdfFormat)
            printer.setOutputFileName(ExamKeyPdfPath(printer.outputFileName()));
        printed = PrintExamSheet(printer, PrintDeviceOf(printer), job, false, true);
    }
    if (!printed)
        ShowPrintFailed();
    return printed;
}
