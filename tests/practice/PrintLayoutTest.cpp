// Word wrapping, inclusion and page layout of the printout.

#include "practice/QueryTestSupport.h"

using namespace querytest;

namespace {

// Every character is 10 units wide, a line 20 high.
class FixedWidth : public cTextMeasure {
public:
    int TextWidth(const std::string& text) const override { return 10 * static_cast<int>(text.size()); }
    int TextHeight() const override { return 20; }
    int TitleWidth(const std::string& text) const override { return 12 * static_cast<int>(text.size()); }
};

// A task that takes exactly lines lines on paper (question lines + 1 solution line + 3).
cTask TaskOfLines(int lines, const std::string& no) {
    std::string question;
    for (int i = 0; i < lines - 4; ++i)
        question += (i ? "\n" : "") + std::string("Zeile ") + std::to_string(i);
    cTask t = TextTask(no, question, "Loesung");
    EXPECT_EQ(PrintLineCount(t), lines);
    return t;
}

// The tasks of a page with their boxes, then the page number: "0@118,218,4842,3218 #1".
std::string Tasks(const cPrintPage& page) {
    std::string text;
    for (const cPrintTaskBox& t : page.tasks)
        text += std::to_string(t.task) + "@" + std::to_string(t.box.left) + "," + std::to_string(t.box.top) +
                "," + std::to_string(t.box.right) + "," + std::to_string(t.box.bottom) + " ";
    return text + "#" + page.pageNumber;
}

std::vector<std::string> Lines(const std::string& text) {
    cTask t;
    t.m_strQuestion = text;
    std::vector<std::string> lines;
    for (int n = 0; n < 100; ++n) {
        std::string line = PrintLine(t, n, 0);
        if (line.empty())
            break;
        lines.push_back(line);
    }
    return lines;
}

} // namespace

// Lines break at the last blank within seventy characters; a longer word stays whole.
TEST(PrintWrap, CutsLines) {
    const std::string a40(40, 'a'), b25(25, 'b'), c10(10, 'c'), a66(66, 'a'), a68(68, 'a'), a69(69, 'a');
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}}, {"Haus", {"Haus"}}, {std::string(75, 'x'), {std::string(75, 'x')}},
        {a40 + " " + b25 + " " + c10, {a40 + " " + b25, c10}}, {a69 + " b", {a69, "b"}},
        {"eins\r\n\r\nzwei", {"eins\r", " ", "zwei"}}, {a66 + " bb     y", {a66 + " bb", "y"}},
        {a68 + " x    y", {a68, "x    y"}}, {"eins\n", {"eins"}}};
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(Lines(text), lines) << text;
}

