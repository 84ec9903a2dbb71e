// SVMisc: the four headers every Selvo request carries, and the two link tests of the ad views (a store
// link, the close pseudo-URL), over a context's config and log. It keeps nothing else, so the client's
// objects make one over the context they hold; makeSelvo makes the one sharedSVMisc() hands out.
#pragma once

#include <memory>

#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;

class SVMisc {
public:
    // `context` outlives this object.
    explicit SVMisc(SelvoContext* context) : context_(context) {}

    // The installed context's SVMisc; null without one (selvo_entry_points.cpp).
    static std::shared_ptr<SVMisc> sharedSVMisc();

    // Sets "User-Agent", "x-udid", "x-selvo-iphone-os" and "x-qauttro-iphone-devicemodel" from the user
    // info's agent, device id, system name and model, in that order (a missing value sets none). A null
    // or non-dictionary user info sets nothing and logs a warning.
    void addSVHeaders(fnd::UrlRequest& request, const fnd::Value& userInfo) const;
    // Whether the URL's host contains the store domain.
    bool isITunesURL(const fnd::Url& url) const;
    // Whether the URL is exactly the close pseudo-URL.
    bool isCloseURL(const fnd::Url& url) const;

private:
    SelvoContext* context_;
};

} // namespace zelvan::selvo
