// The Tallio analytics network on the ad host: POST "/tallio/aap.do" takes the binary session report,
// decodes it and records what it carried; the reply is 200 with the hook-ad reply stream (on cue a cut,
// damaged or empty one), or on cue 404, 500 or a stall. GET "/tallio/getCanvas.do" answers a canvas page
// (with a link to the store route) and records its query; GET "/tallio/getIPhoneApp.do" redirects twice,
// the second time to a store address under ".test" in a scheme the client does not fetch. The decoder reads the
// report's layout on its own, so tests can check the client's bytes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/devserver/dev_tallio_reply.h"

namespace zelvan::devserver {

class DevAdsServer;

struct DevTallioEvent {
    std::string name;
    std::vector<std::pair<std::string, std::string>> parameters;
};

struct DevTallioError {
    int64_t time = 0;
    std::string errorId, message, exception;
};

struct DevTallioImpression {
    int64_t sinceStart = 0;
    std::string hook;
    int64_t adId = 0, canvasId = 0;
    std::string cookie;
    int result = 0;
};

struct DevTallioSession {
    std::string appVersion;
    int64_t startTime = 0;
    int64_t length = 0; // -1: crashed
    std::string locale, timeZone;
    int internetAvailable = 0;
    std::string userID;
    int fixedOne = 0;
    double latitude = 0, longitude = 0;
    float accuracy = 0;
    int pageViewCount = 0;
    int fixedFF = 0;
    std::vector<std::pair<std::string, int32_t>> eventCounts;
    std::vector<DevTallioEvent> events;
    int eventLogComplete = 0;
    int32_t totalErrorCount = 0;
    std::vector<DevTallioError> errors;
    std::vector<DevTallioImpression> impressions;
};

struct DevTallioReport {
    int version = 0, requestAds = 0, major = 0, minor = 0;
    int64_t now = 0;
    std::string apiKey, appVersion, phoneId;
    int64_t initialTimestamp = 0, startTime = 0;
    std::vector<std::pair<std::string, std::string>> device;
    std::vector<DevTallioSession> sessions;
};

// The report in `body`, or nullopt when it is cut short or has bytes left over.
std::optional<DevTallioReport> decodeTallioReport(const std::string& body);

// What the report route received, and how it answers. Shared between the server thread and a test.
class DevTallioRecord {
public:
    DevTallioRecord();
    // The reports decoded so far, in order (undecodable ones are answered 400 and not kept).
    std::vector<DevTallioReport> reports() const;
    // The status of the next answers (200 unless set: 404, 500 ...); 0 stalls them until released.
    void setStatus(int status);
    // The hook-ad reply stream of the next successful answers (the full sample unless set).
    void setReply(DevTallioReplyKind kind);
    // The decoded queries of the canvas pages asked for, in order.
    std::vector<std::multimap<std::string, std::string>> canvasQueries() const;
    // How many times the store route's first address was asked for.
    int storeRequests() const;
    // Lets every stalled answer end now (with 503), and stalls no more.
    void releaseStalls();

    struct State;

private:
    friend std::shared_ptr<DevTallioRecord> addTallioRoutes(DevAdsServer& server);
    std::shared_ptr<State> state_;
};

std::shared_ptr<DevTallioRecord> addTallioRoutes(DevAdsServer& server);

} // namespace zelvan::devserver
