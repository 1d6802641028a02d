// CTextSet: a set of texts for many short keys that are added and looked up but never removed,
// such as the keys of an import's check for contacts held already. The texts lie end to end in
// one buffer, so an added text costs no allocation of its own, and a text is hashed once for
// each call. Not safe for use from several threads at once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CTextSet {
public:
    // Adds the text unless the set holds it; true when it was added.
    bool Insert(std::string_view text);
    bool Contains(std::string_view text) const;
    size_t GetCount() const { return m_nCount; }

private:
    struct CSlot {
        size_t nHash = 0;
        size_t nStart = kEmpty; // where the text starts in m_strTexts; kEmpty for a free slot
        size_t nLength = 0;
    };
    static const size_t kEmpty = static_cast<size_t>(-1);

    // The slot that holds the text, or the free slot where it would go.
    size_t FindSlot(std::string_view text, size_t nHash) const;
    void Grow();

    std::string m_strTexts;
    // Open addressing with linear probing: the size is a power of two and at most half the slots
    // are taken, so a probe meets a free slot soon.
    std::vector<CSlot> m_slots;
    size_t m_nCount = 0;
};
