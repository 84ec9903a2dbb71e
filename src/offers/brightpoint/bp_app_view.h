// BPAppView: the page of one application of the apps tab - icon with its reflection, title, payout, price,
// description, requirements and screenshot - whose price and "Open in iTunes" buttons follow the app's
// referral link through its redirects and hand the last address asked for (the store page) to the system.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view.h"

namespace fnd {
class UrlCancelToken;
}

namespace zelvan::brightpoint {

inline constexpr std::string_view kBPOpenAppFailedMessage =
    "Sorry we couldn't open the application. Please try again, and check your internet connection.";

class BPAppView : public ui::View {
public:
    // `services`: the client's currency and the icon cache.
    explicit BPAppView(BPPageServices services);

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPAppView"; }

    // Fills the page from an app record, starts its icon and screenshot loads and lays the page out.
    void setApp(const fnd::Value& app);
    // Shows the loading cover and follows the record's "url".
    void openApp();
    void openReferralURL(const std::string& url);
    // The bottom `height` rows of the view, mirrored and fading; null for 0.
    static gfx::ImagePtr reflectedImage(ui::View* fromImage, int height);

    const fnd::Value& app() const { return app_; }
    // The address the referral link led to, after its redirects.
    const std::string& storeURL() const { return storeURL_; }
    const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<ui::Label>& subtitleLabel() const { return subtitleLabel_; }
    const std::shared_ptr<ui::Label>& bodyLabel() const { return bodyLabel_; }
    const std::shared_ptr<ui::Label>& payoutLabel() const { return payoutLabel_; }
    const std::shared_ptr<ui::Label>& requirementsLabel() const { return requirementsLabel_; }
    const std::shared_ptr<ui::ImageView>& appImage() const { return appImage_; }
    const std::shared_ptr<ui::ImageView>& appImageReflection() const { return appImageReflection_; }
    const std::shared_ptr<ui::ImageView>& screenshotImage() const { return screenshotImage_; }
    const std::shared_ptr<ui::Button>& completeButton() const { return completeButton_; }
    const std::shared_ptr<ui::Button>& priceButton() const { return priceButton_; }
    const std::shared_ptr<ui::View>& loadingView() const { return loadingView_; }

private:
    // The picture of `url` (the icon rounded), from the icon cache or loaded on the worker pool and
    // cached; `show` gets it on the main thread while the page exists.
    void loadPicture(const std::string& url, bool round, void (*show)(BPAppView&, gfx::ImagePtr));
    void showIcon(gfx::ImagePtr icon);
    void referralFailed(const fnd::Error& error);
    void referralFinished();
    void layoutLabels();
    std::weak_ptr<BPAppView> weakSelf();

    const BPPageServices services_;
    fnd::Value app_;
    std::string storeURL_;
    // Cancels the referral being followed.
    std::shared_ptr<fnd::UrlCancelToken> referral_;
    std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<ui::Label> titleLabel_;
    std::shared_ptr<ui::Label> subtitleLabel_;
    std::shared_ptr<ui::Label> bodyLabel_;
    std::shared_ptr<ui::Label> payoutLabel_;
    std::shared_ptr<ui::Label> requirementsLabel_;
    std::shared_ptr<ui::ImageView> appImage_;
    std::shared_ptr<ui::ImageView> appImageReflection_;
    std::shared_ptr<ui::ImageView> screenshotImage_;
    std::shared_ptr<ui::Button> completeButton_;
    std::shared_ptr<ui::Button> priceButton_;
    std::shared_ptr<ui::View> loadingView_;
    std::shared_ptr<ui::ActivityIndicatorView> loadingIndicator_;
};

} // namespace zelvan::brightpoint
