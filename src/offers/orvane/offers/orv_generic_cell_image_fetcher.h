// ORVGenericCellImageFetcher: loads one row icon for a table cell without blocking the main thread and
// puts it into the cell, rounded and faded in; type 1 reads the offer service's reply that carries the
// icon as Base64 text, any other type reads the image bytes themselves. Reads go through ORVIconReads (at
// most four at once, 30 s each). A fetcher serves one load and keeps itself alive until it has ended.
// ImageManipulator is the rounded-corner clipping the icons use. Main thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/graphics/context.h"
#include "platform/graphics/image.h"
#include "platform/ui/alert_view.h"

namespace ui {
class View;
}

namespace zelvan::orvane {

class ImageManipulator {
public:
    // The image clipped to a rounded rectangle with corner ovals of the sizes (the plain rectangle when
    // either is 0); null for a null image.
    static gfx::ImagePtr makeRoundCornerImage(const gfx::ImagePtr& image, int cornerWidth, int cornerHeight);
};

// Adds the rounded rectangle to the context's path: corners are quarter ellipses `ovalWidth` across and
// `ovalHeight` down; either 0 adds the plain rectangle.
void addRoundedRectToPath(gfx::Context& context, gfx::Rect rect, double ovalWidth, double ovalHeight);

// The completion selectors: each runs while `actionTarget` lives and when it is set.
struct ORVLoadCallbacks {
    std::weak_ptr<const void> actionTarget;
    bool hasTarget = false;
    std::function<void()> onLoadSuccess;
    std::function<void()> onLoadFailure;

    void setActionTarget(std::weak_ptr<const void> target) {
        actionTarget = std::move(target);
        hasTarget = true;
    }
    void success() const { send(onLoadSuccess); }
    void failure() const { send(onLoadFailure); }

private:
    void send(const std::function<void()>& fn) const {
        if (hasTarget && fn && !actionTarget.expired()) {
            fn();
        }
    }
};

class ORVGenericCellImageFetcher : public ui::AlertViewDelegate,
                                   public std::enable_shared_from_this<ORVGenericCellImageFetcher> {
public:
    static constexpr double kIconSide = 57;
    static constexpr double kIconX = 2;
    static constexpr double kDrawnSide = 80;
    static constexpr int kCornerOval = 10;
    static constexpr int kIconTag = 1;
    static constexpr const char* kAlertTitle = "Unable to get results. Please try again in a few moments";

    static std::shared_ptr<ORVGenericCellImageFetcher> init();

    // Starts a load of the image at `urlText` for `cell` (type 0); nothing while a load runs.
    void loadStringURL(const std::string& urlText, const std::shared_ptr<ui::View>& cell);
    // The same, then the reply's kind: 1 = the offer service's reply with the icon as Base64 "Icon".
    void loadStringURL(const std::string& urlText, const std::shared_ptr<ui::View>& cell, int type);

    // Completion handlers (main run loop).
    void loadDidFinishWithData(const fnd::Bytes& data);
    void loadDidFinishWithError(const fnd::Error& error);

    ORVLoadCallbacks& callbacks() { return callbacks_; }
    bool isLoading() const { return isLoading_; }
    const std::optional<std::string>& urlString() const { return urlString_; }
    const gfx::ImagePtr& bgImage() const { return bgImage_; }
    int myType() const { return myType_; }

    // The picture a finished read carries: for type 1 the Base64 "Icon" of the reply's envelope, else
    // the bytes themselves; null (with one WARN line naming `source`, where the bytes came from) when
    // there is none.
    static gfx::ImagePtr decodeIcon(std::span<const uint8_t> data, int type, std::string_view source = {});

    // The URL a cell last asked an icon for (a result for another URL is dropped); none when no fetcher
    // started for it.
    static std::optional<std::string> wantedURL(const ui::View& cell);

    void alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int /*buttonIndex*/) override {}

private:
    // The icon of a finished read: decoded, drawn at 80 x 80 and rounded; null when it yields none.
    gfx::ImagePtr iconFromData(const fnd::Bytes& data, std::string_view source, bool& failedToDraw);

    std::optional<std::string> urlString_;
    gfx::ImagePtr bgImage_;
    ORVLoadCallbacks callbacks_;
    bool isLoading_ = false;
    std::weak_ptr<ui::View> cell_;
    int myType_ = 0;
    std::shared_ptr<ORVGenericCellImageFetcher> hold_;
};

} // namespace zelvan::orvane
