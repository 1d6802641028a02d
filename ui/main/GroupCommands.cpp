#include "GroupCommands.h"

#include "data/ContactGroups.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/groups/GroupNameDlg.h"
#include "ui/groups/ManageGroupsDlg.h"
#include "ui/main/CommandLogic.h"
#include "ui/main/CommandScope.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <unordered_map>

namespace {

// A group's name as a menu shows it: an ampersand is no access key there.
std::wstring MenuText(const CString& strGroup) {
    std::wstring text;
    for (wchar_t ch : ToWide(DisplayTextOf(strGroup))) {
        text += ch == L'&' ? L"&&" : std::wstring(1, ch);
    }
    return text;
}

// The position of the submenu that holds the command, or -1.
int SubmenuHolding(HMENU hPopup, UINT nCommand) {
    for (int i = 0; i < ::GetMenuItemCount(hPopup); ++i) {
        HMENU hSub = ::GetSubMenu(hPopup, i);
        if (hSub && ::GetMenuState(hSub, nCommand, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
            return i;
        }
    }
    return -1;
}

CString Quoted(const CString& strGroup) { return "\"" + DisplayTextOf(strGroup) + "\""; }

} // namespace

const CMessageTable* CGroupCommands::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CGroupCommands::OnAddToNewGroup>(ID_ADD_TO_NEW_GROUP),
        OnCommand<&CGroupCommands::OnRemoveFromGroup>(ID_REMOVE_FROM_GROUP),
        OnCommand<&CGroupCommands::OnManageGroups>(ID_MANAGE_GROUPS),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

BOOL CGroupCommands::OnCmdMsg(UINT nId, UINT nCode) {
    if (nCode == 0 && nId >= ID_ADD_TO_GROUP_FIRST && nId <= ID_ADD_TO_GROUP_LAST) {
        size_t nGroup = nId - ID_ADD_TO_GROUP_FIRST;
        if (nGroup < m_menuGroups.size()) {
            AddSelectedTo(m_menuGroups[nGroup]);
        }
        return TRUE;
    }
    return CCmdTarget::OnCmdMsg(nId, nCode);
}

void CGroupCommands::PrepareMenu(HMENU hPopup) {
    const std::vector<int> selected = SelectedContacts();
    const CContactArray& contacts = m_book.Contacts();
    // How many of the selected contacts each group holds, by key, for the check marks.
    std::unordered_map<std::string, size_t> members;
    for (int nContact : selected) {
        std::vector<std::string> counted;
        for (const CContactValue& value : contacts[nContact].values) {
            std::string strKey = value.kind == EValueKind::group ? GroupKey(value.text) : std::string();
            if (!strKey.empty() && std::find(counted.begin(), counted.end(), strKey) == counted.end()) {
                counted.push_back(strKey);
                ++members[strKey];
            }
        }
    }
    const std::vector<CGroupCount> groups = CountGroups(contacts);
    m_menuGroups.clear();
    int nSubmenu = SubmenuHolding(hPopup, ID_ADD_TO_NEW_GROUP);
    if (HMENU hAdd = nSubmenu >= 0 ? ::GetSubMenu(hPopup, nSubmenu) : nullptr) {
        // More groups than the range holds are reached through "New Group...", which offers them all.
        for (const CGroupCount& group : groups) {
            if (m_menuGroups.size() > ID_ADD_TO_GROUP_LAST - ID_ADD_TO_GROUP_FIRST) {
                break;
            }
            UINT nFlags = MF_STRING | (!selected.empty() && members[GroupKey(group.name)] == selected.size() ? MF_CHECKED : 0);
            ::InsertMenuW(hAdd, static_cast<UINT>(m_menuGroups.size()), MF_BYPOSITION | nFlags,
                          ID_ADD_TO_GROUP_FIRST + m_menuGroups.size(), MenuText(group.name).c_str());
            m_menuGroups.push_back(group.name);
        }
        if (!m_menuGroups.empty()) {
            ::InsertMenuW(hAdd, static_cast<UINT>(m_menuGroups.size()), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        }
        ::EnableMenuItem(hPopup, static_cast<UINT>(nSubmenu), MF_BYPOSITION | (selected.empty() ? MF_GRAYED : MF_ENABLED));
    }
    const CGroupChoice& shown = m_search.Group();
    const bool bNamed = shown.Kind() == CGroupChoice::EKind::named;
    if (bNamed) {
        std::wstring text = L"&Remove from \"" + MenuText(shown.Name()) + L"\"";
        ::ModifyMenuW(hPopup, ID_REMOVE_FROM_GROUP, MF_BYCOMMAND | MF_STRING, ID_REMOVE_FROM_GROUP, text.c_str());
    }
    ::EnableMenuItem(hPopup, ID_REMOVE_FROM_GROUP, MF_BYCOMMAND | (bNamed && !selected.empty() ? MF_ENABLED : MF_GRAYED));
    ::EnableMenuItem(hPopup, ID_MANAGE_GROUPS, MF_BYCOMMAND | (groups.empty() ? MF_GRAYED : MF_ENABLED));
}

std::vector<int> CGroupCommands::SelectedContacts() const {
    std::vector<int> indexes;
    for (int nRow : m_list.SelectedRows()) {
        int nContact = m_list.RowContact(nRow);
        if (nContact >= 0 && nContact < m_book.Contacts().GetSize()) {
            indexes.push_back(nContact);
        }
    }
    return indexes;
}

std::vector<int> CGroupCommands::ContactsInGroup(const CString& strGroup) const {
    return CGroupChoice::Named(strGroup).Filter(m_book.Contacts());
}

size_t CGroupCommands::ChangeContacts(const std::vector<int>& indexes, const std::function<bool(CContact&)>& change) {
    std::vector<int> changedIndexes;
    std::vector<CContact> changed;
    for (int nContact : indexes) {
        CContact contact = m_book.Contacts()[nContact];
        if (change(contact)) {
            changedIndexes.push_back(nContact);
            changed.push_back(std::move(contact));
        }
    }
    if (!changed.empty()) {
        CBookChange bookChange = m_book.ReplaceContacts(changedIndexes, changed);
        m_search.ShowChanged(bookChange.placed);
        m_commands.Commit(bookChange);
    }
    return changed.size();
}

void CGroupCommands::AddSelectedTo(const CString& strGroup) {
    CCommandScope command(m_exit, m_window);
    size_t nAdded = ChangeContacts(SelectedContacts(), [&](CContact& contact) { return AddToGroup(contact, strGroup); });
    SetStatus(nAdded == 0 ? "The selected contacts are in " + Quoted(strGroup) + " already."
                          : "Added " + CountOf(nAdded, "contact", "contacts") + " to " + Quoted(strGroup) +
                                ". Undo (Ctrl+Z) takes it back.");
}

void CGroupCommands::OnAddToNewGroup() {
    if (SelectedContacts().empty()) {
        return;
    }
    std::vector<CString> existing;
    for (const CGroupCount& group : CountGroups(m_book.Contacts())) {
        existing.push_back(group.name);
    }
    CString strGroup;
    {
        CCommandScope command(m_exit, m_window);
        CGroupNameDlg dlg("Tovano Address Book - Add to Group", "&Name of the group to put the selected contacts in:",
                          CString(), existing, &m_window);
        m_exit.SetOpenEditor(&dlg);
        INT_PTR nResult = dlg.DoModal();
        m_exit.SetOpenEditor(nullptr);
        if (nResult != IDOK || m_exit.IsEndPending()) {
            return;
        }
        strGroup = dlg.Name();
    }
    // A group the book has already, in another spelling, keeps the book's spelling.
    auto same = std::find_if(existing.begin(), existing.end(),
                             [&](const CString& strExisting) { return GroupKey(strExisting) == GroupKey(strGroup); });
    AddSelectedTo(same != existing.end() ? *same : strGroup);
}

void CGroupCommands::OnRemoveFromGroup() {
    const CGroupChoice shown = m_search.Group();
    if (shown.Kind() != CGroupChoice::EKind::named) {
        return;
    }
    CCommandScope command(m_exit, m_window);
    size_t nRemoved =
        ChangeContacts(SelectedContacts(), [&](CContact& contact) { return RemoveFromGroup(contact, shown.Name()); });
    if (nRemoved > 0) {
        SetStatus("Took " + CountOf(nRemoved, "contact", "contacts") + " out of " + Quoted(shown.Name()) +
                  ". Undo (Ctrl+Z) takes it back.");
    }
}

void CGroupCommands::OnManageGroups() {
    CCommandScope command(m_exit, m_window);
    CManageGroupsDlg dlg(
        m_book.Contacts(),
        [this](const CString& strFrom, const CString& strTo) {
            size_t nRenamed = ChangeContacts(ContactsInGroup(strFrom), [&](CContact& contact) {
                return RenameGroup(contact, strFrom, strTo);
            });
            if (m_search.Group() == CGroupChoice::Named(strFrom)) {
                m_bar.Choose(CGroupChoice::Named(strTo));
            }
            SetStatus("Renamed " + Quoted(strFrom) + " to " + Quoted(strTo) + " for " +
                      CountOf(nRenamed, "contact", "contacts") + ". Undo (Ctrl+Z) takes it back.");
        },
        [this](const CString& strGroup) {
            size_t nOut = ChangeContacts(ContactsInGroup(strGroup),
                                         [&](CContact& contact) { return RemoveFromGroup(contact, strGroup); });
            if (m_search.Group() == CGroupChoice::Named(strGroup)) {
                m_bar.Choose(CGroupChoice::All());
            }
            SetStatus("Deleted the group " + Quoted(strGroup) + "; its " + CountOf(nOut, "contact stays", "contacts stay") +
                      " in the book. Undo (Ctrl+Z) takes it back.");
        },
        &m_window);
    m_exit.SetOpenEditor(&dlg);
    dlg.DoModal();
    m_exit.SetOpenEditor(nullptr);
}
