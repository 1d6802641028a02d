#include "MainButtons.h"

#include "res/resource.h"
#include "ui/controls/ArtLogic.h"

void CMainButtons::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_HOME, m_btnHome);
    DDX_Control(pDX, IDOK, m_btnExit);
    DDX_Control(pDX, IDC_SEARCH, m_btnSearch);
    DDX_Control(pDX, IDC_VIEW_EDIT, m_btnViewEdit);
    DDX_Control(pDX, IDC_HELP_BUTTON, m_btnHelp);
    DDX_Control(pDX, IDC_DELETE, m_btnDelete);
    DDX_Control(pDX, IDC_ADD_NEW, m_btnAddNew);
}

void CMainButtons::SetUp(int nDpi, bool bDark) {
    const int kStateSide = 55;
    const COLORREF kTransparent = RGB(192, 192, 192);
    const int nSide = ChooseArt(kStateSide, nDpi).nSide;
    CRgn region;
    region.CreateRectRgn(0, 0, nSide, nSide);
    auto setUp = [&](CHoverButtonEx& button, UINT nStrip, const char* pszToolTip) {
        button.SetHorizontal(FALSE);
        button.SetRegion(region);
        // Should the strip for this screen be unreadable, the 100% one still shows a picture.
        if (!button.LoadStrip(nStrip, nDpi, bDark)) {
            button.LoadRaw(nStrip, kStateSide, kStateSide * kHoverStateCount);
        }
        button.SetToolTipText(pszToolTip, TRUE);
    };
    setUp(m_btnAddNew, IDR_RAW_ADDNEW, "Add New");
    m_btnSearch.SetFlat(FALSE, TRUE);
    m_btnSearch.SetAccessibleName("Search");
    m_btnSearch.SetDarkFace(bDark);
    m_btnSearch.LoadBitmapsForDpi(IDB_SEARCH_DOWN, IDB_SEARCH_UP, kTransparent, nDpi, bDark);
    setUp(m_btnViewEdit, IDR_RAW_VIEWEDIT, "View/Edit Contact");
    setUp(m_btnHelp, IDR_RAW_HELP, "Help");
    setUp(m_btnDelete, IDR_RAW_DELETE, "Delete Contact");
    setUp(m_btnExit, IDR_RAW_EXIT, "Exit Program");
    setUp(m_btnHome, IDR_RAW_HOME, "TovanoSoft");
}
