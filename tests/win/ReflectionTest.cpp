// Notifications reflected to the control's own wrapper: which rows take which codes, which
// notifications the parent still sees, the colour rows, the attach hook, and subclassing that
// leaves other subclasses of the same window alone.
#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"
#include "framework/win/Gdi.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

const UINT IDD_FRAMEWORK_TEST = 200;
const int IDC_TEST_EDIT = 201;
const int IDC_TEST_PLAIN = 203;
const int IDC_TEST_LIST = 204;

std::vector<std::string> g_seen;

// Takes its own EN_CHANGE (the parent never sees it) and its colours.
class CReflectingEdit : public CEdit {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    CReflectingEdit() { m_brush.CreateSolidBrush(RGB(1, 2, 3)); }
    BOOL OnChange() {
        g_seen.push_back("edit change");
        return TRUE;
    }
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) {
        m_colourKinds.push_back(nCtlColor);
        pDC->SetTextColor(RGB(200, 0, 0));
        return nCtlColor == CTLCOLOR_EDIT || nCtlColor == CTLCOLOR_STATIC ? m_brush.GetSafeHandle() : nullptr;
    }
    CBrush m_brush;
    std::vector<UINT> m_colourKinds;
};

const CMessageTable* CReflectingEdit::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommandReflect<&CReflectingEdit::OnChange>(EN_CHANGE),
        OnCtlColorReflect<&CReflectingEdit::CtlColor>(),
    };
    static const CMessageTable table = {CEdit::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

// Sees its clicks and lets the parent see them too; notes when it is attached.
class CReflectingButton : public CButton {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    BOOL OnClicked() {
        g_seen.push_back("button click");
        return FALSE;
    }
    void PreSubclassWindow() override { m_hAttached = m_hWnd; }
    HWND m_hAttached = nullptr;
};

const CMessageTable* CReflectingButton::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommandReflect<&CReflectingButton::OnClicked>(BN_CLICKED),
    };
    static const CMessageTable table = {CButton::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

// Takes its own single clicks; double clicks go to the parent.
class CReflectingList : public CListCtrl {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    BOOL OnClick(NMHDR*, LRESULT* pResult) {
        g_seen.push_back("list click");
        *pResult = 5;
        return TRUE;
    }
};

const CMessageTable* CReflectingList::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnNotifyReflect<&CReflectingList::OnClick>(NM_CLICK),
    };
    static const CMessageTable table = {CListCtrl::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

class CReflectionDialog : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()
public:
    CReflectionDialog() : CDialog(IDD_FRAMEWORK_TEST) {}
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_EDIT, m_edit);
        DDX_Control(pDX, IDC_TEST_PLAIN, m_button);
        DDX_Control(pDX, IDC_TEST_LIST, m_list);
    }
    void OnEditChange() { g_seen.push_back("parent change"); }
    void OnEditFocus() { g_seen.push_back("parent focus"); }
    void OnPlain() { g_seen.push_back("parent click"); }
    void OnListClick(NMHDR*, LRESULT*) { g_seen.push_back("parent list click"); }
    void OnListDblClk(NMHDR*, LRESULT*) { g_seen.push_back("parent list double click"); }

    CReflectingEdit m_edit;
    CReflectingButton m_button;
    CReflectingList m_list;
};

const CMessageTable* CReflectionDialog::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnControlCode<&CReflectionDialog::OnEditChange>(IDC_TEST_EDIT, EN_CHANGE),
        OnControlCode<&CReflectionDialog::OnEditFocus>(IDC_TEST_EDIT, EN_SETFOCUS),
        OnCommand<&CReflectionDialog::OnPlain>(IDC_TEST_PLAIN),
        OnNotify<&CReflectionDialog::OnListClick>(IDC_TEST_LIST, NM_CLICK),
        OnNotify<&CReflectionDialog::OnListDblClk>(IDC_TEST_LIST, NM_DBLCLK),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

const UINT WM_PROBE = WM_APP + 5;

// Another part of a program subclassing the same window, as comctl32 lets any number do.
LRESULT CALLBACK CountingSubclassProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR dwCount) {
    if (nMessage == WM_PROBE) {
        ++*reinterpret_cast<int*>(dwCount);
    }
    return ::DefSubclassProc(hWnd, nMessage, wParam, lParam);
}

class CProbeWnd : public CWnd {
public:
    LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) override {
        if (nMessage == WM_PROBE) {
            ++m_nProbes;
        }
        return CWnd::WindowProc(nMessage, wParam, lParam);
    }
    int m_nProbes = 0;
};

