// Synchronisation against real CardDAV servers (radicale and xandikos on this machine, started
// by the dav fixture), through the real transport of the build: libcurl natively, WinHTTP under
// Wine. A second client edits the server directly with plain requests.
#include "sync/DavClient.h"
#include "sync/DavUrl.h"
#include "sync/HttpClient.h"
#include "sync/SyncCard.h"
#include "sync/SyncEngine.h"
#include "sync/ThreeWayMerge.h"

#include "data/ContactGroups.h"

#include "support/DavServers.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <functional>
#include <map>

namespace {

// A sync that failed says why, so that a failure against a server can be told from one in the code.
::testing::AssertionResult Succeeded(const CSyncOutcome& outcome) {
    return outcome.bOk ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << outcome.strError;
}

CContact Person(const char* pszLast, const char* pszFirst, const char* pszMobile = "", const char* pszEmail = "") {
    CContact contact;
    contact.lastname = pszLast;
    contact.firstname = pszFirst;
    contact.mobile = pszMobile;
    contact.homeemail = pszEmail;
    return contact;
}

// A transport that loses the connection after a number of requests, as a sync stopped midway.
class CBreakingTransport : public IHttpTransport {
public:
    CBreakingTransport(IHttpTransport& inner, int nRequests) : m_inner(inner), m_nLeft(nRequests) {}
    CHttpResponse Send(const CHttpRequest& request) override {
        if (m_nLeft-- <= 0) {
            CHttpResponse response;
            response.failure = HttpFailure::cannotConnect;
            response.strFailure = "the connection was reset";
            return response;
        }
        return m_inner.Send(request);
    }

private:
    IHttpTransport& m_inner;
    int m_nLeft;
};

// A transport that lets another client write once, just before the first PUT to a URL that
// holds a part: the write a sync's conditional PUT then finds.
class CWriteBeforePut : public IHttpTransport {
public:
    CWriteBeforePut(IHttpTransport& inner, std::string strPart, std::function<void()> write)
        : m_inner(inner), m_strPart(std::move(strPart)), m_write(std::move(write)) {}
    CHttpResponse Send(const CHttpRequest& request) override {
        if (m_write && request.strMethod == "PUT" && request.strUrl.find(m_strPart) != std::string::npos) {
            std::function<void()> write = std::move(m_write);
            m_write = nullptr;
            write();
        }
        return m_inner.Send(request);
    }

private:
    IHttpTransport& m_inner;
    std::string m_strPart;
    std::function<void()> m_write;
};

// One client of one address book: its contacts, its state, and the server's cards as a second
// client sees them.
class CClient {
public:
    CClient(IHttpTransport& http, std::string strBook) : m_http(http), m_strBook(std::move(strBook)) {}

    CSyncOutcome Sync(IHttpTransport* pHttp = nullptr, size_t nConfirmedDeletions = 0) {
        CSyncOutcome outcome = Synchronise(contacts, state, pHttp ? *pHttp : m_http, m_strBook, "anna",
                                           nConfirmedDeletions, false, pPhotos);
        if (outcome.bOk) {
            std::vector<int> removed = outcome.removed;
            std::sort(removed.rbegin(), removed.rend());
            for (int n : removed) {
                contacts.RemoveAt(n);
            }
            for (const CContact& contact : outcome.added) {
                contacts.Add(contact);
            }
            state = outcome.state;
        }
        return outcome;
    }
    const CContact* Find(const char* pszFirst) const {
        for (int i = 0; i < contacts.GetSize(); ++i) {
            if (contacts[i].firstname == pszFirst) {
                return &contacts[i];
            }
        }
        return nullptr;
    }
    int Index(const char* pszFirst) const { return static_cast<int>(Find(pszFirst) - &contacts[0]); }

    CContactArray contacts;
    CSyncState state;
    const CPhotoFolder* pPhotos = nullptr;

private:
    IHttpTransport& m_http;
    std::string m_strBook;
};

class SyncEngineTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        m_settings = ReadDavServers();
        ASSERT_FALSE(m_settings.empty()) << "no servers: " << TBOOK_DAV_SERVERS_ENV;
        CHttpOptions options;
        options.strUser = m_settings["DAV_USER"];
        options.strPassword = m_settings["DAV_PASSWORD"];
        m_http = MakeHttpTransport(options);
        // A new address book for each test, beside the one the servers start with.
        static std::atomic<int> s_nBook{0};
        std::string strFirst = m_settings[std::string(GetParam()) + "_BOOK"];
        std::string strParent = strFirst.substr(0, strFirst.rfind('/', strFirst.size() - 2) + 1);
        m_strBook = strParent + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                    std::to_string(std::time(nullptr)) + "-" + std::to_string(s_nBook++) + "/";
        std::replace(m_strBook.begin() + static_cast<long>(strParent.size()), m_strBook.end() - 1, '/', '-');
        CHttpRequest mkcol{"MKCOL", m_strBook, {{"Content-Type", "application/xml; charset=utf-8"}},
                           "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                           "<D:mkcol xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
                           "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                           "</D:prop></D:set></D:mkcol>"};
        CHttpResponse response = m_http->Send(mkcol);
        ASSERT_EQ(201, response.nStatus) << m_strBook << response.strBody;
    }

