// What the messenger list's bars read from their host: the sizes of the lists they count, and an
// external IM account's icon, counted title and place in the account list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "messaging/model/im_list_host.h"
#include "platform/graphics/image.h"

namespace zelvan {

class imGroup;

// Network ids the widget kit's IM icons take for the service itself and its own group kinds.
constexpr int kIconZelvan = -1;
constexpr int kIconChatGroup = -2;
constexpr int kIconChatRoom = -3;
// An external account's connection status once it is signed in.
constexpr int32_t kIMStatusSignedIn = 3;

// The list sizes at the moment of reading; all zero without a host.
struct BarCounts {
    explicit BarCounts(const std::shared_ptr<IMListHost>& host);

    size_t chats = 0;
    size_t privateChats = 0;
    size_t chatRooms = 0;
    size_t chatGroups = 0;
    size_t zelvanFriends = 0;
    size_t abContacts = 0;
};

// The account's network icon, grey unless it is signed in.
gfx::ImagePtr accountIcon(const imGroup& group);
// "user (online buddies/all buddies)".
std::string accountTitle(const imGroup& group);
// The account's index in the host's account list, or -1 when it is not there (or there is no host).
int32_t accountIndex(const std::shared_ptr<IMListHost>& host, const imGroup& group);

} // namespace zelvan
