// Brightpoint: the offer wall's one client object. It holds the publisher key and user id the host
// gives it, builds the configuration request and reads its reply into a typed configuration, reports
// an advertised application's install once per ad key, e-mails an offer's link, forwards currency
// grants, and lends the rest of the wall its asynchronous JSON GET and POST, its percent-encoder, its
// colour reader and Base64.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bridge_targets.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/observer_token.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"

namespace ui {
class ViewController;
}

namespace zelvan::brightpoint {

class BPReachability;
class Brightpoint;

// Makes the wall the client presents when a configuration reply asks for it (the tab bar), for `client`.
using BPWallMaker = std::function<std::shared_ptr<ui::ViewController>(const std::shared_ptr<Brightpoint>& client)>;

// Hears the currency that the wall's store grants.
class BrightpointDelegate {
public:
    virtual ~BrightpointDelegate() = default;
    virtual void didReceiveCurrency(int amount) = 0;
};

inline constexpr std::string_view kBPNoInternetMessage =
    "No internet connection was found.  You must be online to use this part of the application.";
inline constexpr std::string_view kBPEmailFailedMessage =
    "Sorry we couldn't email the application. Please try again, and check your internet connection.";

// The wall's configuration as the server's reply gives it. A field of the wrong kind counts as missing.
struct BPConfiguration {
    std::optional<std::string> currencyName;
    gfx::Color currencyColor{0, 0, 0, 1};
    bool appsTabEnabled = false;
    bool offersTabEnabled = false;
    bool directTabEnabled = false;
    bool inAppTabEnabled = false;
    std::optional<std::string> defaultTab;
    std::optional<std::string> statusURL;
    std::optional<std::string> directURL;
    std::optional<std::string> offersURL;
    std::optional<std::string> appsURL;
    std::optional<std::string> inAppURL;
    std::optional<std::string> inAppVerifyURL;
    std::optional<std::string> inAppFooter;
    // Only the text entries of the reply's arrays, in order.
    std::vector<std::string> appTabUrls;
    std::vector<std::string> appTabTitles;
    std::vector<std::string> offerTabUrls;
    std::vector<std::string> offerTabTitles;
    std::optional<std::string> userAgent;
};

// What a configuration reply asks for: the wall (no message) or the error window with `errorMessage`.
struct BPConfigurationOutcome {
    bool showWall = false;
    std::string errorMessage;
};

class Brightpoint : public std::enable_shared_from_this<Brightpoint> {
public:
    // The client of the registry's offer-wall context, made on first use; null without one
    // (brightpoint_entry_points.cpp).
    static std::shared_ptr<Brightpoint> shared();

    // `server` is the offer-wall API server ("http://host:port/brightpoint", no trailing slash), or ""
    // when none is known: then nothing is sent and every request fails as with no reply. `makeWall`
    // makes the wall on each good configuration reply. Sets the uid to the device's unique identifier
    // and the country code from the current locale.
    Brightpoint(std::string server, BPWallMaker makeWall);
    Brightpoint(const Brightpoint&) = delete;
    Brightpoint& operator=(const Brightpoint&) = delete;

    const std::string& server() const { return server_; }

    void setKey(std::string key);
    void setUID(std::string uid);
    void setDelegate(std::weak_ptr<BrightpointDelegate> delegate);
    void setAge(std::optional<std::string> age);
    void setSex(std::optional<std::string> sex);
    std::string key() const;
    std::string uid() const;
    const std::string& countryCode() const { return countryCode_; }
    static std::string currentVersion() { return "9"; }

    // The internet monitor, started when the client is made (null when it cannot be made).
    const std::shared_ptr<BPReachability>& reachability() const { return reachability_; }

    // The configuration request's URL: "/iphone/config" with uid, key, ver, uuid, locale, app_ver,
    // bundle, model, sys_name, sys_ver, then age and sex when set, each value percent-encoded.
    // nullopt (and one WARN line) without a server or when a value cannot be encoded.
    std::optional<std::string> configurationURL() const;

    // Reads a configuration reply: "succ" "1" stores the configuration and asks for the wall; "2" asks
    // for the error window with the reply's "message"; anything else (not JSON, not an object, no
    // "succ", a kind other than text) asks for it with the no-internet text. Main thread.
    BPConfigurationOutcome applyConfigurationReply(const fnd::Bytes& reply);
    const BPConfiguration& configuration() const { return configuration_; }

