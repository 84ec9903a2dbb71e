// KavloMessenger: empties the Kavlo event queue to the analytics data server. Each sync starts (at most one
// at a time) a sync thread with its own run loop that posts batches of at most 50 messages to
// "<server>/post/sendData", deletes what the server accepted and ends at an empty queue, an unreachable
// network, a refusal or a cancel. A failed batch stays queued for the next sync.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/value.h"

namespace fnd {
class RunLoop;
class UrlCancelToken;
} // namespace fnd

namespace zelvan::kavlo {

class KavloContext;
class KavloDatabase;

class KavloMessenger : public std::enable_shared_from_this<KavloMessenger> {
public:
    // The messenger of the installed registry's Kavlo context, made on first use once the controller
    // exists (KavloController::messenger); null before that or without a context. An entry point
    // (kavlo_entry_points.cpp).
    static std::shared_ptr<KavloMessenger> getInstance();

    // Over `context`'s queue and server, with the application id, device id and version of the
    // controller's `infoDictionary`; `consentSettled` tells whether the user's consent is known (the
    // controller's), and no sync starts before it is.
    KavloMessenger(const std::shared_ptr<KavloContext>& context, const fnd::Value& infoDictionary,
                   std::function<bool()> consentSettled);
    ~KavloMessenger();
    KavloMessenger(const KavloMessenger&) = delete;
    KavloMessenger& operator=(const KavloMessenger&) = delete;

    // Starts a sync thread when consent is settled, the server is known and none runs. Any thread.
    void sync();
    // Cancels a running sync thread (and its request) and waits, bounded, until it has ended.
    void stop();
    bool isSyncThreadRunning() const { return syncThreadRunning_.load(); }
    // Waits up to `seconds` of real time for a running sync thread to end; whether none runs now
    // (tests, shutdown).
    bool waitForSync(double seconds);

    // Batches the server accepted and batches that failed or were refused, since the messenger was made.
    int acceptedBatches() const { return accepted_.load(); }
    int failedBatches() const { return failed_.load(); }

    // The form body of one batch.
    std::string bodyForBatch(const std::string& messageJSON) const;
    // Whether a reply body accepts the batch: its text's integer value is 1.
    static bool isAccepted(const fnd::Bytes& reply);

private:
    class Exchange;

    void syncThreadMainRoutine(fnd::Thread self);
    // Posts one batch; true when the server accepted it.
    bool send(fnd::Thread self, const std::string& messageJSON);
    void finishThread();

    std::weak_ptr<KavloContext> context_;
    std::function<bool()> consentSettled_;
    std::shared_ptr<KavloDatabase> database_;
    std::string serverURL_;
    std::string applicationId_, deviceId_, applicationVersion_;

    std::recursive_mutex syncLock_;
    std::mutex mutex_; // the thread, its run loop and the sync's cancel token
    std::condition_variable threadEnded_;
    std::atomic<bool> syncThreadRunning_{false};
    std::atomic<int> accepted_{0};
    std::atomic<int> failed_{0};
    std::optional<fnd::Thread> syncThread_;
    fnd::RunLoop* syncLoop_ = nullptr;
    // Cancelled by stop(): ends the upload under way. A new one for each sync.
    std::shared_ptr<fnd::UrlCancelToken> cancel_;
};

} // namespace zelvan::kavlo
