// Checks the resources compiled from res/tbook.rc into this test program: the ids the program's
// code relies on, the main window's template down to each control's style and rectangle, the tray
// menu, the strings, the icons, the pictures and the manifest. Everything is read from this
// module's own resources, the way the program itself will load them.
#include "framework/win/Gdi.h"
#include "framework/base/Handles.h"
#include "ui/controls/ArtLogic.h"
#include "ui/controls/ArtResources.h"

#include <gtest/gtest.h>

#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "res/resource.h"

// The numbers are fixed: anything that names a resource by number, help topics included, relies on them.
static_assert(IDD_TBOOK_DIALOG == 102 && IDD_CONTACT == 104 && IDD_ABOUTBOX == 139);
static_assert(IDR_MAINFRAME == 128 && IDI_TRAY == 172 && IDR_TRAY_MENU == 138 && IDP_OLE_INIT_FAILED == 100);
static_assert(IDB_ABOUT == 140 && IDB_SEARCH_DOWN == 160 && IDB_SEARCH_UP == 169);
static_assert(IDR_RAW_ADDNEW == 162 && IDR_RAW_DELETE == 163 && IDR_RAW_EXIT == 164 && IDR_RAW_HELP == 165 &&
              IDR_RAW_SEARCH == 166 && IDR_RAW_VIEWEDIT == 167 && IDR_RAW_HOME == 173);
static_assert(IDC_LIST == 1000 && IDC_SEARCH_EDIT == 1002 && IDC_ADD_NEW == 1003 && IDC_VIEW_EDIT == 1004 &&
              IDC_DELETE == 1005 && IDC_HELP_BUTTON == 1006 && IDC_HOME == 1007 && IDC_SEARCH == 1008);
static_assert(ID_TRAY_SHOW_CONTACTS == 32771 && ID_TRAY_ADD_NEW == 32772 && ID_TRAY_HELP == 32773 &&
              ID_TRAY_ABOUT == 32774 && ID_TRAY_TELL_A_FRIEND == 32775 &&
              ID_TRAY_LAUNCH_ON_STARTUP == 32776 && ID_TRAY_EXIT == 32778);
static_assert(IDC_EDIT_HOMEPHONE == 1010 && IDC_EDIT_MOBILE == 1011 && IDC_EDIT_HOMEEMAIL == 1012 &&
              IDC_EDIT_HOMEWWW == 1013 && IDC_EDIT_HOMEADDRESS == 1014 && IDC_EDIT_OFFICEFAX == 1015 &&
              IDC_EDIT_OFFICEEMAIL == 1016 && IDC_EDIT_OFFICEWWW == 1017 && IDC_EDIT_OFFICEADDRESS == 1018 &&
              IDC_EDIT_OFFICEPHONE == 1019 && IDC_EDIT_COMPANY == 1020 && IDC_EDIT_JOBTITLE == 1021 &&
              IDC_EDIT_LASTNAME == 1022 && IDC_EDIT_FIRSTNAME == 1023 && IDC_EDIT_NICKNAME == 1024 &&
              IDC_EDIT_NOTE == 1025);

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

using CGdiObject = CGdiObjectT<HGDIOBJ>;

// The bytes of one resource of this module, or an empty vector when it is missing.
std::vector<BYTE> ResourceBytes(LPCSTR type, int id, WORD language) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceExA(module, type, MAKEINTRESOURCEA(id), language);
    if (!info)
        return {};
    HGLOBAL loaded = LoadResource(module, info);
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data)
        return {};
    return std::vector<BYTE>(data, data + SizeofResource(module, info));
}

// Reads the fields of a DLGTEMPLATEEX in order. Reading past the end yields zeros and sets
// Overran(), so a truncated template fails the checks instead of reading foreign memory.
class CTemplateReader {
public:
    explicit CTemplateReader(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}

    bool Overran() const { return m_bOverran; }

    WORD Word() { return static_cast<WORD>(Read(2)); }
    DWORD Dword() { return static_cast<DWORD>(Read(4)); }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return static_cast<BYTE>(Read(1)); }

    // Items start on DWORD boundaries, counted from the start of the template.
    void AlignToDword() { m_nPos = (m_nPos + 3) & ~size_t(3); }

    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); c != 0 && !m_bOverran; c = Word())
            s += static_cast<wchar_t>(c);
        return s;
    }

    // A name or an ordinal. Ordinals are spelled "#n", and the predefined control classes are
    // given by name, since resource compilers write either form.
    std::wstring NameOrOrdinal() {
        if (PeekWord() != 0xFFFF)
            return String();
        Word();
        WORD ordinal = Word();
        static const wchar_t* const kClasses[] = {L"Button",  L"Edit",      L"Static",
                                                  L"ListBox", L"ScrollBar", L"ComboBox"};
        if (ordinal >= 0x80 && ordinal < 0x80 + 6)
            return kClasses[ordinal - 0x80];
        return L"#" + std::to_wstring(ordinal);
    }

    void Skip(size_t count) {
        if (count > m_bytes.size() - m_nPos)
            m_bOverran = true;
        else
            m_nPos += count;
    }

