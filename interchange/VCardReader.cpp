#include "VCardReader.h"

#include "Charset.h"
#include "ContactBuilder.h"
#include "VCardMapper.h"

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

bool StartsWithNoCase(const std::string& str, const char* pszPrefix) {
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

bool IsEndOfCard(const std::string& strLine) {
    return StartsWithNoCase(strLine, "END:VCARD") &&
           strLine.find_first_not_of(" \t", std::strlen("END:VCARD")) == std::string::npos;
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

class CVCardParser {
public:
    CVCardParser(const CString& strFile, CContactArray& contacts, CImportReport& report)
        : m_strFile(strFile), m_contacts(contacts), m_report(report) {}

    void Parse(const std::string& strData, CWorkProgress* pProgress) {
        size_t i = 0;
        int nLine = 0;
        if (pProgress) {
            pProgress->SetTotal(static_cast<int64_t>(strData.size()));
        }
        while (i < strData.size()) {
            if (pProgress && (nLine & 1023) == 0) {
                pProgress->SetDone(static_cast<int64_t>(i));
                if (pProgress->IsCancelled()) {
                    return;
                }
            }
            size_t nEnd = strData.find_first_of("\r\n", i);
            if (nEnd == std::string::npos) {
                nEnd = strData.size();
            }
            std::string strPhysical = strData.substr(i, nEnd - i);
            ++nLine;
            // CR CR LF, which some writers produce, ends one line, not two.
            i = nEnd;
            while (i < strData.size() && strData[i] == '\r') {
                ++i;
            }
            if (i < strData.size() && strData[i] == '\n') {
                ++i;
            }
            Physical(strPhysical, nLine);
        }
        Flush();
        while (!m_stack.empty()) {
            CString strText;
            strText.Format("the card that starts here has no END:VCARD; it was imported as far as it goes");
            m_report.Warn(m_strFile, m_stack.back().nLine, strText);
            EndCard();
        }
    }

    int CardsFound() const { return m_nCards; }

private:
    void Physical(const std::string& strLine, int nLine) {
        if (m_bHaveLogical) {
            bool bVersion21 = m_stack.empty() || m_stack.back().bVersion21;
            if (IsQuotedPrintable(m_strLogical) && !m_strLogical.empty() && m_strLogical.back() == '=') {
                m_strLogical.pop_back(); // a soft line break
                // Some writers end a value's last line with one too; the card still ends there.
                if (!IsEndOfCard(strLine)) {
                    m_strLogical += strLine;
                    return;
                }
            }
            if (!strLine.empty() && (strLine[0] == ' ' || strLine[0] == '\t')) {
                // Folding: 2.1 keeps the blank, later versions drop it.
                m_strLogical += bVersion21 ? strLine : strLine.substr(1);
                return;
            }
            if (bVersion21 && EndsWithOneBackslash(m_strLogical) && strLine.find(':') == std::string::npos) {
                // Some phones break long 2.1 values with a backslash at the end of the line.
                m_strLogical.pop_back();
                m_strLogical += "\\n" + strLine;
                return;
            }
        }
        Flush();
        if (!strLine.empty()) {
            m_strLogical = strLine;
            m_nLogicalLine = nLine;
            m_bHaveLogical = true;
        }
    }

    void Flush() {
        if (m_bHaveLogical) {
            m_bHaveLogical = false;
            Logical(m_strLogical, m_nLogicalLine);
        }
    }

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
            m_contacts.Add(contact);
        }
    }

    CString m_strFile;
    CContactArray& m_contacts;
    CImportReport& m_report;
    std::vector<CCard> m_stack; // cards inside cards are cards of their own
    std::string m_strLogical;
    int m_nLogicalLine = 0;
    bool m_bHaveLogical = false;
    int m_nCards = 0;
};

} // namespace

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
