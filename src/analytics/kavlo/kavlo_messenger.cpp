// The Kavlo messenger: the sync thread, its batch loop and the upload request on the thread's run loop.
#include "analytics/kavlo/kavlo_messenger.h"

#include <chrono>
#include <utility>

#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_database.h"
#include "analytics/kavlo/kavlo_reachability.h"
#include "analytics/kavlo/kavlo_strings.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
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

// One request's callbacks, all on the sync thread's run loop.
class KavloMessenger::Exchange final : public fnd::UrlConnectionDelegate {
public:
    explicit Exchange(fnd::Thread thread) : thread_(std::move(thread)) {}

    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>&, const fnd::UrlResponse&) override {
        if (!thread_.isCancelled()) {
            data.clear();
        }
    }
    void connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Bytes& bytes) override {
        if (thread_.isCancelled()) {
            end();
            return;
        }
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>&) override {
        if (isAccepted(data)) {
            sent = true;
        } else {
            ZLOG(Warn, "Kavlo: the server refused a batch (%@)", fnd::logPreview(data));
            thread_.cancel();
        }
        end();
    }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Error& error) override {
        ZLOG(Warn, "Kavlo: a batch upload failed: %@", error.localizedDescription());
        thread_.cancel();
        end();
    }

    fnd::Bytes data;
    bool connecting = true;
    bool sent = false;

private:
    void end() {
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
    if (connection_) {
        connection_->cancel();
    }
    if (syncLoop_) {
        syncLoop_->stop();
    }
    if (!threadEnded_.wait_for(lock, kThreadEndBound, [&] { return !syncThreadRunning_.load(); })) {
        ZLOG(Warn, "Kavlo: the sync thread did not end in time");
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
        connection_.reset();
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
        ZLOG(Info, "Kavlo: no network, so nothing is sent now");
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
        ZLOG(Error, "Kavlo: the analytics data server address is not a URL");
        return false;
    }
    fnd::UrlRequest request(*url, fnd::UrlRequestCachePolicy::UseProtocolCachePolicy, kRequestTimeout);
    request.setHttpMethod("POST");
    request.setValue("gzip,deflate", "Accept-Encoding");
    const std::string body = bodyForBatch(messageJSON);
    request.setHttpBody(fnd::Bytes(body.begin(), body.end()));
    auto exchange = std::make_shared<Exchange>(self);
    auto made = fnd::UrlConnection::create(std::move(request), exchange, fnd::StartImmediately::No);
    if (!made.ok()) {
        ZLOG(Warn, "Kavlo: the upload request could not be made: %@", made.error().localizedDescription());
        return false;
    }
    auto connection = made.value();
    auto& loop = fnd::RunLoop::current();
    connection->scheduleInRunLoop(loop, fnd::RunLoopMode::Default);
    {
        std::lock_guard lock(mutex_);
        if (self.isCancelled()) {
            return false;
        }
        if (connection_) {
            connection_->cancel();
        }
        connection_ = connection;
    }
    connection->start();
    // The replies arrive as posted tasks; each callback that ends the request stops the loop, and so
    // does stop() from another thread.
    while (exchange->connecting && !self.isCancelled()) {
        loop.runUntil(fnd::Date::fromReference(kDistantFuture));
    }
    {
        std::lock_guard lock(mutex_);
        connection_->cancel();
        connection_.reset();
    }
    return exchange->sent;
}

} // namespace zelvan::kavlo
