#include "ui/editor/ValueText.h"
#include "data/PhotoFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

CContactValue Value(EValueKind kind, const char* pszType, const char* pszLabel, const char* pszText) {
    return CContactValue{kind, pszType, pszLabel, pszText};
}

CContactValue Address(const char* pszType, std::initializer_list<const char*> parts) {
    CString given[kAddressPartCount];
    std::copy(parts.begin(), parts.end(), given);
    CContactValue value = Value(EValueKind::address, pszType, "", "");
    value.SetAddressParts(given);
    return value;
}

} // namespace

// Every spelling a card or the file may hold, read and written back in the one stored form.
TEST(ValueTextTest, DatesReadInEverySpellingAndWriteInTheStoredForm) {
    const struct {
        const char* pszText;
        bool bRead;
        const char* pszStored; // as written back
    } cases[] = {
        {"1980-05-17", true, "1980-05-17"},
        {"19800517", true, "1980-05-17"},
        {"1980-05-17T10:30:00Z", true, "1980-05-17"},
        {"--05-17", true, "--05-17"},
        {"--0517", true, "--05-17"},
        {"--02-29", true, "--02-29"}, // some year had it
        {"2000-02-29", true, "2000-02-29"},
        {"1981-02-29", false, ""},
        {"1900-02-29", false, ""},
        {"1980-13-01", false, ""},
        {"0000-05-17", false, ""},
        {"1980-5-17", false, ""},
        {"circa 1950", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszText);
        CValueDate date;
        ASSERT_EQ(c.bRead, ParseValueDate(c.pszText, date));
        if (c.bRead) {
            EXPECT_EQ(c.pszStored, ValueDateText(date));
        }
    }
}

TEST(ValueTextTest, TypesShowReadablyAndStoreLowerCaseLists) {
    const struct {
        EValueKind kind;
        const char* pszStored;
        const char* pszShown;
        const char* pszTyped; // what a user may type for the same stored type
    } cases[] = {
        {EValueKind::phone, "work,fax", "work, fax", " Work ,FAX, "},
        {EValueKind::address, "", "", " , "},
        {EValueKind::date, "", "other", "Other"},
        {EValueKind::date, "birthday", "birthday", "Birthday "},
        {EValueKind::related, "godmother", "godmother", "Godmother"},
        // Only uses are a list; a service's name keeps its commas as typed.
        {EValueKind::messaging, "a, b", "a, b", "A, B"},
        {EValueKind::related, "&quote;x&quote;", "\"x\"", "\"x\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTyped);
        EXPECT_EQ(c.pszShown, ShownTypeOf(c.kind, c.pszStored));
        EXPECT_EQ(c.pszStored, StoredTypeOf(c.kind, c.pszShown));
        EXPECT_EQ(c.pszStored, StoredTypeOf(c.kind, c.pszTyped));
    }
}

// The list's row of each kind of value: a line for every value, however many it has.
TEST(ValueTextTest, ListColumnsShowEachValueOnOneLine) {
    const struct {
        CContactValue value;
        const char* pszKind;
        const char* pszLabel;
        const char* pszValue;
    } cases[] = {
        {Value(EValueKind::phone, "work,fax", "", "555 0100"), "Phone", "work, fax", "555 0100"},
        {Value(EValueKind::phone, "home", "Lake house", "555 0101"), "Phone", "Lake house (home)",
         "555 0101"},
        {Address("home", {"PO Box 5", "", "1 Main St\\r\\nFlat 2", "Springfield", "IL", "62701", "USA"}),
         "Address", "home", "PO Box 5, 1 Main St, Flat 2, Springfield, IL 62701, USA"},
        {Value(EValueKind::date, "birthday", "", "1980-05-17"), "Date", "birthday", "17 May 1980"},
        {Value(EValueKind::date, "", "Graduation", "--06-01"), "Date", "Graduation", "1 June"},
        {Value(EValueKind::date, "anniversary", "", "around 1990"), "Date", "anniversary", "around 1990"},
        {Value(EValueKind::custom, "", "Locker", "one\\r\\n\\r\\ntwo\\r\\n"), "Custom label", "Locker",
         "one, two"},
        {Value(EValueKind::cardProperty, "", "", "X-FOO;A=b:c"), "Card property", "", "X-FOO;A=b:c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszValue);
        EXPECT_EQ(c.pszKind, KindColumnText(c.value));
        EXPECT_EQ(c.pszLabel, LabelColumnText(c.value));
        EXPECT_EQ(c.pszValue, ValueColumnText(c.value));
    }
}

TEST(ValueTextTest, ValueWithoutWhatItNeedsIsRefused) {
    const struct {
        CContactValue value;
        bool bRefused;
    } cases[] = {
        {Value(EValueKind::phone, "home", "", ""), true},
        {Value(EValueKind::phone, "home", "Lake house", " \t"), true},
        {Value(EValueKind::custom, "", "", "text"), true},
        {Value(EValueKind::custom, "", "Locker", ""), true},
        {Value(EValueKind::custom, "", "Locker", "12"), false},
        {Address("home", {"", "", " ", "", ""}), true},
        {Address("home", {"", "", "", "", "", "", "Norway"}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(KindColumnText(c.value)) + " " + c.value.label.GetString() + "/" +
                     c.value.text.GetString());
        const char* pszMessage = MissingPartMessage(c.value);
        EXPECT_EQ(c.bRefused, pszMessage != nullptr);
    }
}

// A picture fits its box with its shape kept, centred, and is never blown up; Choose and Remove
// change only the first photo, where it was.
TEST(ValueTextTest, APhotoFitsItsBoxAndReplacesOnlyTheFirstPhoto) {
    const struct {
        int nWidth, nHeight;
        CRectI expected;
    } cases[] = {
        {200, 100, {0, 25, 100, 75}},  // wide: the box's width
        {100, 400, {37, 0, 62, 100}},  // tall: the box's height
        {1000, 1000, {0, 0, 100, 100}},
        {40, 20, {30, 40, 70, 60}},    // small: as it is
        {10000, 1, {0, 49, 100, 50}},  // a line stays a line
        {0, 100, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const CRectI shown = FitPicture(c.nWidth, c.nHeight, 100, 100);
        EXPECT_EQ(std::vector<int>({c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}),
                  std::vector<int>({shown.left, shown.top, shown.right, shown.bottom}))
            << c.nWidth << " x " << c.nHeight;
    }
    const CContactValue group{EValueKind::group, "", "", "Choir"};
    std::vector<CContactValue> values = {group, {EValueKind::photo, "", "", "a.jpg"}, {EValueKind::photo, "", "", "b.jpg"}};
    SetPhoto(values, "c.png");
    EXPECT_EQ(CString("c.png"), PhotoOf(values));
    EXPECT_EQ(3u, values.size());
    SetPhoto(values, "");
    EXPECT_EQ(CString("b.jpg"), PhotoOf(values));
    values = {group};
    SetPhoto(values, "");
    EXPECT_EQ(1u, values.size());
    SetPhoto(values, "d.jpg");
    EXPECT_EQ(group, values[0]);
    EXPECT_EQ(CString("d.jpg"), PhotoOf(values));
}
