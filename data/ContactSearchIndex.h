// CContactSearchIndex: every field of every contact as the user typed it (the stored form
// decoded), lower-cased into one text, so that a search of a large address book is one scan
// instead of sixteen small ones per contact. It finds exactly the contacts that hold the text in
// a field, ignoring case over all of Unicode. Built from one state of a list; the owner builds
// it again after the list's contacts change, and has it follow a new order of the same ones. A
// search made of digits and phone punctuation also finds the phone and fax numbers that hold
// those digits in that order, however they are written ("555 0101" finds "(555) 010-1...";
// "+49 30 1234" finds "030 1234").
#pragma once

#include "data/ContactArray.h"
#include "framework/core/Array.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CContactSearchIndex {
public:
    void Build(const CContactArray& contacts);
    void Clear();
    // The list it was built from was put into another order, the contact now at k coming from
    // order[k]; the index finds them in their new places.
    void Reorder(const std::vector<int>& order);
    bool IsBuilt() const { return m_bBuilt; }

    // Appends the index of every contact that holds strSearch, in increasing order.
    void Find(const CString& strSearch, CDWordArray& hits) const;

private:
    // The contacts whose text (one zero byte after each field or form) holds the needle, in
    // increasing order. The places looked at are those of the needle's byte nRare, which is best
    // the one the text holds least often.
    static std::vector<size_t> Hits(const std::string& text, const std::vector<size_t>& starts,
                                    std::string_view needle, size_t nRare = 0);
    // The byte of the needle that m_text holds least often, by the counts of a sample of it.
    size_t RarestByte(std::string_view needle) const;
    void BuildPhoneForms() const;
    // A further value's text or label as the user reads it, lower case, and a zero byte.
    void AppendSearchText(std::string_view stored);
    // The same for a value's text, each of its parts (bParts) with a zero byte of its own.
    void AppendValueText(std::string_view stored, bool bParts);

    // The list position of the contact each block of the texts below was made from; empty while
    // the list is in the order it was built from.
    std::vector<uint32_t> m_positionOfBlock;
    const CContactArray* m_pContacts = nullptr; // the list it was built from
    bool m_bBuilt = false;
    // The fields of each contact, each followed by a zero byte so that no hit spans two fields.
    std::string m_text;
    std::vector<size_t> m_contactStart; // where each contact's fields begin, then the end
    std::array<uint32_t, 256> m_byteCounts{}; // of every sixteenth byte of m_text
    // The digits of each contact's phone and fax numbers as written, and the national forms of
    // the international ones, built at the first search for a number.
    mutable std::string m_writtenText;
    mutable std::vector<size_t> m_writtenStart;
    mutable std::string m_nationalText;
    mutable std::vector<size_t> m_nationalStart;
};
