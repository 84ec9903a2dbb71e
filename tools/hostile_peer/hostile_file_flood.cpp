// The file-flood mode: after an honest log-in the peer serves a Games tab page (from a small web host on a
// second port) that starts a game download, answers the download's request with files (command 410) its
// list never named, then pushes avatar pictures (command 17) and game resources (command 23) nobody asked
// for.
#include <array>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>

#include "platform/foundation/array.h"
#include "platform/foundation/log.h"
#include "protocol/frame_codec.h"
#include "protocol/tagged_codec.h"
#include "tools/hostile_peer/hostile_payloads.h"
#include "tools/hostile_peer/hostile_peer.h"

namespace zelvan::hostile {

namespace {

using asio::ip::tcp;

constexpr size_t kMiB = size_t{1024} * 1024;
// 72 MiB of download files, 40 MiB of pictures and 72 MiB of game resources: more than the client
// keeps of each (64, 32 and 64 MiB), little more so the client's run stays short.
constexpr int kGameResources = 72;
constexpr size_t kGameResourceBytes = kMiB;
constexpr int kPictures = 20;
constexpr size_t kPictureBytes = 2 * kMiB;
constexpr int kDownloadFiles = 72;
constexpr size_t kDownloadFileBytes = kMiB;
// The one file the download's list names, answered after the flood.
constexpr const char* kListedFile = "flood/listed.dat";
constexpr size_t kListedBytes = 16;
constexpr int kGameId = 7;
constexpr int kFullAvatar = 3;

constexpr std::string_view kGamesPage =
    "<!DOCTYPE html><html><head><title>Games</title></head><body>"
    "<script>function gameDownloaded() {} Zelvan.startGameDownload(7, \"en\", \"Flood\");</script>"
    "</body></html>";
constexpr std::string_view kOtherPage = "<!DOCTYPE html><html><head><title>Page</title></head><body></body></html>";

auto withError(asio::error_code& ec) {
    return asio::redirect_error(asio::use_awaitable, ec);
}

// Reads the client's packets until one of `command` arrives; nullopt when the connection ends first.
asio::awaitable<std::optional<fnd::Value>> awaitCommand(tcp::socket& socket, FrameReader& reader,
                                                        std::deque<fnd::Bytes>& payloads, int command) {
    std::array<uint8_t, 4096> buffer{};
    for (;;) {
        while (!payloads.empty()) {
            auto packet = loads(payloads.front());
            payloads.pop_front();
            const auto items = packet ? packet.value().asArray() : nullptr;
            if (items && !items->empty() && items->objectAtIndex(0).asInt() == command) {
                co_return packet.value();
            }
        }
        asio::error_code ec;
        const size_t n = co_await socket.async_read_some(asio::buffer(buffer), withError(ec));
        std::vector<fnd::Bytes> complete;
        if (ec || !reader.feed(std::span<const uint8_t>(buffer.data(), n), complete)) {
            co_return std::nullopt;
        }
        payloads.insert(payloads.end(), complete.begin(), complete.end());
    }
}

// The frames of the flood, built outside the coroutines (g++ 12 cannot keep a string literal of a braced
// list in a coroutine frame).
fnd::Bytes resourceFrame(int i, const fnd::Value& data) {
    return framedPacket(fnd::Value::array({23, "flood/resource" + std::to_string(i) + ".dat", data}));
}

fnd::Bytes pictureFrame(int i, const fnd::Value& data) {
    return framedPacket(fnd::Value::array({17, 5001 + i, kFullAvatar, 1, data}));
}

fnd::Bytes listFrame() {
    const fnd::Value listed = fnd::Value::array({kListedFile, 0, static_cast<int64_t>(kListedBytes)});
    return framedPacket(fnd::Value::array({406, kGameId, "en", 1, listed}));
}

fnd::Bytes downloadFrame(int i, const fnd::Value& data) {
    return framedPacket(fnd::Value::array({410, "flood/page" + std::to_string(i) + ".css", 1, data}));
}

fnd::Bytes listedFileFrame() {
    return framedPacket(fnd::Value::array({410, kListedFile, 0, fnd::Bytes(kListedBytes, 1)}));
}

} // namespace

bool HostilePeer::listenWeb() {
    asio::error_code ec;
    webPort_ = listenOnLoopback(webAcceptor_, 0, ec);
    if (ec) {
        std::fprintf(stderr, "zelvan-hostile-peer: cannot listen for pages on 127.0.0.1 (%s)\n", ec.message().c_str());
        return false;
    }
    return true;
}

asio::awaitable<void> HostilePeer::serveFileFlood(tcp::socket& socket) {
    FrameReader reader;
    std::deque<fnd::Bytes> payloads;
    if (!co_await awaitCommand(socket, reader, payloads, 0) || !co_await send(socket, sessionReply(), 1)) {
        co_return;
    }
    // The Games tab's page starts the download soon after the log-in; its files go first.
    if (!co_await awaitCommand(socket, reader, payloads, 406) || !co_await send(socket, listFrame(), 1) ||
        !co_await awaitCommand(socket, reader, payloads, 410)) {
        co_return;
    }
    const fnd::Value file(fnd::Bytes(kDownloadFileBytes, 0x41));
    for (int i = 0; i < kDownloadFiles; ++i) {
        if (!co_await send(socket, downloadFrame(i, file), 1)) {
            co_return;
        }
    }
    if (!co_await send(socket, listedFileFrame(), 1)) {
        co_return;
    }
    const fnd::Value picture(fnd::Bytes(kPictureBytes, 0x17));
    for (int i = 0; i < kPictures; ++i) {
        if (!co_await send(socket, pictureFrame(i, picture), 1)) {
            co_return;
        }
    }
    const fnd::Value resource(fnd::Bytes(kGameResourceBytes, 0x23));
    for (int i = 0; i < kGameResources; ++i) {
        if (!co_await send(socket, resourceFrame(i, resource), 1)) {
            co_return;
        }
    }
}

asio::awaitable<void> HostilePeer::webLoop() {
    for (;;) {
        asio::error_code ec;
        tcp::socket socket = co_await webAcceptor_.async_accept(withError(ec));
        if (ec) {
            co_return;
        }
        asio::co_spawn(io_, servePage(std::move(socket)), asio::detached);
    }
}

asio::awaitable<void> HostilePeer::servePage(tcp::socket socket) {
    std::string request;
    std::array<char, 2048> buffer{};
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        asio::error_code ec;
        const size_t n = co_await socket.async_read_some(asio::buffer(buffer), withError(ec));
        if (ec) {
            co_return;
        }
        request.append(buffer.data(), n);
    }
    const std::string line = request.substr(0, request.find("\r\n"));
    const std::string_view body = line.find("games") != std::string::npos ? kGamesPage : kOtherPage;
    ZLOG(Info, "hostile-peer: page %@", line);
    const std::string response =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n" + std::string(body);
    asio::error_code ec;
    co_await asio::async_write(socket, asio::buffer(response), withError(ec));
    socket.close(ec);
}

} // namespace zelvan::hostile
