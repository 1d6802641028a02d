// CXML and CAttribute: the element tree of the address book's own small XML reader (the
// parser that builds it is XMLParser.h).
//
// A node owns its attributes (kept sorted by name, one per name) and its child elements; the
// parent pointer is borrowed. Destroying a node detaches it from its parent and destroys the
// whole subtree. Trees of any depth and width are built, walked and destroyed without
// recursion: damaged files nest deeply (every stray end tag opens a level), so depth is not
// capped, and the stack must not be what limits it.
#pragma once

#include "framework/core/String.h"

#include <utility>

class CXMLParser;
class CXMLReader;

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
    friend class CXMLParser;
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

    // Destroys the attributes and the children, and empties the text.
    void Clear();

    const CString& GetName() const { return m_strName; }
    const CString& GetText() const { return m_strText; }
    bool IsEndOfFile() const { return m_bEndOfFile; }
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
    friend class CXMLParser;
    friend class CXMLReader;

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
    bool m_bEndOfFile = false;
    bool m_bClosed = false;
};
