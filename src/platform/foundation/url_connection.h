// fnd::UrlConnection: an asynchronous URL load whose delegate hears the response, the body in
// chunks and one terminal callback on the run loop the connection is scheduled on; plus the
// blocking forms, sendSynchronousRequest and dataWithContentsOfUrl.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/url_response.h"

namespace fnd {

class UrlConnection;
class UrlExchange;
namespace detail {
class FetchState;
}

enum class StartImmediately { No, Yes };

// Callbacks of a connection, all on its run loop. Every method is optional. The connection passed
// in may be released by the delegate inside any callback.
class UrlConnectionDelegate {
public:
    virtual ~UrlConnectionDelegate() = default;

    // Before a request goes out: first with no redirect response, then before each redirect is
    // followed, with the redirect's response and the request that would follow it (a POST already
    // turned into a GET for 301/302/303; on a redirect to another host, without the header fields the
    // caller set but for the standard ones). Return the request (or a changed one) to send it.
    // nullopt on a redirect delivers the redirect response as the final one; nullopt on the first
    // send ends the connection with no further callback.
    virtual std::optional<UrlRequest> connectionWillSendRequest(const std::shared_ptr<UrlConnection>& connection,
                                                                const UrlRequest& request,
                                                                const std::optional<UrlResponse>& redirectResponse) {
        (void)connection;
        (void)redirectResponse;
        return request;
    }
    virtual void connectionDidReceiveResponse(const std::shared_ptr<UrlConnection>& connection,
                                              const UrlResponse& response) {
        (void)connection;
        (void)response;
    }
    virtual void connectionDidReceiveData(const std::shared_ptr<UrlConnection>& connection, const Bytes& data) {
        (void)connection;
        (void)data;
    }
    virtual void connectionDidFinishLoading(const std::shared_ptr<UrlConnection>& connection) { (void)connection; }
    virtual void connectionDidFailWithError(const std::shared_ptr<UrlConnection>& connection, const Error& error) {
        (void)connection;
        (void)error;
    }
};

// What a synchronous request brings back.
struct UrlSynchronousResult {
    UrlResponse response;
    Bytes data;
};

// Ends requests early from another thread (a client shutting down): once cancel() is called, every
// blocking request waiting with the token fails at once with UrlError::Cancelled, every fetch (fetch.h)
// holding it ends with that error, and so does every later one. Any thread.
class UrlCancelToken {
public:
    void cancel();
    bool isCancelled() const;

private:
    friend class UrlConnection;
    friend class detail::FetchState;
    // Runs `hook` at cancel(); 0 (and no hook kept) when the token is cancelled already.
    uint64_t addHook(std::function<void()> hook);
    void removeHook(uint64_t id);

    mutable std::mutex mutex_;
    bool cancelled_ = false;
    uint64_t nextId_ = 1;
    std::vector<std::pair<uint64_t, std::function<void()>>> hooks_;
};

class UrlConnection : public std::enable_shared_from_this<UrlConnection> {
public:
    struct Passkey {
    private:
        friend class UrlConnection;
        Passkey() = default;
    };

    // A connection for `request`, scheduled on the calling thread's current loop in the Default
    // mode. Fails at once with UrlError::UnsupportedUrl for a scheme other than http, https and
    // file, and UrlError::BadUrl for an http(s) URL without a host or a file URL without a path.
    // With StartImmediately::Yes the load starts now. The connection holds itself and its
    // delegate from start() until it finishes, fails or is cancelled.
    static Result<std::shared_ptr<UrlConnection>> create(UrlRequest request,
                                                         std::shared_ptr<UrlConnectionDelegate> delegate,
                                                         StartImmediately startImmediately = StartImmediately::Yes);

    UrlConnection(Passkey, UrlRequest request, std::shared_ptr<UrlConnectionDelegate> delegate);
    ~UrlConnection();
    UrlConnection(const UrlConnection&) = delete;
    UrlConnection& operator=(const UrlConnection&) = delete;

    // Moves the callbacks to `loop`, serviced when it runs `mode` (Common: every mode). Callbacks
    // already waiting follow to the new loop.
    void scheduleInRunLoop(RunLoop& loop, std::string_view mode = RunLoopMode::Default);
    // Stops delivering on `loop` in `mode` when that is where the connection is scheduled; events
    // wait until it is scheduled again.
    void unscheduleFromRunLoop(RunLoop& loop, std::string_view mode = RunLoopMode::Default);

    // Starts the load; later calls, and calls after cancel(), do nothing.
    void start();
    // Stops the load. No callback follows, not even one already queued; the connection drops its
    // hold on itself and its delegate. Safe from any thread (a callback already running on the
    // connection's loop completes).
    void cancel();

    // The request the connection was created with.
    const UrlRequest& originalRequest() const { return original_; }

    // Connections of the whole process started and not yet ended. A load nobody waits for ends only
    // when its events reach its loop, so a test waits for this to fall back to where it started before
    // it lets its loops go.
    static size_t loadsInFlight();

    // Loads `request` while blocking the calling thread (its run loop is not pumped). Redirects are
    // followed. An HTTP error status is an ordinary response. With `cancel`, cancelling the token ends
    // the wait at once with UrlError::Cancelled.
    static Result<UrlSynchronousResult> sendSynchronousRequest(const UrlRequest& request,
                                                               UrlCancelToken* cancel = nullptr);

private:
    class Client;

    void enqueue(std::function<void()> work);
    // The loop (and mode) a drain should be posted to now, marking it posted; or null.
    std::shared_ptr<RunLoop> drainTargetLocked(std::string* mode);
    void postDrain(const std::shared_ptr<RunLoop>& loop, const std::string& mode);
    void drain(RunLoop* on);
    // The thread of `loop` ended with a drain for it unrun: when the connection still delivers
    // there, nobody can hear it any more, so it ends as if cancelled (unless `loop` is the main
    // loop, which ends only with the process).
    void loopEnded(RunLoop* loop);
    void end();

    const UrlRequest original_;
    std::shared_ptr<UrlExchange> exchange_;
    std::unique_ptr<Client> client_;

    std::recursive_mutex mutex_;
    std::shared_ptr<UrlConnectionDelegate> delegate_;
    std::shared_ptr<UrlConnection> self_; // held from start() until the connection ends
    std::shared_ptr<RunLoop> loop_;
    std::string mode_ = std::string(RunLoopMode::Default);
    std::deque<std::function<void()>> queue_;
    bool drainPosted_ = false;
    bool started_ = false;
    bool ended_ = false; // finished, failed or cancelled
};

// The contents of a URL, read while blocking the calling thread: a file, or the body of an http(s)
// GET. An HTTP status of 400 or more fails with UrlError::BadServerResponse (the body is an error
// page, not the contents).
Result<Bytes> dataWithContentsOfUrl(const Url& url);

// The URL cache. It accepts capacities and caches nothing: every load goes to the network.
class UrlCache {
public:
    static UrlCache& shared();
    UrlCache(size_t memoryCapacity, size_t diskCapacity, std::string diskPath);

    size_t memoryCapacity() const { return memoryCapacity_.load(); }
    size_t diskCapacity() const { return diskCapacity_.load(); }
    void setMemoryCapacity(size_t bytes) { memoryCapacity_ = bytes; }
    void setDiskCapacity(size_t bytes) { diskCapacity_ = bytes; }
    size_t currentMemoryUsage() const { return 0; }
    size_t currentDiskUsage() const { return 0; }
    void removeAllCachedResponses() {}

private:
    std::atomic<size_t> memoryCapacity_;
    std::atomic<size_t> diskCapacity_;
    const std::string diskPath_;
};

} // namespace fnd
