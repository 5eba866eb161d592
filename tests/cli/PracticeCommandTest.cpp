// quorvant-cli practice: scripted sessions through the command's own input and output.

#include "cli/CliTestSupport.h"
#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

using testdata::TextTask;
using Counts = std::vector<std::uint32_t>;

// Runs "practice FILE" on this input. The program settings come from the user's
// configuration folder: here, dir (never the tester's own).
clitest::CliRun Practice(const testfiles::TempDir& dir, const std::string& input,
                         const std::string& path, const std::vector<std::string>& options = {}) {
    const char* const before = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    setenv("XDG_CONFIG_HOME", dir.Dir().c_str(), 1);
    std::vector<std::string> args = {"practice", path};
    args.insert(args.end(), options.begin(), options.end());
    const clitest::CliRun run = clitest::RunTool(args, input);
    before ? setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    return run;
}

// Three tasks: a text task, a self-assessed 3-point task and a multiple-choice task, as
// change leaves them.
std::string WriteTraining(const testfiles::TempDir& dir,
                          const std::function<void(cTrainingData&)>& change = {}) {
    cTrainingData d;
    d.m_strQuestionTemplate = "{frage}"; d.m_strRightTemplate = "Richtig: {antwort}";
    d.m_strWrongTemplate = "Falsch, richtig ist: {antwort}";
    d.m_bAllowMissing = true; d.m_nMaxWords = 0;
    cTask tree = TextTask("2", Cp1252FromUtf8("Was heißt 'Baum'?"), "tree", 3);
    tree.m_bSelfAssess = true;
    cTask choice = TextTask("3", "Welche Zahlen sind gerade?", "", 1);
    choice.m_nType = TaskTypeMultipleChoice; choice.m_nChoiceCount = 3;
    choice.m_strChoice = {"2", "3", "4"}; choice.m_bChoiceRight = {true, false, true};
    d.m_aTasks = {TextTask("1", Cp1252FromUtf8("Was heißt 'Haus'?"), "house", 1), tree, choice};
    d.m_aQuestionnaires.resize(2);
    d.m_aQuestionnaires[0].m_strTitle = Cp1252FromUtf8("Übung");
    d.m_aQuestionnaires[0].m_aTaskIndex = {0, 1, 2};
    d.m_aQuestionnaires[1].m_strTitle = kAllTasksTitle;
    if (change)
        change(d);
    const std::string path = dir.Path("training.vdr");
    EXPECT_EQ(d.WriteTrainingFile(path), 0);
    return path;
}

// The counters 0..points of every task in the file.
std::vector<Counts> StoredStats(const std::string& path) {
    cTrainingData back;
    EXPECT_EQ(back.ReadTrainingFile(path), 0);
    std::vector<Counts> stats;
    for (const cTask& t : back.m_aTasks)
        stats.emplace_back(t.m_nStats.begin(), t.m_nStats.begin() + t.m_nPoints + 1);
    return stats;
}

const std::string kHouse = "\nAufgabe Nr.: 1                         Vokabeln\nWas heißt 'Haus'?\n";
const std::string kTree = "\nAufgabe Nr.: 2                         Vokabeln\nWas heißt 'Baum'?\n";
const std::string kChoice = "\nAufgabe Nr.: 3                         Vokabeln\n"
                            "Welche Zahlen sind gerade?\n  1) 2\n  2) 3\n  3) 4\nAntwort (Nummern)> ";
const std::string kNumbersPlease =
    "Bitte die Nummern der richtigen Antworten (1 bis 3) durch Leerzeichen getrennt eingeben.\n";
const std::string kRating =
    "Selbstbewertung: r = Richtig (volle Punktzahl), f = Falsch (0 Punkte), t N = Teilrichtig "
    "mit N Punkten (1 bis 2); Enter übernimmt den Vorschlag (";

} // namespace

TEST(PracticeCommand, ScriptedSessionShowsVerdictsAndStoresCounters) {
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir);
    const clitest::CliRun run = Practice(dir, "hous\nwood\nt 2\n5\n1 3\n:s\n:l\nhaus\n", path);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "Fragebogen 'Übung': 3 Aufgaben\n"
              "Befehle: :s überspringen, :l Lösung anzeigen, :h Hilfe, :q beenden\n" +
                  kHouse + "Antwort> hous\n"
                  "'hous'  ist Falsch!!\nFalsch, richtig ist: house\n" + // no pattern: no tolerance
                  kTree + "Antwort> wood\n'wood'  ist Falsch!!\nFalsch, richtig ist: tree\n" + kRating +
                  "f)\nBewertung> t 2\n" + kChoice + "5\n" + kNumbersPlease + kChoice +
                  "1 3\n''  ist Richtig!!!\n\nRichtig: \n" + kHouse + "Antwort> :s\n" + kTree +
                  "Antwort> :l\nRichtig: tree\n" + kChoice + "haus\n" + kNumbersPlease + kChoice +
                  "\nDie Statistik ist gespeichert.\n");
    EXPECT_EQ(StoredStats(path), (std::vector<Counts>{{1, 0}, {0, 0, 1, 0}, {0, 1}}));
}

TEST(PracticeCommand, QuitStopsAndToleratedAnswersCount) {
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir, [](cTrainingData& d) {
        d.m_aTasks[0].m_nPatternCount = 2; d.m_aTasks[0].m_strPattern[1] = "house|home";
    });
    const clitest::CliRun run = Practice(dir, "hose\n\n:q\nnever read\n", path, {"--questionnaire", "0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("'hose'  ist fast Richtig (Ein Buchstabe fehlte)!!!\nRichtig: house\n"),
              std::string::npos);
    // The empty answer of the self-assessed text task skips it; ":q" ends on task 3.
    EXPECT_NE(run.out.find("Antwort (Nummern)> :q\nDie Statistik ist gespeichert.\n"), std::string::npos);
    EXPECT_EQ(run.out.find("never read"), std::string::npos);
    EXPECT_EQ(StoredStats(path), (std::vector<Counts>{{0, 1}, {0, 0, 0, 0}, {0, 0}}));

    const std::string empty =
        WriteTraining(dir, [](cTrainingData& d) { d.m_aQuestionnaires[0].m_aTaskIndex.clear(); });
    const clitest::CliRun none = Practice(dir, "", empty);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "Der Fragebogen 'Übung' enthält keine Aufgaben.\n");
}

// A self-assessed one-point task has no "Teilrichtig": after a tolerated answer the
// preset is offered as "r", and Enter counts the answer as right.
TEST(PracticeCommand, OnePointToleratedPresetIsOfferedAsRight) {
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir, [](cTrainingData& d) {
        d.m_aTasks[0].m_bSelfAssess = true;
        d.m_aTasks[0].m_nPatternCount = 2; d.m_aTasks[0].m_strPattern[1] = "house";
    });
    // The window's settings (where the window keeps them): no going on after a right answer.
    std::filesystem::create_directory(dir.Path("Quorvant"));
    testfiles::WriteBytes(dir.Path("Quorvant/settings_vdr.dat"),
                          std::string("\x07\x02\x01\x01\x01\x00\x07\x00", 8));
    const clitest::CliRun run = Practice(dir, "hous\n\n:q\n", path);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("'hous'  ist fast Richtig (Ein Buchstabe fehlte)!!!\nRichtig: house\n"
                           "Selbstbewertung: r = Richtig (volle Punktzahl), f = Falsch (0 Punkte); "
                           "Enter übernimmt den Vorschlag (r)\nBewertung> \n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(StoredStats(path)[0], Counts({0, 1}));
}
