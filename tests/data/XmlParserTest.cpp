#include "XmlTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>

namespace {

std::string ParseAndDescribe(const std::string& xml, std::vector<std::string>* pWarnings = nullptr) {
    CXML root;
    CRecordingSink sink;
    ParseText(xml, root, &sink);
    if (pWarnings) {
        *pWarnings = sink.m_warnings;
    }
    return Describe(root);
}

const std::string kUnmatched = "Warning Element Terminator exists without matching initial Block ";

} // namespace

TEST(XmlParserTest, DeclarationAndCommentsBeforeTheRootAddNothing) {
    CXML root;
    CRecordingSink sink;
    EXPECT_EQ(1, ParseText("<?xml version=\"1.0\"?>\r\n<!-- a comment -->\r\n<!DOCTYPE x>\r\n"
                           "<root>\r\n\t<a/>\r\n</root>\r\n",
                           root, &sink));
    EXPECT_EQ("root[](a[]())", Describe(root));
    EXPECT_TRUE(sink.m_warnings.empty());
    EXPECT_EQ("", root.GetText());
    EXPECT_TRUE(root.IsClosed());
}

TEST(XmlParserTest, AttributesAreQuotedEitherWayAndSortedByName) {
    EXPECT_EQ("a[]()", ParseAndDescribe("<a/>"));
    EXPECT_EQ("a[x=1,y=2]()", ParseAndDescribe("<a x='1' y=\"2\"/>"));
    EXPECT_EQ("a[a=2,b=1]()", ParseAndDescribe("<a b=\"1\" a=\"2\"/>"));
    EXPECT_EQ("a[v=2]()", ParseAndDescribe("<a v=\"1\" v=\"2\"/>"));
    EXPECT_EQ("a[v=x>y]()", ParseAndDescribe("<a v=\"x>y\"/>"));
    EXPECT_EQ("a[v=<b>]()", ParseAndDescribe("<a v=\"<b>\"/>"));
    EXPECT_EQ("a[v=it's]()", ParseAndDescribe("<a v=\"it's\"/>"));
    EXPECT_EQ("a[n= spaced  ]()", ParseAndDescribe("<a n = \" spaced  \" />"));
    EXPECT_EQ("a[v=&amp;&lt;]()", ParseAndDescribe("<a v=\"&amp;&lt;\"/>")); // values are never decoded
}

// Attributes set one by one in tag order: a repeated name keeps its first place and takes the
// last value; names then sort as C strings (up to a zero byte, unsigned), ties kept in order.
TEST(XmlParserTest, ManyAttributesEndAsIfSetOneByOne) {
    const std::string kNames[] = {"a",
                                  "b",
                                  "ab",
                                  std::string("a\0", 2),
                                  "abcdefgh",
                                  "abcdefghi",
                                  "abcdefghj",
                                  std::string("abcdefgh\0x", 10),
                                  "\xE9t\xE9",
                                  "abcdefghij",
                                  std::string("a\0b", 3),
                                  "z9"};
    std::mt19937 rng(7);
    for (int nCase = 0; nCase < 300; ++nCase) {
        const int nAttributes = 1 + static_cast<int>(rng() % (nCase % 2 ? 8 : 60));
        std::string xml = "<t";
        std::vector<std::pair<std::string, std::string>> model;
        for (int i = 0; i < nAttributes; ++i) {
            const std::string& name = kNames[rng() % std::size(kNames)];
            const std::string value = std::to_string(i);
            xml += " " + name + "=\"" + value + "\"";
            auto it =
                std::find_if(model.begin(), model.end(), [&](const auto& a) { return a.first == name; });
            if (it == model.end()) {
                model.emplace_back(name, value);
            } else {
                it->second = value;
            }
        }
        std::stable_sort(model.begin(), model.end(), [](const auto& a, const auto& b) {
            return std::strcmp(a.first.c_str(), b.first.c_str()) < 0;
        });
        std::string expected = "t[";
        for (size_t i = 0; i < model.size(); ++i) {
            expected += (i ? "," : "") + model[i].first + "=" + model[i].second;
        }
        ASSERT_EQ(expected + "]()", ParseAndDescribe(xml + "/>")) << "case " << nCase;
    }
}

TEST(XmlParserTest, QuotesInsideATagAreWrittenAsDoubleQuotes) {
    CMemoryFile file("<t a='x\"y' b=\"p'q\">rest");
    CXML node;
    EXPECT_EQ("<t a=\"x\"y\" b=\"p'q\">", CXMLParser::ReadToken(node, file));
}

TEST(XmlParserTest, UnquotedValueRunsToWhiteSpaceAndDoesNotStopTheParser) {
    EXPECT_EQ("r[x=1,y=2](c[]())", ParseAndDescribe("<r x=1 y=\"2\"><c/></r>"));
    EXPECT_EQ("r[](c[]())", ParseAndDescribe("<r =\"1\" =><c/></r>"));
    EXPECT_EQ("r[v=a](c[]())", ParseAndDescribe("<r v=a\"b c\"><c/></r>"));
}

