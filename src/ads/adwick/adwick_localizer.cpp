// The banner client's strings tables: download, cache file and lookup.
#include "ads/adwick/adwick_localizer.h"

#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_url_download.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/user_defaults.h"

namespace zelvan::adwick {

namespace {

constexpr size_t kMaxLanguageLength = 35;

// Language codes name a file and a URL path: letters, digits, '-' and '_' only.
bool isPlainLanguageCode(std::string_view code) {
    if (code.empty() || code.size() > kMaxLanguageLength) {
        return false;
    }
    for (char c : code) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace

AdwickLocalizer::AdwickLocalizer(std::string mediaBase, AdwickDownloadSettings downloads, std::string cacheDirectory)
    : mediaBase_(std::move(mediaBase)), downloads_(std::move(downloads)), cacheDirectory_(std::move(cacheDirectory)),
      preferredLanguage_("en") {
    fnd::FileManager::createDirectoryAtPath(cacheDirectory_);
    fnd::Value languages = fnd::UserDefaults::standard().objectForKey(fnd::UserDefaults::kPreferredLanguagesKey);
    if (auto list = languages.asArray(); list && !list->empty()) {
        const std::string* first = list->objectAtIndex(0).asString();
        if (first != nullptr && isPlainLanguageCode(*first)) {
            preferredLanguage_ = *first;
        } else {
            ZLOG_TO(kAdwickLog, Warn, "adwick: preferred language %s is not a language code; using en",
                    fnd::logPreview(list->objectAtIndex(0)));
        }
    }
}

std::string AdwickLocalizer::defaultCacheDirectory() {
    return fnd::AppFolders::documents() + "/adwick/localization_cache/20090609";
}

std::string AdwickLocalizer::stringsPathForLanguage(std::string_view code) const {
    return cacheDirectory_ + "/" + std::string(code) + ".strings";
}

std::optional<std::string> AdwickLocalizer::currentLocale() {
    fnd::Value locale = fnd::UserDefaults::standard().objectForKey(fnd::UserDefaults::kLocaleIdentifierKey);
    if (const std::string* text = locale.asString()) {
        return *text;
    }
    return std::nullopt;
}

void AdwickLocalizer::downloadResourcesIfNecessary() {
    if (download_ || fnd::FileManager::fileExistsAtPath(stringsPathForLanguage(preferredLanguage_))) {
        return;
    }
    download_ = AdwickURLDownload::create(downloads_);
    download_->setIdentifier(preferredLanguage_);
    download_->setDelegate(weak_from_this());
    std::weak_ptr<AdwickLocalizer> weak = weak_from_this();
    download_->setSuccessSelector([weak](AdwickURLDownload& d) {
        if (auto self = weak.lock()) {
            self->downloadDidSucceed(d);
        }
    });
    download_->setFailureSelector([weak](AdwickURLDownload& d) {
        if (auto self = weak.lock()) {
            self->downloadDidFail(d);
        }
    });
    download_->loadContentsOfURLAtString(mediaBase_ + "/static/iphone/i18n/20090609/" + preferredLanguage_ +
                                         ".strings");
}

void AdwickLocalizer::downloadDidSucceed(AdwickURLDownload& download) {
    const std::string path = stringsPathForLanguage(download.identifier());
    auto table = fnd::PropertyList::read(download.data());
    if (table.ok() && table->isDictionary()) {
        if (!fnd::writeFile(path, download.data())) {
            ZLOG_TO(kAdwickLog, Warn, "adwick: could not write the strings of %@", download.identifier());
        }
    } else {
        // A page that is not a strings table (a sign-in portal, say) is not kept: the next request asks again.
        ZLOG_TO(kAdwickLog, Warn, "adwick: the strings of %@ are not a table, not kept: %s", download.identifier(),
                fnd::logPreview(download.data()));
    }
    finishDownload();
}

void AdwickLocalizer::downloadDidFail(AdwickURLDownload& download) {
    const auto& error = download.error();
    if (error && error->code() == AdwickURLDownload::kErrorHttpStatus) {
        // The server has no table for the language: an empty file, so it is not asked again.
        fnd::writeFile(stringsPathForLanguage(download.identifier()), fnd::Bytes());
    }
    finishDownload();
}

void AdwickLocalizer::finishDownload() {
    if (download_) {
        download_->cancel();
        download_.reset();
    }
}

void AdwickLocalizer::loadStrings() {
    if (strings_) {
        return;
    }
    if (auto bytes = fnd::readFile(stringsPathForLanguage(preferredLanguage_)); bytes && !bytes->empty()) {
        auto table = fnd::PropertyList::read(*bytes);
        if (table.ok() && table->isDictionary()) {
            strings_ = table->asDictionary();
            return;
        }
    }
    strings_ = std::make_shared<fnd::Dictionary>();
}

std::string AdwickLocalizer::localizedStringForKey(std::string_view key) {
    loadStrings();
    if (const fnd::Value* text = strings_->find(fnd::Key(key))) {
        if (const std::string* s = text->asString(); s != nullptr && !s->empty()) {
            return *s;
        }
    }
    return std::string(key);
}

std::string AdwickLocalizer::fillPlaceholder(std::string_view text, std::string_view value) {
    std::string filled(text);
    const size_t at = filled.find("%@");
    if (at != std::string::npos) {
        filled.replace(at, 2, value);
    }
    return filled;
}

} // namespace zelvan::adwick
