// CMainButtons: the main window's seven buttons: six image buttons that light up under the mouse,
// each with its tooltip, and the search toggle with its two pictures. They are bound to the
// window's controls by its data exchange, set up once the window is placed, and set up again
// when its dots per inch or the face it is drawn on change. User-interface thread only.
#pragma once

#include "framework/win/Dialog.h"
#include "ui/controls/HoverButtonEx.h"
#include "ui/controls/SkinButton.h"

class CMainButtons {
public:
    void DoDataExchange(CDataExchange* pDX);
    // The strips, the one shared region and the tooltips, in the buttons' order, and the
    // toggle's face and pictures, all as drawn for a window at nDpi on the light or the dark
    // face. Each image button takes the size of its picture and keeps its top-left corner; the
    // toggle keeps its size.
    void SetUp(int nDpi, bool bDark);

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
