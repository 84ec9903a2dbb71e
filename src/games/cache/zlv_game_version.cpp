// The game version store: versions by game and language in a state file, and the single download run.
#include "games/cache/zlv_game_version.h"

#include <utility>

#include "core/state_files.h"
#include "games/cache/zlv_game_download_view.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/log.h"

namespace zelvan {

ZLVGameVersion::ZLVGameVersion(RunFactory makeRun) : makeRun_(std::move(makeRun)) {
    auto stored = readfile(kStorageFile);
    if (stored && stored->isDictionary()) {
        versionMap_ = *stored;
    } else {
        if (!stored) {
            logReadfileError(stored.error());
        } else {
            ZLOG(Warn, "game versions: %@ holds no dictionary; starting empty", kStorageFile);
        }
        versionMap_ = fnd::Value::dictionary();
    }
}

ZLVGameVersion::~ZLVGameVersion() = default;

void ZLVGameVersion::setRunFactory(RunFactory makeRun) {
    std::lock_guard lock(mutex_);
    makeRun_ = std::move(makeRun);
}

int32_t ZLVGameVersion::getLocaleVersion(int32_t gameId, const std::string& language) {
    std::lock_guard lock(mutex_);
    const fnd::Value& game = versionMap_.asDictionary()->objectForKey(gameId);
    const auto languages = game.asDictionary();
    const fnd::Value* version = languages ? languages->find(language) : nullptr;
    return version != nullptr && version->isNumber() ? version->intValue() : -1;
}

void ZLVGameVersion::setLocaleVersion(int32_t gameId, const std::string& language, int32_t version) {
    std::lock_guard lock(mutex_);
    auto games = versionMap_.asDictionary();
    auto languages = games->objectForKey(gameId).asDictionary();
    if (!languages) {
        languages = fnd::Dictionary::make();
        games->setObject(fnd::Value(languages), gameId);
    }
    languages->setObject(fnd::Value(version), language);
    saveStorage();
}

void ZLVGameVersion::saveStorage() {
    std::lock_guard lock(mutex_);
    writefile(kStorageFile, versionMap_);
}

void ZLVGameVersion::clear() {
    std::lock_guard lock(mutex_);
    versionMap_.asDictionary()->removeAllObjects();
    saveStorage();
}

bool ZLVGameVersion::startDownload(int32_t gameId, const std::string& language, const std::string& name) {
    RunFactory makeRun;
    {
        std::lock_guard lock(mutex_);
        if (download_ || starting_) {
            ZLOG(Warn, "Won't start new download session, a session in processing...");
            return false;
        }
        starting_ = true;
        makeRun = makeRun_;
    }
    // The factory reaches the delegate's registry, whose lock is held while this store is made: it runs
    // outside this store's lock, so the two locks are only ever taken registry first.
    std::shared_ptr<ZLVGameDownloadView> run = makeRun ? makeRun(weak_from_this()) : nullptr;
    {
        std::lock_guard lock(mutex_);
        starting_ = false;
        download_ = run;
    }
    if (!run) {
        ZLOG(Warn, "game versions: no download run can be made for game %d", gameId);
        return false;
    }
    run->startDownload(gameId, language, name);
    return true;
}

bool ZLVGameVersion::hasDownloadView() {
    std::lock_guard lock(mutex_);
    return download_ != nullptr;
}

void ZLVGameVersion::showDownloadView() {
    if (auto run = download()) {
        run->showProgressView();
    }
}

std::shared_ptr<ZLVGameDownloadView> ZLVGameVersion::download() {
    std::lock_guard lock(mutex_);
    return download_;
}

void ZLVGameVersion::releaseRun() {
    std::shared_ptr<ZLVGameDownloadView> run;
    {
        std::lock_guard lock(mutex_);
        run = std::move(download_);
    }
    if (run) {
        run->setClose(true);
    }
}

void ZLVGameVersion::downloadFinished(int32_t gameId, const std::string& language, int32_t version) {
    releaseRun();
    setLocaleVersion(gameId, language, version);
}

void ZLVGameVersion::downloadFailed() {
    releaseRun();
}

} // namespace zelvan
