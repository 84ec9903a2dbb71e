// Cookies: the Set-Cookie parser (attributes, the three date forms, Max-Age, domain rules), the
// Cookie request field, and the shared storage (matching, ordering, expiry under the manual clock,
// accept policies, secure cookies).
#include <gtest/gtest.h>

#include "platform/foundation/clock.h"
#include "platform/foundation/cookie.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

// 1994-11-06 08:49:37 UTC.
const Date kNov1994 = Date::fromUnix(784111777);

class CookieTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = ManualClock::install();
        CookieStorage::shared().removeAll();
        CookieStorage::shared().setCookieAcceptPolicy(CookieAcceptPolicy::Always);
    }
    void TearDown() override {
        CookieStorage::shared().removeAll();
        CookieStorage::shared().setCookieAcceptPolicy(CookieAcceptPolicy::Always);
        Clock::install(nullptr);
    }

    static Url url(const char* text) { return *Url::parse(text); }

    static std::vector<Cookie> parse(const char* setCookie, const char* from = "http://www.example.com/a/b/page") {
        return Cookie::cookiesWithResponseHeaderFields(HttpHeaders{{"Set-Cookie", setCookie}}, url(from));
    }

    static std::vector<std::string> names(const std::vector<Cookie>& cookies) {
        std::vector<std::string> out;
        for (const Cookie& c : cookies) {
            out.push_back(c.name);
        }
        return out;
    }

    void receive(const char* from, std::initializer_list<const char*> fields) {
        HttpHeaders headers;
        for (const char* f : fields) {
            headers.add("Set-Cookie", f);
        }
        Url u = url(from);
        CookieStorage::shared().setCookies(Cookie::cookiesWithResponseHeaderFields(headers, u), u, std::nullopt);
    }

    std::shared_ptr<ManualClock> clock_;
};

