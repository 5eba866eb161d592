// The exchange readers on bytes written here, the import rules, and the round trips of
// training data through CSV, KVTML and Anki text.

#include "common/TaskBuilders.h"
#include "base/Cp1252.h"
#include "data/Document.h"
#include "exchange/Exchange.h"
#include "exchange/TrainingJson.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testdata::W;

// One line per task: question|solution|pattern|category|number|points[|picture|sound],
// UTF-8; lists as "title=0,1"; a refusal as "!kind message".
std::string Show(const cImportResult& r) {
    if (!r.Ok())
        return "!" + std::to_string(static_cast<int>(r.failure)) + " " + r.message;
    std::string out;
    // JSON: a whole training file; its questionnaires shown as lists.
    cImportResult whole;
    if (r.training) {
        for (const cTask& t : r.training->m_aTasks)
            out += Cp1252ToUtf8(t.m_strQuestion + "|" + t.m_strSolution + "|" + t.m_strPattern[1] + "|" +
                                t.m_strCategory + "|" + t.m_strTaskNo + "|" + std::to_string(t.m_nPoints)) + "\n";
        for (const cQuestionnaire& q : r.training->m_aQuestionnaires)
            whole.lists.push_back({q.m_strTitle + (q.m_nExamSeconds >= 0 ? " @" + std::to_string(q.m_nExamSeconds) : ""), q.m_aTaskIndex});
    }
    const cImportResult& shown = r.training ? whole : r;
    for (const cImportedTask& t : r.tasks) {
        out += Cp1252ToUtf8(t.question + "|" + t.solution + "|" + t.pattern + "|" + t.category +
                            "|" + t.taskNo + "|" + (t.points < 0 ? "" : std::to_string(t.points)));
        if (!t.picture.empty() || !t.sound.empty())
            out += "|" + Cp1252ToUtf8(t.picture) + "|" + Cp1252ToUtf8(t.sound);
        out += "\n";
    }
    for (const cImportedList& l : shown.lists) {
        out += Cp1252ToUtf8(l.title) + "=";
        for (std::size_t i = 0; i < l.entries.size(); ++i)
            out += (i ? "," : "") + std::to_string(l.entries[i]);
        out += "\n";
    }
    for (const std::string& note : r.notes)
        out += "~" + note + "\n";
    for (const cLanguage& l : r.languages)
        out += "@" + l.name + "/" + l.locale + "\n";
    return out;
}

struct Sample {
    const char* name;
    ExchangeFormat format;
    std::string bytes;
    std::string expected;
    cImportOptions options = {};
    std::size_t longLine = 0; // bytes of a second line made in the test, not kept in the table
};
void PrintTo(const Sample& s, std::ostream* os) { *os << s.name; }

std::string Kvtml(const std::string& entries, const std::string& lessons = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kvtml version=\"2.0\">\n<entries>\n" +
           entries + "</entries>\n<lessons>" + lessons + "</lessons>\n</kvtml>\n";
}

// Latin-1 text as UTF-16LE (each byte one code unit).
std::string Utf16(const std::string& latin1) {
    std::string out;
    for (const char c : latin1)
        out += {c, '\0'};
    return out;
}

std::string Entry(int id, const std::string& first, const std::string& second) {
    return "<entry id=\"" + std::to_string(id) + "\"><translation id=\"0\">" + first +
           "</translation><translation id=\"1\">" + second + "</translation></entry>\n";
}

