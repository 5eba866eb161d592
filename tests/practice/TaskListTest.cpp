// Cell texts, statistics images, sorting and searching of the task list, and what is read aloud.

#include "practice/QueryTestSupport.h"
#include "practice/Speech.h"
#include "practice/TaskList.h"
#include "practice/TaskSearch.h"

using namespace querytest;

TEST(TaskListImages, StatisticsImageIndexesTheTriangle) {
    struct Case { int points; std::vector<std::uint32_t> stats; int image; };
    const Case cases[] = {
        {1, {0, 0}, 0}, {1, {0, 4}, 1}, {1, {3, 0}, 66},        // never answered, only right, only wrong
        {1, {1, 2}, 10}, {3, {1, 0, 0, 1}, 21}, {2, {1, 1, 1}, 32}, // one wrong two right, halves, thirds
        {3, {0, 2, 5, 0}, 56}, {3, {0, 0, 0, 9}, 1},                // only partly right, only right of three
        {1, {0, 1, 7}, 1},                     // counters above the points are ignored
        {2, {4000000000u, 0, 4000000000u}, 21}}; // huge counters do not overflow
    for (const Case& c : cases) {
        cTask t;
        t.m_nPoints = static_cast<std::uint8_t>(c.points);
        std::copy(c.stats.begin(), c.stats.end(), t.m_nStats.begin());
        EXPECT_EQ(StatisticsImage(t), c.image) << c.points << " points, image " << c.image;
    }
}

TEST(TaskListCells, TextByColumnKind) {
    cTask t = TextTask("12", "Frage?", "Antwort", 3);
    t.m_strPattern[1] = "a|b"; t.m_strCategory = "Recht"; t.m_nStats = {2, 1, 4, 5};
    std::string cells;
    for (const int kind : std::initializer_list<int>{ColumnTaskNo, ColumnPoints, ColumnQuestion,
                                                     ColumnSolution, ColumnPattern, ColumnCategory,
                                                     ColumnStatistics, 7})
        cells += TaskCellText(t, kind) + "|";
    EXPECT_EQ(cells, "12|3|Frage?|Antwort|a|b|Recht| 5 /  5 /  2||");
    EXPECT_EQ(PointsEntryText(1) + "/" + PointsEntryText(2), "1 Punkt/2 Punkte");
}

TEST(TaskListCells, ExamAnswerStateOfTextAndChoiceTasks) {
    cTask text = TextTask("1", "q", "a"), choice = ChoiceTask("2", {"a", "b"}, {true, false});
    EXPECT_FALSE(HasExamAnswer(text));
    text.m_strAnswer = " ";
    EXPECT_TRUE(HasExamAnswer(text));
    choice.m_strAnswer = "ignored";
    EXPECT_FALSE(HasExamAnswer(choice));
    choice.m_bChoiceTicked[2] = true; // beyond the task's answers
    EXPECT_FALSE(HasExamAnswer(choice));
    choice.m_bChoiceTicked[1] = true;
    EXPECT_TRUE(HasExamAnswer(choice));
}

TEST(TaskListSort, KeysPadNumbersAndSpellOutUmlauts) {
    EXPECT_EQ(SortKey("7", ColumnTaskNo, true), "00000000007");
    EXPECT_EQ(SortKey("", ColumnTaskNo, true), "09999999999");
    EXPECT_EQ(SortKey("", ColumnTaskNo, false), "");
    EXPECT_EQ(SortKey("123456789012", ColumnTaskNo, true), "123456789012");
    EXPECT_EQ(SortKey("7", ColumnQuestion, true), "7");
    EXPECT_EQ(FoldForSort(W("ÄÖÜäöüß Straße")), "aeoeueaeoeuess strasse");
}

namespace {

// Rows in the order of the column after sorting.
std::vector<std::string> Column(cQuery& q, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < q.RowCount(); ++row)
        cells.push_back(q.CellText(row, column));
    return cells;
}

cTrainingData SortData() {
    cTrainingData d = MakeData({TextTask("12", "Birnen", "x"), TextTask("", W("Äpfel"), "x"),
                                TextTask("7", "Adler", "x"), TextTask("100", "adler", "x")},
                               {{0, 1, 2, 3}, {3}});
    d.m_aColumnTitle = {"Nr", "Frage"}; d.m_aColumnWidth = {40, 300};
    d.m_aColumnKind = {ColumnTaskNo, ColumnQuestion};
    return d;
}

} // namespace

