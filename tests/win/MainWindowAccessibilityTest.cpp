// What a screen reader hears of the main window and how far the keyboard reaches: every control
// that takes the focus has a name (asked through the system's accessibility interface, as a
// screen reader asks) and Tab reaches each of them in turn.
#include "MainWindowTestSupport.h"
#include "data/ContactGroups.h"
#include "res/resource.h"

#include <oleacc.h>

#include <algorithm>
#include <map>

namespace {

const size_t kFocusable = 10;

bool TakesFocus(HWND hWnd) {
    return ::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd) && (::GetWindowLongW(hWnd, GWL_STYLE) & WS_TABSTOP);
}

} // namespace

namespace {

std::vector<COLORREF> FocusLine(HWND hControl) {
    ::UpdateWindow(hControl);
    RECT rect;
    ::GetClientRect(hControl, &rect);
    std::vector<COLORREF> line;
    for (int x = 2; x < rect.right - 2; ++x) {
        line.push_back(ScreenPixel(hControl, x, 2));
    }
    return line;
}

} // namespace

TEST_F(MainWindowTest, EveryControlHasANameAndTabReachesEachInTurn) {
    CContactArray contacts;
    contacts.Add(MakeContact("Adams", "X"));
    AddToGroup(contacts[0], "Family"); // so that the group drop-down is there
    WriteBook(contacts);
    CTestableDlg dlg(m_context);
    std::vector<HWND> focusable;
    std::vector<HWND> reached;
    // The pixels along the top of each control reached, where a focus rectangle shows.
    std::vector<std::vector<COLORREF>> focusLines;
    std::vector<std::vector<COLORREF>> unfocusedLines;
    CStepRunner steps;
    steps.Do([&] {
        const std::map<int, CAccessibleText> expected = {
            {IDC_SEARCH, {"Search", ROLE_SYSTEM_CHECKBUTTON}},
            {IDC_GROUP_FILTER, {"Group", ROLE_SYSTEM_COMBOBOX}},
            {IDC_LIST, {"Contacts", 0}},
            {IDC_ADD_NEW, {"Add New", 0}},
            {IDOK, {"Exit", 0}},
        };
        for (HWND hChild = ::GetWindow(dlg.m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
            if (!TakesFocus(hChild)) {
                continue;
            }
            focusable.push_back(hChild);
            const int nId = ::GetDlgCtrlID(hChild);
            CAccessibleText text = AskAccessible(hChild);
            EXPECT_FALSE(text.strName.empty()) << "control " << nId;
            auto found = expected.find(nId);
            if (found != expected.end()) {
                EXPECT_EQ(found->second.strName, text.strName) << "control " << nId;
                if (found->second.nRole) {
                    EXPECT_EQ(found->second.nRole, text.nRole) << "control " << nId;
                }
            }
        }
        EXPECT_EQ(std::vector<int>(), InaccessibleControls(dlg.m_hWnd));
        EXPECT_EQ(std::vector<int>(), ControlsWithCutText(dlg.m_hWnd));
        // Its smallest size, which a screen of one and a half times the scaling still holds.
        dlg.MoveWindow(0, 0, 640, 400, TRUE);
        EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(dlg.m_hWnd));
        // The search box, its button, six picture buttons, the group drop-down and the list, in
        // the order they stand in; the window opens on the list.
        std::vector<int> order;
        for (HWND hControl : focusable) {
            order.push_back(::GetDlgCtrlID(hControl));
        }
        EXPECT_EQ((std::vector<int>{IDC_SEARCH_EDIT, IDC_SEARCH, IDC_ADD_NEW, IDC_VIEW_EDIT, IDC_DELETE, IDC_HELP_BUTTON,
                                    IDOK, IDC_HOME, IDC_GROUP_FILTER, IDC_LIST}),
                  order);
        EXPECT_EQ(IDC_LIST, ::GetDlgCtrlID(::GetFocus()));
        ASSERT_EQ(kFocusable, focusable.size());
        ::SetFocus(focusable.front());
        PostKey(::GetFocus(), VK_TAB);
    });
    // One Tab at a time, each landing on the next control that takes the focus.
    for (size_t i = 1; i <= kFocusable; ++i) {
        steps.Then([&, i] { return reached.size() == i - 1 && ::GetFocus() != (i == 1 ? focusable.front() : reached.back()); })
            .Do([&] {
                if (!reached.empty()) {
                    unfocusedLines.push_back(FocusLine(reached.back()));
                }
                reached.push_back(::GetFocus());
                focusLines.push_back(FocusLine(::GetFocus()));
                PostKey(::GetFocus(), VK_TAB);
            });
    }
    steps.Do([&] {
        std::vector<HWND> expectedOrder(focusable.begin() + 1, focusable.end());
        expectedOrder.push_back(focusable.front()); // round to the first again
        EXPECT_EQ(expectedOrder, reached);
        // A picture button shows where the keyboard is: its look with the focus is not its look without.
        for (size_t i = 0; i < unfocusedLines.size(); ++i) {
            const int nId = ::GetDlgCtrlID(reached[i]);
            const int pictureButtons[] = {IDC_ADD_NEW, IDC_VIEW_EDIT, IDC_DELETE, IDC_HELP_BUTTON, IDOK, IDC_HOME};
            if (std::find(std::begin(pictureButtons), std::end(pictureButtons), nId) != std::end(pictureButtons)) {
                EXPECT_NE(unfocusedLines[i], focusLines[i]) << "control " << nId;
            }
        }
    });
    steps.RunModal(dlg);
}
