#include "cli/CliTestSupport.h"
#include "common/TestFiles.h"
#include "learning/Learner.h"
#include "practice/QueryTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

namespace {

// practice --plan asks the new tasks, then says it is done for today; stats shows what
// the history holds, as text and as JSON; the exam date is checked and stored.
TEST(LearningCli, PlanPracticeThenStats) {
    testfiles::TempDir dir;
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string restore = oldData ? oldData : "";
    setenv("XDG_DATA_HOME", dir.Path("daten").c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.Path("konfig").c_str(), 1);
    CloseSharedHistory();
    cTrainingData data = querytest::MakeData(
        {querytest::TextTask("1", "Eins", "one"), querytest::TextTask("2", "Zwei", "two", 2),
         querytest::TextTask("3", "Drei", "three")},
        {{0, 1, 2}, {1, 2}}, {-1, 0});
    data.m_aQuestionnaires[1].m_nPassPoints = 3;
    data.m_aQuestionnaires[1].m_nRetakePoints = 2;
    const std::string path = dir.Path("kurs.vdr");
    ASSERT_EQ(data.WriteTrainingFile(path), 0);

    const clitest::CliRun practice =
        clitest::RunTool({"practice", path, "--plan"}, "one\nfalsch\nthree\n");
    EXPECT_EQ(practice.status, 0) << practice.err;
    EXPECT_NE(practice.out.find("Antwort> three\n'three'  ist Richtig!!!\n\nRichtig: three\n\n"
                                "Für heute fertig: keine fälligen Aufgaben mehr.\n"
                                "Nächste fällige Aufgabe: "),
              std::string::npos)
        << practice.out;

    EXPECT_EQ(clitest::RunTool({"stats", path, "--exam-date", "2026-02-30"}).status, 2);
    const clitest::CliRun stats = clitest::RunTool({"stats", path, "--json", "--exam-date", "2099-01-31"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    const auto json = nlohmann::json::parse(stats.out);
    EXPECT_EQ(json["examDate"], "2099-01-31");
    EXPECT_EQ(json["questionnaires"][0]["due"], 0);
    EXPECT_EQ(json["questionnaires"][0]["new"], 0);
    EXPECT_TRUE(json["questionnaires"][0]["exam"].is_null());
    const auto& exam = json["questionnaires"][1]["exam"];
    // Long before the exam day the recall is high; on it, lower.
    EXPECT_GT(exam["retakeToday"].get<double>(), exam["retakeOnExamDate"].get<double>());
    EXPECT_EQ(json["readiness"]["today"], exam["passToday"]);
    ASSERT_EQ(json["answersPerDay"].size(), 30u);
    EXPECT_EQ(json["answersPerDay"][29]["answers"], 3);

    const clitest::CliRun text = clitest::RunTool({"stats", path});
    EXPECT_NE(text.out.find("Prüfungstermin: 2099-01-31\nFragebogen 0 'Fragebogen 1': fällig 0, neu 0\n"),
              std::string::npos)
        << text.out;
    CloseSharedHistory();
    unsetenv("XDG_CONFIG_HOME");
    if (restore.empty())
        unsetenv("XDG_DATA_HOME");
    else
        setenv("XDG_DATA_HOME", restore.c_str(), 1);
}

} // namespace
