// The Brightpoint offer wall's routes on the ad host: the configuration answered by publisher key, the
// install report, the e-mail offer, the advertiser's install report and instructions, the direct
// payment and status pages, the paged offer lists with their icons and offer pages, the apps tab's lists
// and the currency store. Every URL in the configuration points back at the ad host.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/escape.h"
#include "tools/devserver/dev_ads_server.h"
#include "tools/devserver/dev_rules.h"

namespace zelvan::devserver {

namespace {

constexpr auto kStallLimit = std::chrono::seconds(30);

// The whole configuration with every tab on; `flags` is the text of the four tab flags.
std::string fullConfiguration(const std::string& base, const std::string& flags) {
    const std::string bp = base + "/brightpoint";
    return R"({"succ":"1","currency_name":"Gems","currency_color":"#FF8000",)"
           R"("apps_enabled":")" +
           flags + R"(","offers_enabled":")" + flags + R"(","direct_enabled":")" + flags + R"(","inapp_enabled":")" +
           flags +
           R"(","default_tab":"inapp",)"
           R"("status_url":")" +
           bp + R"(/status.html","direct_url":")" + bp + R"(/direct.html","offers_url":")" + bp +
           R"(/offers","apps_url":")" + bp + R"(/apps","inapp_url":")" + bp + R"(/inapp","inapp_verify_url":")" + bp +
           R"(/inapp_verify","inapp_footer":"Gems never expire.",)"
           R"("app_tab_urls":[")" +
           bp + R"(/apps?list=top"],"app_tab_titles":["Top"],"offer_tab_urls":[")" + bp + R"(/offers?tab=0",")" + bp +
           R"(/offers?tab=1"],"offer_tab_titles":["Featured","Games"],"user_agent":"ZelvanWall/1.0"})";
}

std::string page(const std::string& title) {
    return "<html><head><title>" + title + "</title></head><body><h1>" + title +
           "</h1><a id=\"store\" href=\"itms://store.test/app/id100\">Store</a></body></html>";
}

// One app of the apps tab's lists; app 3's referral link is gone (404).
std::string appRecord(const std::string& bp, int n, const char* title, const char* currency, const char* price) {
    const std::string id = std::to_string(n);
    const std::string link = n == 3 ? "gone" : id;
    return R"({"title":")" + std::string(title) + R"(","currency":")" + currency + R"(","price":")" + price +
           R"(","body":"Dig for gems in a hundred caverns, trade them with friends and build the deepest mine.",)"
           R"("fineprint":"Install the app and open it once to earn your reward.","image_url":")" +
           bp + "/app_icon.png?app=" + id + R"(","screenshot_url":")" + bp + "/app_shot.png?app=" + id +
           R"(","url":")" + bp + "/app_link?app=" + link + R"("})";
}

// The apps tab's routes. "/apps" is a list page by "list": "top" has 3 apps on page 0 and none after,
// "empty" none, "fail" answers 500. "/app_icon.png" (57 x 57) and "/app_shot.png" (280 x 460) are
// pictures by app. "/app_link?app=<n>" redirects twice ("/app_hop", then "/store/app/<n>", a page);
// "app=gone" answers 404.
bool appsRoute(const std::string& base, const DevAdsRequest& request, DevAdsResponse& response) {
    const std::string bp = base + "/brightpoint";
    const std::string& path = request.path;
    if (path == "/brightpoint/apps") {
        const std::string list = request.param("list");
        if (list == "fail") {
            response.status = 500;
            response.body = "server error";
        } else if (list == "top" && request.param("page") == "0") {
            response.body = "[" + appRecord(bp, 1, "Gem Miner", "25", "Free") + "," +
                            appRecord(bp, 2, "Cave Racer", "40", "$0.99") + "," +
                            appRecord(bp, 3, "Crystal Quest", "15", "Free") + "]";
        } else {
            response.body = "[]";
        }
        return true;
    }
    if (path == "/brightpoint/app_icon.png" || path == "/brightpoint/app_shot.png") {
        const bool icon = path == "/brightpoint/app_icon.png";
        const uint32_t colours[] = {0x3A7BD5, 0xE0702A, 0x2EA86B};
        const int app = std::max(1, std::min(3, std::atoi(request.param("app").c_str())));
        const fnd::Bytes png = solidPng(icon ? 57 : 280, icon ? 57 : 460, colours[app - 1]);
        response.contentType = "image/png";
        response.body.assign(png.begin(), png.end());
        return true;
    }
    if (path == "/brightpoint/app_link" || path == "/brightpoint/app_hop") {
        const std::string app = request.param("app");
        if (app == "gone") {
            response.status = 404;
            response.body = "no such app";
            return true;
        }
        response.status = 302;
        response.headers["Location"] =
            path == "/brightpoint/app_link" ? bp + "/app_hop?app=" + app : bp + "/store/app/" + app;
        return true;
    }
    if (path.starts_with("/brightpoint/store/app/")) {
        response.contentType = "text/html; charset=utf-8";
        response.body = "<html><body><h1>App " + path.substr(23) + "</h1></body></html>";
        return true;
    }
    return false;
}

