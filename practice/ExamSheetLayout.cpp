// Layout of exam sheets and their key: header, numbered tasks with their answer room,
// page breaks between tasks, and the footers.

#include "practice/ExamSheet.h"

#include "base/Cp1252.h"

#include <algorithm>

namespace {

using Style = cSheetItem::Style;
using Align = cSheetItem::Align;

// One row of a block: it never breaks. Item positions are relative to the row's top.
struct cRow {
    int height = 0;
    std::vector<cSheetItem> items;
};

struct cBlock {
    std::vector<cRow> rows;
    [[nodiscard]] int Height() const
    {
        int h = 0;
        for (const cRow& row : rows)
            h += row.height;
        return h;
    }
};

cSheetItem TextItem(int left, int top, int right, int height, std::string text,
                    Style style = cSheetItem::Normal, Align align = cSheetItem::Left)
{
    cSheetItem item;
    item.kind = cSheetItem::Text;
    item.style = style;
    item.align = align;
    item.box = {left, top, right, top + height};
    item.text = std::move(text);
    return item;
}

cSheetItem Shape(cSheetItem::Kind kind, const cPrintRect& box)
{
    cSheetItem item;
    item.kind = kind;
    item.box = box;
    return item;
}

// Places blocks on pages, top to bottom; a block that does not fit starts a new page.
class cPager {
public:
    cPager(cSheetDocument& doc, const cPrintRect& rect, int footer)
        : m_doc(doc), m_top(rect.top), m_bottom(rect.bottom - footer)
    {
    }

    void NewPage()
    {
        m_doc.pages.emplace_back();
        m_y = m_top;
        m_bFull = false;
    }

    void Place(const cBlock& block, int gapAfter)
    {
        const int height = block.Height();
        if (m_bFull || (m_y > m_top && m_y + height > m_bottom))
            NewPage();
        if (height <= m_bottom - m_top) {
            for (const cRow& row : block.rows)
                Put(row);
        } else {
            // Taller than a page: it runs on over pages of its own, between rows.
            for (const cRow& row : block.rows) {
                if (m_y > m_top && m_y + row.height > m_bottom)
                    NewPage();
                Put(row);
            }
            m_bFull = true;
        }
        m_y += gapAfter;
    }

private:
    void Put(const cRow& row)
    {
        for (cSheetItem item : row.items) {
            item.box.top += m_y;
            item.box.bottom += m_y;
            m_doc.pages.back().items.push_back(std::move(item));
        }
        m_y += row.height;
    }

    cSheetDocument& m_doc;
    int m_top;
    int m_bottom;
    int m_y = 0;
    bool m_bFull = false;
};

class cLayout {
public:
    cLayout(const cTrainingData& data, const cExamSheet& sheet, const cPrintRect& rect,
            const cSheetMeasure& measure)
        : m_data(data), m_sheet(sheet), m_rect(rect), m_measure(measure),
          m_line(std::max(1, measure.LineHeight(cSheetItem::Normal)))
    {
        m_textLeft = rect.left + measure.TextWidth("000.", cSheetItem::Bold) + m_line / 2;
        m_textRight = rect.right;
        if (sheet.options.m_bPoints)
            m_textRight -= measure.TextWidth(ExamPointsText(8), cSheetItem::Normal) + m_line / 2;
        m_textRight = std::max(m_textRight, m_textLeft + m_line);
    }

    cSheetDocument Run()
    {
        cSheetDocument doc;
        cPager pager(doc, m_rect, 2 * m_line);
        for (const cExamVariant& variant : m_sheet.variants) {
            const std::size_t first = doc.pages.size();
            pager.NewPage();
            pager.Place(SheetHeader(variant), m_line);
            int number = 0;
            for (const cExamEntry& entry : variant.entries)
                pager.Place(SheetTask(entry, ++number), m_line);
            Footers(doc, first, variant.name);
        }
        doc.keyPage = doc.pages.size();
        if (m_sheet.options.m_nKey == ExamKeyNone)
            return doc;
        for (const cExamVariant& variant : m_sheet.variants) {
            const std::size_t first = doc.pages.size();
            pager.NewPage();
            pager.Place(KeyHeader(variant), m_line);
            int number = 0;
            for (const cExamEntry& entry : variant.entries)
                pager.Place(KeyTask(entry, ++number), m_line / 2);
            Footers(doc, first, variant.name.empty() ? Cp1252FromUtf8("Lösungsbogen")
                                                     : Cp1252FromUtf8("Lösungsbogen – ") + variant.name);
        }
        return doc;
    }

private:
    int Width(const std::string& text, Style style) const { return m_measure.TextWidth(text, style); }

