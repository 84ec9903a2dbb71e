// The member management screen's requests: the confirmation texts for inviting, removing and
// disbanding (names in quotes up to a length, then a count), and the packets the answer sends.
#include <vector>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/rooms/chat_group_config_member_controller.h"
#include "platform/foundation/format.h"
#include "platform/foundation/utf16.h"

namespace zelvan {
namespace {

// The ticked entries of a list: how many, and their quoted names while the text is at most `limit`
// UTF-16 units long (further names are left out and the text counts as truncated).
struct CheckedNames {
    std::string text;
    int count = 0;
    bool truncated = false;
};

CheckedNames checkedNames(const std::vector<std::shared_ptr<ChatGroupUser>>& entries, size_t limit) {
    CheckedNames names;
    for (const auto& entry : entries) {
        if (!entry->checkAttr(kGroupUserChecked)) {
            continue;
        }
        ++names.count;
        if (fnd::utf16Length(names.text) <= limit) {
            if (!names.text.empty()) {
                names.text += ", ";
            }
            names.text += "\"" + entry->name() + "\"";
        } else {
            names.truncated = true;
        }
    }
    return names;
}

} // namespace

void ChatGroupConfigMemberController::btnInvite() {
    const CheckedNames friends = checkedNames(friends_, kInviteNamesLimit);
    const CheckedNames contacts = checkedNames(contacts_, kInviteNamesLimit);
    if (friends.count == 0 && contacts.count == 0) {
        showInfo(ZLS("groupManageInviteTip9"));
        return;
    }
    const std::string groupName = group_ ? group_->name() : std::string();
    std::string text;
    if (friends.count == 1) {
        text = fnd::format(ZLS("groupManageInviteTip1"), friends.text, groupName);
    } else if (friends.count > 1) {
        text = fnd::format(ZLS(friends.truncated ? "groupManageInviteTip2" : "groupManageInviteTip3"), friends.text,
                           friends.count, groupName);
    }
    if (contacts.count > 0) {
        text += ZLS(text.empty() ? "groupManageInviteTip5" : "groupManageInviteTip4");
        if (contacts.count == 1) {
            text += fnd::format(ZLS("groupManageInviteTip6"), contacts.text);
        } else {
            text += fnd::format(ZLS(contacts.truncated ? "groupManageInviteTip7" : "groupManageInviteTip8"),
                                contacts.text, contacts.count);
        }
    }
    showConfirm(text, kTagInvite);
}

void ChatGroupConfigMemberController::btnDelete() {
    const CheckedNames members = checkedNames(users_, kDeleteNamesLimit);
    if (members.count == 0) {
        showInfo(ZLS("groupManageDeleteTip4"));
        return;
    }
    const std::string groupName = group_ ? group_->name() : std::string();
    const std::string text =
        members.count == 1 ? fnd::format(ZLS("groupManageDeleteTip1"), members.text, groupName)
                           : fnd::format(ZLS(members.truncated ? "groupManageDeleteTip2" : "groupManageDeleteTip3"),
                                         members.text, members.count, groupName);
    showConfirm(text, kTagDelete);
}

void ChatGroupConfigMemberController::btnDisband() {
    const std::string groupName = group_ ? group_->name() : std::string();
    const int count = static_cast<int>(users_.size());
    showConfirm(fnd::format(ZLS(count <= 1 ? "groupManageDisbandTip1" : "groupManageDisbandTip2"), groupName, count),
                kTagDisband);
}

void ChatGroupConfigMemberController::showConfirm(const std::string& text, int tag) {
    auto alert = ZSimpleAlertView::create();
    alert->setTag(tag);
    alert->label()->setText(text);
    alert->setIcon(tag == kTagInvite ? ZSimpleAlertView::kIconInformation : ZSimpleAlertView::kIconWarning);
    alert->addButtonWithTitle(ZLS("No"));
    alert->addButtonWithTitle(ZLS("Yes"));
    alert->setDelegate(std::static_pointer_cast<ChatGroupConfigMemberController>(shared_from_this()));
    alert->showInView(view());
}

void ChatGroupConfigMemberController::buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string&,
                                                             int buttonIndex) {
    if (buttonIndex != 1 || !group_) {
        return;
    }
    switch (alert.tag()) {
    case kTagInvite:
        confirmInvite();
        break;
    case kTagDelete:
        confirmDelete();
        break;
    case kTagDisband:
        request(kDisbandCommand, fnd::Value::array({kDisbandCommand, group_->groupId()}));
        break;
    default:
        break;
    }
}

void ChatGroupConfigMemberController::confirmInvite() {
    auto invite = fnd::Array::make({kInviteCommand, group_->groupId()});
    for (const auto& entry : friends_) {
        if (entry->checkAttr(kGroupUserChecked)) {
            invite->addObject(entry->userId());
        }
    }
    if (invite->count() > 2) {
        request(kInviteCommand, fnd::Value(invite));
    }
    // Text message invitations get no reply: the contacts count as invited at once, and their ticks
    // clear so a later invitation does not send them again.
    auto sms = fnd::Array::make({kSmsInviteCommand, group_->groupId()});
    for (const auto& entry : contacts_) {
        if (entry->checkAttr(kGroupUserChecked)) {
            sms->addObject(entry->userId());
            entry->setAttr(kGroupUserInvited, true);
            entry->setAttr(kGroupUserChecked, false);
        }
    }
    if (sms->count() > 2) {
        send(fnd::Value(sms));
        if (inviteTableView_) {
            inviteTableView_->reloadData();
        }
    }
}

void ChatGroupConfigMemberController::confirmDelete() {
    auto remove = fnd::Array::make({kRemoveCommand, group_->groupId()});
    for (const auto& member : users_) {
        if (member->checkAttr(kGroupUserChecked)) {
            remove->addObject(member->userId());
        }
    }
    request(kRemoveCommand, fnd::Value(remove));
}

} // namespace zelvan
