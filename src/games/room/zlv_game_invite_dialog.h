// ZLVGameInviteDialog: the framed dialog that lists the player's friends - those online, then those
// offline whose client takes game invitations - sends the chosen one an invitation to the current
// game (command 43), or leads to the page for inviting friends from outside.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/app_services.h"
#include "core/bridge_targets.h"
#include "platform/foundation/value.h"
#include "platform/ui/table_view.h"
#include "protocol/command_table.h"
#include "web/zlv_dialog.h"

namespace zelvan {

class zelvanAppDelegate;

class ZLVGameInviteDialog : public ZLVDialog, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    static constexpr int kInviteCommand = cmd::kGameInvite;
    static constexpr double kRowHeight = 60;
    static constexpr double kInviteRowHeight = 40;
    static constexpr int kInviteFontNumber = 11;
    // Sections: friends online, friends to notify, and the row that invites from outside.
    static constexpr int kSectionOnline = 0;
    static constexpr int kSectionNotification = 1;
    static constexpr int kSectionInvite = 2;
    static constexpr const char* kInvitePageFormat = "zelvan://slidenewpage?%@?method=3";

    // Friends, pictures, the invitation and the More tab come from `delegate`, held weakly.
    explicit ZLVGameInviteDialog(std::weak_ptr<zelvanAppDelegate> delegate) : appDelegate_(std::move(delegate)) {}
    ~ZLVGameInviteDialog() override;
    std::string className() const override { return "ZLVGameInviteDialog"; }

    // Reads the friends, builds the table and registers for picture updates.
    void loadContentView() override;
    void contentViewDidAppear() override;
    // Keeps the opener's context; its integer "game" is the game the invitations name.
    void refreshWithCtx(const fnd::Value& ctx) override { ctx_ = ctx; }
    const fnd::Value& ctx() const { return ctx_; }

    // A picture changed: the rows show it.
    void avatarUpdated(int32_t userId, int32_t type, int32_t version);

    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::vector<FriendInfo>& onlineFriends() const { return onlineFriends_; }
    const std::vector<FriendInfo>& notificationFriends() const { return notificationFriends_; }

    // --- Table data source and delegate ---
    int numberOfSectionsInTableView(ui::TableView& tableView) override;
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(ui::TableView& tableView, int section) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                           const ui::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

private:
    // The friend shown at a row of section 0 or 1, or null.
    const FriendInfo* friendAt(const ui::IndexPath& indexPath) const;
    void inviteFriend(const FriendInfo& friendInfo);
    void openInvitePage();

    std::shared_ptr<ui::TableView> tableView_;
    std::vector<FriendInfo> onlineFriends_;
    std::vector<FriendInfo> notificationFriends_;
    std::weak_ptr<zelvanAppDelegate> appDelegate_;
    fnd::Value ctx_;
    // Registered with the avatar manager in place of the dialog (which it holds weakly), so the
    // dialog can leave the manager again as it goes.
    std::shared_ptr<AvatarUpdateListener> avatarListener_;
    std::weak_ptr<AvatarFinder> avatars_;
};

} // namespace zelvan
