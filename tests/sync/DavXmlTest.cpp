#include "sync/DavXml.h"
#include "sync/DavUrl.h"
#include "sync/XmlEvents.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Wine's XmlLite reads a character reference to a line break or tab as a space (Windows keeps
// the character); the one case that meets it expects what each reader gives.
bool IsWine() {
#ifdef _WIN32
    HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    return hNtdll && GetProcAddress(hNtdll, "wine_get_version");
#else
    return false;
#endif
}

// The events of a document as one line: "<{ns}name>" for a start, "[{ns}name=value]" for each
// of its attributes, "</>" for an end, texts as they come (pieces join up).
class CTrace : public IXmlHandler {
public:
    std::string m_str;
    void StartElement(const std::string& strNamespace, const std::string& strLocalName) override {
        m_str += "<{" + strNamespace + "}" + strLocalName + ">";
    }
    void Attribute(const std::string& strNamespace, const std::string& strLocalName,
                   const std::string& strValue) override {
        m_str += "[{" + strNamespace + "}" + strLocalName + "=" + strValue + "]";
    }
    void EndElement() override { m_str += "</>"; }
    void Text(const std::string& strUtf8) override { m_str += strUtf8; }
};

std::string Trace(const std::string& strXml) {
    CTrace trace;
    std::string strError;
    if (!ReadXmlEvents(strXml, trace, strError)) {
        return "error: " + strError;
    }
    return trace.m_str;
}

const char kRadicaleDiscovery[] =
    "<?xml version='1.0' encoding='utf-8'?>\n"
    "<multistatus xmlns=\"DAV:\" "
    "xmlns:CR=\"urn:ietf:params:xml:ns:carddav\"><response><href>/anna/contacts/</href>"
    "<propstat><prop><resourcetype><CR:addressbook /><collection /></resourcetype>"
    "<displayname>Kontakte &amp; "
    "mehr</displayname><current-user-principal><href>/anna/</href></current-user-principal>"
    "<supported-report-set><supported-report><report><expand-property /></report></supported-report>"
    "<supported-report><report><sync-collection /></report></supported-report></supported-report-set>"
    "<sync-token>http://radicale.org/ns/sync/c737</sync-token><getetag>\"006b\"</getetag></prop>"
    "<status>HTTP/1.1 200 OK</status></propstat>"
    "<propstat><prop><CR:addressbook-home-set /><getcontenttype>text/x-wrong</getcontenttype></prop>"
    "<status>HTTP/1.1 404 Not Found</status></propstat></response></multistatus>";

const char kXandikosPrincipal[] =
    "<ns0:multistatus xmlns:ns0=\"DAV:\" xmlns:ns1=\"urn:ietf:params:xml:ns:carddav\"><ns0:response>"
    "<ns0:href>/user/</ns0:href><ns0:propstat><ns0:status>HTTP/1.1 200 OK</ns0:status><ns0:prop>"
    "<ns0:resourcetype><ns0:principal /></ns0:resourcetype><ns0:current-user-principal><ns0:href>/user/"
    "</ns0:href></ns0:current-user-principal><ns1:addressbook-home-set><ns0:href>/user/contacts/</ns0:href>"
    "<ns0:href>/shared/</ns0:href></ns1:addressbook-home-set>"
    "<ns0:supported-report-set><ns0:supported-report><ns0:sync-collection /></ns0:supported-report>"
    "</ns0:supported-report-set></ns0:prop></ns0:propstat>"
    "<ns0:propstat><ns0:status>HTTP/1.1 404 Not "
    "Found</ns0:status><ns0:prop><ns0:getetag>\"stale\"</ns0:getetag>"
    "</ns0:prop></ns0:propstat></ns0:response></ns0:multistatus>";

} // namespace