    // The server's cards by their URL, as a second client reads them.
    std::map<std::string, std::string> ServerCards() {
        CDavClient dav(*m_http);
        CMultiStatus listing;
        EXPECT_TRUE(dav.Propfind(m_strBook, 1, PropfindEtagsBody(), listing)) << dav.Error();
        std::map<std::string, std::string> cards;
        for (const CDavResource& resource : listing.resources) {
            std::string strUrl = ResolveHref(m_strBook, resource.strHref);
            if (!resource.bCollection && !IsSameResource(strUrl, m_strBook)) {
                cards[strUrl] = m_http->Send({"GET", strUrl, {}, ""}).strBody;
            }
        }
        return cards;
    }
    int Put(const std::string& strUrl, const std::string& strCard) {
        return m_http->Send({"PUT", strUrl, {{"Content-Type", "text/vcard; charset=utf-8"}}, strCard}).nStatus;
    }
    std::string CardOf(const char* pszFirst) {
        for (const auto& card : ServerCards()) {
            if (ContactFromCard(card.second).firstname == pszFirst) {
                return card.first;
            }
        }
        return std::string();
    }

    std::map<std::string, std::string> m_settings;
    std::unique_ptr<IHttpTransport> m_http;
    std::string m_strBook;
};

const char kPhotoCard[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna-1\r\nN:Meier;Anna;;;\r\nFN:Anna Meier\r\n"
                          "TEL;TYPE=CELL:+49 171 5550100\r\nORG:Acme\r\nBDAY:1980-04-02\r\n"
                          "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAMCAgICAgMCAgIDAwMDBAYEBAQEBA\r\n"
                          " gGBgUGCQgKCgkICQkKDA8MCgsOCwkJDRENDg8QEBEQCgwSExIQEw8QEBD/yQALCAABAAEBAREA\r\n"
                          "X-UNKNOWN-THING:kept\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n";

} // namespace

// A first sync links the person both sides hold, sends and receives the rest, and keeps what
// the book cannot show on the server; a second sync then has nothing to do.
TEST_P(SyncEngineTest, FirstSyncLinksTheSamePersonAndSendsAndReceivesTheRest) {
    ASSERT_EQ(201, Put(m_strBook + "anna.vcf", kPhotoCard));
    ASSERT_EQ(201, Put(m_strBook + "carl.vcf", NewCard(Person("Clark", "Carl", "", "carl@example.org"), "carl-1")));
    CClient client(*m_http, m_strBook);
    client.contacts.Add(Person("Meier", "Anna", "0171 5550100", "anna@example.org"));
    client.contacts.Add(Person("Baker", "Łukasz", "", "bob@example.org"));
    client.contacts[1].note = "pasted one\npasted two"; // a line feed alone, as the editor may keep it

    CSyncOutcome first = client.Sync();
    ASSERT_TRUE(first.bOk) << first.strError;
    EXPECT_EQ(3, client.contacts.GetSize());
    EXPECT_EQ(1, first.summary.nMerged);
    EXPECT_EQ(1, first.summary.nReceived);
    EXPECT_EQ(1, first.summary.nSent); // Łukasz; Anna's e-mail went with her merged card
    ASSERT_TRUE(client.Find("Anna"));
    EXPECT_STREQ("anna@example.org", client.Find("Anna")->homeemail.GetString());
    // Her number as the server wrote it, and as the book did as a further value.
    EXPECT_STREQ("+49 171 5550100", client.Find("Anna")->mobile.GetString());
    const std::vector<CContactValue>& values = client.Find("Anna")->values;
    EXPECT_NE(values.end(), std::find(values.begin(), values.end(), FieldValueOf(CContact::fieldMobile, "0171 5550100")));
    std::map<std::string, std::string> cards = ServerCards();
    ASSERT_EQ(3u, cards.size());
    const std::string& strAnna = cards[m_strBook + "anna.vcf"];
    for (const char* pszKept : {"BDAY:1980-04-02", "X-UNKNOWN-THING:kept", "CATEGORIES:Friends", "PHOTO;", "UID:anna-1",
                                "anna@example.org"}) {
        EXPECT_NE(std::string::npos, strAnna.find(pszKept)) << pszKept << "\n" << strAnna;
    }
    EXPECT_FALSE(CardOf("Łukasz").empty());

    CSyncOutcome second = client.Sync();
    ASSERT_TRUE(second.bOk) << second.strError;
    EXPECT_EQ(0, second.summary.nSent + second.summary.nReceived + second.summary.nMerged);
    EXPECT_TRUE(second.removed.empty() && second.added.empty());

    // A book that lost every contact does not empty the server: it gets them back.
    CClient lost(*m_http, m_strBook);
    lost.state = client.state;
    CSyncOutcome refilled = lost.Sync();
    ASSERT_TRUE(refilled.bOk) << refilled.strError;
    EXPECT_EQ(0, refilled.summary.nDeletedOnServer);
    EXPECT_EQ(3, lost.contacts.GetSize());

    // Another device's first sync into an empty book is a download of the same three.
    CClient other(*m_http, m_strBook);
    ASSERT_TRUE(Succeeded(other.Sync()));
    EXPECT_EQ(3, other.contacts.GetSize());
    ASSERT_TRUE(other.Find("Anna"));
    EXPECT_TRUE(HaveSameContent(*client.Find("Anna"), *other.Find("Anna")));
}