TEST(TaskListSort, ColumnClicksSortAndFlip) {
    Rig rig(SortData());
    rig.Ask(2); rig.Q().OnBack(); // "Adler" is current
    rig.Q().OnColumnClick(0);
    EXPECT_TRUE(rig.Q().SortAscending());
    EXPECT_EQ(Column(rig.Q(), 0), (std::vector<std::string>{"7", "12", "100", ""}));
    EXPECT_EQ(rig.Q().CurrentRow(), 0);
    EXPECT_EQ(rig.Q().TaskOfRow(0), 2);
    rig.Q().OnColumnClick(0);
    EXPECT_FALSE(rig.Q().SortAscending());
    EXPECT_EQ(Column(rig.Q(), 0), (std::vector<std::string>{"100", "12", "7", ""}));
    EXPECT_EQ(rig.Q().CurrentRow(), 2);
    rig.Q().OnColumnClick(1);
    EXPECT_TRUE(rig.Q().SortAscending());
    EXPECT_EQ(Column(rig.Q(), 1), (std::vector<std::string>{"adler", "Adler", W("Äpfel"), "Birnen"}));
    EXPECT_EQ(rig.Q().SortColumn(), 1);
    EXPECT_NE(rig.host.changes & ChangeRows, 0u);
}

TEST(TaskListSort, OpeningAnotherQuestionnaireMakesTheNextClickAscending) {
    Rig rig(SortData());
    rig.Q().OpenFromOverview(0); rig.Q().OnColumnClick(1); rig.Q().OnColumnClick(1);
    EXPECT_FALSE(rig.Q().SortAscending());
    rig.Q().OnBack(); rig.Q().OpenFromOverview(0); // the same questionnaire keeps the direction
    EXPECT_FALSE(rig.Q().SortAscending());
    rig.Q().OnColumnClick(1);
    EXPECT_TRUE(rig.Q().SortAscending());
    rig.Q().OnBack(); rig.Q().OpenFromOverview(1);
    EXPECT_FALSE(rig.Q().SortAscending());
    rig.Q().OnBack(); rig.Q().OpenFromOverview(0);
    rig.Q().OnColumnClick(1); // remembered column: flips from descending to ascending
    EXPECT_TRUE(rig.Q().SortAscending());
    EXPECT_EQ(rig.Q().CellText(0, 1), "Adler");
}

struct SortCase {
    const char* name;
    std::vector<std::string> questions; // UTF-8
};
void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }
class SortOrder : public ::testing::TestWithParam<SortCase> {};

