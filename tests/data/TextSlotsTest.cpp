#include "data/Task.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// The slots behave as an array of ten texts whichever of them were ever reached.
TEST(TextSlots, BehaveAsTenTextsWhateverWasReached) {
    cTextSlots slots; const cTextSlots& view = slots;
    int count = 0;
    for (const std::string& text : view) count += text.empty() ? 1 : 100;
    EXPECT_EQ(count, 10);
    EXPECT_EQ(view[3], "");
    EXPECT_EQ(view[10], ""); // beyond the last slot a const read stays harmless
    EXPECT_THROW(slots[10] = "x", std::out_of_range);
    EXPECT_THROW((void)view.at(10), std::out_of_range);

    // Written out of order and downwards: every text stays in its slot.
    slots[7] = "sieben"; slots[2] = "zwei"; slots[9] = "neun";
    const std::string& seven = view[7];
    slots[8] = "acht"; // within the slots held: the reference stays valid
    EXPECT_EQ(seven, "sieben");
    std::array<std::string, 10> plain{"", "", "zwei", "", "", "", "", "sieben", "acht", "neun"};
    EXPECT_EQ(slots, plain);
    const std::array<std::string, 10> back = slots;
    EXPECT_EQ(back, plain);

    // Reading through a non-const object reaches slots without changing what they hold.
    cTextSlots copy = slots;
    EXPECT_EQ(copy[0], ""); EXPECT_EQ(copy, slots);
    copy[2].clear();
    EXPECT_NE(copy, slots); EXPECT_LT(copy, slots);

    cTextSlots listed; listed = {"a", "b"};
    EXPECT_EQ(listed[1], "b"); EXPECT_EQ(listed, cTextSlots({"a", "b", "", ""}));
    for (std::string& text : listed) text += "!";
    EXPECT_EQ(std::as_const(listed)[9], "!");
    listed.fill("");
    EXPECT_EQ(listed, cTextSlots()); EXPECT_FALSE(listed.HasText());
    cTextSlots moved = std::move(slots);
    EXPECT_EQ(moved, plain); EXPECT_TRUE(moved.HasText());
}

TEST(TextSlots, SeparatorsShareTheDefaultUntilSet) {
    cTask task;
    task.m_strSeparators = ";";
    cTask copy = task;
    EXPECT_EQ(copy.m_strSeparators, ";");
    task.m_strSeparators = DefaultSeparators();
    EXPECT_EQ(task.m_strSeparators, cTask().m_strSeparators); EXPECT_EQ(copy.m_strSeparators, ";");
    copy = task;
    EXPECT_EQ(std::string(copy.m_strSeparators), DefaultSeparators());
}

} // namespace
