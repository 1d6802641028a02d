// The real transport against real CardDAV servers on this machine (tests/sync/dav_servers.py,
// started by CTest): natively over libcurl, under Wine over WinHTTP.
#include "sync/HttpClient.h"

#include "support/DavServers.h"
#include "support/SilentServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace {

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_servers = ReadDavServers();
        ASSERT_FALSE(m_servers["RADICALE_BOOK"].empty())
            << "no servers: run tests/sync/dav_servers.py start, which writes " << TBOOK_DAV_SERVERS_ENV;
    }

    CHttpOptions Account(const char* pszPassword = "secret-anna") const {
        CHttpOptions options;
        options.strUser = "anna";
        options.strPassword = pszPassword;
        options.nTimeoutSeconds = 10;
        return options;
    }

    static CHttpResponse Send(const CHttpOptions& options, const char* pszMethod, const std::string& strUrl,
                              std::vector<std::pair<std::string, std::string>> headers = {},
                              const std::string& strBody = std::string()) {
        return MakeHttpTransport(options)->Send({pszMethod, strUrl, std::move(headers), strBody});
    }

    static CHttpResponse Propfind(const CHttpOptions& options, const std::string& strUrl) {
        return Send(
            options, "PROPFIND", strUrl, {{"Depth", "0"}, {"Content-Type", "application/xml"}},
            "<?xml version=\"1.0\"?><propfind xmlns=\"DAV:\"><prop><resourcetype/></prop></propfind>");
    }

    std::map<std::string, std::string> m_servers;
};

