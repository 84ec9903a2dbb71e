// The Selvo request headers and link tests.
#include "ads/selvo/sv_misc.h"

#include <array>
#include <string_view>
#include <utility>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_user_info.h"

namespace zelvan::selvo {

void SVMisc::addSVHeaders(fnd::UrlRequest& request, const fnd::Value& userInfo) const {
    SVLog(context_, "adding SV headers");
    auto info = userInfo.asDictionary();
    if (!info) {
        SVLogError(context_, "Warning: no user info provided.");
        return;
    }
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kHeaders{{
        {"User-Agent", SVAdRequestUserAgentKey},
        {"x-udid", SVAdRequestDeviceIDKey},
        {"x-selvo-iphone-os", SVAdRequestSystemNameKey},
        {"x-qauttro-iphone-devicemodel", SVAdRequestSystemModelKey},
    }};
    for (const auto& [header, key] : kHeaders) {
        if (const fnd::Value* value = info->find(key); value != nullptr && !value->isNull()) {
            request.setValue(value->stringValue(), header);
        }
    }
}

bool SVMisc::isITunesURL(const fnd::Url& url) const {
    return url.host().find(context_->config().storeDomain) != std::string::npos;
}

bool SVMisc::isCloseURL(const fnd::Url& url) const {
    return url.absoluteString() == context_->config().closeURL;
}

} // namespace zelvan::selvo
