// Tests of the web view's page reader: what it extracts from well-formed, sloppy and hostile
// markup, the encodings it honours, and the size cap.
#include "platform/ui/html_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ui {
namespace {

TEST(HtmlDocumentTest, ExtractsWhatTheWebViewActsOn) {
    struct Case {
        const char* name;
        std::string html;
        std::string title;
        std::string baseHref;
        std::vector<HtmlScript> scripts;
        std::string onload;
        std::vector<std::string> links;
        std::vector<std::string> frames;
    };
    const std::vector<Case> cases = {
        {"full page",
         "<!DOCTYPE html><html><head><title>  Game\n  Lobby </title><base href='http://x.test/app/'>"
         "<script>var a = 1 < 2;</script><script src=\"lib.js\"></script></head>"
         "<body onload=\"start();\"><a href='zelvan://openchat?id=7'>chat</a><p><a name=x>no href</a>"
         "<a href=\"rooms.html\">rooms</a></p><iframe src='zelvan://frame'></iframe></body></html>",
         "Game Lobby",
         "http://x.test/app/",
         {{"var a = 1 < 2;", ""}, {"", "lib.js"}},
         "start();",
         {"zelvan://openchat?id=7", "rooms.html"},
         {"zelvan://frame"}},
        {"entities decoded, first title and base win",
         "<title>Tom &amp; Jerry&#33;</title><title>second</title><base href=a/><base href=b/>",
         "Tom & Jerry!",
         "a/",
         {},
         "",
         {},
         {}},
        {"unclosed tags recover",
         "<html><body onload=go()><a href=one>1<a href=two>2<script>x()",
         "",
         "",
         {{"x()", ""}},
         "go()",
         {"one", "two"},
         {}},
        {"script text is not markup",
         "<script>document.write('<a href=\"fake\">');</script><a href=real>r</a>",
         "",
         "",
         {{"document.write('<a href=\"fake\">');", ""}},
         "",
         {"real"},
         {}},
        {"upper-case tags and attributes",
         "<HTML><HEAD><TITLE>Up</TITLE></HEAD><BODY ONLOAD='x'><A HREF='L'>l</A>",
         "Up",
         "",
         {},
         "x",
         {"L"},
         {}},
        {"only text", "just some words", "", "", {}, "", {}, {}},
        {"empty", "", "", "", {}, "", {}, {}},
        {"binary junk", std::string("\0\xff\xfe<\0a href=\x01>", 12), "", "", {}, "", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = HtmlDocument::parse(c.html);
        ASSERT_TRUE(doc.has_value());
        EXPECT_EQ(doc->source(), c.html);
        EXPECT_EQ(doc->title(), c.title);
        EXPECT_EQ(doc->baseHref(), c.baseHref);
        EXPECT_EQ(doc->scripts(), c.scripts);
        EXPECT_EQ(doc->bodyOnload(), c.onload);
        EXPECT_EQ(doc->links(), c.links);
        EXPECT_EQ(doc->frames(), c.frames);
    }
}

TEST(HtmlDocumentTest, EncodingsAndLimits) {
    // A Latin-1 page, named by the server or by its own meta tag, comes out as UTF-8.
    const std::string latin1Title = "<title>Caf\xe9</title>";
    EXPECT_EQ(HtmlDocument::parse(latin1Title, "iso-8859-1")->title(), "Caf\xc3\xa9");
    EXPECT_EQ(HtmlDocument::parse("<meta charset=iso-8859-1>" + latin1Title)->title(), "Caf\xc3\xa9");
    // An unknown charset name is ignored rather than failing the page.
    EXPECT_EQ(HtmlDocument::parse("<title>plain</title>", "no-such-charset")->title(), "plain");

    // Nesting far deeper than any page is read without exhausting the stack.
    std::string deep;
    for (int i = 0; i < 20000; ++i) {
        deep += "<div>";
    }
    deep += "<a href=deep>x</a>";
    EXPECT_TRUE(HtmlDocument::parse(deep).has_value());

    // A page over the cap is refused; one just under it is read, across many parser chunks.
    EXPECT_FALSE(HtmlDocument::parse(std::string(HtmlDocument::kMaxSourceBytes + 1, 'x')).has_value());
    std::string big = "<title>big</title>" + std::string(HtmlDocument::kMaxSourceBytes - 40, ' ') + "<a href=end>e</a>";
    auto doc = HtmlDocument::parse(big);
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(doc->title(), "big");
    EXPECT_EQ(doc->links(), std::vector<std::string>{"end"});
}

} // namespace
} // namespace ui
