#include "TlsHandshake.h"

namespace {

const unsigned char kChangeCipherSpec = 20, kAlert = 21, kHandshake = 22;
const unsigned char kClientHello = 1, kServerHello = 2, kNewSessionTicket = 4, kCertificate = 11;
const unsigned kSessionTicketExtension = 35, kSupportedVersionsExtension = 43;
const unsigned kTls13 = 0x0304;
// A record holds at most 2^14 bytes of plain text (a little more with padding); a handshake's
// messages, certificate chains included, stay far below the second limit. A peer that sends more
// is not speaking TLS to us.
const size_t kMaxRecord = 16384 + 2048;
const size_t kMaxPending = 256 * 1024;

// Reads the big-endian fields of a message without ever reading past its end.
class CReader {
public:
    explicit CReader(const std::string& str) : m_str(str) {}

    bool Number(size_t nBytes, unsigned& nValue) {
        if (m_nPos + nBytes > m_str.size()) {
            return false;
        }
        nValue = 0;
        for (size_t i = 0; i < nBytes; ++i) {
            nValue = nValue << 8 | static_cast<unsigned char>(m_str[m_nPos++]);
        }
        return true;
    }
    // A field preceded by its length in nLengthBytes bytes.
    bool Vector(size_t nLengthBytes, std::string& strValue) {
        unsigned nLength = 0;
        if (!Number(nLengthBytes, nLength) || m_nPos + nLength > m_str.size()) {
            return false;
        }
        strValue = m_str.substr(m_nPos, nLength);
        m_nPos += nLength;
        return true;
    }
    bool Skip(size_t nBytes) {
        if (m_nPos + nBytes > m_str.size()) {
            return false;
        }
        m_nPos += nBytes;
        return true;
    }
    bool AtEnd() const { return m_nPos == m_str.size(); }

private:
    const std::string& m_str;
    size_t m_nPos = 0;
};

// The extensions at the end of a hello, as (type, data) pairs; false when malformed.
bool ReadExtensions(CReader& reader, std::vector<std::pair<unsigned, std::string>>& extensions) {
    if (reader.AtEnd()) {
        return true; // a hello may end without any
    }
    std::string strAll;
    if (!reader.Vector(2, strAll)) {
        return false;
    }
    CReader all(strAll);
    while (!all.AtEnd()) {
        unsigned nType = 0;
        std::string strData;
        if (!all.Number(2, nType) || !all.Vector(2, strData)) {
            return false;
        }
        extensions.emplace_back(nType, strData);
    }
    return true;
}

} // namespace

bool CTlsHandshakeWatch::NextRecord(CDirection& direction, unsigned char& nType, std::string& strPayload) {
    std::string& str = direction.strRecords;
    if (str.size() < 5) {
        return true;
    }
    nType = static_cast<unsigned char>(str[0]);
    size_t nLength = static_cast<unsigned char>(str[3]) << 8 | static_cast<unsigned char>(str[4]);
    if (str[1] != 3 || nLength > kMaxRecord) {
        return false;
    }
    if (str.size() < 5 + nLength) {
        nType = 0; // not whole yet
        return true;
    }
    strPayload = str.substr(5, nLength);
    str.erase(0, 5 + nLength);
    return true;
}

bool CTlsHandshakeWatch::NextMessage(CDirection& direction, unsigned char& nType, std::string& strBody) {
    std::string& str = direction.strHandshake;
    if (str.size() < 4) {
        return false;
    }
    size_t nLength = static_cast<unsigned char>(str[1]) << 16 | static_cast<unsigned char>(str[2]) << 8 |
                     static_cast<unsigned char>(str[3]);
    if (str.size() < 4 + nLength) {
        return false;
    }
    nType = static_cast<unsigned char>(str[0]);
    strBody = str.substr(4, nLength);
    str.erase(0, 4 + nLength);
    return true;
}

bool CTlsHandshakeWatch::FromClient(const char* pData, size_t nLength) {
    if (m_bClientHelloRead) {
        return true;
    }
    m_client.strRecords.append(pData, nLength);
    for (;;) {
        unsigned char nType = 0;
        std::string strPayload;
        if (!NextRecord(m_client, nType, strPayload) || (nType != 0 && nType != kHandshake) ||
            m_client.strRecords.size() + m_client.strHandshake.size() > kMaxPending) {
            return false;
        }
        if (nType == 0) {
            return true; // waiting for the rest of the record
        }
        m_client.strHandshake += strPayload;
        std::string strBody;
        if (NextMessage(m_client, nType, strBody)) {
            m_bClientHelloRead = true;
            return nType == kClientHello && ReadClientHello(strBody);
        }
    }
}

