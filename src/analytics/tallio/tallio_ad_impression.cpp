// TallioAdImpression: recording a hook-ad request and its outcome in the current session, and its report
// record.
#include "analytics/tallio/tallio_ad_impression.h"

#include <mutex>

#include "analytics/tallio/tallio_ad.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/foundation/clock.h"

namespace zelvan::tallio {

namespace {

// Milliseconds from the session's start to now, truncated.
int64_t sinceStart(const TallioSession& session) {
    const fnd::Date now = fnd::Clock::now();
    if (auto start = session.startDate()) {
        return TallioSession::millisOf(now.timeIntervalSinceDate(*start));
    }
    return TallioSession::millisSince1970(now) - session.startTime();
}

} // namespace

std::shared_ptr<TallioAdImpression> TallioAdImpression::make(int64_t timeIntervalSinceSessionStart, std::string hook) {
    auto impression = std::make_shared<TallioAdImpression>();
    impression->timeIntervalSinceSessionStart_ = timeIntervalSinceSessionStart;
    impression->hook_ = std::move(hook);
    return impression;
}

std::shared_ptr<TallioAdImpression> TallioAdImpression::initWithHook(const std::shared_ptr<TallioContext>& context,
                                                                     const std::string& hook) {
    if (!context) {
        return make(0, hook);
    }
    std::lock_guard guard(context->lock());
    auto session = context->currentSession();
    auto impression = session ? make(sinceStart(*session), hook) : make(0, hook);
    impression->context_ = context;
    if (session) {
        session->recordAdImpression(impression);
    }
    return impression;
}

void TallioAdImpression::recordAgain() {
    auto ctx = context_.lock();
    if (!ctx) {
        return;
    }
    std::lock_guard guard(ctx->lock());
    if (auto session = ctx->currentSession()) {
        session->recordAdImpression(shared_from_this());
    }
}

void TallioAdImpression::updateWithAd(const TallioAd& ad) {
    {
        auto ctx = context_.lock();
        std::unique_lock<std::recursive_mutex> guard;
        if (ctx) {
            guard = std::unique_lock(ctx->lock());
        }
        adId_ = ad.adId;
        canvasId_ = ad.canvasId;
        adCookie_ = ad.adCookie;
    }
    recordAgain();
}

void TallioAdImpression::updateWithResult(int result) {
    {
        auto ctx = context_.lock();
        std::unique_lock<std::recursive_mutex> guard;
        if (ctx) {
            guard = std::unique_lock(ctx->lock());
        }
        adResult_ = result;
    }
    recordAgain();
}

fnd::Bytes TallioAdImpression::data() const {
    fnd::Bytes out;
    TallioSession::appendLong(timeIntervalSinceSessionStart_, out);
    TallioSession::appendString(hook_, out);
    TallioSession::appendLong(adId_, out);
    TallioSession::appendLong(canvasId_, out);
    TallioSession::appendTinyData(adCookie_, out);
    TallioSession::appendByte(static_cast<int8_t>(adResult_), out);
    return out;
}

} // namespace zelvan::tallio