    // Fetches the configuration and then shows the wall or the error window over the key window; while
    // a request is in flight further calls do nothing. Without a network (or a server), the error
    // window with the no-internet text comes at once. Main thread.
    void displayPaymentWindow();
    // Closes the wall or the error window: status bar restored, the root page removed with a reveal
    // towards the bottom.
    void dismissWindow();
    // Shows the error page with `message` in place of whatever the root page presents.
    void displayErrorWindow(std::string message);
    // While the error window shows and the network is back: closes it and asks again.
    void reachabilityChanged();

    bool isLoading() const { return isLoading_; }
    bool isDisplayingErrorWindow() const { return isDisplayingErrorWindow_; }
    // The page laid over the key window while the wall or its error shows; null before the first.
    const std::shared_ptr<ui::ViewController>& rootController() const { return rootController_; }

    // Reports the install of `adKey`, once per ad key: nothing when the ad key is marked in user defaults;
    // a reply with "succ" "1" marks it and shows the reply's alert on the main thread. The request runs on
    // the calling thread's loop; `done`, when given, runs there once the report has ended (at once when
    // nothing is sent).
    void reportInstall(const std::string& adKey, std::function<void()> done = {});

    // Posts the offer's link for `email` to "/iphone/email_offer" and shows the reply's alert (storing
    // the address on "succ" "1"), or the "Error" alert without a reply. Main thread; the reply comes on a
    // later turn of the main loop.
    void sendOffer(const fnd::Value& offer, const std::string& email);

    // Forwards to the delegate when there is one.
    void didReceiveCurrency(int amount);

    // JSON requests (5 s, status 200 only) on the calling thread's loop: `completion` runs there with the
    // parsed value, or nullopt (one log line says why), never inside the call and never once `owner` has
    // gone (fnd::fetch's rules). Cancelling `cancel` ends the request with nullopt.
    using JSONCompletion = std::function<void(std::optional<fnd::Value>)>;
    static void getRequest(const std::string& url, std::weak_ptr<const void> owner, JSONCompletion completion,
                           std::shared_ptr<fnd::UrlCancelToken> cancel = nullptr);
    static void postRequest(const std::string& url, const std::string& body, std::weak_ptr<const void> owner,
                            JSONCompletion completion);

    // Percent-escapes ASCII text, escaping % blank ' " ? = & + < > ; : - too; nullopt outside ASCII.
    static std::optional<std::string> urlEncode(std::string_view text);
    // "#RRGGBB" or "RRGGBB" (blanks and line ends around it, any case); black for anything else.
    static gfx::Color colorForHex(std::string_view text);
    static std::string base64Encode(const uint8_t* bytes, size_t length);

    // The user default keys of the install mark and the last e-mail address.
    static std::string reportedKey(std::string_view adKey);
    static std::string emailKey(std::string_view key);

private:
    void configurationFinished(const fnd::Result<fnd::FetchReply>& reply);
    void showStatusBar();
    void restoreStatusBar();
    void initializeRootWindow();
    static void showAlert(std::string title, std::string message);

    const std::string server_;
    const BPWallMaker makeWall_;
    mutable std::mutex mutex_; // key_ and uid_, set by the host from any thread
    std::string key_;
    std::string uid_;
    std::weak_ptr<BrightpointDelegate> delegate_;
    std::optional<std::string> age_;
    std::optional<std::string> sex_;
    std::string countryCode_;
    std::shared_ptr<BPReachability> reachability_;
    BPConfiguration configuration_;
    fnd::ObserverToken reachabilityObserver_;

    // Window state, main thread only.
    bool isLoading_ = false;
    bool isDisplayingErrorWindow_ = false;
    std::shared_ptr<ui::ViewController> rootController_;
    int previousStatusBarStyle_ = 0;
    bool previousStatusBarHidden_ = false;
};

// The pages' offer action: type 2 opens the offer wall (displayPaymentWindow of the shared client); other
// types are refused with one WARN line. Main thread (brightpoint_entry_points.cpp).
class BPOfferWallOpener : public OfferWallOpener {
public:
    void showOffers(int32_t type) override;
};

} // namespace zelvan::brightpoint
