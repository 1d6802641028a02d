#include "GroupBar.h"

#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/main/ListLogic.h"

#include <oleacc.h>

#include <algorithm>

namespace {

const int kLabelWidth = 44;
const int kComboWidth = 260;
const int kComboDropHeight = 320; // the list that drops down: about fifteen groups before it scrolls
const int kGroupPaneWidth = 220;

} // namespace

const CMessageTable* CGroupBar::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnControlCode<&CGroupBar::OnSelChange>(IDC_GROUP_FILTER, CBN_SELCHANGE),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void CGroupBar::Create(std::function<void()> onLayout) {
    m_onLayout = std::move(onLayout);
    const RECT rcNone = {0, 0, 0, 0};
    m_label.CreateEx(0, "STATIC", "&Group:", WS_CHILD | SS_LEFT, rcNone, m_window.m_hWnd, IDC_GROUP_LABEL);
    // Named for a screen reader, which not everywhere takes the label before it for its name.
    m_combo.SetAccessibleName("Group", ROLE_SYSTEM_COMBOBOX);
    m_combo.CreateEx(0, "COMBOBOX", "", WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, rcNone, m_window.m_hWnd,
                     IDC_GROUP_FILTER);
    // The dialog's font, and the tab order of the template: label and drop-down just before the
    // list, so Alt+G and Tab reach the drop-down on the way to the list.
    LPARAM font = m_window.SendMessage(WM_GETFONT);
    HWND hBeforeList = ::GetWindow(m_window.GetDlgItem(IDC_LIST), GW_HWNDPREV);
    for (CWnd* pControl : {static_cast<CWnd*>(&m_label), static_cast<CWnd*>(&m_combo)}) {
        pControl->SendMessage(WM_SETFONT, static_cast<WPARAM>(font), FALSE);
        ::SetWindowPos(pControl->m_hWnd, hBeforeList, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        hBeforeList = pControl->m_hWnd;
    }
    CGroupChoice stored = CGroupChoice::FromSetting(m_settings.m_strShownGroup);
    const std::vector<CGroupEntry> entries = GroupEntries(m_book.Contacts(), CGroupChoice::All());
    bool bStillThere = std::any_of(entries.begin(), entries.end(), [&](const CGroupEntry& entry) { return entry.choice == stored; });
    m_search.SetGroup(bStillThere ? stored : CGroupChoice::All());
    m_search.SetGroupListener([this] { Fill(); });
    m_book.AddListener(*this);
    Fill();
}

void CGroupBar::Place(int nX, int nY, int nWidth, int nClientWidth, int nDpi) {
    m_nClientWidth = nClientWidth;
    m_nDpi = nDpi;
    const int nLabelWidth = ScaleToDpi(kLabelWidth, nDpi);
    // The label's text sits on the line of the drop-down's text.
    m_label.MoveWindow(nX, nY + ScaleToDpi(4, nDpi), nLabelWidth, ScaleToDpi(16, nDpi));
    m_combo.MoveWindow(nX + nLabelWidth, nY, std::min(ScaleToDpi(kComboWidth, nDpi), std::max(0, nWidth - nLabelWidth)),
                       ScaleToDpi(kComboDropHeight, nDpi));
    ShowStatus();
}

bool CGroupBar::HasFocus() const { return m_combo.m_hWnd && ::GetFocus() == m_combo.m_hWnd; }

bool CGroupBar::IsDroppedDown() const { return m_combo.m_hWnd && m_combo.SendMessage(CB_GETDROPPEDSTATE) != 0; }

void CGroupBar::Choose(const CGroupChoice& group) {
    m_search.SetGroup(group);
    m_settings.SaveShownGroup(group.ToSetting());
    Fill();
}

void CGroupBar::OnSelChange() {
    auto nItem = m_combo.SendMessage(CB_GETCURSEL);
    if (nItem >= 0 && static_cast<size_t>(nItem) < m_entries.size() && m_entries[static_cast<size_t>(nItem)] != m_search.Group()) {
        Choose(m_entries[static_cast<size_t>(nItem)]);
    }
}

void CGroupBar::Fill() {
    if (!m_combo.m_hWnd) {
        return;
    }
    const CGroupChoice& chosen = m_search.Group();
    std::vector<CGroupEntry> entries = GroupEntries(m_book.Contacts(), chosen);
    m_entries.clear();
    m_combo.SendMessage(WM_SETREDRAW, FALSE);
    m_combo.SendMessage(CB_RESETCONTENT);
    for (const CGroupEntry& entry : entries) {
        ::SendMessageW(m_combo.m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(entry.text).c_str()));
        if (entry.choice == chosen) {
            m_combo.SendMessage(CB_SETCURSEL, m_entries.size());
        }
        m_entries.push_back(entry.choice);
    }
    m_combo.SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_combo.m_hWnd, nullptr, TRUE);
    const bool bShown = !entries.empty();
    if (bShown != m_bShown) {
        if (!bShown && HasFocus()) {
            m_window.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_window.GetDlgItem(IDC_LIST)), TRUE);
        }
        m_bShown = bShown;
        m_label.ShowWindow(bShown ? SW_SHOW : SW_HIDE);
        m_combo.ShowWindow(bShown ? SW_SHOW : SW_HIDE);
        if (m_onLayout) {
            m_onLayout();
        }
    }
    ShowStatus();
}

void CGroupBar::ShowStatus() {
    if (!m_statusBar.m_hWnd) {
        return;
    }
    const CGroupChoice& chosen = m_search.Group();
    const int nPaneWidth = ScaleToDpi(kGroupPaneWidth, m_nDpi);
    if (chosen.IsAll() || m_nClientWidth <= nPaneWidth) {
        int parts[] = {-1};
        m_statusBar.SendMessage(SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
        return;
    }
    int parts[] = {m_nClientWidth - nPaneWidth, -1};
    m_statusBar.SendMessage(SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    CString strPane = chosen.Kind() == CGroupChoice::EKind::ungrouped ? CString("Shown: contacts in no group")
                                                                      : "Shown: group " + DisplayTextOf(chosen.Name());
    m_statusBar.SetText(strPane, 1, 0);
}
