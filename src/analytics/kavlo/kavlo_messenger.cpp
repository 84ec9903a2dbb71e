// The Kavlo messenger: the sync thread, its batch loop and each batch's fetch on the thread's run loop.
#include "analytics/kavlo/kavlo_messenger.h"

#include <chrono>
#include <utility>

#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_database.h"
#include "analytics/kavlo/kavlo_log.h"
#include "analytics/kavlo/kavlo_reachability.h"
#include "analytics/kavlo/kavlo_strings.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"

namespace zelvan::kavlo {

namespace {

constexpr double kRequestTimeout = 10.0;
// "Until a distant date": the loop runs until a callback or stop() ends it.
constexpr double kDistantFuture = 63113904000.0;
// How long stop waits for the thread at most (real time): a cancelled thread ends at its next check.
constexpr auto kThreadEndBound = std::chrono::seconds(2);

std::string textAt(const fnd::Value& dictionary, std::string_view key) {
    auto entries = dictionary.asDictionary();
    return entries ? entries->objectForKey(key).stringValue() : std::string();
}

} // namespace

// One batch's upload over fnd::fetch on the sync thread's loop: the reply says whether the server accepted
// the batch; any end stops the loop send() runs. A refusal or a failure cancels the thread.
class KavloMessenger::Exchange final : public std::enable_shared_from_this<Exchange> {
public:
    explicit Exchange(fnd::Thread thread) : thread_(std::move(thread)) {}

    // Until the reply, the failure or a cancel of `cancel`; the exchange going first ends it unheard.
    void start(fnd::UrlRequest request, std::shared_ptr<fnd::UrlCancelToken> cancel) {
        fnd::FetchOptions options;
        options.timeout = kRequestTimeout;
        options.cancel = std::move(cancel);
        fnd::fetch(std::move(request), std::move(options), weak_from_this(),
                   [this](fnd::Result<fnd::FetchReply> reply) { finished(std::move(reply)); });
    }

    bool connecting = true;
    bool sent = false;

private:
    void finished(fnd::Result<fnd::FetchReply> reply) {
        if (thread_.isCancelled()) {
            // stopped: the batch stays queued, nothing to report
        } else if (!reply) {
            ZLOG_TO(kKavloLog, Warn, "Kavlo: a batch upload failed: %@", reply.error().localizedDescription());
            thread_.cancel();
        } else if (isAccepted(reply.value().body)) {
            sent = true;
        } else {
            ZLOG_TO(kKavloLog, Warn, "Kavlo: the server refused a batch (%@)", fnd::logPreview(reply.value().body));
            thread_.cancel();
        }
        connecting = false;
        fnd::RunLoop::current().stop();
    }

