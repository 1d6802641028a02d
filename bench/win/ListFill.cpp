#include "ListFill.h"

#include <commctrl.h>

#include <iterator>

namespace {

// The queue counts as drained when nothing arrives for this long.
const DWORD kQuietMs = 30;
const char kBareFrameClass[] = "TBookBenchBareFrame";
const int kBareListId = 1000;

// In UTF-8, as the contacts hold it: the ANSI form would lose every character beyond its code page.
std::string ItemText(HWND hList, int nRow, int nColumn) {
    wchar_t szText[512] = L"";
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = szText;
    item.cchTextMax = static_cast<int>(std::size(szText));
    ::SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    char szUtf8[1536] = "";
    ::WideCharToMultiByte(CP_UTF8, 0, szText, -1, szUtf8, sizeof szUtf8, nullptr, nullptr);
    return szUtf8;
}

// The contacts hold UTF-8; the rows go in as the program's own do, in UTF-16.
std::wstring Wide(const char* psz) {
    int nLength = ::MultiByteToWideChar(CP_UTF8, 0, psz, -1, nullptr, 0);
    std::wstring text(static_cast<size_t>(nLength > 0 ? nLength : 1), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, psz, -1, &text[0], nLength);
    return text;
}

LPARAM ItemData(HWND hList, int nRow) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nRow;
    ::SendMessageA(hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

} // namespace

const char* ColumnText(const CContact& contact, int nColumn) {
    const CString* const texts[kListColumns] = {&contact.lastname,    &contact.firstname,  &contact.homephone,
                                                &contact.mobile,      &contact.homeemail,  &contact.company,
                                                &contact.officephone, &contact.officeemail};
    return *texts[nColumn];
}

void FillRows(HWND hList, const CContactArray& rows) {
    ::SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < rows.GetSize(); ++i) {
        const CContact& contact = rows.ElementAt(i);
        std::wstring text = Wide(ColumnText(contact, 0));
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = &text[0];
        item.lParam = i;
        int nRow =
            static_cast<int>(::SendMessageW(hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        for (int nColumn = 1; nColumn < kListColumns; ++nColumn) {
            text = Wide(ColumnText(contact, nColumn));
            LVITEMW sub = {};
            sub.mask = LVIF_TEXT;
            sub.iItem = nRow;
            sub.iSubItem = nColumn;
            sub.pszText = &text[0];
            ::SendMessageW(hList, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&sub));
        }
    }
}

void FillRowsWithoutDrawing(HWND hList, const CContactArray& rows) {
    ::SendMessageA(hList, WM_SETREDRAW, FALSE, 0);
    FillRows(hList, rows);
    ::SendMessageA(hList, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hList, nullptr, TRUE);
}

std::string CompareRows(HWND hList, const CContactArray& expected, bool bItemData) {
    int nCount = static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    if (nCount != expected.GetSize()) {
        return "the list holds " + std::to_string(nCount) + " rows instead of " +
               std::to_string(expected.GetSize());
    }
    for (int nRow = 0; nRow < nCount; ++nRow) {
        bool bEveryColumn = nRow < 3 || nRow % 997 == 0 || nRow == nCount - 1;
        for (int nColumn = 0; nColumn < (bEveryColumn ? kListColumns : 1); ++nColumn) {
            std::string strWanted = ColumnText(expected.ElementAt(nRow), nColumn);
            std::string strShown = ItemText(hList, nRow, nColumn);
            if (strShown != strWanted) {
                return "row " + std::to_string(nRow) + " column " + std::to_string(nColumn) + " shows \"" +
                       strShown + "\" instead of \"" + strWanted + "\"";
            }
        }
        LPARAM nData = bItemData ? ItemData(hList, nRow) : nRow;
        if (nData != nRow) {
            return "row " + std::to_string(nRow) + " has item data " + std::to_string(nData);
        }
    }
    return std::string();
}

void DrainMessages() {
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, kQuietMs, QS_ALLINPUT) == WAIT_TIMEOUT) {
            return;
        }
    }
}

void PaintNow(HWND hWnd) {
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool IsListShown(HWND hTop, HWND hList) {
    RECT client = {};
    ::GetClientRect(hList, &client);
    return ::IsWindowVisible(hTop) && !::IsIconic(hTop) && ::IsWindowVisible(hList) && client.bottom > 100 &&
           client.right > 100;
}

bool CBareListWindow::Create(HWND hModelTop, HWND hModelList) {
    HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
    WNDCLASSA frameClass = {};
    frameClass.lpfnWndProc = ::DefWindowProcA;
    frameClass.hInstance = hInstance;
    frameClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // the arrow
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kBareFrameClass;
    if (!::RegisterClassA(&frameClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    RECT frame = {};
    ::GetWindowRect(hModelTop, &frame);
    m_hFrame = ::CreateWindowExA(0, kBareFrameClass, "Bare list", WS_OVERLAPPEDWINDOW, frame.left, frame.top,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                 hInstance, nullptr);
    if (!m_hFrame) {
        return false;
    }
    RECT list = {};
    ::GetWindowRect(hModelList, &list);
    ::MapWindowPoints(nullptr, hModelTop, reinterpret_cast<POINT*>(&list), 2);
    DWORD dwStyle = static_cast<DWORD>(::GetWindowLongPtrA(hModelList, GWL_STYLE)) & ~static_cast<DWORD>(LVS_OWNERDATA);
    m_hList = ::CreateWindowExA(
        static_cast<DWORD>(::GetWindowLongPtrA(hModelList, GWL_EXSTYLE)), WC_LISTVIEWA, "",
        dwStyle | WS_CHILD | WS_VISIBLE, list.left, list.top, list.right - list.left, list.bottom - list.top,
        m_hFrame, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kBareListId)), hInstance, nullptr);
    if (!m_hList) {
        return false;
    }
    ::SendMessageA(m_hList, WM_SETFONT, static_cast<WPARAM>(::SendMessageA(hModelList, WM_GETFONT, 0, 0)),
                   FALSE);
    ::SendMessageA(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   ::SendMessageA(hModelList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    for (int nColumn = 0; nColumn < kListColumns; ++nColumn) {
        char szHeading[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = szHeading;
        column.cchTextMax = sizeof szHeading;
        ::SendMessageA(hModelList, LVM_GETCOLUMNA, static_cast<WPARAM>(nColumn),
                       reinterpret_cast<LPARAM>(&column));
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        if (::SendMessageA(m_hList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(nColumn),
                           reinterpret_cast<LPARAM>(&column)) != nColumn) {
            return false;
        }
    }
    return true;
}

CBareListWindow::~CBareListWindow() {
    if (m_hFrame) {
        ::DestroyWindow(m_hFrame);
    }
}
