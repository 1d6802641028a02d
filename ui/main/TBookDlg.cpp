#include "TBookDlg.h"

#include "framework/base/FileError.h"
#include "framework/win/Gdi.h"
#include "framework/base/AppContext.h"
#include "res/resource.h"
#include "ui/main/ListLogic.h"
#include "ui/main/LoadReport.h"
#include "ui/shell/Globals.h"

#include <windowsx.h>

namespace {

const DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
// With tips: a message longer than the bar is shown whole under the pointer.
const DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP | SBT_TOOLTIPS;
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
        OnCommand<&CTBookDlg::ShowHelpPage>(IDC_HELP_BUTTON),
        OnCommand<&CTBookDlg::ShowHelpPage>(ID_TRAY_HELP),
        OnCommand<&CTBookDlg::OnHome>(IDC_HOME),
        OnCommand<&CTBookDlg::OnAbout>(ID_TRAY_ABOUT),
        OnCommand<&CTBookDlg::OnTellAFriend>(ID_TRAY_TELL_A_FRIEND),
        OnWmGetMinMaxInfo<&CTBookDlg::OnGetMinMaxInfo>(),
        OnMessage<&CTBookDlg::OnWatcherHide>(WM_WATCHER_HIDE),
        OnMessage<&CTBookDlg::OnWatcherShow>(WM_WATCHER_SHOW),
        OnMessage<&CTBookDlg::OnWatcherQuit>(WM_WATCHER_QUIT),
        OnMessage<&CTBookDlg::OnShowLoadProblems>(WM_SHOW_LOAD_PROBLEMS),
        OnMessage<&CTBookDlg::OnContextMenu>(WM_CONTEXTMENU),
        OnCommand<&CTBookDlg::OnSendEmail>(ID_SEND_EMAIL),
        OnCommand<&CTBookDlg::OnOpenWebPage>(ID_OPEN_WEB_PAGE),
        OnCommand<&CTBookDlg::OnCall>(ID_CALL),
        OnCommand<&CTBookDlg::OnCopy>(ID_COPY),
        OnCommand<&CTBookDlg::OnPaste>(ID_PASTE),
        OnCommand<&CTBookDlg::OnUndo>(ID_UNDO),
        OnCommand<&CTBookDlg::OnImport>(ID_IMPORT),
        OnCommand<&CTBookDlg::OnExport>(ID_EXPORT),
        OnCommand<&CTBookDlg::OnFindDuplicates>(ID_FIND_DUPLICATES),
        OnCommand<&CTBookDlg::OnMergeSelected>(ID_MERGE_SELECTED),
        OnMessage<&CTBookDlg::OnCopyData>(WM_COPYDATA),
        OnMessage<&CTBookDlg::OnDropFiles>(WM_DROPFILES),
        OnMessage<&CTBookDlg::OnTimer>(WM_TIMER),
        OnCommand<&CTBookDlg::OnSyncSettings>(ID_SYNC_SETTINGS),
        OnCommand<&CTBookDlg::OnSyncNow>(ID_SYNC_NOW),
        OnMessage<&CTBookDlg::OnSyncDone>(WM_SYNC_DONE),
        OnMessage<&CTBookDlg::OnInitMenuPopup>(WM_INITMENUPOPUP),
        OnMessage<&CTBookDlg::OnBookFolderChanged>(WM_BOOK_FOLDER_CHANGED),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CTBookDlg::CTBookDlg(const CMainContext& context, CWnd* pParent)
    : CDialog(IDD_TBOOK_DIALOG, pParent), m_context(context), m_book(context.strAddressBookPath),
      m_contactCommands(*this, m_book, m_list, m_buttons, m_exit, m_statusBar),
      m_interchange(*this, m_book, m_list, m_contactCommands, m_exit),
      m_incoming(*this, m_book, m_exit,
                 [this](const std::vector<CString>& files) { m_interchange.ImportFiles(files); }),
      m_sync(*this, m_book, m_contactCommands, m_exit), m_search(*this, m_book, m_list, m_buttons),
      m_refresh(*this, m_book, m_list, m_search, m_contactCommands, m_exit) {
    m_contactCommands.SetChangeListener([this] { m_sync.OnBookChanged(); });
    // Contacts another program brought are synchronised as the user's own would be.
    m_refresh.SetChangeListener([this] { m_sync.OnBookChanged(); });
    m_sync.SetShownSearchRefresh([this] { return m_search.Refresh(); });
    m_hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CTBookDlg::~CTBookDlg() {
    if (m_pProxy) {
        m_pProxy->OnHostGone();
    }
}

void CTBookDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    m_buttons.DoDataExchange(pDX);
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
    // A sync still talking to its server is left to end on its own; nothing of it is applied.
    m_sync.Stop();
    m_refresh.Stop();
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

    if (!m_tray.AddToTray(this, &m_settings.m_bLaunchOnStartup)) {
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
    if (!m_watcher.Start(m_hWnd, m_context.bStartHidden)) {
        MessageBox(kSignalsFailed, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }

    m_book.LoadAddressBook();
    m_list.RefillList(m_book, TRUE);
    m_bInitialised = 1;
    // Files the program was started with are imported once the book is ready; a failure here
    // only means later starts cannot hand over theirs (they say so).
    m_incoming.Open();
    m_incoming.Add(m_context.files);
    // A book not read completely is reported first; the editor opens at start only for a book
    // that truly holds nothing, since a contact saved there would replace the file.
    if (m_book.HasLoadProblems()) {
        PostMessage(WM_SHOW_LOAD_PROBLEMS);
    } else if (m_book.IsTrulyEmpty()) {
        PostMessage(WM_COMMAND, IDC_ADD_NEW, 0);
    }
    m_buttons.SetUp();
    m_sync.Start();
    m_refresh.Start();
    return TRUE;
}

void CTBookDlg::PlaceWindow() {
    if (m_context.bStartHidden) {
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
    // Shift+F10, the menu key's other half, comes as a system key.
    if (pMsg->message == WM_SYSKEYDOWN && pMsg->wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0 &&
        !m_search.SearchHasFocus()) {
        PostMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_list.m_hWnd), -1);
        return TRUE;
    }
    if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_KEYUP) {
        return PreTranslateInput(pMsg);
    }
    WPARAM nKey = pMsg->wParam;
    bool bControl = ::GetKeyState(VK_CONTROL) < 0;
    switch (ChooseKeyAction(pMsg->message == WM_KEYDOWN, static_cast<unsigned>(nKey), bControl, m_search.SearchHasFocus())) {
    case KeyAction::passOn: return PreTranslateInput(pMsg);
    case KeyAction::swallow: break;
    case KeyAction::cancelSearch:
        m_search.CancelSearch();
        SetDlgItemText(IDC_SEARCH_EDIT, "");
        break;
    case KeyAction::selectAll: m_list.SelectAllRows(); break;
    case KeyAction::jumpToLetter: m_list.JumpToLetter(m_book.Contacts(), CString(static_cast<char>(nKey), 1)); break;
    case KeyAction::viewEdit: PostMessage(WM_COMMAND, IDC_VIEW_EDIT, 0); break;
    case KeyAction::searchEnter:
        if (m_buttons.IsSearchDown()) {
            m_search.CancelSearch();
        } else {
            m_buttons.SetSearchDown(true);
            PostMessage(WM_COMMAND, IDC_SEARCH, 0);
        }
        break;
    case KeyAction::addNew: PostMessage(WM_COMMAND, IDC_ADD_NEW, 0); break;
    case KeyAction::deleteRows: PostMessage(WM_COMMAND, IDC_DELETE, 0); break;
    case KeyAction::undo: PostMessage(WM_COMMAND, ID_UNDO, 0); break;
    case KeyAction::copy: PostMessage(WM_COMMAND, ID_COPY, 0); break;
    case KeyAction::paste: PostMessage(WM_COMMAND, ID_PASTE, 0); break;
    case KeyAction::contextMenu:
        PostMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_list.m_hWnd), -1);
        break;
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
    switch (m_exit.RequestEnd(bQuitSignal)) {
    case CExitCoordinator::EDecision::wait:
        // The command ends first, an open editor as by Close, and its end asks again.
        if (CDialog* pEditor = m_exit.GetOpenEditor()) {
            pEditor->EndDialog(IDCANCEL);
        }
        return false;
    case CExitCoordinator::EDecision::busy: return false; // the first request shows a message
    case CExitCoordinator::EDecision::proceed: break;
    }
    int columnWidths[kColumnCount];
    m_list.ReadColumnWidths(columnWidths);
    m_settings.SaveSettings(GetWindowRectI(), columnWidths);
    bool bEnd = MayClose() && SaveBeforeEnd(bQuitSignal);
    m_exit.EndFinished();
    if (bEnd) {
        CDialog::OnOK();
    }
    return bEnd;
}

