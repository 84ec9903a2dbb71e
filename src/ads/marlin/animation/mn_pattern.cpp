// MNPattern: reads a pattern description (type, colour, image, gradient stops, radial centre and
// radius) or a literal colour key; images are read beside the library (later, when over HTTP) and flipped
// for tiling.
#include "ads/marlin/animation/mn_pattern.h"

#include <array>
#include <vector>

#include "ads/marlin/animation/mn_color.h"
#include "ads/marlin/animation/mn_log_channel.h"
#include "ads/marlin/animation/mn_scene_host.h"
#include "ads/marlin/animation/mn_values.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/bitmap_context.h"

namespace zelvan::marlin {

MNPattern::MNPattern(std::string libraryKey, std::string instanceKey)
    : libraryKey_(std::move(libraryKey)), instanceKey_(std::move(instanceKey)) {}

std::shared_ptr<MNPattern> MNPattern::create(const std::string& libraryKey, const std::string& instanceKey,
                                             const std::shared_ptr<MNSceneHost>& view) {
    auto pattern = std::make_shared<MNPattern>(libraryKey, instanceKey);
    if (!libraryKey.empty() && libraryKey.front() == '#') {
        pattern->type_ = kSolid;
        pattern->solidColor_ = MNColorFromLiteralKey(libraryKey);
        return pattern;
    }
    const auto description = view != nullptr ? view->patternPropertiesWithKey(libraryKey) : nullptr;
    const fnd::Dictionary* d = description.get();

    static constexpr std::array<std::string_view, 4> kTypes = {"solid", "image", "linear", "radial"};
    pattern->type_ = kUnknown;
    if (const auto type = MNString(d, "type")) {
        for (size_t i = 0; i < kTypes.size(); ++i) {
            if (*type == kTypes[i]) {
                pattern->type_ = static_cast<int>(i);
            }
        }
    }
    if (const auto color = MNString(d, "color")) {
        pattern->solidColor_ = MNColorFromString(*color);
    }
    if (const auto path = MNString(d, "path")) {
        pattern->loadImage(*path, view);
    }
    if (const auto stops = MNArrayValue(d, "stops")) {
        std::vector<double> components;
        std::vector<double> locations;
        components.reserve(stops->count() * 4);
        locations.reserve(stops->count());
        for (const fnd::Value& item : *stops) {
            const auto stop = item.asDictionary();
            const auto color = MNString(stop.get(), "color");
            const gfx::Color c = color ? MNColorFromString(*color) : gfx::Color(0, 0, 0, 0);
            components.insert(components.end(), {c.r, c.g, c.b, c.a});
            locations.push_back(MNNumber(stop.get(), "ratio") / 255.0);
        }
        pattern->gradient_ = gfx::Gradient::withColorComponents(components, locations);
    }
    pattern->radialGradientRadius_ = static_cast<float>(MNNumber(d, "radius"));
    pattern->radialGradientCenter_ = gfx::Point(MNNumber(d, "x"), MNNumber(d, "y"));
    return pattern;
}

void MNPattern::loadImage(const std::string& path, const std::shared_ptr<MNSceneHost>& view) {
    if (view == nullptr) {
        return;
    }
    // A local image is read inside this call; one over HTTP comes later, and the shapes drawn meanwhile
    // are drawn again with it.
    auto later = std::make_shared<bool>(false);
    std::weak_ptr<MNPattern> weak = weak_from_this();
    std::weak_ptr<MNSceneHost> host = view;
    view->readLibraryFile(path, weak, [weak, host, path, later](fnd::Result<fnd::Bytes> bytes) {
        auto pattern = weak.lock();
        if (pattern == nullptr || !pattern->setImageWithData(path, bytes) || !*later) {
            return;
        }
        if (auto scene = host.lock()) {
            scene->patternImageArrived();
        }
    });
    *later = true;
}

bool MNPattern::setImageWithData(const std::string& path, const fnd::Result<fnd::Bytes>& bytes) {
    if (!bytes) {
        ZLOG_TO(kMarlinLog, Debug, "MNPattern: no image %@: %@", fnd::logPreview(path),
                bytes.error().localizedDescription());
        return false;
    }
    const gfx::ImagePtr decoded = gfx::Image::imageWithData(*bytes);
    if (decoded == nullptr) {
        ZLOG_TO(kMarlinLog, Debug, "MNPattern: %@ is not an image", fnd::logPreview(path));
        return false;
    }
    const int width = decoded->width();
    const int height = decoded->height();
    auto context = gfx::BitmapContext::create(width, height, gfx::PixelFormat::Rgba8PremulLast);
    if (context == nullptr) {
        return false;
    }
    context->translateCTM(0, height);
    context->scaleCTM(1, -1);
    context->drawImage(gfx::Rect(0, 0, width, height), *decoded);
    image_ = context->makeImage();
    return true;
}

} // namespace zelvan::marlin
