// The avatar manager's records: what is known of one user's picture versions, and one question to the
// game server about a picture.
#pragma once

#include <cstdint>
#include <string>

#include "platform/foundation/object.h"

namespace zelvan {

// Picture kinds and the version values the avatar manager uses everywhere.
enum AvatarType : int32_t {
    kAvatarHomePicture = 1,
    kAvatarHead = 2,
    kAvatarFull = 3,
    kAvatarChatGroup = 4,
};
inline constexpr int32_t kAvatarVersionUnknown = -1;
inline constexpr int32_t kAvatarVersionNone = 0;

inline bool isAvatarType(int32_t type) {
    return type >= kAvatarHomePicture && type <= kAvatarChatGroup;
}

// The versions known of one user's pictures; -1 (unknown) until learnt.
class AvatarInfo : public fnd::Object {
public:
    std::string className() const override { return "AvatarInfo"; }

    // The field of `type` (1-4); null for any other type.
    int32_t* versionField(int32_t type);

    int32_t userId = -1;
    int32_t headVersion = -1;
    int32_t fullVersion = -1;
    int32_t homePicVersion = -1;
    int32_t chatGroupVersion = -1;
};

// One question to the server: the picture of `type` for `userId`, with the version held locally
// (-1 when none).
class AvatarRequest : public fnd::Object {
public:
    AvatarRequest(int32_t userIdValue, int32_t typeValue, int32_t versionValue)
        : userId(userIdValue), type(typeValue), version(versionValue) {}

    std::string className() const override { return "AvatarRequest"; }
    // "AvatarRequest[user, type, version]".
    std::string description() const override;

    int32_t userId;
    int32_t type;
    int32_t version;
    // When the request was sent (monotonic seconds); meaningful while it is pending.
    double sentAt = 0;
};

} // namespace zelvan
