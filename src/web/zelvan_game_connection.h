// ZelvanGameConnection: fetches one resource over the game-server connection. It sends
// [kWebResourceCommand, request id, URL] and ends with the reply [kWebResourceCommand, request id,
// bytes] or [kWebResourceCommand, request id, error code], or with a time-out when no reply comes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/value.h"
#include "protocol/command_map.h"
#include "web/zelvan_url_connection.h"

namespace zelvan {

class ZelvanGameConnection : public ZelvanURLConnection {
public:
    // Seconds (of the process clock) a fetch waits for its reply.
    static constexpr double kReplyTimeout = 60.0;

    using Sender = std::function<void(const fnd::Value&)>;

    ZelvanGameConnection(std::shared_ptr<ZelvanURLRequest> request, int64_t requestId, Sender sender);
    ~ZelvanGameConnection() override;

    std::string className() const override { return "ZelvanGameConnection"; }
    int64_t requestId() const { return requestId_; }

    // The server's reply for this request id; call on the thread that started the fetch.
    void handleReply(const fnd::Value& packet);
    // The game connection dropped: the request went with it, so the fetch fails now rather than at
    // its time-out. Call on the thread that started the fetch.
    void connectionLost();

protected:
    void begin() override;
    void end() override;

private:
    int64_t requestId_;
    Sender sender_;
    fnd::PerformHandle timeout_;
};

} // namespace zelvan
