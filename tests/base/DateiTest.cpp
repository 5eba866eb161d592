// The value stream: exact bytes, every reader's tags, outputs and boxes, scrambling and
// truncation in memory; what only a real file has (paths, buffering, atomic replacement).

#include "base/Datei.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "base/Cp1252.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace testfiles;

namespace {

std::string Written(const std::function<void(cDatei&)>& fill) {
    cDatei out;
    EXPECT_TRUE(out.OpenBuffer()); fill(out); EXPECT_TRUE(out.Finish(false));
    return out.Written();
}

// A stream open for reading on the given bytes.
struct StreamOn {
    explicit StreamOn(std::string bytes) { EXPECT_TRUE(in.OpenBytes(std::move(bytes))); }
    cDatei in;
};

const std::string kLoadUFNumberText = Cp1252FromUtf8("Datei.h:LoadUFNumber(...) -  Typ nicht unterstützt!!");
const std::string kLoadUFText = Cp1252FromUtf8("Datei.h:LoadUF(...) -  Typ nicht unterstützt!!");

using Boxes = std::vector<std::pair<std::string, std::string>>; // caption, text
const std::uint32_t kErrorIcon = 0x10;

// Exactly the boxes given, each with the error icon.
void ExpectBoxes(const RecordingPresenter& rec, const Boxes& want) {
    ASSERT_EQ(rec.boxes.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(std::tie(rec.boxes[i].caption, rec.boxes[i].text, rec.boxes[i].style),
                  std::tie(want[i].first, want[i].second, kErrorIcon)) << i;
}

std::string NoStringText(int tag) {
    return "Falscher Datentyp (" + std::to_string(tag) +
           ")beim Einlesen der Datei. (TYP_STR oder TYP_STRING erwartet)";
}

// Every number in its smallest form, read back by the number reader.
TEST(NumberLadder, WritesSmallestFormAndReadsBack) {
    struct N { std::int64_t value; std::vector<int> bytes; std::int64_t readBack; };
    const N cases[] = {
        {0, {7, 0x00}, 0}, {-1, {7, 0xFF}, -1}, {100, {7, 0x64}, 100}, {127, {7, 0x7F}, 127},
        {-128, {7, 0x80}, -128}, {128, {2, 0x80}, 128}, {200, {2, 0xC8}, 200}, {255, {2, 0xFF}, 255},
        {-129, {8, 0xFF, 0x7F}, -129}, {-200, {8, 0xFF, 0x38}, -200}, {256, {8, 0x01, 0x00}, 256},
        {1000, {8, 0x03, 0xE8}, 1000}, {32767, {8, 0x7F, 0xFF}, 32767}, {-32768, {8, 0x80, 0x00}, -32768},
        {32768, {3, 0x80, 0x00}, 32768}, {40000, {3, 0x9C, 0x40}, 40000}, {65535, {3, 0xFF, 0xFF}, 65535},
        {-32769, {4, 0xFF, 0xFF, 0x7F, 0xFF}, -32769}, {65536, {4, 0, 1, 0, 0}, 65536},
        {100000, {4, 0x00, 0x01, 0x86, 0xA0}, 100000}, {-100000, {4, 0xFF, 0xFE, 0x79, 0x60}, -100000},
        {2147483647, {4, 0x7F, 0xFF, 0xFF, 0xFF}, 2147483647},
        {-2147483648LL, {4, 0x80, 0x00, 0x00, 0x00}, -2147483648LL},
        // Beyond 32 bits only the low half is read back.
        {2147483648LL, {10, 0, 0, 0, 0, 0x80, 0, 0, 0}, -2147483648LL},
        {4294967295LL, {10, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {-2147483649LL, {10, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF}, 2147483647},
        {0x123456789ALL, {10, 0, 0, 0, 0x12, 0x34, 0x56, 0x78, 0x9A}, 0x3456789A}};
    for (const N& c : cases) {
        SCOPED_TRACE(c.value);
        const std::string bytes = Written([&](cDatei& out) { out.WriteNumber(c.value); });
        EXPECT_EQ(ToHex(bytes), ToHex(std::string(c.bytes.begin(), c.bytes.end())));
        StreamOn s(bytes);
        std::int64_t v = 12345;
        EXPECT_EQ(s.in.LoadUFNumber(v), c.bytes[0]);
        EXPECT_EQ(v, c.readBack); EXPECT_EQ(s.in.Remaining(), 0u);
    }
}

const std::string k255(255, 'x');
const std::string k256(256, 'y');

TEST(Writers, WriteExactBytes) {
    const std::pair<std::function<void(cDatei&)>, std::string> cases[] = {
        {[](cDatei& o) { o.WriteBool(true); }, Hex({1, 1})},
        {[](cDatei& o) { o.WriteBool(false); }, Hex({1, 0})},
        {[](cDatei& o) { o.WriteByte(0); }, Hex({2, 0})},
        {[](cDatei& o) { o.WriteByte(200); }, Hex({2, 0xC8})},
        {[](cDatei& o) { o.WriteString(""); }, Hex({12, 0})},
        {[](cDatei& o) { o.WriteString("\xE4\x80"); }, Hex({12, 2, 0xE4, 0x80})},
        {[](cDatei& o) { o.WriteString(k255); }, Hex({12, 0xFF}) + k255},
        {[](cDatei& o) { o.WriteString(k256); }, Hex({5, 0, 0, 1, 0}) + k256},
        {[](cDatei& o) { o.WriteLongString(""); }, Hex({5, 0, 0, 0, 0})},
        {[](cDatei& o) { o.WriteLongString("ab"); }, Hex({5, 0, 0, 0, 2, 'a', 'b'})},
        {[](cDatei& o) { o.WriteString("1ALL"); o.WriteBool(true); o.WriteNumber(-2); },
         Hex({12, 4, '1', 'A', 'L', 'L', 1, 1, 7, 0xFE})}};
    for (const auto& [write, bytes] : cases) EXPECT_EQ(ToHex(Written(write)), ToHex(bytes));
}

// ---- the three readers ---------------------------------------------------------------

// Every output LoadUF may fill, at values no read produces by chance.
struct Outputs {
    std::string str = "s";
    std::int32_t nInt = -7, nInt2 = -22, nInt3 = -33;
    bool b = false; std::uint8_t byte = 77;
    std::uint16_t word = 7777; double d = -0.25;
    std::int8_t ch = 11;
    bool operator==(const Outputs&) const = default;
    int Load(cDatei& in) { return in.LoadUF(str, nInt, b, byte, word, d, ch, nInt2, nInt3); }
    // The outputs that differ from their start values, as " name=value".
    std::string Changes() const {
        const Outputs o;
        std::ostringstream os;
        os << (str != o.str ? " str=" + str : "") << (nInt != o.nInt ? " int=" + std::to_string(nInt) : "")
           << (b != o.b ? " b=1" : "") << (byte != o.byte ? " byte=" + std::to_string(byte) : "")
           << (word != o.word ? " word=" + std::to_string(word) : "")
           << (ch != o.ch ? " ch=" + std::to_string(ch) : "")
           << (nInt2 != o.nInt2 ? " int2=" + std::to_string(nInt2) : "")
           << (nInt3 != o.nInt3 ? " int3=" + std::to_string(nInt3) : "");
        if (d != o.d) os << " d=" << d;
        return os.str();
    }
};

enum class Reader { String, LoadUF, Number };

struct ReadCase {
    const char* name;
    Reader reader;
    std::string bytes;
    std::string result; // the tag, then what the reader changed
    std::uint64_t remaining;
    bool box; // the reader's wrong-type box
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class Readers : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Readers, GiveTagOutputsAndBox) {
    const ReadCase& c = GetParam();
    RecordingPresenter boxes;
    StreamOn s(c.bytes);
    std::string result;
    Boxes box;
    if (c.reader == Reader::String) {
        std::string text = "old";
        const int tag = s.in.ReadString(text);
        result = std::to_string(tag) + (text != "old" ? " '" + text + "'" : "");
        box = {{"", NoStringText(tag)}};
    } else if (c.reader == Reader::LoadUF) {
        Outputs o;
        result = std::to_string(o.Load(s.in));
        result += o.Changes();
        box = {{"FEHLER", kLoadUFText}};
    } else {
        std::int64_t v = 4242;
        result = std::to_string(s.in.LoadUFNumber(v));
        result += v != 4242 ? " " + std::to_string(v) : "";
        box = {{"FEHLER", kLoadUFNumberText}};
    }
    EXPECT_EQ(result, c.result); EXPECT_EQ(s.in.Remaining(), c.remaining);
    ExpectBoxes(boxes, c.box ? box : Boxes{});
}

constexpr Reader kStr = Reader::String;
constexpr Reader kUF = Reader::LoadUF;
constexpr Reader kNum = Reader::Number;
const std::string kFailed = std::to_string(kStringPayloadFailed);

using R = ReadCase;
INSTANTIATE_TEST_SUITE_P(
    Strings, Readers,
    ::testing::Values(
        R{"short", kStr, Hex({12, 2, 'h', 'i'}), "12 'hi'", 0, false},
        R{"short empty", kStr, Hex({12, 0}), "12 ''", 0, false},
        R{"long", kStr, Hex({5, 0, 0, 0, 3, 'a', 'b', 'c'}), "5 'abc'", 0, false},
        R{"long empty", kStr, Hex({5, 0, 0, 0, 0, 1}), "5 ''", 1, false},
        R{"255", kStr, Hex({12, 0xFF}) + k255, "12 '" + k255 + "'", 0, false},
        R{"256", kStr, Hex({5, 0, 0, 1, 0}) + k256, "5 '" + k256 + "'", 0, false},
        // A length beyond the end of the file is a failed read: nothing taken.
        R{"short too long", kStr, Hex({12, 5, 'a', 'b'}), kFailed, 2, false},
        R{"long too long", kStr, Hex({5, 0, 0, 0, 9, 'a'}), kFailed, 1, false},
        R{"huge length", kStr, Hex({5, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), kFailed, 1, false},
        R{"no length byte", kStr, Hex({12}), kFailed, 0, false},
        R{"half length", kStr, Hex({5, 0, 0}), kFailed, 2, false},
        // Another tag is reported and its payload left unread.
        R{"wrong tag", kStr, Hex({7, 5}), "7", 1, true}, R{"end of file", kStr, "", "99", 0, true}));

INSTANTIATE_TEST_SUITE_P(
    LoadUF, Readers,
    ::testing::Values(
        R{"bool", kUF, Hex({1, 9}), "1 b=1", 0, false},
        R{"byte", kUF, Hex({2, 0xC8}), "2 str=\xC8 int=200 byte=200 ch=-56", 0, false},
        R{"char", kUF, Hex({7, 0xC8}), "7 str=\xC8 int=-56 byte=200 ch=-56", 0, false},
        R{"word", kUF, Hex({3, 0xFF, 0xFE}), "3 word=65534", 0, false},
        R{"long", kUF, Hex({4, 0xFF, 0xFF, 0xFF, 0xFE}), "4 int=-2", 0, false},
        R{"long string", kUF, Hex({5, 0, 0, 0, 2, 'h', 'i'}), "5 str=hi", 0, false},
        R{"double", kUF, Hex({6, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}), "6 d=1.5", 0, false},
        R{"short", kUF, Hex({8, 0xFF, 0xFE}), "8 int2=-2 int3=-2", 0, false},
        R{"word2", kUF, Hex({9, 0xFF, 0xFE}), "9 int2=65534 int3=65534", 0, false},
        R{"int64 unknown", kUF, Hex({10, 0, 0, 0, 0, 0, 0, 0, 1}), "10", 8, true},
        R{"short string unknown", kUF, Hex({12, 1, 'a'}), "12", 2, true},
        R{"tag 0", kUF, Hex({0}), "0", 0, true}, R{"end of file", kUF, "", "99", 0, true},
        R{"stored tag 99", kUF, Hex({99, 1}), "99", 1, true},
        R{"oversized string", kUF, Hex({5, 0, 0, 1, 0, 'a'}), "99", 1, false}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, Readers,
    ::testing::Values(
        R{"bool", kNum, Hex({1, 5}), "1 1", 0, false}, R{"bool false", kNum, Hex({1, 0}), "1 0", 0, false},
        R{"byte", kNum, Hex({2, 0xFF}), "2 255", 0, false}, R{"char", kNum, Hex({7, 0xFF}), "7 -1", 0, false},
        R{"word", kNum, Hex({3, 0xFF, 0xFF}), "3 65535", 0, false},
        R{"short", kNum, Hex({8, 0x80, 0x00}), "8 -32768", 0, false},
        R{"word2", kNum, Hex({9, 0x80, 0x00}), "9 32768", 0, false},
        R{"long", kNum, Hex({4, 0x80, 0, 0, 0}), "4 -2147483648", 0, false},
        R{"int64 low half only", kNum, Hex({10, 0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFE}), "10 -2", 0,
          false},
        // Other tags leave their payload unread: the next read starts inside it.
        R{"long string", kNum, Hex({5, 0, 0, 0, 0}), "5", 4, true},
        R{"double", kNum, Hex({6, 0, 0, 0, 0, 0, 0, 0, 0}), "6", 8, true},
        R{"short string", kNum, Hex({12, 2, 7, 9}), "12", 3, true},
        R{"unknown tag", kNum, Hex({200, 7, 5}), "200", 2, true},
        // A stored 99 is taken as a failed read, without a box and without payload.
        R{"stored tag 99", kNum, Hex({99, 7, 5}), "99", 2, false}, R{"end of file", kNum, "", "99", 0, false},
        R{"truncated int64", kNum, Hex({10, 0, 0, 0, 0, 0, 0, 0}), "99", 7, false}));

TEST(LongStringReader, TakesOnlyTag5) {
    RecordingPresenter boxes;
    StreamOn s(Hex({5, 0, 0, 0, 1, 'L', 12, 1, 'S'}));
    std::string text = "old";
    EXPECT_EQ(s.in.ReadLongString(text), 5); EXPECT_EQ(text, "L");
    EXPECT_TRUE(boxes.boxes.empty());
    // A short string is unknown to LoadUF, and then no long string either.
    EXPECT_EQ(s.in.ReadLongString(text), 12); EXPECT_EQ(text, "L");
    ExpectBoxes(boxes, {{"FEHLER", kLoadUFText},
                        {"", "Falscher Datentyp beim Einlesen der Datei. (String erwartet)"}});
}

// ---- bool, byte and skip readers -----------------------------------------------------

TEST(SmallReaders, TakeOnlyTheirTags) {
    RecordingPresenter boxes;
    StreamOn s(Hex({1, 1, 2, 9, 7, 0xFF, 1, 0, 12, 0, 2, 3, 4, 0, 0, 0, 1, 12, 1, 'a'}));
    bool b = false; std::uint8_t byte = 42;
    EXPECT_EQ(s.in.ReadBool(b), 1); EXPECT_TRUE(b);
    EXPECT_EQ(s.in.ReadBool(b), 2); EXPECT_TRUE(b);         // a byte is no bool
    EXPECT_EQ(s.in.ReadByte(byte), 7); EXPECT_EQ(byte, 255); // tag 7 counts as a byte
    EXPECT_EQ(s.in.ReadByte(byte), 1); EXPECT_EQ(byte, 255); // a bool is no byte
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(s.in.ReadByte(byte), 12); EXPECT_EQ(byte, 255); // unknown to LoadUF: box, payload left
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(s.in.ReadByte(byte), 0); // the length byte 0 read as a tag
    EXPECT_EQ(s.in.ReadByte(byte), 2); EXPECT_EQ(byte, 3);
    // Skip knows what LoadUF knows: a short string is reported and left.
    EXPECT_EQ(s.in.Skip(), 4); EXPECT_EQ(s.in.Skip(), 12);
    ASSERT_EQ(boxes.boxes.size(), 3u); EXPECT_EQ(boxes.boxes[2].text, kLoadUFText);
    EXPECT_EQ(s.in.Remaining(), 2u);
}

TEST(SmallReaders, SkipValueSkipsEveryStoredTag) {
    RecordingPresenter boxes;
    StreamOn s(testfiles::StreamBuilder().Bool(true).Byte(200).Char(-3).Word(60000).Short(-300)
                   .Long(100000).Num(5000000000LL).Str("abc").LStr("long")
                   .Raw({6, 0, 0, 0, 0, 0, 0, 0, 0}).Raw({9, 1, 2}).Char(42).Bytes());
    for (const int tag : {1, 2, 7, 3, 8, 4, 10, 12, 5, 6, 9}) EXPECT_EQ(s.in.SkipValue(), tag);
    std::int64_t v = 0;
    EXPECT_EQ(s.in.LoadUFNumber(v), 7); EXPECT_EQ(v, 42);
    EXPECT_EQ(s.in.SkipValue(), TYP_FAIL); EXPECT_TRUE(boxes.boxes.empty());
}

// Every proper prefix of a value fails to read and leaves the outputs alone; the whole
// value reads.
TEST(Truncated, EveryPrefixFailsCleanly) {
    RecordingPresenter boxes;
    for (const std::string& full : {Hex({1, 1}), Hex({7, 1}), Hex({3, 1, 2}), Hex({8, 1, 2}),
                                    Hex({4, 1, 2, 3, 4}), Hex({10, 1, 2, 3, 4, 5, 6, 7, 8}),
                                    Hex({12, 3, 'a', 'b', 'c'}), Hex({5, 0, 0, 0, 3, 'a', 'b', 'c'})}) {
        const int tag = static_cast<unsigned char>(full[0]);
        for (std::size_t n = 0; n < full.size(); ++n) {
            SCOPED_TRACE(testing::Message() << "tag " << tag << ", " << n << " bytes");
            StreamOn a(full.substr(0, n)), b(full.substr(0, n)), c(full.substr(0, n));
            std::int64_t v = 31337;
            std::string text = "keep";
            if (tag == TYP_SSTRING || tag == TYP_LSTRING) {
                const int got = a.in.ReadString(text);
                EXPECT_TRUE(got == TYP_FAIL || got == kStringPayloadFailed) << got;
                EXPECT_EQ(text, "keep");
            } else {
                EXPECT_EQ(a.in.LoadUFNumber(v), TYP_FAIL); EXPECT_EQ(v, 31337);
            }
            Outputs o;
            const int got = o.Load(b.in);
            if (tag != TYP_SSTRING && tag != TYP_INT64) { EXPECT_EQ(got, TYP_FAIL); EXPECT_EQ(o, Outputs{}); }
            EXPECT_EQ(c.in.SkipValue(), TYP_FAIL);
        }
        StreamOn s(full);
        EXPECT_EQ(s.in.SkipValue(), tag); EXPECT_EQ(s.in.Remaining(), 0u);
    }
}

TEST(Scrambling, KeyStreamFromTheFileSeed) {
    cDatei d;
    EXPECT_EQ(d.Scramble(0x41), 0x41); // off: unchanged
    d.StartScrambling(kScrambleSeed);
    EXPECT_TRUE(d.m_bScramble);
    EXPECT_EQ(d.Scramble(0x00), 0x17); EXPECT_EQ(d.m_nScrambleState, 0x1517u); // the generator's output
    EXPECT_EQ(d.Scramble(0xFF), 0xFA); EXPECT_EQ(d.m_nScrambleState, 0x4505u);
    // Key bytes 17 05 8A AC CF F9 BA 09 over "0C 06 00 00 00 00 00 00".
    EXPECT_EQ(ToHex(Written([](cDatei& out) {
                  out.StartScrambling(kScrambleSeed);
                  out.WriteString(std::string(6, '\0'));
              })),
              "1B 03 8A AC CF F9 BA 09");
}

TEST(Scrambling, StartsMidStreamAndReadsBackInStep) {
    auto write = [](cDatei& out) {
        out.WriteString("1CRY"); out.WriteByte(1);
        out.StartScrambling(kScrambleSeed);
        out.WriteString("1ALL"); out.WriteBool(true);
        out.WriteString("skip me"); out.WriteNumber(-100000); out.WriteLongString(std::string(300, 'z'));
    };
    const std::string first = Written(write);
    EXPECT_EQ(first, Written(write)); // the key stream depends only on the seed
    EXPECT_EQ(ToHex(first.substr(0, 9)), "0C 04 31 43 52 59 02 01 1B");
    EXPECT_EQ(first.find("1ALL"), std::string::npos);

    StreamOn s(first);
    std::string text;
    std::uint8_t byte = 0; bool b = false;
    EXPECT_EQ(s.in.ReadString(text), 12); EXPECT_EQ(s.in.ReadByte(byte), 2);
    s.in.StartScrambling(kScrambleSeed);
    EXPECT_EQ(s.in.ReadString(text), 12); EXPECT_EQ(text, "1ALL");
    EXPECT_EQ(s.in.ReadBool(b), 1); EXPECT_TRUE(b);
    EXPECT_EQ(s.in.SkipValue(), 12); EXPECT_EQ(s.in.Skip(), 4); // skipping keeps the key stream in step
    EXPECT_EQ(s.in.ReadLongString(text), 5); EXPECT_EQ(text, std::string(300, 'z'));
    EXPECT_EQ(s.in.Remaining(), 0u);
}

TEST(MemoryStream, OpensClosesAndReportsLikeAFile) {
    cDatei d;
    EXPECT_FALSE(d.IsOpen()); ASSERT_TRUE(d.OpenBytes(Hex({7, 5, 7})));
    EXPECT_TRUE(d.IsOpen()); EXPECT_EQ(d.Fd(), -1); EXPECT_EQ(d.GetFileSize(), 3u);
    std::int64_t v = 0;
    EXPECT_EQ(d.LoadUFNumber(v), 7); EXPECT_EQ(d.GetFileSize(), 3u); EXPECT_EQ(d.Remaining(), 1u);
    d.Close();
    EXPECT_FALSE(d.IsOpen()); EXPECT_EQ(d.GetFileSize(), 0u); EXPECT_EQ(d.Remaining(), 0u);

    // Written bytes stay after Close, and a new buffer starts empty.
    ASSERT_TRUE(d.OpenBuffer()); EXPECT_EQ(d.GetFileSize(), 0u);
    d.WriteNumber(1); d.Close();
    EXPECT_EQ(d.Written(), Hex({7, 1}));
    d.WriteNumber(2); // closed: nothing lands
    EXPECT_EQ(d.Written(), Hex({7, 1}));
    ASSERT_TRUE(d.OpenBuffer()); EXPECT_TRUE(d.Finish(true)); EXPECT_EQ(d.Written(), "");
    EXPECT_FALSE(d.Finish(true)); // nothing open
    ASSERT_TRUE(d.OpenBytes(Hex({1, 1})));
    EXPECT_TRUE(d.Finish(false)); // reading: nothing to fail
}

// ---- real files ----------------------------------------------------------------------

// Enough values that buffers fill and refill in the middle of values: the file gives the
// memory stream's bytes, and reads back through its refilled buffer.
TEST(DiskStream, LargeRoundTripMatchesMemory) {
    std::vector<std::string> texts;
    for (int i = 0; i < 40000; ++i) texts.emplace_back(std::size_t(i % 300), char('a' + i % 26));
    const auto write = [&](cDatei& out) {
        out.StartScrambling(7);
        for (int i = 0; i < 40000; ++i) {
            out.WriteString(texts[std::size_t(i)]); out.WriteNumber(i * 1001LL);
        }
    };
    TempDir dir;
    const std::string path = dir.Path("big.bin");
    cDatei out;
    ASSERT_TRUE(out.Open(path, false)); EXPECT_EQ(out.GetFileSize(), 0u);
    write(out);
    EXPECT_TRUE(out.Finish(true));
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes, Written(write));

    cDatei in;
    ASSERT_TRUE(in.Open(path, true)); EXPECT_GE(in.Fd(), 0);
    in.StartScrambling(7);
    EXPECT_EQ(in.GetFileSize(), bytes.size());
    for (int i = 0; i < 40000; ++i) {
        std::string text; std::int64_t v = 0;
        ASSERT_TRUE(in.ReadString(text) == 12 || i % 300 > 255);
        ASSERT_EQ(text, texts[std::size_t(i)]) << i;
        ASSERT_NE(in.LoadUFNumber(v), TYP_FAIL); ASSERT_EQ(v, i * 1001LL);
    }
    EXPECT_EQ(in.Remaining(), 0u); EXPECT_EQ(in.GetFileSize(), bytes.size());
    in.Close();
    EXPECT_EQ(in.GetFileSize(), 0u);
}

// A path of exactly length bytes inside dir, made of nested folders.
std::string PathOfLength(const TempDir& dir, std::size_t length) {
    std::string path = dir.Dir();
    while (length - path.size() > 201) {
        path += "/" + std::string(199, 'd');
        mkdir(path.c_str(), 0700);
    }
    path += "/" + std::string(length - path.size() - 1, 'f');
    EXPECT_EQ(path.size(), length);
    return path;
}

TEST(DiskStream, PathLengthLimit) {
    TempDir dir;
    const std::string ok = PathOfLength(dir, kMaxDateiPath);
    const std::string tooLong = PathOfLength(dir, kMaxDateiPath + 1);
    WriteBytes(ok, "a longer old content");
    cDatei out;
    EXPECT_TRUE(out.Open(ok, false));
    out.WriteBool(true); out.Close();
    EXPECT_EQ(ReadBytes(ok), Hex({1, 1})); // truncated
    EXPECT_TRUE(out.Open(ok, true));
    out.Close();

    EXPECT_FALSE(out.Open(tooLong, false));
    struct stat st {};
    EXPECT_NE(stat(tooLong.c_str(), &st), 0); // not created
    WriteBytes(tooLong, Hex({1, 1}));
    EXPECT_FALSE(out.Open(tooLong, true));
}

TEST(DiskStream, OpeningNeedsTheRightKindOfName) {
    TempDir dir;
    cDatei d;
    for (const std::string& name : {dir.Path("missing.vdr"), dir.Dir(), std::string()})
        EXPECT_FALSE(d.Open(name, true)) << name;
    EXPECT_FALSE(d.IsOpen());
    EXPECT_TRUE(dir.Entries().empty()); // opening for reading never creates the file

    WriteBytes(dir.Path("f.bin"), "keep");
    EXPECT_FALSE(d.OpenNew(dir.Path("f.bin"))); EXPECT_EQ(ReadBytes(dir.Path("f.bin")), "keep");
    EXPECT_TRUE(d.OpenNew(dir.Path("g.bin")));
}

// How saving fails is the training file's test; here the replacement itself.
TEST(AtomicWrite, ReplacesTheFileKeepingModeAndLink) {
    TempDir dir;
    const std::string path = dir.Path(std::string(250, 'n') + ".vdr");
    const std::string leftover = dir.Path(".quorvant-" + std::to_string(getpid()) + "-0.tmp");
    WriteBytes(path, "old content");
    WriteBytes(leftover, "from a crash");
    chmod(path.c_str(), 0640);
    ASSERT_EQ(symlink(path.c_str(), dir.Path("link.vdr").c_str()), 0);
    EXPECT_TRUE(WriteFileAtomically(dir.Path("link.vdr"), [](cDatei& out) { out.WriteString("new"); }));
    EXPECT_EQ(ReadBytes(path), Hex({12, 3, 'n', 'e', 'w'}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.vdr")));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0); EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(leftover), "from a crash");
    EXPECT_EQ(dir.Entries().size(), 3u); // no temporary left
}

} // namespace