// Any prefix, a default namespace, CDATA and references give the same events.
TEST(XmlEventsTest, EquivalentSpellingsGiveTheSameEvents) {
    const std::string strExpected = "<{DAV:}a><{urn:x}b>C&D</><{}c>[{}v=4.0][{urn:x}w=&]</></>";
    const char* spellings[] = {
        "<a xmlns='DAV:'><b xmlns='urn:x'>C&amp;D</b><c xmlns='' v='4.0' xmlns:y='urn:x' y:w='&amp;'/></a>",
        ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<d:a xmlns:d=\"DAV:\" "
         "xmlns:x=\"urn:x\"><x:b><![CDATA[C&D]]></x:b><c v=\"4.0\" x:w=\"&#38;\"/></d:a>\n"),
        "<!-- lead --><D:a xmlns:D='DAV:'><B:b xmlns:B='urn:x'>&#67;&#x26;<?pi x?>D</B:b><c v='4.0' "
        "xmlns:z='urn:x' z:w='&amp;'></c></D:a>",
    };
    for (const char* psz : spellings) {
        EXPECT_EQ(strExpected, Trace(psz)) << psz;
    }
}

TEST(XmlEventsTest, RefusesIllFormedDocumentsAndDtds) {
    const std::string strDeep = std::string(size_t(kMaxXmlDepth) + 1, '*');
    std::string strTooDeep;
    for (size_t i = 0; i <= size_t(kMaxXmlDepth); ++i) {
        strTooDeep += "<a>";
    }
    for (size_t i = 0; i <= size_t(kMaxXmlDepth); ++i) {
        strTooDeep += "</a>";
    }
    const std::string documents[] = {
        "",
        "just text",
        "<a><b></a></b>",
        "<a xmlns='DAV:'><response>",
        "<a>text",
        "<a><b/>tail",
        "<a><![CDATA[x",
        "<a><!-- c",
        "<p:a>undeclared prefix</p:a>",
        "<a/><b/>",
        "<!DOCTYPE a><a/>",
        "<?xml version='1.0'?><!DOCTYPE lolz [<!ENTITY lol 'lol'><!ENTITY lol2 '&lol;&lol;&lol;&lol;'>]>"
        "<lolz>&lol2;</lolz>",
        strTooDeep,
    };
    for (const std::string& str : documents) {
        CTrace trace;
        std::string strError;
        EXPECT_FALSE(ReadXmlEvents(str, trace, strError)) << str.substr(0, 80);
        EXPECT_FALSE(strError.empty()) << str.substr(0, 80);
        EXPECT_EQ(std::string::npos, trace.m_str.find("lollol")) << "an entity expanded";
    }
}

TEST(DavXmlTest, ReadsRadicaleCollectionIgnoringFailedPropstat) {
    CMultiStatus ms;
    std::string strError;
    ASSERT_TRUE(ParseMultiStatus(kRadicaleDiscovery, ms, strError)) << strError;
    ASSERT_EQ(1u, ms.resources.size());
    const CDavResource& r = ms.resources[0];
    EXPECT_EQ("/anna/contacts/", r.strHref);
    EXPECT_EQ(0, r.nStatus);
    EXPECT_TRUE(r.bCollection);
    EXPECT_TRUE(r.bAddressBook);
    EXPECT_EQ("Kontakte & mehr", r.strDisplayName);
    EXPECT_EQ("/anna/", r.strCurrentUserPrincipal);
    EXPECT_TRUE(r.bSupportsSyncCollection);
    EXPECT_EQ("http://radicale.org/ns/sync/c737", r.strSyncToken);
    EXPECT_EQ("\"006b\"", r.strEtag);
    EXPECT_EQ("", r.strContentType);
    EXPECT_TRUE(r.addressbookHomeSet.empty());
    EXPECT_EQ("", ms.strSyncToken);
}

