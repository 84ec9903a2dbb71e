// ZelvanURLConnection: runs one fetch for a ZelvanURLRequest - over HTTP(S) through fnd::fetch here, over
// the game connection in ZelvanGameConnection - and reports the outcome once, on the run loop of the
// thread that started it. ZelvanURLConnectionDelegate is who hears about it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/object.h"
#include "web/zelvan_url_request.h"

namespace fnd {
class UrlCancelToken;
struct FetchReply;
} // namespace fnd

namespace zelvan {

class ZelvanURLConnection;

// Told how a request's fetch ended, on the thread that ran it (the network thread for the cache's
// queue). The connection's zelvanRequest() is the request, with data() set on success.
class ZelvanURLConnectionDelegate {
public:
    virtual ~ZelvanURLConnectionDelegate() = default;
    virtual void connectionDidFinish(const std::shared_ptr<ZelvanURLConnection>& connection) = 0;
    virtual void connectionDidFail(const std::shared_ptr<ZelvanURLConnection>& connection) = 0;
};

// How one fetch ended: the whole body of a successful answer, or a failure code.
struct ZelvanFetchResult {
    bool ok = false;
    fnd::Bytes body;
    int64_t errorCode = 0;
};

class ZelvanURLConnection : public fnd::Object {
public:
    using Completion = std::function<void(const std::shared_ptr<ZelvanURLConnection>&, ZelvanFetchResult)>;

    ZelvanURLConnection() = default;
    explicit ZelvanURLConnection(std::shared_ptr<ZelvanURLRequest> request);
    // A connection (always made shared, so callbacks can hand it on) for `request`, or none yet.
    static std::shared_ptr<ZelvanURLConnection> init(std::shared_ptr<ZelvanURLRequest> request = nullptr);
    // A fetch still running is cancelled: nobody hears of it any more.
    ~ZelvanURLConnection() override;
    ZelvanURLConnection(const ZelvanURLConnection&) = delete;
    ZelvanURLConnection& operator=(const ZelvanURLConnection&) = delete;

    std::string className() const override { return "ZelvanURLConnection"; }

    std::shared_ptr<ZelvanURLRequest> zelvanRequest() const { return request_; }
    void setZelvanRequest(std::shared_ptr<ZelvanURLRequest> request) { request_ = std::move(request); }

    // The absolute URL fetched. Unless set, the request's url() resolved against its baseURL().
    std::string absoluteUrl() const;
    void setAbsoluteUrl(std::string url) { absoluteUrl_ = std::move(url); }
    // A header field sent with an HTTP fetch, besides the request's own; only to the URL's own
    // scheme, host and port (a redirect elsewhere goes without it).
    void setHeaderValue(std::string field, std::string value);

    // Starts the fetch; it ends with exactly one call of `completion` on the calling thread's run loop
    // (unless cancelled first). Without a completion the connection stores the outcome in the
    // request and tells the request's delegate itself. A second start does nothing.
    void start(Completion completion = {});
    // Stops the fetch; no completion follows.
    void cancel();
    bool isRunning() const;

    // Stores the outcome in the request and tells its delegate connectionDidFinish or connectionDidFail.
    void deliver(const ZelvanFetchResult& result);

protected:
    // Starts the transport; overridden by connections that fetch some other way. The HTTP(S) form
    // fails with UrlError::UnsupportedUrl for any other scheme.
    virtual void begin();
    // Stops the transport after cancel() or destruction.
    virtual void end();
    // Ends the fetch with `result` (on the loop the fetch started on); later calls do nothing.
    void complete(ZelvanFetchResult result);

private:
    // Ends the HTTP(S) fetch with the result the request's owner reads from `reply`.
    void httpFetchEnded(const std::string& url, fnd::Result<fnd::FetchReply> reply);

    std::shared_ptr<ZelvanURLRequest> request_;
    std::string absoluteUrl_;
    std::vector<std::pair<std::string, std::string>> headers_;

    mutable std::mutex mutex_;
    Completion completion_;
    bool started_ = false;
    bool done_ = false;
    std::shared_ptr<fnd::UrlCancelToken> httpCancel_; // the HTTP(S) fetch in flight
};

} // namespace zelvan
