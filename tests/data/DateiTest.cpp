#include "data/Datei.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>

#include <sys/stat.h>
#include <unistd.h>

using testfiles::FileSizeLimit;
using testfiles::Hex;
using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::ToHex;
using testfiles::WriteBytes;

namespace {

std::string Written(const std::function<void(cDatei&)>& fill)
{
    TempDir dir;
    const std::string path = dir.Path("out.bin");
    cDatei out;
    EXPECT_TRUE(out.Open(path, false));
    fill(out);
    out.Close();
    return ReadBytes(path);
}

// A stream open for reading on the given bytes, in a directory of its own.
class StreamOn {
public:
    explicit StreamOn(const std::string& bytes)
    {
        WriteBytes(m_dir.Path("in.bin"), bytes);
        EXPECT_TRUE(in.Open(m_dir.Path("in.bin"), true));
    }
    TempDir m_dir;
    cDatei in;
};

const std::string kLoadUFNumberText = Cp1252FromUtf8("Datei.h:LoadUFNumber(...) -  Typ nicht unterstützt!!");
const std::string kLoadUFText = Cp1252FromUtf8("Datei.h:LoadUF(...) -  Typ nicht unterstützt!!");

// With box: exactly one error box "FEHLER" with text; without: no box at all.
void ExpectTypeErrorBox(const RecordingPresenter& boxes, bool box, const std::string& text)
{
    if (!box) {
        EXPECT_TRUE(boxes.boxes.empty());
        return;
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "FEHLER");
    EXPECT_EQ(boxes.boxes[0].text, text);
    EXPECT_EQ(boxes.boxes[0].style, 0x10u);
}

// ---- numbers -------------------------------------------------------------------------

struct NumberCase {
    std::int64_t value;
    std::string bytes;
    std::int64_t readBack;
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.value; }

class NumberLadder : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberLadder, WritesSmallestFormAndReadsBack)
{
    const NumberCase& c = GetParam();
    const std::string bytes = Written([&](cDatei& out) { out.WriteNumber(c.value); });
    EXPECT_EQ(ToHex(bytes), ToHex(c.bytes));

