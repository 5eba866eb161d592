#include "cli/TrainingJson.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using OrderedJson = nlohmann::ordered_json;
using clitest::EdgeData;
using clitest::ExpectSameData;

std::string Exported(const cTrainingData& data) {
    std::ostringstream out;
    WriteTrainingJson(data, out);
    return out.str();
}

OrderedJson ExportedDoc(const cTrainingData& data) {
    return OrderedJson::parse(Exported(data));
}

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

std::vector<std::string> Keys(const OrderedJson& object) {
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it)
        keys.push_back(it.key());
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
    EXPECT_EQ(refusal.syntaxByte, 0u);
    EXPECT_EQ(refusal.message, "");
    ExpectSameData(original, back);
    EXPECT_EQ(back.m_strPath, "");
    // And the text of a second export is the same.
    EXPECT_EQ(Exported(back), text);
}
INSTANTIATE_TEST_SUITE_P(Crypt, JsonRoundTrip, ::testing::Values(0, 1, 7));

TEST(JsonExport, KeysInTheirOrderAndAutomaticQuestionnaireLeftOut) {
    const OrderedJson j = ExportedDoc(EdgeData(0));
    EXPECT_EQ(Keys(j), (std::vector<std::string>{
                           "format", "version", "crypt", "showAll", "random", "minPercent",
                           "minRight", "maxWords", "allowMissing", "allowExtra", "allowSwap",
                           "questionTemplate", "rightTemplate", "wrongTemplate", "columns",
                           "tasks", "questionnaires"}));
    EXPECT_EQ(j["format"], "quorvant-training");
    EXPECT_EQ(j["version"], 1);
    EXPECT_EQ(Keys(j["tasks"][0]),
              (std::vector<std::string>{"taskNo", "category", "type", "question", "solution",
                                        "selfAssess", "points", "stats", "choiceFlag",
                                        "choiceValue", "choices", "patterns", "sound",
                                        "picture", "pictureSize", "picturePlace"}));
    EXPECT_EQ(Keys(j["tasks"][1]["choices"][0]),
              (std::vector<std::string>{"text", "right", "extra"}));
    EXPECT_EQ(Keys(j["questionnaires"][0]),
              (std::vector<std::string>{"title", "examSeconds", "passPoints", "retakePoints",
                                        "icon", "tasks"}));
    EXPECT_EQ(Keys(j["columns"][0]), (std::vector<std::string>{"title", "width", "kind"}));

    ASSERT_EQ(j["questionnaires"].size(), 3u);
    EXPECT_EQ(j["questionnaires"][2]["title"], "Offen");
    EXPECT_EQ(j["tasks"][0]["stats"], OrderedJson::parse("[3, 4294967295]"));
    EXPECT_EQ(j["tasks"][2]["stats"], OrderedJson::parse("[12]"));
    EXPECT_EQ(j["tasks"][1]["stats"].size(), 9u);
    EXPECT_EQ(j["tasks"][1]["choices"].size(), 10u);
    EXPECT_EQ(j["tasks"][4]["choices"], OrderedJson::array());
    EXPECT_EQ(j["tasks"][2]["patterns"].size(), 10u);
    EXPECT_EQ(j["questionnaires"][1]["icon"], -3);
    EXPECT_EQ(j["columns"][3]["width"], 4294967295u);
}

TEST(JsonExport, TextBecomesUtf8ByTheCodePage) {
    cTrainingData data;
    data.m_strQuestionTemplate = "\xC4\x80\x81\x8D\x8F\x90\x9D\x9F\xFF";
    data.m_aQuestionnaires.emplace_back(); // the automatic one
    const std::string dumped = ExportedDoc(data).dump();
    EXPECT_NE(dumped.find("\"questionTemplate\":\"\xC3\x84\xE2\x82\xAC\xC2\x81\xC2\x8D\xC2\x8F"
                          "\xC2\x90\xC2\x9D\xC5\xB8\xC3\xBF\""),
              std::string::npos)
        << dumped;
    EXPECT_NE(dumped.find("\"questionnaires\":[]"), std::string::npos);
}

