// The Windows framework: message tables, reflection, data exchange, the modal loop, the
// application's command routing and threads.
#include "WindowTestSupport.h"
#include "framework/win/Controls.h"
#include "framework/base/Thread.h"
#include "framework/win/WinApp.h"
#include "framework/base/AppContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT IDD_FRAMEWORK_TEST = 200;
const int IDC_TEST_EDIT = 201;
const int IDC_TEST_DRAWN = 202;
const int IDC_TEST_PLAIN = 203;
const int IDC_TEST_LIST = 204;
const UINT ID_APP_COMMAND = 40001;

std::vector<std::string> g_calls;

class CBaseTarget : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    void OnClick() { g_calls.push_back("base click"); }
    void OnChange() { g_calls.push_back("base change"); }
};

class CDerivedTarget : public CBaseTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    void OnDerivedClick() { g_calls.push_back("derived click"); }
};

const CMessageTable* CBaseTarget::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CBaseTarget::OnClick>(100),
        OnControlCode<&CBaseTarget::OnChange>(100, EN_CHANGE),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

const CMessageTable* CDerivedTarget::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CDerivedTarget::OnDerivedClick>(100),
    };
    static const CMessageTable table = {CBaseTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

class CCountingButton : public CButton {
public:
    void DrawItem(DRAWITEMSTRUCT* pDraw) override {
        ++m_nDraws;
        CButton::DrawItem(pDraw);
    }
    int m_nDraws = 0;
};

class CTestDialog : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    CTestDialog(CWnd* pParent = nullptr) : CDialog(IDD_FRAMEWORK_TEST, pParent) {}

    BOOL OnInitDialog() override {
        g_calls.push_back("init");
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_DRAWN, m_drawn);
        DDX_Control(pDX, IDC_TEST_LIST, m_list);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'Q') {
            ++m_nKeysSeen;
            return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }
    int OnCreate(CREATESTRUCTA*) {
        g_calls.push_back("create");
        return static_cast<int>(Default());
    }
    void OnPlain() { g_calls.push_back("plain"); }
    BOOL OnHelpInfo(HELPINFO*) {
        g_calls.push_back("help");
        return TRUE;
    }

    CCountingButton m_drawn;
    CListCtrl m_list;
    int m_nKeysSeen = 0;
};

const CMessageTable* CTestDialog::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnWmCreate<&CTestDialog::OnCreate>(),
        OnCommand<&CTestDialog::OnPlain>(IDC_TEST_PLAIN),
        OnWmHelp<&CTestDialog::OnHelpInfo>(),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

class CTestApp : public CWinApp {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    void OnAppCommand() { g_calls.push_back("app command"); }
};

const CMessageTable* CTestApp::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CTestApp::OnAppCommand>(ID_APP_COMMAND),
        OnCommand<&CWinApp::OnHelp>(ID_HELP),
    };
    static const CMessageTable table = {CWinApp::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CTestApp g_app;

// A part of a window: it takes a command of its own, one the window has too, and declines the
// private message unless it carries its number.
class CTestPart : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    explicit CTestPart(std::string strName, WPARAM nMine) : m_strName(std::move(strName)), m_nMine(nMine) {}
    void OnPartCommand() { g_calls.push_back(m_strName + " command"); }
    void OnPlain() { g_calls.push_back(m_strName + " plain"); }
    BOOL OnPrivate(WPARAM wParam, LPARAM, LRESULT* pResult) {
        if (wParam != m_nMine) {
            return FALSE;
        }
        g_calls.push_back(m_strName + " private");
        *pResult = 5;
        return TRUE;
    }

private:
    std::string m_strName;
    WPARAM m_nMine;
};

const UINT ID_PART_COMMAND = 40002;
const UINT WM_TEST_PRIVATE = WM_APP + 1;

const CMessageTable* CTestPart::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CTestPart::OnPartCommand>(ID_PART_COMMAND),
        OnCommand<&CTestPart::OnPlain>(IDC_TEST_PLAIN),
        OnMessageUnlessDeclined<&CTestPart::OnPrivate>(WM_TEST_PRIVATE),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

