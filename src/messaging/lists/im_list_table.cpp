// The messenger list's table: one section per group (open chats, each IM account, private chats,
// chat groups, chat rooms, friends, address-book contacts, the ad row), folding, selection, the edit
// modes with row deletion, and reloading while the list is on screen.
#include <algorithm>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/chat/im_chat.h"
#include "messaging/lists/im_bar_cells.h"
#include "messaging/lists/im_controller.h"
#include "messaging/lists/im_friend_cell.h"
#include "messaging/lists/im_info_cell.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/tab_bar_controller.h"
#include "toolkit/widget_layout.h"
#include "toolkit/zelvan_widget.h"
#include "web/z_advanced_web_view_controller.h"

namespace zelvan {

namespace {

// The section types after the IM accounts, in order.
constexpr int kTypesAfterAccounts[] = {
    IMController::kSectionPrivateChat, IMController::kSectionChatGroup, IMController::kSectionChatRoom,
    IMController::kSectionZelvan,      IMController::kSectionAB,        IMController::kSectionAd,
};

template <class List>
std::shared_ptr<baseCard> itemAt(const List& list, int row) {
    if (row < 1 || static_cast<size_t>(row) > list.size()) {
        return nullptr;
    }
    return list[static_cast<size_t>(row - 1)];
}

} // namespace

bool IMController::isUnfolded(int type) const {
    return unfoldStates_.containsKey(type) && unfoldStates_.valueForKey(type) != 0;
}

int IMController::sectionType(int section) {
    const int accounts = static_cast<int>(ims().size());
    if (section == 0) {
        return kSectionChatting;
    }
    if (section >= 1 && section <= accounts) {
        return kSectionIM;
    }
    const int after = section - accounts - 1;
    if (after >= 0 && after < static_cast<int>(std::size(kTypesAfterAccounts))) {
        return kTypesAfterAccounts[after];
    }
    return kSectionUnknown;
}

bool IMController::isVisible() const {
    auto delegate = delegate_.lock();
    auto tabs = delegate ? delegate->tabBarController() : nullptr;
    return tabs && tabs->selectedIndex() == zelvanAppDelegate::TabMessenger && appeared_;
}

void IMController::reloadInternal() {
    ++reloadCount_;
    if (isVisible()) {
        forceReload();
    }
}

void IMController::forceReload() {
    if (tableView_) {
        tableView_->reloadData();
    }
    reloadRightBarButton();
}

std::shared_ptr<ui::BarButtonItem> IMController::makeBarItem(const std::string& title, void (IMController::*action)()) {
    auto button = ZelvanWidget::newMossBarButton();
    button->setTitle(title, ui::ControlState::Normal);
    const gfx::Size natural = widgetGetButtonSize(*button, kBarButtonMaxWidth);
    button->setBounds(gfx::Rect(0, 0, natural.width, kBarButtonHeight));
    button->addTarget(std::static_pointer_cast<IMController>(shared_from_this()), action,
                      ui::ControlEvents::TouchUpInside);
    return ui::BarButtonItem::initWithCustomView(button);
}

void IMController::reloadRightBarButton() {
    std::shared_ptr<ui::BarButtonItem> item;
    if (editType_ != kEditNone) {
        if (!itemDone_) {
            itemDone_ = makeBarItem(ZLS("Done"), &IMController::actionDone);
        }
        item = itemDone_;
    } else if (showIM_) {
        if (!itemAddIM_) {
            itemAddIM_ = makeBarItem(ZLS("addIM"), &IMController::actionAddIM);
        }
        item = itemAddIM_;
    }
    navigationItem()->setRightBarButtonItem(item, ui::Animated::Yes);
}

// --- Rows ---

int IMController::numberOfSectionsInTableView(ui::TableView& /*tableView*/) {
    return static_cast<int>(ims().size()) + 7;
}

int IMController::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int section) {
    const int type = sectionType(section);
    auto folded = [&](size_t count) { return isUnfolded(type) ? static_cast<int>(count) + 1 : 1; };
    switch (type) {
    case kSectionChatting:
        return chat()->chats().empty() ? 0 : folded(chat()->chats().size());
    case kSectionPrivateChat:
        return privateChatUsers().empty() ? 0 : folded(privateChatUsers().size());
    case kSectionChatGroup:
        if (!showChatGroup_) {
            return 0;
        }
        if (isUnfolded(type) && chatGroups().empty()) {
            return editType_ == kEditLeaveGroups ? 1 : 2;
        }
        return folded(chatGroups().size());
    case kSectionChatRoom:
        return folded(chatRooms().size());
    case kSectionZelvan:
        return folded(zelvanFriends().size());
    case kSectionAB:
        return showContact_ ? folded(abContacts().size()) : 0;
    case kSectionIM: {
        auto im = ims()[static_cast<size_t>(section - 1)];
        if (!im->showall()) {
            return 1;
        }
        return static_cast<int>((im->showoffline() ? im->all() : im->onlines())->count()) + 1;
    }
    case kSectionAd:
        return 1;
    default:
        ZLOG(Warn, "unkown section %d", section);
        return 0;
    }
}

