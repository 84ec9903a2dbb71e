// The Selvo XML model on ad replies: text with entities, one wrapper per node, XPath from any node,
// parents, failed parses, the markup writer, hostile entity and nesting replies, and the creation
// operations.
#include <gtest/gtest.h>

#include <string>

#include "ads/selvo/xml/xml_tree.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan::selvo {
namespace {

std::shared_ptr<XmlDocument_> parse(const std::string& text) {
    auto parsed = XmlDocument_::initWithData(fnd::Bytes(text.begin(), text.end()));
    return parsed ? parsed.value() : nullptr;
}

const char* const kReply = "<svads><status code=\"0\">ok</status><ads>"
                           "<ad id=\"1\"><body><text><bodyText>A&amp;B</bodyText></text></body></ad>"
                           "<ad id=\"2\"/></ads></svads>";

TEST(XmlDocumentTest, ReadsAnAdReply) {
    auto doc = parse(kReply);
    ASSERT_TRUE(doc);
    auto root = doc->rootElement();
    ASSERT_TRUE(root);
    EXPECT_EQ(root, doc->rootElement());

    auto ads = root->nodesForXPath("/svads/ads/ad").value();
    ASSERT_EQ(ads.size(), 2u);
    // An absolute path asked on an ad still searches the whole document.
    EXPECT_EQ(ads[1]->nodesForXPath("/svads/ads/ad"), ads);
    auto text = ads[0]->nodesForXPath("body/text/bodyText").value();
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0]->stringValue(), "A&B");
    EXPECT_TRUE(ads[1]->nodesForXPath("body/text/bodyText").value().empty());

    auto ad = std::dynamic_pointer_cast<XmlElement_>(ads[0]);
    ASSERT_TRUE(ad);
    auto id = ad->attributeForName("id");
    ASSERT_TRUE(id);
    EXPECT_EQ(id, ad->attributeForName("id"));
    EXPECT_EQ(id->stringValue(), "1");
    EXPECT_EQ(ad->attributeForName("ID"), nullptr);
    EXPECT_EQ(root->stringValue(), std::nullopt);

    auto bad = root->nodesForXPath("/svads[");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().domain(), fnd::kParseErrorDomain);
}

TEST(XmlDocumentTest, ParentOnlyOnceWrappedAndDetachedAfterTheDocument) {
    auto doc = parse(kReply);
    ASSERT_TRUE(doc);
    auto status = doc->nodesForXPath("/svads/status").value();
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0]->parent(), nullptr);
    auto root = doc->rootElement();
    EXPECT_EQ(status[0]->parent(), root);

    fnd::testing::LogCapture capture;
    doc.reset();
    EXPECT_EQ(status[0]->stringValue(), std::nullopt);
    EXPECT_TRUE(capture.contains("XmlNode does not have attached libxml2 _node."));
}

TEST(XmlDocumentTest, RefusedInputIsAParseError) {
    auto empty = XmlDocument_::initWithData(fnd::Bytes());
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().domain(), fnd::kParseErrorDomain);
    auto garbage = XmlDocument_::initWithXMLString("<a><b></a");
    ASSERT_FALSE(garbage);
    EXPECT_EQ(garbage.error().domain(), fnd::kParseErrorDomain);
}

TEST(XmlDocumentTest, WritesMarkup) {
    auto doc = parse("<p><img src='a\"b'/><span/>t<!--c--></p>");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->rootElement()->XMLString(), "<p><img src=\"a&quot;b\"/><span></span>t</p>");
    EXPECT_EQ(doc->XMLString(), doc->rootElement()->XMLString());
}

TEST(XmlDocumentTest, EntityBombAndDeepNestingStayBounded) {
    std::string bomb =
        "<!DOCTYPE svads [<!ENTITY l0 \"lollollollollollollollollollollollollollollollollollollollollol\">";
    for (int level = 1; level <= 9; ++level) {
        bomb += "<!ENTITY l" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) {
            bomb += "&l" + std::to_string(level - 1) + ";";
        }
        bomb += "\">";
    }
    bomb += "]><svads a=\"&l9;\">&l9;</svads>";
    if (auto doc = parse(bomb)) {
        auto root = doc->rootElement();
        ASSERT_TRUE(root);
        const size_t bound = XmlNode_::kEntityExpansionLimit + 64;
        EXPECT_LE(root->stringValue().value_or("").size(), bound);
        EXPECT_LE(root->attributeForName("a")->stringValue().value_or("").size(), bound);
        EXPECT_LE(root->XMLString().size(), 2 * bound);
    }

    // Within libxml2's own amplification limit, references still expand to at most the bound; the rest
    // stay references.
    const std::string chunk(400 * 1024, 'x');
    auto large = parse("<!DOCTYPE r [<!ENTITY a \"" + chunk + "\">]><r>&a;&a;&a;&a;</r>");
    ASSERT_TRUE(large);
    const std::string value = large->rootElement()->stringValue().value_or("");
    // Three references fill the bound (the third cut short), the fourth stays a reference.
    EXPECT_EQ(value.size(), XmlNode_::kEntityExpansionLimit + std::string("&a;").size());
    EXPECT_EQ(value.substr(value.size() - 4), "x&a;");

    std::string deep;
    for (int i = 0; i < 300; ++i) {
        deep += "<e>";
    }
    deep += "x";
    for (int i = 0; i < 300; ++i) {
        deep += "</e>";
    }
    if (auto doc = parse(deep)) {
        EXPECT_LT(doc->nodesForXPath("//e").value().size(), 300u);
    }
}

TEST(XmlDocumentTest, CreatesDocumentsAndElements) {
    auto element = XmlNode_::elementWithNameStringValue("a", "x");
    ASSERT_TRUE(element);
    EXPECT_EQ(element->XMLString(), "<a>x</a>");
    auto child = element->subelement("b");
    ASSERT_TRUE(child);
    child->setStringValue("y");
    EXPECT_EQ(element->XMLString(), "<a>x<b>y</b></a>");

    auto copy = element->copy();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, element);
    EXPECT_EQ(copy->XMLString(), element->XMLString());

    auto doc = XmlNode_::documentWithRootElement(element);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->rootElement(), element);
    EXPECT_EQ(element->rootDocument(), doc);
    const fnd::Bytes data = doc->XMLData();
    EXPECT_NE(std::string(data.begin(), data.end()).find("<?xml version=\"1.0\"?>"), std::string::npos);

    auto namespaced = XmlNode_::elementWithNameURI("n", "urn:x");
    EXPECT_EQ(namespaced->URI(), "urn:x");
    auto ns = XmlNode_::namespaceWithName("p", "urn:p");
    EXPECT_EQ(ns->kind(), XmlNamespaceKind);
    EXPECT_EQ(ns->name(), "p");
    namespaced->addNamespace(ns);
    EXPECT_EQ(namespaced->prefix(), "p");
    EXPECT_EQ(XmlNode_::processingInstructionWithName("pi", "v")->kind(), XmlProcessingInstructionKind);

    auto html = XmlDocument_::initWithXMLString("<p>hi<br></p><b", XmlDocument_::kHtmlOption);
    ASSERT_TRUE(html);
    EXPECT_EQ(html.value()->rootElement()->name(), "html");
}

} // namespace
} // namespace zelvan::selvo
