// ScriptController: the screen of one running game. It owns the game's engine, shows the script view
// full screen in the game's orientation and lays over it what the script asks for (name labels, the
// chat area and its input, tap highlights, a web dialog), the loading view while resources arrive,
// and passes chat messages, queued server commands and scores on.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "core/bridge_targets.h"
#include "games/engine/natives/game_host.h"
#include "games/engine/stl_script_engine.h"
#include "games/room/game_room.h"
#include "games/screen/game_chat_view.h"
#include "games/screen/game_load_view.h"
#include "games/screen/script_view.h"
#include "platform/graphics/image.h"
#include "platform/ui/application.h"
#include "platform/ui/control.h"
#include "platform/ui/label.h"
#include "platform/ui/text_field.h"
#include "platform/ui/view_controller.h"
#include "toolkit/z_simple_input_field.h"
#include "web/zlv_web_dialog.h"

namespace zelvan {

class ScriptController : public ui::ViewController,
                         public GameScreen,
                         public GameScreenTarget,
                         public GameChatViewDelegate,
                         public ui::TextFieldDelegate {
public:
    // Game attribute bits: the game runs in landscape; the script view takes several touches at once.
    static constexpr int32_t kLandscapeBit = 8;
    static constexpr int32_t kMultipleTouchBit = 32;
    // The chat packet: [34, room id, text].
    static constexpr int32_t kChatCommand = 34;
    // While the web dialog shows, only every this many safeRefresh calls repaint.
    static constexpr int kBypassedRefreshes = 4;

    // A screen titled `title` whose engine runs `script` for the players (`myid`, `room`, `gameid` and
    // `attribute` are read with intValue). The engine is built here, running the game's init code on
    // the calling (main) thread, with `host` behind its natives.
    static std::shared_ptr<ScriptController>
    initWithScript(std::string title, fnd::Bytes script, const fnd::Value& myid, const fnd::Value& room,
                   const fnd::Value& gameid, fnd::Value userids, fnd::Value names, int32_t width, int32_t height,
                   const fnd::Value& attribute, std::shared_ptr<GameHost> host);
    ScriptController(std::shared_ptr<GameHost> host, int32_t gameId, int32_t attribute);
    ~ScriptController() override;

    std::string className() const override { return "ScriptController"; }

    // --- The room controller's side ---
    void loadView() override;
    // Under the screen's lock: views, the loading view, the orientation's frame, full screen.
    void handleGameInit();
    // Under the screen's lock: normal screen again, the web dialog gone, the engine disposed.
    void hideAndCloseGame();
    // The script view lets go of the engine and the engine is released.
    void disposeEngine();
    // After each tick: a repaint, none while the application is locked, every fourth while the web
    // dialog shows. Any thread.
    void safeRefresh();
    // Queues elements 2 onward of the server's `packet` for the script. Any thread.
    void handleGameScript(const fnd::Value& packet);
    // Type -1: another player's chat line; -2: a system line; other types are ignored. Any thread.
    void handleMessage(const std::string& message, int32_t type);
    // Loading view: progress in percent, shown, and removed for good. Any thread.
    void setProgress(int32_t percent);
    void showProgress();
    void hideProgress();
    void setUserScore(int32_t score);
    void setFoescore(int32_t score);
    int32_t foescore() const;
    // An action sheet titled `text` with an "OK" button, over the tab bar controller's view when
    // there is one, else over this screen's view.
    void showResult(const std::string& text);
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
    // The screen's lock: the room controller's tick holds it while it runs the engine.
    std::recursive_mutex& screenLock() { return screenLock_; }

    // The room record, handed over after creation; readable from any thread.
    std::shared_ptr<GameRoom> room() const;
    void setRoom(std::shared_ptr<GameRoom> room);
    std::shared_ptr<STLScriptEngine> engine() const;
    int32_t gameId() const { return gameId_; }
    int32_t gameattribute() const { return gameattribute_; }
    bool isLandscape() const { return GameRoom::checkAttr(gameattribute_, kLandscapeBit); }
    int32_t quellinscore() const { return quellinscore_.load(); }
    void setQuellinscore(int32_t v) { quellinscore_.store(v); }
    // A copy of the script view's backing (the game as drawn), or null; any thread.
    gfx::ImagePtr screenImage() const override;

    // --- GameScreen: the natives' calls, each moved to the main thread without waiting ---
    int32_t roomId() const override;
    int32_t roomAttribute() const override;
    void drawUserName(fnd::Value info) override;
    void hideUserName(int32_t index) override;
    void displayChat(int32_t x, int32_t y, int32_t width, int32_t height, int32_t size, int32_t color, int32_t alpha,
                     fnd::Value customColors) override;
    void showInput() override;
    void showUserInfo(int32_t index) override;
    // Runs at once on the main thread.
    void webDlgShow(std::string url) override;
    // Runs at once on the main thread.
    void tapHighlight(gfx::Rect rect) override;

    // --- GameScreenTarget: a page over the screen calls the engine (main thread) ---
    void engineCall(const std::string& name, const fnd::Value& args) override;

    // --- Delegates: the chat area's tap opens the input; the input's return key sends ---
    void gameChatViewTapped(GameChatView& chatView) override;
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override;
    void hideInput();

    // Main thread views (null before loadView; the loading view null again after hideProgress).
    const std::shared_ptr<ScriptView>& scriptView() const { return mView_; }
    const std::shared_ptr<GameLoadView>& loadingView() const { return loadingView_; }
    const std::shared_ptr<GameChatView>& chat() const { return chatView_; }
    const std::shared_ptr<ui::Control>& maskView() const { return maskView_; }
    const std::shared_ptr<ZSimpleInputField>& inputView() const { return inputView_; }
    const std::shared_ptr<ZLVWebDialog>& webDialog() const { return webDialog_; }
    const std::map<int32_t, std::shared_ptr<ui::Label>>& nameLabels() const { return nameLabels_; }

private:
    // Queue `fn` for the main thread with the screen held weakly, so a screen gone meanwhile runs
    // nothing; the inline form runs it at once when already on main.
    void onMain(std::function<void(ScriptController&)> fn);
    void onMainInline(std::function<void(ScriptController&)> fn);
    void showInputOnMain();
    void showProgressOnMain();
    void refreshOnMain();

    std::shared_ptr<GameHost> host_;
    const int32_t gameId_;
    const int32_t gameattribute_;
    std::atomic<int32_t> quellinscore_{0};
    std::recursive_mutex screenLock_;

    // Guards the room, the engine pointer and the script view pointer, which other threads read.
    mutable std::mutex stateMutex_;
    std::shared_ptr<GameRoom> room_;
    std::shared_ptr<STLScriptEngine> engine_;
    std::shared_ptr<ScriptView> viewForSnapshots_;

    std::shared_ptr<ScriptView> mView_;
    std::shared_ptr<GameLoadView> loadingView_;
    bool progressHidden_ = false;
    std::shared_ptr<GameChatView> chatView_;
    std::shared_ptr<ui::Control> maskView_;
    std::shared_ptr<ZSimpleInputField> inputView_;
    std::shared_ptr<ZLVWebDialog> webDialog_;
    std::map<int32_t, std::shared_ptr<ui::Label>> nameLabels_;
    int bypassPaintTick_ = 0;
};

} // namespace zelvan