// Changes on each side reach the other; a field changed on both keeps the local value and the
// server's as a further value; a contact deleted on one side and changed on the other stays.
TEST_P(SyncEngineTest, ChangesOnEachSideMeetAndConflictsLoseNothing) {
    CClient client(*m_http, m_strBook);
    for (const char* pszFirst : {"Anna", "Bob", "Carl", "Dora", "Eve"}) {
        client.contacts.Add(Person("Meier", pszFirst, "0171 555010", (std::string(pszFirst) + "@x.org").c_str()));
    }
    ASSERT_TRUE(Succeeded(client.Sync()));
    ASSERT_EQ(5u, ServerCards().size());
    // Bob's card gains what the book does not show.
    const std::string strBob = CardOf("Bob");
    std::string strBobCard = ServerCards()[strBob];
    strBobCard.insert(strBobCard.rfind("END:VCARD"), "BDAY:1970-01-01\r\n");
    ASSERT_EQ(2, Put(strBob, strBobCard) / 100);
    ASSERT_TRUE(Succeeded(client.Sync()));

    // Here: Anna's mobile and Bob's company changed, Carl deleted, Fay added.
    client.contacts[client.Index("Anna")].mobile = "0171 111";
    client.contacts[client.Index("Bob")].company = "Acme";
    client.contacts.RemoveAt(client.Index("Carl"));
    client.contacts.Add(Person("Meier", "Fay"));
    // There: Anna's mobile and e-mail changed, Dora deleted, Eve changed, Gus added.
    std::string strAnna = CardOf("Anna");
    CContact anna = ContactFromCard(ServerCards()[strAnna]);
    anna.mobile = "0171 222";
    anna.homeemail = "anna@new.org";
    ASSERT_EQ(2, Put(strAnna, PatchCard(ServerCards()[strAnna], anna)) / 100);
    ASSERT_EQ(2, m_http->Send({"DELETE", CardOf("Dora"), {}, ""}).nStatus / 100);
    std::string strEve = CardOf("Eve");
    CContact eve = ContactFromCard(ServerCards()[strEve]);
    eve.note = "moved";
    ASSERT_EQ(2, Put(strEve, PatchCard(ServerCards()[strEve], eve)) / 100);
    ASSERT_EQ(201, Put(m_strBook + "gus.vcf", NewCard(Person("Meier", "Gus"), "gus-1")));
    // And a contact deleted there that was changed here comes back: Bob deleted there too.
    ASSERT_EQ(2, m_http->Send({"DELETE", strBob, {}, ""}).nStatus / 100);

    CSyncOutcome outcome = client.Sync();
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_EQ(1, outcome.summary.nConflicts);
    const CContact* pAnna = client.Find("Anna");
    ASSERT_TRUE(pAnna);
    EXPECT_STREQ("0171 111", pAnna->mobile.GetString());
    EXPECT_STREQ("anna@new.org", pAnna->homeemail.GetString());
    EXPECT_EQ(std::vector<CContactValue>{FieldValueOf(CContact::fieldMobile, "0171 222")}, pAnna->values);
    EXPECT_TRUE(client.Find("Bob") && client.Find("Bob")->company == "Acme");
    EXPECT_FALSE(client.Find("Carl"));
    EXPECT_FALSE(client.Find("Dora"));
    EXPECT_TRUE(client.Find("Eve") && client.Find("Eve")->note == "moved");
    EXPECT_TRUE(client.Find("Fay"));
    EXPECT_TRUE(client.Find("Gus"));
    EXPECT_EQ(5, client.contacts.GetSize()); // Anna, Bob, Eve, Fay and Gus, nobody twice
    std::map<std::string, std::string> cards = ServerCards();
    EXPECT_EQ(static_cast<size_t>(client.contacts.GetSize()), cards.size());
    EXPECT_TRUE(CardOf("Carl").empty());
    EXPECT_TRUE(HaveSameContent(*pAnna, ContactFromCard(cards[CardOf("Anna")])));
    // Bob comes back as the card he was, with the change.
    EXPECT_NE(std::string::npos, cards[strBob].find("BDAY:1970-01-01")) << cards[strBob];
    EXPECT_EQ(CardUid(strBobCard), CardUid(cards[strBob]));
    EXPECT_EQ("Acme", ContactFromCard(cards[strBob]).company);
}

