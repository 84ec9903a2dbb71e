// ChatGroupUserCell: one row of a chat group's member list - the member's head (grey while offline),
// the name, an "Administrator" line for administrators and a button to the member's home page.
#pragma once

#include <memory>

#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan {

class ChatGroupUser;

class ChatGroupUserCell : public ui::TableViewCell {
public:
    static constexpr double kHeadSide = 60;
    static constexpr double kTextWidth = 150;
    static constexpr double kLineHeight = 25;
    static constexpr double kButtonWidth = 60;
    static constexpr double kButtonHeight = 30;
    // Seconds between switching to the home tab and opening the member's page there.
    static constexpr double kShowHomeDelay = 0.4;

    using ui::TableViewCell::TableViewCell;
    static std::shared_ptr<ChatGroupUserCell> create(const std::string& reuseIdentifier);

    std::string className() const override { return "ChatGroupUserCell"; }

    // Builds the subviews on first use, then shows `user`: head, name, the administrator line and
    // the home button addressed to the member's user id.
    void reloadWithUser(const ChatGroupUser& user);
    // The home tab comes to the front and, after a short delay, opens the home page of the user
    // whose id is the button's tag.
    void showHome();

    const std::shared_ptr<ui::ImageView>& headView() const { return headView_; }
    const std::shared_ptr<ui::Label>& adminView() const { return adminView_; }
    const std::shared_ptr<ui::Label>& nameLabel() const { return nameLabel_; }
    const std::shared_ptr<ui::Button>& button() const { return btn_; }

private:
    void buildViews();

    std::shared_ptr<ui::ImageView> headView_;
    std::shared_ptr<ui::Label> adminView_;
    std::shared_ptr<ui::Label> nameLabel_;
    std::shared_ptr<ui::Button> btn_;
};

} // namespace zelvan
