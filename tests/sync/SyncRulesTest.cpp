// The rules of two-way synchronisation against a CardDAV server scripted in memory: what the
// first sync links, how changes on each side meet, and that a sync stopped after any request is
// finished by the next. The same rules run against real servers in SyncEngineTest.
#include "BookHere.h"

#include "sync/ThreeWayMerge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

const char kAnnaCard[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna-1\r\nN:Meier;Anna;;;\r\nFN:Anna Meier\r\n"
                         "TEL;TYPE=CELL:+49 171 5550100\r\nBDAY:1980-04-02\r\nX-KEPT:kept\r\nEND:VCARD\r\n";

} // namespace

// However the server is found and however it answers, the first sync links the person both
// sides hold, merges them without losing a value, keeps what the book cannot show on the
// server, and the next one has nothing to do.
TEST(SyncRulesTest, FirstSyncLinksTheSamePersonOnEveryKindOfServer) {
    struct Case {
        const char* pszName;
        std::function<std::string(CScriptedDav&)> setUp; // the address the user gives
    } cases[] = {
        {"address book", [](CScriptedDav& dav) { return dav.BookUrl(); }},
        {"principal", [](CScriptedDav& dav) { return dav.PrincipalUrl(); }},
        {"server, well-known redirect", [](CScriptedDav& dav) { return dav.Origin() + "/"; }},
        {"server, well-known multistatus",
         [](CScriptedDav& dav) {
             dav.SetWellKnownRedirects(false);
             return dav.Origin();
         }},
        {"an old address that the server redirects",
         [](CScriptedDav& dav) {
             CDavRule moved = DavFault::Redirect(DavKind::propfind, 301, dav.BookUrl());
             moved.strUrlPart = "/old/";
             dav.AddRule(moved);
             return dav.Origin() + "/old/";
         }},
        {"PUT answered without ETag",
         [](CScriptedDav& dav) {
             dav.SetPutWithoutEtag(true);
             return dav.BookUrl();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CScriptedDav dav;
        const std::string strUrl = c.setUp(dav);
        dav.PutCard("anna.vcf", kAnnaCard);
        dav.PutCard("carl.vcf", NewCard(Person("Carl", "", "carl@example.org"), "carl-1"));
        CBookHere book;
        book.contacts.Add(Person("Anna", "0171 5550100", "anna@example.org"));
        book.contacts.Add(Person("Łukasz", "", "l@example.org"));

        CSyncOutcome first = book.Sync(dav, strUrl);
        ASSERT_TRUE(first.bOk) << first.strError;
        EXPECT_EQ(1, first.summary.nMerged);
        ASSERT_EQ(3, book.contacts.GetSize());
        ASSERT_TRUE(book.Find("Anna"));
        EXPECT_EQ("anna@example.org", book.Find("Anna")->homeemail);
        const std::vector<CContactValue>& values = book.Find("Anna")->values;
        EXPECT_NE(values.end(), std::find(values.begin(), values.end(),
                                          FieldValueOf(CContact::fieldMobile, "0171 5550100")));
        ExpectSidesAgree(book, dav);
        const std::string strAnna = dav.Card(dav.BookUrl() + "anna.vcf");
        for (const char* pszKept : {"UID:anna-1", "BDAY:1980-04-02", "X-KEPT:kept", "anna@example.org"}) {
            EXPECT_NE(std::string::npos, strAnna.find(pszKept)) << pszKept << "\n" << strAnna;
        }
        EXPECT_EQ(dav.BookUrl(), book.state.strBookUrl);

        CSyncOutcome second = book.Sync(dav, strUrl);
        EXPECT_TRUE(DidNothing(second)) << second.strError;
    }
}

// Changes on each side meet: a field changed on both keeps the local value with the server's in
// the note, and a contact deleted on one side and changed on the other is kept.
TEST(SyncRulesTest, ChangesOnEachSideMeet) {
    using CHere = std::function<void(CBookHere&)>;
    using CThere = std::function<void(CScriptedDav&, const std::string&)>;
    auto nothingHere = [](CBookHere&) {};
    auto nothingThere = [](CScriptedDav&, const std::string&) {};
    auto setHere = [](const char* pszMobile, const char* pszCompany) {
        return [=](CBookHere& book) {
            book.Find("Anna")->mobile = pszMobile;
            book.Find("Anna")->company = pszCompany;
        };
    };
    auto setThere = [](const char* pszMobile, const char* pszJob) {
        return [=](CScriptedDav& dav, const std::string& strUrl) {
            CContact anna = ContactFromCard(dav.Card(strUrl));
            anna.mobile = pszMobile;
            anna.jobtitle = pszJob;
            dav.ReplaceCard(strUrl, PatchCard(dav.Card(strUrl), anna));
        };
    };
    auto deleteHere = [](CBookHere& book) { book.contacts.RemoveAt(book.Index("Anna")); };
    auto deleteThere = [](CScriptedDav& dav, const std::string& strUrl) { dav.DeleteCard(strUrl); };
    struct Case {
        const char* pszName;
        CHere here;
        CThere there;
        bool bKept;
        const char* pszMobile;
        const char* pszCompany;
        const char* pszJob;
        const char* pszLostMobile; // the server's number that lost to the local one, kept as a value
    } cases[] = {
        {"changed here", setHere("0171 1", "Acme"), nothingThere, true, "0171 1", "Acme", "", ""},
        {"changed there", nothingHere, setThere("0171 2", "Boss"), true, "0171 2", "", "Boss", ""},
        {"other fields on each side", setHere("0171 5550100", "Acme"), setThere("0171 5550100", "Boss"), true,
         "0171 5550100", "Acme", "Boss", ""},
        {"one field on both sides", setHere("0171 1", ""), setThere("0171 2", ""), true, "0171 1", "", "",
         "0171 2"},
        {"deleted here, changed there", deleteHere, setThere("0171 2", ""), true, "0171 2", "", "", ""},
        {"changed here, deleted there", setHere("0171 1", "Acme"), deleteThere, true, "0171 1", "Acme", "",
         ""},
        {"deleted here", deleteHere, nothingThere, false, "", "", "", ""},
        {"deleted there", nothingHere, deleteThere, false, "", "", "", ""},
        {"deleted on both sides", deleteHere, deleteThere, false, "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CScriptedDav dav;
        dav.PutCard("anna.vcf", kAnnaCard);
        CBookHere book;
        book.contacts.Add(Person("Bob", "0171 3"));
        ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
        const std::string strAnna = dav.BookUrl() + "anna.vcf";
        c.here(book);
        c.there(dav, strAnna);

        CSyncOutcome outcome = book.Sync(dav, dav.BookUrl());
        ASSERT_TRUE(outcome.bOk) << outcome.strError;
        ExpectSidesAgree(book, dav);
        EXPECT_TRUE(book.Find("Bob"));
        const CContact* pAnna = book.Find("Anna");
        ASSERT_EQ(c.bKept, pAnna != nullptr);
        if (c.bKept) {
            EXPECT_EQ(c.pszMobile, pAnna->mobile);
            EXPECT_EQ(c.pszCompany, pAnna->company);
            EXPECT_EQ(c.pszJob, pAnna->jobtitle);
            EXPECT_TRUE(pAnna->note.IsEmpty());
            const CContactValue lost = FieldValueOf(CContact::fieldMobile, c.pszLostMobile);
            EXPECT_EQ(*c.pszLostMobile != '\0',
                      std::find(pAnna->values.begin(), pAnna->values.end(), lost) != pAnna->values.end());
            // The card it was, with what the book does not show.
            EXPECT_NE(std::string::npos, dav.Card(CardUrlOf(dav, "Anna")).find("X-KEPT:kept"));
            EXPECT_EQ("anna-1", CardUid(dav.Card(CardUrlOf(dav, "Anna"))));
        }
        EXPECT_TRUE(DidNothing(book.Sync(dav, dav.BookUrl())));
    }
}

// A sync that stops at any request, before the server carried it out or after (the answer
// lost), leaves both sides so that the next sync ends where one sync without a stop would have:
// nothing doubled, nothing lost.
TEST(SyncRulesTest, ASyncStoppedAtAnyRequestIsFinishedByTheNext) {
    // Both sides after one sync, then a change of every kind on each side.
    auto setUp = [](CScriptedDav& dav, CBookHere& book) {
        for (const char* pszFirst : {"Anna", "Bob", "Carl", "Dora", "Eve"}) {
            book.contacts.Add(Person(pszFirst, "", (std::string(pszFirst) + "@x.org").c_str()));
        }
        dav.PutCard("gus.vcf", NewCard(Person("Gus", "0171 7"), "gus-1"));
        ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
        book.Find("Anna")->mobile = "0171 1";
        book.Find("Bob")->company = "Acme";
        book.contacts.RemoveAt(book.Index("Carl"));
        book.contacts.Add(Person("Fay", "0171 6"));
        for (const char* pszFirst : {"Anna", "Eve"}) {
            const std::string strUrl = CardUrlOf(dav, pszFirst);
            CContact contact = ContactFromCard(dav.Card(strUrl));
            contact.mobile = "0171 2";
            dav.ReplaceCard(strUrl, PatchCard(dav.Card(strUrl), contact));
        }
        dav.DeleteCard(CardUrlOf(dav, "Dora"));
        dav.DeleteCard(CardUrlOf(dav, "Gus"));
        dav.PutCard("hal.vcf", NewCard(Person("Hal", "0171 8"), "hal-1"));
    };
    auto contents = [](const CContactArray& contacts) {
        std::vector<std::string> fields;
        for (int i = 0; i < contacts.GetSize(); ++i) {
            std::string strFields;
            for (int f = 0; f < CContact::kFieldCount; ++f) {
                strFields += contacts[i].FieldAt(f).GetStdString() + "|";
            }
            fields.push_back(strFields);
        }
        std::sort(fields.begin(), fields.end());
        return fields;
    };
    CScriptedDav reference;
    CBookHere expected;
    setUp(reference, expected);
    const size_t nStart = reference.RequestCount();
    ASSERT_TRUE(expected.Sync(reference, reference.BookUrl()).bOk);
    const int nRequests = static_cast<int>(reference.RequestCount() - nStart);
    ASSERT_GE(nRequests, 7); // listing, fetch, four writes, the token after them

    for (bool bAfterServing : {false, true}) {
        for (int nAt = 0; nAt < nRequests; ++nAt) {
            SCOPED_TRACE((bAfterServing ? "answer lost at request " : "connection lost before request ") +
                         std::to_string(nAt));
            CScriptedDav dav;
            CBookHere book;
            setUp(dav, book);
            dav.AddRule(DavFault::LoseConnection(nAt, bAfterServing));
            // Only the last request, which asks for a newer token, may fail without failing
            // the sync: the next one then compares every card.
            CSyncOutcome broken = book.Sync(dav, dav.BookUrl());
            EXPECT_EQ(nAt == nRequests - 1, broken.bOk) << broken.strError;
            EXPECT_TRUE(broken.bOk || broken.strError.find("cannot be reached") != std::string::npos)
                << broken.strError;
            dav.ClearRules();
            CSyncOutcome finished = book.Sync(dav, dav.BookUrl());
            ASSERT_TRUE(finished.bOk) << finished.strError;
            ExpectSidesAgree(book, dav);
            EXPECT_EQ(contents(expected.contacts), contents(book.contacts));
        }
    }
}

// A server that no longer takes the sync token, whether it says so properly (403 with
// DAV:valid-sync-token) or as any other refusal, has every card compared instead; a large answer
// is read like a small one.
TEST(SyncRulesTest, AChangeThereArrivesHoweverTheServerAnswers) {
    struct Case {
        const char* pszName;
        std::function<void(CScriptedDav&)> fault;
        bool bListsEverything;
    } cases[] = {
        {"the token forgotten", [](CScriptedDav& dav) { dav.ForgetChanges(); }, true},
        {"the report refused with 500",
         [](CScriptedDav& dav) { dav.AddRule(DavFault::Status(DavKind::syncCollection, 500)); }, true},
        {"a multiget answer of a megabyte",
         [](CScriptedDav& dav) { dav.AddRule(DavFault::AnswerOfSize(DavKind::multiget, 1 << 20)); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CScriptedDav dav;
        dav.PutCard("anna.vcf", kAnnaCard);
        CBookHere book;
        ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
        CContact anna = ContactFromCard(dav.Card(dav.BookUrl() + "anna.vcf"));
        anna.jobtitle = "Boss";
        dav.ReplaceCard(dav.BookUrl() + "anna.vcf", PatchCard(dav.Card(dav.BookUrl() + "anna.vcf"), anna));
        c.fault(dav);
        const size_t nStart = dav.RequestCount();

        CSyncOutcome outcome = book.Sync(dav, dav.BookUrl());
        ASSERT_TRUE(outcome.bOk) << outcome.strError;
        ASSERT_TRUE(book.Find("Anna"));
        EXPECT_EQ("Boss", book.Find("Anna")->jobtitle);
        auto listing =
            std::find_if(dav.Log().begin() + static_cast<long>(nStart), dav.Log().end(),
                         [](const CDavExchange& exchange) { return exchange.kind == DavKind::listing; });
        EXPECT_EQ(c.bListsEverything, listing != dav.Log().end());
        EXPECT_TRUE(DidNothing(book.Sync(dav, dav.BookUrl())));
    }
}
