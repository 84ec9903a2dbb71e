// The JavaScript literal helpers against hostile text: every result must stay one literal that
// cannot end its string, its line or the script block around it.
#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "web/js_escape.h"

namespace zelvan {
namespace {

TEST(JsEscape, StringLiteralsOfHostileText) {
    struct Case {
        std::string text;
        std::string literal;
    };
    const Case cases[] = {
        {"plain", R"("plain")"},
        {"", R"("")"},
        {R"(say "hi" it's)", R"("say \"hi\" it\'s")"},
        {R"(C:\dir\")", R"("C:\\dir\\\"")"},
        {"line1\nline2\r\n", R"("line1\nline2\r\n")"},
        {"a\u2028b\u2029c", R"("a\u2028b\u2029c")"},
        {"</script><script>alert(1)</script>", R"("<\/script><script>alert(1)<\/script>")"},
        {std::string("nul\0bell\x07", 9), R"("nul\u0000bell\u0007")"},
        {"\"); evil(); (\"", R"("\"); evil(); (\"")"},
        {"caf\xC3\xA9", "\"caf\xC3\xA9\""},
        {"\xED\xA0\x80x", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDx\""}, // a lone surrogate: U+FFFD a byte
        {"bad\xC3(end\xFF", "\"bad\xEF\xBF\xBD(end\xEF\xBF\xBD\""},     // ill-formed UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(jsStringLiteral(c.text), c.literal);
    }
}

TEST(JsEscape, ValueLiteralsKeepScriptBlocksClosed) {
    auto dict = fnd::Value::dictionary({{"name", "</script>\u2028"}, {"n", 3}});
    EXPECT_EQ(jsValueLiteral(dict), std::optional<std::string>(R"({"name":"<\/script>\u2028","n":3})"));
    EXPECT_EQ(jsValueLiteral(fnd::Value::array({1, true, fnd::Value()})), std::optional<std::string>("[1,true,null]"));
    EXPECT_EQ(jsValueLiteral(fnd::Value("it's\n")), std::optional<std::string>(R"("it\'s\n")"));
    EXPECT_EQ(jsValueLiteral(fnd::Value(2.5)), std::optional<std::string>("2.5"));
    EXPECT_FALSE(jsValueLiteral(fnd::Value(fnd::Bytes{1, 2})));
    EXPECT_FALSE(jsValueLiteral(fnd::Value::array({std::string("\xFF")})));
}

} // namespace
} // namespace zelvan
