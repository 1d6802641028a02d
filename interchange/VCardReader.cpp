#include "VCardReader.h"

#include "Charset.h"
#include "CharsetDetect.h"
#include "ContactBuilder.h"
#include "VCardMapper.h"

#include "framework/core/Parallel.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Text cards start within their first few lines; zero bytes there mean UTF-16.
const size_t kUtf16ProbeLength = 4096;

// A card being read. Its properties are parsed in place into props, whose first nProps are the
// card's; the rest are kept from earlier cards at the same depth, so that their texts' memory
// is used again instead of allocated for every line.
struct CCard {
    int nLine = 0;
    bool bVersion21 = true; // as the card's VERSION line says, wherever it stands
    size_t nProps = 0;
    // The first character set other than UTF-8 that a property names: the card's other values
    // that name none and are not UTF-8 are in it too.
    std::string strDeclaredCharset;
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

// Whether a BEGIN or END value names a card ("VCARD", in any case, blanks after it), and not
// another kind of object whose name starts alike.
bool NamesCard(std::string_view strValue) {
    return StartsWithNoCase(strValue, "VCARD") &&
           strValue.find_first_not_of(" \t", std::strlen("VCARD")) == std::string_view::npos;
}

bool IsEndOfCard(std::string_view strLine) {
    return StartsWithNoCase(strLine, "END:VCARD") &&
           strLine.find_first_not_of(" \t", std::strlen("END:VCARD")) == std::string_view::npos;
}

// A plain scan: find_first_not_of looks each byte up in its set, a call per byte.
bool IsBlank(std::string_view str) {
    for (char c : str) {
        if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return true;
}

// Whether str ends inside a UTF-8 character: a first byte without all the bytes it announces.
bool EndsInsideUtf8(std::string_view str) {
    size_t nFollowers = 0;
    while (nFollowers < 3 && nFollowers < str.size() &&
           (static_cast<unsigned char>(str[str.size() - 1 - nFollowers]) & 0xC0) == 0x80) {
        ++nFollowers;
    }
    if (nFollowers == str.size()) {
        return false;
    }
    unsigned char b = static_cast<unsigned char>(str[str.size() - 1 - nFollowers]);
    size_t nLength = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    return nLength > nFollowers + 1;
}

bool IsUtf8Follower(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool IsUtf8Name(std::string_view strCharset) {
    return StartsWithNoCase(strCharset, "UTF-8") || StartsWithNoCase(strCharset, "UTF8") ||
           StartsWithNoCase(strCharset, "US-ASCII");
}

// The VERSION a card declares, looked for ahead from nFrom, just after its BEGIN line, so that
// the lines before a VERSION written last are unfolded as the card's version wants. Stops at the
// card's end or a card inside it; most cards name their version on the next line.
bool IsVersion21Ahead(std::string_view strData, size_t nFrom) {
    while (nFrom < strData.size()) {
        size_t nEnd = std::min(strData.find('\n', nFrom), strData.size());
        std::string_view strLine = strData.substr(nFrom, nEnd - nFrom);
        if (StartsWithNoCase(strLine, "VERSION:")) {
            return strLine.substr(std::strlen("VERSION:")).compare(0, 3, "2.1") == 0;
        }
        if (StartsWithNoCase(strLine, "END:VCARD") || StartsWithNoCase(strLine, "BEGIN:VCARD")) {
            break;
        }
        nFrom = nEnd + 1;
    }
    return true; // a card without a version is read as 2.1, the most lenient
}

// The characters that mark a quoted-printable value, looked for from nFrom on.
bool HasQuotedPrintableMark(std::string_view str, size_t nFrom) {
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

bool IsQuotedPrintable(std::string_view strLine) {
    return HasQuotedPrintableMark(strLine.substr(0, strLine.find(':')), 0);
}

// Cards as most files spell their start; a count to reserve by, not the cards read.
int CountCardStarts(std::string_view strText) {
    int nCount = 0;
    for (size_t n = strText.find("BEGIN:VCARD"); n != std::string_view::npos;
         n = strText.find("BEGIN:VCARD", n + 1)) {
        ++nCount;
    }
    return nCount;
}

// Where a file may be read in up to nParts parts at once, the first at 0: each at a card that
// starts on the line after a card's end, spelled as most writers do, the first such from its
// share of the bytes on. Such a line break joins no lines, so every part reads its lines as
// the whole file would.
std::vector<size_t> PartStarts(std::string_view text, int nParts) {
    static const std::string_view s_strEnd = "\nEND:VCARD";
    static const std::string_view s_strBegin = "BEGIN:VCARD";
    std::vector<size_t> starts(1, 0);
    for (int k = 1; k < nParts; ++k) {
        size_t nFound = std::string_view::npos;
        size_t nFrom = std::max(starts.back() + 1, PartStart(text.size(), k, nParts));
        for (size_t n = text.find(s_strEnd, nFrom);
             n != std::string_view::npos && nFound == std::string_view::npos;
             n = text.find(s_strEnd, n + 1)) {
            size_t nNext = n + s_strEnd.size();
            nNext += text.compare(nNext, 2, "\r\n") == 0 ? 2 : text.compare(nNext, 1, "\n") == 0 ? 1 : 0;
            if (nNext > n + s_strEnd.size() && text.compare(nNext, s_strBegin.size(), s_strBegin) == 0) {
                nFound = nNext;
            }
        }
        if (nFound == std::string_view::npos) {
            break;
        }
        starts.push_back(nFound);
    }
    return starts;
}

class CVCardParser {
public:
    // undeclared is the set of the file's values that name none and are not UTF-8.
    CVCardParser(const CString& strFile, CContactArray& contacts, CImportReport& report,
                 const CUndeclaredCharset& undeclared)
        : m_strFile(strFile), m_contacts(contacts), m_report(report), m_undeclared(undeclared) {}

    // Reads the cards of strData from nStart on; the lines before it only count.
    void Parse(std::string_view strData, size_t nStart, CWorkProgress* pProgress) {
        CVCardLineReader reader(strData);
        reader.SetUndeclaredCharset(&m_undeclared);
        reader.SkipTo(nStart);
        m_strData = strData;
        m_pReader = &reader;
        CVCardLineView line;
        size_t nToldDone = nStart;
        for (int n = 0; reader.Next(m_nDepth == 0 || m_cards[m_nDepth - 1].bVersion21, line); ++n) {
            if (pProgress && (n & 1023) == 0) {
                pProgress->AddDone(static_cast<int64_t>(reader.Position() - nToldDone));
                nToldDone = reader.Position();
                if (pProgress->IsCancelled()) {
                    return;
                }
            }
            Logical(line.strText, line.nLine);
        }
    }

    // Whether a card is still open where the data ended.
    bool HasOpenCard() const { return m_nDepth > 0; }

    // Ends the cards the data left open, each with a warning.
    void CloseOpenCards() {
        while (m_nDepth > 0) {
            CString strText;
            strText.Format("the card that starts here has no END:VCARD; it was imported as far as it goes");
            m_report.Warn(m_strFile, m_cards[m_nDepth - 1].nLine, strText);
            EndCard();
        }
    }

    int CardsFound() const { return m_nCards; }

private:
    void Logical(std::string_view strLine, int nLine) {
        if (IsBlank(strLine)) {
            return;
        }
        // Parsed into the next free place of the open card, where it stays when it is one of
        // the card's properties.
        CVCardProperty* pProp = &m_outside;
        if (m_nDepth > 0) {
            CCard& card = m_cards[m_nDepth - 1];
            if (card.nProps == card.props.size()) {
                card.props.emplace_back();
                card.props.back().pUndeclared = &m_undeclared;
            }
            pProp = &card.props[card.nProps];
        }
        CVCardProperty& prop = *pProp;
        if (!ParseProperty(strLine, nLine, prop)) {
            SkipLine(nLine, "skipped a line that is not a vCard property");
            return;
        }
        if (prop.name == VCardName::begin && NamesCard(prop.strRaw)) {
            if (m_nDepth == m_cards.size()) {
                m_cards.emplace_back();
            }
            CCard& card = m_cards[m_nDepth++];
            card.nLine = nLine;
            card.bVersion21 = IsVersion21Ahead(m_strData, m_pReader->Position());
            card.nProps = 0;
            card.strDeclaredCharset.clear();
            ++m_nCards;
        } else if (prop.name == VCardName::end && NamesCard(prop.strRaw)) {
            if (m_nDepth == 0) {
                SkipLine(nLine, "skipped an END:VCARD without a card");
            } else {
                EndCard();
            }
        } else if (m_nDepth == 0) {
            SkipLine(nLine, "skipped a line outside any card");
        } else {
            CCard& card = m_cards[m_nDepth - 1];
            if (prop.name == VCardName::version) {
                card.bVersion21 = prop.strRaw.compare(0, 3, "2.1") == 0;
            }
            if (card.strDeclaredCharset.empty() && !prop.strCharset.empty() && !IsUtf8Name(prop.strCharset)) {
                card.strDeclaredCharset = prop.strCharset;
            }
            ++card.nProps;
        }
    }

    void SkipLine(int nLine, const char* pszWhy) {
        ++m_report.nLinesSkipped;
        m_report.Warn(m_strFile, nLine, pszWhy);
    }

    // Gives the values that name no character set and are not UTF-8 the set the card names for
    // others; the rest are read in the file's (CVCardProperty::pUndeclared).
    void SpreadCharset(CCard& card) {
        if (card.strDeclaredCharset.empty()) {
            return; // as most cards
        }
        for (size_t p = 0; p < card.nProps; ++p) {
            CVCardProperty& prop = card.props[p];
            if (prop.strCharset.empty() && !prop.IsBinary() &&
                !(prop.strEncoding.empty() ? IsValidUtf8(prop.strRaw) : IsValidUtf8(ValueBytes(prop)))) {
                prop.strCharset = card.strDeclaredCharset;
            }
        }
    }

    void EndCard() {
        CCard& card = m_cards[--m_nDepth];
        SpreadCharset(card);
        CContactBuilder builder(m_report, m_strFile, card.nLine);
        MapCard(card.props.data(), card.nProps, card.bVersion21 ? VCardVersion::v21 : VCardVersion::v30,
                builder, m_report, m_strFile, m_mapRoom);
        // Finished where it stays, instead of moved there.
        int nContacts = m_contacts.GetSize();
        m_contacts.SetSize(nContacts + 1);
        if (!builder.Finish(m_contacts[nContacts])) {
            m_contacts.SetSize(nContacts);
        }
    }

    CString m_strFile;
    CContactArray& m_contacts;
    CImportReport& m_report;
    // Cards inside cards are cards of their own; the first m_nDepth are open, the innermost last.
    std::vector<CCard> m_cards;
    size_t m_nDepth = 0;
    CVCardProperty m_outside; // a line outside any card, parsed to be told apart
    CVCardMapRoom m_mapRoom;
    int m_nCards = 0;
    const CUndeclaredCharset& m_undeclared;
    std::string_view m_strData;
    const CVCardLineReader* m_pReader = nullptr;
};

} // namespace

CVCardLineReader::CVCardLineReader(std::string_view strData, size_t nStart)
    : m_strData(strData), m_nPos(nStart) {}

DoubleByteSet CVCardLineReader::LineSet(std::string_view strLine) const {
    // Asked at every fold of a long value: only the line's start and end are looked at, so that
    // joining stays linear.
    const size_t kLook = 1024;
    std::string_view strStart = strLine.substr(0, kLook);
    std::string_view strHead = strStart.substr(0, strStart.find(':'));
    for (size_t n = 0; n + 8 <= strHead.size(); ++n) {
        if (StartsWithNoCase(strHead.substr(n), "CHARSET=")) {
            std::string_view strName = strHead.substr(n + 8);
            return DoubleByteSetOf(strName.substr(0, strName.find(';')));
        }
    }
    if (!m_pUndeclared) {
        return DoubleByteSet::none;
    }
    size_t nTail = strLine.size() > kLook ? strLine.size() - kLook : 0;
    while (nTail < strLine.size() && static_cast<unsigned char>(strLine[nTail]) >= 0x80) {
        ++nTail; // to a character's start in UTF-8
    }
    return IsValidUtf8(strLine.substr(nTail)) ? DoubleByteSet::none : DoubleByteSetOf(m_pUndeclared->Get());
}

void CVCardLineReader::SkipTo(size_t nPos) {
    // Where every CR stands before an LF, as in nearly every file, each line ends in one LF:
    // memchr finds those, and the CRs to be sure, more quickly than the lines are read.
    const std::string_view skipped = m_strData.substr(m_nPos, nPos - m_nPos);
    bool bEveryCrBeforeLf = !skipped.empty() && skipped.back() == '\n';
    for (size_t n = skipped.find('\r'); bEveryCrBeforeLf && n != std::string_view::npos;
         n = skipped.find('\r', n + 1)) {
        bEveryCrBeforeLf = n + 1 < skipped.size() && skipped[n + 1] == '\n';
    }
    if (bEveryCrBeforeLf) {
        for (size_t n = skipped.find('\n'); n != std::string_view::npos; n = skipped.find('\n', n + 1)) {
            ++m_nLine;
        }
        m_nPos = nPos;
        return;
    }
    while (m_nPos < nPos) {
        size_t nNext = 0;
        PeekPhysical(nNext);
        m_nPos = nNext;
        ++m_nLine;
    }
}

std::string_view CVCardLineReader::PeekPhysical(size_t& nNext) {
    if (m_nPeekStart != m_nPos) {
        // The line ends at the first LF or CR. The next LF is kept, so that a file without one
        // (CR breaks alone) is searched for it once, not once a line; the CR is looked for only
        // up to it.
        const char* pData = m_strData.data();
        size_t nSize = m_strData.size();
        if (m_nNextLf < m_nPos || m_nNextLf == std::string_view::npos) {
            const void* pLf = std::memchr(pData + m_nPos, '\n', nSize - m_nPos);
            m_nNextLf = pLf ? static_cast<size_t>(static_cast<const char*>(pLf) - pData) : nSize;
        }
        const void* pCr = std::memchr(pData + m_nPos, '\r', m_nNextLf - m_nPos);
        size_t nEnd = pCr ? static_cast<size_t>(static_cast<const char*>(pCr) - pData) : m_nNextLf;
        // CR CR LF, which some writers produce, ends one line, not two; CRs without an LF after
        // them end a line each, so that a blank line keeps its number.
        size_t nAfter = nEnd;
        while (nAfter < nSize && pData[nAfter] == '\r') {
            ++nAfter;
        }
        if (nAfter < nSize && pData[nAfter] == '\n') {
            ++nAfter;
        } else if (nAfter > nEnd) {
            nAfter = nEnd + 1;
        }
        m_nPeekStart = m_nPos;
        m_nPeekEnd = nEnd;
        m_nPeekNext = nAfter;
    }
    nNext = m_nPeekNext;
    return m_strData.substr(m_nPos, m_nPeekEnd - m_nPos);
}

bool CVCardLineReader::IsQuotedPrintableSoFar(std::string_view strLogical) {
    if (!m_bColonSeen) {
        if (strLogical.find(':', m_nScanned) != std::string_view::npos) {
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

bool CVCardLineReader::SplitsCharacter(std::string_view strLine, char chNext) const {
    if (EndsInsideUtf8(strLine)) {
        return IsUtf8Follower(chNext);
    }
    unsigned char b = static_cast<unsigned char>(strLine.empty() ? 0 : strLine.back());
    return b >= 0x80 && EndsInsideCharacter(LineSet(strLine), strLine);
}

bool CVCardLineReader::Next(bool bVersion21, CVCardLine& line) {
    CVCardLineView view;
    if (!Next(bVersion21, view)) {
        return false;
    }
    line.strText.assign(view.strText.data(), view.strText.size());
    line.nStart = view.nStart;
    line.nEnd = view.nEnd;
    line.nLine = view.nLine;
    return true;
}

bool CVCardLineReader::Next(bool bVersion21, CVCardLineView& line) {
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
    m_nScanned = 0;
    m_bColonSeen = false;
    m_bQuotedPrintable = false;
    // The line stays a view over the data until a physical line joins it; from then on it is
    // built in m_strJoined, and str views that.
    std::string_view str = strPhysical;
    bool bJoined = false;
    auto joined = [&]() -> std::string& {
        if (!bJoined) {
            m_strJoined.assign(str.data(), str.size());
            bJoined = true;
        }
        return m_strJoined;
    };
    while (m_nPos < m_strData.size()) {
        strPhysical = PeekPhysical(nNext);
        bool bJoin = false;
        if (!str.empty() && str.back() == '=' && IsQuotedPrintableSoFar(str)) {
            str.remove_suffix(1); // a soft line break
            if (bJoined) {
                m_strJoined.pop_back();
            }
            m_nScanned = std::min(m_nScanned, str.size());
            // Some writers end a value's last line with one too; the card still ends there.
            bJoin = !IsEndOfCard(strPhysical);
            if (bJoin) {
                joined() += strPhysical;
            }
        }
        if (!bJoin && !strPhysical.empty() && (strPhysical[0] == ' ' || strPhysical[0] == '\t')) {
            // Folding: 2.1 keeps the blank, later versions drop it; a fold inside a character,
            // which a writer counting bytes makes, joins its bytes in 2.1 too.
            bool bKeepBlank = bVersion21 && !(strPhysical.size() > 1 && SplitsCharacter(str, strPhysical[1]));
            joined() += strPhysical.substr(bKeepBlank ? 0 : 1);
            bJoin = true;
        }
        if (!bJoin && bVersion21 && !str.empty() && str.back() == '\\' && EndsWithLoneBackslash(LineSet(str), str) &&
            strPhysical.find(':') == std::string_view::npos) {
            // Some phones break long 2.1 values with a backslash at the end of the line.
            std::string& strOwn = joined();
            strOwn.pop_back();
            strOwn += "\\n";
            strOwn += strPhysical;
            bJoin = true;
        }
        if (bJoined) {
            str = m_strJoined;
        }
        if (!bJoin) {
            break;
        }
        m_nPos = nNext;
        ++m_nLine;
    }
    line.strText = str;
    line.nEnd = m_nPos;
    return true;
}

bool ReadVCards(const std::string& strData, const CString& strFile, CContactArray& contacts,
                CImportReport& report, CString& strError, CWorkProgress* pProgress, int nParts) {
    // Without a mark each property's character set decides, so the bytes are left as they are;
    // only UTF-16, which no property names, is converted as a whole. Text without a mark is read
    // where it is, without a copy.
    std::string strConverted;
    std::string_view text(strData);
    bool bLittleEndian = false;
    bool bZeroBytes =
        std::string_view(strData).substr(0, kUtf16ProbeLength).find('\0') != std::string_view::npos;
    if (size_t nMark = Utf8MarkLength(strData)) {
        text.remove_prefix(nMark);
    } else if (HasByteOrderMark(strData)) {
        strConverted = strData;
        DecodeByteOrderMark(strConverted);
        text = strConverted;
    } else if (bZeroBytes && FindsUtf16Word(strData, "BEGIN:VCARD", bLittleEndian)) {
        strConverted = Utf16ToUtf8(strData, 0, bLittleEndian);
        text = strConverted;
    }
    // Values that name no character set are UTF-8 in nearly every file; in a file that is not,
    // such values are in the set the file's text is in.
    const CUndeclaredCharset undeclared(text);
    if (pProgress) {
        pProgress->SetTotal(static_cast<int64_t>(text.size()));
    }
    // A large file is read in parts at once, each into contacts and a report of its own that
    // then follow one another; the first part writes where the rest go. A part that ends inside
    // a card means the parts were cut where a card nested in another ended: then the file is
    // read again in one piece.
    const int nHad = contacts.GetSize();
    const CImportReport reportBefore = report;
    std::vector<size_t> starts =
        PartStarts(text, nParts > 0 ? nParts : WorkParts(text.size(), kMinBytesPerPart));
    int nCards = 0;
    for (bool bWhole = starts.size() == 1;; bWhole = true) {
        if (bWhole) {
            starts.assign(1, 0);
        }
        const int nCount = static_cast<int>(starts.size());
        std::vector<CContactArray> partContacts(starts.size());
        std::vector<CImportReport> partReports(starts.size());
        std::vector<int> partCards(starts.size(), 0);
        std::vector<char> partOpen(starts.size(), 0);
        RunParts(nCount, [&](int k) {
            const size_t nPart = static_cast<size_t>(k);
            const size_t nEnd = nPart + 1 < starts.size() ? starts[nPart + 1] : text.size();
            CContactArray& out = k == 0 ? contacts : partContacts[nPart];
            // Each card becomes at most one contact; the list grows once instead of moving its
            // contacts every time it doubles.
            out.Reserve(out.GetSize() + CountCardStarts(text.substr(starts[nPart], nEnd - starts[nPart])));
            CVCardParser parser(strFile, out, k == 0 ? report : partReports[nPart], undeclared);
            parser.Parse(text.substr(0, nEnd), starts[nPart], pProgress);
            if (k + 1 == nCount && !(pProgress && pProgress->IsCancelled())) {
                parser.CloseOpenCards();
            }
            partOpen[nPart] = parser.HasOpenCard();
            partCards[nPart] = parser.CardsFound();
        });
        bool bCancelled = pProgress && pProgress->IsCancelled();
        if (bWhole || bCancelled || std::find(partOpen.begin(), partOpen.end(), 1) == partOpen.end()) {
            for (size_t k = 0; k < starts.size(); ++k) {
                nCards += partCards[k];
                if (k > 0) {
                    contacts.Append(std::move(partContacts[k]));
                    report.Append(std::move(partReports[k]));
                }
            }
            break;
        }
        contacts.SetSize(nHad);
        report = reportBefore;
        if (pProgress) {
            pProgress->SetDone(0);
        }
    }
    if (nCards == 0) {
        strError.Format("%s: no vCard found (no line BEGIN:VCARD)", strFile.GetString());
        return false;
    }
    if (undeclared.FirstUse() && std::string_view(undeclared.Get()) != kCharsetWindows1252) {
        // Windows-1252, which Western programs have always written, goes without a word.
        CString strText;
        strText.Format("values that name no character set and are not UTF-8 were read as %s, which their "
                       "text is in",
                       undeclared.Get());
        report.Warn(strFile, undeclared.FirstUse(), strText);
    }
    return true;
}
