// The Kavlo analytics network on the ad host: POST "/kavlo/post/sendData" takes one form-encoded batch of
// events, records its decoded fields and answers "1" (accepted), or on cue another text ("0", garbage),
// another status (500) or a stall. GET "/kavlo" answers the web-view banner's ad query with a scripted page
// chosen by the ad code "a" ("251", "404", "custom" with a "kavlo://" link, "open" with a landing page to
// open, anything else a plain banner), "/kavlo/landing" is the ads' landing page and "/kavlo/touch" counts
// a touched custom ad.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zelvan::devserver {

class DevAdsServer;

struct DevKavloBatch {
    std::string applicationId, deviceId, sdkVersion, applicationVersion; // a, d, m, v (decoded)
    std::string json;                                                    // j (decoded)
    std::vector<std::string> members;                                    // j's top-level keys ("o12" ...)
};

// The fields of one form body; members holds j's top-level keys in order. Malformed escapes stay as sent.
DevKavloBatch decodeKavloBatch(const std::string& body);

// What the route received, and how it answers. Shared between the server thread and a test.
class DevKavloRecord {
public:
    DevKavloRecord();
    // Every batch received, in order, accepted or not.
    std::vector<DevKavloBatch> batches() const;
    // The body of the next answers ("1" unless set).
    void setReply(const std::string& body);
    // Bodies for the next answers, one each, before the setReply body applies again.
    void setReplies(std::vector<std::string> bodies);
    // The status of the next answers (200 unless set); 0 stalls them until released (then 503).
    void setStatus(int status);
    // Lets every stalled answer end now, and stalls no more.
    void releaseStalls();

    struct State;

private:
    friend std::shared_ptr<DevKavloRecord> addKavloRoutes(DevAdsServer& server);
    std::shared_ptr<State> state_;
};

std::shared_ptr<DevKavloRecord> addKavloRoutes(DevAdsServer& server);

} // namespace zelvan::devserver
