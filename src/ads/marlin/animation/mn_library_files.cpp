// MNAnimationView: reading the library's files (the property list and the pattern images) beside the ad,
// from Documents at once or over HTTP through a fetch whose answer is applied later on the main loop, and
// the library load itself.
#include <string_view>
#include <unordered_set>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_log_channel.h"
#include "ads/marlin/animation/mn_shape.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/url_error.h"

namespace zelvan::marlin {

namespace {

constexpr const char* kErrorDomain = "MNAnimationView";

} // namespace

MNAnimationView::~MNAnimationView() {
    cancelLoads();
}

void MNAnimationView::cancelLoads() {
    if (libraryLoad_ != nullptr) {
        libraryLoad_->cancel();
        libraryLoad_.reset();
    }
    imageLoads_->cancel();
    imageLoads_ = std::make_shared<fnd::UrlCancelToken>();
}

fnd::Result<std::string> MNAnimationView::documentsPath(const std::string& name) const {
    const std::string documents = fnd::normalise(fnd::AppFolders::documents());
    std::string relative = name;
    if (baseURL_) {
        // A "file:" base names a folder inside Documents; the name is taken below it, and the two together
        // must stay inside Documents just as a name without a base does.
        const std::string base = fnd::normalise(baseURL_->filePath());
        if (base != documents) {
            if (base.size() <= documents.size() || base.compare(0, documents.size(), documents) != 0 ||
                base[documents.size()] != '/') {
                return fnd::Error(kErrorDomain, 2,
                                  std::string_view("the base URL " + fnd::logPreview(baseURL_->absoluteString()) +
                                                   " is not a folder inside Documents"));
            }
            relative = base.substr(documents.size() + 1) + "/" + name;
        }
    }
    auto path = fnd::containedPath(documents, relative);
    if (!path) {
        return fnd::Error(kErrorDomain, 2, std::string_view("not a file inside Documents: " + fnd::logPreview(name)));
    }
    return std::move(*path);
}

void MNAnimationView::readLibraryFile(const std::string& name, std::weak_ptr<const void> owner,
                                      LibraryFileCompletion done) {
    readFile(name, std::move(owner), imageLoads_, std::move(done));
}

void MNAnimationView::readFile(const std::string& name, std::weak_ptr<const void> owner,
                               const std::shared_ptr<fnd::UrlCancelToken>& cancel, LibraryFileCompletion done) {
    if (!baseURL_ || baseURL_->isFileUrl()) {
        auto path = documentsPath(name);
        if (!path) {
            done(path.error());
            return;
        }
        auto bytes = fnd::readFile(*path);
        if (!bytes) {
            done(fnd::Error(kErrorDomain, 3, std::string_view("cannot read " + fnd::logPreview(name))));
            return;
        }
        done(std::move(*bytes));
        return;
    }
    std::string text = baseURL_->absoluteString();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    text += name;
    const auto url = fnd::Url::parse(text);
    if (!url) {
        done(fnd::Error(kErrorDomain, 1, std::string_view("not a URL: " + fnd::logPreview(text))));
        return;
    }
    if (!url->isHttpUrl()) {
        done(fnd::Error(kErrorDomain, 4,
                        std::string_view("not an http, https or file address: " + fnd::logPreview(text))));
        return;
    }
    // Over the network the answer comes on this loop later; the main loop never waits for it.
    fnd::FetchOptions options;
    options.timeout = kRemoteFileTimeout;
    options.maxBodyBytes = kRemoteFileMaxBytes;
    options.cancel = cancel;
    fnd::fetch(fnd::UrlRequest(*url), std::move(options), std::move(owner),
               [cancel, text, done = std::move(done)](fnd::Result<fnd::FetchReply> reply) {
                   if (cancel->isCancelled()) {
                       return; // superseded, or the scene was reset or the view went
                   }
                   if (!reply) {
                       done(reply.error());
                   } else if (reply->response.isHttp() && reply->response.statusCode() >= 400) {
                       done(fnd::UrlError::make(
                           fnd::UrlError::BadServerResponse, text,
                           fnd::format("the server answered with status %lld", reply->response.statusCode())));
                   } else {
                       done(std::move(reply->body));
                   }
               });
}

void MNAnimationView::patternImageArrived() {
    // Every shape registered or placed in a sprite drops its raster, so the next frame paints the image in.
    std::unordered_set<const MNCharacter*> seen;
    std::vector<std::shared_ptr<MNCharacter>> pending;
    pending.reserve(activeCharacters_.size());
    for (const auto& [key, character] : activeCharacters_) {
        pending.push_back(character);
    }
    while (!pending.empty()) {
        auto character = std::move(pending.back());
        pending.pop_back();
        if (character == nullptr || !seen.insert(character.get()).second) {
            continue;
        }
        if (auto* shape = dynamic_cast<MNShape*>(character.get())) {
            shape->releaseContents();
        } else if (auto* sprite = dynamic_cast<MNSprite*>(character.get())) {
            for (const auto& [layer, child] : sprite->characters()) {
                pending.push_back(child);
            }
        }
    }
}

void MNAnimationView::loadPropertiesFromFile(const std::string& name) {
    if (libraryLoad_ != nullptr) {
        libraryLoad_->cancel();
    }
    auto load = std::make_shared<fnd::UrlCancelToken>();
    libraryLoad_ = load;
    // The view owns the load: the answer is dropped once the view has gone.
    readFile(name, weak_from_this(), load, [this, load](fnd::Result<fnd::Bytes> bytes) {
        if (libraryLoad_ != load) {
            return; // a later load took its place
        }
        libraryLoad_.reset();
        if (!bytes) {
            ZLOG_TO(kMarlinLog, Warn, "PropertyList: keeping the library there was: %@",
                    bytes.error().localizedDescription());
            return;
        }
        loadPropertiesFromData(*bytes);
    });
}

bool MNAnimationView::loadPropertiesFromData(const fnd::Bytes& bytes) {
    auto plist = fnd::PropertyList::read(bytes);
    if (!plist) {
        ZLOG_TO(kMarlinLog, Warn, "PropertyList: keeping the library there was: %@",
                plist.error().localizedDescription());
        return false;
    }
    auto library = plist->asDictionary();
    if (library == nullptr) {
        ZLOG_TO(kMarlinLog, Warn, "PropertyList: keeping the library there was: the file holds no dictionary");
        return false;
    }
    setPatternsWithProperties(entryOf(library, "patterns"));
    setShapesWithProperties(entryOf(library, "shapes"));
    return true;
}

} // namespace zelvan::marlin
