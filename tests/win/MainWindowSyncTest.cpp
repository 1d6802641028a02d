// Synchronisation from the main window against real CardDAV servers on this machine
// (tests/sync/dav_servers.py, started by CTest): the Synchronisation window and the account it
// keeps, the syncs in the background and Synchronise Now, and what the status bar says of them.
#include "MainWindowTestSupport.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "support/DavServers.h"
#include "support/SilentServer.h"
#include "sync/Credentials.h"
#include "sync/HttpClient.h"
#include "sync/SyncEngine.h"
#include "sync/SyncState.h"
#include "ui/sync/SyncSettings.h"

#include <map>
#include <regex>

namespace {

const char kSyncCaption[] = "Tovano Address Book - Synchronisation";
const char kPassword[] = "secret-anna";

CHttpResponse Send(const char* pszMethod, const std::string& strUrl,
                   std::vector<std::pair<std::string, std::string>> headers, const std::string& strBody) {
    CHttpOptions options;
    options.strUser = "anna";
    options.strPassword = kPassword;
    options.nTimeoutSeconds = 10;
    return MakeHttpTransport(options)->Send({pszMethod, strUrl, std::move(headers), strBody});
}

bool StartsWith(const std::string& str, const char* pszPrefix) { return str.rfind(pszPrefix, 0) == 0; }

HWND SyncWindow() {
    HWND hWnd = ::FindWindowA("#32770", kSyncCaption);
    return hWnd && ::IsWindowVisible(hWnd) ? hWnd : nullptr;
}

std::string ItemText(HWND hDlg, int nId) {
    wchar_t szText[512] = L"";
    ::GetDlgItemTextW(hDlg, nId, szText, static_cast<int>(std::size(szText)));
    return FromWide(szText).GetStdString();
}

void SetItemText(HWND hDlg, int nId, const std::string& strText) {
    ::SetDlgItemTextW(hDlg, nId, ToWide(strText.c_str()).c_str());
}

// Chooses the address book of that URL in the window's list; false when it is not listed.
bool ChooseBook(HWND hDlg, const std::string& strBookUrl) {
    HWND hList = ::GetDlgItem(hDlg, IDC_SYNC_BOOKS);
    for (int i = 0; i < ::SendMessageW(hList, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t szLine[512] = L"";
        ::SendMessageW(hList, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(szLine));
        if (FromWide(szLine).GetStdString().find(strBookUrl) != std::string::npos) {
            ::SendMessageW(hList, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return true;
        }
    }
    return false;
}

std::string SyncValue(const char* pszName) {
    CRegistry registry;
    return registry.QueryString(HKEY_CURRENT_USER, kSyncKeyPath, pszName, "(none)").GetStdString();
}

// Whether Synchronise Now is enabled in the menus as the window prepares them.
bool IsSyncNowEnabled(CTestableDlg& dlg) {
    HMENU hMenu = dlg.GetTrayIcon().BuildPopupMenu();
    dlg.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 0);
    bool bEnabled = (::GetMenuState(hMenu, ID_SYNC_NOW, MF_BYCOMMAND) & MF_GRAYED) == 0;
    ::DestroyMenu(hMenu);
    return bEnabled;
}

class MainWindowSyncTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        m_servers = ReadDavServers();
        ASSERT_FALSE(m_servers["RADICALE_URL"].empty()) << "no servers: see " << TBOOK_DAV_SERVERS_ENV;
    }

