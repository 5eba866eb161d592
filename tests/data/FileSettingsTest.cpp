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
auto Edited(const cTrainingData& d)
{
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

TEST_P(ByteFromTextRule, TakesTheLowEightBitsOfAtol)
{
    EXPECT_EQ(int(ByteFromText(GetParam().text)), GetParam().byte);
}

INSTANTIATE_TEST_SUITE_P(Texts, ByteFromTextRule, ::testing::Values(
    ByteCase{"300", 44}, ByteCase{"-1", 255}, ByteCase{"x", 0}, ByteCase{"", 0},
    ByteCase{"255", 255}, ByteCase{"256", 0}, ByteCase{"  12abc", 12}, ByteCase{"+7", 7},
    ByteCase{"0x10", 0}, ByteCase{"-256", 0}, ByteCase{"-255", 1}, ByteCase{"\t\n 5", 5},
    ByteCase{"1e3", 1},
    // atol saturates: the largest number ends in 0xFF bytes, the smallest in 0x00.
    ByteCase{"99999999999999999999", 255}, ByteCase{"-99999999999999999999", 0}));

TEST(FileSettingsTexts, NewDocumentShowsTheDefaults)
{
    const cFileSettingsTexts texts = FileSettingsTexts(cTrainingData());
    EXPECT_EQ(texts, (cFileSettingsTexts{"5", "0", "0", 0, 0, 0, 0}));
}

struct FieldCase {
    const char* name;
    std::function<void(cTrainingData&)> set;
    cFileSettingsTexts shown;
};
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }
class FileSettingsField : public ::testing::TestWithParam<FieldCase> {};

// Each value goes to its own member and comes back from it, and nothing else moves.
TEST_P(FileSettingsField, ShowsAndStoresItsOwnValue)
{
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

TEST(FileSettingsTexts, TypedNumbersAreCutAndShowTheStoredByte)
{
    cTrainingData d;
    cFileSettingsTexts typed = FileSettingsTexts(d);
    typed.minRight = "300";
    typed.minPercent = "-1";
    typed.maxWords = "drei";
    typed.random = 7; // any non-zero state counts as checked
    StoreFileSettingsTexts(typed, d);
    EXPECT_EQ(d.m_nMinRight, 44);
    EXPECT_EQ(d.m_nMinPercent, 255);
    EXPECT_EQ(d.m_nMaxWords, 0);
    EXPECT_TRUE(d.m_bRandom);
    EXPECT_EQ(FileSettingsTexts(d), (cFileSettingsTexts{"0", "44", "255", 0, 0, 0, 1}));
}

struct CryptCase {
    int stored;
    int shown;
    int storedBack;
};
void PrintTo(const CryptCase& c, std::ostream* os) { *os << c.stored; }
class CryptSelection : public ::testing::TestWithParam<CryptCase> {};

TEST_P(CryptSelection, OnlyKnownValuesSelectAnEntry)
{
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

TEST(FilePropsValues, TemplatesAndAutomaticQuestionnaireGoToTheirOwnFields)
{
    cTrainingData d;
    d.m_bShowAll = true;
    d.m_strQuestionTemplate = "Q {frage}";
    d.m_strRightTemplate = "R {antwort}";
    d.m_strWrongTemplate = "W {antwort}";
    const cFilePropsValues values = FilePropsValues(d);
    EXPECT_EQ(values, (cFilePropsValues{1, "Q {frage}", "R {antwort}", "W {antwort}", 0}));

    cTrainingData back;
    StoreFilePropsValues({0, "1", "2", "3", 1}, back);
    EXPECT_FALSE(back.m_bShowAll);
    EXPECT_EQ(back.m_strQuestionTemplate, "1");
    EXPECT_EQ(back.m_strRightTemplate, "2");
    EXPECT_EQ(back.m_strWrongTemplate, "3");
    EXPECT_EQ(back.m_nCrypt, 1);
}

struct FileTrip {
    const char* name;
    int crypt; // the selected scrambling entry
};
void PrintTo(const FileTrip& c, std::ostream* os) { *os << c.name; }
class FileSettingsInFile : public ::testing::TestWithParam<FileTrip> {};

// What the dialogs store is what the file holds after writing and reading it again.
TEST_P(FileSettingsInFile, SurviveWritingAndReading)
{
    testfiles::TempDir dir;
    const std::string path = dir.Path("settings.vdr");
    cTrainingData d;
    d.m_aQuestionnaires.push_back(cQuestionnaire());
    StoreFileSettingsTexts({"300", "12", "-1", 1, 0, 1, 1}, d);
    StoreFilePropsValues({1, "Frage: {frage}", "Ja: {antwort}", "Nein: {antwort}",
                          GetParam().crypt},
                         d);
    ASSERT_EQ(d.WriteTrainingFile(path), 0);

    cTrainingData read;
    ASSERT_EQ(read.ReadTrainingFile(path), 0);
    EXPECT_EQ(FileSettingsTexts(read), (cFileSettingsTexts{"44", "12", "255", 1, 0, 1, 1}));
    cFilePropsValues expected{1, "Frage: {frage}", "Ja: {antwort}", "Nein: {antwort}",
                              GetParam().crypt};
    EXPECT_EQ(FilePropsValues(read), expected);
    EXPECT_EQ(int(read.m_nCrypt), GetParam().crypt < 0 ? 255 : GetParam().crypt);
}

INSTANTIATE_TEST_SUITE_P(Scrambling, FileSettingsInFile, ::testing::Values(
    FileTrip{"plain", 0}, FileTrip{"scrambled", 1}, FileTrip{"noSelection", -1}));
