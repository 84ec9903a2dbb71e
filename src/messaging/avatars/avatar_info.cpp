// The avatar manager's records.
#include "messaging/avatars/avatar_info.h"

#include "platform/foundation/format.h"

namespace zelvan {

int32_t* AvatarInfo::versionField(int32_t type) {
    switch (type) {
    case kAvatarHomePicture:
        return &homePicVersion;
    case kAvatarHead:
        return &headVersion;
    case kAvatarFull:
        return &fullVersion;
    case kAvatarChatGroup:
        return &chatGroupVersion;
    default:
        return nullptr;
    }
}

std::string AvatarRequest::description() const {
    return fnd::format("AvatarRequest[%d, %d, %d]", userId, type, version);
}

} // namespace zelvan
