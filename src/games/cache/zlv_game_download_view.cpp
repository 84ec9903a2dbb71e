// The download run's exchange with the game server: the 406 list of files, the 410 batches, and the
// end of the run told to the page and the version store.
#include "games/cache/zlv_game_download_view.h"

#include <algorithm>
#include <utility>

#include "core/main_thread.h"
#include "games/cache/zlv_game_version.h"
#include "platform/foundation/array.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "web/js_escape.h"
#include "web/z_advanced_web_view_controller.h"

namespace zelvan {

namespace {

// A reply's element that must be an integer (not a bool, a text or a fraction).
std::optional<int64_t> integerAt(const fnd::Array& items, size_t index) {
    return index < items.count() ? items.objectAtIndex(index).asInt() : std::nullopt;
}

} // namespace

ZLVGameDownloadView::ZLVGameDownloadView(GameDownloadEnvironment environment, std::weak_ptr<ZLVGameVersion> store)
    : environment_(std::move(environment)), store_(std::move(store)) {}

ZLVGameDownloadView::~ZLVGameDownloadView() {
    if (environment_.removeCmdDelegate) {
        environment_.removeCmdDelegate(this);
    }
    if (environment_.removeConnectionDelegate) {
        environment_.removeConnectionDelegate(this);
    }
}

void ZLVGameDownloadView::startDownload(int32_t gameId, const std::string& language, const std::string& name) {
    id_ = gameId;
    lang_ = language;
    name_ = name;
    const auto store = store_.lock();
    const int32_t localVersion = store ? store->getLocaleVersion(gameId, language) : -1;
    // Registered before asking, so a quick reply cannot arrive before anyone listens.
    if (environment_.addCmdDelegate) {
        environment_.addCmdDelegate(kListCommand, shared_from_this());
    }
    if (environment_.addConnectionDelegate) {
        environment_.addConnectionDelegate(shared_from_this());
    }
    ZelvanPacket packet(kListCommand);
    packet.addInt(gameId);
    packet.addObject(language);
    packet.addInt(localVersion);
    if (environment_.sendPacket) {
        environment_.sendPacket(packet);
    }
}

void ZLVGameDownloadView::handleServerResponse(const fnd::Value& packet) {
    onMain([self = shared_from_this(), packet] { self->handleServerResponseInMainThread(packet); });
}

void ZLVGameDownloadView::connectionLost() {
    onMain([self = shared_from_this()] {
        if (self->ended_ || self->close_) {
            return;
        }
        ZLOG(Warn, "game download %d: the connection dropped; the run ends as failed", self->id_);
        self->abandonRun();
    });
}

void ZLVGameDownloadView::abandonRun() {
    for (const auto& [key, request] : pendingRequests_) {
        failedUris_.push_back(request);
    }
    failedUris_.insert(failedUris_.end(), requests_.begin(), requests_.end());
    pendingRequests_.clear();
    requests_.clear();
    finishFailed();
}

void ZLVGameDownloadView::handleServerResponseInMainThread(const fnd::Value& packet) {
    if (ended_ || close_) {
        return;
    }
    const auto items = packet.asArray();
    const auto command = items && !items->empty() ? items->objectAtIndex(0).asInt() : std::nullopt;
    if (command == kListCommand) {
        handleList(packet);
    } else if (command == kFileCommand) {
        handleFile(packet);
    }
}

void ZLVGameDownloadView::handleList(const fnd::Value& packet) {
    const auto items = packet.asArray();
    const auto version = integerAt(*items, 3);
    const auto list = items->count() == 5 ? items->objectAtIndex(4).asArray() : nullptr;
    if (listed_ || !version || !list || list->count() % 3 != 0) {
        ZLOG(Warn, "game download %d: malformed or repeated file list %@ ignored", id_, fnd::logPreview(packet));
        return;
    }
    std::vector<std::shared_ptr<ZLVDownloadRequest>> requests;
    int64_t total = 0;
    for (size_t i = 0; i < list->count(); i += 3) {
        const fnd::Value& path = list->objectAtIndex(i);
        const auto type = integerAt(*list, i + 1);
        const auto size = integerAt(*list, i + 2);
        if (!path.isString() || !type || !size || *size < 0 || *size > INT32_MAX || *type < INT32_MIN ||
            *type > INT32_MAX) {
            ZLOG(Warn, "game download %d: malformed file list %@ ignored", id_, fnd::logPreview(packet));
            return;
        }
        auto request =
            ZLVDownloadRequest::initWithPath(*path.asString(), static_cast<int>(*type), environment_.webHost);
        request->setServerSize(*size);
        if (*size != request->getLocalFileSize(stores())) {
            total += *size;
            requests.push_back(std::move(request));
        }
    }
    if (total > kMaxDownloadBytes) {
        ZLOG(Warn,
             "game download %d: the list announces %lld bytes, more than the %lld a download may bring; "
             "the run ends as failed",
             id_, static_cast<long long>(total), static_cast<long long>(kMaxDownloadBytes));
        failedUris_ = std::move(requests);
        finishFailed();
        return;
    }
    listed_ = true;
    serverVersion_ = static_cast<int32_t>(std::clamp<int64_t>(*version, INT32_MIN, INT32_MAX));
    requests_.assign(std::make_move_iterator(requests.begin()), std::make_move_iterator(requests.end()));
    downloadSize_ = total;
    if (requests_.empty()) {
        // Everything is current: the run succeeds at once.
        checkFinish();
        return;
    }
    if (environment_.addCmdDelegate) {
        environment_.addCmdDelegate(kFileCommand, shared_from_this());
    }
    startRequestsIfPossible();
}

void ZLVGameDownloadView::startRequestsIfPossible() {
    if (!pendingRequests_.empty() || requests_.empty()) {
        return;
    }
    ZelvanPacket packet(kFileCommand);
    int64_t total = 0;
    while (total < kBatchBytes && !requests_.empty()) {
        auto request = std::move(requests_.front());
        requests_.pop_front();
        total += request->serverSize();
        packet.addObject(request->filepath());
        packet.addInt(request->type());
        pendingRequests_.emplace(std::make_pair(request->type(), request->filepath()), std::move(request));
    }
    if (environment_.sendPacket) {
        environment_.sendPacket(packet);
    }
}

void ZLVGameDownloadView::handleFile(const fnd::Value& packet) {
    const auto items = packet.asArray();
    const auto type = integerAt(*items, 2);
    const fnd::Value& data = items->count() == 4 ? items->objectAtIndex(3) : fnd::Value();
    if (items->count() != 4 || !items->objectAtIndex(1).isString() || !type || *type < INT32_MIN || *type > INT32_MAX ||
        !(data.isData() || data.isNull())) {
        ZLOG(Warn, "game download %d: malformed file reply %@ ignored", id_, fnd::logPreview(packet));
        return;
    }
    if (!listed_) {
        ZLOG(Warn, "game download %d: a file arrived before the file list; ignored", id_);
        return;
    }
    const std::string& path = *items->objectAtIndex(1).asString();
    std::shared_ptr<ZLVDownloadRequest> request;
    const auto key = std::make_pair(static_cast<int32_t>(*type), path);
    const auto found = pendingRequests_.lower_bound(key);
    const bool asked = found != pendingRequests_.end() && found->first == key;
    if (asked) {
        request = std::move(found->second);
        pendingRequests_.erase(found);
    } else {
        // Stored all the same, within the run's bytes.
        ZLOG(Warn, "not found in pending request %@, %d", fnd::logPreview(path), static_cast<int>(*type));
        request = ZLVDownloadRequest::initWithPath(path, static_cast<int>(*type), environment_.webHost);
    }
    const fnd::Bytes* bytes = data.asData();
    const int64_t size = bytes != nullptr ? static_cast<int64_t>(bytes->size()) : 0;
    if (size > kMaxDownloadBytes - storedBytes_) {
        ZLOG(Warn,
             "game download %d: the server sent more than the %lld bytes a download may bring; the run ends as "
             "failed",
             id_, static_cast<long long>(kMaxDownloadBytes));
        failedUris_.push_back(request);
        abandonRun();
        return;
    }
    if (asked && size > request->serverSize()) {
        ZLOG(Warn, "game download %d: %@ brings %lld bytes, more than the %lld announced; refused", id_,
             fnd::logPreview(path), static_cast<long long>(size), static_cast<long long>(request->serverSize()));
        failedUris_.push_back(request);
    } else if (bytes != nullptr && request->saveToFile(*bytes, stores())) {
        storedBytes_ += size;
        downloadedSize_ += size;
        updateProgress();
    } else {
        failedUris_.push_back(request);
        ZLOG(Warn, "Download %@ failed", request->uriStr());
    }
    startRequestsIfPossible();
    checkFinish();
}

void ZLVGameDownloadView::checkFinish() {
    if (!requests_.empty() || !pendingRequests_.empty()) {
        return;
    }
    if (failedUris_.empty()) {
        finishSucceeded();
    } else {
        finishFailed();
    }
}

void ZLVGameDownloadView::endRun() {
    ended_ = true;
    if (environment_.removeCmdDelegate) {
        environment_.removeCmdDelegate(this);
    }
    if (environment_.removeConnectionDelegate) {
        environment_.removeConnectionDelegate(this);
    }
    removeProgressView();
}

void ZLVGameDownloadView::finishFailed() {
    auto self = shared_from_this(); // the store releases the run below
    endRun();
    ZLOG(Warn, "******************** failed download ");
    if (environment_.showInfo) {
        environment_.showInfo("Download failed.");
    }
    if (auto store = store_.lock()) {
        store->downloadFailed();
    }
}

void ZLVGameDownloadView::finishSucceeded() {
    auto self = shared_from_this();
    endRun();
    if (auto tab = environment_.gamesTab ? environment_.gamesTab() : nullptr) {
        tab->callJS(fnd::format("gameDownloaded(%d,%@,%@);", id_, jsStringLiteral(lang_), jsStringLiteral(name_)));
    } else {
        ZLOG(Warn, "game download %d: no Games tab to tell that the download finished", id_);
    }
    if (auto store = store_.lock()) {
        store->downloadFinished(id_, lang_, serverVersion_);
    }
}

} // namespace zelvan
