// Word wrapping, inclusion and page layout of the printout.

#include "practice/QueryTestSupport.h"

#include <gtest/gtest.h>

using namespace querytest;

namespace {

// Every character is 10 units wide, a line 20 high.
class FixedWidth : public cTextMeasure {
public:
    int TextWidth(const std::string& text) const override { return 10 * static_cast<int>(text.size()); }
    int TextHeight() const override { return 20; }
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

struct Wrap {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};
void PrintTo(const Wrap& c, std::ostream* os) { *os << c.name; }
class PrintWrap : public ::testing::TestWithParam<Wrap> {};

TEST_P(PrintWrap, CutsLines) {
    EXPECT_EQ(Lines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Texts, PrintWrap, ::testing::Values(
    Wrap{"Empty", "", {}},
    Wrap{"OneWord", "Haus", {"Haus"}},
    Wrap{"LongWordUnbroken", std::string(75, 'x'), {std::string(75, 'x')}},
    Wrap{"BreaksAtLastSpaceWithinSeventy",
         std::string(40, 'a') + " " + std::string(25, 'b') + " " + std::string(10, 'c'),
         {std::string(40, 'a') + " " + std::string(25, 'b'), std::string(10, 'c')}},
    Wrap{"ExactlySeventyFits", std::string(69, 'a') + " b", {std::string(69, 'a'), "b"}},
    Wrap{"LineFeedsAndBlankLine", "eins\r\n\r\nzwei", {"eins\r", " ", "zwei"}},
    Wrap{"LeadingBlanksOfNextLineDropped", std::string(66, 'a') + " bb     y",
         {std::string(66, 'a') + " bb", "y"}},
    Wrap{"InnerBlanksStay", std::string(68, 'a') + " x    y", {std::string(68, 'a'), "x    y"}},
    Wrap{"TrailingLineFeed", "eins\n", {"eins"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrintTask, LinesOfQuestionBlankSolutionAndTwoBlanks) {
    cTask t = TextTask("1", "Frage eins\nzwei", "Antwort");
    EXPECT_EQ(PrintLineCount(t), 6);
    EXPECT_EQ(PrintLine(t, 0, 1), "Antwort");
    EXPECT_EQ(PrintLine(t, 1, 1), "");
    EXPECT_EQ(PrintLineCount(TextTask("2", "", "")), 3);
    const std::vector<cPrintTextLine> lines = PrintTaskLines(t, {100, 1000, 900, 1063});
    ASSERT_EQ(lines.size(), 6u);
    std::vector<std::string> texts;
    for (const cPrintTextLine& line : lines)
        texts.push_back(line.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Frage eins", "zwei", "", "Antwort", "", ""}));
    EXPECT_EQ(lines[0].box, (cPrintRect{100, 1000, 900, 1010}));
    EXPECT_EQ(lines[5].box, (cPrintRect{100, 1050, 900, 1060}));
}

struct Include {
    int selection;
    std::uint32_t wrong, right;
    bool printed;
};
void PrintTo(const Include& c, std::ostream* os) {
    *os << "selection " << c.selection << " wrong " << c.wrong << " right " << c.right;
}
class PrintInclusion : public ::testing::TestWithParam<Include> {};

TEST_P(PrintInclusion, FollowsTheSelection) {
    const Include& c = GetParam();
    RecordingPresenter presenter;
    cTask t;
    t.m_nStats[0] = c.wrong;
    t.m_nStats[1] = c.right;
    EXPECT_EQ(IncludeInPrint(t, c.selection), c.printed);
    if (c.selection >= 0 && c.selection <= 2) {
        EXPECT_TRUE(presenter.boxes.empty());
        return;
    }
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].caption, "Fehler   (Fehler #4)");
    EXPECT_EQ(presenter.boxes[0].text, "Unbekannte Druckoption: " + std::to_string(c.selection));
}

INSTANTIATE_TEST_SUITE_P(Selections, PrintInclusion, ::testing::Values(
    Include{0, 0, 0, true}, Include{1, 0, 5, false}, Include{1, 1, 5, true},
    Include{2, 3, 2, true}, Include{2, 2, 2, false}, Include{2, 0, 0, false},
    Include{7, 3, 0, false}, Include{-1, 3, 0, false}));

TEST(PrintPages, TasksOfThirtyThirtyAndTenLinesBreakBeforeTheThird) {
    cTrainingData d;
    d.m_aTasks = {TaskOfLines(30, "1"), TaskOfLines(30, "2"), TaskOfLines(10, "3")};
    const std::vector<std::uint32_t> order = {0, 1, 2};
    EXPECT_EQ(PrintPageCount(d, order, 0), 2);
    const cPrintRect rect{118, 118, 4842, 6662}; // height 6544: 100.67 per line slot
    const FixedWidth measure;
    const cPrintPage one = LayoutPrintPage(d, order, "Titel", 0, rect, 1, measure);
    EXPECT_EQ(one.title, "Titel");
    EXPECT_EQ(one.titleBox, (cPrintRect{118 + (4724 - 50) / 2, 118, 118 + (4724 - 50) / 2 + 50, 138}));
    ASSERT_EQ(one.tasks.size(), 2u);
    EXPECT_EQ(one.tasks[0].task, 0u);
    EXPECT_EQ(one.tasks[0].box, (cPrintRect{118, 118 + 100, 4842, 118 + 100 * 31}));
    EXPECT_EQ(one.tasks[1].box, (cPrintRect{118, 118 + 100 * 31, 4842, 118 + 100 * 61}));
    EXPECT_EQ(one.pageNumber, "1");
    EXPECT_EQ(one.pageNumberBox, (cPrintRect{118 + (4724 - 10) / 2, 6642, 118 + (4724 - 10) / 2 + 10, 6662}));
    const cPrintPage two = LayoutPrintPage(d, order, "Titel", 0, rect, 2, measure);
    ASSERT_EQ(two.tasks.size(), 1u);
    EXPECT_EQ(two.tasks[0].task, 2u);
    EXPECT_EQ(two.tasks[0].box, (cPrintRect{118, 118 + 100, 4842, 118 + 100 * 11}));
    EXPECT_EQ(two.pageNumber, "2");
    EXPECT_TRUE(LayoutPrintPage(d, order, "Titel", 0, rect, 3, measure).tasks.empty());
}

TEST(PrintPages, FilteredTasksTakeNoRoomAndLongTasksStartANewPage) {
    cTrainingData d;
    d.m_aTasks = {TaskOfLines(30, "1"), TaskOfLines(40, "2"), TaskOfLines(30, "3"),
                  TaskOfLines(70, "4")};
    d.m_aTasks[1].m_nStats[1] = 1; // answered right only: left out with selection 1
    for (int i : {0, 2, 3})
        d.m_aTasks[i].m_nStats[0] = 1;
    EXPECT_EQ(PrintPageCount(d, {0, 1, 2}, 1), 1);
    EXPECT_EQ(PrintPageCount(d, {0, 1, 2}, 0), 3);
    // A task of more than 63 lines at the very beginning leaves page 1 empty.
    EXPECT_EQ(PrintPageCount(d, {3}, 0), 2);
    const cPrintRect rect{0, 0, 1000, 6500};
    const FixedWidth measure;
    EXPECT_TRUE(LayoutPrintPage(d, {3}, "T", 0, rect, 1, measure).tasks.empty());
    const cPrintPage two = LayoutPrintPage(d, {3}, "T", 0, rect, 2, measure);
    ASSERT_EQ(two.tasks.size(), 1u);
    EXPECT_EQ(two.tasks[0].box, (cPrintRect{0, 100, 1000, 100 * 71}));
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
    a4.dpiX = 600;
    a4.dpiY = 600;
    a4.physicalWidth = 4960;
    a4.physicalHeight = 7016;
    a4.offsetX = 100;
    a4.offsetY = 120;
    const cPrintRect rect = PrintRectangle(a4);
    EXPECT_EQ(rect, (cPrintRect{136, 116, 4623, 6541}));
    EXPECT_EQ(PrintFontTenths(rect, a4), 685);
}

TEST(PrintPages, QueryPrintsTheOpenListInItsOrder) {
    cTrainingData d = MakeData({TaskOfLines(40, "2"), TaskOfLines(30, "1"), TaskOfLines(30, "3")},
                               {{0, 1, 2}});
    d.m_aColumnTitle = {"Nr"};
    d.m_aColumnWidth = {40};
    d.m_aColumnKind = {0};
    Rig rig(d);
    rig.Q().OpenQuestionnaire(0);
    EXPECT_EQ(rig.Q().PrintPageCount(), 2); // 40 | 30 + 30
    rig.Q().OnColumnClick(0);               // sorted by number: 30 | 40 | 30
    EXPECT_EQ(rig.Q().RowTasks(), (std::vector<std::uint32_t>{1, 0, 2}));
    EXPECT_EQ(rig.Q().PrintPageCount(), 3);
    const FixedWidth measure;
    const cPrintPage one = rig.Q().LayoutPrintPage({0, 0, 1000, 6500}, 1, measure);
    EXPECT_EQ(one.title, "Fragebogen 1");
    ASSERT_EQ(one.tasks.size(), 1u);
    EXPECT_EQ(one.tasks[0].task, 1u);
}
