// Reading a document into CXML nodes: Load, ParseElement and the tag rules.
#include "XML.h"
#include "XMLReader.h"

#include "framework/core/CodePage.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

const char* const CXML::kWarningUnmatchedEnd = "Warning Element Terminator exists without matching initial Block ";
const char* const CXML::kWarningIncomplete = "Warning Tag Block is Incomplete";

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

struct ParsedAttribute {
    std::string_view name;
    std::string_view value;
    std::string_view key; // the name up to its first zero byte, set for sorting
};

// Splits the attribute text of a tag into name and value pairs, in tag order.
void SplitAttributes(std::string_view text, std::vector<ParsedAttribute>& out) {
    text = TrimSpace(text);
    while (text.size() > 1) {
        size_t nEquals = text.find('=');
        if (nEquals == std::string_view::npos || nEquals == 0) {
            return;
        }
        ParsedAttribute attribute;
        attribute.name = TrimSpace(text.substr(0, nEquals));
        std::string_view rest = text.substr(nEquals + 1);
        while (!rest.empty() && IsTrimSpace(rest.front())) {
            rest.remove_prefix(1);
        }
        if (!rest.empty() && rest.front() == '"') {
            size_t nClose = rest.find('"', 1);
            if (nClose == std::string_view::npos) {
                // Only a tag cut off by the end of the file leaves a quote open.
                attribute.value = rest.substr(1);
                rest = std::string_view();
            } else {
                attribute.value = rest.substr(1, nClose - 1);
                rest.remove_prefix(nClose + 1);
            }
        } else {
            // A value without quotes runs to the next white space or quote, so that no value
            // ever holds a double quote (the writer puts values between double quotes).
            size_t nEnd = 0;
            while (nEnd < rest.size() && !IsTrimSpace(rest[nEnd]) && rest[nEnd] != '"') {
                ++nEnd;
            }
            attribute.value = rest.substr(0, nEnd);
            rest.remove_prefix(nEnd);
        }
        out.push_back(attribute);
        while (!rest.empty() && IsTrimSpace(rest.front())) {
            rest.remove_prefix(1);
        }
        text = rest;
    }
}

// Names compare as the runtime compares C strings: up to the first zero byte, as unsigned bytes
// (which is how the character traits compare). The cut is made once per name, not per comparison.
void SetSortKeys(std::vector<ParsedAttribute>& attributes) {
    for (ParsedAttribute& attribute : attributes) {
        attribute.key = attribute.name.substr(0, attribute.name.find('\0'));
    }
}

bool KeyLess(const ParsedAttribute& a, const ParsedAttribute& b) { return a.key.compare(b.key) < 0; }

// Gives the same list as setting the attributes one by one in tag order (a repeated name keeps
// its first place and its last value; names sort ascending, ties in order of first appearance),
// in O(n log n) however many attributes a damaged tag holds.
void MergeRepeatedNames(std::vector<ParsedAttribute>& attributes) {
    const size_t kSmall = 8;
    size_t nKept = 0;
    if (attributes.size() <= kSmall) {
        for (size_t i = 0; i < attributes.size(); ++i) {
            size_t j = 0;
            while (j < nKept && attributes[j].name != attributes[i].name) {
                ++j;
            }
            if (j < nKept) {
                attributes[j].value = attributes[i].value;
            } else {
                attributes[nKept++] = attributes[i];
            }
        }
    } else {
        std::unordered_map<std::string_view, size_t> firstIndex;
        firstIndex.reserve(attributes.size());
        for (size_t i = 0; i < attributes.size(); ++i) {
            auto inserted = firstIndex.try_emplace(attributes[i].name, nKept);
            if (inserted.second) {
                attributes[nKept++] = attributes[i];
            } else {
                attributes[inserted.first->second].value = attributes[i].value;
            }
        }
    }
    attributes.resize(nKept);
    if (nKept < 2) {
        return;
    }
    SetSortKeys(attributes);
    if (nKept <= kSmall) {
        // Nearly every tag holds one or two attributes: an insertion sort, stable as well, spares
        // the merge sort's temporary buffer.
        for (size_t i = 1; i < nKept; ++i) {
            ParsedAttribute attribute = attributes[i];
            size_t j = i;
            for (; j > 0 && KeyLess(attribute, attributes[j - 1]); --j) {
                attributes[j] = attributes[j - 1];
            }
            attributes[j] = attribute;
        }
    } else {
        std::stable_sort(attributes.begin(), attributes.end(), KeyLess);
    }
}

} // namespace