TEST(JsonImport, MissingKeysTakeTheDefaultsOfNewRecords) {
    cTrainingData data = Imported(R"({"tasks":[{}],"questionnaires":[{}]})");
    cTrainingData expected;
    expected.m_aTasks.emplace_back();
    expected.m_aQuestionnaires.emplace_back();
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    all.m_aTaskIndex = {0};
    expected.m_aQuestionnaires.push_back(all);
    ExpectSameData(expected, data);
    EXPECT_EQ(data.m_nMaxWords, 5);
    EXPECT_EQ(data.m_aTasks[0].m_nPoints, 1);
    EXPECT_EQ(data.m_aQuestionnaires[0].m_nExamSeconds, -1);

    data = Imported("{}");
    EXPECT_TRUE(data.m_aTasks.empty());
    ASSERT_EQ(data.m_aQuestionnaires.size(), 1u);
    EXPECT_EQ(data.m_aQuestionnaires[0].m_strTitle, "Alle Aufgaben");
    EXPECT_EQ(data.m_nTimedCount, 0);
}

TEST(JsonImport, StatsFollowPointsAndLaterSlotsStayZero) {
    // The stats stand before the points they depend on.
    const cTrainingData data = Imported(R"({"tasks":[{"stats":[4,5,6],"points":2},{"points":3}]})");
    EXPECT_EQ(data.m_aTasks[0].m_nStats,
              (std::array<std::uint32_t, kTaskSlots>{4, 5, 6, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(data.m_aTasks[1].m_nStats, (std::array<std::uint32_t, kTaskSlots>{}));
}

TEST(JsonImport, TimedQuestionnairesAreCounted) {
    const cTrainingData data = Imported(
        R"({"questionnaires":[{"examSeconds":0},{"examSeconds":-1},{"examSeconds":60}]})");
    EXPECT_EQ(data.m_nTimedCount, 2);
}

TEST(JsonImport, CodePageCharactersAreAccepted) {
    const cTrainingData data = Imported(
        "\xEF\xBB\xBF{\"wrongTemplate\":\"\\u00c4\\u20ac\\u0081\\u009d\\u0178\\u0000\xC3\xA4\",\n"
        "\"rightTemplate\":\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00E9\"}\r\n\t ");
    EXPECT_EQ(data.m_strWrongTemplate, std::string("\xC4\x80\x81\x9D\x9F\0\xE4", 7));
    EXPECT_EQ(data.m_strRightTemplate, "\"\\/\b\f\n\r\t\xE9");
}

struct Refusal {
    const char* name;
    const char* pointer; // where the valid document is changed
    const char* value;   // the JSON put there
    const char* error;   // UTF-8
};
void PrintTo(const Refusal& c, std::ostream* os) {
    *os << c.name;
}
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
    EXPECT_EQ(refusal.message, c.error);
    EXPECT_EQ(data.m_strWrongTemplate, "kept");
    EXPECT_TRUE(data.m_aTasks.empty());
}
INSTANTIATE_TEST_SUITE_P(Places, JsonRefusal, ::testing::Values(
    Refusal{"crypt_high", "/crypt", "256", "crypt: ganze Zahl von 0 bis 255 erwartet"},
    Refusal{"crypt_negative", "/crypt", "-1", "crypt: ganze Zahl von 0 bis 255 erwartet"},
    Refusal{"crypt_text", "/crypt", "\"1\"", "crypt: ganze Zahl von 0 bis 255 erwartet"},
    Refusal{"crypt_fraction", "/crypt", "1.0", "crypt: ganze Zahl von 0 bis 255 erwartet"},
    Refusal{"showAll_number", "/showAll", "1",
            "showAll: Wahrheitswert (true oder false) erwartet"},
    Refusal{"random_null", "/random", "null", "random: Wahrheitswert (true oder false) erwartet"},
    Refusal{"maxWords_high", "/maxWords", "300", "maxWords: ganze Zahl von 0 bis 255 erwartet"},
    Refusal{"allowSwap_text", "/allowSwap", "\"true\"",
            "allowSwap: Wahrheitswert (true oder false) erwartet"},
    Refusal{"template_number", "/questionTemplate", "5", "questionTemplate: Text erwartet"},
    Refusal{"template_han", "/rightTemplate", "\"\\u4e2d\"",
            "rightTemplate: das Zeichen U+4E2D an Stelle 1 hat kein Zeichen in Windows-1252"},
    Refusal{"columns_object", "/columns", "{}", "columns: Liste erwartet"},
    Refusal{"column_not_object", "/columns/0", "[]", "columns[0]: Objekt erwartet"},
    Refusal{"column_width_high", "/columns/1/width", "4294967296",
            "columns[1].width: ganze Zahl von 0 bis 4294967295 erwartet"},
    Refusal{"column_kind_negative", "/columns/2/kind", "-1",
            "columns[2].kind: ganze Zahl von 0 bis 4294967295 erwartet"},
    Refusal{"column_title_bool", "/columns/3/title", "false", "columns[3].title: Text erwartet"},
    Refusal{"tasks_text", "/tasks", "\"x\"", "tasks: Liste erwartet"},
    Refusal{"task_not_object", "/tasks/4", "7", "tasks[4]: Objekt erwartet"},
    Refusal{"points_nine", "/tasks/3/points", "9",
            "tasks[3].points: ganze Zahl von 0 bis 8 erwartet"},
    Refusal{"points_negative", "/tasks/0/points", "-1",
            "tasks[0].points: ganze Zahl von 0 bis 8 erwartet"},
    Refusal{"stats_short", "/tasks/1/stats", "[1, 2]",
            "tasks[1].stats: 9 Werte erwartet (points + 1), 2 gefunden"},
    Refusal{"stats_after_points", "/tasks/0/points", "2",
            "tasks[0].stats: 3 Werte erwartet (points + 1), 2 gefunden"},
    Refusal{"stats_not_list", "/tasks/0/stats", "5", "tasks[0].stats: Liste erwartet"},
    Refusal{"stats_negative", "/tasks/1/stats/8", "-1",
            "tasks[1].stats[8]: ganze Zahl von 0 bis 4294967295 erwartet"},
    Refusal{"stats_too_big", "/tasks/0/stats/0", "4294967296",
            "tasks[0].stats[0]: ganze Zahl von 0 bis 4294967295 erwartet"},
    Refusal{"eleven_choices", "/tasks/1/choices/-", "{}",
            "tasks[1].choices: höchstens 10 Einträge erlaubt, 11 gefunden"},
    Refusal{"eleven_patterns", "/tasks/2/patterns/-", "\"x\"",
            "tasks[2].patterns: höchstens 10 Einträge erlaubt, 11 gefunden"},
    Refusal{"choice_right_text", "/tasks/1/choices/3/right", "\"ja\"",
            "tasks[1].choices[3].right: Wahrheitswert (true oder false) erwartet"},
    Refusal{"choice_not_object", "/tasks/1/choices/0", "\"a\"",
            "tasks[1].choices[0]: Objekt erwartet"},
    Refusal{"choice_extra_number", "/tasks/1/choices/9/extra", "1",
            "tasks[1].choices[9].extra: Text erwartet"},
    Refusal{"pattern_number", "/tasks/2/patterns/4", "3", "tasks[2].patterns[4]: Text erwartet"},
    Refusal{"emoji", "/tasks/2/question", "\"ab\\ud83d\\ude00\"",
            "tasks[2].question: das Zeichen U+1F600 an Stelle 3 hat kein Zeichen in Windows-1252"},
    Refusal{"c1_control_0080", "/tasks/0/taskNo", "\"\\u0080\"",
            "tasks[0].taskNo: das Zeichen U+0080 an Stelle 1 hat kein Zeichen in Windows-1252"},
    Refusal{"type_high", "/tasks/0/type", "256", "tasks[0].type: ganze Zahl von 0 bis 255 erwartet"},
    Refusal{"picture_size_bool", "/tasks/2/pictureSize", "true",
            "tasks[2].pictureSize: ganze Zahl von 0 bis 255 erwartet"},
    Refusal{"choice_value_negative", "/tasks/3/choiceValue", "-5",
            "tasks[3].choiceValue: ganze Zahl von 0 bis 255 erwartet"},
    Refusal{"self_assess_number", "/tasks/4/selfAssess", "0",
            "tasks[4].selfAssess: Wahrheitswert (true oder false) erwartet"},
    Refusal{"index_past_end", "/questionnaires/0/tasks/1", "5",
            "questionnaires[0].tasks[1]: Aufgabenindex von 0 bis 4 erwartet"},
    Refusal{"index_negative", "/questionnaires/1/tasks/0", "-1",
            "questionnaires[1].tasks[0]: Aufgabenindex von 0 bis 4 erwartet"},
    Refusal{"index_huge", "/questionnaires/1/tasks/2", "18446744073709551615",
            "questionnaires[1].tasks[2]: Aufgabenindex von 0 bis 4 erwartet"},
    Refusal{"index_text", "/questionnaires/0/tasks/0", "\"1\"",
            "questionnaires[0].tasks[0]: Aufgabenindex (ganze Zahl) erwartet"},
    Refusal{"index_without_tasks", "/tasks", "[]",
            "questionnaires[0].tasks[0]: verweist auf keine Aufgabe (tasks ist leer)"},
    Refusal{"exam_too_long", "/questionnaires/1/examSeconds", "2147483648",
            "questionnaires[1].examSeconds: ganze Zahl von -2147483648 bis 2147483647 erwartet"},
    Refusal{"pass_negative", "/questionnaires/1/passPoints", "-1",
            "questionnaires[1].passPoints: ganze Zahl von 0 bis 4294967295 erwartet"},
    Refusal{"retake_fraction", "/questionnaires/1/retakePoints", "1.5",
            "questionnaires[1].retakePoints: ganze Zahl von 0 bis 4294967295 erwartet"},
    Refusal{"icon_bool", "/questionnaires/1/icon", "true",
            "questionnaires[1].icon: ganze Zahl von -2147483648 bis 2147483647 erwartet"},
    Refusal{"questionnaire_null", "/questionnaires/2", "null",
            "questionnaires[2]: Objekt erwartet"},
    Refusal{"questionnaire_title_han", "/questionnaires/0/title", "\"\\u00dc\\u4e2d\"",
            "questionnaires[0].title: das Zeichen U+4E2D an Stelle 2 hat kein Zeichen in "
            "Windows-1252"},
    Refusal{"format_other", "/format", "\"other\"", "format: \"quorvant-training\" erwartet"},
    Refusal{"version_two", "/version", "2", "version: nur Version 1 wird unterstützt"}));

TEST(JsonRefusalRoot, DocumentMustBeAnObject) {
    for (const char* text : {"[]", "3", "\"x\"", "null"}) {
        cTrainingData data;
        cJsonRefusal refusal;
        EXPECT_FALSE(Import(text, data, refusal)) << text;
        EXPECT_EQ(refusal.message, "Dokument: JSON-Objekt erwartet") << text;
    }
}


// Refusals of the whole text: a syntax error by its byte (1-based; the end of the input
// is the byte after the last), the others by place and reason. Among values that do not
// fit, the first in the layout's order is named, wherever it stands in the text.
struct TextRefusal {
    const char* name;
    std::string text;
    std::size_t syntaxByte;
    std::string message;
};
void PrintTo(const TextRefusal& c, std::ostream* os) {
    *os << c.name;
}
class JsonTextRefusal : public ::testing::TestWithParam<TextRefusal> {};
TEST_P(JsonTextRefusal, NamesTheByteOrThePlace) {
    const TextRefusal& c = GetParam();
    cTrainingData data;
    cJsonRefusal refusal;
    EXPECT_FALSE(Import(c.text, data, refusal));
    EXPECT_EQ(refusal.syntaxByte, c.syntaxByte);
    EXPECT_EQ(refusal.message, c.message);
}
std::string Repeated(const std::string& piece, int n) {
    std::string s;
    while (n-- > 0)
        s += piece;
    return s;
}
const std::string kNested64 = "{\"x\":" + std::string(63, '[') + std::string(63, ']') + "}";
INSTANTIATE_TEST_SUITE_P(Edges, JsonTextRefusal, ::testing::Values(
    TextRefusal{"empty", "", 1, ""},
    TextRefusal{"blanks_only", " \n", 3, ""},
    TextRefusal{"broken_byte_order_mark", "\xEF\xBB{}", 3, ""},
    TextRefusal{"unterminated", R"({"crypt":1)", 11, ""},
    TextRefusal{"trailing_comma", R"({"crypt":1,})", 12, ""},
    TextRefusal{"missing_colon", R"({"crypt" 1})", 10, ""},
    TextRefusal{"broken_literal", R"({"showAll":tru})", 15, ""},
    TextRefusal{"leading_zero", R"({"crypt":01})", 11, ""},
    TextRefusal{"exponent_without_digits", R"({"crypt":1e+})", 13, ""},
    TextRefusal{"nul_in_text", std::string("{\"a\":\"x\0\"}", 10), 8, ""},
    TextRefusal{"unknown_escape", R"({"a":"\q"})", 8, ""},
    TextRefusal{"short_unicode_escape", R"({"a":"\u12"})", 11, ""},
    TextRefusal{"lone_low_surrogate", R"({"a":"\udc00"})", 12, ""},
    TextRefusal{"high_surrogate_alone", R"({"a":"\ud83d"})", 13, ""},
    TextRefusal{"high_surrogate_then_letter", R"({"a":"\ud83d\u0041"})", 18, ""},
    TextRefusal{"overlong_utf8", "{\"a\":\"\xC0\xAF\"}", 7, ""},
    TextRefusal{"utf8_surrogate", "{\"a\":\"\xED\xA0\x80\"}", 8, ""},
    TextRefusal{"utf8_beyond_unicode", "{\"a\":\"\xF4\x90\x80\x80\"}", 8, ""},
    TextRefusal{"trailing_number", "{} 12", 0,
                "Dokument: nach dem JSON-Wert folgen weitere Zeichen (ab Byte 5)"},
    TextRefusal{"emoji_as_utf8", "{\"questionTemplate\":\"\xF0\x9F\x98\x80\"}", 0,
                "questionTemplate: das Zeichen U+1F600 an Stelle 1 hat kein Zeichen in "
                "Windows-1252"},
    TextRefusal{"integer_beyond_64_bits", R"({"crypt":18446744073709551616})", 0,
                "crypt: ganze Zahl von 0 bis 255 erwartet"},
    TextRefusal{"underflow_is_a_fraction", R"({"crypt":1e-400})", 0,
                "crypt: ganze Zahl von 0 bis 255 erwartet"},
    TextRefusal{"largest_double", R"({"crypt":1.7976931348623157e308})", 0,
                "crypt: ganze Zahl von 0 bis 255 erwartet"},
    TextRefusal{"beyond_largest_double", R"({"crypt":-1.8e308})", 0,
                "crypt: Zahl außerhalb des darstellbaren Bereichs"},
    TextRefusal{"nesting_65", "{\"x\":" + std::string(64, '[') + std::string(64, ']') + "}", 0,
                "x" + Repeated("[0]", 63) + ": mehr als 64 Ebenen ineinander verschachtelt"},
    TextRefusal{"duplicate_in_unknown_key", R"({"x":{"a":1,"a":2}})", 0,
                "x.a: Schlüssel kommt doppelt vor"},
    TextRefusal{"later_key_ranks_first", R"({"tasks":[{"points":9}],"crypt":300})", 0,
                "crypt: ganze Zahl von 0 bis 255 erwartet"},
    TextRefusal{"syntax_beats_values", R"({"tasks":[{"points":9}],"x":[1,})", 32, ""},
    TextRefusal{"stats_before_points", R"({"tasks":[{"stats":[1],"points":2}]})", 0,
                "tasks[0].stats: 3 Werte erwartet (points + 1), 1 gefunden"},
    TextRefusal{"index_before_tasks", R"({"questionnaires":[{"tasks":[1]}],"tasks":[{}]})",
                0, "questionnaires[0].tasks[0]: Aufgabenindex von 0 bis 0 erwartet"},
    TextRefusal{"count_beats_choice",
                R"({"tasks":[{"choices":[1,{},{},{},{},{},{},{},{},{},{}]}]})", 0,
                "tasks[0].choices: höchstens 10 Einträge erlaubt, 11 gefunden"},
    TextRefusal{"field_order_in_task", R"({"tasks":[{"picturePlace":-1,"taskNo":5}]})", 0,
                "tasks[0].taskNo: Text erwartet"}));

TEST(JsonTextRefusal, SixtyFourLevelsAreAccepted) {
    EXPECT_TRUE(Imported(kNested64).m_aTasks.empty());
}

} // namespace
