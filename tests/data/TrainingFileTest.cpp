#include "data/TrainingData.h"

#include "common/RecordingPresenter.h"
#include "common/SameTrainingData.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"
#include "data/Datei.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include <sys/stat.h>

using testfiles::ExpectSameQuestionnaires;
using testfiles::ExpectSameSettings;
using testfiles::FileSizeLimit;
using testfiles::Hex;
using testfiles::MakeTrainingData;
using testfiles::ReadBytes;
using testfiles::StreamBuilder;
using testfiles::TempDir;
using testfiles::ToHex;
using testfiles::WriteBytes;

namespace {

std::string WrittenFile(cTrainingData data)
{
    TempDir dir;
    const std::string path = dir.Path("t.vdr");
    EXPECT_EQ(data.WriteTrainingFile(path), 0);
    return ReadBytes(path);
}

struct ReadResult {
    int result = -1;
    cTrainingData data;
    std::vector<RecordedBox> boxes;
    std::string path;
};

ReadResult ReadFromBytes(const std::string& bytes)
{
    TempDir dir;
    ReadResult r;
    r.path = dir.Path("t.vdr");
    WriteBytes(r.path, bytes);
    RecordingPresenter boxes;
    r.result = r.data.ReadTrainingFile(r.path);
    r.boxes = boxes.boxes;
    return r;
}

// The blocks a data set writes between the settings and "-AUF" (its tasks and, with
// questionnaires, what follows "-AUF" up to "-FB").
std::string MiddleOf(const std::string& file)
{
    const std::string start = StreamBuilder().FileStart().DefaultSettings().Bytes();
    const std::string end = StreamBuilder().Str("-FB").Str("0$").Bytes();
    EXPECT_EQ(file.substr(0, start.size()), start);
    EXPECT_EQ(file.substr(file.size() - end.size()), end);
    return file.substr(start.size(), file.size() - start.size() - end.size());
}

cTrainingData OneTask(const cTask& task)
{
    cTrainingData d;
    d.m_aTasks.push_back(task);
    return d;
}

void ExpectSameTask(const cTask& a, const cTask& b)
{
    EXPECT_EQ(a.m_strQuestion, b.m_strQuestion);
    EXPECT_EQ(a.m_strTaskNo, b.m_strTaskNo);
    EXPECT_EQ(a.m_strCategory, b.m_strCategory);
    EXPECT_EQ(a.m_nType, b.m_nType);
    EXPECT_EQ(a.m_bSelfAssess, b.m_bSelfAssess);
    EXPECT_EQ(a.m_nPoints, b.m_nPoints);
    for (int k = 0; k <= a.m_nPoints && k < kTaskSlots; ++k)
        EXPECT_EQ(a.m_nStats[k], b.m_nStats[k]) << k;
    EXPECT_EQ(a.m_strSolution, b.m_strSolution);
    EXPECT_EQ(a.m_strSound, b.m_strSound);
    EXPECT_EQ(a.m_strPicture, b.m_strPicture);
    EXPECT_EQ(a.m_nPictureSize, b.m_nPictureSize);
    EXPECT_EQ(a.m_nPicturePlace, b.m_nPicturePlace);
    EXPECT_EQ(a.m_nPatternCount, b.m_nPatternCount);
    for (int k = 0; k < a.m_nPatternCount; ++k)
        EXPECT_EQ(a.m_strPattern[k], b.m_strPattern[k]) << k;
    if (a.m_nType == TaskTypeMultipleChoice) {
        EXPECT_EQ(a.m_bChoiceFlag, b.m_bChoiceFlag);
        EXPECT_EQ(a.m_nChoiceValue, b.m_nChoiceValue);
        EXPECT_EQ(a.m_nChoiceCount, b.m_nChoiceCount);
        for (int k = 0; k < a.m_nChoiceCount; ++k) {
            EXPECT_EQ(a.m_strChoice[k], b.m_strChoice[k]);
            EXPECT_EQ(a.m_strChoiceExtra[k], b.m_strChoiceExtra[k]);
            EXPECT_EQ(a.m_bChoiceRight[k], b.m_bChoiceRight[k]);
        }
    }
}

// Everything a file carries, compared field by field.
void ExpectSameContent(const cTrainingData& a, const cTrainingData& b)
{
    ExpectSameSettings(a, b);
    ASSERT_EQ(a.m_aTasks.size(), b.m_aTasks.size());
    for (std::size_t i = 0; i < a.m_aTasks.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSameTask(a.m_aTasks[i], b.m_aTasks[i]);
    }
    ExpectSameQuestionnaires(a, b);
}

// Every field at a value that differs from its default, at the edges of its encoding.
cTrainingData EveryField()
{
    cTrainingData d = MakeTrainingData(40, 7);
    d.m_bShowAll = true;
    d.m_bRandom = true;
    d.m_nMinPercent = 255;
    d.m_nMinRight = 128;
    d.m_nMaxWords = 0;
    d.m_bAllowMissing = d.m_bAllowExtra = d.m_bAllowSwap = true;
    d.m_strQuestionTemplate = std::string(300, 'q') + "{frage}";
    d.m_strRightTemplate = "";
    d.m_strWrongTemplate = "\x80\x81\xFF";
    d.m_aColumnTitle.push_back(std::string(256, 'c'));
    d.m_aColumnWidth.push_back(4294967295u);
    d.m_aColumnKind.push_back(2147483648u);

    cTask& t = d.m_aTasks[3];
    t.m_nType = 200;
    t.m_strQuestion = std::string(1000, '\xE4');
    t.m_strSolution = std::string(255, 's');
    t.m_nPoints = 8;
    for (int k = 0; k <= 8; ++k)
        t.m_nStats[k] = k == 8 ? 4294967295u : static_cast<std::uint32_t>(k * 70000);
    t.m_nPatternCount = 10;
    for (int k = 0; k < 10; ++k)
        t.m_strPattern[k] = std::string(1, 'p').append(std::to_string(k));
    t.m_strPattern[4] = "";
    t.m_strPicture = "a.png";
    t.m_nPictureSize = 255;
    t.m_nPicturePlace = 130;
    t.m_strSound = "s.wav";
    t.m_bSelfAssess = true;

    cTask& mc = d.m_aTasks[4];
    mc.m_nType = TaskTypeMultipleChoice;
    mc.m_bChoiceFlag = true;
    mc.m_nChoiceValue = 0;
    mc.m_nChoiceCount = 10;
    for (int k = 0; k < 10; ++k) {
        mc.m_strChoice[k] = std::string("Antwort ").append(std::to_string(k));
        if (k % 2)
            mc.m_strChoiceExtra[k] = "x";
        mc.m_bChoiceRight[k] = k % 3 == 0;
    }
    mc.m_nPoints = 0;
    mc.m_nStats[0] = 99;

    cQuestionnaire& q = d.m_aQuestionnaires[0];
    q.m_nExamSeconds = 0;
    q.m_nPassPoints = 3000000000u;
    q.m_nRetakePoints = 0;
    q.m_nIcon = -5;
    q.m_aTaskIndex = {39, 0, 39, 4};
    d.m_nTimedCount = 0;
    for (const cQuestionnaire& x : d.m_aQuestionnaires)
        d.m_nTimedCount += x.m_nExamSeconds >= 0 ? 1 : 0;
    return d;
}

// ---- exact bytes ---------------------------------------------------------------------

TEST(TrainingFileBytes, EmptyDataGivesTheMinimalFile)
{
    const std::string expected = StreamBuilder().FileStart().DefaultSettings().FileEnd().Bytes();
    EXPECT_EQ(ToHex(WrittenFile(cTrainingData())), ToHex(expected));
}

TEST(TrainingFileBytes, BeginsAndEndsAsDocumented)
{
    for (const bool showAll : {false, true}) {
        cTrainingData d = MakeTrainingData(5);
        d.m_bShowAll = showAll;
        const std::string file = WrittenFile(d);
        const std::string prefix =
            Hex({0x0C, 0x04, 0x33, 0x46, 0x49, 0x44, 0x0C, 0x0A, 0x54, 0x65, 0x73, 0x74, 0x65,
                 0x72, 0x46, 0x69, 0x6C, 0x65, 0x07, 0x64, 0x07, 0x64, 0x0C, 0x04, 0x31, 0x43,
                 0x52, 0x59, 0x02, 0x00, 0x0C, 0x04, 0x31, 0x41, 0x4C, 0x4C, 0x01,
                 showAll ? 0x01 : 0x00});
        const std::string ending = Hex({0x0C, 0x03, 0x2D, 0x46, 0x42, 0x0C, 0x02, 0x30, 0x24});
        EXPECT_EQ(ToHex(file.substr(0, prefix.size())), ToHex(prefix));
        EXPECT_EQ(ToHex(file.substr(file.size() - ending.size())), ToHex(ending));
    }
}

TEST(TrainingFileBytes, ScrambledFileKeepsItsIdentificationPlain)
{
    cTrainingData d = MakeTrainingData(5);
    d.m_nCrypt = 1;
    const std::string file = WrittenFile(d);
    const std::string plain = StreamBuilder().FileStart().Str("1CRY").Byte(1).Bytes();
    ASSERT_GT(file.size(), plain.size());
    EXPECT_EQ(ToHex(file.substr(0, plain.size())), ToHex(plain));
    // The tag of "1ALL" is the first scrambled byte: 0x0C XOR the first key byte 0x17.
    EXPECT_EQ(static_cast<unsigned char>(file[plain.size()]), 0x0C ^ 0x17);
    EXPECT_EQ(file.find("1ALL"), std::string::npos);
    EXPECT_EQ(file.find("Alle"), std::string::npos);
    EXPECT_EQ(file.find("0$"), std::string::npos);
}

TEST(TrainingFileBytes, SettingsBlocks)
{
    cTrainingData d;
    d.m_bShowAll = true;
    d.m_bRandom = true;
    d.m_nMinPercent = 200;
    d.m_nMinRight = 3;
    d.m_nMaxWords = 7;
    d.m_bAllowExtra = true;
    d.m_strQuestionTemplate = "{frage}";
    d.m_aColumnTitle = {"Nr", "Frage"};
    d.m_aColumnWidth = {40, 450};
    d.m_aColumnKind = {0, 2};
    const std::string expected =
        StreamBuilder()
            .FileStart()
            .Str("1CRY").Byte(0).Str("1ALL").Bool(true).Str("1MIX").Bool(true)
            .Str("3AUS").Byte(200).Byte(3).Byte(7)
            .Str("3TOL").Bool(false).Bool(true).Bool(false)
            .Str("3QAT").LStr("{frage}").LStr("").LStr("")
            .Str("#HDL").Num(6).Str("Nr").Num(40).Num(0).Str("Frage").Num(450).Num(2)
            .FileEnd()
            .Bytes();
    EXPECT_EQ(ToHex(WrittenFile(d)), ToHex(expected));
}

struct TaskCase {
    const char* name;
    std::function<void(cTask&)> edit;
    std::function<void(StreamBuilder&)> blocks; // between "1SBW" value and "2KAT"
};
void PrintTo(const TaskCase& c, std::ostream* os) { *os << c.name; }

class TaskBlocks : public ::testing::TestWithParam<TaskCase> {};

TEST_P(TaskBlocks, WriteExactBlocksAndReadBack)
{
    cTask t;
    t.m_strTaskNo = "7";
    t.m_strCategory = "Kat";
    t.m_strQuestion = "Frage?";
    t.m_strSolution = "Antwort";
    GetParam().edit(t);
    StreamBuilder b;
    b.Str("+AUF").Str("1TYP").Num(t.m_nType).Str("1TXT").Str("Frage?").Str("1SOL").Str("Antwort")
        .Str("1SBW").Bool(t.m_bSelfAssess);
    GetParam().blocks(b);
    b.Str("2KAT").Str("7").Str("Kat").Str("-AUF");
    const std::string file = WrittenFile(OneTask(t));
    EXPECT_EQ(ToHex(MiddleOf(file)), ToHex(b.Bytes()));

    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    ASSERT_EQ(r.data.m_aTasks.size(), 1u);
    EXPECT_TRUE(r.boxes.empty());
    cTask expected = t;
    if (expected.m_strPicture.empty())
        expected.m_nPictureSize = expected.m_nPicturePlace = 0;
    if (expected.m_nPatternCount == 1 && expected.m_strPattern[0].empty())
        expected.m_nPatternCount = 0;
    ExpectSameTask(expected, r.data.m_aTasks[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Tasks, TaskBlocks,
    ::testing::Values(
        TaskCase{"new task", [](cTask&) {}, [](StreamBuilder& b) { b.Str("2NUM").Num(0).Num(0); }},
        TaskCase{"one point",
                 [](cTask& t) { t.m_nStats[0] = 3; t.m_nStats[1] = 300; },
                 [](StreamBuilder& b) { b.Str("2NUM").Num(3).Num(300); }},
        TaskCase{"zero points",
                 [](cTask& t) { t.m_nPoints = 0; t.m_nStats[0] = 5; },
                 [](StreamBuilder& b) { b.Str("1NUM").Num(5); }},
        TaskCase{"three points",
                 [](cTask& t) { t.m_nPoints = 3; t.m_nStats = {2, 1, 4, 5}; },
                 [](StreamBuilder& b) { b.Str("4NUM").Num(2).Num(1).Num(4).Num(5); }},
        TaskCase{"eight points",
                 [](cTask& t) { t.m_nPoints = 8; t.m_nStats[8] = 70000; },
                 [](StreamBuilder& b) {
                     b.Str("9NUM");
                     for (int k = 0; k < 8; ++k)
                         b.Num(0);
                     b.Num(70000);
                 }},
        TaskCase{"self assessment, type 3",
                 [](cTask& t) { t.m_bSelfAssess = true; t.m_nType = 3; },
                 [](StreamBuilder& b) { b.Str("2NUM").Num(0).Num(0); }},
        TaskCase{"multiple choice",
                 [](cTask& t) {
                     t.m_nType = TaskTypeMultipleChoice;
                     t.m_bChoiceFlag = true;
                     t.m_nChoiceValue = 200;
                     t.m_nChoiceCount = 2;
                     t.m_strChoice[0] = "ja";
                     t.m_bChoiceRight[0] = true;
                     t.m_strChoice[1] = "nein";
                     t.m_strChoiceExtra[1] = "weil";
                     t.m_strChoice[2] = "not counted";
                 },
                 [](StreamBuilder& b) {
                     b.Str("2NUM").Num(0).Num(0).Str("2MHE").Bool(true).Byte(200);
                     b.Str("2MUL").Bool(true).Str("ja").Str("3MUL").Bool(false).Str("nein").Str("weil");
                 }},
        TaskCase{"choices of another type are not stored",
                 [](cTask& t) { t.m_nChoiceCount = 1; t.m_strChoice[0] = "x"; },
                 [](StreamBuilder& b) { b.Str("2NUM").Num(0).Num(0); }},
        TaskCase{"picture with size",
                 [](cTask& t) { t.m_strPicture = "b.png"; t.m_nPictureSize = 2; },
                 [](StreamBuilder& b) {
                     b.Str("2NUM").Num(0).Num(0).Str("2IMG").Str("b.png").Num(2);
                 }},
        TaskCase{"picture with place",
                 [](cTask& t) { t.m_strPicture = "b.png"; t.m_nPicturePlace = 1; },
                 [](StreamBuilder& b) {
                     b.Str("2NUM").Num(0).Num(0).Str("3IMG").Str("b.png").Num(0).Num(1);
                 }},
        TaskCase{"size without picture is not stored",
                 [](cTask& t) { t.m_nPictureSize = 2; t.m_nPicturePlace = 1; },
                 [](StreamBuilder& b) { b.Str("2NUM").Num(0).Num(0); }},
        TaskCase{"pattern in slot 1",
                 [](cTask& t) { t.m_nPatternCount = 2; t.m_strPattern[1] = "muster"; },
                 [](StreamBuilder& b) {
                     b.Str("2NUM").Num(0).Num(0).Str("2PA").Byte(1).Str("muster");
                 }},
        TaskCase{"patterns in slots 0 and 2",
                 [](cTask& t) {
                     t.m_nPatternCount = 3;
                     t.m_strPattern[0] = "a";
                     t.m_strPattern[2] = "c";
                 },
                 [](StreamBuilder& b) {
                     b.Str("2NUM").Num(0).Num(0).Str("2PA").Byte(0).Str("a").Str("2PA").Byte(1).Str("")
                         .Str("2PA").Byte(2).Str("c");
                 }},
        TaskCase{"count 1 with empty slot 0 reads back as 0",
                 [](cTask& t) { t.m_nPatternCount = 1; },
                 [](StreamBuilder& b) { b.Str("2NUM").Num(0).Num(0); }},
        TaskCase{"all optional blocks in order",
                 [](cTask& t) {
                     t.m_nType = TaskTypeMultipleChoice;
                     t.m_nChoiceCount = 1;
                     t.m_strChoice[0] = "c";
                     t.m_strSound = "s";
                     t.m_strPicture = "p";
                     t.m_nPatternCount = 2;
                     t.m_strPattern[1] = "m";
                 },
                 [](StreamBuilder& b) {
                     b.Str("2NUM").Num(0).Num(0).Str("2MHE").Bool(false).Byte(1);
                     b.Str("2MUL").Bool(false).Str("c").Str("1SND").Str("s").Str("1IMG").Str("p");
                     b.Str("2PA").Byte(1).Str("m");
                 }}));

TEST(TrainingFileBytes, QuestionnaireBlocksSkipTheAutomaticOne)
{
    cTrainingData d;
    d.m_aTasks.resize(3);
    cQuestionnaire plain;
    plain.m_strTitle = "Einfach";
    plain.m_aTaskIndex = {2, 0};
    cQuestionnaire exam;
    exam.m_strTitle = "Pr\xFC" "fung";
    exam.m_nExamSeconds = 0;
    exam.m_nPassPoints = 40000;
    exam.m_nRetakePoints = 30;
    exam.m_nIcon = 3;
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    all.m_aTaskIndex = {0, 1, 2};
    d.m_aQuestionnaires = {plain, exam, all};
    const std::string file = WrittenFile(d);
    const std::string tail = StreamBuilder()
                                 .Str("-AUF")
                                 .Str("+FB").Str("1FNA").Str("Einfach").Str("#FRA").Num(2).Num(2).Num(0)
                                 .Str("+FB").Str("1FNA").Str("Pr\xFC" "fung").Str("1FZT").Num(0)
                                 .Str("2FPK").Num(40000).Num(30).Str("1FI").Num(3).Str("#FRA").Num(0)
                                 .Str("-FB").Str("0$")
                                 .Bytes();
    EXPECT_EQ(ToHex(file.substr(file.size() - tail.size())), ToHex(tail));
    EXPECT_EQ(file.find("Alle Aufgaben"), std::string::npos);
}

TEST(TrainingFileBytes, PointsBeyondEightAreStoredAsEight)
{
    cTask t;
    t.m_nPoints = 200; // what the editor can produce from "200"
    t.m_nStats.fill(1);
    const std::string file = WrittenFile(OneTask(t));
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    ASSERT_EQ(r.data.m_aTasks.size(), 1u);
    EXPECT_EQ(r.data.m_aTasks[0].m_nPoints, 8);
    EXPECT_NE(file.find("9NUM"), std::string::npos);
}

// ---- round trips ---------------------------------------------------------------------

struct RoundCase {
    const char* name;
    int tasks;
    int crypt;
};
void PrintTo(const RoundCase& c, std::ostream* os) { *os << c.name; }

class RoundTrip : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundTrip, WriteReadWriteGivesTheSameBytes)
{
    cTrainingData d = GetParam().tasks < 0 ? EveryField() : MakeTrainingData(GetParam().tasks, 3);
    d.m_nCrypt = static_cast<std::uint8_t>(GetParam().crypt);
    TempDir dir;
    const std::string first = dir.Path("a.vdr");
    const std::string second = dir.Path("b.vdr");
    ASSERT_EQ(d.WriteTrainingFile(first), 0);
    EXPECT_EQ(d.m_strPath, first);

    RecordingPresenter boxes;
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(first), 0);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(back.m_strPath, first);
    ExpectSameContent(d, back);
    ASSERT_EQ(back.WriteTrainingFile(second), 0);
    EXPECT_EQ(ReadBytes(first), ReadBytes(second));
}

INSTANTIATE_TEST_SUITE_P(Files, RoundTrip,
                         ::testing::Values(RoundCase{"no tasks", 0, 0},
                                           RoundCase{"realistic scrambled", 300, 1},
                                           RoundCase{"every field", -1, 0},
                                           RoundCase{"every field scrambled", -1, 1},
                                           RoundCase{"unknown crypt mode", 50, 2}));

// ---- what reading adds ---------------------------------------------------------------

TEST(TrainingFileRead, AddsAutomaticQuestionnaireAndDefaultColumns)
{
    const std::string file = StreamBuilder()
                                 .FileStart().DefaultSettings()
                                 .Str("+AUF").Str("1TXT").Str("a").Str("+AUF").Str("1TXT").Str("b")
                                 .Str("+AUF").Str("-AUF")
                                 .Str("+FB").Str("1FNA").Str("Q").Str("1FZT").Num(-5).Str("#FRA").Num(1).Num(2)
                                 .Str("+FB").Str("1FNA").Str("T").Str("1FZT").Num(90)
                                 .Str("-FB").Str("0$")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    ASSERT_EQ(r.data.m_aTasks.size(), 3u);
    EXPECT_EQ(r.data.m_aTasks[1].m_strQuestion, "b");
    ASSERT_EQ(r.data.m_aQuestionnaires.size(), 3u);
    EXPECT_EQ(r.data.m_aQuestionnaires[0].m_nExamSeconds, -1);
    EXPECT_EQ(r.data.m_aQuestionnaires[1].m_nExamSeconds, 90);
    const cQuestionnaire& all = r.data.m_aQuestionnaires[2];
    EXPECT_EQ(all.m_strTitle, "Alle Aufgaben");
    EXPECT_EQ(all.m_aTaskIndex, (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(all.m_nExamSeconds, -1);
    EXPECT_EQ(all.m_nPassPoints, 0u);
    EXPECT_EQ(all.m_nIcon, 0);
    EXPECT_EQ(r.data.m_nTimedCount, 1);
    EXPECT_EQ(r.data.m_aColumnTitle, (std::vector<std::string>{"Statistik", "Frage"}));
    EXPECT_EQ(r.data.m_aColumnWidth, (std::vector<std::uint32_t>{100, 450}));
    EXPECT_EQ(r.data.m_aColumnKind, (std::vector<std::uint32_t>{6, 2}));
}

TEST(TrainingFileRead, StoredColumnsSuppressTheDefaults)
{
    const std::string file = StreamBuilder()
                                 .FileStart().Str("#HDL").Num(3).Str("Nr").Num(30).Num(0)
                                 .FileEnd().Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.data.m_aColumnTitle, std::vector<std::string>{"Nr"});
    EXPECT_EQ(r.data.m_aColumnWidth, std::vector<std::uint32_t>{30});
    EXPECT_EQ(r.data.m_aColumnKind, std::vector<std::uint32_t>{0});
}

TEST(TrainingFileRead, EmptyPoolAndOnlyTheAutomaticQuestionnaire)
{
    ReadResult r = ReadFromBytes(StreamBuilder().FileStart().DefaultSettings().FileEnd().Bytes());
    ASSERT_EQ(r.result, 0);
    EXPECT_TRUE(r.data.m_aTasks.empty());
    ASSERT_EQ(r.data.m_aQuestionnaires.size(), 1u);
    EXPECT_EQ(r.data.m_aQuestionnaires[0].m_strTitle, "Alle Aufgaben");
    EXPECT_TRUE(r.data.m_aQuestionnaires[0].m_aTaskIndex.empty());
    EXPECT_EQ(r.data.m_nTimedCount, 0);
}

TEST(TrainingFileRead, TaskWithoutCategoryBlockInheritsNumberAndCategory)
{
    const std::string file = StreamBuilder()
                                 .FileStart()
                                 .Str("+AUF").Str("1TXT").Str("a").Str("2KAT").Str("12").Str("Recht")
                                 .Str("+AUF").Str("1TXT").Str("b")
                                 .Str("1TXT").Str("c").Str("2KAT").Str("").Str("").Str("+AUF") // scratch values
                                 .Str("-AUF").Str("-FB").Str("0$")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    ASSERT_EQ(r.data.m_aTasks.size(), 3u);
    EXPECT_EQ(r.data.m_aTasks[0].m_strTaskNo, "12");
    EXPECT_EQ(r.data.m_aTasks[1].m_strQuestion, "c");
    EXPECT_EQ(r.data.m_aTasks[1].m_strTaskNo, "");
    // The third task was opened right after the second and got nothing of its own.
    EXPECT_EQ(r.data.m_aTasks[2].m_strQuestion, "");
    EXPECT_EQ(r.data.m_aTasks[2].m_strTaskNo, "");

    const std::string inherit = StreamBuilder()
                                    .FileStart()
                                    .Str("+AUF").Str("2KAT").Str("12").Str("Recht")
                                    .Str("+AUF").Str("1TXT").Str("b")
                                    .Str("-AUF").Str("-FB").Str("0$")
                                    .Bytes();
    r = ReadFromBytes(inherit);
    ASSERT_EQ(r.result, 0);
    ASSERT_EQ(r.data.m_aTasks.size(), 2u);
    EXPECT_EQ(r.data.m_aTasks[1].m_strTaskNo, "12");
    EXPECT_EQ(r.data.m_aTasks[1].m_strCategory, "Recht");
}

TEST(TrainingFileRead, ValuesOutsideAGroupGoToTheNextElement)
{
    const std::string file = StreamBuilder()
                                 .FileStart()
                                 .Str("1TXT").Str("vorher").Str("+AUF").Str("1SOL").Str("x").Str("-AUF")
                                 .Str("1FNA").Str("Titel").Str("+FB").Str("#FRA").Num(1).Num(0).Str("-FB")
                                 .Str("0$")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    ASSERT_EQ(r.data.m_aTasks.size(), 1u);
    EXPECT_EQ(r.data.m_aTasks[0].m_strQuestion, "vorher");
    EXPECT_EQ(r.data.m_aTasks[0].m_strSolution, "x");
    ASSERT_EQ(r.data.m_aQuestionnaires.size(), 2u);
    EXPECT_EQ(r.data.m_aQuestionnaires[0].m_strTitle, "Titel");
}

TEST(TrainingFileRead, MissingPassPointsReadBackAsZeroRetake)
{
    cTrainingData d;
    d.m_aTasks.resize(1);
    cQuestionnaire q;
    q.m_nRetakePoints = 17; // not stored without pass points
    d.m_aQuestionnaires = {q, cQuestionnaire()};
    ReadResult r = ReadFromBytes(WrittenFile(d));
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.data.m_aQuestionnaires[0].m_nRetakePoints, 0u);
}

// ---- older forms ---------------------------------------------------------------------

TEST(TrainingFileRead, OlderFormsAreReadAndWrittenInTheCurrentForm)
{
    const std::string file = StreamBuilder()
                                 .Str("2FID").Str("TesterFile").Num(90)
                                 .Str("+AUF").Str("1TXT").Str("a").Str("+AUF").Str("1TXT").Str("b")
                                 .Str("1FSB").Num(1) // all tasks read so far
                                 .Str("+AUF").Str("1TXT").Str("c").Str("-AUF")
                                 .Str("+FB").Str("1FNA").Str("alt").Str("1FR").Num(2).Str("1FR").Num(0)
                                 .Str("-FB").Str("0$")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    EXPECT_TRUE(r.boxes.empty());
    EXPECT_TRUE(r.data.m_bSelfAssessAll);
    ASSERT_EQ(r.data.m_aTasks.size(), 3u);
    EXPECT_TRUE(r.data.m_aTasks[0].m_bSelfAssess);
    EXPECT_FALSE(r.data.m_aTasks[1].m_bSelfAssess); // still open when FSB came
    EXPECT_FALSE(r.data.m_aTasks[2].m_bSelfAssess);
    EXPECT_EQ(r.data.m_aQuestionnaires[0].m_aTaskIndex, (std::vector<std::uint32_t>{2, 0}));

    const std::string again = WrittenFile(r.data);
    EXPECT_EQ(again.substr(0, 6), Hex({0x0C, 4, '3', 'F', 'I', 'D'}));
    EXPECT_EQ(again.find("FSB"), std::string::npos);
    EXPECT_EQ(again.find("1FR"), std::string::npos);
    EXPECT_NE(again.find(StreamBuilder().Str("#FRA").Num(2).Num(2).Num(0).Bytes()), std::string::npos);
}

TEST(TrainingFileRead, SelfAssessmentOffClearsTasksReadSoFar)
{
    const std::string file = StreamBuilder()
                                 .FileStart()
                                 .Str("+AUF").Str("1SBW").Bool(true).Str("+AUF").Str("1SBW").Bool(true)
                                 .Str("-AUF").Str("1FSB").Num(0).Str("-FB").Str("0$")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    EXPECT_FALSE(r.data.m_bSelfAssessAll);
    EXPECT_FALSE(r.data.m_aTasks[0].m_bSelfAssess);
    EXPECT_FALSE(r.data.m_aTasks[1].m_bSelfAssess);
}

// ---- skipping ------------------------------------------------------------------------

struct SkipCase {
    const char* name;
    std::function<void(StreamBuilder&)> unknown;
};
void PrintTo(const SkipCase& c, std::ostream* os) { *os << c.name; }

class SkippedBlocks : public ::testing::TestWithParam<SkipCase> {};

TEST_P(SkippedBlocks, UnknownBlocksAreSkippedAndTheRestIsRead)
{
    StreamBuilder b;
    b.FileStart().DefaultSettings().Str("+AUF").Str("1TXT").Str("vor");
    GetParam().unknown(b);
    b.Str("1SOL").Str("nach").Str("-AUF").Str("+FB").Str("1FNA").Str("F").Str("#FRA").Num(1).Num(0)
        .Str("-FB").Str("0$");
    ReadResult r = ReadFromBytes(b.Bytes());
    ASSERT_EQ(r.result, 0);
    EXPECT_TRUE(r.boxes.empty());
    ASSERT_EQ(r.data.m_aTasks.size(), 1u);
    EXPECT_EQ(r.data.m_aTasks[0].m_strQuestion, "vor");
    EXPECT_EQ(r.data.m_aTasks[0].m_strSolution, "nach");
    ASSERT_EQ(r.data.m_aQuestionnaires.size(), 2u);
    EXPECT_EQ(r.data.m_aQuestionnaires[0].m_aTaskIndex, std::vector<std::uint32_t>{0});
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SkippedBlocks,
    ::testing::Values(
        SkipCase{"two numbers", [](StreamBuilder& b) { b.Str("2XYZ").Num(1).Num(70000); }},
        SkipCase{"no values", [](StreamBuilder& b) { b.Str("0XYZ").Str("-XYZ").Str("XYZ"); }},
        SkipCase{"every kind of value",
                 [](StreamBuilder& b) {
                     b.Str("9ALL9").Bool(true).Byte(1).Char(2).Word(3).Short(4).Long(5)
                         .Num(1LL << 40).Str("s").LStr("l");
                 }},
        SkipCase{"list", [](StreamBuilder& b) { b.Str("#XYZ").Num(3).Str("a").Num(1).LStr("b"); }},
        SkipCase{"empty list", [](StreamBuilder& b) { b.Str("#XYZ").Num(0); }},
        SkipCase{"group with known blocks inside",
                 [](StreamBuilder& b) {
                     b.Str("+GRP").Str("1TXT").Str("not this").Str("2KAT").Str("x").Str("y")
                         .Str("+AUF").Str("#FRA").Num(2).Num(1).Num(2).Str("-AUF").Str("-OTHER")
                         .Str("2XYZ").Num(1).Num(2).Str("-GRP");
                 }},
        SkipCase{"nested group of the same name",
                 [](StreamBuilder& b) { b.Str("+GRP").Str("+GRP").Str("1TXT").Str("x").Str("-GRP"); }}));

TEST(SkippedBlocksEnd, EndMarkerInsideASkippedGroupEndsReading)
{
    const std::string file =
        StreamBuilder().FileStart().Str("+AUF").Str("-AUF").Str("+GRP").Str("1TXT").Str("x").Str("0$").Bytes();
    ReadResult r = ReadFromBytes(file);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.data.m_aTasks.size(), 1u);
}

