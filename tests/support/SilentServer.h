// A port on 127.0.0.1 that takes connections and never answers them, as a server that hangs
// does; for the tests of what waits on a server.
#pragma once

class CSilentServer {
public:
    CSilentServer();
    ~CSilentServer();
    CSilentServer(const CSilentServer&) = delete;
    CSilentServer& operator=(const CSilentServer&) = delete;

    int Port() const { return m_nPort; } // 0 when no port could be had

private:
    unsigned long long m_socket; // a SOCKET or a descriptor
    int m_nPort = 0;
};
