// The training file: exact bytes of every block, round trips, what reading adds and
// keeps, older forms, skipped and hostile blocks, every failure message, and saving.
// Format tests run on the in-memory stream; files are used where the path is tested.

#include "data/TrainingFile.h"

#include "common/RecordingPresenter.h"
#include "common/SameTrainingData.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"
#include "data/Datei.h"

#include <gtest/gtest.h>

#include <algorithm>
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

std::string WrittenFile(const cTrainingData& data) {
    cDatei out;
    EXPECT_TRUE(out.OpenBuffer());
    WriteTrainingData(data, out);
    EXPECT_TRUE(out.Finish(false));
    return out.Written();
}

const std::string kPath = "/daten/t.vdr";

struct ReadResult {
    int result = -1;
    cTrainingData data;
    std::vector<RecordedBox> boxes;
};

// Reads bytes into data that still holds something, which reading must drop.
ReadResult ReadFromBytes(std::string bytes) {
    ReadResult r;
    r.data.m_aTasks.resize(2);
    r.data.m_aQuestionnaires.resize(1);
    r.data.m_strPath = kPath;
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

TEST(TrainingFileBytes, EmptyDataGivesTheMinimalFile) {
    const std::string expected = StreamBuilder().FileStart().DefaultSettings().FileEnd().Bytes();
    EXPECT_EQ(ToHex(WrittenFile(cTrainingData())), ToHex(expected));
}

TEST(TrainingFileBytes, BeginsAndEndsAsDocumented) {
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

TEST(TrainingFileBytes, ScrambledFileKeepsItsIdentificationPlain) {
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

// One file with every block the writer produces; each task shows one rule.
cTrainingData GoldenData() {
    cTrainingData d;
    d.m_bShowAll = d.m_bRandom = d.m_bAllowExtra = true;
    d.m_nMinPercent = 200;
    d.m_nMinRight = 3;
    d.m_nMaxWords = 7;
    d.m_strQuestionTemplate = "{frage}";
    d.m_aColumnTitle = {"Nr", "Frage"};
    d.m_aColumnWidth = {40, 450};
    d.m_aColumnKind = {0, 2};
    const auto task = [&d](const std::function<void(cTask&)>& edit) {
        cTask t;
        t.m_strTaskNo = "7";
        t.m_strCategory = "Kat";
        t.m_strQuestion = "F";
        t.m_strSolution = "A";
        edit(t);
        d.m_aTasks.push_back(t);
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
    plain.m_strTitle = "Einfach";
    plain.m_aTaskIndex = {2, 0};
    exam.m_strTitle = "Pr\xFC" "fung";
    exam.m_nExamSeconds = 0;
    exam.m_nPassPoints = 40000;
    exam.m_nRetakePoints = 30;
    exam.m_nIcon = 3;
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
    head().Raw(num).Str("2PA").Byte(0).Str("a").Str("2PA").Byte(1).Str("").Str("2PA").Byte(2).Str("c").Raw(kat);
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
    ASSERT_EQ(r.result, 0);
    EXPECT_TRUE(r.boxes.empty());
    ASSERT_EQ(r.data.m_aTasks.size(), d.m_aTasks.size());
    for (std::size_t i = 0; i < d.m_aTasks.size(); ++i)
        EXPECT_EQ(r.data.m_aTasks[i].m_nPoints, std::min<int>(d.m_aTasks[i].m_nPoints, 8)) << i;
    EXPECT_EQ(ToHex(WrittenFile(r.data)), ToHex(file));
}

// ---- round trips ---------------------------------------------------------------------

struct RoundCase {
    const char* name;
    int tasks; // -1: every field at its edges
    int crypt;
};
void PrintTo(const RoundCase& c, std::ostream* os) { *os << c.name; }

class RoundTrip : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundTrip, WriteReadWriteGivesTheSameBytes) {
    cTrainingData d = GetParam().tasks < 0 ? EveryField() : MakeTrainingData(GetParam().tasks, 3);
    d.m_nCrypt = static_cast<std::uint8_t>(GetParam().crypt);
    const std::string first = WrittenFile(d);
    ReadResult back = ReadFromBytes(first);
    ASSERT_EQ(back.result, 0);
    EXPECT_TRUE(back.boxes.empty());
    EXPECT_EQ(back.data.m_strPath, kPath);
    ExpectSameSettings(d, back.data);
    ExpectSameQuestionnaires(d, back.data);
    EXPECT_EQ(back.data.m_aTasks.size(), d.m_aTasks.size());
    EXPECT_EQ(ToHex(WrittenFile(back.data)), ToHex(first));
}

INSTANTIATE_TEST_SUITE_P(Files, RoundTrip,
                         ::testing::Values(RoundCase{"no tasks", 0, 0},
                                           RoundCase{"realistic scrambled", 300, 1},
                                           RoundCase{"every field", -1, 0},
                                           RoundCase{"every field scrambled", -1, 1},
                                           RoundCase{"unknown crypt mode", 50, 2}));

// ---- files on disk -------------------------------------------------------------------

TEST(TrainingFileOnDisk, RoundTripWritesTheMemoryBytes) {
    TempDir dir;
    const std::string first = dir.Path("a.vdr");
    cTrainingData d = EveryField();
    d.m_nCrypt = 1;
    ASSERT_EQ(d.WriteTrainingFile(first), 0);
    EXPECT_EQ(d.m_strPath, first);
    EXPECT_EQ(ReadBytes(first), WrittenFile(d));

    RecordingPresenter boxes;
    cTrainingData back = MakeTrainingData(2);
    ASSERT_EQ(back.ReadTrainingFile(first), 0);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(back.m_strPath, first);
    ExpectSameSettings(d, back);
    ExpectSameQuestionnaires(d, back);
    // An empty path means the stored one.
    back.m_strPath = dir.Path("b.vdr");
    ASSERT_EQ(back.WriteTrainingFile(""), 0);
    EXPECT_EQ(back.m_strPath, dir.Path("b.vdr"));
    EXPECT_EQ(ReadBytes(dir.Path("b.vdr")), ReadBytes(first));
}

TEST(TrainingFileOnDisk, MissingFileFailsSilentlyAndKeepsThePath) {
    TempDir dir;
    RecordingPresenter boxes;
    cTrainingData d = MakeTrainingData(3);
    EXPECT_EQ(d.ReadTrainingFile(dir.Path("fehlt.vdr")), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(d.m_strPath, dir.Path("fehlt.vdr"));
    EXPECT_TRUE(d.m_aTasks.empty()); // reset before opening
    // An empty file names its path.
    WriteBytes(dir.Path("leer.vdr"), "");
    EXPECT_EQ(d.ReadTrainingFile(dir.Path("leer.vdr")), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, Cp1252FromUtf8("Die Datei (") + dir.Path("leer.vdr") +
                                       Cp1252FromUtf8(") enthält keine Daten."));
}

TEST(TrainingFileOnDisk, FailedSavesLeaveWhatWasThere) {
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

    mkdir(dir.Path("ordner.vdr").c_str(), 0700);
    RecordingPresenter boxes;
    EXPECT_EQ(big.WriteTrainingFile(dir.Path("ordner.vdr")), 1);
    EXPECT_EQ(big.m_strPath, dir.Path("ordner.vdr"));
    EXPECT_EQ(big.WriteTrainingFile(dir.Path("fehlt/t.vdr")), 1);
    cTrainingData none;
    EXPECT_EQ(none.WriteTrainingFile(""), 1); // no path at all
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"ordner.vdr", "t.vdr"}));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("ordner.vdr")));
}

