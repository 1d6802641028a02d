// What a sync must survive: a server that answers wrongly or in part, another client writing
// between two requests, and a sync stopped before its outcome was saved. Each case is the
// shortest history found that shows its fault; after it, syncs without faults must leave both
// sides holding every contact once, with the same fields and nothing lost.
#include "BookHere.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const char kAnnaCard[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna-1\r\nN:Meier;Anna;;;\r\nFN:Anna Meier\r\n"
                         "TEL;TYPE=CELL:+49 171 5550100\r\nBDAY:1980-04-02\r\nX-KEPT:kept\r\nEND:VCARD\r\n";
const char kAnna4Card[] =
    "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:anna-1\r\nN:Meier;Anna;;;\r\nFN:Anna Meier\r\n"
    "PHOTO:data:image/jpeg;base64,/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAMCAgICAgMCAgIDAwMDBA\r\n"
    "END:VCARD\r\n";

// The second client changes fields of a contact's card.
void ChangeThere(CScriptedDav& dav, const char* pszFirst, std::function<void(CContact&)> change) {
    const std::string strUrl = CardUrlOf(dav, pszFirst);
    CContact contact = ContactFromCard(dav.Card(strUrl));
    change(contact);
    dav.ReplaceCard(strUrl, PatchCard(dav.Card(strUrl), contact));
}

// Every PUT from the first on carried out, its answer lost.
CDavRule AnswersToWritesLost() {
    CDavRule rule = DavFault::LoseConnection(0, true);
    rule.kind = DavKind::put;
    return rule;
}

} // namespace

