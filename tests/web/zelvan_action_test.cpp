// zelvan:// action URLs: the action, the variable (JSON or a plain word) and the relative URL, with
// percent escapes decoded part by part; malformed URLs refused with the reason and the offset of the fault.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/zjson.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/testing/log_capture.h"
#include "web/zelvan_action.h"

namespace zelvan {
namespace {

TEST(ZelvanAction, ParsesActionVariableAndRelativeUrl) {
    struct Case {
        const char* url;
        const char* action;
        const char* jsonVar; // JSON of the expected variable
        const char* relativeUrl;
    };
    const Case cases[] = {
        {"zelvan://slidenewpage?static_home?uid=42", "slidenewpage", R"("static_home")", "uid=42"},
        {"ZELVAN://Back", "back", "null", ""},
        {"zelvan://close/", "close", "null", ""},
        {"zelvan://hideloading?", "hideloading", "null", ""},
        {"zelvan://openurl??page.html%3Fa%3D1", "openurl", "null", "page.html?a=1"},
        {"zelvan://alert?%7B%22text%22%3A%22Sure%3F%22%2C%22buttons%22%3A%5B%22No%22%2C%22Yes%22%5D%7D", "alert",
         R"({"text":"Sure?","buttons":["No","Yes"]})", ""},
        {"zelvan://callback?%5B1%2Ctrue%5D?a?b", "callback", "[1,true]", "a?b"},
        {"zelvan://loading?Please%20wait", "loading", R"("Please wait")", ""},
        {"zelvan://loading?12", "loading", R"("12")", ""},
        {"zelvan://alert?%22caf%C3%A9%22", "alert", R"("café")", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        auto parsed = parseZelvanUrl(c.url);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->action, c.action);
        EXPECT_EQ(ZJSON::write(parsed->jsonVar), std::optional<std::string>(c.jsonVar));
        EXPECT_EQ(parsed->relativeUrl, c.relativeUrl);
    }
}

TEST(ZelvanAction, RefusesMalformedUrlsNamingTheReasonAndOffset) {
    struct Case {
        const char* url;
        const char* reason;
        size_t offset;
    };
    const Case cases[] = {
        {"http://slidenewpage?static_home", "not a zelvan:// URL", 0},
        {"zelvan:/back", "not a zelvan:// URL", 8},
        {"zelvan://", "no action", 9},
        {"zelvan://?static_home?uid=1", "no action", 9},
        {"zelvan://slide%20newpage?x", "bad action name", 14},
        {"zelvan://a/b", "bad action name", 10},
        {"zelvan://alert?%7Btext", "not valid JSON", 15},
        {"zelvan://alert?[1,", "not valid JSON", 15},
        {"zelvan://alert?%ZZ", "bad percent escape", 15},
        {"zelvan://openurl??page%", "bad percent escape", 22},
        {"zelvan://alert?%C3%28", "bad percent escape", 15},    // decodes to ill-formed UTF-8
        {"zelvan://alert?%ED%A0%80", "bad percent escape", 15}, // a lone surrogate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        fnd::testing::LogCapture log;
        auto parsed = parseZelvanUrl(c.url);
        ASSERT_FALSE(parsed.ok());
        EXPECT_NE(parsed.error().localizedFailureReason().find(c.reason), std::string::npos)
            << parsed.error().localizedFailureReason();
        EXPECT_EQ(fnd::parseErrorOffset(parsed.error()), c.offset);
        EXPECT_TRUE(log.lines().empty()); // the caller logs
    }
    EXPECT_TRUE(isZelvanUrl("Zelvan://x"));
    EXPECT_FALSE(isZelvanUrl("zelvan_cache_file://x"));
}

} // namespace
} // namespace zelvan