// A field of a form body ("a=1&b=2"), unescaped; "" when missing.
std::string formField(const std::string& body, const std::string& name) {
    size_t at = 0;
    while (at <= body.size()) {
        size_t end = body.find('&', at);
        if (end == std::string::npos) {
            end = body.size();
        }
        const std::string field = body.substr(at, end - at);
        if (field.starts_with(name + "=")) {
            return fnd::unescapeLenient(field.substr(name.size() + 1));
        }
        at = end + 1;
    }
    return "";
}

// The in-app store's routes. "/inapp" is the inventory: the catalogue's gem packs, or by "kind" "abc"
// (["A", "B", "C"]), "empty", "object" (not an array), "mixed" (entries of wrong kinds among "A" and "C")
// or "fail" (500). "/inapp_verify" checks a posted receipt by its product id - "invalid" "succ" "2",
// "undecided" "0", "empty" no body, "notobject" an array, "fail" 500, "huge" and "nonnumeric" amounts;
// "com.zelvan.gems.<n>" credits n, anything else 500 - unless the query's "answer" names one of these.
bool storeRoute(const DevAdsRequest& request, DevAdsResponse& response) {
    if (request.path == "/brightpoint/inapp") {
        const std::string kind = request.param("kind");
        if (kind == "abc") {
            response.body = R"([{"itunes_product_id":"A"},{"itunes_product_id":"B"},{"itunes_product_id":"C"}])";
        } else if (kind == "empty") {
            response.body = "[]";
        } else if (kind == "object") {
            response.body = R"({"itunes_product_id":"A"})";
        } else if (kind == "mixed") {
            response.body = R"([{"itunes_product_id":"A"},5,{"itunes_product_id":7},{"id":"B"},"C",)"
                            R"({"itunes_product_id":"C"}])";
        } else if (kind == "fail") {
            response.status = 500;
            response.body = "server error";
        } else {
            response.body =
                R"([{"itunes_product_id":"com.zelvan.gems.500"},{"itunes_product_id":"com.zelvan.gems.1200"}])";
        }
        return true;
    }
    if (request.path == "/brightpoint/inapp_verify") {
        std::string answer = request.param("answer");
        if (answer.empty()) {
            answer = formField(request.body, "product_id");
        }
        constexpr std::string_view kGems = "com.zelvan.gems.";
        if (answer.find("invalid") != std::string::npos) {
            response.body = R"({"succ":"2"})";
        } else if (answer.find("undecided") != std::string::npos) {
            response.body = R"({"succ":"0"})";
        } else if (answer.find("empty") != std::string::npos) {
            response.body.clear();
        } else if (answer.find("notobject") != std::string::npos) {
            response.body = R"(["succ","1"])";
        } else if (answer.find("huge") != std::string::npos) {
            response.body = R"({"succ":"1","currency_amount":"99999999999"})";
        } else if (answer.find("nonnumeric") != std::string::npos) {
            response.body = R"({"succ":"1","currency_amount":"lots"})";
        } else if (answer.starts_with(kGems)) {
            response.body = R"({"succ":"1","currency_amount":")" + answer.substr(kGems.size()) + R"("})";
        } else if (answer == "valid" || answer.size() == 1) {
            response.body = R"({"succ":"1","currency_amount":"500"})";
        } else {
            response.status = 500;
            response.body = "server error";
        }
        return true;
    }
    return false;
}

} // namespace