private:
    WORD PeekWord() const {
        return m_nPos + 2 <= m_bytes.size() ? static_cast<WORD>(m_bytes[m_nPos] | m_bytes[m_nPos + 1] << 8)
                                            : 0;
    }

    unsigned Read(size_t count) {
        if (m_bOverran || count > m_bytes.size() - m_nPos) {
            m_bOverran = true;
            return 0;
        }
        unsigned value = 0;
        for (size_t i = 0; i < count; ++i)
            value |= unsigned(m_bytes[m_nPos + i]) << (8 * i);
        m_nPos += count;
        return value;
    }

    const std::vector<BYTE>& m_bytes;
    size_t m_nPos = 0;
    bool m_bOverran = false;
};

struct DialogItem {
    int nId;
    std::wstring strClass;
    std::wstring strText;
    DWORD dwStyle;
    DWORD dwExStyle;
    short x, y, cx, cy;
};

struct DialogTemplate {
    WORD wVersion = 0, wSignature = 0;
    DWORD dwStyle = 0, dwExStyle = 0;
    WORD nItems = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring strMenu, strClass, strCaption, strFont;
    WORD nPointSize = 0;
    std::vector<DialogItem> items;
    bool bComplete = false;
};

DialogTemplate ParseDialogEx(const std::vector<BYTE>& bytes) {
    CTemplateReader in(bytes);
    DialogTemplate dlg;
    dlg.wVersion = in.Word();
    dlg.wSignature = in.Word();
    in.Dword(); // help id
    dlg.dwExStyle = in.Dword();
    dlg.dwStyle = in.Dword();
    dlg.nItems = in.Word();
    dlg.x = in.Short();
    dlg.y = in.Short();
    dlg.cx = in.Short();
    dlg.cy = in.Short();
    dlg.strMenu = in.NameOrOrdinal();
    dlg.strClass = in.NameOrOrdinal();
    dlg.strCaption = in.String();
    if (dlg.dwStyle & (DS_SETFONT | DS_SHELLFONT)) {
        dlg.nPointSize = in.Word();
        in.Word(); // weight
        in.Byte(); // italic
        in.Byte(); // charset
        dlg.strFont = in.String();
    }
    for (WORD i = 0; i < dlg.nItems && !in.Overran(); ++i) {
        in.AlignToDword();
        DialogItem item;
        in.Dword(); // help id
        item.dwExStyle = in.Dword();
        item.dwStyle = in.Dword();
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.nId = static_cast<int>(in.Dword());
        item.strClass = in.NameOrOrdinal();
        item.strText = in.NameOrOrdinal();
        in.Skip(in.Word()); // creation data
        dlg.items.push_back(item);
    }
    dlg.bComplete = !in.Overran() && dlg.items.size() == dlg.nItems;
    return dlg;
}

// Window class names compare without regard to case, as the window manager does.
bool SameClass(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end());
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;

// A dialog's style, size and caption, in the program's Tahoma 8.
void ExpectHeader(const DialogTemplate& dlg, DWORD dwStyle, short cx, short cy, const wchar_t* pszCaption) {
    EXPECT_EQ(dwStyle, dlg.dwStyle) << std::hex << dlg.dwStyle;
    EXPECT_EQ((std::vector<short>{cx, cy}), (std::vector<short>{dlg.cx, dlg.cy}));
    EXPECT_EQ(pszCaption, dlg.strCaption);
    EXPECT_EQ(L"Tahoma", dlg.strFont);
    EXPECT_EQ(8, dlg.nPointSize);
}

// The controls of a template, each field compared, in order.
void ExpectItems(const std::vector<DialogItem>& want, const std::vector<DialogItem>& got) {
    ASSERT_EQ(want.size(), got.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i) + " (" + Narrow(want[i].strText) + ")");
        EXPECT_EQ(want[i].nId, got[i].nId);
        EXPECT_TRUE(SameClass(want[i].strClass, got[i].strClass)) << Narrow(got[i].strClass);
        EXPECT_EQ(want[i].strText, got[i].strText);
        EXPECT_EQ(want[i].dwStyle, got[i].dwStyle)
            << std::hex << "want 0x" << want[i].dwStyle << ", got 0x" << got[i].dwStyle;
        EXPECT_EQ(want[i].dwExStyle, got[i].dwExStyle);
        EXPECT_EQ((std::vector<short>{want[i].x, want[i].y, want[i].cx, want[i].cy}),
                  (std::vector<short>{got[i].x, got[i].y, got[i].cx, got[i].cy}));
    }
}

