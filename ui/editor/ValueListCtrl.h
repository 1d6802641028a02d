// CValueListCtrl: the editor's list of further values. In a dialog the Enter key would press the
// default button; while a row is chosen this list keeps Enter for itself, so that it reports
// NM_RETURN on that row as a list outside a dialog does. User-interface thread only.
#pragma once

#include "framework/win/Controls.h"

class CValueListCtrl : public CListCtrl {
    TBOOK_DECLARE_MESSAGE_TABLE()

private:
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
};
