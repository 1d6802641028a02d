#include "TBookDlg.h"

#include "ui/shell/Globals.h"
#include "framework/win/Gdi.h"
#include "framework/win/WinApp.h"
#include "res/resource.h"
#include "ui/editor/ContactDlg.h"
#include "ui/main/ListLogic.h"

#include <utility>

namespace {

const DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
const DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP;
const int kStartHiddenPosition = -5000;
const int kStartHiddenSize = 500;

const char kTrayFailed[] = "Tray icon initialization failed";
const char kLoseChanges[] = "Your latest changes to the address book could not be saved, so they would be lost.\n\n"
                            "End Tovano Address Book anyway?";
const char kSignalsFailed[] = "Tovano Address Book cannot hear its later starts: starting it again will not bring "
                              "this window back, and \"-quit\" will not end it. Use the Exit button instead.";

} // namespace

const CMessageTable* CTBookDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessage<&CTBookDlg::OnTrayNotify>(WM_TRAYNOTIFY),
        OnWmPaint<&CTBookDlg::OnPaint>(),
        OnWmQueryDragIcon<&CTBookDlg::OnQueryDragIcon>(),
        OnWmClose<&CTBookDlg::OnClose>(),
        OnCommand<&CTBookDlg::OnShowContacts>(ID_TRAY_SHOW_CONTACTS),
        OnWmCreate<&CTBookDlg::OnCreate>(),
        OnWmDestroy<&CTBookDlg::OnDestroy>(),
        OnCommand<&CTBookDlg::OnTrayExit>(ID_TRAY_EXIT),
        OnWmSize<&CTBookDlg::OnSize>(),
        OnNotify<&CTBookDlg::OnListDblClk>(IDC_LIST, NM_DBLCLK),
        OnCommand<&CTBookDlg::OnSearch>(IDC_SEARCH),
        OnCommand<&CTBookDlg::OnViewEdit>(IDC_VIEW_EDIT),
        OnCommand<&CTBookDlg::OnAddNew>(IDC_ADD_NEW),
        OnCommand<&CTBookDlg::OnDelete>(IDC_DELETE),
        OnCommand<&CTBookDlg::OnAddNew>(ID_TRAY_ADD_NEW),
        OnControlCode<&CTBookDlg::OnSearchKillFocus>(IDC_SEARCH_EDIT, EN_KILLFOCUS),
        OnControlCode<&CTBookDlg::OnSearchSetFocus>(IDC_SEARCH_EDIT, EN_SETFOCUS),
        OnControlCode<&CTBookDlg::OnSearchChange>(IDC_SEARCH_EDIT, EN_CHANGE),
        OnCommand<&CTBookDlg::OnLaunchOnStartup>(ID_TRAY_LAUNCH_ON_STARTUP),
        OnWmHelp<&CTBookDlg::OnHelpInfo>(),
        OnCommand<&CTBookDlg::ShowHelp>(IDC_HELP_BUTTON),
        OnCommand<&CTBookDlg::ShowHelp>(ID_TRAY_HELP),
        OnCommand<&CTBookDlg::OnHome>(IDC_HOME),
        OnCommand<&CTBookDlg::OnAbout>(ID_TRAY_ABOUT),
        OnCommand<&CTBookDlg::OnTellAFriend>(ID_TRAY_TELL_A_FRIEND),
        OnWmGetMinMaxInfo<&CTBookDlg::OnGetMinMaxInfo>(),
        OnMessage<&CTBookDlg::OnWatcherHide>(WM_WATCHER_HIDE),
        OnMessage<&CTBookDlg::OnWatcherShow>(WM_WATCHER_SHOW),
        OnMessage<&CTBookDlg::OnWatcherQuit>(WM_WATCHER_QUIT),
        OnMessage<&CTBookDlg::OnShowLoadProblems>(WM_SHOW_LOAD_PROBLEMS),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CTBookDlg::CTBookDlg(CWnd* pParent) : CDialog(IDD_TBOOK_DIALOG, pParent), m_book(g_strAddressBookPath) {
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CTBookDlg::~CTBookDlg() {
    if (m_pProxy) {
        m_pProxy->OnHostGone();
    }
}

void CTBookDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HOME, m_btnHome);
    DDX_Control(pDX, IDOK, m_btnExit);
    DDX_Control(pDX, IDC_SEARCH, m_btnSearch);
    DDX_Control(pDX, IDC_VIEW_EDIT, m_btnViewEdit);
    DDX_Control(pDX, IDC_HELP_BUTTON, m_btnHelp);
    DDX_Control(pDX, IDC_DELETE, m_btnDelete);
    DDX_Control(pDX, IDC_ADD_NEW, m_btnAddNew);
    DDX_Control(pDX, IDC_LIST, m_list);
}

int CTBookDlg::OnCreate(CREATESTRUCTA*) {
    if (Default() == -1) {
        return -1;
    }
    // A failure shows when the watcher cannot start, with its message.
    m_watcher.CreateEvents();
    return 0;
}

