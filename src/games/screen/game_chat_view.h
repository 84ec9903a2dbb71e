// GameChatView: the chat panel inside a game screen - a transparent table of at most 100 chat lines, each
// cut to the messenger's bound on a line's text (capReceivedText) and drawn with its token layout, other players' names
// each in a colour of their own, the player's own lines marked "Me", a hint until the first line, and taps passed to
// its delegate.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "messaging/chat/im_message.h"
#include "messaging/chat/im_message_view.h"
#include "platform/foundation/value.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan {

class GameChatView;

class GameChatViewDelegate {
public:
    virtual ~GameChatViewDelegate() = default;
    virtual void gameChatViewTapped(GameChatView& chatView) = 0;
};

// One chat line's row: a message view made once with the cell's content bounds.
class GameMessageCell : public ui::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "message";
    using ui::TableViewCell::TableViewCell;
    std::string className() const override { return "GameMessageCell"; }
    void initWithFrame(gfx::Rect frame) override;

    // Shows `message`'s tokens in `font` and `color` (each when given) at the message's laid-out size.
    void reloadWithMessage(const std::shared_ptr<IMMessage>& message, const std::shared_ptr<gfx::Font>& font,
                           const std::optional<gfx::Color>& color);
    const std::shared_ptr<IMMessageView>& messageView() const { return messageView_; }

private:
    std::shared_ptr<IMMessageView> messageView_;
};

class GameChatView : public ui::TableView, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    static constexpr size_t kMaxLines = 100;

    std::string className() const override { return "GameChatView"; }
    void initWithFrame(gfx::Rect frame) override;

    // A system line (type 2). Like the player's own line and other players' lines, its text is cut to
    // kReceivedTextUnits first, as the chat window cuts its lines.
    void addSystemMessage(const std::string& received);
    // "name: words" from another player; the name gets its dealt colour when colours are set.
    void addUserMessage(const std::string& received);
    // The player's own line, shown as "Me: <text>" in colour entry 0 when colours are set.
    void addSelfMessage(const std::string& text);
    // Appends a measured line, hides the hint, drops the oldest beyond kMaxLines, reloads and
    // scrolls to the last line.
    void addMessage(const std::shared_ptr<IMMessage>& message);
    void clear();

    const std::vector<std::shared_ptr<IMMessage>>& messages() const { return messages_; }
    const std::shared_ptr<gfx::Font>& textFont() const { return textFont_; }
    void setTextFont(std::shared_ptr<gfx::Font> font) { textFont_ = std::move(font); }
    const std::optional<gfx::Color>& textColor() const { return textColor_; }
    // Also colours the hint.
    void setTextColor(gfx::Color color);
    // Web colours (0xRRGGBB) from an array of integers; null empties them. Entry 0 is the player's own.
    void setColors(const fnd::Value& colors);
    const std::vector<int32_t>& colors() const { return colors_; }
    const std::shared_ptr<ui::Label>& tipLabel() const { return tipLabel_; }

    std::shared_ptr<GameChatViewDelegate> gameChatViewdelegate() const { return delegate_.lock(); }
    void setGameChatViewdelegate(std::weak_ptr<GameChatViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // --- Its own table's data source and delegate ---
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                           const ui::IndexPath& indexPath) override;
    std::optional<std::optional<ui::IndexPath>>
    tableViewWillSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;

private:
    // The colour dealt to `name`, dealing the next one from `entry` the first time.
    gfx::Color colorForName(const std::string& name, int32_t entry);
    // Lays the message out at the full width and adds it.
    void measureAndAdd(const std::shared_ptr<IMMessage>& message);

    std::vector<std::shared_ptr<IMMessage>> messages_;
    std::shared_ptr<gfx::Font> textFont_;
    std::optional<gfx::Color> textColor_;
    std::shared_ptr<ui::Label> tipLabel_;
    std::vector<int32_t> colors_;
    std::map<std::string, gfx::Color> colorMap_;
    int32_t colorTicket_ = 0;
    std::weak_ptr<GameChatViewDelegate> delegate_;
};

} // namespace zelvan
