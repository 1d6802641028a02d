#include "VCardReader.h"

#include "Charset.h"
#include "ContactBuilder.h"
#include "VCardMapper.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Text cards start within their first few lines; zero bytes there mean UTF-16.
const size_t kUtf16ProbeLength = 4096;

struct CCard {
    int nLine = 0;
    bool bVersion21 = true; // until a VERSION line says otherwise
    std::vector<CVCardProperty> props;
};

bool StartsWithNoCase(std::string_view str, const char* pszPrefix) {
    size_t i = 0;
    for (; pszPrefix[i]; ++i) {
        char c = i < str.size() ? str[i] : '\0';
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != pszPrefix[i]) {
            return false;
        }
    }
    return true;
}

bool IsEndOfCard(std::string_view strLine) {
    return StartsWithNoCase(strLine, "END:VCARD") &&
           strLine.find_first_not_of(" \t", std::strlen("END:VCARD")) == std::string_view::npos;
}

bool IsQuotedPrintable(const std::string& strLine) {
    size_t nColon = strLine.find(':');
    std::string strHead = strLine.substr(0, nColon);
    for (char& c : strHead) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return strHead.find("QUOTED-PRINTABLE") != std::string::npos;
}

bool EndsWithOneBackslash(const std::string& str) {
    size_t n = 0;
    while (n < str.size() && str[str.size() - 1 - n] == '\\') {
        ++n;
    }
    return n % 2 == 1;
}

// The characters that mark a quoted-printable value, looked for from nFrom on.
bool HasQuotedPrintableMark(const std::string& str, size_t nFrom) {
    static const char s_szMark[] = "QUOTED-PRINTABLE";
    const size_t nMark = sizeof(s_szMark) - 1;
    for (size_t i = nFrom; i + nMark <= str.size(); ++i) {
        size_t k = 0;
        while (k < nMark &&
               (str[i + k] == s_szMark[k] || (s_szMark[k] != '-' && str[i + k] == s_szMark[k] - 'A' + 'a'))) {
            ++k;
        }
        if (k == nMark) {
            return true;
        }
    }
    return false;
}

class CVCardParser {
public:
    CVCardParser(const CString& strFile, CContactArray& contacts, CImportReport& report)
        : m_strFile(strFile), m_contacts(contacts), m_report(report) {}

    void Parse(const std::string& strData, CWorkProgress* pProgress) {
        if (pProgress) {
            pProgress->SetTotal(static_cast<int64_t>(strData.size()));
        }
        CVCardLineReader reader(strData);
        CVCardLine line;
        for (int n = 0; reader.Next(m_stack.empty() || m_stack.back().bVersion21, line); ++n) {
            if (pProgress && (n & 1023) == 0) {
                pProgress->SetDone(static_cast<int64_t>(reader.Position()));
                if (pProgress->IsCancelled()) {
                    return;
                }
            }
            Logical(line.strText, line.nLine);
        }
        while (!m_stack.empty()) {
            CString strText;
            strText.Format("the card that starts here has no END:VCARD; it was imported as far as it goes");
            m_report.Warn(m_strFile, m_stack.back().nLine, strText);
            EndCard();
        }
    }

    int CardsFound() const { return m_nCards; }

private:
    void Logical(const std::string& strLine, int nLine) {
        if (strLine.find_first_not_of(" \t") == std::string::npos) {
            return;
        }
        CVCardProperty prop;
        if (!ParseProperty(strLine, nLine, prop)) {
            SkipLine(nLine, "skipped a line that is not a vCard property");
            return;
        }
        if (prop.strName == "BEGIN" && StartsWithNoCase(prop.strRaw, "VCARD")) {
            m_stack.emplace_back();
            m_stack.back().nLine = nLine;
            ++m_nCards;
        } else if (prop.strName == "END" && StartsWithNoCase(prop.strRaw, "VCARD")) {
            if (m_stack.empty()) {
                SkipLine(nLine, "skipped an END:VCARD without a card");
            } else {
                EndCard();
            }
        } else if (m_stack.empty()) {
            SkipLine(nLine, "skipped a line outside any card");
        } else {
            if (prop.strName == "VERSION") {
                m_stack.back().bVersion21 = prop.strRaw.compare(0, 3, "2.1") == 0;
            }
            m_stack.back().props.push_back(std::move(prop));
        }
    }

    void SkipLine(int nLine, const char* pszWhy) {
        ++m_report.nLinesSkipped;
        m_report.Warn(m_strFile, nLine, pszWhy);
    }

    void EndCard() {
        CCard card = std::move(m_stack.back());
        m_stack.pop_back();
        CContactBuilder builder(m_report, m_strFile, card.nLine);
        MapCard(card.props, card.bVersion21 ? VCardVersion::v21 : VCardVersion::v30, builder, m_report,
                m_strFile);
        CContact contact;
        if (builder.Finish(contact)) {
            m_contacts.Add(std::move(contact));
        }
    }

