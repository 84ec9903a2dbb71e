// imCard: a buddy of one of the user's external IM accounts. Its presence update keeps the
// account's online list in display-name order.
#pragma once

#include <memory>
#include <string>

#include "messaging/model/base_card.h"

namespace zelvan {

class imGroup;

class imCard : public baseCard {
public:
    static std::shared_ptr<imCard> create() { return std::make_shared<imCard>(); }

    std::string className() const override { return "imCard"; }
    CardKind kind() const override { return CardKind::Im; }

    // The display name, `disp`.
    std::string getname() const override { return disp_; }

    // Sets the state and files the card in its account's `onlines`: a non-zero state inserts it
    // (once) before the first buddy whose upper-cased display name sorts after its own, 0 removes it.
    void setstate(int32_t state);

    // The buddy's account name: its identity within the account.
    const std::string& user() const { return user_; }
    void setUser(std::string user) { user_ = std::move(user); }
    const std::string& disp() const { return disp_; }
    void setDisp(std::string disp) { disp_ = std::move(disp); }
    const std::string& status() const { return status_; }
    void setStatus(std::string status) { status_ = std::move(status); }
    // Height the list cell computed for the status text.
    float statusHeight() const { return statusHeight_; }
    void setStatusHeight(float height) { statusHeight_ = height; }
    // The account holding this buddy; not retained.
    std::shared_ptr<imGroup> group() const { return group_.lock(); }
    void setGroup(const std::shared_ptr<imGroup>& group) { group_ = group; }

private:
    std::string user_;
    std::string disp_;
    std::string status_;
    float statusHeight_ = 0;
    std::weak_ptr<imGroup> group_;
};

} // namespace zelvan
