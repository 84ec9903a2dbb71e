// AllVirtualGoodsDetailView: the page of one virtual good - picture with its reflection, name, type, price,
// attributes and description - with, by where it was opened, "Get this item" (which asks the purchase
// box), the offer-status button, or the item's download strip borrowed from its "My Items" row. Main thread.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "offers/orvane/client/orv_goods_records.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/scroll_view.h"

namespace zelvan::orvane {

class ORVUINavigationBarView;
class ORVGenericButtons;
class ORVVGPurchaseBox;
class GetOffersView;

class AllVirtualGoodsDetailView : public ui::View {
public:
    static constexpr const char* kTitle = "Detail";
    static constexpr const char* kBuyCaption = "Get this item";
    static constexpr const char* kDownloadSuccessful = "Download Successful";
    // Where the strip goes in the first panel after a purchase.
    static constexpr double kStripX = 62, kStripY = 73;

    ~AllVirtualGoodsDetailView() override;
    std::string className() const override { return "AllVirtualGoodsDetailView"; }

    // 0: opened from "Available Items" (can buy), 1: from "My Items" (shows the download), 2: the offer status.
    int tabType() const { return tabType_; }
    void setTabType(int type) { tabType_ = type; }
    bool isPurchased() const { return isPurchased_; }
    void setIsPurchased(bool purchased) { isPurchased_ = purchased; }

    // Builds the page for the item with its picture (the view's image).
    void loadView(const ORVLocalVGStoreItem& item, const std::shared_ptr<ui::ImageView>& thumbImage);

    // "Get this item": the purchase box on top of the page; returns it.
    std::shared_ptr<ORVVGPurchaseBox> buyWithOfferBtnAction();
    // The offer wall of this item, opened on its status tab, on top of the page; returns it.
    std::shared_ptr<GetOffersView> viewStatusButtonAction();
    // The purchase box's OK after a successful purchase: the download starts and its strip replaces the
    // button.
    void purchasedItemSuccessfullyAction();
    // " Back ": announces a purchase, gives a borrowed strip back and leaves half a second later.
    void backtoGameAction();
    void removeView();
    void addObserverForSuccessfullPurchasedItem();
    void removeObserverForSuccessfullPurchasedItem() { purchaseToken_ = {}; }

    // Not wired to a control on the store's screens.
    void downloadFileAction();
    void downloadSuccessSelector();
    void downloadErrorSelector();
    void removeVirtualGoodsView();
    std::shared_ptr<GetOffersView> panelButtonAction();
    void priceBtnAction() {}

    // --- What the page shows (for its owner and tests) ---
    const ORVLocalVGStoreItem& currentVGStoreItemRef() const { return item_; }
    const std::shared_ptr<ORVUINavigationBarView>& headerView() const { return headerView_; }
    const std::shared_ptr<ui::ScrollView>& contentScrollView() const { return contentScrollView_; }
    const std::array<std::shared_ptr<ui::ImageView>, 2>& panels() const { return panels_; }
    const std::shared_ptr<ORVGenericButtons>& buyWithOfferBtn() const { return buyWithOfferBtn_; }
    const std::shared_ptr<ORVGenericButtons>& statusButton() const { return statusButton_; }
    const std::shared_ptr<ui::Label>& priceLabel() const { return priceLabel_; }
    // The download strip the page shows, or null.
    std::shared_ptr<ui::View> strip() const { return strip_; }
    bool updateOnBack() const { return updateOnBack_; }
    // Every label's text, top to bottom as built.
    std::vector<std::string> texts() const;

private:
    // Starts the item's download and shows its strip in the first panel; false (logged) without a handler.
    bool startDownload(const char* withoutHandlerLine);
    // Adds a wrapped label to the panel at y; returns the y under it.
    double addWrapped(const std::shared_ptr<ui::View>& panel, const std::string& text, std::shared_ptr<gfx::Font> font,
                      double x, double y, double width);

    ORVLocalVGStoreItem item_;
    int tabType_ = 0;
    bool isPurchased_ = false;
    bool updateOnBack_ = false;
    bool leaving_ = false;
    std::shared_ptr<ORVUINavigationBarView> headerView_;
    std::shared_ptr<ui::ScrollView> contentScrollView_;
    std::array<std::shared_ptr<ui::ImageView>, 2> panels_;
    std::shared_ptr<ORVGenericButtons> buyWithOfferBtn_, statusButton_, downloadFile_;
    std::shared_ptr<ui::Label> buyWithOfferBtnLabel_, priceLabel_;
    std::shared_ptr<ui::View> transparentViewForDisabling_;
    std::shared_ptr<ui::View> strip_;
    // Where a borrowed strip lay (held weakly: a row gone by Back gets no strip back).
    std::weak_ptr<ui::View> indicSuperView_;
    gfx::Rect prevIndicRect_;
    bool borrowed_ = false;
    std::vector<std::shared_ptr<ui::Label>> labels_;
    fnd::ObserverToken purchaseToken_;
};

} // namespace zelvan::orvane