class ReflectionTest : public testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        ASSERT_TRUE(m_dlg.Create(IDD_FRAMEWORK_TEST));
    }
    void TearDown() override { m_dlg.DestroyWindow(); }

    LRESULT SendNotify(int nId, UINT nCode) {
        NMHDR header = {m_dlg.GetDlgItem(nId), static_cast<UINT_PTR>(nId), nCode};
        return m_dlg.SendMessage(WM_NOTIFY, static_cast<WPARAM>(nId), reinterpret_cast<LPARAM>(&header));
    }

    CReflectionDialog m_dlg;
};

} // namespace

TEST_F(ReflectionTest, ReflectedRowsTakeTheirOwnCodesAndSayWhetherTheParentSeesThem) {
    struct Case {
        const char* pszName;
        int nId;
        UINT nCode;
        bool bNotify;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"consumed by the edit", IDC_TEST_EDIT, EN_CHANGE, false, {"edit change"}},
        {"no reflected row for this code", IDC_TEST_EDIT, EN_SETFOCUS, false, {"parent focus"}},
        {"no row anywhere", IDC_TEST_EDIT, EN_KILLFOCUS, false, {}},
        {"let through by the button", IDC_TEST_PLAIN, BN_CLICKED, false, {"button click", "parent click"}},
        {"notify consumed by the list", IDC_TEST_LIST, NM_CLICK, true, {"list click"}},
        {"notify left to the parent", IDC_TEST_LIST, NM_DBLCLK, true, {"parent list double click"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        g_seen.clear();
        if (c.bNotify) {
            SendNotify(c.nId, c.nCode);
        } else {
            m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(c.nId, c.nCode), reinterpret_cast<LPARAM>(m_dlg.GetDlgItem(c.nId)));
        }
        EXPECT_EQ(c.expected, g_seen);
    }
    EXPECT_EQ(5, SendNotify(IDC_TEST_LIST, NM_CLICK)); // the control's result is the parent's answer
}

TEST_F(ReflectionTest, OneColourRowAnswersEditAndStaticColours) {
    HWND hEdit = m_dlg.GetDlgItem(IDC_TEST_EDIT);
    CClientDC dc(hEdit);
    for (UINT nMessage : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}) {
        ::SetTextColor(dc, RGB(0, 0, 0));
        LRESULT result = m_dlg.SendMessage(nMessage, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(hEdit));
        EXPECT_EQ(reinterpret_cast<LRESULT>(m_dlg.m_edit.m_brush.GetSafeHandle()), result);
        EXPECT_EQ(RGB(200, 0, 0), ::GetTextColor(dc));
    }
    // A null brush leaves the colour to the dialog, which gives its own brush.
    LRESULT result = m_dlg.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(hEdit));
    EXPECT_NE(reinterpret_cast<LRESULT>(m_dlg.m_edit.m_brush.GetSafeHandle()), result);
    EXPECT_EQ((std::vector<UINT>{CTLCOLOR_EDIT, CTLCOLOR_STATIC, CTLCOLOR_BTN}), m_dlg.m_edit.m_colourKinds);
}

TEST_F(ReflectionTest, AttachingAWrapperCallsItsHookWithTheWindow) {
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_TEST_PLAIN), m_dlg.m_button.m_hAttached);
    CDataExchange dx(&m_dlg, FALSE);
    CButton missing;
    EXPECT_FALSE(DDX_Control(&dx, 999, missing));
    EXPECT_EQ(999, dx.m_nFailedId);
}

TEST_F(ReflectionTest, RemovingAWrapperKeepsASubclassMadeOverIt) {
    HWND hEdit = m_dlg.GetDlgItem(IDC_TEST_EDIT);
    m_dlg.m_edit.UnsubclassWindow();
    CProbeWnd probe;
    ASSERT_TRUE(probe.SubclassWindow(hEdit));
    int nAbove = 0;
    ASSERT_TRUE(::SetWindowSubclass(hEdit, &CountingSubclassProc, 11, reinterpret_cast<DWORD_PTR>(&nAbove)));
    ::SendMessageA(hEdit, WM_PROBE, 0, 0);
    EXPECT_EQ(1, probe.m_nProbes);

    // Putting back the procedure the wrapper found would throw the later subclass out.
    EXPECT_EQ(hEdit, probe.UnsubclassWindow());
    ::SendMessageA(hEdit, WM_PROBE, 0, 0);
    EXPECT_EQ(1, probe.m_nProbes); // the wrapper is out of the chain
    EXPECT_EQ(2, nAbove);          // and the other still in it

    // A new wrapper takes the place the old one left, under the other subclass.
    CProbeWnd again;
    ASSERT_TRUE(again.SubclassWindow(hEdit));
    ::SendMessageA(hEdit, WM_PROBE, 0, 0);
    EXPECT_EQ(1, again.m_nProbes);
    EXPECT_EQ(3, nAbove);
    ::SetWindowTextA(hEdit, "still an edit");
    EXPECT_EQ("still an edit", std::string(again.GetWindowText().GetString()));
    ::RemoveWindowSubclass(hEdit, &CountingSubclassProc, 11);
}
