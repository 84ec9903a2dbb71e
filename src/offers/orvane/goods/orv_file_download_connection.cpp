// ORVFileDownloadConnection: the load, its file and the forwarding of its callbacks.
#include "offers/orvane/goods/orv_file_download_connection.h"

namespace zelvan::orvane {

std::shared_ptr<ORVFileDownloadConnection>
ORVFileDownloadConnection::initWithRequest(fnd::UrlRequest request,
                                           std::weak_ptr<ORVFileDownloadConnectionDelegate> delegate,
                                           std::shared_ptr<fnd::FileHandle> fh) {
    auto connection = std::make_shared<ORVFileDownloadConnection>(std::move(delegate), std::move(fh));
    auto created = fnd::UrlConnection::create(std::move(request), connection, fnd::StartImmediately::Yes);
    if (!created.ok()) {
        return nullptr;
    }
    connection->connection_ = created.value();
    return connection;
}

ORVFileDownloadConnection::ORVFileDownloadConnection(std::weak_ptr<ORVFileDownloadConnectionDelegate> delegate,
                                                     std::shared_ptr<fnd::FileHandle> fh)
    : delegate_(std::move(delegate)), fh_(std::move(fh)) {}

ORVFileDownloadConnection::~ORVFileDownloadConnection() {
    cancel();
}

void ORVFileDownloadConnection::cancel() {
    if (auto connection = std::exchange(connection_, nullptr)) {
        connection->cancel();
    }
    if (fh_) {
        fh_->closeFile();
    }
}

void ORVFileDownloadConnection::connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>&,
                                                             const fnd::UrlResponse& response) {
    if (auto delegate = delegate_.lock()) {
        delegate->connectionDidReceiveResponse(*this, response);
    }
}

void ORVFileDownloadConnection::connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>&,
                                                         const fnd::Bytes& data) {
    if (auto delegate = delegate_.lock()) {
        delegate->connectionDidReceiveData(*this, data);
    }
}

void ORVFileDownloadConnection::connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>&) {
    // The body is complete on disk before the downloader reads or moves it.
    if (fh_) {
        fh_->closeFile();
    }
    connection_.reset();
    if (auto delegate = delegate_.lock()) {
        delegate->connectionDidFinishLoading(*this);
    }
}

void ORVFileDownloadConnection::connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>&,
                                                           const fnd::Error& error) {
    if (fh_) {
        fh_->closeFile();
    }
    connection_.reset();
    if (auto delegate = delegate_.lock()) {
        delegate->connectionDidFailWithError(*this, error);
    }
}

} // namespace zelvan::orvane
