// CGroupBar: the drop-down above the list that chooses which contacts the list shows: "All
// contacts", each group with its count, and "Not in a group". It is there while the book has a
// group (or one is chosen), so a book without groups keeps the window as it always was. The
// choice is kept in the registry for the next run and named in the status bar's second pane,
// and the counts follow every change of the book. User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Controls.h"
#include "ui/controls/AccessibleName.h"
#include "ui/main/MainSearch.h"
#include "ui/main/WindowSettings.h"

#include <functional>
#include <vector>

class CGroupBar : public CCmdTarget, private CBookListener {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CGroupBar(CWnd& window, CContactBook& book, CMainSearch& search, CWindowSettings& settings,
              CStatusBarCtrl& statusBar)
        : m_window(window), m_book(book), m_search(search), m_settings(settings), m_statusBar(statusBar) {}
    CGroupBar(const CGroupBar&) = delete;
    CGroupBar& operator=(const CGroupBar&) = delete;

    // Creates the label and the drop-down just before the list in the tab order, and shows the
    // choice of the last run in the list; a group that is gone since shows every contact.
    // onLayout is called when the bar comes or goes, for the window to lay out again.
    void Create(std::function<void()> onLayout);
    // Whether the bar takes its row above the list.
    bool IsShown() const { return m_bShown; }
    // Places the bar in its row, and the status bar's panes for a client area this wide.
    void Place(int nX, int nY, int nWidth, int nClientWidth, int nDpi);
    bool HasFocus() const;
    bool IsDroppedDown() const;
    // Shows this choice in the list and keeps it.
    void Choose(const CGroupChoice& group);

private:
    void OnBookChanged(const CBookChange&) override { Fill(); }
    void OnBookReread(const CContactArray&, const CBookChange&) override { Fill(); }
    void OnSelChange();
    // The entries with their counts, the list's choice selected; the bar comes or goes with the
    // book's groups.
    void Fill();
    void ShowStatus();

    CWnd& m_window;
    CContactBook& m_book;
    CMainSearch& m_search;
    CWindowSettings& m_settings;
    CStatusBarCtrl& m_statusBar;
    CStatic m_label;
    CAccessiblyNamedWnd m_combo;
    std::vector<CGroupChoice> m_entries; // the choice of each entry, top to bottom
    std::function<void()> m_onLayout;
    bool m_bShown = false;
    int m_nClientWidth = 0;
    int m_nDpi = 96;
};
