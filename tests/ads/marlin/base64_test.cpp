// The interstitial client's Base64 fronts: padding, skipped junk, text and data forms.
#include <gtest/gtest.h>

#include "ads/marlin/base64.h"

namespace zelvan::marlin {
namespace {

TEST(Base64Test, EncodesPaddedAndDecodesSkippingJunk) {
    EXPECT_EQ(B64Encode(fnd::Bytes{0xff}), "/w==");
    EXPECT_EQ(B64Encode(fnd::Bytes{1, 2, 3, 4}), "AQIDBA==");
    EXPECT_EQ(B64Decode("AQ\nID*BA=="), (fnd::Bytes{1, 2, 3, 4}));
    EXPECT_EQ(Base64::base64StringWithString("caf\xC3\xA9"), "Y2Fmw6k=");
    EXPECT_EQ(Base64::stringWithBase64String("Y2Fm w6k="), "caf\xC3\xA9");
    EXPECT_FALSE(Base64::stringWithBase64String("/w==").has_value()); // 0xff is no UTF-8 text
    fnd::Bytes text{'A', 'Q', 'I', '=', '='};
    EXPECT_EQ(Base64::dataWithBase64Data(text), (fnd::Bytes{1, 2}));
    EXPECT_EQ(Base64::base64StringWithData(Base64::dataWithBase64String("AQI=")), "AQI=");
}

} // namespace
} // namespace zelvan::marlin
