// AllVirtualGoodsDetailView: building the page, buying, the strip after a purchase or borrowed from its row,
// the offer-status wall and leaving.
#include "offers/orvane/goods/all_virtual_goods_detail_view.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_screens.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orv_vg_store_names.h"
#include "offers/orvane/goods/get_virtual_goods.h"
#include "offers/orvane/goods/orv_vg_purchase_box.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/offers/get_offers_view.h"
#include "platform/foundation/format.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/alert_view.h"

namespace zelvan::orvane {

namespace {

constexpr double kPictureSide = 57;
constexpr double kReflection = 22;
constexpr double kStripDrop = 12;
constexpr double kLeaveSeconds = 0.5;

std::shared_ptr<ORVFileDownloadHandler> downloads() {
    auto shadow = ORVShadow::sharedInstance();
    return shadow ? shadow->vgController() : nullptr;
}

std::optional<ORVUserAccount> account() {
    auto model = ORVModelController::sharedInstance();
    return model ? model->orvaneUserAccountObj() : std::nullopt;
}

std::shared_ptr<ui::Label> clearLabel(gfx::Rect frame, const std::string& text, std::shared_ptr<gfx::Font> font) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setText(text);
    label->setFont(std::move(font));
    label->setBackgroundColor(gfx::Color::clear());
    label->setTextColor(gfx::Color::white());
    label->setUserInteractionEnabled(false);
    return label;
}

} // namespace

AllVirtualGoodsDetailView::~AllVirtualGoodsDetailView() = default;

double AllVirtualGoodsDetailView::addWrapped(const std::shared_ptr<ui::View>& panel, const std::string& text,
                                             std::shared_ptr<gfx::Font> font, double x, double y, double width) {
    auto label = clearLabel(gfx::Rect(x, y, width, 0), text, std::move(font));
    label->setNumberOfLines(0);
    label->setLineBreakMode(ui::LineBreakMode::WordWrap);
    const gfx::Size fitted = label->sizeThatFits(gfx::Size(width, 1000));
    label->setFrame(gfx::Rect(x, y, width, fitted.height + 3));
    panel->addSubview(label);
    labels_.push_back(label);
    return y + fitted.height + 3;
}

