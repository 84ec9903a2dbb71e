// ChatRoomAdminController: the member list of a chat room for its administrator - a removal check box
// in front of every member who is not an administrator, and a red button that removes the marked
// members from the room after a confirmation, one command 48 per member.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/rooms/chat_room_members_screen.h"
#include "platform/ui/button.h"
#include "protocol/command_table.h"
#include "toolkit/z_simple_alert_view.h"

namespace zelvan {

class ChatRoomAdminController : public ChatRoomMembersScreen, public ZSimpleAlertViewDelegate {
public:
    // Removes a member from a room: [48, room id, user id].
    static constexpr int kCmdKick = cmd::kKick;
    // The member names in the confirmation stop once their list is longer than this (UTF-16 units).
    static constexpr size_t kMaxNamesLength = 150;
    static constexpr double kKickButtonMargin = 10;
    static constexpr double kKickButtonWidth = 300;
    static constexpr double kKickButtonHeight = 42;
    // The button's top lies this far above the view's bottom.
    static constexpr double kKickButtonRise = 50;
    static constexpr int kKickButtonFont = 9;

    // A screen listening for head picture updates.
    static std::shared_ptr<ChatRoomAdminController> create(std::weak_ptr<zelvanAppDelegate> app,
                                                           std::weak_ptr<ContactManage> messenger);
    using ChatRoomMembersScreen::ChatRoomMembersScreen;
    // A confirmation still showing goes with the screen.
    ~ChatRoomAdminController() override;

    std::string className() const override { return "ChatRoomAdminController"; }

    // The table above the red removal button.
    void loadView() override;

    // Asks to confirm the removal of the marked members; with nobody marked, says to mark some first.
    void btnKick();
    // The confirmation: `text` with "No" and "Yes".
    void showConfirm(const std::string& text);
    // "Yes" sends the removals of the marked members and takes their rows away; "No" changes nothing.
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;

    const std::shared_ptr<ui::Button>& kickBtn() const { return kickBtn_; }

    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const fnd::IndexPath& indexPath) override;

private:
    std::shared_ptr<ui::Button> kickBtn_;
    // The confirmation on screen (it keeps itself alive while shown).
    std::weak_ptr<ZSimpleAlertView> confirm_;
};

} // namespace zelvan