    // Centred lines of one text, wrapped to the page width.
    void Centred(cBlock& block, const std::string& text, Style style) const
    {
        const int height = m_measure.LineHeight(style);
        for (std::string& line : WrapToWidth(text, m_rect.right - m_rect.left, style, m_measure))
            block.rows.push_back(
                {height, {TextItem(m_rect.left, 0, m_rect.right, height, std::move(line), style,
                                   cSheetItem::Centre)}});
    }

    // A label with a line to write on, from left to right.
    void Field(cRow& row, int left, int right, const char* label) const
    {
        const std::string text = label;
        const int labelRight = left + Width(text, cSheetItem::Normal);
        row.items.push_back(TextItem(left, m_line, labelRight, m_line, text));
        const int y = 2 * m_line - m_line / 5;
        row.items.push_back(Shape(cSheetItem::Rule, {labelRight + m_line / 3, y, right, y}));
    }

    void TotalAndSeparator(cBlock& block) const
    {
        if (!m_sheet.totalLine.empty())
            block.rows.push_back({m_line, {TextItem(m_rect.left, 0, m_rect.right, m_line,
                                                    m_sheet.totalLine)}});
        const int y = m_line * 2 / 3;
        block.rows.push_back({m_line, {Shape(cSheetItem::Rule, {m_rect.left, y, m_rect.right, y})}});
    }

    cBlock SheetHeader(const cExamVariant& variant) const
    {
        const cExamSheetOptions& o = m_sheet.options;
        cBlock block;
        Centred(block, o.m_strTitle, cSheetItem::Heading);
        if (!variant.name.empty())
            Centred(block, variant.name, cSheetItem::Bold);
        if (o.m_bNameLine) {
            cRow row{2 * m_line, {}};
            Field(row, m_rect.left, m_rect.right, "Name:");
            block.rows.push_back(std::move(row));
        }
        if (o.m_bDateLine || o.m_bClassLine) {
            cRow row{2 * m_line, {}};
            const int middle = (m_rect.left + m_rect.right) / 2;
            int left = m_rect.left;
            if (o.m_bDateLine) {
                Field(row, left, middle - m_line, "Datum:");
                left = middle;
            }
            if (o.m_bClassLine)
                Field(row, left, left == m_rect.left ? middle - m_line : m_rect.right, "Klasse:");
            block.rows.push_back(std::move(row));
        }
        block.rows.push_back({m_line / 2, {}});
        TotalAndSeparator(block);
        return block;
    }

    cBlock KeyHeader(const cExamVariant& variant) const
    {
        cBlock block;
        Centred(block, Cp1252FromUtf8("Lösungsbogen"), cSheetItem::Heading);
        Centred(block, m_sheet.options.m_strTitle, cSheetItem::Bold);
        std::string line = "Startwert " + std::to_string(m_sheet.options.m_nSeed);
        if (!variant.name.empty())
            line = variant.name + Cp1252FromUtf8(" – ") + line;
        Centred(block, line, cSheetItem::Normal);
        block.rows.push_back({m_line / 2, {}});
        TotalAndSeparator(block);
        return block;
    }

    // The number (which marks the task) and the points, on the first row of a task.
    void Mark(cRow& row, std::uint32_t task, int number) const
    {
        cSheetItem item = TextItem(m_rect.left, 0, m_textLeft, m_line, std::to_string(number) + ".",
                                   cSheetItem::Bold);
        item.task = task;
        row.items.insert(row.items.begin(), std::move(item));
        if (m_sheet.options.m_bPoints)
            row.items.push_back(TextItem(m_textRight, 0, m_rect.right, m_line,
                                         ExamPointsText(m_data.m_aTasks[task].m_nPoints),
                                         cSheetItem::Normal, cSheetItem::Right));
    }