TEST_F(CookieTest, ParsesSetCookieFields) {
    const Date now = Clock::now();
    struct Case {
        const char* field;
        const char* name;
        const char* value;
        const char* domain;
        bool hostOnly;
        const char* path;
        std::optional<Date> expires;
        bool secure;
        bool httpOnly;
    };
    const Case cases[] = {
        {"sid=abc", "sid", "abc", "www.example.com", true, "/a/b", std::nullopt, false, false},
        {"  sid = a b ; Path=/x ; Secure; HttpOnly", "sid", "a b", "www.example.com", true, "/x", std::nullopt, true,
         true},
        {"e=; path=relative", "e", "", "www.example.com", true, "/a/b", std::nullopt, false, false},
        {"d=1; Domain=.Example.COM", "d", "1", "example.com", false, "/a/b", std::nullopt, false, false},
        {"d=1; Domain=www.example.com", "d", "1", "www.example.com", false, "/a/b", std::nullopt, false, false},
        {"d=1; Domain=", "d", "1", "www.example.com", true, "/a/b", std::nullopt, false, false},
        {"x=1; Expires=Sun, 06 Nov 1994 08:49:37 GMT", "x", "1", "www.example.com", true, "/a/b", kNov1994, false,
         false},
        {"x=1; expires=Sunday, 06-Nov-94 08:49:37 GMT", "x", "1", "www.example.com", true, "/a/b", kNov1994, false,
         false},
        {"x=1; EXPIRES=Sun Nov  6 08:49:37 1994", "x", "1", "www.example.com", true, "/a/b", kNov1994, false, false},
        {"x=1; Expires=yesterday", "x", "1", "www.example.com", true, "/a/b", std::nullopt, false, false},
        {"x=1; Expires=Sun, 31 Feb 1994 08:49:37 GMT", "x", "1", "www.example.com", true, "/a/b", std::nullopt, false,
         false},
        {"x=1; Expires=Sun, 06 Nov 1994 25:49:37 GMT", "x", "1", "www.example.com", true, "/a/b", std::nullopt, false,
         false},
        {"m=1; Max-Age=60; Expires=Sun, 06 Nov 1994 08:49:37 GMT", "m", "1", "www.example.com", true, "/a/b",
         now.addingTimeInterval(60), false, false},
        {"m=1; Expires=Sun, 06 Nov 1994 08:49:37 GMT; Max-Age=60", "m", "1", "www.example.com", true, "/a/b",
         now.addingTimeInterval(60), false, false},
        {"m=1; Max-Age=6x0", "m", "1", "www.example.com", true, "/a/b", std::nullopt, false, false},
        {"m=1; Max-Age=99999999999999999999999", "m", "1", "www.example.com", true, "/a/b",
         now.addingTimeInterval(static_cast<double>(LLONG_MAX)), false, false},
        {"u=1; Unknown=7; =; ;;Path=/p;Path=/q", "u", "1", "www.example.com", true, "/q", std::nullopt, false, false},
        {"q=\"quoted=value\"", "q", "\"quoted=value\"", "www.example.com", true, "/a/b", std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        auto cookies = parse(c.field);
        ASSERT_EQ(cookies.size(), 1u);
        const Cookie& k = cookies[0];
        EXPECT_EQ(k.name, c.name);
        EXPECT_EQ(k.value, c.value);
        EXPECT_EQ(k.domain, c.domain);
        EXPECT_EQ(k.hostOnly, c.hostOnly);
        EXPECT_EQ(k.path, c.path);
        EXPECT_EQ(k.expires, c.expires);
        EXPECT_EQ(k.secure, c.secure);
        EXPECT_EQ(k.httpOnly, c.httpOnly);
    }

    // Max-Age of zero or less yields an already expired cookie.
    for (const char* field : {"m=1; Max-Age=0", "m=1; Max-Age=-5"}) {
        auto cookies = parse(field);
        ASSERT_EQ(cookies.size(), 1u);
        EXPECT_TRUE(cookies[0].isExpired(Clock::now()));
    }

    // Default paths (RFC 6265 5.1.4).
    EXPECT_EQ(parse("a=1", "http://h.example.com")[0].path, "/");
    EXPECT_EQ(parse("a=1", "http://h.example.com/file")[0].path, "/");
    EXPECT_EQ(parse("a=1", "http://h.example.com/dir/")[0].path, "/dir");
    EXPECT_EQ(parse("a=1", "http://h.example.com/dir/x?q=/y/z")[0].path, "/dir");
}

TEST_F(CookieTest, DropsMalformedCookiesAndForeignDomains) {
    const char* dropped[] = {
        "novalue",
        "=value",
        " =value",
        "a=b\x7f",
        "a=b\x01",
        "a=1; Domain=other.com",
        "a=1; Domain=ample.com",
        "a=1; Domain=com",
        "a=1; Domain=.com",
        "a=1; Domain=sub.www.example.com",
    };
    for (const char* field : dropped) {
        SCOPED_TRACE(field);
        testing::LogCapture log;
        EXPECT_TRUE(parse(field).empty());
        EXPECT_TRUE(log.contains("Cookie: dropped"));
    }
    std::string huge = "big=" + std::string(Cookie::kMaxNameValueBytes, 'x');
    EXPECT_TRUE(parse(huge.c_str()).empty());
    EXPECT_TRUE(parse("a=1; Domain=co.uk", "http://shop.example.co.uk/").empty());
    EXPECT_EQ(parse("a=1; Domain=example.co.uk", "http://shop.example.co.uk/")[0].domain, "example.co.uk");
    // A public suffix that is the host itself makes a host-only cookie.
    auto local = parse("a=1; Domain=localhost", "http://localhost:8080/");
    ASSERT_EQ(local.size(), 1u);
    EXPECT_TRUE(local[0].hostOnly);
    EXPECT_EQ(local[0].domain, "localhost");
    // A final dot does not hide a public suffix from a fully qualified host.
    EXPECT_TRUE(parse("a=1; Domain=com.", "http://evil.com./").empty());
    EXPECT_TRUE(parse("a=1; Domain=.co.uk.", "http://evil.co.uk./").empty());
    EXPECT_TRUE(parse("a=1; Domain=..", "http://evil../").empty());
    EXPECT_EQ(registrableDomain("shop.example.co.uk."), "example.co.uk.");
    // IP hosts take no domain cookies for other addresses.
    EXPECT_TRUE(parse("a=1; Domain=0.1", "http://10.0.0.1/").empty());

    testing::LogCapture log;
    EXPECT_TRUE(parse("a=1", "zelvan:///nohost").empty());
    EXPECT_TRUE(log.contains("no host"));
    // One bad field does not spoil its neighbours.
    HttpHeaders headers{{"Set-Cookie", "good=1"}, {"Set-Cookie", "bad"}, {"set-cookie", "also=2"}};
    EXPECT_EQ(names(Cookie::cookiesWithResponseHeaderFields(headers, url("https://example.com/"))),
              (std::vector<std::string>{"good", "also"}));
}

TEST_F(CookieTest, PublicSuffixesComeFromTheFullList) {
    // github.io is a suffix only the full list names: one site there may not set cookies for all.
    testing::LogCapture log;
    EXPECT_TRUE(parse("a=1; Domain=github.io", "https://alice.github.io/").empty());
    EXPECT_TRUE(log.contains("is a public suffix"));
    auto own = parse("a=1; Domain=alice.github.io", "https://blog.alice.github.io/");
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].domain, "alice.github.io");
    EXPECT_FALSE(own[0].hostOnly);
    EXPECT_EQ(registrableDomain("blog.alice.github.io"), "alice.github.io");

    // Two sites under it are two domains for the main-document policy.
    auto& jar = CookieStorage::shared();
    jar.setCookieAcceptPolicy(CookieAcceptPolicy::OnlyFromMainDocumentDomain);
    Url page = url("https://alice.github.io/");
    Url other = url("https://bob.github.io/track");
    Url same = url("https://blog.alice.github.io/");
    jar.setCookies(Cookie::cookiesWithResponseHeaderFields(HttpHeaders{{"Set-Cookie", "t=1"}}, other), other, page);
    jar.setCookies(Cookie::cookiesWithResponseHeaderFields(HttpHeaders{{"Set-Cookie", "s=1"}}, same), same, page);
    EXPECT_EQ(names(jar.cookies()), (std::vector<std::string>{"s"}));
}