// What the sixteen fields cannot hold travels as values: a birthday and a number edited here
// reach the server, a number added on each side keeps both, the photo and other clients' lines
// stay; and a book whose contacts an earlier version synchronised without their values gets
// them from the cards instead of deleting them there.
TEST_P(SyncEngineTest, FurtherValuesTravelAndMergeOneByOne) {
    ASSERT_EQ(201, Put(m_strBook + "anna.vcf", kPhotoCard));
    CClient client(*m_http, m_strBook);
    ASSERT_TRUE(Succeeded(client.Sync()));
    ASSERT_TRUE(client.Find("Anna"));
    CContact& anna = client.contacts[client.Index("Anna")];
    const CContactValue birthday = {EValueKind::date, "birthday", "", "1980-04-02"};
    ASSERT_NE(anna.values.end(), std::find(anna.values.begin(), anna.values.end(), birthday));
    *std::find(anna.values.begin(), anna.values.end(), birthday) = {EValueKind::date, "birthday", "", "1980-04-03"};
    anna.values.push_back({EValueKind::phone, "mobile", "", "+49 171 1111"});
    anna.values.push_back({EValueKind::group, "", "", "Chess"});
    // There, another number and a note.
    const std::string strUrl = m_strBook + "anna.vcf";
    CContact there = ContactFromCard(ServerCards()[strUrl]);
    there.values.push_back({EValueKind::phone, "mobile", "", "+49 171 2222"});
    there.note = "from the phone";
    ASSERT_EQ(2, Put(strUrl, PatchCard(ServerCards()[strUrl], there)) / 100);

    ASSERT_TRUE(Succeeded(client.Sync()));
    const std::string strCard = ServerCards()[strUrl];
    for (const char* pszOnServer : {"BDAY:1980-04-03", "+49 171 1111", "+49 171 2222", "Chess", "Friends", "PHOTO;",
                                    "X-UNKNOWN-THING:kept", "UID:anna-1", "from the phone"}) {
        EXPECT_NE(std::string::npos, strCard.find(pszOnServer)) << pszOnServer << "\n" << strCard;
    }
    EXPECT_EQ(std::string::npos, strCard.find("1980-04-02")) << strCard;
    ASSERT_TRUE(client.Find("Anna"));
    EXPECT_TRUE(HaveSameContent(*client.Find("Anna"), ContactFromCard(strCard)));

    // A book and state as an earlier version left them: the fields alone, and the note edited.
    CClient earlier(*m_http, m_strBook);
    earlier.state = client.state;
    earlier.state.nValues = kValuesNone;
    CContact fieldsOnly = *client.Find("Anna");
    fieldsOnly.values.clear();
    fieldsOnly.note = "edited before the update";
    earlier.contacts.Add(fieldsOnly);
    ASSERT_TRUE(Succeeded(earlier.Sync()));
    const std::string strAfter = ServerCards()[strUrl];
    EXPECT_NE(std::string::npos, strAfter.find("BDAY:1980-04-03")) << strAfter;
    EXPECT_NE(std::string::npos, strAfter.find("edited before the update")) << strAfter;
    ASSERT_TRUE(earlier.Find("Anna"));
    EXPECT_TRUE(HaveSameContent(*earlier.Find("Anna"), ContactFromCard(strAfter)));
}

