// ContactManage's list upkeep (sorted insertion, removal, groups, miniblog lines) and its lookups by id.
#include <algorithm>
#include <charconv>
#include <functional>

#include "messaging/model/contact_manage.h"
#include "messaging/model/received_text.h"
#include "platform/foundation/date.h"

namespace zelvan {

namespace {

template <class List, class Pred>
auto firstWhere(const List& list, Pred pred) -> typename List::value_type {
    auto it = std::find_if(list.begin(), list.end(), pred);
    return it == list.end() ? nullptr : *it;
}

// The halving of the span between lo and hi over a plain list, as CardList::bisect walks it.
size_t bisect(const ContactManage::VCards& list, size_t lo, size_t hi, const std::function<int(const vCard&)>& weigh) {
    return halveSpan(lo, hi, [&](size_t mid) { return weigh(*list[mid]); });
}

size_t bisect(const ContactManage::VCardList& list, size_t lo, size_t hi,
              const std::function<int(const vCard&)>& weigh) {
    return list.bisect(lo, hi, weigh);
}

// Where the bisection of the contact lists puts `card`: before the first card when that one does not
// sort before it, after the last when it does not sort before that one, else by halving the span; a
// card level with the middle one goes before it. The list need not be sorted (a presence change does
// not always move its card), so the walk itself is the rule.
template <class List>
size_t sortedPosition(const List& list, const vCard& card) {
    if (list.empty() || list.front()->compareTo(card) >= 0) {
        return 0;
    }
    if (card.compareTo(*list.back()) >= 0) {
        return list.size();
    }
    return bisect(list, 0, list.size() - 1, [&card](const vCard& middle) { return middle.compareTo(card); });
}

} // namespace

void ContactManage::insertSorted(VCards& list, const std::shared_ptr<vCard>& card) {
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(sortedPosition(list, *card)), card);
}

void ContactManage::insertSorted(VCardList& list, const std::shared_ptr<vCard>& card) {
    list.insert(sortedPosition(list, *card), card);
}

void ContactManage::insertContact(const std::shared_ptr<vCard>& card) {
    if (!card) {
        return;
    }
    all_.push_back(card);
    insertSorted(card->userid() < 1 ? abContacts_ : zelvanFriends_, card);
}

void ContactManage::removeContact(const std::shared_ptr<vCard>& card) {
    if (!card) {
        return;
    }
    zelvanFriends_.remove(*card);
    abContacts_.remove(*card);
    all_.remove(*card);
}

void ContactManage::resortVCard(const std::shared_ptr<vCard>& card) {
    std::shared_ptr<vCard> keep = card;
    removeContact(keep);
    insertContact(keep);
}

void ContactManage::deleteChatGroup(int32_t groupId) {
    auto group = findChatGroup(groupId);
    if (!group) {
        return;
    }
    chat_->removeChatWithCard(group);
    chatGroups_.remove(*group);
    listsChanged();
}

void ContactManage::updateMiniblog(int32_t userId, const std::string& content, int32_t timeDelta) {
    if (auto card = getuserid(userId)) {
        card->setMiniblog(capReceivedText(content, "status line"));
        card->setMiniblogTime(fnd::Date::now().addingTimeInterval(-static_cast<double>(timeDelta)));
    }
}

std::shared_ptr<imGroup> ContactManage::findIMWithID(int32_t imId) const {
    return firstWhere(ims_, [&](const auto& im) { return im->im_id() == imId; });
}

std::shared_ptr<imGroup> ContactManage::findIM(int32_t prot, const std::string& user) const {
    return firstWhere(ims_, [&](const auto& im) { return im->prot() == prot && im->user() == user; });
}

std::shared_ptr<ChatRoomCard> ContactManage::findChatRoom(int32_t roomId) const {
    return chatRooms_.firstWithKey(roomId);
}

std::shared_ptr<PrivateChatCard> ContactManage::findPrivateChatCard(int32_t sid) const {
    return firstWhere(privateChatUsers_, [&](const auto& card) { return card->sid() == sid; });
}

std::shared_ptr<ChatGroupCard> ContactManage::findChatGroup(int32_t groupId) const {
    return chatGroups_.firstWithKey(groupId);
}

std::shared_ptr<vCard> ContactManage::getuserid(int32_t userId) const {
    return zelvanFriends_.firstWithKey(userId);
}

std::shared_ptr<vCard> ContactManage::getcontactid(int32_t contactId) const {
    return all_.firstWithKey(contactId);
}

std::shared_ptr<vCard> ContactManage::existvcard(const vCard& card) const {
    return firstWhere(all_, [&](const auto& other) { return !other->found() && other->isEqualTovCard(card); });
}

std::shared_ptr<unknownCard> ContactManage::getunknown(const std::string& phone) {
    if (auto card = firstWhere(unknowns_, [&](const auto& c) { return c->phone() == phone; })) {
        return card;
    }
    auto card = unknownCard::create(phone);
    unknowns_.push_back(card);
    return card;
}

std::shared_ptr<IMChat> ContactManage::getchat(int32_t imId, const std::string& user) {
    if (imId == -1) {
        int32_t userId = 0;
        std::from_chars(user.data(), user.data() + user.size(), userId);
        return chat_->findChatWithCard(getuserid(userId));
    }
    for (const auto& account : ims_) {
        if (account->im_id() != imId) {
            continue;
        }
        // Every account knows every name it is asked for: the first one answers.
        return chat_->findChatWithCard(account->getuser(user));
    }
    return nullptr;
}

} // namespace zelvan

namespace zelvan {

void ContactManage::applySync(const ContactSync::Plan& plan, const std::function<void(const fnd::Value&)>& send) {
    if (!plan.ran) {
        return;
    }
    std::lock_guard<std::recursive_mutex> hold(lock_);
    waitadd_.insert(waitadd_.end(), plan.added.begin(), plan.added.end());
    for (const fnd::Value& packet : plan.packets) {
        ++rev_;
        if (send) {
            send(packet);
        }
    }
    for (const auto& card : plan.removed) {
        removeContact(card);
    }
    saveContactStorage();
}

} // namespace zelvan
