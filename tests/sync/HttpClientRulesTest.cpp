// The rules the real transport keeps whatever a server does: the pinned certificate on every
// connection, the account only where it belongs, no redirect followed, answers read to a limit and
// whole. Against the servers of tests/sync/transport_servers.py (a TLS relay, a recording server,
// answers without end or cut short), started by CTest; natively over libcurl, under Wine over
// WinHTTP.
#include "sync/HttpClient.h"

#include "support/DavServers.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::map<std::string, std::string> ReadTransportServers() {
    std::map<std::string, std::string> values;
    std::ifstream file(TBOOK_TRANSPORT_SERVERS_ENV);
    std::string strLine;
    while (std::getline(file, strLine)) {
        size_t nEquals = strLine.find('=');
        if (nEquals != std::string::npos) {
            values[strLine.substr(0, nEquals)] = strLine.substr(nEquals + 1);
        }
    }
    return values;
}

// Wine's WinHTTP (8.0, measured) ends a chunked answer whose connection closed mid-chunk as if it
// were whole, and shows nothing of it to its caller; Windows reports the broken connection.
bool IsWine() {
#ifdef _WIN32
    HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    return hNtdll && GetProcAddress(hNtdll, "wine_get_version");
#else
    return false;
#endif
}

std::string Unique(const char* pszPrefix) {
    return pszPrefix + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

class HttpClientRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_servers = ReadTransportServers();
        m_dav = ReadDavServers();
        ASSERT_FALSE(m_servers["CONTROL_URL"].empty())
            << "no servers: run tests/sync/transport_servers.py start, which writes "
            << TBOOK_TRANSPORT_SERVERS_ENV;
        ASSERT_FALSE(m_dav["RADICALE_TLS_URL"].empty()) << "no CardDAV servers";
    }

    static CHttpOptions Account(const std::string& strOrigin) {
        CHttpOptions options;
        options.strUser = "anna";
        options.strPassword = "secret-anna";
        options.strCredentialOrigin = strOrigin;
        options.nTimeoutSeconds = 10;
        return options;
    }

    // What the servers saw, from their control port (over a transport of its own, without account).
    std::string Control(const char* pszAction) {
        CHttpResponse response =
            MakeHttpTransport(CHttpOptions())->Send({"GET", m_servers["CONTROL_URL"] + pszAction, {}, ""});
        EXPECT_EQ(200, response.nStatus) << pszAction << ": " << response.strFailure;
        return response.strBody;
    }

    // The recording server's requests since its reset: "PORT METHOD PATH AUTHORIZATION", with the
    // ports given as the names of their origins.
    std::vector<std::string> RecordedRequests() {
        std::istringstream log(Control("recorder/log"));
        std::vector<std::string> requests;
        std::string strLine;
        while (std::getline(log, strLine)) {
            for (const char* pszName : {"RECORDER_URL", "RECORDER_OTHER_URL", "RECORDER_TLS_URL"}) {
                std::string strUrl = m_servers[pszName];
                std::string strPort = strUrl.substr(strUrl.rfind(':') + 1);
                strPort.pop_back(); // the URL's closing slash
                if (strLine.compare(0, strPort.size() + 1, strPort + " ") == 0) {
                    strLine = std::string(pszName) + strLine.substr(strPort.size());
                }
            }
            requests.push_back(strLine);
        }
        return requests;
    }

    std::map<std::string, std::string> m_servers, m_dav;
};

const char* const kBasicAnna = "Basic YW5uYTpzZWNyZXQtYW5uYQ=="; // anna:secret-anna

