// The chat window's chats: opening one per card with its opening lines, switching, closing, unread
// counts, the tab badge and the message sound, and the callbacks of the lists and the title strip.
#include "messaging/window/im_chat_controller.h"

#include <algorithm>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/im_card.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/tab_bar_item.h"
#include "toolkit/z_simple_photo_view.h"

namespace zelvan {

std::shared_ptr<IMChatController> IMChatController::create(const std::shared_ptr<zelvanAppDelegate>& delegate,
                                                           IMController* messenger) {
    auto window = std::make_shared<IMChatController>(delegate, messenger);
    if (delegate) {
        if (auto avatars = std::dynamic_pointer_cast<AvatarFinder>(delegate->avatarManager())) {
            avatars->addDelegate(window);
        }
    }
    return window;
}

IMChatController::IMChatController(const std::shared_ptr<zelvanAppDelegate>& delegate, IMController* messenger)
    : delegate_(delegate), messenger_(messenger) {
    setTitle(ZLS("imchattitle"));
}

IMChatController::~IMChatController() {
    for (const auto& list : {chatView_, bgChatView_}) {
        if (list) {
            list->setChatViewDelegate({});
        }
    }
}

void IMChatController::send(const fnd::Value& packet) {
    if (auto delegate = delegate_.lock()) {
        delegate->send(packet);
    }
}

void IMChatController::addSystemLine(const std::string& text) {
    if (currentChat_) {
        currentChat_->addSystemMessage(text);
    }
}

std::shared_ptr<IMChat> IMChatController::findChatWithCard(const std::shared_ptr<baseCard>& card, bool create) {
    if (!card) {
        return nullptr;
    }
    for (const auto& chat : chats_) {
        if (chat->card() == card) {
            return chat;
        }
    }
    return create ? addChatWithCard(card) : nullptr;
}

std::shared_ptr<IMChat> IMChatController::addChatWithCard(const std::shared_ptr<baseCard>& card) {
    auto chat = IMChat::create();
    chat->setColorId(openedChatCount_ % IMChat::kColorCount);
    chat->setCard(card);
    card->setChat(chat);
    chat->setDelegate(selfAs<IMChatController>());
    openingLines(*chat, card);
    chats_.push_back(chat);
    if (titleView_) {
        titleView_->addChat(chat);
    }
    refreshPageControl();
    ++openedChatCount_;
    return chat;
}

void IMChatController::openingLines(IMChat& chat, const std::shared_ptr<baseCard>& card) {
    const std::string name = card->getname();
    switch (card->kind()) {
    case CardKind::ChatRoom: {
        auto room = std::static_pointer_cast<ChatRoomCard>(card);
        if (room->rule().empty()) {
            send(fnd::Value::array({kCmdRoomRule, room->roomId()}));
            chat.addSystemMessage(ZLS("chatroom.fetchrule"));
        }
        if (room->state() == 0) {
            if (ruleAccepted(room->roomId())) {
                send(fnd::Value::array({kCmdEnterRoom, room->roomId()}));
                chat.addSystemMessage(ZLS("chatroom.loggingin"));
            } else if (!room->rule().empty()) {
                displayRuleOfChatRoom(room);
            }
        }
        break;
    }
    case CardKind::V:
    case CardKind::Im: {
        if (card->state() != 0) {
            chat.addSystemMessage(fnd::format(ZLS("userOnlineTip"), name));
            break;
        }
        auto friendCard = std::dynamic_pointer_cast<vCard>(card);
        const bool offlineMessages = friendCard && friendCard->supportOfflineMessage();
        chat.addSystemMessage(fnd::format(ZLS(offlineMessages ? "userOfflineTip2" : "userOfflineTip"), name));
        break;
    }
    case CardKind::PrivateChat:
        chat.addSystemMessage(fnd::format(ZLS("privateChatTip"), name));
        break;
    default:
        break;
    }
}

void IMChatController::activateChatWithCard(const std::shared_ptr<baseCard>& card) {
    auto chat = findChatWithCard(card, true);
    if (!chat) {
        return;
    }
    switchCurrentChat(chat);
    if (titleView_) {
        titleView_->activateChat(chat, false);
    }
}

void IMChatController::activateChat(int index) {
    if (index < 0 || static_cast<size_t>(index) >= chats_.size()) {
        return;
    }
    auto chat = chats_[static_cast<size_t>(index)];
    switchCurrentChat(chat);
    if (titleView_) {
        titleView_->activateChat(chat, false);
    }
}

void IMChatController::switchCurrentChat(const std::shared_ptr<IMChat>& chat) {
    if (chat != currentChat_) {
        currentChat_ = chat;
        if (currentChat_ && pageControl_) {
            auto it = std::find(chats_.begin(), chats_.end(), currentChat_);
            pageControl_->setCurrentPage(static_cast<int>(it - chats_.begin()));
        }
        reloadToolbar();
        if (chatView_) {
            chatView_->reloadWithChat(chat);
        }
    }
    if (chat) {
        chat->setUnread(0);
    }
    updateTabBadgeValue();
}

void IMChatController::updateChatWithCard(const std::shared_ptr<baseCard>& card) {
    if (currentChat_ && currentChat_->card() == card) {
        reload();
    }
    if (titleView_) {
        titleView_->updateChatWithCard(card);
    }
}

void IMChatController::removeChatWithCard(const std::shared_ptr<baseCard>& card) {
    if (auto chat = card ? card->chat() : nullptr) {
        card->setChat(nullptr);
        for (const auto& list : {chatView_, bgChatView_}) {
            if (list && list->chat() == chat) {
                list->reloadWithChat(nullptr);
            }
        }
        if (chat == currentChat_) {
            currentChat_ = nullptr;
        }
        std::erase(chats_, chat);
        if (titleView_) {
            titleView_->removeChat(chat);
        }
        refreshPageControl();
    }
    updateTabBadgeValue();
    if (chats_.empty() && messenger_) {
        messenger_->safePopToRootViewController();
    }
}

void IMChatController::removeCurrentChat() {
    if (!currentChat_) {
        ZLOG(Error, "current chat is nil");
        return;
    }
    auto chat = currentChat_;
    const auto index = static_cast<size_t>(std::find(chats_.begin(), chats_.end(), chat) - chats_.begin());
    const auto& card = chat->card();
    if (auto room = std::dynamic_pointer_cast<ChatRoomCard>(card)) {
        send(fnd::Value::array({kCmdLeaveRoom, room->roomId()}));
        room->logout();
    } else if (auto partner = std::dynamic_pointer_cast<PrivateChatCard>(card); partner && messenger_) {
        std::erase(messenger_->privateChatUsers(), partner);
    }
    currentChat_ = nullptr;
    std::erase(chats_, chat);
    if (chatView_) {
        chatView_->reloadWithChat(nullptr);
    }
    if (titleView_) {
        titleView_->removeChat(chat);
    }
    if (index >= chats_.size()) {
        if (!chats_.empty()) {
            activateChat(static_cast<int>(chats_.size()) - 1);
        } else if (messenger_) {
            messenger_->safePopToRootViewController();
        }
    } else {
        activateChat(static_cast<int>(index));
    }
    refreshPageControl();
    updateTabBadgeValue();
}

void IMChatController::closeIMGroup(const std::shared_ptr<imGroup>& group) {
    if (!group) {
        return;
    }
    // The account's list is copied: closing a chat may reach the messenger, which owns the list.
    std::vector<std::shared_ptr<baseCard>> buddies;
    for (const fnd::Value& item : *group->all()) {
        if (auto buddy = item.asObject<baseCard>()) {
            buddies.push_back(buddy);
        }
    }
    for (const auto& buddy : buddies) {
        removeChatWithCard(buddy);
    }
}

void IMChatController::clear() {
    // Everything that still points at a dropped chat goes with it: the lists, the current chat,
    // the dots and the badge.
    for (const auto& chat : chats_) {
        if (chat->card() && chat->card()->chat() == chat) {
            chat->card()->setChat(nullptr);
        }
    }
    chats_.clear();
    currentChat_ = nullptr;
    if (titleView_) {
        titleView_->clear();
    }
    for (const auto& list : {chatView_, bgChatView_}) {
        if (list) {
            list->reloadWithChat(nullptr);
        }
    }
    reloadToolbar();
    refreshPageControl();
    updateTabBadgeValue();
}

void IMChatController::reload() {
    reloadToolbar();
    if (chatView_) {
        chatView_->reload();
    }
}

void IMChatController::backAction() {
    if (textField_) {
        textField_->resignFirstResponder();
    }
    auto nav = navigationController();
    if (!nav || nav->viewControllers().size() < 2) {
        return;
    }
    const auto& stack = nav->viewControllers();
    nav->popToViewController(stack[stack.size() - 2], ui::Animated::Yes);
}

bool IMChatController::isVisible() const {
    auto delegate = delegate_.lock();
    auto tabs = delegate ? delegate->tabBarController() : nullptr;
    if (!tabs || tabs->selectedIndex() != zelvanAppDelegate::TabMessenger || !navigationController()) {
        return false;
    }
    auto tabsView = tabs->viewIfLoaded();
    return tabsView && !tabsView->isHidden();
}

void IMChatController::updateTabBadgeValue() {
    int32_t unread = 0;
    for (const auto& chat : chats_) {
        unread += chat->unread();
    }
    if (!messenger_) {
        return;
    }
    auto item = messenger_->tabBarItem();
    item->setBadgeValue(unread > 0 ? std::optional<std::string>(fnd::format("%d", unread)) : std::nullopt);
}

void IMChatController::messagesUpdated(IMChat& chat) {
    chat.setUnread(chat.unread() + 1);
    if (&chat == currentChat_.get() && isVisible()) {
        chat.setUnread(0);
        if (chatView_) {
            chatView_->reload();
            chatView_->scrollToBottom(true);
        }
    }
    if (messenger_) {
        messenger_->safeReload();
    }
    updateTabBadgeValue();
    const bool open = std::any_of(chats_.begin(), chats_.end(), [&](const auto& c) { return c.get() == &chat; });
    if (chat.unread() <= 0 || !open) {
        return;
    }
    const CardKind kind = chat.card() ? chat.card()->kind() : CardKind::Base;
    const bool roomOrGroup = kind == CardKind::ChatRoom || kind == CardKind::ChatGroup;
    if (roomOrGroup && chat.unread() != 1) {
        return;
    }
    auto delegate = delegate_.lock();
    if (auto player = delegate ? delegate->msgPlayer() : nullptr) {
        player->play();
    }
}

void IMChatController::messageTapped(IMChatView& /*chatView*/, const std::shared_ptr<IMMessage>& message, int /*row*/) {
    if (!message || message->type() != IMMessage::kTypePicture || !message->url()) {
        return;
    }
    // Only web pictures go to the cache; a peer's line could otherwise name a local file or scheme.
    const std::string& url = *message->url();
    auto parsed = fnd::Url::parse(url);
    if (!parsed || !parsed->isHttpUrl()) {
        ZLOG(Warn, "chat: a picture line names no web address; not opened: %s", fnd::logPreview(url));
        return;
    }
    auto viewer = ZSimplePhotoView::initWithUrl(fnd::format("zelvan_cache_file://%@", url));
    viewer->showInView(view());
}

void IMChatController::tableViewTapped(IMChatView& /*chatView*/) {
    hideInput();
}

void IMChatController::switchActiveChat(const std::shared_ptr<IMChat>& chat) {
    if (maskView_ && maskView_->superview()) {
        return;
    }
    switchCurrentChat(chat);
}

void IMChatController::startScroll() {
    if (!maskView_) {
        return;
    }
    if (maskView_->superview()) {
        ZLOG(Warn, "startScroll, has superview");
        return;
    }
    view()->addSubview(maskView_);
}

void IMChatController::endScroll() {
    if (!maskView_ || !maskView_->superview()) {
        ZLOG(Warn, "endScroll, nil superview");
        return;
    }
    maskView_->removeFromSuperview();
    auto selected = titleView_ ? titleView_->selectedChat() : nullptr;
    if (!selected) {
        ZLOG(Warn, "nil selectedchat");
        return;
    }
    switchActiveChat(selected);
}

void IMChatController::avatarUpdated(int32_t userId, int32_t /*type*/, int32_t /*version*/) {
    auto delegate = delegate_.lock();
    if (delegate && userId == delegate->userId()) {
        reload();
        return;
    }
    auto partner = currentChat_ ? std::dynamic_pointer_cast<vCard>(currentChat_->card()) : nullptr;
    if (partner && partner->userid() == userId) {
        reload();
    }
}

void IMChatController::emoticonSelected(int32_t /*index*/, const std::string& escapedText) {
    if (!textField_) {
        return;
    }
    textField_->setText(textField_->text() + escapedText);
}

} // namespace zelvan