// ---- reading: what it adds, keeps, skips and survives --------------------------------

struct ReadCase {
    const char* name;
    std::string bytes;
    std::function<void(const cTrainingData&)> check;
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class Reading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Reading, ReadsWithoutABox) {
    const ReadResult r = ReadFromBytes(GetParam().bytes);
    ASSERT_EQ(r.result, 0);
    EXPECT_TRUE(r.boxes.empty());
    GetParam().check(r.data);
}

using Indices = std::vector<std::uint32_t>;

// A file whose one task is given by blocks.
std::string TaskFile(const StreamBuilder& blocks) {
    return StreamBuilder().FileStart().Str("+AUF").Raw(blocks.Bytes()).Str("-AUF").Str("-FB").Str("0$").Bytes();
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
                        EXPECT_EQ(t.m_strPattern[9], "neun");
                        for (int k = 0; k < 9; ++k)
                            EXPECT_EQ(t.m_strPattern[k], "");
                        EXPECT_EQ(t.m_strSolution, "danach");
                    }};
}

// A column count that is no multiple of 3 reads N / 3 whole columns and nothing more.
ReadCase Columns(const char* name, int count) {
    return ReadCase{name,
                    StreamBuilder().FileStart().Str("#HDL").Num(count).Str("A").Num(10).Num(0)
                        .Str("1MIX").Bool(true).FileEnd().Bytes(),
                    [](const cTrainingData& d) {
                        EXPECT_EQ(d.m_aColumnTitle, std::vector<std::string>{"A"});
                        EXPECT_TRUE(d.m_bRandom);
                    }};
}

