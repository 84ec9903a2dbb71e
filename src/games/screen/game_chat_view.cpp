// GameChatView: colour dealing, the messenger's bound on a line's text, measuring, the 100-line window,
// the rows and the tap.
#include "games/screen/game_chat_view.h"

#include <exception>

#include "core/localization.h"
#include "messaging/chat/message_measurer.h"
#include "messaging/model/received_text.h"
#include "platform/foundation/format.h"
#include "platform/ui/touch.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

void GameMessageCell::initWithFrame(gfx::Rect frame) {
    ui::TableViewCell::initWithFrame(frame);
    setBackgroundColor(gfx::Color::clear());
    contentView()->setBackgroundColor(gfx::Color::clear());
    messageView_ = ui::View::create<IMMessageView>(contentView()->bounds());
    messageView_->setBackgroundColor(gfx::Color::clear());
    contentView()->addSubview(messageView_);
}

void GameMessageCell::reloadWithMessage(const std::shared_ptr<IMMessage>& message,
                                        const std::shared_ptr<gfx::Font>& font,
                                        const std::optional<gfx::Color>& color) {
    messageView_->setTokens(message->tokens());
    if (color) {
        messageView_->setTextColor(*color);
    }
    if (font != nullptr) {
        messageView_->setTextFont(font);
    }
    messageView_->setFrame(gfx::Rect(messageView_->frame().origin, message->size()));
    messageView_->setNeedsDisplay();
}

void GameChatView::initWithFrame(gfx::Rect frame) {
    ui::TableView::initWithFrame(frame);
    setAutoresizesSubviews(true);
    tipLabel_ = ui::View::create<ui::Label>(bounds());
    tipLabel_->setText(ZLS("Tap here to chat"));
    tipLabel_->setTextColor(gfx::Color::gray());
    tipLabel_->setAlpha(0.8);
    tipLabel_->setTextAlignment(gfx::TextAlignment::Center);
    tipLabel_->setNumberOfLines(0);
    tipLabel_->setLineBreakMode(gfx::LineBreakMode::WordWrap);
    tipLabel_->setBackgroundColor(gfx::Color::clear());
    tipLabel_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    addSubview(tipLabel_);
    setBackgroundColor(gfx::Color::clear());
    setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
    const auto me = self<GameChatView>();
    setDataSource(std::weak_ptr<ui::TableViewDataSource>(me));
    setDelegate(std::weak_ptr<ui::TableViewDelegate>(me));
    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
}

void GameChatView::setTextColor(gfx::Color color) {
    textColor_ = color;
    tipLabel_->setTextColor(color);
}

void GameChatView::setColors(const fnd::Value& colors) {
    colors_.clear();
    if (std::shared_ptr<fnd::Array> list = colors.asArray()) {
        for (size_t i = 0; i < list->count(); ++i) {
            colors_.push_back(list->objectAtIndex(i).intValue());
        }
    }
}

gfx::Color GameChatView::colorForName(const std::string& name, int32_t entry) {
    auto found = colorMap_.find(name);
    if (found != colorMap_.end()) {
        return found->second;
    }
    gfx::Color color = ZelvanWidget::newColorFromWeb(colors_[static_cast<size_t>(entry)], 1.0);
    colorMap_.emplace(name, color);
    return color;
}

void GameChatView::measureAndAdd(const std::shared_ptr<IMMessage>& message) {
    message->setSize(MessageMeasurer::installed()->calculateContentSize(bounds().width(), message->tokens(), textFont_,
                                                                        std::nullopt));
    addMessage(message);
}

void GameChatView::addSystemMessage(const std::string& received) {
    auto message = IMMessage::create();
    message->setType(IMMessage::kTypeSystem);
    message->appendMessage(capReceivedText(received, "game system line"));
    measureAndAdd(message);
}

void GameChatView::addUserMessage(const std::string& received) {
    const std::string text = capReceivedText(received, "game chat line");
    auto message = IMMessage::create();
    message->setType(IMMessage::kTypeChat);
    const size_t colon = text.find(':');
    if (colors_.size() > 1 && colon != std::string::npos) {
        const std::string name = text.substr(0, colon);
        const bool known = colorMap_.count(name) != 0;
        const int32_t entry = colorTicket_ % static_cast<int32_t>(colors_.size() - 1) + 1;
        message->addToken(colorForName(name, entry));
        if (!known) {
            ++colorTicket_;
        }
    }
    message->appendMessage(text);
    measureAndAdd(message);
}

void GameChatView::addSelfMessage(const std::string& text) {
    auto message = IMMessage::create();
    message->setType(IMMessage::kTypeChat);
    if (!colors_.empty()) {
        message->addToken(colorForName(ZLS("Me"), 0));
    }
    message->appendMessage(fnd::format(ZLS("Me: %@"), capReceivedText(text, "game chat line")));
    measureAndAdd(message);
}

void GameChatView::addMessage(const std::shared_ptr<IMMessage>& message) {
    messages_.push_back(message);
    tipLabel_->setHidden(true);
    if (messages_.size() > kMaxLines) {
        messages_.erase(messages_.begin());
    }
    reloadData();
    try {
        scrollToRowAtIndexPath(ui::IndexPath::indexPathForRow(static_cast<int>(messages_.size()) - 1, 0),
                               ui::TableViewScrollPosition::Bottom, ui::Animated::Yes);
    } catch (const std::exception& e) {
        Tracer::sharedTracer().output(__FILE__, __LINE__, "addMessage", Tracer::kError,
                                      "error occurred while scrollToRowAtIndexPath: %@", std::string(e.what()));
    }
}

void GameChatView::clear() {
    messages_.clear();
    reloadData();
}

int GameChatView::tableViewNumberOfRowsInSection(ui::TableView&, int) {
    return static_cast<int>(messages_.size());
}

std::shared_ptr<ui::TableViewCell> GameChatView::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<GameMessageCell>(
        tableView.dequeueReusableCellWithIdentifier(GameMessageCell::kReuseIdentifier));
    if (cell == nullptr) {
        cell = ui::TableViewCell::initWithStyle<GameMessageCell>(ui::TableViewCellStyle::Default,
                                                                 GameMessageCell::kReuseIdentifier);
    }
    if (indexPath.row >= 0 && static_cast<size_t>(indexPath.row) < messages_.size()) {
        cell->reloadWithMessage(messages_[static_cast<size_t>(indexPath.row)], textFont_, textColor_);
    }
    return cell;
}

std::optional<double> GameChatView::tableViewHeightForRowAtIndexPath(ui::TableView&, const ui::IndexPath& indexPath) {
    if (indexPath.row < 0 || static_cast<size_t>(indexPath.row) >= messages_.size()) {
        return std::nullopt;
    }
    return messages_[static_cast<size_t>(indexPath.row)]->size().height;
}

std::optional<std::optional<ui::IndexPath>> GameChatView::tableViewWillSelectRowAtIndexPath(ui::TableView&,
                                                                                            const ui::IndexPath&) {
    return std::optional<ui::IndexPath>();
}

void GameChatView::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    const bool tapped = !touches.empty() && touches.front()->tapCount() > 0;
    if (tapped) {
        if (std::shared_ptr<GameChatViewDelegate> delegate = delegate_.lock()) {
            delegate->gameChatViewTapped(*this);
        }
    }
    ui::TableView::touchesEnded(touches, event);
}

} // namespace zelvan
