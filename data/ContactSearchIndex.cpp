#include "ContactSearchIndex.h"

#include "framework/core/Unicode.h"

#include <algorithm>
#include <string_view>

void CContactSearchIndex::Build(const CContactArray& contacts) {
    Clear();
    size_t nSize = 0;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            nSize += static_cast<size_t>(contacts[i].FieldAt(f).GetLength()) + 1;
        }
    }
    m_text.reserve(nSize);
    m_contactStart.reserve(static_cast<size_t>(contacts.GetSize()) + 1);
    for (int i = 0; i < contacts.GetSize(); ++i) {
        m_contactStart.push_back(m_text.size());
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            // What the user typed, lower-cased: a search for a double quote finds one.
            AppendLowerUtf8(m_text, contacts[i].DisplayText(f).GetStdString());
            m_text += '\0';
        }
    }
    m_contactStart.push_back(m_text.size());
    m_bBuilt = true;
}

void CContactSearchIndex::Clear() {
    m_text.clear();
    m_contactStart.clear();
    m_bBuilt = false;
}

void CContactSearchIndex::Find(const CString& strSearch, CDWordArray& hits) const {
    const size_t nContacts = m_contactStart.empty() ? 0 : m_contactStart.size() - 1;
    CString strNeedle(strSearch);
    strNeedle.MakeLower();
    if (strNeedle.IsEmpty()) {
        for (size_t i = 0; i < nContacts; ++i) {
            hits.Add(static_cast<uint32_t>(i));
        }
        return;
    }
    const std::string_view text(m_text);
    const std::string_view needle(strNeedle.GetString(), static_cast<size_t>(strNeedle.GetLength()));
    size_t nAt = 0;
    while ((nAt = text.find(needle, nAt)) != std::string_view::npos) {
        auto next = std::upper_bound(m_contactStart.begin(), m_contactStart.end(), nAt);
        hits.Add(static_cast<uint32_t>(next - m_contactStart.begin() - 1));
        nAt = *next; // one hit per contact: go on with the next one
    }
}
