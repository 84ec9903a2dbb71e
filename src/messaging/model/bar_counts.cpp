// The list sizes and account texts the messenger list's bars show, read through their host.
#include "messaging/model/bar_counts.h"

#include "messaging/model/contact_manage.h"
#include "messaging/model/im_group.h"
#include "platform/foundation/format.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

BarCounts::BarCounts(const std::shared_ptr<IMListHost>& host) {
    if (!host) {
        return;
    }
    auto& model = host->listModel();
    chats = model.chat()->chats().size();
    privateChats = model.privateChatUsers().size();
    chatRooms = model.chatRooms().size();
    chatGroups = model.chatGroups().size();
    zelvanFriends = model.zelvanFriends().size();
    abContacts = model.abContacts().size();
}

gfx::ImagePtr accountIcon(const imGroup& group) {
    return ZelvanWidget::iconForIM(group.prot(), group.connectionStatus() != kIMStatusSignedIn);
}

std::string accountTitle(const imGroup& group) {
    return fnd::format("%@ (%d/%d)", group.user(), static_cast<int64_t>(group.onlines()->count()),
                       static_cast<int64_t>(group.all()->count()));
}

int32_t accountIndex(const std::shared_ptr<IMListHost>& host, const imGroup& group) {
    if (!host) {
        return -1;
    }
    const auto& ims = host->listModel().ims();
    for (size_t i = 0; i < ims.size(); ++i) {
        if (ims[i].get() == &group) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

} // namespace zelvan
