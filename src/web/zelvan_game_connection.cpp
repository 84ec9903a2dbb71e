// The command-400 fetch: the request packet, the reply's two forms, and the time-out.
#include "web/zelvan_game_connection.h"

#include "core/main_thread.h"
#include "platform/foundation/array.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_error.h"
#include "protocol/tracer.h"

namespace zelvan {

ZelvanGameConnection::ZelvanGameConnection(std::shared_ptr<ZelvanURLRequest> request, int64_t requestId, Sender sender)
    : ZelvanURLConnection(std::move(request)), requestId_(requestId), sender_(std::move(sender)) {}

ZelvanGameConnection::~ZelvanGameConnection() {
    timeout_.cancel();
}

void ZelvanGameConnection::begin() {
    auto weak = std::weak_ptr<ZelvanGameConnection>(std::static_pointer_cast<ZelvanGameConnection>(shared_from_this()));
    std::string url = absoluteUrl();
    if (!sender_ || url.empty()) {
        ZTRACE_WARN("game-connection fetch of \"%s\" cannot be sent", fnd::logPreview(url));
        laterOnThisLoop(weak, [](ZelvanGameConnection& self) {
            self.complete(ZelvanFetchResult{false, {}, fnd::UrlError::BadUrl});
        });
        return;
    }
    timeout_ = fnd::RunLoop::current().performAfter(kReplyTimeout, [weak] {
        if (auto self = weak.lock()) {
            ZTRACE_WARN("game-connection fetch %lld of %s got no reply", static_cast<long long>(self->requestId_),
                        fnd::logPreview(self->absoluteUrl()));
            self->complete(ZelvanFetchResult{false, {}, fnd::UrlError::TimedOut});
        }
    });
    sender_(fnd::Value::array({kWebResourceCommand, requestId_, url}));
}

void ZelvanGameConnection::end() {
    timeout_.cancel();
}

void ZelvanGameConnection::connectionLost() {
    timeout_.cancel();
    ZTRACE_WARN("game-connection fetch %lld of %s lost its connection", static_cast<long long>(requestId_),
                fnd::logPreview(absoluteUrl()));
    complete(ZelvanFetchResult{false, {}, fnd::UrlError::NetworkConnectionLost});
}

void ZelvanGameConnection::handleReply(const fnd::Value& packet) {
    timeout_.cancel();
    auto items = packet.asArray();
    fnd::Value payload = items && items->count() > 2 ? items->objectAtIndex(2) : fnd::Value();
    ZelvanFetchResult result;
    if (const fnd::Bytes* data = payload.asData()) {
        result.ok = true;
        result.body = *data;
    } else if (const std::string* text = payload.asString()) {
        result.ok = true;
        result.body.assign(text->begin(), text->end());
    } else if (auto code = payload.asInt()) {
        ZTRACE_WARN("game-connection fetch of %s failed with code %lld", fnd::logPreview(absoluteUrl()),
                    static_cast<long long>(*code));
        result.errorCode = *code;
    } else {
        ZTRACE_WARN("game-connection fetch of %s got a malformed reply: %s", fnd::logPreview(absoluteUrl()),
                    fnd::logPreview(packet));
        result.errorCode = fnd::UrlError::BadServerResponse;
    }
    complete(std::move(result));
}

} // namespace zelvan
