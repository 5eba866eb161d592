#include "cli/Commands.h"
#include "exchange/TrainingJson.h"
#include "common/RecordingPresenter.h"
#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "base/Cp1252.h"
#include "data/Document.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

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
    int kind, crypt; // kind: 0 edge data, 1 generated vocabulary, 2 empty file content
};
void PrintTo(const Source& c, std::ostream* os) { *os << c.name; }
class ExportImport : public ::testing::TestWithParam<Source> {};
TEST_P(ExportImport, GivesTheFileBackByteForByte) {
    const Source& c = GetParam();
    TempDir dir;
    cTrainingData data = c.kind == 0   ? EdgeData(0)
                         : c.kind == 1 ? testfiles::MakeTrainingData(400, 7)
                                       : cTrainingData();
    if (c.kind == 2) {
        data.m_aColumnTitle = {"Statistik"}; data.m_aColumnWidth = {100}; data.m_aColumnKind = {6};
    }
    data.m_nCrypt = static_cast<std::uint8_t>(c.crypt);
    const std::string original = WriteTrainingFile(dir, "original.vdr", data);

    const CliRun exported = RunTool({"export", original});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.err, "");
    // Imported from the file, or for a scrambled file from standard input over an older file.
    const std::string json = dir.Path("export.json"), copy = dir.Path("copy.vdr");
    WriteBytes(json, exported.out);
    WriteBytes(copy, "old content");
    const CliRun imported =
        c.crypt ? RunTool({"import", "-", copy}, exported.out) : RunTool({"import", json, copy});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out + imported.err, "");
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
              "  0. \"Übung\": 4 Aufgaben, keine Prüfung\n"
              "  1. \"Prüfung\": 3 Aufgaben, Prüfungszeit 30 Minuten, zu erreichende Punkte 20, "
              "Nachprüfung ab 15 Punkten\n"
              "  2. \"Offen\": 0 Aufgaben, Prüfung ohne Zeitlimit\n"
              "  3. \"Alle Aufgaben\": 5 Aufgaben, keine Prüfung\n"
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
    q.m_strTitle = "A"; q.m_nExamSeconds = 60; q.m_aTaskIndex = {0};
    data.m_aQuestionnaires.push_back(q);
    q.m_nExamSeconds = 90;
    data.m_aQuestionnaires.push_back(q);
    data.m_aQuestionnaires.emplace_back(); // automatic
    data.m_nCrypt = 9;
    const std::string text = InfoText(data, "x.vdr");
    EXPECT_NE(text.find("  0. \"A\": 1 Aufgabe, Prüfungszeit 1 Minute\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  1. \"A\": 1 Aufgabe, Prüfungszeit 90 Sekunden\n"), std::string::npos);
    EXPECT_NE(text.find("Verschlüsselung: unbekannter Modus 9\n"), std::string::npos);
    EXPECT_NE(InfoText(cTrainingData(), "y").find("Fragebögen: 0\n"), std::string::npos);
}

// Three tasks in three questionnaires for list and practice; the columns as the window has them.
std::string ListFile(const TempDir& dir) {
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
    d.m_aQuestionnaires[0].m_strTitle = "Obst"; d.m_aQuestionnaires[0].m_aTaskIndex = {0, 1, 2};
    d.m_aQuestionnaires[1].m_strTitle = "Nur eine"; d.m_aQuestionnaires[1].m_aTaskIndex = {2};
    d.m_aQuestionnaires[2].m_strTitle = kAllTasksTitle;
    return WriteTrainingFile(dir, "liste.vdr", d);
}

const std::string kHelp =
    "Aufruf: quorvant-cli BEFEHL ...\nBefehle:\n"
    "  export DATEI.vdr [--format F] [--separator S] [--encoding E] [--languages L1,L2]  "
    "Trainingsdatei als JSON (oder csv, kvtml, anki) ausgeben\n"
    "  import DATEI ZIEL.vdr [--format F] [--separator S] [--encoding E] [--columns SPALTEN] "
    "[--replace-unmappable]  "
    "Trainingsdatei aus JSON, CSV, KVTML oder Anki-Text schreiben (- liest JSON von stdin)\n"
    "  info DATEI.vdr                Kurzer Überblick über eine Trainingsdatei\n"
    "  practice DATEI.vdr [--questionnaire N] [--plan]  Fragebogen im Terminal üben\n"
    "  stats DATEI.vdr [--json] [--exam-date JJJJ-MM-TT|keiner] [--chart AUSGABE.png|AUSGABE.pdf]  "
    "Lernstand: fällige und neue Aufgaben, Prüfungsbereitschaft\n"
    "  fit [--reset]                 Gedächtnismodell an den eigenen Lernverlauf anpassen\n"
    "  list DATEI.vdr [--questionnaire N] [--sort K] [--descending] [--find TEXT]  "
    "Aufgabenliste ausgeben (Tabulator-getrennt)\n"
    "  update [--yes] [--program-dir DIR]  Auf neuere Version testen (--yes: herunterladen und ersetzen)\n";
