#include "cli/Commands.h"
#include "cli/TrainingJson.h"
#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "data/Document.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

namespace {

using clitest::CliRun;
using clitest::EdgeData;
using clitest::RunTool;
using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::WriteBytes;

const char* const kOpenFailed = "Fehler   (Fehler #5)\nFehler beim \xC3\x96" "ffnen der Datei\n";
const char* const kSaveFailed = "Fehler   (Fehler #6)\nDatei konnte nicht gespeichert werden\n";

std::string WriteTrainingFile(const TempDir& dir, const std::string& name, cTrainingData data) {
    const std::string path = dir.Path(name);
    EXPECT_EQ(data.WriteTrainingFile(path), 0);
    return path;
}

struct Source {
    const char* name;
    int kind; // 0 edge data, 1 generated vocabulary, 2 empty file content
    int crypt;
};
void PrintTo(const Source& c, std::ostream* os) {
    *os << c.name;
}
class ExportImport : public ::testing::TestWithParam<Source> {};
TEST_P(ExportImport, GivesTheFileBackByteForByte) {
    const Source& c = GetParam();
    TempDir dir;
    cTrainingData data = c.kind == 0   ? EdgeData(0)
                         : c.kind == 1 ? testfiles::MakeTrainingData(400, 7)
                                       : cTrainingData();
    if (c.kind == 2) {
        data.m_aColumnTitle = {"Statistik"};
        data.m_aColumnWidth = {100};
        data.m_aColumnKind = {6};
    }
    data.m_nCrypt = static_cast<std::uint8_t>(c.crypt);
    const std::string original = WriteTrainingFile(dir, "original.vdr", data);

    const CliRun exported = RunTool({"export", original});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.err, "");
    const std::string json = dir.Path("export.json");
    WriteBytes(json, exported.out);

    const std::string copy = dir.Path("copy.vdr");
    const CliRun imported = RunTool({"import", json, copy});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "");
    EXPECT_EQ(imported.err, "");
    EXPECT_EQ(testfiles::ToHex(ReadBytes(copy)), testfiles::ToHex(ReadBytes(original)));

    // The JSON is the data as the program reads it.
    cDocument document;
    ASSERT_EQ(document.Open(original), 0);
    std::ostringstream expected;
    WriteTrainingJson(document.m_data, expected);
    EXPECT_EQ(exported.out, expected.str());
    // No temporary files are left beside the output.
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"copy.vdr", "export.json", "original.vdr"}));
}
INSTANTIATE_TEST_SUITE_P(Files, ExportImport, ::testing::Values(
    Source{"edge_plain", 0, 0}, Source{"edge_scrambled", 0, 1},
    Source{"vocabulary_plain", 1, 0}, Source{"vocabulary_scrambled", 1, 1},
    Source{"no_tasks_plain", 2, 0}, Source{"no_tasks_scrambled", 2, 1}));

// A dash reads standard input; an existing target is replaced.
TEST(Import, ReadsStandardInputForADash) {
    TempDir dir;
    const std::string target = dir.Path("stdin.vdr");
    WriteBytes(target, "old content");
    std::ostringstream json;
    WriteTrainingJson(EdgeData(1), json);
    const CliRun run = RunTool({"import", "-", target}, json.str());
    ASSERT_EQ(run.status, 0) << run.err;
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(target), 0);
    clitest::ExpectSameData(EdgeData(1), back);
}