std::shared_ptr<baseCard> IMController::cardAt(int type, int section, int row) {
    switch (type) {
    case kSectionChatting: {
        const auto chats = chat()->chats();
        return row >= 1 && static_cast<size_t>(row) <= chats.size() ? chats[static_cast<size_t>(row - 1)]->card()
                                                                    : nullptr;
    }
    case kSectionPrivateChat:
        return itemAt(privateChatUsers(), row);
    case kSectionChatGroup:
        return itemAt(chatGroups(), row);
    case kSectionChatRoom:
        return itemAt(chatRooms(), row);
    case kSectionZelvan:
        return itemAt(zelvanFriends(), row);
    case kSectionAB:
        return itemAt(abContacts(), row);
    case kSectionIM: {
        if (section < 1 || static_cast<size_t>(section) > ims().size()) {
            return nullptr;
        }
        auto im = ims()[static_cast<size_t>(section - 1)];
        auto list = im->showoffline() ? im->all() : im->onlines();
        if (row < 1 || static_cast<size_t>(row) > list->count()) {
            return nullptr;
        }
        return list->objectAtIndex(static_cast<size_t>(row - 1)).asObject<baseCard>();
    }
    default:
        return nullptr;
    }
}

std::shared_ptr<ui::TableViewCell> IMController::tableViewCellForIdentifier(const std::string& identifier) {
    std::shared_ptr<ui::TableViewCell> cell =
        tableView_ ? tableView_->dequeueReusableCellWithIdentifier(identifier) : nullptr;
    if (!cell) {
        const gfx::Rect frame(0, 0, 320, kRowHeight);
        if (identifier == "ImFriend") {
            cell = ui::View::create<IMFriendCell>(frame, identifier);
        } else if (identifier == "ImControlMinimized") {
            cell = ui::View::create<IMMinimizedBarCell>(frame, identifier);
        } else if (identifier == "ImControlChat") {
            cell = ui::View::create<IMChattingBarCell>(frame, identifier);
        } else if (identifier == "ImControlPrivateChat") {
            cell = ui::View::create<IMPrivateChatBarCell>(frame, identifier);
        } else if (identifier == "ImControlChatGroup") {
            cell = ui::View::create<IMChatGroupBarCell>(frame, identifier);
        } else if (identifier == "ImControlChatroom") {
            cell = ui::View::create<IMChatRoomBarCell>(frame, identifier);
        } else if (identifier == "ImControlZelvan") {
            cell = ui::View::create<IMZelvanBarCell>(frame, identifier);
        } else if (identifier == "ImControlAB") {
            cell = ui::View::create<IMABBarCell>(frame, identifier);
        } else if (identifier == "ImControlMessenger") {
            cell = ui::View::create<IMMessengerBarCell>(frame, identifier);
        } else if (identifier == "ImInfo") {
            cell = ui::View::create<IMInfoCell>(frame, identifier);
        } else {
            cell = ui::View::create<ui::TableViewCell>(frame, identifier);
        }
    }
    if (auto row = std::dynamic_pointer_cast<IMListCell>(cell)) {
        row->setListHost(std::static_pointer_cast<IMController>(shared_from_this()));
    }
    if (auto delegate = delegate_.lock()) {
        cell->textLabel()->setTextColor(delegate->style()->labelTextColor());
        cell->textLabel()->setFont(delegate->style()->tableCellFont());
    }
    cell->imageView()->setImage(nullptr);
    cell->setAccessoryView(nullptr);
    return cell;
}

