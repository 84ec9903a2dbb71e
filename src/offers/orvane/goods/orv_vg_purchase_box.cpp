// ORVVGPurchaseBox: the five contents of the purchase box, the purchase request and its three answers.
#include "offers/orvane/goods/orv_vg_purchase_box.h"

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orv_vg_store_names.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/goods/get_virtual_goods.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/show_box_label.h"
#include "offers/orvane/offers/get_offers_view.h"
#include "platform/foundation/format.h"
#include "platform/foundation/notification_center.h"

namespace zelvan::orvane {

namespace {

constexpr double kButtonWidth = 100;
constexpr double kButtonHeight = 40;

std::shared_ptr<ShowBoxLabel> prompt(const ui::View& view, const std::string& text, int y) {
    auto label = ShowBoxLabel::initCenterPromptForView(view, y);
    label->setFont(gfx::Font::boldSystemFontOfSize(14));
    label->setText(text);
    return label;
}

} // namespace

std::shared_ptr<ORVVGPurchaseBox> ORVVGPurchaseBox::initWithFrame(gfx::Rect boxFrame,
                                                                  const ORVAllVGStoreItemClass& item) {
    auto box = ui::View::create<ORVVGPurchaseBox>(gfx::Rect(0, 0, 320, 480));
    box->setBackgroundColor(gfx::Color(0, 0, 0, 2.0 / 3.0));
    box->boxFrame_ = boxFrame;
    box->vgStoreItem_ = item;
    box->backGroundImage_ = ui::View::create<ui::ImageView>(boxFrame);
    box->backGroundImage_->setImage(ORVSettings::getBackPanelImage280_300());
    box->backGroundImage_->setUserInteractionEnabled(true);
    box->addSubview(box->backGroundImage_);
    if (auto cache = ORVModelController::sharedInstance()) {
        box->orvaneUserAccountObj_ = cache->orvaneUserAccountObj();
    }
    box->initFirstView();
    return box;
}

std::shared_ptr<ui::View> ORVVGPurchaseBox::content(Content which, bool& fresh) {
    auto& view = views_[which];
    fresh = !view || view->tag() != 1;
    if (!view) {
        view = ui::View::create<ui::View>(gfx::Rect(0, 0, boxFrame_.size.width, boxFrame_.size.height));
        view->setBackgroundColor(gfx::Color::clear());
    }
    view->setTag(1);
    return view;
}

void ORVVGPurchaseBox::addButton(const std::shared_ptr<ui::View>& view, const std::string& title, double x,
                                 void (*action)(ORVVGPurchaseBox&)) {
    auto button = ORVGenericButtons::initBlackStandarBtnWithFrame(
        gfx::Rect(x, boxFrame_.size.height - 48, kButtonWidth, kButtonHeight));
    button->setBtnTitle(title);
    std::weak_ptr<ORVVGPurchaseBox> weak = self<ORVVGPurchaseBox>();
    button->addTarget(
        weak,
        [weak, action](ui::Control&, const ui::Event*) {
            if (auto box = weak.lock()) {
                action(*box);
            }
        },
        ui::ControlEvents::TouchUpInside);
    view->addSubview(button);
}

void ORVVGPurchaseBox::initFirstView() {
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->startSubBeaconWithName(kORVItemPurchaseBeacon, true);
    }
    bool fresh = false;
    auto view = content(First, fresh);
    if (fresh) {
        const std::string currency = vgStoreItem_.currencyName;
        promptLabel_ = prompt(
            *view, fnd::format(kConfirmFormat, vgStoreItem_.Name, ORVUtil::formatString(vgStoreItem_.Price), currency),
            20);
        view->addSubview(promptLabel_);
        const double width = boxFrame_.size.width;
        addButton(view, "Cancel", width / 2 - kButtonWidth - 10, [](ORVVGPurchaseBox& box) { box.cancelBtnAction(); });
        addButton(view, "OK", width / 2 + 10, [](ORVVGPurchaseBox& box) { box.submitVGStorePurchaseAction(); });
    }
    visibleCurrentSubView(view);
}

void ORVVGPurchaseBox::initProgressView() {
    bool fresh = false;
    auto view = content(Progress, fresh);
    if (fresh) {
        view->addSubview(prompt(*view, kProcessing, 20));
        progressIndicator_ =
            ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
        const gfx::Size side = progressIndicator_->frame().size;
        progressIndicator_->setFrame(gfx::Rect((boxFrame_.size.width - side.width) / 2, 80, side.width, side.height));
        view->addSubview(progressIndicator_);
    }
    progressIndicator_->startAnimating();
    visibleCurrentSubView(view);
}

void ORVVGPurchaseBox::initServerNetErrorView() {
    bool fresh = false;
    auto view = content(NetError, fresh);
    if (fresh) {
        view->addSubview(prompt(*view, kUnreachable, 20));
        const double width = boxFrame_.size.width;
        addButton(view, "Cancel", width / 2 - kButtonWidth - 10, [](ORVVGPurchaseBox& box) { box.cancelBtnAction(); });
        addButton(view, "Retry", width / 2 + 10, [](ORVVGPurchaseBox& box) { box.retryAction(); });
    }
    visibleCurrentSubView(view);
}

void ORVVGPurchaseBox::initResponseReturnView() {
    bool fresh = false;
    auto view = content(Answer, fresh);
    if (fresh) {
        view->addSubview(prompt(*view, "", 20));
        addButton(view, "OK", (boxFrame_.size.width - kButtonWidth) / 2,
                  [](ORVVGPurchaseBox& box) { box.okBtnAction(); });
    }
    messageLabel_ = std::static_pointer_cast<ShowBoxLabel>(view->subviews().front());
    visibleCurrentSubView(view);
}