// ---- files a careful writer cannot produce -------------------------------------------

TEST(TrainingFileHostile, EleventhAnswerIsIgnoredAndTheRestRead)
{
    StreamBuilder b;
    b.FileStart().Str("+AUF").Str("1TYP").Num(1);
    for (int k = 0; k < 12; ++k) {
        b.Str(k % 2 ? "3MUL" : "2MUL").Bool(k == 11).Str(std::string("A").append(std::to_string(k)));
        if (k % 2)
            b.Str(std::string("E").append(std::to_string(k)));
    }
    b.Str("2KAT").Str("nr").Str("kat").Str("-AUF").Str("-FB").Str("0$");
    ReadResult r = ReadFromBytes(b.Bytes());
    ASSERT_EQ(r.result, 0);
    EXPECT_TRUE(r.boxes.empty());
    const cTask& t = r.data.m_aTasks.at(0);
    EXPECT_EQ(t.m_nChoiceCount, 10);
    EXPECT_EQ(t.m_strChoice[9], "A9");
    EXPECT_EQ(t.m_strChoiceExtra[9], "E9");
    EXPECT_FALSE(t.m_bChoiceRight[9]);
    EXPECT_EQ(t.m_strTaskNo, "nr");
    EXPECT_EQ(t.m_strCategory, "kat");
}

