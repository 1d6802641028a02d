#include <gtest/gtest.h>
#include <windows.h>

// Old books in the tests are written in Windows-1252: the environment pins that code page.
TEST(CodePageTest, TestEnvironmentUsesCodePage1252) { EXPECT_EQ(1252u, GetACP()); }
