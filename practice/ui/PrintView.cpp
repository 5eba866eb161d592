#include "practice/ui/PrintView.h"

#include "data/Document.h"
#include "practice/Query.h"
#include "base/Message.h"
#include "ui/Text.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>

#include <algorithm>

namespace {

// Measures with the page font on the printer, so that what is centred is centred there.
class cFontMeasure : public cTextMeasure {
public:
    cFontMeasure(const QFont& font, const QFont& titleFont, const QPaintDevice* device)
        : m_metrics(font, device), m_titleMetrics(titleFont, device)
    {
    }
    int TextWidth(const std::string& text) const override
    {
        return m_metrics.horizontalAdvance(ToQString(text));
    }
    int TextHeight() const override { return m_metrics.height(); }
    int TitleWidth(const std::string& text) const override
    {
        return m_titleMetrics.horizontalAdvance(ToQString(text));
    }

private:
    QFontMetrics m_metrics;
    QFontMetrics m_titleMetrics;
};

QRect ToQRect(const cPrintRect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// One line, never wrapped and never clipped. A carriage return kept at the end of a
// wrapped line has nothing to show.
void DrawLine(QPainter& painter, const cPrintRect& box, const std::string& text, int align)
{
    if (text.empty())
        return;
    QString line = ToQString(text);
    line.remove(QLatin1Char('\r'));
    painter.drawText(ToQRect(box), align | Qt::TextSingleLine | Qt::TextDontClip, line);
}

// The questionnaire's title names the job in the printer queue and the proposed PDF file.
void NameJob(QPrinter& printer, cQuery& query)
{
    const auto& questionnaires = query.Document().m_data.m_aQuestionnaires;
    const int current = query.CurrentQuestionnaire();
    if (current >= 0 && current < static_cast<int>(questionnaires.size()))
        printer.setDocName(ToQString(questionnaires[current].m_strTitle));
}

} // namespace

void ShowPrintFailed()
{
    (void)MessagePresenter().Present(
        "Quorvant",
        ToCp1252(QString::fromUtf8("Das Drucken ist fehlgeschlagen.\r\n"
                                   "Prüfen Sie den Drucker oder die Ausgabedatei.")),
        StyleIconWarning);
}

int PrintFontPixelHeight(int tenths, int screenDpiY)
{
    // Rounded like the integer multiply-divide the conversion has always used.
    const long long product = static_cast<long long>(tenths) * screenDpiY;
    return static_cast<int>((product + 360) / 720);
}

QFont PrintFont(int pixelHeight)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferQuality));
    return font;
}

int ScreenDpiY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

cPrintDevice PrintDeviceOf(const QPrinter& printer)
{
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    cPrintDevice device;
    device.dpiX = printer.logicalDpiX();
    device.dpiY = printer.logicalDpiY();
    device.physicalWidth = paper.width();
    device.physicalHeight = paper.height();
    device.offsetX = printer.fullPage() ? 0 : page.left() - paper.left();
    device.offsetY = printer.fullPage() ? 0 : page.top() - paper.top();
    return device;
}

void DrawPrintPage(QPainter& painter, const QPrinter& printer, cQuery& query, int page)
{
    const cPrintDevice device = PrintDeviceOf(printer);
    const cPrintRect rect = PrintRectangle(device);
    const QFont font = PrintFont(PrintFontPixelHeight(PrintFontTenths(rect, device), ScreenDpiY()));
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    QFont titleFont = font;
    titleFont.setWeight(QFont::Bold);
    const cFontMeasure measure(font, titleFont, &printer);
    const cPrintPage layout = query.LayoutPrintPage(rect, page, measure);
    painter.setFont(titleFont);
    DrawLine(painter, layout.titleBox, layout.title, Qt::AlignHCenter | Qt::AlignTop);
    painter.setFont(font);
    const cTrainingData& data = query.Document().m_data;
    for (const cPrintTaskBox& placed : layout.tasks)
        for (const cPrintTextLine& line : PrintTaskLines(data.m_aTasks[placed.task], placed.box))
            DrawLine(painter, line.box, line.text, Qt::AlignLeft | Qt::AlignVCenter);
    DrawLine(painter, layout.pageNumberBox, layout.pageNumber, Qt::AlignHCenter | Qt::AlignBottom);
    painter.restore();
}