struct PatternCase {
    const char* name;
    std::int64_t index;
};
void PrintTo(const PatternCase& c, std::ostream* os) { *os << c.name; }

class PatternSlot : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternSlot, OutsideTheTenSlotsIsIgnored)
{
    const std::string file = StreamBuilder()
                                 .FileStart()
                                 .Str("+AUF").Str("2PA").Num(GetParam().index).Str("weg")
                                 .Str("2PA").Num(9).Str("neun").Str("1SOL").Str("danach")
                                 .Str("-AUF").Str("-FB").Str("0$")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    const cTask& t = r.data.m_aTasks.at(0);
    EXPECT_EQ(t.m_nPatternCount, 10);
    EXPECT_EQ(t.m_strPattern[9], "neun");
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(t.m_strPattern[k], "");
    EXPECT_EQ(t.m_strSolution, "danach");
}

INSTANTIATE_TEST_SUITE_P(Indices, PatternSlot,
                         ::testing::Values(PatternCase{"ten", 10},
                                           PatternCase{"negative", -1},
                                           PatternCase{"huge", 5000000000LL}));

TEST(TrainingFileHostile, CounterBlocksWithoutADigitChangeNothing)
{
    const std::string file = StreamBuilder()
                                 .FileStart()
                                 .Str("+AUF").Str("3NUM").Num(1).Num(2).Num(3).Str("0NUM").Str("xNUM")
                                 .Str("-AUF").Str("-FB").Str("0$")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    const cTask& t = r.data.m_aTasks.at(0);
    EXPECT_EQ(t.m_nPoints, 2);
    EXPECT_EQ(t.m_nStats[2], 3u);
}

