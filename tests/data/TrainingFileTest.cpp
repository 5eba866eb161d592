// The training file: exact bytes of every block, round trips, what reading adds, keeps and
// skips, and every box. On the in-memory stream; files only where the path is tested.

#include "data/TrainingFile.h"

#include "common/RecordingPresenter.h"
#include "common/SameTrainingData.h"
#include "common/TestFiles.h"
#include "base/Cp1252.h"
#include "base/Datei.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testfiles;

namespace {

std::string WrittenFile(const cTrainingData& data) {
    cDatei out;
    EXPECT_TRUE(out.OpenBuffer()); WriteTrainingData(data, out); EXPECT_TRUE(out.Finish(false));
    return out.Written();
}

const std::string kPath = "/daten/t.vdr";

struct ReadResult { int result = -1; cTrainingData data; std::vector<RecordedBox> boxes; };

// Reads bytes into data that still holds something, which reading must drop.
ReadResult ReadFromBytes(std::string bytes) {
    ReadResult r;
    r.data.m_aTasks.resize(2); r.data.m_aQuestionnaires.resize(1); r.data.m_strPath = kPath;
    cDatei in;
    EXPECT_TRUE(in.OpenBytes(std::move(bytes)));
    RecordingPresenter boxes;
    r.result = ReadTrainingData(r.data, in);
    r.boxes = boxes.boxes;
    return r;
}

// Every field at a value that differs from its default, at the edges of its encoding.
cTrainingData EveryField() {
    cTrainingData d = MakeTrainingData(40, 7);
    d.m_bShowAll = d.m_bRandom = true;
    d.m_nMinPercent = 255; d.m_nMinRight = 128; d.m_nMaxWords = 0;
    d.m_bAllowMissing = d.m_bAllowExtra = d.m_bAllowSwap = true;
    d.m_strQuestionTemplate = std::string(300, 'q') + "{frage}";
    d.m_strRightTemplate = ""; d.m_strWrongTemplate = "\x80\x81\xFF";
    d.m_aColumnTitle.push_back(std::string(256, 'c'));
    d.m_aColumnWidth.push_back(4294967295u); d.m_aColumnKind.push_back(2147483648u);

    cTask& t = d.m_aTasks[3];
    t.m_nType = 200; t.m_strQuestion = std::string(1000, '\xE4'); t.m_strSolution = std::string(255, 's');
    t.m_nPoints = 8;
    for (int k = 0; k <= 8; ++k) t.m_nStats[k] = k == 8 ? 4294967295u : std::uint32_t(k * 70000);
    t.m_nPatternCount = 10;
    for (int k = 0; k < 10; ++k) t.m_strPattern[k] = k == 4 ? "" : "p" + std::to_string(k);
    t.m_strPicture = "a.png"; t.m_nPictureSize = 255; t.m_nPicturePlace = 130;
    t.m_strSound = "s.wav"; t.m_bSelfAssess = true;

    cTask& mc = d.m_aTasks[4];
    mc.m_nType = TaskTypeMultipleChoice; mc.m_bChoiceFlag = true; mc.m_nChoiceValue = 0;
    mc.m_nChoiceCount = 10; mc.m_nPoints = 0; mc.m_nStats = {99}; // no points: one counter stored
    for (int k = 0; k < 10; ++k) {
        mc.m_strChoice[k] = "Antwort " + std::to_string(k);
        if (k % 2) mc.m_strChoiceExtra[k] = "x";
        mc.m_bChoiceRight[k] = k % 3 == 0;
    }
    cQuestionnaire& q = d.m_aQuestionnaires[0];
    q.m_nExamSeconds = 0; q.m_nPassPoints = 3000000000u; q.m_nRetakePoints = 0; q.m_nIcon = -5;
    q.m_aTaskIndex = {39, 0, 39, 4};
    d.m_nTimedCount = 0;
    for (const cQuestionnaire& x : d.m_aQuestionnaires) d.m_nTimedCount += x.m_nExamSeconds >= 0 ? 1 : 0;
    return d;
}

// ---- exact bytes ---------------------------------------------------------------------

// The minimal file, and its start and end spelled out apart from the builder.
TEST(TrainingFileBytes, EmptyDataGivesTheMinimalFile) {
    const std::string file = WrittenFile(cTrainingData());
    EXPECT_EQ(ToHex(file), ToHex(StreamBuilder().FileStart().DefaultSettings().FileEnd().Bytes()));
    EXPECT_EQ(ToHex(file.substr(0, 38)), "0C 04 33 46 49 44 0C 0A 54 65 73 74 65 72 46 69 6C 65 07 64 "
                                         "07 64 0C 04 31 43 52 59 02 00 0C 04 31 41 4C 4C 01 00");
    EXPECT_EQ(ToHex(file.substr(file.size() - 9)), "0C 03 2D 46 42 0C 02 30 24");
}

TEST(TrainingFileBytes, ScrambledFileKeepsItsIdentificationPlain) {
    cTrainingData d = MakeTrainingData(5); d.m_nCrypt = 1;
    const std::string file = WrittenFile(d);
    const std::string plain = StreamBuilder().FileStart().Str("1CRY").Byte(1).Bytes();
    ASSERT_GT(file.size(), plain.size());
    EXPECT_EQ(ToHex(file.substr(0, plain.size())), ToHex(plain));
    // The tag of "1ALL" is the first scrambled byte: 0x0C XOR the first key byte 0x17.
    EXPECT_EQ(static_cast<unsigned char>(file[plain.size()]), 0x0C ^ 0x17);
    for (const char* plainText : {"1ALL", "Alle", "0$"}) EXPECT_EQ(file.find(plainText), std::string::npos);
}

// One file with every block the writer produces; each task shows one rule.
cTrainingData GoldenData() {
    cTrainingData d;
    d.m_bShowAll = d.m_bRandom = d.m_bAllowExtra = true;
    d.m_nMinPercent = 200; d.m_nMinRight = 3; d.m_nMaxWords = 7;
    d.m_strQuestionTemplate = "{frage}";
    d.m_aColumnTitle = {"Nr", "Frage"}; d.m_aColumnWidth = {40, 450}; d.m_aColumnKind = {0, 2};
    const auto task = [&d](const std::function<void(cTask&)>& edit) {
        cTask& t = d.m_aTasks.emplace_back();
        t.m_strTaskNo = "7"; t.m_strCategory = "Kat"; t.m_strQuestion = "F"; t.m_strSolution = "A";
        edit(t);
    };
    task([](cTask&) {});
    task([](cTask& t) { t.m_nStats[0] = 3; t.m_nStats[1] = 300; });
    task([](cTask& t) { t.m_nPoints = 0; t.m_nStats[0] = 5; });
    task([](cTask& t) { t.m_nPoints = 3; t.m_nStats = {2, 1, 4, 5}; });
    task([](cTask& t) { t.m_nPoints = 8; t.m_nStats[8] = 70000; });
    task([](cTask& t) { t.m_nPoints = 200; t.m_nStats.fill(1); }); // stored as 8 points
    task([](cTask& t) { t.m_bSelfAssess = true; t.m_nType = 3; });
    task([](cTask& t) {
        t.m_nType = TaskTypeMultipleChoice; t.m_bChoiceFlag = true; t.m_nChoiceValue = 200;
        t.m_nChoiceCount = 2; t.m_strChoice[0] = "ja"; t.m_bChoiceRight[0] = true;
        t.m_strChoice[1] = "nein"; t.m_strChoiceExtra[1] = "weil"; t.m_strChoice[2] = "not counted";
    });
    task([](cTask& t) { t.m_nChoiceCount = 1; t.m_strChoice[0] = "x"; }); // not multiple choice
    task([](cTask& t) { t.m_strPicture = "b.png"; t.m_nPictureSize = 2; });
    task([](cTask& t) { t.m_strPicture = "b.png"; t.m_nPicturePlace = 1; });
    task([](cTask& t) { t.m_nPictureSize = 2; t.m_nPicturePlace = 1; }); // no picture
    task([](cTask& t) { t.m_nPatternCount = 2; t.m_strPattern[1] = "muster"; });
    task([](cTask& t) { t.m_nPatternCount = 3; t.m_strPattern[0] = "a"; t.m_strPattern[2] = "c"; });
    task([](cTask& t) { t.m_nPatternCount = 1; }); // empty slot 0 is not stored
    task([](cTask& t) {
        t.m_nType = TaskTypeMultipleChoice; t.m_nChoiceCount = 1; t.m_strChoice[0] = "c";
        t.m_strSound = "s"; t.m_strPicture = "p"; t.m_nPatternCount = 2; t.m_strPattern[1] = "m";
    });
    cQuestionnaire plain, exam, all;
    plain.m_strTitle = "Einfach"; plain.m_aTaskIndex = {2, 0};
    exam.m_strTitle = "Pr\xFC" "fung";
    exam.m_nExamSeconds = 0; exam.m_nPassPoints = 40000; exam.m_nRetakePoints = 30; exam.m_nIcon = 3;
    all.m_strTitle = kAllTasksTitle; // the automatic one is not stored
    d.m_aQuestionnaires = {plain, exam, all};
    return d;
}

TEST(TrainingFileBytes, EveryBlockExactlyAndReadBackToTheSameBytes) {
    StreamBuilder b;
    b.FileStart().Str("1CRY").Byte(0).Str("1ALL").Bool(true).Str("1MIX").Bool(true)
        .Str("3AUS").Byte(200).Byte(3).Byte(7).Str("3TOL").Bool(false).Bool(true).Bool(false)
        .Str("3QAT").LStr("{frage}").LStr("").LStr("")
        .Str("#HDL").Num(6).Str("Nr").Num(40).Num(0).Str("Frage").Num(450).Num(2);
    const auto head = [&b](int type = 0, bool self = false) -> StreamBuilder& {
        return b.Str("+AUF").Str("1TYP").Num(type).Str("1TXT").Str("F").Str("1SOL").Str("A")
            .Str("1SBW").Bool(self);
    };
    const std::string num = StreamBuilder().Str("2NUM").Num(0).Num(0).Bytes();
    const std::string kat = StreamBuilder().Str("2KAT").Str("7").Str("Kat").Bytes();
    head().Raw(num).Raw(kat);
    head().Str("2NUM").Num(3).Num(300).Raw(kat);
    head().Str("1NUM").Num(5).Raw(kat);
    head().Str("4NUM").Num(2).Num(1).Num(4).Num(5).Raw(kat);
    head().Str("9NUM").Num(0).Num(0).Num(0).Num(0).Num(0).Num(0).Num(0).Num(0).Num(70000).Raw(kat);
    head().Str("9NUM").Num(1).Num(1).Num(1).Num(1).Num(1).Num(1).Num(1).Num(1).Num(1).Raw(kat);
    head(3, true).Raw(num).Raw(kat);
    head(1).Raw(num).Str("2MHE").Bool(true).Byte(200).Str("2MUL").Bool(true).Str("ja")
        .Str("3MUL").Bool(false).Str("nein").Str("weil").Raw(kat);
    head().Raw(num).Raw(kat);
    head().Raw(num).Str("2IMG").Str("b.png").Num(2).Raw(kat);
    head().Raw(num).Str("3IMG").Str("b.png").Num(0).Num(1).Raw(kat);
    head().Raw(num).Raw(kat);
    head().Raw(num).Str("2PA").Byte(1).Str("muster").Raw(kat);
    head().Raw(num).Str("2PA").Byte(0).Str("a").Str("2PA").Byte(1).Str("").Str("2PA").Byte(2).Str("c")
        .Raw(kat);
    head().Raw(num).Raw(kat);
    head(1).Raw(num).Str("2MHE").Bool(false).Byte(1).Str("2MUL").Bool(false).Str("c")
        .Str("1SND").Str("s").Str("1IMG").Str("p").Str("2PA").Byte(1).Str("m").Raw(kat);
    b.Str("-AUF").Str("+FB").Str("1FNA").Str("Einfach").Str("#FRA").Num(2).Num(2).Num(0)
        .Str("+FB").Str("1FNA").Str("Pr\xFC" "fung").Str("1FZT").Num(0).Str("2FPK").Num(40000).Num(30)
        .Str("1FI").Num(3).Str("#FRA").Num(0).Str("-FB").Str("0$");
    const cTrainingData d = GoldenData();
    const std::string file = WrittenFile(d);
    EXPECT_EQ(ToHex(file), ToHex(b.Bytes()));

    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0); EXPECT_TRUE(r.boxes.empty());
    ASSERT_EQ(r.data.m_aTasks.size(), d.m_aTasks.size());
    for (std::size_t i = 0; i < d.m_aTasks.size(); ++i)
        EXPECT_EQ(r.data.m_aTasks[i].m_nPoints, std::min<int>(d.m_aTasks[i].m_nPoints, 8)) << i;
    EXPECT_EQ(ToHex(WrittenFile(r.data)), ToHex(file));
}