    StreamOn s(bytes);
    std::int64_t v = 12345;
    EXPECT_EQ(s.in.LoadUFNumber(v), static_cast<unsigned char>(c.bytes[0]));
    EXPECT_EQ(v, c.readBack);
    EXPECT_EQ(s.in.Remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, NumberLadder,
    ::testing::Values(
        NumberCase{0, Hex({7, 0x00}), 0}, NumberCase{-1, Hex({7, 0xFF}), -1},
        NumberCase{100, Hex({7, 0x64}), 100}, NumberCase{127, Hex({7, 0x7F}), 127},
        NumberCase{-128, Hex({7, 0x80}), -128}, NumberCase{128, Hex({2, 0x80}), 128},
        NumberCase{200, Hex({2, 0xC8}), 200}, NumberCase{255, Hex({2, 0xFF}), 255},
        NumberCase{-129, Hex({8, 0xFF, 0x7F}), -129},
        NumberCase{-200, Hex({8, 0xFF, 0x38}), -200},
        NumberCase{256, Hex({8, 0x01, 0x00}), 256},
        NumberCase{1000, Hex({8, 0x03, 0xE8}), 1000},
        NumberCase{32767, Hex({8, 0x7F, 0xFF}), 32767},
        NumberCase{-32768, Hex({8, 0x80, 0x00}), -32768},
        NumberCase{32768, Hex({3, 0x80, 0x00}), 32768},
        NumberCase{40000, Hex({3, 0x9C, 0x40}), 40000},
        NumberCase{65535, Hex({3, 0xFF, 0xFF}), 65535},
        NumberCase{-32769, Hex({4, 0xFF, 0xFF, 0x7F, 0xFF}), -32769},
        NumberCase{65536, Hex({4, 0x00, 0x01, 0x00, 0x00}), 65536},
        NumberCase{100000, Hex({4, 0x00, 0x01, 0x86, 0xA0}), 100000},
        NumberCase{-100000, Hex({4, 0xFF, 0xFE, 0x79, 0x60}), -100000},
        NumberCase{2147483647, Hex({4, 0x7F, 0xFF, 0xFF, 0xFF}), 2147483647},
        NumberCase{-2147483648LL, Hex({4, 0x80, 0x00, 0x00, 0x00}), -2147483648LL},
        // Beyond 32 bits only the low half is read back.
        NumberCase{2147483648LL, Hex({10, 0, 0, 0, 0, 0x80, 0, 0, 0}), -2147483648LL},
        NumberCase{4294967295LL, Hex({10, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), -1},
        NumberCase{-2147483649LL, Hex({10, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF}),
                   2147483647},
        NumberCase{0x123456789ALL, Hex({10, 0, 0, 0, 0x12, 0x34, 0x56, 0x78, 0x9A}),
                   0x3456789A}));

// ---- other writers -------------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::function<void(cDatei&)> write;
    std::string bytes;
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class Writers : public ::testing::TestWithParam<WriteCase> {};

TEST_P(Writers, WriteExactBytes)
{
    EXPECT_EQ(ToHex(Written(GetParam().write)), ToHex(GetParam().bytes));
}

const std::string k255(255, 'x');
const std::string k256(256, 'y');

INSTANTIATE_TEST_SUITE_P(
    Tags, Writers,
    ::testing::Values(
        WriteCase{"bool true", [](cDatei& o) { o.WriteBool(true); }, Hex({1, 1})},
        WriteCase{"bool false", [](cDatei& o) { o.WriteBool(false); }, Hex({1, 0})},
        WriteCase{"byte 0", [](cDatei& o) { o.WriteByte(0); }, Hex({2, 0})},
        WriteCase{"byte 5", [](cDatei& o) { o.WriteByte(5); }, Hex({2, 5})},
        WriteCase{"byte 200", [](cDatei& o) { o.WriteByte(200); }, Hex({2, 0xC8})},
        WriteCase{"empty string", [](cDatei& o) { o.WriteString(""); }, Hex({12, 0})},
        WriteCase{"short string", [](cDatei& o) { o.WriteString("abc"); },
                  Hex({12, 3, 'a', 'b', 'c'})},
        WriteCase{"cp1252 bytes", [](cDatei& o) { o.WriteString("\xE4\x80"); },
                  Hex({12, 2, 0xE4, 0x80})},
        WriteCase{"255 bytes", [](cDatei& o) { o.WriteString(k255); }, Hex({12, 0xFF}) + k255},
        WriteCase{"256 bytes", [](cDatei& o) { o.WriteString(k256); },
                  Hex({5, 0, 0, 1, 0}) + k256},
        WriteCase{"long empty", [](cDatei& o) { o.WriteLongString(""); }, Hex({5, 0, 0, 0, 0})},
        WriteCase{"long short", [](cDatei& o) { o.WriteLongString("ab"); },
                  Hex({5, 0, 0, 0, 2, 'a', 'b'})},
        WriteCase{"sequence",
                  [](cDatei& o) {
                      o.WriteString("1ALL");
                      o.WriteBool(true);
                      o.WriteNumber(-2);
                  },
                  Hex({12, 4, '1', 'A', 'L', 'L', 1, 1, 7, 0xFE})}));

// ---- reading strings -----------------------------------------------------------------

struct StringCase {
    const char* name;
    std::string bytes;
    int tag;
    std::string text;
};
void PrintTo(const StringCase& c, std::ostream* os) { *os << c.name; }

class StringRead : public ::testing::TestWithParam<StringCase> {};

TEST_P(StringRead, GivesTagAndText)
{
    RecordingPresenter boxes;
    StreamOn s(GetParam().bytes);
    std::string text = "old";
    EXPECT_EQ(s.in.ReadString(text), GetParam().tag);
    EXPECT_EQ(text, GetParam().text);
    EXPECT_TRUE(boxes.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StringRead,
    ::testing::Values(
        StringCase{"short", Hex({12, 2, 'h', 'i'}), 12, "hi"},
        StringCase{"short empty", Hex({12, 0}), 12, ""},
        StringCase{"long", Hex({5, 0, 0, 0, 3, 'a', 'b', 'c'}), 5, "abc"},
        StringCase{"long empty", Hex({5, 0, 0, 0, 0}), 5, ""},
        StringCase{"255", Hex({12, 0xFF}) + k255, 12, k255},
        StringCase{"256", Hex({5, 0, 0, 1, 0}) + k256, 5, k256},
        // A length beyond the end of the file is a failed read: nothing taken.
        StringCase{"short too long", Hex({12, 5, 'a', 'b'}), kStringPayloadFailed, "old"},
        StringCase{"long too long", Hex({5, 0, 0, 0, 9, 'a'}), kStringPayloadFailed, "old"},
        StringCase{"huge length", Hex({5, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), kStringPayloadFailed,
                   "old"},
        StringCase{"no length byte", Hex({12}), kStringPayloadFailed, "old"},
        StringCase{"half length", Hex({5, 0, 0}), kStringPayloadFailed, "old"}));

TEST(StringRead, WrongTagIsReportedAndLeavesText)
{
    RecordingPresenter boxes;
    StreamOn s(Hex({7, 5}));
    std::string text = "old";
    EXPECT_EQ(s.in.ReadString(text), 7);
    EXPECT_EQ(text, "old");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "");
    EXPECT_EQ(boxes.boxes[0].text,
              "Falscher Datentyp (7)beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)");
    EXPECT_EQ(boxes.boxes[0].style, 0x10u);
    // The payload was not consumed.
    EXPECT_EQ(s.in.Remaining(), 1u);
}

TEST(StringRead, EndOfFileReportsTag99)
{
    RecordingPresenter boxes;
    StreamOn s("");
    std::string text = "old";
    EXPECT_EQ(s.in.ReadString(text), TYP_FAIL);
    EXPECT_EQ(text, "old");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Falscher Datentyp (99)beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)");
}

TEST(LongStringReader, TakesOnlyTag5)
{
    RecordingPresenter boxes;
    StreamOn s(Hex({5, 0, 0, 0, 1, 'L', 12, 1, 'S'}));
    std::string text = "old";
    EXPECT_EQ(s.in.ReadLongString(text), 5);
    EXPECT_EQ(text, "L");
    EXPECT_TRUE(boxes.boxes.empty());

    // A short string is unknown to LoadUF, and then no long string either.
    EXPECT_EQ(s.in.ReadLongString(text), 12);
    EXPECT_EQ(text, "L");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].caption, "FEHLER");
    EXPECT_EQ(boxes.boxes[0].text, kLoadUFText);
    EXPECT_EQ(boxes.boxes[1].caption, "");
    EXPECT_EQ(boxes.boxes[1].text, "Falscher Datentyp beim Einlesen der Datei. (String erwartet)");
    EXPECT_EQ(boxes.boxes[1].style, 0x10u);
}

