#include "exchange/TrainingJson.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using OrderedJson = nlohmann::ordered_json;
using clitest::EdgeData;
using clitest::ExpectSameData;

std::string Exported(const cTrainingData& data) {
    std::ostringstream out;
    WriteTrainingJson(data, out);
    return out.str();
}
OrderedJson ExportedDoc(const cTrainingData& data) { return OrderedJson::parse(Exported(data)); }
bool Import(const std::string& text, cTrainingData& data, cJsonRefusal& refusal) {
    std::istringstream in(text);
    return ReadTrainingJson(in, data, refusal);
}

// Imports text that must be accepted.
cTrainingData Imported(const std::string& text) {
    cTrainingData data;
    cJsonRefusal refusal;
    EXPECT_TRUE(Import(text, data, refusal)) << refusal.syntaxByte << " " << refusal.message;
    return data;
}

// The keys of an object in their order, each followed by a blank.
std::string Keys(const OrderedJson& object) {
    std::string keys;
    for (auto it = object.begin(); it != object.end(); ++it)
        keys += it.key() + " ";
    return keys;
}

class JsonRoundTrip : public ::testing::TestWithParam<int> {};
TEST_P(JsonRoundTrip, KeepsEveryStoredField) {
    const cTrainingData original = EdgeData(static_cast<std::uint8_t>(GetParam()));
    const std::string text = Exported(original);
    // The stream writes exactly the layout of a two-blank indented dump.
    EXPECT_EQ(OrderedJson::parse(text).dump(2) + "\n", text);
    cTrainingData back;
    back.m_strPath = "stale";
    cJsonRefusal refusal{7, "stale"};
    ASSERT_TRUE(Import(text, back, refusal)) << refusal.message;
    EXPECT_EQ(std::to_string(refusal.syntaxByte) + refusal.message, "0");
    ExpectSameData(original, back);
    EXPECT_EQ(back.m_strPath, "");
    // And the text of a second export is the same.
    EXPECT_EQ(Exported(back), text);
}
INSTANTIATE_TEST_SUITE_P(Crypt, JsonRoundTrip, ::testing::Values(0, 1, 7));

TEST(JsonExport, KeysInTheirOrderAndAutomaticQuestionnaireLeftOut) {
    const OrderedJson j = ExportedDoc(EdgeData(0));
    EXPECT_EQ(Keys(j), "format version crypt showAll random minPercent minRight maxWords allowMissing "
                       "allowExtra allowSwap questionTemplate rightTemplate wrongTemplate columns tasks "
                       "questionnaires ");
    EXPECT_EQ(j["format"], "quorvant-training");
    EXPECT_EQ(j["version"], 1);
    EXPECT_EQ(Keys(j["tasks"][0]), "taskNo category type question solution selfAssess points stats "
                                   "choiceFlag choiceValue choices patterns sound picture pictureSize "
                                   "picturePlace ");
    EXPECT_EQ(Keys(j["tasks"][1]["choices"][0]), "text right extra ");
    EXPECT_EQ(Keys(j["questionnaires"][0]), "title examSeconds passPoints retakePoints icon tasks ");
    EXPECT_EQ(Keys(j["columns"][0]), "title width kind ");

    ASSERT_EQ(j["questionnaires"].size(), 3u);
    EXPECT_EQ(j["questionnaires"][2]["title"], "Offen");
    EXPECT_EQ(j["tasks"][0]["stats"].dump() + j["tasks"][2]["stats"].dump(), "[3,4294967295][12]");
    const auto sizes = {j["tasks"][1]["stats"].size(), j["tasks"][1]["choices"].size(),
                        j["tasks"][2]["patterns"].size()};
    EXPECT_EQ(std::vector<std::size_t>(sizes), (std::vector<std::size_t>{9, 10, 10}));
    EXPECT_EQ(j["tasks"][4]["choices"], OrderedJson::array());
    EXPECT_EQ(j["questionnaires"][1]["icon"], -3);
    EXPECT_EQ(j["columns"][3]["width"], 4294967295u);
}

