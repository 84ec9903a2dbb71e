// IMChatView: the scrolling table of one chat's lines as speech bubbles, its own data source and
// delegate; it tells the chat window of taps on picture lines, single taps and quick sideways flicks.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "messaging/chat/im_chat.h"
#include "messaging/chat/im_message.h"
#include "platform/ui/table_view.h"

namespace zelvan {

class IMChatView;

class IMChatViewDelegate {
public:
    virtual ~IMChatViewDelegate() = default;
    virtual void messageTapped(IMChatView& chatView, const std::shared_ptr<IMMessage>& message, int row) = 0;
    virtual void tableViewTapped(IMChatView& chatView) = 0;
    virtual void tableViewLeftFlicked(IMChatView& chatView) = 0;
    virtual void tableViewRightFlicked(IMChatView& chatView) = 0;
};

class IMChatView : public ui::TableView, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    // A flick moves at least this fast sideways (points a second), less than kFlickMaxDy up or
    // down, within less than kFlickMaxTime seconds.
    static constexpr double kFlickMinSpeed = 400;
    static constexpr double kFlickMaxDy = 120;
    static constexpr double kFlickMaxTime = 0.2;

    std::string className() const override { return "IMChatView"; }
    void initWithFrame(gfx::Rect frame) override;

    // Shows `chat` when it is not the one shown: reloads and scrolls to the bottom at once.
    void reloadWithChat(const std::shared_ptr<IMChat>& chat);
    void reload();
    void scrollToBottom(bool animated);
    // While the user drags or the table still moves, only flashes the scroll indicators; otherwise
    // scrolls to the last line.
    void scrollToBottomSafe(bool animated);

    const std::shared_ptr<IMChat>& chat() const { return chat_; }
    void setChat(std::shared_ptr<IMChat> chat) { chat_ = std::move(chat); }
    std::shared_ptr<IMChatViewDelegate> chatViewDelegate() const { return chatViewDelegate_.lock(); }
    void setChatViewDelegate(std::weak_ptr<IMChatViewDelegate> delegate) { chatViewDelegate_ = std::move(delegate); }
    bool isScrolling() const { return scrolling_; }

    // Row heights from a line's stored size: system lines h + 6, others max(h + 34, 49).
    static double rowHeightForMessage(const IMMessage& message);

    // --- Data source and delegate of its own table ---
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                           const ui::IndexPath& indexPath) override;
    std::optional<std::optional<ui::IndexPath>>
    tableViewWillSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
    void scrollViewDidEndDraggingWillDecelerate(ui::ScrollView& scrollView, bool decelerate) override;
    void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;
    void scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) override;

    // --- Touches: flicks and taps, then the table's own handling ---
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;

private:
    std::shared_ptr<IMMessage> messageAt(int row) const;

    std::shared_ptr<IMChat> chat_;
    std::weak_ptr<IMChatViewDelegate> chatViewDelegate_;
    gfx::Point initTouchPosition_;
    double initTimestamp_ = 0;
    std::weak_ptr<ui::Touch> beganTouch_;
    std::weak_ptr<ui::Touch> endedTouch_;
    bool scrolling_ = false;
};

} // namespace zelvan
