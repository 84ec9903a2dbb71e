// IMFriendCell: the contact row of the messenger's home list, for every card kind it lists: the
// card's picture with a presence mark, its name, a second line (status line, phone, description), the
// time of the status line, and an accessory (disclosure, manage button or unread badge).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/lists/im_list_cell.h"
#include "platform/foundation/value.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "toolkit/z_simple_badge_view.h"

namespace zelvan {

class IMChat;

class IMFriendCell : public IMListCell {
public:
    static constexpr double kPictureCentreX = 30;
    static constexpr double kStateMarkSide = 16;
    static constexpr double kLineHeight = 25;
    static constexpr double kTextX = 60;
    static constexpr double kNameWidth = 150;
    static constexpr double kSecondLineWidth = 200;

    using IMListCell::IMListCell;
    std::string className() const override { return "IMFriendCell"; }

    // Takes touches and selects in blue.
    void initWithFrame(gfx::Rect frame) override;

    // Fills the row for a vCard, imCard, ChatGroupCard, ChatRoomCard or PrivateChatCard in a row of
    // `height` under the list's edit mode `edit`; anything else empties the texts and the picture.
    void reloadWithCard(const fnd::Value& card, double height, int32_t edit);
    // The chat's card, with the unread count as a badge in place of the disclosure when above 0.
    void reloadWithChat(const std::shared_ptr<IMChat>& chat, double height, int32_t edit);
    // Puts a new picture of the card in place (its avatar arrived).
    void refreshHeadImage(const fnd::Value& card);
    // A view replaces the accessory (type none); without one the type's glyph shows.
    void setAccessoryWithView(const std::shared_ptr<ui::View>& view, ui::TableViewCellAccessoryType type);
    void setAccessoryWithView(const std::shared_ptr<ui::View>& view) {
        setAccessoryWithView(view, ui::TableViewCellAccessoryType::None);
    }

    // The time line hides while the row is being edited.
    void setEditing(bool editing, ui::Animated animated) override;
    using IMListCell::setEditing;

    const std::shared_ptr<ui::ImageView>& headView() const { return headView_; }
    // A subview of the picture, placed in the picture's own space.
    const std::shared_ptr<ui::ImageView>& stateView() const { return stateView_; }
    const std::shared_ptr<ui::Label>& nameLabel() const { return nameLabel_; }
    const std::shared_ptr<ui::Label>& miniblogLabel() const { return miniblogLabel_; }
    const std::shared_ptr<ui::Label>& timeLabel() const { return timeLabel_; }
    const std::shared_ptr<ZSimpleBadgeView>& badgeView() const { return badgeView_; }
    const std::shared_ptr<ui::Button>& btnEdit() const { return btnEdit_; }
    const std::shared_ptr<ui::Button>& btnDisclosure() const { return btnDisclosure_; }

private:
    void buildViews();
    // Shows the card's picture centred at x 30 and vertically in the row.
    void placePicture(const fnd::Value& card, double height);
    // The presence mark: `image` in the 16 x 16 corner at the picture's lower right, or hidden.
    void showCornerMark(const gfx::ImagePtr& image);
    void setTexts(const std::string& name, const std::string& second, const std::string& time);
    void updateTimeHidden();

    std::shared_ptr<ui::View> bgView_;
    std::shared_ptr<ui::ImageView> headView_;
    std::shared_ptr<ui::ImageView> stateView_;
    std::shared_ptr<ui::Label> nameLabel_;
    std::shared_ptr<ui::Label> miniblogLabel_;
    std::shared_ptr<ui::Label> timeLabel_;
    std::shared_ptr<ZSimpleBadgeView> badgeView_;
    std::shared_ptr<ui::Button> btnEdit_;
    std::shared_ptr<ui::Button> btnDisclosure_;
    // Whether the row's card has a time line to show (outside editing), and the list's edit mode.
    bool timeShown_ = false;
    int32_t edit_ = 0;
};

} // namespace zelvan
