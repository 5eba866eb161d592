// quorvant-cli list: the task list as tab-separated lines, sorted like a header click.

#include "cli/Cli.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Output {
    int status;
    std::string out;
    std::string err;
};

Output List(const std::vector<std::string>& args)
{
    std::vector<const char*> argv = {"quorvant-cli", "list"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {status, out.str(), err.str()};
}

cTask Task(const std::string& no, const std::string& question, int points,
           std::vector<std::uint32_t> stats)
{
    cTask t;
    t.m_strTaskNo = no;
    t.m_strQuestion = question;
    t.m_strSolution = "x";
    t.m_nPoints = static_cast<std::uint8_t>(points);
    for (std::size_t k = 0; k < stats.size(); ++k)
        t.m_nStats[k] = stats[k];
    return t;
}

std::string WriteTraining(const testfiles::TempDir& dir)
{
    cTrainingData d;
    d.m_aColumnTitle = {"Nr", "Statistik", Cp1252FromUtf8("Frage für dich")};
    d.m_aColumnWidth = {40, 100, 300};
    d.m_aColumnKind = {0, 6, 2};
    d.m_aTasks = {Task("12", "Birnen", 1, {1, 2}), Task("", Cp1252FromUtf8("Äpfel\r\nund\tmehr"), 3, {0, 1, 0, 4}),
                  Task("7", "Adler", 1, {})};
    cQuestionnaire q;
    q.m_strTitle = "Obst";
    q.m_aTaskIndex = {0, 1, 2};
    d.m_aQuestionnaires.push_back(q);
    cQuestionnaire second;
    second.m_strTitle = "Nur eine";
    second.m_aTaskIndex = {2};
    d.m_aQuestionnaires.push_back(second);
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    d.m_aQuestionnaires.push_back(all);
    const std::string path = dir.Path("liste.vdr");
    EXPECT_EQ(d.WriteTrainingFile(path), 0);
    return path;
}

const std::string kHeader = "Nr\tStatistik\tFrage für dich\n";
const std::string kPears = "12\t 2 /  1\tBirnen\n";
const std::string kApples = "\t 4 /  1 /  0\tÄpfel und mehr\n"; // one blank per line break
const std::string kEagle = "7\t 0 /  0\tAdler\n";

} // namespace

struct Listing {
    const char* name;
    std::vector<std::string> options;
    std::string expected;
};
void PrintTo(const Listing& c, std::ostream* os) { *os << c.name; }
class ListCommand : public ::testing::TestWithParam<Listing> {};

TEST_P(ListCommand, PrintsTheRows)
{
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir);
    const std::string before = testfiles::ReadBytes(path);
    std::vector<std::string> args = {path};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    const Output o = List(args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, GetParam().expected);
    EXPECT_EQ(o.err, "");
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
    Listing{"FindNumber", {"--find", "7", "--questionnaire", "1"}, kHeader + kEagle}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadList {
    const char* name;
    std::vector<std::string> options;
    int status;
    const char* err;
};
void PrintTo(const BadList& c, std::ostream* os) { *os << c.name; }
class ListRefusal : public ::testing::TestWithParam<BadList> {};

TEST_P(ListRefusal, SaysWhy)
{
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir);
    std::vector<std::string> args = {path};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    const Output o = List(args);
    EXPECT_EQ(o.status, GetParam().status);
    EXPECT_NE(o.err.find(GetParam().err), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
}

INSTANTIATE_TEST_SUITE_P(Options, ListRefusal, ::testing::Values(
    BadList{"ColumnOutOfRange", {"--sort", "3"}, 2, "Spalte 3 gibt es nicht; die Liste hat die Spalten 0 bis 2."},
    BadList{"DescendingAlone", {"--descending"}, 2, "--descending gilt nur zusammen mit --sort."},
    BadList{"NegativeColumn", {"--sort", "-1"}, 2, "--sort braucht eine Zahl ab 0."},
    BadList{"TwoFiles", {"other.vdr"}, 2, "Nur eine Trainingsdatei angeben."},
    BadList{"FindWithoutText", {"--find"}, 2, "--find braucht einen Suchtext."},
    BadList{"QuestionnaireOutOfRange", {"--questionnaire", "3"}, 2, "Fragebogen 3 gibt es nicht"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListCommandFile, MissingFileFailsWithTheReadMessage)
{
    testfiles::TempDir dir;
    const Output o = List({dir.Path("fehlt.vdr")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Fehler beim Öffnen der Datei"), std::string::npos) << o.err;
}
