// ZChatTitleView: the chat window's title strip - a sideways scrolling row of one status icon per open
// chat, in opening order. The icon under the strip's middle is the selected one and is drawn half as
// large again; when the row comes to rest it snaps an icon into the middle and tells its delegate
// which chat to show.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/chat/im_chat.h"
#include "platform/ui/button.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view.h"

namespace zelvan {

class IMChatWindow;

class ZChatTitleViewDelegate {
public:
    virtual ~ZChatTitleViewDelegate() = default;
    // The icon of `chat` became the selected one.
    virtual void switchActiveChat(const std::shared_ptr<IMChat>& chat) = 0;
    // The user started dragging the row, or the strip started an animated scroll.
    virtual void startScroll() = 0;
    // The row has come to rest.
    virtual void endScroll() = 0;
};

class ZChatTitleView : public ui::View, public ui::ScrollViewDelegate, public AvatarUpdateDelegate {
public:
    static constexpr double kIconSize = 30;
    // Room between two icons: centres lie kIconSize + kIconGap apart.
    static constexpr double kIconGap = 6;
    static constexpr double kSelectedScale = 1.5;
    static constexpr double kSelectAnimationDuration = 0.3;
    // An activation closer than this to its target offset selects at once, without scrolling.
    static constexpr double kActivateTolerance = 0.5;
    // Snapping leaves an offset closer than this to its target alone.
    static constexpr double kSnapTolerance = 2.0;
    // What selectedIndex answers when no icon is selected.
    static constexpr int32_t kNotFound = 2147483647;

    std::string className() const override { return "ZChatTitleView"; }
    // The scroll view over the whole frame; registers with the application's avatar manager.
    void initWithFrame(gfx::Rect frame) override;

    // Where the strip learns which chat the window shows (held weakly): a chat added while it is
    // the window's current chat starts selected.
    void setChatWindow(std::weak_ptr<IMChatWindow> window) { chatWindow_ = std::move(window); }
    std::shared_ptr<ZChatTitleViewDelegate> titleViewDelegate() const { return titleViewDelegate_.lock(); }
    void setTitleViewDelegate(std::weak_ptr<ZChatTitleViewDelegate> delegate) {
        titleViewDelegate_ = std::move(delegate);
    }

    void addChat(const std::shared_ptr<IMChat>& chat);
    // Removing the selected chat selects the chat that takes its place (or the last one).
    void removeChat(const std::shared_ptr<IMChat>& chat);
    void clear();
    // Scrolls the chat's icon to the middle (which selects it); one already there is selected at once.
    void activateChat(const std::shared_ptr<IMChat>& chat, bool animated);
    // The chat of the first selected icon, or null.
    std::shared_ptr<IMChat> selectedChat() const;
    // The index of the first selected icon, or kNotFound.
    int32_t selectedIndex() const;
    // The icon of the first chat of `card` gets a fresh status picture.
    void updateChatWithCard(const std::shared_ptr<baseCard>& card);
    // Head pictures (type 2) of a friend with an open chat refresh its icon; other kinds are ignored.
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override;

    // An animated scroll tells the delegate startScroll first.
    void setContentOffset(gfx::Point offset, bool animated);
    // Selects the chat before (after) the selected one, when there is one.
    void leftClicked();
    void rightClicked();
    // Selecting one icon unselects the others and tells the delegate; the icon grows in 0.3 s.
    void setButtonSelected(const std::shared_ptr<ui::Button>& button, bool selected,
                           const std::shared_ptr<IMChat>& chat);
    // Snaps the row so that an icon sits in the middle.
    void centerNearest();

    const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
    const std::vector<std::shared_ptr<ui::Button>>& chatButtons() const { return chatBtns_; }
    const std::vector<std::shared_ptr<IMChat>>& chats() const { return chats_; }

    // --- The scroll view's delegate ---
    void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
    // The icon under the middle becomes the selected one.
    void scrollViewDidScroll(ui::ScrollView& scrollView) override;
    void scrollViewDidEndDraggingWillDecelerate(ui::ScrollView& scrollView, bool decelerate) override;
    void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;
    void scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) override;

private:
    // A tap on one of the chats' buttons.
    void buttonClicked(ui::Control& button);
    void placeButton(size_t index);
    void updateContentSize();
    void refreshButtonImage(size_t index);
    void fireStartScroll();
    void fireEndScroll();
    std::shared_ptr<IMChat> windowCurrentChat() const;

    std::shared_ptr<ui::ScrollView> scrollView_;
    std::vector<std::shared_ptr<ui::Button>> chatBtns_;
    std::vector<std::shared_ptr<IMChat>> chats_;
    std::weak_ptr<ZChatTitleViewDelegate> titleViewDelegate_;
    std::weak_ptr<IMChatWindow> chatWindow_;
};

} // namespace zelvan