TEST(DavXmlTest, ReadsXandikosPrincipalWithStatusBeforeProp) {
    CMultiStatus ms;
    std::string strError;
    ASSERT_TRUE(ParseMultiStatus(kXandikosPrincipal, ms, strError)) << strError;
    ASSERT_EQ(1u, ms.resources.size());
    const CDavResource& r = ms.resources[0];
    EXPECT_EQ("/user/", r.strCurrentUserPrincipal);
    EXPECT_EQ((std::vector<std::string>{"/user/contacts/", "/shared/"}), r.addressbookHomeSet);
    EXPECT_TRUE(r.bSupportsSyncCollection);
    EXPECT_FALSE(r.bCollection);
    EXPECT_FALSE(r.bAddressBook);
    EXPECT_EQ("", r.strEtag);
}

// Both servers' sync-collection answers: the token before or after the responses, a removed
// member as a response with its own 404 status, several hrefs sharing one status.
TEST(DavXmlTest, ReadsSyncCollectionChangesAndToken) {
    const char* bodies[] = {
        "<?xml version='1.0' encoding='utf-8'?>\n<multistatus xmlns=\"DAV:\"><sync-token>tok-2</sync-token>"
        "<response><href>/c/a1.vcf</href><propstat><prop><getetag>\"e1\"</getetag><getcontenttype>text/vcard;"
        "charset=utf-8</getcontenttype></prop><status>HTTP/1.1 200 OK</status></propstat></response>"
        "<response><href>/c/b2.vcf</href><status>HTTP/1.1 404 Not Found</status></response>"
        "<response><href>/c/c3.vcf</href><href>/c/d4.vcf</href><status>HTTP/1.1 404 Not "
        "Found</status></response>"
        "</multistatus>",
        "<ns0:multistatus xmlns:ns0=\"DAV:\">\n  <ns0:response>\n    <ns0:href> /c/a1.vcf </ns0:href>\n"
        "    <ns0:propstat><ns0:status>HTTP/1.1 200 OK</ns0:status>\n      <ns0:prop><ns0:getetag>\"e1\""
        "</ns0:getetag><ns0:getcontenttype>text/vcard;charset=utf-8</ns0:getcontenttype></ns0:prop>"
        "</ns0:propstat></ns0:response><ns0:response><ns0:href>/c/b2.vcf</ns0:href><ns0:status>HTTP/1.1 404 "
        "Not Found</ns0:status></ns0:response><ns0:response><ns0:href>/c/c3.vcf</ns0:href><ns0:href>/c/d4.vcf"
        "</ns0:href><ns0:status>HTTP/1.1 404 Not Found</ns0:status></ns0:response>\n"
        "  <ns0:sync-token>\n    tok-2\n  </ns0:sync-token>\n</ns0:multistatus>",
    };
    for (const char* psz : bodies) {
        CMultiStatus ms;
        std::string strError;
        ASSERT_TRUE(ParseMultiStatus(psz, ms, strError)) << strError;
        EXPECT_EQ("tok-2", ms.strSyncToken);
        ASSERT_EQ(4u, ms.resources.size());
        EXPECT_EQ("/c/a1.vcf", ms.resources[0].strHref);
        EXPECT_EQ(0, ms.resources[0].nStatus);
        EXPECT_EQ("\"e1\"", ms.resources[0].strEtag);
        EXPECT_EQ("text/vcard;charset=utf-8", ms.resources[0].strContentType);
        EXPECT_EQ("", ms.resources[0].strSyncToken);
        for (size_t i = 1; i < 4; ++i) {
            EXPECT_EQ(404, ms.resources[i].nStatus);
            EXPECT_EQ("", ms.resources[i].strEtag);
        }
        EXPECT_EQ("/c/d4.vcf", ms.resources[3].strHref);
    }
}