// Write, read and write again: the same record and the same bytes.
TEST(TrainingFileRoundTrip, WriteReadWriteGivesTheSameBytes) {
    const struct { const char* name; int tasks; int crypt; } cases[] = { // tasks -1: every field
        {"no tasks", 0, 0}, {"realistic scrambled", 300, 1}, {"every field", -1, 0},
        {"every field scrambled", -1, 1}, {"unknown crypt mode", 50, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTrainingData d = c.tasks < 0 ? EveryField() : MakeTrainingData(c.tasks, 3);
        d.m_nCrypt = std::uint8_t(c.crypt);
        const std::string first = WrittenFile(d);
        ReadResult back = ReadFromBytes(first);
        ASSERT_EQ(back.result, 0); EXPECT_TRUE(back.boxes.empty());
        EXPECT_EQ(back.data.m_strPath, kPath);
        ExpectSameData(d, back.data);
        EXPECT_EQ(ToHex(WrittenFile(back.data)), ToHex(first));
    }
}

TEST(TrainingFileOnDisk, RoundTripWritesTheMemoryBytes) {
    TempDir dir;
    const std::string first = dir.Path("a.vdr");
    cTrainingData d = EveryField(); d.m_nCrypt = 1;
    ASSERT_EQ(d.WriteTrainingFile(first), 0); EXPECT_EQ(d.m_strPath, first);
    EXPECT_EQ(ReadBytes(first), WrittenFile(d));

    RecordingPresenter boxes;
    cTrainingData back = MakeTrainingData(2);
    ASSERT_EQ(back.ReadTrainingFile(first), 0); EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(back.m_strPath, first);
    ExpectSameData(d, back);
    // An empty path means the stored one.
    back.m_strPath = dir.Path("b.vdr");
    ASSERT_EQ(back.WriteTrainingFile(""), 0); EXPECT_EQ(back.m_strPath, dir.Path("b.vdr"));
    EXPECT_EQ(ReadBytes(dir.Path("b.vdr")), ReadBytes(first));
    // A missing file fails without a box, after the reset, and keeps its path.
    EXPECT_EQ(back.ReadTrainingFile(dir.Path("fehlt.vdr")), 1);
    EXPECT_TRUE(boxes.boxes.empty()); EXPECT_TRUE(back.m_aTasks.empty());
    EXPECT_EQ(back.m_strPath, dir.Path("fehlt.vdr"));
}

// ---- reading: what it adds, keeps, skips and survives, and every box on the way -------

using Box = std::pair<std::string, std::string>; // caption, text
using Indices = std::vector<std::uint32_t>;

struct ReadCase {
    const char* name;
    std::string bytes;
    std::function<void(const cTrainingData&)> check = {};
    int result = 0;
    std::vector<Box> boxes = {}; // every box, in order
    std::size_t tasks = 0;       // after a failure: those committed before it, and kept
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class Reading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Reading, GivesResultBoxesAndData) {
    const ReadCase& c = GetParam();
    const ReadResult r = ReadFromBytes(c.bytes);
    ASSERT_EQ(r.result, c.result);
    std::vector<Box> boxes;
    for (const RecordedBox& box : r.boxes) {
        boxes.emplace_back(box.caption, box.text);
        EXPECT_EQ(box.style, 0x10u);
    }
    EXPECT_EQ(boxes, c.boxes);
    if (c.result != 0) { // nothing of what reading adds at the end is there after a failure
        EXPECT_EQ(r.data.m_aTasks.size(), c.tasks);
        EXPECT_TRUE(r.data.m_aQuestionnaires.empty()); EXPECT_TRUE(r.data.m_aColumnTitle.empty());
    }
    if (c.check) c.check(r.data);
}

// A file whose one task is given by blocks.
std::string TaskFile(const StreamBuilder& blocks) {
    return StreamBuilder().FileStart().Str("+AUF").Raw(blocks.Bytes()).Str("-AUF").Str("-FB").Str("0$")
        .Bytes();
}

// Unknown blocks between the question and the solution of a task are skipped.
ReadCase Skip(const char* name, const StreamBuilder& unknown) {
    StreamBuilder b;
    b.FileStart().DefaultSettings().Str("+AUF").Str("1TXT").Str("vor").Raw(unknown.Bytes());
    b.Str("1SOL").Str("nach").Str("-AUF").Str("+FB").Str("1FNA").Str("F").Str("#FRA").Num(1).Num(0)
        .Str("-FB").Str("0$");
    return ReadCase{name, b.Bytes(), [](const cTrainingData& d) {
                        ASSERT_EQ(d.m_aTasks.size(), 1u);
                        EXPECT_EQ(d.m_aTasks[0].m_strQuestion, "vor");
                        EXPECT_EQ(d.m_aTasks[0].m_strSolution, "nach");
                        ASSERT_EQ(d.m_aQuestionnaires.size(), 2u);
                        EXPECT_EQ(d.m_aQuestionnaires[0].m_aTaskIndex, Indices{0});
                    }};
}

// A pattern slot outside the ten is ignored, and the values behind it still line up.
ReadCase PatternSlot(const char* name, std::int64_t index) {
    return ReadCase{name,
                    TaskFile(StreamBuilder().Str("2PA").Num(index).Str("weg").Str("2PA").Num(9)
                                 .Str("neun").Str("1SOL").Str("danach")),
                    [](const cTrainingData& d) {
                        const cTask& t = d.m_aTasks.at(0);
                        EXPECT_EQ(t.m_nPatternCount, 10);
                        EXPECT_EQ(t.m_strPattern, cTextSlots({"", "", "", "", "", "", "", "", "", "neun"}));
                        EXPECT_EQ(t.m_strSolution, "danach");
                    }};
}

// A column count that is no multiple of 3 reads N / 3 whole columns and nothing more.
ReadCase Columns(const char* name, int count) {
    return ReadCase{name,
                    StreamBuilder().FileStart().Str("#HDL").Num(count).Str("A").Num(10).Num(0)
                        .Str("1MIX").Bool(true).FileEnd().Bytes(),
                    [](const cTrainingData& d) {
                        EXPECT_EQ(d.m_aColumnTitle, std::vector<std::string>{"A"}); EXPECT_TRUE(d.m_bRandom);
                    }};
}

std::string ElevenAnswers() {
    StreamBuilder b;
    b.FileStart().Str("+AUF").Str("1TYP").Num(1);
    for (int k = 0; k < 12; ++k) {
        b.Str(k % 2 ? "3MUL" : "2MUL").Bool(k == 11).Str("A" + std::to_string(k));
        if (k % 2) b.Str("E" + std::to_string(k));
    }
    return b.Str("2KAT").Str("nr").Str("kat").Str("-AUF").Str("-FB").Str("0$").Bytes();
}

cTrainingData NoPassPoints() {
    cTrainingData d;
    d.m_aTasks.resize(1);
    d.m_aQuestionnaires.resize(2);
    d.m_aQuestionnaires[0].m_nRetakePoints = 17; // not stored without pass points
    return d;
}

INSTANTIATE_TEST_SUITE_P(
    Adds, Reading,
    ::testing::Values(
        ReadCase{"automatic questionnaire, exam times and default columns",
            StreamBuilder().FileStart().DefaultSettings()
                .Str("+AUF").Str("1TXT").Str("a").Str("+AUF").Str("1TXT").Str("b").Str("+AUF").Str("-AUF")
                .Str("+FB").Str("1FNA").Str("Q").Str("1FZT").Num(-5).Str("#FRA").Num(1).Num(2)
                .Str("+FB").Str("1FNA").Str("T").Str("1FZT").Num(90).Str("-FB").Str("0$").Bytes(),
            [](const cTrainingData& d) {
                ASSERT_EQ(d.m_aTasks.size(), 3u); EXPECT_EQ(d.m_aTasks[1].m_strQuestion, "b");
                ASSERT_EQ(d.m_aQuestionnaires.size(), 3u);
                EXPECT_EQ(d.m_aQuestionnaires[0].m_nExamSeconds, -1); // a negative time is none
                EXPECT_EQ(d.m_aQuestionnaires[1].m_nExamSeconds, 90);
                EXPECT_EQ(testfiles::QuestionnaireFields(d.m_aQuestionnaires[2]),
                          std::make_tuple("Alle Aufgaben", -1, 0u, 0u, 0, Indices{0, 1, 2}));
                EXPECT_EQ(d.m_nTimedCount, 1);
                EXPECT_EQ(d.m_aColumnTitle, (std::vector<std::string>{"Statistik", "Frage"}));
                EXPECT_EQ(d.m_aColumnWidth, (Indices{100, 450})); EXPECT_EQ(d.m_aColumnKind, (Indices{6, 2}));
            }},
        ReadCase{"empty pool, stored columns suppress the defaults",
            StreamBuilder().FileStart().Str("#HDL").Num(3).Str("Nr").Num(30).Num(0).FileEnd().Bytes(),
            [](const cTrainingData& d) {
                EXPECT_TRUE(d.m_aTasks.empty()); ASSERT_EQ(d.m_aQuestionnaires.size(), 1u);
                EXPECT_EQ(d.m_aQuestionnaires[0].m_strTitle, "Alle Aufgaben");
                EXPECT_TRUE(d.m_aQuestionnaires[0].m_aTaskIndex.empty());
                EXPECT_EQ(d.m_nTimedCount, 0);
                EXPECT_EQ(d.m_aColumnTitle, std::vector<std::string>{"Nr"});
                EXPECT_EQ(d.m_aColumnWidth, Indices{30}); EXPECT_EQ(d.m_aColumnKind, Indices{0});
            }},
        ReadCase{"a task without category block inherits number and category",
            StreamBuilder().FileStart().Str("+AUF").Str("2KAT").Str("12").Str("Recht")
                .Str("+AUF").Str("1TXT").Str("b").FileEnd().Bytes(),
            [](const cTrainingData& d) {
                ASSERT_EQ(d.m_aTasks.size(), 2u);
                EXPECT_EQ(d.m_aTasks[1].m_strTaskNo, "12"); EXPECT_EQ(d.m_aTasks[1].m_strCategory, "Recht");
            }},
        ReadCase{"scratch values go to the next task, which starts from them",
            StreamBuilder().FileStart()
                .Str("+AUF").Str("1TXT").Str("a").Str("2KAT").Str("12").Str("Recht")
                .Str("+AUF").Str("1TXT").Str("b").Str("1TXT").Str("c").Str("2KAT").Str("").Str("")
                .Str("+AUF").FileEnd().Bytes(),
            [](const cTrainingData& d) {
                ASSERT_EQ(d.m_aTasks.size(), 3u); EXPECT_EQ(d.m_aTasks[0].m_strTaskNo, "12");
                EXPECT_EQ(d.m_aTasks[1].m_strQuestion, "c"); EXPECT_EQ(d.m_aTasks[1].m_strTaskNo, "");
                // opened right after, nothing of its own
                EXPECT_EQ(d.m_aTasks[2].m_strQuestion, ""); EXPECT_EQ(d.m_aTasks[2].m_strTaskNo, "");
            }},
        ReadCase{"values outside a group go to the next element",
            StreamBuilder().FileStart()
                .Str("1TXT").Str("vorher").Str("+AUF").Str("1SOL").Str("x").Str("-AUF")
                .Str("1FNA").Str("Titel").Str("+FB").Str("#FRA").Num(1).Num(0).Str("-FB").Str("0$").Bytes(),
            [](const cTrainingData& d) {
                ASSERT_EQ(d.m_aTasks.size(), 1u);
                EXPECT_EQ(d.m_aTasks[0].m_strQuestion, "vorher"); EXPECT_EQ(d.m_aTasks[0].m_strSolution, "x");
                ASSERT_EQ(d.m_aQuestionnaires.size(), 2u);
                EXPECT_EQ(d.m_aQuestionnaires[0].m_strTitle, "Titel");
            }},
        ReadCase{"missing pass points read back as zero retake points", WrittenFile(NoPassPoints()),
            [](const cTrainingData& d) { EXPECT_EQ(d.m_aQuestionnaires.at(0).m_nRetakePoints, 0u); }}));

INSTANTIATE_TEST_SUITE_P(
    OlderForms, Reading,
    ::testing::Values(
        ReadCase{"old identification, FSB and FR, written again in the current form",
            StreamBuilder().Str("2FID").Str("TesterFile").Num(90)
                .Str("+AUF").Str("1TXT").Str("a").Str("+AUF").Str("1TXT").Str("b")
                .Str("1FSB").Num(1) // all tasks read so far
                .Str("+AUF").Str("1TXT").Str("c").Str("-AUF")
                .Str("+FB").Str("1FNA").Str("alt").Str("1FR").Num(2).Str("1FR").Num(0).Str("-FB").Str("0$")
                .Bytes(),
            [](const cTrainingData& d) {
                EXPECT_TRUE(d.m_bSelfAssessAll);
                ASSERT_EQ(d.m_aTasks.size(), 3u); EXPECT_TRUE(d.m_aTasks[0].m_bSelfAssess);
                EXPECT_FALSE(d.m_aTasks[1].m_bSelfAssess); // still open when FSB came
                EXPECT_FALSE(d.m_aTasks[2].m_bSelfAssess);
                EXPECT_EQ(d.m_aQuestionnaires.at(0).m_aTaskIndex, (Indices{2, 0}));
                const std::string again = WrittenFile(d);
                EXPECT_EQ(again.substr(0, 6), Hex({0x0C, 4, '3', 'F', 'I', 'D'}));
                for (const char* old : {"FSB", "1FR"}) EXPECT_EQ(again.find(old), std::string::npos);
                EXPECT_NE(again.find(StreamBuilder().Str("#FRA").Num(2).Num(2).Num(0).Bytes()),
                          std::string::npos);
            }},
        ReadCase{"old identification, settings only",
            StreamBuilder().Str("2FID").Str("TesterFile").Num(9).DefaultSettings().FileEnd().Bytes()},
        ReadCase{"FSB 0 clears the tasks read so far",
            StreamBuilder().FileStart().Str("+AUF").Str("1SBW").Bool(true).Str("+AUF").Str("1SBW")
                .Bool(true).Str("-AUF").Str("1FSB").Num(0).Str("-FB").Str("0$").Bytes(),
            [](const cTrainingData& d) {
                EXPECT_FALSE(d.m_bSelfAssessAll);
                EXPECT_FALSE(d.m_aTasks.at(0).m_bSelfAssess); EXPECT_FALSE(d.m_aTasks.at(1).m_bSelfAssess);
            }}));

INSTANTIATE_TEST_SUITE_P(
    Skipped, Reading,
    ::testing::Values(
        Skip("two numbers", StreamBuilder().Str("2XYZ").Num(1).Num(70000)),
        Skip("no values", StreamBuilder().Str("0XYZ").Str("-XYZ").Str("XYZ")),
        Skip("every kind of value", StreamBuilder().Str("9ALL9").Bool(true).Byte(1).Char(2).Word(3)
                                   .Short(4).Long(5).Num(1LL << 40).Str("s").LStr("l")),
        Skip("list", StreamBuilder().Str("#XYZ").Num(3).Str("a").Num(1).LStr("b")),
        Skip("empty list", StreamBuilder().Str("#XYZ").Num(0)),
        Skip("group with known blocks inside",
             StreamBuilder().Str("+GRP").Str("1TXT").Str("not this").Str("2KAT").Str("x").Str("y")
            .Str("+AUF").Str("#FRA").Num(2).Num(1).Num(2).Str("-AUF").Str("-OTHER")
            .Str("2XYZ").Num(1).Num(2).Str("-GRP")),
        Skip("nested group of the same name",
             StreamBuilder().Str("+GRP").Str("+GRP").Str("1TXT").Str("x").Str("-GRP")),
        ReadCase{"end marker inside a skipped group ends reading",
            StreamBuilder().FileStart().Str("+AUF").Str("-AUF").Str("+GRP").Str("1TXT").Str("x")
                .Str("0$").Bytes(),
            [](const cTrainingData& d) { EXPECT_EQ(d.m_aTasks.size(), 1u); }}));

INSTANTIATE_TEST_SUITE_P(
    Hostile, Reading,
    ::testing::Values(
        ReadCase{"an eleventh answer is ignored and the rest read", ElevenAnswers(),
            [](const cTrainingData& d) {
                const cTask& t = d.m_aTasks.at(0);
                EXPECT_EQ(t.m_nChoiceCount, 10);
                EXPECT_EQ(t.m_strChoice[9], "A9"); EXPECT_EQ(t.m_strChoiceExtra[9], "E9");
                EXPECT_FALSE(t.m_bChoiceRight[9]);
                EXPECT_EQ(t.m_strTaskNo, "nr"); EXPECT_EQ(t.m_strCategory, "kat");
            }},
        PatternSlot("pattern slot ten", 10), PatternSlot("pattern slot -1", -1),
        PatternSlot("huge pattern slot", 5000000000LL),
        ReadCase{"counter blocks without a digit change nothing",
            TaskFile(StreamBuilder().Str("3NUM").Num(1).Num(2).Num(3).Str("0NUM").Str("xNUM")),
            [](const cTrainingData& d) {
                EXPECT_EQ(d.m_aTasks.at(0).m_nPoints, 2); EXPECT_EQ(d.m_aTasks.at(0).m_nStats[2], 3u);
            }},
        ReadCase{"task indices outside the pool are dropped",
            StreamBuilder().FileStart().Str("+AUF").Str("+AUF").Str("-AUF")
                .Str("+FB").Str("#FRA").Num(5).Num(1).Num(2).Num(-1).Num(0).Num(70000)
                .Str("1FR").Num(1).Str("1FR").Num(2).Str("-FB").Str("0$").Bytes(),
            [](const cTrainingData& d) {
                EXPECT_EQ(d.m_aQuestionnaires.at(0).m_aTaskIndex, (Indices{1, 0, 1}));
            }},
        Columns("column count 4", 4), Columns("column count 5", 5)));

const std::string kCaption1 = "Fehler   (Fehler #1)";

Box NoString(int tag) {
    return {"", "Falscher Datentyp (" + std::to_string(tag) +
                    ")beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)"};
}

const Box kWrongFirstBlock{kCaption1, "Falsche BlockID ().\r\n'FID' Erwartet."};
const Box kLoadUF{"FEHLER", Cp1252FromUtf8("Datei.h:LoadUF(...) -  Typ nicht unterstützt!!")};
const Box kNoLongString{"", "Falscher Datentyp beim Einlesen der Datei. (String erwartet)"};
const Box kLoadUFNumber{"FEHLER", Cp1252FromUtf8("Datei.h:LoadUFNumber(...) -  Typ nicht unterstützt!!")};

// A task given by blocks, after the default settings; the file has no end of task.
std::string Task(const StreamBuilder& blocks) {
    return StreamBuilder().FileStart().DefaultSettings().Str("+AUF").Raw(blocks.Bytes()).FileEnd().Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, Reading,
    ::testing::Values(
        // A first value that is no string still leads to the wrong-block message.
        ReadCase{"first value a number", StreamBuilder().Num(5).FileEnd().Bytes(), {}, 1,
            {NoString(7), kWrongFirstBlock}},
        ReadCase{"text file", "hello", {}, 1, {NoString('h'), kWrongFirstBlock}},
        ReadCase{"first identifier cut short", Hex({12, 4, '3', 'F'}), {}, 1, {kWrongFirstBlock}},
        ReadCase{"file id no string", StreamBuilder().Str("3FID").Num(5).Bytes(), {}, 1,
            {NoString(7), {"Fehler   (Fehler #7)", "Falsche FileID ().\r\n'TesterFile' Erwartet."}}},
        // A stored 99 is the failure tag: a number reader takes it without a word, every
        // other reader reports it.
        ReadCase{"counter meets tag 99", Task(StreamBuilder().Str("3NUM").Num(4).Raw({99}).Num(6)),
            [](const cTrainingData& d) {
                ASSERT_EQ(d.m_aTasks.size(), 1u); EXPECT_EQ(d.m_aTasks[0].m_nPoints, 2);
                EXPECT_EQ(d.m_aTasks[0].m_nStats, (decltype(cTask::m_nStats){4, 0, 6}));
            }},
        ReadCase{"bool meets tag 99", Task(StreamBuilder().Str("1SBW").Raw({99})), {}, 0, {kLoadUF}},
        ReadCase{"identifier is tag 99", Task(StreamBuilder().Raw({99})), {}, 1, {NoString(99)}},
        ReadCase{"counter meets a double", Task(StreamBuilder().Str("2NUM").Raw({6}).Num(3)), {}, 0,
            {kLoadUFNumber}},
        // The short string's payload is left: its length byte reads as a bool tag that
        // swallows the text, and the third template takes the next long string.
        ReadCase{"template no long string",
            StreamBuilder().FileStart().Str("3QAT").Str("a").LStr("b").LStr("c").FileEnd().Bytes(),
            [](const cTrainingData& d) {
                EXPECT_EQ(std::tie(d.m_strQuestionTemplate, d.m_strRightTemplate, d.m_strWrongTemplate),
                          std::make_tuple("", "", "b"));
            },
            0, {kLoadUF, kNoLongString, kNoLongString}},
        // A pattern text of another type keeps what the slot held.
        ReadCase{"pattern no string",
            Task(StreamBuilder().Str("2PA").Byte(1).Str("alt").Str("2PA").Byte(1).Raw({1})),
            [](const cTrainingData& d) {
                ASSERT_EQ(d.m_aTasks.size(), 1u);
                EXPECT_EQ(d.m_aTasks[0].m_strPattern[1], "alt"); EXPECT_EQ(d.m_aTasks[0].m_nPatternCount, 2);
            },
            0, {NoString(1)}},
        ReadCase{"scrambling with a wrong prefix",
            StreamBuilder().FileStart().Str("3CRY").Byte(1).FileEnd().Bytes(), {}, 1,
            {{kCaption1, "Falsches PreChar (3).\r\n'1' Erwartet. (BlockID: CRY)"}}},
        ReadCase{"end marker missing",
            StreamBuilder().FileStart().DefaultSettings().Str("-AUF").Str("-FB").Bytes(), {}, 1,
            {NoString(99)}}));

TEST(ReadingHostile, ListCountsBeyondTheFileStopAtItsEnd) {
    for (const char* block : {"#FRA", "#HDL", "#XYZ"}) {
        SCOPED_TRACE(block);
        ReadResult r = ReadFromBytes(
            StreamBuilder().FileStart().Str("+FB").Str(block).Num(2147483647).Num(0).Num(0).Bytes());
        EXPECT_EQ(r.result, 1);
        // Reading stops at the end of the file; at most the final identifier read complains.
        EXPECT_LE(r.boxes.size(), 3u);
    }
}

TEST(ReadingHostile, MoreTasksOrQuestionnairesThanAnyRealFileAreRefused) {
    for (const auto& [block, what] : {std::pair{"+AUF", "Aufgaben"}, std::pair{"+FB", "Fragebögen"}}) {
        SCOPED_TRACE(block);
        StreamBuilder b;
        b.FileStart().DefaultSettings();
        for (std::size_t i = 0; i <= kMaxTrainingTasks; ++i)
            b.Str(block);
        const ReadResult r = ReadFromBytes(b.FileEnd().Bytes());
        EXPECT_EQ(r.result, 1);
        ASSERT_EQ(r.boxes.size(), 1u);
        EXPECT_EQ(r.boxes[0].text, Cp1252FromUtf8(std::string("Die Datei enthält mehr als 2000000 ") + what +
                                                  " und wird nicht geöffnet."));
    }
}

// ---- failures and their messages -----------------------------------------------------

// A known block with a wrong prefix character.
ReadCase Pre(const char* ident, const char* expectation) {
    const std::string id(ident);
    std::string text = "Falsches PreChar (";
    text.append(id, 0, 1).append(").").append(expectation).append(id, 1).append(")");
    return ReadCase{ident, StreamBuilder().FileStart().Str(id).Num(0).Num(0).Num(0).FileEnd().Bytes(), {},
                    1, {{kCaption1, text}}};
}

const char* const kOne = "\r\n'1' Erwartet. (BlockID: ";
const char* const kTwo = "\r\n'2' Erwartet. (BlockID: ";
const char* const kThree = "\r\n'3' Erwartet. (BlockID: ";

INSTANTIATE_TEST_SUITE_P(
    Header, Reading,
    ::testing::Values(
        ReadCase{"empty file", "", {}, 1,
                 {{"Fehler   (Fehler #8)", Cp1252FromUtf8("Die Datei (/daten/t.vdr) enthält keine Daten.")}}},
        ReadCase{"wrong first block", StreamBuilder().Str("3XYZ").Bytes(), {}, 1,
                 {{kCaption1, "Falsche BlockID (XYZ).\r\n'FID' Erwartet."}}},
        ReadCase{"empty first block", StreamBuilder().Str("").Bytes(), {}, 1, {kWrongFirstBlock}},
        ReadCase{"wrong id prefix", StreamBuilder().Str("4FID").Str("TesterFile").Bytes(), {}, 1,
                 {{kCaption1, "Falsches Zeichen (4).\r\n'3' oder '2' Erwartet."}}},
        ReadCase{"wrong file id", StreamBuilder().Str("3FID").Str("TestFile").Num(100).Num(100).Bytes(), {},
                 1, {{"Fehler   (Fehler #7)", "Falsche FileID (TestFile).\r\n'TesterFile' Erwartet."}}},
        ReadCase{"no end marker", StreamBuilder().FileStart().DefaultSettings().Str("-AUF").Bytes(), {}, 1,
                 {NoString(99)}},
        ReadCase{"identifier no string", StreamBuilder().FileStart().Num(5).Bytes(), {}, 1, {NoString(7)}},
        ReadCase{"the task still open is dropped",
                 StreamBuilder().FileStart().Str("+AUF").Str("+AUF").Str("1TXT").Str("b").Str("2TXT").Bytes(),
                 {}, 1, {{kCaption1, "Falsches PreChar (2).\r\n'1' Erwartet. (BlockID: TXT)"}}, 1}));

INSTANTIATE_TEST_SUITE_P(
    PreChars, Reading,
    ::testing::Values(
        Pre("2ALL", kOne), Pre("2TXT", kOne), Pre("2SND", kOne), Pre("2SBW", kOne),
        Pre("2TYP", kOne), Pre("2SOL", kOne), Pre("2MIX", kOne), Pre("2FR", kOne),
        Pre("2FNA", kOne), Pre("2FSB", kOne), Pre("2FZT", kOne), Pre("2FI", kOne),
        Pre("#FI", kOne), Pre("2CRY", kOne), Pre("1PA", kTwo), Pre("3MHE", kTwo),
        Pre("1KAT", kTwo), Pre("+FPK", kTwo), Pre("1TOL", kThree), Pre("2QAT", kThree),
        Pre("#AUS", kThree), Pre("1MUL", "\r\n'2 oder 3' Erwartet. (BlockID: "),
        Pre("4MUL", "\r\n'2 oder 3' Erwartet. (BlockID: "),
        Pre("0IMG", "\r\n'1', '2' oder '3' erwartet. (BlockID: "),
        Pre("4IMG", "\r\n'1', '2' oder '3' erwartet. (BlockID: "),
        Pre("1HDL", "\r\n'#' Erwartet. (BlockID: "), Pre("3FRA", "\r\n'#' Erwartet. (BlockID: "),
        Pre("1AUF", "\r\n'+' oder '-' Erwartet. (BlockID: "),
        Pre("#FB", "\r\n'+' oder '-' Erwartet. (BlockID: ")));

// ---- every truncation and damaged bytes ----------------------------------------------

void ExpectSoundData(const cTrainingData& d) {
    for (const cQuestionnaire& q : d.m_aQuestionnaires)
        for (const std::uint32_t i : q.m_aTaskIndex) ASSERT_LT(i, d.m_aTasks.size());
    for (const cTask& t : d.m_aTasks) {
        ASSERT_LE(t.m_nChoiceCount, kTaskSlots); ASSERT_LE(t.m_nPatternCount, kTaskSlots);
        ASSERT_LE(t.m_nPoints, 8);
    }
    ASSERT_EQ(d.m_aColumnTitle.size(), d.m_aColumnWidth.size());
    ASSERT_EQ(d.m_aColumnTitle.size(), d.m_aColumnKind.size());
}

// Every cut of a plain and of a scrambled file fails and leaves sound data behind.
TEST(EveryPrefix, ReadsWithoutCrashAndFails) {
    cTrainingData source = EveryField();
    source.m_aTasks.resize(8);
    for (cQuestionnaire& q : source.m_aQuestionnaires)
        std::erase_if(q.m_aTaskIndex, [](std::uint32_t i) { return i >= 8; });
    for (const std::uint8_t crypt : {0, 1}) {
        source.m_nCrypt = crypt;
        const std::string file = WrittenFile(source);
        ASSERT_GT(file.size(), 1000u);
        for (std::size_t n = 0; n < file.size(); ++n) {
            const ReadResult r = ReadFromBytes(file.substr(0, n));
            ASSERT_EQ(r.result, 1) << n << " bytes, crypt " << int(crypt);
            ExpectSoundData(r.data);
        }
        EXPECT_EQ(ReadFromBytes(file).result, 0);
    }
}

TEST(DamagedBytes, EveryFlippedByteReadsSafely) {
    const std::string file = WrittenFile(MakeTrainingData(6, 11));
    for (std::size_t i = 0; i < file.size(); ++i)
        for (const int mask : {0x01, 0x80, 0xFF}) {
            std::string bad = file;
            bad[i] = char(bad[i] ^ mask);
            ExpectSoundData(ReadFromBytes(bad).data);
        }
}

} // namespace
