// The server's card kept whole: read into the sixteen fields, patched only where they changed.
#include "sync/SyncCard.h"
#include "sync/ThreeWayMerge.h"

#include "interchange/VCardReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>

namespace {

typedef CContact C;

// A photo folded as servers fold it.
std::string FoldedPhoto() {
    std::string strLine = "PHOTO;ENCODING=b;TYPE=JPEG:" + std::string(300, 'Q');
    std::string strFolded = strLine.substr(0, 75);
    for (size_t i = 75; i < strLine.size(); i += 74) {
        strFolded += "\r\n " + strLine.substr(i, 74);
    }
    return strFolded + "\r\n";
}

// What other clients leave in a card: a photo folded over lines, a birthday, categories, a second
// home phone, an X- property with a parameter, a grouped e-mail address with its label, a revision.
const std::string kRichCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Other//EN\r\nUID:abc-1\r\n"
    "N:Doe;John;Quincy;Dr.;Jr.\r\nFN:Dr. John Quincy Doe Jr.\r\nORG:Acme;Sales\r\n"
    "TEL;TYPE=HOME,VOICE:0171 1\r\nTEL;TYPE=CELL:0171 2\r\nTEL;TYPE=HOME:0171 3\r\n"
    "item1.EMAIL;type=INTERNET;type=pref:j@doe.example\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n"
    "ADR;TYPE=WORK:;;1 Road;Town;;12345;\r\n" +
    FoldedPhoto() +
    "BDAY:1970-01-02\r\nCATEGORIES:Friends,Work\r\nX-SOMETHING;X-P=\"a;b\":x\\, y\r\n"
    "NOTE:one\\ntwo\r\nREV:2020-01-01T00:00:00Z\r\nEND:VCARD\r\n";

// The dialects a server may hold: 4.0 with tel: links, 2.1 in quoted-printable and another
// character set, a formatted name without N in LF lines, names in other scripts, a card cut short.
const std::string kCards[] = {
    kRichCard,
    "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:1\r\nFN:Ann Lee\r\nN:Lee;Ann;;;\r\n"
    "TEL;VALUE=uri;TYPE=cell:tel:+44-20-1\r\nEMAIL;TYPE=work:a@lee.example\r\nKIND:individual\r\n"
    "END:VCARD\r\n",
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
    "TEL;HOME:123\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A=\r\nb\r\nX-IRMC-LUID:0002\r\nEND:VCARD\r\n",
    "BEGIN:VCARD\nVERSION:3.0\nFN:Cher Sarkisian\nTITLE:Singer\nEND:VCARD\n",
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:\xC5\xBB\xC3\xB3\xC5\x82\xC4\x87;\xC5\x81ukasz;;;\r\n"
    "FN:\xC5\x81ukasz "
    "\xC5\xBB\xC3\xB3\xC5\x82\xC4\x87\r\nNOTE:\xE9\x99\xB3\xE5\xA4\xA7\xE6\x96\x87\r\nEND:VCARD\r\n",
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Short;Cut;;;\r\nEMAIL:cut@example",
};

std::string Repeat(const char* psz, int n) {
    std::string str;
    while (n-- > 0) {
        str += psz;
    }
    return str;
}

// Local edits: every field new with text awkward to carry, every field emptied, and one at a time.
const std::function<void(CContact&)> kEdits[] = {
    [](CContact& c) {
        const std::string strLong = Repeat("\xE9\x99\xB3\xE5\xA4\xA7\xE6\x96\x87 ", 12);
        for (int f = 0; f < C::kFieldCount; ++f) {
            bool bLines = C::IsMultiLineField(f);
            c.FieldAt(f) = CString(std::string(C::FieldTag(f)) + " a;b,c\\d &quote;q&quote; " + strLong +
                                   (bLines ? "\\r\\nnext line" : ""));
        }
    },
    [](CContact& c) {
        for (int f = 0; f < C::kFieldCount; ++f) {
            c.FieldAt(f) = "";
        }
    },
    [](CContact& c) { c.firstname = "\xE5\xA4\xA7\xE6\x96\x87"; },
    [](CContact& c) { c.lastname = ""; },
    [](CContact& c) { c.company = ""; },
    [](CContact& c) { c.homephone = "tel:99"; },
    [](CContact& c) { c.mobile = ""; },
    [](CContact& c) { c.officeaddress = "2 Street\\r\\nCity"; },
    [](CContact& c) { c.officeemail = "new@example"; },
    [](CContact& c) { c.note = c.note + "\\r\\nmore"; },
};

void ExpectSameFields(const CContact& expected, const CContact& actual) {
    for (int f = 0; f < C::kFieldCount; ++f) {
        EXPECT_EQ(expected.FieldAt(f), actual.FieldAt(f)) << C::FieldTag(f);
    }
}

// Every physical line within 75 octets, a folded one never starting inside a UTF-8 sequence.
void ExpectFolded(const std::string& strCard) {
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = strCard.find("\r\n", nStart)) != std::string::npos; nStart = nEnd + 2) {
        EXPECT_LE(nEnd - nStart, 75u) << strCard.substr(nStart, nEnd - nStart);
        if (nEnd + 3 < strCard.size() && strCard[nEnd + 2] == ' ') {
            EXPECT_NE(0x80, static_cast<unsigned char>(strCard[nEnd + 3]) & 0xC0);
        }
    }
}

} // namespace

