// The request user info: the device part built once per context and handed out as independent copies,
// the view's ids, and the demographic answers with their buckets and skipped values.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_user_info.h"
#include "platform/device/device.h"
#include "platform/foundation/testing/scoped_app_root.h"

namespace zelvan::selvo {
namespace {

class Answers : public SVDemographics {
public:
    std::optional<std::string> zipcode() const override { return "10115"; }
    std::optional<std::string> mdn() const override { return ""; }
    std::optional<int> ethnicity() const override { return 7; }
    std::optional<unsigned> age() const override { return age_; }
    std::optional<double> latitude() const override { return 52.5; }
    std::optional<int> gender() const override { return gender_; }
    std::optional<unsigned> income() const override { return income_; }
    std::optional<int> education() const override { return education_; }

    unsigned age_ = 0;
    int gender_ = 2;
    unsigned income_ = 0;
    int education_ = 3;
};

std::vector<std::string> keys(const fnd::Value& info) {
    std::vector<std::string> out;
    for (const auto& key : info.asDictionary()->allKeys()) {
        out.push_back(key.stringKey());
    }
    return out;
}

TEST(SVUserInfoTest, DictionaryKeysInOrderWithBucketsAndSkips) {
    fnd::testing::ScopedAppRoot root;
    device::Device::current().setUniqueIdentifier("dev-2");
    SelvoContext context;

    const auto bare = SVUserInfoDictionary(context, "pub", "", 3, "news", nullptr);
    EXPECT_EQ(keys(bare), (std::vector<std::string>{"SVAdRequestDeviceIDKey", "SVAdRequestSystemNameKey",
                                                    "SVAdRequestSystemVersionKey", "SVAdRequestSystemModelKey",
                                                    "SVAdRequestUserAgentKey", "SVAdRequestPublisherIDKey",
                                                    "SVAdRequestSectionKey"}));
    const auto& dict = *bare.asDictionary();
    EXPECT_EQ(dict.objectForKey(SVAdRequestDeviceIDKey).stringValue(), "dev-2");
    EXPECT_TRUE(dict.objectForKey(SVAdRequestUserAgentKey).stringValue().ends_with(" SelvoMobileSDK/2.0.0"));

    Answers answers;
    auto info = SVUserInfoDictionary(context, "", "", 0, "", &answers);
    auto all = keys(info);
    EXPECT_EQ(std::vector<std::string>(all.begin() + 5, all.end()),
              (std::vector<std::string>{"SVAdRequestPlacementKey", "SVAdRequestZipcodeKey", "SVAdRequestEthnicityKey",
                                        "SVAdRequestAgeKey", "SVAdRequestLocationLatitudeKey"}));
    EXPECT_EQ(info.asDictionary()->objectForKey(SVAdRequestPlacementKey).stringValue(), "top");

    const std::pair<unsigned, int> buckets[] = {{17, 0}, {18, 1}, {24, 1}, {34, 2}, {49, 3}, {50, 4}, {55, 5}};
    for (auto [age, bucket] : buckets) {
        answers.age_ = age;
        EXPECT_EQ(
            SVUserInfoDictionary(context, "", "", 3, "", &answers).asDictionary()->objectForKey(SVAdRequestAgeKey),
            fnd::Value(bucket))
            << age;
    }
    answers.gender_ = 0;
    answers.income_ = 40;
    answers.education_ = 2;
    const auto fullInfo = SVUserInfoDictionary(context, "", "", 5, "", &answers);
    const auto& full = *fullInfo.asDictionary();
    EXPECT_EQ(full.objectForKey(SVAdRequestPlacementKey).stringValue(), "unknown");
    EXPECT_EQ(full.objectForKey(SVAdRequestGenderKey).stringValue(), "f");
    EXPECT_EQ(full.objectForKey(SVAdRequestIncomeKey), fnd::Value(40));
    EXPECT_EQ(full.objectForKey(SVAdRequestEducationKey), fnd::Value(2));

    EXPECT_EQ(SVAdParams(0, "p", "s", 1, std::nullopt, 999).section(), "unknown");
}

TEST(SVUserInfoTest, DevicePartIsBuiltOnceAndCopiedForEachCaller) {
    fnd::testing::ScopedAppRoot root;
    device::Device::current().setUniqueIdentifier("dev-3");
    SelvoContext context;
    std::vector<fnd::Value> results(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&, i] { results[i] = SVUserInfoWithDeviceInfo(context); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& result : results) {
        EXPECT_EQ(result, results[0]);
        EXPECT_FALSE(fnd::Value::identical(result, results[0]) && &result != &results[0]);
    }
    results[1].asDictionary()->setObject("changed", SVAdRequestDeviceIDKey);
    EXPECT_EQ(results[0].asDictionary()->objectForKey(SVAdRequestDeviceIDKey).stringValue(), "dev-3");
    EXPECT_EQ(SVUserInfoWithDeviceInfo(context).asDictionary()->objectForKey(SVAdRequestDeviceIDKey).stringValue(),
              "dev-3");
}

} // namespace
} // namespace zelvan::selvo