std::vector<Sample> Samples() {
    const auto csv = ExchangeFormat::Csv;
    const auto kv = ExchangeFormat::Kvtml;
    const auto anki = ExchangeFormat::Anki;
    const auto json = ExchangeFormat::Json;
    cImportOptions replace;
    replace.replaceUnmappable = true;
    cImportOptions tab;
    tab.separator = '\t';
    cImportOptions cp1252;
    cp1252.encoding = TextEncoding::Cp1252;
    cImportOptions all;
    (void)ColumnsFromText("question,solution,pattern,category,number,points", all.columns);
    return {
        {"csv_quoting", csv, "Haus,\"house, home\"\n\"sagt \"\"hi\"\"\",\"zwei\nZeilen\"\n",
         "Haus|house, home||||\nsagt \"hi\"|zwei\r\nZeilen||||\n"},
        {"csv_crlf_all_columns", csv, "a;b;p;k;7;3\r\nc;d;;;;\r\n\r\n",
         "a|b|p|k|7|3\nc|d||||\n", all},
        {"csv_two_columns_without_header", csv, "a;b;p;k;7;3\r\n",
         "a|b||||\n~Nicht übernommene Spalten: 3, 4, 5, 6 (die Spalten sind wählbar)\n"},
        {"csv_header_english_any_order", csv,
         "\xEF\xBB\xBFPoints\tAnswer\tQUESTION\tNr\r\n2\tyes\tJa?\tA7\r\n",
         "Ja?|yes|||A7|2\n"},
        {"csv_header_german_umlaut", csv, "kategorie;LÖSUNG;Frage\nNomen;Straße;street\n",
         "street|Straße||Nomen||\n"},
        {"csv_windows1252_detected", csv, "M\xFC" "de,tired\n", "Müde|tired||||\n"},
        {"csv_control_only_row", csv, "Haus;house\n;\x1A;\n",
         "Haus|house||||\n~1 Zeilen ohne Frage und Lösung übersprungen\n"},
        {"csv_forced_windows1252", csv, "\xC3\xA4,x\n", "Ã¤|x||||\n", cp1252},
        {"csv_forced_separator", csv, "a,b\tc\n", "a,b|c||||\n", tab},
        {"csv_steady_separator_wins", csv, "a;b\n\"x;y\";c\t\t\td\n", "a|b||||\nx;y|c\t\t\td||||\n"},
        {"csv_unclosed_quote", csv, "a,b\n\"c,d\n", "!3 Zeile 2, Spalte 1: Das Anführungszeichen wird nicht geschlossen"},
        {"csv_text_after_quote", csv, "a,\"b\"x\n",
         "!3 Zeile 1, Spalte 6: Nach dem schließenden Anführungszeichen muss ein Trennzeichen oder das Zeilenende folgen"},
        {"csv_bad_points", csv, "a;b;;;;9\n", "!3 Zeile 1, Spalte 8: Punkte von 0 bis 8 erwartet, gefunden \"9\"", all},
        {"csv_second_line_without_solution", csv, "a;b\nc\n",
         "!3 Zeile 2, Spalte 1: Nach der Frage fehlt die Lösung (kein Semikolon in der Zeile)"},
        {"csv_header_twice", csv, "Frage,Antwort,Lösung\n",
         "!3 Zeile 1, Spalte 15: Die Kopfzeile nennt die Spalte \"Lösung\" ein zweites Mal"},
        {"csv_unmappable", csv, "Zürich,łódź ł\n",
         "!4 Zeile 1, Spalte 8: Das Zeichen \"ł\" (U+0142) gibt es in Windows-1252 nicht (insgesamt 3 solche Zeichen)"},
        {"csv_unmappable_replaced", csv, "Zürich,łódź\n", "Zürich|?ód?||||\n", replace},
        {"csv_70k_quoted_first_field", csv, "\"" + std::string(70000, 'q') + "\";y\na;b\n",
         std::string(70000, 'q') + "|y||||\na|b||||\n"},
        {"csv_50mb_line", csv, "a,b\n", "!3 Zeile 2, Spalte 1: Die Zeile ist länger als 1 MiB", {}, 50u << 20},
        {"csv_binary", csv, std::string("\x00\x01\x02,\xFF\xFE\n", 7),
         "!2 Die Datei ist keine CSV-Datei: Sie enthält Binärdaten statt Text"},
        {"csv_of_xml", csv, Kvtml(Entry(0, "<text>a</text>", "<text>b</text>")),
         "!2 Die Datei ist keine CSV-Datei: Keine Zeile enthält ein Trennzeichen (Komma, Semikolon oder Tabulator)"},
        {"csv_only_header", csv, "Frage;Lösung\n", "!3 Die Datei enthält keine Aufgaben"},
        {"kvtml_lessons_media", kv,
         Kvtml(Entry(4, "<text>Haus &amp; Hof</text><comment>Nomen</comment><image>b/h.png</image>",
                     "<text>house</text><sound>h.wav</sound>") +
                   Entry(9, "<text>zwei\nZeilen</text>", "<text><![CDATA[<b>]]></text><comment>k</comment>") +
                   Entry(7, "<text>x</text>", "<text>y</text>") + Entry(8, "", "<comment/>"),
               "<container><name>Ober</name><container><name>Unter</name><entry id=\"9\"/>"
               "<entry id=\"4\"/><entry id=\"7\"/><entry id=\"8\"/></container></container>"
               "<container><name>Leer</name><entry id=\"7\"/></container>"),
         "Haus & Hof|house||Nomen|||b/h.png|h.wav\nzwei\r\nZeilen|<b>||k||\nx|y||Ober / Unter||\n"
         "Ober / Unter=1,0,2\nLeer=2\n~1 leere Einträge übersprungen\n"},
        {"kvtml_utf16", kv, "\xFF\xFE" + Utf16(Kvtml(Entry(0, "<text>\xE4</text>", "<text>b</text>"))),
         "ä|b||||\n"},
        {"kvtml_truncated", kv, Kvtml(Entry(0, "<text>a</text>", "<text>b</text>")).substr(0, 120),
         "!3 Zeile 4, Spalte 49: Die Datei endet mitten im XML (abgeschnitten?)"},
        {"kvtml_one_side", kv,
         Kvtml("<entry id=\"0\">\n<translation id=\"0\"><text>a</text></translation></entry>\n"),
         "a|||||\n~Nur eine Seite ausgefüllt (im Editor ergänzen), Einträge 0\n"},
        {"kvtml_unknown_lesson_entry", kv, Kvtml(Entry(0, "", ""), "<container><name>L</name><entry id=\"3\"/></container>"),
         "!3 Zeile 6, Spalte 35: Die Lektion \"L\" verweist auf keinen vorhandenen Eintrag"},
        {"kvtml_unmappable", kv, Kvtml(Entry(0, "<text>a</text>", "<text>дом</text>")),
         "!4 Zeile 4, Spalte 89: Das Zeichen \"д\" (U+0434) gibt es in Windows-1252 nicht (insgesamt 3 solche Zeichen)"},
        {"kvtml_version1", kv, "<?xml version=\"1.0\"?><kvtml><e><o>a</o><t>b</t></e></kvtml>",
         "a|b||||\n"},
        {"kvtml_version3", kv, "<?xml version=\"1.0\"?><kvtml version=\"3.0\"/>",
         "!2 Die Datei ist im KVTML-Format der Version \"3.0\"; gelesen wird nur KVTML 2.0"},
        {"kvtml_of_csv", kv, "a;b\n", "!2 Die Datei ist keine KVTML-Datei (kein Element \"kvtml\")"},
        {"kvtml_binary", kv, std::string("\x89PNG\r\n\x1A\n\0\0", 10),
         "!2 Die Datei ist keine KVTML-Datei (kein Element \"kvtml\")"},
        {"anki_headers", anki,
         "#separator:Pipe\n#html:true\n#guid column:1\n#tags column:4\nx1|Vorne<br>Seite|Hinten &amp; mehr|Kapitel_1\n",
         "Vorne\r\nSeite|Hinten & mehr||Kapitel 1||\n"},
        {"anki_html_blocks", anki, "#html:true\n<div>a</div><div>b<br>c</div>\tx<p>y</p>\n",
         "a\r\nb\r\nc|x\r\ny||||\n"},
        {"anki_detected_tab", anki, "a\t\"b\tc\"\n", "a|b\tc||||\n"},
        {"anki_without_back", anki, "#separator:tab\n#tags column:2\nvorne\ttag\n",
         "!2 Die Datei ist keine Anki-Textdatei: Zeile 3, Spalte 1: Die Notiz hat keine Rückseite"},
        {"anki_bad_separator", anki, "#separator:Wide\na\tb\n", "!3 Zeile 1, Spalte 1: Unbekanntes Trennzeichen \"Wide\""},
        {"empty", anki, "", "!2 Die Datei ist leer"},
        {"json_whole_file", json,
         R"({"tasks":[{"question":"Haus","solution":"house","taskNo":"7","points":2},{"question":"Tür"}],)"
         R"("questionnaires":[{"title":"Test","examSeconds":-5,"tasks":[1,0]},{"title":"Prüfung","examSeconds":60}]})",
         "Haus|house|||7|2\nTür|||||1\nTest=1,0\nPrüfung @60=\nAlle Aufgaben=0,1\n"},
        {"json_syntax", json, "{\"tasks\":[}", "!3 Die Datei ist kein gültiges JSON (Fehler bei Byte 11)"},
        {"json_value", json, R"({"tasks":[{"points":9}]})", "!3 tasks[0].points: ganze Zahl von 0 bis 8 erwartet"},
        {"json_unmappable", json, R"({"tasks":[{"question":"a\u0434","solution":"дом"}]})",
         "!4 tasks[0].question: das Zeichen U+0434 an Stelle 2 hat kein Zeichen in Windows-1252"},
        {"json_unmappable_replaced", json, R"({"tasks":[{"question":"a\u0434","solution":"дом"}]})",
         "a?|???||||1\nAlle Aufgaben=0\n", replace},
        {"json_bad_utf8_not_replaced", json, "{\"tasks\":[{\"question\":\"\xFF\"}]}",
         "!3 Die Datei ist kein gültiges JSON (Fehler bei Byte 24)", replace},
    };
}

