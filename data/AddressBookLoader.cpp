#include "AddressBookLoader.h"

#include "BookFormat.h"
#include "SavedLayoutReader.h"
#include "XMLReader.h"

#include "framework/core/CodePage.h"
#include "framework/core/Unicode.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

class CCountingSink : public CXMLWarningSink {
public:
    explicit CCountingSink(CXMLWarningSink* pNext) : m_pNext(pNext) {}
    void OnWarning(const CString& strText, int64_t nOffset) override {
        ++m_nCount;
        if (m_nFirstOffset == kNoOffset) {
            m_nFirstOffset = nOffset;
        }
        if (m_pNext) {
            m_pNext->OnWarning(strText, nOffset);
        }
    }
    int m_nCount = 0;
    int64_t m_nFirstOffset = kNoOffset; // of the first warning about a tag

private:
    CXMLWarningSink* m_pNext;
};

bool HasText(const CString& strText) {
    for (int i = 0; i < strText.GetLength(); ++i) {
        if (IsTextByte(strText[i])) {
            return true;
        }
    }
    return false;
}

// Where the first thing after the root begins that is not white space, a comment or a
// processing instruction; kNoOffset when nothing does.
int64_t DataAfterRoot(CFile& file) {
    CXML scratch;
    CXMLReader reader(file);
    std::string token;
    int64_t nAfterLast = file.GetPosition();
    for (;;) {
        reader.ReadToken(scratch, token);
        if (HasText(scratch.GetText())) {
            return nAfterLast; // the text's line, at least
        }
        if (scratch.IsEndOfFile()) {
            return kNoOffset;
        }
        if (!IsSkippedTag(token)) {
            return reader.TokenOffset();
        }
        nAfterLast = reader.TokenOffset() + static_cast<int64_t>(token.size());
        scratch.Clear();
    }
}

// Calls visit(text, where, bAddress) for every text of the contact: its sixteen fields, by
// their element names, and its further values' types, labels and texts, by their kinds' element
// names; bAddress marks an address's parts, which hold kAddressPartSeparator between them.
template <typename Contact, typename Visit> void VisitTexts(Contact& contact, Visit visit) {
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        visit(contact.FieldAt(f), CContact::FieldTag(f), false);
    }
    for (auto& value : contact.values) {
        const char* pszWhere = ValueElementName(value.kind);
        visit(value.type, pszWhere, false);
        visit(value.label, pszWhere, false);
        visit(value.text, pszWhere, value.kind == EValueKind::address);
    }
}

bool IsDamagingControl(unsigned char c) { return c < 0x20 && c != '\t' && c != '\r' && c != '\n'; }

// Tab and line breaks aside, no program writes control characters into a value, and an editor
// would cut the value short at a NUL: each field holding one is reported, once.
void WarnOfControlCharacters(const CContactArray& contacts, int nFirst, CXMLWarningSink& sink) {
    for (int i = nFirst; i < contacts.GetSize(); ++i) {
        const CContact& contact = contacts[i];
        VisitTexts(contact, [&](const CString& strValue, const char* pszWhere, bool bAddress) {
            for (int n = 0; n < strValue.GetLength(); ++n) {
                unsigned char c = static_cast<unsigned char>(strValue[n]);
                if (IsDamagingControl(c) && !(bAddress && c == kAddressPartSeparator)) {
                    CString strText;
                    strText.Format("Warning Control character \\x%02X in %s of the contact \"%s, %s\"", c, pszWhere,
                                   EscapeControlBytes(contact.lastname).GetString(),
                                   EscapeControlBytes(contact.firstname).GetString());
                    sink.OnWarning(strText, kNoOffset);
                    break;
                }
            }
        });
    }
}

// Counts the characters of several bytes and the bytes that are not UTF-8 in a value.
void CountUtf8(const CString& strValue, int& nMultiByte, int& nInvalid) {
    std::string_view text(strValue.GetString(), static_cast<size_t>(strValue.GetLength()));
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else if (DecodeUtf8(text, i) == kInvalidUtf8) {
            ++nInvalid;
        } else {
            ++nMultiByte;
        }
    }
}

