// Error texts, Result in its success and failure forms, and TRY passing failures upward.
#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/error.h"

namespace fnd {
namespace {

Result<int> parsePositive(const std::string& s) {
    int v = Value(s).intValue();
    if (v <= 0) {
        return Error("test.parse", 7, "not a positive number", "the text was \"" + s + "\"");
    }
    return v;
}

Result<int> sumOfTwo(const std::string& a, const std::string& b) {
    int x = TRY(parsePositive(a));
    int y = TRY(parsePositive(b));
    return x + y;
}

Result<void> checkAll(const std::string& a) {
    TRY(parsePositive(a));
    return {};
}

TEST(ErrorTest, CarriesDomainCodeAndTexts) {
    Error plain("net.zelvan", -1004);
    EXPECT_EQ(plain.domain(), "net.zelvan");
    EXPECT_EQ(plain.code(), -1004);
    EXPECT_EQ(plain.localizedDescription(), "The operation couldn't be completed. (net.zelvan error -1004.)");
    EXPECT_EQ(plain.localizedFailureReason(), "");
    EXPECT_TRUE(plain.userInfo().isDictionary());

    Error described("files", 2, "No such file", "The folder is missing");
    EXPECT_EQ(described.localizedDescription(), "No such file");
    EXPECT_EQ(described.localizedFailureReason(), "The folder is missing");
    EXPECT_EQ(described.description(), "Error Domain=files Code=2 \"No such file\" UserInfo={ LocalizedDescription = "
                                       "\"No such file\"; LocalizedFailureReason = \"The folder is missing\"; }");

    Value info = Value::dictionary({{"url", "http://x"}});
    Error withInfo("web", 404, info);
    EXPECT_EQ(withInfo.userInfo().asDictionary()->objectForKey("url"), Value("http://x"));
    EXPECT_TRUE(Error("x", 1, Value(5)).userInfo().isDictionary()); // a non-dictionary is replaced
}

TEST(ErrorTest, ResultAndTryPassValuesAndErrors) {
    Result<int> sum = sumOfTwo("3", "4");
    ASSERT_TRUE(sum.ok());
    EXPECT_EQ(sum.value(), 7);

    Result<int> failed = sumOfTwo("3", "-4");
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().code(), 7);
    EXPECT_EQ(failed.error().localizedFailureReason(), "the text was \"-4\"");
    EXPECT_EQ(failed.valueOr(-1), -1);
    EXPECT_EQ(sum.valueOr(-1), 7);

    EXPECT_TRUE(checkAll("9").ok());
    Result<void> bad = checkAll("zero");
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().domain(), "test.parse");

    Result<std::string> moved = std::string("payload");
    std::string taken = std::move(moved).value();
    EXPECT_EQ(taken, "payload");
}

TEST(ErrorDeathTest, ReadingTheWrongSideAbortsInsteadOfUndefinedBehaviour) {
    Result<int> failed = Error("x", 1);
    EXPECT_DEATH((void)failed.value(), "value\\(\\) of a failed Result");
    Result<int> fine = 1;
    EXPECT_DEATH((void)fine.error(), "error\\(\\) of a successful Result");
}

} // namespace
} // namespace fnd
