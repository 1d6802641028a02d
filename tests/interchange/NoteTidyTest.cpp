// The lines earlier imports wrote into notes, lifted back into values; every other line stays.
#include "InterchangeTestSupport.h"
#include "interchange/NoteTidy.h"

#include <gtest/gtest.h>

// A note as an import before further values left it (a real 2.1 card's), and notes whose end
// is the user's own.
TEST(NoteTidyTest, OnlyTheLinesImportsWroteAtTheEndBecomeValues) {
    const struct {
        const char* pszNote;
        const char* pszKept;   // the note after
        const char* pszValues; // as DescribeValues gives them
    } cases[] = {
        {"The example from RFC 2045.\\r\\nMiddle name: Hoge\\r\\nName prefix: Pos\\r\\nName suffix: Tao\\r\\n"
         "Department: Sales Dept.;Manager, Fish keeper\\r\\nRole: Fish Cake Keeper!\\r\\nX-CLASS: PUBLIC\\r\\n"
         "Phone (video): 0322222222\\r\\nPhone: 0333333333\\r\\nE-mail: cell@example.com\\r\\n"
         "Birthday: 19800101\\r\\nLocation: 35.6563854,139.6994233\\r\\nREV: 20080424T195243Z\\r\\n"
         "Display name: Joe Due",
         "The example from RFC 2045.\\r\\nREV: 20080424T195243Z\\r\\nDisplay name: Joe Due",
         "middlename: Hoge\nnameprefix: Pos\nnamesuffix: Tao\ndepartment: Sales Dept.;Manager, Fish keeper\n"
         "cardproperty: ROLE:Fish Cake Keeper!\ncardproperty: X-CLASS:PUBLIC\nphone video: 0322222222\n"
         "phone: 0333333333\ndate birthday: 1980-01-01\n"
         "cardproperty: GEO:35.6563854\\,139.6994233"},
        // A field's value that found the field taken; groups; a phone's kinds.
        {"Home phone: 2\\r\\nCategories: Family,Chess club\\r\\nPhone (video, x-nec-boy): 17",
         "", "phone home: 2\ngroup: Family\ngroup: Chess club\nphone video,x-nec-boy: 17"},
        // The user's own last line, or a birthday that is no date, ends the run.
        {"Phone: 1\\r\\nCall after six", "Phone: 1\\r\\nCall after six", ""},
        {"Phone: 1\\r\\nBirthday: soon", "Phone: 1\\r\\nBirthday: soon", ""},
        {"Birthday: soon\\r\\nPhone: 1", "Birthday: soon", "phone: 1"},
        {"Said: &quote;hi&quote;\\r\\nMiddle name: &quote;Q&quote;", "Said: &quote;hi&quote;", "middlename: &quote;Q&quote;"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszNote);
        CContact contact;
        contact.lastname = "Gump";
        contact.homephone = "1";
        contact.note = c.pszNote;
        const CContact before = contact;
        std::vector<CLiftedLine> lifted = TidyNote(contact);
        EXPECT_STREQ(c.pszKept, contact.note.GetString());
        EXPECT_EQ(c.pszValues, DescribeValues(contact));
        EXPECT_EQ(lifted.empty(), std::string(c.pszValues).empty());
        if (lifted.empty()) {
            EXPECT_TRUE(contact.note == before.note && contact.values == before.values);
        }
    }
    // A lifted value whose field is empty fills it (the e-mail address above did, too).
    CContact contact;
    contact.note = "Home phone: 2";
    TidyNote(contact);
    EXPECT_STREQ("2", contact.homephone.GetString());
    EXPECT_TRUE(contact.values.empty());
}
