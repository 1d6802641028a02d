#include "SilentServer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
using SOCKET = int;
const SOCKET INVALID_SOCKET = -1;
inline int closesocket(SOCKET s) { return ::close(s); }
#endif

CSilentServer::CSilentServer() {
#ifdef _WIN32
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
#endif
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    m_socket = static_cast<unsigned long long>(s);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLength = sizeof address;
    if (s != INVALID_SOCKET && ::bind(s, reinterpret_cast<sockaddr*>(&address), nLength) == 0 &&
        ::listen(s, 4) == 0 && ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &nLength) == 0) {
        m_nPort = ntohs(address.sin_port);
    }
}

CSilentServer::~CSilentServer() {
    if (static_cast<SOCKET>(m_socket) != INVALID_SOCKET) {
        closesocket(static_cast<SOCKET>(m_socket));
    }
#ifdef _WIN32
    ::WSACleanup();
#endif
}
