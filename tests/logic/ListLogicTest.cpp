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

TEST(ListLogicTest, HighInitialsCountAboveEveryLetter) {
    // Sorted, names starting with 0x80 and above come last, and a letter never jumps to them.
    CContactArray contacts = WithLastNames({"", "Baker", "Kent", "\xC3\x89mile", "\xC3\x96zil"});
    std::vector<int> rows = AllRows(contacts);
    EXPECT_EQ(2, FindJumpRow(contacts, rows, 'M'));
    EXPECT_EQ(0, FindJumpRow(contacts, rows, 'A'));
    EXPECT_EQ(1, FindJumpRow(contacts, rows, 'B'));
    EXPECT_EQ(2, FindJumpRow(contacts, rows, 'Z'));
}

TEST(ListLogicTest, ShownRowsDecideOnASearchResult) {
    CContactArray contacts = WithLastNames({"Adams", "Baker", "Brown", "Kent", "King", "M\xC3\xBCller", "Nash",
                                            "\xD0\xA8\xD0\xBE\xD1\x81\xD1\x82\xD0\xB0\xD0\xBA"});
    struct {
        std::vector<int> shown;
        char chLetter;
        int nRow;
    } const cases[] = {
        {{2, 4}, 'B', 0}, // Brown and King
        {{2, 4}, 'K', 1},
        {{2, 4}, 'Z', 1},
        // Brown, Müller and a Cyrillic name: Nash and Adams are in the book, not on the rows.
        {{2, 5, 7}, 'N', 1},
        {{2, 5, 7}, 'C', 0},
        {{2, 5, 7}, 'A', 0},
        {{2, 5, 7}, 'M', 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.nRow, FindJumpRow(contacts, c.shown, c.chLetter)) << c.chLetter << " on " << c.shown.size();
    }
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

// At any scaling the margins grow with the dpi and the list starts below the row above it, whose
// picture buttons keep their size while the template's text grows (at 192 dpi the search box ends
// lowest); at 96 dpi the list stays where it always was.
TEST(ListLogicTest, LayoutScalesWithTheDpiAndNeverOverlapsTheRowAbove) {
    const struct {
        int nDpi, nTopRowBottom;
        int nListX, nListY, nStatusHeight;
    } cases[] = {
        {96, 66, 11, 74, 24},
        {120, 76, 14, 93, 30},
        {144, 87, 17, 111, 36},
        {192, 110, 22, 148, 48},
        {192, 160, 22, 176, 48}, // a row taller than the scaled top: the list goes below it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nDpi);
        CMainLayout layout = ComputeMainLayout(1200, 800, true, false, c.nDpi, c.nTopRowBottom);
        EXPECT_EQ(c.nListX, layout.listX);
        EXPECT_EQ(c.nListY, layout.listY);
        EXPECT_GE(layout.listY, c.nTopRowBottom);
        EXPECT_EQ(c.nStatusHeight, layout.statusHeight);
        EXPECT_EQ(1200 - 2 * c.nListX, layout.listWidth);
        EXPECT_EQ(layout.listY + layout.listHeight, layout.statusY);
        CMainLayout withGroups = ComputeMainLayout(1200, 800, true, true, c.nDpi, c.nTopRowBottom);
        EXPECT_EQ(layout.listY, withGroups.groupY);
        EXPECT_EQ(layout.listY + ScaleToDpi(kGroupBarHeight, c.nDpi), withGroups.listY);
    }
}

// Column widths are stored as 96-dpi values: one shown on any screen of 100% or more and stored
// again comes back as it was, and a move between scalings and back leaves a length in place.
TEST(ListLogicTest, StoredLengthsSurviveEveryScaling) {
    for (int nDpi : {96, 120, 144, 168, 192, 240, 288}) {
        for (int nWidth : {20, 99, 100, 101, 333, 1000, 4000}) {
            EXPECT_EQ(nWidth, UnscaleFromDpi(ScaleToDpi(nWidth, nDpi), nDpi)) << nWidth << " at " << nDpi;
            EXPECT_EQ(nWidth, ScaleBetweenDpi(ScaleBetweenDpi(nWidth, 96, nDpi), nDpi, 96)) << nWidth << " at " << nDpi;
        }
    }
    EXPECT_EQ(-15, ScaleBetweenDpi(-10, 96, 144)); // a font's height given negative rounds like its size
    EXPECT_EQ(7, ScaleBetweenDpi(7, 0, 144));     // no dpi known: left as it is
}

TEST(ListLogicTest, GroupBarTakesItsRowAboveTheList) {
    CMainLayout layout = ComputeMainLayout(800, 500, true, true);
    EXPECT_EQ(74, layout.groupY);
    EXPECT_EQ(74 + kGroupBarHeight, layout.listY);
    EXPECT_EQ(layout.listY + layout.listHeight, layout.statusY);
}

// The drop-down lists every group with its count between everyone and no group; a chosen group no
// one is in any more stays until another is chosen; a book without groups needs no drop-down.
TEST(ListLogicTest, GroupEntriesCountTheGroupsAndKeepTheChosenOne) {
    auto entries = [](const CContactArray& contacts, const CGroupChoice& chosen) {
        std::vector<std::string> texts;
        for (const CGroupEntry& entry : GroupEntries(contacts, chosen)) {
            texts.push_back(entry.text.GetStdString());
        }
        return texts;
    };
    CContactArray contacts;
    contacts.Add(CContact());
    EXPECT_TRUE(entries(contacts, CGroupChoice::All()).empty());
    EXPECT_EQ((std::vector<std::string>{"All contacts", "Gone (0)", "Not in a group"}),
              entries(contacts, CGroupChoice::Named("Gone")));
    CContact member;
    AddToGroup(member, "Work & Play");
    contacts.Add(member);
    contacts.Add(member);
    EXPECT_EQ((std::vector<std::string>{"All contacts", "Work & Play (2)", "Not in a group"}),
              entries(contacts, CGroupChoice::Ungrouped()));
}

TEST(ShownOrderTest, ShowAllCountsFromTheTopAndAnswersNoneOutsideTheRows) {
    CShownOrder order;
    order.ShowAll(4);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), order.RowContacts());
    for (int nRow : {-1, 4, 100}) {
        EXPECT_EQ(-1, order.ContactAt(nRow)) << nRow;
    }
    order.Show({7, 2});
    EXPECT_EQ(2, order.GetCount());
    EXPECT_EQ(2, order.ContactAt(1));
    order.Clear();
    EXPECT_EQ(-1, order.ContactAt(0));
}

