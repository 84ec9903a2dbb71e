// ChatRoomMembersScreen: what the two member screens of a chat room share - the room and its copied
// member list, the table of 60-point rows, the busy overlay, the back button, head picture updates and
// opening a chat with a member (a friend's own chat, or a private chat addressed by session id).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/bridge_targets.h"
#include "messaging/lists/messenger_screens.h"
#include "messaging/model/chat_room_card.h"
#include "platform/foundation/value.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"
#include "toolkit/z_simple_loading_view.h"

namespace zelvan {

class ContactManage;
class zelvanAppDelegate;

class ChatRoomMembersScreen : public ui::ViewController,
                              public ui::TableViewDataSource,
                              public ui::TableViewDelegate,
                              public AvatarUpdateListener,
                              public RefreshableScreen {
public:
    static constexpr double kRowHeight = 60;
    static constexpr double kBackButtonHeight = 26;
    static constexpr double kBackButtonFontSize = 12;
    // Avatar pictures of this type are the head pictures the rows show.
    static constexpr int32_t kHeadPictureType = 2;
    static constexpr const char* kCellIdentifier = "user";

    // `app` sends, shows and switches tabs; `messenger` holds the contacts, the private-chat partners
    // and the chat window. Both are held weakly.
    ChatRoomMembersScreen(std::weak_ptr<zelvanAppDelegate> app, std::weak_ptr<ContactManage> messenger);
    // The member screen of `room` with the room set: the administrator's screen when the user
    // administers the room, the ordinary member's screen otherwise.
    static std::shared_ptr<ChatRoomMembersScreen> forRoom(std::weak_ptr<zelvanAppDelegate> app,
                                                          std::weak_ptr<ContactManage> messenger,
                                                          const std::shared_ptr<ChatRoomCard>& room);

    // The room shown; `refresh` reads it.
    const std::shared_ptr<ChatRoomCard>& room() const { return room_; }
    void setRoom(std::shared_ptr<ChatRoomCard> room) { room_ = std::move(room); }
    // The rows become a copy of the room's members (the same member records), the table reloads and
    // the title becomes the room's name. Without a room nothing happens.
    void refresh() override;

    // With more than one controller on the stack, the left item is a back button titled after the
    // controller below.
    void reloadLeftBarButton();
    // Pops to the controller just below this one.
    void backAction();
    // Whether the busy overlay shows when the view loads.
    bool waiting() const { return waiting_; }
    void setWaiting(bool waiting) { waiting_ = waiting; }
    void showLoading();
    void hideLoading();

    // Opens a chat with the member of `row` and pops back to the chat window: a contact's own chat
    // when the member is a contact, else the private chat addressed by the member's session id (found
    // or made), with the member allowed to write back.
    void showChat(int row);

    // Head pictures (type 2) reload the table.
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override;

    void viewWillAppear(ui::Animated animated) override;

    // --- What the rows read ---
    std::shared_ptr<zelvanAppDelegate> app() const { return app_.lock(); }
    // The signed-in user's id, 0 without an application.
    int32_t signedInUserId() const;
    // The rows: ChatRoomUser values.
    const std::shared_ptr<fnd::Array>& users() const { return users_; }
    // The member of `row`, or null (with a log line) when the row is not one.
    std::shared_ptr<ChatRoomUser> userAt(int row) const;
    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::shared_ptr<ZSimpleLoadingView>& loadingView() const { return loadingView_; }

    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;

protected:
    // Registers with the avatar manager for picture updates (held weakly there).
    void listenForAvatars();
    // The table of the member list in `frame`, added to the view.
    void addTable(gfx::Rect frame);
    // Shows the overlay when waiting and sets the back button; the end of each loadView.
    void finishLoadView();

private:
    std::weak_ptr<zelvanAppDelegate> app_;
    std::weak_ptr<ContactManage> messenger_;
    std::shared_ptr<ChatRoomCard> room_;
    std::shared_ptr<fnd::Array> users_ = fnd::Array::make();
    std::shared_ptr<ui::TableView> tableView_;
    std::shared_ptr<ZSimpleLoadingView> loadingView_;
    bool waiting_ = false;
};

} // namespace zelvan
