// ZelvanGameCache: the game resource cache. Games ask for resources by key; a key is answered from a
// file under Documents/<bundle id>/game_cache/ (named by the MD5 of the normalised key) or from the
// bundle, else asked of the game server in batches of at most five (command 76) and stored from its
// replies (command 23). Keys containing "face" are re-confirmed with the server every 600 s. The folder
// holds at most 64 MiB: the least recently used files make room for new ones. The cache owns the per-game
// version store.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/app_services.h"
#include "core/bridge_targets.h"
#include "core/folder_budget.h"
#include "games/cache/zlv_game_cache_request.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "protocol/command_table.h"
#include "protocol/zelvan_packet.h"

namespace zelvan {

class zelvanAppDelegate;
class ZLVGameVersion;

// What the cache needs of the application.
struct GameCacheEnvironment {
    // The cache folder (a trailing "/" is added when missing).
    std::string cachePath;
    // The bundle's resource folder, searched after the cache.
    std::string bundlePath;
    // Queues a packet for the game server (the delegate's sendPacket).
    std::function<void(const ZelvanPacket&)> sendPacket;
};

// Every member may be called from any thread: one recursive lock guards the queues, the maps and the
// files that replies write.
class ZelvanGameCache : public GameCacheService,
                        public GameCacheTarget,
                        public std::enable_shared_from_this<ZelvanGameCache> {
public:
    static constexpr int kRequestCommand = cmd::kGameResourceAsk;
    static constexpr int kReplyCommand = cmd::kGameResource;
    // Keys in one 76 batch.
    static constexpr size_t kBatchSize = 5;
    // Sweeps of the confirmations run at most this often, and drop those older than the lifetime.
    static constexpr double kSweepInterval = 60.0;
    static constexpr double kConfirmationLifetime = 600.0;
    // What findRequest and findPending answer for a key they do not hold.
    static constexpr int32_t kNotFound = INT32_MAX;
    static constexpr const char* kCacheFolder = "game_cache";
    // The most the cache folder holds.
    static constexpr uint64_t kMaxCacheBytes = uint64_t{64} * 1024 * 1024;
    // Keys containing this are asked of the server again once their confirmation expires.
    static constexpr const char* kRecheckMarker = "face";

    ZelvanGameCache(GameCacheEnvironment environment, std::shared_ptr<ZLVGameVersion> version);
    ~ZelvanGameCache() override;
    ZelvanGameCache(const ZelvanGameCache&) = delete;
    ZelvanGameCache& operator=(const ZelvanGameCache&) = delete;

    // The delegate's cache: Documents/<bundle id>/game_cache/, the main bundle, the delegate's
    // sendPacket, and a version store whose download runs work over the delegate's connection, web
    // cache and Games tab. initCache is left to the caller.
    static std::shared_ptr<ZelvanGameCache> makeForDelegate(zelvanAppDelegate& delegate);
    // Documents/<bundle id>/game_cache/.
    static std::string defaultCachePath();

    // --- Files (zelvan_game_cache.cpp) ---
    // The cache folder, ending in "/".
    const std::string& cachePath() const { return cachePath_; }
    const std::string& bundlePath() const { return bundlePath_; }
    // Creates the folder (with its parents), removes the temporary files an interrupted write left in
    // it and learns its files, removing the least recently used ones beyond the budget. False, keeping
    // the error, when the folder cannot be made.
    bool initCache();
    // The last file error, empty when none.
    std::string lastError() const;
    // A key as a relative file name: its path components other than "", "." and ".." joined with
    // "/" ("a/../b/./c" -> "a/b/c"; "." and ".." alone -> "").
    static std::string resourceFileName(const std::string& key);
    // The cache folder + the lower-case MD5 hex of `name`.
    std::string cacheFilePath(const std::string& name) const;
    // The bundle file of `name` when it is a regular file inside the bundle (links resolved).
    std::optional<std::string> bundleFilePath(const std::string& name) const;
    // The cache file of the normalised key when it is there, else its bundle file, else nullopt.
    std::optional<std::string> fileFullPath(const std::string& key) const;
    // The bytes of the cache file of `name`, else of its bundle file, else nullopt.
    std::optional<fnd::Bytes> newDataWithFilename(const std::string& name) const;
    // The size of the regular file at `path`; -1 when there is none (folders do not count).
    static int64_t fileSize(const std::string& path);
    // The natives' rule: the resolved path when it is a regular file inside the cache folder or the
    // bundle, else nullopt.
    std::optional<std::string> gameFilePath(const std::string& path) const;
    // Empties the version store and the confirmations, deletes the cache folder and makes it again.
    void clearCache() override;
    // Replaces the cache file of `name` (a resource file name) atomically, first removing the least
    // recently used files the budget needs gone; false (logged) when it cannot be written or does not
    // fit. Files of results not yet collected that a game asked for are never removed.
    bool storeFile(const std::string& name, const fnd::Bytes& data);

    // --- Requests and replies (game_cache_requests.cpp) ---
    // Answers each key from a local file or queues it for the server, then sends a batch if none is
    // in flight. Each call also allows one more re-ask per key (see the reply handling).
    void requestDataWithKeys(const std::vector<std::string>& keys);
    // The ready result for the key (the file's full path), taken out of the results; nullopt when
    // nothing is ready.
    std::optional<std::string> newDataWithKey(const std::string& key);
    // Queues a key: ignored while pending, moved to the front while waiting, else appended.
    void addRequest(const std::string& key, int64_t localSize);
    // Index of the key in the waiting queue / the pending batch, or kNotFound.
    int32_t findRequest(const std::string& key);
    int32_t findPending(const std::string& key);
    // Sends the next batch (76 [key, size, ...], at most five keys) when none is in flight.
    void sendRequestIf();
    // Command 23 [23, key] or [23, key, data]; a malformed one is logged and changes nothing.
    void handleServerResponse(const fnd::Value& packet) override;
    // Drops confirmations older than 600 s, at most once a minute.
    void expireRequested() override;
    // Drops waiting and pending keys and uncollected results.
    void clearRequest() override;

    std::shared_ptr<ZLVGameVersion> getVersion() const { return gameVersion_; }

    // What tests and fuzzing look at: keys waiting (in order), keys pending, ready keys, and whether
    // the bookkeeping is consistent (the key set mirrors the queue, at most five pending, no key
    // both waiting and pending).
    std::vector<std::string> waitingKeys() const;
    std::vector<std::string> pendingKeys() const;
    std::vector<std::string> readyKeys() const;
    bool invariantsHold() const;

private:
    static bool needsRecheck(const std::string& key);
    // Queues the keys; `fromGame` says a game asked (which renews each key's single re-ask).
    void requestKeys(const std::vector<std::string>& keys, bool fromGame);
    // Stores a reply's bytes; the key becomes a result, kept until collected when `asked`.
    void storeReply(const std::string& key, const fnd::Bytes& data, bool asked);
    void removeTemporaryFiles();
    // Makes `path` the result of `key` for the game that asked: it is kept until collected.
    void setAskedResult(const std::string& key, const std::string& path);
    // The name of `path` inside the cache folder, or "" for a path elsewhere.
    std::string cacheFileName(const std::string& path) const;
    // Drops the results whose files the budget removed.
    void forgetRemovedFiles(const std::vector<std::string>& names);

    const std::string cachePath_;
    const std::string bundlePath_;
    const std::function<void(const ZelvanPacket&)> sendPacket_;
    const std::shared_ptr<ZLVGameVersion> gameVersion_;

    mutable std::recursive_mutex mutex_;
    std::string error_;
    std::map<std::string, std::string> cacheMap_;
    // Cache file names of results a game asked for and has not collected yet.
    std::set<std::string> askedResults_;
    FolderBudget budget_{kMaxCacheBytes};
    double expireTime_ = 0;
    std::vector<ZLVGameCacheRequest> pendingRequestQueue_;
    std::set<std::string> requestSet_;
    std::deque<ZLVGameCacheRequest> requestQueue_;
    std::map<std::string, ZLVGameCacheRequest> requestedMap_;
    // Keys re-asked after a data-less reply found no local file, since the game last asked for them.
    std::set<std::string> reasked_;
};

} // namespace zelvan
