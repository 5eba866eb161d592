#include "practice/PrintLayout.h"

#include "base/Cp1252.h"
#include "base/Number.h"
#include "base/Message.h"

#include <algorithm>

namespace {

// All printed lines of a text, up to (not including) the first empty one.
std::vector<std::string> WrapLines(const std::string& source)
{
    std::vector<std::string> lines;
    std::string text = source + ' ';
    while (true) {
        std::size_t p = text.find(' ');
        if (p == std::string::npos)
            p = text.size();
        if (p + 1 <= static_cast<std::size_t>(kPrintLineWidth)) {
            const std::size_t last = text.substr(0, kPrintLineWidth).rfind(' ');
            if (last != std::string::npos)
                p = last;
        }
        const std::size_t lineFeed = text.find('\n');
        if (lineFeed != std::string::npos && lineFeed < p)
            p = lineFeed;
        std::string line = text.substr(0, p);
        std::string rest = p < text.size() ? text.substr(p + 1) : std::string();
        const std::size_t start = rest.find_first_not_of(" \r");
        rest.erase(0, start == std::string::npos ? rest.size() : start);
        if (line.empty() && !rest.empty())
            line.assign(1, ' ');
        if (line.empty())
            return lines;
        lines.push_back(std::move(line));
        text = std::move(rest);
    }
}

const std::string& PartText(const cTask& task, int part)
{
    return part == 0 ? task.m_strQuestion : task.m_strSolution;
}

} // namespace

std::string PrintLine(const cTask& task, int n, int part)
{
    if (n < 0)
        return std::string();
    const std::vector<std::string> lines = WrapLines(PartText(task, part));
    return static_cast<std::size_t>(n) < lines.size() ? lines[n] : std::string();
}

int PrintLineCount(const cTask& task)
{
    return static_cast<int>(WrapLines(task.m_strQuestion).size() +
                            WrapLines(task.m_strSolution).size()) + 3;
}

bool IncludeInPrint(const cTask& task, int selection)
{
    switch (selection) {
    case 0: return true;
    case 1: return task.m_nStats[0] != 0;
    case 2: return task.m_nStats[0] > task.m_nStats[1];
    default:
        (void)ShowMessage(103, FormatNumber(selection, 0));
        return false;
    }
}

cPrintRect PrintRectangle(const cPrintDevice& device)
{
    const double marginX = device.dpiX * 10 / 25.4;
    const double marginY = device.dpiY * 10 / 25.4;
    cPrintRect rect;
    rect.left = static_cast<int>(marginX - device.offsetX);
    rect.top = static_cast<int>(marginY - device.offsetY);
    rect.right = static_cast<int>(device.physicalWidth - device.offsetX - marginX);
    rect.bottom = static_cast<int>(device.physicalHeight - device.offsetY - device.dpiY * 15 / 25.4);
    return rect;
}

int PrintFontTenths(const cPrintRect& rect, const cPrintDevice& device)
{
    if (device.dpiY <= 0)
        return 0;
    const int size = static_cast<int>((rect.bottom - rect.top) * 2.735384615384615 / device.dpiY);
    return static_cast<int>(device.dpiX * size / 25.4);
}

std::vector<cPrintTextLine> PrintTaskLines(const cTask& task, const cPrintRect& box)
{
    const std::vector<std::string> question = WrapLines(task.m_strQuestion);
    const std::vector<std::string> solution = WrapLines(task.m_strSolution);
    const int count = static_cast<int>(question.size() + solution.size()) + 3;
    const int height = (box.bottom - box.top) / count;
    std::vector<cPrintTextLine> lines;
    lines.reserve(count);
    const int indent = (box.right - box.left) / 20;
    int questionLines = 0;
    for (int i = 0; i < count; ++i) {
        cPrintTextLine line;
        line.box = {box.left, box.top + height * i, box.right, box.top + height * (i + 1)};
        if (static_cast<std::size_t>(i) < question.size()) {
            line.text = question[i];
            ++questionLines;
        } else {
            const int s = i - questionLines - 1;
            if (s >= 0 && static_cast<std::size_t>(s) < solution.size()) {
                line.text = solution[s];
                line.box.left += indent;
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string PrintTitle(const std::string& questionnaire, bool searching,
                       const std::string& searchText, int rows)
{
    if (!searching)
        return questionnaire;
    return questionnaire + Cp1252FromUtf8(" – Suche: ") + searchText + ", " +
           std::to_string(rows) + (rows == 1 ? " Aufgabe" : " Aufgaben");
}

int PrintPageCount(const cTrainingData& data, const std::vector<std::uint32_t>& tasks,
                   int selection)
{
    int pages = 1;
    int used = 0;
    for (const std::uint32_t index : tasks) {
        if (index >= data.m_aTasks.size())
            continue;
        const cTask& task = data.m_aTasks[index];
        if (!IncludeInPrint(task, selection))
            continue;
        const int lines = PrintLineCount(task);
        used += lines;
        if (used > kPrintLinesPerPage) {
            ++pages;
            used = lines;
        }
    }
    return pages;
}

cPrintPage LayoutPrintPage(const cTrainingData& data, const std::vector<std::uint32_t>& tasks,
                           const std::string& title, int selection, const cPrintRect& rect,
                           int page, const cTextMeasure& measure)
{
    cPrintPage out;
    const int width = rect.right - rect.left;
    const int textHeight = measure.TextHeight();
    out.title = title;
    const int titleWidth = measure.TitleWidth(title);
    out.titleBox.left = rect.left + (width - titleWidth) / 2;
    out.titleBox.top = rect.top;
    out.titleBox.right = out.titleBox.left + titleWidth;
    out.titleBox.bottom = rect.top + textHeight;

    const int lineHeight = (rect.bottom - rect.top) / kPrintLineSlots;
    int current = 1;
    int used = 1; // line 0 holds the header
    for (const std::uint32_t index : tasks) {
        if (index >= data.m_aTasks.size())
            continue;
        const cTask& task = data.m_aTasks[index];
        if (!IncludeInPrint(task, selection))
            continue;
        const int lines = PrintLineCount(task);
        int start = rect.top + lineHeight * used;
        used += lines;
        int end = rect.top + lineHeight * used;
        if (used - 1 > kPrintLinesPerPage) {
            ++current;
            start = rect.top + lineHeight;
            end = rect.top + lineHeight * (lines + 1);
            used = lines + 1;
        }
        if (current == page)
            out.tasks.push_back({index, {rect.left, start, rect.right, end}});
    }

    out.pageNumber = std::to_string(page);
    const int numberWidth = measure.TextWidth(out.pageNumber);
    out.pageNumberBox.left = rect.left + (width - numberWidth) / 2;
    out.pageNumberBox.top = rect.bottom - textHeight;
    out.pageNumberBox.right = out.pageNumberBox.left + numberWidth;
    out.pageNumberBox.bottom = rect.bottom;
    return out;
}
