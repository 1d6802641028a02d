// The multistatus side of the scripted server: what a request asks (read from its body with the
// engine's own namespace-aware XML reader), PROPFIND of the resources and the properties asked,
// and the sync-collection and addressbook-multiget reports.
#include "ScriptedDav.h"

#include "ScriptedDavText.h"
#include "sync/DavXml.h"
#include "sync/XmlEvents.h"

#include <algorithm>

namespace {

const char kDav[] = "DAV:";
const char kCardDav[] = "urn:ietf:params:xml:ns:carddav";

using CName = std::pair<std::string, std::string>; // namespace, local name

// The parts of a PROPFIND or REPORT body that the server answers to.
class CBodyReader : public IXmlHandler {
public:
    CBodyReader(std::string& strRootNamespace, std::string& strRoot, std::vector<CName>& props,
                bool& bAllProps, bool& bTokenGiven, std::string& strToken, std::vector<std::string>& hrefs)
        : m_strRootNamespace(strRootNamespace), m_strRoot(strRoot), m_props(props), m_bAllProps(bAllProps),
          m_bTokenGiven(bTokenGiven), m_strToken(strToken), m_hrefs(hrefs) {}

    void StartElement(const std::string& strNamespace, const std::string& strLocalName) override {
        m_stack.emplace_back(strNamespace, strLocalName);
        m_strText.clear();
        if (m_stack.size() == 1) {
            m_strRootNamespace = strNamespace;
            m_strRoot = strLocalName;
        } else if (m_stack.size() == 2 && m_stack[1] == CName(kDav, "allprop")) {
            m_bAllProps = true;
        } else if (m_stack.size() == 3 && m_stack[1] == CName(kDav, "prop")) {
            m_props.push_back(m_stack[2]);
        }
    }
    void EndElement() override {
        if (m_stack.size() == 2 && m_stack[1] == CName(kDav, "href")) {
            m_hrefs.push_back(ScriptedDavText::Trim(m_strText));
        } else if (m_stack.size() == 2 && m_stack[1] == CName(kDav, "sync-token")) {
            m_bTokenGiven = true;
            m_strToken = ScriptedDavText::Trim(m_strText);
        }
        m_stack.pop_back();
    }
    void Text(const std::string& strUtf8) override { m_strText += strUtf8; }

private:
    std::string& m_strRootNamespace;
    std::string& m_strRoot;
    std::vector<CName>& m_props;
    bool& m_bAllProps;
    bool& m_bTokenGiven;
    std::string& m_strToken;
    std::vector<std::string>& m_hrefs;
    std::vector<CName> m_stack;
    std::string m_strText;
};

// Whether the body's address-data element asks for vCard 4.0 (version="4.0", or the version
// inside its content-type).
bool AsksVersion4(const std::string& strBody) {
    size_t nName = strBody.find("address-data");
    size_t nEnd = strBody.find('>', nName);
    return nName != std::string::npos && nEnd != std::string::npos &&
           strBody.substr(nName, nEnd - nName).find("4.0") != std::string::npos;
}

std::string Element(const std::string& strNamespace, const std::string& strName,
                    const std::string& strValue) {
    std::string strTag = strNamespace == kDav       ? "d:" + strName
                         : strNamespace == kCardDav ? "card:" + strName
                                                    : "x:" + strName;
    std::string strOpen = strTag + (strTag[0] == 'x' ? " xmlns:x=\"" + EscapeXml(strNamespace) + "\"" : "");
    return strValue.empty() ? "<" + strOpen + "/>" : "<" + strOpen + ">" + strValue + "</" + strTag + ">";
}

std::string PropStat(const std::string& strProps, int nStatus) {
    return "<d:propstat><d:prop>" + strProps + "</d:prop><d:status>" + ScriptedDavText::StatusLine(nStatus) +
           "</d:status></d:propstat>";
}

std::string StatusResponse(const std::string& strHrefText, int nStatus) {
    return "<d:response><d:href>" + strHrefText + "</d:href><d:status>" +
           ScriptedDavText::StatusLine(nStatus) + "</d:status></d:response>\n";
}

// The answer to a listing cut short (RFC 6578, 3.6).
std::string TruncationResponse(const std::string& strPath) {
    return "<d:response><d:href>" + ScriptedDavText::Href(strPath) + "</d:href><d:status>" +
           ScriptedDavText::StatusLine(507) +
           "</d:status><d:error><d:number-of-matches-within-limits/></d:error></d:response>\n";
}

CHttpResponse MultiStatus(const std::string& strResponses) {
    CHttpResponse response = ScriptedDavText::Status(207);
    response.headers.emplace_back("Content-Type", "application/xml; charset=utf-8");
    response.strBody = ScriptedDavText::kMultiStatusStart + strResponses + ScriptedDavText::kMultiStatusEnd;
    return response;
}

} // namespace

