// The natives' one door to the client: GameHost (packets, sound setting, alerts, the game resource
// cache, the room controller's script calls) and GameScreen (the playing game screen), plus the guard
// that shares the main drawing surface between the engine and the screen that paints it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

namespace gfx {
class Context;
} // namespace gfx

namespace zelvan {

// The game screen on display. Every member that reaches a view moves its work to the main thread
// and returns at once, so a native never waits for the main thread.
class GameScreen {
public:
    virtual ~GameScreen() = default;

    // The id and attribute bits of the screen's room record; 0 and 0 without one (the tutorial).
    virtual int32_t roomId() const = 0;
    virtual int32_t roomAttribute() const = 0;

    // [name, x, y, font size, alpha, colour, index, width, height (only when given)].
    virtual void drawUserName(fnd::Value info) = 0;
    virtual void hideUserName(int32_t index) = 0;
    // `customColors` is an array of integers, or null.
    virtual void displayChat(int32_t x, int32_t y, int32_t width, int32_t height, int32_t size, int32_t color,
                             int32_t alpha, fnd::Value customColors) = 0;
    virtual void showInput() = 0;
    virtual void showUserInfo(int32_t index) = 0;
    virtual void webDlgShow(std::string url) = 0;
    virtual void tapHighlight(gfx::Rect rect) = 0;
    // A copy of the game as drawn (the script view's backing), taken on the calling thread without
    // waiting for the main thread; null when there is none.
    virtual gfx::ImagePtr screenImage() const { return nullptr; }
};

// What the natives ask of the client. Room-controller members move their work to the main thread
// themselves and return at once.
class GameHost {
public:
    virtual ~GameHost() = default;

    // Queues a packet (an array whose element 0 is the command number) for the game server.
    virtual void send(fnd::Value packet) = 0;
    // Non-zero while game sound is on.
    virtual int32_t gameAudioEnable() = 0;
    // A simple alert with `title` (possibly empty) and `message`.
    virtual void showAlert(std::string title, std::string message) = 0;

    // Game resource cache: asks the server for the keys it does not hold; hands out a ready result
    // (the resource's local file path) once, or nothing; reads a file's bytes, or nothing.
    virtual void requestDataWithKeys(std::vector<std::string> keys) = 0;
    virtual std::optional<std::string> newDataWithKey(std::string key) = 0;
    virtual std::optional<fnd::Bytes> newFileData(std::string path) = 0;

    // A strong reference to the screen of the game being played, or null.
    virtual std::shared_ptr<GameScreen> playingGame() = 0;
    virtual void scriptQuitGuide(int32_t kind) = 0;
    // The arrays the script built: [kind, text, ...] or, for a URL, [text, ...].
    virtual void scriptQuitGame(fnd::Value args) = 0;
    virtual void scriptShowAlert(fnd::Value args) = 0;
    virtual void scriptOpenUrl(fnd::Value args) = 0;

    // The last frame the main thread composed for the application window, or null. Never waits for
    // the main thread.
    virtual gfx::ImagePtr lastComposedFrame() { return nullptr; }
    // Writes `image` to the device's saved-photos album, with no report back.
    virtual void saveToPhotoAlbum(gfx::ImagePtr /*image*/) {}
    // The resolved path of `path` when game code may read it: an absolute path that, with ".." and
    // symbolic links resolved, names a regular file inside the game cache folder or the bundle's
    // resources. Nothing for every other path (a client that names no folders admits none).
    virtual std::optional<std::string> gameFilePath(const std::string& /*path*/) { return std::nullopt; }
};

// Shares the main drawing surface (buffer slot 0) between the engine and the view that paints it.
// The view swaps `surface` under `lock`; every run of the engine takes the lock briefly to pick up
// the current surface and save its graphics state, and again afterwards to restore it, so the state
// stack never grows and a clip set during a tick never reaches the next paint.
// `lockPixels`, when set, locks the surface's pixels against the display pass (the backing mutex of
// the view that owns it) until the token it gives is released; the token also keeps the owner alive.
// The save and restore hold it, and so does every draw on slot 0, so the view never copies half a
// draw. Lock order: engine lock, then `lock`, then the pixel lock.
struct SurfaceGuard {
    std::mutex lock;
    std::shared_ptr<gfx::Context> surface;
    std::function<std::shared_ptr<void>()> lockPixels;
};

} // namespace zelvan
