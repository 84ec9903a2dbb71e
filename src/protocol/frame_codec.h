// Length-prefixed frames of the game-server connection: each frame is a 4-byte big-endian byte
// count followed by that many payload bytes. encodeFrame writes one; FrameReader takes a received
// byte stream in arbitrary pieces and hands back complete payloads, refusing lengths it cannot trust.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/foundation/bytes.h"

namespace zelvan {

// The largest payload a frame may declare: 16 MiB. A peer announcing more is treated as broken,
// so a hostile length never makes the client reserve or wait for an unbounded amount of memory.
inline constexpr size_t kMaxFrameBytes = size_t{16} * 1024 * 1024;

// Bytes of the length prefix in front of every payload.
inline constexpr size_t kFrameHeaderBytes = 4;

// The frame for `payload`: its length as a 4-byte big-endian number, then the payload. A payload
// longer than kMaxFrameBytes is still framed (the receiver will refuse it); callers keep below it.
fnd::Bytes encodeFrame(std::span<const uint8_t> payload);
inline fnd::Bytes encodeFrame(const fnd::Bytes& payload) {
    return encodeFrame(std::span<const uint8_t>(payload.data(), payload.size()));
}

// Reassembles frames from a byte stream read in pieces of any size. Holds at most the bytes of
// one incomplete frame (plus the bytes of the latest piece); a frame's declared length is never
// reserved up front. Once a declared length is negative (top bit set) or above kMaxFrameBytes the
// reader has failed: it logs an ERROR line once and ignores every later piece.
class FrameReader {
public:
    // Appends to `payloads` every frame the bytes complete, in order. Returns false when the
    // reader has failed (now or earlier); payloads completed before the bad header are still
    // appended.
    bool feed(std::span<const uint8_t> bytes, std::vector<fnd::Bytes>& payloads);
    bool feed(const fnd::Bytes& bytes, std::vector<fnd::Bytes>& payloads) {
        return feed(std::span<const uint8_t>(bytes.data(), bytes.size()), payloads);
    }

    bool failed() const { return failed_; }
    // Bytes received that do not yet form a complete frame.
    size_t pendingBytes() const { return buffer_.size(); }
    // Forgets pending bytes and a failure, for a new connection.
    void reset();

private:
    fnd::Bytes buffer_;
    bool failed_ = false;
};

} // namespace zelvan
