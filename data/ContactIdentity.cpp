#include "ContactIdentity.h"

#include "framework/core/Parallel.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <functional>
#include <string_view>

const int kPhoneFields[4] = {CContact::fieldHomePhone, CContact::fieldMobile, CContact::fieldOfficePhone,
                             CContact::fieldOfficeFax};
const int kEmailFields[2] = {CContact::fieldHomeEMail, CContact::fieldOfficeEMail};

namespace {

template <typename T> void AddOnce(std::vector<T>& values, const T& value) {
    if (std::find(values.begin(), values.end(), value) == values.end()) {
        values.push_back(value);
    }
}

} // namespace

namespace {

// A field as DisplayText gives it, without a copy when the field holds neither character that a
// stored form starts with, which leaves DisplayText nothing to decode; else strBuffer holds it.
std::string_view DisplayView(const CContact& contact, int nField, std::string& strBuffer) {
    const std::string& str = contact.FieldAt(nField).GetStdString();
    // Two searches of the whole text (memchr) are quicker than one loop testing both per byte.
    if (str.find(kStoredQuote[0]) != std::string::npos ||
        str.find(kStoredLineBreak[0]) != std::string::npos) {
        strBuffer = contact.DisplayText(nField).GetStdString();
        return strBuffer;
    }
    return str;
}

// The first and last name, folded for matching.
std::string FoldedName(const CContact& contact) {
    std::string strFirst, strLast;
    std::string_view first = DisplayView(contact, CContact::fieldFirstName, strFirst);
    std::string_view last = DisplayView(contact, CContact::fieldLastName, strLast);
    std::string strName;
    strName.reserve(first.size() + 1 + last.size());
    strName.append(first).append(1, ' ').append(last);
    return FoldForMatching(strName);
}

// The words of a folded name, split at blanks and commas, as views of it.
void SplitWords(std::string_view text, std::vector<std::string_view>& words) {
    words.clear();
    size_t nStart = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ' || text[i] == ',') {
            if (i > nStart) {
                words.push_back(text.substr(nStart, i - nStart));
            }
            nStart = i + 1;
        }
    }
}

// NameKey in strKey; strText and words are room that a caller may keep from one contact to the
// next, as may strKey.
void BuildNameKey(const CContact& contact, std::string& strKey, std::string& strText,
                  std::vector<std::string_view>& words) {
    // NameWords' words, sorted and joined, without a string for each word.
    strKey.clear();
    strText = FoldedName(contact);
    SplitWords(strText, words);
    if (words.empty()) {
        std::string strCompany = FoldForMatching(contact.DisplayText(CContact::fieldCompany).GetStdString());
        if (!strCompany.empty()) {
            strKey.append("company:").append(strCompany);
        }
        return;
    }
    std::sort(words.begin(), words.end());
    for (std::string_view word : words) {
        if (!strKey.empty()) {
            strKey += ' ';
        }
        strKey.append(word);
    }
}

} // namespace

std::vector<std::string> NameWords(const CContact& contact) {
    const std::string strText = FoldedName(contact);
    std::vector<std::string_view> views;
    SplitWords(strText, views);
    return std::vector<std::string>(views.begin(), views.end());
}

std::string NameKey(const CContact& contact) {
    std::string strKey, strText;
    std::vector<std::string_view> words;
    BuildNameKey(contact, strKey, strText, words);
    return strKey;
}

