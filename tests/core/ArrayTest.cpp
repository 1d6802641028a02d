#include "framework/core/Array.h"
#include "framework/core/String.h"

#include <gtest/gtest.h>

TEST(ArrayTest, RemoveAtMovesLaterElementsDown) {
    CArray<CString> a;
    a.Add("zero");
    a.Add("one");
    a.Add("two");
    a.RemoveAt(0);
    ASSERT_EQ(2, a.GetSize());
    EXPECT_EQ("one", a[0]);
    EXPECT_EQ("two", a[1]);
}

TEST(ArrayTest, SetSizeAppendsDefaultElementsAndGetAtCopies) {
    CArray<CString> a;
    a.SetSize(2);
    a[1] = "x";
    CString copy = a.GetAt(1);
    copy += "y";
    EXPECT_EQ("x", a[1]);
    EXPECT_EQ("", a[0]);
    a.SetSize(1);
    EXPECT_EQ(1, a.GetSize());

    CDWordArray d;
    d.Add(0xFFFFFFFFu);
    EXPECT_EQ(0xFFFFFFFFu, d[0]);
}
