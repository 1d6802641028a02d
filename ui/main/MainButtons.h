// CMainButtons: the main window's seven buttons: six image buttons that light up under the mouse,
// each with its tooltip, and the search toggle with its two pictures. They are bound to the
// window's controls by its data exchange and set up once the window is placed. User-interface
// thread only.
#pragma once

#include "framework/win/Dialog.h"
#include "ui/controls/HoverButtonEx.h"
#include "ui/controls/SkinButton.h"

class CMainButtons {
public:
    void DoDataExchange(CDataExchange* pDX);
    // The strips, the one shared region and the tooltips, in the buttons' order.
    void SetUp();

    // The search toggle: down while a search result is shown.
    CSkinButton& SearchToggle() { return m_btnSearch; }
    bool IsSearchDown() const { return m_btnSearch.GetCheck() == BST_CHECKED; }
    void SetSearchDown(bool bDown) { m_btnSearch.SetCheck(bDown ? BST_CHECKED : BST_UNCHECKED); }

private:
    CHoverButtonEx m_btnHome;
    CHoverButtonEx m_btnExit;
    CSkinButton m_btnSearch;
    CHoverButtonEx m_btnViewEdit;
    CHoverButtonEx m_btnHelp;
    CHoverButtonEx m_btnDelete;
    CHoverButtonEx m_btnAddNew;
};