const std::string kExport = "Aufruf: quorvant-cli export DATEI.vdr [--format F] [--separator S] "
                            "[--encoding E] [--languages L1,L2]\n";
const std::string kImport = "Aufruf: quorvant-cli import DATEI ZIEL.vdr [--format F] [--separator S] "
                            "[--encoding E] [--columns SPALTEN] [--replace-unmappable]\n";
const std::string kPractice = "Aufruf: quorvant-cli practice DATEI.vdr [--questionnaire N] [--plan]\n";
const std::string kList = "Aufruf: quorvant-cli list DATEI.vdr [--questionnaire N] [--sort K] "
                          "[--descending] [--find TEXT]\n";
const std::string kHeader = "Nr\tStatistik\tFrage für dich\n";
const std::string kPears = "12\t 2 /  1\tBirnen\n";
const std::string kApples = "\t 4 /  1 /  0\tÄpfel und mehr\n"; // one blank per line break
const std::string kEagle = "7\t 0 /  0\tAdler\n";

// Every call: exit code, standard output and standard error exactly, for this standard
// input. @FILE is ListFile(), @TEXT a plain text file, @MISSING and @OUT files that do not
// exist, @NOWHERE one that cannot be made, @DIR the folder; no call changes or leaves a file.
struct Call { std::vector<std::string> args; int status; std::string out, err, input = "{}"; };
void PrintTo(const Call& c, std::ostream* os) {
    for (const auto& a : c.args)
        *os << a << ' ';
}
class CommandLine : public ::testing::TestWithParam<Call> {};
TEST_P(CommandLine, AnswersExactly) {
    const Call& c = GetParam();
    TempDir dir;
    const std::string path = ListFile(dir), before = ReadBytes(path);
    WriteBytes(dir.Path("text.vdr"), "Vokabeln\n");
    const std::pair<std::string, std::string> names[] = {
        {"@FILE", path}, {"@TEXT", dir.Path("text.vdr")}, {"@MISSING", dir.Path("fehlt.vdr")},
        {"@NOWHERE", dir.Path("no/such/dir/out.vdr")}, {"@OUT", dir.Path("out.vdr")}, {"@DIR", dir.Dir()}};
    std::vector<std::string> args = c.args;
    std::string err = c.err;
    for (const auto& [name, real] : names) {
        std::replace(args.begin(), args.end(), name, real);
        if (const auto at = err.find(name); at != std::string::npos)
            err.replace(at, name.size(), real);
    }
    const CliRun run = RunTool(args, c.input);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, err);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"liste.vdr", "text.vdr"}));
}
// What the reader says about a file that is no training file; the messages themselves are
// checked where files are read.
const std::string kNoThird = "Fragebogen 3 gibt es nicht; die Datei hat die Fragebögen 0 bis 2.\n";
const std::string kRefused = "Import abgelehnt: ", kNoJson = "ist kein gültiges JSON (Fehler bei Byte ";
const std::string kPlainText = "\nFalscher Datentyp (86)beim Einlesen der Datei. (TYP_STR oder TYP_STRING "
                               "erwartet)\nFehler   (Fehler #1)\nFalsche BlockID ().\n'FID' Erwartet.\n";