// The server's picture is the contact's photo; a photo chosen here (in the book's folder) goes
// there in its place, the card's other lines untouched; and a state of a version that left the
// pictures out takes them from the cards instead of deleting them there.
TEST_P(SyncEngineTest, PhotosTravelBothWays) {
    const std::string strUrl = m_strBook + "anna.vcf";
    ASSERT_EQ(201, Put(strUrl, kPhotoCard));
    CTempFolder folder;
    CPhotoFolder photos(folder.Path("tbk.xml").c_str());
    CClient client(*m_http, m_strBook);
    client.pPhotos = &photos;
    ASSERT_TRUE(Succeeded(client.Sync()));
    ASSERT_TRUE(client.Find("Anna"));
    const CString strServerPhoto = PhotoOf(client.Find("Anna")->values);
    std::string strBytes;
    ASSERT_TRUE(InlinePhotoBytes(strServerPhoto, strBytes));
    EXPECT_EQ(std::string("\xFF\xD8\xFF\xE0", 4), strBytes.substr(0, 4));

    const std::string strPicture = "\x89PNG\r\n\x1A\n chosen here";
    CString strName;
    ASSERT_TRUE(photos.Store(strPicture, strName, nullptr));
    SetPhoto(client.contacts[client.Index("Anna")].values, strName);
    ASSERT_TRUE(Succeeded(client.Sync()));
    const std::string strCard = ServerCards()[strUrl];
    EXPECT_EQ(strName, PhotoNameOf(PhotoOf(ContactFromCard(strCard).values))) << strCard;
    EXPECT_EQ(strCard.find("PHOTO"), strCard.rfind("PHOTO")) << "one picture: " << strCard;
    EXPECT_NE(std::string::npos, strCard.find("X-UNKNOWN-THING:kept")) << strCard;
    CSyncOutcome again = client.Sync();
    EXPECT_EQ(0, again.summary.nSent + again.summary.nReceived + again.summary.nMerged)
        << "the photo in its file and on the server are one";

    CClient earlier(*m_http, m_strBook);
    earlier.state = client.state;
    earlier.state.nValues = kValuesWithoutPhotos;
    CContact withoutPhoto = *client.Find("Anna");
    SetPhoto(withoutPhoto.values, CString());
    earlier.contacts.Add(withoutPhoto);
    ASSERT_TRUE(Succeeded(earlier.Sync()));
    EXPECT_EQ(strCard, ServerCards()[strUrl]);
    EXPECT_EQ(strName, PhotoNameOf(PhotoOf(earlier.Find("Anna")->values)));
}

// A sync that stops after any request leaves both sides so that the next one finishes the work
// without doubling or losing anything.
TEST_P(SyncEngineTest, ASyncStoppedAnywhereIsFinishedByTheNext) {
    CClient client(*m_http, m_strBook);
    for (int i = 0; i < 6; ++i) {
        client.contacts.Add(Person("Meier", ("P" + std::to_string(i)).c_str(), ("0171 55501" + std::to_string(i)).c_str()));
    }
    ASSERT_EQ(201, Put(m_strBook + "gus.vcf", NewCard(Person("Meier", "Gus"), "gus-1")));
    for (int nRequests = 1; nRequests < 12; nRequests += 2) {
        CBreakingTransport breaking(*m_http, nRequests);
        CSyncOutcome broken = client.Sync(&breaking);
        if (broken.bOk) {
            break; // this many requests were enough
        }
        EXPECT_NE(std::string::npos, broken.strError.find("cannot be reached")) << broken.strError;
        client.contacts.Add(Person("Meier", ("Q" + std::to_string(nRequests)).c_str()));
    }
    CSyncOutcome outcome = client.Sync();
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    std::map<std::string, std::string> cards = ServerCards();
    EXPECT_EQ(static_cast<size_t>(client.contacts.GetSize()), cards.size());
    std::vector<std::string> names;
    for (const auto& card : cards) {
        names.push_back(ContactFromCard(card.second).firstname.GetStdString());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names.end(), std::adjacent_find(names.begin(), names.end())) << "a contact was doubled";
    EXPECT_TRUE(client.Find("Gus"));
}