    // A new, empty address book of anna's, for this test alone.
    std::string MakeBook() {
        static int s_nBook = 0;
        std::string strUrl = m_servers["RADICALE_URL"];
        strUrl = strUrl.substr(0, strUrl.find_last_not_of('/') + 1) + "/anna/window-" +
                 std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++s_nBook) + "/";
        CHttpResponse response =
            Send("MKCOL", strUrl, {{"Content-Type", "application/xml"}},
                 "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\">"
                 "<D:set><D:prop><D:resourcetype><D:collection/><C:addressbook/></D:resourcetype></D:prop>"
                 "</D:set></D:mkcol>");
        EXPECT_EQ(201, response.nStatus) << response.strFailure;
        return strUrl;
    }

    static void PutCard(const std::string& strBookUrl, const char* pszUid, const char* pszLast, const char* pszFirst) {
        std::string strCard = std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + pszUid + "\r\nFN:" + pszFirst + " " +
                              pszLast + "\r\nN:" + pszLast + ";" + pszFirst + ";;;\r\nEND:VCARD\r\n";
        CHttpResponse response = Send("PUT", strBookUrl + pszUid + ".vcf",
                                      {{"Content-Type", "text/vcard; charset=utf-8"}, {"If-None-Match", "*"}}, strCard);
        EXPECT_EQ(201, response.nStatus) << response.strFailure;
    }

    static int CardCount(const std::string& strBookUrl) {
        CHttpResponse response = Send("PROPFIND", strBookUrl, {{"Depth", "1"}, {"Content-Type", "application/xml"}},
                                      "<?xml version=\"1.0\"?><propfind xmlns=\"DAV:\"><prop><getetag/></prop></propfind>");
        int nResponses = 0;
        for (size_t n = response.strBody.find("response>"); n != std::string::npos;
             n = response.strBody.find("response>", n + 1)) {
            ++nResponses;
        }
        return nResponses / 2 - 1; // each opens and closes; the first is the book itself
    }

    // An account stored as the Synchronisation window stores it.
    static void StoreAccount(const std::string& strBookUrl, const std::string& strPassword, bool bAtStart,
                             const std::string& strTrusted = std::string()) {
        CSyncAccount account;
        account.strAddress = account.strBookUrl = strBookUrl;
        account.strUser = "anna";
        account.strTrustedSha256 = strTrusted;
        account.bAtStart = bAtStart;
        account.bEvery = false;
        ASSERT_TRUE(account.Save(nullptr));
        ASSERT_TRUE(StorePassword(strBookUrl, "anna", strPassword));
    }

    std::string StatePath() const { return SyncStatePath(BookPath().c_str()); }

    std::map<std::string, std::string> m_servers;
};

} // namespace

TEST(SyncSettingsTest, AddressesFingerprintsAndMinutes) {
    const struct {
        const char* pszAddress;
        bool bUnencrypted;
    } addresses[] = {
        {"http://dav.example.com/anna/", true},  {"HTTP://Dav.Example.com:8080", true},
        {"dav.example.com", false},              {"https://dav.example.com/", false},
        {"http://localhost:5232/", false},       {"http://127.0.0.1/anna/", false},
        {"http://[::1]:5232/", false},           {"http://127.0.0.10/", true},
    };
    for (const auto& c : addresses) {
        EXPECT_EQ(c.bUnencrypted, IsUnencryptedToOtherHost(c.pszAddress)) << c.pszAddress;
    }
    EXPECT_EQ("https://dav.example.com/anna", CompleteAddress("  dav.example.com/anna "));
    EXPECT_EQ("http://127.0.0.1/", CompleteAddress("http://127.0.0.1/"));
    EXPECT_EQ("ab:cd:01", GroupedFingerprint("abcd01"));
    EXPECT_EQ(kDefaultSyncMinutes, SaneSyncMinutes(0));
    EXPECT_EQ(kDefaultSyncMinutes, SaneSyncMinutes(kMaxSyncMinutes + 1));
    EXPECT_EQ(30, SaneSyncMinutes(30));
}

