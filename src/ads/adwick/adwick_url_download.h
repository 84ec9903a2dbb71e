// AdwickURLDownload: the banner client's one HTTP fetcher, a front over fnd::fetch. A GET or POST of an
// http(s) URL with the client's user agent and device header and a 60 s time-out, whose body is handed
// to one success or failure callback on the loop that started it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"

namespace fnd {
class UrlCancelToken;
struct FetchReply;
} // namespace fnd

namespace zelvan::adwick {

// What every download of the client carries besides its URL, handed to it when it is made: the client's
// user agent (empty: the one built without a locale), and whether an ad host is configured (without one
// every address is relative; the client said so once, at start, so such a refusal is not logged again).
struct AdwickDownloadSettings {
    std::string userAgent;
    bool adHostConfigured = true;
};

class AdwickURLDownload : public std::enable_shared_from_this<AdwickURLDownload> {
public:
    static constexpr std::string_view kErrorDomain = "kAdwickURLDownloadErrorDomain";
    static constexpr int kErrorNoConnection = -2; // not a loadable web address
    static constexpr int kErrorHttpStatus = -3;   // an HTTP status of 400 or more
    static constexpr int kErrorConnection = -4;   // the load failed (network, over the body cap)
    static constexpr double kTimeoutSeconds = 60;
    static constexpr size_t kJsonBodyBytes = 256 * 1024;
    static constexpr size_t kImageBodyBytes = 4 * 1024 * 1024;
    static constexpr std::string_view kVersion = "20090609";

    // A selector: called with the download, which stays alive until it returns.
    using Selector = std::function<void(AdwickURLDownload&)>;

    static std::shared_ptr<AdwickURLDownload> create(AdwickDownloadSettings settings = {});
    ~AdwickURLDownload();
    AdwickURLDownload(const AdwickURLDownload&) = delete;
    AdwickURLDownload& operator=(const AdwickURLDownload&) = delete;

    // The callbacks are sent while `delegate` lives (not retained); without a delegate set, always.
    void setDelegate(std::weak_ptr<void> delegate);
    void setSuccessSelector(Selector selector) { successSelector_ = std::move(selector); }
    void setFailureSelector(Selector selector) { failureSelector_ = std::move(selector); }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    // The largest body accepted (kJsonBodyBytes unless set); a bigger one fails with -4.
    void setMaxBodyBytes(size_t bytes) { maxBodyBytes_ = bytes; }

    void loadContentsOfURLAtString(std::string_view url) { loadContentsOfURLAtString(url, std::nullopt); }
    // POST when a body is given.
    void loadContentsOfURLAtString(std::string_view url, std::optional<fnd::Bytes> postBody);
    // Stops the load; no callback follows.
    void cancel();

    const fnd::Bytes& data() const { return data_; }
    const std::optional<fnd::Error>& error() const { return error_; }
    const std::string& targetURL() const { return targetURL_; }
    std::string description() const;

    // The client's user agent, from the device, the localizer's locale and the client version.
    static std::string buildUserAgent(const std::optional<std::string>& locale);

private:
    explicit AdwickURLDownload(AdwickDownloadSettings settings) : settings_(std::move(settings)) {}
    void didLoad(fnd::Result<fnd::FetchReply> reply);
    // Stops the load in flight, whose completion is then ignored.
    void stopLoad();
    // Ends the download with `code` and one WARN line saying why (none when `why` is empty).
    void fail(int code, const std::string& why);
    void deliver(const Selector& selector);

    AdwickDownloadSettings settings_;
    std::string identifier_;
    std::weak_ptr<void> delegate_;
    bool hasDelegate_ = false;
    Selector successSelector_;
    Selector failureSelector_;
    fnd::Bytes data_;
    // The load in flight's own token; null when none is.
    std::shared_ptr<fnd::UrlCancelToken> activeLoad_;
    std::optional<fnd::Error> error_;
    std::string targetURL_;
    size_t maxBodyBytes_ = kJsonBodyBytes;
};

} // namespace zelvan::adwick
