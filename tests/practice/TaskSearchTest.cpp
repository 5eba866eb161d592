#include "practice/TaskSearch.h"

#include "common/TaskBuilders.h"
#include "practice/Query.h"
#include "practice/Speech.h"

#include <gtest/gtest.h>

using testdata::TextTask;
using testdata::W;

TEST(TaskSearch, FindsTheTasksThatContainTheFoldedText) {
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
    cTaskSearch search;
    search.Index(d);
    const std::pair<const char*, std::vector<std::uint32_t>> cases[] = {
        {"mädchen", {1, 0}}, {"MAEDCHEN", {1, 0}}, {"ä", {4, 1, 0}}, {"strasse", {3, 2}},
        {"Straße", {3, 2}}, {"fuss", {3}}, {"17", {2}}, {"oeko", {4}}, {"GEHÖLZ", {4}},
        {"unused", {}}, {"", {4, 3, 2, 1, 0}}, {"s m", {0}}, {"namemaiden", {}}};
    for (const auto& [text, found] : cases)
        EXPECT_EQ(search.Filter({4, 3, 2, 1, 0}, W(text)), found) << text;
}

TEST(Speech, SaysTheStatisticsTicksAndCountdown) {
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
