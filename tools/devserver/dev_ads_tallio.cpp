// The Tallio analytics network's report route on the ad host and its own reader of the binary session
// report (big-endian numbers, strings as a 16-bit length and UTF-8 bytes).
#include "tools/devserver/dev_ads_tallio.h"

#include <bit>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/foundation/log.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

// A stalled answer gives up after this long, so the server can always stop.
constexpr auto kStallLimit = std::chrono::seconds(30);

class ReportReader {
public:
    explicit ReportReader(const std::string& bytes) : bytes_(bytes) {}

    bool failed() const { return failed_; }
    bool atEnd() const { return at_ == bytes_.size(); }

    uint64_t unsignedOf(size_t size) {
        if (bytes_.size() - at_ < size) {
            failed_ = true;
            at_ = bytes_.size();
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < size; ++i) {
            value = (value << 8) | static_cast<uint8_t>(bytes_[at_++]);
        }
        return value;
    }
    int byte() { return static_cast<int>(static_cast<int8_t>(unsignedOf(1))); }
    int ushort() { return static_cast<int>(unsignedOf(2)); }
    int32_t int32() { return static_cast<int32_t>(unsignedOf(4)); }
    int64_t int64() { return static_cast<int64_t>(unsignedOf(8)); }
    float float32() { return std::bit_cast<float>(static_cast<uint32_t>(unsignedOf(4))); }
    double float64() { return std::bit_cast<double>(unsignedOf(8)); }
    std::string bytes(size_t n) {
        if (bytes_.size() - at_ < n) {
            failed_ = true;
            at_ = bytes_.size();
            return {};
        }
        std::string out = bytes_.substr(at_, n);
        at_ += n;
        return out;
    }
    std::string string() { return bytes(static_cast<size_t>(ushort())); }

private:
    const std::string& bytes_;
    size_t at_ = 0;
    bool failed_ = false;
};

DevTallioSession readSession(ReportReader& in) {
    DevTallioSession s;
    s.appVersion = in.string();
    s.startTime = in.int64();
    s.length = in.int64();
    s.locale = in.string();
    s.timeZone = in.string();
    s.internetAvailable = in.byte();
    s.userID = in.string();
    s.fixedOne = in.byte();
    s.latitude = in.float64();
    s.longitude = in.float64();
    s.accuracy = in.float32();
    s.pageViewCount = in.int32();
    s.fixedFF = static_cast<uint8_t>(in.byte());
    for (int i = 0, n = in.ushort(); i < n && !in.failed(); ++i) {
        std::string name = in.string();
        s.eventCounts.emplace_back(std::move(name), in.int32());
    }
    for (int i = 0, n = in.ushort(); i < n && !in.failed(); ++i) {
        DevTallioEvent event{in.string(), {}};
        for (int p = 0, m = in.ushort(); p < m && !in.failed(); ++p) {
            std::string key = in.string();
            event.parameters.emplace_back(std::move(key), in.string());
        }
        s.events.push_back(std::move(event));
    }
    s.eventLogComplete = in.byte();
    s.totalErrorCount = in.int32();
    for (int i = 0, n = in.ushort(); i < n && !in.failed(); ++i) {
        DevTallioError error;
        error.time = in.int64();
        error.errorId = in.string();
        error.message = in.string();
        error.exception = in.string();
        s.errors.push_back(std::move(error));
    }
    for (int i = 0, n = in.ushort(); i < n && !in.failed(); ++i) {
        DevTallioImpression impression;
        impression.sinceStart = in.int64();
        impression.hook = in.string();
        impression.adId = in.int64();
        impression.canvasId = in.int64();
        impression.cookie = in.bytes(static_cast<uint8_t>(in.byte()));
        impression.result = in.byte();
        s.impressions.push_back(std::move(impression));
    }
    return s;
}

} // namespace

std::optional<DevTallioReport> decodeTallioReport(const std::string& body) {
    ReportReader in(body);
    DevTallioReport report;
    report.version = in.ushort();
    report.requestAds = in.ushort();
    report.major = in.ushort();
    report.minor = in.ushort();
    report.now = in.int64();
    report.apiKey = in.string();
    report.appVersion = in.string();
    report.phoneId = in.string();
    report.initialTimestamp = in.int64();
    report.startTime = in.int64();
    for (int i = 0, n = in.ushort(); i < n && !in.failed(); ++i) {
        std::string key = in.string();
        report.device.emplace_back(std::move(key), in.string());
    }
    for (int i = 0, n = in.ushort(); i < n && !in.failed(); ++i) {
        report.sessions.push_back(readSession(in));
    }
    if (in.failed() || !in.atEnd()) {
        return std::nullopt;
    }
    return report;
}

