// AppGameHost: each request of the natives passed to the object of the application that serves it.
#include "games/room/app_game_host.h"

#include "core/zelvan_app_delegate.h"
#include "games/cache/zelvan_game_cache.h"
#include "games/engine/game_file_path.h"
#include "games/room/game_room_web_controller.h"
#include "platform/device/photo_album.h"
#include "platform/ui/window.h"

namespace zelvan {

AppGameHost::AppGameHost(std::weak_ptr<zelvanAppDelegate> delegate, std::shared_ptr<ZelvanGameCache> cache,
                         std::weak_ptr<GameRoomWebController> controller)
    : delegate_(std::move(delegate)), cache_(std::move(cache)), controller_(std::move(controller)) {}

void AppGameHost::send(fnd::Value packet) {
    if (auto app = delegate_.lock()) {
        app->send(packet);
    }
}

int32_t AppGameHost::gameAudioEnable() {
    auto app = delegate_.lock();
    return app != nullptr && app->gameAudioEnable() ? 1 : 0;
}

void AppGameHost::showAlert(std::string title, std::string message) {
    if (auto app = delegate_.lock()) {
        app->showAlert(title.empty() ? std::nullopt : std::optional(std::move(title)), message);
    }
}

void AppGameHost::requestDataWithKeys(std::vector<std::string> keys) {
    if (cache_ != nullptr) {
        cache_->requestDataWithKeys(keys);
    }
}

std::optional<std::string> AppGameHost::newDataWithKey(std::string key) {
    return cache_ != nullptr ? cache_->newDataWithKey(key) : std::nullopt;
}

std::optional<fnd::Bytes> AppGameHost::newFileData(std::string path) {
    return zelvan::newFileData(path);
}

std::shared_ptr<GameScreen> AppGameHost::playingGame() {
    auto controller = controller_.lock();
    return controller != nullptr ? controller->playingScreen() : nullptr;
}

void AppGameHost::scriptQuitGuide(int32_t kind) {
    if (auto controller = controller_.lock()) {
        controller->scriptQuitGuide(kind);
    }
}

void AppGameHost::scriptQuitGame(fnd::Value args) {
    if (auto controller = controller_.lock()) {
        controller->scriptQuitGame(std::move(args));
    }
}

void AppGameHost::scriptShowAlert(fnd::Value args) {
    if (auto controller = controller_.lock()) {
        controller->scriptShowAlert(std::move(args));
    }
}

void AppGameHost::scriptOpenUrl(fnd::Value args) {
    if (auto controller = controller_.lock()) {
        controller->scriptOpenUrl(std::move(args));
    }
}

gfx::ImagePtr AppGameHost::lastComposedFrame() {
    auto app = delegate_.lock();
    auto window = app != nullptr ? app->window() : nullptr;
    return window != nullptr ? window->lastComposedFrame() : nullptr;
}

void AppGameHost::saveToPhotoAlbum(gfx::ImagePtr image) {
    device::PhotoAlbum::saveImage(image);
}

std::optional<std::string> AppGameHost::gameFilePath(const std::string& path) {
    return cache_ != nullptr ? cache_->gameFilePath(path) : std::nullopt;
}

} // namespace zelvan
