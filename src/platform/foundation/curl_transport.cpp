// CurlTransport: libcurl easy handles on one multi handle, driven by curl_multi_poll on the
// transport thread. Other threads hand work to it as commands and wake it with curl_multi_wakeup.
#include "platform/foundation/curl_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/foundation/url_error.h"

namespace fnd {

namespace {

struct CurlTransfer;

bool isTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), isTokenChar);
}

std::string_view trimAscii(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
        s.remove_suffix(1);
    }
    return s;
}

bool containsIgnoringCase(std::string_view text, std::string_view word) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    auto it = std::search(text.begin(), text.end(), word.begin(), word.end(),
                          [&](char a, char b) { return lower(a) == lower(b); });
    return it != text.end();
}

// The "fnd.url" code for a libcurl failure.
int64_t urlErrorCode(CURLcode code) {
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
        return UrlError::UnsupportedUrl;
    case CURLE_URL_MALFORMAT:
        return UrlError::BadUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return UrlError::CannotFindHost;
    case CURLE_COULDNT_CONNECT:
        return UrlError::CannotConnectToHost;
    case CURLE_OPERATION_TIMEDOUT:
        return UrlError::TimedOut;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return UrlError::NetworkConnectionLost;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
        return UrlError::BadServerResponse;
    case CURLE_FILESIZE_EXCEEDED:
        return UrlError::DataLengthExceedsMaximum;
    case CURLE_PEER_FAILED_VERIFICATION:
        return UrlError::ServerCertificateUntrusted;
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return UrlError::ServerCertificateHasUnknownRoot;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_USE_SSL_FAILED:
        return UrlError::SecureConnectionFailed;
    default:
        return UrlError::Unknown;
    }
}

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

struct CurlTransport::Engine {
    std::mutex mutex;
    std::deque<std::function<void()>> commands;
    bool stopping = false;
    CURLM* multi = nullptr;
    // Transport thread only.
    std::map<CURL*, std::shared_ptr<CurlTransfer>> active;

    // The multi handle goes with the last holder of the engine, not with the transport: a thread
    // cancelling a transfer holds the engine while it wakes the handle, which may be after the
    // transport has stopped.
    ~Engine() {
        if (multi != nullptr) {
            curl_multi_cleanup(multi);
        }
    }

    // Queues `command` for the transport thread and wakes it. Commands queued after stop are dropped.
    void post(std::function<void()> command) {
        {
            std::lock_guard lock(mutex);
            if (stopping) {
                return;
            }
            commands.push_back(std::move(command));
        }
        curl_multi_wakeup(multi);
    }

    void run();
    void add(const std::shared_ptr<CurlTransfer>& transfer);
    void remove(CURL* easy);
    void complete(CURL* easy, CURLcode result);
};

namespace {

// One request on the wire. Fields other than `cancelled` belong to the transport thread.
struct CurlTransfer final : HttpTransfer, std::enable_shared_from_this<CurlTransfer> {
    CurlTransfer(UrlRequest request, std::shared_ptr<HttpTransferSink> sink)
        : request(std::move(request)), sink(std::move(sink)) {}
    ~CurlTransfer() override {
        if (easy != nullptr) {
            curl_easy_cleanup(easy);
        }
        curl_slist_free_all(headerList);
    }

    void cancel() override {
        cancelled = true;
        if (auto engine = engine_.lock()) {
            engine->post([engine, self = shared_from_this()] { engine->remove(self->easy); });
        }
    }

    // Whether the sink still wants events.
    bool live() const { return !cancelled && !stoppedBySink; }

    bool configure();
    void onHeaderLine(std::string_view line);
    size_t onData(const char* data, size_t size);
    void deliverResponse();
    void fail(int64_t code, std::string_view message) {
        if (live()) {
            sink->transferDidFail(UrlError::make(code, request.url().absoluteString(), message));
        }
    }

    std::weak_ptr<CurlTransport::Engine> engine_;
    std::atomic<bool> cancelled{false};

