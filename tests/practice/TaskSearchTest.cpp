#include "practice/TaskSearch.h"

#include "common/TaskBuilders.h"
#include "practice/Query.h"
#include "practice/Speech.h"

#include <gtest/gtest.h>

using testdata::TextTask;
using testdata::W;

namespace {

struct Find {
    const char* text; // UTF-8
    std::vector<std::uint32_t> found;
};
void PrintTo(const Find& f, std::ostream* os) { *os << f.text; }

cTrainingData SearchData()
{
    cTrainingData d;
    d.m_aTasks = {TextTask("1", W("Das Mädchen"), "the girl"),
                  TextTask("2", "Maedchenname", "maiden name"),
                  TextTask("17", W("STRAßE"), "street"),
                  TextTask("4", "Strasse", W("Fußweg")),
                  TextTask("5", "Baum", "tree")};
    d.m_aTasks[4].m_strCategory = W("Natur und Öko");
    d.m_aTasks[4].m_nPatternCount = 2;
    d.m_aTasks[4].m_strPattern[1] = W("Bäume|Gehölz");
    d.m_aTasks[3].m_strPattern[1] = "unused slot";
    return d;
}

class TaskSearchFilter : public ::testing::TestWithParam<Find> {};

TEST_P(TaskSearchFilter, FindsTheTasksThatContainTheText)
{
    cTaskSearch search;
    search.Index(SearchData());
    EXPECT_EQ(search.Filter({4, 3, 2, 1, 0}, W(GetParam().text)), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Folding, TaskSearchFilter,
    ::testing::Values(Find{"mädchen", {1, 0}}, Find{"MAEDCHEN", {1, 0}}, Find{"ä", {4, 1, 0}},
                      Find{"strasse", {3, 2}}, Find{"Straße", {3, 2}}, Find{"fuss", {3}},
                      Find{"17", {2}}, Find{"oeko", {4}}, Find{"GEHÖLZ", {4}}, Find{"unused", {}},
                      Find{"", {4, 3, 2, 1, 0}}, Find{"s m", {0}}, Find{"namemaiden", {}}));

} // namespace

TEST(Speech, SaysTheStatisticsTicksAndCountdown)
{
    cTask task = TextTask("1", "Frage", "Antwort", 3);
    task.m_nStats[3] = 3;
    task.m_nStats[1] = 1;
    task.m_nStats[0] = 2;
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