std::shared_ptr<ui::TableViewCell> IMController::cellForChatting(const ui::IndexPath& indexPath) {
    if (indexPath.row == 0) {
        if (isUnfolded(kSectionChatting)) {
            auto bar = std::static_pointer_cast<IMChattingBarCell>(tableViewCellForIdentifier("ImControlChat"));
            bar->reloadChatting(false, editType_, kRowHeight);
            return bar;
        }
        auto bar = std::static_pointer_cast<IMMinimizedBarCell>(tableViewCellForIdentifier("ImControlMinimized"));
        bar->reloadChatting(kRowHeight);
        return bar;
    }
    auto row = std::static_pointer_cast<IMFriendCell>(tableViewCellForIdentifier("ImFriend"));
    const auto chats = chat()->chats();
    if (static_cast<size_t>(indexPath.row) <= chats.size()) {
        row->reloadWithChat(chats[static_cast<size_t>(indexPath.row - 1)], kRowHeight, editType_);
    }
    return row;
}

std::shared_ptr<ui::TableViewCell> IMController::cellForIM(const ui::IndexPath& indexPath) {
    auto im = ims()[static_cast<size_t>(indexPath.section - 1)];
    if (indexPath.row == 0) {
        if (im->showall()) {
            auto bar = std::static_pointer_cast<IMMessengerBarCell>(tableViewCellForIdentifier("ImControlMessenger"));
            bar->reloadWithIMGroup(im, editType_, kRowHeight);
            return bar;
        }
        auto bar = std::static_pointer_cast<IMMinimizedBarCell>(tableViewCellForIdentifier("ImControlMinimized"));
        bar->reloadWithIMGroup(kRowHeight, im);
        return bar;
    }
    auto row = std::static_pointer_cast<IMFriendCell>(tableViewCellForIdentifier("ImFriend"));
    row->reloadWithCard(cardAt(kSectionIM, indexPath.section, indexPath.row), kRowHeight, editType_);
    return row;
}

std::shared_ptr<ui::TableViewCell> IMController::cellForList(int type, const ui::IndexPath& indexPath) {
    const bool expanded = isUnfolded(type);
    if (indexPath.row == 0) {
        if (!expanded) {
            auto bar = std::static_pointer_cast<IMMinimizedBarCell>(tableViewCellForIdentifier("ImControlMinimized"));
            switch (type) {
            case kSectionPrivateChat:
                bar->reloadPrivateChat(kRowHeight);
                break;
            case kSectionChatGroup:
                bar->reloadChatGroup(kRowHeight);
                break;
            case kSectionChatRoom:
                bar->reloadChatRoom(kRowHeight);
                break;
            case kSectionZelvan:
                bar->reloadZelvanGroup(kRowHeight);
                break;
            default:
                bar->reloadAB(kRowHeight);
                break;
            }
            return bar;
        }
        switch (type) {
        case kSectionPrivateChat: {
            auto bar =
                std::static_pointer_cast<IMPrivateChatBarCell>(tableViewCellForIdentifier("ImControlPrivateChat"));
            bar->reloadPrivateChat(false, editType_, kRowHeight);
            return bar;
        }
        case kSectionChatGroup: {
            auto bar = std::static_pointer_cast<IMChatGroupBarCell>(tableViewCellForIdentifier("ImControlChatGroup"));
            bar->reloadChatGroup(false, editType_, kRowHeight);
            return bar;
        }
        case kSectionChatRoom: {
            auto bar = std::static_pointer_cast<IMChatRoomBarCell>(tableViewCellForIdentifier("ImControlChatroom"));
            bar->reloadChatRoom(false, editType_, kRowHeight);
            return bar;
        }
        case kSectionZelvan: {
            auto bar = std::static_pointer_cast<IMZelvanBarCell>(tableViewCellForIdentifier("ImControlZelvan"));
            bar->reloadZelvanGroup(false, editType_, kRowHeight);
            return bar;
        }
        default: {
            auto bar = std::static_pointer_cast<IMABBarCell>(tableViewCellForIdentifier("ImControlAB"));
            bar->reloadAB(false, editType_, kRowHeight);
            return bar;
        }
        }
    }
    auto card = cardAt(type, indexPath.section, indexPath.row);
    if (type == kSectionChatGroup && !card) {
        auto info = std::static_pointer_cast<IMInfoCell>(tableViewCellForIdentifier("ImInfo"));
        info->reloadWithText(ZLS("im-chatgroup-empty-info"), kRowHeight);
        return info;
    }
    // Each friend's status line is asked for once, the first time its row is shown.
    if (auto friendCard = std::dynamic_pointer_cast<vCard>(card); type == kSectionZelvan && friendCard) {
        if (!friendCard->miniblog()) {
            addMiniblogRequest(friendCard->userid());
            friendCard->setMiniblog("");
        }
    }
    auto row = std::static_pointer_cast<IMFriendCell>(tableViewCellForIdentifier("ImFriend"));
    row->reloadWithCard(card, kRowHeight, editType_);
    return row;
}