namespace {

// A zero byte separates addresses as well.
bool IsAddressSeparator(char c) {
    return c == ' ' || c == ',' || c == ';' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

// Calls fn with each address of both e-mail fields and of the further e-mail values, lower case,
// in their order and repeats included, as a view that is valid during the call. strText and
// strDecoded are room that a caller may keep from one contact to the next.
template <typename Fn>
void ForEachEmailAddress(const CContact& contact, std::string& strText, std::string& strDecoded, Fn fn) {
    auto eachIn = [&](std::string_view text) {
        strText.clear();
        AppendLowerUtf8(strText, text);
        size_t nStart = 0;
        for (size_t i = 0; i <= strText.size(); ++i) {
            if (i < strText.size() && !IsAddressSeparator(strText[i])) {
                continue;
            }
            std::string_view word(strText.data() + nStart, i - nStart);
            nStart = i + 1;
            // "Anna <anna@example.org>": the address is between the angle brackets.
            size_t nOpen = word.find('<');
            if (nOpen != std::string_view::npos) {
                word = word.substr(nOpen + 1, word.find('>', nOpen) - nOpen - 1);
            }
            if (word.find('@') != std::string_view::npos) {
                fn(word);
            }
        }
    };
    for (int nField : kEmailFields) {
        eachIn(DisplayView(contact, nField, strDecoded));
    }
    for (const CContactValue& value : contact.values) {
        if (value.kind == EValueKind::email) {
            eachIn(value.DisplayText().GetStdString());
        }
    }
}

} // namespace

std::vector<std::string> EmailAddresses(const CContact& contact) {
    std::vector<std::string> addresses;
    std::string strText, strDecoded;
    ForEachEmailAddress(contact, strText, strDecoded,
                        [&](std::string_view address) { AddOnce(addresses, std::string(address)); });
    return addresses;
}

namespace {

// PhoneNumbers into a list whose room is kept from one contact to the next.
void CollectPhoneNumbers(const CContact& contact, std::vector<CPhoneNumber>& numbers) {
    numbers.clear();
    CPhoneNumber number;
    auto add = [&](const CString& strText) {
        if (ParsePhoneNumber(strText.GetString(), number) &&
            std::none_of(numbers.begin(), numbers.end(),
                         [&](const CPhoneNumber& other) { return other.strDigits == number.strDigits; })) {
            numbers.push_back(std::move(number));
        }
    };
    for (int nField : kPhoneFields) {
        add(contact.FieldAt(nField));
    }
    for (const CContactValue& value : contact.values) {
        if (value.kind == EValueKind::phone) {
            add(value.text);
        }
    }
}

} // namespace

std::vector<CPhoneNumber> PhoneNumbers(const CContact& contact) {
    std::vector<CPhoneNumber> numbers;
    CollectPhoneNumbers(contact, numbers);
    return numbers;
}

bool SharesAddressOrNumber(const CContact& a, const CContact& b) {
    std::vector<std::string> addressesOfB = EmailAddresses(b);
    for (const std::string& strAddress : EmailAddresses(a)) {
        if (std::find(addressesOfB.begin(), addressesOfB.end(), strAddress) != addressesOfB.end()) {
            return true;
        }
    }
    std::vector<CPhoneNumber> numbersOfB = PhoneNumbers(b);
    for (const CPhoneNumber& number : PhoneNumbers(a)) {
        for (const CPhoneNumber& other : numbersOfB) {
            if (IsSamePhoneNumber(number, other)) {
                return true;
            }
        }
    }
    return false;
}

bool IsSamePerson(const CContact& a, const CContact& b) {
    std::string strName = NameKey(a);
    return !strName.empty() && strName == NameKey(b) && SharesAddressOrNumber(a, b);
}

namespace {

// What the index needs of a contact: its name key with a separator after it, which every key of
// the contact starts with, and its addresses and numbers. Read into the same texts from one
// contact to the next, so that a large import reads them without allocating for each.
struct CPerson {
    std::string strName;      // empty for a contact without a name, which is kept out of the index
    std::string strAddresses; // the addresses one after another, each ending at addressEnds
    std::vector<size_t> addressEnds;
    std::vector<CPhoneNumber> numbers;
    std::string strText, strDecoded; // room for reading the addresses
    size_t nHolder = 0;              // the contact that holds this one (its own index for none)

