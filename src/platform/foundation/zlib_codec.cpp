// zlib wrappers. Inflation grows its output buffer in steps up to the caller's cap and probes one
// byte past the cap, so an oversized stream is refused before any oversized allocation.
#include "platform/foundation/zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string>

#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

namespace fnd {
namespace {

constexpr size_t kMaxChunk = std::numeric_limits<uInt>::max();
constexpr size_t kInitialOut = 16 * 1024;

// Feeds as much of the remaining input as zlib's 32-bit counters allow.
void refillInput(z_stream& zs, const uint8_t*& next, size_t& remaining) {
    if (zs.avail_in == 0 && remaining > 0) {
        size_t chunk = std::min(remaining, kMaxChunk);
        zs.next_in = const_cast<Bytef*>(next);
        zs.avail_in = static_cast<uInt>(chunk);
        next += chunk;
        remaining -= chunk;
    }
}

// zlib's window bits select the framing: 15 for zlib, 15 + 16 for gzip.
int windowBits(ZlibFraming framing) {
    return framing == ZlibFraming::Gzip ? MAX_WBITS + 16 : MAX_WBITS;
}

} // namespace

Result<Bytes> inflate(const Bytes& compressed, size_t maxOut, ZlibFraming framing) {
    z_stream zs{};
    if (int rc = inflateInit2(&zs, windowBits(framing)); rc != Z_OK) {
        return Error(std::string(kZlibErrorDomain), rc, std::string_view("zlib could not start a stream"));
    }
    const uint8_t* next = compressed.data();
    size_t remaining = compressed.size();
    Bytes out;
    size_t produced = 0;
    // The first fault found: its code and reason (code 0 while there is none).
    ParseErrorCode code{};
    std::string reason;
    bool outOfMemory = false;
    bool ended = false;
    auto fail = [&](ParseErrorCode c, std::string why) {
        code = c;
        reason = std::move(why);
    };

    while (!ended && reason.empty() && !outOfMemory) {
        refillInput(zs, next, remaining);
        uint8_t probe = 0;
        bool probing = false;
        if (produced == out.size()) {
            if (produced >= maxOut) {
                // The cap is reached: one more byte of output means the stream is too large.
                probing = true;
            } else {
                size_t grown = std::min(maxOut, std::max(kInitialOut, produced * 2));
                out.reserve(grown); // exact, so capacity never passes the cap
                out.resize(grown);
            }
        }
        if (probing) {
            zs.next_out = &probe;
            zs.avail_out = 1;
        } else {
            size_t room = std::min(out.size() - produced, kMaxChunk);
            zs.next_out = out.data() + produced;
            zs.avail_out = static_cast<uInt>(room);
        }
        uInt before = zs.avail_out;
        int rc = ::inflate(&zs, Z_NO_FLUSH);
        size_t got = before - zs.avail_out;
        if (probing && got > 0) {
            fail(kParseTooLarge, "output exceeds the size limit of " + std::to_string(maxOut) + " bytes");
            break;
        }
        if (!probing) {
            produced += got;
        }
        switch (rc) {
        case Z_STREAM_END:
            ended = true;
            break;
        case Z_OK:
            break;
        case Z_BUF_ERROR:
            // No progress possible: more output room is fine, but no more input means truncation.
            if (zs.avail_in == 0 && remaining == 0 && zs.avail_out > 0) {
                fail(kParseTruncated, "stream is truncated");
            }
            break;
        case Z_NEED_DICT:
            fail(kParseMalformed, "stream needs a preset dictionary");
            break;
        case Z_MEM_ERROR:
            outOfMemory = true;
            break;
        default:
            // zlib's message is one of its own fixed texts, e.g. "incorrect header check".
            fail(kParseMalformed, std::string("stream is corrupt: ") + (zs.msg != nullptr ? zs.msg : "bad data"));
            break;
        }
        if (reason.empty() && !ended && got == 0 && zs.avail_in == 0 && remaining == 0 && rc == Z_OK) {
            fail(kParseTruncated, "stream is truncated");
        }
    }
    if (reason.empty() && !outOfMemory && (zs.avail_in > 0 || remaining > 0)) {
        fail(kParseTrailingBytes, "stray bytes follow the stream");
    }
    const size_t consumed = static_cast<size_t>(zs.total_in);
    inflateEnd(&zs);
    if (outOfMemory) {
        return Error(std::string(kZlibErrorDomain), Z_MEM_ERROR, std::string_view("zlib ran out of memory"));
    }
    if (!reason.empty()) {
        return parseError(code, consumed, reason);
    }
    out.resize(produced);
    return out;
}

Bytes deflate(const Bytes& data, int level, ZlibFraming framing) {
    z_stream zs{};
    if (level < -1 || level > 9) {
        level = Z_DEFAULT_COMPRESSION;
    }
    if (deflateInit2(&zs, level, Z_DEFLATED, windowBits(framing), 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        ZLOG(Error, "deflate: zlib could not start a stream");
        return {};
    }
    Bytes out(deflateBound(&zs, static_cast<uLong>(data.size())));
    const uint8_t* next = data.data();
    size_t remaining = data.size();
    size_t produced = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        refillInput(zs, next, remaining);
        if (produced == out.size()) {
            out.resize(out.size() * 2 + 64);
        }
        zs.next_out = out.data() + produced;
        zs.avail_out = static_cast<uInt>(std::min(out.size() - produced, kMaxChunk));
        uInt before = zs.avail_out;
        rc = ::deflate(&zs, remaining == 0 ? Z_FINISH : Z_NO_FLUSH);
        produced += before - zs.avail_out;
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
            ZLOG(Error, "deflate: zlib failed to compress");
            deflateEnd(&zs);
            return {};
        }
    }
    deflateEnd(&zs);
    out.resize(produced);
    return out;
}

uint32_t crc32(const uint8_t* data, size_t size) {
    uLong crc = ::crc32_z(0L, Z_NULL, 0);
    if (size > 0) {
        crc = ::crc32_z(crc, data, size);
    }
    return static_cast<uint32_t>(crc);
}

uint32_t crc32(const Bytes& data) {
    return crc32(data.data(), data.size());
}

} // namespace fnd