std::shared_ptr<ui::TableViewCell> IMController::tableViewCellForRowAtIndexPath(ui::TableView& /*tableView*/,
                                                                                const ui::IndexPath& indexPath) {
    const int type = sectionType(indexPath.section);
    switch (type) {
    case kSectionChatting:
        return cellForChatting(indexPath);
    case kSectionIM:
        return cellForIM(indexPath);
    case kSectionPrivateChat:
    case kSectionChatGroup:
    case kSectionChatRoom:
    case kSectionZelvan:
    case kSectionAB:
        return cellForList(type, indexPath);
    case kSectionAd:
        return tableViewCellForIdentifier("Ad");
    default:
        ZLOG(Warn, "unknown section %d", indexPath.section);
        return tableViewCellForIdentifier("tmp");
    }
}

// --- Selection ---

void IMController::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    const int type = sectionType(indexPath.section);
    if (indexPath.row == 0) {
        if (type == kSectionIM) {
            if (auto im = imAt(indexPath.section - 1)) {
                im->setShowall(!im->showall());
            }
        } else if (type != kSectionAd && type != kSectionUnknown) {
            switchFold(type);
        }
        tableView.reloadData();
        tableView.scrollToNearestSelectedRowAtScrollPosition(ui::TableViewScrollPosition::Middle, ui::Animated::Yes);
    } else if (type == kSectionAB) {
        if (auto contact = std::dynamic_pointer_cast<vCard>(cardAt(type, indexPath.section, indexPath.row))) {
            pushPage(fnd::format("%@?cid=%d", ZLS("static_contactinfo"), contact->contactid()));
        }
    } else if (type == kSectionChatGroup && !cardAt(type, indexPath.section, indexPath.row)) {
        // The information row of an empty group section.
    } else {
        showChat(indexPath.section, indexPath.row);
    }
    tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
}

void IMController::tableViewAccessoryButtonTappedForRowWithIndexPath(ui::TableView& /*tableView*/,
                                                                     const ui::IndexPath& indexPath) {
    const int type = sectionType(indexPath.section);
    if (type != kSectionZelvan && type != kSectionAB) {
        return;
    }
    if (auto card = std::dynamic_pointer_cast<vCard>(cardAt(type, indexPath.section, indexPath.row))) {
        actionShowProfile(card);
    }
}

void IMController::showChat(int section, int row) {
    const int type = sectionType(section);
    switch (type) {
    case kSectionAB:
        return;
    case kSectionChatting:
        if (row < 1 || static_cast<size_t>(row) > chat()->chats().size()) {
            return;
        }
        chatController_->activateChat(row - 1);
        break;
    case kSectionZelvan:
    case kSectionIM:
    case kSectionChatGroup:
    case kSectionChatRoom:
    case kSectionPrivateChat: {
        auto card = cardAt(type, section, row);
        if (!card) {
            return;
        }
        chat()->activateChatWithCard(card);
        break;
    }
    default:
        ZLOG(Warn, "unknown section %d", section);
        return;
    }
    auto nav = navigationController();
    if (nav && !chatController_->navigationController()) {
        nav->pushViewController(chatController_, ui::Animated::Yes);
    }
}

// --- Folding ---

void IMController::switchFold(int type) {
    if (type == kSectionIM) {
        return;
    }
    unfoldStates_.setIntValue(isUnfolded(type) ? 0 : 1, type);
}

void IMController::unfold(int type, bool exclusive) {
    if (type == kSectionIM) {
        return;
    }
    unfoldStates_.setIntValue(1, type);
    if (!exclusive) {
        return;
    }
    for (int other = kSectionUnknown; other <= kSectionAd; ++other) {
        if (other != type && unfoldStates_.containsKey(other)) {
            unfoldStates_.setIntValue(0, other);
        }
    }
    for (const auto& im : ims()) {
        im->setShowall(false);
    }
}

void IMController::expandGroup(int32_t index) {
    if (auto im = imAt(index)) {
        im->setShowall(!im->showall());
        forceReload();
    }
}

void IMController::expandAll() {
    switchFold(kSectionZelvan);
    forceReload();
}

// --- Edit modes ---

