// CContactSearchIndex: every field of every contact as the user typed it (the stored form
// decoded), lower-cased into one text, so that a search of a large address book is one scan
// instead of sixteen small ones per contact. It finds exactly the contacts that hold the text in
// a field, ignoring case over all of Unicode. Built from one state of a list; the owner builds
// it again after the list changes.
#pragma once

#include "data/ContactArray.h"
#include "framework/core/Array.h"

#include <string>
#include <vector>

class CContactSearchIndex {
public:
    void Build(const CContactArray& contacts);
    void Clear();
    bool IsBuilt() const { return m_bBuilt; }

    // Appends the index of every contact that holds strSearch, in increasing order.
    void Find(const CString& strSearch, CDWordArray& hits) const;

private:
    bool m_bBuilt = false;
    // The fields of each contact, each followed by a zero byte so that no hit spans two fields.
    std::string m_text;
    std::vector<size_t> m_contactStart; // where each contact's fields begin, then the end
};