TEST(SyncFaultTest, ASyncSurvivesWhatServersAndStopsDo) {
    using CSides = std::function<void(CScriptedDav&, CBookHere&)>;
    auto nothing = [](CScriptedDav&, CBookHere&) {};
    struct Case {
        const char* pszName;
        CSides arrange; // both sides before the faulty sync (synchronised by it where it says)
        CSides fault;   // the rules of the faulty sync
        bool bKilled;   // its outcome never saved here
        CSides after;   // changes after it, before the syncs without faults
        CSides check;
    } cases[] = {
        {"a write refused twice, each time for a change meanwhile: the merge base stays the last agreed",
         [](CScriptedDav& dav, CBookHere& book) {
             dav.PutCard("anna.vcf", kAnnaCard);
             ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
             book.Find("Anna")->mobile = "0171 1";
             ChangeThere(dav, "Anna", [](CContact& c) { c.jobtitle = "Boss"; });
         },
         [](CScriptedDav& dav, CBookHere&) {
             CDavRule rule = DavFault::Before(DavKind::put, [&dav](const CHttpRequest&) {
                 ChangeThere(dav, "Anna", [](CContact& c) { c.company = c.company == "C1" ? "C2" : "C1"; });
             });
             rule.nTimes = 2;
             dav.AddRule(rule);
         },
         false, nothing,
         [](CScriptedDav&, CBookHere& book) {
             ASSERT_TRUE(book.Find("Anna"));
             EXPECT_EQ("0171 1", book.Find("Anna")->mobile);
             EXPECT_EQ("Boss", book.Find("Anna")->jobtitle);
             EXPECT_EQ("C2", book.Find("Anna")->company);
         }},
        {"a listing that leaves out a card the book knows: the contact is not deleted here",
         [](CScriptedDav& dav, CBookHere& book) {
             dav.PutCard("anna.vcf", kAnnaCard);
             dav.PutCard("bob.vcf", NewCard(Person("Bob"), "bob-1"));
             ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
             dav.ForgetChanges(); // the next sync lists every card
         },
         [](CScriptedDav& dav, CBookHere&) {
             dav.AddRule(DavFault::LeaveOut(DavKind::listing, [](const std::string& strHref) {
                 return strHref.find("bob") != std::string::npos;
             }));
         },
         false, nothing,
         [](CScriptedDav& dav, CBookHere& book) {
             EXPECT_TRUE(book.Find("Bob"));
             EXPECT_FALSE(CardUrlOf(dav, "Bob").empty());
         }},
        {"a multiget that leaves out a card: the token does not move past it",
         [](CScriptedDav& dav, CBookHere& book) {
             dav.PutCard("anna.vcf", kAnnaCard);
             ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
             ChangeThere(dav, "Anna", [](CContact& c) { c.jobtitle = "Boss"; });
             dav.PutCard("carl.vcf", NewCard(Person("Carl"), "carl-1"));
         },
         [](CScriptedDav& dav, CBookHere&) { dav.AddRule(DavFault::OmitFromMultiget(1)); }, false, nothing,
         [](CScriptedDav&, CBookHere& book) {
             EXPECT_TRUE(book.Find("Carl"));
             EXPECT_TRUE(book.Find("Anna") && book.Find("Anna")->jobtitle == "Boss");
         }},
        {"a sync-collection answer cut short (507): the rest comes next",
         [](CScriptedDav& dav, CBookHere& book) {
             dav.PutCard("anna.vcf", kAnnaCard);
             ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
             for (const char* pszFirst : {"Carl", "Dora", "Eve"}) {
                 dav.PutCard(std::string(pszFirst) + ".vcf", NewCard(Person(pszFirst), pszFirst));
             }
         },
         [](CScriptedDav& dav, CBookHere&) {
             dav.AddRule(DavFault::TruncatedListing(DavKind::syncCollection, 1));
         },
         false, nothing,
         [](CScriptedDav& dav, CBookHere& book) {
             for (const char* pszFirst : {"Anna", "Carl", "Dora", "Eve"}) {
                 EXPECT_TRUE(book.Find(pszFirst)) << pszFirst;
             }
             // The response about the collection itself is no card to fetch.
             for (const CDavExchange& exchange : dav.Log()) {
                 EXPECT_EQ(std::string::npos, exchange.request.strBody.find("<d:href>/anna/contacts/</d:href>"))
                     << exchange.request.strBody;
             }
         }},
        {"a listing cut short (507): no contact it did not list is deleted here",
         [](CScriptedDav& dav, CBookHere& book) {
             for (const char* pszFirst : {"Anna", "Bob", "Carl"}) {
                 book.contacts.Add(Person(pszFirst));
             }
             ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
             dav.ForgetChanges();
         },
         [](CScriptedDav& dav, CBookHere&) { dav.AddRule(DavFault::TruncatedListing(DavKind::listing, 1)); },
         false, nothing,
         [](CScriptedDav&, CBookHere& book) {
             for (const char* pszFirst : {"Anna", "Bob", "Carl"}) {
                 EXPECT_TRUE(book.Find(pszFirst)) << pszFirst;
             }
         }},
        {"a card cut off in a multiget: what the book does not show stays on the server",
         [](CScriptedDav& dav, CBookHere& book) {
             dav.PutCard("anna.vcf", kAnnaCard);
             ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
             book.Find("Anna")->company = "Acme";
             ChangeThere(dav, "Anna", [](CContact& c) { c.jobtitle = "Boss"; });
         },
         [](CScriptedDav& dav, CBookHere&) { dav.AddRule(DavFault::CutCard(DavKind::multiget)); }, false,
         nothing,
         [](CScriptedDav& dav, CBookHere& book) {
             const std::string strCard = dav.Card(CardUrlOf(dav, "Anna"));
             for (const char* pszKept : {"BDAY:1980-04-02", "X-KEPT:kept", "Boss", "Acme"}) {
                 EXPECT_NE(std::string::npos, strCard.find(pszKept)) << pszKept << "\n" << strCard;
             }
             EXPECT_TRUE(book.Find("Anna") && book.Find("Anna")->jobtitle == "Boss");
         }},
        {"a GET that answers another person's card: no card takes another's UID",
         [](CScriptedDav& dav, CBookHere& book) {
             dav.SetPutWithoutEtag(true); // so that the sync reads back each card it wrote
             dav.PutCard("bob.vcf", NewCard(Person("Bob", "0171 2"), "bob-1"));
             book.contacts.Add(Person("Anna", "0171 1"));
         },
         [](CScriptedDav& dav, CBookHere&) {
             dav.AddRule(DavFault::AnswerOtherCard(dav.BookUrl() + "bob.vcf", dav));
         },
         false, [](CScriptedDav&, CBookHere& book) { book.Find("Anna")->company = "Acme"; },
         [](CScriptedDav& dav, CBookHere& book) {
             EXPECT_EQ("bob-1", CardUid(dav.Card(dav.BookUrl() + "bob.vcf")));
             EXPECT_NE("bob-1", CardUid(dav.Card(CardUrlOf(dav, "Anna"))));
             EXPECT_TRUE(book.Find("Anna") && book.Find("Anna")->company == "Acme");
         }},
        {"a vCard 4.0 card served as 3.0 unless 4.0 is asked: the photo stays whole",
         [](CScriptedDav& dav, CBookHere& book) {
             dav.SetServesVCard3(true);
             dav.PutCard("anna.vcf", kAnna4Card);
             ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
             book.Find("Anna")->company = "Acme";
         },
         [](CScriptedDav&, CBookHere&) {}, false, nothing,
         [](CScriptedDav& dav, CBookHere&) {
             const std::string strCard = dav.Card(dav.BookUrl() + "anna.vcf");
             EXPECT_NE(std::string::npos, strCard.find("base64,/9j/4AAQ")) << strCard;
             EXPECT_NE(std::string::npos, strCard.find("Acme")) << strCard;
         }},
        {"a sync stopped after sending a new contact, which is changed before the next: it is not doubled",
         [](CScriptedDav&, CBookHere& book) {
             CContact anna = Person("Anna");
             anna.homeaddress = "Main Street 1";
             book.contacts.Add(anna);
         },
         [](CScriptedDav& dav, CBookHere&) { dav.AddRule(AnswersToWritesLost()); }, false,
         [](CScriptedDav&, CBookHere& book) { book.Find("Anna")->company = "Acme"; },
         [](CScriptedDav&, CBookHere& book) {
             EXPECT_TRUE(book.Find("Anna") && book.Find("Anna")->company == "Acme");
         }},
        {"a sync stopped after sending a new contact, which is deleted before the next: it stays deleted",
         [](CScriptedDav&, CBookHere& book) {
             book.contacts.Add(Person("Anna"));
             book.contacts.Add(Person("Bob"));
         },
         [](CScriptedDav& dav, CBookHere&) { dav.AddRule(AnswersToWritesLost()); }, false,
         [](CScriptedDav&, CBookHere& book) { book.contacts.RemoveAt(book.Index("Anna")); },
         [](CScriptedDav&, CBookHere& book) { EXPECT_FALSE(book.Find("Anna")); }},
        {"a sync killed before its outcome was saved: the value the book replaced it with since stays",
         [](CScriptedDav& dav, CBookHere& book) {
             dav.PutCard("anna.vcf", kAnnaCard);
             ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
             book.Find("Anna")->jobtitle = "Boss";
         },
         [](CScriptedDav&, CBookHere&) {}, true,
         [](CScriptedDav&, CBookHere& book) { book.Find("Anna")->jobtitle = "Chief"; },
         [](CScriptedDav&, CBookHere& book) {
             ASSERT_TRUE(book.Find("Anna"));
             // Nothing tells the next sync that the server's "Boss" is this book's own, sent by the
             // killed sync: it is kept in the note as a change there, never over "Chief".
             EXPECT_EQ("Chief", book.Find("Anna")->jobtitle);
         }},
    };
    // One case; a failed assertion ends only it.
    auto play = [](const Case& c) {
        CScriptedDav dav;
        CBookHere book;
        c.arrange(dav, book);
        c.fault(dav, book);
        book.Sync(dav, dav.BookUrl(), !c.bKilled);
        dav.ClearRules();
        c.after(dav, book);
        CSyncOutcome outcome;
        for (int nSync = 0; nSync < 3 && !DidNothing(outcome); ++nSync) {
            outcome = book.Sync(dav, dav.BookUrl());
            ASSERT_TRUE(outcome.bOk) << outcome.strError;
        }
        EXPECT_TRUE(DidNothing(outcome)) << "three syncs without faults each still changed something";
        ExpectSidesAgree(book, dav);
        c.check(dav, book);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        play(c);
    }
}

