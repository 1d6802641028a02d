#include "framework/core/String.h"
#include "framework/core/Unicode.h"

#include <gtest/gtest.h>

TEST(StringTest, FindReturnsFirstOccurrenceFromStart) {
    CString s("abcabc");
    EXPECT_EQ(1, s.Find("bc"));
    EXPECT_EQ(4, s.Find("bc", 2));
    EXPECT_EQ(-1, s.Find("x"));
    EXPECT_EQ(2, s.Find('c'));
    EXPECT_EQ(-1, s.Find('c', 6));
    EXPECT_EQ(3, s.Find("", 3));
    EXPECT_EQ(-1, s.Find("a", 7));
    EXPECT_EQ(5, s.ReverseFind('c'));
}

TEST(StringTest, ReplaceWorksLeftToRightWithoutOverlap) {
    CString s("aaaa");
    EXPECT_EQ(2, s.Replace("aa", "b"));
    EXPECT_EQ("bb", s);

    CString t("aaa");
    EXPECT_EQ(1, t.Replace("aa", "a"));
    EXPECT_EQ("aa", t); // the result is not scanned again

    CString u("\\r\\n\\r\\n");
    EXPECT_EQ(2, u.Replace("\\r\\n", "\r\n"));
    EXPECT_EQ("\r\n\r\n", u);

    CString v("x");
    EXPECT_EQ(0, v.Replace("", "y"));
    EXPECT_EQ("x", v);
}

TEST(StringTest, SubstringsClampOutOfRangeArguments) {
    CString s("Hello");
    EXPECT_EQ("He", s.Left(2));
    EXPECT_EQ("Hello", s.Left(99));
    EXPECT_EQ("", s.Left(-1));
    EXPECT_EQ("llo", s.Mid(2));
    EXPECT_EQ("el", s.Mid(1, 2));
    EXPECT_EQ("", s.Mid(9));
    EXPECT_EQ("Hel", s.Mid(-3, 3));
    EXPECT_EQ("lo", s.Right(2));
    EXPECT_EQ("Hello", s.Right(9));
}

TEST(StringTest, TrimRemovesWhiteSpaceOnlyAtTheEnds) {
    CString s(" \t\r\n a b \n\v\f");
    EXPECT_EQ("a b", s.Trim());
    CString t("xxaxx");
    EXPECT_EQ("axx", t.TrimLeft("x"));
    EXPECT_EQ("a", t.TrimRight("x"));
    CString u("   ");
    EXPECT_EQ("", u.TrimLeft());
}

TEST(StringTest, FormatProducesPrintfOutputOfAnyLength) {
    CString s;
    s.Format("<entry id=\"%d\">%s", 42, "x");
    EXPECT_EQ("<entry id=\"42\">x", s);
    CString strLong(std::string(10000, 'z'));
    s.Format("[%s]", strLong.GetString());
    EXPECT_EQ(10002, s.GetLength());
}

TEST(StringTest, CompareTreatsBytesAsUnsignedAndStopsAtZero) {
    EXPECT_LT(CString("z").Compare("\x80"), 0);
    EXPECT_GT(CString("ab").Compare("a"), 0);
    EXPECT_EQ(0, CString("a").Compare("a"));
    CString withZero("a\0b", 3);
    EXPECT_EQ(3, withZero.GetLength());
    EXPECT_EQ(0, withZero.Compare("a"));
    EXPECT_FALSE(withZero == CString("a")); // equality looks at every byte
}

TEST(StringTest, CaseConversionCoversUnicode) {
    CString s("\xC3\x89TIENNE \xC5\xA0 Zoe"); // ÉTIENNE Š Zoe
    EXPECT_EQ("\xC3\xA9tienne \xC5\xA1 zoe", s.MakeLower());
    EXPECT_EQ("\xC3\x89TIENNE \xC5\xA0 ZOE", s.MakeUpper());
}

// Names compare without case, accents or extra blanks; letters of other scripts stay themselves.
TEST(StringTest, FoldingForMatchingDropsCaseAccentsAndBlanks) {
    const struct {
        const char* pszText;
        const char* pszFolded;
    } cases[] = {
        {"  J\xC3\xBCRGEN \t M\xC3\xBCller ", "jurgen muller"}, // JÜRGEN Müller
        {"Stra\xC3\x9F"
         "e \xC3\x86sir \xC5\x92uvre \xC3\x9Eor",
         "strasse aesir oeuvre thor"}, // ß Æ Œ Þ
        {"\xC5\x81\xC3\xB3"
         "d\xC5\xBA \xC3\x98rsted",
         "lodz orsted"},            // Łódź Ørsted
        {"E\xCC\x81lise", "elise"}, // E + combining acute
        {"\xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7", "\xCE\xB5\xCE\xBB\xCE\xB5\xCE\xBD\xCE\xB7"}, // Ελένη
        {"\xD0\x99\xD0\xBE\xD1\x88\xD0\xBA\xD0\xB0",
         "\xD0\xB9\xD0\xBE\xD1\x88\xD0\xBA\xD0\xB0"}, // Йошка: й stays
        {"a\xFF"
         "b",
         "a\xFF"
         "b"},                                                                 // a byte that is no UTF-8
        {"\tMcDONALD-Smith\xC3\x89X\r\nO'Brien ", "mcdonald-smithex o'brien"}, // ASCII runs around É
        {"\xE2\x84\xAA"
         "ELVIN",
         "kelvin"}, // the Kelvin sign
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pszFolded, FoldForMatching(c.pszText)) << c.pszText;
    }
}
