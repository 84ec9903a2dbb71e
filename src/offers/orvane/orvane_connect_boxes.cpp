// The facade's picture and quote boxes: one of each kind kept at a time.
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/show_picture.h"
#include "offers/orvane/kit/show_quote_info.h"

namespace zelvan::orvane {

std::shared_ptr<ShowPicture> OrvaneConnect::GetPicture(gfx::Rect frame) {
    pictureBox_.reset();
    pictureBox_ = ui::View::create<ShowPicture>(frame);
    return pictureBox_;
}

std::shared_ptr<ShowQuoteInfo> OrvaneConnect::GetQuote(gfx::Rect frame, std::shared_ptr<gfx::Font> font) {
    quoteBox_.reset();
    quoteBox_ = ShowQuoteInfo::initWithFrame(frame, std::move(font));
    return quoteBox_;
}

} // namespace zelvan::orvane
