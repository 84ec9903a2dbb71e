// SVURLBuilder: the Selvo ad server's URLs - the render request that fetches one ad or a batch, and the
// app-launch report. Every value is percent-escaped on its own, so no value can end its parameter or add
// another. The server address comes from the context (run mode, batch or not); without one there is no URL.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ads/selvo/sv_ad_request.h"
#include "platform/foundation/url.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;

class SVURLBuilder {
public:
    // `context` must outlive the builder.
    explicit SVURLBuilder(const SelvoContext& context) : context_(context) {}

    // The render request for `requests` with the values of `userInfo` (a dictionary of the user-info keys).
    std::optional<fnd::Url> urlForAdRequests(const std::vector<SVAdRequest>& requests,
                                             const fnd::Value& userInfo) const;
    // The same for one request.
    std::optional<fnd::Url> urlForAdType(int type, unsigned batchSize, const fnd::Value& userInfo,
                                         int msize = SVAdRequest::kNoSize) const;
    // The app-launch report: "logAction?" with the publisher and device ids.
    std::optional<fnd::Url> urlForReportingAction(const fnd::Value& userInfo) const;

    // One value as it goes into a query: UTF-8 percent-escaped, and "&", "=", "+" and "#" too.
    static std::string escapeValue(std::string_view value);

private:
    const SelvoContext& context_;
};

} // namespace zelvan::selvo
