// Every window at the screen's own scaling. The test runs in the ordinary suite at 96 dpi, and
// tests/win/run_at_scalings.sh runs it again at 120, 144 and 192 dpi with TBOOK_SCALING_FOLDER
// set: at 96 dpi it writes there where each control is, and at the others it checks that every
// control's rectangle is that one scaled, and keeps a picture of every window.

#include "MainWindowTestSupport.h"
#include "res/resource.h"

#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

namespace {

struct CControlPlace {
    std::string strClass;
    RECT rect;
};

// A window's dialog units: the pixels of 400 by 800 of them, which the template's font decides.
CControlPlace DialogUnitsOf(HWND hWindow) {
    CControlPlace units = {"units", {0, 0, 400, 800}};
    ::MapDialogRect(hWindow, &units.rect);
    return units;
}

std::vector<CControlPlace> PlacesOfControls(HWND hWindow) {
    std::vector<CControlPlace> places = {DialogUnitsOf(hWindow)};
    for (HWND hChild = ::GetWindow(hWindow, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(hChild)) {
            continue;
        }
        char szClass[32] = "";
        ::GetClassNameA(hChild, szClass, 32);
        places.push_back({szClass, RectInParent(hChild)});
    }
    return places;
}

void WritePlaces(const std::string& strPath, const std::vector<CControlPlace>& places) {
    std::ofstream file(strPath);
    for (const CControlPlace& place : places) {
        file << place.strClass << ' ' << place.rect.left << ' ' << place.rect.top << ' ' << place.rect.right << ' '
             << place.rect.bottom << '\n';
    }
}

std::vector<CControlPlace> ReadPlaces(const std::string& strPath) {
    std::vector<CControlPlace> places;
    std::ifstream file(strPath);
    CControlPlace place;
    while (file >> place.strClass >> place.rect.left >> place.rect.top >> place.rect.right >> place.rect.bottom) {
        places.push_back(place);
    }
    return places;
}

// The controls whose edges are not where the 96-dpi ones are, scaled. The first place of each
// list is the window's dialog units. A template's controls grow with its font, whose measures grow
// a little unevenly with the dpi; what the window places itself grows with the dpi: either will do.
std::vector<std::string> PlacesNotScaled(const std::vector<CControlPlace>& seen, const std::vector<CControlPlace>& at96, int nDpi) {
    if (seen.size() != at96.size() || seen.empty()) {
        return {"controls: " + std::to_string(seen.size()) + " instead of " + std::to_string(at96.size())};
    }
    const double dByDpi = nDpi / 96.0;
    const double dAcross = static_cast<double>(seen[0].rect.right) / at96[0].rect.right;
    const double dDown = static_cast<double>(seen[0].rect.bottom) / at96[0].rect.bottom;
    std::vector<std::string> found;
    for (size_t i = 1; i < seen.size(); ++i) {
        const RECT& r = seen[i].rect;
        const RECT& ref = at96[i].rect;
        auto within = [&](long nSeen, long nRef, double dByFont) {
            auto close = [&](double dScale) { return std::fabs(nSeen - nRef * dScale) <= 2 + 0.03 * nRef * dScale; };
            return close(dByFont) || close(dByDpi);
        };
        // A combo box's closed height and a status bar's follow their fonts.
        const bool bOwnHeight = seen[i].strClass == "ComboBox" || seen[i].strClass == "msctls_statusbar32";
        if (!within(r.left, ref.left, dAcross) || !within(r.right - r.left, ref.right - ref.left, dAcross) ||
            (!bOwnHeight && (!within(r.top, ref.top, dDown) || !within(r.bottom - r.top, ref.bottom - ref.top, dDown)))) {
            std::ostringstream text;
            text << i << ' ' << seen[i].strClass << " at " << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom
                 << " from " << ref.left << ',' << ref.top << ',' << ref.right << ',' << ref.bottom;
            found.push_back(text.str());
        }
    }
    return found;
}

// The pairs of visible controls that lie over each other, but for a frame around others.
std::vector<std::string> OverlappingControls(const std::vector<CControlPlace>& places) {
    std::vector<std::string> found;
    for (size_t i = 1; i < places.size(); ++i) {
        for (size_t j = i + 1; j < places.size(); ++j) {
            RECT overlap;
            const RECT& a = places[i].rect;
            const RECT& b = places[j].rect;
            auto contains = [](const RECT& outer, const RECT& inner) {
                return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right && outer.bottom >= inner.bottom;
            };
            // An up-down control sits on its edit box's edge on purpose.
            const bool bBuddy = places[i].strClass == "msctls_updown32" || places[j].strClass == "msctls_updown32";
            if (!::IntersectRect(&overlap, &a, &b) || bBuddy || contains(a, b) || contains(b, a)) {
                continue;
            }
            // Frames stacked edge to edge may share a line of pixels after rounding.
            if (overlap.right - overlap.left > 1 && overlap.bottom - overlap.top > 1) {
                found.push_back(std::to_string(i) + " " + places[i].strClass + " and " + std::to_string(j) + " " + places[j].strClass);
            }
        }
    }
    return found;
}

// The window as it is on the screen, as a 24-bit bitmap file.
void SaveScreenPicture(HWND hWindow, const std::string& strPath) {
    RECT rect;
    ::GetWindowRect(hWindow, &rect);
    const int nWidth = rect.right - rect.left;
    const int nHeight = rect.bottom - rect.top;
    HDC hScreen = ::GetDC(nullptr);
    HDC hMemory = ::CreateCompatibleDC(hScreen);
    BITMAPINFOHEADER info = {sizeof(info), nWidth, nHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(hScreen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = ::SelectObject(hMemory, hBitmap);
    ::BitBlt(hMemory, 0, 0, nWidth, nHeight, hScreen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    const DWORD nStride = (static_cast<DWORD>(nWidth) * 3 + 3) & ~3u;
    BITMAPFILEHEADER header = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(info)};
    header.bfSize = header.bfOffBits + nStride * static_cast<DWORD>(nHeight);
    if (FILE* pFile = std::fopen(strPath.c_str(), "wb")) {
        std::fwrite(&header, sizeof(header), 1, pFile);
        std::fwrite(&info, sizeof(info), 1, pFile);
        std::fwrite(pBits, nStride, static_cast<size_t>(nHeight), pFile);
        std::fclose(pFile);
    }
    ::SelectObject(hMemory, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hMemory);
    ::ReleaseDC(nullptr, hScreen);
}

HWND WindowCalled(const char* pszCaption) { return ::FindWindowA("#32770", pszCaption); }

} // namespace

// Every window shows all of its text at the screen's scaling, and where a folder is given, has
// each control where the 96-dpi one is, scaled.
TEST_F(MainWindowTest, EveryWindowAtTheScreensScalingShowsAllItsTextAndScales) {
    const char* pszFolder = std::getenv("TBOOK_SCALING_FOLDER");
    const std::string strFolder = pszFolder ? pszFolder : "";
    CContactArray contacts;
    contacts.Add(MakeContact("Adams", "Ann", "555-0101"));
    contacts.Add(MakeContact("Adams", "Ann", "555-0101")); // a duplicate, for its window
    contacts.Add(MakeContact("Baker", "Bob"));
    contacts[2].values = {{EValueKind::group, "", "", "Family"}, {EValueKind::date, "birthday", "", DateFromToday(2, 1980)}};
    WriteBook(contacts);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;

    auto command = [&](UINT nId) { return [&dlg, nId] { dlg.PostMessage(WM_COMMAND, nId, 0); }; };
    auto closing = [](const char* pszCaption) { return [pszCaption] { ::PostMessageA(WindowCalled(pszCaption), WM_COMMAND, IDCANCEL, 0); }; };
    const char* const kEditor = "Tovano Address Book - Single Contact View";
    struct CShownWindow {
        const char* pszName;
        const char* pszCaption;
        std::function<void()> open;
        std::function<void()> close; // the window's own and any it was opened from
    };
    const CShownWindow windows[] = {
        {"main", "Tovano Address Book - List View", [] {}, [] {}},
        {"editor", kEditor, [&] { dlg.List().SelectRows({0}); dlg.PostMessage(WM_COMMAND, IDC_VIEW_EDIT, 0); }, [] {}},
        {"value", "Add Value", [&] { ::PostMessageA(WindowCalled(kEditor), WM_COMMAND, IDC_VALUE_ADD, 0); },
         [&] { closing("Add Value")(); closing(kEditor)(); }},
        {"about", "About Tovano Address Book", command(ID_TRAY_ABOUT), closing("About Tovano Address Book")},
        {"sync", "Tovano Address Book - Synchronisation", command(ID_SYNC_SETTINGS), closing("Tovano Address Book - Synchronisation")},
        {"duplicates", "Tovano Address Book - Duplicates", command(ID_FIND_DUPLICATES), closing("Tovano Address Book - Duplicates")},
        {"birthdays", "Tovano Address Book - Upcoming Birthdays", command(ID_UPCOMING_BIRTHDAYS),
         closing("Tovano Address Book - Upcoming Birthdays")},
        {"groups", "Tovano Address Book - Manage Groups", command(ID_MANAGE_GROUPS), closing("Tovano Address Book - Manage Groups")},
        {"group-name", "Tovano Address Book - Add to Group",
         [&] { dlg.List().SelectRows({0}); dlg.PostMessage(WM_COMMAND, ID_ADD_TO_NEW_GROUP, 0); },
         closing("Tovano Address Book - Add to Group")},
    };
    CStepRunner steps;
    steps.Then([&] { return dlg.IsLoadFinished(); });
    for (const CShownWindow& shown : windows) {
        steps.Do(shown.open)
            .Then([&] { return WindowCalled(shown.pszCaption) != nullptr; })
            .Do([&] {
                SCOPED_TRACE(shown.pszName);
                HWND hWindow = WindowCalled(shown.pszCaption);
                ::RedrawWindow(hWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                EXPECT_EQ(std::vector<int>(), ControlsWithCutText(hWindow));
                const std::vector<CControlPlace> places = PlacesOfControls(hWindow);
                EXPECT_EQ(std::vector<std::string>(), OverlappingControls(places));
                if (strFolder.empty()) {
                    return;
                }
                const int nDpi = static_cast<int>(::GetDpiForWindow(hWindow));
                const std::string strPlaces = strFolder + "\\" + shown.pszName + ".places";
                if (nDpi == 96) {
                    WritePlaces(strPlaces, places);
                } else {
                    EXPECT_EQ(std::vector<std::string>(), PlacesNotScaled(places, ReadPlaces(strPlaces), nDpi));
                }
            })
            // Wine hands a window's painting to the display a moment later: the picture waits for it.
            .Then([&, nSince = std::make_shared<DWORD>(0)] {
                *nSince = *nSince ? *nSince : ::GetTickCount();
                return strFolder.empty() || ::GetTickCount() - *nSince >= 300;
            })
            .Do([&] {
                HWND hWindow = WindowCalled(shown.pszCaption);
                if (!strFolder.empty()) {
                    const std::string strDpi = std::to_string(::GetDpiForWindow(hWindow));
                    SaveScreenPicture(hWindow, strFolder + "\\" + shown.pszName + "-" + strDpi + ".bmp");
                }
            })
            .Do(shown.close)
            .Then([&] { return std::string(shown.pszName) == "main" || std::string(shown.pszName) == "editor" ||
                               WindowCalled(shown.pszCaption) == nullptr; });
    }
    steps.RunModal(dlg);
}