void AllVirtualGoodsDetailView::loadView(const ORVLocalVGStoreItem& item,
                                         const std::shared_ptr<ui::ImageView>& thumbImage) {
    item_ = item;
    setBackgroundColor(gfx::Color(0.85, 0.85, 0.85, 1));
    addObserverForSuccessfullPurchasedItem();
    std::weak_ptr<AllVirtualGoodsDetailView> weak = self<AllVirtualGoodsDetailView>();
    headerView_ = ORVUINavigationBarView::initWithTitle(kTitle, 0);
    headerView_->setNavBarLeftBtnWithTitle(" Back ");
    headerView_->addLeftButtonTarget(weak, &AllVirtualGoodsDetailView::backtoGameAction,
                                     ui::ControlEvents::TouchUpInside);
    addSubview(headerView_);

    contentScrollView_ = ui::View::create<ui::ScrollView>(gfx::Rect(0, 46, 320, 392));
    addSubview(contentScrollView_);

    // The first panel: picture, name, type, price and what the page offers.
    auto first = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, 320, 0));
    first->setUserInteractionEnabled(true);
    panels_[0] = first;
    auto picture = ui::View::create<ui::ImageView>(gfx::Rect(2, 10, kPictureSide, kPictureSide));
    picture->setImage(thumbImage ? thumbImage->image() : nullptr);
    first->addSubview(picture);
    if (picture->image()) {
        auto mirror = ui::View::create<ui::ImageView>(gfx::Rect(2, 10 + kPictureSide, kPictureSide, kReflection));
        mirror->setImage(ORVUtil::reflectedImage(picture, static_cast<int>(kReflection)));
        first->addSubview(mirror);
    }
    double y = addWrapped(first, item.Name, gfx::Font::withName("Helvetica-Bold", 17.5), 62, 8, 170);
    y = addWrapped(first, item.VGStoreItemTypeName, gfx::Font::systemFontOfSize(13), 62, y, 160);
    priceLabel_ =
        clearLabel(gfx::Rect(250, 10, 60, 20), ORVUtil::formatString(item.Price), gfx::Font::boldSystemFontOfSize(13));
    priceLabel_->setTextAlignment(ui::TextAlignment::Right);
    first->addSubview(priceLabel_);
    labels_.push_back(priceLabel_);
    const auto user = account();
    auto currency = clearLabel(gfx::Rect(230, 30, 80, 18), user ? user->currencyName : std::string(),
                               gfx::Font::systemFontOfSize(12));
    currency->setTextAlignment(ui::TextAlignment::Right);
    first->addSubview(currency);
    labels_.push_back(currency);

    double bottom = std::max(y, 10 + kPictureSide + kReflection);
    if (tabType_ == 0) {
        buyWithOfferBtn_ = ui::View::create<ORVGenericButtons>(gfx::Rect(200, 70, 115, 32));
        buyWithOfferBtn_->setFrame(gfx::Rect(200, 70, 115, 32));
        buyWithOfferBtn_->setBackgroundImage(ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size(95, 32)),
                                             ui::ControlState::Normal);
        buyWithOfferBtn_->addTarget(
            weak,
            [weak](ui::Control&, const ui::Event*) {
                if (auto page = weak.lock()) {
                    page->buyWithOfferBtnAction();
                }
            },
            ui::ControlEvents::TouchUpInside);
        first->addSubview(buyWithOfferBtn_);
        buyWithOfferBtnLabel_ = clearLabel(buyWithOfferBtn_->frame(), kBuyCaption, gfx::Font::boldSystemFontOfSize(14));
        buyWithOfferBtnLabel_->setTextColor(gfx::Color::white());
        buyWithOfferBtnLabel_->setTextAlignment(ui::TextAlignment::Center);
        buyWithOfferBtnLabel_->setShadowColor(ORVUtil::getUserDefinedColor());
        first->addSubview(buyWithOfferBtnLabel_);
        bottom = std::max(bottom, 70.0 + 32);
    } else if (tabType_ == 2) {
        statusButton_ = ui::View::create<ORVGenericButtons>(gfx::Rect(216, 70, 95, 32));
        statusButton_->setFrame(gfx::Rect(216, 70, 95, 32));
        statusButton_->setBackgroundImage(ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size(95, 32)),
                                          ui::ControlState::Normal);
        statusButton_->setBtnTitle("Status");
        statusButton_->titleLabel()->setFont(gfx::Font::boldSystemFontOfSize(13));
        statusButton_->addTarget(
            weak,
            [weak](ui::Control&, const ui::Event*) {
                if (auto page = weak.lock()) {
                    page->viewStatusButtonAction();
                }
            },
            ui::ControlEvents::TouchUpInside);
        first->addSubview(statusButton_);
        bottom = std::max(bottom, 70.0 + 32);
    } else if (auto handler = downloads()) {
        // The row's strip shows here, 12 points lower, while the page is open.
        if (auto strip = handler->getVGPurchasedItemDownloadProgressView(item.VGStoreItemID)) {
            const gfx::Rect was = strip->frame();
            if (auto row = strip->superview()) {
                indicSuperView_ = row;
                prevIndicRect_ = was;
                borrowed_ = true;
            }
            strip->setFrame(gfx::Rect(was.origin.x, was.origin.y + kStripDrop, was.size.width, was.size.height));
            first->addSubview(strip);
            strip_ = strip;
            bottom = std::max(bottom, strip->frame().origin.y + was.size.height);
        }
    }
    first->setFrame(gfx::Rect(0, 0, 320, bottom + 10));
    first->setImage(ORVUtil::gradientCellBackgroundImage(1, static_cast<int>(bottom + 10), -5, 0));
    contentScrollView_->addSubview(first);

    // The second panel: attributes and description.
    auto second = ui::View::create<ui::ImageView>(gfx::Rect(0, first->frame().size.height + 6, 320, 0));
    panels_[1] = second;
    double below = 8;
    for (const auto& attribute : item.AttributeValues) {
        below = addWrapped(second, fnd::format("%s: %s", attribute.attributeType, attribute.attributeValue),
                           gfx::Font::systemFontOfSize(13), 10, below, 300);
    }
    if (!item.Description.empty()) {
        below = addWrapped(second, "Description:", gfx::Font::boldSystemFontOfSize(13), 10, below + 4, 300);
        below = addWrapped(second, item.Description, gfx::Font::systemFontOfSize(13), 10, below, 300);
    }
    const double secondHeight = below + 8;
    second->setFrame(gfx::Rect(0, first->frame().size.height + 6, 320, secondHeight));
    second->setImage(ORVUtil::gradientCellBackgroundImage(1, static_cast<int>(secondHeight), -5, 0));
    contentScrollView_->addSubview(second);
    contentScrollView_->setContentSize(gfx::Size(320, second->frame().origin.y + secondHeight + 1));
}

std::vector<std::string> AllVirtualGoodsDetailView::texts() const {
    std::vector<std::string> out;
    for (const auto& label : labels_) {
        out.push_back(label->text());
    }
    return out;
}

void AllVirtualGoodsDetailView::addObserverForSuccessfullPurchasedItem() {
    purchaseToken_ =
        fnd::NotificationCenter::defaultCenter().observe(kORVPurchaseSuccess, self<AllVirtualGoodsDetailView>(),
                                                         &AllVirtualGoodsDetailView::purchasedItemSuccessfullyAction);
}

