// fnd::UrlConnection: the exchange's work queued for the connection's run loop and handed to the
// delegate there; synchronous requests wait on a condition variable; the cache that caches nothing.
#include "platform/foundation/url_connection.h"

#include <atomic>
#include <condition_variable>

#include "platform/foundation/backends.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_exchange.h"

namespace fnd {

namespace {

// Connections holding themselves: started, not yet ended.
std::atomic<size_t> gLoadsInFlight{0};

// Refuses what can never load: a scheme without a loader, an http(s) URL without a host, a file
// URL without a path.
std::optional<Error> checkLoadable(const Url& url) {
    if (!UrlExchange::supportsScheme(url)) {
        return UrlError::make(UrlError::UnsupportedUrl, url.absoluteString());
    }
    if (url.isFileUrl() ? url.filePath().empty() : url.host().empty()) {
        return UrlError::make(UrlError::BadUrl, url.absoluteString());
    }
    return std::nullopt;
}

} // namespace

// The connection's side of its exchange; runs on the connection's loop, inside drain().
class UrlConnection::Client final : public UrlExchangeClient {
public:
    explicit Client(UrlConnection& owner) : owner_(owner) {}

    std::optional<UrlRequest> exchangeWillSendRequest(const UrlRequest& request,
                                                      const std::optional<UrlResponse>& redirectResponse) override {
        auto [self, delegate] = live();
        if (!self) {
            return std::nullopt;
        }
        if (!delegate) {
            return request;
        }
        std::optional<UrlRequest> answer = delegate->connectionWillSendRequest(self, request, redirectResponse);
        if (!answer && !redirectResponse) {
            owner_.end(); // refused before sending: the connection ends quietly
        }
        return answer;
    }

    void exchangeDidReceiveResponse(const UrlResponse& response) override {
        auto [self, delegate] = live();
        if (delegate) {
            delegate->connectionDidReceiveResponse(self, response);
        }
    }

    void exchangeDidReceiveData(const Bytes& data) override {
        auto [self, delegate] = live();
        if (delegate) {
            delegate->connectionDidReceiveData(self, data);
        }
    }

    void exchangeDidFinish() override {
        auto [self, delegate] = live();
        if (!self) {
            return;
        }
        owner_.end();
        if (delegate) {
            delegate->connectionDidFinishLoading(self);
        }
    }

    void exchangeDidFail(const Error& error) override {
        auto [self, delegate] = live();
        if (!self) {
            return;
        }
        owner_.end();
        if (delegate) {
            delegate->connectionDidFailWithError(self, error);
        }
    }

private:
    // The connection and its delegate while the connection has not ended; nulls after.
    std::pair<std::shared_ptr<UrlConnection>, std::shared_ptr<UrlConnectionDelegate>> live() {
        std::lock_guard lock(owner_.mutex_);
        if (owner_.ended_) {
            return {};
        }
        return {owner_.shared_from_this(), owner_.delegate_};
    }