// ---- LoadUF --------------------------------------------------------------------------

struct Outputs {
    std::string str = "s";
    std::int32_t nInt = -7;
    bool b = false;
    std::uint8_t byte = 77;
    std::uint16_t word = 7777;
    double d = -0.25;
    std::int8_t ch = 11;
    std::int32_t nInt2 = -22;
    std::int32_t nInt3 = -33;
    bool operator==(const Outputs&) const = default;
};

Outputs With(const std::function<void(Outputs&)>& change)
{
    Outputs o;
    change(o);
    return o;
}

struct LoadUFCase {
    const char* name;
    std::string bytes;
    int tag;
    Outputs expected;
    bool box; // "Typ nicht unterstützt" shown
};
void PrintTo(const LoadUFCase& c, std::ostream* os) { *os << c.name; }

class LoadUFTags : public ::testing::TestWithParam<LoadUFCase> {};

TEST_P(LoadUFTags, FillsTheOutputsOfTheTagOnly)
{
    const LoadUFCase& c = GetParam();
    RecordingPresenter boxes;
    StreamOn s(c.bytes);
    Outputs o;
    EXPECT_EQ(s.in.LoadUF(o.str, o.nInt, o.b, o.byte, o.word, o.d, o.ch, o.nInt2, o.nInt3), c.tag);
    EXPECT_EQ(o.str, c.expected.str);
    EXPECT_EQ(o.nInt, c.expected.nInt);
    EXPECT_EQ(o.b, c.expected.b);
    EXPECT_EQ(o.byte, c.expected.byte);
    EXPECT_EQ(o.word, c.expected.word);
    EXPECT_EQ(o.d, c.expected.d);
    EXPECT_EQ(o.ch, c.expected.ch);
    EXPECT_EQ(o.nInt2, c.expected.nInt2);
    EXPECT_EQ(o.nInt3, c.expected.nInt3);
    ExpectTypeErrorBox(boxes, c.box, kLoadUFText);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, LoadUFTags,
    ::testing::Values(
        LoadUFCase{"bool", Hex({1, 9}), 1, With([](Outputs& o) { o.b = true; }), false},
        LoadUFCase{"byte", Hex({2, 0xC8}), 2, With([](Outputs& o) {
                       o.byte = 200; o.ch = -56; o.nInt = 200; o.str = "\xC8";
                   }), false},
        LoadUFCase{"char", Hex({7, 0xC8}), 7, With([](Outputs& o) {
                       o.byte = 200; o.ch = -56; o.nInt = -56; o.str = "\xC8";
                   }), false},
        LoadUFCase{"word", Hex({3, 0xFF, 0xFE}), 3, With([](Outputs& o) { o.word = 65534; }), false},
        LoadUFCase{"long", Hex({4, 0xFF, 0xFF, 0xFF, 0xFE}), 4,
                   With([](Outputs& o) { o.nInt = -2; }), false},
        LoadUFCase{"long string", Hex({5, 0, 0, 0, 2, 'h', 'i'}), 5,
                   With([](Outputs& o) { o.str = "hi"; }), false},
        LoadUFCase{"double", Hex({6, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}), 6,
                   With([](Outputs& o) { o.d = 1.5; }), false},
        LoadUFCase{"short", Hex({8, 0xFF, 0xFE}), 8,
                   With([](Outputs& o) { o.nInt2 = o.nInt3 = -2; }), false},
        LoadUFCase{"word2", Hex({9, 0xFF, 0xFE}), 9,
                   With([](Outputs& o) { o.nInt2 = o.nInt3 = 65534; }), false},
        LoadUFCase{"int64 unknown", Hex({10, 0, 0, 0, 0, 0, 0, 0, 1}), 10, Outputs{}, true},
        LoadUFCase{"short string unknown", Hex({12, 1, 'a'}), 12, Outputs{}, true},
        LoadUFCase{"tag 0", Hex({0}), 0, Outputs{}, true},
        LoadUFCase{"end of file", "", 99, Outputs{}, true},
        LoadUFCase{"stored tag 99", Hex({99, 1}), 99, Outputs{}, true},
        LoadUFCase{"truncated long", Hex({4, 1, 2}), 99, Outputs{}, false},
        LoadUFCase{"oversized string", Hex({5, 0, 0, 1, 0, 'a'}), 99, Outputs{}, false}));

