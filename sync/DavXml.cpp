#include "DavXml.h"

#include "XmlEvents.h"

#include <bitset>

namespace {

const char kDav[] = "DAV:";
const char kCardDav[] = "urn:ietf:params:xml:ns:carddav";

// Where an element stands in a multistatus. Each kind decides what its children are; an element
// the reader does not know, and everything inside it, is Skip.
enum class Node {
    Skip,
    MultiStatus,
    ReportSyncToken,
    Response,
    ResponseHref,
    ResponseStatus,
    PropStat,
    PropStatStatus,
    Prop,
    GetEtag,
    GetContentType,
    DisplayName,
    AddressData,
    PropSyncToken,
    ResourceType,
    CurrentUserPrincipal,
    PrincipalHref,
    HomeSet,
    HomeSetHref,
    SupportedReportSet,
    SupportedAddressData,
    AddressDataType,
    ResponseError,
    Count
};

using CNodeSet = std::bitset<static_cast<size_t>(Node::Count)>;

bool IsText(Node node) {
    switch (node) {
    case Node::ReportSyncToken:
    case Node::ResponseHref:
    case Node::ResponseStatus:
    case Node::PropStatStatus:
    case Node::GetEtag:
    case Node::GetContentType:
    case Node::DisplayName:
    case Node::AddressData:
    case Node::PropSyncToken:
    case Node::PrincipalHref:
    case Node::HomeSetHref: return true;
    default: return false;
    }
}

struct CChildRule {
    Node parent;
    const char* pszNamespace;
    const char* pszLocalName;
    Node child;
};

const CChildRule kChildRules[] = {
    {Node::MultiStatus, kDav, "response", Node::Response},
    {Node::MultiStatus, kDav, "sync-token", Node::ReportSyncToken},
    {Node::Response, kDav, "href", Node::ResponseHref},
    {Node::Response, kDav, "status", Node::ResponseStatus},
    {Node::Response, kDav, "propstat", Node::PropStat},
    {Node::Response, kDav, "error", Node::ResponseError},
    {Node::PropStat, kDav, "status", Node::PropStatStatus},
    {Node::PropStat, kDav, "prop", Node::Prop},
    {Node::Prop, kDav, "getetag", Node::GetEtag},
    {Node::Prop, kDav, "getcontenttype", Node::GetContentType},
    {Node::Prop, kDav, "displayname", Node::DisplayName},
    {Node::Prop, kDav, "sync-token", Node::PropSyncToken},
    {Node::Prop, kDav, "resourcetype", Node::ResourceType},
    {Node::Prop, kDav, "current-user-principal", Node::CurrentUserPrincipal},
    {Node::Prop, kDav, "supported-report-set", Node::SupportedReportSet},
    {Node::Prop, kCardDav, "address-data", Node::AddressData},
    {Node::Prop, kCardDav, "addressbook-home-set", Node::HomeSet},
    {Node::Prop, kCardDav, "supported-address-data", Node::SupportedAddressData},
    {Node::SupportedAddressData, kCardDav, "address-data-type", Node::AddressDataType},
    {Node::CurrentUserPrincipal, kDav, "href", Node::PrincipalHref},
    {Node::HomeSet, kDav, "href", Node::HomeSetHref},
};

Node ChildOf(Node parent, const std::string& strNamespace, const std::string& strLocalName) {
    for (const CChildRule& rule : kChildRules) {
        if (rule.parent == parent && strNamespace == rule.pszNamespace && strLocalName == rule.pszLocalName) {
            return rule.child;
        }
    }
    return Node::Skip;
}

bool EqualsIgnoringCase(const std::string& str, const char* psz) {
    size_t i = 0;
    for (; i < str.size() && psz[i] != '\0'; ++i) {
        char ch = str[i] >= 'A' && str[i] <= 'Z' ? static_cast<char>(str[i] - 'A' + 'a') : str[i];
        if (ch != psz[i]) {
            return false;
        }
    }
    return i == str.size() && psz[i] == '\0';
}

bool IsXmlSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

std::string Trimmed(const std::string& str) {
    size_t nBegin = 0, nEnd = str.size();
    while (nBegin < nEnd && IsXmlSpace(str[nBegin])) {
        ++nBegin;
    }
    while (nEnd > nBegin && IsXmlSpace(str[nEnd - 1])) {
        --nEnd;
    }
    return str.substr(nBegin, nEnd - nBegin);
}

// The code of a status line ("HTTP/1.1 404 Not Found"), or 0 when it holds none.
int StatusCode(const std::string& strLine) {
    std::string str = Trimmed(strLine);
    size_t nSpace = str.find(' ');
    if (nSpace == std::string::npos || str.size() < nSpace + 4) {
        return 0;
    }
    int nCode = 0;
    for (size_t i = nSpace + 1; i < nSpace + 4; ++i) {
        if (str[i] < '0' || str[i] > '9') {
            return 0;
        }
        nCode = nCode * 10 + (str[i] - '0');
    }
    bool bEndsThere = str.size() == nSpace + 4 || str[nSpace + 4] == ' ';
    return bEndsThere ? nCode : 0;
}

// Copies the properties one successful propstat found onto what the response has so far.
void TakeProperties(CDavResource& target, CDavResource& found, const CNodeSet& seen) {
    for (size_t i = 0; i < seen.size(); ++i) {
        if (!seen[i]) {
            continue;
        }
        switch (static_cast<Node>(i)) {
        case Node::GetEtag: target.strEtag = std::move(found.strEtag); break;
        case Node::GetContentType: target.strContentType = std::move(found.strContentType); break;
        case Node::DisplayName: target.strDisplayName = std::move(found.strDisplayName); break;
        case Node::AddressData: target.strAddressData = std::move(found.strAddressData); break;
        case Node::PropSyncToken: target.strSyncToken = std::move(found.strSyncToken); break;
        case Node::CurrentUserPrincipal:
            target.strCurrentUserPrincipal = std::move(found.strCurrentUserPrincipal);
            break;
        case Node::ResourceType:
            target.bCollection = found.bCollection;
            target.bAddressBook = found.bAddressBook;
            break;
        case Node::SupportedReportSet: target.bSupportsSyncCollection = found.bSupportsSyncCollection; break;
        case Node::SupportedAddressData: target.bTakesVCard4 = found.bTakesVCard4; break;
        case Node::HomeSet:
            for (std::string& strHref : found.addressbookHomeSet) {
                target.addressbookHomeSet.push_back(std::move(strHref));
            }
            break;
        default: break;
        }
    }
}

class CMultiStatusReader : public IXmlHandler {
public:
    explicit CMultiStatusReader(CMultiStatus& result) : m_result(result) {}

