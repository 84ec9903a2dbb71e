// Building the hostile peer's frames. Huge and malformed payloads are written byte by byte after
// docs/wire-format.md, so the peer itself never holds millions of decoded values.
#include "tools/hostile_peer/hostile_payloads.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "protocol/frame_codec.h"
#include "protocol/tagged_codec.h"
#include "tools/bcasm/assembler.h"

namespace zelvan::hostile {

namespace {

// The command number of the packets nobody handles.
constexpr int kUnknownCommand = 54321;

void putU32(fnd::Bytes& out, uint32_t n) {
    out.push_back(static_cast<uint8_t>(n >> 24));
    out.push_back(static_cast<uint8_t>(n >> 16));
    out.push_back(static_cast<uint8_t>(n >> 8));
    out.push_back(static_cast<uint8_t>(n));
}

// A frame header claiming `length` bytes, with `payload` behind it (which may be shorter or longer).
fnd::Bytes rawFrame(uint32_t length, const fnd::Bytes& payload) {
    fnd::Bytes out;
    out.reserve(kFrameHeaderBytes + payload.size());
    putU32(out, length);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

uint32_t uniform(std::mt19937& rng, uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(rng);
}

fnd::Bytes randomBytes(std::mt19937& rng, size_t count) {
    fnd::Bytes out(count);
    std::generate(out.begin(), out.end(), [&rng] { return static_cast<uint8_t>(rng()); });
    return out;
}

// A small random value of every kind the wire has, nested at most `depth` more levels.
fnd::Value randomValue(std::mt19937& rng, int depth) {
    switch (uniform(rng, 0, depth > 0 ? 6 : 3)) {
    case 0:
        return fnd::Value();
    case 1: { // an integer of any width and either sign
        const int64_t magnitude = static_cast<int64_t>(rng() >> uniform(rng, 0, 31)) << uniform(rng, 0, 31);
        return uniform(rng, 0, 1) ? magnitude : -magnitude;
    }
    case 2: {
        std::string text;
        for (uint32_t i = uniform(rng, 0, 24); i > 0; --i) {
            text.push_back(static_cast<char>(uniform(rng, 0x20, 0x7e)));
        }
        return text;
    }
    case 3:
        return randomBytes(rng, uniform(rng, 0, 32));
    case 4:
    case 5: {
        auto array = fnd::Value::array();
        for (uint32_t i = uniform(rng, 0, 6); i > 0; --i) {
            array.asArray()->addObject(randomValue(rng, depth - 1));
        }
        return array;
    }
    default: {
        auto dict = fnd::Value::dictionary();
        for (uint32_t i = uniform(rng, 0, 4); i > 0; --i) {
            dict.asDictionary()->setObject(randomValue(rng, depth - 1), fnd::Key("k" + std::to_string(i)));
        }
        return dict;
    }
    }
}

// A packet with a command number the client may or may not know, and random arguments.
fnd::Value randomPacket(std::mt19937& rng) {
    static constexpr int kCommands[] = {0, 1, 2, 3, 9, 10, 50, 100, 200, 400, 401, 500, 1000, 9999};
    auto packet = fnd::Value::array();
    packet.asArray()->addObject(uniform(rng, 0, 3) == 0 ? static_cast<int64_t>(uniform(rng, 0, 70000))
                                                        : kCommands[uniform(rng, 0, std::size(kCommands) - 1)]);
    for (uint32_t i = uniform(rng, 0, 6); i > 0; --i) {
        packet.asArray()->addObject(randomValue(rng, 3));
    }
    return packet;
}

} // namespace

fnd::Bytes framedPacket(const fnd::Value& packet) {
    return encodeFrame(dumps(packet));
}

fnd::Bytes sessionReply() {
    return framedPacket(fnd::Value::array({0, "00112233aabbccdd", fnd::Value::array(), "Hostile", 1, 1001}));
}

fnd::Bytes endlessGameStart() {
    // The loop jumps over 16 bytes and back: moving back costs the bytes passed, so a run spends its
    // budget in a fifth of the instructions of a three-instruction loop and the instrumented client's runs
    // stay short, yet follow each other without a pause.
    constexpr std::string_view kEndless =
        ".entry \"initialize\" G3\n.entry \"execute\" G4\n.entry \"paint\" G5\n"
        "    func init\n    store G3\n    func spin\n    store G4\n"
        "    func spin\n    store G5\n    stop\n"
        "init:\n    push -1\n    ret\n"
        "spin:\n    jump16 back\n    .byte 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
        "back:\n    jump16 spin\n";
    std::optional<fnd::Bytes> bytecode = Assembler().assemble(kEndless);
    // [21, name, room, user id, [names], [user ids], bytecode, game id, 0, attribute 2 (single player)]
    return framedPacket(fnd::Value::array({21, "Endless game", 401, 1001, fnd::Value::array({"Hostile"}),
                                           fnd::Value::array({"1001"}), bytecode.value_or(fnd::Bytes()), 8, 0, 2}));
}

fnd::Bytes hugeArrayFrame(int n) {
    static constexpr uint8_t kTags[] = {0x07, 0x08, 0x09, 0x0C}; // int8, int16, int32, string array
    const uint8_t tag = kTags[static_cast<size_t>(n) % std::size(kTags)];
    const size_t width = tag == 0x07 ? 1 : tag == 0x08 ? 2 : 4;
    const size_t count = (kMaxFrameBytes - 5) / width;
    fnd::Bytes payload;
    payload.reserve(kMaxFrameBytes);
    payload.push_back(tag);
    putU32(payload, static_cast<uint32_t>(count));
    // Int arrays repeat the command number 123 in the element's width; a string array holds empty strings.
    for (size_t i = 0; i < count; ++i) {
        for (size_t b = 0; b < width; ++b) {
            payload.push_back(tag == 0x0C || b + 1 < width ? 0 : 123);
        }
    }
    return rawFrame(static_cast<uint32_t>(payload.size()), payload);
}

fnd::Bytes bigUnknownPacket(size_t bytes, std::mt19937& rng) {
    return framedPacket(fnd::Value::array({kUnknownCommand, randomBytes(rng, bytes)}));
}

fnd::Bytes bigResourcePacket(size_t bytes, std::mt19937& rng) {
    return framedPacket(fnd::Value::array({400, randomBytes(rng, bytes)}));
}

fnd::Bytes bigMalformedLoginReply(size_t bytes, std::mt19937& rng) {
    return framedPacket(fnd::Value::array({0, randomBytes(rng, bytes)}));
}

fnd::Bytes alertFloodFrames(int invitations) {
    fnd::Bytes out;
    auto add = [&out](const fnd::Value& packet) {
        fnd::Bytes frame = framedPacket(packet);
        out.insert(out.end(), frame.begin(), frame.end());
    };
    for (int n = 0; n < invitations; ++n) {
        const std::string inviter = "Inviter " + std::to_string(n);
        add(fnd::Value::array({46, fnd::Value::array({1, 2, inviter, 1000 + n, 7, "Hostile Poker"})}));
        for (int i = 0; i < 4; ++i) {
            add(fnd::Value::array({52}));
        }
        if (n % 2 == 0) {
            add(fnd::Value::array({303, 1, 1, "Leaving group failed " + std::to_string(n)}));
            add(fnd::Value::array({34, 1, 0, "Room refused " + std::to_string(n)}));
        }
    }
    return out;
}

fnd::Bytes randomFrame(std::mt19937& rng) {
    switch (uniform(rng, 0, 9)) {
    case 0: { // random bytes under an honest length
        fnd::Bytes payload = randomBytes(rng, uniform(rng, 0, 4096));
        return rawFrame(static_cast<uint32_t>(payload.size()), payload);
    }
    case 1: // a length that promises more than follows; the next frames fill the gap
        return rawFrame(uniform(rng, 64, 1 << 20), randomBytes(rng, uniform(rng, 0, 64)));
    case 2: // now and then a length over the cap, or with the top bit set
        if (uniform(rng, 0, 9) == 0) {
            return rawFrame(uniform(rng, 0, 1) ? 0xFFFFFFFFu : static_cast<uint32_t>(kMaxFrameBytes) + 1, {});
        }
        [[fallthrough]];
    case 3: { // arrays of one element nested far deeper than the codec allows
        fnd::Bytes payload;
        for (uint32_t depth = uniform(rng, 60, 20000); depth > 0; --depth) {
            payload.push_back(0x05);
            putU32(payload, 1);
        }
        payload.push_back(0x00);
        return rawFrame(static_cast<uint32_t>(payload.size()), payload);
    }
    case 4: { // a container or string claiming billions of elements, with a few bytes behind it
        static constexpr uint8_t kTags[] = {0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D};
        fnd::Bytes payload{kTags[uniform(rng, 0, std::size(kTags) - 1)]};
        putU32(payload, uniform(rng, 0x00100000, 0xFFFFFFFF));
        fnd::Bytes tail = randomBytes(rng, uniform(rng, 0, 256));
        payload.insert(payload.end(), tail.begin(), tail.end());
        return rawFrame(static_cast<uint32_t>(payload.size()), payload);
    }
    case 5:
    case 6: { // a well-formed packet with a few bytes flipped
        fnd::Bytes payload = dumps(randomPacket(rng));
        for (uint32_t i = uniform(rng, 1, 4); i > 0; --i) {
            payload[uniform(rng, 0, static_cast<uint32_t>(payload.size() - 1))] = static_cast<uint8_t>(rng());
        }
        return rawFrame(static_cast<uint32_t>(payload.size()), payload);
    }
    default: // a well-formed packet whose arguments have random kinds
        return framedPacket(randomPacket(rng));
    }
}

fnd::Bytes oversizeFrameHeader() {
    return rawFrame(static_cast<uint32_t>(kMaxFrameBytes) + 1, {});
}

fnd::Bytes emptyAndUnreadableFrames(int count) {
    fnd::Bytes out;
    for (int i = 0; i < count; ++i) {
        fnd::Bytes frame = i % 2 == 0 ? rawFrame(0, {}) : rawFrame(1, {0xff});
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

fnd::Bytes unknownPackets(int count) {
    fnd::Bytes out;
    for (int n = 0; n < count; ++n) {
        fnd::append(out, framedPacket(fnd::Value::array({kUnknownCommand, n})));
    }
    return out;
}

fnd::Bytes unaskedCallPacket(int32_t user, uint16_t relayPort, int32_t channel) {
    return framedPacket(fnd::Value::array({10, -1, user, 4, "127.0.0.1", relayPort, channel}));
}

fnd::Bytes friendListFrame(int count) {
    auto block = fnd::Array::make();
    for (int i = 0; i < count; ++i) {
        block->addObject(i + 1);
        block->addObject(kFirstFriendId + i);
        // Names sorted unlike the ids, so each friend lands somewhere inside the sorted list.
        const int64_t spread = (static_cast<int64_t>(i) * 7919) % count;
        block->addObject(fnd::Value::dictionary({{0, "Friend " + std::to_string(spread)}, {-1, 0}}));
    }
    return framedPacket(fnd::Value::array({2, 1, fnd::Value::array(), fnd::Value(block)}));
}

fnd::Bytes presenceFrames(int command, int count, int perPacket) {
    fnd::Bytes out;
    for (int first = 0; first < count; first += perPacket) {
        auto packet = fnd::Array::make({command});
        for (int i = first; i < std::min(count, first + perPacket); ++i) {
            packet->addObject(kFirstFriendId + i);
        }
        const fnd::Bytes frame = framedPacket(fnd::Value(packet));
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

fnd::Bytes roomListFrame(int count) {
    auto rooms = fnd::Array::make();
    for (int i = 0; i < count; ++i) {
        rooms->addObject(fnd::Value::array({i + 1, "Room " + std::to_string(i + 1), 0, 50, 0, 0}));
    }
    return framedPacket(fnd::Value::array({90, fnd::Value(rooms)}));
}

fnd::Bytes groupListFrame(int count) {
    auto packet = fnd::Array::make({300});
    for (int i = 0; i < count; ++i) {
        packet->addObject(fnd::Value::array({i + 1, 0, 0, "Group " + std::to_string(i + 1), 0, 0, "", 0}));
    }
    return framedPacket(fnd::Value(packet));
}

fnd::Bytes hugeChatFrame(int n, size_t bytes) {
    static constexpr std::string_view kCodes[] = {":)", "(y)", "[~12~]", ":D", "8o|", "[~3~]"};
    std::string text;
    text.reserve(bytes / 2 + 8);
    for (size_t i = 0; 2 * text.size() < bytes; ++i) {
        text += kCodes[i % std::size(kCodes)];
    }
    switch (n % 4) {
    case 2:
        return framedPacket(fnd::Value::array({58, kFirstFriendId, std::move(text)}));
    case 3:
        return framedPacket(fnd::Value::array({15, kFirstFriendId, 0, std::move(text)}));
    default:
        return framedPacket(fnd::Value::array({3, kFirstFriendId, std::move(text)}));
    }
}

} // namespace zelvan::hostile
