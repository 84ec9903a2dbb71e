// The manage menu of a chat group: its header, the three rows and what each does - the profile page,
// the member management screen and the confirmed disband.
#include "messaging/rooms/chat_group_config_select_controller.h"

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_group_card.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "toolkit/widget_layout.h"
#include "toolkit/zelvan_widget.h"
#include "web/z_advanced_web_view_controller.h"

namespace zelvan {
namespace {

struct MenuRow {
    const char* text;
    const char* image;
};
constexpr MenuRow kRows[ChatGroupConfigSelectController::kSectionCount] = {
    {"editGroupProfile", "chatgroup-editprofile"},
    {"manageGroupMembers", "chatgroup-editmember"},
    {"disbandGroup", "chatgroup-disband"},
};

} // namespace

std::shared_ptr<ChatGroupConfigSelectController>
ChatGroupConfigSelectController::create(std::weak_ptr<zelvanAppDelegate> app, std::weak_ptr<IMController> messenger,
                                        std::shared_ptr<ChatGroupCard> group) {
    auto controller = std::make_shared<ChatGroupConfigSelectController>(std::move(app), std::move(messenger));
    controller->setGroup(std::move(group));
    return controller;
}

ChatGroupConfigSelectController::ChatGroupConfigSelectController(std::weak_ptr<zelvanAppDelegate> app,
                                                                 std::weak_ptr<IMController> messenger)
    : app_(std::move(app)), messenger_(std::move(messenger)) {
    // Set here rather than when the view loads, so the navigation bar has it at the push.
    setTitle(ZLS("Manage"));
}

void ChatGroupConfigSelectController::loadView() {
    setView(ZelvanWidget::newContentViewForViewController());
    const auto& style = *ZelvanStyle::shared();
    const auto& root = view();
    auto header = ui::View::create(gfx::Rect(0, 0, 320, kHeaderHeight));
    header->setBackgroundColor(root->backgroundColor());
    if (!groupImageView_) {
        auto avatars = currentAvatarManager();
        groupImageView_ = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, kImageSide, kImageSide));
        groupImageView_->setImage(avatars && group_ ? avatars->newImageAvatarChatGroup(group_->groupId()) : nullptr);
    }
    header->addSubview(groupImageView_);

    auto name = ui::View::create<ui::Label>(gfx::Rect());
    name->setBackgroundColor(root->backgroundColor());
    name->setFont(gfx::Font::withName("Helvetica-Bold", kNameFontSize));
    name->setText(group_ ? group_->name() : std::string());
    name->setTextAlignment(ui::TextAlignment::Left);
    const gfx::Size size = widgetGetLabelSize(*name, kNameMaxWidth);
    name->setFrame(gfx::Rect(kImageSide, (kHeaderHeight - size.height) / 2, size.width, size.height));
    header->addSubview(name);
    // The header is as wide as picture and name together, centred across the view.
    const double width = name->frame().maxX();
    header->setFrame(gfx::Rect((root->bounds().width() - width) / 2, 0, width, kHeaderHeight));
    root->addSubview(header);

    if (!tableView_) {
        const gfx::Rect bounds = root->bounds();
        tableView_ = ui::View::create<ui::TableView>(
            gfx::Rect(0, kHeaderHeight, bounds.width(), bounds.height() - kHeaderHeight), ui::TableViewStyle::Plain);
        tableView_->setRowHeight(kRowHeight);
        tableView_->setSeparatorColor(style.tableViewSeparatorColor());
        tableView_->setBackgroundColor(style.tableViewBackgroundColor());
        tableView_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::SingleLine);
        tableView_->setScrollEnabled(false);
        auto self = std::static_pointer_cast<ChatGroupConfigSelectController>(shared_from_this());
        tableView_->setDelegate(self);
        tableView_->setDataSource(self);
    }
    root->addSubview(tableView_);
}

int ChatGroupConfigSelectController::numberOfSectionsInTableView(ui::TableView& /*tableView*/) {
    return kSectionCount;
}

int ChatGroupConfigSelectController::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    return 1;
}

