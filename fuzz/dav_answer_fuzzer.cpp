// libFuzzer target for the server's answers as the sync reads them: a multistatus (a PROPFIND
// listing, a sync-collection report, a multiget) or a card from a GET. The first byte chooses
// which request of a synchronisation gets the fuzzed answer and from which state the sync
// starts; the other requests are answered as a plain server would. Besides surviving any
// answer, the sync must never send a request to another server, never give back a contact
// index that is not there or twice, and never keep a card that is not whole.
#include "sync/DavUrl.h"
#include "sync/DavXml.h"
#include "sync/SyncCard.h"
#include "sync/SyncEngine.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace {

const char kBook[] = "https://dav.test/anna/contacts/";

void Check(bool bCondition) {
    if (!bCondition) {
        std::abort();
    }
}

std::string Card(const char* pszUid, const char* pszLast, const char* pszFirst) {
    return std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + pszUid + "\r\nFN:" + pszFirst + " " + pszLast +
           "\r\nN:" + pszLast + ";" + pszFirst + ";;;\r\nEND:VCARD\r\n";
}

const std::string kAnna = Card("a", "Meier", "Anna");
const std::string kBert = Card("b", "Roth", "Bert");

// Which request gets the fuzzed answer.
enum class Target { bookProperties, listing, changes, multiget, get, count };

class CFuzzedServer : public IHttpTransport {
public:
    CFuzzedServer(Target target, std::string strAnswer) : m_target(target), m_strAnswer(std::move(strAnswer)) {}

    CHttpResponse Send(const CHttpRequest& request) override {
        Check(IsSameOrigin(request.strUrl, kBook));
        CHttpResponse response;
        const std::string& strBody = request.strBody;
        Target target = request.strMethod == "GET" ? Target::get
                        : request.strMethod == "PROPFIND"
                            ? (request.headers.front().second == "0" ? Target::bookProperties : Target::listing)
                        : strBody.find("sync-collection") != std::string::npos ? Target::changes
                                                                                : Target::multiget;
        if (request.strMethod == "PUT" || request.strMethod == "DELETE") {
            response.nStatus = request.strMethod == "PUT" ? 201 : 204;
            response.headers = {{"ETag", "\"w" + std::to_string(++m_nWrites) + "\""}};
            return response;
        }
        if (target == m_target) {
            response.nStatus = target == Target::get ? 200 : 207;
            response.strBody = m_strAnswer;
            return response;
        }
        response.nStatus = target == Target::get ? 200 : 207;
        response.strBody = PlainAnswer(target);
        return response;
    }

private:
    static std::string PlainAnswer(Target target) {
        const std::string strHead = "<d:multistatus xmlns:d='DAV:' xmlns:c='urn:ietf:params:xml:ns:carddav'>";
        auto member = [](const char* pszName, const char* pszEtag, const std::string& strData) {
            return std::string("<d:response><d:href>/anna/contacts/") + pszName + "</d:href><d:propstat><d:prop>"
                   "<d:getetag>\"" + pszEtag + "\"</d:getetag>" +
                   (strData.empty() ? "" : "<c:address-data>" + EscapeXml(strData) + "</c:address-data>") +
                   "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
        };
        switch (target) {
        case Target::bookProperties:
            return strHead + "<d:response><d:href>/anna/contacts/</d:href><d:propstat><d:prop><d:resourcetype>"
                             "<d:collection/><c:addressbook/></d:resourcetype><d:supported-report-set>"
                             "<d:supported-report><d:report><d:sync-collection/></d:report></d:supported-report>"
                             "</d:supported-report-set><d:sync-token>t1</d:sync-token></d:prop><d:status>"
                             "HTTP/1.1 200 OK</d:status></d:propstat></d:response></d:multistatus>";
        case Target::listing:
            return strHead + member("a.vcf", "2", "") + member("b.vcf", "1", "") + "</d:multistatus>";
        case Target::changes:
            return strHead + "<d:sync-token>t2</d:sync-token>" + member("a.vcf", "2", "") + "</d:multistatus>";
        case Target::multiget:
            return strHead + member("a.vcf", "2", kAnna) + member("b.vcf", "1", kBert) + "</d:multistatus>";
        case Target::get: return kAnna;
        case Target::count: break;
        }
        return std::string();
    }

    Target m_target;
    std::string m_strAnswer;
    int m_nWrites = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize == 0) {
        return 0;
    }
    const int nTargets = static_cast<int>(Target::count);
    const Target target = static_cast<Target>(pData[0] % nTargets);
    const bool bSynchronisedBefore = (pData[0] / nTargets) % 2 == 1;
    const std::string strAnswer(reinterpret_cast<const char*>(pData) + 1, nSize - 1);

    CMultiStatus parsed;
    std::string strError;
    (void)ParseMultiStatus(strAnswer, parsed, strError);

    CContactArray contacts;
    CContact anna = ContactFromCard(kAnna);
    contacts.Add(anna);
    CContact cem;
    cem.lastname = "Yilmaz";
    cem.firstname = "Cem";
    contacts.Add(cem);
    CSyncState state;
    if (bSynchronisedBefore) {
        state.strAccountUrl = state.strBookUrl = kBook;
        state.strUser = "anna";
        state.strSyncToken = "t1";
        state.entries.push_back({std::string(kBook) + "a.vcf", "\"1\"", "a", kAnna, anna});
        state.entries.push_back({std::string(kBook) + "b.vcf", "\"1\"", "b", kBert, ContactFromCard(kBert)});
    }
    CFuzzedServer server(target, strAnswer);
    CSyncOutcome outcome = Synchronise(contacts, state, server, kBook, "anna", 0, false);
    std::set<int> removed;
    for (int n : outcome.removed) {
        Check(n >= 0 && n < contacts.GetSize() && removed.insert(n).second);
    }
    if (outcome.bOk) {
        for (const CSyncEntry& entry : outcome.state.entries) {
            Check(IsSameOrigin(entry.strHref, kBook));
            Check(IsWholeCard(entry.strCard));
        }
    }
    return 0;
}