INSTANTIATE_TEST_SUITE_P(Calls, CommandLine, ::testing::Values(
    Call{{}, 2, "", kHelp},
    Call{{"--help"}, 0, kHelp, ""},
    Call{{"frobnicate"}, 2, "", "Unbekannter Befehl: frobnicate\n" + kHelp},
    Call{{"export"}, 2, "", kExport},
    Call{{"export", "a", "b"}, 2, "", kExport},
    Call{{"export", "a", "--format", "xml"}, 2, "",
         "Unbekanntes Format: xml (json, csv, kvtml oder anki)\n" + kExport},
    Call{{"import", "a.json"}, 2, "", kImport},
    Call{{"import", "a.csv", "b.vdr", "--separator", "x"}, 2, "",
         "Unbekanntes Trennzeichen: x (, ; oder tab)\n" + kImport},
    Call{{"import", "a.csv", "b.vdr", "--encoding", "latin9"}, 2, "",
         "Unbekannte Kodierung: latin9 (utf-8 oder windows-1252)\n" + kImport},
    Call{{"info"}, 2, "", "Aufruf: quorvant-cli info DATEI.vdr\n"},
    Call{{"export", "@MISSING"}, 1, "", kOpenFailed}, Call{{"info", "@MISSING"}, 1, "", kOpenFailed},
    Call{{"export", "@TEXT"}, 1, "", kPlainText + kOpenFailed},
    Call{{"info", "@TEXT"}, 1, "", kPlainText + kOpenFailed},
    Call{{"import", "@MISSING", "@OUT"}, 1, "", "Die Datei @MISSING kann nicht gelesen werden.\n"},
    Call{{"import", "@DIR", "@OUT"}, 1, "", "Die Datei @DIR kann nicht gelesen werden.\n"},
    Call{{"import", "-", "@NOWHERE"}, 1, "", kSaveFailed},
    // Refused imports write nothing, neither a new file nor over an old one. The reasons
    // themselves are checked where the JSON is read; here the wording around them.
    Call{{"import", "@TEXT", "@OUT"}, 2, "", kRefused + "@TEXT " + kNoJson + "1).\n"},
    Call{{"import", "-", "@FILE"}, 2, "", kRefused + "- " + kNoJson + "12).\n", "{\"tasks\": ["},
    Call{{"import", "-", "@OUT"}, 2, "", kRefused + "- " + kNoJson + "1).\n", ""},
    Call{{"import", "-", "@FILE"}, 2, "", kRefused + "- " + kNoJson + "10).\n", "{\"a\": tru}"},
    Call{{"import", "-", "@OUT"}, 2, "", kRefused + "Dokument: JSON-Objekt erwartet.\n", "[]"},
    Call{{"import", "-", "@FILE"}, 2, "",
         kRefused + "questionnaires[0].tasks[1]: Aufgabenindex von 0 bis 0 erwartet.\n",
         "{\"tasks\": [{}], \"questionnaires\": [{\"tasks\": [0, 1]}]}"},
    Call{{"import", "-", "@OUT"}, 2, "",
         kRefused + "tasks[0].solution: das Zeichen U+2192 an Stelle 8 hat kein Zeichen in Windows-1252.\n",
         "{\"tasks\": [{\"solution\": \"Stra\xC3\x9F" "e \xE2\x86\x92\"}]}"},
    Call{{"practice"}, 2, "", kPractice},
    Call{{"practice", "@FILE", "--questionnaire", "3"}, 2, "", kNoThird},
    Call{{"practice", "@FILE", "--questionnaire", "x"}, 2, "",
         "--questionnaire braucht eine Zahl ab 0.\n" + kPractice},
    Call{{"practice", "@FILE", "--sort", "1"}, 2, "", "Unbekannte Option: --sort\n" + kPractice},
    Call{{"practice", "@MISSING"}, 1, "", kOpenFailed},
    Call{{"list", "@MISSING"}, 1, "", kOpenFailed},
    Call{{"list", "@FILE"}, 0, kHeader + kPears + kApples + kEagle, ""},
    Call{{"list", "@FILE", "--questionnaire", "1"}, 0, kHeader + kEagle, ""},
    Call{{"list", "@FILE", "--questionnaire", "2"}, 0, kHeader + kPears + kApples + kEagle, ""},
    Call{{"list", "@FILE", "--sort", "0"}, 0, kHeader + kEagle + kPears + kApples, ""},
    Call{{"list", "@FILE", "--sort", "0", "--descending"}, 0, kHeader + kPears + kEagle + kApples, ""},
    Call{{"list", "@FILE", "--sort", "2"}, 0, kHeader + kEagle + kApples + kPears, ""}, // umlauts folded
    Call{{"list", "@FILE", "--descending", "--sort", "1"}, 0, kHeader + kApples + kPears + kEagle, ""},
    Call{{"list", "@FILE", "--find", "AEPFEL"}, 0, kHeader + kApples, ""}, // all tasks
    Call{{"list", "@FILE", "--find", "e", "--questionnaire", "0", "--sort", "2"}, 0,
         kHeader + kEagle + kApples + kPears, ""},
    Call{{"list", "@FILE", "--find", "7", "--questionnaire", "1"}, 0, kHeader + kEagle, ""},
    Call{{"list", "@FILE", "--sort", "3"}, 2, "",
         "Spalte 3 gibt es nicht; die Liste hat die Spalten 0 bis 2.\n"},
    Call{{"list", "@FILE", "--descending"}, 2, "", "--descending gilt nur zusammen mit --sort.\n" + kList},
    Call{{"list", "@FILE", "--sort", "-1"}, 2, "", "--sort braucht eine Zahl ab 0.\n" + kList},
    Call{{"list", "@FILE", "other.vdr"}, 2, "", "Nur eine Trainingsdatei angeben.\n" + kList},
    Call{{"list", "@FILE", "--find"}, 2, "", "--find braucht einen Suchtext.\n" + kList},
    Call{{"list", "@FILE", "--questionnaire", "3"}, 2, "", kNoThird},
    // "--" ends the options of every command.
    Call{{"info", "--", "@MISSING"}, 1, "", kOpenFailed}, Call{{"export", "--", "@MISSING"}, 1, "", kOpenFailed},
    Call{{"practice", "--", "@MISSING"}, 1, "", kOpenFailed},
    Call{{"list", "--sort", "0", "--", "@FILE"}, 0, kHeader + kEagle + kPears + kApples, ""},
    Call{{"import", "--", "@MISSING", "@OUT"}, 1, "", "Die Datei @MISSING kann nicht gelesen werden.\n"}));

