// MessengerScreens: the makers of the messenger's member screens, which the chat window pushes from
// its toolbar. The member screens fill the table; a missing maker leaves the button without effect.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/view_controller.h"

namespace zelvan {

class ChatGroupCard;
class ChatRoomCard;

// A pushed member screen reloads its list through this once it is on the stack.
class RefreshableScreen {
public:
    virtual ~RefreshableScreen() = default;
    virtual void refresh() = 0;
};

struct MessengerScreens {
    // The member list of a room: the administrator's screen when the user administers it.
    std::function<std::shared_ptr<ui::ViewController>(const std::shared_ptr<ChatRoomCard>&)> roomMembers;
    // The member list of a chat group.
    std::function<std::shared_ptr<ui::ViewController>(const std::shared_ptr<ChatGroupCard>&)> groupMembers;
    // The manage menu of a chat group.
    std::function<std::shared_ptr<ui::ViewController>(const std::shared_ptr<ChatGroupCard>&)> groupManageMenu;
    // The member management (invite and remove) of a chat group, opened from the manage menu and
    // from the pages.
    std::function<std::shared_ptr<ui::ViewController>(const std::shared_ptr<ChatGroupCard>&)> groupMemberManager;
};

} // namespace zelvan
