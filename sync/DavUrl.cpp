#include "DavUrl.h"

#include "framework/core/Unicode.h"

#include <vector>

namespace {

// A URL reference split into its five components; a missing component differs from an empty one.
struct CUrlParts {
    bool bScheme = false, bAuthority = false, bQuery = false, bFragment = false;
    std::string strScheme, strAuthority, strPath, strQuery, strFragment;
};

bool IsAlpha(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
char LowerAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

std::string Lower(std::string str) {
    for (char& ch : str) {
        ch = LowerAscii(ch);
    }
    return str;
}

CUrlParts Split(const std::string& str) {
    CUrlParts parts;
    size_t nPos = 0;
    if (!str.empty() && IsAlpha(str[0])) {
        size_t i = 1;
        while (i < str.size() &&
               (IsAlpha(str[i]) || IsDigit(str[i]) || str[i] == '+' || str[i] == '-' || str[i] == '.')) {
            ++i;
        }
        if (i < str.size() && str[i] == ':') {
            parts.bScheme = true;
            parts.strScheme = str.substr(0, i);
            nPos = i + 1;
        }
    }
    if (str.compare(nPos, 2, "//") == 0) {
        size_t nEnd = str.find_first_of("/?#", nPos + 2);
        nEnd = nEnd == std::string::npos ? str.size() : nEnd;
        parts.bAuthority = true;
        parts.strAuthority = str.substr(nPos + 2, nEnd - nPos - 2);
        nPos = nEnd;
    }
    size_t nEnd = str.find_first_of("?#", nPos);
    nEnd = nEnd == std::string::npos ? str.size() : nEnd;
    parts.strPath = str.substr(nPos, nEnd - nPos);
    nPos = nEnd;
    if (nPos < str.size() && str[nPos] == '?') {
        nEnd = str.find('#', nPos);
        nEnd = nEnd == std::string::npos ? str.size() : nEnd;
        parts.bQuery = true;
        parts.strQuery = str.substr(nPos + 1, nEnd - nPos - 1);
        nPos = nEnd;
    }
    if (nPos < str.size()) {
        parts.bFragment = true;
        parts.strFragment = str.substr(nPos + 1);
    }
    return parts;
}

std::string Join(const CUrlParts& parts) {
    std::string str;
    if (parts.bScheme) {
        str += parts.strScheme + ":";
    }
    if (parts.bAuthority) {
        str += "//" + parts.strAuthority;
    }
    str += parts.strPath;
    if (parts.bQuery) {
        str += "?" + parts.strQuery;
    }
    if (parts.bFragment) {
        str += "#" + parts.strFragment;
    }
    return str;
}

// "." and ".." segments taken out of a path, in one pass over its segments.
std::string RemoveDotSegments(const std::string& strPath) {
    bool bAbsolute = !strPath.empty() && strPath[0] == '/';
    std::vector<std::string> segments;
    size_t nStart = bAbsolute ? 1 : 0;
    bool bTrailingSlash = false;
    while (nStart <= strPath.size()) {
        size_t nEnd = strPath.find('/', nStart);
        nEnd = nEnd == std::string::npos ? strPath.size() : nEnd;
        std::string strSegment = strPath.substr(nStart, nEnd - nStart);
        bool bLast = nEnd == strPath.size();
        bTrailingSlash = false;
        if (strSegment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
            bTrailingSlash = true;
        } else if (strSegment == ".") {
            bTrailingSlash = true;
        } else if (!bLast || !strSegment.empty()) {
            segments.push_back(std::move(strSegment));
        } else {
            bTrailingSlash = !segments.empty();
        }
        nStart = nEnd + 1;
    }
    std::string strOut = bAbsolute ? "/" : "";
    for (size_t i = 0; i < segments.size(); ++i) {
        strOut += segments[i];
        if (i + 1 < segments.size() || bTrailingSlash) {
            strOut += '/';
        }
    }
    return strOut;
}

std::string MergePaths(const CUrlParts& base, const std::string& strRelative) {
    if (base.bAuthority && base.strPath.empty()) {
        return "/" + strRelative;
    }
    size_t nSlash = base.strPath.rfind('/');
    return nSlash == std::string::npos ? strRelative : base.strPath.substr(0, nSlash + 1) + strRelative;
}

int HexValue(char ch) {
    if (IsDigit(ch)) {
        return ch - '0';
    }
    ch = LowerAscii(ch);
    return ch >= 'a' && ch <= 'f' ? ch - 'a' + 10 : -1;
}

bool IsUnreserved(char ch) {
    return IsAlpha(ch) || IsDigit(ch) || ch == '-' || ch == '.' || ch == '_' || ch == '~';
}

// Escapes of unreserved characters decoded, the others' hex digits in upper case.
std::string NormalEscapes(const std::string& str) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string strOut;
    strOut.reserve(str.size());
    for (size_t i = 0; i < str.size(); ++i) {
        int nHigh = str[i] == '%' && i + 2 < str.size() ? HexValue(str[i + 1]) : -1;
        int nLow = nHigh >= 0 ? HexValue(str[i + 2]) : -1;
        if (nLow < 0) {
            strOut += str[i];
            continue;
        }
        char ch = static_cast<char>(nHigh * 16 + nLow);
        if (IsUnreserved(ch)) {
            strOut += ch;
        } else {
            strOut += '%';
            strOut += kHex[nHigh];
            strOut += kHex[nLow];
        }
        i += 2;
    }
    return strOut;
}

// The host and port of an authority, without user information; the port is empty when absent.
void SplitAuthority(const std::string& strAuthority, std::string& strHost, std::string& strPort) {
    size_t nAt = strAuthority.rfind('@');
    std::string strHostPort = nAt == std::string::npos ? strAuthority : strAuthority.substr(nAt + 1);
    size_t nBracket = strHostPort.rfind(']'); // an IPv6 literal holds colons of its own
    size_t nColon = strHostPort.rfind(':');
    if (nColon != std::string::npos && (nBracket == std::string::npos || nColon > nBracket)) {
        strHost = strHostPort.substr(0, nColon);
        strPort = strHostPort.substr(nColon + 1);
    } else {
        strHost = strHostPort;
        strPort.clear();
    }
}

std::string NormalOrigin(const CUrlParts& parts) {
    std::string strHost, strPort;
    SplitAuthority(parts.strAuthority, strHost, strPort);
    std::string strScheme = Lower(parts.strScheme);
    if ((strScheme == "http" && strPort == "80") || (strScheme == "https" && strPort == "443")) {
        strPort.clear();
    }
    return strScheme + "://" + Lower(strHost) + (strPort.empty() ? "" : ":" + strPort);
}

// The scheme, host and port of a URL as one text in which equal origins are equal: scheme and host
// in lower case, the port as a number and left out where it is the scheme's own. Empty for a URL
// without a scheme or a host.
std::string ComparableOrigin(const std::string& strUrl) {
    CUrlParts parts = Split(strUrl);
    std::string strHost, strPort;
    SplitAuthority(parts.strAuthority, strHost, strPort);
    if (!parts.bScheme || !parts.bAuthority || strHost.empty()) {
        return std::string();
    }
    std::string strScheme = Lower(parts.strScheme);
    bool bNumber = !strPort.empty() && strPort.size() <= 5 &&
                   strPort.find_first_not_of("0123456789") == std::string::npos;
    if (bNumber) {
        int nPort = 0;
        for (char ch : strPort) {
            nPort = nPort * 10 + (ch - '0');
        }
        bool bDefault = (strScheme == "http" && nPort == 80) || (strScheme == "https" && nPort == 443);
        strPort = bDefault ? std::string() : std::to_string(nPort);
    }
    return strScheme + "://" + Lower(strHost) + (strPort.empty() ? "" : ":" + strPort);
}

std::string NormalPathAndQuery(const CUrlParts& parts) {
    std::string strPath = RemoveDotSegments(NormalEscapes(parts.strPath));
    while (!strPath.empty() && strPath.back() == '/') {
        strPath.pop_back();
    }
    return strPath + (parts.bQuery ? "?" + NormalEscapes(parts.strQuery) : "");
}

} // namespace

