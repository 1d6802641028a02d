// CDuplicatesDlg: the window of Find Duplicates and Merge Selected. It lists the groups of
// contacts that may be one person, with their reasons, and for the chosen group shows each
// contact and the merged contact field by field. The user takes another contact's value for a
// field (a double click, or Space), edits the merged contact in the contact editor, and merges;
// the merge itself is the caller's (the book's change, the list, the save), after which the
// window finds the groups again. With chosen rows (Merge Selected) it shows that one group and
// ends after its merge. User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "data/ContactMerger.h"
#include "data/DuplicateFinder.h"
#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"

#include <functional>
#include <vector>

class CDuplicatesDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    using Merge = std::function<void(const CMergeGroup& group)>;

    // chosen: the contacts (indexes into the book) to merge, or empty to find the groups.
    CDuplicatesDlg(const CContactBook& book, Merge merge, std::function<void()> help,
                   std::vector<int> chosen = std::vector<int>());

    const std::vector<CDuplicateGroup>& Groups() const { return m_groups; }
    const CContact& Merged() const { return m_merged; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnGroupChange();
    void OnFieldsDblClk(NMHDR* pHeader, LRESULT* pResult);
    void OnFieldsKeyDown(NMHDR* pHeader, LRESULT* pResult);
    void OnMerge();
    void OnEditMerged();
    void OnHelp() { m_help(); }
    BOOL OnHelpInfo(HELPINFO*) {
        m_help();
        return TRUE;
    }

private:
    void FindGroups();
    // Shows the group at nGroup (or nothing for -1) and its merged contact.
    void ShowGroup(int nGroup);
    void ShowMerged();
    // Takes the value of the contact at nContact (of the shown group) for the field.
    void Take(int nField, int nContact);

    const CContactBook& m_book;
    Merge m_merge;
    std::function<void()> m_help;
    std::vector<int> m_chosen;
    std::vector<CDuplicateGroup> m_groups;
    int m_nGroup = -1;
    std::vector<CContact> m_contacts; // of the shown group
    CMergeChoices m_choices;
    CContact m_merged;
    bool m_bEdited = false; // the merged contact was changed in the editor
    CListCtrl m_fields;
};