std::string ElevenAnswers() {
    StreamBuilder b;
    b.FileStart().Str("+AUF").Str("1TYP").Num(1);
    for (int k = 0; k < 12; ++k) {
        b.Str(k % 2 ? "3MUL" : "2MUL").Bool(k == 11).Str("A" + std::to_string(k));
        if (k % 2)
            b.Str("E" + std::to_string(k));
    }
    return b.Str("2KAT").Str("nr").Str("kat").Str("-AUF").Str("-FB").Str("0$").Bytes();
}

cTrainingData NoPassPoints() {
    cTrainingData d;
    d.m_aTasks.resize(1);
    cQuestionnaire q;
    q.m_nRetakePoints = 17; // not stored without pass points
    d.m_aQuestionnaires = {q, cQuestionnaire()};
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
                     ASSERT_EQ(d.m_aTasks.size(), 3u);
                     EXPECT_EQ(d.m_aTasks[1].m_strQuestion, "b");
                     ASSERT_EQ(d.m_aQuestionnaires.size(), 3u);
                     EXPECT_EQ(d.m_aQuestionnaires[0].m_nExamSeconds, -1);
                     EXPECT_EQ(d.m_aQuestionnaires[1].m_nExamSeconds, 90);
                     const cQuestionnaire& all = d.m_aQuestionnaires[2];
                     EXPECT_EQ(all.m_strTitle, "Alle Aufgaben");
                     EXPECT_EQ(all.m_aTaskIndex, (Indices{0, 1, 2}));
                     EXPECT_EQ(all.m_nExamSeconds, -1);
                     EXPECT_EQ(all.m_nPassPoints, 0u);
                     EXPECT_EQ(all.m_nIcon, 0);
                     EXPECT_EQ(d.m_nTimedCount, 1);
                     EXPECT_EQ(d.m_aColumnTitle, (std::vector<std::string>{"Statistik", "Frage"}));
                     EXPECT_EQ(d.m_aColumnWidth, (Indices{100, 450}));
                     EXPECT_EQ(d.m_aColumnKind, (Indices{6, 2}));
                 }},
        ReadCase{"empty pool, stored columns suppress the defaults",
                 StreamBuilder().FileStart().Str("#HDL").Num(3).Str("Nr").Num(30).Num(0).FileEnd().Bytes(),
                 [](const cTrainingData& d) {
                     EXPECT_TRUE(d.m_aTasks.empty());
                     ASSERT_EQ(d.m_aQuestionnaires.size(), 1u);
                     EXPECT_EQ(d.m_aQuestionnaires[0].m_strTitle, "Alle Aufgaben");
                     EXPECT_TRUE(d.m_aQuestionnaires[0].m_aTaskIndex.empty());
                     EXPECT_EQ(d.m_nTimedCount, 0);
                     EXPECT_EQ(d.m_aColumnTitle, std::vector<std::string>{"Nr"});
                     EXPECT_EQ(d.m_aColumnWidth, Indices{30});
                     EXPECT_EQ(d.m_aColumnKind, Indices{0});
                 }},
        ReadCase{"a task without category block inherits number and category",
                 StreamBuilder().FileStart().Str("+AUF").Str("2KAT").Str("12").Str("Recht")
                     .Str("+AUF").Str("1TXT").Str("b").FileEnd().Bytes(),
                 [](const cTrainingData& d) {
                     ASSERT_EQ(d.m_aTasks.size(), 2u);
                     EXPECT_EQ(d.m_aTasks[1].m_strTaskNo, "12");
                     EXPECT_EQ(d.m_aTasks[1].m_strCategory, "Recht");
                 }},
        ReadCase{"scratch values go to the next task, which starts from them",
                 StreamBuilder().FileStart()
                     .Str("+AUF").Str("1TXT").Str("a").Str("2KAT").Str("12").Str("Recht")
                     .Str("+AUF").Str("1TXT").Str("b").Str("1TXT").Str("c").Str("2KAT").Str("").Str("")
                     .Str("+AUF").FileEnd().Bytes(),
                 [](const cTrainingData& d) {
                     ASSERT_EQ(d.m_aTasks.size(), 3u);
                     EXPECT_EQ(d.m_aTasks[0].m_strTaskNo, "12");
                     EXPECT_EQ(d.m_aTasks[1].m_strQuestion, "c");
                     EXPECT_EQ(d.m_aTasks[1].m_strTaskNo, "");
                     EXPECT_EQ(d.m_aTasks[2].m_strQuestion, ""); // opened right after, nothing of its own
                     EXPECT_EQ(d.m_aTasks[2].m_strTaskNo, "");
                 }},
        ReadCase{"values outside a group go to the next element",
                 StreamBuilder().FileStart()
                     .Str("1TXT").Str("vorher").Str("+AUF").Str("1SOL").Str("x").Str("-AUF")
                     .Str("1FNA").Str("Titel").Str("+FB").Str("#FRA").Num(1).Num(0).Str("-FB").Str("0$").Bytes(),
                 [](const cTrainingData& d) {
                     ASSERT_EQ(d.m_aTasks.size(), 1u);
                     EXPECT_EQ(d.m_aTasks[0].m_strQuestion, "vorher");
                     EXPECT_EQ(d.m_aTasks[0].m_strSolution, "x");
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
                     ASSERT_EQ(d.m_aTasks.size(), 3u);
                     EXPECT_TRUE(d.m_aTasks[0].m_bSelfAssess);
                     EXPECT_FALSE(d.m_aTasks[1].m_bSelfAssess); // still open when FSB came
                     EXPECT_FALSE(d.m_aTasks[2].m_bSelfAssess);
                     EXPECT_EQ(d.m_aQuestionnaires.at(0).m_aTaskIndex, (Indices{2, 0}));
                     const std::string again = WrittenFile(d);
                     EXPECT_EQ(again.substr(0, 6), Hex({0x0C, 4, '3', 'F', 'I', 'D'}));
                     EXPECT_EQ(again.find("FSB"), std::string::npos);
                     EXPECT_EQ(again.find("1FR"), std::string::npos);
                     EXPECT_NE(again.find(StreamBuilder().Str("#FRA").Num(2).Num(2).Num(0).Bytes()),
                               std::string::npos);
                 }},
        ReadCase{"FSB 0 clears the tasks read so far",
                 StreamBuilder().FileStart().Str("+AUF").Str("1SBW").Bool(true).Str("+AUF").Str("1SBW")
                     .Bool(true).Str("-AUF").Str("1FSB").Num(0).Str("-FB").Str("0$").Bytes(),
                 [](const cTrainingData& d) {
                     EXPECT_FALSE(d.m_bSelfAssessAll);
                     EXPECT_FALSE(d.m_aTasks.at(0).m_bSelfAssess);
                     EXPECT_FALSE(d.m_aTasks.at(1).m_bSelfAssess);
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
                     EXPECT_EQ(t.m_strChoice[9], "A9");
                     EXPECT_EQ(t.m_strChoiceExtra[9], "E9");
                     EXPECT_FALSE(t.m_bChoiceRight[9]);
                     EXPECT_EQ(t.m_strTaskNo, "nr");
                     EXPECT_EQ(t.m_strCategory, "kat");
                 }},
        PatternSlot("pattern slot ten", 10), PatternSlot("pattern slot -1", -1),
        PatternSlot("huge pattern slot", 5000000000LL),
        ReadCase{"counter blocks without a digit change nothing",
                 TaskFile(StreamBuilder().Str("3NUM").Num(1).Num(2).Num(3).Str("0NUM").Str("xNUM")),
                 [](const cTrainingData& d) {
                     EXPECT_EQ(d.m_aTasks.at(0).m_nPoints, 2);
                     EXPECT_EQ(d.m_aTasks.at(0).m_nStats[2], 3u);
                 }},
        ReadCase{"task indices outside the pool are dropped",
                 StreamBuilder().FileStart().Str("+AUF").Str("+AUF").Str("-AUF")
                     .Str("+FB").Str("#FRA").Num(5).Num(1).Num(2).Num(-1).Num(0).Num(70000)
                     .Str("1FR").Num(1).Str("1FR").Num(2).Str("-FB").Str("0$").Bytes(),
                 [](const cTrainingData& d) {
                     EXPECT_EQ(d.m_aQuestionnaires.at(0).m_aTaskIndex, (Indices{1, 0, 1}));
                 }},
        Columns("column count 4", 4), Columns("column count 5", 5)));

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