TEST(PrintTask, LinesOfQuestionBlankSolutionAndTwoBlanks) {
    cTask t = TextTask("1", "Frage eins\nzwei", "Antwort");
    EXPECT_EQ(PrintLineCount(t), 6);
    EXPECT_EQ(PrintLine(t, 0, 1) + "|" + PrintLine(t, 1, 1), "Antwort|");
    EXPECT_EQ(PrintLineCount(TextTask("2", "", "")), 3);
    const std::vector<cPrintTextLine> lines = PrintTaskLines(t, {100, 1000, 900, 1063});
    ASSERT_EQ(lines.size(), 6u);
    std::vector<std::string> texts;
    for (const cPrintTextLine& line : lines)
        texts.push_back(line.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Frage eins", "zwei", "", "Antwort", "", ""}));
    EXPECT_EQ(lines[0].box, (cPrintRect{100, 1000, 900, 1010}));
    EXPECT_EQ(lines[5].box, (cPrintRect{100, 1050, 900, 1060}));
    EXPECT_EQ(lines[3].box, (cPrintRect{140, 1030, 900, 1040})); // the solution stands off
}

// Selection 0 prints all, 1 tasks answered wrong, 2 more often wrong than right; others nothing.
TEST(PrintInclusion, FollowsTheSelection) {
    struct Include { int selection; std::uint32_t wrong, right; bool printed; };
    const Include cases[] = {{0, 0, 0, true}, {1, 0, 5, false}, {1, 1, 5, true}, {2, 3, 2, true},
                             {2, 2, 2, false}, {2, 0, 0, false}, {7, 3, 0, false}, {-1, 3, 0, false}};
    for (const Include& c : cases) {
        SCOPED_TRACE(std::to_string(c.selection) + ":" + std::to_string(c.wrong) + "/" +
                     std::to_string(c.right));
        RecordingPresenter presenter;
        cTask t;
        t.m_nStats[0] = c.wrong; t.m_nStats[1] = c.right;
        EXPECT_EQ(IncludeInPrint(t, c.selection), c.printed);
        const bool known = c.selection >= 0 && c.selection <= 2;
        ASSERT_EQ(presenter.boxes.size(), known ? 0u : 1u);
        if (!known) {
            EXPECT_EQ(presenter.boxes[0].caption, "Fehler   (Fehler #4)");
            EXPECT_EQ(presenter.boxes[0].text, "Unbekannte Druckoption: " + std::to_string(c.selection));
        }
    }
}

TEST(PrintPages, TasksOfThirtyThirtyAndTenLinesBreakBeforeTheThird) {
    cTrainingData d;
    d.m_aTasks = {TaskOfLines(30, "1"), TaskOfLines(30, "2"), TaskOfLines(10, "3")};
    const std::vector<std::uint32_t> order = {0, 1, 2};
    EXPECT_EQ(PrintPageCount(d, order, 0), 2);
    const cPrintRect rect{118, 118, 4842, 6662}; // height 6544: 100.67 per line slot
    const FixedWidth measure;
    const cPrintPage one = LayoutPrintPage(d, order, "Titel", 0, rect, 1, measure);
    // Title (measured bold) and page number centred by their width; a task's box starts a
    // line below the title.
    EXPECT_EQ(one.title, "Titel");
    EXPECT_EQ(one.titleBox, (cPrintRect{118 + (4724 - 60) / 2, 118, 118 + (4724 - 60) / 2 + 60, 138}));
    EXPECT_EQ(Tasks(one), "0@118,218,4842,3218 1@118,3218,4842,6218 #1"); // 100 per line
    EXPECT_EQ(one.pageNumberBox, (cPrintRect{118 + (4724 - 10) / 2, 6642, 118 + (4724 - 10) / 2 + 10, 6662}));
    EXPECT_EQ(Tasks(LayoutPrintPage(d, order, "Titel", 0, rect, 2, measure)), "2@118,218,4842,1218 #2");
    EXPECT_TRUE(LayoutPrintPage(d, order, "Titel", 0, rect, 3, measure).tasks.empty());
}

TEST(PrintPages, FilteredTasksTakeNoRoomAndLongTasksStartANewPage) {
    cTrainingData d;
    d.m_aTasks = {TaskOfLines(30, "1"), TaskOfLines(40, "2"), TaskOfLines(30, "3"), TaskOfLines(70, "4")};
    d.m_aTasks[1].m_nStats[1] = 1; // answered right only: left out with selection 1
    d.m_aTasks[0].m_nStats[0] = d.m_aTasks[2].m_nStats[0] = d.m_aTasks[3].m_nStats[0] = 1;
    EXPECT_EQ(PrintPageCount(d, {0, 1, 2}, 1), 1);
    EXPECT_EQ(PrintPageCount(d, {0, 1, 2}, 0), 3);
    // A task of more than 63 lines at the very beginning leaves page 1 empty.
    EXPECT_EQ(PrintPageCount(d, {3}, 0), 2);
    const cPrintRect rect{0, 0, 1000, 6500};
    const FixedWidth measure;
    EXPECT_EQ(Tasks(LayoutPrintPage(d, {3}, "T", 0, rect, 1, measure)), "#1");
    EXPECT_EQ(Tasks(LayoutPrintPage(d, {3}, "T", 0, rect, 2, measure)), "3@0,100,1000,7100 #2");
}

TEST(PrintPages, UnknownSelectionPrintsNothingAndSays103PerTask) {
    RecordingPresenter presenter;
    cTrainingData d;
    d.m_aTasks = {TaskOfLines(5, "1"), TaskOfLines(5, "2")};
    EXPECT_EQ(PrintPageCount(d, {0, 1}, 3), 1);
    EXPECT_EQ(presenter.boxes.size(), 2u);
}

TEST(PrintPages, RectangleAndFontFromThePrinterMetrics) {
    cPrintDevice a4;
    a4.dpiX = 600; a4.dpiY = 600; a4.physicalWidth = 4960; a4.physicalHeight = 7016;
    a4.offsetX = 100; a4.offsetY = 120;
    const cPrintRect rect = PrintRectangle(a4);
    EXPECT_EQ(rect, (cPrintRect{136, 116, 4623, 6541}));
    EXPECT_EQ(PrintFontTenths(rect, a4), 685);
}

TEST(PrintPages, QueryPrintsTheOpenListInItsOrder) {
    cTrainingData d =
        MakeData({TaskOfLines(40, "2"), TaskOfLines(30, "1"), TaskOfLines(30, "3")}, {{0, 1, 2}});
    d.m_aColumnTitle = {"Nr"}; d.m_aColumnWidth = {40}; d.m_aColumnKind = {0};
    Rig rig(d);
    rig.Q().OpenQuestionnaire(0);
    EXPECT_EQ(rig.Q().PrintPageCount(), 2); // 40 | 30 + 30
    rig.Q().OnColumnClick(0);               // sorted by number: 30 | 40 | 30
    EXPECT_EQ(rig.Q().RowTasks(), (std::vector<std::uint32_t>{1, 0, 2}));
    EXPECT_EQ(rig.Q().PrintPageCount(), 3);
    const FixedWidth measure;
    const cPrintPage one = rig.Q().LayoutPrintPage({0, 0, 1000, 6500}, 1, measure);
    EXPECT_EQ(one.title, "Fragebogen 1");
    EXPECT_EQ(Tasks(one), "1@0,100,1000,3100 #1");
    // A search prints the rows found and says so.
    rig.Q().SetSearchText(W("Lösung"));
    const cPrintPage found = rig.Q().LayoutPrintPage({0, 0, 1000, 6500}, 1, measure);
    EXPECT_EQ(found.title, W("Fragebogen 1 – Suche: Lösung, 3 Aufgaben"));
    rig.Q().SetSearchText("Zeile 30");
    EXPECT_EQ(rig.Q().LayoutPrintPage({0, 0, 1000, 6500}, 1, measure).title,
              W("Fragebogen 1 – Suche: Zeile 30, 1 Aufgabe"));
}