int CXML::IsStartTag(const CString& strToken, const CString& strName) {
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

CString CXML::DecodeEntities(const CString& strText) {
    CString strResult(strText);
    strResult.Replace("&amp;", "&");
    strResult.Replace("&lt;", "<");
    strResult.Replace("&gt;", ">");
    strResult.Replace("&apos;", "'");
    strResult.Replace("&quot;", "\"");
    return strResult;
}

CString CXML::ReadToken(CFile& file) {
    CXMLReader reader(file);
    std::string token;
    reader.ReadToken(*this, token);
    reader.Finish();
    return CString(std::move(token));
}

int CXML::Load(CFile& file, const CString& strName, CXMLWarningSink* pSink) {
    m_strName = strName;
    m_bEndOfFile = 0;
    CXMLReader reader(file);
    std::string token;
    reader.ReadToken(*this, token);
    while (IsSkippedTag(token) && !m_bEndOfFile) {
        reader.ReadToken(*this, token);
    }
    while (!m_bEndOfFile && !IsStartTag(CString(token), strName)) {
        reader.ReadToken(*this, token);
    }
    m_strText.Empty();
    if (m_bEndOfFile) {
        reader.Finish();
        return 0;
    }
    ParseFrom(token, reader, pSink);
    m_strText = DecodeEntities(m_strText);
    reader.Finish();
    return 1;
}

void CXML::ParseElement(const CString& strToken, CFile& file, CXMLWarningSink* pSink) {
    CXMLReader reader(file);
    ParseFrom(std::string_view(strToken.GetString(), static_cast<size_t>(strToken.GetLength())), reader, pSink);
    reader.Finish();
}

void CXML::ParseFrom(std::string_view token, CXMLReader& reader, CXMLWarningSink* pSink) {
    Clear();
    m_bEndOfFile = 0;
    m_bClosed = false;
    if (!BuildFromTag(token, pSink)) {
        return;
    }
    // The open elements, innermost last. An element without a name is parsed like any other
    // (it consumes its content) but is not linked into the tree; it is destroyed when it ends.
    std::vector<CXML*> open{this};
    std::string next;
    while (!open.empty()) {
        CXML* pNode = open.back();
        reader.ReadToken(*pNode, next);
        bool bEndTag = pNode->IsEndTag(next);
        if (bEndTag || pNode->m_bEndOfFile) {
            pNode->m_bClosed = bEndTag;
            pNode->FinishContent();
            open.pop_back();
            if (pNode != this && !pNode->m_pParent) {
                delete pNode;
            }
            continue;
        }
        if (IsSkippedTag(next)) {
            continue;
        }
        CXML* pChild = new CXML;
        bool bHasContent = pChild->BuildFromTag(next, pSink);
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

bool CXML::BuildFromTag(std::string_view token, CXMLWarningSink* pSink) {
    if (token.empty() || token[0] != '<') {
        return false;
    }
    std::string_view name = ElementNameOf(token);
    m_strName = ToCString(name);
    if (!name.empty() && name[0] == '/' && pSink) {
        pSink->OnWarning(CString(kWarningUnmatchedEnd) + EscapeControlBytes(m_strName));
    }
    if (token.back() != '>' && pSink) {
        pSink->OnWarning(kWarningIncomplete);
    }
    bool bSelfClosing = token.size() >= 2 && token[token.size() - 2] == '/';
    // The attribute text lies between the name and the closing ">" (or "/>").
    size_t nEnd = token.size() - (bSelfClosing ? 2 : 1);
    size_t nBegin = 1 + name.size();
    SetSortedAttributes(nBegin < nEnd ? token.substr(nBegin, nEnd - nBegin) : std::string_view());
    if (bSelfClosing) {
        m_bClosed = true;
    }
    return !bSelfClosing;
}

void CXML::SetSortedAttributes(std::string_view text) {
    thread_local std::vector<ParsedAttribute> attributes;
    attributes.clear();
    SplitAttributes(text, attributes);
    if (attributes.empty()) {
        return;
    }
    MergeRepeatedNames(attributes);
    DestroyAttributes();
    CAttribute** ppLink = &m_pFirstAttribute;
    for (const ParsedAttribute& attribute : attributes) {
        *ppLink = new CAttribute(ToCString(attribute.name), ToCString(attribute.value));
        ppLink = &(*ppLink)->m_pNext;
    }
}

bool CXML::IsEndTag(const std::string& token) const {
    size_t nName = static_cast<size_t>(m_strName.GetLength());
    return token.size() == nName + 3 && token[0] == '<' && token[1] == '/' && token.back() == '>' &&
           token.compare(2, nName, m_strName.GetString(), nName) == 0;
}

void CXML::FinishContent() {
    int nLength = m_strText.GetLength();
    if (nLength > 0 && m_strText[nLength - 1] == '\n') {
        m_strText.SetAt(nLength - 1, ' ');
    }
}
