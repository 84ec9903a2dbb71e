// imGroup: one external IM account of the signed-in user, with every buddy and the online buddies
// in name order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/model/im_card.h"
#include "platform/foundation/object.h"
#include "platform/foundation/value.h"

namespace zelvan {

class imGroup : public fnd::Object {
public:
    static constexpr int32_t kStatusSignedOut = 1;
    static constexpr int32_t kStatusSigningIn = 2;

    static std::shared_ptr<imGroup> create() { return std::make_shared<imGroup>(); }

    std::string className() const override { return "imGroup"; }

    // The buddy whose account name is `user`; when there is none, a new buddy of this account with
    // that name is appended to `all` and returned (the caller fills its name, status and state).
    std::shared_ptr<imCard> getuser(const std::string& user);
    // Signed out, with no buddies.
    void clear();

    // IM network identifier (also selects the network's icon).
    int32_t prot() const { return prot_; }
    void setProt(int32_t prot) { prot_ = prot; }
    // The server's id of this account's sign-in.
    int32_t im_id() const { return imId_; }
    void setIm_id(int32_t imId) { imId_ = imId; }
    const std::string& user() const { return user_; }
    void setUser(std::string user) { user_ = std::move(user); }
    const std::string& pass() const { return pass_; }
    void setPass(std::string pass) { pass_ = std::move(pass); }
    // Every buddy (imCard values).
    const std::shared_ptr<fnd::Array>& all() const { return all_; }
    void setAll(std::shared_ptr<fnd::Array> all) { all_ = all ? std::move(all) : fnd::Array::make(); }
    // The buddies whose state is not 0, in name order (imCard values).
    const std::shared_ptr<fnd::Array>& onlines() const { return onlines_; }
    void setOnlines(std::shared_ptr<fnd::Array> onlines) {
        onlines_ = onlines ? std::move(onlines) : fnd::Array::make();
    }
    bool showoffline() const { return showoffline_; }
    void setShowoffline(bool show) { showoffline_ = show; }
    bool showall() const { return showall_; }
    void setShowall(bool show) { showall_ = show; }
    // 1 = signed out, 2 = sign-in under way; other values as the server's replies set them.
    int32_t connectionStatus() const { return connectionStatus_; }
    void setConnectionStatus(int32_t status) { connectionStatus_ = status; }

private:
    int32_t prot_ = 0;
    int32_t imId_ = 0;
    std::string user_;
    std::string pass_;
    std::shared_ptr<fnd::Array> all_ = fnd::Array::make();
    std::shared_ptr<fnd::Array> onlines_ = fnd::Array::make();
    bool showoffline_ = false;
    bool showall_ = false;
    int32_t connectionStatus_ = kStatusSignedOut;
};

} // namespace zelvan