bool PrintPages(QPrinter& printer, cQuery& query, bool allPages)
{
    const int pages = query.PrintPageCount();
    if (pages <= 0)
        return false;
    int from = 1;
    int to = pages;
    if (!allPages && printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(pages, std::max(from, printer.toPage()));
    }
    QPainter painter;
    if (from > to || !painter.begin(&printer))
        return false;
    for (int page = from; page <= to; ++page) {
        if (page > from && !printer.newPage()) {
            painter.end();
            return false;
        }
        DrawPrintPage(painter, printer, query, page);
    }
    return painter.end();
}

class cPrintJobScope::cFilter : public cMessagePresenter {
public:
    explicit cFilter(cMessagePresenter& next) : m_next(next) {}
    int Present(const std::string& caption, const std::string& text, std::uint32_t style) override
    {
        if (CurrentMessageId() == 103) {
            if (m_bShown)
                return ResultOk;
            m_bShown = true;
        }
        return m_next.Present(caption, text, style);
    }
    cMessagePresenter& m_next;

private:
    bool m_bShown = false;
};

cPrintJobScope::cPrintJobScope() : m_filter(new cFilter(MessagePresenter()))
{
    SetMessagePresenter(m_filter);
}

cPrintJobScope::~cPrintJobScope()
{
    SetMessagePresenter(&m_filter->m_next);
    delete m_filter;
}

void ShowNothingToPrint()
{
    (void)MessagePresenter().Present(
        "Quorvant",
        ToCp1252(QString::fromUtf8("Es gibt nichts zu drucken: Es ist kein Fragebogen geöffnet.\r\n"
                                   "Wählen Sie zuerst in der Übersicht einen Fragebogen.")),
        StyleIconWarning);
}

bool RunPrintDialog(QPrinter& printer, cQuery& query, QWidget* parent)
{
    const cPrintJobScope job;
    const int pages = query.PrintPageCount();
    if (pages <= 0) {
        ShowNothingToPrint();
        return false;
    }
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(1, pages);
    NameJob(printer, query);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("printDialog"));
    dialog.setWindowTitle(QStringLiteral("Drucken"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, pages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (PrintPages(printer, query))
        return true;
    ShowPrintFailed();
    return false;
}

void RunPrintPreview(QPrinter& printer, cQuery& query, QWidget* parent)
{
    const cPrintJobScope job;
    if (query.PrintPageCount() <= 0) {
        ShowNothingToPrint();
        return;
    }
    // The preview shows every page; printing from it asks for a range anew.
    printer.setPrintRange(QPrinter::AllPages);
    NameJob(printer, query);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("printPreview"));
    dialog.setWindowTitle(QStringLiteral("Seitenansicht"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&query](QPrinter* target) { (void)PrintPages(*target, query); });
    dialog.exec();
}

bool PrintWithoutDialog(QPrinter& printer, cQuery& query)
{
    const cPrintJobScope job;
    if (query.PrintPageCount() <= 0) {
        ShowNothingToPrint();
        return false;
    }
    printer.setPrintRange(QPrinter::AllPages);
    NameJob(printer, query);
    if (PrintPages(printer, query))
        return true;
    ShowPrintFailed();
    return false;
}

bool WritePrintPdf(const QString& path, cQuery& query, int dpi)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setResolution(dpi);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setCreator(QStringLiteral("Quorvant"));
    NameJob(printer, query);
    const cPrintJobScope job;
    return PrintPages(printer, query, true);
}
