// ORVFileDownloadConnection: one URL load of a bought item's file, carrying the open file its body is
// written to, the byte counts and the number of the step it serves; its callbacks go to the downloader.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/file_handle.h"

namespace zelvan::orvane {

class ORVFileDownloadConnection;

// What a download connection reports, on the main run loop: once the whole body has arrived, the
// response, the body and the end, in that order; or the failure.
class ORVFileDownloadConnectionDelegate {
public:
    virtual ~ORVFileDownloadConnectionDelegate() = default;
    virtual void connectionDidReceiveResponse(ORVFileDownloadConnection& connection,
                                              const fnd::UrlResponse& response) = 0;
    virtual void connectionDidReceiveData(ORVFileDownloadConnection& connection, const fnd::Bytes& data) = 0;
    virtual void connectionDidFinishLoading(ORVFileDownloadConnection& connection) = 0;
    virtual void connectionDidFailWithError(ORVFileDownloadConnection& connection, const fnd::Error& error) = 0;
};

class ORVFileDownloadConnection final : public std::enable_shared_from_this<ORVFileDownloadConnection> {
public:
    // Step numbers.
    static constexpr int kDataFile = 1;
    static constexpr int kThumbImage = 2;
    static constexpr int kFullImage = 3;

    // Starts loading `request` (through fnd::fetch, with the request's time-out, body cap and cookie
    // handling), reporting to `delegate` (held weakly) and keeping `fh`; null when the load cannot be made
    // (an unsupported or hostless URL). The load ends when the connection goes.
    static std::shared_ptr<ORVFileDownloadConnection>
    initWithRequest(fnd::UrlRequest request, std::weak_ptr<ORVFileDownloadConnectionDelegate> delegate,
                    std::shared_ptr<fnd::FileHandle> fh);

    ORVFileDownloadConnection(std::weak_ptr<ORVFileDownloadConnectionDelegate> delegate,
                              std::shared_ptr<fnd::FileHandle> fh);
    // Stops the load and closes the file.
    ~ORVFileDownloadConnection();
    ORVFileDownloadConnection(const ORVFileDownloadConnection&) = delete;
    ORVFileDownloadConnection& operator=(const ORVFileDownloadConnection&) = delete;

    // Stops the load (no callback follows) and closes the file.
    void cancel();

    const std::shared_ptr<fnd::FileHandle>& fh() const { return fh_; }
    uint32_t dataReceived() const { return dataReceived_; }
    void setDataReceived(uint32_t bytes) { dataReceived_ = bytes; }
    // The announced length cut to 32 bits (an unknown length, -1, reads 0xFFFFFFFF).
    uint32_t totalData() const { return totalData_; }
    void setTotalData(uint32_t bytes) { totalData_ = bytes; }
    int fileNumber() const { return fileNumber_; }
    void setFileNumber(int step) { fileNumber_ = step; }

private:
    // The fetch's end, forwarded to the delegate unless the load was cancelled meanwhile.
    void loaded(fnd::Result<fnd::FetchReply> reply);
    void closeFile();

    std::weak_ptr<ORVFileDownloadConnectionDelegate> delegate_;
    std::shared_ptr<fnd::FileHandle> fh_;
    // Set while the load runs.
    std::shared_ptr<fnd::UrlCancelToken> running_;
    uint32_t dataReceived_ = 0;
    uint32_t totalData_ = 0;
    int fileNumber_ = 0;
};

} // namespace zelvan::orvane
