// The tree operations of CXML: ownership, linking, attributes.
#include "XML.h"

#include "framework/core/FixedPool.h"

#include <vector>

void* CAttribute::operator new(size_t nSize) {
    return nSize == sizeof(CAttribute) ? CFixedPool<sizeof(CAttribute)>::Allocate() : ::operator new(nSize);
}

void CAttribute::operator delete(void* p, size_t nSize) {
    nSize == sizeof(CAttribute) ? CFixedPool<sizeof(CAttribute)>::Free(p) : ::operator delete(p);
}

void* CXML::operator new(size_t nSize) {
    return nSize == sizeof(CXML) ? CFixedPool<sizeof(CXML)>::Allocate() : ::operator new(nSize);
}

void CXML::operator delete(void* p, size_t nSize) {
    nSize == sizeof(CXML) ? CFixedPool<sizeof(CXML)>::Free(p) : ::operator delete(p);
}

CXML::~CXML() {
    if (m_pParent) {
        m_pParent->RemoveChild(this);
    }
    DestroyAttributes();
    DestroyChildren();
}

void CXML::Clear() {
    DestroyAttributes();
    DestroyChildren();
    m_strText.Empty();
}

void CXML::DestroyAttributes() {
    CAttribute* p = m_pFirstAttribute;
    m_pFirstAttribute = nullptr;
    while (p) {
        CAttribute* pNext = p->m_pNext;
        delete p;
        p = pNext;
    }
}

void CXML::DestroyChildren() {
    // Detached subtrees wait on a work list, so a node is destroyed only once it has no
    // children left: no recursion, however deep the tree, and linear in its size.
    std::vector<CXML*> pending;
    for (CXML* p = m_pLastChild; p; p = p->m_pPrevSibling) {
        pending.push_back(p);
    }
    m_pFirstChild = m_pLastChild = nullptr;
    while (!pending.empty()) {
        CXML* pNode = pending.back();
        pending.pop_back();
        for (CXML* p = pNode->m_pLastChild; p; p = p->m_pPrevSibling) {
            pending.push_back(p);
        }
        pNode->m_pFirstChild = pNode->m_pLastChild = nullptr;
        pNode->m_pParent = nullptr;
        delete pNode;
    }
}

void CXML::AppendChild(CXML* pChild) {
    pChild->m_pParent = this;
    pChild->m_pPrevSibling = m_pLastChild;
    pChild->m_pNextSibling = nullptr;
    if (m_pLastChild) {
        m_pLastChild->m_pNextSibling = pChild;
    } else {
        m_pFirstChild = pChild;
    }
    m_pLastChild = pChild;
}

void CXML::RemoveChild(CXML* pChild) {
    if (!pChild || pChild->m_pParent != this) {
        return;
    }
    (pChild->m_pPrevSibling ? pChild->m_pPrevSibling->m_pNextSibling : m_pFirstChild) = pChild->m_pNextSibling;
    (pChild->m_pNextSibling ? pChild->m_pNextSibling->m_pPrevSibling : m_pLastChild) = pChild->m_pPrevSibling;
    pChild->m_pPrevSibling = pChild->m_pNextSibling = nullptr;
    pChild->m_pParent = nullptr;
}
