// fnd::fetch: a UrlConnection whose delegate gathers the reply and hands it to the one completion, with
// the redirect policy, the streaming hooks, the weakly held owner and the cancel token;
// resolveFinalAddress stops at the final response and reads the address from it.
#include "platform/foundation/fetch.h"

#include <mutex>

#include "platform/foundation/format.h"
#include "platform/foundation/url_error.h"

namespace fnd {

namespace detail {

// One fetch. Its connection's callbacks and the completion run on the loop of the thread that started
// it; only the token's hook comes from another thread, and the first of the two to claim the end wins.
class FetchState final : public UrlConnectionDelegate, public std::enable_shared_from_this<FetchState> {
public:
    FetchState(const UrlRequest& request, FetchOptions options, std::weak_ptr<const void> owner,
               FetchCompletion completion, bool responseOnly)
        : options_(std::move(options)), owner_(std::move(owner)), completion_(std::move(completion)),
          responseOnly_(responseOnly), url_(request.url().absoluteString()),
          loop_(RunLoop::current().shared_from_this()) {}

    void start(UrlRequest request) {
        if (owner_.expired()) {
            return; // nobody to tell; the completion goes with this state
        }
        request.setTimeoutInterval(options_.timeout);
        request.setMaxBodyBytes(options_.maxBodyBytes);
        request.setHttpShouldHandleCookies(options_.cookies);
        Result<std::shared_ptr<UrlConnection>> created =
            UrlConnection::create(std::move(request), shared_from_this(), StartImmediately::No);
        if (!created) {
            claim();
            post(created.error());
            return;
        }
        std::shared_ptr<UrlConnection> connection = created.value();
        if (options_.runLoopMode != RunLoopMode::Default) {
            connection->scheduleInRunLoop(*loop_, options_.runLoopMode);
        }
        {
            std::lock_guard lock(mutex_);
            connection_ = connection;
        }
        if (options_.cancel) {
            std::weak_ptr<FetchState> weak = weak_from_this();
            uint64_t hook = options_.cancel->addHook([weak] {
                if (auto self = weak.lock()) {
                    self->cancelled();
                }
            });
            if (hook == 0) {
                cancelled(); // cancelled before the fetch began
                return;
            }
            std::lock_guard lock(mutex_);
            hook_ = hook;
        }
        connection->start(); // does nothing when the token cancelled it meanwhile
    }

    std::optional<UrlRequest> connectionWillSendRequest(const std::shared_ptr<UrlConnection>& connection,
                                                        const UrlRequest& request,
                                                        const std::optional<UrlResponse>& redirect) override {
        if (abandonedByOwner(connection)) {
            return std::nullopt;
        }
        if (!redirect) {
            return request;
        }
        switch (options_.redirects.kind) {
        case RedirectPolicy::Kind::Follow:
            return request;
        case RedirectPolicy::Kind::DontFollow:
            return std::nullopt;
        case RedirectPolicy::Kind::Ask:
            return options_.redirects.hook ? options_.redirects.hook(request, *redirect)
                                           : std::optional<UrlRequest>(request);
        }
        return request;
    }

    void connectionDidReceiveResponse(const std::shared_ptr<UrlConnection>& connection,
                                      const UrlResponse& response) override {
        if (abandonedByOwner(connection)) {
            return;
        }
        if (responseOnly_) {
            if (claim()) {
                connection->cancel(); // the body is not wanted
                deliver(FetchReply{response, {}});
            }
            return;
        }
        response_ = response;
        body_.clear();
        hear(options_.onResponse, response);
    }

    void connectionDidReceiveData(const std::shared_ptr<UrlConnection>& connection, const Bytes& data) override {
        if (!abandonedByOwner(connection)) {
            append(body_, data);
            hear(options_.onData, std::span<const uint8_t>(data));
        }
    }

    void connectionDidFinishLoading(const std::shared_ptr<UrlConnection>&) override {
        if (!claim()) {
            return;
        }
        if (!response_) {
            deliver(UrlError::make(UrlError::BadServerResponse, url_));
            return;
        }
        deliver(FetchReply{std::move(*response_), std::move(body_)});
    }