// ---- LoadUFNumber --------------------------------------------------------------------

struct LoadNumberCase {
    const char* name;
    std::string bytes;
    int tag;
    std::int64_t value;
    bool box;
};
void PrintTo(const LoadNumberCase& c, std::ostream* os) { *os << c.name; }

class LoadNumber : public ::testing::TestWithParam<LoadNumberCase> {};

TEST_P(LoadNumber, ReadsEveryNumberTag)
{
    const LoadNumberCase& c = GetParam();
    RecordingPresenter boxes;
    StreamOn s(c.bytes);
    std::int64_t v = 4242;
    EXPECT_EQ(s.in.LoadUFNumber(v), c.tag);
    EXPECT_EQ(v, c.value);
    ExpectTypeErrorBox(boxes, c.box, kLoadUFNumberText);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, LoadNumber,
    ::testing::Values(
        LoadNumberCase{"bool", Hex({1, 5}), 1, 1, false},
        LoadNumberCase{"bool false", Hex({1, 0}), 1, 0, false},
        LoadNumberCase{"byte", Hex({2, 0xFF}), 2, 255, false},
        LoadNumberCase{"char", Hex({7, 0xFF}), 7, -1, false},
        LoadNumberCase{"word", Hex({3, 0xFF, 0xFF}), 3, 65535, false},
        LoadNumberCase{"short", Hex({8, 0x80, 0x00}), 8, -32768, false},
        LoadNumberCase{"word2", Hex({9, 0x80, 0x00}), 9, 32768, false},
        LoadNumberCase{"long", Hex({4, 0x80, 0, 0, 0}), 4, -2147483648LL, false},
        LoadNumberCase{"int64 low half only", Hex({10, 0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFE}),
                       10, -2, false},
        LoadNumberCase{"long string", Hex({5, 0, 0, 0, 0}), 5, 4242, true},
        LoadNumberCase{"double", Hex({6, 0, 0, 0, 0, 0, 0, 0, 0}), 6, 4242, true},
        LoadNumberCase{"short string", Hex({12, 0}), 12, 4242, true},
        LoadNumberCase{"end of file", "", 99, 4242, false},
        LoadNumberCase{"stored tag 99", Hex({99, 7, 5}), 99, 4242, false},
        LoadNumberCase{"unknown tag", Hex({200, 7, 5}), 200, 4242, true},
        LoadNumberCase{"truncated word", Hex({3, 1}), 99, 4242, false},
        LoadNumberCase{"truncated int64", Hex({10, 0, 0, 0, 0, 0, 0, 0}), 99, 4242, false}));

