// What the messenger list's buttons do beyond its table: IM account sign-in, sign-out, removal and
// the offline filter, the account form's answer, new contacts and chat-group pages, the presence
// sheet, the confirmation answers, the status-line and room-count timer, a lost connection and
// picture updates of visible rows.
#include <algorithm>

#include "core/localization.h"
#include "core/main_thread.h"
#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/lists/im_controller.h"
#include "messaging/lists/im_friend_cell.h"
#include "platform/device/new_person_view_controller.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/ui/tab_bar_controller.h"
#include "toolkit/zelvan_widget.h"
#include "web/z_advanced_web_view_controller.h"

namespace zelvan {

namespace {

struct StatusChoice {
    const char* key;
    int32_t state;
    int command;
};

// The presence sheet's titles keep their trailing blanks: they are the texts the sheet compares.
constexpr StatusChoice kStatusChoices[] = {
    {"Online ", 1, 29},
    {"Idle     ", 2, 28},
    {"Busy   ", 3, 72},
};

constexpr int kStatusSheetTag = 1;

} // namespace

std::shared_ptr<imGroup> IMController::imAt(int32_t index) const {
    const auto& list = ims();
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
        ZLOG(Warn, "messenger: no IM account at index %d", static_cast<int>(index));
        return nullptr;
    }
    return list[static_cast<size_t>(index)];
}

void IMController::pushPage(const std::string& url) {
    if (auto nav = navigationController()) {
        nav->pushViewController(ZAdvancedWebViewController::initWithUrl(url), ui::Animated::Yes);
    }
}

// --- IM accounts ---

void IMController::actionAddIM() {
    auto nav = navigationController();
    if (!nav) {
        return;
    }
    auto form = std::make_shared<IMConfigController>(delegate_);
    form->setImConfigDelegate(std::static_pointer_cast<IMController>(shared_from_this()));
    nav->pushViewController(form, ui::Animated::Yes);
}

void IMController::imAccountConfigured(const std::shared_ptr<imGroup>& im, IMConfigController& /*controller*/) {
    if (im && !findIM(im->prot(), im->user())) {
        ims().push_back(im);
        saveIMStorage();
        send(fnd::Value::array({kIMLoginCommand, im->prot(), im->user(), im->pass()}));
        im->setConnectionStatus(2);
        forceReload();
        if (tableView_) {
            const auto row = ui::IndexPath::indexPathForRow(0, static_cast<int>(ims().size()));
            if (row.section < tableView_->numberOfSections()) {
                tableView_->scrollToRowAtIndexPath(row, ui::TableViewScrollPosition::Bottom, ui::Animated::No);
            }
        }
    }
    if (auto nav = navigationController()) {
        nav->popToViewController(std::static_pointer_cast<ui::ViewController>(shared_from_this()), ui::Animated::Yes);
    }
}

void IMController::actionIMLogin(int32_t index) {
    if (auto im = imAt(index)) {
        send(fnd::Value::array({kIMLoginCommand, im->prot(), im->user(), im->pass()}));
        im->setConnectionStatus(2);
        safeReload();
    }
}

void IMController::actionIMLogout(int32_t index) {
    if (auto im = imAt(index)) {
        auto alert = showAlert(fnd::format("Sign out of \"%@\" ?", im->user()), kTagLogout);
        alert->setAlertId(fnd::Value(im));
    }
}

void IMController::actionIMDelete(int32_t index) {
    if (auto im = imAt(index)) {
        auto alert = showAlert(fnd::format(ZLS("delete%@?"), im->user()), kTagDeleteIM);
        alert->setAlertId(fnd::Value(im));
    }
}

void IMController::actionIMShowOffline(int32_t index) {
    if (auto im = imAt(index)) {
        im->setShowoffline(!im->showoffline());
        safeReload();
    }
}

// --- Contacts and groups ---

