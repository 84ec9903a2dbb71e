// BPAdvertising: the advertiser's side of the offer network. An application advertised on the wall
// reports its own install once per ad key (sharing the wall client's "reported" mark) and can fetch
// install instructions as text from the offer-wall API server; the server's text comes up as an alert,
// or goes to the delegate when there is one.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace zelvan::brightpoint {

// Takes the server's texts instead of the alerts. Main thread.
class BPAdvertisingDelegate {
public:
    virtual ~BPAdvertisingDelegate() = default;
    virtual void displayInstructionsAlert(const std::string& text) = 0;
};

class BPAdvertising : public std::enable_shared_from_this<BPAdvertising> {
public:
    // The registry context's instance, made on first use; null without one (brightpoint_entry_points.cpp).
    static std::shared_ptr<BPAdvertising> shared();

    // `server` as the wall client's: the offer-wall API server, or "" (then nothing is sent).
    explicit BPAdvertising(std::string server);
    BPAdvertising(const BPAdvertising&) = delete;
    BPAdvertising& operator=(const BPAdvertising&) = delete;

    void setDefaultAdKey(std::optional<std::string> adKey);
    void setDelegate(std::weak_ptr<BPAdvertisingDelegate> delegate);

    // With the default ad key; nothing without one.
    void reportInstall();
    void displayInstructions();
    // The requests, from the calling thread's loop: nothing once the ad key is marked reported; a 200
    // answer marks it (report only) and a non-empty ASCII body goes to the alert or delegate on the main
    // thread. `done`, when given, runs on the calling loop once the request has ended (at once when
    // nothing is sent).
    void reportInstall(const std::string& adKey, std::function<void()> done = {});
    void displayInstructions(const std::string& adKey, std::function<void()> done = {});

    // Shows the server's text (main thread): to the delegate, else as an alert titled "Success!" or
    // "Instructions".
    void reportInstallAlert(const std::string& text);
    void displayInstructionsAlert(const std::string& text);

    static std::optional<std::string> urlEncode(std::string_view text);

private:
    std::optional<std::string> defaultKey() const;
    // Asks `path` for the ad key; `answered` gets the text of a 200 answer (empty for no body), or nullopt
    // when there is none (at once when nothing is sent).
    using Answer = std::function<void(const std::optional<std::string>&)>;
    void request(std::string_view path, const std::string& adKey, Answer answered);
    void showText(const std::string& title, const std::string& text);

    const std::string server_;
    mutable std::mutex mutex_;
    std::optional<std::string> defaultAdKey_;
    std::weak_ptr<BPAdvertisingDelegate> delegate_;
};

} // namespace zelvan::brightpoint
