// Fuzz target: a game-server byte stream cut into pieces of varied sizes and fed to the frame
// reader; every complete payload is decoded, and a command-1000 packet's compressed data is
// inflated under a cap and decoded again, nesting a few levels. The first bytes pick the piece sizes.
// Payloads are decoded as shared frames, as the connection hands them to the codec.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/zlib_codec.h"
#include "protocol/frame_codec.h"
#include "protocol/tagged_codec.h"

namespace {

constexpr size_t kInflateCap = 1 << 20;
constexpr int kMaxNesting = 4;

// Decodes a payload; a packet [1000, data] carries another payload compressed with zlib.
void decodePayload(const std::shared_ptr<const fnd::Bytes>& payload, int depth) {
    auto value = zelvan::loads(payload);
    if (!value && fnd::parseErrorOffset(value.error()).value_or(payload->size() + 1) > payload->size()) {
        std::abort(); // a refusal names a place inside the payload
    }
    if (!value || !value->isArray() || depth >= kMaxNesting) {
        return;
    }
    auto packet = value->asArray();
    if (packet->count() < 2 || packet->objectAtIndex(0).asInt() != 1000) {
        return;
    }
    const fnd::Bytes* compressed = packet->objectAtIndex(1).asData();
    if (!compressed) {
        return;
    }
    if (auto inner = fnd::inflate(*compressed, kInflateCap)) {
        if (inner->size() > kInflateCap) {
            std::abort();
        }
        decodePayload(std::make_shared<const fnd::Bytes>(std::move(*inner)), depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    // data[0] tells how many of the next bytes are piece sizes (1..8), used in turn.
    size_t sizeCount = std::min<size_t>(data[0] % 8 + 1, size - 1);
    std::span<const uint8_t> sizes(data + 1, sizeCount);
    std::span<const uint8_t> stream(data + 1 + sizeCount, size - 1 - sizeCount);

    zelvan::FrameReader reader;
    std::vector<fnd::Bytes> payloads;
    size_t pos = 0;
    size_t turn = 0;
    bool ok = true;
    while (pos < stream.size() && ok) {
        size_t piece = sizes.empty() ? stream.size() : size_t{sizes[turn++ % sizes.size()]} * 13 + 1;
        piece = std::min(piece, stream.size() - pos);
        ok = reader.feed(stream.subspan(pos, piece), payloads);
        pos += piece;
        if (reader.pendingBytes() > zelvan::kMaxFrameBytes + zelvan::kFrameHeaderBytes + piece) {
            std::abort();
        }
        for (fnd::Bytes& payload : payloads) {
            if (payload.size() > zelvan::kMaxFrameBytes) {
                std::abort();
            }
            decodePayload(std::make_shared<const fnd::Bytes>(std::move(payload)), 0);
        }
        payloads.clear();
    }
    if (!ok && !reader.failed()) {
        std::abort();
    }
    return 0;
}
