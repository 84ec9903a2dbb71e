// DevAdsServer: the dev server's ad host, a loopback HTTP server on its own port for the ad, offer,
// analytics and store networks. Requests are routed by their first path segment ("/adwick", "/selvo",
// ...) to the routes each network adds; anything else is 404. Every request is logged and recorded.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zelvan::devserver {

struct DevAdsRequest {
    std::string method;
    std::string path;                              // without the query
    std::multimap<std::string, std::string> query; // decoded query parameters
    std::multimap<std::string, std::string> headers;
    std::string body;
    int status = 0; // what it was answered with

    // The first value of a header field (any case), or "".
    std::string header(const std::string& name) const;
    std::string param(const std::string& name) const;
};

struct DevAdsResponse {
    // How the body goes out: with its length; without one (the connection's close ends it); or with
    // twice its length announced and the connection closed after the body (a cut transfer).
    enum class Delivery { Whole, NoLength, Cut };

    int status = 404;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
    std::map<std::string, std::string> headers;
    Delivery delivery = Delivery::Whole;
};

class DevAdsServer {
public:
    // Answers a request under its network's prefix; false leaves it 404.
    using Route = std::function<bool(const DevAdsRequest&, DevAdsResponse&)>;

    explicit DevAdsServer(uint16_t port = 0);
    ~DevAdsServer();
    DevAdsServer(const DevAdsServer&) = delete;
    DevAdsServer& operator=(const DevAdsServer&) = delete;

    // Routes for requests whose path starts with `prefix` + "/" (e.g. "/adwick"); before start().
    void addNetwork(const std::string& prefix, Route route);

    // Binds 127.0.0.1 and serves on its own thread; false (logged) when binding fails.
    bool start();
    void stop();
    uint16_t port() const { return port_; }
    // "http://127.0.0.1:PORT", the base the client's --ads-base takes.
    std::string baseURL() const;

    // The requests answered so far, in order (any thread).
    std::vector<DevAdsRequest> requests() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    uint16_t port_ = 0;
};

// What the Brightpoint routes keep: the release of stalled answers and the hold on the offer pages.
class DevBrightpointRecord {
public:
    DevBrightpointRecord();
    // Lets every stalled answer end now (503) rather than after its 30 s limit; held pages go too.
    void releaseStalls();
    // Offer pages asked for from now on are answered only at releaseOfferPages (or releaseStalls, or
    // after 30 s), so a test sees the list while its page is still on the way.
    void holdOfferPages();
    void releaseOfferPages();

    struct State;

private:
    friend std::shared_ptr<DevBrightpointRecord> addBrightpointRoutes(DevAdsServer& server);
    std::shared_ptr<State> state_;
};

// The Brightpoint offer wall's routes under "/brightpoint": "/iphone/config" answering by publisher key
// ("refuse" "succ" "2" with a message, "other" another value, "nosucc", "garbage" not JSON, "empty",
// "wrongkinds", "alloff" every tab off, "error500", "stall"; any other key the whole configuration),
// "/iphone/report_install", "/iphone/report_install_basic" (ad key "refuse" answers "succ" "0") and
// "/iphone/get_install_instructions" (text) - for all three ad key "error500" answers 500 and "empty" 200
// with no body -, "/iphone/email_offer" (an address starting "refuse" answers "succ" "0") and the pages
// "/direct.html" and "/status.html".
// Offer lists: "/offers?tab=<t>&page=<p>" (tab 0 two pages of 10 offers, tab 1 one, then empty pages;
// tabs "fail" 500, "object" a JSON object, "mixed" a list with non-objects, "stall" as above), their
// icons "/img/<n>.png" and offer pages "/offer/<n>.html".
// The apps tab's lists, pictures and referral redirects, and the currency store's inventory and
// receipt check (docs/dev-server.md).
std::shared_ptr<DevBrightpointRecord> addBrightpointRoutes(DevAdsServer& server);

// The Ostrom network's routes: "/ostrom/oapi/reqAd.jsp" answering by "adspace" ("error" an error element,
// "500", "nolink" an ad without an image link, "noclick" one without a click target, "notxml", "repeated" two ads;
// anything else one ad, each reply with the user id "abc"), "/ostrom/img/<n>.png" and "/ostrom/landing".
// A 1 x 1 opaque grey PNG: the picture the networks' image routes answer with.
std::string greyPixelPng();

