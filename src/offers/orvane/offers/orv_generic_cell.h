// ORVGenericCell: a table cell that loads its own picture (through ORVIconReads, off the main thread) and
// shows it in a 50 x 55 view inside its subview tagged 111; without that subview it only keeps the
// picture. Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "offers/orvane/offers/orv_generic_cell_image_fetcher.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan::orvane {

class ORVGenericCell : public ui::TableViewCell, public ui::AlertViewDelegate {
public:
    static constexpr int kPictureHolderTag = 111;
    static constexpr gfx::Rect kPictureFrame = gfx::Rect(5, 35, 50, 55);

    // ui::View::create<ORVGenericCell>(frame, reuseIdentifier).
    explicit ORVGenericCell(std::string reuseIdentifier = {}) : ui::TableViewCell(std::move(reuseIdentifier)) {}
    std::string className() const override { return "ORVGenericCell"; }

    // Starts a load of the picture at `urlText`; nothing while a load runs.
    void loadStringURL(const std::string& urlText);
    void loadDidFinishWithData(const fnd::Bytes& data);
    void loadDidFinishWithError(const fnd::Error& error);

    ORVLoadCallbacks& callbacks() { return callbacks_; }
    bool isLoading() const { return isLoading_; }
    const std::optional<std::string>& urlString() const { return urlString_; }
    const gfx::ImagePtr& bgImage() const { return bgImage_; }

    void alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int /*buttonIndex*/) override {}

private:
    std::optional<std::string> urlString_;
    gfx::ImagePtr bgImage_;
    ORVLoadCallbacks callbacks_;
    bool isLoading_ = false;
};

} // namespace zelvan::orvane
