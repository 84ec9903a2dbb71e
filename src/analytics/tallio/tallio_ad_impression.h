// TallioAdImpression: the record of one hook-ad request and its outcome (asked for, shown, tapped,
// canvas opened, app-store link followed). It lives in the current session's ad log, is archived with
// the session and written into the next session report.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::tallio {

struct TallioAd;
class TallioContext;

class TallioAdImpression : public std::enable_shared_from_this<TallioAdImpression> {
public:
    // Result codes.
    static constexpr int kRequested = 0;
    static constexpr int kShown = 1;
    static constexpr int kTapped = 2;
    static constexpr int kCanvasOpened = 3;
    static constexpr int kAppStoreLinkFollowed = 4;

    // A new impression of `hook`, timed from the start of `context`'s current session, with result 0,
    // recorded in that session's ad log (no context or no session to record in: the impression stands
    // alone, timed 0). It keeps the context (weakly) to record its updates.
    static std::shared_ptr<TallioAdImpression> initWithHook(const std::shared_ptr<TallioContext>& context,
                                                            const std::string& hook);
    // The same without recording: the archive reader and tests.
    static std::shared_ptr<TallioAdImpression> make(int64_t timeIntervalSinceSessionStart, std::string hook);

    // Copies the ad's ids and cookie, then records again in its context's current session (replacing
    // this impression in the log).
    void updateWithAd(const TallioAd& ad);
    // Sets the result code, then records again.
    void updateWithResult(int result);

    int64_t timeIntervalSinceSessionStart() const { return timeIntervalSinceSessionStart_; }
    const std::string& hook() const { return hook_; }
    int64_t adId() const { return adId_; }
    int64_t canvasId() const { return canvasId_; }
    const fnd::Bytes& adCookie() const { return adCookie_; }
    int adResult() const { return adResult_; }

    // The impression record of the session report.
    fnd::Bytes data() const;

    // The archived form: a dictionary of "timeIntervalSinceSessionStart", "hook", "adId", "canvasId",
    // "adCookie" and "adResult"; reading checks each key's kind.
    fnd::Value archive() const;
    static fnd::Result<std::shared_ptr<TallioAdImpression>> unarchive(const fnd::Value& value);

private:
    void recordAgain();

    std::weak_ptr<TallioContext> context_;
    int64_t timeIntervalSinceSessionStart_ = 0;
    std::string hook_;
    int64_t adId_ = 0;
    int64_t canvasId_ = 0;
    fnd::Bytes adCookie_;
    int adResult_ = kRequested;
};

} // namespace zelvan::tallio