bool CTlsHandshakeWatch::ReadClientHello(const std::string& strBody) {
    CReader reader(strBody);
    std::string strSkipped;
    std::vector<std::pair<unsigned, std::string>> extensions;
    if (!reader.Skip(2 + 32) || !reader.Vector(1, m_strOfferedSessionId) || !reader.Vector(2, strSkipped) ||
        !reader.Vector(1, strSkipped) || !ReadExtensions(reader, extensions)) {
        return false;
    }
    for (const auto& extension : extensions) {
        if (extension.first == kSessionTicketExtension) {
            m_strOfferedTicket = extension.second;
        }
    }
    return true;
}

CTlsHandshakeWatch::Sight CTlsHandshakeWatch::FromServer(const char* pData, size_t nLength) {
    if (m_bEncrypted) {
        return Sight::encrypted;
    }
    m_server.strRecords.append(pData, nLength);
    Sight sight = Sight::more;
    for (;;) {
        unsigned char nType = 0;
        std::string strPayload;
        if (!NextRecord(m_server, nType, strPayload) ||
            m_server.strRecords.size() + m_server.strHandshake.size() > kMaxPending) {
            return Sight::unreadable;
        }
        if (nType == 0) {
            return sight;
        }
        if (nType == kChangeCipherSpec) {
            // From here on the server's handshake is encrypted; without a certificate before it,
            // the server resumed a session.
            m_bEncrypted = true;
            if (!m_bServerHelloRead) {
                return Sight::unreadable;
            }
            if (!m_bDecided) {
                m_bDecided = true;
                return Sight::resumed;
            }
            // A decision these same bytes brought is reported first; the next call says encrypted.
            return sight == Sight::more ? Sight::encrypted : sight;
        }
        if (nType == kAlert && m_bDecided) {
            continue;
        }
        if (nType != kHandshake) {
            return Sight::unreadable; // data, or a refusal, before anything could be checked
        }
        m_server.strHandshake += strPayload;
        std::string strBody;
        while (NextMessage(m_server, nType, strBody)) {
            Sight message = ReadServerMessage(nType, strBody);
            if (message == Sight::unreadable) {
                return message;
            }
            if (message != Sight::more) {
                sight = message;
            }
        }
    }
}

CTlsHandshakeWatch::Sight CTlsHandshakeWatch::ReadServerMessage(unsigned char nType,
                                                                const std::string& strBody) {
    CReader reader(strBody);
    if (nType == kServerHello) {
        unsigned nVersion = 0, nSkipped = 0;
        std::vector<std::pair<unsigned, std::string>> extensions;
        if (m_bServerHelloRead || !reader.Number(2, nVersion) || !reader.Skip(32) ||
            !reader.Vector(1, m_strServerSessionId) || !reader.Number(3, nSkipped) ||
            !ReadExtensions(reader, extensions)) {
            return Sight::unreadable;
        }
        for (const auto& extension : extensions) {
            // TLS 1.3 encrypts the certificate: nothing here could check it.
            if (extension.first == kSupportedVersionsExtension) {
                return Sight::unreadable;
            }
        }
        m_bServerHelloRead = nVersion < kTls13;
        return m_bServerHelloRead ? Sight::more : Sight::unreadable;
    }
    if (!m_bServerHelloRead) {
        return Sight::unreadable;
    }
    if (nType == kCertificate && !m_bDecided) {
        std::string strList;
        if (!reader.Vector(3, strList) || !reader.AtEnd()) {
            return Sight::unreadable;
        }
        CReader list(strList);
        while (!list.AtEnd()) {
            std::string strCertificate;
            if (!list.Vector(3, strCertificate)) {
                return Sight::unreadable;
            }
            m_certificates.push_back(strCertificate);
        }
        m_bDecided = true;
        return m_certificates.empty() ? Sight::unreadable : Sight::certificate;
    }
    if (nType == kNewSessionTicket) {
        std::string strTicket;
        if (reader.Skip(4) && reader.Vector(2, strTicket)) {
            m_strNewTicket = strTicket;
        }
    }
    return Sight::more;
}
