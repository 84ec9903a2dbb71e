// ShowQuoteInfo: a self-filling box showing a quote and its author from the offer server. Once made it
// asks for the quote and turns a spinner; the first quote reply after that fills it and drops the spinner.
// A failed reply leaves the spinner turning.
#pragma once

#include <memory>

#include "platform/foundation/observer_token.h"
#include "platform/graphics/font.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/label.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

class ShowQuoteInfo : public ui::View {
public:
    static constexpr int64_t kTextLabelTag = 100;
    static constexpr int64_t kAuthorLabelTag = 101;

    // `font` (null: the labels' own) is used by both labels.
    explicit ShowQuoteInfo(std::shared_ptr<gfx::Font> font = nullptr) : font_(std::move(font)) {}
    // The box with both labels in `font`.
    static std::shared_ptr<ShowQuoteInfo> initWithFrame(gfx::Rect frame, std::shared_ptr<gfx::Font> font);

    // The labels, the spinner, the observer, and the GetQuote call.
    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ShowQuoteInfo"; }

    // Register / unregister for the quote reply ("15").
    void addObservers();
    void removeObservers();
    // Fills the box from the cached quote record ("~ %@" for the author), once.
    void quoteReturnAction();

    const std::shared_ptr<ui::Label>& textLabel() const { return textLabel_; }
    const std::shared_ptr<ui::Label>& authorLabel() const { return authorLabel_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& activityIndicator() const { return activityIndicator_; }

private:
    std::shared_ptr<gfx::Font> font_;
    std::shared_ptr<ui::Label> textLabel_;
    std::shared_ptr<ui::Label> authorLabel_;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
    fnd::ObserverToken quoteToken_;
};

} // namespace zelvan::orvane