// Books were written in the system's code page before they held UTF-8. Their values hold bytes
// that are no UTF-8 and no character of several bytes; a UTF-8 book has the one kind and, when
// damaged, a few of the other, which are reported by contact and field and kept as they are.
void DecodeValues(CContactArray& contacts, int nFirst, unsigned nLegacyCodePage, CLoadResult& result,
                  CXMLWarningSink& sink) {
    int nMultiByte = 0;
    int nInvalid = 0;
    for (int i = nFirst; i < contacts.GetSize(); ++i) {
        VisitTexts(contacts[i], [&](const CString& strValue, const char*, bool) { CountUtf8(strValue, nMultiByte, nInvalid); });
    }
    if (nInvalid == 0) {
        return;
    }
    bool bLegacy = nMultiByte == 0;
    if (bLegacy) {
        result.nLegacyCodePage = nLegacyCodePage ? nLegacyCodePage : SystemLegacyCodePage();
    }
    std::string converted;
    for (int i = nFirst; i < contacts.GetSize(); ++i) {
        CContact& contact = contacts.ElementAt(i);
        VisitTexts(contact, [&](CString& strValue, const char* pszWhere, bool) {
            bool bValid = IsValidUtf8(strValue.GetStdString());
            if (bLegacy && !bValid && CodePageToUtf8(strValue.GetStdString(), result.nLegacyCodePage, converted)) {
                strValue = CString(converted);
            } else if (!bValid) {
                CString strText;
                strText.Format("Warning Bytes that are no UTF-8 text in %s of the contact \"%s, %s\"", pszWhere,
                               contact.lastname.GetString(), contact.firstname.GetString());
                sink.OnWarning(strText, kNoOffset);
            }
        });
    }
}

// Whether the tree holds the whole file, and where it stops being so: the first warning about a
// tag, the end that cut the root off, or what follows the root.
LoadStatus Classify(CFile& file, CXML& root, CLoadResult& result, int64_t nFirstWarningOffset) {
    if (!result.nParsed) {
        int64_t nSize = file.Seek(0, CFile::end);
        result.nProblemOffset = nSize == 0 ? kNoOffset : 0;
        return nSize == 0 ? LoadStatus::complete : LoadStatus::partial;
    }
    result.nProblemOffset = nFirstWarningOffset;
    if (result.nProblemOffset == kNoOffset && !root.IsClosed()) {
        result.nProblemOffset = file.Seek(0, CFile::end);
    }
    if (result.nProblemOffset == kNoOffset) {
        result.nProblemOffset = DataAfterRoot(file);
    }
    return result.nWarnings > 0 || result.nProblemOffset != kNoOffset ? LoadStatus::partial : LoadStatus::complete;
}

} // namespace

namespace {

// The further value the element holds, if it holds one, added to the entry.
void AddValueOfElement(CXML& element, CContact& entry) {
    const CString& strName = element.GetName();
    EValueKind kind;
    std::string_view name(strName.GetString(), static_cast<size_t>(strName.GetLength()));
    if (!ValueKindOfElement(name, kind)) {
        return;
    }
    CElementAttributes attributes;
    for (const CAttribute* p = element.FirstAttribute(); p; p = p->NextAttribute()) {
        attributes.emplace_back(std::string_view(p->GetName().GetString(), static_cast<size_t>(p->GetName().GetLength())),
                                std::string_view(p->GetValue().GetString(), static_cast<size_t>(p->GetValue().GetLength())));
    }
    CContactValue value;
    if (ValueOfElement(name, attributes, value)) {
        entry.values.push_back(std::move(value));
    }
}

} // namespace

CString GetAttributeValue(CXML* pElement, const CString& strName) {
    for (const CAttribute* p = pElement->FirstAttribute(); p; p = p->NextAttribute()) {
        if (p->GetName() == strName) {
            return p->GetValue();
        }
    }
    return CString();
}