std::string ResolveHref(const std::string& strBaseUrl, const std::string& strHref) {
    CUrlParts base = Split(strBaseUrl);
    CUrlParts ref = Split(strHref);
    CUrlParts target;
    if (ref.bScheme) {
        target = ref;
        target.strPath = RemoveDotSegments(ref.strPath);
    } else {
        target.bScheme = base.bScheme;
        target.strScheme = base.strScheme;
        if (ref.bAuthority) {
            target.bAuthority = true;
            target.strAuthority = ref.strAuthority;
            target.strPath = RemoveDotSegments(ref.strPath);
            target.bQuery = ref.bQuery;
            target.strQuery = ref.strQuery;
        } else {
            target.bAuthority = base.bAuthority;
            target.strAuthority = base.strAuthority;
            if (ref.strPath.empty()) {
                target.strPath = base.strPath;
                target.bQuery = ref.bQuery || base.bQuery;
                target.strQuery = ref.bQuery ? ref.strQuery : base.strQuery;
            } else {
                target.strPath =
                    RemoveDotSegments(ref.strPath[0] == '/' ? ref.strPath : MergePaths(base, ref.strPath));
                target.bQuery = ref.bQuery;
                target.strQuery = ref.strQuery;
            }
        }
        target.bFragment = ref.bFragment;
        target.strFragment = ref.strFragment;
    }
    return Join(target);
}

