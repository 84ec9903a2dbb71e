// The apps tab's reflection and picture loading.
#include "offers/brightpoint/bp_app_images.h"

#include <array>

#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_image_manipulator.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/bp_worker_fetch.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/graphics/gradient.h"
#include "platform/ui/view.h"

namespace zelvan::brightpoint {

namespace {

constexpr double kImageTimeout = 30.0;
// Larger pictures are not decoded (an icon or a screenshot is far smaller).
constexpr int kMaxSide = 4096;

bool validSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

} // namespace

std::shared_ptr<gfx::BitmapContext> BPMyCreateBitmapContext(int width, int height) {
    if (!validSize(width, height)) {
        return nullptr;
    }
    return gfx::BitmapContext::create(width, height, gfx::PixelFormat::Bgra8PremulFirstLE);
}

gfx::ImagePtr BPCreateGradientImage(int width, int height) {
    if (!validSize(width, height)) {
        return nullptr;
    }
    auto context = gfx::BitmapContext::create(width, height, gfx::PixelFormat::Gray8);
    if (!context) {
        return nullptr;
    }
    const std::array<double, 8> components = {0, 0, 0, 1, 1, 1, 1, 1};
    const std::array<double, 2> locations = {0, 1};
    auto gradient = gfx::Gradient::withColorComponents(components, locations);
    context->drawLinearGradient(*gradient, gfx::Point(0, 0), gfx::Point(0, height),
                                gfx::GradientDrawingOptions::DrawsAfterEnd);
    return context->makeImage();
}

gfx::ImagePtr BPReflectedImage(ui::View* view, int height) {
    if (view == nullptr || height <= 0) {
        return nullptr;
    }
    const gfx::Rect bounds = view->bounds();
    const int width = static_cast<int>(bounds.width());
    auto context = BPMyCreateBitmapContext(width, height);
    auto mask = BPCreateGradientImage(1, height);
    if (!context || !mask) {
        return nullptr;
    }
    context->clipToMask(gfx::Rect(0, 0, width, height), *mask);
    // The view draws as if y ran down; in this y-up bitmap its bottom rows land upside down on top.
    context->translateCTM(0, -(bounds.height() - height));
    view->renderInContext(*context);
    return context->makeImage();
}

void BPLoadImageUncached(const std::string& url, const std::shared_ptr<fnd::WorkerPool>& workers,
                         std::weak_ptr<const void> owner, std::function<void(gfx::ImagePtr)> done) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: not a picture address: \"%s\"", url);
        return;
    }
    fnd::FetchOptions options;
    options.timeout = kImageTimeout;
    auto loaded = [url, done = std::move(done)](fnd::Result<fnd::FetchReply> reply) {
        if (!reply || reply->response.statusCode() != 200) {
            ZLOG_TO(kBrightpointLog, Info, "Brightpoint: the picture %s could not be loaded", url);
            return;
        }
        auto image = gfx::Image::imageWithData(reply->body);
        if (!image || !validSize(image->width(), image->height())) {
            ZLOG_TO(kBrightpointLog, Info, "Brightpoint: %s is no picture", url);
            return;
        }
        done(std::move(image));
    };
    BPFetchOnWorker(workers,
                    fnd::UrlRequest(*parsed, fnd::UrlRequestCachePolicy::ReloadIgnoringLocalCacheData, kImageTimeout),
                    std::move(options), std::move(owner), std::move(loaded));
}

void BPLoadAppPicture(const std::string& url, bool round, std::shared_ptr<BPImageCache> cache,
                      const std::shared_ptr<fnd::WorkerPool>& workers, std::weak_ptr<const void> owner,
                      std::function<void(gfx::ImagePtr)> done) {
    BPLoadImageUncached(url, workers, std::move(owner),
                        [url, round, cache = std::move(cache), done = std::move(done)](gfx::ImagePtr image) {
                            if (round) {
                                image = BPImageManipulator::makeRoundCornerImage(std::move(image), 10, 10);
                            }
                            if (!image) {
                                return;
                            }
                            if (cache) {
                                cache->cacheImage(image, url);
                            }
                            done(std::move(image));
                        });
}

} // namespace zelvan::brightpoint
