#include "SavedLayoutReader.h"

#include "BookFormat.h"

#include <algorithm>
#include <cstring>
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

// Room for reading further values, kept from one element to the next so that a large book reads
// them without allocating for each.
struct CValueRoom {
    std::string strName;
    std::vector<std::pair<std::string, std::string>> owned;
    CElementAttributes attributes;
};

// The rest of a further value's element, whose name was just read: its attributes, each
// name="text" after one blank, up to "/>" and CR LF. The texts are copied as they come, since the
// window may move its bytes for the next one.
bool ReadValueElement(CByteWindow& window, std::string_view name, CContact& contact, CValueRoom& room) {
    room.strName.assign(name);
    size_t nOwned = 0;
    std::string_view text;
    do {
        if (room.owned.size() == nOwned) {
            room.owned.emplace_back();
        }
        std::pair<std::string, std::string>& attribute = room.owned[nOwned++];
        // A name of small letters only, as the writer writes them; anything else is left to the
        // tolerant reader, which knows what markup in it means.
        if (!window.TakeUntil('=', text) || text.empty() ||
            !std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
            return false;
        }
        attribute.first.assign(text);
        if (!window.Take("\"") || !window.TakeUntil('"', text)) {
            return false;
        }
        attribute.second.assign(text);
    } while (window.Take(" "));
    if (!window.Take("/>\r\n")) {
        return false;
    }
    room.attributes.clear();
    for (size_t i = 0; i < nOwned; ++i) {
        room.attributes.emplace_back(room.owned[i].first, room.owned[i].second);
    }
    CContactValue value;
    if (!ValueOfElement(room.strName, room.attributes, value)) {
        return false; // an element this version does not know: the tolerant reader decides
    }
    contact.values.push_back(std::move(value));
    return true;
}

bool ReadEntries(CByteWindow& window, CContactArray& contacts) {
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
            int nThis = FieldOfElement(text, nField < 0 ? 0 : nField + 1);
            if (nThis == kNoField) {
                if (!ReadValueElement(window, text, contact, room)) {
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
                contact.FieldAt(nField) = CString(text.data(), static_cast<int>(text.size()));
            }
            if (!window.Take("/>\r\n")) {
                return false;
            }
        }
        if (!window.Take("\t\t</entry>\r\n")) {
            return false;
        }
    }
    return window.Take("\t</addressbook>\r\n") && window.AtEnd();
}

} // namespace

bool ReadSavedLayout(CFile& file, CContactArray& contacts) {
    const int nFirst = contacts.GetSize();
    int64_t nStart = file.GetPosition();
    int64_t nSize = file.Seek(0, CFile::end);
    if (nStart < 0 || nSize < nStart || file.Seek(nStart, CFile::begin) != nStart) {
        return false;
    }
    CByteWindow window(file);
    std::string_view name;
    std::string_view count;
    bool bRead = window.Take("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\t<addressbook name=\"") &&
                 window.TakeUntil('"', name) && window.Take(" value=\"") && window.TakeUntil('"', count);
    if (bRead) {
        contacts.Reserve(nFirst + ExpectedEntries(count, nSize - nStart));
        bRead = window.Take(">\r\n") && ReadEntries(window, contacts);
    }
    if (!bRead || window.Failed()) {
        contacts.SetSize(nFirst);
        return false;
    }
    return true;
}
