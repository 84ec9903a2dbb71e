// The offer network's fake web service on the ad host: canned XML replies per method (good, ErrorMessage,
// garbage, empty, 500 or a stall), after checking the request's connect key.
#include <chrono>
#include <string>
#include <string_view>

#include "platform/foundation/digest.h"
#include "platform/foundation/log.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

constexpr std::string_view kPixelPngBase64 =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAAAAAA6fptVAAAACklEQVR4nGNoAAAAggCBd81ytgAAAABJRU5ErkJggg==";

std::string envelope(std::string_view inner) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<OrvaneConnectReturnObject>" + std::string(inner) +
           "</OrvaneConnectReturnObject>";
}

// One entry of the ad order: the network's key, campaign, show limit and event-1 interval, then `rest`
// (its ids, URLs and format).
std::string adNetwork(std::string_view key, std::string_view campaign, std::string_view rest = "") {
    return "<AdNetworkClass><AdLibraryName>" + std::string(key) + "</AdLibraryName><AdCampaignID>" +
           std::string(campaign) +
           "</AdCampaignID><MaxTimesToShowAdOnDevice>-1</MaxTimesToShowAdOnDevice><EventInterval1>1</EventInterval1>" +
           std::string(rest) + "</AdNetworkClass>";
}

// GetAdOrder: every banner network the mediation has an adapter for, in turn every second (a fresh device
// shows the house ad first), and the full-page network Marlin.
std::string adOrderReply() {
    return "<AdOrderData><RotationTime>1</RotationTime><RotationDirection>0</RotationDirection>"
           "<LastNetwork>6</LastNetwork><HasLocation>0</HasLocation></AdOrderData><AdNetworkArray>" +
           adNetwork("orvaneads", "c-1", "<EventInterval2></EventInterval2><AdFormat>0</AdFormat>") +
           adNetwork("custom_ad", "c-2", "<AdShownURL>http://127.0.0.1/shown</AdShownURL>") +
           adNetwork("adwick", "c-3", "<AdNetworkGameID1>zelvan-mediation</AdNetworkGameID1>") +
           adNetwork("selvo", "c-4",
                     "<AdNetworkGameID1>demo</AdNetworkGameID1><AdNetworkGameID2>zelvan-mediation</AdNetworkGameID2>") +
           adNetwork("ostrom", "c-5",
                     "<AdNetworkGameID1>zelvan-chat</AdNetworkGameID1><AdNetworkGameID2>zelvan</AdNetworkGameID2>") +
           adNetwork("kavlo", "c-6", "<AdNetworkGameID2>zelvan-mediation</AdNetworkGameID2>") +
           adNetwork("reelbox", "c-7",
                     "<AdNetworkGameID1>zelvan</AdNetworkGameID1><AdNetworkGameID2>chat</AdNetworkGameID2>") +
           adNetwork("marlin", "c-8", "<AdFormat>1</AdFormat>") + "</AdNetworkArray>";
}

// The good reply of each method.
std::string goodReply(const std::string& method, const DevAdsRequest& request) {
    if (auto goods = orvaneGoodsReply(method, request)) {
        return envelope(*goods);
    }
    if (auto offers = orvaneOffersReply(method, request)) {
        return envelope(*offers);
    }
    if (method == "Connect") {
        return envelope("<UserAccountObject><FriendlyName>Demo Player</FriendlyName><CurrencyName>Coins</CurrencyName>"
                        "<TapPoints>120</TapPoints><PointsID>pts-1001</PointsID></UserAccountObject>"
                        "<ScoresAndFilterInfo><FilterName1>Level</FilterName1><ScoreName1>Points</ScoreName1>"
                        "<FilterValues1><FilterValue><Value>1</Value><Caption>Easy</Caption></FilterValue>"
                        "<FilterValue><Value>2</Value><Caption>Hard</Caption></FilterValue></FilterValues1>"
                        "</ScoresAndFilterInfo>");
    }
    if (method == "GetAdOrder") {
        return envelope(adOrderReply());
    }
    if (method == "GetPicture") {
        return envelope("<PictureObject><Image>" + std::string(kPixelPngBase64) +
                        "</Image><ImageName>pixel.png</ImageName></PictureObject>");
    }
    if (method == "GetQuote") {
        return envelope("<QuoteObject><Text>Play fair.</Text><Author>Demo</Author></QuoteObject>");
    }
    return envelope("<Result>OK</Result>");
}

