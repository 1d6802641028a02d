// The main window's construction, set-up and geometry.
#include "TBookDlg.h"

#include "app/TBookApp.h"
#include "framework/win/Gdi.h"
#include "res/resource.h"
#include "ui/main/ListLogic.h"

namespace {

const char kSystemCaption[] = "Tovano Address Book";
const char kTrayTip[] = "Tovano Address Book";

// Headings in column order; widths come from the settings.
const char* const kColumnHeadings[kColumnCount] = {
    "Last Name", "First Name", "Phone (home)", "Mobile", "E-Mail (home)", "Company", "Phone (office)", "E-Mail (office)",
};
const DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
const DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP;
const int kStartHiddenPosition = -5000;
const int kStartHiddenSize = 500;

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
        OnControlCode<&CTBookDlg::OnSearchKillFocus>(IDC_SEARCH_EDIT, EN_KILLFOCUS),
        OnControlCode<&CTBookDlg::OnSearchSetFocus>(IDC_SEARCH_EDIT, EN_SETFOCUS),
        OnCommand<&CTBookDlg::OnLaunchOnStartup>(ID_TRAY_LAUNCH_ON_STARTUP),
        OnWmGetMinMaxInfo<&CTBookDlg::OnGetMinMaxInfo>(),
        OnMessage<&CTBookDlg::OnWatcherHide>(WM_WATCHER_HIDE),
        OnMessage<&CTBookDlg::OnWatcherShow>(WM_WATCHER_SHOW),
        OnMessage<&CTBookDlg::OnShowLoadProblems>(WM_SHOW_LOAD_PROBLEMS),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CTBookDlg::CTBookDlg(CWnd* pParent) : CDialog(IDD_TBOOK_DIALOG, pParent), m_store(g_strAddressBookPath) {
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CTBookDlg::~CTBookDlg() = default;

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
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_trayIcon.SetCheckSource(&g_bLaunchOnStartup);
    HICON hTrayIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_TRAY));
    m_bTrayIconAdded = m_trayIcon.AddToTray(AfxGetInstanceHandle(), m_hWnd, WM_TRAYNOTIFY, kTrayTip, hTrayIcon,
                                            IDR_TRAY_MENU) != FALSE;
    if (m_bTrayIconAdded) {
        m_trayIcon.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, FALSE);
    } else {
        // Without an icon to come back from, the window must stay reachable: the rest of the
        // set-up goes on, and the close box minimises instead of hiding.
        MessageBox("Tray icon initialization failed", kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }

    LoadSettings();
    CreateColumns();
    m_list.SetExtendedStyle(kListExtendedStyle);
    if (g_bStartHidden) {
        MoveWindow(kStartHiddenPosition, kStartHiddenPosition, kStartHiddenSize, kStartHiddenSize, TRUE);
    } else {
        MoveWindow(m_rcWindow.left, m_rcWindow.top, m_rcWindow.right - m_rcWindow.left,
                   m_rcWindow.bottom - m_rcWindow.top, TRUE);
    }
    m_statusBar.Create(kStatusBarStyle, RECT{0, 0, 0, 0}, this, 0);
    LayoutControls();
    m_statusBar.SetText(kSystemCaption, 0, 0);
    m_watcher.Start(m_hWnd);

    LoadAddressBook();
    m_bInitialised = 1;
    if (m_loadResult.status == LoadStatus::partial || m_loadResult.status == LoadStatus::unreadable) {
        PostMessage(WM_SHOW_LOAD_PROBLEMS);
    } else {
        m_bLoadFinished = true;
    }
    if (m_contacts.GetSize() == 0) {
        PostMessage(WM_COMMAND, IDC_ADD_NEW, 0);
    }
    return TRUE;
}

void CTBookDlg::CreateColumns() {
    // Each column goes in at position 0, so they are inserted from the last to the first.
    for (int nColumn = kColumnCount - 1; nColumn >= 0; --nColumn) {
        m_list.InsertColumn(0, kColumnHeadings[nColumn], LVCFMT_RIGHT, m_columnWidths[nColumn]);
    }
}

void CTBookDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
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
    CMainLayout layout = ComputeMainLayout(rect.right - rect.left, rect.bottom - rect.top);
    m_list.MoveWindow(layout.listX, layout.listY, layout.listWidth, layout.listHeight, TRUE);
    m_statusBar.MoveWindow(layout.statusX, layout.statusY, layout.statusWidth, layout.statusHeight, TRUE);
}

void CTBookDlg::OnGetMinMaxInfo(MINMAXINFO* pInfo) {
    pInfo->ptMinTrackSize.x = kMinWindowWidth;
    pInfo->ptMinTrackSize.y = kMinWindowHeight;
    Default();
}
