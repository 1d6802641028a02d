// What a sync remembers and how it merges a contact changed on both sides.
#include "sync/SyncState.h"
#include "data/ContactMerger.h"
#include "support/TestFiles.h"
#include "sync/ThreeWayMerge.h"

#include <gtest/gtest.h>

namespace {

CContact Contact(const char* pszFirst, const char* pszMobile, const char* pszNote = "") {
    CContact contact;
    contact.lastname = "Meier";
    contact.firstname = pszFirst;
    contact.mobile = pszMobile;
    contact.note = pszNote;
    return contact;
}

} // namespace

// Each field takes the side that changed it; a field both changed keeps the local value and the
// server's becomes a further value, once; notes changed on both sides are joined.
TEST(SyncStateTest, ThreeWayMergeKeepsEveryChangeAndLosesNoValue) {
    const struct {
        CContact base, local, server;
        const char* pszFirst;
        const char* pszMobile;
        const char* pszNote;
        int nConflicts;
    } cases[] = {
        {Contact("Anna", "1"), Contact("Anne", "1"), Contact("Anna", "2"), "Anne", "2", "", 0},
        {Contact("Anna", "1"), Contact("Anna", "1"), Contact("Ann", "1", "new"), "Ann", "1", "new", 0},
        {Contact("Anna", "1"), Contact("Anna", "2"), Contact("Anna", "2"), "Anna", "2", "", 0},
        {Contact("Anna", "1"), Contact("Anna", "2"), Contact("Anna", "3"), "Anna", "2", "", 1},
        // Emptied here, changed there: the server's number, a value of the field's kind, fills it.
        {Contact("Anna", "1"), Contact("Anna", ""), Contact("Anna", "3"), "Anna", "3", "", 1},
        // One number written two ways is neither a change nor a conflict.
        {Contact("Anna", "+1 425 555 0199"), Contact("Anna", "+1 425 555 0100"),
         Contact("Anna", "+14255550199"), "Anna", "+1 425 555 0100", "", 0},
        {Contact("Anna", "1"), Contact("Anna", "+1 425 555 0199"), Contact("Anna", "+14255550199"), "Anna",
         "+1 425 555 0199", "", 0},
        {Contact("Anna", "1", "a"), Contact("Anna", "1", "a\\r\\nb"), Contact("Anna", "1", "a\\r\\nc"),
         "Anna", "1", "a\\r\\nb\\r\\nNote on the server: a\\r\\nc", 1},
        {Contact("Anna", "1", "a"), Contact("Anna", "1", "a b"), Contact("Anna", "1", "b"), "Anna", "1",
         "a b", 1},
    };
    for (const auto& c : cases) {
        CThreeWayResult result = MergeThreeWay(c.base, c.local, c.server);
        SCOPED_TRACE(result.merged.note.GetStdString());
        EXPECT_STREQ(c.pszFirst, result.merged.firstname.GetString());
        EXPECT_STREQ(c.pszMobile, result.merged.mobile.GetString());
        EXPECT_STREQ(c.pszNote, result.merged.note.GetString());
        EXPECT_EQ(c.nConflicts, result.nConflicts);
        // The server's number that lost stays, as a value.
        const bool bLost = std::string(c.pszMobile) != c.server.mobile.GetStdString() && !c.server.mobile.IsEmpty() &&
                           !IsSameValue(CContact::fieldMobile, c.server.mobile, c.pszMobile) &&
                           !IsSameValue(CContact::fieldMobile, c.server.mobile, c.base.mobile);
        EXPECT_EQ(bLost, result.merged.values ==
                             std::vector<CContactValue>{FieldValueOf(CContact::fieldMobile, c.server.mobile)});
    }
}

// Further values merge one by one: each side's additions and removals count, a value changed on
// both sides keeps both new ones, and a card's UID is no value to merge.
TEST(SyncStateTest, ThreeWayMergeTakesEachValueFromTheSideThatChangedIt) {
    typedef EValueKind K;
    const CContactValue a = {K::phone, "mobile", "", "1"}, a2 = {K::phone, "mobile", "", "1 here"},
                        a3 = {K::phone, "mobile", "", "1 there"}, b = {K::date, "birthday", "", "--04-02"},
                        c = {K::group, "", "", "Chess"}, uid = {K::cardProperty, "", "", "UID:x"};
    const struct {
        std::vector<CContactValue> base, local, server, merged;
    } cases[] = {
        {{a}, {a, b}, {a, c}, {a, b, c}},
        {{a, b}, {a, b}, {a}, {a}},
        {{a, b}, {b}, {a, b, c}, {b, c}},
        {{a}, {a2}, {a}, {a2}},
        {{a}, {a2}, {a3}, {a2, a3}},
        {{}, {b}, {b}, {b}},
        {{a}, {a}, {a, uid}, {a}},
    };
    for (const auto& c : cases) {
        CContact base = Contact("Anna", "0"), local = base, server = base;
        base.values = c.base;
        local.values = c.local;
        server.values = c.server;
        CThreeWayResult result = MergeThreeWay(base, local, server);
        EXPECT_TRUE(result.merged.values == c.merged) << result.merged.values.size();
        EXPECT_EQ(0, result.nConflicts);
    }
    // A field emptied here takes the value of its kind added there, as a card would give it.
    CContact base = Contact("Anna", "0"), local = base, server = base;
    local.mobile.Empty();
    server.values = {a};
    CThreeWayResult result = MergeThreeWay(base, local, server);
    EXPECT_EQ("1", result.merged.mobile);
    EXPECT_TRUE(result.merged.values.empty());
}