    CString m_strFile;
    CContactArray& m_contacts;
    CImportReport& m_report;
    std::vector<CCard> m_stack; // cards inside cards are cards of their own
    int m_nCards = 0;
};

} // namespace

CVCardLineReader::CVCardLineReader(const std::string& strData, size_t nStart)
    : m_strData(strData), m_nPos(nStart) {}

std::string_view CVCardLineReader::PeekPhysical(size_t& nNext) const {
    // A plain scan: find_first_of looks each byte up in its set, a call per byte.
    size_t nEnd = m_nPos;
    while (nEnd < m_strData.size() && m_strData[nEnd] != '\r' && m_strData[nEnd] != '\n') {
        ++nEnd;
    }
    // CR CR LF, which some writers produce, ends one line, not two.
    nNext = nEnd;
    while (nNext < m_strData.size() && m_strData[nNext] == '\r') {
        ++nNext;
    }
    if (nNext < m_strData.size() && m_strData[nNext] == '\n') {
        ++nNext;
    }
    return std::string_view(m_strData).substr(m_nPos, nEnd - m_nPos);
}

bool CVCardLineReader::IsQuotedPrintableSoFar(const std::string& strLogical) {
    if (!m_bColonSeen) {
        if (strLogical.find(':', m_nScanned) != std::string::npos) {
            m_bColonSeen = true;
            m_bQuotedPrintable = IsQuotedPrintable(strLogical);
        } else {
            // Without a colon the whole line is the head; the mark may straddle the last scan.
            size_t nBack = sizeof("QUOTED-PRINTABLE") - 2;
            m_bQuotedPrintable =
                m_bQuotedPrintable ||
                HasQuotedPrintableMark(strLogical, m_nScanned > nBack ? m_nScanned - nBack : 0);
            m_nScanned = strLogical.size();
        }
    }
    return m_bQuotedPrintable;
}

bool CVCardLineReader::Next(bool bVersion21, CVCardLine& line) {
    std::string_view strPhysical;
    size_t nNext = 0;
    do {
        if (m_nPos >= m_strData.size()) {
            return false;
        }
        strPhysical = PeekPhysical(nNext);
        line.nStart = m_nPos;
        line.nLine = ++m_nLine;
        m_nPos = nNext;
    } while (strPhysical.empty());
    line.strText.assign(strPhysical.data(), strPhysical.size());
    m_nScanned = 0;
    m_bColonSeen = false;
    m_bQuotedPrintable = false;
    std::string& str = line.strText;
    while (m_nPos < m_strData.size()) {
        strPhysical = PeekPhysical(nNext);
        bool bJoin = false;
        if (!str.empty() && str.back() == '=' && IsQuotedPrintableSoFar(str)) {
            str.pop_back(); // a soft line break
            m_nScanned = std::min(m_nScanned, str.size());
            // Some writers end a value's last line with one too; the card still ends there.
            bJoin = !IsEndOfCard(strPhysical);
            if (bJoin) {
                str += strPhysical;
            }
        }
        if (!bJoin && !strPhysical.empty() && (strPhysical[0] == ' ' || strPhysical[0] == '\t')) {
            // Folding: 2.1 keeps the blank, later versions drop it.
            str.append(strPhysical, bVersion21 ? 0 : 1, std::string::npos);
            bJoin = true;
        }
        if (!bJoin && bVersion21 && EndsWithOneBackslash(str) &&
            strPhysical.find(':') == std::string_view::npos) {
            // Some phones break long 2.1 values with a backslash at the end of the line.
            str.pop_back();
            str += "\\n";
            str += strPhysical;
            bJoin = true;
        }
        if (!bJoin) {
            break;
        }
        m_nPos = nNext;
        ++m_nLine;
    }
    line.nEnd = m_nPos;
    return true;
}

bool ReadVCards(const std::string& strData, const CString& strFile, CContactArray& contacts,
                CImportReport& report, CString& strError, CWorkProgress* pProgress) {
    CVCardParser parser(strFile, contacts, report);
    std::string strText(strData);
    // Without a mark each property's character set decides, so the bytes are left as they are;
    // only UTF-16, which no property names, is converted as a whole.
    bool bLittleEndian = false;
    bool bZeroBytes = strText.find('\0') < kUtf16ProbeLength;
    if (!DecodeByteOrderMark(strText) && bZeroBytes &&
        FindsUtf16Word(strText, "BEGIN:VCARD", bLittleEndian)) {
        strText = Utf16ToUtf8(strText, 0, bLittleEndian);
    }
    parser.Parse(strText, pProgress);
    if (parser.CardsFound() == 0) {
        strError.Format("%s: no vCard found (no line BEGIN:VCARD)", strFile.GetString());
        return false;
    }
    return true;
}
