// GameRoomWebController: the Games tab. It shows the lobby page, turns the page's zelvan:// actions into
// room packets, handles the room commands the server sends, owns the one game screen that may be open
// and runs that game's script from the game thread. Lock order: the screen's lock, then the engine's,
// then the script view's backing; nothing taken under them waits for the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "core/alert_queue.h"
#include "core/app_services.h"
#include "games/engine/natives/game_host.h"
#include "games/screen/script_controller.h"
#include "platform/foundation/date.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/value.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/text_field.h"
#include "protocol/network_loop.h"
#include "protocol/packet_reader.h"
#include "toolkit/z_mask_view.h"
#include "toolkit/z_simple_alert_view.h"
#include "web/z_advanced_web_view_controller.h"

namespace zelvan {

class ZLVDatabase;
class zelvanAppDelegate;

class GameRoomWebController : public ZAdvancedWebViewController,
                              public GamesTabService,
                              public ConnectionListener,
                              public ui::TextFieldDelegate,
                              public ui::AlertViewDelegate {
public:
    // What gameAlert shows.
    static constexpr int kAlertScript = 1;
    static constexpr int kAlertQuit = 2;
    // The tag of an invitation's confirmation.
    static constexpr int kConfirmInvitation = 2;
    // The engine state once the game has reported its result.
    static constexpr int32_t kStateFinished = 3;
    // Game attribute bits.
    static constexpr int32_t kSingleBit = 2;
    static constexpr int32_t kMultiBit = 4;
    static constexpr int32_t kLandscapeBit = 8;
    // Ticks between collections, the delay of the close after a score page, of the quit after "Yes",
    // and the countdown's length.
    static constexpr int kGcTicks = 600;
    static constexpr double kCloseDelay = 0.5;
    static constexpr double kQuitDelay = 0.2;
    static constexpr double kCountdownSeconds = 5;
    // Invitations that may wait behind the one on screen.
    static constexpr size_t kWaitingInvitations = 2;
    // The new table strip.
    static constexpr double kInputTop = 146;
    static constexpr double kInputHeight = 56;

    // `init`: title "Games", tab image "games", the lobby page as start page, no game. Packets, alerts,
    // tabs and the lobby's databases go through `delegate`, held weakly.
    static std::shared_ptr<GameRoomWebController> create(const std::shared_ptr<zelvanAppDelegate>& delegate);
    explicit GameRoomWebController(std::weak_ptr<zelvanAppDelegate> delegate) : appDelegate_(std::move(delegate)) {}
    ~GameRoomWebController() override;

    std::string className() const override { return "GameRoomWebController"; }

    // The natives' host given to every game screen this controller opens (may be null).
    void setGameHost(std::shared_ptr<GameHost> host) { host_ = std::move(host); }

    // --- The view ---
    void loadView() override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;

    // --- GamesTabService ---
    std::shared_ptr<ui::ViewController> rootViewController() override;
    // Network thread: the packet goes to handleServerResponseInternal on the main thread.
    void handleServerResponse(const fnd::Value& packet) override;
    // Main thread: the command switch. A failure is logged and changes nothing.
    void handleServerResponseInternal(const fnd::Value& packet);
    bool playingGame() override { return playingScreen() != nullptr; }
    // Game thread: one tick of the open game's script.
    void executeScript() override;
    // Game thread: collection pacing.
    void gc(int n) override;
    // The running game's script gets "quit".
    void quitGame() override;
    // Any thread: the open game screen, or null.
    std::shared_ptr<ScriptController> playingScreen() const;
    // Ticks counted since the last collection.
    int gcTick() const { return gcTick_.load(); }

    // --- Connection listener (any thread; the work runs on the main thread) ---
    void connectionLost() override;
    void connectionResumed() override;

    // --- The script's requests (any thread; each moves to the main thread without waiting) ---
    void scriptOpenUrl(fnd::Value args);
    void scriptShowAlert(fnd::Value args);
    void scriptQuitGame(fnd::Value args);
    void scriptQuitGuide(int32_t kind);

    // --- Page actions ---
    bool handleZelvanUrl(const std::string& url, const std::string& action, const fnd::Value& jsonVar,
                         const std::string& relativeUrlString, const std::string& baseURL) override;
    void displayGameGuide(int32_t gameId);

    // --- Views (main thread) ---
    void startTiming();
    void stopTiming();
    bool isCountingDown() const { return mTimer_ != nullptr; }
    void showInput();
    void hideInput();
    void showMask(const std::string& message, bool animated = true);
    void hideMask();
    void showAlert(const std::string& message, const std::string& title);
    void showConfirmation(int type, const std::string& message, const std::string& title, fnd::Value data);
    const std::shared_ptr<ZMaskView>& maskView() const { return mMaskView_; }
    const std::shared_ptr<ui::View>& inputView() const { return mInputView_; }
    const std::shared_ptr<ui::TextField>& textField() const { return mTextField_; }
    const std::shared_ptr<ZSimpleAlertView>& gameAlert() const { return gameAlert_; }
    int gameAlertType() const { return gameAlertType_; }
    const std::string& urlAfterGuide() const { return urlAfterGuide_; }

    // --- Delegates ---
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override;
    void textFieldDidEndEditing(ui::TextField& field) override;
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;

private:
    std::shared_ptr<GameRoomWebController> self();
    // The delegate this controller was made with, or null once it is gone.
    std::shared_ptr<zelvanAppDelegate> appDelegate() const { return appDelegate_.lock(); }
    // Posts `fn` to the main thread with this controller held weakly.
    void onMain(std::function<void(GameRoomWebController&)> fn);
    void send(const fnd::Value& packet);

    // Commands (game_room_commands.cpp).
    void handleCommand(int cmd, const fnd::Value& packet);
    void startGame(const PacketReader& packet);
    void startTutorial(const PacketReader& packet);
    void openScorePage(const std::string& url);
    // The open game when its room id is `roomId`, else null.
    std::shared_ptr<ScriptController> playing(int32_t roomId) const;
    void setPlayingGame(std::shared_ptr<ScriptController> game);
    // Forgets the open game and closes its screen.
    void closeGame();
    std::shared_ptr<ZLVDatabase> connectionDB() const;
    void saveTid(int32_t tid);
    void clearTid();
    void slideNewPage(const std::string& page);
    void slideToLeft(const std::string& page);

    // Ticks and quit flows (game_room_tick.cpp).
    void reportResult(ScriptController& game, int32_t result);
    // Main thread: a game whose engine stopped it (runs that never return) leaves its table as the
    // script's own quit does, closes, and the error alert tells the user. Nothing when `game` is no
    // longer the open one.
    void endStoppedGame(const std::shared_ptr<ScriptController>& game);
    void scriptOpenUrlInMainThread(const fnd::Value& args);
    void scriptShowAlertInMainThread(const fnd::Value& args);
    void scriptQuitGameInMainThread(const fnd::Value& args);
    void executeScriptQuitGame(const fnd::Value& args);
    // A multi-player game ends: [35, room id, the script's values from the second on], and the lobby
    // shows the player left.
    void leaveTable(int32_t roomId, const std::shared_ptr<fnd::Array>& args);
    std::shared_ptr<ZSimpleAlertView> reusedGameAlert();
    std::shared_ptr<ui::View> alertHostView() const;
    void fireTimerEvent();

    std::weak_ptr<zelvanAppDelegate> appDelegate_;
    std::shared_ptr<GameHost> host_;
    mutable std::mutex gameMutex_; // guards playingGame_, which the game thread reads
    std::shared_ptr<ScriptController> playingGame_;
    std::shared_ptr<ZSimpleAlertView> gameAlert_;
    // The server's invitations, and its "no table" replies (one at a time, a newer one dropped while one shows).
    AlertQueue invitationAlerts_{"game invitation", kWaitingInvitations};
    AlertQueue noTableAlerts_{"no table", 0};
    std::shared_ptr<ZMaskView> mMaskView_;
    std::shared_ptr<ui::View> mInputView_;
    std::shared_ptr<ui::TextField> mTextField_;
    int32_t parentId_ = 0;
    int gameAlertType_ = 0;
    bool isshowcountdown_ = true;
    std::shared_ptr<fnd::Timer> mTimer_;
    fnd::Date mStartDate_;
    std::string urlAfterGuide_;
    std::atomic<int> gcTick_{0};
};

} // namespace zelvan