TEST(JsonExport, TextBecomesUtf8ByTheCodePage) {
    cTrainingData data;
    data.m_strQuestionTemplate = "\xC4\x80\x81\x8D\x8F\x90\x9D\x9F\xFF";
    data.m_aQuestionnaires.emplace_back(); // the automatic one
    const std::string dumped = ExportedDoc(data).dump();
    EXPECT_NE(dumped.find("\"questionTemplate\":\"\xC3\x84\xE2\x82\xAC\xC2\x81\xC2\x8D\xC2\x8F"
                          "\xC2\x90\xC2\x9D\xC5\xB8\xC3\xBF\""), std::string::npos) << dumped;
    EXPECT_NE(dumped.find("\"questionnaires\":[]"), std::string::npos);
}

TEST(JsonImport, MissingKeysTakeTheDefaultsOfNewRecords) {
    cTrainingData data = Imported(R"({"tasks":[{}],"questionnaires":[{}]})");
    cTrainingData expected;
    expected.m_aTasks.resize(1); expected.m_aQuestionnaires.resize(2);
    expected.m_aQuestionnaires[1].m_strTitle = kAllTasksTitle;
    expected.m_aQuestionnaires[1].m_aTaskIndex = {0};
    ExpectSameData(expected, data);
    EXPECT_EQ(std::to_string(data.m_nMaxWords) + " " + std::to_string(data.m_aTasks[0].m_nPoints) + " " +
                  std::to_string(data.m_aQuestionnaires[0].m_nExamSeconds), "5 1 -1");

    data = Imported("{}");
    expected.m_aTasks.clear(); expected.m_aQuestionnaires.erase(expected.m_aQuestionnaires.begin());
    expected.m_aQuestionnaires[0].m_aTaskIndex.clear();
    ExpectSameData(expected, data);
    EXPECT_EQ(data.m_nTimedCount, 0);
}

// The stats stand before the points they depend on; timed questionnaires are counted.
TEST(JsonImport, StatsFollowPointsAndTimedQuestionnairesAreCounted) {
    const cTrainingData data = Imported(R"({"tasks":[{"stats":[4,5,6],"points":2},{"points":3}],)"
                                        R"("questionnaires":[{"examSeconds":0},{"examSeconds":-1},)"
                                        R"({"examSeconds":60}]})");
    EXPECT_EQ(data.m_aTasks[0].m_nStats, (std::array<std::uint32_t, kTaskSlots>{4, 5, 6}));
    EXPECT_EQ(data.m_aTasks[1].m_nStats, (std::array<std::uint32_t, kTaskSlots>{}));
    EXPECT_EQ(data.m_nTimedCount, 2);
}

TEST(JsonImport, CodePageCharactersAreAccepted) {
    const cTrainingData data = Imported(
        "\xEF\xBB\xBF{\"wrongTemplate\":\"\\u00c4\\u20ac\\u0081\\u009d\\u0178\\u0000\xC3\xA4\",\n"
        "\"rightTemplate\":\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00E9\"}\r\n\t ");
    EXPECT_EQ(data.m_strWrongTemplate, std::string("\xC4\x80\x81\x9D\x9F\0\xE4", 7));
    EXPECT_EQ(data.m_strRightTemplate, "\"\\/\b\f\n\r\t\xE9");
}

