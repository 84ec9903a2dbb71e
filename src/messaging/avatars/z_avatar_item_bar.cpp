// The avatar item bar's views, the item list's fetch and reading, the icons, the marker and the
// scrolling. What a tap does and the script calls to the page are in z_avatar_item_taps.cpp.
#include "messaging/avatars/z_avatar_item_bar.h"

#include <algorithm>
#include <utility>

#include "core/main_thread.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/font.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"
#include "web/web_urls.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {

std::shared_ptr<ZAvatarItemBar> ZAvatarItemBar::create(gfx::Rect frame, std::shared_ptr<ZelvanWebCache> cache) {
    return View::create<ZAvatarItemBar>(frame, std::move(cache));
}

ZAvatarItemBar::ZAvatarItemBar(std::shared_ptr<ZelvanWebCache> cache) : cache_(std::move(cache)) {}

ZAvatarItemBar::~ZAvatarItemBar() {
    if (backgroundView_) {
        backgroundView_->setDelegate({});
    }
    if (cache_) {
        if (itemListRequest_) {
            itemListRequest_->setDelegate(nullptr);
            cache_->removeURLRequest(itemListRequest_);
        }
        for (const auto& request : iconRequests_) {
            if (request) {
                request->setDelegate(nullptr);
                cache_->removeURLRequest(request);
            }
        }
    }
    cancelImageRequests();
}

void ZAvatarItemBar::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    const gfx::Rect box = bounds();
    setBackgroundColor(ZelvanWidget::colorForId(kBackgroundColorId));
    setAutoresizesSubviews(false);
    setUserInteractionEnabled(true);
    imgDefault_ = ZelvanWidget::imageFromResource("avatar_item_default", true);
    imgSelected_ = ZelvanWidget::imageFromResource("avatar_selected", true);

    backgroundView_ = View::create<ui::ScrollView>(box);
    backgroundView_->setIndicatorStyle(ui::ScrollViewIndicatorStyle::Black);
    backgroundView_->setShowsHorizontalScrollIndicator(true);
    backgroundView_->setShowsVerticalScrollIndicator(false);
    backgroundView_->setBounces(false);
    backgroundView_->setPagingEnabled(false);
    backgroundView_->setDelegate(self<ZAvatarItemBar>());
    addSubview(backgroundView_);

    selectedView_ = ui::ImageView::initWithImage(imgSelected_);
    selectedView_->setHidden(true);
    backgroundView_->addSubview(selectedView_);

    infoLabel_ = View::create<ui::Label>(box);
    infoLabel_->setBackgroundColor(backgroundColor());
    infoLabel_->setTextColor(gfx::Color::white());
    infoLabel_->setTextAlignment(gfx::TextAlignment::Center);
    infoLabel_->setFont(gfx::Font::withName("Helvetica-Bold", 18));
    infoLabel_->setText(kEmptyText);
    addSubview(infoLabel_);

    loadingView_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    loadingView_->setCenter({box.midX(), box.midY()});
    loadingView_->setHidden(true);
    addSubview(loadingView_);
}

void ZAvatarItemBar::showInfo(const std::string& text) {
    infoLabel_->setText(text);
    infoLabel_->setHidden(false);
    bringSubviewToFront(infoLabel_.get());
}

void ZAvatarItemBar::forgetItems() {
    for (const auto& button : avatarBarButtons_) {
        button->removeFromSuperview();
    }
    avatarBarButtons_.clear();
    for (const auto& request : iconRequests_) {
        if (request) {
            request->setDelegate(nullptr);
            cache_->removeURLRequest(request);
        }
    }
    iconRequests_.clear();
    cancelImageRequests();
    avatarItems_.clear();
    if (itemListRequest_) {
        itemListRequest_->setDelegate(nullptr);
        cache_->removeURLRequest(itemListRequest_);
        itemListRequest_.reset();
    }
    markerIndex_ = -1;
    reqIndex_ = -1;
    backgroundView_->setContentSize({0, 0});
    backgroundView_->setContentOffset({0, 0});
}

