#include "sync/HttpTransport.h"
#include "sync/DavClient.h"
#include "sync/DavUrl.h"

#include <gtest/gtest.h>

// Servers spell header names as they like; a lookup finds them in any case and only whole.
TEST(HttpTransportTest, HeadersAreFoundWhateverTheirCase) {
    CHttpResponse response;
    response.headers = {{"etag", "\"1\""}, {"Content-Type", "text/vcard"}, {"ETag-X", "no"}};
    EXPECT_EQ("\"1\"", response.Header("ETag"));
    EXPECT_EQ("text/vcard", response.Header("CONTENT-TYPE"));
    EXPECT_EQ("", response.Header("Location"));
    EXPECT_EQ("", response.Header("ETa"));
}

// A connection lost once: a request that only reads is asked again and answered; one that
// writes is not repeated, and its failure is named.
TEST(DavClientTest, OnlyARequestThatReadsIsAskedAgainAfterALostConnection) {
    class CDroppingTransport : public IHttpTransport {
    public:
        CHttpResponse Send(const CHttpRequest&) override {
            CHttpResponse response;
            if (nSent++ == 0) {
                response.failure = HttpFailure::cannotConnect;
                response.strFailure = "Connection reset by peer";
            } else {
                response.nStatus = 200;
            }
            return response;
        }
        int nSent = 0;
    };
    const std::pair<const char*, bool> cases[] = {
        {"PROPFIND", true}, {"REPORT", true}, {"GET", true}, {"PUT", false}, {"DELETE", false}};
    for (const auto& [pszMethod, bAskedAgain] : cases) {
        SCOPED_TRACE(pszMethod);
        CDroppingTransport transport;
        CDavClient dav(transport);
        CHttpResponse response = dav.Send(pszMethod, "https://dav.example.org/anna/", "", {});
        EXPECT_EQ(bAskedAgain ? 2 : 1, transport.nSent);
        EXPECT_EQ(bAskedAgain ? 200 : 0, response.nStatus);
        EXPECT_EQ(!bAskedAgain, dav.Failed()) << dav.Error();
    }
}

// A refusal is said in words that name the server and what was asked, not only as a number.
TEST(DavClientTest, RefusalsAreSaidInWords) {
    class CAnsweringTransport : public IHttpTransport {
    public:
        CHttpResponse Send(const CHttpRequest&) override {
            CHttpResponse response;
            response.nStatus = nStatus;
            return response;
        }
        int nStatus = 0;
    };
    const std::pair<int, const char*> cases[] = {
        {401, "The server https://dav.example.org did not accept the user name and password."},
        {403, "The server https://dav.example.org does not allow this account to read /anna/."},
        {404, "The server https://dav.example.org has nothing at /anna/."},
        {501,
         "The server https://dav.example.org keeps no address book at /anna/: it does not take the requests "
         "of CardDAV there. Check the address."},
        {500, "The server https://dav.example.org answered 500 when asked to read /anna/ (PROPFIND)."},
    };
    for (const auto& [nStatus, pszError] : cases) {
        CAnsweringTransport transport;
        transport.nStatus = nStatus;
        CDavClient dav(transport);
        CMultiStatus result;
        EXPECT_FALSE(dav.Propfind("https://dav.example.org/anna/", 0, "", result));
        EXPECT_EQ(pszError, dav.Error());
    }
}

// An answer beyond the limit is named with the limit and what was asked.
TEST(DavClientTest, AnswerTooLargeIsSaidInWords) {
    class CTooLargeTransport : public IHttpTransport {
    public:
        CHttpResponse Send(const CHttpRequest&) override {
            CHttpResponse response;
            response.failure = HttpFailure::tooLarge;
            response.strFailure = "its answer is larger than 128 MB";
            return response;
        }
    };
    CTooLargeTransport transport;
    CDavClient dav(transport);
    dav.Send("REPORT", "https://dav.example.org/anna/contacts/", "", {});
    EXPECT_EQ("The server https://dav.example.org sent an answer larger than 128 MB when asked to read "
              "/anna/contacts/; nothing was synchronised.",
              dav.Error());
}

// Origins are compared as the account's rule needs: scheme and host without case, a default port
// equal to none, the path never.
TEST(DavUrlTest, OriginsAreComparedWithDefaultPorts) {
    const struct {
        const char* a;
        const char* b;
        bool bSame;
    } cases[] = {
        {"https://dav.example.org/anna/", "https://dav.example.org/other/", true},
        {"https://dav.example.org", "HTTPS://DAV.Example.ORG:443/", true},
        {"http://dav.example.org:80/", "http://dav.example.org/anna/", true},
        {"https://dav.example.org:0443/", "https://dav.example.org/", true},
        {"https://anna@dav.example.org:8443/", "https://dav.example.org:8443/x", true},
        {"https://[::1]:8443/", "https://[::1]:8443/anna/", true},
        {"https://dav.example.org/", "http://dav.example.org/", false},
        {"https://dav.example.org:443/", "http://dav.example.org:443/", false},
        {"http://dav.example.org:80/", "https://dav.example.org:80/", false},
        {"https://dav.example.org/", "https://dav.example.org:8443/", false},
        {"https://dav.example.org/", "https://dav.example.org.evil.net/", false},
        {"https://[::1]:8443/", "https://[::1]/", false},
        {"/anna/", "/anna/", false},
        {"", "", false},
        {"https:///anna/", "https:///anna/", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.bSame, IsSameOrigin(c.a, c.b)) << c.a << " and " << c.b;
        EXPECT_EQ(c.bSame, IsSameOrigin(c.b, c.a)) << c.b << " and " << c.a;
    }
}