struct DevBrightpointRecord::State {
    std::mutex mutex;
    std::condition_variable released;
    bool stallsReleased = false;
    bool pagesHeld = false;
};

namespace {

constexpr int kOffersPerPage = 10;

// Offer `n` of the lists: even numbers with an icon, odd ones without; odd ones are made for the phone.
std::string offerJson(const std::string& bp, int n) {
    const std::string id = std::to_string(n);
    std::string json = R"({"offer_id":")" + id + R"(","title":"Offer )" + id +
                       R"(: play and win",)"
                       R"("body":"Install the game and reach level )" +
                       std::to_string(3 + n % 5) + R"( to earn your reward.","currency":")" +
                       std::to_string(10 * (1 + n % 7)) + R"(","fineprint":"New players only.","url":")" + bp +
                       "/offer/" + id + R"(.html","is_iphone_formatted":")" + (n % 2 == 1 ? "1" : "0") +
                       R"(","offer_provider":"devwall")";
    if (n % 2 == 0) {
        json += R"(,"image_url":")" + bp + "/img/" + id + R"(.png")";
    }
    return json + "}";
}

// "/brightpoint/offers?tab=<tab>&page=<page>": tab 0 has two pages of offers and tab 1 one, then empty
// pages; tab "fail" answers 500, "object" a JSON object, "mixed" a list holding non-objects, and "stall"
// nothing until the stalls are released (or 30 s), then 503. While the pages are held, every page waits
// for their release (or the stalls', or 30 s) before it is answered.
void answerOfferPage(const std::string& bp, const std::string& tab, const std::string& pageText,
                     DevBrightpointRecord::State& state, DevAdsResponse& response) {
    const int page = std::atoi(pageText.c_str());
    {
        std::unique_lock lock(state.mutex);
        state.released.wait_for(lock, kStallLimit, [&] { return !state.pagesHeld || state.stallsReleased; });
    }
    if (tab == "fail") {
        response.status = 500;
        response.body = "server error";
        return;
    }
    if (tab == "stall") {
        std::unique_lock lock(state.mutex);
        state.released.wait_for(lock, kStallLimit, [&] { return state.stallsReleased; });
        response.status = 503;
        response.body = "stalled";
        return;
    }
    if (tab == "object") {
        response.body = R"({"offers":[]})";
        return;
    }
    if (tab == "mixed") {
        response.body = "[1,\"text\",null,[]," + offerJson(bp, 900) + "]";
        return;
    }
    const int pages = tab == "0" ? 2 : tab == "1" ? 1 : 0;
    response.body = "[";
    if (page >= 0 && page < pages) {
        for (int k = 0; k < kOffersPerPage; ++k) {
            response.body +=
                (k > 0 ? "," : "") + offerJson(bp, std::atoi(tab.c_str()) * 100 + page * kOffersPerPage + k);
        }
    }
    response.body += "]";
}

// "/brightpoint/img/<n>.png": an 80 x 80 icon whose colour follows n; other names are not found.
bool answerOfferIcon(const std::string& path, DevAdsResponse& response) {
    const std::string name =
        path.substr(std::string("/brightpoint/img/").size(), path.size() - std::string("/brightpoint/img/").size() - 4);
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
        response.status = 404;
        return true;
    }
    const uint32_t n = static_cast<uint32_t>(std::atoi(name.c_str()));
    const uint32_t rgb =
        (((40 + n * 53) % 200 + 40) << 16) | (((90 + n * 97) % 200 + 40) << 8) | ((150 + n * 31) % 200 + 40);
    const fnd::Bytes png = solidPng(80, 80, rgb);
    response.contentType = "image/png";
    response.body.assign(png.begin(), png.end());
    return true;
}

// The offer lists' routes; false for any other path.
bool answerOfferRoutes(const DevAdsRequest& request, const std::string& bp, DevBrightpointRecord::State& state,
                       DevAdsResponse& response) {
    const std::string& path = request.path;
    if (path == "/brightpoint/offers") {
        answerOfferPage(bp, request.param("tab"), request.param("page"), state, response);
        return true;
    }
    if (path.starts_with("/brightpoint/img/") && path.ends_with(".png")) {
        return answerOfferIcon(path, response);
    }
    if (path.starts_with("/brightpoint/offer/") && path.ends_with(".html")) {
        response.contentType = "text/html; charset=utf-8";
        response.body = page("Offer " + path.substr(19, path.size() - 19 - 5));
        return true;
    }
    return false;
}

} // namespace