struct BadInput {
    const char* name;
    const char* json;
    const char* err; // exact standard error, UTF-8
};
void PrintTo(const BadInput& c, std::ostream* os) {
    *os << c.name;
}
class ImportRefusal : public ::testing::TestWithParam<BadInput> {};
TEST_P(ImportRefusal, ExitsTwoAndWritesNothing) {
    const BadInput& c = GetParam();
    TempDir dir;
    const std::string json = dir.Path("in.json");
    WriteBytes(json, c.json);

    const std::string absent = dir.Path("absent.vdr");
    CliRun run = RunTool({"import", json, absent});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    // Syntax errors are checked up to the file name; the byte position follows.
    std::string expected = c.err;
    const auto at = expected.find(" IN ");
    if (at != std::string::npos)
        expected.replace(at + 1, 2, json);
    if (expected.back() == '\n')
        EXPECT_EQ(run.err, expected);
    else
        EXPECT_EQ(run.err.rfind(expected, 0), 0u) << run.err;
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"in.json"}));

    const std::string existing = dir.Path("existing.vdr");
    WriteBytes(existing, "keep me");
    run = RunTool({"import", json, existing});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(ReadBytes(existing), "keep me");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"existing.vdr", "in.json"}));
}
INSTANTIATE_TEST_SUITE_P(Inputs, ImportRefusal, ::testing::Values(
    BadInput{"syntax", "{\"tasks\": [", "Import abgelehnt: IN ist kein gültiges JSON"},
    BadInput{"empty", "", "Import abgelehnt: IN ist kein gültiges JSON"},
    BadInput{"bad_utf8", "{\"questionTemplate\": \"\xC4\"}",
             "Import abgelehnt: IN ist kein gültiges JSON"},
    BadInput{"root_array", "[]", "Import abgelehnt: Dokument: JSON-Objekt erwartet.\n"},
    BadInput{"wrong_type", "{\"showAll\": \"ja\"}",
             "Import abgelehnt: showAll: Wahrheitswert (true oder false) erwartet.\n"},
    BadInput{"points_range", "{\"tasks\": [{}, {}, {}, {\"points\": 12}]}",
             "Import abgelehnt: tasks[3].points: ganze Zahl von 0 bis 8 erwartet.\n"},
    BadInput{"stats_length", "{\"tasks\": [{\"points\": 2, \"stats\": [1, 2]}]}",
             "Import abgelehnt: tasks[0].stats: 3 Werte erwartet (points + 1), 2 gefunden.\n"},
    BadInput{"choices", "{\"tasks\": [{\"choices\": [{},{},{},{},{},{},{},{},{},{},{}]}]}",
             "Import abgelehnt: tasks[0].choices: höchstens 10 Einträge erlaubt, 11 gefunden.\n"},
    BadInput{"index", "{\"tasks\": [{}], \"questionnaires\": [{\"tasks\": [0, 1]}]}",
             "Import abgelehnt: questionnaires[0].tasks[1]: Aufgabenindex von 0 bis 0 "
             "erwartet.\n"},
    BadInput{"character", "{\"tasks\": [{\"solution\": \"Stra\xC3\x9F" "e \xE2\x86\x92\"}]}",
             "Import abgelehnt: tasks[0].solution: das Zeichen U+2192 an Stelle 8 hat kein "
             "Zeichen in Windows-1252.\n"},
    BadInput{"syntax_place", "{\"a\": tru}",
             "Import abgelehnt: IN ist kein gültiges JSON (Fehler bei Byte 10).\n"}));

