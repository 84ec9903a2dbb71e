// ZelvanWidget: the widget kit's class methods - images from the bundle and the kit's image caches,
// card and presence icons, the colour table and web colours, the skinned buttons, and small helpers
// the product's screens share.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "toolkit/card_picture_rule.h"

namespace ui {
class Button;
class Label;
class View;
} // namespace ui

namespace zelvan {

class ZelvanWidget {
public:
    // A root view for a view controller: the main frame, the style's background colour, and
    // flexible width and height.
    static std::shared_ptr<ui::View> newContentViewForViewController();

    // The bundle's "<name>.png", taken from the resource image cache when there and, when `cache` is
    // set, stored in it after loading. Null (and a log line) when there is no such image.
    static gfx::ImagePtr newImageFromResource(std::string_view name, bool cache);
    static gfx::ImagePtr imageFromResource(std::string_view name, bool cache);

    // The shared image cache (safe from any thread): the image stored under `name`, or null; an
    // empty name gives null. addImageCache ignores a null image or an empty key.
    static gfx::ImagePtr cachedImageForName(std::string_view name);
    static void addImageCache(gfx::ImagePtr image, std::string_view key);
    // Empties the resource, shared and grey icon caches, as a freshly started process has them. For tests.
    static void clearImageCaches();

    // The image decoded fully from the file at `path`; null (and a log line) when it is missing, not an
    // image, or larger than `limit` (refused from its header, before any pixel is decoded).
    static gfx::ImagePtr newMemoryImageFromFile(const std::string& path, gfx::DecodeLimit limit = {});
    // A grey copy (luminance in each channel, alpha kept); null for a null image.
    static gfx::ImagePtr newGrayScaleImage(const gfx::ImagePtr& image);
    // The path of `file` inside the application bundle; nullopt when it is not there (or the name
    // would reach outside the bundle).
    static std::optional<std::string> bundleResourcePath(std::string_view file);

    // The picture the application registry's card picture rule (the messenger's) picks for `card`. With no rule, or a
    // card the rule does not know, traces "unknown card type <card>" and gives null.
    static gfx::ImagePtr newStatusImageForCard(const fnd::Value& card);

    // The icon of an IM network: -1 the service itself, -2 a chat group, -3 a chat room, 0 and up an
    // external network (the service's icon when that network has none); grey when asked.
    static gfx::ImagePtr iconForIM(int network, bool grayscale);
    // The icon of presence state 0 (offline), 1 (online), 2 (idle) or 3 (busy); null for others.
    static gfx::ImagePtr stateIcon(int state);

    // A colour of the kit's table of distinct, readable colours; any id (negatives too) maps to one.
    static gfx::Color colorForId(int id);
    static int colorTableSize();
    // The colour 0xRRGGBB (higher bits ignored) with `alpha`.
    static gfx::Color colorFromWeb(int rgb, double alpha);
    static gfx::Color newColorFromWeb(int rgb, double alpha);

    // Custom-type buttons sized to their skin, with the skin as a stretchable background image and
    // a bold title of buttonFontSize() in a colour that reads on the skin.
    static std::shared_ptr<ui::Button> newWhiteButton();
    static std::shared_ptr<ui::Button> newBarButton();
    static std::shared_ptr<ui::Button> newBarBackButton();
    static std::shared_ptr<ui::Button> newMossBarButton();
    static std::shared_ptr<ui::Button> newIMBarButton();
    static std::shared_ptr<ui::Button> newInputBarLightBlueButton();
    static std::shared_ptr<ui::Button> newInputBarRedButton();
    static double buttonFontSize();

    // Lets a one-line label shrink its font (down to kMinimumAutoAdjustFontSize, or its own size
    // when that is smaller) until its text fits its width.
    static void enableFontAutoAdjust(ui::Label& label);
    static constexpr double kMinimumAutoAdjustFontSize = 10;

    // Whether pictures can be taken with a camera: never on this build, which has no camera.
    static bool supportsCamera();

    // The value of the JSON text, or nullopt when it is not JSON.
    static std::optional<fnd::Value> newJsonObject(std::string_view text);
};

} // namespace zelvan
