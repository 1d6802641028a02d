#include "DavClient.h"

#include "DavUrl.h"
#include "HttpClient.h"

namespace {

const char kXmlType[] = "application/xml; charset=utf-8";

// Finding the address book.

CHttpResponse StatusOnly(int nStatus) {
    CHttpResponse response;
    response.nStatus = nStatus;
    return response;
}

bool IsDowngrade(const std::string& strFrom, const std::string& strTo) {
    return strFrom.compare(0, 6, "https:") == 0 && strTo.compare(0, 5, "http:") == 0;
}

// The URL of an href the server named during discovery, which must be on the server the user
// gave; false, with the reason noted, when it is on another.
bool ResolveOnSameServer(CDavClient& dav, const std::string& strBase, const std::string& strHref,
                         std::string& strUrl) {
    strUrl = ResolveHref(strBase, strHref);
    if (IsSameOrigin(strUrl, strBase)) {
        return true;
    }
    dav.Fail("The server " + UrlOrigin(strBase) + " keeps the address books of this account on another server, " +
             DisplayUrl(strUrl) + ". If they are to be synchronised there, give that address instead.");
    return false;
}

// A PROPFIND of the discovery properties at the address, following redirects; the address it
// ended at is written back.
bool DiscoverAt(CDavClient& dav, std::string& strUrl, int nDepth, CMultiStatus& result, int& nStatus) {
    for (int nRedirect = 0; nRedirect <= kMaxRedirects; ++nRedirect) {
        CHttpResponse response = dav.Send("PROPFIND", strUrl, PropfindDiscoveryBody(),
                                          {{"Depth", std::to_string(nDepth)},
                                           {"Content-Type", kXmlType}});
        nStatus = response.nStatus;
        if (response.failure != HttpFailure::none) {
            return false;
        }
        if (IsRedirect(response.nStatus) && !response.Header("Location").empty()) {
            std::string strTarget = ResolveHref(strUrl, response.Header("Location"));
            if (!IsSameOrigin(strTarget, strUrl)) {
                // The password goes only where the user sent it, and never from https to http.
                dav.Fail("The server " + UrlOrigin(strUrl) + " sends the request on to " + DisplayUrl(strTarget) +
                         ", which is another server" + (IsDowngrade(strUrl, strTarget) ? " without encryption" : "") +
                         ". If your address books are there, give that address instead.");
                return false;
            }
            strUrl = strTarget;
            continue;
        }
        if (response.nStatus != 207) {
            return false;
        }
        std::string strError;
        if (!ParseMultiStatus(response.strBody, result, strError)) {
            dav.Fail("The server " + UrlOrigin(strUrl) + " sent an answer that is not a valid WebDAV answer (" +
                     strError + ").");
            return false;
        }
        return true;
    }
    dav.Fail("The server " + UrlOrigin(strUrl) + " sends the request from one address to the next without end.");
    return false;
}

const CDavResource* ResourceAt(const CMultiStatus& result, const std::string& strBase, const std::string& strUrl) {
    for (const CDavResource& resource : result.resources) {
        if (IsSameResource(ResolveHref(strBase, resource.strHref), strUrl)) {
            return &resource;
        }
    }
    return result.resources.size() == 1 ? &result.resources[0] : nullptr;
}

std::string WithSlash(std::string strUrl) {
    if (strUrl.empty() || strUrl.back() != '/') {
        strUrl += '/';
    }
    return strUrl;
}

// The address books in the home sets (Depth 1 lists their members).
void CollectHomeBooks(CDavClient& dav, const std::string& strBase, const std::vector<std::string>& homes,
                      std::vector<CAddressBookInfo>& books) {
    for (const std::string& strHome : homes) {
        std::string strHomeUrl;
        if (!ResolveOnSameServer(dav, strBase, strHome, strHomeUrl)) {
            return;
        }
        CMultiStatus listing;
        int nStatus = 0;
        if (!DiscoverAt(dav, strHomeUrl, 1, listing, nStatus)) {
            if (!dav.Failed()) {
                dav.Fail("PROPFIND", strHomeUrl, StatusOnly(nStatus));
            }
            return;
        }
        for (const CDavResource& resource : listing.resources) {
            std::string strBookUrl;
            if (resource.bAddressBook) {
                if (!ResolveOnSameServer(dav, strHomeUrl, resource.strHref, strBookUrl)) {
                    books.clear();
                    return;
                }
                books.push_back({WithSlash(strBookUrl), resource.strDisplayName});
            }
        }
    }
}

} // namespace

