// ChatGroupConfigSelectController: the manage menu of a chat group for its administrator - the group's
// picture and name over three rows: edit the group's profile (a web page), manage its members (the
// member management screen) and disband it (command 306, after a confirmation).
#pragma once

#include <functional>
#include <memory>

#include "messaging/lists/messenger_screens.h"
#include "platform/ui/image_view.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"
#include "protocol/command_table.h"
#include "toolkit/z_simple_alert_view.h"

namespace zelvan {

class ChatGroupCard;
class IMController;
class zelvanAppDelegate;

class ChatGroupConfigSelectController : public ui::ViewController,
                                        public ui::TableViewDataSource,
                                        public ui::TableViewDelegate,
                                        public ZSimpleAlertViewDelegate {
public:
    static constexpr int kDisbandCommand = cmd::kDisbandGroup;
    // Sections, one row each.
    static constexpr int kSectionEditProfile = 0;
    static constexpr int kSectionManageMembers = 1;
    static constexpr int kSectionDisband = 2;
    static constexpr int kSectionCount = 3;
    static constexpr double kHeaderHeight = 60;
    static constexpr double kImageSide = 60;
    static constexpr double kNameMaxWidth = 260;
    static constexpr double kNameFontSize = 20;
    static constexpr double kRowHeight = 48;
    static constexpr int kButtonDisband = 1;

    // The menu for `group`, sending through `app` and acting on `messenger`'s lists and screens.
    static std::shared_ptr<ChatGroupConfigSelectController> create(std::weak_ptr<zelvanAppDelegate> app,
                                                                   std::weak_ptr<IMController> messenger,
                                                                   std::shared_ptr<ChatGroupCard> group);
    ChatGroupConfigSelectController(std::weak_ptr<zelvanAppDelegate> app, std::weak_ptr<IMController> messenger);

    std::string className() const override { return "ChatGroupConfigSelectController"; }

    const std::shared_ptr<ChatGroupCard>& group() const { return group_; }
    void setGroup(std::shared_ptr<ChatGroupCard> group) { group_ = std::move(group); }

    void loadView() override;

    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::shared_ptr<ui::ImageView>& groupImageView() const { return groupImageView_; }

    // --- Table ---
    int numberOfSectionsInTableView(ui::TableView& tableView) override;
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const fnd::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const fnd::IndexPath& indexPath) override;

    // --- Disband confirmation ---
    // "Disband" sends [306, group id] (no reply is awaited), drops the group from the messenger and
    // returns to the messenger's list; any other button does nothing.
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;

private:
    void editProfile();
    void manageMembers();
    void confirmDisband();

    std::weak_ptr<zelvanAppDelegate> app_;
    std::weak_ptr<IMController> messenger_;
    std::shared_ptr<ChatGroupCard> group_;
    std::shared_ptr<ui::TableView> tableView_;
    std::shared_ptr<ui::ImageView> groupImageView_;
};

} // namespace zelvan
