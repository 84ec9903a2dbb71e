// ChatRoomUserController: the member list of a chat room for an ordinary member - each row with the
// member's picture and name, "You" or "Friend", and buttons for a chat with the member and the
// member's home page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/rooms/chat_room_members_screen.h"

namespace zelvan {

class ChatRoomUserController : public ChatRoomMembersScreen {
public:
    // A screen listening for head picture updates.
    static std::shared_ptr<ChatRoomUserController> create(std::weak_ptr<zelvanAppDelegate> app,
                                                          std::weak_ptr<ContactManage> messenger);
    using ChatRoomMembersScreen::ChatRoomMembersScreen;

    std::string className() const override { return "ChatRoomUserController"; }

    // The table fills the view.
    void loadView() override;

    // The display mode handed to the rows.
    int32_t mode() const { return mode_; }

    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const fnd::IndexPath& indexPath) override;

private:
    int32_t mode_ = 0;
};

} // namespace zelvan
