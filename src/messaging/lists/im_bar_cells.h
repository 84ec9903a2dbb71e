// The section bars of the messenger's home list: a fold indicator, an icon and a counted title, and,
// on the expanded bars of chat groups, friends, contacts and IM accounts, a second line of small
// buttons that run the list controller's actions. All geometry is for a 320-point-wide row.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "messaging/lists/im_list_cell.h"
#include "platform/graphics/image.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"

namespace zelvan {

class imGroup;

// The parts every bar shares: its background, fold indicator, icon and title, made on first use and
// updated in place afterwards.
class IMBaseBarCell : public IMListCell {
public:
    static constexpr double kWidth = 320;
    static constexpr double kMinimizedHeight = 50;
    static constexpr double kExpandedHeight = 59;
    static constexpr double kIconSide = 21;
    // The second line's buttons: 70 x 24 at y 32, in three columns.
    static constexpr double kButtonY = 32;
    static constexpr double kButtonWidth = 70;
    static constexpr double kButtonHeight = 24;
    static constexpr double kFirstColumn = 105;
    static constexpr double kSecondColumn = 175;
    static constexpr double kThirdColumn = 245;

    using IMListCell::IMListCell;
    std::string className() const override { return "IMBaseBarCell"; }

    // Shows the bar folded or unfolded with `icon` and `title`; only what differs from the shown bar
    // changes. The row height is the list's; the bar keeps its own 50 or 59 points.
    void refreshTitleBar(bool minimized, const gfx::ImagePtr& icon, const std::string& title, double height);

    bool minimized() const { return minimized_; }
    const std::shared_ptr<ui::ImageView>& barBackgroundView() const { return barBackgroundView_; }
    const std::shared_ptr<ui::ImageView>& foldIndicator() const { return foldIndicator_; }
    const std::shared_ptr<ui::ImageView>& iconView() const { return iconView_; }
    const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }

protected:
    using HostAction = std::function<void(IMListHost&, ui::Button&)>;

    // An IM bar button in column `x` of the second line, added to the content view; a touch up
    // inside runs `action` on the host (when there is one and `action` is set).
    std::shared_ptr<ui::Button> addBarButton(double x, HostAction action);
    // Points the button's touch up inside at `action` instead of what it ran before.
    void retarget(ui::Button& button, HostAction action);
    // Hides or shows the bar's buttons (those made so far).
    void setButtonsHidden(const std::vector<std::shared_ptr<ui::Button>>& buttons, bool hidden);
    // The localised key formatted with `count`.
    static std::string countedTitle(const char* key, size_t count);
    static void setTitle(ui::Button& button, const std::string& title);

private:
    std::shared_ptr<ui::ImageView> barBackgroundView_;
    std::shared_ptr<ui::ImageView> foldIndicator_;
    std::shared_ptr<ui::ImageView> iconView_;
    std::shared_ptr<ui::Label> titleLabel_;
    bool minimized_ = false;
};

// The folded bar every section uses: no buttons.
class IMMinimizedBarCell : public IMBaseBarCell {
public:
    using IMBaseBarCell::IMBaseBarCell;
    std::string className() const override { return "IMMinimizedBarCell"; }

    // An external IM account: its network icon (grey unless signed in) and "user (online/all)".
    void reloadWithIMGroup(double height, const std::shared_ptr<imGroup>& group);
    void reloadAB(double height);
    void reloadZelvanGroup(double height);
    void reloadChatRoom(double height);
    void reloadChatGroup(double height);
    void reloadPrivateChat(double height);
    void reloadChatting(double height);
};

// The unfolded bar of the open chats.
class IMChattingBarCell : public IMBaseBarCell {
public:
    using IMBaseBarCell::IMBaseBarCell;
    std::string className() const override { return "IMChattingBarCell"; }
    void reloadChatting(bool minimized, int32_t edit, double height);
};

// The unfolded bar of the private-chat partners.
class IMPrivateChatBarCell : public IMBaseBarCell {
public:
    using IMBaseBarCell::IMBaseBarCell;
    std::string className() const override { return "IMPrivateChatBarCell"; }
    void reloadPrivateChat(bool minimized, int32_t edit, double height);
};

// The unfolded bar of the chat rooms.
class IMChatRoomBarCell : public IMBaseBarCell {
public:
    using IMBaseBarCell::IMBaseBarCell;
    std::string className() const override { return "IMChatRoomBarCell"; }
    void reloadChatRoom(bool minimized, int32_t edit, double height);
};

// The unfolded bar of the chat groups: Create, Search and Leave (Done while leaving groups).
class IMChatGroupBarCell : public IMBaseBarCell {
public:
    using IMBaseBarCell::IMBaseBarCell;
    std::string className() const override { return "IMChatGroupBarCell"; }
    void reloadChatGroup(bool minimized, int32_t edit, double height);

    const std::shared_ptr<ui::Button>& btnCreate() const { return btnCreate_; }
    const std::shared_ptr<ui::Button>& btnSearch() const { return btnSearch_; }
    const std::shared_ptr<ui::Button>& btnLeave() const { return btnLeave_; }

private:
    std::shared_ptr<ui::Button> btnCreate_;
    std::shared_ptr<ui::Button> btnSearch_;
    std::shared_ptr<ui::Button> btnLeave_;
};

// The unfolded bar of the service friends: the user's own presence and Delete (Done while deleting).
class IMZelvanBarCell : public IMBaseBarCell {
public:
    using IMBaseBarCell::IMBaseBarCell;
    std::string className() const override { return "IMZelvanBarCell"; }
    void reloadZelvanGroup(bool minimized, int32_t edit, double height);

    // Its tag is the presence it shows.
    const std::shared_ptr<ui::Button>& btnState() const { return btnState_; }
    const std::shared_ptr<ui::Button>& btnDel() const { return btnDel_; }

private:
    std::shared_ptr<ui::Button> btnState_;
    std::shared_ptr<ui::Button> btnDel_;
};

// The unfolded bar of the address-book contacts: New and Delete (Done while deleting).
class IMABBarCell : public IMBaseBarCell {
public:
    using IMBaseBarCell::IMBaseBarCell;
    std::string className() const override { return "IMABBarCell"; }
    void reloadAB(bool minimized, int32_t edit, double height);

    const std::shared_ptr<ui::Button>& btnNew() const { return btnNew_; }
    const std::shared_ptr<ui::Button>& btnDel() const { return btnDel_; }

private:
    std::shared_ptr<ui::Button> btnNew_;
    std::shared_ptr<ui::Button> btnDel_;
};

// The unfolded bar of one external IM account: sign in or out, show offline buddies, delete. Every
// button's tag is the account's index in the host's account list.
class IMMessengerBarCell : public IMBaseBarCell {
public:
    using IMBaseBarCell::IMBaseBarCell;
    std::string className() const override { return "IMMessengerBarCell"; }
    void reloadWithIMGroup(const std::shared_ptr<imGroup>& group, int32_t edit, double height);

    const std::shared_ptr<ui::Button>& btnState() const { return btnState_; }
    const std::shared_ptr<ui::Button>& btnShowOffline() const { return btnShowOffline_; }
    const std::shared_ptr<ui::Button>& btnDelete() const { return btnDelete_; }

private:
    // Titles the sign-in button and points it at the action for `status`.
    void targetSignIn(int32_t status);

    std::shared_ptr<ui::Button> btnState_;
    std::shared_ptr<ui::Button> btnShowOffline_;
    std::shared_ptr<ui::Button> btnDelete_;
    // The connection status the sign-in button was last set for (none yet).
    int32_t state_ = std::numeric_limits<int32_t>::min();
};

} // namespace zelvan