    UrlRequest request;
    std::shared_ptr<HttpTransferSink> sink;
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    bool decodes = false; // libcurl decodes the content encoding
    int64_t status = 0;
    std::vector<std::pair<std::string, std::string>> headerFields;
    bool responseDelivered = false;
    bool stoppedBySink = false;
    char errorText[CURL_ERROR_SIZE] = {};
};

size_t headerCallback(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<CurlTransfer*>(user);
    size_t length = size * count;
    transfer->onHeaderLine(std::string_view(data, length));
    return transfer->live() ? length : 0;
}

size_t writeCallback(char* data, size_t size, size_t count, void* user) {
    return static_cast<CurlTransfer*>(user)->onData(data, size * count);
}

bool CurlTransfer::configure() {
    easy = curl_easy_init();
    if (easy == nullptr) {
        return false;
    }
    const std::string& method = request.httpMethod();
    double timeout = request.timeoutInterval();
    auto timeoutMs = static_cast<long>(std::min(timeout, 86400.0) * 1000.0);
    auto lowSpeedSeconds = std::max(1L, static_cast<long>(std::lround(std::min(timeout, 86400.0))));

    bool ok = curl_easy_setopt(easy, CURLOPT_URL, request.url().absoluteString().c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, std::max(1L, timeoutMs));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, lowSpeedSeconds);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, headerCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);

    const Bytes& body = request.httpBody();
    if (method == "GET") {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else if (method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else {
        if (method != "POST") {
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
        }
        if (method == "POST" || !body.empty()) {
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.empty() ? "" : reinterpret_cast<const char*>(body.data()));
        }
    }

    bool sawExpect = false;
    for (const HttpHeaders::Field& field : request.allHTTPHeaderFields()) {
        if (equalsIgnoringAsciiCase(field.name, "Accept-Encoding") &&
            (containsIgnoringCase(field.value, "gzip") || containsIgnoringCase(field.value, "deflate"))) {
            // libcurl sends this header itself and decodes what comes back.
            curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, field.value.c_str());
            decodes = true;
            continue;
        }
        sawExpect = sawExpect || equalsIgnoringAsciiCase(field.name, "Expect");
        std::string line = field.value.empty() ? field.name + ";" : field.name + ": " + field.value;
        headerList = curl_slist_append(headerList, line.c_str());
    }
    if (!sawExpect) {
        headerList = curl_slist_append(headerList, "Expect:"); // no 100-continue round trip
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
    return ok;
}

void CurlTransfer::onHeaderLine(std::string_view line) {
    if (!live()) {
        return;
    }
    if (line.starts_with("HTTP/")) {
        // A status line starts a new header block (interim 1xx responses come before the final one).
        headerFields.clear();
        size_t space = line.find(' ');
        status = 0;
        if (space != std::string_view::npos) {
            std::string_view rest = line.substr(space + 1);
            for (size_t i = 0; i < rest.size() && i < 3 && rest[i] >= '0' && rest[i] <= '9'; ++i) {
                status = status * 10 + (rest[i] - '0');
            }
        }
        return;
    }
    std::string_view trimmed = trimAscii(line);
    if (trimmed.empty()) {
        if (status >= 200 && !responseDelivered) {
            deliverResponse();
        }
        return;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return; // folded or malformed lines are dropped
    }
    headerFields.emplace_back(std::string(trimAscii(line.substr(0, colon))),
                              std::string(trimAscii(line.substr(colon + 1))));
}

void CurlTransfer::deliverResponse() {
    responseDelivered = true;
    if (status == 0) {
        long code = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
        status = code;
    }
    HttpHeaders headers;
    for (const auto& [name, value] : headerFields) {
        headers.add(name, value); // a field that is not well formed is dropped (and logged)
    }
    UrlResponse response(request.url(), status, std::move(headers));
    if (decodes) {
        std::optional<std::string> encoding = response.allHeaderFields().value("Content-Encoding");
        if (encoding && !equalsIgnoringAsciiCase(trimAscii(*encoding), "identity")) {
            response.setBodyDecoded();
        }
    }
    sink->transferDidReceiveResponse(std::move(response));
}