// GetOrvaneAd: the house ad chosen by "AdCampaignID" - "picture", "html", "both", "ErrorMessage", "empty"
// (an ad with neither), "204", "500", "notxml"; any other campaign gets the HTML banner.
void houseAdReply(const DevAdsRequest& request, DevAdsResponse& response) {
    const std::string campaign = request.param("AdCampaignID");
    const std::string html = "&lt;html&gt;&lt;body style=\"margin:0;background:#0E2C4C;color:#F2C14E;"
                             "font:bold 18px sans-serif;text-align:center\"&gt;&lt;a href=\"http://127.0.0.1/house\" "
                             "style=\"color:#F2C14E\"&gt;Zelvan house ad: play together today&lt;/a&gt;"
                             "&lt;/body&gt;&lt;/html&gt;";
    const std::string picture = "<Image>" + std::string(kPixelPngBase64) + "</Image>";
    const std::string click = "<ClickURL>http://127.0.0.1/house</ClickURL><OpenIn>InApp</OpenIn>";
    response.status = 200;
    if (campaign == "picture") {
        response.body = envelope("<OrvaneAdObject>" + picture + click + "</OrvaneAdObject>");
    } else if (campaign == "both") {
        response.body =
            envelope("<OrvaneAdObject>" + picture + "<AdHTML>" + html + "</AdHTML>" + click + "</OrvaneAdObject>");
    } else if (campaign == "ErrorMessage") {
        response.body = envelope("<ErrorMessage>No house ad</ErrorMessage>");
    } else if (campaign == "empty") {
        response.body = envelope("<OrvaneAdObject><Image></Image><AdHTML></AdHTML></OrvaneAdObject>");
    } else if (campaign == "204") {
        response.status = 204;
    } else if (campaign == "500") {
        response.status = 500;
        response.body = "server error";
    } else if (campaign == "notxml") {
        response.body = "<OrvaneConnectReturnObject><OrvaneAdObject>\x01 not xml";
    } else {
        response.body =
            envelope("<OrvaneAdObject><Image></Image><AdHTML>" + html + "</AdHTML>" + click + "</OrvaneAdObject>");
    }
}

bool keyChecks(const DevAdsRequest& request) {
    const std::string key = request.param("ConnectKey");
    if (key.empty()) {
        return false;
    }
    return key == fnd::md5Hex(request.param("AppID") + request.param("DeviceID") + request.param("SDKVersion") +
                              request.param("Timestamp") + DevOrvaneService::kAppSecret);
}

} // namespace

void DevOrvaneService::setMode(const std::string& method, OrvaneReplyMode mode) {
    std::lock_guard lock(mutex_);
    modes_[method] = mode;
}

OrvaneReplyMode DevOrvaneService::mode(const std::string& method) const {
    std::lock_guard lock(mutex_);
    auto found = modes_.find(method);
    return found == modes_.end() ? OrvaneReplyMode::Good : found->second;
}

void DevOrvaneService::setReplyContent(const std::string& method, std::string inner) {
    std::lock_guard lock(mutex_);
    if (inner.empty()) {
        contents_.erase(method);
    } else {
        contents_[method] = std::move(inner);
    }
}

std::string DevOrvaneService::replyContent(const std::string& method) const {
    std::lock_guard lock(mutex_);
    auto found = contents_.find(method);
    return found == contents_.end() ? std::string() : found->second;
}

void DevOrvaneService::releaseStalls() {
    {
        std::lock_guard lock(mutex_);
        releasing_ = true;
    }
    released_.notify_all();
}

void DevOrvaneService::stall() {
    std::unique_lock lock(mutex_);
    released_.wait_for(lock, std::chrono::seconds(kStallSeconds), [this] { return releasing_; });
}

void addOrvaneRoutes(DevAdsServer& server, std::shared_ptr<DevOrvaneService> service) {
    server.addNetwork("/orvane", [service](const DevAdsRequest& request, DevAdsResponse& response) {
        constexpr std::string_view kService = "/orvane/Service1.asmx/";
        if (orvaneOfferWallRoute(request, response, *service)) {
            return true;
        }
        std::string method;
        if (request.path.starts_with(kService)) {
            method = request.path.substr(kService.size());
        } else if (request.path == "/orvane/service1.asmx/PurchaseVGWithCurrency") {
            method = "PurchaseVGWithCurrency";
        } else {
            return false;
        }
        if (method.empty() || method.find('/') != std::string::npos) {
            return false;
        }
        response.contentType = "text/xml; charset=utf-8";
        // A direct impression report carries no parameters at all.
        const bool direct = method == "AdShown" && request.query.empty();
        if (!direct && !keyChecks(request)) {
            ZLOG(Warn, "devads: orvane %s with a connect key that does not check", method);
            response.status = 200;
            response.body = envelope("<ErrorMessage>Invalid connect key</ErrorMessage>");
            return true;
        }
        if (method == "GetOrvaneAd" && service->mode(method) == OrvaneReplyMode::Good &&
            service->replyContent(method).empty()) {
            houseAdReply(request, response);
            return true;
        }
        switch (service->mode(method)) {
        case OrvaneReplyMode::Good: {
            response.status = 200;
            const std::string content = service->replyContent(method);
            response.body = content.empty() ? goodReply(method, request) : envelope(content);
            break;
        }
        case OrvaneReplyMode::ErrorMessage:
            response.status = 200;
            response.body = envelope("<ErrorMessage>The service is unavailable</ErrorMessage>");
            break;
        case OrvaneReplyMode::Garbage:
            response.status = 200;
            response.body = "<OrvaneConnectReturnObject><PictureObject>\x01 not xml";
            break;
        case OrvaneReplyMode::Empty:
            response.status = 200;
            break;
        case OrvaneReplyMode::ServerError:
            response.status = 500;
            response.body = "server error";
            break;
        case OrvaneReplyMode::Stall:
            service->stall();
            response.status = 500;
            response.body = "stalled";
            break;
        }
        return true;
    });
    addStoreItemRoutes(server, service);
}

} // namespace zelvan::devserver
