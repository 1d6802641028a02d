#include "TBookDlg.h"

#include "framework/base/FileError.h"
#include "framework/win/Gdi.h"
#include "framework/win/Theme.h"
#include "framework/base/AppContext.h"
#include "res/resource.h"
#include "ui/main/ListLogic.h"
#include "ui/main/LoadReport.h"
#include "ui/shell/Globals.h"

#include <algorithm>
#include <iterator>

namespace {

const DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
// With tips: a message longer than the bar is shown whole under the pointer.
const DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP | SBT_TOOLTIPS;
const int kStartHiddenPosition = -5000;
const int kStartHiddenSize = 500;
const UINT kShownInWindow[] = {ID_IMPORT,       ID_EXPORT,   ID_FIND_DUPLICATES, ID_UPCOMING_BIRTHDAYS,
                               ID_SYNC_SETTINGS, ID_SYNC_NOW};

const char kTrayFailed[] = "Tray icon initialization failed";
const char kLoseChanges[] = "Your latest changes to the address book could not be saved, so they would be lost.\n\n"
                            "End Tovano Address Book anyway?";
const char kSignalsFailed[] = "Tovano Address Book cannot hear its later starts: starting it again will not bring "
                              "this window back, and \"-quit\" will not end it. Use the Exit button instead.";

} // namespace

const CMessageTable* CTBookDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnWmCreate<&CTBookDlg::OnCreate>(),
        OnWmDestroy<&CTBookDlg::OnDestroy>(),
        OnWmPaint<&CTBookDlg::OnPaint>(),
        OnWmQueryDragIcon<&CTBookDlg::OnQueryDragIcon>(),
        OnWmSize<&CTBookDlg::OnSize>(),
        OnWmGetMinMaxInfo<&CTBookDlg::OnGetMinMaxInfo>(),
        OnWmClose<&CTBookDlg::OnClose>(),
        OnCommand<&CTBookDlg::OnTrayExit>(ID_TRAY_EXIT),
        OnCommand<&CTBookDlg::OnLaunchOnStartup>(ID_TRAY_LAUNCH_ON_STARTUP),
        OnCommand<&CTBookDlg::OnBirthdayReminders>(ID_TRAY_BIRTHDAY_REMINDERS),
        OnMessage<&CTBookDlg::OnWatcherQuit>(WM_WATCHER_QUIT),
        OnMessage<&CTBookDlg::OnShowLoadProblems>(WM_SHOW_LOAD_PROBLEMS),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CTBookDlg::CTBookDlg(const CMainContext& context, CWnd* pParent)
    : CDialog(IDD_TBOOK_DIALOG, pParent), m_context(context), m_book(context.strAddressBookPath),
      m_outreach(*this, context.strProgramFolder),
      m_search(*this, m_book, m_list, m_buttons), m_groupBar(*this, m_book, m_search, m_settings, m_statusBar),
      m_contactCommands(*this, m_book, m_list, m_search, m_exit, m_statusBar, m_outreach),
      m_groupCommands(*this, m_book, m_list, m_search, m_groupBar, m_contactCommands, m_exit, m_statusBar),
      m_interchange(*this, m_book, m_list, m_search, m_contactCommands, m_exit, m_statusBar),
      m_incoming(*this, m_book, m_exit, m_interchange), m_listMenu(*this, m_list, m_book, m_groupCommands),
      m_sync(*this, m_book, m_exit, m_statusBar, m_outreach),
      m_refresh(*this, m_book, m_list, m_search, m_exit, m_statusBar), m_tray(*this, m_settings, m_book) {
    for (CCmdTarget* pPart : std::initializer_list<CCmdTarget*>{&m_contactCommands, &m_search, &m_groupBar, &m_groupCommands, &m_listMenu, &m_interchange,
                                                                &m_incoming, &m_sync, &m_refresh, &m_tray, &m_outreach}) {
        AddPart(*pPart);
    }
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
    SetCaptionIcons(IDR_MAINFRAME);

    if (!m_tray.AddToTray()) {
        // Without an icon to come back from, the window must stay reachable: the rest of the
        // set-up goes on, and the close box minimises instead of hiding.
        MessageBox(kTrayFailed, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }

    m_settings.LoadSettings(GetWindowRectI());
    m_list.CreateColumns(m_settings.m_columns, GetDpi());
    // The template's placeholder text is what a screen reader would announce for the list.
    ::SetWindowTextW(m_list.m_hWnd, L"Contacts");
    m_list.SetExtendedStyle(kListExtendedStyle);
    PlaceWindow();
    // Without a status bar the list simply reaches down to the bottom.
    m_statusBar.Create(kStatusBarStyle, RECT{0, 0, 0, 0}, this, 0);
    SetStatusBarFont();
    LayoutControls();
    m_statusBar.SetText(kSystemCaption, 0, 0);
    if (!m_watcher.Start(m_hWnd, m_context.bStartHidden)) {
        MessageBox(kSignalsFailed, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }

    m_book.LoadAddressBook();
    // Every change keeps the book in the list's order from here on.
    m_book.SortContacts();
    m_bInitialised = true;
    // Shows the list, limited to the group of the last run.
    m_groupBar.Create([this] { LayoutControls(); });
    LayoutControls();
    m_tray.StartBirthdayReminders();
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
    m_buttons.SetUp(GetDpi(), CTheme::Current().IsDark());
    m_sync.Start();
    m_refresh.Start();
    // The window opens on its contacts: letters jump, Enter opens, Delete deletes.
    m_list.SetFocus();
    return FALSE;
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
    const int nDpi = GetDpi();
    CMainLayout layout = ComputeMainLayout(rect.right - rect.left, rect.bottom - rect.top, m_statusBar.m_hWnd != nullptr,
                                           m_groupBar.IsShown(), nDpi, TopRowBottom());
    if (m_groupBar.IsShown()) {
        m_groupBar.Place(layout.groupX, layout.groupY, layout.groupWidth, rect.right - rect.left, nDpi);
    }
    m_list.MoveWindow(layout.listX, layout.listY, layout.listWidth, layout.listHeight, TRUE);
    m_statusBar.MoveWindow(layout.statusX, layout.statusY, layout.statusWidth, layout.statusHeight, TRUE);
}

int CTBookDlg::TopRowBottom() const {
    // The template places the row in dialog units and the picture buttons keep their own size, so
    // where the row ends is asked of the controls themselves.
    int nBottom = 0;
    for (int nId : {IDC_SEARCH_EDIT, IDC_SEARCH, IDC_ADD_NEW, IDC_VIEW_EDIT, IDC_DELETE, IDC_HELP_BUTTON, IDOK, IDC_HOME}) {
        RECT rcControl;
        HWND hControl = GetDlgItem(nId);
        if (hControl && ::GetWindowRect(hControl, &rcControl)) {
            ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rcControl), 2);
            nBottom = std::max(nBottom, static_cast<int>(rcControl.bottom));
        }
    }
    return nBottom;
}