TEST(CommandLinePresenter, IsGivenBackAfterTheCommand) {
    RecordingPresenter recorder;
    const CliRun run = RunTool({"export", "/nonexistent/x.vdr"});
    EXPECT_EQ(run.err, kOpenFailed);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(&MessagePresenter(), &recorder);
}

// import and export in the exchange formats on real files.
TEST(ExchangeCommands, ImportExportWalk) {
    TempDir dir;
    const std::string csv = dir.Path("wörter.csv"), first = dir.Path("a.vdr");
    WriteBytes(csv, "\xEF\xBB\xBF" "Frage;Lösung;Punkte\r\nHaus;\"house; home\";2\r\nÄpfel;apples;\r\n");
    ASSERT_EQ(RunTool({"import", csv, first}).status, 0);
    cDocument doc;
    ASSERT_EQ(doc.Open(first), 0);
    ASSERT_EQ(doc.m_data.m_aTasks.size(), 2u);
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_strSolution + "|" + doc.m_data.m_aQuestionnaires[0].m_strTitle,
              "house; home|w\xF6rter");

    // Export in each format, import the output again (the format given or by extension).
    for (const char* format : {"kvtml", "anki", "csv", "json"}) {
        SCOPED_TRACE(format);
        const CliRun exported = RunTool({"export", first, "--format", format});
        ASSERT_EQ(exported.status, 0) << exported.err;
        const std::string file = dir.Path(std::string("b.") + format);
        const std::string again = dir.Path(std::string("b-") + format + ".vdr");
        WriteBytes(file, exported.out);
        const CliRun imported = RunTool({"import", file, again, "--format", format});
        ASSERT_EQ(imported.status, 0) << imported.err;
        cDocument back;
        ASSERT_EQ(back.Open(again), 0);
        ASSERT_EQ(back.m_data.m_aTasks.size(), 2u);
        EXPECT_EQ(back.m_data.m_aTasks[1].m_strQuestion, "\xC4" "pfel");
    }
    EXPECT_EQ(RunTool({"export", first}).out, RunTool({"export", first, "--format", "json"}).out);

    // Refusals create no file; unmappable text passes only with --replace-unmappable.
    const std::string bad = dir.Path("bad.csv"), polish = dir.Path("pl.txt"), json = dir.Path("pl.json");
    WriteBytes(bad, "a;b\n\"offen;x\n");
    EXPECT_EQ(RunTool({"import", bad, dir.Path("no.vdr")}).err,
              "Import abgelehnt: " + bad + ": Zeile 2, Spalte 1: Das Anführungszeichen wird nicht "
              "geschlossen.\n");
    WriteBytes(polish, "#separator:tab\nłąka\tWiese\n");
    EXPECT_EQ(RunTool({"import", polish, dir.Path("no.vdr")}).err,
              "Import abgelehnt: " + polish + ": Zeile 2, Spalte 1: Das Zeichen \"ł\" (U+0142) gibt es "
              "in Windows-1252 nicht (insgesamt 2 solche Zeichen).\n"
              "Mit --replace-unmappable werden solche Zeichen durch \"?\" ersetzt.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("no.vdr")));
    ASSERT_EQ(RunTool({"import", polish, dir.Path("pl.vdr"), "--replace-unmappable"}).status, 0);
    WriteBytes(json, R"({"tasks":[{"question":"\u0142\u0105ka ł","solution":"Wiese"}]})");
    EXPECT_EQ(RunTool({"import", json, dir.Path("no.vdr")}).status, 2);
    ASSERT_EQ(RunTool({"import", json, dir.Path("pj.vdr"), "--replace-unmappable"}).status, 0);
    ASSERT_EQ(doc.Open(dir.Path("pj.vdr")), 0);
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_strQuestion, "??ka ?");
}