class ImportSample : public ::testing::TestWithParam<Sample> {};
TEST_P(ImportSample, GivesEntriesOrItsMessage) {
    Sample s = GetParam();
    if (s.longLine)
        s.bytes += std::string(s.longLine, 'x') + ",y\n";
    EXPECT_EQ(Show(ParseImport(s.format, s.bytes, s.options)), s.expected);
}
INSTANTIATE_TEST_SUITE_P(Formats, ImportSample, ::testing::ValuesIn(Samples()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AppendImport, KeepsTheFileAndContinuesItsNumbers) {
    cDocument doc;
    doc.NewDocument();
    cTrainingData& d = doc.m_data;
    d.m_aTasks = {testdata::TextTask("41", "alt", "old", 3), testdata::TextTask("A2", "b", "c")};
    d.m_aQuestionnaires.insert(d.m_aQuestionnaires.begin(), cQuestionnaire());
    d.m_aQuestionnaires.back().m_aTaskIndex = {0, 1};
    std::vector<cImportedTask> in(4);
    in[0].question = "q0";
    in[0].taskNo = "A2"; // taken: renumbered after the last number, "A2" giving 1
    in[1].taskNo = "50"; // free: kept, numbering goes on after it
    in[1].pattern = "p";
    in[1].points = 0;
    in[3].taskNo = "7";
    const int added = AppendImport(d, std::move(in), {{"L", {3, 1}}}, "vokabeln");

    EXPECT_EQ(added, 2);
    ASSERT_EQ(d.m_aTasks.size(), 6u);
    EXPECT_EQ(d.m_aTasks[0].m_strQuestion, "alt");
    const cTask fresh;
    std::vector<std::string> numbers;
    for (std::size_t i = 2; i < 6; ++i) {
        const cTask& t = d.m_aTasks[i];
        numbers.push_back(t.m_strTaskNo);
        EXPECT_EQ(t.m_nType, fresh.m_nType);
        EXPECT_EQ(t.m_strSeparators, fresh.m_strSeparators);
        EXPECT_EQ(t.m_nPoints, i == 3 ? 0 : 1);
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"1", "50", "51", "7"}));
    EXPECT_EQ(d.m_aTasks[3].m_strPattern[1], "p");
    EXPECT_EQ(d.m_aTasks[3].m_nPatternCount, 2);
    std::vector<std::string> titles;
    for (const cQuestionnaire& q : d.m_aQuestionnaires)
        titles.push_back(q.m_strTitle);
    EXPECT_EQ(titles, (std::vector<std::string>{"", "vokabeln", "L", kAllTasksTitle}));
    EXPECT_EQ(d.m_aQuestionnaires[1].m_aTaskIndex, (std::vector<std::uint32_t>{2, 3, 4, 5}));
    EXPECT_EQ(d.m_aQuestionnaires[2].m_aTaskIndex, (std::vector<std::uint32_t>{5, 3}));
    EXPECT_EQ(d.m_aQuestionnaires[3].m_aTaskIndex, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}));
}