void CTBookDlg::OnDpiChanged(int, int nNewDpi) {
    m_list.SetDpi(nNewDpi);
    m_buttons.SetUp(nNewDpi, CTheme::Current().IsDark());
    SetStatusBarFont();
    LayoutControls();
}

void CTBookDlg::OnThemeChanged() {
    // The pictures of the other face, over the new face.
    m_buttons.SetUp(GetDpi(), CTheme::Current().IsDark());
}

void CTBookDlg::SetStatusBarFont() {
    CFont font;
    font.Attach(CreateStatusBarFont(GetDpi()));
    if (font && m_statusBar.m_hWnd) {
        m_statusBar.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.GetSafeHandle()), TRUE);
        m_statusFont.Attach(font.Detach()); // the old one is no longer the bar's
    }
}

void CTBookDlg::OnGetMinMaxInfo(MINMAXINFO* pInfo) {
    const int nDpi = GetDpi();
    pInfo->ptMinTrackSize.x = ScaleToDpi(kMinWindowWidth, nDpi);
    pInfo->ptMinTrackSize.y = ScaleToDpi(kMinWindowHeight, nDpi);
    Default();
}

BOOL CTBookDlg::OnCmdMsg(UINT nId, UINT nCode) {
    // From the tray menu the window may be hidden: what these commands bring, ask or tell is
    // shown in it, so it comes up first.
    if (nCode == 0 && std::find(std::begin(kShownInWindow), std::end(kShownInWindow), nId) != std::end(kShownInWindow)) {
        m_tray.ShowWindow();
    }
    return CDialog::OnCmdMsg(nId, nCode);
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
    if (m_groupBar.HasFocus() && nKey != VK_F1) {
        // The drop-down takes its own keys; only Escape and Enter of a closed one would reach the
        // dialog and hide the window or press a button.
        bool bDialogKey = (nKey == VK_ESCAPE || nKey == VK_RETURN) && !m_groupBar.IsDroppedDown();
        return bDialogKey ? TRUE : PreTranslateInput(pMsg);
    }
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
    case KeyAction::importFiles: PostMessage(WM_COMMAND, ID_IMPORT, 0); break;
    case KeyAction::exportFiles: PostMessage(WM_COMMAND, ID_EXPORT, 0); break;
    case KeyAction::syncNow: PostMessage(WM_COMMAND, ID_SYNC_NOW, 0); break;
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
    CListColumns columns;
    m_list.ReadColumns(columns);
    m_settings.SaveSettings(GetWindowRectI(), columns);
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

void CTBookDlg::OnLaunchOnStartup() {
    CString strError;
    if (!m_settings.ToggleLaunchOnStartup(m_context.strProgramPath, &strError)) {
        MessageBox(strError, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }
}

void CTBookDlg::OnBirthdayReminders() {
    CString strError;
    if (!m_settings.ToggleBirthdayReminders(&strError)) {
        MessageBox(strError, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    } else {
        m_tray.RemindOfBirthdays(); // turned on: what there is to know today, at once
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
