// libFuzzer target for the reading of a TLS handshake as it passes the gate in front of servers
// trusted by their fingerprint: any bytes from either side, in any pieces, are read without
// harm, and a decision, once made, never changes.
#include "sync/TlsHandshake.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool bCondition) {
    if (!bCondition) {
        std::abort();
    }
}

} // namespace

// The first byte says where the client's hello ends and how the server's bytes are cut into
// pieces; the rest is the client's bytes, then the server's.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize < 2) {
        return 0;
    }
    const size_t nClient = (nSize - 1) * pData[0] / 256;
    const size_t nPiece = 1 + pData[0] % 61;
    const char* pBytes = reinterpret_cast<const char*>(pData + 1);
    CTlsHandshakeWatch watch;
    watch.FromClient(pBytes, nClient);
    CTlsHandshakeWatch::Sight decided = CTlsHandshakeWatch::Sight::more;
    for (size_t nAt = nClient; nAt < nSize - 1; nAt += nPiece) {
        size_t nLength = nAt + nPiece < nSize - 1 ? nPiece : nSize - 1 - nAt;
        CTlsHandshakeWatch::Sight sight = watch.FromServer(pBytes + nAt, nLength);
        if (decided == CTlsHandshakeWatch::Sight::certificate || decided == CTlsHandshakeWatch::Sight::resumed) {
            Check(sight != CTlsHandshakeWatch::Sight::certificate || !watch.Certificates().empty());
        }
        if (sight == CTlsHandshakeWatch::Sight::certificate) {
            Check(!watch.Certificates().empty());
        }
        if (decided == CTlsHandshakeWatch::Sight::more) {
            decided = sight;
        }
        if (sight == CTlsHandshakeWatch::Sight::unreadable) {
            break;
        }
    }
    return 0;
}
