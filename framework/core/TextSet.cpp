#include "TextSet.h"

#include <functional>

size_t CTextSet::FindSlot(std::string_view text, size_t nHash) const {
    size_t nMask = m_slots.size() - 1;
    for (size_t i = nHash & nMask;; i = (i + 1) & nMask) {
        const CSlot& slot = m_slots[i];
        if (slot.nStart == kEmpty ||
            (slot.nHash == nHash && std::string_view(m_strTexts).substr(slot.nStart, slot.nLength) == text)) {
            return i;
        }
    }
}

void CTextSet::Grow() {
    std::vector<CSlot> old;
    old.swap(m_slots);
    m_slots.resize(old.empty() ? 64 : old.size() * 2);
    size_t nMask = m_slots.size() - 1;
    for (const CSlot& slot : old) {
        if (slot.nStart == kEmpty) {
            continue;
        }
        // The texts are all different, so only a free slot is looked for.
        size_t i = slot.nHash & nMask;
        while (m_slots[i].nStart != kEmpty) {
            i = (i + 1) & nMask;
        }
        m_slots[i] = slot;
    }
}

bool CTextSet::Insert(std::string_view text) {
    if ((m_nCount + 1) * 2 > m_slots.size()) {
        Grow();
    }
    size_t nHash = std::hash<std::string_view>()(text);
    CSlot& slot = m_slots[FindSlot(text, nHash)];
    if (slot.nStart != kEmpty) {
        return false;
    }
    slot.nHash = nHash;
    slot.nStart = m_strTexts.size();
    slot.nLength = text.size();
    m_strTexts.append(text);
    ++m_nCount;
    return true;
}

bool CTextSet::Contains(std::string_view text) const {
    if (m_nCount == 0) {
        return false;
    }
    return m_slots[FindSlot(text, std::hash<std::string_view>()(text))].nStart != kEmpty;
}
