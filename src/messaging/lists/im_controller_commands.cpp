// The messenger controller's server commands: each packet goes to MessengerCommands with the
// controller's reload, warning, alert, send, the style's measure and colours, and the room query time.
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/commands/messenger_commands.h"
#include "messaging/lists/im_controller.h"
#include "platform/foundation/date.h"
#include "platform/graphics/text_layout.h"

namespace zelvan {

void IMController::handleCommand(const fnd::Value& packet) {
    MessengerCommands::Hooks hooks;
    hooks.refresh = [this] { safeReload(); };
    hooks.showWarning = [this](const std::string& text) { showWarning(text); };
    hooks.send = [this](const fnd::Value& out) { send(out); };
    hooks.statusHeight = [this](const std::string& text) -> double {
        auto delegate = delegate_.lock();
        auto font = delegate ? delegate->style()->font(2) : nullptr;
        if (!font) {
            return 0;
        }
        return gfx::sizeWithFont(text, font, gfx::Size{200, 2147483648.0}, gfx::LineBreakMode::WordWrap).height;
    };
    hooks.showAlert = [this](const std::string& text) {
        if (auto delegate = delegate_.lock()) {
            delegate->showAlert(std::string(), text);
        }
    };
    hooks.highlightColor = [this] {
        auto delegate = delegate_.lock();
        return delegate ? delegate->style()->systemHighlightMessageColor() : gfx::Color{};
    };
    hooks.roomsQueried = [this] { lastChatRoomQuery_ = fnd::Date::now().sinceReferenceDate(); };
    MessengerCommands(*this, std::move(hooks)).handle(packet);
}

} // namespace zelvan
