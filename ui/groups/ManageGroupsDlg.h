// CManageGroupsDlg: the book's groups with how many contacts are in each, to rename or delete.
// The caller makes each change (one undo step each) and the list follows the book; deleting a
// group takes only the group from its contacts, after asking. User-interface thread only.
#pragma once

#include "data/ContactGroups.h"
#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"

#include <functional>
#include <vector>

class CManageGroupsDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    // Group names are in stored form.
    using RenameFn = std::function<void(const CString& strFrom, const CString& strTo)>;
    using DeleteFn = std::function<void(const CString& strGroup)>;

    CManageGroupsDlg(const CContactArray& contacts, RenameFn onRename, DeleteFn onDelete, CWnd* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    void OnRename();
    void OnDelete();
    void OnListDblClk(NMHDR* pHeader, LRESULT* pResult);
    void OnListItemChanged(NMHDR* pHeader, LRESULT* pResult);
    // The groups as the book has them now, the one of that name (any spelling) selected.
    void Fill(const CString& strSelected);
    // The selected group, or nullptr.
    const CGroupCount* Selected() const;

    const CContactArray& m_contacts;
    RenameFn m_onRename;
    DeleteFn m_onDelete;
    std::vector<CGroupCount> m_groups;
    CListCtrl m_list;
};
