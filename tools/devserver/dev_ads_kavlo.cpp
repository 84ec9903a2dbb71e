// The Kavlo analytics network's route on the ad host: it decodes each batch's form fields and answers as
// the test or the demo cues it.
#include "tools/devserver/dev_ads_kavlo.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

#include "platform/foundation/escape.h"
#include "platform/foundation/log.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

constexpr auto kStallLimit = std::chrono::seconds(30);

// The top-level member names of a JSON object text (strings skipped, nesting counted).
std::vector<std::string> topLevelMembers(const std::string& json) {
    std::vector<std::string> members;
    int depth = 0;
    bool expectKey = false;
    for (size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '"') {
            size_t end = i + 1;
            while (end < json.size() && json[end] != '"') {
                end += json[end] == '\\' ? 2 : 1;
            }
            if (depth == 1 && expectKey && end < json.size()) {
                members.push_back(json.substr(i + 1, end - i - 1));
                expectKey = false;
            }
            i = end;
        } else if (c == '{' || c == '[') {
            ++depth;
            expectKey = depth == 1;
        } else if (c == '}' || c == ']') {
            --depth;
        } else if (c == ',' && depth == 1) {
            expectKey = true;
        }
    }
    return members;
}

} // namespace

DevKavloBatch decodeKavloBatch(const std::string& body) {
    DevKavloBatch batch;
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string::npos) {
            end = body.size();
        }
        const std::string field = body.substr(start, end - start);
        const size_t equals = field.find('=');
        if (equals != std::string::npos) {
            const std::string name = field.substr(0, equals);
            const std::string value = fnd::unescapeLenient(field.substr(equals + 1));
            if (name == "a") {
                batch.applicationId = value;
            } else if (name == "d") {
                batch.deviceId = value;
            } else if (name == "m") {
                batch.sdkVersion = value;
            } else if (name == "v") {
                batch.applicationVersion = value;
            } else if (name == "j") {
                batch.json = value;
            }
        }
        start = end + 1;
    }
    batch.members = topLevelMembers(batch.json);
    return batch;
}

// The banner pages by ad code ("a"): "251" answers 251 with suballocation 7, "404" answers 404, "custom"
// a page whose link is a "kavlo://" command, "open" a page whose shouldOpen() names the landing page; any
// other query a banner with a link to the landing page. "/kavlo/landing" is that landing page.
static bool answerKavloAd(const DevAdsRequest& request, DevAdsResponse& response) {
    if (request.path == "/kavlo/landing") {
        response.status = 200;
        response.contentType = "text/html; charset=utf-8";
        response.body = "<html><head><title>Kavlo landing</title></head><body style='background:#1d3557;color:#fff'>"
                        "<h1>Kavlo</h1><p>The advertiser's page.</p></body></html>";
        return true;
    }
    if (request.path == "/kavlo/touch") {
        response.status = 200;
        response.body = "ok";
        return true;
    }
    if (request.path != "/kavlo") {
        return false;
    }
    const std::string code = request.param("a");
    ZLOG(Info, "devads: kavlo ad query (code '%s', size '%s')", code, request.param("s"));
    if (code == "251") {
        response.status = 251;
        response.headers["X-Kavlo-Suballocation"] = "7";
        response.body = "suballocated";
        return true;
    }
    if (code == "404") {
        response.status = 404;
        response.body = "no ad";
        return true;
    }
    // Plain pages for banners read as raw HTML: a link tag in capitals, and no body at all.
    if (code == "upper") {
        response.status = 200;
        response.contentType = "text/html; charset=utf-8";
        response.body = "<A HREF='/kavlo/landing'><B>Kavlo</B> play today</A>";
        return true;
    }
    if (code == "empty") {
        response.status = 200;
        return true;
    }
    std::string link = "landing";
    std::string opens;
    if (code == "custom") {
        link = "touch?next=kavlo%3A%2F%2Fplay%20now";
    } else if (code == "open") {
        opens = "landing";
    }
    response.status = 200;
    response.contentType = "text/html; charset=utf-8";
    response.body = "<html><head><script>function shouldOpen() { return '" +
                    (opens.empty() ? std::string() : "http://" + request.header("Host") + "/kavlo/" + opens) +
                    "'; }</script></head><body style='margin:0;background:#e63946;color:#fff'>"
                    "<a href='/kavlo/" +
                    link +
                    "' style='color:#fff'><b>Kavlo</b> play the new game today</a>"
                    "</body></html>";
    return true;
}

struct DevKavloRecord::State {
    mutable std::mutex mutex;
    std::condition_variable released;
    bool stallsReleased = false;
    int status = 200;
    std::string reply = "1";
    std::deque<std::string> replies;
    std::vector<DevKavloBatch> batches;
};

DevKavloRecord::DevKavloRecord() : state_(std::make_shared<State>()) {}

std::vector<DevKavloBatch> DevKavloRecord::batches() const {
    std::lock_guard lock(state_->mutex);
    return state_->batches;
}

void DevKavloRecord::setReply(const std::string& body) {
    std::lock_guard lock(state_->mutex);
    state_->reply = body;
}

void DevKavloRecord::setReplies(std::vector<std::string> bodies) {
    std::lock_guard lock(state_->mutex);
    state_->replies.assign(bodies.begin(), bodies.end());
}

void DevKavloRecord::setStatus(int status) {
    std::lock_guard lock(state_->mutex);
    state_->status = status;
}

void DevKavloRecord::releaseStalls() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stallsReleased = true;
    }
    state_->released.notify_all();
}

std::shared_ptr<DevKavloRecord> addKavloRoutes(DevAdsServer& server) {
    auto record = std::make_shared<DevKavloRecord>();
    auto state = record->state_;
    server.addNetwork("/kavlo", [state](const DevAdsRequest& request, DevAdsResponse& response) {
        if (request.method == "GET") {
            return answerKavloAd(request, response);
        }
        if (request.method != "POST" || request.path != "/kavlo/post/sendData") {
            return false;
        }
        auto batch = decodeKavloBatch(request.body);
        std::unique_lock lock(state->mutex);
        ZLOG(Info, "devads: kavlo batch from %s: %d message(s)", batch.applicationId,
             static_cast<int>(batch.members.size()));
        state->batches.push_back(std::move(batch));
        if (state->status == 0 && !state->stallsReleased) {
            state->released.wait_for(lock, kStallLimit, [&] { return state->stallsReleased; });
            response.status = 503;
            return true;
        }
        response.status = state->status == 0 ? 503 : state->status;
        std::string reply = state->reply;
        if (!state->replies.empty()) {
            reply = state->replies.front();
            state->replies.pop_front();
        }
        response.body = response.status == 200 ? reply : std::string("server error");
        return true;
    });
    return record;
}

} // namespace zelvan::devserver