// Connect finds anna's address books at the server's address; OK keeps the chosen one, the user
// and the options in the registry and the password only in the Credential Manager; Remove
// Account forgets all of it and the sync state. Synchronise Now is there only with an account.
TEST_F(MainWindowSyncTest, WindowStoresTheAccountAndRemoveAccountForgetsIt) {
    const std::string strBook = m_servers["RADICALE_BOOK"];
    WriteBytes(StatePath(), "state of an earlier account");
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    HWND hSync = nullptr;
    std::string strChosen;
    CStepRunner steps;
    steps.Do([&] {
             EXPECT_FALSE(IsSyncNowEnabled(dlg));
             dlg.PostMessage(WM_COMMAND, ID_SYNC_SETTINGS, 0);
         })
        .Then([&] { return (hSync = SyncWindow()) != nullptr; })
        .Do([&] {
            EXPECT_EQ(std::vector<int>(), InaccessibleControls(hSync));
            EXPECT_EQ(std::vector<int>(), ControlsWithCutText(hSync));
            EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(hSync));
            EXPECT_EQ("", ItemText(hSync, IDC_SYNC_WARNING));
            SetItemText(hSync, IDC_SYNC_ADDRESS, "http://dav.example.com/");
            EXPECT_NE("", ItemText(hSync, IDC_SYNC_WARNING)); // plain http to another computer
            SetItemText(hSync, IDC_SYNC_ADDRESS, m_servers["RADICALE_URL"]);
            EXPECT_EQ("", ItemText(hSync, IDC_SYNC_WARNING));
            SetItemText(hSync, IDC_SYNC_USER, "anna");
            SetItemText(hSync, IDC_SYNC_PASSWORD, kPassword);
            ::CheckDlgButton(hSync, IDC_SYNC_AT_START, BST_UNCHECKED);
            ::SetDlgItemInt(hSync, IDC_SYNC_MINUTES, 30, FALSE);
            ::PostMessageW(hSync, WM_COMMAND, IDC_SYNC_CONNECT, 0);
        })
        .Then([&] { return StartsWith(ItemText(hSync, IDC_SYNC_MESSAGE), "Found"); })
        .Do([&] {
            ASSERT_TRUE(ChooseBook(hSync, strBook)) << ItemText(hSync, IDC_SYNC_MESSAGE);
            strChosen = ItemText(hSync, IDC_SYNC_BOOKS);
            EXPECT_NE(std::string::npos, strChosen.find("Contacts (")) << strChosen; // its name first
            ::PostMessageW(hSync, WM_COMMAND, IDOK, 0);
        })
        .Then([&] { return !::IsWindow(hSync); })
        .Do([&] {
            EXPECT_EQ(m_servers["RADICALE_URL"], SyncValue("Address"));
            EXPECT_EQ(strBook, SyncValue("BookUrl"));
            EXPECT_EQ("anna", SyncValue("User"));
            CRegistry registry;
            EXPECT_EQ(0, registry.QueryInt(HKEY_CURRENT_USER, kSyncKeyPath, "AtStart", -1));
            EXPECT_EQ(30, registry.QueryInt(HKEY_CURRENT_USER, kSyncKeyPath, "Minutes", -1));
            // No value of the key holds the password.
            CRegKey key = registry.OpenKey(HKEY_CURRENT_USER, kSyncKeyPath, KEY_READ);
            wchar_t szName[256];
            BYTE data[1024];
            for (DWORD i = 0;; ++i) {
                DWORD nName = std::size(szName), nData = sizeof data;
                if (::RegEnumValueW(key, i, szName, &nName, nullptr, nullptr, data, &nData) != ERROR_SUCCESS) {
                    break;
                }
                EXPECT_EQ(std::string::npos, FromWide(reinterpret_cast<wchar_t*>(data), static_cast<int>(nData / 2))
                                                 .GetStdString().find(kPassword));
            }
            std::string strPassword;
            EXPECT_TRUE(ReadPassword(strBook, "anna", strPassword));
            EXPECT_EQ(kPassword, strPassword);
            EXPECT_TRUE(IsSyncNowEnabled(dlg));
            dlg.PostMessage(WM_COMMAND, ID_SYNC_SETTINGS, 0);
        })
        .Then([&] { return (hSync = SyncWindow()) != nullptr; })
        .Do([&] {
            EXPECT_EQ(kPassword, ItemText(hSync, IDC_SYNC_PASSWORD));
            EXPECT_EQ(strChosen, ItemText(hSync, IDC_SYNC_BOOKS));
            ::PostMessageW(hSync, WM_COMMAND, IDC_SYNC_REMOVE, 0);
        })
        .Then([&] { return !::IsWindow(hSync); })
        .Do([&] {
            ASSERT_EQ(1u, answerer.m_boxes.size());
            EXPECT_EQ(0u, answerer.m_boxes[0].strText.find("Stop synchronising with "));
            EXPECT_EQ("(none)", SyncValue("BookUrl"));
            std::string strPassword;
            EXPECT_FALSE(ReadPassword(strBook, "anna", strPassword));
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(StatePath().c_str()));
            EXPECT_FALSE(IsSyncNowEnabled(dlg));
        });
    steps.RunModal(dlg);
}