    UrlConnection& owner_;
};

Result<std::shared_ptr<UrlConnection>> UrlConnection::create(UrlRequest request,
                                                             std::shared_ptr<UrlConnectionDelegate> delegate,
                                                             StartImmediately startImmediately) {
    if (std::optional<Error> error = checkLoadable(request.url())) {
        ZLOG(Warn, "UrlConnection: cannot load %@: %@", logPreview(request.url().absoluteString()),
             logPreview(error->localizedDescription()));
        return *error;
    }
    auto connection = std::make_shared<UrlConnection>(Passkey(), std::move(request), std::move(delegate));
    if (startImmediately == StartImmediately::Yes) {
        connection->start();
    }
    return connection;
}

UrlConnection::UrlConnection(Passkey, UrlRequest request, std::shared_ptr<UrlConnectionDelegate> delegate)
    : original_(std::move(request)), client_(std::make_unique<Client>(*this)), delegate_(std::move(delegate)),
      loop_(RunLoop::current().shared_from_this()) {}

UrlConnection::~UrlConnection() {
    if (exchange_) {
        exchange_->cancel();
    }
}

void UrlConnection::scheduleInRunLoop(RunLoop& loop, std::string_view mode) {
    std::shared_ptr<RunLoop> target;
    std::string drainMode;
    {
        std::lock_guard lock(mutex_);
        loop_ = loop.shared_from_this();
        mode_ = std::string(mode);
        drainPosted_ = false; // a drain already posted elsewhere finds it is not scheduled there
        target = drainTargetLocked(&drainMode);
    }
    postDrain(target, drainMode);
}

void UrlConnection::unscheduleFromRunLoop(RunLoop& loop, std::string_view mode) {
    std::lock_guard lock(mutex_);
    if (loop_.get() == &loop && mode_ == mode) {
        loop_.reset();
        drainPosted_ = false;
    }
}

void UrlConnection::start() {
    std::shared_ptr<UrlExchange> exchange;
    {
        std::lock_guard lock(mutex_);
        if (started_ || ended_) {
            return;
        }
        started_ = true;
        self_ = shared_from_this();
        ++gLoadsInFlight;
        std::weak_ptr<UrlConnection> weak = self_;
        exchange_ = std::make_shared<UrlExchange>(original_, httpTransport(), [weak](std::function<void()> work) {
            if (auto connection = weak.lock()) {
                connection->enqueue(std::move(work));
            }
        });
        exchange = exchange_;
    }
    exchange->start(client_.get());
}

void UrlConnection::cancel() {
    auto keep = shared_from_this();
    std::deque<std::function<void()>> dropped;
    std::shared_ptr<UrlConnectionDelegate> delegate;
    std::shared_ptr<UrlConnection> self;
    std::shared_ptr<UrlExchange> exchange;
    {
        std::lock_guard lock(mutex_);
        if (ended_) {
            return;
        }
        ended_ = true;
        dropped.swap(queue_);
        delegate = std::move(delegate_);
        self = std::move(self_);
        exchange = exchange_;
    }
    if (self) {
        --gLoadsInFlight;
    }
    if (exchange) {
        exchange->cancel();
    }
}

void UrlConnection::loopEnded(RunLoop* loop) {
    if (loop->isMain()) {
        return; // the process is ending: its loads end with it, and nothing is torn down on the way out
    }
    {
        std::lock_guard lock(mutex_);
        if (ended_ || loop_.get() != loop) {
            return;
        }
    }
    ZLOG(Info, "UrlConnection: the thread it delivers on has ended; load of %@ cancelled",
         logPreview(original_.url().absoluteString()));
    cancel();
}

void UrlConnection::end() {
    std::shared_ptr<UrlConnection> self;
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
        dropped.swap(queue_);
        self = std::move(self_);
        // The delegate is released once the terminal callback has been made with a local copy.
        delegate_.reset();
    }
    if (self) {
        --gLoadsInFlight;
    }
}

size_t UrlConnection::loadsInFlight() {
    return gLoadsInFlight.load();
}

void UrlConnection::enqueue(std::function<void()> work) {
    std::shared_ptr<RunLoop> target;
    std::string drainMode;
    {
        std::lock_guard lock(mutex_);
        if (ended_) {
            return;
        }
        queue_.push_back(std::move(work));
        target = drainTargetLocked(&drainMode);
    }
    postDrain(target, drainMode);
}

std::shared_ptr<RunLoop> UrlConnection::drainTargetLocked(std::string* mode) {
    if (drainPosted_ || !loop_ || queue_.empty()) {
        return nullptr;
    }
    drainPosted_ = true;
    *mode = mode_;
    return loop_;
}

void UrlConnection::postDrain(const std::shared_ptr<RunLoop>& loop, const std::string& mode) {
    if (!loop) {
        return;
    }
    // Released with the drain: when that happens before the drain has run, the loop's thread ended
    // (a loop drops what it holds when it closes) and the connection learns that nobody can hear it.
    class Ticket {
    public:
        Ticket(std::weak_ptr<UrlConnection> connection, RunLoop* loop)
            : connection_(std::move(connection)), loop_(loop) {}
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        ~Ticket() {
            if (auto owner = connection_.lock(); owner && !ran_) {
                owner->loopEnded(loop_);
            }
        }
        void run() {
            ran_ = true;
            if (auto owner = connection_.lock()) {
                owner->drain(loop_);
            }
        }

    private:
        std::weak_ptr<UrlConnection> connection_;
        RunLoop* loop_;
        bool ran_ = false;
    };
    auto ticket = std::make_shared<Ticket>(weak_from_this(), loop.get());
    loop->performAfterIfOpen(
        0, [ticket] { ticket->run(); }, mode);
}

void UrlConnection::drain(RunLoop* on) {
    auto keep = shared_from_this(); // the delegate may release the connection in a callback
    {
        std::lock_guard lock(mutex_);
        if (loop_.get() != on) {
            return; // rescheduled or unscheduled meanwhile; the new loop has its own drain
        }
        drainPosted_ = false;
    }
    while (true) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            if (ended_ || queue_.empty() || loop_.get() != on) {
                return;
            }
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        work();
    }
}