void ORVVGPurchaseBox::initResponseReturnViewUnsuccessful() {
    bool fresh = false;
    auto view = content(Refusal, fresh);
    if (fresh) {
        view->addSubview(prompt(*view, "", 20));
        const double width = boxFrame_.size.width;
        addButton(view, "Get More", width / 2 - kButtonWidth - 10,
                  [](ORVVGPurchaseBox& box) { box.getMoreBtnAction(); });
        addButton(view, "OK", width / 2 + 10, [](ORVVGPurchaseBox& box) { box.okBtnAction(); });
    }
    messageLabel_ = std::static_pointer_cast<ShowBoxLabel>(view->subviews().front());
    visibleCurrentSubView(view);
}

void ORVVGPurchaseBox::visibleCurrentSubView(const std::shared_ptr<ui::View>& view) {
    if (currentView_ == view) {
        return;
    }
    if (currentView_) {
        currentView_->removeFromSuperview();
    }
    ORVUtil::animateORVView(view, ORVUtil::FadeIn, kTransitionSeconds);
    backGroundImage_->addSubview(view);
    currentView_ = view;
}

void ORVVGPurchaseBox::addObservers() {
    auto box = self<ORVVGPurchaseBox>();
    auto& center = fnd::NotificationCenter::defaultCenter();
    tokens_ = {center.observe(kORVPurchaseReturn, box, &ORVVGPurchaseBox::submitVGStorePurchaseReturn),
               center.observe(kORVPurchaseServiceError, box, &ORVVGPurchaseBox::internetErrorCase),
               center.observe(kORVPurchaseNetError, box, &ORVVGPurchaseBox::internetErrorCase)};
}

void ORVVGPurchaseBox::sendPurchase() {
    // Listening before every send: an answer that came without a cached result ended the subscription,
    // and a Retry from there must still hear its reply.
    addObservers();
    auto shadow = ORVShadow::sharedInstance();
    auto service = ORVWebServiceInterface::sharedInstance();
    if (!shadow || !service) {
        ORVLog::logWithLevel(3, "ORVVGPurchaseBox: no offer network client, so the purchase is not sent");
        internetErrorCase();
        return;
    }
    service->sendVGPurchaseItemRequest(shadow->genericParameters(), vgStoreItem_.VGStoreItemID);
}

void ORVVGPurchaseBox::submitVGStorePurchaseAction() {
    initProgressView();
    sendPurchase();
}

void ORVVGPurchaseBox::retryAction() {
    initProgressView();
    sendPurchase();
}

void ORVVGPurchaseBox::submitVGStorePurchaseReturn() {
    removeObservers();
    if (progressIndicator_) {
        progressIndicator_->stopAnimating();
    }
    auto cache = ORVModelController::sharedInstance();
    const auto& answer = cache ? cache->getVGPurchaseReturnObj() : std::nullopt;
    if (!answer) {
        ORVLog::logWithLevel(3, "ORVVGPurchaseBox: a purchase reply came without an answer");
        initServerNetErrorView();
        return;
    }
    if (answer->success) {
        initResponseReturnView();
    } else {
        initResponseReturnViewUnsuccessful();
    }
    messageLabel_->setText(answer->message);
}

void ORVVGPurchaseBox::internetErrorCase() {
    if (progressIndicator_) {
        progressIndicator_->stopAnimating();
    }
    initServerNetErrorView();
}

void ORVVGPurchaseBox::okBtnAction() {
    auto cache = ORVModelController::sharedInstance();
    if (cache && cache->getVGPurchaseReturnObj() && cache->getVGPurchaseReturnObj()->success) {
        fnd::NotificationCenter::defaultCenter().postNotificationName(kORVPurchaseSuccess);
    }
    removeMeFromSuperView();
}

std::shared_ptr<GetOffersView> ORVVGPurchaseBox::getMoreBtnAction() {
    auto user = orvaneUserAccountObj_;
    if (auto cache = ORVModelController::sharedInstance(); cache && cache->orvaneUserAccountObj()) {
        user = cache->orvaneUserAccountObj();
    }
    auto wall = GetOffersView::initWithPublisherUserId(user ? user->pointsID : std::string(),
                                                       GetVirtualGoods::pageFrameInside(*this));
    wall->setAnimationMode(ORVUtil::OutToLeft);
    wall->setIsInternallyOpened(true);
    wall->myLoadView();
    ORVUtil::animateORVView(wall, ORVUtil::InFromRight, 0.5);
    // Above the item page: in the store that holds it.
    auto page = superview();
    auto above = page ? page->superview() : nullptr;
    if (above) {
        above->addSubview(wall);
    } else if (page) {
        page->addSubview(wall);
    } else {
        ORVLog::logWithLevel(3, "ORVVGPurchaseBox: no view to show the offer wall in");
    }
    removeMeFromSuperView();
    return wall;
}

void ORVVGPurchaseBox::cancelBtnAction() {
    removeObservers();
    removed_ = true;
    removeFromSuperview();
}

void ORVVGPurchaseBox::removeMeFromSuperView() {
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->endSubBeaconWithName(kORVItemPurchaseBeacon);
    }
    removeObservers();
    removed_ = true;
    removeFromSuperview();
}

} // namespace zelvan::orvane
