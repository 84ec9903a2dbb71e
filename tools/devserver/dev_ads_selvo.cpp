// The Selvo network's routes on the ad host: single and batch XML ad replies whose kind the publisher id
// picks (ads, a server error, garbage, an empty body, a stall), the launch report and the ad pictures.
// Every answer sets a cookie; the cookies and launch reports received are kept for tests.
#include <chrono>
#include <condition_variable>
#include <string_view>

#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

// A 1 x 1 opaque grey PNG.
constexpr unsigned char kPixelPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x7E, 0x9B, 0x55, 0x00,
    0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x68, 0x00, 0x00, 0x00, 0x82, 0x00, 0x81,
    0x77, 0xCD, 0x72, 0xB6, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr std::string_view kSuccess = "<status code=\"success\"><messages><message code=\"2000\"/></messages></status>";
constexpr std::string_view kFailure = "<status code=\"failure\"><messages><message code=\"500\" "
                                      "description=\"Server error\">no ads for this publisher</message></messages>"
                                      "</status>";
// Far enough ahead for both the wall clock and a test's manual clock.
constexpr std::string_view kExpiry = "2037-01-01 00:00 GMT";
// A stalled answer gives up after this long, so the server can always stop.
constexpr auto kStallLimit = std::chrono::seconds(30);

bool isDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// One image banner; "localhost" pictures lie outside the image domain ("127.0.0.1").
std::string bannerAd(const std::string& id, const std::string& imageHost, int picture, int impressions) {
    const std::string image = "http://" + imageHost + "/selvo/img/" + std::to_string(picture) + ".png";
    return "<ad id=\"" + id + "\" availableImpressions=\"" + std::to_string(impressions) +
           "\"><clickUrl>http://127.0.0.1/click/" + id + "</clickUrl><body type=\"banner\"><banner><actionText>Ad " +
           id + "</actionText><image><url>" + image + "</url></image><width>320</width><height>50</height>" +
           "<trackingPixels><trackingPixelUrl>http://" + imageHost + "/selvo/pixel/" + id +
           "</trackingPixelUrl></trackingPixels></banner></body></ad>";
}

std::string textAd(const std::string& id, int impressions) {
    return "<ad id=\"" + id + "\" availableImpressions=\"" + std::to_string(impressions) +
           "\"><clickUrl>http://127.0.0.1/click/" + id + "</clickUrl><body type=\"text\"><text><bodyText>Text " + id +
           "</bodyText><headline>Headline</headline></text></body></ad>";
}

} // namespace

struct DevSelvoRecord::State {
    std::mutex mutex;
    std::condition_variable released;
    bool stallsReleased = false;
    std::vector<std::string> cookies;
    int launchReports = 0;
    int answers = 0;
};

DevSelvoRecord::DevSelvoRecord() : state_(std::make_shared<State>()) {}

std::vector<std::string> DevSelvoRecord::cookies() const {
    std::lock_guard lock(state_->mutex);
    return state_->cookies;
}

int DevSelvoRecord::launchReports() const {
    std::lock_guard lock(state_->mutex);
    return state_->launchReports;
}

void DevSelvoRecord::releaseStalls() {
    std::lock_guard lock(state_->mutex);
    state_->stallsReleased = true;
    state_->released.notify_all();
}

std::shared_ptr<DevSelvoRecord> addSelvoRoutes(DevAdsServer& server) {
    auto record = std::make_shared<DevSelvoRecord>();
    server.addNetwork("/selvo", [record](const DevAdsRequest& request, DevAdsResponse& response) {
        auto& state = *record->state_;
        const std::string& path = request.path;
        int answer = 0;
        {
            std::lock_guard lock(state.mutex);
            state.cookies.push_back(request.header("Cookie"));
            answer = ++state.answers;
        }
        response.headers["Set-Cookie"] = "svsession=s" + std::to_string(answer) + "; Path=/";
        if (path.starts_with("/selvo/img/") && path.ends_with(".png")) {
            const std::string_view name(path.data() + 11, path.size() - 11 - 4);
            if (name == "huge") {
                response.status = 200;
                response.contentType = "image/png";
                response.body.assign(5 * 1024 * 1024, '\0');
                return true;
            }
            if (name == "stall") {
                std::unique_lock lock(state.mutex);
                state.released.wait_for(lock, kStallLimit, [&] { return state.stallsReleased; });
                response.status = 503;
                return true;
            }
            if (!isDigits(name)) {
                return false;
            }
            response.status = 200;
            response.contentType = "image/png";
            response.body.assign(reinterpret_cast<const char*>(kPixelPng), sizeof kPixelPng);
            return true;
        }
        if (path.starts_with("/selvo/pixel/")) {
            response.status = 200;
            response.body = "ok";
            return true;
        }
        if (path == "/selvo/adserver/logAction") {
            std::lock_guard lock(state.mutex);
            ++state.launchReports;
            response.status = 200;
            response.body = "ok";
            return true;
        }
        const bool batch = path == "/selvo/batch/adserver/render";
        if (!batch && path != "/selvo/adserver/render") {
            return false;
        }
        const std::string pid = request.param("pid");
        response.status = 200;
        response.contentType = "text/xml; charset=utf-8";
        if (pid == "garbage") {
            response.body = "this is not an ad reply <<<";
            return true;
        }
        if (pid == "empty") {
            response.body.clear();
            return true;
        }
        if (pid == "stall") {
            std::unique_lock lock(state.mutex);
            state.released.wait_for(lock, kStallLimit, [&] { return state.stallsReleased; });
            response.status = 503;
            return true;
        }
        if (pid == "error500") {
            response.body = std::string(kDeclaration) + "<svads>" + std::string(kFailure) + "</svads>";
            return true;
        }
        // Pictures on the image domain, or with "otherdomain" on the same server named "localhost".
        std::string host = request.header("Host");
        if (pid == "otherdomain") {
            const size_t colon = host.find(':');
            host = "localhost" + (colon == std::string::npos ? std::string() : host.substr(colon));
        }
        const std::string n = std::to_string(answer);
        std::string ads;
        if (!batch) {
            ads = "<ads>" + (pid == "text" ? textAd("t" + n, 1) : bannerAd("s" + n, host, answer, 1)) + "</ads>";
        } else if (pid == "text") {
            ads =
                "<ads batchid=\"b" + n + "\" expiry=\"" + std::string(kExpiry) + "\">" + textAd("t" + n, 5) + "</ads>";
        } else {
            ads = "<ads batchid=\"b" + n + "\" expiry=\"" + std::string(kExpiry) + "\">" +
                  bannerAd("a" + n, host, answer, 5) + bannerAd("c" + n, host, answer + 1000, 5) + "</ads>";
        }
        response.body = std::string(kDeclaration) + "<svads>" + std::string(kSuccess) + ads + "</svads>";
        return true;
    });
    return record;
}

} // namespace zelvan::devserver
