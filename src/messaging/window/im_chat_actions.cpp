// The chat window's room, group and private-chat actions, its alerts and their answers, and the room
// rule log: a room whose rule the user accepted once is entered without asking again.
#include <ctime>

#include "core/localization.h"
#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/chat/im_chat.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/chat_room_user.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/date.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/window.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

constexpr int32_t kBlockedBit = 1;

template <class Card>
std::shared_ptr<Card> currentCardAs(const std::shared_ptr<IMChat>& chat) {
    return chat ? std::dynamic_pointer_cast<Card>(chat->card()) : nullptr;
}

void pushScreen(ui::ViewController& from, const std::shared_ptr<ui::ViewController>& screen, const char* what,
                const std::string& title = {}) {
    if (!screen) {
        ZLOG(Warn, "chat: no %s screen is installed", what);
        return;
    }
    auto nav = from.navigationController();
    if (!nav) {
        ZLOG(Warn, "chat: no navigation to show the %s screen in", what);
        return;
    }
    nav->pushViewController(screen, ui::Animated::Yes);
    if (!title.empty()) {
        screen->setTitle(title);
    }
    if (auto refreshable = std::dynamic_pointer_cast<RefreshableScreen>(screen)) {
        refreshable->refresh();
    }
}

} // namespace

std::shared_ptr<ui::View> IMChatController::alertHost() const {
    auto delegate = delegate_.lock();
    auto tabs = delegate ? delegate->tabBarController() : nullptr;
    if (tabs) {
        return tabs->view();
    }
    return viewIfLoaded();
}

// --- Rooms ---

bool IMChatController::ruleAccepted(int32_t roomId) const {
    auto delegate = delegate_.lock();
    auto log = delegate ? delegate->chatRoomRuleLogs().asDictionary() : nullptr;
    return log && log->containsKey(roomId);
}

void IMChatController::displayRuleOfChatRoom(const std::shared_ptr<ChatRoomCard>& room) {
    if (!room || room->rule().empty() || ruleAccepted(room->roomId())) {
        return;
    }
    auto delegate = delegate_.lock();
    if (!delegate) {
        return;
    }
    delegate->hideKeyboard();
    auto alert = ZSimpleAlertView::create();
    alert->setTag(kTagRoomRule);
    alert->setIcon(ZSimpleAlertView::kIconNone);
    alert->label()->setText(room->rule());
    alert->setDelegate(selfAs<IMChatController>());
    alert->setAlertId(fnd::Value(room));
    alert->addButtonWithTitle(ZLS("chatroom.disagree"));
    alert->addButtonWithTitle(ZLS("chatroom.agree"));
    std::shared_ptr<ui::View> host = delegate->window();
    ruleAlerts_.show(alert->queueEntry(host ? host : alertHost()));
}

void IMChatController::acceptRoomRule(const std::shared_ptr<ChatRoomCard>& room) {
    auto delegate = delegate_.lock();
    if (!delegate) {
        return;
    }
    fnd::Value log = delegate->chatRoomRuleLogs();
    if (auto entries = log.asDictionary()) {
        // Seconds since the reference date, truncated to 32 bits as the log has always stored them.
        const auto now = static_cast<int32_t>(static_cast<int64_t>(fnd::Date::now().sinceReferenceDate()));
        entries->setObject(fnd::Value(now), room->roomId());
        if (!writefile(zelvanAppDelegate::kRuleLogFile, log)) {
            ZLOG(Error, "chat: the room rule log could not be written");
        }
    }
    if (auto chat = room->chat()) {
        chat->addSystemMessage(ZLS("chatroom.ruleagreed"));
    }
    send(fnd::Value::array({kCmdEnterRoom, room->roomId()}));
}

void IMChatController::showChatRoomUsers() {
    auto room = currentCardAs<ChatRoomCard>(currentChat_);
    if (!room) {
        return;
    }
    auto maker = messenger_ ? messenger_->screens().roomMembers : nullptr;
    pushScreen(*this, maker ? maker(room) : nullptr, "room member");
}

void IMChatController::turnOnPrivateChat() {
    auto room = currentCardAs<ChatRoomCard>(currentChat_);
    if (!room) {
        return;
    }
    room->setAllowPrivateChat(true);
    if (messenger_) {
        for (const fnd::Value& item : *room->users()) {
            if (auto member = item.asObject<ChatRoomUser>()) {
                messenger_->privateChatWhitelist().addValue(member->userId());
            }
        }
    }
    addSystemLine(ZLS("turnonpvchat"));
    reloadToolbar();
}

