#include "SavedLayoutReader.h"

#include "BookFormat.h"

#include "framework/core/ByteWords.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The fewest bytes of an entry as the writer writes it: its two lines,
// "\t\t<entry id=\"\">\r\n\t\t</entry>\r\n", and a line "\t\t\t<tag value=\"\"/>\r\n" for every field.
int64_t SmallestWrittenEntry() {
    int64_t nSize = 28;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        nSize += 17 + static_cast<int64_t>(std::strlen(CContact::FieldTag(f)));
    }
    return nSize;
}

// The bytes of the file through a window that slides along it: a field's value of any length
// fits, while the memory held stays a small fraction of a large book.
class CByteWindow {
public:
    explicit CByteWindow(CFile& file) : m_file(file) { m_buffer.resize(kChunk); }

    bool Failed() const { return m_bFailed; }

    // Consumes the literal when the bytes ahead begin with it.
    bool Take(std::string_view literal) {
        if (!Have(literal.size()) || std::memcmp(Ahead(), literal.data(), literal.size()) != 0) {
            return false;
        }
        m_nPos += literal.size();
        return true;
    }

    // The bytes ahead up to (not including) the next ch, which is consumed too; false when the
    // file ends first.
    bool TakeUntil(char ch, std::string_view& text) {
        size_t nSearched = 0;
        for (;;) {
            const char* p =
                static_cast<const char*>(std::memchr(Ahead() + nSearched, ch, m_nEnd - m_nPos - nSearched));
            if (p) {
                text = std::string_view(Ahead(), static_cast<size_t>(p - Ahead()));
                m_nPos += text.size() + 1;
                return true;
            }
            nSearched = m_nEnd - m_nPos;
            if (!Have(nSearched + 1)) {
                return false;
            }
        }
    }

    // The small letters ahead up to (not including) the next "=", which is consumed too; false
    // when anything else comes first, or nothing. Looked at byte by byte: an attribute's name is
    // a few letters, too short to be worth a call that searches.
    bool TakeSmallLettersUntilEquals(std::string_view& text) {
        for (size_t n = 0; Have(n + 1); ++n) {
            char c = Ahead()[n];
            if (c == '=') {
                text = std::string_view(Ahead(), n);
                m_nPos += n + 1;
                return n > 0;
            }
            if (c < 'a' || c > 'z') {
                return false;
            }
        }
        return false;
    }

    bool AtEnd() { return !Have(1) && !m_bFailed; }

private:
    static constexpr size_t kChunk = 256 * 1024;

    const char* Ahead() const { return m_buffer.data() + m_nPos; }

    // Makes at least n bytes available ahead; false when the file ends first or cannot be read.
    bool Have(size_t n) {
        while (m_nEnd - m_nPos < n) {
            if (m_bAtEnd) {
                return false;
            }
            // What is left moves to the front; the window grows only for a value longer than it.
            size_t nLeft = m_nEnd - m_nPos;
            std::memmove(&m_buffer[0], Ahead(), nLeft);
            m_nPos = 0;
            m_nEnd = nLeft;
            if (m_buffer.size() - m_nEnd < kChunk / 2) {
                m_buffer.resize(m_buffer.size() * 2);
            }
            unsigned nRead = m_file.Read(&m_buffer[m_nEnd], static_cast<unsigned>(m_buffer.size() - m_nEnd));
            if (nRead == 0) {
                m_bAtEnd = true;
                m_bFailed = m_file.GetFailure().m_cause != CFileException::none;
            }
            m_nEnd += nRead;
        }
        return true;
    }

    CFile& m_file;
    std::string m_buffer;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    bool m_bAtEnd = false;
    bool m_bFailed = false;
};

