// What a TLS 1.2 handshake shows in the clear, read from its bytes as they pass between a client
// and a server: the session the client offers to resume, the server's certificates, and whether
// the server resumed a session instead of showing them. Portable, a function of the bytes alone;
// the gate in front of connections to servers trusted by their fingerprint is built on it.
#pragma once

#include <string>
#include <vector>

class CTlsHandshakeWatch {
public:
    // What the server's bytes have shown so far.
    enum class Sight {
        more,        // nothing to decide on yet: more bytes are needed
        certificate, // the server showed its certificates (Certificates())
        resumed,     // the server resumed a session, without showing a certificate
        encrypted,   // after a decision: the server's part of the handshake is now encrypted
        unreadable,  // not TLS 1.2 in the clear (TLS 1.3, malformed, data before the handshake)
    };

    // The client's bytes; only its hello is read. False when they are not a TLS handshake.
    bool FromClient(const char* pData, size_t nLength);
    // The server's bytes, in order. Once certificate or resumed was returned, the rest of the
    // server's handshake is still read (for its session ticket) until encrypted.
    Sight FromServer(const char* pData, size_t nLength);

    // The certificates the server sent, its own first (DER).
    const std::vector<std::string>& Certificates() const { return m_certificates; }
    // What the client offered to resume, and what the server named the session.
    const std::string& OfferedSessionId() const { return m_strOfferedSessionId; }
    const std::string& OfferedTicket() const { return m_strOfferedTicket; }
    const std::string& ServerSessionId() const { return m_strServerSessionId; }
    // A ticket the server issued for the session (empty when none was seen).
    const std::string& NewTicket() const { return m_strNewTicket; }

private:
    struct CDirection {
        std::string strRecords;   // bytes not yet read as whole records
        std::string strHandshake; // handshake messages not yet read whole
    };
    // Whole records out of the direction's bytes: false when they are not TLS.
    bool NextRecord(CDirection& direction, unsigned char& nType, std::string& strPayload);
    bool NextMessage(CDirection& direction, unsigned char& nType, std::string& strBody);
    bool ReadClientHello(const std::string& strBody);
    Sight ReadServerMessage(unsigned char nType, const std::string& strBody);

    CDirection m_client, m_server;
    bool m_bClientHelloRead = false;
    bool m_bServerHelloRead = false;
    bool m_bDecided = false;
    bool m_bEncrypted = false;
    std::vector<std::string> m_certificates;
    std::string m_strOfferedSessionId, m_strOfferedTicket, m_strServerSessionId, m_strNewTicket;
};