TEST(SyncCardTest, UnchangedContactLeavesTheCardByteForByte) {
    for (const std::string& strCard : kCards) {
        EXPECT_EQ(strCard, PatchCard(strCard, ContactFromCard(strCard)));
    }
}

TEST(SyncCardTest, PatchedCardReadsBackAsTheContact) {
    for (size_t n = 0; n < std::size(kCards); ++n) {
        for (size_t e = 0; e < std::size(kEdits); ++e) {
            SCOPED_TRACE("card " + std::to_string(n) + ", edit " + std::to_string(e));
            const CContact original = ContactFromCard(kCards[n]);
            CContact contact = original;
            kEdits[e](contact);
            std::string strPatched = PatchCard(kCards[n], contact);
            // As a card holds it: an emptied field takes the next value of its kind.
            CContact expected = contact;
            DropOutdatedAddressParts(original, expected);
            MoveValuesToEmptyFields(expected);
            ExpectSameFields(expected, ContactFromCard(strPatched));
            EXPECT_TRUE(HaveSameContent(expected, ContactFromCard(strPatched)));
            EXPECT_EQ(strPatched, PatchCard(strPatched, expected)) << "a second patch changes nothing";
            if (n == 0) {
                ExpectFolded(strPatched);
            }
        }
    }
}

// What a card shows is what an import of it shows, without the note lines of what has no field.
TEST(SyncCardTest, FieldsAgreeWithAnImportAndTheNoteIsTheCardsOwn) {
    const char* const notes[] = {
        "one\\r\\ntwo", "", "a\\r\\nb", "", "\xE9\x99\xB3\xE5\xA4\xA7\xE6\x96\x87", ""};
    for (size_t n = 0; n < std::size(kCards); ++n) {
        CContactArray imported;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadVCards(kCards[n], "in.vcf", imported, report, strError));
        CContact contact = ContactFromCard(kCards[n]);
        for (int f = 0; f < C::fieldNote; ++f) {
            EXPECT_EQ(imported[0].FieldAt(f), contact.FieldAt(f)) << n << " " << C::FieldTag(f);
        }
        EXPECT_EQ(notes[n], contact.note) << n;
    }
    CContact rich = ContactFromCard(kRichCard);
    EXPECT_EQ("0171 1", rich.homephone) << "the first of two home phones fills the field";
    EXPECT_EQ("1 Road\\r\\nTown, 12345", rich.officeaddress);
}

// A local edit of name, phone and note leaves every other line as it was, the formatted name
// follows the name in the form it had, and the revision is brought up to date.
TEST(SyncCardTest, LocalEditKeepsWhatHasNoField) {
    CContact contact = ContactFromCard(kRichCard);
    contact.firstname = "Jim";
    contact.homephone = "0171 9";
    contact.note = "three";
    std::string strPatched = PatchCard(kRichCard, contact);
    std::string strExpected = kRichCard;
    for (const auto& change : {std::make_pair("N:Doe;John;", "N:Doe;Jim;"),
                               {"FN:Dr. John", "FN:Dr. Jim"},
                               {"VOICE:0171 1", "VOICE:0171 9"},
                               {"NOTE:one\\ntwo", "NOTE:three"}}) {
        strExpected.replace(strExpected.find(change.first), std::string(change.first).size(), change.second);
    }
    size_t nRev = strExpected.find("REV:");
    size_t nPatchedRev = strPatched.find("REV:");
    ASSERT_EQ(nRev, nPatchedRev);
    EXPECT_EQ(strExpected.substr(0, nRev), strPatched.substr(0, nRev));
    std::string strRev = strPatched.substr(nRev, strPatched.find("\r\n", nRev) - nRev);
    EXPECT_EQ(20u, strRev.size()) << strRev; // "REV:20240131T235959Z"
    EXPECT_NE("REV:2020", strRev.substr(0, 8));
    EXPECT_EQ(strExpected.substr(strExpected.find("\r\n", nRev)), strPatched.substr(nRev + strRev.size()));
}