// The number in the root's value attribute, the count of entries the writer put in the file, but
// no more than the writer could have put in a file of this size: room is made for them at once,
// so that no record is moved while the list grows and the list's memory is never held twice,
// and a file that claims more is given no more room than its bytes could fill.
int ExpectedEntries(std::string_view count, int64_t nFileSize) {
    const int64_t nMost = nFileSize / SmallestWrittenEntry();
    int64_t n = 0;
    for (char c : count) {
        if (c < '0' || c > '9') {
            return 0;
        }
        n = std::min(n * 10 + (c - '0'), nMost);
    }
    return static_cast<int>(n);
}

// Whether every text read so far is UTF-8 without a control character other than tab, CR and
// LF. Looked at while its bytes are at hand, so that a loader need not pass over every contact
// again to find what it would convert or warn about, which most books hold nowhere.
class CTextCheck {
public:
    bool IsPlain() const { return m_bPlain; }

    void Look(std::string_view text) {
        const char* p = text.data();
        for (size_t i = 0; m_bPlain && i < text.size();) {
            // Eight bytes at a time while none is below a blank or above ASCII: a byte below 0x20
            // borrows into its own high bit, and the first such byte is found whatever follows.
            if (i + sizeof(uint64_t) <= text.size()) {
                uint64_t nEight = EightBytesAt(p + i);
                if ((((nEight - 0x20 * kEachByte) | nEight) & kHighBits) == 0) {
                    i += sizeof(uint64_t);
                    continue;
                }
            }
            unsigned char c = static_cast<unsigned char>(p[i]);
            if (c >= 0x80) {
                m_bPlain = DecodeUtf8(text, i) != kInvalidUtf8;
            } else {
                m_bPlain = c >= 0x20 || c == '\t' || c == '\r' || c == '\n';
                ++i;
            }
        }
    }

private:
    bool m_bPlain = true;
};

// What a further value's attribute sets: its type, its label, its text, an address part
// (0 to kAddressPartCount - 1), or nothing.
enum { kSetsNothing = -1, kSetsType = -2, kSetsLabel = -3, kSetsText = -4 };

int WhatAttributeSets(std::string_view name, EValueKind kind) {
    if (name == kTypeAttribute) {
        return kSetsType;
    }
    if (name == kLabelAttribute) {
        return kSetsLabel;
    }
    if (kind != EValueKind::address) {
        return name == kValueAttribute ? kSetsText : kSetsNothing;
    }
    int nPart = AddressPartOfAttribute(name);
    return nPart >= 0 ? nPart : kSetsNothing;
}

// Room for reading further values, kept from one entry to the next so that a large book reads
// them without making anything anew for each: an entry's values, the first nValues of values,
// which go into the entry at its end in one piece of memory of their number, and an address's
// parts.
struct CValueRoom {
    std::vector<CContactValue> values;
    size_t nValues = 0;
    std::string parts[kAddressPartCount];

    CContactValue& NextValue() {
        if (nValues == values.size()) {
            values.emplace_back();
        }
        CContactValue& value = values[nValues++];
        value.type.Empty();
        value.label.Empty();
        value.text.Empty();
        return value;
    }
    void MoveInto(std::vector<CContactValue>& into) {
        into.assign(std::make_move_iterator(values.begin()),
                    std::make_move_iterator(values.begin() + static_cast<std::ptrdiff_t>(nValues)));
        nValues = 0;
    }
};

