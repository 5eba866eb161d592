#pragma once
// Printing the tasks of the open questionnaire: the page font, the drawing of each page
// over the core's layout, the print dialog, the preview and PDF output. The view, the
// frame and the command line's print requests all print through here.

#include "practice/PrintLayout.h"

#include <QFont>
#include <QString>

class cQuery;
class QPainter;
class QPrinter;
class QWidget;

/// The page font's height in pixels of the printer: tenths of a point through the screen's
/// vertical resolution (tenths × dpi ÷ 720, rounded), as a font made for the screen and
/// drawn on the printer comes out.
[[nodiscard]] int PrintFontPixelHeight(int tenths, int screenDpiY);

/// "Arial" (Liberation Sans where it is missing), normal weight, at this pixel height.
[[nodiscard]] QFont PrintFont(int pixelHeight);

/// The screen's vertical resolution the page font is converted with (96 without a screen).
[[nodiscard]] int ScreenDpiY();

/// Resolution, paper size and unprintable margins of a printer, in its device pixels.
[[nodiscard]] cPrintDevice PrintDeviceOf(const QPrinter& printer);

/// Draws page (from 1) of the query's printout on a painter that is active on printer.
void DrawPrintPage(QPainter& painter, const QPrinter& printer, cQuery& query, int page);

/// Prints one job: the pages in the printer's page range (all when allPages or no range
/// is set). False when the printer could not be started or failed.
bool PrintPages(QPrinter& printer, cQuery& query, bool allPages = false);

/// Message 103 (unknown print option) once per print job: while an object lives, the
/// message is shown the first time and swallowed afterwards.
class cPrintJobScope {
public:
    cPrintJobScope();
    ~cPrintJobScope();
    cPrintJobScope(const cPrintJobScope&) = delete;
    cPrintJobScope& operator=(const cPrintJobScope&) = delete;

private:
    class cFilter;
    cFilter* m_filter;
};

/// The print command: refuses an empty printout with a message, else shows the print
/// dialog with the page range 1 to the page count and prints. True when printed.
bool RunPrintDialog(QPrinter& printer, cQuery& query, QWidget* parent);

/// The print preview with zoom, page navigation and printing. Refuses an empty printout.
void RunPrintPreview(QPrinter& printer, cQuery& query, QWidget* parent);

/// Prints to printer without a dialog. False (message shown) when there is nothing to
/// print or printing failed.
bool PrintWithoutDialog(QPrinter& printer, cQuery& query);

/// Writes the printout as a PDF file at dpi dots per inch on A4 without unprintable
/// margins. False when the file cannot be written (nothing shown).
bool WritePrintPdf(const QString& path, cQuery& query, int dpi = 600);

/// The message for a printout without a questionnaire.
void ShowNothingToPrint();

/// The message for a print job that failed.
void ShowPrintFailed();
