// ORVGenericCell: its own picture load and where the picture goes.
#include "offers/orvane/offers/orv_generic_cell.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/offers/orv_icon_reads.h"
#include "platform/foundation/log_preview.h"
#include "platform/ui/image_view.h"

namespace zelvan::orvane {

void ORVGenericCell::loadStringURL(const std::string& urlText) {
    if (isLoading_) {
        return;
    }
    isLoading_ = true;
    urlString_ = urlText;
    std::weak_ptr<ORVGenericCell> weak = self<ORVGenericCell>();
    ORVIconReads::read(urlText, [weak](fnd::Result<fnd::Bytes> data) {
        if (auto cell = weak.lock()) {
            if (data) {
                cell->loadDidFinishWithData(data.value());
            } else {
                cell->loadDidFinishWithError(data.error());
            }
        }
    });
}

void ORVGenericCell::loadDidFinishWithData(const fnd::Bytes& data) {
    isLoading_ = false;
    const std::string url = urlString_.value_or("");
    urlString_.reset();
    bgImage_ = gfx::Image::imageWithData(data);
    if (!bgImage_) {
        ORVLog::logWithLevel(3, "Offer wall: refused the picture from %@, its %lld bytes are no picture it can show",
                             fnd::logPreview(url), static_cast<long long>(data.size()));
    } else if (auto holder = viewWithTag(kPictureHolderTag)) {
        auto view = ui::View::create<ui::ImageView>(kPictureFrame);
        view->setImage(bgImage_);
        holder->addSubview(view);
        holder->bringSubviewToFront(view.get());
    }
    callbacks_.success();
}

void ORVGenericCell::loadDidFinishWithError(const fnd::Error& error) {
    isLoading_ = false;
    ORVLog::logWithLevel(3, "Offer wall: refused the picture from %@: %@", fnd::logPreview(urlString_.value_or("")),
                         fnd::logReason(error));
    urlString_.reset();
    callbacks_.failure();
}

} // namespace zelvan::orvane
