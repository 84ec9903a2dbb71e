// The web cache's files (names, lookups, atomic stores within the byte budget), the bundle fallback,
// the fetch queue and its draining on the network thread, and the photo source on top of them.
#include "web/zelvan_web_cache.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/zelvan_app_delegate.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/digest.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url.h"
#include "platform/graphics/image.h"
#include "protocol/tracer.h"
#include "web/web_urls.h"
#include "web/zelvan_game_connection.h"

namespace zelvan {
namespace {

constexpr size_t kMaxExtensionLength = 5;
constexpr size_t kMd5HexLength = 32;

bool isShortAlphanumeric(const std::string& text, size_t maxLength) {
    return !text.empty() && text.size() <= maxLength &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Only names the cache makes itself are ever opened: 32 lower-case hex digits and an optional short
// alphanumeric extension.
bool isCacheFilename(const std::string& name) {
    if (name.size() < kMd5HexLength) {
        return false;
    }
    for (size_t i = 0; i < kMd5HexLength; ++i) {
        char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    if (name.size() == kMd5HexLength) {
        return true;
    }
    return name[kMd5HexLength] == '.' && isShortAlphanumeric(name.substr(kMd5HexLength + 1), kMaxExtensionLength);
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

// One picture asked for through loadPhoto: decodes the fetched body and hands it on once.
class ZelvanWebCache::PhotoLoad : public ZelvanURLConnectionDelegate {
public:
    PhotoLoad(std::weak_ptr<ZelvanWebCache> cache, std::function<void(gfx::ImagePtr)> done)
        : cache_(std::move(cache)), done_(std::move(done)) {}

    void connectionDidFinish(const std::shared_ptr<ZelvanURLConnection>& connection) override {
        auto data = connection->zelvanRequest()->data();
        end(data ? gfx::Image::imageWithData(*data) : nullptr);
    }
    void connectionDidFail(const std::shared_ptr<ZelvanURLConnection>&) override { end(nullptr); }

private:
    void end(gfx::ImagePtr image) {
        auto done = std::move(done_);
        if (auto cache = cache_.lock()) {
            cache->forgetPhotoLoad(this);
        }
        if (done) {
            done(std::move(image));
        }
    }

    std::weak_ptr<ZelvanWebCache> cache_;
    std::function<void(gfx::ImagePtr)> done_;
};

ZelvanWebCache::ZelvanWebCache(WebCacheEnvironment environment)
    : environment_(std::move(environment)), cachePath_(fnd::AppFolders::caches() + "/" + kFolderName + "/") {}

ZelvanWebCache::~ZelvanWebCache() {
    for (auto& connection : inFlight_) {
        connection->cancel();
    }
}

std::shared_ptr<ZelvanWebCache> ZelvanWebCache::makeForDelegate(zelvanAppDelegate& delegate) {
    std::weak_ptr<zelvanAppDelegate> weak = delegate.weak_from_this();
    WebCacheEnvironment environment;
    environment.sessionKey = [weak]() -> std::optional<std::string> {
        auto strong = weak.lock();
        return strong ? strong->sessionKey() : std::nullopt;
    };
    environment.webHost = [weak]() -> std::string {
        auto strong = weak.lock();
        return strong ? strong->zelvanWebHost() : std::string();
    };
    environment.sendPacket = [weak](const fnd::Value& packet) {
        if (auto strong = weak.lock()) {
            strong->send(packet);
        }
    };
    return std::make_shared<ZelvanWebCache>(std::move(environment));
}

std::string ZelvanWebCache::cachePath() const {
    return cachePath_;
}

std::string ZelvanWebCache::newCacheFilename(const std::string& url) {
    std::string name = fnd::md5Hex(url);
    if (hasUrlScheme(url)) {
        if (auto parsed = fnd::Url::parse(url)) {
            std::string extension = parsed->pathExtension();
            if (isShortAlphanumeric(extension, kMaxExtensionLength)) {
                name += "." + extension;
            }
        }
    }
    return name;
}

std::optional<std::string> ZelvanWebCache::cacheFilePathForUrl(const std::string& url) const {
    std::string name = newCacheFilename(url);
    if (!isCacheFilename(name)) {
        ZTRACE_ERROR("web cache refused the file name \"%s\"", fnd::logPreview(name));
        return std::nullopt;
    }
    auto path = fnd::containedPath(cachePath_, name);
    if (!path || fnd::lastPathComponent(*path) != name) {
        ZTRACE_ERROR("web cache refused a path outside its folder for %s", fnd::logPreview(url));
        return std::nullopt;
    }
    return path;
}

int64_t ZelvanWebCache::fileSize(const std::string& url) const {
    std::string target = unwrapCacheFileUrl(url).value_or(url);
    auto path = cacheFilePathForUrl(target);
    if (!path) {
        return -1;
    }
    auto attributes = fnd::FileManager::attributesOfItemAtPath(*path);
    if (!attributes || attributes->isDirectory) {
        return -1;
    }
    return static_cast<int64_t>(attributes->size);
}

std::optional<fnd::Bytes> ZelvanWebCache::bundleData(const std::string& relativeUrl) const {
    std::string path = relativeUrl.substr(0, relativeUrl.find_first_of("?#"));
    while (!path.empty() && path.front() == '/') {
        path.erase(path.begin());
    }
    if (path.empty()) {
        return std::nullopt;
    }
    const fnd::Bundle& bundle = fnd::Bundle::main();
    auto found = bundle.pathForResource(path, "");
    if (!found) {
        std::string last = fnd::lastPathComponent(path);
        if (!last.empty() && last != path) {
            found = bundle.pathForResource(last, "");
        }
    }
    if (!found) {
        return std::nullopt;
    }
    return fnd::readFile(*found);
}

std::shared_ptr<ZelvanURLRequest>
ZelvanWebCache::newRequest(const std::string& url, const std::string& baseURL,
                           const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate) const {
    auto request = ZelvanURLRequest::init();
    request->setUrl(url);
    request->setBaseURL(baseURL);
    request->setDelegate(delegate);
    return request;
}

std::optional<fnd::Bytes>
ZelvanWebCache::newDataFromURLString(const std::string& url, const std::string& baseURL,
                                     const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate,
                                     std::shared_ptr<ZelvanURLRequest>* request) {
    std::string target = unwrapCacheFileUrl(url).value_or(url);
    auto absolute = resolveWebUrl(target, baseURL);
    if (absolute) {
        if (auto path = cacheFilePathForUrl(*absolute)) {
            if (fnd::FileManager::fileExistsAtPath(*path)) {
                if (auto bytes = fnd::readFile(*path)) {
                    usedFile(*path);
                    return bytes;
                }
            }
        }
    }
    if (!hasUrlScheme(target)) {
        if (auto bytes = bundleData(target)) {
            return bytes;
        }
    }
    if (!absolute) {
        ZTRACE_WARN("web cache cannot resolve \"%s\" against \"%s\"", fnd::logPreview(target),
                    fnd::logPreview(baseURL));
        return std::nullopt;
    }
    if (request) {
        *request = newRequest(target, baseURL, delegate);
    }
    return std::nullopt;
}

std::optional<std::string>
ZelvanWebCache::cacheFilePathWithRelativeUrl(const std::string& url, const std::string& baseURL,
                                             const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate,
                                             std::shared_ptr<ZelvanURLRequest>* request) {
    std::string target = unwrapCacheFileUrl(url).value_or(url);
    auto absolute = resolveWebUrl(target, baseURL);
    if (!absolute) {
        ZTRACE_WARN("web cache cannot resolve \"%s\" against \"%s\"", fnd::logPreview(target),
                    fnd::logPreview(baseURL));
        return std::nullopt;
    }
    auto path = cacheFilePathForUrl(*absolute);
    if (path && fnd::FileManager::fileExistsAtPath(*path)) {
        usedFile(*path);
        return path;
    }
    if (request) {
        *request = newRequest(target, baseURL, delegate);
    }
    return std::nullopt;
}

std::optional<std::string>
ZelvanWebCache::absoluteUrlStringWithRelativeUrl(const std::string& url, const std::string& baseURL, bool cacheLookup) {
    std::string target = unwrapCacheFileUrl(url).value_or(url);
    auto absolute = resolveWebUrl(target, baseURL);
    if (!absolute || !cacheLookup) {
        return absolute;
    }
    auto path = cacheFilePathForUrl(*absolute);
    if (path && fnd::FileManager::fileExistsAtPath(*path)) {
        usedFile(*path);
        return "file://" + *path;
    }
    return absolute;
}

void ZelvanWebCache::appendURLRequest(const std::shared_ptr<ZelvanURLRequest>& request) {
    if (!request) {
        return;
    }
    request->setState(ZelvanURLRequest::State::Queued);
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(request);
    }
    nudgeFetchLoop();
}

void ZelvanWebCache::insertURLRequests(const fnd::Value& requests) {
    auto items = requests.asArray();
    if (!items) {
        return;
    }
    std::vector<std::shared_ptr<ZelvanURLRequest>> found;
    for (size_t i = 0; i < items->count(); ++i) {
        if (auto request = items->objectAtIndex(i).asObject<ZelvanURLRequest>()) {
            request->setState(ZelvanURLRequest::State::Queued);
            found.push_back(request);
        }
    }
    {
        std::lock_guard lock(mutex_);
        queue_.insert(queue_.begin(), found.begin(), found.end());
    }
    nudgeFetchLoop();
}

void ZelvanWebCache::nudgeFetchLoop() {
    std::shared_ptr<fnd::RunLoop> loop;
    {
        std::lock_guard lock(mutex_);
        loop = fetchLoop_.lock();
        if (!loop || nudged_) {
            return; // not started anywhere yet (the first start takes it), or a start is on its way
        }
        nudged_ = true;
    }
    loop->post([weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->startQueuedFetches();
        }
    });
}

void ZelvanWebCache::removeURLRequest(const std::shared_ptr<ZelvanURLRequest>& request) {
    std::lock_guard lock(mutex_);
    std::erase(queue_, request);
}

std::vector<std::shared_ptr<ZelvanURLRequest>> ZelvanWebCache::queuedRequests() const {
    std::lock_guard lock(mutex_);
    return {queue_.begin(), queue_.end()};
}

size_t ZelvanWebCache::fetchesInFlight() const {
    std::lock_guard lock(mutex_);
    return inFlight_.size();
}

void ZelvanWebCache::startQueuedFetches() {
    {
        std::lock_guard lock(mutex_);
        fetchLoop_ = fnd::RunLoop::current().weak_from_this();
        nudged_ = false;
    }
    while (true) {
        std::shared_ptr<ZelvanURLRequest> request;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty() || inFlight_.size() >= kMaxFetchesInFlight) {
                return;
            }
            request = queue_.front();
            queue_.pop_front();
        }
        startFetch(request);
    }
}

void ZelvanWebCache::startFetch(const std::shared_ptr<ZelvanURLRequest>& request) {
    auto absolute = resolveWebUrl(request->url(), request->baseURL());
    std::shared_ptr<ZelvanURLConnection> connection;
    if (absolute && request->cacheable()) {
        // Queued twice, or fetched by someone else meanwhile: answer from the file.
        auto path = cacheFilePathForUrl(*absolute);
        if (path && fnd::FileManager::fileExistsAtPath(*path)) {
            if (auto bytes = fnd::readFile(*path)) {
                usedFile(*path);
                connection = ZelvanURLConnection::init(request);
                connection->setAbsoluteUrl(*absolute);
                connection->deliver(ZelvanFetchResult{true, std::move(*bytes), 0});
                return;
            }
        }
    }
    auto parsed = absolute ? fnd::Url::parse(*absolute) : std::nullopt;
    if (parsed && parsed->scheme() == kGameResourceScheme) {
        int64_t id = 0;
        {
            std::lock_guard lock(mutex_);
            id = nextRequestId_++;
        }
        connection = std::make_shared<ZelvanGameConnection>(request, id, environment_.sendPacket);
    } else {
        connection = ZelvanURLConnection::init(request);
        if (absolute && isWebHost(*absolute) && environment_.sessionKey) {
            if (auto key = environment_.sessionKey()) {
                connection->setHeaderValue(kSessionHeader, *key);
            }
        }
    }
    if (absolute) {
        connection->setAbsoluteUrl(*absolute);
    }
    {
        std::lock_guard lock(mutex_);
        inFlight_.push_back(connection);
    }
    std::weak_ptr<ZelvanWebCache> weak = weak_from_this();
    connection->start([weak](const std::shared_ptr<ZelvanURLConnection>& done, ZelvanFetchResult result) {
        if (auto cache = weak.lock()) {
            cache->fetchEnded(done, std::move(result));
        } else {
            done->deliver(result);
        }
    });
}

void ZelvanWebCache::handleServerResponse(const fnd::Value& packet) {
    auto items = packet.asArray();
    std::optional<int64_t> id = items && items->count() > 1 ? items->objectAtIndex(1).asInt() : std::nullopt;
    if (!id) {
        ZTRACE_WARN("web cache got a resource reply without a request id: %s", fnd::logPreview(packet));
        return;
    }
    std::shared_ptr<ZelvanGameConnection> target;
    {
        std::lock_guard lock(mutex_);
        for (const auto& connection : inFlight_) {
            auto game = std::dynamic_pointer_cast<ZelvanGameConnection>(connection);
            if (game && game->requestId() == *id) {
                target = game;
                break;
            }
        }
    }
    if (!target) {
        ZTRACE_WARN("web cache got a reply for request %lld, which is not waiting", static_cast<long long>(*id));
        return;
    }
    target->handleReply(packet);
}

void ZelvanWebCache::gameConnectionLost() {
    std::vector<std::shared_ptr<ZelvanGameConnection>> waiting;
    {
        std::lock_guard lock(mutex_);
        for (const auto& connection : inFlight_) {
            if (auto game = std::dynamic_pointer_cast<ZelvanGameConnection>(connection)) {
                waiting.push_back(std::move(game));
            }
        }
    }
    // Outside the lock: each failure ends its fetch, which takes it out of inFlight_.
    for (const auto& game : waiting) {
        game->connectionLost();
    }
}

void ZelvanWebCache::fetchEnded(const std::shared_ptr<ZelvanURLConnection>& connection, ZelvanFetchResult result) {
    {
        std::lock_guard lock(mutex_);
        std::erase(inFlight_, connection);
    }
    auto request = connection->zelvanRequest();
    if (result.ok && request && request->cacheable()) {
        store(connection->absoluteUrl(), result.body);
    }
    connection->deliver(result);
}

std::optional<std::string> ZelvanWebCache::sessionKeyFor(const std::string& absoluteUrl) const {
    if (!isWebHost(absoluteUrl) || !environment_.sessionKey) {
        return std::nullopt;
    }
    return environment_.sessionKey();
}

bool ZelvanWebCache::isWebHost(const std::string& absoluteUrl) const {
    if (!environment_.webHost) {
        return false;
    }
    auto url = fnd::Url::parse(absoluteUrl);
    if (!url || !url->isHttpUrl()) {
        return false;
    }
    std::string authority = url->host();
    if (url->port()) {
        authority += ":" + std::to_string(*url->port());
    }
    return lowerCase(authority) == lowerCase(environment_.webHost());
}

void ZelvanWebCache::store(const std::string& absoluteUrl, const fnd::Bytes& body) {
    auto path = cacheFilePathForUrl(absoluteUrl);
    if (!path) {
        return;
    }
    if (!fnd::FileManager::createDirectoryAtPath(cachePath_)) {
        ZTRACE_ERROR("web cache cannot create %s", cachePath_);
        return;
    }
    const std::string name = fnd::lastPathComponent(*path);
    std::lock_guard lock(budgetMutex_);
    learnFolder();
    if (!budget_.makeRoom(name, body.size())) {
        ZTRACE_WARN("web cache: no room for %s (%lld bytes) in its %lld bytes", fnd::logPreview(absoluteUrl),
                    static_cast<long long>(body.size()), static_cast<long long>(kMaxCacheBytes));
        return;
    }
    if (!fnd::writeFile(*path, body, fnd::Atomic::Yes)) {
        ZTRACE_ERROR("web cache could not store %s", fnd::logPreview(absoluteUrl));
        return;
    }
    budget_.stored(name, body.size());
}

void ZelvanWebCache::usedFile(const std::string& path) {
    std::lock_guard lock(budgetMutex_);
    learnFolder();
    budget_.used(fnd::lastPathComponent(path));
}

void ZelvanWebCache::learnFolder() {
    if (folderLearnt_) {
        return;
    }
    folderLearnt_ = true;
    // Only names the cache makes are counted; an atomic store's leftover temporary file is not one.
    const std::vector<std::string> removed =
        budget_.learn(cachePath_, [](const std::string& name) { return !isCacheFilename(name); });
    if (!removed.empty()) {
        ZLOG(Info, "web cache: removed %d least recently used files beyond its %lld bytes",
             static_cast<int>(removed.size()), static_cast<long long>(kMaxCacheBytes));
    }
}

void ZelvanWebCache::loadPhoto(const std::string& url, std::function<void(gfx::ImagePtr)> done) {
    if (!done) {
        return;
    }
    auto load = std::make_shared<PhotoLoad>(weak_from_this(), done);
    std::shared_ptr<ZelvanURLRequest> request;
    auto bytes = newDataFromURLString(url, "", load, &request);
    if (bytes) {
        done(gfx::Image::imageWithData(*bytes));
        return;
    }
    if (!request) {
        done(nullptr);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        photoLoads_.push_back(load);
    }
    appendURLRequest(request);
}

void ZelvanWebCache::forgetPhotoLoad(const PhotoLoad* load) {
    std::lock_guard lock(mutex_);
    std::erase_if(photoLoads_, [load](const auto& held) { return held.get() == load; });
}

} // namespace zelvan
