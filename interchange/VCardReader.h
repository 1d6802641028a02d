// Reading vCards (2.1, 3.0 and 4.0, as phones and desktop programs write them) into contacts.
// Cards may be nested, folded, quoted-printable and in any character set; lines that are not
// properties are skipped with a warning naming their line, and the rest is imported.
#pragma once

#include "Charset.h"
#include "CharsetDetect.h"
#include "ImportReport.h"
#include "data/ContactArray.h"
#include "framework/core/WorkProgress.h"

#include <string>
#include <string_view>

// Appends one contact per card to contacts. False when the data holds no card at all;
// strError then says why. With pProgress, says how far it has read, and stops early when
// cancelled. A large file is read in nParts parts at once, or with 0 in as many as the
// processors and the size make worth it; the result is the same.
bool ReadVCards(const std::string& strData, const CString& strFile, CContactArray& contacts,
                CImportReport& report, CString& strError, CWorkProgress* pProgress = nullptr, int nParts = 0);

// One logical line of vCard data: its physical lines joined, and the bytes they take in the data
// (from the first line's start to past the last line's break), so that a card can be changed
// line by line in place.
struct CVCardLine {
    std::string strText;
    size_t nStart = 0;
    size_t nEnd = 0;
    int nLine = 0; // the first physical line's number, from 1
};

// The same as a view: over the data when the logical line is one physical line, which most are,
// else over the reader's own buffer, and valid until the reader's next call.
struct CVCardLineView {
    std::string_view strText;
    size_t nStart = 0;
    size_t nEnd = 0;
    int nLine = 0;
};

// Joins physical lines into logical ones the way every version writes them: folding (2.1 keeps
// the blank, later versions drop it), quoted-printable soft breaks, and the backslash at the
// end of a line some 2.1 writers use. Empty lines are skipped.
class CVCardLineReader {
public:
    explicit CVCardLineReader(std::string_view strData, size_t nStart = 0);

    // The set that lines naming no character set and not UTF-8 are in, so that a backslash or a
    // fold is not looked for inside a double-byte character.
    void SetUndeclaredCharset(const CUndeclaredCharset* pUndeclared) { m_pUndeclared = pUndeclared; }

    // The next logical line; false at the end of the data. bVersion21 tells how the card being
    // read folds its lines.
    bool Next(bool bVersion21, CVCardLine& line);
    bool Next(bool bVersion21, CVCardLineView& line);
    size_t Position() const { return m_nPos; }
    // Passes over the physical lines up to nPos, where one must start, without reading them, so
    // that the lines read from there on are numbered as in the whole data.
    void SkipTo(size_t nPos);

private:
    // The physical line at m_nPos without its break; nNext is where the one after it starts.
    std::string_view PeekPhysical(size_t& nNext);
    bool IsQuotedPrintableSoFar(std::string_view strLogical);
    // The double-byte set of a logical line: the one its CHARSET names, else the file's own
    // where the line is not UTF-8.
    DoubleByteSet LineSet(std::string_view strLine) const;
    // Whether a fold after strLine, whose next line goes on with chNext after the blank, is
    // inside a character.
    bool SplitsCharacter(std::string_view strLine, char chNext) const;

    std::string_view m_strData;
    const CUndeclaredCharset* m_pUndeclared = nullptr;
    size_t m_nPos;
    int m_nLine = 0;
    // A logical line is read by peeking at the physical line after it, which is then read again
    // as the next one; the peek is kept so that every byte is scanned once.
    size_t m_nPeekStart = std::string_view::npos;
    size_t m_nPeekEnd = 0;
    size_t m_nPeekNext = 0;
    size_t m_nNextLf = std::string_view::npos; // the first LF at or after m_nPos's line, or the size
    std::string m_strJoined; // a logical line of several physical ones
    // Whether the logical line being joined is quoted-printable is found by scanning each byte
    // once, so that a long value of many soft breaks is joined in linear time.
    size_t m_nScanned = 0;
    bool m_bColonSeen = false;
    bool m_bQuotedPrintable = false;
};
