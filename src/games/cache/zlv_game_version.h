// ZLVGameVersion: the per-game resource versions (game id -> language -> version), kept whole in the
// state file "zelvangameversion" and rewritten after every change, and the one download run that may
// bring a game's resources up to date at a time. It is the pages' game version target.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/bridge_targets.h"
#include "platform/foundation/value.h"

namespace zelvan {

class ZLVGameDownloadView;

class ZLVGameVersion : public GameVersionTarget, public std::enable_shared_from_this<ZLVGameVersion> {
public:
    static constexpr const char* kStorageFile = "zelvangameversion";

    // Makes a download run that reports back to the store it is given.
    using RunFactory = std::function<std::shared_ptr<ZLVGameDownloadView>(std::weak_ptr<ZLVGameVersion> store)>;

    // Loads the versions from the storage file when there is one.
    explicit ZLVGameVersion(RunFactory makeRun = {});
    ~ZLVGameVersion() override;
    void setRunFactory(RunFactory makeRun);

    // The version completed for the game and language, -1 when none.
    int32_t getLocaleVersion(int32_t gameId, const std::string& language) override;
    // Stores the version and saves the file.
    void setLocaleVersion(int32_t gameId, const std::string& language, int32_t version);
    void saveStorage();
    // Forgets every version and saves the empty map.
    void clear();

    // Starts a download run; false (logged) while one is under way or no run can be made.
    bool startDownload(int32_t gameId, const std::string& language, const std::string& name) override;
    bool hasDownloadView() override;
    // The running download shows its progress bar.
    void showDownloadView() override;
    // The run succeeded: it is closed and released, and the version recorded.
    void downloadFinished(int32_t gameId, const std::string& language, int32_t version);
    // The run failed: it is closed and released only.
    void downloadFailed();
    // The run under way, or null.
    std::shared_ptr<ZLVGameDownloadView> download();

private:
    void releaseRun();

    std::recursive_mutex mutex_;
    fnd::Value versionMap_;
    RunFactory makeRun_;
    std::shared_ptr<ZLVGameDownloadView> download_;
    bool starting_ = false; // a run is being made, outside the lock
};

} // namespace zelvan
