// ChatGroupUser: a member of a chat group (a record, not a card), with its attribute bits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/object.h"

namespace zelvan {

class ChatGroupUser : public fnd::Object {
public:
    static std::shared_ptr<ChatGroupUser> create() { return std::make_shared<ChatGroupUser>(); }

    std::string className() const override { return "ChatGroupUser"; }

    // Whether any bit of `mask` is set / sets (YES) or clears (NO) exactly the bits of `mask`.
    bool checkAttr(int32_t mask) const { return (attribute_ & mask) != 0; }
    void setAttr(int32_t mask, bool value) { attribute_ = value ? (attribute_ | mask) : (attribute_ & ~mask); }

    int32_t userId() const { return userId_; }
    void setUserId(int32_t userId) { userId_ = userId; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    const std::string& phone() const { return phone_; }
    void setPhone(std::string phone) { phone_ = std::move(phone); }
    bool online() const { return online_; }
    void setOnline(bool online) { online_ = online; }
    bool admin() const { return admin_; }
    void setAdmin(bool admin) { admin_ = admin; }
    int32_t attribute() const { return attribute_; }
    void setAttribute(int32_t attribute) { attribute_ = attribute; }

private:
    int32_t userId_ = 0;
    std::string name_;
    std::string phone_;
    bool online_ = false;
    bool admin_ = false;
    int32_t attribute_ = 0;
};

} // namespace zelvan