CScriptedDav::CAsked CScriptedDav::Read(const CHttpRequest& request) const {
    CAsked asked;
    asked.pRequest = &request;
    asked.strPath = PathOf(request.strUrl);
    asked.strDepth = Header(request, "Depth");
    if (!request.strBody.empty() && (request.strMethod == "PROPFIND" || request.strMethod == "REPORT")) {
        CBodyReader reader(asked.strRootNamespace, asked.strRoot, asked.props, asked.bAllProps,
                           asked.bTokenGiven, asked.strToken, asked.hrefs);
        std::string strError;
        asked.bBodyRead = ReadXmlEvents(request.strBody, reader, strError);
    }
    const std::string& strMethod = request.strMethod;
    if (strMethod == "PROPFIND") {
        asked.kind =
            asked.strPath == BookPath() && asked.strDepth == "1" ? DavKind::listing : DavKind::propfind;
    } else if (strMethod == "REPORT") {
        asked.kind = asked.strRoot == "sync-collection" && asked.strRootNamespace == kDav
                         ? DavKind::syncCollection
                     : asked.strRoot == "addressbook-multiget" && asked.strRootNamespace == kCardDav
                         ? DavKind::multiget
                         : DavKind::any;
        asked.bVersion4 = AsksVersion4(request.strBody);
    } else if (strMethod == "GET") {
        asked.kind = DavKind::get;
        asked.bVersion4 = Header(request, "Accept").find("version=4.0") != std::string::npos;
    } else if (strMethod == "PUT") {
        asked.kind = DavKind::put;
    } else if (strMethod == "DELETE") {
        asked.kind = DavKind::del;
    }
    return asked;
}

std::string CScriptedDav::SyncToken(size_t nChanges) const {
    return m_strOrigin + "/ns/sync/" + std::to_string(m_nTokenEra) + "-" +
           std::to_string(std::min(nChanges, m_changes.size()));
}

