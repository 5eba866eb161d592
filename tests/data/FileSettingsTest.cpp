// The file settings dialogs without windows: the byte conversion of the three number
// edits, and which member shows and stores which value.

#include "data/FileSettings.h"

#include "common/SameTrainingData.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(ByteFromTextRule, TakesTheLowEightBitsOfAtol) {
    const std::pair<const char*, int> cases[] = {
        {"300", 44}, {"-1", 255}, {"x", 0}, {"", 0}, {"255", 255}, {"256", 0}, {"  12abc", 12}, {"+7", 7},
        {"0x10", 0}, {"-256", 0}, {"-255", 1}, {"\t\n 5", 5}, {"1e3", 1},
        // atol saturates: the largest number ends in 0xFF bytes, the smallest in 0x00.
        {"99999999999999999999", 255}, {"-99999999999999999999", 0}};
    for (const auto& [text, byte] : cases) EXPECT_EQ(int(ByteFromText(text)), byte) << '"' << text << '"';
}

// Each value goes to its own member and comes back from it, and nothing else moves.
TEST(FileSettingsField, ShowsAndStoresItsOwnValue) {
    struct Case { const char* name; std::function<void(cTrainingData&)> set; cFileSettingsTexts shown; };
    const Case cases[] = {
        {"random", [](cTrainingData& d) { d.m_bRandom = true; }, {"5", "0", "0", 0, 0, 0, 1}},
        {"minPercent", [](cTrainingData& d) { d.m_nMinPercent = 80; }, {"5", "0", "80", 0, 0, 0, 0}},
        {"minRight", [](cTrainingData& d) { d.m_nMinRight = 255; }, {"5", "255", "0", 0, 0, 0, 0}},
        {"maxWords", [](cTrainingData& d) { d.m_nMaxWords = 0; }, {"0", "0", "0", 0, 0, 0, 0}},
        {"allowSwap", [](cTrainingData& d) { d.m_bAllowSwap = true; }, {"5", "0", "0", 1, 0, 0, 0}},
        {"allowExtra", [](cTrainingData& d) { d.m_bAllowExtra = true; }, {"5", "0", "0", 0, 1, 0, 0}},
        {"allowMissing", [](cTrainingData& d) { d.m_bAllowMissing = true; }, {"5", "0", "0", 0, 0, 1, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTrainingData changed, stored;
        c.set(changed);
        EXPECT_EQ(FileSettingsTexts(changed), c.shown);
        StoreFileSettingsTexts(c.shown, stored);
        EXPECT_EQ(testfiles::SettingsFields(stored), testfiles::SettingsFields(changed));
    }
    // Typed numbers are cut to their byte, and any non-zero box state is checked.
    cTrainingData typed;
    StoreFileSettingsTexts({"300", "12", "-1", 1, 0, 1, 7}, typed);
    EXPECT_EQ(FileSettingsTexts(typed), (cFileSettingsTexts{"44", "12", "255", 1, 0, 1, 1}));
}

// Only known scrambling values select an entry; no selection stores 255. The other
// members go to their own fields and back.
TEST(FilePropsValues, ShowAndStoreTheExtendedProperties) {
    const struct { int stored, shown, storedBack; } cases[] = {{0, 0, 0}, {1, 1, 1}, {2, -1, 255},
                                                               {255, -1, 255}};
    for (const auto& c : cases) {
        cTrainingData d, back;
        d.m_nCrypt = std::uint8_t(c.stored);
        d.m_bShowAll = c.stored == 1;
        d.m_strQuestionTemplate = "F: {frage}"; d.m_strRightTemplate = "Ja"; d.m_strWrongTemplate = "Nein";
        const cFilePropsValues values = FilePropsValues(d);
        EXPECT_EQ(values, (cFilePropsValues{c.stored == 1, "F: {frage}", "Ja", "Nein", c.shown})) << c.stored;
        StoreFilePropsValues(values, back);
        d.m_nCrypt = std::uint8_t(c.storedBack);
        EXPECT_EQ(testfiles::SettingsFields(back), testfiles::SettingsFields(d)) << c.stored;
    }
}

} // namespace
