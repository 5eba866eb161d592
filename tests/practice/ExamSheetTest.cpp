// Exam sheets: variants drawn and shuffled per seed, the key's texts, and the pages of
// sheets and key (no task broken across pages, tall tasks alone, the key in the order of
// its sheet).

#include "common/TaskBuilders.h"
#include "practice/ExamSheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

using testdata::W;

// Every character 10 units wide, lines 10 high (headings 20); pictures 2:1.
class FakeMeasure : public cSheetMeasure {
public:
    int TextWidth(const std::string& text, cSheetItem::Style) const override { return 10 * int(text.size()); }
    int LineHeight(cSheetItem::Style style) const override { return style == cSheetItem::Heading ? 20 : 10; }
    std::pair<int, int> PictureSize(const std::string& name) const override
    {
        return name == "bild.png" ? std::pair(200, 100) : std::pair(0, 0);
    }
};

// 30 tasks: text tasks with solutions of growing length, every fifth multiple choice,
// task 7 with a solution long enough to fill more than a page, task 3 with a picture.
cTrainingData MakeData(bool tall = true)
{
    cTrainingData data;
    cQuestionnaire q;
    q.m_strTitle = "Test";
    for (int i = 0; i < 30; ++i) {
        cTask t = testdata::TextTask(std::to_string(i + 1), "Frage " + std::to_string(i + 1) + " lautet so",
                                     "Loesung" + std::to_string(i + 1) + std::string(i * 7, 'x'), i % 4);
        if (i == 7 && tall)
            t.m_strSolution.append(8000, 'y');
        if (i == 3)
            t.m_strPicture = "bild.png";
        if (i % 5 == 0) {
            t.m_nType = TaskTypeMultipleChoice;
            t.m_nChoiceCount = 4;
            for (int c = 0; c < 4; ++c)
                t.m_strChoice[c] = "Wahl" + std::to_string(i) + "_" + std::to_string(c);
            t.m_bChoiceRight[1] = t.m_bChoiceRight[3] = true;
        }
        data.m_aTasks.push_back(t);
        q.m_aTaskIndex.push_back(std::uint32_t(i));
    }
    data.m_aQuestionnaires.push_back(q);
    return data;
}

std::vector<std::uint32_t> Tasks(const cExamVariant& v)
{
    std::vector<std::uint32_t> out;
    for (const cExamEntry& e : v.entries)
        out.push_back(e.task);
    return out;
}

} // namespace

TEST(ExamSheet, VariantsArePermutationsStablePerSeed)
{
    const cTrainingData data = MakeData();
    cExamSheetOptions o;
    o.m_nSeed = 4711;
    cExamSheet one, three, again, other;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, one));
    // One variant in list order, unnamed.
    EXPECT_EQ(Tasks(one.variants.at(0)), data.m_aQuestionnaires[0].m_aTaskIndex);
    EXPECT_EQ(one.variants[0].name, "");
    EXPECT_EQ(one.variants[0].entries[0].choices, (std::vector<int>{0, 1, 2, 3}));
    o.m_nVariants = 3;
    o.m_nTaskCount = 12;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, three));
    ASSERT_TRUE(MakeExamSheet(data, 0, o, again));
    ASSERT_EQ(three.variants.size(), 3u);
    std::set<std::vector<std::uint32_t>> orders;
    for (std::size_t v = 0; v < 3; ++v) {
        SCOPED_TRACE(v);
        EXPECT_EQ(three.variants[v].name, std::string("Gruppe ") + char('A' + v));
        EXPECT_EQ(three.variants[v].entries, again.variants[v].entries);
        std::vector<std::uint32_t> sorted = Tasks(three.variants[v]);
        orders.insert(sorted);
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted.size(), 12u);
        std::vector<std::uint32_t> first = Tasks(three.variants[0]);
        std::sort(first.begin(), first.end());
        EXPECT_EQ(sorted, first); // the same tasks in every variant
        for (const cExamEntry& e : three.variants[v].entries) {
            std::vector<int> choices = e.choices;
            std::sort(choices.begin(), choices.end());
            EXPECT_EQ(choices, e.task % 5 == 0 ? std::vector<int>({0, 1, 2, 3}) : std::vector<int>());
        }
    }
    EXPECT_EQ(orders.size(), 3u);
    // A variant does not depend on how many follow it; another seed gives other sheets.
    o.m_nVariants = 2;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, other));
    EXPECT_EQ(other.variants[1].entries, three.variants[1].entries);
    o.m_nSeed = 4712;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, other));
    EXPECT_NE(Tasks(other.variants[0]), Tasks(three.variants[0]));
    // No questionnaire, or an empty one, gives no sheet.
    EXPECT_FALSE(MakeExamSheet(data, 1, o, other));
    cTrainingData empty = data;
    empty.m_aQuestionnaires[0].m_aTaskIndex.clear();
    EXPECT_FALSE(MakeExamSheet(empty, 0, o, other));
}