    fnd::Thread thread_;
};

KavloMessenger::KavloMessenger(const std::shared_ptr<KavloContext>& context, const fnd::Value& infoDictionary,
                               std::function<bool()> consentSettled)
    : context_(context), consentSettled_(std::move(consentSettled)), database_(context ? context->database() : nullptr),
      serverURL_(context ? context->serverURL() : std::string()) {
    const fnd::Value environment =
        infoDictionary.asDictionary() ? infoDictionary.asDictionary()->objectForKey("h") : fnd::Value();
    applicationId_ = textAt(environment, "j");
    deviceId_ = textAt(environment, "p");
    applicationVersion_ = MCCreatePostEncodedString(textAt(environment, "7"));
}

KavloMessenger::~KavloMessenger() {
    stop();
}

std::string KavloMessenger::bodyForBatch(const std::string& messageJSON) const {
    return fnd::format("a=%@&d=%@&m=%@&v=%@&j=%@", applicationId_, deviceId_, std::string(kKavloSDKVersion),
                       applicationVersion_, MCCreatePostEncodedString(messageJSON));
}

bool KavloMessenger::isAccepted(const fnd::Bytes& reply) {
    const std::string_view text(reinterpret_cast<const char*>(reply.data()), reply.size());
    return fnd::isValidUtf8(text) && fnd::intValue(text) == 1;
}

void KavloMessenger::sync() {
    std::lock_guard lock(syncLock_);
    if (!consentSettled_ || !consentSettled_() || syncThreadRunning_.load()) {
        return;
    }
    if (serverURL_.empty() || !database_) {
        return;
    }
    std::lock_guard guard(mutex_);
    if (syncThread_) {
        syncThread_->join();
    }
    syncThreadRunning_ = true;
    cancel_ = std::make_shared<fnd::UrlCancelToken>();
    std::weak_ptr<KavloMessenger> weak = weak_from_this();
    syncThread_.emplace([weak] {
        auto self = fnd::Thread::current();
        if (auto strong = weak.lock()) {
            strong->syncThreadMainRoutine(self);
        }
    });
    syncThread_->setName("kavlo-sync");
    syncThread_->start();
}

void KavloMessenger::stop() {
    std::unique_lock lock(mutex_);
    if (!syncThread_ || !syncThreadRunning_.load()) {
        return;
    }
    syncThread_->cancel();
    cancel_->cancel();
    if (syncLoop_) {
        syncLoop_->stop();
    }
    if (!threadEnded_.wait_for(lock, kThreadEndBound, [&] { return !syncThreadRunning_.load(); })) {
        ZLOG_TO(kKavloLog, Warn, "Kavlo: the sync thread did not end in time");
        return;
    }
    auto thread = *syncThread_;
    lock.unlock();
    thread.join();
}

bool KavloMessenger::waitForSync(double seconds) {
    std::unique_lock lock(mutex_);
    return threadEnded_.wait_for(lock, std::chrono::duration<double>(seconds),
                                 [&] { return !syncThreadRunning_.load(); });
}

void KavloMessenger::finishThread() {
    {
        std::lock_guard lock(mutex_);
        syncLoop_ = nullptr;
        syncThreadRunning_ = false;
    }
    threadEnded_.notify_all();
}

void KavloMessenger::syncThreadMainRoutine(fnd::Thread self) {
    {
        std::lock_guard lock(mutex_);
        syncLoop_ = &fnd::RunLoop::current();
    }
    auto ctx = context_.lock();
    auto reachability = ctx ? ctx->reachability() : nullptr;
    ctx.reset();
    if (!reachability || reachability->internetConnectionStatus() == 0) {
        ZLOG_TO(kKavloLog, Info, "Kavlo: no network, so nothing is sent now");
        finishThread();
        return;
    }
    while (!self.isCancelled()) {
        const fnd::Value batch = database_->selectMessage();
        if (batch.isNull()) {
            break;
        }
        const std::string key = textAt(batch, KavloDatabase::kMessageKey);
        const std::string session = textAt(batch, KavloDatabase::kMessageSession);
        const auto entries = batch.asDictionary();
        if (fnd::caseInsensitiveCompare(key, session) == 0 &&
            entries->objectForKey(KavloDatabase::kMessageCount).longLongValue() == 1) {
            break;
        }
        if (!send(self, textAt(batch, KavloDatabase::kMessageJSON))) {
            ++failed_;
            break;
        }
        ++accepted_;
        if (!database_->deleteMessageWithPrimaryKey(key, session)) {
            break;
        }
    }
    self.cancel();
    finishThread();
}

bool KavloMessenger::send(fnd::Thread self, const std::string& messageJSON) {
    auto url = fnd::Url::parse(serverURL_ + "/post/sendData");
    if (!url) {
        ZLOG_TO(kKavloLog, Error, "Kavlo: the analytics data server address is not a URL");
        return false;
    }
    fnd::UrlRequest request(*url, fnd::UrlRequestCachePolicy::UseProtocolCachePolicy, kRequestTimeout);
    request.setHttpMethod("POST");
    request.setValue("gzip,deflate", "Accept-Encoding");
    const std::string body = bodyForBatch(messageJSON);
    request.setHttpBody(fnd::Bytes(body.begin(), body.end()));
    auto exchange = std::make_shared<Exchange>(self);
    std::shared_ptr<fnd::UrlCancelToken> cancel;
    {
        std::lock_guard lock(mutex_);
        if (self.isCancelled()) {
            return false;
        }
        cancel = cancel_;
    }
    exchange->start(std::move(request), std::move(cancel));
    // The reply arrives as a posted task that stops the loop, and so does stop() from another thread.
    auto& loop = fnd::RunLoop::current();
    while (exchange->connecting && !self.isCancelled()) {
        loop.runUntil(fnd::Date::fromReference(kDistantFuture));
    }
    return exchange->sent;
}

} // namespace zelvan::kavlo
