// The demo's hook-ad banner: the shared ad view's hook-ad source, its canvas and the store link.
#include "app/demo/tallio_demo_ad.h"

#include "ads/zlv_ad_wrapper_view.h"
#include "analytics/tallio/tallio_ad_canvas_view_controller.h"
#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_ad_view.h"
#include "analytics/tallio/tallio_api.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_hook_ad_source.h"
#include "platform/ui/application.h"
#include "platform/ui/navigation_controller.h"

namespace zelvan::app {

namespace {

class Demo final : public TallioDemoAd {
public:
    Demo(std::shared_ptr<tallio::TallioContext> context, std::shared_ptr<ZLVAdWrapperView> wrapper)
        : context_(std::move(context)), wrapper_(std::move(wrapper)) {}

    bool replyParsed() const override { return context_->adParser()->adParsingPhase().get() >= 1; }

    bool inAdView() const override {
        auto source = hookAds();
        return source && source->banner();
    }

    bool adAvailable() const override { return inAdView() && wrapper_ && wrapper_->isAdViewAvailable(); }

    bool touch() override {
        auto source = hookAds();
        if (!source || !source->banner()) {
            return false;
        }
        opened_ = ui::Application::shared().openedUrls().size();
        banner_ = source->banner();
        banner_->touchesBegan({}, nullptr);
        return canvas() != nullptr;
    }

    bool canvasLoaded() const override {
        auto shown = canvas();
        return shown && shown->listView();
    }

    bool followStoreLink() override {
        auto shown = canvas();
        if (!shown) {
            return false;
        }
        auto url = fnd::Url::parse(tallio::TallioAPI::appStoreURL() +
                                   "?app=" + std::to_string(banner_->ad() ? banner_->ad()->adId : 0));
        if (!url) {
            return false;
        }
        fnd::UrlRequest request(*url);
        return !shown->webViewShouldStartLoadWithRequest(*shown->webView(), request, ui::NavigationType::LinkClicked);
    }

    bool storeOpened() const override { return ui::Application::shared().openedUrls().size() > opened_; }

    void close() override {
        if (auto shown = canvas()) {
            report_.push_back("canvas " + shown->webUrl());
            shown->cancel();
        }
        if (storeOpened()) {
            report_.push_back("store link opened " + ui::Application::shared().openedUrls().back());
        }
    }

    std::vector<std::string> report() const override { return report_; }

private:
    // The shared ad view's source when it is the hook-ad banner.
    std::shared_ptr<tallio::TallioHookAdSource> hookAds() const {
        return wrapper_ ? std::dynamic_pointer_cast<tallio::TallioHookAdSource>(wrapper_->adSource()) : nullptr;
    }

    std::shared_ptr<tallio::TallioAdCanvasViewController> canvas() const {
        auto nav = banner_ ? banner_->modalNavigationController() : nullptr;
        return nav ? std::dynamic_pointer_cast<tallio::TallioAdCanvasViewController>(nav->topViewController())
                   : nullptr;
    }

    std::shared_ptr<tallio::TallioContext> context_;
    std::shared_ptr<ZLVAdWrapperView> wrapper_;
    // The banner touched.
    std::shared_ptr<tallio::TallioAdView> banner_;
    size_t opened_ = 0;
    std::vector<std::string> report_;
};

} // namespace

std::shared_ptr<TallioDemoAd> makeTallioDemoAd(zelvanAppDelegate& delegate) {
    auto context = delegate.tallio();
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate.adView());
    return context && wrapper ? std::make_shared<Demo>(std::move(context), std::move(wrapper)) : nullptr;
}

} // namespace zelvan::app
