#include "MainWindowTestSupport.h"

#include "res/resource.h"
#include "ui/birthdays/BirthdaysDlg.h"

namespace {

CTBookApp g_app;
int g_nTestKey = 0;

} // namespace

BOOL CTestableDlg::OnCmdMsg(UINT nId, UINT nCode) {
    if (nCode == 0 && m_bRecordMenuCommands && (nId == ID_IMPORT || nId == ID_EXPORT || nId == ID_SYNC_NOW)) {
        m_commands.push_back(nId);
        return TRUE;
    }
    if (nCode == 0 && (nId == IDC_ADD_NEW || nId == IDC_VIEW_EDIT || nId == IDC_DELETE || nId == IDC_SEARCH ||
                       nId == ID_TRAY_ADD_NEW)) {
        m_commands.push_back(nId);
        if (!m_bRunCommands) {
            return TRUE;
        }
    }
    return CTBookDlg::OnCmdMsg(nId, nCode);
}

void MainWindowTest::SetUp() {
    g_app.SetUp(::GetModuleHandleA(nullptr), "C:\\Programs\\Book\\tbook.exe", "");
    m_strTestRoot = "Software\\TBookWindowTests\\" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(++g_nTestKey);
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, m_strTestRoot.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &m_hTestRoot, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_CURRENT_USER, m_hTestRoot));
    m_context.strAddressBookPath = BookPath().c_str();
    m_context.strProgramPath = "C:\\Programs\\Book\\tbook.exe";
    m_context.strProgramFolder = "C:\\Programs\\Book\\";
}

void MainWindowTest::TearDown() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (m_hTestRoot) {
        ::RegCloseKey(m_hTestRoot);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_strTestRoot.c_str());
    }
    g_app.m_pMainWnd = nullptr;
}

void MainWindowTest::WriteBook(const CContactArray& contacts) const {
    WriteBytes(BookPath(), BuildAddressBookDocument(contacts).GetStdString());
}

std::vector<std::string> MainWindowTest::Rows(CTestableDlg& dlg) {
    std::vector<std::string> rows;
    for (int r = 0; r < dlg.List().GetItemCount(); ++r) {
        rows.push_back(dlg.List().GetItemText(r, 0).GetStdString() + "," + dlg.List().GetItemText(r, 1).GetStdString());
    }
    return rows;
}

std::vector<std::string> MainWindowTest::LastNames(CTestableDlg& dlg) {
    std::vector<std::string> names;
    for (int nRow = 0; nRow < dlg.List().GetItemCount(); ++nRow) {
        names.push_back(dlg.List().GetItemText(nRow, 0).GetStdString());
    }
    return names;
}

std::vector<int> MainWindowTest::RowData(CTestableDlg& dlg) {
    return dlg.List().RowContacts();
}

std::vector<int> MainWindowTest::SelectedRows(CTestableDlg& dlg) {
    std::vector<int> rows;
    for (int r = dlg.List().GetNextItem(-1, LVNI_SELECTED); r != -1; r = dlg.List().GetNextItem(r, LVNI_SELECTED)) {
        rows.push_back(r);
    }
    return rows;
}

std::string MainWindowTest::StatusText(CTestableDlg& dlg) {
    char szText[1024] = "";
    dlg.StatusBar().SendMessage(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(szText));
    return szText;
}

int MainWindowTest::ReadSetting(const char* pszName, int nDefault) {
    DWORD dwValue = 0;
    DWORD dwSize = sizeof dwValue;
    if (::RegGetValueA(HKEY_CURRENT_USER, kSettingsKeyPath, pszName, RRF_RT_REG_DWORD, nullptr, &dwValue, &dwSize) !=
        ERROR_SUCCESS) {
        return nDefault;
    }
    return static_cast<int>(dwValue);
}

bool MainWindowTest::ReadRunValue(std::string* pValue) {
    char szValue[1024] = "";
    DWORD dwSize = sizeof szValue;
    if (::RegGetValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, RRF_RT_REG_SZ, nullptr, szValue, &dwSize) !=
        ERROR_SUCCESS) {
        return false;
    }
    *pValue = szValue;
    return true;
}

HWND FindEditorWindow() {
    HWND hEditor = ::FindWindowA("#32770", "Tovano Address Book - Single Contact View");
    return hEditor && ::IsWindowVisible(hEditor) ? hEditor : nullptr;
}

CContact MakeContact(const char* pszLast, const char* pszFirst, const char* pszMobile) {
    CContact contact;
    contact.lastname = pszLast;
    contact.firstname = pszFirst;
    contact.mobile = pszMobile;
    return contact;
}

CString DateFromToday(int nDays, int nYear) {
    CValueDate date = LocalToday();
    for (int i = 0; i < nDays; ++i) {
        if (++date.nDay > DaysInMonth(date.nYear, date.nMonth)) {
            date.nDay = 1;
            date.nMonth = date.nMonth % 12 + 1;
            date.nYear += date.nMonth == 1;
        }
    }
    date.nYear = nYear;
    return ValueDateText(date);
}