    bool IsMultiStatus() const { return m_bRootIsMultiStatus; }

    void StartElement(const std::string& strNamespace, const std::string& strLocalName) override {
        Node node = Node::Skip;
        if (m_stack.empty()) {
            m_bRootIsMultiStatus = strNamespace == kDav && strLocalName == "multistatus";
            node = m_bRootIsMultiStatus ? Node::MultiStatus : Node::Skip;
        } else if (m_stack.back() == Node::ResourceType) {
            NoteResourceType(strNamespace, strLocalName);
        } else if (m_stack.back() == Node::SupportedReportSet) {
            // Servers write the report inside DAV:report or straight in DAV:supported-report;
            // anywhere below the set, its name is what counts.
            node = Node::SupportedReportSet;
            if (strNamespace == kDav && strLocalName == "sync-collection") {
                m_found.bSupportsSyncCollection = true;
            }
        } else if (m_stack.back() == Node::ResponseError) {
            node = Node::ResponseError;
            if (strNamespace == kDav && strLocalName == "number-of-matches-within-limits") {
                m_response.bTruncated = true;
            }
        } else {
            node = ChildOf(m_stack.back(), strNamespace, strLocalName);
        }
        Begin(node);
        m_stack.push_back(node);
    }

    void Attribute(const std::string& strNamespace, const std::string& strLocalName,
                   const std::string& strValue) override {
        if (m_stack.empty() || m_stack.back() != Node::AddressDataType || !strNamespace.empty()) {
            return;
        }
        if (strLocalName == "content-type") {
            m_strDataType = strValue;
        } else if (strLocalName == "version") {
            m_strDataVersion = strValue;
        }
    }

