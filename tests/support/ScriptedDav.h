// CScriptedDav: one user's CardDAV account in memory, behind the sync engine's one door to the
// network. It answers as real servers do (discovery, PROPFIND of the properties asked, the
// sync-collection and addressbook-multiget reports, conditional GET, PUT and DELETE, a new ETag
// for every write and a numbered change log behind the sync tokens), so that every rule of the
// engine can be tested without a server, in milliseconds, on every build.
//
// A second client writes on it directly (PutCard, DeleteCard), as another device would, and
// rules inject faults at the seam: for the next requests that match, run a callback first (the
// other device's write between two requests of a sync), answer instead of the server, or change
// what the server answered.
#pragma once

#include "sync/HttpTransport.h"

#include <functional>
#include <string>
#include <vector>

// What a request asks of the server, as it reads the request.
enum class DavKind {
    any,
    propfind,       // any PROPFIND but the address book's listing
    listing,        // PROPFIND Depth 1 of the address book: its members and their ETags
    syncCollection, // REPORT sync-collection
    multiget,       // REPORT addressbook-multiget
    get,
    put,
    del,
};

// One fault: which requests it takes and what it does to them.
struct CDavRule {
    // Every criterion given must hold; parts are searched in the URL and the body.
    DavKind kind = DavKind::any;
    std::string strMethod;
    std::string strUrlPart;
    std::string strBodyPart;
    int nSkip = 0;  // matching requests let through untouched before the rule acts
    int nTimes = 1; // requests it acts on then; -1 for every one after

    // What it does, in this order: the callback runs; then either the answer is given instead of
    // the server's (bAnswer), or the server answers and alter changes that answer.
    std::function<void(const CHttpRequest&)> before;
    bool bAnswer = false;
    CHttpResponse answer;
    std::function<void(CHttpResponse&)> alter;
    // A listing or sync-collection report that holds at most this many members and says it was
    // cut short, as RFC 6578 truncation does; -1 for all.
    int nMemberLimit = -1;
};

class CScriptedDav;

// The ready-made faults, each a rule to hand to AddRule (fields such as nSkip may be set after).
namespace DavFault {
// The request answered with a bare status (a PUT or DELETE refused with 412 as if the card had
// changed meanwhile, a 500, ...).
CDavRule Status(DavKind kind, int nStatus);
// A callback before the request is served: another client's write between two requests.
CDavRule Before(DavKind kind, std::function<void(const CHttpRequest&)> callback);
// The connection lost at the request nAt (counted from 0 when the rule is added) and at every
// one after; bAfterServing: the server carried the request out and its answer was lost.
CDavRule LoseConnection(int nAt, bool bAfterServing = false);
// A listing or sync-collection answer that silently leaves out its last nLeftOut members.
CDavRule ShortListing(DavKind kind, int nLeftOut);
// An answer without the responses whose href (a path, as the server writes it) leaveOut picks.
CDavRule LeaveOut(DavKind kind, std::function<bool(const std::string& strHref)> leaveOut);
// A listing or sync-collection answer cut after nMembers members, with the 507 response for
// the collection and the DAV:number-of-matches-within-limits error.
CDavRule TruncatedListing(DavKind kind, int nMembers);
// A multiget answer that leaves out the responses of its last nLeftOut hrefs.
CDavRule OmitFromMultiget(int nLeftOut);
// A redirect (301, 302, 307, 308) to the location, absolute or on the same origin.
CDavRule Redirect(DavKind kind, int nStatus, const std::string& strLocation);
// The answer grown to nBytes with white space inside its last element, still well-formed XML
// for a multistatus.
CDavRule AnswerOfSize(DavKind kind, size_t nBytes);
// Every card in a GET or multiget answer cut off in its middle: the rest, END:VCARD with it,
// never arrives.
CDavRule CutCard(DavKind kind);
// A GET that answers the card of another resource (another UID, another person).
CDavRule AnswerOtherCard(const std::string& strOtherHref, CScriptedDav& dav);
} // namespace DavFault

// One request as the server saw it, and how it was answered.
struct CDavExchange {
    CHttpRequest request;
    DavKind kind = DavKind::any;
    int nStatus = 0;
    HttpFailure failure = HttpFailure::none;
};

class CScriptedDav : public IHttpTransport {
public:
    explicit CScriptedDav(std::string strOrigin = "https://dav.test", std::string strUser = "anna");

    CHttpResponse Send(const CHttpRequest& request) override;

    std::string Origin() const { return m_strOrigin; }
    std::string PrincipalUrl() const { return m_strOrigin + PrincipalPath(); }
    std::string BookUrl() const { return m_strOrigin + BookPath(); }

