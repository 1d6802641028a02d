// CInterchangeCommands: contacts in and out of the main window: Import (the Open dialog, files
// dropped or handed over by a later start, cards pasted), Export (the Save As dialog) and Copy.
// Files are read and exports written on a worker thread with a progress dialog that can cancel
// them; the book changes only after the user agreed, in one change that one undo takes back.
// User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "ui/interchange/ProgressDlg.h"
#include "ui/main/ContactCommands.h"
#include "ui/main/ContactListView.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/main/MainSearch.h"

#include <string>
#include <vector>

class CInterchangeCommands : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CInterchangeCommands(CDialog& window, CContactBook& book, CContactListView& list, CMainSearch& search,
                         CContactCommands& commands, CExitCoordinator& exit, CStatusBarCtrl& statusBar)
        : m_window(window), m_book(book), m_list(list), m_search(search), m_commands(commands), m_exit(exit),
          m_statusBar(statusBar) {}
    CInterchangeCommands(const CInterchangeCommands&) = delete;
    CInterchangeCommands& operator=(const CInterchangeCommands&) = delete;

    // Reads the files (full paths), asks, and adds their new contacts, selected in the list.
    void ImportFiles(const std::vector<CString>& files);

    // How long reading or writing runs before its progress shows.
    UINT m_nProgressDelayMs = CProgressDlg::kShowDelayMs;

private:
    void OnImport();
    // Exports the selected contacts when more than one row is selected, else all shown.
    void OnExport();
    // The selected contacts to the clipboard.
    void OnCopy();
    // Cards on the clipboard imported as from a file.
    void OnPaste();

    // What an import reads: a file, or text that came another way (then strPath is empty).
    struct CSource {
        CString strPath;
        CString strName; // as messages name it
        std::string strData;
    };
    void Import(std::vector<CSource> sources);
    // The contacts of the rows, top to bottom.
    CContactArray ContactsOfRows(const std::vector<int>& rows) const;
    std::vector<int> SelectedRows() const;
    int Ask(const CString& strText, UINT nType) const;
    void SetStatus(const CString& strText) { m_statusBar.SetText(strText, 0, 0); }

    CDialog& m_window;
    CContactBook& m_book;
    CContactListView& m_list;
    CMainSearch& m_search;
    CContactCommands& m_commands;
    CExitCoordinator& m_exit;
    CStatusBarCtrl& m_statusBar;
};