class FrameworkTest : public testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_app.SetUp(::GetModuleHandleA(nullptr), "C:\\Programs\\Book\\tbook.exe", "-m");
    }
};

} // namespace

TEST_F(FrameworkTest, MessageTablesPreferTheDerivedClassAndMatchCodes) {
    CDerivedTarget target;
    EXPECT_TRUE(target.OnCmdMsg(100, 0));
    EXPECT_TRUE(target.OnCmdMsg(100, EN_CHANGE));
    EXPECT_FALSE(target.OnCmdMsg(101, 0));
    EXPECT_FALSE(target.OnCmdMsg(100, EN_KILLFOCUS));
    EXPECT_EQ((std::vector<std::string>{"derived click", "base change"}), g_calls);
}

TEST_F(FrameworkTest, ApplicationNamesComeFromTheExecutable) {
    EXPECT_STREQ("tbook", g_app.m_pszExeName);
    EXPECT_STREQ("tbook", g_app.m_pszAppName);
    EXPECT_STREQ("C:\\Programs\\Book\\tbook.HLP", g_app.m_pszHelpFilePath);
    EXPECT_STREQ("-m", g_app.m_lpCmdLine);
}

TEST_F(FrameworkTest, DialogSeesCreateBeforeInitAndBindsItsControls) {
    CTestDialog dlg;
    CStepRunner()
        .Do([&] {
            EXPECT_EQ(&dlg.m_drawn, CWnd::FromHandle(dlg.GetDlgItem(IDC_TEST_DRAWN)));
            EXPECT_EQ(&dlg.m_list, CWnd::FromHandle(dlg.GetDlgItem(IDC_TEST_LIST)));
            EXPECT_EQ(nullptr, CWnd::FromHandle(dlg.GetDlgItem(IDC_TEST_PLAIN)));
        })
        .RunModal(dlg);
    EXPECT_EQ((std::vector<std::string>{"create", "init"}), g_calls);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_drawn.m_hWnd); // unbound when the window went
}

TEST_F(FrameworkTest, OwnerDrawnButtonDrawsItselfThroughReflection) {
    CTestDialog dlg;
    CStepRunner()
        .Then([&] {
            ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            return dlg.m_drawn.m_nDraws > 0;
        })
        .RunModal(dlg);
}

TEST_F(FrameworkTest, ModalLoopOffersKeysToTheDialogBeforeTheControl) {
    CTestDialog dlg;
    CStepRunner()
        .Do([&] {
            HWND hEdit = dlg.GetDlgItem(IDC_TEST_EDIT);
            ::SetFocus(hEdit);
            PostKey(hEdit, 'Q');
            PostKey(hEdit, 'W');
        })
        .Then([&] {
            char szText[16] = "";
            ::GetDlgItemTextA(dlg.m_hWnd, IDC_TEST_EDIT, szText, sizeof szText);
            return std::string(szText) == "w";
        })
        .RunModal(dlg);
    EXPECT_EQ(1, dlg.m_nKeysSeen); // consumed before the edit could see it
}

TEST_F(FrameworkTest, EndDialogReturnsItsResultAndEnablesTheOwnerAgain) {
    CTestDialog owner;
    ASSERT_TRUE(owner.Create(IDD_FRAMEWORK_TEST));
    CTestDialog dlg(&owner);
    INT_PTR nResult = CStepRunner()
                          .Do([&] {
                              EXPECT_FALSE(owner.IsWindowEnabled());
                              EXPECT_EQ(1, AfxGetModalDepth());
                              dlg.EndDialog(7);
                          })
                          .RunModal(dlg);
    EXPECT_EQ(7, nResult);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(0, AfxGetModalDepth());
    owner.DestroyWindow();
}