void IMController::actionNewProfile() {
    auto nav = navigationController();
    if (!nav) {
        return;
    }
    auto screen = std::make_shared<device::NewPersonViewController>();
    screen->setAddressBook(addressBook_);
    screen->setNewPersonViewDelegate(std::static_pointer_cast<IMController>(shared_from_this()));
    nav->pushViewController(screen, ui::Animated::Yes);
    screen->view()->setBackgroundColor(gfx::Color(0.4, 0.4, 0.4, 1.0));
}

void IMController::actionCreateChatGroup() {
    pushPage(ZLS("static_newchatgroup"));
}

void IMController::actionSearchChatGroup() {
    pushPage(ZLS("static_searchchatgroup"));
}

void IMController::actionCellDisclosure(ui::TableViewCell& cell) {
    if (!tableView_) {
        return;
    }
    if (auto path = tableView_->indexPathForCell(cell)) {
        tableViewAccessoryButtonTappedForRowWithIndexPath(*tableView_, *path);
    }
}

void IMController::actionCellEdit(ui::TableViewCell& cell) {
    auto path = tableView_ ? tableView_->indexPathForCell(cell) : std::nullopt;
    if (!path || sectionType(path->section) != kSectionChatGroup || path->row < 1) {
        return;
    }
    auto group = std::dynamic_pointer_cast<ChatGroupCard>(cardAt(kSectionChatGroup, path->section, path->row));
    if (!group) {
        return;
    }
    auto nav = navigationController();
    auto screen = screens_.groupManageMenu ? screens_.groupManageMenu(group) : nullptr;
    if (!screen || !nav) {
        ZLOG(Warn, "messenger: no group manage menu to show");
        return;
    }
    nav->pushViewController(screen, ui::Animated::Yes);
}

// --- Presence ---

void IMController::actionZelvanStatus() {
    std::vector<std::string> titles;
    for (const auto& choice : kStatusChoices) {
        titles.push_back(ZLS(choice.key));
    }
    auto sheet =
        ui::ActionSheet::initWithTitle(ZLS("changeStatus"), std::static_pointer_cast<IMController>(shared_from_this()),
                                       ZLS("Cancel"), std::nullopt, titles);
    sheet->setActionSheetStyle(ui::ActionSheetStyle::BlackTranslucent);
    sheet->setTag(kStatusSheetTag);
    for (const auto& button : sheet->buttonViews()) {
        const std::string title = button->titleForState(ui::ControlState::Normal).value_or("");
        for (const auto& choice : kStatusChoices) {
            if (title == ZLS(choice.key)) {
                const gfx::Rect frame = button->frame();
                button->setImage(ZelvanWidget::stateIcon(choice.state), ui::ControlState::Normal);
                button->setFrame(frame);
            }
        }
    }
    auto delegate = delegate_.lock();
    auto tabs = delegate ? delegate->tabBarController() : nullptr;
    sheet->showInView(tabs ? tabs->view() : view());
}

void IMController::actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) {
    if (sheet.tag() != kStatusSheetTag) {
        return;
    }
    const std::string title = sheet.buttonTitleAtIndex(buttonIndex).value_or("");
    for (const auto& choice : kStatusChoices) {
        if (title == ZLS(choice.key)) {
            send(fnd::Value::array({kStatusCommand, choice.command}));
            zelvanState_ = choice.state;
            safeReload();
            return;
        }
    }
}

// --- Confirmations ---