// A JSON training file appended keeps every field of its tasks and its questionnaires;
// adopted, it replaces the document but for its path.
TEST(AppendTraining, KeepsTasksWholeAndTheirQuestionnaires) {
    std::string json =
        R"({"minPercent":80,"tasks":[{"taskNo":"1","question":"q","points":2,"stats":[3,1,4]},)"
        R"({"taskNo":"9","question":"r"}],)"
        R"("questionnaires":[{"title":"Prüfung","examSeconds":60,"passPoints":3,"tasks":[1]}]})";
    const cImportResult r = ParseImport(ExchangeFormat::Json, json, {});
    ASSERT_TRUE(r.Ok() && r.training) << r.message;
    cDocument doc;
    doc.NewDocument();
    cTrainingData& d = doc.m_data;
    d.m_aTasks = {testdata::TextTask("1", "alt", "old")};
    d.m_aQuestionnaires.back().m_aTaskIndex = {0};
    EXPECT_EQ(AppendTraining(d, cTrainingData(*r.training), "datei"), 2);

    ASSERT_EQ(d.m_aTasks.size(), 3u);
    const cTask& t = d.m_aTasks[1];
    EXPECT_EQ(t.m_strTaskNo + "," + d.m_aTasks[2].m_strTaskNo, "2,9"); // "1" was taken
    EXPECT_EQ(t.m_nStats[2], 4u);
    std::vector<std::string> titles;
    for (const cQuestionnaire& q : d.m_aQuestionnaires)
        titles.push_back(q.m_strTitle);
    EXPECT_EQ(titles, (std::vector<std::string>{"datei", W("Prüfung"), kAllTasksTitle}));
    EXPECT_EQ(d.m_aQuestionnaires[1].m_aTaskIndex, (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(d.m_aQuestionnaires[1].m_nPassPoints, 3u);
    EXPECT_EQ(d.m_nTimedCount, 1);
    EXPECT_EQ(d.m_aQuestionnaires.back().m_aTaskIndex, (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(d.m_nMinPercent, 0); // the open file's settings stay

    d.m_strPath = "/tmp/x.vdr";
    AdoptTraining(d, cTrainingData(*r.training));
    EXPECT_EQ(d.m_strPath, "/tmp/x.vdr");
    EXPECT_EQ(d.m_nMinPercent, 80);
    EXPECT_EQ(d.m_aTasks.size(), 2u);
    EXPECT_EQ(d.m_aColumnTitle, (std::vector<std::string>{"Statistik", "Frage"}));
}

// .vdr data -> format -> new document: what the format carries comes back field by field.
struct Trip {
    ExchangeFormat format;
    bool pattern, number, points, media, lists;
};
void PrintTo(const Trip& t, std::ostream* os) { *os << static_cast<int>(t.format); }
class ExchangeRoundTrip : public ::testing::TestWithParam<Trip> {};
TEST_P(ExchangeRoundTrip, KeepsWhatTheFormatCarries) {
    const Trip& c = GetParam();
    cDocument source;
    source.NewDocument();
    cTrainingData& d = source.m_data;
    for (int i = 0; i < 10000; ++i) {
        cTask t = testdata::TextTask(std::to_string(i + 1), "Frage " + std::to_string(i), "L\xF6sung");
        t.m_strCategory = i % 2 ? W("Kapitel 1 – Äpfel") : "";
        t.m_nPoints = static_cast<std::uint8_t>(i % 9);
        d.m_aTasks.push_back(t);
    }
    cTask& odd = d.m_aTasks[1];
    odd.m_strQuestion = W("\"Zitat\"; a, b\ttab\r\nzweite Zeile <&> €");
    odd.m_strSolution = "";
    odd.m_nPatternCount = 2;
    odd.m_strPattern[1] = "x|y";
    odd.m_strPicture = "bilder\\a.png";
    odd.m_strSound = "ton.wav";
    cQuestionnaire q;
    q.m_strTitle = W("Prüfung");
    q.m_aTaskIndex = {1, 9999, 4, 5}; // 4 without category
    d.m_aQuestionnaires.insert(d.m_aQuestionnaires.begin(), q);

    std::string bytes = ExportText(d, c.format);
    cImportResult r = ParseImport(c.format, bytes, {});
    ASSERT_TRUE(r.Ok()) << r.message;
    cDocument target;
    target.NewDocument();
    (void)AppendImport(target.m_data, std::move(r.tasks), r.lists, "datei");

    const cTrainingData& back = target.m_data;
    ASSERT_EQ(back.m_aTasks.size(), d.m_aTasks.size());
    const cTask none;
    for (std::size_t i = 0; i < d.m_aTasks.size(); ++i) {
        const cTask& a = d.m_aTasks[i];
        const cTask& b = back.m_aTasks[i];
        SCOPED_TRACE(i);
        ASSERT_EQ(b.m_strQuestion, a.m_strQuestion);
        ASSERT_EQ(b.m_strSolution, a.m_strSolution);
        ASSERT_EQ(b.m_strCategory, a.m_strCategory);
        ASSERT_EQ(b.m_strTaskNo, a.m_strTaskNo); // carried, or continued from 1 alike
        ASSERT_EQ(b.m_strPattern[1], c.pattern ? a.m_strPattern[1] : none.m_strPattern[1]);
        ASSERT_EQ(b.m_nPoints, c.points ? a.m_nPoints : none.m_nPoints);
        ASSERT_EQ(b.m_strPicture, c.media ? a.m_strPicture : "");
        ASSERT_EQ(b.m_strSound, c.media ? a.m_strSound : "");
    }
    std::map<std::string, std::vector<std::uint32_t>> lists;
    for (const cQuestionnaire& each : back.m_aQuestionnaires)
        lists[each.m_strTitle] = each.m_aTaskIndex;
    const std::vector<std::uint32_t> noList;
    EXPECT_EQ(lists.count(W("Prüfung")) ? lists[W("Prüfung")] : noList, c.lists ? q.m_aTaskIndex : noList);
    EXPECT_EQ(lists["datei"].size(), d.m_aTasks.size());
    EXPECT_EQ(back.m_aQuestionnaires.back().m_strTitle, kAllTasksTitle);
}
INSTANTIATE_TEST_SUITE_P(Formats, ExchangeRoundTrip, ::testing::Values(
    Trip{ExchangeFormat::Csv, true, true, true, false, false},
    Trip{ExchangeFormat::Kvtml, false, false, false, true, true},
    Trip{ExchangeFormat::Anki, false, false, false, false, false}));

TEST(ExchangeExport, StartsAsOtherProgramsExpect) {
    cDocument doc;
    doc.NewDocument();
    doc.m_data.m_aTasks = {testdata::TextTask("1", "Haus", "house"), testdata::TextTask("2", "#1\a", "")};
    doc.m_data.m_aTasks[0].m_strCategory = "zwei Worte";
    const std::string kvtml = ExportText(doc.m_data, ExchangeFormat::Kvtml);
    EXPECT_EQ(kvtml.rfind("<?xml", 0), 0u);
    const std::size_t eol = kvtml.find('\n');
    EXPECT_NE(kvtml.substr(eol + 1, kvtml.find('\n', eol + 1) - eol).find("kvtml"), std::string::npos);
    EXPECT_EQ(ExportText(doc.m_data, ExchangeFormat::Anki),
              "#separator:tab\n#html:false\n#tags column:3\nHaus\thouse\tzwei_Worte\n"
              "\"#1 \"\t\tVokabeln\n");
    EXPECT_EQ(ExportText(doc.m_data, ExchangeFormat::Csv, '\t'),
              "\xEF\xBB\xBF" "Frage\tLösung\tPattern\tKategorie\tAufgabenNr\tPunkte\r\n"
              "Haus\thouse\t\tzwei Worte\t1\t1\r\n#1 \t\t\tVokabeln\t2\t1\r\n");
}

// Files laid out as the other programs write them (tests/exchange/data), and our own
// JSON, read as the import reads them: the format from the extension.
TEST(ForeignFiles, ArriveWhole) {
    cImportOptions columns;
    ASSERT_TRUE(ColumnsFromText("-,question,solution", columns.columns));
    const struct {
        const char* file;
        std::string expected;
        cImportOptions options = {};
    } cases[] = {
        {"padding.kvtml", "Haus|house||||\nKüche|||||\n~2 leere Einträge übersprungen\n"
                          "~Nur eine Seite ausgefüllt (im Editor ergänzen), Einträge 13\n"
                          "@Deutsch/de\n@Englisch/en\n"},
        {"version1.kvtml", "Kuh|cow||Bauernhof||\nBär|bear||Wald||\nHühnchen|chicken||||\n"
                           "Bauernhof=0\nWald=1\n~1 leere Einträge übersprungen\n@de/de\n@en/en\n"},
        {"windows1252.kvtml", "Preis – 5 €|price||||\n"},
        {"sep-line.csv", "Käse|cheese||||\nBaum|tree||||\nBlatt|||||\n"
                         "~Nicht übernommene Spalten: 3 (die Spalten sind wählbar)\n"
                         "~Nur eine Seite ausgefüllt (im Editor ergänzen), Zeilen 5\n"},
        {"sep-line.csv", "cheese|Notiz zum Käse||||\ntree|||||\n~Nicht übernommene Spalten: 1\n"
                         "~1 Zeilen ohne Frage und Lösung übersprungen\n"
                         "~Nur eine Seite ausgefüllt (im Editor ergänzen), Zeilen 4\n", columns},
        {"header-lesson.csv", "Haus|house||Lektion 1||\nSatz; mit|zwei\r\nZeilen||Lektion 2||\n"
                              "~Nicht übernommene Spalten: \"Bemerkung\"\n"},
        {"trainer.csv", "Hund|dog||||\nKatze|cat||||\n"},
        {"unicode-text.txt", "Haus|house||Nomen||\nÄpfel|say \"apple\"||||\n"},
        {"notes.txt", "Haus & Hof|house\r\nhome||nomen, lektion 1||||haus.mp3\n"
                      "Mäuse – 3€|mice|||||maus.jpg|\n"
                      "[Hauptstadt] liegt an der Spree.|Berlin||geo||\n"
                      "Berlin liegt an der [...].|Spree||geo||\n"},
        {"notes-deck.txt", "Hund|dog||Tiere||\n"},
        {"training.json", "Haus|house|home|Nomen|1|2\nWelche Farben hat die Flagge?||||2|1\n"
                          "Lektion 1 @300=0,1\nAlle Aufgaben=0,1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string(QUORVANT_SOURCE_DIR "/tests/exchange/data/") + c.file;
        const cImportResult r = ReadImportFile(path, FormatFromPath(path), c.options);
        EXPECT_EQ(Show(r), c.expected);
        EXPECT_EQ(Cp1252ToUtf8(r.title), std::string(c.file).substr(0, std::string(c.file).rfind('.')));
        // Our own JSON, as the command line exports it, comes back byte for byte.
        if (r.training) {
            std::ostringstream json;
            WriteTrainingJson(*r.training, json);
            EXPECT_EQ(json.str(), testfiles::ReadBytes(path));
        }
    }
}

} // namespace
