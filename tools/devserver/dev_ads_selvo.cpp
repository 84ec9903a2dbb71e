// The Selvo network's routes on the ad host: single and batch XML ad replies whose kind the publisher id
// picks (ads, a server error, garbage, an empty body, a stall), the launch report, the ad pictures, the
// landing page the ads' click URLs lead to, and the site proxy. Every answer sets a cookie; the cookies
// and launch reports received are kept for tests.
#include <chrono>
#include <condition_variable>
#include <string_view>

#include <zlib.h>

#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr std::string_view kSuccess = "<status code=\"success\"><messages><message code=\"2000\"/></messages></status>";
constexpr std::string_view kFailure = "<status code=\"failure\"><messages><message code=\"500\" "
                                      "description=\"Server error\">no ads for this publisher</message></messages>"
                                      "</status>";
// Far enough ahead for both the wall clock and a test's manual clock.
constexpr std::string_view kExpiry = "2037-01-01 00:00 GMT";
// A stalled answer gives up after this long, so the server can always stop.
constexpr auto kStallLimit = std::chrono::seconds(30);

// The landing page: a store link, the close pseudo-URL and a page that is not there.
constexpr std::string_view kLandingPage =
    "<html><head><title>Selvo landing</title></head><body><h1>Thanks for looking</h1>"
    "<p><a id='store' href='http://store.test/app/42'>Get the app</a></p>"
    "<p><a id='close' href='http://close.selvo.test/'>Close</a></p>"
    "<p><a id='missing' href='/selvo/missing.html'>More</a></p></body></html>";

void appendChunk(std::string& png, const char* type, const std::string& data) {
    const auto putBE = [&png](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            png.push_back(static_cast<char>((v >> shift) & 0xFF));
        }
    };
    putBE(static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    png += body;
    putBE(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

// A 320 x 50 banner picture (RGB): a blue-to-orange band with a darker frame and stripes, so it reads
// as a picture in screenshots.
std::string bannerPng() {
    constexpr int kWidth = 320;
    constexpr int kHeight = 50;
    std::string raw;
    for (int y = 0; y < kHeight; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < kWidth; ++x) {
            const bool frame = x < 3 || y < 3 || x >= kWidth - 3 || y >= kHeight - 3;
            const bool stripe = ((x + y) / 12) % 2 == 0;
            int r = 30 + x * 200 / kWidth;
            int g = 90 + (stripe ? 40 : 0);
            int b = 220 - x * 180 / kWidth;
            if (frame) {
                r /= 3;
                g /= 3;
                b /= 3;
            }
            raw.push_back(static_cast<char>(r));
            raw.push_back(static_cast<char>(g));
            raw.push_back(static_cast<char>(b));
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(size);
    std::string header;
    for (uint32_t v : {uint32_t(kWidth), uint32_t(kHeight)}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            header.push_back(static_cast<char>((v >> shift) & 0xFF));
        }
    }
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter set, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", "");
    return png;
}

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

bool isDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// One image banner; "localhost" pictures lie outside the image domain ("127.0.0.1").
std::string bannerAd(const std::string& id, const std::string& imageHost, const std::string& picture, int impressions) {
    const std::string image = "http://" + imageHost + "/selvo/img/" + picture + ".png";
    return "<ad id=\"" + id + "\" availableImpressions=\"" + std::to_string(impressions) + "\"><clickUrl>http://" +
           imageHost + "/selvo/landing.html?ad=" + id + "</clickUrl><body type=\"banner\"><banner><actionText>Ad " +
           id + "</actionText><image><url>" + image + "</url></image><width>320</width><height>50</height>" +
           "<trackingPixels><trackingPixelUrl>http://" + imageHost + "/selvo/pixel/" + id +
           "</trackingPixelUrl></trackingPixels></banner></body></ad>";
}

std::string textAd(const std::string& id, const std::string& host, int impressions) {
    return "<ad id=\"" + id + "\" availableImpressions=\"" + std::to_string(impressions) + "\"><clickUrl>http://" +
           host + "/selvo/landing.html?ad=" + id + "</clickUrl><body type=\"text\"><text><bodyText>Text " + id +
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
            if (name == "banner") {
                static const std::string banner = bannerPng();
                response.status = 200;
                response.contentType = "image/png";
                response.body = banner;
                return true;
            }
            if (!isDigits(name)) {
                return false;
            }
            response.status = 200;
            response.contentType = "image/png";
            response.body = greyPixelPng();
            return true;
        }
        if (path.starts_with("/selvo/pixel/")) {
            response.status = 200;
            response.body = "ok";
            return true;
        }
        if (path == "/selvo/landing.html") {
            response.status = 200;
            response.contentType = "text/html; charset=utf-8";
            response.body = std::string(kLandingPage);
            return true;
        }
        if (path == "/selvo/siteserver/sdkproxy.jsp") {
            // Echoes what it was asked for, so tests see the target arrive whole.
            response.status = 200;
            response.contentType = "text/html; charset=utf-8";
            response.body = "<html><body><p id='t'>" + escapeHtml(request.param("t")) + "</p><p id='u'>" +
                            escapeHtml(request.param("u")) + "</p></body></html>";
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
            const std::string picture = pid == "demo" ? std::string("banner") : n;
            ads = "<ads>" + (pid == "text" ? textAd("t" + n, host, 1) : bannerAd("s" + n, host, picture, 1)) + "</ads>";
        } else if (pid == "text") {
            ads = "<ads batchid=\"b" + n + "\" expiry=\"" + std::string(kExpiry) + "\">" + textAd("t" + n, host, 5) +
                  "</ads>";
        } else {
            ads = "<ads batchid=\"b" + n + "\" expiry=\"" + std::string(kExpiry) + "\">" +
                  bannerAd("a" + n, host, n, 5) + bannerAd("c" + n, host, std::to_string(answer + 1000), 5) + "</ads>";
        }
        response.body = std::string(kDeclaration) + "<svads>" + std::string(kSuccess) + ads + "</svads>";
        return true;
    });
    return record;
}

} // namespace zelvan::devserver
