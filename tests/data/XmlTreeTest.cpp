#include "XmlTestSupport.h"

#include <gtest/gtest.h>

TEST(XmlTreeTest, DeletingAChildUnlinksItFromItsParent) {
    CXML root;
    ParseText("<r><a/><b/><c/></r>", root);
    CXML* pA = root.FirstChild();
    CXML* pB = pA->NextSibling();
    CXML* pC = pB->NextSibling();
    delete pB;
    EXPECT_EQ(pC, pA->NextSibling());
    EXPECT_EQ(nullptr, pC->NextSibling());
    delete pA;
    EXPECT_EQ(pC, root.FirstChild());
    delete pC;
    EXPECT_EQ(nullptr, root.FirstChild());
}

TEST(XmlTreeTest, ClearDestroysTheSubtreeAndTheText) {
    CXML root;
    ParseText("<r a=\"1\">text<b><c/></b></r>", root);
    ASSERT_EQ("text", root.GetText());
    root.Clear();
    EXPECT_EQ("r[]()", Describe(root));
    EXPECT_EQ("", root.GetText());
}