const DialogItem kMainWindowItems[] = {
    {-1, L"Static", L"Search for text:", kChild | WS_GROUP, 0, 7, 7, 86, 10},
    {IDC_SEARCH_EDIT, L"Edit", L"", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_WANTRETURN, 0, 7,
     19, 115, 15},
    {IDC_SEARCH, L"Button", L"", kChild | BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 0, 127, 7, 37, 34},
    {IDC_ADD_NEW, L"Button", L"Add New", kChild | BS_OWNERDRAW | WS_TABSTOP, 0, 168, 7, 37, 34},
    {IDC_VIEW_EDIT, L"Button", L"View/Edit", kChild | WS_TABSTOP, 0, 208, 7, 37, 34},
    {IDC_DELETE, L"Button", L"Delete", kChild | WS_TABSTOP, 0, 248, 7, 37, 34},
    {IDC_HELP_BUTTON, L"Button", L"Help", kChild | WS_TABSTOP, 0, 288, 7, 37, 34},
    {IDOK, L"Button", L"Exit", kChild | WS_TABSTOP, 0, 328, 7, 37, 34},
    {IDC_HOME, L"Button", L"Home", kChild | WS_TABSTOP, 0, 368, 7, 37, 34},
    {IDC_LIST, L"SysListView32", L"List1", kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
     0, 7, 100, 498, 220},
};

} // namespace

TEST(ResourceTest, MenusHoldCommandsInOrderWithSeparators) {
    struct Expected {
        UINT nId; // 0 for a separator
        const char* pszText;
    };
    const std::vector<Expected> trayMenu = {
        {ID_TRAY_SHOW_CONTACTS, "Show Contacts"},
        {ID_TRAY_ADD_NEW, "Add New Contact"},
        {ID_IMPORT, "Import Contacts..."},
        {ID_EXPORT, "Export Contacts..."},
        {ID_FIND_DUPLICATES, "Find Duplicates..."},
        {ID_UPCOMING_BIRTHDAYS, "Upcoming Birthdays..."},
        {ID_SYNC_SETTINGS, "Synchronisation..."},
        {ID_SYNC_NOW, "Synchronise Now"},
        {0, nullptr},
        {ID_TRAY_HELP, "Help"},
        {ID_TRAY_ABOUT, "About Program"},
        {ID_TRAY_TELL_A_FRIEND, "Tell a friend"},
        {0, nullptr},
        {ID_TRAY_BIRTHDAY_REMINDERS, "Birthday Reminders"},
        {ID_TRAY_LAUNCH_ON_STARTUP, "Launch on Startup"},
        {ID_TRAY_EXIT, "Exit"},
    };
    const std::vector<Expected> listMenu = {
        {ID_SEND_EMAIL, "Send &E-mail"},
        {ID_OPEN_WEB_PAGE, "Open &Web Page"},
        {ID_CALL, "C&all"},
        {0, nullptr},
        {ID_COPY, "&Copy\tCtrl+C"},
        {ID_UNDO, "&Undo\tCtrl+Z"},
        {0, nullptr},
        {ID_ADD_TO_NEW_GROUP, "Add to &Group"}, // a submenu: its command is the one it holds
        {ID_REMOVE_FROM_GROUP, "&Remove from Group"},
        {ID_MANAGE_GROUPS, "Manage Gr&oups..."},
        {0, nullptr},
        {ID_FIND_DUPLICATES, "Find &Duplicates..."},
        {ID_MERGE_SELECTED, "&Merge Selected"},
        {ID_TIDY_NOTES, "&Tidy Notes"},
        {ID_UPCOMING_BIRTHDAYS, "Upcoming &Birthdays..."},
        {ID_BIRTHDAY_COLUMN, "Birthday Co&lumn"},
        {0, nullptr},
        {ID_IMPORT, "&Import Contacts...\tCtrl+O"},
        {ID_EXPORT, "E&xport Contacts...\tCtrl+E"},
        {0, nullptr},
        {ID_SYNC_SETTINGS, "&Synchronisation..."},
        {ID_SYNC_NOW, "Synchronise &Now\tF5"},
    };
    for (const auto& [nMenu, expected] :
         {std::make_pair(IDR_TRAY_MENU, trayMenu), std::make_pair(IDR_LIST_MENU, listMenu)}) {
        SCOPED_TRACE("menu " + std::to_string(nMenu));
        CMenu menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nMenu)));
        ASSERT_TRUE(menu);
        ASSERT_EQ(1, GetMenuItemCount(menu.Get()));
        HMENU popup = GetSubMenu(menu.Get(), 0);
        ASSERT_NE(nullptr, popup);
        ASSERT_EQ(int(expected.size()), GetMenuItemCount(popup));
        for (UINT i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE("position " + std::to_string(i));
            char text[64] = {};
            MENUITEMINFOA info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
            info.dwTypeData = text;
            info.cch = sizeof(text);
            ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &info));
            if (!expected[i].pszText) {
                EXPECT_TRUE(info.fType & MFT_SEPARATOR);
                continue;
            }
            EXPECT_FALSE(info.fType & MFT_SEPARATOR);
            HMENU hSubmenu = GetSubMenu(popup, static_cast<int>(i));
            EXPECT_EQ(expected[i].nId, hSubmenu ? GetMenuItemID(hSubmenu, 0) : info.wID);
            EXPECT_STREQ(expected[i].pszText, text);
            // The default item is chosen at run time, never by the resource.
            EXPECT_FALSE(info.fState & MFS_DEFAULT);
        }
    }
}

