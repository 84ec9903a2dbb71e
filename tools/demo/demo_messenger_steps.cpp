// The messenger steps of the demo, played with the platform's input drivers as a person would: taps
// on the tab bar, the list and the input field, and keys on the keyboard.
#include "tools/demo/demo_messenger_steps.h"

#include <algorithm>

#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/chat/im_chat.h"
#include "messaging/lists/im_controller.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/ui/testing/keyboard.h"
#include "platform/ui/testing/navigation_driver.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

namespace {

// The lines of `card` in its chat (chat lines, not the presence lines of the system).
int linesFrom(IMController& im, const std::shared_ptr<baseCard>& card) {
    auto chat = card ? im.chat()->findChatWithCard(card, false) : nullptr;
    if (!chat) {
        return 0;
    }
    const auto& messages = chat->messages();
    return static_cast<int>(std::count_if(messages.begin(), messages.end(), [&](const auto& m) {
        return m->card() == card && m->type() == IMMessage::kTypeChat;
    }));
}

// The list row of the open chat with `card` (section 0 lists the open chats under its bar), or -1.
int chattingRow(IMController& im, const std::shared_ptr<baseCard>& card) {
    const auto chats = im.chat()->chats();
    for (size_t i = 0; i < chats.size(); ++i) {
        if (chats[i]->card() == card) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

// Taps the open chat's row, unfolding the section with a tap on its bar first when it is folded.
bool tapChatRow(IMController& im, const std::shared_ptr<baseCard>& card) {
    auto table = im.tableView();
    const int row = chattingRow(im, card);
    if (!table || row < 0) {
        return false;
    }
    if (im.tableViewNumberOfRowsInSection(*table, 0) <= row &&
        !ui::testing::TableDriver::select(*table, fnd::IndexPath{0, 0})) {
        return false;
    }
    return ui::testing::TableDriver::select(*table, fnd::IndexPath{0, row});
}

} // namespace

bool runMessengerSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    auto im = std::dynamic_pointer_cast<IMController>(delegate->im());
    if (!steps.act("the messenger is part of the client", im != nullptr)) {
        return false;
    }
    if (!steps.act("tap the messenger tab",
                   ui::testing::tapTab(delegate->tabBarController(), zelvanAppDelegate::TabMessenger))) {
        return false;
    }
    if (!steps.waitFor("messenger lists", [&] {
            return im->isVisible() && !im->zelvanFriends().empty() && !im->chatRooms().empty() &&
                   im->getuserid(session.friendId);
        })) {
        return false;
    }
    // The lists' pictures come in answers of their own (the avatar manager asks once a second): the
    // screenshot waits a little for the first.
    steps.allow(3.0, [&] {
        return delegate->networkLoop().packetsReceivedByCommand().count(ZelvanAvatarManager::kPictureCommand) > 0;
    });
    steps.pause(0.3);
    session.screens.save(*window, "01-messenger.png");

    auto friendCard = im->getuserid(session.friendId);
    if (!steps.waitFor("the friend's line", [&] { return linesFrom(*im, friendCard) >= 1; })) {
        return false;
    }
    if (!steps.act("tap the friend's chat in the list", tapChatRow(*im, friendCard))) {
        return false;
    }
    auto chatWindow = im->chatController();
    if (!steps.waitFor("the friend's chat opens", [&] {
            auto nav = im->navigationController();
            return nav && nav->topViewController() == chatWindow && chatWindow->viewIfLoaded() &&
                   chatWindow->view()->window() && chatWindow->currentChat() &&
                   chatWindow->currentChat()->card() == friendCard;
        })) {
        return false;
    }

    // The user taps the input field, types the reply and sends it with the return key.
    auto field = chatWindow->textField();
    const gfx::Point centre(field->bounds().midX(), field->bounds().midY());
    ui::testing::TouchDriver::tap(window, field->convertPointToView(centre, nullptr));
    // Counted before the reply leaves: the answer may come back while the keyboard's return is handled.
    const int before = linesFrom(*im, friendCard);
    if (!steps.act("tap the input field", field->isEditing()) ||
        !steps.act("type the reply", ui::testing::Keyboard::type(session.reply)) ||
        !steps.act("send the reply", ui::testing::Keyboard::pressReturn())) {
        return false;
    }
    if (!steps.waitFor("the friend's answer", [&] { return linesFrom(*im, friendCard) > before; })) {
        return false;
    }
    // The keyboard goes down so the chat shows its lines at full height.
    window->endEditing(ui::Force::Yes);
    steps.pause(0.3);
    session.screens.save(*window, "02-chat.png");
    return true;
}

} // namespace zelvan::demo