    // The second client: writes change the ETag and the change log as a request would.
    // Creates or replaces the card of that name in the address book; returns its URL.
    std::string PutCard(const std::string& strName, const std::string& strCard);
    // Replaces the card at a URL (or path) that exists; false when none does.
    bool ReplaceCard(const std::string& strHref, const std::string& strCard);
    bool DeleteCard(const std::string& strHref);
    // The cards (URL, text) in the order they were made, and one of them ("" when there is none).
    std::vector<std::pair<std::string, std::string>> Cards() const;
    std::string Card(const std::string& strHref) const;
    std::string Etag(const std::string& strHref) const;
    // Tokens given out so far become too old: a sync-collection from them is refused.
    void ForgetChanges() { ++m_nTokenEra; }

    // How the server behaves.
    // The well-known address answers with a redirect to the principal (true) or with the
    // principal's address in a multistatus.
    void SetWellKnownRedirects(bool b) { m_bWellKnownRedirects = b; }
    // A PUT answered without an ETag header, as servers that change a card as they store it do.
    void SetPutWithoutEtag(bool b) { m_bPutWithoutEtag = b; }
    // A server that keeps a vCard 4.0 card as sent but serves a vCard 3.0 conversion of it unless
    // asked for 4.0; the conversion cuts a data: PHOTO to its media type.
    void SetServesVCard3(bool b) { m_bServesVCard3 = b; }

    void AddRule(CDavRule rule) { m_rules.push_back(std::move(rule)); }
    void ClearRules() { m_rules.clear(); }

    const std::vector<CDavExchange>& Log() const { return m_log; }
    size_t RequestCount() const { return m_log.size(); }

private:
    struct CStoredCard {
        std::string strPath;
        std::string strCard; // as it was sent
        std::string strEtag; // quoted
    };
    // What one request asked, read from its method, URL, headers and body.
    struct CAsked {
        const CHttpRequest* pRequest = nullptr;
        DavKind kind = DavKind::any;
        std::string strPath; // escapes undone; "" for another origin
        std::string strDepth;
        bool bBodyRead = true; // false for a body that is not well-formed XML
        std::string strRootNamespace, strRoot;
        std::vector<std::pair<std::string, std::string>> props; // asked for: namespace, name
        bool bAllProps = false;
        bool bTokenGiven = false;
        std::string strToken;
        std::vector<std::string> hrefs;
        bool bVersion4 = false; // address-data or Accept asks for vCard 4.0
    };
    CAsked Read(const CHttpRequest& request) const;
    static std::string Header(const CHttpRequest& request, const char* pszName);

    std::string PrincipalPath() const { return "/" + m_strUser + "/"; }
    std::string BookPath() const { return PrincipalPath() + "contacts/"; }

    CHttpResponse Serve(const CAsked& asked, int nMemberLimit);
    CHttpResponse Propfind(const CAsked& asked, int nMemberLimit);
    CHttpResponse SyncCollection(const CAsked& asked, int nMemberLimit);
    CHttpResponse Multiget(const CAsked& asked);
    CHttpResponse Get(const CAsked& asked);
    CHttpResponse Put(const CAsked& asked);
    CHttpResponse Delete(const CAsked& asked);

    // The properties of one resource as a response element; false for a path that names none.
    bool ResponseFor(const std::string& strPath, const CAsked& asked, std::string& strXml) const;
    // The value of one property as XML; bKnown false for a property the resource lacks.
    std::string PropertyValue(const std::string& strPath, const CAsked& asked,
                              const std::string& strNamespace, const std::string& strName,
                              bool& bKnown) const;
    std::string CardAsServed(const CStoredCard& card, bool bVersion4Asked) const;

    CStoredCard* Find(const std::string& strPath);
    const CStoredCard* Find(const std::string& strPath) const;
    // The path of an href (URL or absolute path), escapes undone; "" for another origin.
    std::string PathOf(const std::string& strHref) const;
    // The token after the first nChanges changes (all by default).
    std::string SyncToken(size_t nChanges = std::string::npos) const;
    void Store(const std::string& strPath, const std::string& strCard);
    bool Remove(const std::string& strPath);

    std::string m_strOrigin;
    std::string m_strUser;
    std::vector<CStoredCard> m_cards;   // in the order they were made
    std::vector<std::string> m_changes; // the path of each write; token N has seen the first N
    int m_nTokenEra = 0;                // a token of another era is too old
    int m_nNextEtag = 1;
    bool m_bWellKnownRedirects = true;
    bool m_bPutWithoutEtag = false;
    bool m_bServesVCard3 = false;
    std::vector<CDavRule> m_rules;
    std::vector<CDavExchange> m_log;
};
