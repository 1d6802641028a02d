#include "sync/TlsHandshake.h"

#include <gtest/gtest.h>

namespace {

using Sight = CTlsHandshakeWatch::Sight;

std::string Big(size_t nValue, int nBytes) {
    std::string str;
    for (int i = nBytes - 1; i >= 0; --i) {
        str += static_cast<char>((nValue >> (8 * i)) & 0xFF);
    }
    return str;
}

std::string Vector(int nLengthBytes, const std::string& str) { return Big(str.size(), nLengthBytes) + str; }
std::string Record(char nType, const std::string& strPayload) {
    return std::string(1, nType) + "\x03\x03" + Vector(2, strPayload);
}
std::string Message(char nType, const std::string& strBody) {
    return std::string(1, nType) + Vector(3, strBody);
}
std::string Extension(unsigned nType, const std::string& strData) {
    return Big(nType, 2) + Vector(2, strData);
}

const std::string kRandom(32, 'r');

std::string ClientHello(const std::string& strSessionId, const std::string& strTicket) {
    std::string strExtensions =
        Extension(0, Vector(2, std::string("\0\0\x09", 3) + "127.0.0.1")) + Extension(35, strTicket);
    return Message(1, "\x03\x03" + kRandom + Vector(1, strSessionId) + Vector(2, std::string("\x00\x2f", 2)) +
                          Vector(1, std::string(1, '\0')) + Vector(2, strExtensions));
}

std::string ServerHello(const std::string& strSessionId, const std::string& strExtensions = "") {
    return Message(2, "\x03\x03" + kRandom + Vector(1, strSessionId) + std::string("\x00\x2f\x00", 3) +
                          (strExtensions.empty() ? "" : Vector(2, strExtensions)));
}

std::string Certificates(const std::vector<std::string>& ders) {
    std::string strList;
    for (const std::string& strDer : ders) {
        strList += Vector(3, strDer);
    }
    return Message(11, Vector(3, strList));
}

const std::string kChangeCipherSpec = Record(20, "\x01");

// The whole of a full handshake's server side, fed a byte at a time and with a message split
// across records: the certificates show once whole, the ticket before the encryption begins.
TEST(TlsHandshakeTest, FullHandshakeShowsCertificatesThenTicket) {
    CTlsHandshakeWatch watch;
    std::string strHello = Record(22, ClientHello("", ""));
    ASSERT_TRUE(watch.FromClient(strHello.data(), strHello.size()));
    std::string strCertificates = Certificates({"leaf certificate", "issuer certificate"});
    std::string strServer = Record(22, ServerHello(std::string(32, 's'))) +
                            Record(22, strCertificates.substr(0, 10)) +
                            Record(22, strCertificates.substr(10) + Message(14, ""));
    std::vector<Sight> sights;
    for (char ch : strServer) {
        Sight sight = watch.FromServer(&ch, 1);
        if (sight != Sight::more) {
            sights.push_back(sight);
        }
    }
    EXPECT_EQ(std::vector<Sight>{Sight::certificate}, sights);
    EXPECT_EQ((std::vector<std::string>{"leaf certificate", "issuer certificate"}), watch.Certificates());
    EXPECT_EQ(std::string(32, 's'), watch.ServerSessionId());

    std::string strEnd = Record(22, Message(4, std::string(4, '\0') + Vector(2, "the ticket"))) +
                         kChangeCipherSpec + Record(22, "encrypted finished");
    EXPECT_EQ(Sight::encrypted, watch.FromServer(strEnd.data(), strEnd.size()));
    EXPECT_EQ("the ticket", watch.NewTicket());
}

TEST(TlsHandshakeTest, ClientOffersAreReadAndAnythingElseRefused) {
    CTlsHandshakeWatch watch;
    std::string strHello = Record(22, ClientHello(std::string(32, 'i'), "old ticket"));
    ASSERT_TRUE(watch.FromClient(strHello.data(), strHello.size()));
    EXPECT_EQ(std::string(32, 'i'), watch.OfferedSessionId());
    EXPECT_EQ("old ticket", watch.OfferedTicket());

    CTlsHandshakeWatch plain;
    std::string strRequest = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    EXPECT_FALSE(plain.FromClient(strRequest.data(), strRequest.size()));
}

// What a server may send first, and what the gate learns from it.
TEST(TlsHandshakeTest, ServerOpeningsAreTold) {
    const std::string strId(32, 'i');
    const struct {
        const char* pszName;
        std::string strServer;
        Sight sight;
    } cases[] = {
        {"resumed by id", Record(22, ServerHello(strId)) + kChangeCipherSpec, Sight::resumed},
        {"resumed with a new ticket",
         Record(22, ServerHello(strId) + Message(4, std::string(4, '\0') + Vector(2, "t"))) +
             kChangeCipherSpec,
         Sight::resumed},
        {"TLS 1.3", Record(22, ServerHello(strId, Extension(43, "\x03\x04"))), Sight::unreadable},
        {"encryption before a hello", kChangeCipherSpec, Sight::unreadable},
        {"data before the handshake", Record(23, "data"), Sight::unreadable},
        {"a refusal", Record(21, "\x02\x28"), Sight::unreadable},
        {"a certificate before the hello", Record(22, Certificates({"leaf"})), Sight::unreadable},
        {"an empty certificate list", Record(22, ServerHello(strId) + Certificates({})), Sight::unreadable},
        {"a certificate longer than its message",
         Record(22, ServerHello(strId) + Message(11, Vector(3, Big(100, 3) + "short"))), Sight::unreadable},
        {"plain http", "HTTP/1.1 400 Bad Request\r\n\r\n", Sight::unreadable},
        {"a record beyond the largest", std::string("\x16\x03\x03\xff\xff", 5), Sight::unreadable},
        {"half a hello", Record(22, ServerHello(strId)).substr(0, 20), Sight::more},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTlsHandshakeWatch watch;
        std::string strHello = Record(22, ClientHello(strId, ""));
        ASSERT_TRUE(watch.FromClient(strHello.data(), strHello.size()));
        EXPECT_EQ(c.sight, watch.FromServer(c.strServer.data(), c.strServer.size()));
    }
}

} // namespace
