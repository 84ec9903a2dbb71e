// The game invitation dialog: splitting the messenger's friends into the two lists, the table of
// friends and the invite row, the invitation packet, the way to the invitation page, and following
// picture updates for as long as the dialog lives.
#include "games/room/zlv_game_invite_dialog.h"

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "platform/foundation/format.h"
#include "platform/ui/table_view_cell.h"
#include "protocol/tracer.h"
#include "protocol/zelvan_packet.h"

namespace zelvan {
namespace {

constexpr const char* kFriendCellId = "InviteFriendCell";
constexpr const char* kInviteCellId = "InviteJoinCell";

// Hands picture updates to the dialog while it lives.
class InviteAvatarListener : public AvatarUpdateListener {
public:
    explicit InviteAvatarListener(std::weak_ptr<ZLVGameInviteDialog> dialog) : dialog_(std::move(dialog)) {}
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override {
        if (auto dialog = dialog_.lock()) {
            dialog->avatarUpdated(userId, type, version);
        }
    }

private:
    std::weak_ptr<ZLVGameInviteDialog> dialog_;
};

const std::shared_ptr<ZelvanStyle>& styleOf(const std::shared_ptr<zelvanAppDelegate>& delegate) {
    return delegate ? delegate->style() : ZelvanStyle::shared();
}

} // namespace

ZLVGameInviteDialog::~ZLVGameInviteDialog() {
    ctx_ = fnd::Value();
    if (auto avatars = avatars_.lock(); avatars && avatarListener_) {
        avatars->removeDelegate(avatarListener_);
    }
}

void ZLVGameInviteDialog::loadContentView() {
    auto delegate = appDelegate_.lock();
    const int32_t ownId = delegate ? delegate->userId() : 0;
    auto messenger = delegate ? delegate->im() : nullptr;
    if (!messenger) {
        ZTRACE_WARN("ZLVGameInviteDialog: no messenger, so no friends to list");
    }
    for (const FriendInfo& info : messenger ? messenger->zelvanFriendInfos() : std::vector<FriendInfo>()) {
        if (info.state != 0 && info.userid != ownId) {
            onlineFriends_.push_back(info);
        } else if (info.state == 0 && info.supportOfflineGame) {
            notificationFriends_.push_back(info);
        }
    }

    const auto& style = styleOf(delegate);
    tableView_ = ui::View::create<ui::TableView>(contentView()->bounds(), ui::TableViewStyle::Plain);
    tableView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    tableView_->setRowHeight(kRowHeight);
    tableView_->setSeparatorColor(style->tableViewSeparatorColor());
    tableView_->setBackgroundColor(style->tableViewBackgroundColor());
    tableView_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::SingleLine);
    tableView_->setDataSource(self<ZLVGameInviteDialog>());
    tableView_->setDelegate(self<ZLVGameInviteDialog>());
    contentView()->addSubview(tableView_);

    auto avatars = delegate ? std::dynamic_pointer_cast<AvatarFinder>(delegate->avatarManager()) : nullptr;
    if (avatars) {
        avatarListener_ = std::make_shared<InviteAvatarListener>(self<ZLVGameInviteDialog>());
        avatars->addDelegate(avatarListener_);
        avatars_ = avatars;
    }

    const auto listed = static_cast<double>(onlineFriends_.size() + notificationFriends_.size());
    // Width 0 keeps the dialog's default width.
    setPreferredContentSize({0, (listed + 2) * kRowHeight + kRowHeight});
    layoutIfNeeded();
}

void ZLVGameInviteDialog::contentViewDidAppear() {
    if (tableView_) {
        tableView_->flashScrollIndicators();
    }
    ZLVDialog::contentViewDidAppear();
}

void ZLVGameInviteDialog::avatarUpdated(int32_t /*userId*/, int32_t /*type*/, int32_t /*version*/) {
    if (tableView_) {
        tableView_->reloadData();
    }
}

int ZLVGameInviteDialog::numberOfSectionsInTableView(ui::TableView& /*tableView*/) {
    return 3;
}

int ZLVGameInviteDialog::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int section) {
    switch (section) {
    case kSectionOnline:
        return static_cast<int>(onlineFriends_.size());
    case kSectionNotification:
        return static_cast<int>(notificationFriends_.size());
    case kSectionInvite:
        return 1;
    default:
        return 0;
    }
}