// ---- failures and their messages -----------------------------------------------------

struct FailCase {
    const char* name;
    std::string bytes;
    std::string caption;
    std::string text;       // "{PATH}" stands for the file's path
    std::size_t tasks = 0;  // committed before the failure, and kept
};
void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class ReadFailure : public ::testing::TestWithParam<FailCase> {};

TEST_P(ReadFailure, ShowsTheExactMessageAndFails) {
    const FailCase& c = GetParam();
    ReadResult r = ReadFromBytes(c.bytes);
    EXPECT_EQ(r.result, 1);
    ASSERT_FALSE(r.boxes.empty());
    std::string text = c.text;
    if (const auto at = text.find("{PATH}"); at != std::string::npos)
        text.replace(at, 6, kPath);
    EXPECT_EQ(r.boxes.back().caption, c.caption);
    EXPECT_EQ(r.boxes.back().text, text);
    EXPECT_EQ(r.boxes.back().style, 0x10u);
    EXPECT_EQ(r.data.m_aTasks.size(), c.tasks);
    // Nothing of what reading adds at the end is there after a failure.
    EXPECT_TRUE(r.data.m_aQuestionnaires.empty());
    EXPECT_TRUE(r.data.m_aColumnTitle.empty());
}

const std::string kCaption1 = "Fehler   (Fehler #1)";

