#include "ContactMatcher.h"

#include "framework/core/CodePage.h"

#include <string>

CContactMatcher::CContactMatcher(const CString& strSearch) : m_strNeedle(strSearch), m_pLower(AnsiLowerTable()) {
    m_strNeedle.MakeLower();
}

bool CContactMatcher::Matches(const CContact& contact) const {
    if (m_strNeedle.IsEmpty()) {
        return true;
    }
    for (int i = 0; i < CContact::kFieldCount; ++i) {
        if (FieldContains(contact.FieldAt(i))) {
            return true;
        }
    }
    return false;
}

bool CContactMatcher::FieldContains(const CString& strField) const {
    const size_t nNeedle = static_cast<size_t>(m_strNeedle.GetLength());
    const size_t nField = static_cast<size_t>(strField.GetLength());
    if (nField < nNeedle) {
        return false;
    }
    if (!m_pLower) {
        std::string lowered(strField.GetString(), nField);
        AnsiLowerBuffer(&lowered[0], lowered.size());
        return lowered.find(m_strNeedle.GetString(), 0, nNeedle) != std::string::npos;
    }
    const unsigned char* pField = reinterpret_cast<const unsigned char*>(strField.GetString());
    const unsigned char* pNeedle = reinterpret_cast<const unsigned char*>(m_strNeedle.GetString());
    const unsigned char* pLower = m_pLower;
    const unsigned char chFirst = pNeedle[0];
    for (size_t i = 0, nLast = nField - nNeedle; i <= nLast; ++i) {
        if (pLower[pField[i]] != chFirst) {
            continue;
        }
        size_t k = 1;
        while (k < nNeedle && pLower[pField[i + k]] == pNeedle[k]) {
            ++k;
        }
        if (k == nNeedle) {
            return true;
        }
    }
    return false;
}