bool IsSameResource(const std::string& a, const std::string& b) {
    CUrlParts partsA = Split(a);
    CUrlParts partsB = Split(b);
    bool bBothHaveOrigins = partsA.bScheme && partsA.bAuthority && partsB.bScheme && partsB.bAuthority;
    if (bBothHaveOrigins && NormalOrigin(partsA) != NormalOrigin(partsB)) {
        return false;
    }
    return NormalPathAndQuery(partsA) == NormalPathAndQuery(partsB);
}

std::string UrlPath(const std::string& strUrl) {
    std::string strPath = Split(strUrl).strPath;
    return strPath.empty() ? "/" : strPath;
}

std::string UrlOrigin(const std::string& strUrl) {
    CUrlParts parts = Split(strUrl);
    if (!parts.bScheme || !parts.bAuthority) {
        return std::string();
    }
    std::string strHost, strPort;
    SplitAuthority(parts.strAuthority, strHost, strPort);
    return Lower(parts.strScheme) + "://" + Lower(strHost) + (strPort.empty() ? "" : ":" + strPort);
}

bool IsSameOrigin(const std::string& a, const std::string& b) {
    std::string strOrigin = ComparableOrigin(a);
    return !strOrigin.empty() && strOrigin == ComparableOrigin(b);
}

std::string DisplayUrl(const std::string& strUrl) {
    std::string strOut;
    strOut.reserve(strUrl.size());
    for (size_t i = 0; i < strUrl.size(); ++i) {
        int nHigh = strUrl[i] == '%' && i + 2 < strUrl.size() ? HexValue(strUrl[i + 1]) : -1;
        int nLow = nHigh >= 0 ? HexValue(strUrl[i + 2]) : -1;
        const unsigned char ch = static_cast<unsigned char>(nHigh * 16 + nLow);
        if (nLow < 0 || ch < 0x20 || ch == 0x7F || ch == '%' || ch == '/' || ch == '?' || ch == '#') {
            strOut += strUrl[i];
            continue;
        }
        strOut += static_cast<char>(ch);
        i += 2;
    }
    // Escaped bytes of another character set read as nothing a person could type: left as sent.
    return IsValidUtf8(strOut) ? strOut : strUrl;
}

std::string CompleteAddress(const std::string& strTyped) {
    size_t nFirst = strTyped.find_first_not_of(" \t");
    size_t nLast = strTyped.find_last_not_of(" \t");
    std::string strAddress =
        nFirst == std::string::npos ? std::string() : strTyped.substr(nFirst, nLast - nFirst + 1);
    if (!strAddress.empty() && strAddress.find("://") == std::string::npos) {
        strAddress = "https://" + strAddress;
    }
    return strAddress;
}