std::shared_ptr<ORVVGPurchaseBox> AllVirtualGoodsDetailView::buyWithOfferBtnAction() {
    auto box = ORVVGPurchaseBox::initWithFrame(gfx::Rect(20, 210, 280, 140), item_);
    addSubview(box);
    return box;
}

std::shared_ptr<GetOffersView> AllVirtualGoodsDetailView::viewStatusButtonAction() {
    auto wall = GetOffersView::initWithFrame(GetVirtualGoods::pageFrameInside(*this), item_, 2);
    wall->myLoadView();
    ORVUtil::animateORVView(wall, ORVUtil::InFromRight, 0.5);
    addSubview(wall);
    return wall;
}

void AllVirtualGoodsDetailView::purchasedItemSuccessfullyAction() {
    updateOnBack_ = true;
    for (const auto& view : {std::static_pointer_cast<ui::View>(buyWithOfferBtn_),
                             std::static_pointer_cast<ui::View>(buyWithOfferBtnLabel_)}) {
        if (view) {
            view->removeFromSuperview();
        }
    }
    buyWithOfferBtn_.reset();
    buyWithOfferBtnLabel_.reset();
    startDownload("AllVirtualGoodsDetailView: no download handler, so the bought item is not fetched");
}

bool AllVirtualGoodsDetailView::startDownload(const char* withoutHandlerLine) {
    auto handler = downloads();
    if (!handler) {
        ORVLog::logWithLevel(3, withoutHandlerLine);
        return false;
    }
    handler->downloadItem(item_);
    if (auto strip = handler->getVGPurchasedItemDownloadProgressView(item_.VGStoreItemID)) {
        const gfx::Size size = strip->frame().size;
        strip->setFrame(gfx::Rect(kStripX, kStripY, size.width, size.height));
        panels_[0]->addSubview(strip);
        strip_ = strip;
    }
    return true;
}

void AllVirtualGoodsDetailView::backtoGameAction() {
    if (leaving_) {
        return;
    }
    leaving_ = true;
    if (updateOnBack_) {
        fnd::NotificationCenter::defaultCenter().postNotificationName(kORVPurchaseSuccessBack);
    }
    removeObserverForSuccessfullPurchasedItem();
    if (borrowed_ && strip_) {
        if (auto row = indicSuperView_.lock()) {
            strip_->setFrame(prevIndicRect_);
            row->addSubview(strip_);
        } else {
            strip_->removeFromSuperview();
        }
        strip_.reset();
        borrowed_ = false;
    }
    auto keep = self<AllVirtualGoodsDetailView>();
    ORVUtil::animateORVView(keep, ORVUtil::OutToLeft, kLeaveSeconds);
    fnd::RunLoop::main().performAfter(kLeaveSeconds, [keep] { keep->removeView(); });
}

void AllVirtualGoodsDetailView::removeView() {
    removeFromSuperview();
}

void AllVirtualGoodsDetailView::downloadFileAction() {
    if (!startDownload("AllVirtualGoodsDetailView: no download handler, so nothing is fetched")) {
        return;
    }
    // The page's contents take no touches while the download runs.
    if (!transparentViewForDisabling_ && contentScrollView_) {
        transparentViewForDisabling_ = ui::View::create<ui::View>(contentScrollView_->frame());
        transparentViewForDisabling_->setBackgroundColor(gfx::Color::clear());
        addSubview(transparentViewForDisabling_);
    }
}

void AllVirtualGoodsDetailView::downloadSuccessSelector() {
    auto alert = ui::AlertView::initWithTitle("", kDownloadSuccessful, {}, std::string("OK"));
    alert->show();
    if (downloadFile_) {
        downloadFile_->removeFromSuperview();
        downloadFile_.reset();
    }
    downloadErrorSelector();
    fnd::NotificationCenter::defaultCenter().postNotificationName(kORVUpdateDownload);
}

void AllVirtualGoodsDetailView::downloadErrorSelector() {
    if (transparentViewForDisabling_) {
        transparentViewForDisabling_->removeFromSuperview();
        transparentViewForDisabling_.reset();
    }
}

void AllVirtualGoodsDetailView::removeVirtualGoodsView() {
    fnd::NotificationCenter::defaultCenter().postNotificationName(kORVRemoveVirtualGoodsView);
}

std::shared_ptr<GetOffersView> AllVirtualGoodsDetailView::panelButtonAction() {
    const auto user = account();
    auto wall = GetOffersView::initWithPublisherUserId(user ? user->pointsID : std::string(),
                                                       GetVirtualGoods::pageFrameInside(*this));
    wall->setAnimationMode(ORVUtil::OutToLeft);
    wall->setIsInternallyOpened(true);
    wall->myLoadView();
    ORVUtil::animateORVView(wall, ORVUtil::InFromRight, 0.5);
    addSubview(wall);
    return wall;
}

} // namespace zelvan::orvane