// The relay passes the first connection through to radicale-tls, whose certificate is pinned, and
// answers every later one with a certificate of its own, recording what it is sent. A request on
// such a connection must fail before its account or its card leave.
TEST_F(HttpClientRulesTest, PinnedCertificateIsComparedBeforeAnythingIsSent) {
    Control("relay/reset");
    const std::string strBook = m_servers["RELAY_URL"] + "anna/contacts/";
    CHttpOptions options = Account(m_servers["RELAY_URL"]);
    options.strTrustedCertificateSha256 = m_dav["RADICALE_TLS_SHA256"];
    std::unique_ptr<IHttpTransport> pTransport = MakeHttpTransport(options);

    std::string strUid = Unique("relay-");
    std::string strCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + strUid + "\r\nFN:Anna\r\nEND:VCARD\r\n";
    CHttpResponse first = pTransport->Send(
        {"PUT", strBook + strUid + ".vcf", {{"Content-Type", "text/vcard; charset=utf-8"}}, strCard});
    EXPECT_EQ(HttpFailure::none, first.failure) << first.strFailure;
    EXPECT_EQ(201, first.nStatus) << first.strBody;

    Control("relay/drop");
    const std::string strMarker = "Recognisable-Card-" + strUid;
    CHttpResponse second = pTransport->Send(
        {"PUT",
         strBook + strUid + "-2.vcf",
         {{"Content-Type", "text/vcard; charset=utf-8"}},
         "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + strMarker + "\r\nFN:" + strMarker + "\r\nEND:VCARD\r\n"});
    EXPECT_EQ(HttpFailure::untrustedCertificate, second.failure) << second.strFailure;
    EXPECT_EQ(m_servers["RELAY_SHA256"], second.strCertificateSha256);

    std::string strRecorded = Control("relay/recorded");
    std::string strHead = strRecorded.substr(0, strRecorded.find('\n'));
    EXPECT_NE("later-connections 0", strHead) << "the second request never reached the relay";
    std::string strBytes = strRecorded.substr(strHead.size() + 1);
    EXPECT_EQ(std::string::npos, strBytes.find("Authorization"));
    EXPECT_EQ(std::string::npos, strBytes.find(strMarker));
    EXPECT_EQ("", strBytes) << "application bytes went out on a connection that was not checked";
}

// Over plain http the account goes only after the server asked for it, and then in the scheme it
// asked for; never to another origin, the one a first request named included.
TEST_F(HttpClientRulesTest, AccountGoesOnlyToItsOriginAndOverHttpOnlyWhenAsked) {
    const std::string strHome = m_servers["RECORDER_URL"], strOther = m_servers["RECORDER_OTHER_URL"];
    struct Case {
        const char* pszName;
        std::string strCredentialOrigin;
        std::vector<std::pair<std::string, int>> requests; // URL, status
        std::vector<std::string> recorded;
    } cases[] = {
        {"origin given",
         strHome,
         {{strHome + "auth/book/", 207}, {strOther + "auth/book/", 401}, {strHome + "auth/card", 207}},
         {"RECORDER_URL PROPFIND /auth/book/ -",
          std::string("RECORDER_URL PROPFIND /auth/book/ ") + kBasicAnna,
          "RECORDER_OTHER_URL PROPFIND /auth/book/ -",
          std::string("RECORDER_URL PROPFIND /auth/card ") + kBasicAnna}},
        {"origin of the first request",
         "",
         {{strOther + "auth/book/", 207}, {strHome + "auth/book/", 401}},
         {"RECORDER_OTHER_URL PROPFIND /auth/book/ -",
          std::string("RECORDER_OTHER_URL PROPFIND /auth/book/ ") + kBasicAnna,
          "RECORDER_URL PROPFIND /auth/book/ -"}},
        // The same origin spelt otherwise: the scheme and host in capitals.
        {"origin spelt otherwise",
         "HTTP://127.0.0.1:" + strHome.substr(strHome.rfind(':') + 1),
         {{strHome + "auth/book/", 207}},
         {"RECORDER_URL PROPFIND /auth/book/ -",
          std::string("RECORDER_URL PROPFIND /auth/book/ ") + kBasicAnna}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        Control("recorder/reset");
        std::unique_ptr<IHttpTransport> pTransport = MakeHttpTransport(Account(c.strCredentialOrigin));
        for (const auto& [strUrl, nStatus] : c.requests) {
            CHttpResponse response = pTransport->Send({"PROPFIND", strUrl, {{"Depth", "0"}}, ""});
            EXPECT_EQ(nStatus, response.nStatus) << strUrl << ": " << response.strFailure;
        }
        EXPECT_EQ(c.recorded, RecordedRequests());
    }
}

// Over https to its origin the account goes with the first request: one request, no refusal.
TEST_F(HttpClientRulesTest, AccountGoesUnaskedOverHttps) {
    Control("recorder/reset");
    CHttpOptions options = Account(m_servers["RECORDER_TLS_URL"]);
    options.strTrustedCertificateSha256 = m_servers["RECORDER_TLS_SHA256"];
    CHttpResponse response =
        MakeHttpTransport(options)->Send({"PROPFIND", m_servers["RECORDER_TLS_URL"] + "auth/book/", {}, ""});
    EXPECT_EQ(207, response.nStatus) << response.strFailure;
    EXPECT_EQ(std::vector<std::string>{std::string("RECORDER_TLS_URL PROPFIND /auth/book/ ") + kBasicAnna},
              RecordedRequests());

    options = Account(m_dav["RADICALE_TLS_URL"]);
    options.strTrustedCertificateSha256 = m_dav["RADICALE_TLS_SHA256"];
    response =
        MakeHttpTransport(options)->Send({"PROPFIND", m_dav["RADICALE_TLS_BOOK"], {{"Depth", "0"}}, ""});
    EXPECT_EQ(207, response.nStatus) << response.strFailure;
}

// Whatever the method, a redirect comes back to the protocol with its Location; nothing is sent
// to where it points.
TEST_F(HttpClientRulesTest, RedirectIsNeverFollowed) {
    for (const char* pszMethod : {"GET", "PROPFIND", "PUT"}) {
        SCOPED_TRACE(pszMethod);
        Control("recorder/reset");
        CHttpResponse response = MakeHttpTransport(Account(m_servers["RECORDER_URL"]))
                                     ->Send({pszMethod,
                                             m_servers["RECORDER_URL"] + "redirect",
                                             {},
                                             std::string(pszMethod) == "PUT" ? "body" : ""});
        EXPECT_EQ(HttpFailure::none, response.failure) << response.strFailure;
        EXPECT_EQ(302, response.nStatus);
        EXPECT_EQ(m_servers["RECORDER_OTHER_URL"] + "landed", response.Header("Location"));
        // (Before a request with a body, WinHTTP's transport may ask with a HEAD how the account
        // is wanted.)
        std::vector<std::string> recorded = RecordedRequests();
        EXPECT_EQ("RECORDER_URL " + std::string(pszMethod) + " /redirect -", recorded.back());
        for (const std::string& strRequest : recorded) {
            EXPECT_EQ(0u, strRequest.find("RECORDER_URL ")) << strRequest;
        }
    }
}

// An answer is read to the limit and no further, and one cut short is no answer.
TEST_F(HttpClientRulesTest, AnswersAreReadToTheLimitAndWhole) {
    CHttpOptions options;
    options.nTimeoutSeconds = 10;
    options.nMaxResponseBytes = 64 * 1024;
    const std::string strCutShort = kCutShortText;
    struct Case {
        const char* pszPath;
        HttpFailure failure;
        std::string strFailure;
        size_t nBodyBytes;
    } cases[] = {
        {"length-whole", HttpFailure::none, "", 3000},
        {"chunked-whole", HttpFailure::none, "", 3000},
        {"endless", HttpFailure::tooLarge, "its answer is larger than 64 KB", 0},
        {"endless-chunked", HttpFailure::tooLarge, "its answer is larger than 64 KB", 0},
        {"too-long", HttpFailure::tooLarge, "its answer is larger than 64 KB", 0},
        {"short", HttpFailure::cannotConnect, strCutShort, 0},
        {"chunked-cut", HttpFailure::cannotConnect, strCutShort, 0},
    };
    std::unique_ptr<IHttpTransport> pTransport = MakeHttpTransport(options);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszPath);
        if (IsWine() && std::string(c.pszPath) == "chunked-cut") {
            continue;
        }
        CHttpResponse response = pTransport->Send({"GET", m_servers["RECORDER_URL"] + c.pszPath, {}, ""});
        EXPECT_EQ(c.failure, response.failure) << response.strFailure;
        EXPECT_EQ(c.strFailure, response.strFailure);
        EXPECT_EQ(c.nBodyBytes, response.strBody.size());
    }
}

// The whole buffer, the part beyond a shortened text included, is overwritten in place.
TEST(WipeSecretTest, OverwritesTheWholeBufferInPlace) {
    std::string strSecret(100, 'p');
    strSecret.resize(10);
    const char* pBuffer = strSecret.data();
    size_t nCapacity = strSecret.capacity();
    WipeSecret(strSecret);
    EXPECT_TRUE(strSecret.empty());
    ASSERT_EQ(pBuffer, strSecret.data());
    EXPECT_EQ(std::string(nCapacity, '\0'), std::string(pBuffer, nCapacity));
}

} // namespace
