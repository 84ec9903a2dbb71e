// AdwickLocalizer: the banner client's user-visible texts in the device's language. One strings table
// per language is fetched once from the media server into Documents/adwick/localization_cache/20090609;
// the table read at first use is kept for the run.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ads/adwick/adwick_url_download.h"
#include "platform/foundation/value.h"

namespace zelvan::adwick {

class AdwickLocalizer : public std::enable_shared_from_this<AdwickLocalizer> {
public:
    // `mediaBase` is the media server's base URL ("" sends nothing) and `downloads` what the table's download
    // carries; the cache folder is created.
    explicit AdwickLocalizer(std::string mediaBase, AdwickDownloadSettings downloads = {},
                             std::string cacheDirectory = defaultCacheDirectory());
    static std::string defaultCacheDirectory();
    // The context's instance; null without a context (an entry point, in adwick_entry_points.cpp).
    static std::shared_ptr<AdwickLocalizer> sharedLocalizer();

    // The table's text for the key when present and not empty, else the key.
    std::string localizedStringForKey(std::string_view key);
    // Starts the download of the preferred language's table when it has no file and none is running.
    void downloadResourcesIfNecessary();
    // Reads the language's file once per run (no table: an empty one).
    void loadStrings();
    std::string stringsPathForLanguage(std::string_view code) const;
    // The first preferred language that is a plain code ("en" when none or when it is not).
    const std::string& preferredLanguage() const { return preferredLanguage_; }
    // The device's locale identifier (the user defaults' locale), or nullopt.
    static std::optional<std::string> currentLocale();
    // `text` (a localized format with one "%@") with the first "%@" replaced by `value`; the table comes
    // from the server, so it is never used as a format string.
    static std::string fillPlaceholder(std::string_view text, std::string_view value);

    bool downloading() const { return download_ != nullptr; }

private:
    void downloadDidSucceed(AdwickURLDownload& download);
    void downloadDidFail(AdwickURLDownload& download);
    void finishDownload();

    std::string mediaBase_;
    AdwickDownloadSettings downloads_;
    std::string cacheDirectory_;
    std::string preferredLanguage_;
    std::shared_ptr<fnd::Dictionary> strings_;
    std::shared_ptr<AdwickURLDownload> download_;
};

} // namespace zelvan::adwick
