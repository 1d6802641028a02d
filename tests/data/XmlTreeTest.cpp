#include "XmlTestSupport.h"

#include <gtest/gtest.h>

TEST(XmlTreeTest, NodesReportTheirRuntimeClass) {
    CXML node;
    CAttribute attribute("n", "v");
    EXPECT_STREQ("CXML", node.GetRuntimeClassName());
    EXPECT_STREQ("CAttribute", attribute.GetRuntimeClassName());
}

TEST(XmlTreeTest, DeletingAChildUnlinksItFromItsParent) {
    CXML root;
    ParseText("<r><a/><b/><c/></r>", root);
    CXML* pA = root.GetFirstChild();
    CXML* pB = root.GetNextChild();
    CXML* pC = root.GetNextChild();
    EXPECT_EQ(pA, root.GetFirstChild());
    delete pB; // the child that iteration would return next
    EXPECT_EQ(pC, root.GetNextChild());
    EXPECT_EQ(nullptr, root.GetNextChild());
    delete pC;
    delete pA;
    EXPECT_EQ(nullptr, root.GetFirstChild());
}

TEST(XmlTreeTest, ClearDestroysTheSubtreeAndTheText) {
    CXML root;
    ParseText("<r a=\"1\">text<b><c/></b></r>", root);
    ASSERT_EQ("text", root.GetText());
    root.Clear();
    EXPECT_EQ("r[]()", Describe(root));
    EXPECT_EQ("", root.GetText());
}
