#include "PhotoFolder.h"

#include "AddressBookWriter.h"
#include "framework/core/Base64.h"
#include "framework/core/File.h"
#include "framework/core/FileStamp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct CPhotoFormat {
    const char* pszExtension;
    const char* pszMediaType;
};

// The formats phones and servers send, told by their first bytes.
const CPhotoFormat kFormats[] = {
    {".jpg", "image/jpeg"}, {".png", "image/png"},   {".gif", "image/gif"},  {".bmp", "image/bmp"},
    {".webp", "image/webp"}, {".heic", "image/heic"}, {".tif", "image/tiff"}, {".img", ""},
};
const size_t kUnknownFormat = sizeof kFormats / sizeof kFormats[0] - 1;

bool StartsWith(const std::string& strBytes, size_t nAt, const char* pszMagic, size_t nMagic) {
    return strBytes.size() >= nAt + nMagic && std::memcmp(strBytes.data() + nAt, pszMagic, nMagic) == 0;
}

size_t FormatOf(const std::string& b) {
    if (StartsWith(b, 0, "\xFF\xD8\xFF", 3)) return 0;
    if (StartsWith(b, 0, "\x89PNG", 4)) return 1;
    if (StartsWith(b, 0, "GIF8", 4)) return 2;
    if (StartsWith(b, 0, "BM", 2)) return 3;
    if (StartsWith(b, 0, "RIFF", 4) && StartsWith(b, 8, "WEBP", 4)) return 4;
    if (StartsWith(b, 4, "ftyphei", 7) || StartsWith(b, 4, "ftypmif1", 8)) return 5;
    if (StartsWith(b, 0, "II*\0", 4) || StartsWith(b, 0, "MM\0*", 4)) return 6;
    return kUnknownFormat;
}

const CPhotoFormat* FormatOfName(const CString& strName) {
    int nDot = strName.ReverseFind('.');
    if (nDot < 0) {
        return nullptr;
    }
    CString strExtension = strName.Mid(nDot);
    for (const CPhotoFormat& format : kFormats) {
        if (strExtension == format.pszExtension) {
            return &format;
        }
    }
    return nullptr;
}

// The n-th choice of name for the bytes: a second one only where another photo's file took the
// first (two photos of one hash).
CString NameFor(const std::string& strBytes, int nChoice) {
    CContentHash hash;
    hash.Add(strBytes.data(), strBytes.size());
    char szName[40];
    std::snprintf(szName, sizeof szName, nChoice == 0 ? "%016llx" : "%016llx-%d",
                  static_cast<unsigned long long>(hash.Value()), nChoice);
    return CString(szName) + kFormats[FormatOf(strBytes)].pszExtension;
}

} // namespace

CString PhotoFolderOf(const CString& strBookPath) {
    int nSlash = std::max(strBookPath.ReverseFind('\\'), strBookPath.ReverseFind('/'));
    int nDot = strBookPath.ReverseFind('.');
    CString strStem = nDot > nSlash ? strBookPath.Left(nDot) : strBookPath;
    return strStem + " photos";
}

CString PhotoFileName(const std::string& strBytes) { return NameFor(strBytes, 0); }

bool IsPhotoFileName(const CString& strName) {
    const int nLength = strName.GetLength();
    int i = 0;
    while (i < nLength && std::strchr("0123456789abcdef", strName[i]) && strName[i] != '\0') {
        ++i;
    }
    if (i != 16) {
        return false;
    }
    if (strName[i] == '-') {
        int nDigits = 0;
        while (++i < nLength && strName[i] >= '0' && strName[i] <= '9') {
            ++nDigits;
        }
        if (nDigits == 0 || nDigits > 3) {
            return false;
        }
    }
    return FormatOfName(strName) && strName.Find('.') == i;
}

const char* PhotoMediaType(const CString& strName) {
    const CPhotoFormat* pFormat = FormatOfName(strName);
    return pFormat ? pFormat->pszMediaType : "";
}

namespace {
const char kInlineStart[] = "data:";
const char kInlineBase64[] = ";base64,";
} // namespace

CString InlinePhoto(const std::string& strBytes) {
    const char* pszType = kFormats[FormatOf(strBytes)].pszMediaType;
    std::string strText = std::string(kInlineStart) + (*pszType ? pszType : "application/octet-stream") +
                          kInlineBase64 + EncodeBase64(strBytes);
    return CString(strText.c_str(), static_cast<int>(strText.size()));
}

bool IsInlinePhoto(const CString& strText) { return strText.Left(sizeof kInlineStart - 1) == kInlineStart; }

bool InlinePhotoBytes(const CString& strText, std::string& strBytes) {
    if (!IsInlinePhoto(strText)) {
        return false;
    }
    int nData = strText.Find(kInlineBase64);
    return nData >= 0 && DecodeBase64(std::string_view(strText.GetString() + nData + sizeof kInlineBase64 - 1,
                                                       static_cast<size_t>(strText.GetLength() - nData) -
                                                           (sizeof kInlineBase64 - 1)),
                                      strBytes);
}