    void Read(std::string_view name, const CContact& contact) {
        strName.assign(name.data(), name.size());
        strName += '\x1F';
        strAddresses.clear();
        addressEnds.clear();
        ForEachEmailAddress(contact, strText, strDecoded, [this](std::string_view address) {
            strAddresses.append(address);
            addressEnds.push_back(strAddresses.size());
        });
        CollectPhoneNumbers(contact, numbers);
    }
};

// Whether two people read are one person: IsSamePerson without reading either contact again.
bool IsSamePerson(const CPerson& a, const CPerson& b) {
    if (a.strName != b.strName) {
        return false;
    }
    std::string_view addressesOfA(a.strAddresses), addressesOfB(b.strAddresses);
    size_t nStartA = 0;
    for (size_t nEndA : a.addressEnds) {
        std::string_view address = addressesOfA.substr(nStartA, nEndA - nStartA);
        size_t nStartB = 0;
        for (size_t nEndB : b.addressEnds) {
            if (address == addressesOfB.substr(nStartB, nEndB - nStartB)) {
                return true;
            }
            nStartB = nEndB;
        }
        nStartA = nEndA;
    }
    for (const CPhoneNumber& number : a.numbers) {
        for (const CPhoneNumber& other : b.numbers) {
            if (IsSamePhoneNumber(number, other)) {
                return true;
            }
        }
    }
    return false;
}

// The keys of the people kept, each leading to a holder. The keys lie end to end in one buffer
// and the slots are probed linearly, so that a key costs no allocation of its own: an import of
// one name keeps one for every contact.
class CHolderMap {
public:
    // The holder kept under the key, or nNone.
    size_t Find(std::string_view key, size_t nNone) const;
    // Keeps nHolder under the key, or the smaller of it and the one kept there already.
    void Keep(std::string_view key, size_t nHolder);

private:
    static const size_t kEmpty = static_cast<size_t>(-1);
    struct CSlot {
        size_t nHash = 0;
        size_t nStart = kEmpty; // where the key starts in m_strKeys; kEmpty for a free slot
        size_t nLength = 0;
        size_t nHolder = 0;
    };

    // The slot that holds the key, or the free slot where it would go.
    size_t FindSlot(std::string_view key, size_t nHash) const;
    void Grow();

    std::string m_strKeys;
    // A power of two in size, at most half taken, so that a probe meets a free slot soon.
    std::vector<CSlot> m_slots;
    size_t m_nCount = 0;
};

size_t CHolderMap::FindSlot(std::string_view key, size_t nHash) const {
    const size_t nMask = m_slots.size() - 1;
    for (size_t i = nHash & nMask;; i = (i + 1) & nMask) {
        const CSlot& slot = m_slots[i];
        if (slot.nStart == kEmpty ||
            (slot.nHash == nHash && std::string_view(m_strKeys).substr(slot.nStart, slot.nLength) == key)) {
            return i;
        }
    }
}

size_t CHolderMap::Find(std::string_view key, size_t nNone) const {
    if (m_nCount == 0) {
        return nNone;
    }
    const CSlot& slot = m_slots[FindSlot(key, std::hash<std::string_view>()(key))];
    return slot.nStart == kEmpty ? nNone : slot.nHolder;
}

void CHolderMap::Grow() {
    std::vector<CSlot> old(m_slots.empty() ? 64 : m_slots.size() * 2);
    old.swap(m_slots);
    const size_t nMask = m_slots.size() - 1;
    for (const CSlot& slot : old) {
        if (slot.nStart == kEmpty) {
            continue;
        }
        // The keys are all different, so only a free slot is looked for.
        size_t i = slot.nHash & nMask;
        while (m_slots[i].nStart != kEmpty) {
            i = (i + 1) & nMask;
        }
        m_slots[i] = slot;
    }
}

void CHolderMap::Keep(std::string_view key, size_t nHolder) {
    if ((m_nCount + 1) * 2 > m_slots.size()) {
        Grow();
    }
    const size_t nHash = std::hash<std::string_view>()(key);
    CSlot& slot = m_slots[FindSlot(key, nHash)];
    if (slot.nStart != kEmpty) {
        slot.nHolder = std::min(slot.nHolder, nHolder);
        return;
    }
    slot = {nHash, m_strKeys.size(), key.size(), nHolder};
    m_strKeys.append(key);
    ++m_nCount;
}

// The people of a set of contacts, for finding at once which of them another contact is
// (IsSamePerson with any): each is kept as its name paired with each address and number (and
// with the national part of each number, so that national and international forms meet), and
// each key leads to the holder of the people kept under it that is counted first.
class CPersonIndex {
public:
    // Keeps the person, held by nHolder (its own index when it is held by none).
    void Keep(const CPerson& person, size_t nHolder);
    // The first holder of a kept person that is the same person, or nNone when there is none.
    size_t FindHolder(const CPerson& person, size_t nNone);

private:
    // Calls fn with each key of the person, those it is kept under (bOwn) or those it is looked
    // for under, until fn returns true; true when it did.
    template <typename Fn> bool AnyKey(const CPerson& person, bool bOwn, Fn fn);