// Any bytes survive the file; a file cut short or damaged anywhere is refused, never half read.
TEST(SyncStateTest, StateRoundTripsAndRefusesDamage) {
    CSyncState state;
    state.strAccountUrl = "https://dav.example.org/";
    state.strBookUrl = "https://dav.example.org/anna/contacts/";
    state.strUser = "anna";
    state.strSyncToken = "http://radicale.org/ns/sync/1 2\n";
    CSyncEntry entry;
    entry.strHref = "https://dav.example.org/anna/contacts/a b.vcf";
    entry.strEtag = "\"e1\"";
    entry.strUid = "u1";
    entry.strCard = "BEGIN:VCARD\r\nFN:Łukasz\r\nnote 12\n\r\nEND:VCARD\r\n";
    entry.contact = Contact("Łukasz", "0171 5550", "line\\r\\nnext");
    entry.memberOf = {"Chess", "Choir, Ltd\n"};
    CSyncEntry unconfirmed;
    unconfirmed.bUnconfirmed = true;
    state.entries = {entry, unconfirmed};
    state.strCardVersion = "4.0";
    state.nValues = kValuesAll;
    CSyncEntry deleted = entry;
    deleted.strHref += "x";
    deleted.contact = Contact("Bert", "0172");
    state.deleted = {deleted};
    CSyncEntry group;
    group.strHref = entry.strHref + "g";
    group.strCard = "BEGIN:VCARD\r\nKIND:group\r\nFN:Chess\r\nEND:VCARD\r\n";
    state.groupCards = {group};

    const std::string strFile = FormatSyncState(state);
    CSyncState read;
    ASSERT_TRUE(ParseSyncState(strFile, read));
    EXPECT_EQ(FormatSyncState(state), FormatSyncState(read));
    ASSERT_EQ(2u, read.entries.size());
    EXPECT_EQ(entry.strCard, read.entries[0].strCard);
    EXPECT_TRUE(HaveSameContent(entry.contact, read.entries[0].contact));
    ASSERT_EQ(1u, read.deleted.size());
    EXPECT_TRUE(HaveSameContent(deleted.contact, read.deleted[0].contact));
    EXPECT_EQ(entry.memberOf, read.entries[0].memberOf);
    ASSERT_EQ(1u, read.groupCards.size());
    EXPECT_EQ(group.strCard, read.groupCards[0].strCard);
    EXPECT_EQ("4.0", read.strCardVersion);
    EXPECT_EQ(kValuesAll, read.nValues);
    // Where an earlier version reads it as a name of an entry's it does not know.
    EXPECT_LT(strFile.find("\nhref "), strFile.find("\nvalues "));
    EXPECT_FALSE(read.entries[0].bUnconfirmed);
    EXPECT_TRUE(read.entries[1].bUnconfirmed);
    // An earlier version takes every "href" and field record for one of its entries: a deleted
    // card's records must never read as one.
    auto count = [&](const std::string& strRecord) {
        size_t n = 0;
        for (size_t nAt = strFile.find("\n" + strRecord); nAt != std::string::npos;
             nAt = strFile.find("\n" + strRecord, nAt + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(2u, count("href "));
    EXPECT_EQ(2u, count("firstname "));

    for (size_t nCut = 0; nCut < strFile.size(); nCut += 7) {
        EXPECT_FALSE(ParseSyncState(strFile.substr(0, nCut), read)) << nCut;
    }
    std::string strDamaged = strFile;
    strDamaged[strFile.find("card ") + 5] = 'x';
    EXPECT_FALSE(ParseSyncState(strDamaged, read));

    // A damaged file on disk is refused with what to do about it.
    CTempFolder folder;
    const std::string strPath = folder.Path("tbk.xml.sync");
    WriteBytes(strPath, strDamaged);
    CFileException error;
    EXPECT_FALSE(ReadSyncState(strPath.c_str(), read, error));
    std::string strMessage = SyncStateReadError(strPath.c_str(), error);
    EXPECT_NE(std::string::npos, strMessage.find(strPath + " is damaged")) << strMessage;
    EXPECT_NE(std::string::npos, strMessage.find("Delete that file")) << strMessage;
}

// Two writers of one state (the program's sync and tbkutil's) never share a temporary file: one
// that another writer is filling stays as it is.
TEST(SyncStateTest, WritersOfOneStateNeverShareATemporaryFile) {
    CTempFolder folder;
    const std::string strPath = folder.Path("tbk.xml.sync");
    WriteBytes(strPath + ".tmp", "another writer's half");
    CSyncState state;
    state.strAccountUrl = "https://dav.example.org/";
    CFileException error;
    ASSERT_TRUE(WriteSyncState(strPath.c_str(), state, error));
    EXPECT_EQ("another writer's half", ReadBytes(strPath + ".tmp"));
    CSyncState read;
    ASSERT_TRUE(ReadSyncState(strPath.c_str(), read, error));
    EXPECT_EQ(state.strAccountUrl, read.strAccountUrl);
}