TEST(TrainingFileHostile, TaskIndicesOutsideThePoolAreDropped)
{
    const std::string file = StreamBuilder()
                                 .FileStart()
                                 .Str("+AUF").Str("+AUF").Str("-AUF")
                                 .Str("+FB").Str("#FRA").Num(5).Num(1).Num(2).Num(-1).Num(0).Num(70000)
                                 .Str("1FR").Num(1).Str("1FR").Num(2)
                                 .Str("-FB").Str("0$")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.data.m_aQuestionnaires.at(0).m_aTaskIndex, (std::vector<std::uint32_t>{1, 0, 1}));
}

TEST(TrainingFileHostile, ListCountsBeyondTheFileStopAtItsEnd)
{
    for (const char* block : {"#FRA", "#HDL", "#XYZ"}) {
        SCOPED_TRACE(block);
        const std::string file = StreamBuilder()
                                     .FileStart().Str("+FB").Str(block).Num(2147483647).Num(0).Num(0)
                                     .Bytes();
        ReadResult r = ReadFromBytes(file);
        EXPECT_EQ(r.result, 1);
        // Reading stops at the end of the file; at most the final identifier read complains.
        EXPECT_LE(r.boxes.size(), 3u);
    }
}

TEST(TrainingFileHostile, ColumnCountNoMultipleOfThreeReadsWholeColumnsOnly)
{
    // N / 3 columns and nothing more: the identifier right behind them is read as one.
    for (const int count : {4, 5}) {
        SCOPED_TRACE(count);
        const std::string file = StreamBuilder()
                                     .FileStart()
                                     .Str("#HDL").Num(count).Str("A").Num(10).Num(0)
                                     .Str("1MIX").Bool(true).FileEnd()
                                     .Bytes();
        ReadResult r = ReadFromBytes(file);
        ASSERT_EQ(r.result, 0);
        EXPECT_EQ(r.data.m_aColumnTitle, std::vector<std::string>{"A"});
        EXPECT_TRUE(r.data.m_bRandom);
        EXPECT_TRUE(r.boxes.empty());
    }
}

