// IMListHost: what the messenger list's cells need of the list controller - the model they count
// and the actions their buttons run. The messenger controller implements it; each cell holds it weakly.
#pragma once

#include <cstdint>

namespace ui {
class TableViewCell;
} // namespace ui

namespace zelvan {

class ContactManage;

class IMListHost {
public:
    virtual ~IMListHost() = default;

    // The lists the bars count (open chats through its chat window, accounts, groups, rooms ...).
    virtual ContactManage& listModel() = 0;
    // The user's own presence: 1 online, 2 idle, 3 busy.
    virtual int32_t zelvanState() const = 0;

    // --- Edit modes (each toggles its mode) ---
    virtual void actionCloseChat() = 0;
    virtual void actionDeleteZelvan() = 0;
    virtual void actionDeleteContacts() = 0;
    virtual void actionLeaveChatGroup() = 0;

    // --- Bar buttons ---
    virtual void actionCreateChatGroup() = 0;
    virtual void actionSearchChatGroup() = 0;
    virtual void actionZelvanStatus() = 0;
    virtual void actionNewProfile() = 0;
    // The account buttons carry the account's index in the model's `ims` list.
    virtual void actionIMLogin(int32_t index) = 0;
    virtual void actionIMLogout(int32_t index) = 0;
    virtual void actionIMShowOffline(int32_t index) = 0;
    virtual void actionIMDelete(int32_t index) = 0;

    // --- Buttons inside a contact row ---
    virtual void actionCellDisclosure(ui::TableViewCell& cell) = 0;
    virtual void actionCellEdit(ui::TableViewCell& cell) = 0;
};

} // namespace zelvan
