// ZChatTitleView: places one status icon per open chat along a sideways scroll view, keeps the icon
// under the middle selected (and enlarged), snaps the row when it comes to rest and reports
// selections and scroll starts and ends to the chat window.
#include "messaging/window/z_chat_title_view.h"

#include <algorithm>
#include <cmath>

#include "core/bridge_targets.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/messaging_context.h"
#include "messaging/model/v_card.h"
#include "messaging/window/im_chat_window.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

// The avatar picture kind that is shown as a friend's head.
constexpr int32_t kHeadPictureType = 2;

} // namespace

void ZChatTitleView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setUserInteractionEnabled(true);
    scrollView_ = ui::View::create<ui::ScrollView>(gfx::Rect(0, 0, frame.size.width, frame.size.height));
    scrollView_->setBackgroundColor(gfx::Color::clear());
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setShowsVerticalScrollIndicator(false);
    scrollView_->setBounces(false);
    scrollView_->setPagingEnabled(false);
    scrollView_->setScrollsToTop(false);
    scrollView_->setDelegate(self<ZChatTitleView>());
    addSubview(scrollView_);

    // Friends' head pictures show in the icons, so the strip hears when one changes.
    if (auto delegate = messaging::context()) {
        if (auto finder = std::dynamic_pointer_cast<AvatarFinder>(delegate->avatarManager())) {
            finder->addDelegate(self<ZChatTitleView>());
        }
    }
}

std::shared_ptr<IMChat> ZChatTitleView::windowCurrentChat() const {
    auto window = chatWindow_.lock();
    return window ? window->currentChat() : nullptr;
}

// Buttons are placed by centre and unscaled bounds, so an enlarged (selected) icon keeps its place.
void ZChatTitleView::placeButton(size_t index) {
    const gfx::Size size = scrollView_->bounds().size;
    const auto& button = chatBtns_[index];
    button->setBounds(gfx::Rect(0, 0, kIconSize, kIconSize));
    button->setCenter(
        gfx::Point(size.width / 2 + static_cast<double>(index) * (kIconSize + kIconGap), size.height / 2));
}

// Wide enough that the first and the last icon can each be scrolled to the middle.
void ZChatTitleView::updateContentSize() {
    const gfx::Size size = scrollView_->bounds().size;
    const double lastRight = chatBtns_.back()->center().x + kIconSize / 2;
    scrollView_->setContentSize(gfx::Size(lastRight + size.width / 2 - kIconSize / 2, size.height));
}

void ZChatTitleView::refreshButtonImage(size_t index) {
    chatBtns_[index]->setBackgroundImage(ZelvanWidget::newStatusImageForCard(fnd::Value(chats_[index]->card())),
                                         ui::ControlState::Normal);
}

void ZChatTitleView::addChat(const std::shared_ptr<IMChat>& chat) {
    if (!chat) {
        return;
    }
    chats_.push_back(chat);
    auto button = ui::View::create<ui::Button>(gfx::Rect());
    chatBtns_.push_back(button);
    placeButton(chatBtns_.size() - 1);
    refreshButtonImage(chatBtns_.size() - 1);
    button->setBackgroundColor(gfx::Color::clear());
    button->setShowsTouchWhenHighlighted(true);
    button->addTarget(self<ZChatTitleView>(), &ZChatTitleView::buttonClicked, ui::ControlEvents::TouchUpInside);
    scrollView_->addSubview(button);
    setButtonSelected(button, chat == windowCurrentChat(), chat);
    updateContentSize();
}

void ZChatTitleView::removeChat(const std::shared_ptr<IMChat>& chat) {
    const std::shared_ptr<IMChat> held = chat;
    const auto it = std::find(chats_.begin(), chats_.end(), held);
    if (!held || it == chats_.end()) {
        return;
    }
    const auto index = static_cast<size_t>(it - chats_.begin());
    const auto button = chatBtns_[index];
    const bool wasSelected = button->isSelected();
    button->removeFromSuperview();
    chats_.erase(chats_.begin() + static_cast<std::ptrdiff_t>(index));
    chatBtns_.erase(chatBtns_.begin() + static_cast<std::ptrdiff_t>(index));
    for (size_t i = 0; i < chatBtns_.size(); ++i) {
        placeButton(i);
    }
    if (chatBtns_.empty()) {
        return;
    }
    updateContentSize();
    if (wasSelected) {
        activateChat(chats_[std::min(index, chats_.size() - 1)], false);
    }
}

void ZChatTitleView::clear() {
    for (const auto& button : chatBtns_) {
        button->removeFromSuperview();
    }
    chatBtns_.clear();
    chats_.clear();
    scrollView_->setContentSize(gfx::Size());
}

void ZChatTitleView::activateChat(const std::shared_ptr<IMChat>& chat, bool animated) {
    const auto it = std::find(chats_.begin(), chats_.end(), chat);
    if (!chat || it == chats_.end()) {
        return;
    }
    const auto index = static_cast<size_t>(it - chats_.begin());
    const gfx::Point offset = scrollView_->contentOffset();
    const double target = chatBtns_[index]->center().x - scrollView_->bounds().size.width / 2;
    if (std::abs(offset.x - target) > kActivateTolerance) {
        // The selection follows the scroll; an animated one ends with the end-of-scroll steps.
        setContentOffset(gfx::Point(target, offset.y), animated);
    } else {
        setButtonSelected(chatBtns_[index], true, chat);
    }
}

std::shared_ptr<IMChat> ZChatTitleView::selectedChat() const {
    const int32_t index = selectedIndex();
    return index == kNotFound ? nullptr : chats_[static_cast<size_t>(index)];
}

