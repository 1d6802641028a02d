#include "ProgramDriver.h"

#include "framework/core/WideText.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

const char kMainCaption[] = "Tovano Address Book - List View";
const char kEditorCaption[] = "Tovano Address Book - Single Contact View";
const char kAboutCaption[] = "About Tovano Address Book";

std::string ProgramPath(const char* pszProgram) {
    if (std::string(pszProgram).find('\\') != std::string::npos) {
        return pszProgram;
    }
    wchar_t szPath[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::string strPath = FromWide(szPath).GetStdString();
    return strPath.substr(0, strPath.rfind('\\') + 1) + pszProgram;
}

struct WindowSearch {
    DWORD dwProcessId;
    std::function<bool(HWND)> match;
    HWND hFound;
};

HWND FindProcessWindow(DWORD dwProcessId, std::function<bool(HWND)> match) {
    WindowSearch search = {dwProcessId, std::move(match), nullptr};
    ::EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
            DWORD dwOwner = 0;
            ::GetWindowThreadProcessId(hWnd, &dwOwner);
            if (dwOwner == pSearch->dwProcessId && pSearch->match(hWnd)) {
                pSearch->hFound = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::string ClassOf(HWND hWnd) {
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    return szClass;
}

} // namespace

CProgram::~CProgram() {
    if (m_info.hProcess) {
        if (IsRunning()) {
            ::TerminateProcess(m_info.hProcess, 99);
            ::WaitForSingleObject(m_info.hProcess, 5000);
        }
        ::CloseHandle(m_info.hProcess);
        ::CloseHandle(m_info.hThread);
    }
}

bool CProgram::Start(const std::string& strArguments, const char* pszProgram) {
    std::string strCommand = "\"" + ProgramPath(pszProgram) + "\"" + (strArguments.empty() ? "" : " " + strArguments);
    std::wstring command = ToWide(strCommand.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // Now and then Wine refuses a start outright (seen once in many runs, with the machine
    // busy); that says nothing of the program, so the start is tried once more.
    for (int nTry = 0; nTry < 2; ++nTry) {
        if (::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &m_info)) {
            return true;
        }
        std::fprintf(stderr, "could not start %s: error %lu\n", strCommand.c_str(), ::GetLastError());
        ::Sleep(500);
    }
    return false;
}

int CProgram::WaitForExit(DWORD dwTimeoutMs) {
    if (::WaitForSingleObject(m_info.hProcess, dwTimeoutMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD dwCode = 0;
    ::GetExitCodeProcess(m_info.hProcess, &dwCode);
    return static_cast<int>(dwCode);
}

bool CProgram::IsRunning() const { return ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT; }

HWND CProgram::FindMainWindow() const {
    return FindProcessWindow(m_info.dwProcessId, [](HWND hWnd) { return WindowText(hWnd) == kMainCaption; });
}

HWND CProgram::FindMessageBox() const {
    return FindProcessWindow(m_info.dwProcessId, [](HWND hWnd) {
        std::string strCaption = WindowText(hWnd);
        return ::IsWindowVisible(hWnd) && ClassOf(hWnd) == "#32770" && strCaption != kMainCaption &&
               strCaption != kEditorCaption && strCaption != kAboutCaption && ::GetDlgItem(hWnd, 0xFFFF) &&
               !::FindWindowExA(hWnd, nullptr, "SysListView32", nullptr);
    });
}

HWND CProgram::FindDialog(const char* pszCaption) const {
    return FindProcessWindow(m_info.dwProcessId, [pszCaption](HWND hWnd) {
        return ::IsWindowVisible(hWnd) && ClassOf(hWnd) == "#32770" && WindowText(hWnd) == pszCaption;
    });
}

HWND CProgram::FindEditor() const { return FindDialog(kEditorCaption); }

HWND CProgram::FindAbout() const { return FindDialog(kAboutCaption); }

HWND CProgram::FindDuplicates() const { return FindDialog("Tovano Address Book - Duplicates"); }

HWND CProgram::FindPopupMenu() const {
    return FindProcessWindow(m_info.dwProcessId,
                             [](HWND hWnd) { return ::IsWindowVisible(hWnd) && ClassOf(hWnd) == "#32768"; });
}

int CProgram::ListRowCount() const {
    HWND hList = ::GetDlgItem(FindMainWindow(), 1000);
    return hList ? static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

std::string CProgram::ListText(int nRow, int nColumn) const {
    HWND hList = ::GetDlgItem(FindMainWindow(), 1000);
    HANDLE hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, m_info.dwProcessId);
    if (!hList || !hProcess) {
        return "";
    }
    // The item record and its text buffer must live in the program's own memory.
    const SIZE_T kTextSize = 1024;
    char* pRemote = static_cast<char*>(::VirtualAllocEx(hProcess, nullptr, sizeof(LVITEMW) + kTextSize * sizeof(wchar_t),
                                                        MEM_COMMIT, PAGE_READWRITE));
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = reinterpret_cast<wchar_t*>(pRemote + sizeof(LVITEMW));
    item.cchTextMax = static_cast<int>(kTextSize);
    ::WriteProcessMemory(hProcess, pRemote, &item, sizeof item, nullptr);
    ::SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(pRemote));
    std::vector<wchar_t> text(kTextSize + 1, L'\0');
    ::ReadProcessMemory(hProcess, pRemote + sizeof(LVITEMW), text.data(), kTextSize * sizeof(wchar_t), nullptr);
    ::VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    ::CloseHandle(hProcess);
    return FromWide(text.data()).GetStdString();
}

bool CProgram::ClickListRow(int nRow) const {
    HWND hList = ::GetDlgItem(FindMainWindow(), 1000);
    HANDLE hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, m_info.dwProcessId);
    if (!hList || !hProcess) {
        return false;
    }
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    void* pRemote = ::VirtualAllocEx(hProcess, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE);
    ::WriteProcessMemory(hProcess, pRemote, &rect, sizeof rect, nullptr);
    bool bFound = ::SendMessageA(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(pRemote)) &&
                  ::ReadProcessMemory(hProcess, pRemote, &rect, sizeof rect, nullptr);
    ::VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    ::CloseHandle(hProcess);
    if (bFound) {
        LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        ::PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::PostMessageA(hList, WM_LBUTTONUP, 0, point);
    }
    return bFound;
}

int RunProgram(const std::string& strArguments, DWORD dwTimeoutMs, const char* pszProgram) {
    CProgram program;
    if (!program.Start(strArguments, pszProgram)) {
        return -2;
    }
    return program.WaitForExit(dwTimeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs) {
    DWORD dwStart = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - dwStart > dwTimeoutMs) {
            return false;
        }
        ::Sleep(20);
    }
    return true;
}

std::string DataFolder() {
    wchar_t szBase[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, szBase);
    return FromWide(szBase).GetStdString() + "\\TovanoSoft\\Tovano Address Book";
}

void MakeDataFolder() {
    std::string strFolder = DataFolder();
    ::CreateDirectoryW(ToWide(strFolder.substr(0, strFolder.rfind('\\')).c_str()).c_str(), nullptr);
    ::CreateDirectoryW(ToWide(strFolder.c_str()).c_str(), nullptr);
}

std::string BookPath() { return DataFolder() + "\\tbk.xml"; }

std::string ReadFileText(const std::string& strPath) {
    std::ifstream in(std::filesystem::u8path(strPath), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFileText(const std::string& strPath, const std::string& text) {
    std::ofstream out(std::filesystem::u8path(strPath), std::ios::binary | std::ios::trunc);
    out << text;
}

bool PathExists(const std::string& strPath) {
    return ::GetFileAttributesW(ToWide(strPath.c_str()).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ResetProgramState() {
    for (const char* pszName : {"\\tbk.xml", "\\tbk.xml.bak", "\\tbk.xml.2.bak", "\\tbk.xml.tmp"}) {
        ::DeleteFileW(ToWide((DataFolder() + pszName).c_str()).c_str());
    }
    ::RemoveDirectoryW(ToWide(DataFolder().c_str()).c_str());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TovanoSoft");
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tovano Address Book");
}

std::string WindowText(HWND hWnd) {
    char szText[256] = "";
    ::GetWindowTextA(hWnd, szText, sizeof szText);
    return szText;
}
