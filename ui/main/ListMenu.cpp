#include "ListMenu.h"

#include "framework/core/WideText.h"
#include "framework/base/Handles.h"
#include "framework/base/AppContext.h"
#include "res/resource.h"
#include "ui/about/BrowserLauncher.h"
#include "ui/main/ContactLinks.h"
#include "ui/shell/Globals.h"

#include <shellapi.h>
#include <windowsx.h>

namespace {

// The row a menu opened at the point is for: the row under it, or from the keyboard the
// focused row while it is selected, else the first selected one; -1 for none.
int TargetRow(const CContactListView& list, POINT& ptScreen) {
    if (ptScreen.x != -1 || ptScreen.y != -1) {
        LVHITTESTINFO hit = {};
        hit.pt = ptScreen;
        ::ScreenToClient(list.m_hWnd, &hit.pt);
        return static_cast<int>(list.SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    }
    int nRow = list.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
    if (nRow == -1) {
        nRow = list.GetNextItem(-1, LVNI_SELECTED);
    }
    RECT rect = {};
    if (nRow != -1) {
        rect.left = LVIR_LABEL;
        list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&rect));
    }
    ptScreen = {rect.left + 8, rect.bottom};
    ::ClientToScreen(list.m_hWnd, &ptScreen);
    return nRow;
}

void Enable(HMENU hMenu, UINT nCommand, bool bEnabled) {
    ::EnableMenuItem(hMenu, nCommand, MF_BYCOMMAND | (bEnabled ? MF_ENABLED : MF_GRAYED));
}

// Hands a mailto: or tel: link to the program Windows has for it; says so when there is none.
void OpenLink(HWND hOwner, const CString& strLink, const char* pszMissing) {
    if (strLink.IsEmpty()) {
        return;
    }
    auto nResult = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(hOwner, L"open", ToWide(strLink).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (nResult <= 32) {
        ::MessageBoxW(hOwner, ToWide(pszMissing).c_str(), ToWide(kSystemCaption).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    }
}

} // namespace

const CMessageTable* CListMenu::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessageUnlessDeclined<&CListMenu::OnContextMenu>(WM_CONTEXTMENU),
        OnCommand<&CListMenu::OnSendEmail>(ID_SEND_EMAIL),
        OnCommand<&CListMenu::OnOpenWebPage>(ID_OPEN_WEB_PAGE),
        OnCommand<&CListMenu::OnCall>(ID_CALL),
        OnCommand<&CListMenu::OnBirthdayColumn>(ID_BIRTHDAY_COLUMN),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

BOOL CListMenu::OnContextMenu(WPARAM wParam, LPARAM lParam, LRESULT*) {
    if (reinterpret_cast<HWND>(wParam) != m_list.m_hWnd) {
        return FALSE;
    }
    Show({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return TRUE;
}

void CListMenu::Show(POINT ptScreen) {
    CMenu bar(::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_LIST_MENU)));
    HMENU hPopup = bar ? ::GetSubMenu(bar, 0) : nullptr;
    if (!hPopup) {
        return;
    }
    int nRow = TargetRow(m_list, ptScreen);
    m_contact = nRow >= 0 ? m_book.Contacts()[m_list.RowContact(nRow)] : CContact();
    Enable(hPopup, ID_SEND_EMAIL, !MailLink(m_contact).IsEmpty());
    Enable(hPopup, ID_OPEN_WEB_PAGE, !WebPageLink(m_contact).IsEmpty());
    Enable(hPopup, ID_CALL, !CallLink(m_contact).IsEmpty());
    Enable(hPopup, ID_COPY, m_list.HasSelection());
    Enable(hPopup, ID_UNDO, m_book.CanUndo());
    Enable(hPopup, ID_EXPORT, m_list.GetItemCount() > 0);
    Enable(hPopup, ID_FIND_DUPLICATES, m_book.Contacts().GetSize() > 1);
    Enable(hPopup, ID_MERGE_SELECTED, m_list.GetSelectedCount() > 1);
    Enable(hPopup, ID_TIDY_NOTES, m_book.Contacts().GetSize() > 0);
    m_groups.PrepareMenu(hPopup);
    ::CheckMenuItem(hPopup, ID_BIRTHDAY_COLUMN, MF_BYCOMMAND | (m_list.IsBirthdayColumnShown() ? MF_CHECKED : MF_UNCHECKED));
    ::TrackPopupMenu(hPopup, TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, m_window.m_hWnd, nullptr);
}

void CListMenu::OnSendEmail() {
    OpenLink(
        m_window.m_hWnd, MailLink(m_contact),
        "Windows has no program for sending e-mail. Choose one in the default apps of Windows' settings.");
}

void CListMenu::OnOpenWebPage() {
    CString strLink = WebPageLink(m_contact);
    if (!strLink.IsEmpty()) {
        CBrowserLauncher().OpenPage(m_window.m_hWnd, strLink);
    }
}

void CListMenu::OnCall() {
    OpenLink(m_window.m_hWnd, CallLink(m_contact),
             "Windows has no program for phone calls. Choose one for \"tel\" links in the default apps of "
             "Windows' settings.");
}
