// A recording GameHost and GameScreen for the game tests: every call is kept in order, resources and
// files are served from maps, and the playing screen is whatever the test sets.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "games/engine/game_file_path.h"
#include "games/engine/natives/game_host.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/value.h"

namespace zelvan::testing {

class FakeGameScreen : public GameScreen {
public:
    FakeGameScreen(int32_t roomId, int32_t attribute) : roomId_(roomId), attribute_(attribute) {}

    int32_t roomId() const override { return roomId_; }
    int32_t roomAttribute() const override { return attribute_; }
    void drawUserName(fnd::Value info) override { record(fnd::Value::array({"drawUserName", std::move(info)})); }
    void hideUserName(int32_t index) override { record(fnd::Value::array({"hideUserName", index})); }
    void displayChat(int32_t x, int32_t y, int32_t width, int32_t height, int32_t size, int32_t color, int32_t alpha,
                     fnd::Value customColors) override {
        record(fnd::Value::array({"displayChat", x, y, width, height, size, color, alpha, std::move(customColors)}));
    }
    void showInput() override { record(fnd::Value::array({"showInput"})); }
    void showUserInfo(int32_t index) override { record(fnd::Value::array({"showUserInfo", index})); }
    void webDlgShow(std::string url) override { record(fnd::Value::array({"webDlgShow", std::move(url)})); }
    void tapHighlight(gfx::Rect rect) override {
        record(fnd::Value::array({"tapHighlight", rect.origin.x, rect.origin.y, rect.size.width, rect.size.height}));
    }
    gfx::ImagePtr screenImage() const override { return backing; }

    // What screenImage() hands out.
    gfx::ImagePtr backing;

    // Every call so far, each as [name, arguments...].
    std::vector<fnd::Value> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    void record(fnd::Value call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }

    int32_t roomId_;
    int32_t attribute_;
    mutable std::mutex mutex_;
    std::vector<fnd::Value> calls_;
};

class FakeGameHost : public GameHost {
public:
    void send(fnd::Value packet) override { record(sent_, std::move(packet)); }
    int32_t gameAudioEnable() override { return audio; }
    void showAlert(std::string title, std::string message) override {
        record(calls_, fnd::Value::array({"showAlert", std::move(title), std::move(message)}));
    }
    void requestDataWithKeys(std::vector<std::string> keys) override {
        fnd::Value list = fnd::Value::array();
        for (std::string& key : keys) {
            list.asArray()->addObject(std::move(key));
        }
        record(calls_, fnd::Value::array({"requestDataWithKeys", std::move(list)}));
    }
    std::optional<std::string> newDataWithKey(std::string key) override {
        std::lock_guard lock(mutex_);
        auto found = readyPaths.find(key);
        if (found == readyPaths.end()) {
            return std::nullopt;
        }
        std::string path = found->second;
        readyPaths.erase(found);
        return path;
    }
    // From `files`, else from the disk.
    std::optional<fnd::Bytes> newFileData(std::string path) override {
        std::lock_guard lock(mutex_);
        auto found = files.find(path);
        if (found == files.end()) {
            return fnd::FileManager::isRegularFile(path) ? fnd::readFile(path) : std::nullopt;
        }
        return found->second;
    }
    std::shared_ptr<GameScreen> playingGame() override {
        std::lock_guard lock(mutex_);
        return screen;
    }
    void scriptQuitGuide(int32_t kind) override { record(calls_, fnd::Value::array({"scriptQuitGuide", kind})); }
    void scriptQuitGame(fnd::Value args) override { record(calls_, fnd::Value::array({"scriptQuitGame", args})); }
    void scriptShowAlert(fnd::Value args) override { record(calls_, fnd::Value::array({"scriptShowAlert", args})); }
    void scriptOpenUrl(fnd::Value args) override { record(calls_, fnd::Value::array({"scriptOpenUrl", args})); }
    gfx::ImagePtr lastComposedFrame() override { return frame; }
    void saveToPhotoAlbum(gfx::ImagePtr image) override {
        std::lock_guard lock(mutex_);
        album.push_back(std::move(image));
    }
    // The real rule, over the folders in `fileRoots`.
    std::optional<std::string> gameFilePath(const std::string& path) override {
        return zelvan::gameFilePath(path, fileRoots);
    }

    // Packets handed to send(), in order.
    std::vector<fnd::Value> sent() const {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    // Every other call, each as [name, arguments...].
    std::vector<fnd::Value> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

    int32_t audio = 1;
    // Keys the cache has ready (key -> local path; each handed out once), and file contents by path.
    std::map<std::string, std::string> readyPaths;
    std::map<std::string, fnd::Bytes> files;
    std::shared_ptr<GameScreen> screen;
    // The window's frame, the images saved to the album, and the folders game code may read.
    gfx::ImagePtr frame;
    std::vector<gfx::ImagePtr> album;
    std::vector<std::string> fileRoots;

private:
    void record(std::vector<fnd::Value>& list, fnd::Value value) {
        std::lock_guard lock(mutex_);
        list.push_back(std::move(value));
    }

    mutable std::mutex mutex_;
    std::vector<fnd::Value> sent_;
    std::vector<fnd::Value> calls_;
};

} // namespace zelvan::testing
