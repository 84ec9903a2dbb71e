// Frame encoding and incremental frame reassembly for the game-server byte stream.
#include "protocol/frame_codec.h"

#include "protocol/tracer.h"

namespace zelvan {

fnd::Bytes encodeFrame(std::span<const uint8_t> payload) {
    fnd::Bytes frame;
    frame.reserve(kFrameHeaderBytes + payload.size());
    auto length = static_cast<uint32_t>(payload.size());
    frame.push_back(static_cast<uint8_t>(length >> 24));
    frame.push_back(static_cast<uint8_t>(length >> 16));
    frame.push_back(static_cast<uint8_t>(length >> 8));
    frame.push_back(static_cast<uint8_t>(length));
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

bool FrameReader::feed(std::span<const uint8_t> bytes, std::vector<fnd::Bytes>& payloads) {
    if (failed_) {
        return false;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    size_t pos = 0;
    while (buffer_.size() - pos >= kFrameHeaderBytes) {
        const uint8_t* h = buffer_.data() + pos;
        uint32_t length = (uint32_t{h[0]} << 24) | (uint32_t{h[1]} << 16) | (uint32_t{h[2]} << 8) | uint32_t{h[3]};
        if (length & 0x80000000u) {
            ZTRACE_ERROR("frame declares a negative length (%d); the stream is refused", static_cast<int32_t>(length));
            failed_ = true;
            break;
        }
        if (length > kMaxFrameBytes) {
            ZTRACE_ERROR("frame declares %lld bytes, above the limit of %lld; the stream is refused",
                         static_cast<long long>(length), static_cast<long long>(kMaxFrameBytes));
            failed_ = true;
            break;
        }
        if (buffer_.size() - pos - kFrameHeaderBytes < length) {
            break;
        }
        auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(pos + kFrameHeaderBytes);
        payloads.emplace_back(first, first + static_cast<std::ptrdiff_t>(length));
        pos += kFrameHeaderBytes + length;
    }
    if (failed_) {
        fnd::Bytes().swap(buffer_);
        return false;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos));
    if (buffer_.capacity() > 2 * buffer_.size() + 64 * 1024) {
        buffer_.shrink_to_fit();
    }
    return true;
}

void FrameReader::reset() {
    fnd::Bytes().swap(buffer_);
    failed_ = false;
}

} // namespace zelvan
