// The chat table: one row per line with heights from the stored sizes, cells by line type and
// sender, picture-line taps, flicks and single taps for the chat window, and the scrolling flag.
#include "messaging/chat/im_chat_view.h"

#include <algorithm>
#include <cmath>

#include "core/zelvan_style.h"
#include "messaging/chat/message_cells.h"
#include "platform/ui/touch.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

constexpr double kSystemRowPadding = 6;
constexpr double kBubbleRowPadding = 34;
constexpr double kMinBubbleRow = 49;

template <class Cell>
std::shared_ptr<Cell> dequeueOrMake(ui::TableView& table, const std::string& identifier) {
    if (auto reused = std::dynamic_pointer_cast<Cell>(table.dequeueReusableCellWithIdentifier(identifier))) {
        return reused;
    }
    return ui::TableViewCell::initWithStyle<Cell>(ui::TableViewCellStyle::Default, identifier);
}

} // namespace

void IMChatView::initWithFrame(gfx::Rect frame) {
    ui::TableView::initWithFrame(frame);
    setUserInteractionEnabled(true);
    setOpaque(true);
    setAutoresizesSubviews(true);
    setBackgroundColor(ZelvanStyle::shared()->viewBackgroundColor());
    const auto me = self<IMChatView>();
    setDelegate(std::weak_ptr<ui::TableViewDelegate>(me));
    setDataSource(std::weak_ptr<ui::TableViewDataSource>(me));
    setAutoresizingMask(ui::AutoresizingMask::FlexibleHeight);
    setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
    scrolling_ = false;
}

void IMChatView::reloadWithChat(const std::shared_ptr<IMChat>& chat) {
    if (chat == chat_) {
        return;
    }
    chat_ = chat;
    reload();
    scrollToBottom(false);
}

void IMChatView::reload() {
    reloadData();
}

void IMChatView::scrollToBottom(bool animated) {
    scrollToBottomSafe(animated);
}

void IMChatView::scrollToBottomSafe(bool animated) {
    if (!chat_ || chat_->messages().empty()) {
        return;
    }
    if (scrolling_) {
        flashScrollIndicators();
        return;
    }
    // The table may not have caught up with a chat that just grew; scroll to the last row it has.
    const int rows = numberOfSections() > 0 ? numberOfRowsInSection(0) : 0;
    if (rows == 0) {
        return;
    }
    scrollToRowAtIndexPath(ui::IndexPath::indexPathForRow(rows - 1, 0), ui::TableViewScrollPosition::Bottom,
                           animated ? ui::Animated::Yes : ui::Animated::No);
}

std::shared_ptr<IMMessage> IMChatView::messageAt(int row) const {
    if (!chat_ || row < 0 || static_cast<size_t>(row) >= chat_->messages().size()) {
        return nullptr;
    }
    return chat_->messages()[static_cast<size_t>(row)];
}

double IMChatView::rowHeightForMessage(const IMMessage& message) {
    const double h = message.size().height;
    if (message.type() == IMMessage::kTypeSystem) {
        return h + kSystemRowPadding;
    }
    return std::max(h + kBubbleRowPadding, kMinBubbleRow);
}

int IMChatView::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    return chat_ ? static_cast<int>(chat_->messages().size()) : 0;
}

std::optional<double> IMChatView::tableViewHeightForRowAtIndexPath(ui::TableView& /*tableView*/,
                                                                   const ui::IndexPath& indexPath) {
    const auto message = messageAt(indexPath.row);
    return message ? rowHeightForMessage(*message) : kMinBubbleRow;
}