int32_t ZChatTitleView::selectedIndex() const {
    for (size_t i = 0; i < chatBtns_.size(); ++i) {
        if (chatBtns_[i]->isSelected()) {
            return static_cast<int32_t>(i);
        }
    }
    return kNotFound;
}

void ZChatTitleView::updateChatWithCard(const std::shared_ptr<baseCard>& card) {
    if (!card) {
        return;
    }
    for (size_t i = 0; i < chats_.size(); ++i) {
        if (chats_[i]->card() == card) {
            refreshButtonImage(i);
            return;
        }
    }
}

void ZChatTitleView::avatarUpdated(int32_t userId, int32_t type, int32_t /*version*/) {
    if (type != kHeadPictureType) {
        return;
    }
    for (size_t i = 0; i < chats_.size(); ++i) {
        const auto friendCard = std::dynamic_pointer_cast<vCard>(chats_[i]->card());
        if (friendCard && friendCard->userid() == userId) {
            refreshButtonImage(i);
            return;
        }
    }
}

void ZChatTitleView::setContentOffset(gfx::Point offset, bool animated) {
    if (animated) {
        fireStartScroll();
    }
    scrollView_->setContentOffset(offset, animated ? ui::Animated::Yes : ui::Animated::No);
}

void ZChatTitleView::buttonClicked(ui::Control& button) {
    const auto it =
        std::find_if(chatBtns_.begin(), chatBtns_.end(),
                     [&button](const std::shared_ptr<ui::Button>& candidate) { return candidate.get() == &button; });
    if (it != chatBtns_.end()) {
        activateChat(chats_[static_cast<size_t>(it - chatBtns_.begin())], true);
    }
}

void ZChatTitleView::leftClicked() {
    const int32_t index = selectedIndex();
    if (index != kNotFound && index > 0) {
        activateChat(chats_[static_cast<size_t>(index) - 1], true);
    }
}

void ZChatTitleView::rightClicked() {
    const int32_t index = selectedIndex();
    if (index != kNotFound && static_cast<size_t>(index) + 1 < chats_.size()) {
        activateChat(chats_[static_cast<size_t>(index) + 1], true);
    }
}

void ZChatTitleView::fireStartScroll() {
    if (auto delegate = titleViewDelegate()) {
        delegate->startScroll();
    }
}

void ZChatTitleView::fireEndScroll() {
    if (auto delegate = titleViewDelegate()) {
        delegate->endScroll();
    }
}

void ZChatTitleView::setButtonSelected(const std::shared_ptr<ui::Button>& button, bool selected,
                                       const std::shared_ptr<IMChat>& chat) {
    if (!button || button->isSelected() == selected) {
        return;
    }
    if (selected) {
        // A copy: the delegate may change the row while it hears of the selection.
        const auto buttons = chatBtns_;
        const auto chats = chats_;
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (buttons[i] != button) {
                setButtonSelected(buttons[i], false, chats[i]);
            }
        }
        if (auto delegate = titleViewDelegate()) {
            delegate->switchActiveChat(chat);
        }
    }
    const double scale = selected ? kSelectedScale : 1.0;
    ui::View::beginAnimations("ZChatTitleViewSelect");
    ui::View::setAnimationDuration(kSelectAnimationDuration);
    button->setTransform(gfx::AffineTransform::makeScale(scale, scale));
    ui::View::commitAnimations();
    button->setSelected(selected);
}

void ZChatTitleView::centerNearest() {
    const gfx::Point offset = scrollView_->contentOffset();
    const double halfWidth = scrollView_->bounds().size.width / 2;
    const double middle = offset.x + halfWidth;
    for (size_t i = 0; i + 1 < chatBtns_.size(); ++i) {
        const double left = chatBtns_[i]->center().x;
        const double right = chatBtns_[i + 1]->center().x;
        if (left <= middle && middle <= right) {
            const double target = (chatBtns_[i]->isSelected() ? left : right) - halfWidth;
            if (std::abs(offset.x - target) > kSnapTolerance) {
                setContentOffset(gfx::Point(target, offset.y), false);
            }
            return;
        }
    }
}

void ZChatTitleView::scrollViewWillBeginDragging(ui::ScrollView& /*scrollView*/) {
    fireStartScroll();
}

// The frames are those of the scaled icons, so the selected icon claims 45 points; where two frames
// hold the middle, the later icon is looked at last.
void ZChatTitleView::scrollViewDidScroll(ui::ScrollView& scrollView) {
    const gfx::Size size = scrollView.bounds().size;
    const gfx::Point middle(scrollView.contentOffset().x + size.width / 2, size.height / 2);
    const auto buttons = chatBtns_;
    const auto chats = chats_;
    for (size_t i = 0; i < buttons.size(); ++i) {
        setButtonSelected(buttons[i], buttons[i]->frame().containsPoint(middle), chats[i]);
    }
}

void ZChatTitleView::scrollViewDidEndDraggingWillDecelerate(ui::ScrollView& /*scrollView*/, bool decelerate) {
    if (!decelerate) {
        fireEndScroll();
        centerNearest();
    }
}

void ZChatTitleView::scrollViewDidEndDecelerating(ui::ScrollView& /*scrollView*/) {
    fireEndScroll();
    centerNearest();
}

void ZChatTitleView::scrollViewDidEndScrollingAnimation(ui::ScrollView& /*scrollView*/) {
    fireEndScroll();
    centerNearest();
}

} // namespace zelvan
