#include "ContactSearchIndex.h"

#include "ContactIdentity.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <iterator>
#include <string_view>

void CContactSearchIndex::Build(const CContactArray& contacts) {
    Clear();
    size_t nSize = 0;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            nSize += static_cast<size_t>(contacts[i].FieldAt(f).GetLength()) + 1;
        }
        for (const CContactValue& value : contacts[i].values) {
            nSize += static_cast<size_t>(value.label.GetLength() + value.text.GetLength()) + 2;
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
        // Every further value too, an address part by part, and the user's own labels.
        for (const CContactValue& value : contacts[i].values) {
            AppendValueText(value.text.GetStdString(), true);
            if (!value.label.IsEmpty()) {
                AppendValueText(value.label.GetStdString(), false);
            }
        }
    }
    m_contactStart.push_back(m_text.size());
    for (size_t i = 0; i < m_text.size(); i += 16) {
        ++m_byteCounts[static_cast<unsigned char>(m_text[i])];
    }
    m_pContacts = &contacts;
    m_bBuilt = true;
}

void CContactSearchIndex::AppendValueText(std::string_view stored, bool bParts) {
    // Most values are ASCII without a stored form: lower-cased as they are copied, in one pass
    // over the text however many parts it has, which comes to what the parts one by one would
    // give. The others are taken part by part.
    const size_t nAt = m_text.size();
    m_text.resize(nAt + stored.size() + 1);
    char* pOut = &m_text[nAt];
    int nSeparators = 0;
    bool bPlain = true;
    for (char c : stored) {
        if (c == '\\' || c == '&' || static_cast<unsigned char>(c) >= 0x80) {
            bPlain = false;
            break;
        }
        if (c == kAddressPartSeparator && bParts) {
            ++nSeparators;
            c = '\0';
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        *pOut++ = c;
    }
    *pOut = '\0';
    // Parts beyond those of an address are not the value's.
    if (bPlain && nSeparators < kAddressPartCount) {
        return;
    }
    m_text.resize(nAt);
    if (!bParts) {
        AppendSearchText(stored);
        return;
    }
    CContactValue::ForEachPart(stored, [&](int, std::string_view part) { AppendSearchText(part); });
}

void CContactSearchIndex::AppendSearchText(std::string_view stored) {
    // Most texts hold no stored form to decode; they are lower-cased as they are.
    if (stored.find('\\') == std::string_view::npos && stored.find('&') == std::string_view::npos) {
        AppendLowerUtf8(m_text, stored);
    } else {
        AppendLowerUtf8(m_text, DisplayTextOf(CString(stored.data(), static_cast<int>(stored.size()))).GetStdString());
    }
    m_text += '\0';
}

void CContactSearchIndex::BuildPhoneForms() const {
    for (int i = 0; i < m_pContacts->GetSize(); ++i) {
        m_writtenStart.push_back(m_writtenText.size());
        m_nationalStart.push_back(m_nationalText.size());
        // In the blocks' order, as the texts above.
        const CContact& contact =
            (*m_pContacts)[m_positionOfBlock.empty()
                               ? i
                               : static_cast<int>(m_positionOfBlock[static_cast<size_t>(i)])];
        auto addForms = [&](const CString& strNumber) {
            CPhoneForms forms = PhoneForms(strNumber.GetString());
            m_writtenText += forms.strWritten + '\0';
            m_nationalText += forms.strNational + '\0';
        };
        for (int nField : kPhoneFields) {
            addForms(contact.FieldAt(nField));
        }
        for (const CContactValue& value : contact.values) {
            if (value.kind == EValueKind::phone) {
                addForms(value.text);
            }
        }
    }
    m_writtenStart.push_back(m_writtenText.size());
    m_nationalStart.push_back(m_nationalText.size());
}

void CContactSearchIndex::Clear() {
    m_text.clear();
    m_contactStart.clear();
    m_writtenText.clear();
    m_writtenStart.clear();
    m_nationalText.clear();
    m_nationalStart.clear();
    m_positionOfBlock.clear();
    m_byteCounts.fill(0);
    m_pContacts = nullptr;
    m_bBuilt = false;
}

void CContactSearchIndex::Reorder(const std::vector<int>& order) {
    if (!m_bBuilt) {
        return;
    }
    if (order.size() + 1 != m_contactStart.size()) {
        Clear(); // not the list it was built from
        return;
    }
    std::vector<uint32_t> positionNow(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        positionNow[static_cast<size_t>(order[k])] = static_cast<uint32_t>(k);
    }
    if (m_positionOfBlock.empty()) {
        m_positionOfBlock = std::move(positionNow);
        return;
    }
    for (uint32_t& nPosition : m_positionOfBlock) {
        nPosition = positionNow[nPosition];
    }
}

std::vector<size_t> CContactSearchIndex::Hits(const std::string& text, const std::vector<size_t>& starts,
                                              std::string_view needle, size_t nRare) {
    // A search for the first byte would stop at nearly every letter of a text in a script whose
    // letters share their first byte ("\xC3" for most accented Latin letters); the rarest byte
    // of the needle leaves the fewest places to compare.
    std::vector<size_t> hits;
    const std::string_view all(text);
    size_t nAt = 0; // where the next hit may start
    while (nAt + needle.size() <= all.size()) {
        const size_t nRareAt = all.find(needle[nRare], nAt + nRare);
        if (nRareAt == std::string_view::npos) {
            break;
        }
        const size_t nStart = nRareAt - nRare;
        if (all.substr(nStart, needle.size()) != needle) {
            nAt = nStart + 1;
            continue;
        }
        auto next = std::upper_bound(starts.begin(), starts.end(), nStart);
        hits.push_back(static_cast<size_t>(next - starts.begin() - 1));
        nAt = *next; // one hit per contact: go on with the next one
    }
    return hits;
}

size_t CContactSearchIndex::RarestByte(std::string_view needle) const {
    size_t nRare = 0;
    for (size_t i = 1; i < needle.size(); ++i) {
        if (m_byteCounts[static_cast<unsigned char>(needle[i])] <
            m_byteCounts[static_cast<unsigned char>(needle[nRare])]) {
            nRare = i;
        }
    }
    return nRare;
}

void CContactSearchIndex::Find(const CString& strSearch, CDWordArray& hits) const {
    const size_t nContacts = m_contactStart.empty() ? 0 : m_contactStart.size() - 1;
    CString strNeedle(strSearch);
    strNeedle.MakeLower();
    if (strNeedle.IsEmpty()) {
        for (size_t i = 0; i < nContacts; ++i) { // every position
            hits.Add(static_cast<uint32_t>(i));
        }
        return;
    }
    std::vector<size_t> found =
        Hits(m_text, m_contactStart, strNeedle.GetStdString(), RarestByte(strNeedle.GetStdString()));
    if (IsPhoneSearchText(strSearch.GetStdString()) && m_pContacts) {
        if (m_writtenStart.empty()) {
            BuildPhoneForms();
        }
        CPhoneForms forms = PhoneForms(strSearch.GetStdString());
        auto add = [&](const std::string& text, const std::vector<size_t>& starts, const std::string& strForm) {
            if (strForm.empty()) {
                return;
            }
            std::vector<size_t> numbers = Hits(text, starts, strForm), both;
            std::set_union(found.begin(), found.end(), numbers.begin(), numbers.end(), std::back_inserter(both));
            found.swap(both);
        };
        add(m_writtenText, m_writtenStart, forms.strWritten);
        add(m_nationalText, m_nationalStart, forms.strWritten);
        add(m_writtenText, m_writtenStart, forms.strNational);
    }
    if (!m_positionOfBlock.empty()) {
        for (size_t& nBlock : found) {
            nBlock = m_positionOfBlock[nBlock];
        }
        std::sort(found.begin(), found.end());
    }
    for (size_t nContact : found) {
        hits.Add(static_cast<uint32_t>(nContact));
    }
}
