// UrlExchange: default header fields, cookies, redirects hop by hop, the body cap and file URLs.
#include "platform/foundation/url_exchange.h"

#include <filesystem>
#include <system_error>

#include "platform/foundation/backends.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/cookie.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/reachability.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url_error.h"

namespace fnd {

namespace {

bool isRedirectStatus(int64_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The media type of a file, from its extension.
std::string mimeTypeForExtension(const std::string& extension) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {"html", "text/html"},      {"htm", "text/html"},         {"txt", "text/plain"},
        {"css", "text/css"},        {"js", "text/javascript"},    {"json", "application/json"},
        {"xml", "application/xml"}, {"plist", "application/xml"}, {"png", "image/png"},
        {"jpg", "image/jpeg"},      {"jpeg", "image/jpeg"},       {"gif", "image/gif"},
        {"wav", "audio/wav"},       {"mp3", "audio/mpeg"},        {"zip", "application/zip"},
    };
    std::string lower = lowerAscii(extension);
    for (const auto& [ext, type] : kTypes) {
        if (lower == ext) {
            return type;
        }
    }
    return "application/octet-stream";
}

// Whether the reachability provider lets a request to `url` go out: it fails at once only when the
// provider knows the host is unreachable (or needs a connection first). Asking about the host rather
// than the internet at large keeps loopback servers usable while offline.
bool hostReachable(const Url& url) {
    std::string host = url.host();
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    std::optional<ReachabilityFlags> flags = reachabilityProvider()->flagsForName(host);
    return !flags ||
           ((*flags & ReachabilityFlag::Reachable) != 0 && (*flags & ReachabilityFlag::ConnectionRequired) == 0);
}

// Header fields that say nothing about the user or the device: they go with a request wherever a
// redirect leads. Every other field the caller set goes only to the host it was set for.
bool travelsToAnyHost(std::string_view name) {
    for (std::string_view kept : {"User-Agent", "Accept", "Accept-Language", "Accept-Encoding", "Content-Type"}) {
        if (equalsIgnoringAsciiCase(name, kept)) {
            return true;
        }
    }
    return false;
}

} // namespace

// Receives one hop's events on the transport thread, counts the body against the cap, and hands
// each event to the exchange's home context tagged with its hop.
class UrlExchange::HopSink final : public HttpTransferSink {
public:
    HopSink(std::weak_ptr<UrlExchange> exchange, Executor executor, uint64_t hop, size_t cap, std::string url)
        : exchange_(std::move(exchange)), executor_(std::move(executor)), hop_(hop), cap_(cap), url_(std::move(url)) {}

    void transferDidReceiveResponse(UrlResponse response) override {
        forward([hop = hop_, response = std::move(response)](UrlExchange& e) mutable {
            e.handleResponse(hop, std::move(response));
        });
    }

    bool transferDidReceiveData(Bytes data) override {
        received_ += data.size();
        if (received_ > cap_) {
            Error error = UrlError::make(UrlError::DataLengthExceedsMaximum, url_,
                                         format("the body is larger than %llu bytes", static_cast<uint64_t>(cap_)));
            forward([hop = hop_, error](UrlExchange& e) { e.handleFail(hop, error); });
            return false;
        }
        forward([hop = hop_, data = std::move(data)](UrlExchange& e) mutable { e.handleData(hop, std::move(data)); });
        return true;
    }

    void transferDidFinish() override {
        forward([hop = hop_](UrlExchange& e) { e.handleFinish(hop); });
    }

    void transferDidFail(Error error) override {
        forward([hop = hop_, error = std::move(error)](UrlExchange& e) { e.handleFail(hop, error); });
    }

private:
    template <class F>
    void forward(F work) {
        executor_([weak = exchange_, work = std::move(work)]() mutable {
            if (auto exchange = weak.lock()) {
                work(*exchange);
            }
        });
    }

    std::weak_ptr<UrlExchange> exchange_;
    Executor executor_;
    uint64_t hop_;
    size_t cap_;
    size_t received_ = 0;
    std::string url_;
};

UrlExchange::UrlExchange(UrlRequest request, std::shared_ptr<HttpTransport> transport, Executor executor)
    : transport_(std::move(transport)), executor_(std::move(executor)), request_(std::move(request)) {}

std::string UrlExchange::defaultUserAgent() {
    Bundle& bundle = Bundle::main();
    std::string name = bundle.objectForInfoDictionaryKey("CFBundleName").stringValue();
    std::string version = bundle.objectForInfoDictionaryKey("CFBundleVersion").stringValue();
    if (name.empty()) {
        name = "zelvan";
    }
    return version.empty() ? name + " (Linux)" : name + "/" + version + " (Linux)";
}

