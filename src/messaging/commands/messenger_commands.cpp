// The messenger's command switch and its contact, presence, message, miniblog and option cases: each case checks
// the elements it reads before it changes the model, then updates the cards, the open chats and the
// lists.
#include "messaging/commands/messenger_commands.h"
#include "messaging/commands/packet_elements.h"

#include <algorithm>
#include <array>

#include "core/category_helpers.h"
#include "core/localization.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "protocol/tracer.h"

namespace zelvan {

using packet::arrayAt;
using packet::intAt;
using packet::stringAt;

namespace {

constexpr std::array<int32_t, 36> kCommands = {1,  2,  3,  5,   6,   7,   8,   11,  13,  14,  15,  16,
                                               25, 26, 27, 28,  29,  34,  37,  56,  58,  59,  72,  80,
                                               90, 91, 92, 300, 303, 307, 309, 312, 313, 314, 317, 403};

} // namespace

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

const std::array<int32_t, 36>& MessengerCommands::commandNumbers() {
    return kCommands;
}

bool MessengerCommands::handles(int32_t command) {
    return std::find(kCommands.begin(), kCommands.end(), command) != kCommands.end();
}

void MessengerCommands::reject(const char* reason, const fnd::Value& packet) {
    ZTRACE_WARN("IMControlle exception %@ %@, %@", "NSRangeException", reason, fnd::logPreview(packet));
}

void MessengerCommands::refresh() {
    if (hooks_.refresh) {
        hooks_.refresh();
    }
}

void MessengerCommands::handle(const fnd::Value& packet) {
    auto array = packet.asArray();
    if (!array || array->count() == 0) {
        return;
    }
    const fnd::Array& p = *array;
    switch (intAt(p, 0)) {
    case 1:
        contactsConfirmed(p);
        break;
    case 2:
        contactSync(p, packet);
        break;
    case 3:
        friendMessage(p, packet);
        break;
    case 5:
        imSignIn(p, packet);
        break;
    case 6:
        buddyUpdate(p, packet);
        break;
    case 7:
        updateBlock(p, packet);
        break;
    case 8:
        buddyMessage(p, packet);
        break;
    case 11:
        fileDelivered(p, packet);
        break;
    case 13:
        cameOnline(p);
        break;
    case 14:
        wentOffline(p);
        break;
    case 15:
        miniblogLine(p, packet);
        break;
    case 16:
        miniblogLines(p, packet);
        break;
    case 28:
        setStates(p, 2, false);
        break;
    case 29:
        setStates(p, 1, false);
        break;
    case 58:
        friendSystemLine(p, packet);
        break;
    case 72:
        setStates(p, 3, true);
        break;
    case 80:
        miniblogAnswer(p, packet);
        break;
    case 403:
        friendOptions(p);
        break;
    case 300:
    case 313:
        groupList(p, packet);
        break;
    case 25:
        roomMember(p, packet);
        break;
    case 26:
        roomMessage(p, packet);
        break;
    case 27:
        roomEntered(p, packet);
        break;
    case 34:
        roomEntryFailed(p, packet);
        break;
    case 37:
        privateChat(p, packet);
        break;
    case 56:
        kickResult(p, packet);
        break;
    case 59:
        kickedOut(p);
        break;
    case 90:
        roomList(p, packet);
        break;
    case 91:
        roomOccupancy(p);
        break;
    case 92:
        roomRules(p, packet);
        break;
    case 303:
        groupLeft(p, packet);
        break;
    case 307:
        groupGone(p, packet, "groupManageDisbandSuccess");
        break;
    case 309:
        groupMessages(p, packet);
        break;
    case 312:
        groupUpdate(p, packet);
        break;
    case 314:
        groupGone(p, packet, "groupManageRemovedTip");
        break;
    case 317:
        groupSystemLine(p, packet);
        break;
    default:
        break;
    }
}

void MessengerCommands::contactsConfirmed(const fnd::Array& p) {
    for (size_t i = 1; i < p.count(); i += 2) {
        int32_t contactId = intAt(p, i);
        int32_t userId = intAt(p, i + 1);
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

void MessengerCommands::contactSync(const fnd::Array& p, const fnd::Value& packet) {
    auto deleted = arrayAt(p, 2);
    auto block = arrayAt(p, 3);
    if (!deleted || !block) {
        reject("the contact sync answer lacks its deleted ids or its update block", packet);
        return;
    }
    for (size_t i = 0; i < deleted->count(); ++i) {
        if (auto card = model_.getcontactid(intAt(*deleted, i))) {
            model_.removeContact(card);
        }
    }
    model_.setRev(intAt(p, 1));
    model_.updates().push_back(block);
    applyUpdates();
    refresh();
    model_.saveContactStorage();
}

void MessengerCommands::updateBlock(const fnd::Array& p, const fnd::Value& packet) {
    auto block = arrayAt(p, 1);
    if (!block) {
        reject("the update packet lacks its block", packet);
        return;
    }
    model_.updates().push_back(block);
}

void MessengerCommands::applyUpdates() {
    auto blocks = std::move(model_.updates());
    model_.updates().clear();
    for (const auto& block : blocks) {
        for (size_t i = 0; i < block->count(); i += 3) {
            auto ui = i + 2 < block->count() ? block->objectAtIndex(i + 2).asDictionary() : nullptr;
            if (!ui) {
                ZTRACE_WARN("messenger: an update entry without its fields was skipped: %@",
                            fnd::logPreview(fnd::Value(block)));
                continue;
            }
            int32_t contactId = intAt(*block, i);
            int32_t userId = intAt(*block, i + 1);
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

void MessengerCommands::friendMessage(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* text = stringAt(p, 2);
    if (!text || p.count() < 2) {
        reject("the message lacks its sender or its text", packet);
        return;
    }
    std::shared_ptr<baseCard> card;
    if (const std::string* phone = stringAt(p, 1)) {
        card = model_.getunknown(*phone);
    } else {
        card = model_.getuserid(intAt(p, 1));
    }
    if (card && model_.chat()) {
        if (auto chat = model_.chat()->findChatWithCard(card)) {
            chat->addChatMessage(*text, card);
        }
    }
    refresh();
}

void MessengerCommands::imSignIn(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* user = stringAt(p, 3);
    if (!user) {
        reject("the sign-in result lacks the account name", packet);
        return;
    }
    auto im = model_.findIM(intAt(p, 2), *user);
    if (!im) {
        return;
    }
    int32_t imId = intAt(p, 1);
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

void MessengerCommands::buddyUpdate(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* user = stringAt(p, 2);
    const std::string* disp = stringAt(p, 3);
    const std::string* status = stringAt(p, 5);
    if (!user || !disp || p.count() < 5 || (p.count() > 5 && !status)) {
        reject("the buddy update lacks an element", packet);
        return;
    }
    auto im = model_.findIMWithID(intAt(p, 1));
    if (!im) {
        return;
    }
    auto buddy = im->getuser(*user);
    buddy->setDisp(*disp);
    buddy->setstate(intAt(p, 4));
    if (openChat(buddy) && model_.chat()) {
        model_.chat()->updateChatWithCard(buddy);
    }
    if (status) {
        buddy->setStatus(*status);
        buddy->setStatusHeight(hooks_.statusHeight ? static_cast<float>(hooks_.statusHeight(*status)) : 0.0F);
    }
    refresh();
}

void MessengerCommands::buddyMessage(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* user = stringAt(p, 2);
    const std::string* text = stringAt(p, 3);
    if (!user || !text) {
        reject("the buddy message lacks its sender or its text", packet);
        return;
    }
    auto im = model_.findIMWithID(intAt(p, 1));
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

void MessengerCommands::fileDelivered(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* text = stringAt(p, 3);
    if (!text || p.count() < 3) {
        reject("the delivery notice lacks its target or its text", packet);
        return;
    }
    int32_t kind = intAt(p, 1);
    std::shared_ptr<baseCard> card;
    if (kind == -1) {
        card = model_.getuserid(intAt(p, 2));
    } else if (kind == -2) {
        card = model_.findChatGroup(intAt(p, 2));
    } else if (auto im = model_.findIMWithID(kind)) {
        card = im->getuser(p.objectAtIndex(2).stringValue());
    }
    auto chat = openChat(card);
    if (!chat) {
        return;
    }
    int32_t files = intAt(p, 4);
    if (files > 0 && files != 2147483647) {
        chat->addSystemMessage(fnd::format(ZLS("sendFilecount"), files));
    } else {
        chat->addSystemMessage(ZLS("fileSent"));
    }
    chat->addChatMessage(*text, nullptr);
}

void MessengerCommands::cameOnline(const fnd::Array& p) {
    for (size_t i = 1; i < p.count(); ++i) {
        auto card = model_.getuserid(intAt(p, i));
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

void MessengerCommands::wentOffline(const fnd::Array& p) {
    for (size_t i = 1; i < p.count(); ++i) {
        auto card = model_.getuserid(intAt(p, i));
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

void MessengerCommands::miniblogLine(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* text = stringAt(p, 3);
    if (!text) {
        reject("the miniblog line lacks its text", packet);
        return;
    }
    model_.updateMiniblog(intAt(p, 1), *text, 0);
    refresh();
}

void MessengerCommands::miniblogLines(const fnd::Array& p, const fnd::Value& packet) {
    auto lines = arrayAt(p, 1);
    if (!lines) {
        reject("the miniblog lines lack their array", packet);
        return;
    }
    for (size_t i = 0; i + 2 < lines->count(); i += 4) {
        const std::string* text = stringAt(*lines, i + 2);
        if (!text) {
            reject("a miniblog line lacks its text", packet);
            break;
        }
        model_.updateMiniblog(intAt(*lines, i), *text, intAt(*lines, i + 3));
    }
    refresh();
}

void MessengerCommands::setStates(const fnd::Array& p, int32_t state, bool resort) {
    for (size_t i = 1; i < p.count(); ++i) {
        if (auto card = model_.getuserid(intAt(p, i))) {
            card->setState(state);
            if (resort) {
                model_.resortVCard(card);
            }
        }
    }
    refresh();
}

void MessengerCommands::friendSystemLine(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* text = stringAt(p, 2);
    if (!text) {
        reject("the notice lacks its text", packet);
        return;
    }
    if (auto card = model_.getuserid(intAt(p, 1))) {
        addSystemLine(card, *text);
    }
    refresh();
}

void MessengerCommands::miniblogAnswer(const fnd::Array& p, const fnd::Value& packet) {
    auto lines = arrayAt(p, 1);
    if (!lines) {
        reject("the miniblog answer lacks its array", packet);
        return;
    }
    for (size_t i = 0; i < lines->count() / 3; ++i) {
        const std::string* text = stringAt(*lines, 3 * i + 1);
        if (!text) {
            reject("a miniblog answer line lacks its text", packet);
            break;
        }
        model_.updateMiniblog(intAt(*lines, 3 * i), *text, intAt(*lines, 3 * i + 2));
    }
    // An answer nobody asked for leaves the count alone; the count never goes below zero.
    auto& counts = model_.miniblogRequestCounts();
    if (counts.count() > 0) {
        int32_t asked = counts.removeValueAtIndex(0);
        model_.setMiniblogRequestCount(std::max(0, model_.miniblogRequestCount() - asked));
    }
    refresh();
}

void MessengerCommands::friendOptions(const fnd::Array& p) {
    int32_t key = intAt(p, 1);
    for (size_t i = 2; i < p.count(); i += 2) {
        if (auto card = model_.getuserid(intAt(p, i))) {
            card->options().setObject(i + 1 < p.count() ? p.objectAtIndex(i + 1) : fnd::Value(), key);
        }
    }
    refresh();
}

} // namespace zelvan