std::shared_ptr<ui::TableViewCell> IMChatView::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                              const ui::IndexPath& indexPath) {
    const auto message = messageAt(indexPath.row);
    const double width = bounds().size.width;
    const double height = message ? rowHeightForMessage(*message) : kMinBubbleRow;
    std::shared_ptr<MessageCell> cell;
    const int32_t type = message ? message->type() : 0;
    if ((type == IMMessage::kTypeChat || type == IMMessage::kTypePicture) && message->card()) {
        auto friendCell = dequeueOrMake<FriendMessageCell>(tableView, "friend");
        friendCell->reloadWithMessage(message, width, height);
        friendCell->setBubbleColorIndex(chat_->colorIndexWithCard(*message->card()));
        cell = friendCell;
    } else if (type == IMMessage::kTypeChat || type == IMMessage::kTypePicture) {
        cell = dequeueOrMake<OwnMessageCell>(tableView, "own");
        cell->reloadWithMessage(message, width, height);
    } else {
        if (type != IMMessage::kTypeSystem) {
            ZTRACE_WARN("unknown msg type");
        }
        cell = dequeueOrMake<SystemMessageCell>(tableView, "system");
        cell->reloadWithMessage(message, width, height);
    }
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    return cell;
}

std::optional<std::optional<ui::IndexPath>>
IMChatView::tableViewWillSelectRowAtIndexPath(ui::TableView& /*tableView*/, const ui::IndexPath& indexPath) {
    const auto message = messageAt(indexPath.row);
    if (message && message->type() == IMMessage::kTypePicture) {
        return std::optional<ui::IndexPath>(indexPath);
    }
    return std::optional<ui::IndexPath>();
}

void IMChatView::tableViewDidSelectRowAtIndexPath(ui::TableView& /*tableView*/, const ui::IndexPath& indexPath) {
    const auto message = messageAt(indexPath.row);
    if (!message || message->type() != IMMessage::kTypePicture) {
        return;
    }
    if (auto delegate = chatViewDelegate()) {
        delegate->messageTapped(*this, message, indexPath.row);
    }
    deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
}

void IMChatView::scrollViewWillBeginDragging(ui::ScrollView& /*scrollView*/) {
    scrolling_ = true;
}

void IMChatView::scrollViewDidEndDraggingWillDecelerate(ui::ScrollView& /*scrollView*/, bool decelerate) {
    scrolling_ = decelerate;
}

void IMChatView::scrollViewDidEndDecelerating(ui::ScrollView& /*scrollView*/) {
    scrolling_ = false;
}

void IMChatView::scrollViewDidEndScrollingAnimation(ui::ScrollView& /*scrollView*/) {
    scrolling_ = false;
}

void IMChatView::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    // A touch the rows pass back up the responder chain arrives here a second time (and maybe
    // later, after the table's delay); only its first arrival marks where and when it began.
    const std::shared_ptr<ui::Touch> touch = touches.empty() ? nullptr : touches.front();
    if (touch && touch != beganTouch_.lock()) {
        beganTouch_ = touch;
        initTouchPosition_ = touch->locationInView(this);
        initTimestamp_ = touch->timestamp();
    }
    ui::TableView::touchesBegan(touches, event);
}

void IMChatView::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    // Keeps this view alive while the delegate runs, should the delegate let go of it.
    const auto keep = self<IMChatView>();
    const std::shared_ptr<ui::Touch> found = touches.empty() ? nullptr : touches.front();
    // The second arrival of a touch the rows passed back up only goes on to the table.
    const std::shared_ptr<ui::Touch> touch = found && found != endedTouch_.lock() ? found : nullptr;
    if (touch) {
        endedTouch_ = touch;
        const gfx::Point end = touch->locationInView(this);
        const double dx = std::abs(initTouchPosition_.x - end.x);
        const double dy = std::abs(initTouchPosition_.y - end.y);
        const double dt = touch->timestamp() - initTimestamp_;
        // Equal (or reordered) time stamps give no speed to judge: no flick.
        if (dt > 0 && dx / dt >= kFlickMinSpeed && dy < kFlickMaxDy && dt < kFlickMaxTime) {
            if (auto delegate = chatViewDelegate()) {
                if (initTouchPosition_.x < end.x) {
                    delegate->tableViewRightFlicked(*this);
                } else {
                    delegate->tableViewLeftFlicked(*this);
                }
            }
        }
    }
    ui::TableView::touchesEnded(touches, event);
    if (touch && touch->tapCount() == 1) {
        if (auto delegate = chatViewDelegate()) {
            delegate->tableViewTapped(*this);
        }
    }
}

} // namespace zelvan
