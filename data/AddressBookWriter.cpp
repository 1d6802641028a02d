#include "AddressBookWriter.h"

#include "BookFormat.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace {

// Names taken by saves of other processes are skipped; this many in a row means something else.
const int kMaxTemporaryNames = 100;

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
const char kRootStart[] = "\t<addressbook name=\"Tovano Address Book\" value=\"";
const char kRootEnd[] = "\t</addressbook>\r\n";
const char kEntryStart[] = "\t\t<entry id=\"";
const char kEntryEnd[] = "\t\t</entry>\r\n";
const char kTagStartEnd[] = "\">\r\n";
// A field line is three tabs, "<" tag " value=\"" text "\"/>" and CR LF.
const size_t kFieldLineOverhead = 3 + 1 + 8 + 3 + 2;

void AppendNumber(std::string& out, int n) { out += std::to_string(n); }

// Each field line's beginning, "\t\t\t<" tag " value=\"", made once: a save appends one per
// value of the book.
const std::vector<std::string>& FieldLineStarts() {
    static const std::vector<std::string> starts = [] {
        std::vector<std::string> list;
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            list.push_back(std::string("\t\t\t<") + CContact::FieldTag(f) + " value=\"");
        }
        return list;
    }();
    return starts;
}

size_t EstimateSize(const CContactArray& contacts) {
    size_t nSize = 256;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        const CContact& contact = contacts.ElementAt(i);
        nSize += 64;
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            nSize += kFieldLineOverhead + 16 + static_cast<size_t>(contact.FieldAt(f).GetLength());
        }
        for (const CContactValue& value : contact.values) {
            nSize += 64 + static_cast<size_t>(value.type.GetLength() + value.label.GetLength() + value.text.GetLength());
        }
    }
    return nSize;
}

// A save writes the document in pieces of about this size as it makes them: the whole document
// at once would hold the book a second time in memory, freshly mapped page by page.
const size_t kSavePiece = 1 << 20;

bool WriteAll(CFile& file, const std::string& strPiece, CFileException* pError) {
    // The loop only keeps a length beyond 32 bits exact.
    const size_t kMaxWrite = 0x40000000;
    const char* p = strPiece.data();
    size_t nLeft = strPiece.size();
    do {
        size_t nCount = nLeft < kMaxWrite ? nLeft : kMaxWrite;
        if (!file.Write(p, static_cast<unsigned>(nCount), pError)) {
            return false;
        }
        p += nCount;
        nLeft -= nCount;
    } while (nLeft > 0);
    return true;
}

// Makes the document for the list and hands it to emit in pieces of at least nPiece bytes (the
// last one aside); stops when emit returns false.
template <typename Emit> bool EmitDocument(const CContactArray& contacts, size_t nPiece, Emit emit) {
    std::string doc;
    // A piece ends after the contact that filled it, so it may run a little over.
    size_t nReserve = EstimateSize(contacts);
    doc.reserve(nPiece < nReserve ? nPiece + nPiece / 4 : nReserve);
    doc += kDeclaration;
    doc += kRootStart;
    AppendNumber(doc, contacts.GetSize());
    doc += kTagStartEnd;
    const std::vector<std::string>& lineStarts = FieldLineStarts();
    static const std::string kFieldLineEnd = "\"/>\r\n";
    for (int i = 0; i < contacts.GetSize(); ++i) {
        const CContact& contact = contacts.ElementAt(i);
        doc += kEntryStart;
        AppendNumber(doc, i);
        doc += kTagStartEnd;
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            doc += lineStarts[static_cast<size_t>(f)];
            doc += contact.FieldAt(f).GetStdString();
            doc += kFieldLineEnd;
        }
        for (const CContactValue& value : contact.values) {
            AppendValueElement(doc, value);
        }
        doc += kEntryEnd;
        if (doc.size() >= nPiece) {
            if (!emit(doc)) {
                return false;
            }
            doc.clear();
        }
    }
    doc += kRootEnd;
    return emit(doc);
}

} // namespace

CString BuildAddressBookDocument(const CContactArray& contacts) {
    std::string whole;
    EmitDocument(contacts, std::string::npos, [&](std::string& doc) {
        whole.swap(doc);
        return true;
    });
    return CString(std::move(whole));
}

bool SaveAddressBook(const CContactArray& contacts, const char* pszPath, CFileException* pError) {
    CFile file;
    return SaveAddressBook(contacts, pszPath, file, pError);
}

CString TemporaryFileName(const CString& strPath, unsigned long nProcess, int nAttempt) {
    CString strSuffix;
    strSuffix.Format(".%lu-%d.tmp", nProcess, nAttempt);
    return strPath + strSuffix;
}

