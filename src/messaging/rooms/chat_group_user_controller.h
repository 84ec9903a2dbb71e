// ChatGroupUserController: the read-only member list of one chat group. It asks the server for the
// members (command 305), shows a loading view until its group's answer arrives and then one row per
// member; replies reach it through the messenger's chat-group reply router.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/commands/chat_group_reply_router.h"
#include "messaging/lists/messenger_screens.h"
#include "platform/foundation/error.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"

namespace zelvan {

class ChatGroupCard;
class ChatGroupUser;
class ZSimpleLoadingView;
class zelvanAppDelegate;

class ChatGroupUserController : public ui::ViewController,
                                public ui::TableViewDataSource,
                                public ui::TableViewDelegate,
                                public ChatGroupReplyListener,
                                public AvatarUpdateDelegate,
                                public RefreshableScreen {
public:
    static constexpr int kMembersCommand = ChatGroupReplyRouter::kMembersCommand;
    static constexpr double kRowHeight = 60;
    // The avatar type of a user's head picture.
    static constexpr int32_t kHeadAvatarType = 2;
    static constexpr const char* kCellIdentifier = "user";

    // A list for `group` that sends through `app` and waits for replies at `router`; it listens to the
    // app's avatar manager for new head pictures.
    static std::shared_ptr<ChatGroupUserController> create(std::weak_ptr<zelvanAppDelegate> app,
                                                           std::shared_ptr<ChatGroupReplyRouter> router,
                                                           std::shared_ptr<ChatGroupCard> group = nullptr);
    ChatGroupUserController(std::weak_ptr<zelvanAppDelegate> app, std::shared_ptr<ChatGroupReplyRouter> router);
    ~ChatGroupUserController() override;

    std::string className() const override { return "ChatGroupUserController"; }

    const std::shared_ptr<ChatGroupCard>& group() const { return group_; }
    void setGroup(std::shared_ptr<ChatGroupCard> group) { group_ = std::move(group); }

    // Without a group nothing happens; otherwise waits for 305 at the router first, then sends
    // [305, group id, 0] and shows the loading view.
    void refresh() override;
    // Main thread: a 305 for this screen's group replaces the member list; anything else is ignored.
    void groupReplyReceived(int cmd, const fnd::Value& packet) override;
    // A new head picture (type 2) reloads the rows.
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override;

    // A member from one record [user id, name, online, admin]; for a malformed one the error names the
    // element at fault (the caller logs it).
    static fnd::Result<std::shared_ptr<ChatGroupUser>> memberFromRecord(const fnd::Value& record);

    void loadView() override;
    void showLoading();
    void hideLoading();

    const std::vector<std::shared_ptr<ChatGroupUser>>& users() const { return users_; }
    bool waiting() const { return waiting_; }
    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::shared_ptr<ZSimpleLoadingView>& loadingView() const { return loadingView_; }

    // --- Table ---
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const fnd::IndexPath& indexPath) override;

private:
    std::weak_ptr<zelvanAppDelegate> app_;
    std::shared_ptr<ChatGroupReplyRouter> router_;
    std::shared_ptr<ui::TableView> tableView_;
    std::shared_ptr<ZSimpleLoadingView> loadingView_;
    std::vector<std::shared_ptr<ChatGroupUser>> users_;
    std::shared_ptr<ChatGroupCard> group_;
    bool waiting_ = false;
};

} // namespace zelvan
