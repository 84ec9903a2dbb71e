// ChatGroupConfigMemberController: the administrator's member screen of one chat group. Its "invite"
// pane lists the user's friends and address-book contacts and invites the ticked ones (310 for
// friends, 318 for contacts); its "delete" pane lists the members (from 305) and removes the ticked
// ones (311); it can also disband the group (306). Every request is confirmed first, and the replies
// reach it through the messenger's chat-group reply router.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/bridge_targets.h"
#include "messaging/commands/chat_group_reply_router.h"
#include "messaging/lists/messenger_screens.h"
#include "messaging/rooms/chat_group_user_cells.h"
#include "platform/ui/button.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"
#include "protocol/command_table.h"
#include "toolkit/z_simple_alert_view.h"
#include "toolkit/z_simple_loading_view.h"
#include "toolkit/zelvan_tab_bar_view.h"

namespace zelvan {

class ChatGroupCard;
class IMController;
class zelvanAppDelegate;

class ChatGroupConfigMemberController : public ui::ViewController,
                                        public RefreshableScreen,
                                        public ui::TableViewDataSource,
                                        public ui::TableViewDelegate,
                                        public ZelvanTabBarViewDelegate,
                                        public ZSimpleAlertViewDelegate,
                                        public ChatGroupReplyListener,
                                        public ChatGroupInviteCellHost,
                                        public AvatarUpdateListener {
public:
    static constexpr int kMembersCommand = ChatGroupReplyRouter::kMembersCommand;
    static constexpr int kDisbandCommand = ChatGroupReplyRouter::kDisbandCommand;
    static constexpr int kInviteCommand = ChatGroupReplyRouter::kInviteCommand;
    static constexpr int kRemoveCommand = ChatGroupReplyRouter::kRemoveCommand;
    static constexpr int kSmsInviteCommand = cmd::kGroupSmsInvite;
    // Confirmation tags.
    static constexpr int kTagInvite = 1;
    static constexpr int kTagDelete = 2;
    static constexpr int kTagDisband = 3;
    // The longest names texts (UTF-16 units) before further names are left out.
    static constexpr size_t kInviteNamesLimit = 100;
    static constexpr size_t kDeleteNamesLimit = 150;
    static constexpr double kTabBarHeight = 40;
    static constexpr int kAvatarHeadType = 2;

    // A screen with one entry per friend and per address-book contact of the messenger, registered
    // with the avatar manager. Its group is set with setGroup before it is shown.
    static std::shared_ptr<ChatGroupConfigMemberController> create(std::weak_ptr<zelvanAppDelegate> delegate,
                                                                   const std::shared_ptr<IMController>& messenger);
    ChatGroupConfigMemberController(std::weak_ptr<zelvanAppDelegate> delegate,
                                    const std::shared_ptr<IMController>& messenger);
    ~ChatGroupConfigMemberController() override;

    std::string className() const override { return "ChatGroupConfigMemberController"; }

    const std::shared_ptr<ChatGroupCard>& group() const { return group_; }
    void setGroup(std::shared_ptr<ChatGroupCard> group) { group_ = std::move(group); }

    // Asks for the members (305) with the loading view up; the reply router hears first.
    void refresh() override;
    void loadView() override;

    void btnInvite();
    void btnDelete();
    void btnDisband();
    void showConfirm(const std::string& text, int tag);
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;

    // Replies 305, 306, 310 and 311 for this screen's group; others are ignored.
    void groupReplyReceived(int cmd, const fnd::Value& packet) override;
    // Marks the friends who are members of the group (bit 2) from the member list.
    void refreshFriendMembership();
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override;
    void tabSelected(ZelvanTabBarView& tabBar, int oldIndex) override;
    // The first change of a contact's tick explains the text message invitation, once per screen.
    void contactCheckChanged(const ChatGroupUser& entry) override;

    void showLoading();
    void hideLoading();

    // --- Tables: invite (friends, contacts) and delete (members) ---
    int numberOfSectionsInTableView(ui::TableView& tableView) override;
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    // --- What tests and the screen's owner read ---
    const std::vector<std::shared_ptr<ChatGroupUser>>& friends() const { return friends_; }
    const std::vector<std::shared_ptr<ChatGroupUser>>& contacts() const { return contacts_; }
    const std::vector<std::shared_ptr<ChatGroupUser>>& users() const { return users_; }
    const std::shared_ptr<ZelvanTabBarView>& tabBar() const { return tabBar_; }
    const std::shared_ptr<ZSimpleLoadingView>& loadingView() const { return loadingView_; }
    const std::vector<std::shared_ptr<ui::View>>& contentViews() const { return contentViews_; }
    const std::shared_ptr<ui::TableView>& inviteTableView() const { return inviteTableView_; }
    const std::shared_ptr<ui::TableView>& deleteTableView() const { return deleteTableView_; }
    const std::shared_ptr<ui::Button>& inviteButton() const { return inviteBtn_; }
    const std::shared_ptr<ui::Button>& deleteButton() const { return deleteBtn_; }

private:
    // Subscribes for the reply, then sends; the loading view goes up.
    void request(int cmd, const fnd::Value& packet);
    // The reply is handled: no longer waiting for it, and the loading view goes.
    void finishRequest(int cmd);
    void send(const fnd::Value& packet);
    void showInfo(const std::string& message);
    void showFailure(const std::string& message);
    void handleMembers(const fnd::Array& items);
    void handleDisband(int32_t status, const std::string& message);
    void handleInvite(int32_t status, const std::string& message);
    void handleRemove(int32_t status, const std::string& message);
    void confirmInvite();
    void confirmDelete();
    void reloadTables();
    std::shared_ptr<ui::View> makePane(gfx::Rect frame, const std::shared_ptr<ui::Button>& button,
                                       const std::string& title, void (ChatGroupConfigMemberController::*action)(),
                                       std::shared_ptr<ui::TableView>& table);

    std::weak_ptr<zelvanAppDelegate> delegate_;
    std::weak_ptr<IMController> messenger_;
    std::shared_ptr<ChatGroupReplyRouter> router_;
    std::shared_ptr<ChatGroupCard> group_;
    std::shared_ptr<ZelvanTabBarView> tabBar_;
    std::shared_ptr<ZSimpleLoadingView> loadingView_;
    std::vector<std::shared_ptr<ChatGroupUser>> friends_;
    std::vector<std::shared_ptr<ChatGroupUser>> contacts_;
    std::vector<std::shared_ptr<ChatGroupUser>> users_;
    std::vector<std::shared_ptr<ui::View>> contentViews_;
    std::shared_ptr<ui::TableView> inviteTableView_;
    std::shared_ptr<ui::Button> inviteBtn_;
    std::shared_ptr<ui::TableView> deleteTableView_;
    std::shared_ptr<ui::Button> deleteBtn_;
    // Whether the text message invitation was explained on this screen.
    bool smsTipShown_ = false;
};

} // namespace zelvan