    CHolderMap m_holders;
    std::string m_strKey; // kept from one key to the next, so that keys are built without allocating
};

template <typename Fn> bool CPersonIndex::AnyKey(const CPerson& person, bool bOwn, Fn fn) {
    auto key = [&](char chKind, std::string_view strValue) {
        m_strKey.assign(person.strName);
        m_strKey += chKind;
        m_strKey.append(strValue);
        return fn(m_strKey);
    };
    size_t nStart = 0;
    for (size_t nEnd : person.addressEnds) {
        if (key('e', std::string_view(person.strAddresses).substr(nStart, nEnd - nStart))) {
            return true;
        }
        nStart = nEnd;
    }
    for (const CPhoneNumber& number : person.numbers) {
        if (key('d', number.strDigits)) {
            return true;
        }
        // An international number is kept under one mark and looked for under the other, so
        // that it meets national numbers only.
        bool bInternational = number.kind == CPhoneNumber::Kind::international;
        if ((bInternational || number.kind == CPhoneNumber::Kind::national) &&
            key(bInternational == bOwn ? 'i' : 'n', number.strNational)) {
            return true;
        }
    }
    return false;
}

void CPersonIndex::Keep(const CPerson& person, size_t nHolder) {
    AnyKey(person, true, [&](const std::string& strKey) {
        m_holders.Keep(strKey, nHolder);
        return false;
    });
}

size_t CPersonIndex::FindHolder(const CPerson& person, size_t nNone) {
    size_t nHolder = nNone;
    AnyKey(person, false, [&](const std::string& strKey) {
        nHolder = std::min(nHolder, m_holders.Find(strKey, nNone));
        return false;
    });
    return nHolder;
}

// Finds the holders of the imported contacts among those of one name hash, given in their order
// as (hash, index) pairs: each contact is held by the first holder of the contacts before it that
// are the same person, the book's holding themselves. A few are compared pairwise; many, as when
// a whole import bears one name, through an index. kept is room that the caller keeps from one
// name to the next; found receives (imported index, holder) pairs.
template <typename Name, typename ContactAt>
void FindHoldersOfOneName(const std::pair<size_t, size_t>* pBegin, const std::pair<size_t, size_t>* pEnd,
                          size_t nBook, const std::vector<Name>& names, ContactAt contactAt,
                          std::vector<CPerson>& kept, std::vector<std::pair<size_t, size_t>>& found) {
    const std::ptrdiff_t kMostComparedPairwise = 16;
    if (pEnd - pBegin > kMostComparedPairwise) {
        CPersonIndex known;
        CPerson person;
        for (const auto* p = pBegin; p != pEnd; ++p) {
            const size_t i = p->second;
            if (names[i].strKey.empty()) {
                continue;
            }
            person.Read(names[i].strKey, contactAt(i));
            // Looked for before it is kept, so that a contact never meets itself.
            const size_t nHolder = i < nBook ? i : known.FindHolder(person, i);
            if (nHolder != i) {
                found.emplace_back(i - nBook, nHolder);
            }
            known.Keep(person, nHolder);
        }
        return;
    }
    size_t nKept = 0;
    for (const auto* p = pBegin; p != pEnd; ++p) {
        const size_t i = p->second;
        if (names[i].strKey.empty()) {
            continue;
        }
        if (kept.size() == nKept) {
            kept.emplace_back();
        }
        CPerson& person = kept[nKept];
        person.Read(names[i].strKey, contactAt(i));
        person.nHolder = i;
        for (size_t k = 0; i >= nBook && k < nKept; ++k) {
            if (IsSamePerson(person, kept[k])) {
                person.nHolder = std::min(person.nHolder, kept[k].nHolder);
            }
        }
        if (person.nHolder != i) {
            found.emplace_back(i - nBook, person.nHolder);
        }
        ++nKept;
    }
}

} // namespace

std::vector<int> FindHoldingContacts(const CContactArray& book, const CContactArray& imported) {
    // Two contacts are one person only when their names agree, so the contacts whose name no
    // other shares, most of a large import as a rule, need no addresses or numbers read. The
    // names are told apart by their hashes: two that differ say for certain that the names do.
    // For the same reason contacts of different names never decide about each other, so the
    // names are shared out among threads, and each name's contacts are taken in their order.
    const size_t nBook = static_cast<size_t>(book.GetSize());
    const size_t nAll = nBook + static_cast<size_t>(imported.GetSize());
    auto contactAt = [&](size_t i) -> const CContact& {
        return i < nBook ? book[static_cast<int>(i)] : imported[static_cast<int>(i - nBook)];
    };
    struct CName {
        std::string strKey;
        size_t nHash = 0;
    };
    std::vector<CName> names(nAll);
    const int nParts = WorkParts(nAll, kMinContactsPerPart);
    RunParts(nParts, [&](int k) {
        std::string strText;
        std::vector<std::string_view> words;
        for (size_t i = PartStart(nAll, k, nParts); i < PartStart(nAll, k + 1, nParts); ++i) {
            BuildNameKey(contactAt(i), names[i].strKey, strText, words);
            names[i].nHash = std::hash<std::string>()(names[i].strKey);
        }
    });
    // The contacts in order of their names' hashes, each name's in their own order.
    std::vector<std::pair<size_t, size_t>> order(nAll);
    for (size_t i = 0; i < nAll; ++i) {
        order[i] = {names[i].nHash, i};
    }
    std::sort(order.begin(), order.end());
    // A name's contacts decide about each other only: each thread takes the names that start in
    // its part of the order, and lists the contacts it found held, so that no two write next to
    // each other.
    std::vector<std::vector<std::pair<size_t, size_t>>> partHeld(static_cast<size_t>(nParts));
    RunParts(nParts, [&](int k) {
        std::vector<std::pair<size_t, size_t>>& found = partHeld[static_cast<size_t>(k)];
        std::vector<CPerson> kept; // room kept from one name to the next
        size_t nRun = PartStart(nAll, k, nParts);
        while (nRun > 0 && nRun < nAll && order[nRun - 1].first == order[nRun].first) {
            ++nRun; // that name belongs to the part before
        }
        for (size_t nPartEnd = PartStart(nAll, k + 1, nParts); nRun < nPartEnd;) {
            size_t nRunEnd = nRun + 1;
            while (nRunEnd < nAll && order[nRunEnd].first == order[nRun].first) {
                ++nRunEnd;
            }
            if (nRunEnd - nRun >= 2) {
                FindHoldersOfOneName(order.data() + nRun, order.data() + nRunEnd, nBook, names, contactAt,
                                     kept, found);
            }
            nRun = nRunEnd;
        }
    });
    std::vector<int> holders(nAll - nBook, -1);
    for (const auto& found : partHeld) {
        for (const auto& held : found) {
            holders[held.first] = static_cast<int>(held.second);
        }
    }
    return holders;
}