std::string CScriptedDav::PropertyValue(const std::string& strPath, const CAsked& asked,
                                        const std::string& strNamespace, const std::string& strName,
                                        bool& bKnown) const {
    const bool bPrincipal = strPath == PrincipalPath(), bBook = strPath == BookPath();
    const CStoredCard* pCard = Find(strPath);
    const std::string strPrincipalHref = "<d:href>" + ScriptedDavText::Href(PrincipalPath()) + "</d:href>";
    bKnown = true;
    if (strNamespace == kDav) {
        if (strName == "resourcetype") {
            return pCard        ? ""
                   : bPrincipal ? "<d:collection/><d:principal/>"
                   : bBook      ? "<d:collection/><card:addressbook/>"
                                : "<d:collection/>";
        }
        if (strName == "current-user-principal" || (strName == "principal-URL" && bPrincipal)) {
            return strPrincipalHref;
        }
        if (strName == "displayname" && (bPrincipal || bBook)) {
            return bBook ? "Contacts" : EscapeXml(m_strUser);
        }
        if (strName == "supported-report-set" && bBook) {
            return "<d:supported-report><d:report><card:addressbook-multiget/></d:report></"
                   "d:supported-report>"
                   "<d:supported-report><d:report><d:sync-collection/></d:report></d:supported-report>";
        }
        if (strName == "sync-token" && bBook) {
            return EscapeXml(SyncToken());
        }
        if (strName == "getetag" && (pCard || bBook)) {
            return EscapeXml(pCard ? pCard->strEtag : "\"b" + std::to_string(m_changes.size()) + "\"");
        }
        if (strName == "getcontenttype" && pCard) {
            return "text/vcard; charset=utf-8";
        }
        if (strName == "getcontentlength" && pCard) {
            return std::to_string(pCard->strCard.size());
        }
    } else if (strNamespace == kCardDav) {
        if (strName == "addressbook-home-set" && bPrincipal) {
            return strPrincipalHref;
        }
        if (strName == "supported-address-data" && bBook) {
            return "<card:address-data-type content-type=\"text/vcard\" version=\"3.0\"/>"
                   "<card:address-data-type content-type=\"text/vcard\" version=\"4.0\"/>";
        }
        if (strName == "address-data" && pCard && asked.pRequest->strMethod == "REPORT") {
            return ScriptedDavText::CardXml(CardAsServed(*pCard, asked.bVersion4));
        }
    }
    bKnown = false;
    return std::string();
}

bool CScriptedDav::ResponseFor(const std::string& strPath, const CAsked& asked, std::string& strXml) const {
    static const std::vector<CName> s_allProps = {{kDav, "resourcetype"},
                                                  {kDav, "displayname"},
                                                  {kDav, "getetag"},
                                                  {kDav, "getcontenttype"},
                                                  {kDav, "getcontentlength"}};
    bool bResource = strPath == "/" || strPath == PrincipalPath() || strPath == BookPath() || Find(strPath) ||
                     (strPath == "/.well-known/carddav" && !m_bWellKnownRedirects);
    if (!bResource) {
        return false;
    }
    const bool bAll = asked.bAllProps || asked.props.empty();
    std::string strFound, strMissing;
    for (const CName& prop : bAll ? s_allProps : asked.props) {
        bool bKnown = false;
        std::string strValue = PropertyValue(strPath, asked, prop.first, prop.second, bKnown);
        if (bKnown) {
            strFound += Element(prop.first, prop.second, strValue);
        } else if (!bAll) {
            strMissing += Element(prop.first, prop.second, "");
        }
    }
    strXml += "<d:response><d:href>" + ScriptedDavText::Href(strPath) + "</d:href>";
    strXml += strFound.empty() ? "" : PropStat(strFound, 200);
    strXml += strMissing.empty() ? "" : PropStat(strMissing, 404);
    strXml += "</d:response>\n";
    return true;
}

CHttpResponse CScriptedDav::Propfind(const CAsked& asked, int nMemberLimit) {
    if (!asked.bBodyRead) {
        return ScriptedDavText::Status(400);
    }
    if (asked.strDepth != "0" && asked.strDepth != "1") {
        return ScriptedDavText::Error(403, "<d:propfind-finite-depth/>");
    }
    if (asked.strPath == "/.well-known/carddav" && m_bWellKnownRedirects) {
        CHttpResponse response = ScriptedDavText::Status(301);
        response.headers.emplace_back("Location", PrincipalUrl());
        return response;
    }
    // A collection named without its trailing slash is the collection.
    std::string strPath = asked.strPath;
    if (strPath + "/" == PrincipalPath() || strPath + "/" == BookPath()) {
        strPath += "/";
    }
    std::string strXml;
    if (!ResponseFor(strPath, asked, strXml)) {
        return ScriptedDavText::Status(404);
    }
    if (asked.strDepth == "1") {
        if (strPath == "/") {
            ResponseFor(PrincipalPath(), asked, strXml);
        } else if (strPath == PrincipalPath()) {
            ResponseFor(BookPath(), asked, strXml);
        } else if (strPath == BookPath()) {
            const int nLimit = asked.kind == DavKind::listing ? nMemberLimit : -1;
            for (size_t i = 0; i < m_cards.size() && (nLimit < 0 || i < static_cast<size_t>(nLimit)); ++i) {
                ResponseFor(m_cards[i].strPath, asked, strXml);
            }
            if (nLimit >= 0 && m_cards.size() > static_cast<size_t>(nLimit)) {
                strXml += TruncationResponse(BookPath());
            }
        }
    }
    return MultiStatus(strXml);
}