CString PhotoNameOf(const CString& strText) {
    std::string strBytes;
    return InlinePhotoBytes(strText, strBytes) ? PhotoFileName(strBytes) : strText;
}

CString CPhotoFolder::PathOf(const CString& strName) const {
    if (!IsPhotoFileName(strName)) {
        return CString();
    }
    // The book's own way of writing paths: a Windows path never gets a slash of another kind.
    const char* pszSeparator = m_strFolder.Find('\\') >= 0 ? "\\" : "/";
    return m_strFolder + pszSeparator + strName;
}

bool CPhotoFolder::Store(const std::string& strBytes, CString& strName, CFileException* pError) {
    CFileException error;
    if (!CreateFolderIfMissing(m_strFolder, &error)) {
        if (pError) {
            *pError = error;
        }
        return false;
    }
    for (int nChoice = 0; nChoice < 100; ++nChoice) {
        strName = NameFor(strBytes, nChoice);
        std::string strThere;
        if (ReadWholeFile(PathOf(strName), strThere, error)) {
            if (strThere == strBytes) {
                return true;
            }
            continue; // another photo's, never to be written over
        }
        if (!error.IsMissingFile()) {
            break;
        }
        return WriteFileAtomically(PathOf(strName), strBytes, pError ? *pError : error);
    }
    if (pError) {
        *pError = error;
    }
    return false;
}

bool CPhotoFolder::Read(const CString& strName, std::string& strBytes, CFileException* pError) const {
    if (InlinePhotoBytes(strName, strBytes)) {
        return true;
    }
    CString strPath = PathOf(strName);
    CFileException error;
    if (strPath.IsEmpty()) {
        error.m_cause = CFileException::badPath;
        error.m_strFileName = strName;
    } else if (ReadWholeFile(strPath, strBytes, error)) {
        return true;
    }
    if (pError) {
        *pError = error;
    }
    return false;
}

bool CPhotoFolder::StoreInline(CContact& contact, CFileException* pError) {
    bool bStored = true;
    for (CContactValue& value : contact.values) {
        std::string strBytes;
        CString strName;
        if (value.kind == EValueKind::photo && InlinePhotoBytes(value.text, strBytes)) {
            if (Store(strBytes, strName, bStored ? pError : nullptr)) {
                value.text = strName;
            } else {
                bStored = false;
            }
        }
    }
    return bStored;
}

void AddPhotoNames(const CContact& contact, std::unordered_set<std::string>& names) {
    for (const CContactValue& value : contact.values) {
        if (value.kind == EValueKind::photo) {
            names.insert(value.text.GetString());
        }
    }
}

void CPhotoFolder::NoteNamed(const CContactArray& contacts) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < contacts.GetSize(); ++i) {
        AddPhotoNames(contacts[i], m_seen);
    }
}

int CPhotoFolder::RemoveUnnamed(const CContactArray& contacts, const std::unordered_set<std::string>& alsoNamed) {
    std::unordered_set<std::string> named = alsoNamed;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        AddPhotoNames(contacts[i], named);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    int nRemoved = 0;
    for (auto it = m_seen.begin(); it != m_seen.end();) {
        CString strPath = PathOf(CString(it->c_str()));
        CFileException error;
        CFile file;
        if (named.count(*it) != 0) {
            ++it;
        } else if (strPath.IsEmpty() || file.Remove(strPath, &error) || error.IsMissingFile()) {
            nRemoved += strPath.IsEmpty() ? 0 : 1;
            it = m_seen.erase(it);
        } else {
            ++it; // held open by a viewer, say: the next save tries again
        }
    }
    return nRemoved;
}

CString PhotoOf(const std::vector<CContactValue>& values) {
    for (const CContactValue& value : values) {
        if (value.kind == EValueKind::photo) {
            return value.text;
        }
    }
    return CString();
}

void SetPhoto(std::vector<CContactValue>& values, const CString& strPhoto) {
    auto it = std::find_if(values.begin(), values.end(),
                           [](const CContactValue& value) { return value.kind == EValueKind::photo; });
    if (it == values.end()) {
        if (!strPhoto.IsEmpty()) {
            values.push_back(CContactValue{EValueKind::photo, "", "", strPhoto});
        }
    } else if (strPhoto.IsEmpty()) {
        values.erase(it);
    } else {
        it->text = strPhoto;
    }
}

bool IsSameValue(const CContactValue& a, const CContactValue& b) {
    if (a == b) {
        return true;
    }
    return a.kind == EValueKind::photo && b.kind == EValueKind::photo && a.type == b.type && a.label == b.label &&
           PhotoNameOf(a.text) == PhotoNameOf(b.text);
}

CContact WithInlinePhotos(const CContact& contact, const CPhotoFolder* pPhotos) {
    CContact copy(contact);
    for (CContactValue& value : copy.values) {
        std::string strBytes;
        if (value.kind == EValueKind::photo && pPhotos && !IsInlinePhoto(value.text) &&
            pPhotos->Read(value.text, strBytes, nullptr)) {
            value.text = InlinePhoto(strBytes);
        }
    }
    return copy;
}
