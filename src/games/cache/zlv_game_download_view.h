// ZLVGameDownloadView: one run bringing a game's resources for a language up to date. It asks the
// game server which files changed (command 406), fetches them in batches of about 30 KB (command 410),
// stores them in the game resource cache or the web cache (each file no larger than the list announced,
// at most 64 MiB in all), shows a progress bar over the Games tab,
// and at the end tells the Games tab's page and the version store. Replies and connection events
// arrive on the network thread and are handled on the main thread, where the run lives.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "games/cache/zlv_download_request.h"
#include "platform/foundation/value.h"
#include "protocol/command_handler.h"
#include "protocol/command_table.h"
#include "protocol/network_loop.h"
#include "protocol/zelvan_packet.h"

namespace ui {
class ProgressView;
} // namespace ui

namespace zelvan {

class ZAdvancedWebViewController;
class ZLVGameVersion;

// What a run needs of the application.
struct GameDownloadEnvironment {
    // Queues a packet for the game server.
    std::function<void(const ZelvanPacket&)> sendPacket;
    // The command map and the connection's listeners.
    std::function<void(int cmd, const std::shared_ptr<CommandHandler>&)> addCmdDelegate;
    std::function<void(const CommandHandler*)> removeCmdDelegate;
    std::function<void(const std::shared_ptr<ConnectionListener>&)> addConnectionDelegate;
    std::function<void(const ConnectionListener*)> removeConnectionDelegate;
    // The web host of the files' URLs.
    std::string webHost;
    // Where files are kept. The game cache owns the version store that owns the run, so the run
    // holds it weakly.
    std::weak_ptr<ZelvanGameCache> gameCache;
    std::shared_ptr<ZelvanWebCache> webCache;
    // The Games tab's page controller, or null while there is none.
    std::function<std::shared_ptr<ZAdvancedWebViewController>()> gamesTab;
    // Shows the information box without a title.
    std::function<void(const std::string& message)> showInfo;
};

class ZLVGameDownloadView : public CommandHandler,
                            public ConnectionListener,
                            public std::enable_shared_from_this<ZLVGameDownloadView> {
public:
    static constexpr int kListCommand = cmd::kGameFileList;
    static constexpr int kFileCommand = cmd::kGameFile;
    // A batch grows while its announced sizes add up to less than this.
    static constexpr int64_t kBatchBytes = 30720;
    // The most one run stores, files asked for and files sent unasked together; a list announcing more,
    // or a server sending more, ends the run as failed.
    static constexpr int64_t kMaxDownloadBytes = int64_t{64} * 1024 * 1024;
    static constexpr double kProgressWidth = 320;
    static constexpr double kProgressHeight = 50;

    ZLVGameDownloadView(GameDownloadEnvironment environment, std::weak_ptr<ZLVGameVersion> store);
    ~ZLVGameDownloadView() override;
    ZLVGameDownloadView(const ZLVGameDownloadView&) = delete;
    ZLVGameDownloadView& operator=(const ZLVGameDownloadView&) = delete;

    // --- The run (zlv_game_download_view.cpp) ---
    // Registers for 406 and the connection, then sends 406 [game id, language, local version].
    void startDownload(int32_t gameId, const std::string& language, const std::string& name);
    // Commands 406 and 410 (network thread): handled on the main thread, not waited for.
    void handleServerResponse(const fnd::Value& packet) override;
    // Main thread. A malformed reply is logged and changes nothing.
    void handleServerResponseInMainThread(const fnd::Value& packet);
    // The connection dropped (network thread): the run ends as failed on the main thread.
    void connectionLost() override;
    void setClose(bool close) { close_ = close; }
    bool isClose() const { return close_; }

    // What the tests look at.
    int64_t downloadSize() const { return downloadSize_; }
    int64_t downloadedSize() const { return downloadedSize_; }
    int32_t serverVersion() const { return serverVersion_; }
    size_t failedCount() const { return failedUris_.size(); }

    // --- The progress bar (game_download_progress.cpp; main thread) ---
    // Adds the bar to the Games tab's view (logged and skipped when there is no Games tab).
    void showProgressView();
    void removeProgressView();
    // The bar shows downloaded bytes / bytes to fetch (full when there is nothing to fetch).
    void updateProgress();
    // The bar, once made.
    const std::shared_ptr<ui::ProgressView>& progressView() const { return progressView_; }

private:
    DownloadStores stores() const { return {environment_.gameCache.lock(), environment_.webCache}; }
    void handleList(const fnd::Value& packet);
    void handleFile(const fnd::Value& packet);
    void startRequestsIfPossible();
    void checkFinish();
    void finishFailed();
    // Every file still to come counts as failed, and the run ends as failed.
    void abandonRun();
    void finishSucceeded();
    // Unregisters everything and removes the bar.
    void endRun();

    GameDownloadEnvironment environment_;
    std::weak_ptr<ZLVGameVersion> store_;
    int32_t id_ = 0;
    std::string lang_;
    std::string name_;
    int32_t serverVersion_ = -1;
    int64_t downloadSize_ = 0;
    int64_t downloadedSize_ = 0;
    // Bytes this run has stored, unasked files included.
    int64_t storedBytes_ = 0;
    bool listed_ = false;
    bool ended_ = false;
    std::atomic<bool> close_{false};
    // Files not asked for yet, in list order; each batch is taken from the front.
    std::deque<std::shared_ptr<ZLVDownloadRequest>> requests_;
    // The batch asked for, by (type, path); a file listed twice is answered in the order it was asked.
    std::multimap<std::pair<int32_t, std::string>, std::shared_ptr<ZLVDownloadRequest>> pendingRequests_;
    std::vector<std::shared_ptr<ZLVDownloadRequest>> failedUris_;
    std::shared_ptr<ui::ProgressView> progressView_;
};

} // namespace zelvan
