// Loading and saving the address book file from the main window.
#include "TBookDlg.h"

#include "framework/win/FileError.h"
#include "framework/win/WinApp.h"
#include "ui/main/LoadReport.h"

namespace {

const char kSystemCaption[] = "Tovano Address Book";

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

int CTBookDlg::LoadAddressBook() {
    CFirstWarningSink sink(m_strFirstWarning);
    m_loadResult = m_store.Load(m_xml, m_contacts, &sink);
    RefillList(TRUE);
    return m_loadResult.nParsed;
}

LRESULT CTBookDlg::OnShowLoadProblems(WPARAM, LPARAM) {
    if (!m_strFirstWarning.IsEmpty()) {
        AfxMessageBox(m_strFirstWarning);
    }
    MessageBox(DescribeIncompleteLoad(m_store.GetPath(), m_loadResult), kSystemCaption,
                  MB_OK | MB_ICONEXCLAMATION);
    m_bLoadFinished = true;
    return 0;
}

bool CTBookDlg::SaveAddressBook() {
    CFileException error;
    if (m_store.Save(m_contacts, &error)) {
        return true;
    }
    ReportFileError(error);
    return false;
}
