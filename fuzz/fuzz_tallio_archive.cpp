// Fuzz target: any bytes as the analytics client's current-session archive and as its stored-sessions
// archive. Each reads as absent (an error) or as sessions whose report block builds, and a session read
// back writes an archive that reads back to the same block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "analytics/tallio/tallio_session.h"
#include "platform/foundation/log.h"
#include "protocol/tagged_codec.h"

namespace {

void checkSession(const zelvan::tallio::TallioSession& session) {
    const fnd::Bytes block = session.data();
    auto again = zelvan::tallio::TallioSession::readSessionArchive(zelvan::dumps(session.archive()));
    if (!again.ok() || again.value()->data() != block) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fnd::setMinLogLevel(fnd::LogLevel::Error);
    const fnd::Bytes bytes(data, data + size);
    if (auto session = zelvan::tallio::TallioSession::readSessionArchive(bytes); session.ok()) {
        checkSession(*session.value());
    }
    if (auto sessions = zelvan::tallio::TallioSession::readStoredArchive(bytes); sessions.ok()) {
        for (const auto& session : sessions.value()) {
            checkSession(*session);
        }
    }
    return 0;
}