    void EndElement() override {
        if (m_stack.empty()) {
            return;
        }
        Node node = m_stack.back();
        m_stack.pop_back();
        End(node);
    }

    void Text(const std::string& strUtf8) override {
        if (!m_stack.empty() && IsText(m_stack.back())) {
            m_strText += strUtf8;
        }
    }

private:
    void NoteResourceType(const std::string& strNamespace, const std::string& strLocalName) {
        if (strNamespace == kDav && strLocalName == "collection") {
            m_found.bCollection = true;
        } else if (strNamespace == kCardDav && strLocalName == "addressbook") {
            m_found.bAddressBook = true;
        }
    }

    void Begin(Node node) {
        if (IsText(node)) {
            m_strText.clear();
        }
        switch (node) {
        case Node::Response:
            m_response = CDavResource();
            m_hrefs.clear();
            break;
        case Node::AddressDataType:
            // The attributes' defaults (RFC 6352): text/vcard, version 3.0.
            m_strDataType = "text/vcard";
            m_strDataVersion = "3.0";
            break;
        case Node::PropStat:
            m_found = CDavResource();
            m_seen.reset();
            m_nPropStatStatus = 0;
            break;
        default: break;
        }
    }

    void End(Node node) {
        switch (node) {
        case Node::ReportSyncToken: m_result.strSyncToken = Trimmed(m_strText); break;
        case Node::ResponseHref: m_hrefs.push_back(Trimmed(m_strText)); break;
        case Node::ResponseStatus: m_response.nStatus = StatusCode(m_strText); break;
        case Node::PropStatStatus: m_nPropStatStatus = StatusCode(m_strText); break;
        case Node::GetEtag: m_found.strEtag = Trimmed(m_strText); break;
        case Node::GetContentType: m_found.strContentType = Trimmed(m_strText); break;
        case Node::DisplayName: m_found.strDisplayName = Trimmed(m_strText); break;
        case Node::PropSyncToken: m_found.strSyncToken = Trimmed(m_strText); break;
        case Node::PrincipalHref: m_found.strCurrentUserPrincipal = Trimmed(m_strText); break;
        case Node::HomeSetHref: m_found.addressbookHomeSet.push_back(Trimmed(m_strText)); break;
        case Node::AddressData: {
            // A pretty-printing server indents the card; the card itself starts at its first letter.
            size_t nStart = 0;
            while (nStart < m_strText.size() && IsXmlSpace(m_strText[nStart])) {
                ++nStart;
            }
            m_found.strAddressData = m_strText.substr(nStart);
            break;
        }
        case Node::AddressDataType:
            if (EqualsIgnoringCase(Trimmed(m_strDataType), "text/vcard") && Trimmed(m_strDataVersion) == "4.0") {
                m_found.bTakesVCard4 = true;
            }
            break;
        case Node::PropStat:
            if (m_nPropStatStatus >= 200 && m_nPropStatStatus < 300) {
                TakeProperties(m_response, m_found, m_seen);
            }
            break;
        case Node::Response:
            m_response.bTruncated = m_response.bTruncated || m_response.nStatus == 507;
            m_result.bTruncated = m_result.bTruncated || m_response.bTruncated;
            if (m_hrefs.size() == 1) {
                m_response.strHref = std::move(m_hrefs.front());
                m_result.resources.push_back(std::move(m_response));
            } else {
                // Several hrefs share one status and carry no properties.
                for (std::string& strHref : m_hrefs) {
                    CDavResource resource;
                    resource.strHref = std::move(strHref);
                    resource.nStatus = m_response.nStatus;
                    resource.bTruncated = m_response.bTruncated;
                    m_result.resources.push_back(std::move(resource));
                }
            }
            break;
        default: break;
        }
        if (!m_stack.empty() && m_stack.back() == Node::Prop && node != Node::Skip) {
            m_seen.set(static_cast<size_t>(node));
        }
    }