// A password changed in the window is tried before OK stores it: a wrong one is said at once and
// the stored one stays.
TEST_F(MainWindowSyncTest, ChangedPasswordIsTriedBeforeItIsStored) {
    const std::string strBook = m_servers["RADICALE_BOOK"];
    StoreAccount(strBook, kPassword, false);
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    HWND hSync = nullptr;
    CStepRunner steps;
    steps.Do([&] { dlg.PostMessage(WM_COMMAND, ID_SYNC_SETTINGS, 0); })
        .Then([&] { return (hSync = SyncWindow()) != nullptr; })
        .Do([&] {
            SetItemText(hSync, IDC_SYNC_PASSWORD, "not-annas");
            ::PostMessageW(hSync, WM_COMMAND, IDOK, 0);
        })
        .Then([&] { return !answerer.m_boxes.empty(); })
        .Do([&] {
            EXPECT_NE(std::string::npos,
                      answerer.m_boxes[0].strText.find("did not accept the user name and password"))
                << answerer.m_boxes[0].strText;
            EXPECT_TRUE(::IsWindow(hSync));
            ::PostMessageW(hSync, WM_COMMAND, IDCANCEL, 0);
        })
        .Then([&] { return !::IsWindow(hSync); })
        .Do([&] {
            std::string strPassword;
            EXPECT_TRUE(ReadPassword(strBook, "anna", strPassword));
            EXPECT_EQ(kPassword, strPassword);
        });
    steps.RunModal(dlg);
}

// A server whose certificate the system does not trust: the window shows its fingerprint, and
// the user's yes keeps it with the account.
TEST_F(MainWindowSyncTest, UntrustedCertificateIsShownAndTrustedForTheAccount) {
    const std::string strSha256 = m_servers["RADICALE_TLS_SHA256"];
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    HWND hSync = nullptr;
    CStepRunner steps;
    steps.Do([&] { dlg.PostMessage(WM_COMMAND, ID_SYNC_SETTINGS, 0); })
        .Then([&] { return (hSync = SyncWindow()) != nullptr; })
        .Do([&] {
            SetItemText(hSync, IDC_SYNC_ADDRESS, m_servers["RADICALE_TLS_BOOK"]);
            SetItemText(hSync, IDC_SYNC_USER, "anna");
            SetItemText(hSync, IDC_SYNC_PASSWORD, kPassword);
            ::PostMessageW(hSync, WM_COMMAND, IDOK, 0); // connects, then stores the one book found
        })
        .Then([&] { return !::IsWindow(hSync); })
        .Do([&] {
            ASSERT_EQ(1u, answerer.m_boxes.size());
            // In two lines, which a message box does not cut off.
            std::string strShown =
                GroupedFingerprint(strSha256.substr(0, 32)) + "\n" + GroupedFingerprint(strSha256.substr(32));
            EXPECT_NE(std::string::npos, answerer.m_boxes[0].strText.find(strShown));
            EXPECT_EQ(strSha256, SyncValue("TrustedCertificate"));
            EXPECT_EQ(m_servers["RADICALE_TLS_BOOK"], SyncValue("BookUrl"));
        });
    steps.RunModal(dlg);
}

