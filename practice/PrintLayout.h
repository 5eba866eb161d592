#pragma once
// Layout of the printout: word-wrapped lines of each task, which tasks are printed,
// page breaks and the boxes of the tasks on a page. Drawing is the window's part.

#include "data/Task.h"
#include "data/TrainingData.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kPrintLineWidth = 70;    // characters per printed line
inline constexpr int kPrintLinesPerPage = 63; // lines below the header line
inline constexpr int kPrintLineSlots = 65;    // the print rectangle's height in lines

/// Line n (from 0) of the wrapped question (part 0) or solution (part 1); "" past the end.
[[nodiscard]] std::string PrintLine(const cTask& task, int n, int part);

/// Lines the task takes on paper: question lines + solution lines + 3.
[[nodiscard]] int PrintLineCount(const cTask& task);

/// Whether the print selection (0 all, 1 wrong at least once, 2 more often wrong than
/// right) includes the task; another selection shows message 103 and includes nothing.
[[nodiscard]] bool IncludeInPrint(const cTask& task, int selection);

/// Text measuring of the output device (the window measures with its font).
class cTextMeasure {
public:
    virtual ~cTextMeasure() = default;
    /// Width of a single-line text in device units.
    virtual int TextWidth(const std::string& text) const = 0;
    /// Height of one line of text in device units.
    virtual int TextHeight() const = 0;
    /// Width of the page title, which is drawn bold to stand apart from the tasks.
    virtual int TitleWidth(const std::string& text) const { return TextWidth(text); }
};

struct cPrintRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const cPrintRect&) const = default;
};

/// Printer metrics in device units.
struct cPrintDevice {
    int dpiX = 600;
    int dpiY = 600;
    int physicalWidth = 4960;
    int physicalHeight = 7016;
    int offsetX = 0;
    int offsetY = 0;
};

/// The print rectangle inside 10 mm margins left, top and right and 15 mm at the bottom.
[[nodiscard]] cPrintRect PrintRectangle(const cPrintDevice& device);

/// Font size of the page in tenths of a point.
[[nodiscard]] int PrintFontTenths(const cPrintRect& rect, const cPrintDevice& device);

/// One line of a task's box.
struct cPrintTextLine {
    cPrintRect box;
    std::string text; // "" draws nothing
};

/// The lines of one task in its box: question lines, a blank line, solution lines
/// (indented by a twentieth of the box, so that they stand off from the question) and
/// two blank lines.
[[nodiscard]] std::vector<cPrintTextLine> PrintTaskLines(const cTask& task, const cPrintRect& box);

/// Number of pages for these tasks (indices into data.m_aTasks, in list order).
[[nodiscard]] int PrintPageCount(const cTrainingData& data, const std::vector<std::uint32_t>& tasks,
                                 int selection);

/// A task placed on a page.
struct cPrintTaskBox {
    std::uint32_t task = 0;
    cPrintRect box;
};

/// Everything drawn on one page.
struct cPrintPage {
    std::string title;
    cPrintRect titleBox;
    std::vector<cPrintTaskBox> tasks;
    std::string pageNumber;
    cPrintRect pageNumberBox;
};

/// The page title of a printed list: the questionnaire's title, and while a search
/// narrows the list the searched text and the number of tasks listed
/// ("Alle Aufgaben – Suche: Frage 5, 11 Aufgaben").
[[nodiscard]] std::string PrintTitle(const std::string& questionnaire, bool searching,
                                     const std::string& searchText, int rows);

/// Lays page (from 1) out: the title centred at the top, the tasks that fall on this page
/// and the page number centred at the bottom.
[[nodiscard]] cPrintPage LayoutPrintPage(const cTrainingData& data,
                                         const std::vector<std::uint32_t>& tasks,
                                         const std::string& title, int selection,
                                         const cPrintRect& rect, int page,
                                         const cTextMeasure& measure);