    CMultiStatus& m_result;
    std::vector<Node> m_stack;
    bool m_bRootIsMultiStatus = false;
    std::string m_strText;
    CDavResource m_response;          // the properties of the response being read
    std::vector<std::string> m_hrefs; // of the response being read
    CDavResource m_found;             // the properties of the propstat being read
    CNodeSet m_seen;                  // which properties that propstat held
    int m_nPropStatStatus = 0;
    std::string m_strDataType, m_strDataVersion; // of the address-data-type being read
};

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

} // namespace

bool ParseMultiStatus(const std::string& strBody, CMultiStatus& result, std::string& strError) {
    result = CMultiStatus();
    CMultiStatusReader reader(result);
    if (!ReadXmlEvents(strBody, reader, strError)) {
        result = CMultiStatus();
        return false;
    }
    if (!reader.IsMultiStatus()) {
        result = CMultiStatus();
        strError = "the answer is not a DAV multistatus";
        return false;
    }
    return true;
}

std::string EscapeXml(const std::string& str) {
    std::string strOut;
    strOut.reserve(str.size());
    for (char ch : str) {
        switch (ch) {
        case '&': strOut += "&amp;"; break;
        case '<': strOut += "&lt;"; break;
        case '>': strOut += "&gt;"; break;
        case '"': strOut += "&quot;"; break;
        case '\'': strOut += "&apos;"; break;
        default: strOut += ch; break;
        }
    }
    return strOut;
}

std::string PropfindDiscoveryBody() {
    return std::string(kDeclaration) +
           R"(<d:propfind xmlns:d="DAV:" xmlns:card="urn:ietf:params:xml:ns:carddav">
  <d:prop>
    <d:resourcetype/>
    <d:displayname/>
    <d:current-user-principal/>
    <card:addressbook-home-set/>
    <card:supported-address-data/>
    <d:supported-report-set/>
    <d:sync-token/>
    <d:getetag/>
  </d:prop>
</d:propfind>
)";
}

std::string PropfindEtagsBody() {
    return std::string(kDeclaration) + R"(<d:propfind xmlns:d="DAV:">
  <d:prop>
    <d:getetag/>
    <d:getcontenttype/>
    <d:resourcetype/>
  </d:prop>
</d:propfind>
)";
}

std::string SyncCollectionBody(const std::string& strToken) {
    std::string strTokenElement =
        strToken.empty() ? "<d:sync-token/>" : "<d:sync-token>" + EscapeXml(strToken) + "</d:sync-token>";
    return std::string(kDeclaration) + "<d:sync-collection xmlns:d=\"DAV:\">\n  " + strTokenElement + R"(
  <d:sync-level>1</d:sync-level>
  <d:prop>
    <d:getetag/>
    <d:getcontenttype/>
  </d:prop>
</d:sync-collection>
)";
}

std::string MultigetBody(const std::vector<std::string>& hrefs, bool bVCard4) {
    std::string strBody =
        std::string(kDeclaration) +
        R"(<card:addressbook-multiget xmlns:d="DAV:" xmlns:card="urn:ietf:params:xml:ns:carddav">
  <d:prop>
    <d:getetag/>
    )" + (bVCard4 ? R"(<card:address-data content-type="text/vcard" version="4.0"/>)" : "<card:address-data/>") +
        R"(
  </d:prop>
)";
    for (const std::string& strHref : hrefs) {
        strBody += "  <d:href>" + EscapeXml(strHref) + "</d:href>\n";
    }
    strBody += "</card:addressbook-multiget>\n";
    return strBody;
}
