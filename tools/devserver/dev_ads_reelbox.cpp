// The Reelbox network on the ad host: ad-tag pages chosen by publisher, the sample invite page, and the
// takeover pages and style sheet the ads point at.
#include <string>

#include "platform/foundation/log.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {
namespace {

// The publisher named in an ad tag's "/pb=<publisher>/" part, or "".
std::string publisherOf(const std::string& path) {
    const size_t at = path.find("/pb=");
    if (at == std::string::npos) {
        return std::string();
    }
    const size_t from = at + 4;
    const size_t to = path.find('/', from);
    return path.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// An ad page of `type` (1-4); without getCloseBounds() when `closable` is false.
std::string adPage(const std::string& root, int type, bool closable) {
    std::string script = "function getAdType() { return '" + std::to_string(type) +
                         "'; }\n"
                         "function getTakeoverURL() { return '" +
                         root +
                         "/reelbox/ads/takeover.html'; }\n"
                         "function getBanner() { return '" +
                         root +
                         "/reelbox/ads/takeover.html?tag=1'; }\n"
                         "function showTakeover() { return 'shown'; }\n"
                         "function sendLoadBeacons() { return 'load'; }\n"
                         "function sendTapBeacons() { return 'tap'; }\n"
                         "function sendTSpentBeacons() { return 'spent'; }\n";
    if (closable) {
        script += "function getCloseBounds() { return '280,0,20,20'; }\n";
    }
    const std::string style = type == 2 ? "<link rel=\"stylesheet\" href=\"/reelbox/ads/ad.css\">" : "";
    return "<html><head>" + style + "<script>" + script +
           "</script></head><body style='margin:0;background:#2a9d8f;color:#fff'>"
           "<b>Reelbox</b> watch the trailer</body></html>";
}

bool answerReelbox(const DevAdsRequest& request, DevAdsResponse& response) {
    const std::string root = "http://" + request.header("Host");
    response.status = 200;
    response.contentType = "text/html; charset=utf-8";
    if (request.path.starts_with("/reelbox/LSERVER/hserver/")) {
        const std::string publisher = publisherOf(request.path);
        ZLOG(Info, "devads: reelbox ad tag (publisher '%s')", publisher);
        if (publisher == "noclose") {
            response.body = adPage(root, 1, false);
        } else if (publisher.size() == 5 && publisher.starts_with("type") && publisher[4] >= '1' &&
                   publisher[4] <= '4') {
            response.body = adPage(root, publisher[4] - '0', true);
        } else {
            response.body = adPage(root, 1, true);
        }
        return true;
    }
    if (request.path == "/reelbox/ads/iphone/sample/invite.html") {
        response.body = adPage(root, 1, true);
        return true;
    }
    if (request.path == "/reelbox/ads/takeover.html") {
        response.body = "<html><body><h1>Reelbox</h1><a href='" + root +
                        "/reelbox/ads/takeover.html?more=1'>More</a></body></html>";
        return true;
    }
    if (request.path == "/reelbox/ads/ad.css") {
        response.contentType = "text/css";
        response.body = "body { background: #264653; }";
        return true;
    }
    response.status = 404;
    return false;
}

} // namespace

void addReelboxRoutes(DevAdsServer& server) {
    server.addNetwork("/reelbox", answerReelbox);
}

} // namespace zelvan::devserver