// Each row changes one place of a valid export; the refusal names it as a path such as
// "tasks[1].choices[3]" and the data stays. A reason that starts with ": " follows the path
// of the changed place; any other is the whole message.
struct Refusal {
    const char* pointer; // where the valid document is changed
    const char* value;   // the JSON put there
    std::string error;   // UTF-8
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.pointer << " = " << c.value; }
class JsonRefusal : public ::testing::TestWithParam<Refusal> {};
TEST_P(JsonRefusal, NamesThePlaceAndLeavesTheDataAlone) {
    const Refusal& c = GetParam();
    OrderedJson doc = ExportedDoc(EdgeData(0));
    doc[OrderedJson::json_pointer(c.pointer)] = OrderedJson::parse(c.value);
    cTrainingData data;
    data.m_strWrongTemplate = "kept";
    cJsonRefusal refusal;
    EXPECT_FALSE(Import(doc.dump(), data, refusal));
    EXPECT_EQ(refusal.syntaxByte, 0u);
    std::string place, part;
    for (std::istringstream parts(c.pointer + 1); std::getline(parts, part, '/');)
        place += part[0] >= '0' && part[0] <= '9' ? "[" + part + "]" : (place.empty() ? "" : ".") + part;
    EXPECT_EQ(refusal.message, c.error.rfind(": ", 0) == 0 ? place + c.error : c.error);
    EXPECT_EQ(data.m_strWrongTemplate, "kept");
    EXPECT_TRUE(data.m_aTasks.empty());
}
const std::string kByte = ": ganze Zahl von 0 bis 255 erwartet";
const std::string kU32 = ": ganze Zahl von 0 bis 4294967295 erwartet";
const std::string kI32 = ": ganze Zahl von -2147483648 bis 2147483647 erwartet";
const std::string kBool = ": Wahrheitswert (true oder false) erwartet", kText = ": Text erwartet";
const std::string kNo1252 = " hat kein Zeichen in Windows-1252";
const std::string kEleven = ": höchstens 10 Einträge erlaubt, 11 gefunden";
const std::string kIndex = ": Aufgabenindex von 0 bis 4 erwartet";
const std::string kPoints = ": ganze Zahl von 0 bis 8 erwartet";
INSTANTIATE_TEST_SUITE_P(Places, JsonRefusal, ::testing::ValuesIn(std::vector<Refusal>{
    {"/crypt", "256", kByte}, {"/crypt", "-1", kByte}, {"/crypt", "\"1\"", kByte}, {"/crypt", "1.0", kByte},
    {"/showAll", "1", kBool}, {"/random", "null", kBool}, {"/maxWords", "300", kByte},
    {"/allowSwap", "\"true\"", kBool}, {"/questionTemplate", "5", kText},
    {"/rightTemplate", "\"\\u4e2d\"", ": das Zeichen U+4E2D an Stelle 1" + kNo1252},
    {"/columns", "{}", ": Liste erwartet"}, {"/columns/0", "[]", ": Objekt erwartet"},
    {"/columns/1/width", "4294967296", kU32}, {"/columns/2/kind", "-1", kU32},
    {"/columns/3/title", "false", kText}, {"/tasks", "\"x\"", ": Liste erwartet"},
    {"/tasks/4", "7", ": Objekt erwartet"}, {"/tasks/3/points", "9", kPoints},
    {"/tasks/0/points", "-1", kPoints},
    {"/tasks/1/stats", "[1, 2]", ": 9 Werte erwartet (points + 1), 2 gefunden"},
    {"/tasks/0/points", "2", "tasks[0].stats: 3 Werte erwartet (points + 1), 2 gefunden"},
    {"/tasks/0/stats", "5", ": Liste erwartet"}, {"/tasks/1/stats/8", "-1", kU32},
    {"/tasks/0/stats/0", "4294967296", kU32}, {"/tasks/1/choices/-", "{}", "tasks[1].choices" + kEleven},
    {"/tasks/2/patterns/-", "\"x\"", "tasks[2].patterns" + kEleven},
    {"/tasks/1/choices/3/right", "\"ja\"", kBool}, {"/tasks/1/choices/0", "\"a\"", ": Objekt erwartet"},
    {"/tasks/1/choices/9/extra", "1", kText}, {"/tasks/2/patterns/4", "3", kText},
    {"/tasks/2/question", "\"ab\\ud83d\\ude00\"", ": das Zeichen U+1F600 an Stelle 3" + kNo1252},
    {"/tasks/0/taskNo", "\"\\u0080\"", ": das Zeichen U+0080 an Stelle 1" + kNo1252},
    {"/tasks/0/type", "256", kByte}, {"/tasks/2/pictureSize", "true", kByte},
    {"/tasks/3/choiceValue", "-5", kByte}, {"/tasks/4/selfAssess", "0", kBool},
    {"/questionnaires/0/tasks/1", "5", kIndex}, {"/questionnaires/1/tasks/0", "-1", kIndex},
    {"/questionnaires/1/tasks/2", "18446744073709551615", kIndex},
    {"/questionnaires/0/tasks/0", "\"1\"", ": Aufgabenindex (ganze Zahl) erwartet"},
    {"/tasks", "[]", "questionnaires[0].tasks[0]: verweist auf keine Aufgabe (tasks ist leer)"},
    {"/questionnaires/1/examSeconds", "2147483648", kI32}, {"/questionnaires/1/passPoints", "-1", kU32},
    {"/questionnaires/1/retakePoints", "1.5", kU32}, {"/questionnaires/1/icon", "true", kI32},
    {"/questionnaires/2", "null", ": Objekt erwartet"},
    {"/questionnaires/0/title", "\"\\u00dc\\u4e2d\"", ": das Zeichen U+4E2D an Stelle 2" + kNo1252},
    {"/format", "\"other\"", "format: \"quorvant-training\" erwartet"},
    {"/version", "2", ": nur Version 1 wird unterstützt"}}));