// Emptying a field takes out its value alone: its line, or its component of N or ORG; a
// further value of its kind becomes the field's.
TEST(SyncCardTest, EmptiedFieldRemovesOnlyItsValue) {
    const std::string strCard =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;John;Q;;\r\nFN:John Doe\r\nORG:Acme;Sales\r\n"
        "TEL;TYPE=CELL:1\r\nTEL;TYPE=PAGER:2\r\nEMAIL:a@b\r\nEMAIL;TYPE=HOME:c@d\r\n"
        "ADR;TYPE=HOME:;;1 Road;Town;;;\r\nLABEL;TYPE=HOME:1 Road\\nTown\r\nEND:VCARD\r\n";
    const struct {
        int nField;
        const char* pszFrom;
        const char* pszTo;
    } cases[] = {
        {C::fieldMobile, "TEL;TYPE=CELL:1\r\n", ""},
        {C::fieldCompany, "ORG:Acme;Sales", "ORG:;Sales"},
        {C::fieldFirstName, "N:Doe;John;Q;;\r\nFN:John Doe", "N:Doe;;Q;;\r\nFN:Doe"},
        {C::fieldHomeEMail, "EMAIL:a@b\r\nEMAIL;TYPE=HOME:c@d\r\n", "EMAIL:c@d\r\n"}, // the second takes its place
        {C::fieldHomeAddress, "ADR;TYPE=HOME:;;1 Road;Town;;;\r\nLABEL;TYPE=HOME:1 Road\\nTown\r\n", ""},
    };
    for (const auto& c : cases) {
        CContact contact = ContactFromCard(strCard);
        contact.FieldAt(c.nField) = "";
        std::string strExpected = strCard;
        strExpected.replace(strExpected.find(c.pszFrom), std::string(c.pszFrom).size(), c.pszTo);
        EXPECT_EQ(strExpected, PatchCard(strCard, contact)) << C::FieldTag(c.nField);
    }
}

// A changed line of a 2.1 card is rewritten in the card's own dialect; the others stay.
TEST(SyncCardTest, QuotedPrintableCardKeepsItsOtherLines) {
    CContact contact = ContactFromCard(kCards[2]);
    EXPECT_EQ("M\xC3\xBCller", contact.lastname);
    contact.homephone = "456";
    contact.firstname = "\xC5\x81ukasz";
    EXPECT_EQ(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:M=C3=BCller;=C5=81ukasz\r\n"
        "TEL;HOME:456\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A=\r\nb\r\nX-IRMC-LUID:0002\r\n"
        "FN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=C5=81ukasz M=C3=BCller\r\nEND:VCARD\r\n",
        PatchCard(kCards[2], contact));
}

TEST(SyncCardTest, NewCardIsFoldedThreeZeroWithUidAndReadsBack) {
    CContact contact;
    contact.lastname = "\xE9\x99\xB3";
    contact.firstname = "\xE5\xA4\xA7\xE6\x96\x87";
    contact.note = CString(Repeat("\xC5\x81ukasz \xC5\xBB\xC3\xB3\xC5\x82\xC4\x87 ", 9) + "\\r\\n&quote;");
    std::string strCard = NewCard(contact, "u-1");
    EXPECT_EQ(0u, strCard.find("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u-1\r\nN:\xE9\x99\xB3;"));
    EXPECT_NE(std::string::npos,
              strCard.find("\r\nFN:\xE9\x99\xB3\xE5\xA4\xA7\xE6\x96\x87\r\n")); // family name first
    ExpectFolded(strCard);
    EXPECT_EQ("u-1", CardUid(strCard));
    ExpectSameFields(contact, ContactFromCard(strCard));
}