struct DevTallioRecord::State {
    mutable std::mutex mutex;
    std::condition_variable released;
    bool stallsReleased = false;
    int status = 200;
    DevTallioReplyKind reply = DevTallioReplyKind::Full;
    std::vector<DevTallioReport> reports;
    std::vector<std::multimap<std::string, std::string>> canvasQueries;
    int storeRequests = 0;
};

DevTallioRecord::DevTallioRecord() : state_(std::make_shared<State>()) {}

std::vector<DevTallioReport> DevTallioRecord::reports() const {
    std::lock_guard lock(state_->mutex);
    return state_->reports;
}

std::vector<std::multimap<std::string, std::string>> DevTallioRecord::canvasQueries() const {
    std::lock_guard lock(state_->mutex);
    return state_->canvasQueries;
}

int DevTallioRecord::storeRequests() const {
    std::lock_guard lock(state_->mutex);
    return state_->storeRequests;
}

void DevTallioRecord::setStatus(int status) {
    std::lock_guard lock(state_->mutex);
    state_->status = status;
}

void DevTallioRecord::setReply(DevTallioReplyKind kind) {
    std::lock_guard lock(state_->mutex);
    state_->reply = kind;
}

void DevTallioRecord::releaseStalls() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stallsReleased = true;
    }
    state_->released.notify_all();
}

namespace {

// The canvas page: a short text about the advertised application and its store link.
constexpr const char* kTallioCanvasPage =
    "<html><head><title>Pebble Match</title></head><body style=\"background:#c8cacc\">"
    "<h1>Pebble Match</h1><p>Match the pebbles before the tide comes in.</p>"
    "<p><a id=\"store\" href=\"/tallio/getIPhoneApp.do?app=11\">Get it from the store</a></p></body></html>";
// Where the store route's redirects end; never fetched.
constexpr const char* kTallioStoreAddress = "itms-apps://apps.store.test/app/pebble-match";

} // namespace

std::shared_ptr<DevTallioRecord> addTallioRoutes(DevAdsServer& server) {
    auto record = std::make_shared<DevTallioRecord>();
    auto state = record->state_;
    server.addNetwork("/tallio", [state](const DevAdsRequest& request, DevAdsResponse& response) {
        if (request.method == "GET" && request.path == "/tallio/getCanvas.do") {
            std::lock_guard lock(state->mutex);
            state->canvasQueries.push_back(request.query);
            ZLOG(Info, "devads: tallio canvas page for ad %s", request.param("adid"));
            response.status = 200;
            response.contentType = "text/html; charset=utf-8";
            response.body = kTallioCanvasPage;
            return true;
        }
        if (request.method == "GET" && request.path == "/tallio/getIPhoneApp.do") {
            response.status = 302;
            if (request.param("hop").empty()) {
                std::lock_guard lock(state->mutex);
                ++state->storeRequests;
                ZLOG(Info, "devads: tallio store link, redirecting");
                response.headers["Location"] = "/tallio/getIPhoneApp.do?hop=2";
            } else {
                response.headers["Location"] = kTallioStoreAddress;
            }
            return true;
        }
        if (request.method != "POST" || request.path != "/tallio/aap.do") {
            return false;
        }
        auto report = decodeTallioReport(request.body);
        std::unique_lock lock(state->mutex);
        if (!report) {
            ZLOG(Warn, "devads: tallio report of %d bytes does not decode", static_cast<int>(request.body.size()));
            response.status = 400;
            return true;
        }
        ZLOG(Info, "devads: tallio report from %s: %d session(s)", report->apiKey,
             static_cast<int>(report->sessions.size()));
        state->reports.push_back(std::move(*report));
        if (state->status == 0 && !state->stallsReleased) {
            state->released.wait_for(lock, kStallLimit, [&] { return state->stallsReleased; });
            response.status = 503;
            return true;
        }
        response.status = state->status == 0 ? 503 : state->status;
        response.body = response.status == 200 ? devTallioReply(state->reply) : std::string();
        response.contentType = "application/octet-stream";
        return true;
    });
    return record;
}

} // namespace zelvan::devserver