void CTBookDlg::OnDestroy() {
    // The watcher may be waiting on the events: it ends before they are closed.
    m_watcher.Stop();
    m_watcher.CloseEvents();
    Default();
}

BOOL CTBookDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (GetFailedControlId()) {
        CString strText;
        strText.Format("The main window is incomplete: control %d is missing.", GetFailedControlId());
        MessageBox(strText, kSystemCaption, MB_OK | MB_ICONSTOP);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    if (!m_tray.AddToTray(this)) {
        // Without an icon to come back from, the window must stay reachable: the rest of the
        // set-up goes on, and the close box minimises instead of hiding.
        MessageBox(kTrayFailed, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }

    m_settings.LoadSettings(GetWindowRectI());
    m_list.CreateColumns(m_settings.m_columnWidths);
    m_list.SetExtendedStyle(kListExtendedStyle);
    PlaceWindow();
    // Without a status bar the list simply reaches down to the bottom.
    m_statusBar.Create(kStatusBarStyle, RECT{0, 0, 0, 0}, this, 0);
    LayoutControls();
    m_statusBar.SetText(kSystemCaption, 0, 0);
    if (!m_watcher.Start(m_hWnd)) {
        MessageBox(kSignalsFailed, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }

    m_book.LoadAddressBook();
    RefillList(TRUE);
    m_bInitialised = 1;
    // A book not read completely is reported first; the editor opens at start only for a book
    // that truly holds nothing, since a contact saved there would replace the file.
    if (m_book.HasLoadProblems()) {
        PostMessage(WM_SHOW_LOAD_PROBLEMS);
    } else if (std::as_const(m_book).Contacts().GetSize() == 0) {
        PostMessage(WM_COMMAND, IDC_ADD_NEW, 0);
    }
    SetUpButtons();
    return TRUE;
}

void CTBookDlg::SetUpButtons() {
    const int kStateSide = 55;
    const COLORREF kTransparent = RGB(192, 192, 192);
    CRgn region;
    region.CreateRectRgn(0, 0, kStateSide, kStateSide);
    auto setUp = [&](CHoverButtonEx& button, UINT nStrip, const char* pszToolTip) {
        button.SetHorizontal(FALSE);
        button.SetRegion(region);
        button.LoadRaw(nStrip, kStateSide, kStateSide * kHoverStateCount);
        button.SetToolTipText(pszToolTip, TRUE);
    };
    setUp(m_btnAddNew, IDR_RAW_ADDNEW, "Add New");
    m_btnSearch.SetFlat(FALSE, TRUE);
    m_btnSearch.LoadBitmaps(IDB_SEARCH_DOWN, kTransparent, IDB_SEARCH_UP, kTransparent);
    setUp(m_btnViewEdit, IDR_RAW_VIEWEDIT, "View/Edit Contact");
    setUp(m_btnHelp, IDR_RAW_HELP, "Help");
    setUp(m_btnDelete, IDR_RAW_DELETE, "Delete Contact");
    setUp(m_btnExit, IDR_RAW_EXIT, "Exit Program");
    setUp(m_btnHome, IDR_RAW_HOME, "TovanoSoft");
}

void CTBookDlg::RefillList(BOOL bSort) {
    if (bSort) {
        m_book.SortContacts();
    }
    m_list.RefillList(std::as_const(m_book).Contacts());
}

void CTBookDlg::PlaceWindow() {
    if (g_bStartHidden) {
        // Off every screen until the watcher hides the window and moves it to its place.
        MoveWindow(kStartHiddenPosition, kStartHiddenPosition, kStartHiddenSize, kStartHiddenSize, TRUE);
        return;
    }
    const CRectI& rc = m_settings.m_rcWindow;
    MoveWindow(rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
}

CRectI CTBookDlg::GetWindowRectI() const {
    RECT rect;
    GetWindowRect(&rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void CTBookDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PaintMinimisedIcon(this, m_hIcon);
}

HCURSOR CTBookDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CTBookDlg::OnSize(UINT, int, int) {
    Default();
    if (m_bInitialised) {
        LayoutControls();
    }
}

void CTBookDlg::LayoutControls() {
    RECT rect;
    GetClientRect(&rect);
    CMainLayout layout = ComputeMainLayout(rect.right - rect.left, rect.bottom - rect.top, m_statusBar.m_hWnd != nullptr);
    m_list.MoveWindow(layout.listX, layout.listY, layout.listWidth, layout.listHeight, TRUE);
    m_statusBar.MoveWindow(layout.statusX, layout.statusY, layout.statusWidth, layout.statusHeight, TRUE);
}

void CTBookDlg::OnGetMinMaxInfo(MINMAXINFO* pInfo) {
    pInfo->ptMinTrackSize.x = kMinWindowWidth;
    pInfo->ptMinTrackSize.y = kMinWindowHeight;
    Default();
}

void CTBookDlg::OnListDblClk(NMHDR*, LRESULT* pResult) {
    PostMessage(WM_COMMAND, m_list.HasSelection() ? IDC_VIEW_EDIT : IDC_ADD_NEW, 0);
    *pResult = 0;
}

BOOL CTBookDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_KEYUP) {
        return PreTranslateInput(pMsg);
    }
    WPARAM nKey = pMsg->wParam;
    bool bControl = ::GetKeyState(VK_CONTROL) < 0;
    switch (ChooseKeyAction(pMsg->message == WM_KEYDOWN, static_cast<unsigned>(nKey), bControl, m_bSearchHasFocus != 0)) {
    case KeyAction::passOn: return PreTranslateInput(pMsg);
    case KeyAction::swallow: break;
    case KeyAction::cancelSearch:
        CancelSearch();
        ::SetDlgItemTextA(m_hWnd, IDC_SEARCH_EDIT, "");
        break;
    case KeyAction::selectAll: m_list.SelectAllRows(); break;
    case KeyAction::jumpToLetter: m_list.JumpToLetter(std::as_const(m_book).Contacts(), CString(static_cast<char>(nKey), 1)); break;
    case KeyAction::viewEdit: PostMessage(WM_COMMAND, IDC_VIEW_EDIT, 0); break;
    case KeyAction::searchEnter:
        if (m_btnSearch.GetCheck() == BST_CHECKED) {
            CancelSearch();
        } else {
            m_btnSearch.SetCheck(BST_CHECKED);
            PostMessage(WM_COMMAND, IDC_SEARCH, 0);
        }
        break;
    case KeyAction::addNew: PostMessage(WM_COMMAND, IDC_ADD_NEW, 0); break;
    case KeyAction::deleteRows: PostMessage(WM_COMMAND, IDC_DELETE, 0); break;
    case KeyAction::help: {
        HELPINFO info = {sizeof info, HELPINFO_WINDOW, ::GetDlgCtrlID(pMsg->hwnd), pMsg->hwnd, 0, {}};
        SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        break;
    }
    }
    return TRUE;
}

BOOL CTBookDlg::MayClose() {
    if (m_pProxy) {
        // An automation client still holds the program: only hide.
        ShowWindow(SW_HIDE);
        return FALSE;
    }
    return TRUE;
}

void CTBookDlg::OnClose() {
    if (MayClose()) {
        Default(); // the dialog turns the close box into IDCANCEL
    }
}

void CTBookDlg::OnCancel() { m_tray.HideWindow(this); }

void CTBookDlg::OnOK() { EndProgram(false); }

bool CTBookDlg::EndProgram(bool bQuitSignal) {
    if (m_nCommandDepth > 0) {
        // The command ends first (an open editor as by Close), and its end asks again. Exit,
        // which may ask the user, goes before a quit signal.
        if (m_pendingEnd != EPendingEnd::exit) {
            m_pendingEnd = bQuitSignal ? EPendingEnd::quitSignal : EPendingEnd::exit;
        }
        if (m_pOpenEditor) {
            m_pOpenEditor->EndDialog(IDCANCEL);
        }
        return false;
    }
    if (m_bEnding) {
        return false; // a second request while the first one shows a message
    }
    m_bEnding = true;
    int columnWidths[kColumnCount];
    m_list.ReadColumnWidths(columnWidths);
    m_settings.SaveSettings(GetWindowRectI(), columnWidths);
    bool bEnd = MayClose() && SaveBeforeEnd(bQuitSignal);
    m_bEnding = false;
    if (bEnd) {
        CDialog::OnOK();
    }
    return bEnd;
}

bool CTBookDlg::SaveBeforeEnd(bool bQuitSignal) {
    if (!m_book.IsWriteOnExitNeeded()) {
        return true;
    }
    // Nobody may be there to answer the quit signal: its failure is shown once, not again on
    // every later signal.
    if (m_book.SaveAddressBook(!(bQuitSignal && m_bQuitRefusalShown))) {
        return true;
    }
    if (!m_book.HasUnsavedChanges()) {
        return true; // the file holds every accepted change already
    }
    if (bQuitSignal) {
        m_bQuitRefusalShown = true;
        return false;
    }
    return MessageBox(kLoseChanges, kSystemCaption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONEXCLAMATION) == IDYES;
}

LRESULT CTBookDlg::OnWatcherQuit(WPARAM, LPARAM) {
    if (!EndProgram(true)) {
        // Still running: keep listening for the other starts (the watcher ended with the signal).
        m_watcher.Stop();
        m_watcher.Start(m_hWnd);
    }
    return 0;
}

LRESULT CTBookDlg::OnWatcherHide(WPARAM, LPARAM) {
    m_tray.HideAfterStartHidden(this, m_settings.m_rcWindow);
    return 0;
}

LRESULT CTBookDlg::OnWatcherShow(WPARAM, LPARAM) {
    OnShowContacts();
    return 0;
}

void CTBookDlg::OnLaunchOnStartup() {
    CString strError;
    if (!m_settings.ToggleLaunchOnStartup(g_strProgramPath, &strError)) {
        MessageBox(strError, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }
}

LRESULT CTBookDlg::OnShowLoadProblems(WPARAM, LPARAM) {
    m_book.ShowLoadProblems(this);
    return 0;
}