void ZAvatarItemBar::refreshWithCtx(const fnd::Value& ctx, const std::string& baseURL) {
    selectedView_->setHidden(true);
    loadingView_->stopAnimating();
    loadingView_->setHidden(true);
    infoLabel_->setText(kEmptyText);
    infoLabel_->setHidden(true);
    selectedIndex_ = -1;

    const auto context = ctx.asDictionary();
    if (!context && !ctx.isNull()) {
        ZTRACE_WARN("avatar item bar: the page's context is not a dictionary; nothing to load");
    }
    animationDuration_ = context ? context->objectForKey("animationDuration").intValue() : 0;
    const fnd::Value urlValue = context ? context->objectForKey("items_url") : fnd::Value();
    const std::string* url = urlValue.asString();
    if (!url && !urlValue.isNull()) {
        ZTRACE_WARN("avatar item bar: \"items_url\" is not a string; nothing to load");
    }
    itemListUrlString_ = url ? *url : std::string();
    flag_ = avatarItemListFlag(itemListUrlString_);

    forgetItems();
    if (!url || !cache_) {
        showInfo(kEmptyText);
        return;
    }
    const std::optional<std::string> resolved = resolveWebUrl(*url, baseURL);
    if (!resolved) {
        ZTRACE_WARN("avatar item bar: the item list URL %@ does not resolve against %@", fnd::logPreview(*url),
                    fnd::logPreview(baseURL));
        showInfo(kFailedText);
        return;
    }
    itemBaseURL_ = *resolved;
    itemListRequest_ = ZelvanURLRequest::init();
    itemListRequest_->setConnectionType(ZelvanURLRequest::kConnectionTypeAvatarItemBar);
    itemListRequest_->setUrl(itemBaseURL_);
    itemListRequest_->setCacheable(false);
    itemListRequest_->setDelegate(self<ZAvatarItemBar>());
    loadingView_->setHidden(false);
    loadingView_->startAnimating();
    cache_->appendURLRequest(itemListRequest_);
}

void ZAvatarItemBar::connectionDidFinish(const std::shared_ptr<ZelvanURLConnection>& connection) {
    // The task keeps the bar, so that its last owner lets it go on the main thread.
    onMain([bar = self<ZAvatarItemBar>(), request = connection->zelvanRequest()] {
        bar->connectionDidFinishInMainThread(request);
    });
}

void ZAvatarItemBar::connectionDidFail(const std::shared_ptr<ZelvanURLConnection>& connection) {
    // The task keeps the bar, so that its last owner lets it go on the main thread.
    onMain([bar = self<ZAvatarItemBar>(), request = connection->zelvanRequest()] {
        bar->connectionDidFailInMainThread(request);
    });
}

void ZAvatarItemBar::connectionDidFinishInMainThread(const std::shared_ptr<ZelvanURLRequest>& request) {
    if (!request) {
        return;
    }
    if (request == itemListRequest_) {
        itemListRequest_.reset();
        itemListLoaded(request->data());
        return;
    }
    const auto icon = std::find(iconRequests_.begin(), iconRequests_.end(), request);
    if (icon != iconRequests_.end()) {
        iconLoaded(static_cast<size_t>(icon - iconRequests_.begin()), request->data());
        return;
    }
    pictureLoaded(request);
}

void ZAvatarItemBar::connectionDidFailInMainThread(const std::shared_ptr<ZelvanURLRequest>& request) {
    if (request && request == itemListRequest_) {
        ZTRACE_WARN("avatar item bar: the item list %@ failed (%lld)", fnd::logPreview(itemBaseURL_),
                    static_cast<long long>(request->errorCode()));
        itemListRequest_.reset();
        loadingView_->stopAnimating();
        loadingView_->setHidden(true);
        showInfo(kFailedText);
        return;
    }
    ZTRACE_WARN("avatar item bar: connection failed: %@", fnd::logPreview(request ? request->url() : std::string()));
}