// A row leaves with its contact: the other rows keep theirs although the book's later contacts
// moved down by one.
TEST(ShownOrderTest, RemovedRowLeavesEveryOtherRowOnItsContact) {
    struct Case {
        const char* pszName;
        std::vector<int> shown;
        int nRow;
        std::vector<int> after;
    };
    const Case cases[] = {
        {"first of the full list", {0, 1, 2, 3}, 0, {0, 1, 2}},
        {"middle of the full list", {0, 1, 2, 3}, 2, {0, 1, 2}},
        {"last row", {0, 1, 2, 3}, 3, {0, 1, 2}},
        {"only row", {5}, 0, {}},
        {"search result, later contacts move down", {1, 3, 4}, 1, {1, 3}},
        {"search result, earlier contacts stay", {1, 3, 4}, 2, {1, 3}},
        {"search result, first row", {1, 3, 4}, 0, {2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CShownOrder order;
        order.Show(c.shown);
        EXPECT_TRUE(order.RemoveRow(c.nRow));
        EXPECT_EQ(c.after, order.RowContacts());
    }
}

TEST(ShownOrderTest, RowThatIsNotThereRemovesNothing) {
    CShownOrder order;
    order.Show({1, 3, 4});
    for (int nRow : {-1, 3}) {
        EXPECT_FALSE(order.RemoveRow(nRow)) << nRow;
        EXPECT_EQ((std::vector<int>{1, 3, 4}), order.RowContacts());
    }
}

TEST(ShownOrderTest, SelectionMovesUpWithTheRowsBelowARemovedOne) {
    struct Case {
        std::vector<int> selected;
        int nRemoved;
        std::vector<int> after;
    };
    const Case cases[] = {
        {{0, 2, 5}, 2, {0, 4}}, // the removed row was selected
        {{0, 3, 5}, 2, {0, 2, 4}},
        {{0, 1}, 5, {0, 1}},    // nothing below it
        {{9}, 9, {}},           // the last row, the only one selected
        {{}, 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.after, RowsAfterRemoval(c.selected, c.nRemoved)) << "removed " << c.nRemoved;
    }
}

TEST(ShownOrderTest, TypedTextFindsTheShownLastNameFromTheStartRow) {
    CContactArray contacts = WithLastNames({"1st Choice", "24 Hours", "2nd Hand", "Adams", "\xC3\x89mile",
                                            "Say &quote;Hi&quote;"});
    std::vector<int> all = AllRows(contacts);
    struct Case {
        const char* pszName;
        std::vector<int> rows;
        const char* pszText;
        bool bPartial;
        int nStart;
        bool bWrap;
        int nRow;
    };
    const Case cases[] = {
        {"first match from the top", all, "2", true, 0, true, 1},
        {"longer prefix", all, "2n", true, 0, true, 2},
        {"from the start row on", all, "2", true, 2, true, 2},
        {"wraps to the top", all, "1", true, 3, true, 0},
        {"no wrap, none below", all, "1", true, 3, false, -1},
        {"either case", all, "ADA", true, 0, true, 3},
        {"either case beyond ASCII", all, "\xC3\xA9", true, 0, true, 4},
        {"the text as shown, not as stored", all, "say \"", true, 0, true, 5},
        {"whole name only", all, "adams", false, 0, true, 3},
        {"a prefix is no whole name", all, "ada", false, 0, true, -1},
        {"start past the end counts from the top", all, "1", true, 99, false, 0},
        {"rows of a search result", {2, 4}, "\xC3\xA9", true, 0, true, 1},
        {"a name not shown", {2, 4}, "a", true, 0, true, -1},
        {"nothing typed", all, "", true, 0, true, -1},
        {"no rows", {}, "a", true, 0, true, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.nRow, FindRowByText(contacts, c.rows, c.pszText, c.bPartial, c.nStart, c.bWrap)) << c.pszName;
    }
}

// After the book was read again the selection follows the contacts' values to their new rows, in a
// search result as in the full list; a contact selected twice over is found twice, one gone or
// changed is not found.
TEST(ShownOrderTest, TheSelectionFindsItsContactsByValueAfterTheBookWasReadAgain) {
    CContactArray contacts = WithLastNames({"Adams", "Baker", "Baker", "Clark", "Dunn"});
    contacts[3].note = "new note";
    CContact baker = contacts[1];
    CContact clarkBefore = contacts[3];
    clarkBefore.note = "old note";
    CContact gone = WithLastNames({"Evans"})[0];
    const struct {
        std::vector<int> rowContacts;
        std::vector<CContact> wanted;
        std::vector<int> rows;
    } cases[] = {
        {AllRows(contacts), {contacts[4], contacts[0]}, {0, 4}},
        {AllRows(contacts), {baker, baker, baker}, {1, 2}},
        {{3, 4}, {contacts[0], contacts[4]}, {1}}, // a search result that no longer shows Adams
        {AllRows(contacts), {clarkBefore, gone}, {}},
        {{7, -1}, {baker}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.rows, RowsShowingContacts(contacts, c.rowContacts, c.wanted));
    }
}

namespace {

// A contact named by its last name, with these date values ("birthday" or another type).
CContact WithDates(const char* pszName, std::initializer_list<std::pair<const char*, const char*>> dates) {
    CContact contact;
    contact.lastname = pszName;
    for (const auto& date : dates) {
        contact.values.push_back({EValueKind::date, date.first, "", date.second});
    }
    return contact;
}

} // namespace

// The next birthday from today decides, over a year's end and around 29 February; one day's
// several, and those without a birthday (last), keep their name order.
TEST(ListLogicTest, BirthdayOrderFollowsTheNextBirthdayFromToday) {
    CContactArray contacts;
    contacts.Add(WithDates("Adams", {{"birthday", "1990-01-01"}}));
    contacts.Add(WithDates("Baker", {}));
    contacts.Add(WithDates("Clark", {{"anniversary", "2010-12-31"}, {"birthday", "--12-30"}}));
    contacts.Add(WithDates("Dunn", {{"birthday", "1988-02-29"}}));
    contacts.Add(WithDates("Evans", {{"birthday", "1980-12-29"}}));
    contacts.Add(WithDates("Frost", {{"anniversary", "2001-01-01"}, {"birthday", "not a date"}}));
    contacts.Add(WithDates("Grant", {{"birthday", "1985-02-28"}}));
    contacts.Add(WithDates("Hale", {{"birthday", "--03-01"}}));
    const struct {
        CValueDate today;
        std::vector<int> shown, expected;
    } cases[] = {
        // Clark today, Adams after New Year, Dunn's 29 February on 28 February with Grant's,
        // Evans's yesterday last of those with a birthday.
        {{2025, 12, 30}, {0, 1, 2, 3, 4, 5, 6, 7}, {2, 0, 3, 6, 7, 4, 1, 5}},
        // A leap year: Grant on the 28th, Dunn on the 29th, Hale the day after.
        {{2028, 2, 28}, {0, 1, 2, 3, 4, 5, 6, 7}, {6, 3, 7, 4, 2, 0, 1, 5}},
        // Once 28 February has passed in a common year, Dunn waits for the next 29 February.
        {{2027, 3, 1}, {0, 1, 2, 3, 4, 5, 6, 7}, {7, 4, 2, 0, 6, 3, 1, 5}},
        // A search result is ordered as it stands, whatever order it comes in.
        {{2025, 12, 30}, {5, 4, 1, 0}, {0, 4, 1, 5}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, BirthdayOrder(contacts, c.shown, c.today))
            << c.today.nYear << "-" << c.today.nMonth << "-" << c.today.nDay;
    }
}

TEST(ListLogicTest, ADateWithoutYearDropsTheYearFromTheShortDatePicture) {
    const struct {
        const char* pszShortDate;
        const char* pszMonthDay;
    } cases[] = {
        {"M/d/yyyy", "M/d"},
        {"dd.MM.yyyy", "dd.MM"},
        {"yyyy-MM-dd", "MM-dd"},
        {"dd/MM/yy", "dd/MM"},
        {"yyyy'y' M'm' d'd'", "M'm' d'd'"}, // quoted letters are text, not fields
        {"gg yyyy/M/d", "M/d"},             // an era goes with its year
        {"yyyy", "d MMM"},                  // nothing of the day left
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pszMonthDay, MonthDayPicture(c.pszShortDate).GetStdString()) << c.pszShortDate;
    }
    const CDateCellFormat withYear = ChooseDateCellFormat({1980, 5, 17}, "M/d/yyyy");
    EXPECT_TRUE(withYear.bShortDate);
    EXPECT_EQ((CValueDate{1980, 5, 17}), withYear.day);
    const CDateCellFormat withoutYear = ChooseDateCellFormat({0, 2, 29}, "M/d/yyyy");
    EXPECT_FALSE(withoutYear.bShortDate);
    EXPECT_EQ("M/d", withoutYear.strPicture.GetStdString());
    EXPECT_EQ(29, withoutYear.day.nDay);
    EXPECT_EQ(0, withoutYear.day.nYear % 4); // a year that has the day
}