TEST(XmlParserTest, StrayEndTagSwallowsRestOfDocument) {
    std::vector<std::string> warnings;
    EXPECT_EQ("a[](/b[](c[](),/a[]()))", ParseAndDescribe("<a></b><c/></a>", &warnings));
    ASSERT_EQ(2u, warnings.size());
    EXPECT_EQ(kUnmatched + "/b", warnings[0]);
    EXPECT_EQ(kUnmatched + "/a", warnings[1]);

    CXML root;
    ParseText("<a></b></a>", root);
    EXPECT_FALSE(root.IsClosed());

    // A damaged file's control bytes are shown, printable text exactly as it is.
    warnings.clear();
    ParseAndDescribe(std::string("<a></b\x1F\x7F\\x\xE9></a>"), &warnings);
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(kUnmatched + "/b\\x1F\\x7F\\x\xE9", warnings[0]);
}

TEST(XmlParserTest, EndTagWithSpaceBeforeBracketIsNotAnEndTag) {
    std::vector<std::string> warnings;
    EXPECT_EQ("a[](/a[](/a[]()))", ParseAndDescribe("<a></a ></a>", &warnings));
    ASSERT_EQ(2u, warnings.size());
    EXPECT_EQ(kUnmatched + "/a", warnings[0]);
}

TEST(XmlParserTest, ElementWithoutNameIsParsedThenDropped) {
    std::vector<std::string> warnings;
    // "< x>" has an empty name: it takes the following content with it, the end tag of the
    // root included, and is then discarded.
    EXPECT_EQ("r[]()", ParseAndDescribe("<r>< x><e/></r><f/>", &warnings));
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ(kUnmatched + "/r", warnings[0]);
    EXPECT_EQ("r[](e[]())", ParseAndDescribe("<r></><e/></r>")); // "</>" closes itself
}

TEST(XmlParserTest, CommentsAreReadLikeTagsQuotesIncluded) {
    EXPECT_EQ("r[](c[]())", ParseAndDescribe("<r><!-- say \"a>b\" --><c/></r>"));
    EXPECT_EQ("r[](c[]())", ParseAndDescribe("<r><!x><?pi y?><c/></r>"));
    // The comment ends at the first ">" outside quotes, with or without "--".
    EXPECT_EQ("r[](c[]())", ParseAndDescribe("<r><!-- a > <c/></r>"));
}

TEST(XmlParserTest, StartTagFollowedByEndTagIsEmptyAndClosed) {
    CXML root;
    ParseText("<a></a>", root);
    EXPECT_EQ("a[]()", Describe(root));
    EXPECT_EQ("", root.GetText());
    EXPECT_TRUE(root.IsClosed());
}

TEST(XmlParserTest, OnlyTheRootTextIsDecoded) {
    CXML root;
    ParseText("<r>&amp;lt; &quot;&apos;&gt;<c>&amp;</c></r>", root);
    EXPECT_EQ("< \"'>", root.GetText());
    EXPECT_EQ("&amp;", root.FirstChild()->GetText());
    EXPECT_EQ("<", CXMLParser::DecodeEntities("&amp;lt;"));
    EXPECT_EQ("&#65;&quote;", CXMLParser::DecodeEntities("&#65;&quote;"));
}

TEST(XmlParserTest, IndentationBetweenTagsAddsNoText) {
    CXML root;
    ParseText("\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n\t<r>\r\n\t\t<c/>\r\n\t\t<d>\r\n\t\t</d>\r\n\t</r>\r\n", root);
    EXPECT_EQ("", root.GetText());
    EXPECT_EQ("", root.FirstChild()->GetText());
    EXPECT_EQ("", root.FirstChild()->NextSibling()->GetText());
}

TEST(XmlParserTest, CharacterDataIsGatheredAroundChildren) {
    CXML root;
    ParseText("<r>hello\r\n\t<c/>x<d/>\r\nworld \xE9</r>", root);
    EXPECT_EQ("hellox\r\nworld \xE9", root.GetText());

    CXML quoted;
    ParseText("<r>say \"a<b\" now<c/></r>", quoted);
    EXPECT_EQ("say \"a<b\" now", quoted.GetText());
    EXPECT_EQ("r[](c[]())", Describe(quoted));
}

TEST(XmlParserTest, FileWithoutTagsGivesNoRoot) {
    CXML root;
    EXPECT_EQ(0, ParseText("", root));
    EXPECT_EQ(0, ParseText("just text, no tag", root));
    EXPECT_EQ(0, ParseText("<?xml version=\"1.0\"?><!-- only -->", root));
    EXPECT_EQ(0, ParseText("<unfinished", root));
    EXPECT_EQ("", root.GetText());
    EXPECT_EQ(nullptr, root.FirstChild());
}