TEST(ResourceTest, OleFailureMessageIsExact) {
    char text[256] = {};
    int length = LoadStringA(GetModuleHandleA(nullptr), IDP_OLE_INIT_FAILED, text, sizeof(text));
    EXPECT_STREQ("OLE initialization failed.  Make sure that the OLE libraries are the correct version.",
                 text);
    EXPECT_EQ(int(std::strlen(text)), length);
}

// Every small and large icon size Windows asks for from 100% to 250%, and 256 pixels (0 in the
// directory) for the window's icon in large views.
TEST(ResourceTest, IconsHoldEverySizeTheScalesAskForIn32Bits) {
    const std::vector<int> kSizes = {16, 20, 24, 28, 32, 40, 48, 64};
    for (int id : {IDR_MAINFRAME, IDI_TRAY}) {
        SCOPED_TRACE("icon " + std::to_string(id));
        std::vector<BYTE> group = ResourceBytes(RT_GROUP_ICON, id, kEnglishUs);
        // GRPICONDIR: three WORDs, then 14-byte entries.
        ASSERT_GE(group.size(), 6u);
        WORD count = WORD(group[4] | group[5] << 8);
        ASSERT_EQ(6u + 14u * count, group.size());
        std::vector<int> sizes;
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = group.data() + 6 + 14 * i;
            EXPECT_EQ(entry[0], entry[1]) << "square";
            EXPECT_EQ(32, entry[6] | entry[7] << 8) << "bits per pixel";
            sizes.push_back(entry[0] ? entry[0] : 256);
        }
        std::vector<int> expected = kSizes;
        if (id == IDR_MAINFRAME)
            expected.push_back(256);
        EXPECT_EQ(expected, sizes);
        EXPECT_NE(nullptr, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
        // The 256-pixel image is a PNG inside the icon: the system must still make an icon of it.
        if (id == IDR_MAINFRAME) {
            CIcon big(static_cast<HICON>(
                LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 256, 256, LR_DEFAULTCOLOR)));
            EXPECT_TRUE(big);
        }
    }
}

