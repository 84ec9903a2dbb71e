// UrlExchange: one URL load from first request to final response, shared by asynchronous connections
// and synchronous requests. It adds the default header fields and cookies, follows redirects hop by
// hop (asking its client before each; a redirect to another host leaves the caller's header fields
// behind, but for User-Agent, Accept, Accept-Language, Accept-Encoding and Content-Type), enforces the
// body cap and loads file URLs from disk; the transport carries each HTTP hop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/http_transport.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/url_response.h"

namespace fnd {

// Hears an exchange, always on the exchange's home context (see UrlExchange::Executor).
class UrlExchangeClient {
public:
    virtual ~UrlExchangeClient() = default;
    // Asked before each request goes out: first with no redirect response, then before following
    // each redirect. nullopt stops: on the first send the load ends silently; on a redirect the
    // redirect response becomes the final one.
    virtual std::optional<UrlRequest> exchangeWillSendRequest(const UrlRequest& request,
                                                              const std::optional<UrlResponse>& redirectResponse) = 0;
    virtual void exchangeDidReceiveResponse(const UrlResponse& response) = 0;
    virtual void exchangeDidReceiveData(const Bytes& data) = 0;
    virtual void exchangeDidFinish() = 0;
    virtual void exchangeDidFail(const Error& error) = 0;
};

class UrlExchange : public std::enable_shared_from_this<UrlExchange> {
public:
    // Runs a piece of the exchange's work on its home context, one piece at a time and in order:
    // an asynchronous connection queues it for its run loop, a synchronous request runs it at once
    // under a lock.
    using Executor = std::function<void(std::function<void()>)>;

    static constexpr int kMaxRedirects = 16;

    UrlExchange(UrlRequest request, std::shared_ptr<HttpTransport> transport, Executor executor);

    // Begins the load. `client` must stay valid while the exchange can still call it: until a
    // terminal call, or until the client stops running the exchange's work.
    void start(UrlExchangeClient* client);
    // Stops the transfer in flight; the client hears nothing more. Safe from any thread.
    void cancel();

    // The header fields every request carries unless it sets them: the User-Agent from the main
    // bundle's name and version, and Accept.
    static std::string defaultUserAgent();

    // Whether the scheme of `url` can be loaded (http, https, file).
    static bool supportsScheme(const Url& url);

private:
    class HopSink;

    // Home context only.
    void send(UrlRequest request, std::optional<UrlResponse> redirectResponse);
    void launch();
    void loadFile();
    void handleResponse(uint64_t hop, UrlResponse response);
    void handleData(uint64_t hop, Bytes data);
    void handleFinish(uint64_t hop);
    void handleFail(uint64_t hop, Error error);
    void fail(Error error);
    std::optional<UrlRequest> redirectRequest(const UrlResponse& response) const;
    UrlRequest prepared() const;
    void storeCookies(const UrlResponse& response) const;
    void stopTransfer();

    std::shared_ptr<HttpTransport> transport_;
    Executor executor_;
    UrlExchangeClient* client_ = nullptr;
    UrlRequest request_; // the request of the current hop, as the client answered it
    uint64_t hop_ = 0;
    int redirects_ = 0;
    bool ended_ = false;
    bool responseDelivered_ = false;

    std::mutex transferMutex_;
    std::shared_ptr<HttpTransfer> transfer_;
    bool cancelled_ = false;
};

} // namespace fnd