TEST(XmlParserTest, LoadWithANameSkipsOtherTags) {
    CMemoryFile file("<x/><yy/><y a=\"1\"><z/></y>");
    CXML root;
    EXPECT_EQ(1, CXMLParser::Load(root, file, "y"));
    EXPECT_EQ("y[a=1](z[]())", Describe(root));
}

TEST(XmlParserTest, EndOfFileClosesEveryOpenElement) {
    std::vector<std::string> warnings;
    EXPECT_EQ("r[](a[](b[]()))", ParseAndDescribe("<r><a><b><c x=\"1", &warnings));
    EXPECT_TRUE(warnings.empty());
    CXML root;
    ParseText("<r><a>", root);
    EXPECT_FALSE(root.IsClosed());
    EXPECT_TRUE(root.IsEndOfFile());
}

TEST(XmlParserTest, IsStartTagMatchesTheTagName) {
    EXPECT_EQ(1, CXMLParser::IsStartTag("<a b=\"1\">", "a"));
    EXPECT_EQ(1, CXMLParser::IsStartTag("<a>", "a"));
    EXPECT_EQ(1, CXMLParser::IsStartTag("<a/>", "a"));
    EXPECT_EQ(0, CXMLParser::IsStartTag("<ab>", "a"));
    EXPECT_EQ(0, CXMLParser::IsStartTag("<A>", "a"));
    EXPECT_EQ(0, CXMLParser::IsStartTag("<a", "a"));
    EXPECT_EQ(0, CXMLParser::IsStartTag("a>", "a"));
    EXPECT_EQ(0, CXMLParser::IsStartTag("", ""));
    EXPECT_EQ(1, CXMLParser::IsStartTag("<", ""));
    EXPECT_EQ(1, CXMLParser::IsStartTag("</x>", ""));
}

TEST(XmlParserTest, ReadTokenLeavesTheFileAfterTheTag) {
    CMemoryFile file("abc<t x='1'>rest");
    CXML node;
    EXPECT_EQ("<t x=\"1\">", CXMLParser::ReadToken(node, file));
    EXPECT_EQ(12, file.GetPosition());
    EXPECT_EQ("abc", node.GetText());
    EXPECT_FALSE(node.IsEndOfFile());
    EXPECT_EQ("", CXMLParser::ReadToken(node, file));
    EXPECT_TRUE(node.IsEndOfFile());
    EXPECT_EQ("abcrest", node.GetText());
}

TEST(XmlParserTest, LoadLeavesTheFileAfterTheRoot) {
    CMemoryFile file("<a><b/></a><tail/>");
    CXML root;
    ASSERT_EQ(1, CXMLParser::Load(root, file, ""));
    EXPECT_EQ(11, file.GetPosition());
}

TEST(XmlParserTest, ParseElementWarnsAboutAnIncompleteTag) {
    CMemoryFile file("<c/></a>");
    CXML node;
    CRecordingSink sink;
    CXMLParser::ParseElement(node, "<a b", file, &sink);
    ASSERT_EQ(1u, sink.m_warnings.size());
    EXPECT_EQ("Warning Tag Block is Incomplete", sink.m_warnings[0]);
    EXPECT_EQ("a[](c[]())", Describe(node));
    EXPECT_TRUE(node.IsClosed());

    // Without a blank the name runs up to the last character, so "<a" has none.
    CMemoryFile rest("");
    CXMLParser::ParseElement(node, "<a", rest, &sink);
    EXPECT_EQ("", node.GetName());
}

TEST(XmlParserTest, ReadsSplitAnywhereGiveTheSameTree) {
    const std::string xml =
        "<?xml version=\"1.0\"?>\r\n<!-- \"q>\" -->\r\n<book n='1'>\r\n\t<entry id=\"0\">\r\n"
        "\t\t<lastname value=\"O'Brien <x>\"/>\r\n\t\t<note value=\"a\\r\\nb\"/>\r\n\t</entry>\r\n"
        "text \"in<quotes\"\r\n\t<entry/></bad>\r\n</book>\r\n";
    CXML whole;
    CRecordingSink wholeSink;
    ParseText(xml, whole, &wholeSink);
    for (unsigned nMaxRead : {1u, 2u, 3u, 7u, 64u}) {
        CXML split;
        CRecordingSink splitSink;
        ParseText(xml, split, &splitSink, nMaxRead);
        EXPECT_EQ(Describe(whole), Describe(split)) << nMaxRead;
        EXPECT_EQ(whole.GetText(), split.GetText()) << nMaxRead;
        EXPECT_EQ(wholeSink.m_warnings, splitSink.m_warnings) << nMaxRead;
    }
}