    void connectionDidFailWithError(const std::shared_ptr<UrlConnection>&, const Error& error) override {
        if (claim()) {
            deliver(error);
        }
    }

private:
    // Whether the caller ends the fetch: true once, for the first of the terminal callback, the token's
    // hook, the owner's going and a failure to start.
    bool claim() {
        uint64_t hook = 0;
        {
            std::lock_guard lock(mutex_);
            if (ended_) {
                return false;
            }
            ended_ = true;
            hook = hook_;
        }
        if (hook != 0) {
            options_.cancel->removeHook(hook);
        }
        return true;
    }

    // The token's hook, on the cancelling thread: stops the connection (which then calls nothing) and
    // sends the cancellation to the fetch's loop.
    void cancelled() {
        std::shared_ptr<UrlConnection> connection;
        {
            std::lock_guard lock(mutex_);
            if (ended_) {
                return;
            }
            ended_ = true;
            connection = connection_.lock();
        }
        if (connection) {
            connection->cancel();
        }
        post(UrlError::make(UrlError::Cancelled, url_));
    }

    // On the loop: when the owner has gone, stops the connection and lets the completion go unheard.
    bool abandonedByOwner(const std::shared_ptr<UrlConnection>& connection) {
        if (!owner_.expired()) {
            return false;
        }
        if (claim()) {
            connection->cancel();
            completion_ = nullptr;
        }
        return true;
    }

    // On the loop: runs a streaming hook while the fetch has not ended, holding the owner for the call.
    template <class Hook, class Arg>
    void hear(const Hook& hook, const Arg& arg) {
        std::shared_ptr<const void> owner = owner_.lock();
        if (!hook || !owner) {
            return;
        }
        {
            std::lock_guard lock(mutex_);
            if (ended_) {
                return; // cancelled from another thread meanwhile
            }
        }
        hook(arg);
    }

    void post(Error error) {
        loop_->post(
            [self = shared_from_this(), error = std::move(error)]() mutable { self->deliver(std::move(error)); });
    }

    // On the loop, once: hands the outcome to the completion while the owner lives.
    void deliver(Result<FetchReply> result) {
        FetchCompletion completion = std::move(completion_);
        completion_ = nullptr;
        std::shared_ptr<const void> owner = owner_.lock();
        if (owner && completion) {
            completion(std::move(result));
        }
    }

    const FetchOptions options_;
    const std::weak_ptr<const void> owner_;
    FetchCompletion completion_; // the loop's thread only
    const bool responseOnly_;
    const std::string url_;
    const std::shared_ptr<RunLoop> loop_;

    // The loop's thread only.
    std::optional<UrlResponse> response_;
    Bytes body_;

    std::mutex mutex_;
    bool ended_ = false;
    std::weak_ptr<UrlConnection> connection_; // it holds itself while it loads
    uint64_t hook_ = 0;
};

} // namespace detail

namespace {

void startFetch(UrlRequest request, FetchOptions options, std::weak_ptr<const void> owner, FetchCompletion completion,
                bool responseOnly) {
    auto state = std::make_shared<detail::FetchState>(request, std::move(options), std::move(owner),
                                                      std::move(completion), responseOnly);
    state->start(std::move(request));
}

// Where a final response leads: the target of a redirect that was not followed, else its own address.
Url lastAddress(const UrlResponse& response) {
    const int64_t status = response.statusCode();
    if (status >= 300 && status <= 399) {
        if (std::optional<std::string> location = response.allHeaderFields().value("Location")) {
            if (std::optional<Url> target = Url::resolve(response.url(), *location)) {
                return *target;
            }
        }
    }
    return response.url();
}

} // namespace

void fetch(UrlRequest request, FetchOptions options, std::weak_ptr<const void> owner, FetchCompletion completion) {
    startFetch(std::move(request), std::move(options), std::move(owner), std::move(completion), false);
}

void resolveFinalAddress(UrlRequest request, FetchOptions options, std::weak_ptr<const void> owner,
                         std::function<void(Result<Url>)> completion) {
    auto resolved = [completion = std::move(completion)](Result<FetchReply> reply) {
        if (!reply) {
            completion(std::move(reply).error());
            return;
        }
        const UrlResponse& response = reply.value().response;
        if (response.statusCode() >= 400) {
            completion(UrlError::make(UrlError::BadServerResponse, response.url().absoluteString(),
                                      format("the server answered with status %lld", response.statusCode())));
            return;
        }
        completion(lastAddress(response));
    };
    startFetch(std::move(request), std::move(options), std::move(owner), std::move(resolved), true);
}

} // namespace fnd