bool IsTemporaryFileOf(const CString& strName, const CString& strBookName, unsigned long& nProcess) {
    // strBookName + "." + digits + "-" + digits + ".tmp"
    const std::string& name = strName.GetStdString();
    std::string prefix = strBookName.GetStdString() + ".";
    const std::string kSuffix = ".tmp";
    if (name.size() <= prefix.size() + kSuffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
        return false;
    }
    std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - kSuffix.size());
    size_t nDash = middle.find('-');
    auto isNumber = [](const std::string& str) {
        return !str.empty() && str.size() <= 10 && str.find_first_not_of("0123456789") == std::string::npos;
    };
    if (nDash == std::string::npos || !isNumber(middle.substr(0, nDash)) || !isNumber(middle.substr(nDash + 1))) {
        return false;
    }
    nProcess = std::stoul(middle.substr(0, nDash));
    return true;
}

int RemoveStaleTemporaryFiles(const char* pszPath) {
    CString strPath(pszPath);
    int nSlash = std::max(strPath.ReverseFind('\\'), strPath.ReverseFind('/'));
    CString strFolder = nSlash < 0 ? CString(".") : strPath.Left(nSlash == 0 ? 1 : nSlash);
    CString strBookName = strPath.Mid(nSlash + 1);
    int nRemoved = 0;
    for (const CString& strName : ListFolderFiles(strFolder)) {
        unsigned long nProcess = 0;
        if (IsTemporaryFileOf(strName, strBookName, nProcess) && nProcess != CurrentProcessId() &&
            !IsProcessRunning(nProcess)) {
            CFile file;
            nRemoved += file.Remove(strPath.Left(nSlash + 1) + strName, nullptr) ? 1 : 0;
        }
    }
    return nRemoved;
}

bool SaveAddressBook(const CContactArray& contacts, const char* pszPath, CFile& file, CFileException* pError) {
    CFileException error;
    if (file.IsReadOnly(pszPath)) {
        // The folder may well allow replacing it, but its owner asked for it to stay as it is.
        error = CFileException(CFileException::readOnly, -1, pszPath);
        if (pError) {
            *pError = error;
        }
        return false;
    }
    // A name of its own for every save, claimed by creating it, so that two saves into one
    // folder never write into each other's file.
    static int s_nSaves = 0;
    CString strTemp;
    bool bOpened = false;
    for (int nAttempt = 0; nAttempt < kMaxTemporaryNames && !bOpened; ++nAttempt) {
        strTemp = TemporaryFileName(pszPath, CurrentProcessId(), ++s_nSaves);
        bOpened = file.Open(strTemp, CFile::modeCreateNew | CFile::modeWrite, &error);
        if (!bOpened && error.m_cause != CFileException::alreadyExists) {
            break;
        }
    }
    bool bSaved =
        bOpened &&
        EmitDocument(contacts, kSavePiece, [&](std::string& doc) { return WriteAll(file, doc, &error); }) &&
        file.Flush(&error) && file.Close(&error) && file.Rename(strTemp, pszPath, &error);
    if (!bSaved) {
        if (bOpened) {
            // Clearing up after the failure: its first cause is the one to tell.
            (void)file.Close(nullptr);
            (void)file.Remove(strTemp, nullptr);
        }
        if (pError) {
            // The user knows the address book, not its temporary twin.
            *pError = error;
            pError->m_strFileName = pszPath;
        }
    }
    return bSaved;
}

bool WriteFileAtomically(const char* pszPath, const std::string& strData, CFileException& error) {
    // A name of its own for every write, claimed by creating it, as the book's saves have: two
    // writers of one file (the program's sync and tbkutil's) must never write into one
    // temporary file. What writers that were killed left behind goes first.
    RemoveStaleTemporaryFiles(pszPath);
    static std::atomic<int> s_nWrites{0};
    CString strTemp;
    CFile file;
    bool bOpened = false;
    for (int nAttempt = 0; nAttempt < 100 && !bOpened; ++nAttempt) {
        strTemp = TemporaryFileName(pszPath, CurrentProcessId(), ++s_nWrites);
        bOpened = file.Open(strTemp, CFile::modeCreateNew | CFile::modeWrite, &error);
        if (!bOpened && error.m_cause != CFileException::alreadyExists) {
            break;
        }
    }
    if (!bOpened) {
        error.m_strFileName = pszPath;
        return false;
    }
    bool bDone = true;
    for (size_t nDone = 0; bDone && nDone < strData.size();) {
        unsigned nChunk = static_cast<unsigned>(std::min<size_t>(strData.size() - nDone, 1u << 24));
        bDone = file.Write(strData.data() + nDone, nChunk, &error);
        nDone += nChunk;
    }
    bDone = bDone && file.Flush(&error) && file.Close(&error) && file.Rename(strTemp, pszPath, &error);
    if (!bDone) {
        // Clearing up after the failure: its first cause is the one to tell.
        (void)file.Close(nullptr);
        (void)file.Remove(strTemp, nullptr);
        error.m_strFileName = pszPath;
    }
    return bDone;
}
