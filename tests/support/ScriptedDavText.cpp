#include "ScriptedDavText.h"

#include "sync/DavXml.h"

namespace ScriptedDavText {

std::string Trim(const std::string& str) {
    size_t nBegin = str.find_first_not_of(" \t\r\n");
    return nBegin == std::string::npos ? std::string()
                                       : str.substr(nBegin, str.find_last_not_of(" \t\r\n") + 1 - nBegin);
}

std::string StatusLine(int nStatus) {
    const char* pszReason = nStatus == 200   ? "OK"
                            : nStatus == 201 ? "Created"
                            : nStatus == 204 ? "No Content"
                            : nStatus == 207 ? "Multi-Status"
                            : nStatus == 301 ? "Moved Permanently"
                            : nStatus == 400 ? "Bad Request"
                            : nStatus == 403 ? "Forbidden"
                            : nStatus == 404 ? "Not Found"
                            : nStatus == 405 ? "Method Not Allowed"
                            : nStatus == 409 ? "Conflict"
                            : nStatus == 412 ? "Precondition Failed"
                            : nStatus == 507 ? "Insufficient Storage"
                                             : "Status";
    return "HTTP/1.1 " + std::to_string(nStatus) + " " + pszReason;
}

CHttpResponse Status(int nStatus) {
    CHttpResponse response;
    response.nStatus = nStatus;
    return response;
}

CHttpResponse Error(int nStatus, const std::string& strInnerXml) {
    CHttpResponse response = Status(nStatus);
    response.headers.emplace_back("Content-Type", "application/xml; charset=utf-8");
    response.strBody = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<d:error xmlns:d=\"DAV:\" xmlns:card=\"urn:ietf:params:xml:ns:carddav\">" +
                       strInnerXml + "</d:error>\n";
    return response;
}

std::string Href(const std::string& strPath) {
    static const char s_szHex[] = "0123456789ABCDEF";
    std::string strHref;
    for (char ch : strPath) {
        unsigned char by = static_cast<unsigned char>(ch);
        bool bPlain = (by >= 'a' && by <= 'z') || (by >= 'A' && by <= 'Z') || (by >= '0' && by <= '9') ||
                      std::string("/-._~@").find(ch) != std::string::npos;
        strHref += bPlain ? std::string(1, ch) : std::string{'%', s_szHex[by >> 4], s_szHex[by & 15]};
    }
    return strHref; // nothing left for XML to escape
}

std::string Unescape(const std::string& strPath) {
    auto hex = [](char ch) {
        return ch >= '0' && ch <= '9'   ? ch - '0'
               : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
               : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                        : -1;
    };
    std::string strOut;
    for (size_t i = 0; i < strPath.size(); ++i) {
        if (strPath[i] == '%' && i + 2 < strPath.size() && hex(strPath[i + 1]) >= 0 &&
            hex(strPath[i + 2]) >= 0) {
            strOut += static_cast<char>(hex(strPath[i + 1]) * 16 + hex(strPath[i + 2]));
            i += 2;
        } else {
            strOut += strPath[i];
        }
    }
    return strOut;
}

std::string CardXml(const std::string& strCard) {
    std::string strEscaped = EscapeXml(strCard), strOut;
    for (char ch : strEscaped) {
        strOut += ch == '\r' ? std::string("&#13;") : std::string(1, ch);
    }
    return strOut;
}

namespace {

const char kResponseStart[] = "<d:response><d:href>";
const char kResponseEnd[] = "</d:response>\n";

} // namespace

std::vector<std::string> ResponseHrefs(const std::string& strBody) {
    std::vector<std::string> hrefs;
    for (size_t n = strBody.find(kResponseStart); n != std::string::npos;
         n = strBody.find(kResponseStart, n + 1)) {
        size_t nHref = n + sizeof(kResponseStart) - 1;
        hrefs.push_back(strBody.substr(nHref, strBody.find("</d:href>", nHref) - nHref));
    }
    return hrefs;
}

void DropResponses(std::string& strBody, const std::function<bool(const std::string& strHref)>& pick) {
    std::vector<std::string> hrefs = ResponseHrefs(strBody);
    size_t n = strBody.find(kResponseStart);
    for (const std::string& strHref : hrefs) {
        size_t nEnd = strBody.find(kResponseEnd, n) + sizeof(kResponseEnd) - 1;
        if (pick(strHref)) {
            strBody.erase(n, nEnd - n);
            nEnd = n;
        }
        n = strBody.find(kResponseStart, nEnd);
    }
}

} // namespace ScriptedDavText