// A book missing most of the synchronised contacts at once (an old copy restored, or many
// deleted on purpose) deletes nothing on the server until the user confirms as many deletions;
// set up again instead, it gets them back.
TEST_P(SyncEngineTest, MostContactsMissingAtOnceAreDeletedThereOnlyWhenConfirmed) {
    CClient client(*m_http, m_strBook);
    for (int i = 0; i < 14; ++i) {
        client.contacts.Add(Person("Meier", ("P" + std::to_string(i)).c_str()));
    }
    ASSERT_TRUE(Succeeded(client.Sync()));
    client.contacts.RemoveAt(2, 12);
    for (size_t nConfirmed : {size_t(0), size_t(11)}) {
        CSyncOutcome refused = client.Sync(nullptr, nConfirmed);
        EXPECT_FALSE(refused.bOk);
        EXPECT_EQ(12u, refused.nDeletionsToConfirm);
        EXPECT_NE(std::string::npos, refused.strError.find("would delete 12 of the 14")) << refused.strError;
        EXPECT_EQ(14u, ServerCards().size());
    }
    CClient restored(*m_http, m_strBook);
    restored.contacts = client.contacts;
    ASSERT_TRUE(Succeeded(restored.Sync()));
    EXPECT_EQ(14, restored.contacts.GetSize());

    CSyncOutcome confirmed = client.Sync(nullptr, 12);
    ASSERT_TRUE(confirmed.bOk) << confirmed.strError;
    EXPECT_EQ(12, confirmed.summary.nDeletedOnServer);
    EXPECT_EQ(2u, ServerCards().size());
}

// An address book deleted on the server is said to be gone, not as a path the server lacks.
TEST_P(SyncEngineTest, AddressBookDeletedThereIsSaidToBeGone) {
    CClient client(*m_http, m_strBook);
    client.contacts.Add(Person("Meier", "Gone"));
    ASSERT_TRUE(Succeeded(client.Sync()));
    ASSERT_TRUE(IsSuccess(m_http->Send({"DELETE", m_strBook, {}, ""}).nStatus));
    CSyncOutcome outcome = client.Sync();
    EXPECT_FALSE(outcome.bOk);
    EXPECT_EQ("There is no address book at " + m_strBook + " any more.", outcome.strError);
    EXPECT_EQ(1, client.contacts.GetSize());
}

// An address that leads to another address book than the one the state was agreed with: a
// caller that keeps to that one (tbkutil, where a mistyped address would send the whole book
// there) is stopped before anything is sent.
TEST_P(SyncEngineTest, AnotherAddressBookStopsACallerThatKeepsToItsOwn) {
    CClient client(*m_http, m_strBook);
    client.contacts.Add(Person("Meier", "Kept"));
    ASSERT_TRUE(Succeeded(client.Sync()));
    const std::string strOther = m_settings[std::string(GetParam()) + "_BOOK"];
    CSyncOutcome outcome = Synchronise(client.contacts, client.state, *m_http, strOther, "anna", 0, true);
    EXPECT_FALSE(outcome.bOk);
    EXPECT_EQ("This address book is synchronised with " + m_strBook + ", not with " + strOther + ".",
              outcome.strError);
    EXPECT_EQ(m_strBook, outcome.strStateBook);
    EXPECT_EQ(m_strBook, outcome.state.strBookUrl);
}

