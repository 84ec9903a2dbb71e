// fnd::fetch: one asynchronous URL load over UrlConnection that ends with a single completion carrying
// the whole reply (response, body, final address) or the error, with optional hooks that hear the
// response head and the body's chunks as they arrive; plus resolveFinalAddress, which follows a link's
// redirects to the address it finally leads to.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/url_response.h"

namespace fnd {

// What a fetch brought back.
struct FetchReply {
    // The final response: status and header fields. For a redirect that was not followed, the redirect
    // itself (its status and Location).
    UrlResponse response;
    // The whole body of that response.
    Bytes body;

    // The address that answered, after the redirects followed.
    const Url& finalUrl() const { return response.url(); }
};

// Asked before each redirect is followed, with the request that would follow it (a POST already turned
// into a GET for 301 to 303; on a redirect to another host, without the caller's own header fields) and
// the redirect response. Returns that request, a changed one, or nullopt to refuse the hop: the redirect
// response is then the final one, with its own body.
using RedirectHook = std::function<std::optional<UrlRequest>(const UrlRequest& next, const UrlResponse& redirect)>;

// What a fetch does with redirects. A redirect from a web address to anything but a web address is never
// followed, whatever the policy; at most UrlExchange::kMaxRedirects are (more fail with
// UrlError::HttpTooManyRedirects).
struct RedirectPolicy {
    enum class Kind { Follow, DontFollow, Ask };

    Kind kind = Kind::Follow;
    RedirectHook hook; // Ask only

    static RedirectPolicy follow() { return {}; }
    // The first response is the final one, a redirect included.
    static RedirectPolicy dontFollow() { return {Kind::DontFollow, {}}; }
    // `hook` decides each hop.
    static RedirectPolicy ask(RedirectHook hook) { return {Kind::Ask, std::move(hook)}; }
};

// How a fetch loads. These replace the request's own time-out, body cap and cookie handling.
struct FetchOptions {
    // Seconds without progress (connecting, or no bytes moving) before the fetch fails with
    // UrlError::TimedOut.
    double timeout = UrlRequest::kDefaultTimeoutInterval;
    // The largest body (after decoding) accepted; a larger one fails the fetch with
    // UrlError::DataLengthExceedsMaximum, whose failure reason names the cap.
    size_t maxBodyBytes = UrlRequest::kDefaultMaxBodyBytes;
    RedirectPolicy redirects;
    // Whether stored cookies go with the request and cookies the server sets are stored.
    bool cookies = true;
    // Cancelling it (from any thread, also before the fetch starts) stops the transfer and ends the fetch
    // with UrlError::Cancelled. One token may serve several fetches.
    std::shared_ptr<UrlCancelToken> cancel;
    // The mode of the calling thread's run loop the fetch's events and completion wait for (a worker that
    // runs its loop in a mode of its own while it waits).
    std::string runLoopMode = std::string(RunLoopMode::Default);
    // For a caller that follows the body as it arrives (fetch only). Both run on the fetch's loop while
    // the owner lives (held for the call), before the completion and never once the fetch has ended:
    // onResponse with each response head (a later one starts the body over), onData with each chunk of
    // its body. The reply still carries the whole body; a caller that keeps the chunks itself still has
    // what arrived when the fetch fails, times out or is cancelled.
    std::function<void(const UrlResponse&)> onResponse;
    std::function<void(std::span<const uint8_t>)> onData;
};

using FetchCompletion = std::function<void(Result<FetchReply>)>;

// Loads `request` (http, https or file) and calls `completion` exactly once, on the run loop of the
// calling thread, never inside this call:
//  - with the reply once the whole body has arrived; an HTTP error status is an ordinary reply;
//  - with a "fnd.url" error: an address that cannot be loaded, a refused connection, a time-out, a body
//    over the cap, too many redirects, or UrlError::Cancelled when options.cancel is cancelled first.
// `owner` is held weakly: once it is gone nothing is called; the transfer stops at its next event and the
// completion, with its captures, is released. While the completion runs the fetch holds the owner, so
// the completion may capture a plain pointer to it. The fetch writes no log line of its own about a
// failed load; the caller says what the load was for.
void fetch(UrlRequest request, FetchOptions options, std::weak_ptr<const void> owner, FetchCompletion completion);

// Follows the redirects of `request` (by options.redirects) and completes, under the same rules as fetch,
// with the address the link finally leads to: the target of the last redirect when it was not followed
// (a link into a scheme the loader does not load, such as a store's own, or a hop the policy refused),
// else the address that answered. The body is not downloaded. A final status of 400 or more fails with
// UrlError::BadServerResponse.
void resolveFinalAddress(UrlRequest request, FetchOptions options, std::weak_ptr<const void> owner,
                         std::function<void(Result<Url>)> completion);

} // namespace fnd