// The rest of a further value's element, whose name was just read: its attributes, each
// name="text" after one blank, up to "/>" and CR LF. Read as ValueOfElement reads the element's
// attributes: a later attribute of one name wins, and those it does not know are passed over.
// The texts are copied as they come, since the window may move its bytes for the next one.
bool ReadValueElement(CByteWindow& window, EValueKind kind, CValueRoom& room, CTextCheck& check) {
    CContactValue& value = room.NextValue();
    value.kind = kind;
    const bool bAddress = kind == EValueKind::address;
    if (bAddress) {
        for (std::string& strPart : room.parts) {
            strPart.clear();
        }
    }
    std::string_view text;
    do {
        // A name of small letters only, as the writer writes them; anything else is left to the
        // tolerant reader, which knows what markup in it means.
        if (!window.TakeSmallLettersUntilEquals(text)) {
            return false;
        }
        const int nSets = WhatAttributeSets(text, kind);
        if (!window.Take("\"") || !window.TakeUntil('"', text)) {
            return false;
        }
        check.Look(text);
        const int nLength = static_cast<int>(text.size());
        switch (nSets) {
        case kSetsNothing: break;
        case kSetsType: value.type = CString(text.data(), nLength); break;
        case kSetsLabel: value.label = CString(text.data(), nLength); break;
        case kSetsText: value.text = CString(text.data(), nLength); break;
        default: room.parts[nSets].assign(text); break;
        }
    } while (window.Take(" "));
    if (!window.Take("/>\r\n")) {
        return false;
    }
    if (bAddress) {
        std::string_view parts[kAddressPartCount];
        std::copy(std::begin(room.parts), std::end(room.parts), parts);
        value.SetAddressParts(parts);
    }
    return true;
}

bool ReadEntries(CByteWindow& window, CContactArray& contacts, CTextCheck& check) {
    std::string_view text;
    CValueRoom room;
    while (window.Take("\t\t<entry id=\"")) {
        if (!window.TakeUntil('"', text) || !window.Take(">\r\n")) {
            return false;
        }
        CContact& contact = contacts.ElementAt(contacts.Add(CContact()));
        int nField = kNoField;
        while (window.Take("\t\t\t<")) {
            if (!window.TakeUntil(' ', text)) {
                return false;
            }
            // No further value is named as a field or the id: after the last field, where the
            // writer puts the values, their names are looked for first.
            EValueKind kind = EValueKind::custom;
            bool bValue = nField == CContact::kFieldCount - 1 && ValueKindOfElement(text, kind);
            int nThis = bValue ? kNoField : FieldOfElement(text, nField < 0 ? 0 : nField + 1);
            if (nThis == kNoField) {
                // An element this version does not know is left to the tolerant reader.
                if (!(bValue || ValueKindOfElement(text, kind)) ||
                    !ReadValueElement(window, kind, room, check)) {
                    return false;
                }
                continue;
            }
            nField = nThis;
            if (!window.Take("value=\"") || !window.TakeUntil('"', text)) {
                return false;
            }
            // Taken before the window moves on, which may move its bytes.
            if (nField == kIdField) {
                contact.id = ParseIdValue(std::string(text).c_str());
            } else {
                check.Look(text);
                contact.FieldAt(nField) = CString(text.data(), static_cast<int>(text.size()));
            }
            if (!window.Take("/>\r\n")) {
                return false;
            }
        }
        if (!window.Take("\t\t</entry>\r\n")) {
            return false;
        }
        room.MoveInto(contact.values);
    }
    return window.Take("\t</addressbook>\r\n") && window.AtEnd();
}

} // namespace

bool ReadSavedLayout(CFile& file, CContactArray& contacts, bool* pPlainTexts) {
    const int nFirst = contacts.GetSize();
    int64_t nStart = file.GetPosition();
    int64_t nSize = file.Seek(0, CFile::end);
    if (nStart < 0 || nSize < nStart || file.Seek(nStart, CFile::begin) != nStart) {
        return false;
    }
    CByteWindow window(file);
    CTextCheck check;
    std::string_view name;
    std::string_view count;
    bool bRead = window.Take("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\t<addressbook name=\"") &&
                 window.TakeUntil('"', name) && window.Take(" value=\"") && window.TakeUntil('"', count);
    if (bRead) {
        contacts.Reserve(nFirst + ExpectedEntries(count, nSize - nStart));
        bRead = window.Take(">\r\n") && ReadEntries(window, contacts, check);
    }
    if (!bRead || window.Failed()) {
        contacts.SetSize(nFirst);
        return false;
    }
    if (pPlainTexts) {
        *pPlainTexts = check.IsPlain();
    }
    return true;
}
