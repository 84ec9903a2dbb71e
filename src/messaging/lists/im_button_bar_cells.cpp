// The unfolded bars with a second line of buttons: chat groups, service friends, address-book contacts
// and external IM accounts. Buttons are made on the first unfolded reload, hidden while folded, and
// their titles and enabled states follow the list's edit mode and, for accounts, the connection status.
#include "messaging/lists/im_bar_cells.h"

#include "core/localization.h"
#include "messaging/model/bar_counts.h"
#include "messaging/model/contact_manage.h"
#include "messaging/model/im_group.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// The list's edit modes that concern these bars.
constexpr int32_t kEditNone = 0;
constexpr int32_t kEditFriends = 2;
constexpr int32_t kEditContacts = 3;
constexpr int32_t kEditChatGroups = 4;

const char* presenceTitle(int32_t state) {
    switch (state) {
    case 1:
        return "Online";
    case 2:
        return "Idle";
    case 3:
        return "Busy";
    default:
        return "Offline";
    }
}

void setEnabled(ui::Button& button, bool enabled) {
    if (button.isEnabled() != enabled) {
        button.setEnabled(enabled);
    }
}

} // namespace

void IMChatGroupBarCell::reloadChatGroup(bool minimized, int32_t edit, double height) {
    refreshTitleBar(minimized, ZelvanWidget::iconForIM(kIconChatGroup, false),
                    countedTitle("Chat groups (%d)", BarCounts(listHost()).chatGroups), height);
    if (minimized) {
        setButtonsHidden({btnCreate_, btnSearch_, btnLeave_}, true);
        return;
    }
    if (!btnCreate_) {
        btnCreate_ = addBarButton(kFirstColumn, [](IMListHost& host, ui::Button&) { host.actionCreateChatGroup(); });
        btnSearch_ = addBarButton(kSecondColumn, [](IMListHost& host, ui::Button&) { host.actionSearchChatGroup(); });
        btnLeave_ = addBarButton(kThirdColumn, [](IMListHost& host, ui::Button&) { host.actionLeaveChatGroup(); });
        setTitle(*btnCreate_, ZLS("Create"));
        setTitle(*btnSearch_, ZLS("Search"));
    }
    setButtonsHidden({btnCreate_, btnSearch_, btnLeave_}, false);
    setEnabled(*btnCreate_, edit == kEditNone);
    setEnabled(*btnSearch_, edit == kEditNone);
    setTitle(*btnLeave_, ZLS(edit == kEditChatGroups ? "Done" : "Leave"));
    setEnabled(*btnLeave_, edit == kEditNone || edit == kEditChatGroups);
}

void IMZelvanBarCell::reloadZelvanGroup(bool minimized, int32_t edit, double height) {
    const auto host = listHost();
    refreshTitleBar(minimized, ZelvanWidget::iconForIM(kIconZelvan, false),
                    countedTitle("Zelvan friends (%d)", BarCounts(host).zelvanFriends), height);
    if (minimized) {
        setButtonsHidden({btnState_, btnDel_}, true);
        return;
    }
    if (!btnState_) {
        btnState_ = addBarButton(kSecondColumn, [](IMListHost& host, ui::Button&) { host.actionZelvanStatus(); });
        btnDel_ = addBarButton(kThirdColumn, [](IMListHost& host, ui::Button&) { host.actionDeleteZelvan(); });
        // No presence is shown yet, so the first reload titles the button whatever the state is.
        btnState_->setTag(-1);
    }
    setButtonsHidden({btnState_, btnDel_}, false);
    const int32_t state = host ? host->zelvanState() : 0;
    if (btnState_->tag() != state) {
        btnState_->setTag(state);
        setTitle(*btnState_, ZLS(presenceTitle(state)));
        btnState_->setImage(ZelvanWidget::stateIcon(state), ui::ControlState::Normal);
    }
    setEnabled(*btnState_, edit == kEditNone);
    setTitle(*btnDel_, ZLS(edit == kEditFriends ? "Done" : "Delete"));
    setEnabled(*btnDel_, edit == kEditNone || edit == kEditFriends);
}

void IMABBarCell::reloadAB(bool minimized, int32_t edit, double height) {
    refreshTitleBar(minimized, ZelvanWidget::imageFromResource("icon_contacts", true),
                    countedTitle("Non-Zelvan Contacts (%d)", BarCounts(listHost()).abContacts), height);
    if (minimized) {
        setButtonsHidden({btnNew_, btnDel_}, true);
        return;
    }
    if (!btnNew_) {
        btnNew_ = addBarButton(kSecondColumn, [](IMListHost& host, ui::Button&) { host.actionNewProfile(); });
        btnDel_ = addBarButton(kThirdColumn, [](IMListHost& host, ui::Button&) { host.actionDeleteContacts(); });
        setTitle(*btnNew_, ZLS("New"));
    }
    setButtonsHidden({btnNew_, btnDel_}, false);
    setEnabled(*btnNew_, edit == kEditNone);
    setTitle(*btnDel_, ZLS(edit == kEditContacts ? "Done" : "Delete"));
    setEnabled(*btnDel_, edit == kEditNone || edit == kEditContacts);
}

void IMMessengerBarCell::reloadWithIMGroup(const std::shared_ptr<imGroup>& group, int32_t edit, double height) {
    if (!group) {
        ZTRACE_WARN("no IM account for the account bar");
        return;
    }
    const auto host = listHost();
    refreshTitleBar(false, accountIcon(*group), accountTitle(*group), height);
    if (!btnState_) {
        btnState_ = addBarButton(kFirstColumn, nullptr);
        btnShowOffline_ = addBarButton(kSecondColumn, [](IMListHost& host, ui::Button& button) {
            host.actionIMShowOffline(static_cast<int32_t>(button.tag()));
        });
        btnDelete_ = addBarButton(kThirdColumn, [](IMListHost& host, ui::Button& button) {
            host.actionIMDelete(static_cast<int32_t>(button.tag()));
        });
        setTitle(*btnDelete_, ZLS("Delete"));
    }
    setButtonsHidden({btnState_, btnShowOffline_, btnDelete_}, false);

    const int32_t status = group->connectionStatus();
    if (status != state_) {
        state_ = status;
        targetSignIn(status);
    }
    const int32_t index = accountIndex(host, *group);
    for (const auto& button : {btnState_, btnShowOffline_, btnDelete_}) {
        button->setTag(index);
    }
    setEnabled(*btnState_, edit == kEditNone && status != imGroup::kStatusSigningIn);
    setTitle(*btnShowOffline_, ZLS(group->showoffline() ? "Online only" : "Show all"));
    setEnabled(*btnShowOffline_, edit == kEditNone && status == kIMStatusSignedIn);
    setEnabled(*btnDelete_, edit == kEditNone && status == imGroup::kStatusSignedOut);
}

void IMMessengerBarCell::targetSignIn(int32_t status) {
    if (status == kIMStatusSignedIn) {
        setTitle(*btnState_, ZLS("Sign out"));
        retarget(*btnState_,
                 [](IMListHost& host, ui::Button& button) { host.actionIMLogout(static_cast<int32_t>(button.tag())); });
    } else if (status == imGroup::kStatusSigningIn) {
        setTitle(*btnState_, ZLS("Signing in"));
        retarget(*btnState_, nullptr);
    } else {
        // Signed out (1), failed (4), or a status this client does not know: offer to sign in again.
        setTitle(*btnState_, ZLS("Sign in"));
        retarget(*btnState_,
                 [](IMListHost& host, ui::Button& button) { host.actionIMLogin(static_cast<int32_t>(button.tag())); });
    }
}

} // namespace zelvan
