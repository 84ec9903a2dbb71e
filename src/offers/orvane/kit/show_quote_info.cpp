// ShowQuoteInfo: the quote box and how it fills.
#include "offers/orvane/kit/show_quote_info.h"

#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "platform/foundation/format.h"
#include "platform/foundation/notification_center.h"

namespace zelvan::orvane {

std::shared_ptr<ShowQuoteInfo> ShowQuoteInfo::initWithFrame(gfx::Rect frame, std::shared_ptr<gfx::Font> font) {
    return ui::View::create<ShowQuoteInfo>(frame, std::move(font));
}

void ShowQuoteInfo::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    const double width = frame.size.width;
    const double height = frame.size.height;
    textLabel_ = ui::View::create<ui::Label>(gfx::Rect(0, 0, width, height));
    authorLabel_ = ui::View::create<ui::Label>(gfx::Rect(0, height / 2, width, height / 2));
    textLabel_->setTag(kTextLabelTag);
    authorLabel_->setTag(kAuthorLabelTag);
    for (const auto& label : {textLabel_, authorLabel_}) {
        label->setBackgroundColor(gfx::Color::clear());
        label->setNumberOfLines(0);
        if (font_) {
            label->setFont(font_);
        }
    }
    authorLabel_->setTextAlignment(ui::TextAlignment::Right);
    activityIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    activityIndicator_->setFrame(gfx::Rect(width / 2 - 15, height / 2 - 15, 30, 30));
    activityIndicator_->startAnimating();
    addSubview(activityIndicator_);
    addSubview(textLabel_);
    addSubview(authorLabel_);
    addObservers();
    if (auto shadow = ORVShadow::sharedInstance()) {
        shadow->getQuote();
    }
    setBackgroundColor(gfx::Color::clear());
}

void ShowQuoteInfo::addObservers() {
    quoteToken_ = fnd::NotificationCenter::defaultCenter().observe(kORVQuoteReceived, self<ShowQuoteInfo>(),
                                                                   &ShowQuoteInfo::quoteReturnAction);
}

void ShowQuoteInfo::removeObservers() {
    quoteToken_ = {};
}

void ShowQuoteInfo::quoteReturnAction() {
    removeObservers();
    auto model = ORVModelController::sharedInstance();
    if (model && model->getOrvaneQuoteReturnObj()) {
        const auto& quote = *model->getOrvaneQuoteReturnObj();
        textLabel_->setText(quote.text);
        authorLabel_->setText(fnd::format("~ %@", quote.author));
    }
    activityIndicator_->stopAnimating();
    activityIndicator_->removeFromSuperview();
}

} // namespace zelvan::orvane
