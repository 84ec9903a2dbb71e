// MNResources: the interstitial client's built-in resources, which let a fresh installation run before any
// client script was downloaded: the boot script, the client stub, the diagnostic script, the video page
// template and the four 8x10 navigation arrows of its in-ad browser.
#pragma once

#include <string>

#include "platform/graphics/image.h"

namespace zelvan::marlin {

class MNResources {
public:
    static std::string bootJS();
    static std::string clientJS();
    static std::string debuggerJS();
    // A format filled, in order, with the view's width (%d), the title (%s), the video URL (%s) and the
    // view's width and height (%0.0f each).
    static std::string youtubeTemplateHTML();

    static gfx::ImagePtr backButton();
    static gfx::ImagePtr backButtonDisabled();
    static gfx::ImagePtr forwardButton();
    static gfx::ImagePtr forwardButtonDisabled();
};

} // namespace zelvan::marlin