// The rows come out in the byte order of their folded keys, equal keys in list order, in
// both directions; checked against a plain stable sort of the keys.
TEST_P(SortOrder, MatchesAByteWiseStableSortOfTheKeys) {
    std::vector<cTask> tasks;
    std::vector<std::uint32_t> list;
    for (std::size_t i = 0; i < GetParam().questions.size(); ++i) {
        tasks.push_back(TextTask(std::to_string(i + 1), W(GetParam().questions[i].c_str()), "x"));
        list.push_back(static_cast<std::uint32_t>(i));
    }
    cTrainingData d = MakeData(tasks, {list});
    d.m_aColumnTitle = {"Frage"}; d.m_aColumnWidth = {300}; d.m_aColumnKind = {ColumnQuestion};
    Rig rig(d);
    for (const bool ascending : {true, false}) {
        rig.Q().OpenQuestionnaire(0);
        std::vector<std::uint32_t> expected = list;
        std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
            const std::string ka = SortKey(tasks[a].m_strQuestion, ColumnQuestion, ascending),
                              kb = SortKey(tasks[b].m_strQuestion, ColumnQuestion, ascending);
            return ascending ? ka < kb : kb < ka;
        });
        rig.Q().SortTaskList(0, ascending);
        EXPECT_EQ(rig.Q().RowTasks(), expected) << (ascending ? "ascending" : "descending");
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, SortOrder, ::testing::Values(
    SortCase{"LongCommonPrefix", {"Was heißt 'Tisch' auf Englisch?", "Was heißt 'Tür' auf Englisch?",
                                  "Was heißt 'Tisch' auf Deutsch?", "Was heißt 'Tischbein'?",
                                  "Was heißt 'Tisch' auf Englisch?"}},
    SortCase{"PrefixesOfEachOther", {"abcdefghi", "abc", "abcdefgh", "ab", "abcdefghij", "abcdefgh"}},
    SortCase{"ShortAfterTheCommonPart", {"xa", "x", "xab", "xa", "x"}},
    SortCase{"HighBytesAfterAscii", {"é", "z", "Zebra", "ähnlich", "Ähre", "ae", "Œuvre", "oe"}},
    SortCase{"AllEqual", {"Haus", "haus", "HAUS", "Haus"}},
    SortCase{"EmptyTexts", {"", "b", "", "a"}},
    SortCase{"OneRow", {"allein"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TaskSearch, FindsTheTasksThatContainTheFoldedText) {
    cTrainingData d;
    d.m_aTasks = {TextTask("1", W("Das Mädchen"), "the girl"), TextTask("2", "Maedchenname", "maiden name"),
                  TextTask("17", W("STRAßE"), "street"), TextTask("4", "Strasse", W("Fußweg")),
                  TextTask("5", "Baum", "tree")};
    d.m_aTasks[4].m_strCategory = W("Natur und Öko");
    d.m_aTasks[4].m_nPatternCount = 2; d.m_aTasks[4].m_strPattern[1] = W("Bäume|Gehölz");
    d.m_aTasks[3].m_strPattern[1] = "unused slot";
    cTaskSearch search;
    search.Index(d);
    const std::pair<const char*, std::vector<std::uint32_t>> cases[] = {
        {"mädchen", {1, 0}}, {"MAEDCHEN", {1, 0}}, {"ä", {4, 1, 0}}, {"strasse", {3, 2}},
        {"Straße", {3, 2}}, {"fuss", {3}}, {"17", {2}}, {"oeko", {4}}, {"GEHÖLZ", {4}},
        {"unused", {}}, {"", {4, 3, 2, 1, 0}}, {"s m", {0}}, {"namemaiden", {}},
        // Umlauts typed as the bare vowel find them too; a typed umlaut stays one.
        {"madchen", {0}}, {"baume|geh", {4}}, {"oko", {4}}, {"mäd", {1, 0}}};
    for (const auto& [text, found] : cases)
        EXPECT_EQ(search.Filter({4, 3, 2, 1, 0}, W(text)), found) << text;
}

TEST(Speech, SaysTheStatisticsTicksAndCountdown) {
    cTask task = TextTask("1", "Frage", "Antwort", 3);
    task.m_nStats[3] = 3; task.m_nStats[1] = 1; task.m_nStats[0] = 2;
    EXPECT_EQ(RowImageSpeech(task, 1, false, false), "3 richtig, 1 teilweise, 2 falsch");
    task.m_nPoints = 1;
    EXPECT_EQ(RowImageSpeech(task, 1, false, false), "1 richtig, 2 falsch");
    EXPECT_EQ(RowImageSpeech(task, 67, true, false), "beantwortet");
    EXPECT_EQ(RowImageSpeech(task, 56, false, true), "bewertet: teilweise richtig");
    EXPECT_EQ(TickSpeech(TickIconTickedRight), "angekreuzt, richtig");
    EXPECT_EQ(TickSpeech(TickIconMissed), "nicht angekreuzt, falsch");

    // 10 minutes: every whole minute, and 70 % (7:00) and 90 % (9:00) with a note.
    EXPECT_EQ(CountdownSpeech(600, 59, 59), "");
    EXPECT_EQ(CountdownSpeech(600, 59, 60), "Noch 9 Minuten");
    EXPECT_EQ(CountdownSpeech(600, 60, 61), "");
    EXPECT_EQ(CountdownSpeech(600, 419, 420), "70 Prozent der Zeit sind vergangen. Noch 3 Minuten");
    EXPECT_EQ(CountdownSpeech(600, 539, 541), "90 Prozent der Zeit sind vergangen. Noch 59 Sekunden");
    EXPECT_EQ(CountdownSpeech(90, 59, 60), "Noch 30 Sekunden");
    EXPECT_EQ(CountdownSpeech(150, 59, 60), "Noch 1 Minute 30 Sekunden");
    EXPECT_EQ(CountdownSpeech(600, 599, 600), "Die Zeit ist abgelaufen");
    EXPECT_EQ(CountdownSpeech(0, 59, 60), "");
}