TEST(ResourceTest, TrayIconLoadsAtSmallIconSize) {
    CIcon icon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY),
                                               IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(icon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
    CGdiObject color(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap = {};
    ASSERT_TRUE(color);
    ASSERT_NE(0, GetObjectA(color.GetSafeHandle(), sizeof(bitmap), &bitmap));
    EXPECT_EQ(16, bitmap.bmWidth);
    EXPECT_EQ(16, bitmap.bmHeight);
}

namespace {

// What a red, green, blue pixel of a strip looks like, summed over a state image weighted by
// each pixel's alpha.
int Brightness(const BYTE* p) {
    return p[0] + p[1] + p[2];
}
int Colourfulness(const BYTE* p) {
    return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
}
long long Visible(const BYTE* pState, size_t nBytes, int (*measure)(const BYTE*)) {
    long long nSum = 0;
    for (size_t i = 0; i < nBytes; i += 4)
        nSum += static_cast<long long>(measure(pState + i)) * pState[i + 3];
    return nSum;
}

} // namespace

// The tool bar's image strips, found by name and type the way the buttons find them.
TEST(ResourceTest, ImageStripsHoldFourStatesWithSoftEdgesAndTheirLooks) {
    const int kStateWidth = 55, kStateHeight = 55, kStates = 4;
    const size_t kStateBytes = size_t(kStateWidth) * kStateHeight * 4;
    for (int id : {IDR_RAW_ADDNEW, IDR_RAW_DELETE, IDR_RAW_EXIT, IDR_RAW_HELP, IDR_RAW_SEARCH,
                   IDR_RAW_VIEWEDIT, IDR_RAW_HOME}) {
        const std::string strName = "#" + std::to_string(id);
        SCOPED_TRACE("strip " + strName);
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC info = FindResourceA(module, strName.c_str(), "RAW");
        ASSERT_NE(nullptr, info);
        ASSERT_EQ(kStateBytes * kStates, SizeofResource(module, info));
        const BYTE* pBytes = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
        ASSERT_NE(nullptr, pBytes);

        // normal, pressed, hover, disabled
        for (int k = 0; k < kStates; ++k) {
            SCOPED_TRACE("state " + std::to_string(k));
            int nOpaque = 0, nClear = 0, nSoft = 0;
            for (size_t i = 0; i < kStateBytes; i += 4) {
                BYTE alpha = pBytes[k * kStateBytes + i + 3];
                nOpaque += alpha == 255;
                nClear += alpha == 0;
                nSoft += alpha != 0 && alpha != 255;
            }
            EXPECT_GT(nOpaque, 0);
            EXPECT_GT(nClear, 0);
            EXPECT_GT(nSoft, 0) << "hard edges";
        }
        const BYTE* pNormal = pBytes;
        const BYTE* pPressed = pBytes + kStateBytes;
        const BYTE* pHover = pBytes + 2 * kStateBytes;
        const BYTE* pDisabled = pBytes + 3 * kStateBytes;
        EXPECT_GT(Visible(pHover, kStateBytes, Brightness), Visible(pNormal, kStateBytes, Brightness))
            << "hover not brighter";
        EXPECT_LT(Visible(pDisabled, kStateBytes, Colourfulness),
                  Visible(pNormal, kStateBytes, Colourfulness))
            << "disabled not greyer";
        // The maker's emblem does not change when pressed; every other button fades.
        if (id == IDR_RAW_HOME)
            EXPECT_EQ(0, std::memcmp(pNormal, pPressed, kStateBytes));
        else
            EXPECT_LT(Visible(pPressed, kStateBytes, Colourfulness),
                      Visible(pNormal, kStateBytes, Colourfulness))
                << "pressed not greyer";
    }
}

TEST(ResourceTest, SearchBitmapsAre53PixelMagnifiersOnTheTransparentColour) {
    const COLORREF kTransparent = RGB(0xC0, 0xC0, 0xC0);
    std::vector<std::vector<COLORREF>> pictures;
    for (int id : {IDB_SEARCH_DOWN, IDB_SEARCH_UP}) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        CGdiObject bitmap(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
        ASSERT_TRUE(bitmap);
        BITMAP info = {};
        ASSERT_NE(0, GetObjectA(bitmap.GetSafeHandle(), sizeof(info), &info));
        ASSERT_EQ(53, info.bmWidth);
        ASSERT_EQ(53, info.bmHeight);

        HDC dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(nullptr, dc);
        HGDIOBJ old = SelectObject(dc, bitmap.GetSafeHandle());
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 53; ++y)
            for (int x = 0; x < 53; ++x)
                pixels.push_back(GetPixel(dc, x, y));
        SelectObject(dc, old);
        DeleteDC(dc);

        // The border stays clear, so the button's bevel shows around the picture.
        for (int i = 0; i < 53; ++i) {
            EXPECT_EQ(kTransparent, pixels[i]);
            EXPECT_EQ(kTransparent, pixels[52 * 53 + i]);
            EXPECT_EQ(kTransparent, pixels[i * 53]);
            EXPECT_EQ(kTransparent, pixels[i * 53 + 52]);
        }
        size_t nDrawn = 0;
        for (COLORREF c : pixels)
            nDrawn += c != kTransparent;
        EXPECT_GT(nDrawn, pixels.size() / 8) << "hardly anything drawn";
        pictures.push_back(pixels);
    }
    EXPECT_NE(pictures[0], pictures[1]) << "down and up look the same";
}

TEST(ResourceTest, AboutPictureIs64PixelsSquare) {
    CGdiObject bitmap(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT), IMAGE_BITMAP, 0, 0,
                             LR_DEFAULTCOLOR));
    ASSERT_TRUE(bitmap);
    BITMAP info = {};
    ASSERT_NE(0, GetObjectA(bitmap.GetSafeHandle(), sizeof(info), &info));
    EXPECT_EQ(64, info.bmWidth);
    EXPECT_EQ(64, info.bmHeight);
}