void ZAvatarItemBar::itemListLoaded(const std::shared_ptr<const fnd::Bytes>& body) {
    loadingView_->stopAnimating();
    loadingView_->setHidden(true);
    const std::span<const uint8_t> bytes = body ? std::span<const uint8_t>(*body) : std::span<const uint8_t>();
    const fnd::Result<AvatarItemList> list = parseAvatarItemList(bytes);
    if (!list) {
        ZTRACE_WARN("avatar item list: %@ (%lld bytes): %@", list.error().localizedFailureReason(),
                    static_cast<long long>(bytes.size()),
                    fnd::logPreview(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
        showInfo(kFailedText);
        return;
    }
    if (list->flag) {
        flag_ = *list->flag;
    }
    avatarItems_ = list->items;
    const std::shared_ptr<ZelvanURLConnectionDelegate> delegate = self<ZAvatarItemBar>();
    fnd::Value queued = fnd::Value::array();
    for (const AvatarItem& item : avatarItems_) {
        std::shared_ptr<ZelvanURLRequest> request;
        const std::optional<fnd::Bytes> data =
            cache_->newDataFromURLString(item.iconUrlString, itemBaseURL_, delegate, &request);
        gfx::ImagePtr image;
        if (data) {
            image = gfx::Image::imageWithData(*data, kIconLimit);
            if (!image) {
                ZTRACE_WARN("avatar item bar: the icon %@ is not a picture", fnd::logPreview(item.iconUrlString));
            }
            request.reset();
        } else if (request) {
            queued.asArray()->addObject(fnd::Value(request));
        }
        iconRequests_.push_back(request);
        addButton(image);
    }
    cache_->insertURLRequests(queued);
    if (avatarBarButtons_.empty()) {
        backgroundView_->setContentSize({0, 0});
        showInfo(kEmptyText);
    } else {
        backgroundView_->setContentSize({avatarBarButtons_.back()->frame().maxX() + kButtonInset, bounds().height()});
    }
}

void ZAvatarItemBar::iconLoaded(size_t index, const std::shared_ptr<const fnd::Bytes>& body) {
    iconRequests_[index].reset();
    const auto& target = avatarBarButtons_[index];
    gfx::ImagePtr image = body ? gfx::Image::imageWithData(*body, kIconLimit) : nullptr;
    if (image) {
        target->setImage(image, ui::ControlState::Normal);
    } else {
        ZTRACE_WARN("avatar item bar: the icon of item %lld is not a picture; the placeholder stays",
                    static_cast<long long>(index));
    }
    button(*target, true);
}

void ZAvatarItemBar::addButton(const gfx::ImagePtr& image) {
    auto added = ui::Button::buttonWithType(ui::ButtonType::Custom);
    added->setImage(image ? image : imgDefault_, ui::ControlState::Normal);
    const double left =
        avatarBarButtons_.empty() ? kButtonInset : avatarBarButtons_.back()->frame().maxX() + kButtonGap;
    added->setFrame({left, kButtonInset, kIconSide, kIconSide});
    added->setShowsTouchWhenHighlighted(true);
    added->addTarget(self<ZAvatarItemBar>(), &ZAvatarItemBar::buttonClicked, ui::ControlEvents::TouchUpInside);
    backgroundView_->addSubview(added);
    avatarBarButtons_.push_back(added);
    button(*added, iconRequests_.size() >= avatarBarButtons_.size() && !iconRequests_[avatarBarButtons_.size() - 1]);
}

void ZAvatarItemBar::button(ui::Button& target, bool enabled) {
    target.setEnabled(enabled);
    target.setAlpha(enabled ? 1.0 : kDisabledAlpha);
}

void ZAvatarItemBar::cancelImageRequests() {
    for (const auto& request : imgRequests_) {
        request->setDelegate(nullptr);
        if (cache_) {
            cache_->removeURLRequest(request);
        }
    }
    imgRequests_.clear();
}

void ZAvatarItemBar::moveMarkerTo(size_t index) {
    selectedView_->setCenter(avatarBarButtons_[index]->center());
    selectedView_->setHidden(false);
    backgroundView_->bringSubviewToFront(selectedView_.get());
    markerIndex_ = static_cast<int32_t>(index);
}

void ZAvatarItemBar::selectButton(int32_t index, bool select) {
    if (index < 0 || static_cast<size_t>(index) >= avatarBarButtons_.size()) {
        ZTRACE_WARN("avatar item bar: selectButton(%d) names no item", index);
        return;
    }
    if (index == selectedIndex_) {
        if (!select) {
            selectedView_->setHidden(true);
            selectedIndex_ = -1;
        }
        return;
    }
    if (select) {
        moveMarkerTo(static_cast<size_t>(index));
        selectedIndex_ = index;
        scrolling_ = true;
        backgroundView_->scrollRectToVisible(selectedView_->frame(), ui::Animated::Yes);
    }
}

void ZAvatarItemBar::scrollToItem(int32_t index, bool animated) {
    if (index < 0 || static_cast<size_t>(index) >= avatarBarButtons_.size()) {
        ZTRACE_WARN("avatar item bar: scrollToItem(%d) names no item", index);
        return;
    }
    scrolling_ = animated;
    backgroundView_->scrollRectToVisible(avatarBarButtons_[static_cast<size_t>(index)]->frame(),
                                         animated ? ui::Animated::Yes : ui::Animated::No);
}

void ZAvatarItemBar::flashScrollIndicators() {
    backgroundView_->flashScrollIndicators();
}

void ZAvatarItemBar::scrollViewDidEndScrollingAnimation(ui::ScrollView&) {
    scrolling_ = false;
}

} // namespace zelvan
