// The transport side of the scripted server: the rules, the store with its change log, the
// second client, and the requests on single cards (GET, PUT, DELETE). The multistatus requests
// are in ScriptedDavReports.cpp.
#include "ScriptedDav.h"

#include "ScriptedDavText.h"

#include <algorithm>

namespace {

CHttpResponse Lost() {
    CHttpResponse response;
    response.failure = HttpFailure::cannotConnect;
    response.strFailure = "the connection was reset";
    return response;
}

bool Matches(const CDavRule& rule, const CHttpRequest& request, DavKind kind) {
    return (rule.kind == DavKind::any || rule.kind == kind) &&
           (rule.strMethod.empty() || rule.strMethod == request.strMethod) &&
           request.strUrl.find(rule.strUrlPart) != std::string::npos &&
           request.strBody.find(rule.strBodyPart) != std::string::npos;
}

// Whether the header's list of ETags names this one ("*" names any).
bool NamesEtag(const std::string& strList, const std::string& strEtag) {
    size_t nStart = 0;
    while (nStart <= strList.size()) {
        size_t nComma = std::min(strList.find(',', nStart), strList.size());
        std::string strOne = ScriptedDavText::Trim(strList.substr(nStart, nComma - nStart));
        if (strOne == "*" || strOne == strEtag) {
            return true;
        }
        nStart = nComma + 1;
    }
    return false;
}

// A card's lines with folded ones joined, each without its line break.
std::vector<std::string> UnfoldedLines(const std::string& strCard) {
    std::vector<std::string> lines;
    size_t nStart = 0;
    while (nStart < strCard.size()) {
        size_t nEnd = std::min(strCard.find('\n', nStart), strCard.size());
        std::string strLine = strCard.substr(nStart, nEnd - nStart);
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        if (!lines.empty() && !strLine.empty() && (strLine[0] == ' ' || strLine[0] == '\t')) {
            lines.back() += strLine.substr(1);
        } else if (!strLine.empty()) {
            lines.push_back(strLine);
        }
        nStart = nEnd + 1;
    }
    return lines;
}

bool StartsWithProperty(const std::string& strLine, const char* pszName) {
    size_t n = std::char_traits<char>::length(pszName);
    if (strLine.size() <= n || (strLine[n] != ':' && strLine[n] != ';')) {
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(strLine[i])) != pszName[i]) {
            return false;
        }
    }
    return true;
}

std::string CardUidOf(const std::string& strCard) {
    for (const std::string& strLine : UnfoldedLines(strCard)) {
        if (StartsWithProperty(strLine, "UID")) {
            return strLine.substr(strLine.find(':') + 1);
        }
    }
    return std::string();
}

// The first half of a text's lines: a card cut off in its middle.
std::string FirstHalfOfLines(const std::string& str) {
    size_t nCut = str.find('\n', str.size() / 2);
    return nCut == std::string::npos ? str : str.substr(0, nCut + 1);
}

} // namespace

CScriptedDav::CScriptedDav(std::string strOrigin, std::string strUser)
    : m_strOrigin(std::move(strOrigin)), m_strUser(std::move(strUser)) {}

CHttpResponse CScriptedDav::Send(const CHttpRequest& request) {
    CAsked asked = Read(request);
    // The rules that act on this request, taken out first: a callback may write on the server.
    std::vector<CDavRule> acting;
    for (auto it = m_rules.begin(); it != m_rules.end();) {
        if (!Matches(*it, request, asked.kind)) {
            ++it;
        } else if (it->nSkip > 0) {
            --it->nSkip;
            ++it;
        } else {
            acting.push_back(*it);
            it = it->nTimes > 0 && --it->nTimes == 0 ? m_rules.erase(it) : it + 1;
        }
    }
    for (const CDavRule& rule : acting) {
        if (rule.before) {
            rule.before(request);
        }
    }
    auto answering =
        std::find_if(acting.begin(), acting.end(), [](const CDavRule& rule) { return rule.bAnswer; });
    CHttpResponse response;
    if (answering != acting.end()) {
        response = answering->answer;
    } else {
        int nLimit = -1;
        for (const CDavRule& rule : acting) {
            nLimit = rule.nMemberLimit >= 0 ? rule.nMemberLimit : nLimit;
        }
        response = Serve(asked, nLimit);
        for (const CDavRule& rule : acting) {
            if (rule.alter) {
                rule.alter(response);
            }
        }
    }
    m_log.push_back({request, asked.kind, response.nStatus, response.failure});
    return response;
}

