// MessengerCommands: turns the game server's messenger packets (contacts, presence, messages,
// external IM accounts, miniblog lines, options, chat rooms, private chats and chat groups) into changes of the
// messenger's model and of the open chats. Every read of the packet is checked; a case whose packet lacks what it needs
// stops before it changes anything and logs one warning.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "messaging/model/contact_manage.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "protocol/packet_reader.h"

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

    // One packet (main thread, messenger lock held by the caller). The numbers handled are the command
    // table's Messenger rows; unknown numbers do nothing.
    void handle(const fnd::Value& packet);

private:
    void contactsConfirmed(const PacketReader& p);
    void contactSync(const PacketReader& p);
    void updateBlock(const PacketReader& p);
    void applyUpdates();
    void friendMessage(const PacketReader& p);
    void imSignIn(const PacketReader& p);
    void buddyUpdate(const PacketReader& p);
    void buddyMessage(const PacketReader& p);
    void fileDelivered(const PacketReader& p);
    void cameOnline(const PacketReader& p);
    void wentOffline(const PacketReader& p);
    void miniblogLine(const PacketReader& p);
    void miniblogLines(const PacketReader& p);
    void setStates(const PacketReader& p, int32_t state, bool resort);
    void friendSystemLine(const PacketReader& p);
    void miniblogAnswer(const PacketReader& p);
    void friendOptions(const PacketReader& p);

    void roomMember(const PacketReader& p);
    void roomMessage(const PacketReader& p);
    void roomEntered(const PacketReader& p);
    void roomEntryFailed(const PacketReader& p);
    void privateChat(const PacketReader& p);
    void kickResult(const PacketReader& p);
    void kickedOut(const PacketReader& p);
    void roomList(const PacketReader& p);
    void roomOccupancy(const PacketReader& p);
    void roomRules(const PacketReader& p);
    void groupList(const PacketReader& p);
    void groupUpdate(const PacketReader& p);
    void groupLeft(const PacketReader& p);
    void groupGone(const PacketReader& p, const char* key);
    void groupMessages(const PacketReader& p);
    void groupSystemLine(const PacketReader& p);
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