// Files of other programs through the tool: media beside them, their languages kept for
// the export, notes on standard error, file names through the replace-or-refuse rule.
TEST(ExchangeCommands, ForeignFilesKeepMediaLanguagesAndTitles) {
    TempDir dir;
    const std::string data = QUORVANT_SOURCE_DIR "/tests/exchange/data/";
    std::filesystem::create_directory(dir.Path("out"));
    const std::string notes = dir.Path("notes.txt"), target = dir.Path("out/n.vdr");
    std::filesystem::copy_file(data + "notes.txt", notes);
    std::filesystem::copy_file(data + "haus.mp3", dir.Path("haus.mp3"));
    CliRun run = RunTool({"import", notes, target});
    EXPECT_EQ(run.err, "Hinweis: Diese Mediendateien fehlen neben der importierten Datei: maus.jpg.\n");
    EXPECT_TRUE(std::filesystem::exists(dir.Path("out/haus.mp3")));

    const std::string kvtml = dir.Path("k.vdr");
    ASSERT_EQ(RunTool({"import", data + "padding.kvtml", kvtml}).status, 0);
    run = RunTool({"export", kvtml, "--format", "kvtml"});
    EXPECT_NE(run.out.find("<name>Deutsch</name>\n      <locale>de</locale>\n    </identifier>\n"
                           "    <identifier id=\"1\">\n      <name>Englisch</name>\n      <locale>en</locale>"),
              std::string::npos);
    EXPECT_EQ(run.out.find("<comment>"), std::string::npos);
    EXPECT_EQ(run.out.find("<lessons>"), std::string::npos);
    // Lesson names that became categories are not written back as comments.
    ASSERT_EQ(RunTool({"import", data + "version1.kvtml", dir.Path("v1.vdr")}).status, 0);
    run = RunTool({"export", dir.Path("v1.vdr"), "--format", "kvtml"});
    EXPECT_EQ(run.out.find("<comment>"), std::string::npos);
    EXPECT_NE(run.out.find("<name>Wald</name>"), std::string::npos);
    EXPECT_EQ(run.out.find("<name>version1</name>"), std::string::npos);
    run = RunTool({"export", kvtml, "--format", "kvtml", "--languages", "Latein:la,fr"});
    EXPECT_NE(run.out.find("<name>Latein</name>\n      <locale>la</locale>"), std::string::npos);
    EXPECT_NE(run.out.find("<name>fr</name>\n      <locale>fr</locale>"), std::string::npos);
    EXPECT_EQ(RunTool({"export", kvtml, "--format", "csv", "--separator", ";", "--encoding", "windows-1252"}).out,
              "Frage;L\xF6sung;Pattern;Kategorie;AufgabenNr;Punkte\r\nHaus;house;;;1;1\r\n"
              "K\xFC" "che;;;;2;1\r\n");

    const std::string japanese = dir.Path("Wörter 日本.csv");
    WriteBytes(japanese, "Haus;house\n");
    EXPECT_EQ(RunTool({"import", japanese, dir.Path("j.vdr")}).err,
              "Import abgelehnt: " + japanese + ": Dateiname \"Wörter 日本.csv\": Das Zeichen \"日\" "
              "(U+65E5) gibt es in Windows-1252 nicht (insgesamt 2 solche Zeichen).\n"
              "Mit --replace-unmappable werden solche Zeichen durch \"?\" ersetzt.\n");
    run = RunTool({"import", japanese, dir.Path("j.vdr"), "--replace-unmappable"});
    EXPECT_EQ(run.err, "Hinweis: Zeichen des Dateinamens, die es in Windows-1252 nicht gibt, stehen im "
                       "Titel als \"?\": Wörter ??.\n");
    cDocument doc;
    ASSERT_EQ(doc.Open(dir.Path("j.vdr")), 0);
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[0].m_strTitle, "W\xF6rter ??");
}

