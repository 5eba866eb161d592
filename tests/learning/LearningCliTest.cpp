#include "cli/CliTestSupport.h"
#include "common/TestFiles.h"
#include "learning/Learner.h"
#include "practice/QueryTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <random>

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

    for (const char* bad : {"2026-02-30", "", "2026-1-5"}) {
        const clitest::CliRun refused = clitest::RunTool({"stats", path, "--exam-date", bad});
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_EQ(refused.err.rfind("Ungültiges Datum: " + std::string(bad) + " (erwartet JJJJ-MM-TT).\n", 0), 0u)
            << refused.err;
    }
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

// A learner whose memory fades twice as fast as the defaults say and who knows fewer
// tasks at first, answering 1,000 tasks at random for 60 days.
std::vector<cTaskAnswers> UnusualLearner()
{
    cFsrsWeights w = kFsrsDefaultWeights;
    for (const int i : {0, 1, 2, 3, 8})
        w[i] *= 0.5;
    const cFsrs truth(w);
    std::mt19937_64 random(7);
    std::vector<cMemoryState> memory(1000);
    std::vector<cTaskAnswers> tasks(memory.size());
    for (int day = 0; day < 60; ++day)
        for (int k = 0; k < 80; ++k) {
            const std::size_t i = random() % memory.size();
            const std::int64_t at = 1'800'000'000 + day * 86400 + k * 15;
            const double p = memory[i].IsNew() ? 0.3 : cFsrs::RecallAt(memory[i], at);
            const bool right = std::uniform_real_distribution<double>(0, 1)(random) < p;
            memory[i] = truth.Review(memory[i], right ? Rating::Good : Rating::Again, at);
            tasks[i].emplace_back(at, right ? GradeRight : GradeWrong);
        }
    return tasks;
}

// fit: too few answers leave the defaults; an unusual memory gets weights that predict
// held-out answers better, every stored state follows them, and --reset goes back.
TEST(LearningCli, FitToTheOwnHistory) {
    testfiles::TempDir dir;
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string restore = oldData ? oldData : "";
    setenv("XDG_DATA_HOME", dir.Path("daten").c_str(), 1);
    CloseSharedHistory();
    const std::vector<cTaskAnswers> answers = UnusualLearner();
    cHistory& history = SharedHistory();
    ASSERT_TRUE(history.IsOpen());
    const std::int64_t file = history.AddFile("/kurs.vdr");
    auto store = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            cStoredTask task{history.AddTask(file, cTaskKey{std::to_string(i + 1), i, i}), {}, {}, 0, -1};
            for (const auto& [at, grade] : answers[i])
                history.AppendLater(file, cStoredAnswer{task.id, at, AnswerKind::Practice, grade}, nullptr);
        }
        history.Flush();
    };
    store(0, 100);
    const clitest::CliRun few = clitest::RunTool({"fit"});
    EXPECT_EQ(few.status, 0) << few.err;
    EXPECT_NE(few.out.find("Zu wenige Wiederholungen für eine Anpassung (mindestens 1.000).\n"), std::string::npos) << few.out;
    EXPECT_EQ(history.Weights(), kFsrsDefaultWeights);

    store(100, answers.size());
    const clitest::CliRun fit = clitest::RunTool({"fit"});
    EXPECT_EQ(fit.status, 0) << fit.err;
    const cFitResult want = FitWeights(answers);
    ASSERT_TRUE(want.Better());
    EXPECT_LT(want.lossFitted, want.lossDefault - 0.005);
    EXPECT_NE(fit.out.find("Die angepassten Gewichte gelten ab jetzt.\n"), std::string::npos) << fit.out;
    EXPECT_EQ(history.Weights(), want.weights);
    CloseSharedHistory(); // read back exactly from the database
    ASSERT_TRUE(SharedHistory().IsOpen());
    EXPECT_EQ(history.Weights(), want.weights);
    // A stored state is the replay of its answers with the fitted weights.
    auto storedState = [&](const cFsrs& fsrs) {
        cMemoryState s;
        for (const auto& [at, grade] : answers[0])
            s = fsrs.Review(s, RatingOfGrade(grade), at);
        return std::make_pair(history.Tasks(file)[0].state, s);
    };
    const auto [fitted, replayed] = storedState(cFsrs(want.weights));
    EXPECT_EQ(fitted, replayed);
    // A file opened from now on learns with them.
    cDocument doc;
    doc.m_data = querytest::MakeData({querytest::TextTask("1", "Eins", "one")}, {{0}}, {-1});
    doc.m_data.m_strPath = dir.Path("zweiter.vdr");
    cLearner learner(doc, &history);
    std::int64_t now = answers[0].back().first + 86400;
    learner.SetClock([&now] { return now; });
    learner.Bind();
    learner.OnAnswer(cAnswerEvent{0, GradeRight});
    EXPECT_EQ(learner.StateOf(0).stability, want.weights[2]);
    EXPECT_NE(want.weights[2], kFsrsDefaultWeights[2]);
    // Another program forgets the fitted weights while the file is open. An answer whose
    // state was computed with the fitted ones just before lands after that change: it is
    // stored as the defaults replay it. The next answer follows from those states.
    history.Flush(); // the first answer has landed
    {
        cHistory other;
        ASSERT_TRUE(other.Open(HistoryFilePath()));
        ASSERT_TRUE(other.SetWeights(kFsrsDefaultWeights));
    }
    const std::int64_t first = now;
    cStoredTask late = history.Tasks(learner.FileId())[0];
    late.state = cFsrs(want.weights).Review(late.state, Rating::Good, first + 60);
    history.AppendLater(learner.FileId(), cStoredAnswer{late.id, first + 60, AnswerKind::Practice, GradeRight}, &late);
    history.Flush();
    const cFsrs standard;
    const cMemoryState twice = standard.Review(standard.Review({}, Rating::Good, first), Rating::Good, first + 60);
    EXPECT_EQ(history.Tasks(learner.FileId())[0].state, twice);
    now += 3 * 86400;
    learner.OnAnswer(cAnswerEvent{0, GradeWrong});
    EXPECT_EQ(learner.StateOf(0), standard.Review(twice, RatingOfGrade(GradeWrong), now));

    EXPECT_EQ(clitest::RunTool({"fit", "--fast"}).status, 2);
    const clitest::CliRun reset = clitest::RunTool({"fit", "--reset"});
    EXPECT_EQ(reset.out, "Das Gedächtnismodell rechnet wieder mit den Standardgewichten.\n");
    EXPECT_EQ(history.Weights(), kFsrsDefaultWeights);
    const auto [back, defaults] = storedState(cFsrs());
    EXPECT_EQ(back, defaults);
    CloseSharedHistory();
    if (restore.empty())
        unsetenv("XDG_DATA_HOME");
    else
        setenv("XDG_DATA_HOME", restore.c_str(), 1);
}

} // namespace
