#include "framework/core/CodePage.h"
#include "framework/core/String.h"
#include "framework/core/Unicode.h"

#include <gtest/gtest.h>

#include <string>

// One mapping of case for every script, the same in both builds; bytes that are no UTF-8 keep
// their place and their value.
TEST(UnicodeTest, CaseMapsEveryScriptCharacterByCharacter) {
    const struct {
        const char* pszUpper;
        const char* pszLower;
    } pairs[] = {
        {"SMITH & SONS", "smith & sons"},
        {"\xC5\x81UKASZ \xC5\xBB\xC3\x93\xC5\x81\xC4\x86", "\xC5\x82ukasz \xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"}, // ŁUKASZ ŻÓŁĆ
        {"\xC3\x89MILE", "\xC3\xA9mile"},                                                                       // ÉMILE
        {"\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8A\xCE\x91", "\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1"},             // ΣΟΦΊΑ
        {"\xD0\x94\xD0\x9C\xD0\x98\xD0\xA2\xD0\xA0\xD0\x98\xD0\x99",
         "\xD0\xB4\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9"}, // ДМИТРИЙ
        {"\xC5\xB8 \xC5\x92 \xC5\xA0", "\xC3\xBF \xC5\x93 \xC5\xA1"},  // Ÿ Œ Š, the letters Windows-1252 keeps high
        {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8"},                      // Deseret, outside the Basic Multilingual Plane
        {"\xE9\x99\xB3 \xF0\x9F\x98\x80", "\xE9\x99\xB3 \xF0\x9F\x98\x80"}, // no case
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.pszUpper);
        EXPECT_EQ(pair.pszLower, LowerUtf8(pair.pszUpper));
        EXPECT_EQ(pair.pszUpper, UpperUtf8(pair.pszLower));
        EXPECT_EQ(pair.pszLower, CString(pair.pszUpper).MakeLower().GetStdString());
    }
    EXPECT_EQ("i", LowerUtf8("\xC4\xB0"));                       // İ: one character, simply
    EXPECT_EQ("a\xC3\x28\xFFz", LowerUtf8("A\xC3\x28\xFFZ"));  // a cut sequence and a stray byte stay
    // Eight ASCII bytes at a time, with the characters next to the letters, which stay.
    EXPECT_EQ("@az[`az{ abcdefgh~\xC3\xA9z", LowerUtf8("@AZ[`az{ ABCDEFGH~\xC3\x89Z"));
    EXPECT_EQ("@AZ[`AZ{ ABCDEFGH~\xC3\x89Z", UpperUtf8("@AZ[`az{ abcdefgh~\xC3\xA9z"));
}

TEST(UnicodeTest, DecodingRefusesWhatIsNoUtf8) {
    const struct {
        std::string strBytes;
        bool bValid;
    } cases[] = {
        {"plain", true},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", true}, // é € 😀
        {"\x80", false},                                // a stray continuation byte
        {"\xC3", false},                                // cut short
        {"\xE2\x82", false},
        {"\xC0\xAF", false}, // overlong
        {"\xE0\x80\xAF", false},
        {"\xED\xA0\x80", false},                          // a surrogate
        {"\xF4\x90\x80\x80", false},                      // beyond U+10FFFF
        {"\xE9t\xE9", false},                             // Windows-1252
        {"longer than eight bytes, then \xC3\xA9", true}, // read eight at a time up to the letter
        {"longer than eight bytes, then \xE9t", false},
        {"ab\xE9t and long after it", false},
        {"ab\xE9"
         "12345678",
         false}, // just before eight ASCII bytes that end the text
        {"\xE2\x82"
         "12345678",
         false},
        {"\xC3\xA9"
         "12345678",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strBytes);
        EXPECT_EQ(c.bValid, IsValidUtf8(c.strBytes));
    }
    std::string strOut;
    for (unsigned nCodePoint : {0x41u, 0xE9u, 0x20ACu, 0x1F600u, 0x10FFFFu}) {
        strOut.clear();
        AppendUtf8(strOut, nCodePoint);
        size_t i = 0;
        EXPECT_EQ(nCodePoint, DecodeUtf8(strOut, i));
        EXPECT_EQ(strOut.size(), i);
    }
}

// Every byte of Windows-1252 is a character, and comes back from it.
TEST(CodePageTest, Windows1252IsReadByteForByte) {
    std::string strAll;
    for (int c = 1; c < 256; ++c) {
        strAll += static_cast<char>(c);
    }
    std::string strUtf8;
    ASSERT_TRUE(CodePageToUtf8(strAll, kCodePage1252, strUtf8));
    ASSERT_TRUE(IsValidUtf8(strUtf8));
    size_t i = 0;
    for (int c = 1; c < 256; ++c) {
        EXPECT_EQ(Cp1252CodePoint(static_cast<unsigned char>(c)), DecodeUtf8(strUtf8, i)) << c;
    }
    EXPECT_EQ(0x20ACu, Cp1252CodePoint(0x80));  // the euro sign
    EXPECT_EQ(0x0178u, Cp1252CodePoint(0x9F));  // Y with diaeresis
    EXPECT_EQ(0x00E9u, Cp1252CodePoint(0xE9));
    EXPECT_EQ(kCodePage1252, SystemLegacyCodePage()); // the test environment's code page
}

TEST(CodePageTest, ComparisonIsByteWiseUnsigned) {
    EXPECT_LT(MbsCompare("", "a"), 0);
    EXPECT_LT(MbsCompare("Z", "a"), 0);
    EXPECT_LT(MbsCompare("zz", "\xC3\xA9"), 0);
    EXPECT_LT(MbsCompare("\xC3\xBF", "\xC5\x93"), 0); // ÿ before œ: code point order
    EXPECT_EQ(0, MbsCompare("same", "same"));
}
