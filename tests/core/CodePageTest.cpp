#include "framework/core/CodePage.h"

#include <gtest/gtest.h>

namespace {

// Windows-1252 case pairs, written out independently of the code under test.
int ExpectedLower(int c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

int ExpectedUpper(int c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return c - 0x20;
    }
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

} // namespace

TEST(CodePageTest, EveryByteMapsAsWindows1252) {
    for (int c = 0; c < 256; ++c) {
        char lower = static_cast<char>(c);
        char upper = static_cast<char>(c);
        AnsiLowerBuffer(&lower, 1);
        AnsiUpperBuffer(&upper, 1);
        EXPECT_EQ(ExpectedLower(c), static_cast<unsigned char>(lower)) << "byte " << c;
        EXPECT_EQ(ExpectedUpper(c), static_cast<unsigned char>(upper)) << "byte " << c;
    }
}

TEST(CodePageTest, ComparisonIsByteWiseUnsigned) {
    EXPECT_LT(MbsCompare("", "a"), 0);
    EXPECT_LT(MbsCompare("Z", "a"), 0);
    EXPECT_LT(MbsCompare("zz", "\xE9"), 0);
    EXPECT_GT(MbsCompare("\xFF", "\x80"), 0);
    EXPECT_EQ(0, MbsCompare("same", "same"));
}