void IMChatController::turnOffPrivateChat() {
    auto room = currentCardAs<ChatRoomCard>(currentChat_);
    if (!room) {
        return;
    }
    room->setAllowPrivateChat(false);
    if (messenger_) {
        for (const fnd::Value& item : *room->users()) {
            if (auto member = item.asObject<ChatRoomUser>()) {
                messenger_->privateChatWhitelist().removeValue(member->userId());
            }
        }
    }
    addSystemLine(ZLS("turnoffpvchat"));
    reloadToolbar();
}

// --- Groups ---

void IMChatController::showGroupUsers() {
    auto group = currentCardAs<ChatGroupCard>(currentChat_);
    if (!group) {
        return;
    }
    auto maker = messenger_ ? messenger_->screens().groupMembers : nullptr;
    pushScreen(*this, maker ? maker(group) : nullptr, "group member", group->name());
}

void IMChatController::blockGroup() {
    auto group = currentCardAs<ChatGroupCard>(currentChat_);
    if (!group || group->checkMembershipAttr(kBlockedBit)) {
        return;
    }
    hideInput();
    auto alert = ZSimpleAlertView::create();
    alert->setTag(kTagBlockGroup);
    alert->setBackgroundColor(ZelvanWidget::colorFromWeb(0, 0.3));
    alert->setIcon(ZSimpleAlertView::kIconInformation);
    alert->setAlertId(fnd::Value(group));
    alert->label()->setText(fnd::format(ZLS("groupManageBlockTip"), group->name()));
    alert->addButtonWithTitle(ZLS("Cancel"));
    alert->addButtonWithTitle(ZLS("Block"));
    alert->setDelegate(selfAs<IMChatController>());
    alert->showInView(alertHost());
}

void IMChatController::unblockGroup() {
    auto group = currentCardAs<ChatGroupCard>(currentChat_);
    if (!group || !group->checkMembershipAttr(kBlockedBit)) {
        return;
    }
    send(fnd::Value::array({kCmdBlockGroup, group->groupId(), 0}));
    group->setMembershipAttr(kBlockedBit, false);
    reloadToolbar();
}

// --- Private chats ---

void IMChatController::disallowPrivateChat() {
    auto partner = currentCardAs<PrivateChatCard>(currentChat_);
    if (!partner) {
        return;
    }
    auto alert = ZSimpleAlertView::create();
    alert->setAlertId(fnd::Value(partner));
    alert->setIcon(ZSimpleAlertView::kIconWarning);
    alert->setTag(kTagDisallowPrivateChat);
    alert->label()->setText(fnd::format(ZLS("pvoffconfirm"), partner->name()));
    alert->addButtonWithTitle(ZLS("Cancel"));
    alert->addButtonWithTitle(ZLS("Yes"));
    alert->setDelegate(selfAs<IMChatController>());
    auto delegate = delegate_.lock();
    std::shared_ptr<ui::View> host = delegate ? delegate->window() : nullptr;
    alert->showInView(host ? host : alertHost());
}

// --- Alert answers ---

void IMChatController::buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& /*buttonTitle*/,
                                              int buttonIndex) {
    switch (alert.tag()) {
    case kTagBlockGroup: {
        auto group = alert.alertId().asObject<ChatGroupCard>();
        if (buttonIndex == 1 && group && !group->checkMembershipAttr(kBlockedBit)) {
            send(fnd::Value::array({kCmdBlockGroup, group->groupId(), 1}));
            group->setMembershipAttr(kBlockedBit, true);
            reloadToolbar();
        }
        break;
    }
    case kTagRoomRule:
        if (auto room = alert.alertId().asObject<ChatRoomCard>()) {
            if (buttonIndex == 0) {
                removeChatWithCard(room);
            } else if (buttonIndex == 1) {
                acceptRoomRule(room);
            }
        }
        break;
    case kTagDisallowPrivateChat: {
        auto partner = alert.alertId().asObject<PrivateChatCard>();
        if (buttonIndex == 1 && partner) {
            if (messenger_) {
                messenger_->privateChatWhitelist().removeValue(partner->userId());
                std::erase(messenger_->privateChatUsers(), partner);
            }
            removeChatWithCard(partner);
        }
        break;
    }
    default:
        break;
    }
    alert.setAlertId({});
}

} // namespace zelvan