bool CDavClient::Propfind(const std::string& strUrl, int nDepth, const std::string& strBody, CMultiStatus& result) {
    CHttpResponse response =
        Send("PROPFIND", strUrl, strBody, {{"Depth", std::to_string(nDepth)}, {"Content-Type", kXmlType}});
    if (response.failure != HttpFailure::none) {
        return false;
    }
    if (response.nStatus != 207) {
        Fail("PROPFIND", strUrl, response);
        return false;
    }
    std::string strError;
    if (!ParseMultiStatus(response.strBody, result, strError)) {
        m_nFailedStatus = response.nStatus;
        m_strError = "The server " + UrlOrigin(strUrl) + " sent an answer that is not a valid WebDAV answer (" +
                     strError + ").";
        return false;
    }
    return true;
}

CHttpResponse CDavClient::Report(const std::string& strUrl, int nDepth, const std::string& strBody) {
    return Send("REPORT", strUrl, strBody, {{"Depth", std::to_string(nDepth)}, {"Content-Type", kXmlType}});
}

CHttpResponse CDavClient::Send(const char* pszMethod, const std::string& strUrl, const std::string& strBody,
                               std::vector<std::pair<std::string, std::string>> headers) {
    CHttpRequest request;
    request.strMethod = pszMethod;
    request.strUrl = strUrl;
    request.headers = std::move(headers);
    request.strBody = strBody;
    CHttpResponse response = m_http.Send(request);
    // A server that refuses a request before reading its body (a wrong password, say) may reset
    // the connection before its answer is read, and one may close a kept-alive connection just as
    // a request sets out on it. A request that only reads is asked once more, and so is a write
    // made only on the state it names (If-Match, If-None-Match): carried out the first time, its
    // copy is refused with 412 and handled as a change meanwhile. Any other write is not, since it
    // may have been carried out.
    bool bOnlyReads =
        request.strMethod == "PROPFIND" || request.strMethod == "REPORT" || request.strMethod == "GET";
    bool bConditional = false;
    for (const auto& header : request.headers) {
        bConditional = bConditional || header.first == "If-Match" || header.first == "If-None-Match";
    }
    if (response.failure == HttpFailure::cannotConnect && (bOnlyReads || bConditional)) {
        response = m_http.Send(request);
    }
    if (response.failure != HttpFailure::none) {
        Fail(pszMethod, strUrl, response);
    }
    return response;
}

namespace {

// What a request does, in words a user knows.
const char* PlainAction(const char* pszMethod) {
    const std::string strMethod = pszMethod;
    return strMethod == "PUT" ? "write to" : strMethod == "DELETE" ? "delete" : "read";
}

} // namespace