TEST_F(CookieTest, RequestHeaderFields) {
    EXPECT_TRUE(Cookie::requestHeaderFields({}).empty());
    auto headers = Cookie::requestHeaderFields(parse("a=b"));
    EXPECT_EQ(headers.value("cookie"), "a=b");
    std::vector<Cookie> two = {Cookie{.name = "a", .value = "b"}, Cookie{.name = "c", .value = ""}};
    headers = Cookie::requestHeaderFields(two);
    EXPECT_EQ(headers.count(), 1u);
    EXPECT_EQ(headers.value("Cookie"), "a=b; c=");
}

TEST_F(CookieTest, StorageMatchesHostPathAndScheme) {
    auto& jar = CookieStorage::shared();
    receive("http://www.example.com/shop/cart",
            {"host=1", "dom=2; Domain=example.com; Path=/", "deep=3; Path=/shop/cart", "sec=4; Secure; Path=/",
             "other=5; Path=/shopping"});
    EXPECT_EQ(jar.cookies().size(), 5u);

    EXPECT_EQ(names(jar.cookiesForUrl(url("http://www.example.com/shop/cart/item"))),
              (std::vector<std::string>{"deep", "host", "dom"}));
    EXPECT_EQ(names(jar.cookiesForUrl(url("https://www.example.com/shop/cart"))),
              (std::vector<std::string>{"deep", "host", "dom", "sec"}));
    EXPECT_EQ(names(jar.cookiesForUrl(url("http://WWW.Example.com/shopping/x"))),
              (std::vector<std::string>{"other", "dom"}));
    // Domain cookies reach subdomains; host-only ones do not.
    EXPECT_EQ(names(jar.cookiesForUrl(url("https://img.example.com/"))), (std::vector<std::string>{"dom"}));
    EXPECT_TRUE(jar.cookiesForUrl(url("http://example.org/")).empty());
    EXPECT_TRUE(jar.cookiesForUrl(url("http://badexample.com/")).empty());
    EXPECT_EQ(names(jar.cookiesForUrl(url("http://www.example.com"))), (std::vector<std::string>{"dom"}));

    // Same name, domain and path replaces in place; an expired one deletes.
    receive("http://www.example.com/shop/cart", {"host=changed"});
    auto now = jar.cookiesForUrl(url("http://www.example.com/shop/x"));
    ASSERT_EQ(names(now), (std::vector<std::string>{"host", "dom"}));
    EXPECT_EQ(now[0].value, "changed");
    receive("http://www.example.com/shop/cart", {"dom=x; Domain=example.com; Path=/; Max-Age=0"});
    EXPECT_EQ(names(jar.cookiesForUrl(url("http://www.example.com/shop/x"))), (std::vector<std::string>{"host"}));

    Cookie deep = jar.cookiesForUrl(url("http://www.example.com/shop/cart"))[0];
    EXPECT_EQ(deep.name, "deep");
    jar.deleteCookie(deep);
    EXPECT_EQ(jar.cookies().size(), 3u);
    jar.removeAll();
    EXPECT_TRUE(jar.cookies().empty());

    // A server flooding the jar pushes out its own earliest cookies, then the earliest of all.
    Url flood = url("http://flood.example.net/");
    for (size_t i = 0; i < CookieStorage::kMaxCookiesPerDomain + 5; ++i) {
        jar.setCookie(Cookie{.name = "f" + std::to_string(i), .value = "1", .domain = "flood.example.net"});
    }
    auto flooded = jar.cookiesForUrl(flood);
    ASSERT_EQ(flooded.size(), CookieStorage::kMaxCookiesPerDomain);
    EXPECT_EQ(flooded.front().name, "f5");
    for (size_t i = 0; i < CookieStorage::kMaxCookies; ++i) {
        jar.setCookie(Cookie{.name = "c", .value = "1", .domain = "h" + std::to_string(i) + ".example.org"});
    }
    EXPECT_EQ(jar.cookies().size(), CookieStorage::kMaxCookies);
    EXPECT_TRUE(jar.cookiesForUrl(flood).empty());
    EXPECT_EQ(jar.cookies().back().domain, "h" + std::to_string(CookieStorage::kMaxCookies - 1) + ".example.org");
    jar.removeAll();
}

