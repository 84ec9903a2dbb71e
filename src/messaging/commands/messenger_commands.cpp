// The messenger's command switch and its contact, presence, message, miniblog and option cases: each case checks
// the elements it reads before it changes the model, then updates the cards, the open chats and the
// lists.
#include "messaging/commands/messenger_commands.h"

#include <algorithm>

#include "core/category_helpers.h"
#include "core/localization.h"
#include "messaging/chat/im_chat.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "protocol/command_table.h"
#include "protocol/tracer.h"

namespace zelvan {

std::shared_ptr<IMChat> MessengerCommands::openChat(const std::shared_ptr<baseCard>& card) const {
    if (!card) {
        return nullptr;
    }
    return model_.chat() ? model_.chat()->findChatWithCard(card, false) : card->chat();
}

void MessengerCommands::addSystemLine(const std::shared_ptr<baseCard>& card, const std::string& text) {
    if (auto chat = openChat(card)) {
        chat->addSystemMessage(text);
    }
}

void MessengerCommands::reject(const char* reason, const fnd::Value& packet) {
    PacketReader::warn("IMControlle exception NSRangeException", reason, packet);
}

void MessengerCommands::refresh() {
    if (hooks_.refresh) {
        hooks_.refresh();
    }
}

void MessengerCommands::handle(const fnd::Value& packet) {
    const PacketReader p(packet);
    if (p.count() == 0) {
        return;
    }
    switch (p.intValue(0)) {
    case cmd::kContactsConfirmed:
        contactsConfirmed(p);
        break;
    case cmd::kContactSync:
        contactSync(p);
        break;
    case cmd::kFriendLine:
        friendMessage(p);
        break;
    case cmd::kIMSignInResult:
        imSignIn(p);
        break;
    case cmd::kBuddyUpdate:
        buddyUpdate(p);
        break;
    case cmd::kUpdateBlock:
        updateBlock(p);
        break;
    case cmd::kBuddyLine:
        buddyMessage(p);
        break;
    case cmd::kFileDelivered:
        fileDelivered(p);
        break;
    case cmd::kCameOnline:
        cameOnline(p);
        break;
    case cmd::kWentOffline:
        wentOffline(p);
        break;
    case cmd::kMiniblogLine:
        miniblogLine(p);
        break;
    case cmd::kMiniblogLines:
        miniblogLines(p);
        break;
    case cmd::kFriendsInState2:
        setStates(p, 2, false);
        break;
    case cmd::kFriendsInState1:
        setStates(p, 1, false);
        break;
    case cmd::kFriendSystemLine:
        friendSystemLine(p);
        break;
    case cmd::kFriendsInState3:
        setStates(p, 3, true);
        break;
    case cmd::kMiniblogAnswer:
        miniblogAnswer(p);
        break;
    case cmd::kFriendOptions:
        friendOptions(p);
        break;
    case cmd::kGroupList:
    case cmd::kGroupListMore:
        groupList(p);
        break;
    case cmd::kRoomMember:
        roomMember(p);
        break;
    case cmd::kRoomLineReceived:
        roomMessage(p);
        break;
    case cmd::kRoomEntered:
        roomEntered(p);
        break;
    case cmd::kRoomEntryFailed:
        roomEntryFailed(p);
        break;
    case cmd::kPrivateChat:
        privateChat(p);
        break;
    case cmd::kKickResult:
        kickResult(p);
        break;
    case cmd::kKickedOut:
        kickedOut(p);
        break;
    case cmd::kRoomList:
        roomList(p);
        break;
    case cmd::kRoomOccupancy:
        roomOccupancy(p);
        break;
    case cmd::kRoomRules:
        roomRules(p);
        break;
    case cmd::kLeaveGroup:
        groupLeft(p);
        break;
    case cmd::kGroupDisbanded:
        groupGone(p, "groupManageDisbandSuccess");
        break;
    case cmd::kGroupLines:
        groupMessages(p);
        break;
    case cmd::kGroupUpdate:
        groupUpdate(p);
        break;
    case cmd::kRemovedFromGroup:
        groupGone(p, "groupManageRemovedTip");
        break;
    case cmd::kGroupSystemLine:
        groupSystemLine(p);
        break;
    default:
        break;
    }
}

void MessengerCommands::contactsConfirmed(const PacketReader& p) {
    for (size_t i = 1; i < p.count(); i += 2) {
        int32_t contactId = p.intValue(i);
        int32_t userId = p.intValue(i + 1);
        if (auto card = model_.getcontactid(contactId)) {
            card->setState(0);
            card->setUserid(userId);
            model_.removeContact(card);
            model_.insertContact(card);
        } else if (!model_.waitadd().empty()) {
            auto waiting = model_.waitadd().front();
            model_.waitadd().erase(model_.waitadd().begin());
            waiting->setContactid(contactId);
            if (userId != 0) {
                waiting->setUserid(userId);
            }
            model_.insertContact(waiting);
        }
    }
    refresh();
}

void MessengerCommands::contactSync(const PacketReader& p) {
    auto deleted = p.optionalList(2);
    auto block = p.optionalList(3);
    if (!deleted || !block) {
        reject("the contact sync answer lacks its deleted ids or its update block", p.packet());
        return;
    }
    for (size_t i = 0; i < deleted->count(); ++i) {
        if (auto card = model_.getcontactid(deleted->intValue(i))) {
            model_.removeContact(card);
        }
    }
    model_.setRev(p.intValue(1));
    model_.updates().push_back(block->arrayPtr());
    applyUpdates();
    refresh();
    model_.saveContactStorage();
}

void MessengerCommands::updateBlock(const PacketReader& p) {
    auto block = p.optionalList(1);
    if (!block) {
        reject("the update packet lacks its block", p.packet());
        return;
    }
    model_.updates().push_back(block->arrayPtr());
}

void MessengerCommands::applyUpdates() {
    auto blocks = std::move(model_.updates());
    model_.updates().clear();
    for (const auto& entries : blocks) {
        const PacketReader block{fnd::Value(entries)};
        for (size_t i = 0; i < block.count(); i += 3) {
            auto ui = block.element(i + 2).valueOr(fnd::Value()).asDictionary();
            if (!ui) {
                ZTRACE_WARN("messenger: an update entry without its fields was skipped: %@",
                            fnd::logPreview(block.packet()));
                continue;
            }
            int32_t contactId = block.intValue(i);
            int32_t userId = block.intValue(i + 1);
            auto card = model_.getcontactid(contactId);
            if (card) {
                model_.removeContact(card);
            } else {
                card = vCard::create();
                card->setContactid(contactId);
            }
            card->setUi(ui);
            if (userId != 0) {
                card->setUserid(userId);
            }
            model_.insertContact(card);
        }
    }
}

void MessengerCommands::friendMessage(const PacketReader& p) {
    const std::string* text = p.optionalText(2);
    if (!text || p.count() < 2) {
        reject("the message lacks its sender or its text", p.packet());
        return;
    }
    std::shared_ptr<baseCard> card;
    if (const std::string* phone = p.optionalText(1)) {
        card = model_.getunknown(*phone);
    } else {
        card = model_.getuserid(p.intValue(1));
    }
    if (card && model_.chat()) {
        if (auto chat = model_.chat()->findChatWithCard(card)) {
            chat->addChatMessage(*text, card);
        }
    }
    refresh();
}

void MessengerCommands::imSignIn(const PacketReader& p) {
    const std::string* user = p.optionalText(3);
    if (!user) {
        reject("the sign-in result lacks the account name", p.packet());
        return;
    }
    auto im = model_.findIM(p.intValue(2), *user);
    if (!im) {
        return;
    }
    int32_t imId = p.intValue(1);
    im->setIm_id(imId);
    if (imId > 0) {
        im->setConnectionStatus(3);
    } else {
        if (im->connectionStatus() == imGroup::kStatusSigningIn && hooks_.showWarning) {
            hooks_.showWarning(fnd::format(ZLS("IMNameIncorrect"), *user));
        }
        im->setConnectionStatus(imGroup::kStatusSignedOut);
        if (model_.chat()) {
            model_.chat()->closeIMGroup(im);
        }
        im->setAll(fnd::Array::make());
        im->setOnlines(fnd::Array::make());
    }
    refresh();
}

void MessengerCommands::buddyUpdate(const PacketReader& p) {
    const std::string* user = p.optionalText(2);
    const std::string* disp = p.optionalText(3);
    const std::string* status = p.optionalText(5);
    if (!user || !disp || p.count() < 5 || (p.count() > 5 && !status)) {
        reject("the buddy update lacks an element", p.packet());
        return;
    }
    auto im = model_.findIMWithID(p.intValue(1));
    if (!im) {
        return;
    }
    auto buddy = im->getuser(*user);
    buddy->setDisp(*disp);
    buddy->setstate(p.intValue(4));
    if (openChat(buddy) && model_.chat()) {
        model_.chat()->updateChatWithCard(buddy);
    }
    if (status) {
        buddy->setStatus(*status);
        buddy->setStatusHeight(hooks_.statusHeight ? static_cast<float>(hooks_.statusHeight(*status)) : 0.0F);
    }
    refresh();
}

void MessengerCommands::buddyMessage(const PacketReader& p) {
    const std::string* user = p.optionalText(2);
    const std::string* text = p.optionalText(3);
    if (!user || !text) {
        reject("the buddy message lacks its sender or its text", p.packet());
        return;
    }
    auto im = model_.findIMWithID(p.intValue(1));
    if (!im) {
        return;
    }
    auto buddy = im->getuser(*user);
    if (model_.chat()) {
        if (auto chat = model_.chat()->findChatWithCard(buddy)) {
            chat->addChatMessage(*text, buddy);
        }
    }
    refresh();
}

void MessengerCommands::fileDelivered(const PacketReader& p) {
    const std::string* text = p.optionalText(3);
    if (!text || p.count() < 3) {
        reject("the delivery notice lacks its target or its text", p.packet());
        return;
    }
    int32_t kind = p.intValue(1);
    std::shared_ptr<baseCard> card;
    if (kind == -1) {
        card = model_.getuserid(p.intValue(2));
    } else if (kind == -2) {
        card = model_.findChatGroup(p.intValue(2));
    } else if (auto im = model_.findIMWithID(kind)) {
        card = im->getuser(p.array().objectAtIndex(2).stringValue());
    }
    auto chat = openChat(card);
    if (!chat) {
        return;
    }
    int32_t files = p.intValue(4);
    if (files > 0 && files != 2147483647) {
        chat->addSystemMessage(fnd::format(ZLS("sendFilecount"), files));
    } else {
        chat->addSystemMessage(ZLS("fileSent"));
    }
    chat->addChatMessage(*text, nullptr);
}

void MessengerCommands::cameOnline(const PacketReader& p) {
    for (size_t i = 1; i < p.count(); ++i) {
        auto card = model_.getuserid(p.intValue(i));
        if (!card) {
            continue;
        }
        card->setOnline(std::max(card->online(), 0) + 1);
        if (card->state() != 1) {
            card->setState(1);
            model_.resortVCard(card);
            if (openChat(card) && model_.chat()) {
                model_.chat()->updateChatWithCard(card);
                addSystemLine(card, fnd::format(ZLS("userOnlineTip"), card->getname()));
            }
        }
    }
    refresh();
}

void MessengerCommands::wentOffline(const PacketReader& p) {
    for (size_t i = 1; i < p.count(); ++i) {
        auto card = model_.getuserid(p.intValue(i));
        if (!card) {
            continue;
        }
        // A friend marked online without a counted session (or a repeated notice) still goes
        // offline, and the count never drops below zero.
        int32_t online = card->online() - 1;
        if (online > 0) {
            card->setOnline(online);
            continue;
        }
        card->setOnline(0);
        if (card->state() == 0) {
            continue;
        }
        card->setState(0);
        model_.resortVCard(card);
        if (openChat(card) && model_.chat()) {
            model_.chat()->updateChatWithCard(card);
            const char* key = card->supportOfflineMessage() ? "userLogoffTip2" : "userLogoffTip";
            addSystemLine(card, fnd::format(ZLS(key), card->getname()));
        }
    }
    refresh();
}

void MessengerCommands::miniblogLine(const PacketReader& p) {
    const std::string* text = p.optionalText(3);
    if (!text) {
        reject("the miniblog line lacks its text", p.packet());
        return;
    }
    model_.updateMiniblog(p.intValue(1), *text, 0);
    refresh();
}

void MessengerCommands::miniblogLines(const PacketReader& p) {
    auto lines = p.optionalList(1);
    if (!lines) {
        reject("the miniblog lines lack their array", p.packet());
        return;
    }
    for (size_t i = 0; i + 2 < lines->count(); i += 4) {
        const std::string* text = lines->optionalText(i + 2);
        if (!text) {
            reject("a miniblog line lacks its text", p.packet());
            break;
        }
        model_.updateMiniblog(lines->intValue(i), *text, lines->intValue(i + 3));
    }
    refresh();
}

void MessengerCommands::setStates(const PacketReader& p, int32_t state, bool resort) {
    for (size_t i = 1; i < p.count(); ++i) {
        if (auto card = model_.getuserid(p.intValue(i))) {
            card->setState(state);
            if (resort) {
                model_.resortVCard(card);
            }
        }
    }
    refresh();
}

void MessengerCommands::friendSystemLine(const PacketReader& p) {
    const std::string* text = p.optionalText(2);
    if (!text) {
        reject("the notice lacks its text", p.packet());
        return;
    }
    if (auto card = model_.getuserid(p.intValue(1))) {
        addSystemLine(card, *text);
    }
    refresh();
}

void MessengerCommands::miniblogAnswer(const PacketReader& p) {
    auto lines = p.optionalList(1);
    if (!lines) {
        reject("the miniblog answer lacks its array", p.packet());
        return;
    }
    for (size_t i = 0; i < lines->count() / 3; ++i) {
        const std::string* text = lines->optionalText(3 * i + 1);
        if (!text) {
            reject("a miniblog answer line lacks its text", p.packet());
            break;
        }
        model_.updateMiniblog(lines->intValue(3 * i), *text, lines->intValue(3 * i + 2));
    }
    // An answer nobody asked for leaves the count alone; the count never goes below zero.
    auto& counts = model_.miniblogRequestCounts();
    if (counts.count() > 0) {
        int32_t asked = counts.removeValueAtIndex(0);
        model_.setMiniblogRequestCount(std::max(0, model_.miniblogRequestCount() - asked));
    }
    refresh();
}

void MessengerCommands::friendOptions(const PacketReader& p) {
    int32_t key = p.intValue(1);
    for (size_t i = 2; i < p.count(); i += 2) {
        if (auto card = model_.getuserid(p.intValue(i))) {
            card->options().setObject(i + 1 < p.count() ? p.array().objectAtIndex(i + 1) : fnd::Value(), key);
        }
    }
    refresh();
}

} // namespace zelvan
