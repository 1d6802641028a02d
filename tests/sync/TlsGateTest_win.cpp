// The gate's opening as Windows' WinHTTP speaks it (a CONNECT to the server), which Wine's never
// sends: the tunnel opens to the gate's own server only, and a server out of reach is said so.
#include "sync/TlsGate.h"

#include "support/SilentServer.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

// What the gate answers to the bytes sent, until it closes or a second passes without more.
std::string Exchange(int nPort, const std::string& strSent) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(nPort));
    DWORD dwWaitMs = 1000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&dwWaitMs), sizeof(dwWaitMs));
    std::string strAnswer;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        send(s, strSent.data(), static_cast<int>(strSent.size()), 0) == static_cast<int>(strSent.size())) {
        char buffer[1024];
        int nRead;
        while ((nRead = recv(s, buffer, sizeof(buffer), 0)) > 0) {
            strAnswer.append(buffer, nRead);
        }
    }
    closesocket(s);
    return strAnswer;
}

TEST(TlsGateTest, TunnelOpensOnlyToItsServer) {
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
    CSilentServer server; // takes connections, as the server behind the gate would
    ASSERT_NE(0, server.Port());
    const std::string strServer = "127.0.0.1:" + std::to_string(server.Port());
    const struct {
        const char* pszName;
        const char* pszGateHost; // the server the gate leads to
        int nGatePort;
        std::string strSent, strAnswer, strUnreachable;
    } cases[] = {
        {"its server", "127.0.0.1", server.Port(),
         "CONNECT " + strServer + " HTTP/1.1\r\nHost: " + strServer + "\r\n\r\n",
         "HTTP/1.1 200 Connection established\r\n\r\n", ""},
        {"its server, the name in other capitals", "LocalHost", server.Port(),
         "CONNECT localhost:" + std::to_string(server.Port()) + " HTTP/1.1\r\n\r\n",
         "HTTP/1.1 200 Connection established\r\n\r\n", ""},
        {"another server", "127.0.0.1", server.Port(), "CONNECT 127.0.0.1:1 HTTP/1.1\r\n\r\n", "", ""},
        {"neither a tunnel nor a handshake", "127.0.0.1", server.Port(), "GET / HTTP/1.1\r\n\r\n", "", ""},
        // Nothing listens on port 1.
        {"its server out of reach", "127.0.0.1", 1, "CONNECT 127.0.0.1:1 HTTP/1.1\r\n\r\n",
         "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
         "nothing answered at that address"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTlsGate gate(c.pszGateHost, c.nGatePort, std::string(), 5);
        std::string strError;
        ASSERT_TRUE(gate.Open(strError)) << strError;
        std::string strAnswer = Exchange(gate.Port(), c.strSent);
        EXPECT_EQ(c.strAnswer, strAnswer.substr(0, c.strAnswer.size()));
        if (c.strAnswer.empty()) {
            EXPECT_EQ("", strAnswer);
        }
        EXPECT_EQ(c.strUnreachable, gate.TakeOutcome().strUnreachable);
    }
    WSACleanup();
}

} // namespace