TEST(ExamSheet, TextsOfPointsRulesAndAlternatives)
{
    cTrainingData data = MakeData();
    cExamSheetOptions o;
    cExamSheet s;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, s));
    EXPECT_EQ(s.totalPoints, 43);
    EXPECT_EQ(s.totalLine, "Insgesamt 43 Punkte");
    cQuestionnaire& q = data.m_aQuestionnaires[0];
    q.m_nExamSeconds = 0;
    q.m_nPassPoints = 30;
    q.m_nRetakePoints = 20;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, s));
    EXPECT_EQ(s.totalLine, W("Bestanden ab 30 von 43 Punkten, Nachprüfung ab 20 Punkten"));
    q.m_nRetakePoints = 30;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, s));
    EXPECT_EQ(s.totalLine, "Bestanden ab 30 von 43 Punkten");
    o.m_bPoints = false;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, s));
    EXPECT_EQ(s.totalLine, "");
    EXPECT_EQ(ExamPointsText(1) + ExamPointsText(0) + ExamPointsText(8), "(1 Punkt)(0 Punkte)(8 Punkte)");

    for (const auto& [solution, rules] : std::vector<std::pair<std::string, int>>{
             {"", 2}, {std::string(80, 'a'), 2}, {std::string(81, 'a'), 3},
             {"a\r\nb\r\nc", 3}, {std::string(45, 'a') + "\r\n\r\n  b  ", 3}, {std::string(400, 'a'), 10}}) {
        SCOPED_TRACE(solution);
        EXPECT_EQ(ExamRuleCount(solution), rules);
    }

    cTask t = testdata::TextTask("1", "?", "House");
    t.m_nPatternCount = 3;
    t.m_strPattern[0] = "slot null";
    t.m_strPattern[1] = "house|the house| a house ||";
    t.m_strPattern[2] = "The House|home";
    EXPECT_EQ(ExamAlternatives(t), (std::vector<std::string>{"the house", "a house", "home"}));
}

TEST(ExamSheet, WrapsToWidth)
{
    const FakeMeasure m;
    EXPECT_EQ(WrapToWidth("eins zwei drei vier", 100, cSheetItem::Normal, m),
              (std::vector<std::string>{"eins zwei", "drei vier"}));
    EXPECT_EQ(WrapToWidth("a\r\n\r\nb\r\n", 100, cSheetItem::Normal, m),
              (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(WrapToWidth("abcdefghijklmnopqrstuvwxyz x", 100, cSheetItem::Normal, m),
              (std::vector<std::string>{"abcdefghij", "klmnopqrst", "uvwxyz x"}));
}

// The whole document for two variants with key: every task's items stay on its page, a
// tall task has its pages to itself, rules follow the solution's length, pictures sit
// beside the question, no solution is on a sheet, and the key follows its sheet.
TEST(ExamSheet, PagesKeepTasksWholeAndKeyFollowsSheet)
{
    const cTrainingData data = MakeData();
    cExamSheetOptions o;
    o.m_strTitle = "Test";
    o.m_nVariants = 2;
    o.m_nSeed = 99;
    cExamSheet sheet;
    ASSERT_TRUE(MakeExamSheet(data, 0, o, sheet));
    const cPrintRect rect{0, 0, 1000, 1500};
    const cSheetDocument doc = LayoutExamSheet(data, sheet, rect, FakeMeasure());
    ASSERT_GT(doc.keyPage, 3u);
    ASSERT_LT(doc.keyPage, doc.pages.size());

    std::vector<std::uint32_t> sheetOrder, keyOrder;
    std::map<std::uint32_t, int> rules;
    std::int64_t current = -1;
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        SCOPED_TRACE(p);
        const bool key = p >= doc.keyPage;
        const std::vector<cSheetItem>& items = doc.pages[p].items;
        ASSERT_GE(items.size(), 2u);
        // A page opens a section (its heading first) or a task, or goes on with the tall one.
        if (items.front().style == cSheetItem::Heading)
            current = -1;
        else
            EXPECT_TRUE(items.front().task >= 0 || (current == 7 && !key)) << items.front().text;
        std::vector<std::uint32_t> marks;
        for (std::size_t i = 0; i + 1 < items.size(); ++i) { // the last one is the footer
            const cSheetItem& item = items[i];
            EXPECT_GE(item.box.top, rect.top);
            EXPECT_LE(item.box.bottom, rect.bottom - 20);
            if (item.task >= 0) {
                current = item.task;
                marks.push_back(std::uint32_t(item.task));
            }
            if (item.kind == cSheetItem::Rule && current >= 0 && !key)
                ++rules[std::uint32_t(current)];
            if (item.kind == cSheetItem::Picture) {
                EXPECT_EQ(current, 3);
                EXPECT_EQ(item.box.bottom - item.box.top, (item.box.right - item.box.left) / 2);
            }
            EXPECT_TRUE(key || item.text.find("Loesung") == std::string::npos) << item.text;
        }
        EXPECT_NE(items.back().text.find(" von "), std::string::npos);
        // The tall task's pages hold nothing else.
        const bool goesOn = items.front().task < 0 && items.front().style != cSheetItem::Heading;
        if (!key && (goesOn || std::find(marks.begin(), marks.end(), 7u) != marks.end())) {
            EXPECT_EQ(marks, goesOn ? std::vector<std::uint32_t>{} : std::vector<std::uint32_t>{7});
        }
        (key ? keyOrder : sheetOrder).insert((key ? keyOrder : sheetOrder).end(), marks.begin(), marks.end());
    }
    std::vector<std::uint32_t> expected = Tasks(sheet.variants[0]);
    const std::vector<std::uint32_t> second = Tasks(sheet.variants[1]);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(sheetOrder, expected);
    EXPECT_EQ(keyOrder, expected);
    for (const auto& [task, count] : rules)
        EXPECT_EQ(count, task % 5 == 0 ? 0 : 2 * ExamRuleCount(data.m_aTasks[task].m_strSolution)) << task;
    EXPECT_EQ(rules.size(), 24u);
}
