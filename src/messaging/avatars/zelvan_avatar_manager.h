// ZelvanAvatarManager: the pictures of users and chat groups by version. It keeps the files the game
// server sent under avatar_cache/ (at most 32 MiB, the least recently used making room), answers image requests at once
// from disk, memory or the bundle's default pictures, asks the server in the background for what is missing (at most
// two questions in flight, the newest need first) and tells its listeners when a picture arrives.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/app_services.h"
#include "core/bridge_targets.h"
#include "core/folder_budget.h"
#include "core/int_collections.h"
#include "core/lfu_cache.h"
#include "core/weak_reference_array.h"
#include "messaging/avatars/avatar_info.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "platform/foundation/timer.h"
#include "platform/graphics/image.h"
#include "protocol/command_table.h"
#include "protocol/network_loop.h"

namespace zelvan {

class zelvanAppDelegate;

// The screens' name for a listener of picture updates; every screen implements this one interface.
using AvatarUpdateDelegate = AvatarUpdateListener;

// All queues, the info map and the caches are used on the main thread only: server answers and
// connection events hop there, and the request timer runs on the main run loop.
class ZelvanAvatarManager : public AvatarService,
                            public AvatarHeads,
                            public AvatarFinder,
                            public ConnectionListener,
                            public std::enable_shared_from_this<ZelvanAvatarManager> {
public:
    static constexpr int kAskCommand = cmd::kAvatarAsk;
    static constexpr int kPictureCommand = cmd::kAvatarPicture;
    static constexpr int kVersionCommand = cmd::kAvatarVersion;
    static constexpr int kMaxPending = 2;
    static constexpr double kTimerInterval = 1.0;
    // A question unanswered for this long is asked again.
    static constexpr double kPendingTimeout = 30.0;
    static constexpr int kHeadCacheCapacity = 10;
    static constexpr const char* kCacheFolder = "avatar_cache";
    // The most the cache folder holds.
    static constexpr uint64_t kMaxCacheBytes = uint64_t{32} * 1024 * 1024;
    // The largest picture decoded from the cache folder: a larger one is refused from its header, with
    // one warning, before any pixel is decoded or turned grey.
    static constexpr gfx::DecodeLimit kPictureLimit{1024, 1024};

    // How a packet array goes to the game server (the delegate's send, not held for log-in).
    using Sender = std::function<void(const fnd::Value& packet)>;

    ZelvanAvatarManager(std::string cachePath, Sender send);
    ~ZelvanAvatarManager() override;
    ZelvanAvatarManager(const ZelvanAvatarManager&) = delete;
    ZelvanAvatarManager& operator=(const ZelvanAvatarManager&) = delete;

    // A manager over Documents/<bundle id>/avatar_cache/ that sends with the delegate's send.
    static std::shared_ptr<ZelvanAvatarManager> makeForDelegate(zelvanAppDelegate& delegate);
    // Documents/<bundle id>/avatar_cache/.
    static std::string defaultCachePath();

    // The cache folder, ending in "/".
    std::string cachePath() const;
    void setCachePath(std::string path);

    // --- Cache folder (avatar_cache.cpp) ---
    // Creates the folder, learns the versions from the file names and the files' sizes (removing the
    // least recently used ones beyond the budget) and starts the 1-second request timer on the calling
    // thread's run loop. False, and no timer, when the folder cannot be made.
    bool initCache();
    // Deletes every picture and starts over (initCache runs again on the main thread).
    void clearCache();
    // Empties both head caches (memory pressure).
    void freeCache();
    // Previous version of the user's picture of `type`, after storing `version`; -1 for a bad type.
    int32_t updateAvatarInfo(int32_t userId, int32_t type, int32_t version);
    // The version known of the user's picture of `type`, or -1.
    int32_t localAvatarVersion(int32_t userId, int32_t type) const;
    // The path of the file "user_type_version" in the cache folder.
    std::string avatarFilePath(int32_t userId, int32_t type, int32_t version) const;

    // --- Images (avatar_images.cpp); each returns null when there is nothing to show ---
    gfx::ImagePtr newImageAvatarHead(int32_t userId);
    gfx::ImagePtr newImageAvatarHead(int32_t userId, bool grayscale) override;
    gfx::ImagePtr newImageAvatarFull(int32_t userId);
    gfx::ImagePtr newImageHomePicure(int32_t userId);
    gfx::ImagePtr newImageAvatarChatGroup(int32_t groupId) override;
    gfx::ImagePtr newAvatarImage(int32_t id, int32_t type);
    // The file for the web bridge; a grey head's PNG is written on demand.
    std::optional<std::string> findAvatarPath(int32_t userId, int32_t type, bool grayscale) override;

    // --- Requests and answers (avatar_requests.cpp) ---
    void addAvatarRequest(int32_t userId, int32_t type, int32_t version);
    // One tick of the request timer: asks again what has waited too long for an answer, then sends
    // the newest waiting requests while fewer than two are pending.
    void fireTimerEvent();
    // Commands 17 and 24, on the network thread: handled on the main thread, not waited for.
    void handleServerResponse(const fnd::Value& packet) override;
    void handleServerResponseInternal(const fnd::Value& packet);
    // The connection dropped or came back (network thread): unanswered questions are asked again.
    void connectionLost() override;
    void connectionResumed() override;
    // Waiting requests (the last is sent first) and pending ones, as descriptions.
    std::vector<std::string> waitingRequests() const;
    std::vector<std::string> pendingRequests() const;

    // --- Listeners (avatar_requests.cpp) ---
    void addDelegate(const std::shared_ptr<AvatarUpdateDelegate>& listener) override;
    void removeDelegate(const std::shared_ptr<AvatarUpdateDelegate>& listener) override;
    void fireAvatarUpdatedEvent(int32_t userId, int32_t type, int32_t version);

private:
    std::shared_ptr<AvatarInfo> findInfo(int32_t userId) const;
    // Requests the head once per run for a user (the first ask of the user's head).
    void requestHeadOnce(int32_t userId, int32_t version);
    gfx::ImagePtr cachedImage(ZLFUCache& cache, int32_t userId);
    void cacheImage(ZLFUCache& cache, const gfx::ImagePtr& image, int32_t userId);
    void handlePicture(const fnd::Value& packet);
    void handleVersion(const fnd::Value& packet);
    // Removes a file of the cache folder; false (logged) when it is still there.
    bool removeCacheFile(const std::string& path);
    // Writes a file of the cache folder, first removing the least recently used files the budget
    // needs gone; false (logged) when it does not fit or cannot be written.
    bool writeCacheFile(const std::string& path, const fnd::Bytes& bytes);
    // The name of a path of the cache folder, relative to it.
    std::string cacheFileName(const std::string& path) const;
    // Moves every pending request back to the waiting queue, or only those sent before `sentBefore`.
    void requeuePending(std::optional<double> sentBefore);
    void scanCacheFolder();

    mutable std::recursive_mutex mutex_;
    std::string cachePath_;
    Sender send_;
    ZIntNSObjectMap infos_;
    ZIntSet requestedUserIds_;
    std::vector<std::shared_ptr<AvatarRequest>> requestQueue_;
    std::vector<std::shared_ptr<AvatarRequest>> pendingQueue_;
    std::recursive_mutex delegatesMutex_;
    ZWeakReferenceArray<AvatarUpdateDelegate> delegates_;
    gfx::ImagePtr defaultHead_;
    gfx::ImagePtr defaultGrayHead_;
    gfx::ImagePtr defaultHeadUnknown_;
    gfx::ImagePtr defaultGrayHeadUnknown_;
    gfx::ImagePtr defaultChatGroup_;
    std::shared_ptr<fnd::Timer> timer_;
    ZLFUCache headCache_{kHeadCacheCapacity};
    ZLFUCache grayHeadCache_{kHeadCacheCapacity};
    FolderBudget budget_{kMaxCacheBytes};
};

// The installed delegate's avatar manager, as messenger code uses it; null without a delegate or when
// the delegate's manager is of another kind.
std::shared_ptr<ZelvanAvatarManager> currentAvatarManager();

} // namespace zelvan
