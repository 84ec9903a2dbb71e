// The measurer chats use: the registry's, or the chat view's token layout.
#include "messaging/chat/message_measurer.h"

#include "core/zelvan_app_delegate.h"
#include "messaging/chat/im_message_view.h"
#include "messaging/messaging_context.h"

namespace zelvan {

std::shared_ptr<MessageMeasurer> MessageMeasurer::installed() {
    auto delegate = messaging::context();
    if (auto measurer = delegate ? delegate->messageMeasurer() : nullptr) {
        return measurer;
    }
    // Stateless, so one serves every caller.
    static const std::shared_ptr<MessageMeasurer> layout = std::make_shared<MessageViewMeasurer>();
    return layout;
}

} // namespace zelvan