// A card arrives as escaped text (raw line breaks read as LF, as XML wants; an escaped CR stays)
// or as CDATA, indented or not.
TEST(DavXmlTest, ReadsAddressDataOfMultiget) {
    struct {
        const char* pszData;
        const char* pszCard;
    } cases[] = {
        {"BEGIN:VCARD\r\nFN:Anna &lt;&#xC4;rger&gt; &amp; Co\r\nEND:VCARD\r\n",
         "BEGIN:VCARD\nFN:Anna <\xC3\x84rger> & Co\nEND:VCARD\n"},
        {"BEGIN:VCARD&#13;\nFN:Bert&#13;\nEND:VCARD&#13;\n",
         IsWine() ? "BEGIN:VCARD \nFN:Bert \nEND:VCARD \n" : "BEGIN:VCARD\r\nFN:Bert\r\nEND:VCARD\r\n"},
        {"\n      <![CDATA[BEGIN:VCARD\r\nFN:<Cem>\r\nEND:VCARD\r\n]]>",
         "BEGIN:VCARD\nFN:<Cem>\nEND:VCARD\n"},
    };
    for (const auto& c : cases) {
        std::string strBody =
            std::string("<D:multistatus xmlns:D='DAV:'><D:response><D:href>/c/a.vcf</D:href>"
                        "<D:propstat><D:prop><D:getetag>W/\"7\"</D:getetag>"
                        "<address-data xmlns='urn:ietf:params:xml:ns:carddav'>") +
            c.pszData +
            "</address-data></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
            "</D:response></D:multistatus>";
        CMultiStatus ms;
        std::string strError;
        ASSERT_TRUE(ParseMultiStatus(strBody, ms, strError)) << strError;
        ASSERT_EQ(1u, ms.resources.size());
        EXPECT_EQ(c.pszCard, ms.resources[0].strAddressData);
        EXPECT_EQ("W/\"7\"", ms.resources[0].strEtag);
    }
}

// What the rest of the sync relies on to never read an answer cut short as deletions, and to
// ask for cards in the version the server keeps them in.
TEST(DavXmlTest, ReadsTruncationAndTheCardVersionsTaken) {
    const std::string strHead = "<d:multistatus xmlns:d='DAV:' xmlns:c='urn:ietf:params:xml:ns:carddav'>";
    const std::string strCard = "<d:response><d:href>/c/a.vcf</d:href><d:propstat><d:prop><d:getetag>\"1\""
                                "</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
    auto book = [](const std::string& strTypes) {
        return "<d:response><d:href>/c/</d:href><d:propstat><d:prop><c:supported-address-data>" + strTypes +
               "</c:supported-address-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
    };
    struct {
        const char* pszName;
        std::string strBody;
        bool bTruncated, bVCard4;
    } cases[] = {
        {"whole", strHead + strCard + "</d:multistatus>", false, false},
        {"507 for the collection",
         strHead + strCard + "<d:response><d:href>/c/</d:href><d:status>HTTP/1.1 507 Insufficient Storage"
                             "</d:status><d:error><d:number-of-matches-within-limits/></d:error></d:response>"
                             "<d:sync-token>t2</d:sync-token></d:multistatus>",
         true, false},
        {"limit said without 507",
         strHead + "<d:response><d:href>/c/</d:href><d:status>HTTP/1.1 200 OK</d:status><d:error>"
                   "<d:number-of-matches-within-limits/></d:error></d:response>" + strCard + "</d:multistatus>",
         true, false},
        {"3.0 and 4.0",
         strHead + book("<c:address-data-type content-type='text/vcard' version='3.0'/>"
                        "<c:address-data-type content-type='TEXT/VCARD' version='4.0'/>") + "</d:multistatus>",
         false, true},
        {"defaults mean 3.0", strHead + book("<c:address-data-type/>") + "</d:multistatus>", false, false},
        {"4.0 of another type",
         strHead + book("<c:address-data-type content-type='application/vcard+json' version='4.0'/>") +
             "</d:multistatus>",
         false, false},
    };
    for (const auto& c : cases) {
        CMultiStatus ms;
        std::string strError;
        ASSERT_TRUE(ParseMultiStatus(c.strBody, ms, strError)) << c.pszName << ": " << strError;
        EXPECT_EQ(c.bTruncated, ms.bTruncated) << c.pszName;
        bool bVCard4 = false;
        for (const CDavResource& resource : ms.resources) {
            bVCard4 = bVCard4 || resource.bTakesVCard4;
        }
        EXPECT_EQ(c.bVCard4, bVCard4) << c.pszName;
    }
}