void CollectEntries(CXML& root, CContactArray& contacts) {
    static const CString strValue(kValueAttribute.data(), static_cast<int>(kValueAttribute.size()));
    static const CString strEntry(kEntryElement.data(), static_cast<int>(kEntryElement.size()));
    struct Frame {
        CXML* pNode;
        CXML* pNextChild;
    };
    // Making room for every entry first spares moving every record while the list grows, and
    // for a large book tens of megabytes of freshly mapped memory. A saved book holds its
    // entries as the root's children, but a damaged one may nest them at any depth.
    int nEntries = 0;
    std::vector<CXML*> pending{&root};
    while (!pending.empty()) {
        CXML* pNode = pending.back();
        pending.pop_back();
        nEntries += pNode->GetName() == strEntry;
        for (CXML* pChild = pNode->FirstChild(); pChild; pChild = pChild->NextSibling()) {
            pending.push_back(pChild);
        }
    }
    contacts.Reserve(contacts.GetSize() + nEntries);

    // Each entry's record is made in the list when the entry starts and filled in place. Entries
    // end in the order they start unless they nest; only then is the list reordered at the end.
    // Open entries are held as indices, so a deep nest costs no more than a flat list.
    const int nBase = contacts.GetSize();
    std::vector<int> openEntries; // innermost last
    std::vector<int> endOrder;
    bool bNested = false;
    // The walk keeps its own stack: a damaged file may nest a hundred thousand levels deep.
    std::vector<Frame> path;
    auto enter = [&](CXML* pNode) {
        if (pNode->GetName() == strEntry) {
            bNested = bNested || !openEntries.empty();
            openEntries.push_back(contacts.GetSize());
            contacts.SetSize(contacts.GetSize() + 1);
        }
        path.push_back(Frame{pNode, pNode->FirstChild()});
    };
    enter(&root);
    while (!path.empty()) {
        Frame& frame = path.back();
        CXML* pChild = frame.pNextChild;
        if (!pChild) {
            if (frame.pNode->GetName() == strEntry) {
                endOrder.push_back(openEntries.back());
                openEntries.pop_back();
            }
            path.pop_back();
            continue;
        }
        frame.pNextChild = pChild->NextSibling();
        const CString& strName = pChild->GetName();
        int nField = FieldOfElement(std::string_view(strName.GetString(), static_cast<size_t>(strName.GetLength())));
        if (nField != kNoField && !openEntries.empty()) {
            CContact& entry = contacts.ElementAt(openEntries.back());
            if (nField == kIdField) {
                entry.id = ParseIdValue(GetAttributeValue(pChild, strValue));
            } else {
                entry.FieldAt(nField) = GetAttributeValue(pChild, strValue);
            }
        } else if (!openEntries.empty()) {
            AddValueOfElement(*pChild, contacts.ElementAt(openEntries.back()));
        }
        enter(pChild);
    }
    if (bNested) {
        contacts.MoveIntoOrder(nBase, endOrder);
    }
}

CLoadResult ReadAddressBook(const char* pszPath, CXML& root, CContactArray& contacts, CXMLWarningSink* pSink,
                            unsigned nLegacyCodePage) {
    root.Clear();
    CFile file;
    CFileException error;
    // A file another program holds for a moment is read once it lets go, rather than taken
    // for an empty book.
    if (!file.OpenRetrying(pszPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        CLoadResult result;
        result.status = error.IsMissingFile() ? LoadStatus::missing : LoadStatus::unreadable;
        result.failure = error;
        return result;
    }
    return ReadAddressBook(file, root, contacts, pSink, nLegacyCodePage);
}

CLoadResult ReadAddressBook(CFile& file, CXML& root, CContactArray& contacts, CXMLWarningSink* pSink,
                            unsigned nLegacyCodePage) {
    CLoadResult result;
    root.Clear();
    CCountingSink counter(pSink);
    int nFirst = contacts.GetSize();
    int64_t nStart = file.GetPosition();
    // The element tree is built only for a file that is not laid out as the program saves it.
    bool bPlainTexts = false;
    bool bSavedLayout = ReadSavedLayout(file, contacts, &bPlainTexts);
    if (bSavedLayout) {
        result.nParsed = 1;
    } else {
        file.Seek(nStart, CFile::begin);
        result.nParsed = CXMLParser::Load(root, file, CString(), &counter);
        CollectEntries(root, contacts);
    }
    // Texts that are UTF-8 and hold no control character leave both with nothing to do.
    if (!bPlainTexts) {
        DecodeValues(contacts, nFirst, nLegacyCodePage, result, counter);
        WarnOfControlCharacters(contacts, nFirst, counter);
    }
    result.nWarnings = counter.m_nCount;
    result.status = bSavedLayout ? (result.nWarnings > 0 ? LoadStatus::partial : LoadStatus::complete)
                                 : Classify(file, root, result, counter.m_nFirstOffset);
    if (file.GetFailure().m_cause != CFileException::none) {
        result.status = LoadStatus::unreadable;
        result.failure = file.GetFailure();
    }
    return result;
}
