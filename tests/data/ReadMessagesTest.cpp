// Every box a damaged training file produces while it is read, in order, and what the
// reader keeps from the values around a wrong one.

#include "data/TrainingData.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using testfiles::Hex;
using testfiles::StreamBuilder;
using testfiles::TempDir;
using testfiles::WriteBytes;

namespace {

using Box = std::pair<std::string, std::string>; // caption, text

const std::string kCatalogueError = "Fehler   (Fehler #1)";

Box NoString(int tag) {
    return {"", "Falscher Datentyp (" + std::to_string(tag) +
                    ")beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)"};
}

const Box kWrongFirstBlock{kCatalogueError, "Falsche BlockID ().\r\n'FID' Erwartet."};
const Box kLoadUF{"FEHLER", Cp1252FromUtf8("Datei.h:LoadUF(...) -  Typ nicht unterstützt!!")};
const Box kNoLongString{"", "Falscher Datentyp beim Einlesen der Datei. (String erwartet)"};
const Box kLoadUFNumber{"FEHLER",
                        Cp1252FromUtf8("Datei.h:LoadUFNumber(...) -  Typ nicht unterstützt!!")};

struct Reading {
    int result = -1;
    cTrainingData data;
    std::vector<Box> boxes;
};

Reading Read(const std::string& bytes) {
    TempDir dir;
    const std::string path = dir.Path("t.vdr");
    WriteBytes(path, bytes);
    RecordingPresenter recorder;
    Reading r;
    r.result = r.data.ReadTrainingFile(path);
    for (const RecordedBox& box : recorder.boxes)
        r.boxes.emplace_back(box.caption, box.text);
    return r;
}

struct MessageCase {
    const char* name;
    std::string bytes;
    int result;
    std::vector<Box> boxes;
    std::function<void(const cTrainingData&)> check = [](const cTrainingData&) {};
};
void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ReadMessages, ShowsEveryBoxInOrder) {
    const MessageCase& c = GetParam();
    const Reading r = Read(c.bytes);
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(r.boxes, c.boxes);
    c.check(r.data);
}

std::string Task(const StreamBuilder& blocks) {
    return StreamBuilder().FileStart().DefaultSettings().Str("+AUF").Raw(blocks.Bytes())
        .FileEnd().Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadMessages,
    ::testing::Values(
        // A first value that is no string still leads to the wrong-block message.
        MessageCase{"first value a number", StreamBuilder().Num(5).FileEnd().Bytes(), 1,
                    {NoString(7), kWrongFirstBlock}},
        MessageCase{"text file", "hello", 1, {NoString('h'), kWrongFirstBlock}},
        MessageCase{"first identifier cut short", Hex({12, 4, '3', 'F'}), 1, {kWrongFirstBlock}},
        MessageCase{"file id no string", StreamBuilder().Str("3FID").Num(5).Bytes(), 1,
                    {NoString(7),
                     {"Fehler   (Fehler #7)", "Falsche FileID ().\r\n'TesterFile' Erwartet."}}},
        MessageCase{"old identification", StreamBuilder().Str("2FID").Str("TesterFile").Num(9)
                        .DefaultSettings().FileEnd().Bytes(), 0, {}},
        // A stored 99 is the failure tag: a number reader takes it without a word, every
        // other reader reports it.
        MessageCase{"counter meets tag 99", Task(StreamBuilder().Str("3NUM").Num(4).Raw({99}).Num(6)),
                    0, {}, [](const cTrainingData& d) {
                        ASSERT_EQ(d.m_aTasks.size(), 1u);
                        EXPECT_EQ(d.m_aTasks[0].m_nPoints, 2);
                        EXPECT_EQ(d.m_aTasks[0].m_nStats, (decltype(cTask::m_nStats){4, 0, 6}));
                    }},
        MessageCase{"bool meets tag 99", Task(StreamBuilder().Str("1SBW").Raw({99})), 0,
                    {kLoadUF}},
        MessageCase{"identifier is tag 99", Task(StreamBuilder().Raw({99})), 1, {NoString(99)}},
        MessageCase{"counter meets a double",
                    Task(StreamBuilder().Str("2NUM").Raw({6}).Num(3)), 0, {kLoadUFNumber}},
        // The short string's payload is left: its length byte reads as a bool tag that
        // swallows the text, and the third template takes the next long string.
        MessageCase{"template no long string",
                    StreamBuilder().FileStart().Str("3QAT").Str("a").LStr("b").LStr("c")
                        .FileEnd().Bytes(),
                    0, {kLoadUF, kNoLongString, kNoLongString}, [](const cTrainingData& d) {
                        EXPECT_EQ(d.m_strQuestionTemplate, "");
                        EXPECT_EQ(d.m_strRightTemplate, "");
                        EXPECT_EQ(d.m_strWrongTemplate, "b");
                    }},
        // A pattern text of another type keeps what the slot held.
        MessageCase{"pattern no string",
                    Task(StreamBuilder().Str("2PA").Byte(1).Str("alt").Str("2PA").Byte(1).Raw({1})),
                    0, {NoString(1)}, [](const cTrainingData& d) {
                        ASSERT_EQ(d.m_aTasks.size(), 1u);
                        EXPECT_EQ(d.m_aTasks[0].m_strPattern[1], "alt");
                        EXPECT_EQ(d.m_aTasks[0].m_nPatternCount, 2);
                    }},
        MessageCase{"scrambling with a wrong prefix",
                    StreamBuilder().FileStart().Str("3CRY").Byte(1).FileEnd().Bytes(), 1,
                    {{kCatalogueError,
                      "Falsches PreChar (3).\r\n'1' Erwartet. (BlockID: CRY)"}}},
        MessageCase{"end marker missing",
                    StreamBuilder().FileStart().DefaultSettings().Str("-AUF").Str("-FB").Bytes(),
                    1, {NoString(99)}}));

} // namespace
