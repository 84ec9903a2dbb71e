// ContactManage's files: the contact cards in "zelvancontact2" (rev, then four elements per card) and
// the external IM accounts in "zelvanim" (three elements per account), and the reset between accounts.
#include <algorithm>

#include "core/state_files.h"
#include "messaging/model/contact_manage.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace zelvan {

namespace {

// Elements per card in "zelvancontact2" after the leading rev.
constexpr size_t kContactRecord = 4;
constexpr size_t kIMRecord = 3;

// The decoded file as an array, or null (logged) when it is missing, unreadable or not an array.
std::shared_ptr<fnd::Array> readArrayFile(const char* name) {
    if (!existfile(name)) {
        return nullptr;
    }
    fnd::Result<fnd::Value> read = readfile(name);
    if (!read.ok()) {
        logReadfileError(read.error());
        return nullptr;
    }
    auto array = read.value().asArray();
    if (!array) {
        ZLOG(Warn, "messenger: %s does not hold an array (%s); ignored", name,
             fnd::logPreviewValue(read.value(), fnd::kLogPreviewBytes).c_str());
    }
    return array;
}

bool sortsBefore(const std::shared_ptr<vCard>& a, const std::shared_ptr<vCard>& b) {
    return a->compareTo(*b) < 0;
}

} // namespace

ContactManage::ContactManage(std::function<bool()> loggedOut, std::shared_ptr<IMChatWindow> chat)
    : loggedOut_(std::move(loggedOut)), chat_(std::move(chat)),
      all_([](const vCard& card) { return card.contactid(); }),
      zelvanFriends_([](const vCard& card) { return card.userid(); }),
      chatGroups_([](const ChatGroupCard& group) { return group.groupId(); }),
      chatRooms_([](const ChatRoomCard& room) { return room.roomId(); }) {}

void ContactManage::loadStorage() {
    loadContactStorage();
    loadIMStorage();
}

void ContactManage::saveStorage() {
    saveContactStorage();
    saveIMStorage();
}

void ContactManage::loadContactStorage() {
    auto items = readArrayFile(kContactFile);
    if (!items) {
        return;
    }
    if (items->empty() || !items->objectAtIndex(0).isInt()) {
        ZLOG(Warn, "messenger: %s has no revision; ignored", kContactFile);
        return;
    }
    rev_ = items->objectAtIndex(0).intValue();
    all_.clear();
    zelvanFriends_.clear();
    abContacts_.clear();
    VCards friends;
    VCards contacts;
    const size_t count = items->count();
    if ((count - 1) % kContactRecord != 0) {
        ZLOG(Warn, "messenger: %s holds %zu elements, not whole records; the last partial one is dropped", kContactFile,
             count);
    }
    for (size_t i = 1; i + kContactRecord <= count; i += kContactRecord) {
        const fnd::Value& contactId = items->objectAtIndex(i);
        const fnd::Value& userId = items->objectAtIndex(i + 1);
        auto ui = items->objectAtIndex(i + 3).asDictionary();
        if (!contactId.isInt() || !userId.isInt() || !ui) {
            ZLOG(Warn, "messenger: %s record at %zu has the wrong kinds; skipped", kContactFile, i);
            continue;
        }
        auto card = vCard::create();
        card->setContactid(contactId.intValue());
        card->setUi(ui);
        card->setUserid(userId.intValue());
        all_.push_back(card);
        (card->userid() < 1 ? contacts : friends).push_back(card);
    }
    std::stable_sort(friends.begin(), friends.end(), sortsBefore);
    std::stable_sort(contacts.begin(), contacts.end(), sortsBefore);
    for (auto& card : friends) {
        zelvanFriends_.push_back(std::move(card));
    }
    for (auto& card : contacts) {
        abContacts_.push_back(std::move(card));
    }
}

void ContactManage::saveContactStorage() {
    if (loggedOut_ && loggedOut_()) {
        return;
    }
    auto items = fnd::Array::make({rev_});
    for (const auto& card : all_) {
        items->addObject(card->contactid());
        items->addObject(card->userid());
        items->addObject(0);
        items->addObject(card->ui() ? fnd::Value(card->ui()) : fnd::Value::dictionary());
    }
    writefile(kContactFile, fnd::Value(items));
}

void ContactManage::loadIMStorage() {
    auto items = readArrayFile(kIMFile);
    if (!items) {
        return;
    }
    for (size_t k = 0; k + kIMRecord <= items->count(); k += kIMRecord) {
        const fnd::Value& prot = items->objectAtIndex(k);
        const std::string* user = items->objectAtIndex(k + 1).asString();
        const std::string* pass = items->objectAtIndex(k + 2).asString();
        if (!prot.isInt() || user == nullptr || pass == nullptr) {
            ZLOG(Warn, "messenger: %s account at %zu is not (int, string, string); skipped", kIMFile, k);
            continue;
        }
        auto account = imGroup::create();
        account->setProt(prot.intValue());
        account->setUser(*user);
        account->setPass(*pass);
        ims_.push_back(account);
    }
}

void ContactManage::saveIMStorage() {
    if (loggedOut_ && loggedOut_()) {
        return;
    }
    auto items = fnd::Array::make();
    for (const auto& account : ims_) {
        if (account->user().empty() || account->pass().empty()) {
            continue;
        }
        items->addObject(account->prot());
        items->addObject(account->user());
        items->addObject(account->pass());
    }
    writefile(kIMFile, fnd::Value(items));
}

void ContactManage::resetAllData() {
    deletefile(kContactFile);
    deletefile(kIMFile);
    all_.clear();
    zelvanFriends_.clear();
    abContacts_.clear();
    waitadd_.clear();
    updates_.clear();
    ims_.clear();
    chatGroups_.clear();
    chatRooms_.clear();
    privateChatUsers_.clear();
    unknowns_.clear();
    deletedContacts_.clear();
    privateChatWhitelist_ = ZIntSet{};
    miniblogRequestQueue_ = ZIntArray{};
    miniblogRequestCounts_ = ZIntArray{};
    miniblogRequestCount_ = 0;
    rev_ = 0;
    chat_->clear();
}

} // namespace zelvan
