// ContactManage: the messenger's model - every contact card, external IM account, chat group, chat
// room, private-chat partner and pending request - with its two state files ("zelvancontact2",
// "zelvanim"), the sorted friend and contact lists, and the lookups the rest of the messenger uses.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/int_collections.h"
#include "messaging/model/card_list.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/contact_sync.h"
#include "messaging/model/im_chat_window.h"
#include "messaging/model/im_group.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/model/unknown_card.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/value.h"

namespace zelvan {

// Lists and files are used on the main thread.
class ContactManage {
public:
    static constexpr const char* kContactFile = "zelvancontact2";
    static constexpr const char* kIMFile = "zelvanim";

    using VCards = std::vector<std::shared_ptr<vCard>>;
    using VCardList = CardList<vCard>;
    // Rooms and groups in the order they came, found by id; a card's id is set before it joins.
    using ChatRooms = CardList<ChatRoomCard>;
    using ChatGroups = CardList<ChatGroupCard>;

    // `loggedOut` tells whether saving must be skipped; `chat` is the chat window (never null).
    ContactManage(std::function<bool()> loggedOut, std::shared_ptr<IMChatWindow> chat);
    virtual ~ContactManage() = default;
    ContactManage(const ContactManage&) = delete;
    ContactManage& operator=(const ContactManage&) = delete;

    // --- Storage ---
    void loadStorage();
    // Both files, unless logged out.
    void saveStorage();
    void loadContactStorage();
    void saveContactStorage();
    void loadIMStorage();
    void saveIMStorage();
    // Deletes both files and forgets everything the previous account had: every list, the pending
    // requests, the miniblog queue and counters, the whitelist and the open chats; `rev` = 0.
    void resetAllData();

    // --- List upkeep ---
    void insertContact(const std::shared_ptr<vCard>& card);
    void removeContact(const std::shared_ptr<vCard>& card);
    void resortVCard(const std::shared_ptr<vCard>& card);
    void deleteChatGroup(int32_t groupId);
    // The friend's status line, cut to kReceivedTextUnits (capReceivedText).
    void updateMiniblog(int32_t userId, const std::string& content, int32_t timeDelta);
    // Inserts the card into the sorted list by the bisection of the contact lists.
    static void insertSorted(VCards& list, const std::shared_ptr<vCard>& card);
    static void insertSorted(VCardList& list, const std::shared_ptr<vCard>& card);

    // Applies a finished sync run (main thread): the new cards wait for their ids, the orphans leave
    // the lists, `rev` rises by one per packet and the packets go out in order through `send`; then
    // the contact file is saved.
    void applySync(const ContactSync::Plan& plan, const std::function<void(const fnd::Value&)>& send);

    // --- Lookups (first hit in list order, else null) ---
    std::shared_ptr<imGroup> findIMWithID(int32_t imId) const;
    std::shared_ptr<imGroup> findIM(int32_t prot, const std::string& user) const;
    std::shared_ptr<ChatRoomCard> findChatRoom(int32_t roomId) const;
    std::shared_ptr<PrivateChatCard> findPrivateChatCard(int32_t sid) const;
    std::shared_ptr<ChatGroupCard> findChatGroup(int32_t groupId) const;
    std::shared_ptr<vCard> getuserid(int32_t userId) const;
    std::shared_ptr<vCard> getcontactid(int32_t contactId) const;
    // The first card of `all` not yet marked found that holds the same contact.
    std::shared_ptr<vCard> existvcard(const vCard& card) const;
    // The unknown card of that phone, made and kept when there is none.
    std::shared_ptr<unknownCard> getunknown(const std::string& phone);
    // The chat with a friend (IM id -1, user = the user id) or with an external IM contact.
    std::shared_ptr<IMChat> getchat(int32_t imId, const std::string& user);

    // --- Lists (shared by the messenger's screens; changed through the operations above) ---
    // Every contact in the order it was (last) inserted; the friends and the address-book contacts sorted.
    const VCardList& all() const { return all_; }
    const VCardList& zelvanFriends() const { return zelvanFriends_; }
    const VCardList& abContacts() const { return abContacts_; }
    VCards& waitadd() { return waitadd_; }
    std::vector<std::shared_ptr<fnd::Array>>& updates() { return updates_; }
    std::vector<std::shared_ptr<imGroup>>& ims() { return ims_; }
    const std::vector<std::shared_ptr<imGroup>>& ims() const { return ims_; }
    ChatGroups& chatGroups() { return chatGroups_; }
    ChatRooms& chatRooms() { return chatRooms_; }
    std::vector<std::shared_ptr<PrivateChatCard>>& privateChatUsers() { return privateChatUsers_; }
    std::vector<std::shared_ptr<unknownCard>>& unknowns() { return unknowns_; }
    std::vector<fnd::Value>& deletedContacts() { return deletedContacts_; }
    ZIntSet& privateChatWhitelist() { return privateChatWhitelist_; }
    ZIntArray& miniblogRequestQueue() { return miniblogRequestQueue_; }
    ZIntArray& miniblogRequestCounts() { return miniblogRequestCounts_; }
    int32_t miniblogRequestCount() const { return miniblogRequestCount_; }
    void setMiniblogRequestCount(int32_t count) { miniblogRequestCount_ = count; }
    int32_t rev() const { return rev_; }
    void setRev(int32_t rev) { rev_ = rev; }
    const std::shared_ptr<IMChatWindow>& chat() const { return chat_; }
    // The messenger's lock: held by each server command and while a sync's changes are applied.
    std::recursive_mutex& lock() { return lock_; }

protected:
    // The lists changed; the controller reloads its table (nothing here).
    virtual void listsChanged() {}

private:
    std::function<bool()> loggedOut_;
    std::shared_ptr<IMChatWindow> chat_;
    std::recursive_mutex lock_;
    VCardList all_;
    VCardList zelvanFriends_;
    VCardList abContacts_;
    VCards waitadd_;
    std::vector<std::shared_ptr<fnd::Array>> updates_;
    std::vector<std::shared_ptr<imGroup>> ims_;
    ChatGroups chatGroups_;
    ChatRooms chatRooms_;
    std::vector<std::shared_ptr<PrivateChatCard>> privateChatUsers_;
    std::vector<std::shared_ptr<unknownCard>> unknowns_;
    std::vector<fnd::Value> deletedContacts_;
    ZIntSet privateChatWhitelist_;
    ZIntArray miniblogRequestQueue_;
    ZIntArray miniblogRequestCounts_;
    int32_t miniblogRequestCount_ = 0;
    int32_t rev_ = 0;
};

} // namespace zelvan
