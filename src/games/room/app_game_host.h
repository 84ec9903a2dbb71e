// AppGameHost: the application's door for the game natives. Packets, the sound setting, alerts and the
// window's picture come from the application delegate; resources from the game resource cache; the
// playing screen and the script's requests from the Games tab controller; saved pictures go to the
// photo album.
#pragma once

#include <memory>

#include "games/engine/natives/game_host.h"

namespace zelvan {

class GameRoomWebController;
class ZelvanGameCache;
class zelvanAppDelegate;

class AppGameHost : public GameHost {
public:
    // Holds the delegate and the controller weakly (the controller owns the screens that hold this
    // host); a null cache serves no resources.
    AppGameHost(std::weak_ptr<zelvanAppDelegate> delegate, std::shared_ptr<ZelvanGameCache> cache,
                std::weak_ptr<GameRoomWebController> controller);

    void send(fnd::Value packet) override;
    int32_t gameAudioEnable() override;
    void showAlert(std::string title, std::string message) override;

    void requestDataWithKeys(std::vector<std::string> keys) override;
    std::optional<std::string> newDataWithKey(std::string key) override;
    std::optional<fnd::Bytes> newFileData(std::string path) override;

    std::shared_ptr<GameScreen> playingGame() override;
    void scriptQuitGuide(int32_t kind) override;
    void scriptQuitGame(fnd::Value args) override;
    void scriptShowAlert(fnd::Value args) override;
    void scriptOpenUrl(fnd::Value args) override;

    // The window is built at launch, before the game thread starts, and kept for the process's life.
    gfx::ImagePtr lastComposedFrame() override;
    void saveToPhotoAlbum(gfx::ImagePtr image) override;
    std::optional<std::string> gameFilePath(const std::string& path) override;

private:
    std::weak_ptr<zelvanAppDelegate> delegate_;
    std::shared_ptr<ZelvanGameCache> cache_;
    std::weak_ptr<GameRoomWebController> controller_;
};

} // namespace zelvan