std::shared_ptr<ui::TableViewCell>
ChatGroupConfigSelectController::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                const fnd::IndexPath& indexPath) {
    static const std::string kIdentifier = "cell";
    auto cell = tableView.dequeueReusableCellWithIdentifier(kIdentifier);
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, kIdentifier);
    }
    if (indexPath.section < 0 || indexPath.section >= kSectionCount) {
        return cell;
    }
    const MenuRow& row = kRows[indexPath.section];
    cell->setFont(ZelvanStyle::shared()->font(11));
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Gray);
    cell->setText(ZLS(row.text));
    cell->setImage(ZelvanWidget::newImageFromResource(row.image, true));
    if (indexPath.section == kSectionDisband) {
        auto warning = ZelvanWidget::newImageFromResource("warning", true);
        auto mark = ui::View::create<ui::ImageView>(
            gfx::Rect(0, 0, warning ? warning->width() : 0, warning ? warning->height() : 0));
        mark->setImage(warning);
        cell->setAccessoryType(ui::TableViewCellAccessoryType::None);
        cell->setAccessoryView(mark);
    } else {
        cell->setAccessoryView(nullptr);
        cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    }
    return cell;
}

void ChatGroupConfigSelectController::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView,
                                                                       const fnd::IndexPath& indexPath) {
    tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
    if (!group_) {
        return;
    }
    switch (indexPath.section) {
    case kSectionEditProfile:
        editProfile();
        break;
    case kSectionManageMembers:
        manageMembers();
        break;
    case kSectionDisband:
        confirmDisband();
        break;
    default:
        break;
    }
}

void ChatGroupConfigSelectController::editProfile() {
    if (auto nav = navigationController()) {
        const std::string url = fnd::format("%@?cid=%d", ZLS("static_newchatgroup"), group_->groupId());
        nav->pushViewController(ZAdvancedWebViewController::initWithUrl(url), ui::Animated::Yes);
    }
}

void ChatGroupConfigSelectController::manageMembers() {
    auto messenger = messenger_.lock();
    const auto& maker = messenger ? messenger->screens().groupMemberManager : nullptr;
    auto screen = maker ? maker(group_) : nullptr;
    auto nav = navigationController();
    if (!screen || !nav) {
        ZLOG(Warn, "chat groups: no member management screen to show for group %d", group_->groupId());
        return;
    }
    nav->pushViewController(screen, ui::Animated::Yes);
    if (auto refreshable = std::dynamic_pointer_cast<RefreshableScreen>(screen)) {
        refreshable->refresh();
    }
}

void ChatGroupConfigSelectController::confirmDisband() {
    auto alert = ZSimpleAlertView::create();
    alert->setIcon(ZSimpleAlertView::kIconWarning);
    const char* key = group_->allCount() <= 1 ? "groupManageDisbandTip1" : "groupManageDisbandTip2";
    alert->label()->setText(fnd::format(ZLS(key), group_->name(), group_->allCount()));
    alert->addButtonWithTitle(ZLS("Cancel"));
    alert->addButtonWithTitle(ZLS("Disband"));
    alert->setDelegate(std::static_pointer_cast<ChatGroupConfigSelectController>(shared_from_this()));
    auto nav = navigationController();
    alert->showInView(nav ? nav->view() : view());
}

void ChatGroupConfigSelectController::buttonClickedFromAlert(ZSimpleAlertView& /*alert*/,
                                                             const std::string& /*buttonTitle*/, int buttonIndex) {
    if (buttonIndex != kButtonDisband || !group_) {
        return;
    }
    if (auto app = app_.lock()) {
        app->send(fnd::Value::array({kDisbandCommand, group_->groupId()}));
    }
    auto messenger = messenger_.lock();
    if (!messenger) {
        ZLOG(Warn, "chat groups: group %d was disbanded without a messenger to update", group_->groupId());
        return;
    }
    {
        std::lock_guard<std::recursive_mutex> hold(messenger->lock());
        messenger->deleteChatGroup(group_->groupId());
    }
    messenger->safePopToRootViewController();
}

} // namespace zelvan
