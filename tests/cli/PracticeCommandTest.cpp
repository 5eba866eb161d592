// quorvant-cli practice: scripted sessions piped to the real program.

#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

using testdata::TextTask;

struct PipedRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Pipes input into "quorvant-cli args" and collects both output streams.
PipedRun RunPiped(const testfiles::TempDir& dir, const std::string& input, const std::string& args,
                  const std::string& exe = QUORVANT_CLI_EXE) {
    const std::string in = dir.Path("input.txt");
    testfiles::WriteBytes(in, input);
    // The program settings come from the user's configuration folder: here, dir.
    const std::string command = "cat '" + in + "' | XDG_CONFIG_HOME='" + dir.Dir() + "' '" +
                                exe + "' " + args + " > '" +
                                dir.Path("out.txt") + "' 2> '" + dir.Path("err.txt") + "'";
    const int raw = std::system(command.c_str());
    PipedRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = testfiles::ReadBytes(dir.Path("out.txt"));
    run.err = testfiles::ReadBytes(dir.Path("err.txt"));
    return run;
}

// Three tasks: a text task, a self-assessed 3-point task and a multiple-choice task, as
// change leaves them.
std::string WriteTraining(const testfiles::TempDir& dir,
                          const std::function<void(cTrainingData&)>& change = {}) {
    cTrainingData d;
    d.m_strQuestionTemplate = "{frage}";
    d.m_strRightTemplate = "Richtig: {antwort}";
    d.m_strWrongTemplate = "Falsch, richtig ist: {antwort}";
    d.m_bAllowMissing = true;
    d.m_nMaxWords = 0;
    d.m_aTasks.push_back(TextTask("1", Cp1252FromUtf8("Was heißt 'Haus'?"), "house", 1));
    cTask tree = TextTask("2", Cp1252FromUtf8("Was heißt 'Baum'?"), "tree", 3);
    tree.m_bSelfAssess = true;
    d.m_aTasks.push_back(tree);
    cTask choice = TextTask("3", "Welche Zahlen sind gerade?", "", 1);
    choice.m_nType = TaskTypeMultipleChoice;
    choice.m_nChoiceCount = 3;
    choice.m_strChoice = {"2", "3", "4"};
    choice.m_bChoiceRight = {true, false, true};
    d.m_aTasks.push_back(choice);
    cQuestionnaire q;
    q.m_strTitle = Cp1252FromUtf8("Übung");
    q.m_aTaskIndex = {0, 1, 2};
    d.m_aQuestionnaires.push_back(q);
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    d.m_aQuestionnaires.push_back(all);
    if (change)
        change(d);
    const std::string path = dir.Path("training.vdr");
    EXPECT_EQ(d.WriteTrainingFile(path), 0);
    return path;
}

std::vector<std::uint32_t> Stats(const cTask& t) {
    return std::vector<std::uint32_t>(t.m_nStats.begin(), t.m_nStats.begin() + t.m_nPoints + 1);
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
    const PipedRun run = RunPiped(dir, "hous\nwood\nt 2\n5\n1 3\n:s\n:l\nhaus\n", "practice '" + path + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string expected =
        "Fragebogen 'Übung': 3 Aufgaben\n"
        "Befehle: :s überspringen, :l Lösung anzeigen, :h Hilfe, :q beenden\n" +
        kHouse + "Antwort> hous\n"
        "'hous'  ist Falsch!!\nFalsch, richtig ist: house\n" + // no pattern: no tolerance
        kTree + "Antwort> wood\n'wood'  ist Falsch!!\nFalsch, richtig ist: tree\n" + kRating +
        "f)\nBewertung> t 2\n" + kChoice + "5\n" + kNumbersPlease + kChoice +
        "1 3\n''  ist Richtig!!!\n\nRichtig: \n" + kHouse + "Antwort> :s\n" + kTree +
        "Antwort> :l\nRichtig: tree\n" + kChoice + "haus\n" + kNumbersPlease + kChoice +
        "\nDie Statistik ist gespeichert.\n";
    EXPECT_EQ(run.out, expected);

    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(path), 0);
    EXPECT_EQ(Stats(back.m_aTasks[0]), (std::vector<std::uint32_t>{1, 0}));
    EXPECT_EQ(Stats(back.m_aTasks[1]), (std::vector<std::uint32_t>{0, 0, 1, 0}));
    EXPECT_EQ(Stats(back.m_aTasks[2]), (std::vector<std::uint32_t>{0, 1}));
}

