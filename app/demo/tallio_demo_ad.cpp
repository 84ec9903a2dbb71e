// The demo's hook-ad banner: a wrapper view over the hook-ad source, its canvas and the store link.
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
#include "platform/ui/tab_bar_controller.h"

namespace zelvan::app {

namespace {

class Demo final : public TallioDemoAd {
public:
    Demo(zelvanAppDelegate& delegate, std::shared_ptr<tallio::TallioContext> context)
        : delegate_(delegate), context_(std::move(context)) {}

    bool replyParsed() const override { return context_->adParser()->adParsingPhase().get() >= 1; }

    bool show(ui::View& parent, gfx::Rect frame) override {
        source_ = tallio::TallioHookAdSource::create(context_->hookViewFactory(), delegate_.tabBarController());
        if (!source_->banner()) {
            return false;
        }
        wrapper_ = ui::View::create<ZLVAdWrapperView>(frame);
        wrapper_->setAdSource(source_);
        parent.addSubview(wrapper_);
        return true;
    }

    bool adAvailable() const override { return wrapper_ && wrapper_->isAdViewAvailable(); }

    bool touch() override {
        opened_ = ui::Application::shared().openedUrls().size();
        source_->banner()->touchesBegan({}, nullptr);
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
        auto url = fnd::Url::parse(tallio::TallioAPI::appStoreURL() + "?app=" +
                                   std::to_string(source_->banner()->ad() ? source_->banner()->ad()->adId : 0));
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
        if (wrapper_) {
            wrapper_->removeFromSuperview();
        }
    }

    std::vector<std::string> report() const override { return report_; }

private:
    std::shared_ptr<tallio::TallioAdCanvasViewController> canvas() const {
        auto nav = source_ && source_->banner() ? source_->banner()->modalNavigationController() : nullptr;
        return nav ? std::dynamic_pointer_cast<tallio::TallioAdCanvasViewController>(nav->topViewController())
                   : nullptr;
    }

    zelvanAppDelegate& delegate_;
    std::shared_ptr<tallio::TallioContext> context_;
    std::shared_ptr<tallio::TallioHookAdSource> source_;
    std::shared_ptr<ZLVAdWrapperView> wrapper_;
    size_t opened_ = 0;
    std::vector<std::string> report_;
};

} // namespace

std::shared_ptr<TallioDemoAd> makeTallioDemoAd(zelvanAppDelegate& delegate) {
    auto context = delegate.tallio();
    return context ? std::make_shared<Demo>(delegate, std::move(context)) : nullptr;
}

} // namespace zelvan::app
