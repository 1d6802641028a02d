#include "framework/core/TextSet.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

TEST(TextSetTest, InsertAndContainsAgreeWithStdSetAcrossGrowth) {
    // Texts that lie end to end in the buffer and are prefixes of each other, the empty text and
    // one with a zero byte, then enough more to make the table grow several times.
    std::vector<std::string> texts = {"ab", "a", "", "abc", "b", "ab", std::string("a\0b", 3), "a", "bc", ""};
    for (int i = 0; i < 3000; ++i) {
        texts.push_back(std::to_string(i * 7919 % 1000) + (i % 3 ? "x" : ""));
    }
    CTextSet set;
    std::set<std::string> reference;
    for (const std::string& strText : texts) {
        EXPECT_EQ(reference.count(strText) > 0, set.Contains(strText)) << strText;
        EXPECT_EQ(reference.insert(strText).second, set.Insert(strText)) << strText;
        EXPECT_TRUE(set.Contains(strText)) << strText;
    }
    EXPECT_EQ(reference.size(), set.GetCount());
    for (const std::string& strText : reference) {
        EXPECT_TRUE(set.Contains(strText)) << strText;
        EXPECT_FALSE(set.Contains(strText + "?")) << strText;
    }
}

TEST(TextSetTest, EmptySetHoldsNothing) {
    const CTextSet set;
    for (const char* psz : {"", "a", "abc"}) {
        EXPECT_FALSE(set.Contains(psz)) << psz;
    }
    EXPECT_EQ(0u, set.GetCount());
}