// A server may close a kept-alive connection just as a write sets out on it, or its answer may be
// lost after it was carried out: a write made on the state it names is asked once more, and the
// sync ends as if nothing had happened, the change there once.
TEST(SyncFaultTest, AConditionalWriteWhoseConnectionBrokeIsAskedOnceMore) {
    for (bool bCarriedOut : {false, true}) {
        SCOPED_TRACE(bCarriedOut ? "carried out, its answer lost" : "lost on its way");
        CScriptedDav dav;
        CBookHere book;
        dav.PutCard("anna.vcf", kAnnaCard);
        ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
        book.Find("Anna")->jobtitle = "Boss";
        CDavRule rule = DavFault::LoseConnection(0, bCarriedOut);
        rule.kind = DavKind::put;
        rule.nTimes = 1;
        dav.AddRule(rule);
        CSyncOutcome outcome = book.Sync(dav, dav.BookUrl());
        EXPECT_TRUE(outcome.bOk) << outcome.strError;
        dav.ClearRules();
        EXPECT_TRUE(DidNothing(book.Sync(dav, dav.BookUrl())));
        ExpectSidesAgree(book, dav);
        EXPECT_EQ("Boss", ContactFromCard(dav.Card(CardUrlOf(dav, "Anna"))).jobtitle);
    }
}

// Most synchronised contacts deleted on the server at once (an address book emptied by mistake,
// or another one behind the same address) are deleted here only when the user confirms as many.
TEST(SyncFaultTest, MostContactsDeletedThereAreDeletedHereOnlyWhenConfirmed) {
    CScriptedDav dav;
    CBookHere book;
    for (int i = 0; i < 14; ++i) {
        book.contacts.Add(Person(("P" + std::to_string(i)).c_str()));
    }
    ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
    for (int i = 2; i < 14; ++i) {
        dav.DeleteCard(CardUrlOf(dav, "P" + std::to_string(i)));
    }
    CSyncOutcome refused = book.Sync(dav, dav.BookUrl(), true, 0);
    EXPECT_FALSE(refused.bOk);
    EXPECT_EQ(12u, refused.nLocalDeletionsToConfirm);
    EXPECT_EQ(0u, refused.nDeletionsToConfirm);
    EXPECT_EQ(14, book.contacts.GetSize());

    CSyncOutcome confirmed = book.Sync(dav, dav.BookUrl(), true, 12);
    ASSERT_TRUE(confirmed.bOk) << confirmed.strError;
    EXPECT_EQ(2, book.contacts.GetSize());
}

