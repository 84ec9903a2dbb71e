// Url: parsing of web, custom, opaque and file URLs, the texts that are refused, RFC 3986
// reference resolution, and query items.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/url.h"

namespace fnd {
namespace {

TEST(UrlTest, ParsesComponents) {
    struct Case {
        const char* text;
        const char* scheme;
        const char* user;
        const char* password;
        const char* host;
        std::optional<int> port;
        const char* path;
        const char* query;
        const char* fragment;
    };
    const Case cases[] = {
        {"http://User:Pw@Ex.COM:8080/a/../b%20c.PNG?x=1&y#frag", "http", "User", "Pw", "Ex.COM", 8080,
         "/a/../b%20c.PNG", "x=1&y", "frag"},
        {"HTTPS://example.com", "https", "", "", "example.com", std::nullopt, "", "", ""},
        {"https://example.com/", "https", "", "", "example.com", std::nullopt, "/", "", ""},
        {"http://a?b?c#d#e", "http", "", "", "a", std::nullopt, "", "b?c", "d#e"},
        {"http://[::1]:80/x", "http", "", "", "[::1]", 80, "/x", "", ""},
        {"zelvan://openchat?x=1", "zelvan", "", "", "openchat", std::nullopt, "", "x=1", ""},
        {"zelvan_cache_file://images/a%20b.png", "zelvan_cache_file", "", "", "images", std::nullopt, "/a%20b.png", "",
         ""},
        {"marlin://close", "marlin", "", "", "close", std::nullopt, "", "", ""},
        {"kavlo://ad/click?id=7#top", "kavlo", "", "", "ad", std::nullopt, "/click", "id=7", "top"},
        {"marlin://?a=b", "marlin", "", "", "", std::nullopt, "", "a=b", ""},
        {"zelvan:///x/y", "zelvan", "", "", "", std::nullopt, "/x/y", "", ""},
        {"tel:123", "tel", "", "", "", std::nullopt, "123", "", ""},
        {"mailto:a@b.c?subject=hi%20there", "mailto", "", "", "", std::nullopt, "a@b.c", "subject=hi%20there", ""},
        {"urn:x:y#z", "urn", "", "", "", std::nullopt, "x:y", "", "z"},
        {"file:///tmp/a%20b.txt", "file", "", "", "", std::nullopt, "/tmp/a%20b.txt", "", ""},
        {"file://localhost/tmp/x", "file", "", "", "", std::nullopt, "/tmp/x", "", ""},
        {"file:/tmp/x", "file", "", "", "", std::nullopt, "/tmp/x", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto url = Url::parse(c.text);
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(url->absoluteString(), c.text);
        EXPECT_EQ(url->scheme(), c.scheme);
        EXPECT_EQ(url->user(), c.user);
        EXPECT_EQ(url->password(), c.password);
        EXPECT_EQ(url->host(), c.host);
        EXPECT_EQ(url->port(), c.port);
        EXPECT_EQ(url->path(), c.path);
        EXPECT_EQ(url->query(), c.query);
        EXPECT_EQ(url->fragment(), c.fragment);
        EXPECT_EQ(url->isFileUrl(), std::string(c.scheme) == "file");
        // The text round-trips unchanged.
        EXPECT_EQ(Url::parse(url->absoluteString()), url);
    }

    auto png = Url::parse("http://h/dir/pic.tar.gz?q=1");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->lastPathComponent(), "pic.tar.gz");
    EXPECT_EQ(png->pathExtension(), "gz");
    EXPECT_EQ(Url::parse("http://h/dir/")->lastPathComponent(), "dir");
    EXPECT_EQ(Url::parse("http://h")->lastPathComponent(), "");
    EXPECT_EQ(Url::parse("http://h/README")->pathExtension(), "");
    EXPECT_NE(Url::parse("http://h/a"), Url::parse("HTTP://h/a"));
}

TEST(UrlTest, RefusesMalformedText) {
    const char* refused[] = {
        "",
        "http://a b/",
        "http://a/b c",
        " http://a/",
        "http://a/\n",
        "http://a/\x7f",
        "http://a/\t",
        "http://a/caf\xc3\xa9",
        "example.com/x",
        "/just/a/path",
        "//host/x",
        "1http://a/",
        ":no-scheme",
        "http://",
        "http:/a/b",
        "https:g",
        "http://a:99999/",
        "http://a:port/",
        "http://a<b>/",
        "file://otherhost/x",
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        testing::LogCapture log;
        EXPECT_EQ(Url::parse(text), std::nullopt);
        EXPECT_TRUE(log.contains("Url: refused"));
    }
}

TEST(UrlTest, ResolvesReferencesAsRfc3986) {
    auto base = Url::parse("http://a/b/c/d;p?q");
    ASSERT_TRUE(base);
    const std::pair<const char*, const char*> cases[] = {
        // Normal examples (RFC 3986 5.4.1).
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
        // Abnormal examples (RFC 3986 5.4.2).
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        // Absolute references to custom and opaque schemes stand as written.
        {"zelvan://openchat?x=1", "zelvan://openchat?x=1"},
        {"mailto:a@b.c", "mailto:a@b.c"},
    };
    for (const auto& [ref, expected] : cases) {
        SCOPED_TRACE(ref);
        auto url = Url::resolve(*base, ref);
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(url->absoluteString(), expected);
    }

    // Custom schemes (with an underscore, which libcurl's scheme syntax lacks) resolve too.
    auto cache = Url::parse("zelvan_cache_file://pack/images/a.png#top");
    ASSERT_TRUE(cache);
    EXPECT_EQ(Url::resolve(*cache, "../sounds/b.ogg?v=2")->absoluteString(),
              "zelvan_cache_file://pack/sounds/b.ogg?v=2");
    EXPECT_EQ(Url::resolve(*cache, "#other")->absoluteString(), "zelvan_cache_file://pack/images/a.png#other");
    auto chat = Url::resolve(*Url::parse("zelvan://openchat?x=1"), "room");
    ASSERT_TRUE(chat);
    EXPECT_EQ(chat->host(), "openchat");
    EXPECT_EQ(chat->path(), "/room");

    // References that cannot be resolved.
    testing::LogCapture log;
    EXPECT_EQ(Url::resolve(*base, "a b"), std::nullopt);
    EXPECT_EQ(Url::resolve(*Url::parse("tel:123"), "456"), std::nullopt);
    EXPECT_EQ(Url::resolve(*base, "http:g"), std::nullopt);
    EXPECT_EQ(log.count("Url: refused"), 3u);
    EXPECT_EQ(Url::resolve(*Url::parse("tel:123"), "#x")->absoluteString(), "tel:123#x");
}

TEST(UrlTest, FileUrls) {
    Url url = Url::fileUrl("/tmp/a b/100%?#.txt");
    EXPECT_EQ(url.absoluteString(), "file:///tmp/a%20b/100%25%3F%23.txt");
    EXPECT_TRUE(url.isFileUrl());
    EXPECT_EQ(url.filePath(), "/tmp/a b/100%?#.txt");
    EXPECT_EQ(url.pathExtension(), "txt");
    EXPECT_EQ(Url::parse(url.absoluteString())->filePath(), "/tmp/a b/100%?#.txt");

    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(Url::fileUrl("rel/x").filePath(), std::string(cwd) + "/rel/x");

    EXPECT_EQ(Url::parse("file:///tmp/caf%C3%A9")->filePath(), "/tmp/caf\xc3\xa9");
    // Paths that do not unescape to a usable file path give "".
    EXPECT_EQ(Url::parse("file:///tmp/a%00b")->filePath(), "");
    EXPECT_EQ(Url::parse("file:///tmp/%ff")->filePath(), "");
    EXPECT_EQ(Url::parse("http://h/tmp/x")->filePath(), "");

    auto sibling = Url::resolve(url, "../c.txt");
    ASSERT_TRUE(sibling);
    EXPECT_EQ(sibling->filePath(), "/tmp/c.txt");
}

TEST(UrlTest, QueryItems) {
    auto url = Url::parse("zelvan://openchat?user=al%20ice&&flag&x=a=b&bad=%zz&plus=a+b&=v&name%26=%E2%82%AC");
    ASSERT_TRUE(url);
    const std::vector<QueryItem> expected = {
        {"user", "al ice"}, {"flag", ""}, {"x", "a=b"}, {"bad", "%zz"}, {"plus", "a+b"}, {"", "v"}, {"name&", "\u20ac"},
    };
    EXPECT_EQ(url->queryItems(), expected);
    EXPECT_TRUE(Url::parse("http://h/")->queryItems().empty());

    std::string query = Url::queryString({{"a b", "c&d=e"}, {"k", ""}, {"\u20ac", "~._-"}});
    EXPECT_EQ(query, "a%20b=c%26d%3De&k=&%E2%82%AC=~._-");
    auto built = Url::parse("http://h/p?" + query);
    ASSERT_TRUE(built);
    EXPECT_EQ(built->queryItems(), (std::vector<QueryItem>{{"a b", "c&d=e"}, {"k", ""}, {"\u20ac", "~._-"}}));
    EXPECT_EQ(Url::queryString({}), "");
}

} // namespace
} // namespace fnd
