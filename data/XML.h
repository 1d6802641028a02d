// CXML and CAttribute: the element tree of the address book's own small XML reader.
//
// A node owns its attributes (kept sorted by name, one per name) and its child elements; the
// parent pointer is borrowed. Destroying a node detaches it from its parent and destroys the
// whole subtree. Trees of any depth and width are built, walked and destroyed without
// recursion: damaged files nest deeply (every stray end tag opens a level), so depth is not
// capped, and the stack must not be what limits it.
//
// The reader does not validate. On malformed input it reports one of two warnings to the
// caller's sink and carries on; it never stops early and never fails on any input.
#pragma once

#include "framework/core/File.h"
#include "framework/core/String.h"

#include <string_view>
#include <utility>

class CXMLReader;

// The offset of a warning about a value rather than a tag: its text names the value's contact.
const int64_t kNoOffset = -1;

// Receives the reader's warnings, in document order, each with the byte offset in the file of
// the tag it is about.
class CXMLWarningSink {
public:
    virtual ~CXMLWarningSink() = default;
    virtual void OnWarning(const CString& strText, int64_t nOffset) = 0;
};

class CAttribute {
public:
    // Takes the texts by value: the reader hands over texts it has just made, without a copy.
    CAttribute(CString strName, CString strValue)
        : m_strName(std::move(strName)), m_strValue(std::move(strValue)) {}
    CAttribute(const CAttribute&) = delete;
    CAttribute& operator=(const CAttribute&) = delete;

    const CString& GetName() const { return m_strName; }
    const CString& GetValue() const { return m_strValue; }
    // The element's next attribute in name order, or null.
    const CAttribute* NextAttribute() const { return m_pNext; }

    static void* operator new(size_t nSize);
    static void operator delete(void* p, size_t nSize);

private:
    friend class CXML;
    CString m_strName;
    CString m_strValue;
    CAttribute* m_pNext = nullptr;
};

class CXML {
public:
    CXML() = default;
    CXML(const CXML&) = delete;
    CXML& operator=(const CXML&) = delete;
    ~CXML();

    // Reads one document from the file's current position into this node: declarations,
    // processing instructions and comments before the root are skipped, and the first start
    // tag named strName (any tag when strName is empty) becomes this node. Returns 1 when a
    // root element was found, 0 when the file ended first.
    int Load(CFile& file, const CString& strName, CXMLWarningSink* pSink = nullptr);
    // Builds this node from a start tag and, unless it closes itself, from the content that
    // follows in the file, up to its end tag or the end of the file.
    void ParseElement(const CString& strToken, CFile& file, CXMLWarningSink* pSink = nullptr);
    // Returns the next tag in the file (empty at the end); character data before it is added
    // to this node's text.
    CString ReadToken(CFile& file);

    static int IsStartTag(const CString& strToken, const CString& strName);
    static CString DecodeEntities(const CString& strText);
    static const char* const kWarningUnmatchedEnd;
    static const char* const kWarningIncomplete;

    // Destroys the attributes and the children, and empties the text.
    void Clear();

    const CString& GetName() const { return m_strName; }
    const CString& GetText() const { return m_strText; }
    CXML* GetParent() const { return m_pParent; }
    int IsEndOfFile() const { return m_bEndOfFile; }
    // True when the element ended with its own end tag or closed itself; false when the end
    // of the file cut it off.
    bool IsClosed() const { return m_bClosed; }

    // The tree is walked without a cursor, by as many walkers at once as like:
    //   for (CXML* p = node.FirstChild(); p; p = p->NextSibling())
    // Keep the next sibling before destroying a child.
    CXML* FirstChild() const { return m_pFirstChild; }
    CXML* NextSibling() const { return m_pNextSibling; }
    // The attributes in name order.
    const CAttribute* FirstAttribute() const { return m_pFirstAttribute; }

    static void* operator new(size_t nSize);
    static void operator delete(void* p, size_t nSize);

private:
    friend class CXMLReader;

    void ParseFrom(std::string_view token, CXMLReader& reader, CXMLWarningSink* pSink);
    // Sets the name and attributes from a tag; returns true when content follows.
    bool BuildFromTag(std::string_view token, int64_t nOffset, CXMLWarningSink* pSink);
    void SetSortedAttributes(std::string_view attributes);
    bool IsEndTag(const std::string& token) const;
    void FinishContent();
    void AppendChild(CXML* pChild);
    // Unlinks a child without destroying it; does nothing for a node that is not a child.
    void RemoveChild(CXML* pChild);
    void DestroyAttributes();
    void DestroyChildren();

    CString m_strName;
    CString m_strText;
    CXML* m_pParent = nullptr;
    CXML* m_pFirstChild = nullptr;
    CXML* m_pLastChild = nullptr;
    CXML* m_pPrevSibling = nullptr;
    CXML* m_pNextSibling = nullptr;
    CAttribute* m_pFirstAttribute = nullptr;
    int m_bEndOfFile = 0;
    bool m_bClosed = false;
};

// The text with every control byte (below 0x20, and 0x7F) written as \xHH, so that a warning
// shows the bytes a damaged file holds; printable text is left exactly as it is.
CString EscapeControlBytes(const CString& strText);