// quorvant-cli practice: scripted sessions through the command's own input and output.


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
    cTask tree = testdata::TextTask("2", Cp1252FromUtf8("Was heißt 'Baum'?"), "tree", 3);
    tree.m_bSelfAssess = true;
    cTask choice = testdata::TextTask("3", "Welche Zahlen sind gerade?", "", 1);
    choice.m_nType = TaskTypeMultipleChoice; choice.m_nChoiceCount = 3;
    choice.m_strChoice = {"2", "3", "4"}; choice.m_bChoiceRight = {true, false, true};
    d.m_aTasks = {testdata::TextTask("1", Cp1252FromUtf8("Was heißt 'Haus'?"), "house", 1), tree, choice};
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
                  "1 3\n'2, 4'  ist Richtig!!!\n\nRichtig: \n" + kHouse + "Antwort> :s\n" + kTree +
                  "Antwort> :l\nRichtig: tree\n" + kChoice + "haus\n" + kNumbersPlease + kChoice +
                  "\nDie Statistik ist gespeichert.\n");
    EXPECT_EQ(StoredStats(path), (std::vector<Counts>{{1, 0}, {0, 0, 1, 0}, {0, 1}}));
}

TEST(PracticeCommand, QuitToleranceEmptyQuestionnaireAndOnePointRating) {
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
    // A line longer than 64 KiB is refused, and the task asked again.
    const clitest::CliRun longLine = Practice(dir, std::string(65537, 'h') + "\n:q\n", path);
    EXPECT_NE(longLine.out.find(
                  "Antwort> \nDie Eingabe ist länger als 65536 Bytes und wird nicht angenommen.\nAntwort> :q\n"),
              std::string::npos);
    EXPECT_EQ(StoredStats(path), (std::vector<Counts>{{0, 1}, {0, 0, 0, 0}, {0, 0}}));

    const std::string empty =
        WriteTraining(dir, [](cTrainingData& d) { d.m_aQuestionnaires[0].m_aTaskIndex.clear(); });
    const clitest::CliRun none = Practice(dir, "", empty);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "Der Fragebogen 'Übung' enthält keine Aufgaben.\n");

    // A self-assessed one-point task has no "Teilrichtig": after a tolerated answer the
    // preset is offered as "r", and Enter counts the answer as right. The window's settings
    // (where the window keeps them): no going on after a right answer.
    const std::string one = WriteTraining(dir, [](cTrainingData& d) {
        d.m_aTasks[0].m_bSelfAssess = true;
        d.m_aTasks[0].m_nPatternCount = 2; d.m_aTasks[0].m_strPattern[1] = "house";
    });
    std::filesystem::create_directory(dir.Path("Quorvant"));
    testfiles::WriteBytes(dir.Path("Quorvant/settings_vdr.dat"),
                          std::string("\x07\x02\x01\x01\x01\x00\x07\x00", 8));
    const clitest::CliRun rated = Practice(dir, "hous\n\n:q\n", one);
    EXPECT_EQ(rated.status, 0) << rated.err;
    EXPECT_NE(rated.out.find("'hous'  ist fast Richtig (Ein Buchstabe fehlte)!!!\nRichtig: house\n"
                             "Selbstbewertung: r = Richtig (volle Punktzahl), f = Falsch (0 Punkte); "
                             "Enter übernimmt den Vorschlag (r)\nBewertung> \n"),
              std::string::npos) << rated.out;
    EXPECT_EQ(StoredStats(one)[0], Counts({0, 1}));
}

} // namespace