TEST(LoadNumber, StoredTag99IsTakenWithoutPayload)
{
    RecordingPresenter boxes;
    StreamOn s(Hex({99, 7, 5}));
    std::int64_t v = 0;
    EXPECT_EQ(s.in.LoadUFNumber(v), 99);
    EXPECT_EQ(s.in.LoadUFNumber(v), 7);
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(LoadNumber, StringTagLeavesItsBytesUnread)
{
    RecordingPresenter boxes;
    StreamOn s(Hex({12, 2, 7, 9}));
    std::int64_t v = 0;
    EXPECT_EQ(s.in.LoadUFNumber(v), 12);
    // The next read starts inside the string: its length byte is taken as a tag.
    EXPECT_EQ(s.in.LoadUFNumber(v), 2);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(s.in.LoadUFNumber(v), 99);
}

// ---- bool, byte and skip readers -----------------------------------------------------

TEST(SmallReaders, TakeOnlyTheirTags)
{
    RecordingPresenter boxes;
    StreamOn s(Hex({1, 1, 2, 9, 7, 0xFF, 1, 0, 12, 0, 2, 3}));
    bool b = false;
    std::uint8_t byte = 42;
    EXPECT_EQ(s.in.ReadBool(b), 1);
    EXPECT_TRUE(b);
    EXPECT_EQ(s.in.ReadBool(b), 2); // a byte is no bool
    EXPECT_TRUE(b);
    EXPECT_EQ(s.in.ReadByte(byte), 7); // tag 7 counts as a byte
    EXPECT_EQ(byte, 255);
    EXPECT_EQ(s.in.ReadByte(byte), 1); // a bool is no byte
    EXPECT_EQ(byte, 255);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(s.in.ReadByte(byte), 12); // unknown to LoadUF: box, payload left
    EXPECT_EQ(byte, 255);
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(s.in.ReadByte(byte), 0); // the length byte 0 read as a tag
    EXPECT_EQ(s.in.ReadByte(byte), 2);
    EXPECT_EQ(byte, 3);
}

TEST(Skipping, SkipValueSkipsEveryStoredTag)
{
    RecordingPresenter boxes;
    const std::string bytes = testfiles::StreamBuilder()
                                  .Bool(true).Byte(200).Char(-3).Word(60000).Short(-300)
                                  .Long(100000).Num(5000000000LL).Str("abc").LStr("long")
                                  .Raw({6, 0, 0, 0, 0, 0, 0, 0, 0}).Raw({9, 1, 2})
                                  .Bytes();
    StreamOn s(bytes + Hex({7, 42}));
    const int expected[] = {1, 2, 7, 3, 8, 4, 10, 12, 5, 6, 9};
    for (const int tag : expected)
        EXPECT_EQ(s.in.SkipValue(), tag);
    std::int64_t v = 0;
    EXPECT_EQ(s.in.LoadUFNumber(v), 7);
    EXPECT_EQ(v, 42);
    EXPECT_EQ(s.in.SkipValue(), TYP_FAIL);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(Skipping, SkipValueRefusesLengthsBeyondTheFile)
{
    RecordingPresenter boxes;
    StreamOn s(Hex({5, 0x7F, 0xFF, 0xFF, 0xFF, 'a', 'b'}));
    EXPECT_EQ(s.in.SkipValue(), TYP_FAIL);
    EXPECT_EQ(s.in.Remaining(), 2u);
}

TEST(Skipping, SkipKnowsWhatLoadUFKnows)
{
    RecordingPresenter boxes;
    StreamOn s(Hex({4, 0, 0, 0, 1, 12, 1, 'a'}));
    EXPECT_EQ(s.in.Skip(), 4);
    EXPECT_EQ(s.in.Skip(), 12);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kLoadUFText);
    EXPECT_EQ(s.in.Remaining(), 2u);
}

// ---- truncation ----------------------------------------------------------------------

struct TruncCase {
    const char* name;
    std::string bytes;
};
void PrintTo(const TruncCase& c, std::ostream* os) { *os << c.name; }

class Truncated : public ::testing::TestWithParam<TruncCase> {};

// Every proper prefix of a value fails to read and leaves the outputs alone; the whole
// value reads.
TEST_P(Truncated, EveryPrefixFailsCleanly)
{
    const std::string& full = GetParam().bytes;
    RecordingPresenter boxes;
    for (std::size_t n = 0; n < full.size(); ++n) {
        SCOPED_TRACE(n);
        const int tag = static_cast<unsigned char>(full[0]);
        {
            StreamOn s(full.substr(0, n));
            std::int64_t v = 31337;
            std::string text = "keep";
            if (tag == TYP_SSTRING || tag == TYP_LSTRING) {
                const int got = s.in.ReadString(text);
                EXPECT_TRUE(got == TYP_FAIL || got == kStringPayloadFailed) << got;
                EXPECT_EQ(text, "keep");
            } else {
                EXPECT_EQ(s.in.LoadUFNumber(v), TYP_FAIL);
                EXPECT_EQ(v, 31337);
            }
        }
        {
            StreamOn s(full.substr(0, n));
            Outputs o;
            const int got = s.in.LoadUF(o.str, o.nInt, o.b, o.byte, o.word, o.d, o.ch, o.nInt2, o.nInt3);
            if (tag != TYP_SSTRING && tag != TYP_INT64) {
                EXPECT_EQ(got, TYP_FAIL);
                EXPECT_EQ(o, Outputs{});
            }
        }
        {
            StreamOn s(full.substr(0, n));
            EXPECT_EQ(s.in.SkipValue(), TYP_FAIL);
        }
    }
    StreamOn s(full);
    EXPECT_EQ(s.in.SkipValue(), static_cast<unsigned char>(full[0]));
    EXPECT_EQ(s.in.Remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Truncated,
    ::testing::Values(TruncCase{"bool", Hex({1, 1})}, TruncCase{"char", Hex({7, 1})},
                      TruncCase{"word", Hex({3, 1, 2})}, TruncCase{"short", Hex({8, 1, 2})},
                      TruncCase{"long", Hex({4, 1, 2, 3, 4})},
                      TruncCase{"int64", Hex({10, 1, 2, 3, 4, 5, 6, 7, 8})},
                      TruncCase{"short string", Hex({12, 3, 'a', 'b', 'c'})},
                      TruncCase{"long string", Hex({5, 0, 0, 0, 3, 'a', 'b', 'c'})}));

// ---- scrambling ----------------------------------------------------------------------

TEST(Scrambling, KeyStreamFromTheFileSeed)
{
    const int keys[] = {0x17, 0x05, 0x8A, 0xAC, 0xCF, 0xF9, 0xBA, 0x09};
    const std::string bytes = Written([](cDatei& out) {
        out.StartScrambling(kScrambleSeed);
        out.WriteString(std::string(6, '\0'));
    });
    const std::string plain = Hex({12, 6, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(bytes.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        EXPECT_EQ(static_cast<unsigned char>(bytes[i]),
                  static_cast<unsigned char>(plain[i]) ^ keys[i]) << i;
    EXPECT_EQ(ToHex(bytes), "1B 03 8A AC CF F9 BA 09");
}

TEST(Scrambling, StateIsTheGeneratorOutput)
{
    cDatei d;
    EXPECT_EQ(d.Scramble(0x41), 0x41); // off: unchanged
    d.StartScrambling(kScrambleSeed);
    EXPECT_TRUE(d.m_bScramble);
    EXPECT_EQ(d.Scramble(0x00), 0x17);
    EXPECT_EQ(d.m_nScrambleState, 0x1517u);
    EXPECT_EQ(d.Scramble(0xFF), 0xFA);
    EXPECT_EQ(d.m_nScrambleState, 0x4505u);
}

TEST(Scrambling, StartsMidStreamAndReadsBack)
{
    auto write = [](cDatei& out) {
        out.WriteString("1CRY");
        out.WriteByte(1);
        out.StartScrambling(kScrambleSeed);
        out.WriteString("1ALL");
        out.WriteBool(true);
        out.WriteNumber(-100000);
        out.WriteLongString(std::string(300, 'z'));
    };
    const std::string first = Written(write);
    EXPECT_EQ(first, Written(write)); // the key stream depends only on the seed
    EXPECT_EQ(ToHex(first.substr(0, 8)), "0C 04 31 43 52 59 02 01");
    EXPECT_EQ(static_cast<unsigned char>(first[8]), 12 ^ 0x17);
    EXPECT_EQ(first.find("1ALL"), std::string::npos);

    StreamOn s(first);
    std::string text;
    std::uint8_t byte = 0;
    EXPECT_EQ(s.in.ReadString(text), 12);
    EXPECT_EQ(s.in.ReadByte(byte), 2);
    s.in.StartScrambling(kScrambleSeed);
    EXPECT_EQ(s.in.ReadString(text), 12);
    EXPECT_EQ(text, "1ALL");
    bool b = false;
    EXPECT_EQ(s.in.ReadBool(b), 1);
    EXPECT_TRUE(b);
    std::int64_t v = 0;
    EXPECT_EQ(s.in.LoadUFNumber(v), 4);
    EXPECT_EQ(v, -100000);
    EXPECT_EQ(s.in.ReadLongString(text), 5);
    EXPECT_EQ(text, std::string(300, 'z'));
    EXPECT_EQ(s.in.Remaining(), 0u);
}

TEST(Scrambling, SkippingKeepsTheKeyStreamInStep)
{
    const std::string bytes = Written([](cDatei& out) {
        out.StartScrambling(kScrambleSeed);
        out.WriteString("skip me");
        out.WriteNumber(1234567);
        out.WriteString("after");
    });
    StreamOn s(bytes);
    s.in.StartScrambling(kScrambleSeed);
    EXPECT_EQ(s.in.SkipValue(), 12);
    EXPECT_EQ(s.in.Skip(), 4);
    std::string text;
    EXPECT_EQ(s.in.ReadString(text), 12);
    EXPECT_EQ(text, "after");
}

// ---- buffering -----------------------------------------------------------------------

TEST(Buffering, ValuesAcrossChunkBordersSurvive)
{
    // Enough values that buffers fill and refill in the middle of values.
    std::vector<std::string> texts;
    for (int i = 0; i < 40000; ++i)
        texts.push_back(std::string(static_cast<std::size_t>(i % 300), static_cast<char>('a' + i % 26)));
    const std::string bytes = Written([&](cDatei& out) {
        out.StartScrambling(7);
        for (int i = 0; i < 40000; ++i) {
            out.WriteString(texts[static_cast<std::size_t>(i)]);
            out.WriteNumber(i * 1001LL);
        }
    });
    StreamOn s(bytes);
    s.in.StartScrambling(7);
    EXPECT_EQ(s.in.GetFileSize(), bytes.size());
    for (int i = 0; i < 40000; ++i) {
        std::string text;
        std::int64_t v = 0;
        ASSERT_TRUE(s.in.ReadString(text) == 12 || i % 300 > 255);
        ASSERT_EQ(text, texts[static_cast<std::size_t>(i)]) << i;
        ASSERT_NE(s.in.LoadUFNumber(v), TYP_FAIL);
        ASSERT_EQ(v, i * 1001LL);
    }
    EXPECT_EQ(s.in.Remaining(), 0u);
}

// ---- opening -------------------------------------------------------------------------

// A path of exactly length bytes inside dir, made of nested folders.
std::string PathOfLength(const TempDir& dir, std::size_t length)
{
    std::string path = dir.Dir();
    while (length - path.size() > 201) {
        path += "/" + std::string(199, 'd');
        mkdir(path.c_str(), 0700);
    }
    path += "/" + std::string(length - path.size() - 1, 'f');
    EXPECT_EQ(path.size(), length);
    return path;
}

TEST(Opening, PathLengthLimit)
{
    TempDir dir;
    const std::string ok = PathOfLength(dir, kMaxDateiPath);
    const std::string tooLong = PathOfLength(dir, kMaxDateiPath + 1);
    cDatei out;
    EXPECT_TRUE(out.Open(ok, false));
    out.WriteBool(true);
    out.Close();
    EXPECT_EQ(ReadBytes(ok), Hex({1, 1}));
    EXPECT_TRUE(out.Open(ok, true));
    out.Close();

    EXPECT_FALSE(out.Open(tooLong, false));
    struct stat st {};
    EXPECT_NE(stat(tooLong.c_str(), &st), 0); // not created
    WriteBytes(tooLong, Hex({1, 1}));
    EXPECT_FALSE(out.Open(tooLong, true));
}

TEST(Opening, ReadingNeedsAnExistingRegularFile)
{
    TempDir dir;
    cDatei in;
    EXPECT_FALSE(in.Open(dir.Path("missing.vdr"), true));
    EXPECT_FALSE(in.Open(dir.Dir(), true));
    EXPECT_FALSE(in.Open("", true));
    EXPECT_FALSE(in.IsOpen());
    // Opening for reading never creates the file.
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(Opening, WritingTruncatesAndSizeIsForReadingOnly)
{
    TempDir dir;
    const std::string path = dir.Path("f.bin");
    WriteBytes(path, std::string(100, 'x'));
    cDatei d;
    ASSERT_TRUE(d.Open(path, true));
    EXPECT_EQ(d.GetFileSize(), 100u);
    std::int64_t v = 0;
    EXPECT_EQ(d.LoadUFNumber(v), 'x'); // 'x' is no number tag
    EXPECT_EQ(d.GetFileSize(), 100u);
    EXPECT_EQ(d.Remaining(), 99u);
    d.Close();
    EXPECT_EQ(d.GetFileSize(), 0u);

    ASSERT_TRUE(d.Open(path, false));
    EXPECT_EQ(d.GetFileSize(), 0u);
    d.WriteNumber(1);
    EXPECT_TRUE(d.Finish(true));
    EXPECT_EQ(ReadBytes(path), Hex({7, 1}));
}

TEST(Opening, OpenNewRefusesAnExistingName)
{
    TempDir dir;
    const std::string path = dir.Path("f.bin");
    WriteBytes(path, "keep");
    cDatei d;
    EXPECT_FALSE(d.OpenNew(path));
    EXPECT_EQ(ReadBytes(path), "keep");
    EXPECT_TRUE(d.OpenNew(dir.Path("g.bin")));
}

// ---- atomic replacement --------------------------------------------------------------

TEST(AtomicWrite, ReplacesTheFileAndKeepsItsMode)
{
    TempDir dir;
    const std::string path = dir.Path("t.vdr");
    WriteBytes(path, "old content");
    chmod(path.c_str(), 0640);
    EXPECT_TRUE(WriteFileAtomically(path, [](cDatei& out) { out.WriteString("new"); }));
    EXPECT_EQ(ReadBytes(path), Hex({12, 3, 'n', 'e', 'w'}));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"t.vdr"});
}

TEST(AtomicWrite, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    const std::string path = dir.Path("t.vdr");
    WriteBytes(path, "old content");
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(WriteFileAtomically(path, [](cDatei& out) {
            for (int i = 0; i < 1000; ++i)
                out.WriteString("more than the limit allows");
        }));
    }
    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"t.vdr"});
}

TEST(AtomicWrite, RefusesWhatCannotBeReplaced)
{
    TempDir dir;
    mkdir(dir.Path("sub").c_str(), 0700);
    const auto writer = [](cDatei& out) { out.WriteBool(true); };
    EXPECT_FALSE(WriteFileAtomically(dir.Path("sub"), writer));          // a directory
    EXPECT_FALSE(WriteFileAtomically(dir.Path("none/t.vdr"), writer));   // no such folder
    EXPECT_FALSE(WriteFileAtomically("", writer));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"sub"});
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("sub")));
}

TEST(AtomicWrite, LongNamesAndLeftoverTemporariesDoNotStopIt)
{
    TempDir dir;
    const std::string path = dir.Path(std::string(250, 'n') + ".vdr");
    const std::string leftover = dir.Path(".quorvant-" + std::to_string(getpid()) + "-0.tmp");
    WriteBytes(leftover, "from a crash");
    EXPECT_TRUE(WriteFileAtomically(path, [](cDatei& out) { out.WriteBool(false); }));
    EXPECT_EQ(ReadBytes(path), Hex({1, 0}));
    EXPECT_EQ(ReadBytes(leftover), "from a crash");
}

TEST(AtomicWrite, WritesThroughALink)
{
    TempDir dir;
    const std::string target = dir.Path("real.vdr");
    WriteBytes(target, "old");
    ASSERT_EQ(symlink(target.c_str(), dir.Path("link.vdr").c_str()), 0);
    EXPECT_TRUE(WriteFileAtomically(dir.Path("link.vdr"), [](cDatei& out) { out.WriteBool(true); }));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.vdr")));
    EXPECT_EQ(ReadBytes(target), Hex({1, 1}));
}

} // namespace