std::optional<std::string> ZLVGameInviteDialog::tableViewTitleForHeaderInSection(ui::TableView& /*tableView*/,
                                                                                 int section) {
    if (section == kSectionOnline) {
        return ZLS(onlineFriends_.empty() ? "No online friends" : "Play with friends");
    }
    if (section == kSectionNotification && !notificationFriends_.empty()) {
        return ZLS("Send invite notification");
    }
    return std::nullopt;
}

std::optional<double> ZLVGameInviteDialog::tableViewHeightForRowAtIndexPath(ui::TableView& /*tableView*/,
                                                                            const ui::IndexPath& indexPath) {
    return indexPath.section == kSectionInvite ? kInviteRowHeight : kRowHeight;
}

const FriendInfo* ZLVGameInviteDialog::friendAt(const ui::IndexPath& indexPath) const {
    const std::vector<FriendInfo>* list = indexPath.section == kSectionOnline         ? &onlineFriends_
                                          : indexPath.section == kSectionNotification ? &notificationFriends_
                                                                                      : nullptr;
    if (list == nullptr || indexPath.row < 0 || static_cast<size_t>(indexPath.row) >= list->size()) {
        return nullptr;
    }
    return &(*list)[static_cast<size_t>(indexPath.row)];
}

std::shared_ptr<ui::TableViewCell> ZLVGameInviteDialog::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                       const ui::IndexPath& indexPath) {
    auto delegate = appDelegate_.lock();
    if (indexPath.section == kSectionInvite) {
        auto cell = tableView.dequeueReusableCellWithIdentifier(kInviteCellId);
        if (!cell) {
            cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, kInviteCellId);
        }
        const auto& style = styleOf(delegate);
        cell->setText(ZLS("Invite friends to join Zelvan"));
        cell->setTextAlignment(gfx::TextAlignment::Center);
        cell->setFont(style->font(kInviteFontNumber));
        cell->setTextColor(style->navigationBarTintColor());
        return cell;
    }
    auto cell = tableView.dequeueReusableCellWithIdentifier(kFriendCellId);
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, kFriendCellId);
        cell->setTextColor(gfx::Color::black());
        cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    }
    const FriendInfo* info = friendAt(indexPath);
    auto avatars = avatars_.lock();
    cell->setImage(info && avatars
                       ? avatars->newImageAvatarHead(info->userid, indexPath.section == kSectionNotification)
                       : nullptr);
    cell->setText(info ? info->name : std::string());
    return cell;
}

void ZLVGameInviteDialog::tableViewDidSelectRowAtIndexPath(ui::TableView& /*tableView*/,
                                                           const ui::IndexPath& indexPath) {
    if (indexPath.section == kSectionInvite) {
        openInvitePage();
        return;
    }
    if (const FriendInfo* info = friendAt(indexPath)) {
        inviteFriend(*info);
    }
}

void ZLVGameInviteDialog::inviteFriend(const FriendInfo& friendInfo) {
    auto delegate = appDelegate_.lock();
    auto context = ctx_.asDictionary();
    const fnd::Value game = context ? context->objectForKey("game") : fnd::Value();
    if (!delegate || !game.asInt()) {
        ZTRACE_WARN("ZLVGameInviteDialog: no game to invite user %d to", static_cast<int>(friendInfo.userid));
    } else {
        ZelvanPacket packet(kInviteCommand);
        packet.addInt(friendInfo.userid);
        packet.addInt(game.intValue());
        packet.requireLogin();
        delegate->sendPacket(packet);
    }
    hide(ui::Animated::Yes);
}

void ZLVGameInviteDialog::openInvitePage() {
    // The dialog may go with the hide; keep it until the page is on its way.
    auto keep = self<ZLVGameInviteDialog>();
    hide(ui::Animated::Yes);
    auto delegate = appDelegate_.lock();
    if (!delegate) {
        return;
    }
    delegate->switchTab(zelvanAppDelegate::TabMore, ui::Animated::Yes);
    if (auto more = delegate->moreController()) {
        more->openUrl(fnd::format(kInvitePageFormat, ZLS("static_invite")));
    } else {
        ZTRACE_WARN("ZLVGameInviteDialog: no More tab page controller to open the invitation page in");
    }
}

} // namespace zelvan
