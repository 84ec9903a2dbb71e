// ORVUtil: the offer network's utilities - reply text (tag removal, number grouping, mail escaping, typed
// reads), the skin's colour and its gradient images, rounded, scaled and reflected images, Base64, file
// helpers and the SDK's view transitions. Split by concern over orv_util*.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/file_handle.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

namespace ui {
class ImageView;
class View;
} // namespace ui

namespace zelvan::orvane {

class ORVUtil {
public:
    // The SDK's transitions (animateORVView): 0-4 bring a view in from the top, bottom, left or right,
    // or fade it in; 5-9 take it out the same ways (the reverse of e is e + 5).
    enum Transition {
        InFromTop = 0,
        InFromBottom = 1,
        InFromLeft = 2,
        InFromRight = 3,
        FadeIn = 4,
        OutToTop = 5,
        OutToBottom = 6,
        OutToLeft = 7,
        OutToRight = 8,
        FadeOut = 9,
    };
    // The amounts primaryThemeColorGradientButtonImage adds to the user colour at the top and bottom.
    static constexpr int kPrimaryGradientTop = 50;
    static constexpr int kPrimaryGradientBottom = 0;
    // Oval size of the corners of the gradient buttons.
    static constexpr int kButtonCornerOval = 6;
    // The largest side of a generated image.
    static constexpr int kMaxImageSide = 4096;

    // --- Text (orv_util.cpp) ---
    // The text without every span from "<" to the next ">"; a "<" with no ">" after it stays.
    static std::string removeUnRequiredHTMLTags(std::string_view text);
    // Decimal digits grouped by three from the right with ","; a negative number is "-" and its grouped
    // magnitude: 1234567 gives "1,234,567", -1000 gives "-1,000".
    static std::string formatString(int value);
    // Mail-body text for a "mailto:" URL: valid percent escapes undone (a "%" without two hex digits
    // kept as it is), then everything but letters and digits percent-escaped in UTF-8.
    static std::string escapeUnrequiredChracterForEmailBody(std::string_view text);
    // The text under `token` (the first of repeats), "" for anything else; never fails.
    static std::string getXMLRootStrValueWithDict(const fnd::Value& dictionary, std::string_view token);
    // The leading decimal number as a signed 64-bit value, saturating at the limits; 0 when none.
    static int64_t getStrLongValue(std::string_view text);
    // The bytes of the Base64 text, read leniently (core's base64DecodeLenient).
    static fnd::Bytes dataWithBase64EncodedString(std::string_view text);

    // --- Colour (orv_util.cpp) ---
    // 0xRRGGBB with `amount` added to each of red, green and blue, each clamped to 0...255.
    static int32_t addWhite(int32_t colorCode, int amount);
    // The skin's primary colour: the context's, 0E2C4C until the host sets one (or without a context). A
    // class-level entry point (orvane_entry_points.cpp).
    static int32_t getUserDefinedColorCode();
    static gfx::Color getUserDefinedColor();

    // --- Files (orv_util_files.cpp) ---
    // Creates the folder with any missing parents; true when it exists afterwards.
    static bool createDirAtPath(const std::string& path);
    // Replaces a file at the path (never a folder) by an empty one and opens it for writing; null on failure.
    static std::shared_ptr<fnd::FileHandle> createWriteableFileAtPath(const std::string& path);
    // Unpacks the whole archive into the folder, overwriting files; every entry must stay inside it.
    static bool unZipFile(const std::string& zipPath, const std::string& folder);

    // --- Images (orv_util_images.cpp); null for a null image or a side outside 1...kMaxImageSide ---
    // The image drawn into a bitmap of `size` (cut to whole pixels).
    static gfx::ImagePtr scaleToSize(gfx::Size size, const gfx::ImagePtr& image);
    // The image clipped to a rounded rectangle whose corners are quarter ellipses `cornerWidth` across
    // and `cornerHeight` down (the plain rectangle when either is 0).
    static gfx::ImagePtr makeRoundCornerImage(const gfx::ImagePtr& image, int cornerWidth, int cornerHeight);
    // A rounded button of width x height running from addWhite(user colour, top) at the top to
    // addWhite(user colour, bottom) at the bottom.
    static gfx::ImagePtr gradientButtonImage(int width, int height, int top, int bottom);
    // gradientButtonImage of the size with kPrimaryGradientTop and kPrimaryGradientBottom.
    static gfx::ImagePtr primaryThemeColorGradientButtonImage(gfx::Size size);
    // gradientButtonImage in the colour `colorCode` rather than the user colour.
    static gfx::ImagePtr userColorGradientButtonImage(int32_t colorCode, int width, int height, int top, int bottom);
    // A plain (square-cornered) cell background with the same gradient as gradientButtonImage.
    static gfx::ImagePtr gradientCellBackgroundImage(int width, int height, int top, int bottom);
    // The view's image mirrored top to bottom (its bottom row first), `height` rows of it, under a mask
    // fading from opaque at the top to transparent at the bottom.
    static gfx::ImagePtr reflectedImage(const std::shared_ptr<ui::ImageView>& imageView, int height);

    // --- Views (orv_util_views.cpp; main thread) ---
    // Runs transition `effect` (see Transition) on the view over `seconds`: a move-in or reveal
    // transition on its layer, or an alpha animation for the fades; other numbers do nothing.
    static void animateORVView(const std::shared_ptr<ui::View>& view, int effect, double seconds);
    // A new image view at the image's own size, centred horizontally in `view`, its top at y.
    static std::shared_ptr<ui::ImageView> getCenteredImageViewWithImg(const gfx::ImagePtr& image,
                                                                      const std::shared_ptr<ui::View>& view, double y);
};

} // namespace zelvan::orvane
