// "Tell a friend" against the recording mail library (built beside this program and loaded
// instead of the system's), with the registry of the test's own prefix.
#include "ui/about/FriendMailer.h"
#include "win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kMessagingKey[] = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
const char kNtProfilesKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
const char kProfilesKey[] = "Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";

const char kLoad[] = "load errormode=0x8001";
const char kLogon[] = "logon ui=0x0 profile=null password=null flags=0x0 reserved=0x0";
const char kInteractiveLogon[] = "logon ui=0x0 profile=null password=null flags=0x1 reserved=0x0";
const char kSend[] =
    "send session=0x5151 ui=0x0 flags=0x8 reserved=0x0 subject=\"Tovano Address Book\" "
    "note=\"Hi!\\r\\n\\r\\nJust found this cool free software  Tovano Address Book by TovanoSoft.\\r\\n"
    "Might be interesting for you, too. Here is the link:\\r\\n"
    "http://tovano.example/tbook/index.html\\r\\n\\r\\n\" "
    "type=null date=null conversation=null msgflags=0x0 originator=null recipients=0x0 files=0x0";
const char kLogoff[] = "logoff session=0x5151 ui=0x0 flags=0x0 reserved=0x0";
const char kUnload[] = "unload";

void SetText(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszValue) {
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExA(hRoot, pszPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    ::RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue),
                     static_cast<DWORD>(strlen(pszValue) + 1));
    ::RegCloseKey(hKey);
}

class FriendMailerTest : public testing::Test {
protected:
    void SetUp() override {
        char szTemp[MAX_PATH] = "";
        ::GetTempPathA(sizeof szTemp, szTemp);
        m_strLog = std::string(szTemp) + "tbook-mapi.log";
        ::DeleteFileA(m_strLog.c_str());
        ::SetEnvironmentVariableA("TBOOK_MAPI_LOG", m_strLog.c_str());
        ::SetEnvironmentVariableA("TBOOK_MAPI_MODE", nullptr);
        SetText(HKEY_LOCAL_MACHINE, kMessagingKey, "MAPI", "1");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kNtProfilesKey);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kProfilesKey);
        m_hOwner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                     nullptr);
    }
    void TearDown() override {
        ::DestroyWindow(m_hOwner);
        SetText(HKEY_LOCAL_MACHINE, kMessagingKey, "MAPI", "1");
        ::SetEnvironmentVariableA("TBOOK_MAPI_MODE", nullptr);
        ::SetEnvironmentVariableA("TBOOK_MAPI_LOG", nullptr);
    }

    // Sends with every message box answered; what the library saw, one call a line.
    std::vector<std::string> Send(const char* pszMode = nullptr) {
        ::DeleteFileA(m_strLog.c_str());
        ::SetEnvironmentVariableA("TBOOK_MAPI_MODE", pszMode);
        const UINT nCallersMode = SEM_NOGPFAULTERRORBOX;
        UINT nTestMode = ::SetErrorMode(nCallersMode);
        {
            CMessageBoxAnswerer answerer;
            answerer.m_onOpen = [this](HWND hBox) { m_owners.push_back(::GetWindow(hBox, GW_OWNER)); };
            CFriendMailer mailer;
            mailer.SendRecommendation(m_hOwner);
            m_boxes = answerer.m_boxes;
        }
        EXPECT_EQ(nCallersMode, ::SetErrorMode(nTestMode));
        EXPECT_EQ(nullptr, ::GetModuleHandleA("mapi32.dll"));
        return ReadLog();
    }

    std::vector<std::string> ReadLog() {
        std::vector<std::string> lines;
        std::ifstream log(m_strLog);
        for (std::string strLine; std::getline(log, strLine);) {
            lines.push_back(strLine);
        }
        return lines;
    }

    void ExpectOneBox(const char* pszText) {
        ASSERT_EQ(1u, m_boxes.size());
        EXPECT_EQ(pszText, m_boxes[0].strText);
        EXPECT_EQ("Error", m_boxes[0].strCaption); // the system's default caption
        EXPECT_EQ(m_hOwner, m_owners.at(0));
    }

    std::string m_strLog;
    HWND m_hOwner = nullptr;
    std::vector<CMessageBoxRecord> m_boxes;
    std::vector<HWND> m_owners;
};

using Lines = std::vector<std::string>;