TEST(PracticeCommand, QuitStopsAndToleratedAnswersCount) {
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir, [](cTrainingData& d) {
        d.m_aTasks[0].m_nPatternCount = 2;
        d.m_aTasks[0].m_strPattern[1] = "house|home";
    });
    const PipedRun run = RunPiped(dir, "hose\n\n:q\nnever read\n", "practice '" + path + "' --questionnaire 0");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("'hose'  ist fast Richtig (Ein Buchstabe fehlte)!!!\nRichtig: house\n"),
              std::string::npos);
    // The empty answer of the self-assessed text task skips it; ":q" ends on task 3.
    EXPECT_NE(run.out.find("Antwort (Nummern)> :q\nDie Statistik ist gespeichert.\n"),
              std::string::npos);
    EXPECT_EQ(run.out.find("never read"), std::string::npos);
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(path), 0);
    EXPECT_EQ(Stats(back.m_aTasks[0]), (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(Stats(back.m_aTasks[1]), (std::vector<std::uint32_t>{0, 0, 0, 0}));
}

struct Refusal {
    const char* name;
    std::string args; // after "practice"; FILE stands for the training file
    int status;
    const char* errPart;
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }
class PracticeRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(PracticeRefusal, LeavesTheFileAlone) {
    const Refusal& c = GetParam();
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir);
    const std::string before = testfiles::ReadBytes(path);
    std::string args = c.args;
    if (const auto at = args.find("FILE"); at != std::string::npos)
        args.replace(at, 4, "'" + path + "'");
    const PipedRun run = RunPiped(dir, "house\n", "practice " + args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.err.find(c.errPart), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(testfiles::ReadBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(Calls, PracticeRefusal, ::testing::Values(
    Refusal{"NoFile", "", 2, "Aufruf: quorvant-cli practice DATEI.vdr [--questionnaire N]"},
    Refusal{"QuestionnaireOutOfRange", "FILE --questionnaire 2", 2,
            "Fragebogen 2 gibt es nicht; die Datei hat die Fragebögen 0 bis 1."},
    Refusal{"QuestionnaireNotANumber", "FILE --questionnaire x", 2, "--questionnaire braucht eine Zahl ab 0."},
    Refusal{"SortIsForList", "FILE --sort 1", 2, "Unbekannte Option: --sort"},
    Refusal{"Unreadable", "FILE.missing", 1, "Fehler beim Öffnen der Datei"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PracticeCommand, EmptyQuestionnaireEndsAtOnce) {
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir, [](cTrainingData& d) {
        d.m_aQuestionnaires[0].m_aTaskIndex.clear();
    });
    const PipedRun run = RunPiped(dir, "", "practice '" + path + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Der Fragebogen 'Übung' enthält keine Aufgaben.\n");
}

// A self-assessed one-point task has no "Teilrichtig": after a tolerated answer the
// preset is offered as "r", and Enter counts the answer as right.
TEST(PracticeCommand, OnePointToleratedPresetIsOfferedAsRight) {
    testfiles::TempDir dir;
    const std::string path = WriteTraining(dir, [](cTrainingData& d) {
        d.m_aTasks[0].m_bSelfAssess = true;
        d.m_aTasks[0].m_nPatternCount = 2;
        d.m_aTasks[0].m_strPattern[1] = "house";
    });
    // The window's settings (where the window keeps them): no going on after a right answer.
    const std::string config = dir.Path("Quorvant");
    std::filesystem::create_directory(config);
    testfiles::WriteBytes(config + "/settings_vdr.dat",
                          std::string("\x07\x02\x01\x01\x01\x00\x07\x00", 8));
    const PipedRun run = RunPiped(dir, "hous\n\n:q\n", "practice '" + path + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("'hous'  ist fast Richtig (Ein Buchstabe fehlte)!!!\nRichtig: house\n"
                           "Selbstbewertung: r = Richtig (volle Punktzahl), f = Falsch (0 Punkte); "
                           "Enter übernimmt den Vorschlag (r)\nBewertung> \n"),
              std::string::npos)
        << run.out;
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(path), 0);
    EXPECT_EQ(Stats(back.m_aTasks[0]), (std::vector<std::uint32_t>{0, 1}));
}
