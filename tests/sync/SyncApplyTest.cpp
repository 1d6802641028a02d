// Where an outcome meets the files: the book and then the state when neither changed since the
// sync read them; only the settled state when the book did, or the sync failed; nothing over a
// state another sync wrote meanwhile.
#include "BookHere.h"
#include "sync/SyncApply.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

TEST(SyncApplyTest, AnOutcomeIsAppliedOnlyOverTheFilesItWasMadeFrom) {
    enum class Writes { book, settled, none };
    const struct {
        const char* pszCase;
        bool bFails;                        // the sync loses its connection at its last write
        std::function<void(const std::string&, const std::string&)> meanwhile; // book, state paths
        Writes writes;
    } cases[] = {
        {"nothing came between", false, [](const std::string&, const std::string&) {}, Writes::book},
        {"another program replaced the book",
         false, [](const std::string& strBook, const std::string&) {
             WriteBytes(strBook, ReadBytes(strBook) + "\n");
         },
         Writes::settled},
        {"another sync wrote the state", false,
         [](const std::string&, const std::string& strState) {
             CSyncState other;
             other.strAccountUrl = "https://elsewhere.test/";
             CFileException error;
             ASSERT_TRUE(WriteSyncState(strState.c_str(), other, error));
         },
         Writes::none},
        {"the sync failed after sending a card", true, [](const std::string&, const std::string&) {}, Writes::settled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CTempFolder folder;
        const std::string strBook = folder.Path("tbk.xml"), strState = SyncStatePath(strBook.c_str());
        CContactBook book(strBook.c_str());
        book.LoadAddressBook();
        CFileException error;
        ASSERT_TRUE(book.Commit(book.AddContact(Person("Anna")), &error));
        CScriptedDav dav;
        dav.PutCard("bert.vcf", NewCard(Person("Bert"), "bert-1"));
        if (c.bFails) {
            CDavRule lost = DavFault::LoseConnection(0, true);
            lost.kind = DavKind::put;
            dav.AddRule(lost);
        }
        CSyncState given;
        ASSERT_TRUE(ReadSyncState(strState.c_str(), given, error));
        CSyncOutcome outcome = Synchronise(book.Contacts(), given, dav, dav.BookUrl(), "anna");
        c.meanwhile(strBook, strState);
        const std::string strStateBefore = FileExists(strState) ? ReadBytes(strState) : "";
        CSyncApplied applied = ApplySyncOutcome(book, outcome, given, strState, true, false);

        CSyncState kept;
        ASSERT_TRUE(ReadSyncState(strState.c_str(), kept, error));
        switch (c.writes) {
        case Writes::book:
            EXPECT_EQ(CSyncApplied::Result::applied, applied.result);
            EXPECT_EQ(2, book.Contacts().GetSize());
            EXPECT_EQ(2u, kept.entries.size());
            EXPECT_FALSE(kept.strSyncToken.empty());
            break;
        case Writes::settled:
            EXPECT_EQ(CSyncApplied::Result::settled, applied.result);
            EXPECT_EQ(1, book.Contacts().GetSize());
            ASSERT_EQ(1u, kept.entries.size()); // the card sent for Anna, not Bert's received
            EXPECT_STREQ("Anna", kept.entries[0].contact.firstname.GetString());
            EXPECT_TRUE(kept.strSyncToken.empty());
            break;
        case Writes::none:
            EXPECT_EQ(CSyncApplied::Result::nothing, applied.result);
            EXPECT_EQ(strStateBefore, ReadBytes(strState));
            break;
        }
    }
}