TEST(SyncCardTest, UidIsReadFromAnyVersionAndMadeRandom) {
    EXPECT_EQ("urn:uuid:1", CardUid(kCards[1]));
    EXPECT_EQ("abc-1", CardUid(kRichCard));
    EXPECT_EQ("", CardUid(kCards[3]));
    std::string strUid = MakeCardUid();
    ASSERT_EQ(36u, strUid.size());
    EXPECT_EQ(std::string::npos, strUid.find_first_not_of("0123456789abcdef-"));
    EXPECT_EQ('4', strUid[14]);
    EXPECT_NE(strUid, MakeCardUid());
}

// Text that holds no card reads as an empty contact and is replaced by a new card.
TEST(SyncCardTest, TextThatIsNoCardGivesAnEmptyContactAndANewCard) {
    CContact contact;
    contact.lastname = "Doe";
    for (const std::string& strText :
         {std::string(), std::string("garbage\r\n:\r\n;;\x01\xFF"),
          std::string("END:VCARD\r\nN:Doe;Jane\r\n", 20), std::string(3, '\0')}) {
        EXPECT_TRUE(ContactFromCard(strText).IsEmpty() && ContactFromCard(strText).note.IsEmpty());
        std::string strCard = PatchCard(strText, contact);
        EXPECT_EQ(0u, strCard.find("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:"));
        EXPECT_EQ(36u, CardUid(strCard).size());
        ExpectSameFields(contact, ContactFromCard(strCard));
    }
}

// A card cut off by a lost connection, or with a photo a server's conversion cut to its media
// type, is told apart from a whole one, so that it is never merged and written back.
TEST(SyncCardTest, TellsCardsCutShort) {
    const std::string strWhole = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna\r\nPHOTO:data:image/jpeg;base64,/9j/4AAQ\r\n"
                                 "END:VCARD\r\n";
    struct {
        std::string strCard;
        bool bWhole, bCutValue;
    } cases[] = {
        {strWhole, true, false},
        {strWhole.substr(0, strWhole.size() - 2), true, false},   // the last line break missing
        {strWhole.substr(0, strWhole.find("END:")), false, false}, // no END:VCARD
        {strWhole.substr(0, strWhole.find("END:") + 3), false, false},
        {"BEGIN:VCARD\r\nBEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\n", false, false}, // a nested card ended, not its own
        {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\r\nPHOTO;VALUE=uri:data:image/jpeg\r\nEND:VCARD\r\n", true, true},
        {"BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna\r\nLOGO:DATA:image/png;base64, \r\nEND:VCARD\r\n", true, true},
        {"BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna\r\nPHOTO:https://example.org/a.jpg\r\nEND:VCARD\r\n", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.bWhole, IsWholeCard(c.strCard)) << c.strCard;
        EXPECT_EQ(c.bCutValue, HasCutDataUri(c.strCard)) << c.strCard;
    }
}

// Odd cards that servers hand on from old phones and other clients: an edit written into them
// must read back as the edit, or it would be sent again at every sync and the value lost there.
TEST(SyncCardTest, EditsOfOddCardsReadBackAsTheEdit) {
    const char* cards[] = {
        // A last line ending in a quoted-printable soft break would swallow a line added after it.
        ("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo\r\nTITLE;ENCODING=QUOTED-PRINTABLE:Head of=0D=0Asales=\r\n"
         "END:VCARD\r\n"),
        // A line before VERSION is read by the rules of 2.1, which keep a folded line's blank.
        "BEGIN:VCARD\r\nNOTE:old\r\nVERSION:3.0\r\nN:Doe;Jo\r\nEND:VCARD\r\n",
        // A second VERSION that disagrees with the first.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jo\r\nNOTE:old\r\nVERSION:3.0\r\nEND:VCARD\r\n",
        // A parameter whose quote never closes.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jo\r\nNOTE;X-A=\"1:old\r\nEND:VCARD\r\n",
        // A line that is no property, ending in soft breaks, and one whose soft break meets bare CRs.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jo\r\nNOTE;ENCODING=QUOTED-PRINTABLE a=0Db==\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jo\r\nNOTE;ENCODING=QUOTED-PRINTABLE a=0Ab=\r\rEND:VCARD\r\n",
    };
    for (const char* pszCard : cards) {
        CContact contact = ContactFromCard(pszCard);
        contact.company = "Acme";
        contact.note = "A note long enough to be folded, with marks; commas, and \\r\\na second line of text";
        std::string strPatched = PatchCard(pszCard, contact);
        SCOPED_TRACE(strPatched);
        ExpectSameFields(contact, ContactFromCard(strPatched));
    }
}
