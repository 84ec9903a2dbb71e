// GameRoomWebController: the lobby page's zelvan:// actions, each becoming a room packet, a page move
// or a view of this controller; every other action goes to the base page controller.
#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "games/room/game_room_web_controller.h"
#include "platform/foundation/log_preview.h"
#include "protocol/command_table.h"
#include "protocol/tracer.h"
#include "web/zlv_database.h"

namespace zelvan {

bool GameRoomWebController::handleZelvanUrl(const std::string& url, const std::string& action,
                                            const fnd::Value& jsonVar, const std::string& relativeUrlString,
                                            const std::string& baseURL) {
    // "value" is the action's variable read as an integer; actions that need one do nothing without.
    const bool hasValue = !jsonVar.isNull();
    const int32_t value = jsonVar.intValue();
    const std::string& page = relativeUrlString;

    if (action == "joingametable" || action == "playnow" || action == "playsinglegame") {
        if (hasValue) {
            send(action == "joingametable" ? fnd::Value::array({cmd::kJoinTable, value})
                 : action == "playnow"     ? fnd::Value::array({cmd::kPlayNow, value})
                                           : fnd::Value::array({cmd::kInvitationAnswer, 0, value}));
            showLoading();
        }
    } else if (action == "leavegametable") {
        clearTid();
        if (hasValue) {
            send(fnd::Value::array({cmd::kLeaveGameTable, value}));
            if (isCountingDown()) {
                stopTiming();
            }
        }
        if (!page.empty()) {
            slideToLeft(page);
        }
    } else if (action == "startsinglegame") {
        if (hasValue) {
            send(fnd::Value::array({cmd::kInvitationAnswer, 0, value}));
        }
    } else if (action == "cancelplay") {
        auto db = connectionDB();
        const int64_t tid = db != nullptr ? db->kvInt("tid", -1) : -1;
        clearTid();
        if (tid > 0) {
            send(fnd::Value::array({cmd::kLeaveGameTable, tid}));
        }
    } else if (action == "invitefriend") {
        // "<game id>~<user id>", with the "~" not the last character.
        const std::string text = jsonVar.stringValue();
        const size_t mark = text.find('~');
        if (hasValue && mark != std::string::npos && mark + 1 < text.size()) {
            send(fnd::Value::array({cmd::kGameInvite, fnd::Value(text.substr(mark + 1)).intValue(),
                                    fnd::Value(text.substr(0, mark)).intValue()}));
        }
    } else if (action == "creategametable") {
        if (hasValue) {
            parentId_ = value;
            showInput();
        }
    } else if (action == "rereadygame") {
        if (hasValue) {
            send(fnd::Value::array({cmd::kLeaveTable, value}));
        }
        stopTiming();
    } else if (action == "howtoplay") {
        if (hasValue) {
            displayGameGuide(value);
        }
    } else if (action == "entertablelist") {
        if (!hasValue) {
            return true;
        }
        auto app = appDelegate();
        fnd::Value guides = app != nullptr ? app->displayGuide() : fnd::Value();
        std::shared_ptr<fnd::Dictionary> shown = guides.asDictionary();
        if (shown != nullptr && !shown->containsKey(value)) {
            shown->setObject(1, value);
            if (!writefile(zelvanAppDelegate::kDisplayGuideFile, guides)) {
                ZTRACE_WARN("GameRoomController: the shown guides were not saved");
            }
            displayGameGuide(value);
            urlAfterGuide_ = page;
        } else if (!page.empty()) {
            slideNewPage(page);
        }
    } else {
        return ZAdvancedWebViewController::handleZelvanUrl(url, action, jsonVar, relativeUrlString, baseURL);
    }
    return true;
}

void GameRoomWebController::displayGameGuide(int32_t gameId) {
    send(fnd::Value::array({cmd::kGameGuideAsk, gameId}));
    showLoading();
}

} // namespace zelvan