// ---- failures and their messages -----------------------------------------------------

struct FailCase {
    const char* name;
    std::string bytes;
    std::string caption;
    std::string text; // "{PATH}" stands for the file's path
};
void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class ReadFailure : public ::testing::TestWithParam<FailCase> {};

TEST_P(ReadFailure, ShowsTheExactMessageAndFails)
{
    const FailCase& c = GetParam();
    ReadResult r = ReadFromBytes(c.bytes);
    EXPECT_EQ(r.result, 1);
    ASSERT_FALSE(r.boxes.empty());
    std::string text = c.text;
    if (const auto at = text.find("{PATH}"); at != std::string::npos)
        text.replace(at, 6, r.path);
    EXPECT_EQ(r.boxes.back().caption, c.caption);
    EXPECT_EQ(r.boxes.back().text, text);
    EXPECT_EQ(r.boxes.back().style, 0x10u);
    // Nothing of what reading adds at the end is there after a failure.
    for (const cQuestionnaire& q : r.data.m_aQuestionnaires)
        EXPECT_NE(q.m_strTitle, "Alle Aufgaben");
    EXPECT_TRUE(r.data.m_aColumnTitle.empty());
}

const std::string kCaption1 = "Fehler   (Fehler #1)";

FailCase Pre(const char* ident, const char* expectation)
{
    const std::string id(ident);
    std::string text = "Falsches PreChar (";
    text.append(id, 0, 1).append(").").append(expectation).append(id, 1).append(")");
    return FailCase{ident,
                    StreamBuilder().FileStart().Str(id).Num(0).Num(0).Num(0).FileEnd().Bytes(),
                    kCaption1, text};
}

