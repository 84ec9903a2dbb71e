// The rows of the chat room member screens: ChatRoomUserCell (picture, name, "You" or "Friend", chat
// and home buttons) and ChatRoomUserCheckCell, the administrator's row with a removal check box in
// front and the administrator mark under the name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view_cell.h"
#include "toolkit/zelvan_check_box.h"

namespace zelvan {

class ChatRoomMembersScreen;
class ChatRoomUser;
class zelvanAppDelegate;

// The chat and home buttons and the picture both rows share.
class ChatRoomMemberRow {
public:
    static constexpr double kHeadSide = 60;
    static constexpr double kLabelWidth = 150;
    static constexpr double kLabelHeight = 25;
    static constexpr double kButtonX = 190;
    static constexpr double kButtonWidth = 60;
    static constexpr double kButtonHeight = 30;
    static constexpr double kButtonCenterY = 40;
    static constexpr double kButtonFontSize = 12;
    // Seconds between the switch to the home tab and opening the member's page there.
    static constexpr double kShowHomeDelay = 0.4;

    // Switches to the home tab, then 0.4 s later opens the home page of `userId` there.
    static void showHome(const std::shared_ptr<zelvanAppDelegate>& app, int32_t userId);

    const std::shared_ptr<ui::ImageView>& headView() const { return headView_; }
    const std::shared_ptr<ui::Label>& nameLabel() const { return nameLabel_; }
    const std::shared_ptr<ui::Button>& btnChat() const { return btnChat_; }
    const std::shared_ptr<ui::Button>& btnHome() const { return btnHome_; }

protected:
    ~ChatRoomMemberRow() = default;
    // Makes the two buttons in `content`; the chat button asks the row's screen, the home button
    // opens the home page of the user id in its tag.
    void buildButtons(ui::View& content, const std::weak_ptr<const void>& owner);
    // Picture, button tags and the chat button's visibility for `user` at `row`.
    void fillShared(const std::shared_ptr<ChatRoomUser>& user, int row, const ChatRoomMembersScreen& screen);
    // A row without a member (a list entry that is none): no picture, name or buttons.
    void clearRow();

    std::shared_ptr<ui::ImageView> headView_;
    std::shared_ptr<ui::Label> nameLabel_;
    std::shared_ptr<ui::Button> btnChat_;
    std::shared_ptr<ui::Button> btnHome_;
    std::weak_ptr<ChatRoomMembersScreen> screen_;
};

class ChatRoomUserCell : public ui::TableViewCell, public ChatRoomMemberRow {
public:
    using ui::TableViewCell::TableViewCell;
    std::string className() const override { return "ChatRoomUserCell"; }

    // Fills the row of `user` at `row` for `controller` (built on first use). `mode` is the screen's
    // display mode, kept for the row.
    void reloadWithUser(const std::shared_ptr<ChatRoomUser>& user, int row, int32_t mode,
                        const std::shared_ptr<ChatRoomMembersScreen>& controller);

    // "You", "Friend" or nothing.
    const std::shared_ptr<ui::Label>& friendLabel() const { return friendLabel_; }
    int32_t mode() const { return mode_; }

private:
    void buildViews();

    std::shared_ptr<ui::Label> friendLabel_;
    int32_t mode_ = 0;
};

class ChatRoomUserCheckCell : public ui::TableViewCell, public ChatRoomMemberRow {
public:
    static constexpr double kCheckBoxX = 10;
    static constexpr double kCheckBoxSide = 28;
    static constexpr double kCheckBoxCenterY = 30;
    static constexpr double kHeadGap = 10;

    using ui::TableViewCell::TableViewCell;
    std::string className() const override { return "ChatRoomUserCheckCell"; }

    // Fills the row of `user` at `row` for `controller` (built on first use). The check box shows the
    // member's removal mark without changing it, and is hidden for an administrator.
    void reloadWithUser(const std::shared_ptr<ChatRoomUser>& user, int row,
                        const std::shared_ptr<ChatRoomMembersScreen>& controller);
    // Sets or clears the removal mark of the box's member to the box's state.
    void checkBoxChanged(ZelvanCheckBox& checkBox);

    const std::shared_ptr<ZelvanCheckBox>& checkBox() const { return checkBox_; }
    // "Administrator", shown for administrators only.
    const std::shared_ptr<ui::Label>& adminView() const { return adminView_; }

private:
    void buildViews();

    std::shared_ptr<ZelvanCheckBox> checkBox_;
    std::shared_ptr<ui::Label> adminView_;
};

} // namespace zelvan