LRESULT CALLBACK SendingWindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (nMessage == WM_APP) {
        CFriendMailer mailer;
        mailer.SendRecommendation(hWnd);
        return 1;
    }
    return ::DefWindowProcA(hWnd, nMessage, wParam, lParam);
}

} // namespace

TEST_F(FriendMailerTest, ComposesTheRecommendationAndCleansUp) {
    EXPECT_EQ((Lines{kLoad, kLogon, kSend, kLogoff, kUnload}), Send());
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(FriendMailerTest, FirstLogonUsesTheDefaultProfileOfTheNewerKeyWhenItExists) {
    struct {
        const char* pszNtProfile;  // null: no key
        const char* pszOldProfile; // null: no key
        const char* pszLogon;
    } const cases[] = {
        {"Home Mail", "Old", "logon ui=0x0 profile=\"Home Mail\" password=null flags=0x0 reserved=0x0"},
        {nullptr, "Old Mail", "logon ui=0x0 profile=\"Old Mail\" password=null flags=0x0 reserved=0x0"},
        {"", "Old Mail", kLogon}, // the newer key exists without a profile: none is named
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.pszLogon);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kNtProfilesKey);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kProfilesKey);
        if (test.pszNtProfile) {
            SetText(HKEY_CURRENT_USER, kNtProfilesKey, *test.pszNtProfile ? "DefaultProfile" : "Other",
                    test.pszNtProfile);
        }
        if (test.pszOldProfile) {
            SetText(HKEY_CURRENT_USER, kProfilesKey, "DefaultProfile", test.pszOldProfile);
        }
        Lines lines = Send();
        ASSERT_EQ(5u, lines.size());
        EXPECT_EQ(test.pszLogon, lines[1]);
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kNtProfilesKey);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kProfilesKey);
}

TEST_F(FriendMailerTest, FailedLogonIsFollowedByOneInteractiveLogon) {
    EXPECT_EQ((Lines{kLoad, kLogon, kInteractiveLogon, kSend, kLogoff, kUnload}), Send("fail-first-logon"));
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(FriendMailerTest, BothLogonsFailingTellsTheUserAndLogsNothingOff) {
    EXPECT_EQ((Lines{kLoad, kLogon, kInteractiveLogon, kUnload}), Send("fail-logon"));
    ExpectOneBox("Unable to logon to default mail client.");
}

TEST_F(FriendMailerTest, FaultsInsideTheLibraryAreSurvived) {
    // The send faults after the compose window would have opened: the session is still closed.
    EXPECT_EQ((Lines{kLoad, kLogon, kSend, kLogoff, kUnload}), Send("fault-send"));
    EXPECT_TRUE(m_boxes.empty());
    // Faulting logons open no session: the user is told, the library is unloaded.
    EXPECT_EQ((Lines{kLoad, kLogon, kInteractiveLogon, kUnload}), Send("fault-logon"));
    ExpectOneBox("Unable to logon to default mail client.");
}

TEST_F(FriendMailerTest, AnythingButTheSwitchOneMeansNotAvailable) {
    for (const char* pszSwitch : {"0", "1 ", "", "01"}) {
        SCOPED_TRACE(pszSwitch);
        SetText(HKEY_LOCAL_MACHINE, kMessagingKey, "MAPI", pszSwitch);
        m_owners.clear();
        EXPECT_TRUE(Send().empty()); // the library was never loaded
        ExpectOneBox("MAPI services are not available on this system.");
    }
}

TEST_F(FriendMailerTest, FaultIsSurvivedInsideAWindowsMessageHandler) {
    // Where the program sends from: a command handler, reached through the window manager.
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &SendingWindowProc;
    windowClass.lpszClassName = "TBookSendingWindow";
    ::RegisterClassA(&windowClass);
    HWND hWnd = ::CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    ::DeleteFileA(m_strLog.c_str());
    ::SetEnvironmentVariableA("TBOOK_MAPI_MODE", "fault-send");
    EXPECT_EQ(1, ::SendMessageA(hWnd, WM_APP, 0, 0));
    ::PostMessageA(hWnd, WM_APP, 0, 0);
    MSG message;
    while (::PeekMessageA(&message, hWnd, 0, 0, PM_REMOVE)) {
        ::DispatchMessageA(&message);
    }
    EXPECT_TRUE(::IsWindow(hWnd));
    ::DestroyWindow(hWnd);
    EXPECT_EQ((Lines{kLoad, kLogon, kSend, kLogoff, kUnload, kLoad, kLogon, kSend, kLogoff, kUnload}),
              ReadLog());
}
