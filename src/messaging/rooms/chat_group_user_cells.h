// The rows of the chat group member management screen: a check box, a head picture, the name and a
// grey line. The invite row lists a friend or an address-book contact, the delete row a member; both
// keep the row's entry in the check box, so a tick marks the entry (attribute bit 1).
#pragma once

#include <memory>

#include "messaging/model/chat_group_user.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view_cell.h"
#include "toolkit/zelvan_check_box.h"

namespace zelvan {

// Entry bits of the member management screen.
inline constexpr int32_t kGroupUserChecked = 1;
inline constexpr int32_t kGroupUserMember = 2;
inline constexpr int32_t kGroupUserInvited = 4;

class ChatGroupUserCheckCell : public ui::TableViewCell {
public:
    static constexpr double kRowHeight = 60;
    static constexpr double kCheckBoxSide = 28;
    static constexpr double kLineHeight = 25;
    static constexpr double kLabelWidth = 150;

    using ui::TableViewCell::TableViewCell;
    std::string className() const override { return "ChatGroupUserCheckCell"; }

    // Builds the subviews once; `style` is the check box's (ZelvanCheckBox::Style).
    void initViews(int style);

    const std::shared_ptr<ZelvanCheckBox>& checkBox() const { return checkBox_; }
    const std::shared_ptr<ui::ImageView>& headView() const { return headView_; }
    const std::shared_ptr<ui::Label>& nameLabel() const { return nameLabel_; }
    // The grey line under the name.
    const std::shared_ptr<ui::Label>& adminView() const { return adminView_; }

protected:
    // The check box's selection becomes bit 1 of the entry it carries (none: nothing changes).
    virtual void checkBoxChanged();
    // Shows the entry's selection without marking anything: the box carries no entry while it changes.
    void restoreSelection(const std::shared_ptr<ChatGroupUser>& entry);

private:
    std::shared_ptr<ZelvanCheckBox> checkBox_;
    std::shared_ptr<ui::ImageView> headView_;
    std::shared_ptr<ui::Label> nameLabel_;
    std::shared_ptr<ui::Label> adminView_;
};

// Told when the user ticks or clears an address-book contact's row.
class ChatGroupInviteCellHost {
public:
    virtual ~ChatGroupInviteCellHost() = default;
    virtual void contactCheckChanged(const ChatGroupUser& entry) = 0;
};

class ChatGroupUserInviteCell : public ChatGroupUserCheckCell {
public:
    using ChatGroupUserCheckCell::ChatGroupUserCheckCell;
    std::string className() const override { return "ChatGroupUserInviteCell"; }

    // A service friend's row (`isFriend`) or a contact's; members and invited entries have no check box.
    void reloadWithUser(const std::shared_ptr<ChatGroupUser>& entry, bool isFriend);
    void setHost(std::weak_ptr<ChatGroupInviteCellHost> host) { host_ = std::move(host); }

protected:
    void checkBoxChanged() override;

private:
    std::shared_ptr<ChatGroupUser> user_;
    bool friend_ = false;
    std::weak_ptr<ChatGroupInviteCellHost> host_;
};

class ChatGroupUserDeleteCell : public ChatGroupUserCheckCell {
public:
    using ChatGroupUserCheckCell::ChatGroupUserCheckCell;
    std::string className() const override { return "ChatGroupUserDeleteCell"; }

    // A member's row; an administrator has no check box.
    void reloadWithUser(const std::shared_ptr<ChatGroupUser>& entry);
};

} // namespace zelvan
