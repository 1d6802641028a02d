#include "SyncState.h"

#include "interchange/ContactFiles.h"

#include <cstring>

namespace {

const char kMagic[] = "tovano-sync";
const char kVersion[] = "1";

void AddRecord(std::string& strOut, const char* pszName, const std::string& strValue) {
    strOut += pszName;
    strOut += ' ';
    strOut += std::to_string(strValue.size());
    strOut += '\n';
    strOut += strValue;
    strOut += '\n';
}

// A deleted card's records carry this before the names of an entry's: an earlier version reads
// them as names it does not know, never as its entries' own.
const char kDeletedPrefix[] = "deleted-";
// And a group card's this (an earlier version passes over them as it does over deleted cards').
const char kGroupCardPrefix[] = "groupcard-";

void AddEntry(std::string& strOut, const std::string& strPrefix, const CSyncEntry& entry) {
    AddRecord(strOut, (strPrefix + "href").c_str(), entry.strHref);
    AddRecord(strOut, (strPrefix + "etag").c_str(), entry.strEtag);
    AddRecord(strOut, (strPrefix + "uid").c_str(), entry.strUid);
    AddRecord(strOut, (strPrefix + "card").c_str(), entry.strCard);
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        AddRecord(strOut, (strPrefix + CContact::FieldTag(f)).c_str(), entry.contact.FieldAt(f).GetStdString());
    }
    if (entry.bUnconfirmed) {
        AddRecord(strOut, (strPrefix + "unconfirmed").c_str(), "1");
    }
    for (const std::string& strGroup : entry.memberOf) {
        AddRecord(strOut, (strPrefix + "member-of").c_str(), strGroup);
    }
}

// Sets the part of an entry that the record names; false for a name no entry has.
bool SetEntryRecord(CSyncEntry& entry, const std::string& strName, const std::string& strValue) {
    if (strName == "etag") {
        entry.strEtag = strValue;
    } else if (strName == "uid") {
        entry.strUid = strValue;
    } else if (strName == "card") {
        entry.strCard = strValue;
    } else if (strName == "unconfirmed") {
        entry.bUnconfirmed = strValue == "1";
    } else if (strName == "member-of") {
        entry.memberOf.push_back(strValue);
    } else {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (strName == CContact::FieldTag(f)) {
                entry.contact.FieldAt(f) = strValue.c_str();
                return true;
            }
        }
        return false;
    }
    return true;
}

bool IsListRecord(const std::string& strName, const char* pszPrefix) {
    return strName.compare(0, std::strlen(pszPrefix), pszPrefix) == 0;
}

// A record of a list kept under a prefix (the deleted cards, the group cards), the prefix taken
// off: an "href" starts the next of its entries. False for one that belongs to no entry.
bool SetListRecord(std::vector<CSyncEntry>& list, const std::string& strName, const std::string& strValue) {
    if (strName == "href") {
        list.emplace_back();
        list.back().strHref = strValue;
        return true;
    }
    if (list.empty()) {
        return false;
    }
    SetEntryRecord(list.back(), strName, strValue);
    return true;
}

// Reads the next record at nPos; false at the end or in damage.
bool NextRecord(const std::string& strData, size_t& nPos, std::string& strName, std::string& strValue) {
    size_t nBlank = strData.find(' ', nPos);
    size_t nBreak = strData.find('\n', nPos);
    if (nBlank == std::string::npos || nBreak == std::string::npos || nBlank > nBreak) {
        return false;
    }
    size_t nLength = 0;
    for (size_t i = nBlank + 1; i < nBreak; ++i) {
        if (strData[i] < '0' || strData[i] > '9' || nLength > strData.size()) {
            return false;
        }
        nLength = nLength * 10 + static_cast<size_t>(strData[i] - '0');
    }
    if (nBreak + 1 == nBlank + 1 || nLength > strData.size() - nBreak - 1 ||
        nBreak + 1 + nLength >= strData.size() || strData[nBreak + 1 + nLength] != '\n') {
        return false;
    }
    strName.assign(strData, nPos, nBlank - nPos);
    strValue.assign(strData, nBreak + 1, nLength);
    nPos = nBreak + 1 + nLength + 1;
    return true;
}

} // namespace