// At start the window synchronises on its own: the server's card comes in, the book's contacts
// go out, the book is saved, the state written, and the status bar says when.
TEST_F(MainWindowSyncTest, SyncAtStartAppliesTheOutcomeAndSavesBookAndState) {
    const std::string strBook = MakeBook();
    PutCard(strBook, "carla-1", "Server", "Carla");
    CContactArray contacts;
    contacts.Add(MakeContact("Adams", "Ann", "+49 30 5550101"));
    contacts.Add(MakeContact("Baker", "Bob"));
    WriteBook(contacts);
    StoreAccount(strBook, kPassword, true);
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    CStepRunner steps;
    steps.Then([&] { return StartsWith(StatusText(dlg), "Synchronised"); })
        .Do([&] {
            EXPECT_TRUE(std::regex_search(StatusText(dlg), std::regex("^Synchronised [0-9]{1,2}[:.][0-9]{2}")))
                << StatusText(dlg);
            EXPECT_EQ((std::vector<std::string>{"Adams,Ann", "Baker,Bob", "Server,Carla"}), Rows(dlg));
            EXPECT_NE(std::string::npos, ReadBytes(BookPath()).find("Carla"));
            CSyncState state;
            CFileException error;
            ASSERT_TRUE(ReadSyncState(StatePath().c_str(), state, error));
            EXPECT_EQ(3u, state.entries.size());
            EXPECT_EQ(3, CardCount(strBook));
        });
    steps.RunModal(dlg);
    EXPECT_TRUE(answerer.m_boxes.empty());
}

// A search the user is looking at stays through a sync, in the background or asked for, with
// what the sync brought among its hits.
TEST_F(MainWindowSyncTest, SyncKeepsAShownSearchUpToDate) {
    for (bool bAtStart : {true, false}) {
        SCOPED_TRACE(bAtStart ? "at start" : "Synchronise Now");
        const std::string strBook = MakeBook();
        PutCard(strBook, "carla-2", "Bright", "Carla");
        CContactArray contacts;
        contacts.Add(MakeContact("Adams", "Ann"));
        contacts.Add(MakeContact("Baker", "Bob"));
        WriteBook(contacts);
        StoreAccount(strBook, kPassword, bAtStart);
        CMessageBoxAnswerer answerer;
        CTestableDlg dlg(m_context);
        dlg.m_bRunCommands = true;
        CStepRunner steps;
        steps
            .Do([&] {
                ::SetDlgItemTextA(dlg.m_hWnd, IDC_SEARCH_EDIT, "b");
                dlg.SearchButton().SetCheck(BST_CHECKED);
                dlg.PostMessage(WM_COMMAND, IDC_SEARCH, 0);
            })
            // The sync at start may end before the search on a busy machine: the search then
            // finds what it brought, as checked below.
            .Then([&] {
                return Rows(dlg) == std::vector<std::string>{"Baker,Bob"} ||
                       (bAtStart && StartsWith(StatusText(dlg), "Synchronised"));
            })
            .Do([&] {
                if (!bAtStart) {
                    dlg.PostMessage(WM_COMMAND, ID_SYNC_NOW, 0);
                }
            })
            .Then([&] { return StartsWith(StatusText(dlg), "Synchronised"); })
            .Do([&] {
                EXPECT_EQ((std::vector<std::string>{"Baker,Bob", "Bright,Carla"}), Rows(dlg));
                EXPECT_EQ(BST_CHECKED, dlg.SearchButton().GetCheck());
            });
        steps.RunModal(dlg);
        EXPECT_TRUE(answerer.m_boxes.empty());
    }
}

