// The file settings dialogs without windows: the byte conversion of the three number
// edits, which member shows and stores which value, and the values after a trip through
// a training file.

#include "data/FileSettings.h"

#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

// The seven values the settings dialog edits, for whole-record comparisons.
auto Edited(const cTrainingData& d) {
    return std::make_tuple(int(d.m_bRandom), int(d.m_nMinPercent), int(d.m_nMinRight),
                           int(d.m_nMaxWords), int(d.m_bAllowMissing), int(d.m_bAllowExtra),
                           int(d.m_bAllowSwap));
}

} // namespace

struct ByteCase {
    const char* text;
    int byte;
};
void PrintTo(const ByteCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
class ByteFromTextRule : public ::testing::TestWithParam<ByteCase> {};

TEST_P(ByteFromTextRule, TakesTheLowEightBitsOfAtol) {
    EXPECT_EQ(int(ByteFromText(GetParam().text)), GetParam().byte);
}

INSTANTIATE_TEST_SUITE_P(Texts, ByteFromTextRule, ::testing::Values(
    ByteCase{"300", 44}, ByteCase{"-1", 255}, ByteCase{"x", 0}, ByteCase{"", 0},
    ByteCase{"255", 255}, ByteCase{"256", 0}, ByteCase{"  12abc", 12}, ByteCase{"+7", 7},
    ByteCase{"0x10", 0}, ByteCase{"-256", 0}, ByteCase{"-255", 1}, ByteCase{"\t\n 5", 5},
    ByteCase{"1e3", 1},
    // atol saturates: the largest number ends in 0xFF bytes, the smallest in 0x00.
    ByteCase{"99999999999999999999", 255}, ByteCase{"-99999999999999999999", 0}));

struct FieldCase {
    const char* name;
    std::function<void(cTrainingData&)> set;
    cFileSettingsTexts shown;
};
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }
class FileSettingsField : public ::testing::TestWithParam<FieldCase> {};

// Each value goes to its own member and comes back from it, and nothing else moves.
TEST_P(FileSettingsField, ShowsAndStoresItsOwnValue) {
    cTrainingData changed;
    GetParam().set(changed);
    EXPECT_EQ(FileSettingsTexts(changed), GetParam().shown);

    cTrainingData stored;
    StoreFileSettingsTexts(GetParam().shown, stored);
    EXPECT_EQ(Edited(stored), Edited(changed));
}

INSTANTIATE_TEST_SUITE_P(Fields, FileSettingsField, ::testing::Values(
    FieldCase{"random", [](cTrainingData& d) { d.m_bRandom = true; },
              {"5", "0", "0", 0, 0, 0, 1}},
    FieldCase{"minPercent", [](cTrainingData& d) { d.m_nMinPercent = 80; },
              {"5", "0", "80", 0, 0, 0, 0}},
    FieldCase{"minRight", [](cTrainingData& d) { d.m_nMinRight = 255; },
              {"5", "255", "0", 0, 0, 0, 0}},
    FieldCase{"maxWords", [](cTrainingData& d) { d.m_nMaxWords = 0; },
              {"0", "0", "0", 0, 0, 0, 0}},
    FieldCase{"allowSwap", [](cTrainingData& d) { d.m_bAllowSwap = true; },
              {"5", "0", "0", 1, 0, 0, 0}},
    FieldCase{"allowExtra", [](cTrainingData& d) { d.m_bAllowExtra = true; },
              {"5", "0", "0", 0, 1, 0, 0}},
    FieldCase{"allowMissing", [](cTrainingData& d) { d.m_bAllowMissing = true; },
              {"5", "0", "0", 0, 0, 1, 0}}));

struct CryptCase {
    int stored;
    int shown;
    int storedBack;
};
void PrintTo(const CryptCase& c, std::ostream* os) { *os << c.stored; }
class CryptSelection : public ::testing::TestWithParam<CryptCase> {};

TEST_P(CryptSelection, OnlyKnownValuesSelectAnEntry) {
    cTrainingData d;
    d.m_nCrypt = static_cast<std::uint8_t>(GetParam().stored);
    const cFilePropsValues values = FilePropsValues(d);
    EXPECT_EQ(values.crypt, GetParam().shown);
    cTrainingData back;
    StoreFilePropsValues(values, back);
    EXPECT_EQ(int(back.m_nCrypt), GetParam().storedBack);
}

INSTANTIATE_TEST_SUITE_P(Values, CryptSelection, ::testing::Values(
    CryptCase{0, 0, 0}, CryptCase{1, 1, 1}, CryptCase{2, -1, 255}, CryptCase{255, -1, 255}));

struct FileTrip {
    const char* name;
    int crypt; // the selected scrambling entry
    int flag;  // the random check box (any non-zero state is checked), and "Extrafragebogen"
};
void PrintTo(const FileTrip& c, std::ostream* os) { *os << c.name; }
class FileSettingsInFile : public ::testing::TestWithParam<FileTrip> {};

// What the dialogs store is what the file holds after writing and reading it again, typed
// numbers cut to their byte.
TEST_P(FileSettingsInFile, SurviveWritingAndReading) {
    const FileTrip& c = GetParam();
    testfiles::TempDir dir;
    const std::string path = dir.Path("settings.vdr");
    const int checked = c.flag != 0;
    cTrainingData d;
    d.m_aQuestionnaires.push_back(cQuestionnaire());
    StoreFileSettingsTexts({"300", "12", "-1", 1, 0, 1, c.flag}, d);
    StoreFilePropsValues({checked, "Frage: {frage}", "Ja: {antwort}", "Nein: {antwort}", c.crypt}, d);
    ASSERT_EQ(d.WriteTrainingFile(path), 0);

    cTrainingData read;
    ASSERT_EQ(read.ReadTrainingFile(path), 0);
    EXPECT_EQ(FileSettingsTexts(read), (cFileSettingsTexts{"44", "12", "255", 1, 0, 1, checked}));
    EXPECT_EQ(FilePropsValues(read), (cFilePropsValues{checked, "Frage: {frage}", "Ja: {antwort}",
                                                       "Nein: {antwort}", c.crypt}));
    EXPECT_EQ(int(read.m_nCrypt), c.crypt < 0 ? 255 : c.crypt);
}

INSTANTIATE_TEST_SUITE_P(Scrambling, FileSettingsInFile, ::testing::Values(
    FileTrip{"plain", 0, 7}, FileTrip{"scrambled", 1, 0}, FileTrip{"noSelection", -1, 1}));