const char* const kOne = "\r\n'1' Erwartet. (BlockID: ";
const char* const kTwo = "\r\n'2' Erwartet. (BlockID: ";
const char* const kThree = "\r\n'3' Erwartet. (BlockID: ";

INSTANTIATE_TEST_SUITE_P(
    Header, ReadFailure,
    ::testing::Values(
        FailCase{"empty file", "", "Fehler   (Fehler #8)",
                 Cp1252FromUtf8("Die Datei ({PATH}) enthält keine Daten.")},
        FailCase{"wrong first block", StreamBuilder().Str("3XYZ").Bytes(), kCaption1,
                 "Falsche BlockID (XYZ).\r\n'FID' Erwartet."},
        FailCase{"empty first block", StreamBuilder().Str("").Bytes(), kCaption1,
                 "Falsche BlockID ().\r\n'FID' Erwartet."},
        FailCase{"wrong id prefix", StreamBuilder().Str("4FID").Str("TesterFile").Bytes(), kCaption1,
                 "Falsches Zeichen (4).\r\n'3' oder '2' Erwartet."},
        FailCase{"wrong file id", StreamBuilder().Str("3FID").Str("TestFile").Num(100).Num(100).Bytes(),
                 "Fehler   (Fehler #7)", "Falsche FileID (TestFile).\r\n'TesterFile' Erwartet."},
        FailCase{"no end marker", StreamBuilder().FileStart().DefaultSettings().Str("-AUF").Bytes(), "",
                 "Falscher Datentyp (99)beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)"},
        FailCase{"identifier no string", StreamBuilder().FileStart().Num(5).Bytes(), "",
                 "Falscher Datentyp (7)beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)"}));

