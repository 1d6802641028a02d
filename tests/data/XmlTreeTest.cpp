#include "XmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

CXML* NewNode(const char* pszName) {
    CXML* p = new CXML;
    p->SetName(pszName);
    return p;
}

} // namespace

TEST(XmlTreeTest, NodesReportTheirRuntimeClass) {
    CXML node;
    CAttribute attribute("n", "v");
    EXPECT_STREQ("CXML", node.GetRuntimeClassName());
    EXPECT_STREQ("CAttribute", attribute.GetRuntimeClassName());
}

TEST(XmlTreeTest, SetAttributeKeepsOneSortedEntryPerName) {
    CXML node;
    node.SetAttribute("m", "1");
    node.SetAttribute("z", "2");
    node.SetAttribute("a", "3");
    node.SetAttribute("m", "4");
    node.SetAttribute("\xE9", "5"); // above every ASCII name
    node.SetAttribute("M", "6");
    EXPECT_EQ("[M=6,a=3,m=4,z=2,\xE9=5]()", Describe(node));
}

TEST(XmlTreeTest, AddChildAppendsAndNamesUnnamedChildren) {
    CXML root;
    root.SetName("r");
    root.AddChild(NewNode("a"));
    root.AddChild(NewNode(""));
    EXPECT_EQ("r[](a[](),Unknown[]())", Describe(root));
}

TEST(XmlTreeTest, ChildrenMoveBetweenParentsAndDetach) {
    CXML first;
    CXML second;
    CXML* pChild = NewNode("c");
    first.AddChild(pChild);
    second.AddChild(pChild);
    EXPECT_EQ(nullptr, first.GetFirstChild());
    EXPECT_EQ(&second, pChild->GetParent());

    first.RemoveChild(pChild); // not its child: nothing happens
    EXPECT_EQ(pChild, second.GetFirstChild());

    EXPECT_EQ(1, pChild->SetParent(&first));
    EXPECT_EQ(pChild, first.GetFirstChild());
    EXPECT_EQ(nullptr, second.GetFirstChild());

    first.RemoveChild(pChild);
    EXPECT_EQ(nullptr, pChild->GetParent());
    EXPECT_EQ(nullptr, first.GetFirstChild());
    delete pChild;
}

TEST(XmlTreeTest, DeletingAChildUnlinksItFromItsParent) {
    CXML root;
    CXML* pA = NewNode("a");
    CXML* pB = NewNode("b");
    CXML* pC = NewNode("c");
    root.AddChild(pA);
    root.AddChild(pB);
    root.AddChild(pC);
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