    // The answers of a multiple-choice task in the entry's order, each with its box,
    // ticked when right and tick is set.
    void Choices(cBlock& block, const cExamEntry& entry, bool tick) const
    {
        const cTask& task = m_data.m_aTasks[entry.task];
        const int side = m_line * 7 / 10;
        const int textLeft = m_textLeft + side + m_line / 2;
        for (const int slot : entry.choices) {
            std::vector<std::string> lines =
                WrapToWidth(task.m_strChoice[slot], m_textRight - textLeft, cSheetItem::Normal, m_measure);
            if (lines.empty())
                lines.emplace_back();
            for (std::size_t i = 0; i < lines.size(); ++i) {
                cRow row{m_line, {TextItem(textLeft, 0, m_textRight, m_line, std::move(lines[i]))}};
                if (i == 0) {
                    const cPrintRect box{m_textLeft, (m_line - side) / 2, m_textLeft + side,
                                         (m_line - side) / 2 + side};
                    row.items.push_back(Shape(cSheetItem::Box, box));
                    if (tick && task.m_bChoiceRight[static_cast<std::size_t>(slot)])
                        row.items.push_back(Shape(cSheetItem::Tick, box));
                }
                block.rows.push_back(std::move(row));
            }
            block.rows.back().height += m_line / 4;
        }
    }

    cBlock SheetTask(const cExamEntry& entry, int number) const
    {
        const cTask& task = m_data.m_aTasks[entry.task];
        int textRight = m_textRight;
        int pictureWidth = 0;
        int pictureHeight = 0;
        if (!task.m_strPicture.empty()) {
            const auto [w, h] = m_measure.PictureSize(task.m_strPicture);
            if (w > 0 && h > 0) {
                pictureWidth = (m_textRight - m_textLeft) / 3;
                pictureHeight = static_cast<int>(static_cast<long long>(pictureWidth) * h / w);
                if (pictureHeight > 8 * m_line) {
                    pictureHeight = 8 * m_line;
                    pictureWidth = static_cast<int>(static_cast<long long>(pictureHeight) * w / h);
                }
                textRight -= pictureWidth + m_line / 2;
            }
        }
        std::vector<std::string> question =
            WrapToWidth(task.m_strQuestion, textRight - m_textLeft, cSheetItem::Normal, m_measure);
        if (question.empty())
            question.emplace_back();

        cBlock block;
        // The lines beside the picture share one row with it, so that no page break cuts it.
        const std::size_t beside =
            pictureHeight > 0 ? static_cast<std::size_t>((pictureHeight + m_line - 1) / m_line) : 1;
        cRow first;
        for (std::size_t i = 0; i < question.size(); ++i) {
            cSheetItem line = TextItem(m_textLeft, 0, textRight, m_line, std::move(question[i]));
            if (i < beside) {
                line.box.top = static_cast<int>(i) * m_line;
                line.box.bottom = line.box.top + m_line;
                first.items.push_back(std::move(line));
            } else {
                block.rows.push_back({m_line, {std::move(line)}});
            }
        }
        first.height = std::max(static_cast<int>(std::min(beside, question.size())) * m_line, pictureHeight);
        if (pictureHeight > 0) {
            cSheetItem picture =
                Shape(cSheetItem::Picture, {m_textRight - pictureWidth, 0, m_textRight, pictureHeight});
            picture.text = task.m_strPicture;
            first.items.push_back(std::move(picture));
        }
        Mark(first, entry.task, number);
        block.rows.insert(block.rows.begin(), std::move(first));
        block.rows.push_back({m_line / 3, {}});

        if (!entry.choices.empty()) {
            Choices(block, entry, false);
        } else {
            const int height = m_line * 8 / 5;
            for (int i = ExamRuleCount(task.m_strSolution); i > 0; --i)
                block.rows.push_back({height, {Shape(cSheetItem::Rule,
                                                     {m_textLeft, height - 1, m_rect.right, height - 1})}});
        }
        return block;
    }

