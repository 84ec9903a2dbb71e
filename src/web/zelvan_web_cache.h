// ZelvanWebCache: the web resource cache and fetch queue. Resources are answered from files under
// <Library/Caches>/web_cache/ (named by the MD5 of their absolute URL) or from the bundle; others are
// fetched through the queue, which the network thread drains after every turn - over HTTP(S) with
// the session key in the "X-Zelvan-Session" header field, or over the game connection (command 400)
// for "zelvan-game://" URLs. Only complete, successful answers are written to the cache, atomically,
// and the folder holds at most 32 MiB: the least recently used files make room for a new one.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/app_services.h"
#include "core/folder_budget.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "toolkit/photo_source.h"
#include "web/zelvan_url_connection.h"
#include "web/zelvan_url_request.h"

namespace fnd {
class RunLoop;
}

namespace zelvan {

class zelvanAppDelegate;
class ZelvanGameConnection;

// What the cache needs of the application, as providers, so it can be built without a delegate.
struct WebCacheEnvironment {
    // The session key of the current log-in, or nullopt before log-in.
    std::function<std::optional<std::string>()> sessionKey;
    // The web host ("www.example.net" or "127.0.0.1:8080"); the session key is only sent to it.
    std::function<std::string()> webHost;
    // Queues a packet for the game server.
    std::function<void(const fnd::Value&)> sendPacket;
};

class ZelvanWebCache : public WebCacheService, public PhotoSource, public std::enable_shared_from_this<ZelvanWebCache> {
public:
    // Fetches running at once; the rest wait in the queue.
    static constexpr size_t kMaxFetchesInFlight = 4;
    // The header field that carries the session key to the web host.
    static constexpr const char* kSessionHeader = "X-Zelvan-Session";
    // The folder under Library/Caches.
    static constexpr const char* kFolderName = "web_cache";
    // The most the cache folder holds. Files already there are learnt at the first use of the folder
    // (the least recently modified beyond the budget removed); reads and stores count as uses.
    static constexpr uint64_t kMaxCacheBytes = uint64_t{32} * 1024 * 1024;

    explicit ZelvanWebCache(WebCacheEnvironment environment);
    // The cache wired to the application delegate's session key, web host and send().
    static std::shared_ptr<ZelvanWebCache> makeForDelegate(zelvanAppDelegate& delegate);
    ~ZelvanWebCache() override;

    // <Library/Caches>/web_cache/ (with the trailing slash).
    std::string cachePath() const;
    // The cache file name of an absolute URL: lower-case MD5 hex of the URL text, plus "." and the
    // URL path's extension when it is 1-5 letters or digits.
    static std::string newCacheFilename(const std::string& url);
    // The path of the cache file for an absolute URL (present or not), always inside cachePath().
    std::optional<std::string> cacheFilePathForUrl(const std::string& url) const;
    // The size of the cached file for an absolute URL, or -1 when there is none.
    int64_t fileSize(const std::string& url) const;

    // The resource's bytes when the cache or the bundle has them. Otherwise nullopt and, through
    // `request` (when given and the URL resolves), a new request with `delegate` set, not queued.
    // A "zelvan_cache_file://" URL names the resource inside it.
    std::optional<fnd::Bytes> newDataFromURLString(const std::string& url, const std::string& baseURL,
                                                   const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate,
                                                   std::shared_ptr<ZelvanURLRequest>* request);
    // The cached file's path when present; otherwise nullopt and a new request as above.
    std::optional<std::string>
    cacheFilePathWithRelativeUrl(const std::string& url, const std::string& baseURL,
                                 const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate,
                                 std::shared_ptr<ZelvanURLRequest>* request);
    // The absolute URL of `url` against `baseURL`; with `cacheLookup`, "file://<path>" of the cached
    // file when there is one. nullopt when the URL cannot be resolved.
    std::optional<std::string> absoluteUrlStringWithRelativeUrl(const std::string& url, const std::string& baseURL,
                                                                bool cacheLookup);

    // The fetch queue (any thread). Append queues at the end; insert queues the requests of an
    // array value ahead of the waiting ones, in order, skipping entries that are not requests.
    void appendURLRequest(const std::shared_ptr<ZelvanURLRequest>& request);
    void insertURLRequests(const fnd::Value& requests);
    // Takes a waiting request out of the queue (a fetch already running goes on).
    void removeURLRequest(const std::shared_ptr<ZelvanURLRequest>& request);
    std::vector<std::shared_ptr<ZelvanURLRequest>> queuedRequests() const;
    size_t fetchesInFlight() const;

    // WebCacheService, on the network thread: starts waiting fetches up to kMaxFetchesInFlight, and
    // routes the replies of command 400 to their fetches. A request queued on another thread later
    // has this run again on the loop that ran it, which may be asleep.
    void startQueuedFetches() override;
    // Fails every fetch waiting for a command-400 reply (network thread).
    void gameConnectionLost() override;
    void handleServerResponse(const fnd::Value& packet) override;

    // PhotoSource: "zelvan_cache_file://" and plain URLs, from the cache or fetched through the queue
    // (the picture arrives once the network thread has run the fetch).
    void loadPhoto(const std::string& url, std::function<void(gfx::ImagePtr)> done) override;

    // The session key to send with a request for `absoluteUrl`: the current one when the URL is on
    // the web host, else nullopt (web views send it with their pages' style sheets and images).
    std::optional<std::string> sessionKeyFor(const std::string& absoluteUrl) const;

private:
    class PhotoLoad;

    std::optional<fnd::Bytes> bundleData(const std::string& relativeUrl) const;
    std::shared_ptr<ZelvanURLRequest> newRequest(const std::string& url, const std::string& baseURL,
                                                 const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate) const;
    void startFetch(const std::shared_ptr<ZelvanURLRequest>& request);
    void fetchEnded(const std::shared_ptr<ZelvanURLConnection>& connection, ZelvanFetchResult result);
    bool isWebHost(const std::string& absoluteUrl) const;
    void store(const std::string& absoluteUrl, const fnd::Bytes& body);
    // The cache file at `path` was read or handed out: it becomes the most recently used.
    void usedFile(const std::string& path);
    // Learns the folder's files once, trimming them to the budget (under budgetMutex_).
    void learnFolder();
    void forgetPhotoLoad(const PhotoLoad* load);
    // Has the loop that starts the fetches start the newly queued ones.
    void nudgeFetchLoop();

    WebCacheEnvironment environment_;
    const std::string cachePath_;

    mutable std::recursive_mutex mutex_;
    std::deque<std::shared_ptr<ZelvanURLRequest>> queue_;
    std::weak_ptr<fnd::RunLoop> fetchLoop_; // where startQueuedFetches last ran
    bool nudged_ = false;                   // a start is posted to it and has not run yet
    std::vector<std::shared_ptr<ZelvanURLConnection>> inFlight_;
    std::vector<std::shared_ptr<PhotoLoad>> photoLoads_;
    int64_t nextRequestId_ = 1;
    // The budget and its files; a lock of its own, taken last, so the queue never waits on a store.
    std::mutex budgetMutex_;
    FolderBudget budget_{kMaxCacheBytes};
    bool folderLearnt_ = false;
};

} // namespace zelvan
