#include "XMLParser.h"

#include "XMLReader.h"

#include "framework/core/CodePage.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

const char* const CXMLParser::kWarningUnmatchedEnd = "Warning Element Terminator exists without matching initial Block ";
const char* const CXMLParser::kWarningIncomplete = "Warning Tag Block is Incomplete";

CString EscapeControlBytes(const CString& strText) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(static_cast<size_t>(strText.GetLength()));
    for (int i = 0; i < strText.GetLength(); ++i) {
        unsigned char c = static_cast<unsigned char>(strText[i]);
        // A damaged file's control bytes would show as nothing, or cut the message short.
        if (c < 0x20 || c == 0x7F) {
            out += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return CString(std::move(out));
}

namespace {

// The element name of a tag: up to the first blank, or else up to the last character, less a
// "/" just before it.
std::string_view ElementNameOf(std::string_view token) {
    size_t nBlank = token.find(' ');
    if (nBlank != std::string_view::npos) {
        return token.substr(1, nBlank - 1);
    }
    if (token.size() < 2) {
        return std::string_view();
    }
    size_t nEnd = token.size() - 1;
    if (nEnd >= 2 && token[nEnd - 1] == '/') {
        --nEnd;
    }
    return token.substr(1, nEnd - 1);
}

std::string_view TrimSpace(std::string_view text) {
    while (!text.empty() && IsTrimSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsTrimSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

CString ToCString(std::string_view text) { return CString(text.data(), static_cast<int>(text.size())); }

// An attribute as the tag holds it, with what its name sorts by. Names compare as the runtime
// compares C strings: up to the first zero byte, as unsigned bytes. The first eight bytes of that
// key, big-endian, decide nearly every comparison without reading the tag's text again, which
// keeps a tag of a hundred thousand attributes as quick per attribute as a tag of ten.
struct ParsedAttribute {
    uint64_t nKeyStart;
    const char* pName; // into the tag's text, so that tag order is address order
    uint32_t nNameLength;
    uint32_t nKeyLength;
    std::string_view value;

    std::string_view Name() const { return std::string_view(pName, nNameLength); }
};

ParsedAttribute MakeAttribute(std::string_view name, std::string_view value) {
    ParsedAttribute attribute;
    attribute.pName = name.data();
    attribute.nNameLength = static_cast<uint32_t>(name.size());
    size_t nZero = name.find('\0');
    attribute.nKeyLength = static_cast<uint32_t>(nZero == std::string_view::npos ? name.size() : nZero);
    attribute.nKeyStart = 0;
    for (uint32_t i = 0; i < 8; ++i) {
        unsigned char c = i < attribute.nKeyLength ? static_cast<unsigned char>(name[i]) : 0;
        attribute.nKeyStart = (attribute.nKeyStart << 8) | c;
    }
    attribute.value = value;
    return attribute;
}

int CompareKeys(const ParsedAttribute& a, const ParsedAttribute& b) {
    if (a.nKeyStart != b.nKeyStart) {
        return a.nKeyStart < b.nKeyStart ? -1 : 1;
    }
    // A key holds no zero byte, so equal starts of keys no longer than eight bytes mean equal keys.
    if (a.nKeyLength <= 8 && b.nKeyLength <= 8) {
        return 0;
    }
    return std::string_view(a.pName, a.nKeyLength).compare(std::string_view(b.pName, b.nKeyLength));
}

// By key, then in tag order: the order a stable sort by key gives, without its buffer.
bool KeyThenTagLess(const ParsedAttribute& a, const ParsedAttribute& b) {
    int nOrder = CompareKeys(a, b);
    return nOrder != 0 ? nOrder < 0 : a.pName < b.pName;
}

// Splits the attribute text of a tag into name and value pairs, in tag order.
void SplitAttributes(std::string_view text, std::vector<ParsedAttribute>& out) {
    text = TrimSpace(text);
    while (text.size() > 1) {
        size_t nEquals = text.find('=');
        if (nEquals == std::string_view::npos || nEquals == 0) {
            return;
        }
        std::string_view name = TrimSpace(text.substr(0, nEquals));
        std::string_view value;
        std::string_view rest = text.substr(nEquals + 1);
        while (!rest.empty() && IsTrimSpace(rest.front())) {
            rest.remove_prefix(1);
        }
        if (!rest.empty() && rest.front() == '"') {
            size_t nClose = rest.find('"', 1);
            if (nClose == std::string_view::npos) {
                // Only a tag cut off by the end of the file leaves a quote open.
                value = rest.substr(1);
                rest = std::string_view();
            } else {
                value = rest.substr(1, nClose - 1);
                rest.remove_prefix(nClose + 1);
            }
        } else {
            // A value without quotes runs to the next white space or quote, so that no value
            // ever holds a double quote (the writer puts values between double quotes).
            size_t nEnd = 0;
            while (nEnd < rest.size() && !IsTrimSpace(rest[nEnd]) && rest[nEnd] != '"') {
                ++nEnd;
            }
            value = rest.substr(0, nEnd);
            rest.remove_prefix(nEnd);
        }
        out.push_back(MakeAttribute(name, value));
        while (!rest.empty() && IsTrimSpace(rest.front())) {
            rest.remove_prefix(1);
        }
        text = rest;
    }
}

// Merges one run of attributes with equal keys, in tag order, into pOut: each name once, at its
// first place with its last value. Only names with a zero byte can differ within a run. pOut may
// lie at or before the run: a name is written only after its copies were read.
ParsedAttribute* MergeRun(ParsedAttribute* pBegin, ParsedAttribute* pEnd, ParsedAttribute* pOut) {
    auto keepGroup = [&pOut](const ParsedAttribute* pFirst, const ParsedAttribute* pLast) {
        ParsedAttribute kept = *pFirst;
        kept.value = pLast->value;
        *pOut++ = kept;
    };
    if (std::all_of(pBegin, pEnd, [](const ParsedAttribute& a) { return a.nNameLength == a.nKeyLength; })) {
        keepGroup(pBegin, pEnd - 1);
        return pOut;
    }
    std::sort(pBegin, pEnd, [](const ParsedAttribute& a, const ParsedAttribute& b) {
        int nOrder = a.Name().compare(b.Name());
        return nOrder != 0 ? nOrder < 0 : a.pName < b.pName;
    });
    ParsedAttribute* pFirstKept = pOut;
    for (ParsedAttribute* p = pBegin; p != pEnd;) {
        ParsedAttribute* pNext = p + 1;
        while (pNext != pEnd && pNext->Name() == p->Name()) {
            ++pNext;
        }
        keepGroup(p, pNext - 1);
        p = pNext;
    }
    std::sort(pFirstKept, pOut,
              [](const ParsedAttribute& a, const ParsedAttribute& b) { return a.pName < b.pName; });
    return pOut;
}

// Gives the same list as setting the attributes one by one in tag order (a repeated name keeps
// its first place and its last value; names sort ascending, ties in order of first appearance),
// in O(n log n) however many attributes a damaged tag holds.
void SortAndMergeNames(std::vector<ParsedAttribute>& attributes) {
    if (attributes.size() <= 8) {
        // Nearly every tag holds one or two attributes: an insertion sort spares the call.
        for (size_t i = 1; i < attributes.size(); ++i) {
            ParsedAttribute attribute = attributes[i];
            size_t j = i;
            for (; j > 0 && KeyThenTagLess(attribute, attributes[j - 1]); --j) {
                attributes[j] = attributes[j - 1];
            }
            attributes[j] = attribute;
        }
    } else {
        std::sort(attributes.begin(), attributes.end(), KeyThenTagLess);
    }
    ParsedAttribute* pOut = attributes.data();
    ParsedAttribute* pEnd = attributes.data() + attributes.size();
    for (ParsedAttribute* p = attributes.data(); p != pEnd;) {
        ParsedAttribute* pRunEnd = p + 1;
        while (pRunEnd != pEnd && CompareKeys(*p, *pRunEnd) == 0) {
            ++pRunEnd;
        }
        pOut = MergeRun(p, pRunEnd, pOut);
        p = pRunEnd;
    }
    attributes.resize(static_cast<size_t>(pOut - attributes.data()));
}

} // namespace

int CXMLParser::IsStartTag(const CString& strToken, const CString& strName) {
    std::string_view token(strToken.GetString(), static_cast<size_t>(strToken.GetLength()));
    if (token.empty() || token[0] != '<') {
        return 0;
    }
    if (strName.IsEmpty()) {
        return 1;
    }
    if (token.find(' ') == std::string_view::npos && token.back() != '>') {
        return 0;
    }
    return ElementNameOf(token) == std::string_view(strName.GetString(), static_cast<size_t>(strName.GetLength()));
}

CString CXMLParser::DecodeEntities(const CString& strText) {
    CString strResult(strText);
    strResult.Replace("&amp;", "&");
    strResult.Replace("&lt;", "<");
    strResult.Replace("&gt;", ">");
    strResult.Replace("&apos;", "'");
    strResult.Replace("&quot;", "\"");
    return strResult;
}

CString CXMLParser::ReadToken(CXML& node, CFile& file) {
    CXMLReader reader(file);
    std::string token;
    reader.ReadToken(node, token);
    reader.Finish();
    return CString(std::move(token));
}

int CXMLParser::Load(CXML& root, CFile& file, const CString& strName, CXMLWarningSink* pSink) {
    root.m_strName = strName;
    root.m_bEndOfFile = false;
    CXMLReader reader(file);
    std::string token;
    reader.ReadToken(root, token);
    while (IsSkippedTag(token) && !root.m_bEndOfFile) {
        reader.ReadToken(root, token);
    }
    while (!root.m_bEndOfFile && !IsStartTag(CString(token), strName)) {
        reader.ReadToken(root, token);
    }
    root.m_strText.Empty();
    if (root.m_bEndOfFile) {
        reader.Finish();
        return 0;
    }
    ParseFrom(root, token, reader, pSink);
    root.m_strText = DecodeEntities(root.m_strText);
    reader.Finish();
    return 1;
}

void CXMLParser::ParseElement(CXML& node, const CString& strToken, CFile& file, CXMLWarningSink* pSink) {
    CXMLReader reader(file);
    ParseFrom(node, std::string_view(strToken.GetString(), static_cast<size_t>(strToken.GetLength())), reader, pSink);
    reader.Finish();
}

void CXMLParser::ParseFrom(CXML& top, std::string_view token, CXMLReader& reader, CXMLWarningSink* pSink) {
    top.Clear();
    top.m_bEndOfFile = false;
    top.m_bClosed = false;
    if (!BuildFromTag(top, token, reader.TokenOffset(), pSink)) {
        return;
    }
    // The open elements, innermost last. An element without a name is parsed like any other
    // (it consumes its content) but is not linked into the tree; it is destroyed when it ends.
    std::vector<CXML*> open{&top};
    std::string next;
    while (!open.empty()) {
        CXML* pNode = open.back();
        reader.ReadToken(*pNode, next);
        bool bEndTag = IsEndTag(*pNode, next);
        if (bEndTag || pNode->m_bEndOfFile) {
            pNode->m_bClosed = bEndTag;
            FinishContent(*pNode);
            open.pop_back();
            if (pNode != &top && !pNode->m_pParent) {
                delete pNode;
            }
            continue;
        }
        if (IsSkippedTag(next)) {
            continue;
        }
        CXML* pChild = new CXML;
        bool bHasContent = BuildFromTag(*pChild, next, reader.TokenOffset(), pSink);
        if (!pChild->m_strName.IsEmpty()) {
            pNode->AppendChild(pChild);
        }
        if (bHasContent) {
            open.push_back(pChild);
        } else if (!pChild->m_pParent) {
            delete pChild;
        }
    }
}

bool CXMLParser::BuildFromTag(CXML& node, std::string_view token, int64_t nOffset, CXMLWarningSink* pSink) {
    if (token.empty() || token[0] != '<') {
        return false;
    }
    std::string_view name = ElementNameOf(token);
    node.m_strName = ToCString(name);
    if (!name.empty() && name[0] == '/' && pSink) {
        pSink->OnWarning(CString(kWarningUnmatchedEnd) + EscapeControlBytes(node.m_strName), nOffset);
    }
    if (token.back() != '>' && pSink) {
        pSink->OnWarning(kWarningIncomplete, nOffset);
    }
    bool bSelfClosing = token.size() >= 2 && token[token.size() - 2] == '/';
    // The attribute text lies between the name and the closing ">" (or "/>").
    size_t nEnd = token.size() - (bSelfClosing ? 2 : 1);
    size_t nBegin = 1 + name.size();
    SetSortedAttributes(node, nBegin < nEnd ? token.substr(nBegin, nEnd - nBegin) : std::string_view());
    if (bSelfClosing) {
        node.m_bClosed = true;
    }
    return !bSelfClosing;
}

void CXMLParser::SetSortedAttributes(CXML& node, std::string_view text) {
    thread_local std::vector<ParsedAttribute> attributes;
    attributes.clear();
    SplitAttributes(text, attributes);
    if (attributes.empty()) {
        return;
    }
    SortAndMergeNames(attributes);
    node.DestroyAttributes();
    CAttribute** ppLink = &node.m_pFirstAttribute;
    for (const ParsedAttribute& attribute : attributes) {
        *ppLink = new CAttribute(ToCString(attribute.Name()), ToCString(attribute.value));
        ppLink = &(*ppLink)->m_pNext;
    }
    if (attributes.capacity() > 4096) {
        attributes =
            std::vector<ParsedAttribute>(); // a damaged tag's list is not kept for the program's life
    }
}

bool CXMLParser::IsEndTag(const CXML& node, const std::string& token) {
    const CString& strName = node.m_strName;
    size_t nName = static_cast<size_t>(strName.GetLength());
    return token.size() == nName + 3 && token[0] == '<' && token[1] == '/' && token.back() == '>' &&
           token.compare(2, nName, strName.GetString(), nName) == 0;
}

void CXMLParser::FinishContent(CXML& node) {
    int nLength = node.m_strText.GetLength();
    if (nLength > 0 && node.m_strText[nLength - 1] == '\n') {
        node.m_strText.SetAt(nLength - 1, ' ');
    }
}