// The password goes only to the server the user set up: an address that redirects to another
// server is not followed there.
TEST(SyncFaultTest, ARedirectToAnotherServerIsNotFollowed) {
    CScriptedDav dav;
    CDavRule moved = DavFault::Redirect(DavKind::propfind, 301, "https://elsewhere.test/anna/contacts/");
    moved.strUrlPart = dav.Origin();
    moved.nTimes = -1;
    dav.AddRule(moved);
    CBookHere book;
    book.contacts.Add(Person("Anna"));
    CSyncOutcome outcome = book.Sync(dav, dav.BookUrl());
    EXPECT_FALSE(outcome.bOk);
    for (const CDavExchange& exchange : dav.Log()) {
        EXPECT_EQ(0u, exchange.request.strUrl.find(dav.Origin())) << exchange.request.strUrl;
    }
}

// A contact deleted here, its card deleted there by the next sync, and then brought back (Undo)
// goes back as the card it was: its UID and what the book does not show come with it.
TEST(SyncFaultTest, AContactBroughtBackGoesBackAsTheCardItWas) {
    CScriptedDav dav;
    CBookHere book;
    dav.PutCard("anna.vcf", kAnnaCard);
    book.contacts.Add(Person("Bob")); // a book that kept none would be synchronised as a first time
    ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
    const CContact anna = *book.Find("Anna");
    book.contacts.RemoveAt(book.Index("Anna"));
    ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
    ASSERT_TRUE(CardUrlOf(dav, "Anna").empty());
    book.contacts.Add(anna);
    ASSERT_TRUE(book.Sync(dav, dav.BookUrl()).bOk);
    ASSERT_EQ(2u, dav.Cards().size());
    const std::string strCard = dav.Card(CardUrlOf(dav, "Anna"));
    EXPECT_EQ("anna-1", CardUid(strCard));
    for (const char* pszKept : {"BDAY:1980-04-02", "X-KEPT:kept"}) {
        EXPECT_NE(std::string::npos, strCard.find(pszKept)) << pszKept << "\n" << strCard;
    }
}

// What the sync must not take or write is left on the server as it is and named: a card far
// larger than any address book's, and a card whose photo the server's conversion cut to its
// media type (a server that does not offer the version the card was stored in).
TEST(SyncFaultTest, CardsItMustNotTakeOrWriteAreLeftAndNamed) {
    CScriptedDav dav;
    CBookHere book;
    std::string strLarge = NewCard(Person("Bert"), "bert-1");
    strLarge.insert(strLarge.find("END:VCARD"), "NOTE:" + std::string(kMaxCardBytes, 'x') + "\r\n");
    dav.PutCard("bert.vcf", strLarge);
    dav.PutCard("anna.vcf", kAnna4Card);
    dav.SetServesVCard3(true);
    CDavRule only3 = DavFault::Before(DavKind::any, [](const CHttpRequest&) {});
    only3.nTimes = -1;
    only3.alter = [](CHttpResponse& response) {
        for (size_t n; (n = response.strBody.find("version=\"4.0\"")) != std::string::npos;) {
            response.strBody.replace(n, 13, "version=\"3.0\"");
        }
    };
    dav.AddRule(only3);
    CSyncOutcome first = book.Sync(dav, dav.BookUrl());
    ASSERT_TRUE(first.bOk) << first.strError;
    EXPECT_FALSE(book.Find("Bert"));
    ASSERT_EQ(1u, first.warnings.size());
    EXPECT_NE(std::string::npos, first.warnings[0].find("Bert Meier")) << first.warnings[0];
    ASSERT_TRUE(book.Find("Anna"));
    book.Find("Anna")->company = "Acme";
    CSyncOutcome second = book.Sync(dav, dav.BookUrl());
    ASSERT_TRUE(second.bOk) << second.strError;
    EXPECT_NE(std::string::npos, dav.Card(dav.BookUrl() + "anna.vcf").find("base64,/9j/4AAQ"));
    bool bNamed = false;
    for (const std::string& strWarning : second.warnings) {
        bNamed = bNamed || strWarning.find("Anna Meier") != std::string::npos;
    }
    EXPECT_TRUE(bNamed);
    EXPECT_EQ("Acme", book.Find("Anna")->company); // kept here, to go once it can
}