void IMController::buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& /*buttonTitle*/,
                                          int buttonIndex) {
    const int64_t tag = alert.tag();
    const bool yes = buttonIndex == 1;
    // The account or group the alert is about travels with it, and is acted on only if it is still
    // listed: the lists may have changed while the question was on screen.
    if (tag >= kTagMerge && tag <= kTagExport) {
        if (yes) {
            startSync(static_cast<int>(tag) - 1);
        }
    } else if (tag == kTagLogout || tag == kTagDeleteIM) {
        auto im = alert.alertId().asObject<imGroup>();
        auto it = std::find(ims().begin(), ims().end(), im);
        if (yes && im && it != ims().end()) {
            if (tag == kTagLogout) {
                send(fnd::Value::array({kIMLogoutCommand, im->im_id()}));
                im->setConnectionStatus(1);
                chat()->closeIMGroup(im);
            } else {
                ims().erase(it);
                saveIMStorage();
            }
            safeReload();
        }
    } else if (tag == kTagLeaveAdminGroup) {
        auto group = alert.alertId().isInt() ? findChatGroup(alert.alertId().intValue()) : nullptr;
        if (yes && group) {
            const bool chatsWereOpen = !chat()->chats().empty();
            auto& groups = chatGroups();
            const size_t index = groups.indexOf(*group);
            const int section = static_cast<int>(ims().size()) + 2;
            chat()->removeChatWithCard(group);
            groups.remove(*group);
            send(fnd::Value::array({kDisbandGroupCommand, group->groupId()}));
            deleteRow(ui::IndexPath::indexPathForRow(static_cast<int>(index) + 1, section), chatsWereOpen);
        }
        forceReload();
    }
    alert.setAlertId(fnd::Value());
}

// --- Timer ---

void IMController::addMiniblogRequest(int32_t userId) {
    if (!miniblogRequestQueue().containsValue(userId)) {
        miniblogRequestQueue().addValue(userId);
    }
}

void IMController::fireTimerEvent() {
    ZIntArray& queue = miniblogRequestQueue();
    if (miniblogRequestCount() < kMaxMiniblogRequests && queue.count() > 0) {
        auto packet = fnd::Array::make({kMiniblogCommand});
        int32_t taken = 0;
        while (queue.count() > 0 && taken + miniblogRequestCount() <= kMaxMiniblogRequests - 1) {
            packet->addObject(fnd::Value(queue.valueAtIndex(0)));
            queue.removeValueAtIndex(0);
            ++taken;
        }
        setMiniblogRequestCount(miniblogRequestCount() + taken);
        miniblogRequestCounts().addValue(taken);
        send(fnd::Value(packet));
    }
    const double now = fnd::Date::now().sinceReferenceDate();
    if (now - lastChatRoomQuery() > kChatRoomQueryInterval && !chatRooms().empty()) {
        auto packet = fnd::Array::make({kRoomCountCommand});
        for (const auto& room : chatRooms()) {
            packet->addObject(fnd::Value(room->roomId()));
        }
        send(fnd::Value(packet));
    }
}

// --- Connection and pictures ---

void IMController::connectionLost() {
    onMain(std::static_pointer_cast<IMController>(shared_from_this()), &IMController::connectionLostInMainThread);
}

void IMController::connectionLostInMainThread() {
    chat()->clear();
    for (const auto& card : zelvanFriends()) {
        card->setState(0);
        card->setOnline(0);
    }
    for (const auto& im : ims()) {
        im->clear();
    }
    chatGroups().clear();
    chatRooms().clear();
    // Requests in flight are never answered on a dropped connection: without this the outstanding
    // count could stay at its cap and no status line would be asked for again.
    setMiniblogRequestCount(0);
    miniblogRequestCounts() = ZIntArray();
    safePopToRootViewController();
    safeReload();
}

void IMController::avatarUpdated(int32_t userId, int32_t type, int32_t /*version*/) {
    const int wanted = type == 2 ? kSectionZelvan : type == 4 ? kSectionChatGroup : kSectionUnknown;
    if (wanted == kSectionUnknown || !tableView_) {
        return;
    }
    for (const auto& path : tableView_->indexPathsForVisibleRows()) {
        if (path.row < 1 || sectionType(path.section) != wanted) {
            continue;
        }
        auto card = cardAt(wanted, path.section, path.row);
        const auto friendCard = std::dynamic_pointer_cast<vCard>(card);
        const auto group = std::dynamic_pointer_cast<ChatGroupCard>(card);
        const bool match = (friendCard && friendCard->userid() == userId) || (group && group->groupId() == userId);
        if (!match) {
            continue;
        }
        if (auto cell = std::dynamic_pointer_cast<IMFriendCell>(tableView_->cellForRowAtIndexPath(path))) {
            cell->refreshHeadImage(card);
        }
    }
}

} // namespace zelvan
