// ZLVDownloadRequest: one file of a game download run - its path as the server names it, its kind
// (1: a web resource kept by the web cache; anything else: a game resource kept by the game resource
// cache), the size the server announced, and where its bytes are kept locally.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/url.h"

namespace zelvan {

class ZelvanGameCache;
class ZelvanWebCache;

// The two caches a download run stores into.
struct DownloadStores {
    std::shared_ptr<ZelvanGameCache> gameCache;
    std::shared_ptr<ZelvanWebCache> webCache;
};

class ZLVDownloadRequest {
public:
    static constexpr int kWebResource = 1;

    // A request for `path` of `type`, with its URL on the web host: "http://<host>/<path>" for web
    // resources, else "http://<host>/iphone/getgameresource?path=<path>".
    static std::shared_ptr<ZLVDownloadRequest> initWithPath(const std::string& path, int type,
                                                            const std::string& webHost);

    int type() const { return type_; }
    const std::string& filepath() const { return filepath_; }
    const std::string& uriStr() const { return uriStr_; }
    int64_t serverSize() const { return serverSize_; }
    void setServerSize(int64_t size) { serverSize_ = size; }

    // The file the bytes are kept in: the web cache's file of uriStr for web resources, else the
    // game resource cache's file of the normalised path (where the games' keys find it). nullopt
    // when that cache is missing or refuses the name.
    std::optional<std::string> localFilePath(const DownloadStores& stores) const;
    // The size of the local copy, -1 when there is none.
    int64_t getLocalFileSize(const DownloadStores& stores) const;
    // Replaces the local copy atomically (a game resource through the game resource cache's budget);
    // false (logged) when it cannot be written.
    bool saveToFile(const fnd::Bytes& data, const DownloadStores& stores) const;
    std::optional<fnd::Url> newFileURL() const;

private:
    ZLVDownloadRequest(std::string path, int type, std::string uri);

    std::string filepath_;
    int type_ = 0;
    std::string uriStr_;
    int64_t serverSize_ = 0;
};

} // namespace zelvan
