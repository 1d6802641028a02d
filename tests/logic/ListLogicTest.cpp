#include "ui/main/ListLogic.h"

#include <gtest/gtest.h>

namespace {

CContactArray WithLastNames(std::initializer_list<const char*> names) {
    CContactArray contacts;
    for (const char* pszName : names) {
        CContact c;
        c.lastname = pszName;
        contacts.Add(c);
    }
    return contacts;
}

std::vector<int> AllRows(const CContactArray& contacts) {
    std::vector<int> rows;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        rows.push_back(i);
    }
    return rows;
}

} // namespace

TEST(ListLogicTest, LetterSelectsTheFirstNameWithThatInitial) {
    CContactArray contacts = WithLastNames({"adams", "Baker", "brown", "Kent", "King", "Young"});
    std::vector<int> rows = AllRows(contacts);
    EXPECT_EQ(1, FindJumpRow(contacts, rows, 'B'));
    EXPECT_EQ(0, FindJumpRow(contacts, rows, 'A'));
    EXPECT_EQ(4, FindJumpRow(contacts, rows, 'M')); // the last one starting lower: King
    EXPECT_EQ(5, FindJumpRow(contacts, rows, 'Z'));
}

TEST(ListLogicTest, LetterWithNothingLowerSelectsTheFirstRow) {
    CContactArray contacts = WithLastNames({"Miller", "Stone"});
    EXPECT_EQ(0, FindJumpRow(contacts, AllRows(contacts), 'A'));
    CContactArray none;
    EXPECT_EQ(-1, FindJumpRow(none, {}, 'A'));
}

TEST(ListLogicTest, HighInitialsCountBelowEveryLetter) {
    // Sorted, names starting with 0x80 and above come last, yet count below every letter.
    CContactArray contacts = WithLastNames({"", "Baker", "Kent", "\xC3\x89mile", "\xC3\x96zil"});
    std::vector<int> rows = AllRows(contacts);
    EXPECT_EQ(4, FindJumpRow(contacts, rows, 'M'));
    EXPECT_EQ(4, FindJumpRow(contacts, rows, 'A'));
    EXPECT_EQ(1, FindJumpRow(contacts, rows, 'B'));
}

TEST(ListLogicTest, ShownRowsDecideOnASearchResult) {
    CContactArray contacts = WithLastNames({"Adams", "Baker", "Brown", "Kent", "King"});
    std::vector<int> shown = {2, 4}; // rows show Brown and King
    EXPECT_EQ(0, FindJumpRow(contacts, shown, 'B'));
    EXPECT_EQ(1, FindJumpRow(contacts, shown, 'K'));
    EXPECT_EQ(1, FindJumpRow(contacts, shown, 'Z'));
}

TEST(ListLogicTest, LayoutKeepsMarginsAndTheStatusBarAtTheBottom) {
    CMainLayout layout = ComputeMainLayout(800, 500);
    EXPECT_EQ(11, layout.listX);
    EXPECT_EQ(74, layout.listY);
    EXPECT_EQ(778, layout.listWidth);
    EXPECT_EQ(402, layout.listHeight);
    EXPECT_EQ(layout.listY + layout.listHeight, layout.statusY);
    EXPECT_EQ(0, layout.statusX);
    EXPECT_EQ(800, layout.statusWidth);
    EXPECT_EQ(24, layout.statusHeight);
}
