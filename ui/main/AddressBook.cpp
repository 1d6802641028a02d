#include "AddressBook.h"

#include "ui/shell/Globals.h"
#include "data/ContactSort.h"
#include "framework/win/FileError.h"
#include "framework/win/WinApp.h"
#include "ui/main/LoadReport.h"

namespace {

// Keeps the reader's first warning; a damaged file can hold thousands.
class CFirstWarningSink : public CXMLWarningSink {
public:
    explicit CFirstWarningSink(CString& strFirst) : m_strFirst(strFirst) {}
    void OnWarning(const CString& strText) override {
        if (m_strFirst.IsEmpty()) {
            m_strFirst = strText;
        }
    }

private:
    CString& m_strFirst;
};

} // namespace

int CAddressBook::LoadAddressBook() {
    CFirstWarningSink sink(m_strFirstWarning);
    m_loadResult = m_store.Load(m_xml, m_contacts, &sink);
    m_bLoadFinished = !HasLoadProblems();
    return m_loadResult.nParsed;
}

bool CAddressBook::HasLoadProblems() const {
    return m_loadResult.status == LoadStatus::partial || m_loadResult.status == LoadStatus::unreadable;
}

void CAddressBook::ShowLoadProblems(CWnd* pOwner) {
    if (!m_strFirstWarning.IsEmpty()) {
        AfxMessageBox(ShortenWarning(m_strFirstWarning));
    }
    pOwner->MessageBox(DescribeIncompleteLoad(m_store.GetPath(), m_loadResult), kSystemCaption,
                       MB_OK | MB_ICONEXCLAMATION);
    m_bLoadFinished = true;
}

bool CAddressBook::SaveAddressBook(bool bReport) {
    CFileException error;
    if (m_store.Save(m_contacts, &error)) {
        return true;
    }
    if (bReport) {
        ReportFileError(error);
    }
    return false;
}

bool CAddressBook::CommitChange() {
    m_store.NoteChange();
    return SaveAddressBook();
}

void CAddressBook::SortContacts() {
    if (::SortContacts(m_contacts)) {
        m_searchIndex.Clear();
    }
}

void CAddressBook::FindContacts(const CString& strSearch, CDWordArray& hits) {
    if (!m_searchIndex.IsBuilt()) {
        m_searchIndex.Build(m_contacts);
    }
    m_searchIndex.Find(strSearch, hits);
}
