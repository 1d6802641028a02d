#include "XMLReader.h"

#include "XML.h"

#include <cstring>

bool IsTextByte(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 33 && u <= 127;
}

bool IsSkippedTag(std::string_view token) { return token.size() > 1 && (token[1] == '?' || token[1] == '!'); }

namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// First position in [p, end) holding one of the given characters, or end.
const char* FindFirstOf(const char* p, const char* end, char a, char b) {
    while (p != end && *p != a && *p != b) {
        ++p;
    }
    return p;
}

const char* FindFirstOf(const char* p, const char* end, char a, char b, char c) {
    while (p != end && *p != a && *p != b && *p != c) {
        ++p;
    }
    return p;
}

} // namespace

CXMLReader::CXMLReader(CFile& file) : m_file(file), m_nBufferOffset(file.GetPosition()) {}

bool CXMLReader::Refill() {
    if (m_bAtEnd) {
        return false;
    }
    if (m_buffer.empty()) {
        m_buffer.resize(kBufferSize);
    }
    m_nBufferOffset += static_cast<int64_t>(m_nEnd);
    m_nPos = m_nEnd = 0;
    unsigned nRead = m_file.Read(&m_buffer[0], kBufferSize);
    if (nRead == 0) {
        m_bAtEnd = true;
        return false;
    }
    m_nEnd = nRead;
    return true;
}

void CXMLReader::Finish() {
    if (m_nBufferOffset >= 0) {
        m_file.Seek(m_nBufferOffset + static_cast<int64_t>(m_nPos), CFile::begin);
    }
}

void CXMLReader::ReadToken(CXML& node, std::string& token) {
    token.clear();
    m_piece.clear();

    // Character data up to the next "<"; a double-quoted stretch hides a "<".
    bool bInQuotes = false;
    for (;;) {
        if (m_nPos == m_nEnd && !Refill()) {
            node.m_bEndOfFile = true;
            GatherText(node, m_piece);
            return;
        }
        const char* pBegin = m_buffer.data() + m_nPos;
        const char* pEnd = m_buffer.data() + m_nEnd;
        const char* p = bInQuotes ? FindFirstOf(pBegin, pEnd, '"', '"') : FindFirstOf(pBegin, pEnd, '<', '"');
        m_piece.append(pBegin, static_cast<size_t>(p - pBegin));
        m_nPos += static_cast<size_t>(p - pBegin);
        if (p == pEnd) {
            continue;
        }
        if (*p == '<') {
            break;
        }
        bInQuotes = !bInQuotes;
        m_piece += '"';
        ++m_nPos;
    }
    GatherText(node, m_piece);

    // The tag up to the first ">" outside quotes. Either kind of quote opens a stretch that the
    // same kind closes; both ends are written as double quotes.
    token += '<';
    m_nTokenOffset = m_nBufferOffset + static_cast<int64_t>(m_nPos);
    ++m_nPos;
    char chQuote = 0;
    for (;;) {
        if (m_nPos == m_nEnd && !Refill()) {
            node.m_bEndOfFile = true;
            return;
        }
        const char* pBegin = m_buffer.data() + m_nPos;
        const char* pEnd = m_buffer.data() + m_nEnd;
        const char* p = chQuote ? FindFirstOf(pBegin, pEnd, chQuote, chQuote) : FindFirstOf(pBegin, pEnd, '>', '"', '\'');
        token.append(pBegin, static_cast<size_t>(p - pBegin));
        m_nPos += static_cast<size_t>(p - pBegin);
        if (p == pEnd) {
            continue;
        }
        ++m_nPos;
        if (*p == '>' && !chQuote) {
            token += '>';
            return;
        }
        chQuote = chQuote ? 0 : *p;
        token += '"';
    }
}

void CXMLReader::GatherText(CXML& node, const std::string& piece) {
    if (piece.empty()) {
        return;
    }
    size_t nLastLine = piece.rfind('\n');
    size_t nTail = nLastLine == std::string::npos ? 0 : nLastLine + 1;
    for (size_t i = nTail; i < piece.size(); ++i) {
        if (IsTextByte(piece[i])) {
            node.m_strText.Append(piece.data(), static_cast<int>(piece.size()));
            return;
        }
    }
    if (nLastLine == std::string::npos) {
        return;
    }
    // The last line holds only white space (indentation before the tag): drop it, and trim the
    // line breaks around what came before.
    size_t nBegin = 0;
    size_t nEnd = nLastLine;
    while (nBegin < nEnd && IsLineBreak(piece[nBegin])) {
        ++nBegin;
    }
    while (nEnd > nBegin && IsLineBreak(piece[nEnd - 1])) {
        --nEnd;
    }
    node.m_strText.Append(piece.data() + nBegin, static_cast<int>(nEnd - nBegin));
}
