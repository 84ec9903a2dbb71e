// The built-in resources, read from the bytes compiled in from resources/marlin.
#include "ads/marlin/mn_resources.h"

#include <span>
#include <string_view>

#include "ads/marlin/embedded_resources.h"

namespace zelvan::marlin {
namespace {

std::string text(std::string_view name) {
    return std::string(embeddedResource(name));
}

gfx::ImagePtr image(std::string_view name) {
    std::string_view bytes = embeddedResource(name);
    return gfx::Image::imageWithData(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

} // namespace

std::string MNResources::bootJS() {
    return text("boot.js");
}

std::string MNResources::clientJS() {
    return text("client.js");
}

std::string MNResources::debuggerJS() {
    return text("debugger.js");
}

std::string MNResources::youtubeTemplateHTML() {
    return text("youtube.html");
}

gfx::ImagePtr MNResources::backButton() {
    return image("marlin-back.png");
}

gfx::ImagePtr MNResources::backButtonDisabled() {
    return image("marlin-back-disabled.png");
}

gfx::ImagePtr MNResources::forwardButton() {
    return image("marlin-forward.png");
}

gfx::ImagePtr MNResources::forwardButtonDisabled() {
    return image("marlin-forward-disabled.png");
}

} // namespace zelvan::marlin
