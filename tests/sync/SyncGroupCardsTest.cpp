// Group cards read and changed as text: the members they name, and a member's line added or
// taken out with every other byte kept.
#include "sync/SyncGroupCards.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string kChess = "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:g-1\r\nKIND:group\r\nFN:Chess\r\n"
                           "MEMBER:urn:uuid:a-1\r\nMEMBER:mailto:eve@example.org\r\nMEMBER:URN:UUID:B-2\r\n"
                           "X-OTHER;X-P=\"a:b\":kept\r\nEND:VCARD\r\n";
// The older form, in LF lines, with a grouped and a folded member line.
const std::string kChoir = "BEGIN:VCARD\nVERSION:3.0\nUID:g-2\nX-ADDRESSBOOKSERVER-KIND:group\nFN:Choir\\, Ltd\n"
                           "item1.X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:c-3\nX-ADDRESSBOOKSERVER-MEMBER:urn:uu\n"
                           " id:d-4\nEND:VCARD\n";
const std::string kEmptyGroup = "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Nobody\r\nEND:VCARD\r\n";
const std::string kEmptyOlderGroup =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nX-ADDRESSBOOKSERVER-KIND:GROUP\r\nFN:Nobody\r\nEND:VCARD\r\n";
const std::string kPerson = "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:individual\r\nFN:Ann\r\n"
                            "MEMBER:urn:uuid:a-1\r\nEND:VCARD\r\n";

} // namespace

TEST(SyncGroupCardsTest, ReadsTheGroupAndTheMembersNamedByUid) {
    struct {
        const std::string& strCard;
        bool bGroup;
        const char* pszName;
        std::vector<std::string> members;
    } const kCases[] = {
        {kChess, true, "Chess", {"a-1", "B-2"}},
        {kChoir, true, "Choir, Ltd", {"c-3", "d-4"}},
        {kEmptyOlderGroup, true, "Nobody", {}},
        {kPerson, false, "Ann", {"a-1"}},
    };
    for (const auto& test : kCases) {
        EXPECT_EQ(test.bGroup, IsGroupCard(test.strCard)) << test.strCard;
        EXPECT_STREQ(test.pszName, GroupCardName(test.strCard).GetString());
        EXPECT_EQ(test.members, GroupCardMemberUids(test.strCard)) << test.strCard;
    }
    EXPECT_EQ(MemberKey("urn:uuid:B-2"), MemberKey("b-2"));
}

TEST(SyncGroupCardsTest, AddsAndRemovesMemberLinesInTheCardsOwnForm) {
    struct {
        const std::string& strCard;
        std::vector<std::string> add, remove;
        std::string strExpected;
    } const kCases[] = {
        // After the last member line; the mailto: member and the other lines stay.
        {kChess, {"n-5"}, {"A-1"},
         "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:g-1\r\nKIND:group\r\nFN:Chess\r\n"
         "MEMBER:mailto:eve@example.org\r\nMEMBER:URN:UUID:B-2\r\nMEMBER:urn:uuid:n-5\r\n"
         "X-OTHER;X-P=\"a:b\":kept\r\nEND:VCARD\r\n"},
        // A folded line goes whole; a UID in URN form is not prefixed again; LF stays LF.
        {kChoir, {"urn:uuid:e-5"}, {"D-4"},
         "BEGIN:VCARD\nVERSION:3.0\nUID:g-2\nX-ADDRESSBOOKSERVER-KIND:group\nFN:Choir\\, Ltd\n"
         "item1.X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:c-3\nX-ADDRESSBOOKSERVER-MEMBER:urn:uuid:e-5\nEND:VCARD\n"},
        // The last member taken out and one added: the new line stands where it stood.
        {kChoir, {"f-6"}, {"d-4", "c-3"},
         "BEGIN:VCARD\nVERSION:3.0\nUID:g-2\nX-ADDRESSBOOKSERVER-KIND:group\nFN:Choir\\, Ltd\n"
         "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:f-6\nEND:VCARD\n"},
        // No member yet: before END:VCARD, in the form the kind gives, a long UID folded.
        {kEmptyGroup, {"a-1"}, {},
         "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Nobody\r\nMEMBER:urn:uuid:a-1\r\nEND:VCARD\r\n"},
        {kEmptyOlderGroup, {std::string(60, 'x')}, {},
         "BEGIN:VCARD\r\nVERSION:3.0\r\nX-ADDRESSBOOKSERVER-KIND:GROUP\r\nFN:Nobody\r\n"
         "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:" + std::string(39, 'x') + "\r\n " + std::string(21, 'x') +
             "\r\nEND:VCARD\r\n"},
        // A member named already, or one to take out that is not there: nothing to do.
        {kChess, {"b-2", "A-1"}, {"z-9"}, kChess},
    };
    for (const auto& test : kCases) {
        const std::string strChanged = ChangeGroupCardMembers(test.strCard, test.add, test.remove);
        EXPECT_EQ(test.strExpected, strChanged);
        std::vector<std::string> members = GroupCardMemberUids(strChanged);
        for (const std::string& strAdded : test.add) {
            EXPECT_EQ(1, std::count_if(members.begin(), members.end(), [&](const std::string& strUid) {
                          return MemberKey(strUid) == MemberKey(strAdded);
                      })) << strChanged;
        }
    }
}