namespace {

// A bitmap's pixels as 0x00RRGGBB, rows top to bottom, and its side.
std::vector<uint32_t> BitmapPixels(HBITMAP hBitmap, int* pnSide) {
    BITMAP info = {};
    if (!hBitmap || !GetObjectA(hBitmap, sizeof info, &info) || info.bmWidth != info.bmHeight)
        return {};
    *pnSide = info.bmWidth;
    BITMAPINFO header = {};
    header.bmiHeader = {sizeof(BITMAPINFOHEADER), info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(size_t(info.bmWidth) * size_t(info.bmHeight));
    HDC hScreen = GetDC(nullptr);
    GetDIBits(hScreen, hBitmap, 0, UINT(info.bmHeight), pixels.data(), &header, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hScreen);
    for (uint32_t& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

} // namespace

// Every picture for every scale and both faces is there and decodes to the size the window shows:
// the strips with their captions laid over (light and dark captions differing, the balls of the
// normal state alike), the toggle's pictures with their transparent border kept even when
// resampled, and the About picture on its light or dark panel.
TEST(ResourceTest, PicturesLoadForEveryScaleAndFace) {
    const HMODULE hModule = GetModuleHandleA(nullptr);
    const UINT kStrips[] = {IDR_RAW_ADDNEW, IDR_RAW_DELETE, IDR_RAW_EXIT, IDR_RAW_HELP, IDR_RAW_VIEWEDIT, IDR_RAW_HOME};
    const uint32_t kKey = 0xC0C0C0;
    for (int nDpi : {96, 120, 144, 168, 192, 240, 288}) {
        SCOPED_TRACE(std::to_string(nDpi) + " dpi");
        const int nSide = ChooseArt(55, nDpi).nSide;
        for (UINT nStrip : kStrips) {
            SCOPED_TRACE("strip " + std::to_string(nStrip));
            CArtPixels light, dark;
            ASSERT_TRUE(LoadToolStrip(hModule, nStrip, nDpi, false, light));
            ASSERT_TRUE(LoadToolStrip(hModule, nStrip, nDpi, true, dark));
            for (const CArtPixels* pStrip : {&light, &dark}) {
                EXPECT_EQ(nSide, pStrip->nWidth);
                EXPECT_EQ(nSide * 4, pStrip->nHeight);
                ASSERT_EQ(size_t(nSide) * nSide * 16, pStrip->rgba.size());
            }
            // Above 70% of the side the captions, below them the ball.
            const size_t nBall = size_t(nSide) * (nSide * 7 / 10) * 4, nState = size_t(nSide) * nSide * 4;
            EXPECT_TRUE(std::equal(light.rgba.begin(), light.rgba.begin() + nBall, dark.rgba.begin()));
            EXPECT_FALSE(
                std::equal(light.rgba.begin() + nBall, light.rgba.begin() + nState, dark.rgba.begin() + nBall));
            EXPECT_FALSE(std::equal(light.rgba.begin() + 3 * nState, light.rgba.end(), dark.rgba.begin() + 3 * nState))
                << "disabled alike";
            // The maker's emblem does not change when pressed, at any size.
            for (const CArtPixels* pStrip : {&light, &dark}) {
                const bool bSame =
                    std::equal(pStrip->rgba.begin(), pStrip->rgba.begin() + nState, pStrip->rgba.begin() + nState);
                EXPECT_EQ(nStrip == IDR_RAW_HOME, bSame) << "pressed and normal";
            }
        }
        for (UINT nBitmap : {IDB_SEARCH_UP, IDB_SEARCH_DOWN, IDB_ABOUT}) {
            SCOPED_TRACE("bitmap " + std::to_string(nBitmap));
            const bool bToggle = nBitmap != IDB_ABOUT;
            const int nExpected = ChooseArt(bToggle ? 53 : 64, nDpi).nSide;
            std::vector<uint32_t> faces[2];
            for (bool bDark : {false, true}) {
                const COLORREF key = bToggle ? RGB(192, 192, 192) : CLR_INVALID;
                CGdiObject bitmap(LoadArtBitmap(hModule, nBitmap, nDpi, bDark, key));
                int nGot = 0;
                faces[bDark] = BitmapPixels(static_cast<HBITMAP>(bitmap.GetSafeHandle()), &nGot);
                ASSERT_EQ(nExpected, nGot);
                if (bToggle) {
                    const std::vector<uint32_t>& p = faces[bDark];
                    EXPECT_EQ(kKey, p.front());
                    EXPECT_EQ(kKey, p.back());
                    EXPECT_LT(std::count(p.begin(), p.end(), kKey), std::ptrdiff_t(p.size()) * 7 / 8);
                }
            }
            EXPECT_NE(faces[0], faces[1]) << "the same on both faces";
        }
    }
    // The 100% strip for the light face is the one the program always had.
    CArtPixels strip;
    ASSERT_TRUE(LoadToolStrip(hModule, IDR_RAW_HOME, 96, false, strip));
    EXPECT_EQ(ResourceBytes("RAW", IDR_RAW_HOME, kEnglishUs), std::vector<BYTE>(strip.rgba.begin(), strip.rgba.end()));
    // A picture that is not there is no picture, and leaves what the caller had.
    EXPECT_FALSE(DecodePngResource(hModule, ArtResourceId(IDR_RAW_SEARCH, 1, kArtLayerPicture), strip));
    EXPECT_FALSE(LoadToolStrip(hModule, 9999, 144, false, strip));
    EXPECT_EQ(55, strip.nWidth);
    EXPECT_EQ(nullptr, LoadArtBitmap(hModule, 9999, 144, false));
}

TEST(ResourceTest, MainWindowTemplateHeaderGivesStyleSizeCaptionAndFont) {
    std::vector<BYTE> bytes = ResourceBytes(RT_DIALOG, IDD_TBOOK_DIALOG, kEnglishUs);
    ASSERT_FALSE(bytes.empty()) << "dialog missing, or not in U.S. English";
    DialogTemplate dlg = ParseDialogEx(bytes);
    ASSERT_TRUE(dlg.bComplete);
    EXPECT_EQ(1, dlg.wVersion);
    EXPECT_EQ(0xFFFF, dlg.wSignature) << "not a DIALOGEX";
    // Hidden until the program has restored the window's placement: no WS_VISIBLE.
    EXPECT_EQ(DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                    DS_SETFONT),
              dlg.dwStyle);
    EXPECT_EQ(DWORD(WS_EX_APPWINDOW | WS_EX_NOPARENTNOTIFY), dlg.dwExStyle);
    EXPECT_EQ(10, dlg.nItems);
    EXPECT_EQ(0, dlg.x);
    EXPECT_EQ(0, dlg.y);
    EXPECT_EQ(512, dlg.cx);
    EXPECT_EQ(327, dlg.cy);
    EXPECT_EQ(L"", dlg.strMenu);
    EXPECT_EQ(L"", dlg.strClass);
    EXPECT_EQ(L"Tovano Address Book - List View", dlg.strCaption);
    EXPECT_EQ(L"Tahoma", dlg.strFont);
    EXPECT_EQ(8, dlg.nPointSize);
}

TEST(ResourceTest, MainWindowControlsHaveExactIdsClassesStylesAndRectangles) {
    DialogTemplate dlg = ParseDialogEx(ResourceBytes(RT_DIALOG, IDD_TBOOK_DIALOG, kEnglishUs));
    ASSERT_TRUE(dlg.bComplete);
    ExpectItems(std::vector<DialogItem>(std::begin(kMainWindowItems), std::end(kMainWindowItems)), dlg.items);
}

TEST(ResourceTest, MainWindowTemplateCreatesEveryControlHidden) {
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    DLGPROC ignore = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
    CWindowHandle dialog(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TBOOK_DIALOG),
                                        nullptr, ignore, 0));
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(IsWindowVisible(dialog.Get()));
    for (const DialogItem& item : kMainWindowItems) {
        if (item.nId == -1)
            continue;
        SCOPED_TRACE(Narrow(item.strText));
        HWND control = GetDlgItem(dialog.Get(), item.nId);
        ASSERT_NE(nullptr, control);
        wchar_t name[64] = {};
        ASSERT_NE(0, GetClassNameW(control, name, int(std::size(name))));
        EXPECT_TRUE(SameClass(item.strClass, name)) << Narrow(name);
    }
}