CHttpResponse CScriptedDav::Serve(const CAsked& asked, int nMemberLimit) {
    const std::string& strMethod = asked.pRequest->strMethod;
    if (asked.strPath.empty()) {
        CHttpResponse response = Lost();
        response.strFailure = "the name of the server in " + asked.pRequest->strUrl + " is not known";
        return response;
    }
    if (strMethod == "PROPFIND") {
        return Propfind(asked, nMemberLimit);
    }
    if (strMethod == "REPORT" && asked.kind == DavKind::syncCollection) {
        return SyncCollection(asked, nMemberLimit);
    }
    if (strMethod == "REPORT" && asked.kind == DavKind::multiget) {
        return Multiget(asked);
    }
    if (strMethod == "REPORT") {
        return ScriptedDavText::Error(403, "<d:supported-report/>");
    }
    if (strMethod == "GET") {
        return Get(asked);
    }
    if (strMethod == "PUT") {
        return Put(asked);
    }
    if (strMethod == "DELETE") {
        return Delete(asked);
    }
    CHttpResponse response = ScriptedDavText::Status(405);
    response.headers.emplace_back("Allow", "OPTIONS, GET, PUT, DELETE, PROPFIND, REPORT");
    return response;
}

CHttpResponse CScriptedDav::Get(const CAsked& asked) {
    const CStoredCard* pCard = Find(asked.strPath);
    if (!pCard) {
        return ScriptedDavText::Status(404);
    }
    CHttpResponse response = ScriptedDavText::Status(200);
    response.headers = {{"Content-Type", "text/vcard; charset=utf-8"}, {"ETag", pCard->strEtag}};
    response.strBody = CardAsServed(*pCard, asked.bVersion4);
    return response;
}

CHttpResponse CScriptedDav::Put(const CAsked& asked) {
    const std::string& strPath = asked.strPath;
    size_t nSlash = strPath.rfind('/');
    if (strPath.substr(0, nSlash + 1) != BookPath() || nSlash + 1 == strPath.size()) {
        return ScriptedDavText::Status(strPath.back() == '/' ? 405 : 409);
    }
    const CStoredCard* pCard = Find(strPath);
    const std::string strIfMatch = Header(*asked.pRequest, "If-Match");
    const std::string strIfNoneMatch = Header(*asked.pRequest, "If-None-Match");
    if ((!strIfMatch.empty() && (!pCard || !NamesEtag(strIfMatch, pCard->strEtag))) ||
        (!strIfNoneMatch.empty() && pCard && NamesEtag(strIfNoneMatch, pCard->strEtag))) {
        return ScriptedDavText::Status(412);
    }
    const std::string& strCard = asked.pRequest->strBody;
    if (strCard.find("BEGIN:VCARD") == std::string::npos || strCard.find("END:VCARD") == std::string::npos) {
        return ScriptedDavText::Error(403, "<card:valid-address-data/>");
    }
    // One UID names one card of an address book.
    const std::string strUid = CardUidOf(strCard);
    for (const CStoredCard& other : m_cards) {
        if (other.strPath != strPath && !strUid.empty() && CardUidOf(other.strCard) == strUid) {
            return ScriptedDavText::Error(409, "<card:no-uid-conflict><d:href>" +
                                                   ScriptedDavText::Href(other.strPath) +
                                                   "</d:href></card:no-uid-conflict>");
        }
    }
    CHttpResponse response = ScriptedDavText::Status(pCard ? 204 : 201);
    Store(strPath, strCard);
    if (!m_bPutWithoutEtag) {
        response.headers.emplace_back("ETag", Find(strPath)->strEtag);
    }
    return response;
}

CHttpResponse CScriptedDav::Delete(const CAsked& asked) {
    const CStoredCard* pCard = Find(asked.strPath);
    if (!pCard) {
        return ScriptedDavText::Status(asked.strPath == BookPath() ? 403 : 404);
    }
    const std::string strIfMatch = Header(*asked.pRequest, "If-Match");
    if (!strIfMatch.empty() && !NamesEtag(strIfMatch, pCard->strEtag)) {
        return ScriptedDavText::Status(412);
    }
    Remove(asked.strPath);
    return ScriptedDavText::Status(204);
}