INSTANTIATE_TEST_SUITE_P(
    PreChars, ReadFailure,
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

TEST(ReadFailure, CommittedTasksStayAfterAFailure)
{
    const std::string file = StreamBuilder()
                                 .FileStart()
                                 .Str("+AUF").Str("1TXT").Str("a").Str("+AUF").Str("1TXT").Str("b")
                                 .Str("2TXT").Str("x")
                                 .Bytes();
    ReadResult r = ReadFromBytes(file);
    EXPECT_EQ(r.result, 1);
    ASSERT_EQ(r.data.m_aTasks.size(), 1u);
    EXPECT_EQ(r.data.m_aTasks[0].m_strQuestion, "a");
    EXPECT_TRUE(r.data.m_aQuestionnaires.empty());
}

TEST(ReadFailure, ValueOfAnotherTypeIsLeftToTheNextRead)
{
    // A bool reader meeting a byte takes the byte's payload and keeps its value.
    const std::string quiet = StreamBuilder()
                                  .FileStart()
                                  .Str("+AUF").Str("1SBW").Byte(1).Str("1SOL").Str("gut").Str("-AUF")
                                  .Str("-FB").Str("0$")
                                  .Bytes();
    ReadResult r = ReadFromBytes(quiet);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.boxes.empty());
    EXPECT_FALSE(r.data.m_aTasks.at(0).m_bSelfAssess);
    EXPECT_EQ(r.data.m_aTasks.at(0).m_strSolution, "gut");

    // A string reader meeting a number leaves the number's byte, which then is read as
    // the next identifier's tag.
    const std::string loud = StreamBuilder()
                                 .FileStart()
                                 .Str("+AUF").Str("1TXT").Num(3).Str("1SOL").Str("gut").Str("-AUF")
                                 .Str("-FB").Str("0$")
                                 .Bytes();
    r = ReadFromBytes(loud);
    EXPECT_EQ(r.result, 1);
    ASSERT_EQ(r.boxes.size(), 2u);
    EXPECT_EQ(r.boxes[0].text,
              "Falscher Datentyp (7)beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)");
    EXPECT_EQ(r.boxes[1].text,
              "Falscher Datentyp (3)beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)");
}