void addOstromRoutes(DevAdsServer& server);
// The Reelbox network's routes: ad tags "/reelbox/LSERVER/hserver/..." by publisher ("type1" ... "type4"
// a working ad of that type, "noclose" one without getCloseBounds(), anything else type 1), the sample
// "/reelbox/ads/iphone/sample/invite.html", "/reelbox/ads/takeover.html" and "/reelbox/ads/ad.css".
void addReelboxRoutes(DevAdsServer& server);

// The Adwick network's routes: browser and image PNGs, the English strings table (other languages 404)
// and the redirect helper "/adwick/redirect?to=<url>" (302).
void addAdwickRoutes(DevAdsServer& server);

// What the Selvo routes received: the Cookie field of every request (in order) and the launch reports.
class DevSelvoRecord {
public:
    DevSelvoRecord();
    std::vector<std::string> cookies() const;
    int launchReports() const;
    // Lets every stalled answer end now (503) rather than after its 30 s limit.
    void releaseStalls();

    struct State;

private:
    friend std::shared_ptr<DevSelvoRecord> addSelvoRoutes(DevAdsServer& server);
    std::shared_ptr<State> state_;
};

// The Selvo network's routes: "/selvo/adserver/render" and "/selvo/batch/adserver/render" (XML replies by
// publisher id: "error500", "garbage", "empty", "stall", "text", "otherdomain", anything else image ads),
// "/selvo/adserver/logAction", "/selvo/img/<n>.png" and "/selvo/pixel/<id>". Each answer sets a cookie.
std::shared_ptr<DevSelvoRecord> addSelvoRoutes(DevAdsServer& server);

} // namespace zelvan::devserver

namespace zelvan::devserver {

// How the fake offer service answers one method.
enum class OrvaneReplyMode { Good, ErrorMessage, Garbage, Empty, ServerError, Stall };

// The fake offer service's switches: a reply mode per method (Good unless set) and the release of stalled
// requests. Shared between the routes (server thread) and a test.
class DevOrvaneService {
public:
    // The key the client computes: md5(app id + device id + SDK version + timestamp + this secret).
    static constexpr const char* kAppSecret = "c4b1f0e2-zelvan-offers";
    // A stalled request is answered after this many seconds at most (or at releaseStalls).
    static constexpr int kStallSeconds = 10;

    void setMode(const std::string& method, OrvaneReplyMode mode);
    OrvaneReplyMode mode(const std::string& method) const;
    // What a Good reply of `method` carries inside its envelope instead of the canned content; an empty
    // text restores the canned one.
    void setReplyContent(const std::string& method, std::string inner);
    std::string replyContent(const std::string& method) const;
    // Lets every stalled request go (with a 500), now and from now on.
    void releaseStalls();
    // Waits while a stall holds (server thread).
    void stall();

private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool releasing_ = false;
    std::map<std::string, OrvaneReplyMode> modes_;
    std::map<std::string, std::string> contents_;
};

// The bought items' files on the ad host under "/store/items/<name>" (dev_ads_store_items.cpp); the
// records of the fake offer service point at them. Stalled files wait on the service's stalls.
void addStoreItemRoutes(DevAdsServer& server, std::shared_ptr<DevOrvaneService> service);

// The offer network's web service under "/orvane": "/orvane/Service1.asmx/<Method>" (and
// "/orvane/service1.asmx/PurchaseVGWithCurrency") answer canned XML per method in the service's mode;
// a request whose connect key does not check gets an ErrorMessage reply.
void addOrvaneRoutes(DevAdsServer& server, std::shared_ptr<DevOrvaneService> service);
// The inside of the good reply to a store or leaderboard method (dev_ads_orvane_goods.cpp), or none for
// another method.
std::optional<std::string> orvaneGoodsReply(const std::string& method, const DevAdsRequest& request);
// The inside of the good GetOffers reply (dev_ads_orvane_offers.cpp), or none for another method.
std::optional<std::string> orvaneOffersReply(const std::string& method, const DevAdsRequest& request);
// The offer wall's other answers: GetAppIcon (no connect key), the offers' action pages and the video
// files; false for any other path.
bool orvaneOfferWallRoute(const DevAdsRequest& request, DevAdsResponse& response, DevOrvaneService& service);

} // namespace zelvan::devserver