TEST(ImportFailure, UnreadableSourceAndUnwritableTarget) {
    TempDir dir;
    CliRun run = RunTool({"import", dir.Path("missing.json"), dir.Path("out.vdr")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Die Datei " + dir.Path("missing.json") + " kann nicht gelesen werden.\n");
    run = RunTool({"import", dir.Dir(), dir.Path("out.vdr")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(dir.Entries().empty());

    run = RunTool({"import", "-", dir.Path("no/such/dir/out.vdr")}, "{}");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, kSaveFailed);
    EXPECT_TRUE(dir.Entries().empty());
}

struct BadFile {
    const char* name;
    std::string bytes; // none: no file at all
    const char* err;   // with PATH for the file's path
};
void PrintTo(const BadFile& c, std::ostream* os) {
    *os << c.name;
}
class ExportFailure : public ::testing::TestWithParam<BadFile> {};
TEST_P(ExportFailure, ExitsOneWithTheProgramsMessages) {
    const BadFile& c = GetParam();
    TempDir dir;
    const std::string path = dir.Path("bad.vdr");
    if (c.bytes != "none")
        WriteBytes(path, c.bytes);
    std::string expected = c.err;
    const auto at = expected.find("PATH");
    if (at != std::string::npos)
        expected.replace(at, 4, path);
    for (const char* command : {"export", "info"}) {
        const CliRun run = RunTool({command, path});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out, "") << command;
        EXPECT_EQ(run.err, expected + kOpenFailed) << command;
    }
}
INSTANTIATE_TEST_SUITE_P(Files, ExportFailure, ::testing::Values(
    BadFile{"missing", "none", ""},
    BadFile{"empty", "", "Fehler   (Fehler #8)\nDie Datei (PATH) enth\xC3\xA4lt keine Daten.\n"},
    BadFile{"wrong_block", testfiles::StreamBuilder().Str("3XY").Bytes(),
            "Fehler   (Fehler #1)\nFalsche BlockID (XY).\n'FID' Erwartet.\n"},
    BadFile{"wrong_id", testfiles::StreamBuilder().Str("3FID").Str("Quiz").Bytes(),
            "Fehler   (Fehler #7)\nFalsche FileID (Quiz).\n'TesterFile' Erwartet.\n"},
    BadFile{"plain_text", "Vokabeln\n",
            "\nFalscher Datentyp (86)beim Einlesen der Datei. (TYP_STR oder TYP_STRING "
            "erwartet)\nFehler   (Fehler #1)\nFalsche BlockID ().\n'FID' Erwartet.\n"}));

TEST(Info, PrintsAGermanSummary) {
    TempDir dir;
    const std::string path = WriteTrainingFile(dir, "edge.vdr", EdgeData(1));
    const CliRun run = RunTool({"info", path});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "Datei: " + path + "\n"
              "Aufgaben: 5\n"
              "Fragebögen: 3\n"
              "  1. \"Übung\": 4 Aufgaben, keine Prüfung\n"
              "  2. \"Prüfung\": 3 Aufgaben, Prüfungszeit 30 Minuten, zu erreichende Punkte 20, "
              "Nachprüfung ab 15 Punkten\n"
              "  3. \"Offen\": 0 Aufgaben, Prüfung ohne Zeitlimit\n"
              "Extrafragebogen mit allen Fragen anzeigen: ja\n"
              "Verschlüsselung: Standardverschlüsselung\n"
              "Zufällige Abfrage: ja\n"
              "Auswahl: noch nicht zu mindestens 255 % richtig, noch nicht mindestens 7-mal "
              "richtig, Antwort aus maximal 0 Wörtern\n"
              "Fehlertoleranz: fehlender Buchstabe ja, zusätzlicher Buchstabe nein, "
              "2 vertauschte Buchstaben ja\n");
}

TEST(InfoText, ExamTimesAndSingulars) {
    cTrainingData data;
    cQuestionnaire q;
    q.m_strTitle = "A";
    q.m_nExamSeconds = 60;
    q.m_aTaskIndex = {0};
    data.m_aQuestionnaires.push_back(q);
    q.m_nExamSeconds = 90;
    data.m_aQuestionnaires.push_back(q);
    data.m_aQuestionnaires.emplace_back(); // automatic
    data.m_nCrypt = 9;
    const std::string text = InfoText(data, "x.vdr");
    EXPECT_NE(text.find("  1. \"A\": 1 Aufgabe, Prüfungszeit 1 Minute\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("  2. \"A\": 1 Aufgabe, Prüfungszeit 90 Sekunden\n"), std::string::npos);
    EXPECT_NE(text.find("Verschlüsselung: unbekannter Modus 9\n"), std::string::npos);
    EXPECT_NE(InfoText(cTrainingData(), "y").find("Fragebögen: 0\n"), std::string::npos);
}

struct Usage {
    std::vector<std::string> args;
    int status;
    const char* errStart;
};
void PrintTo(const Usage& c, std::ostream* os) {
    for (const auto& a : c.args)
        *os << a << ' ';
}
class CommandLine : public ::testing::TestWithParam<Usage> {};
TEST_P(CommandLine, RefusesWrongCalls) {
    const Usage& c = GetParam();
    const CliRun run = RunTool(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(c.errStart, 0), 0u) << run.err;
}
INSTANTIATE_TEST_SUITE_P(Calls, CommandLine, ::testing::Values(
    Usage{{}, 2, "Aufruf: quorvant-cli BEFEHL ...\n"},
    Usage{{"frobnicate"}, 2, "Unbekannter Befehl: frobnicate\nAufruf: quorvant-cli BEFEHL"},
    Usage{{"export"}, 2, "Aufruf: quorvant-cli export DATEI.vdr [--format F]\n"},
    Usage{{"export", "a", "b"}, 2, "Aufruf: quorvant-cli export DATEI.vdr [--format F]\n"},
    Usage{{"export", "a", "--format", "xml"}, 2, "Unbekanntes Format: xml (json, csv, kvtml oder anki)\n"},
    Usage{{"import", "a.json"}, 2, "Aufruf: quorvant-cli import DATEI ZIEL.vdr [--format F]"},
    Usage{{"import", "a.csv", "b.vdr", "--separator", "x"}, 2, "Unbekanntes Trennzeichen: x"},
    Usage{{"import", "a.csv", "b.vdr", "--encoding", "latin9"}, 2, "Unbekannte Kodierung: latin9"},
    Usage{{"info"}, 2, "Aufruf: quorvant-cli info DATEI.vdr\n"}));

TEST(CommandLineHelp, ListsTheCommandsOnStandardOutput) {
    const CliRun run = RunTool({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const char* word : {"export DATEI.vdr", "import DATEI ZIEL.vdr", "info DATEI.vdr"})
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
}

TEST(CommandLinePresenter, IsGivenBackAfterTheCommand) {
    RecordingPresenter recorder;
    const CliRun run = RunTool({"export", "/nonexistent/x.vdr"});
    EXPECT_EQ(run.err, kOpenFailed);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(&MessagePresenter(), &recorder);
}

// import and export in the exchange formats on real files.
TEST(ExchangeCommands, ImportExportWalk) {
    testfiles::TempDir dir;
    const std::string csv = dir.Path("wörter.csv");
    testfiles::WriteBytes(csv, "\xEF\xBB\xBF" "Frage;Lösung;Punkte\r\nHaus;\"house; home\";2\r\nÄpfel;apples;\r\n");
    const std::string first = dir.Path("a.vdr");
    ASSERT_EQ(RunTool({"import", csv, first}).status, 0);
    cDocument doc;
    ASSERT_EQ(doc.Open(first), 0);
    ASSERT_EQ(doc.m_data.m_aTasks.size(), 2u);
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_strSolution, "house; home");
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[0].m_strTitle, "w\xF6rter");

    // Export in each format, import the output again (the format given or by extension).
    for (const char* format : {"kvtml", "anki", "csv", "json"}) {
        SCOPED_TRACE(format);
        const clitest::CliRun exported = RunTool({"export", first, "--format", format});
        ASSERT_EQ(exported.status, 0) << exported.err;
        const std::string file = dir.Path(std::string("b.") + format);
        testfiles::WriteBytes(file, exported.out);
        const std::string again = dir.Path(std::string("b-") + format + ".vdr");
        const clitest::CliRun imported = RunTool({"import", file, again, "--format", format});
        ASSERT_EQ(imported.status, 0) << imported.err;
        cDocument back;
        ASSERT_EQ(back.Open(again), 0);
        ASSERT_EQ(back.m_data.m_aTasks.size(), 2u);
        EXPECT_EQ(back.m_data.m_aTasks[1].m_strQuestion, "\xC4" "pfel");
    }
    EXPECT_EQ(RunTool({"export", first}).out, RunTool({"export", first, "--format", "json"}).out);

    // Refusals create no file; unmappable text passes only with --replace-unmappable.
    const std::string bad = dir.Path("bad.csv");
    testfiles::WriteBytes(bad, "a;b\n\"offen;x\n");
    const clitest::CliRun refused = RunTool({"import", bad, dir.Path("no.vdr")});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "Import abgelehnt: " + bad +
                               ": Zeile 2, Spalte 1: Das Anführungszeichen wird nicht geschlossen.\n");
    const std::string polish = dir.Path("pl.txt");
    testfiles::WriteBytes(polish, "#separator:tab\nłąka\tWiese\n");
    EXPECT_EQ(RunTool({"import", polish, dir.Path("no.vdr")}).err,
              "Import abgelehnt: " + polish + ": Zeile 2, Spalte 1: Das Zeichen \"ł\" (U+0142) gibt es "
              "in Windows-1252 nicht (insgesamt 2 solche Zeichen).\n"
              "Mit --replace-unmappable werden solche Zeichen durch \"?\" ersetzt.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("no.vdr")));
    ASSERT_EQ(RunTool({"import", polish, dir.Path("pl.vdr"), "--replace-unmappable"}).status, 0);
    const std::string json = dir.Path("pl.json");
    testfiles::WriteBytes(json, R"({"tasks":[{"question":"\u0142\u0105ka ł","solution":"Wiese"}]})");
    EXPECT_EQ(RunTool({"import", json, dir.Path("no.vdr")}).status, 2);
    ASSERT_EQ(RunTool({"import", json, dir.Path("pj.vdr"), "--replace-unmappable"}).status, 0);
    ASSERT_EQ(doc.Open(dir.Path("pj.vdr")), 0);
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_strQuestion, "??ka ?");
}

} // namespace