// Refusals of the whole text: a syntax error by its byte (1-based; the end of the input
// is the byte after the last), the others by place and reason. Among values that do not
// fit, the first in the layout's order is named, wherever it stands in the text.
struct TextRefusal { std::string text; std::size_t syntaxByte; std::string message; };
void PrintTo(const TextRefusal& c, std::ostream* os) { *os << c.text.substr(0, 60); }
class JsonTextRefusal : public ::testing::TestWithParam<TextRefusal> {};
TEST_P(JsonTextRefusal, NamesTheByteOrThePlace) {
    const TextRefusal& c = GetParam();
    cTrainingData data;
    cJsonRefusal refusal;
    EXPECT_FALSE(Import(c.text, data, refusal));
    EXPECT_EQ(refusal.syntaxByte, c.syntaxByte);
    EXPECT_EQ(refusal.message, c.message);
}
std::string Repeated(const std::string& piece, std::size_t n) {
    std::string s;
    while (n-- > 0)
        s += piece;
    return s;
}
const std::string kNested64 = "{\"x\":" + std::string(63, '[') + std::string(63, ']') + "}";
const std::string kTooLong(kMaxJsonText + 1, 'a');
const std::string kDeep = ": mehr als 64 Ebenen ineinander verschachtelt";
const std::string kAfter = "Dokument: nach dem JSON-Wert folgen weitere Zeichen (ab Byte ";
const std::string kHuge = ": Zahl außerhalb des darstellbaren Bereichs";
INSTANTIATE_TEST_SUITE_P(Edges, JsonTextRefusal, ::testing::ValuesIn(std::vector<TextRefusal>{
    {"", 1, ""}, {" \n", 3, ""}, {"\xEF\xBB{}", 3, ""}, {R"({"crypt":1)", 11, ""},
    {R"({"crypt":1,})", 12, ""}, {R"({"crypt" 1})", 10, ""}, {R"({"showAll":tru})", 15, ""},
    {R"({"crypt":01})", 11, ""}, {R"({"crypt":1e+})", 13, ""}, {std::string("{\"a\":\"x\0\"}", 10), 8, ""},
    {R"({"a":"\q"})", 8, ""}, {R"({"a":"\u12"})", 11, ""}, {R"({"a":"\udc00"})", 12, ""},
    {R"({"a":"\ud83d"})", 13, ""}, {R"({"a":"\ud83d\u0041"})", 18, ""}, {"{\"a\":\"\xC0\xAF\"}", 7, ""},
    {"{\"a\":\"\xED\xA0\x80\"}", 8, ""}, {"{\"a\":\"\xF4\x90\x80\x80\"}", 8, ""},
    {"[]", 0, "Dokument: JSON-Objekt erwartet"}, {"3", 0, "Dokument: JSON-Objekt erwartet"},
    {"\"x\"", 0, "Dokument: JSON-Objekt erwartet"}, {"null", 0, "Dokument: JSON-Objekt erwartet"},
    {"{} 12", 0, kAfter + "5)"}, {"{} []", 0, kAfter + "4)"},
    {std::string("{\"tasks\":[]}\0{\"x\":1}", 20), 0, kAfter + "13)"},
    {"{\"questionTemplate\":\"\xF0\x9F\x98\x80\"}", 0,
     "questionTemplate: das Zeichen U+1F600 an Stelle 1 hat kein Zeichen in Windows-1252"},
    {R"({"crypt":18446744073709551616})", 0, "crypt: ganze Zahl von 0 bis 255 erwartet"},
    {R"({"crypt":1e-400})", 0, "crypt: ganze Zahl von 0 bis 255 erwartet"}, // underflow is a fraction
    {R"({"crypt":1.7976931348623157e308})", 0, "crypt: ganze Zahl von 0 bis 255 erwartet"},
    {R"({"crypt":-1.8e308})", 0, "crypt" + kHuge},
    {"{\"crypt\":-" + std::string(400, '9') + "}", 0, "crypt" + kHuge},
    {"{\"tasks\":[{\"points\":1,\"stats\":[1,1e400]}]}", 0, "tasks[0].stats[1]" + kHuge},
    {"{\"x\":" + std::string(64, '[') + std::string(64, ']') + "}", 0, "x" + Repeated("[0]", 63) + kDeep},
    {"{\"a\":" + std::string(60000, '[') + std::string(60000, ']') + ",\"b\":1}", 0,
     "a" + Repeated("[0]", 63) + kDeep},
    {R"({"x":{"a":1,"a":2}})", 0, "x.a: Schlüssel kommt doppelt vor"},
    {"{\"tasks\":[{},{\"points\":1,\"solution\":\"a\",\"points\":2}]}", 0,
     "tasks[1].points: Schlüssel kommt doppelt vor"},
    {R"({"tasks":[{"points":9}],"crypt":300})", 0, "crypt: ganze Zahl von 0 bis 255 erwartet"},
    {R"({"tasks":[{"points":9}],"x":[1,})", 32, ""}, // syntax beats values
    {R"({"tasks":[{"stats":[1],"points":2}]})", 0,
     "tasks[0].stats: 3 Werte erwartet (points + 1), 1 gefunden"},
    {R"({"questionnaires":[{"tasks":[1]}],"tasks":[{}]})", 0,
     "questionnaires[0].tasks[0]: Aufgabenindex von 0 bis 0 erwartet"},
    {R"({"tasks":[{"choices":[1,{},{},{},{},{},{},{},{},{},{}]}]})", 0,
     "tasks[0].choices: höchstens 10 Einträge erlaubt, 11 gefunden"},
    {R"({"tasks":[{"picturePlace":-1,"taskNo":5}]})", 0, "tasks[0].taskNo: Text erwartet"},
    {"{\"questionTemplate\":\"" + kTooLong + "\"}", 0,
     "questionTemplate: Text länger als 16 MiB (16777216 Bytes)"},
    {"{\"tasks\":[{\"" + kTooLong + "\":1}]}", 0,
     "tasks[0]: Schlüssel länger als 16 MiB (16777216 Bytes)"}}));

TEST(JsonTextLimits, SixtyFourLevelsAndSixteenMiBAreAccepted) {
    EXPECT_TRUE(Imported(kNested64).m_aTasks.empty());
    // "ä" is two bytes of UTF-8, plain or escaped: exactly the limit passes, a byte more not.
    const std::string atLimit = Repeated("\xC3\xA4", kMaxJsonText / 2 - 1) + "\\u00e4";
    EXPECT_EQ(Imported("{\"questionTemplate\":\"" + atLimit + "\"}").m_strQuestionTemplate.size(),
              kMaxJsonText / 2);
    cTrainingData data;
    cJsonRefusal refusal;
    EXPECT_FALSE(Import("{\"questionTemplate\":\"" + atLimit + "x\"}", data, refusal));
    EXPECT_EQ(refusal.message, "questionTemplate: Text länger als 16 MiB (16777216 Bytes)");
}

} // namespace