// A change made while the sync talked to the server voids its outcome: nothing of it is applied
// or noted, and another sync a few seconds later brings the server's card and sends the change.
TEST_F(MainWindowSyncTest, OutcomeOfABookChangedMeanwhileIsDroppedAndSyncedAgain) {
    const std::string strBook = MakeBook();
    PutCard(strBook, "carla-1", "Server", "Carla");
    CContactArray contacts;
    contacts.Add(MakeContact("Adams", "Ann"));
    WriteBook(contacts);
    StoreAccount(strBook, kPassword, false);
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    CStepRunner steps;
    steps.Do([&] {
             dlg.SendMessage(WM_COMMAND, ID_SYNC_NOW, 0);
             EXPECT_EQ("Synchronising...", StatusText(dlg));
             dlg.AddContact(MakeContact("Baker", "Bob")); // before the worker's end can be heard
         })
        .Then([&] { return StartsWith(StatusText(dlg), "Synchronising again shortly"); })
        .Do([&] {
            EXPECT_EQ(2, dlg.Book().Contacts().GetSize()); // the server's card not yet among them
            // Only what both sides settled on is kept: the card sent for Ann, not Carla's.
            CSyncState settled;
            CFileException error;
            ASSERT_TRUE(ReadSyncState(StatePath().c_str(), settled, error));
            ASSERT_EQ(1u, settled.entries.size());
            EXPECT_STREQ("Ann", settled.entries[0].contact.firstname.GetString());
        })
        .Then([&] { return StartsWith(StatusText(dlg), "Synchronised"); })
        .Do([&] {
            EXPECT_EQ((std::vector<std::string>{"Adams,Ann", "Baker,Bob", "Server,Carla"}), Rows(dlg));
            EXPECT_EQ(3, CardCount(strBook));
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(StatePath().c_str()));
        });
    steps.RunModal(dlg);
    EXPECT_TRUE(answerer.m_boxes.empty());
}

// A sync in the background that fails says so in the status bar only; Synchronise Now says the
// same in a message box.
TEST_F(MainWindowSyncTest, FailedBackgroundSyncShowsOnlyInTheStatusBar) {
    const struct {
        const char* pszCase;
        std::string strBook;
        const char* pszPassword;
    } cases[] = {
        {"wrong password", m_servers["RADICALE_BOOK"], "not-annas"},
        {"nothing listens", "http://127.0.0.1:1/anna/contacts/", kPassword},
        {"certificate not trusted", m_servers["RADICALE_TLS_BOOK"], kPassword},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        StoreAccount(c.strBook, c.pszPassword, true);
        CMessageBoxAnswerer answerer;
        CTestableDlg dlg(m_context);
        std::string strStatus;
        CStepRunner steps;
        steps.Then([&] { return StartsWith(strStatus = StatusText(dlg), "Not synchronised: "); })
            .Do([&] {
                EXPECT_NE(std::string::npos, strStatus.find("127.0.0.1")) << strStatus;
                EXPECT_TRUE(answerer.m_boxes.empty());
                dlg.PostMessage(WM_COMMAND, ID_SYNC_NOW, 0);
            })
            .Then([&] { return !answerer.m_boxes.empty(); })
            .Do([&] {
                EXPECT_EQ(0u, answerer.m_boxes[0].strText.find(strStatus.substr(strlen("Not synchronised: "), 40)));
            });
        steps.RunModal(dlg);
    }
}