TEST_F(FrameworkTest, ClickAndCloseReachTheirHandlers) {
    CTestDialog dlg;
    INT_PTR nResult = CStepRunner()
                          .Do([&] { ::SendMessageA(dlg.GetDlgItem(IDC_TEST_PLAIN), BM_CLICK, 0, 0); })
                          .Do([&] { dlg.PostMessage(WM_CLOSE); })
                          .RunModal(dlg);
    EXPECT_EQ(IDCANCEL, nResult); // the dialog turns the close box into IDCANCEL
    EXPECT_EQ("plain", g_calls.at(2));
}

TEST_F(FrameworkTest, CommandsNoWindowHandlesReachTheApplication) {
    CTestDialog dlg;
    g_app.m_pMainWnd = &dlg;
    CStepRunner()
        .Do([&] { dlg.SendMessage(WM_COMMAND, ID_APP_COMMAND, 0); })
        .Do([&] { dlg.SendMessage(WM_COMMAND, ID_HELP, 0); })
        .RunModal(dlg);
    g_app.m_pMainWnd = nullptr;
    EXPECT_EQ((std::vector<std::string>{"create", "init", "app command", "help"}), g_calls);
}

TEST_F(FrameworkTest, PartsGetWhatTheWindowLeavesInTheOrderAdded) {
    CTestDialog dlg;
    CTestPart first("first", 1), second("second", 2);
    dlg.AddPart(first);
    dlg.AddPart(second);
    std::vector<LRESULT> results;
    CStepRunner()
        .Do([&] {
            dlg.SendMessage(WM_COMMAND, IDC_TEST_PLAIN, 0);
            dlg.SendMessage(WM_COMMAND, ID_PART_COMMAND, 0);
            for (WPARAM nNumber : {1, 2, 3}) {
                results.push_back(dlg.SendMessage(WM_TEST_PRIVATE, nNumber, 0));
            }
        })
        .RunModal(dlg);
    EXPECT_EQ((std::vector<std::string>{"create", "init", "plain", "first command", "first private",
                                        "second private"}),
              g_calls);
    // Declined by every part, the message has the dialog's default answer.
    EXPECT_EQ((std::vector<LRESULT>{5, 5, 0}), results);
}

TEST_F(FrameworkTest, MessageBoxesCarryTheApplicationName) {
    CMessageBoxAnswerer answerer;
    EXPECT_EQ(IDOK, AfxMessageBox("Something happened"));
    ASSERT_EQ(1u, answerer.m_boxes.size());
    EXPECT_EQ("tbook", answerer.m_boxes[0].strCaption);
    EXPECT_EQ("Something happened", answerer.m_boxes[0].strText);
}

TEST_F(FrameworkTest, ListControlReturnsLongTextsWhole) {
    CTestDialog dlg;
    const std::string longText(5000, 'x');
    CStepRunner()
        .Do([&] {
            dlg.m_list.InsertColumn(0, "Name", LVCFMT_LEFT, 100);
            dlg.m_list.InsertColumn(1, "Other", LVCFMT_LEFT, 100);
            EXPECT_EQ(0, dlg.m_list.InsertItem(0, "first", 4242));
            dlg.m_list.SetItemText(0, 1, longText.c_str());
            EXPECT_EQ(longText, dlg.m_list.GetItemText(0, 1).GetStdString());
            EXPECT_EQ("first", dlg.m_list.GetItemText(0, 0));
            EXPECT_EQ(4242u, dlg.m_list.GetItemData(0));
        })
        .RunModal(dlg);
}

namespace {

UINT ThreadBody(LPVOID pParam) {
    *static_cast<int*>(pParam) = 42;
    return 7;
}

} // namespace

TEST_F(FrameworkTest, AnOwnedThreadCanBeWaitedFor) {
    int nValue = 0;
    CWinThread* pThread = AfxBeginThread(&ThreadBody, &nValue, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, pThread);
    pThread->m_bAutoDelete = FALSE;
    pThread->ResumeThread();
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(pThread->m_hThread, 5000));
    DWORD dwExit = 0;
    ::GetExitCodeThread(pThread->m_hThread, &dwExit);
    EXPECT_EQ(7u, dwExit);
    EXPECT_EQ(42, nValue);
    delete pThread;
}