std::string SyncStatePath(const char* pszBookPath) { return std::string(pszBookPath) + ".sync"; }

std::string FormatSyncState(const CSyncState& state) {
    std::string strOut;
    AddRecord(strOut, kMagic, kVersion);
    AddRecord(strOut, "account", state.strAccountUrl);
    AddRecord(strOut, "book", state.strBookUrl);
    AddRecord(strOut, "user", state.strUser);
    AddRecord(strOut, "token", state.strSyncToken);
    for (const CSyncEntry& entry : state.entries) {
        AddEntry(strOut, "", entry);
    }
    if (!state.strCardVersion.empty()) {
        AddRecord(strOut, "card-version", state.strCardVersion);
    }
    // After the entries, where an earlier version passes over it (and only there: before any
    // entry it would take the file for a damaged one).
    if (state.nValues != kValuesNone && !state.entries.empty()) {
        AddRecord(strOut, "values", std::to_string(state.nValues));
    }
    for (const CSyncEntry& entry : state.deleted) {
        AddEntry(strOut, kDeletedPrefix, entry);
    }
    for (const CSyncEntry& card : state.groupCards) {
        AddEntry(strOut, kGroupCardPrefix, card);
    }
    AddRecord(strOut, "end", "");
    return strOut;
}

bool ParseSyncState(const std::string& strData, CSyncState& state) {
    state = CSyncState();
    size_t nPos = 0;
    std::string strName, strValue;
    if (!NextRecord(strData, nPos, strName, strValue) || strName != kMagic || strValue != kVersion) {
        return false;
    }
    while (NextRecord(strData, nPos, strName, strValue)) {
        if (strName == "end") {
            return nPos == strData.size(); // a file cut short never ends in "end"
        }
        if (strName == "account") {
            state.strAccountUrl = strValue;
        } else if (strName == "book") {
            state.strBookUrl = strValue;
        } else if (strName == "user") {
            state.strUser = strValue;
        } else if (strName == "token") {
            state.strSyncToken = strValue;
        } else if (strName == "card-version") {
            state.strCardVersion = strValue;
        } else if (strName == "values") {
            state.nValues = strValue == "1" ? kValuesWithoutPhotos : strValue == "2" ? kValuesAll : kValuesNone;
        } else if (strName == "href") {
            state.entries.emplace_back();
            state.entries.back().strHref = strValue;
        } else if (IsListRecord(strName, kDeletedPrefix)) {
            if (!SetListRecord(state.deleted, strName.substr(std::strlen(kDeletedPrefix)), strValue)) {
                return false;
            }
        } else if (IsListRecord(strName, kGroupCardPrefix)) {
            if (!SetListRecord(state.groupCards, strName.substr(std::strlen(kGroupCardPrefix)), strValue)) {
                return false;
            }
        } else if (state.entries.empty()) {
            return false;
        } else {
            SetEntryRecord(state.entries.back(), strName, strValue); // a later version's names pass
        }
    }
    return false;
}

bool ReadSyncState(const char* pszPath, CSyncState& state, CFileException& error) {
    state = CSyncState();
    std::string strData;
    if (!ReadWholeFile(pszPath, strData, error)) {
        return error.IsMissingFile();
    }
    if (!ParseSyncState(strData, state)) {
        error = CFileException(CFileException::invalidFile, -1, pszPath);
        return false;
    }
    return true;
}

std::string SyncStateReadError(const char* pszPath, const CFileException& error) {
    if (error.m_cause == CFileException::invalidFile) {
        return std::string(pszPath) + " is damaged; nothing was synchronised. Delete that file: the next "
                                      "synchronisation then matches the contacts of both sides again, and "
                                      "doubles none.";
    }
    return error.GetErrorMessage().GetStdString() + " Nothing was synchronised.";
}

bool WriteSyncState(const char* pszPath, const CSyncState& state, CFileException& error) {
    return WriteFileAtomically(pszPath, FormatSyncState(state), error);
}