TEST_F(HttpClientTest, EveryAnswerIsAResponseAndNoAnswerAFailure) {
    CHttpOptions anonymous;
    anonymous.nTimeoutSeconds = 10;
    CSilentServer silent;
    CHttpOptions impatient = Account();
    impatient.nTimeoutSeconds = 2;
    struct Case {
        const char* pszName;
        CHttpOptions options;
        std::string strUrl;
        HttpFailure failure;
        int nStatus;
    } cases[] = {
        {"right password", Account(), m_servers["RADICALE_BOOK"], HttpFailure::none, 207},
        {"wrong password", Account("secret-ann"), m_servers["RADICALE_BOOK"], HttpFailure::none, 401},
        {"no account", anonymous, m_servers["RADICALE_BOOK"], HttpFailure::none, 401},
        {"server without accounts", anonymous, m_servers["XANDIKOS_BOOK"], HttpFailure::none, 207},
        // Nothing listens on port 1: the connection is refused.
        {"nothing listening", Account(), "http://127.0.0.1:1/anna/", HttpFailure::cannotConnect, 0},
        // A server that takes the request and never answers it is given up after the timeout.
        {"no answer", impatient, "http://127.0.0.1:" + std::to_string(silent.Port()) + "/anna/",
         HttpFailure::timeout, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CHttpResponse response = Propfind(c.options, c.strUrl);
        // A server that refuses a password before reading the body may reset the connection
        // before its answer is read; the sync asks once more then, and so does this test.
        if (c.nStatus == 401 && response.failure == HttpFailure::cannotConnect) {
            response = Propfind(c.options, c.strUrl);
        }
        EXPECT_EQ(c.failure, response.failure) << response.strFailure;
        EXPECT_EQ(c.nStatus, response.nStatus);
        if (c.failure == HttpFailure::none) {
            EXPECT_NE(std::string::npos, response.strBody.find(c.nStatus == 207 ? "multistatus" : ""));
        } else {
            EXPECT_NE("", response.strFailure);
        }
    }
}

// The protocol looks for the address book itself: a PROPFIND is not carried along a redirect.
TEST_F(HttpClientTest, RedirectOfAPropfindComesBackWithItsLocation) {
    for (const char* pszServer : {"RADICALE_URL", "XANDIKOS_URL"}) {
        SCOPED_TRACE(pszServer);
        CHttpResponse response = Propfind(Account(), m_servers[pszServer] + ".well-known/carddav");
        EXPECT_EQ(HttpFailure::none, response.failure) << response.strFailure;
        EXPECT_TRUE(response.nStatus >= 301 && response.nStatus <= 308) << response.nStatus;
        EXPECT_EQ("/", response.Header("Location"));
    }
}

TEST_F(HttpClientTest, SelfSignedCertificatePassesOnlyWithItsFingerprint) {
    const std::string& strSha256 = m_servers["RADICALE_TLS_SHA256"];
    ASSERT_EQ(64u, strSha256.size());
    CHttpOptions options = Account();
    CHttpResponse refused = Propfind(options, m_servers["RADICALE_TLS_BOOK"]);
    EXPECT_EQ(HttpFailure::untrustedCertificate, refused.failure) << refused.strFailure;
    EXPECT_EQ(strSha256, refused.strCertificateSha256);
    EXPECT_NE("", refused.strFailure);

    std::string strOther = strSha256;
    strOther[10] = strOther[10] == '0' ? '1' : '0';
    options.strTrustedCertificateSha256 = strOther;
    refused = Propfind(options, m_servers["RADICALE_TLS_BOOK"]);
    EXPECT_EQ(HttpFailure::untrustedCertificate, refused.failure) << refused.strFailure;
    EXPECT_EQ(strSha256, refused.strCertificateSha256);

    // As a user copies it from another program: upper case, in pairs.
    std::string strCopied;
    for (size_t i = 0; i < strSha256.size(); i += 2) {
        strCopied += (i ? ":" : "") + strSha256.substr(i, 2);
    }
    for (char& ch : strCopied) {
        ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    }
    options.strTrustedCertificateSha256 = strCopied;
    std::unique_ptr<IHttpTransport> pTransport = MakeHttpTransport(options);
    for (int i = 0; i < 2; ++i) { // the second on a connection kept open, or a new one
        CHttpResponse accepted =
            pTransport->Send({"PROPFIND", m_servers["RADICALE_TLS_BOOK"], {{"Depth", "0"}}, std::string()});
        EXPECT_EQ(HttpFailure::none, accepted.failure) << accepted.strFailure;
        EXPECT_EQ(207, accepted.nStatus);
    }
}

// A card goes up once, comes back byte for byte with its ETag, and is not created twice; on
// each server, over one transport as the synchronisation uses it.
TEST_F(HttpClientTest, CardIsCreatedOnceAndReadBackWhole) {
    CHttpOptions tls = Account();
    tls.strTrustedCertificateSha256 = m_servers["RADICALE_TLS_SHA256"];
    CHttpOptions anonymous;
    const std::pair<std::string, CHttpOptions> books[] = {
        {m_servers["RADICALE_BOOK"], Account()},
        {m_servers["RADICALE_TLS_BOOK"], tls},
        {m_servers["XANDIKOS_BOOK"], anonymous},
    };
    std::string strUid =
        "http-client-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    // Several scripts, and enough lines to arrive in many pieces; each line short enough that no
    // server folds it again.
    std::string strCard =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + strUid +
        "\r\nFN:Zoë Łukasiewicz-Ōtani 李小龍 🙂\r\nN:Łukasiewicz-Ōtani;Zoë;;;\r\n";
    for (int i = 0; strCard.size() < 100000; ++i) {
        strCard += "NOTE:Ünïcödé " + std::to_string(i) + "\r\n";
    }
    strCard += "END:VCARD\r\n";
    for (const auto& book : books) {
        SCOPED_TRACE(book.first);
        std::unique_ptr<IHttpTransport> pTransport = MakeHttpTransport(book.second);
        // The sync reads the book before it writes. Over plain http that first answer tells the
        // transport how the server wants the account, which no request gives it unasked: a server
        // that refuses an upload for want of it, before reading it, may reset the connection.
        CHttpResponse listed = pTransport->Send({"PROPFIND", book.first, {{"Depth", "0"}}, std::string()});
        EXPECT_EQ(207, listed.nStatus) << listed.strFailure;
        std::string strUrl = book.first + strUid + ".vcf";
        CHttpRequest put = {
            "PUT", strUrl, {{"If-None-Match", "*"}, {"Content-Type", "text/vcard; charset=utf-8"}}, strCard};
        CHttpResponse created = pTransport->Send(put);
        EXPECT_EQ(HttpFailure::none, created.failure) << created.strFailure;
        EXPECT_EQ(201, created.nStatus) << created.strBody;
        // Short, so that it is sent whole before the answer: radicale refuses without reading a
        // long body and closes, and the reset may lose its answer.
        CHttpRequest putAgain = put;
        putAgain.strBody = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + strUid + "\r\nFN:Again\r\nEND:VCARD\r\n";
        CHttpResponse again = pTransport->Send(putAgain);
        EXPECT_EQ(412, again.nStatus) << again.strFailure << again.strBody;

        CHttpResponse read = pTransport->Send({"GET", strUrl, {}, std::string()});
        EXPECT_EQ(200, read.nStatus) << read.strFailure;
        EXPECT_TRUE(read.strBody == strCard)
            << "sent " << strCard.size() << " bytes, read " << read.strBody.size();
        EXPECT_NE("", read.Header("etag"));
        EXPECT_EQ(created.Header("ETag").empty() ? read.Header("ETag") : created.Header("ETag"),
                  read.Header("ETag"));
    }
}

} // namespace