size_t CurlTransfer::onData(const char* data, size_t size) {
    if (!live()) {
        return 0; // aborts the transfer; completion reports nothing
    }
    if (!responseDelivered) {
        deliverResponse();
    }
    if (size == 0) {
        return 0;
    }
    if (!sink->transferDidReceiveData(Bytes(data, data + size))) {
        stoppedBySink = true;
        return 0;
    }
    return size;
}

} // namespace

void CurlTransport::Engine::run() {
    while (true) {
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard lock(mutex);
            if (stopping) {
                break;
            }
            batch.swap(commands);
        }
        for (auto& command : batch) {
            command();
        }
        int running = 0;
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                complete(message->easy_handle, message->data.result);
            }
        }
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    for (auto& [easy, transfer] : active) {
        curl_multi_remove_handle(multi, easy);
    }
    active.clear();
}

void CurlTransport::Engine::add(const std::shared_ptr<CurlTransfer>& transfer) {
    if (transfer->cancelled) {
        return;
    }
    if (!isToken(transfer->request.httpMethod())) {
        transfer->fail(UrlError::BadUrl, "the HTTP method is not a token");
        return;
    }
    if (!transfer->configure()) {
        transfer->fail(UrlError::BadUrl, transfer->errorText);
        return;
    }
    if (curl_multi_add_handle(multi, transfer->easy) != CURLM_OK) {
        transfer->fail(UrlError::Unknown, "the transfer could not be started");
        return;
    }
    active[transfer->easy] = transfer;
}

void CurlTransport::Engine::remove(CURL* easy) {
    auto it = easy != nullptr ? active.find(easy) : active.end();
    if (it == active.end()) {
        return;
    }
    std::shared_ptr<CurlTransfer> transfer = std::move(it->second);
    active.erase(it);
    curl_multi_remove_handle(multi, easy);
}

void CurlTransport::Engine::complete(CURL* easy, CURLcode result) {
    auto it = active.find(easy);
    if (it == active.end()) {
        return;
    }
    std::shared_ptr<CurlTransfer> transfer = it->second;
    remove(easy);
    if (!transfer->live()) {
        return;
    }
    if (result == CURLE_OK) {
        if (!transfer->responseDelivered) {
            transfer->deliverResponse();
        }
        if (transfer->live()) {
            transfer->sink->transferDidFinish();
        }
        return;
    }
    std::string message = transfer->errorText[0] != '\0' ? transfer->errorText : curl_easy_strerror(result);
    transfer->fail(urlErrorCode(result), message);
}

CurlTransport::CurlTransport() : engine_(std::make_shared<Engine>()) {
    initCurlOnce();
    engine_->multi = curl_multi_init();
    thread_ = std::thread([engine = engine_] { engine->run(); });
}

CurlTransport::~CurlTransport() {
    {
        std::lock_guard lock(engine_->mutex);
        engine_->stopping = true;
        engine_->commands.clear();
    }
    curl_multi_wakeup(engine_->multi);
    if (!thread_.joinable()) {
        return;
    }
    if (thread_.get_id() == std::this_thread::get_id()) {
        // Let go for the last time by a sink on the transport's own thread: that thread ends once the
        // callback returns (it holds the engine), so it is left to end by itself.
        thread_.detach();
        return;
    }
    thread_.join();
}

std::shared_ptr<HttpTransfer> CurlTransport::startTransfer(const UrlRequest& request,
                                                           std::shared_ptr<HttpTransferSink> sink) {
    auto transfer = std::make_shared<CurlTransfer>(request, std::move(sink));
    transfer->engine_ = engine_;
    engine_->post([engine = engine_.get(), transfer] { engine->add(transfer); });
    return transfer;
}

} // namespace fnd