std::string CScriptedDav::CardAsServed(const CStoredCard& card, bool bVersion4Asked) const {
    std::vector<std::string> lines = UnfoldedLines(card.strCard);
    bool bVersion4 = std::find(lines.begin(), lines.end(), "VERSION:4.0") != lines.end();
    if (!m_bServesVCard3 || bVersion4Asked || !bVersion4) {
        return card.strCard;
    }
    // The conversion of a widely deployed server: the version changes, and a photo given as a
    // data: URI keeps its media type alone.
    std::string strServed;
    for (std::string strLine : lines) {
        size_t nData = strLine.find(":data:");
        if (strLine == "VERSION:4.0") {
            strLine = "VERSION:3.0";
        } else if (StartsWithProperty(strLine, "PHOTO") && nData != std::string::npos) {
            strLine = strLine.substr(0, strLine.find_first_of(";,", nData + 6));
        }
        strServed += strLine + "\r\n";
    }
    return strServed;
}

std::string CScriptedDav::Header(const CHttpRequest& request, const char* pszName) {
    CHttpResponse asResponse;
    asResponse.headers = request.headers;
    return asResponse.Header(pszName);
}

// The store.

CScriptedDav::CStoredCard* CScriptedDav::Find(const std::string& strPath) {
    auto it = std::find_if(m_cards.begin(), m_cards.end(),
                           [&](const CStoredCard& card) { return card.strPath == strPath; });
    return it == m_cards.end() ? nullptr : &*it;
}

const CScriptedDav::CStoredCard* CScriptedDav::Find(const std::string& strPath) const {
    return const_cast<CScriptedDav*>(this)->Find(strPath);
}

void CScriptedDav::Store(const std::string& strPath, const std::string& strCard) {
    CStoredCard* pCard = Find(strPath);
    if (!pCard) {
        m_cards.push_back({strPath, std::string(), std::string()});
        pCard = &m_cards.back();
    }
    pCard->strCard = strCard;
    pCard->strEtag = "\"e" + std::to_string(m_nNextEtag++) + "\"";
    m_changes.push_back(strPath);
}

bool CScriptedDav::Remove(const std::string& strPath) {
    const CStoredCard* pCard = Find(strPath);
    if (!pCard) {
        return false;
    }
    m_cards.erase(m_cards.begin() + (pCard - m_cards.data()));
    m_changes.push_back(strPath);
    return true;
}

std::string CScriptedDav::PathOf(const std::string& strHref) const {
    std::string strPath = strHref;
    if (strHref.compare(0, m_strOrigin.size(), m_strOrigin) == 0) {
        strPath = strHref.substr(m_strOrigin.size());
    } else if (strHref.find("://") != std::string::npos) {
        return std::string();
    }
    strPath = strPath.substr(0, strPath.find_first_of("?#"));
    return ScriptedDavText::Unescape(strPath.empty() ? "/" : strPath);
}

// The second client.

std::string CScriptedDav::PutCard(const std::string& strName, const std::string& strCard) {
    Store(BookPath() + strName, strCard);
    return m_strOrigin + BookPath() + strName;
}

bool CScriptedDav::ReplaceCard(const std::string& strHref, const std::string& strCard) {
    if (!Find(PathOf(strHref))) {
        return false;
    }
    Store(PathOf(strHref), strCard);
    return true;
}

bool CScriptedDav::DeleteCard(const std::string& strHref) { return Remove(PathOf(strHref)); }

std::vector<std::pair<std::string, std::string>> CScriptedDav::Cards() const {
    std::vector<std::pair<std::string, std::string>> cards;
    for (const CStoredCard& card : m_cards) {
        cards.emplace_back(m_strOrigin + card.strPath, card.strCard);
    }
    return cards;
}

std::string CScriptedDav::Card(const std::string& strHref) const {
    const CStoredCard* pCard = Find(PathOf(strHref));
    return pCard ? pCard->strCard : std::string();
}

std::string CScriptedDav::Etag(const std::string& strHref) const {
    const CStoredCard* pCard = Find(PathOf(strHref));
    return pCard ? pCard->strEtag : std::string();
}

