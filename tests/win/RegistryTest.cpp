#include "MainWindowTestSupport.h"

namespace {

const char kPath[] = "Software\\TovanoSoft\\Tovano Address Book\\1.0\\Settings";

void SetRaw(const char* pszName, DWORD dwType, const void* pData, DWORD dwSize) {
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               &hKey, nullptr));
    ::RegSetValueExA(hKey, pszName, 0, dwType, static_cast<const BYTE*>(pData), dwSize);
    ::RegCloseKey(hKey);
}

using RegistryTest = MainWindowTest;

} // namespace

TEST_F(RegistryTest, NumbersOfTheWrongSizeGiveTheDefault) {
    const DWORD dwFour = 77;
    const WORD wTwo = 0x1234;
    const unsigned long long nEight = 0x0102030405060708ull;
    SetRaw("Four", REG_DWORD, &dwFour, sizeof dwFour);
    SetRaw("Two", REG_BINARY, &wTwo, sizeof wTwo);
    SetRaw("Eight", REG_QWORD, &nEight, sizeof nEight);
    CRegistry registry;
    EXPECT_EQ(0, registry.ReadInt("Four", 5)); // no key chosen yet
    registry.SetKey(HKEY_CURRENT_USER, kPath);
    EXPECT_EQ(77, registry.ReadInt("Four", 5));
    EXPECT_EQ(5, registry.ReadInt("Two", 5));
    EXPECT_EQ(5, registry.ReadInt("Eight", 5));
    EXPECT_EQ(5, registry.ReadInt("Missing", 5));
    registry.SetKey(HKEY_CURRENT_USER, "Software\\NoSuchKey");
    EXPECT_EQ(-3, registry.ReadInt("Four", -3));
}

TEST_F(RegistryTest, OnlyANumberReadsAsANumberAndOnlyATextAsAText) {
    const DWORD dwNumber = 12;
    SetRaw("Text", REG_SZ, "abc", 4);
    SetRaw("Binary", REG_BINARY, "abcd", 4);
    SetRaw("Number", REG_DWORD, &dwNumber, sizeof dwNumber);
    CRegistry registry;
    registry.SetKey(HKEY_CURRENT_USER, kPath);
    EXPECT_EQ(5, registry.ReadInt("Text", 5));
    EXPECT_EQ(5, registry.ReadInt("Binary", 5));
    EXPECT_EQ("NULL", registry.ReadString("Number", "NULL"));
    EXPECT_EQ("NULL", registry.ReadString("Binary", "NULL"));
}

TEST_F(RegistryTest, AbsurdSettingsGiveASaneWindow) {
    const DWORD dwFarAway = 32767;
    const DWORD dwWide = 6513249;
    for (const char* pszSide : {"WindowLeft", "WindowTop"}) {
        SetRaw(pszSide, REG_DWORD, &dwFarAway, sizeof dwFarAway);
    }
    SetRaw("WindowRight", REG_SZ, "abc", 4);
    SetRaw("LastNameWidth", REG_DWORD, &dwWide, sizeof dwWide);
    SetRaw("CompanyWidth", REG_BINARY, "abcd", 4);
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            RECT window;
            dlg.GetWindowRect(&window);
            EXPECT_LT(window.left, 1024); // on the screen, not at 32767
            EXPECT_LT(window.top, 700);
            EXPECT_EQ(100, dlg.List().GetColumnWidth(0));
            EXPECT_EQ(100, dlg.List().GetColumnWidth(5));
        })
        .RunModal(dlg);
}

TEST_F(RegistryTest, TextsEndEvenWithoutTheirZero) {
    SetRaw("Unterminated", REG_SZ, "abc", 3);
    SetRaw("Inner", REG_SZ, "ab\0cd", 6);
    SetRaw("Empty", REG_SZ, "", 1);
    CRegistry registry;
    EXPECT_EQ("", registry.ReadString("Unterminated", "x")); // no key chosen yet
    registry.SetKey(HKEY_CURRENT_USER, kPath);
    EXPECT_EQ("abc", registry.ReadString("Unterminated", "x"));
    EXPECT_EQ("ab", registry.ReadString("Inner", "x"));
    EXPECT_EQ("", registry.ReadString("Empty", "x"));
    EXPECT_EQ("NULL", registry.ReadString("Missing", "NULL"));
}

TEST_F(RegistryTest, WritesCreateTheKeyAndDeletesReportMissingValues) {
    CRegistry registry;
    EXPECT_TRUE(registry.WriteInt(HKEY_CURRENT_USER, "Software\\TBookNew\\Deep", "N", -7));
    EXPECT_TRUE(registry.WriteString(HKEY_CURRENT_USER, "Software\\TBookNew\\Deep", "S", "text"));
    registry.SetKey(HKEY_CURRENT_USER, "Software\\TBookNew\\Deep");
    EXPECT_EQ(-7, registry.ReadInt("N", 0));
    EXPECT_EQ("text", registry.ReadString("S", ""));
    EXPECT_TRUE(registry.DeleteValue(HKEY_CURRENT_USER, "Software\\TBookNew\\Deep", "S"));
    EXPECT_FALSE(registry.DeleteValue(HKEY_CURRENT_USER, "Software\\TBookNew\\Deep", "S"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.GetLastStatus());
    EXPECT_FALSE(registry.DeleteValue(HKEY_CURRENT_USER, "Software\\TBookMissing", "S"));
}
