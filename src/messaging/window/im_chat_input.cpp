// The chat window's moving parts: the input bar rising while typing (less the advertisement's
// height), the emoticon panel, the chat advertisement under the input bar, the page dots, and paging
// between chats with a sideways flick.
#include <algorithm>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/lists/im_controller.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/log.h"
#include "platform/ui/navigation_item.h"
#include "toolkit/widget_layout.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

// --- Typing ---

int IMChatController::inputOffset() const {
    auto ad = chatAd();
    if (ad && ad->isAdViewAvailable()) {
        return kKeyboardOffset - static_cast<int>(ad->sizeThatFitsAdView().height);
    }
    return kKeyboardOffset;
}

void IMChatController::textFieldDidBeginEditing(ui::TextField& /*field*/) {
    if (!inputRaised_) {
        appliedInputOffset_ = inputOffset();
        inputRaised_ = true;
        setInputMovedUp(appliedInputOffset_);
    }
    if (emoticonBtn_) {
        emoticonBtn_->setEnabled(true);
    }
    if (!itemFullscreen_) {
        auto button = ZelvanWidget::newBarButton();
        button->setTitle(ZLS("Fullscreen"), ui::ControlState::Normal);
        const gfx::Size natural = widgetGetButtonSize(*button, kFullscreenButtonMaxWidth);
        button->setBounds(gfx::Rect(0, 0, natural.width, kFullscreenButtonHeight));
        addButtonAction(*button, &IMChatController::hideInput);
        itemFullscreen_ = ui::BarButtonItem::initWithCustomView(button);
    }
    navigationItem()->setRightBarButtonItem(itemFullscreen_, ui::Animated::Yes);
}

void IMChatController::textFieldDidEndEditing(ui::TextField& /*field*/) {
    // The bar goes back down by exactly what it rose, even if the advertisement changed meanwhile.
    if (inputRaised_) {
        inputRaised_ = false;
        setInputMovedUp(-appliedInputOffset_);
        appliedInputOffset_ = 0;
    }
    // An ad that became ready while the keyboard was up gets its room under the bar now.
    relocateInputView();
    reloadRightBarButton();
}

void IMChatController::setInputMovedUp(int d) {
    for (const auto& list : {chatView_, bgChatView_}) {
        if (list) {
            list->setFrame(widgetRectResize(list->frame(), 0, -d));
        }
    }
    if (!inputView_) {
        return;
    }
    ui::View::beginAnimations("inputMove");
    ui::View::setAnimationDuration(kAnimationDuration);
    inputView_->setFrame(widgetRectMove(inputView_->frame(), 0, -d));
    if (pageControl_) {
        pageControl_->setFrame(widgetRectMove(pageControl_->frame(), 0, -d));
    }
    ui::View::commitAnimations();
    for (const auto& list : {chatView_, bgChatView_}) {
        if (list) {
            list->scrollToBottom(false);
        }
    }
}

void IMChatController::showZLVEmoticonPanelView() {
    if (textField_ && !textField_->isEditing()) {
        textField_->becomeFirstResponder();
    }
    auto panel = ZLVEmoticonPanelView::create();
    panel->setTitle(ZLS("Emoticons"));
    panel->setEmoticonDelegate(selfAs<IMChatController>());
    panel->showInView(alertHost());
}

void IMChatController::hideInput() {
    if (textField_) {
        textField_->resignFirstResponder();
    }
}

// --- The chat advertisement ---

bool IMChatController::chatAdsVisible() const {
    return messenger_ && messenger_->featureVisible("chatads");
}

std::shared_ptr<ZLVAdWrapperView> IMChatController::chatAd() const {
    if (!chatAdsVisible()) {
        return nullptr;
    }
    auto delegate = delegate_.lock();
    auto ad = delegate ? std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate->adView()) : nullptr;
    if (!ad || ad->delegate().get() != static_cast<const ZLVAdWrapperViewDelegate*>(this)) {
        return nullptr;
    }
    return ad;
}

void IMChatController::viewDidAppear(ui::Animated /*animated*/) {
    if (currentChat_) {
        currentChat_->setUnread(0);
    }
    reload();
    updateTabBadgeValue();
    if (!chatAdsVisible()) {
        return;
    }
    auto delegate = delegate_.lock();
    auto ad = delegate ? std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate->adView()) : nullptr;
    if (!ad) {
        return;
    }
    view()->addSubview(ad);
    ad->setDelegate(selfAs<IMChatController>());
    relocateInputView();
}

void IMChatController::viewWillDisappear(ui::Animated /*animated*/) {
    auto delegate = delegate_.lock();
    auto ad = delegate ? std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate->adView()) : nullptr;
    if (ad && ad->superview() == viewIfLoaded()) {
        ad->removeFromSuperview();
        ad->setDelegate({});
    }
}

