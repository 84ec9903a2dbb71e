// ORVVGPurchaseBox: the modal box that confirms the purchase of a virtual good with the network's currency,
// sends it, shows its progress and the answer (or a refusal with "Get More", or a retry after an error), and
// announces a successful purchase on OK. It covers the whole screen so nothing behind it can be touched.
// Main thread.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/client/orv_records.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/image_view.h"

namespace zelvan::orvane {

class ShowBoxLabel;
class GetOffersView;

class ORVVGPurchaseBox : public ui::View {
public:
    static constexpr const char* kConfirmFormat = "Are you sure you want %s For %s %s?";
    static constexpr const char* kProcessing = "Processing your request...";
    static constexpr const char* kUnreachable = "Service is unreachable!\n Do you want to retry?";
    static constexpr double kTransitionSeconds = 0.4;

    // The box at `boxFrame` over a veil covering (0, 0, 320, 480), showing the confirmation for `item`.
    static std::shared_ptr<ORVVGPurchaseBox> initWithFrame(gfx::Rect boxFrame, const ORVAllVGStoreItemClass& item);
    void initWithFrame(gfx::Rect frame) override { ui::View::initWithFrame(frame); }
    std::string className() const override { return "ORVVGPurchaseBox"; }

    // --- Contents (each built once) ---
    void initFirstView();
    void initProgressView();
    void initServerNetErrorView();
    void initResponseReturnView();
    void initResponseReturnViewUnsuccessful();
    // Swaps the content shown for `view`.
    void visibleCurrentSubView(const std::shared_ptr<ui::View>& view);

    // --- Buttons ---
    // OK on the confirmation: progress, then the purchase.
    void submitVGStorePurchaseAction();
    void cancelBtnAction();
    void retryAction();
    // "Get More": the offer wall above the item page; returns it.
    std::shared_ptr<GetOffersView> getMoreBtnAction();
    void okBtnAction();

    // --- Replies ---
    void submitVGStorePurchaseReturn();
    void internetErrorCase();
    void addObservers();
    void removeObservers() { tokens_ = {}; }
    // Ends the purchase's beacon section and leaves the screen.
    void removeMeFromSuperView();

    const std::shared_ptr<ui::View>& currentView() const { return currentView_; }
    const std::shared_ptr<ui::View>& firstView() const { return views_[First]; }
    const std::shared_ptr<ui::View>& progressView() const { return views_[Progress]; }
    const std::shared_ptr<ui::View>& serverNetErrorView() const { return views_[NetError]; }
    const std::shared_ptr<ui::View>& responseReturnView() const { return views_[Answer]; }
    const std::shared_ptr<ui::View>& responseReturnViewUnSuccess() const { return views_[Refusal]; }
    const std::shared_ptr<ShowBoxLabel>& messageLabel() const { return messageLabel_; }
    const std::shared_ptr<ShowBoxLabel>& promptLabel() const { return promptLabel_; }
    bool listening() const { return static_cast<bool>(tokens_[0]); }
    const ORVAllVGStoreItemClass& vgStoreItem() const { return vgStoreItem_; }

private:
    enum Content { First, Progress, NetError, Answer, Refusal };
    // A content view the size of the box, built when first asked for.
    std::shared_ptr<ui::View> content(Content which, bool& fresh);
    // A black standard button with the title and the action, at x on the content's button line.
    void addButton(const std::shared_ptr<ui::View>& view, const std::string& title, double x,
                   void (*action)(ORVVGPurchaseBox&));
    void sendPurchase();

    gfx::Rect boxFrame_;
    std::shared_ptr<ui::ImageView> backGroundImage_;
    std::array<std::shared_ptr<ui::View>, 5> views_;
    std::shared_ptr<ui::View> currentView_;
    std::shared_ptr<ui::ActivityIndicatorView> progressIndicator_;
    std::shared_ptr<ShowBoxLabel> messageLabel_, promptLabel_;
    ORVAllVGStoreItemClass vgStoreItem_;
    std::optional<ORVUserAccount> orvaneUserAccountObj_;
    std::array<fnd::ObserverToken, 3> tokens_;
    bool removed_ = false;
};

} // namespace zelvan::orvane