TEST(ReadFailure, MissingFileFailsSilentlyAndKeepsThePath)
{
    TempDir dir;
    RecordingPresenter boxes;
    cTrainingData d = MakeTrainingData(3);
    EXPECT_EQ(d.ReadTrainingFile(dir.Path("fehlt.vdr")), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(d.m_strPath, dir.Path("fehlt.vdr"));
    EXPECT_TRUE(d.m_aTasks.empty()); // reset before opening
}

// ---- every truncation and damaged bytes ----------------------------------------------

void ExpectSoundData(const cTrainingData& d)
{
    for (const cQuestionnaire& q : d.m_aQuestionnaires)
        for (const std::uint32_t i : q.m_aTaskIndex)
            ASSERT_LT(i, d.m_aTasks.size());
    for (const cTask& t : d.m_aTasks) {
        ASSERT_LE(t.m_nChoiceCount, kTaskSlots);
        ASSERT_LE(t.m_nPatternCount, kTaskSlots);
        ASSERT_LE(t.m_nPoints, 8);
    }
    ASSERT_EQ(d.m_aColumnTitle.size(), d.m_aColumnWidth.size());
    ASSERT_EQ(d.m_aColumnTitle.size(), d.m_aColumnKind.size());
}

class EveryPrefix : public ::testing::TestWithParam<int> {};

TEST_P(EveryPrefix, ReadsWithoutCrashAndFails)
{
    cTrainingData source = EveryField();
    source.m_aTasks.resize(8);
    for (cQuestionnaire& q : source.m_aQuestionnaires)
        std::erase_if(q.m_aTaskIndex, [](std::uint32_t i) { return i >= 8; });
    source.m_nCrypt = static_cast<std::uint8_t>(GetParam());
    const std::string file = WrittenFile(source);
    ASSERT_GT(file.size(), 1000u);

    TempDir dir;
    const std::string path = dir.Path("cut.vdr");
    RecordingPresenter boxes;
    for (std::size_t n = 0; n < file.size(); ++n) {
        WriteBytes(path, file.substr(0, n));
        cTrainingData d;
        ASSERT_EQ(d.ReadTrainingFile(path), 1) << n;
        ExpectSoundData(d);
    }
    WriteBytes(path, file);
    cTrainingData d;
    EXPECT_EQ(d.ReadTrainingFile(path), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, EveryPrefix, ::testing::Values(0, 1));

TEST(DamagedBytes, EveryFlippedByteReadsSafely)
{
    cTrainingData source = MakeTrainingData(6, 11);
    const std::string file = WrittenFile(source);
    TempDir dir;
    const std::string path = dir.Path("bad.vdr");
    RecordingPresenter boxes;
    for (std::size_t i = 0; i < file.size(); ++i) {
        for (const int mask : {0x01, 0x80, 0xFF}) {
            std::string bad = file;
            bad[i] = static_cast<char>(bad[i] ^ mask);
            WriteBytes(path, bad);
            cTrainingData d;
            (void)d.ReadTrainingFile(path);
            ExpectSoundData(d);
        }
    }
}

// ---- writing failures ----------------------------------------------------------------

TEST(TrainingFileWrite, FailedSaveLeavesTheOldFile)
{
    TempDir dir;
    const std::string path = dir.Path("t.vdr");
    cTrainingData small = MakeTrainingData(2);
    ASSERT_EQ(small.WriteTrainingFile(path), 0);
    const std::string before = ReadBytes(path);

    cTrainingData big = MakeTrainingData(2000);
    {
        FileSizeLimit limit(before.size() + 100);
        EXPECT_EQ(big.WriteTrainingFile(path), 1);
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"t.vdr"});
}

TEST(TrainingFileWrite, UnwritableTargetsFail)
{
    TempDir dir;
    mkdir(dir.Path("ordner.vdr").c_str(), 0700);
    RecordingPresenter boxes;
    cTrainingData d = MakeTrainingData(2);
    EXPECT_EQ(d.WriteTrainingFile(dir.Path("ordner.vdr")), 1);
    EXPECT_EQ(d.m_strPath, dir.Path("ordner.vdr"));
    EXPECT_EQ(d.WriteTrainingFile(dir.Path("fehlt/t.vdr")), 1);
    cTrainingData none;
    EXPECT_EQ(none.WriteTrainingFile(""), 1); // no path at all
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(TrainingFileWrite, EmptyPathMeansTheStoredPath)
{
    TempDir dir;
    cTrainingData d = MakeTrainingData(2);
    d.m_strPath = dir.Path("gespeichert.vdr");
    EXPECT_EQ(d.WriteTrainingFile(""), 0);
    EXPECT_EQ(d.m_strPath, dir.Path("gespeichert.vdr"));
    cTrainingData back;
    EXPECT_EQ(back.ReadTrainingFile(dir.Path("gespeichert.vdr")), 0);
    EXPECT_EQ(back.m_aTasks.size(), 2u);
}

} // namespace