// What binds in the two dialogs beside the main window: the header, and every control with an id
// in template order (the focus follows it) with its text, the maker's names put together from
// MakerNames.h among them. Labels and group boxes may sit anywhere.
TEST(ResourceTest, EditorAndAboutTemplatesHaveTheirControlsInOrder) {
    const struct {
        WORD nTemplate;
        DWORD dwStyle;
        short cx, cy;
        const wchar_t* pszCaption;
        std::vector<std::pair<int, std::wstring>> controls;
    } dialogs[] = {
        {IDD_CONTACT, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_SETFONT, 560, 306,
         L"Tovano Address Book - Single Contact View",
         {{IDC_EDIT_LASTNAME, L""}, {IDC_EDIT_FIRSTNAME, L""}, {IDC_EDIT_NICKNAME, L""}, {IDC_EDIT_COMPANY, L""},
          {IDC_EDIT_JOBTITLE, L""}, {IDC_EDIT_HOMEPHONE, L""}, {IDC_EDIT_MOBILE, L""}, {IDC_EDIT_HOMEEMAIL, L""},
          {IDC_EDIT_HOMEWWW, L""}, {IDC_EDIT_HOMEADDRESS, L""}, {IDC_EDIT_OFFICEPHONE, L""},
          {IDC_EDIT_OFFICEFAX, L""}, {IDC_EDIT_OFFICEEMAIL, L""}, {IDC_EDIT_OFFICEWWW, L""},
          {IDC_EDIT_OFFICEADDRESS, L""}, {IDC_EDIT_NOTE, L""}, {IDC_PHOTO, L""},
          {IDC_PHOTO_CHOOSE, L"Ch&oose..."}, {IDC_PHOTO_REMOVE, L"Remo&ve"}, {IDC_VALUE_LIST, L"More values"},
          {IDC_VALUE_ADD, L"&Add..."}, {IDC_VALUE_EDIT, L"&Edit..."}, {IDC_VALUE_REMOVE, L"&Remove"},
          {IDOK, L"Save"}, {IDC_DELETE, L"Delete"}, {IDCANCEL, L"Close"}}},
        {IDD_ABOUTBOX, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 249, 206,
         L"About Tovano Address Book",
         {{IDC_ABOUT_PRODUCT, L"Tovano Address Book"}, {IDC_ABOUT_VERSION, L"Version"},
          {IDC_ABOUT_MAKER, L"TovanoSoft"},
          {IDC_SUPPORT_ADDRESS, L"Technical Support Address: support@tovano.example"},
          {IDC_SUPPORT_MAIL, L"Compose New Mail Message"},
          {IDC_HOME_PAGE_ADDRESS, L"Program Homepage URL: http://tovano.example/tbook/index.html"},
          {IDC_OPEN_HOME_PAGE, L"Open in New Browser Window"}, {IDC_TELL_A_FRIEND, L"Tell a friend"},
          {IDC_MORE_PROGRAMS, L"Visit TovanoSoft for More Software"}}},
    };
    for (const auto& want : dialogs) {
        SCOPED_TRACE(Narrow(want.pszCaption));
        DialogTemplate dlg = ParseDialogEx(ResourceBytes(RT_DIALOG, want.nTemplate, kEnglishUs));
        ASSERT_TRUE(dlg.bComplete);
        ExpectHeader(dlg, want.dwStyle, want.cx, want.cy, want.pszCaption);
        std::vector<std::pair<int, std::wstring>> controls;
        for (const DialogItem& item : dlg.items) {
            if (item.nId != -1) {
                controls.emplace_back(item.nId, item.strText);
            }
        }
        EXPECT_EQ(want.controls, controls);
    }
}