DevBrightpointRecord::DevBrightpointRecord() : state_(std::make_shared<State>()) {}

void DevBrightpointRecord::releaseStalls() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stallsReleased = true;
    }
    state_->released.notify_all();
}

void DevBrightpointRecord::holdOfferPages() {
    std::lock_guard lock(state_->mutex);
    state_->pagesHeld = true;
}

void DevBrightpointRecord::releaseOfferPages() {
    {
        std::lock_guard lock(state_->mutex);
        state_->pagesHeld = false;
    }
    state_->released.notify_all();
}

std::shared_ptr<DevBrightpointRecord> addBrightpointRoutes(DevAdsServer& server) {
    auto record = std::make_shared<DevBrightpointRecord>();
    auto state = record->state_;
    DevAdsServer* host = &server;
    server.addNetwork("/brightpoint", [state, host](const DevAdsRequest& request, DevAdsResponse& response) {
        const std::string& path = request.path;
        response.status = 200;
        response.contentType = "application/json";
        if (path == "/brightpoint/iphone/config") {
            const std::string key = request.param("key");
            if (key == "refuse") {
                response.body = R"({"succ":"2","message":"This wall is closed for maintenance."})";
            } else if (key == "other") {
                response.body = R"({"succ":"3"})";
            } else if (key == "nosucc") {
                response.body = R"({"message":"no success value"})";
            } else if (key == "garbage") {
                response.body = "<html>not json</html>";
            } else if (key == "empty") {
                response.body.clear();
            } else if (key == "wrongkinds") {
                response.body = R"({"succ":"1","currency_color":255,"apps_enabled":1,"offers_enabled":"1",)"
                                R"("default_tab":null,"app_tab_urls":"x","app_tab_titles":[1,"Top"],)"
                                R"("status_url":{"a":"b"},"user_agent":7})";
            } else if (key == "alloff") {
                response.body = fullConfiguration(host->baseURL(), "0");
            } else if (key == "error500") {
                response.status = 500;
                response.body = "server error";
            } else if (key == "stall") {
                std::unique_lock lock(state->mutex);
                state->released.wait_for(lock, kStallLimit, [&] { return state->stallsReleased; });
                response.status = 503;
                response.body = "stalled";
            } else {
                response.body = fullConfiguration(host->baseURL(), "1");
            }
            return true;
        }
        if (path == "/brightpoint/iphone/report_install" || path == "/brightpoint/iphone/report_install_basic" ||
            path == "/brightpoint/iphone/get_install_instructions") {
            const std::string adKey = request.param("ad_key");
            if (adKey == "error500") {
                response.status = 500;
                response.body = "server error";
            } else if (adKey == "empty") {
                response.body.clear();
            } else if (path == "/brightpoint/iphone/get_install_instructions") {
                response.contentType = "text/plain; charset=utf-8";
                response.body = "Open the app once to earn your reward.";
            } else if (adKey == "refuse") {
                response.body = R"({"succ":"0","message_title":"Sorry","message_body":"Not this time."})";
            } else {
                response.body = R"({"succ":"1","message_title":"Thanks!","message_body":"Your install was reported."})";
            }
            return true;
        }
        if (path == "/brightpoint/iphone/email_offer") {
            if (request.body.starts_with("email=refuse")) {
                response.body = R"({"succ":"0","message_title":"Not sent","message_body":"That address was refused."})";
            } else {
                response.body = R"({"succ":"1","message_title":"Sent","message_body":"Check your inbox."})";
            }
            return true;
        }
        if (path == "/brightpoint/direct.html" || path == "/brightpoint/status.html") {
            response.contentType = "text/html; charset=utf-8";
            // Titled by what the configuration's "direct_url" and "status_url" name: the direct payment
            // page and the account's status page.
            response.body = page(path == "/brightpoint/direct.html" ? "Direct payment" : "Account status");
            return true;
        }
        if (answerOfferRoutes(request, host->baseURL() + "/brightpoint", *state, response) ||
            storeRoute(request, response) || appsRoute(host->baseURL(), request, response)) {
            return true;
        }
        response.status = 404;
        return false;
    });
    return record;
}

} // namespace zelvan::devserver