bool UrlExchange::supportsScheme(const Url& url) {
    return url.isHttpUrl() || url.isFileUrl();
}

void UrlExchange::start(UrlExchangeClient* client) {
    client_ = client;
    executor_([self = shared_from_this()] { self->send(self->request_, std::nullopt); });
}

void UrlExchange::cancel() {
    std::shared_ptr<HttpTransfer> transfer;
    {
        std::lock_guard lock(transferMutex_);
        cancelled_ = true;
        transfer = std::move(transfer_);
    }
    if (transfer) {
        transfer->cancel();
    }
}

void UrlExchange::stopTransfer() {
    std::shared_ptr<HttpTransfer> transfer;
    {
        std::lock_guard lock(transferMutex_);
        transfer = std::move(transfer_);
    }
    if (transfer) {
        transfer->cancel();
    }
}

void UrlExchange::send(UrlRequest request, std::optional<UrlResponse> redirectResponse) {
    if (ended_) {
        return;
    }
    std::optional<UrlRequest> answer = client_->exchangeWillSendRequest(request, redirectResponse);
    if (ended_) {
        return; // the client ended the load while answering
    }
    if (!answer) {
        if (!redirectResponse) {
            ended_ = true; // refused before anything was sent: the load ends without a word
            return;
        }
        // The redirect is not followed: its response is the final one, and its body follows.
        responseDelivered_ = true;
        client_->exchangeDidReceiveResponse(*redirectResponse);
        return;
    }
    if (redirectResponse) {
        stopTransfer();
        ++hop_; // events still coming from the redirect's hop are ignored from here
    }
    request_ = std::move(*answer);
    if (!supportsScheme(request_.url())) {
        fail(UrlError::make(UrlError::UnsupportedUrl, request_.url().absoluteString()));
        return;
    }
    if (request_.url().isFileUrl()) {
        loadFile();
        return;
    }
    launch();
}

UrlRequest UrlExchange::prepared() const {
    UrlRequest out = request_;
    if (!out.valueForHTTPHeaderField("User-Agent")) {
        out.setValue(defaultUserAgent(), "User-Agent");
    }
    if (!out.valueForHTTPHeaderField("Accept")) {
        out.setValue("*/*", "Accept");
    }
    if (out.httpMethod() == "POST" && !out.httpBody().empty() && !out.valueForHTTPHeaderField("Content-Type")) {
        out.setValue("application/x-www-form-urlencoded", "Content-Type");
    }
    if (out.httpShouldHandleCookies() && !out.valueForHTTPHeaderField("Cookie")) {
        HttpHeaders fields = Cookie::requestHeaderFields(CookieStorage::shared().cookiesForUrl(out.url()));
        if (std::optional<std::string> cookie = fields.value("Cookie")) {
            out.setValue(*cookie, "Cookie");
        }
    }
    return out;
}

void UrlExchange::launch() {
    if (!hostReachable(request_.url())) {
        fail(UrlError::make(UrlError::NotConnectedToInternet, request_.url().absoluteString()));
        return;
    }
    auto sink = std::make_shared<HopSink>(weak_from_this(), executor_, hop_, request_.maxBodyBytes(),
                                          request_.url().absoluteString());
    std::shared_ptr<HttpTransfer> transfer = transport_->startTransfer(prepared(), std::move(sink));
    bool cancelled = false;
    {
        std::lock_guard lock(transferMutex_);
        cancelled = cancelled_;
        if (!cancelled) {
            transfer_ = transfer;
        }
    }
    if (cancelled && transfer) {
        transfer->cancel();
    }
}

void UrlExchange::loadFile() {
    const std::string url = request_.url().absoluteString();
    std::string path = request_.url().filePath();
    if (path.empty()) {
        fail(UrlError::make(UrlError::BadUrl, url, "the URL names no file path"));
        return;
    }
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::directory) {
        fail(UrlError::make(UrlError::FileIsDirectory, url));
        return;
    }
    if (ec || !std::filesystem::exists(status)) {
        fail(UrlError::make(UrlError::FileDoesNotExist, url));
        return;
    }
    uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > request_.maxBodyBytes()) {
        fail(UrlError::make(UrlError::DataLengthExceedsMaximum, url));
        return;
    }
    std::optional<Bytes> contents = readFile(path);
    if (!contents) {
        fail(UrlError::make(UrlError::FileDoesNotExist, url, "the file could not be read"));
        return;
    }
    if (contents->size() > request_.maxBodyBytes()) {
        fail(UrlError::make(UrlError::DataLengthExceedsMaximum, url));
        return;
    }
    responseDelivered_ = true;
    client_->exchangeDidReceiveResponse(UrlResponse::nonHttp(
        request_.url(), mimeTypeForExtension(request_.url().pathExtension()), static_cast<int64_t>(contents->size())));
    if (ended_) {
        return;
    }
    if (!contents->empty()) {
        client_->exchangeDidReceiveData(*contents);
        if (ended_) {
            return;
        }
    }
    ended_ = true;
    client_->exchangeDidFinish();
}