CHttpResponse CScriptedDav::SyncCollection(const CAsked& asked, int nMemberLimit) {
    if (!asked.bBodyRead) {
        return ScriptedDavText::Status(400);
    }
    if (asked.strPath != BookPath()) {
        return ScriptedDavText::Error(403, "<d:supported-report/>");
    }
    size_t nFrom = 0;
    if (!asked.strToken.empty()) {
        const std::string strPrefix = m_strOrigin + "/ns/sync/" + std::to_string(m_nTokenEra) + "-";
        std::string strNumber = asked.strToken.substr(std::min(asked.strToken.size(), strPrefix.size()));
        bool bNumber = asked.strToken.compare(0, strPrefix.size(), strPrefix) == 0 && !strNumber.empty() &&
                       strNumber.size() < 10 &&
                       strNumber.find_first_not_of("0123456789") == std::string::npos;
        nFrom = bNumber ? std::stoul(strNumber) : 0;
        if (!bNumber || nFrom > m_changes.size()) {
            return ScriptedDavText::Error(403, "<d:valid-sync-token/>");
        }
    }
    // Each member changed since the token, once, in the order of its last change; the first
    // listing leaves out members that are gone.
    std::vector<std::pair<std::string, size_t>> members;
    for (size_t i = nFrom; i < m_changes.size(); ++i) {
        auto it = std::find_if(members.begin(), members.end(),
                               [&](const auto& m) { return m.first == m_changes[i]; });
        if (it != members.end()) {
            members.erase(it);
        }
        members.emplace_back(m_changes[i], i);
    }
    if (asked.strToken.empty()) {
        members.erase(
            std::remove_if(members.begin(), members.end(), [&](const auto& m) { return !Find(m.first); }),
            members.end());
    }
    size_t nToken = m_changes.size();
    const bool bTruncated = nMemberLimit >= 0 && members.size() > static_cast<size_t>(nMemberLimit);
    if (bTruncated) {
        members.resize(static_cast<size_t>(nMemberLimit));
        nToken = members.empty() ? nFrom : members.back().second + 1;
    }
    std::string strXml;
    for (const auto& member : members) {
        if (!ResponseFor(member.first, asked, strXml)) {
            strXml += StatusResponse(ScriptedDavText::Href(member.first), 404);
        }
    }
    if (bTruncated) {
        strXml += TruncationResponse(BookPath());
    }
    strXml += "<d:sync-token>" + EscapeXml(SyncToken(nToken)) + "</d:sync-token>\n";
    return MultiStatus(strXml);
}

CHttpResponse CScriptedDav::Multiget(const CAsked& asked) {
    if (!asked.bBodyRead) {
        return ScriptedDavText::Status(400);
    }
    if (asked.strPath != BookPath()) {
        return ScriptedDavText::Error(403, "<d:supported-report/>");
    }
    std::string strXml;
    for (const std::string& strHref : asked.hrefs) {
        const std::string strPath = PathOf(strHref);
        if (!Find(strPath) || !ResponseFor(strPath, asked, strXml)) {
            strXml += StatusResponse(EscapeXml(strHref), 404);
        }
    }
    return MultiStatus(strXml);
}