    cBlock KeyTask(const cExamEntry& entry, int number) const
    {
        const cTask& task = m_data.m_aTasks[entry.task];
        const int width = m_textRight - m_textLeft;
        cBlock block;
        for (std::string& line : WrapToWidth(task.m_strSolution, width, cSheetItem::Normal, m_measure))
            block.rows.push_back({m_line, {TextItem(m_textLeft, 0, m_textRight, m_line, std::move(line))}});
        const std::vector<std::string> alternatives = ExamAlternatives(task);
        if (!alternatives.empty()) {
            std::string text = "auch richtig: ";
            for (std::size_t i = 0; i < alternatives.size(); ++i)
                text += (i ? "; " : "") + alternatives[i];
            for (std::string& line : WrapToWidth(text, width, cSheetItem::Normal, m_measure))
                block.rows.push_back(
                    {m_line, {TextItem(m_textLeft, 0, m_textRight, m_line, std::move(line))}});
        }
        Choices(block, entry, true);
        if (block.rows.empty())
            block.rows.push_back({m_line, {}});
        Mark(block.rows.front(), entry.task, number);
        return block;
    }

    // "Gruppe A – Seite 1 von 3" centred at the bottom of each page of a section.
    void Footers(cSheetDocument& doc, std::size_t first, const std::string& name) const
    {
        const std::size_t count = doc.pages.size() - first;
        for (std::size_t i = 0; i < count; ++i) {
            std::string text = "Seite " + std::to_string(i + 1) + " von " + std::to_string(count);
            if (!name.empty())
                text = name + Cp1252FromUtf8(" – ") + text;
            doc.pages[first + i].items.push_back(TextItem(m_rect.left, m_rect.bottom - m_line,
                                                          m_rect.right, m_line, std::move(text),
                                                          cSheetItem::Normal, cSheetItem::Centre));
        }
    }

    const cTrainingData& m_data;
    const cExamSheet& m_sheet;
    cPrintRect m_rect;
    const cSheetMeasure& m_measure;
    int m_line;
    int m_textLeft = 0;
    int m_textRight = 0;
};

// The longest start of word that fits width (at least one character).
std::size_t FittingPrefix(const std::string& word, int width, Style style, const cSheetMeasure& measure)
{
    std::size_t n = 1;
    while (n < word.size() && measure.TextWidth(word.substr(0, n + 1), style) <= width)
        ++n;
    return n;
}

} // namespace

std::vector<std::string> WrapToWidth(const std::string& text, int width, Style style,
                                     const cSheetMeasure& measure)
{
    std::vector<std::string> lines;
    const int space = measure.TextWidth(" ", style);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line;
        int lineWidth = 0;
        std::size_t p = start;
        while (p < end) {
            if (text[p] == ' ' || text[p] == '\t' || text[p] == '\r') {
                ++p;
                continue;
            }
            std::size_t q = p;
            while (q < end && text[q] != ' ' && text[q] != '\t' && text[q] != '\r')
                ++q;
            std::string word = text.substr(p, q - p);
            p = q;
            int wordWidth = measure.TextWidth(word, style);
            if (!line.empty() && lineWidth + space + wordWidth <= width) {
                line += ' ';
                line += word;
                lineWidth += space + wordWidth;
                continue;
            }
            if (!line.empty())
                lines.push_back(std::move(line));
            // A word wider than a line is cut where it must be.
            while (wordWidth > width && word.size() > 1) {
                const std::size_t n = FittingPrefix(word, width, style, measure);
                lines.push_back(word.substr(0, n));
                word.erase(0, n);
                wordWidth = measure.TextWidth(word, style);
            }
            line = std::move(word);
            lineWidth = wordWidth;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

cSheetDocument LayoutExamSheet(const cTrainingData& data, const cExamSheet& sheet,
                               const cPrintRect& rect, const cSheetMeasure& measure)
{
    return cLayout(data, sheet, rect, measure).Run();
}