TEST(ResourceTest, ManifestAsksForCommonControls6AndNoElevation) {
    std::vector<BYTE> bytes = ResourceBytes(RT_MANIFEST, 1, kEnglishUs);
    ASSERT_FALSE(bytes.empty());
    std::string manifest(bytes.begin(), bytes.end());
    size_t dependency = manifest.find("<dependentAssembly>");
    ASSERT_NE(std::string::npos, dependency);
    std::string identity =
        manifest.substr(dependency, manifest.find("</dependentAssembly>", dependency) - dependency);
    EXPECT_NE(std::string::npos, identity.find("name=\"Microsoft.Windows.Common-Controls\""));
    EXPECT_NE(std::string::npos, identity.find("version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, identity.find("publicKeyToken=\"6595b64144ccf1df\""));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
    // Every window lays itself out for its screen's scaling, and again on another screen.
    EXPECT_NE(std::string::npos, manifest.find(">PerMonitorV2, PerMonitor<"));
    EXPECT_NE(std::string::npos, manifest.find(">true/pm<"));
}

TEST(ResourceTest, ManifestMakesTheProgramLoadCommonControls6) {
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(nullptr, comctl);
    char path[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameA(comctl, path, sizeof(path)));
    // Version 6 lives only in the side-by-side store; without the dependency the loader takes
    // version 5 from the system folder. DllGetVersion cannot tell them apart under Wine.
    std::string lower(path);
    for (char& c : lower)
        c = char(tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(std::string::npos, lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6.")) << path;
}