bool CTBookDlg::SaveBeforeEnd(bool bQuitSignal) {
    if (!m_book.IsWriteOnExitNeeded()) {
        return true;
    }
    CFileException error;
    if (m_book.SaveAddressBook(&error)) {
        return true;
    }
    // Nobody may be there to answer the quit signal: its failure is shown once, not again on
    // every later signal.
    if (m_exit.ShouldReportSaveFailure(bQuitSignal)) {
        ReportFileError(error);
    }
    if (!m_book.HasUnsavedChanges()) {
        return true; // the file holds every accepted change already
    }
    if (bQuitSignal) {
        m_exit.NoteQuitRefused();
        return false;
    }
    return MessageBox(kLoseChanges, kSystemCaption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONEXCLAMATION) == IDYES;
}

LRESULT CTBookDlg::OnWatcherQuit(WPARAM, LPARAM) {
    if (!EndProgram(true)) {
        // Still running: keep listening for the other starts (the watcher ended with the signal).
        m_watcher.Stop();
        m_watcher.Start(m_hWnd, false);
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
    if (!m_settings.ToggleLaunchOnStartup(m_context.strProgramPath, &strError)) {
        MessageBox(strError, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }
}

LRESULT CTBookDlg::OnShowLoadProblems(WPARAM, LPARAM) {
    if (!m_book.GetFirstWarning().IsEmpty()) {
        AfxMessageBox(ShortenWarning(m_book.GetFirstWarning()));
    }
    MessageBox(DescribeIncompleteLoad(m_book.GetPath(), m_book.GetLoadResult()), kSystemCaption,
               MB_OK | MB_ICONEXCLAMATION);
    m_book.FinishLoad();
    return 0;
}

LRESULT CTBookDlg::OnContextMenu(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != m_list.m_hWnd) {
        return Default();
    }
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_listMenu.Show(this, m_list, m_book, pt);
    return 0;
}

// From the tray menu the window may be hidden: the contacts that come in are shown in it.
void CTBookDlg::OnImport() {
    OnShowContacts();
    m_interchange.OnImport();
}

void CTBookDlg::OnExport() {
    OnShowContacts();
    m_interchange.OnExport();
}

void CTBookDlg::OnFindDuplicates() {
    OnShowContacts();
    m_contactCommands.OnFindDuplicates([this] { ShowHelp("#duplicates"); });
}

LRESULT CTBookDlg::OnInitMenuPopup(WPARAM wParam, LPARAM) {
    // The tray's menu and the list's: Synchronise Now is there only with an account.
    m_sync.EnableMenu(reinterpret_cast<HMENU>(wParam));
    return Default();
}