TEST_F(CookieTest, ExpiryFollowsTheClock) {
    auto& jar = CookieStorage::shared();
    // The manual clock reads 2010-01-01 00:00:00 UTC.
    receive("http://example.com/", {"short=1; Max-Age=30", "dated=2; Expires=Fri, 01 Jan 2010 00:01:00 GMT",
                                    "session=3", "old=4; Expires=Sun, 06 Nov 1994 08:49:37 GMT"});
    EXPECT_EQ(names(jar.cookiesForUrl(url("http://example.com/"))),
              (std::vector<std::string>{"short", "dated", "session"}));
    EXPECT_TRUE(jar.cookies()[2].isSessionOnly());
    clock_->advance(30);
    EXPECT_EQ(names(jar.cookiesForUrl(url("http://example.com/"))), (std::vector<std::string>{"dated", "session"}));
    clock_->advance(29.5);
    EXPECT_EQ(jar.cookies().size(), 2u);
    clock_->advance(0.5);
    EXPECT_EQ(names(jar.cookies()), (std::vector<std::string>{"session"}));
}

TEST_F(CookieTest, AcceptPolicies) {
    auto& jar = CookieStorage::shared();
    EXPECT_EQ(jar.cookieAcceptPolicy(), CookieAcceptPolicy::Always);
    Url ads = url("http://ads.tracker.net/pixel");
    Url page = url("http://www.example.co.uk/index");
    Url api = url("https://api.example.co.uk/v1");
    auto from = [](const Url& u, const char* field) {
        return Cookie::cookiesWithResponseHeaderFields(HttpHeaders{{"Set-Cookie", field}}, u);
    };

    jar.setCookieAcceptPolicy(CookieAcceptPolicy::Never);
    jar.setCookies(from(page, "a=1"), page, page);
    jar.setCookie(Cookie{.name = "b", .value = "2", .domain = "example.co.uk"});
    EXPECT_TRUE(jar.cookies().empty());

    jar.setCookieAcceptPolicy(CookieAcceptPolicy::OnlyFromMainDocumentDomain);
    testing::LogCapture log;
    jar.setCookies(from(ads, "track=1"), ads, page);
    EXPECT_TRUE(log.contains("outside the main document's domain"));
    jar.setCookies(from(api, "api=1"), api, page);
    jar.setCookies(from(ads, "own=1"), ads, std::nullopt);
    EXPECT_EQ(names(jar.cookies()), (std::vector<std::string>{"api", "own"}));

    jar.setCookieAcceptPolicy(CookieAcceptPolicy::Always);
    jar.setCookies(from(ads, "track=1"), ads, page);
    EXPECT_EQ(names(jar.cookies()), (std::vector<std::string>{"api", "own", "track"}));

    EXPECT_EQ(registrableDomain("a.b.Example.co.uk"), "example.co.uk");
    EXPECT_EQ(registrableDomain("example.com"), "example.com");
    EXPECT_EQ(registrableDomain("localhost"), "localhost");
    EXPECT_EQ(registrableDomain("127.0.0.1"), "127.0.0.1");
}

} // namespace
} // namespace fnd
