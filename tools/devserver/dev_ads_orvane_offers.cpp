// The fake offer service's offer wall: 30 offers with advertiser app ids and 3 video offers (GetOffers,
// paged by "start" and "max"), row icons as Base64 PNGs (GetAppIcon, no connect key; garbage for
// "app-13", a stall for "app-17"), the offers' action pages (offer 5's points at a closed port, so it
// fails) and video files.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/foundation/format.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

constexpr int kOffers = 30;
constexpr int kVideos = 3;

// 16 x 16 PNGs of six colours; an app's icon is chosen by its number.
constexpr const char* kIconPngs[] = {
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR42mO4Y2NDEmIY1TCqYfhqAABhl1QQ5Z/nmAAAAABJRU5ErkJggg==",
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR42mOwWRBAEmIY1TCqYfhqAABp9SwQ+rk+4AAAAABJRU5ErkJggg==",
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR42mMwSrlEEmIY1TCqYfhqAADDSmgQ/eSczwAAAABJRU5ErkJggg==",
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR42mN4tkqOJMQwqmFUw/DVAABhra4QgF7hFQAAAABJRU5ErkJggg==",
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR42mOY5raPJMQwqmFUw/DVAADPzZoQXuwluwAAAABJRU5ErkJggg==",
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR42mOQW7WFJMQwqmFUw/DVAABvG3wQEgoQOQAAAABJRU5ErkJggg==",
};

constexpr const char* kNames[] = {"Install Star Farm", "Try Word Tower", "Play Rocket Run", "Join Puzzle Club",
                                  "Sign up for Daily Tips"};

int count(const DevAdsRequest& request, const char* name, int fallback) {
    const std::string text = request.param(name);
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0) {
        return fallback;
    }
    return static_cast<int>(std::min<long>(value, 1000000));
}

std::string base(const DevAdsRequest& request) {
    const std::string host = request.header("Host");
    return "http://" + (host.empty() ? std::string("127.0.0.1") : host);
}

std::string offer(const DevAdsRequest& request, int n) {
    const std::string root = base(request);
    const bool video = n > kOffers;
    const std::string action =
        n == 5 ? std::string("http://127.0.0.1:9/offers/5") : fnd::format("%s/orvane/offers/%d/action", root, n);
    return fnd::format(
        "<OfferClass><OfferName>%s %d</OfferName><Description>&lt;b&gt;Demo&lt;/b&gt; offer number %d for the "
        "wall.</Description><Amount>%d</Amount><Currency>Coins</Currency><Instructions>Open the app and finish "
        "the first level.</Instructions><TimeDelay>within 24 hours</TimeDelay><ActionURL>%s</ActionURL>"
        "<EmailURL>%s/orvane/offers/%d</EmailURL><CachedOfferID>offer-%d</CachedOfferID><PublisherUserRecordID>"
        "%s-%d</PublisherUserRecordID><AdvertiserAppID>app-%d</AdvertiserAppID>%s</OfferClass>",
        video ? "Watch Trailer" : kNames[n % 5], n, n, n * 25, action, root, n, n,
        request.param("PublisherUserID").empty() ? std::string("user") : request.param("PublisherUserID"), n, n,
        video ? fnd::format("<VideoURL>%s/orvane/videos/%d.mp4</VideoURL>", root, n - kOffers) : std::string());
}

} // namespace

std::optional<std::string> orvaneOffersReply(const std::string& method, const DevAdsRequest& request) {
    if (method != "GetOffers") {
        return std::nullopt;
    }
    const int total = kOffers + kVideos;
    const int start = count(request, "start", 0);
    const int max = count(request, "max", 25);
    const int end = static_cast<int>(std::min<long>(total, static_cast<long>(start) + max));
    std::string offers;
    for (int n = start + 1; n <= end; ++n) {
        offers += offer(request, n);
    }
    return fnd::format("<OfferArray>%s</OfferArray><MoreDataAvailable>%d</MoreDataAvailable>", offers,
                       std::max(0, total - std::max(end, start)));
}

bool orvaneOfferWallRoute(const DevAdsRequest& request, DevAdsResponse& response, DevOrvaneService& service) {
    if (request.path == "/orvane/Service1.asmx/GetAppIcon") {
        const std::string id = request.param("AppID");
        response.status = 200;
        response.contentType = "text/xml; charset=utf-8";
        if (service.mode("GetAppIcon") == OrvaneReplyMode::Stall || id == "app-17") {
            service.stall();
            response.status = 500;
            response.body = "stalled";
        } else if (id == "app-13") {
            response.body = "<OrvaneConnectReturnObject><Icon>\x01 not xml";
        } else {
            const int n = std::atoi(id.c_str() + std::min<size_t>(id.size(), 4));
            response.body =
                std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<OrvaneConnectReturnObject><Icon>") +
                kIconPngs[static_cast<unsigned>(n) % 6] + "</Icon></OrvaneConnectReturnObject>";
        }
        return true;
    }
    if (request.path.starts_with("/orvane/offers/")) {
        response.status = 200;
        response.contentType = "text/html; charset=utf-8";
        response.body = "<html><head><title>Offer</title></head><body><h1>Thanks for trying this offer</h1>"
                        "<p>Finish the first level to earn your reward.</p></body></html>";
        return true;
    }
    if (request.path.starts_with("/orvane/videos/")) {
        response.status = 200;
        response.contentType = "video/mp4";
        response.body = std::string("\0\0\0\x18"
                                    "ftypmp42",
                                    12);
        return true;
    }
    return false;
}

} // namespace zelvan::devserver
