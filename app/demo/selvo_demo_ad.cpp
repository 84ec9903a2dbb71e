// The demo's Selvo ad: a type-1 view made, configured and started as the banner mediation does, with a
// delegate that notes the displayed ad.
#include "app/demo/selvo_demo_ad.h"

#include <atomic>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_run_mode.h"
#include "ads/selvo/sv_url_builder.h"
#include "ads/selvo/view/sv_ad_view_concrete.h"

namespace zelvan::app {

namespace {

// The ad host's ids for the demo (its single replies for "demo" carry a 320 x 50 picture).
constexpr const char* kPublisherID = "demo";
constexpr const char* kSiteID = "zelvan-demo";

class DemoAd : public SelvoDemoAd, public selvo::SVAdViewDelegate {
public:
    explicit DemoAd(std::shared_ptr<selvo::SelvoContext> context) : context_(std::move(context)) {}

    void start(const std::shared_ptr<DemoAd>& self) {
        selvo::SVAdView::setTestMode(*context_, false);
        selvo::SVSetLogging(*context_, false);
        view_ = std::dynamic_pointer_cast<selvo::SVAdViewConcrete>(
            selvo::SVAdView::adViewWithType(context_, 1, kPublisherID, kSiteID, 1, self));
        if (!view_) {
            return;
        }
        view_->setBackgroundColor(gfx::Color::black());
        if (auto url =
                selvo::SVURLBuilder(*context_).urlForAdType(view_->requestAdType(), 0, view_->userInfoDictionary())) {
            request_ = url->absoluteString();
        }
        view_->displayNewAd();
    }

    std::shared_ptr<ui::View> view() const override { return view_; }
    bool displayed() const override { return displayed_.load(); }
    std::vector<std::string> report() const override {
        std::vector<std::string> lines;
        if (!request_.empty()) {
            lines.push_back("ad request " + request_);
        }
        if (auto ad = view_ ? view_->ad() : nullptr) {
            lines.push_back("showing ad " + ad->adID() + ", picture " + ad->dataURL() + ", click " + ad->url());
        }
        return lines;
    }

    void adViewDidDisplayAd(selvo::SVAdView&, const std::shared_ptr<selvo::SVAd>&) override { displayed_ = true; }

private:
    std::shared_ptr<selvo::SelvoContext> context_;
    std::shared_ptr<selvo::SVAdViewConcrete> view_;
    std::string request_;
    std::atomic<bool> displayed_{false};
};

} // namespace

std::shared_ptr<SelvoDemoAd> showSelvoDemoAd(zelvanAppDelegate& delegate) {
    auto context = delegate.service(&AppRegistry::selvo);
    if (!context) {
        return nullptr;
    }
    auto ad = std::make_shared<DemoAd>(std::move(context));
    ad->start(ad);
    return ad;
}

} // namespace zelvan::app