void IMChatController::relocateInputView() {
    auto ad = chatAd();
    if (!ad || !inputView_ || (textField_ && textField_->isEditing())) {
        return;
    }
    const gfx::Rect bounds = view()->bounds();
    const double a = ad->isAdViewAvailable() ? ad->sizeThatFitsAdView().height : 0;
    if (a > 0) {
        ad->setFrame(gfx::Rect(0, bounds.height() - a, bounds.width(), a));
    }
    const gfx::Size input = inputView_->bounds().size;
    inputView_->setFrame(gfx::Rect(0, bounds.height() - input.height - a, input.width, input.height));
    const double dots = pageControl_ && !pageControl_->isHidden() ? kPageControlHeight : 0;
    const double listHeight = bounds.height() - kToolbarBackgroundHeight - input.height - a - dots;
    for (const auto& list : {chatView_, bgChatView_}) {
        const gfx::Rect f = list->frame();
        list->setFrame(gfx::Rect(f.minX(), f.minY(), f.width(), listHeight));
    }
    if (pageControl_) {
        pageControl_->setFrame(
            widgetRectMoveTo(pageControl_->frame(), 0, inputView_->frame().minY() - kPageControlHeight));
    }
}

// --- Page dots ---

void IMChatController::refreshPageControl() {
    if (!pageControl_) {
        return;
    }
    const int pages = static_cast<int>(chats_.size());
    pageControl_->setNumberOfPages(pages);
    auto it = std::find(chats_.begin(), chats_.end(), currentChat_);
    pageControl_->setCurrentPage(currentChat_ && it != chats_.end() ? static_cast<int>(it - chats_.begin()) : 0);
    const bool hide = pages < 2;
    if (hide == pageControl_->isHidden()) {
        return;
    }
    const double dh = hide ? kPageControlHeight : -kPageControlHeight;
    for (const auto& list : {chatView_, bgChatView_}) {
        list->setFrame(widgetRectResize(list->frame(), 0, dh));
    }
    pageControl_->setHidden(hide);
}

void IMChatController::pageAction() {
    const int page = pageControl_ ? pageControl_->currentPage() : -1;
    if (page < 0 || static_cast<size_t>(page) >= chats_.size() || !titleView_) {
        return;
    }
    titleView_->activateChat(chats_[static_cast<size_t>(page)], true);
}

// --- Flick paging ---

void IMChatController::tableViewLeftFlicked(IMChatView& /*chatView*/) {
    flick(Flick::Next);
}

void IMChatController::tableViewRightFlicked(IMChatView& /*chatView*/) {
    flick(Flick::Previous);
}

void IMChatController::flick(Flick direction) {
    if (!currentChat_ || !chatView_ || !bgChatView_) {
        return;
    }
    auto it = std::find(chats_.begin(), chats_.end(), currentChat_);
    if (it == chats_.end()) {
        return;
    }
    const bool previous = direction == Flick::Previous;
    if ((previous && it == chats_.begin()) || (!previous && it + 1 == chats_.end())) {
        return;
    }
    auto target = previous ? *(it - 1) : *(it + 1);
    const double w = chatView_->frame().width();
    bgChatView_->reloadWithChat(target);
    bgChatView_->setFrame(widgetRectMoveTo(bgChatView_->frame(), previous ? -w : w, chatView_->frame().minY()));
    if (titleView_) {
        titleView_->setTitleViewDelegate({});
    }
    std::weak_ptr<IMChatController> weak = selfAs<IMChatController>();
    ui::View::beginAnimations("chatFlick");
    ui::View::setAnimationDuration(kAnimationDuration);
    ui::View::setAnimationDelegate(weak);
    ui::View::setAnimationDidStopSelector([weak](const std::string& name, bool finished, void* context) {
        if (auto self = weak.lock()) {
            self->transitionDidStop(name, finished, context);
        }
    });
    bgChatView_->setFrame(widgetRectMoveTo(bgChatView_->frame(), 0, bgChatView_->frame().minY()));
    chatView_->setFrame(widgetRectMoveTo(chatView_->frame(), previous ? w : -w, chatView_->frame().minY()));
    ui::View::commitAnimations();
    if (titleView_) {
        titleView_->activateChat(target, true);
    }
}

void IMChatController::transitionDidStop(const std::string& /*animationId*/, bool /*finished*/, void* /*context*/) {
    std::swap(chatView_, bgChatView_);
    switchCurrentChat(chatView_->chat());
    if (titleView_) {
        titleView_->setTitleViewDelegate(selfAs<IMChatController>());
    }
}

} // namespace zelvan
