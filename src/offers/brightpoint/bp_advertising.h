// BPAdvertising: the advertiser's side of the offer network. An application advertised on the wall
// reports its own install once per ad key (sharing the wall client's "reported" mark) and can fetch
// install instructions as text from the offer-wall API server; the server's text comes up as an alert,
// or goes to the delegate when there is one.
#pragma once

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
    // Each on a new thread of its own.
    void reportInstall(const std::string& adKey);
    void displayInstructions(const std::string& adKey);

    // The requests, on the calling thread: nothing once the ad key is marked reported; a 200 answer
    // marks it (report only) and a non-empty ASCII body goes to the main loop's alert or delegate.
    void reportInstallThread(const std::string& adKey);
    void displayInstructionsThread(const std::string& adKey);

    // Shows the server's text (main thread): to the delegate, else as an alert titled "Success!" or
    // "Instructions".
    void reportInstallAlert(const std::string& text);
    void displayInstructionsAlert(const std::string& text);

    static std::optional<std::string> urlEncode(std::string_view text);

private:
    std::optional<std::string> defaultKey() const;
    // The text of a 200 answer (empty for no body), or nullopt for no answer.
    std::optional<std::string> request(std::string_view path, const std::string& adKey);
    void showText(const std::string& title, const std::string& text);

    const std::string server_;
    mutable std::mutex mutex_;
    std::optional<std::string> defaultAdKey_;
    std::weak_ptr<BPAdvertisingDelegate> delegate_;
};

} // namespace zelvan::brightpoint