namespace {

// A card's physical lines.
std::vector<std::string> CardLineList(const std::string& strCard) {
    std::vector<std::string> lines;
    for (size_t nStart = 0; nStart < strCard.size();) {
        size_t nEnd = std::min(strCard.find('\n', nStart), strCard.size());
        lines.push_back(strCard.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    return lines;
}

size_t CountGroup(const CContact* pContact, const char* pszGroup) {
    return pContact ? static_cast<size_t>(std::count_if(pContact->values.begin(), pContact->values.end(),
                                                        [&](const CContactValue& value) {
                                                            return value.kind == EValueKind::group &&
                                                                   GroupKey(value.text) == GroupKey(pszGroup);
                                                        }))
                    : 99;
}

} // namespace

// Groups kept as cards of their own, in vCard 4's form and in the older one: another client's
// group card gives its members the group and is no contact here; memberships changed here go into
// the card as member lines, the rest of it untouched; those changed there arrive here; a deleted
// group card takes the group from its members.
TEST_P(SyncEngineTest, GroupCardsGiveTheirMembersTheGroupBothWays) {
    struct CForm {
        const char* pszVersion;
        const char* pszKind;
        const char* pszMember;
        const char* pszName;
    } const kForms[] = {{"4.0", "KIND:group", "MEMBER", "Chess"},
                        {"3.0", "X-ADDRESSBOOKSERVER-KIND:group", "X-ADDRESSBOOKSERVER-MEMBER", "Choir"}};
    CClient client(*m_http, m_strBook);
    for (const char* pszFirst : {"Anna", "Bob", "Carl", "Dora"}) {
        client.contacts.Add(Person("Meier", pszFirst));
    }
    // Dora names both groups on her own card as well (one in another case): she is in each once.
    client.contacts[3].values = {{EValueKind::group, "", "", "chess"}, {EValueKind::group, "", "", "Choir"}};
    ASSERT_TRUE(Succeeded(client.Sync()));
    std::map<std::string, std::string> uids;
    for (const char* pszFirst : {"Anna", "Bob", "Carl", "Dora"}) {
        uids[pszFirst] = CardUid(ServerCards()[CardOf(pszFirst)]);
    }
    auto memberLine = [&](const CForm& form, const char* pszFirst) {
        return std::string(form.pszMember) + ":urn:uuid:" + uids[pszFirst];
    };
    for (const CForm& form : kForms) {
        std::string strCard = std::string("BEGIN:VCARD\r\nVERSION:") + form.pszVersion + "\r\nUID:group-" +
                              form.pszName + "\r\n" + form.pszKind + "\r\nFN:" + form.pszName + "\r\nN:" +
                              form.pszName + ";;;;\r\n";
        for (const char* pszFirst : {"Anna", "Bob", "Dora"}) {
            strCard += memberLine(form, pszFirst) + "\r\n";
        }
        strCard += std::string(form.pszMember) + ":mailto:eve@example.org\r\nX-OTHER-CLIENT:kept\r\nEND:VCARD\r\n";
        ASSERT_EQ(201, Put(m_strBook + form.pszName + ".vcf", strCard));
    }
    const std::map<std::string, std::string> written = ServerCards();
    CSyncOutcome first = client.Sync();
    ASSERT_TRUE(Succeeded(first));
    EXPECT_EQ(4, client.contacts.GetSize()) << "a group card is no contact";
    EXPECT_EQ(written, ServerCards());
    for (const CForm& form : kForms) {
        for (const char* pszFirst : {"Anna", "Bob", "Carl", "Dora"}) {
            EXPECT_EQ(std::string(pszFirst) == "Carl" ? 0u : 1u, CountGroup(client.Find(pszFirst), form.pszName))
                << pszFirst << " in " << form.pszName;
        }
    }

    // Here Carl joins and Anna leaves; there Bob's line is taken out of each group card.
    CContact& carl = client.contacts[client.Index("Carl")];
    carl.values.push_back({EValueKind::group, "", "", "Chess"});
    carl.values.push_back({EValueKind::group, "", "", "Choir"});
    client.contacts[client.Index("Anna")].values.clear();
    std::map<std::string, std::vector<std::string>> expected;
    for (const CForm& form : kForms) {
        const std::string strUrl = m_strBook + form.pszName + ".vcf";
        std::string strCard = ServerCards()[strUrl];
        const std::string strBob = memberLine(form, "Bob") + "\r\n";
        ASSERT_NE(std::string::npos, strCard.find(strBob)) << strCard;
        strCard.erase(strCard.find(strBob), strBob.size());
        ASSERT_EQ(2, Put(strUrl, strCard) / 100);
        // What the card is to be: the server's lines less Anna's, with Carl's line.
        expected[strUrl] = CardLineList(ServerCards()[strUrl]);
        auto anna = std::find(expected[strUrl].begin(), expected[strUrl].end(), memberLine(form, "Anna") + "\r");
        ASSERT_NE(expected[strUrl].end(), anna);
        expected[strUrl].erase(anna);
    }
    ASSERT_TRUE(Succeeded(client.Sync()));
    std::map<std::string, std::string> cards = ServerCards();
    for (const CForm& form : kForms) {
        const std::string strUrl = m_strBook + form.pszName + ".vcf";
        std::vector<std::string> lines = CardLineList(cards[strUrl]);
        auto carlLine = std::find(lines.begin(), lines.end(), memberLine(form, "Carl") + "\r");
        ASSERT_NE(lines.end(), carlLine) << cards[strUrl];
        lines.erase(carlLine);
        EXPECT_EQ(expected[strUrl], lines) << cards[strUrl];
        EXPECT_EQ(std::string::npos, cards[CardOf("Carl")].find(form.pszName)) << "only in the group card";
        for (const char* pszFirst : {"Anna", "Bob", "Carl", "Dora"}) {
            const bool bIn = std::string(pszFirst) == "Carl" || std::string(pszFirst) == "Dora";
            EXPECT_EQ(bIn ? 1u : 0u, CountGroup(client.Find(pszFirst), form.pszName)) << pszFirst << " in " << form.pszName;
        }
    }
    CSyncOutcome again = client.Sync();
    ASSERT_TRUE(Succeeded(again));
    EXPECT_EQ(0, again.summary.nSent + again.summary.nReceived + again.summary.nMerged);
    EXPECT_TRUE(again.removed.empty() && again.added.empty());
    EXPECT_EQ(cards, ServerCards());

    // Anna joins again here while another client puts Bob back into each group card just before
    // the sync writes it: the card, fetched again, gets Anna's line beside Bob's, and Bob's
    // membership arrives at the next sync rather than being undone.
    for (const CForm& form : kForms) {
        client.contacts[client.Index("Anna")].values.push_back({EValueKind::group, "", "", form.pszName});
    }
    std::vector<std::unique_ptr<CWriteBeforePut>> writers;
    IHttpTransport* pHttp = m_http.get();
    for (const CForm& form : kForms) {
        const std::string strUrl = m_strBook + form.pszName + ".vcf";
        const std::string strBob = memberLine(form, "Bob") + "\r\n";
        writers.push_back(std::make_unique<CWriteBeforePut>(*pHttp, strUrl, [this, strUrl, strBob] {
            std::string strCard = ServerCards()[strUrl];
            strCard.insert(strCard.find("END:VCARD"), strBob);
            ASSERT_EQ(2, Put(strUrl, strCard) / 100);
        }));
        pHttp = writers.back().get();
    }
    for (IHttpTransport* pTransport : {pHttp, m_http.get()}) {
        ASSERT_TRUE(Succeeded(client.Sync(pTransport)));
        cards = ServerCards();
        for (const CForm& form : kForms) {
            for (const char* pszFirst : {"Anna", "Bob", "Carl", "Dora"}) {
                const std::string& strCard = cards[m_strBook + form.pszName + ".vcf"];
                EXPECT_NE(std::string::npos, strCard.find(memberLine(form, pszFirst))) << pszFirst << " in " << strCard;
            }
        }
    }
    for (const CForm& form : kForms) {
        for (const char* pszFirst : {"Anna", "Bob", "Carl", "Dora"}) {
            EXPECT_EQ(1u, CountGroup(client.Find(pszFirst), form.pszName)) << pszFirst << " in " << form.pszName;
        }
    }

    // A book an earlier version synchronised, which took the group cards for contacts and knew
    // no memberships: those contacts go, the cards stay as they are, the members keep their groups.
    CClient earlier(*m_http, m_strBook);
    earlier.contacts = client.contacts;
    earlier.state = client.state;
    for (CSyncEntry& entry : earlier.state.entries) {
        entry.memberOf.clear();
    }
    for (CSyncEntry& card : earlier.state.groupCards) {
        card.contact = ContactFromCard(card.strCard);
        earlier.contacts.Add(card.contact);
        earlier.state.entries.push_back(card);
    }
    earlier.state.groupCards.clear();
    ASSERT_TRUE(Succeeded(earlier.Sync()));
    EXPECT_EQ(4, earlier.contacts.GetSize());
    EXPECT_EQ(1u, CountGroup(earlier.Find("Carl"), "Chess"));
    EXPECT_EQ(cards, ServerCards());

    // The older form's card deleted there: its members lose the group, but where their own card
    // names it.
    ASSERT_EQ(2, m_http->Send({"DELETE", m_strBook + "Choir.vcf", {}, ""}).nStatus / 100);
    ASSERT_TRUE(Succeeded(client.Sync()));
    EXPECT_EQ(4, client.contacts.GetSize());
    EXPECT_EQ(0u, CountGroup(client.Find("Carl"), "Choir"));
    EXPECT_EQ(1u, CountGroup(client.Find("Carl"), "Chess"));
    EXPECT_EQ(1u, CountGroup(client.Find("Dora"), "Choir"));
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncEngineTest, ::testing::Values("RADICALE", "XANDIKOS"));

// What goes wrong is said once, naming the server.
TEST(SyncEngineFailureTest, WrongPasswordAndNoServerAreNamed) {
    std::map<std::string, std::string> settings = ReadDavServers();
    CHttpOptions options;
    options.strUser = "anna";
    options.strPassword = "wrong";
    std::unique_ptr<IHttpTransport> http = MakeHttpTransport(options);
    CSyncOutcome outcome = Synchronise(CContactArray(), CSyncState(), *http, settings["RADICALE_BOOK"], "anna");
    EXPECT_FALSE(outcome.bOk);
    EXPECT_NE(std::string::npos, outcome.strError.find("did not accept the user name and password")) << outcome.strError;
    EXPECT_NE(std::string::npos, outcome.strError.find(UrlOrigin(settings["RADICALE_BOOK"])));
    EXPECT_TRUE(outcome.bLoginRefused);

    outcome = Synchronise(CContactArray(), CSyncState(), *http, settings["RADICALE_TLS_BOOK"], "anna");
    EXPECT_FALSE(outcome.bOk);
    EXPECT_FALSE(outcome.bLoginRefused);
    EXPECT_EQ(settings["RADICALE_TLS_SHA256"], outcome.strCertificateSha256);
}
