// MessengerCommands: turns the game server's messenger packets (contacts, presence, messages,
// external IM accounts, miniblog lines, options, chat rooms, private chats and chat groups) into changes of the
// messenger's model and of the open chats. Every read of the packet is checked; a case whose packet lacks what it needs
// stops before it changes anything and logs one warning.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "messaging/model/contact_manage.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"

namespace zelvan {

class MessengerCommands {
public:
    // What the handler asks of its owner besides the model.
    struct Hooks {
        std::function<void()> refresh;                          // rebuild the lists
        std::function<void(const std::string&)> showWarning;    // a warning alert
        std::function<void(const fnd::Value&)> send;            // a packet to the server
        std::function<double(const std::string&)> statusHeight; // a buddy status's measured height
        std::function<void(const std::string&)> showAlert;      // an alert without a title
        std::function<gfx::Color()> highlightColor;             // the colour of highlighted system lines
        std::function<void()> roomsQueried;                     // a room list or occupancy arrived now
    };

    MessengerCommands(ContactManage& model, Hooks hooks) : model_(model), hooks_(std::move(hooks)) {}

    // The 36 command numbers the messenger handles, ascending.
    static const std::array<int32_t, 36>& commandNumbers();
    // Whether the number is one of the messenger's commands.
    static bool handles(int32_t command);
    // One packet (main thread, messenger lock held by the caller). Unknown numbers do nothing.
    void handle(const fnd::Value& packet);

private:
    void contactsConfirmed(const fnd::Array& p);
    void contactSync(const fnd::Array& p, const fnd::Value& packet);
    void updateBlock(const fnd::Array& p, const fnd::Value& packet);
    void applyUpdates();
    void friendMessage(const fnd::Array& p, const fnd::Value& packet);
    void imSignIn(const fnd::Array& p, const fnd::Value& packet);
    void buddyUpdate(const fnd::Array& p, const fnd::Value& packet);
    void buddyMessage(const fnd::Array& p, const fnd::Value& packet);
    void fileDelivered(const fnd::Array& p, const fnd::Value& packet);
    void cameOnline(const fnd::Array& p);
    void wentOffline(const fnd::Array& p);
    void miniblogLine(const fnd::Array& p, const fnd::Value& packet);
    void miniblogLines(const fnd::Array& p, const fnd::Value& packet);
    void setStates(const fnd::Array& p, int32_t state, bool resort);
    void friendSystemLine(const fnd::Array& p, const fnd::Value& packet);
    void miniblogAnswer(const fnd::Array& p, const fnd::Value& packet);
    void friendOptions(const fnd::Array& p);

    void roomMember(const fnd::Array& p, const fnd::Value& packet);
    void roomMessage(const fnd::Array& p, const fnd::Value& packet);
    void roomEntered(const fnd::Array& p, const fnd::Value& packet);
    void roomEntryFailed(const fnd::Array& p, const fnd::Value& packet);
    void privateChat(const fnd::Array& p, const fnd::Value& packet);
    void kickResult(const fnd::Array& p, const fnd::Value& packet);
    void kickedOut(const fnd::Array& p);
    void roomList(const fnd::Array& p, const fnd::Value& packet);
    void roomOccupancy(const fnd::Array& p);
    void roomRules(const fnd::Array& p, const fnd::Value& packet);
    void groupList(const fnd::Array& p, const fnd::Value& packet);
    void groupUpdate(const fnd::Array& p, const fnd::Value& packet);
    void groupLeft(const fnd::Array& p, const fnd::Value& packet);
    void groupGone(const fnd::Array& p, const fnd::Value& packet, const char* key);
    void groupMessages(const fnd::Array& p, const fnd::Value& packet);
    void groupSystemLine(const fnd::Array& p, const fnd::Value& packet);
    std::shared_ptr<ChatRoomUser> roomUser(int32_t userId, const std::string& name, int32_t sid, int32_t admin) const;
    gfx::Color highlight() const;
    void warn(const std::string& message);
    void alert(const std::string& message);

    // The WARN line of a packet that lacks an element of the expected kind.
    static void reject(const char* reason, const fnd::Value& packet);
    void refresh();
    // The card's open chat, or null; none is opened.
    std::shared_ptr<IMChat> openChat(const std::shared_ptr<baseCard>& card) const;
    void addSystemLine(const std::shared_ptr<baseCard>& card, const std::string& text);

    ContactManage& model_;
    Hooks hooks_;
};

} // namespace zelvan
