#include <gtest/gtest.h>
#include <windows.h>

// The case tables of the other tests assume the environment pins this code page.
TEST(CodePageTest, TestEnvironmentUsesCodePage1252) { EXPECT_EQ(1252u, GetACP()); }
