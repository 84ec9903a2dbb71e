// ChatGroupCard: a chat group with its member counts, names and the signed-in user's membership
// bits; active from the start.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/model/base_card.h"

namespace zelvan {

class ChatGroupCard : public baseCard {
public:
    // Membership bit: the user has blocked this group's messages.
    static constexpr int32_t kMembershipBlocked = 1;

    static std::shared_ptr<ChatGroupCard> create() { return std::make_shared<ChatGroupCard>(); }

    ChatGroupCard() { state_ = 1; }

    std::string className() const override { return "ChatGroupCard"; }
    CardKind kind() const override { return CardKind::ChatGroup; }
    std::string getname() const override { return name_; }

    // Whether any bit of `mask` is set / sets (YES) or clears (NO) exactly the bits of `mask`.
    bool checkMembershipAttr(int32_t mask) const { return (membershipAttribute_ & mask) != 0; }
    void setMembershipAttr(int32_t mask, bool value) {
        membershipAttribute_ = value ? (membershipAttribute_ | mask) : (membershipAttribute_ & ~mask);
    }
    // The whole set, as the server sends it.
    int32_t membershipAttribute() const { return membershipAttribute_; }
    void setMembershipAttribute(int32_t bits) { membershipAttribute_ = bits; }

    int32_t groupId() const { return groupId_; }
    void setGroupId(int32_t groupId) { groupId_ = groupId; }
    // Server-given bits, stored as received.
    int32_t attribute() const { return attribute_; }
    void setAttribute(int32_t attribute) { attribute_ = attribute; }
    int32_t onlineCount() const { return onlineCount_; }
    void setOnlineCount(int32_t count) { onlineCount_ = count; }
    int32_t allCount() const { return allCount_; }
    void setAllCount(int32_t count) { allCount_ = count; }
    bool isAdmin() const { return isAdmin_; }
    void setIsAdmin(bool admin) { isAdmin_ = admin; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    const std::string& adminName() const { return adminName_; }
    void setAdminName(std::string name) { adminName_ = std::move(name); }
    // The description text (it also serves as the object's debug description).
    std::string description() const override { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }

private:
    int32_t groupId_ = 0;
    int32_t attribute_ = 0;
    int32_t onlineCount_ = 0;
    int32_t allCount_ = 0;
    bool isAdmin_ = false;
    int32_t membershipAttribute_ = 0;
    std::string name_;
    std::string adminName_;
    std::string description_;
};

} // namespace zelvan