// Most of the synchronised contacts deleted at once, here or on the server: a background sync
// only says so, and Synchronise Now asks first. For deletions there, Yes deletes them on the
// server, No brings them back here, Cancel changes nothing; for deletions here (a server's
// listing cut short looks the same), Yes deletes them here and No changes nothing.
TEST_F(MainWindowSyncTest, ManyDeletionsAreAskedFirst) {
    const struct {
        bool bMissingHere;
        int nAnswer;
        int nCardsAfter, nContactsAfter;
        const char* pszStatus;
    } cases[] = {
        {true, IDCANCEL, 12, 1, "Not synchronised: "},
        {true, IDYES, 1, 1, "Synchronised"},
        {true, IDNO, 12, 12, "Synchronised"},
        {false, IDYES, 1, 1, "Synchronised"},
        {false, IDNO, 1, 12, "Not synchronised: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bMissingHere) + " " + std::to_string(c.nAnswer));
        const std::string strBook = MakeBook();
        CContactArray contacts;
        for (int i = 0; i < 12; ++i) {
            contacts.Add(MakeContact("Many", ("P" + std::to_string(i)).c_str()));
        }
        CHttpOptions http;
        http.strUser = "anna";
        http.strPassword = kPassword;
        CSyncOutcome first = Synchronise(contacts, CSyncState(), *MakeHttpTransport(http), strBook, "anna");
        ASSERT_TRUE(first.bOk) << first.strError;
        CFileException error;
        ASSERT_TRUE(WriteSyncState(StatePath().c_str(), first.state, error));
        if (c.bMissingHere) {
            contacts.RemoveAt(1, 11);
        } else {
            for (size_t i = 1; i < first.state.entries.size(); ++i) {
                const int nStatus = Send("DELETE", first.state.entries[i].strHref, {}, "").nStatus;
                EXPECT_TRUE(nStatus == 200 || nStatus == 204) << nStatus;
            }
        }
        WriteBook(contacts);
        StoreAccount(strBook, kPassword, true);
        CMessageBoxAnswerer answerer(c.nAnswer);
        CTestableDlg dlg(m_context);
        std::string strStatus;
        CStepRunner steps;
        steps.Then([&] { return StartsWith(strStatus = StatusText(dlg), "Not synchronised: "); })
            .Do([&] {
                EXPECT_NE(std::string::npos, strStatus.find("would delete 11 of the 12")) << strStatus;
                EXPECT_NE(std::string::npos, strStatus.find("Choose Synchronise Now")) << strStatus;
                EXPECT_TRUE(answerer.m_boxes.empty());
                dlg.PostMessage(WM_COMMAND, ID_SYNC_NOW, 0);
            })
            .Then([&] {
                strStatus = StatusText(dlg);
                return !answerer.m_boxes.empty() && strStatus.find("Synchronising") == std::string::npos;
            })
            .Do([&] {
                ASSERT_EQ(1u, answerer.m_boxes.size());
                EXPECT_NE(std::string::npos, answerer.m_boxes[0].strText.find(
                                                 c.bMissingHere ? "Delete them on the server too?" : "Delete them here too?"));
                EXPECT_TRUE(StartsWith(strStatus, c.pszStatus)) << strStatus;
                EXPECT_EQ(c.nCardsAfter, CardCount(strBook));
                EXPECT_EQ(c.nContactsAfter, dlg.Book().Contacts().GetSize());
            });
        steps.RunModal(dlg);
    }
}

// Exit while a sync waits for a server that never answers: the window ends within a few seconds
// and nothing of that sync reaches the book or the state.
TEST_F(MainWindowSyncTest, ExitWhileASyncWaitsForItsServerEndsSoon) {
    CSilentServer server;
    ASSERT_NE(0, server.Port());
    CContactArray contacts;
    contacts.Add(MakeContact("Adams", "Ann"));
    WriteBook(contacts);
    const std::string strBefore = ReadBytes(BookPath());
    StoreAccount("http://127.0.0.1:" + std::to_string(server.Port()) + "/anna/contacts/", kPassword, false);
    CTestableDlg dlg(m_context);
    ULONGLONG nExitAt = 0;
    CStepRunner steps;
    steps.Do([&] {
        dlg.SendMessage(WM_COMMAND, ID_SYNC_NOW, 0);
        EXPECT_EQ("Synchronising...", StatusText(dlg));
        nExitAt = ::GetTickCount64();
        dlg.PostMessage(WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, steps.ThenProgramEnds().RunModal(dlg));
    // Not the 20 s the server has to answer in, with room for a busy machine.
    EXPECT_LT(::GetTickCount64() - nExitAt, 15000u);
    EXPECT_EQ(strBefore, ReadBytes(BookPath()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(StatePath().c_str()));
}