// The ready-made faults.

namespace DavFault {

CDavRule Status(DavKind kind, int nStatus) {
    CDavRule rule;
    rule.kind = kind;
    rule.bAnswer = true;
    rule.answer = ScriptedDavText::Status(nStatus);
    return rule;
}

CDavRule Before(DavKind kind, std::function<void(const CHttpRequest&)> callback) {
    CDavRule rule;
    rule.kind = kind;
    rule.before = std::move(callback);
    return rule;
}

CDavRule LoseConnection(int nAt, bool bAfterServing) {
    CDavRule rule;
    rule.nSkip = nAt;
    rule.nTimes = -1;
    if (bAfterServing) {
        rule.alter = [](CHttpResponse& response) { response = Lost(); };
    } else {
        rule.bAnswer = true;
        rule.answer = Lost();
    }
    return rule;
}

CDavRule LeaveOut(DavKind kind, std::function<bool(const std::string& strHref)> leaveOut) {
    CDavRule rule;
    rule.kind = kind;
    rule.alter = [leaveOut](CHttpResponse& response) {
        ScriptedDavText::DropResponses(response.strBody, leaveOut);
    };
    return rule;
}

CDavRule ShortListing(DavKind kind, int nLeftOut) {
    CDavRule rule;
    rule.kind = kind;
    rule.alter = [nLeftOut](CHttpResponse& response) {
        std::vector<std::string> members = ScriptedDavText::ResponseHrefs(response.strBody);
        members.erase(std::remove_if(members.begin(), members.end(),
                                     [](const std::string& strHref) { return strHref.back() == '/'; }),
                      members.end());
        members.erase(members.begin(),
                      members.end() - std::min<long>(nLeftOut, static_cast<long>(members.size())));
        ScriptedDavText::DropResponses(response.strBody, [&](const std::string& strHref) {
            return std::find(members.begin(), members.end(), strHref) != members.end();
        });
    };
    return rule;
}

CDavRule TruncatedListing(DavKind kind, int nMembers) {
    CDavRule rule;
    rule.kind = kind;
    rule.nMemberLimit = nMembers;
    return rule;
}

CDavRule OmitFromMultiget(int nLeftOut) { return ShortListing(DavKind::multiget, nLeftOut); }

CDavRule Redirect(DavKind kind, int nStatus, const std::string& strLocation) {
    CDavRule rule = Status(kind, nStatus);
    rule.answer.headers.emplace_back("Location", strLocation);
    return rule;
}

CDavRule AnswerOfSize(DavKind kind, size_t nBytes) {
    CDavRule rule;
    rule.kind = kind;
    rule.alter = [nBytes](CHttpResponse& response) {
        std::string& strBody = response.strBody;
        if (strBody.size() < nBytes) {
            size_t nClose = strBody.rfind("</");
            strBody.insert(nClose == std::string::npos ? strBody.size() : nClose, nBytes - strBody.size(),
                           ' ');
        }
    };
    return rule;
}

CDavRule CutCard(DavKind kind) {
    CDavRule rule;
    rule.kind = kind;
    rule.alter = [](CHttpResponse& response) {
        std::string& strBody = response.strBody;
        if (strBody.compare(0, 11, "BEGIN:VCARD") == 0) {
            strBody = FirstHalfOfLines(strBody);
            return;
        }
        const std::string strOpen = "<card:address-data>", strClose = "</card:address-data>";
        for (size_t nOpen = strBody.find(strOpen); nOpen != std::string::npos;
             nOpen = strBody.find(strOpen, nOpen + 1)) {
            size_t nStart = nOpen + strOpen.size();
            size_t nEnd = strBody.find(strClose, nStart);
            strBody.replace(nStart, nEnd - nStart, FirstHalfOfLines(strBody.substr(nStart, nEnd - nStart)));
        }
    };
    return rule;
}

CDavRule AnswerOtherCard(const std::string& strOtherHref, CScriptedDav& dav) {
    CDavRule rule;
    rule.kind = DavKind::get;
    rule.alter = [strOtherHref, &dav](CHttpResponse& response) { response.strBody = dav.Card(strOtherHref); };
    return rule;
}

} // namespace DavFault