void CDavClient::Fail(const char* pszMethod, const std::string& strUrl, const CHttpResponse& response) {
    const std::string strServer = UrlOrigin(strUrl);
    m_nFailedStatus = response.nStatus;
    switch (response.failure) {
    case HttpFailure::none:
        break;
    case HttpFailure::cannotConnect:
        m_strError = "The server " + strServer + " cannot be reached: " + response.strFailure + ".";
        return;
    case HttpFailure::timeout:
        m_strError = "The server " + strServer + " did not answer in time.";
        return;
    case HttpFailure::untrustedCertificate:
        m_strCertificateSha256 = response.strCertificateSha256;
        m_strError = "The certificate of the server " + strServer +
                     " is not trusted. Trust it only if its SHA-256 fingerprint is " +
                     GroupedFingerprint(response.strCertificateSha256) + ".";
        return;
    case HttpFailure::cancelled:
        m_strError = "The synchronisation with " + strServer + " was cancelled.";
        return;
    case HttpFailure::tooLarge:
        // The limit of every transport the program makes.
        m_strError = "The server " + strServer + " sent an answer larger than " +
                     SizeInWords(kMaxResponseBytes) + " when asked to " + PlainAction(pszMethod) + " " +
                     UrlPath(strUrl) + "; nothing was synchronised.";
        return;
    case HttpFailure::other:
        m_strError = "The connection to the server " + strServer + " failed: " + response.strFailure + ".";
        return;
    }
    if (response.nStatus == 401) {
        m_strError = "The server " + strServer + " did not accept the user name and password.";
    } else if (response.nStatus == 403) {
        m_strError = "The server " + strServer + " does not allow this account to " + PlainAction(pszMethod) +
                     " " + UrlPath(strUrl) + ".";
    } else if (response.nStatus == 404) {
        m_strError = "The server " + strServer + " has nothing at " + UrlPath(strUrl) + ".";
    } else if (response.nStatus == 405 || response.nStatus == 501) {
        // A plain web server, or a page of one beside the address books.
        m_strError = "The server " + strServer + " keeps no address book at " + UrlPath(strUrl) +
                     ": it does not take the requests of CardDAV there. Check the address.";
    } else {
        m_strError = "The server " + strServer + " answered " + std::to_string(response.nStatus) +
                     " when asked to " + PlainAction(pszMethod) + " " + UrlPath(strUrl) + " (" + pszMethod +
                     ").";
    }
}

bool FindAddressBooks(IHttpTransport& http, const std::string& strGivenUrl,
                      std::vector<CAddressBookInfo>& books, std::string& strError,
                      std::string& strCertificateSha256, bool* pLoginRefused) {
    books.clear();
    CDavClient dav(http);
    std::string strUrl = strGivenUrl;
    CMultiStatus result;
    int nStatus = 0;
    bool bFound = false;
    // A bare server address asks the server where its address books are.
    if (UrlPath(strUrl).empty() || UrlPath(strUrl) == "/") {
        std::string strWellKnown = UrlOrigin(strUrl) + "/.well-known/carddav";
        bFound = DiscoverAt(dav, strWellKnown, 0, result, nStatus);
        if (bFound) {
            strUrl = strWellKnown;
        }
    }
    // Without an answer at all, or refused for the password, asking the address itself will not help.
    if (!bFound && !dav.Failed() && nStatus != 401) {
        bFound = DiscoverAt(dav, strUrl, 0, result, nStatus);
    }
    if (!bFound) {
        if (!dav.Failed()) {
            dav.Fail("PROPFIND", strUrl, StatusOnly(nStatus));
        }
        strError = dav.Error();
        strCertificateSha256 = dav.CertificateSha256();
        if (pLoginRefused) {
            *pLoginRefused = dav.FailedStatus() == 401;
        }
        return false;
    }
    const CDavResource* pResource = ResourceAt(result, strUrl, strUrl);
    if (pResource && pResource->bAddressBook) {
        books.push_back({WithSlash(strUrl), pResource->strDisplayName});
    } else if (pResource && !pResource->addressbookHomeSet.empty()) {
        CollectHomeBooks(dav, strUrl, pResource->addressbookHomeSet, books);
    } else if (pResource && !pResource->strCurrentUserPrincipal.empty()) {
        std::string strPrincipal;
        CMultiStatus principal;
        if (ResolveOnSameServer(dav, strUrl, pResource->strCurrentUserPrincipal, strPrincipal) &&
            DiscoverAt(dav, strPrincipal, 0, principal, nStatus)) {
            const CDavResource* pPrincipal = ResourceAt(principal, strPrincipal, strPrincipal);
            if (pPrincipal) {
                CollectHomeBooks(dav, strPrincipal, pPrincipal->addressbookHomeSet, books);
            }
        }
    }
    if (books.empty() && !dav.Failed()) {
        dav.Fail("There is no address book at " + strGivenUrl + ".");
    }
    strError = dav.Error();
    strCertificateSha256 = dav.CertificateSha256();
    if (pLoginRefused) {
        *pLoginRefused = books.empty() && dav.FailedStatus() == 401;
    }
    return !books.empty();
}
