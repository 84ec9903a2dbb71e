// HttpHeaders: order, case-insensitive lookup, replacing and repeating fields, and refusal of fields
// that would break the wire format.
#include <gtest/gtest.h>

#include "platform/foundation/http_headers.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

std::vector<std::string> names(const HttpHeaders& h) {
    std::vector<std::string> out;
    for (const auto& f : h) {
        out.push_back(f.name);
    }
    return out;
}

TEST(HttpHeadersTest, OrderedCaseInsensitiveFields) {
    HttpHeaders h{{"Content-Type", "text/html"}, {"Set-Cookie", "a=1"}, {"X-Id", "7"}};
    h.add("set-cookie", "b=2");
    EXPECT_EQ(h.count(), 4u);
    EXPECT_EQ(h.value("CONTENT-TYPE"), "text/html");
    EXPECT_EQ(h.value("Accept"), std::nullopt);
    EXPECT_EQ(h.values("Set-Cookie"), (std::vector<std::string>{"a=1", "b=2"}));

    // set replaces the first match in place and drops the later ones.
    EXPECT_TRUE(h.set("SET-COOKIE", "c=3"));
    EXPECT_EQ(names(h), (std::vector<std::string>{"Content-Type", "Set-Cookie", "X-Id"}));
    EXPECT_EQ(h.values("set-cookie"), (std::vector<std::string>{"c=3"}));
    EXPECT_TRUE(h.set("Accept", "*/*"));
    EXPECT_EQ(names(h), (std::vector<std::string>{"Content-Type", "Set-Cookie", "X-Id", "Accept"}));

    h.add("x-id", "8");
    h.remove("X-ID");
    EXPECT_EQ(names(h), (std::vector<std::string>{"Content-Type", "Set-Cookie", "Accept"}));
    EXPECT_EQ(h.value("x-id"), std::nullopt);
    h.set("Empty", "");
    EXPECT_EQ(h.value("empty"), "");
}

TEST(HttpHeadersTest, RefusesFieldsThatBreakTheWireFormat) {
    HttpHeaders h;
    testing::LogCapture log;
    EXPECT_FALSE(h.set("X-A", "v\r\nInjected: 1"));
    EXPECT_FALSE(h.add("X-A", "v\nx"));
    EXPECT_FALSE(h.add("X-A", std::string("v\0x", 3)));
    EXPECT_FALSE(h.add("Bad Name", "v"));
    EXPECT_FALSE(h.add("Bad:Name", "v"));
    EXPECT_FALSE(h.add("", "v"));
    EXPECT_TRUE(h.empty());
    EXPECT_EQ(log.count("HttpHeaders: refused"), 6u);
    EXPECT_TRUE(h.add("X-Ok", "tab\tand \"quotes\""));
    EXPECT_EQ(h.count(), 1u);
}

} // namespace
} // namespace fnd
