// ORVGenericCell: its own picture load and where the picture goes.
#include "offers/orvane/orv_generic_cell.h"

#include "offers/orvane/orv_icon_reads.h"
#include "offers/orvane/orv_log.h"
#include "platform/ui/image_view.h"

namespace zelvan::orvane {

void ORVGenericCell::loadStringURL(const std::string& urlText) {
    if (isLoading_) {
        return;
    }
    isLoading_ = true;
    urlString_ = urlText;
    std::weak_ptr<ORVGenericCell> weak = self<ORVGenericCell>();
    ORVIconReads::read(urlText, [weak](std::optional<fnd::Bytes> data, std::optional<fnd::Error> error) {
        if (auto cell = weak.lock()) {
            if (data) {
                cell->loadDidFinishWithData(*data);
            } else {
                cell->loadDidFinishWithError(error);
            }
        }
    });
}

void ORVGenericCell::loadDidFinishWithData(const fnd::Bytes& data) {
    isLoading_ = false;
    urlString_.reset();
    bgImage_ = gfx::Image::imageWithData(data);
    if (!bgImage_) {
        ORVLog::logWithLevel(3, "Cell picture bytes are no image");
    } else if (auto holder = viewWithTag(kPictureHolderTag)) {
        auto view = ui::View::create<ui::ImageView>(kPictureFrame);
        view->setImage(bgImage_);
        holder->addSubview(view);
        holder->bringSubviewToFront(view.get());
    }
    callbacks_.success();
}

void ORVGenericCell::loadDidFinishWithError(const std::optional<fnd::Error>& error) {
    isLoading_ = false;
    ORVLog::logWithLevel(4, "Cell picture read failed: %s",
                         error ? error->localizedDescription() : std::string("no data"));
    urlString_.reset();
    callbacks_.failure();
}

} // namespace zelvan::orvane
