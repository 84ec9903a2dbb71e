// ORVGenericCellImageFetcher: starting a load, turning the reply into a rounded icon and placing it.
#include "offers/orvane/offers/orv_generic_cell_image_fetcher.h"

#include <vector>

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/offers/orv_icon_reads.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/gif_codec.h"
#include "platform/graphics/jpeg_codec.h"
#include "platform/graphics/png_codec.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

namespace {

struct Wanted {
    std::weak_ptr<ui::View> cell;
    const ui::View* key = nullptr;
    std::string url;
};

std::vector<Wanted>& wantedList() {
    static auto* list = new std::vector<Wanted>();
    return *list;
}

void setWanted(const std::shared_ptr<ui::View>& cell, const std::string& url) {
    auto& list = wantedList();
    std::erase_if(list, [](const Wanted& w) { return w.cell.expired(); });
    for (auto& w : list) {
        if (w.key == cell.get()) {
            w.url = url;
            return;
        }
    }
    list.push_back(Wanted{cell, cell.get(), url});
}

} // namespace

gfx::ImagePtr ImageManipulator::makeRoundCornerImage(const gfx::ImagePtr& image, int cornerWidth, int cornerHeight) {
    return ORVUtil::makeRoundCornerImage(image, cornerWidth, cornerHeight);
}

void addRoundedRectToPath(gfx::Context& context, gfx::Rect rect, double ovalWidth, double ovalHeight) {
    context.addRoundedRectToPath(rect, ovalWidth, ovalHeight);
}

std::shared_ptr<ORVGenericCellImageFetcher> ORVGenericCellImageFetcher::init() {
    return std::make_shared<ORVGenericCellImageFetcher>();
}

std::optional<std::string> ORVGenericCellImageFetcher::wantedURL(const ui::View& cell) {
    for (const auto& w : wantedList()) {
        if (w.key == &cell && !w.cell.expired()) {
            return w.url;
        }
    }
    return std::nullopt;
}

void ORVGenericCellImageFetcher::loadStringURL(const std::string& urlText, const std::shared_ptr<ui::View>& cell) {
    if (isLoading_) {
        return;
    }
    isLoading_ = true;
    urlString_ = urlText;
    cell_ = cell;
    if (cell) {
        setWanted(cell, urlText);
    }
    hold_ = shared_from_this(); // the read keeps the fetcher until its handler has run
    std::weak_ptr<ORVGenericCellImageFetcher> weak = weak_from_this();
    ORVIconReads::read(urlText, [weak](fnd::Result<fnd::Bytes> data) {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        auto keep = std::move(self->hold_);
        if (data) {
            self->loadDidFinishWithData(data.value());
        } else {
            self->loadDidFinishWithError(data.error());
        }
    });
}

void ORVGenericCellImageFetcher::loadStringURL(const std::string& urlText, const std::shared_ptr<ui::View>& cell,
                                               int type) {
    if (isLoading_) {
        return;
    }
    loadStringURL(urlText, cell);
    myType_ = type;
}

gfx::ImagePtr ORVGenericCellImageFetcher::decodeIcon(std::span<const uint8_t> data, int type, std::string_view source) {
    const std::string from = fnd::logPreview(source);
    fnd::Bytes decoded;
    std::span<const uint8_t> picture = data;
    if (type == 1) {
        auto parser = ORVParser::sharedParserInstance();
        ORVParser local;
        const ORVParser& use = parser ? *parser : local;
        auto parsed = use.parse(data);
        if (!parsed) {
            ORVLog::logWithLevel(
                3, "Offer wall: refused the icon reply from %@, not XML (%@): %@", from,
                parsed.error().localizedDescription(),
                fnd::logPreview(std::string_view(reinterpret_cast<const char*>(data.data()), data.size())));
            return nullptr;
        }
        fnd::Value envelope = ORVParser::dictionaryValue(*parsed, ORVShadow::kEnvelope);
        auto icon = ORVParser::stringValue(envelope, "Icon");
        if (!icon || icon->empty()) {
            ORVLog::logWithLevel(3, "Offer wall: refused the icon reply from %@, it holds no icon: %@", from,
                                 fnd::logPreview(*parsed));
            return nullptr;
        }
        decoded = ORVUtil::dataWithBase64EncodedString(*icon);
        picture = decoded;
    }
    gfx::ImagePtr image = gfx::Image::imageWithData(picture);
    if (!image) {
        const bool known = gfx::isPngData(picture) || gfx::isJpegData(picture) || gfx::isGifData(picture);
        ORVLog::logWithLevel(3, "Offer wall: refused the icon from %@, its %lld bytes are %@", from,
                             static_cast<long long>(picture.size()),
                             known ? "damaged or a picture larger than allowed" : "not a PNG, JPEG or GIF picture");
    }
    return image;
}

gfx::ImagePtr ORVGenericCellImageFetcher::iconFromData(const fnd::Bytes& data, std::string_view source,
                                                       bool& failedToDraw) {
    failedToDraw = false;
    gfx::ImagePtr image = decodeIcon(data, myType_, source);
    if (!image) {
        return nullptr;
    }
    bgImage_ = ORVUtil::scaleToSize(gfx::Size(kDrawnSide, kDrawnSide), image);
    auto rounded = ImageManipulator::makeRoundCornerImage(bgImage_, kCornerOval, kCornerOval);
    failedToDraw = !rounded;
    return rounded;
}

void ORVGenericCellImageFetcher::loadDidFinishWithData(const fnd::Bytes& data) {
    isLoading_ = false;
    const std::string url = urlString_.value_or("");
    urlString_.reset();
    auto cell = cell_.lock();
    // A reused cell that now shows another row wants another icon: this one would be wrong there.
    if (cell && wantedURL(*cell) != url) {
        ORVLog::logWithLevel(4, "Icon for a row the cell no longer shows dropped");
        cell.reset();
    }
    if (cell) {
        bool failedToDraw = false;
        gfx::ImagePtr icon = iconFromData(data, url, failedToDraw);
        if (failedToDraw) {
            auto alert = ui::AlertView::initWithTitle(kAlertTitle, "", shared_from_this(), std::nullopt, {"OK"});
            alert->show();
        } else if (icon) {
            const double y = (cell->frame().size.height - kIconSide) / 2;
            auto view = ui::View::create<ui::ImageView>(gfx::Rect(kIconX, y, kIconSide, kIconSide));
            view->setImage(icon);
            view->setTag(kIconTag);
            // One icon per cell: a later load replaces the view of the one before.
            if (auto old = cell->viewWithTag(kIconTag); old && old.get() != cell.get()) {
                old->removeFromSuperview();
            }
            ORVUtil::animateORVView(view, ORVUtil::FadeIn, 0.5);
            cell->addSubview(view);
        }
    }
    callbacks_.success();
}

void ORVGenericCellImageFetcher::loadDidFinishWithError(const fnd::Error& error) {
    isLoading_ = false;
    ORVLog::logWithLevel(3, "Offer wall: refused the icon from %@: %@", fnd::logPreview(urlString_.value_or("")),
                         fnd::logReason(error));
    urlString_.reset();
    callbacks_.failure();
}

} // namespace zelvan::orvane
