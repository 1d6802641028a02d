// Character sets of interchange files. The address book holds UTF-8; files bring UTF-8,
// UTF-16, ISO-8859-1, Windows-1252, Shift_JIS and others. Windows-1252 and ISO-8859-1 go
// through the program's own table (framework/core/CodePage), so both builds agree byte for
// byte; the system converts the rest.
#pragma once

#include "framework/core/String.h"

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

// The character that stands for bytes a file's character set does not hold.
const char kReplacementCharacter[] = "\xEF\xBF\xBD";

// Text of a file that says nothing of its character set: UTF-8 when it is, else in the set
// DetectCharset finds (Windows-1252, in which every byte is a character, when nothing fits
// better). With ppszCharset, says which set that was (nullptr for UTF-8).
std::string GuessedTextToUtf8(const std::string& strBytes, const char** ppszCharset = nullptr);

// Whether the text starts with a UTF-8 or UTF-16 byte-order mark: the marks DecodeByteOrderMark
// takes away or converts by.
bool HasByteOrderMark(const std::string& strData);
// Removes a UTF-8 byte-order mark, or converts text with a UTF-16 one to UTF-8. True when
// there was a mark, so the text is now UTF-8.
bool DecodeByteOrderMark(std::string& strData);
// The length of the UTF-8 byte-order mark the text starts with, 0 without one: text after it is
// UTF-8 as it stands.
size_t Utf8MarkLength(const std::string& strData);

// UTF-16 from byte nStart on as UTF-8; a lone half of a surrogate pair as U+FFFD.
std::string Utf16ToUtf8(const std::string& strData, size_t nStart, bool bLittleEndian);

// Some programs write UTF-16 without a mark. Each probe tells the byte order of such text from
// what the file must hold, or returns false for text that is not UTF-16.
// pszAscii (an ASCII word, case ignored) stands somewhere in the text as UTF-16: "BEGIN:VCARD".
bool FindsUtf16Word(const std::string& strData, const char* pszAscii, bool& bLittleEndian);
// The first line has zero bytes in every other position, as UTF-16 gives Latin letters, digits
// and separators; a few letters of other scripts among them do not matter.
bool FirstLineLooksUtf16(const std::string& strData, bool& bLittleEndian);

// Converts text in the named character set (case ignored: "UTF-8", "ISO-8859-1", "SHIFT_JIS",
// "WINDOWS-1252", ...) to UTF-8. False when the set is unknown or the text is not in it; strOut
// then holds the best reading (bytes not in the set as U+FFFD).
bool CharsetToUtf8(const CString& strCharset, const std::string& strIn, std::string& strOut);


// The character set of a file's values that name none and are not UTF-8, detected over the whole
// file the first time such a value is read, so that a UTF-8 file, as nearly every one is, is
// never looked at for it. The threads that read parts of one file share it.
class CUndeclaredCharset {
public:
    explicit CUndeclaredCharset(std::string_view strText) : m_strText(strText) {}
    CUndeclaredCharset(const CUndeclaredCharset&) = delete;
    CUndeclaredCharset& operator=(const CUndeclaredCharset&) = delete;

    const char* Get() const;
    // Says that the value at nLine was read in it; FirstUse is the earliest such line, 0 for none.
    void NoteUse(int nLine) const;
    int FirstUse() const { return m_nFirstUse.load(); }

private:
    std::string_view m_strText;
    mutable std::once_flag m_detected;
    mutable const char* m_pszCharset = nullptr;
    mutable std::atomic<int> m_nFirstUse{0};
};