// Synchronous requests: the exchange's work runs on whichever thread delivers it (the transport's
// thread, or the caller's for the first step and for files) under one lock, and the caller waits.
namespace {

struct SyncState final : UrlExchangeClient {
    std::recursive_mutex workMutex; // serialises the exchange's work
    std::mutex doneMutex;
    std::condition_variable doneCv;
    std::atomic<bool> done{false};
    std::optional<UrlResponse> response;
    Bytes data;
    std::optional<Error> error;

    std::optional<UrlRequest> exchangeWillSendRequest(const UrlRequest& request,
                                                      const std::optional<UrlResponse>&) override {
        return request;
    }
    void exchangeDidReceiveResponse(const UrlResponse& r) override { response = r; }
    void exchangeDidReceiveData(const Bytes& d) override { append(data, d); }
    void exchangeDidFinish() override { finish(); }
    void exchangeDidFail(const Error& e) override {
        error = e;
        finish();
    }
    void finish() {
        std::lock_guard lock(doneMutex);
        done = true;
        doneCv.notify_all();
    }
};

} // namespace

void UrlCancelToken::cancel() {
    std::vector<std::pair<uint64_t, std::function<void()>>> hooks;
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        hooks.swap(hooks_);
    }
    for (auto& [id, hook] : hooks) {
        hook();
    }
}

bool UrlCancelToken::isCancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

uint64_t UrlCancelToken::addHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    if (cancelled_) {
        return 0;
    }
    const uint64_t id = nextId_++;
    hooks_.emplace_back(id, std::move(hook));
    return id;
}

void UrlCancelToken::removeHook(uint64_t id) {
    std::lock_guard lock(mutex_);
    std::erase_if(hooks_, [id](const auto& entry) { return entry.first == id; });
}

Result<UrlSynchronousResult> UrlConnection::sendSynchronousRequest(const UrlRequest& request, UrlCancelToken* cancel) {
    if (std::optional<Error> error = checkLoadable(request.url())) {
        return *error;
    }
    auto state = std::make_shared<SyncState>();
    uint64_t hook = 0;
    if (cancel) {
        std::weak_ptr<SyncState> waiting = state;
        hook = cancel->addHook([waiting, url = request.url().absoluteString()] {
            if (auto s = waiting.lock()) {
                std::lock_guard lock(s->workMutex);
                if (!s->done) {
                    s->error = UrlError::make(UrlError::Cancelled, url);
                    s->finish();
                }
            }
        });
        if (hook == 0) {
            return UrlError::make(UrlError::Cancelled, request.url().absoluteString());
        }
    }
    std::weak_ptr<SyncState> weak = state;
    auto exchange = std::make_shared<UrlExchange>(request, httpTransport(), [weak](std::function<void()> work) {
        if (auto s = weak.lock()) {
            std::lock_guard lock(s->workMutex);
            if (!s->done) {
                work();
            }
        }
    });
    exchange->start(state.get());
    {
        std::unique_lock lock(state->doneMutex);
        state->doneCv.wait(lock, [&] { return state->done.load(); });
    }
    if (cancel) {
        cancel->removeHook(hook);
    }
    std::lock_guard lock(state->workMutex); // the last piece of work has returned
    exchange->cancel();
    if (state->error) {
        return *state->error;
    }
    if (!state->response) {
        return UrlError::make(UrlError::BadServerResponse, request.url().absoluteString());
    }
    return UrlSynchronousResult{std::move(*state->response), std::move(state->data)};
}

Result<Bytes> dataWithContentsOfUrl(const Url& url) {
    UrlSynchronousResult result = TRY(UrlConnection::sendSynchronousRequest(UrlRequest(url)));
    if (result.response.isHttp() && result.response.statusCode() >= 400) {
        return UrlError::make(UrlError::BadServerResponse, url.absoluteString(),
                              format("the server answered with status %lld", result.response.statusCode()));
    }
    return std::move(result.data);
}

UrlCache& UrlCache::shared() {
    static UrlCache cache(4 * 1024 * 1024, 20 * 1024 * 1024, "");
    return cache;
}

UrlCache::UrlCache(size_t memoryCapacity, size_t diskCapacity, std::string diskPath)
    : memoryCapacity_(memoryCapacity), diskCapacity_(diskCapacity), diskPath_(std::move(diskPath)) {}

} // namespace fnd