std::optional<UrlRequest> UrlExchange::redirectRequest(const UrlResponse& response) const {
    if (!isRedirectStatus(response.statusCode())) {
        return std::nullopt;
    }
    std::optional<std::string> location = response.allHeaderFields().value("Location");
    if (!location) {
        return std::nullopt;
    }
    std::optional<Url> target = Url::resolve(response.url(), *location);
    if (!target) {
        ZLOG(Warn, "UrlExchange: redirect from %@ to an unusable location; delivering the redirect response",
             logPreview(response.url().absoluteString()));
        return std::nullopt;
    }
    if (response.url().isHttpUrl() && !target->isHttpUrl()) {
        // A server never gets to make the client read a local file or another kind of resource.
        ZLOG(Warn, "UrlExchange: not following the redirect from %@ to %@; delivering the redirect response",
             logPreview(response.url().absoluteString()), logPreview(target->absoluteString()));
        return std::nullopt;
    }
    UrlRequest next = request_;
    next.setUrl(*target);
    if (!equalsIgnoringAsciiCase(target->host(), request_.url().host())) {
        // Stored cookies are chosen per hop from the jar; the caller's own fields (a device id, a token)
        // stay behind once the redirect leaves their host, and do not come back on a later hop.
        HttpHeaders kept;
        for (const HttpHeaders::Field& field : next.allHTTPHeaderFields()) {
            if (travelsToAnyHost(field.name)) {
                kept.add(field.name, field.value);
            }
        }
        next.setAllHTTPHeaderFields(std::move(kept));
    }
    int64_t status = response.statusCode();
    bool keepsMethod = status == 307 || status == 308 || next.httpMethod() == "GET" || next.httpMethod() == "HEAD";
    if (!keepsMethod && (status == 303 || next.httpMethod() == "POST")) {
        next.setHttpMethod("GET");
        next.setHttpBody({});
        HttpHeaders fields = next.allHTTPHeaderFields();
        fields.remove("Content-Type");
        fields.remove("Content-Length");
        next.setAllHTTPHeaderFields(std::move(fields));
    }
    return next;
}

void UrlExchange::handleResponse(uint64_t hop, UrlResponse response) {
    if (ended_ || hop != hop_ || responseDelivered_) {
        return;
    }
    storeCookies(response);
    std::optional<UrlRequest> next = redirectRequest(response);
    if (next) {
        if (++redirects_ > kMaxRedirects) {
            stopTransfer();
            fail(UrlError::make(UrlError::HttpTooManyRedirects, response.url().absoluteString()));
            return;
        }
        send(std::move(*next), std::move(response));
        return;
    }
    responseDelivered_ = true;
    client_->exchangeDidReceiveResponse(response);
}

void UrlExchange::handleData(uint64_t hop, Bytes data) {
    if (ended_ || hop != hop_ || !responseDelivered_) {
        return; // bodies of followed redirects are dropped
    }
    client_->exchangeDidReceiveData(data);
}

void UrlExchange::handleFinish(uint64_t hop) {
    if (ended_ || hop != hop_) {
        return;
    }
    if (!responseDelivered_) {
        // A redirect whose question is still open cannot finish its hop here: the exchange moves
        // on in send(); a transport finishing without a response is a bad server response.
        fail(UrlError::make(UrlError::BadServerResponse, request_.url().absoluteString()));
        return;
    }
    ended_ = true;
    {
        std::lock_guard lock(transferMutex_);
        transfer_.reset();
    }
    client_->exchangeDidFinish();
}

void UrlExchange::handleFail(uint64_t hop, Error error) {
    if (ended_ || hop != hop_) {
        return;
    }
    stopTransfer();
    fail(std::move(error));
}

void UrlExchange::fail(Error error) {
    if (ended_) {
        return;
    }
    ended_ = true;
    client_->exchangeDidFail(error);
}

void UrlExchange::storeCookies(const UrlResponse& response) const {
    if (!request_.httpShouldHandleCookies()) {
        return;
    }
    std::vector<Cookie> cookies = Cookie::cookiesWithResponseHeaderFields(response.allHeaderFields(), response.url());
    if (!cookies.empty()) {
        CookieStorage::shared().setCookies(cookies, response.url(), request_.mainDocumentUrl());
    }
}

} // namespace fnd