void IMController::toggleEditMode(int mode, int section) {
    if (editType_ == mode) {
        editType_ = kEditNone;
        if (tableView_) {
            tableView_->setEditing(false, ui::Animated::Yes);
        }
        if (mode == kEditZelvan || mode == kEditContacts) {
            saveContactStorage();
        }
    } else {
        editType_ = mode;
        unfold(section, true);
        if (tableView_) {
            tableView_->setEditing(true, ui::Animated::Yes);
        }
    }
    forceReload();
}

void IMController::actionCloseChat() {
    toggleEditMode(kEditCloseChats, kSectionChatting);
}

void IMController::actionDeleteZelvan() {
    toggleEditMode(kEditZelvan, kSectionZelvan);
}

void IMController::actionDeleteContacts() {
    toggleEditMode(kEditContacts, kSectionAB);
}

void IMController::actionLeaveChatGroup() {
    if (editType_ == kEditNone && chatGroups().empty()) {
        return;
    }
    toggleEditMode(kEditLeaveGroups, kSectionChatGroup);
}

void IMController::actionDone() {
    switch (editType_) {
    case kEditZelvan:
        actionDeleteZelvan();
        break;
    case kEditContacts:
        actionDeleteContacts();
        break;
    case kEditLeaveGroups:
        actionLeaveChatGroup();
        break;
    default:
        break;
    }
}

std::optional<ui::TableViewCellEditingStyle>
IMController::tableViewEditingStyleForRowAtIndexPath(ui::TableView& /*tableView*/, const ui::IndexPath& indexPath) {
    const int type = sectionType(indexPath.section);
    const bool deletable = indexPath.row >= 1 && ((type == kSectionChatting && editType_ == kEditCloseChats) ||
                                                  (type == kSectionZelvan && editType_ == kEditZelvan) ||
                                                  (type == kSectionAB && editType_ == kEditContacts) ||
                                                  (type == kSectionChatGroup && editType_ == kEditLeaveGroups));
    return deletable ? ui::TableViewCellEditingStyle::Delete : ui::TableViewCellEditingStyle::None;
}

std::optional<bool> IMController::tableViewShouldIndentWhileEditingRowAtIndexPath(ui::TableView& /*tableView*/,
                                                                                  const ui::IndexPath& indexPath) {
    return indexPath.row >= 1;
}

void IMController::deleteRow(const ui::IndexPath& indexPath, bool chatsWereOpen) {
    if (!tableView_) {
        return;
    }
    std::vector<ui::IndexPath> rows{indexPath};
    if (chatsWereOpen && chat()->chats().empty()) {
        rows.push_back(ui::IndexPath::indexPathForRow(0, 0));
    }
    tableView_->deleteRowsAtIndexPaths(rows, ui::TableViewRowAnimation::Right);
}

void IMController::tableViewCommitEditingStyle(ui::TableView& /*tableView*/, ui::TableViewCellEditingStyle style,
                                               const ui::IndexPath& indexPath) {
    if (style != ui::TableViewCellEditingStyle::Delete) {
        return;
    }
    const int type = sectionType(indexPath.section);
    auto card = cardAt(type, indexPath.section, indexPath.row);
    if (!card) {
        return;
    }
    const bool chatsWereOpen = !chat()->chats().empty();
    switch (type) {
    case kSectionZelvan:
    case kSectionAB: {
        auto contact = std::static_pointer_cast<vCard>(card);
        if (type == kSectionZelvan) {
            deletedContacts().push_back(fnd::Value(contact));
            chat()->removeChatWithCard(contact);
        }
        removeContact(contact);
        send(fnd::Value::array({kDeleteContactCommand, contact->contactid()}));
        setRev(rev() + 1);
        deleteRow(indexPath, chatsWereOpen);
        forceReload();
        break;
    }
    case kSectionChatGroup: {
        auto group = std::static_pointer_cast<ChatGroupCard>(card);
        if (group->isAdmin()) {
            auto alert = showAlert(fnd::format(ZLS("groupAdminCantLeave"), group->name()), kTagLeaveAdminGroup);
            alert->setAlertId(fnd::Value(group->groupId()));
            return;
        }
        chat()->removeChatWithCard(group);
        chatGroups().remove(*group);
        send(fnd::Value::array({kLeaveGroupCommand, group->groupId()}));
        deleteRow(indexPath, chatsWereOpen);
        forceReload();
        break;
    }
    case kSectionChatting:
        chat()->removeChatWithCard(card);
        deleteRow(indexPath, chatsWereOpen);
        if (chat()->chats().empty()) {
            actionCloseChat();
        } else {
            forceReload();
        }
        break;
    default:
        break;
    }
}

} // namespace zelvan
