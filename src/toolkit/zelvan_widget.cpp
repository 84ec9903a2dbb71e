// ZelvanWidget's images: bundle PNGs through the resource image cache, the shared image cache, files
// and grey copies, card pictures through the messenger's rule, network and presence icons, and the
// small shared helpers.
#include "toolkit/zelvan_widget.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "core/zjson.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/ui/label.h"
#include "platform/ui/view.h"
#include "protocol/tracer.h"
#include "toolkit/toolkit_context.h"
#include "toolkit/widget_layout.h"

namespace zelvan {

namespace {

// The kit's caches: bundle images by resource name, images callers store by key, and grey network
// icons by resource name. One mutex guards all three; it is never held while decoding.
struct ImageCaches {
    std::mutex mutex;
    std::map<std::string, gfx::ImagePtr, std::less<>> resources;
    std::map<std::string, gfx::ImagePtr, std::less<>> shared;
    std::map<std::string, gfx::ImagePtr, std::less<>> greyIcons;

    static ImageCaches& instance() {
        static ImageCaches caches;
        return caches;
    }

    gfx::ImagePtr find(std::map<std::string, gfx::ImagePtr, std::less<>>& map, std::string_view key) {
        std::lock_guard lock(mutex);
        const auto it = map.find(key);
        return it == map.end() ? nullptr : it->second;
    }
    void store(std::map<std::string, gfx::ImagePtr, std::less<>>& map, std::string_view key, gfx::ImagePtr image) {
        std::lock_guard lock(mutex);
        map.insert_or_assign(std::string(key), std::move(image));
    }
};

std::string networkIconName(int network) {
    switch (network) {
    case -2:
        return "chatgroup";
    case -3:
        return "chatroom";
    default:
        return network >= 0 ? std::to_string(network) : "zelvan";
    }
}

} // namespace

std::shared_ptr<ui::View> ZelvanWidget::newContentViewForViewController() {
    auto view = ui::View::create<ui::View>(widgetGetMainFrame());
    view->setBackgroundColor(ZelvanStyle::shared()->viewBackgroundColor());
    view->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    return view;
}

gfx::ImagePtr ZelvanWidget::newImageFromResource(std::string_view name, bool cache) {
    return imageFromResource(name, cache);
}

gfx::ImagePtr ZelvanWidget::imageFromResource(std::string_view name, bool cache) {
    if (name.empty()) {
        return nullptr;
    }
    auto& caches = ImageCaches::instance();
    if (auto image = caches.find(caches.resources, name)) {
        return image;
    }
    const auto path = fnd::Bundle::main().pathForResource(name, "png");
    gfx::ImagePtr image = path ? gfx::Image::imageWithContentsOfFile(*path) : nullptr;
    if (!image) {
        ZLOG(Warn, "ZelvanWidget: no resource image \"%@\"", fnd::logPreview(name));
        return nullptr;
    }
    if (cache) {
        caches.store(caches.resources, name, image);
    }
    return image;
}

gfx::ImagePtr ZelvanWidget::cachedImageForName(std::string_view name) {
    if (name.empty()) {
        return nullptr;
    }
    auto& caches = ImageCaches::instance();
    return caches.find(caches.shared, name);
}

void ZelvanWidget::addImageCache(gfx::ImagePtr image, std::string_view key) {
    if (!image || key.empty()) {
        return;
    }
    auto& caches = ImageCaches::instance();
    caches.store(caches.shared, key, std::move(image));
}

void ZelvanWidget::clearImageCaches() {
    auto& caches = ImageCaches::instance();
    std::lock_guard lock(caches.mutex);
    caches.resources.clear();
    caches.shared.clear();
    caches.greyIcons.clear();
}

gfx::ImagePtr ZelvanWidget::newMemoryImageFromFile(const std::string& path, gfx::DecodeLimit limit) {
    const std::optional<fnd::Bytes> bytes = fnd::readFile(path);
    if (!bytes) {
        ZLOG(Warn, "ZelvanWidget: cannot read %@", fnd::logPreview(path));
        return nullptr;
    }
    return gfx::Image::imageWithData(*bytes, limit);
}

gfx::ImagePtr ZelvanWidget::newGrayScaleImage(const gfx::ImagePtr& image) {
    return image ? image->grayscaleCopy() : nullptr;
}

std::optional<std::string> ZelvanWidget::bundleResourcePath(std::string_view file) {
    return fnd::Bundle::main().pathForResource(file, "");
}

gfx::ImagePtr ZelvanWidget::newStatusImageForCard(const fnd::Value& card) {
    auto delegate = toolkit::context();
    if (auto rule = delegate ? delegate->cardPictureRule() : nullptr) {
        if (auto picture = rule->pictureForCard(card)) {
            return *picture;
        }
    }
    ZTRACE_WARN("unknown card type %@", fnd::logPreview(card));
    return nullptr;
}

gfx::ImagePtr ZelvanWidget::iconForIM(int network, bool grayscale) {
    std::string name = networkIconName(network);
    gfx::ImagePtr icon = imageFromResource(name, true);
    if (!icon && name != "zelvan") {
        name = "zelvan";
        icon = imageFromResource(name, true);
    }
    if (!grayscale || !icon) {
        return icon;
    }
    auto& caches = ImageCaches::instance();
    if (auto grey = caches.find(caches.greyIcons, name)) {
        return grey;
    }
    gfx::ImagePtr grey = newGrayScaleImage(icon);
    caches.store(caches.greyIcons, name, grey);
    return grey;
}

gfx::ImagePtr ZelvanWidget::stateIcon(int state) {
    if (state < 0 || state > 3) {
        ZLOG(Warn, "ZelvanWidget: no icon for presence state %d", state);
        return nullptr;
    }
    return imageFromResource("state" + std::to_string(state), true);
}

void ZelvanWidget::enableFontAutoAdjust(ui::Label& label) {
    label.setAdjustsFontSizeToFitWidth(true);
    label.setMinimumFontSize(std::min(kMinimumAutoAdjustFontSize, label.font()->pointSize()));
}

bool ZelvanWidget::supportsCamera() {
    // This build runs without any camera hardware behind it.
    return false;
}

std::optional<fnd::Value> ZelvanWidget::newJsonObject(std::string_view text) {
    fnd::Result<fnd::Value> parsed = ZJSON::parse(text);
    if (!parsed) {
        ZTRACE_WARN("JSON parse failed: %@", parsed.error().localizedDescription());
        return std::nullopt;
    }
    return std::move(parsed).value();
}

} // namespace zelvan
