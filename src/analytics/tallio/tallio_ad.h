// The hook-ad models the analytics server's reply describes: TallioAd (one ad; an impression copies its
// ids and cookie when it is shown), TallioAdHook (a named place in the host's screens), TallioAdTheme
// (background images, a sell message and three text colours) and TallioAdImage (image bytes, decoded on
// first use). Texts that were not valid UTF-8 in the reply are absent.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"

namespace zelvan::tallio {

struct TallioAdTheme {
    uint8_t themeId = 0;
    std::optional<std::string> sellMessage;
    int64_t portraitAdImageId = 0;
    int64_t landscapeAdImageId = 0;
    gfx::Color appNameColor;
    gfx::Color sellMessageColor;
    gfx::Color advertiserColor;
    // Filled when an ad of the theme is handed out.
    gfx::ImagePtr portraitAdImage;
    gfx::ImagePtr landscapeAdImage;
};

struct TallioAd {
    int64_t adId = 0;
    int64_t projectId = 0;
    std::optional<std::string> adText; // the advertised application's name
    std::optional<std::string> advertiser;
    int64_t canvasId = 0;
    int64_t imageId = 0; // the icon
    int adCookieSize = 0;
    fnd::Bytes adCookie;
    // Filled when the ad is handed out.
    gfx::ImagePtr adImage;
    std::shared_ptr<TallioAdTheme> adTheme;

    // The cookie as lower-case hexadecimal, two digits a byte, a blank after every four bytes but the
    // last ("0a0b0c0d 0e"); "" without a cookie.
    std::string adCookieString() const;
};

struct TallioAdHook {
    std::string name;
    uint8_t adBlockId = 0;
    uint8_t themeId = 0;
};

class TallioAdImage {
public:
    int64_t imageId = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::optional<std::string> mimeFormat;
    fnd::Bytes imageData;
    int32_t imageDataSize = 0;

    // The image decoded from imageData on the first call (later calls give the same image); null when
    // there is no data or it is not a decodable image. Any thread.
    gfx::ImagePtr getImage();

private:
    std::mutex mutex_;
    bool decoded_ = false;
    gfx::ImagePtr image_;
};

} // namespace zelvan::tallio