FailCase Pre(const char* ident, const char* expectation) {
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
                 "Falscher Datentyp (7)beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)"},
        FailCase{"the task still open is dropped",
                 StreamBuilder().FileStart().Str("+AUF").Str("+AUF").Str("1TXT").Str("b").Str("2TXT").Bytes(),
                 kCaption1, "Falsches PreChar (2).\r\n'1' Erwartet. (BlockID: TXT)", 1}));

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

// ---- every truncation and damaged bytes ----------------------------------------------

void ExpectSoundData(const cTrainingData& d) {
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

TEST_P(EveryPrefix, ReadsWithoutCrashAndFails) {
    cTrainingData source = EveryField();
    source.m_aTasks.resize(8);
    for (cQuestionnaire& q : source.m_aQuestionnaires)
        std::erase_if(q.m_aTaskIndex, [](std::uint32_t i) { return i >= 8; });
    source.m_nCrypt = static_cast<std::uint8_t>(GetParam());
    const std::string file = WrittenFile(source);
    ASSERT_GT(file.size(), 1000u);
    for (std::size_t n = 0; n < file.size(); ++n) {
        const ReadResult r = ReadFromBytes(file.substr(0, n));
        ASSERT_EQ(r.result, 1) << n;
        ExpectSoundData(r.data);
    }
    EXPECT_EQ(ReadFromBytes(file).result, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, EveryPrefix, ::testing::Values(0, 1));

TEST(DamagedBytes, EveryFlippedByteReadsSafely) {
    cTrainingData source = MakeTrainingData(6, 11);
    const std::string file = WrittenFile(source);
    for (std::size_t i = 0; i < file.size(); ++i) {
        for (const int mask : {0x01, 0x80, 0xFF}) {
            std::string bad = file;
            bad[i] = static_cast<char>(bad[i] ^ mask);
            ExpectSoundData(ReadFromBytes(bad).data);
        }
    }
}

} // namespace