TEST(DavXmlTest, RefusesWhatIsNotAMultistatus) {
    const char* bodies[] = {
        "<error xmlns=\"DAV:\"><valid-sync-token /></error>",
        "<multistatus><response><href>/a</href></response></multistatus>", // no namespace
        "<d:multistatus xmlns:d='DAV:'><d:response><d:href>/a</d:href></d:response>",
        "<html><body>Server got itself in trouble</body></html>",
    };
    for (const char* psz : bodies) {
        CMultiStatus ms;
        std::string strError;
        EXPECT_FALSE(ParseMultiStatus(psz, ms, strError)) << psz;
        EXPECT_FALSE(strError.empty());
        EXPECT_TRUE(ms.resources.empty());
    }
}

// What is sent reads back with the intended names and texts, whatever the values hold.
TEST(DavXmlTest, RequestBodiesReadBackAsIntended) {
    const std::string strD = "{DAV:}", strC = "{urn:ietf:params:xml:ns:carddav}";
    struct {
        std::string strBody, strExpected;
    } cases[] = {
        {PropfindDiscoveryBody(),
         "<" + strD + "propfind><" + strD + "prop><" + strD + "resourcetype></><" + strD +
             "displayname></><" + strD + "current-user-principal></><" + strC + "addressbook-home-set></><" +
             strC + "supported-address-data></><" + strD + "supported-report-set></><" + strD +
             "sync-token></><" + strD + "getetag></></></>"},
        {PropfindEtagsBody(), "<" + strD + "propfind><" + strD + "prop><" + strD + "getetag></><" + strD +
                                  "getcontenttype></><" + strD + "resourcetype></></></>"},
        {SyncCollectionBody(""), "<" + strD + "sync-collection><" + strD + "sync-token></><" + strD +
                                     "sync-level>1</><" + strD + "prop><" + strD + "getetag></><" + strD +
                                     "getcontenttype></></></>"},
        {SyncCollectionBody("http://x/s?a=1&b=<2>"), "http://x/s?a=1&b=<2>"},
        {MultigetBody({"/c/a&b.vcf", "/c/<\"it's\">.vcf"}),
         "<" + strC + "addressbook-multiget><" + strD + "prop><" + strD + "getetag></><" + strC +
             "address-data></></><" + strD + "href>/c/a&b.vcf</><" + strD + "href>/c/<\"it's\">.vcf</></>"},
        {MultigetBody({"/c/a.vcf"}, true),
         "<" + strC + "address-data>[{}content-type=text/vcard][{}version=4.0]</></><" + strD + "href>/c/a.vcf"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(0u, c.strBody.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0));
        std::string strTrace = Trace(c.strBody);
        // Only the element texts count, not the indentation between elements.
        std::string strCompact;
        for (size_t i = 0; i < strTrace.size(); ++i) {
            if (strTrace[i] != '\n' && !(strTrace[i] == ' ' && strCompact.back() == '>')) {
                strCompact += strTrace[i];
            }
        }
        EXPECT_NE(std::string::npos, strCompact.find(c.strExpected)) << strCompact;
    }
}

