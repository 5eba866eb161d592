// quorvant-cli list: the task list as tab-separated lines, sorted like a header click.

#include "cli/CliTestSupport.h"
#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string WriteTraining(const testfiles::TempDir& dir) {
    auto task = [](const char* no, const std::string& question, int points,
                   std::vector<std::uint32_t> stats) {
        cTask t = testdata::TextTask(no, question, "x", points);
        std::copy(stats.begin(), stats.end(), t.m_nStats.begin());
        return t;
    };
    cTrainingData d;
    d.m_aColumnTitle = {"Nr", "Statistik", Cp1252FromUtf8("Frage für dich")};
    d.m_aColumnWidth = {40, 100, 300};
    d.m_aColumnKind = {0, 6, 2};
    d.m_aTasks = {task("12", "Birnen", 1, {1, 2}),
                  task("", Cp1252FromUtf8("Äpfel\r\nund\tmehr"), 3, {0, 1, 0, 4}),
                  task("7", "Adler", 1, {})};
    d.m_aQuestionnaires.resize(3);
    d.m_aQuestionnaires[0].m_strTitle = "Obst";
    d.m_aQuestionnaires[0].m_aTaskIndex = {0, 1, 2};
    d.m_aQuestionnaires[1].m_strTitle = "Nur eine";
    d.m_aQuestionnaires[1].m_aTaskIndex = {2};
    d.m_aQuestionnaires[2].m_strTitle = kAllTasksTitle;
    const std::string path = dir.Path("liste.vdr");
    EXPECT_EQ(d.WriteTrainingFile(path), 0);
    return path;
}

const std::string kHeader = "Nr\tStatistik\tFrage für dich\n";
const std::string kPears = "12\t 2 /  1\tBirnen\n";
const std::string kApples = "\t 4 /  1 /  0\tÄpfel und mehr\n"; // one blank per line break
const std::string kEagle = "7\t 0 /  0\tAdler\n";

struct Listing {
    const char* name;
    std::vector<std::string> options;
    std::string out;
    int status = 0;
    const char* errPart = ""; // a refusal names its reason
};
void PrintTo(const Listing& c, std::ostream* os) { *os << c.name; }
class ListCommand : public ::testing::TestWithParam<Listing> {};

TEST_P(ListCommand, PrintsTheRowsOrSaysWhyNot) {
    const Listing& c = GetParam();
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir);
    const std::string before = testfiles::ReadBytes(path);
    std::vector<std::string> args = {"list", path};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const clitest::CliRun run = clitest::RunTool(args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    if (c.status == 0)
        EXPECT_EQ(run.err, "");
    else
        EXPECT_NE(run.err.find(c.errPart), std::string::npos) << run.err;
    EXPECT_EQ(testfiles::ReadBytes(path), before); // listing never writes
}

INSTANTIATE_TEST_SUITE_P(Options, ListCommand, ::testing::Values(
    Listing{"FileOrder", {}, kHeader + kPears + kApples + kEagle},
    Listing{"SecondQuestionnaire", {"--questionnaire", "1"}, kHeader + kEagle},
    Listing{"AllTasks", {"--questionnaire", "2"}, kHeader + kPears + kApples + kEagle},
    Listing{"NumbersAscending", {"--sort", "0"}, kHeader + kEagle + kPears + kApples},
    Listing{"NumbersDescending", {"--sort", "0", "--descending"}, kHeader + kPears + kEagle + kApples},
    Listing{"QuestionsFoldUmlauts", {"--sort", "2"}, kHeader + kEagle + kApples + kPears},
    Listing{"StatisticsDescending", {"--descending", "--sort", "1"}, kHeader + kApples + kPears + kEagle},
    Listing{"FindSearchesAllTasks", {"--find", "AEPFEL"}, kHeader + kApples},
    Listing{"FindInQuestionnaireSorted", {"--find", "e", "--questionnaire", "0", "--sort", "2"},
            kHeader + kEagle + kApples + kPears},
    Listing{"FindNumber", {"--find", "7", "--questionnaire", "1"}, kHeader + kEagle},
    Listing{"ColumnOutOfRange", {"--sort", "3"}, "", 2,
            "Spalte 3 gibt es nicht; die Liste hat die Spalten 0 bis 2."},
    Listing{"DescendingAlone", {"--descending"}, "", 2, "--descending gilt nur zusammen mit --sort."},
    Listing{"NegativeColumn", {"--sort", "-1"}, "", 2, "--sort braucht eine Zahl ab 0."},
    Listing{"TwoFiles", {"other.vdr"}, "", 2, "Nur eine Trainingsdatei angeben."},
    Listing{"FindWithoutText", {"--find"}, "", 2, "--find braucht einen Suchtext."},
    Listing{"QuestionnaireOutOfRange", {"--questionnaire", "3"}, "", 2, "Fragebogen 3 gibt es nicht"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListCommandFile, MissingFileFailsWithTheReadMessage) {
    testfiles::TempDir dir;
    const clitest::CliRun run = clitest::RunTool({"list", dir.Path("fehlt.vdr")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Fehler beim Öffnen der Datei"), std::string::npos) << run.err;
}

} // namespace