TEST(DavUrlTest, ResolvesHrefsAgainstTheRequestUrl) {
    struct {
        const char *pszBase, *pszHref, *pszUrl;
    } cases[] = {
        {"https://dav.example:8443/dav/anna/", "/dav/anna/contacts/",
         "https://dav.example:8443/dav/anna/contacts/"},
        {"https://dav.example/dav/anna/", "contacts/a1.vcf", "https://dav.example/dav/anna/contacts/a1.vcf"},
        {"https://dav.example/dav/anna", "contacts/", "https://dav.example/dav/contacts/"},
        {"https://dav.example/dav/anna/", "../bert/", "https://dav.example/dav/bert/"},
        {"https://dav.example/dav/anna/", "http://other.example/x/./y/../z", "http://other.example/x/z"},
        {"https://dav.example/dav/", "//cdn.example/a", "https://cdn.example/a"},
        {"https://dav.example", "a.vcf", "https://dav.example/a.vcf"},
        {"http://a/b/c/d;p?q", "../../../g", "http://a/g"},
        {"http://a/b/c/d;p?q", ".", "http://a/b/c/"},
        {"http://a/b/c/d;p?q", "?y", "http://a/b/c/d;p?y"},
        {"http://a/b/c/d;p?q", "g?y#s", "http://a/b/c/g?y#s"},
        {"http://a/b/c/d;p?q", "", "http://a/b/c/d;p?q"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pszUrl, ResolveHref(c.pszBase, c.pszHref)) << c.pszBase << " + " << c.pszHref;
    }
}

TEST(DavUrlTest, ComparesSpellingsOfOneResource) {
    struct {
        const char *a, *b;
        bool bSame;
    } cases[] = {
        {"HTTPS://Dav.Example:443/dav/anna/", "https://dav.example/dav/anna", true},
        {"http://dav.example:80/a%7Eb/%2d", "http://dav.example/a~b/-", true},
        {"/dav/a%2fb/", "https://dav.example/dav/a%2Fb", true},
        {"/dav/anna/contacts/", "/dav/anna/contacts", true},
        {"https://dav.example/dav/a%2Fb", "https://dav.example/dav/a/b", false},
        {"https://dav.example:8443/dav/", "https://dav.example/dav/", false},
        {"http://dav.example/dav/", "https://dav.example/dav/", false},
        {"/dav/Anna/", "/dav/anna/", false},
        {"/dav/a.vcf?x=1", "/dav/a.vcf", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.bSame, IsSameResource(c.a, c.b)) << c.a << " vs " << c.b;
        EXPECT_EQ(c.bSame, IsSameResource(c.b, c.a)) << c.b << " vs " << c.a;
    }
}

TEST(DavUrlTest, SplitsOriginAndPath) {
    struct {
        const char *pszUrl, *pszOrigin, *pszPath;
    } cases[] = {
        {"https://anna:pw@Dav.Example:8443/dav/anna/contacts/?x#y", "https://dav.example:8443",
         "/dav/anna/contacts/"},
        {"http://[::1]:5232", "http://[::1]:5232", "/"},
        {"/dav/anna/", "", "/dav/anna/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pszOrigin, UrlOrigin(c.pszUrl)) << c.pszUrl;
        EXPECT_EQ(c.pszPath, UrlPath(c.pszUrl)) << c.pszUrl;
    }
}

TEST(DavUrlTest, ShowsEscapedTextAsText) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://dav.example/anna/My%20Contacts/", "https://dav.example/anna/My Contacts/"},
        {"https://dav.example/anna/Kontakte%20B%C3%BCro/", "https://dav.example/anna/Kontakte Büro/"},
        // Escapes that change what the URL names, or hide a control character, stay.
        {"/a%2Fb%3Fc%23d%25e%0Af", "/a%2Fb%3Fc%23d%25e%0Af"},
        // Bytes of another character set are not UTF-8: the URL is shown as it was sent.
        {"/B%FCro/", "/B%FCro/"},
        {"/cut%C3", "/cut%C3"},
        {"/odd%zz%4", "/odd%zz%4"},
    };
    for (const auto& [pszUrl, pszShown] : cases) {
        EXPECT_EQ(pszShown, DisplayUrl(pszUrl)) << pszUrl;
    }
}
